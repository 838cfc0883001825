#ifndef GLOSSPIN_APPS_EDITSTEPS_H
#define GLOSSPIN_APPS_EDITSTEPS_H

#include <functional>

#include <Inventor/SbString.h>

#include "UndoHistory.h"

class SoGroup;
class SoNode;
class SoPath;
class SoTransform;
class ZnMarker;
class ZnMarkerSequencer;
class ZnNote;

// Called with a node just before a step takes it out of the scene, so
// that the application lets go of it (selection, players).
typedef std::function<void(SoNode *)> GspRemovalHook;

// When node is no longer a child of parent, the node of its type that now
// stands at index (a copy put back by an undone edit) becomes node.
void gspTakeStandIn(SoGroup *parent, int index, SoNode *&node);

// A marker or note put into the scene or taken out of it: a child of
// parent at index, and for a marker its place in the sequencer.
class GspNodeInsertion : public GspUndoStep {
  public:
    // Records a node that is now in the scene (inserted) or was just taken
    // out of it (!inserted).
    GspNodeInsertion(SoGroup *parent, int index, SoNode *node, ZnMarkerSequencer *sequencer,
                     int sequenceIndex, bool inserted, GspRemovalHook hook);
    ~GspNodeInsertion();
    void undo() { set(!inserted); }
    void redo() { set(!inserted); }
    long weight() const { return cost; }

  private:
    SoGroup *parent;
    SoNode *node;
    ZnMarkerSequencer *sequencer;
    int index, sequenceIndex;
    bool inserted;
    long cost;
    GspRemovalHook hook;

    void set(bool in);
};

// Where a marker stands, what it is called and how its arrow looks, with
// the object it points at.
struct GspMarkerState {
    SbString label;
    int arrowType = -1;  // -1: not an arrow marker
    bool arrowTypeUnset = false;  // the file leaves the arrow's type out
    SoTransform *placement = nullptr;
    SoPath *objectPath = nullptr;
    unsigned unsetFields = 0;  // the placement's fields the file leaves out, by index

    GspMarkerState() {}
    explicit GspMarkerState(ZnMarker *marker);
    GspMarkerState(const GspMarkerState &) = delete;
    GspMarkerState &operator=(GspMarkerState &&other);
    ~GspMarkerState();
    bool operator==(const GspMarkerState &other) const;
    void applyTo(ZnMarker *marker) const;
};

// A marker moved to another place in the tour.
class GspTourMove : public GspUndoStep {
  public:
    GspTourMove(ZnMarkerSequencer *sequencer, int from, int to);
    ~GspTourMove();
    void undo();
    void redo();
    long weight() const { return 10; }

  private:
    ZnMarkerSequencer *sequencer;
    int from, to;
};

// A marker moved, renamed or given another arrow.
class GspMarkerChange : public GspUndoStep {
  public:
    GspMarkerChange(ZnMarker *marker, GspMarkerState &&before);
    ~GspMarkerChange();
    void undo() { before.applyTo(marker); }
    void redo() { after.applyTo(marker); }
    long weight() const { return 200; }

  private:
    ZnMarker *marker;
    GspMarkerState before, after;
};

// A note edited: the copy taken before the edit and the note as it is
// now trade places in their note list.
class GspNoteReplacement : public GspUndoStep {
  public:
    GspNoteReplacement(SoGroup *list, ZnNote *before, ZnNote *after, GspRemovalHook hook);
    ~GspNoteReplacement();
    void undo() { swap(after, before); }
    void redo() { swap(before, after); }
    long weight() const { return cost; }

  private:
    SoGroup *list;
    ZnNote *before, *after;
    int index;
    long cost;
    GspRemovalHook hook;

    void swap(ZnNote *&out, ZnNote *in);
};

#endif
