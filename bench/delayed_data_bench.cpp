// Throughput of the delayed-read block converters beside memcpy, and the
// cost of reading a scene that holds 64 MiB of media: delayed, cached,
// and by the toolkit alone. Prints the ratios after the runs.
#include <benchmark/benchmark.h>

#include "support/RatioReporter.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>

#include <Glosspin/SoSFDelayedData.h>
#include <Glosspin/ZnImageNote.h>
#include <Glosspin/ZnInit.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoSeparator.h>

#include "support/TempDir.h"

namespace {

const size_t CODEC_BYTES = 8u << 20;
const size_t SCENE_MEDIA_BYTES = 64u << 20;

std::string pattern(size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; i++)
        s[i] = (char)((i * 131 + 7) & 0xff);
    return s;
}

const std::string &rawBlock()
{
    static std::string raw = pattern(CODEC_BYTES);
    return raw;
}

// The ASCII body of rawBlock() as it stands in a scene file.
const std::string &asciiBody()
{
    static std::string body;
    if (body.empty()) {
        SoSFDelayedData field;
        SoOutput out;
        out.setBuffer(malloc(1 << 20), 1 << 20, realloc);
        field.writeBinaryToAscii(rawBlock().data(), &out, (long)rawBlock().size());
        void *buf;
        size_t n;
        out.getBuffer(buf, n);
        std::string text((const char *)buf, n);
        free(buf);
        body = text.substr(text.find("[ 0x") + 14) + "\n";
    }
    return body;
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

void BM_Memcpy(benchmark::State &state)
{
    const std::string &raw = rawBlock();
    std::unique_ptr<char[]> dst(new char[raw.size()]);
    for (auto _ : state) {
        memcpy(dst.get(), raw.data(), raw.size());
        benchmark::DoNotOptimize(dst.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)raw.size());
}

// Raw bytes to a scene output: state.range(0) 0 ASCII, 1 binary.
void BM_RawToOutput(benchmark::State &state)
{
    setUp();
    SoSFDelayedData field;
    FILE *sink = fopen("/dev/null", "w");
    SoOutput out;
    out.setBinary(state.range(0) != 0);
    out.setFilePointer(sink);
    const std::string &raw = rawBlock();
    for (auto _ : state) {
        if (state.range(0))
            field.writeBinaryToBinary(raw.data(), &out, -1, (long)raw.size());
        else
            field.writeBinaryToAscii(raw.data(), &out, (long)raw.size());
    }
    fclose(sink);
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)raw.size());
}

void BM_AsciiToRaw(benchmark::State &state)
{
    setUp();
    SoSFDelayedData field;
    const std::string &body = asciiBody();
    int sink = open("/dev/null", O_WRONLY);
    for (auto _ : state)
        if (!field.writeAsciiToBinary(body.data(), NULL, sink, (long)body.size(), 0))
            state.SkipWithError("decoding failed");
    close(sink);
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)rawBlock().size());
}

// The two scene files, written once.
struct SceneFiles {
    TempDir dir;
    std::string ascii, binary;
    SceneFiles()
    {
        setUp();
        TempDir::writeFile(dir.file("media.raw"), pattern(SCENE_MEDIA_BYTES));
        SoSeparator *root = new SoSeparator;
        root->ref();
        ZnImageNote *node = new ZnImageNote;
        node->setDataFilename(dir.file("media.raw").c_str(), 0);
        root->addChild(node);
        ascii = dir.file("media-ascii.iv");
        binary = dir.file("media-binary.iv");
        for (int b = 0; b < 2; b++) {
            SoOutput out;
            out.setBinary(b);
            out.openFile((b ? binary : ascii).c_str());
            SoWriteAction wa(&out);
            wa.apply(root);
            out.closeFile();
        }
        root->unref();
        unlink(dir.file("media.raw").c_str());
    }
};

SceneFiles &scenes()
{
    static SceneFiles files;
    return files;
}

// state.range(0): 0 ASCII, 1 binary; state.range(1): 0 cached, 1 delayed.
void BM_ReadScene(benchmark::State &state)
{
    const std::string &file = state.range(0) ? scenes().binary : scenes().ascii;
    SoSFDelayedData::supportDelayedReading = (int)state.range(1);
    for (auto _ : state) {
        SoInput in;
        in.openFile(file.c_str());
        SoSeparator *root = SoDB::readAll(&in);
        if (!root) {
            state.SkipWithError("read failed");
            break;
        }
        root->ref();
        root->unref();
    }
    SoSFDelayedData::supportDelayedReading = 0;
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)SCENE_MEDIA_BYTES);
}

// The same files read by a program that links only the toolkit.
void BM_ReadScenePlainToolkit(benchmark::State &state)
{
    const std::string &file = state.range(0) ? scenes().binary : scenes().ascii;
    std::string command = std::string(PLAIN_READER) + " " + file;
    for (auto _ : state) {
        FILE *p = popen(command.c_str(), "r");
        double seconds = -1;
        if (!p || fscanf(p, "%lf", &seconds) != 1 || pclose(p) != 0 || seconds < 0) {
            state.SkipWithError("plain reader failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)SCENE_MEDIA_BYTES);
}


}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawToOutput)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AsciiToRaw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadScene)->ArgsProduct({{0, 1}, {0, 1}})->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadScenePlainToolkit)->Arg(0)->Arg(1)->Iterations(2)->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    printf("\nTime ratios (lower is faster):\n");
    reporter.printRatio("raw->ASCII / memcpy", "BM_RawToOutput/0", "BM_Memcpy");
    reporter.printRatio("ASCII->raw / memcpy", "BM_AsciiToRaw", "BM_Memcpy");
    reporter.printRatio("raw->binary / memcpy", "BM_RawToOutput/1", "BM_Memcpy");
    reporter.printRatio("ASCII read delayed / toolkit alone", "BM_ReadScene/0/1/iterations:3",
                        "BM_ReadScenePlainToolkit/0/iterations:2/manual_time");
    reporter.printRatio("ASCII read cached / toolkit alone", "BM_ReadScene/0/0/iterations:3",
                        "BM_ReadScenePlainToolkit/0/iterations:2/manual_time");
    reporter.printRatio("binary read delayed / toolkit alone", "BM_ReadScene/1/1/iterations:3",
                        "BM_ReadScenePlainToolkit/1/iterations:2/manual_time");
    reporter.printRatio("binary read cached / toolkit alone", "BM_ReadScene/1/0/iterations:3",
                        "BM_ReadScenePlainToolkit/1/iterations:2/manual_time");
    reporter.printRatio("ASCII read delayed / cached", "BM_ReadScene/0/1/iterations:3",
                        "BM_ReadScene/0/0/iterations:3");
    reporter.printRatio("binary read delayed / cached", "BM_ReadScene/1/1/iterations:3",
                        "BM_ReadScene/1/0/iterations:3");
    double delayed = reporter.get("BM_ReadScene/1/1/iterations:3");
    if (delayed > 0)
        printf("  %-44s %8.3f ns\n", "binary delayed read per media byte",
               delayed * 1e9 / (double)SCENE_MEDIA_BYTES);
    benchmark::Shutdown();
    return 0;
}
