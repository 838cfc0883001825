#include <Glosspin/ZnViewNote.h>

#include "note/NoteIcons.h"
#include "note/NoteKindClass.h"

SO_NODE_SOURCE(ZnViewNote);

void ZnViewNote::initClass()
{
    GSP_NOTE_KIND_INIT_CLASS(ZnViewNote);
}

ZnViewNote::ZnViewNote() : duration(2.0f)
{
    SO_NODE_CONSTRUCTOR(ZnViewNote);
    GSP_SET_NOTE_ICONS(view);
    SO_NODE_ADD_FIELD(position, (0, 0, 0));
    SO_NODE_ADD_FIELD(orientation, (SbVec3f(0, 0, 1), 0));
    SO_NODE_ADD_FIELD(focalDistance, (0));
    SO_NODE_ADD_FIELD(height, (0));
    SO_NODE_ADD_FIELD(isPerspectiveCamera, (TRUE));
    lifetimeType = 2;
    startNextNote = 1;
    supportsExternalData = 0;
    dataExternal = 0;
    playerLocationSupported = 0;
    mediaData.setDefault(TRUE);
    findMediaLength();
}

ZnViewNote::~ZnViewNote() {}

int ZnViewNote::gatherPendingData(int) { return 0; }

const char *ZnViewNote::getDurationMsg()
{
    static char msg[256];
    return formatDuration(msg, sizeof msg, "duration_view",
                          "for duration of view change (%s sec)");
}

// The five camera fields.
int ZnViewNote::estimateDiskSpaceRequired(int binary)
{
    return ZnNote::estimateDiskSpaceRequired(binary) + 230;
}

int ZnViewNote::getUndoWeight() { return 1176; }

void ZnViewNote::findMediaLength() { mediaLength = duration; }
