#include "support/BenchWindow.h"

#include <unistd.h>

#include <vector>

#include <GL/gl.h>
#include <GL/glx.h>

#include <Glosspin/ZnInit.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/Xt/SoXtRenderArea.h>
#include <Inventor/nodes/SoSeparator.h>
#include <X11/Shell.h>

namespace GspBench {

// Pixels of the last frame that are not background: shows that each
// benchmark drew what it claims to.
static long inkedPixels(SbVec2s size)
{
    std::vector<unsigned char> rgb(3 * (size_t)size[0] * (size_t)size[1]);
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, size[0], size[1], GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    long n = 0;
    for (size_t i = 0; i < rgb.size(); i += 3)
        n += rgb[i] || rgb[i + 1] || rgb[i + 2];
    return n;
}

Widget topLevel()
{
    static Widget top = NULL;
    if (!top) {
        top = SoXt::init("glosspinBench", "GlosspinBench");
        ZnInit::initClasses();
    }
    return top;
}

void renderFrames(benchmark::State &state, SoSeparator *scene, SbVec2s size)
{
    Widget shell = XtVaCreatePopupShell("benchWindow", topLevelShellWidgetClass, topLevel(),
                                        NULL);
    SoXtRenderArea *area = new SoXtRenderArea(shell);
    area->setSize(size);
    area->setSceneGraph(scene);
    area->show();
    XtPopup(shell, XtGrabNone);
    // Until the window is mapped and has had its first redraw.
    XtAppContext app = SoXt::getAppContext();
    for (int i = 0; i < 500 && !area->isVisible(); i++) {
        while (XtAppPending(app))
            XtAppProcessEvent(app, XtIMAll);
        usleep(2000);
    }
    while (XtAppPending(app))
        XtAppProcessEvent(app, XtIMAll);
    area->setAutoRedraw(FALSE);
    if (!area->isVisible())
        state.SkipWithError("the window was never mapped");
    for (auto _ : state) {
        area->render();
        glFinish();
    }
    state.counters["fps"] = benchmark::Counter((double)state.iterations(),
                                               benchmark::Counter::kIsRate);
    state.counters["inked"] = (double)inkedPixels(size);
    glXMakeCurrent(SoXt::getDisplay(), None, NULL);
    delete area;
    XtDestroyWidget(shell);
    scene->unref();
}

}
