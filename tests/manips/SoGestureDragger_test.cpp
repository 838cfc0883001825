// The box axis a mouse gesture follows, from real motions in a window,
// for front and isometric views and a box turned inside the dragger.
#include "support/Test.h"

#include "support/SceneTest.h"

namespace {

// A gesture dragger with a box (a cube 2 units wide) and a record of the
// first axis its motion chose.
class BoxProbe : public SoGestureDragger {
    SO_KIT_HEADER(BoxProbe);
    SO_KIT_CATALOG_ENTRY_HEADER(surroundScale);
    SO_KIT_CATALOG_ENTRY_HEADER(box);

  public:
    static void initClass()
    {
        if (getClassTypeId() == SoType::badType())
            SO__KIT_INIT_CLASS(BoxProbe, "BoxProbe", SoGestureDragger);
    }
    BoxProbe()
    {
        SO_KIT_CONSTRUCTOR(BoxProbe);
        SO_KIT_ADD_CATALOG_ENTRY(surroundScale, SoTransform, TRUE, geomSeparator, , TRUE);
        SO_KIT_ADD_CATALOG_ENTRY(box, SoCube, FALSE, geomSeparator, , TRUE);
        SO_KIT_INIT_INSTANCE();
        addStartCallback([](void *, SoDragger *d) { ((BoxProbe *)d)->axis = -1; });
        addMotionCallback([](void *, SoDragger *d) {
            BoxProbe *p = (BoxProbe *)d;
            if (p->axis < 0 && p->isAdequateConstraintMotion())
                p->axis = p->getMouseGestureDirection(p->allowed[0], p->allowed[1], p->allowed[2]);
        });
    }
    int axis = -1;
    SbBool allowed[3] = {TRUE, TRUE, TRUE};
};
SO_KIT_SOURCE(BoxProbe);

// Looking at the origin from (1, 1, 1): x runs to the lower right, z to
// the lower left, y straight up.
SbRotation isometric()
{
    SbVec3f right(1, 0, -1), up(-1, 2, -1), back(1, 1, 1);
    right.normalize(), up.normalize(), back.normalize();
    SbMatrix m = SbMatrix::identity();
    for (int j = 0; j < 3; j++)
        m[0][j] = right[j], m[1][j] = up[j], m[2][j] = back[j];
    return SbRotation(m);
}

}

TEST_F(SceneTest, TheGestureFollowsTheBoxAxisSeenOnTheScreen)
{
    SoNewManips::init();
    BoxProbe::initClass();
    BoxProbe *probe = new BoxProbe;
    root->addChild(probe);
    open();
    struct Case {
        bool iso;
        float turn;  // of the box about z inside the dragger
        SbBool x, y, z;
        short dx, dy;
        int axis;
    } cases[] = {
        {false, 0, TRUE, TRUE, TRUE, 20, 3, 0},
        {false, 0, TRUE, TRUE, TRUE, -4, 20, 1},
        {false, 0, FALSE, TRUE, TRUE, 20, 3, 1},  // z points at the eye
        {false, M_PI / 2, TRUE, TRUE, TRUE, 2, 20, 0},
        {true, 0, TRUE, TRUE, TRUE, 20, -11, 0},
        {true, 0, TRUE, TRUE, TRUE, -20, -11, 2},
        {true, 0, TRUE, TRUE, TRUE, 3, 20, 1},
        {true, 0, TRUE, FALSE, TRUE, -3, 20, 0},  // up and a little left: back along x
    };
    for (const Case &c : cases) {
        turnCamera(c.iso ? isometric() : SbRotation::identity());
        ((SoTransform *)probe->getPart("surroundScale", TRUE))->rotation =
            SbRotation(SbVec3f(0, 0, 1), c.turn);
        probe->allowed[0] = c.x, probe->allowed[1] = c.y, probe->allowed[2] = c.z;
        SbVec2s o = pixelOf(SbVec3f(0.2f, 0.3f, 1));
        if (c.iso)
            o = pixelOf(SbVec3f(0.3f, 1, 0.2f));  // on the top face
        driver->press(o[0], o[1]);
        ASSERT_EQ(probe, driver->action.getGrabber()) << c.dx << "," << c.dy;
        driver->move(o[0] + c.dx, o[1] + c.dy);
        driver->release(o[0] + c.dx, o[1] + c.dy);
        EXPECT_EQ(c.axis, probe->axis) << c.iso << " " << c.dx << "," << c.dy;
    }
}
