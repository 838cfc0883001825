// A note's external player and editor: started through a watcher that
// reports over a socket which the Xt event loop watches, so that the
// application never blocks; stopped on request; their ends restore the
// icon, report failures and move automatic playback on.
#include <Glosspin/ZnNote.h>

#include <Glosspin/ZnCommon.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/sensors/SoAlarmSensor.h>
#include <X11/Intrinsic.h>

#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/ProcessWatcher.h"

using GspWatcher::Watcher;

namespace {

// Reads one (kind, value) message; waits up to timeoutMs for it.
bool readMessage(int fd, int timeoutMs, int &kind, int &value)
{
    struct pollfd p = {fd, POLLIN, 0};
    if (fd < 0 || poll(&p, 1, timeoutMs) != 1)
        return false;
    int32_t msg[2];
    if (recv(fd, msg, sizeof msg, MSG_WAITALL) != (ssize_t)sizeof msg)
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

// Starts a watcher for the player or the editor. Returns 1 when the
// program's process exists and its first message has been taken in.
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
    if (player) {
        job.child = [this, autoPlay] { invokeExternalPlayer(autoPlay); };
        if (usePlayerGeometry && playerWidth.getValue() > 0) {
            char line[128];
            snprintf(line, sizeof line, "*geometry:%dx%d+%d+%d\n", playerWidth.getValue(),
                     playerHeight.getValue(), playerLocationX.getValue(),
                     playerLocationY.getValue());
            job.resourceLine = line;
        }
    } else
        job.child = [this] { invokeExternalEditor(); };

    long id = -1;
    std::string resourceFile;
    Watcher *w = GspWatcher::start(std::move(job), id, resourceFile);
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
    if (player) {
        playerWatcher = w;
        playerMonitorPid = (int)id;
        resourceFileName = resourceFile.c_str();
    } else {
        editorWatcher = w;
        editorMonitorPid = (int)id;
    }
    // The process exists by now: its start message (or the report that
    // it could not be made) is waiting.
    int kind, value;
    if (!readMessage(sv[0], 2000, kind, value))
        kind = 1, value = GspWatcher::FORK_FAILED;
    if (player)
        playerMessage(kind, value);
    else
        editorMessage(kind, value);
    if (kind != 0)
        return 0;
    unsigned long input = XtAppAddInput(SoXt::getAppContext(), sv[0],
                                        (XtPointer)XtInputReadMask,
                                        player ? playerCB : editorCB, this);
    (player ? playerInputId : editorInputId) = input;
    return 1;
}

void ZnNote::playExternal(int autoPlay)
{
    if (isPlaying())
        killPlayerProcessId();
    if (startWatcher(true, autoPlay))
        ZnNote::play(autoPlay);
}

void ZnNote::editExternal()
{
    if (editorPid >= 0) {
        ZnCommon::displayError("editorExistsMsg");
        return;
    }
    // First, so that closing the editor of the note shown in the options
    // dialog cannot close the one started here.
    ZnNote::edit();
    startWatcher(false, 0);
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
        updateStaticProcessId(playerPid);
        if (noteToEdit == this)
            updateNoteOptionPlayerPositionUI();
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
    GspWatcher::join((Watcher *)playerWatcher);
    playerWatcher = NULL;
    playerMonitorPid = -1;
    if (noteToEdit == this)
        updateNoteOptionPlayerPositionUI();
}

void ZnNote::editorMessage(int kind, int value)
{
    if (kind == 0) {
        editorPid = value;
        return;
    }
    if (!isPlaying() && trackPlayerExit) {
        currentIconData = iconData;
        touch();
    }
    closeEditorChannel();
    editorPid = -1;
    if (value == GspWatcher::FORK_FAILED)
        editorForkFailed();
    else if (value != 0)
        externalEditorFailed();
    GspWatcher::join((Watcher *)editorWatcher);
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
    if (!dataExternal)
        wasImported = FALSE;  // the editor made the data
    findMediaLength();
    if (noteToEdit == this)
        updateNoteOptionMediaLengthUI();
}

void ZnNote::playerCB(void *data, int *, unsigned long *id)
{
    ZnNote *note = (ZnNote *)data;
    if (*id != note->playerInputId)
        return;
    int kind, value;
    if (!readMessage(note->playerPipe[0], 0, kind, value)) {
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
    if (!readMessage(note->editorPipe[0], 0, kind, value)) {
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
    if (playerPid < 2)
        return;
    closePlayerChannel();
    Watcher *w = (Watcher *)playerWatcher;
    playerWatcher = NULL;
    playerMonitorPid = -1;
    playerPid = -1;
    if (!alwaysKillPlayers && !trackPlayerExit) {
        GspWatcher::detach(w);  // the player keeps running, forgotten
        return;
    }
    GspWatcher::sendSignal(w, SIGTERM);
    if (resourceFileName.getLength() > 0)
        unlink(resourceFileName.getString());
    GspWatcher::join(w);
}

void ZnNote::killEditorProcessId()
{
    if (editorPid < 2)
        return;
    closeEditorChannel();
    Watcher *w = (Watcher *)editorWatcher;
    editorWatcher = NULL;
    editorMonitorPid = -1;
    editorPid = -1;
    GspWatcher::sendSignal(w, SIGTERM);
    GspWatcher::join(w);
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

// Automatic playback of this note is over: tells the note list, once.
void ZnNote::callPlayerFinished()
{
    void (*cb)(void *, int) = playerFinishedCallback;
    playerFinishedCallback = NULL;
    if (cb)
        (*cb)(playerFinishedCallbackData, 0);
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
}
