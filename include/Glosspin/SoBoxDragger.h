#ifndef GLOSSPIN_SOBOXDRAGGER_H
#define GLOSSPIN_SOBOXDRAGGER_H

#include <Glosspin/SoBounded.h>
#include <Glosspin/SoGestureDragger.h>

class SoFieldSensor;
class SoSensor;

/// Moves, turns and scales an object with a box around it: its six faces
/// translate, the knobs standing out of them rotate, its eight corners
/// scale. Shift keeps a face's motion to one axis of the face (chosen by
/// the first clear motion), frees a rotator to turn as on a ball, and
/// keeps a corner to one axis; Alt moves a face along its normal, turns
/// about the opposite face, and scales about the opposite corner.
/// Pressing or releasing either key restarts the drag from where the
/// pointer is.
class SoBoxDragger : public SoGestureDragger {
    SO_KIT_HEADER(SoBoxDragger);
    typedef SoGestureDragger inherited;

    SO_KIT_CATALOG_ENTRY_HEADER(surroundScale);
    SO_KIT_CATALOG_ENTRY_HEADER(overallStyle);
    SO_KIT_CATALOG_ENTRY_HEADER(translatorSep);
    SO_GESTURE_KNOB_HEADER(translator1);
    SO_GESTURE_KNOB_HEADER(translator2);
    SO_GESTURE_KNOB_HEADER(translator3);
    SO_GESTURE_KNOB_HEADER(translator4);
    SO_GESTURE_KNOB_HEADER(translator5);
    SO_GESTURE_KNOB_HEADER(translator6);
    SO_KIT_CATALOG_ENTRY_HEADER(rotatorSep);
    SO_GESTURE_KNOB_HEADER(rotator1);
    SO_GESTURE_KNOB_HEADER(rotator2);
    SO_GESTURE_KNOB_HEADER(rotator3);
    SO_GESTURE_KNOB_HEADER(rotator4);
    SO_GESTURE_KNOB_HEADER(rotator5);
    SO_GESTURE_KNOB_HEADER(rotator6);
    SO_KIT_CATALOG_ENTRY_HEADER(scaleSep);
    SO_GESTURE_KNOB_HEADER(scale1);
    SO_GESTURE_KNOB_HEADER(scale2);
    SO_GESTURE_KNOB_HEADER(scale3);
    SO_GESTURE_KNOB_HEADER(scale4);
    SO_GESTURE_KNOB_HEADER(scale5);
    SO_GESTURE_KNOB_HEADER(scale6);
    SO_GESTURE_KNOB_HEADER(scale7);
    SO_GESTURE_KNOB_HEADER(scale8);
    SO_KIT_CATALOG_ENTRY_HEADER(axisFeedbackSep);
    SO_KIT_CATALOG_ENTRY_HEADER(axisFeedbackLocation);
    SO_KIT_CATALOG_ENTRY_HEADER(xAxisFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(xAxisFeedbackActive);
    SO_KIT_CATALOG_ENTRY_HEADER(xAxisFeedbackSelect);
    SO_KIT_CATALOG_ENTRY_HEADER(xCrosshairFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(yAxisFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(yAxisFeedbackActive);
    SO_KIT_CATALOG_ENTRY_HEADER(yAxisFeedbackSelect);
    SO_KIT_CATALOG_ENTRY_HEADER(yCrosshairFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(zAxisFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(zAxisFeedbackActive);
    SO_KIT_CATALOG_ENTRY_HEADER(zAxisFeedbackSelect);
    SO_KIT_CATALOG_ENTRY_HEADER(zCrosshairFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(translateBoxFeedbackSep);
    SO_KIT_CATALOG_ENTRY_HEADER(translateBoxFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(translateBoxFeedbackRotation);
    SO_KIT_CATALOG_ENTRY_HEADER(translateBoxFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(scaleBoxFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(scaleBoxFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(posXWallFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(posXWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(posXRoundWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(negXWallFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(negXWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(negXRoundWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(posYWallFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(posYWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(posYRoundWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(negYWallFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(negYWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(negYRoundWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(posZWallFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(posZWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(posZRoundWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(negZWallFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(negZWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(negZRoundWallFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(radialFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(radialFeedback);
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
    /// Below this |cos| between the view line and the axis, a constrained
    /// turn runs on a cylinder about the axis rather than a disc across it.
    SoBounded<SoSFFloat> minDiscRotDot;

    /// A new SoBoxDragger, its fields at their defaults.
    SoBoxDragger();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// Makes every anti-squish node in the knobs measure again.
    void unsquishKnobs();
    /// Whether the parts light up under the pointer.
    ///@{
    void setLocateHighlighting(SbBool onOff);
    SbBool isLocateHighlighting();
    ///@}

  protected:

    virtual void dragStart();
    virtual void drag();
    virtual void dragFinish();
    void translateDrag();
    void scaleDrag();
    void setHighlights();
    void setFeedback();
    void setAllPartSwitches(int translatorWhich, int rotatorWhich, int scaleWhich);

    virtual ~SoBoxDragger();

};

#endif
