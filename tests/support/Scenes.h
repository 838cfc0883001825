#ifndef GLOSSPIN_TESTS_SCENES_H
#define GLOSSPIN_TESTS_SCENES_H

#include <string>

#include <Inventor/SbColor.h>
#include <Inventor/SbTime.h>
#include <Inventor/SbViewportRegion.h>

class SoGroup;
class SoNode;
class SoOrthographicCamera;
class SoSeparator;

namespace GspTest {

// Appends an orthographic camera looking down -z at the plane z = 0,
// 10 units high: in a 200 x 200 view, 20 pixels a unit and the origin
// at pixel (100, 100).
SoOrthographicCamera *addFrontCamera(SoGroup *root);

// Appends a base-colour light model and a material of colour c, so that
// what is drawn after them shows c exactly (no material: the colours of
// the shapes themselves, unlit).
void addFlatColour(SoGroup *root, const SbColor *c = NULL);

// A button-1 press and release at pixel (x, y), both at time t; true when
// the release was handled.
bool click(SoNode *root, const SbViewportRegion &vp, short x, short y,
           const SbTime &t = SbTime::getTimeOfDay());

// A scene written to memory, in the binary or the ASCII form.
std::string writeToBuffer(SoNode *root, bool binary = false);
// The scene read back from memory (referenced by nobody), or NULL.
SoSeparator *readFromBuffer(const std::string &bytes);

}

#endif
