#ifndef GLOSSPIN_ZNMOVIENOTE_H
#define GLOSSPIN_ZNMOVIENOTE_H

#include <Glosspin/ZnNote.h>

/// A note that carries a movie, recorded with mediagrab and played with
/// clipviewer at the stored place; its bytes are the note's media data.
class ZnMovieNote : public ZnNote {
    SO_NODE_HEADER(ZnMovieNote);

  public:
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();
    /// A new ZnMovieNote, its fields at their defaults.
    ZnMovieNote();

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
    /// The length of the movie, from its file or its block in the scene.
    void findMediaLength() override;

    static const char *fileSuffix;  ///< the suffix of the kind's data files
    /// Set by the hardware probe when the library registers its classes.
    static int hasVideoHW;

  protected:
    ~ZnMovieNote() override;
};

#endif
