#include "support/MediaTestNode.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Inventor/SoOutput.h>

SO_NODE_SOURCE(GspMediaTestNode);

void GspMediaTestNode::initClass()
{
    if (getClassTypeId() == SoType::badType())
        SO_NODE_INIT_CLASS(GspMediaTestNode, SoNode, "Node");
}

GspMediaTestNode::GspMediaTestNode() : rawSource(false)
{
    SO_NODE_CONSTRUCTOR(GspMediaTestNode);
    SO_NODE_ADD_FIELD(padByteCount, (0));
    SO_NODE_ADD_FIELD(mediaData, (0));
    mediaData.setWriteCB(&GspMediaTestNode::writeCB);
}

GspMediaTestNode::~GspMediaTestNode()
{
    if (!ownedFile.empty())
        unlink(ownedFile.c_str());
}

SbBool GspMediaTestNode::readInstance(SoInput *in, unsigned short flags)
{
    rawSource = false;
    if (!SoNode::readInstance(in, flags))
        return FALSE;
    // A block cached while reading becomes this node's raw file, trimmed
    // of its fill bytes.
    SbString cache = mediaData.takeCachedFile();
    if (cache.getLength() > 0) {
        struct stat st;
        long size = stat(cache.getString(), &st) == 0 ? (long)st.st_size : 0;
        size -= padByteCount.getValue();
        if (size < 0 || truncate(cache.getString(), size) != 0)
            size = 0;
        ownedFile = cache.getString();
        mediaData.setFileInfo(cache, 0, (int)size);
        mediaData.setDefault(size == 0);
        rawSource = true;
    }
    return TRUE;
}

long GspMediaTestNode::sourceLength() const
{
    long size = mediaData.getDataSize();
    if (!rawSource && mediaData.isBinary())
        size -= padByteCount.getValue();
    return size < 0 ? 0 : size;
}

void GspMediaTestNode::setRawSource(const std::string &path)
{
    struct stat st;
    int size = stat(path.c_str(), &st) == 0 ? (int)st.st_size : 0;
    mediaData.setFileInfo(path.c_str(), 0, size);
    rawSource = true;
    padByteCount = (short)((4 - size % 4) % 4);
    mediaData.setDefault(size == 0);
}

namespace {

// A read-only mapping of the first offset + size bytes of a source.
struct Mapping {
    int fd = -1;
    bool ownFd = false;
    void *addr = MAP_FAILED;
    size_t length = 0;

    bool open(const SoSFDelayedData *f)
    {
        fd = f->getFD();
        if (fd < 0) {
            fd = ::open(f->getFileName().getString(), O_RDONLY);
            ownFd = true;
        }
        length = (size_t)f->getFileOffset() + (size_t)f->getDataSize();
        if (fd < 0 || length == 0)
            return false;
        addr = mmap(NULL, length, PROT_READ, MAP_SHARED, fd, 0);
        return addr != MAP_FAILED;
    }
    const char *data(const SoSFDelayedData *f) const
    {
        return (const char *)addr + f->getFileOffset();
    }
    ~Mapping()
    {
        if (addr != MAP_FAILED)
            munmap(addr, length);
        if (ownFd && fd >= 0)
            close(fd);
    }
};

}

void GspMediaTestNode::writeCB(const SoSFDelayedData *field, SoOutput *out)
{
    if (out->getStage() != SoOutput::WRITE)
        return;
    const GspMediaTestNode *node = (const GspMediaTestNode *)field->getContainer();
    short pad = node->padByteCount.getValue();
    Mapping m;
    if (!m.open(field))
        return;
    const char *src = m.data(field);
    long size = field->getDataSize();
    if (field->isBinary()) {
        long length = node->sourceLength();
        if (out->isBinary())
            field->writeBinaryToBinary(src, out, -1, length);
        else
            field->writeBinaryToAscii(src, out, length);
    } else {
        if (out->isBinary())
            field->writeAsciiToBinary(src, out, -1, size, pad);
        else
            field->writeAsciiToAscii(src, out, size);
    }
}

std::string GspMediaTestNode::mediaBytes() const
{
    Mapping m;
    if (!m.open(&mediaData))
        return "";
    const char *src = m.data(&mediaData);
    long size = mediaData.getDataSize();
    short pad = padByteCount.getValue();
    if (mediaData.isBinary())
        return std::string(src, (size_t)sourceLength());
    // Decode through a pipe-free temporary file.
    char name[] = "/tmp/gspdecode.XXXXXX";
    int fd = mkstemp(name);
    std::string bytes;
    if (fd >= 0) {
        if (mediaData.writeAsciiToBinary(src, NULL, fd, size, pad)) {
            off_t len = lseek(fd, 0, SEEK_END);
            bytes.resize((size_t)len);
            if (pread(fd, &bytes[0], (size_t)len, 0) != len)
                bytes.clear();
        }
        close(fd);
        unlink(name);
    }
    return bytes;
}
