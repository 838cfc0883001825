#ifndef GLOSSPIN_SOGESTUREDRAGGER_H
#define GLOSSPIN_SOGESTUREDRAGGER_H

#include <Inventor/SbLinear.h>
#include <Inventor/draggers/SoDragger.h>
#include <Inventor/nodekits/SoSubKit.h>
#include <Inventor/projectors/SbCylinderPlaneProjector.h>
#include <Inventor/projectors/SbLineProjector.h>
#include <Inventor/projectors/SbPlaneProjector.h>
#include <Inventor/projectors/SbSphereSheetProjector.h>

class SoField;
class SoFieldSensor;
class SoSensor;
class SoSFRotation;
class SoSFVec3f;

// The four catalog parts of a knob of the draggers built on this class:
// nameSwitch, holding nameLocateGroup (with name, the knob as it stands)
// and nameActive (the knob while it drags).
#define SO_GESTURE_KNOB_HEADER(name)                                          \
    SO_KIT_CATALOG_ENTRY_HEADER(name##Switch);                                \
    SO_KIT_CATALOG_ENTRY_HEADER(name##LocateGroup);                           \
    SO_KIT_CATALOG_ENTRY_HEADER(name);                                        \
    SO_KIT_CATALOG_ENTRY_HEADER(name##Active)

// One axis's feedback: a switch choosing between its plain, active and
// selectable looks.
#define SO_GESTURE_AXIS_FEEDBACK_HEADER(axis)                                 \
    SO_KIT_CATALOG_ENTRY_HEADER(axis##AxisFeedbackSwitch);                    \
    SO_KIT_CATALOG_ENTRY_HEADER(axis##AxisFeedback);                          \
    SO_KIT_CATALOG_ENTRY_HEADER(axis##AxisFeedbackActive);                    \
    SO_KIT_CATALOG_ENTRY_HEADER(axis##AxisFeedbackSelect)

// The circle shown while turning about one axis, in its switch.
#define SO_GESTURE_CIRCLE_FEEDBACK_HEADER(axis)                               \
    SO_KIT_CATALOG_ENTRY_HEADER(axis##CircleFeedbackSwitch);                  \
    SO_KIT_CATALOG_ENTRY_HEADER(axis##CircleFeedback)

/// The base of draggers that work in a box: the unit cube -1...1 inside
/// the subclass's "surroundScale" part. It converts between that box and
/// world or pixel space, and tells which box axis the mouse has followed
/// since the drag began.
class SoGestureDragger : public SoDragger {
    SO_KIT_HEADER(SoGestureDragger);
    typedef SoDragger inherited;

  public:
    /// A new SoGestureDragger, its fields at their defaults.
    SoGestureDragger();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// Points and directions between the dragged box's space and the world.
    ///@{
    SbVec3f getBoxPointInWorldSpace(const SbVec3f &p);
    SbVec3f getBoxDirInWorldSpace(const SbVec3f &d);
    SbVec3f getWorldPointInBoxSpace(const SbVec3f &p);
    ///@}
    /// Window pixels from the lower-left corner; z is the depth 0...1.
    SbVec3f getWorldPointInPixelSpace(const SbVec3f &p);

    /// The allowed box axis (0, 1 or 2) whose image on the screen best
    /// matches the pointer's motion from the drag's starting point.
    int getMouseGestureDirection(SbBool xAllowed, SbBool yAllowed, SbBool zAllowed);

    /// The screen images of the three box axes: an axis seen end-on is
    /// one to ignore; of two images on one line, the minor is turned at
    /// right angles to the major so that each keeps a direction of its own.
    static int getIgnoreAxis(const SbVec2f axes[3], const SbBool allowed[3]);
    /// Screen directions of a gesture: turns minor square to major when
    /// the two lie along one line, which isColinear tells.
    ///@{
    static void makeMinorAxisPerpendicularIfColinear(const SbVec2f &major, SbVec2f &minor);
    static SbBool isColinear(const SbVec2f &a, const SbVec2f &b);
    ///@}

  protected:
    SbMatrix getBoxToWorldMatrix();
    virtual ~SoGestureDragger();

    /// What the box draggers share. Their translation, rotation and
    /// scaleFactor fields, followed both ways: the motion matrix sets them
    /// and they set it (call in the constructor, before the connections).
    void setTransformFields(SoSFVec3f *translation, SoSFRotation *rotation,
                            SoSFVec3f *scaleFactor);
    virtual SbBool setUpConnections(SbBool onOff, SbBool doItAlways = FALSE);
    /// Called after the transform fields changed, either way.
    virtual void transformChanged() {}

    /// The drag itself is the subclass's.
    virtual void dragStart() {}
    virtual void drag() {}
    virtual void dragFinish() {}
    static void startCB(void *, SoDragger *);
    static void motionCB(void *, SoDragger *);
    static void finishCB(void *, SoDragger *);
    static void valueChangedCB(void *, SoDragger *);
    static void fieldSensorCB(void *, SoSensor *);

    /// The start of every drag: the surround scale measured again, the
    /// modifiers recorded, dragState from the restart or the pick. TRUE
    /// for a restart.
    SbBool beginDragState(const char *const knobs[], const int states[], int count);
    void invalidateSurroundScale();
    SbBool altDown, ctrlDown, shiftDown;

    /// What the box draggers share. The knob a press picked: the first
    /// locate-highlight group after this dragger on the pick path that is
    /// knobs[i] + "LocateGroup", else the surrogate part's name; its
    /// states[i] (i + 1 without states), or 0.
    int getStateFromPick(const char *const knobs[], const int states[], int count);

    /// Turning the box with a face knob (faceAxis 0, 1, 2 for X, Y, Z)
    /// about centre (box space): constrained, about the box axis across
    /// the pointer's first clear motion within the face, on a disc, or on
    /// a cylinder when the axis lies nearly across the view; else freely
    /// on a sphere.
    void rotateInit(int faceAxis, const SbVec3f &centre, SbBool constrained);
    /// Sets the motion matrix; FALSE while a constrained drag still waits
    /// for a clear motion.
    SbBool rotateDrag(float minDiscRotDot);
    /// The same about a given box axis on a disc, from the first motion.
    void rotateInitAboutAxis(int axis, const SbVec3f &centre);
    int getConstrainedRotationAxis();
    SbBool getShouldRotateAsDisc(float minDiscRotDot);
    int rotationAxis;  ///< -1 until chosen, and throughout a free rotation
    SbBool rotateAsDisc;

    /// Box draggers' translation and scaling, in world space against the
    /// box as it stood at the start (beginBoxDrag records it, with the
    /// grabbed point). constrained: one axis, chosen among the allowed by
    /// the first clear motion, kept in constrainedAxis.
    void beginBoxDrag();
    SbVec3f startBoxPoint(const SbVec3f &world) const;
    SbVec3f startWorldPoint(const SbVec3f &box) const;
    SbVec3f startBoxAxis(int axis) const;  ///< world, unit
    /// On the plane through the grabbed point across normalAxis, or along
    /// that axis when alongNormal; constrained to one of the other two.
    void translateInit(int normalAxis);
    void translateDrag(int normalAxis, SbBool alongNormal);
    /// About fixed (box space), along the line from it through the grabbed
    /// point; constrained, along one allowed axis only.
    void scaleInit();
    void scaleDrag(const SbVec3f &fixed, SbBool xAllowed, SbBool yAllowed, SbBool zAllowed);
    SbVec3f startPoint;  ///< world
    int constrainedAxis;
    SbBool constrained;
    SbPlaneProjector planeProj;
    SbLineProjector lineProj;

    /// Scales the box about f (box space) by how far the pointer's point p
    /// lies from f against the grabbed point s, axis by axis.
    void appendBoxScale(const SbVec3f &f, const SbVec3f &s, const SbVec3f &p);

    /// Pressing or releasing Shift or Alt while this dragger grabs ends the
    /// drag and starts another from lastWorldPoint in state dragState,
    /// which dragStart finds in restartState.
    static void metaKeyChangeCB(void *, SoDragger *);
    int dragState, restartState;
    SbVec3f lastWorldPoint;

    /// Knob parts: knob in a locate-highlight group knob + "LocateGroup",
    /// child 0 of switch knob + "Switch", whose child 1 is knob + "Active".
    /// Defaults come from the resources prefix + Knob (first letter raised)
    /// and prefix + KnobActive; locateMaterial colours the groups.
    void setKnobDefaults(const char *const knobs[], int count, const char *prefix,
                         const char *locateMaterial);
    void setPartDefaults(const char *const parts[], int count, const char *prefix);
    void setKnobSwitch(const char *knob, int which);
    void setPartSwitch(const char *part, int which);
    void setKnobLocateHighlighting(const char *const knobs[], int count, SbBool onOff);

  private:
    SoField *transformFields[3];
    SoFieldSensor *transformSensors[3];
    void motionToFields();
    int rotationFace;
    SbBool rotationConstrained;
    SbMatrix startLocalToWorld, startBoxToWorld;
    SbVec3f rotationCentre, rotationStart;  ///< start-local space
    SbPlaneProjector discProj;
    SbCylinderPlaneProjector cylinderProj;
    SbSphereSheetProjector sphereProj;
    SbVec3f startLocal(const SbVec3f &world);
};

#endif
