// Text output through our GDI layer against raw Cairo on the same surface size, font and line.
//
// GdiTextOut does what a drawing call of the library does for one line of text: CreateFontIndirectA
// with the same LOGFONTA every time, SelectObject, TextOutA of a 7-character GBK line, SelectObject
// back and DeleteObject. RawCairoShowGlyphs draws the same glyphs (宋体 is AR PL UMing CN) with one
// scaled font prepared in advance and glyph indices converted once, which is the least any
// Cairo-based text output can do.
// GdiMeasure is GetTextExtentPoint32A of the same line on a selected font (a cached measure).
//
// The program prints the ratio GdiTextOut / RawCairoShowGlyphs of CPU time measured in the same run
// (CPU time, because the machines that run it are shared).
#include <benchmark/benchmark.h>

#include "bench_ratio.h"
#include "cairo_text_baseline.h"

#include <cstdio>
#include <cstring>
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

void GdiTextOut(benchmark::State& state) {
    auto dev = draft2d::Device::CreateImage(800, 100);
    HDC dc = dev->GetDC();
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_BASELINE);
    const LOGFONTA lf = BenchFont();
    const int n = static_cast<int>(std::strlen(kLine));
    int x = 0;
    for (auto _ : state) {
        HFONT f = CreateFontIndirectA(&lf);
        HGDIOBJ old = SelectObject(dc, f);
        if (!TextOutA(dc, 10 + x, 60, kLine, n))
            state.SkipWithError("TextOutA failed");
        SelectObject(dc, old);
        DeleteObject(f);
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

} // namespace

int main(int argc, char** argv) {
    return draft2d::bench::RunAndPrintRatios(argc, argv, [](const draft2d::bench::RatioReporter& times) {
        const double gdi = times.Time("GdiTextOut");
        const double raw = times.Time("RawCairoShowGlyphs");
        if (gdi > 0 && raw > 0)
            std::printf("TextOutA with CreateFontIndirectA/DeleteObject / raw Cairo show_glyphs: %.2f "
                        "(target <= 1.2)\n",
                        gdi / raw);
    });
}
