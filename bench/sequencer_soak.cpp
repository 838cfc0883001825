// The long tour: continuous play over 50 markers with three notes each,
// 2,000 marker changes, the process's resources printed every 500. Exits
// 1 when descriptors, children or temporary files grow, or resident
// memory grows by more than a mebibyte after the first tour. Run it in
// the sanitizer build (GLOSSPIN_SANITIZE) with a display, with the
// sanitizer's quarantine off (ASAN_OPTIONS=quarantine_size_mb=0:
// thread_local_quarantine_size_kb=0:malloc_context_size=0): freed memory
// it holds back, and the allocation stacks it records, would count as
// growth.
//
// Then the application opens the sample scene and starts a new one, 200
// times, its resources printed every 50 (a scene released must go with
// all it made).
#include <stdio.h>

// gtest (in the test support) before X11, whose macros clash with it.
#include "support/XtTestEnv.h"

#include "GspApplication.h"
#include "support/Soak.h"
#include "support/TempDir.h"

namespace {

bool flat(const std::vector<GspSoak::Sample> &s, size_t expected)
{
    bool ok = s.size() == expected;
    for (size_t i = 1; ok && i < s.size(); i++)
        ok = s[i].descriptors == s[0].descriptors && s[i].children == 0 &&
             s[i].tempFiles == s[0].tempFiles && s[i].residentKiB - s[1].residentKiB <= 1024;
    printf("%s\n", ok ? "flat" : "GROWS (or the tour stalled)");
    return ok;
}

std::vector<GspSoak::Sample> openAndNew(int times, int every)
{
    GspApplication::Options none;
    GspApplication app(GspTest::topLevel(), none);
    std::vector<GspSoak::Sample> s;
    for (int i = 1; i <= times; i++) {
        app.open(GLOSSPIN_SAMPLE_DIR "/annotated.iv");
        GspTest::pumpEvents(5);
        app.command(GspApplication::FILE_NEW);
        GspTest::pumpEvents(5);
        if (i == 1 || i % every == 0) {
            GspTest::pumpEvents(200);  // released heads go from the delay queue
            s.push_back(GspSoak::sample(i));
        }
    }
    return s;
}

}

int main()
{
    TempDir tmp;
    std::vector<GspSoak::Sample> s = GspSoak::run(50, 2000, 500);
    GspSoak::print(s);
    bool ok = flat(s, 1 + 2000 / 500);
    printf("\nFile > Open of the sample, then File > New, 200 times\n");
    s = openAndNew(200, 50);
    GspSoak::print(s);
    return flat(s, 1 + 200 / 50) && ok ? 0 : 1;
}
