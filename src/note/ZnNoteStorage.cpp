// Where a note's media bytes live: names of external and temporary data
// files, the moves between inline and external data, copies, and the
// clean-up of cache files left behind by other processes.
#include <Glosspin/ZnNote.h>

#include <Glosspin/ZnCommon.h>
#include <X11/Intrinsic.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "field/DelayedDataCodec.h"
#include "note/MediaSource.h"
#include "platform/FileCopy.h"
#include "platform/FileReplacement.h"
#include "platform/ProcessWatcher.h"
#include "platform/TempFiles.h"
#include "platform/WriteAll.h"

const char *const ZnNote::NOTE_BASE = "gsp_note";
static const char *const CACHE_PREFIX = "_gsp_";

static int isDirectory(const char *path)
{
    struct stat st;
    return path && *path && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

static std::string withoutTrailingSlash(std::string s)
{
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

int ZnNote::buildUniqueFilename(const char *dir, const char *base, const char *suffix,
                                char *out)
{
    if (!suffix)
        suffix = "";
    struct stat st;
    for (int n = 0; n < INT_MAX; n++) {
        int len = dir && *dir ? snprintf(out, PATH_MAX, "%s/%s%d%s", dir, base, n, suffix)
                              : snprintf(out, PATH_MAX, "%s%d%s", base, n, suffix);
        if (len >= PATH_MAX)
            return 0;
        if (lstat(out, &st) != 0)
            return errno == ENOENT;
    }
    return 0;
}

int ZnNote::claimUniqueFilename(const char *dir, const char *base, const char *suffix,
                                char *out)
{
    // Temporary files are private; prefixed files are the user's.
    int mode = strcmp(base, NOTE_BASE) == 0 ? 0600 : 0666;
    for (int attempt = 0; attempt < 100; attempt++) {
        if (!buildUniqueFilename(dir, base, suffix, out))
            return 0;
        int fd = GspTempFiles::createExclusive(out, mode);
        if (fd >= 0) {
            close(fd);
            return 1;
        }
        if (errno != EEXIST && errno != ELOOP)
            return 0;
    }
    return 0;
}

const char *ZnNote::getTempDirName()
{
    if (tmpDirName.getLength() > 0)
        return tmpDirName.getString();
    const char *env = getenv("TMPDIR");
    std::string dir;
    if (isDirectory(env))
        dir = withoutTrailingSlash(env);
    else if (isDirectory("/var/tmp/"))
        dir = "/var/tmp";
    else
        dir = "/tmp";
    tmpDirName = dir.c_str();
    return tmpDirName.getString();
}

void ZnNote::setExternalFilePrefix(const char *prefix)
{
    externalFilePrefix = prefix ? prefix : "";
    if (externalFilePrefix.getLength() > 0)
        externalFilePrefix += ".";
}

const char *ZnNote::getExternalFilePrefix()
{
    return externalFilePrefix.getLength() > 0 ? externalFilePrefix.getString() : NULL;
}

int ZnNote::buildTempName(SbString &name)
{
    char buf[PATH_MAX];
    if (!claimUniqueFilename(getTempDirName(), NOTE_BASE, getFileSuffix(), buf))
        return 0;
    name = buf;
    return 1;
}

const char *ZnNote::getDataFilename() const
{
    if (filename.getValue().getLength() > 0)
        return filename.getValue().getString();
    if (tempDataFileName.getLength() > 0)
        return tempDataFileName.getString();
    return NULL;
}

std::string ZnNote::dataFilename() const
{
    const char *name = getDataFilename();
    return name ? name : "";
}

void ZnNote::makeNameRelative(SbString &result, const char *name)
{
    if (dataFileIsTemp || !name)
        return;
    const char *slash = strrchr(name, '/');
    std::string dir = slash ? std::string(name, slash - name) : std::string();
    std::string base = slash ? slash + 1 : name;
    if (slash && dir.empty())
        dir = "/";
    char cwd[PATH_MAX], canon[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd) || !realpath(dir.empty() ? "." : dir.c_str(), canon)) {
        result = "";
        return;
    }
    std::string full = canon;
    if (full != "/")
        full += "/";
    full += base;
    size_t n = strlen(cwd);
    if (strncmp(full.c_str(), cwd, n) == 0 && (full[n] == '/' || n == 1))
        full = full.substr(n == 1 ? 1 : n + 1);
    result = full.c_str();
}

void ZnNote::makeNameFullPath(SbString &result, const char *dir)
{
    const char *name = getDataFilename();
    if (!name)
        result = "";
    else if (name[0] != '/') {
        result = dir;
        result += "/";
        result += name;
    } else
        result = name;
}

// filename = the relative form of name, or name itself.
static void setRelative(ZnNote *note, const char *name)
{
    SbString rel;
    note->makeNameRelative(rel, name);
    note->filename = rel.getLength() > 0 ? rel : SbString(name);
}

void ZnNote::setDataFilename(const char *name, int ownFile)
{
    dataFileIsTemp = 0;
    if (dataExternal) {
        setRelative(this, name);
        tempDataFileName = "";
    } else {
        tempDataFileName = name;
        if (usingMediaData())
            mediaData.setDefault(FALSE);
    }
    if (!ownFile)
        deleteDataFileOnDestroy = 0;
}

void ZnNote::setDataExternal(int external)
{
    if ((external != 0) == (dataExternal != 0))
        return;
    dataExternal = external != 0;
    if (dataExternal) {
        tempDataFileName = "";
        mediaData.setFileInfo(SbString(), 0, 0);
        mediaData.setDefault(TRUE);
        mediaData.clearFileIndex();
    } else {
        tempDataFileName = filename.getValue();
        filename = "";
        filename.setDefault(TRUE);
        if (usingMediaData())
            mediaData.setDefault(FALSE);
    }
}

int ZnNote::makeDataInline()
{
    setDataExternal(0);
    return 1;
}

int ZnNote::checkFilename()
{
    char buf[PATH_MAX];
    if (dataExternal) {
        if (filename.getValue().getLength() > 0)
            return 1;
        const char *prefix = getExternalFilePrefix();
        int ok = prefix ? claimUniqueFilename("", prefix, getFileSuffix(), buf)
                        : claimUniqueFilename(getTempDirName(), NOTE_BASE, getFileSuffix(), buf);
        if (!ok) {
            ZnCommon::displayError("cannotCreateNoteMsg");
            return 0;
        }
        dataFileIsTemp = prefix ? 0 : 1;
        setRelative(this, buf);
        return 1;
    }
    if (tempDataFileName.getLength() > 0 && (!wasImported.getValue() || dataFileIsTemp))
        return 1;
    if (!claimUniqueFilename(getTempDirName(), NOTE_BASE, getFileSuffix(), buf)) {
        ZnCommon::displayError("cannotCreateTempNoteMsg");
        return 0;
    }
    dataFileIsTemp = 1;
    tempDataFileName = buf;
    deleteDataFileOnDestroy = 1;
    return 1;
}

int ZnNote::checkDataFile(int report)
{
    const char *name = getDataFilename();
    if (name && access(name, R_OK) == 0)
        return 1;
    if (report)
        ZnCommon::displayError("cannotOpenNoteMsg", "fileNotReadableMsg", NULL, name ? name : "");
    return 0;
}

int ZnNote::isSameFile()
{
    const char *name = getDataFilename();
    const SbString &src = mediaData.getFileName();
    return src.getLength() > 0 && gspSameFile(name, src.getString());
}

int ZnNote::makeCopyOfNoteDataFile(const char *from, const char *to)
{
    int in = open(from, O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (in < 0 || fstat(in, &st) != 0) {
        if (in >= 0)
            close(in);
        ZnCommon::displayError("cannotOpenForCopyingMsg", "fileNotReadableMsg", NULL, from);
        return 0;
    }
    GspFileReplacement out(to);
    if (out.descriptor() < 0) {
        close(in);
        ZnCommon::displayError("cannotCreateTempFileMsg", "fileNotWriteableMsg", NULL, to);
        return 0;
    }
    int ok = gspCopyRange(in, 0, out.descriptor(), (size_t)st.st_size) && out.commit();
    close(in);
    if (!ok)
        ZnCommon::displayError("cannotWriteNoteMsg", "fileNotWriteableMsg", NULL, to);
    return ok;
}

int ZnNote::copyDataToExternalFile(int *sameFile)
{
    if (!supportsExternalData || !usingMediaData())
        return 0;
    if (sameFile) {
        *sameFile = isSameFile();
        if (*sameFile)
            return 0;
    }
    const char *dest = getDataFilename();
    if (!dest)
        return 0;
    SbString target = dest;  // the name may go below
    if (extractBlockTo(target.getString()))
        return 1;
    // A temporary data file holds the data only when it is complete: the
    // note goes on reading its block.
    if (!dataExternal && target == tempDataFileName) {
        unlink(target.getString());
        tempDataFileName = "";
    }
    return 0;
}

// Writes mediaData's bytes, raw, to a file that is replaced only once it
// holds them all; 0 after an error dialog.
int ZnNote::extractBlockTo(const char *target)
{
    GspMediaSource m;
    if (!openMediaSource(m, 0)) {
        ZnCommon::displayError("cannotOpenForExtractMsg", "fileNotReadableMsg", NULL, m.name);
        return 0;
    }
    GspFileReplacement out(target);
    if (out.descriptor() < 0) {
        ZnCommon::displayError("cannotCreateTempFileMsg", "fileNotWriteableMsg", NULL, target);
        return 0;
    }
    GspBlockCopy::Result r = m.block.size > 0 ? GspBlockCopy::toRawFile(m.block, out.descriptor())
                                              : GspBlockCopy::DONE;
    if (r == GspBlockCopy::DONE && !out.commit())
        r = GspBlockCopy::WRITE_FAILED;
    if (r == GspBlockCopy::DONE) {
        mediaData.setBodyChecked(m.block.form == GspBlockCopy::ASCII);
        return 1;
    }
    if (r == GspBlockCopy::DAMAGED)
        ZnCommon::displayError("cannotOpenForExtractMsg", "damagedDataMsg", NULL, m.name);
    else if (r == GspBlockCopy::READ_FAILED)
        ZnCommon::displayError("cannotOpenForExtractMsg", "fileNotReadableMsg", NULL, m.name);
    else
        ZnCommon::displayError("cannotWriteNoteMsg", "fileNotWriteableMsg", NULL, target);
    return 0;
}

int ZnNote::makeDataExternal(const char *name, int ownFile)
{
    if (!supportsExternalData)
        return 0;
    int hadTemp = tempDataFileName.getLength() > 0;
    const char *prefix = getExternalFilePrefix();
    char buf[PATH_MAX];
    SbString target;
    int claimed = 0;
    if (name) {
        target = name;
        dataFileIsTemp = 0;
    } else if (prefix) {
        if (!deleteDataFileOnDestroy && hadTemp)
            target = tempDataFileName;
        else {
            if (!claimUniqueFilename("", prefix, getFileSuffix(), buf))
                return 0;
            target = buf;
            claimed = 1;
            dataFileIsTemp = 0;
        }
    } else if (hadTemp)
        target = tempDataFileName;
    else {
        if (!claimUniqueFilename(getTempDirName(), NOTE_BASE, getFileSuffix(), buf))
            return 0;
        target = buf;
        claimed = 1;
        dataFileIsTemp = 1;
    }

    // A failure leaves the note as it was; copies replace the target only
    // when whole, so only a name claimed here has to go.
    SbString oldName = filename.getValue();
    int oldIsTemp = dataFileIsTemp;
    int moved;
    if (!dataExternal && !hadTemp) {
        // The bytes are only in mediaData: extract them.
        setRelative(this, target.getString());
        int same = 0;
        moved = copyDataToExternalFile(&same) || same;
    } else
        moved = moveDataFile(target, hadTemp);
    if (!moved) {
        if (claimed)
            unlink(target.getString());
        filename = oldName;
        dataFileIsTemp = oldIsTemp;
        return 0;
    }

    setDataExternal(1);
    if (name) {
        wasImported = FALSE;
        deleteDataFileOnDestroy = ownFile;
    }
    return 1;
}

// The data is in a file already: rename it to target, or copy it when it
// is the user's own file or lies on another file system.
int ZnNote::moveDataFile(const SbString &target, int hadTemp)
{
    SbString old = getDataFilename();
    if (hadTemp && usingMediaData())
        pointMediaDataAt(tempDataFileName.getString());
    setRelative(this, target.getString());
    if (old == filename.getValue())
        return 1;
    int sameInode = gspSameFile(old.getString(), target.getString());
    if (!deleteDataFileOnDestroy && wasImported.getValue()) {
        pointMediaDataAt(old.getString());
        return copyDataToExternalFile(NULL) || sameInode;
    }
    if (rename(old.getString(), target.getString()) == 0)
        return 1;
    int err = errno;
    if (err == EXDEV) {
        if (copyDataToExternalFile(NULL)) {
            unlink(old.getString());
            return 1;
        }
        return sameInode;
    }
    ZnCommon::displayError(err == ENOENT ? "cannotRenameNoteMsg" : "renamingErrorMsg",
                           err == ENOENT ? "fileNonexistentMsg" : "renamingErrorMsgPart2", NULL,
                           old.getString());
    filename = old;
    return 0;
}

long ZnNote::getMediaByteCount() const
{
    struct stat st;
    const char *name = getDataFilename();
    if (name)
        return stat(name, &st) == 0 ? (long)st.st_size : -1;
    long size = mediaData.getDataSize();
    if (size <= 0)
        return 0;
    if (!mediaData.isBinary()) {
        // Hex words, six to a line, between the header and the bracket.
        using namespace GspDelayedCodec;
        long hex = size < 3 ? 0 : size - 3;
        size = 4 * ((hex / LINE_CHARS) * WORDS_PER_LINE + (hex % LINE_CHARS) / WORD_CHARS);
    }
    if (!mediaIsRaw)
        size -= padByteCount.getValue();
    return size < 0 ? 0 : size;
}

int ZnNote::extractDataTo(const char *path)
{
    if (dataExternal || tempDataFileName.getLength() > 0)
        return makeCopyOfNoteDataFile(getDataFilename(), path);
    return usingMediaData() && extractBlockTo(path);
}

int ZnNote::estimateDiskSpaceRequired(int binary)
{
    long size = 0;
    struct stat st;
    if (dataExternal)
        size = filename.getValue().getLength();
    else if (usingMediaData()) {
        if (tempDataFileName.getLength() > 0 && stat(tempDataFileName.getString(), &st) == 0)
            size = (long)st.st_size;
        else
            size = mediaData.getDataSize();
    }
    return binary ? (int)(size + 200) : (int)(11 * ((size + 3) / 4) + 300);
}

int ZnNote::cleanUpWorkProcTest(const struct dirent *entry)
{
    return strncmp(entry->d_name, CACHE_PREFIX, 5) == 0;
}

char ZnNote::cleanUpWorkProc(void *)
{
    std::string dir = GspTempFiles::systemTempDir();
    struct dirent **list = NULL;
    int n = scandir(dir.c_str(), &list, cleanUpWorkProcTest, NULL);
    uid_t me = getuid();
    for (int i = 0; i < n; i++) {
        int pid;
        if (sscanf(list[i]->d_name, "_gsp_%d", &pid) == 1 && pid > 0) {
            std::string path = dir + "/" + list[i]->d_name;
            struct stat st;
            if (!GspWatcher::processExists(pid) && lstat(path.c_str(), &st) == 0 &&
                S_ISREG(st.st_mode) && st.st_uid == me)
                unlink(path.c_str());
        }
        free(list[i]);
    }
    free(list);
    cleanUpWorkProcId = 0;  // returning True removes the work procedure
    return True;
}
