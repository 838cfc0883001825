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

#include <map>

#include "init/FrontBuffer.h"
#include "init/FullPath.h"
#include "init/GLWindowList.h"
#include "init/ToolkitMacros.h"

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
      lastClickTime(0)
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
    if (highlightPath)
        highlightPath->unref();
    for (int i = 0; i < windows->getLength(); i++)
        releaseWidget(windows->widget(i));
    delete windows;
}

ZnNoteList *ZnMarker::noteList() { return (ZnNoteList *)getAnyPart("notes", TRUE); }

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
// data. The kit's own writer marks no group, so the binary writing pass
// writes the header here and the kit's fields as the kit would (the
// reference-counting pass, which picks the parts to write, is the kit's).

void ZnMarker::write(SoWriteAction *action)
{
    SoOutput *out = action->getOutput();
    if (out->getStage() == SoOutput::COUNT_REFS || !out->isBinary()) {
        SoInteractionKit::write(action);
        return;
    }
    if (writeHeader(out, TRUE, FALSE))
        return;  // a reference to an instance written before
    // As the kit writes: without the connections to its top separator,
    // whose fields would otherwise be written too.
    SbBool connected = setUpConnections(FALSE);
    getFieldData()->write(out, this);
    setUpConnections(connected);
    out->write((int)0);
    writeFooter(out);
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
