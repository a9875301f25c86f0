#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "io/CIoBuffer.h"
#include "text/CFontFormat.h"

namespace {

// "仿宋_GB2312" in GBK.
const char kFangSong[] = "\xb7\xc2\xcb\xce_GB2312";
// "宋体" in GBK.
const char kSongTi[] = "\xcb\xce\xcc\xe5";

std::vector<unsigned char> Bytes(const CIoBuffer& b) {
    return std::vector<unsigned char>(b.GetBuffer(), b.GetBuffer() + b.GetSize());
}

template <typename T>
std::vector<unsigned char> Le(T v) {
    std::vector<unsigned char> out(sizeof v);
    std::memcpy(out.data(), &v, sizeof v);
    return out;
}

void Append(std::vector<unsigned char>& out, const std::vector<unsigned char>& more) {
    out.insert(out.end(), more.begin(), more.end());
}

void AppendString(std::vector<unsigned char>& out, const char* s) {
    Append(out, Le<std::int32_t>(static_cast<std::int32_t>(std::strlen(s))));
    out.insert(out.end(), s, s + std::strlen(s) + 1);
}

} // namespace

TEST(CFontFormat, DefaultsAndHeightArgument) {
    CFontFormat f;
    EXPECT_STREQ(f.FontName(), kFangSong);
    EXPECT_STREQ(f.FontNameEng(), "Times New Roman");
    EXPECT_EQ(f.Height(), 5.0);
    EXPECT_FLOAT_EQ(f.WidthPer(), 0.7f);
    EXPECT_EQ(f.WidthPerEng(), 0.0f);
    EXPECT_EQ(f.Angle(), 0.0);
    EXPECT_EQ(f.Bold() | f.Italic() | f.UnderLine() | f.StrikeOut(), 0);
    EXPECT_EQ(f.Align(), 0u);
    EXPECT_EQ(f.CharGap(), 0.0f);
    EXPECT_EQ(f.RowGap(), 0.0f);
    EXPECT_EQ(f.TextDirect(), 0);

    EXPECT_EQ(CFontFormat(0).Height(), 5.0);
    EXPECT_EQ(CFontFormat(1e-8).Height(), 5.0);
    EXPECT_EQ(CFontFormat(-10.0).Height(), -10.0);
    EXPECT_EQ(CFontFormat(2.5).Height(), 2.5);
    EXPECT_EQ(CFontFormat(std::nan("")).Height(), 5.0);
}

TEST(CFontFormat, SettersApplyTheirRanges) {
    CFontFormat f;
    f.SetCharGap(-1);
    EXPECT_FLOAT_EQ(f.CharGap(), -0.4f);
    f.SetCharGap(7);
    EXPECT_EQ(f.CharGap(), 5.0f);
    f.SetCharGap(std::numeric_limits<float>::quiet_NaN());
    EXPECT_FLOAT_EQ(f.CharGap(), -0.4f);
    f.SetCharGap(0.25f);
    EXPECT_EQ(f.CharGap(), 0.25f);
    f.SetWidthPer(-2);
    EXPECT_EQ(f.WidthPer(), 0.0f);
    f.SetWidthPerEng(0.9f);
    EXPECT_EQ(f.WidthPerEng(), 0.9f);
    f.SetWidthPerEng(1e-8f);
    EXPECT_EQ(f.WidthPerEng(), 0.0f);
    f.SetHeight(0.0);
    EXPECT_EQ(f.Height(), 5.0);
    f.SetHeight(-3.0);
    EXPECT_EQ(f.Height(), -3.0);
    f.SetRowGap(-9.0f);
    EXPECT_EQ(f.RowGap(), -9.0f);

    f.SetFontName(nullptr);
    f.SetFontName("");
    EXPECT_STREQ(f.FontName(), kFangSong);
    f.SetFontName(kSongTi);
    EXPECT_STREQ(f.FontName(), kSongTi);
    f.SetFontNameEng("");
    EXPECT_STREQ(f.FontNameEng(), "Times New Roman");
    f.SetFontNameEng("Arial");
    EXPECT_STREQ(f.FontNameEng(), "Arial");

    f.SetBold(5);
    f.SetUnderLine(1);
    EXPECT_EQ(f.Bold(), 1);
    EXPECT_EQ(f.Italic(), 0);
    EXPECT_EQ(f.UnderLine(), 4);
    f.SetItalic(1);
    f.SetStrikeOut(-1);
    f.SetBold(0);
    EXPECT_EQ(f.Bold(), 0);
    EXPECT_EQ(f.Italic(), 2);
    EXPECT_EQ(f.StrikeOut(), 8);

    f.SetTextDirect(2);
    EXPECT_EQ(f.TextDirect(), 0);
    f.SetTextDirect(1);
    EXPECT_EQ(f.TextDirect(), 1);

    f.SetAlign(0xFF);
    EXPECT_EQ(f.Align(), 15u);
    f.SetHorAlign(1);
    EXPECT_EQ(f.Align(), 13u);
    f.SetVerAlign(4);
    EXPECT_EQ(f.Align(), 5u);
    EXPECT_EQ(f.HorAlign(), 1u);
    EXPECT_EQ(f.VerAlign(), 4u);
}

TEST(CFontFormat, CopiesAreDeepAndComplete) {
    CFontFormat a(3.0);
    a.SetFontName(kSongTi);
    a.SetTextDirect(1);
    a.SetItalic(1);
    a.SetAlign(6);
    CFontFormat b(a);
    a.SetFontName("Other");
    EXPECT_STREQ(b.FontName(), kSongTi);
    EXPECT_EQ(b.TextDirect(), 1);
    EXPECT_EQ(b.Italic(), 2);
    EXPECT_EQ(b.Align(), 6u);
    CFontFormat c;
    c = b;
    const CFontFormat& self = c;
    c = self;
    EXPECT_STREQ(c.FontName(), kSongTi);
    EXPECT_NE(c.FontName(), b.FontName());
    EXPECT_EQ(c.Height(), 3.0);
    EXPECT_EQ(c.TextDirect(), 1);
}

TEST(CFontFormatRecord, ByteLayout) {
    CFontFormat f(2.5);
    f.SetFontName(kSongTi);
    f.SetWidthPerEng(0.5f);
    f.SetAngle(0.25);
    f.SetBold(1);
    f.SetStrikeOut(1);
    f.SetAlign(9);
    f.SetCharGap(0.125f);
    f.SetRowGap(1.5f);
    CIoBuffer b;
    ASSERT_TRUE(f.Save(b));

    std::vector<unsigned char> want;
    AppendString(want, kSongTi);
    AppendString(want, "Times New Roman");
    Append(want, Le(2.5));
    Append(want, Le(0.7f));
    Append(want, Le(0.5f));
    Append(want, Le(0.25));
    want.push_back(9);
    Append(want, Le<std::uint32_t>(9));
    Append(want, Le(0.125f));
    Append(want, Le(1.5f));
    EXPECT_EQ(Bytes(b), want);
    EXPECT_EQ(b.GetSize(), 4u + 5 + 4 + 16 + 37);
}

TEST(CFontFormatRecord, RoundTripKeepsTextDirectOutOfTheRecord) {
    CFontFormat f(-12.0);
    f.SetFontName(kSongTi);
    f.SetFontNameEng("Courier New");
    f.SetWidthPer(0.9f);
    f.SetAngle(-1.25);
    f.SetItalic(1);
    f.SetUnderLine(1);
    f.SetAlign(6);
    f.SetCharGap(2.0f);
    f.SetRowGap(0.3f);
    f.SetTextDirect(1);
    CIoBuffer b;
    ASSERT_TRUE(f.Save(b));

    CFontFormat g;
    ASSERT_TRUE(g.Read(b));
    EXPECT_STREQ(g.FontName(), kSongTi);
    EXPECT_STREQ(g.FontNameEng(), "Courier New");
    EXPECT_EQ(g.Height(), -12.0);
    EXPECT_EQ(g.WidthPer(), 0.9f);
    EXPECT_EQ(g.WidthPerEng(), 0.0f);
    EXPECT_EQ(g.Angle(), -1.25);
    EXPECT_EQ(g.Italic(), 2);
    EXPECT_EQ(g.UnderLine(), 4);
    EXPECT_EQ(g.Bold(), 0);
    EXPECT_EQ(g.Align(), 6u);
    EXPECT_EQ(g.CharGap(), 2.0f);
    EXPECT_EQ(g.RowGap(), 0.3f);
    EXPECT_EQ(g.TextDirect(), 0);
}

TEST(CFontFormatRecord, ReadStoresValuesWithoutTheSetterRules) {
    CIoBuffer b;
    b.AddString("A");
    b.AddString("B");
    b.AddDouble(0.0);
    b.AddFloat(-3.0f);
    b.AddFloat(-4.0f);
    b.AddDouble(7.0);
    b.AddUInt8(0xFF);
    b.AddUInt32(0xFFFFFFFFu);
    b.AddFloat(-9.0f);
    b.AddFloat(9.0f);
    CFontFormat f;
    ASSERT_TRUE(f.Read(b));
    EXPECT_EQ(f.Height(), 0.0);
    EXPECT_EQ(f.WidthPer(), -3.0f);
    EXPECT_EQ(f.CharGap(), -9.0f);
    EXPECT_EQ(f.Align(), 0xFFFFFFFFu);
    EXPECT_EQ(f.StrikeOut(), 8);
}

TEST(CFontFormatRecord, TruncatedRecordsThrowOrFailAndKeepWhatWasRead) {
    CFontFormat src(4.0);
    src.SetFontName(kSongTi);
    CIoBuffer full;
    ASSERT_TRUE(src.Save(full));
    // Every cut of the record either throws at the end of the data or reports an error.
    for (unsigned long cut = 0; cut < full.GetSize(); ++cut) {
        CIoBuffer part;
        for (unsigned long i = 0; i < cut; ++i)
            part.AddUInt8(full.GetBuffer()[i]);
        CFontFormat f;
        bool threw = false;
        bool ok = true;
        try {
            ok = f.Read(part);
        } catch (const CIoBufException& e) {
            threw = true;
            EXPECT_EQ(e.GetError(), -2);
        }
        EXPECT_TRUE(threw || !ok) << cut;
    }
    // Cut right after the first name: that name is kept, the rest keeps its defaults.
    CIoBuffer part;
    part.AddString(kSongTi);
    CFontFormat f;
    EXPECT_THROW(f.Read(part), CIoBufException);
    EXPECT_STREQ(f.FontName(), kSongTi);
    EXPECT_STREQ(f.FontNameEng(), "Times New Roman");
    EXPECT_EQ(f.Height(), 5.0);
    // A name whose stored length runs past the data fails without throwing and stops the record.
    CIoBuffer bad;
    bad.AddInt32(1000);
    bad.AddString("x");
    CFontFormat g(8.0);
    EXPECT_FALSE(g.Read(bad));
    EXPECT_EQ(bad.GetError(), -3);
    EXPECT_STREQ(g.FontName(), kFangSong);
    EXPECT_EQ(g.Height(), 8.0);
}
