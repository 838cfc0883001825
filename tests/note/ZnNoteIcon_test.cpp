// Notes on screen, in a real window: the icon's pixels at the offset,
// clipped at the left and bottom edges, the selection frame, picks and
// bounding boxes that cover exactly the icon and follow the camera, and
// the click rules of the two modes.
#include "support/Test.h"

#include "support/GridNote.h"
#include "support/SceneTest.h"

namespace {

class NoteIconTest : public SceneTest {
  protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        root->addChild(note = (new GridNote)->coded());
        open();
        size = window->viewport().getWindowSize();
    }
    // Object-space point of a window pixel in the plane z = 0.
    SbVec3f at(float x, float y) const
    {
        float upp = 10.0f / size[1];
        return SbVec3f((x - size[0] / 2.0f) * upp, (y - size[1] / 2.0f) * upp, 0);
    }
    // The icon pixel (column, row) as the test icon colours it.
    static SbVec3f iconColour(int col, int row)
    {
        return SbVec3f(col * 10 / 255.0f, row * 10 / 255.0f, 200 / 255.0f);
    }
    void expectPixel(const SbVec3f &want, int x, int y)
    {
        SbVec3f got = window->pixel(x, y);
        EXPECT_LT((got - want).length(), 0.02f) << "pixel " << x << "," << y << " is " << got[0]
                                                << " " << got[1] << " " << got[2];
    }
    bool pickAt(int x, int y)
    {
        SoRayPickAction pick(window->viewport());
        pick.setPoint(SbVec2s((short)x, (short)y));
        pick.apply(root);
        return pick.getPickedPoint() != NULL;
    }
    bool click(int x, int y, double seconds)
    {
        return GspTest::click(root, window->viewport(), (short)x, (short)y, SbTime(seconds));
    }

    GridNote *note = NULL;
    SbVec2s size;
};

}

TEST_F(NoteIconTest, IconPixelsSitAtTheOffsetAndClipAtTheEdges)
{
    note->setOffset(at(60, 50));
    window->draw();
    for (int col : {0, 7, 23})
        for (int row : {0, 12, 23})
            expectPixel(iconColour(col, row), 60 + col, 50 + row);
    expectPixel(SbVec3f(0, 0, 0), 59, 50);   // background beside it
    expectPixel(SbVec3f(0, 0, 0), 60, 74);

    // Lower-left corner left of and below the window: only the visible
    // part is drawn, each pixel where it belongs.
    for (SbVec2s corner : {SbVec2s(-5, 30), SbVec2s(30, -7), SbVec2s(-3, -4)}) {
        note->setOffset(at(corner[0], corner[1]));
        window->draw();
        for (int col : {std::max(0, -corner[0]), 20})
            for (int row : {std::max(0, -corner[1]), 20})
                expectPixel(iconColour(col, row), corner[0] + col, corner[1] + row);
    }
}

TEST_F(NoteIconTest, SelectionDrawsAYellowFrame)
{
    note->setOffset(at(60, 50));
    window->draw();
    SbVec3f yellow(1, 1, 0);
    EXPECT_GT((window->pixel(60, 62) - yellow).length(), 0.5f);
    note->select();
    window->draw();
    for (SbVec2s p : {SbVec2s(60, 62), SbVec2s(84, 62), SbVec2s(72, 50), SbVec2s(72, 74)}) {
        // The 2-pixel line covers the edge pixel or its outer neighbour.
        bool framed = false;
        for (int d = -1; d <= 1; d++) {
            int x = p[0] + (p[1] == 62 ? d : 0), y = p[1] + (p[1] == 62 ? 0 : d);
            framed = framed || (window->pixel(x, y) - yellow).length() < 0.05f;
        }
        EXPECT_TRUE(framed) << p[0] << "," << p[1];
    }
    expectPixel(iconColour(12, 12), 72, 62);  // inside stays the icon
    note->deselect();
    window->draw();
    EXPECT_GT((window->pixel(60, 62) - yellow).length(), 0.5f);
}

TEST_F(NoteIconTest, PicksAndBoundsCoverTheIconAndFollowTheCamera)
{
    note->setOffset(at(60, 50));
    EXPECT_TRUE(pickAt(61, 51));
    EXPECT_TRUE(pickAt(83, 73));
    EXPECT_FALSE(pickAt(58, 60));
    EXPECT_FALSE(pickAt(70, 76));
    EXPECT_FALSE(pickAt(86, 60));

    SoGetBoundingBoxAction bba(window->viewport());
    bba.apply(root);  // through the camera
    SbBox3f box = bba.getBoundingBox();
    EXPECT_LT((box.getMin() - at(60, 50)).length() + (box.getMax() - at(84, 74)).length(), 2e-3);

    // Half the height: the icon keeps its pixels, so its box halves, and
    // the same point lies twice as far from the centre on screen.
    ((SoOrthographicCamera *)camera)->height = 5;
    int x = size[0] / 2 + 2 * (60 - size[0] / 2), y = size[1] / 2 + 2 * (50 - size[1] / 2);
    EXPECT_TRUE(pickAt(x + 1, y + 1));
    EXPECT_TRUE(pickAt(x + 23, y + 23));
    EXPECT_FALSE(pickAt(61, 51));
    bba.apply(root);
    box = bba.getBoundingBox();
    EXPECT_NEAR(24 * 5.0f / size[1], box.getMax()[0] - box.getMin()[0], 1e-3);
}

TEST_F(NoteIconTest, ClicksToggleInViewingModeAndDoubleClicksPlayInAuthoring)
{
    note->setOffset(at(60, 50));
    EXPECT_TRUE(click(70, 60, 100.0));
    EXPECT_EQ(1, note->plays);
    EXPECT_TRUE(click(70, 60, 100.5));  // a later click stops it
    EXPECT_EQ(1, note->kills);
    EXPECT_TRUE(click(70, 60, 100.8));  // 300 ms: consumed, nothing else
    EXPECT_EQ(1, note->plays);
    EXPECT_EQ(1, note->kills);
    EXPECT_TRUE(click(70, 60, 101.101));  // 301 ms later: plays
    EXPECT_EQ(2, note->plays);
    EXPECT_FALSE(click(30, 30, 101.2));  // beside the icon
    EXPECT_TRUE(click(70, 60, 101.6));  // the miss did not count as a click
    EXPECT_EQ(2, note->kills);

    ZnCommon::editMode = 2;
    EXPECT_FALSE(click(70, 60, 200.0));
    EXPECT_EQ(2, note->plays);
    EXPECT_TRUE(click(70, 60, 200.3));  // double click: plays
    EXPECT_EQ(3, note->plays);
    EXPECT_TRUE(click(70, 60, 200.5));  // does not stop it
    EXPECT_EQ(2, note->kills);
    EXPECT_EQ(4, note->plays);
    EXPECT_FALSE(click(70, 60, 201.0));  // 500 ms: a single click again
    EXPECT_EQ(4, note->plays);
}

TEST_F(NoteIconTest, EveryKindShowsItsIconAndTheActiveOneWhilePlaying)
{
    ZnImageNote *image = new ZnImageNote;
    root->replaceChild(note, image);
    image->setOffset(at(60, 50));
    window->draw();
    SbVec3f normal = window->pixel(61, 72);  // a corner of the background
    EXPECT_LT((normal - SbVec3f(0xB8, 0xC4, 0xCC) / 255.0f).length(), 0.02f);
    image->ZnNote::play(0);
    window->draw();
    EXPECT_LT((window->pixel(61, 72) - SbVec3f(0xFF, 0x9A, 0x30) / 255.0f).length(), 0.02f);
}
