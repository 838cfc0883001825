#ifndef GLOSSPIN_MARKERS_PATHWATCHER_H
#define GLOSSPIN_MARKERS_PATHWATCHER_H

#include <Inventor/sensors/SoSensor.h>

class SoPath;

// Calls back at once (as a path sensor of priority 0 does) when anything
// that may move the tail of a watched path changes: a node on the path, a
// node below its tail, or a node before the path's child in a group on
// the path that affects the traversal state. One node sensor on each head
// node serves every path that starts there and sorts each change by the
// path it came along, so that a change costs a few pointer compares per
// watched path instead of a toolkit path sensor's search of the head's
// children for each of them.
namespace GspPathWatcher {

// The caller keeps path alive (referenced) until it calls unwatch; the
// path may change meanwhile (the toolkit keeps it in step with the scene).
// When the path's head is destroyed (a caller may hold it without a
// reference), dying is called with data, and the watch ends. Either
// callback may be NULL.
void watch(SoPath *path, SoSensorCB *callback, void (*dying)(void *data), void *data);
// Stops every watch made with data.
void unwatch(void *data);

}

#endif
