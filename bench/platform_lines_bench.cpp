// One-pixel lines: our GDI's MoveToEx/LineTo on a 1920 x 1080 image device against raw Cairo stroking
// the same segments (one stroke per segment, and one stroke per 1,000 segments) and against a bare
// Bresenham loop writing the same pixels. One-pixel arcs: our Arc (curves flattened into the same
// thin-line loop) against Cairo stroking the same arcs. Prints the ratios at the end.
//
// The ratio to the bare loop is measured apart, in five rounds in which the two take turns, each
// drawing whole passes for at least half a second of CPU time (bench_rounds.h); its median and
// spread are printed, after a check that both light exactly the same pixels.
//
// Segments start anywhere on the image and run 1 to 200 pixels in a random direction, kept inside
// the image (the lengths of the pieces a drawing view produces: edges, dashes, arcs' chords). Arcs
// have radii of 3 to 150 pixels and sweeps of 10 to 360 degrees, their circles inside the image.
#include "bench_ratio.h"
#include "bare_lines.h"
#include "bench_rounds.h"
#include "platform/devices.h"
#include "platform/win32.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kSegments = 200000;

struct Segment {
    int x0, y0, x1, y1;
};

const std::vector<Segment>& segments() {
    static const std::vector<Segment> segs = [] {
        std::mt19937 rng(12345);
        std::uniform_int_distribution<int> px(0, kWidth - 1), py(0, kHeight - 1), len(1, 200);
        std::uniform_real_distribution<double> ang(0, 2 * 3.14159265358979323846);
        std::vector<Segment> v;
        v.reserve(kSegments);
        while (static_cast<int>(v.size()) < kSegments) {
            const int x0 = px(rng), y0 = py(rng), l = len(rng);
            const double a = ang(rng);
            const int x1 = x0 + static_cast<int>(std::lround(l * std::cos(a)));
            const int y1 = y0 + static_cast<int>(std::lround(l * std::sin(a)));
            if (x1 < 0 || y1 < 0 || x1 >= kWidth || y1 >= kHeight)
                continue;
            v.push_back({x0, y0, x1, y1});
        }
        return v;
    }();
    return segs;
}

constexpr double kPi = 3.14159265358979323846;
constexpr int kArcs = 20000;

struct ArcSpec {
    int cx, cy, r;
    double a0, a1; // radians, counter-clockwise as seen on the screen, a0 < a1
};

const std::vector<ArcSpec>& arcs() {
    static const std::vector<ArcSpec> list = [] {
        std::mt19937 rng(54321);
        std::uniform_int_distribution<int> radius(3, 150);
        std::uniform_real_distribution<double> start(0, 2 * kPi), sweep(10, 360);
        std::vector<ArcSpec> v;
        v.reserve(kArcs);
        while (static_cast<int>(v.size()) < kArcs) {
            const int r = radius(rng);
            std::uniform_int_distribution<int> px(r, kWidth - 1 - r), py(r, kHeight - 1 - r);
            const double a0 = start(rng);
            v.push_back({px(rng), py(rng), r, a0, a0 + sweep(rng) * kPi / 180});
        }
        return v;
    }();
    return list;
}

struct CairoImage {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    CairoImage() {
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_set_line_width(cr, 1.0);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        cairo_set_source_rgb(cr, 0.8, 0, 0);
    }
    ~CairoImage() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
};

void BM_CairoPerSegment(benchmark::State& state) {
    CairoImage img;
    const auto& segs = segments();
    for (auto _ : state) {
        for (const Segment& s : segs) {
            cairo_move_to(img.cr, s.x0 + 0.5, s.y0 + 0.5);
            cairo_line_to(img.cr, s.x1 + 0.5, s.y1 + 0.5);
            cairo_stroke(img.cr);
        }
    }
    state.SetItemsProcessed(state.iterations() * kSegments);
}

void BM_CairoBatched(benchmark::State& state) {
    CairoImage img;
    const auto& segs = segments();
    for (auto _ : state) {
        for (size_t i = 0; i < segs.size(); ++i) {
            const Segment& s = segs[i];
            cairo_move_to(img.cr, s.x0 + 0.5, s.y0 + 0.5);
            cairo_line_to(img.cr, s.x1 + 0.5, s.y1 + 0.5);
            if (i % 1000 == 999)
                cairo_stroke(img.cr);
        }
        cairo_stroke(img.cr);
    }
    state.SetItemsProcessed(state.iterations() * kSegments);
}

// The least work that lights the same pixels: Bresenham into a plain buffer, no checks; one pixel
// per column of the major axis, the first drawn and the last not.
void BareLines(uint32_t* px, uint32_t color) {
    for (const Segment& s : segments()) {
        const int dx = std::abs(s.x1 - s.x0), dy = std::abs(s.y1 - s.y0);
        const int sx = s.x1 >= s.x0 ? 1 : -1, sy = s.y1 >= s.y0 ? kWidth : -kWidth;
        const int bias = (dx | dy) ? draft2d::bench::TieBias(s.x1 - s.x0, s.y1 - s.y0) : 0;
        uint32_t* p = px + s.y0 * kWidth + s.x0;
        if (dx >= dy) {
            int err = 2 * dy - dx + bias;
            for (int i = 0; i < dx; ++i) {
                *p = color;
                if (err > 0) {
                    p += sy;
                    err -= 2 * dx;
                }
                err += 2 * dy;
                p += sx;
            }
        } else {
            int err = 2 * dx - dy + bias;
            for (int i = 0; i < dy; ++i) {
                *p = color;
                if (err > 0) {
                    p += sx;
                    err -= 2 * dy;
                }
                err += 2 * dx;
                p += sy;
            }
        }
    }
}

constexpr uint32_t kBareColor = 0xFFC80000u; // RGB(200, 0, 0) as a pixel word

void GdiLines(HDC dc) {
    for (const Segment& s : segments()) {
        MoveToEx(dc, s.x0, s.y0, nullptr);
        LineTo(dc, s.x1, s.y1);
    }
}

void BM_BareBresenham(benchmark::State& state) {
    std::vector<uint32_t> buf(static_cast<size_t>(kWidth) * kHeight, 0xFFFFFFFFu);
    for (auto _ : state) {
        BareLines(buf.data(), kBareColor);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSegments);
}

void BM_GdiLineTo(benchmark::State& state) {
    auto dev = draft2d::Device::CreateImage(kWidth, kHeight);
    HDC dc = dev->GetDC();
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    for (auto _ : state)
        GdiLines(dc);
    state.SetItemsProcessed(state.iterations() * kSegments);
    benchmark::DoNotOptimize(dev->GetPixel(0, 0));
    SelectObject(dc, old);
    DeleteObject(pen);
}

// FNV-1a of the colours (the low 24 bits) of a width x height block of pixel words.
uint64_t PixelHash(const uint32_t* px, int strideWords) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            h ^= px[static_cast<size_t>(y) * strideWords + x] & 0xFFFFFFu;
            h *= 1099511628211ull;
        }
    return h;
}

// The ratio LineTo / bare loop in rounds (see the top of the file); false when the two light
// different pixels.
bool MeasureLineToAgainstBareLoop() {
    std::vector<uint32_t> buf(static_cast<size_t>(kWidth) * kHeight, 0xFFFFFFFFu);
    auto dev = draft2d::Device::CreateImage(kWidth, kHeight);
    HDC dc = dev->GetDC();
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    BareLines(buf.data(), kBareColor);
    GdiLines(dc);
    const uint64_t bareHash = PixelHash(buf.data(), kWidth);
    const uint64_t gdiHash = PixelHash(dev->GetPixels(), dev->GetStride() / 4);
    std::printf("\npixels of the %d segments: bare loop %016llx, LineTo %016llx: %s\n", kSegments,
                static_cast<unsigned long long>(bareHash), static_cast<unsigned long long>(gdiHash),
                bareHash == gdiHash ? "the same" : "DIFFERENT");
    const auto ns = draft2d::bench::TimeInRounds({{"bare",
                                                   [&] {
                                                       BareLines(buf.data(), kBareColor);
                                                       benchmark::ClobberMemory();
                                                       return static_cast<long long>(kSegments);
                                                   }},
                                                  {"LineTo", [&] {
                                                       GdiLines(dc);
                                                       return static_cast<long long>(kSegments);
                                                   }}});
    std::printf("  bare loop %.1f ns, MoveToEx+LineTo %.1f ns a segment (medians of the rounds)\n",
                draft2d::bench::Median(ns[0]), draft2d::bench::Median(ns[1]));
    draft2d::bench::ReportGoal("1-px LineTo / bare loop", draft2d::bench::RoundRatios(ns[1], ns[0]), 1.2);
    SelectObject(dc, old);
    DeleteObject(pen);
    return bareHash == gdiHash;
}

// Arc with the ellipse's box and the rays through the arc's ends.
void BM_GdiArc(benchmark::State& state) {
    auto dev = draft2d::Device::CreateImage(kWidth, kHeight);
    HDC dc = dev->GetDC();
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    const auto& list = arcs();
    for (auto _ : state) {
        for (const ArcSpec& a : list) {
            const int x3 = a.cx + static_cast<int>(std::lround(1000 * std::cos(a.a0)));
            const int y3 = a.cy - static_cast<int>(std::lround(1000 * std::sin(a.a0)));
            const int x4 = a.cx + static_cast<int>(std::lround(1000 * std::cos(a.a1)));
            const int y4 = a.cy - static_cast<int>(std::lround(1000 * std::sin(a.a1)));
            Arc(dc, a.cx - a.r, a.cy - a.r, a.cx + a.r + 1, a.cy + a.r + 1, x3, y3, x4, y4);
        }
    }
    state.SetItemsProcessed(state.iterations() * kArcs);
    benchmark::DoNotOptimize(dev->GetPixel(0, 0));
    SelectObject(dc, old);
    DeleteObject(pen);
}

// Cairo's own one-pixel stroke of the same arcs (counter-clockwise on a y-down screen is Cairo's
// negative direction), one stroke per arc as each Arc call is.
void BM_CairoArc(benchmark::State& state) {
    CairoImage img;
    const auto& list = arcs();
    for (auto _ : state) {
        for (const ArcSpec& a : list) {
            cairo_new_sub_path(img.cr);
            cairo_arc_negative(img.cr, a.cx + 0.5, a.cy + 0.5, a.r, -a.a0, -a.a1);
            cairo_stroke(img.cr);
        }
    }
    state.SetItemsProcessed(state.iterations() * kArcs);
}

BENCHMARK(BM_GdiLineTo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CairoPerSegment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CairoBatched)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareBresenham)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GdiArc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CairoArc)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    bool samePixels = true;
    const int status =
        draft2d::bench::RunAndPrintRatios(argc, argv, [&](const draft2d::bench::RatioReporter& times) {
            const double gdi = times.Time("BM_GdiLineTo"), perSegment = times.Time("BM_CairoPerSegment");
            const double batched = times.Time("BM_CairoBatched"), bare = times.Time("BM_BareBresenham");
            if (gdi > 0 && perSegment > 0 && batched > 0 && bare > 0) {
                std::printf("\n%d one-pixel segments on %d x %d:\n", kSegments, kWidth, kHeight);
                draft2d::bench::ReportGoal("1-px LineTo / faster cairo (one run)",
                                           {gdi / std::min(perSegment, batched)}, 0.5);
                std::printf("  gdi / bare loop     = %.3f  (one run each, see the rounds below)\n",
                            gdi / bare);
            }
            const double gdiArc = times.Time("BM_GdiArc"), cairoArc = times.Time("BM_CairoArc");
            if (gdiArc > 0 && cairoArc > 0)
                draft2d::bench::ReportGoal("1-px Arc / cairo (one run)", {gdiArc / cairoArc}, 0.5);
            if (gdi > 0 && bare > 0)
                samePixels = MeasureLineToAgainstBareLoop();
        });
    return status != 0 ? status : samePixels ? 0 : 1;
}
