// The font engine of the platform layer: what a LOGFONTA turns into, and how a GBK text is measured
// and drawn with it.
//
// A FontRequest (the fields of a LOGFONTA that choose a font) resolves to a Font: a matched primary
// face, a chain of fallback faces for characters the primary face lacks (Chinese faces first), the
// pixel size, the horizontal stretch and the rotation. Fonts are cached per request, so creating the
// same LOGFONTA again costs a hash lookup instead of a fontconfig match.
//
// Units are device pixels. Text space is the line's own frame: x along the baseline, y downwards
// (towards the descent), origin at the pen start on the baseline. Escapement turns text space
// counter-clockwise on the screen about the reference point.
//
// Vertical metrics come from the primary face's OS/2 table (usWinAscent and usWinDescent, whose sum is
// the cell in font units), with k = em / unitsPerEm:
// - a negative lfHeight is the em, a whole number of pixels (−lfHeight; 12 for a zero height), and the
//   cell is rounded up around it: ascent = ceil(usWinAscent × k), descent = ceil(usWinDescent × k), which
//   keeps the hinted glyphs of the face inside the cell;
// - a positive lfHeight is the cell height itself, as GDI's tmHeight reports it: the em is chosen to
//   fill it, em = lfHeight × unitsPerEm / (usWinAscent + usWinDescent) (not a whole number of pixels),
//   ascent = round(usWinAscent × k) and descent = lfHeight − ascent, so that ascent + descent is
//   exactly the cell asked for.
// Heights beyond 16384 pixels are clamped.
//
// Horizontal metrics are the hinted, integer glyph advances of the unrotated font, split GDI-like into
// A (left bearing), B (ink width) and C (right bearing, advance − A − B). Measuring and drawing walk the
// same advances, so extents, ABC widths and ink agree.
//
// Metrics come from one font per face and size whatever the glyphs are drawn with: the one-bit font
// (a face with hinting programs of its own fully hinted by them, a face without unhinted), embedded
// bitmap strikes used where the face has one for the size (their advances are the strike's). The
// rendering mode (GlyphMode) only changes how the glyphs placed at those advances become pixels, so
// extents, ABC widths and cells are the same in every mode.
#pragma once

#include <cairo.h>

#include "platform/posix/text_gbk.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace draft2d::detail {

// The LOGFONTA fields that choose and shape a font (face name as GBK bytes, at most 31).
struct FontRequest {
    int32_t height = 0;     // > 0 cell height, < 0 em height, 0 default size
    int32_t width = 0;      // average character width, 0 for the face's own
    int32_t escapement = 0; // tenths of a degree, counter-clockwise
    int32_t orientation = 0;
    int32_t weight = 0; // 0 default (400); >= 600 bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    uint8_t charSet = 0;        // 134 (GB2312) asks for Chinese coverage
    uint8_t pitchAndFamily = 0; // for unknown names: FIXED_PITCH or FF_ROMAN choose the default face
    char faceName[32] = {};

    bool operator==(const FontRequest& o) const;
};

struct FontRequestHash {
    size_t operator()(const FontRequest& r) const;
};

// One face loaded through FreeType and wrapped for Cairo, with what the metrics need from its tables.
struct FontFace;

// Horizontal metrics of one character in a Font, device pixels.
struct GlyphInfo {
    uint32_t index = 0; // glyph index in its face
    uint16_t face = 0;  // slot in Font's face chain
    bool valid = false; // set once filled in
    int a = 0, b = 0, c = 0;
    int advance() const { return a + b + c; }
};

// A character's glyph found by the bytes of the character, with its code point.
struct CharGlyph {
    GlyphInfo glyph;
    char32_t code = 0;
    std::atomic<bool> ready{false}; // set, with release, once glyph and code are filled in
};

struct FontMetrics {
    int height = 0; // cell height = ascent + descent
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0; // cell height − em
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    int weight = 400;
    int underlinePos = 0; // below the baseline, pixels (top edge of the line)
    int underlineThickness = 1;
    int strikeoutPos = 0; // above the baseline, pixels (top edge of the line)
    int strikeoutThickness = 1;
    double em = 0;        // em height in pixels (whole)
    double stretch = 1.0; // horizontal scale from lfWidth
    bool fixedPitch = false;
};

// Extra space between characters: charExtra after every character (SetTextCharacterExtra), and
// breakExtra / breakCount after every space (SetTextJustification), device pixels.
struct TextSpacing {
    int charExtra = 0;
    int breakExtra = 0;
    int breakCount = 0;
};

// How placed glyphs become pixels; the device and the LOGFONTA's quality choose it.
enum class GlyphMode : uint8_t {
    // Image devices at every quality but NONANTIALIASED_QUALITY, as Windows draws text by default:
    // greyscale coverage, light hinting (vertical only, which fits stems and bars to the pixel rows
    // without erasing strokes), a face's bitmap strike where it has one for the size.
    Smooth,
    // NONANTIALIASED_QUALITY and one-bit devices: one-bit pixels, full hinting, strikes.
    Mono,
    // PDF and SVG pages: the unhinted outlines of the faces, never their strikes (a glyph that only
    // exists as a strike at the size would reach the page as its bitmap traced into a path).
    Page,
};
constexpr int kGlyphModes = 3;

// One placed glyph of a laid-out text, in text space.
struct PlacedGlyph {
    uint32_t index;
    uint16_t face;
    int x;         // pen position of the glyph origin
    int byteStart; // first input byte of its character
    int byteCount; // 1 or 2
    char32_t code;
};

class TextFont {
public:
    ~TextFont();
    TextFont(const TextFont&) = delete;
    TextFont& operator=(const TextFont&) = delete;

    const FontRequest& request() const { return request_; }
    const FontMetrics& metrics() const { return metrics_; }
    // Family name of the primary face as fontconfig knows it (UTF-8).
    const std::string& family() const { return family_; }
    // Escapement in radians, counter-clockwise.
    double angle() const { return angle_; }
    // Whether lfOrientation differs from lfEscapement.
    bool HasOwnOrientation() const { return hasOrientation_; }

    // The character at s[0] of a text with avail (>= 1) bytes left, in the font's code page: 1252 for
    // ANSI_CHARSET, GBK (936, the system code page) for every other character set.
    GbkChar Decode(const unsigned char* s, int avail) const {
        if (s[0] < 0x80)
            return {s[0], 1, true};
        return ansi_ ? DecodeAnsiChar(s[0]) : DecodeGbkChar(s, avail);
    }
    bool IsAnsi() const { return ansi_; }

    // Metrics of one character; characters no face of the chain has come out as the replacement.
    const GlyphInfo& Glyph(char32_t code);
    // Metrics of the character at s[0] of a text with avail (>= 1) bytes left: Glyph of what Decode
    // makes of it, found without the lock once known.
    const GlyphInfo& GlyphAt(const unsigned char* s, int avail) {
        int bytes;
        return CharAt(s, avail, bytes).glyph;
    }

    // Lays out `len` GBK bytes: one glyph per character, the pen advanced by the character's advance
    // plus the spacing. Returns the total advance (what GetTextExtentPoint32A reports as cx).
    int Layout(const unsigned char* text, int len, const TextSpacing& sp, std::vector<PlacedGlyph>& out);
    int Measure(const unsigned char* text, int len, const TextSpacing& sp);

    // Draws laid-out glyphs for a reference point at (rx, ry) in device pixels, the pen start at
    // (x0, baseline) in text space. The glyphs are placed here, in device pixels, and drawn with
    // fonts that carry their turn in the font matrix, so cr's transform must be the DC's base one
    // (device pixels); cr's current source is used. Glyphs turn with the line, or by the font's
    // orientation when `oriented` (GDI's advanced graphics mode). withText hands the characters to
    // targets that keep text (PDF), so that the text can be extracted again.
    void DrawGlyphs(cairo_t* cr, const std::vector<PlacedGlyph>& glyphs, double rx, double ry, double x0,
                    double baseline, bool oriented, GlyphMode mode, bool withText);
    // Lays out and draws `len` (>= 1) GBK bytes in one walk, as Layout and then DrawGlyphs would
    // (without the characters for targets that keep text), for a pen start x0 known beforehand.
    // Returns the total advance, as Layout does.
    int LayoutAndDraw(cairo_t* cr, const unsigned char* text, int len, const TextSpacing& sp, double rx,
                      double ry, double x0, double baseline, bool oriented, GlyphMode mode);

private:
    friend std::shared_ptr<TextFont> ResolveFont(const FontRequest& req);
    explicit TextFont(const FontRequest& req);
    bool Init();
    GlyphInfo Compute(char32_t code);
    bool EnsureFace(size_t i);
    cairo_scaled_font_t* DrawFont(size_t i, GlyphMode mode, bool oriented);
    // Draws one run of glyphs of one face, with their characters when utf8 and clusters are given.
    void ShowRun(cairo_t* cr, size_t face, GlyphMode mode, bool oriented,
                 const std::vector<cairo_glyph_t>& run, const std::string* utf8,
                 const std::vector<cairo_text_cluster_t>* clusters);
    const GlyphInfo& GlyphLocked(char32_t code);
    template <typename Visit>
    int WalkPen(const unsigned char* text, int len, const TextSpacing& sp, Visit&& visit);
    // The glyph of the character at s[0] of a text with avail (>= 1) bytes left, and its bytes (as
    // Decode takes them: a lead byte 0x81-0xFE with a trail byte 0x40-0xFE other than 0x7F is one
    // character, every other byte one by itself).
    const CharGlyph& CharAt(const unsigned char* s, int avail, int& bytes) {
        const unsigned char b0 = s[0];
        bytes = 1;
        if (ansi_ || b0 < 0x81 || b0 == 0xFF) {
            CharGlyph& slot = single_[b0];
            return slot.ready.load(std::memory_order_acquire) ? slot : FillChar(slot, s, avail);
        }
        if (avail < 2 || s[1] < 0x40 || s[1] == 0x7F || s[1] == 0xFF)
            return loneLead_.ready.load(std::memory_order_acquire) ? loneLead_ : FillChar(loneLead_, s, 1);
        bytes = 2;
        CharGlyph* page = pages_[b0].load(std::memory_order_acquire);
        if (page && page[s[1]].ready.load(std::memory_order_acquire))
            return page[s[1]];
        return FillDouble(s, avail);
    }
    const CharGlyph& FillChar(CharGlyph& slot, const unsigned char* s, int avail);
    const CharGlyph& FillDouble(const unsigned char* s, int avail);

    FontRequest request_;
    FontMetrics metrics_;
    std::string family_;
    double angle_ = 0;
    std::vector<std::shared_ptr<FontFace>> faces_;
    // The metrics font of each face slot (unrotated, see the header), made when a character first
    // needs the face (EnsureFace). Its turns are in the font matrix; the fonts' CTM is the identity.
    std::vector<cairo_scaled_font_t*> scaled_;
    // Drawing fonts, made on first use: per mode, turned by the escapement or by the orientation
    // (drawn in GM_ADVANCED, when it differs), per face slot. Read without the lock once made.
    std::vector<std::atomic<cairo_scaled_font_t*>> drawn_;
    cairo_matrix_t fontMatrix_{};
    cairo_matrix_t drawMatrix_{};
    cairo_matrix_t orientMatrix_{};
    double cos_ = 1.0, sin_ = 0.0; // of the escapement
    bool hasOrientation_ = false;
    bool ansi_ = false;
    // Glyph metrics filled in on first use. A font is shared by every handle with the same LOGFONTA,
    // so the tables are guarded; entries never move once made (array, node-based map).
    std::mutex glyphMutex_;
    GlyphInfo ascii_[128];
    std::unordered_map<char32_t, GlyphInfo> others_;
    // The same glyphs by the bytes of their characters, which measuring and drawing look up without
    // decoding and without the lock once filled (CharAt): single-byte characters by their byte,
    // double-byte ones in pages of 256 by their trail byte, one page per lead byte made on first use,
    // and a lead byte without a trail byte (always the replacement character).
    CharGlyph single_[256];
    std::atomic<CharGlyph*> pages_[256] = {};
    CharGlyph loneLead_;
};

// The cached font for a request; never null (a request that matches nothing gets a default face).
// A null result only when no font at all is installed.
std::shared_ptr<TextFont> ResolveFont(const FontRequest& req);

// Name of the installed family an alias table entry maps a Windows face name (GBK) to, or null.
const char* FontAliasTarget(const char* gbkFaceName);

// Empties the font cache (fonts still held by callers stay alive). For tests and benchmarks.
void ClearFontCache();
size_t FontCacheSize();

} // namespace draft2d::detail
