// Frames per second for 1,000 arrows of each type at complexity 0.5,
// beside 1,000 cone-and-cylinder pairs of the same size drawn by the
// toolkit's own shapes. Needs an X display (run under xvfb-run).
#include <benchmark/benchmark.h>

#include <Glosspin/ZnArrow.h>
#include <Inventor/nodes/SoComplexity.h>
#include <Inventor/nodes/SoDirectionalLight.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTranslation.h>

#include "support/Alternation.h"
#include "support/BenchWindow.h"

namespace {

const int ARROW_COUNT = 1000;

// A grid of 40 x 25 copies of one shape.
SoSeparator *grid(SoNode *item)
{
    SoSeparator *root = new SoSeparator;
    SoPerspectiveCamera *cam = new SoPerspectiveCamera;
    root->addChild(cam);
    root->addChild(new SoDirectionalLight);
    SoComplexity *c = new SoComplexity;
    c->value = 0.5f;
    root->addChild(c);
    SoSeparator *all = new SoSeparator;
    for (int i = 0; i < ARROW_COUNT; i++) {
        SoSeparator *cell = new SoSeparator;
        SoTranslation *t = new SoTranslation;
        t->translation = SbVec3f((float)(i % 40) * 1.2f, (float)(i / 40) * 5.0f, 0);
        cell->addChild(t);
        cell->addChild(item);
        all->addChild(cell);
    }
    root->addChild(all);
    root->ref();
    cam->viewAll(root, SbViewportRegion(400, 400));
    return root;
}

void BM_Arrows(benchmark::State &state)
{
    GspBench::topLevel();
    ZnArrow *arrow = new ZnArrow;
    arrow->setType((int)state.range(0));
    GspBench::renderFrames(state, grid(arrow));
}

void BM_ToolkitConeAndCylinder(benchmark::State &state)
{
    GspBench::topLevel();
    GspBench::renderFrames(state, grid(GspBench::referenceArrow()));
}

}

BENCHMARK(BM_Arrows)->Arg(ZnArrow::ARROW)->Arg(ZnArrow::LINE_ARROW)->Arg(ZnArrow::PUSHPIN)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ToolkitConeAndCylinder)->Unit(benchmark::kMillisecond)->UseRealTime();

namespace {

// Frame time of each arrow type over the cone and cylinder's, timed
// alternately.
void printRatios()
{
    const char *labels[] = {"arrow / cone and cylinder", "line arrow / cone and cylinder",
                            "pushpin / cone and cylinder"};
    int types[] = {ZnArrow::ARROW, ZnArrow::LINE_ARROW, ZnArrow::PUSHPIN};
    SoSeparator *reference = grid(GspBench::referenceArrow());
    GspBench::FrameWindow window(reference);
    if (!window.isMapped()) {
        printf("  the window was never mapped\n");
        reference->unref();
        return;
    }
    for (int i = 0; i < 3; i++) {
        ZnArrow *arrow = new ZnArrow;
        arrow->setType(types[i]);
        SoSeparator *arrows = grid(arrow);
        GspBench::print(labels[i], window.compare(arrows, reference));
        arrows->unref();
    }
    reference->unref();
}

}

int main(int argc, char **argv) { return GspBench::runThenPrintRatios(argc, argv, printRatios); }
