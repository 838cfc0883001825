#ifndef GLOSSPIN_SOHIDEMANIP_H
#define GLOSSPIN_SOHIDEMANIP_H

#include <Inventor/nodes/SoNode.h>
#include <Inventor/nodes/SoSubNode.h>

/// Hides the hideable manipulators that follow it in the same traversal
/// state (up to the end of the enclosing separator): they draw, pick and
/// bound as the plain transforms they edit, and take no events.
class SoHideManip : public SoNode {
    SO_NODE_HEADER(SoHideManip);

  public:
    /// A new SoHideManip, its fields at their defaults.
    SoHideManip();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

  SoEXTENDER public:
    virtual void doAction(SoAction *action);
    virtual void callback(SoCallbackAction *action);
    virtual void GLRender(SoGLRenderAction *action);
    virtual void getBoundingBox(SoGetBoundingBoxAction *action);
    virtual void handleEvent(SoHandleEventAction *action);
    virtual void pick(SoPickAction *action);

  protected:
    virtual ~SoHideManip();
};

#endif
