#ifndef GLOSSPIN_BENCH_SOAK_H
#define GLOSSPIN_BENCH_SOAK_H

#include <vector>

// A long tour: a sequencer in continuous play, started again whenever it
// comes to its end, over markers with three notes each whose stand-in
// player exits at once. The process's resources are sampled at the start
// at the end of each tour that completes a multiple of `every` marker
// changes (when nothing plays), and after the last.
namespace GspSoak {

struct Sample {
    int changes;
    int descriptors;
    int children;
    int tempFiles;  // in TMPDIR
    long residentKiB;
};

// Needs the Xt layer (GspTest::topLevel). Returns the samples, the first
// taken before the first play.
std::vector<Sample> run(int markers, int changes, int every);

void print(const std::vector<Sample> &samples);

// The process's resources now, counted as after changes.
Sample sample(int changes);

}

#endif
