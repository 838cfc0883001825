#ifndef GLOSSPIN_FIELD_PATHSLOT_H
#define GLOSSPIN_FIELD_PATHSLOT_H

#include <Inventor/SoPath.h>
#include <Inventor/fields/SoSFPath.h>

#include "field/ReadLeftovers.h"

// Holds path in slot, referenced, releasing what the slot held. With an
// owner the references the path holds are the owner's, as reading's
// clean-up must see them.
inline void gspReplacePath(SoFieldContainer *owner, SoPath *&slot, SoPath *path)
{
    if (path)
        path->ref();
    if (slot) {
        if (owner)
            GspReadLeftovers::removePath(slot);
        slot->unref();
    }
    slot = path;
    if (owner)
        GspReadLeftovers::addPath(owner, path);
}

// Empties a path field that carries a path only while its node is written.
inline void gspClearPathField(SoSFPath &field)
{
    field.setValue(NULL);
    field.setDefault(TRUE);
}

#endif
