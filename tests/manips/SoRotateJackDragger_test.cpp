// The rotate jack driven by real event sequences: one axis from the first
// motion and kept to the release, on a cylinder when the axis lies across
// the view, free with Shift, about the opposite face with Alt, and Alt
// pressed mid-drag.
#include "support/Test.h"

#include "support/SceneTest.h"

namespace {

class RotateJackTest : public SceneTest {
  protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        SoNewManips::init();
        jack = new SoRotateJackDragger;
        root->addChild(jack);
        open();
    }
    // Turns with the knob at the window's centre (the +Z face's) from
    // identity, the pointer moving by each of the steps in turn.
    void turn(std::initializer_list<SbVec2s> steps, SbBool shift = FALSE, SbBool alt = FALSE)
    {
        jack->rotation = SbRotation::identity();
        jack->translation = SbVec3f(0, 0, 0);
        short x = 100, y = 100;
        driver->shift = shift, driver->alt = alt;
        driver->press(x, y);
        ASSERT_EQ(jack, driver->action.getGrabber());
        for (const SbVec2s &s : steps)
            driver->move(x += s[0], y += s[1]);
        driver->release(x, y);
        driver->shift = driver->alt = FALSE;
    }
    SbVec3f axis(float *angle = NULL)
    {
        SbVec3f a;
        float r;
        jack->rotation.getValue().getValue(a, r);
        if (angle)
            *angle = r;
        return a;
    }
    SoRotateJackDragger *jack = NULL;
};

}

TEST_F(RotateJackTest, OneAxisFromTheFirstMotionOnACylinderAcrossTheView)
{
    // Right, then mostly up: about Y throughout, by about the arc length
    // over the radius of the knob's point (1 unit, 20 pixels).
    turn({SbVec2s(6, 0), SbVec2s(4, 0), SbVec2s(0, 8)});
    float angle;
    SbVec3f a = axis(&angle);
    EXPECT_NEAR(1, fabsf(a[1]), 1e-4) << a[0] << " " << a[1] << " " << a[2];
    EXPECT_GT(a[1] * angle, 0.3f);  // the front face moves right: +Y
    EXPECT_LT(a[1] * angle, 0.8f);
    // Up first: about X.
    turn({SbVec2s(0, 10)});
    EXPECT_NEAR(1, fabsf(axis()[0]), 1e-4);
    EXPECT_EQ(SbVec3f(0, 0, 0), jack->translation.getValue());
}

TEST_F(RotateJackTest, ShiftTurnsFreelyAndAltAboutTheOppositeFace)
{
    turn({SbVec2s(8, 8)}, TRUE);
    SbVec3f a = axis();
    EXPECT_GT(fabsf(a[0]), 0.3f);
    EXPECT_GT(fabsf(a[1]), 0.3f);

    // About the middle of the -Z face: the box's centre swings aside.
    turn({SbVec2s(10, 0)}, FALSE, TRUE);
    EXPECT_NEAR(1, fabsf(axis()[1]), 1e-4);
    SbVec3f centre;
    jack->getMotionMatrix().multVecMatrix(SbVec3f(0, 0, 0), centre);
    EXPECT_GT(fabsf(centre[0]), 0.1f);
    EXPECT_LT(centre[2], 0);

    // Alt pressed mid-drag restarts there: the centre moves only after.
    jack->rotation = SbRotation::identity();
    jack->translation = SbVec3f(0, 0, 0);
    driver->press(100, 100);
    driver->move(106, 100);
    driver->move(110, 100);
    SbVec3f before;
    jack->getMotionMatrix().multVecMatrix(SbVec3f(0, 0, 0), before);
    EXPECT_NEAR(0, before.length(), 1e-4);
    driver->key(SoKeyboardEvent::LEFT_ALT, TRUE);
    EXPECT_EQ(jack, driver->action.getGrabber());
    driver->move(116, 100);
    driver->release(116, 100);
    driver->key(SoKeyboardEvent::LEFT_ALT, FALSE);
    jack->getMotionMatrix().multVecMatrix(SbVec3f(0, 0, 0), centre);
    EXPECT_GT(centre.length(), 0.05f);
    EXPECT_NEAR(1, fabsf(axis()[1]), 1e-4) << "the restart keeps the state and its axis";
}

TEST_F(RotateJackTest, FileFormsKeepTheFieldsAndLeaveDragStateOut)
{
    jack->rotation = SbRotation(SbVec3f(0, 1, 0), 0.5f);
    for (bool binary : {false, true}) {
        std::string bytes = GspTest::writeToBuffer(root, binary);
        GspTest::Held<SoSeparator> read(GspTest::readFromBuffer(bytes));
        SoRotateJackDragger *r = GspTest::nth<SoRotateJackDragger>(read);
        ASSERT_TRUE(r) << binary;
        EXPECT_TRUE(r->rotation.getValue().equals(jack->rotation.getValue(), 1e-5f));
        if (!binary) {
            EXPECT_EQ(std::string::npos, bytes.find("Switch")) << bytes;
            EXPECT_EQ(std::string::npos, bytes.find("rotator1")) << bytes;
        }
    }
}
