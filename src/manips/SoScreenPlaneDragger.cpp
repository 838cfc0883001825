#include <Glosspin/SoScreenPlaneDragger.h>

#include <Inventor/SbLinear.h>
#include <Inventor/SoInteraction.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/nodes/SoMatrixTransform.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/projectors/SbPlaneProjector.h>
#include <Inventor/sensors/SoFieldSensor.h>

#include <Glosspin/SoAntiSquish2.h>
#include <Glosspin/SoLocateHighlightGroup.h>

#include "init/ToolkitMacros.h"
#include "manips/DraggerMotion.h"
#include "manips/ModifierKeys.h"

// The compiled-in copy of screenPlaneDragger.iv, in binary form.
extern const unsigned char gspScreenPlaneDraggerGeometry[];
extern const int gspScreenPlaneDraggerGeometry_size;

SO_KIT_SOURCE(SoScreenPlaneDragger);

void SoScreenPlaneDragger::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SoInteraction::init();  // the dragger base
    SoLocateHighlightGroup::initClass();
    SoAntiSquish2::initClass();
    SO__KIT_INIT_CLASS(SoScreenPlaneDragger, "ScreenPlaneDragger", SoDragger);
}

SoScreenPlaneDragger::SoScreenPlaneDragger()
    : shiftDown(FALSE), altDown(FALSE), constrainedAxis(-1)
{
    GSP_KIT_CONSTRUCTOR(SoScreenPlaneDragger);

    SO_KIT_ADD_CATALOG_ENTRY(translatorSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(translatorHilite, SoLocateHighlightGroup, TRUE, translatorSwitch, ,
                             FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(translator, SoSeparator, TRUE, translatorHilite, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(translatorActive, SoSeparator, TRUE, translatorSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(feedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(feedback, SoSeparator, TRUE, feedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(feedbackActive, SoSeparator, TRUE, feedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(axisFeedbackRotation, SoMatrixTransform, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(axisFeedbackAntiSquishSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(axisFeedbackAntiSquish, SoAntiSquish2, TRUE,
                             axisFeedbackAntiSquishSwitch, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(xAxisFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(xAxisFeedback, SoSeparator, TRUE, xAxisFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(xAxisSelectFeedback, SoSeparator, TRUE, xAxisFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(yAxisFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(yAxisFeedback, SoSeparator, TRUE, yAxisFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(yAxisSelectFeedback, SoSeparator, TRUE, yAxisFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(inOutFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(inOutFeedback, SoSeparator, TRUE, inOutFeedbackSwitch, , TRUE);

    if (SO_KIT_IS_FIRST_INSTANCE())
        readDefaultParts("screenPlaneDragger.iv", gspScreenPlaneDraggerGeometry,
                         gspScreenPlaneDraggerGeometry_size);

    SO_KIT_ADD_FIELD(translation, (0, 0, 0));
    SO_KIT_ADD_FIELD(inOutMultiplyFactor, (2.0f));
    SO_KIT_ADD_FIELD(inOutTowardsEye, (TRUE));
    SO_KIT_INIT_INSTANCE();

    setPartAsDefault("translator", "screenPlaneTranslator");
    setPartAsDefault("translatorActive", "screenPlaneTranslatorActive");
    setPartAsDefault("feedback", "screenPlaneFeedback");
    setPartAsDefault("feedbackActive", "screenPlaneFeedbackActive");
    setPartAsDefault("xAxisFeedback", "screenPlaneXAxisFeedback");
    setPartAsDefault("yAxisFeedback", "screenPlaneYAxisFeedback");
    setPartAsDefault("xAxisSelectFeedback", "screenPlaneXAxisSelectFeedback");
    setPartAsDefault("yAxisSelectFeedback", "screenPlaneYAxisSelectFeedback");
    setPartAsDefault("inOutFeedback", "screenPlaneInOutFeedback");

    setSwitchValue(translatorSwitch.getValue(), 0);
    setSwitchValue(feedbackSwitch.getValue(), 0);
    SoAntiSquish2 *squish = SO_GET_ANY_PART(this, "axisFeedbackAntiSquish", SoAntiSquish2);
    squish->sizingAxis = SoAntiSquish2::AVERAGE_DIMENSION;
    setSwitchValue(axisFeedbackAntiSquishSwitch.getValue(), SO_SWITCH_NONE);
    setSwitchValue(xAxisFeedbackSwitch.getValue(), SO_SWITCH_NONE);
    setSwitchValue(yAxisFeedbackSwitch.getValue(), SO_SWITCH_NONE);
    setSwitchValue(inOutFeedbackSwitch.getValue(), SO_SWITCH_NONE);

    addStartCallback(&SoScreenPlaneDragger::startCB);
    addMotionCallback(&SoScreenPlaneDragger::motionCB);
    addFinishCallback(&SoScreenPlaneDragger::finishCB);
    addOtherEventCallback(&SoScreenPlaneDragger::metaKeyChangeCB);
    addValueChangedCallback(&SoScreenPlaneDragger::valueChangedCB);

    fieldSensor = new SoFieldSensor(&SoScreenPlaneDragger::fieldSensorCB, this);
    fieldSensor->setPriority(0);
    setUpConnections(TRUE, TRUE);
}

SoScreenPlaneDragger::~SoScreenPlaneDragger()
{
    delete fieldSensor;
}

SbBool SoScreenPlaneDragger::setUpConnections(SbBool onOff, SbBool doItAlways)
{
    if (!doItAlways && connectionsSetUp == onOff)
        return onOff;
    if (onOff) {
        SoDragger::setUpConnections(onOff, doItAlways);
        fieldSensorCB(this, NULL);
        if (fieldSensor->getAttachedField() != &translation)
            fieldSensor->attach(&translation);
    } else {
        if (fieldSensor->getAttachedField())
            fieldSensor->detach();
        SoDragger::setUpConnections(onOff, doItAlways);
    }
    return !(connectionsSetUp = onOff);
}

void SoScreenPlaneDragger::setDefaultOnNonWritingFields()
{
    // Drag state, rebuilt by every drag.
    axisFeedbackRotation.setDefault(TRUE);
    axisFeedbackAntiSquish.setDefault(TRUE);
    SoDragger::setDefaultOnNonWritingFields();
}

void SoScreenPlaneDragger::startCB(void *, SoDragger *d)
{
    ((SoScreenPlaneDragger *)d)->dragStart();
}

void SoScreenPlaneDragger::motionCB(void *, SoDragger *d)
{
    ((SoScreenPlaneDragger *)d)->drag();
}

void SoScreenPlaneDragger::finishCB(void *, SoDragger *d)
{
    ((SoScreenPlaneDragger *)d)->dragFinish();
}

void SoScreenPlaneDragger::calculateWorldSpaceMajorAxes()
{
    const SbViewVolume &vv = getViewVolume();
    SbVec3f llf = vv.getPlanePoint(vv.getNearDist(), SbVec2f(0, 0));
    SbVec3f lrf = vv.getPlanePoint(vv.getNearDist(), SbVec2f(1, 0));
    SbVec3f ulf = vv.getPlanePoint(vv.getNearDist(), SbVec2f(0, 1));
    worldX = lrf - llf;
    worldY = ulf - llf;
    worldZ = vv.getProjectionDirection();
    worldX.normalize();
    worldY.normalize();
    worldZ.normalize();
}

// The rows are the screen's right, up and towards-the-viewer directions:
// the view direction itself would make the matrix a mirror, which the
// feedback's anti-squish cannot turn into a rotation.
void SoScreenPlaneDragger::calculateFeedbackRotation()
{
    SbMatrix worldToLocal = getWorldToLocalMatrix();
    SbVec3f axes[3];
    worldToLocal.multDirMatrix(worldX, axes[0]);
    worldToLocal.multDirMatrix(worldY, axes[1]);
    worldToLocal.multDirMatrix(-worldZ, axes[2]);
    SbMatrix m = SbMatrix::identity();
    for (int row = 0; row < 3; row++) {
        axes[row].normalize();
        for (int col = 0; col < 3; col++)
            m[row][col] = axes[row][col];
    }
    SoMatrixTransform *mt = SO_GET_ANY_PART(this, "axisFeedbackRotation", SoMatrixTransform);
    mt->matrix = m;
}

void SoScreenPlaneDragger::dragStart()
{
    setSwitchValue(translatorSwitch.getValue(), 1);
    setSwitchValue(feedbackSwitch.getValue(), 1);
    calculateWorldSpaceMajorAxes();
    calculateFeedbackRotation();

    const SoEvent *event = getEvent();
    shiftDown = event->wasShiftDown();
    altDown = gspAltDown(event);
    setSwitchValue(axisFeedbackAntiSquishSwitch.getValue(), 0);
    if (altDown) {
        setSwitchValue(inOutFeedbackSwitch.getValue(), SO_SWITCH_ALL);
    } else {
        int which = shiftDown ? 1 : 0;
        setSwitchValue(xAxisFeedbackSwitch.getValue(), which);
        setSwitchValue(yAxisFeedbackSwitch.getValue(), which);
    }
    constrainedAxis = -1;
    lastProjectedPoint = getWorldStartingPoint();
    planeProj.setPlane(SbPlane(-getViewVolume().getProjectionDirection(), getWorldStartingPoint()));
}

void SoScreenPlaneDragger::chooseAxis(const SbVec3f &motion)
{
    if (fabsf(motion.dot(worldY)) < fabsf(motion.dot(worldX))) {
        constrainedAxis = 0;
        setSwitchValue(xAxisFeedbackSwitch.getValue(), 0);
        setSwitchValue(yAxisFeedbackSwitch.getValue(), SO_SWITCH_NONE);
    } else {
        constrainedAxis = 1;
        setSwitchValue(yAxisFeedbackSwitch.getValue(), 0);
        setSwitchValue(xAxisFeedbackSwitch.getValue(), SO_SWITCH_NONE);
    }
}

// Vertical motion turned into motion into or out of the screen, never
// past the eye in a perspective view.
SbVec3f SoScreenPlaneDragger::inOutMotion(const SbVec3f &motion)
{
    float f = motion.dot(worldY) * inOutMultiplyFactor.getValue();
    const SbViewVolume &vv = getViewVolume();
    if (vv.getProjectionType() != SbViewVolume::PERSPECTIVE)
        return worldZ * f;
    SbVec3f v = getWorldStartingPoint() - vv.getProjectionPoint();
    float n = v.length();
    v.normalize();
    SbBool towards = inOutTowardsEye.getValue();
    float limit = towards ? -n : -n * v.dot(worldZ);
    if (f < limit)
        f = limit;
    return towards ? v * f : worldZ * f;
}

void SoScreenPlaneDragger::drag()
{
    planeProj.setViewVolume(getViewVolume());
    planeProj.setWorkingSpace(SbMatrix::identity());
    SbVec3f p = planeProj.project(getNormalizedLocaterPosition());
    lastProjectedPoint = p;
    SbVec3f m = p - getWorldStartingPoint();

    if (!shiftDown)
        constrainedAxis = -1;
    if (shiftDown && !altDown && constrainedAxis == -1) {
        if (!isAdequateConstraintMotion())
            return;
        chooseAxis(m);
    }
    if (!altDown && constrainedAxis >= 0) {
        const SbVec3f &a = constrainedAxis == 0 ? worldX : worldY;
        m = a * m.dot(a);
    }
    if (altDown)
        m = inOutMotion(m);

    SbVec3f local;
    getWorldToLocalMatrix().multDirMatrix(m, local);
    setMotionMatrix(appendTranslation(getStartMotionMatrix(), local));
}

void SoScreenPlaneDragger::dragFinish()
{
    setSwitchValue(translatorSwitch.getValue(), 0);
    setSwitchValue(feedbackSwitch.getValue(), 0);
    setSwitchValue(axisFeedbackAntiSquishSwitch.getValue(), SO_SWITCH_NONE);
    setSwitchValue(xAxisFeedbackSwitch.getValue(), SO_SWITCH_NONE);
    setSwitchValue(yAxisFeedbackSwitch.getValue(), SO_SWITCH_NONE);
    setSwitchValue(inOutFeedbackSwitch.getValue(), SO_SWITCH_NONE);
}

void SoScreenPlaneDragger::metaKeyChangeCB(void *, SoDragger *d)
{
    gspRestartDragOnModifierChange(d, ((SoScreenPlaneDragger *)d)->lastProjectedPoint);
}

void SoScreenPlaneDragger::valueChangedCB(void *, SoDragger *d)
{
    SoScreenPlaneDragger *self = (SoScreenPlaneDragger *)d;
    gspMotionToTranslation(self, self->translation, self->fieldSensor);
}

void SoScreenPlaneDragger::fieldSensorCB(void *data, SoSensor *)
{
    SoScreenPlaneDragger *self = (SoScreenPlaneDragger *)data;
    SbMatrix motion = self->getMotionMatrix();
    self->workFieldsIntoTransform(motion);
    self->setMotionMatrix(motion);
}
