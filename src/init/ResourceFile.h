#ifndef GLOSSPIN_INIT_RESOURCEFILE_H
#define GLOSSPIN_INIT_RESOURCEFILE_H

#include <X11/Xlib.h>

// The library's resource file (class "Glosspin"): merged into the
// application's resource database so that XGetDefault finds its texts,
// and read on its own when there is no X display.
namespace GspResourceFile {

// Path of the resource file: found through the X file search path when a
// display is given, else through XFILESEARCHPATH, else the installed one.
// Empty when none exists.
const char *locate(Display *display);

// Adds the file's texts to the display's database once, below what the
// application already set. Safe to call often.
void mergeInto(Display *display);

// The text for key without a display, or NULL.
const char *lookupWithoutDisplay(const char *key);

}

#endif
