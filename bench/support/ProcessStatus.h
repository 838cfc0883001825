#ifndef GLOSSPIN_BENCH_PROCESSSTATUS_H
#define GLOSSPIN_BENCH_PROCESSSTATUS_H

#include <stdio.h>
#include <string.h>

namespace GspBench {

// A memory figure of this process in KiB, by its field in
// /proc/self/status ("VmRSS:", "VmHWM:"); 0 when it cannot be read.
inline long statusKiB(const char *field)
{
    long kib = 0;
    if (FILE *f = fopen("/proc/self/status", "r")) {
        char line[256];
        size_t n = strlen(field);
        while (fgets(line, sizeof line, f))
            if (!strncmp(line, field, n) && sscanf(line + n, " %ld", &kib) == 1)
                break;
        fclose(f);
    }
    return kib;
}

}

#endif
