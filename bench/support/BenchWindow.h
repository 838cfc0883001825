#ifndef GLOSSPIN_BENCH_BENCHWINDOW_H
#define GLOSSPIN_BENCH_BENCHWINDOW_H

#include <benchmark/benchmark.h>

#include "support/Alternation.h"

#include <Inventor/SbLinear.h>
#include <X11/Intrinsic.h>

class SoNode;
class SoSeparator;
class SoXtRenderArea;

namespace GspBench {

// The application shell, with the toolkit and the library initialised.
Widget topLevel();

// A mapped window that draws its scene only when asked. Two scenes are
// timed alternately in one window (one GL context, so that their render
// caches survive the swaps, and no other window hides its pixels). Holds
// a reference to the scene it shows.
class FrameWindow {
  public:
    FrameWindow(SoSeparator *scene, SbVec2s size = SbVec2s(400, 400));
    ~FrameWindow();
    bool isMapped() const;
    void setScene(SoSeparator *scene);
    // Draws one frame and waits until the GL has finished it.
    void frame();
    // Seconds for n frames.
    double frames(int n);
    // Frames of subject timed alternately with frames of reference; the
    // window shows reference afterwards.
    Ratio compare(SoSeparator *subject, SoSeparator *reference);
    // Pixels of the last frame that are not background: shows that a
    // benchmark drew what it claims to.
    long inkedPixels();

  private:
    Widget shell;
    SoXtRenderArea *area;
    SoSeparator *scene;
    SbVec2s size;
};

// Renders the scene frame after frame while the benchmark runs,
// reporting frames per second ("fps") and the pixels the last frame drew
// ("inked"); then unreferences the scene.
void renderFrames(benchmark::State &state, SoSeparator *scene, SbVec2s size = SbVec2s(400, 400));

// The solid arrow made of the toolkit's shapes: a cone head of height 1
// and radius 0.4 with its tip at the origin, a shaft of radius 0.13 up to
// y = 4.
SoNode *referenceArrow();

// Runs the registered benchmarks, then printRatios with a header line.
int runThenPrintRatios(int argc, char **argv, void (*printRatios)());

}

#endif
