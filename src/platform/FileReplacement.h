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

    // Closes the fresh file and renames it over the target. False, with
    // errno set and the fresh file removed, when any step fails.
    bool commit();

  private:
    GspFileReplacement(const GspFileReplacement &) = delete;
    GspFileReplacement &operator=(const GspFileReplacement &) = delete;

    GspFileSizeSignalHold hold;
    std::string target, fresh;
    int fd;
};

#endif
