#include "field/ReadLeftovers.h"

#include <unistd.h>

#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include <Inventor/SoPath.h>
#include <Inventor/fields/SoMFNode.h>
#include <Inventor/fields/SoSFNode.h>
#include <Inventor/fields/SoSFPath.h>
#include <Inventor/misc/SoAuditorList.h>
#include <Inventor/misc/SoBase.h>
#include <Inventor/nodekits/SoInteractionKit.h>
#include <Inventor/sensors/SoOneShotSensor.h>

namespace GspReadLeftovers {

namespace {

struct Entry {
    SoFieldContainer *owner;
    ReleaseFn *release;
};

std::unordered_map<void *, Entry> &entries()
{
    static std::unordered_map<void *, Entry> table;
    return table;
}

std::unordered_set<SoPath *> &headsGivenBack()
{
    static std::unordered_set<SoPath *> all;
    return all;
}

std::unordered_map<SoPath *, SoFieldContainer *> &nodePaths()
{
    static std::unordered_map<SoPath *, SoFieldContainer *> table;
    return table;
}

pid_t readerProcess = 0;

// What one sweep learns once: the nodes known held and, for every node,
// the paths kept outside fields that pass through it.
struct SweepState {
    std::unordered_set<SoBase *> heldNodes;
    std::unordered_map<SoBase *, std::vector<SoPath *>> pathsThrough;
    bool indexed = false;

    const std::vector<SoPath *> *pathsAt(SoBase *node)
    {
        if (!indexed) {
            for (const auto &entry : nodePaths()) {
                SoFullPath *path = (SoFullPath *)entry.first;
                for (int i = 0; i < path->getLength(); i++)
                    pathsThrough[path->getNode(i)].push_back(path);
            }
            indexed = true;
        }
        auto it = pathsThrough.find(node);
        return it == pathsThrough.end() ? NULL : &it->second;
    }
};

void sweepCB(void *, SoSensor *)
{
    sweep();
}

// An interaction kit keeps a reference of its own on its top separator
// once it has been read (to notice the part being replaced). Allowed for
// whether or not the kit holds it now: it can only hide an outside
// reference to that one part.
int keepsTopSeparator(SoBase *parent, SoBase *child)
{
    if (!parent->isOfType(SoInteractionKit::getClassTypeId()))
        return 0;
    SoField *top = ((SoInteractionKit *)parent)->getField("topSeparator");
    return top && top->isOfType(SoSFNode::getClassTypeId()) &&
           ((SoSFNode *)top)->getValue() == child;
}

// The closure of one node: everything found upwards from it, the refs
// its members' auditors account for, and the paths held inside it.
class Closure {
  public:
    explicit Closure(SweepState &state) : state(state) {}
    bool held(SoBase *start);

  private:
    SweepState &state;
    std::unordered_map<SoBase *, SoBase *> via;  // member -> the member it was reached from
    std::unordered_map<SoBase *, int> explained;
    std::unordered_map<SoPath *, int> paths;     // path -> its holders in the closure
    std::unordered_set<SoPath *> keptPaths;      // paths kept outside fields, met
    std::vector<SoBase *> todo;

    void reach(SoBase *from, SoBase *to);
    SoBase *collect();
    SoBase *outsideRef();
    bool markHeld(SoBase *from);
};

void Closure::reach(SoBase *from, SoBase *to)
{
    if (via.emplace(to, from).second)
        todo.push_back(to);
}

// Walks up from the start; returns a member held in a way the walk cannot
// account for (a field without container, a field kind that holds no
// reference of its own, a node known held), or NULL.
SoBase *Closure::collect()
{
    while (!todo.empty()) {
        SoBase *b = todo.back();
        todo.pop_back();
        if (state.heldNodes.count(b))
            return b;
        if (const std::vector<SoPath *> *kept = state.pathsAt(b)) {
            for (SoPath *path : *kept) {
                if (!keptPaths.insert(path).second)
                    continue;
                SoFieldContainer *owner = nodePaths()[path];
                paths[path] += owner != NULL;
                if (owner)
                    reach(b, owner);
                // The toolkit makes a path read where a node was expected
                // a group's child: the group holds it.
                const SoAuditorList &holders = path->getAuditors();
                for (int i = 0; i < holders.getLength(); i++) {
                    if (holders.getType(i) == SoNotRec::PARENT) {
                        paths[path]++;
                        reach(b, (SoBase *)holders.getObject(i));
                    }
                }
            }
        }
        const SoAuditorList &list = b->getAuditors();
        for (int i = 0; i < list.getLength(); i++) {
            if (list.getType(i) == SoNotRec::PARENT) {
                SoBase *parent = (SoBase *)list.getObject(i);
                explained[b] += 1 + keepsTopSeparator(parent, b);
                reach(b, parent);
                continue;
            }
            if (list.getType(i) != SoNotRec::FIELD)
                continue;
            SoField *field = (SoField *)list.getObject(i);
            SoFieldContainer *container = field->getContainer();
            if (!container)
                return b;
            if (field->isOfType(SoSFPath::getClassTypeId())) {
                // A path field watches its path's head; the path holds the refs.
                if (SoPath *path = ((SoSFPath *)field)->getValue())
                    paths[path]++;
            } else if (field->isOfType(SoSFNode::getClassTypeId()) ||
                       field->isOfType(SoMFNode::getClassTypeId())) {
                explained[b]++;
            } else {
                return b;
            }
            reach(b, container);
        }
    }
    return NULL;
}

// A member with more references than the closure accounts for, or NULL.
SoBase *Closure::outsideRef()
{
    for (const auto &entry : paths) {
        SoFullPath *path = (SoFullPath *)entry.first;
        if (path->getRefCount() > entry.second)
            return path->getHead();
        for (int i = headsGivenBack().count(path); i < path->getLength(); i++)
            explained[path->getNode(i)]++;
    }
    for (const auto &member : via) {
        if (member.first->getRefCount() > explained[member.first])
            return member.first;
    }
    return NULL;
}

// Everything on the way from the start to a held member is held too.
bool Closure::markHeld(SoBase *from)
{
    for (SoBase *b = from; b; b = via[b])
        state.heldNodes.insert(b);
    return true;
}

bool Closure::held(SoBase *start)
{
    reach(NULL, start);
    if (SoBase *b = collect())
        return markHeld(b);
    if (SoBase *b = outsideRef())
        return markHeld(b);
    return false;
}

bool heldWith(SoFieldContainer *base, SweepState &state)
{
    return !base || Closure(state).held(base);
}

}

void add(SoFieldContainer *owner, void *object, ReleaseFn *release)
{
    static SoOneShotSensor *sweeper = new SoOneShotSensor(sweepCB, NULL);
    readerProcess = getpid();
    entries()[object] = Entry{owner, release};
    if (!sweeper->isScheduled())
        sweeper->schedule();
}

void remove(void *object)
{
    entries().erase(object);
}

void sweep()
{
    if (readerProcess != getpid())
        return;
    std::vector<std::pair<void *, Entry>> pending(entries().begin(), entries().end());
    entries().clear();
    SweepState state;
    for (const auto &entry : pending) {
        if (!heldWith(entry.second.owner, state))
            entry.second.release(entry.first);
    }
}

void addPath(SoFieldContainer *owner, SoPath *path)
{
    if (path)
        nodePaths()[path] = owner;
}

void removePath(SoPath *path)
{
    nodePaths().erase(path);
    headsGivenBack().erase(path);
}

void setHeadGivenBack(SoPath *path, bool given)
{
    if (given)
        headsGivenBack().insert(path);
    else
        headsGivenBack().erase(path);
}

}
