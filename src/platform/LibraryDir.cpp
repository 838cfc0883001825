#include "platform/LibraryDir.h"

#include <stdlib.h>

std::string gspLibraryDir()
{
    const char *dir = getenv("GLOSSPIN_LIB_DIR");
    return dir && *dir ? dir : GLOSSPIN_LIB_DIR;
}
