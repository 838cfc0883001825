// Screen-plane and screen-compound draggers driven by real event
// sequences: screen-plane motion for any camera, Shift keeping to one
// axis, Alt moving in and out, restarts on a modifier change, every part
// of the compound's default geometry, and what the screen shows.
#include "support/Test.h"

#include <Inventor/nodes/SoMatrixTransform.h>
#include <Inventor/nodes/SoSwitch.h>

#include "support/SceneTest.h"

namespace {

// A solid cube as the part to grab, so that picks do not depend on the
// look of the default geometry.
SoSeparator *grabCube(float size)
{
    SoSeparator *s = new SoSeparator;
    SoCube *c = new SoCube;
    c->width = c->height = c->depth = size;
    s->addChild(c);
    return s;
}

// The dragger with its feedback switches open to the checks.
struct ProbedDragger : SoScreenPlaneDragger {
    int switchValue(const char *name)
    {
        return ((SoSwitch *)getAnyPart(name, FALSE))->whichChild.getValue();
    }
    // Positive for a rotation, negative for a mirror.
    float feedbackTurn()
    {
        return ((SoMatrixTransform *)getAnyPart("axisFeedbackRotation", FALSE))
            ->matrix.getValue()
            .det3();
    }
};

ProbedDragger *planeDragger()
{
    ProbedDragger *d = new ProbedDragger;
    d->setPart("translator", grabCube(1));
    return d;
}

// The scene fixture with its camera replaced by one of the test's.
class ScreenDraggerTest : public SceneTest {
  protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        unsetenv("SO_DRAGGER_DIR");
        root->removeChild(camera);
        root->addChild(new SoDirectionalLight);
    }
    // An empty lit scene again, for the next case.
    void restart()
    {
        delete driver, driver = NULL;
        delete window, window = NULL;
        root->removeAllChildren();
        root->addChild(new SoDirectionalLight);
    }
    void useCamera(SoCamera *c, const SbRotation &orientation = SbRotation::identity())
    {
        c->nearDistance = 1;
        c->farDistance = 20;
        root->insertChild(c, 0);
        camera = c;
        turnCamera(orientation);
    }
    void open(SoNode *dragger, bool doubleBuffer = false)
    {
        root->addChild(dragger);
        SceneTest::open(doubleBuffer);
    }
    // The plane dragger alone under a front orthographic camera, shown.
    ProbedDragger *openPlane(bool doubleBuffer = false)
    {
        useCamera(new SoOrthographicCamera);
        ProbedDragger *d = planeDragger();
        open(d, doubleBuffer);
        return d;
    }
    // World motion in the plane through the origin for a motion of the
    // pointer from the window's centre (orthographic views).
    SbVec3f worldDelta(float dx, float dy) const
    {
        SbVec2s size = viewport().getWindowSize();
        SbViewVolume vv = camera->getViewVolume((float)size[0] / size[1]);
        float w = size[0], h = size[1];
        return vv.getPlanePoint(10, SbVec2f((cx() + dx) / w, (cy() + dy) / h)) -
               vv.getPlanePoint(10, SbVec2f(cx() / w, cy() / h));
    }
    short cx() const { return (short)(viewport().getWindowSize()[0] / 2); }
    short cy() const { return (short)(viewport().getWindowSize()[1] / 2); }
};

// Screen right, up and view direction of a camera orientation.
void screenAxes(const SbRotation &r, SbVec3f &x, SbVec3f &y, SbVec3f &z)
{
    r.multVec(SbVec3f(1, 0, 0), x);
    r.multVec(SbVec3f(0, 1, 0), y);
    r.multVec(SbVec3f(0, 0, -1), z);
}

}

TEST_F(ScreenDraggerTest, PlainMotionStaysInTheScreenPlaneForAnyCamera)
{
    const SbRotation views[] = {
        SbRotation::identity(),
        SbRotation(SbVec3f(1, 0, 0), -0.6f) * SbRotation(SbVec3f(0, 1, 0), 0.9f),
        SbRotation(SbVec3f(1, 1, 0.3f), 2.2f),
    };
    for (const SbRotation &view : views) {
        restart();
        useCamera(new SoOrthographicCamera, view);
        ProbedDragger *d = planeDragger();
        open(d);
        SbVec3f sx, sy, sz;
        screenAxes(view, sx, sy, sz);
        // Nothing along the view direction; the grabbed point follows the
        // pointer.
        ASSERT_TRUE(driver->drag(SbVec2s(cx(), cy()), SbVec2s(cx() + 30, cy() - 14)));
        EXPECT_EQ(NULL, driver->action.getGrabber());
        SbVec3f t = d->translation.getValue(), want = worldDelta(30, -14);
        EXPECT_NEAR(0, t.dot(sz), 1e-4);
        EXPECT_NEAR(want.dot(sx), t.dot(sx), 1e-3);
        EXPECT_NEAR(want.dot(sy), t.dot(sy), 1e-3);
    }
}

TEST_F(ScreenDraggerTest, ShiftWaitsForAnAdequateMotionThenKeepsToOneAxis)
{
    ProbedDragger *d = openPlane();
    driver->shift = TRUE;
    driver->press(cx(), cy());
    driver->move(cx() + 2, cy() + 1);  // below the minimum gesture
    EXPECT_EQ(SbVec3f(0, 0, 0), d->translation.getValue());
    EXPECT_EQ(1, d->switchValue("yAxisFeedbackSwitch"));  // both select feedbacks

    driver->move(cx() + 20, cy() + 4);  // mostly horizontal: X is chosen
    EXPECT_NEAR(worldDelta(20, 0)[0], d->translation.getValue()[0], 1e-3);
    EXPECT_FLOAT_EQ(0, d->translation.getValue()[1]);
    EXPECT_EQ(0, d->switchValue("xAxisFeedbackSwitch"));
    EXPECT_EQ(SO_SWITCH_NONE, d->switchValue("yAxisFeedbackSwitch"));

    driver->move(cx() + 10, cy() + 60);  // now mostly vertical, still X only
    EXPECT_NEAR(worldDelta(10, 0)[0], d->translation.getValue()[0], 1e-3);
    EXPECT_FLOAT_EQ(0, d->translation.getValue()[1]);
    driver->release(cx() + 10, cy() + 60);
}

TEST_F(ScreenDraggerTest, AltMovesInAndOutAndStopsAtTheEye)
{
    useCamera(new SoPerspectiveCamera);
    ProbedDragger *d = planeDragger();
    open(d);
    driver->alt = TRUE;
    driver->press(cx(), cy());
    EXPECT_EQ(SO_SWITCH_ALL, d->switchValue("inOutFeedbackSwitch"));

    driver->move(cx(), cy() + 10);  // up: into the screen
    EXPECT_LT(d->translation.getValue()[2], -0.1f);

    // Far down: the grabbed point (the cube's front face, z = 0.5) stops
    // at the eye, z = 10.
    driver->move(cx(), 0);
    driver->move(cx(), -2000);
    EXPECT_NEAR(9.5, d->translation.getValue()[2], 1e-3);

    // Along the view direction instead of towards the eye: the same limit
    // for a point straight ahead.
    driver->release(cx(), -2000);
    d->translation = SbVec3f(0, 0, 0);
    d->inOutTowardsEye = FALSE;
    driver->drag(SbVec2s(cx(), cy()), SbVec2s(cx(), -4000));
    EXPECT_NEAR(9.5, d->translation.getValue()[2], 1e-3);
}

TEST_F(ScreenDraggerTest, ShiftInMidDragRestartsAtTheCurrentPoint)
{
    ProbedDragger *d = openPlane();
    driver->press(cx(), cy());
    driver->move(cx() + 20, cy() + 10);
    SbVec3f t1 = d->translation.getValue();

    driver->key(SoKeyboardEvent::LEFT_SHIFT, TRUE);
    EXPECT_EQ(d, driver->action.getGrabber());
    driver->move(cx() + 23, cy() + 40);  // mostly up from the restart point
    SbVec3f t2 = d->translation.getValue();
    EXPECT_NEAR(t1[0], t2[0], 1e-4);
    EXPECT_NEAR(t1[1] + worldDelta(0, 30)[1], t2[1], 1e-3);

    // Releasing Shift restarts again, free in the plane.
    driver->key(SoKeyboardEvent::LEFT_SHIFT, FALSE);
    driver->move(cx() + 43, cy() + 40);
    EXPECT_NEAR(t2[0] + worldDelta(20, 0)[0], d->translation.getValue()[0], 1e-3);
    EXPECT_NEAR(t2[1], d->translation.getValue()[1], 1e-3);
    driver->release(cx() + 43, cy() + 40);
}

// A translation set from outside moves the dragger; a file keeps it, not
// the drag state or the default parts.
TEST_F(ScreenDraggerTest, FieldsSetFromOutsideMoveItAndFilesKeepOnlyThem)
{
    ProbedDragger *d = openPlane();
    d->translation = SbVec3f(1, 2, 3);
    SbVec2s from = pixelOf(SbVec3f(1, 2, 3.5f));
    ASSERT_TRUE(driver->drag(from, SbVec2s(from[0] + 20, from[1])));
    EXPECT_NEAR(1 + worldDelta(20, 0)[0], d->translation.getValue()[0], 1e-3);
    std::string text = GspTest::writeToBuffer(d);
    EXPECT_NE(std::string::npos, text.find("translation")) << text;
    EXPECT_EQ(std::string::npos, text.find("axisFeedbackRotation")) << text;
    EXPECT_EQ(std::string::npos, text.find("IndexedFaceSet")) << text;
}

// A drag on each part of the default geometry, seen from the front: the
// octahedron moves the dragger; each knob scales it by the pointer's
// motion away from the centre, the knob in front of the centre too (where
// the scaling line runs along the line of sight), without jumps.
TEST_F(ScreenDraggerTest, EveryPartOfTheCompoundDragsAsItShould)
{
    useCamera(new SoOrthographicCamera);
    SoScreenCompoundDragger *d = new SoScreenCompoundDragger;
    open(d);
    struct Case {
        const char *part;
        SbVec3f grab;
        short dx, dy;
        float minScale, maxScale;
        bool moves;
    } cases[] = {
        {"octahedron", SbVec3f(0.3f, 0.3f, 0.5f), 20, 10, 1, 1, true},
        {"right knob, outwards", SbVec3f(1.025f, 0, 0.2f), 20, 0, 1.1f, 1.5f, false},
        {"top knob, inwards", SbVec3f(0, 1.025f, 0.2f), 0, -20, 0.5f, 0.95f, false},
        {"front knob, outwards", SbVec3f(0.1f, 0.05f, 1.1f), 20, 10, 1.1f, 1.5f, false},
        {"front knob, inwards", SbVec3f(-0.1f, -0.1f, 1.1f), 20, 20, 0.3f, 0.9f, false},
        {"front knob, centre", SbVec3f(0, 0, 1.1f), 0, 20, 1.05f, 1.5f, false},
        {"front knob, centre, downwards", SbVec3f(0, 0, 1.1f), 0, -20, 1.05f, 1.5f, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.part);
        d->scaleFactor = SbVec3f(1, 1, 1);
        d->translation = SbVec3f(0, 0, 0);
        SbVec2s at = pixelOf(c.grab);
        short x = at[0], y = at[1];
        driver->press(x, y);
        ASSERT_TRUE(driver->action.getGrabber());
        float last = 1;
        for (int step = 1; step <= 4; step++) {
            driver->move(x + c.dx * step / 4, y + c.dy * step / 4);
            float s = d->scaleFactor.getValue()[0];
            EXPECT_LT(fabsf(s - last), 0.25f) << "step " << step;
            last = s;
        }
        driver->release(x + c.dx, y + c.dy);
        SbVec3f s = d->scaleFactor.getValue();
        EXPECT_GE(s[0], c.minScale);
        EXPECT_LE(s[0], c.maxScale);
        EXPECT_FLOAT_EQ(s[0], s[2]);
        EXPECT_EQ(c.moves, d->translation.getValue() != SbVec3f(0, 0, 0));
    }
}

// In a double-buffered window, as viewers have it: after a drag and after
// the pointer leaves, the screen shows the scene as it now is, not the
// frame from before the drag with the highlight on it.
TEST_F(ScreenDraggerTest, TheScreenShowsTheCurrentSceneAfterDragsAndHighlights)
{
    openPlane(true);
    window->area->render();
    SoLocateHighlightGroup::currentWidget = window->area->getNormalWidget();
    auto orange = [&](short x, short y) {
        SbVec3f c = window->pixel(x, y);
        return c[0] > 0.7f && c[0] > c[1] + 0.2f && c[2] < 0.35f;
    };
    // The screen as the next redraws leave it.
    auto shows = [&](const std::function<bool()> &what) {
        return GspTest::pumpUntil([&] {
            window->readScreen();
            return what();
        }, 1000);
    };
    short x = cx(), y = cy(), to = (short)(cx() + 60);
    driver->move(x, y);
    ASSERT_TRUE(shows([&] { return orange(x, y); })) << "the highlight shows";
    driver->drag(SbVec2s(x, y), SbVec2s(to, y));
    EXPECT_TRUE(shows([&] { return !orange(x, y) && orange(to, y); }))
        << "after the drag: nothing at the old place, the highlight under the pointer";
    driver->move(2, 2);
    EXPECT_TRUE(shows([&] { return !orange(x, y) && !orange(to, y); }))
        << "after leaving: no highlight anywhere";
    EXPECT_GT(window->pixel(to, y)[0], 0.2f) << "the dragger is drawn";
    SoLocateHighlightGroup::currentWidget = NULL;
}

// The default geometry's feedback is drawn during the drag, beyond the
// octahedron, for a turned camera as for a straight one: the axes (select
// colour with Shift), the in-and-out arrow (active colour with Alt).
TEST_F(ScreenDraggerTest, ShiftAndAltFeedbackShowOnScreen)
{
    struct {
        bool shift, alt;
        SbVec3f colour;
    } cases[] = {{false, false, SbVec3f(0.36f, 0.05f, 0.44f)},
                 {true, false, SbVec3f(0.8f, 0.3f, 0.1f)},
                 {false, true, SbVec3f(0.5f, 0.5f, 0)}};
    const SbRotation views[] = {SbRotation::identity(), SbRotation(SbVec3f(1, 1, 0.3f), 2.2f)};
    for (const SbRotation &view : views) {
        restart();
        useCamera(new SoOrthographicCamera, view);
        ((SoOrthographicCamera *)camera)->height = 10;  // 20 pixels a unit
        ProbedDragger *d = new ProbedDragger;
        open(d);
        // The default feedback parts are shared by every dragger: render
        // caches left from the windows of earlier cases name display lists
        // that went with those windows' GL contexts.
        window->area->getGLRenderAction()->setCacheContext(9000 + (&view - views));
        for (auto &c : cases) {
            driver->shift = c.shift, driver->alt = c.alt;
            driver->press(cx(), cy());
            EXPECT_NEAR(1, d->feedbackTurn(), 1e-4);
            window->draw();
            driver->release(cx(), cy());
            // On the screen's vertical 1.75 units out: the feedback reaches
            // 2, the octahedron 1.25.
            EXPECT_TRUE(window->pixel(cx(), cy() + 35).equals(c.colour, 0.02f))
                << "Shift " << c.shift << " Alt " << c.alt;
        }
    }
}
