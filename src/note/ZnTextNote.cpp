#include <Glosspin/ZnTextNote.h>

#include "note/NoteIcons.h"
#include "note/NoteKindClass.h"
#include "platform/FileReplacement.h"
#include "platform/WriteAll.h"

#include <Glosspin/ZnCommon.h>
#include <X11/Intrinsic.h>
#include <Xm/Xm.h>

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

SO_NODE_SOURCE(ZnTextNote);

const char *ZnTextNote::fileSuffix = "";

// Longest piece of text in one value of textData.
static const int PIECE = 1023;
static const int MAX_ROWS = 40;

void ZnTextNote::initClass()
{
    GSP_NOTE_KIND_INIT_CLASS(ZnTextNote);
}

ZnTextNote::ZnTextNote()
    : textWidget(NULL), editing(FALSE), rows(5), columns(60), savedX(0), savedY(0),
      savedWidth(0), savedHeight(0)
{
    SO_NODE_CONSTRUCTOR(ZnTextNote);
    GSP_SET_NOTE_ICONS(text);
    SO_NODE_ADD_FIELD(textData, (""));
    startNextNote = 2;
    nextNoteDelay = 5.0f;
    mediaData.setDefault(TRUE);
    mediaData.setWriteCB(NULL);
}

ZnTextNote::~ZnTextNote()
{
    if (playerWindow) {
        Widget shell = XtParent(XtParent(playerWindow));  // the note's own shell
        XtRemoveAllCallbacks(shell, XmNdestroyCallback);
        XtDestroyWidget(shell);
    }
}

int ZnTextNote::gatherPendingData(int) { return 0; }
const char *ZnTextNote::getFileSuffix() { return fileSuffix; }

void ZnTextNote::setFieldFromString(const char *s)
{
    int n = (int)strlen(s);
    if (n < PIECE) {
        textData.setValue(s);
        return;
    }
    int pieces = (n + PIECE - 1) / PIECE;
    textData.setNum(pieces);
    SbString *values = textData.startEditing();
    for (int i = 0; i < pieces; i++) {
        int len = n - PIECE * i < PIECE ? n - PIECE * i : PIECE;
        values[i] = SbString(std::string(s + PIECE * i, (size_t)len).c_str());
    }
    textData.finishEditing();
}

void ZnTextNote::loadFromField()
{
    std::string joined;
    for (int i = 0; i < textData.getNum(); i++)
        joined += textData[i].getString();
    if (!joined.empty() && joined.back() != '\n')
        joined += '\n';
    text = joined.c_str();
    findDialogSize(joined.c_str());
}

void ZnTextNote::loadFromString(const char *s)
{
    text = s;
    findDialogSize(s);
}

void ZnTextNote::loadFromFile()
{
    const char *name = getDataFilename();
    int fd = name ? open(name, O_RDONLY | O_CLOEXEC) : -1;
    struct stat st;
    std::string buf;
    bool ok = fd >= 0 && fstat(fd, &st) == 0;
    if (ok) {
        buf.resize((size_t)st.st_size);
        ok = st.st_size == 0 || ::read(fd, &buf[0], buf.size()) == (ssize_t)buf.size();
    }
    if (fd >= 0)
        close(fd);
    if (!ok) {
        ZnCommon::displayError("cannotExtractTextMsg", "cannotExtractTextMsgPart2", NULL,
                               name ? name : "");
        return;
    }
    loadFromString(buf.c_str());
}

void ZnTextNote::findDialogSize(const char *s)
{
    int lines = 0;
    const char *nl = s ? strchr(s, '\n') : NULL;
    const char *rest = s;
    while (nl) {
        columns = 60;
        lines++;
        rest = nl + 1;
        if (*rest == '\0' || lines >= MAX_ROWS)
            break;
        nl = strchr(rest, '\n');
    }
    if (rest && *rest && lines < MAX_ROWS)
        lines++;
    rows = lines < 5 ? 5 : lines;
}

int ZnTextNote::updateLocalData()
{
    if (text.getLength() > 0)
        return 1;
    if (!dataExternal) {
        if (tempDataFileName.getLength() == 0)
            loadFromField();
        else
            loadFromFile();
        return 1;
    }
    if (!checkDataFile(TRUE))
        return 0;
    loadFromFile();
    return 1;
}

int ZnTextNote::blastDataToExternalFile()
{
    return writeTextTo(getDataFilename());
}

// The file is replaced only once the whole text is in it.
int ZnTextNote::writeTextTo(const char *name)
{
    int ok = 0;
    if (name) {
        GspFileReplacement out(name);
        ok = out.descriptor() >= 0 &&
             gspWriteAll(out.descriptor(), text.getString(), (size_t)text.getLength()) &&
             out.commit();
    }
    if (!ok)
        ZnCommon::displayError("cannotOpenForWritingMsg", "fileNotWriteableMsg", NULL,
                               name ? name : "");
    return ok;
}

int ZnTextNote::copyDataToExternalFile(int *sameFile)
{
    if (sameFile) {
        *sameFile = isSameFile();
        if (*sameFile)
            return 0;
    }
    updateLocalData();
    return blastDataToExternalFile();
}

int ZnTextNote::extractDataTo(const char *path)
{
    if (!updateLocalData())
        return 0;
    return writeTextTo(path);
}

SbBool ZnTextNote::readInstance(SoInput *in, unsigned short flags)
{
    return ZnNote::readInstance(in, flags);
}

void ZnTextNote::write(SoWriteAction *action)
{
    if (dataExternal)
        textData.setValue("");
    else if (text.getLength() > 0)
        setFieldFromString(text.getString());
    else if (tempDataFileName.getLength() > 0) {
        loadFromFile();
        setFieldFromString(text.getString());
    }
    mediaData.setDefault(TRUE);
    if (playerWidth.getValue() < 1 && savedWidth > 0) {
        playerLocationX = savedX;
        playerLocationY = savedY;
        playerWidth = savedWidth;
        playerHeight = savedHeight;
    }
    ZnNote::write(action);
}

int ZnTextNote::getUndoWeight()
{
    int weight = 1008 + text.getLength();
    for (int i = 0; i < textData.getNum(); i++)
        weight += textData[i].getLength();
    return weight;
}

int ZnTextNote::estimateDiskSpaceRequired(int binary)
{
    updateLocalData();
    return ZnNote::estimateDiskSpaceRequired(binary) + text.getLength();
}

void ZnTextNote::setDataFilename(const char *name, int ownFile)
{
    ZnNote::setDataFilename(name, ownFile);
    updateLocalData();
}
