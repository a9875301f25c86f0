#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "io/CStringSplit.h"

namespace {

std::vector<std::string> Items(const CStringSplit& s) {
    std::vector<std::string> out;
    for (int i = 0; i < s.GetCount(); ++i) {
        const char* item = s.GetItem(i);
        out.push_back(item ? item : "<null>");
    }
    return out;
}

using Strs = std::vector<std::string>;

std::string Escaped(const std::string& raw) {
    std::string buf(static_cast<size_t>(CStringSplit::StrLenAfterWithEsc(raw.c_str(), -1)) + 1, '\0');
    const int n = CStringSplit::ToEscStr(&buf[0], static_cast<int>(buf.size()), raw.c_str(), -1);
    EXPECT_GE(n, 0);
    buf.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return buf;
}

std::string Unescaped(const std::string& esc, int* result = nullptr) {
    const int len = CStringSplit::StrLenAfterNoEsc(esc.c_str(), -1);
    if (len < 0) {
        if (result)
            *result = -1;
        return "";
    }
    std::string buf(static_cast<size_t>(len) + 1, '\0');
    const int n = CStringSplit::ToStrNoEsc(&buf[0], static_cast<int>(buf.size()), esc.c_str(), -1);
    if (result)
        *result = n;
    buf.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return buf;
}

} // namespace

TEST(SplitString, BlanksAreSkippedAtTheStartAndTrimmedAtTheEnd) {
    CStringSplit s;
    ASSERT_TRUE(s.SplitString("a, b ,c", -1, false));
    EXPECT_EQ(Items(s), (Strs{"a", "b", "c"}));
    // Control characters other than TAB, LF and CR are skipped before an item, a TAB is kept.
    ASSERT_TRUE(s.SplitString("\x01\x02 x\ty \x03, z", -1, false));
    EXPECT_EQ(Items(s), (Strs{"x\ty", "z"}));
    // Even inside quotes the trailing blanks go.
    ASSERT_TRUE(s.SplitString("\"  a  \",b", -1, true));
    EXPECT_EQ(Items(s), (Strs{"a", "b"}));
}

TEST(SplitString, QuotesGroupOnlyWhenEnabled) {
    CStringSplit s;
    ASSERT_TRUE(s.SplitString("x,\"1,2\",y", -1, true));
    EXPECT_EQ(Items(s), (Strs{"x", "1,2", "y"}));
    ASSERT_TRUE(s.SplitString("x,\"1,2\",y", -1, false));
    EXPECT_EQ(Items(s), (Strs{"x", "\"1", "2\"", "y"}));
    // A quote after the start of an item closes quoting and is dropped.
    ASSERT_TRUE(s.SplitString("ab\"c,d", -1, true));
    EXPECT_EQ(Items(s), (Strs{"abc", "d"}));
}

TEST(SplitString, Escapes) {
    CStringSplit s;
    ASSERT_TRUE(s.SplitString("a\\,b", -1, false));
    EXPECT_EQ(Items(s), (Strs{"a,b"}));
    ASSERT_TRUE(s.SplitString("a\\qb", -1, false));
    EXPECT_EQ(Items(s), (Strs{"ab"}));
    ASSERT_TRUE(s.SplitString("a\\rb\\nc\\td\\\"e\\'f\\\\g", -1, true));
    EXPECT_EQ(Items(s), (Strs{"a\rb\nc\td\"e'f\\g"}));
    // A backslash before a raw CR drops both.
    ASSERT_TRUE(s.SplitString("a\\\rb", -1, false));
    EXPECT_EQ(Items(s), (Strs{"ab"}));
    // A lone final backslash fails, also when len cuts the text just after it.
    EXPECT_FALSE(s.SplitString("a,b\\", -1, false));
    EXPECT_FALSE(s.SplitString("a\\nb", 2, false));
    EXPECT_FALSE(s.SplitString(nullptr, -1, false));
    EXPECT_EQ(s.GetCount(), 0);
}

TEST(SplitString, EmptyTextsAndLengths) {
    CStringSplit s;
    ASSERT_TRUE(s.SplitString("", -1, false));
    EXPECT_EQ(Items(s), (Strs{""}));
    ASSERT_TRUE(s.SplitString("a,", -1, false));
    EXPECT_EQ(Items(s), (Strs{"a", ""}));
    ASSERT_TRUE(s.SplitString(",,", -1, false));
    EXPECT_EQ(Items(s), (Strs{"", "", ""}));
    // len limits the text, a zero byte ends it.
    ASSERT_TRUE(s.SplitString("ab,cd,ef", 4, false));
    EXPECT_EQ(Items(s), (Strs{"ab", "c"}));
    ASSERT_TRUE(s.SplitString("ab\0,cd", 6, false));
    EXPECT_EQ(Items(s), (Strs{"ab"}));
    // Another split character.
    s.SetSplitChar(';');
    ASSERT_TRUE(s.SplitString("a,b;c", -1, false));
    EXPECT_EQ(Items(s), (Strs{"a,b", "c"}));
}

TEST(SplitString, LongItemsGrowTheWorkBufferAndComeBackWhole) {
    CStringSplit s;
    for (size_t n : {9u, 10u, 100u, 101u, 511u, 512u, 513u, 1023u, 1024u, 1025u, 5000u, 100000u}) {
        std::string big(n, 'x');
        for (size_t i = 0; i < n; i += 7)
            big[i] = static_cast<char>('a' + i % 26);
        const std::string row = "h," + big + ",t," + big;
        ASSERT_TRUE(s.SplitString(row.c_str(), -1, true)) << n;
        ASSERT_EQ(s.GetCount(), 4);
        EXPECT_EQ(s.GetItem(1), big) << n;
        EXPECT_EQ(s.GetItem(3), big) << n;
        EXPECT_EQ(s.GetItemSize(3), static_cast<int>(n));
        // The next, short row is unaffected by the grown buffer.
        ASSERT_TRUE(s.SplitString("p,q", -1, false));
        EXPECT_EQ(Items(s), (Strs{"p", "q"}));
    }
    // Many items grow the item array past its first estimate only when needed; all are kept.
    std::string many;
    for (int i = 0; i < 5000; ++i)
        many += std::to_string(i) + ",";
    ASSERT_TRUE(s.SplitString(many.c_str(), -1, false));
    ASSERT_EQ(s.GetCount(), 5001);
    EXPECT_EQ(s.GetItemInteger(4321), 4321);
}

TEST(CStringSplitItems, AccessorsOutOfRange) {
    CStringSplit s;
    ASSERT_TRUE(s.SplitString(" 0x1F,12abc,-7,3.5e2,\xb0\xa1"
                              "42",
                              -1, false));
    EXPECT_EQ(s.GetItemInteger(0), 31);
    EXPECT_EQ(s.GetItemInteger(1), 12);
    EXPECT_EQ(s.GetItemInteger(2), -7);
    EXPECT_DOUBLE_EQ(s.GetItemDouble(3), 350.0);
    EXPECT_EQ(s.GetItemInteger(4), 42); // bytes 0x80-0xFF are skipped
    EXPECT_EQ(s.GetItem(-1), nullptr);
    EXPECT_EQ(s.GetItem(5), nullptr);
    EXPECT_EQ(s.GetItemSize(5), -1);
    EXPECT_EQ(s.GetItemInteger(5), 0);
    EXPECT_EQ(s.GetItemDouble(-1), 0.0);
    // The items are 32-bit quantities.
    ASSERT_TRUE(s.SplitString("0xFFFFFFFF,0x123456789,99999999999,-99999999999", -1, false));
    EXPECT_EQ(s.GetItemInteger(0), -1);
    EXPECT_EQ(s.GetItemInteger(1), -1);
    EXPECT_EQ(s.GetItemInteger(2), 2147483647);
    EXPECT_EQ(s.GetItemInteger(3), -2147483647 - 1);
}

TEST(CStringSplitRows, NumbersAreFormattedAsDocumented) {
    CStringSplit s;
    EXPECT_TRUE(s.AddInteger(42, 16));
    EXPECT_TRUE(s.AddInteger(-1, 16));
    EXPECT_TRUE(s.AddInteger(-42, 10));
    EXPECT_TRUE(s.AddInteger(42, 8));
    EXPECT_TRUE(s.AddDouble(3.14159, 2));
    EXPECT_TRUE(s.AddDouble(-2.9, 0));
    EXPECT_TRUE(s.AddDouble(1.5, 12));
    EXPECT_TRUE(s.AddDouble(2.5, -3));
    EXPECT_TRUE(s.AddDouble(-0.4, 0));
    EXPECT_TRUE(s.AddDouble(6e9, 0));
    EXPECT_TRUE(s.AddDouble(1e300, 7));
    std::string row;
    s.GetRowStr(row);
    const std::string bigRow = "0x0000002A,0xFFFFFFFF,-42,,3.14,-2,1.5000000,2,0,6000000000,";
    ASSERT_EQ(row.compare(0, bigRow.size(), bigRow), 0) << row;
    EXPECT_EQ(s.GetItemDouble(10), 1e300);
    // A row read back gives the numbers.
    CStringSplit back;
    ASSERT_TRUE(back.SplitString(row.c_str(), -1, false));
    EXPECT_EQ(back.GetItemInteger(0), 42);
    EXPECT_EQ(back.GetItemInteger(1), -1);
    EXPECT_DOUBLE_EQ(back.GetItemDouble(4), 3.14);
}

TEST(CStringSplitRows, QuotedStringWithQuotesRoundTrips) {
    CStringSplit s;
    ASSERT_TRUE(s.AddString("say \"hi\"", true, true));
    std::string row;
    s.GetRowStr(row);
    EXPECT_EQ(row, "\"say \\\"hi\\\"\"");
    CStringSplit back;
    ASSERT_TRUE(back.SplitString(row.c_str(), -1, true));
    EXPECT_EQ(Items(back), (Strs{"say \"hi\""}));
    // Null gives an empty item; trimRight matters only inside quotes.
    CStringSplit t;
    EXPECT_TRUE(t.AddString(nullptr, false, false));
    EXPECT_TRUE(t.AddString("a  ", false, true));
    EXPECT_TRUE(t.AddString("a  ", true, true));
    t.GetRowStr(row);
    EXPECT_EQ(row, ",\"a  \",\"a\"");
}

// Random texts built from the characters that matter to the row format survive AddString,
// GetRowStr and SplitString, apart from what the format documents as dropped: control
// characters other than TAB, LF and CR, and blanks at either end.
TEST(CStringSplitRows, RandomTextsRoundTripThroughARow) {
    std::mt19937 rng(20261208);
    const std::vector<std::string> pieces = {
        "a",  "Z",  "9",    " ",    ",",        ";",        "\"",       "'",        "\\", "\\x", "\t",
        "\n", "\r", "\x01", "\x1f", "\xd6\xd0", "\xce\xc4", "\xb0\xa1", "\xf7\xfe", "#",  "-",   "."};
    for (int round = 0; round < 2000; ++round) {
        CStringSplit row;
        std::vector<std::string> expected;
        const int n = 1 + static_cast<int>(rng() % 6);
        for (int k = 0; k < n; ++k) {
            std::string text = "<";
            const int len = static_cast<int>(rng() % 40);
            for (int c = 0; c < len; ++c) {
                const std::string& p = pieces[rng() % pieces.size()];
                // A backslash must not form an escape with what follows, or it is taken as one.
                if (!text.empty() && text.back() == '\\' && std::strchr("nrt\"'\\", p[0]) != nullptr)
                    text += 'x';
                text += p;
            }
            text += ">";
            std::string kept;
            for (char ch : text) {
                const unsigned char u = static_cast<unsigned char>(ch);
                if (u >= 32 || ch == '\t' || ch == '\n' || ch == '\r')
                    kept += ch;
            }
            expected.push_back(kept);
            ASSERT_TRUE(row.AddString(text.c_str(), rng() % 2 == 0, true));
        }
        std::string line;
        row.GetRowStr(line);
        CStringSplit back;
        ASSERT_TRUE(back.SplitString(line.c_str(), -1, true)) << line;
        ASSERT_EQ(Items(back), expected) << line;
    }
}

TEST(CStringSplitItems, CheckDataTypeAtTheBounds) {
    struct Case {
        const char* item;
        char type;
        bool valid;
    };
    const Case cases[] = {
        {"0", 'B', true},
        {"255", 'b', true},
        {"256", 'B', false},
        {"-1", 'B', false},
        {"300", 'B', false},
        {"-128", 'C', true},
        {"127", 'c', true},
        {"-129", 'C', false},
        {"128", 'C', false},
        {"-5", 'c', true},
        {"-32768", 'N', true},
        {"32767", 'n', true},
        {"-32769", 'N', false},
        {"32768", 'N', false},
        {"-2147483648", 'I', true},
        {"2147483647", 'L', true},
        {"2147483648", 'I', false},
        {"-2147483649", 'l', false},
        {"9999999999", 'I', false},
        {"12345678901", 'I', false},
        {"0x7F", 'I', true},
        {"1.5", 'I', false},
        {"", 'I', false},
        {"3.4028234663852886e38", 'F', true},
        {"-3.4028234663852886e38", 'f', true},
        {"3.41e38", 'F', false},
        {"-3.41e38", 'F', false},
        {"1.7976931348623157e308", 'D', true},
        {"1.8e308", 'd', false},
        {"-1.8e308", 'D', false},
        {"abc", 'D', false},
        {"0x1F", 'H', true},
        {"0xFFFFFFFF", 'h', true},
        {"0x123456789", 'H', false},
        {"1F", 'H', false},
        {"x", 'S', true},
        {"", 's', true},
        {"1", 'Q', false},
        {"1", '\0', false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CStringSplit::CheckDataType(c.item, c.type), c.valid) << c.item << " as " << c.type;
    EXPECT_FALSE(CStringSplit::CheckDataType(nullptr, 'S'));
}

TEST(CStringSplitItems, CheckItemTypeByIndexAndForTheWholeRow) {
    CStringSplit s;
    ASSERT_TRUE(s.SplitString("5,abc", -1, false));
    EXPECT_TRUE(s.CheckItemType("IS", -1));
    EXPECT_FALSE(s.CheckItemType("II", -1));
    EXPECT_FALSE(s.CheckItemType("ISS", -1));
    EXPECT_TRUE(s.CheckItemType("B", 0));
    EXPECT_FALSE(s.CheckItemType("B", 1));
    EXPECT_FALSE(s.CheckItemType("S", 2));
    EXPECT_FALSE(s.CheckItemType(nullptr, 0));
    ASSERT_TRUE(s.SplitString("5,abc,7", -1, false));
    EXPECT_FALSE(s.CheckItemType("IS", -1));
}

TEST(EscapeCodec, EscapesAndTheirLengths) {
    char buf[64];
    EXPECT_EQ(CStringSplit::ToEscStr(buf, 4, "a\tb", -1), -1);
    EXPECT_EQ(CStringSplit::ToEscStr(buf, 5, "a\tb", -1), 4);
    EXPECT_STREQ(buf, "a\\tb");
    EXPECT_EQ(CStringSplit::ToEscStr(nullptr, 5, "a", -1), -1);
    EXPECT_EQ(CStringSplit::ToEscStr(buf, 0, "a", -1), -1);
    EXPECT_EQ(CStringSplit::ToEscStr(buf, 1, nullptr, -1), 0);
    EXPECT_STREQ(buf, "");
    // Existing escapes are kept, other controls dropped, GBK and the split character kept.
    const char raw[] = "q\"s'b\\x\\n\x01\x1f\r\n\xd6\xd0,";
    EXPECT_EQ(CStringSplit::ToEscStr(buf, sizeof buf, raw, -1), 19);
    EXPECT_STREQ(buf, "q\\\"s\\'b\\\\x\\n\\r\\n\xd6\xd0,");
    EXPECT_EQ(CStringSplit::StrLenAfterWithEsc(raw, -1), 20); // an upper bound
    EXPECT_EQ(CStringSplit::StrLenAfterWithEsc(raw, 3), 4);
    EXPECT_EQ(CStringSplit::StrLenAfterWithEsc(nullptr, -1), 0);
    // Escaping the escaped form again changes nothing.
    EXPECT_EQ(Escaped(buf), buf);
    // The length limit counts the terminator.
    EXPECT_EQ(CStringSplit::ToEscStr(buf, 20, raw, -1), 19);
    EXPECT_EQ(CStringSplit::ToEscStr(buf, 19, raw, -1), -1);
}

TEST(EscapeCodec, UnescapeFailsOnUnknownAndLoneEscapes) {
    char buf[16];
    int r = 0;
    EXPECT_EQ(Unescaped("a\\tb\\\\c\\\"\\'\\n\\r", &r), "a\tb\\c\"'\n\r");
    EXPECT_EQ(r, 9);
    EXPECT_EQ(CStringSplit::StrLenAfterNoEsc("a\\qb", -1), -1);
    EXPECT_EQ(CStringSplit::ToStrNoEsc(buf, sizeof buf, "a\\qb", -1), -1);
    EXPECT_EQ(CStringSplit::StrLenAfterNoEsc("ab\\", -1), -1);
    EXPECT_EQ(CStringSplit::ToStrNoEsc(buf, sizeof buf, "ab\\", -1), -1);
    EXPECT_EQ(CStringSplit::ToStrNoEsc(buf, sizeof buf, "ab\\nc", 3), -1); // len cuts the escape
    EXPECT_EQ(CStringSplit::ToStrNoEsc(nullptr, 4, "a", -1), -1);
    EXPECT_EQ(CStringSplit::ToStrNoEsc(buf, 0, "a", -1), -1);
    EXPECT_EQ(CStringSplit::ToStrNoEsc(buf, 3, "abc", -1), -1);
    EXPECT_EQ(CStringSplit::ToStrNoEsc(buf, 4, "abc", -1), 3);
    // Raw TAB, LF and CR are kept and counted, so the length always sizes the buffer.
    const char withControls[] = "a\tb\nc\rd\x02";
    EXPECT_EQ(CStringSplit::StrLenAfterNoEsc(withControls, -1), 7);
    EXPECT_EQ(Unescaped(withControls, &r), "a\tb\nc\rd");
    EXPECT_EQ(r, 7);
}

TEST(EscapeCodec, RandomTextsRoundTrip) {
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        std::string raw;
        const int len = static_cast<int>(rng() % 50);
        for (int i = 0; i < len; ++i) {
            char c = static_cast<char>(1 + rng() % 255);
            if (c == '\\')
                c = rng() % 2 ? '\\' : 'x';
            // A backslash that already forms an escape stays one: keep the raw text free of those.
            if (!raw.empty() && raw.back() == '\\' && std::strchr("nrt\"'\\", c) != nullptr)
                c = 'y';
            raw += c;
        }
        std::string expected;
        for (char c : raw) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (u >= 32 || c == '\t' || c == '\n' || c == '\r')
                expected += c;
        }
        int r = 0;
        const std::string esc = Escaped(raw);
        EXPECT_LE(static_cast<int>(esc.size()), CStringSplit::StrLenAfterWithEsc(raw.c_str(), -1));
        EXPECT_EQ(Unescaped(esc, &r), expected);
        EXPECT_EQ(r, static_cast<int>(expected.size()));
        std::string ansi;
        CStringSplit::EscStrToAnsiString(ansi, esc.c_str(), -1);
        EXPECT_EQ(ansi, expected);
    }
    std::string ansi = "old";
    CStringSplit::EscStrToAnsiString(ansi, "bad\\q", -1);
    EXPECT_EQ(ansi, "");
    CStringSplit::EscStrToAnsiString(ansi, nullptr, -1);
    EXPECT_EQ(ansi, "");
}

TEST(EscapeCodec, StringListsRoundTrip) {
    std::deque<std::string> l = {"a", "b"};
    char buf[64];
    EXPECT_EQ(CStringSplit::CharCountOfStringList(l), 4);
    EXPECT_EQ(CStringSplit::StringListToEscStr(l, buf, sizeof buf), 4);
    EXPECT_STREQ(buf, "a\\nb");
    std::deque<std::string> back = {"stale"};
    ASSERT_TRUE(CStringSplit::EscStrToStringList(back, buf, -1));
    EXPECT_EQ(back, l);

    // Backslashes, quotes, commas, tabs and GBK text survive; a path keeps its backslashes.
    l = {"C:\\dir\\file.lin", "say \"x\", 'y'", "t\tab", "\xd6\xd0\xce\xc4", "", "end"};
    const int need = CStringSplit::CharCountOfStringList(l);
    std::vector<char> big(static_cast<size_t>(need) + 1);
    const int n = CStringSplit::StringListToEscStr(l, big.data(), need + 1);
    ASSERT_GE(n, 0);
    EXPECT_LE(n, need);
    ASSERT_TRUE(CStringSplit::EscStrToStringList(back, big.data(), n));
    EXPECT_EQ(back, l);
    std::vector<char> small(static_cast<size_t>(n));
    EXPECT_EQ(CStringSplit::StringListToEscStr(l, small.data(), n), -1);

    EXPECT_EQ(CStringSplit::CharCountOfStringList({}), 0);
    std::deque<std::string> none;
    EXPECT_EQ(CStringSplit::StringListToEscStr(none, buf, sizeof buf), 0);
    EXPECT_EQ(CStringSplit::StringListToEscStr(l, nullptr, 10), -1);
    EXPECT_FALSE(CStringSplit::EscStrToStringList(back, "a\\q", -1));
    EXPECT_TRUE(CStringSplit::EscStrToStringList(back, nullptr, -1));
    EXPECT_TRUE(back.empty());
}

TEST(PlainLines, StrToStringsAndBack) {
    std::deque<std::string> l;
    CStringSplit::StrToStrings(l, "l1\r\nl2\n");
    EXPECT_EQ(l, (std::deque<std::string>{"l1", "l2"}));
    CStringSplit::StrToStrings(l, "\n\na\tb\n\xd6\xd0x");
    EXPECT_EQ(l, (std::deque<std::string>{"", "", "ab", "\xd6\xd0x"}));
    std::string joined;
    CStringSplit::StringsToStr(joined, l);
    EXPECT_EQ(joined, "\n\nab\n\xd6\xd0x");
    CStringSplit::StrToStrings(l, nullptr);
    EXPECT_TRUE(l.empty());
}

TEST(PlainTokens, SplitSkipsEmptyTokensAndAppends) {
    std::deque<std::string> out = {"keep"};
    split("  a  bb ", " ", out);
    EXPECT_EQ(out, (std::deque<std::string>{"keep", "a", "bb"}));
    out.clear();
    split("4--1-", "-", out);
    EXPECT_EQ(out, (std::deque<std::string>{"4", "1"}));
    split("", "-", out);
    split("---", "-", out);
    EXPECT_EQ(out.size(), 2u);
}

TEST(CStringSplitObject, CopiesAreIndependent) {
    CStringSplit a;
    a.SetSplitChar(';');
    ASSERT_TRUE(a.SplitString("x;y", -1, false));
    CStringSplit b(a);
    a.Clear();
    EXPECT_EQ(Items(b), (Strs{"x", "y"}));
    ASSERT_TRUE(b.SplitString("1;2;3", -1, false)); // the split character was copied
    EXPECT_EQ(b.GetCount(), 3);
    CStringSplit c;
    c = b;
    const CStringSplit& self = c;
    c = self;
    EXPECT_EQ(Items(c), (Strs{"1", "2", "3"}));
    std::string row;
    c.GetRowStr(row);
    EXPECT_EQ(row, "1;2;3");
    EXPECT_TRUE(a.SplitString("p;q", -1, false));
    EXPECT_EQ(a.GetCount(), 2);
}
