// Text measuring and drawing through the GDI text functions: extents, ABC widths, metrics and the ink
// of TextOutA checked against each other, never against absolute sizes, so that the same assertions
// hold for our platform layer and for the system's GDI.
#include "platform/devices.h"
#include "platform/win32.h"
#include "text_fonts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using draft2d::Device;

namespace {

const char kSong[] = "\xcb\xce\xcc\xe5";            // 宋体
const char kHei[] = "\xba\xda\xcc\xe5";             // 黑体
const char kFangSong[] = "\xb7\xc2\xcb\xce_GB2312"; // 仿宋_GB2312
const char kZhongWen[] = "\xd6\xd0\xce\xc4";        // 中文
const char kShiXian[] = "\xca\xb5\xcf\xdf";         // 实线
using text_fonts::kMixed;
const char kLine7[] = "\xbc\xe4\xb8\xf4\xbb\xae\xcf\xdf"
                      "A1"; // 间隔划线A1

struct InkBox {
    int left = 0, top = 0, right = -1, bottom = -1; // inclusive pixel bounds
    long count = 0;
    bool empty() const { return count == 0; }
};

bool IsInk(COLORREF c, COLORREF background) {
    return (c & 0xFFFFFF) != (background & 0xFFFFFF);
}

std::vector<COLORREF> Snapshot(const Device& dev);

InkBox FindInk(const Device& dev, COLORREF background = RGB(255, 255, 255)) {
    InkBox box;
    box.left = dev.GetWidth();
    box.top = dev.GetHeight();
    const std::vector<COLORREF> px = Snapshot(dev);
    for (int y = 0; y < dev.GetHeight(); ++y)
        for (int x = 0; x < dev.GetWidth(); ++x)
            if (IsInk(px[static_cast<size_t>(y) * dev.GetWidth() + x], background)) {
                ++box.count;
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

// Every pixel as a COLORREF, rows top-down (read at once: a one-bit device reduces its pixels to
// black and white at every read).
std::vector<COLORREF> Snapshot(const Device& dev) {
    std::vector<COLORREF> px;
    px.reserve(static_cast<size_t>(dev.GetWidth()) * static_cast<size_t>(dev.GetHeight()));
    const uint32_t* p = dev.GetPixels();
    const size_t stride = static_cast<size_t>(dev.GetStride() / 4);
    for (int y = 0; y < dev.GetHeight(); ++y)
        for (int x = 0; x < dev.GetWidth(); ++x) {
            const uint32_t v = p[y * stride + x];
            px.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
        }
    return px;
}

// Number of distinct colours of a device's pixels.
size_t ColourCount(const Device& dev) {
    std::vector<COLORREF> px = Snapshot(dev);
    std::sort(px.begin(), px.end());
    return static_cast<size_t>(std::unique(px.begin(), px.end()) - px.begin());
}

using text_fonts::MakeLogFont;

// An image device with a font selected; restores and deletes the font on destruction.
class TextCanvas {
public:
    explicit TextCanvas(const LOGFONTA& lf, int width = 480, int height = 240, bool monochrome = false)
        : dev_(monochrome ? Device::CreateMonochrome(width, height) : Device::CreateImage(width, height)) {
        dc_ = dev_->GetDC();
        font_ = CreateFontIndirectA(&lf);
        old_ = SelectObject(dc_, font_);
        SetBkMode(dc_, TRANSPARENT);
        SetTextColor(dc_, RGB(0, 0, 0));
    }
    ~TextCanvas() {
        SelectObject(dc_, old_);
        DeleteObject(font_);
    }
    TextCanvas(const TextCanvas&) = delete;
    TextCanvas& operator=(const TextCanvas&) = delete;

    HDC dc() const { return dc_; }
    Device& dev() { return *dev_; }
    HFONT font() const { return font_; }

    SIZE Extent(const char* s, int n = -1) const {
        SIZE sz{-1, -1};
        EXPECT_TRUE(GetTextExtentPoint32A(dc_, s, n < 0 ? static_cast<int>(std::strlen(s)) : n, &sz));
        return sz;
    }
    TEXTMETRICA Metrics() const {
        TEXTMETRICA tm;
        std::memset(&tm, 0, sizeof(tm));
        EXPECT_TRUE(GetTextMetricsA(dc_, &tm));
        return tm;
    }
    void Draw(int x, int y, const char* s, UINT align) {
        SetTextAlign(dc_, align);
        EXPECT_TRUE(TextOutA(dc_, x, y, s, static_cast<int>(std::strlen(s))));
    }

private:
    std::unique_ptr<Device> dev_;
    HDC dc_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// Sum of A + B + C over the characters of a GBK text, double-byte characters asked for by their
// two-byte code.
long SumAbc(HDC dc, const char* s) {
    long sum = 0;
    const auto* u = reinterpret_cast<const unsigned char*>(s);
    for (size_t i = 0; u[i];) {
        UINT code = u[i];
        size_t n = 1;
        if (u[i] >= 0x81 && u[i] <= 0xFE && u[i + 1] >= 0x40) {
            code = (static_cast<UINT>(u[i]) << 8) | u[i + 1];
            n = 2;
        }
        ABC abc{};
        EXPECT_TRUE(GetCharABCWidthsA(dc, code, code, &abc)) << "code " << code;
        sum += abc.abcA + static_cast<long>(abc.abcB) + abc.abcC;
        i += n;
    }
    return sum;
}

std::string OutputPath(const char* name) {
    return std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/" + name;
}

} // namespace

// ---- Measuring ------------------------------------------------------------------------------------

TEST(TextMeasure, ExtentIsTheSumOfAbcWidths) {
    for (const char* face : {kSong, "Arial", "Times New Roman", kHei}) {
        TextCanvas c(MakeLogFont(face, -19));
        for (const char* s : {"Hello, draft2d!", kMixed, kLine7, "iiiWWW 0123"}) {
            EXPECT_EQ(c.Extent(s).cx, SumAbc(c.dc(), s)) << face << " / " << s;
        }
    }
}

// How glyphs become pixels never moves them: extents, ABC widths and cells are the same at every
// quality and on a one-bit device, at sizes with and without bitmap strikes.
TEST(TextMeasure, MetricsAreTheSameAtEveryQuality) {
    const BYTE qualities[] = {DRAFT_QUALITY,       PROOF_QUALITY,     NONANTIALIASED_QUALITY,
                              ANTIALIASED_QUALITY, CLEARTYPE_QUALITY, CLEARTYPE_NATURAL_QUALITY};
    struct Measures {
        SIZE extent;
        TEXTMETRICA tm;
        ABC latin['z' - 'A' + 1], hanzi[94];
    };
    auto measure = [](const LOGFONTA& lf, bool monochrome) {
        TextCanvas c(lf, 16, 16, monochrome);
        Measures m{};
        m.extent = c.Extent(kMixed);
        m.tm = c.Metrics();
        EXPECT_TRUE(GetCharABCWidthsA(c.dc(), 'A', 'z', m.latin));
        EXPECT_TRUE(GetCharABCWidthsA(c.dc(), 0xD6A1, 0xD6FE, m.hanzi)); // 中 and its row
        return m;
    };
    auto same = [](const Measures& a, const Measures& b) {
        return a.extent.cx == b.extent.cx && a.extent.cy == b.extent.cy && a.tm.tmHeight == b.tm.tmHeight &&
               a.tm.tmAscent == b.tm.tmAscent && a.tm.tmAveCharWidth == b.tm.tmAveCharWidth &&
               a.tm.tmMaxCharWidth == b.tm.tmMaxCharWidth &&
               a.tm.tmInternalLeading == b.tm.tmInternalLeading &&
               std::memcmp(a.latin, b.latin, sizeof a.latin) == 0 &&
               std::memcmp(a.hanzi, b.hanzi, sizeof a.hanzi) == 0;
    };
    for (const char* face : {kSong, kHei, "Arial", "Times New Roman"})
        for (LONG height : {-11, -12, -16, 13, 15, 22}) {
            const Measures base =
                measure(MakeLogFont(face, height, 0, FW_NORMAL, GB2312_CHARSET, DEFAULT_QUALITY), false);
            for (BYTE q : qualities)
                EXPECT_TRUE(
                    same(measure(MakeLogFont(face, height, 0, FW_NORMAL, GB2312_CHARSET, q), false), base))
                    << face << " " << height << " quality " << int{q};
            EXPECT_TRUE(
                same(measure(MakeLogFont(face, height, 0, FW_NORMAL, GB2312_CHARSET, DEFAULT_QUALITY), true),
                     base))
                << face << " " << height << " one-bit device";
        }
}

TEST(TextMeasure, ExtentHeightIsTheCellAndAddsUpPerCharacter) {
    TextCanvas c(MakeLogFont(kSong, -24));
    const TEXTMETRICA tm = c.Metrics();
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    EXPECT_EQ(c.Extent("A").cy, tm.tmHeight);
    EXPECT_EQ(c.Extent(kZhongWen).cy, tm.tmHeight);
    EXPECT_EQ(c.Extent("").cx, 0);
    // Extents of pieces add up: there is no kerning between separately measured runs.
    EXPECT_EQ(c.Extent(kMixed).cx, c.Extent(kZhongWen).cx + c.Extent("ABC").cx + c.Extent(kShiXian).cx);
    // A double-byte character is one character: its extent is that of its own code.
    ABC abc{};
    ASSERT_TRUE(GetCharABCWidthsA(c.dc(), 0xD6D0, 0xD6D0, &abc)); // 中
    EXPECT_EQ(c.Extent("\xd6\xd0").cx, abc.abcA + static_cast<long>(abc.abcB) + abc.abcC);
    EXPECT_GT(static_cast<long>(abc.abcB), 0);
}

// Every character of GB2312 level 1 decodes and has a full-width glyph: none comes out as the
// half-width replacement, in a Chinese face or through the fallback of a Western one.
TEST(TextMeasure, EveryGb2312HanziHasAGlyph) {
    for (const char* face : {kSong, "Arial"}) {
        TextCanvas c(MakeLogFont(face, -16));
        ABC question{};
        ASSERT_TRUE(GetCharABCWidthsA(c.dc(), '?', '?', &question));
        const long q = question.abcA + static_cast<long>(question.abcB) + question.abcC;
        int checked = 0;
        // One call per lead byte: GDI takes a range of double-byte codes within one lead byte only.
        for (UINT lead = 0xB0; lead <= 0xD7; ++lead) {
            const UINT first = (lead << 8) | 0xA1, last = (lead << 8) | (lead == 0xD7 ? 0xF9 : 0xFE);
            ABC abc[94];
            ASSERT_TRUE(GetCharABCWidthsA(c.dc(), first, last, abc)) << face << " " << std::hex << lead;
            for (UINT code = first; code <= last; ++code) {
                const ABC& a = abc[code - first];
                EXPECT_GT(a.abcB, 0u) << face << " " << std::hex << code;
                EXPECT_GT(a.abcA + static_cast<long>(a.abcB) + a.abcC, q) << face << " " << std::hex << code;
                ++checked;
            }
        }
        EXPECT_EQ(checked, 3755);
    }
}

TEST(TextMeasure, CharacterExtraIsAddedOncePerCharacter) {
    TextCanvas c(MakeLogFont(kSong, -16));
    const LONG plain = c.Extent(kMixed).cx;
    SetTextCharacterExtra(c.dc(), 3);
    // 中文ABC实线: 7 characters in 10 bytes.
    EXPECT_EQ(c.Extent(kMixed).cx, plain + 7 * 3);
    EXPECT_EQ(GetTextCharacterExtra(c.dc()), 3);
    SetTextCharacterExtra(c.dc(), 0);
    EXPECT_EQ(c.Extent(kMixed).cx, plain);
}

// SetTextJustification: the extent and the drawn line agree, and on our layer the spaces take the
// extra (Wine's GDI ignores it in both).
TEST(TextMeasure, JustificationKeepsExtentAndDrawingTogether) {
    TextCanvas c(MakeLogFont("Arial", -16));
    const LONG plain = c.Extent("a b c d").cx;
    ASSERT_TRUE(SetTextJustification(c.dc(), 9, 3));
    const LONG justified = c.Extent("a b c d").cx;
    if (draft2d::IsCallTraceAvailable()) {
        EXPECT_EQ(justified, plain + 9);
    }
    // The opaque cell of the drawn line ends where the extent says.
    SetBkMode(c.dc(), OPAQUE);
    SetBkColor(c.dc(), RGB(0, 0, 0));
    c.Draw(10, 10, "a b c d", TA_LEFT | TA_TOP);
    EXPECT_EQ(FindInk(c.dev()).right, 10 + justified - 1);
    ASSERT_TRUE(SetTextJustification(c.dc(), 0, 0));
    EXPECT_EQ(c.Extent("a b c d").cx, plain);
}

// Our layer reads the bytes of a font of the ANSI character set in code page 1252 (one byte, one
// character); the GB2312 and default character sets read GBK. The system's GDI reads text of an
// ANSI font in the process's ANSI code page, which is GBK on the Chinese systems these tests run
// as (Wine measures "\xd6\xd0" with an ANSI font as the one character 中).
TEST(TextMeasure, AnsiCharsetReadsCodePage1252) {
    TextCanvas ansi(MakeLogFont("Arial", -20, 0, FW_NORMAL, ANSI_CHARSET));
    TextCanvas gbk(MakeLogFont("Arial", -20, 0, FW_NORMAL, GB2312_CHARSET));
    ABC abc[2];
    ASSERT_TRUE(GetCharABCWidthsA(gbk.dc(), 0xD6D0, 0xD6D0, abc)); // 中
    EXPECT_EQ(gbk.Extent("\xd6\xd0").cx, abc[0].abcA + static_cast<long>(abc[0].abcB) + abc[0].abcC);
    if (!draft2d::IsCallTraceAvailable()) {
        ASSERT_TRUE(GetCharABCWidthsA(ansi.dc(), 0xD6D0, 0xD6D0, abc));
        EXPECT_EQ(ansi.Extent("\xd6\xd0").cx, abc[0].abcA + static_cast<long>(abc[0].abcB) + abc[0].abcC);
        return;
    }
    EXPECT_EQ(ansi.Extent("\xe9").cx, ansi.Extent("e").cx); // é has the advance of e
    EXPECT_EQ(ansi.Extent("\xd6\xd0").cx, ansi.Extent("\xd6").cx + ansi.Extent("\xd0").cx); // ÖÐ
    ASSERT_TRUE(GetCharABCWidthsA(ansi.dc(), 0xD6, 0xD6, abc));                             // Ö alone
    EXPECT_EQ(ansi.Extent("\xd6").cx, abc[0].abcA + static_cast<long>(abc[0].abcB) + abc[0].abcC);
    // A code page of single bytes has no character above 0xFF.
    EXPECT_FALSE(GetCharABCWidthsA(ansi.dc(), 0xD6D0, 0xD6D0, abc));
    EXPECT_NE(gbk.Extent("\xd6\xd0").cx, ansi.Extent("\xd6\xd0").cx);
}

TEST(TextMeasure, CountIsHonouredWithoutTerminator) {
    TextCanvas c(MakeLogFont("Arial", -20));
    const char buf[] = {'A', 'B', 'C', 'D', 'E', 'F'}; // no terminating zero
    SIZE sz{};
    ASSERT_TRUE(GetTextExtentPoint32A(c.dc(), buf, 3, &sz));
    EXPECT_EQ(sz.cx, c.Extent("ABC").cx);
    // Bytes after an embedded zero are measured when the count says so.
    const char withZero[] = {'A', '\0', 'B'};
    ASSERT_TRUE(GetTextExtentPoint32A(c.dc(), withZero, 3, &sz));
    EXPECT_GT(sz.cx, c.Extent("AB").cx - 1);
}

TEST(TextMeasure, BadArgumentsFail) {
    TextCanvas c(MakeLogFont(kSong, -16));
    SIZE sz{};
    ABC abc[4];
    if (draft2d::IsCallTraceAvailable()) {
        // Our layer refuses a missing text or result; the system's GDI may measure nothing or fault.
        EXPECT_FALSE(GetTextExtentPoint32A(c.dc(), nullptr, 3, &sz));
        EXPECT_FALSE(GetTextExtentPoint32A(c.dc(), "abc", 3, nullptr));
        EXPECT_FALSE(TextOutA(c.dc(), 0, 0, nullptr, 3));
        EXPECT_FALSE(GetCharABCWidthsA(c.dc(), 'A', 'B', nullptr));
        EXPECT_FALSE(GetTextMetricsA(c.dc(), nullptr));
    }
    EXPECT_FALSE(GetTextExtentPoint32A(nullptr, "abc", 3, &sz));
    EXPECT_FALSE(GetCharABCWidthsA(c.dc(), 'B', 'A', abc));
    EXPECT_FALSE(TextOutA(nullptr, 0, 0, "abc", 3));
    ASSERT_TRUE(GetCharABCWidthsA(c.dc(), 'A', 'D', abc));
    ABC one{};
    ASSERT_TRUE(GetCharABCWidthsA(c.dc(), 'C', 'C', &one));
    EXPECT_EQ(abc[2].abcA, one.abcA);
    EXPECT_EQ(abc[2].abcB, one.abcB);
    EXPECT_EQ(abc[2].abcC, one.abcC);
}

// Invalid GBK must neither crash nor read past the count; every byte sequence still measures.
TEST(TextMeasure, InvalidGbkMeasuresAndDraws) {
    TextCanvas c(MakeLogFont(kSong, -16));
    const char* const bad[] = {
        "\xff",         // never a GBK byte
        "\x81",         // lead byte at the end
        "A\xd6",        // lead byte at the end after ASCII
        "\xd6\x20",     // lead byte followed by a space
        "\xd6\x7f",     // 0x7F is no trail byte
        "\xa2\xa0\xff", // unassigned pair, then junk
    };
    for (const char* s : bad) {
        SIZE sz{};
        const int n = static_cast<int>(std::strlen(s));
        ASSERT_TRUE(GetTextExtentPoint32A(c.dc(), s, n, &sz)) << s;
        EXPECT_GE(sz.cx, 0);
        EXPECT_TRUE(TextOutA(c.dc(), 10, 10, s, n));
    }
    // A lead byte cut off by the count measures as something, not as the full character.
    SIZE cut{}, full{};
    ASSERT_TRUE(GetTextExtentPoint32A(c.dc(), "A\xd6\xd0", 2, &cut));
    ASSERT_TRUE(GetTextExtentPoint32A(c.dc(), "A\xd6\xd0", 3, &full));
    EXPECT_GE(cut.cx, c.Extent("A").cx);
    EXPECT_NE(cut.cx, full.cx);
}

// Extreme LOGFONTA values measure and draw without crashing or hanging: sizes are clamped.
TEST(TextMeasure, ExtremeFontsStayUsable) {
    const LONG big = 0x7FFFFFFF, small = -0x7FFFFFFF - 1;
    const LONG heights[] = {small, big, -1, 1, 0};
    for (LONG h : heights) {
        LOGFONTA lf = MakeLogFont(kSong, h, -12345);
        lf.lfWidth = h == 0 ? big : -3;
        lf.lfWeight = 100000;
        TextCanvas c(lf, 64, 64);
        SIZE sz{};
        ASSERT_TRUE(GetTextExtentPoint32A(c.dc(), kMixed, static_cast<int>(std::strlen(kMixed)), &sz)) << h;
        EXPECT_GE(sz.cx, 0);
        EXPECT_GT(sz.cy, 0);
        EXPECT_TRUE(TextOutA(c.dc(), 10, 10, kMixed, static_cast<int>(std::strlen(kMixed)))) << h;
    }
    // A character extra that overflows any sum of advances.
    {
        TextCanvas c(MakeLogFont(kSong, -16), 64, 64);
        SetTextCharacterExtra(c.dc(), 0x7FFFFFFF);
        SIZE sz{};
        EXPECT_TRUE(GetTextExtentPoint32A(c.dc(), kMixed, static_cast<int>(std::strlen(kMixed)), &sz));
        EXPECT_TRUE(TextOutA(c.dc(), 10, 10, kMixed, static_cast<int>(std::strlen(kMixed))));
    }
    // A face name that fills the whole array without a terminator.
    LOGFONTA lf = MakeLogFont(nullptr, -16);
    std::memset(lf.lfFaceName, 'x', sizeof(lf.lfFaceName));
    TextCanvas c(lf);
    EXPECT_GT(c.Extent("abc").cx, 0);
}

// Fonts stretched so far that FreeType cannot render their glyphs (and would then fail every glyph
// of the face) are drawn from their outlines, and the DC goes on drawing: text after them still
// comes out.
TEST(TextDraw, TextAfterAGlyphThatCannotBeDrawnStillComesOut) {
    for (BYTE quality : {BYTE{DEFAULT_QUALITY}, BYTE{NONANTIALIASED_QUALITY}})
        for (LONG width : {5055, 5000, 3000, 8000}) {
            LOGFONTA wide = MakeLogFont("Times New Roman", 19, 0, FW_NORMAL, ANSI_CHARSET, quality);
            wide.lfWidth = width;
            TextCanvas c(wide, 200, 100);
            EXPECT_TRUE(TextOutA(c.dc(), 10, 10, "ABC", 3));
            if (quality == DEFAULT_QUALITY) { // one-bit glyphs hinted at such a stretch may come out empty
                EXPECT_FALSE(FindInk(c.dev()).empty()) << "the wide text itself, " << width;
            }
            c.dev().Clear(RGB(255, 255, 255));
            const LOGFONTA lf = MakeLogFont("Times New Roman", -16, 0, FW_NORMAL, ANSI_CHARSET, quality);
            HFONT plain = CreateFontIndirectA(&lf);
            HGDIOBJ old = SelectObject(c.dc(), plain);
            EXPECT_TRUE(TextOutA(c.dc(), 10, 50, "ABC", 3));
            EXPECT_FALSE(FindInk(c.dev()).empty()) << width << " quality " << int(quality);
            SelectObject(c.dc(), old);
            DeleteObject(plain);
        }
}

TEST(TextMeasure, HeightSignChoosesEmOrCell) {
    TextCanvas em(MakeLogFont(kSong, -20));
    const TEXTMETRICA a = em.Metrics();
    EXPECT_EQ(a.tmHeight - a.tmInternalLeading, 20); // negative: the em height
    TextCanvas cell(MakeLogFont(kSong, 20));
    const TEXTMETRICA b = cell.Metrics();
    EXPECT_NEAR(b.tmHeight, 20, 1); // positive: the cell height (exact on our layer, see below)
    EXPECT_LE(b.tmHeight - b.tmInternalLeading, 20);
}

// A positive lfHeight is the cell: for every height and both faces, tmHeight is that height (24 gives
// 24, not 25), ascent and descent add up to it, extents report it, and an opaque TextOutA paints a
// background of exactly the extent with the ink inside it, placed on the baseline by tmAscent. (Below
// ten pixels the hinted glyphs of a cell may overhang it by a pixel; Wine derives the cell from a
// rounded em and may be a pixel off, so only nearness is asked of it.)
TEST(TextMeasure, PositiveHeightIsExactlyTheCellOfMetricsExtentsAndDrawing) {
    for (const char* face : {kSong, "Arial"}) {
        for (LONG h = 10; h <= 72; ++h) {
            TextCanvas c(MakeLogFont(face, h), 480, 100);
            const TEXTMETRICA tm = c.Metrics();
            const std::string what = std::string(face) + " " + std::to_string(h);
            if (!draft2d::IsCallTraceAvailable()) {
                EXPECT_NEAR(tm.tmHeight, h, 1) << what;
                continue;
            }
            ASSERT_EQ(tm.tmHeight, h) << what;
            EXPECT_EQ(tm.tmAscent + tm.tmDescent, h) << what;
            EXPECT_GE(tm.tmInternalLeading, 0) << what;
            const SIZE ext = c.Extent(kMixed);
            EXPECT_EQ(ext.cy, h) << what;
            EXPECT_EQ(ext.cx, SumAbc(c.dc(), kMixed)) << what;
            SetBkMode(c.dc(), OPAQUE);
            SetBkColor(c.dc(), RGB(255, 0, 0));
            SetTextColor(c.dc(), RGB(0, 0, 255));
            c.Draw(10, 10 + tm.tmAscent, kMixed, TA_LEFT | TA_BASELINE);
            const InkBox box = FindInk(c.dev());
            EXPECT_EQ(box.left, 10) << what;
            EXPECT_EQ(box.top, 10) << what;
            EXPECT_EQ(box.right, 10 + ext.cx - 1) << what;
            EXPECT_EQ(box.bottom, 10 + h - 1) << what;
            EXPECT_EQ(box.count, static_cast<long>(ext.cx) * h) << what; // the ink stays inside
        }
    }
}

TEST(TextMeasure, WidthStretchesAgainstTheAverageWidth) {
    TextCanvas normal(MakeLogFont("Arial", -20));
    const TEXTMETRICA tm = normal.Metrics();
    LOGFONTA lf = MakeLogFont("Arial", -20);
    lf.lfWidth = 2 * tm.tmAveCharWidth;
    TextCanvas wide(lf);
    EXPECT_NEAR(wide.Metrics().tmAveCharWidth, lf.lfWidth, 1);
    EXPECT_EQ(wide.Metrics().tmHeight, tm.tmHeight); // only horizontal
    const char* s = "MMMMMMMMMM";
    const double ratio = static_cast<double>(wide.Extent(s).cx) / normal.Extent(s).cx;
    EXPECT_NEAR(ratio, 2.0, 0.15);
}

TEST(TextMeasure, FaceNamesGiveDistinctFaces) {
    // Windows face names, Chinese and Western, are found: different faces measure differently.
    TextCanvas arial(MakeLogFont("Arial", -20, 0, FW_NORMAL, ANSI_CHARSET));
    TextCanvas times(MakeLogFont("Times New Roman", -20, 0, FW_NORMAL, ANSI_CHARSET));
    const char* s = "The quick brown fox jumps";
    if (draft2d::IsCallTraceAvailable()) {
        // Needs both faces (or their metric twins) installed; a bare system may substitute one font.
        EXPECT_NE(arial.Extent(s).cx, times.Extent(s).cx);
    }
    // A face that reports fixed pitch has one advance for all characters.
    TextCanvas courier(MakeLogFont("Courier New", -20, 0, FW_NORMAL, ANSI_CHARSET));
    if (!(courier.Metrics().tmPitchAndFamily & TMPF_FIXED_PITCH))
        EXPECT_EQ(courier.Extent("iiii").cx, courier.Extent("WWWW").cx);
    else
        EXPECT_FALSE(draft2d::IsCallTraceAvailable()) << "Courier New is fixed pitch on our platform";
    // Chinese face names in GBK: 宋体 and 黑体 both cover Chinese.
    for (const char* face : {kSong, kHei, kFangSong}) {
        TextCanvas c(MakeLogFont(face, -20));
        EXPECT_GT(c.Extent(kZhongWen).cx, c.Extent("ii").cx) << face;
    }
}

// ---- Drawing --------------------------------------------------------------------------------------

// The ink of TextOutA lies inside the box that GetTextExtentPoint32A gives, placed by the alignment;
// an opaque background fills exactly that box.
TEST(TextDraw, InkLiesInsideTheExtentBox) {
    struct Case {
        UINT align;
        const char* name;
    };
    const Case cases[] = {{TA_LEFT | TA_TOP, "top"},
                          {TA_LEFT | TA_BASELINE, "baseline"},
                          {TA_LEFT | TA_BOTTOM, "bottom"},
                          {TA_RIGHT | TA_TOP, "right"},
                          {TA_RIGHT | TA_BASELINE, "right-baseline"},
                          {TA_CENTER | TA_BOTTOM, "centre"}};
    // Smoothed glyphs too, and small ones, strikes among them.
    struct Font {
        const char* face;
        LONG height;
        BYTE quality;
    };
    const Font fonts[] = {{kSong, -28, NONANTIALIASED_QUALITY},
                          {"Arial", -28, NONANTIALIASED_QUALITY},
                          {kSong, -28, DEFAULT_QUALITY},
                          {"Arial", -28, DEFAULT_QUALITY},
                          {kHei, -28, DEFAULT_QUALITY},
                          {kSong, 11, DEFAULT_QUALITY},
                          {kHei, -12, DEFAULT_QUALITY},
                          {"Arial", 11, DEFAULT_QUALITY},
                          {"Times New Roman", 15, DEFAULT_QUALITY}};
    for (const Font& font : fonts) {
        const char* face = font.face;
        for (const Case& k : cases) {
            for (int opaque = 0; opaque < 2; ++opaque) {
                TextCanvas c(MakeLogFont(face, font.height, 0, FW_NORMAL, GB2312_CHARSET, font.quality));
                const SIZE ext = c.Extent(kMixed);
                const TEXTMETRICA tm = c.Metrics();
                const int x = 240, y = 120;
                if (opaque) {
                    SetBkMode(c.dc(), OPAQUE);
                    SetBkColor(c.dc(), RGB(0, 0, 0));
                }
                c.Draw(x, y, kMixed, k.align);
                const InkBox ink = FindInk(c.dev());
                const std::string what = std::string(face) + " " + std::to_string(font.height) + " q" +
                                         std::to_string(font.quality) + " " + k.name +
                                         (opaque ? " opaque" : "");
                ASSERT_FALSE(ink.empty()) << what;
                int left = x;
                if ((k.align & TA_CENTER) == TA_CENTER)
                    left = x - ext.cx / 2;
                else if (k.align & TA_RIGHT)
                    left = x - ext.cx;
                int top = y;
                if ((k.align & TA_BASELINE) == TA_BASELINE)
                    top = y - tm.tmAscent;
                else if (k.align & TA_BOTTOM)
                    top = y - ext.cy;
                // A centred odd width may be placed half a pixel either way.
                const int slack = (k.align & TA_CENTER) == TA_CENTER ? 1 : 0;
                if (opaque) {
                    EXPECT_NEAR(ink.left, left, slack) << what;
                    EXPECT_EQ(ink.right - ink.left + 1, ext.cx) << what;
                    EXPECT_EQ(ink.top, top) << what;
                    EXPECT_EQ(ink.bottom, top + ext.cy - 1) << what;
                    EXPECT_EQ(ink.count, static_cast<long>(ext.cx) * ext.cy) << what;
                    continue;
                }
                EXPECT_GE(ink.left, left - slack) << what;
                EXPECT_LT(ink.right, left + ext.cx + slack) << what;
                EXPECT_GE(ink.top, top) << what;
                EXPECT_LT(ink.bottom, top + ext.cy) << what;
                // The box is tight: the ink spans most of it.
                EXPECT_GT(ink.right - ink.left, ext.cx * 3 / 4) << what;
                EXPECT_GT(ink.bottom - ink.top, ext.cy / 2) << what;
            }
        }
    }
}

// An opaque background paints exactly the text cell.
TEST(TextDraw, OpaqueBackgroundFillsTheExtentBox) {
    TextCanvas c(MakeLogFont(kSong, -20));
    const SIZE ext = c.Extent(kMixed);
    SetBkMode(c.dc(), OPAQUE);
    SetBkColor(c.dc(), RGB(255, 0, 0));
    SetTextColor(c.dc(), RGB(0, 0, 255));
    c.Draw(30, 40, kMixed, TA_LEFT | TA_TOP);
    const InkBox ink = FindInk(c.dev());
    EXPECT_EQ(ink.left, 30);
    EXPECT_EQ(ink.top, 40);
    EXPECT_EQ(ink.right, 30 + ext.cx - 1);
    EXPECT_EQ(ink.bottom, 40 + ext.cy - 1);
    EXPECT_EQ(ink.count, static_cast<long>(ext.cx) * ext.cy); // no hole
    // Only the two colours of the call are used: no antialiasing.
    long blue = 0;
    for (int y = ink.top; y <= ink.bottom; ++y)
        for (int x = ink.left; x <= ink.right; ++x) {
            const COLORREF p = c.dev().GetPixel(x, y) & 0xFFFFFF;
            ASSERT_TRUE(p == RGB(255, 0, 0) || p == RGB(0, 0, 255)) << x << "," << y << " " << std::hex << p;
            blue += p == RGB(0, 0, 255);
        }
    EXPECT_GT(blue, 0);
}

TEST(TextDraw, RightAlignmentEndsAtTheReferencePoint) {
    TextCanvas right(MakeLogFont("Arial", -22));
    TextCanvas left(MakeLogFont("Arial", -22));
    const SIZE ext = left.Extent(kLine7);
    right.Draw(300, 100, kLine7, TA_RIGHT | TA_BASELINE);
    left.Draw(300 - ext.cx, 100, kLine7, TA_LEFT | TA_BASELINE);
    EXPECT_TRUE(Snapshot(right.dev()) == Snapshot(left.dev()));
}

// Two calls with TA_UPDATECP draw what one call draws and leave the position after the text.
TEST(TextDraw, UpdateCpContinuesTheLine) {
    TextCanvas once(MakeLogFont(kSong, -18));
    TextCanvas twice(MakeLogFont(kSong, -18));
    once.Draw(20, 60, "AB\xd6\xd0", TA_LEFT | TA_BASELINE); // AB中
    MoveToEx(twice.dc(), 20, 60, nullptr);
    twice.Draw(0, 0, "AB", TA_LEFT | TA_BASELINE | TA_UPDATECP);
    twice.Draw(0, 0, "\xd6\xd0", TA_LEFT | TA_BASELINE | TA_UPDATECP); // 中
    // The pieces land where the whole line does; on our layer pixel for pixel (the system's GDI may
    // render a glyph differently when it starts a call).
    const InkBox a = FindInk(once.dev()), b = FindInk(twice.dev());
    EXPECT_EQ(a.left, b.left);
    EXPECT_NEAR(a.right, b.right, 1);
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.bottom, b.bottom);
    if (draft2d::IsCallTraceAvailable()) {
        EXPECT_TRUE(Snapshot(once.dev()) == Snapshot(twice.dev()));
    }
    POINT cp{};
    ASSERT_TRUE(GetCurrentPositionEx(twice.dc(), &cp));
    EXPECT_EQ(cp.x, 20 + once.Extent("AB\xd6\xd0").cx);
    EXPECT_EQ(cp.y, 60);
}

// Escapement 300 turns the text 30 degrees counter-clockwise about its reference point: the ink,
// turned back about that point, lies in the unrotated extent box.
TEST(TextDraw, EscapementRotatesAboutTheReferencePoint) {
    for (UINT valign : {UINT{TA_BASELINE}, UINT{TA_TOP}, UINT{TA_BOTTOM}}) {
        TextCanvas c(MakeLogFont(kSong, -28, 300));
        const SIZE ext = c.Extent(kMixed);
        const TEXTMETRICA tm = c.Metrics();
        const int rx = 120, ry = 180;
        c.Draw(rx, ry, kMixed, TA_LEFT | valign);
        double top = 0;
        if (valign == TA_BASELINE)
            top = -tm.tmAscent;
        else if (valign == TA_BOTTOM)
            top = -ext.cy;
        const double a = 30.0 * 3.14159265358979323846 / 180.0, ca = std::cos(a), sa = std::sin(a);
        double maxAlong = -1e9, minAlong = 1e9;
        long outside = 0, total = 0;
        for (int y = 0; y < c.dev().GetHeight(); ++y)
            for (int x = 0; x < c.dev().GetWidth(); ++x) {
                if (!IsInk(c.dev().GetPixel(x, y), RGB(255, 255, 255)))
                    continue;
                ++total;
                // Pixel centre in the text's frame: u along the baseline, v down across it.
                const double dx = x + 0.5 - rx, dy = y + 0.5 - ry;
                const double u = dx * ca - dy * sa;
                const double v = dx * sa + dy * ca;
                maxAlong = std::max(maxAlong, u);
                minAlong = std::min(minAlong, u);
                const double tol = 1.5;
                if (u < -tol || u > ext.cx + tol || v < top - tol || v > top + ext.cy + tol)
                    ++outside;
            }
        ASSERT_GT(total, 0);
        EXPECT_EQ(outside, 0) << "valign " << valign;
        EXPECT_GT(maxAlong - minAlong, ext.cx * 0.75) << "valign " << valign;
    }
}

// In the advanced graphics mode lfOrientation turns the glyphs and lfEscapement the line: a line at
// 90 degrees with orientation 0 stacks upright letters. The compatible mode turns both by escapement.
TEST(TextDraw, OrientationTurnsGlyphsInAdvancedMode) {
    LOGFONTA lf = MakeLogFont("Arial", -48, 900);
    lf.lfOrientation = 0;
    TextCanvas advanced(lf), compatible(lf);
    ASSERT_NE(SetGraphicsMode(advanced.dc(), GM_ADVANCED), 0);
    advanced.Draw(100, 150, "l", TA_LEFT | TA_BASELINE);
    compatible.Draw(100, 150, "l", TA_LEFT | TA_BASELINE);
    const InkBox up = FindInk(advanced.dev()), turned = FindInk(compatible.dev());
    ASSERT_FALSE(up.empty());
    ASSERT_FALSE(turned.empty());
    EXPECT_GT(2 * (up.bottom - up.top), 3 * (up.right - up.left));
    EXPECT_GT(2 * (turned.right - turned.left), 3 * (turned.bottom - turned.top));
    // Two letters go up the line, each upright: the second sits above the first.
    TextCanvas two(lf);
    SetGraphicsMode(two.dc(), GM_ADVANCED);
    two.Draw(100, 150, "ll", TA_LEFT | TA_BASELINE);
    const InkBox both = FindInk(two.dev());
    EXPECT_EQ(both.bottom, up.bottom);
    EXPECT_LT(both.top, up.top);
    if (draft2d::IsCallTraceAvailable()) {
        // On our layer an upright glyph is the unturned glyph, pixel for pixel.
        TextCanvas plain(MakeLogFont("Arial", -48));
        plain.Draw(100, 150, "l", TA_LEFT | TA_BASELINE);
        EXPECT_TRUE(Snapshot(plain.dev()) == Snapshot(advanced.dev()));
    }
}

TEST(TextDraw, StylesChangeTheInk) {
    // Bold and italic, also for a face that has neither (the Chinese one: they are synthesised).
    for (const char* face : {"Arial", kSong}) {
        TextCanvas regular(MakeLogFont(face, -24));
        TextCanvas bold(MakeLogFont(face, -24, 0, FW_BOLD));
        LOGFONTA lf = MakeLogFont(face, -24);
        lf.lfItalic = 1;
        TextCanvas italic(lf);
        for (TextCanvas* c : {&regular, &bold, &italic})
            c->Draw(10, 10, kMixed, TA_LEFT | TA_TOP);
        EXPECT_GT(FindInk(bold.dev()).count, FindInk(regular.dev()).count * 11 / 10) << face;
        EXPECT_GE(bold.Metrics().tmWeight, FW_SEMIBOLD) << face;
        EXPECT_FALSE(Snapshot(italic.dev()) == Snapshot(regular.dev())) << face;
        EXPECT_NE(italic.Metrics().tmItalic, 0) << face;
    }

    // Underline and strike-out draw rows of ink across the whole width, below and above the baseline.
    for (int style = 0; style < 2; ++style) {
        LOGFONTA lf = MakeLogFont(kSong, -24);
        (style == 0 ? lf.lfUnderline : lf.lfStrikeOut) = 1;
        TextCanvas c(lf);
        const SIZE ext = c.Extent("a  a");
        c.Draw(20, 100, "a  a", TA_LEFT | TA_BASELINE);
        int fullRows = 0, rowAt = 0;
        for (int y = 100 - c.Metrics().tmAscent; y < 100 + c.Metrics().tmDescent; ++y) {
            int run = 0;
            for (int x = 20; x < 20 + ext.cx; ++x)
                run += IsInk(c.dev().GetPixel(x, y), RGB(255, 255, 255));
            if (run == ext.cx) {
                ++fullRows;
                rowAt = y;
            }
        }
        EXPECT_GT(fullRows, 0) << (style == 0 ? "underline" : "strike-out");
        if (style == 0)
            EXPECT_GE(rowAt, 100);
        else
            EXPECT_LT(rowAt, 100);
        EXPECT_EQ(c.Metrics().tmUnderlined != 0, style == 0); // GDI may report 255 for "on"
    }
}

// Default, draft, proof, antialiased and ClearType qualities smooth glyphs in greys;
// NONANTIALIASED_QUALITY draws them in ink and background only, and a one-bit device draws those
// one-bit glyphs themselves, not smoothed ones cut at half their coverage.
TEST(TextDraw, QualityChoosesSmoothOrOneBitGlyphs) {
    for (const char* face : {"Arial", kHei, kSong}) {
        const char* text = face[0] == 'A' ? "Drawing 1:50" : kMixed;
        auto draw = [&](BYTE quality, bool monochrome) {
            auto c = std::make_unique<TextCanvas>(
                MakeLogFont(face, -17, 0, FW_NORMAL, GB2312_CHARSET, quality), 240, 40, monochrome);
            c->Draw(4, 4, text, TA_LEFT | TA_TOP);
            return c;
        };
        const auto smooth = draw(DEFAULT_QUALITY, false);
        const auto crisp = draw(NONANTIALIASED_QUALITY, false);
        EXPECT_GT(ColourCount(smooth->dev()), 8u) << face;
        EXPECT_EQ(ColourCount(crisp->dev()), 2u) << face;
        for (BYTE q : {DRAFT_QUALITY, PROOF_QUALITY, ANTIALIASED_QUALITY, CLEARTYPE_QUALITY})
            EXPECT_GT(ColourCount(draw(q, false)->dev()), 8u) << face << " quality " << int{q};
        if (draft2d::IsCallTraceAvailable()) {
            // Our layer smooths every one of them alike, ClearType in grey too.
            for (BYTE q : {ANTIALIASED_QUALITY, CLEARTYPE_QUALITY})
                EXPECT_TRUE(Snapshot(draw(q, false)->dev()) == Snapshot(smooth->dev())) << face;
            EXPECT_TRUE(Snapshot(draw(DEFAULT_QUALITY, true)->dev()) == Snapshot(crisp->dev())) << face;
        }
    }
}

// The Song and Hei faces carry bitmap strikes for small sizes, drawn as they are at every quality
// (one-bit pixels, the same as NONANTIALIASED_QUALITY's); larger sizes and a synthesised slant, which
// a bitmap cannot take, are smoothed outlines.
TEST(TextDraw, BitmapStrikesDrawSmallChineseText) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "strikes of our faces";
    for (const char* face : {kSong, kHei}) {
        auto draw = [&](LONG height, BYTE quality, bool italic = false) {
            LOGFONTA lf = MakeLogFont(face, height, 0, FW_NORMAL, GB2312_CHARSET, quality);
            lf.lfItalic = italic ? 1 : 0;
            auto c = std::make_unique<TextCanvas>(lf, 200, 40);
            c->Draw(4, 4, kLine7, TA_LEFT | TA_TOP);
            return c;
        };
        for (LONG em : {-12, -14, -16}) {
            const auto strike = draw(em, DEFAULT_QUALITY);
            EXPECT_EQ(ColourCount(strike->dev()), 2u) << face << " " << em;
            EXPECT_TRUE(Snapshot(strike->dev()) == Snapshot(draw(em, NONANTIALIASED_QUALITY)->dev()))
                << face << " " << em;
            EXPECT_GT(ColourCount(draw(em, DEFAULT_QUALITY, true)->dev()), 8u)
                << face << " " << em << " italic";
        }
        EXPECT_GT(ColourCount(draw(-20, DEFAULT_QUALITY)->dev()), 8u) << face;
    }
}

// Characters a Western face lacks come from a Chinese face: real, distinct glyphs, not one empty box.
TEST(TextDraw, ChineseCharactersFallBackToAChineseFace) {
    TextCanvas zhong(MakeLogFont("Arial", -32));
    TextCanvas wen(MakeLogFont("Arial", -32));
    zhong.Draw(10, 10, "\xd6\xd0", TA_LEFT | TA_TOP); // 中
    wen.Draw(10, 10, "\xce\xc4", TA_LEFT | TA_TOP);   // 文
    const InkBox a = FindInk(zhong.dev()), b = FindInk(wen.dev());
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_FALSE(Snapshot(zhong.dev()) == Snapshot(wen.dev()));
    // A default face with the GB2312 character set covers Chinese too.
    TextCanvas plain(MakeLogFont("", -32));
    plain.Draw(10, 10, "\xd6\xd0", TA_LEFT | TA_TOP);
    EXPECT_FALSE(FindInk(plain.dev()).empty());
}

TEST(TextDraw, TextColourAndTransparentBackground) {
    TextCanvas c(MakeLogFont(kHei, -26));
    c.dev().Clear(RGB(0, 128, 0));
    SetTextColor(c.dc(), RGB(250, 200, 10));
    c.Draw(10, 10, kShiXian, TA_LEFT | TA_TOP);
    const InkBox ink = FindInk(c.dev(), RGB(0, 128, 0));
    ASSERT_FALSE(ink.empty());
    for (int y = ink.top; y <= ink.bottom; ++y)
        for (int x = ink.left; x <= ink.right; ++x) {
            const COLORREF p = c.dev().GetPixel(x, y) & 0xFFFFFF;
            ASSERT_TRUE(p == RGB(0, 128, 0) || p == RGB(250, 200, 10)) << std::hex << p;
        }
}

// A run of text calls with other drawing between them: every call draws what it draws on a device
// of its own, in the font and text colour selected at its moment, whatever the calls before it left
// behind, and the other drawing keeps its own colour.
TEST(TextDraw, EachCallDrawsAsIfAloneAmongOtherDrawing) {
    const LOGFONTA hei = MakeLogFont(kHei, -26);
    const LOGFONTA times = MakeLogFont("Times New Roman", -26, 0, FW_BOLD, ANSI_CHARSET);
    const LOGFONTA turned = MakeLogFont(kSong, -20, 900);
    struct Call {
        const LOGFONTA* font;
        COLORREF colour;
        int x, y;
        const char* text;
    };
    // Black last: the colour a fresh drawing state starts with.
    const Call calls[] = {{&hei, RGB(200, 0, 0), 10, 10, kShiXian},
                          {&times, RGB(0, 0, 200), 150, 10, "Wave"},
                          {&turned, RGB(200, 0, 0), 300, 120, kZhongWen},
                          {&hei, RGB(0, 0, 200), 10, 60, kZhongWen},
                          {&times, RGB(0, 0, 0), 150, 60, "Wave"}};
    auto draw = [](HDC dc, const Call& call) {
        HFONT f = CreateFontIndirectA(call.font);
        HGDIOBJ old = SelectObject(dc, f);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, call.colour);
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        EXPECT_TRUE(TextOutA(dc, call.x, call.y, call.text, static_cast<int>(std::strlen(call.text))));
        SelectObject(dc, old);
        DeleteObject(f);
    };

    // A wide green line below the texts, drawn by other means.
    auto line = [](HDC dc, int i) {
        const LOGBRUSH green{BS_SOLID, RGB(0, 160, 0), 0};
        HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, 5, &green, 0, nullptr);
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, 10, 150 + 8 * i, nullptr);
        LineTo(dc, 250, 150 + 8 * i);
        SelectObject(dc, old);
        DeleteObject(pen);
    };
    const int n = static_cast<int>(std::size(calls));

    auto all = Device::CreateImage(400, 200);
    HDC dc = all->GetDC();
    for (int i = 0; i < n; ++i) {
        const int saved = SaveDC(dc);
        draw(dc, calls[i]);
        RestoreDC(dc, saved);
        line(dc, i);
    }

    // The same calls, each on a device of its own, and the lines on one more.
    std::vector<COLORREF> expected(400 * 200, RGB(255, 255, 255));
    auto overlay = [&expected](const Device& alone, COLORREF colour, const char* what) {
        const std::vector<COLORREF> px = Snapshot(alone);
        long ink = 0;
        for (size_t k = 0; k < px.size(); ++k)
            if (px[k] != RGB(255, 255, 255)) {
                EXPECT_EQ(expected[k], RGB(255, 255, 255)) << what << " overlaps another call";
                EXPECT_EQ(px[k], colour) << what;
                expected[k] = px[k];
                ++ink;
            }
        EXPECT_GT(ink, 20) << what;
    };
    for (const Call& call : calls) {
        auto alone = Device::CreateImage(400, 200);
        draw(alone->GetDC(), call);
        overlay(*alone, call.colour, call.text);
    }
    auto lines = Device::CreateImage(400, 200);
    for (int i = 0; i < n; ++i)
        line(lines->GetDC(), i);
    overlay(*lines, RGB(0, 160, 0), "the lines");
    EXPECT_TRUE(Snapshot(*all) == expected);
}

// Text drawn into a memory DC's bitmap and copied out is the text drawn on the device itself (the
// view draws through such a cache bitmap).
TEST(TextDraw, MemoryDcDrawsLikeTheDevice) {
    const LOGFONTA lf = MakeLogFont(kSong, -22, 300);
    TextCanvas direct(lf);
    direct.Draw(40, 150, kMixed, TA_LEFT | TA_BASELINE);

    auto dev = Device::CreateImage(480, 240);
    HDC dc = dev->GetDC();
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 480, 240);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    const RECT all{0, 0, 480, 240};
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ oldFont = SelectObject(mem, font);
    SetBkMode(mem, TRANSPARENT);
    SetTextColor(mem, RGB(0, 0, 0));
    SetTextAlign(mem, TA_LEFT | TA_BASELINE);
    EXPECT_TRUE(TextOutA(mem, 40, 150, kMixed, static_cast<int>(std::strlen(kMixed))));
    EXPECT_TRUE(BitBlt(dc, 0, 0, 480, 240, mem, 0, 0, SRCCOPY));
    SelectObject(mem, oldFont);
    DeleteObject(font);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);

    EXPECT_FALSE(FindInk(*dev).empty());
    EXPECT_TRUE(Snapshot(*dev) == Snapshot(direct.dev()));
}

TEST(TextDraw, TraceShowsTheTextCall) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "the system's GDI keeps no trace";
    TextCanvas c(MakeLogFont(kSong, -16));
    c.dev().EnableTrace(true);
    c.dev().ClearTrace();
    ASSERT_TRUE(TextOutA(c.dc(), 5, 7,
                         "\xd6\xd0"
                         "A\"",
                         4)); // 中A"
    const std::vector<std::string> lines = c.dev().GetTrace();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "TextOutA(5,7,\"\\xd6\\xd0A\\x22\",4)");
}

// ---- Printer and test card ------------------------------------------------------------------------

namespace {

// Draws Chinese and Western text at several sizes and angles, each with its extent box.
void DrawTestCard(HDC dc, int width, int height, double unit) {
    struct Line {
        const char* face;
        const char* text;
        double size; // em height in units
        int escapement;
        LONG weight;
        bool italic;
    };
    const Line lines[] = {
        {kSong, kMixed, 6, 0, FW_NORMAL, false},
        {kHei, "\xba\xda\xcc\xe5 Hei 0123", 8, 0, FW_NORMAL, false},       // 黑体
        {kFangSong, "\xb7\xc2\xcb\xce FangSong", 10, 0, FW_NORMAL, false}, // 仿宋
        {"Arial", "Arial Bold Italic", 12, 0, FW_BOLD, true},
        {"Times New Roman", "Times New Roman", 14, 0, FW_NORMAL, false},
        {"Courier New", "Courier New 10:1", 16, 0, FW_NORMAL, false},
        {kSong, kLine7, 20, 0, FW_BOLD, false},
    };
    int y = static_cast<int>(4 * unit);
    for (const Line& l : lines) {
        LOGFONTA lf = MakeLogFont(l.face, -static_cast<LONG>(l.size * unit), l.escapement, l.weight);
        lf.lfItalic = l.italic ? 1 : 0;
        HFONT f = CreateFontIndirectA(&lf);
        HGDIOBJ old = SelectObject(dc, f);
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        SIZE ext{};
        const int n = static_cast<int>(std::strlen(l.text));
        GetTextExtentPoint32A(dc, l.text, n, &ext);
        const int x = static_cast<int>(4 * unit);
        Rectangle(dc, x - 1, y - 1, x + ext.cx + 1, y + ext.cy + 1);
        TextOutA(dc, x, y, l.text, n);
        SelectObject(dc, old);
        DeleteObject(f);
        y += ext.cy + static_cast<int>(2 * unit);
    }
    // A fan of rotated lines every 30 degrees, each starting on a circle and pointing outwards, with a
    // cross at its reference point.
    const int cx = width * 7 / 10, cy = height * 2 / 5;
    const int radius = static_cast<int>(14 * unit), arm = static_cast<int>(2 * unit);
    for (int esc = 0; esc < 3600; esc += 300) {
        const double a = esc / 10.0 * 3.14159265358979323846 / 180.0;
        const int rx = cx + static_cast<int>(std::lround(radius * std::cos(a)));
        const int ry = cy - static_cast<int>(std::lround(radius * std::sin(a)));
        MoveToEx(dc, rx - arm, ry, nullptr);
        LineTo(dc, rx + arm + 1, ry);
        MoveToEx(dc, rx, ry - arm, nullptr);
        LineTo(dc, rx, ry + arm + 1);
        LOGFONTA lf = MakeLogFont(esc % 600 ? "Arial" : kSong, -static_cast<LONG>(9 * unit), esc);
        HFONT f = CreateFontIndirectA(&lf);
        HGDIOBJ old = SelectObject(dc, f);
        SetTextAlign(dc, TA_LEFT | TA_BASELINE);
        TextOutA(dc, rx, ry, "\xbd\xc7\xb6\xc8 angle", 10); // 角度
        SelectObject(dc, old);
        DeleteObject(f);
    }
    // Opaque background and the bottom alignment.
    LOGFONTA lf = MakeLogFont(kSong, -static_cast<LONG>(9 * unit));
    HFONT f = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, f);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 255, 160));
    SetTextColor(dc, RGB(160, 0, 0));
    SetTextAlign(dc, TA_LEFT | TA_BOTTOM);
    TextOutA(dc, static_cast<int>(4 * unit), height - static_cast<int>(4 * unit), kMixed,
             static_cast<int>(std::strlen(kMixed)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    SelectObject(dc, old);
    DeleteObject(f);
}

bool HavePdfToText() {
    return std::system("pdftotext -v > /dev/null 2>&1") == 0;
}

} // namespace

TEST(TextCard, WritesPngAndPdf) {
    const auto before = draft2d::GetGdiObjectCounts();
    auto img = Device::CreateImage(1000, 700);
    ASSERT_TRUE(img);
    DrawTestCard(img->GetDC(), 1000, 700, 2.0);
    EXPECT_FALSE(FindInk(*img).empty());
    EXPECT_TRUE(img->WritePng(OutputPath("text_card.png")));

    const std::string pdf = OutputPath("text_card.pdf");
    std::remove(pdf.c_str());
    auto printer = Device::CreatePrinter(pdf, 210, 148, 300);
    if (!printer) {
        ASSERT_FALSE(draft2d::IsCallTraceAvailable()) << "our layer always has a PDF printer";
        GTEST_SKIP() << "no printer on this system";
    }
    DrawTestCard(printer->GetDC(), printer->GetWidth(), printer->GetHeight(), 300 / 96.0 * 2.0);
    const bool finished = printer->Finish();
    EXPECT_EQ(draft2d::GetGdiObjectCounts().fonts, before.fonts);
    if (draft2d::IsCallTraceAvailable()) {
        EXPECT_TRUE(finished);
        std::ifstream in(pdf, std::ios::binary);
        EXPECT_TRUE(in.good());
    }
}

// Text in a PDF of the printer device keeps its characters: Chinese comes out again as text.
TEST(TextCard, PdfTextIsExtractable) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "the system's printers need not write the PDF file";
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    const std::string pdf = OutputPath("text_extract.pdf");
    const std::string txt = OutputPath("text_extract.txt");
    {
        auto printer = Device::CreatePrinter(pdf, 210, 100, 300);
        ASSERT_TRUE(printer);
        HDC dc = printer->GetDC();
        LOGFONTA lf = MakeLogFont(kSong, -60);
        HFONT f = CreateFontIndirectA(&lf);
        HGDIOBJ old = SelectObject(dc, f);
        SetBkMode(dc, TRANSPARENT);
        ASSERT_TRUE(TextOutA(dc, 100, 100, kMixed, static_cast<int>(std::strlen(kMixed))));
        SelectObject(dc, old);
        DeleteObject(f);
        ASSERT_TRUE(printer->Finish());
    }
    const std::string cmd = "pdftotext -enc UTF-8 '" + pdf + "' '" + txt + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::ifstream in(txt, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // 中文ABC实线 in UTF-8.
    EXPECT_NE(text.find("\xe4\xb8\xad\xe6\x96\x87"
                        "ABC"
                        "\xe5\xae\x9e\xe7\xba\xbf"),
              std::string::npos)
        << text;
}

namespace {

// The outline of a Chinese character drawn `height` pixels high and narrowed, on a 96 dpi SVG page,
// as the numbers of its path (millimetres).
std::vector<double> GlyphOutlineMm(int height) {
    const std::string path =
        std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/glyph_" + std::to_string(height) + ".svg";
    {
        auto svg = Device::CreateSvg(path, 40, 20, 96);
        if (!svg)
            return {};
        HDC dc = svg->GetDC();
        LOGFONTA lf{};
        lf.lfHeight = -height;
        lf.lfWidth = height / 3; // narrowed, as text formats with a width factor make them
        lf.lfCharSet = GB2312_CHARSET;
        std::strcpy(lf.lfFaceName, "\xcb\xce\xcc\xe5"); // 宋体
        HFONT font = CreateFontIndirectA(&lf);
        HGDIOBJ old = SelectObject(dc, font);
        TextOutA(dc, 10, 40, "\xcb\xb5", 2); // 说
        SelectObject(dc, old);
        DeleteObject(font);
        svg->Finish();
    }
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t at = text.find("id=\"glyph0-1\"");
    const size_t d = text.find(" d=\"", at);
    if (at == std::string::npos || d == std::string::npos)
        return {};
    std::istringstream data(text.substr(d + 4, text.find('"', d + 4) - d - 4));
    std::vector<double> numbers;
    std::string word;
    while (data >> word)
        if (word.find_first_of("0123456789") != std::string::npos)
            numbers.push_back(std::atof(word.c_str()));
    return numbers;
}

// Pages keep the shapes of the glyphs: a character twice as high has the same outline twice as
// large. Hinted outlines, fitted to the whole units of each size, do not: small Chinese glyphs on
// SVG pages came out as blocks.
TEST(TextDraw, GlyphsOnPagesKeepTheirShapeAtEverySize) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "SVG pages are our layer's";
    const std::vector<double> small = GlyphOutlineMm(9), large = GlyphOutlineMm(18);
    ASSERT_GT(small.size(), 20u);
    ASSERT_EQ(small.size(), large.size());
    for (size_t i = 0; i < small.size(); ++i)
        ASSERT_NEAR(2 * small[i], large[i], 0.04) << i; // the page writes 1/64 of a unit
}

} // namespace
