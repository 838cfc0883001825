// Locate highlighting in a real window: the group under the pointer is
// redrawn in its highlight colour in the front buffer, the previous one
// returns to its own colours, and leaving the window ends the highlight.
#include "support/Test.h"

#include "support/SceneTest.h"

namespace {

class HighlightTest : public SceneTest {
  protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        GspTest::addFlatColour(root);
        // The right-hand group comes first, so that it handles events
        // before the left-hand one.
        right = cubeGroup(2);
        left = cubeGroup(-2);
        open();
    }
    void TearDown() override
    {
        SceneTest::TearDown();
        SoLocateHighlightGroup::currentWidget = NULL;
    }

    SoLocateHighlightGroup *cubeGroup(float x)
    {
        return (SoLocateHighlightGroup *)GspTest::addText(
            root, "SoLocateHighlightGroup { Separator { Translation { translation " +
                      std::to_string(x) + " 0 0 } Material { diffuseColor 1 0 0 } Cube {} } }");
    }

    SbVec2s pixelOf(float x) const { return SceneTest::pixelOf(SbVec3f(x, 0, 0)); }

    // A pointer motion delivered to the whole scene, or only along the
    // path to one group.
    void moveTo(float x, SoNode *onlyTo = NULL)
    {
        SoLocation2Event ev;
        ev.setPosition(pixelOf(x));
        SoHandleEventAction ha(window->viewport());
        ha.setEvent(&ev);
        if (onlyTo) {
            GspTest::Held<SoPath> p(new SoPath(root));
            p->append(onlyTo);
            ha.apply(p);
        } else {
            ha.apply(root);
        }
        window->readBack();
    }

    // Crossing events on the render area's parent, as the server sends them.
    void cross(int type)
    {
        Widget gl = window->area->getNormalWidget();
        XEvent ev;
        memset(&ev, 0, sizeof ev);
        ev.xcrossing.type = type;
        ev.xcrossing.display = SoXt::getDisplay();
        ev.xcrossing.window = XtWindow(XtParent(gl));
        XSendEvent(SoXt::getDisplay(), ev.xcrossing.window, False,
                   type == EnterNotify ? EnterWindowMask : LeaveWindowMask, &ev);
        GspTest::pumpEvents(100);
    }

    bool highlightedAt(float x)
    {
        SbVec2s p = pixelOf(x);
        return window->pixel(p[0], p[1]).equals(SbVec3f(0.8f, 0.3f, 0.1f), 0.03f);
    }
    bool plainAt(float x)
    {
        SbVec2s p = pixelOf(x);
        return window->pixel(p[0], p[1]).equals(SbVec3f(1, 0, 0), 0.03f);
    }

    SoLocateHighlightGroup *left, *right;
};

}

TEST_F(HighlightTest, PointerMovesFromOneGroupOntoAnother)
{
    window->draw();
    ASSERT_TRUE(plainAt(-2) && plainAt(2));

    // Nothing happens before the pointer has entered the window.
    moveTo(-2);
    EXPECT_FALSE(left->isHighlighted());

    cross(EnterNotify);
    ASSERT_EQ(window->area->getNormalWidget(), SoLocateHighlightGroup::currentWidget);
    moveTo(-2);
    EXPECT_TRUE(left->isHighlighted());
    EXPECT_EQ(left, SoLocateHighlightGroup::currentHighlight);
    EXPECT_TRUE(highlightedAt(-2));
    EXPECT_TRUE(plainAt(2));

    // The event reaches only the right-hand group, which un-highlights the
    // left-hand one itself before drawing its own highlight.
    moveTo(2, right);
    EXPECT_FALSE(left->isHighlighted());
    EXPECT_TRUE(right->isHighlighted());
    EXPECT_EQ(right, SoLocateHighlightGroup::currentHighlight);
    EXPECT_TRUE(plainAt(-2));
    EXPECT_TRUE(highlightedAt(2));

    // Between the cubes: no highlight at all.
    moveTo(0);
    EXPECT_EQ(NULL, SoLocateHighlightGroup::currentHighlight);
    EXPECT_TRUE(plainAt(2));

    moveTo(2);
    cross(LeaveNotify);
    window->readBack();
    EXPECT_FALSE(right->isHighlighted());
    EXPECT_TRUE(plainAt(2));
}

TEST_F(HighlightTest, SwitchedOffGroupNeverHighlights)
{
    left->onOff = FALSE;
    window->draw();
    cross(EnterNotify);
    moveTo(-2);
    EXPECT_FALSE(left->isHighlighted());
    EXPECT_TRUE(plainAt(-2));
}

// Another window on the same scene draws the group in its own colours
// while the window under the pointer shows it highlighted.
TEST_F(HighlightTest, OnlyTheWindowUnderThePointerShowsTheHighlight)
{
    RenderWindow other(root);
    window->draw();
    cross(EnterNotify);
    moveTo(-2);
    ASSERT_TRUE(left->isHighlighted() && highlightedAt(-2));
    other.draw();
    SbVec2s p = pixelOf(-2);
    EXPECT_TRUE(other.pixel(p[0], p[1]).equals(SbVec3f(1, 0, 0), 0.03f));
}
