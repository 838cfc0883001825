// Shadows cast onto a floor and read back from above, their slab, their
// following of the object, their file form, and the shadow dragger
// moving the object in the plane.
#include "support/Test.h"

#include "support/SceneTest.h"

using GspTest::Held;

namespace {

// An object at (0, 5, 0) over a white floor at y = -0.1, under a camera
// looking straight down: 10 pixels a unit, the origin at the centre.
class ShadowTest : public SceneTest {
  protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        root->removeChild(camera);
        // Shadows and draggers come after the stray translation: they
        // place themselves.
        GspTest::addText(root, "OrthographicCamera { position 0 20 0 orientation 1 0 0 -1.5707964"
                               "  height 20 farDistance 40 }"
                               "LightModel { model BASE_COLOR } Material { diffuseColor 1 1 1 }"
                               "Separator { Translation { translation 0 -0.1 0 }"
                               "  Cube { width 20 height 0.01 depth 20 } }"
                               "Separator { Transform { translation 0 5 0 } }"
                               "Translation { translation 10 10 10 }");
        camera = GspTest::nth<SoCamera>(root);
        objectSep = GspTest::nth<SoSeparator>(root, 1);
        place = GspTest::nth<SoTransform>(objectSep);
    }
    // The object (a unit cube unless given) and paths to it and its transform.
    void addObject(SoNode *object = new SoCube)
    {
        objectSep->addChild(object);
        objectPath = new SoPath(root);
        objectPath->append(objectSep);
        transformPath = objectPath->copy();
        objectPath->append(object);
        transformPath->append(place);
    }
    SoShadow *addShadow(const SbVec3f &light)
    {
        addObject();
        SoShadow *s = new SoShadow;
        s->lightDir = light;
        s->setPaths(objectPath, transformPath);
        root->addChild(s);
        return s;
    }
    RenderWindow::Extent dark()
    {
        GspTest::settle();
        window->draw();
        return window->extent([](const SbVec3f &c) { return c[0] < 0.7f; });
    }
    SoSeparator *objectSep = NULL;
    SoTransform *place = NULL;
    Held<SoPath> objectPath, transformPath;
};

SbBox3f settledBox(SoNode *n)
{
    GspTest::settle();
    return GspTest::boxOf(n);
}

}

TEST_F(ShadowTest, TheObjectIsSquashedOntoTheFloorAlongTheLight)
{
    // lightDir and the x extent of the shadow of the cube (2 units, 4 to 6 up).
    struct Case {
        SbVec3f light;
        float x0, x1;
    } cases[] = {
        {SbVec3f(0.6f, -1, 0), -1 + 4 * 0.6f, 1 + 6 * 0.6f},
        {SbVec3f(-1, -1, 0), -1 - 6, 1 - 4},
        {SbVec3f(1, -0.05f, 0), 0, 0},  // grazing: not normalised, g = 0.05
        {SbVec3f(1, 1, 0), 0, 0},       // from below
    };
    SoShadow *s = addShadow(cases[0].light);
    open();
    for (const Case &c : cases) {
        s->lightDir = c.light;
        RenderWindow::Extent e = dark();
        bool shown = c.x0 != c.x1;
        ASSERT_EQ(!shown, e.empty()) << c.light[0];
        if (!shown)
            continue;
        // The filled box and its outline, z from -1 to 1.
        SbVec2s lo = pixelOf(SbVec3f(c.x0, 0, 1)), hi = pixelOf(SbVec3f(c.x1, 0, -1));
        EXPECT_NEAR(lo[0], e.x0, 2) << c.light[0];
        EXPECT_NEAR(hi[0], e.x1, 2) << c.light[0];
        EXPECT_NEAR(lo[1], e.y0, 2) << c.light[0];
        EXPECT_NEAR(hi[1], e.y1, 2) << c.light[0];
    }
}

TEST_F(ShadowTest, TheSlabIsThinAndFollowsTheObject)
{
    SoShadow *s = addShadow(SbVec3f(0, -1, 0));
    for (bool pickable : {false, true}) {
        s->pickable = pickable;
        SbBox3f b = settledBox(s);
        float t = pickable ? 0.01f : 0.001f;  // the object spans y 4 ... 6
        EXPECT_NEAR(4 * t, b.getMin()[1], 1e-5) << pickable;
        EXPECT_NEAR(6 * t, b.getMax()[1], 1e-5) << pickable;
        EXPECT_NEAR(0, b.getCenter()[0], 1e-4);
    }
    place->translation.setValue(2, 7, -3);
    SbVec3f c = settledBox(s).getCenter();
    EXPECT_NEAR(2, c[0], 1e-4);
    EXPECT_NEAR(-3, c[2], 1e-4);
    // A tilted plane through (0, 1, 0): the shadow lies on it.
    s->projectionPlane = SbPlane(SbVec3f(0, 1, 1), SbVec3f(0, 1, 0));
    s->lightDir = SbVec3f(0, -1, -1);
    SbBox3f tilted = settledBox(s);
    const SbPlane &p = s->projectionPlane.getValue();
    EXPECT_NEAR(p.getDistanceFromOrigin(), p.getNormal().dot(tilted.getCenter()), 0.05f);
}

TEST_F(ShadowTest, BoxOrShapeInTheUniformShadowColour)
{
    // A blue ball whose material is part of what the shadow draws.
    SoSeparator *ball = GspTest::readText("Material { diffuseColor 0 0 1 } Sphere {}");
    addObject(ball);
    SoShadow *s = new SoShadow;
    s->setPaths(objectPath, transformPath);
    root->addChild(s);
    open();
    // Straight down, the ball hides its shape's shadow but not the corners
    // of its box's; at 45 degrees the shape's shadow is an ellipse about
    // (5, 0, 0), 1.4 by 1 units, clear of the ball, that misses the
    // corner of the box's.
    struct Case {
        SbVec3f light, inside, corner;
    } cases[] = {
        {SbVec3f(0, -1, 0), SbVec3f(0, 0, 0), SbVec3f(0.9f, 0, 0.9f)},
        {SbVec3f(1, -1, 0), SbVec3f(5, 0, 0), SbVec3f(5 + 1.7f, 0, 0.8f)},
    };
    for (const Case &c : cases) {
        s->lightDir = c.light;
        for (bool box : {true, false}) {
            s->renderAsBox = box;
            dark();
            SbVec2s in = pixelOf(c.inside), out = pixelOf(c.corner);
            SbVec3f centre = window->pixel(in[0], in[1]), corner = window->pixel(out[0], out[1]);
            EXPECT_EQ(box, corner[0] < 0.7f) << box << c.light[0];
            if (c.light[0] == 0)
                continue;  // the ball is on top
            EXPECT_LT(centre[0], 0.7f) << box;
            EXPECT_NEAR(centre[0], centre[2], 0.02f) << "grey, not the ball's colour";
        }
    }
    EXPECT_EQ(ball, s->getPart("shadowedObject", FALSE));
}

TEST_F(ShadowTest, BothFileFormsCarryThePathsAndLeaveTheFieldsEmpty)
{
    SoShadow *s = addShadow(SbVec3f(0.5f, -1, 0));
    s->pickable = TRUE;
    s->renderAsBox = FALSE;
    // A dragger before the object in the file: its paths lead forward.
    SoShadowDragger *d = new SoShadowDragger;
    d->setPaths(objectPath, transformPath);
    root->insertChild(d, 0);
    // Parts are made from the fields: the file holds none of them.
    std::string text = GspTest::writeToBuffer(root);
    EXPECT_EQ(1, GspTest::occurrences(text, "Shadow {")) << text;
    EXPECT_EQ(0, GspTest::occurrences(text, "shadowedObject")) << text;
    EXPECT_EQ(((SoFullPath *)(SoPath *)objectPath)->getTail(), s->getPart("shadowedObject", FALSE));
    for (bool binary : {false, true}) {
        Held<SoSeparator> read(GspTest::readFromBuffer(GspTest::writeToBuffer(root, binary)));
        ASSERT_TRUE(read) << binary;
        SoShadow *r = GspTest::nth<SoShadow>(read);
        SoShadowDragger *rd = GspTest::nth<SoShadowDragger>(read);
        ASSERT_TRUE(r && rd) << binary;
        settledBox(read);  // the first traversal follows paths read ahead of their nodes
        SoSeparator *sep = GspTest::nth<SoSeparator>(read, 1);
        for (SoPath *p : {r->getObjectPath(), rd->getObjectPath()})
            EXPECT_TRUE(p && GspTest::nth<SoCube>(sep) == ((SoFullPath *)p)->getTail()) << binary;
        for (SoPath *p : {r->getTransformPath(), rd->getTransformPath()})
            EXPECT_TRUE(p && GspTest::nth<SoTransform>(sep) == ((SoFullPath *)p)->getTail());
        for (SoSFPath *f : {&r->pathToObjectField, &r->pathToTransformField,
                            &rd->pathToObjectField, &rd->pathToTransformField})
            EXPECT_EQ(NULL, f->getValue()) << binary;
        EXPECT_TRUE(r->pickable.getValue() && !r->renderAsBox.getValue());
        EXPECT_EQ(SbVec3f(0.5f, -1, 0), r->lightDir.getValue());
        EXPECT_NEAR(2.5f, settledBox(r).getCenter()[0], 1e-3);
    }
    EXPECT_EQ(NULL, s->pathToObjectField.getValue());
    EXPECT_TRUE(d->getObjectPath());
}

TEST_F(ShadowTest, DraggingTheShadowMovesTheObjectInThePlane)
{
    addObject();
    SoShadowDragger *d = new SoShadowDragger;
    d->lightDir.setValue(1, -1, 0);
    d->setPaths(objectPath, transformPath);
    root->addChild(d);
    open();
    // The shadow is centred on x = 5; each row drags from there.
    struct Case {
        SbBool shift;
        short dx, dy;
        SbVec3f moved;
    } cases[] = {
        {FALSE, 20, -30, SbVec3f(2, 0, 3)},
        {TRUE, 30, -8, SbVec3f(3, 0, 0)},  // mostly along x: x only
        {TRUE, 6, 40, SbVec3f(0, 0, -4)},
    };
    // Highlighted while the pointer is over it, in the active colour
    // while it is dragged.
    SoLocateHighlightGroup::currentWidget = window->area->getNormalWidget();
    auto shows = [&](const SbVec2s &at, const SbVec3f &colour) {
        window->draw();
        RenderWindow::Extent e = window->extent([&](const SbVec3f &c) {
            return c.equals(colour, 0.02f);
        });
        return !e.empty() && e.x0 <= at[0] + 10 && e.x1 >= at[0] - 10;
    };
    for (const Case &c : cases) {
        SbVec3f before = place->translation.getValue();
        SbVec2s from = pixelOf(before + SbVec3f(5, -5, 0));
        driver->shift = c.shift;
        driver->move(from[0], from[1]);
        driver->press(from[0], from[1]);
        ASSERT_EQ(d, driver->action.getGrabber()) << c.dx;
        driver->move(from[0] + c.dx / 2, from[1] + c.dy / 2);
        EXPECT_TRUE(shows(from, SbVec3f(0.5f, 0.5f, 0.1f))) << "active";
        driver->move(from[0] + c.dx, from[1] + c.dy);
        driver->release(from[0] + c.dx, from[1] + c.dy);
        GspTest::settle();
        SbVec3f moved = place->translation.getValue() - before;
        for (int i = 0; i < 3; i++)
            EXPECT_NEAR(c.moved[i], moved[i], 0.15f) << c.dx << " axis " << i;
    }
    SoLocateHighlightGroup::currentWidget = NULL;
}
