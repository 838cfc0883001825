#include <Glosspin/ZnSystemNote.h>

#include "note/NoteIcons.h"
#include "note/NoteKindClass.h"

SO_NODE_SOURCE(ZnSystemNote);

void ZnSystemNote::initClass()
{
    GSP_NOTE_KIND_INIT_CLASS(ZnSystemNote);
}

ZnSystemNote::ZnSystemNote()
{
    SO_NODE_CONSTRUCTOR(ZnSystemNote);
    GSP_SET_NOTE_ICONS(system);
    SO_NODE_ADD_FIELD(command, (""));
    supportsExternalData = 0;
    dataExternal = 0;
    mediaData.setDefault(TRUE);
    startNextNote = 2;
    nextNoteDelay = 5.0f;
}

ZnSystemNote::~ZnSystemNote() {}

int ZnSystemNote::gatherPendingData(int) { return 0; }

// The command and the field's name and type in the file.
int ZnSystemNote::estimateDiskSpaceRequired(int binary)
{
    return ZnNote::estimateDiskSpaceRequired(binary) + command.getValue().getLength() + 22;
}

int ZnSystemNote::getUndoWeight() { return 972; }
