#ifndef GLOSSPIN_TESTS_TEMPDIR_H
#define GLOSSPIN_TESTS_TEMPDIR_H

#include <string>
#include <vector>

// A private directory for one test, made the process's TMPDIR while it
// lives and removed with its contents afterwards.
class TempDir {
  public:
    TempDir();
    ~TempDir();

    const std::string &path() const { return dir; }
    std::string file(const std::string &name) const { return dir + "/" + name; }

    // Names of the entries, sorted.
    std::vector<std::string> entries() const;
    static std::vector<std::string> entriesOf(const std::string &dir);

    static void writeFile(const std::string &path, const std::string &bytes);
    static std::string readFile(const std::string &path);
    // True when path names anything, a dangling link included.
    static bool exists(const std::string &path);

  private:
    std::string dir;
    std::string oldTmpDir;
    bool hadTmpDir;
};

#endif
