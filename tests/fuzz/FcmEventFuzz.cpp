#include "fuzz/Fuzzers.h"

#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include "monitor/FcmInternal.h"

int fuzzFcmEvents(const uint8_t *data, size_t size)
{
    int sv[2];
    if (size > 64 * 1024 || socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0)
        return 0;
    // The whole input fits in the socket's buffer: written, then closed.
    size_t done = 0;
    while (done < size) {
        ssize_t n = write(sv[1], data + done, size - done);
        if (n <= 0)
            abort();
        done += n;
    }
    close(sv[1]);

    FcmConnection fc;
    gspFcmAttach(&fc, sv[0]);
    // Each call takes a message or at least one more byte from the socket.
    int limit = (int)size + 8;
    for (int i = 0;; i++) {
        if (i > limit)
            abort();  // the reading does not end
        FcmEvent fe;
        memset(&fe, 0x55, sizeof fe);
        int r = FcmNextEvent(&fc, &fe);
        if (r < -1 || r > 1)
            abort();
        if (r == 1 && !memchr(fe.filename, '\0', sizeof fe.filename))
            abort();
        if (r == -1)
            break;
        FcmPending(&fc);
    }
    FcmClose(&fc);  // closes sv[0]
    return 0;
}
