#include "field/BlockCopy.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include <Inventor/SoOutput.h>

#include "field/DelayedDataCodec.h"
#include "platform/FileCopy.h"
#include "platform/WriteAll.h"

using namespace GspDelayedCodec;

namespace GspBlockCopy {

long Source::rawLength() const
{
    long n = size;
    if (form == ASCII) {
        AsciiLayout layout;
        n = layout.fromHeader(size) ? 4 * layout.words() : 0;
    }
    if (form != RAW)
        n -= pad;
    return n < 0 ? 0 : n;
}

namespace {

// Whole lines per pass, so that no word straddles two reads.
const long PASS_LINES = 16384;
const long PASS_WORDS = PASS_LINES * WORDS_PER_LINE;

// Where converted bytes go: a scene output (straight to its file when it
// has one), a raw descriptor, or nowhere (a check).
class Sink {
  public:
    Sink(SoOutput *out, int fd) : out(out), fp(NULL), fd(fd)
    {
        void *buf;
        size_t size;
        if (out && !out->getBuffer(buf, size))
            fp = out->getFilePointer();
    }
    // n bytes at p; p must have room for one more (a terminator).
    bool put(char *p, size_t n)
    {
        if (n == 0)
            return true;
        if (fp)
            return fwrite(p, 1, n, fp) == n;
        if (!out)
            return fd < 0 || gspWriteAll(fd, p, n);
        if (out->isBinary())
            out->writeBinaryArray((unsigned char *)p, (int)n);
        else {
            p[n] = '\0';
            out->write(p);
        }
        return true;
    }
    // A binary word, most significant byte first.
    bool putWord(uint32_t w)
    {
        if (out && !fp) {
            out->write((int)w);
            return true;
        }
        char b[5];
        storeBE32((unsigned char *)b, w);
        return put(b, 4);
    }
    // n bytes of in from offset, by the kernel when both ends are files.
    bool copyFrom(int in, off_t offset, size_t n)
    {
        int to = fd;
        if (fp) {
            if (fflush(fp) != 0)
                return false;
            to = fileno(fp);
        }
        if (to >= 0) {
            bool ok = gspCopyRange(in, offset, to, n);
            // The stream goes on where the copy ended.
            off_t at = fp ? lseek(to, 0, SEEK_CUR) : -1;
            if (fp && at >= 0)
                fseeko(fp, at, SEEK_SET);
            return ok;
        }
        std::vector<char> buf(((size_t)1 << 20) + 1);
        while (n > 0) {
            size_t want = n < buf.size() - 1 ? n : buf.size() - 1;
            ssize_t got = pread(in, buf.data(), want, offset);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0 || !put(buf.data(), (size_t)got))
                return false;
            offset += got;
            n -= (size_t)got;
        }
        return true;
    }

  private:
    SoOutput *out;
    FILE *fp;
    int fd;
};

bool readAt(int fd, char *buf, size_t n, off_t offset)
{
    while (n > 0) {
        ssize_t got = pread(fd, buf, n, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buf += got;
        n -= (size_t)got;
        offset += got;
    }
    return true;
}

// The file holds the whole block; an empty block needs no file.
bool covers(const Source &s, long bytes)
{
    struct stat st;
    return bytes <= 0 || (fstat(s.fd, &st) == 0 && st.st_size >= s.offset + bytes);
}

// "[ 0x%08x,\n" with the header number h.
bool putHead(Sink &sink, long h)
{
    char head[WORD_CHARS + 5] = "[ ";
    char *p = formatWord(head + 2, (uint32_t)h);
    *p++ = '\n';
    return sink.put(head, (size_t)(p - head));
}

// Raw bytes or binary words to ASCII: the words six to a line, the last
// one filled, and " ]".
Result bytesToAscii(const Source &s, Sink &sink)
{
    long length = s.rawLength();
    if (!covers(s, length))
        return READ_FAILED;
    if (!putHead(sink, asciiHeaderNumber(length)))
        return WRITE_FAILED;
    long whole = length / 4;
    std::vector<char> bytes((size_t)PASS_WORDS * 4);
    std::vector<char> text((size_t)PASS_LINES * LINE_CHARS + WORD_CHARS + ENCODE_SLACK);
    int column = 0;
    for (long done = 0; done < whole;) {
        long n = whole - done < PASS_WORDS ? whole - done : PASS_WORDS;
        if (!readAt(s.fd, bytes.data(), (size_t)n * 4, s.offset + 4 * done))
            return READ_FAILED;
        char *end = encodeWords((const unsigned char *)bytes.data(), n, column, text.data());
        if (!sink.put(text.data(), (size_t)(end - text.data())))
            return WRITE_FAILED;
        done += n;
    }
    char *p = text.data();
    int rest = (int)(length % 4);
    if (rest > 0) {
        unsigned char last[4];
        if (!readAt(s.fd, (char *)last, (size_t)rest, s.offset + 4 * whole))
            return READ_FAILED;
        p = formatWord(p, paddedWord(last, rest));
    }
    *p++ = ' ';
    *p++ = ']';
    return sink.put(text.data(), (size_t)(p - text.data())) ? DONE : WRITE_FAILED;
}

// Raw bytes or binary words to binary words: the count, the whole words
// as they stand, the last one filled.
Result bytesToWords(const Source &s, Sink &sink)
{
    long length = s.rawLength();
    if (!covers(s, length))
        return READ_FAILED;
    long whole = length / 4;
    int rest = (int)(length % 4);
    if (!sink.putWord((uint32_t)(whole + (rest > 0))) ||
        !sink.copyFrom(s.fd, s.offset, (size_t)whole * 4))
        return WRITE_FAILED;
    if (rest == 0)
        return DONE;
    unsigned char last[4];
    if (!readAt(s.fd, (char *)last, (size_t)rest, s.offset + 4 * whole))
        return READ_FAILED;
    return sink.putWord(paddedWord(last, rest)) ? DONE : WRITE_FAILED;
}

// Zero words standing in for the rest of a damaged block.
bool putZeros(Sink &sink, long words)
{
    std::vector<char> zeros((size_t)PASS_WORDS * 4 + 1, 0);
    for (; words > 0; words -= PASS_WORDS)
        if (!sink.put(zeros.data(), (size_t)(words < PASS_WORDS ? words : PASS_WORDS) * 4))
            return false;
    return true;
}

// Decodes an ASCII body to sink: keep bytes of it (the words without the
// last word's fill), or every word (zero words after damage) when
// keep is negative.
Result asciiToBytes(const Source &s, Sink &sink, long keep)
{
    AsciiLayout layout;
    if (!layout.fromHeader(s.size))
        return keep < 0 && !sink.putWord(0) ? WRITE_FAILED : DAMAGED;
    if (keep < 0 && !sink.putWord((uint32_t)layout.words()))
        return WRITE_FAILED;
    if (!covers(s, s.size - 1))
        return READ_FAILED;
    std::vector<char> text((size_t)PASS_LINES * LINE_CHARS);
    std::vector<char> bytes((size_t)PASS_WORDS * 4 + 1);
    long written = 0, total = keep < 0 ? 4 * layout.words() : keep;
    auto emit = [&](long n) {
        if (n > total - written)
            n = total - written;
        written += n;
        return sink.put(bytes.data(), (size_t)n);
    };
    for (long done = 0; done < layout.lines;) {
        long n = layout.lines - done < PASS_LINES ? layout.lines - done : PASS_LINES;
        if (!readAt(s.fd, text.data(), (size_t)n * LINE_CHARS, s.offset + done * LINE_CHARS))
            return READ_FAILED;
        if (!decodeLines(text.data(), n, (unsigned char *)bytes.data())) {
            if (keep < 0 && !putZeros(sink, layout.words() - done * WORDS_PER_LINE))
                return WRITE_FAILED;
            return DAMAGED;
        }
        if (!emit(n * WORDS_PER_LINE * 4))
            return WRITE_FAILED;
        done += n;
    }
    size_t tail = (size_t)layout.extraWords * WORD_CHARS + 2;
    if (!readAt(s.fd, text.data(), tail, s.offset + layout.lines * LINE_CHARS))
        return READ_FAILED;
    if (!decodeWords(text.data(), layout.extraWords, (unsigned char *)bytes.data()) ||
        text[tail - 2] != ' ' || text[tail - 1] != ']') {
        if (keep < 0 && !putZeros(sink, layout.extraWords))
            return WRITE_FAILED;
        return DAMAGED;
    }
    return emit(layout.extraWords * 4) ? DONE : WRITE_FAILED;
}

// ASCII to ASCII: the body as it stands, after a check of every word.
Result asciiToAscii(const Source &s, Sink &sink, bool checked)
{
    Result check = DONE;
    if (!checked) {
        Sink none(NULL, -1);
        check = asciiToBytes(s, none, s.rawLength());
        if (check == READ_FAILED)
            return check;
    }
    if (!covers(s, s.size - 1))
        return READ_FAILED;
    if (!putHead(sink, s.size) || !sink.copyFrom(s.fd, s.offset, (size_t)(s.size - 1)))
        return WRITE_FAILED;
    return check;
}

// A block read as "[ ]" or as a lone header has no body: no bytes.
Source withBody(const Source &src)
{
    Source s = src;
    if (s.form == ASCII && s.size == 0)
        s.form = RAW;
    return s;
}

}

Result toOutput(const Source &block, SoOutput *out, bool checked)
{
    Source src = withBody(block);
    Sink sink(out, -1);
    if (src.form == ASCII)
        return out->isBinary() ? asciiToBytes(src, sink, -1) : asciiToAscii(src, sink, checked);
    return out->isBinary() ? bytesToWords(src, sink) : bytesToAscii(src, sink);
}

Result toRawFile(const Source &block, int fd)
{
    Source src = withBody(block);
    Sink sink(NULL, fd);
    if (src.form == ASCII)
        return asciiToBytes(src, sink, src.rawLength());
    long length = src.rawLength();
    if (!covers(src, length))
        return READ_FAILED;
    return sink.copyFrom(src.fd, src.offset, (size_t)length) ? DONE : WRITE_FAILED;
}

}
