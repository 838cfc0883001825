#ifndef GLOSSPIN_TESTS_RENDERWINDOW_H
#define GLOSSPIN_TESTS_RENDERWINDOW_H

#include <vector>

#include <Inventor/SbLinear.h>
#include <Inventor/SbViewportRegion.h>

#include "support/XtTestEnv.h"

class SoNode;
class SoXtRenderArea;

// A render area of about 200 x 200 pixels in its own top-level window,
// whose pixels can be read back; single-buffered unless asked otherwise.
class RenderWindow {
  public:
    explicit RenderWindow(SoNode *scene, bool doubleBuffer = false);
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
    SbViewportRegion viewport() const;

    SoXtRenderArea *area;
    Widget shell;

  private:
    SbVec2s windowSize;
    std::vector<unsigned char> pixels;
};

#endif
