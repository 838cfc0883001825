#include "support/Test.h"

#include "support/GridNote.h"
#include "support/ProcNote.h"

#include <sys/time.h>

#include <fstream>

#include <X11/Xresource.h>

namespace GspTest {

Widget topLevel()
{
    static Widget top = NULL;
    if (!top) {
        top = SoXt::init("glosspinTest", "GlosspinTest");
        if (!top) {
            ADD_FAILURE() << "no X display; run the tests under xvfb-run";
            return NULL;
        }
        ZnInit::initClasses();
        GridNote::initClass();
        ProcNote::initClass();
    }
    return top;
}

static long nowMs()
{
    struct timeval tv;
    gettimeofday(&tv, NULL);
    return tv.tv_sec * 1000L + tv.tv_usec / 1000;
}

bool pumpUntil(const std::function<bool()> &pred, int timeoutMs)
{
    XtAppContext app = SoXt::getAppContext();
    long end = nowMs() + timeoutMs;
    XSync(SoXt::getDisplay(), False);
    while (!pred()) {
        if (nowMs() >= end)
            return false;
        XtInputMask mask = XtAppPending(app);
        if (mask)
            XtAppProcessEvent(app, mask);
        else
            usleep(2000);
    }
    return true;
}

void pumpEvents(int ms)
{
    pumpUntil([] { return false; }, ms);
}

static Widget search(Widget w, const std::function<bool(Widget)> &match)
{
    if (!w)
        return NULL;
    if (match(w))
        return w;
    // Gadgets and other plain objects have no popup list.
    for (Cardinal i = 0; XtIsWidget(w) && i < w->core.num_popups; i++)
        if (Widget f = search(w->core.popup_list[i], match))
            return f;
    if (XtIsComposite(w)) {
        WidgetList children = NULL;
        Cardinal n = 0;
        XtVaGetValues(w, XtNchildren, &children, XtNnumChildren, &n, NULL);
        for (Cardinal i = 0; i < n; i++)
            if (Widget f = search(children[i], match))
                return f;
    }
    return NULL;
}

Widget findWidget(Widget root, const char *name)
{
    return search(root, [name](Widget w) { return strcmp(XtName(w), name) == 0; });
}

Widget findManaged(Widget root, const char *name)
{
    return search(root, [name](Widget w) { return !strcmp(XtName(w), name) && XtIsManaged(w); });
}

std::vector<Widget> openDialogs(const char *title)
{
    std::vector<Widget> found;
    Widget top = topLevel();
    for (Cardinal i = 0; top && i < top->core.num_popups; i++) {
        Widget shell = top->core.popup_list[i];
        char *t = NULL;
        XtVaGetValues(shell, XmNtitle, &t, NULL);
        CompositeWidget c = (CompositeWidget)shell;
        if (t && strcmp(t, title) == 0 && c->composite.num_children > 0 &&
            XtIsManaged(c->composite.children[0]))
            found.push_back(c->composite.children[0]);
    }
    return found;
}

std::string dialogMessages(const char *title)
{
    std::string messages;
    for (Widget dialog : openDialogs(title))
        messages += compoundText(dialog, XmNmessageString);
    return messages;
}

std::string awaitError(int timeoutMs)
{
    const char *title = "Glosspin : Error Dialog";
    pumpUntil([&] { return openDialog(title) != NULL; }, timeoutMs);
    return dialogMessages(title);
}

Widget openDialog(const char *title)
{
    std::vector<Widget> found = openDialogs(title);
    return found.empty() ? NULL : found[0];
}

std::vector<std::vector<std::string>> loggedRuns(const std::string &path)
{
    std::vector<std::vector<std::string>> runs(1);
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line == ".")
            runs.emplace_back();
        else
            runs.back().push_back(line);
    }
    runs.pop_back();
    return runs;
}

void destroyPopups()
{
    Widget top = topLevel();
    // Outside event dispatch, Xt destroys a widget at once.
    for (int guard = 0; top && top->core.num_popups > 0 && guard < 100; guard++)
        XtDestroyWidget(top->core.popup_list[top->core.num_popups - 1]);
    if (top)
        pumpEvents(10);
}

PendingReports &watchPending(ZnNote *note)
{
    static PendingReports reports;
    reports = PendingReports();
    note->pendingReadyCallback = [](ZnNote *, int) { reports.ready++; };
    note->pendingFinishedCallback = [](ZnNote *, int) { reports.finished++; };
    return reports;
}

int &countPlaybackEnds(ZnNote *note)
{
    static int ends;
    ends = 0;
    note->playerFinishedCallback = [](void *, int) { ends++; };
    return ends;
}

void invoke(Widget w, const char *callback, int reason)
{
    XmSelectionBoxCallbackStruct cbs = {};
    cbs.reason = reason;
    if (XmIsSelectionBox(w))
        XtVaGetValues(w, XmNtextString, &cbs.value, NULL);
    XtCallCallbacks(w, callback, &cbs);
    if (cbs.value)
        XmStringFree(cbs.value);
}

std::string textOf(Widget w)
{
    char *text = XmTextGetString(w);  // text fields too
    std::string out = text ? text : "";
    XtFree(text);
    return out;
}

std::string compoundText(Widget w, const char *resource)
{
    XmString xs = NULL;
    XtVaGetValues(w, resource, &xs, NULL);
    if (!xs)
        return "";
    char *text = (char *)XmStringUnparse(xs, NULL, XmCHARSET_TEXT, XmCHARSET_TEXT,
                                         NULL, 0, XmOUTPUT_ALL);
    std::string s = text ? text : "";
    XtFree(text);
    XmStringFree(xs);
    return s;
}

std::vector<std::string> listItems(Widget list)
{
    XmStringTable table;
    int count;
    XtVaGetValues(list, XmNitems, &table, XmNitemCount, &count, NULL);
    std::vector<std::string> out;
    for (int i = 0; i < count; i++) {
        char *text = (char *)XmStringUnparse(table[i], NULL, XmCHARSET_TEXT, XmCHARSET_TEXT,
                                             NULL, 0, XmOUTPUT_ALL);
        out.push_back(text ? text : "");
        XtFree(text);
    }
    return out;
}

void setResource(const char *key, const char *text)
{
    Display *d = SoXt::getDisplay();
    ZnCommon::getResource("title_display_error");  // merges the library's file first
    XrmDatabase db = XrmGetDatabase(d);
    std::string line = std::string("Glosspin.") + key + ": " + text;
    XrmPutLineResource(&db, line.c_str());
    XrmSetDatabase(d, db);
}


bool viewable(Widget w)
{
    XWindowAttributes a;
    XSync(XtDisplay(w), False);
    return XtWindow(w) && XGetWindowAttributes(XtDisplay(w), XtWindow(w), &a) &&
           a.map_state == IsViewable;
}

static int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}

// Windows of other programs may go while they are looked at.
static Window topWindow(const std::string &title)
{
    Display *d = SoXt::getDisplay();
    XSync(d, False);
    XErrorHandler old = XSetErrorHandler(ignoreXError);
    Window root, parent, *children, found = 0;
    unsigned n = 0;
    XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n);
    for (unsigned i = 0; i < n && !found; i++) {
        char *name = NULL;
        XWindowAttributes a;
        if (XFetchName(d, children[i], &name) && name && title == name &&
            XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable)
            found = children[i];
        XFree(name);
    }
    XFree(children);
    XSync(d, False);
    XSetErrorHandler(old);
    return found;
}

Window awaitWindow(const std::string &title, int timeoutMs)
{
    Window w = 0;
    pumpUntil([&] { return (w = topWindow(title)) != 0; }, timeoutMs);
    return w;
}

void closeByWindowManager(Window w)
{
    Display *d = SoXt::getDisplay();
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XFlush(d);
}

}
