#include <Glosspin/SoScreenCompoundDragger.h>

#include <Inventor/SoInteraction.h>
#include <Inventor/draggers/SoScaleUniformDragger.h>
#include <Inventor/sensors/SoFieldSensor.h>

#include <Glosspin/SoAntiSquish2.h>
#include <Glosspin/SoLocateHighlightGroup.h>
#include <Glosspin/SoScreenPlaneDragger.h>

#include "init/ToolkitMacros.h"
#include "manips/ScaleKnobProjector.h"

// The compiled-in copy of screenCompoundDragger.iv, in binary form.
extern const unsigned char gspScreenCompoundDraggerGeometry[];
extern const int gspScreenCompoundDraggerGeometry_size;

SO_KIT_SOURCE(SoScreenCompoundDragger);

namespace {
// "child.part", the name of a child dragger's part.
SbName childPart(const char *child, const char *part)
{
    SbString s(child);
    s += ".";
    s += part;
    return SbName(s);
}
}

void SoScreenCompoundDragger::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SoInteraction::init();  // the dragger base
    SoLocateHighlightGroup::initClass();
    SoAntiSquish2::initClass();
    SoScreenPlaneDragger::initClass();
    SO__KIT_INIT_CLASS(SoScreenCompoundDragger, "ScreenCompoundDragger", SoDragger);
}

SoScreenCompoundDragger::SoScreenCompoundDragger()
{
    GSP_KIT_CONSTRUCTOR(SoScreenCompoundDragger);

    SO_KIT_ADD_CATALOG_ENTRY(screenPlane, SoScreenPlaneDragger, TRUE, topSeparator,
                             geomSeparator, TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(scaler, SoScaleUniformDragger, TRUE, topSeparator, geomSeparator,
                             TRUE);

    if (SO_KIT_IS_FIRST_INSTANCE())
        readDefaultParts("screenCompoundDragger.iv", gspScreenCompoundDraggerGeometry,
                         gspScreenCompoundDraggerGeometry_size);

    SO_KIT_ADD_FIELD(translation, (0, 0, 0));
    SO_KIT_ADD_FIELD(scaleFactor, (1, 1, 1));
    SO_KIT_INIT_INSTANCE();

    static const char *const planeParts[][2] = {
        {"translator", "screenCompoundTranslatorTranslator"},
        {"translatorActive", "screenCompoundTranslatorTranslatorActive"},
        {"feedback", "screenCompoundTranslatorFeedback"},
        {"feedbackActive", "screenCompoundTranslatorFeedbackActive"},
        {"inOutFeedback", "screenCompoundTranslatorInOutFeedback"},
        {"xAxisFeedback", "screenCompoundTranslatorXAxisFeedback"},
        {"yAxisFeedback", "screenCompoundTranslatorYAxisFeedback"},
        {"xAxisSelectFeedback", "screenCompoundTranslatorXAxisSelectFeedback"},
        {"yAxisSelectFeedback", "screenCompoundTranslatorYAxisSelectFeedback"},
    };
    static const char *const scalerParts[][2] = {
        {"scaler", "screenCompoundScalerScaler"},
        {"scalerActive", "screenCompoundScalerScalerActive"},
        {"feedback", "screenCompoundScalerFeedback"},
        {"feedbackActive", "screenCompoundScalerFeedbackActive"},
    };
    for (const auto &p : planeParts)
        setPartAsDefault(childPart("screenPlane", p[0]), p[1]);
    for (const auto &p : scalerParts)
        setPartAsDefault(childPart("scaler", p[0]), p[1]);

    addValueChangedCallback(&SoScreenCompoundDragger::valueChangedCB);
    translFieldSensor = new SoFieldSensor(&SoScreenCompoundDragger::fieldSensorCB, this);
    translFieldSensor->setPriority(0);
    scaleFieldSensor = new SoFieldSensor(&SoScreenCompoundDragger::fieldSensorCB, this);
    scaleFieldSensor->setPriority(0);
    setUpConnections(TRUE, TRUE);
}

SoScreenCompoundDragger::~SoScreenCompoundDragger()
{
    delete translFieldSensor;
    delete scaleFieldSensor;
}

void SoScreenCompoundDragger::attachSensors(SbBool onOff)
{
    if (onOff) {
        if (translFieldSensor->getAttachedField() != &translation)
            translFieldSensor->attach(&translation);
        if (scaleFieldSensor->getAttachedField() != &scaleFactor)
            scaleFieldSensor->attach(&scaleFactor);
    } else {
        if (translFieldSensor->getAttachedField())
            translFieldSensor->detach();
        if (scaleFieldSensor->getAttachedField())
            scaleFieldSensor->detach();
    }
}

SbBool SoScreenCompoundDragger::setUpConnections(SbBool onOff, SbBool doItAlways)
{
    if (!doItAlways && connectionsSetUp == onOff)
        return onOff;
    SoDragger *plane = (SoDragger *)getAnyPart("screenPlane", FALSE);
    SoDragger *scale = (SoDragger *)getAnyPart("scaler", FALSE);
    if (onOff) {
        SoDragger::setUpConnections(onOff, doItAlways);
        if (plane)
            registerChildDragger(plane);
        if (scale) {
            GspScaleKnobProjector::install((SoScaleUniformDragger *)scale);
            registerChildDragger(scale);
        }
        fieldSensorCB(this, NULL);
        attachSensors(TRUE);
    } else {
        if (plane)
            unregisterChildDragger(plane);
        if (scale)
            unregisterChildDragger(scale);
        attachSensors(FALSE);
        SoDragger::setUpConnections(onOff, doItAlways);
    }
    return !(connectionsSetUp = onOff);
}

void SoScreenCompoundDragger::valueChangedCB(void *, SoDragger *d)
{
    SoScreenCompoundDragger *self = (SoScreenCompoundDragger *)d;
    SbVec3f t, s;
    SbRotation r, so;
    self->getMotionMatrix().getTransform(t, r, s, so);
    SbBool sameT = self->translation.getValue() == t, sameS = self->scaleFactor.getValue() == s;
    if (sameT && sameS)
        return;
    SbBool attached = self->translFieldSensor->getAttachedField() != NULL;
    self->attachSensors(FALSE);
    if (!sameT)
        self->translation = t;
    if (!sameS)
        self->scaleFactor = s;
    if (attached)
        self->attachSensors(TRUE);
}

void SoScreenCompoundDragger::fieldSensorCB(void *data, SoSensor *)
{
    SoScreenCompoundDragger *self = (SoScreenCompoundDragger *)data;
    SbMatrix motion = self->getMotionMatrix();
    self->workFieldsIntoTransform(motion);
    self->setMotionMatrix(motion);
}
