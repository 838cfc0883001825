#ifndef GLOSSPIN_PLATFORM_FILEREPLACEMENT_H
#define GLOSSPIN_PLATFORM_FILEREPLACEMENT_H

#include <signal.h>

#include <string>

// Holds back the file-size signal in this thread while it lives: a write
// past the process's file size limit then fails with EFBIG instead of
// ending the process, and the signal it raised is taken away unseen.
class GspFileSizeSignalHold {
  public:
    GspFileSizeSignalHold();
    ~GspFileSizeSignalHold();

  private:
    sigset_t oldMask;
    bool wasPending;
};

// A file written under a fresh name beside its target and renamed over
// the target only once it is whole. A full disk, a size limit or a
// directory that went away therefore never leaves a half-written file
// under the target's name, and the file it replaces stays as it was.
// An existing target keeps its permission bits; a symbolic link is
// followed, so that the file it names is the one replaced.
class GspFileReplacement {
  public:
    explicit GspFileReplacement(const std::string &target);
    // Removes the fresh file unless it was committed.
    ~GspFileReplacement();

    // The fresh file's descriptor, -1 (errno set) when it could not be made.
    int descriptor() const { return fd; }

    // Closes the fresh file and renames it over the target. With
    // keepPrevious, an existing target is kept as target~ first (a hard
    // link, so that it costs no copy). False, with errno set, the fresh
    // file removed and the target as it was, when any step fails.
    bool commit(bool keepPrevious = false);

  private:
    GspFileReplacement(const GspFileReplacement &) = delete;
    GspFileReplacement &operator=(const GspFileReplacement &) = delete;

    GspFileSizeSignalHold hold;
    std::string target, fresh;
    int fd;
};

#endif
