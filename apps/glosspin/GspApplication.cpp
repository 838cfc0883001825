#include "GspApplication.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <X11/IntrinsicP.h>
#include <X11/keysym.h>

#include <Glosspin/Glosspin.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/Xt/viewers/SoXtExaminerViewer.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoRayPickAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/draggers/SoDragger.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTransform.h>
#include <Inventor/sensors/SoNodeSensor.h>
#include <Inventor/sensors/SoOneShotSensor.h>
#include <Inventor/sensors/SoTimerSensor.h>
#include <Xm/CascadeBG.h>
#include <Xm/MainW.h>
#include <Xm/Protocols.h>
#include <Xm/PushBG.h>
#include <Xm/RowColumn.h>
#include <Xm/SeparatoG.h>
#include <Xm/ToggleBG.h>

namespace {

// The undo history holds about this many weight units: some hundred
// markers with their notes, or 100 MB of media.
const long UNDO_WEIGHT_LIMIT = 100000;

enum { RADIO = 1, SEPARATOR_BEFORE = 2 };

struct MenuItem {
    const char *name, *label, *accelerator, *acceleratorText;
    int flags;
};

// One row a command, in the order of GspApplication::Command.
const MenuItem items[GspApplication::NUM_COMMANDS] = {
    {"fileNew", "New", "Ctrl<Key>n", "Ctrl+N", 0},
    {"fileOpen", "Open...", "Ctrl<Key>o", "Ctrl+O", 0},
    {"fileImport", "Import Object...", NULL, NULL, 0},
    {"fileSave", "Save", "Ctrl<Key>s", "Ctrl+S", SEPARATOR_BEFORE},
    {"fileSaveAs", "Save As...", NULL, NULL, 0},
    {"filePublish", "Publish as Web Page...", NULL, NULL, 0},
    {"fileQuit", "Quit", "Ctrl<Key>q", "Ctrl+Q", SEPARATOR_BEFORE},
    {"editUndo", "Undo", "Ctrl<Key>z", "Ctrl+Z", 0},
    {"editRedo", "Redo", "Ctrl<Key>y", "Ctrl+Y", 0},
    {"editCut", "Cut", "Ctrl<Key>x", "Ctrl+X", SEPARATOR_BEFORE},
    {"editCopy", "Copy", "Ctrl<Key>c", "Ctrl+C", 0},
    {"editPaste", "Paste", "Ctrl<Key>v", "Ctrl+V", 0},
    {"editDelete", "Delete", "<Key>Delete", "Del", 0},
    {"modeViewing", "Viewing", "Ctrl<Key>1", "Ctrl+1", RADIO},
    {"modeAuthoring", "Authoring", "Ctrl<Key>2", "Ctrl+2", RADIO},
    {"markerArrow", "New Arrow Marker", NULL, NULL, 0},
    {"markerBullet", "New Bullet Marker", NULL, NULL, 0},
    {"arrowPlain", "Arrow", NULL, NULL, RADIO},
    {"arrowLine", "Line Arrow", NULL, NULL, RADIO},
    {"arrowPushpin", "Pushpin", NULL, NULL, RADIO},
    {"markerLabel", "Label...", NULL, NULL, SEPARATOR_BEFORE},
    {"markerList", "Marker List & Player", "Ctrl<Key>l", "Ctrl+L", SEPARATOR_BEFORE},
    {"noteText", "New Text Note", NULL, NULL, 0},
    {"noteUrl", "New Web Link", NULL, NULL, 0},
    {"noteView", "New View Note", NULL, NULL, 0},
    {"noteMovie", "Record Movie Note", NULL, NULL, 0},
    {"noteSound", "Record Sound Note", NULL, NULL, 0},
    {"noteImage", "Take Image Note", NULL, NULL, 0},
    {"noteCommand", "New Command Note", NULL, NULL, 0},
    {"noteMovieFile", "Movie Note from File...", NULL, NULL, SEPARATOR_BEFORE},
    {"noteSoundFile", "Sound Note from File...", NULL, NULL, 0},
    {"noteImageFile", "Image Note from File...", NULL, NULL, 0},
    {"noteSceneFile", "Scene Note from File...", NULL, NULL, 0},
    {"noteEdit", "Edit Note", "Ctrl<Key>e", "Ctrl+E", SEPARATOR_BEFORE},
    {"notePlay", "Play Note", "Ctrl<Key>p", "Ctrl+P", 0},
    {"noteOptions", "Playback Options...", NULL, NULL, 0},
    {"noteInline", "Keep Media in Scene File", NULL, NULL, SEPARATOR_BEFORE},
    {"noteExternal", "Keep Media in External File...", NULL, NULL, 0},
    {"helpKeys", "Keys and Mouse", NULL, NULL, 0},
    {"helpAbout", "About Glosspin", NULL, NULL, 0},
};

struct Menu {
    const char *name, *label;
    char mnemonic;
    int first, last;  // commands
    bool authoring;   // hidden with --view-only
};

const Menu menus[] = {
    {"file", "File", 'F', GspApplication::FILE_NEW, GspApplication::FILE_QUIT, false},
    {"edit", "Edit", 'E', GspApplication::EDIT_UNDO, GspApplication::EDIT_DELETE, true},
    {"mode", "Mode", 'M', GspApplication::MODE_VIEWING, GspApplication::MODE_AUTHORING, true},
    {"markers", "Markers", 'a', GspApplication::MARKER_ARROW, GspApplication::MARKER_LIST, true},
    {"notes", "Notes", 'N', GspApplication::NOTE_TEXT, GspApplication::NOTE_EXTERNAL, true},
    {"help", "Help", 'H', GspApplication::HELP_KEYS, GspApplication::HELP_ABOUT, false},
};

XmString text(const std::string &key, const char *fallback)
{
    return XmStringCreateLocalized((char *)ZnCommon::getResource(key.c_str(), fallback));
}

// The nodes of interest on a pick path, innermost first.
struct PickedParts {
    ZnNote *note = nullptr;
    ZnMarker *marker = nullptr;
    bool onDragger = false;
};

PickedParts partsOf(const SoPickedPoint *point)
{
    PickedParts parts;
    if (!point)
        return parts;
    SoFullPath *path = (SoFullPath *)point->getPath();
    for (int i = path->getLength() - 1; i >= 0; i--) {
        SoNode *n = path->getNode(i);
        if (!parts.note && n->isOfType(ZnNote::getClassTypeId()))
            parts.note = (ZnNote *)n;
        if (n->isOfType(SoDragger::getClassTypeId()))
            parts.onDragger = true;
        if (!parts.marker && n->isOfType(ZnMarker::getClassTypeId()))
            parts.marker = (ZnMarker *)n;
    }
    return parts;
}

}

// The pending notes' callbacks carry no data: they find the application
// here.
GspApplication *GspApplication::current = nullptr;

GspApplication::GspApplication(Widget topShell, const Options &o)
    : top(topShell), fileDialog(NULL), questionDialog(NULL), promptDialog(NULL), infoDialog(NULL),
      binaryToggle(NULL), replaceDialog(NULL), replaceBinary(false), scene(NULL), sequencer(NULL), startTimer(0), binaryFile(false),
      modified(false),
      present(o.present), viewOnly(o.viewOnly), selectedMarker(NULL), selectedNote(NULL),
      history(UNDO_WEIGHT_LIMIT), armedMarker(-1), dragged(NULL), editedNote(NULL),
      noteBefore(NULL), editStep(NULL), fileDialogPurpose(-1), pendingAfterSave(-1),
      tourStarted(0), followed(NULL), flight(NULL)
{
    current = this;
    memset(commandWidgets, 0, sizeof commandWidgets);
    dragEnd = new SoOneShotSensor(dragEndedCB, this);
    noteSensor = new SoNodeSensor(noteChangedCB, this);
    tourWatch = new SoTimerSensor(tourWatchCB, this);
    tourWatch->setInterval(SbTime(0.25));
    tourFollow = new SoTimerSensor(tourFollowCB, this);
    tourFollow->setInterval(SbTime(0.15));

    mainWindow = XmCreateMainWindow(top, (char *)"mainWindow", NULL, 0);
    buildMenus();
    viewer = new SoXtExaminerViewer(mainWindow);
    XtVaSetValues(mainWindow, XmNmenuBar, menuBar, XmNworkWindow, viewer->getWidget(), NULL);
    viewer->setEventCallback(viewerEventCB, this);
    viewer->setViewing(FALSE);
    viewer->show();
    XtManageChild(mainWindow);
    XtVaSetValues(top, XmNdeleteResponse, XmDO_NOTHING, NULL);
    XmAddWMProtocolCallback(top, XmInternAtom(XtDisplay(top), (char *)"WM_DELETE_WINDOW", False),
                            quitCB, this);
    // Alt belongs to the viewer; the draggers' Alt modes answer Ctrl too.
    ZnCommon::controlForAlt = 1;

    // A presentation shows the scene, the tour's player icon and the notes.
    if (present) {
        XtUnmanageChild(menuBar);
        viewer->setDecoration(FALSE);
        ZnURLNote::unattendedSeconds = 10;
    }

    XtRealizeWidget(top);
    newScene();
    setEditMode(o.present || o.viewOnly ? 1 : 2);
    // The file opens from the event loop, once the main window is shown,
    // so that an error dialog stands above it.
    startFile = o.file ? o.file : "";
    startTimer = XtAppAddTimeOut(XtWidgetToApplicationContext(top), 0, startCB, this);
}

void GspApplication::startCB(XtPointer data, XtIntervalId *)
{
    GspApplication *app = (GspApplication *)data;
    app->startTimer = 0;
    bool opened = !app->startFile.empty() && app->open(app->startFile.c_str());
    if (app->present && !opened)
        app->leaveAfterDialog(1);  // nothing to present
    else if (app->present)
        app->tourWatch->schedule();
}

GspApplication::~GspApplication()
{
    if (startTimer)
        XtRemoveTimeOut(startTimer);
    stopFollowingNote();
    releaseScene();
    delete dragEnd;
    delete noteSensor;
    delete tourWatch;
    delete tourFollow;
    if (flight) {
        flight->killPlayer();
        flight->unref();
    }
    for (SoDragger *d : hookedDraggers) {
        d->removeStartCallback(dragStartCB, this);
        d->removeFinishCallback(dragFinishCB, this);
        d->unref();
    }
    delete viewer;
    XtDestroyWidget(mainWindow);
    // The dialogs are the top-level widget's: they go now, while the
    // members their destruction clears are still here.
    for (Widget d : {fileDialog, questionDialog, promptDialog, infoDialog, replaceDialog})
        if (d)
            XtDestroyWidget(XtParent(d));
    current = nullptr;
}

void GspApplication::buildMenus()
{
    menuBar = XmCreateMenuBar(mainWindow, (char *)"menuBar", NULL, 0);
    for (const Menu &m : menus) {
        std::string pulldownName = std::string(m.name) + "Menu";
        Widget pulldown = XmCreatePulldownMenu(menuBar, (char *)pulldownName.c_str(), NULL, 0);
        XmString label = text(std::string("menu_") + m.name, m.label);
        Widget cascade = XtVaCreateWidget(m.name, xmCascadeButtonGadgetClass, menuBar,
                                          XmNlabelString, label, XmNmnemonic, (KeySym)m.mnemonic,
                                          XmNsubMenuId, pulldown, NULL);
        XmStringFree(label);
        if (!strcmp(m.name, "help"))
            XtVaSetValues(menuBar, XmNmenuHelpWidget, cascade, NULL);
        if (!(viewOnly && m.authoring))
            XtManageChild(cascade);
        Widget parent = pulldown;
        for (int c = m.first; c <= m.last; c++) {
            // The arrow types make a menu of their own.
            if (c == ARROW_PLAIN) {
                Widget types = XmCreatePulldownMenu(pulldown, (char *)"arrowTypeMenu", NULL, 0);
                XtVaSetValues(types, XmNradioBehavior, True, NULL);
                XmString l = text("menu_arrowType", "Arrow Type");
                XtManageChild(XtVaCreateWidget("arrowType", xmCascadeButtonGadgetClass, pulldown,
                                               XmNlabelString, l, XmNsubMenuId, types, NULL));
                XmStringFree(l);
                parent = types;
            } else if (c == MARKER_LABEL)
                parent = pulldown;
            if (items[c].flags & SEPARATOR_BEFORE && parent == pulldown)
                XtManageChild(XmCreateSeparatorGadget(parent, (char *)"separator", NULL, 0));
            XmString l = text(std::string("menu_") + items[c].name, items[c].label);
            Widget w;
            if (items[c].flags & RADIO)
                w = XtVaCreateWidget(items[c].name, xmToggleButtonGadgetClass, parent,
                                     XmNlabelString, l, XmNindicatorType, XmONE_OF_MANY,
                                     XmNindicatorOn, XmINDICATOR_FILL, XmNvisibleWhenOff, True,
                                     NULL);
            else
                w = XtVaCreateWidget(items[c].name, xmPushButtonGadgetClass, parent,
                                     XmNlabelString, l, NULL);
            XmStringFree(l);
            if (items[c].accelerator) {
                XmString a = XmStringCreateLocalized((char *)items[c].acceleratorText);
                XtVaSetValues(w, XmNaccelerator, items[c].accelerator, XmNacceleratorText, a,
                              NULL);
                XmStringFree(a);
            }
            XtAddCallback(w, items[c].flags & RADIO ? XmNvalueChangedCallback
                                                    : XmNactivateCallback,
                          commandCB, this);
            if (!viewOnly || isViewingCommand(c))
                XtManageChild(w);
            commandWidgets[c] = w;
        }
        if (m.first == MODE_VIEWING)
            XtVaSetValues(pulldown, XmNradioBehavior, True, NULL);
    }
    XtManageChild(menuBar);
}

// The commands a viewer without the authoring menus keeps.
bool GspApplication::isViewingCommand(int c)
{
    return c == FILE_OPEN || c == FILE_QUIT || c == MARKER_LIST || c == HELP_KEYS ||
           c == HELP_ABOUT;
}

// Menu items that have nothing to work on are greyed out.
void GspApplication::updateMenus()
{
    bool note = selectedNote != NULL, marker = selectedMarker != NULL;
    bool arrow = marker && selectedMarker->isOfType(ZnArrowMarker::getClassTypeId());
    bool sensitive[NUM_COMMANDS];
    for (bool &s : sensitive)
        s = true;
    sensitive[EDIT_UNDO] = history.canUndo();
    sensitive[EDIT_REDO] = history.canRedo();
    sensitive[EDIT_CUT] = sensitive[EDIT_COPY] = sensitive[EDIT_DELETE] = note || marker;
    sensitive[EDIT_PASTE] = !clipboard.isEmpty() && (clipboard.holdsMarker() || marker);
    for (int c = ARROW_PLAIN; c <= ARROW_PUSHPIN; c++)
        sensitive[c] = arrow;
    sensitive[MARKER_LABEL] = marker;
    for (int c = NOTE_TEXT; c <= NOTE_SCENE_FILE; c++)
        sensitive[c] = marker;
    for (int c = NOTE_EDIT; c <= NOTE_EXTERNAL; c++)
        sensitive[c] = note;
    if (note)
        sensitive[NOTE_EXTERNAL] = selectedNote->canBeExternal();
    for (int c = 0; c < NUM_COMMANDS; c++)
        if (commandWidgets[c])
            XtSetSensitive(commandWidgets[c], sensitive[c]);
    for (int c = ARROW_PLAIN; c <= ARROW_PUSHPIN; c++)
        XmToggleButtonGadgetSetState(
            commandWidgets[c], arrow && ((ZnArrowMarker *)selectedMarker)->getArrowType() ==
                                            c - ARROW_PLAIN,
            False);
    // "Undo Move Marker": the items name the step they take back or redo.
    const GspUndoStep *steps[2] = {history.nextUndo(), history.nextRedo()};
    for (int i = 0; i < 2; i++) {
        int c = i ? EDIT_REDO : EDIT_UNDO;
        std::string label = ZnCommon::getResource((std::string("menu_") + items[c].name).c_str(),
                                                  items[c].label);
        if (steps[i] && !steps[i]->name.empty())
            label += " " + steps[i]->name;
        XmString l = XmStringCreateLocalized((char *)label.c_str());
        XtVaSetValues(commandWidgets[c], XmNlabelString, l, NULL);
        XmStringFree(l);
    }
    XmToggleButtonGadgetSetState(commandWidgets[MODE_VIEWING], ZnCommon::editMode == 1, False);
    XmToggleButtonGadgetSetState(commandWidgets[MODE_AUTHORING], ZnCommon::editMode == 2, False);
}

void GspApplication::setTitle()
{
    std::string name = fileName.empty() ? ZnCommon::getResource("title_untitled", "Untitled")
                                        : fileName.substr(fileName.rfind('/') + 1);
    std::string title = std::string(modified ? "* " : "") + name + " - " +
                        ZnCommon::getResource("title_glosspin", "Glosspin");
    XtVaSetValues(top, XmNtitle, title.c_str(), XmNiconName, name.c_str(), NULL);
}

// Any other change ends the following of a note's edit, whose copy from
// before would no longer be the state to go back to.
void GspApplication::markModified()
{
    if (editStep && !history.isNewest(editStep))
        stopFollowingNote();
    if (!modified) {
        modified = true;
        setTitle();
    }
    updateMenus();
}

void GspApplication::setEditMode(int mode)
{
    armedMarker = -1;
    if (mode != 2 && selectedMarker)
        selectedMarker->deselect();
    ZnCommon::editMode = mode;
    if (mode == 2 && selectedMarker)
        selectMarker(selectedMarker);
    if (sequencer)
        sequencer->showAuthoringUI(mode == 2);
    updateMenus();
}

void GspApplication::hookDragger(SoDragger *dragger)
{
    if (!dragger || hookedDraggers.count(dragger))
        return;
    hookedDraggers.insert(dragger);
    dragger->ref();
    dragger->addStartCallback(dragStartCB, this);
    dragger->addFinishCallback(dragFinishCB, this);
}

// In authoring mode the selected marker carries its dragger; in viewing
// mode the selection only names what the menus work on.
void GspApplication::selectMarker(ZnMarker *marker)
{
    if (selectedMarker && selectedMarker != marker) {
        selectedMarker->deselect();
        selectedMarker->unref();
        selectedMarker = NULL;
    }
    if (marker && marker != selectedMarker) {
        marker->ref();
        selectedMarker = marker;
    }
    if (marker && ZnCommon::editMode == 2) {
        hookDragger(marker->getDragger());
        marker->select();
    }
    // In authoring mode the tour's current marker is the selected one.
    if (sequencer && ZnCommon::editMode == 2 &&
        sequencer->findMarker(marker) != sequencer->getCurrentIndex())
        sequencer->setCurrentMarker(marker);
    updateMenus();
}

void GspApplication::selectNote(ZnNote *note)
{
    if (selectedNote && selectedNote != note) {
        selectedNote->deselect();
        selectedNote->unref();
        selectedNote = NULL;
    }
    if (note && note != selectedNote) {
        note->ref();
        note->select();
        selectedNote = note;
        // An open options dialog now shows this note: its changes are
        // followed, to be undone.
        if (ZnNote::dialogVisible && ZnNote::noteToEdit == note)
            followNoteEdit(note);
    }
    updateMenus();
}

// Lets go of a node that leaves the scene, and of what is inside it.
void GspApplication::forget(SoNode *node)
{
    if (selectedNote && (node == selectedNote || (node->isOfType(ZnMarker::getClassTypeId()) &&
                                                  markerOfNote(selectedNote) == node)))
        selectNote(NULL);
    if (editedNote && (node == editedNote || markerOfNote(editedNote) == node))
        stopFollowingNote();
    if (node == selectedMarker)
        selectMarker(NULL);
    if (node->isOfType(ZnNote::getClassTypeId()) && ((ZnNote *)node)->isPlaying())
        ((ZnNote *)node)->killPlayer();
    if (node->isOfType(ZnMarker::getClassTypeId()))
        noteListOf((ZnMarker *)node)->killAllPlayers();
}

GspRemovalHook GspApplication::removalHook()
{
    return [this](SoNode *node) { forget(node); };
}

SbBool GspApplication::viewerEventCB(void *data, XAnyEvent *event)
{
    GspApplication *app = (GspApplication *)data;
    if (event->type == ButtonPress && ((XButtonEvent *)event)->button == Button1)
        return app->buttonPressed((XButtonEvent *)event);
    // A presentation has no menus: Esc or Ctrl+Q leaves.
    if (event->type == KeyPress && app->present) {
        XKeyEvent *key = (XKeyEvent *)event;
        KeySym sym = XLookupKeysym(key, 0);
        if (sym == XK_Escape || ((key->state & ControlMask) && sym == XK_q)) {
            app->modified = false;
            app->command(FILE_QUIT);
            return TRUE;
        }
    }
    return FALSE;
}

// Selection and the placing of new markers happen on the press; the scene
// gets the press after, so that a marker selected by it can be dragged at
// once.
bool GspApplication::buttonPressed(XButtonEvent *event)
{
    const SbViewportRegion &vp = viewer->getViewportRegion();
    SbVec2s pixel((short)event->x, (short)(vp.getWindowSize()[1] - 1 - event->y));
    SoRayPickAction pick(vp);
    pick.setPoint(pixel);
    pick.setRadius(3);
    pick.apply(viewer->getSceneManager()->getSceneGraph());
    const SoPickedPoint *point = pick.getPickedPoint();
    PickedParts parts = partsOf(point);
    if (armedMarker >= 0) {
        int kind = armedMarker;
        armedMarker = -1;
        if (parts.marker)
            return TRUE;
        placeMarker(kind, point, pixel);
        return TRUE;
    }
    if (parts.onDragger && !parts.note)
        return FALSE;
    if (parts.note) {
        selectNote(parts.note);
        selectMarker(parts.marker);
    } else {
        selectNote(NULL);
        selectMarker(parts.marker);
    }
    return FALSE;
}

void GspApplication::dragStartCB(void *data, SoDragger *)
{
    GspApplication *app = (GspApplication *)data;
    if (!app->selectedMarker)
        return;
    app->dragged = app->selectedMarker;
    app->dragged->ref();
    app->dragStart = GspMarkerState(app->dragged);
}

// The marker takes up a new object only in its own finish callback, after
// this one; the drag is recorded once the callbacks have run.
void GspApplication::dragFinishCB(void *data, SoDragger *)
{
    ((GspApplication *)data)->dragEnd->schedule();
}

void GspApplication::dragEndedCB(void *data, SoSensor *)
{
    GspApplication *app = (GspApplication *)data;
    if (!app->dragged)
        return;
    ZnMarker *marker = app->dragged;
    app->dragged = NULL;
    app->changeMarker(marker, std::move(app->dragStart), "undo_moveMarker", "Move Marker");
    // A drag that changed nothing leaves its start here, with a path that
    // holds the scene's root.
    app->dragStart = GspMarkerState();
    marker->unref();
}

void GspApplication::changeMarker(ZnMarker *marker, GspMarkerState &&before, const char *key,
                                  const char *fallback)
{
    if (GspMarkerState(marker) == before)
        return;
    record(new GspMarkerChange(marker, std::move(before)), key, fallback);
    markModified();
}

namespace {

void leaveCB(Widget, XtPointer status, XtPointer)
{
    ZnCommon::cleanUpAllFiles();
    exit((int)(intptr_t)status);
}

}

// The program leaves with status once the error dialog just shown is
// dismissed or closed.
void GspApplication::leaveAfterDialog(int status)
{
    if (top->core.num_popups == 0)
        leaveCB(NULL, (XtPointer)(intptr_t)status, NULL);
    Widget shell = top->core.popup_list[top->core.num_popups - 1];
    XtAddCallback(shell, XmNpopdownCallback, leaveCB, (XtPointer)(intptr_t)status);
    XmAddWMProtocolCallback(shell, XmInternAtom(XtDisplay(top), (char *)"WM_DELETE_WINDOW", False),
                            leaveCB, (XtPointer)(intptr_t)status);
}

void GspApplication::quitCB(Widget, XtPointer data, XtPointer)
{
    ((GspApplication *)data)->command(FILE_QUIT);
}

const char *GspApplication::commandName(int which)
{
    return items[which].name;
}

void GspApplication::commandCB(Widget w, XtPointer data, XtPointer)
{
    GspApplication *app = (GspApplication *)data;
    for (int c = 0; c < NUM_COMMANDS; c++)
        if (app->commandWidgets[c] == w) {
            // A radio item reports being switched off too.
            if ((items[c].flags & RADIO) && !XmToggleButtonGadgetGetState(w))
                return;
            app->command(c);
            return;
        }
}

// In authoring mode the tour leaves the choice of the current marker to
// the application: the marker it wants is selected, the one it gives up
// deselected, and one it deletes leaves the scene as Edit > Delete does.
void GspApplication::tourPickCB(void *data, ZnMarker *marker)
{
    ((GspApplication *)data)->selectMarker(marker);
}

void GspApplication::tourUnpickCB(void *data, ZnMarker *marker)
{
    GspApplication *app = (GspApplication *)data;
    if (app->selectedMarker == marker)
        app->selectMarker(NULL);
}

// The sequencer takes the marker out of the tour itself, just after.
void GspApplication::tourDeleteCB(void *data, ZnMarker *marker)
{
    GspApplication *app = (GspApplication *)data;
    app->removeMarker(marker, true);
    app->updateMenus();
}

void GspApplication::tourMoveCB(void *data, ZnMarker *, int from, int to)
{
    GspApplication *app = (GspApplication *)data;
    app->record(new GspTourMove(app->sequencer, from, to), "undo_reorderTour", "Reorder Tour");
    app->markModified();
}

// Whenever the tour makes another marker current (play, step, a click in
// the list), the camera flies to show it, as a view note flies, unless it
// is in view or its first note is a view note that sets the view itself.
void GspApplication::tourFollowCB(void *data, SoSensor *)
{
    GspApplication *app = (GspApplication *)data;
    ZnMarkerSequencer *seq = app->sequencer;
    int i = seq ? seq->getCurrentIndex() : -1;
    ZnMarker *current = i >= 0 && i < seq->getNumMarkers() ? seq->getMarker(i) : NULL;
    if (current == app->followed)
        return;
    app->followed = current;
    if (current)
        app->bringIntoView(current);
}

void GspApplication::bringIntoView(ZnMarker *marker)
{
    ZnNoteList *notes = noteListOf(marker);
    if (notes->getNumChildren() > 1 && notes->getChild(1)->isOfType(ZnViewNote::getClassTypeId()))
        return;
    SoCamera *camera = viewer->getCamera();
    SoSearchAction sa;
    sa.setNode(marker);
    sa.apply(scene);
    if (!camera || !sa.getPath())
        return;
    const SbViewportRegion &vp = viewer->getViewportRegion();
    SoGetBoundingBoxAction bba(vp);
    bba.apply(sa.getPath());
    SbBox3f box = bba.getBoundingBox();
    if (box.isEmpty())
        return;
    SbViewVolume vv = camera->getViewVolume(vp.getViewportAspectRatio());
    bool inView = true;
    const SbVec3f &lo = box.getMin(), &hi = box.getMax();
    for (int c = 0; c < 8 && inView; c++) {
        SbVec3f corner(c & 1 ? hi[0] : lo[0], c & 2 ? hi[1] : lo[1], c & 4 ? hi[2] : lo[2]), s;
        vv.projectToScreen(corner, s);
        SbVec3f toCorner = corner - vv.getProjectionPoint();
        inView = toCorner.dot(vv.getProjectionDirection()) > 0 && s[0] >= 0 && s[0] <= 1 &&
                 s[1] >= 0 && s[1] <= 1;
    }
    if (inView)
        return;
    // The marker to the middle of the view, as far away as it was, or far
    // enough for it to fit.
    SbVec3f dir = vv.getProjectionDirection(), centre = box.getCenter();
    SbVec3f from = camera->position.getValue();
    float along = (centre - from).dot(dir), across = (hi - lo).length() * 0.6f;
    bool perspective = camera->isOfType(SoPerspectiveCamera::getClassTypeId());
    float height = perspective ? ((SoPerspectiveCamera *)camera)->heightAngle.getValue()
                               : ((SoOrthographicCamera *)camera)->height.getValue();
    if (perspective && along * tanf(height / 2) < across)
        along = across / tanf(height / 2);
    if (flight) {
        flight->killPlayer();
        flight->unref();
    }
    ZnViewNote *view = new ZnViewNote;
    view->ref();
    view->position = centre - dir * along;
    view->orientation = camera->orientation.getValue();
    view->focalDistance = along;
    view->height = perspective || height >= 2 * across ? height : 2 * across;
    view->isPerspectiveCamera = perspective;
    flight = view;
    view->play(0);
}

// Watches a presentation: the tour has started once the sequencer plays
// all, and the program leaves when it stops.
void GspApplication::tourWatchCB(void *data, SoSensor *)
{
    GspApplication *app = (GspApplication *)data;
    if (!app->sequencer)
        return;
    if (!app->tourStarted) {
        app->tourStarted = 1;
        app->sequencer->playerCommand(ZnMarkerSequencer::PLAY_ALL);
        return;
    }
    // After the last marker the sequencer has no current marker.
    if (!app->sequencer->isPlayingAll() || app->sequencer->getCurrentIndex() < 0) {
        app->tourWatch->unschedule();
        app->modified = false;
        app->command(FILE_QUIT);
    }
}
