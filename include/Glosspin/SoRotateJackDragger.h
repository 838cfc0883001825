#ifndef GLOSSPIN_SOROTATEJACKDRAGGER_H
#define GLOSSPIN_SOROTATEJACKDRAGGER_H

#include <Glosspin/SoBounded.h>
#include <Glosspin/SoGestureDragger.h>

class SoFieldSensor;
class SoSensor;

/// Turns an object with six knobs, one on each face of the box around it.
/// A knob turns about one axis, the face axis across the pointer's first
/// clear motion; with Shift the turn is free, as on a ball; with Alt the
/// box turns about the middle of the opposite face instead of its centre.
/// Pressing or releasing either key restarts the drag from the current
/// point.
class SoRotateJackDragger : public SoGestureDragger {
    SO_KIT_HEADER(SoRotateJackDragger);
    typedef SoGestureDragger inherited;

    SO_KIT_CATALOG_ENTRY_HEADER(surroundScale);
    SO_KIT_CATALOG_ENTRY_HEADER(overallStyle);
    SO_KIT_CATALOG_ENTRY_HEADER(rotatorSep);
    SO_GESTURE_KNOB_HEADER(rotator1);
    SO_GESTURE_KNOB_HEADER(rotator2);
    SO_GESTURE_KNOB_HEADER(rotator3);
    SO_GESTURE_KNOB_HEADER(rotator4);
    SO_GESTURE_KNOB_HEADER(rotator5);
    SO_GESTURE_KNOB_HEADER(rotator6);
    SO_KIT_CATALOG_ENTRY_HEADER(axisFeedbackSep);
    SO_KIT_CATALOG_ENTRY_HEADER(axisFeedbackLocation);
    SO_GESTURE_AXIS_FEEDBACK_HEADER(x);
    SO_GESTURE_AXIS_FEEDBACK_HEADER(y);
    SO_GESTURE_AXIS_FEEDBACK_HEADER(z);
    SO_KIT_CATALOG_ENTRY_HEADER(posXWallFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(posXRoundWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(negXWallFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(negXRoundWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(posYWallFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(posYRoundWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(negYWallFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(negYRoundWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(posZWallFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(posZRoundWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(negZWallFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(negZRoundWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(circleFeedbackSep);
    SO_KIT_CATALOG_ENTRY_HEADER(circleFeedbackTransformSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(circleFeedbackAntiSquish);
    SO_KIT_CATALOG_ENTRY_HEADER(circleFeedbackTransform);
    SO_GESTURE_CIRCLE_FEEDBACK_HEADER(x);
    SO_GESTURE_CIRCLE_FEEDBACK_HEADER(y);
    SO_GESTURE_CIRCLE_FEEDBACK_HEADER(z);

  public:
    SoBounded<SoSFVec3f> translation;   ///< the motion the dragger gives
    SoBounded<SoSFVec3f> scaleFactor;   ///< the scale it gives
    SoBounded<SoSFRotation> rotation;   ///< the turn it gives
    /// Below this |cos| between the view line and the axis, a turn runs on
    /// a cylinder about the axis rather than a disc across it.
    SoBounded<SoSFFloat> minDiscRotDot;

    /// A new SoRotateJackDragger, its fields at their defaults.
    SoRotateJackDragger();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// Whether the parts light up under the pointer.
    void setLocateHighlighting(SbBool onOff);

  protected:

    virtual void dragStart();
    virtual void drag();
    virtual void dragFinish();
    void setHighlights();
    void setFeedback();
    void setAllPartsActive(SbBool active);

    virtual ~SoRotateJackDragger();

};

#endif
