#include "init/ResourceFile.h"

#include <stdlib.h>

#include <string>

#include <X11/Intrinsic.h>
#include <X11/Xresource.h>

#include "platform/LibraryDir.h"

namespace GspResourceFile {

namespace {

const char CLASS_NAME[] = "Glosspin";

// Without a display: the entries of XFILESEARCHPATH, then the installed
// file, expanded by Xt for the app-defaults file of our class (the
// language parts and the suffix empty).
std::string findWithoutDisplay()
{
    const char *env = getenv("XFILESEARCHPATH");
    std::string path = env ? std::string(env) + ":" : std::string();
    path += gspAppDefaultsDir() + "/%N";
    SubstitutionRec subs[] = {{'N', (String)CLASS_NAME}, {'T', (String) "app-defaults"},
                              {'S', (String) ""},        {'L', (String) ""},
                              {'l', (String) ""},        {'t', (String) ""},
                              {'c', (String) ""},        {'C', (String) ""}};
    char *p = XtFindFile(path.c_str(), subs, XtNumber(subs), NULL);
    std::string file = p ? p : "";
    XtFree(p);
    return file;
}

}

const char *locate(Display *display)
{
    static std::string found;
    found.clear();
    if (display) {
        char *p = XtResolvePathname(display, "app-defaults", CLASS_NAME, NULL,
                                    NULL, NULL, 0, NULL);
        if (p) {
            found = p;
            XtFree(p);
        }
    }
    if (found.empty())
        found = findWithoutDisplay();
    return found.c_str();
}

void mergeInto(Display *display)
{
    static Display *merged = NULL;
    if (!display || display == merged)
        return;
    merged = display;
    const char *file = locate(display);
    if (!*file)
        return;
    // Make sure the display's database exists (XGetDefault builds it on
    // first use), then add ours without overriding the application's.
    XGetDefault(display, CLASS_NAME, "dummy");
    XrmDatabase db = XrmGetDatabase(display);
    XrmCombineFileDatabase(file, &db, False);
    XrmSetDatabase(display, db);
}

const char *lookupWithoutDisplay(const char *key)
{
    // Reloaded when the search path now finds another file.
    static XrmDatabase db = NULL;
    static std::string loadedFrom;
    static bool initialized = false;
    if (!initialized) {
        XrmInitialize();
        initialized = true;
    }
    std::string file = locate(NULL);
    if (file != loadedFrom) {
        if (db)
            XrmDestroyDatabase(db);
        db = file.empty() ? NULL : XrmGetFileDatabase(file.c_str());
        loadedFrom = file;
    }
    if (!db)
        return NULL;
    std::string name = std::string(CLASS_NAME) + "." + key;
    char *type = NULL;
    XrmValue value;
    if (XrmGetResource(db, name.c_str(), "Program.Name", &type, &value) && value.addr)
        return value.addr;
    return NULL;
}

}
