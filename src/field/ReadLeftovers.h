#ifndef GLOSSPIN_FIELD_READLEFTOVERS_H
#define GLOSSPIN_FIELD_READLEFTOVERS_H

class SoFieldContainer;
class SoPath;

// Files and descriptors that reading made for a node. When a read fails
// part-way the toolkit does not release the nodes it had built, so their
// destructors never remove what they made. Each such resource is entered
// here while it is read; once the read has returned (the first time the
// toolkit's delay queue runs, or when the application's ZnCommon ends)
// the entries whose owner nothing outside the abandoned nodes holds are
// released, and the others are left to their owners.
namespace GspReadLeftovers {

typedef void ReleaseFn(void *object);

// Enters object, kept by owner (NULL: held by the caller), with the
// function that gives its read-made resources up. Entering it again
// replaces the earlier entry.
void add(SoFieldContainer *owner, void *object, ReleaseFn *release);

// Forgets object: its owner released it or took its resources over.
void remove(void *object);

// A path a node keeps outside its fields (a marker's path to its
// object): the references it holds are the owner's. Without this the
// walk below would take such a path for an outside holder. A path with
// no owner holds what it holds for whoever holds it, or for nobody.
void addPath(SoFieldContainer *owner, SoPath *path);
void removePath(SoPath *path);
// Such a path whose reference to its head its owner has given back (the
// head holds the owner: the reference would make a cycle), or taken again.
void setHeadGivenBack(SoPath *path, bool given);

// Releases the entries of abandoned owners and forgets the rest. An owner
// is abandoned when nothing outside the nodes reachable upwards from it
// (their parents, the nodes whose fields hold them, the paths those
// fields and nodes carry) holds a reference to one of them. Does nothing
// in a process forked from the one that read.
void sweep();

}

#endif
