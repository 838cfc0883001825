#include <Glosspin/ZnURLNote.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>

#include <Glosspin/ZnCommon.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/sensors/SoAlarmSensor.h>
#include <Xm/MessageB.h>
#include <Xm/Protocols.h>
#include <Xm/SelectioB.h>

#include "platform/LibraryDir.h"
#include "note/NoteIcons.h"
#include "note/NoteKindClass.h"
#include "note/PromptDialog.h"
#include "platform/ProcessWatcher.h"

SO_NODE_SOURCE(ZnURLNote);

long ZnURLNote::WWWPlayerProcessId = -1;
float ZnURLNote::unattendedSeconds = 0;

namespace {

const char *webTitle()
{
    return ZnCommon::getResource("title_web", "Glosspin : World Wide Web Link");
}

}

void ZnURLNote::initClass()
{
    GSP_NOTE_KIND_INIT_CLASS(ZnURLNote);
}

ZnURLNote::ZnURLNote()
    : continueDialog(NULL), waitingForContinue(0), iconTimer(new SoAlarmSensor(alarmCB, this))
{
    SO_NODE_CONSTRUCTOR(ZnURLNote);
    GSP_SET_NOTE_ICONS(url);
    SO_NODE_ADD_FIELD(url, (""));
    startNextNote = 1;
    nextNoteDelay = 5.0f;
    supportsExternalData = 0;
    dataExternal = 0;
    mediaData.setDefault(TRUE);
    trackPlayerExit = 0;
    usePlayerGeometry = 0;
}

// The shared browser outlives the note that started it; any other player
// of the note is stopped (by the base).
ZnURLNote::~ZnURLNote()
{
    if (WWWPlayerProcessId != -1 && WWWPlayerProcessId == playerPid)
        forgetPlayerProcess();
    else
        trackPlayerExit = 1;
    iconTimer->unschedule();
    delete iconTimer;
    killPlayer();
    killEditor();
    if (continueDialog)
        XtDestroyWidget(XtParent(continueDialog));
    if (playerWindow)
        XtDestroyWidget(XtParent(playerWindow));
}

int ZnURLNote::gatherPendingData(int) { return 0; }

// The address and the field's name and type in the file.
int ZnURLNote::estimateDiskSpaceRequired(int binary)
{
    return ZnNote::estimateDiskSpaceRequired(binary) + url.getValue().getLength() + 14;
}

int ZnURLNote::getUndoWeight() { return 984; }

// Playing.

std::string ZnURLNote::getScriptPath()
{
    return gspLibraryDir() + "/www_script";
}

void ZnURLNote::play(int autoPlay)
{
    waitingForContinue = 0;
    currentIconData = activeIconData;
    touch();
    if (autoPlay)
        playingInSequence = 1;
    // A browser that has gone away is forgotten: the script starts a new one.
    if (WWWPlayerProcessId != -1 && !GspWatcher::processExists(WWWPlayerProcessId))
        updateStaticProcessId(WWWPlayerProcessId);
    // An earlier play's process, the shared browser, stays.
    forgetPlayerProcess();
    if (playExternal(autoPlay) && autoPlay && startNextNote.getValue() == 1) {
        createURLFinishedDialog();
        waitingForContinue = 1;
        if (unattendedSeconds > 0 && lifetimeType.getValue() != 1) {
            playerTimer->setTimeFromNow(SbTime(unattendedSeconds));
            playerTimer->schedule();
        }
    }
}

int ZnURLNote::isPlaying() const { return waitingForContinue; }

void ZnURLNote::getExternalPlayerCommand(int, std::vector<std::string> &argv)
{
    char geometry[64] = "NONE", browser[32] = "-1";
    if (playerWidth.getValue() >= 1)
        snprintf(geometry, sizeof geometry, "%dx%d+%d+%d", (int)playerWidth.getValue(),
                 (int)playerHeight.getValue(), (int)playerLocationX.getValue(),
                 (int)playerLocationY.getValue());
    if (WWWPlayerProcessId != -1)
        snprintf(browser, sizeof browser, "%ld", WWWPlayerProcessId);
    std::string script = getScriptPath();
    argv = {script, url.getValue().getString(), geometry, browser};
}

// Called as a player starts and as it ends. The end of a process is no
// browser to remember: another note's player may end while none is known.
void ZnURLNote::updateStaticProcessId(long pid)
{
    if (WWWPlayerProcessId != -1) {
        if (pid == WWWPlayerProcessId)
            WWWPlayerProcessId = -1;  // the browser ended
        return;
    }
    if (!GspWatcher::processExists(pid))
        return;
    if (!(playingInSequence && startNextNote.getValue() == 1)) {
        iconTimer->setTimeFromNow(SbTime(1.0));
        iconTimer->schedule();
    }
    WWWPlayerProcessId = pid;
}

void ZnURLNote::alarmCB(void *data, SoSensor *)
{
    ZnURLNote *note = (ZnURLNote *)data;
    note->waitingForContinue = 0;
    note->playingInSequence = 0;
    note->currentIconData = note->iconData;
    note->touch();
}

// No page to continue from: the playback ends at once.
void ZnURLNote::externalPlayerFailed()
{
    ZnCommon::displayError("noNetscapeMsg", "noNetscapeMsgPart2", url.getValue().getString());
    killPlayer();
    waitingForContinue = 0;
    if (playingInSequence) {
        playingInSequence = 0;
        callPlayerFinished();
    }
}

void ZnURLNote::killWWWPlayerProcess()
{
    if (WWWPlayerProcessId >= 0)
        kill((pid_t)WWWPlayerProcessId, SIGTERM);
    WWWPlayerProcessId = -1;
}

// The browser is left running.
void ZnURLNote::killPlayer()
{
    waitingForContinue = 0;
    if (!isEditing()) {
        currentIconData = iconData;
        touch();
    }
    if (noteToEdit == this)
        updateNoteOptionPlayerPositionUI();
    if (continueDialog && XtIsManaged(continueDialog))
        XtUnmanageChild(continueDialog);
}

// The Continue dialog.

void ZnURLNote::createURLFinishedDialog()
{
    Widget top = SoXt::getTopLevelWidget();
    if (!top)
        return;
    if (!continueDialog) {
        Arg args[1];
        XtSetArg(args[0], XmNautoUnmanage, False);
        continueDialog = XmCreateMessageDialog(top, (char *)"Continue Dialog", args, 1);
        XtVaSetValues(XtParent(continueDialog), XmNtitle, webTitle(), NULL);
        gspSetLabel(continueDialog, XmNcancelLabelString, "dialog_continue", "Continue");
        XtAddCallback(continueDialog, XmNcancelCallback, (XtCallbackProc)createURLFinishedDialogCB,
                      this);
        Atom deleteWindow = XmInternAtom(XtDisplay(top), (char *)"WM_DELETE_WINDOW", False);
        XmAddWMProtocolCallback(XtParent(continueDialog), deleteWindow,
                                (XtCallbackProc)createURLFinishedDialogCB, this);
        gspForgetOnDestroy(continueDialog, &continueDialog);
    }
    for (unsigned char child : {XmDIALOG_OK_BUTTON, XmDIALOG_HELP_BUTTON}) {
        Widget b = XmMessageBoxGetChild(continueDialog, child);
        if (XtIsManaged(b))
            XtUnmanageChild(b);
    }
    gspSetLabel(continueDialog, XmNmessageString, "url_note_play_msg",
             "Click Continue when Finished Viewing WWW Page");
    XtManageChild(continueDialog);
}

void ZnURLNote::createURLFinishedDialogCB(Widget, void *data, void *)
{
    ZnURLNote *note = (ZnURLNote *)data;
    if (note->continueDialog && XtIsManaged(note->continueDialog))
        XtUnmanageChild(note->continueDialog);
    note->playerClosedByUser();
    note->waitingForContinue = 0;
}

// Editing, in the prompt dialog: OK, Clear and Cancel.

void ZnURLNote::edit()
{
    ZnNote::edit();
    createDialog(isPendingNote
                     ? ZnCommon::getResource(
                           "url_note_new_msg",
                           "Enter a Universal Resource Locator (URL) for the new Note")
                     : ZnCommon::getResource(
                           "url_note_edit_msg",
                           "Edit the Universal Resource Locator (URL) for this Note"),
                 this);
}

int ZnURLNote::isEditing() const { return playerWindow && XtIsManaged(playerWindow); }

void ZnURLNote::killEditor()
{
    if (isEditing())
        XtUnmanageChild(playerWindow);
    ZnNote::killEditor();
}

void ZnURLNote::createDialog(const char *message, ZnURLNote *note)
{
    Widget top = SoXt::getTopLevelWidget();
    if (!top)
        return;
    if (!note->playerWindow) {
        Widget d = gspCreatePrompt("Enter Universal Resource Locator (URL)", webTitle(),
                                   (XtCallbackProc)createDialogCB, note, &note->playerWindow);
        gspSetLabel(d, XmNcancelLabelString, "dialog_clear", "Clear");
        gspSetLabel(d, XmNhelpLabelString, "dialog_cancel", "Cancel");
    }
    gspShowPrompt(note->playerWindow, message, note->url.getValue().getString());
}

void ZnURLNote::createDialogCB(Widget w, void *data, void *callData)
{
    ZnURLNote *note = (ZnURLNote *)data;
    XmSelectionBoxCallbackStruct *cbs = (XmSelectionBoxCallbackStruct *)callData;
    if (cbs->reason == XmCR_CANCEL) {  // Clear
        XmString empty = XmStringCreateLocalized((char *)"");
        XtVaSetValues(w, XmNtextString, empty, NULL);
        XmStringFree(empty);
        return;
    }
    XtUnmanageChild(w);
    if (cbs->reason == XmCR_OK) {
        note->url = gspTextOf(cbs->value).c_str();
        if (note->isPendingNote && note->pendingReadyCallback)
            (*note->pendingReadyCallback)(note, 0);
    }
    note->editDialogClosed(cbs->reason != XmCR_OK);
}
