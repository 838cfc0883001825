#include "platform/FileReplacement.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform/TempFiles.h"

GspFileSizeSignalHold::GspFileSizeSignalHold()
{
    sigset_t size;
    sigemptyset(&size);
    sigaddset(&size, SIGXFSZ);
    pthread_sigmask(SIG_BLOCK, &size, &oldMask);
    sigset_t pending;
    wasPending = sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ);
}

GspFileSizeSignalHold::~GspFileSizeSignalHold()
{
    sigset_t size, pending;
    sigemptyset(&size);
    sigaddset(&size, SIGXFSZ);
    if (!wasPending && sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ)) {
        int saved = errno;
        struct timespec now = {0, 0};
        sigtimedwait(&size, NULL, &now);
        errno = saved;
    }
    pthread_sigmask(SIG_SETMASK, &oldMask, NULL);
}

static mode_t currentUmask()
{
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

GspFileReplacement::GspFileReplacement(const std::string &name) : target(name), fd(-1)
{
    char real[PATH_MAX];
    struct stat st;
    if (lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && realpath(name.c_str(), real))
        target = real;
    fd = GspTempFiles::createUnique(target + ".", ".new", fresh);
    if (fd < 0)
        return;
    mode_t mode = stat(target.c_str(), &st) == 0 ? st.st_mode & 07777 : 0666 & ~currentUmask();
    fchmod(fd, mode);
}

GspFileReplacement::~GspFileReplacement()
{
    int saved = errno;
    if (fd >= 0)
        close(fd);
    if (!fresh.empty())
        unlink(fresh.c_str());
    errno = saved;
}

// Makes backup a second name of target, replacing an older backup.
static bool linkBackup(const std::string &target, const std::string &backup)
{
    struct stat st;
    if (lstat(target.c_str(), &st) != 0)
        return errno == ENOENT;
    if (unlink(backup.c_str()) != 0 && errno != ENOENT)
        return false;
    return link(target.c_str(), backup.c_str()) == 0;
}

bool GspFileReplacement::commit(bool keepPrevious)
{
    if (fd < 0)
        return false;
    int closed = close(fd);
    fd = -1;
    if (closed != 0 || (keepPrevious && !linkBackup(target, target + "~")) ||
        rename(fresh.c_str(), target.c_str()) != 0) {
        int saved = errno;
        unlink(fresh.c_str());
        fresh.clear();
        errno = saved;
        return false;
    }
    fresh.clear();
    return true;
}
