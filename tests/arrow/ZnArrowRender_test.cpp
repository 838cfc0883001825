// Arrows drawn in a real window: pixels read back where each type's parts
// project, and background beside them.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glx.h>
#include <math.h>

#include <vector>

#include <Glosspin/ZnArrow.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/Xt/SoXtRenderArea.h>
#include <Inventor/nodes/SoLightModel.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include "support/XtTestEnv.h"

namespace {

// A view of about 200 x 200 pixels centred on (0, 2), red arrows.
class ArrowRenderTest : public XtTest {
  protected:
    void SetUp() override
    {
        XtTest::SetUp();
        root = new SoSeparator;
        root->ref();
        SoOrthographicCamera *cam = new SoOrthographicCamera;
        cam->position = SbVec3f(0, 2, 10);
        cam->height = 10;
        cam->farDistance = 20;  // the arrow's plane z = 0 well inside
        SoLightModel *lm = new SoLightModel;
        lm->model = SoLightModel::BASE_COLOR;
        SoMaterial *mat = new SoMaterial;
        mat->diffuseColor = SbColor(1, 0, 0);
        arrow = new ZnArrow;
        root->addChild(cam);
        root->addChild(lm);
        root->addChild(mat);
        root->addChild(arrow);

        shell = XtVaCreatePopupShell("arrowWindow", topLevelShellWidgetClass,
                                     GspTest::topLevel(), NULL);
        area = new SoXtRenderArea(shell);
        area->setSize(SbVec2s(200, 200));
        area->setBackgroundColor(SbColor(0, 0, 0));
        area->setSceneGraph(root);
        // Single-buffered, so that each render lands where it is read.
        area->setDoubleBuffer(FALSE);
        area->show();
        XtPopup(shell, XtGrabNone);
        GspTest::pumpUntil([&] { return XtIsRealized(area->getNormalWidget()); });
    }
    void TearDown() override
    {
        delete area;
        XtDestroyWidget(shell);
        root->unref();
        XtTest::TearDown();
    }

    // Renders and reads the whole viewport back from the window.
    void draw()
    {
        GspTest::pumpEvents(50);
        area->render();
        Display *d = SoXt::getDisplay();
        glXMakeCurrent(d, XtWindow(area->getNormalWidget()), area->getNormalContext());
        glFinish();
        glReadBuffer(GL_FRONT);
        size = area->getViewportRegion().getWindowSize();
        pixels.assign(3 * size[0] * size[1], 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, size[0], size[1], GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    }

    // Red where the arrow is at the point (x, y) of the arrow's frame; the
    // view is 10 units high, centred on (0, 2).
    bool redAt(float x, float y)
    {
        float scale = size[1] / 10.0f;
        int px = (int)lroundf(size[0] / 2.0f + x * scale);
        int py = (int)lroundf(size[1] / 2.0f + (y - 2) * scale);
        const unsigned char *p = &pixels[3 * (py * size[0] + px)];
        return p[0] > 200 && p[1] < 50 && p[2] < 50;
    }

    // The same within a pixel, for the 2-pixel lines.
    bool redNear(float x, float y)
    {
        float d = 1.0f / (size[1] / 10.0f);
        for (int i = -1; i <= 1; i++)
            for (int j = -1; j <= 1; j++)
                if (redAt(x + i * d, y + j * d))
                    return true;
        return false;
    }

    SoSeparator *root;
    ZnArrow *arrow;
    Widget shell;
    SoXtRenderArea *area;
    SbVec2s size;
    std::vector<unsigned char> pixels;
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
