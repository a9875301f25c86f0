#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "io/CIoBuffer.h"
#include "io/MgString.h"

namespace {

std::vector<unsigned char> Bytes(const CIoBuffer& b) {
    return std::vector<unsigned char>(b.GetBuffer(), b.GetBuffer() + b.GetSize());
}

// A buffer holding exactly the given bytes.
void Fill(CIoBuffer& b, const std::vector<unsigned char>& bytes) {
    b.Clear();
    for (unsigned char c : bytes)
        b.AddUInt8(c);
}

using V = std::vector<unsigned char>;

} // namespace

TEST(CIoBufferEncoding, ScalarsAreLittleEndianWithExactWidths) {
    CIoBuffer b;
    b.AddBool(true);
    b.AddBool(false);
    b.AddBOOL(5);
    b.AddBOOL(0);
    b.AddInt8(static_cast<char>(-1));
    b.AddUInt8(0x7F);
    b.AddInt16(-2);
    b.AddUInt16(0x1234);
    b.AddInt32(-2);
    b.AddUInt32(0xA1B2C3D4UL);
    b.AddFloat(1.0f);
    b.AddDouble(1.0);
    EXPECT_EQ(Bytes(b),
              (V{0x01, 0x00, 0x01, 0x00, 0xFF, 0x7F, 0xFE, 0xFF, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0xD4,
                 0xC3, 0xB2, 0xA1, 0x00, 0x00, 0x80, 0x3F, 0,    0,    0,    0,    0,    0,    0xF0, 0x3F}));
}

TEST(CIoBufferEncoding, StringsAndNestedBuffers) {
    CIoBuffer b;
    b.AddString("abc");
    EXPECT_EQ(Bytes(b), (V{3, 0, 0, 0, 'a', 'b', 'c', 0}));
    b.Clear();
    b.AddString(static_cast<const char*>(nullptr));
    b.AddString(std::string());
    EXPECT_EQ(Bytes(b), (V{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    b.Clear();
    b.AddString(std::string("xy"));
    EXPECT_EQ(Bytes(b), (V{2, 0, 0, 0, 'x', 'y', 0}));

    CIoBuffer inner, outer, empty;
    inner.AddUInt16(0xBEEF);
    outer.AddBinary(inner);
    outer.AddBinary(empty);
    EXPECT_EQ(Bytes(outer), (V{2, 0, 0, 0, 0xEF, 0xBE, 0, 0, 0, 0}));
}

TEST(CIoBufferEncoding, LongValuesAre32BitInRecords) {
    CIoBuffer b;
    b.AddInt32(-1);
    b.AddUInt32(0xFFFFFFFFUL);
    ASSERT_EQ(b.GetSize(), 8u);
    EXPECT_EQ(b.ReadInt32(0), -1L);
    EXPECT_EQ(b.ReadUInt32(0), 4294967295UL);
}

TEST(CIoBufferRead, RoundTripOfEveryType) {
    CIoBuffer b;
    b.AddBool(true);
    b.AddBOOL(-7);
    b.AddInt8('q');
    b.AddUInt8(200);
    b.AddInt16(-12345);
    b.AddUInt16(54321);
    b.AddInt32(-2000000000L);
    b.AddUInt32(4000000000UL);
    b.AddFloat(-3.5f);
    b.AddDouble(6.02214076e23);
    b.AddString("\xd6\xd0\xce\xc4"); // 中文
    b.AddString(std::string("tail"));

    EXPECT_TRUE(b.ReadBool(false));
    EXPECT_EQ(b.ReadBOOL(9), 1);
    EXPECT_EQ(b.ReadInt8(0), 'q');
    EXPECT_EQ(b.ReadUInt8(0), 200);
    EXPECT_EQ(b.ReadInt16(0), -12345);
    EXPECT_EQ(b.ReadUInt16(0), 54321);
    EXPECT_EQ(b.ReadInt32(0), -2000000000L);
    EXPECT_EQ(b.ReadUInt32(0), 4000000000UL);
    EXPECT_EQ(b.ReadFloat(0), -3.5f);
    EXPECT_EQ(b.ReadDouble(0), 6.02214076e23);
    EXPECT_STREQ(b.ReadString(nullptr), "\xd6\xd0\xce\xc4");
    std::string s;
    EXPECT_TRUE(b.ReadString(s, nullptr));
    EXPECT_EQ(s, "tail");
    EXPECT_FALSE(b.HasError());
    EXPECT_EQ(b.ReadDouble(-1.5), -1.5); // end of data: the default, no error
    EXPECT_FALSE(b.HasError());
}

TEST(CIoBufferRead, DefaultsAtEndShortReadsAndStickyErrors) {
    CIoBuffer b;
    EXPECT_EQ(b.ReadInt32(7), 7);
    EXPECT_FALSE(b.ReadBool(false));
    EXPECT_TRUE(b.ReadBool(true));
    EXPECT_FALSE(b.HasError());

    Fill(b, {0x34, 0x12});
    EXPECT_EQ(b.ReadInt32(7), 0); // two bytes are not enough: 0, error -2, offset unchanged
    EXPECT_EQ(b.GetError(), -2);
    EXPECT_EQ(b.ReadDouble(3.0), 0.0);
    EXPECT_EQ(b.ReadInt16(0), 0x1234); // the bytes are still there
    EXPECT_EQ(b.GetError(), -2);       // and the error stays
    EXPECT_EQ(b.ReadInt16(99), 99);

    b.Reset();
    EXPECT_EQ(b.GetError(), 0);
    EXPECT_EQ(b.ReadUInt16(0), 0x1234);
    EXPECT_FALSE(b.HasError());
}

TEST(CIoBufferRead, StringLengthIsTrustedOnlyWithinTheData) {
    CIoBuffer b;
    // Stored length 3, but the byte after the three characters is 'x': it becomes the terminator.
    Fill(b, {3, 0, 0, 0, 'a', 'b', 'c', 'x', 'y'});
    EXPECT_STREQ(b.ReadString(nullptr), "abc");
    EXPECT_EQ(b.GetBuffer()[7], 0);
    EXPECT_EQ(b.ReadUInt8(0), 'y');
    EXPECT_FALSE(b.HasError());

    // A length one beyond the data, a huge one and one that reads as -1 all fail without touching
    // anything outside the block.
    for (const V& record : {V{3, 0, 0, 0, 'a', 'b', 'c'}, V{0xF0, 0xFF, 0xFF, 0x7F, 'a', 0},
                            V{0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'}}) {
        Fill(b, record);
        const V before = Bytes(b);
        EXPECT_EQ(b.ReadString("def"), nullptr);
        EXPECT_EQ(b.GetError(), -2);
        EXPECT_EQ(Bytes(b), before);
        b.Reset();
        std::string s = "old";
        EXPECT_FALSE(b.ReadString(s, "def"));
        EXPECT_EQ(s, "");
        EXPECT_EQ(b.GetError(), -3);
    }

    // A length field cut short is damage too, not an empty string.
    Fill(b, {1, 0});
    EXPECT_EQ(b.ReadString(""), nullptr);
    EXPECT_EQ(b.GetError(), -2);
}

TEST(CIoBufferRead, StringAtEndOfData) {
    CIoBuffer b;
    const char* def = "default";
    EXPECT_EQ(b.ReadString(def), def);
    std::string s = "x";
    EXPECT_TRUE(b.ReadString(s, "d"));
    EXPECT_EQ(s, "d");
    EXPECT_FALSE(b.ReadString(s, nullptr));
    EXPECT_EQ(s, "");
    EXPECT_EQ(b.GetError(), -3);
}

TEST(CIoBufferRead, NestedBuffers) {
    CIoBuffer inner, b, out;
    inner.AddDouble(2.5);
    inner.AddString("in");
    b.AddBinary(inner);
    b.AddInt8('z');

    out.AddInt8('o');
    EXPECT_TRUE(b.ReadBinary(out, false));
    EXPECT_EQ(Bytes(out), Bytes(inner));
    EXPECT_EQ(out.ReadDouble(0), 2.5);
    EXPECT_STREQ(out.ReadString(nullptr), "in");
    EXPECT_EQ(b.ReadInt8(0), 'z');

    // At the end: out is cleared and the result is true, with or without allowEnd.
    EXPECT_TRUE(b.ReadBinary(out, false));
    EXPECT_EQ(out.GetSize(), 0u);
    out.AddInt8(1);
    EXPECT_TRUE(b.ReadBinary(out, true));
    EXPECT_EQ(out.GetSize(), 0u);
    EXPECT_FALSE(b.HasError());

    // A length beyond the data, or one reading as negative, is an error and appends nothing.
    for (const V& record : {V{5, 0, 0, 0, 1, 2, 3}, V{0xFF, 0xFF, 0xFF, 0xFF, 1}}) {
        Fill(b, record);
        out.AddInt8(1);
        EXPECT_FALSE(b.ReadBinary(out, true));
        EXPECT_EQ(b.GetError(), -3);
        EXPECT_EQ(out.GetSize(), 0u);
    }
}

TEST(CIoBufferStrict, ThrowsAtEndAndLeavesShortReadsUntouched) {
    CIoBuffer b;
    double d = 4.0;
    try {
        b.ReadStrict(d);
        FAIL() << "no exception at the end of the data";
    } catch (const CIoBufException& e) {
        EXPECT_EQ(e.GetError(), -2);
        EXPECT_STREQ(e.what(),
                     "\xb6\xc1\xc6\xab\xd2\xc6\xc1\xbf\xd2\xd1\xb5\xbd\xbb\xba\xb3\xe5\xc4\xa9\xce\xb2");
    }
    EXPECT_EQ(d, 4.0);
    EXPECT_FALSE(b.HasError()); // the buffer is unchanged

    Fill(b, {1, 2, 3});
    EXPECT_FALSE(b.ReadStrict(d));
    EXPECT_EQ(d, 4.0);
    EXPECT_EQ(b.GetError(), -2);
    long l = 17;
    EXPECT_FALSE(b.ReadStrict(l));
    EXPECT_EQ(l, 17);
    unsigned char c = 0;
    EXPECT_TRUE(b.ReadStrict(c));
    EXPECT_EQ(c, 1);
    EXPECT_EQ(b.GetError(), -2); // still sticky after a good read
}

TEST(CIoBufferStrict, EveryWidthReadsWhatTheAddsWrote) {
    CIoBuffer b;
    b.AddInt8('k');
    b.AddBool(true);
    b.AddInt32(-5);
    b.AddUInt32(0xFFFFFFFEUL);
    b.AddInt32(-6);
    b.AddUInt32(7);
    b.AddFloat(0.25f);
    b.AddDouble(-8.125);
    b.AddString("name");
    char ch = 0;
    bool flag = false;
    long l = 0;
    unsigned long ul = 0;
    int i = 0;
    unsigned int ui = 0;
    float f = 0;
    double d = 0;
    MgString s;
    EXPECT_TRUE(b.ReadStrict(ch) && b.ReadStrict(flag) && b.ReadStrict(l) && b.ReadStrict(ul) &&
                b.ReadStrict(i) && b.ReadStrict(ui) && b.ReadStrict(f) && b.ReadStrict(d) && b.ReadStrict(s));
    EXPECT_EQ(ch, 'k');
    EXPECT_TRUE(flag);
    EXPECT_EQ(l, -5);
    EXPECT_EQ(ul, 0xFFFFFFFEUL);
    EXPECT_EQ(i, -6);
    EXPECT_EQ(ui, 7u);
    EXPECT_EQ(f, 0.25f);
    EXPECT_EQ(d, -8.125);
    EXPECT_STREQ(s.c_str(), "name");
    EXPECT_THROW(b.ReadStrict(s), CIoBufException);
}

TEST(CIoBufferStrict, DamagedStringSetsReadError) {
    CIoBuffer b;
    Fill(b, {9, 0, 0, 0, 'a'});
    MgString s("keep");
    EXPECT_FALSE(b.ReadStrict(s));
    EXPECT_EQ(b.GetError(), -3);
    EXPECT_STREQ(s.c_str(), "keep");
}

TEST(CIoBufferException, TextsCopyAndAssignment) {
    EXPECT_STREQ(CIoBufException(-1).what(), "\xc4\xda\xb4\xe6\xb2\xbb\xd7\xe3");         // 内存不足
    EXPECT_STREQ(CIoBufException(-3).what(), "\xb6\xc1\xca\xfd\xbe\xdd\xb4\xed\xce\xf3"); // 读数据错误
    EXPECT_STREQ(CIoBufException(0).what(),
                 "\xc3\xbb\xd3\xd0\xb8\xc3\xc0\xe0\xd0\xcd\xb5\xc4\xb4\xed\xce\xf3"); // 没有该类型的错误
    CIoBufException a(-3);
    CIoBufException copy(a);
    EXPECT_EQ(copy.GetError(), -3);
    CIoBufException other(-1);
    other = a;
    EXPECT_EQ(other.GetError(), -3);
    EXPECT_STREQ(other.what(), a.what());
}

TEST(CIoBufferStorage, GrowthInGranules) {
    CIoBuffer b16(16);
    b16.AddUInt8(1);
    EXPECT_EQ(b16.GetCapacity(), 16u);
    const unsigned char ten[10] = {};
    CIoBuffer c(16);
    for (unsigned char x : ten)
        c.AddUInt8(x);
    const unsigned char twenty[20] = {};
    for (unsigned char x : twenty)
        c.AddUInt8(x);
    EXPECT_EQ(c.GetCapacity(), 32u);

    CIoBuffer d;
    d.AddUInt8(1);
    EXPECT_EQ(d.GetCapacity(), 8u);
    CIoBuffer z(0);
    z.AddUInt8(1);
    EXPECT_EQ(z.GetCapacity(), 16u);

    // A long run of appends keeps all its data and the capacity stays a multiple of the granule.
    CIoBuffer big(8);
    for (int i = 0; i < 100000; ++i)
        ASSERT_TRUE(big.AddInt32(i));
    EXPECT_EQ(big.GetCapacity() % 8, 0u);
    EXPECT_GE(big.GetCapacity(), big.GetSize());
    for (int i = 0; i < 100000; ++i)
        ASSERT_EQ(big.ReadInt32(-1), i);
}

TEST(CIoBufferStorage, CloneSetSizeReserveAndClear) {
    CIoBuffer a;
    a.AddString("abc");
    a.ReadInt8(0);
    CIoBuffer b;
    b.AddDouble(1);
    b.ReadInt32(0);
    b.ReadInt32(0);
    b.ReadInt32(0); // error -2 to be reset by the clone
    ASSERT_TRUE(b.Clone(&a));
    EXPECT_EQ(Bytes(b), Bytes(a));
    EXPECT_FALSE(b.HasError());
    EXPECT_STREQ(b.ReadString(nullptr), "abc"); // read offset at 0

    EXPECT_TRUE(b.Clone(&b)); // cloning itself keeps the data
    EXPECT_EQ(Bytes(b), Bytes(a));
    EXPECT_TRUE(b.Clone(nullptr));
    EXPECT_EQ(b.GetSize(), 0u);

    ASSERT_TRUE(b.SetSize(5));
    EXPECT_EQ(b.GetSize(), 5u);
    EXPECT_EQ(b.GetCapacity(), 5u);

    CIoBuffer r;
    r.AddInt16(0x0102);
    ASSERT_TRUE(r.Reserve(100));
    EXPECT_EQ(r.GetCapacity(), 100u);
    EXPECT_TRUE(r.Reserve(50));
    EXPECT_EQ(r.GetCapacity(), 100u);
    EXPECT_EQ(r.ReadInt16(0), 0x0102);

    r.Clear();
    EXPECT_EQ(r.GetSize(), 0u);
    EXPECT_EQ(r.GetCapacity(), 0u);
    EXPECT_EQ(r.GetBuffer(), nullptr);
    r.AddUInt8(3); // still usable, granule kept
    EXPECT_EQ(r.GetCapacity(), 8u);

    if constexpr (sizeof(unsigned long) > 4) {
        // More than a record can address: the buffer is emptied and reports out of memory.
        CIoBuffer huge;
        huge.AddUInt8(1);
        EXPECT_FALSE(huge.Reserve(0x100000000UL));
        EXPECT_EQ(huge.GetError(), -1);
        EXPECT_EQ(huge.GetSize(), 0u);
        EXPECT_FALSE(huge.SetSize(0x100000001UL));
        EXPECT_EQ(huge.GetError(), -1);
    }
}

TEST(CIoBufferStorage, AppendingFromItself) {
    CIoBuffer b(4);
    b.AddString("abcdefgh");
    const char* s = b.ReadString(nullptr); // points into b's block, which must grow
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(b.AddString(s));
    EXPECT_STREQ(b.ReadString(nullptr), "abcdefgh");

    CIoBuffer c(2);
    c.AddUInt16(0xCAFE);
    EXPECT_TRUE(c.AddBinary(c));
    EXPECT_EQ(Bytes(c), (V{0xFE, 0xCA, 2, 0, 0, 0, 0xFE, 0xCA}));
    EXPECT_FALSE(c.ReadBinary(c, false)); // reading into itself would destroy the source
    EXPECT_EQ(c.GetError(), -3);
}

TEST(CIoBufferStorage, MakeFieldType) {
    CIoBuffer b;
    b.AddDouble(9);
    const int types[] = {3, 5, -1, 7};
    CIoBuffer::MakeFieldType(b, 0, types);
    EXPECT_EQ(Bytes(b), (V{3, 0, 5, 0}));
    const int more[] = {1, 2, 3, 0};
    CIoBuffer::MakeFieldType(b, 2, more);
    EXPECT_EQ(Bytes(b), (V{1, 0, 2, 0}));
    std::vector<int> many(150, 4);
    CIoBuffer::MakeFieldType(b, -1, many.data());
    EXPECT_EQ(b.GetSize(), 200u); // at most 100 fields without a count
}
