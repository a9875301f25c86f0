// Symbol files: both formats read back what the writer wrote, the documented cases of each format,
// hostile binary files, and loading whole directories.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <unistd.h>

#include "platform/win32.h"
#include "symbol/mgSymbol.h"
#include "symbol_writer.h"
#include "view/CGraphSystem.h"

using symtest::Add;
using symtest::Bin;
using symtest::Library;
using symtest::OutputPath;
using symtest::Symbol;
using symtest::WriteFile;

namespace {

constexpr double kPi = 3.141592653589793;
const char kWellText[] = "\xbe\xae"; // 井

int ReadBinary(mgSymbol& s, const std::string& bytes, const std::string& name = "read.20s") {
    const std::string path = OutputPath(name);
    EXPECT_TRUE(WriteFile(path, bytes));
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    EXPECT_GE(fd, 0);
    const int r = s.ReadFileBin(fd);
    _close(fd);
    return r;
}

int ReadText(mgSymbol& s, const std::string& text, const std::string& name = "read.20") {
    const std::string path = OutputPath(name);
    EXPECT_TRUE(WriteFile(path, text));
    FILE* f = std::fopen(path.c_str(), "rt");
    EXPECT_NE(f, nullptr);
    const int r = s.ReadFileTxt(f);
    std::fclose(f);
    return r;
}

// A symbol holding one item of every kind that both formats carry.
void FillEveryKind(mgSymbol& s) {
    mgSymbolItem* it = Add(s, 'l');
    it->x = -1.5f, it->y = 2.25f, it->x2 = 10, it->y2 = -3, it->width = 0.35f;
    it = Add(s, 'r');
    it->x = 0, it->y = 0, it->x2 = 4, it->y2 = 2.5f, it->width = 0.5f;
    it = Add(s, 'c');
    it->x = 1, it->y = 2, it->radius = 3.75f, it->width = 0.18f;
    it = Add(s, 'd');
    it->x = -7, it->y = 8.125f;
    it = Add(s, 'a');
    it->x = 0.5f, it->y = -0.5f, it->startAngle = float(kPi / 6), it->endAngle = float(kPi * 1.5);
    it->radius = 2, it->width = 0.25f;
    it = Add(s, 'h');
    it->x = 0, it->y = -4, it->height = 2.5f, it->angle = float(kPi / 2);
    it->text = strdup(kWellText);
    it = Add(s, 'h');
    it->x = 1, it->y = 1, it->height = 1, it->angle = 0;
    it->text = strdup("N, E"); // a comma inside the text: the writer quotes it
    it = Add(s, 'f');
    it->fillIndex = 2, it->fillStyle = 7, it->fillFlag = 1;
    it = Add(s, 'z');
    it->width = 0.3f;
    ASSERT_TRUE(it->allocPoints(4));
    const double zx[4] = {0, 4, 2, 0}, zy[4] = {0, 0, 3.5, 0};
    for (int k = 0; k < 4; ++k)
        it->xs[k] = zx[k], it->ys[k] = zy[k];
    it = Add(s, 'q');
    it->width = 0;
    ASSERT_TRUE(it->allocPoints(2));
    it->xs[0] = -1, it->ys[0] = -2, it->xs[1] = 5.5, it->ys[1] = 6;
}

void ExpectSameItem(const mgSymbolItem& a, const mgSymbolItem& b, int i) {
    SCOPED_TRACE(testing::Message() << "item " << i << " kind " << a.kind);
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_FLOAT_EQ(a.x, b.x);
    EXPECT_FLOAT_EQ(a.y, b.y);
    EXPECT_FLOAT_EQ(a.x2, b.x2);
    EXPECT_FLOAT_EQ(a.y2, b.y2);
    EXPECT_FLOAT_EQ(a.radius, b.radius);
    EXPECT_NEAR(a.startAngle, b.startAngle, 1e-6);
    EXPECT_NEAR(a.endAngle, b.endAngle, 1e-6);
    EXPECT_NEAR(a.angle, b.angle, 1e-6);
    EXPECT_FLOAT_EQ(a.width, b.width);
    EXPECT_FLOAT_EQ(a.height, b.height);
    EXPECT_FLOAT_EQ(a.extra, b.extra);
    EXPECT_EQ(a.fillIndex, b.fillIndex);
    EXPECT_EQ(a.fillStyle, b.fillStyle);
    EXPECT_EQ(a.fillFlag, b.fillFlag);
    ASSERT_EQ(a.count, b.count);
    for (int k = 0; k < a.count; ++k) {
        // Text files hold doubles, binary files floats.
        EXPECT_FLOAT_EQ(float(a.xs[k]), float(b.xs[k]));
        EXPECT_FLOAT_EQ(float(a.ys[k]), float(b.ys[k]));
    }
    ASSERT_EQ(a.text == nullptr, b.text == nullptr);
    if (a.text != nullptr) {
        EXPECT_STREQ(a.text, b.text);
    }
}

void ExpectSameItems(const mgSymbol& a, const mgSymbol& b) {
    ASSERT_EQ(a.GetItems().size(), b.GetItems().size());
    for (size_t i = 0; i < a.GetItems().size(); ++i)
        ExpectSameItem(*a.GetItems()[i], *b.GetItems()[i], int(i));
}

// A descriptor number that is free right now: the next file opened gets the lowest free one.
int NextFreeDescriptor() {
    const std::string path = OutputPath("probe.bin");
    WriteFile(path, "x");
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    _close(fd);
    return fd;
}

} // namespace

TEST(SymbolFiles, EveryKindRoundTripsThroughBothFormats) {
    Symbol src;
    FillEveryKind(src);

    Symbol fromText;
    ASSERT_EQ(ReadText(fromText, symtest::TextFile(src)), 0);
    ExpectSameItems(src, fromText);

    // The binary form also carries the 'T' record (five numbers and a text, kept but not drawn).
    mgSymbolItem* t = Add(src, 'T');
    t->x = 3, t->y = 4, t->height = 5, t->angle = float(kPi), t->extra = 9.5f;
    t->text = strdup("T-text");
    Symbol fromBinary;
    ASSERT_EQ(ReadBinary(fromBinary, symtest::BinaryFile(src)), 0);
    ExpectSameItems(src, fromBinary);

    // Reading again replaces the items rather than appending.
    ASSERT_EQ(ReadBinary(fromBinary, symtest::BinaryFile(src)), 0);
    EXPECT_EQ(fromBinary.GetItems().size(), src.GetItems().size());
}

TEST(SymbolFiles, TextLinesAndTheirRules) {
    Symbol s;
    ASSERT_EQ(ReadText(s, "l,0,0,10,0,0.35\r\n"
                          "  \n"
                          "x\n"              // one character: skipped
                          "d 5,6\n"          // any separator after the kind
                          "f,2,1,0\n"        // style 1 becomes 0
                          "f,3,9,1\n"        // above 7 becomes 7
                          "f,4,-3,0\n"       // below 0 becomes 0
                          "f,5,4,0\n"        // hatch style kept
                          "c,0,0,1e39,nan\n" // beyond a float saturates; not a number is 0
                          "# drawn by hand, 2024\n"),
              0);
    const auto& items = s.GetItems();
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items[0]->kind, 'l');
    EXPECT_FLOAT_EQ(items[0]->x2, 10);
    EXPECT_FLOAT_EQ(items[0]->width, 0.35f);
    EXPECT_EQ(items[1]->kind, 'd');
    EXPECT_FLOAT_EQ(items[1]->y, 6);
    EXPECT_EQ(items[2]->fillStyle, 0);
    EXPECT_EQ(items[3]->fillStyle, 7);
    EXPECT_EQ(items[4]->fillStyle, 0);
    EXPECT_EQ(items[5]->fillStyle, 4);
    EXPECT_EQ(items[6]->radius, FLT_MAX);
    EXPECT_EQ(items[6]->width, 0.0f);
    // The comment line becomes the symbol's comment, whole, and an empty item.
    EXPECT_EQ(items[7]->kind, 0);
    EXPECT_STREQ(s.GetComment(), "# drawn by hand, 2024");

    // A text item without text is -2 and ends the reading after it.
    EXPECT_EQ(ReadText(s, "l,0,0,1,1,0\nh,0,0,2,0,\nl,1,1,2,2,0\n"), -2);
    EXPECT_EQ(s.GetItems().size(), 2u);
    EXPECT_EQ(ReadText(s, "h,0,0,2,0\n"), -2);

    // A polyline's count must be a number of pairs the line holds.
    EXPECT_EQ(ReadText(s, "z,0.1,2,0,0,5,5\n"), 0);
    EXPECT_EQ(s.GetItems()[0]->count, 2);
    EXPECT_EQ(s.GetItems()[0]->ys[1], 5.0);
    EXPECT_EQ(ReadText(s, "z,0.1,2.9,0,0,5,5\n"), 0); // the count is truncated
    EXPECT_EQ(s.GetItems()[0]->count, 2);
    EXPECT_EQ(ReadText(s, "z,0.1,0\n"), 0);
    EXPECT_EQ(s.GetItems()[0]->count, 0);
    EXPECT_EQ(s.GetItems()[0]->xs, nullptr);
    for (const char* bad : {"z,0.1,3,0,0,5,5\n", "z,0.1,-1\n", "q,0,-0.5\n", "z,0,1e300,1,1\n",
                            "z,0,2147483648,1,1\n", "q,0,4e9\n"}) {
        EXPECT_EQ(ReadText(s, bad), -1) << bad;
    }

    // At most 1000 items are read.
    std::string many;
    for (int k = 0; k < 1005; ++k)
        many += "d," + std::to_string(k) + ",0\n";
    EXPECT_EQ(ReadText(s, many), 0);
    ASSERT_EQ(s.GetItems().size(), 1000u);
    EXPECT_FLOAT_EQ(s.GetItems()[999]->x, 999);
}

TEST(SymbolFiles, BinaryWidthsAreClamped) {
    const struct {
        float in, out;
    } cases[] = {{0.35f, 0.35f}, {200, 200},    {250, 200},  {1000, 200},  {1500, 0},
                 {-1, 0},        {-0.0f, 0.0f}, {NAN, 0.0f}, {INFINITY, 0}};
    for (const auto& c : cases) {
        Symbol s;
        Bin b;
        b.Byte('c').F(1).F(2).F(3).F(c.in).Skip(8);
        b.Byte('l').F(0).F(0).F(1).F(1).F(c.in).Skip(4);
        b.Byte('a').F(0).F(0).F(0).F(90).F(1).F(c.in);
        b.Byte('z').F(c.in).I(1).F(0).F(0);
        ASSERT_EQ(ReadBinary(s, b.bytes), 0);
        ASSERT_EQ(s.GetItems().size(), 4u);
        for (const mgSymbolItem* it : s.GetItems())
            EXPECT_EQ(it->width, c.out) << "width " << c.in << " kind " << it->kind;
    }
}

TEST(SymbolFiles, BinaryEndsAtEndOfFileZeroKindOrComment) {
    Symbol s;
    Bin one;
    one.Byte('d').F(1).F(2).Skip(16);
    EXPECT_EQ(ReadBinary(s, one.bytes), 0);
    EXPECT_EQ(s.GetItems().size(), 1u);

    Bin zero = one;
    zero.Byte(0).Byte('d').F(3).F(4).Skip(16);
    EXPECT_EQ(ReadBinary(s, zero.bytes), 0);
    EXPECT_EQ(s.GetItems().size(), 1u);

    Bin comment = one;
    comment.Byte('#').Byte(11).Skip(4).Text("north arrow").Byte('d').F(5).F(6).Skip(16);
    EXPECT_EQ(ReadBinary(s, comment.bytes), 0);
    ASSERT_EQ(s.GetItems().size(), 2u);
    EXPECT_EQ(s.GetItems()[1]->kind, 0);
    EXPECT_STREQ(s.GetComment(), "north arrow");

    // An empty file is an empty symbol.
    EXPECT_EQ(ReadBinary(s, ""), 0);
    EXPECT_TRUE(s.GetItems().empty());

    // A record count of 1000 ends the symbol.
    Bin many;
    for (int k = 0; k < 1001; ++k)
        many.Byte('d').F(float(k)).F(0).Skip(16);
    EXPECT_EQ(ReadBinary(s, many.bytes), 0);
    EXPECT_EQ(s.GetItems().size(), 1000u);
}

// The binary reader reads what the records need and no more, so one descriptor can hold several
// symbols one after the other: each read leaves the descriptor just after its end record (a zero
// kind byte or a comment record). The first symbol here is longer than any read-ahead buffer.
TEST(SymbolFiles, BinarySymbolsFollowEachOtherOnOneDescriptor) {
    Symbol every;
    FillEveryKind(every);
    Bin b;
    for (const mgSymbolItem* it : every.GetItems())
        symtest::Record(b, *it);
    for (int k = 0; k < 400; ++k) // 400 dots of 25 bytes: 10 kB
        b.Byte('d').F(float(k)).F(-1).Skip(16);
    b.Byte(0);
    b.Byte('c').F(1).F(2).F(3).F(0.5f).Skip(8);
    b.Byte('#').Byte(3).Skip(4).Text("two");
    b.Byte('d').F(7).F(8).Skip(16); // the last symbol ends with the file
    const std::string path = OutputPath("several.20s");
    ASSERT_TRUE(WriteFile(path, b.bytes));
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    ASSERT_GE(fd, 0);

    Symbol first, second, third, fourth;
    EXPECT_EQ(first.ReadFileBin(fd), 0);
    ASSERT_EQ(first.GetItems().size(), every.GetItems().size() + 400);
    EXPECT_EQ(first.GetItems().back()->kind, 'd');
    EXPECT_EQ(first.GetItems().back()->x, 399.0f);
    EXPECT_EQ(second.ReadFileBin(fd), 0);
    ASSERT_EQ(second.GetItems().size(), 2u);
    EXPECT_EQ(second.GetItems()[0]->kind, 'c');
    EXPECT_EQ(second.GetItems()[0]->radius, 3.0f);
    EXPECT_EQ(second.GetItems()[1]->kind, 0);
    EXPECT_STREQ(second.GetComment(), "two");
    EXPECT_EQ(third.ReadFileBin(fd), 0);
    ASSERT_EQ(third.GetItems().size(), 1u);
    EXPECT_EQ(third.GetItems()[0]->y, 8.0f);
    EXPECT_EQ(fourth.ReadFileBin(fd), 0); // at the end of the file: an empty symbol
    EXPECT_TRUE(fourth.GetItems().empty());
    char rest = 0;
    EXPECT_EQ(_read(fd, &rest, 1), 0);
    _close(fd);

    // A symbol ends at its 1000th item: the record after it is where the descriptor stays.
    Bin many;
    for (int k = 0; k < 1001; ++k)
        many.Byte('d').F(float(k)).F(0).Skip(16);
    ASSERT_TRUE(WriteFile(path, many.bytes));
    const int fd2 = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    ASSERT_GE(fd2, 0);
    Symbol full, after;
    EXPECT_EQ(full.ReadFileBin(fd2), 0);
    EXPECT_EQ(full.GetItems().size(), 1000u);
    EXPECT_EQ(after.ReadFileBin(fd2), 0);
    ASSERT_EQ(after.GetItems().size(), 1u);
    EXPECT_EQ(after.GetItems()[0]->x, 1000.0f);
    _close(fd2);
}

// Every prefix of a valid file either ends on a record boundary (0) or inside a record (-1): a
// short read is a failure and never reads data that is not there.
TEST(SymbolFiles, BinaryTruncatedAnywhereFailsCleanly) {
    Symbol src;
    FillEveryKind(src);
    mgSymbolItem* t = Add(src, 'T');
    t->text = strdup("tail");
    std::vector<size_t> boundaries{0};
    Bin b;
    for (const mgSymbolItem* it : src.GetItems()) {
        symtest::Record(b, *it);
        boundaries.push_back(b.bytes.size());
    }
    for (size_t n = 0; n <= b.bytes.size(); ++n) {
        Symbol s;
        const bool boundary = std::find(boundaries.begin(), boundaries.end(), n) != boundaries.end();
        EXPECT_EQ(ReadBinary(s, b.bytes.substr(0, n)), boundary ? 0 : -1) << "prefix " << n;
    }
}

TEST(SymbolFiles, BinaryCountsAndLengthsMustFitTheFile) {
    auto text = [](float len, int bytes) {
        Bin b;
        b.Byte('h').F(0).F(0).F(2).F(0).F(len).Skip(4).Text(std::string(size_t(bytes), 'A'));
        return b.bytes;
    };
    auto points = [](char kind, int32_t n, int pairs) {
        Bin b;
        b.Byte(kind).F(0.1f).I(n);
        for (int k = 0; k < pairs; ++k)
            b.F(float(k)).F(float(k));
        return b.bytes;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* what;
        std::string bytes;
    } bad[] = {
        {"negative length", text(-1, 8)},
        {"NaN length", text(NAN, 8)},
        {"infinite length", text(inf, 8)},
        {"length 1e10", text(1e10f, 8)},
        {"length beyond the file", text(9, 8)},
        {"length 2^31", text(2147483648.0f, 8)},
        {"'z' count 0", points('z', 0, 0)},
        {"'z' count -1", points('z', -1, 3)},
        {"'z' count 2^30", points('z', 1 << 30, 3)},
        {"'z' count 2^31-1", points('z', 0x7FFFFFFF, 3)},
        {"'z' count overflowing 16 n", points('z', 0x10000001, 2)},
        {"'q' count -5", points('q', -5, 0)},
        {"'q' count beyond the file", points('q', 4, 3)},
    };
    for (const auto& c : bad) {
        Symbol s;
        EXPECT_EQ(ReadBinary(s, c.bytes), -1) << c.what;
    }
    // The same shapes with numbers the file holds read well.
    Symbol s;
    EXPECT_EQ(ReadBinary(s, text(8, 8)), 0);
    EXPECT_STREQ(s.GetItems()[0]->text, "AAAAAAAA");
    EXPECT_EQ(ReadBinary(s, text(8.9f, 8)), 0);               // truncated to 8
    EXPECT_EQ(ReadBinary(s, text(0.5f, 0).substr(0, 21)), 0); // truncated to 0: nothing follows
    EXPECT_EQ(s.GetItems()[0]->text, nullptr);
    EXPECT_EQ(ReadBinary(s, points('q', 0, 0)), 0);
    EXPECT_EQ(ReadBinary(s, points('z', 3, 3)), 0);
    EXPECT_EQ(s.GetItems()[0]->count, 3);
    EXPECT_EQ(s.GetItems()[0]->xs[2], 2.0);
    EXPECT_EQ(s.GetItems()[0]->ys[2], 2.0);
    // A polyline of many points arriving in several reads.
    EXPECT_EQ(ReadBinary(s, points('z', 5000, 5000)), 0);
    EXPECT_EQ(s.GetItems()[0]->count, 5000);
    EXPECT_EQ(s.GetItems()[0]->xs[4999], 4999.0);
}

TEST(SymbolFiles, CopiesAreDeep) {
    Symbol* src = new Symbol("orig");
    FillEveryKind(*src);
    mgSymbolItem itemCopy(*src->GetItems()[5]); // the text item
    mgSymbolItem polyCopy;
    polyCopy = *src->GetItems()[8];
    Symbol symCopy;
    symCopy = *src;
    Library lib;
    ASSERT_EQ(lib.AddItem(src), 1);
    Library libCopy(lib);
    EXPECT_NE(libCopy.GetItem(0), lib.GetItem(0));
    lib.Clear(); // destroys the original symbol and its items

    EXPECT_STREQ(itemCopy.text, kWellText);
    ASSERT_EQ(polyCopy.count, 4);
    EXPECT_EQ(polyCopy.ys, polyCopy.xs + 4);
    EXPECT_EQ(polyCopy.ys[2], 3.5);
    EXPECT_STREQ(symCopy.GetName(), "orig");
    ASSERT_EQ(libCopy.GetCount(), 1u);
    EXPECT_STREQ(libCopy.GetItem(0)->GetName(), "orig");
    ExpectSameItems(symCopy, *libCopy.GetItem(0));
    mgSymbol& alias = symCopy;
    alias = symCopy; // self-assignment keeps everything
    EXPECT_EQ(symCopy.GetItems().size(), 10u);

    itemCopy.clear();
    EXPECT_EQ(itemCopy.kind, 0);
    EXPECT_EQ(itemCopy.text, nullptr);
}

TEST(SymbolLibrary, NamesAddAndDelete) {
    Library lib;
    EXPECT_EQ(lib.AddItem(nullptr), 0);
    Symbol* unnamed = new Symbol("");
    EXPECT_EQ(lib.AddItem(unnamed), 0);
    delete unnamed;

    const char kTree[] = "\xca\xf7"; // 树
    Symbol* well = new Symbol("Well");
    Symbol* tree = new Symbol(kTree);
    ASSERT_EQ(lib.AddItem(well), 1);
    ASSERT_EQ(lib.AddItem(tree), 1);
    EXPECT_EQ(lib.AddItem(well), 0); // already there
    EXPECT_EQ(lib.Find("wELL"), well);
    EXPECT_EQ(lib.FindIndex(kTree), 1);
    EXPECT_EQ(lib.Find(nullptr), nullptr);
    EXPECT_EQ(lib.Find(""), nullptr);
    EXPECT_EQ(lib.FindIndex("well "), -1);

    // The same name in another letter case replaces the old symbol and goes to the end.
    Symbol* well2 = new Symbol("WELL");
    ASSERT_EQ(lib.AddItem(well2), 1);
    EXPECT_EQ(lib.GetCount(), 2u);
    EXPECT_EQ(lib.GetItem(0), tree);
    EXPECT_EQ(lib.GetItem(1), well2);
    EXPECT_EQ(lib.GetItem(2), nullptr);

    Symbol outsider("outsider");
    lib.DeleteItem(&outsider); // not in the library: left alone
    lib.DeleteItem(nullptr);
    lib.DeleteItem(tree);
    EXPECT_EQ(lib.GetCount(), 1u);
    EXPECT_EQ(mgSymbols::GetObjectA(), &mgSymbols::c_object);
}

TEST(SymbolLibrary, LoadReadsOneFormatAndReplacesByName) {
    const std::string dir = OutputPath("symdir");
    const std::string dir2 = OutputPath("symdir2");
    std::filesystem::create_directories(dir);
    std::filesystem::create_directories(dir2);
    Symbol src;
    FillEveryKind(src);
    ASSERT_TRUE(WriteFile(dir + "/Valve.20s", symtest::BinaryFile(src)));
    ASSERT_TRUE(WriteFile(dir + "/tree.v2.20s", symtest::BinaryFile(src)));
    ASSERT_TRUE(WriteFile(dir + "/broken.20s", symtest::BinaryFile(src).substr(0, 30)));
    ASSERT_TRUE(WriteFile(dir + "/pole.20", symtest::TextFile(src)));
    ASSERT_TRUE(WriteFile(dir + "/notes.txt", "l,0,0,1,1,0\n"));
    Bin dot;
    dot.Byte('d').F(1).F(1).Skip(16);
    ASSERT_TRUE(WriteFile(dir2 + "/VALVE.20s", dot.bytes));

    Library lib;
    mgSymbols::c_bTxtFile = false;
    ASSERT_TRUE(lib.Load(dir.c_str()));
    // The broken file is dropped, the text file not read. (The directory lists in the file system's
    // order, which differs between systems.)
    ASSERT_EQ(lib.GetCount(), 2u);
    ASSERT_NE(lib.Find("tree.v2"), nullptr);
    const mgSymbol* valve = lib.Find("valve");
    ASSERT_NE(valve, nullptr);
    EXPECT_STREQ(valve->GetName(), "Valve");
    ExpectSameItems(src, *valve);

    // A second directory adds to the library; a name in another case replaces and moves to the end.
    ASSERT_TRUE(lib.Load((dir2 + "\\").c_str()));
    ASSERT_EQ(lib.GetCount(), 2u);
    EXPECT_STREQ(lib.GetItem(0)->GetName(), "tree.v2");
    EXPECT_STREQ(lib.GetItem(1)->GetName(), "VALVE");
    EXPECT_EQ(lib.GetItem(1)->GetItems().size(), 1u);

    mgSymbols::c_bTxtFile = true;
    Library txt;
    EXPECT_TRUE(txt.Load(dir.c_str()));
    ASSERT_EQ(txt.GetCount(), 1u);
    EXPECT_STREQ(txt.GetItem(0)->GetName(), "pole");
    ExpectSameItems(src, *txt.GetItem(0));
    EXPECT_FALSE(txt.Load(dir2.c_str())); // no .20 file there
    mgSymbols::c_bTxtFile = false;
    EXPECT_FALSE(txt.Load(OutputPath("no-such-dir").c_str()));
    EXPECT_FALSE(txt.Load(nullptr));
    EXPECT_EQ(txt.GetCount(), 1u);

    // The view's entry clears the process-wide library first.
    ASSERT_TRUE(CGraphSystem::LoadSymbols(dir.c_str()));
    EXPECT_EQ(mgSymbols::c_object.GetCount(), 2u);
    ASSERT_TRUE(CGraphSystem::LoadSymbols(dir2.c_str()));
    EXPECT_EQ(mgSymbols::c_object.GetCount(), 1u);
    EXPECT_FALSE(CGraphSystem::LoadSymbols(OutputPath("no-such-dir").c_str()));
    EXPECT_EQ(mgSymbols::c_object.GetCount(), 0u);
}

// Every file Load opens is closed again, and a file that gets descriptor 0 is read like any other.
TEST(SymbolLibrary, LoadClosesEveryFileAndAcceptsDescriptorZero) {
    const std::string dir = OutputPath("symdir-fd");
    std::filesystem::create_directories(dir);
    Bin good, bad;
    good.Byte('d').F(1).F(2).Skip(16);
    bad.Byte('d').F(1);
    ASSERT_TRUE(WriteFile(dir + "/a.20s", good.bytes));
    ASSERT_TRUE(WriteFile(dir + "/b.20s", bad.bytes));
    ASSERT_TRUE(WriteFile(dir + "/c.20", "d,1,2\n"));

    const int free1 = NextFreeDescriptor();
    Library lib;
    ASSERT_TRUE(lib.Load(dir.c_str()));
    mgSymbols::c_bTxtFile = true;
    ASSERT_TRUE(lib.Load(dir.c_str()));
    mgSymbols::c_bTxtFile = false;
    EXPECT_EQ(lib.GetCount(), 2u);
    EXPECT_EQ(NextFreeDescriptor(), free1);

    // With the standard input closed, the next file opened gets descriptor 0.
    const int savedStdin = dup(0);
    ASSERT_GE(savedStdin, 0);
    close(0);
    ASSERT_EQ(NextFreeDescriptor(), 0);
    Library lib0;
    const bool loaded = lib0.Load(dir.c_str());
    const int freeAfter = NextFreeDescriptor();
    dup2(savedStdin, 0);
    close(savedStdin);
    EXPECT_TRUE(loaded);
    ASSERT_EQ(lib0.GetCount(), 1u);
    EXPECT_STREQ(lib0.GetItem(0)->GetName(), "a");
    EXPECT_EQ(freeAfter, 0);
}

// The sample sets of the repository: the text and the binary directory hold the same symbols, and
// every fill descriptor points at an item that can be filled.
TEST(SymbolLibrary, SampleSetsHoldTheSameSymbols) {
    const std::string root = DRAFT2D_SOURCE_DIR;
    Library text, binary;
    mgSymbols::c_bTxtFile = true;
    ASSERT_TRUE(text.Load((root + "/data/symbols").c_str()));
    mgSymbols::c_bTxtFile = false;
    ASSERT_TRUE(binary.Load((root + "/data/symbols-bin").c_str()));
    ASSERT_GE(text.GetCount(), 10u);
    ASSERT_EQ(text.GetCount(), binary.GetCount());
    for (unsigned i = 0; i < text.GetCount(); ++i) {
        const mgSymbol& t = *text.GetItem(i);
        const mgSymbol& b = *binary.GetItem(i);
        SCOPED_TRACE(t.GetName().c_str());
        EXPECT_STREQ(t.GetName(), b.GetName());
        EXPECT_STREQ(t.GetComment(), b.GetComment());
        EXPECT_NE(t.GetComment().c_str(), nullptr);
        ExpectSameItems(t, b);
        for (const mgSymbolItem* it : t.GetItems()) {
            if (it->kind != 'f')
                continue;
            ASSERT_GE(it->fillIndex, 0);
            ASSERT_LT(size_t(it->fillIndex), t.GetItems().size());
            EXPECT_NE(std::string("rcaz").find(t.GetItems()[size_t(it->fillIndex)]->kind), std::string::npos);
        }
    }
    for (const char* name : {"north", "benchmark", "tree", "well", "valve", "manhole", "pole", "grass"})
        EXPECT_NE(text.Find(name), nullptr) << name;
}
