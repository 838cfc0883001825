#include <Glosspin/ZnInventorNote.h>

#include <Glosspin/ZnCommon.h>

#include "note/NoteIcons.h"
#include "note/NoteKindClass.h"
#include "platform/LibraryDir.h"

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

void ZnInventorNote::edit() { ZnCommon::displayError("cannotEdit3DMsg"); }

void ZnInventorNote::play(int autoPlay) { playMedia(autoPlay); }

void ZnInventorNote::getExternalPlayerCommand(int, std::vector<std::string> &argv)
{
    argv = {gspLibraryDir() + "/3dNoteViewer"};
    if (playerWidth.getValue() > 0 && playerHeight.getValue() > 0)
        argv.insert(argv.end(), {"-s", std::to_string(playerWidth.getValue()),
                                 std::to_string(playerHeight.getValue())});
    if (playerLocationX.getValue() > 0 && playerLocationY.getValue() > 0)
        argv.insert(argv.end(), {"-o", std::to_string(playerLocationX.getValue()),
                                 std::to_string(playerLocationY.getValue())});
    argv.push_back(dataFilename());
    argv.push_back(externalNoteDirName.getValue().getString());
}

void ZnInventorNote::externalPlayerFailed() { ZnCommon::displayError("no3dNoteViewerMsg"); }

void ZnInventorNote::setExternalNoteDirName(const char *dirName)
{
    SbString rel;
    makeNameRelative(rel, dirName);
    externalNoteDirName = rel.getLength() > 0 ? rel : SbString(dirName ? dirName : "");
}
