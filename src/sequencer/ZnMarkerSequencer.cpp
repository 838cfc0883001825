// The sequencer node: its list of markers, the current marker, playback
// and the player commands, and its file form. The dialog and the player
// icons are in ZnMarkerSequencerDialog.cpp.
#include <Glosspin/ZnMarkerSequencer.h>

#include <Glosspin/ZnCommon.h>
#include <Glosspin/ZnMarker.h>
#include <Glosspin/ZnNoteList.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/elements/SoCacheElement.h>
#include <Inventor/errors/SoReadError.h>
#include <Xm/List.h>

#include "init/ChildlessGroupForm.h"

SO_NODE_SOURCE(ZnMarkerSequencer);

void ZnMarkerSequencer::initClass()
{
    if (ZnMarker::getClassTypeId() == SoType::badType())
        ZnMarker::initClass();
    SO_NODE_INIT_CLASS(ZnMarkerSequencer, SoNode, "Node");
}

ZnMarkerSequencer::ZnMarkerSequencer()
    : pickCallback(NULL), pickCallbackData(NULL), unpickCallback(NULL),
      unpickCallbackData(NULL), deleteCallback(NULL), deleteCallbackData(NULL),
      moveCallback(NULL), moveCallbackData(NULL),
      currentIndex(-1), lastPlayedIndex(-1), playAll(0), dialog(new Widget[16]()),
      listShown(0), hiddenWithShell(0)
{
    SO_NODE_CONSTRUCTOR(ZnMarkerSequencer);
    SO_NODE_ADD_FIELD(sequence, (NULL));
    sequence.setNum(0);
    sequence.setDefault(TRUE);
}

// Markers, note lists and widgets may outlive the sequencer (a widget's
// destruction waits for the end of the event dispatch it was asked in):
// every link that leads back here goes first.
ZnMarkerSequencer::~ZnMarkerSequencer()
{
    for (int i = 0; i < getNumMarkers(); i++)
        if (getMarker(i))
            removeLinks(getMarker(i));
    sequence.deleteValues(0);
    if (dialog[3])
        destroyMarkerList();
    while (glxIcons.getLength() > 0) {
        Widget icon = (Widget)glxIcons[0];
        forgetWindow(0);
        WidgetList buttons;
        Cardinal count;
        XtVaGetValues(icon, XmNchildren, &buttons, XmNnumChildren, &count, NULL);
        for (Cardinal b = 0; b < count; b++)
            XtVaSetValues(buttons[b], XmNuserData, NULL, NULL);
        XtDestroyWidget(icon);
    }
    delete[] dialog;
}

// The list.

int ZnMarkerSequencer::findMarker(const ZnMarker *marker) const
{
    return marker ? ((SoMFNode &)sequence).find((SoNode *)marker) : -1;
}

void ZnMarkerSequencer::installLinks(ZnMarker *marker)
{
    marker->selectCallback = &ZnMarkerSequencer::markerSelCB;
    marker->selectCallbackData = this;
    marker->deselectCallback = &ZnMarkerSequencer::markerDeselCB;
    marker->deselectCallbackData = this;
}

int ZnMarkerSequencer::appendMarker(ZnMarker *marker)
{
    int n = getNumMarkers();
    sequence.set1Value(n, marker);
    installLinks(marker);
    if (listShown)
        addListItem(n);
    return n;
}

void ZnMarkerSequencer::insertMarker(ZnMarker *marker, int i)
{
    sequence.insertSpace(i, 1);
    sequence.set1Value(i, marker);
    installLinks(marker);
    if (listShown)
        addListItem(i);
}

// The marker's callbacks, and its note list's finish callback when the
// tour set it.
void ZnMarkerSequencer::removeLinks(ZnMarker *marker)
{
    if (marker->selectCallbackData == this) {
        marker->selectCallback = marker->deselectCallback = NULL;
        marker->selectCallbackData = marker->deselectCallbackData = NULL;
    }
    ZnNoteList *notes = (ZnNoteList *)marker->getPart("notes", FALSE);
    if (notes && notes->finishCallbackData == this) {
        notes->finishCallback = NULL;
        notes->finishCallbackData = NULL;
    }
}

void ZnMarkerSequencer::removeMarker(int i)
{
    removeLinks(getMarker(i));
    sequence.deleteValues(i, 1);
    // An emptied tour is written as a new one is: not at all.
    if (sequence.getNum() == 0)
        sequence.setDefault(TRUE);
    if (listShown)
        XmListDeletePos(dialog[10], i + 1);
}

// The markers between the two places shift by one, in the field's own
// array: the same markers stay in it, so none is referenced or audited
// again. (The toolkit's own delete and insert would audit every marker
// after the place afresh, twice.)
void ZnMarkerSequencer::moveMarker(int from, int to)
{
    int n = getNumMarkers();
    if (from < 0 || from >= n || to < 0 || to >= n || from == to)
        return;
    SoNode **values = sequence.startEditing();
    SoNode *moved = values[from];
    int step = from < to ? 1 : -1;
    for (int i = from; i != to; i += step)
        values[i] = values[i + step];
    values[to] = moved;
    sequence.finishEditing();
    if (listShown) {
        XmListDeletePos(dialog[10], from + 1);
        addListItem(to);
    }
}

ZnNoteList *ZnMarkerSequencer::noteListOf(int i)
{
    return (ZnNoteList *)getMarker(i)->getPart("notes", TRUE);
}

// The current marker.

void ZnMarkerSequencer::setCurrentIndex(int i)
{
    currentIndex = i >= 0 && i < getNumMarkers() ? i : -1;
    if (ZnCommon::editMode == 1 && currentIndex != -1)
        getMarker(currentIndex)->showNotes();
    if (listShown)
        highlightMarker(currentIndex);
}

void ZnMarkerSequencer::setCurrentMarker(ZnMarker *marker)
{
    currentIndex = findMarker(marker);
    if (currentIndex == lastPlayedIndex)
        lastPlayedIndex = -1;
    setCurrentIndex(currentIndex);
}

void ZnMarkerSequencer::pickMarker(int i)
{
    ZnMarker *m = getMarker(i);
    if (ZnCommon::editMode == 2) {
        if (pickCallback)
            (*pickCallback)(pickCallbackData, m);
    } else if (ZnCommon::editMode == 1) {
        hideNotes(currentIndex);
        setCurrentIndex(i);
        m->showNotes();
        lastPlayedIndex = -1;
    }
}

void ZnMarkerSequencer::unpickMarker(int i)
{
    if (ZnCommon::editMode == 2 && unpickCallback) {
        (*unpickCallback)(unpickCallbackData, getMarker(i));
    } else if (ZnCommon::editMode == 1) {
        getMarker(i)->hideNotes();
        lastPlayedIndex = -1;
    }
}

void ZnMarkerSequencer::hideNotes(int i)
{
    if (i != -1)
        getMarker(i)->hideNotes();
}

// Playback.

void ZnMarkerSequencer::killLastPlay()
{
    if (currentIndex != -1)
        noteListOf(currentIndex)->stop();
}

void ZnMarkerSequencer::playNextMarker()
{
    int n = getNumMarkers();
    if (n < 1)
        return;
    killLastPlay();
    int cur = currentIndex, next;
    if (cur == -1) {
        next = 0;
    } else if (cur != lastPlayedIndex) {
        next = cur;  // picked, not yet played
    } else {
        hideNotes(cur);
        next = cur < n - 1 ? cur + 1 : (playAll ? -1 : 0);
    }
    if (playAll && cur != -1) {
        ZnNoteList *played = noteListOf(cur);
        played->finishCallback = NULL;
        played->finishCallbackData = NULL;
    }
    if (next != -1) {
        pickMarker(next);
        ZnNoteList *notes = noteListOf(next);
        if (playAll) {
            notes->finishCallback = &ZnMarkerSequencer::markerDonePlayingCB;
            notes->finishCallbackData = this;
        }
        lastPlayedIndex = currentIndex;
        notes->autoPlay();
    } else {
        if (cur != -1)
            unpickMarker(cur);
        setCurrentIndex(-1);
        lastPlayedIndex = -1;
    }
}

void ZnMarkerSequencer::markerSelCB(void *sequencer, ZnMarker *marker)
{
    ZnMarkerSequencer *s = (ZnMarkerSequencer *)sequencer;
    s->pickMarker(s->findMarker(marker));
}

void ZnMarkerSequencer::markerDeselCB(void *sequencer, ZnMarker *)
{
    ZnMarkerSequencer *s = (ZnMarkerSequencer *)sequencer;
    s->setCurrentIndex(-1);
    s->lastPlayedIndex = -1;
}

void ZnMarkerSequencer::markerDonePlayingCB(void *sequencer, SoAction *)
{
    ZnMarkerSequencer *s = (ZnMarkerSequencer *)sequencer;
    if (s->playAll)
        s->playNextMarker();
}

// The previous, next and first commands: the old marker stopped and
// hidden, marker i picked and not played (the pick callback already sees
// it so).
void ZnMarkerSequencer::stepTo(int i)
{
    killLastPlay();
    hideNotes(currentIndex);
    lastPlayedIndex = -1;
    pickMarker(i);
    lastPlayedIndex = -1;
}

void ZnMarkerSequencer::playerCommand(int code)
{
    int n = getNumMarkers(), cur = currentIndex;
    if (n == 0 && code != SHOW_LIST)
        return;
    switch (code) {
    case PLAY:
    case DIALOG_PLAY:
        playAll = FALSE;
        playNextMarker();
        break;
    case STOP:
    case DIALOG_STOP:
        if (cur >= 0)
            noteListOf(cur)->stop();
        lastPlayedIndex = -1;
        break;
    case SHOW_LIST:
        showMarkerList();
        break;
    case PREVIOUS:
        stepTo(cur < 1 ? n - 1 : cur - 1);
        break;
    case NEXT:
        stepTo(cur < n - 1 ? cur + 1 : 0);
        break;
    case PLAY_ALL:
        playAll = TRUE;
        playNextMarker();
        break;
    case FIRST:
        stepTo(0);
        break;
    case DELETE:
        if (cur == -1)
            break;
        if (deleteCallback)
            (*deleteCallback)(deleteCallbackData, getMarker(cur));
        removeMarker(cur);
        if (cur == lastPlayedIndex)
            lastPlayedIndex = -1;
        setCurrentIndex(-1);
        break;
    case MOVE_UP:
        if (cur <= 0)
            break;
        moveMarker(cur, cur - 1);
        if (cur == lastPlayedIndex)
            lastPlayedIndex = cur - 1;
        setCurrentIndex(cur - 1);
        if (moveCallback)
            (*moveCallback)(moveCallbackData, getMarker(cur - 1), cur, cur - 1);
        break;
    case MOVE_DOWN:
        if (cur == -1 || cur >= n - 1)
            break;
        moveMarker(cur, cur + 1);
        lastPlayedIndex = cur + 1;
        setCurrentIndex(cur + 1);
        if (moveCallback)
            (*moveCallback)(moveCallbackData, getMarker(cur + 1), cur, cur + 1);
        break;
    default:  // 3, 10, 11 and 13 have no command
        break;
    }
}

SbBool ZnMarkerSequencer::affectsState() const { return FALSE; }

// Drawn on every frame, for the player icon of each window.
void ZnMarkerSequencer::GLRender(SoGLRenderAction *action)
{
    SoCacheElement::invalidate(action->getState());
    checkForWindow();
}

// File form: the node's fields, as the library's nodes without children
// write them.

void ZnMarkerSequencer::write(SoWriteAction *action) { GSP_WRITE_AS_CHILDLESS_GROUP(action); }

SbBool ZnMarkerSequencer::readInstance(SoInput *in, unsigned short flags)
{
    SbBool read = SoNode::readInstance(in, flags) && gspReadChildlessGroupZero(in);
    // The sequencer holds markers only, even one the failed read drops.
    for (int i = 0; i < getNumMarkers(); i++) {
        SoNode *n = sequence[i];
        if (!n || !n->isOfType(ZnMarker::getClassTypeId())) {
            if (read)
                SoReadError::post(in, "ZnMarkerSequencer: value %d of sequence is not a marker",
                                  i);
            sequence.deleteValues(i);
            return FALSE;
        }
        if (read)
            installLinks((ZnMarker *)n);
    }
    return read;
}
