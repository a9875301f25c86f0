// Symbol drawing: the GDI calls of each item kind and its fill, placement by DrawSymbol (scale,
// angle, coordinate spaces, a bad scale, an unknown name), what the call leaves on the view, and a
// sheet of every sample symbol with its fills at several angles, written to symbols_sheet.png.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "linetype/CLineType.h"
#include "platform/devices.h"
#include "symbol/mgSymbol.h"
#include "symbol_writer.h"
#include "view/CGraphSystem.h"

using draft2d::Device;
using symtest::Add;
using symtest::Symbol;
using CS = CGraphSystem;

namespace {

const double kPi = 3.141592653589793;
const char kDashed[] = "\xd0\xe9\xcf\xdf"; // 虚线

// Registers a symbol in the process-wide library for one test and removes it afterwards.
struct Registered {
    explicit Registered(const char* name) : symbol(new Symbol(name)) { mgSymbols::c_object.AddItem(symbol); }
    ~Registered() { mgSymbols::c_object.DeleteItem(symbol); }
    Symbol* symbol;
};

// A view of 200 x 100 pixels at one pixel per millimetre: paper (x, y) is screen (x, 100 - y).
class SymbolDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        before = draft2d::GetGdiObjectCounts().total();
        dev = Device::CreateImage(200, 100);
        ASSERT_TRUE(dev);
        dc = dev->GetDC();
        view.SetWndSize(200, 100);
        view.Attach(dc, nullptr, 0);
        view.SetMmPixels(1.0, 1.0); // after Attach, which takes the device's density
        view.SetLineType(kDashed, 2.0);
        depth = dev->GetSaveDepth();
        trace = draft2d::IsCallTraceAvailable();
        dev->EnableTrace(trace);
    }
    void TearDown() override {
        // The call leaves the view's line type, scale and path setting, and the DC, as they were.
        EXPECT_STREQ(view.GetLineType(), kDashed);
        EXPECT_EQ(view.GetLineScale(), 2.0);
        EXPECT_EQ(view.SetAutoDrawPath(true), true);
        EXPECT_EQ(dev->GetSaveDepth(), depth);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
        view.Detach();
        dev.reset();
        EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);
    }
    // The trace without the lines of saving and restoring the DC's state.
    std::vector<std::string> Calls() {
        std::vector<std::string> out;
        for (const std::string& l : dev->GetTrace())
            if (l.rfind("SaveDC", 0) != 0 && l.rfind("RestoreDC", 0) != 0 && l.rfind("GetObject", 0) != 0 &&
                l.rfind("GetCurrentObject", 0) != 0 && l.rfind("GetDeviceCaps", 0) != 0)
                out.push_back(l);
        dev->ClearTrace();
        return out;
    }
    std::vector<std::string> Drawn() {
        static const std::set<std::string> kinds = {"MoveToEx", "LineTo", "Ellipse",  "AngleArc", "Arc",
                                                    "Pie",      "Chord",  "Polyline", "Polygon"};
        std::vector<std::string> out;
        for (const std::string& l : dev->GetTrace())
            if (kinds.count(l.substr(0, l.find('('))))
                out.push_back(l);
        dev->ClearTrace();
        return out;
    }

    int before = 0;
    std::unique_ptr<Device> dev;
    HDC dc = nullptr;
    CGraphSystem view;
    int depth = 0;
    bool trace = false;
};

std::string Join(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines)
        s += l + "\n";
    return s;
}

} // namespace

// One item of each drawing kind, two of them filled: the pen takes each item's width (hundredths
// of a millimetre, scaled by the view), brushes take the pen's colour, hatch styles 2..7 are GDI's
// 0..5, and a filled rectangle is one polygon. Paper (50, 50) is screen (50, 50) here.
TEST_F(SymbolDrawTest, ItemsAndFillsMakeTheseGdiCalls) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    Registered reg("kinds");
    Symbol& s = *reg.symbol;
    mgSymbolItem* it = Add(s, 'l');
    it->x = 0, it->y = 0, it->x2 = 10, it->y2 = 0, it->width = 3; // 300 hundredths of a mm: 3 pixels
    it = Add(s, 'r');
    it->x = 0, it->y = 0, it->x2 = 10, it->y2 = 5;
    it = Add(s, 'c');
    it->x = 20, it->y = 0, it->radius = 5;
    it = Add(s, 'd');
    it->x = 30, it->y = 0;
    it = Add(s, 'f'); // the circle (item 2) hatched with a diagonal cross, the rectangle solid
    it->fillIndex = 2, it->fillStyle = 7;
    it = Add(s, 'f');
    it->fillIndex = 1, it->fillStyle = 0;

    view.DrawSymbol(50, 50, "KINDS", 0, CS::COORD_PAPER, 1.0);
    const std::vector<std::string> expected = {
        "SetTextColor(0x000000)",
        // 'l': no brush, a 3-pixel pen
        "GetStockObject(NULL_BRUSH)",
        "SelectObject(NULL_BRUSH)",
        "ExtCreatePen(PS_GEOMETRIC|PS_SOLID|PS_ENDCAP_FLAT|PS_JOIN_MITER,3,{BS_SOLID,0x000000,0}) -> pen#1",
        "SelectObject(pen#1)",
        "MoveToEx(50,50)",
        "LineTo(60,50)",
        // 'r': width 0 is one pixel; solid fill
        "GetStockObject(NULL_BRUSH)",
        "SelectObject(NULL_BRUSH)",
        "ExtCreatePen(PS_GEOMETRIC|PS_SOLID|PS_ENDCAP_FLAT|PS_JOIN_MITER,1,{BS_SOLID,0x000000,0}) -> pen#2",
        "SelectObject(pen#2)",
        "DeleteObject(pen#1)",
        "CreateSolidBrush(0x000000) -> brush#1",
        "SelectObject(brush#1)",
        "DeleteObject(NULL_BRUSH)",
        "Polygon((50,50),(60,50),(60,45),(50,45))",
        // 'c': hatched with a diagonal cross
        "GetStockObject(NULL_BRUSH)",
        "SelectObject(NULL_BRUSH)",
        "DeleteObject(brush#1)",
        "CreateHatchBrush(HS_DIAGCROSS,0x000000) -> brush#2",
        "SelectObject(brush#2)",
        "DeleteObject(NULL_BRUSH)",
        "Ellipse(65,45,75,55)",
        // 'd': a dot about two pixels across, unfilled
        "GetStockObject(NULL_BRUSH)",
        "SelectObject(NULL_BRUSH)",
        "DeleteObject(brush#2)",
        "Ellipse(79,49,81,51)",
        // the two 'f' items draw nothing
        "GetStockObject(NULL_BRUSH)",
        "SelectObject(NULL_BRUSH)",
        "GetStockObject(NULL_BRUSH)",
        "SelectObject(NULL_BRUSH)",
        // the canvas gives the DC its objects back
        "SelectObject(BLACK_PEN)",
        "DeleteObject(pen#2)",
        "SelectObject(WHITE_BRUSH)",
        "DeleteObject(NULL_BRUSH)",
    };
    EXPECT_EQ(Calls(), expected);
    EXPECT_EQ(dev->GetPixel(55, 46), 0x000000u); // inside the solid rectangle
}

TEST_F(SymbolDrawTest, PolylinesCloseWhenTheirEndsMeet) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    Registered reg("poly");
    Symbol& s = *reg.symbol;
    const double x4[4] = {0, 10, 10, 0.03}, y4[4] = {0, 0, 10, 0.04}; // last 0.05 from the first
    const double x3[3] = {0, 10, 0}, y3[3] = {0, 10, 0};              // last equal to the first
    const double xo[3] = {0, 10, 0.2}, yo[3] = {0, 10, 0};            // 0.2 apart: open
    for (auto [xs, ys, n] :
         {std::make_tuple(x4, y4, 4), std::make_tuple(x3, y3, 3), std::make_tuple(xo, yo, 3)}) {
        mgSymbolItem* it = Add(s, 'z');
        ASSERT_TRUE(it->allocPoints(n));
        for (int k = 0; k < n; ++k)
            it->xs[k] = xs[k], it->ys[k] = ys[k];
    }
    view.DrawSymbol(20, 20, "poly", 0, CS::COORD_PAPER, 1.0);
    EXPECT_EQ(Drawn(),
              (std::vector<std::string>{"Polygon((20,80),(30,80),(30,70))", "Polygon((20,80),(30,70))",
                                        "Polyline((20,80),(30,70),(20,80))"}));
}

TEST_F(SymbolDrawTest, ArcFillsAreChordsOrSectorsWithoutAPen) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    Registered reg("arcs");
    Symbol& s = *reg.symbol;
    for (int k = 0; k < 3; ++k) {
        mgSymbolItem* it = Add(s, 'a');
        it->x = 30.0f * k, it->y = 0, it->startAngle = 0, it->endAngle = float(kPi / 2), it->radius = 20;
    }
    mgSymbolItem* f = Add(s, 'f');
    f->fillIndex = 0, f->fillStyle = 0, f->fillFlag = 0;
    f = Add(s, 'f');
    f->fillIndex = 1, f->fillStyle = 3, f->fillFlag = 1;
    view.DrawSymbol(20, 20, "arcs", 0, CS::COORD_PAPER, 1.0);
    const std::vector<std::string> calls = Calls();
    std::vector<std::string> arcs;
    for (size_t i = 0; i < calls.size(); ++i) {
        const std::string& l = calls[i];
        if (l.rfind("AngleArc", 0) == 0 || l.rfind("Chord", 0) == 0 || l.rfind("Pie", 0) == 0)
            arcs.push_back(l);
        if (l.rfind("Chord", 0) == 0 || l.rfind("Pie", 0) == 0) {
            // The fill is drawn with the stock null pen and a brush of the pen's colour.
            bool nullPen = false, brush = false;
            for (size_t j = 0; j < i; ++j) {
                if (calls[j] == "SelectObject(NULL_PEN)")
                    nullPen = true;
                else if (calls[j].rfind("SelectObject(pen#", 0) == 0)
                    nullPen = false;
                if (calls[j].rfind("SelectObject(brush#", 0) == 0)
                    brush = true;
                else if (calls[j] == "SelectObject(NULL_BRUSH)")
                    brush = false;
            }
            EXPECT_TRUE(nullPen) << l;
            EXPECT_TRUE(brush) << l;
        }
    }
    EXPECT_EQ(arcs, (std::vector<std::string>{"AngleArc(20,80,20,0,90)", "Chord(0,60,40,100,40,80,20,60)",
                                              "AngleArc(50,80,20,0,90)", "Pie(30,60,70,100,70,80,50,60)",
                                              "AngleArc(80,80,20,0,90)"}));
    EXPECT_NE(Join(calls).find("CreateSolidBrush(0x000000)"), std::string::npos);
    EXPECT_NE(Join(calls).find("CreateHatchBrush(HS_VERTICAL,0x000000)"), std::string::npos);
}

// Placement: the origin at the point in each coordinate space, the angle turning the symbol, the
// scale dividing its size; a scale that is not a positive number draws at size 1 in place; an
// unknown name marks the point with a dot.
TEST_F(SymbolDrawTest, PlacementScaleAngleAndUnknownNames) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    Registered reg("bar");
    mgSymbolItem* it = Add(*reg.symbol, 'l');
    it->x = 0, it->y = 0, it->x2 = 20, it->y2 = 0;

    view.DrawSymbol(50, 50, "bar", 0, CS::COORD_PAPER, 1.0);
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"MoveToEx(50,50)", "LineTo(70,50)"}));
    view.DrawSymbol(50, 50, "bar", kPi / 2, CS::COORD_PAPER, 2.0); // half as long, pointing up
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"MoveToEx(50,50)", "LineTo(50,40)"}));
    view.DrawSymbol(50, 30, "bar", 0, CS::COORD_SCREEN, 1.0);
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"MoveToEx(50,30)", "LineTo(70,30)"}));
    view.SetUCS(2.0, 10, 0, 0); // one user unit is half a millimetre, origin at paper (10, 0)
    view.DrawSymbol(20, 40, "bar", kPi, CS::COORD_USER, 1.0);
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"MoveToEx(20,80)", "LineTo(0,80)"}));
    for (double bad : {0.0, -1.0, std::nan(""), 1e-9}) {
        view.DrawSymbol(40, 40, "bar", 0, CS::COORD_PAPER, bad);
        EXPECT_EQ(Drawn(), (std::vector<std::string>{"MoveToEx(40,60)", "LineTo(60,60)"})) << bad;
    }
    view.DrawSymbol(40, 40, "no such symbol", 0, CS::COORD_PAPER, 1.0);
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"Ellipse(39,59,41,61)"}));
    view.DrawSymbol(std::nan(""), 40, "bar", 0, CS::COORD_PAPER, 1.0);
    view.DrawSymbol(40, 40, nullptr, 0, CS::COORD_PAPER, 1.0);
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"Ellipse(39,59,41,61)"}));
}

// Every sample symbol at four angles and two scales, on a white sheet at 8 pixels per millimetre:
// symbols_sheet.png. Checked here: the set loads, nothing leaks, filled parts are filled where
// they should be whatever the angle; the picture is for looking at.
TEST(SymbolSheet, EverySampleSymbolWithFillsAndRotations) {
    const int before = draft2d::GetGdiObjectCounts().total();
    const std::string dir = std::string(DRAFT2D_SOURCE_DIR) + "/data/symbols";
    mgSymbols::c_bTxtFile = true;
    ASSERT_TRUE(CGraphSystem::LoadSymbols(dir.c_str()));
    mgSymbols::c_bTxtFile = false;
    const unsigned n = mgSymbols::c_object.GetCount();
    ASSERT_GE(n, 10u);

    const double cell = 14; // mm
    const double angles[4] = {0, kPi / 6, kPi / 2, 3.5};
    const int cols = 6; // four angles at scale 1, two at scale 0.5 (twice the size)
    auto dev = Device::CreateImage(int(cols * cell * 8), int(n * cell * 8));
    ASSERT_TRUE(dev);
    {
        CGraphSystem view;
        view.SetWndSize(dev->GetWidth(), dev->GetHeight());
        view.Attach(dev->GetDC(), nullptr, 0);
        view.SetMmPixels(8, 8);
        HPEN pen = CreatePen(PS_SOLID, 1, 0x803000);
        HGDIOBJ old = SelectObject(dev->GetDC(), pen);
        for (unsigned i = 0; i < n; ++i) {
            const MgString name = mgSymbols::c_object.GetItem(i)->GetName();
            const double y = (n - i - 0.5) * cell;
            for (int c = 0; c < cols; ++c) {
                const double x = (c + 0.5) * cell;
                if (c < 4)
                    view.DrawSymbol(x, y, name, angles[c], CS::COORD_PAPER, 1.0);
                else
                    view.DrawSymbol(x, y, name, angles[c - 4], CS::COORD_PAPER, 0.5);
            }
        }
        SelectObject(dev->GetDC(), old);
        DeleteObject(pen);
        view.Detach();
    }
    EXPECT_TRUE(dev->WritePng(std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/symbols_sheet.png"));
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);

    // The well's solid core (radius 0.8 mm about the origin) is filled at every angle and scale.
    const int well = mgSymbols::c_object.FindIndex("well");
    ASSERT_GE(well, 0);
    const double y = (n - well - 0.5) * cell;
    for (int c = 0; c < cols; ++c) {
        const int px = int((c + 0.5) * cell * 8), py = dev->GetHeight() - int(y * 8);
        EXPECT_EQ(dev->GetPixel(px + 2, py - 2), 0x803000u) << "column " << c;
    }
    // The north arrow's west half is filled, its east half not: half a millimetre either side of
    // the axis, half a millimetre below the centre. Turned by 90 degrees (column 2) the arrow points
    // west and its filled half lies below the axis.
    const int north = mgSymbols::c_object.FindIndex("north");
    ASSERT_GE(north, 0);
    const double ny = (n - north - 0.5) * cell;
    const int cx0 = int(0.5 * cell * 8), cy = dev->GetHeight() - int(ny * 8);
    EXPECT_EQ(dev->GetPixel(cx0 - 4, cy + 4), 0x803000u);
    EXPECT_EQ(dev->GetPixel(cx0 + 4, cy + 4), 0xFFFFFFu);
    const int cx2 = int(2.5 * cell * 8);
    EXPECT_EQ(dev->GetPixel(cx2 + 8, cy + 4), 0x803000u);
    EXPECT_EQ(dev->GetPixel(cx2 + 8, cy - 4), 0xFFFFFFu);
    mgSymbols::c_object.Clear();
}

// A text item is written at its anchor through the matrix, its height and angle mapped too, in the
// pen's colour.
TEST_F(SymbolDrawTest, TextItemsFollowTheMatrix) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    Registered reg("label");
    mgSymbolItem* it = Add(*reg.symbol, 'h');
    it->x = 4, it->y = 6, it->height = 20, it->angle = float(kPi / 2);
    it->text = strdup("W");
    view.DrawSymbol(50, 50, "label", kPi / 2, CS::COORD_PAPER, 2.0);
    // Symbol (4, 6) at half size, turned a quarter: paper (50 - 3, 50 + 2), screen (47, 48); the
    // text 10 mm high, turned by both angles (180 degrees).
    std::vector<std::string> text;
    for (const std::string& l : dev->GetTrace())
        if (l.rfind("TextOutA", 0) == 0 || l.rfind("CreateFontIndirectA(\"Times", 0) == 0 ||
            l.rfind("SetTextColor", 0) == 0)
            text.push_back(l.substr(0, l.find(" ->")));
    ASSERT_EQ(text.size(), 3u);
    EXPECT_EQ(text[0], "SetTextColor(0x000000)");
    EXPECT_EQ(text[1], "CreateFontIndirectA(\"Times New Roman\",10,0,1800,400,0,1)");
    EXPECT_EQ(text[2].substr(0, 17), "TextOutA(47,48,\"W");
    dev->ClearTrace();
}

// A view without a device draws nothing and keeps its line type.
TEST(SymbolDraw, DetachedViewKeepsItsLineType) {
    Registered reg("bar");
    mgSymbolItem* it = Add(*reg.symbol, 'l');
    it->x2 = 10;
    CGraphSystem view;
    view.SetLineType(kDashed, 3.0);
    view.DrawSymbol(5, 5, "bar", 0, CS::COORD_PAPER, 1.0);
    view.DrawSymbol(5, 5, "missing", 0, CS::COORD_PAPER, 1.0);
    EXPECT_STREQ(view.GetLineType(), kDashed);
    EXPECT_EQ(view.GetLineScale(), 3.0);
}
