// The baseline of the text benchmarks: raw Cairo showing the glyphs of a line with one font made
// once beforehand (AR PL UMing CN at an em of em pixels, aliased, as our fonts draw), on an 800 x 100
// image, moving a pixel further each time.
#pragma once

#include <benchmark/benchmark.h>
#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <vector>

namespace draft2d::bench {

inline void RawCairoShowGlyphs(benchmark::State& state, double em, const char* utf8, int expectedGlyphs) {

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
    cairo_matrix_init_scale(&fm, em, em);
    cairo_matrix_init_identity(&ctm);
    cairo_font_options_t* opt = cairo_font_options_create();
    cairo_font_options_set_antialias(opt, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_metrics(opt, CAIRO_HINT_METRICS_ON);
    cairo_scaled_font_t* font = cairo_scaled_font_create(face, &fm, &ctm, opt);
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    cairo_scaled_font_text_to_glyphs(font, 0, 0, utf8, -1, &glyphs, &count, nullptr, nullptr, nullptr);
    std::vector<cairo_glyph_t> base(glyphs, glyphs + count), placed(base);
    cairo_glyph_free(glyphs);
    if (count != expectedGlyphs)
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

} // namespace draft2d::bench
