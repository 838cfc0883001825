#ifndef GLOSSPIN_ZNBULLETMARKER_H
#define GLOSSPIN_ZNBULLETMARKER_H

#include <Glosspin/ZnMarker.h>
#include <Inventor/SbLinear.h>

class SoScreenCompoundDragger;
class SoSeparator;

/// The simple marker: a small cyan octahedron placed freely in the scene,
/// with its notes beside it. While selected it holds the one screen
/// compound dragger all bullet markers share, which moves it in the plane
/// of the screen and scales it. The octahedron is one shared default part,
/// written to files only when an application replaces it.
class ZnBulletMarker : public ZnMarker {
    typedef ZnMarker inherited;

    SO_KIT_HEADER(ZnBulletMarker);
    SO_KIT_CATALOG_ENTRY_HEADER(localTransform);
    SO_KIT_CATALOG_ENTRY_HEADER(dragger);
    SO_KIT_CATALOG_ENTRY_HEADER(draggerTransform);
    SO_KIT_CATALOG_ENTRY_HEADER(bullet);

  public:
    /// A new ZnBulletMarker, its fields at their defaults.
    ZnBulletMarker();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    virtual SoTransform *getDraggerTransform();
    virtual void setDefaultNoteAnchor();
    virtual SbColor *getDefaultColor();
    virtual int getUndoWeight();
    virtual SoDragger *getDragger();
    virtual void attachDragger();
    virtual void detachDragger();

  protected:
    virtual ~ZnBulletMarker();
    virtual SbBool readInstance(SoInput *in, unsigned short flags);
    virtual void setDefaultOnNonWritingFields();

    static SbColor defaultColor;
    static SoScreenCompoundDragger *bulletDragger;
    /// The octahedron's scene text, and the scene read from it once.
    static const char geomBuffer[];
    static SoSeparator *bulletGeom;
};

#endif
