#ifndef GLOSSPIN_PLATFORM_LIBRARYDIR_H
#define GLOSSPIN_PLATFORM_LIBRARYDIR_H

#include <string>

// The library's program directory (<prefix>/lib/Glosspin), where the web
// script and the media programs are installed; GLOSSPIN_LIB_DIR in the
// environment overrides it (a build tree, a relocated install).
std::string gspLibraryDir();

// The directory of the installed resource file (<prefix>/share/X11/
// app-defaults).
std::string gspAppDefaultsDir();

#endif
