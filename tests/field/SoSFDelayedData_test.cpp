// Delayed-read blocks: the exact ASCII text and binary words, round trips
// in every pairing of encoding and read mode, the descriptor table,
// cache files, line counting, and damaged blocks that fail the read.
#include "support/Test.h"

#include "field/FieldTestUtil.h"
#include "fuzz/ReadFuzzWork.h"

using namespace FieldTest;

namespace {

const char HEADER[] = "#Inventor V2.1 ascii\n\n";

std::string sceneWith(const std::string &value)
{
    return std::string(HEADER) + "Separator { ZnImageNote { mediaData " + value + "\n} }\n";
}

// What the converter writes for raw bytes, after the output's header.
std::string convert(const std::string &raw, bool binary)
{
    init();
    SoSFDelayedData field;
    SoOutput out;
    out.setBinary(binary);
    out.setBuffer(malloc(64), 64, realloc);
    out.write("");  // the header line
    void *buf;
    size_t headerLen, n;
    out.getBuffer(buf, headerLen);
    EXPECT_EQ(1, binary ? field.writeBinaryToBinary(raw.data(), &out, -1, (long)raw.size())
                        : field.writeBinaryToAscii(raw.data(), &out, (long)raw.size()));
    out.getBuffer(buf, n);
    std::string text((const char *)buf + headerLen, n - headerLen);
    free(buf);
    return text;
}

std::string be32(uint32_t w)
{
    return {(char)(w >> 24), (char)(w >> 16), (char)(w >> 8), (char)w};
}

using GspReadFuzz::usedSlots;

std::vector<int> tableInodes()
{
    std::vector<int> inodes;
    for (int i = 0; i < SoSFDelayedData::MAX_OPEN_FDS; i++)
        inodes.push_back(SoSFDelayedData::openFDs[i].inode);
    return inodes;
}

// A scene file of media nodes holding the given bytes.
std::string writeMediaScene(const TempDir &dir, const std::string &name,
                            std::initializer_list<std::string> blocks, bool binary = false)
{
    Held<SoSeparator> root(new SoSeparator);
    int i = 0;
    for (const std::string &b : blocks)
        root->addChild(mediaNode(dir, b, name + std::to_string(i++) + ".raw"));
    writeScene(root, dir.file(name), binary);
    return dir.file(name);
}

class DelayedData : public ::testing::Test {
  protected:
    void SetUp() override { init(); }
    void TearDown() override { SoSFDelayedData::supportDelayedReading = 0; }
    TempDir dir;
};

}

TEST(DelayedDataFormat, AsciiTextAndBinaryWords)
{
    EXPECT_EQ("[ 0x00000003,\n ]", convert("", false));
    EXPECT_EQ("[ 0x00000019,\n0x01020304,0x05202020, ]",
              convert(std::string("\x01\x02\x03\x04\x05", 5), false));
    // Seven whole words: a full line of 67 characters, then one word.
    std::string raw;
    for (uint32_t i = 1; i <= 7; i++)
        raw += be32(0x11111111u * i);
    EXPECT_EQ("[ 0x00000051,\n"
              "0x11111111,0x22222222,0x33333333,0x44444444,0x55555555,0x66666666,\n"
              "0x77777777, ]",
              convert(raw, false));
    // The header number is the body's length plus one.
    for (size_t n : {1u, 23u, 24u, 25u, 1000u}) {
        std::string text = convert(pattern(n), false);
        size_t body = text.find('\n') + 1;
        EXPECT_EQ(text.size() - body + 1, strtoul(text.c_str() + 2, NULL, 16)) << n;
    }
    // Binary: a big-endian word count, the words, blank fill bytes.
    EXPECT_EQ(be32(1001) + pattern(4004), convert(pattern(4004), true));
    EXPECT_EQ(be32(2) + std::string("\x01\x02\x03\x04\x05\x06\x20\x20", 8),
              convert(std::string("\x01\x02\x03\x04\x05\x06", 6), true));
    EXPECT_EQ(be32(0), convert("", true));
}

TEST_F(DelayedData, AsciiToRawStripsFillBytesAndStopsAtDamage)
{
    SoSFDelayedData field;
    for (short pad = 0; pad < 4; pad++) {
        std::string raw = pattern(4 * 13 - pad), text = convert(raw, false);
        std::string body = text.substr(text.find('\n') + 1) + "\n";
        int fd = open(dir.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_EQ(1, field.writeAsciiToBinary(body.data(), NULL, fd, (long)body.size(), pad));
        close(fd);
        EXPECT_EQ(raw, TempDir::readFile(dir.file("out"))) << "pad " << pad;
    }
    std::string body = "0x0102zz04, ]\n";
    EXPECT_EQ(0, field.writeAsciiToBinary(body.data(), NULL, -1, (long)body.size(), 0));
}

// Every pairing of scene encoding and read mode keeps the bytes, and a
// scene written again in the same encoding is the same file.
class DelayedDataRoundTrip
    : public ::testing::TestWithParam<std::tuple<size_t, bool, bool>> {};

TEST_P(DelayedDataRoundTrip, BytesSurviveWriteAndRead)
{
    init();
    size_t n = std::get<0>(GetParam());
    bool binary = std::get<1>(GetParam());
    SoSFDelayedData::supportDelayedReading = std::get<2>(GetParam());
    TempDir dir;
    std::string a = writeMediaScene(dir, "a.iv", {pattern(n)}, binary);
    EXPECT_TRUE(binary || TempDir::readFile(a).find("MFULong mediaData") != std::string::npos);
    Held<SoSeparator> read(readScene(a));
    ASSERT_TRUE(read) << readErrors();
    // Write again in both encodings, from the delayed or cached source.
    writeScene(read, dir.file("b.iv"), binary);
    writeScene(read, dir.file("c.iv"), !binary);
    EXPECT_EQ(TempDir::readFile(a), TempDir::readFile(dir.file("b.iv")));
    EXPECT_EQ(pattern(n), dataOf(nth<ZnImageNote>(read)));
    read = readScene(dir.file("c.iv"));
    ASSERT_TRUE(read) << readErrors();
    EXPECT_EQ(pattern(n), dataOf(nth<ZnImageNote>(read)));
    SoSFDelayedData::supportDelayedReading = 0;
    EXPECT_EQ("", readErrors());
}

INSTANTIATE_TEST_SUITE_P(
    SizesEncodingsModes, DelayedDataRoundTrip,
    ::testing::Combine(::testing::Values(0, 1, 5, 24, 27, 4 * 1001 + 2, 100003),
                       ::testing::Values(false, true), ::testing::Values(false, true)));

TEST_F(DelayedData, EmptyBlocksAndMemoryBuffers)
{
    for (const char *value : {"0", "[ ]", "[ 0x00000003,\n ]"}) {
        Held<SoSeparator> root(readFromBuffer(sceneWith(value)));
        ASSERT_TRUE(root) << value << ": " << readErrors();
        EXPECT_EQ(0, nth<ZnImageNote>(root)->mediaData.getDataSize()) << value;
    }
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_EQ(NULL, readFromBuffer(sceneWith("[ 0x00000019,\n0x01020304,0x05202020, ]")));
    EXPECT_NE(std::string::npos,
              readErrors().find("Can't read delayed-read data from non-file input"));
}

// Notes of one file share its entry in the descriptor table; a full table
// makes the next file's notes cache their data instead.
TEST_F(DelayedData, AFullDescriptorTableFallsBackToACacheFile)
{
    SoSFDelayedData::supportDelayedReading = 1;
    Held<SoSeparator> scenes(new SoSeparator);
    for (int i = usedSlots(); i < SoSFDelayedData::MAX_OPEN_FDS; i++) {
        // Two notes a file: they share its entry.
        std::string path = writeMediaScene(dir, "s" + std::to_string(i), {pattern(8), pattern(9)});
        SoSeparator *s = readScene(path);
        ASSERT_TRUE(s) << readErrors();
        scenes->addChild(s);
    }
    EXPECT_EQ("", readErrors());
    std::vector<int> table = tableInodes();
    readErrors().clear();
    Held<SoSeparator> extra(readScene(writeMediaScene(dir, "last", {pattern(21)})));
    ASSERT_TRUE(extra) << readErrors();
    EXPECT_NE(std::string::npos, readErrors().find("Cannot keep open fd for delayed data from"));
    EXPECT_LT(0, nth<ZnImageNote>(extra)->getTempDataFileName().getLength());
    EXPECT_EQ(pattern(21), dataOf(nth<ZnImageNote>(extra)));
    EXPECT_EQ(table, tableInodes());
    extra = NULL;
    scenes = NULL;
    EXPECT_EQ(0, usedSlots());
}

TEST_F(DelayedData, CacheFilesAreNamedForTheProcessAndGoWithTheirOwner)
{
    Held<SoSeparator> root(readScene(writeMediaScene(dir, "c.iv", {pattern(10)})));
    ASSERT_TRUE(root) << readErrors();
    std::string cache;
    for (const std::string &e : dir.entries())
        if (e.find("_gsp_" + std::to_string(getpid()) + "_") == 0)
            cache = dir.file(e);
    EXPECT_EQ(pattern(10), TempDir::readFile(cache));
    root = NULL;
    EXPECT_FALSE(TempDir::exists(cache));

    // A field nobody adopted removes its cache file itself; assignment
    // copies the value only.
    TempDir::writeFile(dir.file("value.iv"),
                       std::string(HEADER) + "[ 0x00000019,\n0x01020304,0x05202020, ]\n");
    SoInput in;
    ASSERT_TRUE(in.openFile(dir.file("value.iv").c_str()));
    SoSFDelayedData *field = new SoSFDelayedData;
    ASSERT_TRUE(field->read(&in, "mediaData")) << readErrors();
    EXPECT_EQ(std::string("\x01\x02\x03\x04\x05\x20\x20\x20", 8),
              TempDir::readFile(field->getFileName().getString()));
    SoSFDelayedData copy;
    copy = *field;
    EXPECT_EQ(0, copy.getDataSize());
    std::string own = field->getFileName().getString();
    delete field;
    EXPECT_FALSE(TempDir::exists(own));
}

TEST_F(DelayedData, LineNumbersAfterASkippedBlockStayRight)
{
    // 100 words: 16 full lines and four words, then an error.
    std::string value = "[ 0x0000045f,\n";
    for (int i = 0; i < 100; i++)
        value += i % 6 == 5 ? "0x0000abcd,\n" : "0x0000abcd,";
    std::string text = std::string(HEADER) + "Separator {\nZnImageNote { mediaData " +
                       value + " ]\n}\nCube { width bogus }\n}\n";
    TempDir::writeFile(dir.file("lines.iv"), text);
    char expected[32];
    snprintf(expected, sizeof expected, "line %3d ",
             1 + (int)std::count(text.begin(), text.begin() + text.find("bogus"), '\n'));
    for (int delayed : {0, 1}) {
        SoSFDelayedData::supportDelayedReading = delayed;
        readErrors().clear();
        EXPECT_EQ(NULL, readScene(dir.file("lines.iv")));
        EXPECT_NE(std::string::npos, readErrors().find(expected)) << delayed << readErrors();
    }
}

const char *const damagedBodies[] = {"[ 0x00000019,\n0x0102zz04,0x05202020, ]",
                                    "[ 0x00000019,\n0x01020304 0x05202020, ]"};

// Damaged blocks fail the read with a read error in both read modes,
// leave no cache file and do not disturb the descriptor table.
TEST_F(DelayedData, DamagedBlocksFailTheRead)
{
    std::vector<std::string> bad = {
        sceneWith("[ 0x00000019;\n0x01020304,0x05202020, ]"),   // wrong separator
        sceneWith("[ 0x7ffffff0,\n0x01020304, ]"),              // beyond the file
        sceneWith("[ -25,\n0x01020304,0x05202020, ]"),          // negative
        sceneWith("[ 0x00000017,\n0x01020304,0x05202020, ]"),   // no layout
        sceneWith("[ 0x0000000e,\n0x01020304,0x05202020, ]"),   // too small
        sceneWith("[ ,\n0x01020304, ]"),                        // no size
        sceneWith("[ 0x00000019,\n0x01020304,0x05202020,  "),   // no bracket
        std::string(HEADER) + "ZnImageNote { mediaData [ 0x00000051,\n0x11111111,"};
    // Binary: the word count made too large, and a cut inside the block.
    std::string good = TempDir::readFile(writeMediaScene(dir, "good", {pattern(64)}, true));
    size_t at = good.find(be32(16) + pattern(8));
    ASSERT_NE(std::string::npos, at);
    for (uint32_t count : {0x00100000u, 0x7fffffffu, 0x80000000u, 0xffffffffu})
        bad.push_back(std::string(good).replace(at, 4, be32(count)));
    bad.push_back(good.substr(0, at + 34));

    std::vector<std::string> files = dir.entries();
    files.push_back("bad.iv");
    std::sort(files.begin(), files.end());
    for (int delayed : {0, 1}) {
        SoSFDelayedData::supportDelayedReading = delayed;
        // A skipped body is checked at first use (below); cached, at once.
        std::vector<std::string> cases = bad;
        if (!delayed)
            for (const char *body : damagedBodies)
                cases.push_back(sceneWith(body));
        for (size_t i = 0; i < cases.size(); i++) {
            TempDir::writeFile(dir.file("bad.iv"), cases[i]);
            std::vector<int> table = tableInodes();
            readErrors().clear();
            Held<SoSeparator> root(readScene(dir.file("bad.iv")));
            EXPECT_FALSE(root) << "case " << i << " delayed " << delayed;
            EXPECT_FALSE(readErrors().empty()) << i;
            EXPECT_EQ(files, dir.entries()) << i;
            EXPECT_EQ(table, tableInodes()) << i;
        }
    }
}

// Damage inside a body skipped at open is found when the bytes are first
// used: each use reports it, nothing is left half made, and neither the
// note nor the source file changes. An ASCII save keeps the body as it
// stands; a binary one stays readable.
TEST_F(DelayedData, DamageInASkippedBodyIsReportedAtFirstUse)
{
    for (const char *body : damagedBodies) {
        std::string source = dir.file("damaged.iv"), text = sceneWith(body);
        TempDir::writeFile(source, text);
        SoSFDelayedData::supportDelayedReading = 1;
        Held<SoSeparator> root(readScene(source));
        ASSERT_TRUE(root) << readErrors();
        ZnImageNote *note = nth<ZnImageNote>(root);
        std::vector<std::string> before = dir.entries();
        std::string err = stderrOf([&] { EXPECT_EQ("<extraction failed>", dataOf(note)); });
        EXPECT_NE(std::string::npos, err.find("is damaged")) << err;
        EXPECT_EQ(before, dir.entries());
        EXPECT_EQ(0, note->getTempDataFileName().getLength());

        err = stderrOf([&] { writeScene(root, dir.file("saved.iv"), false); });
        EXPECT_NE(std::string::npos, err.find("is damaged")) << err;
        EXPECT_NE(std::string::npos, TempDir::readFile(dir.file("saved.iv")).find(body));
        err = stderrOf([&] { writeScene(root, dir.file("saved.bin"), true); });
        EXPECT_NE(std::string::npos, err.find("is damaged")) << err;
        root = NULL;
        SoSFDelayedData::supportDelayedReading = 0;
        root = readScene(dir.file("saved.bin"));
        EXPECT_TRUE(root) << readErrors();
        EXPECT_EQ(text, TempDir::readFile(source));
    }
}
