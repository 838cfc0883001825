// Damaged blocks make the read fail with a read error, in both read
// modes, without leaving cache files or disturbing the descriptor table.
#include <gtest/gtest.h>

#include "field/FieldTestUtil.h"

using namespace FieldTest;

namespace {

struct BadCase {
    const char *name;
    std::string scene;   // whole file
};

std::string ascii(const std::string &value)
{
    return "#Inventor V2.1 ascii\n\nSeparator { GspMediaTestNode { mediaData " + value +
           "\n} }\n";
}


std::vector<BadCase> asciiCases()
{
    return {
        {"non-hex word", ascii("[ 0x00000019,\n0x0102zz04,0x05202020, ]")},
        {"wrong separator", ascii("[ 0x00000019;\n0x01020304,0x05202020, ]")},
        {"missing comma between words", ascii("[ 0x00000019,\n0x01020304 0x05202020, ]")},
        {"size beyond the file", ascii("[ 0x7ffffff0,\n0x01020304, ]")},
        {"negative size", ascii("[ -25,\n0x01020304,0x05202020, ]")},
        {"size of no layout", ascii("[ 0x00000017,\n0x01020304,0x05202020, ]")},
        {"size too small", ascii("[ 0x0000000e,\n0x01020304,0x05202020, ]")},
        {"truncated block", "#Inventor V2.1 ascii\n\nSeparator { GspMediaTestNode { mediaData [ 0x00000051,\n0x11111111,0x22222222,"},
        {"no size", ascii("[ ,\n0x01020304, ]")},
        {"missing bracket", ascii("[ 0x00000019,\n0x01020304,0x05202020,  ")},
    };
}

}

class DelayedDataBadInput : public ::testing::TestWithParam<bool> {};

TEST_P(DelayedDataBadInput, AsciiBlocksFailTheRead)
{
    init();
    SoSFDelayedData::supportDelayedReading = GetParam();
    for (const BadCase &c : asciiCases()) {
        TempDir dir;
        TempDir::writeFile(dir.file("bad.iv"), c.scene);
        std::vector<SoSFDelayedData::OpenFD> table(
            SoSFDelayedData::openFDs, SoSFDelayedData::openFDs + SoSFDelayedData::MAX_OPEN_FDS);
        readErrors().clear();
        SoSeparator *root = readScene(dir.file("bad.iv"));
        EXPECT_EQ(NULL, root) << c.name;
        if (root)
            root->unref();
        EXPECT_FALSE(readErrors().empty()) << c.name;
        EXPECT_EQ(std::vector<std::string>{"bad.iv"}, dir.entries()) << c.name;
        for (int i = 0; i < SoSFDelayedData::MAX_OPEN_FDS; i++)
            EXPECT_EQ(table[i].inode, SoSFDelayedData::openFDs[i].inode) << c.name;
    }
    SoSFDelayedData::supportDelayedReading = 0;
}

TEST_P(DelayedDataBadInput, BinaryCountsBeyondTheFileFail)
{
    init();
    SoSFDelayedData::supportDelayedReading = GetParam();
    TempDir dir;
    // Write a good binary scene, then corrupt the word count in place.
    SoSeparator *root = new SoSeparator;
    root->ref();
    root->addChild(mediaNode(dir, pattern(64)));
    writeScene(root, dir.file("good.iv"), true);
    root->unref();
    std::string good = TempDir::readFile(dir.file("good.iv"));
    const std::string count16("\x00\x00\x00\x10", 4);
    size_t at = good.find(count16 + pattern(64).substr(0, 8));
    ASSERT_NE(std::string::npos, at);

    for (uint32_t bad : {0x00100000u, 0x7fffffffu, 0x80000000u, 0xffffffffu}) {
        std::string scene = good;
        for (int i = 0; i < 4; i++)
            scene[at + i] = (char)(bad >> (24 - 8 * i));
        TempDir::writeFile(dir.file("bad.iv"), scene);
        readErrors().clear();
        SoSeparator *read = readScene(dir.file("bad.iv"));
        EXPECT_EQ(NULL, read) << std::hex << bad;
        if (read)
            read->unref();
        EXPECT_FALSE(readErrors().empty());
    }
    // Truncated in the middle of the block.
    TempDir::writeFile(dir.file("bad.iv"), good.substr(0, at + 4 + 30));
    EXPECT_EQ(NULL, readScene(dir.file("bad.iv")));
    std::vector<std::string> expected{"bad.iv", "good.iv", "raw.bin"};
    EXPECT_EQ(expected, dir.entries());
    SoSFDelayedData::supportDelayedReading = 0;
}

INSTANTIATE_TEST_SUITE_P(ReadModes, DelayedDataBadInput, ::testing::Values(false, true));
