#ifndef GLOSSPIN_SOSCREENPLANEDRAGGER_H
#define GLOSSPIN_SOSCREENPLANEDRAGGER_H

#include <Glosspin/SoBounded.h>
#include <Inventor/SbLinear.h>
#include <Inventor/draggers/SoDragger.h>
#include <Inventor/fields/SoSFBool.h>
#include <Inventor/fields/SoSFFloat.h>
#include <Inventor/fields/SoSFVec3f.h>
#include <Inventor/nodekits/SoSubKit.h>
#include <Inventor/projectors/SbPlaneProjector.h>

class SoFieldSensor;
class SoSensor;

/// Moves its object in the plane of the screen: the drag plane always
/// faces the viewer. With Shift the motion keeps to the screen's
/// horizontal or vertical direction, chosen by the first clear motion;
/// with Alt vertical mouse motion pushes the object into the screen or
/// pulls it out. Pressing or releasing either key restarts the drag from
/// the current point.
class SoScreenPlaneDragger : public SoDragger {
    SO_KIT_HEADER(SoScreenPlaneDragger);

    SO_KIT_CATALOG_ENTRY_HEADER(translatorSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(translatorHilite);
    SO_KIT_CATALOG_ENTRY_HEADER(translator);
    SO_KIT_CATALOG_ENTRY_HEADER(translatorActive);
    SO_KIT_CATALOG_ENTRY_HEADER(feedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(feedback);
    SO_KIT_CATALOG_ENTRY_HEADER(feedbackActive);
    SO_KIT_CATALOG_ENTRY_HEADER(axisFeedbackRotation);
    SO_KIT_CATALOG_ENTRY_HEADER(axisFeedbackAntiSquishSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(axisFeedbackAntiSquish);
    SO_KIT_CATALOG_ENTRY_HEADER(xAxisFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(xAxisFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(xAxisSelectFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(yAxisFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(yAxisFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(yAxisSelectFeedback);
    SO_KIT_CATALOG_ENTRY_HEADER(inOutFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(inOutFeedback);

  public:
    SoBounded<SoSFVec3f> translation;  ///< the motion the dragger gives
    SoBounded<SoSFFloat> inOutMultiplyFactor;  ///< gain from vertical mouse motion to in/out motion
    SoBounded<SoSFBool> inOutTowardsEye;  ///< in/out along the line to the eye in perspective views

    /// A new SoScreenPlaneDragger, its fields at their defaults.
    SoScreenPlaneDragger();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

  protected:
    static void startCB(void *, SoDragger *);
    static void motionCB(void *, SoDragger *);
    static void finishCB(void *, SoDragger *);
    static void metaKeyChangeCB(void *, SoDragger *);
    static void valueChangedCB(void *, SoDragger *);
    static void fieldSensorCB(void *, SoSensor *);

    void dragStart();
    void drag();
    void dragFinish();

    /// Screen right, up and view direction in world space.
    void calculateWorldSpaceMajorAxes();
    /// Turns the axis feedback to the screen.
    void calculateFeedbackRotation();

    virtual SbBool setUpConnections(SbBool onOff, SbBool doItAlways = FALSE);
    virtual void setDefaultOnNonWritingFields();
    virtual ~SoScreenPlaneDragger();

    SoFieldSensor *fieldSensor;
    SbPlaneProjector planeProj;

  private:
    SbVec3f worldX, worldY, worldZ;
    SbBool shiftDown, altDown;  ///< at drag start
    int constrainedAxis;        ///< -1 none, 0 X, 1 Y
    SbVec3f lastProjectedPoint;

    void chooseAxis(const SbVec3f &motion);
    SbVec3f inOutMotion(const SbVec3f &motion);
};

#endif
