#ifndef GLOSSPIN_ZNSOUNDNOTE_H
#define GLOSSPIN_ZNSOUNDNOTE_H

#include <Glosspin/ZnNote.h>

/// A note that carries a sound, recorded with mediagrab and played with
/// soundplay; its bytes are the note's media data.
class ZnSoundNote : public ZnNote {
    SO_NODE_HEADER(ZnSoundNote);

  public:
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();
    /// A new ZnSoundNote, its fields at their defaults.
    ZnSoundNote();

    void edit() override;
    void play(int autoPlay) override;
    void getExternalPlayerCommand(int autoPlay, std::vector<std::string> &argv) override;
    void getExternalEditorCommand(std::vector<std::string> &argv) override;
    void externalPlayerFailed() override;
    void externalEditorFailed() override;
    int gatherPendingData(int accept) override;
    const char *getDurationMsg() override;
    const char *getFileSuffix() override;
    int getUndoWeight() override;
    int usingMediaData() override;
    /// The length of the sound, from its file or its block in the scene.
    void findMediaLength() override;

    static const char *fileSuffix;  ///< the suffix of the kind's data files
    /// Set by the hardware probes when the library registers its classes:
    /// a capture device for recording, an output device for playing.
    static int hasAudioHW;
    static int hasAudioOutput;  ///< an output device was found

  protected:
    ~ZnSoundNote() override;
};

/// The default audio input: whether another program holds it, and the
/// rate a recording at 11025 Hz gets (-8 when there is no input).
int AudioInputHardwareInUse();
int GetAudioHardwareInputRate();

#endif
