#ifndef GLOSSPIN_PLATFORM_LIBRARYDIR_H
#define GLOSSPIN_PLATFORM_LIBRARYDIR_H

#include <string>

// The library's program directory (<prefix>/lib/Glosspin), where the web
// script and the media programs are installed; GLOSSPIN_LIB_DIR in the
// environment overrides it (a build tree, a relocated install).
std::string gspLibraryDir();

#endif
