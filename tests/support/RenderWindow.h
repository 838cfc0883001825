#ifndef GLOSSPIN_TESTS_RENDERWINDOW_H
#define GLOSSPIN_TESTS_RENDERWINDOW_H

#include <functional>
#include <vector>

#include <Inventor/SbLinear.h>
#include <Inventor/SbViewportRegion.h>

#include "support/XtTestEnv.h"

class SoNode;
class SoXtRenderArea;

// A render area of about 200 x 200 pixels (or the size asked for) in its
// own top-level window, whose pixels can be read back; single-buffered
// unless asked otherwise.
class RenderWindow {
  public:
    explicit RenderWindow(SoNode *scene, bool doubleBuffer = false,
                          SbVec2s size = SbVec2s(200, 200));
    ~RenderWindow();

    // Renders the scene and reads the window back.
    void draw();
    // Reads the window back as it stands (after front-buffer drawing).
    void readBack();
    // Reads what the screen shows of the window, through the X server.
    void readScreen();

    // Colour of a pixel, bottom-left origin.
    SbVec3f pixel(int x, int y) const;
    const SbVec2s &size() const { return windowSize; }

    // The smallest pixel rectangle holding every pixel whose colour
    // matches (default: red above one half), bottom-left origin.
    struct Extent {
        int x0 = 1 << 20, x1 = -1, y0 = 1 << 20, y1 = -1;
        bool empty() const { return x1 < 0; }
    };
    Extent extent(const std::function<bool(const SbVec3f &)> &matches =
                      [](const SbVec3f &c) { return c[0] > 0.5f; }) const;
    SbViewportRegion viewport() const;

    SoXtRenderArea *area;
    Widget shell;

  private:
    SbVec2s windowSize;
    std::vector<unsigned char> pixels;
};

#endif
