#ifndef GLOSSPIN_APPS_GSPAPPLICATION_H
#define GLOSSPIN_APPS_GSPAPPLICATION_H

#include <functional>
#include <set>
#include <string>

#include <Inventor/SbLinear.h>
#include <X11/Intrinsic.h>

#include "Clipboard.h"
#include "EditSteps.h"
#include "UndoHistory.h"

class SoDragger;
class SoGroup;
class SoNode;
class SoOneShotSensor;
class SoPickedPoint;
class SoSensor;
class SoNodeSensor;
class SoSeparator;
class SoTimerSensor;
class SoXtExaminerViewer;
class ZnMarker;
class ZnMarkerSequencer;
class ZnNote;
class ZnNoteList;

// The Glosspin application: a main window with an examiner viewer on one
// annotated scene, the menus that open, author, save and present it, and
// the undo history of the authoring.
class GspApplication {
  public:
    struct Options {
        const char *file = nullptr;
        bool present = false;   // play the whole tour, then leave
        bool viewOnly = false;  // no authoring menus
    };

    GspApplication(Widget top, const Options &options);
    ~GspApplication();

    // The commands of the menus, by the order of their table.
    enum Command {
        FILE_NEW, FILE_OPEN, FILE_IMPORT, FILE_SAVE, FILE_SAVE_AS, FILE_PUBLISH, FILE_QUIT,
        EDIT_UNDO, EDIT_REDO, EDIT_CUT, EDIT_COPY, EDIT_PASTE, EDIT_DELETE,
        MODE_VIEWING, MODE_AUTHORING,
        MARKER_ARROW, MARKER_BULLET, ARROW_PLAIN, ARROW_LINE, ARROW_PUSHPIN, MARKER_LABEL,
        MARKER_LIST,
        NOTE_TEXT, NOTE_URL, NOTE_VIEW, NOTE_MOVIE, NOTE_SOUND, NOTE_IMAGE, NOTE_COMMAND,
        NOTE_MOVIE_FILE, NOTE_SOUND_FILE, NOTE_IMAGE_FILE, NOTE_SCENE_FILE,
        NOTE_EDIT, NOTE_PLAY, NOTE_OPTIONS, NOTE_INLINE, NOTE_EXTERNAL,
        HELP_KEYS, HELP_ABOUT,
        NUM_COMMANDS
    };
    void command(int which);
    // The name of the command's menu item (its widget's name).
    static const char *commandName(int which);

    // File operations; false after an error dialog, the scene as it was.
    bool open(const char *file);
    bool save(const char *file, bool binary);
    bool import(const char *file);
    void newScene();
    // Runs write with the scene as its file holds it: the examiner viewer
    // keeps its headlight in the scene, just after the camera it found
    // there, and this takes it out meanwhile.
    void asInFile(const std::function<void()> &write);

    void setEditMode(int mode);
    void selectMarker(ZnMarker *marker);
    void selectNote(ZnNote *note);

    SoSeparator *getScene() const { return scene; }
    ZnMarkerSequencer *getSequencer() const { return sequencer; }
    ZnMarker *getSelectedMarker() const { return selectedMarker; }
    ZnNote *getSelectedNote() const { return selectedNote; }
    GspUndoHistory &getHistory() { return history; }
    SoXtExaminerViewer *getViewer() const { return viewer; }
    const std::string &getFileName() const { return fileName; }
    bool isModified() const { return modified; }
    Widget getMenuBar() const { return menuBar; }

  private:
    static GspApplication *current;
    Widget top, mainWindow, menuBar;
    Widget commandWidgets[NUM_COMMANDS];
    Widget fileDialog, questionDialog, promptDialog, infoDialog, binaryToggle, replaceDialog;
    std::string replaceName;  // Save As waiting for the question's answer
    bool replaceBinary;
    SoXtExaminerViewer *viewer;
    SoSeparator *scene;
    ZnMarkerSequencer *sequencer;
    std::string fileName, startFile;
    std::string proposedName;  // for Save As of an imported model
    XtIntervalId startTimer;
    bool binaryFile, modified, present, viewOnly;
    ZnMarker *selectedMarker;
    ZnNote *selectedNote;
    GspUndoHistory history;
    GspClipboard clipboard;
    int armedMarker;  // command of the marker the next click places, or -1

    // A drag of the selected marker, recorded when it ends.
    std::set<SoDragger *> hookedDraggers;
    ZnMarker *dragged;
    GspMarkerState dragStart;
    SoOneShotSensor *dragEnd;

    // The note whose edit is followed, and its copy from before.
    ZnNote *editedNote, *noteBefore;
    GspUndoStep *editStep;
    SoNodeSensor *noteSensor;
    std::string noteSignature;

    int fileDialogPurpose, pendingAfterSave;
    SoTimerSensor *tourWatch;
    int tourStarted;
    // The tour's current marker, brought into view when it changes.
    SoTimerSensor *tourFollow;
    ZnMarker *followed;
    ZnNote *flight;  // the view note that moves the camera there

    void buildMenus();
    static bool isViewingCommand(int c);
    Widget buildMenu(int first, int last);
    void updateMenus();
    void setTitle();
    void installScene(SoSeparator *root, const char *file, bool binary);
    void releaseScene();
    void forgetLastPick();
    void findSequencer();
    void markModified();
    bool changeDirectory(const std::string &from, const std::string &to);

    // Dialogs.
    void askFileName(int purpose);
    void fileChosen(const char *name);
    void saveAs(const char *name, bool binary);
    bool refuseNoteDataFile(const char *file, const std::string &full);
    void publish(const char *dir);
    static void replaceCB(Widget w, XtPointer app, XtPointer callData);
    void askToSave(int then);
    void askLabel();
    void showInfo(const char *key, const char *fallback);
    void showError(const char *key, const char *arg, const std::string &reason);
    void leaveAfterDialog(int status);

    // Authoring.
    bool guardUnsaved(int then);
    void runAfterSave(int then);
    SoGroup *markerParent(ZnMarker *marker, int &index);
    ZnNoteList *noteListOf(ZnMarker *marker);
    ZnMarker *markerOfNote(ZnNote *note);
    ZnMarker *markerWithPending(ZnNote *note);
    void record(GspUndoStep *step, const char *key, const char *fallback);
    void addMarker(ZnMarker *marker, bool pasted = false);
    void removeMarker(ZnMarker *marker, bool leaveSequence);
    void offsetOnScreen(ZnMarker *marker);
    void placeMarker(int kind, const SoPickedPoint *point, const SbVec2s &pixel);
    void deleteSelection();
    void copySelection();
    void paste();
    void addNote(ZnNote *note);
    void newNote(int kind);
    void noteFromFile(int kind, const char *file);
    void setArrowType(int type);
    void setLabel(const char *label);
    void changeMarker(ZnMarker *marker, GspMarkerState &&before, const char *key,
                      const char *fallback);
    void followNoteEdit(ZnNote *note);
    void stopFollowingNote();
    std::string signatureOf(ZnNote *note);
    void forget(SoNode *node);
    GspRemovalHook removalHook();
    void hookDragger(SoDragger *dragger);
    bool buttonPressed(XButtonEvent *event);

    static void commandCB(Widget w, XtPointer app, XtPointer);
    static void fileDialogCB(Widget w, XtPointer app, XtPointer callData);
    static void questionCB(Widget w, XtPointer app, XtPointer callData);
    static void promptCB(Widget w, XtPointer app, XtPointer callData);
    static void quitCB(Widget w, XtPointer app, XtPointer);
    static SbBool viewerEventCB(void *app, XAnyEvent *event);
    static void dragStartCB(void *app, SoDragger *dragger);
    static void dragFinishCB(void *app, SoDragger *dragger);
    static void dragEndedCB(void *app, SoSensor *);
    static void noteChangedCB(void *app, SoSensor *);
    static void pendingReadyCB(ZnNote *note, int);
    static void pendingFinishedCB(ZnNote *note, int);
    static void tourWatchCB(void *app, SoSensor *);
    static void tourFollowCB(void *app, SoSensor *);
    void bringIntoView(ZnMarker *marker);
    static void startCB(XtPointer app, XtIntervalId *);
    static void tourPickCB(void *app, ZnMarker *marker);
    static void tourUnpickCB(void *app, ZnMarker *marker);
    static void tourDeleteCB(void *app, ZnMarker *marker);
    static void tourMoveCB(void *app, ZnMarker *marker, int from, int to);
};

#endif
