// Fonts made again: a drawing call makes its fonts and deletes them every time, and a font made again
// from the same LOGFONTA, or after fonts of other LOGFONTAs, measures and draws exactly as the first,
// whatever the layer keeps of deleted fonts; deleting leaves no live object behind.
#include "platform/devices.h"
#include "platform/win32.h"
#include "text_fonts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using draft2d::Device;
using draft2d::GetGdiObjectCounts;

namespace {

using text_fonts::kMixed;

LOGFONTA Font(const char* face, LONG height, LONG escapement = 0, LONG weight = FW_NORMAL,
              BYTE quality = DEFAULT_QUALITY, BYTE charset = GB2312_CHARSET) {
    return text_fonts::MakeLogFont(face, height, escapement, weight, charset, quality);
}

// What one font gives: the line's extent, the metrics, and the pixels of the line drawn alone.
struct FontResult {
    SIZE extent{};
    TEXTMETRICA tm{};
    std::vector<uint32_t> pixels;
};

std::vector<uint32_t> Pixels(const Device& dev) {
    std::vector<uint32_t> px;
    const uint32_t* p = dev.GetPixels();
    const size_t stride = static_cast<size_t>(dev.GetStride() / 4);
    for (int y = 0; y < dev.GetHeight(); ++y)
        for (int x = 0; x < dev.GetWidth(); ++x)
            px.push_back(p[y * stride + x] & 0xFFFFFFu);
    return px;
}

// Makes a font of lf, measures and draws the line with it on a fresh image, and deletes the font.
FontResult Use(const LOGFONTA& lf) {
    auto dev = Device::CreateImage(320, 120);
    HDC dc = dev->GetDC();
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_BASELINE);
    HFONT f = CreateFontIndirectA(&lf);
    EXPECT_NE(f, nullptr);
    HGDIOBJ old = SelectObject(dc, f);
    FontResult r;
    const int n = static_cast<int>(std::strlen(kMixed));
    EXPECT_TRUE(GetTextExtentPoint32A(dc, kMixed, n, &r.extent));
    EXPECT_TRUE(GetTextMetricsA(dc, &r.tm));
    EXPECT_TRUE(TextOutA(dc, 20, 80, kMixed, n));
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteObject(f));
    EXPECT_EQ(GetObjectType(f), 0u) << "a deleted font is no object";
    r.pixels = Pixels(*dev);
    return r;
}

void ExpectSame(const FontResult& a, const FontResult& b, const std::string& what) {
    EXPECT_EQ(a.extent.cx, b.extent.cx) << what;
    EXPECT_EQ(a.extent.cy, b.extent.cy) << what;
    EXPECT_EQ(a.tm.tmHeight, b.tm.tmHeight) << what;
    EXPECT_EQ(a.tm.tmAscent, b.tm.tmAscent) << what;
    EXPECT_EQ(a.tm.tmAveCharWidth, b.tm.tmAveCharWidth) << what;
    EXPECT_EQ(a.tm.tmWeight, b.tm.tmWeight) << what;
    EXPECT_TRUE(a.pixels == b.pixels) << what << ": the pixels differ";
}

// Fonts that differ in one field each from the first.
std::vector<LOGFONTA> Variety() {
    const char kSong[] = "\xcb\xce\xcc\xe5"; // 宋体
    const char kHei[] = "\xba\xda\xcc\xe5";  // 黑体
    return {Font(kSong, -16),
            Font(kSong, -17),
            Font(kSong, 16),
            Font(kSong, -16, 300),
            Font(kSong, -16, 0, FW_BOLD),
            Font(kSong, -16, 0, FW_NORMAL, NONANTIALIASED_QUALITY),
            Font(kHei, -16),
            Font("Arial", -16, 0, FW_NORMAL, DEFAULT_QUALITY, ANSI_CHARSET),
            Font("Times New Roman", 22),
            Font(kSong, 40, 900)};
}

} // namespace

TEST(FontReuse, AFontMadeAgainMeasuresAndDrawsAsTheFirst) {
    const int before = GetGdiObjectCounts().fonts;
    for (const LOGFONTA& lf : Variety()) {
        const FontResult first = Use(lf);
        EXPECT_GT(first.extent.cx, 0);
        for (int again = 0; again < 3; ++again)
            ExpectSame(first, Use(lf), std::string(lf.lfFaceName) + " " + std::to_string(lf.lfHeight));
    }
    EXPECT_EQ(GetGdiObjectCounts().fonts, before);
}

TEST(FontReuse, FontsOfOtherLogFontsInBetweenChangeNothing) {
    // Each font's results alone, then all of them in turns, and in turns the other way round: a font
    // made right after another was deleted is its own, never the one before.
    const std::vector<LOGFONTA> fonts = Variety();
    std::vector<FontResult> alone;
    for (const LOGFONTA& lf : fonts)
        alone.push_back(Use(lf));
    const int before = GetGdiObjectCounts().fonts;
    for (int turn = 0; turn < 2; ++turn)
        for (size_t k = 0; k < fonts.size(); ++k) {
            const size_t i = turn == 0 ? k : fonts.size() - 1 - k;
            ExpectSame(alone[i], Use(fonts[i]),
                       "font " + std::to_string(i) + " in turn " + std::to_string(turn));
        }
    // Distinct fonts give distinct extents (the test above would pass if every font were one).
    EXPECT_NE(alone[0].extent.cx, alone[1].extent.cx);
    EXPECT_NE(alone[0].extent.cy, alone[2].extent.cy);
    EXPECT_EQ(GetGdiObjectCounts().fonts, before);
}

TEST(FontReuse, ManyLiveFontsKeepTheirOwnRecords) {
    // Fonts made while others of the same LOGFONTA live are distinct objects, and each reads back its
    // own LOGFONTA even when made from a deleted font's object.
    const int before = GetGdiObjectCounts().fonts;
    std::vector<HFONT> live;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 12; ++i) {
            const LOGFONTA lf = Font("Arial", -(10 + i));
            live.push_back(CreateFontIndirectA(&lf));
        }
        for (size_t i = 0; i < live.size(); ++i)
            for (size_t j = i + 1; j < live.size(); ++j)
                ASSERT_NE(live[i], live[j]);
        for (size_t i = 0; i < live.size(); ++i) {
            LOGFONTA back;
            ASSERT_EQ(GetObjectA(live[i], sizeof back, &back), static_cast<int>(sizeof back));
            EXPECT_EQ(back.lfHeight, -(10 + static_cast<LONG>(i)));
        }
        EXPECT_EQ(GetGdiObjectCounts().fonts - before, 12);
        for (HFONT f : live)
            EXPECT_TRUE(DeleteObject(f));
        live.clear();
        EXPECT_EQ(GetGdiObjectCounts().fonts, before);
    }
}

TEST(FontReuse, AFontAfterHundredsOfOthersIsStillTheSame) {
    // More distinct fonts than any cache of realised fonts keeps: the first one made again afterwards
    // still measures and draws as it did.
    const LOGFONTA first = Font("\xcb\xce\xcc\xe5", -18); // 宋体
    const FontResult reference = Use(first);
    auto dev = Device::CreateImage(16, 16);
    HDC dc = dev->GetDC();
    std::vector<HFONT> held; // some of them stay alive through it all
    for (int i = 0; i < 700; ++i) {
        const LOGFONTA lf = Font("Arial", -(6 + i % 350), i < 350 ? 0 : 900);
        HFONT f = CreateFontIndirectA(&lf);
        HGDIOBJ old = SelectObject(dc, f);
        SIZE sz{};
        EXPECT_TRUE(GetTextExtentPoint32A(dc, "A", 1, &sz));
        SelectObject(dc, old);
        if (i % 50 == 0)
            held.push_back(f);
        else
            DeleteObject(f);
    }
    ExpectSame(reference, Use(first), "the first font after 700 others");
    // The held fonts still measure as fonts of their size.
    for (size_t k = 0; k < held.size(); ++k) {
        HGDIOBJ old = SelectObject(dc, held[k]);
        TEXTMETRICA tm{};
        EXPECT_TRUE(GetTextMetricsA(dc, &tm));
        // The em in whole pixels: GDIs may round it either way (Wine gives 55 or 57 for 56).
        EXPECT_NEAR(tm.tmHeight - tm.tmInternalLeading, 6 + static_cast<LONG>(k * 50 % 350), 1);
        SelectObject(dc, old);
        DeleteObject(held[k]);
    }
}
