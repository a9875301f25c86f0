// Patterned lines: the standard dashed line types drawn through the view along 10^4 polylines on a
// 1920 x 1080 image device, against Cairo's own dashes of the same pattern stroking the same
// polylines on a Cairo image of the same size (one-pixel aliased lines, one stroke per polyline).
// Prints the ratio for each line type at the end; the goal is at most 2.
//
// The polylines are random walks of 12 vertices with steps of 10 to 120 pixels, kept inside the
// image; the view runs at 96 dpi (3.78 pixels per pattern millimetre) and line scale 1.
#include "bench_ratio.h"
#include "bench_rounds.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "linetype/CLineType.h"
#include "platform/devices.h"
#include "platform/win32.h"
#include "view/CGraphSystem.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kPolylines = 10000;
constexpr int kVertices = 12;
constexpr double kPixelsPerMm = 96.0 / 25.4;

// Standard line types by index: 2 dashed, 4 dash dot, 6 dash three dots, 7 dotted, 15 two dashes
// three dots.
const int kTypes[] = {2, 4, 6, 7, 15};

const std::vector<std::vector<mgPoint>>& Polylines() {
    static const std::vector<std::vector<mgPoint>> all = [] {
        std::mt19937 rng(2024);
        std::uniform_real_distribution<double> px(0, kWidth), py(0, kHeight), step(10, 120);
        std::uniform_real_distribution<double> turn(-1.5, 1.5);
        std::vector<std::vector<mgPoint>> v(kPolylines);
        for (auto& line : v) {
            double x = px(rng), y = py(rng), a = turn(rng) * 2;
            line.emplace_back(x, y);
            while (line.size() < kVertices) {
                const double l = step(rng);
                a += turn(rng);
                const double nx = x + l * std::cos(a), ny = y + l * std::sin(a);
                if (nx < 0 || ny < 0 || nx >= kWidth || ny >= kHeight) {
                    a += 3.14159;
                    continue;
                }
                x = nx;
                y = ny;
                line.emplace_back(x, y);
            }
        }
        return v;
    }();
    return all;
}

// Dash lengths in pixels of a line type made only of dashes on the line: dash, gap, dash, gap...
std::vector<double> DashesOf(const CLineType& lt) {
    std::vector<double> d;
    double at = 0;
    for (unsigned i = 0; i < lt.GetCount(); ++i) {
        const CLineType::item_data* it = lt.GetItem(i);
        if (!d.empty())
            d.push_back((it->start - at) * kPixelsPerMm);
        d.push_back((it->end - it->start) * kPixelsPerMm);
        at = it->end;
    }
    d.push_back((lt.GetPeriod() - at) * kPixelsPerMm);
    return d;
}

void BM_Pattern(benchmark::State& state) {
    const char* name = CLineTypes::StdLineTypeName(static_cast<int>(state.range(0)));
    auto dev = draft2d::Device::CreateImage(kWidth, kHeight);
    HDC dc = dev->GetDC();
    CGraphSystem view;
    view.SetWndSize(kWidth, kHeight);
    view.Attach(dc, nullptr, 0);
    view.SetMmPixels(kPixelsPerMm, kPixelsPerMm);
    view.SetLineType(name, 1.0);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    const auto& lines = Polylines();
    for (auto _ : state) {
        for (const auto& line : lines)
            view.DrawPolyline(kVertices, line.data(), 0, CGraphSystem::COORD_SCREEN);
    }
    benchmark::DoNotOptimize(dev->GetPixel(0, 0));
    SelectObject(dc, old);
    DeleteObject(pen);
    view.Detach();
    state.SetItemsProcessed(state.iterations() * kPolylines);
}

void BM_CairoDash(benchmark::State& state) {
    const CLineType* lt =
        CLineTypes::GetObjectA()->Find(CLineTypes::StdLineTypeName(static_cast<int>(state.range(0))));
    const std::vector<double> dashes = DashesOf(*lt);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, 1.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_source_rgb(cr, 0.8, 0, 0);
    cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
    const auto& lines = Polylines();
    for (auto _ : state) {
        for (const auto& line : lines) {
            cairo_move_to(cr, line[0].x() + 0.5, line[0].y() + 0.5);
            for (size_t i = 1; i < line.size(); ++i)
                cairo_line_to(cr, line[i].x() + 0.5, line[i].y() + 0.5);
            cairo_stroke(cr);
        }
    }
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface)[0]);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    state.SetItemsProcessed(state.iterations() * kPolylines);
}

void Types(benchmark::internal::Benchmark* b) {
    for (int t : kTypes)
        b->Arg(t);
}

BENCHMARK(BM_Pattern)->Apply(Types)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CairoDash)->Apply(Types)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return draft2d::bench::RunAndPrintRatios(argc, argv, [](const draft2d::bench::RatioReporter& times) {
        std::printf("\nStandard dashed line types along %d polylines of %d vertices (goal <= 2):\n",
                    kPolylines, kVertices);
        for (int t : kTypes) {
            const double ours = times.Time("BM_Pattern/" + std::to_string(t));
            const double base = times.Time("BM_CairoDash/" + std::to_string(t));
            if (ours > 0 && base > 0) {
                std::printf("  type %2d: pattern walk %8.2f ms, Cairo dashes %8.2f ms\n", t, ours, base);
                const std::string label = "line type " + std::to_string(t) + " / cairo dashes (one run)";
                draft2d::bench::ReportGoal(label.c_str(), {ours / base}, 2.0);
            }
        }
    });
}
