// Reading delayed-read blocks: empty values, the shared descriptor
// table, cache files, memory buffers and line counting.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "field/FieldTestUtil.h"

using namespace FieldTest;

namespace {

const char HEADER[] = "#Inventor V2.1 ascii\n\n";

std::string sceneWith(const std::string &value)
{
    return std::string(HEADER) + "Separator { GspMediaTestNode { mediaData " + value + " } }\n";
}

// Entries of the descriptor table in use.
int usedSlots()
{
    int used = 0;
    for (int i = 0; i < SoSFDelayedData::numOpenFDs; i++)
        used += SoSFDelayedData::openFDs[i].inode != 0;
    return used;
}

// A scene file holding one media node with bytes, written in ASCII.
std::string writeMediaScene(const TempDir &dir, const std::string &name,
                            const std::string &bytes, bool binary = false)
{
    SoSeparator *root = new SoSeparator;
    root->ref();
    root->addChild(mediaNode(dir, bytes, name + ".raw"));
    writeScene(root, dir.file(name), binary);
    root->unref();
    return dir.file(name);
}

struct DelayedReading {
    DelayedReading() { SoSFDelayedData::supportDelayedReading = 1; }
    ~DelayedReading() { SoSFDelayedData::supportDelayedReading = 0; }
};

}

TEST(DelayedDataRead, NumberAndEmptyBracketsAreEmptyBlocks)
{
    init();
    TempDir dir;
    for (const char *value : {"0", "[ ]", "[ 0x00000003,\n ]"}) {
        SoSeparator *root = readBuffer(sceneWith(value));
        ASSERT_TRUE(root) << value << ": " << readErrors();
        GspMediaTestNode *node = firstMedia(root);
        EXPECT_EQ(0, node->mediaData.getDataSize()) << value;
        EXPECT_EQ(-1, node->mediaData.getFD());
        root->unref();
    }
    EXPECT_TRUE(dir.entries().empty());
}

TEST(DelayedDataRead, MemoryBufferWithDataFails)
{
    init();
    std::string text = sceneWith("[ 0x00000019,\n0x01020304,0x05202020, ]");
    EXPECT_EQ(NULL, readBuffer(text));
    EXPECT_NE(std::string::npos,
              readErrors().find("Can't read delayed-read data from non-file input"));
}

TEST(DelayedDataRead, NotesFromOneFileShareOneDescriptor)
{
    init();
    DelayedReading delayed;
    TempDir dir;
    SoSeparator *root = new SoSeparator;
    root->ref();
    root->addChild(mediaNode(dir, pattern(40), "one"));
    root->addChild(mediaNode(dir, pattern(90), "two"));
    writeScene(root, dir.file("two.iv"), false);
    root->unref();

    int before = usedSlots();
    SoSeparator *read = readScene(dir.file("two.iv"));
    ASSERT_TRUE(read) << readErrors();
    GspMediaTestNode *a = (GspMediaTestNode *)read->getChild(0);
    GspMediaTestNode *b = (GspMediaTestNode *)read->getChild(1);
    EXPECT_EQ(before + 1, usedSlots());
    ASSERT_GE(a->mediaData.getFD(), 0);
    EXPECT_EQ(a->mediaData.getFD(), b->mediaData.getFD());
    struct stat st;
    ASSERT_EQ(0, stat(dir.file("two.iv").c_str(), &st));
    EXPECT_EQ((int)st.st_ino, a->mediaData.getInode());
    int slot = -1;
    for (int i = 0; i < SoSFDelayedData::numOpenFDs; i++)
        if (SoSFDelayedData::openFDs[i].inode == (int)st.st_ino)
            slot = i;
    ASSERT_GE(slot, 0);
    EXPECT_EQ(2, SoSFDelayedData::openFDs[slot].refCount);

    // The offset names the first data character in the file.
    std::string file = TempDir::readFile(dir.file("two.iv"));
    EXPECT_EQ("0x", file.substr((size_t)a->mediaData.getFileOffset(), 2));
    EXPECT_EQ(pattern(40), a->mediaBytes());
    EXPECT_EQ(pattern(90), b->mediaBytes());
    // Nothing was cached.
    EXPECT_FALSE(a->mediaData.isCachedInTempFile());

    a->mediaData.clearFileIndex();
    EXPECT_EQ(1, SoSFDelayedData::openFDs[slot].refCount);
    read->unref();
    EXPECT_EQ(before, usedSlots());
}

TEST(DelayedDataRead, FullDescriptorTableFallsBackToCacheFile)
{
    init();
    DelayedReading delayed;
    TempDir dir;
    std::vector<SoSeparator *> scenes;
    int free = SoSFDelayedData::MAX_OPEN_FDS - usedSlots();
    for (int i = 0; i < free; i++) {
        SoSeparator *s = readScene(writeMediaScene(dir, "s" + std::to_string(i), pattern(8)));
        ASSERT_TRUE(s) << readErrors();
        scenes.push_back(s);
    }
    EXPECT_EQ((int)SoSFDelayedData::MAX_OPEN_FDS, usedSlots());
    std::vector<SoSFDelayedData::OpenFD> table(SoSFDelayedData::openFDs,
                                               SoSFDelayedData::openFDs + SoSFDelayedData::MAX_OPEN_FDS);
    readErrors().clear();

    std::string last = writeMediaScene(dir, "last", pattern(21));
    SoSeparator *extra = readScene(last);
    ASSERT_TRUE(extra) << readErrors();
    EXPECT_NE(std::string::npos, readErrors().find("Cannot keep open fd for delayed data from"));
    GspMediaTestNode *node = firstMedia(extra);
    EXPECT_TRUE(node->hasRawSource());
    EXPECT_EQ(pattern(21), node->mediaBytes());
    for (int i = 0; i < SoSFDelayedData::MAX_OPEN_FDS; i++) {
        EXPECT_EQ(table[i].fd, SoSFDelayedData::openFDs[i].fd);
        EXPECT_EQ(table[i].inode, SoSFDelayedData::openFDs[i].inode);
        EXPECT_EQ(table[i].refCount, SoSFDelayedData::openFDs[i].refCount);
    }
    extra->unref();
    for (SoSeparator *s : scenes)
        s->unref();
    EXPECT_EQ(0, usedSlots());
}

TEST(DelayedDataRead, CacheFileIsNamedForTheProcessAndHoldsRawBytes)
{
    init();
    TempDir dir;
    std::string scene = writeMediaScene(dir, "c.iv", pattern(10));
    SoSeparator *root = readScene(scene);
    ASSERT_TRUE(root) << readErrors();
    std::string prefix = "_gsp_" + std::to_string(getpid()) + "_";
    std::vector<std::string> caches;
    for (const std::string &e : dir.entries())
        if (e.compare(0, prefix.size(), prefix) == 0)
            caches.push_back(e);
    ASSERT_EQ(1u, caches.size());
    EXPECT_EQ(pattern(10), TempDir::readFile(dir.file(caches[0])));
    root->unref();
    // The owner adopted it and removes it with itself.
    EXPECT_FALSE(access(dir.file(caches[0]).c_str(), F_OK) == 0);
}

TEST(DelayedDataRead, UnadoptedCacheFileGoesWithTheField)
{
    init();
    TempDir dir;
    TempDir::writeFile(dir.file("value.iv"),
                       std::string(HEADER) + "[ 0x00000019,\n0x01020304,0x05202020, ]\n");
    SoInput in;
    ASSERT_TRUE(in.openFile(dir.file("value.iv").c_str()));
    SoSFDelayedData *field = new SoSFDelayedData;
    ASSERT_TRUE(field->read(&in, "mediaData")) << readErrors();
    EXPECT_TRUE(field->isCachedInTempFile());
    EXPECT_EQ(8, field->getDataSize());
    EXPECT_EQ(std::string("\x01\x02\x03\x04\x05\x20\x20\x20", 8),
              TempDir::readFile(field->getFileName().getString()));
    EXPECT_EQ(2u, dir.entries().size());

    // Assignment copies the value only.
    SoSFDelayedData copy;
    copy = *field;
    EXPECT_TRUE(copy.isSame(*field));
    EXPECT_EQ(0, copy.getDataSize());

    delete field;
    EXPECT_EQ(1u, dir.entries().size());
}

TEST(DelayedDataRead, LineNumbersAfterASkippedBlockStayRight)
{
    init();
    for (int delayed = 0; delayed < 2; delayed++) {
        SoSFDelayedData::supportDelayedReading = delayed;
        TempDir dir;
        // 100 words: 16 full lines and four words.
        std::string value = "[ 0x0000045f,\n";
        for (int i = 0; i < 100; i++) {
            value += "0x0000abcd,";
            if (i % 6 == 5)
                value += "\n";
        }
        value += " ]";
        std::string text = std::string(HEADER) + "Separator {\nGspMediaTestNode { mediaData " +
                           value + "\n}\nCube { width bogus }\n}\n";
        TempDir::writeFile(dir.file("lines.iv"), text);
        readErrors().clear();
        EXPECT_EQ(NULL, readScene(dir.file("lines.iv")));
        size_t bogusLine = 1;
        for (size_t i = 0; i < text.find("bogus"); i++)
            bogusLine += text[i] == '\n';
        char expected[32];
        snprintf(expected, sizeof expected, "line %3d ", (int)bogusLine);
        EXPECT_NE(std::string::npos, readErrors().find(expected))
            << "delayed " << delayed << ": " << readErrors();
    }
    SoSFDelayedData::supportDelayedReading = 0;
}
