#include "init/GLWindowList.h"

#include <stdint.h>

#include <initializer_list>

#include <Inventor/Xt/SoXt.h>

static const EventMask CROSSING = EnterWindowMask | LeaveWindowMask;

GspGLWindowList::GspGLWindowList(XtEventHandler crossed, XtCallbackProc destroyed,
                                 XtPointer owner)
    : crossed(crossed), destroyed(destroyed), owner(owner)
{
}

GspGLWindowList::~GspGLWindowList()
{
    while (getLength() > 0) {
        XtRemoveCallback(widget(0), XtNdestroyCallback, destroyed, owner);
        forget(0);
    }
}

int GspGLWindowList::noteCurrent(Order order)
{
    GLXDrawable d = glXGetCurrentDrawable();
    Display *display = SoXt::getTopLevelWidget() ? SoXt::getDisplay() : NULL;
    if (!d || !display)
        return -1;
    void *key = (void *)(uintptr_t)d;
    int i = drawables.find(key);
    if (i >= 0) {
        // Known: first already, or moved there when the order says so.
        if (i > 0 && (order == TO_FRONT || parents.find(parents[i]) < i)) {
            moveToFront(i);
            i = 0;
        }
        return i;
    }
    Widget w = XtWindowToWidget(display, d);
    if (!w)
        return -1;
    Widget parent = XtParent(w);
    drawables.insert(key, 0);
    widgets.insert(w, 0);
    parents.insert(parent, 0);
    contexts.insert(glXGetCurrentContext(), 0);
    XtAddEventHandler(parent, CROSSING, False, crossed, owner);
    XtAddCallback(w, XtNdestroyCallback, destroyed, owner);
    return 0;
}

void GspGLWindowList::forgetWidget(Widget w)
{
    int i = findWidget(w);
    if (i >= 0)
        forget(i);
}

void GspGLWindowList::moveToFront(int i)
{
    for (SbPList *list : {&drawables, &widgets, &parents, &contexts}) {
        void *entry = (*list)[i];
        list->remove(i);
        list->insert(entry, 0);
    }
}

void GspGLWindowList::forget(int i)
{
    XtRemoveEventHandler((Widget)parents[i], CROSSING, False, crossed, owner);
    drawables.remove(i);
    widgets.remove(i);
    parents.remove(i);
    contexts.remove(i);
}
