#ifndef GLOSSPIN_ZNSYSTEMNOTE_H
#define GLOSSPIN_ZNSYSTEMNOTE_H

#include <Glosspin/ZnNote.h>

// A note that carries a shell command, run when the note is played. It
// has no media data of its own.
class ZnSystemNote : public ZnNote {
    SO_NODE_HEADER(ZnSystemNote);

  public:
    SoSFString command;

    static void initClass();
    ZnSystemNote();

    int gatherPendingData(int accept) override;
    int estimateDiskSpaceRequired(int binary) override;
    int getUndoWeight() override;

  protected:
    ~ZnSystemNote() override;
};

#endif
