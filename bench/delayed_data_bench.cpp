// The delayed-read block's costs against their physical references, each
// pair timed alternately: the hex codec against memcpy of the same bytes,
// and opening a scene with delayed reading against a read by the toolkit
// alone, at two media sizes. Google Benchmark gives the absolute speeds.
#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include <Glosspin/SoSFDelayedData.h>
#include <Glosspin/ZnImageNote.h>
#include <Glosspin/ZnInit.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoSeparator.h>

#include "field/DelayedDataCodec.h"
#include "support/Alternation.h"
#include "support/TempDir.h"

using namespace GspDelayedCodec;

namespace {

const size_t CODEC_BYTES = 8u << 20;
const long CODEC_WORDS = CODEC_BYTES / 4;

std::string pattern(size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; i++)
        s[i] = (char)((i * 131 + 7) & 0xff);
    return s;
}

struct Codec {
    std::string raw = pattern(CODEC_BYTES);
    std::vector<char> copy = std::vector<char>(CODEC_BYTES);
    std::vector<char> text =
        std::vector<char>(CODEC_WORDS * WORD_CHARS + CODEC_WORDS + ENCODE_SLACK);
    std::vector<unsigned char> back = std::vector<unsigned char>(CODEC_BYTES);

    void memcpyRaw() { memcpy(copy.data(), raw.data(), CODEC_BYTES); }
    void encode()
    {
        int column = 0;
        encodeWords((const unsigned char *)raw.data(), CODEC_WORDS, column, text.data());
    }
    bool decode() { return decodeLines(text.data(), CODEC_WORDS / WORDS_PER_LINE, back.data()); }
};

Codec &codec()
{
    static Codec c;
    static bool ready = (c.encode(), true);
    (void)ready;
    return c;
}

void setUp()
{
    static bool done = false;
    if (!done) {
        SoDB::init();
        ZnInit::initClasses();
        ZnNote::newNotesInline = 1;
        done = true;
    }
}

// A scene of one image note holding bytes of media, in both encodings.
struct SceneFiles {
    TempDir dir;
    std::string ascii, binary;
    explicit SceneFiles(size_t bytes)
    {
        setUp();
        std::string raw = dir.file("media.raw");
        FILE *f = fopen(raw.c_str(), "wb");
        std::string chunk = pattern(1 << 20);
        for (size_t n = 0; n < bytes; n += chunk.size())
            fwrite(chunk.data(), 1, chunk.size(), f);
        fclose(f);
        SoSeparator *root = new SoSeparator;
        root->ref();
        ZnImageNote *note = new ZnImageNote;
        note->setDataFilename(raw.c_str(), 0);
        root->addChild(note);
        ascii = dir.file("media-ascii.iv");
        binary = dir.file("media-binary.iv");
        for (int b = 0; b < 2; b++) {
            SoOutput out;
            out.setBinary(b);
            out.openFile((b ? binary : ascii).c_str());
            SoWriteAction(&out).apply(root);
            out.closeFile();
        }
        root->unref();
        unlink(raw.c_str());
    }
};

SceneFiles &scenes(int large)
{
    static SceneFiles small(64u << 20);
    if (!large)
        return small;
    static SceneFiles big(512u << 20);
    return big;
}

bool openDelayed(const std::string &file)
{
    SoSFDelayedData::supportDelayedReading = 1;
    SoInput in;
    if (!in.openFile(file.c_str()))
        return false;
    SoSeparator *root = SoDB::readAll(&in);
    if (root) {
        root->ref();
        root->unref();
    }
    return root != NULL;
}

// The seconds a program that links only the toolkit takes to read file.
double plainRead(const std::string &file)
{
    std::string command = std::string(PLAIN_READER) + " " + file;
    FILE *p = popen(command.c_str(), "r");
    double seconds = -1;
    if (!p || fscanf(p, "%lf", &seconds) != 1 || pclose(p) != 0)
        return -1;
    return seconds;
}

void BM_Memcpy(benchmark::State &state)
{
    for (auto _ : state) {
        codec().memcpyRaw();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)CODEC_BYTES);
}

void BM_Encode(benchmark::State &state)
{
    for (auto _ : state) {
        codec().encode();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)CODEC_BYTES);
}

void BM_Decode(benchmark::State &state)
{
    for (auto _ : state)
        if (!codec().decode())
            state.SkipWithError("decoding failed");
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)CODEC_BYTES);
}

// state.range(0): 0 ASCII, 1 binary.
void BM_OpenDelayed(benchmark::State &state)
{
    const SceneFiles &s = scenes(0);
    for (auto _ : state)
        if (!openDelayed(state.range(0) ? s.binary : s.ascii))
            state.SkipWithError("read failed");
}

}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDelayed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    using namespace GspBench;
    Codec &c = codec();
    printf("\nRatios, each pair timed alternately: median [quartiles] (lower is faster)\n");
    print("encode / memcpy",
          alternate([&] { return noTime([&] { c.encode(); }); },
                    [&] { return noTime([&] { c.memcpyRaw(); }); }, 31),
          8);
    print("decode / memcpy",
          alternate([&] { return noTime([&] { c.decode(); }); },
                    [&] { return noTime([&] { c.memcpyRaw(); }); }, 31),
          12);
    const SceneFiles &small = scenes(0), &big = scenes(1);
    print("open ASCII delayed / toolkit alone",
          alternate([&] { return noTime([&] { openDelayed(small.ascii); }); },
                    [&] { return plainRead(small.ascii); }, 3),
          0.01);
    print("open binary delayed / toolkit alone",
          alternate([&] { return noTime([&] { openDelayed(small.binary); }); },
                    [&] { return plainRead(small.binary); }, 3));
    print("open ASCII delayed, 512 MiB / 64 MiB",
          alternate([&] { return noTime([&] { openDelayed(big.ascii); }); },
                    [&] { return noTime([&] { openDelayed(small.ascii); }); }, 21),
          1.2);
    print("open binary delayed, 512 MiB / 64 MiB",
          alternate([&] { return noTime([&] { openDelayed(big.binary); }); },
                    [&] { return noTime([&] { openDelayed(small.binary); }); }, 21),
          1.2);
    return 0;
}
