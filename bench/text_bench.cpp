// Text output of the library against raw Cairo on the same surface size and line.
//
// FontFormatTextOut is one CFontFormat::TextOutA of a 7-character mixed Chinese/Western line in the
// default format (5 mm, two fonts made and deleted per call, every character measured by GDI calls
// of its own, the line written in three GDI calls, one per run of a kind). FontFormat2TextOut is
// CFontFormat2::TextOut2 of the same line with its cached font (one measure and one GDI call per line).
// RawCairoShowGlyphs and RawCairoShowGlyphsOneFont draw the very glyphs of those two lines (the
// first: the Chinese characters in the Chinese face, ABC in the Western face; the second: all seven in
// the Chinese face) with fonts prepared in advance and glyph indices converted once: the least any
// Cairo-based text output of those lines can do. The *NewSize runs change the size before every call,
// to a size not used before in the process, and so show the cost of the first call at a new size
// (realising the fonts, and measuring and rendering their glyphs).
//
// The program prints the ratios against the raw Cairo drawing of the same glyphs, of CPU time
// measured in the same run, and the time of a first call at a new size (benchmark times are
// nanoseconds). It also prints the ink of one line drawn by each, which is the same when the glyphs
// are.
#include <benchmark/benchmark.h>

#include "bench_ratio.h"
#include "cairo_text_baseline.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/devices.h"
#include "text/CFontFormat.h"
#include "text/CFontFormat2.h"
#include "view/CGraphSystem.h"

namespace {

const char kLine[] = "\xd6\xd0\xce\xc4"
                     "ABC"
                     "\xca\xb5\xcf\xdf"; // 中文ABC实线: 7 characters
constexpr int kNewSizes = 100;

// The faces the platform layer maps the default format's faces to (仿宋_GB2312 and Times New Roman).
constexpr const char* kChineseFamily = "AR PL UMing CN";
constexpr const char* kWesternFamily = "Liberation Serif";

// A view on an 800 x 100 image device.
struct Canvas {
    Canvas() : dev(draft2d::Device::CreateImage(800, 100)) {
        view.SetWndSize(800, 100);
        view.Attach(dev->GetDC(), nullptr, 0);
        view.Zoom(1.0, 0.0, 0.0);
    }
    ~Canvas() { view.Detach(); }
    std::unique_ptr<draft2d::Device> dev;
    CGraphSystem view;
};

void FontFormatTextOut(benchmark::State& state) {
    Canvas c;
    CFontFormat f(5.0);
    int x = 0;
    for (auto _ : state) {
        f.TextOutA(&c.view, nullptr, 10 + x, 60, mgPoint(), kLine, -1, CGraphSystem::COORD_SCREEN);
        x = (x + 1) & 63;
    }
    benchmark::DoNotOptimize(c.dev->GetPixel(20, 55));
    state.SetItemsProcessed(state.iterations());
}

void FontFormat2TextOut(benchmark::State& state) {
    Canvas c;
    CFontFormat2 f(&c.view, 5.0);
    int x = 0;
    for (auto _ : state) {
        f.TextOut2(nullptr, 10 + x, 60, kLine, -1, CGraphSystem::COORD_SCREEN);
        x = (x + 1) & 63;
    }
    benchmark::DoNotOptimize(c.dev->GetPixel(20, 55));
    state.SetItemsProcessed(state.iterations());
}

// Heights of 21 to 120 pixels, bold so that no other run has made them.
template <typename Format>
void NewSizes(benchmark::State& state, Format& f, Canvas& c, void (*draw)(Format&, Canvas&)) {
    const double pixelsPerMm = c.view.GetMmPixelsY();
    int i = 0;
    for (auto _ : state) {
        f.SetHeight((21 + i) / pixelsPerMm);
        draw(f, c);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}

void FontFormatTextOutNewSize(benchmark::State& state) {
    Canvas c;
    CFontFormat f(5.0);
    f.SetBold(1);
    NewSizes<CFontFormat>(state, f, c, [](CFontFormat& g, Canvas& k) {
        g.TextOutA(&k.view, nullptr, 10, 90, mgPoint(), kLine, -1, CGraphSystem::COORD_SCREEN);
    });
}

void FontFormat2TextOutNewSize(benchmark::State& state) {
    Canvas c;
    CFontFormat2 f(&c.view, 5.0);
    f.SetItalic(1);
    NewSizes<CFontFormat2>(state, f, c, [](CFontFormat2& g, Canvas&) {
        g.TextOut2(nullptr, 10, 90, kLine, -1, CGraphSystem::COORD_SCREEN);
    });
}

// The fonts of the default format on a fresh view: the cell and width of each face.
std::vector<draft2d::bench::BaselineRun> Runs(bool oneFont) {
    Canvas c;
    CFontFormat f(5.0);
    LOGFONTA zh, en;
    CFontFormat::InitFont(&c.view, zh, f.FontName(), f.Height(), 1, f.WidthPer(), 0, 0, 0, 0, 0, 0);
    CFontFormat::InitFont(&c.view, en, f.FontNameEng(), f.Height(), 1, f.WidthPerEng(), 0, 0, 0, 0, 0, 0);
    const int h = zh.lfHeight, w = zh.lfWidth;
    if (oneFont)
        return {{kChineseFamily, h, w,
                 "\xe4\xb8\xad\xe6\x96\x87"
                 "ABC\xe5\xae\x9e\xe7\xba\xbf"}};               // 中文ABC实线
    return {{kChineseFamily, h, w, "\xe4\xb8\xad\xe6\x96\x87"}, // 中文
            {kWesternFamily, en.lfHeight, en.lfWidth, "ABC"},
            {kChineseFamily, h, w, "\xe5\xae\x9e\xe7\xba\xbf"}}; // 实线
}

void RawCairoShowGlyphs(benchmark::State& state) {
    draft2d::bench::RawCairoShowGlyphs(state, Runs(false), 7);
}

void RawCairoShowGlyphsOneFont(benchmark::State& state) {
    draft2d::bench::RawCairoShowGlyphs(state, Runs(true), 7);
}

// Ink of one line drawn by the library on a fresh device.
template <typename Draw>
long LibraryInk(Draw draw) {
    Canvas c;
    draw(c);
    return draft2d::bench::InkOf(c.dev->GetPixels(), c.dev->GetWidth(), c.dev->GetHeight(),
                                 c.dev->GetStride() / 4);
}

BENCHMARK(RawCairoShowGlyphs);
BENCHMARK(RawCairoShowGlyphsOneFont);
BENCHMARK(FontFormatTextOut);
BENCHMARK(FontFormat2TextOut);
BENCHMARK(FontFormatTextOutNewSize)->Iterations(kNewSizes);
BENCHMARK(FontFormat2TextOutNewSize)->Iterations(kNewSizes);

} // namespace

int main(int argc, char** argv) {
    return draft2d::bench::RunAndPrintRatios(argc, argv, [](const draft2d::bench::RatioReporter& times) {
        const double raw = times.Time("RawCairoShowGlyphs");
        const double raw2 = times.Time("RawCairoShowGlyphsOneFont");
        const double f1 = times.Time("FontFormatTextOut");
        const double f2 = times.Time("FontFormat2TextOut");
        if (f1 > 0 && raw > 0)
            std::printf("CFontFormat::TextOutA / raw Cairo show_glyphs: %.2f (target <= 1.5)\n", f1 / raw);
        if (f2 > 0 && raw2 > 0)
            std::printf("CFontFormat2::TextOut2 / raw Cairo show_glyphs: %.2f (target <= 1.1)\n", f2 / raw2);
        const double n1 = times.Time("FontFormatTextOutNewSize/iterations:" + std::to_string(kNewSizes));
        const double n2 = times.Time("FontFormat2TextOutNewSize/iterations:" + std::to_string(kNewSizes));
        if (n1 > 0)
            std::printf("CFontFormat::TextOutA at a new size: %.1f us (target <= 150)\n", n1 / 1000);
        if (n2 > 0)
            std::printf("CFontFormat2::TextOut2 at a new size: %.1f us (target <= 150)\n", n2 / 1000);
        if (raw > 0 || raw2 > 0 || f1 > 0 || f2 > 0) {
            const long inkFormat = LibraryInk([](Canvas& c) {
                CFontFormat(5.0).TextOutA(&c.view, nullptr, 10, 60, mgPoint(), kLine, -1,
                                          CGraphSystem::COORD_SCREEN);
            });
            const long inkFormat2 = LibraryInk([](Canvas& c) {
                CFontFormat2(&c.view, 5.0).TextOut2(nullptr, 10, 60, kLine, -1, CGraphSystem::COORD_SCREEN);
            });
            std::printf(
                "ink of one line: CFontFormat %ld, its raw Cairo glyphs %ld; CFontFormat2 %ld, its raw "
                "Cairo glyphs %ld\n",
                inkFormat, draft2d::bench::RawCairoLineInk(Runs(false)), inkFormat2,
                draft2d::bench::RawCairoLineInk(Runs(true)));
        }
    });
}
