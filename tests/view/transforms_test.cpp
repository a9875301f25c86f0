// Coordinate transforms of CGraphSystem: defaults, UCS and its stack, units, densities, the rounding of pixel
// forms, rectangle normalisation and round trips.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "linetype/CLineType.h"
#include "view/CGraphSystem.h"

namespace {

const double kPxPerMm96 = 96.0 / 25.4;

TEST(ViewTransforms, NewViewMapsUserOriginToBottomLeft) {
    CGraphSystem v;
    EXPECT_EQ(v.GetWidth(), 1);
    EXPECT_EQ(v.GetHeight(), 1);
    EXPECT_DOUBLE_EQ(v.GetMmPixelsX(), 3.7795275590551185);
    mgPoint s;
    v.UserToScreen(0.0, 0.0, s);
    EXPECT_DOUBLE_EQ(s.x(), 0.0);
    EXPECT_DOUBLE_EQ(s.y(), 1.0);
    v.UserToScreen(10.0, 0.0, s);
    EXPECT_DOUBLE_EQ(s.x(), 37.795275590551185);
    EXPECT_DOUBLE_EQ(s.y(), 1.0);
    EXPECT_EQ(v.GetLineType(), nullptr);
    EXPECT_DOUBLE_EQ(v.GetLineScale(), 1.0);
    EXPECT_DOUBLE_EQ(CGraphSystem::MAX_VIEW_SCALE,
                     100.0); // this platform reports the NT family
}

TEST(ViewTransforms, UcsScaleUnitAndOrigin) {
    CGraphSystem v;
    v.SetUCS(500, 100, 50, 2); // 1:500 in metres: 2 paper mm per metre
    double f = 0;
    mgPoint o;
    v.GetUCS(f, o);
    EXPECT_DOUBLE_EQ(f, 2.0);
    EXPECT_EQ(o, mgPoint(100, 50));
    mgPoint p;
    v.UserToPaper(10, 10, p);
    EXPECT_DOUBLE_EQ(p.x(), 120.0);
    EXPECT_DOUBLE_EQ(p.y(), 70.0);
    v.PaperToUser(p, p);
    EXPECT_NEAR(p.x(), 10.0, 1e-12);
    EXPECT_NEAR(p.y(), 10.0, 1e-12);
}

TEST(ViewTransforms, UcsResetsDegenerateScalesAndClampsTheFactor) {
    CGraphSystem v;
    v.SetUCS(0, 5, 5, 1);
    EXPECT_DOUBLE_EQ(v.GetUserToMm(), 1.0);
    EXPECT_DOUBLE_EQ(v.GetUserX(), 0.0);
    EXPECT_DOUBLE_EQ(v.GetUserY(), 0.0);
    v.SetUCS(std::nan(""), 5, 5, 1);
    EXPECT_DOUBLE_EQ(v.GetUserToMm(), 1.0);
    EXPECT_DOUBLE_EQ(v.GetUserX(), 0.0);
    v.SetUCS(1e-6, 0, 0, 3); // 1e12 mm per km-unit, clamped
    EXPECT_DOUBLE_EQ(v.GetUserToMm(), 1000.0);
    v.SetUCS(1e9, 0, 0, 0);
    EXPECT_DOUBLE_EQ(v.GetUserToMm(), 0.0001);
    v.SetUCS(1, 0, 0, 5);
    EXPECT_EQ(v.GetUserToMm(), 304.79999999999995);
}

TEST(ViewTransforms, UnitTable) {
    EXPECT_EQ(CGraphSystem::GetUnitMm(0), 1.0);
    EXPECT_EQ(CGraphSystem::GetUnitMm(1), 10.0);
    EXPECT_EQ(CGraphSystem::GetUnitMm(2), 1000.0);
    EXPECT_EQ(CGraphSystem::GetUnitMm(3), 1000000.0);
    EXPECT_EQ(CGraphSystem::GetUnitMm(4), 25.4);
    EXPECT_EQ(CGraphSystem::GetUnitMm(5), 304.79999999999995);
    EXPECT_EQ(CGraphSystem::GetUnitMm(7), 1.0);
    EXPECT_EQ(CGraphSystem::GetUnitMm(-1), 1.0);
}

TEST(ViewTransforms, UcsStackHoldsFiveEntries) {
    CGraphSystem v;
    for (int i = 1; i <= 6; ++i) {
        v.SetUCS(i, i, -i, 0);
        v.PushUCS(); // the sixth is refused
    }
    v.SetUCS(100, 0, 0, 0);
    for (int i = 5; i >= 1; --i) {
        v.PopUCS();
        EXPECT_DOUBLE_EQ(v.GetUserToMm(), 1.0 / i);
        EXPECT_DOUBLE_EQ(v.GetUserX(), i);
        EXPECT_DOUBLE_EQ(v.GetUserY(), -i);
    }
    v.PopUCS(); // empty: nothing changes
    EXPECT_DOUBLE_EQ(v.GetUserToMm(), 1.0);
    EXPECT_DOUBLE_EQ(v.GetUserX(), 1.0);
}

TEST(ViewTransforms, CalcUcsMatchesSetUcsAndRotates) {
    CGraphSystem v;
    v.SetUCS(200, 30, 40, 1);
    mgMatrix m = CGraphSystem::CalcUCS(200, 30, 40, 0.0, 1);
    for (double x = -50; x <= 50; x += 12.5) {
        mgPoint p;
        v.UserToPaper(x, -x * 0.5, p);
        mgPoint q = mgPoint(x, -x * 0.5) * m;
        EXPECT_NEAR(p.x(), q.x(), 1e-9);
        EXPECT_NEAR(p.y(), q.y(), 1e-9);
    }
    const double half_pi = std::acos(0.0);
    mgMatrix r = CGraphSystem::CalcUCS(1, 10, 0, half_pi, 0);
    mgPoint q = mgPoint(1, 0) * r;
    EXPECT_NEAR(q.x(), 10.0, 1e-12);
    EXPECT_NEAR(q.y(), 1.0, 1e-12);
    // A degenerate scale also drops the angle.
    EXPECT_EQ(CGraphSystem::CalcUCS(0, 10, 10, 1.0, 2), mgMatrix());
    // The factor is clamped like SetUCS's.
    EXPECT_NEAR(CGraphSystem::CalcUCS(1e-6, 0, 0, 0, 3).scalex(), 1000.0, 1e-9);
}

TEST(ViewTransforms, DensityAndAdjustFactors) {
    CGraphSystem v;
    v.SetMmPixels(0.0, 5.0); // refused
    EXPECT_DOUBLE_EQ(v.GetMmPixelsX(), kPxPerMm96);
    v.SetAdjustScale(2.0, 0.5);
    EXPECT_DOUBLE_EQ(v.GetMmPixelsX(),
                     kPxPerMm96); // not applied until the next SetMmPixels
    v.SetMmPixels(4.0, 6.0);
    EXPECT_DOUBLE_EQ(v.GetMmPixelsX(), 8.0);
    EXPECT_DOUBLE_EQ(v.GetMmPixelsY(), 3.0);
    EXPECT_DOUBLE_EQ(v.GetMmPixels(), 5.5);
    v.SetAdjustScale(-1.0, 1.0); // refused
    v.SetMmPixels(1.0, 1.0);
    EXPECT_DOUBLE_EQ(v.GetMmPixelsX(), 2.0);
    EXPECT_DOUBLE_EQ(v.GetMmPixelsY(), 0.5);
    v.SetMmPixels(static_cast<HDC>(nullptr)); // ignored
    EXPECT_DOUBLE_EQ(v.GetMmPixelsX(), 2.0);
}

TEST(ViewTransforms, WindowSizeIgnoresTinyDimensions) {
    CGraphSystem v;
    v.SetWndSize(800, 600);
    v.SetWndSize(1, 300);
    SIZE s;
    v.GetWndSize(s);
    EXPECT_EQ(s.cx, 800);
    EXPECT_EQ(s.cy, 300);
    v.SetWndSize(-5, 0);
    EXPECT_EQ(v.GetWidth(), 800);
    EXPECT_EQ(v.GetHeight(), 300);
}

TEST(ViewTransforms, ZoomClampsTheScale) {
    CGraphSystem v;
    v.Zoom(1000, 3, 4);
    EXPECT_EQ(v.GetViewScale(), CGraphSystem::MAX_VIEW_SCALE);
    EXPECT_EQ(v.GetViewOrigin(), mgPoint(3, 4));
    v.Zoom(0, 0, 0);
    EXPECT_EQ(v.GetViewScale(), 0.02);
    v.Zoom(std::nan(""), 0, 0);
    EXPECT_EQ(v.GetViewScale(), 0.02);
}

// With one pixel per mm and a 100 pixel high window, user = paper = (sx, 100 - sy).
CGraphSystem* UnitView(CGraphSystem& v) {
    v.SetMmPixels(1.0, 1.0);
    v.SetWndSize(100, 100);
    return &v;
}

TEST(ViewTransforms, PixelFormsRoundHalfUpTowardZero) {
    CGraphSystem v;
    UnitView(v);
    POINT pt;
    v.UserToScreen(mgPoint(-0.7, 89.6), &pt);
    EXPECT_EQ(pt.x, 0);
    EXPECT_EQ(pt.y, 10);
    v.UserToScreen(mgPoint(-1.7, 89.4), &pt);
    EXPECT_EQ(pt.x, -1);
    EXPECT_EQ(pt.y, 11);
    long lx = 0, ly = 0;
    v.UserToScreen(-1.7, 89.4, &lx, &ly);
    EXPECT_EQ(lx, -1);
    EXPECT_EQ(ly, 11);
    v.PaperToScreen(mgPoint(2.5, 97.5), &pt);
    EXPECT_EQ(pt.x, 3);
    EXPECT_EQ(pt.y, 3);
    // Out of range and NaN coordinates give defined values instead of undefined conversions.
    v.UserToScreen(mgPoint(1e300, std::nan("")), &pt);
    EXPECT_EQ(pt.x, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(pt.y, 0);
}

TEST(ViewTransforms, RectangleFormsNormaliseOnlyWherePromised) {
    CGraphSystem v;
    UnitView(v);
    const mgRect paper(10, 20, 30, 50);
    mgRect s;
    v.PaperToScreen(paper, s);
    EXPECT_DOUBLE_EQ(s.left(), 10);
    EXPECT_DOUBLE_EQ(s.right(), 30);
    EXPECT_DOUBLE_EQ(s.bottom(), 50); // the smaller screen y
    EXPECT_DOUBLE_EQ(s.top(), 80);
    v.UserToScreen(paper, s);
    EXPECT_DOUBLE_EQ(s.bottom(), 80); // converted bottom, the larger screen y
    EXPECT_DOUBLE_EQ(s.top(), 50);
    RECT r;
    v.UserToScreen(mgRect(10.4, 20.6, 30.5, 50.2), &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.bottom, 79); // 100 - 20.6 = 79.4
    EXPECT_EQ(r.right, 31);
    EXPECT_EQ(r.top, 50); // 100 - 50.2 = 49.8
    // Screen to user: no normalising either; the RECT form pairs left/bottom and right/top.
    mgRect u;
    const RECT sr = {10, 20, 30, 80};
    v.ScreenToUser(&sr, u);
    EXPECT_DOUBLE_EQ(u.left(), 10);
    EXPECT_DOUBLE_EQ(u.bottom(), 20);
    EXPECT_DOUBLE_EQ(u.right(), 30);
    EXPECT_DOUBLE_EQ(u.top(), 80);
    mgRect back;
    v.ScreenToUser(s, back);
    EXPECT_EQ(back, paper);
    v.ScreenToPaper(s, back); // normalised
    EXPECT_EQ(back, paper);
    v.ClientToUser(&sr, back);
    EXPECT_EQ(back, u);
}

TEST(ViewTransforms, ScalarFactorsAgreeWithPointForms) {
    CGraphSystem v;
    v.SetMmPixels(4.0, 4.0);
    v.SetUCS(50, 0, 0, 1); // 0.2 mm per unit
    v.Zoom(2.5, 0, 0);
    EXPECT_DOUBLE_EQ(v.PaperToScreen(), 10.0);
    EXPECT_DOUBLE_EQ(v.UserToScreen(), 2.0);
    EXPECT_DOUBLE_EQ(v.ScreenToUser(), 0.5);
    mgPoint a, b;
    v.UserToScreen(0, 0, a);
    v.UserToScreen(7, 0, b);
    EXPECT_NEAR(b.x() - a.x(), 7 * v.UserToScreen(), 1e-12);
}

// user -> screen -> user at many UCS settings, zooms, densities and window heights.
TEST(ViewTransforms, UserScreenRoundTrips) {
    const double scales[] = {0.02, 0.3, 1.0, 7.5, 100.0};
    const double ucs[] = {1e-6, 0.5, 1.0, 250.0, 1e9};
    const int units[] = {0, 2, 4};
    CGraphSystem v;
    v.SetWndSize(1280, 719);
    for (double vs : scales) {
        for (double us : ucs) {
            for (int unit : units) {
                v.SetMmPixels(3.1 + vs, 2.9);
                v.SetUCS(us, -12.5, 33.25, unit);
                v.Zoom(vs, -40.0 + vs, 17.0 - vs);
                for (double x = -1000; x <= 1000; x += 333.3) {
                    const double y = x * 0.37 - 5;
                    mgPoint s, u;
                    v.UserToScreen(x, y, s);
                    v.ScreenToUser(s, u);
                    // Rounding bound: a few ulps of every term of the pipeline, carried back into
                    // user units (paper terms divide by userToMm, screen terms by pixels per unit).
                    mgPoint paper;
                    v.UserToPaper(x, y, paper);
                    const double paperTerms =
                        std::fabs(paper.x()) + std::fabs(paper.y()) + 12.5 + 33.25 + 60.0;
                    const double screenTerms = std::fabs(s.x()) + std::fabs(s.y()) + 2.0 * v.GetHeight();
                    const double tol =
                        1e-14 * (paperTerms / v.GetUserToMm() + screenTerms * v.ScreenToUser());
                    EXPECT_NEAR(u.x(), x, tol) << vs << " " << us << " " << unit;
                    EXPECT_NEAR(u.y(), y, tol);
                    // In-place forms and the pointer form agree with the point form.
                    mgPoint w(x, y);
                    v.UserToScreen(w);
                    EXPECT_EQ(w.x(), s.x());
                    EXPECT_EQ(w.y(), s.y());
                    double cx, cy;
                    v.ClientToUser(s.x(), s.y(), &cx, &cy);
                    EXPECT_EQ(cx, u.x());
                    EXPECT_EQ(cy, u.y());
                    // Paper route gives the same screen point.
                    mgPoint p, s2;
                    v.UserToPaper(x, y, p);
                    v.PaperToScreen(p, s2);
                    EXPECT_EQ(s2.x(), s.x());
                    EXPECT_EQ(s2.y(), s.y());
                }
            }
        }
    }
}

TEST(ViewTransforms, ScreenBottomLeftShowsTheViewOrigin) {
    CGraphSystem v;
    v.SetWndSize(640, 480);
    v.Zoom(2.0, 15.0, -7.0);
    mgPoint p;
    v.ScreenToPaper(0, 480, p);
    EXPECT_NEAR(p.x(), 15.0, 1e-12);
    EXPECT_NEAR(p.y(), -7.0, 1e-12);
    v.ScreenToPaper(640, 0, p);
    EXPECT_NEAR(p.x(), 15.0 + 640 / (2.0 * kPxPerMm96), 1e-9);
    EXPECT_NEAR(p.y(), -7.0 + 480 / (2.0 * kPxPerMm96), 1e-9);
}

TEST(ViewLineTypes, SelectionByName) {
    CGraphSystem v;
    v.SetLineType("\xd0\xe9\xcf\xdf", 2.0); // 虚线
    ASSERT_NE(v.GetLineType(), nullptr);
    EXPECT_STREQ(v.GetLineType(), "\xd0\xe9\xcf\xdf");
    EXPECT_DOUBLE_EQ(v.GetLineScale(), 2.0);
    v.SetLineType("no such line type",
                  0.0); // unknown: the solid line; scale kept
    ASSERT_NE(v.GetLineType(), nullptr);
    EXPECT_STREQ(v.GetLineType(), "");
    EXPECT_DOUBLE_EQ(v.GetLineScale(), 2.0);
    v.SetLineType(nullptr, 5.0); // none; scale unchanged
    EXPECT_EQ(v.GetLineType(), nullptr);
    EXPECT_DOUBLE_EQ(v.GetLineScale(), 2.0);
}

void CountCalls(void* data, CGraphSystem*) {
    ++*static_cast<int*>(data);
}

TEST(ViewCopy, CopyConstructionIsIndependent) {
    int calls = 0;
    auto a = std::make_unique<CGraphSystem>();
    a->SetWndSize(300, 200);
    a->SetUCS(100, 1, 2, 1);
    a->PushUCS();
    a->SetUCS(4, 0, 0, 0);
    a->SetBkColor(0x102030, 0x405060);
    a->SetLineType("\xd0\xe9\xcf\xdf", 3.0); // 虚线
    a->SetRegenFunc(CountCalls, &calls);
    CGraphSystem b(*a);
    a->SetUCS(1, 0, 0, 0);
    a->SetWndSize(50, 50);
    EXPECT_EQ(b.GetWidth(), 300);
    EXPECT_DOUBLE_EQ(b.GetUserToMm(), 0.25);
    EXPECT_EQ(b.GetBkColor(), 0x102030u);
    EXPECT_STREQ(b.GetLineType(), "\xd0\xe9\xcf\xdf");
    EXPECT_DOUBLE_EQ(b.GetLineScale(), 3.0);
    b.Redraw();
    EXPECT_EQ(calls, 1);
    a.reset(); // the copy owns nothing of the original
    b.PopUCS();
    EXPECT_DOUBLE_EQ(b.GetUserToMm(), 0.1); // the UCS stack was copied too
    EXPECT_DOUBLE_EQ(b.GetUserX(), 1.0);
}

TEST(ViewCopy, AssignmentKeepsCallbackAndLineType) {
    int callsA = 0, callsB = 0;
    CGraphSystem a, b;
    a.SetRegenFunc(CountCalls, &callsA);
    b.SetRegenFunc(CountCalls, &callsB);
    a.SetUCS(20, 5, 6, 0);
    a.Zoom(3.0, 1, 1);
    a.SetLineType("\xd0\xe9\xcf\xdf", 4.0); // 虚线
    b.SetLineType(nullptr, 1.0);
    b = a;
    EXPECT_DOUBLE_EQ(b.GetUserToMm(), 0.05);
    EXPECT_DOUBLE_EQ(b.GetViewScale(), 3.0);
    EXPECT_EQ(b.GetLineType(), nullptr);     // the target's own line type
    EXPECT_DOUBLE_EQ(b.GetLineScale(), 4.0); // the scale is a copied parameter
    b.Redraw();
    EXPECT_EQ(callsA, 0);
    EXPECT_EQ(callsB, 1);
}

} // namespace
