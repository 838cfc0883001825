#include <Glosspin/SoRefPlaneDragger.h>

#include <math.h>

#include <algorithm>

#include <Inventor/SoInteraction.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/events/SoEvent.h>
#include <Inventor/SoLists.h>
#include <Inventor/nodekits/SoNodeKitListPart.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoLineSet.h>
#include <Inventor/nodes/SoPickStyle.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSurroundScale.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoTranslation.h>
#include <Inventor/sensors/SoFieldSensor.h>

#include <Glosspin/SoAntiSquish2.h>
#include <Glosspin/SoGraphPaper.h>
#include <Glosspin/SoLocateHighlightGroup.h>
#include <Glosspin/SoShadow.h>
#include <Glosspin/SoShadowDragger.h>

#include "init/ToolkitMacros.h"

// The compiled-in copy of refPlaneDragger.iv, in binary form.
extern const unsigned char gspRefPlaneDraggerGeometry[];
extern const int gspRefPlaneDraggerGeometry_size;

SO_KIT_SOURCE(SoRefPlaneDragger);

namespace {
enum {
    ROTATE_FIRST = 1, ROTATE_LAST = 4,   // rotator2, rotator3, rotator1, rotator4
    CORNER_FIRST = 5, CORNER_LAST = 8,   // scaleCorner1 ... scaleCorner4
    EDGE_FIRST = 9, EDGE_LAST = 12,      // scaleRight, scaleLeft, scaleFront, scaleBack
    TRANSLATE = 13,
    SNAP = 14
};
const char *const KNOBS[] = {"rotator2",     "rotator3",     "rotator1",     "rotator4",
                             "scaleCorner1", "scaleCorner2", "scaleCorner3", "scaleCorner4",
                             "scaleRight",   "scaleLeft",    "scaleFront",   "scaleBack",
                             "translator",   "normalSnapper"};
const int NUM_KNOBS = 14;

bool isRotation(int s) { return s >= ROTATE_FIRST && s <= ROTATE_LAST; }
bool isCorner(int s) { return s >= CORNER_FIRST && s <= CORNER_LAST; }
bool isEdge(int s) { return s >= EDGE_FIRST && s <= EDGE_LAST; }
// States 1 and 3 turn about box Z, 2 and 4 about box X.
int rotationAxisOf(int s) { return s % 2 ? 2 : 0; }
// Corners at (1, 1), (-1, 1), (-1, -1), (1, -1) in x and z; edges at +x,
// -x, +z, -z. Alt scales about the opposite one.
SbVec3f cornerOf(int s)
{
    static const float x[4] = {1, -1, -1, 1}, z[4] = {1, 1, -1, -1};
    return SbVec3f(x[s - CORNER_FIRST], 0, z[s - CORNER_FIRST]);
}
SbVec3f edgeOf(int s)
{
    static const SbVec3f e[4] = {SbVec3f(1, 0, 0), SbVec3f(-1, 0, 0), SbVec3f(0, 0, 1),
                                 SbVec3f(0, 0, -1)};
    return e[s - EDGE_FIRST];
}
}

void SoRefPlaneDragger::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SoInteraction::init();
    SoLocateHighlightGroup::initClass();
    SoAntiSquish2::initClass();
    SoGraphPaper::initClass();
    SoShadowDragger::initClass();
    SoGestureDragger::initClass();
    SO__KIT_INIT_CLASS(SoRefPlaneDragger, "RefPlaneDragger", SoGestureDragger);
}

SoRefPlaneDragger::SoRefPlaneDragger()
    : rotationShown(TRUE), snapperShown(TRUE), graphShown(FALSE)
{
    GSP_KIT_CONSTRUCTOR(SoRefPlaneDragger);

    SO_KIT_ADD_CATALOG_ENTRY(graphPaperSep, SoSeparator, FALSE, topSeparator, motionMatrix, FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(graphPaperPickStyle, SoPickStyle, FALSE, graphPaperSep, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(graphPaper, SoGraphPaper, TRUE, graphPaperSep, , TRUE);
    SO_KIT_ADD_CATALOG_LIST_ENTRY(shadowList, SoSeparator, FALSE, topSeparator, motionMatrix,
                             SoShadow, TRUE);
    SO_KIT_ADD_CATALOG_LIST_ENTRY(shadowDraggerList, SoSeparator, FALSE, topSeparator,
                             motionMatrix, SoShadowDragger, TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(surroundScale, SoSurroundScale, TRUE, topSeparator, geomSeparator,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(overallStyle, SoGroup, FALSE, topSeparator, geomSeparator, TRUE);
    GSP_KIT_ADD_KNOB(translator, geomSeparator);
    GSP_KIT_ADD_KNOB(normalSnapper, geomSeparator);
    GSP_KIT_ADD_KNOB(rotator1, geomSeparator);
    GSP_KIT_ADD_KNOB(rotator2, geomSeparator);
    GSP_KIT_ADD_KNOB(rotator3, geomSeparator);
    GSP_KIT_ADD_KNOB(rotator4, geomSeparator);
    GSP_KIT_ADD_KNOB(scaleCorner1, geomSeparator);
    GSP_KIT_ADD_KNOB(scaleCorner2, geomSeparator);
    GSP_KIT_ADD_KNOB(scaleCorner3, geomSeparator);
    GSP_KIT_ADD_KNOB(scaleCorner4, geomSeparator);
    GSP_KIT_ADD_KNOB(scaleRight, geomSeparator);
    GSP_KIT_ADD_KNOB(scaleLeft, geomSeparator);
    GSP_KIT_ADD_KNOB(scaleFront, geomSeparator);
    GSP_KIT_ADD_KNOB(scaleBack, geomSeparator);
    SO_KIT_ADD_CATALOG_ENTRY(axisFeedbackSep, SoSeparator, FALSE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(axisFeedbackLocation, SoTranslation, TRUE, axisFeedbackSep, , FALSE);
    GSP_KIT_ADD_AXIS_FEEDBACK(x, axisFeedbackSep);
    GSP_KIT_ADD_AXIS_FEEDBACK(y, axisFeedbackSep);
    GSP_KIT_ADD_AXIS_FEEDBACK(z, axisFeedbackSep);
    SO_KIT_ADD_CATALOG_ENTRY(circleFeedbackSep, SoSeparator, FALSE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(circleFeedbackAntiSquishSwitch, SoSwitch, TRUE, circleFeedbackSep, ,
                             FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(circleFeedbackAntiSquish, SoAntiSquish2, TRUE,
                             circleFeedbackAntiSquishSwitch, , FALSE);
    GSP_KIT_ADD_CIRCLE_FEEDBACK(x, circleFeedbackSep);
    GSP_KIT_ADD_CIRCLE_FEEDBACK(y, circleFeedbackSep);
    GSP_KIT_ADD_CIRCLE_FEEDBACK(z, circleFeedbackSep);
    SO_KIT_ADD_CATALOG_ENTRY(normalSnapperFeedbackSwitch, SoSwitch, TRUE, topSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(normalSnapperFeedbackStyle, SoGroup, TRUE,
                             normalSnapperFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(normalSnapperFeedbackCoord3, SoCoordinate3, TRUE,
                             normalSnapperFeedbackSwitch, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(normalSnapperFeedbackLine, SoLineSet, TRUE,
                             normalSnapperFeedbackSwitch, , FALSE);

    if (SO_KIT_IS_FIRST_INSTANCE())
        readDefaultParts("refPlaneDragger.iv", gspRefPlaneDraggerGeometry,
                         gspRefPlaneDraggerGeometry_size);

    SO_KIT_ADD_FIELD(translation, (0, 0, 0));
    SO_KIT_ADD_FIELD(scaleFactor, (1, 1, 1));
    SO_KIT_ADD_FIELD(rotation, (SbRotation::identity()));
    SO_KIT_ADD_FIELD(useBoxShadows, (TRUE));
    SO_KIT_INIT_INSTANCE();

    setPartAsDefault("overallStyle", "refPlaneOverallStyle");
    setKnobDefaults(KNOBS, 12, "refPlane", "refPlaneLocateMaterial");
    setKnobDefaults(KNOBS + 12, 1, "refPlane", "refPlaneTranslatorLocateMaterial");
    setKnobDefaults(KNOBS + 13, 1, "refPlane", "refPlaneLocateMaterial");
    static const char *const feedback[] = {
        "xAxisFeedback", "xAxisFeedbackActive", "xAxisFeedbackSelect", "yAxisFeedback",
        "yAxisFeedbackActive", "yAxisFeedbackSelect", "zAxisFeedback", "zAxisFeedbackActive",
        "zAxisFeedbackSelect", "xCircleFeedback", "yCircleFeedback", "zCircleFeedback",
        "normalSnapperFeedbackStyle"};
    setPartDefaults(feedback, sizeof feedback / sizeof *feedback, "refPlane");
    setHighlights();

    setTransformFields(&translation, &rotation, &scaleFactor);
    useBoxShadowsSensor =
        new SoFieldSensor(&SoRefPlaneDragger::useBoxShadowsFieldSensorCB, this);
    useBoxShadowsSensor->setPriority(0);
    setUpConnections(TRUE, TRUE);
}

SoRefPlaneDragger::~SoRefPlaneDragger()
{
    delete useBoxShadowsSensor;
}

SbBool SoRefPlaneDragger::setUpConnections(SbBool onOff, SbBool doItAlways)
{
    if (!doItAlways && connectionsSetUp == onOff)
        return onOff;
    if (useBoxShadowsSensor->getAttachedField())
        useBoxShadowsSensor->detach();
    if (onOff)
        useBoxShadowsSensor->attach(&useBoxShadows);
    return inherited::setUpConnections(onOff, doItAlways);
}

// Shadows and grid follow the plane.
void SoRefPlaneDragger::transformChanged()
{
    updateShadowDirections();
    updateGraphFields();
}

// The graph's pick style follows from the graph; the graph itself, the
// shadows and the shadow draggers are kept in files.
void SoRefPlaneDragger::setDefaultOnNonWritingFields()
{
    inherited::setDefaultOnNonWritingFields();
    graphPaperPickStyle.setDefault(TRUE);
}

void SoRefPlaneDragger::showRotationStuff(SbBool show)
{
    rotationShown = show;
    setHighlights();
}

void SoRefPlaneDragger::showNormalSnapper(SbBool show)
{
    snapperShown = show;
    setHighlights();
}

void SoRefPlaneDragger::showGraph(SbBool show)
{
    graphShown = show;
    if (!show) {
        setAnyPart("graphPaper", NULL);
        return;
    }
    SO_GET_ANY_PART(this, "graphPaperPickStyle", SoPickStyle)->style = SoPickStyle::UNPICKABLE;
    SO_GET_ANY_PART(this, "graphPaper", SoGraphPaper);
    updateGraphFields();
}

SoNodeKitListPart *SoRefPlaneDragger::shadowItems(const char *list)
{
    return SO_GET_ANY_PART(this, list, SoNodeKitListPart);
}

void SoRefPlaneDragger::prepareItem(SoNode *item)
{
    SoSFBool *box = (SoSFBool *)item->getField("renderAsBox");
    if (box && box->getValue() != useBoxShadows.getValue())
        box->setValue(useBoxShadows.getValue());
    updateShadowDirections();
}

void SoRefPlaneDragger::addShadow(SoShadow *shadow)
{
    SO_GET_ANY_PART(this, "shadowList", SoNodeKitListPart)->addChild(shadow);
    prepareItem(shadow);
}

void SoRefPlaneDragger::addShadow(SoPath *objectPath, SoPath *transformPath)
{
    SoShadow *s = new SoShadow;
    s->setPaths(objectPath, transformPath);
    addShadow(s);
}

void SoRefPlaneDragger::addShadowDragger(SoShadowDragger *dragger)
{
    SO_GET_ANY_PART(this, "shadowDraggerList", SoNodeKitListPart)->addChild(dragger);
    prepareItem(dragger);
}

void SoRefPlaneDragger::addShadowDragger(SoPath *objectPath, SoPath *transformPath)
{
    SoShadowDragger *d = new SoShadowDragger;
    d->setPaths(objectPath, transformPath);
    addShadowDragger(d);
}

void SoRefPlaneDragger::removeShadow(SoShadow *shadow)
{
    SoNodeKitListPart *l = SO_GET_ANY_PART(this, "shadowList", SoNodeKitListPart);
    int i = l->findChild(shadow);
    if (i >= 0)
        l->removeChild(i);
}

void SoRefPlaneDragger::removeShadowDragger(SoShadowDragger *dragger)
{
    SoNodeKitListPart *l = SO_GET_ANY_PART(this, "shadowDraggerList", SoNodeKitListPart);
    int i = l->findChild(dragger);
    if (i >= 0)
        l->removeChild(i);
}

// Items whose object path is objectPath (the same path or an equal one).
void SoRefPlaneDragger::removeItemsWithPath(const char *list, SoPath *objectPath)
{
    SoNodeKitListPart *l = SO_GET_ANY_PART(this, list, SoNodeKitListPart);
    for (int i = l->getNumChildren() - 1; i >= 0; i--) {
        SoNode *item = l->getChild(i);
        SoPath *p = item->isOfType(SoShadow::getClassTypeId())
                        ? ((SoShadow *)item)->getObjectPath()
                        : ((SoShadowDragger *)item)->getObjectPath();
        if (p && objectPath && *p == *objectPath)
            l->removeChild(i);
    }
}

void SoRefPlaneDragger::removeShadow(SoPath *objectPath)
{
    removeItemsWithPath("shadowList", objectPath);
}

void SoRefPlaneDragger::removeShadowDragger(SoPath *objectPath)
{
    removeItemsWithPath("shadowDraggerList", objectPath);
}

void SoRefPlaneDragger::removeAllShadows()
{
    SoNodeKitListPart *l = SO_GET_ANY_PART(this, "shadowList", SoNodeKitListPart);
    while (l->getNumChildren() > 0)
        l->removeChild(l->getNumChildren() - 1);
}

void SoRefPlaneDragger::removeAllShadowDraggers()
{
    SoNodeKitListPart *l = SO_GET_ANY_PART(this, "shadowDraggerList", SoNodeKitListPart);
    while (l->getNumChildren() > 0)
        l->removeChild(l->getNumChildren() - 1);
}

void SoRefPlaneDragger::setLocateHighlighting(SbBool onOff)
{
    setKnobLocateHighlighting(KNOBS, NUM_KNOBS, onOff);
}

// Light straight down the plane's normal, onto the plane.
void SoRefPlaneDragger::updateShadowDirections()
{
    SbVec3f n;
    rotation.getValue().multVec(SbVec3f(0, 1, 0), n);
    n.normalize();
    SbPlane plane(n, translation.getValue());
    const char *lists[2] = {"shadowList", "shadowDraggerList"};
    for (const char *list : lists) {
        SoNodeKitListPart *items = shadowItems(list);
        for (int i = 0; i < items->getNumChildren(); i++) {
            SoNode *item = items->getChild(i);
            SoSFVec3f *light = (SoSFVec3f *)item->getField("lightDir");
            SoSFPlane *onto = (SoSFPlane *)item->getField("projectionPlane");
            if (light && light->getValue() != -n)
                light->setValue(-n);
            if (onto && !(onto->getValue() == plane))
                onto->setValue(plane);
        }
    }
}

// The grid covers the plane's square (ignoring its rotation), at a
// spacing that is a power of 5 fitting about 5 to 25 lines across.
void SoRefPlaneDragger::updateGraphFields()
{
    if (!graphShown)
        return;
    SoGraphPaper *g = SO_GET_ANY_PART(this, "graphPaper", SoGraphPaper);
    const SbVec3f &t = translation.getValue(), &s = scaleFactor.getValue();
    float m = std::max(s[0], s[2]);
    float spacing = m > 0 ? powf(5, floorf(logf(2 * m) / logf(5)) - 1) : 1;
    float values[7] = {t[0] - s[0], t[0] + s[0], t[2] + s[2], t[2] - s[2], t[1],
                       t[1] + 0.03f * spacing, spacing};
    SoSFFloat *fields[7] = {&g->left, &g->right, &g->near, &g->far, &g->paperHeight,
                            &g->lineHeight, &g->gridSpacing};
    for (int i = 0; i < 7; i++)
        if (fields[i]->getValue() != values[i])
            fields[i]->setValue(values[i]);
}

void SoRefPlaneDragger::dragStart()
{
    SbBool wasConstrained = constrained;
    SbBool restart = beginDragState(KNOBS, NULL, NUM_KNOBS);
    // Rotators keep to one axis unless Shift is held, edges always; the
    // plane, its corners and the snapper only with Shift.
    constrained = isRotation(dragState) ? !shiftDown : isEdge(dragState) || shiftDown;
    if (!(restart && wasConstrained && constrained)) {
        constrainedAxis = -1;
        rotationAxis = -1;
    }
    beginBoxDrag();
    if (isEdge(dragState))
        constrainedAxis = dragState < EDGE_FIRST + 2 ? 0 : 2;
    if (dragState == TRANSLATE)
        translateInit(1);
    else if (isEdge(dragState) || (isCorner(dragState) && constrained))
        scaleInit();
    else if (isCorner(dragState))
        planeProj.setPlane(SbPlane(startBoxAxis(1), startPoint));
    else if (isRotation(dragState) && (altDown || constrained))
        rotateInitAboutAxis(altDown ? 1 : rotationAxisOf(dragState), SbVec3f(0, 0, 0));
    else if (isRotation(dragState))
        rotateInit(1, SbVec3f(0, 0, 0), FALSE);
    else if (dragState == SNAP)
        normalSnapInit();
    setHighlights();
}

void SoRefPlaneDragger::drag()
{
    int axisBefore = constrainedAxis, turnBefore = rotationAxis;
    if (dragState == TRANSLATE) {
        translateDrag(1, altDown);
    } else if (isEdge(dragState)) {
        scaleDrag(altDown ? -edgeOf(dragState) : SbVec3f(0, 0, 0), FALSE, FALSE, FALSE);
    } else if (isCorner(dragState) && constrained) {
        scaleDrag(altDown ? -cornerOf(dragState) : SbVec3f(0, 0, 0), TRUE, FALSE, TRUE);
    } else if (isCorner(dragState)) {
        loose2DScaleDrag();
    } else if (isRotation(dragState)) {
        rotateDrag(0);
    } else if (dragState == SNAP) {
        normalSnapDrag();
    }
    if (constrainedAxis != axisBefore || rotationAxis != turnBefore)
        setHighlights();
}

// Corners without Shift: x and z each follow the pointer on the plane.
void SoRefPlaneDragger::loose2DScaleDrag()
{
    planeProj.setViewVolume(getViewVolume());
    planeProj.setWorkingSpace(SbMatrix::identity());
    lastWorldPoint = planeProj.project(getNormalizedLocaterPosition());
    SbVec3f s = startBoxPoint(startPoint);
    SbVec3f f = altDown ? -cornerOf(dragState) : SbVec3f(0, 0, 0);
    f[1] = s[1];  // y stays
    appendBoxScale(f, s, startBoxPoint(lastWorldPoint));
}

void SoRefPlaneDragger::normalSnapInit()
{
    snapNormal = startBoxAxis(1);
    snapCentre = startWorldPoint(SbVec3f(0, 0, 0));
    // The motion matrix carries the plane's scale: the snap is a rigid
    // motion in the space around it, so that the plane neither shears nor
    // lands off centre however it was resized.
    snapParentToWorld = getStartMotionMatrix().inverse() * getLocalToWorldMatrix();
    SoCoordinate3 *c = SO_GET_ANY_PART(this, "normalSnapperFeedbackCoord3", SoCoordinate3);
    c->point.set1Value(0, SbVec3f(0, 0, 0));
    c->point.set1Value(1, SbVec3f(0, 0, 0));
    c->point.setNum(2);
    SO_GET_ANY_PART(this, "normalSnapperFeedbackLine", SoLineSet);
}

// Onto the first surface under the pointer that is not this dragger's:
// the grabbed point moves to it, the normal turns to the surface's.
// Nothing there: a line from the centre to where the pointer is.
void SoRefPlaneDragger::normalSnapDrag()
{
    SoHandleEventAction *ha = getHandleEventAction();
    const SoPickedPoint *hit = NULL;
    if (ha) {
        const SoPickedPointList &all = ha->getPickedPointList();
        for (int i = 0; i < all.getLength() && !hit; i++)
            if (!all[i]->getPath()->containsNode(this))
                hit = all[i];
    }
    SoCoordinate3 *c = SO_GET_ANY_PART(this, "normalSnapperFeedbackCoord3", SoCoordinate3);
    if (!hit) {
        SbLine ray;
        getViewVolume().projectPointToLine(getNormalizedLocaterPosition(), ray);
        SbVec3f under = ray.getClosestPoint(snapCentre);
        c->point.set1Value(0, startBoxPoint(snapCentre));
        c->point.set1Value(1, startBoxPoint(under));
        setPartSwitch("normalSnapperFeedbackSwitch", SO_SWITCH_ALL);
        return;
    }
    setPartSwitch("normalSnapperFeedbackSwitch", SO_SWITCH_NONE);
    SbMatrix worldToParent = snapParentToWorld.inverse();
    // Normals go by the transpose of the inverse.
    auto normalInParent = [&](const SbVec3f &n) {
        SbVec3f p;
        for (int j = 0; j < 3; j++)
            p[j] = snapParentToWorld[j][0] * n[0] + snapParentToWorld[j][1] * n[1] +
                   snapParentToWorld[j][2] * n[2];
        return p;
    };
    SbVec3f centre, onto;
    worldToParent.multVecMatrix(snapCentre, centre);
    worldToParent.multVecMatrix(hit->getPoint(), onto);
    SbMatrix m = getStartMotionMatrix(), step;
    step.setTranslate(-centre);
    m.multRight(step);
    step.setRotate(SbRotation(normalInParent(snapNormal), normalInParent(hit->getNormal())));
    m.multRight(step);
    step.setTranslate(onto);
    m.multRight(step);
    setMotionMatrix(m);
    lastWorldPoint = hit->getPoint();
}

void SoRefPlaneDragger::dragFinish()
{
    dragState = 0;
    setPartSwitch("normalSnapperFeedbackSwitch", SO_SWITCH_NONE);
    setHighlights();
    invalidateSurroundScale();
}

// Idle: every knob shown (rotators and snapper as asked). Dragging: the
// grabbed knob lit, the rest as they are.
void SoRefPlaneDragger::setHighlights()
{
    SbBool notify = enableNotify(FALSE);
    for (int i = 0; i < NUM_KNOBS; i++) {
        int state = i + 1, which = 0;
        if ((isRotation(state) && !rotationShown) || (state == SNAP && !snapperShown))
            which = SO_SWITCH_NONE;
        if (state == dragState)
            which = 1;
        setKnobSwitch(KNOBS[i], which);
    }
    static const char *const axes[3] = {"xAxisFeedbackSwitch", "yAxisFeedbackSwitch",
                                        "zAxisFeedbackSwitch"};
    static const char *const circles[3] = {"xCircleFeedbackSwitch", "yCircleFeedbackSwitch",
                                           "zCircleFeedbackSwitch"};
    for (int i = 0; i < 3; i++) {
        setPartSwitch(axes[i], SO_SWITCH_NONE);
        setPartSwitch(circles[i], SO_SWITCH_NONE);
    }
    // The circle the plane turns on, once its axis is known.
    SbBool turning = isRotation(dragState) && rotationAxis >= 0;
    setPartSwitch("circleFeedbackAntiSquishSwitch", turning ? SO_SWITCH_ALL : SO_SWITCH_NONE);
    if (turning)
        setPartSwitch(circles[rotationAxis], 0);
    if (constrained && (dragState == TRANSLATE || isCorner(dragState))) {
        if (constrainedAxis >= 0) {
            setPartSwitch(axes[constrainedAxis], 1);
        } else {
            setPartSwitch(axes[0], 2);
            setPartSwitch(axes[2], 2);
        }
    }
    enableNotify(notify);
    touch();
}

void SoRefPlaneDragger::useBoxShadowsFieldSensorCB(void *data, SoSensor *)
{
    SoRefPlaneDragger *self = (SoRefPlaneDragger *)data;
    const char *lists[2] = {"shadowList", "shadowDraggerList"};
    for (const char *list : lists) {
        SoNodeKitListPart *items = self->shadowItems(list);
        for (int i = 0; i < items->getNumChildren(); i++)
            if (SoSFBool *box = (SoSFBool *)items->getChild(i)->getField("renderAsBox"))
                if (box->getValue() != self->useBoxShadows.getValue())
                    box->setValue(self->useBoxShadows.getValue());
    }
}
