#ifndef GLOSSPIN_ZNMOVIENOTE_H
#define GLOSSPIN_ZNMOVIENOTE_H

#include <Glosspin/ZnNote.h>

// A note that carries a movie; its bytes are the note's media data.
class ZnMovieNote : public ZnNote {
    SO_NODE_HEADER(ZnMovieNote);

  public:
    static void initClass();
    ZnMovieNote();

    int gatherPendingData(int accept) override;
    const char *getDurationMsg() override;
    const char *getFileSuffix() override;
    int getUndoWeight() override;
    int usingMediaData() override;
    // The length of the movie, from its file or its block in the scene.
    void findMediaLength() override;

    static const char *fileSuffix;
    // Set by the hardware probe when the library registers its classes.
    static int hasVideoHW;

  protected:
    ~ZnMovieNote() override;
};

#endif
