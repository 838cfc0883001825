#include <Glosspin/ZnMovieNote.h>

#include <Glosspin/ZnCommon.h>

#include "note/NoteIcons.h"
#include "note/NoteKindClass.h"
#include "platform/MediaLength.h"
#include "platform/HardwareProbe.h"

SO_NODE_SOURCE(ZnMovieNote);

const char *ZnMovieNote::fileSuffix = ".mv";
int ZnMovieNote::hasVideoHW = 0;

void ZnMovieNote::initClass()
{
    GSP_NOTE_KIND_INIT_CLASS(ZnMovieNote);
    // Recording is offered only where a capture device answers.
    hasVideoHW = GspHardwareProbe::videoCaptureUsable();
}

ZnMovieNote::ZnMovieNote()
{
    SO_NODE_CONSTRUCTOR(ZnMovieNote);
    GSP_SET_NOTE_ICONS(movie);
    lifetimeType = 2;
    startNextNote = 1;
    playerLocationSupported = 2;
    usePlayerGeometry = 0;
}

ZnMovieNote::~ZnMovieNote() {}

// New data counts when the editor left a readable file.
int ZnMovieNote::gatherPendingData(int)
{
    return checkDataFile(FALSE);
}

const char *ZnMovieNote::getDurationMsg()
{
    static char msg[256];
    return formatDuration(msg, sizeof msg, "duration_movie", "for duration of movie (%s sec)");
}

const char *ZnMovieNote::getFileSuffix() { return fileSuffix; }
int ZnMovieNote::getUndoWeight() { return 908 + (int)(mediaBlockSize() / 1000); }
int ZnMovieNote::usingMediaData() { return 1; }

void ZnMovieNote::findMediaLength()
{
    double seconds;
    if (measureMedia(GspMediaLength::movie, GspMediaLength::movie, seconds))
        mediaLength = (float)seconds;
}

void ZnMovieNote::edit()
{
    if (!hasVideoHW) {
        ZnCommon::displayError("noCameraMsg");
        return;
    }
    recordMedia();
}

void ZnMovieNote::play(int autoPlay) { playMedia(autoPlay); }

void ZnMovieNote::getExternalPlayerCommand(int autoPlay, std::vector<std::string> &argv)
{
    argv = {"clipviewer", "-nofork"};
    if (autoPlay)
        argv.insert(argv.end(), {"-l", "1"});
    int x, y;
    if (playerPlaceFromBottom(x, y))
        argv.insert(argv.end(), {"-S", std::to_string(x) + "," + std::to_string(y)});
    argv.push_back(dataFilename());
}

void ZnMovieNote::getExternalEditorCommand(std::vector<std::string> &argv)
{
    argv = {"mediagrab", "-nofork", "-guaranteeVideo", "-video", "-fixedMode", "video",
            "-movieFormat", "zyx", "-movieCompression", "mvc2", "-fixedFile", dataFilename()};
}

void ZnMovieNote::externalPlayerFailed() { ZnCommon::displayError("noClipviewerMsg"); }
void ZnMovieNote::externalEditorFailed() { ZnCommon::displayError("noMediagrabMsg"); }
