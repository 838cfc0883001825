#ifndef GLOSSPIN_PLATFORM_WRITEALL_H
#define GLOSSPIN_PLATFORM_WRITEALL_H

#include <stddef.h>

// Writes all size bytes to fd, going on after interrupted and short
// writes. False when a write fails or writes nothing. A socket is
// written with send so that a peer gone away is an error, not SIGPIPE.
bool gspWriteAll(int fd, const void *buf, size_t size, bool socket = false);

#endif
