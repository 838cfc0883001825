#ifndef GLOSSPIN_SOSHADOWDRAGGER_H
#define GLOSSPIN_SOSHADOWDRAGGER_H

#include <Glosspin/SoBounded.h>
#include <Inventor/draggers/SoDragger.h>
#include <Inventor/fields/SoSFPath.h>
#include <Inventor/nodekits/SoSubKit.h>
#include <Inventor/projectors/SbPlaneProjector.h>

class GspHeadRelease;
class SoFieldSensor;
class SoSensor;

/// An object's shadow that can be dragged: dragging it moves the object's
/// transform in the plane of the shadow. With Shift the motion keeps to
/// one of the plane's two axes, chosen by the first clear motion; pressing
/// or releasing Shift or Alt restarts the drag from the current point.
/// The object's transform path must end in a transform node for a drag
/// to move anything.
class SoShadowDragger : public SoDragger {
    SO_KIT_HEADER(SoShadowDragger);
    typedef SoDragger inherited;

    SO_KIT_CATALOG_ENTRY_HEADER(activeOverrideMaterialSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(activeOverrideMaterial);
    SO_KIT_CATALOG_ENTRY_HEADER(shadowLocateGroup);
    SO_KIT_CATALOG_ENTRY_HEADER(shadow);

  public:
    SoBounded<SoSFVec3f> translation;      ///< the motion the dragger gives
    SoBounded<SoSFVec3f> lightDir;         ///< the light the shadow falls from, world space
    SoBounded<SoSFPlane> projectionPlane;  ///< the plane the shadow falls on
    SoBounded<SoSFBool> renderAsBox;       ///< the object's box instead of its shape
    /// The two paths, set only while the dragger is written.
    ///@{
    SoSFPath pathToObjectField;
    SoSFPath pathToTransformField;
    ///@}

    /// A new SoShadowDragger, its fields at their defaults.
    SoShadowDragger();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// Copies of both paths go to the shadow; either may be NULL.
    void setPaths(SoPath *objectPath, SoPath *transformPath);
    /// The paths setPaths gave.
    ///@{
    SoPath *getObjectPath() const { return objectPath; }
    SoPath *getTransformPath() const { return transformPath; }
    ///@}
    /// Measures the object's box again, after its shape has changed.
    void updateShadowBoxSize();

  SoEXTENDER public:
    virtual void GLRender(SoGLRenderAction *action);
    virtual void getBoundingBox(SoGetBoundingBoxAction *action);
    virtual void handleEvent(SoHandleEventAction *action);
    virtual void rayPick(SoRayPickAction *action);
    virtual void write(SoWriteAction *action);

  protected:
    static void startCB(void *, SoDragger *);
    static void motionCB(void *, SoDragger *);
    static void finishCB(void *, SoDragger *);
    static void metaKeyChangeCB(void *, SoDragger *);
    static void valueChangedCB(void *, SoDragger *);
    static void fieldSensorCB(void *, SoSensor *);
    static void shadowFieldCB(void *, SoSensor *);

    void dragStart();
    void drag();
    void dragFinish();
    void setLocateHighlighting(SbBool on);

    virtual SbBool readInstance(SoInput *in, unsigned short flags);
    virtual SbBool setUpConnections(SbBool onOff, SbBool doItAlways = FALSE);
    virtual void setDefaultOnNonWritingFields();
    virtual ~SoShadowDragger();

    SoFieldSensor *fieldSensor;
    enum { NUM_SHADOW_FIELDS = 3 };
    SoFieldSensor *shadowFieldSensors[NUM_SHADOW_FIELDS];
    SbPlaneProjector planeProj;

  private:
    SoPath *objectPath, *transformPath;
    /// Paths read before the nodes they lead to; followed on first use.
    SoPath *pendingObjectPath, *pendingTransformPath;
    GspHeadRelease *headRelease;  ///< the paths' heads are not held
    void setSlot(SoPath *&slot, SoPath *path);
    void setPendingSlot(SoPath *&slot, SoPath *path);
    static void headGoneCB(SoFieldContainer *dragger);
    void resolvePendingPaths();
    SbBool shiftDown;
    int constrainedAxis;  ///< -1 none, else an index into axes
    SbVec3f axes[2];      ///< the plane's axes, world space
    SbVec3f lastPoint;    ///< world space

    void moveTransform(const SbVec3f &worldMotion);
    void connectShadowFields(SbBool onOff);
};

#endif
