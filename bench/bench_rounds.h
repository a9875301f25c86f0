// Ratios that hold on a busy machine: the variants of a comparison take turns pass by pass within
// each round until each has run for a minimum of thread CPU time, and the ratio is taken per round.
// Load that comes and goes then hits both sides of a ratio alike; the median of the rounds and their
// spread (lowest and highest) are what a benchmark reports.
#pragma once

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace draft2d::bench {

// One side of a comparison: a pass does a fixed amount of work and returns how many items it did.
struct RoundVariant {
    std::string name;
    std::function<long long()> pass;
};

inline double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

// Nanoseconds per item of every variant in every round: result[variant][round]. Within a round the
// variants alternate pass by pass until each has run for minSeconds, so that a change of load during
// the round falls on all of them alike.
inline std::vector<std::vector<double>> TimeInRounds(const std::vector<RoundVariant>& variants,
                                                     int rounds = 5, double minSeconds = 0.5) {
    const size_t n = variants.size();
    std::vector<std::vector<double>> ns(n);
    for (const RoundVariant& v : variants)
        v.pass(); // warm the caches and any lazily built data
    for (int r = 0; r < rounds; ++r) {
        std::vector<double> seconds(n, 0);
        std::vector<long long> items(n, 0);
        for (bool more = true; more;) {
            more = false;
            for (size_t i = 0; i < n; ++i) {
                if (seconds[i] >= minSeconds)
                    continue;
                const double t0 = ThreadCpuSeconds();
                items[i] += variants[i].pass();
                seconds[i] += ThreadCpuSeconds() - t0;
                more = more || seconds[i] < minSeconds;
            }
        }
        for (size_t i = 0; i < n; ++i)
            ns[i].push_back(seconds[i] * 1e9 / static_cast<double>(items[i] > 0 ? items[i] : 1));
    }
    return ns;
}

inline double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The per-round ratios a[r] / b[r].
inline std::vector<double> RoundRatios(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> out;
    for (size_t r = 0; r < a.size() && r < b.size(); ++r)
        out.push_back(b[r] > 0 ? a[r] / b[r] : 0);
    return out;
}

// "label = median  (spread lo-hi over N rounds; target ...)".
inline void PrintRoundRatio(const char* label, const std::vector<double>& ratios, const char* target) {
    if (ratios.empty())
        return;
    const auto mm = std::minmax_element(ratios.begin(), ratios.end());
    std::printf("  %-28s = %.3f  (rounds %.3f-%.3f, %zu of them%s%s)\n", label, Median(ratios), *mm.first,
                *mm.second, ratios.size(), target ? "; target " : "", target ? target : "");
}

// A measured value against its goal (met when the median is at most the goal): printed for the
// reader, and as one "@goal" line that scripts/run-benchmarks.sh gathers into the table it prints
// after all programs ran. unit is what the value counts ("x" for a ratio, "ns", "us").
inline void ReportGoal(const char* label, const std::vector<double>& values, double goal,
                       const char* unit = "x") {
    if (values.empty())
        return;
    const auto mm = std::minmax_element(values.begin(), values.end());
    const double median = Median(values);
    std::printf("  %-40s = %.3f %s  (rounds %.3f-%.3f, %zu of them; goal <= %g %s: %s)\n", label, median,
                unit, *mm.first, *mm.second, values.size(), goal, unit, median <= goal ? "met" : "NOT met");
    std::printf("@goal\t%s\t%.3f\t%.3f\t%.3f\t%g\t%s\n", label, median, *mm.first, *mm.second, goal, unit);
}

} // namespace draft2d::bench
