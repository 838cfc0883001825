#include <Glosspin/ZnInventorNote.h>

#include "note/NoteIcons.h"
#include "note/NoteKindClass.h"

SO_NODE_SOURCE(ZnInventorNote);

const char *ZnInventorNote::fileSuffix = ".iv";

void ZnInventorNote::initClass()
{
    GSP_NOTE_KIND_INIT_CLASS(ZnInventorNote);
}

ZnInventorNote::ZnInventorNote()
{
    SO_NODE_CONSTRUCTOR(ZnInventorNote);
    GSP_SET_NOTE_ICONS(scene);
    SO_NODE_ADD_FIELD(sceneGraph, (NULL));
    SO_NODE_ADD_FIELD(externalNoteDirName, (""));
    startNextNote = 2;
    nextNoteDelay = 5.0f;
    usePlayerGeometry = 0;
}

ZnInventorNote::~ZnInventorNote() {}

int ZnInventorNote::gatherPendingData(int) { return 0; }
const char *ZnInventorNote::getFileSuffix() { return fileSuffix; }
int ZnInventorNote::getUndoWeight() { return 1000 + (int)(mediaBlockSize() / 1000); }
int ZnInventorNote::usingMediaData() { return 1; }

void ZnInventorNote::setExternalNoteDirName(const char *dirName)
{
    SbString rel;
    makeNameRelative(rel, dirName);
    externalNoteDirName = rel.getLength() > 0 ? rel : SbString(dirName ? dirName : "");
}
