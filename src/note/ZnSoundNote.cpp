#include <Glosspin/ZnSoundNote.h>

#include <Glosspin/ZnCommon.h>

#include "note/NoteIcons.h"
#include "note/NoteKindClass.h"
#include "platform/MediaLength.h"
#include "platform/HardwareProbe.h"

SO_NODE_SOURCE(ZnSoundNote);

const char *ZnSoundNote::fileSuffix = ".aifc";
int ZnSoundNote::hasAudioHW = 0;
int ZnSoundNote::hasAudioOutput = 0;

void ZnSoundNote::initClass()
{
    GSP_NOTE_KIND_INIT_CLASS(ZnSoundNote);
    // Recording is offered only where a capture device answers. The
    // device-wide 11025 Hz input rate of other systems has no ALSA
    // equivalent: the recorder asks for its rate when it opens the device.
    hasAudioHW = GspHardwareProbe::audioCaptureUsable();
    // Playing needs an output device only: a machine with speakers and no
    // microphone plays its notes (the one audio flag of other systems
    // stood for both).
    hasAudioOutput = GspHardwareProbe::audioPlaybackUsable();
}

ZnSoundNote::ZnSoundNote()
{
    SO_NODE_CONSTRUCTOR(ZnSoundNote);
    GSP_SET_NOTE_ICONS(sound);
    lifetimeType = 2;
    startNextNote = 1;
    playerLocationSupported = 0;
}

ZnSoundNote::~ZnSoundNote() {}

// New data counts when the editor left a readable file.
int ZnSoundNote::gatherPendingData(int)
{
    return checkDataFile(FALSE);
}

const char *ZnSoundNote::getDurationMsg()
{
    static char msg[256];
    return formatDuration(msg, sizeof msg, "duration_sound",
                          "for duration of audio recording (%s sec)");
}

const char *ZnSoundNote::getFileSuffix() { return fileSuffix; }
int ZnSoundNote::getUndoWeight() { return 908 + (int)(mediaBlockSize() / 1000); }
int ZnSoundNote::usingMediaData() { return 1; }

void ZnSoundNote::findMediaLength()
{
    double seconds;
    if (measureMedia(GspMediaLength::sound, GspMediaLength::sound, seconds))
        mediaLength = (float)seconds;
}

int AudioInputHardwareInUse() { return GspHardwareProbe::audioInputInUse(); }
int GetAudioHardwareInputRate() { return GspHardwareProbe::audioInputRate(); }

void ZnSoundNote::edit()
{
    if (!hasAudioHW) {
        ZnCommon::displayError("noAudioHWMsg");
        return;
    }
    recordMedia();
}

// Without an audio output an automatic playback passes straight on.
void ZnSoundNote::play(int autoPlay)
{
    if (hasAudioOutput) {
        playMedia(autoPlay);
        return;
    }
    if (!autoPlay)
        ZnCommon::displayError("noAudioOutputMsg");
    cannotPlay(autoPlay);
}

void ZnSoundNote::getExternalPlayerCommand(int, std::vector<std::string> &argv)
{
    argv = {"soundplay", "-nice", dataFilename()};
}

void ZnSoundNote::getExternalEditorCommand(std::vector<std::string> &argv)
{
    argv = {"mediagrab", "-nofork", "-audio", "-fixedMode", "audio", "-fixedFile", dataFilename()};
}

void ZnSoundNote::externalPlayerFailed() { ZnCommon::displayError("noSoundplayMsg"); }
void ZnSoundNote::externalEditorFailed() { ZnCommon::displayError("noMediagrabMsg"); }
