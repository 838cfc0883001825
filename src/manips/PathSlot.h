#ifndef GLOSSPIN_MANIPS_PATHSLOT_H
#define GLOSSPIN_MANIPS_PATHSLOT_H

#include <Inventor/SoPath.h>
#include <Inventor/fields/SoSFPath.h>

// Holds path in slot, referenced, releasing what was there.
inline void gspReplacePath(SoPath *&slot, SoPath *path)
{
    if (path)
        path->ref();
    if (slot)
        slot->unref();
    slot = path;
}

// Empties a path field that carries a path only while its node is written.
inline void gspClearPathField(SoSFPath &field)
{
    field.setValue(NULL);
    field.setDefault(TRUE);
}

#endif
