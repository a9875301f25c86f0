// One-pixel lines: our GDI's MoveToEx/LineTo on a 1920 x 1080 image device against raw Cairo stroking
// the same segments (one stroke per segment, and one stroke per 1,000 segments) and against a bare
// Bresenham loop writing the same pixels. Prints the ratios at the end.
//
// Segments start anywhere on the image and run 1 to 200 pixels in a random direction, kept inside
// the image (the lengths of the pieces a drawing view produces: edges, dashes, arcs' chords).
#include "platform/devices.h"
#include "platform/win32.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
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

// Mean processor seconds per pass of all segments, per variant (processor time rather than wall
// time: the build machine is shared, and every variant is single-threaded).
std::map<std::string, double>& results() {
    static std::map<std::string, double> r;
    return r;
}

template <typename F>
void timed(benchmark::State& state, const char* name, F&& pass) {
    double total = 0;
    long long n = 0;
    for (auto _ : state) {
        const std::clock_t t0 = std::clock();
        pass();
        total += static_cast<double>(std::clock() - t0) / CLOCKS_PER_SEC;
        ++n;
    }
    results()[name] = total / static_cast<double>(n);
    state.SetItemsProcessed(state.iterations() * kSegments);
}

void BM_GdiLineTo(benchmark::State& state) {
    auto dev = draft2d::Device::CreateImage(kWidth, kHeight);
    HDC dc = dev->GetDC();
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    const auto& segs = segments();
    timed(state, "gdi", [&] {
        for (const Segment& s : segs) {
            MoveToEx(dc, s.x0, s.y0, nullptr);
            LineTo(dc, s.x1, s.y1);
        }
    });
    benchmark::DoNotOptimize(dev->GetPixel(0, 0));
    SelectObject(dc, old);
    DeleteObject(pen);
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
    timed(state, "cairo_per_segment", [&] {
        for (const Segment& s : segs) {
            cairo_move_to(img.cr, s.x0 + 0.5, s.y0 + 0.5);
            cairo_line_to(img.cr, s.x1 + 0.5, s.y1 + 0.5);
            cairo_stroke(img.cr);
        }
    });
}

void BM_CairoBatched(benchmark::State& state) {
    CairoImage img;
    const auto& segs = segments();
    timed(state, "cairo_batched_1000", [&] {
        for (size_t i = 0; i < segs.size(); ++i) {
            const Segment& s = segs[i];
            cairo_move_to(img.cr, s.x0 + 0.5, s.y0 + 0.5);
            cairo_line_to(img.cr, s.x1 + 0.5, s.y1 + 0.5);
            if (i % 1000 == 999)
                cairo_stroke(img.cr);
        }
        cairo_stroke(img.cr);
    });
}

// The least work that lights the same pixels: Bresenham into a plain buffer, no checks.
void BM_BareBresenham(benchmark::State& state) {
    std::vector<uint32_t> buf(static_cast<size_t>(kWidth) * kHeight, 0xFFFFFFFFu);
    const auto& segs = segments();
    const uint32_t color = 0xFFC80000u;
    timed(state, "bare_loop", [&] {
        uint32_t* px = buf.data();
        for (const Segment& s : segs) {
            const int dx = std::abs(s.x1 - s.x0), dy = std::abs(s.y1 - s.y0);
            const int sx = s.x1 >= s.x0 ? 1 : -1, sy = s.y1 >= s.y0 ? kWidth : -kWidth;
            uint32_t* p = px + s.y0 * kWidth + s.x0;
            if (dx >= dy) {
                int err = 2 * dy - dx;
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
                int err = 2 * dx - dy;
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
        benchmark::ClobberMemory();
    });
}

BENCHMARK(BM_GdiLineTo)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_CairoPerSegment)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_CairoBatched)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BareBresenham)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    auto& r = results();
    if (r.count("gdi") && r.count("cairo_per_segment") && r.count("cairo_batched_1000") &&
        r.count("bare_loop")) {
        const double cairoBest = std::min(r["cairo_per_segment"], r["cairo_batched_1000"]);
        std::printf("\n%d one-pixel segments on %d x %d:\n", kSegments, kWidth, kHeight);
        for (const auto& kv : r)
            std::printf("  %-20s %9.2f ms  (%.1f ns/segment)\n", kv.first.c_str(), kv.second * 1e3,
                        kv.second * 1e9 / kSegments);
        std::printf("  gdi / faster cairo  = %.3f  (target <= 0.5)\n", r["gdi"] / cairoBest);
        std::printf("  gdi / bare loop     = %.3f  (target <= 3)\n", r["gdi"] / r["bare_loop"]);
    }
    return 0;
}
