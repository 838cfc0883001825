#ifndef GLOSSPIN_ZNARROWDRAGGER_H
#define GLOSSPIN_ZNARROWDRAGGER_H

#include <Glosspin/SoBounded.h>
#include <Glosspin/ZnArrow.h>
#include <Inventor/SbLinear.h>
#include <Inventor/draggers/SoDragger.h>
#include <Inventor/fields/SoSFEnum.h>
#include <Inventor/fields/SoSFFloat.h>
#include <Inventor/fields/SoSFRotation.h>
#include <Inventor/fields/SoSFVec3f.h>
#include <Inventor/nodekits/SoSubKit.h>
#include <Inventor/projectors/SbLineProjector.h>
#include <Inventor/projectors/SbPlaneProjector.h>

class SoFieldSensor;
class SoPath;
class SoRayPickAction;
class SoSensor;
class SoSeparator;
class SoTranslation;

/// The handle of an arrow marker, its origin at the arrow's tip, with three
/// knobs shaped for the arrow type: the head moves the arrow (onto the
/// surface under the cursor, across the axis with Shift, along it with
/// Alt), the stretcher on the shaft lengthens it (scales it evenly with
/// Shift), and the ball at the far end swings it about the tip.
class ZnArrowDragger : public SoDragger {
    SO_KIT_HEADER(ZnArrowDragger);

    SO_KIT_CATALOG_ENTRY_HEADER(stretcherSep);
    SO_KIT_CATALOG_ENTRY_HEADER(stretcherRotFromRot);
    SO_KIT_CATALOG_ENTRY_HEADER(stretcherRotAxis);
    SO_KIT_CATALOG_ENTRY_HEADER(stretcher);
    SO_KIT_CATALOG_ENTRY_HEADER(rotatorSep);
    SO_KIT_CATALOG_ENTRY_HEADER(rotatorTrans);
    SO_KIT_CATALOG_ENTRY_HEADER(rotator);
    SO_KIT_CATALOG_ENTRY_HEADER(translatorSep);
    SO_KIT_CATALOG_ENTRY_HEADER(translatorRot);
    SO_KIT_CATALOG_ENTRY_HEADER(translatorSwitch);
    SO_KIT_CATALOG_ENTRY_HEADER(translator);
    SO_KIT_CATALOG_ENTRY_HEADER(translatorActive);

  public:
    SoBounded<SoSFFloat> arrowLength;     ///< the arrow's length as dragged
    SoBounded<SoSFRotation> rotation;     ///< its turn
    SoBounded<SoSFVec3f> translation;     ///< the place of its tip
    SoBounded<SoSFVec3f> scaleFactor;     ///< its scale
    /// ZnArrow's type numbers, named so that files keep every type.
    enum ArrowType { ARROW = ZnArrow::ARROW, LINE_ARROW = ZnArrow::LINE_ARROW,
                     PUSHPIN = ZnArrow::PUSHPIN };
    SoSFEnum arrowType;  ///< an ArrowType

    /// A new ZnArrowDragger, its fields at their defaults.
    ZnArrowDragger();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// Types other than 0, 1 and 2 become 0; a new type swaps the knobs.
    ///@{
    void setArrowType(int type);
    int getArrowType() const { return arrowType.getValue(); }
    ///@}

    /// The surface the arrow was last dropped on (a copy), or NULL.
    ///@{
    void setAttachedPath(SoPath *path);
    SoPath *getAttachedPath() const { return attachedPath; }
    ///@}

    /// The nodes a plain head drag snaps the arrow onto.
    ///@{
    void addTargetNode(SoNode *node);
    void clearTargetNodes();
    ///@}

  protected:
    static void startCB(void *, SoDragger *);
    static void motionCB(void *, SoDragger *);
    static void finishCB(void *, SoDragger *);
    static void metaKeyChangeCB(void *, SoDragger *);
    static void stretcherStartCB(void *, SoDragger *);
    static void stretcherChangedCB(void *, SoDragger *);
    static void stretcherFinishCB(void *, SoDragger *);
    static void rotatorChangedCB(void *, SoDragger *);
    static void rotFieldCB(void *, SoSensor *);
    static void lengthFieldCB(void *, SoSensor *);
    static void translFieldCB(void *, SoSensor *);

    void dragStart();
    void drag();
    void dragFinish();
    void stretcherDragStart();
    void stretcherDrag();
    void stretcherDragFinish();
    void rotatorDrag();

    virtual SbBool setUpConnections(SbBool onOff, SbBool doItAlways = FALSE);
    virtual void setDefaultOnNonWritingFields();
    virtual ~ZnArrowDragger();

  private:
    SoTranslation *lengthTranslation;
    SoTranslation *minusDraggerTranslation;
    SoNode *geometry[6];  ///< stretcher, active; rotator, active; translator, active
    SoSeparator *targetRoot;
    SoRayPickAction *pickAction;
    SbLineProjector lineProj;
    SbPlaneProjector planeProj;
    SbVec3f lineStart, planeStart;
    SbVec3f worldAxis;           ///< of the head drag
    SbVec3f pickPoint;           ///< world point grabbed at the head drag's start
    SbVec3f startTranslation;    ///< translation then
    SoPath *attachedPath;
    SbBool translating, stretching;
    float startLength, startScale;
    SoFieldSensor *rotSensor, *lengthSensor, *translSensor;

    void connectKnobs();
    void disconnectKnobs();
    SoNode *knobCopy(const SbString &name, int slot);
    void setTranslation(const SbVec3f &t);
    void snapToSurface();
    void restartProjectors();
    void placeProjectors(const SbVec3f &worldPoint);
};

#endif
