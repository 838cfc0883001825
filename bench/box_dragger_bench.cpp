// A drag of the box manipulator's front face over a scene of 10,000
// triangles, against the toolkit's own transform-box manipulator on the
// same scene: press, 40 motions, release, timed alternately; the ratio is
// per motion event. No window: the events go through the handle-event
// action as a render area sends them.
#include <math.h>
#include <stdio.h>

#include <vector>

#include <Inventor/SoDB.h>
#include <Inventor/SoInteraction.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/events/SoLocation2Event.h>
#include <Inventor/events/SoMouseButtonEvent.h>
#include <Inventor/manips/SoTransformBoxManip.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include <Glosspin/SoBoxManip.h>
#include <Glosspin/SoNewManips.h>

#include "support/Alternation.h"

namespace {

const int MOTIONS = 40;

// A wavy sheet of 50 x 100 quads (10,000 triangles), 4 units across.
SoSeparator *sheet()
{
    SoSeparator *s = new SoSeparator;
    SoCoordinate3 *c = new SoCoordinate3;
    SoIndexedFaceSet *f = new SoIndexedFaceSet;
    const int nx = 51, ny = 101;
    std::vector<SbVec3f> p;
    for (int j = 0; j < ny; j++)
        for (int i = 0; i < nx; i++) {
            float x = -2 + 4.f * i / (nx - 1), y = -2 + 4.f * j / (ny - 1);
            p.push_back(SbVec3f(x, y, 0.8f * sinf(3 * x) * cosf(2 * y)));
        }
    c->point.setValues(0, (int)p.size(), p.data());
    std::vector<int32_t> idx;
    for (int j = 0; j + 1 < ny; j++)
        for (int i = 0; i + 1 < nx; i++) {
            int a = j * nx + i;
            int32_t t[8] = {a, a + 1, a + nx + 1, -1, a, a + nx + 1, a + nx, -1};
            idx.insert(idx.end(), t, t + 8);
        }
    f->coordIndex.setValues(0, (int)idx.size(), idx.data());
    s->addChild(c);
    s->addChild(f);
    return s;
}

struct Scene {
    SoSeparator *root;
    SoTransform *manip;
    explicit Scene(SoTransform *m) : root(new SoSeparator), manip(m)
    {
        root->ref();
        SoOrthographicCamera *cam = new SoOrthographicCamera;
        cam->position.setValue(0, 0, 10);
        cam->height = 8;
        root->addChild(cam);
        root->addChild(manip);
        root->addChild(sheet());
    }
    ~Scene() { root->unref(); }
};

void send(SoHandleEventAction &ha, SoNode *root, SoEvent *e, short x, short y)
{
    e->setPosition(SbVec2s(x, y));
    e->setTime(SbTime::getTimeOfDay());
    ha.setEvent(e);
    ha.apply(root);
}

// A press on the front face off its middle, MOTIONS moves, a release;
// the manipulator's translation is put back afterwards.
double dragFace(Scene &s)
{
    SbViewportRegion vp(400, 400);
    SoHandleEventAction ha(vp);
    SoMouseButtonEvent b;
    b.setButton(SoMouseButtonEvent::BUTTON1);
    b.setState(SoButtonEvent::DOWN);
    short x = 250, y = 250;
    auto t0 = std::chrono::steady_clock::now();
    send(ha, s.root, &b, x, y);
    if (!ha.getGrabber())
        return -1;
    SoLocation2Event l;
    for (int i = 0; i < MOTIONS; i++)
        send(ha, s.root, &l, (short)(x + i), (short)(y + i / 2));
    b.setState(SoButtonEvent::UP);
    send(ha, s.root, &b, x, y);
    double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    bool moved = s.manip->translation.getValue().length() > 0.1f;
    s.manip->translation = SbVec3f(0, 0, 0);
    return moved ? t / MOTIONS : -1;
}

}

int main()
{
    SoDB::init();
    SoInteraction::init();
    SoNewManips::init();
    Scene ours(new SoBoxManip), toolkit(new SoTransformBoxManip);
    if (dragFace(ours) < 0 || dragFace(toolkit) < 0) {
        printf("a drag of the front face did not move its manipulator\n");
        return 1;
    }
    printf("Ratios, each pair timed alternately: median [quartiles] (lower is faster)\n");
    GspBench::print("box manipulator / toolkit transform box, per motion event",
                    GspBench::alternate([&] { return dragFace(ours); },
                                        [&] { return dragFace(toolkit); }, 21),
                    1.0);
    return 0;
}
