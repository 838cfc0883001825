#include <Glosspin/ZnSystemNote.h>

#include <Glosspin/ZnCommon.h>
#include <Inventor/Xt/SoXt.h>
#include <Xm/MessageB.h>
#include <Xm/SelectioB.h>

#include "init/MessageText.h"
#include "note/NoteIcons.h"
#include "note/NoteKindClass.h"
#include "note/PromptDialog.h"

SO_NODE_SOURCE(ZnSystemNote);

int ZnSystemNote::confirmCommandsFromFiles = 1;

namespace {

// The command runs in a shell of its own under a second shell that turns
// its status into what the player's exit status says: 0 for success, 255
// for a non-zero exit code, the signal's number for a command killed by
// a signal. (The player's process may only exec a program, so the status
// mapping of running the command with system() is done here.)
const char STATUS_SHELL[] = "/bin/sh -c \"$1\"\n"
                            "s=$?\n"
                            "if [ $s -gt 128 ]; then exit $((s - 128)); fi\n"
                            "if [ $s -ne 0 ]; then exit 255; fi\n";

}

void ZnSystemNote::initClass()
{
    GSP_NOTE_KIND_INIT_CLASS(ZnSystemNote);
}

ZnSystemNote::ZnSystemNote() : commandTrusted(1), confirmDialog(NULL), confirmAutoPlay(0)
{
    SO_NODE_CONSTRUCTOR(ZnSystemNote);
    GSP_SET_NOTE_ICONS(system);
    SO_NODE_ADD_FIELD(command, (""));
    supportsExternalData = 0;
    dataExternal = 0;
    mediaData.setDefault(TRUE);
    startNextNote = 2;
    nextNoteDelay = 5.0f;
    ownProcessGroup = 1;
}

ZnSystemNote::~ZnSystemNote()
{
    killPlayer();
    killEditor();
    if (confirmDialog)
        XtDestroyWidget(XtParent(confirmDialog));
    if (playerWindow)
        XtDestroyWidget(XtParent(playerWindow));
}

// A command read from a scene is the scene's, not the user's.
SbBool ZnSystemNote::readInstance(SoInput *in, unsigned short flags)
{
    commandTrusted = 0;
    return ZnNote::readInstance(in, flags);
}

int ZnSystemNote::gatherPendingData(int) { return 0; }

// The command and the field's name and type in the file.
int ZnSystemNote::estimateDiskSpaceRequired(int binary)
{
    return ZnNote::estimateDiskSpaceRequired(binary) + command.getValue().getLength() + 22;
}

int ZnSystemNote::getUndoWeight() { return 972; }

// Playing.

void ZnSystemNote::play(int autoPlay)
{
    if (commandTrusted || !confirmCommandsFromFiles) {
        playExternal(autoPlay);
        return;
    }
    confirmAutoPlay = autoPlay;
    Widget top = SoXt::getTopLevelWidget();
    if (!top) {
        confirmDialogCB(NULL, this, NULL);  // nobody to ask: not run
        return;
    }
    if (!confirmDialog) {
        Arg args[1];
        XtSetArg(args[0], XmNdefaultButtonType, XmDIALOG_CANCEL_BUTTON);
        confirmDialog = XmCreateQuestionDialog(top, (char *)"Confirm System Command", args, 1);
        gspSetLabel(confirmDialog, XmNokLabelString, "dialog_run", "Run");
        gspSetLabel(confirmDialog, XmNcancelLabelString, "dialog_cancel", "Cancel");
        XtVaSetValues(XtParent(confirmDialog), XmNtitle,
                      ZnCommon::getResource("title_system_confirm", "Glosspin : Run a Command?"),
                      NULL);
        XtUnmanageChild(XmMessageBoxGetChild(confirmDialog, XmDIALOG_HELP_BUTTON));
        XtAddCallback(confirmDialog, XmNokCallback, (XtCallbackProc)confirmDialogCB, this);
        XtAddCallback(confirmDialog, XmNcancelCallback, (XtCallbackProc)confirmDialogCB, this);
        gspForgetOnDestroy(confirmDialog, &confirmDialog);
    }
    std::string text = gspFillMessage(
        ZnCommon::getResource("system_note_confirm_msg",
                              "This note comes from a scene file. Playing it runs the command\n\n"
                              "%s\n\nRun the command?"),
        command.getValue().getString());
    XmString message = XmStringCreateLtoR((char *)text.c_str(), (char *)XmFONTLIST_DEFAULT_TAG);
    XtVaSetValues(confirmDialog, XmNmessageString, message, NULL);
    XmStringFree(message);
    XtManageChild(confirmDialog);
}

// Run: the command is trusted from now on. Cancel: the playback ends as
// a failed start does, and an automatic playback goes on.
void ZnSystemNote::confirmDialogCB(Widget, void *data, void *callData)
{
    ZnSystemNote *note = (ZnSystemNote *)data;
    XmAnyCallbackStruct *cbs = (XmAnyCallbackStruct *)callData;
    if (cbs && cbs->reason == XmCR_OK) {
        note->commandTrusted = 1;
        note->playExternal(note->confirmAutoPlay);
        return;
    }
    note->cannotPlay(note->confirmAutoPlay);
}

void ZnSystemNote::getExternalPlayerCommand(int, std::vector<std::string> &argv)
{
    argv = {"/bin/sh", "-c", STATUS_SHELL, "sh", command.getValue().getString()};
}

void ZnSystemNote::externalPlayerFailed()
{
    ZnCommon::displayError("unableToExecuteMsg", "unableToExecuteMsgPart2", NULL,
                           command.getValue().getString());
}

// Editing, in the prompt dialog.

void ZnSystemNote::edit()
{
    ZnNote::edit();
    createDialog(isPendingNote ? ZnCommon::getResource("system_note_new_msg",
                                                       "Enter a system command for the new Note")
                               : ZnCommon::getResource("system_note_edit_msg",
                                                       "Edit the system command for this Note"),
                 this);
}

int ZnSystemNote::isEditing() const { return playerWindow && XtIsManaged(playerWindow); }

void ZnSystemNote::killEditor()
{
    if (isEditing())
        XtUnmanageChild(playerWindow);
    ZnNote::killEditor();
}

void ZnSystemNote::createDialog(const char *message, ZnSystemNote *note)
{
    Widget top = SoXt::getTopLevelWidget();
    if (!top)
        return;
    if (!note->playerWindow) {
        const char *title = ZnCommon::getResource("title_system", "Glosspin : System Command");
        Widget d = gspCreatePrompt("Enter System Command", title, (XtCallbackProc)createDialogCB,
                                   note, &note->playerWindow);
        XtUnmanageChild(XmSelectionBoxGetChild(d, XmDIALOG_HELP_BUTTON));
    }
    gspShowPrompt(note->playerWindow, message, note->command.getValue().getString());
}

void ZnSystemNote::createDialogCB(Widget w, void *data, void *callData)
{
    ZnSystemNote *note = (ZnSystemNote *)data;
    XmSelectionBoxCallbackStruct *cbs = (XmSelectionBoxCallbackStruct *)callData;
    XtUnmanageChild(w);
    if (cbs->reason == XmCR_OK) {
        note->command = gspTextOf(cbs->value).c_str();
        note->commandTrusted = 1;  // typed by the user
        if (note->isPendingNote && note->pendingReadyCallback)
            (*note->pendingReadyCallback)(note, 0);
    }
    note->editDialogClosed(cbs->reason == XmCR_CANCEL);
}
