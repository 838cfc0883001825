// Frames per second for 1,000 labels of 20 characters drawn by the
// library's bitmap text and by the toolkit's SoText2, in the same run.
// Separators either cache their rendering (the toolkit's default) or do
// not, so that the second case measures the text nodes themselves.
// Needs an X display (run under xvfb-run).
#include <benchmark/benchmark.h>

#include <stdio.h>

#include <Glosspin/SoBitmapText.h>
#include <Inventor/nodes/SoFont.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoText2.h>
#include <Inventor/nodes/SoTranslation.h>

#include "support/Alternation.h"
#include "support/BenchWindow.h"

namespace {

const int LABEL_COUNT = 1000;

// The label text: 20 characters, different from label to label.
void labelText(int i, char out[21])
{
    snprintf(out, 21, "Note %04u: Marker %02u", (unsigned)i % 10000, (unsigned)i % 100);
}

template <class Text> SoNode *makeLabel(int i)
{
    char s[21];
    labelText(i, s);
    Text *t = new Text;
    t->string = s;
    return t;
}

// 20 columns by 50 rows of labels under a 12-point font.
SoSeparator *labels(SoNode *(*make)(int), SoSeparator::CacheEnabled caching)
{
    SoSeparator *root = new SoSeparator;
    root->renderCaching = caching;
    SoOrthographicCamera *cam = new SoOrthographicCamera;
    cam->position = SbVec3f(10, 25, 10);
    cam->height = 50;
    cam->farDistance = 20;
    root->addChild(cam);
    SoFont *font = new SoFont;
    font->name = "Utopia-Regular";
    font->size = 12;
    root->addChild(font);
    for (int i = 0; i < LABEL_COUNT; i++) {
        SoSeparator *cell = new SoSeparator;
        cell->renderCaching = caching;
        SoTranslation *t = new SoTranslation;
        t->translation = SbVec3f((float)(i % 20), (float)(i / 20), 0);
        cell->addChild(t);
        cell->addChild(make(i));
        root->addChild(cell);
    }
    root->ref();
    return root;
}

SoSeparator::CacheEnabled caching(const benchmark::State &state)
{
    return state.range(0) ? SoSeparator::AUTO : SoSeparator::OFF;
}

void BM_BitmapText(benchmark::State &state)
{
    GspBench::topLevel();
    GspBench::renderFrames(state, labels(makeLabel<SoBitmapText>, caching(state)),
                           SbVec2s(800, 800));
}

void BM_ToolkitText2(benchmark::State &state)
{
    GspBench::topLevel();
    GspBench::renderFrames(state, labels(makeLabel<SoText2>, caching(state)),
                           SbVec2s(800, 800));
}

}

// Argument: 0 no render caches, 1 the toolkit's automatic caching.
BENCHMARK(BM_BitmapText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ToolkitText2)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

namespace {

// Frame time of the bitmap text over SoText2's, timed alternately.
void printRatios()
{
    for (auto c : {SoSeparator::OFF, SoSeparator::AUTO}) {
        SoSeparator *bitmap = labels(makeLabel<SoBitmapText>, c);
        SoSeparator *text2 = labels(makeLabel<SoText2>, c);
        GspBench::FrameWindow window(bitmap, SbVec2s(800, 800));
        if (!window.isMapped()) {
            printf("  the window was never mapped\n");
            break;
        }
        GspBench::print(c == SoSeparator::OFF ? "bitmap text / SoText2, no caches"
                                              : "bitmap text / SoText2, caching",
                        window.compare(bitmap, text2));
        bitmap->unref();
        text2->unref();
    }
}

}

int main(int argc, char **argv) { return GspBench::runThenPrintRatios(argc, argv, printRatios); }
