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
// The program prints the ink of one line drawn by each, which is the same when the glyphs are. Then
// it measures the goals in rounds (bench_rounds.h): steady lines of ours and of raw Cairo taking turns
// within each round, and first lines at new sizes, ours and raw Cairo's, where raw Cairo makes its
// fonts at the new size from faces it loaded beforehand (as the platform layer keeps its faces), and
// reports the medians of the rounds with their spread. Times are CPU time of the thread.
#include <benchmark/benchmark.h>

#include "bench_ratio.h"
#include "bench_rounds.h"
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

// The glyphs of the line as a format draws them on a view: the cell and width of each face.
std::vector<draft2d::bench::BaselineRun> Runs(bool oneFont, const CFontFormat& f, const CGraphSystem& view) {
    LOGFONTA zh, en;
    CFontFormat::InitFont(&view, zh, f.FontName(), f.Height(), 1, f.WidthPer(), 0, 0, 0, 0, 0, 0);
    CFontFormat::InitFont(&view, en, f.FontNameEng(), f.Height(), 1, f.WidthPerEng(), 0, 0, 0, 0, 0, 0);
    const int h = zh.lfHeight, w = zh.lfWidth;
    if (oneFont)
        return {{kChineseFamily, h, w,
                 "\xe4\xb8\xad\xe6\x96\x87"
                 "ABC\xe5\xae\x9e\xe7\xba\xbf"}};               // 中文ABC实线
    return {{kChineseFamily, h, w, "\xe4\xb8\xad\xe6\x96\x87"}, // 中文
            {kWesternFamily, en.lfHeight, en.lfWidth, "ABC"},
            {kChineseFamily, h, w, "\xe5\xae\x9e\xe7\xba\xbf"}}; // 实线
}

// The default format's line on a fresh view.
std::vector<draft2d::bench::BaselineRun> Runs(bool oneFont) {
    Canvas c;
    return Runs(oneFont, CFontFormat(5.0), c.view);
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

// Sizes no call has used before in the process: heights of 21 to 140 pixels, each with ten widths
// (widthPer 0.6 + 0.2 j + offset: lfWidth = widthPer x height / 2 rounded, which steps by at least one
// pixel for every 0.1 of widthPer at these heights). Formats take different offsets (0 or 0.1), so
// that no format meets a size another has made.
class FreshSizes {
public:
    explicit FreshSizes(double offset) : offset_(offset) {}
    bool Next(CFontFormat& f, double pixelsPerMm) {
        if (i_ >= 120 * 10)
            return false;
        // The heights in a scattered order, so that every round draws small and large ones alike.
        f.SetHeight((21 + (i_ * 37) % 120) / pixelsPerMm);
        const auto widthPer = static_cast<float>(0.6 + 0.2 * ((i_ / 120) % 10) + offset_);
        f.SetWidthPer(widthPer);
        f.SetWidthPerEng(widthPer);
        ++i_;
        return true;
    }

private:
    double offset_;
    int i_ = 0;
};

constexpr int kLinesPerPass = 100;

// Steady lines in rounds: each of ours against the raw Cairo drawing of its glyphs.
void SteadyRounds() {
    namespace b = draft2d::bench;
    Canvas c1, c2;
    CFontFormat format(5.0);
    CFontFormat2 format2(&c2.view, 5.0);
    int glyphs = 0, glyphs1 = 0;
    b::detail::BaselineLine line(Runs(false), glyphs), line1(Runs(true), glyphs1);
    b::RawCairoImage image, image1;
    if (!line.ok() || !line1.ok() || glyphs != 7 || glyphs1 != 7) {
        std::printf("the baseline's fonts or glyphs are not the line's: no rounds\n");
        return;
    }
    const auto ns = b::TimeInRounds({{"raw Cairo",
                                      [&] {
                                          for (int i = 0; i < kLinesPerPass; ++i)
                                              line.Show(image.cr(), 10 + (i & 63), 60);
                                          return static_cast<long long>(kLinesPerPass);
                                      }},
                                     {"CFontFormat::TextOutA",
                                      [&] {
                                          for (int i = 0; i < kLinesPerPass; ++i)
                                              format.TextOutA(&c1.view, nullptr, 10 + (i & 63), 60, mgPoint(),
                                                              kLine, -1, CGraphSystem::COORD_SCREEN);
                                          return static_cast<long long>(kLinesPerPass);
                                      }},
                                     {"raw Cairo, one font",
                                      [&] {
                                          for (int i = 0; i < kLinesPerPass; ++i)
                                              line1.Show(image1.cr(), 10 + (i & 63), 60);
                                          return static_cast<long long>(kLinesPerPass);
                                      }},
                                     {"CFontFormat2::TextOut2",
                                      [&] {
                                          for (int i = 0; i < kLinesPerPass; ++i)
                                              format2.TextOut2(nullptr, 10 + (i & 63), 60, kLine, -1,
                                                               CGraphSystem::COORD_SCREEN);
                                          return static_cast<long long>(kLinesPerPass);
                                      }},
                                     {"raw Cairo, one call per run", [&] {
                                          for (int i = 0; i < kLinesPerPass; ++i)
                                              line.ShowRuns(image.cr(), 10 + (i & 63), 60);
                                          return static_cast<long long>(kLinesPerPass);
                                      }}});
    std::printf("\nsteady lines, ns a line (medians of the rounds): raw Cairo %.0f, CFontFormat %.0f; raw "
                "Cairo one font %.0f, CFontFormat2 %.0f\n",
                b::Median(ns[0]), b::Median(ns[1]), b::Median(ns[2]), b::Median(ns[3]));
    b::ReportGoal("CFontFormat::TextOutA / raw Cairo", b::RoundRatios(ns[1], ns[0]), 1.5);
    b::ReportGoal("CFontFormat2::TextOut2 / raw Cairo", b::RoundRatios(ns[3], ns[2]), 1.1);
    // CFontFormat writes the line in three calls, one per run of a kind; raw Cairo drawing the same
    // three runs in three show_glyphs is what those calls cost in Cairo alone.
    std::printf("  raw Cairo, one show_glyphs per run as CFontFormat writes them: %.0f ns a line\n",
                b::Median(ns[4]));
    b::PrintRoundRatio("raw Cairo per run / raw Cairo", b::RoundRatios(ns[4], ns[0]), nullptr);
    b::PrintRoundRatio("CFontFormat / raw Cairo per run", b::RoundRatios(ns[1], ns[4]), nullptr);
}

// First lines at new sizes in rounds: ours, and raw Cairo making its fonts at the same new size
// (its faces loaded beforehand, as ours are).
void NewSizeRounds() {
    namespace b = draft2d::bench;
    Canvas c1, c2;
    const double pixelsPerMm = c1.view.GetMmPixelsY();
    CFontFormat format(5.0);
    CFontFormat2 format2(&c2.view, 5.0);
    CFontFormat raw(5.0), raw2(5.0);
    FreshSizes sizes(0.0), sizes2(0.1), rawSizes(0.0), rawSizes2(0.1);
    b::RawCairoImage image;
    bool ranOut = false;
    auto one = [&ranOut](FreshSizes& s, CFontFormat& f, double ppm) {
        if (!s.Next(f, ppm))
            ranOut = true;
    };
    const auto ns = b::TimeInRounds(
        {{"CFontFormat::TextOutA",
          [&] {
              one(sizes, format, pixelsPerMm);
              format.TextOutA(&c1.view, nullptr, 10, 90, mgPoint(), kLine, -1, CGraphSystem::COORD_SCREEN);
              return 1LL;
          }},
         {"raw Cairo",
          [&] {
              one(rawSizes, raw, pixelsPerMm);
              b::RawCairoFirstLine(image, Runs(false, raw, c1.view));
              return 1LL;
          }},
         {"CFontFormat2::TextOut2",
          [&] {
              one(sizes2, format2, pixelsPerMm);
              format2.TextOut2(nullptr, 10, 90, kLine, -1, CGraphSystem::COORD_SCREEN);
              return 1LL;
          }},
         {"raw Cairo, one font",
          [&] {
              one(rawSizes2, raw2, pixelsPerMm);
              b::RawCairoFirstLine(image, Runs(true, raw2, c1.view));
              return 1LL;
          }}},
        5, 0.03);
    if (ranOut)
        std::printf("(the fresh sizes ran out: the last calls were at sizes used before)\n");
    std::printf("\nfirst line at a new size, us (medians of the rounds): CFontFormat %.0f, raw Cairo %.0f; "
                "CFontFormat2 %.0f, raw Cairo one font %.0f\n",
                b::Median(ns[0]) / 1000, b::Median(ns[1]) / 1000, b::Median(ns[2]) / 1000,
                b::Median(ns[3]) / 1000);
    auto us = [](std::vector<double> v) {
        for (double& x : v)
            x /= 1000;
        return v;
    };
    b::ReportGoal("CFontFormat::TextOutA at a new size", us(ns[0]), 150, "us");
    b::ReportGoal("CFontFormat2::TextOut2 at a new size", us(ns[2]), 150, "us");
    b::PrintRoundRatio("CFontFormat new size / raw Cairo new size", b::RoundRatios(ns[0], ns[1]), nullptr);
    b::PrintRoundRatio("CFontFormat2 new size / raw Cairo new size", b::RoundRatios(ns[2], ns[3]), nullptr);
}

} // namespace

int main(int argc, char** argv) {
    return draft2d::bench::RunAndPrintRatios(argc, argv, [](const draft2d::bench::RatioReporter& times) {
        const double raw = times.Time("RawCairoShowGlyphs");
        const double raw2 = times.Time("RawCairoShowGlyphsOneFont");
        const double f1 = times.Time("FontFormatTextOut");
        const double f2 = times.Time("FontFormat2TextOut");
        if (f1 > 0 && raw > 0)
            std::printf("CFontFormat::TextOutA / raw Cairo show_glyphs: %.2f (one run; rounds below)\n",
                        f1 / raw);
        if (f2 > 0 && raw2 > 0)
            std::printf("CFontFormat2::TextOut2 / raw Cairo show_glyphs: %.2f (one run; rounds below)\n",
                        f2 / raw2);
        const double n1 = times.Time("FontFormatTextOutNewSize/iterations:" + std::to_string(kNewSizes));
        const double n2 = times.Time("FontFormat2TextOutNewSize/iterations:" + std::to_string(kNewSizes));
        if (n1 > 0)
            std::printf("CFontFormat::TextOutA at a new size: %.1f us (one run)\n", n1 / 1000);
        if (n2 > 0)
            std::printf("CFontFormat2::TextOut2 at a new size: %.1f us (one run)\n", n2 / 1000);
        if (raw > 0 || raw2 > 0 || f1 > 0 || f2 > 0) {
            const long inkFormat = LibraryInk([](Canvas& c) {
                CFontFormat(5.0).TextOutA(&c.view, nullptr, 10, 60, mgPoint(), kLine, -1,
                                          CGraphSystem::COORD_SCREEN);
            });
            const long inkFormat2 = LibraryInk([](Canvas& c) {
                CFontFormat2(&c.view, 5.0).TextOut2(nullptr, 10, 60, kLine, -1, CGraphSystem::COORD_SCREEN);
            });
            const long rawInk = draft2d::bench::RawCairoLineInk(Runs(false));
            const long rawInk2 = draft2d::bench::RawCairoLineInk(Runs(true));
            std::printf(
                "ink of one line: CFontFormat %ld, its raw Cairo glyphs %ld; CFontFormat2 %ld, its raw "
                "Cairo glyphs %ld: %s\n",
                inkFormat, rawInk, inkFormat2, rawInk2,
                inkFormat == rawInk && inkFormat2 == rawInk2 ? "the same" : "DIFFERENT");
        }
        if (f1 > 0 && raw > 0 && f2 > 0 && raw2 > 0)
            SteadyRounds();
        if (n1 > 0 && n2 > 0)
            NewSizeRounds();
    });
}
