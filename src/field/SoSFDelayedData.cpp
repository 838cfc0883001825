#include <Glosspin/SoSFDelayedData.h>

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/errors/SoReadError.h>

#include "field/BlockCopy.h"
#include "field/DelayedDataCodec.h"
#include "field/InputAccess.h"
#include "field/ReadLeftovers.h"
#include "field/ReadNumber.h"
#include "platform/FileReplacement.h"
#include "platform/TempFiles.h"
#include "platform/WriteAll.h"

using namespace GspDelayedCodec;

SO_SFIELD_REQUIRED_SOURCE(SoSFDelayedData);
SO_SFIELD_VALUE_SOURCE(SoSFDelayedData, long, const long &);

int SoSFDelayedData::supportDelayedReading = 0;
SoSFDelayedData::OpenFD SoSFDelayedData::openFDs[SoSFDelayedData::MAX_OPEN_FDS];
int SoSFDelayedData::numOpenFDs = 0;

namespace {

// Words handled per batch by the converters: large enough to keep the
// per-call overhead of the output small, small enough for the stack.
const long BATCH_WORDS = 6 * 1000;
const size_t COPY_BLOCK = 4096;

// Characters written to the output per call in ASCII conversion.
const size_t TEXT_CHUNK = 64 * 1024;

// The output's file, when it writes to one rather than to memory.
FILE *outputFile(SoOutput *out)
{
    void *buf;
    size_t size;
    return out->getBuffer(buf, size) ? NULL : out->getFilePointer();
}

// Writes size characters of text to an ASCII output in chunks.
void writeText(SoOutput *out, const char *text, size_t size)
{
    if (FILE *fp = outputFile(out)) {
        fwrite(text, 1, size, fp);
        return;
    }
    char buf[TEXT_CHUNK + 1];
    while (size > 0) {
        size_t n = size < TEXT_CHUNK ? size : TEXT_CHUNK;
        memcpy(buf, text, n);
        buf[n] = '\0';
        out->write(buf);
        text += n;
        size -= n;
    }
}

// Bytes left in a regular file after the current position, or -1 when
// that cannot be known (pipes).
long bytesLeft(FILE *fp)
{
    struct stat st;
    long pos = ftell(fp);
    if (pos < 0 || fstat(fileno(fp), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return (long)st.st_size - pos;
}

}

SoSFDelayedData::SoSFDelayedData()
    : isBinarySource(0), cachedInTempFile(0), writeCallback(NULL),
      fileIndex(-1), fileOffset(0), dataSize(0), bodyChecked(FALSE)
{
    value = 0;
}

SoSFDelayedData::~SoSFDelayedData()
{
    GspReadLeftovers::remove(this);
    releaseSlot();
    // A cache file nobody adopted is private to this field.
    if (cachedInTempFile && fileName.getLength() > 0)
        unlink(fileName.getString());
}

void SoSFDelayedData::initClass()
{
    if (classTypeId != SoType::badType())
        return;
    // Registered under the multiple-value unsigned-long name, whose file
    // form the block is; the type system then finds this class by it.
    classTypeId = SoType::createType(SoSField::getClassTypeId(), "MFULong",
                                     &SoSFDelayedData::createInstance, 0);
}

void SoSFDelayedData::setFileInfo(const SbString &name, int offset, int size)
{
    // A cache file nobody took over goes with the block it held.
    if (cachedInTempFile && fileName.getLength() > 0 && fileName != name)
        unlink(fileName.getString());
    cachedInTempFile = 0;
    fileName = name;
    fileOffset = offset;
    dataSize = size;
    isBinarySource = 1;
    bodyChecked = FALSE;
}

SbString SoSFDelayedData::takeCachedFile()
{
    SbString name;
    if (cachedInTempFile) {
        GspReadLeftovers::remove(this);
        name = fileName;
        cachedInTempFile = 0;
        fileName = "";
        fileOffset = 0;
        dataSize = 0;
    }
    return name;
}

int SoSFDelayedData::getFD() const
{
    return fileIndex >= 0 ? openFDs[fileIndex].fd : -1;
}

int SoSFDelayedData::getInode() const
{
    return fileIndex >= 0 ? openFDs[fileIndex].inode : 0;
}

void SoSFDelayedData::clearFileIndex()
{
    releaseSlot();
}

// What reading made for an abandoned field: its cache file and its slot.
void SoSFDelayedData::releaseReadData(void *field)
{
    SoSFDelayedData *self = (SoSFDelayedData *)field;
    self->releaseSlot();
    if (self->cachedInTempFile && self->fileName.getLength() > 0)
        unlink(self->fileName.getString());
    self->cachedInTempFile = 0;
    self->fileName = "";
    self->fileOffset = 0;
    self->dataSize = 0;
}

void SoSFDelayedData::releaseSlot()
{
    if (fileIndex < 0)
        return;
    OpenFD &e = openFDs[fileIndex];
    if (--e.refCount <= 0) {
        if (e.fd >= 0)
            close(e.fd);
        e.refCount = 0;
        e.inode = 0;
        e.fd = -1;
    }
    fileIndex = -1;
}

// Shares or takes a table entry for the file being read. Returns 0 when
// the block cannot be delayed; it is then cached instead.
int SoSFDelayedData::takeFileSlot(SoInput *in, int fd, int inode)
{
    int slot = -1;
    for (int i = 0; i < numOpenFDs; i++) {
        if (openFDs[i].inode == inode) {
            openFDs[i].refCount++;
            fileIndex = i;
            return 1;
        }
        if (openFDs[i].inode == 0 && slot < 0)
            slot = i;
    }
    if (slot < 0) {
        if (numOpenFDs >= MAX_OPEN_FDS) {
            SoReadError::post(in, "Cannot keep open fd for delayed data from %s",
                              fileName.getString());
            return 0;
        }
        slot = numOpenFDs++;
        openFDs[slot].inode = 0;
        openFDs[slot].fd = -1;
    }
    int kept = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (kept < 0) {
        fileIndex = -1;
        SoReadError::post(in, "Cannot dup file descriptor for delayed data from %s",
                          fileName.getString());
        return 0;
    }
    openFDs[slot].fd = kept;
    openFDs[slot].inode = inode;
    openFDs[slot].refCount = 1;
    fileIndex = slot;
    return 1;
}

// Reads the size part of the value and leaves the input at the first
// data character. Returns 0 after posting a read error.
int SoSFDelayedData::readHeader(SoInput *in, int canDelay)
{
    FILE *fp = in->getCurFile();
    if (in->isBinary()) {
        isBinarySource = 1;
        int count;
        if (!in->read(count)) {
            SoReadError::post(in, "Couldn't read dataSize of field");
            return 0;
        }
        if (count < 0 || count > INT_MAX / 4) {
            SoReadError::post(in, "Invalid word count %d in delayed-read data", count);
            return 0;
        }
        dataSize = 4 * count;
        if (canDelay && supportDelayedReading)
            fileOffset = (int)ftell(fp);
        return 1;
    }

    isBinarySource = 0;
    char c;
    if (!in->read(c)) {
        SoReadError::post(in, "Couldn't read dataSize of field");
        return 0;
    }
    if (c != '[') {
        // A single number: an empty block.
        in->putBack(c);
        int number;
        if (!gspReadNumber(in, number)) {
            SoReadError::post(in, "Couldn't read dataSize of field");
            return 0;
        }
        dataSize = 0;
        return 1;
    }
    if (!in->read(c)) {
        SoReadError::post(in, "Couldn't read dataSize of field");
        return 0;
    }
    if (c == ']') {
        dataSize = 0;
        return 1;
    }
    in->putBack(c);
    int size;
    if (!gspReadNumber(in, size) || !in->read(c)) {
        SoReadError::post(in, "Couldn't read dataSize of field");
        return 0;
    }
    if (c == ',') {
        char next;
        if (!in->read(next)) {
            SoReadError::post(in, "Couldn't read dataSize of field");
            return 0;
        }
        if (next == ']') {
            // Only the header: nothing follows it.
            dataSize = 0;
            return 1;
        }
        in->putBack(next);
    } else if (c != ']') {
        SoReadError::post(in, "Expected '%c' or '%c' but got '%c' while reading dataSize",
                          ',', ']', c);
        return 0;
    } else {
        dataSize = 0;
        return 1;
    }
    AsciiLayout layout;
    if (!layout.fromHeader(size)) {
        SoReadError::post(in, "Invalid dataSize %d in delayed-read data", size);
        return 0;
    }
    dataSize = size;
    if (canDelay && fp)
        fileOffset = (int)ftell(fp);
    return 1;
}

// Moves the input past the block, leaving it to be read later through
// the kept-open descriptor.
int SoSFDelayedData::skipBlock(SoInput *in)
{
    FILE *fp = in->getCurFile();
    long left = bytesLeft(fp);
    if (isBinarySource) {
        if (left < dataSize || fseek(fp, dataSize, SEEK_CUR) != 0) {
            SoReadError::post(in, "Error reading delayed-read data");
            return 0;
        }
        return 1;
    }
    // A seek over the body to its closing " ]", whatever its size: the
    // words are checked where they are first used (a decode, copy or
    // save), which then fails with a message and changes nothing.
    AsciiLayout layout;
    if (!layout.fromHeader(dataSize))
        return finishAsciiScan(in, SCAN_MALFORMED);
    if (left >= 0 && left < dataSize - 1)
        return finishAsciiScan(in, SCAN_SHORT);
    char end[2];
    if (fseek(fp, dataSize - 3, SEEK_CUR) != 0 || fread(end, 1, 2, fp) != 2)
        return finishAsciiScan(in, SCAN_SHORT);
    return finishAsciiScan(in, end[0] == ' ' && end[1] == ']' ? SCAN_OK : SCAN_MALFORMED);
}

// Posts the read error for a failed scan and counts the body's lines.
int SoSFDelayedData::finishAsciiScan(SoInput *in, int result)
{
    switch (result) {
    case SCAN_OK: {
        AsciiLayout layout;
        layout.fromHeader(dataSize);
        GspInputAccess::addLines(in, (int)layout.lines);
        return 1;
    }
    case SCAN_SHORT:
        SoReadError::post(in, "Error reading delayed-read data");
        return 0;
    case SCAN_SINK_FAILED:
        SoReadError::post(in, "Error writing temporary cache for delayed-read data");
        return 0;
    default:
        SoReadError::post(in, "Malformed delayed-read data: expected %d hex words ending with ']'",
                          dataSize);
        return 0;
    }
}

// Copies the block into a private cache file as raw bytes: binary words
// as they stand, ASCII words decoded. Sizes the file claims are never
// allocated; the copy goes in fixed blocks and stops at the end of input.
int SoSFDelayedData::cacheBlock(SoInput *in)
{
    FILE *fp = in->getCurFile();
    if (!fp) {
        SoReadError::post(in, "Can't read delayed-read data from non-file input");
        return 0;
    }
    std::string prefix = GspTempFiles::systemTempDir() + "/_gsp_" +
                         std::to_string((long)getpid()) + "_";
    std::string name;
    int out = GspTempFiles::createUnique(prefix, "", name);
    if (out < 0) {
        SoReadError::post(in, "Can't open temporary file to cache delayed-read data in");
        return 0;
    }

    int ok;
    {
        GspFileSizeSignalHold hold;  // a size limit fails the read
        ok = isBinarySource ? copyBinaryBlock(in, fp, out) : decodeAsciiBlock(in, fp, out);
    }
    if (close(out) != 0 && ok) {
        SoReadError::post(in, "Error writing temporary cache for delayed-read data");
        ok = 0;
    }
    if (!ok) {
        unlink(name.c_str());
        return 0;
    }
    fileName = name.c_str();
    cachedInTempFile = 1;
    isBinarySource = 1;
    return 1;
}

int SoSFDelayedData::copyBinaryBlock(SoInput *in, FILE *fp, int out)
{
    long left = bytesLeft(fp);
    if (left >= 0 && left < dataSize) {
        SoReadError::post(in, "Error reading delayed-read data");
        return 0;
    }
    char buf[COPY_BLOCK];
    long remaining = dataSize;
    while (remaining > 0) {
        size_t want = remaining < (long)COPY_BLOCK ? (size_t)remaining : COPY_BLOCK;
        if (fread(buf, 1, want, fp) != want) {
            SoReadError::post(in, "Error reading delayed-read data");
            return 0;
        }
        if (!gspWriteAll(out, buf, want)) {
            SoReadError::post(in, "Error writing temporary cache for delayed-read data");
            return 0;
        }
        remaining -= (long)want;
    }
    return 1;
}

namespace {

// Writes decoded words to a cache file as raw bytes.
class RawFileSink : public WordSink {
  public:
    explicit RawFileSink(int fd) : fd(fd), bytes(0) {}
    bool put(const uint32_t *words, size_t count) override
    {
        unsigned char buf[4 * 512 * WORDS_PER_LINE];
        for (size_t i = 0; i < count; i++)
            storeBE32(buf + 4 * i, words[i]);
        bytes += (long)(4 * count);
        return gspWriteAll(fd, buf, 4 * count);
    }
    int fd;
    long bytes;
};

}

// Decodes the hex words into raw bytes; dataSize becomes their number.
int SoSFDelayedData::decodeAsciiBlock(SoInput *in, FILE *fp, int out)
{
    RawFileSink sink(out);
    if (!finishAsciiScan(in, scanAsciiBody(fp, dataSize, &sink)))
        return 0;
    dataSize = (int)sink.bytes;
    return 1;
}

SbBool SoSFDelayedData::readValue(SoInput *in)
{
    return readBlock(in);
}

SbBool SoSFDelayedData::readBlock(SoInput *in)
{
    releaseSlot();
    if (cachedInTempFile && fileName.getLength() > 0)
        unlink(fileName.getString());
    cachedInTempFile = 0;
    fileOffset = 0;
    dataSize = 0;
    bodyChecked = FALSE;

    FILE *fp = in->getCurFile();
    int canDelay = 1;
    struct stat st;
    if (!fp) {
        fileName = "";
        canDelay = 0;
    } else {
        const char *name = in->getCurFileName();
        fileName = name ? name : "";
        if (fileName.getLength() == 0 || fstat(fileno(fp), &st) != 0 ||
            !S_ISREG(st.st_mode))
            canDelay = 0;
    }
    if (supportDelayedReading && canDelay && !takeFileSlot(in, fileno(fp), (int)st.st_ino))
        canDelay = 0;

    int ok = readHeader(in, canDelay);
    if (ok && dataSize > 0) {
        if (supportDelayedReading && canDelay) {
            ok = skipBlock(in);
        } else {
            fileOffset = 0;
            ok = cacheBlock(in);
        }
    }
    if (!ok) {
        dataSize = 0;
        fileOffset = 0;
        releaseSlot();
        return FALSE;
    }
    if (dataSize == 0) {
        // Nothing to fetch later: the file need not stay open.
        releaseSlot();
        fileOffset = 0;
    }
    if (fileIndex >= 0 || cachedInTempFile)
        GspReadLeftovers::add(getContainer(), this, releaseReadData);
    return TRUE;
}

void SoSFDelayedData::writeValue(SoOutput *out) const
{
    if (writeCallback)
        (*writeCallback)(this, out);
    else
        writeOwnBlock(out);
}

// A field without an owner to write it (one of a node the reader did not
// know) copies its block as it was read, or writes an empty one, so that
// the file still reads.
void SoSFDelayedData::writeOwnBlock(SoOutput *out) const
{
    GspBlockCopy::Source src;
    src.fd = getFD();
    src.offset = fileOffset;
    src.size = dataSize;
    src.form = isBinarySource ? GspBlockCopy::WORDS : GspBlockCopy::ASCII;
    src.pad = 0;
    int opened = src.fd < 0 && dataSize > 0 && fileName.getLength() > 0;
    if (opened)
        src.fd = open(fileName.getString(), O_RDONLY | O_CLOEXEC);
    if (dataSize <= 0 || src.fd < 0)
        writeEmptyValue(out);
    else
        GspBlockCopy::toOutput(src, out, bodyChecked);
    if (opened && src.fd >= 0)
        close(src.fd);
}

void SoSFDelayedData::writeEmptyValue(SoOutput *out)
{
    if (out->isBinary()) {
        out->write((int)1);
        out->write((int)0);
    } else
        out->write("0");
}

void SoSFDelayedData::write(SoOutput *out, const SbName &name) const
{
    if (out->getStage() == SoOutput::COUNT_REFS && writeCallback)
        (*writeCallback)(this, out);
    SoSField::write(out, name);
}

int SoSFDelayedData::writeArrayInChunks(SoOutput *out, const uint32_t *words,
                                        long count) const
{
    int32_t *p = (int32_t *)const_cast<uint32_t *>(words);
    while (count > 1000) {
        out->writeBinaryArray(p, 1000);
        p += 1000;
        count -= 1000;
    }
    if (count > 0)
        out->writeBinaryArray(p, (int)count);
    return 1;
}

int SoSFDelayedData::writeLongStripPadding(int fd, uint32_t word, short padCount) const
{
    if (padCount >= 4)
        return 1;
    unsigned char b[4];
    storeBE32(b, word);
    return gspWriteAll(fd, b, (size_t)(4 - (padCount < 0 ? 0 : padCount)));
}

int SoSFDelayedData::writeBinaryToAscii(const char *data, SoOutput *out, long size) const
{
    const unsigned char *src = (const unsigned char *)data;
    long whole = size / 4;
    int rest = (int)(size % 4);
    char head[32];
    char *p = head;
    *p++ = '[';
    *p++ = ' ';
    p = formatWord(p, (uint32_t)asciiHeaderNumber(size));
    *p++ = '\n';
    *p = '\0';
    out->write(head);

    // A batch is whole lines, so that line breaks fall where they would
    // if the words were written one by one.
    char buf[(LINE_CHARS * (BATCH_WORDS / WORDS_PER_LINE)) + ENCODE_SLACK];
    int column = 0;
    for (long done = 0; done < whole;) {
        long n = whole - done < BATCH_WORDS ? whole - done : BATCH_WORDS;
        char *q = encodeWords(src + 4 * done, n, column, buf);
        writeText(out, buf, (size_t)(q - buf));
        done += n;
    }
    p = head;
    if (rest > 0)
        p = formatWord(p, paddedWord(src + 4 * whole, rest));
    *p++ = ' ';
    *p++ = ']';
    *p = '\0';
    out->write(head);
    return 1;
}

int SoSFDelayedData::writeAsciiToAscii(const char *text, SoOutput *out, long size) const
{
    char head[32];
    char *p = head;
    *p++ = '[';
    *p++ = ' ';
    p = formatWord(p, (uint32_t)size);
    *p++ = '\n';
    *p = '\0';
    out->write(head);
    // The stored body runs through the closing bracket and the newline
    // after it; the writer supplies its own newline, so copy up to the
    // bracket.
    if (size > 1)
        writeText(out, text, (size_t)(size - 1));
    return 1;
}

int SoSFDelayedData::writeAsciiToBinary(const char *text, SoOutput *out, int fd,
                                        long size, short padCount) const
{
    if (size < 3)
        return 0;
    long hex = size - 3;
    long lines = hex / LINE_CHARS;
    long extra = (hex % LINE_CHARS) / WORD_CHARS;
    long total = lines * WORDS_PER_LINE + extra;
    if (out)
        out->write((int)total);

    // Raw extraction leaves out the last word's fill bytes.
    long keep = 4 * total - (!out && padCount > 0 && padCount < 4 ? padCount : 0);
    long written = 0;
    FILE *fp = out ? outputFile(out) : NULL;
    std::vector<unsigned char> bytes((size_t)BATCH_WORDS * 4);
    auto emit = [&](long n) {
        if (n > keep - written)
            n = keep - written;
        written += n;
        if (n <= 0)
            return true;
        if (!out)
            return gspWriteAll(fd, bytes.data(), (size_t)n);
        if (fp)
            return fwrite(bytes.data(), 1, (size_t)n, fp) == (size_t)n;
        out->writeBinaryArray(bytes.data(), (int)n);
        return true;
    };
    const long batchLines = BATCH_WORDS / WORDS_PER_LINE;
    for (long done = 0; done < lines;) {
        long n = lines - done < batchLines ? lines - done : batchLines;
        if (!decodeLines(text + done * LINE_CHARS, n, bytes.data()) ||
            !emit(n * WORDS_PER_LINE * 4))
            return 0;
        done += n;
    }
    return decodeWords(text + lines * LINE_CHARS, extra, bytes.data()) && emit(extra * 4);
}

int SoSFDelayedData::writeBinaryToBinary(const char *data, SoOutput *out, int fd,
                                         long size) const
{
    if (!out)
        return gspWriteAll(fd, data, (size_t)size);
    const unsigned char *src = (const unsigned char *)data;
    long whole = size / 4;
    int rest = (int)(size % 4);
    out->write((int)(whole + (rest > 0 ? 1 : 0)));
    uint32_t words[BATCH_WORDS];
    for (long done = 0; done < whole;) {
        long n = whole - done < BATCH_WORDS ? whole - done : BATCH_WORDS;
        for (long i = 0; i < n; i++)
            words[i] = loadBE32(src + 4 * (done + i));
        writeArrayInChunks(out, words, n);
        done += n;
    }
    if (rest > 0)
        out->write((int)paddedWord(src + 4 * whole, rest));
    return 1;
}
