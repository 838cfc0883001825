// The marker base kit: the shared parts, clicks that show, hide and play
// the notes, the locate highlight drawn straight into the front buffer of
// the window under the pointer, and the binary file form's extra word.
#include <Glosspin/ZnMarker.h>

#include <Glosspin/ZnCommon.h>
#include <Glosspin/ZnNote.h>
#include <Glosspin/ZnNoteList.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoInteraction.h>
#include <Inventor/SoOutput.h>
#include <Inventor/SoPath.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/elements/SoCacheElement.h>
#include <Inventor/elements/SoEmissiveColorElement.h>
#include <Inventor/elements/SoGLLazyElement.h>
#include <Inventor/elements/SoOverrideElement.h>
#include <Inventor/events/SoLocation2Event.h>
#include <Inventor/events/SoMouseButtonEvent.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoTransform.h>

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Intrinsic.h>
#include <X11/StringDefs.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>

#include "init/FrontBuffer.h"
#include "init/FullPath.h"
#include "init/GLWindowList.h"
#include "init/PrivateMember.h"
#include "init/ToolkitMacros.h"
#include "markers/DraggerFieldDefaults.h"
#include "platform/FileCopy.h"
#include "platform/TempFiles.h"

SO_KIT_SOURCE(ZnMarker);

Widget ZnMarker::currentWidget = NULL;

// How many markers know each window: the window under the pointer is
// forgotten only when the last of them does.
static std::map<Widget, int> markersOfWidget;

// Forgets that one more marker knew w.
static void releaseWidget(Widget w)
{
    auto it = markersOfWidget.find(w);
    if (it != markersOfWidget.end() && --it->second > 0)
        return;
    if (it != markersOfWidget.end())
        markersOfWidget.erase(it);
    if (w == ZnMarker::currentWidget)
        ZnMarker::currentWidget = NULL;
}

// Two releases closer than this many milliseconds make a double click.
static const unsigned long DOUBLE_CLICK_MS = 301;

void ZnMarker::initClass()
{
    // The parent kit, and the note list that the catalog names.
    SoInteraction::init();
    if (ZnNoteList::getClassTypeId() == SoType::badType())
        ZnNoteList::initClass();
    SO__KIT_INIT_CLASS(ZnMarker, "ZnMarker", SoInteractionKit);
}

ZnMarker::ZnMarker()
    : selectCallback(NULL), selectCallbackData(NULL), deselectCallback(NULL),
      deselectCallbackData(NULL), selected(0), highlighted(0), renderingHighlight(0),
      highlightAction(NULL), highlightPath(NULL),
      windows(new GspGLWindowList((XtEventHandler)&ZnMarker::parentWindowEventCB,
                                  (XtCallbackProc)&ZnMarker::widgetDestroyedCB, this)),
      lastClickTime(0), draggedFields(new GspDraggerFieldDefaults), writtenInFull(0)
{
    GSP_KIT_CONSTRUCTOR(ZnMarker);
    SO_KIT_ADD_CATALOG_ENTRY(material, SoMaterial, TRUE, topSeparator, geomSeparator, TRUE);
    SO_KIT_ADD_CATALOG_ENTRY(notes, ZnNoteList, TRUE, topSeparator, , TRUE);
    SO_KIT_INIT_INSTANCE();

    setOverride(TRUE);
    noteList()->setVisible(FALSE);
}

ZnMarker::~ZnMarker()
{
    delete highlightAction;
    delete draggedFields;
    if (highlightPath)
        highlightPath->unref();
    for (int i = 0; i < windows->getLength(); i++)
        releaseWidget(windows->widget(i));
    delete windows;
}

// The part's field holds the part once it is made: a list of thousands of
// markers need not look each one up in the catalog by name.
ZnNoteList *ZnMarker::noteList()
{
    if (SoNode *made = notes.getValue())
        return (ZnNoteList *)made;
    return (ZnNoteList *)getAnyPart("notes", TRUE);
}

// Label and weight.

void ZnMarker::setLabel(const char *label) { noteList()->setLabel(label); }

void ZnMarker::setLabel(const SbString &label) { noteList()->setLabel(label); }

const SbString &ZnMarker::getLabel() { return noteList()->label.getValue(); }

int ZnMarker::getUndoWeight() { return noteList()->getUndoWeight() + 260; }

// What derived markers provide.

SoTransform *ZnMarker::getObjectTransform() { return new SoTransform; }

SoTransform *ZnMarker::getDraggerTransform() { return new SoTransform; }

void ZnMarker::setDefaultNoteAnchor() {}

SbColor *ZnMarker::getDefaultColor() { return NULL; }

SoDragger *ZnMarker::getDragger() { return NULL; }

void ZnMarker::attachDragger() {}

void ZnMarker::detachDragger() {}

// Showing and hiding the notes.

void ZnMarker::select()
{
    if (!selected) {
        noteList()->setVisible(TRUE);
        selected = TRUE;
        highlighted = FALSE;
    }
    attachDragger();
}

void ZnMarker::deselect()
{
    if (selected) {
        ZnNoteList *notes = noteList();
        notes->setVisible(FALSE);
        selected = FALSE;
        if (notes->isAutoPlaying())
            notes->stop();
    }
    detachDragger();
}

void ZnMarker::showNotes()
{
    ZnNoteList *notes = noteList();
    if (!notes->isVisible())
        notes->setVisible(TRUE);
}

void ZnMarker::hideNotes()
{
    ZnNoteList *notes = noteList();
    if (notes->isVisible()) {
        notes->stop();
        notes->setVisible(FALSE);
    }
}

void ZnMarker::deactivate()
{
    ZnNoteList *notes = noteList();
    if (notes->isVisible())
        notes->setVisible(FALSE);
    notes->stop();
}

// Events.

void ZnMarker::handleEvent(SoHandleEventAction *action)
{
    const SoEvent *event = action->getEvent();
    const SoPickedPoint *pp = action->getPickedPoint();
    const SoPath *picked = pp ? pp->getPath() : NULL;
    int onMarker = picked && picked->containsPath(action->getCurPath());
    SoNode *tail = onMarker ? gspFullTail(picked) : NULL;
    int onNote = tail && tail->isOfType(ZnNote::getClassTypeId());

    if (!selected && currentWidget && event->isOfType(SoLocation2Event::getClassTypeId())) {
        int over = onMarker && !picked->containsNode(noteList());
        if (!highlighted && over)
            redrawHighlighted(action, TRUE);
        if (highlighted && !over)
            redrawHighlighted(NULL, FALSE);
        if (highlighted && over)
            action->setHandled();
    }

    int release = SO_MOUSE_RELEASE_EVENT(event, BUTTON1);
    if (ZnCommon::editMode == 2 && !release) {
        SoBaseKit::handleEvent(action);
        return;
    }
    if (SO_MOUSE_PRESS_EVENT(event, BUTTON1)) {
        if (onMarker && !onNote)
            action->setHandled();
        else if (onNote)
            SoBaseKit::handleEvent(action);
        return;
    }
    if (release)
        clickReleased(action, onMarker, onNote);
}

void ZnMarker::clickReleased(SoHandleEventAction *action, int onMarker, int onNote)
{
    ZnNoteList *notes = noteList();
    if (!onMarker) {
        // Not marked handled: every marker sees a release elsewhere.
        if (ZnCommon::editMode == 1 && notes->isVisible()) {
            notes->stop();
            if (deselectCallback)
                (*deselectCallback)(deselectCallbackData, this);
            notes->setVisible(FALSE);
        }
        return;
    }
    if (onNote) {
        SoBaseKit::handleEvent(action);
        if (notes->isAutoPlaying())
            notes->stop();
        return;
    }
    time_t sec;
    long usec;
    action->getEvent()->getTime().getValue(sec, usec);
    unsigned long t = (unsigned long)sec * 1000 + usec / 1000;
    if (t - lastClickTime < DOUBLE_CLICK_MS) {
        if (ZnCommon::editMode == 1 || notes->isAutoPlaying())
            notes->stop();
        notes->autoPlay();
    } else if (ZnCommon::editMode == 1 && !notes->isVisible()) {
        notes->setVisible(TRUE);
        if (selectCallback)
            (*selectCallback)(selectCallbackData, this);
    }
    lastClickTime = t;
}

// Rendering and the locate highlight.

void ZnMarker::GLRender(SoGLRenderAction *action)
{
    SoState *state = action->getState();
    if (!renderingHighlight && !SoGLLazyElement::isColorIndex(state))
        checkForWindow();
    // Only a tracked widget is known to be alive.
    int lit = highlighted && currentWidget && windows->findWidget(currentWidget) >= 0 &&
              glXGetCurrentDrawable() == XtWindow(currentWidget);
    if (lit)
        state->push();
    // A marker may change its look between frames: no separator caches it.
    SoCacheElement::invalidate(state);
    if (lit) {
        static const SbColor glow(0.3f, 0.3f, 0.3f);
        SoEmissiveColorElement::set(state, this, 1, &glow);
        SoOverrideElement::setEmissiveColorOverride(state, this, TRUE);
    }
    SoBaseKit::GLRender(action);
    if (lit)
        state->pop();
}

void ZnMarker::checkForWindow()
{
    int known = windows->getLength();
    int i = windows->noteCurrent(GspGLWindowList::TO_FRONT_IF_PARENT_SHARED);
    if (i < 0)
        return;  // not a window of this application's widgets
    if (windows->getLength() > known)
        markersOfWidget[windows->widget(0)]++;
    if (!currentWidget)
        currentWidget = windows->widget(i);
}

void ZnMarker::parentWindowEventCB(Widget w, ZnMarker *marker, XAnyEvent *event, char *)
{
    if (event->type == EnterNotify) {
        int i = marker->windows->findParent(w);
        if (i >= 0)
            currentWidget = marker->windows->widget(i);
    } else if (marker->highlighted) {
        marker->redrawHighlighted(NULL, FALSE);
    }
}

void ZnMarker::widgetDestroyedCB(Widget w, ZnMarker *marker, void *)
{
    releaseWidget(w);
    marker->windows->forgetWidget(w);
}

void ZnMarker::redrawHighlighted(SoHandleEventAction *action, int on)
{
    if (!currentWidget)
        return;
    highlighted = on;
    if (on) {
        if (highlightPath)
            highlightPath->unref();
        highlightPath = action->getCurPath()->copy();
        highlightPath->ref();
    }
    if (!highlightAction && action)
        highlightAction = new SoGLRenderAction(action->getViewportRegion());
    else if (action)
        highlightAction->setViewportRegion(action->getViewportRegion());
    int i = windows->findWidget(currentWidget);
    if (highlightAction && highlightPath && i >= 0)
        gspDrawIntoFrontBuffer(currentWidget, windows->context(i), highlightAction,
                               highlightPath, renderingHighlight);
    if (!highlighted && highlightPath) {
        highlightPath->unref();
        highlightPath = NULL;
    }
}

// File form: binary files carry one 32-bit zero after a marker written
// in full, and the header marks the marker a group, so that a reader
// without this library reads the zero as its child count and skips no
// data. The kit writes itself (its writing state must be kept and cleared
// by its own passes); its header, which marks no group, is then amended
// where it was written: in the memory buffer or the file. Output that
// cannot be written back into (a pipe, a socket) gets the kit's bytes
// through a temporary file, amended there before they are passed on.

namespace {

const uint32_t IS_GROUP = 2;  // the header's flag bit for nodes with children

}

// The output's file, which the toolkit does not let be replaced.
struct GspOutputFileTag {
    typedef FILE *SoOutput::*type;
    friend type memberOf(GspOutputFileTag);
};
template struct GspPrivateMember<GspOutputFileTag, &SoOutput::fp>;

namespace {

// Where the next byte of out goes (flushed), or -1 if it cannot be
// reached again.
long outputOffset(SoOutput *out)
{
    void *buf;
    size_t n;
    if (out->getBuffer(buf, n))
        return (long)n;
    FILE *fp = out->getFilePointer();
    struct stat st;
    if (!fp || fflush(fp) != 0 || fstat(fileno(fp), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return (long)ftello(fp);
}

// Reads or overwrites n bytes at offset of what out holds, or of file
// when one is given (open for reading and writing). Out's file is read
// through a descriptor of its own: scene files are opened for writing
// only.
bool outputBytes(SoOutput *out, FILE *file, long offset, void *data, size_t n, bool store)
{
    void *buf;
    size_t size;
    if (!file && out->getBuffer(buf, size)) {
        if ((size_t)offset + n > size)
            return false;
        char *at = (char *)buf + offset;
        memcpy(store ? at : data, store ? data : at, n);
        return true;
    }
    FILE *fp = file ? file : out->getFilePointer();
    if (!fp || fflush(fp) != 0)
        return false;
    if (store)
        return pwrite(fileno(fp), data, n, offset) == (ssize_t)n;
    if (file)
        return pread(fileno(fp), data, n, offset) == (ssize_t)n;
    int in = gspOpenForReading(fileno(fp));
    bool ok = in >= 0 && pread(in, data, n, offset) == (ssize_t)n;
    if (in >= 0)
        close(in);
    return ok;
}

// The string of a binary header at offset (a length word and the
// characters, filled to a word); advances offset past it.
bool headerString(SoOutput *out, FILE *file, long &offset, std::string &s)
{
    unsigned char word[4];
    if (!outputBytes(out, file, offset, word, 4, false))
        return false;
    uint32_t n = (uint32_t)word[0] << 24 | (uint32_t)word[1] << 16 | word[2] << 8 | word[3];
    if (n > 4096)
        return false;
    s.assign(n, '\0');
    if (n > 0 && !outputBytes(out, file, offset + 4, &s[0], n, false))
        return false;
    offset += 4 + ((n + 3) & ~3u);
    return true;
}

// Marks the node header written at offset ("DEF name" and the type name
// before the flags word) a group.
void markGroupHeader(SoOutput *out, FILE *file, long offset)
{
    std::string s;
    if (!headerString(out, file, offset, s))
        return;
    if (s == "DEF" && !(headerString(out, file, offset, s) && headerString(out, file, offset, s)))
        return;
    unsigned char flags[4];
    if (outputBytes(out, file, offset, flags, 4, false)) {
        flags[3] |= IS_GROUP;
        outputBytes(out, file, offset, flags, 4, true);
    }
}

}

// A selected marker holds the shared dragger, connected both ways to its
// transform, which the toolkit would write and follow without end: it is
// taken out for each pass of the write and put back after it.
void ZnMarker::write(SoWriteAction *action)
{
    int holdsDragger = selected;
    if (holdsDragger)
        detachDragger();
    writeKit(action);
    if (holdsDragger)
        attachDragger();
}

// A marker written before in the same write is written as a reference,
// which takes no extra word.
void ZnMarker::writeKit(SoWriteAction *action)
{
    SoOutput *out = action->getOutput();
    if (out->getStage() == SoOutput::COUNT_REFS)
        writtenInFull = 0;
    if (out->getStage() == SoOutput::COUNT_REFS || !out->isBinary()) {
        SoInteractionKit::write(action);
        return;
    }
    int full = !writtenInFull;
    writtenInFull = 1;
    long header = full ? outputOffset(out) : 0;
    if (header >= 0) {
        SoInteractionKit::write(action);
        if (full)
            markGroupHeader(out, NULL, header);
    } else {
        writeKitThroughTemporaryFile(action);
    }
    if (full)
        out->write((int)0);
}

// The output's file swapped for a temporary one while the kit writes;
// its bytes go on to the output once the header is marked. Without a
// temporary file the header stays unmarked.
void ZnMarker::writeKitThroughTemporaryFile(SoWriteAction *action)
{
    SoOutput *out = action->getOutput();
    FILE *&fp = out->*memberOf(GspOutputFileTag());
    FILE *real = fp;
    int fd = GspTempFiles::createAnonymous();
    FILE *kept = fd >= 0 ? fdopen(fd, "w+") : NULL;
    if (!kept || !real || fflush(real) != 0) {
        if (kept)
            fclose(kept);
        else if (fd >= 0)
            close(fd);
        SoInteractionKit::write(action);
        return;
    }
    fp = kept;
    SoInteractionKit::write(action);
    fp = real;
    markGroupHeader(out, kept, 0);
    off_t size = fflush(kept) == 0 ? lseek(fileno(kept), 0, SEEK_END) : -1;
    if (size > 0)
        gspCopyRange(fileno(kept), 0, fileno(real), (size_t)size);
    fclose(kept);
}

SbBool ZnMarker::readInstance(SoInput *in, unsigned short flags)
{
    SbBool ok = SoInteractionKit::readInstance(in, flags);
    if (in->isBinary()) {
        int ignored;
        in->read(ignored);
    }
    setDefaultNoteAnchor();
    return ok;
}
