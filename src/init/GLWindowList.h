#ifndef GLOSSPIN_INIT_GLWINDOWLIST_H
#define GLOSSPIN_INIT_GLWINDOWLIST_H

#include <GL/glx.h>
#include <Inventor/SbPList.h>
#include <X11/Intrinsic.h>

// The GL windows a node has been drawn into, for its locate highlight:
// each window's GLX drawable, its widget, the widget's parent and the
// GLX context current when it was first seen. The owner hears the
// pointer cross each parent (crossed, on enter and leave) and each
// widget's destruction (destroyed), with itself as client data; the
// list takes both away again when it goes.
class GspGLWindowList {
  public:
    GspGLWindowList(XtEventHandler crossed, XtCallbackProc destroyed, XtPointer owner);
    ~GspGLWindowList();

    // Where a window drawn into again goes: first, or first only when an
    // earlier window shares its parent (the most recent of those wins).
    enum Order { TO_FRONT, TO_FRONT_IF_PARENT_SHARED };

    // Records the current GLX drawable; a new window goes first. Its
    // index, or -1 when it is no window of this application's widgets.
    int noteCurrent(Order order);

    int getLength() const { return widgets.getLength(); }
    int findWidget(Widget w) const { return widgets.find(w); }
    int findParent(Widget parent) const { return parents.find(parent); }
    Widget widget(int i) const { return (Widget)widgets[i]; }
    GLXContext context(int i) const { return (GLXContext)contexts[i]; }

    // Forgets the window of w, a widget being destroyed.
    void forgetWidget(Widget w);

  private:
    XtEventHandler crossed;
    XtCallbackProc destroyed;
    XtPointer owner;
    SbPList drawables, widgets, parents, contexts;

    void moveToFront(int i);
    void forget(int i);
};

#endif
