// A scene of 500 objects under their own transforms, each with an arrow
// marker attached, every object moving every frame: frames timed
// alternately with the same scene holding static cones and cylinders in
// place of the markers; and the time to read and to write the scene.
#include <benchmark/benchmark.h>

#include <math.h>
#include <stdlib.h>

#include <chrono>
#include <string>
#include <vector>

#include <Glosspin/ZnArrowMarker.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoComplexity.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoDirectionalLight.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoScale.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTransform.h>
#include <Inventor/nodes/SoTranslation.h>

#include "support/BenchWindow.h"
#include "support/SceneBytes.h"

namespace {

const int OBJECTS = 500;
const float ARROW_SCALE = 0.2f;

// The objects on a 25 x 20 grid, each a cube under its own transform, and
// in front of each a marker pointing at it or, for the reference, the
// same arrow of toolkit shapes that does not follow.
struct MovingScene {
    SoSeparator *root;
    std::vector<SoTransform *> objects;
    std::vector<SbVec3f> places;

    explicit MovingScene(bool markers)
    {
        root = new SoSeparator;
        root->ref();
        SoPerspectiveCamera *camera = new SoPerspectiveCamera;
        root->addChild(camera);
        root->addChild(new SoDirectionalLight);
        SoComplexity *c = new SoComplexity;
        c->value = 0.5f;
        root->addChild(c);
        SoSeparator *all = new SoSeparator;
        root->addChild(all);
        // The markers in a group of their own, as a marker sequencer
        // holds them.
        SoSeparator *held = new SoSeparator;
        root->addChild(held);
        SoNode *reference = GspBench::referenceArrow();
        for (int i = 0; i < OBJECTS; i++) {
            SbVec3f at((float)(i % 25) * 1.5f, (float)(i / 25) * 1.5f, 0);
            SoSeparator *obj = new SoSeparator;
            SoTransform *xf = new SoTransform;
            xf->translation = at;
            SoCube *cube = new SoCube;
            cube->width = cube->height = cube->depth = 0.4f;
            obj->addChild(xf);
            obj->addChild(cube);
            all->addChild(obj);
            objects.push_back(xf);
            places.push_back(at);
            SbVec3f tip = at + SbVec3f(0, 0.2f, 0);
            if (markers) {
                ZnArrowMarker *m = new ZnArrowMarker;
                m->getDraggerTransform()->translation = tip;
                m->getDraggerTransform()->scaleFactor.setValue(ARROW_SCALE, ARROW_SCALE,
                                                               ARROW_SCALE);
                held->addChild(m);
                SoPath *p = new SoPath(root);
                p->ref();
                p->append(all);
                p->append(obj);
                p->append(cube);
                m->setPathToObject(p);
                p->unref();
            } else {
                SoSeparator *s = new SoSeparator;
                SoTranslation *t = new SoTranslation;
                t->translation = tip;
                SoScale *k = new SoScale;
                k->scaleFactor.setValue(ARROW_SCALE, ARROW_SCALE, ARROW_SCALE);
                s->addChild(t);
                s->addChild(k);
                s->addChild(reference);
                held->addChild(s);
            }
        }
        camera->viewAll(root, SbViewportRegion(400, 400));
    }
    ~MovingScene() { root->unref(); }

    // Every object bobs up and down a little, each in its own phase.
    void move(int frame)
    {
        for (int i = 0; i < OBJECTS; i++)
            objects[(size_t)i]->translation =
                places[(size_t)i] + SbVec3f(0, 0.2f * sinf(0.3f * (float)(frame + i)), 0);
    }
};

void BM_WriteMarkerScene(benchmark::State &state)
{
    GspBench::topLevel();
    MovingScene scene(true);
    for (auto _ : state)
        benchmark::DoNotOptimize(GspBench::written(scene.root).size());
}

void BM_ReadMarkerScene(benchmark::State &state)
{
    GspBench::topLevel();
    MovingScene scene(true);
    std::string text = GspBench::written(scene.root);
    for (auto _ : state) {
        SoInput in;
        in.setBuffer((void *)text.data(), text.size());
        SoSeparator *read = SoDB::readAll(&in);
        read->ref();
        read->unref();
    }
    state.counters["bytes"] = (double)text.size();
}

// Frames of the moving scene with markers over those with static arrows.
void printRatios()
{
    MovingScene markers(true), reference(false);
    GspBench::FrameWindow window(reference.root);
    if (!window.isMapped()) {
        printf("  the window was never mapped\n");
        return;
    }
    int frame = 0;
    // Seconds for five frames, each after a move of every object.
    auto frames = [&](MovingScene *scene) {
        window.setScene(scene->root);
        double t = 0;
        for (int i = 0; i < 5; i++) {
            auto t0 = std::chrono::steady_clock::now();
            scene->move(frame++);
            window.frame();
            t += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        }
        return t;
    };
    GspBench::print("500 following markers / static arrows",
                    GspBench::alternate(
                        [&] { return frames(&markers); }, [&] { return frames(&reference); }, 9),
                    1.5);
}

}

BENCHMARK(BM_WriteMarkerScene)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadMarkerScene)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) { return GspBench::runThenPrintRatios(argc, argv, printRatios); }
