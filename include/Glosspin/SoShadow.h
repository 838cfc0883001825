#ifndef GLOSSPIN_SOSHADOW_H
#define GLOSSPIN_SOSHADOW_H

#include <Glosspin/SoBounded.h>
#include <Inventor/fields/SoSFPath.h>
#include <Inventor/nodekits/SoBaseKit.h>
#include <Inventor/nodekits/SoSubKit.h>
#include <Inventor/nodes/SoSeparator.h>

class GspHeadRelease;
class SoFieldSensor;
class SoFullPath;
class SoPathSensor;
class SoSensor;

/// The flat shadow of another object of the scene: the object's geometry,
/// or its bounding box, squashed onto projectionPlane along lightDir and
/// drawn as a dark half-transparent slab that follows the object as it
/// moves. The shadow hides itself while the light grazes the plane (or
/// comes from below it). The object is named by two paths: the object
/// itself and the transform that places it; both travel in scene files.
class SoShadow : public SoBaseKit {
    SO_KIT_HEADER(SoShadow);
    typedef SoBaseKit inherited;

    SO_KIT_CATALOG_ENTRY_HEADER(topSeparator);
    SO_KIT_CATALOG_ENTRY_HEADER(shadowSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(pickStyle);
    SO_KIT_CATALOG_ENTRY_HEADER(lightModel);
    SO_KIT_CATALOG_ENTRY_HEADER(complexity);
    SO_KIT_CATALOG_ENTRY_HEADER(resetTransform);
    SO_KIT_CATALOG_ENTRY_HEADER(shadowXform);
    SO_KIT_CATALOG_ENTRY_HEADER(objectXform);
    SO_KIT_CATALOG_ENTRY_HEADER(material);
    SO_KIT_CATALOG_ENTRY_HEADER(texture2);
    SO_KIT_CATALOG_ENTRY_HEADER(shadowedObjectSep);
    SO_KIT_CATALOG_ENTRY_HEADER(shadowedObjectCoords);
    SO_KIT_CATALOG_ENTRY_HEADER(shadowedObjectXf);
    SO_KIT_CATALOG_ENTRY_HEADER(shadowedObject);

  public:
    SoBounded<SoSFBool> renderAsBox;  ///< the object's bounding box instead of its shape
    SoBounded<SoSFVec3f> lightDir;    ///< world space, used as given
    SoBounded<SoSFBool> pickable;          ///< picks reach the shadow
    SoBounded<SoSFPlane> projectionPlane;  ///< the plane the shadow falls on
    /// The two paths, set only while the shadow is written.
    ///@{
    SoSFPath pathToObjectField;
    SoSFPath pathToTransformField;
    ///@}

    /// A new SoShadow, its fields at their defaults.
    SoShadow();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// The object to shadow and the path to the transform that places it
    /// (either may be NULL); both are referenced.
    void setPaths(SoPath *objectPath, SoPath *transformPath);
    /// The paths setPaths gave.
    ///@{
    SoPath *getObjectPath() const { return objectPath; }
    SoPath *getTransformPath() const { return transformPath; }
    ///@}

    /// Draws the shadow or not.
    ///@{
    void enable();
    void disable();
    ///@}
    /// Measures the object's box again, after its shape has changed.
    void updateShadowBoxSize();
    /// The render caching of the shadow's copy of the shape.
    ///@{
    void setShapeRenderCaching(SoSeparator::CacheEnabled caching);
    SoSeparator::CacheEnabled getShapeRenderCaching();
    ///@}

    /// The path to the last node of type that affects path's tail from
    /// outside it (a left sibling along the way, or inside a group that
    /// does not keep its state to itself); NULL when none does.
    static SoPath *getPathToAffectingNode(const SoPath *path, const SoType &type);
    /// The coordinates node that path's tail shape uses when it lies
    /// outside the tail, NULL when none does.
    static SoNode *getAffectingCoordsIfOutsideTail(SoFullPath *path);

  SoEXTENDER public:
    virtual void callback(SoCallbackAction *action);
    virtual void GLRender(SoGLRenderAction *action);
    virtual void getBoundingBox(SoGetBoundingBoxAction *action);
    virtual void getMatrix(SoGetMatrixAction *action);
    virtual void handleEvent(SoHandleEventAction *action);
    virtual void rayPick(SoRayPickAction *action);
    virtual void search(SoSearchAction *action);
    virtual void write(SoWriteAction *action);

  protected:
    virtual SbBool readInstance(SoInput *in, unsigned short flags);
    virtual SbBool setUpConnections(SbBool onOff, SbBool doItAlways = FALSE);
    virtual void setDefaultOnNonWritingFields();
    virtual ~SoShadow();

    void updateXformNodes();
    void computeShadowXform();
    void computeObjectXform();
    void computeObjectBboxXform();
    void updateShadowedObjectSubgraph();

    static void lightDirCB(void *data, SoSensor *);
    static void projectionPlaneCB(void *data, SoSensor *);
    static void pickableCB(void *data, SoSensor *);
    static void renderAsBoxCB(void *data, SoSensor *);
    static void pathCB(void *data, SoSensor *);

  private:
    SoPath *objectPath, *transformPath;
    /// Where the box is measured from: the transform is reset there.
    SoPath *resetPath;
    SbBool resetBefore;
    /// Paths read before the nodes they lead to; followed on first use.
    SoPath *pendingObjectPath, *pendingTransformPath;
    SbBool enabled;
    SbBool objectXformValid, shadowXformValid;
    float thickness;
    SoPathSensor *pathSensor;
    SoFieldSensor *lightDirSensor, *pickableSensor, *planeSensor, *renderAsBoxSensor;
    GspHeadRelease *headRelease;  ///< the paths' heads are not held

    void setSlot(SoPath *&slot, SoPath *path);
    static void headGoneCB(SoFieldContainer *shadow);
    void resolvePendingPaths();
    void attachSensors(SbBool attach);
};

#endif
