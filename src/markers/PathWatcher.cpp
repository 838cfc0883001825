// Path watches shared by head node: the head's sensors, the watches sorted
// by the branch their paths take from the head, and the head's children
// that change the matrix of later siblings.
#include "markers/PathWatcher.h"

#include <Inventor/SoPath.h>
#include <Inventor/misc/SoChildList.h>
#include <Inventor/nodes/SoNode.h>
#include <Inventor/nodes/SoTransformation.h>
#include <Inventor/sensors/SoNodeSensor.h>
#include <Inventor/sensors/SoOneShotSensor.h>

#include <string.h>

#include <algorithm>
#include <map>
#include <memory>
#include <typeinfo>
#include <unordered_map>
#include <vector>

namespace {

// A path no group lists: the toolkit leaves its indices alone.
class PlainPath : public SoPath {
  public:
    explicit PlainPath(int length) : SoPath(length) { auditPath(FALSE); }

  private:
    ~PlainPath() override = default;
};

// Where node is among children, looked for outward from where it was;
// -1 when it is not there.
int findNear(const SoChildList *children, SoNode *node, int was)
{
    int n = children ? children->getLength() : 0;
    if (n == 0)
        return -1;
    was = std::max(0, std::min(was, n - 1));
    for (int step = 0; was - step >= 0 || was + step < n; step++) {
        if (was - step >= 0 && (*children)[was - step] == node)
            return was - step;
        if (was + step < n && (*children)[was + step] == node)
            return was + step;
    }
    return -1;
}

struct Client {
    SoFullPath *path;
    SoSensorCB *callback;
    void (*dying)(void *data);
    void *data;
};

struct Head;

// Two sensors on one node that take turns: the toolkit forgets what
// triggered a sensor that is notified again from inside its own callback
// (as when a marker moves its arrow there), so the other one is attached
// while the callbacks run and hears those changes with what triggered
// them.
struct SensorPair {
    SoNode *node = NULL;
    SoNodeSensor sensors[2];
    int active = 0;

    void init(SoSensorCB *changed, void *data, bool withPath, SoSensorCB *dying)
    {
        for (SoNodeSensor &s : sensors) {
            s.setFunction(changed);
            s.setData(data);
            s.setPriority(0);
            s.setTriggerPathFlag(withPath);
            if (dying)
                s.setDeleteCallback(dying, data);
        }
    }
    void attach(SoNode *n)
    {
        node = n;
        sensors[active].attach(n);
    }
    void detach()
    {
        for (SoNodeSensor &s : sensors)
            s.detach();
    }
    bool attached() const { return sensors[active].getAttachedNode() != NULL; }
    // The first step of a callback, once what triggered it is taken.
    void handOver(SoSensor *heard)
    {
        if (heard != &sensors[active])
            return;
        sensors[active].detach();
        active = 1 - active;
        sensors[active].attach(node);
    }
};

// The watches whose paths take one branch from the head (the same node at
// depth 1), in watch order, so that one of thousands goes at once. The
// branch's own sensors hear the changes below it with their paths from
// the branch down: those paths cost what the branch holds, where paths
// from the head would cost a search of the head's children each.
struct Branch {
    Head *head;
    SensorPair pair;
    std::map<unsigned long, Client> clients;
};

// A child of the head that may change the matrix of the siblings after it
// (a transformation, or a group that may let its state out), heard on its
// own: when it does, every watch after it is concerned. Counted: a child
// may stand among the head's children more than once.
struct ChildWatch {
    Head *head;
    SoNode *node;
    SoNodeSensor sensor;
    int count = 0;
    bool moves = false;  // as last seen
};

// The watches on one head node. The head's own sensors hear changes of its
// child list and fields; the branches and the children that may change
// matrices have sensors of their own (above), so a change far below the
// head costs what its branch costs, not a search of the head's children.
// A change of the child list concerns the watches through the children
// that came or went; only a child that changes the matrix of later
// siblings, or a change other than an append, a removal, an insertion or
// a replacement, concerns them all.
struct Head {
    SensorPair pair;
    int running = 0;
    bool dead = false;
    std::unordered_map<SoNode *, std::unique_ptr<Branch>> branches;
    // data -> its branches here and its watches' places in them
    std::unordered_map<void *, std::vector<std::pair<SoNode *, unsigned long>>> branchesOf;
    // The child list as last seen (kept by appending when a child is
    // appended); and, while valid, the indices of the children whose
    // transformations reach later siblings, a flag for each child and the
    // children watched for it. Listed only when a matrix is asked for or a
    // change below the head is first heard: a head being released may hold
    // children that must not be looked into.
    std::vector<SoNode *> known;
    std::vector<int> matrixChildren;
    std::vector<char> knownMoves;
    std::unordered_map<SoNode *, std::unique_ptr<ChildWatch>> childWatches;
    bool matrixChildrenValid = false;

    SoNode *node() const { return pair.node; }
};

std::map<SoNode *, Head *> &heads()
{
    static std::map<SoNode *, Head *> all;
    return all;
}

SoNode *branchOf(const SoFullPath *path)
{
    return path->getLength() > 1 ? path->getNode(1) : NULL;
}

// Whether a child changes the matrix of the siblings after it: -1 when
// only a traversal can tell (a group whose state leaks out).
int changesMatrix(SoNode *child)
{
    if (child->getChildren())
        return child->affectsState() ? -1 : 0;
    return child->isOfType(SoTransformation::getClassTypeId());
}

// Whether a child may come to change later siblings' matrices.
bool mayChangeMatrix(SoNode *child)
{
    return child->getChildren() || child->isOfType(SoTransformation::getClassTypeId());
}

// What is let go of goes later, from the delay queue: the toolkit still
// reads a sensor once its callback (or its delete callback) returns, and
// the sensor let go of may be the one that called.
struct Graveyard {
    std::vector<Head *> heads;
    std::vector<std::unique_ptr<Branch>> branches;
    std::vector<std::unique_ptr<ChildWatch>> watches;
};

void sweepCB(void *, SoSensor *);

Graveyard &graveyard()
{
    static Graveyard *all = new Graveyard;
    return *all;
}

Graveyard &bury()
{
    static SoOneShotSensor *sweeper = new SoOneShotSensor(sweepCB, NULL);
    sweeper->schedule();
    return graveyard();
}

void retire(std::unique_ptr<ChildWatch> watch)
{
    watch->sensor.detach();
    bury().watches.push_back(std::move(watch));
}

void retire(std::unique_ptr<Branch> branch)
{
    branch->pair.detach();
    bury().branches.push_back(std::move(branch));
}

void childChangedCB(void *data, SoSensor *sensor);

void watchChild(Head *head, SoNode *child, bool moves)
{
    if (!mayChangeMatrix(child))
        return;
    std::unique_ptr<ChildWatch> &w = head->childWatches[child];
    if (!w) {
        w.reset(new ChildWatch);
        w->head = head;
        w->node = child;
        w->sensor.setFunction(childChangedCB);
        w->sensor.setData(w.get());
        w->sensor.setPriority(0);
        w->sensor.attach(child);
    }
    w->count++;
    w->moves = moves;
}

void unwatchChild(Head *head, SoNode *child)
{
    auto it = head->childWatches.find(child);
    if (it == head->childWatches.end() || --it->second->count > 0)
        return;
    retire(std::move(it->second));
    head->childWatches.erase(it);
}

void unwatchChildren(Head *head)
{
    for (auto &w : head->childWatches)
        retire(std::move(w.second));
    head->childWatches.clear();
}

void rememberChildren(Head *head)
{
    const SoChildList *children = head->node()->getChildren();
    head->known.clear();
    for (int i = 0; children && i < children->getLength(); i++)
        head->known.push_back((*children)[i]);
    head->matrixChildrenValid = false;
    unwatchChildren(head);
}

void listMatrixChildren(Head *head)
{
    rememberChildren(head);
    head->matrixChildren.clear();
    head->knownMoves.clear();
    for (size_t i = 0; i < head->known.size(); i++) {
        head->knownMoves.push_back(changesMatrix(head->known[i]) != 0);
        if (head->knownMoves.back())
            head->matrixChildren.push_back((int)i);
        watchChild(head, head->known[i], head->knownMoves.back());
    }
    head->matrixChildrenValid = true;
}

// After a change of the head's own child list: true when it was one child
// appended (no path's index and no earlier sibling changed).
bool appended(Head *head)
{
    const SoChildList *children = head->node()->getChildren();
    int n = children ? children->getLength() : 0, known = (int)head->known.size();
    bool append = n == known + 1 && (known == 0 || (*children)[known - 1] == head->known.back());
    if (!append)
        return false;
    SoNode *child = (*children)[n - 1];
    head->known.push_back(child);
    if (head->matrixChildrenValid) {
        head->knownMoves.push_back(changesMatrix(child) != 0);
        if (head->knownMoves.back())
            head->matrixChildren.push_back(n - 1);
        watchChild(head, child, head->knownMoves.back());
    }
    return true;
}

// How many of the first count pointers from a and b on (going the
// given way) are the same; compared as bytes, for a holds void pointers
// and b node pointers.
int commonRun(void *const *a, void *const *b, int count, int step)
{
    const int BLOCK = 64;
    int same = 0;
    if (step > 0)
        while (same + BLOCK <= count && !memcmp(a + same, b + same, BLOCK * sizeof(void *)))
            same += BLOCK;
    else
        while (same + BLOCK <= count &&
               !memcmp(a - same - BLOCK + 1, b - same - BLOCK + 1, BLOCK * sizeof(void *)))
            same += BLOCK;
    while (same < count && !memcmp(a + same * step, b + same * step, sizeof(void *)))
        same++;
    return same;
}

// After any other change of the head's child list: the children that
// came or went, found between the parts before and after them that stayed
// (a removal, an insertion or a replacement is one such run); false, and
// everything concerned, when the list is as it was (a change of the
// head's own fields) or a child that changes later siblings' matrices came
// or went. Children that went may be gone: they are compared, not used.
bool changedChildren(Head *head, std::vector<SoNode *> &changed)
{
    const SoChildList *children = head->node()->getChildren();
    int n = children ? children->getLength() : 0, known = (int)head->known.size();
    // A root holds thousands of children: the parts that stayed are
    // compared a block at a time.
    void *const *now = n ? &((const SbPList &)*children)[0] : NULL;
    void *const *was = (void *const *)head->known.data();
    int common = std::min(n, known);
    int front = common ? commonRun(now, was, common, 1) : 0;
    int back = common > front ? commonRun(now + n - 1, was + known - 1, common - front, -1) : 0;
    // Without the flags, a child that went may have moved the rest.
    bool valid = head->matrixChildrenValid, moves = !valid && known - back > front;
    for (int i = front; i < known - back; i++) {
        changed.push_back(head->known[(size_t)i]);
        moves = moves || (valid && head->knownMoves[(size_t)i]);
        if (valid)
            unwatchChild(head, head->known[(size_t)i]);
    }
    std::vector<SoNode *> came;
    std::vector<char> cameMoves;
    for (int i = front; i < n - back; i++) {
        came.push_back((*children)[i]);
        cameMoves.push_back(changesMatrix((*children)[i]) != 0);
        moves = moves || cameMoves.back();
        if (valid)
            watchChild(head, came.back(), cameMoves.back());
    }
    changed.insert(changed.end(), came.begin(), came.end());
    head->known.erase(head->known.begin() + front, head->known.end() - back);
    head->known.insert(head->known.begin() + front, came.begin(), came.end());
    if (valid) {
        head->knownMoves.erase(head->knownMoves.begin() + front, head->knownMoves.end() - back);
        head->knownMoves.insert(head->knownMoves.begin() + front, cameMoves.begin(),
                                cameMoves.end());
        // The listed children before the run stay, those after it shift.
        std::vector<int> &listed = head->matrixChildren;
        auto from = std::lower_bound(listed.begin(), listed.end(), front);
        std::vector<int> after(std::lower_bound(from, listed.end(), known - back), listed.end());
        listed.erase(from, listed.end());
        for (size_t i = 0; i < cameMoves.size(); i++)
            if (cameMoves[i])
                listed.push_back(front + (int)i);
        for (int i : after)
            listed.push_back(i + n - known);
    }
    return !changed.empty() && !moves;
}

// The nodes from the head to the node that changed, and their indices.
struct Trigger {
    std::vector<SoNode *> nodes;
    std::vector<int> indices;
};

// Whether the change that came down trigger can move the tail of path.
bool moves(const Trigger &trigger, const SoFullPath *path)
{
    int k = (int)trigger.nodes.size(), m = path->getLength();
    for (int d = 1;; d++) {
        if (d >= k || d >= m)
            return true;  // on the path, or below its tail
        if (trigger.nodes[(size_t)d] != path->getNode(d))
            return trigger.indices[(size_t)d] < path->getIndex(d) &&
                   trigger.nodes[(size_t)d]->affectsState();
    }
}

bool isWatching(const Head *head, void *data) { return head->branchesOf.count(data) > 0; }

void addClients(std::vector<Client> &out, const std::map<unsigned long, Client> &branch)
{
    for (const auto &c : branch)
        out.push_back(c.second);
}

void addAllClients(std::vector<Client> &out, const Head *head)
{
    for (const auto &branch : head->branches)
        addClients(out, branch.second->clients);
}

// The watches a change of the head's own child list or fields concerns,
// in a copy: callbacks may add or remove watches.
std::vector<Client> concerned(Head *head)
{
    std::vector<Client> out;
    if (appended(head))
        return out;
    // Only the watches through the children that came or went: the other
    // paths are repaired where they are used.
    std::vector<SoNode *> changed;
    if (!changedChildren(head, changed)) {
        addAllClients(out, head);
        return out;
    }
    for (SoNode *child : changed) {
        auto it = head->branches.find(child);
        if (it != head->branches.end())
            addClients(out, it->second->clients);
    }
    return out;
}

void deleteHead(Head *head)
{
    head->pair.detach();
    for (auto &b : head->branches)
        b.second->pair.detach();
    unwatchChildren(head);
    bury().heads.push_back(head);
}

void sweepCB(void *, SoSensor *)
{
    Graveyard gone;
    std::swap(gone, graveyard());
    for (Head *head : gone.heads)
        delete head;
}

// Calls back the clients a change concerns (each whose path it can move,
// when what came down is known), repairing each path first.
void callBack(Head *head, const std::vector<Client> &clients, const Trigger *trigger,
              SoSensor *sensor)
{
    head->running++;
    // Held: a callback may give another client a new path.
    for (const Client &c : clients)
        c.path->ref();
    for (const Client &c : clients) {
        if (!c.callback || !isWatching(head, c.data))
            continue;
        GspPathWatcher::repair(c.path);
        if (!trigger || moves(*trigger, c.path))
            c.callback(c.data, sensor);
    }
    for (const Client &c : clients)
        c.path->unref();
    if (--head->running == 0 && head->dead)
        deleteHead(head);
}

void headChangedCB(void *data, SoSensor *sensor)
{
    Head *head = (Head *)data;
    // Taken before the sensor is detached, which forgets it.
    SoNode *trigger = ((SoNodeSensor *)sensor)->getTriggerNode();
    head->pair.handOver(sensor);
    std::vector<Client> clients;
    if (trigger == head->node()) {
        clients = concerned(head);
    } else if (!trigger || !head->matrixChildrenValid) {
        // What changed is not known, or the children that change matrices
        // are not watched yet: every watch is concerned.
        if (trigger)
            listMatrixChildren(head);
        else
            rememberChildren(head);
        addAllClients(clients, head);
    } else {
        return;  // below a child: its branch and its own watch hear it
    }
    callBack(head, clients, NULL, sensor);
}

// A change below a branch: the branch's watches whose paths it can move.
void branchChangedCB(void *data, SoSensor *sensor)
{
    Branch *branch = (Branch *)data;
    const SoFullPath *path = (const SoFullPath *)((SoNodeSensor *)sensor)->getTriggerPath();
    Trigger trigger;
    trigger.nodes.push_back(branch->head->node());
    trigger.indices.push_back(0);
    for (int d = 0; path && d < path->getLength(); d++) {
        trigger.nodes.push_back(path->getNode(d));
        trigger.indices.push_back(d ? path->getIndex(d) : -1);  // the branch's is not compared
    }
    branch->pair.handOver(sensor);
    std::vector<Client> clients;
    addClients(clients, branch->clients);
    callBack(branch->head, clients, path ? &trigger : NULL, sensor);
}

// A change of a child that may change later siblings' matrices: when it
// does, or did, the watches after it are concerned.
void childChangedCB(void *data, SoSensor *sensor)
{
    ChildWatch *w = (ChildWatch *)data;
    Head *head = w->head;
    bool moves = changesMatrix(w->node) != 0;
    if (!moves && !w->moves)
        return;
    int first = -1;
    std::vector<int> &listed = head->matrixChildren;
    for (size_t i = 0; i < head->known.size(); i++) {
        if (head->known[i] != w->node)
            continue;
        if (first < 0)
            first = (int)i;
        if (moves == (bool)head->knownMoves[i])
            continue;
        // A group that now lets its state out, or no longer does.
        head->knownMoves[i] = moves;
        if (moves)
            listed.insert(std::lower_bound(listed.begin(), listed.end(), (int)i), (int)i);
        else
            listed.erase(std::lower_bound(listed.begin(), listed.end(), (int)i));
    }
    w->moves = moves;
    if (first < 0)
        return;
    Trigger trigger{{head->node(), w->node}, {0, first}};
    std::vector<Client> clients;
    addAllClients(clients, head);
    callBack(head, clients, &trigger, sensor);
}

// The data's watches, by head.
std::unordered_map<void *, std::vector<Head *>> &headsOf()
{
    static std::unordered_map<void *, std::vector<Head *>> all;
    return all;
}

// The head goes: its clients hear of it (those still watching when their
// turn comes), and every watch on it ends.
void headDyingCB(void *data, SoSensor *)
{
    Head *head = (Head *)data;
    std::vector<Client> clients;
    addAllClients(clients, head);
    head->running++;
    for (const Client &c : clients)
        if (c.dying && isWatching(head, c.data))
            c.dying(c.data);
    auto it = heads().find(head->node());
    if (it != heads().end() && it->second == head)
        heads().erase(it);
    head->pair.detach();
    for (const auto &client : head->branchesOf) {
        std::vector<Head *> &list = headsOf()[client.first];
        list.erase(std::remove(list.begin(), list.end(), head), list.end());
        if (list.empty())
            headsOf().erase(client.first);
    }
    for (auto &b : head->branches)
        retire(std::move(b.second));
    head->branches.clear();
    head->branchesOf.clear();
    unwatchChildren(head);
    if (--head->running == 0)
        deleteHead(head);
    else
        head->dead = true;
}

void removeClient(Head *head, void *data)
{
    auto where = head->branchesOf.find(data);
    if (where == head->branchesOf.end())
        return;
    for (const auto &place : where->second) {
        auto it = head->branches.find(place.first);
        if (it == head->branches.end())
            continue;
        it->second->clients.erase(place.second);
        if (!it->second->clients.empty())
            continue;
        retire(std::move(it->second));
        head->branches.erase(it);
    }
    head->branchesOf.erase(where);
}

Branch *branchFor(Head *head, SoNode *node)
{
    std::unique_ptr<Branch> &b = head->branches[node];
    if (!b) {
        b.reset(new Branch);
        b->head = head;
        b->pair.init(branchChangedCB, b.get(), true, NULL);
    }
    // A node gone and another made in its place is heard afresh.
    if (node && !b->pair.attached())
        b->pair.attach(node);
    return b.get();
}

}

namespace GspPathWatcher {

SoPath *plainCopy(const SoPath *path)
{
    const SoFullPath *from = (const SoFullPath *)path;
    SoPath *copy = new PlainPath(from->getLength());
    if (from->getLength() > 0)
        copy->setHead(from->getHead());
    for (int d = 1; d < from->getLength(); d++)
        copy->append(from->getIndex(d));
    return copy;
}

bool repair(SoPath *path)
{
    if (!path || typeid(*path) != typeid(PlainPath))
        return false;
    SoFullPath *p = (SoFullPath *)path;
    int length = p->getLength(), d = 1;
    while (d < length) {
        const SoChildList *children = p->getNode(d - 1)->getChildren();
        int index = p->getIndex(d);
        if (children && index < children->getLength() && (*children)[index] == p->getNode(d))
            d++;
        else
            break;
    }
    if (d >= length)
        return false;
    // From the first index out of step on, each node is found again.
    std::vector<SoNode *> nodes;
    std::vector<int> was;
    for (int i = d; i < length; i++) {
        nodes.push_back(p->getNode(i));
        was.push_back(p->getIndex(i));
    }
    for (SoNode *n : nodes)
        n->ref();  // the truncation must not release them
    p->truncate(d);
    for (size_t i = 0; i < nodes.size(); i++) {
        int at = findNear(p->getTail()->getChildren(), nodes[i], was[i]);
        if (at < 0)
            break;
        p->append(at);
    }
    for (SoNode *n : nodes)
        n->unref();
    return true;
}

void watch(SoPath *path, SoSensorCB *callback, void (*dying)(void *data), void *data)
{
    SoNode *node = path->getHead();
    if (!node)
        return;
    Head *&head = heads()[node];
    if (!head) {
        head = new Head;
        head->pair.init(headChangedCB, head, false, headDyingCB);
        head->pair.attach(node);
        rememberChildren(head);
    }
    static unsigned long watches = 0;
    SoNode *branch = branchOf((SoFullPath *)path);
    branchFor(head, branch)->clients[++watches] = {(SoFullPath *)path, callback, dying, data};
    head->branchesOf[data].push_back({branch, watches});
    headsOf()[data].push_back(head);
}

void unwatch(void *data)
{
    auto found = headsOf().find(data);
    if (found == headsOf().end())
        return;
    std::vector<Head *> watched;
    watched.swap(found->second);
    headsOf().erase(found);
    for (Head *head : watched) {
        auto it = heads().find(head->node());
        if (it == heads().end() || it->second != head)
            continue;  // gone with its node
        removeClient(head, data);
        if (!head->branches.empty())
            continue;
        heads().erase(it);
        head->pair.detach();
        unwatchChildren(head);
        if (head->running)
            head->dead = true;
        else
            deleteHead(head);
    }
}

const std::vector<int> *matrixChildren(SoNode *node)
{
    auto it = heads().find(node);
    if (it == heads().end())
        return NULL;
    Head *head = it->second;
    const SoChildList *children = head->node()->getChildren();
    if (!head->matrixChildrenValid || (int)head->known.size() != (children ? children->getLength() : 0))
        listMatrixChildren(head);
    return &head->matrixChildren;
}

}
