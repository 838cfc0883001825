#include "platform/WriteAll.h"

#include <errno.h>
#include <sys/socket.h>
#include <unistd.h>

bool gspWriteAll(int fd, const void *buf, size_t size, bool socket)
{
    const char *p = (const char *)buf;
    while (size > 0) {
        ssize_t n = socket ? send(fd, p, size, MSG_NOSIGNAL) : write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= (size_t)n;
    }
    return true;
}
