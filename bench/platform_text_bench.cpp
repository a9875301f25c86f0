// Text output through our GDI layer against raw Cairo on the same surface size, font and line.
//
// GdiTextOut does what a drawing call of the library does for one line of text: CreateFontIndirectA
// with the same LOGFONTA every time, SelectObject, TextOutA of a 7-character GBK line, SelectObject
// back and DeleteObject. RawCairoShowGlyphs draws the same line with one scaled font prepared in
// advance and glyph indices converted once, which is the least any Cairo-based text output can do.
// GdiMeasure is GetTextExtentPoint32A of the same line on a selected font (a cached measure).
//
// The program prints the ratio GdiTextOut / RawCairoShowGlyphs of CPU time measured in the same run
// (CPU time, because the machines that run it are shared).
#include <benchmark/benchmark.h>

#include "bench_ratio.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

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
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 100);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);

    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>("AR PL UMing CN"));
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res;
    FcPattern* match = FcFontMatch(nullptr, pat, &res);
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
    cairo_matrix_t fm, ctm;
    cairo_matrix_init_scale(&fm, kEm, kEm);
    cairo_matrix_init_identity(&ctm);
    cairo_font_options_t* opt = cairo_font_options_create();
    cairo_font_options_set_antialias(opt, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_metrics(opt, CAIRO_HINT_METRICS_ON);
    cairo_scaled_font_t* font = cairo_scaled_font_create(face, &fm, &ctm, opt);
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    cairo_scaled_font_text_to_glyphs(font, 0, 0, kLineUtf8, -1, &glyphs, &count, nullptr, nullptr, nullptr);
    std::vector<cairo_glyph_t> base(glyphs, glyphs + count), placed(base);
    cairo_glyph_free(glyphs);
    if (count != 7)
        state.SkipWithError("unexpected glyph count");

    int x = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < placed.size(); ++i) {
            placed[i].x = base[i].x + 10 + x;
            placed[i].y = 60;
        }
        cairo_set_scaled_font(cr, font);
        cairo_show_glyphs(cr, placed.data(), static_cast<int>(placed.size()));
        x = (x + 1) & 63;
    }
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface)[0]);
    state.SetItemsProcessed(state.iterations());

    cairo_scaled_font_destroy(font);
    cairo_font_options_destroy(opt);
    cairo_font_face_destroy(face);
    FcPatternDestroy(match);
    FcPatternDestroy(pat);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
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
                        "(target <= 2)\n",
                        gdi / raw);
    });
}
