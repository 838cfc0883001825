#include "fuzz/Fuzzers.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "MonitorRequest.h"

namespace {

// The request as the client library writes it.
std::string format(const MonitorRequest &r)
{
    char head[64];
    if (strchr("EDV", r.letter))
        snprintf(head, sizeof head, "%c\n", r.letter);
    else
        snprintf(head, sizeof head, "%c%d %ld %ld", r.letter, r.reqnum, r.uid, r.gid);
    std::string text = head;
    if (strchr("SUC", r.letter))
        text += "\n";
    else if (!strchr("EDV", r.letter))
        text += " " + r.text + "\n";
    text += '\0';
    if (r.letter == 'F')
        text += "0 " + std::to_string(r.depth) + " " + r.mask + "\n" + '\0';
    return text;
}

bool same(const MonitorRequest &a, const MonitorRequest &b)
{
    return a.letter == b.letter && a.reqnum == b.reqnum && a.uid == b.uid && a.gid == b.gid &&
           a.text == b.text && a.depth == b.depth && a.mask == b.mask;
}

}

int fuzzMonitorRequests(const uint8_t *data, size_t size)
{
    for (size_t at = 0; size - at >= 4;) {
        uint32_t len = monitorMessageLength((const char *)data + at);
        if (len == 0 || len > MONITOR_MAX_MESSAGE || size - at - 4 < len)
            break;  // where the service lets the client go
        MonitorRequest r, back;
        if (parseMonitorRequest((const char *)data + at + 4, len, r)) {
            if (!strchr("NWMFSUCEDV", r.letter) || r.text.size() > MONITOR_MAX_PATH ||
                r.text.find('\n') != std::string::npos || r.mask.find('\n') != std::string::npos ||
                r.depth < 0 || ((r.letter == 'W' || r.letter == 'M') && r.text.empty()))
                abort();
            std::string again = format(r);
            if (!parseMonitorRequest(again.data(), again.size(), back) || !same(r, back))
                abort();
        }
        at += 4 + len;
    }
    return 0;
}
