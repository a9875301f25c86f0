// Saved states of a device context: what SaveDC + RestoreDC cost, on their own, with a path under
// construction (the path is part of the saved state), and as part of the canvas every drawn path
// goes through (CGraphCanvas attached without changing the DC, the pen colour read, the text colour
// set, the canvas released: the platform calls of the line type entry). The figures are set against
// a call of the library that does next to nothing, lstrlenA of a short string, and shown beside the
// cheapest GDI call, GetBkColor, all timed in the same rounds (bench_rounds.h: five rounds, each
// variant at least half a second of CPU time, medians and spread).
#include "bench_ratio.h"
#include "bench_rounds.h"
#include "platform/devices.h"
#include "platform/win32.h"
#include "view/CGraphCanvas.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int kCalls = 100000; // per pass

long long LstrlenPass() {
    static const char* volatile text = "SaveDC";
    int sum = 0;
    for (int i = 0; i < kCalls; ++i)
        sum += lstrlenA(text);
    benchmark::DoNotOptimize(sum);
    return kCalls;
}

long long GetBkColorPass(HDC dc) {
    COLORREF sum = 0;
    for (int i = 0; i < kCalls; ++i)
        sum += GetBkColor(dc);
    benchmark::DoNotOptimize(sum);
    return kCalls;
}

long long SaveRestorePass(HDC dc) {
    for (int i = 0; i < kCalls; ++i) {
        SaveDC(dc);
        RestoreDC(dc, -1);
    }
    return kCalls;
}

// With a figure in the path: each save keeps it, each restore brings it back.
long long SaveRestoreWithPathPass(HDC dc) {
    BeginPath(dc);
    MoveToEx(dc, 10, 10, nullptr);
    for (int i = 0; i < 20; ++i)
        LineTo(dc, 10 + 3 * i, 10 + (i % 2) * 5);
    const long long n = SaveRestorePass(dc);
    AbortPath(dc);
    return n;
}

long long CanvasPass(HDC dc) {
    for (int i = 0; i < kCalls; ++i) {
        CGraphCanvas canvas(nullptr, dc, 0);
        SetTextColor(dc, static_cast<COLORREF>(canvas.GetPenColor()));
    }
    return kCalls;
}

void BM_GetBkColor(benchmark::State& state) {
    auto dev = draft2d::Device::CreateImage(64, 64);
    for (auto _ : state)
        GetBkColorPass(dev->GetDC());
    state.SetItemsProcessed(state.iterations() * kCalls);
}

void BM_SaveRestoreDC(benchmark::State& state) {
    auto dev = draft2d::Device::CreateImage(64, 64);
    for (auto _ : state)
        SaveRestorePass(dev->GetDC());
    state.SetItemsProcessed(state.iterations() * kCalls);
}

void BM_SaveRestoreDCWithPath(benchmark::State& state) {
    auto dev = draft2d::Device::CreateImage(64, 64);
    for (auto _ : state)
        SaveRestoreWithPathPass(dev->GetDC());
    state.SetItemsProcessed(state.iterations() * kCalls);
}

void BM_CanvasEntry(benchmark::State& state) {
    auto dev = draft2d::Device::CreateImage(64, 64);
    for (auto _ : state)
        CanvasPass(dev->GetDC());
    state.SetItemsProcessed(state.iterations() * kCalls);
}

BENCHMARK(BM_GetBkColor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveRestoreDC)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveRestoreDCWithPath)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CanvasEntry)->Unit(benchmark::kMillisecond);

void MeasureInRounds() {
    namespace b = draft2d::bench;
    auto dev = draft2d::Device::CreateImage(64, 64);
    HDC dc = dev->GetDC();
    const auto ns = b::TimeInRounds({{"lstrlenA", [] { return LstrlenPass(); }},
                                     {"GetBkColor", [dc] { return GetBkColorPass(dc); }},
                                     {"SaveDC+RestoreDC", [dc] { return SaveRestorePass(dc); }},
                                     {"with a path", [dc] { return SaveRestoreWithPathPass(dc); }},
                                     {"canvas entry", [dc] { return CanvasPass(dc); }}});
    std::printf(
        "\nnanoseconds a call (medians of the rounds): lstrlenA %.1f, GetBkColor %.1f, SaveDC+RestoreDC "
        "%.1f, the same with a path %.1f, canvas entry %.1f\n",
        b::Median(ns[0]), b::Median(ns[1]), b::Median(ns[2]), b::Median(ns[3]), b::Median(ns[4]));
    b::PrintRoundRatio("GetBkColor / lstrlenA", b::RoundRatios(ns[1], ns[0]), nullptr);
    b::PrintRoundRatio("SaveDC+RestoreDC / lstrlenA", b::RoundRatios(ns[2], ns[0]), nullptr);
    b::PrintRoundRatio("with a path / lstrlenA", b::RoundRatios(ns[3], ns[0]), nullptr);
    b::PrintRoundRatio("canvas entry / lstrlenA", b::RoundRatios(ns[4], ns[0]), nullptr);
}

} // namespace

int main(int argc, char** argv) {
    return draft2d::bench::RunAndPrintRatios(argc, argv, [](const draft2d::bench::RatioReporter& times) {
        if (times.Time("BM_GetBkColor") > 0 && times.Time("BM_SaveRestoreDC") > 0)
            MeasureInRounds();
    });
}
