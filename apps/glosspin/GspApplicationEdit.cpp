// The application's authoring: markers and notes made, changed, copied
// and deleted, each change a step of the undo history.
#include "GspApplication.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <Glosspin/Glosspin.h>
#include <Inventor/SoPickedPoint.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/Xt/viewers/SoXtExaminerViewer.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoGetMatrixAction.h>
#include <Inventor/SoNodeKitPath.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTransform.h>
#include <Inventor/sensors/SoNodeSensor.h>
#include <Inventor/sensors/SoOneShotSensor.h>
#include <Xm/MessageB.h>
#include <Xm/SelectioB.h>
#include <Xm/Text.h>

#include "common/SceneFile.h"
#include "note/PromptDialog.h"

void GspApplication::command(int which)
{
    if (viewOnly && !isViewingCommand(which))
        return;
    switch (which) {
    case FILE_NEW:
        if (guardUnsaved(FILE_NEW))
            newScene();
        break;
    case FILE_OPEN:
        if (guardUnsaved(FILE_OPEN))
            askFileName(FILE_OPEN);
        break;
    case FILE_IMPORT:
    case FILE_SAVE_AS:
    case FILE_PUBLISH:
    case NOTE_MOVIE_FILE:
    case NOTE_SOUND_FILE:
    case NOTE_IMAGE_FILE:
    case NOTE_SCENE_FILE:
    case NOTE_EXTERNAL:
        askFileName(which);
        break;
    case FILE_SAVE:
        if (fileName.empty())
            askFileName(FILE_SAVE_AS);
        else
            save(fileName.c_str(), binaryFile);
        break;
    case FILE_QUIT:
        if (guardUnsaved(FILE_QUIT)) {
            releaseScene();
            ZnCommon::cleanUpAllFiles();
            exit(0);
        }
        break;
    case EDIT_UNDO:
    case EDIT_REDO:
        stopFollowingNote();
        if (which == EDIT_UNDO ? history.undo() : history.redo())
            markModified();
        break;
    case EDIT_CUT:
        copySelection();
        deleteSelection();
        break;
    case EDIT_COPY:
        copySelection();
        break;
    case EDIT_PASTE:
        paste();
        break;
    case EDIT_DELETE:
        deleteSelection();
        break;
    case MODE_VIEWING:
    case MODE_AUTHORING:
        setEditMode(which == MODE_VIEWING ? 1 : 2);
        break;
    case MARKER_ARROW:
    case MARKER_BULLET:
        if (ZnCommon::editMode != 2)
            setEditMode(2);
        armedMarker = which;
        break;
    case ARROW_PLAIN:
    case ARROW_LINE:
    case ARROW_PUSHPIN:
        setArrowType(which - ARROW_PLAIN);
        break;
    case MARKER_LABEL:
        askLabel();
        break;
    case MARKER_LIST:
        if (sequencer)
            sequencer->showMarkerList();
        break;
    case NOTE_EDIT:
        if (selectedNote) {
            followNoteEdit(selectedNote);
            selectedNote->edit();
        }
        break;
    case NOTE_PLAY:
        if (selectedNote)
            selectedNote->play(0);
        break;
    case NOTE_OPTIONS:
        if (selectedNote) {
            followNoteEdit(selectedNote);
            selectedNote->editNoteOptions();
        }
        break;
    case NOTE_INLINE:
        if (selectedNote) {
            followNoteEdit(selectedNote);
            selectedNote->makeDataInline();
        }
        break;
    case HELP_KEYS:
        showInfo("dialog_helpKeys", "Authoring: click a marker to select it and drag its handles.");
        break;
    case HELP_ABOUT:
        showInfo("dialog_about", "Glosspin: annotated 3-D scenes.");
        break;
    default:
        if (which >= NOTE_TEXT && which <= NOTE_COMMAND)
            newNote(which);
    }
    updateMenus();
}

void GspApplication::showInfo(const char *key, const char *fallback)
{
    if (!infoDialog) {
        infoDialog = XmCreateInformationDialog(top, (char *)"infoDialog", NULL, 0);
        gspForgetOnDestroy(infoDialog, &infoDialog);
        XtUnmanageChild(XmMessageBoxGetChild(infoDialog, XmDIALOG_CANCEL_BUTTON));
        XtUnmanageChild(XmMessageBoxGetChild(infoDialog, XmDIALOG_HELP_BUTTON));
        XtVaSetValues(XtParent(infoDialog), XmNtitle,
                      ZnCommon::getResource("title_help", "Glosspin: Help"), NULL);
    }
    XmString m = XmStringCreateLtoR((char *)ZnCommon::getResource(key, fallback),
                                    (char *)XmFONTLIST_DEFAULT_TAG);
    XtVaSetValues(infoDialog, XmNmessageString, m, NULL);
    XmStringFree(m);
    XtManageChild(infoDialog);
}

ZnNoteList *GspApplication::noteListOf(ZnMarker *marker)
{
    return (ZnNoteList *)marker->getPart("notes", TRUE);
}

// The marker whose note list holds note: the list's path upward is not
// kept, so the sequencer's markers and the scene's are asked.
ZnMarker *GspApplication::markerOfNote(ZnNote *note)
{
    for (int i = 0; sequencer && i < sequencer->getNumMarkers(); i++)
        if (noteListOf(sequencer->getMarker(i))->findChild(note) >= 0)
            return sequencer->getMarker(i);
    for (int i = 0; scene && i < scene->getNumChildren(); i++) {
        SoNode *n = scene->getChild(i);
        if (n->isOfType(ZnMarker::getClassTypeId()) &&
            noteListOf((ZnMarker *)n)->findChild(note) >= 0)
            return (ZnMarker *)n;
    }
    return NULL;
}

SoGroup *GspApplication::markerParent(ZnMarker *marker, int &index)
{
    SoSearchAction sa;
    sa.setNode(marker);
    sa.apply(scene);
    SoFullPath *path = (SoFullPath *)sa.getPath();
    if (!path || path->getLength() < 2) {
        index = -1;
        return NULL;
    }
    index = path->getIndexFromTail(0);
    return (SoGroup *)path->getNodeFromTail(1);
}

// The change, made, becomes the newest step of the history.
void GspApplication::record(GspUndoStep *step, const char *key, const char *fallback)
{
    step->name = ZnCommon::getResource(key, fallback);
    history.push(step);
}

// New markers go at the end of the scene, before the sequencer, and join
// the tour at its end.
void GspApplication::addMarker(ZnMarker *marker, bool pasted)
{
    marker->ref();
    int at = scene->findChild(sequencer);
    if (at < 0)
        at = scene->getNumChildren();
    scene->insertChild(marker, at);
    int place = sequencer->getNumMarkers();
    sequencer->appendMarker(marker);
    record(new GspNodeInsertion(scene, at, marker, sequencer, place, true, removalHook()),
           pasted ? "undo_pasteMarker" : "undo_addMarker", pasted ? "Paste Marker" : "Add Marker");
    selectNote(NULL);
    selectMarker(marker);
    marker->unref();
    markModified();
}

// An arrow stands on the picked surface, its tail along the normal, a
// tenth as long as the object it stands on (the scene's child it is
// part of) is across; a bullet floats at the point, or in the middle of
// the view when nothing was hit, a tenth of the scene across.
void GspApplication::placeMarker(int kind, const SoPickedPoint *point, const SbVec2s &pixel)
{
    if (kind == MARKER_ARROW && !point) {
        ZnCommon::displayError("appNoObjectMsg");
        return;
    }
    SoGetBoundingBoxAction bba(viewer->getViewportRegion());
    bba.apply(scene);
    SbBox3f box = bba.getBoundingBox();
    float size = box.isEmpty() ? 1.0f : (box.getMax() - box.getMin()).length();
    if (size <= 0)
        size = 1;
    SbVec3f at;
    if (point)
        at = point->getPoint();
    else {
        // Under the pointer, as deep in the view as the scene's middle.
        const SbViewportRegion &vp = viewer->getViewportRegion();
        SbViewVolume vv = viewer->getCamera()->getViewVolume(vp.getViewportAspectRatio());
        SbVec2f p((float)pixel[0] / vp.getViewportSizePixels()[0],
                  (float)pixel[1] / vp.getViewportSizePixels()[1]);
        SbLine ray;
        vv.projectPointToLine(p, ray);
        SbVec3f middle = box.isEmpty() ? SbVec3f(0, 0, 0) : box.getCenter();
        SbPlane plane(-vv.getProjectionDirection(), middle);
        if (!plane.intersect(ray, at))
            at = middle;
    }
    if (kind == MARKER_BULLET) {
        // An octahedron of radius 1: a tenth of the scene across.
        float bulletScale = size / 20;
        ZnBulletMarker *bullet = new ZnBulletMarker;
        SbVec3f up = point ? point->getNormal() : SbVec3f(0, 0, 0);
        bullet->getDraggerTransform()->translation = at + up * bulletScale;
        bullet->getDraggerTransform()->scaleFactor = SbVec3f(bulletScale, bulletScale, bulletScale);
        addMarker(bullet);
        return;
    }
    // The path from the document's root to the picked shape.
    SoPath *pick = point->getPath();
    int from = -1;
    for (int i = 0; i < pick->getLength(); i++)
        if (pick->getNode(i) == scene)
            from = i;
    if (from < 0 || from + 1 >= pick->getLength())
        return;
    SoPath *path = pick->copy(from, 0);
    path->ref();
    SoPath *object = pick->copy(from, 2);
    object->ref();
    bba.apply(object);
    object->unref();
    SbBox3f objectBox = bba.getBoundingBox();
    if (!objectBox.isEmpty() && (objectBox.getMax() - objectBox.getMin()).length() > 0)
        size = (objectBox.getMax() - objectBox.getMin()).length();
    ZnArrowMarker *arrow = new ZnArrowMarker;
    arrow->ref();
    ZnArrow *shape = (ZnArrow *)arrow->getPart("arrow", TRUE);
    float arrowScale = size / 10 / (shape ? shape->length.getValue() : 4.0f);
    SoTransform *xf = arrow->getDraggerTransform();
    xf->translation = at;
    xf->rotation = SbRotation(SbVec3f(0, 1, 0), point->getNormal());
    xf->scaleFactor = SbVec3f(arrowScale, arrowScale, arrowScale);
    arrow->setPathToObject(path);
    path->unref();
    addMarker(arrow);
    arrow->unref();
}

void GspApplication::deleteSelection()
{
    if (selectedNote) {
        ZnMarker *marker = markerOfNote(selectedNote);
        if (!marker)
            return;
        ZnNoteList *list = noteListOf(marker);
        ZnNote *note = selectedNote;
        note->ref();
        int at = list->findChild(note);
        forget(note);
        list->removeChild(at);
        record(new GspNodeInsertion(list, at, note, NULL, -1, false, removalHook()),
               "undo_deleteNote", "Delete Note");
        note->unref();
        markModified();
        return;
    }
    if (selectedMarker)
        removeMarker(selectedMarker, false);
}

// One step: the marker out of the scene and the tour (unless the
// sequencer takes it out of the tour itself).
void GspApplication::removeMarker(ZnMarker *marker, bool leaveSequence)
{
    marker->ref();
    int at;
    SoGroup *parent = markerParent(marker, at);
    int place = sequencer->findMarker(marker);
    if (parent) {
        forget(marker);
        if (place >= 0 && !leaveSequence)
            sequencer->removeMarker(place);
        parent->removeChild(at);
        record(new GspNodeInsertion(parent, at, marker, sequencer, place, false, removalHook()),
               "undo_deleteMarker", "Delete Marker");
        markModified();
    }
    marker->unref();
}

void GspApplication::copySelection()
{
    SoNode *node = selectedNote ? (SoNode *)selectedNote : (SoNode *)selectedMarker;
    if (node && !clipboard.copy(node))
        ZnCommon::displayError("appCannotCopyMsg");
}

// A marker is pasted into the scene; a note into the selected marker.
void GspApplication::paste()
{
    SoNode *node = clipboard.paste();
    if (!node) {
        if (!clipboard.isEmpty())
            ZnCommon::displayError("appCannotPasteMsg");
        return;
    }
    node->ref();
    if (node->isOfType(ZnMarker::getClassTypeId())) {
        addMarker((ZnMarker *)node, true);
        offsetOnScreen((ZnMarker *)node);
    }
    else if (node->isOfType(ZnNote::getClassTypeId()) && selectedMarker)
        addNote((ZnNote *)node);
    node->unref();
}

// A pasted marker stands a little right of and below its original on the
// screen, so that it is seen: its placement moves in its own parent space.
void GspApplication::offsetOnScreen(ZnMarker *marker)
{
    SoSearchAction sa;
    sa.setNode(marker);
    sa.apply(scene);
    if (!sa.getPath())
        return;
    const SbViewportRegion &vp = viewer->getViewportRegion();
    SoPath *toPlacement = marker->createPathToPart("draggerTransform", TRUE, sa.getPath());
    if (!toPlacement)
        return;
    toPlacement->ref();
    SoGetMatrixAction ma(vp);
    ma.apply(toPlacement);
    SbMatrix withPlacement = ma.getMatrix();
    toPlacement->unref();
    SoTransform *xf = marker->getDraggerTransform();
    ma.apply(xf);
    SbMatrix parentToWorld = ma.getInverse() * withPlacement;
    SbVec3f at, screen, moved;
    withPlacement.multVecMatrix(SbVec3f(0, 0, 0), at);
    SbViewVolume vv = viewer->getCamera()->getViewVolume(vp.getViewportAspectRatio());
    vv.projectToScreen(at, screen);
    SbVec2s size = vp.getViewportSizePixels();
    SbVec2f shifted(screen[0] + 20.0f / size[0], screen[1] - 20.0f / size[1]);
    // The point at the same depth, where the shifted pixel's ray meets
    // the plane through the placement across the view.
    SbLine ray;
    vv.projectPointToLine(shifted, ray);
    SbPlane across(-vv.getProjectionDirection(), at);
    if (!across.intersect(ray, moved))
        return;
    SbVec3f delta;
    parentToWorld.inverse().multDirMatrix(moved - at, delta);
    xf->translation = xf->translation.getValue() + delta;
}

void GspApplication::addNote(ZnNote *note)
{
    ZnMarker *marker = selectedMarker;
    if (!marker)
        return;
    ZnNoteList *list = noteListOf(marker);
    list->addChild(note);
    record(new GspNodeInsertion(list, list->getNumChildren() - 1, note, NULL, -1, true,
                                removalHook()),
           "undo_addNote", "Add Note");
    markModified();
}

// A new note waits in its list as the pending note until its editor has
// given it its media; then it becomes a child, else it goes.
void GspApplication::newNote(int kind)
{
    if (!selectedMarker)
        return;
    ZnNote *note;
    switch (kind) {
    case NOTE_TEXT: note = new ZnTextNote; break;
    case NOTE_URL: note = new ZnURLNote; break;
    case NOTE_VIEW: note = new ZnViewNote; break;
    case NOTE_MOVIE: note = new ZnMovieNote; break;
    case NOTE_SOUND: note = new ZnSoundNote; break;
    case NOTE_IMAGE: note = new ZnImageNote; break;
    default: note = new ZnSystemNote; break;
    }
    ZnNoteList *list = noteListOf(selectedMarker);
    if (list->getPendingNote()) {
        ZnCommon::displayError("appNotePendingMsg");
        note->ref();
        note->unref();
        return;
    }
    list->setPendingNote(note);
    note->pendingReadyCallback = pendingReadyCB;
    note->pendingFinishedCallback = pendingFinishedCB;
    note->edit();
}

// The marker whose list holds note as its pending note.
ZnMarker *GspApplication::markerWithPending(ZnNote *note)
{
    if (selectedMarker && noteListOf(selectedMarker)->getPendingNote() == note)
        return selectedMarker;
    for (int i = 0; sequencer && i < sequencer->getNumMarkers(); i++)
        if (noteListOf(sequencer->getMarker(i))->getPendingNote() == note)
            return sequencer->getMarker(i);
    return NULL;
}

void GspApplication::pendingReadyCB(ZnNote *note, int)
{
    GspApplication *app = current;
    ZnMarker *marker = app ? app->markerWithPending(note) : NULL;
    if (!marker)
        return;
    ZnNoteList *list = app->noteListOf(marker);
    if (list->findChild(note) < 0) {
        app->selectMarker(marker);
        app->addNote(note);
    }
    list->setPendingNote(NULL);
    app->selectNote(note);
}

namespace {

void releaseCB(void *node, SoSensor *sensor)
{
    ((SoBase *)node)->unref();
    delete sensor;
}

}

// The editor ended without media: the pending note is dropped, once it
// has returned from its callback.
void GspApplication::pendingFinishedCB(ZnNote *note, int)
{
    GspApplication *app = current;
    ZnMarker *marker = app ? app->markerWithPending(note) : NULL;
    if (!marker)
        return;
    ZnNoteList *list = app->noteListOf(marker);
    if (list->findChild(note) >= 0) {
        pendingReadyCB(note, 0);
        return;
    }
    note->ref();
    list->setPendingNote(NULL);
    (new SoOneShotSensor(releaseCB, note))->schedule();
}

void GspApplication::noteFromFile(int kind, const char *file)
{
    if (!selectedMarker)
        return;
    char full[PATH_MAX];
    struct stat st;
    if (!realpath(file, full) || stat(full, &st) != 0 || !S_ISREG(st.st_mode) ||
        gspIsNoteTemporaryFile(full)) {
        ZnCommon::displayError("appNoMediaFileMsg", NULL, file);
        return;
    }
    ZnNote *note = kind == NOTE_MOVIE_FILE   ? (ZnNote *)new ZnMovieNote
                   : kind == NOTE_SOUND_FILE ? (ZnNote *)new ZnSoundNote
                   : kind == NOTE_IMAGE_FILE ? (ZnNote *)new ZnImageNote
                                             : (ZnNote *)new ZnInventorNote;
    note->ref();
    note->setDataFilename(full, 0);
    note->wasImported = TRUE;
    note->findMediaLength();
    addNote(note);
    selectNote(note);
    note->unref();
}

void GspApplication::setArrowType(int type)
{
    if (!selectedMarker || !selectedMarker->isOfType(ZnArrowMarker::getClassTypeId()))
        return;
    GspMarkerState before(selectedMarker);
    ((ZnArrowMarker *)selectedMarker)->setArrowType(type);
    changeMarker(selectedMarker, std::move(before), "undo_arrowType", "Change Arrow Type");
}

void GspApplication::setLabel(const char *label)
{
    if (!selectedMarker)
        return;
    GspMarkerState before(selectedMarker);
    selectedMarker->setLabel(label);
    changeMarker(selectedMarker, std::move(before), "undo_label", "Relabel Marker");
}

void GspApplication::askLabel()
{
    if (!selectedMarker)
        return;
    if (!promptDialog) {
        promptDialog = XmCreatePromptDialog(top, (char *)"labelDialog", NULL, 0);
        gspForgetOnDestroy(promptDialog, &promptDialog);
        XtUnmanageChild(XmSelectionBoxGetChild(promptDialog, XmDIALOG_HELP_BUTTON));
        XmString m = XmStringCreateLocalized(
            (char *)ZnCommon::getResource("dialog_markerLabel", "Label of the marker:"));
        XtVaSetValues(promptDialog, XmNselectionLabelString, m, NULL);
        XmStringFree(m);
        XtVaSetValues(XtParent(promptDialog), XmNtitle,
                      ZnCommon::getResource("title_markerLabel", "Glosspin: Marker Label"), NULL);
        XtAddCallback(promptDialog, XmNokCallback, promptCB, this);
        XtAddCallback(promptDialog, XmNcancelCallback, promptCB, this);
    }
    XmTextSetString(XmSelectionBoxGetChild(promptDialog, XmDIALOG_TEXT),
                    (char *)selectedMarker->getLabel().getString());
    XtManageChild(promptDialog);
}

void GspApplication::promptCB(Widget w, XtPointer data, XtPointer callData)
{
    GspApplication *app = (GspApplication *)data;
    XtUnmanageChild(w);
    if (((XmAnyCallbackStruct *)callData)->reason != XmCR_OK)
        return;
    char *label = XmTextGetString(XmSelectionBoxGetChild(w, XmDIALOG_TEXT));
    app->setLabel(label ? label : "");
    XtFree(label);
    app->updateMenus();
}

// What an edit can change in a note: its fields but the media block, the
// size of that block, and the file its media are in.
std::string GspApplication::signatureOf(ZnNote *note)
{
    std::string sig;
    SoFieldList fields;
    note->getFields(fields);
    for (int i = 0; i < fields.getLength(); i++) {
        if (fields[i] == &note->mediaData)
            continue;
        SbString value;
        fields[i]->get(value);
        sig += value.getString();
        sig += '\n';
    }
    sig += std::to_string(note->getMediaByteCount());
    struct stat st;
    const char *file = note->getDataFilename();
    if (file && stat(file, &st) == 0)
        sig += ' ' + std::to_string(st.st_size) + ' ' + std::to_string(st.st_mtime) + ' ' +
               std::to_string(st.st_ino);
    return sig;
}

// An edit of a note runs in the note's own dialog or editor; the note is
// watched from now on, and the changes it reports make one step that
// puts the copy from before back.
void GspApplication::followNoteEdit(ZnNote *note)
{
    if (editedNote == note)
        return;
    stopFollowingNote();
    ZnNote *before = (ZnNote *)GspClipboard::duplicate(note);
    if (!before)
        return;
    editedNote = note;
    editedNote->ref();
    noteBefore = before;
    noteBefore->ref();
    noteSignature = signatureOf(note);
    noteSensor->attach(note);
}

void GspApplication::stopFollowingNote()
{
    if (!editedNote)
        return;
    // The options dialog writes straight into its note: once the note is
    // no longer followed it edits nothing, for its changes would not be
    // undone.
    if (ZnNote::noteToEdit == editedNote)
        ZnNote::disableNoteOptionUI();
    // A change the delay queue has not yet reported is recorded now, or
    // it would be lost to undo.
    if (noteSensor->isScheduled())
        noteChangedCB(this, noteSensor);
    noteSensor->detach();
    editedNote->unref();
    noteBefore->unref();
    editedNote = noteBefore = NULL;
    editStep = NULL;
}

void GspApplication::noteChangedCB(void *data, SoSensor *)
{
    GspApplication *app = (GspApplication *)data;
    ZnNote *note = app->editedNote;
    if (!note)
        return;
    std::string now = app->signatureOf(note);
    if (now == app->noteSignature)
        return;
    app->noteSignature = now;
    // One edit touches the note several times (its time stamp, its text,
    // its field): it stays one step while that step is the newest.
    if (!app->history.isNewest(app->editStep)) {
        ZnMarker *marker = app->markerOfNote(note);
        if (!marker)
            return;
        app->editStep = new GspNoteReplacement(app->noteListOf(marker), app->noteBefore, note,
                                               app->removalHook());
        app->record(app->editStep, "undo_editNote", "Edit Note");
    }
    app->markModified();
}
