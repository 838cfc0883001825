#include "MonitorRequest.h"

#include <stdlib.h>
#include <string.h>

namespace {

// A decimal number at p (an optional minus sign first) and the place
// after it; false when there is none or it does not fit an int.
bool number(const char *&p, const char *end, long &value)
{
    const char *start = p;
    if (p < end && *p == '-')
        p++;
    if (p == end || *p < '0' || *p > '9')
        return false;
    long v = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        v = v * 10 + (*p++ - '0');
        if (v > 0x7fffffffL)
            return false;
    }
    value = *start == '-' ? -v : v;
    return true;
}

bool space(const char *&p, const char *end)
{
    if (p == end || *p != ' ')
        return false;
    p++;
    return true;
}

// " n g1 ... gn" of extra groups at p (n of at most 16), leaving p after
// them.
bool extraGroups(const char *&p, const char *end)
{
    long n, g;
    if (!space(p, end) || !number(p, end, n) || n < 1 || n > 16)
        return false;
    for (long i = 0; i < n; i++)
        if (!space(p, end) || !number(p, end, g))
            return false;
    return true;
}

// The collection's second text: "0 depth mask\n", or the extra groups,
// then " depth mask\n".
bool collectionText(const char *p, const char *end, MonitorRequest &r)
{
    long depth;
    if (p < end && *p == '0')
        p++;
    else if (!extraGroups(p, end))
        return false;
    if (!space(p, end) || !number(p, end, depth) || depth < 0 || depth > 64 ||
        !space(p, end) || end - p < 1 || end[-1] != '\n')
        return false;
    r.depth = (int)depth;
    r.mask.assign(p, end - 1);
    return r.mask.find('\n') == std::string::npos;
}

}

uint32_t monitorMessageLength(const char *word)
{
    const unsigned char *w = (const unsigned char *)word;
    return (uint32_t)w[0] << 24 | (uint32_t)w[1] << 16 | (uint32_t)w[2] << 8 | w[3];
}

bool parseMonitorRequest(const char *body, size_t length, MonitorRequest &r)
{
    if (length < 3 || length > MONITOR_MAX_MESSAGE || body[length - 1] != '\0')
        return false;
    const char *end1 = (const char *)memchr(body, '\0', length);
    const char *second = end1 + 1, *end2 = body + length - 1;
    bool two = second <= end2;
    if (two && memchr(second, '\0', end2 - second))
        return false;  // more than two texts
    if (end1 - body < 2 || end1[-1] != '\n')
        return false;
    r = MonitorRequest();
    r.letter = body[0];
    const char *p = body + 1, *end = end1 - 1;  // end: the newline
    if (strchr("EDV", r.letter))
        return p == end && !two;
    long num;
    if (!strchr("NWMFSUC", r.letter) || !number(p, end, num))
        return false;
    r.reqnum = (int)num;
    if (!space(p, end) || !number(p, end, r.uid) || !space(p, end) || !number(p, end, r.gid))
        return false;
    if (strchr("SUC", r.letter))
        return p == end && !two;
    if (!space(p, end) || p == end)
        return false;
    r.text.assign(p, end);
    if (r.text.size() > MONITOR_MAX_PATH || r.text.find('\n') != std::string::npos)
        return false;
    if (r.letter == 'N')
        return r.reqnum == 0 && !two;
    if (r.letter == 'F')
        return two && collectionText(second, end2, r);
    // W and M: the extra groups may follow as a second text.
    const char *q = second;
    return !two || (extraGroups(q, end2) && q == end2);
}
