#ifndef GLOSSPIN_MARKERS_HEADRELEASE_H
#define GLOSSPIN_MARKERS_HEADRELEASE_H

#include <vector>

class SoFieldContainer;
class SoNode;
class SoOneShotSensor;
class SoPath;
class SoSensor;

// The paths a node keeps to nodes of its own scene (a marker's path to
// its object, a shadow's to what casts it) start at the scene's root,
// which holds the node: the paths' references to the root would make a
// cycle, and releasing the root would release nothing. The references to
// the heads of such paths are given back, from the delay queue (a scene
// being read or built has no owner yet, and would go with the first
// temporary holder that let go of it), and taken again just before a
// path goes. A head that goes first calls headGone, which lets go of the
// paths that start there.
class GspHeadRelease {
  public:
    typedef void HeadGone(SoFieldContainer *owner);
    GspHeadRelease(SoFieldContainer *owner, HeadGone *headGone);
    // The owner has let go of every path by now.
    ~GspHeadRelease();

    // path, just put into one of the owner's slots.
    void hold(SoPath *path);
    // path, about to leave its slot.
    void release(SoPath *path);
    // Puts path into slot (referenced; what the slot held goes), the head
    // given back. The references a path of the owner's holds are the
    // owner's for reading's clean-up (GspReadLeftovers), unless its
    // owner keeps no copy of its own elsewhere.
    void replace(SoPath *&slot, SoPath *path, bool owned = true);

  private:
    struct Entry {
        GspHeadRelease *release;
        SoPath *path;
        SoNode *head;
        bool given, dying;
    };
    std::vector<Entry *> entries;
    SoFieldContainer *owner;
    HeadGone *headGone;
    SoOneShotSensor *sensor;

    static void giveBackCB(void *self, SoSensor *);
    static void dyingCB(void *entry);
};

#endif
