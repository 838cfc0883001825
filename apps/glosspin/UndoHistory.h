#ifndef GLOSSPIN_APPS_UNDOHISTORY_H
#define GLOSSPIN_APPS_UNDOHISTORY_H

#include <memory>
#include <string>
#include <vector>

// One change to the scene that can be taken back and done again. The
// change has been made when the step is handed to the history.
class GspUndoStep {
  public:
    virtual ~GspUndoStep() {}
    virtual void undo() = 0;
    virtual void redo() = 0;
    // What holding the step costs, in the nodes' undo-weight units.
    virtual long weight() const = 0;

    std::string name;  // what the step did, for the menus ("Move Marker")
};

// The application's undo and redo stacks, bounded by the summed weight of
// their steps: the oldest steps go first when a new one does not fit.
class GspUndoHistory {
  public:
    explicit GspUndoHistory(long weightLimit) : limit(weightLimit), total(0) {}

    void push(GspUndoStep *step);
    bool undo();
    bool redo();
    bool canUndo() const { return !done.empty(); }
    bool canRedo() const { return !undone.empty(); }
    // The step undo or redo would take back or do again, or NULL.
    const GspUndoStep *nextUndo() const { return done.empty() ? nullptr : done.back().get(); }
    const GspUndoStep *nextRedo() const
    {
        return undone.empty() ? nullptr : undone.back().get();
    }
    bool isNewest(const GspUndoStep *step) const
    {
        return step && !done.empty() && done.back().get() == step;
    }
    int numSteps() const { return (int)(done.size() + undone.size()); }
    long totalWeight() const { return total; }
    void clear();

  private:
    typedef std::vector<std::unique_ptr<GspUndoStep>> Steps;
    Steps done, undone;
    long limit, total;

    void drop(Steps &steps, size_t i);
};

#endif
