#include "platform/TempFiles.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>

namespace GspTempFiles {

std::string systemTempDir()
{
    std::string dir;
    const char *env = getenv("TMPDIR");
    struct stat st;
    if (env && *env && stat(env, &st) == 0 && S_ISDIR(st.st_mode))
        dir = env;
    else
        dir = P_tmpdir;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

int createExclusive(const std::string &path, int mode)
{
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
}

// Six characters from a process-wide sequence mixed with the clock, so
// that names differ between calls and between processes.
static std::string uniquePart()
{
    static std::atomic<unsigned long> counter(0);
    static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned long v = (unsigned long)std::chrono::steady_clock::now().time_since_epoch().count();
    v = v * 2654435761UL + (++counter) * 40503UL + (unsigned long)getpid();
    std::string s;
    for (int i = 0; i < 6; i++) {
        s += digits[v % 36];
        v /= 36;
    }
    return s;
}

int createUnique(const std::string &prefix, const std::string &suffix,
                 std::string &name, int mode)
{
    for (int attempt = 0; attempt < 1000; attempt++) {
        std::string candidate = prefix + uniquePart() + suffix;
        int fd = createExclusive(candidate, mode);
        if (fd >= 0) {
            name = candidate;
            return fd;
        }
        if (errno != EEXIST && errno != ELOOP)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

int createAnonymous()
{
    std::string dir = systemTempDir();
    int fd = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    // A file system without unnamed files: a private name, removed at once.
    std::string name;
    int created = createUnique(dir + "/_gsp_anon", "", name);
    if (created < 0)
        return -1;
    fd = open(name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    unlink(name.c_str());
    close(created);
    return fd;
}

}
