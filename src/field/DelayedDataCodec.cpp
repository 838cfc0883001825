#include "field/DelayedDataCodec.h"

#include <string.h>

#include <vector>

namespace GspDelayedCodec {

uint32_t paddedWord(const unsigned char *rest, int count)
{
    unsigned char b[4] = {FILL_BYTE, FILL_BYTE, FILL_BYTE, FILL_BYTE};
    for (int i = 0; i < count && i < 4; i++)
        b[i] = rest[i];
    return loadBE32(b);
}

long asciiHeaderNumber(long n)
{
    long whole = n / 4;
    long h = WORD_CHARS * whole + whole / WORDS_PER_LINE + 3;
    if (n % 4)
        h += WORD_CHARS;
    return h;
}

namespace {

// The two hex digits of each byte value, as they lie in memory.
struct HexPairs {
    uint16_t pair[256];
    HexPairs()
    {
        static const char hex[] = "0123456789abcdef";
        for (int b = 0; b < 256; b++) {
            const char c[2] = {hex[b >> 4], hex[b & 15]};
            memcpy(&pair[b], c, 2);
        }
    }
};
const HexPairs hexPairs;

// The eight hex digits of a word, first digit first in memory.
inline uint64_t hexDigits(uint32_t w)
{
    const uint16_t *t = hexPairs.pair;
    return (uint64_t)t[w >> 24] | (uint64_t)t[(w >> 16) & 0xff] << 16 |
           (uint64_t)t[(w >> 8) & 0xff] << 32 | (uint64_t)t[w & 0xff] << 48;
}

inline char *putWord(char *dst, uint32_t w)
{
    const uint64_t digits = hexDigits(w);
    dst[0] = '0';
    dst[1] = 'x';
    memcpy(dst + 2, &digits, 8);
    dst[10] = ',';
    return dst + WORD_CHARS;
}

const uint64_t ONES = 0x0101010101010101ULL, HIGH = 0x8080808080808080ULL;

// The word written by the eight hex digits at p (either case); false if
// any of them is no hex digit. Each byte is tested on its own: every
// step stays below 0x100 within its byte once bytes above 0x7f are out.
inline bool hexWord(const char *p, uint32_t *w)
{
    uint64_t x;
    memcpy(&x, p, 8);
    if (x & HIGH)
        return false;
    const uint64_t digit = (x + 0x50 * ONES) & ~(x + 0x46 * ONES) & HIGH;  // '0'..'9'
    const uint64_t lower = x | 0x20 * ONES;
    const uint64_t letter = (lower + 0x1f * ONES) & ~(lower + 0x19 * ONES) & HIGH;  // a..f
    if ((digit | letter) != HIGH)
        return false;
    const uint64_t n = (x & 0x0f * ONES) + (letter >> 7) * 9;
    const uint64_t pairs = ((n & 0x000f000f000f000fULL) << 4) | ((n >> 8) & 0x000f000f000f000fULL);
    *w = (uint32_t)((pairs & 0xff) << 24 | ((pairs >> 16) & 0xff) << 16 |
                    ((pairs >> 32) & 0xff) << 8 | ((pairs >> 48) & 0xff));
    return true;
}

inline bool wordAt(const char *p, uint32_t *w)
{
    return p[0] == '0' && (p[1] | 0x20) == 'x' && p[10] == ',' && hexWord(p + 2, w);
}

}

char *formatWord(char *dst, uint32_t w)
{
    return putWord(dst, w);
}

int parseWord(const char *p, uint32_t *w)
{
    return wordAt(p, w);
}

char *encodeWords(const unsigned char *src, long count, int &column, char *dst)
{
    for (long i = 0; i < count; i++) {
        dst = putWord(dst, loadBE32(src + 4 * i));
        if (++column == WORDS_PER_LINE) {
            *dst++ = '\n';
            column = 0;
        }
    }
    return dst;
}

bool decodeLines(const char *text, long lines, unsigned char *dst)
{
    for (long l = 0; l < lines; l++, text += LINE_CHARS) {
        if (text[LINE_CHARS - 1] != '\n')
            return false;
        for (int i = 0; i < WORDS_PER_LINE; i++, dst += 4) {
            uint32_t w;
            if (!wordAt(text + i * WORD_CHARS, &w))
                return false;
            storeBE32(dst, w);
        }
    }
    return true;
}

bool decodeWords(const char *text, long count, unsigned char *dst)
{
    for (long i = 0; i < count; i++, dst += 4) {
        uint32_t w;
        if (!wordAt(text + i * WORD_CHARS, &w))
            return false;
        storeBE32(dst, w);
    }
    return true;
}

bool AsciiLayout::fromHeader(long h)
{
    if (h < 3)
        return false;
    long hex = h - 3;
    lines = hex / LINE_CHARS;
    long rest = hex % LINE_CHARS;
    extraWords = rest / WORD_CHARS;
    return rest % WORD_CHARS == 0;
}

// Parses count words standing back to back at p.
static bool parseRun(const char *p, long count, uint32_t *words)
{
    for (long i = 0; i < count; i++)
        if (!parseWord(p + i * WORD_CHARS, &words[i]))
            return false;
    return true;
}

ScanResult scanAsciiBody(FILE *fp, long h, WordSink *sink)
{
    AsciiLayout layout;
    if (!layout.fromHeader(h))
        return SCAN_MALFORMED;

    // Whole lines per block, so that no word straddles two reads.
    const long BLOCK_LINES = 512;
    std::vector<char> block((size_t)BLOCK_LINES * LINE_CHARS);
    char *buf = block.data();
    uint32_t words[BLOCK_LINES * WORDS_PER_LINE];
    ScanResult result = SCAN_OK;

    for (long done = 0; done < layout.lines && result == SCAN_OK;) {
        long n = layout.lines - done < BLOCK_LINES ? layout.lines - done : BLOCK_LINES;
        size_t chars = (size_t)n * LINE_CHARS;
        if (fread(buf, 1, chars, fp) != chars) {
            result = SCAN_SHORT;
            break;
        }
        for (long i = 0; i < n; i++) {
            const char *line = buf + i * LINE_CHARS;
            if (line[LINE_CHARS - 1] != '\n' ||
                !parseRun(line, WORDS_PER_LINE, words + i * WORDS_PER_LINE)) {
                result = SCAN_MALFORMED;
                break;
            }
        }
        if (result == SCAN_OK && sink && !sink->put(words, (size_t)n * WORDS_PER_LINE))
            result = SCAN_SINK_FAILED;
        done += n;
    }

    if (result == SCAN_OK) {
        // The last short line and the closing " ]".
        size_t chars = (size_t)layout.extraWords * WORD_CHARS + 2;
        if (fread(buf, 1, chars, fp) != chars)
            result = SCAN_SHORT;
        else if (!parseRun(buf, layout.extraWords, words) || buf[chars - 2] != ' ' ||
                 buf[chars - 1] != ']')
            result = SCAN_MALFORMED;
        else if (sink && layout.extraWords > 0 && !sink->put(words, (size_t)layout.extraWords))
            result = SCAN_SINK_FAILED;
    }
    return result;
}

}
