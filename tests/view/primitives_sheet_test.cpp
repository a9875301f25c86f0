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

} // namespace
