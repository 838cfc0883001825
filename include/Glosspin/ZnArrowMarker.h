#ifndef GLOSSPIN_ZNARROWMARKER_H
#define GLOSSPIN_ZNARROWMARKER_H

#include <Glosspin/ZnMarker.h>
#include <Inventor/SbLinear.h>
#include <Glosspin/SoSFCountedPath.h>

class SoGetMatrixAction;
class GspHeadRelease;
class SoFieldContainer;
class SoSensor;
class ZnArrow;
class ZnArrowDragger;

/// A marker that points at an object with an arrow and follows it: it is
/// attached through a path from the scene root to the object, and whatever
/// moves the object along that path moves the arrow with it. While
/// selected it holds the one arrow dragger all arrow markers share, so the
/// arrow can be moved, turned, lengthened and dropped onto another object.
/// Its notes sit at the arrow's tail.
class ZnArrowMarker : public ZnMarker {
    typedef ZnMarker inherited;

    SO_KIT_HEADER(ZnArrowMarker);
    SO_KIT_CATALOG_ENTRY_HEADER(localTransform);
    SO_KIT_CATALOG_ENTRY_HEADER(antiScale);
    SO_KIT_CATALOG_ENTRY_HEADER(objectTransform);
    SO_KIT_CATALOG_ENTRY_HEADER(dragger);
    SO_KIT_CATALOG_ENTRY_HEADER(draggerTransform);
    SO_KIT_CATALOG_ENTRY_HEADER(arrow);

  public:
    /// The object path in files only: filled while writing, cleared after
    /// writing and reading.
    SoSFCountedPath objectPathField;

    /// A new ZnArrowMarker, its fields at their defaults.
    ZnArrowMarker();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    virtual SoTransform *getObjectTransform();
    virtual SoTransform *getDraggerTransform();
    virtual void setDefaultNoteAnchor();
    virtual SbColor *getDefaultColor();
    virtual int getUndoWeight();
    virtual SoDragger *getDragger();
    virtual void attachDragger();
    virtual void detachDragger();

    /// Attaches the marker to the object at the path's tail (a copy of the
    /// path is kept), or detaches it with NULL. The path returned is in
    /// step with the scene when it is returned; copy it to keep it so.
    ///@{
    void setPathToObject(SoPath *path);
    SoPath *getPathToObject();
    ///@}
    /// Whether node lies on the object path.
    int isAttachedToNode(SoNode *node);
    /// Builds the object path node by node, without following it yet.
    void appendObjectPath(SoNode *node);

    /// The arrow's ZnArrow::Type.
    ///@{
    void setArrowType(int type);
    int getArrowType();
    ///@}

    /// Moves the object's motion so far into the arrow's own placement and
    /// takes the object's present position as the new reference.
    ///@{
    void resetObjectTransform();
    void saveCurrentObjectXformInverse();
    ///@}
    /// Follows the object: its motion since the last save.
    void pathChanged();

    /// Called at once when anything on the object path changes.
    static void pathSensorCB(void *marker, SoSensor *sensor);
    /// The shared dragger moved the arrow, or let go of it.
    ///@{
    static void draggerChangedCB(void *marker, SoDragger *dragger);
    static void draggerFinishCB(void *marker, SoDragger *dragger);
    ///@}

  SoEXTENDER public:
    virtual void GLRender(SoGLRenderAction *action);
    virtual void write(SoWriteAction *action);

  protected:
    virtual ~ZnArrowMarker();
    virtual SbBool readInstance(SoInput *in, unsigned short flags);
    virtual void setDefaultOnNonWritingFields();

    /// Kept in step with the scene by currentPath(), which returns it.
    SoPath *objectPath;
    SoPath *currentPath();
    SoGetMatrixAction *matrixAction;
    SbMatrix objectXformInverse;

    static ZnArrowDragger *arrowDragger;
    static SbColor defaultColor;

  private:
    /// A path read from a file that leads to nodes read after this marker:
    /// followed once the scene is complete (first use).
    SoPath *pendingPath;
    GspHeadRelease *headRelease;  ///< the paths' heads are not held

    ZnArrow *arrowPart();
    static void headGoneCB(SoFieldContainer *marker);
    void resolvePendingPath();
    void setPath(SoPath *&slot, SoPath *path);
};

#endif
