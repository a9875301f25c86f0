// Curves fitted by the view (FitCubicSpline, FitClampedSpline) and drawn by DrawFitCurve.
//
// Most cases work in screen pixels (coordinate type 2), where the fitted points are the curve's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "algorithms/spline.h"
#include "platform/devices.h"
#include "values/mgFitCurve.h"
#include "view/CGraphSystem.h"

namespace {

constexpr double kPi = 3.141592653589793;
const CGraphSystem::coord_type kScreen = CGraphSystem::COORD_SCREEN;

struct Pts {
    std::vector<double> x, y;
    int n() const { return static_cast<int>(x.size()); }
};

std::vector<mgPoint> Points(const mgFitCurve& c, int from = 0) {
    std::vector<mgPoint> out;
    for (int i = from; i < c.count(); ++i)
        out.emplace_back(c.x(i), c.y(i));
    return out;
}

std::vector<mgPoint> Cubic(CGraphSystem& v, const Pts& p, double step, int flags = 0, double tol = 0.5,
                           CGraphSystem::coord_type ct = kScreen, double sx0 = 0, double sy0 = 0,
                           double sx1 = 0, double sy1 = 0) {
    mgFitCurve c;
    if (!v.FitCubicSpline(c, p.n(), p.x.data(), p.y.data(), step, tol, ct, flags, sx0, sy0, sx1, sy1))
        return {};
    return Points(c);
}

std::vector<mgPoint> Tension(CGraphSystem& v, const Pts& p, double step, double sigma, int closed = 0,
                             double tol = 0.5, CGraphSystem::coord_type ct = kScreen) {
    mgFitCurve c;
    c.setSigma(sigma);
    if (!v.FitClampedSpline(c, p.n(), p.x.data(), p.y.data(), closed, step, tol, ct))
        return {};
    return Points(c);
}

void ExpectSamePoints(const std::vector<mgPoint>& a, const std::vector<mgPoint>& b, double tol) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_NEAR(a[i].x(), b[i].x(), tol) << i;
        EXPECT_NEAR(a[i].y(), b[i].y(), tol) << i;
    }
}

// Direction of the curve at samples[i], from it and the next three samples toward i + 3 * dir (equal
// parameter steps), to third order.
double TangentAngle(const std::vector<mgPoint>& s, int i, int dir) {
    const mgPoint d = (s[i] * -11 + s[i + dir] * 18 - s[i + 2 * dir] * 9 + s[i + 3 * dir] * 2) * dir;
    return std::atan2(d.y(), d.x());
}

double AngleDiff(double a, double b) {
    return std::fabs(std::remainder(a - b, 2 * kPi));
}

// Distance from p to the segment a-b.
double SegmentDistance(const mgPoint& p, const mgPoint& a, const mgPoint& b) {
    const mgPoint ab = b - a, ap = p - a;
    double t = (ap.x() * ab.x() + ap.y() * ab.y()) / (ab.x() * ab.x() + ab.y() * ab.y());
    t = std::max(0.0, std::min(1.0, t));
    return (ap - ab * t).len();
}

Pts Zigzag() {
    return {{0, 100, 180, 300, 330}, {0, 60, -20, 40, 160}};
}

TEST(FitCurve, BadArgumentsAppendNothing) {
    CGraphSystem v;
    mgFitCurve c;
    c.add(-1, -1);
    const double x[3] = {0, 10, 20}, y[3] = {0, 5, 0};
    const double same[3] = {4, 4, 4};
    for (int fit = 0; fit < 2; ++fit) {
        auto run = [&](int n, const double* xs, const double* ys, double step) {
            return fit == 0 ? v.FitCubicSpline(c, n, xs, ys, step, 0.5, kScreen, 0, 0, 0, 0, 0)
                            : v.FitClampedSpline(c, n, xs, ys, 0, step, 0.5, kScreen);
        };
        EXPECT_FALSE(run(1, x, y, 1));
        EXPECT_FALSE(run(0, x, y, 1));
        EXPECT_FALSE(run(-3, x, y, 1));
        EXPECT_FALSE(run(3, nullptr, y, 1));
        EXPECT_FALSE(run(3, x, nullptr, 1));
        EXPECT_FALSE(run(3, x, y, 0));
        EXPECT_FALSE(run(3, x, y, 5e-8));
        EXPECT_FALSE(run(3, x, y, std::nan("")));
        EXPECT_FALSE(run(3, same, same, 1)); // one distinct point
        const double bad[3] = {0, INFINITY, 3};
        EXPECT_FALSE(run(3, bad, y, 1));
        EXPECT_EQ(c.count(), 1);
    }
    // Two parabolic ends on a single segment: a singular system.
    EXPECT_FALSE(v.FitCubicSpline(c, 2, x, y, 1, 0.5, kScreen, SPLINE_START_PARABOLIC | SPLINE_END_PARABOLIC,
                                  0, 0, 0, 0));
    EXPECT_EQ(c.count(), 1);
}

// A segment of length 100 is sampled at L/32 when the step is smaller, at L/4 when the step lies
// between L/4 and L, and not at all when the step is at least L. Two points fit the straight line.
TEST(FitCurve, SegmentsAreSampledBetweenFourAndThirtyTwoTimes) {
    CGraphSystem v;
    const Pts p = {{0, 100}, {0, 0}};
    struct Case {
        double step;
        double interval;
        std::size_t points;
    } cases[] = {{1, 3.125, 33}, {3.125, 3.125, 33}, {10, 10, 11}, {25, 25, 5},
                 {50, 25, 5},    {99, 25, 5},        {100, 0, 2},  {200, 0, 2}};
    for (const Case& c : cases) {
        for (int fit = 0; fit < 2; ++fit) {
            const std::vector<mgPoint> s = fit == 0 ? Cubic(v, p, c.step) : Tension(v, p, c.step, 1.0);
            ASSERT_EQ(s.size(), c.points) << c.step;
            for (std::size_t i = 0; i + 1 < s.size(); ++i) {
                EXPECT_NEAR(s[i].x(), i * c.interval, 1e-9) << c.step << " " << i;
                EXPECT_NEAR(s[i].y(), 0.0, 1e-9);
            }
            EXPECT_EQ(s.back(), mgPoint(100, 0));
        }
    }
    // The fits append and never clear.
    mgFitCurve c;
    ASSERT_TRUE(v.FitCubicSpline(c, 2, p.x.data(), p.y.data(), 50, 0.5, kScreen, 0, 0, 0, 0, 0));
    ASSERT_TRUE(v.FitClampedSpline(c, 2, p.x.data(), p.y.data(), 0, 50, 0.5, kScreen));
    EXPECT_EQ(c.count(), 10);
    EXPECT_EQ(c.x(5), 0.0);
    EXPECT_EQ(c.x(6), 25.0);
}

TEST(FitCurve, PointsGoThroughTheView) {
    CGraphSystem v;
    v.SetWndSize(800, 600);
    v.SetUCS(50, 10, 20, 0);
    v.Zoom(2.5, -30, -40);
    const Pts user = {{0, 900, 2000, 2600}, {0, 1500, -300, 800}};
    Pts screen, paper;
    for (int i = 0; i < user.n(); ++i) {
        double sx, sy, px, py;
        v.UserToScreen(user.x[i], user.y[i], &sx, &sy);
        v.UserToPaper(user.x[i], user.y[i], &px, &py);
        screen.x.push_back(sx);
        screen.y.push_back(sy);
        paper.x.push_back(px);
        paper.y.push_back(py);
    }
    const std::vector<mgPoint> fromScreen = Cubic(v, screen, 2);
    ASSERT_FALSE(fromScreen.empty());
    ExpectSamePoints(Cubic(v, user, 2, 0, 0.5, CGraphSystem::COORD_USER), fromScreen, 1e-9);
    ExpectSamePoints(Cubic(v, paper, 2, 0, 0.5, CGraphSystem::COORD_PAPER), fromScreen, 1e-9);
    ExpectSamePoints(Tension(v, user, 2, 2, 0, 0.5, CGraphSystem::COORD_USER), Tension(v, screen, 2, 2),
                     1e-9);

    // A pan moves every fitted point by the same pixels: the curve has to be fitted again.
    v.ZoomPan(17, -9);
    const std::vector<mgPoint> panned = Cubic(v, user, 2, 0, 0.5, CGraphSystem::COORD_USER);
    ASSERT_EQ(panned.size(), fromScreen.size());
    for (std::size_t i = 0; i < panned.size(); ++i) {
        EXPECT_NEAR(panned[i].x(), fromScreen[i].x() + 17, 1e-8);
        EXPECT_NEAR(panned[i].y(), fromScreen[i].y() - 9, 1e-8);
    }
}

TEST(FitCurve, ClosingAndMergingNearPoints) {
    CGraphSystem v;
    const Pts open = {{0, 200, 260, 40}, {0, 10, 180, 150}};
    // A closed request appends the first point: the curve ends where it began and is smooth there.
    for (int fit = 0; fit < 2; ++fit) {
        const std::vector<mgPoint> s =
            fit == 0 ? Cubic(v, open, 1, SPLINE_CLOSED) : Tension(v, open, 1, 1.0, 1);
        ASSERT_FALSE(s.empty());
        EXPECT_EQ(s.front(), mgPoint(0, 0));
        EXPECT_EQ(s.back(), mgPoint(0, 0));
        EXPECT_EQ(s.size(), 4u * 32 + 1);
        const int last = static_cast<int>(s.size()) - 1;
        EXPECT_LT(AngleDiff(TangentAngle(s, 0, 1), TangentAngle(s, last, -1)), 2e-3) << fit;
    }
    // Open input whose ends lie within the tolerance is closed exactly.
    Pts nearly = open;
    nearly.x.push_back(0.3);
    nearly.y.push_back(-0.2);
    Pts exact = open;
    exact.x.push_back(0);
    exact.y.push_back(0);
    ExpectSamePoints(Cubic(v, nearly, 1, 0, 0.5), Cubic(v, exact, 1, 0, 0.5), 0.0);
    ExpectSamePoints(Tension(v, nearly, 1, 3, 0, 0.5), Tension(v, exact, 1, 3, 0, 0.5), 0.0);
    EXPECT_EQ(Cubic(v, nearly, 1, 0, 0.5).size(), 4u * 32 + 1);

    // Points closer than the tolerance to their predecessor are merged: fewer segments.
    const Pts dup = {{0, 0.2, 200, 200.1, 260, 40}, {0, 0.1, 10, 10, 180, 150}};
    ExpectSamePoints(Cubic(v, dup, 1, 0, 0.5), Cubic(v, open, 1, 0, 0.5), 0.0);
    ExpectSamePoints(Tension(v, dup, 1, 1, 0, 0.5), Tension(v, open, 1, 1, 0, 0.5), 0.0);
    // The caller's arrays are left alone.
    EXPECT_EQ(dup.x[1], 0.2);
}

// The tension curve leaves and reaches its end points along the end chords; a closed one closes
// smoothly along its first chord. The end segments are short, so that the samples measure the
// tangent there closely.
TEST(FitCurve, TensionCurvesKeepTheirEndTangents) {
    CGraphSystem v;
    std::mt19937 rng(1506);
    std::uniform_real_distribution<double> u(-300, 300), angle(-kPi, kPi);
    for (int round = 0; round < 60; ++round) {
        const int closed = round % 2;
        Pts p;
        for (int i = 0; i < 3 + round % 6; ++i) {
            p.x.push_back(u(rng));
            p.y.push_back(u(rng));
        }
        const double a = angle(rng), b = angle(rng);
        p.x.insert(p.x.begin() + 1, p.x[0] + 4 * std::cos(a));
        p.y.insert(p.y.begin() + 1, p.y[0] + 4 * std::sin(a));
        const mgPoint endFrom = closed ? mgPoint(p.x[0], p.y[0]) : mgPoint(p.x.back(), p.y.back());
        p.x.push_back(endFrom.x() + 4 * std::cos(b));
        p.y.push_back(endFrom.y() + 4 * std::sin(b));

        const double sigma = 0.1 + (round % 7) * 1.6;
        const std::vector<mgPoint> s = Tension(v, p, 1e-3, sigma, closed);
        const int n = p.n() + closed, last = static_cast<int>(s.size()) - 1;
        ASSERT_EQ(s.size(), 32u * (n - 1) + 1) << "points this far apart are each sampled 32 times";
        for (int k = 0; k + 1 < p.n(); ++k)
            EXPECT_EQ(s[32 * k], mgPoint(p.x[k], p.y[k])) << "each segment starts at its knot";
        const double first = std::atan2(p.y[1] - p.y[0], p.x[1] - p.x[0]);
        const double end = closed ? first : std::atan2(p.y[n - 1] - p.y[n - 2], p.x[n - 1] - p.x[n - 2]);
        EXPECT_LT(AngleDiff(TangentAngle(s, 0, 1), first), 1e-4) << round;
        EXPECT_LT(AngleDiff(TangentAngle(s, last, -1), end), 1e-4) << round;
    }
}

// Tension 10 pulls the curve onto the polyline; tension 0.1 leaves nearly the cubic spline with
// the same end tangents. Both approaches are monotonic in sigma.
TEST(FitCurve, TensionLimitsAreThePolylineAndTheCubic) {
    CGraphSystem v;
    const Pts p = Zigzag();
    const double t0 = std::atan2(60, 100), t1 = std::atan2(120, 30);
    const std::vector<mgPoint> cubic = Cubic(v, p, 1, SPLINE_START_TANGENT | SPLINE_END_TANGENT, 0.5, kScreen,
                                             std::cos(t0), std::sin(t0), std::cos(t1), std::sin(t1));
    ASSERT_FALSE(cubic.empty());
    std::vector<double> toPoly, toCubic;
    for (double sigma : {0.1, 0.5, 2.0, 5.0, 10.0}) {
        const std::vector<mgPoint> s = Tension(v, p, 1, sigma);
        ASSERT_EQ(s.size(), cubic.size());
        double poly = 0, cub = 0;
        for (std::size_t i = 0; i < s.size(); ++i) {
            const int k = std::min(static_cast<int>(i / 32), p.n() - 2);
            const mgPoint a(p.x[k], p.y[k]), b(p.x[k + 1], p.y[k + 1]);
            poly = std::max(poly, SegmentDistance(s[i], a, b));
            cub = std::max(cub, (s[i] - cubic[i]).len());
        }
        toPoly.push_back(poly);
        toCubic.push_back(cub);
    }
    for (std::size_t i = 1; i < toPoly.size(); ++i) {
        EXPECT_LT(toPoly[i], toPoly[i - 1]) << i;
        EXPECT_GT(toCubic[i], toCubic[i - 1]) << i;
    }
    EXPECT_LT(toCubic.front(), 1.0) << "sigma 0.1: within a pixel of the cubic";
    EXPECT_LT(toPoly.back(), 0.1 * std::hypot(80, 80)) << "sigma 10: within a tenth of the shortest chord";
    std::printf("tension 0.1 .. 10: from the cubic %g .. %g px, from the polyline %g .. %g px\n",
                toCubic.front(), toCubic.back(), toPoly.front(), toPoly.back());
}

// A segment thousands of times longer than the others gives sinh arguments far beyond 710: the
// curve stays finite, and away from its ends (where it turns within a few pixels) that segment is
// straight.
TEST(FitCurve, HighTensionOnLongSegmentsStaysFinite) {
    CGraphSystem v;
    Pts p;
    for (int i = 0; i <= 200; ++i) {
        p.x.push_back(100 * std::sin(i / 100.0));
        p.y.push_back(100 - 100 * std::cos(i / 100.0));
    }
    p.x.push_back(1e5);
    p.y.push_back(3e4);
    const std::vector<mgPoint> s = Tension(v, p, 1, 10);
    ASSERT_EQ(s.size(), 200u + 32 + 1); // the short chords are not longer than the step
    for (const mgPoint& q : s)
        ASSERT_TRUE(std::isfinite(q.x()) && std::isfinite(q.y()));
    const std::size_t first = s.size() - 33; // the knot where the long segment starts
    EXPECT_EQ(s[first], mgPoint(p.x[200], p.y[200]));
    const mgPoint dir = (s[s.size() - 2] - s[first + 1]).getNormal();
    for (std::size_t i = first + 2; i + 2 < s.size(); ++i) {
        const mgPoint d = s[i] - s[first + 1];
        EXPECT_NEAR(d.x() * dir.y() - d.y() * dir.x(), 0.0, 1e-6) << i;
    }
}

// Random point sets: both fits give finite samples, exactly the count the sampling rule predicts,
// with every knot at the start of its segment.
TEST(FitCurve, RandomPointSets) {
    CGraphSystem v;
    std::mt19937 rng(1507);
    std::uniform_real_distribution<double> u(-500, 500), st(0.5, 80);
    for (int round = 0; round < 100; ++round) {
        Pts p;
        for (int i = 0; i < 2 + round % 20; ++i) {
            p.x.push_back(u(rng));
            p.y.push_back(u(rng));
        }
        const double step = st(rng);
        std::size_t expected = 1;
        std::vector<std::size_t> starts;
        for (int k = 0; k + 1 < p.n(); ++k) {
            const double L = std::hypot(p.x[k + 1] - p.x[k], p.y[k + 1] - p.y[k]);
            starts.push_back(expected - 1);
            expected += L <= step       ? 1
                        : step < L / 32 ? 32
                        : step > L / 4  ? 4
                                        : static_cast<std::size_t>(std::ceil(L / step));
        }
        for (int fit = 0; fit < 2; ++fit) {
            const std::vector<mgPoint> s =
                fit == 0 ? Cubic(v, p, step, 0, 1e-3) : Tension(v, p, step, 1.3, 0, 1e-3);
            ASSERT_EQ(s.size(), expected) << round;
            for (std::size_t k = 0; k < starts.size(); ++k)
                EXPECT_EQ(s[starts[k]], mgPoint(p.x[k], p.y[k]));
            for (const mgPoint& q : s)
                ASSERT_TRUE(std::isfinite(q.x()) && std::isfinite(q.y()));
        }
    }
}

// DrawFitCurve draws the samples as one open polyline in screen pixels: in direct mode a single
// Polyline call of the rounded samples, through a line type the same pixels.
TEST(FitCurveDrawing, OnePolylineOfTheSamples) {
    auto dev = draft2d::Device::CreateImage(200, 100);
    ASSERT_TRUE(dev);
    const int objects = draft2d::GetGdiObjectCounts().total();
    CGraphSystem v;
    v.SetWndSize(200, 100);
    v.Attach(dev->GetDC());
    const int depth = dev->GetSaveDepth();
    mgFitCurve c;
    const Pts p = {{10.2, 60, 110, 190}, {90, 15.7, 80, 20}};
    ASSERT_TRUE(v.FitCubicSpline(c, 4, p.x.data(), p.y.data(), 20, 0.5, kScreen, 0, 0, 0, 0, 0));
    const std::vector<mgPoint> s = Points(c);

    const bool trace = draft2d::IsCallTraceAvailable();
    dev->EnableTrace(trace);
    v.SetLineType(nullptr, 1);
    v.DrawFitCurve(c);
    if (trace) {
        std::string expected = "Polyline(";
        for (std::size_t i = 0; i < s.size(); ++i) {
            expected += (i ? ",(" : "(") + std::to_string(static_cast<int>(s[i].x() + 0.5)) + "," +
                        std::to_string(static_cast<int>(s[i].y() + 0.5)) + ")";
        }
        expected += ")";
        EXPECT_EQ(dev->GetTrace(), std::vector<std::string>{expected});
        dev->ClearTrace();
    }
    std::vector<uint32_t> direct(dev->GetPixels(), dev->GetPixels() + dev->GetStride() / 4 * 100);
    // Every sample is on the drawing.
    for (const mgPoint& q : s) {
        bool dark = false;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                dark = dark || dev->GetPixel(static_cast<int>(q.x() + 0.5) + dx,
                                             static_cast<int>(q.y() + 0.5) + dy) == 0;
        EXPECT_TRUE(dark) << q.x() << "," << q.y();
    }
    // The same curve through the solid line type.
    dev->Clear(0xFFFFFF);
    v.SetLineType("", 1);
    v.DrawFitCurve(c);
    int differ = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            differ +=
                dev->GetPixel(x, y) != (direct[y * dev->GetStride() / 4 + x] & 0xFFFFFF ? 0xFFFFFFu : 0u);
    EXPECT_LE(differ, static_cast<int>(s.size())) << "at most a joint pixel per sample";
    // An empty curve draws nothing.
    dev->ClearTrace();
    v.DrawFitCurve(mgFitCurve());
    if (trace) {
        EXPECT_TRUE(dev->GetTrace().empty());
    }
    EXPECT_EQ(dev->GetSaveDepth(), depth);
    v.Detach();
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), objects);
}

// A sheet of fitted curves through the same knots, for the eye: the natural cubic (black), the
// closed cubic (blue) and the tension curve at sigma 0.1, 2 and 10 (red shades), with the knots
// marked. Each curve must pass through every knot mark.
TEST(FitCurveDrawing, SheetOfCurves) {
    auto dev = draft2d::Device::CreateImage(520, 360);
    ASSERT_TRUE(dev);
    CGraphSystem v;
    v.SetWndSize(520, 360);
    SelectObject(dev->GetDC(), GetStockObject(NULL_BRUSH));
    v.Attach(dev->GetDC());
    const Pts knots = {{40, 130, 200, 300, 380, 470, 430, 250}, {300, 80, 250, 60, 240, 120, 320, 330}};
    struct Curve {
        int kind; // 0 cubic, 1 closed cubic, 2 tension
        double sigma;
        COLORREF colour;
    } curves[] = {
        {0, 0, 0x000000}, {1, 0, 0xC00000}, {2, 0.1, 0x0000FF}, {2, 2, 0x0060C0}, {2, 10, 0x00A000}};
    for (const Curve& k : curves) {
        mgFitCurve c;
        c.setSigma(k.sigma);
        const bool ok =
            k.kind == 2 ? v.FitClampedSpline(c, knots.n(), knots.x.data(), knots.y.data(), 0, 2, 0.5, kScreen)
                        : v.FitCubicSpline(c, knots.n(), knots.x.data(), knots.y.data(), 2, 0.5, kScreen,
                                           k.kind == 1 ? SPLINE_CLOSED : 0, 0, 0, 0, 0);
        ASSERT_TRUE(ok);
        HPEN pen = CreatePen(PS_SOLID, 1, k.colour);
        HGDIOBJ old = SelectObject(dev->GetDC(), pen);
        v.SetLineType(nullptr, 1);
        v.DrawFitCurve(c);
        SelectObject(dev->GetDC(), old);
        DeleteObject(pen);
    }
    for (int i = 0; i < knots.n(); ++i) {
        int drawn = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                drawn += dev->GetPixel(static_cast<int>(knots.x[i]) + dx,
                                       static_cast<int>(knots.y[i]) + dy) != 0xFFFFFFu;
        EXPECT_GE(drawn, 3) << "the curves pass knot " << i;
        v.DrawCircle(knots.x[i], knots.y[i], 4, kScreen);
    }
    ASSERT_TRUE(dev->WritePng(std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/fitcurve_sheet.png"));
    v.Detach();
}

} // namespace
