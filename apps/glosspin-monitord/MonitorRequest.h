#ifndef GLOSSPIN_MONITORD_MONITORREQUEST_H
#define GLOSSPIN_MONITORD_MONITORREQUEST_H

#include <stddef.h>
#include <stdint.h>

#include <string>

// One request of a monitor client, as the client library formats it: a
// message body of one or two NUL-terminated texts. The user and group
// numbers are what the client wrote; the service trusts only the
// socket's credentials.
struct MonitorRequest {
    char letter = 0;  // N open, W file, M directory, F collection, S/U/C
                      // suspend, resume, cancel, E/D/V debug level
    int reqnum = 0;
    long uid = 0, gid = 0;
    std::string text;  // the path, or the application's name for N
    int depth = 0;     // F only
    std::string mask;  // F only
};

// The longest message body the service takes; longer ones end the client.
const uint32_t MONITOR_MAX_MESSAGE = 2048;
// The longest path a client may name (the client refuses longer ones).
const size_t MONITOR_MAX_PATH = 1024;

// The length a message's 4-byte big-endian length word states.
uint32_t monitorMessageLength(const char *word);

// Parses one message body; false for anything the client library would
// not have sent.
bool parseMonitorRequest(const char *body, size_t length, MonitorRequest &request);

#endif
