#include <Glosspin/SoBoxDragger.h>

#include <Inventor/SoInteraction.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/events/SoMouseButtonEvent.h>
#include <Inventor/nodes/SoRotation.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSurroundScale.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoTransform.h>
#include <Inventor/nodes/SoTranslation.h>

#include <Glosspin/SoAntiSquish2.h>
#include <Glosspin/SoLocateHighlightGroup.h>

#include "init/ToolkitMacros.h"

// The compiled-in copy of boxDragger.iv, in binary form.
extern const unsigned char gspBoxDraggerGeometry[];
extern const int gspBoxDraggerGeometry_size;

SO_KIT_SOURCE(SoBoxDragger);

namespace {
// The knobs and their drag states: 1...6 rotate (faces at +X, +Y, +Z,
// then -X, -Y, -Z), 7...14 scale (corners), 15...20 translate (faces, as
// the rotators).
const char *const KNOBS[] = {
    "rotator4",    "rotator1",    "rotator5",    "rotator3",    "rotator2",    "rotator6",
    "scale1",      "scale2",      "scale3",      "scale4",      "scale5",      "scale6",
    "scale7",      "scale8",      "translator4", "translator1", "translator5", "translator3",
    "translator2", "translator6"};
const int NUM_KNOBS = 20;
const char *const TRANSLATORS[] = {"translator1", "translator2", "translator3",
                                   "translator4", "translator5", "translator6"};
const char *const ROTATORS[] = {"rotator1", "rotator2", "rotator3",
                                "rotator4", "rotator5", "rotator6"};
const char *const SCALERS[] = {"scale1", "scale2", "scale3", "scale4",
                               "scale5", "scale6", "scale7", "scale8"};

const char *knobOf(int state) { return state >= 1 && state <= NUM_KNOBS ? KNOBS[state - 1] : NULL; }

bool isRotation(int state) { return state >= 1 && state <= 6; }
bool isScale(int state) { return state >= 7 && state <= 14; }
bool isTranslation(int state) { return state >= 15 && state <= 20; }
// The face axis of a rotation or translation state.
int faceAxis(int state) { return (isRotation(state) ? state - 1 : state - 15) % 3; }
// The face of the other knob of the pair (+X and -X and so on).
int partnerState(int state)
{
    int base = isRotation(state) ? 1 : 15, i = state - base;
    return base + (i + 3) % 6;
}
// Box-space middle of the face opposite a rotator, and the corner
// opposite a scaler, the fixed points of the Alt modes.
SbVec3f oppositeFace(int state)
{
    SbVec3f c(0, 0, 0);
    c[faceAxis(state)] = state <= 3 ? -1 : 1;
    return c;
}
SbVec3f oppositeCorner(int state)
{
    int i = state - 7;
    return SbVec3f(i & 4 ? 1 : -1, i & 2 ? 1 : -1, i & 1 ? 1 : -1);
}
}

void SoBoxDragger::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SoInteraction::init();
    SoLocateHighlightGroup::initClass();
    SoAntiSquish2::initClass();
    SoGestureDragger::initClass();
    SO__KIT_INIT_CLASS(SoBoxDragger, "BoxDragger", SoGestureDragger);
}

SoBoxDragger::SoBoxDragger()
{
    GSP_KIT_CONSTRUCTOR(SoBoxDragger);

    SO_KIT_ADD_CATALOG_ENTRY(surroundScale, SoSurroundScale, TRUE, topSeparator, geomSeparator,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(overallStyle, SoGroup, FALSE, topSeparator, geomSeparator, TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(translatorSep, SoSeparator, FALSE, topSeparator, , FALSE);
    GSP_KIT_ADD_KNOB(translator1, translatorSep);
    GSP_KIT_ADD_KNOB(translator2, translatorSep);
    GSP_KIT_ADD_KNOB(translator3, translatorSep);
    GSP_KIT_ADD_KNOB(translator4, translatorSep);
    GSP_KIT_ADD_KNOB(translator5, translatorSep);
    GSP_KIT_ADD_KNOB(translator6, translatorSep);
    SO_KIT_ADD_CATALOG_ENTRY(rotatorSep, SoSeparator, FALSE, topSeparator, , FALSE);
    GSP_KIT_ADD_KNOB(rotator1, rotatorSep);
    GSP_KIT_ADD_KNOB(rotator2, rotatorSep);
    GSP_KIT_ADD_KNOB(rotator3, rotatorSep);
    GSP_KIT_ADD_KNOB(rotator4, rotatorSep);
    GSP_KIT_ADD_KNOB(rotator5, rotatorSep);
    GSP_KIT_ADD_KNOB(rotator6, rotatorSep);
    SO_KIT_ADD_CATALOG_ENTRY(scaleSep, SoSeparator, FALSE, topSeparator, , FALSE);
    GSP_KIT_ADD_KNOB(scale1, scaleSep);
    GSP_KIT_ADD_KNOB(scale2, scaleSep);
    GSP_KIT_ADD_KNOB(scale3, scaleSep);
    GSP_KIT_ADD_KNOB(scale4, scaleSep);
    GSP_KIT_ADD_KNOB(scale5, scaleSep);
    GSP_KIT_ADD_KNOB(scale6, scaleSep);
    GSP_KIT_ADD_KNOB(scale7, scaleSep);
    GSP_KIT_ADD_KNOB(scale8, scaleSep);
    SO_KIT_ADD_CATALOG_ENTRY(axisFeedbackSep, SoSeparator, FALSE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(axisFeedbackLocation, SoTranslation, TRUE, axisFeedbackSep, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(xAxisFeedbackSwitch, SoSwitch, TRUE, axisFeedbackSep, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(xAxisFeedbackActive, SoSeparator, TRUE, xAxisFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(xAxisFeedbackSelect, SoSeparator, TRUE, xAxisFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(xCrosshairFeedback, SoSeparator, TRUE, xAxisFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(yAxisFeedbackSwitch, SoSwitch, TRUE, axisFeedbackSep, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(yAxisFeedbackActive, SoSeparator, TRUE, yAxisFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(yAxisFeedbackSelect, SoSeparator, TRUE, yAxisFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(yCrosshairFeedback, SoSeparator, TRUE, yAxisFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(zAxisFeedbackSwitch, SoSwitch, TRUE, axisFeedbackSep, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(zAxisFeedbackActive, SoSeparator, TRUE, zAxisFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(zAxisFeedbackSelect, SoSeparator, TRUE, zAxisFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(zCrosshairFeedback, SoSeparator, TRUE, zAxisFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(translateBoxFeedbackSep, SoSeparator, FALSE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(translateBoxFeedbackSwitch, SoSwitch, TRUE, translateBoxFeedbackSep,
                             , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(translateBoxFeedbackRotation, SoRotation, TRUE,
                             translateBoxFeedbackSwitch, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(translateBoxFeedback, SoSeparator, TRUE, translateBoxFeedbackSwitch,
                             , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(scaleBoxFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(scaleBoxFeedback, SoSeparator, TRUE, scaleBoxFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(posXWallFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(posXWallFeedback, SoSeparator, TRUE, posXWallFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(posXRoundWallFeedback, SoSeparator, TRUE, posXWallFeedbackSwitch, ,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(negXWallFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(negXWallFeedback, SoSeparator, TRUE, negXWallFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(negXRoundWallFeedback, SoSeparator, TRUE, negXWallFeedbackSwitch, ,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(posYWallFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(posYWallFeedback, SoSeparator, TRUE, posYWallFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(posYRoundWallFeedback, SoSeparator, TRUE, posYWallFeedbackSwitch, ,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(negYWallFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(negYWallFeedback, SoSeparator, TRUE, negYWallFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(negYRoundWallFeedback, SoSeparator, TRUE, negYWallFeedbackSwitch, ,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(posZWallFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(posZWallFeedback, SoSeparator, TRUE, posZWallFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(posZRoundWallFeedback, SoSeparator, TRUE, posZWallFeedbackSwitch, ,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(negZWallFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(negZWallFeedback, SoSeparator, TRUE, negZWallFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(negZRoundWallFeedback, SoSeparator, TRUE, negZWallFeedbackSwitch, ,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(radialFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(radialFeedback, SoSeparator, TRUE, radialFeedbackSwitch, , TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(circleFeedbackSep, SoSeparator, FALSE, topSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(circleFeedbackTransformSwitch, SoSwitch, TRUE, circleFeedbackSep, ,
                             FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(circleFeedbackAntiSquish, SoAntiSquish2, TRUE,
                             circleFeedbackTransformSwitch, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(circleFeedbackTransform, SoTransform, TRUE,
                             circleFeedbackTransformSwitch, , FALSE);
    GSP_KIT_ADD_CIRCLE_FEEDBACK(x, circleFeedbackSep);
    GSP_KIT_ADD_CIRCLE_FEEDBACK(y, circleFeedbackSep);
    GSP_KIT_ADD_CIRCLE_FEEDBACK(z, circleFeedbackSep);

    if (SO_KIT_IS_FIRST_INSTANCE())
        readDefaultParts("boxDragger.iv", gspBoxDraggerGeometry, gspBoxDraggerGeometry_size);

    SO_KIT_ADD_FIELD(translation, (0, 0, 0));
    SO_KIT_ADD_FIELD(scaleFactor, (1, 1, 1));
    SO_KIT_ADD_FIELD(rotation, (SbRotation::identity()));
    SO_KIT_ADD_FIELD(minDiscRotDot, (0.025f));
    SO_KIT_INIT_INSTANCE();

    setPartAsDefault("overallStyle", "boxOverallStyle");
    setKnobDefaults(KNOBS, NUM_KNOBS, "box", "boxLocateMaterial");
    static const char *const feedback[] = {
        "xAxisFeedbackActive", "xAxisFeedbackSelect", "xCrosshairFeedback", "yAxisFeedbackActive",
        "yAxisFeedbackSelect", "yCrosshairFeedback", "zAxisFeedbackActive", "zAxisFeedbackSelect",
        "zCrosshairFeedback", "translateBoxFeedback", "posXWallFeedback", "posXRoundWallFeedback",
        "negXWallFeedback", "negXRoundWallFeedback", "posYWallFeedback", "posYRoundWallFeedback",
        "negYWallFeedback", "negYRoundWallFeedback", "posZWallFeedback", "posZRoundWallFeedback",
        "negZWallFeedback", "negZRoundWallFeedback", "radialFeedback", "xCircleFeedback",
        "yCircleFeedback", "zCircleFeedback", "scaleBoxFeedback"};
    setPartDefaults(feedback, sizeof feedback / sizeof *feedback, "box");
    setHighlights();

    setTransformFields(&translation, &rotation, &scaleFactor);
    setUpConnections(TRUE, TRUE);
}

SoBoxDragger::~SoBoxDragger()
{
}

void SoBoxDragger::unsquishKnobs()
{
    SbBool searching = SoBaseKit::isSearchingChildren();
    SoBaseKit::setSearchingChildren(TRUE);
    SoSearchAction sa;
    sa.setType(SoAntiSquish2::getClassTypeId());
    sa.setInterest(SoSearchAction::ALL);
    sa.setSearchingAll(TRUE);
    sa.apply(this);
    SoBaseKit::setSearchingChildren(searching);
    for (int i = 0; i < sa.getPaths().getLength(); i++)
        ((SoAntiSquish2 *)((SoFullPath *)sa.getPaths()[i])->getTail())->trigger.touch();
}

void SoBoxDragger::setLocateHighlighting(SbBool onOff)
{
    setKnobLocateHighlighting(KNOBS, NUM_KNOBS, onOff);
}

SbBool SoBoxDragger::isLocateHighlighting()
{
    SoLocateHighlightGroup *g =
        (SoLocateHighlightGroup *)getAnyPart("translator1LocateGroup", TRUE);
    return g->onOff.getValue();
}

void SoBoxDragger::dragStart()
{
    SbBool wasConstrained = constrained;
    SbBool restart = beginDragState(KNOBS, NULL, NUM_KNOBS);
    // Rotators turn about one axis unless Shift is held; faces and
    // corners move freely unless it is.
    constrained = isRotation(dragState) != (bool)shiftDown;
    if (!(restart && wasConstrained && constrained)) {
        constrainedAxis = -1;
        rotationAxis = -1;
    }
    beginBoxDrag();
    if (isTranslation(dragState))
        translateInit(faceAxis(dragState));
    else if (isScale(dragState))
        scaleInit();
    else if (isRotation(dragState))
        rotateInit(faceAxis(dragState), altDown ? oppositeFace(dragState) : SbVec3f(0, 0, 0),
                   constrained);
    setHighlights();
}

void SoBoxDragger::drag()
{
    int axisBefore = constrainedAxis, rotationBefore = rotationAxis;
    if (isTranslation(dragState))
        translateDrag();
    else if (isScale(dragState))
        scaleDrag();
    else if (isRotation(dragState))
        rotateDrag(minDiscRotDot.getValue());
    if (constrainedAxis != axisBefore || rotationAxis != rotationBefore)
        setHighlights();
}

void SoBoxDragger::dragFinish()
{
    const SoEvent *e = getEvent();
    if ((isRotation(dragState) || isScale(dragState)) && SO_MOUSE_RELEASE_EVENT(e, BUTTON1))
        unsquishKnobs();
    dragState = 0;
    setHighlights();
    invalidateSurroundScale();
}

void SoBoxDragger::translateDrag()
{
    inherited::translateDrag(faceAxis(dragState), altDown);
}

void SoBoxDragger::scaleDrag()
{
    inherited::scaleDrag(altDown ? oppositeCorner(dragState) : SbVec3f(0, 0, 0), TRUE, TRUE, TRUE);
}

// Scaling: the faces shown, the grabbed corner lit. Rotation and
// translation: only their own knobs, the grabbed pair lit. Idle: every
// knob as it is.
void SoBoxDragger::setHighlights()
{
    SbBool notify = enableNotify(FALSE);
    if (isScale(dragState)) {
        setAllPartSwitches(0, SO_SWITCH_NONE, SO_SWITCH_NONE);
        setKnobSwitch(knobOf(dragState), 1);
    } else if (isRotation(dragState)) {
        setAllPartSwitches(SO_SWITCH_NONE, 0, SO_SWITCH_NONE);
    } else if (isTranslation(dragState)) {
        setAllPartSwitches(0, SO_SWITCH_NONE, SO_SWITCH_NONE);
    } else {
        setAllPartSwitches(0, 0, 0);
    }
    if (isRotation(dragState) || isTranslation(dragState)) {
        setKnobSwitch(knobOf(dragState), 1);
        if (!altDown)
            setKnobSwitch(knobOf(partnerState(dragState)), 1);
    }
    setFeedback();
    enableNotify(notify);
    touch();
}

// Axis lines for a constrained motion (candidates dashed, the chosen one
// bright), the box outline while it moves or scales, the circle of the
// chosen rotation axis about its centre.
void SoBoxDragger::setFeedback()
{
    static const char *const axes[3] = {"xAxisFeedbackSwitch", "yAxisFeedbackSwitch",
                                        "zAxisFeedbackSwitch"};
    static const char *const circles[3] = {"xCircleFeedbackSwitch", "yCircleFeedbackSwitch",
                                           "zCircleFeedbackSwitch"};
    for (int i = 0; i < 3; i++) {
        setPartSwitch(axes[i], SO_SWITCH_NONE);
        setPartSwitch(circles[i], SO_SWITCH_NONE);
    }
    setPartSwitch("translateBoxFeedbackSwitch",
                  isTranslation(dragState) ? SO_SWITCH_ALL : SO_SWITCH_NONE);
    setPartSwitch("scaleBoxFeedbackSwitch", isScale(dragState) ? 0 : SO_SWITCH_NONE);
    setPartSwitch("radialFeedbackSwitch",
                  isScale(dragState) && !constrained ? 0 : SO_SWITCH_NONE);
    setPartSwitch("circleFeedbackTransformSwitch", SO_SWITCH_NONE);
    if (isRotation(dragState) && rotationAxis >= 0) {
        SbVec3f centre = altDown ? oppositeFace(dragState) : SbVec3f(0, 0, 0);
        SO_GET_ANY_PART(this, "circleFeedbackTransform", SoTransform)->translation = centre;
        setPartSwitch("circleFeedbackTransformSwitch", SO_SWITCH_ALL);
        setPartSwitch(circles[rotationAxis], 0);
    }
    if (!constrained || !(isTranslation(dragState) || isScale(dragState)))
        return;
    SO_GET_ANY_PART(this, "axisFeedbackLocation", SoTranslation)->translation =
        getWorldPointInBoxSpace(startPoint);
    if (constrainedAxis >= 0) {
        setPartSwitch(axes[constrainedAxis], 0);
        return;
    }
    for (int i = 0; i < 3; i++)
        if (isScale(dragState) || i != faceAxis(dragState))
            setPartSwitch(axes[i], 1);
}

void SoBoxDragger::setAllPartSwitches(int translatorWhich, int rotatorWhich, int scaleWhich)
{
    for (const char *k : TRANSLATORS)
        setKnobSwitch(k, translatorWhich);
    for (const char *k : ROTATORS)
        setKnobSwitch(k, rotatorWhich);
    for (const char *k : SCALERS)
        setKnobSwitch(k, scaleWhich);
}

