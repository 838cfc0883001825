#include "platform/LibraryDir.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <sys/stat.h>

namespace {

// A directory of the installation this copy of the library belongs to,
// named relative to the library's own directory: an install moved to
// another prefix finds its files there. The configured place otherwise,
// as in a build tree.
std::string installedDir(const char *fromLibDir, const char *configured)
{
    Dl_info info;
    if (dladdr((void *)&gspLibraryDir, &info) && info.dli_fname) {
        std::string lib = info.dli_fname;
        size_t slash = lib.rfind('/');
        if (slash != std::string::npos) {
            std::string dir = lib.substr(0, slash) + "/" + fromLibDir;
            struct stat st;
            if (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                return dir;
        }
    }
    return configured;
}

}

std::string gspLibraryDir()
{
    const char *dir = getenv("GLOSSPIN_LIB_DIR");
    if (dir && *dir)
        return dir;
    static const std::string installed =
        installedDir(GLOSSPIN_LIB_DIR_FROM_LIBDIR, GLOSSPIN_LIB_DIR);
    return installed;
}

std::string gspAppDefaultsDir()
{
    static const std::string installed =
        installedDir(GLOSSPIN_APPDEFAULTS_FROM_LIBDIR, GLOSSPIN_APPDEFAULTS_DIR);
    return installed;
}
