#ifndef GLOSSPIN_MARKERS_READPATH_H
#define GLOSSPIN_MARKERS_READPATH_H

#include <Inventor/SoPath.h>

#include <vector>

// A path as read from a scene file. A marker's path may lead to nodes
// that come after the marker in the file, and a damaged file may hold
// child indices that lead nowhere; the toolkit's reader follows every
// index at once and fails on both. This one follows the indices that
// lead somewhere already and keeps them all, so that the path can be
// followed once the whole scene is read. Installed as the type the
// toolkit makes for every path it reads.
class GspReadPath : public SoPath {
  public:
    static void install();

    // The head node and every child index the file gave.
    const std::vector<int> &fileIndices() const { return givenIndices; }

    // The path the file meant, once its nodes exist (referenced by
    // nobody), or NULL when an index leads nowhere.
    SoPath *resolve() const;

  private:
    GspReadPath();
    virtual ~GspReadPath();
    std::vector<int> givenIndices;
    static void *createInstance();
    virtual SbBool readInstance(SoInput *in, unsigned short flags);
};

// A path read into a node's field: the path itself when the file's
// indices all led somewhere already, else NULL with the read path kept
// (referenced) in pending, to be followed once the whole scene is read.
SoPath *gspTakeReadPath(SoPath *read, SoPath *&pending);

// The path a pending read path leads to now (referenced by nobody, NULL
// when it leads nowhere). The pending slot is emptied through its
// owner's setter, which gives back what the owner took for it.
template <class Owner>
SoPath *gspResolvePending(Owner *owner, void (Owner::*set)(SoPath *&, SoPath *), SoPath *&pending)
{
    GspReadPath *read = (GspReadPath *)pending;
    read->ref();
    (owner->*set)(pending, NULL);
    SoPath *path = read->resolve();
    read->unref();
    return path;
}

#endif
