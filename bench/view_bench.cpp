// A mixed sheet of 100,000 entities (lines, polylines, circles, arcs, rectangles in user
// millimetres; every tenth one through a dashed line type) regenerated through CGraphSystem onto a
// 1920 x 1080 image device with a cache bitmap, against
//   - raw Cairo drawing the same primitives, already in screen pixels, one stroke per entity, with
//     no view logic (cairo_arc for circles and arcs, cairo_rectangle for rectangles), and
//   - a bare loop writing the same pixels: the segments the view handed to GDI (taken from the call
//     trace of one regeneration) drawn by Bresenham into a plain buffer.
// The view and the bare loop must light exactly the same pixels; the program checks that in the
// same run and fails when they differ.
//
// The view's cost is split by running parts of it alone: the conversion of every point to screen
// pixels; conversion and path store (the same calls on a view without a device, which collects and
// discards its paths); the platform (the traced GDI calls replayed); and the entry every path makes
// into its line type (a canvas on the DC, the pen's colour read, the view's line type set aside and
// given back) timed on its own. What is left is clipping and walking the paths.
//
// Every variant runs in rounds (bench_rounds.h): within a round they take turns until each has run
// for 0.5 s of CPU time; ratios are taken per round and reported as the median of five rounds with
// their spread. The peak resident memory of the view's runs is printed at the end.
#include "bare_lines.h"
#include "bench_rounds.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <memory>
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

// A view on a 1920 x 1080 image device with a cache bitmap, drawing outlines as a host would: the
// black pen and no brush for the whole regeneration.
struct HostView {
    HostView() : dev(draft2d::Device::CreateImage(kWidth, kHeight)) {
        view.SetWndSize(kWidth, kHeight);
        view.Attach(dev->GetDC(), nullptr, 1);
        canvas.Attach(&view, nullptr, 1);
    }
    ~HostView() {
        canvas.Detach();
        view.Detach();
    }
    long long Regeneration() {
        view.Cls();
        Regenerate(view);
        return kEntities;
    }
    std::unique_ptr<draft2d::Device> dev;
    CGraphSystem view;
    CGraphCanvas canvas;
};

// Conversion alone: every point and radius to screen pixels.
long long ConversionPass(const CGraphSystem& v) {
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
    return kEntities;
}

// The entry of one path into its line type, as the view makes it for every path it draws.
long long LineTypeEntryPass(CGraphSystem& v) {
    HDC dc = v.GetDrawDC();
    for (int i = 0; i < kEntities; ++i) {
        CGraphCanvas canvas(&v, dc, 0);
        v.SetTextColor(canvas.GetPenColor());
        v.SetLineType(nullptr, 1.0);
    }
    return kEntities;
}

// The GDI calls of a regeneration replayed on the cache bitmap's kind of DC.
long long PlatformPass(HDC dc) {
    for (const Segment& s : TracedSegments()) {
        MoveToEx(dc, s.x0, s.y0, nullptr);
        LineTo(dc, s.x1, s.y1);
    }
    return kEntities;
}

// Raw Cairo: the primitives already in screen pixels, one stroke per entity.
struct RawCairo {
    RawCairo() : screen(Sheet()) {
        CGraphSystem v;
        v.SetWndSize(kWidth, kHeight);
        for (Entity& e : screen) {
            for (int i = 0; i < 6; ++i) {
                mgPoint p;
                v.UserToScreen(e.x[i], e.y[i], p);
                e.x[i] = p.x();
                e.y[i] = p.y();
            }
            e.r *= v.UserToScreen();
        }
        surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
        cr = cairo_create(surface);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_set_line_width(cr, 1.0);
    }
    ~RawCairo() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    long long Pass() {
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
        return kEntities;
    }
    std::vector<Entity> screen;
    cairo_surface_t* surface;
    cairo_t* cr;
};

// The least work that lights the same pixels (bare_lines.h). Ink is 0 on a white buffer.
long long BareLoopPass(std::vector<uint32_t>& buf) {
    std::fill(buf.begin(), buf.end(), 0xFFFFFFFFu);
    for (const Segment& s : TracedSegments())
        draft2d::bench::BareLine(buf.data(), kWidth, kHeight, s.x0, s.y0, s.x1, s.y1, 0);
    benchmark::ClobberMemory();
    return kEntities;
}

// FNV-1a over which pixels are ink (not the background's colour) in a width x height block.
uint64_t InkHash(const uint32_t* px, int strideWords, uint32_t background) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            h ^= (px[static_cast<size_t>(y) * strideWords + x] & 0xFFFFFFu) != (background & 0xFFFFFFu);
            h *= 1099511628211ull;
        }
    return h;
}

} // namespace

int main(int argc, char** argv) {
    namespace b = draft2d::bench;
    benchmark::Initialize(&argc, argv); // takes the --benchmark_* options scripts pass to every program

    HostView host;
    RawCairo cairo;
    std::vector<uint32_t> bare(static_cast<size_t>(kWidth) * kHeight);
    CGraphSystem noDevice; // collects its paths and clears them: conversion and path store
    noDevice.SetWndSize(kWidth, kHeight);
    noDevice.SetLineType("0", 1.0);
    auto replay = draft2d::Device::CreateImage(kWidth, kHeight);
    auto entryDevice = draft2d::Device::CreateImage(64, 64);
    CGraphSystem entryView;
    entryView.SetWndSize(64, 64);
    entryView.Attach(entryDevice->GetDC(), nullptr, 1);
    entryView.SetLineType("0", 1.0);

    // The same pixels from the view and from the bare loop, or the comparison means nothing.
    host.Regeneration();
    host.view.ShowCacheBitmap();
    const long viewPeakKb = PeakKb();
    BareLoopPass(bare);
    const uint64_t viewInk =
        InkHash(host.dev->GetPixels(), host.dev->GetStride() / 4, host.dev->GetPixel(0, 0));
    const uint64_t bareInk = InkHash(bare.data(), kWidth, 0xFFFFFFFFu);
    std::printf(
        "%d entities on %d x %d, %zu segments; ink of the view %016llx, of the bare loop %016llx: %s\n",
        kEntities, kWidth, kHeight, TracedSegments().size(), static_cast<unsigned long long>(viewInk),
        static_cast<unsigned long long>(bareInk), viewInk == bareInk ? "the same" : "DIFFERENT");

    const auto ns = b::TimeInRounds({{"view", [&] { return host.Regeneration(); }},
                                     {"bare loop", [&] { return BareLoopPass(bare); }},
                                     {"raw cairo", [&] { return cairo.Pass(); }},
                                     {"conversion", [&] { return ConversionPass(noDevice); }},
                                     {"conversion and paths",
                                      [&] {
                                          Regenerate(noDevice);
                                          return static_cast<long long>(kEntities);
                                      }},
                                     {"platform", [&] { return PlatformPass(replay->GetDC()); }},
                                     {"line type entry", [&] { return LineTypeEntryPass(entryView); }}});
    entryView.Detach();
    enum { View, Bare, Cairo, Conversion, Paths, Platform, Entry };
    const double view = b::Median(ns[View]), paths = b::Median(ns[Paths]), platform = b::Median(ns[Platform]);
    const double entry = b::Median(ns[Entry]);
    std::printf(
        "\nnanoseconds an entity (medians of the rounds): whole view %.0f; conversion %.0f, path store %.0f, "
        "line type entry and canvas %.0f, clipping and walking the paths %.0f, platform %.0f; bare loop "
        "%.0f, raw cairo %.0f\n",
        view, b::Median(ns[Conversion]), paths - b::Median(ns[Conversion]), entry,
        view - paths - entry - platform, platform, b::Median(ns[Bare]), b::Median(ns[Cairo]));
    b::ReportGoal("regeneration / bare loop", b::RoundRatios(ns[View], ns[Bare]), 2.5);
    b::ReportGoal("regeneration / raw cairo", b::RoundRatios(ns[View], ns[Cairo]), 0.5);
    b::ReportGoal("line type entry and canvas a path", ns[Entry], 250, "ns");
    std::printf(
        "  peak resident memory after the first regeneration: %.1f MB (the whole program: %.1f MB, most "
        "of it the call trace the platform and bare runs replay)\n",
        viewPeakKb / 1024.0, PeakKb() / 1024.0);
    benchmark::Shutdown();
    return viewInk == bareInk ? 0 : 1;
}
