#ifndef GLOSSPIN_TESTS_SCENETEST_H
#define GLOSSPIN_TESTS_SCENETEST_H

#include "support/DragDriver.h"
#include "support/RenderWindow.h"
#include "support/Test.h"

// A test of a scene under the front camera of addFrontCamera (20 pixels
// a unit in 200 x 200, the origin at the centre), drawn in a window and
// driven with real event sequences once open() is called.
class SceneTest : public XtTest {
  protected:
    void SetUp() override;
    void TearDown() override;
    void open(bool doubleBuffer = false);

    SbViewportRegion viewport() const;
    // The window pixel (nearest) of a world point.
    SbVec2s pixelOf(const SbVec3f &p) const;
    // Turns the camera about the origin, 10 units away.
    void turnCamera(const SbRotation &orientation);
    // A pointer motion to (x, y) through the whole scene.
    void moveTo(short x, short y);

    SoSeparator *root = NULL;
    SoCamera *camera = NULL;  // an orthographic one unless a test replaces it
    RenderWindow *window = NULL;
    DragDriver *driver = NULL;
};

#endif
