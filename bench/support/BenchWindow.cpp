#include "support/BenchWindow.h"

#include <stdio.h>
#include <unistd.h>

#include <chrono>
#include <vector>

#include <GL/gl.h>
#include <GL/glx.h>

#include <Glosspin/ZnInit.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/Xt/SoXtRenderArea.h>
#include <Inventor/nodes/SoCone.h>
#include <Inventor/nodes/SoCylinder.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTranslation.h>
#include <X11/Shell.h>

namespace GspBench {

Widget topLevel()
{
    static Widget top = NULL;
    if (!top) {
        top = SoXt::init("glosspinBench", "GlosspinBench");
        ZnInit::initClasses();
    }
    return top;
}

FrameWindow::FrameWindow(SoSeparator *scene, SbVec2s size) : scene(scene), size(size)
{
    scene->ref();
    shell = XtVaCreatePopupShell("benchWindow", topLevelShellWidgetClass, topLevel(), NULL);
    area = new SoXtRenderArea(shell);
    area->setSize(size);
    area->setSceneGraph(scene);
    area->show();
    XtPopup(shell, XtGrabNone);
    // Until the window is mapped and has had its first redraw.
    XtAppContext app = SoXt::getAppContext();
    for (int i = 0; i < 2500 && !area->isVisible(); i++) {
        while (XtAppPending(app))
            XtAppProcessEvent(app, XtIMAll);
        usleep(2000);
    }
    // The first window of a process draws nothing until some more events
    // after its mapping have been handled.
    for (int i = 0; i < 100; i++) {
        while (XtAppPending(app))
            XtAppProcessEvent(app, XtIMAll);
        usleep(2000);
    }
    area->setAutoRedraw(FALSE);
}

FrameWindow::~FrameWindow()
{
    glXMakeCurrent(SoXt::getDisplay(), None, NULL);
    delete area;
    XtDestroyWidget(shell);
    scene->unref();
}

bool FrameWindow::isMapped() const
{
    return area->isVisible();
}

void FrameWindow::setScene(SoSeparator *s)
{
    if (s == scene)
        return;
    s->ref();
    area->setSceneGraph(s);
    scene->unref();
    scene = s;
}

void FrameWindow::frame()
{
    area->render();
    glFinish();
}

double FrameWindow::frames(int n)
{
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; i++)
        frame();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

Ratio FrameWindow::compare(SoSeparator *subject, SoSeparator *reference)
{
    Ratio r = alternate(
        [&] {
            setScene(subject);
            return frames(5);
        },
        [&] {
            setScene(reference);
            return frames(5);
        },
        9);
    setScene(reference);
    return r;
}

long FrameWindow::inkedPixels()
{
    frame();
    std::vector<unsigned char> rgb(3 * (size_t)size[0] * (size_t)size[1]);
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, size[0], size[1], GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    long n = 0;
    for (size_t i = 0; i < rgb.size(); i += 3)
        n += rgb[i] || rgb[i + 1] || rgb[i + 2];
    return n;
}

void renderFrames(benchmark::State &state, SoSeparator *scene, SbVec2s size)
{
    FrameWindow window(scene, size);
    scene->unref();  // the window holds it now
    if (!window.isMapped())
        state.SkipWithError("the window was never mapped");
    for (auto _ : state)
        window.frame();
    state.counters["fps"] = benchmark::Counter((double)state.iterations(),
                                               benchmark::Counter::kIsRate);
    state.counters["inked"] = (double)window.inkedPixels();
}

SoNode *referenceArrow()
{
    SoSeparator *s = new SoSeparator;
    SoTranslation *head = new SoTranslation;
    head->translation = SbVec3f(0, 0.5f, 0);
    SoCone *cone = new SoCone;
    cone->bottomRadius = 0.4f;
    cone->height = 1;
    SoTranslation *shaft = new SoTranslation;
    shaft->translation = SbVec3f(0, 2.0f, 0);
    SoCylinder *cyl = new SoCylinder;
    cyl->radius = 0.13f;
    cyl->height = 3;
    s->addChild(head);
    s->addChild(cone);
    s->addChild(shaft);
    s->addChild(cyl);
    return s;
}

int runThenPrintRatios(int argc, char **argv, void (*printRatios)())
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    topLevel();
    printf("\nRatios, each pair timed alternately: median [quartiles] (lower is faster)\n");
    printRatios();
    return 0;
}

}
