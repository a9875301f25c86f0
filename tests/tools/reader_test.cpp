// The script reader: what every row kind puts into the drawing, and what every bad row says.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "io/CStringSplit.h"
#include "script/reader_p.h"
#include "script/script.h"

using namespace draft2d::script;

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

struct Read {
    Drawing drawing;
    std::vector<Diagnostic> diags;
    int failed = 0;

    explicit Read(const std::string& text, ReaderOptions options = {}) {
        options.baseDir = DRAFT2D_SOURCE_DIR;
        failed = ReadScript(text, "t.d2d", options, drawing, diags);
    }
    const Entity& E(size_t i) const { return drawing.entities.at(i); }
    std::string Messages() const {
        std::string s;
        for (const Diagnostic& d : diags) {
            s += d.Format() + "\n";
        }
        return s;
    }
};

std::vector<double> V(std::initializer_list<double> v) {
    return v;
}

} // namespace

TEST(ScriptReader, EntityRowsCarryTheirNumbersInScriptOrder) {
    Read r("line,0,0,10,5\n"
           "polyline,0,0,1,1,2,0\n"
           "polygon,0,0,4,0,4,3\n"
           "spline,0,0,5,5,10,0,closed=yes\n"
           "circle,1,2,3\n"
           "arc,1,2,3,90,-45,type=pie\n"
           "ellipse,0,0,4,2\n"
           "ellipse,0,0,4,2,30\n"
           "rect,1,1,10,5\n"
           "rect,1,1,10,5,45\n"
           "text,3,4,\"a, b\"\n"
           "dim,0,0,30,0,-5\n"
           "dim,0,0,0,20,5,\"20 m\",decimals=2\n");
    ASSERT_EQ(r.failed, 0) << r.Messages();
    ASSERT_EQ(r.drawing.entities.size(), 13u);
    const Kind kinds[] = {Kind::Line, Kind::Polyline,  Kind::Polygon,  Kind::Spline, Kind::Circle,
                          Kind::Arc,  Kind::Ellipse,   Kind::Ellipse,  Kind::Rect,   Kind::Rect,
                          Kind::Text, Kind::Dimension, Kind::Dimension};
    for (size_t i = 0; i < 13; ++i) {
        EXPECT_EQ(r.E(i).kind, kinds[i]) << i;
        EXPECT_EQ(r.E(i).row, static_cast<int>(i) + 1);
    }
    EXPECT_EQ(r.E(0).Numbers(), V({0, 0, 10, 5}));
    EXPECT_EQ(r.E(1).Numbers(), V({0, 0, 1, 1, 2, 0}));
    EXPECT_TRUE(r.E(3).closed);
    EXPECT_EQ(r.E(4).Numbers(), V({1, 2, 3}));
    EXPECT_EQ(r.E(5).arcType, 1);
    EXPECT_DOUBLE_EQ(r.E(5).v[3], 90 * kDeg);
    EXPECT_DOUBLE_EQ(r.E(5).v[4], -45 * kDeg);
    EXPECT_EQ(r.E(6).v[4], 0.0);
    EXPECT_DOUBLE_EQ(r.E(7).v[4], 30 * kDeg);
    EXPECT_EQ(r.E(8).Numbers(), V({1, 1, 10, 5, 0}));
    EXPECT_EQ(r.drawing.TextOf(r.E(10)), "a, b");
    EXPECT_EQ(r.E(11).Numbers(), V({0, 0, 30, 0, -5}));
    EXPECT_EQ(r.drawing.TextOf(r.E(11)), "");
    EXPECT_EQ(r.drawing.TextOf(r.E(12)), "20 m");
    EXPECT_EQ(r.E(12).decimals, 2);
}

TEST(ScriptReader, HeaderRowsSetUpTheDrawing) {
    Read r("units,m,500,20,15\n"
           "paper,A3,25,10,10,10\n"
           "background,#102030\n"
           "grid,5,2.5,style=lines,over=window,colour=red,origin=1 2\n"
           "view,extent\n");
    ASSERT_EQ(r.failed, 0) << r.Messages();
    const Drawing& d = r.drawing;
    EXPECT_EQ(d.unit, 2);
    EXPECT_EQ(d.scale, 500);
    EXPECT_EQ(d.originX, 20);
    EXPECT_EQ(d.originY, 15);
    EXPECT_DOUBLE_EQ(d.UserToMm(), 2.0); // 1000 mm per metre at 1:500
    EXPECT_EQ(d.paperWidth, 420);
    EXPECT_EQ(d.paperHeight, 297);
    EXPECT_TRUE(d.hasMargins);
    EXPECT_EQ(d.margins[0], 25);
    EXPECT_EQ(d.margins[3], 10);
    EXPECT_EQ(d.background, 0x302010u); // #rrggbb becomes 0x00BBGGRR
    EXPECT_TRUE(d.hasGrid);
    EXPECT_EQ(d.gridX, 5);
    EXPECT_EQ(d.gridY, 2.5);
    EXPECT_EQ(d.gridStyle, 1);
    EXPECT_EQ(d.gridType, 1);
    EXPECT_EQ(d.gridColour, 0x0000FFu);
    EXPECT_EQ(d.gridOriginX, 1);
    EXPECT_EQ(d.gridOriginY, 2);
    EXPECT_EQ(d.fit, ViewFit::Extent);

    Read w("paper,300,200\nview,10,20,0,0\n");
    ASSERT_EQ(w.failed, 0) << w.Messages();
    EXPECT_FALSE(w.drawing.hasMargins);
    EXPECT_EQ(w.drawing.paperWidth, 300);
    EXPECT_EQ(w.drawing.fit, ViewFit::Window);
    EXPECT_EQ(w.drawing.window.left(), 0);
    EXPECT_EQ(w.drawing.window.top(), 20);
}

TEST(ScriptReader, SetRowsAndAttributesResolveEachEntitysStyle) {
    Read r("linetype,Border,12-3-2-3\n"
           "set,colour=blue,width=0.35,ltype=Border,lscale=2\n"
           "line,0,0,1,1\n"
           "line,0,0,1,1,colour=#ff8000,width=3px,ltype=none,fill=cross,fillcolour=green,space=paper\n"
           "set,fill=solid,space=paper\n"
           "circle,0,0,1\n"
           "set,ltype=\xe8\x99\x9a\xe7\xba\xbf\n" // 虚线, a standard line type, in UTF-8
           "line,0,0,1,1\n");
    ASSERT_EQ(r.failed, 0) << r.Messages();
    const Style& a = r.drawing.StyleOf(r.E(0));
    EXPECT_EQ(a.colour, 0xFF0000u);
    EXPECT_EQ(a.width, 35); // hundredths of a millimetre
    EXPECT_EQ(a.lineType, "Border");
    EXPECT_EQ(a.lineScale, 2);
    EXPECT_EQ(a.fill, Fill::None);
    EXPECT_EQ(r.E(0).space, Space::User);
    const Style& b = r.drawing.StyleOf(r.E(1));
    EXPECT_EQ(b.colour, 0x0080FFu);
    EXPECT_EQ(b.width, -3); // pixels are negative widths
    EXPECT_EQ(b.lineType, "");
    EXPECT_EQ(b.fill, Fill::Hatch);
    EXPECT_EQ(b.hatch, HS_CROSS);
    EXPECT_EQ(b.fillColour, 0x008000u);
    EXPECT_EQ(r.E(1).space, Space::Paper);
    // An attribute changes its own row only; set rows carry on.
    EXPECT_EQ(r.drawing.StyleOf(r.E(2)).colour, 0xFF0000u);
    EXPECT_EQ(r.drawing.StyleOf(r.E(2)).fill, Fill::Solid);
    EXPECT_EQ(r.E(2).space, Space::Paper);
    EXPECT_EQ(r.drawing.StyleOf(r.E(3)).lineType, "\xd0\xe9\xcf\xdf"); // GBK
}

TEST(ScriptReader, TextStylesAndTextAttributesBuildTheFormat) {
    Read r("textstyle,title,height=7,font=\xe9\xbb\x91\xe4\xbd\x93,fonteng=Arial,bold=yes,align=cm\n"
           "text,0,0,\xe6\xa0\x87\xe9\xa2\x98,textstyle=title,angle=90\n"
           "set,textstyle=title\n"
           "text,0,0,abc,height=2.5,italic=yes,align=rt,chargap=0.2,widthfactor=0.8\n"
           "text,0,0,x\n");
    ASSERT_EQ(r.failed, 0) << r.Messages();
    const CFontFormat& t = r.drawing.FormatOf(r.E(0));
    EXPECT_EQ(t.Height(), 7);
    EXPECT_STREQ(t.FontName(), "\xba\xda\xcc\xe5"); // 黑体 in GBK
    EXPECT_STREQ(t.FontNameEng(), "Arial");
    EXPECT_TRUE(t.Bold());
    EXPECT_EQ(t.Align(), 1u | 4u);
    EXPECT_DOUBLE_EQ(t.Angle(), 90 * kDeg);
    EXPECT_EQ(r.drawing.TextOf(r.E(0)), "\xb1\xea\xcc\xe2"); // 标题 in GBK
    const CFontFormat& u = r.drawing.FormatOf(r.E(1));
    EXPECT_EQ(u.Height(), 2.5);
    EXPECT_TRUE(u.Bold()); // from the style set before
    EXPECT_TRUE(u.Italic());
    EXPECT_EQ(u.Align(), 2u | 8u);
    EXPECT_FLOAT_EQ(u.CharGap(), 0.2f);
    EXPECT_FLOAT_EQ(u.WidthPer(), 0.8f);
    EXPECT_EQ(r.drawing.FormatOf(r.E(2)).Height(), 7);
    // A text that looks like an attribute is still the text.
    Read e("text,0,0,E=mc2,height=4\n");
    ASSERT_EQ(e.failed, 0) << e.Messages();
    EXPECT_EQ(e.drawing.TextOf(e.E(0)), "E=mc2");
    EXPECT_EQ(e.drawing.FormatOf(e.E(0)).Height(), 4);
    // The standard style of a drawing: 3.5 mm.
    Read s("text,0,0,x\n");
    EXPECT_EQ(s.drawing.FormatOf(s.E(0)).Height(), 3.5);
}

TEST(ScriptReader, CommentsBlankLinesLineEndsAndEncodings) {
    Read r("\xEF\xBB\xBF; a comment\r\n"
           "\r\n"
           "   # another\n"
           "  line , 0 ,0, 1,1 \r\n"
           "encoding,gbk\n"
           "text,0,0,\xb1\xea\xcc\xe2\n"
           "encoding,utf-8\n"
           "text,0,0,\xe6\xa0\x87\xe9\xa2\x98");
    ASSERT_EQ(r.failed, 0) << r.Messages();
    ASSERT_EQ(r.drawing.entities.size(), 3u);
    EXPECT_EQ(r.E(0).row, 4);
    EXPECT_EQ(r.E(0).Numbers(), V({0, 0, 1, 1}));
    EXPECT_EQ(r.drawing.TextOf(r.E(1)), "\xb1\xea\xcc\xe2");
    EXPECT_EQ(r.drawing.TextOf(r.E(2)), "\xb1\xea\xcc\xe2");
}

TEST(ScriptReader, FilesOfLineTypesAndSymbols) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(DRAFT2D_TEST_OUTPUT_DIR) / "reader_symbols";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "Tree.20") << "c,0,0,1,0\n";
    std::ofstream(dir / "Well.20") << "c,0,0,1,0\n";
    std::ofstream(dir / "Ignored.20s") << "x";
    Read r("linetypes,data/linetypes.lin\n"
           "symbols," +
           dir.string() +
           ",text\n"
           "line,0,0,1,1,ltype=dashdot\n"
           "symbol,tree,5,5\n"
           "symbol,Well,5,5,90,2\n"
           "symbol,Ignored,5,5\n");
    EXPECT_EQ(r.failed, 1) << r.Messages();
    ASSERT_EQ(r.drawing.entities.size(), 3u);
    EXPECT_EQ(r.drawing.StyleOf(r.E(0)).lineType, "dashdot"); // the library compares names case-insensitively
    EXPECT_EQ(r.drawing.TextOf(r.E(1)), "tree");
    EXPECT_EQ(r.E(2).Numbers(), V({5, 5, 90 * kDeg, 2}));
    ASSERT_EQ(r.diags.size(), 1u);
    EXPECT_EQ(r.diags[0].row, 6);
    EXPECT_EQ(r.diags[0].column, 8);
    EXPECT_EQ(r.diags[0].message, "unknown symbol 'Ignored'");
    ASSERT_EQ(r.drawing.symbolDirs.size(), 1u);
    EXPECT_TRUE(r.drawing.symbolDirs[0].text);
}

// Every message of the reader, with the column it points at. Each case is one row after a valid
// first row (a line, unless the case names another), so the row number is always 2, and the good
// rows around it still arrive.
TEST(ScriptReader, EveryBadRowNamesItsRowColumnAndWhatWasExpected) {
    struct Case {
        const char* row;
        int column;
        const char* message;
        const char* first = "line,0,0,1,1";
    } cases[] = {
        {"lien,0,0,1,1", 1, "unknown row kind 'lien'"},
        {"line,0,0,1", 11, "line: expected 4 fields (x1, y1, x2, y2), found 3"},
        {"line,0,0,1,1,2", 14, "line: expected 4 fields (x1, y1, x2, y2), found 5"},
        {"line,0,abc,1,1", 8, "expected a number for y1, found 'abc'"},
        {"line,0,nan,1,1", 8, "expected a number for y1, found 'nan'"},
        {"line,0,inf,1,1", 8, "expected a number for y1, found 'inf'"},
        {"line,0x10,0,1,1", 6, "expected a number for x1, found '0x10'"},
        {"line,1e300,0,1,1", 6, "x1 1e300 is out of range (-1e+09 to 1e+09)"},
        {"line,1e999,0,1,1", 6, "expected a number for x1, found '1e999'"},
        {"circle,0,0,-1", 12, "radius -1 is out of range (1e-06 to 1e+09)"},
        {"circle,0,0,0", 12, "radius 0 is out of range (1e-06 to 1e+09)"},
        {"polyline,0,0,1,1,2", 18, "polyline: expected pairs of x and y, found 5 numbers"},
        {"polygon,0,0,1,1", 16, "polygon: expected at least 6 fields (pairs of x and y), found 4"},
        {"arc,0,0,1,0,90,type=wedge", 16, "expected arc, pie or chord for type, found 'wedge'"},
        {"ellipse,0,0,1", 14,
         "ellipse: expected 4 to 5 fields (cx, cy, rx, ry, then the angle in degrees), found 3"},
        {"text,0,0,", 10, "text: expected 3 fields (x, y, text), found 2"},
        {"text,0,0,\"\",colour=red", 10, "text: expected a text"},
        {"text,0,0,\xff\xfe", 10,
         "text '\\xff\\xfe' is not UTF-8 (byte 0xFF): save the script as UTF-8, or put encoding,gbk before "
         "GBK rows"},
        {"text,0,0,x,textstyle=none", 12, "text style 'none' is not defined"},
        {"text,0,0,x,align=mc", 12,
         "expected an alignment of two letters, l/c/r then b/m/t (such as lb or cm), found 'mc'"},
        {"text,0,0,x,height=0", 12, "expected a number from 0.1 to 1000 for height, found '0'"},
        {"text,0,0,x,bold=maybe", 12, "expected yes or no for bold, found 'maybe'"},
        {"line,0,0,1,1,colour=puce", 14,
         "unknown colour 'puce' (expected #rrggbb, a colour name or contrast)"},
        {"line,0,0,1,1,width=25", 14, "expected a width of 0 to 20 (mm) or 0px to 100px, found '25'"},
        {"line,0,0,1,1,ltype=Nothing", 14, "unknown line type 'Nothing'"},
        {"line,0,0,1,1,lscale=0", 14, "expected a line type scale from 0.000001 to 1000000, found '0'"},
        {"line,0,0,1,1,fill=dots", 14,
         "unknown fill 'dots' (expected none, solid, horizontal, vertical, fdiagonal, bdiagonal, cross or "
         "diagcross)"},
        {"line,0,0,1,1,space=screen", 14, "expected user or paper for space, found 'screen'"},
        {"line,0,0,1,1,size=2", 14, "line has no attribute 'size'"},
        {"line,0,0,colour=red,1,1", 21, "expected key=value after the first attribute, found '1'"},
        {"symbol,Tree,0,0", 8, "unknown symbol 'Tree' (no symbols row before it)"},
        {"dim,1,1,1,1,5", 5, "dim: the two points coincide"},
        {"dim,0,0,1,1,5,decimals=9", 15, "expected 0 to 6 for decimals, found '9'"},
        {"spline,0,0,1,1,closed=2", 16, "expected yes or no for closed, found '2'"},
        {"units,furlong,1", 7, "unknown unit 'furlong' (expected mm, cm, m, km, in or ft)"},
        {"units,m,0", 9, "scale 0 is out of range (1e-06 to 1e+09)"},
        {"units,m,100", 1, "units must come before the first entity"},
        {"paper,B5", 7, "expected a paper width in mm or a size A0 to A4, found 'B5'"},
        {"paper,1,100", 7, "paper width 1 is out of range (2 to 100000)"},
        {"paper,A4,1,2", 13,
         "paper: expected four margins (left, top, right, bottom in mm) or none, found 2"},
        {"paper,100,100,60,0,60,0", 15, "paper: the margins leave no room on a sheet of 100 to 100"},
        {"background,contrast", 12, "expected a colour (#rrggbb or a colour name), found 'contrast'"},
        {"grid,0", 6, "dx 0 is out of range (1e-06 to 1e+09)"},
        {"grid,5,style=cross", 8, "expected dots or lines for style, found 'cross'"},
        {"grid,5,over=all", 8, "expected paper or window for over, found 'all'"},
        {"grid,5,origin=1", 8, "expected two numbers separated by a space for origin, found '1'"},
        {"linetypes,no/such.lin", 11, "cannot read line type file '" DRAFT2D_SOURCE_DIR "/no/such.lin'"},
        {"linetype,Bad,abc", 14,
         "linetype: expected a length in mm for dash 1 of 'abc', found 'abc' (lengths are joined by single "
         "'-', "
         "such as 12-3-2-3)"},
        {"linetype,,1-1", 10, "linetype: expected a name"},
        {"symbols,no/such", 9, "cannot read symbol folder '" DRAFT2D_SOURCE_DIR "/no/such'"},
        {"symbols,data,pictures", 14, "expected text or binary, found 'pictures'"},
        {"symbols,data", 9, "symbol folder '" DRAFT2D_SOURCE_DIR "/data' holds no .20s files"},
        {"textstyle,t,size=3", 13, "textstyle has no attribute 'size'"},
        {"view,everything", 6, "expected paper, extent or four numbers, found 'everything'"},
        {"view,0,0,0,5", 6, "view: the rectangle has no area"},
        {"set,1", 5, "set: expected 0 fields (attributes only), found 1"},
        {"set,textstyle=x", 5, "text style 'x' is not defined"},
        {"encoding,latin1", 10, "expected utf-8 or gbk, found 'latin1'"},
        {"paper,A4,colour=red", 10, "paper takes no attributes, found 'colour=red'"},
        {"line,0,0,1,1\\", 13, "the row ends in a lone backslash"},
        // What CStringSplit would take silently.
        {"text,0,0,\"abc,colour=red", 10,
         "unclosed double quote (the row ends inside the quoted item that starts here)"},
        {"text,0,0,a\\xb", 11, "unknown escape '\\x' (known: \\\\ \\\" \\' \\, \\n \\r \\t)"},
        {"text,0,0,12\" pipe", 12,
         "a double quote inside an item (write \\\" for a double quote, or quote the whole item)"},
        {"text,0,0,\"ab\"cd", 14, "text after the closing double quote"},
        {"line,0,0,1,1,colour=red,colour=blue", 25, "colour is given twice (first at column 14)"},
        {"line,0,0,1,1,color=red,width=1,colour=blue", 32, "colour is given twice (first at column 14)"},
        {"paper,A3", 1, "paper: a drawing has one paper row; the first is row 1", "paper,A4"},
        {"units,m,100", 1, "units: a drawing has one units row; the first is row 1", "units,mm,1"},
        {"grid,5", 1, "grid: a drawing has one grid row; the first is row 1", "grid,10"},
        {"background,red", 1, "background: a drawing has one background row; the first is row 1",
         "background,navy"},
        {"view,extent", 1, "view: a drawing has one view row; the first is row 1", "view,paper"},
        {"dim,0,0,40,0,5,R=42", 16, "dim has no attribute 'r'"},
        // Line type definitions: dash, gap, dash ... joined by single '-'.
        {"linetype,Bad,12-x-3", 14,
         "linetype: expected a length in mm for gap 1 of '12-x-3', found 'x' (lengths are joined by single "
         "'-', "
         "such as 12-3-2-3)"},
        {"linetype,Bad,-3-2", 14,
         "linetype: expected a length in mm for dash 1 of '-3-2', found '' (lengths are joined by single "
         "'-', "
         "such as 12-3-2-3)"},
        {"linetype,Bad,3--2", 14,
         "linetype: expected a length in mm for gap 1 of '3--2', found '' (lengths are joined by single '-', "
         "such as 12-3-2-3)"},
        {"linetype,Bad,3-2-", 14,
         "linetype: expected a length in mm for dash 2 of '3-2-', found '' (lengths are joined by single "
         "'-', "
         "such as 12-3-2-3)"},
        {"linetype,Bad,4-0-1", 14, "linetype: gap 1 of '4-0-1' is 0 mm; gaps are 0.001 to 1000 mm"},
        {"linetype,Bad,0.0001-1", 14,
         "linetype: dash 1 of '0.0001-1' is 0.0001 mm; dashes are 0 (a dot) or 0.001 to 1000 mm"},
        {"linetype,Bad,600-600", 14, "linetype: the pattern '600-600' is 1200 mm long; at most 1000 mm"},
        // Fields named by their role.
        {"line,0,0,abc,1", 10, "expected a number for x2, found 'abc'"},
        {"polyline,0,0,1,1,2,zz", 20, "expected a number for y3, found 'zz'"},
        {"dim,0,0,1,q,5", 11, "expected a number for y2, found 'q'"},
        {"ellipse,0,0,2,-1", 15, "ry -1 is out of range (1e-06 to 1e+09)"},
        // Characters GBK does not have, named, at their own column.
        {"text,0,0,\"Smile \xf0\x9f\x98\x80\"", 17,
         "text 'Smile \xf0\x9f\x98\x80' holds U+1F600 '\xf0\x9f\x98\x80', which GBK does not have"},
        {"text,0,0,a\\,b\xf0\x9f\x98\x80", 14,
         "text 'a,b\xf0\x9f\x98\x80' holds U+1F600 '\xf0\x9f\x98\x80', which GBK does not have"},
        {"text,0,0,x,font=\xe6\xa5\xb7\xf0\x9f\x98\x80", 20,
         "text '\xe6\xa5\xb7\xf0\x9f\x98\x80' holds U+1F600 '\xf0\x9f\x98\x80', which GBK does not have"},
    };
    for (const Case& c : cases) {
        Read r(std::string(c.first) + "\n" + c.row + "\ncircle,0,0,1\n");
        EXPECT_EQ(r.failed, 1) << c.row;
        ASSERT_EQ(r.diags.size(), 1u) << c.row << "\n" << r.Messages();
        EXPECT_EQ(r.diags[0].row, 2) << c.row;
        EXPECT_EQ(r.diags[0].column, c.column) << c.row << ": " << r.diags[0].message;
        EXPECT_EQ(r.diags[0].message, c.message) << c.row;
        // Nothing of the bad row enters the drawing; the rows around it do.
        Read without(std::string(c.first) + "\ncircle,0,0,1\n");
        ASSERT_EQ(r.drawing.entities.size(), without.drawing.entities.size()) << c.row;
        EXPECT_EQ(r.drawing.entities.back().kind, Kind::Circle);
    }
}

// Every name and index of a line type the library finds is taken, the solid line's index 1 too,
// and the registry draws each with the line type it names.
TEST(ScriptReader, LineTypesByEveryNameAndIndexTheLibraryFinds) {
    const struct {
        const char* ltype;
        const char* stored;
    } cases[] = {
        {"0", "0"},
        {"1", "\xca\xb5\xcf\xdf"}, // 实线, the solid line, in no registry
        {"+1", "\xca\xb5\xcf\xdf"},
        {"2", "2"},
        {"15", "15"},
        {"continuous", "continuous"},
        {"\xe5\xae\x9e\xe7\xba\xbf", "\xca\xb5\xcf\xdf"}, // 实线 in UTF-8
        {"\xe5\x8f\x8c\xe5\x88\x92\xe4\xb8\x89\xe7\x82\xb9\xe7\xba\xbf",
         "\xcb\xab\xbb\xae\xc8\xfd\xb5\xe3\xcf\xdf"}, // 双划三点线, index 15
        {"ACAD_ISO02W100", "ACAD_ISO02W100"},
        {"ACAD_ISO15", "ACAD_ISO15"},
        {"none", ""},
    };
    for (const auto& c : cases) {
        Read r(std::string("line,0,0,1,1,ltype=") + c.ltype + "\n");
        ASSERT_EQ(r.failed, 0) << c.ltype << ": " << r.Messages();
        const std::string& stored = r.drawing.StyleOf(r.E(0)).lineType;
        EXPECT_EQ(stored, c.stored) << c.ltype;
        if (!stored.empty()) {
            EXPECT_NE(r.drawing.lineTypes->Find(stored.c_str()), nullptr) << c.ltype;
        }
    }
    for (const char* unknown : {"16", "-1", "ACAD_ISO16", "Dashdotdot"}) {
        Read r(std::string("line,0,0,1,1,ltype=") + unknown + "\n");
        ASSERT_EQ(r.diags.size(), 1u) << unknown;
        EXPECT_EQ(r.diags[0].message, std::string("unknown line type '") + unknown + "'");
    }
}

// A linetype row's dashes become the library's definition: lengths as written, a dot as a dash of
// 0.3 mm; the period is their sum.
TEST(ScriptReader, DashDefinitionsFollowTheirGrammar) {
    const struct {
        const char* dashes;
        float period;
        unsigned items;
    } cases[] = {
        {"12-3-2-3", 20.0f, 2}, {"0-2", 2.3f, 1},   {"0-1-4-1", 6.3f, 2},
        {"4", 4.0f, 1},         {".5-.5", 1.0f, 1}, {"500-500", 1000.0f, 1},
    };
    for (const auto& c : cases) {
        Read r(std::string("linetype,T,") + c.dashes + "\nline,0,0,1,1,ltype=T\n");
        ASSERT_EQ(r.failed, 0) << c.dashes << ": " << r.Messages();
        const CLineType* lt = r.drawing.lineTypes->Find("T");
        ASSERT_NE(lt, nullptr) << c.dashes;
        EXPECT_FLOAT_EQ(lt->GetPeriod(), c.period) << c.dashes;
        EXPECT_EQ(lt->GetCount(), c.items) << c.dashes;
    }
    // A dot is a dash as long as the dots of the standard dotted line.
    Read dot("linetype,Dots,0-2\n");
    const CLineType* dots = dot.drawing.lineTypes->Find("Dots");
    ASSERT_NE(dots, nullptr);
    EXPECT_FLOAT_EQ(dots->GetItem(0)->end - dots->GetItem(0)->start, 0.3f);
}

// Quoted items are texts whatever they hold; the text of a dimension may hold '='.
TEST(ScriptReader, AQuotedItemIsNeverAnAttribute) {
    Read r("dim,0,0,40,0,5,\"R=42\",decimals=1\n"
           "text,0,0,\"colour=red\"\n"
           "text,0,0,\"\",colour=red\n");
    ASSERT_EQ(r.drawing.entities.size(), 2u) << r.Messages();
    EXPECT_EQ(r.drawing.TextOf(r.E(0)), "R=42");
    EXPECT_EQ(r.E(0).decimals, 1);
    EXPECT_EQ(r.drawing.TextOf(r.E(1)), "colour=red");
    EXPECT_EQ(r.drawing.StyleOf(r.E(1)).colour, kContrast);
    ASSERT_EQ(r.diags.size(), 1u);
    EXPECT_EQ(r.diags[0].message, "text: expected a text");
}

// The reader's scanner against the library's splitter: on every row the scanner takes, the two
// find the same items; the rows it refuses are those where the splitter would drop or swallow
// something (an escape, a quote, the rest of the row).
TEST(ScriptReader, TheScannerSplitsRowsAsCStringSplitDoes) {
    const char alphabet[] = {'a', 'b',  ' ', ',',    ',',  '"',    '\\',  'n',
                             't', '\t', '=', '\x01', '\'', '\xb1', '\x5c'};
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    draft2d::script::detail::RowScanner scanner;
    int taken = 0, refused = 0;
    for (int n = 0; n < 20000; ++n) {
        std::string row;
        const uint32_t length = next() % 16;
        for (uint32_t i = 0; i < length; ++i) {
            row += alphabet[next() % sizeof alphabet];
        }
        CStringSplit split;
        const bool splits = split.SplitString(row.c_str(), static_cast<int>(row.size()), true);
        try {
            scanner.Scan(row);
        } catch (const draft2d::script::detail::RowError& e) {
            ++refused;
            EXPECT_GE(e.column, 1) << row;
            EXPECT_LE(e.column, static_cast<int>(row.size()) + 1) << row;
            continue;
        }
        ++taken;
        ASSERT_TRUE(splits) << row;
        const auto& fields = scanner.fields();
        ASSERT_EQ(static_cast<int>(fields.size()), split.GetCount()) << "'" << row << "'";
        for (size_t i = 0; i < fields.size(); ++i) {
            const char* item = split.GetItem(static_cast<int>(i));
            EXPECT_EQ(std::string(fields[i].text), item != nullptr ? item : "")
                << "'" << row << "' item " << i;
            // The column is where the item starts: splitting from there gives the same item first.
            CStringSplit tail;
            if (fields[i].column <= static_cast<int>(row.size()) &&
                tail.SplitString(row.c_str() + fields[i].column - 1, -1, true) && tail.GetCount() > 0) {
                EXPECT_STREQ(tail.GetItem(0), item) << "'" << row << "' item " << i;
            }
        }
    }
    // Both kinds were met many times.
    EXPECT_GT(taken, 5000);
    EXPECT_GT(refused, 5000);
}

// A file is read a piece at a time; what comes of it is what comes of its whole text: the same
// entities and the same messages, rows that cross the pieces' seams included, and a row longer
// than any row may be reported from its start and skipped to its end (a comment that long quietly).
TEST(ScriptReader, ReadingAFileGivesWhatReadingItsTextGives) {
    std::string text = "\xEF\xBB\xBF; generated\r\n";
    for (int i = 0; i < 60000; ++i) {
        text += "line," + std::to_string(i) + ".25,-" + std::to_string(i % 97) + ",1e2," +
                std::to_string(i * 7) + (i % 1000 == 0 ? ",colour=puce" : "") + "\r\n";
    }
    text += "circle,0,0,x\n; " + std::string(kMaxRowBytes + 10, 'c') + "\n" +
            std::string(kMaxRowBytes + 10, 'x') + "\ncircle,1,2,3";
    namespace fs = std::filesystem;
    const fs::path path = fs::path(DRAFT2D_TEST_OUTPUT_DIR) / "reader_file.d2d";
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    Read whole(text);
    Drawing drawing;
    std::vector<Diagnostic> diags;
    const int failed = ReadScriptFile(path.string(), drawing, diags);
    EXPECT_EQ(failed, whole.failed);
    ASSERT_EQ(diags.size(), whole.diags.size());
    for (size_t i = 0; i < diags.size(); ++i) {
        EXPECT_EQ(diags[i].row, whole.diags[i].row);
        EXPECT_EQ(diags[i].column, whole.diags[i].column);
        EXPECT_EQ(diags[i].message, whole.diags[i].message);
    }
    EXPECT_EQ(whole.failed, 60 + 2);
    EXPECT_EQ(whole.diags.back().row, 60004);
    EXPECT_EQ(whole.diags.back().message, "the row is longer than 4194304 bytes");
    ASSERT_EQ(drawing.entities.size(), whole.drawing.entities.size());
    ASSERT_EQ(drawing.entities.size(), 60000u - 60u + 1u);
    for (size_t i = 0; i < drawing.entities.size(); ++i) {
        EXPECT_EQ(drawing.entities[i].row, whole.drawing.entities[i].row);
        EXPECT_EQ(drawing.entities[i].Numbers(), whole.drawing.entities[i].Numbers());
    }
    EXPECT_EQ(drawing.entities.back().row, 60005);
    EXPECT_EQ(drawing.entities.back().Numbers(), V({1, 2, 3}));
}

TEST(ScriptReader, DiagnosticsFormatLikeACompiler) {
    EXPECT_EQ((Diagnostic{"a.d2d", 3, 7, "oops"}).Format(), "a.d2d:3:7: oops");
    EXPECT_EQ((Diagnostic{"a.d2d", 3, 0, "oops"}).Format(), "a.d2d:3: oops");
    EXPECT_EQ((Diagnostic{"a.d2d", 0, 0, "no such file"}).Format(), "a.d2d: no such file");
    Drawing d;
    std::vector<Diagnostic> diags;
    EXPECT_EQ(ReadScriptFile("/no/such/file.d2d", d, diags), 1);
    ASSERT_EQ(diags.size(), 1u);
    EXPECT_EQ(diags[0].Format(), "/no/such/file.d2d: no such file");
}

TEST(ScriptReader, LimitsOfOutsideData) {
    // A row of more points than a row may hold, a row longer than any row may be, a zero byte.
    std::string many = "polyline";
    for (int i = 0; i <= kMaxPoints; ++i) {
        many += ",1,2";
    }
    Read r(many + "\n" + std::string(kMaxRowBytes + 1, 'x') + "\n" + std::string("line,0,0,1\0,1\n", 14));
    ASSERT_EQ(r.diags.size(), 3u);
    EXPECT_EQ(r.diags[0].message, "polyline: at most 100000 points in one row, found 100001");
    EXPECT_EQ(r.diags[1].message, "the row is longer than 4194304 bytes");
    EXPECT_EQ(r.diags[2].column, 11);
    EXPECT_EQ(r.diags[2].message, "the row holds a zero byte");
    // Files are refused where the reader is told not to read them.
    ReaderOptions closed;
    closed.allowFiles = false;
    Read f("linetypes,data/linetypes.lin\nsymbols,data\n", closed);
    ASSERT_EQ(f.diags.size(), 2u);
    EXPECT_EQ(f.diags[0].message, "files are not read here");
    EXPECT_EQ(f.diags[1].message, "files are not read here");
}

// The column the reader reports is where CStringSplit's item starts, whatever quotes, escapes and
// blanks come before it: the text from that column on splits back into the same items.
TEST(ScriptReader, ColumnsPointAtTheFieldsTheSplitterFinds) {
    const char* rows[] = {
        "line,  0,0,1,abc",
        "text,0,0,\"a, \\\"b\\\"\",abc",
        "text , \"x,y\" ,  0,\\,,abc",
        "text,0,0,\tx,abc",
        "text,0,0,\"\",abc",
    };
    for (const char* row : rows) {
        CStringSplit whole;
        ASSERT_TRUE(whole.SplitString(row, -1, true));
        Read r(std::string(row) + ",colour=red\n");
        ASSERT_FALSE(r.diags.empty()) << row;
        const int column = r.diags[0].column;
        ASSERT_GT(column, 0);
        // The item the message is about: 'abc' in each row, the last before the attribute.
        CStringSplit tail;
        ASSERT_TRUE(tail.SplitString(row + column - 1, -1, true)) << row;
        EXPECT_STREQ(tail.GetItem(0), whole.GetItem(whole.GetCount() - 1)) << row << " at " << column;
    }
}

TEST(ScriptReader, NumbersAndColours) {
    double v = 0;
    for (const char* good : {"0", "-1.5", "+2", ".5", "5.", "1e3", "1E-3", "-0.25e+2"}) {
        EXPECT_TRUE(ParseNumber(good, v)) << good;
    }
    EXPECT_TRUE(ParseNumber("-0.25e+2", v));
    EXPECT_EQ(v, -25);
    for (const char* bad :
         {"", "-", ".", "e3", "1e", "1.2.3", "0x1A", "nan", "inf", "1,5", " 1", "1 ", "1e400"}) {
        EXPECT_FALSE(ParseNumber(bad, v)) << bad;
    }
    uint32_t c = 0;
    EXPECT_TRUE(ParseColour("#FF8000", c));
    EXPECT_EQ(c, 0x0080FFu);
    EXPECT_TRUE(ParseColour("Grey", c));
    EXPECT_EQ(c, 0x808080u);
    EXPECT_TRUE(ParseColour("contrast", c));
    EXPECT_EQ(c, kContrast);
    for (const char* bad : {"#12345", "#1234567", "#gg0000", "ff0000", "reddish"}) {
        EXPECT_FALSE(ParseColour(bad, c)) << bad;
    }
}

// The example at the top of docs/script-format.md reads without a complaint.
TEST(ScriptReader, TheDocumentedExampleReads) {
    std::ifstream in(std::string(DRAFT2D_SOURCE_DIR) + "/docs/script-format.md");
    std::stringstream doc;
    doc << in.rdbuf();
    const std::string text = doc.str();
    const size_t start = text.find("```\n");
    ASSERT_NE(start, std::string::npos);
    const size_t end = text.find("```", start + 4);
    ASSERT_NE(end, std::string::npos);
    Read r(text.substr(start + 4, end - start - 4));
    EXPECT_EQ(r.failed, 0) << r.Messages();
    EXPECT_EQ(r.drawing.entities.size(), 3u);
}
