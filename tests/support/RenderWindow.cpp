#include "support/Test.h"

#include "support/RenderWindow.h"

#include <GL/gl.h>
#include <GL/glx.h>

#include <X11/Xutil.h>

RenderWindow::RenderWindow(SoNode *scene, bool doubleBuffer, SbVec2s size)
{
    shell = XtVaCreatePopupShell("renderWindow", topLevelShellWidgetClass,
                                 GspTest::topLevel(), NULL);
    area = new SoXtRenderArea(shell);
    area->setSize(size);
    area->setBackgroundColor(SbColor(0, 0, 0));
    area->setSceneGraph(scene);
    // Single-buffered by default, so that each render lands where it is read.
    area->setDoubleBuffer(doubleBuffer);
    area->show();
    XtPopup(shell, XtGrabNone);
    GspTest::pumpUntil([&] { return XtIsRealized(area->getNormalWidget()); });
    GspTest::pumpEvents(50);
}

RenderWindow::~RenderWindow()
{
    // Nothing may draw into the window once it is gone.
    glXMakeCurrent(SoXt::getDisplay(), None, NULL);
    delete area;
    XtDestroyWidget(shell);
}

SbViewportRegion RenderWindow::viewport() const
{
    return area->getViewportRegion();
}

void RenderWindow::draw()
{
    GspTest::pumpEvents(30);
    area->render();
    readBack();
}

void RenderWindow::readBack()
{
    glXMakeCurrent(SoXt::getDisplay(), XtWindow(area->getNormalWidget()),
                   area->getNormalContext());
    glFinish();
    glReadBuffer(GL_FRONT);
    windowSize = area->getViewportRegion().getWindowSize();
    pixels.assign(3 * windowSize[0] * windowSize[1], 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, windowSize[0], windowSize[1], GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

void RenderWindow::readScreen()
{
    GspTest::pumpEvents(30);
    Display *display = SoXt::getDisplay();
    XSync(display, False);
    windowSize = area->getViewportRegion().getWindowSize();
    XImage *image = XGetImage(display, XtWindow(area->getNormalWidget()), 0, 0, windowSize[0],
                              windowSize[1], AllPlanes, ZPixmap);
    pixels.assign(3 * windowSize[0] * windowSize[1], 0);
    for (int y = 0; image && y < windowSize[1]; y++)
        for (int x = 0; x < windowSize[0]; x++) {
            unsigned long v = XGetPixel(image, x, windowSize[1] - 1 - y);
            unsigned char *p = &pixels[3 * (y * windowSize[0] + x)];
            p[0] = (unsigned char)((v & image->red_mask) >> 16);
            p[1] = (unsigned char)((v & image->green_mask) >> 8);
            p[2] = (unsigned char)(v & image->blue_mask);
        }
    if (image)
        XDestroyImage(image);
}

SbVec3f RenderWindow::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= windowSize[0] || y >= windowSize[1])
        return SbVec3f(0, 0, 0);
    const unsigned char *p = &pixels[3 * (y * windowSize[0] + x)];
    return SbVec3f(p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f);
}

RenderWindow::Extent RenderWindow::extent(const std::function<bool(const SbVec3f &)> &matches) const
{
    Extent e;
    for (int y = 0; y < windowSize[1]; y++)
        for (int x = 0; x < windowSize[0]; x++)
            if (matches(pixel(x, y))) {
                e.x0 = std::min(e.x0, x), e.x1 = std::max(e.x1, x);
                e.y0 = std::min(e.y0, y), e.y1 = std::max(e.y1, y);
            }
    return e;
}
