#include "field/ReadNumber.h"

#include <ctype.h>
#include <errno.h>
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <Inventor/SoInput.h>

// Reads a decimal, octal or hex integer of at most a few characters.
// The toolkit's own integer reader copies the digits into a fixed buffer
// without a bound, so hostile input never reaches it.
static int readDigits(SoInput *in, long &value)
{
    char c;
    if (!in->read(c))
        return 0;
    char digits[16];
    size_t n = 0;
    for (;;) {
        bool numeric = isxdigit((unsigned char)c) || c == 'x' || c == 'X' ||
                       ((c == '-' || c == '+') && n == 0);
        if (!numeric)
            break;
        if (n + 1 >= sizeof digits)
            return 0;
        digits[n++] = c;
        if (!in->get(c)) {
            c = '\0';
            break;
        }
    }
    if (c != '\0')
        in->putBack(c);
    digits[n] = '\0';
    if (n == 0)
        return 0;
    char *end;
    errno = 0;
    value = strtol(digits, &end, 0);
    return *end == '\0' && errno == 0;
}

int gspReadNumber(SoInput *in, int &value)
{
    if (in->isBinary())
        return in->read(value);
    long v;
    if (!readDigits(in, v) || v < INT_MIN || v > INT_MAX)
        return 0;
    value = (int)v;
    return 1;
}

int gspReadWord(SoInput *in, uint32_t &value)
{
    int word;
    if (in->isBinary()) {
        if (!in->read(word))
            return 0;
        value = (uint32_t)word;
        return 1;
    }
    long v;
    if (!readDigits(in, v) || v < INT_MIN || v > (long)UINT32_MAX)
        return 0;
    value = (uint32_t)v;
    return 1;
}

int gspReadReal(SoInput *in, double &value)
{
    if (in->isBinary())
        return in->read(value);
    char c;
    if (!in->read(c))
        return 0;
    char digits[64];
    size_t n = 0;
    while (c != '\0' && strchr("0123456789+-.eE", c)) {
        if (n + 1 >= sizeof digits)
            return 0;
        digits[n++] = c;
        if (!in->get(c))
            c = '\0';
    }
    if (c != '\0')
        in->putBack(c);
    digits[n] = '\0';
    char *end;
    value = strtod(digits, &end);
    return n > 0 && *end == '\0';
}
