#ifndef GLOSSPIN_MARKERS_PATHWATCHER_H
#define GLOSSPIN_MARKERS_PATHWATCHER_H

#include <Inventor/sensors/SoSensor.h>

#include <vector>

class SoNode;
class SoPath;

// Paths to objects kept by the thousand (one per marker) are plain: the
// toolkit keeps an ordinary path in step with the scene by listing it in
// every group it passes through, and each child added to or taken from a
// scene's root then costs a visit of every path through that root. A
// plain path is brought back in step only when it is used (repair): each
// index is checked against its group and, where the children moved, the
// node is looked for outward from where it was, so a few children added
// or taken before it cost a few steps. A node no longer in its group
// cuts the path there, as the toolkit cuts its own paths; a node replaced
// by another cuts it too, where the toolkit's path would go on to the
// replacement, and a node in its group twice is found again where it is
// nearest its old place.
//
// Calls back at once (as a path sensor of priority 0 does) when anything
// that may move the tail of a watched path changes: a node on the path, a
// node below its tail, or a node before the path's child in a group on
// the path that affects the traversal state. The paths that start at one
// head are sorted by the branch of the head they take, and each branch
// has a sensor of its own: a change in one branch reaches the paths
// through that branch alone, at the cost of the branch (a sensor on the
// head would be told the change's path, found by a search of the head's
// thousands of children). The head's own sensor hears its child list, so
// that an appended child reaches no path; the head's children that may
// change later siblings' matrices are heard on their own and reach the
// paths after them. None of these costs grows with the number of paths.
namespace GspPathWatcher {

// A plain copy of path (see above), unreferenced.
SoPath *plainCopy(const SoPath *path);
// Brings a plain path back in step with the scene; true when it changed.
// Other paths are left alone.
bool repair(SoPath *path);

// The caller keeps path alive (referenced) until it calls unwatch; the
// path may change meanwhile (a plain path is repaired before it is compared
// with a change, and so before callback is called).
// When the path's head is destroyed (a caller may hold it without a
// reference), dying is called with data, and the watch ends. Either
// callback may be NULL.
void watch(SoPath *path, SoSensorCB *callback, void (*dying)(void *data), void *data);
// Stops every watch made with data.
void unwatch(void *data);

// The indices of node's children whose transformations reach the
// siblings after them (those that need a traversal too), kept up to date
// while node is a watched head; NULL when it is not.
const std::vector<int> *matrixChildren(SoNode *node);

}

#endif
