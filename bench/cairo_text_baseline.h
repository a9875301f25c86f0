// The baseline of the text benchmarks: raw Cairo showing the very glyphs a benchmark's line draws (the
// same faces at the same sizes, rendered as the platform layer renders text of the default quality on
// an image device: greyscale, light hinting, a face's bitmap strike where it has one), with the fonts
// made and the glyph indices and positions converted once beforehand, one show_glyphs per font, on an
// 800 x 100 image, moving a pixel further each time. That is the least any Cairo-based text output of
// the line can do.
//
// Sizes follow the platform layer's rule: a positive lfHeight is the cell (usWinAscent + usWinDescent
// of the face's OS/2 table), a negative one the em; an lfWidth stretches the average character width
// (xAvgCharWidth) to it.
#pragma once

#include <benchmark/benchmark.h>
#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace draft2d::bench {

// Characters of a line in one font.
struct BaselineRun {
    const char* family; // the installed family the platform layer maps the face name to
    int height;         // lfHeight, pixels
    int width;          // lfWidth, pixels; 0 for the face's own
    const char* utf8;
};

namespace detail {

struct BaselineFont {
    std::string family;
    int height = 0, width = 0;
    FT_Face ft = nullptr;              // the face's, kept by FaceOf
    cairo_font_face_t* face = nullptr; // the same
    cairo_scaled_font_t* font = nullptr;
    std::vector<cairo_glyph_t> base, placed; // its glyphs of the line, at the line's start and moved
};

// Frees a face's FreeType face with its Cairo face.
inline const cairo_user_data_key_t kFtFaceKey = {};

inline FT_Library BaselineFreeType() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        FT_Init_FreeType(&l);
        return l;
    }();
    return lib;
}

// The face of an installed family, loaded once and kept for the process (as the platform layer keeps
// its faces), so that making a font of it at a new size costs what Cairo and FreeType need for the
// size alone. Null when the family is not installed.
struct BaselineFace {
    FT_Face ft = nullptr;
    cairo_font_face_t* face = nullptr;
};

inline BaselineFace FaceOf(const std::string& family) {
    static std::map<std::string, BaselineFace> faces;
    const auto it = faces.find(family);
    if (it != faces.end())
        return it->second;
    BaselineFace out;
    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res;
    FcPattern* match = FcFontMatch(nullptr, pat, &res);
    FcPatternDestroy(pat);
    FcChar8* file = nullptr;
    int index = 0;
    const bool found =
        match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch &&
        FT_New_Face(BaselineFreeType(), reinterpret_cast<const char*>(file), index, &out.ft) == 0;
    if (match)
        FcPatternDestroy(match);
    if (found) {
        out.face = cairo_ft_font_face_create_for_ft_face(out.ft, 0);
        cairo_font_face_set_user_data(out.face, &kFtFaceKey, out.ft,
                                      [](void* ft) { FT_Done_Face(static_cast<FT_Face>(ft)); });
    }
    faces.emplace(family, out);
    return out;
}

// The font of a run, made as the platform layer makes it; false when the family is not installed.
inline bool MakeBaselineFont(const BaselineRun& run, BaselineFont& out) {
    const BaselineFace face = FaceOf(run.family);
    if (!face.face)
        return false;
    out.ft = face.ft;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(out.ft, FT_SFNT_OS2));
    const double upem = out.ft->units_per_EM;
    const double cell = os2 ? os2->usWinAscent + os2->usWinDescent : upem;
    const double em = run.height > 0 ? run.height * upem / cell : -run.height;
    double sx = em;
    if (run.width != 0 && os2 && os2->xAvgCharWidth > 0)
        sx = em * run.width / (os2->xAvgCharWidth * em / upem);

    out.family = run.family;
    out.height = run.height;
    out.width = run.width;
    out.face = face.face;
    cairo_matrix_t fm, ctm;
    cairo_matrix_init_scale(&fm, sx, em);
    cairo_matrix_init_identity(&ctm);
    // The options image surfaces give every font, then the rendering (made once).
    static cairo_font_options_t* const opt = [] {
        cairo_font_options_t* o = cairo_font_options_create();
        cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        cairo_surface_get_font_options(probe, o);
        cairo_surface_destroy(probe);
        cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_ON);
        return o;
    }();
    out.font = cairo_scaled_font_create(out.face, &fm, &ctm, opt);
    return cairo_scaled_font_status(out.font) == CAIRO_STATUS_SUCCESS;
}

// The fonts of a line with their glyphs placed one after the other from x = 0 on the baseline.
class BaselineLine {
public:
    BaselineLine(const std::vector<BaselineRun>& runs, int& glyphCount) {
        glyphCount = 0;
        double pen = 0;
        for (const BaselineRun& run : runs) {
            BaselineFont* f = nullptr;
            for (BaselineFont& g : fonts_)
                if (g.family == run.family && g.height == run.height && g.width == run.width)
                    f = &g;
            if (!f) {
                fonts_.emplace_back();
                if (!MakeBaselineFont(run, fonts_.back())) {
                    ok_ = false;
                    return;
                }
                f = &fonts_.back();
            }
            cairo_glyph_t* glyphs = nullptr;
            int count = 0;
            cairo_scaled_font_text_to_glyphs(f->font, pen, 0, run.utf8, -1, &glyphs, &count, nullptr, nullptr,
                                             nullptr);
            cairo_text_extents_t ext;
            cairo_scaled_font_glyph_extents(f->font, glyphs, count, &ext);
            runs_.push_back(
                {static_cast<size_t>(f - fonts_.data()), f->base.size(), static_cast<size_t>(count)});
            f->base.insert(f->base.end(), glyphs, glyphs + count);
            cairo_glyph_free(glyphs);
            pen += ext.x_advance;
            glyphCount += count;
        }
        for (BaselineFont& f : fonts_)
            f.placed = f.base;
    }
    ~BaselineLine() {
        for (BaselineFont& f : fonts_) {
            if (f.font)
                cairo_scaled_font_destroy(f.font);
        }
    }
    BaselineLine(const BaselineLine&) = delete;
    BaselineLine& operator=(const BaselineLine&) = delete;

    bool ok() const { return ok_; }
    void Show(cairo_t* cr, double x, double y) {
        for (BaselineFont& f : fonts_) {
            for (size_t i = 0; i < f.placed.size(); ++i) {
                f.placed[i].x = f.base[i].x + x;
                f.placed[i].y = y;
            }
            cairo_set_scaled_font(cr, f.font);
            cairo_show_glyphs(cr, f.placed.data(), static_cast<int>(f.placed.size()));
        }
    }

    // The same glyphs in one show_glyphs per run, in the order of the runs: the Cairo calls of a
    // text output that writes each run by itself.
    void ShowRuns(cairo_t* cr, double x, double y) {
        for (const Run& r : runs_) {
            BaselineFont& f = fonts_[r.font];
            for (size_t i = r.first; i < r.first + r.count; ++i) {
                f.placed[i].x = f.base[i].x + x;
                f.placed[i].y = y;
            }
            cairo_set_scaled_font(cr, f.font);
            cairo_show_glyphs(cr, f.placed.data() + r.first, static_cast<int>(r.count));
        }
    }

private:
    struct Run {
        size_t font, first, count;
    };
    std::vector<Run> runs_;
    std::vector<BaselineFont> fonts_; // never resized once glyphs point into it
    bool ok_ = true;
};

} // namespace detail

// Ink of an image's pixels (0x??RRGGBB words) drawn black on white: the sum of 255 - luminance.
inline long InkOf(const uint32_t* px, int width, int height, int strideWords) {
    long ink = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t v = px[static_cast<size_t>(y) * strideWords + x];
            ink += 255 - static_cast<long>(
                             (((v >> 16) & 0xFF) * 30 + ((v >> 8) & 0xFF) * 59 + (v & 0xFF) * 11) / 100);
        }
    return ink;
}

// An 800 x 100 white image with a context that draws black, as the baseline draws on.
class RawCairoImage {
public:
    RawCairoImage()
        : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 100)), cr_(cairo_create(surface_)) {
        cairo_set_source_rgb(cr_, 1, 1, 1);
        cairo_paint(cr_);
        cairo_set_source_rgb(cr_, 0, 0, 0);
    }
    ~RawCairoImage() {
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
    }
    RawCairoImage(const RawCairoImage&) = delete;
    RawCairoImage& operator=(const RawCairoImage&) = delete;

    cairo_t* cr() const { return cr_; }
    long Ink() const {
        cairo_surface_flush(surface_);
        return InkOf(reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface_)), 800, 100,
                     cairo_image_surface_get_stride(surface_) / 4);
    }

private:
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// The ink of the line drawn once by the baseline: the same glyphs as the library's line have the same
// ink, wherever each is placed (as long as none overlap).
inline long RawCairoLineInk(const std::vector<BaselineRun>& runs) {
    int count = 0;
    detail::BaselineLine line(runs, count);
    if (!line.ok())
        return -1;
    RawCairoImage image;
    line.Show(image.cr(), 10, 60);
    return image.Ink();
}

// The first line the baseline draws at a size: the fonts made at the size, the text converted to
// glyphs and measured, the glyphs shown. Returns the number of glyphs (0 when a font is missing).
inline int RawCairoFirstLine(RawCairoImage& image, const std::vector<BaselineRun>& runs) {
    int count = 0;
    detail::BaselineLine line(runs, count);
    if (!line.ok())
        return 0;
    line.Show(image.cr(), 10, 90);
    return count;
}

inline void RawCairoShowGlyphs(benchmark::State& state, const std::vector<BaselineRun>& runs,
                               int expectedGlyphs) {
    RawCairoImage image;
    {
        int count = 0;
        detail::BaselineLine line(runs, count);
        if (!line.ok() || count != expectedGlyphs)
            state.SkipWithError("the baseline's fonts or glyphs are not the line's");
        int x = 0;
        for (auto _ : state) {
            line.Show(image.cr(), 10 + x, 60);
            x = (x + 1) & 63;
        }
    }
    benchmark::DoNotOptimize(image.Ink());
    state.SetItemsProcessed(state.iterations());
}

} // namespace draft2d::bench
