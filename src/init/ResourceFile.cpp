#include "init/ResourceFile.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include <X11/Intrinsic.h>
#include <X11/Xresource.h>

namespace GspResourceFile {

namespace {

const char CLASS_NAME[] = "Glosspin";

// Expands one XFILESEARCHPATH entry for the app-defaults file of our
// class: %T the type, %N the name, %S no suffix, the language parts empty.
std::string expandEntry(const std::string &entry)
{
    std::string out;
    for (size_t i = 0; i < entry.size(); i++) {
        if (entry[i] != '%' || i + 1 == entry.size()) {
            out += entry[i];
            continue;
        }
        char c = entry[++i];
        if (c == 'T')
            out += "app-defaults";
        else if (c == 'N')
            out += CLASS_NAME;
        else if (c == '%')
            out += '%';
        // %S, %L, %l, %t, %c, %C: empty here.
    }
    return out;
}

std::string searchPathFromEnvironment()
{
    const char *env = getenv("XFILESEARCHPATH");
    if (!env)
        return "";
    std::string path(env);
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        std::string file = expandEntry(path.substr(start, end - start));
        if (!file.empty() && access(file.c_str(), R_OK) == 0)
            return file;
        start = end + 1;
    }
    return "";
}

std::string installedPath()
{
    std::string file = std::string(GLOSSPIN_APPDEFAULTS_DIR) + "/" + CLASS_NAME;
    return access(file.c_str(), R_OK) == 0 ? file : "";
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
        found = searchPathFromEnvironment();
    if (found.empty())
        found = installedPath();
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
