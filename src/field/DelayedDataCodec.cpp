#include "field/DelayedDataCodec.h"

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

char *formatWord(char *dst, uint32_t w)
{
    static const char hex[] = "0123456789abcdef";
    dst[0] = '0';
    dst[1] = 'x';
    for (int i = 0; i < 8; i++)
        dst[2 + i] = hex[(w >> (28 - 4 * i)) & 0xf];
    dst[10] = ',';
    return dst + WORD_CHARS;
}

// Hex digit values by character; -1 for anything else.
namespace {
struct HexTable {
    signed char value[256];
    HexTable()
    {
        for (int c = 0; c < 256; c++)
            value[c] = -1;
        for (int c = '0'; c <= '9'; c++)
            value[c] = (signed char)(c - '0');
        for (int c = 'a'; c <= 'f'; c++)
            value[c] = value[c - 'a' + 'A'] = (signed char)(c - 'a' + 10);
    }
};
const HexTable hexTable;
}

int parseWord(const char *p, uint32_t *w)
{
    if (p[0] != '0' || (p[1] != 'x' && p[1] != 'X') || p[10] != ',')
        return 0;
    const signed char *table = hexTable.value;
    const unsigned char *d = (const unsigned char *)p + 2;
    // A non-digit makes its entry negative, which sets bad's sign bit.
    int bad = 0;
    uint32_t v = 0;
    for (int i = 0; i < 8; i++) {
        int x = table[d[i]];
        bad |= x;
        v = (v << 4) | (uint32_t)(x & 0xf);
    }
    if (bad < 0)
        return 0;
    *w = v;
    return 1;
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
