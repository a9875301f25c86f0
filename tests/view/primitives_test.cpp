// Drawing primitives of CGraphSystem: the exact GDI calls of each shape in direct mode, the points
// of path mode, the path store's join and fill rules, the line type entry, far and degenerate
// coordinates, and the paper sheet. Every test ends with no GDI object left alive and the DC's
// saved state balanced (see the fixture).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "linetype/CLineType.h"
#include "platform/devices.h"
#include "view/CGraphSystem.h"

using draft2d::Device;
using CS = CGraphSystem;

namespace {

const double kPi = 3.141592653589793;
const COLORREF kBlack = 0x000000;
const COLORREF kWhite = 0xFFFFFF;

// Exposes the path store to the tests.
class View : public CGraphSystem {
public:
    using CGraphSystem::BeginPaths;
    using CGraphSystem::CGraphSystem;
    using CGraphSystem::ClearPaths;
    using CGraphSystem::DrawPath;
};

class DrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        before = draft2d::GetGdiObjectCounts().total();
        dev = Device::CreateImage(200, 100);
        ASSERT_TRUE(dev);
        dc = dev->GetDC();
        view.SetWndSize(200, 100);
        view.Attach(dc, nullptr, 0);
        depth = dev->GetSaveDepth();
        trace = draft2d::IsCallTraceAvailable();
        dev->EnableTrace(trace);
    }
    void TearDown() override {
        EXPECT_EQ(dev->GetSaveDepth(), depth);
        view.Detach();
        dev.reset();
        EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);
    }
    // The trace lines of the drawing calls, dropping the object housekeeping around them.
    std::vector<std::string> Drawn() {
        static const std::set<std::string> kinds = {"MoveToEx", "LineTo",     "Ellipse",   "AngleArc",
                                                    "Arc",      "Pie",        "Chord",     "Polyline",
                                                    "Polygon",  "PolyBezier", "BeginPath", "EndPath",
                                                    "FillPath", "StrokePath", "Rectangle", "FillRect"};
        std::vector<std::string> out;
        for (const std::string& l : dev->GetTrace())
            if (kinds.count(l.substr(0, l.find('('))))
                out.push_back(l);
        dev->ClearTrace();
        return out;
    }
    int Count(const std::string& prefix) {
        int n = 0;
        for (const std::string& l : dev->GetTrace())
            n += l.compare(0, prefix.size(), prefix) == 0;
        return n;
    }

    int before = 0;
    std::unique_ptr<Device> dev;
    HDC dc = nullptr;
    View view;
    int depth = 0;
    bool trace = false;
};

TEST_F(DrawTest, DirectModeMakesTheseGdiCalls) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    view.SetLineType(nullptr, 1.0);
    view.DrawLine(10, 20, 30, 20.5, CS::COORD_PAPER); // 3.7795 px/mm, y flipped against height 100
    view.DrawCircle(50.2, 40.7, 10.3, CS::COORD_SCREEN);
    view.DrawCircle(20.4, 30.6, 0.8, CS::COORD_SCREEN); // below a pixel: a dot, truncated box
    view.DrawArc(50, 50, 20, 0.5, 1.0, CS::ARC_ARC, CS::COORD_SCREEN);
    view.DrawArc(50, 50, 20, 0.5, -1.0, CS::ARC_PIE, CS::COORD_SCREEN); // ends swapped, sweep positive
    view.DrawArc(100, 50, 10.4, kPi / 2, kPi / 2, CS::ARC_CHORD, CS::COORD_SCREEN);
    view.DrawArc(mgPoint(10.9, 10.9), mgPoint(40.9, 30.9), mgPoint(40, 10), mgPoint(10, 30),
                 CS::COORD_SCREEN);
    view.DrawEllipse(10.9, 60.9, 50.9, 80.2, CS::COORD_SCREEN);
    view.DrawRect(mgRect(120, 10, 150, 30), 0, 0, 0, CS::COORD_SCREEN);
    const double xs[3] = {120, 140, 160.4}, ys[3] = {60, 80, 60.6};
    view.DrawPolyline(3, xs, ys, 0, CS::COORD_SCREEN);
    view.DrawPolyline(3, xs, ys, 1, CS::COORD_SCREEN);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    view.DrawEllipse(50, 50, 20, 10, 30, CS::COORD_SCREEN); // turned 30 degrees counter-clockwise
    const std::vector<std::string> expected = {
        "MoveToEx(38,24)",
        "LineTo(113,23)",
        "Ellipse(40,30,61,51)",
        "Ellipse(19,30,21,32)",
        "MoveToEx(68,40)",
        "AngleArc(50,50,20,28.6479,57.2958)",
        "Pie(30,30,70,70,68,60,68,40)",
        "Chord(90,40,110,60,100,40,90,50)",
        "Arc(10,10,40,30,40,10,10,30)",
        "Ellipse(10,60,50,80)",
        "MoveToEx(120,10)",
        "LineTo(150,10)",
        "MoveToEx(150,10)",
        "LineTo(150,30)",
        "MoveToEx(150,30)",
        "LineTo(120,30)",
        "MoveToEx(120,30)",
        "LineTo(120,10)",
        "Polyline((120,60),(140,80),(160,61))",
        "Polygon((120,60),(140,80),(160,61))",
        "BeginPath()",
        "PolyBezier((32,60),(35,64),(45,64),(55,58),(64,53),(69,44),(67,40),(64,35),(54,35),(45,41),(35,46),"
        "(30,55),(32,60))",
        "EndPath()",
        "StrokePath()"};
    EXPECT_EQ(Drawn(), expected);
    EXPECT_EQ(view.GetLineType(), nullptr);
}

TEST_F(DrawTest, PathModeRectangleThroughTheSolidLineIsOutlinedThenFilled) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    SelectObject(dc, GetStockObject(GRAY_BRUSH));
    view.SetLineType("0", 2.5);
    dev->ClearTrace();
    view.DrawRect(mgRect(10, 10, 40, 30), 0, 0, 0, CS::COORD_SCREEN);
    const std::vector<std::string> expected = {
        "GetCurrentObject(OBJ_PEN)", "GetCurrentObject(OBJ_BRUSH)", "GetCurrentObject(OBJ_FONT)", "SaveDC()",
        "GetCurrentObject(OBJ_PEN)", "GetObjectA(BLACK_PEN,32)", "SetTextColor(0x000000)", "MoveToEx(10,10)",
        "LineTo(40,10)", "MoveToEx(40,10)", "LineTo(40,30)", "MoveToEx(40,30)", "LineTo(10,30)",
        "MoveToEx(10,30)", "LineTo(10,10)", "GetCurrentObject(OBJ_PEN)", "GetCurrentObject(OBJ_BRUSH)",
        "GetCurrentObject(OBJ_FONT)", "RestoreDC(1)",
        // the fill: a canvas, the brush's style, no pen, the polygon, the canvas restored
        "GetCurrentObject(OBJ_PEN)", "GetCurrentObject(OBJ_BRUSH)", "GetCurrentObject(OBJ_FONT)", "SaveDC()",
        "GetCurrentObject(OBJ_BRUSH)", "GetObjectA(GRAY_BRUSH,16)", "GetStockObject(NULL_PEN)",
        "SelectObject(NULL_PEN)", "Polygon((10,10),(40,10),(40,30),(10,30),(10,10))",
        "GetCurrentObject(OBJ_PEN)", "SelectObject(BLACK_PEN)", "DeleteObject(NULL_PEN)",
        "GetCurrentObject(OBJ_BRUSH)", "GetCurrentObject(OBJ_FONT)", "RestoreDC(1)"};
    EXPECT_EQ(dev->GetTrace(), expected);
    EXPECT_STREQ(view.GetLineType(), "");
    EXPECT_EQ(view.GetLineScale(), 2.5);
}

// Circles in path mode: 8 to 128 segments, more as the radius grows, closed at the left end of the
// horizontal diameter.
TEST_F(DrawTest, PathModeCircleFollowsTheAdaptiveStep) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    view.SetLineType("0", 1);
    int last = 0;
    for (double r : {1.0, 1.5, 2.0, 3.0, 10.0, 37.0, 100.0, 400.0, 1000.0, 1e5}) {
        view.DrawCircle(100, 50, r, CS::COORD_SCREEN);
        const int segments = Count("LineTo");
        EXPECT_GE(segments, std::max(last, 8)) << r;
        EXPECT_LE(segments, 128) << r;
        last = segments;
        dev->ClearTrace();
    }
    EXPECT_EQ(last, 128);
    view.DrawCircle(100, 50, 1.5, CS::COORD_SCREEN); // pi/4
    EXPECT_EQ(Count("LineTo"), 8);
    dev->ClearTrace();
    view.DrawCircle(100, 50, 100, CS::COORD_SCREEN); // acos(0.995) = 0.1000: 62 steps and the rest
    EXPECT_EQ(Count("LineTo"), 63);
    const std::vector<std::string> lines = Drawn();
    EXPECT_EQ(lines.front(), "MoveToEx(0,50)");
    EXPECT_EQ(lines.back(), "LineTo(0,50)");
}

TEST_F(DrawTest, PathStoreJoinsWithinTwoPixelsAndFillsClosedOutlines) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    view.SetLineType("0", 1);
    view.SetAutoDrawPath(false);
    view.DrawLine(0, 0, 10, 0, CS::COORD_SCREEN); // not collecting: drawn at once
    EXPECT_EQ(Count("MoveToEx"), 1);
    dev->ClearTrace();
    // Two pieces, the second starting 1.41 px from the first's end: one path of 4 points.
    view.BeginPaths();
    view.DrawLine(0, 0, 10, 0, CS::COORD_SCREEN);
    view.DrawLine(11, 1, 20, 5, CS::COORD_SCREEN);
    view.DrawPath();
    EXPECT_EQ(Count("SaveDC"), 1);
    EXPECT_EQ(Count("LineTo"), 3);
    dev->ClearTrace();
    // 3 px apart: two paths.
    view.BeginPaths();
    view.DrawLine(0, 0, 10, 0, CS::COORD_SCREEN);
    view.DrawLine(13, 0, 20, 5, CS::COORD_SCREEN);
    view.DrawPath();
    view.ClearPaths();
    EXPECT_EQ(Count("SaveDC"), 2);
    dev->ClearTrace();
    view.SetAutoDrawPath(true);

    // Fill: closed outlines of more than three points under a solid or hatched brush only.
    HBRUSH hatch = CreateHatchBrush(HS_CROSS, 0x0000FF);
    HGDIOBJ old = SelectObject(dc, hatch);
    const double xs[4] = {10, 50, 50, 10}, ys[4] = {10, 10, 40, 40};
    view.DrawPolyline(4, xs, ys, 1, CS::COORD_SCREEN); // 5 points, closed
    view.DrawPolyline(4, xs, ys, 0, CS::COORD_SCREEN); // open
    const double tx[3] = {10, 50, 11}, ty[3] = {10, 10, 10.5};
    view.DrawPolyline(3, tx, ty, 0, CS::COORD_SCREEN); // ends 1.1 px apart, but 3 points
    EXPECT_EQ(Count("Polygon"), 1);
    dev->ClearTrace();
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    view.DrawPolyline(4, xs, ys, 1, CS::COORD_SCREEN);
    EXPECT_EQ(Count("Polygon"), 0);
    SelectObject(dc, old);
    DeleteObject(hatch);
}

TEST_F(DrawTest, EveryShapeLeavesTheLineTypeAndScaleAsTheyWere) {
    view.SetLineType("2", 2.5);
    const std::string name = view.GetLineType();
    const mgMatrix m = mg_RotateMatrix(0.3);
    const double xs[3] = {1, 20, 30}, ys[3] = {1, 30, 5};
    auto same = [&](const char* what) {
        ASSERT_NE(view.GetLineType(), nullptr) << what;
        EXPECT_EQ(view.GetLineType(), name) << what;
        EXPECT_EQ(view.GetLineScale(), 2.5) << what;
    };
    view.DrawLine(1, 1, 30, 20, CS::COORD_PAPER), same("line");
    view.DrawCircle(10, 10, 5, CS::COORD_PAPER), same("circle");
    view.DrawArc(10, 10, 5, 0, 2, CS::ARC_PIE, CS::COORD_PAPER), same("arc");
    view.DrawArc(mgPoint(0, 0), mgPoint(40, 30), mgPoint(40, 0), mgPoint(0, 0), CS::COORD_SCREEN),
        same("box arc");
    view.DrawEllipse(0, 0, 40, 20, CS::COORD_SCREEN), same("ellipse");
    view.DrawEllipse(20, 20, 10, 5, 45, CS::COORD_SCREEN), same("turned ellipse");
    view.DrawRect(mgRect(0, 0, 10, 5), 0.5, 5, 5, CS::COORD_PAPER), same("rect");
    view.DrawPolyline(3, xs, ys, 1, CS::COORD_PAPER), same("polyline");
    view.DrawMatrixArc(m, mgPoint(0, 0), mgPoint(5, 5), mgPoint(10, 0), CS::ARC_ARC), same("matrix arc");
    view.DrawMatrixRect(m, mgRect(0, 0, 10, 5), 0.5, 1, 1), same("matrix rect");
    view.DrawPaper(nullptr), same("paper");
    view.DrawPaper2(2, 2, 5, 5, 5, 5), same("paper2");
}

// After a deep zoom, user coordinates lie billions of pixels away: the visible part of a segment, a
// polyline and a polygon must still be where the exact geometry puts it.
TEST_F(DrawTest, FarCoordinatesKeepTheirGeometry) {
    view.SetUCS(1, 0, 0, 2);                     // 1000 paper mm per user unit
    view.Zoom(100, -0.01 * 1000, -0.005 * 1000); // window's lower left at user (-0.01, -0.005)
    view.SetLineType(nullptr, 1);
    // The line y = x / 2 through user (-1e4, -5e3) and (1e4, 5e3): about 3.8e9 px long.
    view.DrawLine(-1e4, -5e3, 1e4, 5e3, CS::COORD_USER);
    for (int x : {20, 100, 180}) {
        double ux, uy, sx, sy;
        view.ScreenToUser(x, 0, &ux, &uy);
        view.UserToScreen(ux, ux / 2, &sx, &sy);
        const int y = static_cast<int>(sy + 0.5);
        ASSERT_GT(y, 1);
        ASSERT_LT(y, 99);
        EXPECT_TRUE(dev->GetPixel(x, y) == kBlack || dev->GetPixel(x, y - 1) == kBlack ||
                    dev->GetPixel(x, y + 1) == kBlack)
            << x;
    }
    // A huge triangle holding the window fills all of it: its far vertices are clipped, not moved.
    dev->Clear(kWhite);
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    const double tx[3] = {-1e6, 1e6, 0}, ty[3] = {-1e6, -1e6, 1e6};
    view.DrawPolyline(3, tx, ty, 1, CS::COORD_USER);
    EXPECT_EQ(dev->GetPixel(0, 0), kBlack);
    EXPECT_EQ(dev->GetPixel(199, 99), kBlack);
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    // Shapes that are not finite draw nothing at all.
    dev->Clear(kWhite);
    const double nx[2] = {0, NAN}, ny[2] = {0, 1};
    view.DrawPolyline(2, nx, ny, 0, CS::COORD_USER);
    view.DrawLine(0, 0, INFINITY, 0, CS::COORD_USER);
    view.DrawCircle(NAN, 0, 1, CS::COORD_USER);
    view.DrawEllipse(0, 0, 1, NAN, 30, CS::COORD_USER);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(dev->GetPixel(x, y), kWhite) << x << "," << y;
}

TEST_F(DrawTest, ArcLoopsEndWhateverTheAngles) {
    view.SetLineType("0", 1);
    for (double start : {1e16, -1e300, 7.5, double(NAN), double(INFINITY)})
        for (double sweep : {1.0, -2.0, 1e-9, 1e20, double(NAN)})
            view.DrawArc(100, 50, 30, start, sweep, CS::ARC_ARC, CS::COORD_SCREEN);
    if (!trace)
        return;
    dev->ClearTrace();
    // A huge start is taken modulo a turn: the arc has its normal number of segments.
    view.DrawArc(100, 50, 30, 1e16, 1.0, CS::ARC_ARC, CS::COORD_SCREEN);
    const int step =
        static_cast<int>(std::floor((1.0 - std::acos(29.5 / 30) / 2) / std::acos(29.5 / 30)) + 1);
    EXPECT_EQ(Count("LineTo"), step);
    dev->ClearTrace();
    // Ends within a pixel: a sliver vanishes, a nearly full turn does not.
    view.DrawArc(100, 50, 100, 0, 0.005, CS::ARC_ARC, CS::COORD_SCREEN);
    EXPECT_EQ(Count("LineTo"), 0);
    view.DrawArc(100, 50, 100, 0, 2 * kPi - 0.005, CS::ARC_ARC, CS::COORD_SCREEN);
    EXPECT_EQ(Count("LineTo"), 63);
}

// A registry may drop or replace the line type the view (or a collected path) points to; drawing
// then falls back to the solid line instead of reading freed memory (ASan checks the latter).
TEST_F(DrawTest, LineTypeGoneFromItsRegistryDrawsSolid) {
    CLineTypes types(*CLineTypes::GetObjectA());
    View v(&types);
    v.SetWndSize(200, 100);
    v.Attach(dc, nullptr, 0);
    ASSERT_EQ(types.AddItemDef("4-1", "fence"), 1);
    v.SetLineType("fence", 1);
    ASSERT_STREQ(v.GetLineType(), "fence");
    v.SetAutoDrawPath(false);
    v.BeginPaths();
    v.DrawLine(0, 10, 100, 10, CS::COORD_SCREEN);
    types.DeleteItem(types.Find("fence"));
    ASSERT_EQ(types.Find("fence"), nullptr);
    dev->ClearTrace();
    v.DrawPath();
    v.ClearPaths();
    v.SetAutoDrawPath(true);
    v.DrawLine(0, 20, 100, 20, CS::COORD_SCREEN);
    EXPECT_STREQ(v.GetLineType(), "");
    EXPECT_EQ(dev->GetPixel(50, 10), kBlack);
    EXPECT_EQ(dev->GetPixel(50, 20), kBlack);
    if (trace) {
        EXPECT_EQ(Count("LineTo"), 2);
    }
    v.Detach();
}

TEST_F(DrawTest, LineTypeEntryKeepsTheViewAndSetsTheTextColour) {
    std::deque<mgPoint> pts = {mgPoint(10, 10), mgPoint(60, 10), mgPoint(60, 60)};
    CLineType& solid = CLineTypes::c_solidLine;
    solid.DrawLine(nullptr, dc, &pts, 1.0); // no view: nothing
    HPEN red = CreatePen(PS_SOLID, 1, 0x0000FF);
    HGDIOBJ old = SelectObject(dc, red);
    view.SetLineType("3", 1.5);
    std::deque<mgPoint> one = {mgPoint(5, 5)};
    dev->ClearTrace();
    solid.DrawLine(&view, dc, &one, 1.0);
    if (trace) {
        EXPECT_TRUE(dev->GetTrace().empty()); // one point: not even the text colour
    }
    solid.DrawLine(&view, nullptr, &pts, 1.0);
    if (trace) {
        EXPECT_EQ(Count("SetTextColor(0x0000ff)"), 1); // the line's colour for letters
    }
    EXPECT_EQ(GetTextColor(dc), kBlack); // given back with the DC's saved state
    EXPECT_EQ(dev->GetPixel(30, 10), 0x0000FFu);
    EXPECT_EQ(dev->GetPixel(60, 30), 0x0000FFu);
    EXPECT_EQ(dev->GetPixel(35, 35), kWhite); // not closed
    EXPECT_STREQ(view.GetLineType(), CLineTypes::StdLineTypeName(3));
    EXPECT_EQ(view.GetLineScale(), 1.5);
    SelectObject(dc, old);
    DeleteObject(red);
    // A view with no DC at all keeps its line type: nothing could give it back.
    View detached;
    detached.SetLineType("3", 1.5);
    solid.DrawLine(&detached, nullptr, &pts, 1.0);
    EXPECT_STREQ(detached.GetLineType(), CLineTypes::StdLineTypeName(3));
}

TEST_F(DrawTest, PaperSheetOnDisplayAndPrinter) {
    view.SetPaper(20, 10); // 76 x 38 px at the bottom left
    view.DrawPaper(nullptr);
    RECT r;
    view.GetPaperRectPixel(r);
    EXPECT_EQ(dev->GetPixel(r.left + 5, r.top - 1), kBlack); // frame
    EXPECT_EQ(dev->GetPixel(r.right, r.top + 5), kBlack);
    EXPECT_EQ(dev->GetPixel(r.right + 2, r.top + 10), GetSysColor(COLOR_BTNSHADOW)); // shadow
    EXPECT_EQ(dev->GetPixel(r.left + 5, r.top + 5), kWhite);
    if (trace) {
        const std::vector<std::string> calls = Drawn();
        ASSERT_EQ(calls.size(), 6u);
        EXPECT_EQ(calls[0], "Rectangle(-1,61,77,101)");
        EXPECT_EQ(calls[5].rfind("FillRect((0,62,76,100),brush#", 0), 0u);
        view.SetBkColor(0xF0F0F0, 0xF0F0F0); // no shadow on another background
        view.DrawPaper(nullptr);
        EXPECT_EQ(Drawn().size(), 2u);
        view.DrawPaper2(2, 3, 2, 2, 2, 2); // 1 vertical and 2 horizontal divisions
        const std::vector<std::string> lines = Drawn();
        EXPECT_EQ(lines.size(), 3u + 2 * 3);
        view.DrawPaper2(0, 3, 2, 2, 2, 2);
        view.DrawPaper2(2000000000, 2000000000, 1, 1, 1, 1); // only the divisions on the window
        EXPECT_LE(Drawn().size(), 3u + 2 * (200 + 100));
    }
    auto printer = Device::CreatePrinter(std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/paper_printer.pdf", 50, 40);
    if (printer && trace) {
        View p;
        p.SetWndSize(printer->GetWidth(), printer->GetHeight());
        p.Attach(printer->GetDC(), nullptr, 0);
        p.SetPaper(20, 10);
        printer->EnableTrace(true);
        p.DrawPaper(nullptr); // the outline only, through the solid line
        int lineTos = 0, fills = 0;
        for (const std::string& l : printer->GetTrace()) {
            lineTos += l.rfind("LineTo", 0) == 0;
            fills += l.rfind("FillRect", 0) == 0 || l.rfind("Rectangle", 0) == 0;
        }
        EXPECT_EQ(lineTos, 4);
        EXPECT_EQ(fills, 0);
        p.Detach();
        printer->Finish();
    }
}

// The axis-aligned ellipse in path mode is the 32-point polygon of sixteenth turns: in each quadrant
// the axis point, six points at multiples of pi/16, then the other axis point two steps on. The solid
// line strokes it segment by segment, so the trace holds every vertex, rounded.
TEST_F(DrawTest, PathModeEllipseIsThePolygonOfSixteenthTurns) {
    if (!trace)
        GTEST_SKIP() << "needs the call trace";
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    view.SetLineType("0", 1);
    dev->ClearTrace();
    view.DrawEllipse(20, 90, 180, 10, CS::COORD_SCREEN); // centre (100, 50), half-axes 80 and 40
    double qx[8] = {80}, qy[8] = {0};
    double t = 0;
    for (int i = 1; i < 7; ++i) {
        t += kPi / 16;
        qx[i] = 80 * std::cos(t);
        qy[i] = 40 * std::sin(t);
    }
    qx[7] = 0;
    qy[7] = 40;
    // Quadrants in the order q0..q7, mirrored in x q7..q0, mirrored in both q0..q7, in y q7..q0.
    std::vector<std::string> vertices;
    const int sx[4] = {1, -1, -1, 1}, sy[4] = {1, 1, -1, -1};
    for (int quadrant = 0; quadrant < 4; ++quadrant)
        for (int k = 0; k < 8; ++k) {
            const int j = quadrant % 2 == 0 ? k : 7 - k;
            const int x = static_cast<int>(100 + sx[quadrant] * qx[j] + 0.5);
            const int y = static_cast<int>(50 + sy[quadrant] * qy[j] + 0.5);
            vertices.push_back(std::to_string(x) + "," + std::to_string(y));
        }
    ASSERT_EQ(vertices.front(), "180,50");
    ASSERT_EQ(vertices[6], "131,87"); // 6 pi/16 (seven steps of pi/14 would give 118,89)
    ASSERT_EQ(vertices.back(), vertices.front());
    std::vector<std::string> expected;
    for (size_t i = 0; i + 1 < vertices.size(); ++i) {
        expected.push_back("MoveToEx(" + vertices[i] + ")");
        expected.push_back("LineTo(" + vertices[i + 1] + ")");
    }
    EXPECT_EQ(Drawn(), expected);
}

// An arc that sweeps nothing or a whole turn is the full circle wherever it starts, a start that is
// not a number included; only a sweep, radius or centre that is not a number draws nothing.
TEST_F(DrawTest, FullTurnArcsIgnoreTheirStart) {
    view.SetLineType(nullptr, 1.0);
    const size_t bytes = static_cast<size_t>(dev->GetStride()) * 100;
    auto pixels = [&]() {
        const auto* p = reinterpret_cast<const uint8_t*>(dev->GetPixels());
        return std::vector<uint8_t>(p, p + bytes);
    };
    view.DrawCircle(100, 50, 30, CS::COORD_SCREEN);
    const std::vector<uint8_t> circle = pixels();
    const double inf = INFINITY, nan = NAN;
    const double full[][2] = {{nan, 0},    {inf, 1e-8},  {-inf, -7.0}, {nan, inf},
                              {inf, -inf}, {nan, 1e300}, {3, 7}};
    for (const auto& a : full) {
        dev->Clear(kWhite);
        view.DrawArc(100, 50, 30, a[0], a[1], CS::ARC_ARC, CS::COORD_SCREEN);
        EXPECT_EQ(std::memcmp(dev->GetPixels(), circle.data(), bytes), 0) << a[0] << " " << a[1];
    }
    // The same through a line type: the circle's polygon.
    view.SetLineType("0", 1);
    dev->Clear(kWhite);
    view.DrawCircle(100, 50, 30, CS::COORD_SCREEN);
    const std::vector<uint8_t> polygon = pixels();
    dev->Clear(kWhite);
    view.DrawArc(100, 50, 30, nan, inf, CS::ARC_ARC, CS::COORD_SCREEN);
    EXPECT_EQ(std::memcmp(dev->GetPixels(), polygon.data(), bytes), 0);

    const double none[][4] = {{30, nan, 1.0, 50}, {30, inf, -2.0, 50}, {30, 0, nan, 50},
                              {30, nan, nan, 50}, {nan, 0, 0, 50},     {30, 0, 0, nan}};
    dev->Clear(kWhite);
    dev->ClearTrace();
    for (const auto& a : none)
        for (const char* lt : {"0", static_cast<const char*>(nullptr)}) {
            view.SetLineType(lt, 1);
            view.DrawArc(100, a[3], a[0], a[1], a[2], CS::ARC_PIE, CS::COORD_SCREEN);
        }
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(dev->GetPixel(x, y), kWhite) << x << "," << y;
    EXPECT_TRUE(Drawn().empty());
}

// The turned ellipse leaves the DC as it found it: the canvas saves the DC before the ellipse's
// path is begun, so restoring it brings back no used-up ellipse (a host's next StrokePath draws
// nothing) and gives back a path the host had closed before the call.
TEST_F(DrawTest, TurnedEllipseLeavesTheHostsPathAlone) {
    for (int brush : {NULL_BRUSH, GRAY_BRUSH}) { // StrokePath, then FillPath
        SelectObject(dc, GetStockObject(brush));
        view.DrawEllipse(100, 50, 40, 20, 30, CS::COORD_SCREEN);
        dev->Clear(kWhite);
        EXPECT_FALSE(StrokePath(dc)) << brush; // no path left in the DC
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x)
                ASSERT_EQ(dev->GetPixel(x, y), kWhite) << x << "," << y << " brush " << brush;
    }
    // A path of the host's own, closed before the call, is there afterwards: a line along y = 5.
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    BeginPath(dc);
    MoveToEx(dc, 10, 5, nullptr);
    LineTo(dc, 190, 5);
    EndPath(dc);
    view.DrawEllipse(100, 50, 40, 20, 30, CS::COORD_SCREEN);
    dev->Clear(kWhite);
    EXPECT_TRUE(StrokePath(dc));
    EXPECT_EQ(dev->GetPixel(100, 5), kBlack);
    EXPECT_EQ(dev->GetPixel(100, 30), kWhite); // not the ellipse
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
}

// The fill of a closed path is clipped to the guard box like a direct polygon: a triangle with
// vertices a billion pixels away fills exactly its own pixels (vertex by vertex saturation used to
// turn its long edge from slope 1/2 to slope 1).
TEST_F(DrawTest, PathFillOfAFarPolygonStaysInsideItsOutline) {
    view.SetLineType("0", 1);
    HBRUSH red = CreateSolidBrush(0x0000FF);
    HGDIOBJ old = SelectObject(dc, red);
    const double xs[3] = {10, 1e9, 1e9}, ys[3] = {10, 10, 10 + 5e8};
    view.DrawPolyline(3, xs, ys, 1, CS::COORD_SCREEN);
    SelectObject(dc, old);
    DeleteObject(red);
    int filled = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            if (dev->GetPixel(x, y) != 0x0000FFu)
                continue;
            ++filled;
            // Inside: at or below y = 10, at or above the long edge y = 10 + (x - 10) / 2.
            ASSERT_GE(y, 10) << x;
            ASSERT_LE(y, 10 + (x - 10) * 0.5 + 1.0) << x << "," << y;
        }
    EXPECT_GT(filled, 3000); // the triangle's part of the window: about 190 x 95 / 2 pixels
    EXPECT_EQ(dev->GetPixel(150, 40), 0x0000FFu);
    EXPECT_EQ(dev->GetPixel(100, 80), kWhite);
}

// GetLineType hands out the line type's own name: it stays what it was however the view is used
// afterwards, so a host can save it, draw with another line type and select it back.
TEST_F(DrawTest, SavedLineTypeNameSurvivesDrawing) {
    view.SetLineType("2", 1.5);
    const char* saved = view.GetLineType();
    ASSERT_NE(saved, nullptr);
    const std::string name = saved;
    EXPECT_EQ(name, CLineTypes::StdLineTypeName(2));
    EXPECT_EQ(view.GetLineType(), saved); // the same text every time
    view.SetLineType("3", 1.0);
    view.DrawLine(0, 10, 100, 10, CS::COORD_SCREEN); // its canvas asks for the name
    EXPECT_STREQ(view.GetLineType(), CLineTypes::StdLineTypeName(3));
    EXPECT_EQ(saved, name);
    view.SetLineType(saved, 1.5);
    EXPECT_STREQ(view.GetLineType(), CLineTypes::StdLineTypeName(2));
    view.SetLineType("0", 1.0);
    EXPECT_STREQ(view.GetLineType(), "");
}

// Division lines are drawn with plain MoveToEx/LineTo, which the clip rectangle does not clip, so
// the clip rectangle does not thin them out: a division between it and the window edge is drawn.
TEST_F(DrawTest, LayoutDivisionsIgnoreTheClipRectangle) {
    view.SetPaper(20, 10); // 76 x 38 px at the bottom left: the layout is (0, 24) - (152, 100)
    view.SetClipRect(mgRect(0, 0, 50, 100));
    view.DrawPaper2(2, 2, 0, 0, 0, 0);
    EXPECT_EQ(dev->GetPixel(76, 40), kBlack);  // the vertical division, right of the clip rectangle
    EXPECT_EQ(dev->GetPixel(100, 62), kBlack); // the horizontal one
    EXPECT_EQ(dev->GetPixel(151, 40), kBlack); // the printable frame
    EXPECT_EQ(dev->GetPixel(120, 40), kWhite);
}

// Zoomed in, a sheet spans far more than the +-10000 pixels GetPaperRectPixel is clamped to; the
// layout is measured on the whole sheet. Here a 20 m sheet at a pixel per millimetre lies 39.9 m left
// of the window: its corners round (toward zero) to x = -39899 and -19899, and the second cell of a
// 2 x 1 layout ends at x = 101.
TEST_F(DrawTest, LayoutOfAZoomedSheetKeepsItsSize) {
    view.SetMmPixels(1.0, 1.0);
    view.Zoom(1.0, 39900, 0);
    view.SetPaper(20000, 50); // y 50 .. 100
    view.SetBkColor(0xF0F0F0, kWhite);
    const COLORREF frame = 0x0F0F0F; // the background's contrast colour
    RECT clamped;
    view.GetPaperRectPixel(clamped);
    EXPECT_EQ(clamped.left, -10000); // the clamp stays on the value handed out
    EXPECT_EQ(clamped.right, -19899);
    view.DrawPaper2(2, 1, 0, 0, 0, 0);
    EXPECT_EQ(dev->GetPixel(90, 75), 0xF0F0F0u); // inside the second cell
    EXPECT_EQ(dev->GetPixel(99, 75), 0xF0F0F0u);
    EXPECT_EQ(dev->GetPixel(100, 75), frame); // printable frame, right edge
    EXPECT_EQ(dev->GetPixel(101, 75), frame); // sheet frame, a pixel outside
    EXPECT_EQ(dev->GetPixel(102, 75), kWhite);
    EXPECT_EQ(dev->GetPixel(90, 49), frame); // top frame
    // With 10 mm margins (10 pixels at scale 1) the cells are 19980 x 30: the layout ends at
    // -19899 + 19980 = 81, its printable frame at (-39889, 60) - (71, 90).
    dev->Clear(kWhite);
    view.DrawPaper2(2, 1, 10, 10, 10, 10);
    EXPECT_EQ(dev->GetPixel(70, 75), frame); // printable frame, right edge
    EXPECT_EQ(dev->GetPixel(60, 60), frame); // and top edge
    EXPECT_EQ(dev->GetPixel(60, 55), 0xF0F0F0u);
    EXPECT_EQ(dev->GetPixel(75, 75), 0xF0F0F0u);
    EXPECT_EQ(dev->GetPixel(81, 75), frame); // sheet frame
    EXPECT_EQ(dev->GetPixel(82, 75), kWhite);
}

// On a printer the sheet's outline is measured in double: an A1 sheet at 600 dpi is 19866 pixels
// wide, beyond the clamp of GetPaperRectPixel. A layout's outline is not filled with the brush the
// host left in the DC.
TEST(ViewPaper, PrinterOutlinesKeepTheirSizeAndStayHollow) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "needs the call trace";
    auto printer = Device::CreatePrinter(std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/paper_a1.pdf", 841, 594);
    ASSERT_TRUE(printer);
    const int before = draft2d::GetGdiObjectCounts().total();
    {
        View p;
        p.SetWndSize(printer->GetWidth(), printer->GetHeight());
        p.Attach(printer->GetDC(), nullptr, 0);
        p.SetPaper(841, 594);
        printer->EnableTrace(true);
        p.DrawPaper(nullptr);
        const std::vector<std::string> outline = printer->GetTrace();
        const std::string right = "LineTo(19866,";
        EXPECT_EQ(std::count_if(outline.begin(), outline.end(),
                                [&](const std::string& l) { return l.rfind(right, 0) == 0; }),
                  2);
        printer->ClearTrace();
        HBRUSH solid = CreateSolidBrush(0x00C0FF);
        HGDIOBJ old = SelectObject(printer->GetDC(), solid);
        p.DrawPaper2(2, 1, 10, 10, 10, 10);
        int polygons = 0, lineTos = 0;
        for (const std::string& l : printer->GetTrace()) {
            polygons += l.rfind("Polygon", 0) == 0;
            lineTos += l.rfind("LineTo", 0) == 0;
        }
        EXPECT_EQ(polygons, 0);
        EXPECT_EQ(lineTos, 4);
        SelectObject(printer->GetDC(), old);
        DeleteObject(solid);
        p.Detach();
    }
    printer->Finish();
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);
}

TEST(ViewPrimitives, PixelLinesAreRoundedAndClipped) {
    auto dev = Device::CreateImage(40, 20);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    const bool trace = draft2d::IsCallTraceAvailable();
    CGraphSystem v;
    v.DrawLinePx(nullptr, 0, 0, 10, 10); // detached, no DC: nothing
    v.SetWndSize(40, 20);
    v.Attach(dc, nullptr, 0);
    if (trace)
        dev->EnableTrace(true);
    v.DrawLinePx(nullptr, 2.4, 5.5, 20.6, 5.5);
    EXPECT_EQ(dev->GetPixel(1, 6), kWhite);
    EXPECT_EQ(dev->GetPixel(2, 6), kBlack);
    EXPECT_EQ(dev->GetPixel(20, 6), kBlack);
    EXPECT_EQ(dev->GetPixel(21, 6), kWhite); // GDI leaves the last pixel
    if (trace) {
        EXPECT_EQ(dev->GetTrace(), (std::vector<std::string>{"MoveToEx(2,6)", "LineTo(21,6)"}));
        dev->ClearTrace();
    }
    v.SetClipRect(mgRect(10, 0, 15, 19));
    v.DrawLinePx(dc, 0, 12, 39, 12);
    EXPECT_EQ(dev->GetPixel(9, 12), kWhite);
    EXPECT_EQ(dev->GetPixel(10, 12), kBlack);
    EXPECT_EQ(dev->GetPixel(14, 12), kBlack);
    EXPECT_EQ(dev->GetPixel(16, 12), kWhite);
    if (trace) {
        EXPECT_EQ(dev->GetTrace(), (std::vector<std::string>{"MoveToEx(10,12)", "LineTo(15,12)"}));
        dev->ClearTrace();
    }
    v.DrawLinePx(dc, 20, 1, 39, 1);          // wholly outside
    v.DrawLinePx(dc, std::nan(""), 1, 5, 1); // not finite
    v.DrawLinePx(dc, 12, 1, INFINITY, 1);
    if (trace) {
        EXPECT_TRUE(dev->GetTrace().empty());
    }
    EXPECT_EQ(dev->GetPixel(12, 1), kWhite);
}

// Without a clip rectangle, segments near the guard box round (or saturate) to its edge, segments
// with an end beyond it are clipped to it and non-finite ones are skipped; a copied view keeps the
// clip rectangle, and clearing it clips no more.
TEST(ViewPrimitives, PixelLinesAtTheGuardBoxAndInCopiedViews) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "needs the platform layer's call trace";
    auto dev = Device::CreateImage(40, 20);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    const double edge = 67108864.0;
    CGraphSystem v;
    v.SetWndSize(40, 20);
    v.Attach(dc, nullptr, 0);
    dev->EnableTrace(true);
    v.DrawLinePx(dc, edge - 0.3, -(edge - 0.7), -(edge - 0.2), 3.49);
    v.DrawLinePx(dc, 5, 5, 2 * edge, 5);
    v.DrawLinePx(dc, -INFINITY, 5, 5, 5);
    EXPECT_EQ(dev->GetTrace(),
              (std::vector<std::string>{"MoveToEx(67108864,-67108862)", "LineTo(-67108863,3)",
                                        "MoveToEx(5,5)", "LineTo(67108864,5)"}));
    dev->ClearTrace();

    v.SetClipRect(mgRect(10, 0, 15, 19));
    CGraphSystem copy(v);
    copy.Attach(dc, nullptr, 0);
    dev->ClearTrace();
    copy.DrawLinePx(dc, 0, 12, 39, 12);
    copy.SetClipRect(mgRect());
    copy.DrawLinePx(dc, 0, 13, 39, 13);
    EXPECT_EQ(dev->GetTrace(), (std::vector<std::string>{"MoveToEx(10,12)", "LineTo(15,12)", "MoveToEx(0,13)",
                                                         "LineTo(39,13)"}));
    copy.Detach();
    v.Detach();
}

} // namespace
