#ifndef GLOSSPIN_TESTS_SCENES_H
#define GLOSSPIN_TESTS_SCENES_H

#include <string>
#include <vector>

#include <Inventor/SbBox.h>
#include <Inventor/SbColor.h>
#include <Inventor/SbTime.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/nodes/SoGroup.h>

class SoNode;
class SoOrthographicCamera;
class SoPathList;
class SoSeparator;

namespace GspTest {

// Holds a reference to a node or path for its own life.
template <class T> class Held {
  public:
    Held(T *n = NULL) : p(n)
    {
        if (p)
            p->ref();
    }
    ~Held()
    {
        if (p)
            p->unref();
    }
    Held(const Held &) = delete;
    Held &operator=(T *n)
    {
        if (n)
            n->ref();
        if (p)
            p->unref();
        p = n;
        return *this;
    }
    T *operator->() const { return p; }
    operator T *() const { return p; }

  private:
    T *p;
};

// The i-th child of root of type T, or NULL.
template <class T> T *nth(SoGroup *root, int i = 0)
{
    for (int k = 0; root && k < root->getNumChildren(); k++)
        if (root->getChild(k)->isOfType(T::getClassTypeId()) && i-- == 0)
            return (T *)root->getChild(k);
    return NULL;
}

// Appends an orthographic camera looking down -z at the plane z = 0,
// 10 units high: in a 200 x 200 view, 20 pixels a unit and the origin
// at pixel (100, 100).
SoOrthographicCamera *addFrontCamera(SoGroup *root);

// The bounding box of n (in a 200 x 200 view).
SbBox3f boxOf(SoNode *n);

// Appends a base-colour light model and a material of colour c, so that
// what is drawn after them shows c exactly (no material: the colours of
// the shapes themselves, unlit).
void addFlatColour(SoGroup *root, const SbColor *c = NULL);

// A button-1 press and release at pixel (x, y), both at time t; true when
// the release was handled.
bool click(SoNode *root, const SbViewportRegion &vp, short x, short y,
           const SbTime &t = SbTime::getTimeOfDay());

// Runs the sensors waiting in the delay queue, as an event loop would.
void settle();

// A scene written to memory, in the binary or the ASCII form; with a
// list, the paths in it instead.
std::string writeToBuffer(SoNode *root, bool binary = false, const SoPathList *list = NULL);
// The scene read back from memory (referenced by nobody), or NULL.
SoSeparator *readFromBuffer(const std::string &bytes);
// The same for the body of an ASCII file.
SoSeparator *readText(const std::string &body);
// Appends the nodes of the body of an ASCII file to a group; the first,
// or NULL when it does not read.
SoNode *addText(SoGroup *to, const std::string &body);

// Watches the library's nodes of a scene, kits' parts included (but not
// the shared dragger a selected marker shows): how many still live.
class LibraryNodeWatch {
  public:
    explicit LibraryNodeWatch(SoNode *root);
    ~LibraryNodeWatch();
    LibraryNodeWatch(const LibraryNodeWatch &) = delete;
    int alive() const;
    int watched() const { return (int)sensors.size(); }
    // The types of those still alive.
    std::string survivors() const;

  private:
    std::vector<class SoNodeSensor *> sensors;
};

}

#endif
