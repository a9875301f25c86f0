// A mixed sheet of 100,000 entities (lines, polylines, circles, arcs, rectangles in user
// millimetres; every tenth one through a dashed line type) regenerated through CGraphSystem onto a
// 1920 x 1080 image device with a cache bitmap, against
//   - raw Cairo drawing the same primitives, already in screen pixels, one stroke per entity, with
//     no view logic (cairo_arc for circles and arcs, cairo_rectangle for rectangles), and
//   - a bare loop writing the same pixels: the segments the view handed to GDI (taken from the call
//     trace of one regeneration) drawn by Bresenham into a plain buffer.
// The view's cost is split by running parts of it alone: the conversion of every point to screen
// pixels; conversion and path store (the same calls on a view without a device, which collects and
// discards its paths); and the platform (the traced GDI calls replayed). What is left of the whole
// is the line type entry and its canvas. The peak resident memory of the run is printed at the end.
#include "bench_ratio.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/devices.h"
#include "view/CGraphCanvas.h"
#include "view/CGraphSystem.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kEntities = 100000;
const double kPi = 3.141592653589793;

enum Kind { Line, Polyline, Circle, Arc, Rect };

struct Entity {
    Kind kind;
    bool dashed;
    double x[6], y[6]; // points; circles and arcs: centre in x[0], y[0]
    int n;             // polyline points
    double r, start, sweep;
};

const std::vector<Entity>& Sheet() {
    static const std::vector<Entity> sheet = [] {
        std::mt19937 rng(2026);
        std::uniform_real_distribution<double> ux(5, 500), uy(5, 280), len(1, 50), ang(0, 2 * kPi), u01(0, 1);
        std::vector<Entity> v(kEntities);
        for (int i = 0; i < kEntities; ++i) {
            Entity& e = v[i];
            const int k = i % 20;
            e.kind = k < 6 ? Line : k < 10 ? Polyline : k < 14 ? Circle : k < 17 ? Arc : Rect;
            e.dashed = i % 10 == 9;
            e.x[0] = ux(rng);
            e.y[0] = uy(rng);
            switch (e.kind) {
            case Line: {
                const double a = ang(rng), l = len(rng);
                e.x[1] = e.x[0] + l * std::cos(a);
                e.y[1] = e.y[0] + l * std::sin(a);
                break;
            }
            case Polyline:
                e.n = 6;
                for (int j = 1; j < 6; ++j) {
                    e.x[j] = e.x[j - 1] + 15 * (u01(rng) - 0.5);
                    e.y[j] = e.y[j - 1] + 15 * (u01(rng) - 0.5);
                }
                break;
            case Circle:
                e.r = 0.5 + 14.5 * u01(rng) * u01(rng);
                break;
            case Arc:
                e.r = 1 + 19 * u01(rng);
                e.start = ang(rng);
                e.sweep = 0.3 + 4.7 * u01(rng);
                break;
            case Rect:
                e.x[1] = e.x[0] + 2 + 28 * u01(rng);
                e.y[1] = e.y[0] + 2 + 28 * u01(rng);
                break;
            }
        }
        return v;
    }();
    return sheet;
}

const char* kDashed = "2"; // a standard dashed line type

void DrawEntity(CGraphSystem& v, const Entity& e) {
    using CS = CGraphSystem;
    switch (e.kind) {
    case Line:
        v.DrawLine(e.x[0], e.y[0], e.x[1], e.y[1], CS::COORD_USER);
        break;
    case Polyline:
        v.DrawPolyline(e.n, e.x, e.y, 0, CS::COORD_USER);
        break;
    case Circle:
        v.DrawCircle(e.x[0], e.y[0], e.r, CS::COORD_USER);
        break;
    case Arc:
        v.DrawArc(e.x[0], e.y[0], e.r, e.start, e.sweep, CS::ARC_ARC, CS::COORD_USER);
        break;
    case Rect:
        v.DrawRect(mgRect(e.x[0], e.y[0], e.x[1], e.y[1]), 0, 0, 0, CS::COORD_USER);
        break;
    }
}

void Regenerate(CGraphSystem& v) {
    bool dashed = false;
    for (const Entity& e : Sheet()) {
        if (e.dashed != dashed) {
            v.SetLineType(e.dashed ? kDashed : "0", 1.0);
            dashed = e.dashed;
        }
        DrawEntity(v, e);
    }
    if (dashed)
        v.SetLineType("0", 1.0);
}

struct Segment {
    int x0, y0, x1, y1;
};

// The segments one regeneration hands to GDI, read back from the call trace.
const std::vector<Segment>& TracedSegments() {
    static const std::vector<Segment> segs = [] {
        std::vector<Segment> out;
        auto dev = draft2d::Device::CreateImage(kWidth, kHeight);
        CGraphSystem v;
        v.SetWndSize(kWidth, kHeight);
        v.Attach(dev->GetDC(), nullptr, 0);
        dev->EnableTrace(true);
        Regenerate(v);
        int cx = 0, cy = 0;
        for (const std::string& l : dev->GetTrace()) {
            int x, y;
            if (std::sscanf(l.c_str(), "MoveToEx(%d,%d)", &x, &y) == 2) {
                cx = x;
                cy = y;
            } else if (std::sscanf(l.c_str(), "LineTo(%d,%d)", &x, &y) == 2) {
                out.push_back({cx, cy, x, y});
                cx = x;
                cy = y;
            }
        }
        v.Detach();
        return out;
    }();
    return segs;
}

long PeakKb() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long g_viewPeakKb = 0; // peak resident memory when the view benchmark (which runs first) ends

void BM_View(benchmark::State& state) {
    auto dev = draft2d::Device::CreateImage(kWidth, kHeight);
    CGraphSystem v;
    v.SetWndSize(kWidth, kHeight);
    v.Attach(dev->GetDC(), nullptr, 1);
    // As a host drawing outlines would: the black pen and no brush, for the whole regeneration.
    CGraphCanvas canvas(&v, nullptr, 1);
    for (auto _ : state) {
        v.Cls();
        Regenerate(v);
    }
    canvas.Detach();
    g_viewPeakKb = PeakKb();
    v.ShowCacheBitmap();
    v.Detach();
}

// Conversion alone: every point and radius to screen pixels.
void BM_Conversion(benchmark::State& state) {
    CGraphSystem v;
    v.SetWndSize(kWidth, kHeight);
    for (auto _ : state) {
        double sum = 0;
        for (const Entity& e : Sheet()) {
            const int n = e.kind == Polyline ? e.n : e.kind == Line || e.kind == Rect ? 2 : 1;
            for (int i = 0; i < n; ++i) {
                mgPoint p;
                v.UserToScreen(e.x[i], e.y[i], p);
                sum += p.x();
            }
            if (e.kind == Circle || e.kind == Arc)
                sum += e.r * v.UserToScreen();
        }
        benchmark::DoNotOptimize(sum);
    }
}

// Conversion and path store: the same calls on a view without a device collect their paths and
// clear them; nothing is drawn.
void BM_ConversionAndPaths(benchmark::State& state) {
    CGraphSystem v;
    v.SetWndSize(kWidth, kHeight);
    v.SetLineType("0", 1.0);
    for (auto _ : state)
        Regenerate(v);
}

// The platform: the GDI calls of a regeneration replayed on the cache bitmap's kind of DC.
void BM_Platform(benchmark::State& state) {
    auto dev = draft2d::Device::CreateImage(kWidth, kHeight);
    HDC dc = dev->GetDC();
    const std::vector<Segment>& segs = TracedSegments();
    for (auto _ : state) {
        for (const Segment& s : segs) {
            MoveToEx(dc, s.x0, s.y0, nullptr);
            LineTo(dc, s.x1, s.y1);
        }
    }
}

void BM_RawCairo(benchmark::State& state) {
    // The primitives in screen pixels, converted once outside the timing.
    CGraphSystem v;
    v.SetWndSize(kWidth, kHeight);
    std::vector<Entity> screen = Sheet();
    for (Entity& e : screen) {
        for (int i = 0; i < 6; ++i) {
            mgPoint p;
            v.UserToScreen(e.x[i], e.y[i], p);
            e.x[i] = p.x();
            e.y[i] = p.y();
        }
        e.r *= v.UserToScreen();
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, 1.0);
    for (auto _ : state) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        for (const Entity& e : screen) {
            switch (e.kind) {
            case Line:
                cairo_move_to(cr, e.x[0], e.y[0]);
                cairo_line_to(cr, e.x[1], e.y[1]);
                break;
            case Polyline:
                cairo_move_to(cr, e.x[0], e.y[0]);
                for (int i = 1; i < e.n; ++i)
                    cairo_line_to(cr, e.x[i], e.y[i]);
                break;
            case Circle:
                cairo_new_sub_path(cr);
                cairo_arc(cr, e.x[0], e.y[0], e.r, 0, 2 * kPi);
                break;
            case Arc:
                cairo_new_sub_path(cr);
                cairo_arc_negative(cr, e.x[0], e.y[0], e.r, -e.start, -(e.start + e.sweep));
                break;
            case Rect:
                cairo_rectangle(cr, e.x[0], e.y[1], e.x[1] - e.x[0], e.y[0] - e.y[1]);
                break;
            }
            cairo_stroke(cr);
        }
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

// The least work that lights the same pixels: Bresenham into a plain buffer, no checks beyond
// staying inside it.
void BM_BareLoop(benchmark::State& state) {
    std::vector<uint32_t> buf(static_cast<size_t>(kWidth) * kHeight, 0xFFFFFFFFu);
    const std::vector<Segment>& segs = TracedSegments();
    for (auto _ : state) {
        std::fill(buf.begin(), buf.end(), 0xFFFFFFFFu);
        for (const Segment& s : segs) {
            int x = s.x0, y = s.y0;
            const int dx = std::abs(s.x1 - s.x0), dy = -std::abs(s.y1 - s.y0);
            const int sx = s.x1 >= s.x0 ? 1 : -1, sy = s.y1 >= s.y0 ? 1 : -1;
            int err = dx + dy;
            while (x != s.x1 || y != s.y1) {
                if (static_cast<unsigned>(x) < kWidth && static_cast<unsigned>(y) < kHeight)
                    buf[static_cast<size_t>(y) * kWidth + x] = 0;
                const int e2 = 2 * err;
                if (e2 >= dy) {
                    err += dy;
                    x += sx;
                }
                if (e2 <= dx) {
                    err += dx;
                    y += sy;
                }
            }
        }
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_View)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Conversion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConversionAndPaths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Platform)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawCairo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareLoop)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return draft2d::bench::RunAndPrintRatios(argc, argv, [](const draft2d::bench::RatioReporter& r) {
        const double view = r.Time("BM_View"), cairo = r.Time("BM_RawCairo"), bare = r.Time("BM_BareLoop");
        const double conv = r.Time("BM_Conversion"), paths = r.Time("BM_ConversionAndPaths");
        const double platform = r.Time("BM_Platform");
        if (view <= 0)
            return;
        std::printf("\n%d entities on %d x %d:\n", kEntities, kWidth, kHeight);
        if (cairo > 0)
            std::printf("  view / raw cairo = %.3f  (target <= 1)\n", view / cairo);
        if (bare > 0)
            std::printf("  view / bare loop = %.3f  (target <= 5)\n", view / bare);
        if (conv > 0 && paths > 0 && platform > 0) {
            const double perEntity = 1e9 / kEntities; // ns per entity from ms totals
            std::printf(
                "  per entity: conversion %.0f ns, path store %.0f ns, line type entry and canvas %.0f ns, "
                "platform %.0f ns (whole %.0f ns)\n",
                conv * perEntity * 1e-3, (paths - conv) * perEntity * 1e-3,
                (view - paths - platform) * perEntity * 1e-3, platform * perEntity * 1e-3,
                view * perEntity * 1e-3);
        }
        std::printf(
            "  peak resident memory at the end of the view's runs: %.1f MB (the whole program: %.1f MB, "
            "most of it the call trace the platform and bare runs replay)\n",
            g_viewPeakKb / 1024.0, PeakKb() / 1024.0);
    });
}
