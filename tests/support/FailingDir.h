#ifndef GLOSSPIN_TESTS_FAILINGDIR_H
#define GLOSSPIN_TESTS_FAILINGDIR_H

#include <sys/resource.h>

#include <string>

// A directory whose file system fails under the code tried in it, once
// fail() is called: a full disk (a small file system of its own, filled
// up), a file size limit of 4 KiB on the process, or the directory made
// read-only. Writes that stay under 4 KiB still work with the limit,
// which the code tried must survive: the file-size signal is not ignored.
class FailingDir {
  public:
    enum Fault { FULL_DISK, SIZE_LIMIT, READ_ONLY };
    static const char *const names[3];

    // Made inside parent, and removed with what is in it.
    FailingDir(const std::string &parent, Fault fault);
    ~FailingDir();

    // False when this machine cannot make the fault (mounting needs root).
    bool available() const { return ready; }
    const std::string &path() const { return dir; }
    std::string file(const std::string &name) const { return dir + "/" + name; }

    // False when the fault could not be made.
    bool fail();
    void heal();

  private:
    Fault fault;
    std::string dir;
    bool ready, mounted, failing;
    struct rlimit oldLimit;
};

#endif
