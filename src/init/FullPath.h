#ifndef GLOSSPIN_INIT_FULLPATH_H
#define GLOSSPIN_INIT_FULLPATH_H

#include <Inventor/SoPath.h>

// The toolkit shows a path's hidden nodes (the parts inside node kits)
// through SoFullPath, a view of an SoPath reached by a cast. The cast is
// the toolkit's own idiom; the type check of the undefined-behaviour
// sanitizer does not know it, so these helpers are exempt from it.
__attribute__((no_sanitize("vptr"))) inline SoFullPath *gspFullPath(SoPath *path)
{
    return (SoFullPath *)path;
}

__attribute__((no_sanitize("vptr"))) inline SoNode *gspFullTail(const SoPath *path)
{
    return ((const SoFullPath *)path)->getTail();
}

#endif
