// Path watches shared by head node: the head's sensors, the watches sorted
// by the branch their paths take from the head, and the head's children
// that change the matrix of later siblings.
#include "markers/PathWatcher.h"

#include <Inventor/SoPath.h>
#include <Inventor/misc/SoChildList.h>
#include <Inventor/nodes/SoNode.h>
#include <Inventor/nodes/SoTransformation.h>
#include <Inventor/sensors/SoNodeSensor.h>

#include <string.h>

#include <algorithm>
#include <map>
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

// The watches on one head node. Two sensors take turns: the toolkit
// forgets what triggered a sensor that is notified again from inside its
// own callback (as when a marker moves its arrow there), so the other
// one is attached while the callbacks run and hears those changes with
// their paths. A change below one of the head's children concerns the
// watches whose paths run through that child (its branch); only a child
// that changes the matrix of later siblings, or a change of the head's
// own child list other than an append, concerns them all.
struct Head {
    SoNode *node;
    SoNodeSensor sensors[2];
    int active = 0;
    int running = 0;
    bool dead = false;
    // By the path's node at depth 1; in each branch by the order of the
    // watches, so that one of thousands goes at once.
    std::unordered_map<SoNode *, std::map<unsigned long, Client>> branches;
    // data -> its branches here and its watches' places in them
    std::unordered_map<void *, std::vector<std::pair<SoNode *, unsigned long>>> branchesOf;
    // The child list as last seen (kept by appending when a child is
    // appended); and, while valid, the indices of the children whose
    // transformations reach later siblings and a flag for each child.
    // Listed only when a matrix is asked for: a head being released may
    // hold children that must not be looked into.
    std::vector<SoNode *> known;
    std::vector<int> matrixChildren;
    std::vector<char> knownMoves;
    bool matrixChildrenValid = false;
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

void rememberChildren(Head *head)
{
    const SoChildList *children = head->node->getChildren();
    head->known.clear();
    for (int i = 0; children && i < children->getLength(); i++)
        head->known.push_back((*children)[i]);
    head->matrixChildrenValid = false;
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
    }
    head->matrixChildrenValid = true;
}

// After a change of the head's own child list: true when it was one child
// appended (no path's index and no earlier sibling changed).
bool appended(Head *head)
{
    const SoChildList *children = head->node->getChildren();
    int n = children ? children->getLength() : 0, known = (int)head->known.size();
    bool append = n == known + 1 && (known == 0 || (*children)[known - 1] == head->known.back());
    if (!append)
        return false;
    head->known.push_back((*children)[n - 1]);
    if (head->matrixChildrenValid) {
        head->knownMoves.push_back(changesMatrix((*children)[n - 1]) != 0);
        if (head->knownMoves.back())
            head->matrixChildren.push_back(n - 1);
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
    const SoChildList *children = head->node->getChildren();
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
    }
    std::vector<SoNode *> came;
    std::vector<char> cameMoves;
    for (int i = front; i < n - back; i++) {
        came.push_back((*children)[i]);
        cameMoves.push_back(changesMatrix((*children)[i]) != 0);
        moves = moves || cameMoves.back();
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

// The watches a change concerns, in a copy: callbacks may add or remove
// watches.
std::vector<Client> concerned(Head *head, const Trigger &trigger, bool known)
{
    std::vector<Client> out;
    bool all;
    if (!known) {
        all = true;
        rememberChildren(head);
    } else if (trigger.nodes.size() < 2) {
        if (appended(head))
            return out;
        // Only the watches through the children that came or went: the
        // other paths are repaired where they are used.
        std::vector<SoNode *> changed;
        all = !changedChildren(head, changed);
        for (size_t i = 0; !all && i < changed.size(); i++) {
            auto it = head->branches.find(changed[i]);
            if (it != head->branches.end())
                addClients(out, it->second);
        }
    } else {
        all = changesMatrix(trigger.nodes[1]) != 0;
    }
    if (all) {
        for (const auto &branch : head->branches)
            addClients(out, branch.second);
        return out;
    }
    if (trigger.nodes.size() >= 2) {
        auto it = head->branches.find(trigger.nodes[1]);
        if (it != head->branches.end())
            addClients(out, it->second);
    }
    return out;
}

void headChangedCB(void *data, SoSensor *sensor)
{
    Head *head = (Head *)data;
    SoNodeSensor *heard = (SoNodeSensor *)sensor;
    // Taken before the sensor is detached, which forgets it.
    const SoFullPath *path = (const SoFullPath *)heard->getTriggerPath();
    Trigger trigger;
    for (int d = 0; path && d < path->getLength(); d++) {
        trigger.nodes.push_back(path->getNode(d));
        trigger.indices.push_back(path->getIndex(d));
    }
    if (heard == &head->sensors[head->active]) {
        heard->detach();
        head->active = 1 - head->active;
        head->sensors[head->active].attach(head->node);
    }
    std::vector<Client> clients = concerned(head, trigger, path != NULL);
    head->running++;
    // Held: a callback may give another client a new path.
    for (const Client &c : clients)
        c.path->ref();
    for (const Client &c : clients) {
        if (!c.callback || !isWatching(head, c.data))
            continue;
        GspPathWatcher::repair(c.path);
        if (!path || moves(trigger, c.path))
            c.callback(c.data, sensor);
    }
    for (const Client &c : clients)
        c.path->unref();
    if (--head->running == 0 && head->dead)
        delete head;
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
    for (const auto &branch : head->branches)
        addClients(clients, branch.second);
    head->running++;
    for (const Client &c : clients)
        if (c.dying && isWatching(head, c.data))
            c.dying(c.data);
    auto it = heads().find(head->node);
    if (it != heads().end() && it->second == head)
        heads().erase(it);
    for (SoNodeSensor &s : head->sensors)
        s.detach();
    for (const auto &client : head->branchesOf) {
        std::vector<Head *> &list = headsOf()[client.first];
        list.erase(std::remove(list.begin(), list.end(), head), list.end());
        if (list.empty())
            headsOf().erase(client.first);
    }
    head->branches.clear();
    head->branchesOf.clear();
    if (--head->running == 0)
        delete head;
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
        it->second.erase(place.second);
        if (it->second.empty())
            head->branches.erase(it);
    }
    head->branchesOf.erase(where);
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
        head->node = node;
        rememberChildren(head);
        for (SoNodeSensor &s : head->sensors) {
            s.setFunction(headChangedCB);
            s.setData(head);
            s.setPriority(0);
            s.setTriggerPathFlag(TRUE);
            s.setDeleteCallback(headDyingCB, head);
        }
        head->sensors[0].attach(node);
    }
    static unsigned long watches = 0;
    SoNode *branch = branchOf((SoFullPath *)path);
    head->branches[branch][++watches] = {(SoFullPath *)path, callback, dying, data};
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
        auto it = heads().find(head->node);
        if (it == heads().end() || it->second != head)
            continue;  // gone with its node
        removeClient(head, data);
        if (!head->branches.empty())
            continue;
        for (SoNodeSensor &s : head->sensors)
            s.detach();
        heads().erase(it);
        if (head->running)
            head->dead = true;
        else
            delete head;
    }
}

const std::vector<int> *matrixChildren(SoNode *node)
{
    auto it = heads().find(node);
    if (it == heads().end())
        return NULL;
    Head *head = it->second;
    const SoChildList *children = head->node->getChildren();
    if (!head->matrixChildrenValid || (int)head->known.size() != (children ? children->getLength() : 0))
        listMatrixChildren(head);
    return &head->matrixChildren;
}

}
