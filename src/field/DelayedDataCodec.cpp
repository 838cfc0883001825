#include "field/DelayedDataCodec.h"

#include <string.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

#ifdef __SSE2__
namespace {

// Hex characters of the nibbles in v (each below 16).
inline __m128i hexChars(__m128i v)
{
    const __m128i above9 = _mm_cmpgt_epi8(v, _mm_set1_epi8(9));
    return _mm_add_epi8(_mm_add_epi8(v, _mm_set1_epi8('0')),
                        _mm_and_si128(above9, _mm_set1_epi8('a' - '0' - 10)));
}

// Stores the word whose eight digits lie at bytes 2 to 9 of digits as
// "0x%08x," at dst, with 5 bytes of rubbish after it that the next store
// or line end overwrites.
inline void storeWord(char *dst, __m128i digits)
{
    const __m128i keep = _mm_setr_epi8(0, 0, -1, -1, -1, -1, -1, -1, -1, -1, 0, 0, 0, 0, 0, 0);
    const __m128i frame = _mm_setr_epi8('0', 'x', 0, 0, 0, 0, 0, 0, 0, 0, ',', 0, 0, 0, 0, 0);
    _mm_storeu_si128((__m128i *)dst, _mm_or_si128(_mm_and_si128(digits, keep), frame));
}

// Four words from 16 bytes at src, stored at dst, dst + 11, + 22, + 33.
inline void fourWords(const unsigned char *src, char *dst)
{
    const __m128i x = _mm_loadu_si128((const __m128i *)src);
    const __m128i low = _mm_set1_epi8(0x0f);
    const __m128i lo = _mm_and_si128(x, low), hi = _mm_and_si128(_mm_srli_epi16(x, 4), low);
    const __m128i a = hexChars(_mm_unpacklo_epi8(hi, lo)), b = hexChars(_mm_unpackhi_epi8(hi, lo));
    storeWord(dst, _mm_slli_si128(a, 2));
    storeWord(dst + WORD_CHARS, _mm_srli_si128(a, 6));
    storeWord(dst + 2 * WORD_CHARS, _mm_slli_si128(b, 2));
    storeWord(dst + 3 * WORD_CHARS, _mm_srli_si128(b, 6));
}

}
#endif

char *encodeWords(const unsigned char *src, long count, int &column, char *dst)
{
    long i = 0;
#ifdef __SSE2__
    // Two lines (12 words, 48 bytes) at a time from the start of a line.
    // The stores run up to 5 bytes past the last word, within the slack
    // the caller leaves.
    if (column == 0)
        for (; i + 2 * WORDS_PER_LINE <= count; i += 2 * WORDS_PER_LINE, src += 48) {
            fourWords(src, dst);
            fourWords(src + 16, dst + 4 * WORD_CHARS);
            dst[LINE_CHARS - 1] = '\n';
            fourWords(src + 24, dst + LINE_CHARS);
            fourWords(src + 32, dst + LINE_CHARS + 2 * WORD_CHARS);
            dst[2 * LINE_CHARS - 1] = '\n';
            dst += 2 * LINE_CHARS;
        }
#endif
    for (; i < count; i++, src += 4) {
        dst = putWord(dst, loadBE32(src));
        if (++column == WORDS_PER_LINE) {
            *dst++ = '\n';
            column = 0;
        }
    }
    return dst;
}

#ifdef __SSE2__
namespace {

// Bit i set where byte i of v is a hex digit of either case; bytes above
// 0x7f are negative here and fail both ranges.
inline int hexDigitMask(__m128i v, __m128i lower)
{
    const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)),
                                        _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
    const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)),
                                         _mm_cmplt_epi8(lower, _mm_set1_epi8('f' + 1)));
    return _mm_movemask_epi8(_mm_or_si128(digit, letter));
}

// Checks the word at the start of v ("0x", eight digits, ",") and turns
// its digits into nibbles, two to a 16-bit lane, the first of each pair
// in the lane's high nibble of its low byte; lanes 1 to 4 hold the word.
inline bool wordLanes(__m128i v, __m128i *lanes)
{
    const __m128i lower = _mm_or_si128(v, _mm_set1_epi8(0x20));
    const __m128i zeroComma = _mm_setr_epi8('0', 0, 0, 0, 0, 0, 0, 0, 0, 0, ',', 0, 0, 0, 0, 0);
    const __m128i x = _mm_setr_epi8(0, 'x', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    const int marks = (_mm_movemask_epi8(_mm_cmpeq_epi8(v, zeroComma)) & 0x401) |
                      (_mm_movemask_epi8(_mm_cmpeq_epi8(lower, x)) & 0x2);
    if (marks != 0x403 || (hexDigitMask(v, lower) & 0x3fc) != 0x3fc)
        return false;
    const __m128i isLetter = _mm_cmpgt_epi8(lower, _mm_set1_epi8('9'));
    const __m128i nib = _mm_add_epi8(_mm_and_si128(v, _mm_set1_epi8(0x0f)),
                                     _mm_and_si128(isLetter, _mm_set1_epi8(9)));
    *lanes = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(nib, _mm_set1_epi16(0x000f)), 4),
                          _mm_srli_epi16(nib, 8));
    return true;
}

// The two words at p and p + WORD_CHARS, read 16 bytes each (so 5 bytes
// past the second word), to 8 raw bytes at dst.
inline bool twoWords(const char *p, unsigned char *dst)
{
    __m128i a, b;
    if (!wordLanes(_mm_loadu_si128((const __m128i *)p), &a) ||
        !wordLanes(_mm_loadu_si128((const __m128i *)(p + WORD_CHARS)), &b))
        return false;
    const __m128i packed = _mm_packus_epi16(a, b);
    const uint32_t wa = (uint32_t)_mm_cvtsi128_si32(_mm_srli_si128(packed, 1));
    const uint32_t wb = (uint32_t)_mm_cvtsi128_si32(_mm_srli_si128(packed, 9));
    memcpy(dst, &wa, 4);
    memcpy(dst + 4, &wb, 4);
    return true;
}

}
#endif

bool decodeLines(const char *text, long lines, unsigned char *dst)
{
    long l = 0;
#ifdef __SSE2__
    // All but the last line by two words at a time: their reads run past
    // the line into the next one, never past the text.
    for (; l + 1 < lines; l++, text += LINE_CHARS, dst += 4 * WORDS_PER_LINE) {
        if (text[LINE_CHARS - 1] != '\n' || !twoWords(text, dst) ||
            !twoWords(text + 2 * WORD_CHARS, dst + 8) || !twoWords(text + 4 * WORD_CHARS, dst + 16))
            return false;
    }
#endif
    for (; l < lines; l++, text += LINE_CHARS) {
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
