#include <Glosspin/SoRotateJackDragger.h>

#include <Inventor/SoInteraction.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSurroundScale.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoTransform.h>
#include <Inventor/nodes/SoTranslation.h>

#include <Glosspin/SoAntiSquish2.h>
#include <Glosspin/SoLocateHighlightGroup.h>

#include "init/ToolkitMacros.h"

// The compiled-in copy of rotateJackDragger.iv, in binary form.
extern const unsigned char gspRotateJackDraggerGeometry[];
extern const int gspRotateJackDraggerGeometry_size;

SO_KIT_SOURCE(SoRotateJackDragger);

namespace {
// The knobs and their drag states: 1...3 turn on the faces at +X, +Y, +Z
// (about the opposite face with Alt), 4...6 on the faces at -X, -Y, -Z.
const char *const KNOBS[] = {"rotator1", "rotator2", "rotator3",
                             "rotator4", "rotator5", "rotator6"};
const int STATES[] = {2, 5, 4, 1, 3, 6};
const int NUM_KNOBS = 6;

int faceAxis(int state) { return (state - 1) % 3; }
// The box-space middle of the face opposite the knob of state.
SbVec3f oppositeFace(int state)
{
    SbVec3f c(0, 0, 0);
    c[faceAxis(state)] = state <= 3 ? -1 : 1;
    return c;
}
const char *knobOf(int state)
{
    for (int i = 0; i < NUM_KNOBS; i++)
        if (STATES[i] == state)
            return KNOBS[i];
    return NULL;
}
}

void SoRotateJackDragger::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    SoInteraction::init();
    SoLocateHighlightGroup::initClass();
    SoAntiSquish2::initClass();
    SoGestureDragger::initClass();
    SO__KIT_INIT_CLASS(SoRotateJackDragger, "RotateJackDragger", SoGestureDragger);
}

SoRotateJackDragger::SoRotateJackDragger()
{
    GSP_KIT_CONSTRUCTOR(SoRotateJackDragger);

    SO_KIT_ADD_CATALOG_ENTRY(surroundScale, SoSurroundScale, TRUE, topSeparator, geomSeparator,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(overallStyle, SoGroup, FALSE, topSeparator, geomSeparator, TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(rotatorSep, SoSeparator, FALSE, geomSeparator, , FALSE);
    GSP_KIT_ADD_KNOB(rotator1, rotatorSep);
    GSP_KIT_ADD_KNOB(rotator2, rotatorSep);
    GSP_KIT_ADD_KNOB(rotator3, rotatorSep);
    GSP_KIT_ADD_KNOB(rotator4, rotatorSep);
    GSP_KIT_ADD_KNOB(rotator5, rotatorSep);
    GSP_KIT_ADD_KNOB(rotator6, rotatorSep);
    SO_KIT_ADD_CATALOG_ENTRY(axisFeedbackSep, SoSeparator, FALSE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(axisFeedbackLocation, SoTranslation, TRUE, axisFeedbackSep, , FALSE);
    GSP_KIT_ADD_AXIS_FEEDBACK(x, axisFeedbackSep);
    GSP_KIT_ADD_AXIS_FEEDBACK(y, axisFeedbackSep);
    GSP_KIT_ADD_AXIS_FEEDBACK(z, axisFeedbackSep);
    SO_KIT_ADD_CATALOG_ENTRY(posXWallFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(posXRoundWallFeedback, SoSeparator, TRUE, posXWallFeedbackSwitch, ,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(negXWallFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(negXRoundWallFeedback, SoSeparator, TRUE, negXWallFeedbackSwitch, ,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(posYWallFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(posYRoundWallFeedback, SoSeparator, TRUE, posYWallFeedbackSwitch, ,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(negYWallFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(negYRoundWallFeedback, SoSeparator, TRUE, negYWallFeedbackSwitch, ,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(posZWallFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(posZRoundWallFeedback, SoSeparator, TRUE, posZWallFeedbackSwitch, ,
                             TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(negZWallFeedbackSwitch, SoSwitch, TRUE, geomSeparator, , FALSE);
    SO_KIT_ADD_CATALOG_ENTRY(negZRoundWallFeedback, SoSeparator, TRUE, negZWallFeedbackSwitch, ,
                             TRUE);
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
        readDefaultParts("rotateJackDragger.iv", gspRotateJackDraggerGeometry,
                         gspRotateJackDraggerGeometry_size);

    SO_KIT_ADD_FIELD(translation, (0, 0, 0));
    SO_KIT_ADD_FIELD(scaleFactor, (1, 1, 1));
    SO_KIT_ADD_FIELD(rotation, (SbRotation::identity()));
    SO_KIT_ADD_FIELD(minDiscRotDot, (0.025f));
    SO_KIT_INIT_INSTANCE();

    setPartAsDefault("overallStyle", "rotateJackOverallStyle");
    setKnobDefaults(KNOBS, NUM_KNOBS, "rotateJack", "rotateJackLocateMaterial");
    static const char *const feedback[] = {
        "xAxisFeedback", "xAxisFeedbackActive", "xAxisFeedbackSelect", "yAxisFeedback",
        "yAxisFeedbackActive", "yAxisFeedbackSelect", "zAxisFeedback", "zAxisFeedbackActive",
        "zAxisFeedbackSelect", "posXRoundWallFeedback", "posYRoundWallFeedback",
        "posZRoundWallFeedback", "negXRoundWallFeedback", "negYRoundWallFeedback",
        "negZRoundWallFeedback", "xCircleFeedback", "yCircleFeedback", "zCircleFeedback"};
    setPartDefaults(feedback, sizeof feedback / sizeof *feedback, "rotateJack");
    setHighlights();

    setTransformFields(&translation, &rotation, &scaleFactor);
    setUpConnections(TRUE, TRUE);
}

SoRotateJackDragger::~SoRotateJackDragger()
{
}

void SoRotateJackDragger::setLocateHighlighting(SbBool onOff)
{
    setKnobLocateHighlighting(KNOBS, NUM_KNOBS, onOff);
}

void SoRotateJackDragger::dragStart()
{
    SbBool restart = beginDragState(KNOBS, STATES, NUM_KNOBS);
    SbBool constrained = !shiftDown;
    if (!restart || !constrained)
        rotationAxis = -1;
    lastWorldPoint = getWorldStartingPoint();
    if (dragState) {
        SbVec3f centre = altDown ? oppositeFace(dragState) : SbVec3f(0, 0, 0);
        rotateInit(faceAxis(dragState), centre, constrained);
    }
    setHighlights();
}

void SoRotateJackDragger::drag()
{
    if (!dragState)
        return;
    int before = rotationAxis;
    rotateDrag(minDiscRotDot.getValue());
    if (rotationAxis != before)
        setHighlights();
}

void SoRotateJackDragger::dragFinish()
{
    dragState = 0;
    restartState = 0;
    setHighlights();
    invalidateSurroundScale();
}

// Idle: every knob as it is. Dragging: the picked knob lit, with its
// opposite unless Alt turns about that one.
void SoRotateJackDragger::setHighlights()
{
    SbBool notify = enableNotify(FALSE);
    setAllPartsActive(FALSE);
    if (dragState) {
        setKnobSwitch(knobOf(dragState), 1);
        if (!altDown)
            setKnobSwitch(knobOf(dragState > 3 ? dragState - 3 : dragState + 3), 1);
    }
    setFeedback();
    enableNotify(notify);
    touch();
}

// While a constrained drag waits, the face's two axes as candidates; then
// the chosen axis and its circle about the turning centre; the picked
// face's round wall throughout.
void SoRotateJackDragger::setFeedback()
{
    static const char *const axes[3] = {"xAxisFeedbackSwitch", "yAxisFeedbackSwitch",
                                        "zAxisFeedbackSwitch"};
    static const char *const circles[3] = {"xCircleFeedbackSwitch", "yCircleFeedbackSwitch",
                                           "zCircleFeedbackSwitch"};
    static const char *const walls[6] = {"posXWallFeedbackSwitch", "posYWallFeedbackSwitch",
                                         "posZWallFeedbackSwitch", "negXWallFeedbackSwitch",
                                         "negYWallFeedbackSwitch", "negZWallFeedbackSwitch"};
    for (int i = 0; i < 3; i++) {
        setPartSwitch(axes[i], SO_SWITCH_NONE);
        setPartSwitch(circles[i], SO_SWITCH_NONE);
    }
    for (int i = 0; i < 6; i++)
        setPartSwitch(walls[i], dragState == i + 1 ? 0 : SO_SWITCH_NONE);
    setPartSwitch("circleFeedbackTransformSwitch", SO_SWITCH_NONE);
    if (!dragState || shiftDown)
        return;
    SbVec3f centre = altDown ? oppositeFace(dragState) : SbVec3f(0, 0, 0);
    SO_GET_ANY_PART(this, "axisFeedbackLocation", SoTranslation)->translation = centre;
    if (rotationAxis < 0) {
        int f = faceAxis(dragState);
        setPartSwitch(axes[(f + 1) % 3], 2);
        setPartSwitch(axes[(f + 2) % 3], 2);
        return;
    }
    setPartSwitch(axes[rotationAxis], 1);
    SO_GET_ANY_PART(this, "circleFeedbackTransform", SoTransform)->translation = centre;
    setPartSwitch("circleFeedbackTransformSwitch", SO_SWITCH_ALL);
    setPartSwitch(circles[rotationAxis], 0);
}

void SoRotateJackDragger::setAllPartsActive(SbBool active)
{
    for (int i = 0; i < NUM_KNOBS; i++)
        setKnobSwitch(KNOBS[i], active ? 1 : 0);
}

