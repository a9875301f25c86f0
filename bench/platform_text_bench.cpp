// Text output through our GDI layer against raw Cairo on the same surface size, font and line.
//
// GdiTextOut does what a drawing call of the library does for one line of text: CreateFontIndirectA
// with the same LOGFONTA every time, SelectObject, TextOutA of a 7-character GBK line, SelectObject
// back and DeleteObject. RawCairoShowGlyphs draws the same glyphs (宋体 is AR PL UMing CN) with one
// scaled font prepared in advance and glyph indices converted once, which is the least any
// Cairo-based text output can do.
// GdiMeasure is GetTextExtentPoint32A of the same line on a selected font (a cached measure).
//
// The program prints the ratio GdiTextOut / RawCairoShowGlyphs of CPU time measured in the same run,
// then measures it in rounds (bench_rounds.h: the two take turns within each round) and reports the
// median of the rounds with their spread, and the ink of one line drawn by each (the same when the
// glyphs are).
#include <benchmark/benchmark.h>

#include "bench_ratio.h"
#include "bench_rounds.h"
#include "cairo_text_baseline.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/devices.h"
#include "platform/win32.h"

namespace {

const char kLine[] = "\xd6\xd0\xce\xc4"
                     "ABC"
                     "\xca\xb5\xcf\xdf"; // 中文ABC实线: 7 characters
const char kLineUtf8[] = "\xe4\xb8\xad\xe6\x96\x87"
                         "ABC"
                         "\xe5\xae\x9e\xe7\xba\xbf";
constexpr int kEm = 16;

LOGFONTA BenchFont() {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof(lf));
    lf.lfHeight = -kEm;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = GB2312_CHARSET;
    std::strcpy(lf.lfFaceName, "\xcb\xce\xcc\xe5"); // 宋体
    return lf;
}

// One line as a drawing call of the library writes it.
bool GdiLine(HDC dc, const LOGFONTA& lf, int x) {
    HFONT f = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, f);
    const bool ok = TextOutA(dc, x, 60, kLine, static_cast<int>(sizeof(kLine) - 1)) != 0;
    SelectObject(dc, old);
    DeleteObject(f);
    return ok;
}

std::unique_ptr<draft2d::Device> TextImage() {
    auto dev = draft2d::Device::CreateImage(800, 100);
    HDC dc = dev->GetDC();
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_BASELINE);
    return dev;
}

void GdiTextOut(benchmark::State& state) {
    auto dev = TextImage();
    HDC dc = dev->GetDC();
    const LOGFONTA lf = BenchFont();
    int x = 0;
    for (auto _ : state) {
        if (!GdiLine(dc, lf, 10 + x))
            state.SkipWithError("TextOutA failed");
        x = (x + 1) & 63;
    }
    // The pixels must have been written, not merely queued.
    benchmark::DoNotOptimize(dev->GetPixel(20, 55));
    state.SetItemsProcessed(state.iterations());
}

void RawCairoShowGlyphs(benchmark::State& state) {
    draft2d::bench::RawCairoShowGlyphs(state, {{"AR PL UMing CN", -kEm, 0, kLineUtf8}}, 7);
}

void GdiMeasure(benchmark::State& state) {
    auto dev = draft2d::Device::CreateImage(100, 100);
    HDC dc = dev->GetDC();
    const LOGFONTA lf = BenchFont();
    HFONT f = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, f);
    const int n = static_cast<int>(std::strlen(kLine));
    for (auto _ : state) {
        SIZE sz;
        GetTextExtentPoint32A(dc, kLine, n, &sz);
        benchmark::DoNotOptimize(sz);
    }
    SelectObject(dc, old);
    DeleteObject(f);
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(GdiTextOut);
BENCHMARK(RawCairoShowGlyphs);
BENCHMARK(GdiMeasure);

constexpr int kLinesPerPass = 200;

void Rounds() {
    namespace b = draft2d::bench;
    const std::vector<b::BaselineRun> runs = {{"AR PL UMing CN", -kEm, 0, kLineUtf8}};
    auto dev = TextImage();
    HDC dc = dev->GetDC();
    const LOGFONTA lf = BenchFont();
    int glyphs = 0;
    b::detail::BaselineLine line(runs, glyphs);
    b::RawCairoImage image;
    if (!line.ok() || glyphs != 7) {
        std::printf("the baseline's font or glyphs are not the line's: no rounds\n");
        return;
    }
    {
        auto inkDev = TextImage();
        GdiLine(inkDev->GetDC(), lf, 10);
        const long ours =
            b::InkOf(inkDev->GetPixels(), inkDev->GetWidth(), inkDev->GetHeight(), inkDev->GetStride() / 4);
        const long raw = b::RawCairoLineInk(runs);
        std::printf("\nink of one line: TextOutA %ld, raw Cairo %ld: %s\n", ours, raw,
                    ours == raw ? "the same" : "DIFFERENT");
    }
    const auto ns = b::TimeInRounds({{"raw Cairo",
                                      [&] {
                                          for (int i = 0; i < kLinesPerPass; ++i)
                                              line.Show(image.cr(), 10 + (i & 63), 60);
                                          return static_cast<long long>(kLinesPerPass);
                                      }},
                                     {"TextOutA", [&] {
                                          for (int i = 0; i < kLinesPerPass; ++i)
                                              GdiLine(dc, lf, 10 + (i & 63));
                                          return static_cast<long long>(kLinesPerPass);
                                      }}});
    std::printf("  raw Cairo %.0f ns, CreateFontIndirectA+TextOutA+DeleteObject %.0f ns a line (medians)\n",
                b::Median(ns[0]), b::Median(ns[1]));
    b::ReportGoal("platform TextOutA with its font / raw Cairo", b::RoundRatios(ns[1], ns[0]), 1.2);
}

} // namespace

int main(int argc, char** argv) {
    return draft2d::bench::RunAndPrintRatios(argc, argv, [](const draft2d::bench::RatioReporter& times) {
        const double gdi = times.Time("GdiTextOut");
        const double raw = times.Time("RawCairoShowGlyphs");
        if (gdi > 0 && raw > 0)
            std::printf("TextOutA with CreateFontIndirectA/DeleteObject / raw Cairo show_glyphs: %.2f "
                        "(one run; rounds below)\n",
                        gdi / raw);
        if (gdi > 0 && raw > 0)
            Rounds();
    });
}
