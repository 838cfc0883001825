// A note's file form: reading and writing its fields, the memory-buffer
// copy path that hands a copy a file name instead of the bytes, and the
// write callback that puts the media block into the scene file.
#include <Glosspin/ZnNote.h>

#include <Glosspin/ZnCommon.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/errors/SoReadError.h>
#include <Inventor/fields/SoFieldData.h>

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/mman.h>
#include <unistd.h>

#include "field/ReadLeftovers.h"
#include "note/MediaSource.h"

static long fileSize(const char *name)
{
    struct stat st;
    return name && stat(name, &st) == 0 ? (long)st.st_size : -1;
}

void ZnNote::pointMediaDataAt(const char *file)
{
    long size = fileSize(file);
    mediaData.clearFileIndex();  // a kept descriptor is the old source's
    mediaData.setFileInfo(file, 0, size < 0 ? 0 : (int)size);
    mediaIsRaw = 1;
}

int ZnNote::hasInlineData() const
{
    return tempDataFileName.getLength() > 0 || mediaData.getFileName().getLength() > 0 ||
           mediaData.getDataSize() > 0;
}

// Names a fresh file for a pasted note's data (in the temporary directory,
// or by the external prefix) and copies the note's file into it. 0 after
// an error dialog when either fails: the paste fails rather than give a
// note without its data.
int ZnNote::copyForPaste(SbString &fresh, int inTempDir)
{
    char buf[PATH_MAX];
    const char *prefix = getExternalFilePrefix();
    int ok = !inTempDir && prefix
                 ? claimUniqueFilename("", prefix, getFileSuffix(), buf)
                 : claimUniqueFilename(getTempDirName(), NOTE_BASE, getFileSuffix(), buf);
    if (!ok) {
        ZnCommon::displayError("cannotCopyNoteMsg", "cannotOpenTempMsg");
        return 0;
    }
    if (!makeCopyOfNoteDataFile(filename.getValue().getString(), buf)) {
        ZnCommon::displayError("cannotCopyNoteMsg", "copyToTempFailedMsg");
        unlink(buf);
        return 0;
    }
    dataFileIsTemp = inTempDir || !prefix;
    fresh = buf;
    // The paste may still fail later on, leaving this note unreleased.
    deleteDataFileOnDestroy = 1;
    GspReadLeftovers::add(this, this, releaseReadData);
    return 1;
}

SbBool ZnNote::readInstance(SoInput *in, unsigned short flags)
{
    mediaIsRaw = 0;
    if (!SoShape::readInstance(in, flags))
        return FALSE;
    if (in->isBinary()) {
        int children;
        if (!in->read(children))
            return FALSE;
    }
    // A block's last word holds one to four of its bytes.
    if (padByteCount.getValue() < 0 || padByteCount.getValue() > 3) {
        SoReadError::post(in, "Invalid padByteCount %d", padByteCount.getValue());
        return FALSE;
    }
    int fromFile = in->getCurFile() != NULL;
    if (!fromFile && preferInline.getValue()) {
        SbString fresh;
        preferInline = FALSE;
        preferInline.setDefault(TRUE);
        if (!copyForPaste(fresh, 1))
            return FALSE;
        wasImported = FALSE;
        dataExternal = 1;
        filename = fresh;
        setDataExternal(0);
        if (usingMediaData())
            pointMediaDataAt(fresh.getString());
        return TRUE;
    }
    if (filename.getValue().getLength() > 0)
        return readExternal(fromFile);
    readInline();
    return TRUE;
}

int ZnNote::readExternal(int fromFile)
{
    mediaData.setFileInfo(SbString(), 0, 0);
    mediaData.clearFileIndex();
    mediaData.setDefault(TRUE);
    dataExternal = 1;
    tempDataFileName = "";
    if (fromFile || wasImported.getValue()) {
        dataFileIsTemp = 0;
        if (!fromFile) {
            SbString rel;
            makeNameRelative(rel, filename.getValue().getString());
            if (rel.getLength() > 0)
                filename = rel;
        }
        deleteDataFileOnDestroy = 0;
        return TRUE;
    }
    // A copy of a note whose file belongs to the original: the copy gets
    // a file of its own.
    SbString fresh;
    if (!copyForPaste(fresh, 0))
        return FALSE;
    SbString rel;
    makeNameRelative(rel, fresh.getString());
    filename = rel.getLength() > 0 ? rel : fresh;
    return TRUE;
}

// Inline data: a block the field had to cache in a private file becomes
// the note's raw temporary data file, without the block's fill bytes.
void ZnNote::readInline()
{
    dataExternal = 0;
    if (!usingMediaData()) {
        mediaData.setFileInfo(SbString(), 0, 0);
        mediaData.clearFileIndex();
        mediaData.setDefault(TRUE);
        return;
    }
    SbString cache = mediaData.takeCachedFile();
    if (cache.getLength() > 0) {
        long size = fileSize(cache.getString()) - padByteCount.getValue();
        if (size < 0 || truncate(cache.getString(), size) != 0)
            size = 0;
        tempDataFileName = cache;
        dataFileIsTemp = 1;
        deleteDataFileOnDestroy = 1;
        pointMediaDataAt(cache.getString());
        GspReadLeftovers::add(this, this, releaseReadData);
    }
    mediaData.setDefault(!hasInlineData());
}

// Counting pass of a copy into a memory buffer: inline data goes to a
// temporary file whose full name the copy carries instead of the bytes.
// 0 when that file cannot be made: the note then stays out of the copy.
int ZnNote::prepareCopy()
{
    if (!dataExternal && supportsExternalData && hasInlineData()) {
        if (tempDataFileName.getLength() == 0) {
            if (!checkFilename()) {
                ZnCommon::displayError("cannotCopyNoteMsg", "cannotOpenTempMsg");
                return 0;
            }
            int same = 0;
            if (!copyDataToExternalFile(&same) && !same) {
                ZnCommon::displayError("cannotCopyNoteMsg", "copyToTempFailedMsg");
                unlink(tempDataFileName.getString());
                tempDataFileName = "";
                return 0;
            }
            pointMediaDataAt(tempDataFileName.getString());
        }
        // The copy carries the file; the original keeps its bytes.
        preferInline = TRUE;
        SbString temp = tempDataFileName;
        setDataExternal(1);
        filename = temp;
        wasImported = FALSE;
    }
    if (filename.getValue().getLength() > 0) {
        char cwd[PATH_MAX];
        SbString full;
        if (getcwd(cwd, sizeof cwd)) {
            makeNameFullPath(full, cwd);
            filename = full;
        }
    }
    return 1;
}

void ZnNote::write(SoWriteAction *action)
{
    SoOutput *out = action->getOutput();
    int toBuffer = out->getFilePointer() == NULL;
    if (out->getStage() == SoOutput::COUNT_REFS) {
        leftOutOf = NULL;
        if (!usingMediaData()) {
            mediaData.setFileInfo(SbString(), 0, 0);
            mediaData.setDefault(TRUE);
        } else {
            if (toBuffer) {
                if (!prepareCopy()) {
                    leftOutOf = out;
                    return;
                }
            } else if (dataExternal && dataFileIsTemp && getExternalFilePrefix()) {
                // A scene file must not name a private temporary file:
                // the data moves to a prefixed name before the fields are
                // written. A copy in memory leaves the note as it is.
                makeDataExternal(NULL, 0);
            }
            if (!dataExternal && !hasInlineData())
                mediaData.setDefault(TRUE);
        }
        if (!preferInline.getValue() && tempDataFileName.getLength() > 0 && usingMediaData())
            mediaData.setDefault(FALSE);
        addWriteReference(out, FALSE);
        return;
    }

    if (leftOutOf == out) {  // not in this copy
        leftOutOf = NULL;
        return;
    }
    // The header marks the note a group: a reader that does not know the
    // class then reads the zero after the fields as its child count.
    if (!writeHeader(out, TRUE, FALSE)) {
        getFieldData()->write(out, this);
        if (out->isBinary())
            out->write((int)0);
        writeFooter(out);
    }
    if (preferInline.getValue()) {
        preferInline = FALSE;
        preferInline.setDefault(TRUE);
        setDataExternal(0);
        if (usingMediaData() && tempDataFileName.getLength() > 0)
            pointMediaDataAt(tempDataFileName.getString());
    }
    if (toBuffer && filename.getValue().getLength() > 0) {
        SbString rel;
        makeNameRelative(rel, filename.getValue().getString());
        if (rel.getLength() > 0)
            filename = rel;
    }
    if (!toBuffer && dataExternal)
        deleteDataFileOnDestroy = 0;
}

// The scene file being written is the one the block is delayed-read from:
// the bytes go to a temporary data file before the file is overwritten.
void ZnNote::saveBeforeOverwrite(SoOutput *out)
{
    FILE *fp = out->getFilePointer();
    struct stat st;
    if (!fp || mediaData.getInode() == 0 || fstat(fileno(fp), &st) != 0 ||
        (int)st.st_ino != mediaData.getInode())
        return;
    SbString name;
    if (!buildTempName(name)) {
        ZnCommon::displayError("cannotCreateTempFileMsg");
        return;
    }
    tempDataFileName = name;
    dataFileIsTemp = 1;
    deleteDataFileOnDestroy = 1;
    int same = 0;
    if (!copyDataToExternalFile(&same) && !same) {
        ZnCommon::displayError("cannotCopyToTempMsg");
        unlink(name.getString());
        tempDataFileName = "";
        return;
    }
    mediaData.clearFileIndex();
    pointMediaDataAt(name.getString());
}

void ZnNote::dataWriteCB(const SoSFDelayedData *field, SoOutput *out)
{
    ZnNote *note = (ZnNote *)field->getContainer();
    if (!note->usingMediaData()) {
        note->mediaData.setFileInfo(SbString(), 0, 0);
        note->mediaData.setDefault(TRUE);
        return;
    }
    if (out->getStage() == SoOutput::COUNT_REFS) {
        if (note->dataExternal)
            return;
        if (note->tempDataFileName.getLength() == 0)
            note->saveBeforeOverwrite(out);
        long size = fileSize(note->tempDataFileName.getString());
        if (size >= 0)
            note->padByteCount = (short)(size % 4 ? 4 - size % 4 : 0);
        return;
    }
    if (note->dataExternal) {
        SoSFDelayedData::writeEmptyValue(out);
        return;
    }
    note->writeInlineBlock(out);
}

// The media block to read: the temporary data file when asked for and
// there is one (raw bytes), else the field's source. 0 after an error
// dialog when that file cannot be opened.
int ZnNote::openMediaSource(GspMediaSource &m, int fromTempFile)
{
    using namespace GspBlockCopy;
    int raw = fromTempFile && tempDataFileName.getLength() > 0;
    m.name = raw ? tempDataFileName.getString() : mediaData.getFileName().getString();
    m.block.offset = raw ? 0 : mediaData.getFileOffset();
    m.block.size = raw ? fileSize(m.name) : mediaData.getDataSize();
    m.block.form = raw || mediaIsRaw ? RAW : mediaData.isBinary() ? WORDS : ASCII;
    m.block.pad = padByteCount.getValue();
    m.block.fd = raw ? -1 : mediaData.getFD();
    if (m.block.fd < 0 && m.block.size > 0) {
        m.block.fd = open(m.name, O_RDONLY | O_CLOEXEC);
        m.opened = m.block.fd >= 0;
    }
    return m.block.size >= 0 && (m.block.size == 0 || m.block.fd >= 0);
}

int ZnNote::measureMedia(double (*fromFile)(const char *),
                         double (*fromMemory)(const void *, size_t), double &seconds)
{
    const char *name = getDataFilename();
    if (!name && !mediaData.isBinary() && mediaData.getDataSize() > 0) {
        if (!checkFilename() || !copyDataToExternalFile(NULL))
            return 0;
        name = getDataFilename();
    }
    seconds = 0;
    if (name) {
        if (checkDataFile(FALSE))
            seconds = fromFile(name);
        return 1;
    }
    GspMediaSource m;
    if (!openMediaSource(m, 0) || m.block.fd < 0)
        return 1;
    long length = m.block.rawLength();
    size_t end = (size_t)m.block.offset + (size_t)length;
    void *map = length > 0 ? mmap(NULL, end, PROT_READ, MAP_SHARED, m.block.fd, 0) : MAP_FAILED;
    if (map == MAP_FAILED)
        return 1;
    seconds = fromMemory((const char *)map + m.block.offset, (size_t)length);
    if (seconds < 0)
        seconds = 0;  // in place, a movie that does not open counts as none
    munmap(map, end);
    return 1;
}

void ZnNote::writeInlineBlock(SoOutput *out)
{
    GspMediaSource m;
    if (!openMediaSource(m, 1)) {
        ZnCommon::displayError("cannotWriteNoteMsg", "tmpFileNotReadableMsg", NULL, m.name);
        // The field must still have a value, or the file does not read.
        SoSFDelayedData::writeEmptyValue(out);
        padByteCount = 0;
        return;
    }
    int ascii = m.block.form == GspBlockCopy::ASCII;
    switch (GspBlockCopy::toOutput(m.block, out, mediaData.isBodyChecked())) {
    case GspBlockCopy::DONE:
        mediaData.setBodyChecked(ascii);
        break;
    case GspBlockCopy::DAMAGED:
        // Copied as it stands to an ASCII file, so that nothing is lost.
        ZnCommon::displayError("cannotWriteNoteMsg", "damagedDataMsg", NULL, m.name);
        break;
    default:
        ZnCommon::displayError("cannotWriteNoteMsg");
        break;
    }
}
