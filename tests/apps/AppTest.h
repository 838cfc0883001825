#ifndef GLOSSPIN_TESTS_APPS_APPTEST_H
#define GLOSSPIN_TESTS_APPS_APPTEST_H

#include "support/Test.h"

#include <Inventor/Xt/viewers/SoXtExaminerViewer.h>
#include <Inventor/nodes/SoCamera.h>
#include <X11/extensions/XTest.h>
#include <Xm/FileSB.h>
#include <Xm/ToggleB.h>
#include <Xm/ToggleBG.h>

#include <memory>

#include "GspApplication.h"

// The Glosspin application on a copy of the sample scene, driven as a
// user drives it: menu items, real pointer and key events into its
// viewer, dialog buttons.
class GlosspinApp : public XtTest {
  protected:
    TempDir dir;
    std::unique_ptr<GspApplication> app;
    std::string scene;

    void SetUp() override
    {
        XtTest::SetUp();
        std::string out;
        ASSERT_EQ(0, GspTest::run("cp -r " GLOSSPIN_SAMPLE_DIR "/. " + dir.path(), out));
        scene = dir.file("annotated.iv");
        Widget top = GspTest::topLevel();
        XtVaSetValues(top, XmNwidth, 600, XmNheight, 500, NULL);
        GspApplication::Options o;
        o.file = scene.c_str();
        app.reset(new GspApplication(top, o));
        XtRealizeWidget(top);
        XtMapWidget(top);
        GspTest::pumpEvents(500);
    }

    void TearDown() override
    {
        app.reset();
        XtTest::TearDown();
    }

    void menu(const char *item)
    {
        Widget w = GspTest::findWidget(app->getMenuBar(), item);
        ASSERT_TRUE(w && XtIsSensitive(w)) << item;
        choose(w);
        GspTest::pumpEvents(50);
    }
    // A menu entry chosen: a toggle turned on, a button activated.
    static void choose(Widget w)
    {
        if (XmIsToggleButtonGadget(w))
            XmToggleButtonGadgetSetState(w, True, True);
        else
            XtCallCallbacks(w, XmNactivateCallback, NULL);
    }

    // The root-window pixel where the world point p shows in the viewer.
    void screenPoint(const SbVec3f &p, int &x, int &y)
    {
        SoXtExaminerViewer *v = app->getViewer();
        SbVec2s size = v->getViewportRegion().getWindowSize();
        SbViewVolume vv = v->getCamera()->getViewVolume((float)size[0] / size[1]);
        SbVec3f s;
        vv.projectToScreen(p, s);
        Window child;
        Display *d = XtDisplay(v->getRenderAreaWidget());
        XTranslateCoordinates(d, XtWindow(v->getRenderAreaWidget()), DefaultRootWindow(d),
                              (int)(s[0] * size[0]), (int)((1 - s[1]) * size[1]), &x, &y,
                              &child);
    }

    // A button-1 drag from world point a, dy pixels up, with key held.
    void drag(const SbVec3f &a, int dy, KeySym key = 0)
    {
        Display *d = XtDisplay(app->getViewer()->getRenderAreaWidget());
        int x, y;
        screenPoint(a, x, y);
        KeyCode code = key ? XKeysymToKeycode(d, key) : 0;
        XTestFakeMotionEvent(d, DefaultScreen(d), x, y, CurrentTime);
        if (code)
            XTestFakeKeyEvent(d, code, True, CurrentTime);
        XTestFakeButtonEvent(d, 1, True, CurrentTime);
        for (int i = 1; i <= 4; i++) {
            GspTest::pumpEvents(40);
            XTestFakeMotionEvent(d, DefaultScreen(d), x, y - dy * i / 4, CurrentTime);
        }
        GspTest::pumpEvents(40);
        XTestFakeButtonEvent(d, 1, False, CurrentTime);
        if (code)
            XTestFakeKeyEvent(d, code, False, CurrentTime);
        GspTest::pumpEvents(200);
    }

    void type(Widget w, const char *text)
    {
        Display *d = XtDisplay(w);
        Widget shell = w;
        while (!XtIsShell(shell))
            shell = XtParent(shell);
        XSetInputFocus(d, XtWindow(shell), RevertToParent, CurrentTime);
        XmProcessTraversal(w, XmTRAVERSE_CURRENT);
        GspTest::pumpEvents(100);
        for (const char *c = text; *c; c++) {
            KeySym sym = *c == ' '    ? XK_space
                         : *c == '\n' ? XK_Return
                                      : XStringToKeysym(std::string(1, *c).c_str());
            KeyCode code = XKeysymToKeycode(d, sym);
            bool shift = isupper(*c);
            if (shift)
                XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_Shift_L), True, CurrentTime);
            XTestFakeKeyEvent(d, code, True, CurrentTime);
            XTestFakeKeyEvent(d, code, False, CurrentTime);
            if (shift)
                XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_Shift_L), False, CurrentTime);
        }
        GspTest::pumpEvents(200);
    }

    void press(Widget dialog, const char *callback, int reason)
    {
        ASSERT_TRUE(dialog) << "the dialog is not open";
        GspTest::invoke(dialog, callback, reason);
        GspTest::pumpEvents(100);
    }

    // The name typed in a file dialog.
    static std::string typed(Widget fsb)
    {
        return GspTest::textOf(XmFileSelectionBoxGetChild(fsb, XmDIALOG_TEXT));
    }

    // The annotations of a saved file, as a process with the toolkit
    // alone reads them.
    static std::string savedSummary(const std::string &file)
    {
        std::string out;
        EXPECT_EQ(0, GspTest::run(GLOSSPIN_SAVED_SCENE_CHECK " " + file, out));
        return out;
    }

    // The file dialog the menu item opens, with file typed into it.
    Widget fileDialog(const char *item, const std::string &file)
    {
        menu(item);
        Widget fsb = GspTest::findManaged(GspTest::topLevel(), "fileDialog");
        if (fsb)
            XmTextSetString(XmFileSelectionBoxGetChild(fsb, XmDIALOG_TEXT), (char *)file.c_str());
        return fsb;
    }

    bool saveAs(const std::string &file, bool binary)
    {
        Widget fsb = fileDialog("fileSaveAs", file);
        if (!fsb)
            return false;
        XmToggleButtonSetState(GspTest::findWidget(fsb, "binary"), binary, False);
        press(fsb, XmNokCallback, XmCR_OK);
        if (Widget replace = GspTest::findManaged(GspTest::topLevel(), "replaceQuestion"))
            press(replace, XmNokCallback, XmCR_OK);
        return app->getFileName() == file && !app->isModified();
    }

    ZnMarker *marker(int i) { return app->getSequencer()->getMarker(i); }
    ZnNoteList *notes(ZnMarker *m) { return (ZnNoteList *)m->getPart("notes", TRUE); }
};

#endif
