#ifndef GLOSSPIN_NOTE_MEDIASOURCE_H
#define GLOSSPIN_NOTE_MEDIASOURCE_H

#include <unistd.h>

#include "field/BlockCopy.h"

// Where a note's media bytes are read from for a copy or a save: the
// block, the file's name for messages, and whether the descriptor was
// opened for this use (the field's kept-open one is not closed).
struct GspMediaSource {
    GspBlockCopy::Source block = {-1, 0, 0, GspBlockCopy::RAW, 0};
    const char *name = "";
    bool opened = false;
    ~GspMediaSource()
    {
        if (opened)
            close(block.fd);
    }
};

#endif
