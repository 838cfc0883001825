#ifndef GLOSSPIN_ZNIMAGENOTE_H
#define GLOSSPIN_ZNIMAGENOTE_H

#include <Glosspin/ZnNote.h>

/// A note that carries an image, taken with mediagrab and shown with
/// picshow at the stored place; its bytes are the note's media data.
class ZnImageNote : public ZnNote {
    SO_NODE_HEADER(ZnImageNote);

  public:
    /// Registers the class with the toolkit; ZnInit::initClasses() registers them all.
    static void initClass();
    /// A new ZnImageNote, its fields at their defaults.
    ZnImageNote();

    void edit() override;
    void play(int autoPlay) override;
    void getExternalPlayerCommand(int autoPlay, std::vector<std::string> &argv) override;
    void getExternalEditorCommand(std::vector<std::string> &argv) override;
    void externalPlayerFailed() override;
    void externalEditorFailed() override;
    int gatherPendingData(int accept) override;
    const char *getFileSuffix() override;
    int getUndoWeight() override;
    int usingMediaData() override;

    static const char *fileSuffix;  ///< the suffix of the kind's data files
  protected:
    ~ZnImageNote() override;
};

#endif
