// A note's external player and editor: started through a watcher that
// reports over a socket which the Xt event loop watches, so that the
// application never blocks; stopped on request; their ends restore the
// icon, report failures and move automatic playback on.
#include <Glosspin/ZnNote.h>

#include <Glosspin/ZnCommon.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/sensors/SoAlarmSensor.h>
#include <X11/Intrinsic.h>

#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/ProcessWatcher.h"

using GspWatcher::Watcher;

namespace {

// Reads one (kind, value) message, without waiting.
bool readMessage(int fd, int &kind, int &value)
{
    int32_t msg[2];
    if (fd < 0 || recv(fd, msg, sizeof msg, MSG_WAITALL | MSG_DONTWAIT) != (ssize_t)sizeof msg)
        return false;
    kind = msg[0];
    value = msg[1];
    return true;
}

void closeFd(int &fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

}

void ZnNote::playerForkFailed() { ZnCommon::displayError("cannotStartPlayerMsg", "outOfSwapMsg"); }
void ZnNote::editorForkFailed() { ZnCommon::displayError("cannotStartEditorMsg", "outOfSwapMsg"); }

// Starts a watcher for the player or the editor and returns at once: 1
// when it runs (its messages arrive through the Xt input), else 0 after
// the error dialog. The note's state is the caller's to change.
int ZnNote::startWatcher(bool player, int autoPlay)
{
    int sv[2];
    if (!SoXt::getAppContext() ||
        socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) {
        if (player)
            playerForkFailed();
        else
            ZnCommon::displayError("cannotStartEditorMsg", "communicationFailedMsg");
        return 0;
    }
    GspWatcher::Job job;
    job.environment = GspWatcher::currentEnvironment();
    job.environment.push_back("GLRES=*.autoFork:False");
    job.reportFd = sv[1];
    job.ownProcessGroup = ownProcessGroup != 0;
    if (player) {
        getExternalPlayerCommand(autoPlay, job.argv);
        if (usePlayerGeometry && playerWidth.getValue() > 0) {
            char line[128];
            snprintf(line, sizeof line, "*geometry:%dx%d+%d+%d\n", playerWidth.getValue(),
                     playerHeight.getValue(), playerLocationX.getValue(),
                     playerLocationY.getValue());
            job.resourceLine = line;
        }
    } else
        getExternalEditorCommand(job.argv);

    Watcher *w = GspWatcher::start(std::move(job));
    if (!w) {
        close(sv[0]);
        close(sv[1]);
        if (player)
            playerForkFailed();
        else
            editorForkFailed();
        return 0;
    }
    int *channel = player ? playerPipe : editorPipe;
    channel[0] = sv[0];
    channel[1] = -1;  // the watcher's end
    (player ? playerWatcher : editorWatcher) = w;
    unsigned long input = XtAppAddInput(SoXt::getAppContext(), sv[0],
                                        (XtPointer)XtInputReadMask,
                                        player ? playerCB : editorCB, this);
    (player ? playerInputId : editorInputId) = input;
    return 1;
}

int ZnNote::playExternal(int autoPlay)
{
    if (isPlaying() || playerWatcher)
        killPlayerProcessId();
    if (!startWatcher(true, autoPlay)) {
        cannotPlay(autoPlay);
        return 0;
    }
    ZnNote::play(autoPlay);
    return 1;
}

void ZnNote::editExternal()
{
    if (editorPid >= 0 || editorWatcher) {
        ZnCommon::displayError("editorExistsMsg");
        return;
    }
    // The base edit ends the editor of the note shown in the options
    // dialog, which may be this one: it runs before this editor counts as
    // started, and only once the start has succeeded.
    if (!startWatcher(false, 0))
        return;
    void *started = editorWatcher;
    unsigned long input = editorInputId;
    int channel = editorPipe[0];
    editorWatcher = NULL;
    ZnNote::edit();
    editorWatcher = started;
    editorInputId = input;
    editorPipe[0] = channel;
}

void ZnNote::closePlayerChannel()
{
    if (playerInputId)
        XtRemoveInput(playerInputId);
    playerInputId = 0;
    closeFd(playerPipe[0]);
    closeFd(playerPipe[1]);
}

void ZnNote::closeEditorChannel()
{
    if (editorInputId)
        XtRemoveInput(editorInputId);
    editorInputId = 0;
    closeFd(editorPipe[0]);
    closeFd(editorPipe[1]);
}

void ZnNote::playerMessage(int kind, int value)
{
    if (kind == 0) {
        playerPid = value;
        playerMonitorPid = (int)GspWatcher::id((Watcher *)playerWatcher);
        resourceFileName = GspWatcher::resourceFile((Watcher *)playerWatcher).c_str();
        if (noteToEdit == this)
            updateNoteOptionPlayerPositionUI();
        updateStaticProcessId(playerPid);
        return;
    }
    if (!isEditing() && (trackPlayerExit || !isPlaying())) {
        currentIconData = iconData;
        touch();
    }
    closePlayerChannel();
    updateStaticProcessId(playerPid);
    playerPid = -1;
    if (value == GspWatcher::FORK_FAILED)
        playerForkFailed();
    else if (value != 0)
        externalPlayerFailed();
    if (playingInSequence && trackPlayerExit) {
        playingInSequence = 0;
        callPlayerFinished();
    }
    if (noteToEdit == this)
        updateNoteOptionPlayerPositionUI();
    // The watcher ends by itself now.
    GspWatcher::detach((Watcher *)playerWatcher);
    playerWatcher = NULL;
    playerMonitorPid = -1;
}

// The recorder's status when the user closed it without recording.
static const int EDITOR_GAVE_UP = 3;

void ZnNote::editorMessage(int kind, int value)
{
    if (kind == 0) {
        editorPid = value;
        editorMonitorPid = (int)GspWatcher::id((Watcher *)editorWatcher);
        return;
    }
    if (!isPlaying() && trackPlayerExit) {
        currentIconData = iconData;
        touch();
    }
    closeEditorChannel();
    editorPid = -1;
    int gaveUp = value == EDITOR_GAVE_UP;
    if (value == GspWatcher::FORK_FAILED)
        editorForkFailed();
    else if (value != 0 && !gaveUp)
        externalEditorFailed();
    GspWatcher::detach((Watcher *)editorWatcher);
    editorWatcher = NULL;
    editorMonitorPid = -1;
    if (isPendingNote) {
        if (!gatherPendingData(0)) {
            if (pendingFinishedCallback)
                (*pendingFinishedCallback)(this, 0);
            return;
        }
        if (pendingReadyCallback)
            (*pendingReadyCallback)(this, 0);
    }
    if (!dataExternal && !gaveUp)
        wasImported = FALSE;  // the editor made the data
    findMediaLength();
    if (noteToEdit == this) {
        // A length known only now makes "for duration of media" selectable.
        enableNoteOptionAutoPlayUI(autoPlayable.getValue());
        updateNoteOptionMediaLengthUI();
        updateNoteOptionPlayerPositionUI();
    }
}

void ZnNote::playerCB(void *data, int *, unsigned long *id)
{
    ZnNote *note = (ZnNote *)data;
    if (*id != note->playerInputId)
        return;
    int kind, value;
    if (!readMessage(note->playerPipe[0], kind, value)) {
        ZnCommon::displayError("lostPlayerMsg", "communicationFailedMsg");
        // Without its channel the end can no longer be reported.
        note->closePlayerChannel();
        return;
    }
    note->playerMessage(kind, value);
}

void ZnNote::editorCB(void *data, int *, unsigned long *id)
{
    ZnNote *note = (ZnNote *)data;
    if (*id != note->editorInputId)
        return;
    int kind, value;
    if (!readMessage(note->editorPipe[0], kind, value)) {
        // The watcher closes the channel when it could not write a
        // message whole.
        if (GspWatcher::reportFailed((Watcher *)note->editorWatcher))
            ZnCommon::displayError("cannotStartEditorMsg", "communicationFailedMsg");
        else
            ZnCommon::displayError("lostEditorMsg", "communicationFailedMsg");
        note->closeEditorChannel();
        return;
    }
    note->editorMessage(kind, value);
}

void ZnNote::killPlayerProcessId()
{
    if (playerTimer->isScheduled())
        playerTimer->unschedule();
    // A player whose start message has not arrived yet is stopped too.
    if (playerPid < 2 && !playerWatcher)
        return;
    if (!alwaysKillPlayers && !trackPlayerExit) {
        forgetPlayerProcess();
        return;
    }
    // The watcher removes the resource file when the player has gone.
    GspWatcher::stop((Watcher *)releasePlayer(), SIGTERM);
}

// The note lets go of its player process: its channel is closed and its
// record cleared. Returns the player's watcher.
void *ZnNote::releasePlayer()
{
    closePlayerChannel();
    void *w = playerWatcher;
    playerWatcher = NULL;
    playerMonitorPid = -1;
    playerPid = -1;
    return w;
}

void ZnNote::forgetPlayerProcess()
{
    if (playerPid >= 2 || playerWatcher)
        GspWatcher::detach((Watcher *)releasePlayer());  // the player keeps running
}

void ZnNote::killEditorProcessId()
{
    if (editorPid < 2 && !editorWatcher)
        return;
    closeEditorChannel();
    Watcher *w = (Watcher *)editorWatcher;
    editorWatcher = NULL;
    editorMonitorPid = -1;
    editorPid = -1;
    GspWatcher::stop(w, SIGTERM);
}

void ZnNote::killPlayer()
{
    killPlayerProcessId();
    if (!isEditing()) {
        currentIconData = iconData;
        touch();
    }
    if (noteToEdit == this)
        updateNoteOptionPlayerPositionUI();
}

void ZnNote::killEditor()
{
    killEditorProcessId();
    if (!isPlaying()) {
        currentIconData = iconData;
        touch();
    }
}

void ZnNote::recordMedia()
{
    if (noteToEdit)
        noteToEdit->killEditor();
    if (!checkFilename()) {
        if (isPendingNote && pendingFinishedCallback)
            (*pendingFinishedCallback)(this, 0);
        return;
    }
    mediaLength = 0;
    editExternal();
}

void ZnNote::playMedia(int autoPlay)
{
    if (!dataExternal && tempDataFileName.getLength() == 0 && checkFilename() &&
        !copyDataToExternalFile(NULL)) {
        cannotPlay(autoPlay);
        return;
    }
    if (checkDataFile(TRUE))
        playExternal(autoPlay);
    else
        cannotPlay(autoPlay);
}

int ZnNote::playerPlaceFromBottom(int &x, int &y) const
{
    if (playerHeight.getValue() < 1)
        return 0;
    x = playerLocationX.getValue();
    y = screenLimits[1] - playerLocationY.getValue() - playerHeight.getValue() + 2;
    return 1;
}

void ZnNote::editDialogClosed(int cancelled)
{
    if (!isPlaying()) {
        currentIconData = iconData;
        touch();
    }
    if (cancelled && isPendingNote && pendingFinishedCallback)
        (*pendingFinishedCallback)(this, 0);
}

void ZnNote::playerClosedByUser()
{
    currentIconData = iconData;
    touch();
    if (playingInSequence) {
        playingInSequence = 0;
        if (lifetimeType.getValue() == 0)
            callPlayerFinished();
    }
}

// Automatic playback of this note is over: tells the note list, once.
void ZnNote::callPlayerFinished()
{
    void (*cb)(void *, int) = playerFinishedCallback;
    playerFinishedCallback = NULL;
    if (cb)
        (*cb)(playerFinishedCallbackData, 0);
}

void ZnNote::cannotPlay(int autoPlay)
{
    if (!isEditing()) {
        currentIconData = iconData;
        touch();
    }
    if (!autoPlay)
        return;
    playingInSequence = 1;
    playerTimer->setTimeFromNow(SbTime::zero());
    playerTimer->schedule();
}

void ZnNote::PlayerTimeUpCB(void *data, SoSensor *)
{
    ZnNote *note = (ZnNote *)data;
    note->killPlayer();
    note->callPlayerFinished();
    note->playingInSequence = 0;
}

void ZnNote::windowClosedCB(Widget, void *data, void *)
{
    ZnNote *note = (ZnNote *)data;
    if (note->playerWindow && XtIsManaged(note->playerWindow))
        XtUnmanageChild(note->playerWindow);
    if (!note->isPlaying() && !note->isEditing()) {
        note->currentIconData = note->iconData;
        note->touch();
    }
    if (note->isPendingNote) {
        if (note->pendingFinishedCallback)
            (*note->pendingFinishedCallback)(note, 0);
        return;
    }
    if (note->playingInSequence) {
        note->playingInSequence = 0;
        if (note->lifetimeType.getValue() == 0)
            note->callPlayerFinished();
    }
    if (noteToEdit == note)
        note->updateNoteOptionPlayerPositionUI();
}
