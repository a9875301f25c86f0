// Zoom, pan, the paper rectangle and the interactive view commands of CGraphSystem.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/devices.h"
#include "view/CGraphSystem.h"

using draft2d::Device;

namespace {

void CountCalls(void* data, CGraphSystem*) {
    ++*static_cast<int*>(data);
}

// A view on an 800 x 600 window with a redraw counter.
struct ViewFixture : ::testing::Test {
    void SetUp() override {
        v.SetWndSize(800, 600);
        v.SetRegenFunc(CountCalls, &calls);
    }
    mgPoint Screen(double x, double y) const {
        mgPoint s;
        v.UserToScreen(x, y, s);
        return s;
    }
    mgPoint User(double sx, double sy) const {
        mgPoint u;
        v.ScreenToUser(sx, sy, u);
        return u;
    }
    CGraphSystem v;
    int calls = 0;
};

void ExpectNear(const mgPoint& a, const mgPoint& b, double tol) {
    EXPECT_NEAR(a.x(), b.x(), tol);
    EXPECT_NEAR(a.y(), b.y(), tol);
}

using ViewZoom = ViewFixture;

TEST_F(ViewZoom, FitWidensToTheWindowAspectAboutTheCentre) {
    v.SetWndSize(400, 400);
    ASSERT_EQ(v.ZoomTo(mgRect(100, 0, 0, 50), 0), 1); // any corner order
    ExpectNear(User(0, 400), mgPoint(0, -25), 1e-9);
    ExpectNear(User(400, 0), mgPoint(100, 75), 1e-9);
    EXPECT_EQ(calls, 0); // ZoomTo does not redraw

    // A target rectangle of the window: the user rectangle appears centred in it.
    RECT target = {100, 50, 300, 150};
    ASSERT_EQ(v.ZoomTo(mgRect(0, 0, 10, 10), target, 0), 1);
    ExpectNear(Screen(5, 5), mgPoint(200, 100), 1e-9);
    ExpectNear(Screen(0, 0), mgPoint(150, 150), 1e-9);
}

TEST_F(ViewZoom, FitRefusesDegenerateAndOutOfRangeScales) {
    v.Zoom(2.0, 5, 6);
    EXPECT_EQ(v.ZoomTo(mgRect(0, 0, 0, 10), 1), 0);
    RECT flat = {0, 0, 100, 0};
    EXPECT_EQ(v.ZoomTo(mgRect(0, 0, 10, 10), flat, 1), 0);
    // 800 pixels over 1 mm would need a scale of about 211.
    EXPECT_EQ(v.ZoomTo(mgRect(0, 0, 1, 1), 0), 0);
    EXPECT_EQ(v.GetViewScale(), 2.0);
    EXPECT_EQ(v.GetViewOrigin(), mgPoint(5, 6));
    ASSERT_EQ(v.ZoomTo(mgRect(0, 0, 1, 1), 1), 1);
    EXPECT_EQ(v.GetViewScale(), CGraphSystem::MAX_VIEW_SCALE);
    ExpectNear(Screen(0.5, 0.5), mgPoint(400, 300), 1e-9);
    EXPECT_EQ(v.ZoomTo(mgRect(0, 0, 1e6, 1e6), 0), 0);
}

TEST_F(ViewZoom, ZoomAboutAPointKeepsTheUserPointUnderIt) {
    v.SetUCS(100, 20, 30, 2);
    const POINT pts[] = {{0, 0}, {799, 599}, {123, 456}, {-50, 700}};
    const double scales[] = {0.02, 0.5, 3.0, 99.0, 1e6};
    for (const POINT& p : pts) {
        for (double s : scales) {
            const mgPoint before = User(p.x, p.y);
            EXPECT_EQ(v.ZoomTo(p, s), 1);
            EXPECT_DOUBLE_EQ(v.GetViewScale(), std::min(s, CGraphSystem::MAX_VIEW_SCALE));
            ExpectNear(User(p.x, p.y), before, 1e-9 * (1 + std::fabs(before.x()) + std::fabs(before.y())));
        }
    }
    v.ZoomTo(std::nan(""));
    EXPECT_EQ(v.GetViewScale(), CGraphSystem::MIN_VIEW_SCALE);
}

TEST_F(ViewZoom, FactorsAndSteps) {
    v.Zoom(1.0, 0, 0);
    const mgPoint centre = User(400, 300);
    v.ZoomByFactor(1);
    EXPECT_DOUBLE_EQ(v.GetViewScale(), 2.0);
    v.ZoomByFactor(-1);
    EXPECT_DOUBLE_EQ(v.GetViewScale(), 1.0);
    v.ZoomByFactor(0);
    EXPECT_DOUBLE_EQ(v.GetViewScale(), 1.0);
    v.ZoomIn(1);
    EXPECT_DOUBLE_EQ(v.GetViewScale(), 1.25);
    v.ZoomOut(1);
    EXPECT_DOUBLE_EQ(v.GetViewScale(), 1.0);
    EXPECT_EQ(calls, 2);
    ExpectNear(User(400, 300), centre, 1e-9);
}

TEST_F(ViewZoom, PanMovesEveryPointByPixels) {
    v.Zoom(1.7, 3, 4);
    const mgPoint a = Screen(10, 20), b = Screen(-300, 77);
    EXPECT_EQ(v.ZoomPan(10, -4), 1);
    ExpectNear(Screen(10, 20), a + mgPoint(10, -4), 1e-9);
    ExpectNear(Screen(-300, 77), b + mgPoint(10, -4), 1e-9);
    const mgPoint c = Screen(0, 0);
    v.PanLeft(1);
    ExpectNear(Screen(0, 0), c + mgPoint(-184, 0), 1e-9);
    v.PanRight(1);
    v.PanDown(2);
    ExpectNear(Screen(0, 0), c + mgPoint(0, 276), 1e-9);
    v.PanUp(2);
    ExpectNear(Screen(0, 0), c, 1e-9);
    EXPECT_EQ(calls, 4);
}

TEST_F(ViewZoom, PaperRectangles) {
    CGraphSystem d; // defaults: 297 x 210 mm, scale 1, 96 dpi, height 1
    RECT r;
    d.GetPaperRectPixel(r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, -792);
    EXPECT_EQ(r.right, 1123);
    EXPECT_EQ(r.bottom, 1);
    d.SetPaper(1, 300); // refused
    d.SetUCS(10, 5, 5, 0);
    mgRect p = d.GetPaperRect();
    EXPECT_NEAR(p.left(), -50, 1e-12);
    EXPECT_NEAR(p.right(), 2920, 1e-9);
    EXPECT_NEAR(p.top(), 2050, 1e-9);
    d.Zoom(10.0, 0, 0);
    d.GetPaperRectPixel(r);
    EXPECT_EQ(r.right, 10000);
    EXPECT_EQ(r.top, -7935); // 1 - 7937.007 + 0.5, truncated toward zero
    d.Zoom(50.0, 0, 0);
    d.GetPaperRectPixel(r);
    EXPECT_EQ(r.top, -10000);
}

TEST_F(ViewZoom, FollowingThePaperRefitsOnResize) {
    v.ZoomPaper(0, -1);
    EXPECT_EQ(v.GetZoomMode(), CGraphSystem::ZOOM_PAPER);
    EXPECT_EQ(calls, 0);
    RECT r;
    v.GetPaperRectPixel(r);
    // 297 x 210 into 780 x 580: the width decides.
    EXPECT_NEAR(r.left, 10, 1);
    EXPECT_NEAR(r.right, 790, 1);
    v.SetWndSize(400, 800);
    v.GetPaperRectPixel(r);
    EXPECT_NEAR(r.left, 10, 1);
    EXPECT_NEAR(r.right, 390, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2.0, 400, 1);
    EXPECT_EQ(v.GetZoomMode(), CGraphSystem::ZOOM_PAPER);
    v.ZoomPan(10, 0);
    EXPECT_EQ(v.GetZoomMode(), CGraphSystem::ZOOM_NONE);
    v.SetWndSize(500, 500); // no longer following
    v.GetPaperRectPixel(r);
    EXPECT_NEAR(r.left, 20, 1);

    v.ZoomPaper(1, 0);
    EXPECT_EQ(calls, 1);
    v.ZoomExtent(mgRect(0, 0, 100, 100), 50);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(v.GetZoomMode(), CGraphSystem::ZOOM_NONE);
    ExpectNear(Screen(0, 0), mgPoint(50, 450), 1e-9);
}

using ViewCommands = ViewFixture;

// The key step level is shared by all views; bring it back to its initial 1.
void ResetKeyLevel(CGraphSystem& v) {
    for (int i = 0; i < 6; ++i)
        v.OnKeyDown(34);
    for (int i = 0; i < 4; ++i)
        v.OnKeyDown(33);
}

TEST_F(ViewCommands, PanFollowsTheMouseOnceFromTheDownView) {
    v.SetCmd(CGraphSystem::ZOOM_PAN);
    EXPECT_EQ(v.IsZoomCmd(), 1);
    const mgPoint origin = Screen(0, 0);
    v.OnLButtonDown(100, 100);
    EXPECT_EQ(v.OnMouseMove(103, 102), 0); // within the click distance
    EXPECT_EQ(v.OnLButtonUp(103, 102), 0);
    ExpectNear(Screen(0, 0), origin, 1e-9);
    EXPECT_EQ(calls, 2); // two Redraw calls

    v.OnLButtonDown(100, 100);
    EXPECT_EQ(v.OnMouseMove(110, 100), 1);
    EXPECT_EQ(v.OnMouseMove(120, 100), 1);
    EXPECT_EQ(v.OnMouseMove(125, 100), 1);
    EXPECT_EQ(v.OnLButtonUp(130, 100), 1);
    ExpectNear(Screen(0, 0), origin + mgPoint(30, 0), 1e-9);
    EXPECT_EQ(v.GetZoomMode(), CGraphSystem::ZOOM_PAN); // stays armed
    EXPECT_EQ(v.OnMouseMove(500, 500), 0);              // no button held
}

TEST_F(ViewCommands, DynamicZoomAboutTheDownPoint) {
    v.SetCmd(CGraphSystem::ZOOM_DYNAMIC);
    const mgPoint under = User(200, 400);
    v.OnLButtonDown(200, 400);
    EXPECT_EQ(v.OnMouseMove(200, 100), 1); // half the height up: factor 1 + 2
    EXPECT_DOUBLE_EQ(v.GetViewScale(), 3.0);
    EXPECT_EQ(v.OnLButtonUp(200, 700), 1); // half the height down: divided by 3
    EXPECT_NEAR(v.GetViewScale(), 1.0 / 3.0, 1e-12);
    ExpectNear(User(200, 400), under, 1e-9);
}

TEST_F(ViewCommands, ZoomInClicksAndRectangles) {
    v.SetCmd(CGraphSystem::ZOOM_IN);
    const mgPoint under = User(300, 200);
    v.OnLButtonDown(300, 200);
    EXPECT_EQ(v.OnLButtonUp(302, 201), 1);
    EXPECT_DOUBLE_EQ(v.GetViewScale(), 1.3);
    ExpectNear(User(300, 200), under, 1e-9);

    v.OnLButtonDown(300, 200);
    EXPECT_EQ(v.OnLButtonUp(330, 200), 0); // between a click and a rectangle
    EXPECT_DOUBLE_EQ(v.GetViewScale(), 1.3);

    const mgPoint a = User(100, 100), b = User(200, 200);
    v.OnLButtonDown(200, 200);
    EXPECT_EQ(v.OnMouseMove(150, 150), 0);
    EXPECT_EQ(v.OnLButtonUp(100, 100), 1);
    // The square fills the window's height, centred.
    ExpectNear(Screen((a.x() + b.x()) / 2, (a.y() + b.y()) / 2), mgPoint(400, 300), 1e-9);
    EXPECT_NEAR(Screen(a.x(), a.y()).y(), 0, 1e-9);
}

TEST_F(ViewCommands, ZoomOutShrinksTheViewIntoTheRectangle) {
    v.SetCmd(CGraphSystem::ZOOM_OUT);
    v.Zoom(2.0, 0, 0);
    const mgPoint corner = User(0, 600);
    v.OnLButtonDown(200, 150);
    EXPECT_EQ(v.OnLButtonUp(600, 450), 1);
    EXPECT_DOUBLE_EQ(v.GetViewScale(), 1.0);
    ExpectNear(Screen(corner.x(), corner.y()), mgPoint(200, 450), 1e-9);
    v.OnLButtonDown(100, 100);
    EXPECT_EQ(v.OnLButtonUp(100, 100), 1); // a click zooms out by 1.3
    EXPECT_DOUBLE_EQ(v.GetViewScale(), 1.0 / 1.3);
}

TEST_F(ViewCommands, EscapeUndoesADrag) {
    v.SetCmd(CGraphSystem::ZOOM_PAN);
    const mgPoint origin = Screen(0, 0);
    v.OnLButtonDown(10, 10);
    v.OnMouseMove(90, 50);
    EXPECT_NE(Screen(0, 0).x(), origin.x());
    EXPECT_EQ(v.OnKeyDown(27), 1);
    ExpectNear(Screen(0, 0), origin, 1e-9);
    EXPECT_EQ(v.GetZoomMode(), CGraphSystem::ZOOM_PAN); // the button is released, still armed
    EXPECT_EQ(v.OnKeyDown(27), 1);                      // now the command ends
    EXPECT_EQ(v.GetZoomMode(), CGraphSystem::ZOOM_NONE);
    EXPECT_EQ(v.OnKeyDown(27), 0);

    v.SetCmd(CGraphSystem::ZOOM_DYNAMIC);
    v.OnLButtonDown(10, 300);
    v.OnMouseMove(10, 100);
    EXPECT_EQ(v.OnCancel(), 1);
    EXPECT_DOUBLE_EQ(v.GetViewScale(), 1.0);
    EXPECT_EQ(v.OnCancel(), 0);

    v.SetCmd(CGraphSystem::ZOOM_WINDOW);
    v.SetCmd(7); // not a command of the plain view: only cancels
    EXPECT_EQ(v.GetZoomMode(), CGraphSystem::ZOOM_NONE);
}

TEST_F(ViewCommands, KeysPanAndZoomWithTheStepLevel) {
    ResetKeyLevel(v);
    const mgPoint origin = Screen(0, 0);
    EXPECT_EQ(v.OnKeyDown(37), 1); // level 1: f = 2, 800 * 2 * 0.23
    ExpectNear(Screen(0, 0), origin + mgPoint(-368, 0), 1e-9);
    for (int i = 0; i < 5; ++i)
        v.OnKeyDown(34); // down to -3 and no further
    EXPECT_EQ(v.OnKeyDown(39), 1);
    ExpectNear(Screen(0, 0), origin + mgPoint(-368 + 800 * 0.23 / 64, 0), 1e-9);
    EXPECT_EQ(v.OnKeyDown(107), 1);
    EXPECT_DOUBLE_EQ(v.GetViewScale(), 1.0 + 0.25 / 64);
    EXPECT_EQ(v.OnKeyDown(65), 0);

    // While a command drags, keys are taken but do nothing.
    v.SetCmd(CGraphSystem::ZOOM_WINDOW);
    v.OnLButtonDown(0, 0);
    const double scale = v.GetViewScale();
    EXPECT_EQ(v.OnKeyDown(187), 1);
    EXPECT_EQ(v.OnKeyDown(40), 1);
    EXPECT_EQ(v.GetViewScale(), scale);
    ResetKeyLevel(v);
}

TEST(ViewCommandFeedback, CrossAndRubberBandAreDrawnAndCleanedUp) {
    auto dev = Device::CreateImage(200, 200);
    ASSERT_TRUE(dev);
    const auto before = draft2d::GetGdiObjectCounts();
    const int depth = dev->GetSaveDepth();
    {
        CGraphSystem v;
        v.SetWndSize(200, 200);
        v.Attach(dev->GetDC(), nullptr, 0);
        v.OnDraw(); // no command: nothing
        v.SetCmd(CGraphSystem::ZOOM_PAN);
        v.OnDraw(); // no button held: nothing
        EXPECT_EQ(dev->GetPixel(50, 50), 0xFFFFFFu);
        v.OnLButtonDown(50, 50);
        v.OnDraw();
        EXPECT_EQ(dev->GetPixel(50, 50), 0u); // black: the contrast of white
        EXPECT_EQ(dev->GetPixel(43, 50), 0u);
        EXPECT_EQ(dev->GetPixel(50, 57), 0u);
        EXPECT_EQ(dev->GetPixel(52, 52), 0xFFFFFFu);
        v.OnLButtonUp(50, 50);

        dev->Clear(0xFFFFFF);
        v.SetCmd(CGraphSystem::ZOOM_WINDOW);
        v.SetZoomWndColor(0x0000FF);
        v.OnLButtonDown(20, 20);
        v.OnMouseMove(50, 50); // within 50 pixels: no band
        v.OnDraw();
        EXPECT_EQ(dev->GetPixel(20, 20), 0xFFFFFFu);
        v.OnMouseMove(120, 100);
        v.OnDraw();
        EXPECT_EQ(dev->GetPixel(70, 60), 0xFFFFFFu); // hollow
        int red = 0;
        for (int x = 20; x < 120; ++x)
            red += dev->GetPixel(x, 20) == 0x0000FFu ? 1 : 0;
        EXPECT_GT(red, 20); // dotted
        EXPECT_LT(red, 100);
    }
    const auto after = draft2d::GetGdiObjectCounts();
    EXPECT_EQ(after.total(), before.total());
    EXPECT_EQ(dev->GetSaveDepth(), depth);
}

} // namespace
