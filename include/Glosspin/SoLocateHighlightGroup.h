#ifndef GLOSSPIN_SOLOCATEHIGHLIGHTGROUP_H
#define GLOSSPIN_SOLOCATEHIGHLIGHTGROUP_H

#include <Glosspin/SoBounded.h>
#include <Inventor/fields/SoSFBool.h>
#include <Inventor/fields/SoSFColor.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoSubNode.h>
#include <X11/Intrinsic.h>

class GspGLWindowList;
class SoColorPacker;
class SoGLRenderAction;
class SoHandleEventAction;
class SoPath;

/// A group that redraws its children in a highlight colour while the
/// cursor is over them, straight into the window's front buffer, without
/// a redraw of the whole scene. At most one group in the process is
/// highlighted at a time.
class SoLocateHighlightGroup : public SoGroup {
    SO_NODE_HEADER(SoLocateHighlightGroup);

  public:
    SoBounded<SoSFBool> onOff;           ///< highlighting is on
    SoBounded<SoSFColor> emissiveColor;  ///< the highlight's glow
    SoBounded<SoSFColor> diffuseColor;   ///< the highlight's colour

    /// A new SoLocateHighlightGroup, its fields at their defaults.
    SoLocateHighlightGroup();
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();

    /// Whether the pointer is over the group's shapes.
    SbBool isHighlighted() const { return highlighted; }

    /// The widget the cursor last entered, and the group highlighted now.
    static Widget currentWidget;
    static SoLocateHighlightGroup *currentHighlight;  ///< the group lit now, NULL for none

  SoEXTENDER public:
    virtual void handleEvent(SoHandleEventAction *action);
    virtual void GLRender(SoGLRenderAction *action);

    /// Draws the group's path into the front buffer of the current window,
    /// highlighted or not.
    void redrawHighlighted(SoHandleEventAction *action, SbBool highlight);

  protected:
    virtual ~SoLocateHighlightGroup();

    /// Remembers the GL window being drawn in, most recent first.
    void checkForWindow();

    static void widgetDestroyedCB(Widget w, XtPointer clientData, XtPointer);
    static void parentWindowEventCB(Widget w, XtPointer clientData, XEvent *event,
                                    Boolean *);

  private:
    /// The GL windows drawn into, most recently used first.
    GspGLWindowList *windows;

    SbBool highlighted;
    SbBool drawingHighlight;
    SoGLRenderAction *renderAction;
    SoPath *highlightPath;
    SoColorPacker *colorPacker;
};

#endif
