#ifndef GLOSSPIN_FIELD_BLOCKCOPY_H
#define GLOSSPIN_FIELD_BLOCKCOPY_H

#include <sys/types.h>

class SoOutput;

// Streams a media block from the file that holds it to a scene output or
// to a raw file, converting between its forms on the way through one
// fixed-size buffer, so that memory does not grow with the block. A block
// that leaves in the form it is stored in is copied by the kernel where
// it can be.
namespace GspBlockCopy {

enum Form {
    RAW,    // the bytes themselves
    WORDS,  // binary words, the last one filled
    ASCII   // the hex text of a scene file, from the first word to " ]"
};

struct Source {
    int fd;
    off_t offset;  // of the block's first byte in fd
    long size;     // RAW: bytes; WORDS: 4 x the words; ASCII: the header number
    Form form;
    short pad;     // fill bytes of the last word (WORDS and ASCII)

    // The number of raw bytes the block stands for.
    long rawLength() const;
};

enum Result {
    DONE,
    READ_FAILED,   // the source ended early or could not be read
    WRITE_FAILED,
    DAMAGED        // a character of an ASCII body out of place
};

// Writes the block as a field value in out's encoding (the value only:
// the writer adds the newline after it). An ASCII body going to an ASCII
// output is checked first unless checked is set; a damaged one is copied
// as it stands, so that nothing of it is lost, and DAMAGED is returned.
// A damaged body going to a binary output is written as far as it is
// sound and filled with zero words, so that the output stays readable.
Result toOutput(const Source &src, SoOutput *out, bool checked);

// Writes the raw bytes of the block to fd at its current position.
Result toRawFile(const Source &src, int fd);

}

#endif
