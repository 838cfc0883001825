#ifndef GLOSSPIN_BENCH_ALTERNATION_H
#define GLOSSPIN_BENCH_ALTERNATION_H

#include <stdio.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

// Times a subject against its reference alternately (A, B, A, B ...) and
// keeps the ratio of each pair, so that a machine that slows down or
// speeds up moves both sides of a ratio alike. A timed function may
// return its own time in seconds (a child process timing itself), or a
// negative number to be timed from outside.
namespace GspBench {

typedef std::function<double()> Timed;

struct Ratio {
    double median, low, high;      // median ratio, its quartiles
    double subjectMs, referenceMs;  // median times
};

inline double timeOf(const Timed &f)
{
    auto t0 = std::chrono::steady_clock::now();
    double own = f();
    auto t1 = std::chrono::steady_clock::now();
    return own >= 0 ? own : std::chrono::duration<double>(t1 - t0).count();
}

inline double quantile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    double at = q * (double)(v.size() - 1);
    size_t i = (size_t)at;
    return i + 1 < v.size() ? v[i] + (at - (double)i) * (v[i + 1] - v[i]) : v[i];
}

// One untimed round of each first, to warm caches and page tables.
inline Ratio alternate(const Timed &subject, const Timed &reference, int rounds)
{
    subject();
    reference();
    std::vector<double> ratios, a, b;
    for (int i = 0; i < rounds; i++) {
        double ta = timeOf(subject), tb = timeOf(reference);
        a.push_back(ta);
        b.push_back(tb);
        ratios.push_back(ta / tb);
    }
    return {quantile(ratios, 0.5), quantile(ratios, 0.25), quantile(ratios, 0.75),
            quantile(a, 0.5) * 1e3, quantile(b, 0.5) * 1e3};
}

// "label  median [q1 .. q3]  (a ms vs b ms)  target", the target a bound
// the median must keep (0: none).
inline void print(const char *label, const Ratio &r, double target = 0)
{
    printf("  %-40s %8.4f  [%.4f .. %.4f]  (%.2f ms vs %.2f ms)", label, r.median, r.low, r.high,
           r.subjectMs, r.referenceMs);
    if (target > 0)
        printf("  %s %.2f", r.median <= target ? "within" : "ABOVE", target);
    printf("\n");
}

inline double noTime(const std::function<void()> &f)
{
    f();
    return -1;
}

}

#endif
