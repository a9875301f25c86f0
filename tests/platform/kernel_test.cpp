// KERNEL string functions: the library compares names with them, so their ordering matters.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

TEST(KernelStrings, CompareIsCaseFoldedForAsciiOnly) {
    EXPECT_EQ(lstrcmpiA("ACAD_ISO02W100", "acad_iso02w100"), 0);
    EXPECT_LT(lstrcmpiA("abc", "ABD"), 0);
    EXPECT_GT(lstrcmpA("b", "a"), 0);
    EXPECT_NE(lstrcmpA("A", "a"), 0);
    // Bytes above 0x7F are not folded and compare unsigned: GBK lead bytes sort after ASCII.
    EXPECT_NE(lstrcmpiA("\xca\xb5", "\xea\xb5"), 0);
    EXPECT_GT(lstrcmpA("\xca\xb5", "z"), 0);
    EXPECT_LT(lstrcmpA(nullptr, ""), 0);
    EXPECT_EQ(lstrcmpA(nullptr, nullptr), 0);
}

TEST(KernelStrings, CopyTruncatesAndTerminates) {
    char buf[8];
    std::fill(std::begin(buf), std::end(buf), 'x');
    lstrcpynA(buf, "abcdefghij", 5);
    EXPECT_STREQ(buf, "abcd");
    EXPECT_EQ(buf[5], 'x');
    EXPECT_EQ(lstrlenA(lstrcpyA(buf, "hello")), 5);
    EXPECT_EQ(lstrlenA(nullptr), 0);
}

TEST(KernelVersion, ReportsNtFamily) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    info.dwOSVersionInfoSize = 0;
    EXPECT_FALSE(GetVersionExA(&info));
}
