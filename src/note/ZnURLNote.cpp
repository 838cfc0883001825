#include <Glosspin/ZnURLNote.h>

#include "note/NoteIcons.h"
#include "note/NoteKindClass.h"

SO_NODE_SOURCE(ZnURLNote);

long ZnURLNote::WWWPlayerProcessId = -1;

void ZnURLNote::initClass()
{
    GSP_NOTE_KIND_INIT_CLASS(ZnURLNote);
}

ZnURLNote::ZnURLNote()
{
    SO_NODE_CONSTRUCTOR(ZnURLNote);
    GSP_SET_NOTE_ICONS(url);
    SO_NODE_ADD_FIELD(url, (""));
    startNextNote = 1;
    nextNoteDelay = 5.0f;
    supportsExternalData = 0;
    dataExternal = 0;
    mediaData.setDefault(TRUE);
    trackPlayerExit = 0;
    usePlayerGeometry = 0;
}

ZnURLNote::~ZnURLNote() {}

int ZnURLNote::gatherPendingData(int) { return 0; }

// The address and the field's name and type in the file.
int ZnURLNote::estimateDiskSpaceRequired(int binary)
{
    return ZnNote::estimateDiskSpaceRequired(binary) + url.getValue().getLength() + 14;
}

int ZnURLNote::getUndoWeight() { return 984; }

void ZnURLNote::updateStaticProcessId(long pid) { WWWPlayerProcessId = pid; }
