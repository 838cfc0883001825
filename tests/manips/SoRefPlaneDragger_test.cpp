// The reference plane moved, tilted, spun, resized and snapped onto a
// tilted face by real drags, seen from above and in front; its shadows
// following it and its graph paper fitted to it.
#include "support/Test.h"

#include "support/SceneTest.h"

namespace {

class RefPlaneTest : public SceneTest {
  protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        SoNewManips::init();
        turnCamera(SbRotation(SbVec3f(1, 0, 0), -0.9f));
        plane = new SoRefPlaneDragger;
        root->addChild(plane);
    }
    void drag(const SbVec3f &at, std::initializer_list<SbVec2s> steps, SbBool alt = FALSE)
    {
        SbVec2s p = pixelOf(at);
        driver->alt = alt;
        driver->press(p[0], p[1]);
        grabbed = driver->action.getGrabber() == plane;
        for (const SbVec2s &s : steps)
            driver->move(p[0] += s[0], p[1] += s[1]);
        window->draw();  // the feedback drawn at the end of the drag
        RenderWindow::Extent e = window->extent([](const SbVec3f &c) {
            return c.equals(SbVec3f(1, 1, 0), 0.01f);
        });
        feedbackWidth = e.empty() ? 0 : e.x1 - e.x0;
        driver->release(p[0], p[1]);
        driver->alt = FALSE;
    }
    SbVec3f normal() const
    {
        SbVec3f n;
        plane->rotation.getValue().multVec(SbVec3f(0, 1, 0), n);
        return n;
    }
    SoRefPlaneDragger *plane = NULL;
    bool grabbed = false;
    int feedbackWidth = 0;  // in pixels, of the yellow feedback
};

}

TEST_F(RefPlaneTest, MovedTiltedSpunAndResized)
{
    open();
    struct Case {
        const char *what;
        SbVec3f at;
        SbBool alt;
        SbVec2s move;
        SbVec3f moved;   // which translation components change (1) or not (0)
        int axis;        // the rotation axis, -1 none
        SbVec3f scaled;  // which factors change
    } cases[] = {
        {"plane", SbVec3f(0.5f, 0, 0.5f), FALSE, SbVec2s(16, 10), SbVec3f(1, 0, 1), -1,
         SbVec3f(0, 0, 0)},
        {"plane, Alt", SbVec3f(0.5f, 0, 0.5f), TRUE, SbVec2s(0, 16), SbVec3f(0, 1, 0), -1,
         SbVec3f(0, 0, 0)},
        {"x rotator", SbVec3f(1.35f, 0, 0), FALSE, SbVec2s(0, 14), SbVec3f(0, 0, 0), 2,
         SbVec3f(0, 0, 0)},
        {"x rotator, Alt", SbVec3f(1.35f, 0, 0), TRUE, SbVec2s(-4, 14), SbVec3f(0, 0, 0), 1,
         SbVec3f(0, 0, 0)},
        {"right edge", SbVec3f(1, 0, 0), FALSE, SbVec2s(14, 0), SbVec3f(0, 0, 0), -1,
         SbVec3f(1, 0, 0)},
        {"corner", SbVec3f(1, 0, 1), FALSE, SbVec2s(14, -8), SbVec3f(0, 0, 0), -1,
         SbVec3f(1, 0, 1)},
    };
    for (const Case &c : cases) {
        plane->translation = SbVec3f(0, 0, 0);
        plane->rotation = SbRotation::identity();
        plane->scaleFactor = SbVec3f(1, 1, 1);
        drag(c.at, {SbVec2s(c.move[0] / 2, c.move[1] / 2), SbVec2s(c.move[0] / 2, c.move[1] / 2)},
             c.alt);
        ASSERT_TRUE(grabbed) << c.what;
        SbVec3f t = plane->translation.getValue(), s = plane->scaleFactor.getValue(), a;
        float angle;
        plane->rotation.getValue().getValue(a, angle);
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(c.moved[i] != 0, fabsf(t[i]) > 0.05f) << c.what << " t" << i;
            EXPECT_EQ(c.scaled[i] != 0, fabsf(s[i] - 1) > 0.05f) << c.what << " s" << i;
        }
        EXPECT_EQ(c.axis >= 0, fabsf(angle) > 0.05f) << c.what;
        // The circle of the turn, 3 units (60 pixels) across, drawn.
        EXPECT_EQ(c.axis >= 0, feedbackWidth > 50) << c.what;
        if (c.axis >= 0) {
            EXPECT_NEAR(1, fabsf(a[c.axis]), 1e-3) << c.what;
        }
    }
}

// Resized evenly or not, the plane lands centred on the picked point,
// facing out along the face's normal, and its fields describe it.
TEST_F(RefPlaneTest, SnapsOntoATiltedFace)
{
    SoTransform *tilt = (SoTransform *)((SoGroup *)GspTest::addText(
        root, "Separator { Transform { translation 3 -1 0 rotation 0 0 1 0.5 } Cube {} }"))
        ->getChild(0);
    open();
    SbVec3f top, onto;
    tilt->rotation.getValue().multVec(SbVec3f(0, 1, 0), top);
    onto = SbVec3f(3, -1, 0) + top;  // the middle of the block's top face
    for (const SbVec3f &size : {SbVec3f(1, 1, 1), SbVec3f(2, 1, 2)}) {
        plane->translation = SbVec3f(0, 0, 0);
        plane->rotation = SbRotation::identity();
        plane->scaleFactor = size;
        // From the snapper's tip to there.
        SbVec2s from = pixelOf(SbVec3f(0, 0.62f, 0)), to = pixelOf(onto);
        SbVec2s half((to[0] - from[0]) / 2, (to[1] - from[1]) / 2);
        drag(SbVec3f(0, 0.62f, 0), {half, SbVec2s(to[0] - from[0], to[1] - from[1]) - half});
        ASSERT_TRUE(grabbed);
        EXPECT_GT(normal().dot(top), cosf(M_PI / 180)) << "the plane's normal is the face's";
        SoRayPickAction pick(viewport());  // the face under the pixel the drag ended on
        pick.setPoint(to);
        pick.apply(root);
        ASSERT_TRUE(pick.getPickedPoint());
        SbVec3f picked = pick.getPickedPoint()->getPoint();
        EXPECT_LT((plane->translation.getValue() - picked).length(), 0.01f * 2 * size[0]);
        SbMatrix fields;
        fields.setTransform(plane->translation.getValue(), plane->rotation.getValue(),
                            plane->scaleFactor.getValue());
        EXPECT_TRUE(fields.equals(plane->getMotionMatrix(), 1e-3f)) << "no shear";
    }
}

TEST_F(RefPlaneTest, ShadowsFallDownTheNormalAndTheGridFitsThePlane)
{
    SoCube *cube = new SoCube;
    root->addChild(cube);
    GspTest::Held<SoPath> toCube(new SoPath(root));
    toCube->append(cube);
    plane->addShadow(toCube, NULL);
    plane->addShadowDragger(toCube, NULL);
    plane->useBoxShadows = FALSE;
    plane->addShadow(toCube, NULL);
    plane->rotation = SbRotation(SbVec3f(1, 0, 0), 0.4f);
    plane->translation = SbVec3f(1, 2, 3);
    SbVec3f n = normal();
    const char *lists[] = {"shadowList", "shadowDraggerList"};
    int items = 0;
    for (const char *list : lists) {
        SoNodeKitListPart *l = (SoNodeKitListPart *)plane->getPart(list, FALSE);
        for (int i = 0; l && i < l->getNumChildren(); i++, items++) {
            SoNode *item = l->getChild(i);
            EXPECT_EQ(-n, ((SoSFVec3f *)item->getField("lightDir"))->getValue());
            const SbPlane &p = ((SoSFPlane *)item->getField("projectionPlane"))->getValue();
            EXPECT_NEAR(n.dot(SbVec3f(1, 2, 3)), p.getDistanceFromOrigin(), 1e-4);
            EXPECT_FALSE(((SoSFBool *)item->getField("renderAsBox"))->getValue());
        }
    }
    EXPECT_EQ(3, items);
    plane->removeShadow(toCube);
    EXPECT_EQ(0, ((SoNodeKitListPart *)plane->getPart("shadowList", FALSE))->getNumChildren());

    plane->showGraph(TRUE);
    SoGraphPaper *g = (SoGraphPaper *)plane->getPart("graphPaper", FALSE);
    ASSERT_TRUE(g);
    struct {
        SbVec3f scale;
        float spacing;
    } grids[] = {{SbVec3f(3, 1, 2), 1}, {SbVec3f(20, 1, 20), 5}, {SbVec3f(0.3f, 1, 0.2f), 0.04f}};
    for (const auto &c : grids) {
        plane->scaleFactor = c.scale;
        EXPECT_FLOAT_EQ(1 - c.scale[0], g->left.getValue());
        EXPECT_FLOAT_EQ(1 + c.scale[0], g->right.getValue());
        EXPECT_FLOAT_EQ(3 + c.scale[2], g->near.getValue());
        EXPECT_NEAR(c.spacing, g->gridSpacing.getValue(), 1e-6);
        EXPECT_FLOAT_EQ(2 + 0.03f * c.spacing, g->lineHeight.getValue());
    }
}
