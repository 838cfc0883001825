#ifndef GLOSSPIN_ZNIMAGENOTE_H
#define GLOSSPIN_ZNIMAGENOTE_H

#include <Glosspin/ZnNote.h>

// A note that carries an image; its bytes are the note's media data.
class ZnImageNote : public ZnNote {
    SO_NODE_HEADER(ZnImageNote);

  public:
    static void initClass();
    ZnImageNote();

    int gatherPendingData(int accept) override;
    const char *getFileSuffix() override;
    int getUndoWeight() override;
    int usingMediaData() override;

    static const char *fileSuffix;
  protected:
    ~ZnImageNote() override;
};

#endif
