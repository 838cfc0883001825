// Hideable manipulators by scene position: a hide node before them makes
// them plain transforms for drawing, picking, bounding and events, up to
// the end of its separator.
#include "support/Test.h"

#include "support/SceneTest.h"

namespace {

// A hideable manipulator whose dragger is a green cube 2 units wide.
struct CubeManip : SoHideableTransformManip {
    explicit CubeManip(float x)
    {
        SoScreenPlaneDragger *d = new SoScreenPlaneDragger;
        d->setPart("translator",
                   GspTest::readText("Material { diffuseColor 0 1 0 } Cube {}"));
        setDragger(d);
        translation.setValue(x, 0, 0);
    }
};

// A small red cube, drawn where a manipulator's transform puts it.
SoSeparator *redCube()
{
    return GspTest::readText(
        "Material { diffuseColor 1 0 0 } Cube { width 0.4 height 0.4 depth 0.4 }");
}

}

TEST_F(SceneTest, AHideNodeHidesTheManipulatorsAfterItInItsSeparator)
{
    SoNewManips::init();
    GspTest::addFlatColour(root);
    // Where the hide node goes: nowhere, inside A's separator, before both.
    enum Where { NONE, INSIDE, TOP };
    struct Case {
        Where where;
        bool aShown, bShown;
    } cases[] = {{NONE, true, true}, {INSIDE, false, true}, {TOP, false, false}};
    SoSeparator *sepA = new SoSeparator;
    CubeManip *a = new CubeManip(-2.5f), *b = new CubeManip(2.5f);
    sepA->addChild(a);
    sepA->addChild(redCube());
    root->addChild(sepA);
    root->addChild(b);
    root->addChild(redCube());
    open();
    GspTest::settle();
    for (const Case &c : cases) {
        SoHideManip *hide = new SoHideManip;
        if (c.where == INSIDE)
            sepA->insertChild(hide, 0);
        if (c.where == TOP)
            root->insertChild(hide, 2);
        window->draw();
        SoGetBoundingBoxAction ba(viewport());
        ba.apply(root);
        const SbBox3f box = ba.getBoundingBox();
        for (int m = 0; m < 2; m++) {
            bool shown = m == 0 ? c.aShown : c.bShown;
            float x = m == 0 ? -2.5f : 2.5f;
            SbVec2s knob = pixelOf(SbVec3f(x + 0.7f, 0.7f, 0)), centre = pixelOf(SbVec3f(x, 0, 0));
            const char *which = m == 0 ? "A" : "B";
            // The transform still places the red cube; the knob covers it.
            EXPECT_EQ(shown ? SbVec3f(0, 1, 0) : SbVec3f(1, 0, 0),
                      window->pixel(centre[0], centre[1])) << which << c.where;
            EXPECT_EQ(shown, window->pixel(knob[0], knob[1])[1] > 0.5f) << which << c.where;
            SoRayPickAction pa(viewport());
            pa.setPoint(knob);
            pa.apply(root);
            EXPECT_EQ(shown, pa.getPickedPoint() != NULL) << which << c.where;
            EXPECT_NEAR(shown ? 3.5f : 2.7f, m == 0 ? -box.getMin()[0] : box.getMax()[0], 0.01f)
                << which << c.where;
            driver->press(knob[0], knob[1]);
            EXPECT_EQ(shown, driver->action.getGrabber() != NULL) << which << c.where;
            driver->release(knob[0], knob[1]);
        }
        hide->ref();
        (c.where == INSIDE ? sepA : root)->removeChild(hide);
        hide->unref();
    }
}
