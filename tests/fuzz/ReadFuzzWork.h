#ifndef GLOSSPIN_TESTS_READFUZZWORK_H
#define GLOSSPIN_TESTS_READFUZZWORK_H

#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include <Glosspin/SoSFDelayedData.h>
#include <Glosspin/ZnInit.h>
#include <Inventor/SoDB.h>
#include <Inventor/errors/SoReadError.h>

// Set-up shared by the fuzzers that read scenes: the library registered,
// read errors silenced, and a private work directory made the process's
// TMPDIR, removed with what is in it at exit.
namespace GspReadFuzz {

inline std::string &workDir()
{
    static std::string dir;
    return dir;
}

inline void quiet(const SoError *, void *)
{
}

inline void removeWorkDir()
{
    if (DIR *d = opendir(workDir().c_str())) {
        while (struct dirent *e = readdir(d))
            if (e->d_name[0] != '.')
                unlink((workDir() + "/" + e->d_name).c_str());
        closedir(d);
    }
    rmdir(workDir().c_str());
}

inline void setUp(const char *name)
{
    SoDB::init();
    ZnInit::initClasses();
    SoReadError::setHandlerCallback(quiet, NULL);
    std::string tmpl = std::string("/tmp/") + name + ".XXXXXX";
    workDir() = mkdtemp(&tmpl[0]) ? tmpl : "/tmp";
    setenv("TMPDIR", workDir().c_str(), 1);
    if (workDir() != "/tmp")
        atexit(removeWorkDir);
}

// Entries of the delayed-read field's descriptor table in use.
inline int usedSlots()
{
    int used = 0;
    for (int i = 0; i < SoSFDelayedData::numOpenFDs; i++)
        used += SoSFDelayedData::openFDs[i].inode != 0;
    return used;
}

// Names the broken invariant, then stops the fuzzer there.
[[noreturn]] inline void fail(const char *fuzzer, const char *why)
{
    fprintf(stderr, "%s: %s\n", fuzzer, why);
    abort();
}

}

#endif
