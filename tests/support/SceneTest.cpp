#include "support/SceneTest.h"

void SceneTest::SetUp()
{
    XtTest::SetUp();
    ZnCommon::editMode = 1;
    root = new SoSeparator;
    root->ref();
    camera = GspTest::addFrontCamera(root);
}

void SceneTest::TearDown()
{
    delete driver;
    delete window;
    root->unref();
    ZnCommon::editMode = 1;
    XtTest::TearDown();
}

void SceneTest::open(bool doubleBuffer)
{
    window = new RenderWindow(root, doubleBuffer);
    driver = new DragDriver(root, window->viewport());
}

SbViewportRegion SceneTest::viewport() const
{
    return window ? window->viewport() : SbViewportRegion(200, 200);
}

SbVec2s SceneTest::pixelOf(const SbVec3f &p) const
{
    SbVec2s size = viewport().getWindowSize();
    SbVec3f n;
    camera->getViewVolume((float)size[0] / size[1]).projectToScreen(p, n);
    return SbVec2s((short)lroundf(n[0] * size[0]), (short)lroundf(n[1] * size[1]));
}

void SceneTest::turnCamera(const SbRotation &orientation)
{
    camera->orientation = orientation;
    SbVec3f back;
    orientation.multVec(SbVec3f(0, 0, 10), back);
    camera->position = back;
}

void SceneTest::moveTo(short x, short y)
{
    SoLocation2Event e;
    e.setPosition(SbVec2s(x, y));
    e.setTime(SbTime::getTimeOfDay());
    SoHandleEventAction ha(viewport());
    ha.setEvent(&e);
    ha.apply(root);
}
