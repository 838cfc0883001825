#ifndef GLOSSPIN_BENCH_BENCHWINDOW_H
#define GLOSSPIN_BENCH_BENCHWINDOW_H

#include <benchmark/benchmark.h>

#include <Inventor/SbLinear.h>
#include <X11/Intrinsic.h>

class SoSeparator;

namespace GspBench {

// The application shell, with the toolkit and the library initialised.
Widget topLevel();

// Renders the scene frame after frame in a mapped window of the given
// size while the benchmark runs, reporting frames per second ("fps") and
// the number of pixels the last frame drew ("inked"); then unreferences
// the scene.
void renderFrames(benchmark::State &state, SoSeparator *scene, SbVec2s size = SbVec2s(400, 400));

}

#endif
