// The box dragger and manipulator driven by real event sequences, seen
// from a little above the front: faces, rotators and corners with no
// modifier, Shift and Alt, a modifier pressed mid-drag, the manipulator's
// transform following, and a hidden manipulator.
#include "support/Test.h"

#include "support/SceneTest.h"

namespace {

class BoxTest : public SceneTest {
  protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        SoNewManips::init();
        turnCamera(SbRotation(SbVec3f(1, 0, 0), -0.5f));
    }
    // Presses on the world point at, moves by each step, releases; the
    // keys are held throughout unless a step says otherwise.
    void drag(const SbVec3f &at, std::initializer_list<SbVec2s> steps, SbBool shift = FALSE,
              SbBool alt = FALSE)
    {
        SbVec2s p = pixelOf(at);
        driver->shift = shift, driver->alt = alt;
        driver->press(p[0], p[1]);
        grabbed = driver->action.getGrabber() != NULL;
        for (const SbVec2s &s : steps)
            driver->move(p[0] += s[0], p[1] += s[1]);
        driver->release(p[0], p[1]);
        driver->shift = driver->alt = FALSE;
    }
    // Pixels a unit along x.
    float unit() const { return pixelOf(SbVec3f(1, 0, 0))[0] - pixelOf(SbVec3f(0, 0, 0))[0]; }
    bool grabbed = false;
};

SbVec3f axisOf(const SbRotation &r)
{
    SbVec3f a;
    float angle;
    r.getValue(a, angle);
    return a;
}

}

TEST_F(BoxTest, FacesRotatorsAndCornersWithEachModifier)
{
    SoBoxDragger *box = new SoBoxDragger;
    root->addChild(box);
    open();
    const SbVec3f front(0.5f, 0.5f, 1), top(0.5f, 1, 0.5f), ball(0, 0, 1.3f), corner(1, 1, 1);
    struct Case {
        const char *what;
        SbVec3f at;
        SbBool shift, alt;
        SbVec2s move;
        // translation components that must move (1) or stay (0)
        int tx, ty, tz;
    } faces[] = {
        {"front face, free", front, FALSE, FALSE, SbVec2s(20, 10), 1, 1, 0},
        {"front face, Shift: one axis", front, TRUE, FALSE, SbVec2s(20, 6), 1, 0, 0},
        {"top face, free", top, FALSE, FALSE, SbVec2s(20, 10), 1, 0, 1},
        {"top face, Alt: along its normal", top, FALSE, TRUE, SbVec2s(20, 10), 0, 1, 0},
    };
    for (const Case &c : faces) {
        box->translation = SbVec3f(0, 0, 0);
        drag(c.at, {SbVec2s(c.move[0] / 2, c.move[1] / 2), c.move}, c.shift, c.alt);
        ASSERT_TRUE(grabbed) << c.what;
        SbVec3f t = box->translation.getValue();
        int moved[3] = {c.tx, c.ty, c.tz};
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(moved[i], fabsf(t[i]) > 0.05f) << c.what << " axis " << i << " " << t[i];
        if (c.tx) {
            EXPECT_NEAR(1.5f * c.move[0] / unit(), t[0], 0.1f) << c.what;
        }
    }

    // The front ball: about Y for a motion to the right; with Shift free.
    box->translation = SbVec3f(0, 0, 0);
    drag(ball, {SbVec2s(6, 0), SbVec2s(8, 0), SbVec2s(0, 8)});
    EXPECT_NEAR(1, fabsf(axisOf(box->rotation.getValue())[1]), 1e-4);
    box->rotation = SbRotation::identity();
    drag(ball, {SbVec2s(8, 8)}, TRUE);
    SbVec3f a = axisOf(box->rotation.getValue());
    EXPECT_GT(fabsf(a[0]), 0.2f);
    EXPECT_GT(fabsf(a[1]), 0.2f);
    box->rotation = SbRotation::identity();
    // With Alt about the back face: the centre swings.
    drag(ball, {SbVec2s(10, 0)}, FALSE, TRUE);
    EXPECT_GT(fabsf(box->translation.getValue()[0]), 0.1f);
    box->rotation = SbRotation::identity();
    box->translation = SbVec3f(0, 0, 0);

    // The corner: outwards all three axes alike; with Shift one axis; with
    // Alt about the opposite corner, which stays where it was.
    drag(corner, {SbVec2s(10, 10)});
    SbVec3f s = box->scaleFactor.getValue();
    EXPECT_GT(s[0], 1.1f);
    EXPECT_NEAR(s[0], s[1], 1e-3);
    EXPECT_NEAR(s[0], s[2], 1e-3);
    box->scaleFactor = SbVec3f(1, 1, 1);
    drag(corner, {SbVec2s(3, 0), SbVec2s(16, 2)}, TRUE);
    s = box->scaleFactor.getValue();
    EXPECT_GT(s[0], 1.1f);
    EXPECT_FLOAT_EQ(1, s[1]);
    EXPECT_FLOAT_EQ(1, s[2]);
    box->scaleFactor = SbVec3f(1, 1, 1);
    drag(corner, {SbVec2s(10, 10)}, FALSE, TRUE);
    SbVec3f fixed;
    box->getMotionMatrix().multVecMatrix(SbVec3f(-1, -1, -1), fixed);
    EXPECT_LT((fixed - SbVec3f(-1, -1, -1)).length(), 1e-3);
    EXPECT_GT(box->scaleFactor.getValue()[0], 1.1f);
    // Through the centre and beyond: never below the smallest scale.
    box->scaleFactor = SbVec3f(1, 1, 1);
    box->translation = SbVec3f(0, 0, 0);
    drag(corner, {SbVec2s(-20, -20), SbVec2s(-60, -60)});
    for (int i = 0; i < 3; i++)
        EXPECT_GE(box->scaleFactor.getValue()[i], SoDragger::getMinScale());
}

TEST_F(BoxTest, ShiftPressedMidDragRestartsOnOneAxis)
{
    SoBoxDragger *box = new SoBoxDragger;
    root->addChild(box);
    open();
    SbVec2s p = pixelOf(SbVec3f(0.5f, 0.5f, 1));
    driver->press(p[0], p[1]);
    driver->move(p[0] + 10, p[1] + 10);
    SbVec3f before = box->translation.getValue();
    EXPECT_GT(before[1], 0.2f);
    driver->key(SoKeyboardEvent::LEFT_SHIFT, TRUE);
    ASSERT_EQ(box, driver->action.getGrabber());
    driver->move(p[0] + 30, p[1] + 14);
    driver->release(p[0] + 30, p[1] + 14);
    driver->key(SoKeyboardEvent::LEFT_SHIFT, FALSE);
    SbVec3f after = box->translation.getValue();
    EXPECT_NEAR(before[1], after[1], 1e-4) << "after the restart only along x";
    EXPECT_NEAR(before[0] + 20 / unit(), after[0], 0.1f);
}

TEST_F(BoxTest, TheManipulatorFitsItsObjectAndMovesItUnlessHidden)
{
    SoBoxManip *manip = new SoBoxManip;
    SoCube *cube = new SoCube;
    cube->width = cube->height = cube->depth = 4;
    root->addChild(manip);
    root->addChild(cube);
    open();
    GspTest::settle();
    // The box is the cube's: its front face lies at z = 2.
    drag(SbVec3f(1.5f, 1.5f, 2), {SbVec2s(10, 0), SbVec2s(20, 0)});
    ASSERT_TRUE(grabbed);
    EXPECT_NEAR(30 / unit(), manip->translation.getValue()[0], 0.1f);
    EXPECT_NEAR(0, manip->translation.getValue()[2], 1e-4);

    root->insertChild(new SoHideManip, root->findChild(manip));
    drag(SbVec3f(1.5f, 1.5f, 2), {SbVec2s(20, 0)});
    EXPECT_FALSE(grabbed);
    EXPECT_NEAR(30 / unit(), manip->translation.getValue()[0], 0.1f);

    for (bool binary : {false, true}) {
        GspTest::Held<SoSeparator> read(
            GspTest::readFromBuffer(GspTest::writeToBuffer(root, binary)));
        SoBoxManip *r = GspTest::nth<SoBoxManip>(read);
        ASSERT_TRUE(r) << binary;
        EXPECT_NEAR(0, (manip->translation.getValue() - r->translation.getValue()).length(), 1e-4);
    }
}

// Stretched, the knobs keep their shape: the width of a corner cube, a
// rotator ball and a rotate-jack disc against its height (or depth) is
// as it is unstretched.
TEST_F(BoxTest, KnobsKeepTheirShapeOnAStretchedObject)
{
    struct {
        SoDragger *dragger;
        const char *knob;
        int across;  // the axis measured against x
    } cases[] = {{new SoBoxDragger, "scale1", 1},
                 {new SoBoxDragger, "rotator1", 1},
                 {new SoRotateJackDragger, "rotator1", 2}};
    for (auto &c : cases) {
        root->addChild(c.dragger);
        GspTest::Held<SoPath> toDragger(new SoPath(root));
        toDragger->append(c.dragger);
        auto ratio = [&](const SbVec3f &scale) {
            ((SoSFVec3f *)c.dragger->getField("scaleFactor"))->setValue(scale);
            GspTest::Held<SoPath> toKnob(c.dragger->createPathToPart(c.knob, FALSE, toDragger));
            SoGetBoundingBoxAction bba(viewport());
            bba.apply(toKnob);
            float x, y, z;
            bba.getBoundingBox().getSize(x, y, z);
            return x / (c.across == 1 ? y : z);
        };
        float plain = ratio(SbVec3f(1, 1, 1));
        EXPECT_NEAR(plain, ratio(SbVec3f(3, 1, 1)), 0.1f * plain) << c.knob;
        root->removeChild(c.dragger);
    }
}

// Scaling an opaque object from a corner: the scale feedback (the box's
// outline, yellow) shows around it, not inside it.
TEST_F(BoxTest, ScaleFeedbackShowsAroundAnOpaqueObject)
{
    SoBoxDragger *box = new SoBoxDragger;
    root->addChild(box);
    root->addChild(new SoCube);  // fills the box
    open();
    SbVec2s p = pixelOf(SbVec3f(1, 1, 1));
    driver->press(p[0], p[1]);
    driver->move(p[0] + 3, p[1] + 3);
    window->draw();
    driver->release(p[0] + 3, p[1] + 3);
    int yellow = 0;
    for (int y = 0; y < window->size()[1]; y++)
        for (int x = 0; x < window->size()[0]; x++)
            yellow += window->pixel(x, y).equals(SbVec3f(1, 1, 0), 0.02f);
    // The outline's dashed edges in front of the cube and the rays out of
    // its corners; drawn inside the cube, a third of that shows.
    EXPECT_GT(yellow, 14 * unit());
}
