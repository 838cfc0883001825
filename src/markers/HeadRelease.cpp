#include "markers/HeadRelease.h"

#include <Inventor/SoPath.h>
#include <Inventor/nodes/SoNode.h>
#include <Inventor/sensors/SoOneShotSensor.h>

#include <algorithm>

#include "field/PathSlot.h"
#include "field/ReadLeftovers.h"
#include "markers/PathWatcher.h"

GspHeadRelease::GspHeadRelease(SoFieldContainer *o, HeadGone *gone)
    : owner(o), headGone(gone), sensor(new SoOneShotSensor(giveBackCB, this))
{
}

GspHeadRelease::~GspHeadRelease()
{
    for (Entry *e : entries) {
        GspPathWatcher::unwatch(e);
        delete e;
    }
    delete sensor;
}

void GspHeadRelease::hold(SoPath *path)
{
    if (!path || !path->getHead())
        return;
    entries.push_back(new Entry{this, path, path->getHead(), false, false});
    sensor->schedule();
}

// A head that is going has no references left: the path that lets go of
// it must not start its destruction again.
void GspHeadRelease::release(SoPath *path)
{
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const Entry *e) { return e->path == path; });
    if (it == entries.end())
        return;
    Entry *e = *it;
    entries.erase(it);
    if (e->given) {
        GspPathWatcher::unwatch(e);
        GspReadLeftovers::setHeadGivenBack(path, false);
        if (e->dying)
            e->head->ref();
        e->head->ref();
    }
    delete e;
}

// Heads nobody else holds go at the end; this object may go with them.
void GspHeadRelease::giveBackCB(void *data, SoSensor *)
{
    GspHeadRelease *self = (GspHeadRelease *)data;
    std::vector<SoNode *> heads;
    for (Entry *e : self->entries) {
        if (e->given)
            continue;
        e->given = true;
        GspReadLeftovers::setHeadGivenBack(e->path, true);
        GspPathWatcher::watch(e->path, NULL, dyingCB, e);
        e->head->unrefNoDelete();
        if (std::find(heads.begin(), heads.end(), e->head) == heads.end())
            heads.push_back(e->head);
    }
    std::vector<SoNode *> orphans;
    for (SoNode *h : heads)
        if (h->getRefCount() == 0)
            orphans.push_back(h);
    // All held before any goes: one head's release can take another.
    for (SoNode *h : orphans)
        h->ref();
    for (SoNode *h : orphans)
        h->unref();
}

void GspHeadRelease::dyingCB(void *data)
{
    Entry *entry = (Entry *)data;
    GspHeadRelease *self = entry->release;
    for (Entry *e : self->entries)
        if (e->head == entry->head)
            e->dying = true;
    self->headGone(self->owner);
}

void GspHeadRelease::replace(SoPath *&slot, SoPath *path, bool owned)
{
    if (slot)
        release(slot);
    gspReplacePath(owned ? owner : NULL, slot, path);
    hold(slot);
}
