#include "field/DelayedDataCodec.h"

#include <errno.h>
#include <unistd.h>

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

int hexValue(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int parseWord(const char *p, uint32_t *w)
{
    if (p[0] != '0' || (p[1] != 'x' && p[1] != 'X') || p[10] != ',')
        return 0;
    uint32_t v = 0;
    for (int i = 2; i < 10; i++) {
        int d = hexValue((unsigned char)p[i]);
        if (d < 0)
            return 0;
        v = (v << 4) | (uint32_t)d;
    }
    *w = v;
    return 1;
}

int writeAll(int fd, const void *buf, size_t size)
{
    const char *p = (const char *)buf;
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return 0;
        p += n;
        size -= (size_t)n;
    }
    return 1;
}

}
