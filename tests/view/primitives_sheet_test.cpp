// The primitives sheet: every drawing call of the view in every mode on one page, written to
// primitives_sheet.png (image device) and primitives_sheet.pdf (printer) in the test output folder,
// for looking at. Columns: direct drawing with a red pen and no brush; the same through the solid
// line type (path mode) under a hatched brush; the same under a solid brush. Rows: lines, circles
// of several sizes, arcs and their sectors and chords, ellipses (box, elliptic arc, turned),
// rectangles (plain, turned, matrix), polylines open and closed. The sheet itself is checked for
// leaks and the DC's saved state.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/devices.h"
#include "values/mgMatrix.h"
#include "view/CGraphCanvas.h"
#include "view/CGraphSystem.h"

using draft2d::Device;

namespace {

const double kPi = 3.141592653589793;

// One cell of the sheet in paper millimetres: its origin is the lower left corner.
void DrawCell(CGraphSystem& v, double ox, double oy, int row) {
    using CS = CGraphSystem;
    switch (row) {
    case 0: // lines, in user, paper and screen coordinates
        v.DrawLine(ox + 2, oy + 2, ox + 40, oy + 20, CS::COORD_PAPER);
        v.DrawLine(mgPoint(ox + 2, oy + 20), mgPoint(ox + 40, oy + 2), CS::COORD_USER);
        {
            mgPoint a, b;
            v.PaperToScreen(ox + 2, oy + 11, a);
            v.PaperToScreen(ox + 40, oy + 11, b);
            v.DrawLine(a, b, CS::COORD_SCREEN);
        }
        break;
    case 1: // circles: dot, tiny, small, large
        v.DrawCircle(ox + 4, oy + 11, 0.1, CS::COORD_PAPER);
        v.DrawCircle(ox + 8, oy + 11, 0.45, CS::COORD_PAPER);
        v.DrawCircle(ox + 14, oy + 11, 3, CS::COORD_PAPER);
        v.DrawCircle(mgPoint(ox + 30, oy + 11), 9, CS::COORD_PAPER);
        break;
    case 2: // arc, sector, chord; a negative sweep
        v.DrawArc(ox + 8, oy + 10, 7, 0.3, 2.2, CS::ARC_ARC, CS::COORD_PAPER);
        v.DrawArc(ox + 22, oy + 10, 7, 0.3, 2.2, CS::ARC_PIE, CS::COORD_PAPER);
        v.DrawArc(mgPoint(ox + 36, oy + 10), 7, 0.3, -2.2, CS::ARC_CHORD, CS::COORD_PAPER);
        break;
    case 3: // ellipses: box, elliptic arc, turned
        v.DrawEllipse(ox + 2, oy + 16, ox + 16, oy + 6, CS::COORD_PAPER);
        {
            mgPoint p1, p2, p3, p4;
            v.PaperToScreen(ox + 18, oy + 18, p1);
            v.PaperToScreen(ox + 32, oy + 4, p2);
            v.PaperToScreen(ox + 32, oy + 18, p3); // from the upper right ...
            v.PaperToScreen(ox + 18, oy + 4, p4);  // ... to the lower left, counter-clockwise
            v.DrawArc(p1, p2, p3, p4, CS::COORD_SCREEN);
        }
        v.DrawEllipse(ox + 38, oy + 11, 5, 2.5, 30, CS::COORD_PAPER);
        break;
    case 4: // rectangles: plain, turned about the origin then moved, through a matrix, four points
        v.DrawRect(mgRect(ox + 2, oy + 3, ox + 12, oy + 18), 0, 0, 0, CS::COORD_PAPER);
        v.DrawRect(mgRect(0, 0, 8, 5), kPi / 6, ox + 16, oy + 5, CS::COORD_PAPER);
        v.DrawMatrixRect(mg_TranslateMatrix(ox + 28, oy + 4), mgRect(0, 0, 8, 6), 0.4, 0, 0);
        v.DrawRect(mgPoint(ox + 38, oy + 3), mgPoint(ox + 44, oy + 6), mgPoint(ox + 43, oy + 18),
                   mgPoint(ox + 37, oy + 14), CS::COORD_PAPER);
        break;
    case 5: { // polylines: open zigzag, closed star
        double xs[6], ys[6];
        for (int i = 0; i < 6; ++i) {
            xs[i] = ox + 2 + i * 3.5;
            ys[i] = oy + (i % 2 ? 17 : 4);
        }
        v.DrawPolyline(6, xs, ys, 0, CS::COORD_PAPER);
        mgPoint star[5];
        for (int i = 0; i < 5; ++i) {
            const double a = kPi / 2 + i * 4 * kPi / 5;
            star[i].set(ox + 32 + 8 * std::cos(a), oy + 10 + 8 * std::sin(a));
        }
        v.DrawPolyline(5, star, 1, CS::COORD_PAPER);
        break;
    }
    default: // matrix forms: a small symbol-like group turned by 20 degrees
    {
        const mgMatrix m = mg_RotateMatrix(0.35) * mg_TranslateMatrix(ox + 22, oy + 10);
        v.DrawMatrixLine(m, mgPoint(-18, 0), mgPoint(18, 0));
        v.DrawMatrixCircle(m, mgPoint(0, 0), 6);
        v.DrawMatrixArc(m, mgPoint(-12, 0), 5, 0, kPi, CS::ARC_ARC);
        v.DrawMatrixArc(m, mgPoint(8, 0), mgPoint(12, 4), mgPoint(16, 0), CS::ARC_ARC);
        const double xs[4] = {-4, 4, 4, -4}, ys[4] = {-8, -8, -5, -5};
        v.DrawMatrixPolyline(m, 4, xs, ys, 1);
        break;
    }
    }
}

void DrawSheet(CGraphSystem& v) {
    v.Cls();
    v.SetPaper(160, 175);
    v.DrawPaper(nullptr);
    CGraphCanvas canvas(&v, nullptr, 1);
    canvas.SetPen(-1, 0x0000C0, PS_SOLID);
    for (int col = 0; col < 3; ++col) {
        const double ox = 5 + col * 52;
        if (col == 0) {
            v.SetLineType(nullptr, 1); // direct: the selected pen and brush
            canvas.SetNullBrush();
        } else {
            v.SetLineType("0", 1); // the solid line: paths drawn by the line type
            if (col == 1)
                canvas.SetBrush(::CreateHatchBrush(HS_DIAGCROSS, 0x00A000));
            else
                canvas.SetSolidBrush(0xF0D0A0);
        }
        for (int row = 0; row < 7; ++row)
            DrawCell(v, ox, 150 - row * 24, row);
    }
    v.SetLineType("0", 1);
}

TEST(PrimitivesSheet, EveryShapeInEveryMode) {
    const int before = draft2d::GetGdiObjectCounts().total();
    {
        auto dev = Device::CreateImage(640, 700);
        ASSERT_TRUE(dev);
        CGraphSystem v;
        v.SetWndSize(640, 700);
        v.Attach(dev->GetDC(), nullptr, 1);
        v.Zoom(1.0, 0, 0);
        const int depth = dev->GetSaveDepth();
        DrawSheet(v);
        v.ShowCacheBitmap();
        EXPECT_EQ(dev->GetSaveDepth(), depth);
        EXPECT_STREQ(v.GetLineType(), "");
        v.Detach();
        EXPECT_TRUE(dev->WritePng(std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/primitives_sheet.png"));
    }
    {
        const std::string pdf = std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/primitives_sheet.pdf";
        auto printer = Device::CreatePrinter(pdf, 170, 185, 300);
        if (printer) {
            CGraphSystem v;
            v.SetWndSize(printer->GetWidth(), printer->GetHeight());
            v.Attach(printer->GetDC(), nullptr, 0);
            v.Zoom(1.0, 0, 0);
            DrawSheet(v);
            v.Detach();
            EXPECT_TRUE(printer->Finish());
        }
    }
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);
}

// The ellipse of path mode, large (ellipse_polygon.png): GDI's own ellipse in grey, the 32-point
// polygon of sixteenth turns in red over it, its vertices marked. The polygon's double step before
// each end of the vertical axis shows as a longer side there.
TEST(PrimitivesSheet, EllipsePolygonOverTheEllipse) {
    const int before = draft2d::GetGdiObjectCounts().total();
    auto dev = Device::CreateImage(520, 320);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    {
        CGraphSystem v;
        v.SetWndSize(520, 320);
        v.Attach(dc, nullptr, 0);
        CGraphCanvas canvas(&v, nullptr, 1);
        canvas.SetPen(-3, 0xC0C0C0, PS_SOLID);
        v.SetLineType(nullptr, 1);
        v.DrawEllipse(20, 20, 500, 300, CGraphSystem::COORD_SCREEN);
        canvas.SetPen(0, 0x0000D0, PS_SOLID);
        v.SetLineType("0", 1);
        v.DrawEllipse(20, 20, 500, 300, CGraphSystem::COORD_SCREEN);
        for (int i = 0; i < 32; ++i) {
            const int quadrant = i / 8, k = quadrant % 2 == 0 ? i % 8 : 7 - i % 8;
            const double t = k == 7 ? kPi / 2 : k * kPi / 16;
            const double x = 260 + (quadrant == 1 || quadrant == 2 ? -1 : 1) * 240 * std::cos(t);
            const double y = 160 + (quadrant >= 2 ? -1 : 1) * 140 * std::sin(t);
            v.SetLineType(nullptr, 1);
            v.DrawCircle(x, y, 2.5, CGraphSystem::COORD_SCREEN);
        }
        canvas.Detach();
        v.Detach();
    }
    EXPECT_TRUE(dev->WritePng(std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/ellipse_polygon.png"));
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);
}

// Paper layouts: a 3 x 2 layout of A4 sheets with 10 mm margins, whole (paper_layout.png, a clip
// rectangle in grey over its left part: the divisions beyond it are drawn all the same), and zoomed
// in 200 times on the point where four cells meet (paper_layout_zoomed.png): the sheet then spans
// some 230,000 pixels, far beyond the +-10000 of GetPaperRectPixel, and the layout is still measured
// on the whole sheet. The zoomed picture is checked where its lines must be.
TEST(PrimitivesSheet, PaperLayoutsWholeAndZoomedIn) {
    const int before = draft2d::GetGdiObjectCounts().total();
    auto layout = [](CGraphSystem& v) { v.DrawPaper2(3, 2, 10, 10, 10, 10); };
    // An A4 sheet on a grey window of the device's size.
    auto attach = [](CGraphSystem& v, Device& dev) {
        v.SetWndSize(dev.GetWidth(), dev.GetHeight());
        v.Attach(dev.GetDC(), nullptr, 0);
        v.SetBkColor(0xFFFFFF, 0xE0E0E0);
        v.SetPaper(297, 210);
    };
    {
        auto dev = Device::CreateImage(640, 400);
        ASSERT_TRUE(dev);
        CGraphSystem v;
        attach(v, *dev);
        v.Cls();
        v.ZoomTo(mgRect(-20, -20, 3 * 297 + 20, 2 * 210 + 20), 1);
        v.SetClipRect(mgRect(100, 40, 260, 360));
        layout(v);
        v.SetClipRect(mgRect());
        {
            CGraphCanvas canvas(&v, nullptr, 1);
            canvas.SetPen(0, 0xA0A0A0, PS_DOT);
            ::Rectangle(dev->GetDC(), 100, 40, 260, 360);
        }
        v.Detach();
        EXPECT_TRUE(dev->WritePng(std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/paper_layout.png"));
    }
    {
        auto dev = Device::CreateImage(400, 300);
        ASSERT_TRUE(dev);
        CGraphSystem v;
        attach(v, *dev);
        v.SetMmPixels(4.0, 4.0);
        v.Cls();
        // At scale 50 a millimetre is 200 pixels: the sheet is 59400 x 42000 pixels, a margin 500
        // and a cell 58400 x 41000. The first vertical division lies 500 + 58400 pixels right of the
        // sheet's left edge, the horizontal one 500 pixels below the sheet's top (the layout grows
        // upward from the sheet). With the sheet's left edge at -58700 (paper x 0 at view x 293.5
        // mm) and its top at -350 (view y 210 - 650 / 200 mm), both rounded toward zero to -58699
        // and -349 (the sheet is then 59399 pixels wide, the cell 58399), they lie at x = 200 and
        // y = 151.
        v.Zoom(50, 293.5, 210 - 3.25);
        RECT sheet;
        v.GetPaperRectPixel(sheet);
        EXPECT_EQ(sheet.left, -10000); // the sheet reaches beyond the clamp
        EXPECT_EQ(sheet.top, -349);
        layout(v);
        for (int i : {20, 120, 180, 220, 280})
            EXPECT_EQ(dev->GetPixel(200, i), 0u) << i; // the vertical division
        for (int i : {20, 120, 180, 220, 380})
            EXPECT_EQ(dev->GetPixel(i, 151), 0u) << i; // the horizontal one
        EXPECT_EQ(dev->GetPixel(100, 100), 0xFFFFFFu);
        v.Detach();
        EXPECT_TRUE(dev->WritePng(std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/paper_layout_zoomed.png"));
    }
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);
}

} // namespace
