// The arrow dragger driven by real event sequences in a window: the knob
// geometry of each type from the compiled-in copy, stretching with and
// without Shift and its limits, the head sliding along and across the
// axis, and a drop onto a target surface that stands the arrow on it.
#include "support/Test.h"

#include <Inventor/nodekits/SoShapeKit.h>
#include <Inventor/nodes/SoScale.h>

#include "support/SceneTest.h"

namespace {

// The first node of a type, or of a name, below root.
SoNode *find(SoNode *root, SoType type, const char *name = NULL)
{
    SoSearchAction sa;
    if (name)
        sa.setName(name);
    else
        sa.setType(type);
    sa.setSearchingAll(TRUE);
    sa.apply(root);
    return sa.getPath() ? sa.getPath()->getTail() : NULL;
}

class ArrowDraggerTest : public SceneTest {
  protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        unsetenv("SO_DRAGGER_DIR");
        root->addChild(new SoDirectionalLight);
        root->addChild(dragger = new ZnArrowDragger);
    }
    static SbVec2s up(const SbVec2s &p, short dy) { return SbVec2s(p[0], p[1] + dy); }
    float unitsPerPixel() const { return 10.0f / viewport().getWindowSize()[1]; }

    ZnArrowDragger *dragger = NULL;
};

}

TEST_F(ArrowDraggerTest, KnobGeometryOfEachTypeFollowsTheFields)
{
    // The head cone of each type; an unknown type acts as ARROW.
    const float radius[] = {0.3f, 0.22f, 0.2f};
    for (int type : {2, 1, 0, 7}) {
        dragger->setArrowType(type);
        int effective = type == 7 ? 0 : type;
        EXPECT_EQ(effective, dragger->getArrowType());
        SoNode *head = dragger->getPart("translator", FALSE);
        ASSERT_TRUE(head);
        SoCone *cone = (SoCone *)find(head, SoCone::getClassTypeId());
        ASSERT_TRUE(cone) << type;
        EXPECT_FLOAT_EQ(radius[effective], cone->bottomRadius.getValue()) << type;
        // Files keep the type, in both forms.
        for (bool binary : {false, true}) {
            GspTest::Held<SoSeparator> read(
                GspTest::readFromBuffer(GspTest::writeToBuffer(dragger, binary)));
            ASSERT_TRUE(read) << type << binary;
            EXPECT_EQ(effective, GspTest::nth<ZnArrowDragger>(read)->getArrowType());
        }
    }

    // The knob copies follow the dragger's scale factor and arrow length.
    dragger->scaleFactor = SbVec3f(2, 2, 2);
    dragger->arrowLength = 6;
    SoScale *headScale =
        (SoScale *)find(dragger->getPart("translator", FALSE), SoType(), "TRANSLATOR_SCALE");
    ASSERT_TRUE(headScale);
    EXPECT_EQ(SbVec3f(2, 2, 2), headScale->scaleFactor.getValue());
    SoTranslation *ball = (SoTranslation *)find(dragger->getPart("rotator.rotator", FALSE),
                                                SoType(), "ROTATOR_TRANSLATE_ARROW_LENGTH");
    ASSERT_TRUE(ball);
    EXPECT_EQ(SbVec3f(6, 0, 0), ball->translation.getValue());
}

TEST_F(ArrowDraggerTest, StretchingLengthensOrScalesWithinItsLimits)
{
    open();
    SbVec2s on = pixelOf(SbVec3f(0, 2.75f, 0.15f));  // the stretcher cylinder

    ASSERT_TRUE(driver->drag(on, up(on, 20)));
    EXPECT_NEAR(4 + 20 * unitsPerPixel(), dragger->arrowLength.getValue(), 0.02);
    EXPECT_EQ(SbVec3f(1, 1, 1), dragger->scaleFactor.getValue());
    float length = dragger->arrowLength.getValue();

    // Shorter than 2.2 is not applied.
    on = pixelOf(SbVec3f(0, length - 1.25f, 0.15f));
    driver->drag(on, up(on, -(short)(3.5f / unitsPerPixel())));
    EXPECT_FLOAT_EQ(length, dragger->arrowLength.getValue());

    // With Shift the whole arrow scales evenly; without motion nothing.
    driver->shift = TRUE;
    driver->press(on[0], on[1]);
    driver->release(on[0], on[1]);
    EXPECT_EQ(SbVec3f(1, 1, 1), dragger->scaleFactor.getValue());
    driver->drag(on, up(on, 20));
    float k = (20 * unitsPerPixel() + length) / length;
    EXPECT_NEAR(k, dragger->scaleFactor.getValue()[0], 0.01);
    EXPECT_FLOAT_EQ(dragger->scaleFactor.getValue()[0], dragger->scaleFactor.getValue()[2]);
    EXPECT_FLOAT_EQ(length, dragger->arrowLength.getValue());
}

TEST_F(ArrowDraggerTest, HeadSlidesAlongTheAxisWithAltAndAcrossWithShift)
{
    open();
    SbVec2s on = pixelOf(SbVec3f(0, 0.4f, 0.2f));  // the head cone
    driver->alt = TRUE;
    // Only the part along the axis counts.
    ASSERT_TRUE(driver->drag(on, SbVec2s(on[0] + 15, on[1] + 20)));
    SbVec3f t = dragger->translation.getValue();
    EXPECT_NEAR(0, t[0], 1e-4);
    EXPECT_NEAR(20 * unitsPerPixel(), t[1], 0.02);
    EXPECT_NEAR(t[1], dragger->getMotionMatrix()[3][1], 1e-5);

    // Across the axis: tilted towards the viewer, so that the plane across
    // it is not seen edge-on; the screen's X lies in that plane.
    driver->alt = FALSE;
    driver->shift = TRUE;
    dragger->rotation = SbRotation(SbVec3f(0, 1, 0), SbVec3f(0, 0.6f, 0.8f));
    on = pixelOf(t + SbVec3f(0.05f, 0.24f, 0.32f));
    ASSERT_TRUE(driver->drag(on, SbVec2s(on[0] + 30, on[1])));
    EXPECT_NEAR(30 * unitsPerPixel(), dragger->translation.getValue()[0], 0.02);
    EXPECT_NEAR(t[1], dragger->translation.getValue()[1], 1e-4);
}

TEST_F(ArrowDraggerTest, PlainHeadDragDropsOntoATargetFacingTheViewer)
{
    // A cube with its front face at z = 1, and a quad at z = 0.5 whose
    // normal points away from the eye.
    SoSeparator *cube = (SoSeparator *)GspTest::readFromBuffer(
        "#Inventor V2.1 ascii\nSeparator { Translation { translation 2.5 -2.5 0 } Cube {} }");
    SoSeparator *backFacing = (SoSeparator *)GspTest::readFromBuffer(
        "#Inventor V2.1 ascii\nSeparator { Normal { vector 0 0 -1 } "
        "NormalBinding { value OVERALL } "
        "Coordinate3 { point [ -4 1 0.5, -2 1 0.5, -2 3 0.5, -4 3 0.5 ] } FaceSet {} }");
    root->addChild(cube);
    root->addChild(backFacing);
    open();
    SbVec2s head = pixelOf(SbVec3f(0, 0.4f, 0.2f));
    struct {
        SoNode *target;
        SbVec3f over;
    } drops[] = {{NULL, SbVec3f(2.5f, -2.5f, 1)},  // no targets: the head stays
                 {cube, SbVec3f(2.5f, -2.5f, 1)},
                 {backFacing, SbVec3f(-3, 2, 0.5f)}};
    for (auto &d : drops) {
        dragger->translation = SbVec3f(0, 0, 0);
        dragger->rotation = SbRotation::identity();
        if (d.target)
            dragger->addTargetNode(d.target);
        driver->drag(head, pixelOf(d.over));
        SbVec3f t = dragger->translation.getValue();
        EXPECT_LT((t - (d.target ? d.over : SbVec3f(0, 0, 0))).length(), 0.07f) << t[0] << t[1];
        // Stands on the face, on the viewer's side.
        SbVec3f upAxis;
        dragger->rotation.getValue().multVec(SbVec3f(0, 1, 0), upAxis);
        EXPECT_NEAR(d.target ? 1 : 0, upAxis[2], 1e-4);
        if (d.target == cube) {
            EXPECT_TRUE(dragger->getAttachedPath()->getTail()->isOfType(SoCube::getClassTypeId()));
        }
    }
    // Cleared targets: the head stays where it is.
    dragger->clearTargetNodes();
    SbVec3f t = dragger->translation.getValue();
    SbVec2s on = pixelOf(t + SbVec3f(0, 0, 0.3f));
    driver->drag(on, SbVec2s(on[0] + 40, on[1] + 40));
    EXPECT_EQ(t, dragger->translation.getValue());
}

// The application may let the arrow shape itself act as the stretcher or
// the head knob (surrogate parts); then only the shaft stretches and only
// the head moves, also when the arrow is a part inside a node kit.
TEST_F(ArrowDraggerTest, ArrowShapeAsKnobStretchesOnTheShaftAndMovesOnTheHead)
{
    open();
    SbVec2s head = pixelOf(SbVec3f(3, 0.5f, 0.2f)), shaft = pixelOf(SbVec3f(3, 2.5f, 0.1f));
    for (bool inKit : {false, true}) {
        SCOPED_TRACE(inKit ? "in a kit" : "in a separator");
        ZnArrow *arrow = new ZnArrow;
        GspTest::Held<SoPath> shape(new SoPath(root));
        if (inKit) {
            SoShapeKit *kit = new SoShapeKit;
            kit->setPart("shape", arrow);
            kit->set((char *)"transform { translation 3 0 0 }");
            root->addChild(kit);
            shape->append(kit);
            shape = kit->createPathToPart("shape", TRUE, shape);
        } else {
            SoSeparator *shapeSep = new SoSeparator;
            SoTranslation *t = new SoTranslation;
            t->translation = SbVec3f(3, 0, 0);
            shapeSep->addChild(t);
            shapeSep->addChild(arrow);
            root->addChild(shapeSep);
            shape->append(shapeSep);
            shape->append(arrow);
        }
        dragger->arrowLength = 4;
        dragger->translation = SbVec3f(0, 0, 0);

        dragger->setPartAsPath("stretcher.translator", shape);
        ASSERT_TRUE(driver->drag(head, up(head, 20)));
        EXPECT_FLOAT_EQ(4, dragger->arrowLength.getValue());
        driver->drag(shaft, up(shaft, 20));
        EXPECT_NEAR(4 + 20 * unitsPerPixel(), dragger->arrowLength.getValue(), 0.02);
        dragger->setPartAsPath("stretcher.translator", NULL);

        dragger->setPartAsPath("translator", shape);
        driver->alt = TRUE;
        driver->drag(shaft, up(shaft, 20));
        EXPECT_EQ(SbVec3f(0, 0, 0), dragger->translation.getValue());
        driver->drag(head, up(head, 20));
        EXPECT_NEAR(20 * unitsPerPixel(), dragger->translation.getValue()[1], 0.02);
        driver->alt = FALSE;
        dragger->setPartAsPath("translator", NULL);
        root->removeChild(root->getNumChildren() - 1);
    }
}

// Changing from Alt to Shift in mid-drag goes on from where the head is:
// first along the axis, then across it, the two motions adding up.
TEST_F(ArrowDraggerTest, ModifierChangeInMidDragGoesOnFromTheHead)
{
    dragger->rotation = SbRotation(SbVec3f(0, 1, 0), SbVec3f(0, 0.6f, 0.8f));
    open();
    SbVec2s on = pixelOf(SbVec3f(0.05f, 0.24f, 0.32f));
    driver->alt = TRUE;
    driver->press(on[0], on[1]);
    ASSERT_TRUE(driver->action.getGrabber());
    driver->move(on[0], on[1] + 12);
    SbVec3f along = dragger->translation.getValue();
    EXPECT_NEAR(0, along[0], 1e-4);
    EXPECT_NEAR(0.8f / 0.6f, along[2] / along[1], 0.01);  // along (0, 0.6, 0.8)

    driver->key(SoKeyboardEvent::LEFT_ALT, FALSE);
    driver->key(SoKeyboardEvent::LEFT_SHIFT, TRUE);
    EXPECT_EQ(dragger, driver->action.getGrabber());
    driver->move(on[0] + 30, on[1] + 12);
    driver->release(on[0] + 30, on[1] + 12);
    SbVec3f t = dragger->translation.getValue();
    EXPECT_NEAR(30 * unitsPerPixel(), t[0], 0.02);
    EXPECT_NEAR(along[1], t[1], 1e-3);
    EXPECT_NEAR(along[2], t[2], 1e-3);
}
