#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "algorithms/helpers.h"
#include "platform/devices.h"

namespace {

std::string Trimmed(const char* text) {
    std::string copy(text);
    std::vector<char> buf(copy.begin(), copy.end());
    buf.push_back('\0');
    return TrimStr(buf.data());
}

} // namespace

TEST(TrimStr, OnlySpaceTabLineFeedAndReturnAreBlanks) {
    EXPECT_EQ(Trimmed("  ab c\r\n"), "ab c");
    EXPECT_EQ(Trimmed("\t\r\n "), "");
    EXPECT_EQ(Trimmed(""), "");
    EXPECT_EQ(Trimmed("x"), "x");
    EXPECT_EQ(Trimmed("\vab\f"), "\vab\f"); // vertical tab and form feed are kept
    EXPECT_EQ(Trimmed(" \xd6\xd0 "), "\xd6\xd0");
    EXPECT_EQ(TrimStr(nullptr), nullptr);
    char in_place[] = "  moved";
    EXPECT_EQ(TrimStr(in_place), in_place);
    EXPECT_STREQ(in_place, "moved");
}

TEST(Validators, HexStrings) {
    for (const char* ok : {"0x1F", " 0XFFFFFFFF ", "0x0", "\t0xabc\n"})
        EXPECT_TRUE(IsHexStr(ok, false)) << ok;
    for (const char* bad : {"0x", "0x123456789", "1F", "0x1G", "x1F", "0x1F,"})
        EXPECT_FALSE(IsHexStr(bad, true)) << bad;
    EXPECT_TRUE(IsHexStr(nullptr, true));
    EXPECT_FALSE(IsHexStr("   ", false));
    EXPECT_TRUE(IsHexStr("   ", true));
}

TEST(Validators, FloatStrings) {
    for (const char* ok : {"1", "-1.5", ".5", "1.", "+2e10", "1E-300", " 3.25 ", "1234567890123456",
                           "0.1234567890123456", "7e+123"})
        EXPECT_TRUE(IsFloatStr(ok, false)) << ok;
    for (const char* bad : {"1e", "1e1000", ".", "1.2.3", "12345678901234567", "inf", "nan", "0x10", "-",
                            "1e+", "1..", "1,5", "--1", "0.12345678901234567", "\xd6\xd0"})
        EXPECT_FALSE(IsFloatStr(bad, true)) << bad;
    EXPECT_TRUE(IsFloatStr("", true));
    EXPECT_FALSE(IsFloatStr(nullptr, false));
}

TEST(Validators, BlankPrefixIsBounded) {
    const std::string hundred(100, ' ');
    EXPECT_TRUE(IsFloatStr((hundred + "1").c_str(), false));
    EXPECT_FALSE(IsFloatStr((hundred + " 1").c_str(), false)); // the 101st blank is not skipped
}

TEST(Validators, IntegerStringsAndBounds) {
    EXPECT_TRUE(IsValidIntStr("1", true, 1, true, 15, false));
    EXPECT_TRUE(IsValidIntStr("15", true, 1, true, 15, false));
    EXPECT_FALSE(IsValidIntStr("0", true, 1, true, 15, false));
    EXPECT_FALSE(IsValidIntStr("16", true, 1, true, 15, false));
    EXPECT_FALSE(IsValidIntStr("1.0", true, 1, true, 15, false));
    EXPECT_TRUE(IsValidIntStr("0x10", false, 0, false, 0, false));
    EXPECT_FALSE(IsValidIntStr("0x10", false, 0, true, 15, false));
    EXPECT_TRUE(IsValidIntStr("0x10", true, 16, true, 16, false));
    EXPECT_TRUE(IsValidIntStr(" -2147483648 ", true, INT32_MIN, false, 0, false));
    EXPECT_TRUE(IsValidIntStr("9999999999", false, 0, false, 0, false)); // 10 digits
    EXPECT_FALSE(IsValidIntStr("12345678901", false, 0, false, 0, false));
    // Beyond the 32-bit range the value saturates, as a 32-bit strtol does.
    EXPECT_FALSE(IsValidIntStr("9999999999", false, 0, true, 2147483646, false));
    EXPECT_TRUE(IsValidIntStr("9999999999", true, 2147483647, false, 0, false));
    EXPECT_FALSE(IsValidIntStr("+", false, 0, false, 0, false));
    EXPECT_FALSE(IsValidIntStr("12a", false, 0, false, 0, false));
    EXPECT_TRUE(IsValidIntStr("", false, 0, false, 0, true));
    EXPECT_FALSE(IsValidIntStr(nullptr, false, 0, false, 0, false));
}

TEST(Validators, FloatBounds) {
    EXPECT_TRUE(IsValidFloatStr("0.001", true, 0.001, true, 1000, false));
    EXPECT_TRUE(IsValidFloatStr("1000", true, 0.001, true, 1000, false));
    EXPECT_FALSE(IsValidFloatStr("0.0005", true, 0.001, true, 1000, false));
    EXPECT_FALSE(IsValidFloatStr("1000.01", true, 0.001, true, 1000, false));
    EXPECT_TRUE(IsValidFloatStr("1000.01", true, 0.001, false, 1000, false));
    EXPECT_FALSE(IsValidFloatStr("abc", false, 0, false, 0, true));
    EXPECT_TRUE(IsValidFloatStr(" ", false, 0, false, 0, true));
    EXPECT_FALSE(IsValidFloatStr(nullptr, false, 0, false, 0, false));
}

TEST(GbkClassification, LeadAndTrailBytes) {
    const auto* two = reinterpret_cast<const unsigned char*>("\xd6\xd0\xce\xc4"); // 中文
    EXPECT_EQ(is_hz_or_char(134, two, 0), 1);
    EXPECT_EQ(is_hz_or_char(134, two, 1), 2);
    EXPECT_EQ(is_hz_or_char(134, two, 2), 1);
    EXPECT_EQ(is_hz_or_char(134, two, 3), 2);
    EXPECT_EQ(is_hz_or_char(134, two, 4), 0); // the terminator
    EXPECT_EQ(is_hz_or_char(134, two, 0xFFFFFFFFu), 0);

    const auto* ascii = reinterpret_cast<const unsigned char*>("Ab1 ");
    for (unsigned i = 0; i < 4; ++i)
        EXPECT_EQ(is_hz_or_char(134, ascii, i), 0);

    // A GBK extension character with its trail byte in 0x40..0x7E: "\x81\x40" then 'A'.
    const auto* ext = reinterpret_cast<const unsigned char*>("A\x81\x40"
                                                             "A");
    EXPECT_EQ(is_hz_or_char(134, ext, 1), 1);
    EXPECT_EQ(is_hz_or_char(134, ext, 2), 2);
    EXPECT_EQ(is_hz_or_char(134, ext, 3), 0);

    // The class depends on what precedes: in "\xb0\xb0\xb0" the third byte is a lead byte whose
    // trail is missing, so it stands alone.
    const auto* odd = reinterpret_cast<const unsigned char*>("\xb0\xb0\xb0");
    EXPECT_EQ(is_hz_or_char(134, odd, 2), 0);
    EXPECT_EQ(is_hz_or_char(134, odd, 1), 2);

    // Other character sets only look at the pair starting at pos.
    EXPECT_EQ(is_hz_or_char(0, two, 1), 1);
    EXPECT_EQ(is_hz_or_char(0, ext, 1), 0);
    EXPECT_EQ(is_hz_or_char(0, two, 3), 0);
    EXPECT_EQ(is_hz_or_char(134, nullptr, 0), 0);
}

TEST(ColourIndex, PaletteRows) {
    EXPECT_EQ(ACIToRGB(1), 0x0000FFu);
    EXPECT_EQ(ACIToRGB(7), 0xFFFFFFu);
    EXPECT_EQ(ACIToRGB(8), RGB(128, 128, 128));
    EXPECT_EQ(ACIToRGB(10), RGB(255, 0, 0));
    EXPECT_EQ(ACIToRGB(11), RGB(255, 127, 127));
    EXPECT_EQ(ACIToRGB(19), RGB(76, 38, 38));
    EXPECT_EQ(ACIToRGB(20), RGB(255, 63, 0));
    EXPECT_EQ(ACIToRGB(21), RGB(255, 159, 127));
    EXPECT_EQ(ACIToRGB(90), RGB(0, 255, 0));  // 120 degrees
    EXPECT_EQ(ACIToRGB(170), RGB(0, 0, 255)); // 240 degrees
    EXPECT_EQ(ACIToRGB(249), RGB(76, 38, 47));
    EXPECT_EQ(ACIToRGB(250), RGB(51, 51, 51));
    EXPECT_EQ(ACIToRGB(255), RGB(255, 255, 255));
    EXPECT_EQ(ACIToRGB(0), 0xFFFFFFu);
    EXPECT_EQ(ACIToRGB(256), 0xFFFFFFu);
    EXPECT_EQ(ACIToRGB(-1), 0xFFFFFFu);
}

TEST(ColourIndex, NearestIndexAndTies) {
    EXPECT_EQ(RGBtoACI(0x0000FF, 1), 1);
    EXPECT_EQ(RGBtoACI(0x0000FF, 2), 10); // the same red again at 10
    EXPECT_EQ(RGBtoACI(0, 1), 7);
    EXPECT_EQ(RGBtoACI(0, 300), 7);
    EXPECT_EQ(RGBtoACI(0xFFFFFF, 1), 7);
    EXPECT_EQ(RGBtoACI(0xFFFFFF, 8), 255);
    EXPECT_EQ(RGBtoACI(0x123456, 0), -1);
    EXPECT_EQ(RGBtoACI(0x123456, 256), -1);
    // (255, 255, 254) is 1 from both 7 and 255: ties go to the lower index.
    EXPECT_EQ(RGBtoACI(RGB(255, 255, 254), 1), 7);
    // (0, 0, 140) is 13 from 174 (0, 0, 153) and from 176 (0, 0, 127).
    EXPECT_EQ(ACIToRGB(174), RGB(0, 0, 153));
    EXPECT_EQ(ACIToRGB(176), RGB(0, 0, 127));
    EXPECT_EQ(RGBtoACI(RGB(0, 0, 140), 1), 174);
    EXPECT_EQ(RGBtoACI(RGB(0, 0, 140), 175), 176);
    EXPECT_EQ(RGBtoACI(RGB(1, 2, 3), 255), 255); // one candidate is still a result
    // Every palette colour maps back to its first occurrence.
    for (int i = 1; i <= 255; ++i) {
        const int back = RGBtoACI(ACIToRGB(i), 1);
        EXPECT_EQ(ACIToRGB(back), ACIToRGB(i)) << i;
        EXPECT_LE(back, i);
    }
}

TEST(Process, IsNTIsStable) {
    const int first = IsNT();
    EXPECT_TRUE(first == 0 || first == 1);
    EXPECT_EQ(IsNT(), first);
}

TEST(Process, ReallocFreesOnFailure) {
    void* p = Realloc(nullptr, 16);
    ASSERT_NE(p, nullptr);
    std::memset(p, 0xAB, 16);
    p = Realloc(p, 64);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(p)[15], 0xAB);
    // A negative size cannot be satisfied: the block is released (the sanitizer build checks that
    // nothing leaks) and null returned.
    EXPECT_EQ(Realloc(p, -1), nullptr);
    void* q = Realloc(nullptr, 8);
    EXPECT_EQ(Realloc(q, 0), nullptr);
}

TEST(ProcessDeathTest, AbortShowsTheMessageAndExitsWith3) {
    // Our layer's message box writes its caption and text to stderr, where the death test can read
    // them. The system's MessageBoxA shows a window (or, without a display, returns at once) and
    // writes nothing, so there only the exit code is checked.
    const bool boxTextOnStderr = draft2d::IsCallTraceAvailable();
    EXPECT_EXIT(kx_abort("state of view %d", 42), ::testing::ExitedWithCode(3),
                boxTextOnStderr ? "state of view 42" : "");
    // A message longer than the buffer is cut, not written past its end.
    const std::string longText(5000, 'x');
    EXPECT_EXIT(kx_abort("%s", longText.c_str()), ::testing::ExitedWithCode(3),
                boxTextOnStderr ? "xxxx" : "");
}
