// A scene of 20 image notes holding 64 MiB of media, opened with delayed
// reading and saved in each encoding, each save timed alternately with cp
// of the same file; then, in a child process, the peak memory of
// opening, copying and saving a scene of 1 GiB against an empty scene.
#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include <Glosspin/SoSFDelayedData.h>
#include <Glosspin/ZnImageNote.h>
#include <Glosspin/ZnInit.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoSeparator.h>

#include "support/Alternation.h"
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

void save(SoNode *root, const std::string &path, bool binary)
{
    SoOutput out;
    out.setBinary(binary);
    out.openFile(path.c_str());
    SoWriteAction(&out).apply(root);
    out.closeFile();
}

SoSeparator *openScene(const std::string &path)
{
    SoSFDelayedData::supportDelayedReading = 1;
    SoInput in;
    if (!in.openFile(path.c_str()))
        return NULL;
    SoSeparator *root = SoDB::readAll(&in);
    if (root)
        root->ref();
    return root;
}

void setUp()
{
    static bool done = (SoDB::init(), ZnInit::initClasses(), ZnNote::newNotesInline = 1, true);
    (void)done;
}

// A scene of notes holding bytes of media in all, in both encodings.
struct Scenes {
    TempDir dir;
    std::string file[2];
    Scenes(int notes, size_t bytes, const char *name)
    {
        setUp();
        SoSeparator *root = new SoSeparator;
        root->ref();
        for (int i = 0; i < notes; i++) {
            std::string raw = dir.file("media" + std::to_string(i) + ".raw");
            FILE *f = fopen(raw.c_str(), "wb");
            std::string chunk = pattern(bytes / notes < (1u << 20) ? bytes / notes : 1u << 20, i);
            for (size_t n = 0; n < bytes / notes; n += chunk.size())
                fwrite(chunk.data(), 1, chunk.size(), f);
            fclose(f);
            ZnImageNote *note = new ZnImageNote;
            note->setDataFilename(raw.c_str(), 1);
            root->addChild(note);
        }
        file[0] = dir.file(std::string(name) + "-ascii.iv");
        file[1] = dir.file(std::string(name) + "-binary.iv");
        save(root, file[0], false);
        save(root, file[1], true);
        root->unref();  // removes the raw files
    }
};

Scenes &scenes()
{
    static Scenes s(NOTES, MEDIA_BYTES, "notes");
    return s;
}

double cp(const std::string &from, const std::string &to)
{
    std::string command = "cp '" + from + "' '" + to + "'";
    return GspBench::noTime([&] {
        if (system(command.c_str()) != 0)
            fprintf(stderr, "cp failed\n");
    });
}

// state.range(0): the file read, 0 ASCII, 1 binary; state.range(1): the
// encoding saved.
void BM_Save(benchmark::State &state)
{
    SoSeparator *root = openScene(scenes().file[state.range(0)]);
    if (!root) {
        state.SkipWithError("read failed");
        return;
    }
    std::string out = scenes().dir.file("saved");
    for (auto _ : state)
        save(root, out, state.range(1) != 0);
    root->unref();
    unlink(out.c_str());
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)MEDIA_BYTES);
}

long peakKiB()
{
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

// Opens a scene, copies it through memory and pastes it, and saves it
// in both encodings; prints the peak resident size afterwards and the
// bytes the copy held (file names, not media). Run in a fresh process ("--peak FILE DIR").
int peakAfterUse(const char *file, const std::string &dir)
{
    setUp();
    SoSeparator *root = openScene(file);
    if (!root)
        return 1;
    SoOutput out;
    out.setBuffer(malloc(1 << 16), 1 << 16, realloc);
    SoWriteAction(&out).apply(root);
    void *buf;
    size_t size;
    out.getBuffer(buf, size);
    SoInput in;
    in.setBuffer(buf, size);
    SoSeparator *pasted = SoDB::readAll(&in);
    if (pasted) {
        pasted->ref();
        pasted->unref();
    }
    free(buf);
    save(root, dir + "/saved.iv", false);
    save(root, dir + "/saved.bin", true);
    root->unref();
    printf("%ld %zu\n", peakKiB(), size);
    return 0;
}

// The peak of a fresh process using the scene file: KiB, or -1.
long peakOf(const std::string &file, size_t &copied)
{
    std::string command = "/proc/" + std::to_string(getpid()) + "/exe --peak '" + file + "' '" +
                          scenes().dir.path() + "'";
    FILE *p = popen(command.c_str(), "r");
    long kib = -1;
    if (p && fscanf(p, "%ld %zu", &kib, &copied) != 2)
        kib = -1;
    if (p && pclose(p) != 0)
        kib = -1;
    return kib;
}

void printMemory()
{
    Scenes empty(0, 0, "empty"), large(16, (size_t)1 << 30, "large");
    size_t baseCopy = 0, largeCopy = 0;
    long base = peakOf(empty.file[1], baseCopy), peak = peakOf(large.file[1], largeCopy);
    if (base < 0 || peak < 0 || largeCopy == 0) {
        printf("  peak memory: measurement failed\n");
        return;
    }
    double extra = (double)(peak - base) / 1024.0;
    printf("  peak resident memory, 1 GiB of media:   %.1f MiB above an empty scene's "
           "(%.1f MiB)  %s 64\n",
           extra, base / 1024.0, extra < 64 ? "within" : "ABOVE");
}

}

BENCHMARK(BM_Save)->ArgsProduct({{0, 1}, {0, 1}})->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (argc == 4 && strcmp(argv[1], "--peak") == 0)
        return peakAfterUse(argv[2], argv[3]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    using namespace GspBench;
    printf("\nRatios, each pair timed alternately: median [quartiles] (lower is faster)\n");
    const char *names[] = {"ASCII", "binary"};
    for (int from = 0; from < 2; from++)
        for (int to = 0; to < 2; to++) {
            SoSeparator *root = openScene(scenes().file[from]);
            std::string saved = scenes().dir.file("saved"), copied = scenes().dir.file("copied");
            std::string label = std::string(names[from]) + " saved as " + names[to] + " / cp " +
                                names[to];
            print(label.c_str(),
                  alternate([&] { return noTime([&] { save(root, saved, to); }); },
                            [&] { return cp(scenes().file[to], copied); }, 7),
                  from == to ? 1.5 : 3);
            root->unref();
            unlink(saved.c_str());
            unlink(copied.c_str());
        }
    printMemory();
    return 0;
}
