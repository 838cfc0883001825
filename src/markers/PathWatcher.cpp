#include "markers/PathWatcher.h"

#include <Inventor/SoPath.h>
#include <Inventor/nodes/SoNode.h>
#include <Inventor/sensors/SoNodeSensor.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

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
// their paths.
struct Head {
    SoNode *node;
    SoNodeSensor sensors[2];
    int active = 0;
    int running = 0;
    unsigned removals = 0;
    bool dead = false;
    std::vector<Client> clients;
};

std::map<SoNode *, Head *> &heads()
{
    static std::map<SoNode *, Head *> all;
    return all;
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

bool isWatching(const Head *head, void *data)
{
    for (const Client &c : head->clients)
        if (c.data == data)
            return true;
    return false;
}

// The head goes: its clients hear of it (those still watching when their
// turn comes), and every watch on it ends.
void headDyingCB(void *data, SoSensor *)
{
    Head *head = (Head *)data;
    std::vector<Client> clients = head->clients;
    unsigned removals = head->removals;
    head->running++;
    for (const Client &c : clients) {
        if (head->removals != removals && !isWatching(head, c.data))
            continue;
        if (c.dying)
            c.dying(c.data);
    }
    auto it = heads().find(head->node);
    if (it != heads().end() && it->second == head)
        heads().erase(it);
    for (SoNodeSensor &s : head->sensors)
        s.detach();
    head->clients.clear();
    if (--head->running == 0)
        delete head;
    else
        head->dead = true;
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
    // A callback may add or remove watches, and remove them for good.
    std::vector<Client> clients = head->clients;
    unsigned removals = head->removals;
    head->running++;
    for (const Client &c : clients) {
        if (head->removals != removals && !isWatching(head, c.data))
            continue;
        if (c.callback && (!path || moves(trigger, c.path)))
            c.callback(c.data, sensor);
    }
    if (--head->running == 0 && head->dead)
        delete head;
}

}

namespace GspPathWatcher {

void watch(SoPath *path, SoSensorCB *callback, void (*dying)(void *data), void *data)
{
    SoNode *node = path->getHead();
    if (!node)
        return;
    Head *&head = heads()[node];
    if (!head) {
        head = new Head;
        head->node = node;
        for (SoNodeSensor &s : head->sensors) {
            s.setFunction(headChangedCB);
            s.setData(head);
            s.setPriority(0);
            s.setTriggerPathFlag(TRUE);
            s.setDeleteCallback(headDyingCB, head);
        }
        head->sensors[0].attach(node);
    }
    head->clients.push_back({(SoFullPath *)path, callback, dying, data});
}

void unwatch(void *data)
{
    auto &all = heads();
    for (auto it = all.begin(); it != all.end();) {
        Head *head = it->second;
        std::vector<Client> &c = head->clients;
        auto gone =
            std::remove_if(c.begin(), c.end(), [&](const Client &x) { return x.data == data; });
        if (gone != c.end()) {
            c.erase(gone, c.end());
            head->removals++;
        }
        if (!c.empty()) {
            ++it;
            continue;
        }
        for (SoNodeSensor &s : head->sensors)
            s.detach();
        if (head->running)
            head->dead = true;
        else
            delete head;
        it = all.erase(it);
    }
}

}
