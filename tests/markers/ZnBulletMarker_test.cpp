// The bullet marker in a real window, and the shared dragger of each
// marker kind moving from one selected marker to the next.
#include "support/Test.h"

#include <Inventor/draggers/SoDragger.h>
#include <Inventor/fields/SoSFVec3f.h>

#include "support/SceneTest.h"

namespace {

bool cyan(const SbVec3f &c) { return c[0] < 0.2f && c[1] > 0.4f && c[2] > 0.4f; }

SoSFVec3f &field(SoFieldContainer *c, const char *name)
{
    return *(SoSFVec3f *)c->getField(name);
}

}

class BulletTest : public SceneTest {};

TEST_F(BulletTest, ANewBulletIsACyanOctahedronThatTheScreenDraggerMoves)
{
    GspTest::addFlatColour(root);
    ZnBulletMarker *bullet = new ZnBulletMarker;
    root->addChild(bullet);
    open();
    RenderWindow &window = *this->window;
    window.draw();
    // Radius 1 (20 pixels) about the centre, in the diffuse cyan; the
    // tips are a few pixels thin.
    RenderWindow::Extent e = window.extent(cyan);
    EXPECT_NEAR(80, e.x0, 5);
    EXPECT_NEAR(120, e.x1, 5);
    EXPECT_NEAR(80, e.y0, 5);
    EXPECT_NEAR(120, e.y1, 5);
    SbVec3f c = window.pixel(100, 100);
    EXPECT_NEAR(0.6f, c[1], 0.02f);
    EXPECT_NEAR(0.6f, c[2], 0.02f);

    ZnCommon::editMode = 2;
    bullet->select();
    // On the translator's face, off the scaler's knob at the centre.
    EXPECT_TRUE(driver->drag(SbVec2s(106, 106), SbVec2s(146, 106)));
    EXPECT_LT((bullet->getDraggerTransform()->translation.getValue() - SbVec3f(2, 0, 0)).length(),
              0.05f);
    window.draw();
    EXPECT_NEAR(e.x1 + 40, window.extent(cyan).x1, 2);
    bullet->deselect();
}

// A deselected marker keeps what the drag left; the dragger takes the
// next marker's placement, and a placement set while attached moves it.
TEST_F(XtTest, TheSharedDraggerFollowsTheSelectedMarker)
{
    for (bool arrows : {true, false}) {
        GspTest::Held<ZnMarker> a(arrows ? (ZnMarker *)new ZnArrowMarker : new ZnBulletMarker);
        GspTest::Held<ZnMarker> b(arrows ? (ZnMarker *)new ZnArrowMarker : new ZnBulletMarker);
        b->getDraggerTransform()->translation.setValue(-1, -2, -3);
        SoDragger *d = a->getDragger();
        EXPECT_EQ(d, b->getDragger());

        a->select();
        field(d, "translation").setValue(1, 2, 3);  // as a drag sets it
        EXPECT_EQ(SbVec3f(1, 2, 3), a->getDraggerTransform()->translation.getValue()) << arrows;
        a->getDraggerTransform()->translation.setValue(4, 5, 6);
        EXPECT_EQ(SbVec3f(4, 5, 6), field(d, "translation").getValue()) << arrows;
        field(d, "scaleFactor").setValue(2, 2, 2);
        a->deselect();

        b->select();
        EXPECT_EQ(SbVec3f(-1, -2, -3), field(d, "translation").getValue()) << arrows;
        EXPECT_EQ(SbVec3f(1, 1, 1), field(d, "scaleFactor").getValue()) << arrows;
        field(d, "translation").setValue(7, 7, 7);
        EXPECT_EQ(SbVec3f(4, 5, 6), a->getDraggerTransform()->translation.getValue()) << arrows;
        EXPECT_EQ(SbVec3f(2, 2, 2), a->getDraggerTransform()->scaleFactor.getValue()) << arrows;
        EXPECT_EQ(SbVec3f(7, 7, 7), b->getDraggerTransform()->translation.getValue()) << arrows;
        // Deselecting the other marker leaves this one's connections.
        a->deselect();
        field(d, "translation").setValue(8, 8, 8);
        EXPECT_EQ(SbVec3f(8, 8, 8), b->getDraggerTransform()->translation.getValue()) << arrows;
        b->deselect();
    }
}
