#include "support/FailingDir.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "support/TempDir.h"

const char *const FailingDir::names[3] = {"full disk", "size limit", "read-only directory"};

static const char *const FILLER = ".filler";

FailingDir::FailingDir(const std::string &parent, Fault f)
    : fault(f), dir(parent + "/disk"), ready(false), mounted(false), failing(false)
{
    if (mkdir(dir.c_str(), 0755) != 0)
        return;
    if (fault == FULL_DISK)
        ready = mounted = mount("gsptest", dir.c_str(), "tmpfs", 0, "size=256k,mode=0755") == 0;
    else
        ready = true;
}

FailingDir::~FailingDir()
{
    heal();
    if (mounted)
        umount(dir.c_str());
    for (const std::string &e : TempDir::entriesOf(dir))
        unlink(file(e).c_str());
    rmdir(dir.c_str());
}

bool FailingDir::fail()
{
    if (failing || !ready)
        return failing;
    failing = true;
    switch (fault) {
    case FULL_DISK: {
        int fd = open(file(FILLER).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<char> block(4096, 'f');
        while (fd >= 0 && write(fd, block.data(), block.size()) > 0) {
        }
        if (fd >= 0)
            close(fd);
        break;
    }
    case SIZE_LIMIT: {
        getrlimit(RLIMIT_FSIZE, &oldLimit);
        struct rlimit small = oldLimit;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
        break;
    }
    case READ_ONLY:
        // Permissions do not stop the superuser; a read-only mount does.
        if (geteuid() != 0)
            return chmod(dir.c_str(), 0555) == 0;
        if (mount(dir.c_str(), dir.c_str(), NULL, MS_BIND, NULL) != 0)
            return failing = false;
        if (mount(NULL, dir.c_str(), NULL, MS_REMOUNT | MS_BIND | MS_RDONLY, NULL) != 0) {
            umount(dir.c_str());
            return failing = false;
        }
        break;
    }
    return true;
}

void FailingDir::heal()
{
    if (!failing)
        return;
    failing = false;
    switch (fault) {
    case FULL_DISK:
        unlink(file(FILLER).c_str());
        break;
    case SIZE_LIMIT:
        setrlimit(RLIMIT_FSIZE, &oldLimit);
        break;
    case READ_ONLY:
        if (geteuid() == 0)
            umount(dir.c_str());
        else
            chmod(dir.c_str(), 0755);
        break;
    }
}
