#include <Glosspin/ZnImageNote.h>

#include <Glosspin/ZnCommon.h>

#include "note/NoteIcons.h"
#include "note/NoteKindClass.h"

SO_NODE_SOURCE(ZnImageNote);

const char *ZnImageNote::fileSuffix = ".rgb";

void ZnImageNote::initClass()
{
    GSP_NOTE_KIND_INIT_CLASS(ZnImageNote);
}

ZnImageNote::ZnImageNote()
{
    SO_NODE_CONSTRUCTOR(ZnImageNote);
    GSP_SET_NOTE_ICONS(image);
    startNextNote = 2;
    nextNoteDelay = 5.0f;
    usePlayerGeometry = 0;
}

ZnImageNote::~ZnImageNote() {}

// New data counts when the editor left a readable file.
int ZnImageNote::gatherPendingData(int)
{
    return checkDataFile(FALSE);
}

const char *ZnImageNote::getFileSuffix() { return fileSuffix; }
int ZnImageNote::getUndoWeight() { return 908 + (int)(mediaBlockSize() / 1000); }
int ZnImageNote::usingMediaData() { return 1; }

void ZnImageNote::edit() { recordMedia(); }

void ZnImageNote::play(int autoPlay) { playMedia(autoPlay); }

void ZnImageNote::getExternalPlayerCommand(int, std::vector<std::string> &argv)
{
    argv = {"picshow", "-f"};
    int x, y;
    if (playerPlaceFromBottom(x, y))
        argv.insert(argv.end(), {"-o", std::to_string(x), std::to_string(y)});
    argv.push_back(dataFilename());
}

void ZnImageNote::getExternalEditorCommand(std::vector<std::string> &argv)
{
    argv = {"mediagrab", "-nofork", "-snapshot", "-guaranteeVideo", "-fixedMode", "snapshot",
            "still", "-fixedFile", dataFilename()};
}

void ZnImageNote::externalPlayerFailed() { ZnCommon::displayError("noPicshowMsg"); }
void ZnImageNote::externalEditorFailed() { ZnCommon::displayError("noMediagrabMsg"); }
