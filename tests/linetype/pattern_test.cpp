// The pattern walk: dashes of the right pixel lengths, dashes and decorations across vertices,
// mitred offset strokes, the bounds (990 pixels, 9999 pieces, short periods), filling symbols,
// and what a call leaves behind: the view's line type, the DC's objects and saved state, no live
// GDI object. Paths are drawn through the view in screen pixels at one pixel per millimetre, so
// pattern millimetres times the line scale are pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "linetype/CLineType.h"
#include "platform/devices.h"
#include "symbol/mgSymbol.h"
#include "view/CGraphSystem.h"

using draft2d::Device;
using CS = CGraphSystem;

namespace {

struct Registry : CLineTypes {
    Registry() : CLineTypes(1) {} // the standard line types and those a test loads
};

struct Symbol : mgSymbol {
    explicit Symbol(const char* name) : mgSymbol(name) {}
};

// A one-dot symbol registered for one test: each placement draws one Ellipse at its point.
struct DotSymbol {
    explicit DotSymbol(const char* name) : symbol(new Symbol(name)) {
        auto* it = new mgSymbolItem;
        it->kind = 'd';
        symbol->GetItems().push_back(it);
        mgSymbols::c_object.AddItem(symbol);
    }
    ~DotSymbol() { mgSymbols::c_object.DeleteItem(symbol); }
    Symbol* symbol;
};

const char kDashed[] = "\xd0\xe9\xcf\xdf"; // 虚线, "4-1"

class PatternTest : public ::testing::Test {
protected:
    void SetUp() override {
        before = draft2d::GetGdiObjectCounts().total();
        dev = Device::CreateImage(400, 200);
        ASSERT_TRUE(dev);
        dc = dev->GetDC();
        SelectObject(dc, GetStockObject(NULL_BRUSH)); // closed paths stay unfilled
        view.SetWndSize(400, 200);
        view.Attach(dc, nullptr, 0);
        view.SetMmPixels(1.0, 1.0);
        depth = dev->GetSaveDepth();
        trace = draft2d::IsCallTraceAvailable();
        dev->EnableTrace(trace);
    }
    void TearDown() override {
        EXPECT_EQ(dev->GetSaveDepth(), depth);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
        view.Detach();
        dev.reset();
        EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);
    }
    // Loads line types written in the line type file format into the view's registry.
    void Load(const std::string& text) {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        const std::string path = std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/" + info->name() + ".lin";
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        ASSERT_GT(types.LoadFromFile(path.c_str()), 0);
    }
    // Draws a polyline in screen pixels through the line type, then checks the view kept it.
    void Draw(const char* type, double lineScale, std::vector<mgPoint> pts, bool closed = false) {
        view.SetLineType(type, lineScale);
        view.DrawPolyline(int(pts.size()), pts.data(), closed ? 1 : 0, CS::COORD_SCREEN);
        EXPECT_STREQ(view.GetLineType(), type);
        EXPECT_EQ(view.GetLineScale(), lineScale);
    }
    std::vector<std::string> Drawn() {
        static const std::set<std::string> kinds = {"MoveToEx", "LineTo", "Ellipse", "Polygon", "Polyline"};
        std::vector<std::string> out;
        for (const std::string& l : dev->GetTrace())
            if (kinds.count(l.substr(0, l.find('('))))
                out.push_back(l);
        dev->ClearTrace();
        return out;
    }
    // The strokes of the trace as "x1,y1-x2,y2".
    std::vector<std::string> Strokes() {
        std::vector<std::string> out;
        std::string from;
        for (const std::string& l : Drawn()) {
            if (l.rfind("MoveToEx(", 0) == 0)
                from = l.substr(9, l.size() - 10);
            else if (l.rfind("LineTo(", 0) == 0)
                out.push_back(from + "-" + l.substr(7, l.size() - 8));
        }
        return out;
    }
    size_t Count(const std::string& prefix) {
        size_t n = 0;
        for (const std::string& l : dev->GetTrace())
            n += l.rfind(prefix, 0) == 0;
        return n;
    }

    int before = 0;
    std::unique_ptr<Device> dev;
    HDC dc = nullptr;
    Registry types;
    CGraphSystem view{&types};
    int depth = 0;
    bool trace = false;
};

using Lines = std::vector<std::string>;

} // namespace

// "4-1" is a 4 mm dash and a 1 mm gap: at line scale 2, 8 pixels of dash and 2 of gap; a 40-pixel
// segment holds four periods exactly. At 1 pixel per mm and scale 1, a 20-pixel segment holds four
// dashes of 4 pixels.
TEST_F(PatternTest, DashesHaveTheirPixelLengthsAtTheScale) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    Draw(kDashed, 2.0, {{10, 50}, {50, 50}});
    EXPECT_EQ(Strokes(), (Lines{"10,50-18,50", "20,50-28,50", "30,50-38,50", "40,50-48,50"}));
    Draw(kDashed, 1.0, {{10, 60}, {30, 60}});
    EXPECT_EQ(Strokes(), (Lines{"10,60-14,60", "15,60-19,60", "20,60-24,60", "25,60-29,60"}));
    // A dash-dot: 8, gap 1, 0.5, gap 1 at scale 2 on 45 pixels (two periods and 3 pixels more).
    Draw("\xb5\xe3\xbb\xae\xcf\xdf", 2.0, {{0, 70}, {45, 70}}); // 点划线 "8-1-0.5-1"
    EXPECT_EQ(Strokes(), (Lines{"0,70-16,70", "18,70-19,70", "21,70-37,70", "39,70-40,70", "42,70-45,70"}));
}

// A dash cut by a vertex goes on along the next segment for the rest of its length.
TEST_F(PatternTest, DashAcrossAVertexContinues) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    Load("*Dash8\nD10\nM0,8\n");
    Draw("Dash8", 1.0, {{0, 50}, {15, 50}, {15, 80}});
    // 15 pixels: a dash [0, 8], then [10, 15] of the second period, whose 3 remaining pixels start
    // the vertical segment; then whole dashes, and the first 5 pixels of the last one.
    EXPECT_EQ(Strokes(), (Lines{"0,50-8,50", "10,50-15,50", "15,50-15,53", "15,55-15,63", "15,65-15,73",
                                "15,75-15,80"}));
}

// Offset strokes are mitred: on each side of a corner the strokes, moved by the same offset, meet
// on the corner's bisector. The first and last strokes of a closed outline meet too.
TEST_F(PatternTest, OffsetStrokesMeetOnTheCornerBisector) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    Load("*Offset\nD10\nM0,10,3\n*Rails\nD10\nM0,10,3,-3\n");
    // Down on screen is +90 degrees from east: the first leg moves down, the second (going down)
    // moves left, so the corner of the offset line is (57, 23).
    Draw("Offset", 1.0, {{20, 20}, {60, 20}, {60, 60}});
    EXPECT_EQ(Strokes(), (Lines{"20,23-30,23", "30,23-40,23", "40,23-50,23", "50,23-57,23", "57,23-57,30",
                                "57,30-57,40", "57,40-57,50", "57,50-57,60"}));
    // A closed square of 40 pixels: the offset line is the square shrunk by 3 on every side.
    Draw("Rails", 1.0, {{100, 20}, {140, 20}, {140, 60}, {100, 60}}, true);
    const Lines s = Strokes();
    ASSERT_EQ(s.size(), 32u);
    EXPECT_EQ(s[0], "103,23-110,23"); // inner rail, first piece: mitred at the closing corner
    EXPECT_EQ(s[1], "97,17-110,17");  // outer rail
    EXPECT_EQ(s[6], "130,23-137,23"); // last piece of the first side ends at the inner corner
    EXPECT_EQ(s[8], "137,23-137,30"); // the next side starts there
    EXPECT_EQ(s[31], "97,30-97,17");  // the closing side ends at the outer corner it began with

    // A nearly reversing corner (|s| <= 0.1) shifts straight sideways instead of flying off.
    double x1 = 0, y1 = 0, x2 = 10, y2 = 0;
    CLineType::CalcOffLine(x1, y1, x2, y2, 2, 0, 0, 3.1);
    EXPECT_NEAR(x2, 10, 1e-9);
    EXPECT_NEAR(y2, 2, 1e-9);
    // Angles not given are the stroke's own direction.
    x1 = 0, y1 = 0, x2 = 0, y2 = 10;
    CLineType::CalcOffLine(x1, y1, x2, y2, 2, 2e5, 2e5, 2e5);
    EXPECT_NEAR(x1, -2, 1e-9);
    EXPECT_NEAR(x2, -2, 1e-9);
    EXPECT_NEAR(y2, 10, 1e-9);
}

// Circles and ticks come once per period at their place along the line, also when a vertex
// splits the period before them.
TEST_F(PatternTest, DecorationsComeOncePerPeriodAtTheirPlace) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    Load("*Beads\nD10\nC5,0,1\n*Ticks\nD10\nE5,-2,2\n");
    Draw("Beads", 1.0, {{10, 50}, {13, 50}, {13, 100}});
    EXPECT_EQ(Drawn(), (Lines{"Ellipse(12,51,14,53)", "Ellipse(12,61,14,63)", "Ellipse(12,71,14,73)",
                              "Ellipse(12,81,14,83)", "Ellipse(12,91,14,93)"}));
    // Ticks cross the line: from -2 to +2 sideways, which for a line going down is from +2 to -2 in x.
    Draw("Ticks", 1.0, {{10, 150}, {13, 150}, {13, 175}});
    EXPECT_EQ(Strokes(), (Lines{"15,152-11,152", "15,162-11,162", "15,172-11,172"}));
    // Along a straight line the pieces start each period: circles every 10 pixels from 5.
    Draw("Beads", 1.0, {{100, 20}, {131, 20}});
    EXPECT_EQ(Drawn(), (Lines{"Ellipse(104,19,106,21)", "Ellipse(114,19,116,21)", "Ellipse(124,19,126,21)"}));
}

// Offsets beyond 990 pixels are skipped: an offset array stops at its first far entry. A segment
// is cut into at most 9999 pieces. A period under 2 pixels draws the path solid.
TEST_F(PatternTest, BoundsOfTheWalk) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    Load("*Far\nD10\nM0,10,5,1000,6\n*TooFar\nD10\nM0,10,991\n*Fine\nD2\nM0,1\n");
    Draw("Far", 1.0, {{0, 50}, {20, 50}});
    EXPECT_EQ(Strokes(), (Lines{"0,55-10,55", "10,55-20,55"}));
    Draw("TooFar", 1.0, {{0, 50}, {20, 50}});
    EXPECT_TRUE(Strokes().empty());
    Draw("Far", 0.99, {{0, 50}, {20, 50}}); // 1000 mm at scale 0.99 is 990 pixels: drawn
    EXPECT_EQ(Strokes().size(), 6u);

    // 15000 periods of 2 pixels, on a device wide enough to show them (pieces off the device are
    // not drawn).
    std::unique_ptr<Device> wide = Device::CreateImage(20100, 20);
    ASSERT_TRUE(wide);
    std::swap(dev, wide);
    view.Attach(dev->GetDC(), nullptr, 0);
    view.SetMmPixels(1.0, 1.0);
    dev->EnableTrace(true);
    Draw("Fine", 1.0, {{0, 10}, {30000, 10}});
    const Lines many = Strokes();
    std::swap(dev, wide);
    view.Attach(dc, nullptr, 0);
    view.SetMmPixels(1.0, 1.0);
    ASSERT_EQ(many.size(), 9999u);
    EXPECT_EQ(many.back(), "19996,10-19997,10");

    Draw(kDashed, 0.3, {{0, 20}, {50, 20}, {50, 40}}); // 1.5-pixel period
    EXPECT_EQ(Strokes(), (Lines{"0,20-50,20", "50,20-50,40"}));
}

// Short segments (sides of small arcs) use up the period rather than piling it up: after a run of
// 1.5-pixel segments totalling 12 pixels the pattern stands 2 pixels into its period.
TEST_F(PatternTest, ShortSegmentsAdvanceThePhase) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    Load("*Dash8\nD10\nM0,8\n");
    std::vector<mgPoint> pts;
    for (int k = 0; k <= 8; ++k)
        pts.emplace_back(10 + 1.5 * k, 50);
    pts.emplace_back(52, 50);
    Draw("Dash8", 1.0, pts);
    const Lines s = Strokes();
    ASSERT_EQ(s.size(), 8u + 4u);
    // 22 to 52 starts 2 pixels into a period: the rest of that dash, then whole periods.
    EXPECT_EQ(Lines(s.begin() + 8, s.end()),
              (Lines{"22,50-28,50", "30,50-38,50", "40,50-48,50", "50,50-52,50"}));
}

// Filling symbols: only on a closed outline, once per call however many 'b' items there are, the
// same every time, and without touching the C library's random sequence.
TEST_F(PatternTest, FillingSymbolsOnClosedOutlinesOnly) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    DotSymbol dot("dot");
    Load("*Field\nD10\nM0,10\nb\"dot\",20,5,7\nb\"dot\",20,5,0\n*Centre\nD10\nM0,10\nb\"dot\",0,0,0\n");
    const std::vector<mgPoint> square = {{100, 20}, {180, 20}, {180, 100}, {100, 100}};
    Draw("Field", 1.0, square); // open: no symbols
    EXPECT_EQ(Count("Ellipse"), 0u);
    dev->ClearTrace();

    std::srand(1234);
    const int expectedRand = std::rand();
    std::srand(1234);
    Draw("Field", 1.0, square, true);
    EXPECT_EQ(std::rand(), expectedRand);
    const Lines first = Drawn();
    size_t dots = 0;
    for (const std::string& l : first)
        dots += l.rfind("Ellipse", 0) == 0;
    // A 20-pixel grid over the square shrunk by 5: x at 105, 125, 145, 165 and y at 25, 45, 65,
    // 85, jittered by up to 10 pixels: 16 points, the ones still inside (or on) the outline get a symbol.
    EXPECT_GE(dots, 9u);
    EXPECT_LE(dots, 16u);
    Draw("Field", 1.0, square, true);
    EXPECT_EQ(Drawn(), first);

    Draw("Centre", 1.0, square, true);
    const Lines centre = Drawn();
    EXPECT_EQ(centre.back(), "Ellipse(139,59,141,61)");
}

// An outline far larger than the window visits only the grid points near the window.
TEST_F(PatternTest, FillingSymbolsVisitOnlyTheVisibleGrid) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    DotSymbol dot("dot");
    Load("*Field\nD10\nM0,10\nb\"dot\",10,0,0\n");
    const double big = 4e7;
    const auto start = std::chrono::steady_clock::now();
    Draw("Field", 1.0, {{-big, -big}, {big, -big}, {big, big}, {-big, big}}, true);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const size_t dots = Count("Ellipse");
    // 400 x 200 pixels at a 10-pixel grid: about 800 points, plus a margin round the window.
    EXPECT_GE(dots, 800u);
    EXPECT_LE(dots, 1300u);
    EXPECT_LT(seconds, 5.0);
}

// A clip rectangle clips the dashes, not the filling symbols: they appear with it as without it,
// inside it and beyond it (its screen y range is read from both of its fields: a screen clip
// rectangle keeps its larger y in bottom). Checked in pixels, the dots of the symbols inside the
// outline.
TEST_F(PatternTest, FillingSymbolsAreNotCutByTheClipRectangle) {
    DotSymbol dot("dot");
    Load("*Field\nD10\nM0,10\nb\"dot\",20,5,0\n");
    const std::vector<mgPoint> square = {{100, 20}, {300, 20}, {300, 180}, {100, 180}};
    auto dotsInside = [&]() {
        int dark = 0;
        for (int y = 24; y < 177; ++y)
            for (int x = 104; x < 297; ++x)
                dark += dev->GetPixel(x, y) != 0xFFFFFFu;
        return dark;
    };
    Draw("Field", 1.0, square, true);
    const int unclipped = dotsInside();
    const size_t ellipses = trace ? Count("Ellipse") : 0;
    EXPECT_GT(unclipped, 40); // 10 x 8 grid points
    for (const mgRect& clip :
         {mgRect(150, 50, 250, 150), mgRect(0, 0, 120, 200), mgRect(50, 100, 450, 300)}) {
        dev->Clear(0xFFFFFF);
        dev->ClearTrace();
        view.SetClipRect(clip);
        Draw("Field", 1.0, square, true);
        EXPECT_EQ(dotsInside(), unclipped) << clip.left() << "," << clip.bottom();
        if (trace) {
            EXPECT_EQ(Count("Ellipse"), ellipses);
        }
    }
    view.SetClipRect(mgRect());
}

// Every grid point of a filling is tested against the whole outline: an outline divided into many
// vertices places the same symbols as the plain one, until grid points times vertices pass the
// bound that keeps one filling from costing seconds; then, like a grid of more points than a
// filling draws (a symbol on every pixel), the filling is a smear and is not drawn.
TEST_F(PatternTest, FillingOfAFinelyDividedOutline) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    DotSymbol dot("dot");
    Load("*Field\nD10\nM0,10\nb\"dot\",20,5,0\n*Dense\nD10\nM0,10\nb\"dot\",2,5,0\n"
         "*Smear\nD10\nM0,10\nb\"dot\",1,5,0\n");
    // The outline's corners, each edge divided into steps of about two pixels.
    auto divided = [](const std::vector<mgPoint>& corners, int steps) {
        std::vector<mgPoint> out;
        for (size_t k = 0; k < corners.size(); ++k) {
            const mgPoint& a = corners[k];
            const mgPoint& b = corners[(k + 1) % corners.size()];
            for (int i = 0; i < steps; ++i)
                out.push_back(
                    mgPoint(a.x() + (b.x() - a.x()) * i / steps, a.y() + (b.y() - a.y()) * i / steps));
        }
        return out;
    };
    auto dots = [&](const char* type, const std::vector<mgPoint>& outline) {
        dev->ClearTrace();
        Draw(type, 1.0, outline, true);
        return Count("Ellipse");
    };
    const std::vector<mgPoint> square = {{100, 20}, {300, 20}, {300, 180}, {100, 180}};
    EXPECT_EQ(dots("Field", square), 80u); // 10 x 8 grid points
    EXPECT_EQ(dots("Field", divided(square, 100)), 80u);
    // Over the whole window, every two pixels: some 20,000 grid points.
    const std::vector<mgPoint> field = {{-800, -800}, {1200, -800}, {1200, 1000}, {-800, 1000}};
    EXPECT_GT(dots("Dense", field), 20000u);
    EXPECT_EQ(dots("Dense", divided(field, 1000)), 0u); // against 4,000 vertices
    // Every pixel of the window and around it: more grid points than a filling draws.
    EXPECT_EQ(dots("Smear", field), 0u);
}

// For the call, the DC's text colour is the pen's (letters take the line's colour); afterwards
// the view has its line type back and the DC its state (checked by the fixture).
TEST_F(PatternTest, TextColourFollowsThePen) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    HPEN red = CreatePen(PS_SOLID, 1, 0x0000FF);
    HGDIOBJ old = SelectObject(dc, red);
    dev->ClearTrace();
    Draw(kDashed, 1.0, {{0, 10}, {20, 10}});
    const Lines calls = dev->GetTrace();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "SetTextColor(0x0000ff)"), calls.end());
    SelectObject(dc, old);
    DeleteObject(red);
}

// Every standard line type and every sample line type of data/ on a straight line, an arc, a
// closed polygon and a circle, one row each: pattern_sheet.png, for looking at. The sheet is
// checked for leaks and the DC's state.
TEST(PatternSheet, EveryLineTypeOnStraightCurvedAndClosedPaths) {
    const int before = draft2d::GetGdiObjectCounts().total();
    const std::string root = DRAFT2D_SOURCE_DIR;
    mgSymbols::c_bTxtFile = true;
    ASSERT_TRUE(CGraphSystem::LoadSymbols((root + "/data/symbols").c_str()));
    mgSymbols::c_bTxtFile = false;
    Registry types;
    ASSERT_GT(types.LoadFromFile((root + "/data/linetypes.lin").c_str()), 14);
    ASSERT_GT(types.LoadFromFile((root + "/data/symbol-linetypes.lin").c_str()), 24);
    const unsigned n = types.GetCount();

    // All line types at the screen's 96 dpi, and the sample ones again at 8 pixels per mm.
    auto sheet = [&](unsigned first, double pxPerMm, const char* file) {
        const unsigned rows = n - first;
        const double row = 16; // mm
        auto dev = Device::CreateImage(int(190 * pxPerMm), int(rows * row * pxPerMm));
        ASSERT_TRUE(dev);
        HDC dc = dev->GetDC();
        const int depth = dev->GetSaveDepth();
        {
            CGraphSystem view(&types);
            view.SetWndSize(dev->GetWidth(), dev->GetHeight());
            view.Attach(dc, nullptr, 0);
            view.SetMmPixels(pxPerMm, pxPerMm);
            HPEN pen = CreatePen(PS_SOLID, 1, 0x202020);
            HGDIOBJ oldPen = SelectObject(dc, pen);
            HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
            for (unsigned i = first; i < n; ++i) {
                const double y = (n - i - 0.5) * row;
                view.SetLineType(types.GetItem(i)->GetName().c_str(), 1.0);
                view.DrawLine(4, y, 64, y, CS::COORD_PAPER);
                view.DrawArc(84, y - 9, 12, 0.5, 2.1, CS::ARC_ARC, CS::COORD_PAPER);
                const double xs[6] = {104, 124, 134, 124, 110, 104},
                             ys[6] = {y - 5, y - 6, y, y + 6, y + 4, y - 5};
                view.DrawPolyline(6, xs, ys, 0, CS::COORD_PAPER); // closed: it ends where it began
                view.DrawCircle(155, y, 6.5, CS::COORD_PAPER);
                view.DrawEllipse(172, y + 5, 186, y - 5, CS::COORD_PAPER);
            }
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
            view.Detach();
        }
        EXPECT_EQ(dev->GetSaveDepth(), depth);
        EXPECT_TRUE(dev->WritePng(std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/" + file));
    };
    sheet(0, 96 / 25.4, "pattern_sheet.png");
    sheet(14, 8, "pattern_samples.png");

    // Filling symbols under a clip rectangle (grey): the trees fill the outline on the right as on
    // the left, inside the clip rectangle and beyond it; only the outline's dashes are clipped.
    {
        const double px = 8; // pixels per mm
        auto dev = Device::CreateImage(int(190 * px), int(80 * px));
        ASSERT_TRUE(dev);
        HDC dc = dev->GetDC();
        CGraphSystem view(&types);
        view.SetWndSize(dev->GetWidth(), dev->GetHeight());
        view.Attach(dc, nullptr, 0);
        view.SetMmPixels(px, px);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        const double xs[6] = {8, 80, 88, 70, 30, 8}, ys[6] = {10, 6, 40, 72, 66, 10};
        for (int side = 0; side < 2; ++side) {
            double sx[6];
            for (int i = 0; i < 6; ++i)
                sx[i] = xs[i] + side * 95;
            if (side == 1) {
                const mgRect clip(125 * px, 20 * px, 165 * px, 55 * px); // screen pixels
                view.SetLineType(nullptr, 1.0);
                HPEN grey = CreatePen(PS_SOLID, 1, 0xB0B0B0);
                HGDIOBJ oldPen = SelectObject(dc, grey);
                view.DrawRect(clip, 0, 0, 0, CS::COORD_SCREEN);
                SelectObject(dc, oldPen);
                DeleteObject(grey);
                view.SetClipRect(clip);
            }
            view.SetLineType("Orchard", 1.0);
            view.DrawPolyline(6, sx, ys, 0, CS::COORD_PAPER);
        }
        view.SetClipRect(mgRect());
        SelectObject(dc, oldBrush);
        view.Detach();
        EXPECT_TRUE(dev->WritePng(std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/pattern_fill_clip.png"));
    }
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);
    mgSymbols::c_object.Clear();
}

// Letters: once per period at their place, in a font as many pixels high as the item's height
// in pattern millimetres times the scale, turned with the line.
TEST_F(PatternTest, LettersOncePerPeriodAtTheirHeight) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    Load("*Letters\nD20\nM0,10\nZ15,0,0,10,0,\"AB\"\n");
    view.Zoom(2.0, 0, 0); // the letters follow the pattern's pixels, not the format's view scale
    Draw("Letters", 0.5, {{10, 100}, {70, 100}, {70, 160}});
    Lines firsts, fonts;
    for (const std::string& l : dev->GetTrace()) {
        if (l.rfind("TextOutA(", 0) == 0 && l.find("\"A") != std::string::npos)
            firsts.push_back(l);
        if (l.rfind("CreateFontIndirectA(\"Times New Roman\"", 0) == 0)
            fonts.push_back(l.substr(0, l.find(" ->")));
    }
    EXPECT_EQ(firsts,
              (Lines{"TextOutA(25,100,\"AB\",2)", "TextOutA(45,100,\"AB\",2)", "TextOutA(65,100,\"AB\",2)",
                     "TextOutA(70,115,\"AB\",2)", "TextOutA(70,135,\"AB\",2)", "TextOutA(70,155,\"AB\",2)"}));
    ASSERT_EQ(fonts.size(), 6u);
    EXPECT_EQ(fonts[0], "CreateFontIndirectA(\"Times New Roman\",10,0,0,400,0,1)");
    EXPECT_EQ(fonts[5], "CreateFontIndirectA(\"Times New Roman\",10,0,2700,400,0,1)"); // turned down the line
}
