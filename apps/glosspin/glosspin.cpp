// glosspin [--present | --view-only] [--fullscreen] [FILE]: views, authors
// and presents annotated scenes. With --present the scene's tour plays
// from the first marker to the last, without menus, and the program
// leaves when it ends (or on Esc or Ctrl+Q); --view-only leaves out the
// authoring menus; --fullscreen fills the screen.
#include <signal.h>
#include <stdio.h>
#include <string.h>

#include <Glosspin/Glosspin.h>
#include <Inventor/Xt/SoXt.h>

#include <Inventor/nodes/SoSeparator.h>
#include <X11/Xatom.h>

#include "GspApplication.h"
#include "common/SceneFile.h"

namespace {

// To standard output and status 0 when asked for, else a mistake.
int usage(bool asked = false)
{
    fprintf(asked ? stdout : stderr,
            "usage: glosspin [--present | --view-only] [--fullscreen] [file]\n");
    return asked ? 0 : 2;
}

XtSignalId termSignal;
void termHandler(int) { XtNoticeSignal(termSignal); }
void termCB(XtPointer, XtSignalId *)
{
    ZnCommon::cleanUpAllFiles();
    exit(0);
}

}

int main(int argc, char **argv)
{
    GspApplication::Options o;
    bool fullscreen = false;
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--help"))
            return usage(true);
        if (!strcmp(argv[i], "--present"))
            o.present = true;
        else if (!strcmp(argv[i], "--view-only"))
            o.viewOnly = true;
        else if (!strcmp(argv[i], "--fullscreen"))
            fullscreen = true;
        else if (argv[i][0] == '-' || o.file)
            return usage();
        else
            o.file = argv[i];
    }
    if (o.present && !o.file)
        return usage();
    // Without a display nothing can be shown: say so, and why the file
    // could not have been either.
    if (Display *d = XOpenDisplay(NULL))
        XCloseDisplay(d);
    else {
        fprintf(stderr, "glosspin: cannot open the display %s\n", XDisplayName(NULL));
        if (o.file) {
            SoDB::init();
            ZnInit::initClasses();
            std::string why;
            if (SoSeparator *root = gspReadSceneFile(o.file, why))
                root->unref();
            else
                fprintf(stderr, "glosspin: cannot open %s:\n%s\n", o.file, why.c_str());
        }
        return 1;
    }
    Widget top = SoXt::init("glosspin", "Glosspin");
    if (!top)
        return 1;
    ZnInit::initClasses();
    SoNewManips::init();
    ZnCommon common;
    SoSFDelayedData::supportDelayedReading = 1;
    termSignal = XtAppAddSignal(SoXt::getAppContext(), termCB, NULL);
    signal(SIGTERM, termHandler);

    if (fullscreen) {
        Screen *s = XtScreen(top);
        XtVaSetValues(top, XmNx, 0, XmNy, 0, XmNwidth, WidthOfScreen(s), XmNheight,
                      HeightOfScreen(s), NULL);
    } else
        XtVaSetValues(top, XmNwidth, 900, XmNheight, 700, NULL);
    GspApplication app(top, o);
    if (fullscreen) {
        // Window managers that know the hint take the decorations away.
        Display *d = XtDisplay(top);
        Atom state = XInternAtom(d, "_NET_WM_STATE", False);
        Atom full = XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", False);
        XChangeProperty(d, XtWindow(top), state, XA_ATOM, 32, PropModeReplace,
                        (unsigned char *)&full, 1);
    }
    SoXt::show(top);
    SoXt::mainLoop();
    return 0;
}
