#include "UndoHistory.h"

void GspUndoHistory::drop(Steps &steps, size_t i)
{
    total -= steps[i]->weight();
    steps.erase(steps.begin() + (long)i);
}

// A new change makes the undone steps unreachable. The newest step is
// kept whatever its weight, so that the last change can always be undone.
void GspUndoHistory::push(GspUndoStep *step)
{
    while (!undone.empty())
        drop(undone, 0);
    done.emplace_back(step);
    total += step->weight();
    while (total > limit && done.size() > 1)
        drop(done, 0);
}

bool GspUndoHistory::undo()
{
    if (done.empty())
        return false;
    done.back()->undo();
    undone.push_back(std::move(done.back()));
    done.pop_back();
    return true;
}

bool GspUndoHistory::redo()
{
    if (undone.empty())
        return false;
    undone.back()->redo();
    done.push_back(std::move(undone.back()));
    undone.pop_back();
    return true;
}

void GspUndoHistory::clear()
{
    done.clear();
    undone.clear();
    total = 0;
}
