#ifndef GLOSSPIN_FIELD_DELAYEDDATACODEC_H
#define GLOSSPIN_FIELD_DELAYEDDATACODEC_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

// Encoding of delayed-read blocks: bytes taken four at a time, most
// significant first, written as "0x%08x," words, six to a line.
namespace GspDelayedCodec {

enum {
    WORD_CHARS = 11,            // "0x%08x,"
    WORDS_PER_LINE = 6,
    LINE_CHARS = 67,            // six words and a newline
    FILL_BYTE = 0x20,
    ENCODE_SLACK = 16           // room encodeWords may scribble past its text
};

inline uint32_t loadBE32(const unsigned char *p)
{
    return ((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) |
           ((uint32_t)p[2] << 8) | (uint32_t)p[3];
}

inline void storeBE32(unsigned char *p, uint32_t w)
{
    p[0] = (unsigned char)(w >> 24);
    p[1] = (unsigned char)(w >> 16);
    p[2] = (unsigned char)(w >> 8);
    p[3] = (unsigned char)w;
}

// The last word of a block whose length is not a multiple of 4: the
// remaining bytes in the high-order positions, fill bytes below.
uint32_t paddedWord(const unsigned char *rest, int count);

// The ASCII header number for n raw bytes: the body length plus one.
long asciiHeaderNumber(long n);

// Writes "0x%08x," (WORD_CHARS characters, no terminator); returns the
// position after it.
char *formatWord(char *dst, uint32_t w);

// Parses "0x" (or "0X"), eight hex digits and a comma at p. Returns 1
// and the word on success, 0 otherwise.
int parseWord(const char *p, uint32_t *w);

// Encodes count whole words of src, ending a line after every sixth
// word; column counts the words already on the current line and is
// updated. dst must have room for ENCODE_SLACK characters more than the
// count * WORD_CHARS + count / WORDS_PER_LINE written. Returns the end of
// what was written.
char *encodeWords(const unsigned char *src, long count, int &column, char *dst);

// Decodes lines full lines of six words (each ending in a newline), or
// count words standing back to back, into big-endian bytes at dst.
// False at the first character out of place.
bool decodeLines(const char *text, long lines, unsigned char *dst);
bool decodeWords(const char *text, long count, unsigned char *dst);

// Layout of an ASCII body with header number h: full lines of six words,
// then the words of a last short line, then " ]". Body characters run
// from the first word through the bracket (h - 1 of them).
struct AsciiLayout {
    long lines;
    long extraWords;
    long words() const { return lines * WORDS_PER_LINE + extraWords; }
    // False when no canonical body has this header number.
    bool fromHeader(long h);
};

// Receives decoded words in order.
class WordSink {
  public:
    virtual ~WordSink() {}
    virtual bool put(const uint32_t *words, size_t count) = 0;
};

enum ScanResult { SCAN_OK, SCAN_MALFORMED, SCAN_SHORT, SCAN_SINK_FAILED };

// Reads an ASCII body with header number h from fp, checking that every
// character stands where the canonical layout puts it, and hands the
// words to sink (which may be NULL). Reads in fixed-size blocks, never
// more than the body, and leaves fp just after the closing bracket.
ScanResult scanAsciiBody(FILE *fp, long h, WordSink *sink);

}

#endif
