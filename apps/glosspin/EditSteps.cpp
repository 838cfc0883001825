#include "EditSteps.h"

#include <Glosspin/ZnArrow.h>
#include <Glosspin/ZnArrowMarker.h>
#include <Glosspin/ZnMarker.h>
#include <Glosspin/ZnMarkerSequencer.h>
#include <Glosspin/ZnNote.h>
#include <Glosspin/ZnNoteList.h>
#include <Inventor/SoPath.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoTransform.h>

namespace {

long undoWeightOf(SoNode *node)
{
    if (node->isOfType(ZnMarker::getClassTypeId()))
        return ((ZnMarker *)node)->getUndoWeight();
    if (node->isOfType(ZnNote::getClassTypeId()))
        return ((ZnNote *)node)->getUndoWeight();
    return 100;
}

SbMatrix matrixOf(const SoTransform *t)
{
    SbMatrix m;
    m.setTransform(t->translation.getValue(), t->rotation.getValue(), t->scaleFactor.getValue(),
                   t->scaleOrientation.getValue(), t->center.getValue());
    return m;
}

// The arrow's type as the file holds it.
SoSFShort &arrowTypeField(ZnArrowMarker *marker)
{
    return ((ZnArrow *)((SoSFNode *)marker->getField("arrow"))->getValue())->type;
}

}

// An undone note edit puts a copy of the note in its place. Steps are
// undone and redone in order, so a step that no longer finds its node
// finds the copy at the node's place, and takes that up instead.
void gspTakeStandIn(SoGroup *parent, int index, SoNode *&node)
{
    if (parent->findChild(node) >= 0 || index < 0 || index >= parent->getNumChildren())
        return;
    SoNode *standIn = parent->getChild(index);
    if (!standIn->isOfType(node->getTypeId()))
        return;
    standIn->ref();
    node->unref();
    node = standIn;
}

GspNodeInsertion::GspNodeInsertion(SoGroup *p, int i, SoNode *n, ZnMarkerSequencer *s, int si,
                                   bool in, GspRemovalHook h)
    : parent(p), node(n), sequencer(s), index(i), sequenceIndex(si), inserted(in),
      cost(undoWeightOf(n)), hook(h)
{
    parent->ref();
    node->ref();
    if (sequencer)
        sequencer->ref();
}

GspNodeInsertion::~GspNodeInsertion()
{
    node->unref();
    parent->unref();
    if (sequencer)
        sequencer->unref();
}

void GspNodeInsertion::set(bool in)
{
    if (in) {
        parent->insertChild(node, index < parent->getNumChildren() ? index
                                                                   : parent->getNumChildren());
        if (sequencer && sequenceIndex >= 0)
            sequencer->insertMarker((ZnMarker *)node,
                                    sequenceIndex < sequencer->getNumMarkers()
                                        ? sequenceIndex
                                        : sequencer->getNumMarkers());
    } else {
        gspTakeStandIn(parent, index, node);
        hook(node);
        if (sequencer && sequencer->findMarker((ZnMarker *)node) >= 0)
            sequencer->removeMarker(sequencer->findMarker((ZnMarker *)node));
        if (parent->findChild(node) >= 0)
            parent->removeChild(node);
    }
    inserted = in;
}

GspMarkerState::GspMarkerState(ZnMarker *marker) : label(marker->getLabel())
{
    placement = new SoTransform;
    placement->ref();
    placement->copyFieldValues(marker->getDraggerTransform());
    SoFieldList fields;
    marker->getDraggerTransform()->getFields(fields);
    for (int i = 0; i < fields.getLength(); i++)
        if (fields[i]->isDefault())
            unsetFields |= 1u << i;
    if (marker->isOfType(ZnArrowMarker::getClassTypeId())) {
        ZnArrowMarker *arrow = (ZnArrowMarker *)marker;
        arrowType = arrow->getArrowType();
        arrowTypeUnset = arrowTypeField(arrow).isDefault();
        // As the marker folds its object transform into its own when it
        // is attached again.
        if (arrow->getObjectTransform())
            placement->combineRight(arrow->getObjectTransform());
        if (arrow->getPathToObject()) {
            objectPath = arrow->getPathToObject()->copy();
            objectPath->ref();
        }
    }
}

GspMarkerState &GspMarkerState::operator=(GspMarkerState &&o)
{
    std::swap(label, o.label);
    std::swap(arrowType, o.arrowType);
    std::swap(arrowTypeUnset, o.arrowTypeUnset);
    std::swap(placement, o.placement);
    std::swap(objectPath, o.objectPath);
    std::swap(unsetFields, o.unsetFields);
    return *this;
}

GspMarkerState::~GspMarkerState()
{
    if (placement)
        placement->unref();
    if (objectPath)
        objectPath->unref();
}

bool GspMarkerState::operator==(const GspMarkerState &o) const
{
    bool samePath = objectPath && o.objectPath ? *objectPath == *o.objectPath
                                               : objectPath == o.objectPath;
    SbMatrix a = matrixOf(placement), b = matrixOf(o.placement);
    return label == o.label && arrowType == o.arrowType && samePath && a.equals(b, 1e-6f);
}

void GspMarkerState::applyTo(ZnMarker *marker) const
{
    int wasSelected = marker->isSelected();
    if (wasSelected)
        marker->detachDragger();
    marker->setLabel(label);
    if (marker->isOfType(ZnArrowMarker::getClassTypeId())) {
        ZnArrowMarker *arrow = (ZnArrowMarker *)marker;
        arrow->setPathToObject(objectPath);
        if (arrow->getArrowType() != arrowType)
            arrow->setArrowType(arrowType);
        if (arrowTypeUnset && arrowType == ZnArrow::ARROW)
            arrowTypeField(arrow).setDefault(TRUE);
    }
    // Copied values count as set. Unset again: those that were unset in
    // the state and still hold their default, and those unset now that the
    // copy left as they were (a state taken while the dragger's connections
    // marked every field set does not know which were), so that the file
    // is as it was.
    SoTransform *t = marker->getDraggerTransform();
    SoTransform *fresh = new SoTransform, *prior = new SoTransform;
    fresh->ref();
    prior->ref();
    prior->copyFieldValues(t);
    SoFieldList fields, defaults, previous;
    t->getFields(fields);
    fresh->getFields(defaults);
    prior->getFields(previous);
    unsigned unsetBefore = 0;
    for (int i = 0; i < fields.getLength(); i++)
        if (fields[i]->isDefault())
            unsetBefore |= 1u << i;
    t->copyFieldValues(placement);
    for (int i = 0; i < fields.getLength(); i++)
        if (((unsetFields & (1u << i)) && fields[i]->isSame(*defaults[i])) ||
            ((unsetBefore & (1u << i)) && fields[i]->isSame(*previous[i])))
            fields[i]->setDefault(TRUE);
    prior->unref();
    fresh->unref();
    if (wasSelected)
        marker->attachDragger();
}

GspTourMove::GspTourMove(ZnMarkerSequencer *s, int f, int t) : sequencer(s), from(f), to(t)
{
    sequencer->ref();
}

GspTourMove::~GspTourMove() { sequencer->unref(); }

void GspTourMove::undo() { sequencer->moveMarker(to, from); }

void GspTourMove::redo() { sequencer->moveMarker(from, to); }

GspMarkerChange::GspMarkerChange(ZnMarker *m, GspMarkerState &&b) : marker(m), after(m)
{
    before = std::move(b);
    marker->ref();
}

GspMarkerChange::~GspMarkerChange() { marker->unref(); }

GspNoteReplacement::GspNoteReplacement(SoGroup *l, ZnNote *b, ZnNote *a, GspRemovalHook h)
    : list(l), before(b), after(a), index(l->findChild(a)),
      cost(b->getUndoWeight() + a->getUndoWeight()), hook(h)
{
    list->ref();
    before->ref();
    after->ref();
}

GspNoteReplacement::~GspNoteReplacement()
{
    before->unref();
    after->unref();
    list->unref();
}

void GspNoteReplacement::swap(ZnNote *&out, ZnNote *in)
{
    SoNode *current = out;
    gspTakeStandIn(list, index, current);
    out = (ZnNote *)current;
    int i = list->findChild(out);
    if (i < 0)
        return;
    hook(out);
    list->replaceChild(i, in);
}
