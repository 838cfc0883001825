// 3dNoteViewer [-s W H] [-o X Y] FILE [NOTEDIR]: the viewer of scene
// notes. It shows the scene in FILE in an examiner viewer of W x H pixels
// at X, Y, its markers clickable and their notes playable, the notes' own
// external files resolved from NOTEDIR. A file or directory that cannot
// be used is reported in the library's error dialog, and the program
// leaves with status 1 once the dialog is dismissed; closing the window
// (or the note that started it stopping it) leaves with 0.
#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include <Inventor/SoDB.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/Xt/viewers/SoXtExaminerViewer.h>
#include <Inventor/nodes/SoSeparator.h>
#include <X11/IntrinsicP.h>
#include <Xm/Protocols.h>
#include <Xm/Xm.h>

#include <Glosspin/Glosspin.h>

#include "common/SceneFile.h"

namespace {

struct Options {
    int width = 0, height = 0, x = -1, y = -1;
    const char *file = NULL, *noteDir = NULL;
};

// Two numbers after an option, each above min.
bool numbers(int argc, char **argv, int &i, int &a, int &b, int min)
{
    if (i + 2 >= argc)
        return false;
    char *end1, *end2;
    long v1 = strtol(argv[i + 1], &end1, 10), v2 = strtol(argv[i + 2], &end2, 10);
    if (*end1 || *end2 || !*argv[i + 1] || !*argv[i + 2] || v1 < min || v2 < min ||
        v1 > 30000 || v2 > 30000)
        return false;
    a = (int)v1;
    b = (int)v2;
    i += 2;
    return true;
}

bool parse(int argc, char **argv, Options &o)
{
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1]; i++) {
        if (!strcmp(argv[i], "-s") && numbers(argc, argv, i, o.width, o.height, 1))
            continue;
        if (!strcmp(argv[i], "-o") && numbers(argc, argv, i, o.x, o.y, 0))
            continue;
        return false;
    }
    if (i == argc || argc - i > 2)
        return false;
    o.file = argv[i];
    o.noteDir = i + 1 < argc ? argv[i + 1] : NULL;
    return true;
}

[[noreturn]] void leave(int status)
{
    ZnCommon::cleanUpAllFiles();
    exit(status);
}

void leaveCB(Widget, XtPointer status, XtPointer) { leave((int)(intptr_t)status); }

// SIGTERM from the note that started the viewer: its files go too.
XtSignalId termSignal;
void termHandler(int) { XtNoticeSignal(termSignal); }
void termCB(XtPointer, XtSignalId *) { leave(0); }

// Shows the error and leaves with status 1 once the user has dismissed
// the dialog or closed it.
[[noreturn]] void fail(Widget top, const char *key, const char *arg, const std::string &reason)
{
    XtSetMappedWhenManaged(top, False);
    XtRealizeWidget(top);
    ZnCommon::displayError(key, reason.empty() ? NULL : "viewerReasonMsg", arg, reason.c_str());
    if (top->core.num_popups == 0)
        leave(1);
    Widget shell = top->core.popup_list[top->core.num_popups - 1];
    XtAddCallback(shell, XmNpopdownCallback, leaveCB, (XtPointer)1);
    XtAddCallback(shell, XmNdestroyCallback, leaveCB, (XtPointer)1);
    XmAddWMProtocolCallback(shell, XmInternAtom(XtDisplay(top), (char *)"WM_DELETE_WINDOW", False),
                            leaveCB, (XtPointer)1);
    SoXt::mainLoop();
    leave(1);
}

// The scene of the file, or a failure with its reason. The file's name
// is taken whole first, since the notes' directory becomes the current
// directory.
SoSeparator *readScene(Widget top, const Options &o)
{
    char full[PATH_MAX];
    if (!realpath(o.file, full))
        fail(top, "viewerCannotOpenMsg", o.file, strerror(errno));
    if (o.noteDir && *o.noteDir && chdir(o.noteDir) != 0)
        fail(top, "viewerNoDirMsg", o.noteDir, strerror(errno));
    std::string why;
    SoSeparator *scene = gspReadSceneFile(full, why);
    if (!scene)
        fail(top, "viewerCannotReadMsg", o.file, why);
    return scene;
}

std::string baseName(const char *file)
{
    return strrchr(file, '/') ? strrchr(file, '/') + 1 : file;
}

void placeWindow(Widget top, const Options &o)
{
    XtVaSetValues(top, XmNdeleteResponse, XmDO_NOTHING, NULL);
    // A geometry string, so that a window manager takes the place as the
    // user's own.
    char geometry[64] = "";
    if (o.width > 0)
        snprintf(geometry, sizeof geometry, "%dx%d", o.width, o.height);
    if (o.x >= 0)
        snprintf(geometry + strlen(geometry), sizeof geometry - strlen(geometry), "+%d+%d", o.x,
                 o.y);
    if (*geometry)
        XtVaSetValues(top, XmNgeometry, XtNewString(geometry), NULL);
    XmAddWMProtocolCallback(top, XmInternAtom(XtDisplay(top), (char *)"WM_DELETE_WINDOW", False),
                            leaveCB, (XtPointer)0);
}

}

int main(int argc, char **argv)
{
    const char *synopsis = "usage: 3dNoteViewer [-s width height] [-o x y] file [notedir]\n";
    if (argc == 2 && !strcmp(argv[1], "--help")) {
        fputs(synopsis, stdout);
        return 0;
    }
    Options o;
    if (!parse(argc, argv, o)) {
        fputs(synopsis, stderr);
        return 2;
    }
    Widget top = SoXt::init("3dNoteViewer", "Glosspin");
    if (!top)
        return 1;
    ZnInit::initClasses();
    ZnCommon common;
    ZnCommon::editMode = 1;
    SoSFDelayedData::supportDelayedReading = 1;
    termSignal = XtAppAddSignal(SoXt::getAppContext(), termCB, NULL);
    signal(SIGTERM, termHandler);

    SoSeparator *scene = readScene(top, o);
    placeWindow(top, o);
    SoXtExaminerViewer *viewer = new SoXtExaminerViewer(top);
    viewer->setTitle((char *)("3dNoteViewer: " + baseName(o.file)).c_str());
    viewer->setIconTitle((char *)baseName(o.file).c_str());
    viewer->setSceneGraph(scene);
    // Clicks go to the markers and notes; Alt-drag turns the camera.
    viewer->setViewing(FALSE);
    viewer->show();
    SoXt::show(top);
    // View notes inside move the viewer's camera.
    ZnCommon::updateCameraPath(viewer->getSceneManager()->getSceneGraph());
    SoXt::mainLoop();
    return 0;
}
