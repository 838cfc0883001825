#ifndef GLOSSPIN_SOHIDEABLETRANSFORMMANIP_H
#define GLOSSPIN_SOHIDEABLETRANSFORMMANIP_H

#include <Inventor/manips/SoTransformManip.h>

/// A transform manipulator that a preceding hide-manipulators node turns
/// into the plain transform it edits: its dragger is then not drawn, not
/// picked, adds nothing to bounding boxes and takes no events, while the
/// transform still applies to what follows. The base of the library's
/// manipulators.
class SoHideableTransformManip : public SoTransformManip {
    SO_NODE_HEADER(SoHideableTransformManip);
    typedef SoTransformManip inherited;

  public:
    /// A new SoHideableTransformManip, its fields at their defaults.
    SoHideableTransformManip();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

  SoEXTENDER public:
    virtual void callback(SoCallbackAction *action);
    virtual void GLRender(SoGLRenderAction *action);
    virtual void getBoundingBox(SoGetBoundingBoxAction *action);
    virtual void handleEvent(SoHandleEventAction *action);
    virtual void pick(SoPickAction *action);

  protected:
    static SbBool isHidden(SoAction *action);
    virtual ~SoHideableTransformManip();
};

#endif
