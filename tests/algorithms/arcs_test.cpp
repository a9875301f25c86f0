#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "algorithms/arcs.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

double DistToLine(double x1, double y1, double x2, double y2, double px, double py) {
    return std::fabs((x2 - x1) * (py - y1) - (px - x1) * (y2 - y1)) / std::hypot(x2 - x1, y2 - y1);
}

TEST(GetArcBoundBox, QuarterAndFullCircle) {
    double xmin = 7, ymax = 7, xmax = 7, ymin = 7;
    GetArcBoundBox(0, 0, 1, 0, kPi / 2, &xmin, &ymax, &xmax, &ymin);
    EXPECT_NEAR(xmin, 0.0, 1e-15);
    EXPECT_DOUBLE_EQ(ymax, 1.0);
    EXPECT_DOUBLE_EQ(xmax, 1.0);
    EXPECT_NEAR(ymin, 0.0, 1e-15);

    GetArcBoundBox(3, 4, 2, 0, kTwoPi, &xmin, &ymax, &xmax, &ymin);
    EXPECT_EQ(xmin, 1.0);
    EXPECT_EQ(ymax, 6.0);
    EXPECT_EQ(xmax, 5.0);
    EXPECT_EQ(ymin, 2.0);

    // An arc through angle 0 (from 3pi/2 round to pi/2) spans the right half.
    GetArcBoundBox(0, 0, 1, 3 * kPi / 2, kPi / 2, &xmin, &ymax, &xmax, &ymin);
    EXPECT_NEAR(xmin, 0.0, 1e-15);
    EXPECT_DOUBLE_EQ(ymax, 1.0);
    EXPECT_DOUBLE_EQ(xmax, 1.0);
    EXPECT_DOUBLE_EQ(ymin, -1.0);

    // A negative radius describes the same points as |r| half a turn round.
    GetArcBoundBox(0, 0, -1, kPi, 3 * kPi / 2, &xmin, &ymax, &xmax, &ymin);
    EXPECT_NEAR(xmin, 0.0, 1e-15);
    EXPECT_DOUBLE_EQ(ymax, 1.0);
    EXPECT_DOUBLE_EQ(xmax, 1.0);

    // Non-finite input leaves the outputs alone.
    xmin = ymax = xmax = ymin = 7;
    GetArcBoundBox(0, kNaN, 1, 0, 1, &xmin, &ymax, &xmax, &ymin);
    EXPECT_EQ(xmin, 7);
    EXPECT_EQ(ymin, 7);
}

TEST(GetArcBoundBox, ContainsSampledPointsAndTouchesTheExtremes) {
    std::mt19937 rng(5150);
    std::uniform_real_distribution<double> coord(-100.0, 100.0);
    std::uniform_real_distribution<double> radius(0.1, 50.0);
    std::uniform_real_distribution<double> angle(-kTwoPi, kTwoPi);
    std::uniform_real_distribution<double> sweepDist(0.01, kTwoPi - 0.01);
    for (int i = 0; i < 3000; ++i) {
        const double cx = coord(rng), cy = coord(rng), r = radius(rng);
        const double start = angle(rng), sweep = sweepDist(rng);
        double xmin, ymax, xmax, ymin;
        GetArcBoundBox(cx, cy, r, start, start + sweep, &xmin, &ymax, &xmax, &ymin);
        double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
        const int samples = 4000;
        for (int s = 0; s <= samples; ++s) {
            const double a = start + sweep * s / samples;
            const double x = cx + r * std::cos(a), y = cy + r * std::sin(a);
            lo[0] = std::min(lo[0], x);
            hi[0] = std::max(hi[0], x);
            lo[1] = std::min(lo[1], y);
            hi[1] = std::max(hi[1], y);
        }
        // Sampling misses an extreme by at most r (1 - cos(step / 2)); the slack of the quadrant
        // test (1e-5 rad) adds at most r * 5e-11.
        const double step = sweep / samples;
        const double tol = r * (1 - std::cos(step / 2)) + 1e-9 * (1 + r);
        EXPECT_LE(xmin, lo[0] + 1e-12) << "case " << i;
        EXPECT_GE(xmax, hi[0] - 1e-12) << "case " << i;
        EXPECT_LE(ymin, lo[1] + 1e-12) << "case " << i;
        EXPECT_GE(ymax, hi[1] - 1e-12) << "case " << i;
        EXPECT_NEAR(xmin, lo[0], tol) << "case " << i;
        EXPECT_NEAR(xmax, hi[0], tol) << "case " << i;
        EXPECT_NEAR(ymin, lo[1], tol) << "case " << i;
        EXPECT_NEAR(ymax, hi[1], tol) << "case " << i;
    }
}

TEST(CalcCenterForArc, KnownCirclesAndFailures) {
    const double xs[3] = {1, 0, -1}, ys[3] = {0, 1, 0};
    double cx = 7, cy = 7, r = 7;
    int dir = 0;
    ASSERT_TRUE(CalcCenterForArc(xs, ys, &cx, &cy, &r, &dir));
    EXPECT_NEAR(cx, 0.0, 1e-15);
    EXPECT_NEAR(cy, 0.0, 1e-15);
    EXPECT_DOUBLE_EQ(r, 1.0);
    EXPECT_EQ(dir, -1);
    EXPECT_TRUE(CalcCenterForArc(xs, ys, &cx, &cy, &r, nullptr));

    const double rx[3] = {-1, 0, 1};
    ASSERT_TRUE(CalcCenterForArc(rx, ys, &cx, &cy, &r, &dir));
    EXPECT_EQ(dir, 1);

    const double lx[3] = {0, 1, 2}, ly[3] = {0, 1, 2};
    EXPECT_FALSE(CalcCenterForArc(lx, ly, &cx, &cy, &r, &dir));
    EXPECT_EQ(r, -1.0);
    const double cxs[3] = {1, 1 + 5e-8, 0}, cys[3] = {0, 0, 1};
    r = 7;
    EXPECT_FALSE(CalcCenterForArc(cxs, cys, &cx, &cy, &r, &dir));
    EXPECT_EQ(r, -1.0);
    const double nx[3] = {1, kNaN, -1};
    EXPECT_FALSE(CalcCenterForArc(nx, ys, &cx, &cy, &r, &dir));
    EXPECT_EQ(r, -1.0);
}

TEST(CalcCenterForArc, RandomTriplesLieOnTheirCircle) {
    std::mt19937 rng(8086);
    std::uniform_real_distribution<double> coord(-100.0, 100.0);
    int built = 0;
    for (int i = 0; i < 20000; ++i) {
        double xs[3], ys[3];
        for (int k = 0; k < 3; ++k) {
            xs[k] = coord(rng);
            ys[k] = coord(rng);
        }
        const double cross = (xs[1] - xs[0]) * (ys[2] - ys[0]) - (ys[1] - ys[0]) * (xs[2] - xs[0]);
        if (std::fabs(cross) < 1.0) {
            continue;
        }
        double cx, cy, r, start, sweep;
        int dir = 0;
        ASSERT_TRUE(CalcCenterForArc(xs, ys, &cx, &cy, &r, &dir)) << "case " << i;
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(std::hypot(xs[k] - cx, ys[k] - cy), r, 1e-9 * (1 + r));
        }
        EXPECT_EQ(dir, cross > 0 ? -1 : 1);

        // The "2" form: the arc starts at P0, ends at P2 and passes P1 on its way.
        ASSERT_TRUE(CalcCenterForArc2(xs, ys, &cx, &cy, &r, &start, &sweep));
        EXPECT_EQ(sweep > 0, cross > 0);
        const double tol = 2e-5 * (1 + r); // the vertical snapping of GetLineAngle (|dx| < 1e-5)
        EXPECT_NEAR(cx + r * std::cos(start), xs[0], tol);
        EXPECT_NEAR(cy + r * std::sin(start), ys[0], tol);
        EXPECT_NEAR(cx + r * std::cos(start + sweep), xs[2], tol);
        EXPECT_NEAR(cy + r * std::sin(start + sweep), ys[2], tol);
        double a1 = std::atan2(ys[1] - cy, xs[1] - cx) - start;
        a1 = sweep > 0 ? std::fmod(a1 + 4 * kTwoPi, kTwoPi) : -std::fmod(-a1 + 4 * kTwoPi, kTwoPi);
        EXPECT_LT(std::fabs(a1), std::fabs(sweep));
        ++built;
    }
    EXPECT_GT(built, 15000);
}

TEST(CalcCenterForArc2, HalfCircleAndFailure) {
    const double xs[3] = {1, 0, -1}, ys[3] = {0, 1, 0};
    double cx, cy, r, start = 7, sweep = 7;
    ASSERT_TRUE(CalcCenterForArc2(xs, ys, &cx, &cy, &r, &start, &sweep));
    EXPECT_DOUBLE_EQ(start, 0.0);
    EXPECT_DOUBLE_EQ(sweep, kPi);

    const double cw[3] = {-1, 0, 1};
    ASSERT_TRUE(CalcCenterForArc2(cw, ys, &cx, &cy, &r, &start, &sweep));
    EXPECT_DOUBLE_EQ(start, kPi);
    EXPECT_DOUBLE_EQ(sweep, -kPi);

    const double lx[3] = {0, 1, 2};
    EXPECT_FALSE(CalcCenterForArc2(lx, lx, &cx, &cy, &r, &start, &sweep));
    EXPECT_EQ(start, 0.0);
    EXPECT_EQ(sweep, 0.0);
    EXPECT_EQ(r, -1.0);
}

TEST(CalcTangentArc, QuarterAndThreeQuarterArcsAreBuilt) {
    // Leaving (1, 0) upward and ending at (0, 1): the counter-clockwise quarter of the unit circle.
    double cx, cy, r, start, sweep;
    int dir = 0;
    ASSERT_TRUE(CalcTangentArc(1, 0, 0, 1, 0, 1, &cx, &cy, &r, &dir));
    EXPECT_NEAR(cx, 0.0, 1e-15);
    EXPECT_NEAR(cy, 0.0, 1e-15);
    EXPECT_DOUBLE_EQ(r, 1.0);
    EXPECT_EQ(dir, -1);
    ASSERT_TRUE(CalcTangentArc2(1, 0, 0, 1, 0, 1, &cx, &cy, &r, &start, &sweep));
    EXPECT_DOUBLE_EQ(start, 0.0);
    EXPECT_DOUBLE_EQ(sweep, kPi / 2);

    // Leaving (1, 0) downward to (0, 1): clockwise, three quarters.
    ASSERT_TRUE(CalcTangentArc2(1, 0, 0, 1, 0, -1, &cx, &cy, &r, &start, &sweep));
    EXPECT_DOUBLE_EQ(sweep, -3 * kPi / 2);
    ASSERT_TRUE(CalcTangentArc(1, 0, 0, 1, 0, -1, &cx, &cy, &r, &dir));
    EXPECT_EQ(dir, 1);

    // A shallow arc: 10 degrees of sweep.
    const double a = 10 * kPi / 180;
    ASSERT_TRUE(CalcTangentArc2(1, 0, std::cos(a), std::sin(a), 0, 1, &cx, &cy, &r, &start, &sweep));
    EXPECT_NEAR(r, 1.0, 1e-9);
    EXPECT_NEAR(sweep, a, 1e-9);
}

TEST(CalcTangentArc, ImpossibleArcsFail) {
    double cx = 7, cy = 7, r = 7, start = 7, sweep = 7;
    int dir = 0;
    EXPECT_FALSE(CalcTangentArc(0, 0, 5, 0, 1, 0, &cx, &cy, &r, &dir)); // end on the tangent
    EXPECT_EQ(cx, 0.0);
    EXPECT_EQ(r, 0.0);
    EXPECT_EQ(dir, -1);
    EXPECT_FALSE(CalcTangentArc(0, 0, -5, 0, 1, 0, &cx, &cy, &r, &dir)); // behind, on the tangent
    EXPECT_FALSE(CalcTangentArc(1, 1, 1, 1, 0, 1, &cx, &cy, &r, &dir));  // no chord
    EXPECT_FALSE(CalcTangentArc(0, 0, 1, 1, 0, 0, &cx, &cy, &r, &dir));  // no tangent
    EXPECT_FALSE(CalcTangentArc(0, 0, 1, kNaN, 0, 1, &cx, &cy, &r, nullptr));
    EXPECT_FALSE(CalcTangentArc2(0, 0, 5, 0, 1, 0, &cx, &cy, &r, &start, &sweep));
    EXPECT_EQ(start, 0.0);
    EXPECT_EQ(sweep, 0.0);
}

TEST(CalcTangentArc, RandomArcsLeaveAlongTheTangentAndEndAtTheTarget) {
    std::mt19937 rng(1234);
    std::uniform_real_distribution<double> coord(-50.0, 50.0);
    std::uniform_real_distribution<double> angle(-kPi, kPi);
    int built = 0;
    for (int i = 0; i < 20000; ++i) {
        const double x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
        const double t = angle(rng);
        const double tx = std::cos(t), ty = std::sin(t);
        const double chord = std::hypot(x1 - x0, y1 - y0);
        // Half the sweep is the angle between the tangent and the chord; keep clear of 0 and 2pi.
        const double sinHalf = std::fabs(tx * (y1 - y0) - ty * (x1 - x0)) / chord;
        if (chord < 0.1 || sinHalf < 1e-3) {
            continue;
        }
        double cx, cy, r, start, sweep;
        ASSERT_TRUE(CalcTangentArc2(x0, y0, x1, y1, tx, ty, &cx, &cy, &r, &start, &sweep)) << "case " << i;
        EXPECT_NEAR(std::hypot(x0 - cx, y0 - cy), r, 1e-9 * (1 + r));
        EXPECT_NEAR(std::hypot(x1 - cx, y1 - cy), r, 1e-9 * (1 + r));
        // The radius at P0 is perpendicular to the tangent.
        EXPECT_NEAR(((x0 - cx) * tx + (y0 - cy) * ty) / r, 0.0, 1e-9);
        // Travelling along the arc at its start means moving along the tangent.
        const double sgn = sweep > 0 ? 1.0 : -1.0;
        const double vx = -std::sin(start) * sgn, vy = std::cos(start) * sgn;
        EXPECT_GT(vx * tx + vy * ty, 0.999);
        const double tol = 2e-5 * (1 + r);
        EXPECT_NEAR(cx + r * std::cos(start + sweep), x1, tol);
        EXPECT_NEAR(cy + r * std::sin(start + sweep), y1, tol);
        ++built;
    }
    EXPECT_GT(built, 15000);
}

TEST(AngleBetweenTwoLine, OppositePerpendicularAndWrapped) {
    EXPECT_DOUBLE_EQ(AngleBetweenTwoLine(0, 0, 1, 0, 0, 0, -1, 0), kPi);
    EXPECT_DOUBLE_EQ(AngleBetweenTwoLine(0, 0, 1, 0, 0, 0, 0, 1), kPi / 2);
    EXPECT_DOUBLE_EQ(AngleBetweenTwoLine(0, 0, 0, 1, 0, 0, 1, 0), kPi / 2);
    // 350 and 10 degrees are 20 degrees apart.
    const double a = 10 * kPi / 180;
    EXPECT_NEAR(AngleBetweenTwoLine(0, 0, std::cos(a), -std::sin(a), 0, 0, std::cos(a), std::sin(a)), 2 * a,
                1e-12);
    EXPECT_EQ(AngleBetweenTwoLine(0, 0, kNaN, 0, 0, 0, 1, 1), 0.0);
}

TEST(CircleTanForTwoLine, PerpendicularNarrowAndDegenerate) {
    double x1 = 0, y1 = 0, x2 = 10, y2 = 0, x3 = 0, y3 = 0, x4 = 0, y4 = 10, r = 1, cx = 0, cy = 0;
    ASSERT_EQ(CircleTanForTwoLine(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, 0), 0);
    EXPECT_NEAR(cx, 1.0, 1e-12);
    EXPECT_NEAR(cy, 1.0, 1e-12);
    EXPECT_EQ(r, 1.0);

    // Lines meeting at 10 degrees are too narrow.
    const double a = 10 * kPi / 180;
    x1 = 0, y1 = 0, x2 = 10, y2 = 0, x3 = 0, y3 = 0, x4 = 10 * std::cos(a), y4 = 10 * std::sin(a);
    EXPECT_EQ(CircleTanForTwoLine(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, 0), -1);
    // And so are lines meeting at 170 degrees.
    x1 = 0, y1 = 0, x2 = 10, y2 = 0, x3 = 0, y3 = 0, x4 = -10 * std::cos(a), y4 = 10 * std::sin(a);
    EXPECT_EQ(CircleTanForTwoLine(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, 0), -1);

    // A zero or non-finite radius, a zero-length line and NaN coordinates fail.
    auto reset = [&] { x1 = 0, y1 = 0, x2 = 10, y2 = 0, x3 = 0, y3 = 0, x4 = 0, y4 = 10; };
    reset();
    r = 0;
    EXPECT_EQ(CircleTanForTwoLine(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, 0), -1);
    reset();
    r = kNaN;
    EXPECT_EQ(CircleTanForTwoLine(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, 0), -1);
    reset();
    r = 1;
    x2 = 0;
    EXPECT_EQ(CircleTanForTwoLine(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, 0), -1);
    EXPECT_EQ(CircleTanForParallel(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, 0), -1);
    reset();
    y4 = kNaN;
    cx = cy = 7;
    EXPECT_EQ(CircleTanForTwoLine(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, 0), -1);
    EXPECT_EQ(cx, 7);
    EXPECT_EQ(x2, 10);
}

TEST(CircleTanForParallel, HalfCircleJoinsTheLines) {
    // Two horizontal lines 2 apart; the half circle leaves line 1 at P2 = (10, 0).
    double x1 = 0, y1 = 0, x2 = 10, y2 = 0, x3 = 0, y3 = 2, x4 = 10, y4 = 2, r = 0, cx = 0, cy = 0;
    ASSERT_EQ(CircleTanForParallel(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, 1), 0);
    EXPECT_DOUBLE_EQ(r, 1.0);
    EXPECT_DOUBLE_EQ(cx, 10.0);
    EXPECT_DOUBLE_EQ(cy, 1.0);

    // Line 2 ends short of the foot: its end P4 is moved to the foot (10, 2).
    x1 = 0, y1 = 0, x2 = 10, y2 = 0, x3 = 0, y3 = 2, x4 = 6, y4 = 2;
    ASSERT_EQ(CircleTanForParallel(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, 1), 0);
    EXPECT_DOUBLE_EQ(x4, 10.0);
    EXPECT_DOUBLE_EQ(y4, 2.0);
    EXPECT_DOUBLE_EQ(x3, 0.0);

    // Collinear lines have no half circle.
    x1 = 0, y1 = 0, x2 = 10, y2 = 0, x3 = 12, y3 = 0, x4 = 20, y4 = 0;
    EXPECT_EQ(CircleTanForParallel(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, 1), -1);

    // Parallel lines handed to CircleTanForTwoLine take this path and set r.
    x1 = 0, y1 = 0, x2 = 10, y2 = 0, x3 = 0, y3 = 4, x4 = 10, y4 = 4, r = 99;
    ASSERT_EQ(CircleTanForTwoLine(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, 0), 0);
    EXPECT_DOUBLE_EQ(r, 2.0);
    EXPECT_DOUBLE_EQ(cx, 0.0);
    EXPECT_DOUBLE_EQ(cy, 2.0);
}

TEST(ArcTanForTwoLine, ParallelLinesGetTheOuterHalfCircle) {
    for (int side = 0; side < 2; ++side) {
        double x1 = 0, y1 = 0, x2 = 10, y2 = 0, x3 = 0, y3 = 2, x4 = 10, y4 = 2;
        double r = 0, cx = 0, cy = 0, start = 0, end = 0;
        ASSERT_EQ(ArcTanForTwoLine(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, &start, &end, side),
                  0);
        EXPECT_DOUBLE_EQ(r, 1.0);
        EXPECT_DOUBLE_EQ(cx, side ? 10.0 : 0.0);
        // The arc's middle lies outside the strip's x-range: the U-turn joins the lines' ends.
        double sweep = std::fmod(end - start + 2 * kTwoPi, kTwoPi);
        EXPECT_NEAR(sweep, kPi, 1e-9);
        const double mid = start + sweep / 2;
        const double mx = cx + r * std::cos(mid);
        if (side) {
            EXPECT_GT(mx, 10.5);
        } else {
            EXPECT_LT(mx, -0.5);
        }
    }
}

TEST(ArcTanForTwoLine, RandomFilletsAreTangentAndTrimTheLines) {
    std::mt19937 rng(2718);
    std::uniform_real_distribution<double> coord(-100.0, 100.0);
    std::uniform_real_distribution<double> dirDist(-kPi, kPi);
    std::uniform_real_distribution<double> lenDist(20.0, 400.0);
    std::uniform_real_distribution<double> radius(0.1, 5.0);
    int built = 0;
    for (int i = 0; i < 10000; ++i) {
        // Two rays from a common corner X, at least 20 degrees apart and 20 from straight.
        const double X = coord(rng), Y = coord(rng);
        const double a = dirDist(rng), b = dirDist(rng);
        double between = std::fabs(std::remainder(a - b, kTwoPi));
        if (between < 0.35 || between > kPi - 0.35) {
            continue;
        }
        const double la = lenDist(rng), lb = lenDist(rng);
        // Line 1 from X outward; line 2 pointing into X from its far end (reordered by the call).
        double x1 = X, y1 = Y, x2 = X + la * std::cos(a), y2 = Y + la * std::sin(a);
        double x3 = X + lb * std::cos(b), y3 = Y + lb * std::sin(b), x4 = X, y4 = Y;
        const double ox2 = x2, oy2 = y2, ox3 = x3, oy3 = y3;
        double r = radius(rng), cx = 0, cy = 0, start = 0, end = 0;
        const double want = r;
        ASSERT_EQ(ArcTanForTwoLine(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, &start, &end, 0), 0)
            << "case " << i;
        EXPECT_EQ(r, want);
        // Tangent to both lines.
        EXPECT_NEAR(DistToLine(X, Y, ox2, oy2, cx, cy), r, 1e-9 * (1 + r));
        EXPECT_NEAR(DistToLine(X, Y, ox3, oy3, cx, cy), r, 1e-9 * (1 + r));
        // The trimmed lines start at the tangent points and keep their far ends.
        EXPECT_NEAR(std::hypot(x1 - cx, y1 - cy), r, 1e-9 * (1 + r));
        EXPECT_NEAR(std::hypot(x3 - cx, y3 - cy), r, 1e-9 * (1 + r));
        EXPECT_LT(DistToLine(X, Y, ox2, oy2, x1, y1), 1e-9);
        EXPECT_LT(DistToLine(X, Y, ox3, oy3, x3, y3), 1e-9);
        EXPECT_EQ(x2, ox2);
        EXPECT_EQ(y2, oy2);
        EXPECT_EQ(x4, ox3);
        EXPECT_EQ(y4, oy3);
        // The arc runs counter-clockwise from start to end, the short way between the tangent points.
        const double sweep = std::fmod(end - start + 2 * kTwoPi, kTwoPi);
        EXPECT_GT(sweep, 0);
        EXPECT_LT(sweep, kPi);
        const bool t1AtStart =
            std::hypot(cx + r * std::cos(start) - x1, cy + r * std::sin(start) - y1) < 1e-9 * (1 + r);
        const bool t1AtEnd =
            std::hypot(cx + r * std::cos(end) - x1, cy + r * std::sin(end) - y1) < 1e-9 * (1 + r);
        EXPECT_TRUE(t1AtStart || t1AtEnd);
        EXPECT_NEAR(cx + r * std::cos(t1AtStart ? end : start), x3, 1e-9 * (1 + r));
        EXPECT_NEAR(cy + r * std::sin(t1AtStart ? end : start), y3, 1e-9 * (1 + r));
        ++built;
    }
    EXPECT_GT(built, 5000);
}

TEST(ArcTanForTwoLine, FilletOnAMillimetreDrawingOfMetresIsFound) {
    // Corner at (3000, 4000) mm, lines 2 m long, fillet radius 50 mm. A tangency test through the
    // discriminant of the line/circle equation (absolute 1e-7 on a quantity of size |d|^2 r^2)
    // rejects almost every fillet at this scale.
    const double X = 3000, Y = 4000, a = 0.3, b = 1.9;
    double x1 = X, y1 = Y, x2 = X + 2000 * std::cos(a), y2 = Y + 2000 * std::sin(a);
    double x3 = X, y3 = Y, x4 = X + 2000 * std::cos(b), y4 = Y + 2000 * std::sin(b);
    double r = 50, cx = 0, cy = 0, start = 0, end = 0;
    ASSERT_EQ(ArcTanForTwoLine(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, &start, &end, 0), 0);
    EXPECT_NEAR(std::hypot(x1 - cx, y1 - cy), 50, 1e-9);
    EXPECT_NEAR(std::hypot(x3 - cx, y3 - cy), 50, 1e-9);
    EXPECT_NEAR(std::fmod(end - start + 2 * kTwoPi, kTwoPi), kPi - (b - a), 1e-9);
}

TEST(ArcTanForTwoLine, FailuresReportMinusOne) {
    double x1 = 0, y1 = 0, x2 = 10, y2 = 0, x3 = 0, y3 = 0, x4 = 10, y4 = 0.5;
    double r = 1, cx = 0, cy = 0, start = 0, end = 0;
    EXPECT_EQ(ArcTanForTwoLine(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, &start, &end, 0), -1);
    x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0, x4 = 0, y4 = 10;
    EXPECT_EQ(ArcTanForTwoLine(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &r, &cx, &cy, &start, &end, 0), -1);
}

} // namespace
