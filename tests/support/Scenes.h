#ifndef GLOSSPIN_TESTS_SCENES_H
#define GLOSSPIN_TESTS_SCENES_H

#include <string>

class SoGroup;
class SoNode;
class SoOrthographicCamera;
class SoSeparator;

namespace GspTest {

// Appends an orthographic camera looking down -z at the plane z = 0,
// 10 units high: in a 200 x 200 view, 20 pixels a unit and the origin
// at pixel (100, 100).
SoOrthographicCamera *addFrontCamera(SoGroup *root);

// A scene written to memory, in the binary or the ASCII form.
std::string writeToBuffer(SoNode *root, bool binary = false);
// The scene read back from memory (referenced by nobody), or NULL.
SoSeparator *readFromBuffer(const std::string &bytes);

}

#endif
