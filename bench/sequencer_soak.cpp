// The long tour: continuous play over 50 markers with three notes each,
// 2,000 marker changes, the process's resources printed every 500. Exits
// 1 when descriptors, children or temporary files grow, or resident
// memory grows by more than a mebibyte after the first tour. Run it in
// the sanitizer build (GLOSSPIN_SANITIZE) with a display, with the
// sanitizer's quarantine off (ASAN_OPTIONS=quarantine_size_mb=0:
// thread_local_quarantine_size_kb=0:malloc_context_size=0): freed memory
// it holds back, and the allocation stacks it records, would count as
// growth.
#include <stdio.h>

#include "support/Soak.h"
#include "support/TempDir.h"

int main()
{
    TempDir tmp;
    std::vector<GspSoak::Sample> s = GspSoak::run(50, 2000, 500);
    GspSoak::print(s);
    bool flat = s.size() == 1 + 2000 / 500;
    for (size_t i = 1; flat && i < s.size(); i++)
        flat = s[i].descriptors == s[0].descriptors && s[i].children == 0 &&
               s[i].tempFiles == s[0].tempFiles && s[i].residentKiB - s[1].residentKiB <= 1024;
    printf("%s\n", flat ? "flat" : "GROWS (or the tour stalled)");
    return flat ? 0 : 1;
}
