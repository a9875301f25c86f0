// ClipLineInArea (the Cohen-Sutherland clipper every undashed line of the view goes through) on 10^6
// random segments, against a plain Liang-Barsky clipper on the same segments in the same run.
//
// Two sets of segments, both from a fixed seed, against the rectangle [0, 1000] x [0, 800] (a
// window in pixels):
//  - "mixed": end points anywhere in [-1000, 2000] x [-800, 1600], so most segments cross an edge
//    or lie outside;
//  - "inside": end points in the rectangle, the common case of a drawing that fits the window.
// Both clippers must accept the same segments; a disagreement stops the benchmark with an error.
// At the end the program prints ClipLineInArea time / Liang-Barsky time for each set.
#include <benchmark/benchmark.h>

#include "bench_ratio.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "algorithms/clip.h"

namespace {

constexpr double kXmin = 0, kYmin = 0, kXmax = 1000, kYmax = 800;
constexpr int kSegments = 1000000;

struct Segment {
    double x1, y1, x2, y2;
};

std::vector<Segment> MakeSegments(double lo, double hi, double ylo, double yhi, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> x(lo, hi);
    std::uniform_real_distribution<double> y(ylo, yhi);
    std::vector<Segment> out(kSegments);
    for (Segment& s : out) {
        s = Segment{x(rng), y(rng), x(rng), y(rng)};
    }
    return out;
}

const std::vector<Segment>& Mixed() {
    static const std::vector<Segment> set = MakeSegments(-1000, 2000, -800, 1600, 12345);
    return set;
}

const std::vector<Segment>& Inside() {
    static const std::vector<Segment> set = MakeSegments(kXmin, kXmax, kYmin, kYmax, 54321);
    return set;
}

// The baseline: Liang-Barsky, clipping the parameter interval [0, 1] of P1 + t (P2 - P1) against
// the four edges, then forming the end points once.
int LiangBarsky(double* x1, double* y1, double* x2, double* y2, double xmin, double ymin, double xmax,
                double ymax) {
    const double dx = *x2 - *x1;
    const double dy = *y2 - *y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {*x1 - xmin, xmax - *x1, *y1 - ymin, ymax - *y1};
    double t0 = 0.0;
    double t1 = 1.0;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return -1;
            }
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0.0) {
            if (r > t1) {
                return -1;
            }
            if (r > t0) {
                t0 = r;
            }
        } else {
            if (r < t0) {
                return -1;
            }
            if (r < t1) {
                t1 = r;
            }
        }
    }
    const double ox = *x1;
    const double oy = *y1;
    if (t1 < 1.0) {
        *x2 = ox + t1 * dx;
        *y2 = oy + t1 * dy;
    }
    if (t0 > 0.0) {
        *x1 = ox + t0 * dx;
        *y1 = oy + t0 * dy;
    }
    return 0;
}

using Clipper = int (*)(double*, double*, double*, double*, double, double, double, double);

// Clips every segment; returns the number accepted and folds the clipped coordinates into *sum.
long ClipAll(const std::vector<Segment>& set, Clipper clip, double* sum) {
    long accepted = 0;
    double s = 0;
    for (const Segment& seg : set) {
        double x1 = seg.x1, y1 = seg.y1, x2 = seg.x2, y2 = seg.y2;
        if (clip(&x1, &y1, &x2, &y2, kXmin, kYmin, kXmax, kYmax) == 0) {
            ++accepted;
            s += x1 + y1 + x2 + y2;
        }
    }
    *sum = s;
    return accepted;
}

// Both clippers must accept the same segments (up to a handful that only graze a corner, where the
// two decide by rounding).
bool SameAcceptance(const std::vector<Segment>& set) {
    double a = 0;
    double b = 0;
    const long ours = ClipAll(set, ClipLineInArea, &a);
    const long base = ClipAll(set, LiangBarsky, &b);
    return std::labs(ours - base) <= 10;
}

void Run(benchmark::State& state, const std::vector<Segment>& set, Clipper clip) {
    if (!SameAcceptance(set)) {
        state.SkipWithError("ClipLineInArea and Liang-Barsky disagree");
        return;
    }
    long accepted = 0;
    for (auto _ : state) {
        double sum = 0;
        accepted = ClipAll(set, clip, &sum);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(set.size()));
    state.counters["accepted"] = static_cast<double>(accepted);
}

void ClipLineInArea_Mixed(benchmark::State& state) {
    Run(state, Mixed(), ClipLineInArea);
}
void LiangBarsky_Mixed(benchmark::State& state) {
    Run(state, Mixed(), LiangBarsky);
}
void ClipLineInArea_Inside(benchmark::State& state) {
    Run(state, Inside(), ClipLineInArea);
}
void LiangBarsky_Inside(benchmark::State& state) {
    Run(state, Inside(), LiangBarsky);
}

BENCHMARK(ClipLineInArea_Mixed)->Unit(benchmark::kMillisecond);
BENCHMARK(LiangBarsky_Mixed)->Unit(benchmark::kMillisecond);
BENCHMARK(ClipLineInArea_Inside)->Unit(benchmark::kMillisecond);
BENCHMARK(LiangBarsky_Inside)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return draft2d::bench::RunAndPrintRatios(argc, argv, [](const draft2d::bench::RatioReporter& times) {
        for (const char* set : {"Mixed", "Inside"}) {
            const double ours = times.Time(std::string("ClipLineInArea_") + set);
            const double base = times.Time(std::string("LiangBarsky_") + set);
            if (ours > 0 && base > 0)
                std::printf("ClipLineInArea / Liang-Barsky on 10^6 %s segments: %.2f\n", set, ours / base);
        }
    });
}
