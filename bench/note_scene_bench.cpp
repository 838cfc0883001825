// A scene of 20 image notes holding 64 MiB of media: opened with delayed
// reading, then saved as ASCII and as binary, each beside cp of the same
// file on the same run. Prints the ratios after the runs.
#include <benchmark/benchmark.h>

#include "support/RatioReporter.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <map>
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

const int NOTES = 20;
const size_t MEDIA_BYTES = (size_t)64 << 20;

std::string pattern(size_t n, unsigned seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; i++)
        s[i] = (char)((i * 7 + seed) & 0xff);
    return s;
}

void write(SoNode *root, const std::string &path, bool binary)
{
    SoOutput out;
    out.setBinary(binary);
    out.openFile(path.c_str());
    SoWriteAction wa(&out);
    wa.apply(root);
    out.closeFile();
}

SoSeparator *read(const std::string &path)
{
    SoInput in;
    if (!in.openFile(path.c_str()))
        return NULL;
    SoSeparator *root = SoDB::readAll(&in);
    if (root)
        root->ref();
    return root;
}

// The scene in both formats, written once.
struct Scenes {
    TempDir dir;
    std::string file[2];
    Scenes()
    {
        SoDB::init();
        ZnInit::initClasses();
        SoSeparator *root = new SoSeparator;
        root->ref();
        for (int i = 0; i < NOTES; i++) {
            std::string raw = dir.file("media" + std::to_string(i) + ".raw");
            TempDir::writeFile(raw, pattern(MEDIA_BYTES / NOTES, (unsigned)i));
            ZnImageNote *note = new ZnImageNote;
            note->setDataFilename(raw.c_str(), 1);
            root->addChild(note);
        }
        file[0] = dir.file("notes-ascii.iv");
        file[1] = dir.file("notes-binary.iv");
        write(root, file[0], false);
        write(root, file[1], true);
        root->unref();  // removes the raw files
    }
};

Scenes &scenes()
{
    static Scenes s;
    return s;
}

// state.range(0): the file read, 0 ASCII, 1 binary.
void BM_OpenDelayed(benchmark::State &state)
{
    const std::string &file = scenes().file[state.range(0)];
    SoSFDelayedData::supportDelayedReading = 1;
    for (auto _ : state) {
        SoSeparator *root = read(file);
        if (!root) {
            state.SkipWithError("read failed");
            break;
        }
        root->unref();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)MEDIA_BYTES);
}

// state.range(0): the file read; state.range(1): the format saved.
void BM_Save(benchmark::State &state)
{
    const std::string &file = scenes().file[state.range(0)];
    std::string out = scenes().dir.file("saved");
    SoSFDelayedData::supportDelayedReading = 1;
    SoSeparator *root = read(file);
    if (!root) {
        state.SkipWithError("read failed");
        return;
    }
    for (auto _ : state)
        write(root, out, state.range(1) != 0);
    root->unref();
    unlink(out.c_str());
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)MEDIA_BYTES);
}

// cp of the file of state.range(0) format: the physical reference.
void BM_Cp(benchmark::State &state)
{
    const std::string &file = scenes().file[state.range(0)];
    std::string out = scenes().dir.file("copied");
    std::string command = "cp '" + file + "' '" + out + "'";
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        int status = system(command.c_str());
        auto t1 = std::chrono::steady_clock::now();
        if (status != 0) {
            state.SkipWithError("cp failed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    unlink(out.c_str());
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)MEDIA_BYTES);
}


}

BENCHMARK(BM_OpenDelayed)->Arg(0)->Arg(1)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->ArgsProduct({{0, 1}, {0, 1}})->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cp)->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const char *cpA = "BM_Cp/0/iterations:3/manual_time", *cpB = "BM_Cp/1/iterations:3/manual_time";
    printf("\nTime against cp of the same file (lower is faster):\n");
    reporter.printRatio("open ASCII, delayed / cp ASCII", "BM_OpenDelayed/0/iterations:5", cpA);
    reporter.printRatio("open binary, delayed / cp binary", "BM_OpenDelayed/1/iterations:5", cpB);
    reporter.printRatio("ASCII saved as ASCII / cp ASCII", "BM_Save/0/0/iterations:3", cpA);
    reporter.printRatio("binary saved as ASCII / cp ASCII", "BM_Save/1/0/iterations:3", cpA);
    reporter.printRatio("ASCII saved as binary / cp binary", "BM_Save/0/1/iterations:3", cpB);
    reporter.printRatio("binary saved as binary / cp binary", "BM_Save/1/1/iterations:3", cpB);
    benchmark::Shutdown();
    return 0;
}
