// Arrows drawn in a real window: pixels read back where each type's parts
// project, and background beside them.
#include "support/SceneTest.h"

namespace {

// A view 10 units high centred on (0, 2), red arrows.
class ArrowRenderTest : public SceneTest {
  protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        camera->position = SbVec3f(0, 2, 10);
        const SbColor red(1, 0, 0);
        GspTest::addFlatColour(root, &red);
        root->addChild(arrow = new ZnArrow);
        open();
    }

    void draw() { window->draw(); }

    // Red where the arrow is at the point (x, y) of the arrow's frame.
    bool redAt(float x, float y)
    {
        float scale = window->size()[1] / 10.0f;
        SbVec3f p = window->pixel((int)lroundf(window->size()[0] / 2.0f + x * scale),
                                  (int)lroundf(window->size()[1] / 2.0f + (y - 2) * scale));
        return p[0] > 0.8f && p[1] < 0.2f && p[2] < 0.2f;
    }

    // The same within a pixel, for the 2-pixel lines.
    bool redNear(float x, float y)
    {
        float d = 10.0f / window->size()[1];
        for (int i = -1; i <= 1; i++)
            for (int j = -1; j <= 1; j++)
                if (redAt(x + i * d, y + j * d))
                    return true;
        return false;
    }

    ZnArrow *arrow;
};

}

TEST_F(ArrowRenderTest, EachTypeDrawsItsParts)
{
    draw();
    EXPECT_TRUE(redAt(0, 3));       // shaft
    EXPECT_TRUE(redAt(0.25f, 0.8f)); // cone, radius 0.32 there
    EXPECT_FALSE(redAt(0.35f, 3));   // beside the shaft
    EXPECT_FALSE(redAt(0, 4.3f));    // past the far end

    arrow->setType(ZnArrow::PUSHPIN);
    draw();
    EXPECT_TRUE(redAt(0.15f, 3.8f));  // ball
    EXPECT_TRUE(redNear(0, 2));       // line shaft
    EXPECT_FALSE(redAt(0.25f, 0.8f)); // no cone

    arrow->setType(ZnArrow::LINE_ARROW);
    draw();
    EXPECT_TRUE(redNear(0, 3));               // line shaft
    EXPECT_TRUE(redNear(-0.1748f, 0.8326f));  // second stroke
    EXPECT_TRUE(redNear(0.1957f, 0.7218f));   // first stroke
    EXPECT_FALSE(redNear(0.3f, 0.3f));        // between the strokes
    EXPECT_FALSE(redAt(0.15f, 3.8f));
}

