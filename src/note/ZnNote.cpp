#include <Glosspin/ZnNote.h>

#include <Glosspin/ZnCommon.h>
#include <Inventor/Xt/SoXt.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/elements/SoModelMatrixElement.h>
#include <Inventor/elements/SoProjectionMatrixElement.h>
#include <Inventor/elements/SoViewingMatrixElement.h>
#include <Inventor/sensors/SoAlarmSensor.h>
#include <X11/Intrinsic.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>

#include "field/ReadLeftovers.h"
#include "init/MessageText.h"

SO_NODE_ABSTRACT_SOURCE(ZnNote);

short ZnNote::screenLimits[2] = {0, 0};
SbString ZnNote::externalFilePrefix;
SbString ZnNote::tmpDirName;
unsigned long ZnNote::cleanUpWorkProcId = 0;
int ZnNote::newNotesInline = 1;
int ZnNote::alwaysKillPlayers = 1;
int ZnNote::usingLaunchEffect = 0;
int ZnNote::numNotes = 0;
FcmConnection ZnNote::fcmConnection = {-1, NULL};
ZnNote *ZnNote::noteToEdit = NULL;

// Live notes and the process that made each: a child forked from the
// application must not remove its parent's files when it exits.
static std::map<ZnNote *, pid_t> &liveNotes()
{
    static std::map<ZnNote *, pid_t> *notes = new std::map<ZnNote *, pid_t>;
    return *notes;
}

void ZnNote::removePrivateFilesAtExit()
{
    pid_t self = getpid();
    for (const auto &entry : liveNotes()) {
        ZnNote *note = entry.first;
        const char *name = note->getDataFilename();
        if (entry.second == self && note->deleteDataFileOnDestroy && name)
            unlink(name);
    }
}

void ZnNote::releaseReadData(void *object)
{
    ZnNote *note = (ZnNote *)object;
    const char *name = note->getDataFilename();
    if (note->deleteDataFileOnDestroy && name)
        unlink(name);
    note->deleteDataFileOnDestroy = 0;
    note->tempDataFileName = "";
    note->mediaData.setFileInfo(SbString(), 0, 0);
    note->mediaData.clearFileIndex();
}

void ZnNote::initClass()
{
    if (getClassTypeId() != SoType::badType())
        return;
    // The media field's type, before any note is built.
    SoSFDelayedData::initClass();
    SO__NODE_INIT_ABSTRACT_CLASS(ZnNote, "ZnNote", SoShape);
    // The icon is placed in pixels from the three matrices.
    SO_ENABLE(SoGLRenderAction, SoModelMatrixElement);
    SO_ENABLE(SoGLRenderAction, SoProjectionMatrixElement);
    SO_ENABLE(SoGLRenderAction, SoViewingMatrixElement);
}

ZnNote::ZnNote()
{
    SO_NODE_CONSTRUCTOR(ZnNote);
    const char *user = getenv("USER");
    SO_NODE_ADD_FIELD(author, (user ? user : ""));
    SO_NODE_ADD_FIELD(timestamp, (SbTime::getTimeOfDay()));
    SO_NODE_ADD_FIELD(autoPlayable, (TRUE));
    SO_NODE_ADD_FIELD(lifetimeType, (0));
    SO_NODE_ADD_FIELD(lifetime, (60.0f));
    SO_NODE_ADD_FIELD(startNextNote, (1));
    SO_NODE_ADD_FIELD(nextNoteDelay, (5.0f));
    SO_NODE_ADD_FIELD(filename, (""));
    SO_NODE_ADD_FIELD(preferInline, (FALSE));
    SO_NODE_ADD_FIELD(mediaData, (0));
    SO_NODE_ADD_FIELD(padByteCount, (0));
    SO_NODE_ADD_FIELD(playerLocationX, (-1));
    SO_NODE_ADD_FIELD(playerLocationY, (-1));
    SO_NODE_ADD_FIELD(playerWidth, (-1));
    SO_NODE_ADD_FIELD(playerHeight, (-1));
    SO_NODE_ADD_FIELD(wasImported, (TRUE));
    // The first note ever takes the screen size and schedules the
    // clean-up of stale cache files.
    static int noteConstructed = 0;
    if (!noteConstructed) {
        noteConstructed = 1;
        atexit(removePrivateFilesAtExit);
        Widget top = SoXt::getTopLevelWidget();
        if (top) {
            Screen *s = DefaultScreenOfDisplay(XtDisplay(top));
            screenLimits[0] = (short)WidthOfScreen(s);
            screenLimits[1] = (short)HeightOfScreen(s);
            cleanUpWorkProcId =
                XtAppAddWorkProc(SoXt::getAppContext(), cleanUpWorkProc, NULL);
        }
    }

    playerTimer = new SoAlarmSensor(PlayerTimeUpCB, this);
    timestamp = SbTime::getTimeOfDay();

    lastClickTime = 0;
    offset.setValue(0, 0, 0);
    dataFileIsTemp = 1;
    playerPid = editorPid = playerMonitorPid = editorMonitorPid = -1;
    supportsExternalData = 1;
    isPendingNote = 0;
    playingInSequence = 0;
    deleteDataFileOnDestroy = 1;
    pendingReadyCallback = NULL;
    pendingFinishedCallback = NULL;
    playerFinishedCallback = NULL;
    playerFinishedCallbackData = NULL;
    playerPipe[0] = playerPipe[1] = editorPipe[0] = editorPipe[1] = -1;
    mediaLength = 0;
    playerLocationSupported = 1;
    playerWindow = NULL;
    trackPlayerExit = 1;
    usePlayerGeometry = 1;
    ownProcessGroup = 0;
    currentIconData = activeIconData = iconData = NULL;
    iconWidth = iconHeight = 0;
    selected = 0;
    editorInputId = playerInputId = 0;
    playerWatcher = editorWatcher = NULL;
    leftOutOf = NULL;
    // The first note opens the monitor connection; without a monitor
    // service nothing changes.
    if (numNotes == 0)
        FcmOpen(&fcmConnection);
    numNotes++;
    liveNotes()[this] = getpid();

    mediaIsRaw = 0;
    dataExternal = !newNotesInline;
    mediaData.setWriteCB(dataWriteCB);
    mediaData.setFileInfo(SbString(), 0, 0);
    mediaData.setDefault(dataExternal ? TRUE : FALSE);
}

ZnNote::~ZnNote()
{
    killPlayerProcessId();
    killEditorProcessId();
    playerTimer->unschedule();
    delete playerTimer;
    if (noteToEdit == this)
        disableNoteOptionUI();
    if (--numNotes == 0)
        FcmClose(&fcmConnection);
    liveNotes().erase(this);
    GspReadLeftovers::remove(this);
    const char *name = getDataFilename();
    if (deleteDataFileOnDestroy && name)
        unlink(name);
}

void ZnNote::edit()
{
    if (noteToEdit)
        noteToEdit->killEditor();
    currentIconData = activeIconData;
    touch();
    timestamp = SbTime::getTimeOfDay();
    const char *user = getenv("USER");
    author = user ? user : "";
}

void ZnNote::play(int autoPlay)
{
    currentIconData = activeIconData;
    touch();
    if (autoPlay) {
        playingInSequence = 1;
        if (lifetimeType.getValue() == 1) {
            playerTimer->setTimeFromNow(SbTime(lifetime.getValue()));
            playerTimer->schedule();
        }
    }
    if (noteToEdit == this)
        updateNoteOptionPlayerPositionUI();
}

int ZnNote::isPlaying() const { return playerPid >= 2; }
int ZnNote::isEditing() const { return editorPid >= 2; }

const char *ZnNote::getDurationMsg()
{
    return ZnCommon::getResource("duration_generic", "for duration of media");
}

const char *ZnNote::formatDuration(char *buf, int size, const char *key,
                                   const char *fallback) const
{
    char number[32];
    snprintf(number, sizeof number, "%.1f", mediaLength);
    const char *format = ZnCommon::getResource(key, fallback);
    std::string out = gspFillMessage(format, number);
    snprintf(buf, (size_t)size, "%s", out.c_str());
    return buf;
}

long ZnNote::mediaBlockSize() const
{
    struct stat st;
    if (tempDataFileName.getLength() > 0 && stat(tempDataFileName.getString(), &st) == 0)
        return (long)st.st_size;
    return mediaData.getDataSize();
}

const char *ZnNote::getFileSuffix() { return ""; }
void ZnNote::findMediaLength() {}
void ZnNote::getExternalPlayerCommand(int, std::vector<std::string> &) {}
void ZnNote::getExternalEditorCommand(std::vector<std::string> &) {}
void ZnNote::externalPlayerFailed() { ZnCommon::displayError("cannotStartPlayerMsg"); }
void ZnNote::externalEditorFailed() { ZnCommon::displayError("cannotStartEditorMsg"); }
int ZnNote::usingMediaData() { return FALSE; }
void ZnNote::updateStaticProcessId(long) {}


void ZnNote::select()
{
    selected = 1;
    touch();
    updateNoteOptionUI();
}

void ZnNote::deselect()
{
    selected = 0;
    touch();
    killEditor();
}
