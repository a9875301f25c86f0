// Small text keeps its strokes. Each character is drawn at a small cell height as the library draws
// it (default quality, black on white) and compared with the same character drawn eight times larger
// and averaged down over 8 x 8 blocks, which is what the outline covers of each small pixel. Ink the
// reference has and the small drawing lacks, even one pixel away, is a lost stroke; a drawing that
// loses more than 15 % of the reference's ink counts as illegible, and at most 0.5 % of the drawings
// of a face may be. Hinting a face into whole pixels used to erase whole strokes of small Chinese
// glyphs (卫生间 read as "ᄀ生ᄀ") and turned a slanted "11.0" into "77.0".
#include "platform/devices.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using draft2d::Device;

namespace {

constexpr int kScale = 8;           // the reference is drawn this many times larger
constexpr double kLostLimit = 0.15; // a drawing losing more of its ink is illegible
constexpr double kFaceLimit = 0.005;

// Every 8th character of GB2312 level 1 (rows 0xB0 to 0xD7, 3,755 characters): 470 characters.
std::vector<std::string> Gb2312Sample() {
    std::vector<std::string> out;
    int n = 0;
    for (int lead = 0xB0; lead <= 0xD7; ++lead)
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (lead == 0xD7 && trail > 0xF9)
                break;
            if (n++ % 8 == 0)
                out.push_back({static_cast<char>(lead), static_cast<char>(trail)});
        }
    return out;
}

std::vector<std::string> LettersAndDigits() {
    std::vector<std::string> out;
    for (char c = 'A'; c <= 'Z'; ++c)
        out.push_back(std::string(1, c));
    for (char c = 'a'; c <= 'z'; ++c)
        out.push_back(std::string(1, c));
    for (char c = '0'; c <= '9'; ++c)
        out.push_back(std::string(1, c));
    return out;
}

// Ink of a pixel of black text on white: 0 white, 255 black.
int InkOf(uint32_t v) {
    return 255 - (((v >> 16) & 0xFF) * 30 + ((v >> 8) & 0xFF) * 59 + (v & 0xFF) * 11) / 100;
}

struct Style {
    const char* name; // for the report
    const char* face;
    BYTE charset;
    bool italic = false;
    bool bold = false;
    BYTE quality = DEFAULT_QUALITY; // of the small drawings
};

// Draws characters of one style at one cell height, small and as the reference, on devices kept for
// the whole run of that height.
class GlyphBench {
public:
    GlyphBench(const Style& s, int cell)
        : cell_(cell), w_(2 * cell), h_(cell * 3 / 2 + 2), small_(Device::CreateImage(w_, h_)),
          large_(Device::CreateImage(w_ * kScale, h_ * kScale)), ink_(static_cast<size_t>(w_ * h_)),
          ref_(static_cast<size_t>(w_ * h_)) {
        smallFont_ = Make(s, cell, s.quality);
        largeFont_ = Make(s, cell * kScale, ANTIALIASED_QUALITY);
        Prepare(small_->GetDC(), smallFont_, oldSmall_);
        Prepare(large_->GetDC(), largeFont_, oldLarge_);
    }
    ~GlyphBench() {
        SelectObject(small_->GetDC(), oldSmall_);
        SelectObject(large_->GetDC(), oldLarge_);
        DeleteObject(smallFont_);
        DeleteObject(largeFont_);
    }
    GlyphBench(const GlyphBench&) = delete;
    GlyphBench& operator=(const GlyphBench&) = delete;

    // Share of the reference ink the small drawing loses; negative for a character without ink.
    double Lost(const std::string& ch) {
        const int x = cell_ / 2, y = cell_; // pen on the baseline, room for bearings either way
        const int n = static_cast<int>(ch.size());
        small_->Clear(RGB(255, 255, 255));
        large_->Clear(RGB(255, 255, 255));
        TextOutA(small_->GetDC(), x, y, ch.data(), n);
        TextOutA(large_->GetDC(), x * kScale, y * kScale, ch.data(), n);
        const uint32_t* px = small_->GetPixels();
        const size_t stride = static_cast<size_t>(small_->GetStride() / 4);
        for (int v = 0; v < h_; ++v)
            for (int u = 0; u < w_; ++u)
                ink_[v * w_ + u] = InkOf(px[v * stride + u]);
        std::fill(ref_.begin(), ref_.end(), 0);
        px = large_->GetPixels();
        const size_t largeStride = static_cast<size_t>(large_->GetStride() / 4);
        for (int v = 0; v < h_ * kScale; ++v) {
            const uint32_t* row = px + v * largeStride;
            int* sums = &ref_[(v / kScale) * w_];
            for (int u = 0; u < w_ * kScale; ++u)
                if ((row[u] & 0xFFFFFF) != 0xFFFFFF)
                    sums[u / kScale] += InkOf(row[u]);
        }
        // A stroke drawn a pixel away from where the outline puts it is still there.
        long total = 0, lost = 0;
        for (int v = 0; v < h_; ++v)
            for (int u = 0; u < w_; ++u) {
                const int r = ref_[v * w_ + u]; // 255 * kScale * kScale when fully covered
                if (r == 0)
                    continue;
                int nearest = 0;
                for (int j = std::max(0, v - 1); j <= std::min(h_ - 1, v + 1); ++j)
                    for (int i = std::max(0, u - 1); i <= std::min(w_ - 1, u + 1); ++i)
                        nearest = std::max(nearest, ink_[j * w_ + i]);
                total += r;
                lost += std::max(0, r - nearest * kScale * kScale);
            }
        return total > 0 ? static_cast<double>(lost) / total : -1;
    }

private:
    static HFONT Make(const Style& s, int cell, BYTE quality) {
        LOGFONTA lf;
        std::memset(&lf, 0, sizeof lf);
        lf.lfHeight = cell; // the cell height, as the library asks for its text heights
        lf.lfWeight = s.bold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = s.italic ? 1 : 0;
        lf.lfCharSet = s.charset;
        lf.lfOutPrecision = 4; // OUT_TT_PRECIS
        lf.lfQuality = quality;
        std::strncpy(lf.lfFaceName, s.face, LF_FACESIZE - 1);
        return CreateFontIndirectA(&lf);
    }
    static void Prepare(HDC dc, HFONT font, HGDIOBJ& old) {
        old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        SetTextAlign(dc, TA_LEFT | TA_BASELINE);
    }

    int cell_, w_, h_;
    std::unique_ptr<Device> small_, large_;
    std::vector<int> ink_, ref_;
    HFONT smallFont_ = nullptr, largeFont_ = nullptr;
    HGDIOBJ oldSmall_ = nullptr, oldLarge_ = nullptr;
};

struct Tally {
    int drawings = 0;
    int illegible = 0;
};

// Draws every character at every height, prints the figure per height and for the face, and returns
// the face's total.
Tally Survey(const Style& s, const std::vector<std::string>& chars, int fromCell, int toCell) {
    Tally face;
    std::string line;
    for (int cell = fromCell; cell <= toCell; ++cell) {
        GlyphBench bench(s, cell);
        Tally t;
        for (const std::string& ch : chars) {
            const double lost = bench.Lost(ch);
            if (lost < 0)
                continue;
            ++t.drawings;
            if (lost > kLostLimit)
                ++t.illegible;
        }
        char buf[96];
        std::snprintf(buf, sizeof buf, " %dpx %d/%d", cell, t.illegible, t.drawings);
        line += buf;
        face.drawings += t.drawings;
        face.illegible += t.illegible;
    }
    std::printf("[legibility] %-22s%s; total %d/%d (%.2f %%)\n", s.name, line.c_str(), face.illegible,
                face.drawings, face.drawings ? 100.0 * face.illegible / face.drawings : 0.0);
    std::fflush(stdout);
    return face;
}

void ExpectLegible(const Style& s, const std::vector<std::string>& chars, int fromCell, int toCell) {
    const Tally t = Survey(s, chars, fromCell, toCell);
    ASSERT_GT(t.drawings, 0) << s.name;
    EXPECT_LE(t.illegible, kFaceLimit * t.drawings) << s.name << ": " << t.illegible << " of " << t.drawings
                                                    << " drawings lose more than 15 % of their ink";
}

} // namespace

// The standard Chinese faces through their Windows names, cells of 10 to 16 pixels (2.5 to 4 mm on a
// 96-dpi screen). Every call creates and deletes its fonts.
TEST(Legibility, ChineseFacesKeepTheirStrokes) {
#ifdef _WIN32
    GTEST_SKIP() << "the system's own fonts draw there";
#endif
    const auto before = draft2d::GetGdiObjectCounts().total();
    const std::vector<std::string> sample = Gb2312Sample();
    ASSERT_GE(sample.size(), 400u);
    const Style faces[] = {{"SimSun", "\xcb\xce\xcc\xe5", GB2312_CHARSET},
                           {"SimHei", "\xba\xda\xcc\xe5", GB2312_CHARSET},
                           {"FangSong_GB2312", "\xb7\xc2\xcb\xce_GB2312", GB2312_CHARSET},
                           {"KaiTi_GB2312", "\xbf\xac\xcc\xe5_GB2312", GB2312_CHARSET}};
    for (const Style& s : faces)
        ExpectLegible(s, sample, 10, 16);
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);
}

// Arial, Times New Roman and Courier New over letters and digits at cells of 8 to 16 pixels, and the
// synthesised slant and weight of the Hei face, which has neither of its own, over digits and
// letters (the slanted "11.0 ㎡" of a room's area) and the Chinese sample.
TEST(Legibility, WesternFacesAndSynthesisedStylesKeepTheirStrokes) {
#ifdef _WIN32
    GTEST_SKIP() << "the system's own fonts draw there";
#endif
    const std::vector<std::string> latin = LettersAndDigits();
    for (const Style& s :
         {Style{"Arial", "Arial", ANSI_CHARSET}, Style{"Times New Roman", "Times New Roman", ANSI_CHARSET},
          Style{"Courier New", "Courier New", ANSI_CHARSET}})
        ExpectLegible(s, latin, 8, 16);
    std::vector<std::string> mixed = latin;
    const std::vector<std::string> sample = Gb2312Sample();
    for (size_t i = 0; i < sample.size(); i += 4)
        mixed.push_back(sample[i]);
    mixed.push_back("\xa9\x4f"); // ㎡
    Style italic{"SimHei italic", "\xba\xda\xcc\xe5", GB2312_CHARSET};
    italic.italic = true;
    Style bold{"SimHei bold", "\xba\xda\xcc\xe5", GB2312_CHARSET};
    bold.bold = true;
    ExpectLegible(italic, mixed, 10, 16);
    ExpectLegible(bold, mixed, 10, 16);
}

// One-bit glyphs: the Hei face has no hinting programs and is drawn unhinted between its strikes,
// Arial (Liberation Sans) by its own programs.
TEST(Legibility, OneBitGlyphsKeepTheirStrokes) {
#ifdef _WIN32
    GTEST_SKIP() << "the system's own fonts draw there";
#endif
    Style hei{"SimHei one-bit", "\xba\xda\xcc\xe5", GB2312_CHARSET};
    hei.quality = NONANTIALIASED_QUALITY;
    ExpectLegible(hei, Gb2312Sample(), 10, 16);
    Style arial{"Arial one-bit", "Arial", ANSI_CHARSET};
    arial.quality = NONANTIALIASED_QUALITY;
    ExpectLegible(arial, LettersAndDigits(), 8, 16);
}
