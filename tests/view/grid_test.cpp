// The grid of CGraphSystem: visibility, the first line nearest the covered area, dots and lines.
#include <gtest/gtest.h>

#include "platform/devices.h"
#include "view/CGraphSystem.h"

using draft2d::Device;

namespace {

struct GridView : CGraphSystem {
    using CGraphSystem::GetGridValues;
};

const COLORREF kRed = 0x0000FF;
const COLORREF kBlue = 0xFF0000;
const COLORREF kWhite = 0xFFFFFF;

// One pixel per user unit on a 200 x 200 window: screen (x, 200 - y).
void UnitView(CGraphSystem& v) {
    v.SetWndSize(200, 200);
    v.SetMmPixels(1.0, 1.0);
}

TEST(ViewGrid, HiddenBelowFivePixels) {
    GridView v;
    UnitView(v);
    double dx, dy, x0, y0;
    long nx, ny;
    v.SetGrid(10, 10, 0, 0, mgRect());
    v.SetMmPixels(0.4, 0.4); // 4 pixels per spacing
    EXPECT_EQ(v.GetGridValues(dx, dy, x0, y0, nx, ny), 0);
    v.SetMmPixels(0.6, 0.6); // 6 pixels
    EXPECT_EQ(v.GetGridValues(dx, dy, x0, y0, nx, ny), 1);
    v.SetGrid(10, 0, 0, 0, mgRect()); // dy 0 hides the grid
    EXPECT_EQ(v.GetGridValues(dx, dy, x0, y0, nx, ny), 0);
    v.SetGrid(0, 10, 0, 0, mgRect()); // dx 0 is refused: dy stays 0
    EXPECT_EQ(v.GetGridValues(dx, dy, x0, y0, nx, ny), 0);
    double sx = -1, sy = -1;
    EXPECT_EQ(v.SnapGrid(3, 4, &sx, &sy, 0), 0);
    EXPECT_EQ(sx, -1);
}

TEST(ViewGrid, FirstLineIsTheOneNearestTheAreaEdge) {
    GridView v;
    UnitView(v);
    v.SetGridType(2);
    v.SetGridType(3); // ignored
    EXPECT_EQ(v.GetGridType(), 2);
    double dx, dy, x0, y0;
    long nx, ny;
    v.SetGrid(10, 10, 3, 3, mgRect(0, 0, 100, 100));
    ASSERT_EQ(v.GetGridValues(dx, dy, x0, y0, nx, ny), 1);
    EXPECT_DOUBLE_EQ(x0, 3);
    EXPECT_DOUBLE_EQ(y0, 3);
    EXPECT_EQ(nx, 11); // 3 .. 103
    v.SetGrid(10, 10, 3, 3, mgRect(9, 0, 100, 100));
    ASSERT_EQ(v.GetGridValues(dx, dy, x0, y0, nx, ny), 1);
    EXPECT_DOUBLE_EQ(x0, 13);
    EXPECT_EQ(nx, 10);
    // The area is limited to the window (grown by 2 pixels): user -2 .. 202.
    v.SetGrid(10, 10, 0, 0, mgRect(-1000, -1000, 1000, 1000));
    ASSERT_EQ(v.GetGridValues(dx, dy, x0, y0, nx, ny), 1);
    EXPECT_DOUBLE_EQ(x0, 0);
    EXPECT_EQ(nx, 21);
    // Type 0 covers the paper: 297 x 210 mm, cut by the window.
    v.SetGridType(0);
    v.Zoom(1.0, 250, 0);
    ASSERT_EQ(v.GetGridValues(dx, dy, x0, y0, nx, ny), 1);
    EXPECT_DOUBLE_EQ(x0, 250);
    EXPECT_EQ(nx, 6); // 250 .. 300 (297 rounds to the nearer line)

    double sx, sy;
    ASSERT_EQ(v.SnapGrid(263, 47, &sx, &sy, 0), 1);
    EXPECT_DOUBLE_EQ(sx, 260);
    EXPECT_DOUBLE_EQ(sy, 50);
    ASSERT_EQ(v.SnapGrid(263, 47, &sx, &sy, 1), 1);
    EXPECT_DOUBLE_EQ(sy, 47);
    EXPECT_EQ(v.SnapGrid(263, 47, &sx, &sy, 3), 0);
    EXPECT_EQ(v.SnapGrid(263, 47, nullptr, &sy, 0), 0);
}

class ViewGridDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        dev = Device::CreateImage(200, 200);
        ASSERT_TRUE(dev);
        before = draft2d::GetGdiObjectCounts();
        depth = dev->GetSaveDepth();
        UnitView(v);
        v.Attach(dev->GetDC(), nullptr, 0);
        v.SetMmPixels(1.0, 1.0); // Attach took the device's density
        v.SetPaper(100, 50);     // screen (0, 150) - (100, 200)
        v.SetGrid(10, 10, 0, 0, mgRect());
    }
    void TearDown() override {
        v.Detach();
        EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before.total());
        EXPECT_EQ(dev->GetSaveDepth(), depth);
    }
    COLORREF At(int ux, int uy) const { return dev->GetPixel(ux, 200 - uy); }
    std::unique_ptr<Device> dev;
    CGraphSystem v;
    draft2d::GdiObjectCounts before;
    int depth = 0;
};

TEST_F(ViewGridDrawing, DotsInsideAndOutsideThePaper) {
    v.DrawGrid(kRed, kBlue, 0);
    EXPECT_EQ(At(10, 10), kRed);
    EXPECT_EQ(At(90, 40), kRed);
    EXPECT_EQ(At(150, 10), kBlue);
    EXPECT_EQ(At(10, 60), kBlue);
    EXPECT_EQ(At(15, 10), kWhite);
    dev->Clear(kWhite);
    v.DrawGrid(kRed, 0xFFFFFFFF, 0); // clear colour = background: one colour everywhere
    EXPECT_EQ(At(150, 10), kRed);
    dev->Clear(kWhite);
    v.SetBkColor(kWhite, 0x00FF00);
    v.DrawGrid(kRed, 0xFFFFFFFF, 0); // else the clear colour's contrast outside
    EXPECT_EQ(At(150, 10), 0xFF00FFu);
    EXPECT_EQ(At(10, 10), kRed);
}

TEST_F(ViewGridDrawing, LinesAndOtherStyles) {
    v.DrawGrid(kRed, kBlue, 7);
    EXPECT_EQ(At(10, 10), kWhite);
    v.DrawGrid(kRed, kBlue, 1);
    EXPECT_EQ(At(10, 15), kRed);
    EXPECT_EQ(At(15, 10), kRed);
    EXPECT_EQ(At(150, 155), kRed); // lines ignore the paper
    EXPECT_EQ(At(15, 15), kWhite);
    EXPECT_EQ(GetCurrentObject(dev->GetDC(), OBJ_PEN), GetStockObject(BLACK_PEN));
}

// The colour rule applies once, to dots and lines alike: inverted red is cyan in every style (lines
// used to be inverted twice, back to red), and grey stays the same grey.
TEST_F(ViewGridDrawing, ColourModesApplyOnceToDotsAndLines) {
    const COLORREF cyan = 0xFFFF00;
    v.SetColorMode(2);
    v.DrawGrid(kRed, 0xFFFFFFFF, 0);
    EXPECT_EQ(At(10, 10), cyan);
    EXPECT_EQ(At(150, 10), cyan);
    dev->Clear(kWhite);
    for (int style : {1, 2}) {
        v.DrawGrid(kRed, kBlue, style);
        EXPECT_EQ(At(10, 15), cyan) << style;
        EXPECT_EQ(At(15, 10), cyan) << style;
        dev->Clear(kWhite);
    }
    // Grey: 0.3 x 255 of red is 76 (0x4c) on every channel, in every style.
    v.SetColorMode(1);
    v.DrawGrid(kRed, 0xFFFFFFFF, 0);
    EXPECT_EQ(At(10, 10), 0x4C4C4Cu);
    v.DrawGrid(kRed, kBlue, 1);
    EXPECT_EQ(At(10, 15), 0x4C4C4Cu);
}

} // namespace
