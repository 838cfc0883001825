#ifndef GLOSSPIN_ZNURLNOTE_H
#define GLOSSPIN_ZNURLNOTE_H

#include <Glosspin/ZnNote.h>

// A note that carries a web address, shown by the user's browser. It has
// no media data of its own.
class ZnURLNote : public ZnNote {
    SO_NODE_HEADER(ZnURLNote);

  public:
    SoSFString url;

    static void initClass();
    ZnURLNote();

    int gatherPendingData(int accept) override;
    int estimateDiskSpaceRequired(int binary) override;
    int getUndoWeight() override;
    void updateStaticProcessId(long pid) override;

    // The browser process shared by all web-link notes, -1 when none is
    // known.
    static long WWWPlayerProcessId;

  protected:
    ~ZnURLNote() override;
};

#endif
