#ifndef GLOSSPIN_BENCH_RATIOREPORTER_H
#define GLOSSPIN_BENCH_RATIOREPORTER_H

#include <benchmark/benchmark.h>

#include <stdio.h>

#include <map>
#include <string>
#include <vector>

// The console report, plus each run's time per iteration, so that a
// benchmark can print ratios between runs at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            if (r.iterations > 0)
                seconds[r.benchmark_name()] = r.GetAdjustedRealTime() /
                                              benchmark::GetTimeUnitMultiplier(r.time_unit);
    }
    double get(const std::string &name) const
    {
        auto it = seconds.find(name);
        return it == seconds.end() ? 0 : it->second;
    }
    // "label  a/b  (a ms vs b ms)", when both runs took place.
    void printRatio(const char *label, const std::string &a, const std::string &b) const
    {
        double x = get(a), y = get(b);
        if (x > 0 && y > 0)
            printf("  %-44s %8.3f  (%.1f ms vs %.1f ms)\n", label, x / y, x * 1e3, y * 1e3);
    }
};

#endif
