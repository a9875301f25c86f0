// Spline fitting of 10^3 and 10^4 knots, open and closed: the solver alone (CalcCubicSpline) and the
// view's whole fits (FitCubicSpline, FitClampedSpline: conversion, solve and sampling at a 1-pixel
// step, about ten samples per knot).
//
// Baseline: the dense closed solve that the cyclic tridiagonal one replaced, the n x n system of the
// closed curve (rows of the inner points, the closing row T_0 - T_{n-1} = 0) built and solved with
// GaussJordan, at 250 and 1000 knots (10^4 knots would need 800 MB and minutes). Before timing, the
// two solutions are compared; a difference stops the benchmark with an error.
//
// At the end the program prints how each fit grows from 10^3 to 10^4 knots (10 is linear) and the
// cyclic closed solve against the dense one.
#include <benchmark/benchmark.h>

#include "bench_ratio.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "algorithms/spline.h"
#include "values/mgFitCurve.h"
#include "view/CGraphSystem.h"

namespace {

struct Knots {
    std::vector<double> x, y;
};

// A random walk of steps of 5 to 15 pixels; a closed set ends on its first point.
Knots MakeKnots(int n, bool closed) {
    std::mt19937 rng(static_cast<unsigned>(n) * 2 + closed);
    std::uniform_real_distribution<double> step(5, 15), turn(-1.2, 1.2);
    Knots k;
    double x = 0, y = 0, a = 0;
    for (int i = 0; i < n - (closed ? 1 : 0); ++i) {
        k.x.push_back(x);
        k.y.push_back(y);
        a += turn(rng);
        const double s = step(rng);
        x += s * std::cos(a);
        y += s * std::sin(a);
    }
    if (closed) {
        k.x.push_back(k.x[0]);
        k.y.push_back(k.y[0]);
    }
    return k;
}

struct Solution {
    std::vector<double> dx, dy, len;
};

bool SolveCyclic(Knots k, Solution& s) {
    int n = static_cast<int>(k.x.size());
    s.dx.assign(n, 0);
    s.dy.assign(n, 0);
    s.len.assign(n, 0);
    return CalcCubicSpline(&n, k.x.data(), k.y.data(), 1e-7, s.dx.data(), s.dy.data(), s.len.data(), 0, 0, 0,
                           0, 0);
}

// The replaced closed solve: the full system with GaussJordan.
bool SolveDense(const Knots& k, Solution& s) {
    const int n = static_cast<int>(k.x.size());
    const std::size_t N = static_cast<std::size_t>(n);
    std::vector<double> a(N * N, 0.0);
    s.dx.assign(N, 0);
    s.dy.assign(N, 0);
    s.len.assign(N, 0);
    std::vector<double>& L = s.len;
    for (int i = 0; i + 1 < n; ++i)
        L[i] = std::hypot(k.x[i + 1] - k.x[i], k.y[i + 1] - k.y[i]);
    auto at = [&](int r, int c) -> double& { return a[r * N + c]; };
    const int m = n - 2; // the segment before point 0
    at(0, 0) = 2 / L[m] + 2 / L[0];
    at(0, 1) = 1 / L[0];
    at(0, m) = 1 / L[m];
    s.dx[0] = 3 * ((k.x[n - 1] - k.x[m]) / (L[m] * L[m]) + (k.x[1] - k.x[0]) / (L[0] * L[0]));
    s.dy[0] = 3 * ((k.y[n - 1] - k.y[m]) / (L[m] * L[m]) + (k.y[1] - k.y[0]) / (L[0] * L[0]));
    for (int i = 1; i + 1 < n; ++i) {
        at(i, i - 1) = L[i];
        at(i, i) = 2 * (L[i - 1] + L[i]);
        at(i, i + 1) = L[i - 1];
        s.dx[i] = 3 * ((k.x[i + 1] - k.x[i]) * L[i - 1] / L[i] + (k.x[i] - k.x[i - 1]) * L[i] / L[i - 1]);
        s.dy[i] = 3 * ((k.y[i + 1] - k.y[i]) * L[i - 1] / L[i] + (k.y[i] - k.y[i - 1]) * L[i] / L[i - 1]);
    }
    at(n - 1, 0) = 1;
    at(n - 1, n - 1) = -1;
    return GaussJordan(n, a.data(), s.dx.data(), s.dy.data());
}

bool SameSolution(int n) {
    const Knots k = MakeKnots(n, true);
    Solution cyclic, dense;
    if (!SolveCyclic(k, cyclic) || !SolveDense(k, dense))
        return false;
    for (int i = 0; i < n; ++i) {
        if (std::fabs(cyclic.dx[i] - dense.dx[i]) > 1e-9 || std::fabs(cyclic.dy[i] - dense.dy[i]) > 1e-9)
            return false;
    }
    return true;
}

void CalcCubic(benchmark::State& state, bool closed) {
    const Knots k = MakeKnots(static_cast<int>(state.range(0)), closed);
    Solution s;
    for (auto _ : state) {
        if (!SolveCyclic(k, s)) {
            state.SkipWithError("CalcCubicSpline failed");
            return;
        }
        benchmark::DoNotOptimize(s.dx.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void CalcCubic_Open(benchmark::State& state) {
    CalcCubic(state, false);
}
void CalcCubic_Closed(benchmark::State& state) {
    CalcCubic(state, true);
}

void DenseClosed(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    if (!SameSolution(n)) {
        state.SkipWithError("the cyclic and the dense closed solves disagree");
        return;
    }
    const Knots k = MakeKnots(n, true);
    Solution s;
    for (auto _ : state) {
        if (!SolveDense(k, s)) {
            state.SkipWithError("GaussJordan failed");
            return;
        }
        benchmark::DoNotOptimize(s.dx.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void Fit(benchmark::State& state, bool cubic, bool closed) {
    const int n = static_cast<int>(state.range(0));
    const Knots k = MakeKnots(n, closed);
    CGraphSystem view;
    std::size_t samples = 0;
    for (auto _ : state) {
        mgFitCurve curve;
        const bool ok = cubic ? view.FitCubicSpline(curve, n, k.x.data(), k.y.data(), 1.0, 0.5,
                                                    CGraphSystem::COORD_SCREEN, 0, 0, 0, 0, 0)
                              : view.FitClampedSpline(curve, n, k.x.data(), k.y.data(), 0, 1.0, 0.5,
                                                      CGraphSystem::COORD_SCREEN);
        if (!ok) {
            state.SkipWithError("fit failed");
            return;
        }
        samples = static_cast<std::size_t>(curve.count());
        benchmark::DoNotOptimize(curve.xs());
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["samples"] = static_cast<double>(samples);
}

void FitCubic_Open(benchmark::State& state) {
    Fit(state, true, false);
}
void FitCubic_Closed(benchmark::State& state) {
    Fit(state, true, true);
}
void FitClamped_Open(benchmark::State& state) {
    Fit(state, false, false);
}
void FitClamped_Closed(benchmark::State& state) {
    Fit(state, false, true);
}

BENCHMARK(CalcCubic_Open)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(CalcCubic_Closed)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(DenseClosed)->Arg(250)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(FitCubic_Open)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(FitCubic_Closed)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(FitClamped_Open)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(FitClamped_Closed)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return draft2d::bench::RunAndPrintRatios(argc, argv, [](const draft2d::bench::RatioReporter& times) {
        for (const char* name : {"CalcCubic_Open", "CalcCubic_Closed", "FitCubic_Open", "FitCubic_Closed",
                                 "FitClamped_Open", "FitClamped_Closed"}) {
            const double small = times.Time(std::string(name) + "/1000");
            const double large = times.Time(std::string(name) + "/10000");
            if (small > 0 && large > 0)
                std::printf("%-18s 10^4 / 10^3 knots: %.1f (10 is linear)\n", name, large / small);
        }
        const double cyclic = times.Time("CalcCubic_Closed/1000");
        const double dense = times.Time("DenseClosed/1000");
        const double dense250 = times.Time("DenseClosed/250");
        if (cyclic > 0 && dense > 0)
            std::printf("closed solve of 10^3 knots, cyclic / dense: %.5f\n", cyclic / dense);
        if (dense250 > 0 && dense > 0)
            std::printf("dense closed solve 1000 / 250 knots: %.1f (16 is quadratic, 64 cubic)\n",
                        dense / dense250);
    });
}
