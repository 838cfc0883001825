// The application's files: opening, importing, saving with a backup, and
// the questions and dialogs around them.
#include "GspApplication.h"

#include <dirent.h>
#include <errno.h>
#include <fnmatch.h>
#include <stdio.h>

#include <algorithm>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Glosspin/Glosspin.h>
#include <X11/cursorfont.h>
#include <Inventor/SoInput.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/Xt/viewers/SoXtExaminerViewer.h>
#include <Inventor/SoSceneManager.h>
#include <Inventor/actions/SoHandleEventAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/events/SoLocation2Event.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoDirectionalLight.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoTimerSensor.h>
#include <Xm/FileSB.h>
#include <Xm/MessageB.h>
#include <Xm/Text.h>
#include <Xm/ToggleB.h>

#include "common/SceneFile.h"
#include "init/MessageText.h"
#include "note/PromptDialog.h"
#include "platform/FileCopy.h"

namespace {

std::string directoryOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string currentDirectory()
{
    char dir[PATH_MAX];
    return getcwd(dir, sizeof dir) ? dir : ".";
}

// Notes whose data lies in a temporary file move it next to their scene
// when it is saved, named after the scene ("tour.0.mv" beside "tour.iv"),
// so that a scene file names no private temporary file. Relative: the
// scene's directory is the current one.
void useNotePrefixOf(const std::string &file)
{
    std::string base = file.empty() ? "" : file.substr(file.rfind('/') + 1);
    if (base.rfind('.') != std::string::npos && base.rfind('.') > 0)
        base = base.substr(0, base.rfind('.'));
    ZnNote::setExternalFilePrefix(base.empty() ? NULL : base.c_str());
}

// The full name of a file that may not exist yet.
std::string fullName(const char *file)
{
    char real[PATH_MAX];
    if (realpath(file, real))
        return real;
    std::string name = file;
    if (!name.empty() && name[0] != '/')
        name = currentDirectory() + "/" + name;
    return name;
}

// Whether the file holds a note's data: a file a note of the scene reads
// its data from, or one of the notes' own temporary files (the notes of
// the undo history and the clipboard keep theirs there too).
bool holdsNoteData(SoNode *scene, const std::string &full)
{
    struct stat file;
    if (stat(full.c_str(), &file) != 0)
        return false;
    if (gspIsNoteTemporaryFile(full))
        return true;
    SoPathList notes = gspFindAll(scene, ZnNote::getClassTypeId());
    for (int i = 0; i < notes.getLength(); i++) {
        ZnNote *note = (ZnNote *)((SoFullPath *)notes[i])->getTail();
        if (gspSameFile(note->filename.getValue().getString(), full.c_str()) ||
            gspSameFile(note->getTempDataFileName().getString(), full.c_str()))
            return true;
    }
    return false;
}

std::string textOf(XmString s)
{
    char *text = NULL;
    if (s)
        text = (char *)XmStringUnparse(s, NULL, XmCHARSET_TEXT, XmCHARSET_TEXT, NULL, 0,
                                       XmOUTPUT_ALL);
    std::string out = text ? text : "";
    XtFree(text);
    return out;
}

// The file list of the file dialog: the files in the folder that match
// any of the filter's space-separated patterns, whatever the case of
// their extension, so that one filter lists every format a scene can be
// opened from.
void gspSearchFiles(Widget dialog, XtPointer data)
{
    XmFileSelectionBoxCallbackStruct *search = (XmFileSelectionBoxCallbackStruct *)data;
    std::string dir = textOf(search->dir), patterns = textOf(search->pattern);
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    std::vector<std::string> each, names;
    for (size_t at = 0; at < patterns.size();) {
        size_t end = std::min(patterns.find(' ', at), patterns.size());
        if (end > at)
            each.push_back(patterns.substr(at, end - at));
        at = end + 1;
    }
    DIR *d = opendir(dir.c_str());
    bool valid = d != NULL;
    while (struct dirent *e = d ? readdir(d) : NULL) {
        struct stat st;
        std::string full = dir + e->d_name;
        if (stat(full.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;
        for (const std::string &p : each)
            if (fnmatch(p.c_str(), e->d_name, FNM_PERIOD | FNM_CASEFOLD) == 0) {
                names.push_back(full);
                break;
            }
    }
    if (d)
        closedir(d);
    std::sort(names.begin(), names.end());
    std::vector<XmString> items;
    for (const std::string &n : names)
        items.push_back(XmStringCreateLocalized((char *)n.c_str()));
    XtVaSetValues(dialog, XmNfileListItems, items.data(), XmNfileListItemCount, (int)items.size(),
                  XmNlistUpdated, True, XmNdirectoryValid, valid, NULL);
    for (XmString item : items)
        XmStringFree(item);
}

}

// A message box's text, lines broken where message breaks them.
static void setMessage(Widget box, const std::string &message)
{
    XmString m = XmStringCreateLtoR((char *)message.c_str(), (char *)XmFONTLIST_DEFAULT_TAG);
    XtVaSetValues(box, XmNmessageString, m, NULL);
    XmStringFree(m);
}

// The main message, and below it the reason (the toolkit's read errors,
// one a line) in a scrolled text no wider than 80 columns or two thirds
// of the screen. A presentation prints both too.
void GspApplication::showError(const char *key, const char *arg, const std::string &reason)
{
    std::string message = gspFillMessage(ZnCommon::getResource(key, "Unknown error occurred"), arg);
    if (present)
        fprintf(stderr, "glosspin: %s\n%s%s", message.c_str(), reason.c_str(),
                reason.empty() ? "" : "\n");
    Widget dialog = XmCreateErrorDialog(top, (char *)"appErrorDialog", NULL, 0);
    XtVaSetValues(XtParent(dialog), XmNtitle,
                  ZnCommon::getResource("title_display_error", "Glosspin : Error Dialog"), NULL);
    XtUnmanageChild(XmMessageBoxGetChild(dialog, XmDIALOG_CANCEL_BUTTON));
    XtUnmanageChild(XmMessageBoxGetChild(dialog, XmDIALOG_HELP_BUTTON));
    setMessage(dialog, message);
    if (!reason.empty()) {
        int lines = 1 + (int)std::count(reason.begin(), reason.end(), '\n');
        int fit = WidthOfScreen(XtScreen(top)) * 2 / 3 / 8;  // columns of about 8 pixels
        Arg args[6];
        int n = 0;
        XtSetArg(args[n], XmNeditMode, XmMULTI_LINE_EDIT), n++;
        XtSetArg(args[n], XmNeditable, False), n++;
        XtSetArg(args[n], XmNwordWrap, True), n++;
        XtSetArg(args[n], XmNscrollHorizontal, False), n++;
        XtSetArg(args[n], XmNcolumns, std::min(80, fit)), n++;
        XtSetArg(args[n], XmNrows, std::min(std::max(lines, 2), 10)), n++;
        Widget text = XmCreateScrolledText(dialog, (char *)"reason", args, n);
        XmTextSetString(text, (char *)reason.c_str());
        XtManageChild(text);
    }
    // Gone once dismissed; each error has a dialog of its own.
    XtAddCallback(
        dialog, XmNokCallback, [](Widget w, XtPointer, XtPointer) { XtDestroyWidget(XtParent(w)); },
        NULL);
    XtManageChild(dialog);
}

void GspApplication::releaseScene()
{
    selectNote(NULL);
    selectMarker(NULL);
    stopFollowingNote();
    history.clear();
    // A drag under way ends with its scene.
    if (dragged)
        dragged->unref();
    dragged = NULL;
    dragStart = GspMarkerState();
    clipboard.forgetObject();
    if (!scene)
        return;
    SoPathList lists = gspFindAll(scene, ZnNoteList::getClassTypeId());
    for (int i = 0; i < lists.getLength(); i++)
        ((ZnNoteList *)((SoFullPath *)lists[i])->getTail())->killAllPlayers();
    if (sequencer) {
        sequencer->pickCallback = sequencer->unpickCallback = sequencer->deleteCallback = NULL;
        sequencer->moveCallback = NULL;
        sequencer->unref();
    }
    sequencer = NULL;
    // The remembered camera's parent would keep the scene alive.
    if (ZnCommon::cameraPath) {
        ZnCommon::cameraPath->unref();
        ZnCommon::cameraPath = NULL;
    }
    scene->unref();
    scene = NULL;
}

// The scene's first marker sequencer, or a new one at its end.
void GspApplication::findSequencer()
{
    SoSearchAction sa;
    sa.setType(ZnMarkerSequencer::getClassTypeId());
    sa.apply(scene);
    if (sa.getPath())
        sequencer = (ZnMarkerSequencer *)sa.getPath()->getTail();
    else {
        sequencer = new ZnMarkerSequencer;
        scene->addChild(sequencer);
    }
    sequencer->ref();
    sequencer->pickCallback = tourPickCB;
    sequencer->unpickCallback = tourUnpickCB;
    sequencer->deleteCallback = tourDeleteCB;
    sequencer->moveCallback = tourMoveCB;
    sequencer->pickCallbackData = sequencer->unpickCallbackData =
        sequencer->deleteCallbackData = sequencer->moveCallbackData = this;
}

void GspApplication::installScene(SoSeparator *root, const char *file, bool binary)
{
    releaseScene();
    scene = root;
    fileName = file ? file : "";
    proposedName.clear();
    binaryFile = binary;
    modified = false;
    findSequencer();
    SoSearchAction sa;
    sa.setType(SoCamera::getClassTypeId());
    sa.apply(scene);
    viewer->setSceneGraph(scene);
    forgetLastPick();
    if (!sa.getPath())
        viewer->viewAll();
    ZnCommon::updateCameraPath(viewer->getSceneManager()->getSceneGraph());
    followed = NULL;
    tourFollow->schedule();
    setTitle();
    updateMenus();
}

// The viewer's event action keeps its last pick until the next one, and a
// picked marker's detail holds the marker (and its notes' files) after its
// scene is gone: one pick on an empty group lets go of it.
void GspApplication::forgetLastPick()
{
    SoHandleEventAction *action = viewer->getSceneManager()->getHandleEventAction();
    SoNode *root = action->getPickRoot();
    SoGroup *empty = new SoGroup;
    empty->ref();
    SoLocation2Event event;
    action->setEvent(&event);
    action->setPickRoot(empty);
    action->apply(empty);
    action->getPickedPoint();
    action->setPickRoot(root);
    empty->unref();
}

void GspApplication::newScene()
{
    SoSeparator *root = new SoSeparator;
    root->ref();
    installScene(root, NULL, false);
    useNotePrefixOf("");
}

// The notes name their external files relative to the scene's directory,
// which becomes the current one.
bool GspApplication::open(const char *file)
{
    std::string full = fullName(file), why, warnings;
    bool imported;
    SoSeparator *root = gspReadSceneFile(full.c_str(), why, &imported, &warnings);
    if (!root) {
        showError("appCannotReadMsg", file, why);
        return false;
    }
    if (!warnings.empty())
        showError("appModelWarningMsg", file, warnings);
    // A model comes in as a new scene, saved as the model's name in .iv.
    if (imported) {
        installScene(root, NULL, false);
        useNotePrefixOf("");
        std::string name = full.substr(full.rfind('/') + 1);
        proposedName = directoryOf(full) + "/" + name.substr(0, name.rfind('.')) + ".iv";
        return true;
    }
    SoInput in;
    bool binary = in.openFile(full.c_str(), TRUE) && in.isBinary();
    if (chdir(directoryOf(full).c_str()) != 0) {
        root->unref();
        showError("appCannotReadMsg", file, strerror(errno));
        return false;
    }
    installScene(root, full.c_str(), binary);
    useNotePrefixOf(full);
    return true;
}

bool GspApplication::import(const char *file)
{
    std::string why, warnings;
    SoSeparator *object = gspReadSceneFile(file, why, NULL, &warnings);
    if (!object) {
        showError("appCannotImportMsg", file, why);
        return false;
    }
    if (!warnings.empty())
        showError("appModelWarningMsg", file, warnings);
    // Before the markers, so that they can point at it.
    int at = 0;
    while (at < scene->getNumChildren() &&
           !scene->getChild(at)->isOfType(ZnMarker::getClassTypeId()) &&
           !scene->getChild(at)->isOfType(ZnMarkerSequencer::getClassTypeId()))
        at++;
    scene->insertChild(object, at);
    record(new GspNodeInsertion(scene, at, object, NULL, -1, true, removalHook()),
           "undo_import", "Import Object");
    object->unref();
    viewer->viewAll();
    markModified();
    return true;
}

// The notes' external files are named relative to the current directory:
// moving to another one names them again from there.
bool GspApplication::changeDirectory(const std::string &from, const std::string &to)
{
    if (chdir(to.c_str()) != 0)
        return false;
    SoPathList lists = gspFindAll(scene, ZnNoteList::getClassTypeId());
    for (int i = 0; i < lists.getLength(); i++)
        ((ZnNoteList *)((SoFullPath *)lists[i])->getTail())->fullExternalNoteNames(from.c_str());
    return true;
}

void GspApplication::asInFile(const std::function<void()> &write)
{
    SoSearchAction sa;
    sa.setNode(viewer->getHeadlight());
    sa.apply(scene);
    SoFullPath *path = (SoFullPath *)sa.getPath();
    if (!path || path->getLength() < 3) {
        write();
        return;
    }
    SoGroup *parent = (SoGroup *)path->getNodeFromTail(2);
    SoNode *light = path->getNodeFromTail(1);
    int index = path->getIndexFromTail(1);
    light->ref();
    parent->removeChild(index);
    write();
    parent->insertChild(light, index);
    light->unref();
}

// A save into another directory makes that the scene's directory; a save
// that fails goes back.
bool GspApplication::save(const char *file, bool binary)
{
    std::string full = fullName(file), why;
    if (refuseNoteDataFile(file, full))
        return false;
    std::string dir = directoryOf(full), here = currentDirectory();
    if (dir != here && !changeDirectory(here, dir)) {
        showError("appCannotSaveMsg", file, strerror(errno));
        return false;
    }
    useNotePrefixOf(full);
    bool written;
    asInFile([&] { written = gspWriteSceneFile(scene, full.c_str(), binary, true, why); });
    if (!written) {
        if (dir != here)
            changeDirectory(dir, here);
        showError("appCannotSaveMsg", file, why);
        return false;
    }
    fileName = full;
    binaryFile = binary;
    modified = false;
    setTitle();
    return true;
}

void GspApplication::askFileName(int purpose)
{
    if (!fileDialog) {
        // It keeps the size it was given or grew to: a shorter list of
        // files does not shrink it.
        Arg args[3];
        XtSetArg(args[0], XmNwidth, 480);
        XtSetArg(args[1], XmNresizePolicy, XmRESIZE_GROW);
        XtSetArg(args[2], XmNfileSearchProc, gspSearchFiles);
        fileDialog = XmCreateFileSelectionDialog(top, (char *)"fileDialog", args, 3);
        gspForgetOnDestroy(fileDialog, &fileDialog);
        XtAddCallback(fileDialog, XmNokCallback, fileDialogCB, this);
        XtAddCallback(fileDialog, XmNcancelCallback, fileDialogCB, this);
        XtUnmanageChild(XmFileSelectionBoxGetChild(fileDialog, XmDIALOG_HELP_BUTTON));
        XmString l = XmStringCreateLocalized(
            (char *)ZnCommon::getResource("dialog_saveBinary", "Save in binary form"));
        binaryToggle = XtVaCreateWidget("binary", xmToggleButtonWidgetClass, fileDialog,
                                        XmNlabelString, l, NULL);
        gspForgetOnDestroy(binaryToggle, &binaryToggle);
        XmStringFree(l);
    }
    fileDialogPurpose = purpose;
    const char *titleKey = purpose == FILE_OPEN     ? "title_open"
                           : purpose == FILE_IMPORT ? "title_import"
                           : purpose == FILE_SAVE_AS ? "title_saveAs"
                           : purpose == FILE_PUBLISH ? "title_publish"
                                                     : "title_mediaFile";
    const char *fallback = purpose == FILE_OPEN     ? "Glosspin: Open Scene"
                           : purpose == FILE_IMPORT ? "Glosspin: Import Object"
                           : purpose == FILE_SAVE_AS ? "Glosspin: Save Scene As"
                           : purpose == FILE_PUBLISH ? "Glosspin: Publish as Web Page"
                                                     : "Glosspin: Choose the Note's File";
    XtVaSetValues(XtParent(fileDialog), XmNtitle, ZnCommon::getResource(titleKey, fallback), NULL);
    // Save As proposes the scene's own name, the imported model's in .iv, or
    // untitled.iv here; the list shows the folder of that name.
    std::string proposed = !fileName.empty()     ? fileName
                           : !proposedName.empty() ? proposedName
                                                   : currentDirectory() + "/untitled.iv";
    bool naming = purpose == FILE_SAVE_AS || purpose == FILE_PUBLISH;
    std::string folder = naming ? directoryOf(proposed) : currentDirectory();
    // A page is a folder named after the scene.
    if (purpose == FILE_PUBLISH)
        proposed = proposed.substr(0, proposed.find_last_of('.')) + "-web";
    // Scenes are opened and imported from scene files and models.
    std::string pattern = purpose == FILE_OPEN || purpose == FILE_IMPORT
                              ? std::string("*.iv ") + ZnModelImporter::getFilePatterns().getString()
                              : "*";
    XmString dir = XmStringCreateLocalized((char *)folder.c_str());
    XmString mask = XmStringCreateLocalized((char *)pattern.c_str());
    XtVaSetValues(fileDialog, XmNdirectory, dir, XmNpattern, mask, NULL);
    XmStringFree(dir);
    XmStringFree(mask);
    if (purpose == FILE_SAVE_AS) {
        XmToggleButtonSetState(binaryToggle, binaryFile, False);
        XtManageChild(binaryToggle);
    } else
        XtUnmanageChild(binaryToggle);
    if (naming)
        XmTextSetString(XmFileSelectionBoxGetChild(fileDialog, XmDIALOG_TEXT),
                        (char *)proposed.c_str());
    XtManageChild(fileDialog);
}

// The page of the scene as it stands, saved or not. Media conversion may
// take a while: the pointer says so.
void GspApplication::publish(const char *dir)
{
    Display *display = XtDisplay(top);
    Cursor watch = XCreateFontCursor(display, XC_watch);
    XDefineCursor(display, XtWindow(top), watch);
    XFlush(display);
    std::string title = fileName.empty() ? proposedName : fileName;
    title = title.substr(title.find_last_of('/') + 1);
    title = title.substr(0, title.find_last_of('.'));
    ZnWebPublisher publisher;
    publisher.setCamera(viewer->getCamera());
    SbBool ok = publisher.publish(scene, dir, title.c_str());
    XUndefineCursor(display, XtWindow(top));
    XFreeCursor(display, watch);
    std::string warnings;
    for (int i = 0; i < publisher.getNumWarnings(); i++)
        warnings += std::string(publisher.getWarning(i).getString()) + "\n";
    if (!ok)
        showError("appCannotPublishMsg", dir, publisher.getErrorMessage().getString());
    else if (!warnings.empty())
        showError("appPublishWarningMsg", dir, warnings);
}

// A scene saved over a note's data would lose that data: such a file is
// refused, before any question about replacing it.
bool GspApplication::refuseNoteDataFile(const char *file, const std::string &full)
{
    if (!holdsNoteData(scene, full))
        return false;
    showError("appCannotSaveMsg", file,
              ZnCommon::getResource("appNoteDataFileMsg", "A note keeps its data in that file."));
    return true;
}

// Save As never replaces a file without asking.
void GspApplication::saveAs(const char *name, bool binary)
{
    if (refuseNoteDataFile(name, fullName(name))) {
        pendingAfterSave = -1;
        return;
    }
    struct stat st;
    if (stat(name, &st) != 0) {
        int then = pendingAfterSave;
        pendingAfterSave = -1;
        if (save(name, binary))
            runAfterSave(then);
        return;
    }
    replaceName = name;
    replaceBinary = binary;
    if (!replaceDialog) {
        replaceDialog = XmCreateQuestionDialog(top, (char *)"replaceQuestion", NULL, 0);
        gspSetLabel(replaceDialog, XmNokLabelString, "dialog_replace", "Replace");
        gspSetLabel(replaceDialog, XmNcancelLabelString, "dialog_cancel", "Cancel");
        XtUnmanageChild(XmMessageBoxGetChild(replaceDialog, XmDIALOG_HELP_BUTTON));
        XtVaSetValues(replaceDialog, XmNdefaultButtonType, XmDIALOG_CANCEL_BUTTON, NULL);
        gspForgetOnDestroy(replaceDialog, &replaceDialog);
        XtAddCallback(replaceDialog, XmNokCallback, replaceCB, this);
        XtAddCallback(replaceDialog, XmNcancelCallback, replaceCB, this);
        XtVaSetValues(XtParent(replaceDialog), XmNtitle,
                      ZnCommon::getResource("title_replace", "Glosspin: Replace File"), NULL);
    }
    std::string message = gspFillMessage(
        ZnCommon::getResource("dialog_replaceFile", "%s exists already. Replace it?"), name);
    setMessage(replaceDialog, message);
    XtManageChild(replaceDialog);
}

void GspApplication::replaceCB(Widget w, XtPointer data, XtPointer callData)
{
    GspApplication *app = (GspApplication *)data;
    XtUnmanageChild(w);
    int then = app->pendingAfterSave;
    app->pendingAfterSave = -1;
    if (((XmAnyCallbackStruct *)callData)->reason == XmCR_OK &&
        app->save(app->replaceName.c_str(), app->replaceBinary))
        app->runAfterSave(then);
}

// The name is taken from the dialog's text, so that a typed name counts
// as a chosen one.
void GspApplication::fileDialogCB(Widget w, XtPointer data, XtPointer callData)
{
    GspApplication *app = (GspApplication *)data;
    XtUnmanageChild(w);
    if (((XmAnyCallbackStruct *)callData)->reason != XmCR_OK) {
        app->pendingAfterSave = -1;
        return;
    }
    char *name = XmTextGetString(XmFileSelectionBoxGetChild(w, XmDIALOG_TEXT));
    std::string chosen = name ? name : "";
    XtFree(name);
    if (!chosen.empty() && chosen.back() != '/')
        app->fileChosen(chosen.c_str());
}

void GspApplication::fileChosen(const char *name)
{
    switch (fileDialogPurpose) {
    case FILE_OPEN:
        open(name);
        break;
    case FILE_IMPORT:
        import(name);
        break;
    case FILE_SAVE_AS:
        saveAs(name, XmToggleButtonGetState(binaryToggle));
        return;  // the question may follow: the pending command waits
    case FILE_PUBLISH:
        publish(name);
        break;
    case NOTE_EXTERNAL:
        if (selectedNote) {
            followNoteEdit(selectedNote);
            selectedNote->makeDataExternal(name, 1);
        }
        break;
    default:
        noteFromFile(fileDialogPurpose, name);
    }
    pendingAfterSave = -1;
}

// True when the command may go on at once; otherwise the user is asked
// whether to save first, and the command runs after the answer.
bool GspApplication::guardUnsaved(int then)
{
    if (!modified)
        return true;
    askToSave(then);
    return false;
}

void GspApplication::askToSave(int then)
{
    if (!questionDialog) {
        questionDialog = XmCreateQuestionDialog(top, (char *)"saveQuestion", NULL, 0);
        gspSetLabel(questionDialog, XmNokLabelString, "dialog_save", "Save");
        gspSetLabel(questionDialog, XmNhelpLabelString, "dialog_discard", "Discard");
        gspForgetOnDestroy(questionDialog, &questionDialog);
        XtAddCallback(questionDialog, XmNokCallback, questionCB, this);
        XtAddCallback(questionDialog, XmNhelpCallback, questionCB, this);
        XtAddCallback(questionDialog, XmNcancelCallback, questionCB, this);
        XtVaSetValues(XtParent(questionDialog), XmNtitle,
                      ZnCommon::getResource("title_unsaved", "Glosspin: Unsaved Changes"), NULL);
    }
    pendingAfterSave = then;
    std::string name = fileName.empty() ? ZnCommon::getResource("title_untitled", "Untitled")
                                        : fileName.substr(fileName.rfind('/') + 1);
    std::string message = gspFillMessage(
        ZnCommon::getResource("dialog_unsaved", "The scene %s has changes that are not saved."),
        name.c_str());
    setMessage(questionDialog, message);
    XtManageChild(questionDialog);
}

void GspApplication::questionCB(Widget w, XtPointer data, XtPointer callData)
{
    GspApplication *app = (GspApplication *)data;
    XtUnmanageChild(w);
    int then = app->pendingAfterSave;
    switch (((XmAnyCallbackStruct *)callData)->reason) {
    case XmCR_OK:
        if (app->fileName.empty())
            app->askFileName(FILE_SAVE_AS);
        else if (app->save(app->fileName.c_str(), app->binaryFile))
            app->runAfterSave(then);
        return;
    case XmCR_HELP:
        app->modified = false;
        app->runAfterSave(then);
        return;
    default:
        app->pendingAfterSave = -1;
    }
}

void GspApplication::runAfterSave(int then)
{
    pendingAfterSave = -1;
    if (then >= 0)
        command(then);
}
