// GDI text functions on the font engine: TextOutA, GetTextExtentPoint32A, GetCharABCWidthsA and
// GetTextMetricsA. They measure and draw with the same laid-out advances, so the extent of a text is
// the sum of its characters' A + B + C plus the DC's character extra, and its ink lies in that box.
//
// Fonts are given in logical units and realised in device pixels: under MM_TEXT the font of a handle
// is resolved once and kept with the handle; other mapping modes scale the request by the mapping.
#include "platform/posix/font_p.h"
#include "platform/posix/gdi_p.h"
#include "platform/posix/text_gbk.h"

#include <cmath>
#include <cstring>
#include <string>

namespace draft2d::detail {
namespace {

FontRequest RequestFor(const LOGFONTA& lf, double sx, double sy) {
    FontRequest r;
    auto scale = [](LONG v, double s) {
        const double d = std::round(static_cast<double>(v) * s);
        return static_cast<int32_t>(std::fmax(std::fmin(d, 1e9), -1e9));
    };
    r.height = sy == 1.0 ? lf.lfHeight : scale(lf.lfHeight, sy);
    r.width = sx == 1.0 ? lf.lfWidth : scale(lf.lfWidth, sx);
    r.escapement = lf.lfEscapement;
    r.orientation = lf.lfOrientation;
    r.weight = lf.lfWeight;
    r.italic = lf.lfItalic != 0;
    r.underline = lf.lfUnderline != 0;
    r.strikeOut = lf.lfStrikeOut != 0;
    r.charSet = lf.lfCharSet;
    r.pitchAndFamily = lf.lfPitchAndFamily;
    std::memcpy(r.faceName, lf.lfFaceName, sizeof(r.faceName) - 1);
    r.faceName[sizeof(r.faceName) - 1] = '\0';
    return r;
}

// The realised font of a DC's selected font, and the device-to-logical scales of its metrics.
struct DcFont {
    std::shared_ptr<TextFont> hold; // set only for fonts realised for another mapping mode
    TextFont* font = nullptr;
    double sx = 1.0; // device pixels per logical unit, magnitudes
    double sy = 1.0;
};

bool FontOf(Dc& dc, DcFont& out) {
    Font* handle = dc.st.font;
    if (!handle)
        return false;
    if (dc.st.mapMode != MM_TEXT) {
        out.sx = std::fabs(deviceScaleX(dc));
        out.sy = std::fabs(deviceScaleY(dc));
        if (!(out.sx > 0) || !(out.sy > 0) || !std::isfinite(out.sx) || !std::isfinite(out.sy))
            return false;
    }
    if (out.sx == 1.0 && out.sy == 1.0) {
        if (!handle->engineFont) {
            handle->engineFont = ResolveFont(RequestFor(handle->lf, 1.0, 1.0));
            if (!handle->engineFont)
                return false;
        }
        out.font = static_cast<TextFont*>(handle->engineFont.get());
        return true;
    }
    out.hold = ResolveFont(RequestFor(handle->lf, out.sx, out.sy));
    out.font = out.hold.get();
    return out.font != nullptr;
}

TextSpacing SpacingOf(const Dc& dc, double sx) {
    auto px = [sx](int v) {
        const double d = std::round(v * sx);
        return static_cast<int>(std::fmax(std::fmin(d, 1e9), -1e9));
    };
    TextSpacing sp;
    sp.charExtra = sx == 1.0 ? dc.st.charExtra : px(dc.st.charExtra);
    sp.breakExtra = sx == 1.0 ? dc.st.breakExtra : px(dc.st.breakExtra);
    sp.breakCount = dc.st.breakCount;
    return sp;
}

int ToLogical(int px, double s) {
    return s == 1.0 ? px : static_cast<int>(std::lround(px / s));
}

// The calling thread's glyph storage. Out of line, so that a caller looks the thread's copy up once
// rather than at every use.
__attribute__((noinline)) std::vector<PlacedGlyph>& Scratch() {
    thread_local std::vector<PlacedGlyph> glyphs;
    return glyphs;
}

// How the DC's text becomes pixels: pages keep outlines; one-bit devices (and their memory DCs) and
// fonts that ask for NONANTIALIASED_QUALITY get one-bit glyphs; every other quality is smoothed
// (ANTIALIASED_QUALITY and the ClearType qualities too, in grey).
GlyphMode ModeOf(const Dc& dc) {
    if (!dc.target->isImage)
        return GlyphMode::Page;
    if (dc.caps.bitsPixel == 1 || dc.st.font->lf.lfQuality == NONANTIALIASED_QUALITY)
        return GlyphMode::Mono;
    return GlyphMode::Smooth;
}

// Makes the text colour cr's source, as useSourceColor does, knowing without asking Cairo when the
// source is still the one set last for this colour: that pattern is held (so that its address names
// no other pattern while it is kept), and a context whose source is that very pattern draws in its
// colour. The layer's objects and device contexts are used by one thread, as the registry is.
void useTextColor(cairo_t* cr, COLORREF color) {
    static cairo_pattern_t* lastPattern = nullptr;
    static COLORREF lastColor = 0;
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
        return; // it draws nothing, and would answer with a new pattern of its own that nobody frees
    cairo_pattern_t* source = cairo_get_source(cr);
    if (source == lastPattern && color == lastColor)
        return;
    useSourceColor(cr, color);
    source = cairo_get_source(cr);
    if (source != lastPattern) {
        cairo_pattern_reference(source);
        if (lastPattern)
            cairo_pattern_destroy(lastPattern);
        lastPattern = source;
    }
    lastColor = color;
}

// Fills a text-space rectangle (x along the baseline, y down) with the current source.
void FillBand(cairo_t* cr, double x, double y, double w, double h) {
    if (w <= 0 || h <= 0)
        return;
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

} // namespace
} // namespace draft2d::detail

using namespace draft2d::detail;

extern "C" {

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "TextOutA(" + std::to_string(x) + "," + std::to_string(y) + "," +
                         traceString(lpString, c > 0 && lpString ? c : 0) + "," + std::to_string(c) + ")");
    if (c < 0 || (c > 0 && !lpString))
        return FALSE;
    DcFont f;
    if (!FontOf(*dc, f))
        return FALSE;
    TextFont& font = *f.font;
    const FontMetrics& m = font.metrics();
    const auto* text = reinterpret_cast<const unsigned char*>(lpString);
    const UINT align = dc->st.textAlign;
    const bool opaque = dc->st.bkMode == OPAQUE;
    const bool withText =
        dc->target && !dc->target->isImage && cairo_surface_has_show_text_glyphs(dc->target->surface);
    // Left-aligned text on a transparent background needs its width only after its glyphs: it is
    // laid out and drawn in one walk.
    const bool oneWalk = c > 0 && !opaque && !withText && (align & TA_CENTER) == TA_LEFT;
    std::vector<PlacedGlyph>* glyphs = nullptr; // laid out beforehand, when not drawn in one walk
    int width = 0;
    if (c > 0 && !oneWalk) {
        glyphs = &Scratch();
        width = font.Layout(text, c, SpacingOf(*dc, f.sx), *glyphs);
    }

    // Reference point in device pixels.
    const bool updateCp = (align & TA_UPDATECP) != 0;
    double rx = updateCp ? dc->st.pos.x : x;
    double ry = updateCp ? dc->st.pos.y : y;
    toDevice(*dc, rx, ry);
    if (!std::isfinite(rx) || !std::isfinite(ry))
        return FALSE;

    // Pen start on the baseline relative to the reference point, in text space.
    int x0 = 0;
    switch (align & TA_CENTER) {
    case TA_RIGHT:
        x0 = -width;
        break;
    case TA_CENTER:
        x0 = -(width / 2);
        break;
    default:
        break;
    }
    int baseline = m.ascent; // TA_TOP
    if ((align & TA_BASELINE) == TA_BASELINE)
        baseline = 0;
    else if (align & TA_BOTTOM)
        baseline = -m.descent;
    const bool oriented = dc->st.graphicsMode == GM_ADVANCED;
    if (oneWalk) {
        if (cairo_t* cr = cairoBase(*dc)) {
            useTextColor(cr, dc->st.textColor);
            width = font.LayoutAndDraw(cr, text, c, SpacingOf(*dc, f.sx), rx, ry, x0, baseline, oriented,
                                       ModeOf(*dc));
            cairoBaseDone(*dc);
        } else {
            width = font.Measure(text, c, SpacingOf(*dc, f.sx));
        }
    }

    // The background band and the lines are filled in the escapement's frame; the glyphs are placed
    // in device pixels and drawn on the base state of the DC's Cairo context.
    const double angle = font.angle();
    const FontRequest& r = font.request();
    auto fillBands = [&](bool background) {
        cairo_t* cr = cairoFor(*dc);
        if (!cr)
            return;
        cairo_translate(cr, rx, ry);
        if (angle != 0.0)
            cairo_rotate(cr, -angle);
        cairo_translate(cr, x0, baseline);
        if (background) {
            setSourceColor(cr, dc->st.bkColor);
            FillBand(cr, 0, -m.ascent, width, m.height);
        } else {
            setSourceColor(cr, dc->st.textColor);
            if (r.underline)
                FillBand(cr, 0, m.underlinePos, width, m.underlineThickness);
            if (r.strikeOut)
                FillBand(cr, 0, -m.strikeoutPos, width, m.strikeoutThickness);
        }
        cairoDone(*dc);
    };
    if (opaque)
        fillBands(true);
    if (glyphs && !glyphs->empty()) {
        if (cairo_t* cr = cairoBase(*dc)) {
            useTextColor(cr, dc->st.textColor);
            font.DrawGlyphs(cr, *glyphs, rx, ry, x0, baseline, oriented, ModeOf(*dc), withText);
            cairoBaseDone(*dc);
        }
    }
    if (r.underline || r.strikeOut)
        fillBands(false);

    // TA_UPDATECP: left-aligned text leaves the current position at its end, right-aligned text at
    // its start; centred text leaves it where it was.
    if (updateCp && (align & TA_CENTER) != TA_CENTER) {
        const double dx = (align & TA_CENTER) == TA_RIGHT ? -width : width;
        double px = rx + dx * std::cos(angle);
        double py = ry - dx * std::sin(angle);
        toLogical(*dc, px, py);
        if (std::isfinite(px) && std::isfinite(py)) {
            dc->st.pos.x = static_cast<LONG>(std::lround(px));
            dc->st.pos.y = static_cast<LONG>(std::lround(py));
        }
    }
    return TRUE;
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "GetTextExtentPoint32A(" + traceString(lpString, c > 0 && lpString ? c : 0) + "," +
                         std::to_string(c) + ")");
    if (!psizl || c < 0 || (c > 0 && !lpString))
        return FALSE;
    DcFont f;
    if (!FontOf(*dc, f))
        return FALSE;
    const int width =
        c > 0 ? f.font->Measure(reinterpret_cast<const unsigned char*>(lpString), c, SpacingOf(*dc, f.sx))
              : 0;
    psizl->cx = ToLogical(width, f.sx);
    psizl->cy = ToLogical(f.font->metrics().height, f.sy);
    return TRUE;
}

BOOL WINAPI GetCharABCWidthsA(HDC hdc, UINT wFirst, UINT wLast, LPABC lpABC) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "GetCharABCWidthsA(" + std::to_string(wFirst) + "," + std::to_string(wLast) + ")");
    // Codes above 0xFF are double-byte characters, lead byte in the high byte; fonts of the ANSI
    // character set have single-byte codes only.
    if (!lpABC || wFirst > wLast || wLast > 0xFFFF)
        return FALSE;
    DcFont f;
    if (!FontOf(*dc, f) || (f.font->IsAnsi() && wLast > 0xFF))
        return FALSE;
    for (UINT code = wFirst;; ++code) {
        unsigned char bytes[2];
        int n = 0;
        if (code > 0xFF)
            bytes[n++] = static_cast<unsigned char>(code >> 8);
        bytes[n++] = static_cast<unsigned char>(code & 0xFF);
        // A lead byte followed by an invalid trail byte decodes as one character: the code is still
        // a single replacement character.
        const GlyphInfo& g = f.font->GlyphAt(bytes, n);
        ABC& out = lpABC[code - wFirst];
        out.abcA = ToLogical(g.a, f.sx);
        out.abcB = static_cast<UINT>(ToLogical(g.b, f.sx));
        out.abcC = ToLogical(g.c, f.sx);
        if (code == wLast)
            break;
    }
    return TRUE;
}

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "GetTextMetricsA()");
    if (!lptm)
        return FALSE;
    DcFont f;
    if (!FontOf(*dc, f))
        return FALSE;
    const FontMetrics& m = f.font->metrics();
    const FontRequest& r = f.font->request();
    TEXTMETRICA tm{};
    tm.tmHeight = ToLogical(m.height, f.sy);
    tm.tmAscent = ToLogical(m.ascent, f.sy);
    tm.tmDescent = tm.tmHeight - tm.tmAscent;
    tm.tmInternalLeading = ToLogical(m.internalLeading, f.sy);
    tm.tmExternalLeading = ToLogical(m.externalLeading, f.sy);
    tm.tmAveCharWidth = ToLogical(m.aveCharWidth, f.sx);
    tm.tmMaxCharWidth = ToLogical(m.maxCharWidth, f.sx);
    tm.tmWeight = m.weight;
    tm.tmOverhang = 0;
    tm.tmDigitizedAspectX = dc->caps.dpiX;
    tm.tmDigitizedAspectY = dc->caps.dpiY;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = static_cast<BYTE>(kGbkReplacement);
    tm.tmBreakChar = ' ';
    tm.tmItalic = r.italic ? 1 : 0;
    tm.tmUnderlined = r.underline ? 1 : 0;
    tm.tmStruckOut = r.strikeOut ? 1 : 0;
    // TMPF_FIXED_PITCH (1) is set for variable pitch fonts; TMPF_VECTOR (2) and TMPF_TRUETYPE (4)
    // for all of ours.
    tm.tmPitchAndFamily = static_cast<BYTE>((m.fixedPitch ? 0 : 1) | 2 | 4);
    tm.tmCharSet = r.charSet == 1 ? 0 : r.charSet;
    *lptm = tm;
    return TRUE;
}

} // extern "C"
