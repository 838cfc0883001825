#include "init/GLWindowList.h"

#include <stdint.h>

#include <initializer_list>
#include <unordered_map>
#include <utility>
#include <vector>

#include <Inventor/Xt/SoXt.h>

namespace {

const EventMask CROSSING = EnterWindowMask | LeaveWindowMask;

// The lists' owners that hear a widget: its crossings (a parent's) or its
// destruction (a GL widget's), each with its procedure and how many of
// its windows ask for it. One Xt handler or callback a widget serves them
// all: Xt keeps a widget's handlers in a list it walks whenever one is
// added or removed, so one each for thousands of markers in a window made
// drawing them the first time, and removing one, cost as much as all.
struct Hearer {
    XtEventHandler crossed;
    XtCallbackProc destroyed;
    int count;
};
typedef std::unordered_map<XtPointer, Hearer> Hearers;
typedef std::unordered_map<Widget, Hearers> HearersByWidget;

HearersByWidget &crossings()
{
    static HearersByWidget table;
    return table;
}

HearersByWidget &destructions()
{
    static HearersByWidget table;
    return table;
}

// The owners hearing w now; each is asked again before it is called, as
// an earlier one may have taken another away.
std::vector<std::pair<XtPointer, Hearer>> hearersOf(HearersByWidget &table, Widget w)
{
    auto found = table.find(w);
    if (found == table.end())
        return {};
    return std::vector<std::pair<XtPointer, Hearer>>(found->second.begin(), found->second.end());
}

bool stillHears(HearersByWidget &table, Widget w, XtPointer owner)
{
    auto found = table.find(w);
    return found != table.end() && found->second.count(owner);
}

void crossedAny(Widget w, XtPointer, XEvent *event, Boolean *goOn)
{
    for (auto &h : hearersOf(crossings(), w))
        if (stillHears(crossings(), w, h.first))
            h.second.crossed(w, h.first, event, goOn);
}

void destroyedAny(Widget w, XtPointer, XtPointer call)
{
    for (auto &h : hearersOf(destructions(), w))
        if (stillHears(destructions(), w, h.first))
            h.second.destroyed(w, h.first, call);
    destructions().erase(w);  // Xt drops its callback with the widget
}

void listen(HearersByWidget &table, Widget w, XtPointer owner, const Hearer &hearer)
{
    Hearers &hearers = table[w];
    if (hearers.empty()) {
        if (&table == &crossings())
            XtAddEventHandler(w, CROSSING, False, crossedAny, NULL);
        else
            XtAddCallback(w, XtNdestroyCallback, destroyedAny, NULL);
    }
    auto added = hearers.emplace(owner, hearer);
    if (!added.second)
        added.first->second.count++;
}

void stopListening(HearersByWidget &table, Widget w, XtPointer owner)
{
    auto found = table.find(w);
    if (found == table.end())
        return;
    auto hearer = found->second.find(owner);
    if (hearer == found->second.end() || --hearer->second.count > 0)
        return;
    found->second.erase(hearer);
    if (!found->second.empty())
        return;
    if (&table == &crossings())
        XtRemoveEventHandler(w, CROSSING, False, crossedAny, NULL);
    else
        XtRemoveCallback(w, XtNdestroyCallback, destroyedAny, NULL);
    table.erase(found);
}

}

GspGLWindowList::GspGLWindowList(XtEventHandler crossed, XtCallbackProc destroyed,
                                 XtPointer owner)
    : crossed(crossed), destroyed(destroyed), owner(owner)
{
}

GspGLWindowList::~GspGLWindowList()
{
    while (getLength() > 0) {
        stopListening(destructions(), widget(0), owner);
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
    listen(crossings(), parent, owner, {crossed, NULL, 1});
    listen(destructions(), w, owner, {NULL, destroyed, 1});
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
    stopListening(crossings(), (Widget)parents[i], owner);
    drawables.remove(i);
    widgets.remove(i);
    parents.remove(i);
    contexts.remove(i);
}
