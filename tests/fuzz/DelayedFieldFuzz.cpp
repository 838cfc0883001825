#include "fuzz/Fuzzers.h"
#include "fuzz/ReadFuzzWork.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include <Glosspin/SoSFDelayedData.h>
#include <Glosspin/ZnInit.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/errors/SoReadError.h>

namespace {

using GspReadFuzz::workDir;

[[noreturn]] void fail(const char *why)
{
    GspReadFuzz::fail("delayed-field fuzz", why);
}

int countCacheFiles()
{
    int n = 0;
    if (DIR *d = opendir(workDir().c_str())) {
        while (struct dirent *e = readdir(d))
            n += strncmp(e->d_name, "_gsp_", 5) == 0;
        closedir(d);
    }
    return n;
}

// Converts a delayed block the way a write callback would, so that the
// converters see whatever the reader accepted.
void convert(const SoSFDelayedData &f)
{
    int fd = f.getFD();
    size_t length = (size_t)f.getFileOffset() + (size_t)f.getDataSize();
    if (fd < 0 || f.getDataSize() <= 0)
        return;
    void *addr = mmap(NULL, length, PROT_READ, MAP_SHARED, fd, 0);
    if (addr == MAP_FAILED)
        fail("the block the reader accepted cannot be mapped");
    const char *src = (const char *)addr + f.getFileOffset();
    int sink = open("/dev/null", O_WRONLY);
    // A delayed body is skipped unread: damage in it is found here, at
    // first use, and must be refused without a read past the block.
    if (!f.isBinary())
        f.writeAsciiToBinary(src, NULL, sink, f.getDataSize(), 3);
    if (f.isBinary())
        f.writeBinaryToBinary(src, NULL, sink, f.getDataSize());
    close(sink);
    munmap(addr, length);
}

}

int fuzzDelayedField(const uint8_t *data, size_t size)
{
    static bool ready = (GspReadFuzz::setUp("gspfuzz"), true);
    (void)ready;
    if (size < 1)
        return 0;
    bool binary = data[0] & 1;
    SoSFDelayedData::supportDelayedReading = (data[0] >> 1) & 1;
    bool fromMemory = (data[0] >> 2) & 1;

    // The binary header is padded to a whole number of words.
    std::string text = binary ? "#Inventor V2.1 binary  \n" : "#Inventor V2.1 ascii\n\n";
    text.append((const char *)data + 1, size - 1);
    std::string path = workDir() + "/input.iv";

    int slotsBefore = GspReadFuzz::usedSlots();
    SoSFDelayedData *field = new SoSFDelayedData;
    SoInput in;
    bool ok;
    if (fromMemory) {
        in.setBuffer((void *)text.data(), text.size());
        ok = field->readBlock(&in);
    } else {
        FILE *f = fopen(path.c_str(), "wb");
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
        if (!in.openFile(path.c_str(), TRUE))
            fail("cannot open the input file");
        ok = field->readBlock(&in);
        if (ok)
            convert(*field);
    }
    if (!ok && countCacheFiles() != 0)
        fail("a failed read left a cache file");
    if (!ok && GspReadFuzz::usedSlots() != slotsBefore)
        fail("a failed read left a descriptor-table entry");
    delete field;
    if (countCacheFiles() != 0)
        fail("a cache file outlived its field");
    if (GspReadFuzz::usedSlots() != slotsBefore)
        fail("a descriptor-table entry outlived its field");
    SoSFDelayedData::supportDelayedReading = 0;
    return 0;
}
