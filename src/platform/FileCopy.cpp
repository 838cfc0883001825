#include "platform/FileCopy.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/sendfile.h>
#include <unistd.h>

#include <vector>

#include "platform/WriteAll.h"

namespace {

// Kernel copies go in pieces, so that a huge block never asks for more
// than the kernel moves in one call.
const size_t PIECE = (size_t)1 << 30;

// 1 when done, 0 when the kernel cannot copy between these files (try
// the next way, nothing copied), -1 on a failure part-way.
int kernelCopy(int in, off_t &offset, int out, size_t &left, bool useSendfile)
{
    bool moved = false;
    while (left > 0) {
        size_t want = left < PIECE ? left : PIECE;
        ssize_t n = useSendfile ? sendfile(out, in, &offset, want)
                                : copy_file_range(in, &offset, out, NULL, want, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && !moved &&
            (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
             errno == EBADF))
            return 0;
        if (n <= 0)
            return -1;  // an error, or the source ended early
        left -= (size_t)n;
        moved = true;
    }
    return 1;
}

}

bool gspCopyRange(int in, off_t offset, int out, size_t length)
{
    size_t left = length;
    for (bool useSendfile : {false, true}) {
        int r = kernelCopy(in, offset, out, left, useSendfile);
        if (r != 0)
            return r > 0;
    }
    std::vector<char> buf((size_t)1 << 20);
    while (left > 0) {
        size_t want = left < buf.size() ? left : buf.size();
        ssize_t n = pread(in, buf.data(), want, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || !gspWriteAll(out, buf.data(), (size_t)n))
            return false;
        offset += n;
        left -= (size_t)n;
    }
    return true;
}

int gspOpenForReading(int fd)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    char name[64];
    snprintf(name, sizeof name, "/proc/self/fd/%d", fd);
    int r = open(name, O_RDONLY | O_CLOEXEC);
    struct stat rst;
    if (r >= 0 && (fstat(r, &rst) != 0 || rst.st_ino != st.st_ino || rst.st_dev != st.st_dev)) {
        close(r);
        return -1;
    }
    return r;
}

bool gspSameFile(const char *a, const char *b)
{
    struct stat sa, sb;
    return a && b && stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_ino == sb.st_ino &&
           sa.st_dev == sb.st_dev;
}
