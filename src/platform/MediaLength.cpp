#include "platform/MediaLength.h"

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <af_vfs.h>
#include <audiofile.h>
extern "C" {
#include <libavformat/avformat.h>
}

namespace {

// Bytes in memory, read through libavformat's I/O context or
// libaudiofile's virtual file.
struct Memory {
    const unsigned char *data;
    size_t size, at;

    size_t read(void *to, size_t n)
    {
        n = n < size - at ? n : size - at;
        memcpy(to, data + at, n);
        at += n;
        return n;
    }
    long seek(long offset, int whence)
    {
        long base = whence == SEEK_CUR ? (long)at : whence == SEEK_END ? (long)size : 0;
        if (base + offset < 0 || base + offset > (long)size)
            return -1;
        at = (size_t)(base + offset);
        return (long)at;
    }
};

int readPacket(void *opaque, uint8_t *buf, int n)
{
    size_t got = ((Memory *)opaque)->read(buf, (size_t)n);
    return got ? (int)got : AVERROR_EOF;
}

int64_t seekPacket(void *opaque, int64_t offset, int whence)
{
    Memory *m = (Memory *)opaque;
    if (whence == AVSEEK_SIZE)
        return (int64_t)m->size;
    return m->seek((long)offset, whence & ~AVSEEK_FORCE);
}

double videoSeconds(AVFormatContext *fc)
{
    avformat_find_stream_info(fc, NULL);
    int i = av_find_best_stream(fc, AVMEDIA_TYPE_VIDEO, -1, -1, NULL, 0);
    if (i < 0)
        return 0;
    AVStream *s = fc->streams[i];
    double rate = av_q2d(s->avg_frame_rate.num ? s->avg_frame_rate : s->r_frame_rate);
    if (rate <= 0)
        return 0;
    if (s->nb_frames > 0)
        return (double)s->nb_frames / rate;
    if (s->duration != AV_NOPTS_VALUE && s->duration > 0)
        return (double)s->duration * av_q2d(s->time_base);
    if (fc->duration != AV_NOPTS_VALUE && fc->duration > 0)
        return (double)fc->duration / AV_TIME_BASE;
    return 0;
}

// An open that fails on bytes no demuxer recognises is no movie (0);
// any other failure is a movie that cannot be opened (-1).
double openFailure(int error) { return error == AVERROR_INVALIDDATA ? 0 : -1; }

double soundSeconds(AFfilehandle f)
{
    if (f == AF_NULL_FILEHANDLE)
        return 0;
    AFframecount frames = afGetFrameCount(f, AF_DEFAULT_TRACK);
    double rate = afGetRate(f, AF_DEFAULT_TRACK);
    afCloseFile(f);
    return rate > 0 && frames > 0 ? (double)frames / rate : 0;
}

ssize_t vfRead(AFvirtualfile *vf, void *data, size_t n)
{
    return (ssize_t)((Memory *)vf->closure)->read(data, n);
}
AFfileoffset vfLength(AFvirtualfile *vf) { return (AFfileoffset)((Memory *)vf->closure)->size; }
AFfileoffset vfSeek(AFvirtualfile *vf, AFfileoffset offset, int relative)
{
    return ((Memory *)vf->closure)->seek((long)offset, relative ? SEEK_CUR : SEEK_SET);
}
AFfileoffset vfTell(AFvirtualfile *vf) { return (AFfileoffset)((Memory *)vf->closure)->at; }
ssize_t vfWrite(AFvirtualfile *, const void *, size_t) { return -1; }
void vfDestroy(AFvirtualfile *) {}

// libaudiofile follows the lengths an IFF or RIFF container declares: a
// container or chunk that claims more bytes than there are (a few
// hostile bytes can claim 4 GiB) keeps it busy for minutes. Such a file
// is not measured. at(offset, 8 bytes) reads the file's bytes.
template <class Read> bool chunksFit(Read at, unsigned long long total)
{
    unsigned char h[8];
    if (total < 12 || !at(0, h))
        return true;
    bool big = memcmp(h, "FORM", 4) == 0;
    if (!big && memcmp(h, "RIFF", 4) != 0)
        return true;
    auto word = [big](const unsigned char *b) {
        return big ? (unsigned long long)b[0] << 24 | b[1] << 16 | b[2] << 8 | b[3]
                   : (unsigned long long)b[3] << 24 | b[2] << 16 | b[1] << 8 | b[0];
    };
    unsigned long long end = word(h + 4) + 8;
    if (end > total + 1)  // a fill byte may be missing
        return false;
    for (unsigned long long pos = 12; pos + 8 <= end; pos += 8 + word(h + 4) + (word(h + 4) & 1)) {
        if (!at(pos, h) || pos + 8 + word(h + 4) > end + 1)
            return false;
    }
    return true;
}

// The library's own error messages are not for the user.
void quietly()
{
    static bool done = false;
    if (!done) {
        av_log_set_level(AV_LOG_QUIET);
        afSetErrorHandler(NULL);
        done = true;
    }
}

}

namespace GspMediaLength {

double movie(const char *path)
{
    quietly();
    AVFormatContext *fc = NULL;
    int error = avformat_open_input(&fc, path, NULL, NULL);
    if (error < 0)
        return openFailure(error);
    double seconds = videoSeconds(fc);
    avformat_close_input(&fc);
    return seconds;
}

double movie(const void *data, size_t size)
{
    quietly();
    Memory m = {(const unsigned char *)data, size, 0};
    const int BUFFER = 1 << 16;
    unsigned char *buffer = (unsigned char *)av_malloc(BUFFER);
    AVIOContext *io = avio_alloc_context(buffer, BUFFER, 0, &m, readPacket, NULL, seekPacket);
    AVFormatContext *fc = avformat_alloc_context();
    if (!io || !fc) {
        av_free(io ? io->buffer : buffer);
        avio_context_free(&io);
        avformat_free_context(fc);
        return -1;
    }
    fc->pb = io;
    fc->flags |= AVFMT_FLAG_CUSTOM_IO;
    int error = avformat_open_input(&fc, NULL, NULL, NULL);  // frees fc on failure
    double seconds = error < 0 ? openFailure(error) : videoSeconds(fc);
    if (error >= 0)
        avformat_close_input(&fc);
    av_freep(&io->buffer);
    avio_context_free(&io);
    return seconds;
}

double sound(const char *path)
{
    quietly();
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        if (fd >= 0)
            close(fd);
        return 0;
    }
    bool fit = chunksFit(
        [fd](unsigned long long at, unsigned char *to) {
            return pread(fd, to, 8, (off_t)at) == 8;
        },
        (unsigned long long)st.st_size);
    close(fd);
    return fit ? soundSeconds(afOpenFile(path, "r", AF_NULL_FILESETUP)) : 0;
}

double sound(const void *data, size_t size)
{
    quietly();
    const unsigned char *bytes = (const unsigned char *)data;
    auto at = [bytes, size](unsigned long long offset, unsigned char *to) {
        if (offset + 8 > size)
            return false;
        memcpy(to, bytes + offset, 8);
        return true;
    };
    if (!chunksFit(at, size))
        return 0;
    Memory m = {(const unsigned char *)data, size, 0};
    AFvirtualfile *vf = af_virtual_file_new();
    if (!vf)
        return 0;
    vf->closure = &m;
    vf->read = vfRead;
    vf->length = vfLength;
    vf->write = vfWrite;
    vf->destroy = vfDestroy;
    vf->seek = vfSeek;
    vf->tell = vfTell;
    // The file handle owns the virtual file from here on.
    return soundSeconds(afOpenVirtualFile(vf, "r", AF_NULL_FILESETUP));
}

}
