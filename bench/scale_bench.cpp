// How the library's costs grow with the scene: for 100, 1,000 and 10,000
// arrow markers (each on a cube of its own under its own transform, with
// two text notes, in a sequencer), the time to build the scene one
// marker at a time, to read and write it in both forms, to draw a frame
// with nothing moving and one after one object moved, to open the marker
// list and to take one Next step with the list closed and open; each row
// with its growth from 1,000 to 10,000, timed alternately on two scenes
// where a row can be repeated on one (the others from the single runs).
// Both scenes then live in one process: the toolkit's name table and
// dictionaries hold the names of both, as they would in an application
// that opened both. The one-marker operations at 10,000 against 1,000
// (timed alternately) come first, then that table, a frame of 10,000 static
// markers against plain cone-and-cylinder arrows, and the resident memory
// a marker takes.
#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <Glosspin/Glosspin.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoDirectionalLight.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoScale.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTransform.h>
#include <Inventor/nodes/SoTranslation.h>

#include "support/BenchWindow.h"
#include "support/ProcessStatus.h"
#include "support/SceneBytes.h"

namespace {

double seconds(const std::function<void()> &f)
{
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The median of five runs of f.
double median(const std::function<void()> &f)
{
    std::vector<double> t;
    for (int i = 0; i < 5; i++)
        t.push_back(seconds(f));
    return GspBench::quantile(t, 0.5);
}

// The scene: a camera over a grid of objects, each with its marker (or,
// for the reference, a static arrow of toolkit shapes), and a sequencer.
struct Scene {
    SoSeparator *root = new SoSeparator;
    ZnMarkerSequencer *tour = new ZnMarkerSequencer;
    std::vector<SoTransform *> objects;
    int side;

    explicit Scene(int n) : side(1), size(n)
    {
        while (side * side < n)
            side++;
        root->ref();
        SoOrthographicCamera *camera = new SoOrthographicCamera;
        camera->position.setValue((float)side, (float)side, 4.0f * (float)side);
        camera->height = 2.2f * (float)side;
        camera->farDistance = 8.0f * (float)side;
        root->addChild(camera);
        root->addChild(new SoDirectionalLight);
        root->addChild(tour);
    }
    ~Scene() { root->unref(); }

    int size;

    SoTransform *addObject(int i)
    {
        SoSeparator *obj = new SoSeparator;
        SoTransform *xf = new SoTransform;
        xf->translation.setValue(2.0f * (float)(i % side), 2.0f * (float)(i / side), 0);
        obj->addChild(xf);
        obj->addChild(new SoCube);
        root->addChild(obj);
        objects.push_back(xf);
        return xf;
    }

    void addMarker(int i)
    {
        addObject(i);
        ZnArrowMarker *m = new ZnArrowMarker;
        m->getDraggerTransform()->translation = objects.back()->translation.getValue();
        m->getDraggerTransform()->scaleFactor.setValue(0.2f, 0.2f, 0.2f);
        ZnNoteList *notes = (ZnNoteList *)m->getPart("notes", TRUE);
        for (int k = 0; k < 2; k++) {
            ZnTextNote *t = new ZnTextNote;
            t->setFieldFromString("a note");
            notes->addChild(t);
        }
        SoPath *p = new SoPath(root);
        p->ref();
        p->append(root->getNumChildren() - 1);
        p->append(1);
        m->setPathToObject(p);
        p->unref();
        root->addChild(m);
        tour->appendMarker(m);
    }

    void removeLastMarker()
    {
        tour->removeMarker(tour->getNumMarkers() - 1);
        root->removeChild(root->getNumChildren() - 1);
        root->removeChild(root->getNumChildren() - 1);
        objects.pop_back();
    }

    void addReferenceArrow(int i, SoNode *arrow)
    {
        addObject(i);
        SoSeparator *s = new SoSeparator;
        SoTranslation *t = new SoTranslation;
        t->translation = objects.back()->translation.getValue();
        SoScale *k = new SoScale;
        k->scaleFactor.setValue(0.2f, 0.2f, 0.2f);
        s->addChild(t);
        s->addChild(k);
        s->addChild(arrow);
        root->addChild(s);
    }
};

struct Row {
    const char *name;
    double t[3];
    // The growth from 1,000 to 10,000 timed alternately on two scenes, for
    // the rows that can be repeated on one scene (median 0: not timed so).
    GspBench::Ratio growth;
};

// One-marker operations on a scene of 10,000 markers against one of
// 1,000, timed alternately. A frame draws every marker, as a frame of
// plain arrows draws every arrow, so a frame after one object moved grows
// with the scene (the table above); the move's own cost is timed here.
// Opening the marker list, timed alternately too, comes after the Next
// step with the list closed; its growth goes into the list row.
void oneMarkerOperations(Scene &large, Scene &small, Row &listRow)
{
    printf("One-marker operations, 10,000 markers against 1,000, timed alternately\n");
    auto each = [&](const char *label, const std::function<void(Scene &)> &f) {
        GspBench::Timed a = [&] { f(large); return -1.0; }, b = [&] { f(small); return -1.0; };
        GspBench::print(label, GspBench::alternate(a, b, 31), 2);
    };
    each("adding one marker", [](Scene &s) { s.addMarker((int)s.objects.size()); });
    each("removing one marker", [](Scene &s) { s.removeLastMarker(); });
    each("a note added to one marker and taken away", [](Scene &s) {
        ZnMarker *m = s.tour->getMarker(s.tour->getNumMarkers() / 2);
        ZnNoteList *notes = (ZnNoteList *)m->getPart("notes", TRUE);
        ZnTextNote *note = new ZnTextNote;
        note->setFieldFromString("another note");
        notes->addChild(note);
        notes->removeChild(note);
    });
    each("one marker moved in the tour and back", [](Scene &s) {
        int middle = s.tour->getNumMarkers() / 2;
        s.tour->moveMarker(middle, middle + 1);
        s.tour->moveMarker(middle + 1, middle);
    });
    each("one object moved, 100 times", [](Scene &s) {
        SoTransform *xf = s.objects[s.objects.size() / 2];
        for (int k = 0; k < 100; k++)
            xf->translation = xf->translation.getValue() + SbVec3f(0, 0.01f, 0);
    });
    {
        // What a move adds to the frame that shows it: the same at any size.
        GspBench::FrameWindow window(large.root);
        SoTransform *xf = large.objects[large.objects.size() / 2];
        GspBench::print("frame after one move / frame, at 10,000",
                        GspBench::alternate(
                            [&] {
                                return seconds([&] {
                                    xf->translation =
                                        xf->translation.getValue() + SbVec3f(0, 0.01f, 0);
                                    window.frame();
                                });
                            },
                            [&] { return seconds([&] { window.frame(); }); }, 15));
    }
    ZnCommon::editMode = 1;
    each("one Next step", [](Scene &s) { s.tour->playerCommand(ZnMarkerSequencer::NEXT); });
    XtAppContext app = XtWidgetToApplicationContext(GspBench::topLevel());
    // Five openings a sample: one at 1,000 is short enough for the
    // server's own moments to weigh on it.
    auto show = [&](Scene &s) {
        return seconds([&] {
                   for (int k = 0; k < 5; k++) {
                       s.tour->showMarkerList();
                       while (XtAppPending(app))
                           XtAppProcessEvent(app, XtIMAll);
                   }
               }) /
               5;
    };
    listRow.growth = GspBench::alternate([&] { return show(large); },
                                         [&] { return show(small); }, 21);
    // The list follows the tour: Motif selects the item.
    each("one Next step, list open",
         [](Scene &s) { s.tour->playerCommand(ZnMarkerSequencer::NEXT); });
}

void readBack(const std::string &bytes)
{
    SoInput in;
    in.setBuffer((void *)bytes.data(), bytes.size());
    SoSeparator *read = SoDB::readAll(&in);
    read->ref();
    read->unref();
    SoDB::getSensorManager()->processDelayQueue(FALSE);
}

// The rows' growth, 10,000 markers against 1,000, timed alternately: one
// machine's slower and faster moments then weigh on both sides alike.
void alternateGrowth(std::vector<Row> &rows, Scene &large, Scene &small)
{
    auto each = [&](size_t row, int rounds, const std::function<double(Scene &)> &f) {
        rows[row].growth =
            GspBench::alternate([&] { return f(large); }, [&] { return f(small); }, rounds);
    };
    each(0, 9, [](Scene &s) {
        Scene fresh(s.size);
        return seconds([&] {
            for (int i = 0; i < s.size; i++)
                fresh.addMarker(i);
        });
    });
    std::string ascii[2] = {GspBench::written(large.root, false),
                            GspBench::written(small.root, false)};
    std::string binary[2] = {GspBench::written(large.root, true),
                             GspBench::written(small.root, true)};
    auto index = [&](Scene &s) { return &s == &large ? 0 : 1; };
    each(1, 9, [&](Scene &s) { return seconds([&] { readBack(ascii[index(s)]); }); });
    each(2, 9, [&](Scene &s) { return seconds([&] { readBack(binary[index(s)]); }); });
    each(3, 9, [](Scene &s) { return seconds([&] { GspBench::written(s.root, false); }); });
    each(4, 9, [](Scene &s) { return seconds([&] { GspBench::written(s.root, true); }); });
    // A window of its own each time: each marker meets it.
    each(9, 5, [](Scene &s) {
        GspBench::FrameWindow fresh(s.root);
        return seconds([&] { fresh.frame(); });
    });
    GspBench::FrameWindow window(small.root);
    each(5, 15, [&](Scene &s) {
        window.setScene(s.root);
        window.frame();
        return seconds([&] { window.frame(); });
    });
    each(6, 15, [&](Scene &s) {
        window.setScene(s.root);
        window.frame();
        SoTransform *xf = s.objects[s.objects.size() / 2];
        return seconds([&] {
            xf->translation = xf->translation.getValue() + SbVec3f(0, 0.01f, 0);
            window.frame();
        });
    });
}

const int SIZES[3] = {100, 1000, 10000};

}

int main(int argc, char **argv)
{
    (void)argc;
    (void)argv;
    GspBench::topLevel();
    std::vector<Row> rows;
    for (const char *name :
         {"build one by one", "read ASCII", "read binary", "write ASCII", "write binary",
          "frame, nothing moving", "frame after one object moved", "open the marker list",
          "one Next step", "first frame in a window", "one Next step, list open"})
        rows.push_back(Row{name, {}, {}});
    long perMarker = 0;
    for (int s = 0; s < 3; s++) {
        int n = SIZES[s];
        malloc_trim(0);  // the smaller scenes' freed pages do not count against this one
        long before = GspBench::statusKiB("VmRSS:");
        Scene *scene = new Scene(n);
        rows[0].t[s] = seconds([&] {
            for (int i = 0; i < n; i++)
                scene->addMarker(i);
        });
        SoDB::getSensorManager()->processDelayQueue(FALSE);
        if (n == 10000)
            perMarker = (GspBench::statusKiB("VmRSS:") - before) * 1024 / n;
        std::string ascii = GspBench::written(scene->root, false);
        std::string binary = GspBench::written(scene->root, true);
        rows[1].t[s] = median([&] { readBack(ascii); });
        rows[2].t[s] = median([&] { readBack(binary); });
        rows[3].t[s] = median([&] { GspBench::written(scene->root, false); });
        rows[4].t[s] = median([&] { GspBench::written(scene->root, true); });
        {
            GspBench::FrameWindow window(scene->root);
            // Each marker meets the window: its highlight starts to hear it.
            rows[9].t[s] = seconds([&] { window.frame(); });
            rows[5].t[s] = median([&] { window.frame(); });
            SoTransform *xf = scene->objects[(size_t)n / 2];
            rows[6].t[s] = median([&] {
                xf->translation = xf->translation.getValue() + SbVec3f(0, 0.01f, 0);
                window.frame();
            });
        }
        ZnCommon::editMode = 1;
        rows[8].t[s] = median([&] { scene->tour->playerCommand(ZnMarkerSequencer::NEXT); });
        rows[7].t[s] = median([&] {
            scene->tour->showMarkerList();
            XtAppContext app = XtWidgetToApplicationContext(GspBench::topLevel());
            while (XtAppPending(app))
                XtAppProcessEvent(app, XtIMAll);
        });
        // The list follows the tour: Motif selects the item.
        rows[10].t[s] = median([&] { scene->tour->playerCommand(ZnMarkerSequencer::NEXT); });
        delete scene;
    }

    bool linear = true;
    {
        Scene large(10000), small(1000);
        for (int i = 0; i < 10000; i++) {
            large.addMarker(i);
            if (i < 1000)
                small.addMarker(i);
        }
        SoDB::getSensorManager()->processDelayQueue(FALSE);
        alternateGrowth(rows, large, small);
        oneMarkerOperations(large, small, rows[7]);
        printf("\nGrowth with the number of arrow markers (seconds; median of 5 runs where "
               "repeated)\n");
        printf("  %-32s %10s %10s %10s  %s\n", "", "100", "1,000", "10,000",
               "10,000 / 1,000 (alternately: median [quartiles])");
        for (const Row &r : rows) {
            double growth = r.growth.median > 0 ? r.growth.median : r.t[2] / r.t[1];
            linear = linear && growth <= 12;
            printf("  %-32s %10.4f %10.4f %10.4f  %6.1f", r.name, r.t[0], r.t[1], r.t[2], growth);
            if (r.growth.median > 0)
                printf(" [%.1f .. %.1f]", r.growth.low, r.growth.high);
            printf("  %s\n", growth <= 12 ? "within 12" : "ABOVE 12");
        }
        printf("  (the list's rows are Motif's list's own: it copies and measures every item,\n"
               "  and walks every row to select one)\n");
    }

    // Frames of 10,000 static markers against the same scene with plain
    // arrows in their place, alternately in one window.
    Scene markers(10000), reference(10000);
    SoNode *arrow = GspBench::referenceArrow();
    arrow->ref();
    for (int i = 0; i < 10000; i++) {
        markers.addMarker(i);
        reference.addReferenceArrow(i, arrow);
    }
    SoDB::getSensorManager()->processDelayQueue(FALSE);
    {
        GspBench::FrameWindow window(reference.root);
        printf("\nRatios, each pair timed alternately: median [quartiles] (lower is faster)\n");
        GspBench::print("10,000 static markers / plain arrows",
                        window.compare(markers.root, reference.root), 1.5);
    }
    arrow->unref();
    printf("\nResident memory per marker at 10,000: %ld bytes\n", perMarker);
    return linear ? 0 : 1;
}
