#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "io/CStringSplit.h"
#include "linetype/CLineType.h"

namespace {

// GBK names of the standard line types.
const char kSolid[] = "\xca\xb5\xcf\xdf";                                    // 实线
const char kDashed[] = "\xd0\xe9\xcf\xdf";                                   // 虚线
const char kTwoDashThreeDots[] = "\xcb\xab\xbb\xae\xc8\xfd\xb5\xe3\xcf\xdf"; // 双划三点线
const char kPipe[] = "\xb9\xdc\xb5\xc0";                                     // 管道

// A registry of our own (the constructor is for derived classes and the load-time object).
struct Registry : CLineTypes {
    explicit Registry(int loadStd = 0) : CLineTypes(loadStd) {}
};

using Dashes = std::vector<std::pair<float, float>>;

Dashes DashesOf(const CLineType& lt) {
    Dashes out;
    for (unsigned i = 0; i < lt.GetCount(); ++i) {
        const CLineType::item_data* it = lt.GetItem(i);
        EXPECT_EQ(it->kind, 'M');
        out.emplace_back(it->start, it->end);
    }
    return out;
}

void ExpectDashes(const CLineType& lt, const Dashes& want, float period) {
    const Dashes got = DashesOf(lt);
    ASSERT_EQ(got.size(), want.size()) << lt.GetName();
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_FLOAT_EQ(got[i].first, want[i].first) << lt.GetName() << " dash " << i;
        EXPECT_FLOAT_EQ(got[i].second, want[i].second) << lt.GetName() << " dash " << i;
    }
    EXPECT_FLOAT_EQ(lt.GetPeriod(), period) << lt.GetName();
}

std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f != nullptr) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    return path;
}

CLineType::item_data ItemFrom(char kind, const char* fields) {
    CStringSplit split;
    EXPECT_TRUE(split.SplitString(fields, -1, true));
    CLineType lt;
    EXPECT_EQ(lt.AddItemDataOfLineType(kind, split), 0);
    EXPECT_EQ(lt.GetCount(), 1u);
    return *lt.GetItem(0);
}

} // namespace

TEST(StandardLineTypes, RegistryHoldsTheFourteenWithTheirPatterns) {
    const CLineTypes& reg = *CLineTypes::GetObjectA();
    ASSERT_EQ(reg.GetCount(), 14u);
    struct Std {
        int index;
        Dashes dashes;
        float period;
    };
    const Std table[] = {
        {2, {{0, 4}}, 5},
        {3, {{0, 4}}, 8},
        {4, {{0, 8}, {9, 9.5f}}, 10.5f},
        {5, {{0, 8}, {9, 9.5f}, {10.5f, 11}}, 12},
        {6, {{0, 8}, {9, 9.5f}, {10.5f, 11}, {12, 12.5f}}, 13.5f},
        {7, {{0, 0.3f}}, 1.3f},
        {8, {{0, 8}, {9, 11}}, 12},
        {9, {{0, 8}, {9, 11}, {12, 14}}, 15},
        {10, {{0, 4}, {5, 5.5f}}, 6.5f},
        {11, {{0, 4}, {5, 9}, {10, 10.5f}}, 11.5f},
        {12, {{0, 4}, {5, 5.5f}, {6.5f, 7}}, 8},
        {13, {{0, 4}, {5, 9}, {10, 10.5f}, {11.5f, 12}}, 13},
        {14, {{0, 4}, {5, 5.5f}, {6.5f, 7}, {8, 8.5f}}, 9.5f},
        {15, {{0, 4}, {5, 9}, {10, 10.5f}, {11.5f, 12}, {13, 13.5f}}, 14.5f},
    };
    for (const Std& s : table) {
        const CLineType* lt = reg.GetItem(static_cast<unsigned>(s.index - 2));
        ASSERT_NE(lt, nullptr);
        EXPECT_EQ(lt->GetName(), CLineTypes::StdLineTypeName(s.index));
        ExpectDashes(*lt, s.dashes, s.period);
        for (unsigned i = 0; i < lt->GetCount(); ++i) {
            EXPECT_EQ(lt->GetItem(i)->offset, 0.0f);
            EXPECT_EQ(lt->GetItem(i)->offsets, nullptr);
        }
    }
    EXPECT_STREQ(CLineTypes::StdLineTypeName(1), kSolid);
    EXPECT_STREQ(CLineTypes::StdLineTypeName(2), kDashed);
    EXPECT_EQ(CLineTypes::StdLineTypeName(0), nullptr);
    EXPECT_EQ(CLineTypes::StdLineTypeName(16), nullptr);

    const CLineType& solid = CLineTypes::c_solidLine;
    EXPECT_EQ(solid.GetName(), "");
    EXPECT_EQ(solid.GetPeriod(), 0.0f);
    EXPECT_EQ(solid.GetCount(), 0u);
}

TEST(SetLineTypeDef, DefinitionStrings) {
    CLineType lt;
    EXPECT_EQ(lt.SetLineTypeDef("4-1", nullptr), 1);
    EXPECT_EQ(lt.GetName(), "4-1");
    ExpectDashes(lt, {{0, 4}}, 5);
    EXPECT_EQ(lt.SetLineTypeDef("", ""), 0);
    EXPECT_EQ(lt.SetLineTypeDef(nullptr, nullptr), 0);
    EXPECT_EQ(lt.SetLineTypeDef(nullptr, "named"), 0);
    EXPECT_EQ(lt.GetName(), "named");

    struct Case {
        const char* def;
        int result;
        Dashes dashes;
        float period;
    };
    const Case cases[] = {
        {"4--1", 1, {{0, 4}}, 5},
        {"-4-1-", 1, {{0, 4}}, 5},
        {"4 - 1", 1, {{0, 4}}, 5},
        {"4- -1", 1, {{0, 4}}, 5}, // a blank piece does not count in the alternation
        {"4-x-1", 1, {{0, 4}}, 4},
        {"4", 1, {{0, 4}}, 4},
        {"0-1", 0, {}, 0},
        {"1-0", 1, {{0, 1}}, 1}, // 0 is not a length: the scan stops before it
        {"0.001", 1, {{0, 0.001f}}, 0.001f},
        {"0.0009", 0, {}, 0},
        {"500-500", 1, {{0, 500}}, 1000},
        {"600-600", 0, {{0, 600}}, 1200},
        {"1000.0001-1", 0, {}, 0},
        {"+4-1", 1, {{0, 4}}, 5},
        {"2e0-1", 1, {{0, 2}}, 3},
        {"1-2-3-4-5", 1, {{0, 1}, {3, 6}, {10, 15}}, 15},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lt.SetLineTypeDef(c.def, "n"), c.result) << c.def;
        ExpectDashes(lt, c.dashes, c.period);
    }
    // A long definition is parsed whole.
    std::string longDef = "0.5";
    for (int i = 0; i < 999; ++i)
        longDef += "-0.5";
    EXPECT_EQ(lt.SetLineTypeDef(longDef.c_str(), nullptr), 1);
    EXPECT_EQ(lt.GetCount(), 500u);
    EXPECT_FLOAT_EQ(lt.GetPeriod(), 500.0f);
}

TEST(LineTypeItems, FieldsOfEveryKind) {
    CLineType::item_data m = ItemFrom('M', "0,4");
    EXPECT_EQ(m.start, 0.0f);
    EXPECT_EQ(m.end, 4.0f);
    EXPECT_EQ(m.offset, 0.0f);
    EXPECT_EQ(m.offsetCount, 0);
    m = ItemFrom('M', "0,4,0.5");
    EXPECT_EQ(m.offset, 0.5f);
    EXPECT_EQ(m.offsets, nullptr);
    m = ItemFrom('M', "1,4,0.5,-0.5,2");
    EXPECT_EQ(m.start, 1.0f);
    EXPECT_EQ(m.offset, 0.0f);
    ASSERT_EQ(m.offsetCount, 3);
    EXPECT_EQ(m.offsets[0], 0.5f);
    EXPECT_EQ(m.offsets[1], -0.5f);
    EXPECT_EQ(m.offsets[2], 2.0f);

    const CLineType::item_data c = ItemFrom('C', "12,0.5,0.4");
    EXPECT_EQ(c.kind, 'C');
    EXPECT_EQ(c.pos, 12.0f);
    EXPECT_EQ(c.offset, 0.5f);
    EXPECT_EQ(c.radius, 0.4f);
    for (char k : {'E', 'H', 'h'}) {
        const CLineType::item_data t = ItemFrom(k, "5,-1,1");
        EXPECT_EQ(t.kind, k);
        EXPECT_EQ(t.pos, 5.0f);
        EXPECT_EQ(t.from, -1.0f);
        EXPECT_EQ(t.to, 1.0f);
    }
    const CLineType::item_data b = ItemFrom('B', "\"valve, big\",18,-2");
    EXPECT_STREQ(b.blockName, "valve, big");
    EXPECT_EQ(b.pos, 18.0f);
    EXPECT_EQ(b.offset, -2.0f);
    const CLineType::item_data f = ItemFrom('b', "grass,5,1,7");
    EXPECT_STREQ(f.blockName, "grass");
    EXPECT_EQ(f.spacing, 5.0f);
    EXPECT_EQ(f.inset, 1.0f);
    EXPECT_EQ(f.fillFlags, 7);
    EXPECT_EQ(ItemFrom('b', "g,1,1,263.9").fillFlags, 7);
    EXPECT_EQ(ItemFrom('b', "g,1,1,-1").fillFlags, 255);
    EXPECT_EQ(ItemFrom('b', "g,1,1,1e300").fillFlags, 0);
    const CLineType::item_data z = ItemFrom('Z', "11,-0.75,90,1.5,0x1FF,\"G, \xcb\xae\"");
    EXPECT_EQ(z.pos, 11.0f);
    EXPECT_EQ(z.offset, -0.75f);
    EXPECT_FLOAT_EQ(z.angle, 1.5707963267948966f);
    EXPECT_EQ(z.height, 1.5f);
    EXPECT_EQ(z.textFlags, 0xFF);
    EXPECT_STREQ(z.text, "G, \xcb\xae");

    // Missing fields read as 0 and as empty texts; unknown kinds are kept with nothing set.
    const CLineType::item_data bare = ItemFrom('Z', "3");
    EXPECT_EQ(bare.pos, 3.0f);
    EXPECT_EQ(bare.height, 0.0f);
    ASSERT_NE(bare.text, nullptr);
    EXPECT_STREQ(bare.text, "");
    EXPECT_STREQ(ItemFrom('B', "").blockName, "");
    const CLineType::item_data q = ItemFrom('Q', "1,2,3");
    EXPECT_EQ(q.kind, 'Q');
    EXPECT_EQ(q.start, 0.0f);
    EXPECT_EQ(q.pos, 0.0f);
    // Numbers beyond the float range saturate; not-a-number becomes 0.
    const CLineType::item_data huge = ItemFrom('C', "1e300,-1e300,nan");
    EXPECT_EQ(huge.pos, FLT_MAX);
    EXPECT_EQ(huge.offset, -FLT_MAX);
    EXPECT_EQ(huge.radius, 0.0f);
    EXPECT_EQ(ItemFrom('Z', "0,0,1e308").angle, FLT_MAX);
}

TEST(LineTypeItems, CopiesOwnTheirBlocksAndReleaseResets) {
    CLineType lt;
    CStringSplit split;
    ASSERT_TRUE(split.SplitString("0,4,0.5,-0.5", -1, true));
    ASSERT_EQ(lt.AddItemDataOfLineType('M', split), 0);
    ASSERT_TRUE(split.SplitString("sym,1,2", -1, true));
    ASSERT_EQ(lt.AddItemDataOfLineType('B', split), 0);
    ASSERT_TRUE(split.SplitString("1,0,0,2,3,text", -1, true));
    ASSERT_EQ(lt.AddItemDataOfLineType('Z', split), 0);
    ASSERT_EQ(lt.SetLineTypeDef("x", "ignored"), 0); // SetLineTypeDef starts afresh
    EXPECT_EQ(lt.GetCount(), 0u);

    ASSERT_TRUE(split.SplitString("0,4,0.5,-0.5", -1, true));
    ASSERT_EQ(lt.AddItemDataOfLineType('M', split), 0);
    ASSERT_TRUE(split.SplitString("sym,1,2", -1, true));
    ASSERT_EQ(lt.AddItemDataOfLineType('B', split), 0);
    ASSERT_TRUE(split.SplitString("1,0,0,2,3,text", -1, true));
    ASSERT_EQ(lt.AddItemDataOfLineType('Z', split), 0);

    CLineType copy(lt);
    ASSERT_EQ(copy.GetCount(), 3u);
    EXPECT_NE(copy.GetItem(0)->offsets, lt.GetItem(0)->offsets);
    EXPECT_EQ(copy.GetItem(0)->offsets[1], -0.5f);
    EXPECT_NE(copy.GetItem(1)->blockName, lt.GetItem(1)->blockName);
    EXPECT_STREQ(copy.GetItem(1)->blockName, "sym");
    EXPECT_NE(copy.GetItem(2)->text, lt.GetItem(2)->text);
    EXPECT_STREQ(copy.GetItem(2)->text, "text");
    EXPECT_EQ(copy.GetItem(2)->textFlags, 3);
    lt.Clear();
    EXPECT_EQ(lt.GetCount(), 0u);
    EXPECT_EQ(lt.GetName(), "");
    EXPECT_STREQ(copy.GetItem(1)->blockName, "sym");

    CLineType assigned;
    assigned = copy;
    const CLineType& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.GetCount(), 3u);

    CLineType::item_data item = *copy.GetItem(2);
    item.Release();
    EXPECT_EQ(item.kind, 'M');
    EXPECT_EQ(item.text, nullptr);
    EXPECT_EQ(item.pos, 0.0f);
    EXPECT_EQ(item.height, 0.0f);
    EXPECT_EQ(item.textFlags, 0);
}

TEST(LineTypeRegistry, FindResolvesAliases) {
    const CLineTypes& reg = CLineTypes::c_object;
    CLineType* solid = &CLineTypes::c_solidLine;
    EXPECT_EQ(reg.Find(nullptr), solid);
    EXPECT_EQ(reg.Find("0"), solid);
    EXPECT_EQ(reg.Find(kSolid), solid);
    EXPECT_EQ(reg.Find("continuous"), solid);
    EXPECT_EQ(reg.Find("CONTINUOUS"), solid);

    const CLineType* dashed = reg.GetItem(0);
    EXPECT_EQ(dashed->GetName(), kDashed);
    EXPECT_EQ(reg.Find(kDashed), dashed);
    EXPECT_EQ(reg.Find("2"), dashed);
    EXPECT_EQ(reg.Find(" 2"), dashed);
    EXPECT_EQ(reg.Find("0x2"), dashed);
    EXPECT_EQ(reg.Find("ACAD_ISO02W100"), dashed);
    EXPECT_EQ(reg.Find("ACAD_ISO2"), dashed);
    EXPECT_EQ(reg.Find("15"), reg.GetItem(13));
    EXPECT_EQ(reg.Find("ACAD_ISO15W100")->GetName(), kTwoDashThreeDots);
    // "1" names the solid line type by its Chinese name, which no registry holds.
    EXPECT_EQ(reg.Find("1"), nullptr);
    EXPECT_EQ(reg.Find("16"), nullptr);
    EXPECT_EQ(reg.Find("2.0"), nullptr);
    EXPECT_EQ(reg.Find("ACAD_ISO16W100"), nullptr);
    EXPECT_EQ(reg.Find("ACAD_ISO01W100"), nullptr);
    EXPECT_EQ(reg.Find("acad_iso02w100"), nullptr); // the prefix is case-sensitive
    EXPECT_EQ(reg.Find("ACAD_ISO"), nullptr);
    EXPECT_EQ(reg.Find(""), nullptr);

    Registry own;
    ASSERT_EQ(own.AddItemDef("3-1", "ACAD_ISO16W100"), 1);
    ASSERT_EQ(own.AddItemDef("3-1", "MyLine"), 1);
    ASSERT_EQ(own.AddItemDef("3-1", "16"), 1);
    EXPECT_EQ(own.Find("ACAD_ISO16W100"), own.GetItem(0));
    EXPECT_EQ(own.Find("myLINE"), own.GetItem(1));
    EXPECT_EQ(own.Find("16"), own.GetItem(2));
    EXPECT_EQ(own.Find("2"), nullptr);
    EXPECT_EQ(own.FindIndex("MYLINE"), 1);
    EXPECT_EQ(own.FindIndex(nullptr), -1);
    EXPECT_EQ(own.FindIndex("0"), -1); // no aliases
    // GBK bytes compare exactly: a lead byte differing only by 0x20 is another name.
    ASSERT_EQ(own.AddItemDef("3-1", "\xd0\xe9"), 1);
    EXPECT_EQ(own.Find("\xf0\xe9"), nullptr);
}

TEST(LineTypeRegistry, AddReplacesByNameAndDeleteOnlyOwnItems) {
    Registry reg;
    CLineType* a = new CLineType;
    ASSERT_EQ(a->SetLineTypeDef("4-1", "Abc"), 1);
    CLineType* b = new CLineType;
    ASSERT_EQ(b->SetLineTypeDef("2-1", "Other"), 1);
    EXPECT_EQ(reg.AddItem(a), 1);
    EXPECT_EQ(reg.AddItem(b), 1);
    EXPECT_EQ(reg.AddItem(a), 0); // already there: nothing changes
    EXPECT_EQ(reg.GetCount(), 2u);

    CLineType* c = new CLineType;
    ASSERT_EQ(c->SetLineTypeDef("8-1", "ABC"), 1);
    EXPECT_EQ(reg.AddItem(c), 1); // a is destroyed, c goes to the end
    ASSERT_EQ(reg.GetCount(), 2u);
    EXPECT_EQ(reg.GetItem(0), b);
    EXPECT_EQ(reg.GetItem(1), c);
    EXPECT_EQ(reg.GetItem(2), nullptr);

    CLineType unnamed;
    EXPECT_EQ(reg.AddItem(&unnamed), 0);
    EXPECT_EQ(reg.AddItem(nullptr), 0);
    EXPECT_EQ(reg.AddItemDef("0-1", "Bad"), 0);
    EXPECT_EQ(reg.GetCount(), 2u);

    reg.DeleteItem(&CLineTypes::c_solidLine);
    reg.DeleteItem(nullptr);
    CLineType notOurs;
    ASSERT_EQ(notOurs.SetLineTypeDef("1-1", "Other"), 1);
    reg.DeleteItem(&notOurs); // not registered: left alone (it lives on the stack)
    EXPECT_EQ(reg.GetCount(), 2u);
    reg.DeleteItem(b);
    ASSERT_EQ(reg.GetCount(), 1u);
    EXPECT_EQ(reg.GetItem(0), c);
    reg.Clear();
    EXPECT_EQ(reg.GetCount(), 0u);
}

TEST(LineTypeRegistry, CopiesAreDeep) {
    Registry copy;
    static_cast<CLineTypes&>(copy) = CLineTypes::c_object;
    ASSERT_EQ(copy.GetCount(), 14u);
    for (unsigned i = 0; i < 14; ++i) {
        EXPECT_NE(copy.GetItem(i), CLineTypes::c_object.GetItem(i));
        EXPECT_EQ(copy.GetItem(i)->GetName(), CLineTypes::c_object.GetItem(i)->GetName());
        EXPECT_EQ(DashesOf(*copy.GetItem(i)), DashesOf(*CLineTypes::c_object.GetItem(i)));
    }
    copy.DeleteItem(copy.Find("2"));
    EXPECT_EQ(copy.GetCount(), 13u);
    EXPECT_EQ(CLineTypes::c_object.GetCount(), 14u);
    CLineTypes second(copy);
    EXPECT_EQ(second.GetCount(), 13u);
    EXPECT_EQ(second.Find("2"), nullptr);
}

TEST(LineTypeFile, SampleFileHoldsEveryItemKind) {
    Registry reg;
    const std::string path = std::string(DRAFT2D_SOURCE_DIR) + "/data/linetypes.lin";
    ASSERT_EQ(reg.LoadFromFile(path.c_str()), 10);
    std::string kinds;
    for (unsigned i = 0; i < reg.GetCount(); ++i)
        for (unsigned k = 0; k < reg.GetItem(i)->GetCount(); ++k)
            if (kinds.find(reg.GetItem(i)->GetItem(k)->kind) == std::string::npos)
                kinds += reg.GetItem(i)->GetItem(k)->kind;
    for (char k : std::string("MCEHhBbZ"))
        EXPECT_NE(kinds.find(k), std::string::npos) << k;

    const CLineType* dd = reg.Find("dashdot");
    ASSERT_NE(dd, nullptr);
    EXPECT_EQ(dd->GetComment(), "dash and dot");
    ExpectDashes(*dd, {{0, 8}, {9, 9.5f}}, 10.5f);
    const CLineType* rails = reg.Find("Rails");
    ASSERT_NE(rails, nullptr);
    ASSERT_EQ(rails->GetItem(0)->offsetCount, 2);
    EXPECT_EQ(rails->GetItem(0)->offsets[0], 0.5f);
    const CLineType* pipe = reg.Find(kPipe);
    ASSERT_NE(pipe, nullptr);
    EXPECT_EQ(pipe->GetPeriod(), 24.0f);
    ASSERT_EQ(pipe->GetCount(), 3u);
    EXPECT_STREQ(pipe->GetItem(1)->text, "\xcb\xae"); // 水
    EXPECT_EQ(reg.Find("Pipeline")->GetItem(1)->blockName, std::string("valve"));
}

TEST(LineTypeFile, MissingFileAndTextsOfEveryShape) {
    Registry reg;
    EXPECT_EQ(reg.LoadFromFile(nullptr), -1);
    EXPECT_EQ(reg.LoadFromFile((std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/no/such.lin").c_str()), -1);

    // CRLF line ends, comments, blank and one-character lines, statements before any line type,
    // keys of other letters, quoted fields and a period of huge size.
    const std::string text = ":orphan comment\r\nM0,1\r\nD7\r\n\r\nX\r\n# note\r\n"
                             "*  First  \r\n  :  spaced comment \r\nD1e300\r\nM 0 , 2 \r\nq ignored\r\n"
                             "Z1,0,0,2,0,\"a,b\"\r\n*Second\r\nM0,1\r\n";
    ASSERT_EQ(reg.LoadFromFile(WriteFile("shapes.lin", text).c_str()), 2);
    const CLineType* first = reg.GetItem(0);
    EXPECT_EQ(first->GetName(), "  First");
    EXPECT_EQ(first->GetComment(), "  spaced comment");
    EXPECT_EQ(first->GetPeriod(), FLT_MAX);
    ASSERT_EQ(first->GetCount(), 2u);
    EXPECT_EQ(first->GetItem(0)->end, 2.0f);
    EXPECT_STREQ(first->GetItem(1)->text, "a,b");
    EXPECT_EQ(reg.GetItem(1)->GetName(), "Second");
    EXPECT_EQ(reg.GetItem(1)->GetPeriod(), 0.0f); // only 'D' lines set the period
}

TEST(LineTypeFile, ErrorsStopLoadingAndKeepEarlierLineTypes) {
    {
        Registry reg;
        // B has no items when C opens: loading stops, A stays, B and C are dropped.
        const std::string text = "*A\nM0,1\n*B\nD4\n*C\nM0,1\n";
        EXPECT_EQ(reg.LoadFromFile(WriteFile("noitems.lin", text).c_str()), 1);
        EXPECT_EQ(reg.GetItem(0)->GetName(), "A");
    }
    {
        Registry reg;
        // A line that cannot be split ends loading without error: the open line type is added.
        const std::string text = "*A\nM0,1\nM0,2\\\n*B\nM0,1\n";
        EXPECT_EQ(reg.LoadFromFile(WriteFile("unsplittable.lin", text).c_str()), 1);
        EXPECT_EQ(reg.GetItem(0)->GetCount(), 1u);
    }
    {
        Registry reg;
        // The last line type without items is dropped like one closed by a new line type.
        EXPECT_EQ(reg.LoadFromFile(WriteFile("lastempty.lin", "*A\nM0,1\n*B\n:none\n").c_str()), 1);
    }
    {
        // A file may replace a line type of the registry; the new one moves to the end.
        Registry reg(1);
        const std::string text = std::string("*") + kDashed + "\nD3\nM0,2\n";
        EXPECT_EQ(reg.LoadFromFile(WriteFile("replace.lin", text).c_str()), 14);
        EXPECT_EQ(reg.GetItem(13)->GetName(), kDashed);
        EXPECT_EQ(reg.Find("2"), reg.GetItem(13));
        EXPECT_FLOAT_EQ(reg.Find("2")->GetPeriod(), 3.0f);
    }
}

TEST(LineTypeFile, LongLinesAreReadInPieces) {
    Registry reg;
    // A 600-character name line: the first 254 characters make the name, the remaining pieces
    // start with 'x' and are ignored.
    const std::string text = "*" + std::string(600, 'x') + "\nM0,1\n" + std::string(300, 'M') + "\n";
    ASSERT_EQ(reg.LoadFromFile(WriteFile("long.lin", text).c_str()), 1);
    const CLineType* lt = reg.GetItem(0);
    EXPECT_EQ(lt->GetName(), std::string(253, 'x'));
    // The 300 'M's become an item line of 254 characters and one of 46: three items in all.
    EXPECT_EQ(lt->GetCount(), 3u);
}

TEST(LineTypeFile, LoadingIsBounded) {
    {
        Registry reg;
        std::string text;
        for (int i = 0; i < 100000; ++i)
            text += "*T" + std::to_string(i) + "\nM0,1\n";
        EXPECT_EQ(reg.LoadFromFile(WriteFile("many.lin", text).c_str()), 1000);
        EXPECT_EQ(reg.GetItem(999)->GetName(), "T999");
    }
    {
        Registry reg;
        std::string ok = "*Full\n";
        for (int i = 0; i < 1000; ++i)
            ok += "C" + std::to_string(i) + ",0,0.1\n";
        std::string text = "*Small\nM0,1\n" + ok + "*Big\n";
        for (int i = 0; i < 5000; ++i)
            text += "M" + std::to_string(i) + "," + std::to_string(i + 1) + "\n";
        text += "*After\nM0,1\n";
        // Full holds exactly the limit; Big exceeds it and stops loading with an error.
        EXPECT_EQ(reg.LoadFromFile(WriteFile("bigtype.lin", text).c_str()), 2);
        EXPECT_EQ(reg.GetItem(1)->GetName(), "Full");
        EXPECT_EQ(reg.GetItem(1)->GetCount(), 1000u);
        EXPECT_EQ(reg.Find("Big"), nullptr);
        EXPECT_EQ(reg.Find("After"), nullptr);
    }
    {
        Registry reg;
        // Binary junk: zero bytes, high bytes, no line ends.
        std::string junk;
        for (int i = 0; i < 20000; ++i)
            junk += static_cast<char>((i * 131 + 7) % 256);
        const int n = reg.LoadFromFile(WriteFile("junk.lin", junk).c_str());
        EXPECT_GE(n, 0);
        EXPECT_LE(n, 1001);
    }
}
