// The file form of delayed-read blocks: the exact ASCII text, the binary
// words, and round trips through scene files in every pairing of source
// and output encoding.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "field/FieldTestUtil.h"

using namespace FieldTest;

namespace {

// What the converter writes for raw bytes to a memory output, after the
// header line the output adds.
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

std::string convertToAscii(const std::string &raw) { return convert(raw, false); }
std::string convertToBinary(const std::string &raw) { return convert(raw, true); }

std::string be32(uint32_t w)
{
    std::string s(4, '\0');
    s[0] = (char)(w >> 24);
    s[1] = (char)(w >> 16);
    s[2] = (char)(w >> 8);
    s[3] = (char)w;
    return s;
}

}

TEST(DelayedDataFormat, AsciiTextForEmptyFiveByteAndMultiLineBlocks)
{
    EXPECT_EQ("[ 0x00000003,\n ]", convertToAscii(""));
    EXPECT_EQ("[ 0x00000019,\n0x01020304,0x05202020, ]",
              convertToAscii(std::string("\x01\x02\x03\x04\x05", 5)));

    // Seven whole words: a full line of 67 characters, then one word.
    std::string raw;
    for (int i = 1; i <= 7; i++)
        raw += be32(0x11111111u * (uint32_t)i);
    std::string text = convertToAscii(raw);
    EXPECT_EQ("[ 0x00000051,\n"
              "0x11111111,0x22222222,0x33333333,0x44444444,0x55555555,0x66666666,\n"
              "0x77777777, ]",
              text);
    size_t firstLine = text.find('\n') + 1;
    EXPECT_EQ(67u, text.find('\n', firstLine) + 1 - firstLine);
}

TEST(DelayedDataFormat, HeaderNumberIsBodyLengthPlusOne)
{
    for (size_t n : {0u, 1u, 4u, 23u, 24u, 25u, 97u, 1000u}) {
        std::string text = convertToAscii(pattern(n));
        size_t body = text.find('\n') + 1;
        unsigned header = (unsigned)strtoul(text.c_str() + 2, NULL, 16);
        EXPECT_EQ(text.size() - body + 1, header) << n << " bytes";
    }
}

TEST(DelayedDataFormat, BinaryWordsAreBigEndianWithFillBytes)
{
    std::string raw = pattern(4 * 1001);
    EXPECT_EQ(be32(1001) + raw, convertToBinary(raw));
    EXPECT_EQ(be32(2) + std::string("\x01\x02\x03\x04\x05\x06\x20\x20", 8),
              convertToBinary(std::string("\x01\x02\x03\x04\x05\x06", 6)));
    EXPECT_EQ(be32(0), convertToBinary(""));
}

TEST(DelayedDataFormat, AsciiToRawStripsFillBytes)
{
    init();
    TempDir dir;
    SoSFDelayedData field;
    for (short pad = 0; pad < 4; pad++) {
        std::string raw = pattern(4 * 13 - pad);
        std::string text = convertToAscii(raw);
        std::string body = text.substr(text.find('\n') + 1) + "\n";
        std::string out = dir.file("out" + std::to_string(pad));
        int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(1, field.writeAsciiToBinary(body.data(), NULL, fd, (long)body.size(), pad));
        close(fd);
        EXPECT_EQ(raw, TempDir::readFile(out)) << "pad " << pad;
    }
    // A damaged word stops the extraction.
    std::string body = "0x0102zz04, ]\n";
    EXPECT_EQ(0, field.writeAsciiToBinary(body.data(), NULL, -1, (long)body.size(), 0));
}

TEST(DelayedDataFormat, StripPaddingWritesTheLeadingBytes)
{
    TempDir dir;
    SoSFDelayedData field;
    std::string out = dir.file("strip");
    int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    field.writeLongStripPadding(fd, 0x41424344u, 1);
    field.writeLongStripPadding(fd, 0x45464748u, 3);
    field.writeLongStripPadding(fd, 0x494a4b4cu, 4);
    field.writeLongStripPadding(fd, 0x4d4e4f50u, 0);
    close(fd);
    EXPECT_EQ("ABCEMNOP", TempDir::readFile(out));
}

TEST(DelayedDataFormat, FieldDescriptionNamesMFULong)
{
    init();
    TempDir dir;
    SoSeparator *root = new SoSeparator;
    root->ref();
    root->addChild(mediaNode(dir, "abcdefgh"));
    writeScene(root, dir.file("scene.iv"), false);
    root->unref();
    std::string text = TempDir::readFile(dir.file("scene.iv"));
    EXPECT_NE(std::string::npos, text.find("MFULong mediaData")) << text;
    EXPECT_EQ(SoSFDelayedData::getClassTypeId(), SoType::fromName("MFULong"));
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
    std::string raw = pattern(n);

    SoSeparator *root = new SoSeparator;
    root->ref();
    root->addChild(mediaNode(dir, raw));
    writeScene(root, dir.file("a.iv"), binary);
    root->unref();

    SoSeparator *read = readScene(dir.file("a.iv"));
    ASSERT_TRUE(read) << readErrors();
    GspMediaTestNode *node = firstMedia(read);
    ASSERT_TRUE(node);
    EXPECT_EQ(raw, node->mediaBytes());

    // Write again in both encodings, from the delayed or cached source.
    writeScene(read, dir.file("b.iv"), binary);
    writeScene(read, dir.file("c.iv"), !binary);
    EXPECT_EQ(TempDir::readFile(dir.file("a.iv")), TempDir::readFile(dir.file("b.iv")));
    read->unref();

    SoSeparator *other = readScene(dir.file("c.iv"));
    ASSERT_TRUE(other) << readErrors();
    EXPECT_EQ(raw, firstMedia(other)->mediaBytes());
    other->unref();
    SoSFDelayedData::supportDelayedReading = 0;
    EXPECT_EQ("", readErrors());
}

INSTANTIATE_TEST_SUITE_P(
    SizesEncodingsModes, DelayedDataRoundTrip,
    ::testing::Combine(::testing::Values(1, 5, 24, 27, 4 * 1001 + 2, 100003),
                       ::testing::Bool(), ::testing::Bool()));

TEST(DelayedDataFormat, WriteCallbackRunsInBothPasses)
{
    init();
    TempDir dir;
    static int calls[2];
    calls[0] = calls[1] = 0;
    GspMediaTestNode *node = mediaNode(dir, "abcdefgh");
    node->ref();
    node->mediaData.setWriteCB([](const SoSFDelayedData *, SoOutput *out) {
        calls[out->getStage() == SoOutput::WRITE]++;
    });
    SoOutput out;
    out.setBuffer(malloc(64), 64, realloc);
    SoWriteAction wa(&out);
    wa.apply(node);
    EXPECT_EQ(1, calls[0]);  // counting pass
    EXPECT_EQ(1, calls[1]);  // writing pass
    void *buf;
    size_t n;
    out.getBuffer(buf, n);
    free(buf);
    node->unref();
}
