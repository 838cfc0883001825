#ifndef GLOSSPIN_SOREFPLANEDRAGGER_H
#define GLOSSPIN_SOREFPLANEDRAGGER_H

#include <Glosspin/SoBounded.h>
#include <Glosspin/SoGestureDragger.h>

class SoFieldSensor;
class SoNodeKitListPart;
class SoPath;
class SoSensor;
class SoShadow;
class SoShadowDragger;

/// A square reference plane (x and z from -1 to 1 in its box) that can be
/// moved, tilted, spun, resized and dropped onto another object's surface.
/// The plane moves within itself (Shift: along one of its axes, Alt: along
/// its normal); the rotators tilt it (Shift: freely; Alt: spin it about
/// its normal); corners resize it in both directions (Shift: one), edges
/// in one (Alt: about the opposite corner or edge); the snapper lays it on
/// the surface under the pointer. Objects given to it cast shadows
/// straight down its normal, and it can show graph paper.
class SoRefPlaneDragger : public SoGestureDragger {
    SO_KIT_HEADER(SoRefPlaneDragger);
    typedef SoGestureDragger inherited;

    SO_KIT_CATALOG_ENTRY_HEADER(graphPaperSep);
    SO_KIT_CATALOG_ENTRY_HEADER(graphPaperPickStyle);
    SO_KIT_CATALOG_ENTRY_HEADER(graphPaper);
    SO_KIT_CATALOG_ENTRY_HEADER(shadowList);
    SO_KIT_CATALOG_ENTRY_HEADER(shadowDraggerList);
    SO_KIT_CATALOG_ENTRY_HEADER(surroundScale);
    SO_KIT_CATALOG_ENTRY_HEADER(overallStyle);
    SO_GESTURE_KNOB_HEADER(translator);
    SO_GESTURE_KNOB_HEADER(normalSnapper);
    SO_GESTURE_KNOB_HEADER(rotator1);
    SO_GESTURE_KNOB_HEADER(rotator2);
    SO_GESTURE_KNOB_HEADER(rotator3);
    SO_GESTURE_KNOB_HEADER(rotator4);
    SO_GESTURE_KNOB_HEADER(scaleCorner1);
    SO_GESTURE_KNOB_HEADER(scaleCorner2);
    SO_GESTURE_KNOB_HEADER(scaleCorner3);
    SO_GESTURE_KNOB_HEADER(scaleCorner4);
    SO_GESTURE_KNOB_HEADER(scaleRight);
    SO_GESTURE_KNOB_HEADER(scaleLeft);
    SO_GESTURE_KNOB_HEADER(scaleFront);
    SO_GESTURE_KNOB_HEADER(scaleBack);
    SO_KIT_CATALOG_ENTRY_HEADER(axisFeedbackSep);
    SO_KIT_CATALOG_ENTRY_HEADER(axisFeedbackLocation);
    SO_GESTURE_AXIS_FEEDBACK_HEADER(x);
    SO_GESTURE_AXIS_FEEDBACK_HEADER(y);
    SO_GESTURE_AXIS_FEEDBACK_HEADER(z);
    SO_KIT_CATALOG_ENTRY_HEADER(circleFeedbackSep);
    SO_KIT_CATALOG_ENTRY_HEADER(circleFeedbackAntiSquishSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(circleFeedbackAntiSquish);
    SO_GESTURE_CIRCLE_FEEDBACK_HEADER(x);
    SO_GESTURE_CIRCLE_FEEDBACK_HEADER(y);
    SO_GESTURE_CIRCLE_FEEDBACK_HEADER(z);
    SO_KIT_CATALOG_ENTRY_HEADER(normalSnapperFeedbackSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(normalSnapperFeedbackStyle);
    SO_KIT_CATALOG_ENTRY_HEADER(normalSnapperFeedbackCoord3);
    SO_KIT_CATALOG_ENTRY_HEADER(normalSnapperFeedbackLine);

  public:
    SoBounded<SoSFVec3f> translation;   ///< where the plane is
    SoBounded<SoSFVec3f> scaleFactor;   ///< its size
    SoBounded<SoSFRotation> rotation;   ///< its turn
    SoBounded<SoSFBool> useBoxShadows;  ///< shadows of boxes, not of shapes

    /// A new SoRefPlaneDragger, its fields at their defaults.
    SoRefPlaneDragger();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// Shows or hides the rotation handles, the snapper that turns the
    /// plane square to a picked surface, and the graph paper.
    ///@{
    void showRotationStuff(SbBool show);
    void showNormalSnapper(SbBool show);
    void showGraph(SbBool show);
    ///@}

    /// The shadows cast on the plane, and the shadow draggers on it that
    /// move objects: by node, or by the object's path and the path of the
    /// transform that moves it.
    ///@{
    void addShadow(SoShadow *shadow);
    void addShadow(SoPath *objectPath, SoPath *transformPath);
    void removeShadow(SoShadow *shadow);
    void removeShadow(SoPath *objectPath);
    void removeAllShadows();
    void addShadowDragger(SoShadowDragger *dragger);
    void addShadowDragger(SoPath *objectPath, SoPath *transformPath);
    void removeShadowDragger(SoShadowDragger *dragger);
    void removeShadowDragger(SoPath *objectPath);
    void removeAllShadowDraggers();
    ///@}

    /// Whether parts light up under the pointer.
    void setLocateHighlighting(SbBool onOff);

  protected:
    static void useBoxShadowsFieldSensorCB(void *, SoSensor *);

    virtual void dragStart();
    virtual void drag();
    virtual void dragFinish();
    void loose2DScaleDrag();
    void normalSnapInit();
    void normalSnapDrag();
    void updateShadowDirections();
    void updateGraphFields();
    void setHighlights();

    virtual SbBool setUpConnections(SbBool onOff, SbBool doItAlways = FALSE);
    virtual void transformChanged();
    virtual void setDefaultOnNonWritingFields();
    virtual ~SoRefPlaneDragger();

  private:
    SoFieldSensor *useBoxShadowsSensor;
    SbBool rotationShown, snapperShown, graphShown;
    SbVec3f snapNormal, snapCentre;  ///< world, at the snap's start
    SbMatrix snapParentToWorld;  ///< from the space the motion matrix works in

    SoNodeKitListPart *shadowItems(const char *list);
    void removeItemsWithPath(const char *list, SoPath *objectPath);
    void prepareItem(SoNode *item);
};

#endif
