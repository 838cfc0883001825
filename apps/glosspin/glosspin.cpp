// glosspin [--present | --view-only] [FILE]: views, authors and presents
// annotated scenes. With --present the scene's tour plays from the first
// marker to the last, and the program leaves when it ends; --view-only
// leaves out the authoring menus.
#include <signal.h>
#include <stdio.h>
#include <string.h>

#include <Glosspin/Glosspin.h>
#include <Inventor/Xt/SoXt.h>

#include "GspApplication.h"

namespace {

int usage()
{
    fprintf(stderr, "usage: glosspin [--present | --view-only] [file]\n");
    return 2;
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
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--present"))
            o.present = true;
        else if (!strcmp(argv[i], "--view-only"))
            o.viewOnly = true;
        else if (argv[i][0] == '-' || o.file)
            return usage();
        else
            o.file = argv[i];
    }
    if (o.present && !o.file)
        return usage();
    Widget top = SoXt::init("glosspin", "Glosspin");
    if (!top)
        return 1;
    ZnInit::initClasses();
    SoNewManips::init();
    ZnCommon common;
    SoSFDelayedData::supportDelayedReading = 1;
    termSignal = XtAppAddSignal(SoXt::getAppContext(), termCB, NULL);
    signal(SIGTERM, termHandler);

    XtVaSetValues(top, XmNwidth, 900, XmNheight, 700, NULL);
    GspApplication app(top, o);
    SoXt::show(top);
    SoXt::mainLoop();
    return 0;
}
