// Font matching (fontconfig plus our alias table), face loading (FreeType through cairo-ft), the
// per-LOGFONTA font cache, and layout of GBK text.
#include "platform/posix/font_p.h"

#include "platform/posix/text_gbk.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <tuple>

namespace draft2d::detail {

// ---------------------------------------------------------------------------------------------------
// Alias table. fontconfig knows none of the Windows Chinese face names, and its own fallback for an
// unknown name is whatever the system likes best, so Windows names are mapped here to installed
// families with the same style (Song/Ming serif faces, Hei sans faces) or the same metrics (Liberation).

namespace {

struct Alias {
    const char* windowsName; // GBK bytes; ASCII names compare case-insensitively
    const char* family;      // fontconfig family
};

// Both carry bitmap strikes for the small sizes (AR PL UMing 11 to 16 pixels, the Sharp variant of
// WenQuanYi Zen Hei 12 to 16), as SimSun and SimHei do on Windows; Microsoft YaHei has none, nor has
// the plain WenQuanYi Zen Hei.
constexpr const char* kSong = "AR PL UMing CN";
constexpr const char* kHei = "WenQuanYi Zen Hei Sharp";
constexpr const char* kYaHei = "WenQuanYi Zen Hei";

const Alias kAliases[] = {
    {"\xcb\xce\xcc\xe5", kSong},         // 宋体
    {"\xd0\xc2\xcb\xce\xcc\xe5", kSong}, // 新宋体
    {"SimSun", kSong},
    {"NSimSun", kSong},
    {"\xb7\xc2\xcb\xce_GB2312", kSong}, // 仿宋_GB2312
    {"\xb7\xc2\xcb\xce", kSong},        // 仿宋
    {"FangSong_GB2312", kSong},
    {"FangSong", kSong},
    {"\xbf\xac\xcc\xe5_GB2312", kSong}, // 楷体_GB2312
    {"\xbf\xac\xcc\xe5", kSong},        // 楷体
    {"KaiTi_GB2312", kSong},
    {"KaiTi", kSong},
    {"\xba\xda\xcc\xe5", kHei}, // 黑体
    {"SimHei", kHei},
    {"\xce\xa2\xc8\xed\xd1\xc5\xba\xda", kYaHei}, // 微软雅黑
    {"Microsoft YaHei", kYaHei},
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Microsoft Sans Serif", "Liberation Sans"},
    {"Tahoma", "Liberation Sans"},
    {"MS Shell Dlg", "Liberation Sans"},
    {"MS Shell Dlg 2", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Terminal", "Liberation Mono"},
    {"Fixedsys", "Liberation Mono"},
};

// Families tried, in order, for characters the primary face lacks.
const char* const kFallbackFamilies[] = {kSong, kHei, "Liberation Sans"};

constexpr const char* kDefaultWestern = "Liberation Sans";
constexpr const char* kDefaultFixed = "Liberation Mono";
constexpr const char* kDefaultRoman = "Liberation Serif";
constexpr int kFixedPitch = 1;     // FIXED_PITCH in the low bits of lfPitchAndFamily
constexpr int kFamilyRoman = 0x10; // FF_ROMAN in the high bits
constexpr const char* kDefaultChinese = kSong;

constexpr int kGb2312Charset = 134;
constexpr double kDefaultEm = 12.0;          // lfHeight 0
constexpr double kMaxPixelSize = 16384.0;    // larger heights and widths are clamped
constexpr double kMaxRenderedStretch = 16.0; // wider glyphs are drawn from their outlines

// Rounds a metric in pixels up, so that the hinted glyphs stay inside the cell; the small allowance keeps
// values that are whole numbers up to floating point noise from growing a pixel.
int CeilMetric(double px) {
    return static_cast<int>(std::ceil(px - 1e-6));
}

bool EqualAsciiNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(*a), cb = static_cast<unsigned char>(*b);
        if (ca >= 'A' && ca <= 'Z')
            ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z')
            cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb)
            return false;
        if (ca == 0)
            return true;
    }
}

// GBK face name to UTF-8 for fontconfig; invalid bytes become '?'.
std::string GbkToUtf8(const char* s) {
    std::string out;
    const int n = static_cast<int>(strnlen(s, 31));
    const auto* u = reinterpret_cast<const unsigned char*>(s);
    for (int i = 0; i < n;) {
        const GbkChar ch = DecodeGbkChar(u + i, n - i);
        char buf[4];
        out.append(buf, static_cast<size_t>(EncodeUtf8(ch.code, buf)));
        i += ch.bytes;
    }
    return out;
}

} // namespace

const char* FontAliasTarget(const char* gbkFaceName) {
    if (!gbkFaceName)
        return nullptr;
    for (const Alias& a : kAliases)
        if (EqualAsciiNoCase(a.windowsName, gbkFaceName))
            return a.family;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Faces. One FT_Face per (file, index, synthesis), because cairo keeps the synthesis flags on the
// font face it builds for an FT_Face.

struct FontFace {
    FT_Face ft = nullptr;
    cairo_font_face_t* cairo = nullptr;
    // The same face without its bitmap strikes, for pages (PDF, SVG): a glyph that only exists as a
    // strike at the size asked for would otherwise reach the page as its bitmap traced into a path.
    // Made on first use from a FreeType face of its own (OutlineFace).
    cairo_font_face_t* outline = nullptr;
    std::string file;
    int index = 0;
    unsigned synth = 0; // CAIRO_FT_SYNTHESIZE_ flags of both Cairo faces
    std::string family;
    int unitsPerEm = 2048;
    int winAscent = 0;
    int winDescent = 0;
    int lineGap = 0; // hhea line gap beyond the Windows cell
    int avgWidth = 0;
    int maxWidth = 0;
    int underlinePos = 0; // font units, negative below the baseline
    int underlineThickness = 0;
    int strikeoutPos = 0;
    int strikeoutSize = 0;
    int weight = 400;    // as GetTextMetricsA reports it: 700 for bold faces and synthesised bold
    int os2Weight = 400; // usWeightClass of the face itself
    // Whether the face brings hinting programs of its own. Faces without would be fitted to the
    // pixels by FreeType's auto-hinter, which at small sizes of one-bit pixels erases whole strokes of
    // Chinese glyphs (and is most of what measuring a new glyph costs), so their one-bit glyphs and
    // metrics are unhinted.
    bool nativeHinting = false;

    ~FontFace() {
        if (outline)
            cairo_font_face_destroy(outline);
        if (cairo)
            cairo_font_face_destroy(cairo); // the FT_Face goes with the last reference (user data)
        else if (ft)
            FT_Done_Face(ft);
    }
};

namespace {

struct FaceKey {
    std::string file;
    int index;
    bool synthBold;
    bool synthOblique;
    bool operator<(const FaceKey& o) const {
        return std::tie(file, index, synthBold, synthOblique) <
               std::tie(o.file, o.index, o.synthBold, o.synthOblique);
    }
};

struct MatchKey {
    std::string family;
    bool bold;
    bool italic;
    bool operator<(const MatchKey& o) const {
        return std::tie(family, bold, italic) < std::tie(o.family, o.bold, o.italic);
    }
};

// Everything below is guarded by Mutex(): fontconfig configuration, FreeType library, the caches.
std::mutex& Mutex() {
    static std::mutex m;
    return m;
}

FT_Library FreeType() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0)
            l = nullptr;
        return l;
    }();
    return lib;
}

std::map<FaceKey, std::shared_ptr<FontFace>>& FaceCache() {
    static std::map<FaceKey, std::shared_ptr<FontFace>> cache;
    return cache;
}

std::map<MatchKey, std::shared_ptr<FontFace>>& MatchCache() {
    static std::map<MatchKey, std::shared_ptr<FontFace>> cache;
    return cache;
}

const cairo_user_data_key_t kFtFaceKey = {};

void DoneFtFace(void* face) {
    FT_Done_Face(static_cast<FT_Face>(face));
}

std::shared_ptr<FontFace> LoadFace(const FaceKey& key, const std::string& family, int weight) {
    auto& cache = FaceCache();
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    FT_Library lib = FreeType();
    if (!lib)
        return nullptr;
    auto face = std::make_shared<FontFace>();
    if (FT_New_Face(lib, key.file.c_str(), key.index, &face->ft) != 0) {
        face->ft = nullptr;
        return nullptr;
    }
    FT_Face ft = face->ft;
    face->family = family;
    face->weight = weight;
    face->unitsPerEm = ft->units_per_EM > 0 ? ft->units_per_EM : 2048;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(ft, FT_SFNT_HHEA));
    const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(ft, FT_SFNT_POST));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        face->winAscent = os2->usWinAscent;
        face->winDescent = os2->usWinDescent;
        face->avgWidth = os2->xAvgCharWidth;
        face->strikeoutPos = os2->yStrikeoutPosition;
        face->strikeoutSize = os2->yStrikeoutSize;
        face->os2Weight = os2->usWeightClass;
    } else {
        // Without an OS/2 table the face's own ascender and descender stand in for the Windows ones.
        face->winAscent = std::max<int>(ft->ascender, 1);
        face->winDescent = std::max<int>(-ft->descender, 0);
    }
    if (face->avgWidth <= 0)
        face->avgWidth = face->unitsPerEm / 2;
    if (face->strikeoutSize <= 0) {
        face->strikeoutSize = face->unitsPerEm / 20;
        face->strikeoutPos = face->unitsPerEm / 4;
    }
    if (hhea) {
        const int hheaHeight = hhea->Ascender - hhea->Descender + hhea->Line_Gap;
        face->lineGap = std::max(0, hheaHeight - (face->winAscent + face->winDescent));
    }
    if (post && post->underlineThickness > 0) {
        face->underlinePos = static_cast<FT_Short>(post->underlinePosition);
        face->underlineThickness = static_cast<FT_Short>(post->underlineThickness);
    } else {
        face->underlinePos = -face->unitsPerEm / 10;
        face->underlineThickness = face->unitsPerEm / 20;
    }
    face->maxWidth = static_cast<int>(ft->bbox.xMax - ft->bbox.xMin);
    FT_ULong fpgm = 0, prep = 0;
    FT_Load_Sfnt_Table(ft, TTAG_fpgm, 0, nullptr, &fpgm);
    FT_Load_Sfnt_Table(ft, TTAG_prep, 0, nullptr, &prep);
    face->nativeHinting = fpgm > 0 || prep > 0;

    // A slant is synthesised on outlines only, so such a face leaves its bitmap strikes aside.
    face->cairo = cairo_ft_font_face_create_for_ft_face(ft, key.synthOblique ? FT_LOAD_NO_BITMAP : 0);
    if (cairo_font_face_status(face->cairo) != CAIRO_STATUS_SUCCESS ||
        cairo_font_face_set_user_data(face->cairo, &kFtFaceKey, ft, DoneFtFace) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(face->cairo);
        face->cairo = nullptr;
        return nullptr; // ~FontFace releases the FT_Face
    }
    unsigned synth = 0;
    if (key.synthBold)
        synth |= CAIRO_FT_SYNTHESIZE_BOLD;
    if (key.synthOblique)
        synth |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
    if (synth)
        cairo_ft_font_face_set_synthesize(face->cairo, synth);
    face->file = key.file;
    face->index = key.index;
    face->synth = synth;
    cache.emplace(key, face);
    return face;
}

// The face's outline-only Cairo face (see FontFace::outline), or its own when that cannot be made.
cairo_font_face_t* OutlineFace(FontFace& face) {
    std::lock_guard<std::mutex> lock(Mutex());
    if (face.outline)
        return face.outline;
    FT_Library lib = FreeType();
    FT_Face ft = nullptr;
    if (!lib || FT_New_Face(lib, face.file.c_str(), face.index, &ft) != 0)
        return face.cairo;
    cairo_font_face_t* outline = cairo_ft_font_face_create_for_ft_face(ft, FT_LOAD_NO_BITMAP);
    if (cairo_font_face_status(outline) != CAIRO_STATUS_SUCCESS ||
        cairo_font_face_set_user_data(outline, &kFtFaceKey, ft, DoneFtFace) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(outline);
        FT_Done_Face(ft);
        return face.cairo;
    }
    if (face.synth)
        cairo_ft_font_face_set_synthesize(outline, face.synth);
    face.outline = outline;
    return outline;
}

// Finds an installed face of the given family (UTF-8). With exact, a family fontconfig substitutes
// for another name is refused (null); without, fontconfig's best face for the pattern is taken.
// Loads the fontconfig configuration once and releases it at exit. Nothing of ours keeps fontconfig
// objects beyond a match, so releasing it is safe, and it frees what the configuration parser
// allocated (which leak checkers otherwise report).
void FontconfigReady() {
    static bool ready = false;
    if (ready)
        return;
    ready = true;
    if (FcInit())
        std::atexit([] { FcFini(); });
}

std::shared_ptr<FontFace> MatchFamily(const std::string& family, bool bold, bool italic, bool exact) {
    FontconfigReady();
    MatchKey mkey{exact ? family : "\x01" + family, bold, italic};
    auto& cache = MatchCache();
    auto it = cache.find(mkey);
    if (it != cache.end())
        return it->second;

    std::shared_ptr<FontFace> result;
    FcPattern* pat = FcPatternCreate();
    if (!family.empty())
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pat, &res);
    FcPatternDestroy(pat);
    if (match) {
        bool sameFamily = !exact;
        FcChar8* fam = nullptr;
        std::string matchedFamily;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &fam) == FcResultMatch; ++i) {
            if (i == 0)
                matchedFamily = reinterpret_cast<const char*>(fam);
            if (FcStrCmpIgnoreCase(fam, reinterpret_cast<const FcChar8*>(family.c_str())) == 0) {
                sameFamily = true;
                matchedFamily = reinterpret_cast<const char*>(fam);
            }
        }
        FcChar8* file = nullptr;
        int index = 0;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        if (sameFamily && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            // Whether the face is bold or italic itself comes from the face, not from the match:
            // fontconfig reports the style it would synthesise as the face's own.
            const std::string path = reinterpret_cast<const char*>(file);
            if (auto plain = LoadFace(FaceKey{path, index, false, false}, matchedFamily, 400)) {
                const bool faceBold =
                    (plain->ft->style_flags & FT_STYLE_FLAG_BOLD) || plain->os2Weight >= 600;
                const bool faceItalic = (plain->ft->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
                plain->weight = faceBold ? 700 : 400;
                const FaceKey key{path, index, bold && !faceBold, italic && !faceItalic};
                result = key.synthBold || key.synthOblique ? LoadFace(key, matchedFamily, 700) : plain;
                if (result && key.synthBold)
                    result->weight = 700;
                else if (result && key.synthOblique)
                    result->weight = plain->weight;
            }
        }
        FcPatternDestroy(match);
    }
    cache.emplace(mkey, result);
    return result;
}

// Font options start from a copy of those of image surfaces, which Cairo merges into the options of
// every font that draws on one: fonts made with them are the very fonts that Cairo draws with on our
// image devices, so that a context keeps the font it is given instead of looking up its own. Made
// once; every font shares them.
cairo_font_options_t* ImageFontOptions(cairo_antialias_t antialias, cairo_hint_style_t hinting) {
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_surface_get_font_options(s, o);
    cairo_surface_destroy(s);
    cairo_font_options_set_antialias(o, antialias);
    cairo_font_options_set_hint_style(o, hinting);
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_ON);
    return o;
}

// Metrics, and one-bit drawing: whole-pixel advances, faces with hinting programs of their own fully
// hinted by them, others unhinted (FontFace::nativeHinting), their ink boxes and advances rounded
// outwards and to the nearest pixel.
const cairo_font_options_t* MonoOptions(const FontFace& face) {
    static const cairo_font_options_t* const hinted =
        ImageFontOptions(CAIRO_ANTIALIAS_NONE, CAIRO_HINT_STYLE_FULL);
    static const cairo_font_options_t* const unhinted =
        ImageFontOptions(CAIRO_ANTIALIAS_NONE, CAIRO_HINT_STYLE_NONE);
    return face.nativeHinting ? hinted : unhinted;
}

// Smoothed drawing: greyscale coverage, light hinting.
const cairo_font_options_t* SmoothOptions() {
    static const cairo_font_options_t* const o =
        ImageFontOptions(CAIRO_ANTIALIAS_GRAY, CAIRO_HINT_STYLE_SLIGHT);
    return o;
}

// Pages keep the glyphs' own shapes: no hinting, which fits outlines to whole pixels of the size
// asked for and would bend them at small sizes. Positions are the layout's anyway.
const cairo_font_options_t* PageOptions() {
    static const cairo_font_options_t* const o = [] {
        cairo_font_options_t* p = cairo_font_options_create();
        cairo_font_options_set_hint_style(p, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(p, CAIRO_HINT_METRICS_OFF);
        return p;
    }();
    return o;
}

// Font cache per request. Fonts are shared with the handles that hold them, so dropping the cache
// when it grows large frees only fonts nobody uses.
constexpr size_t kFontCacheLimit = 512;

std::unordered_map<FontRequest, std::shared_ptr<TextFont>, FontRequestHash>& FontCache() {
    static std::unordered_map<FontRequest, std::shared_ptr<TextFont>, FontRequestHash> cache;
    return cache;
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// Requests

bool FontRequest::operator==(const FontRequest& o) const {
    return height == o.height && width == o.width && escapement == o.escapement &&
           orientation == o.orientation && weight == o.weight && italic == o.italic &&
           underline == o.underline && strikeOut == o.strikeOut && charSet == o.charSet &&
           pitchAndFamily == o.pitchAndFamily && std::strncmp(faceName, o.faceName, sizeof(faceName)) == 0;
}

size_t FontRequestHash::operator()(const FontRequest& r) const {
    // Multiply-xorshift over the fields, eight bytes at a time; the face name as the cache keeps it,
    // zero after its terminator.
    uint64_t h = 0x2545F4914F6CDD1Dull;
    auto mix = [&h](uint64_t v) {
        h = (h ^ v) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    };
    mix(static_cast<uint32_t>(r.height) | (static_cast<uint64_t>(static_cast<uint32_t>(r.width)) << 32));
    mix(static_cast<uint32_t>(r.escapement) |
        (static_cast<uint64_t>(static_cast<uint32_t>(r.orientation)) << 32));
    mix(static_cast<uint32_t>(r.weight) | (uint64_t{r.italic} << 32) | (uint64_t{r.underline} << 33) |
        (uint64_t{r.strikeOut} << 34) | (uint64_t{r.charSet} << 40) | (uint64_t{r.pitchAndFamily} << 48));
    static_assert(sizeof(r.faceName) % 8 == 0, "the face name hashes in whole words");
    for (size_t i = 0; i < sizeof(r.faceName); i += 8) {
        uint64_t v;
        std::memcpy(&v, r.faceName + i, 8);
        mix(v);
    }
    return static_cast<size_t>(h);
}

// ---------------------------------------------------------------------------------------------------
// Font

TextFont::TextFont(const FontRequest& req) : request_(req) {
    request_.faceName[sizeof(request_.faceName) - 1] = '\0';
    ansi_ = req.charSet == 0; // ANSI_CHARSET
}

TextFont::~TextFont() {
    for (std::atomic<CharGlyph*>& page : pages_)
        delete[] page.load(std::memory_order_relaxed);
    for (size_t k = 0; k < drawn_.size(); ++k) {
        cairo_scaled_font_t* f = drawn_[k].load(std::memory_order_relaxed);
        if (f && f != scaled_[k % scaled_.size()])
            cairo_scaled_font_destroy(f);
    }
    for (cairo_scaled_font_t* f : scaled_)
        if (f)
            cairo_scaled_font_destroy(f);
}

bool TextFont::Init() {
    const bool bold = request_.weight >= 600;
    const bool italic = request_.italic;
    const bool chinese = request_.charSet == kGb2312Charset;

    // Primary face: alias table, then the name itself, then the default for the character set.
    std::shared_ptr<FontFace> primary;
    if (const char* alias = FontAliasTarget(request_.faceName))
        primary = MatchFamily(alias, bold, italic, true);
    if (!primary && request_.faceName[0])
        primary = MatchFamily(GbkToUtf8(request_.faceName), bold, italic, true);
    if (!primary) {
        const char* fallback = kDefaultWestern;
        if (chinese)
            fallback = kDefaultChinese;
        else if ((request_.pitchAndFamily & 3) == kFixedPitch)
            fallback = kDefaultFixed;
        else if ((request_.pitchAndFamily & 0xF0) == kFamilyRoman)
            fallback = kDefaultRoman;
        primary = MatchFamily(fallback, bold, italic, true);
    }
    if (!primary)
        primary = MatchFamily(chinese ? "sans-serif:lang=zh-cn" : "sans-serif", bold, italic, false);
    if (!primary)
        return false;
    faces_.push_back(primary);
    for (const char* fam : kFallbackFamilies) {
        auto f = MatchFamily(fam, bold, italic, true);
        if (f && std::find(faces_.begin(), faces_.end(), f) == faces_.end())
            faces_.push_back(f);
    }
    family_ = primary->family;

    // Vertical metrics (see the header): a negative or zero height gives a whole em and the cell
    // around it, a positive height gives the cell and the em that fills it.
    const double cellUnits = primary->winAscent + primary->winDescent;
    FontMetrics& m = metrics_;
    double em;
    if (request_.height > 0 && cellUnits > 0) {
        const int cell = static_cast<int>(std::min(static_cast<double>(request_.height), kMaxPixelSize));
        em = cell * primary->unitsPerEm / cellUnits;
        m.ascent = std::min(cell, static_cast<int>(std::lround(primary->winAscent * (cell / cellUnits))));
        m.descent = cell - m.ascent;
    } else {
        em =
            request_.height < 0 ? std::min(-static_cast<double>(request_.height), kMaxPixelSize) : kDefaultEm;
        em = std::max(1.0, std::round(em));
        m.ascent = CeilMetric(primary->winAscent * em / primary->unitsPerEm);
        m.descent = CeilMetric(primary->winDescent * em / primary->unitsPerEm);
    }
    const double k = em / primary->unitsPerEm;
    m.em = em;
    m.height = std::max(1, m.ascent + m.descent);
    m.internalLeading = std::max(0, m.height - static_cast<int>(std::lround(em)));
    m.externalLeading = static_cast<int>(std::lround(primary->lineGap * k));
    const double avg = primary->avgWidth * k;
    if (request_.width != 0 && avg > 0) {
        const double w = std::min(std::fabs(static_cast<double>(request_.width)), kMaxPixelSize);
        // Keep the stretched em between one pixel and the largest size.
        m.stretch = std::min(std::max(w / avg, 1.0 / em), kMaxPixelSize / em);
    }
    m.aveCharWidth = std::max(1, static_cast<int>(std::lround(avg * m.stretch)));
    m.maxCharWidth = std::max(1, static_cast<int>(std::lround(primary->maxWidth * k * m.stretch)));
    m.weight = primary->weight;
    m.fixedPitch = FT_IS_FIXED_WIDTH(primary->ft) != 0;
    m.underlineThickness = std::max(1, static_cast<int>(std::lround(primary->underlineThickness * k)));
    m.underlinePos = std::max(1, static_cast<int>(std::lround(-primary->underlinePos * k)));
    m.strikeoutThickness = std::max(1, static_cast<int>(std::lround(primary->strikeoutSize * k)));
    m.strikeoutPos = static_cast<int>(std::lround(primary->strikeoutPos * k)) + m.strikeoutThickness / 2;

    const int esc = request_.escapement % 3600;
    angle_ = esc * (3.14159265358979323846 / 1800.0);

    cairo_matrix_init_scale(&fontMatrix_, em * m.stretch, em);
    // Drawing fonts carry their turn in the font matrix, so that glyphs placed in device pixels need
    // no turned device transform: the escapement, and an orientation of its own (honoured in
    // GM_ADVANCED).
    cos_ = std::cos(angle_);
    sin_ = std::sin(angle_);
    cairo_matrix_t turn;
    cairo_matrix_init_rotate(&turn, -angle_);
    cairo_matrix_multiply(&drawMatrix_, &fontMatrix_, &turn);
    const int orient = request_.orientation % 3600;
    hasOrientation_ = (orient - esc) % 3600 != 0;
    cairo_matrix_init_rotate(&turn, -orient * (3.14159265358979323846 / 1800.0));
    cairo_matrix_multiply(&orientMatrix_, &fontMatrix_, &turn);
    scaled_.assign(faces_.size(), nullptr);
    drawn_ = std::vector<std::atomic<cairo_scaled_font_t*>>(kGlyphModes * 2 * faces_.size());
    // Fallback faces get their sizes when a character first needs them: sizing a hinted face runs
    // its programs, which is most of what a new font costs.
    return EnsureFace(0);
}

bool TextFont::EnsureFace(size_t i) {
    if (!scaled_[i]) {
        cairo_matrix_t identity;
        cairo_matrix_init_identity(&identity);
        scaled_[i] =
            cairo_scaled_font_create(faces_[i]->cairo, &fontMatrix_, &identity, MonoOptions(*faces_[i]));
    }
    return cairo_scaled_font_status(scaled_[i]) == CAIRO_STATUS_SUCCESS;
}

cairo_scaled_font_t* TextFont::DrawFont(size_t i, GlyphMode mode, bool oriented) {
    std::atomic<cairo_scaled_font_t*>& slot =
        drawn_[(static_cast<size_t>(mode) * 2 + (oriented ? 1 : 0)) * faces_.size() + i];
    cairo_scaled_font_t* f = slot.load(std::memory_order_acquire);
    if (f)
        return f;
    std::lock_guard<std::mutex> lock(glyphMutex_);
    f = slot.load(std::memory_order_relaxed);
    if (f)
        return f;
    const cairo_matrix_t* matrix = oriented ? &orientMatrix_ : &drawMatrix_;
    if (mode == GlyphMode::Mono && !oriented && angle_ == 0.0) {
        f = scaled_[i]; // the metrics font draws unturned one-bit text itself
    } else {
        cairo_matrix_t identity;
        cairo_matrix_init_identity(&identity);
        cairo_font_face_t* face = faces_[i]->cairo;
        const cairo_font_options_t* options = MonoOptions(*faces_[i]);
        if (mode == GlyphMode::Smooth) {
            options = SmoothOptions();
        } else if (mode == GlyphMode::Page) {
            face = OutlineFace(*faces_[i]);
            options = PageOptions();
        }
        f = cairo_scaled_font_create(face, matrix, &identity, options);
    }
    slot.store(f, std::memory_order_release);
    return f;
}

GlyphInfo TextFont::Compute(char32_t code) {
    GlyphInfo g;
    bool found = false;
    for (size_t i = 0; i < faces_.size() && !found; ++i) {
        const FT_UInt idx = FT_Get_Char_Index(faces_[i]->ft, code);
        if (idx != 0 && EnsureFace(i)) {
            g.index = idx;
            g.face = static_cast<uint16_t>(i);
            found = true;
        }
    }
    if (!found) {
        // No face has it: the replacement character rather than an empty box.
        if (code != kGbkReplacement)
            return GlyphLocked(kGbkReplacement);
        g.index = 0;
        g.face = 0;
    }
    cairo_glyph_t cg = {g.index, 0, 0};
    cairo_text_extents_t ext;
    cairo_scaled_font_glyph_extents(scaled_[g.face], &cg, 1, &ext);
    const int advance = std::isfinite(ext.x_advance) ? static_cast<int>(std::lround(ext.x_advance)) : 0;
    if (ext.width > 0 && std::isfinite(ext.x_bearing) && std::isfinite(ext.width)) {
        g.a = static_cast<int>(std::floor(ext.x_bearing));
        g.b = static_cast<int>(std::ceil(ext.x_bearing + ext.width)) - g.a;
    } else {
        g.a = 0;
        g.b = 0;
    }
    g.c = advance - g.a - g.b;
    g.valid = true;
    return g;
}

const GlyphInfo& TextFont::Glyph(char32_t code) {
    std::lock_guard<std::mutex> lock(glyphMutex_);
    return GlyphLocked(code);
}

const GlyphInfo& TextFont::GlyphLocked(char32_t code) {
    if (code < 128) {
        GlyphInfo& g = ascii_[code];
        if (!g.valid)
            g = Compute(code);
        return g;
    }
    auto it = others_.find(code);
    if (it != others_.end())
        return it->second;
    const GlyphInfo g = Compute(code);
    return others_.emplace(code, g).first->second;
}

namespace {

// Spreads breakExtra over breakCount break characters (spaces), as SetTextJustification asks: every
// space gets the quotient, the first |remainder| spaces one pixel more with the sign of breakExtra.
class BreakSpreader {
public:
    explicit BreakSpreader(const TextSpacing& sp)
        : quot_(sp.breakCount > 0 ? sp.breakExtra / sp.breakCount : 0),
          rem_(sp.breakCount > 0 ? sp.breakExtra % sp.breakCount : 0) {}
    int Next(char32_t code) {
        if (code != U' ' || (quot_ == 0 && rem_ == 0))
            return 0;
        const int i = seen_++;
        return quot_ + (i < (rem_ < 0 ? -rem_ : rem_) ? (rem_ < 0 ? -1 : 1) : 0);
    }

private:
    int quot_, rem_;
    int seen_ = 0;
};

} // namespace

namespace {

// Pen positions stay within what device coordinates can hold, whatever the spacing asks for.
int ClampPen(int64_t pen) {
    constexpr int64_t kLimit = int64_t{1} << 30;
    return static_cast<int>(std::min(std::max(pen, -kLimit), kLimit));
}

} // namespace

const CharGlyph& TextFont::FillDouble(const unsigned char* s, int avail) {
    CharGlyph* page = pages_[s[0]].load(std::memory_order_acquire);
    if (!page) {
        std::lock_guard<std::mutex> lock(glyphMutex_);
        page = pages_[s[0]].load(std::memory_order_relaxed);
        if (!page) {
            page = new CharGlyph[256];
            pages_[s[0]].store(page, std::memory_order_release);
        }
    }
    CharGlyph& slot = page[s[1]];
    return slot.ready.load(std::memory_order_acquire) ? slot : FillChar(slot, s, avail);
}

const CharGlyph& TextFont::FillChar(CharGlyph& slot, const unsigned char* s, int avail) {
    std::lock_guard<std::mutex> lock(glyphMutex_);
    if (!slot.ready.load(std::memory_order_relaxed)) {
        const GbkChar ch = Decode(s, avail);
        slot.code = ch.code;
        slot.glyph = GlyphLocked(ch.code);
        slot.ready.store(true, std::memory_order_release);
    }
    return slot;
}

// Every character of len GBK bytes in order, with the pen position where it starts:
// visit(char, pen, offset, bytes). Returns the pen position after the last one, the text's width.
template <typename Visit>
int TextFont::WalkPen(const unsigned char* text, int len, const TextSpacing& sp, Visit&& visit) {
    BreakSpreader breaks(sp);
    int64_t pen = 0;
    for (int i = 0; i < len;) {
        int bytes;
        const CharGlyph& ch = CharAt(text + i, len - i, bytes);
        visit(ch, ClampPen(pen), i, bytes);
        pen += int64_t{ch.glyph.advance()} + sp.charExtra + breaks.Next(ch.code);
        i += bytes;
    }
    return ClampPen(pen);
}

int TextFont::Layout(const unsigned char* text, int len, const TextSpacing& sp,
                     std::vector<PlacedGlyph>& out) {
    out.clear();
    return WalkPen(text, len, sp, [&out](const CharGlyph& ch, int pen, int offset, int bytes) {
        out.push_back({ch.glyph.index, ch.glyph.face, pen, offset, bytes, ch.code});
    });
}

int TextFont::Measure(const unsigned char* text, int len, const TextSpacing& sp) {
    return WalkPen(text, len, sp, [](const CharGlyph&, int, int, int) {});
}

namespace {

// One face's run of placed glyphs as Cairo takes them, with their characters for targets that keep
// text.
struct GlyphRuns {
    std::vector<cairo_glyph_t> glyphs;
    std::vector<cairo_text_cluster_t> clusters;
    std::string utf8;
};

// The calling thread's run storage. Out of line, so that a caller looks the thread's copy up once
// rather than at every use.
__attribute__((noinline)) GlyphRuns& ThreadGlyphRuns() {
    thread_local GlyphRuns runs;
    return runs;
}

} // namespace

void TextFont::ShowRun(cairo_t* cr, size_t face, GlyphMode mode, bool oriented,
                       const std::vector<cairo_glyph_t>& run, const std::string* utf8,
                       const std::vector<cairo_text_cluster_t>* clusters) {
    cairo_scaled_font_t* font = DrawFont(face, mode, oriented);
    // A font Cairo could not make draws nothing: handing it to the context would put the context in
    // an error state that silently drops everything drawn on the DC after it.
    if (cairo_scaled_font_status(font) != CAIRO_STATUS_SUCCESS)
        return;
    cairo_set_scaled_font(cr, font);
    if (mode != GlyphMode::Page && metrics_.stretch > kMaxRenderedStretch) {
        // FreeType fails to render glyphs stretched far wider than high (from about 80 times) and
        // then fails every glyph of that face at any size: such glyphs are filled from their
        // outlines.
        const cairo_antialias_t antialias = cairo_get_antialias(cr);
        cairo_set_antialias(cr, mode == GlyphMode::Smooth ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
        cairo_new_path(cr);
        cairo_glyph_path(cr, run.data(), static_cast<int>(run.size()));
        cairo_fill(cr);
        cairo_set_antialias(cr, antialias);
    } else if (utf8 != nullptr && clusters != nullptr) {
        cairo_show_text_glyphs(cr, utf8->data(), static_cast<int>(utf8->size()), run.data(),
                               static_cast<int>(run.size()), clusters->data(),
                               static_cast<int>(clusters->size()), cairo_text_cluster_flags_t(0));
    } else {
        cairo_show_glyphs(cr, run.data(), static_cast<int>(run.size()));
    }
}

void TextFont::DrawGlyphs(cairo_t* cr, const std::vector<PlacedGlyph>& glyphs, double rx, double ry,
                          double x0, double baseline, bool oriented, GlyphMode mode, bool withText) {
    // Text space (x, y) maps to (rx + x·cos + y·sin, ry − x·sin + y·cos) on the y-down device. Runs
    // of one face go out together.
    oriented = oriented && hasOrientation_;
    GlyphRuns& runs = ThreadGlyphRuns();
    std::vector<cairo_glyph_t>& run = runs.glyphs;
    std::vector<cairo_text_cluster_t>& clusters = runs.clusters;
    std::string& utf8 = runs.utf8;
    for (size_t start = 0; start < glyphs.size();) {
        const uint16_t face = glyphs[start].face;
        size_t end = start;
        run.clear();
        clusters.clear();
        utf8.clear();
        while (end < glyphs.size() && glyphs[end].face == face) {
            const PlacedGlyph& p = glyphs[end];
            const double x = x0 + p.x;
            run.push_back({p.index, rx + x * cos_ + baseline * sin_, ry - x * sin_ + baseline * cos_});
            if (withText) {
                char buf[4];
                const int n = EncodeUtf8(p.code, buf);
                utf8.append(buf, static_cast<size_t>(n));
                clusters.push_back({n, 1});
            }
            ++end;
        }
        ShowRun(cr, face, mode, oriented, run, withText ? &utf8 : nullptr, withText ? &clusters : nullptr);
        start = end;
    }
}

int TextFont::LayoutAndDraw(cairo_t* cr, const unsigned char* text, int len, const TextSpacing& sp, double rx,
                            double ry, double x0, double baseline, bool oriented, GlyphMode mode) {
    oriented = oriented && hasOrientation_;
    std::vector<cairo_glyph_t>& run = ThreadGlyphRuns().glyphs;
    run.clear();
    uint16_t face = 0;
    const int width = WalkPen(text, len, sp, [&](const CharGlyph& ch, int pen, int, int) {
        if (ch.glyph.face != face && !run.empty()) {
            ShowRun(cr, face, mode, oriented, run, nullptr, nullptr);
            run.clear();
        }
        face = ch.glyph.face;
        // The very expression of DrawGlyphs, so that the glyphs land on the same positions.
        const double x = x0 + pen;
        run.push_back({ch.glyph.index, rx + x * cos_ + baseline * sin_, ry - x * sin_ + baseline * cos_});
    });
    if (!run.empty())
        ShowRun(cr, face, mode, oriented, run, nullptr, nullptr);
    return width;
}

// ---------------------------------------------------------------------------------------------------
// Cache

namespace {

// Bumped when the cache is emptied, so that every thread drops the fonts it remembers.
std::atomic<uint64_t> cacheGeneration{0};

// The fonts a thread resolved last. A drawing call makes its fonts and deletes them again every
// time, so the next call asks for the very same requests: they are found here without the lock
// and the hash. The fonts stay in the cache while a thread remembers them (they are in use).
struct RecentFonts {
    static constexpr unsigned kSize = 4;
    FontRequest key[kSize];
    std::shared_ptr<TextFont> font[kSize];
    uint64_t generation = 0;
    unsigned next = 0;
};

// Out of line, so that a caller looks the thread's copy up once.
__attribute__((noinline)) RecentFonts& ThreadRecentFonts() {
    thread_local RecentFonts recent;
    return recent;
}

// Makes room in a full cache: the fonts nobody holds go (handles and threads' recent fonts keep
// theirs alive and in the cache); when every font is held, the cache forgets them all (their
// holders still keep them).
void Evict(std::unordered_map<FontRequest, std::shared_ptr<TextFont>, FontRequestHash>& cache) {
    for (auto it = cache.begin(); it != cache.end();)
        it = it->second.use_count() == 1 ? cache.erase(it) : std::next(it);
    if (cache.size() >= kFontCacheLimit)
        cache.clear();
}

} // namespace

std::shared_ptr<TextFont> ResolveFont(const FontRequest& req) {
    FontRequest key = req;
    const size_t nameLength = strnlen(key.faceName, sizeof(key.faceName) - 1);
    std::memset(key.faceName + nameLength, 0, sizeof(key.faceName) - nameLength);
    RecentFonts& recent = ThreadRecentFonts();
    const uint64_t generation = cacheGeneration.load(std::memory_order_acquire);
    if (recent.generation != generation) {
        for (std::shared_ptr<TextFont>& f : recent.font)
            f.reset();
        recent.generation = generation;
    }
    for (unsigned i = 0; i < RecentFonts::kSize; ++i)
        if (recent.font[i] && recent.key[i] == key)
            return recent.font[i];

    std::shared_ptr<TextFont> font;
    {
        std::lock_guard<std::mutex> lock(Mutex());
        auto& cache = FontCache();
        auto it = cache.find(key);
        if (it != cache.end()) {
            font = it->second;
        } else {
            font.reset(new TextFont(key));
            if (!font->Init())
                return nullptr;
            if (cache.size() >= kFontCacheLimit)
                Evict(cache);
            cache.emplace(font->request(), font);
        }
    }
    const unsigned slot = recent.next;
    recent.next = (slot + 1) % RecentFonts::kSize;
    recent.key[slot] = key;
    recent.font[slot] = font;
    return font;
}

void ClearFontCache() {
    std::lock_guard<std::mutex> lock(Mutex());
    FontCache().clear();
    cacheGeneration.fetch_add(1, std::memory_order_acq_rel);
}

size_t FontCacheSize() {
    std::lock_guard<std::mutex> lock(Mutex());
    return FontCache().size();
}

} // namespace draft2d::detail
