#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "algorithms/intersect.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// Twice the signed area of P1 P2 P3: positive when P3 is left of P1->P2.
double Orient(double x1, double y1, double x2, double y2, double x3, double y3) {
    return (x2 - x1) * (y3 - y1) - (x3 - x1) * (y2 - y1);
}

double DistToSegment(double x1, double y1, double x2, double y2, double px, double py) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    double t = ((px - x1) * dx + (py - y1) * dy) / (dx * dx + dy * dy);
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (x1 + t * dx), py - (y1 + t * dy));
}

double DistToLine(double x1, double y1, double x2, double y2, double px, double py) {
    return std::fabs(Orient(x1, y1, x2, y2, px, py)) / std::hypot(x2 - x1, y2 - y1);
}

// Angle of (x, y) about (cx, cy) reduced into [0, 2pi).
double AngleAbout(double cx, double cy, double x, double y) {
    double a = std::atan2(y - cy, x - cx);
    return a < 0 ? a + kTwoPi : a;
}

// Strict membership of an angle in the counter-clockwise arc start..start+sweep, with a margin.
bool OnArc(double start, double sweep, double a, double margin) {
    double rel = std::fmod(a - start, kTwoPi);
    if (rel < 0) {
        rel += kTwoPi;
    }
    return rel >= -margin && rel <= sweep + margin;
}

TEST(LineCrossLine, CrossingMissAndCollinear) {
    double x = 7, y = 7;
    EXPECT_EQ(LineCrossLine(0, 0, 2, 2, 0, 2, 2, 0, &x, &y), 1);
    EXPECT_DOUBLE_EQ(x, 1.0);
    EXPECT_DOUBLE_EQ(y, 1.0);

    // The infinite lines cross at (2, 0), outside the first segment: still written.
    EXPECT_EQ(LineCrossLine(0, 0, 1, 0, 2, -1, 2, 1, &x, &y), 0);
    EXPECT_DOUBLE_EQ(x, 2.0);
    EXPECT_DOUBLE_EQ(y, 0.0);

    x = y = 7;
    EXPECT_EQ(LineCrossLine(0, 0, 2, 0, 1, 0, 3, 0, &x, &y), -2); // overlapping collinear
    EXPECT_EQ(LineCrossLine(0, 0, 2, 0, 0, 1, 2, 1, &x, &y), -2); // parallel
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 7);
}

TEST(LineCrossLine, EndPointsSnapExactly) {
    double x = 0, y = 0;
    EXPECT_EQ(LineCrossLine(0, 0, 1, 0, 1, 0, 1, 1, &x, &y), 1);
    EXPECT_EQ(x, 1.0);
    EXPECT_EQ(y, 0.0);

    // A crossing 5e-8 beyond the end of the first segment still counts and takes P2 exactly.
    EXPECT_EQ(LineCrossLine(0, 0, 1, 0, 1 + 5e-8, -1, 1 + 5e-8, 1, &x, &y), 1);
    EXPECT_EQ(x, 1.0);
    EXPECT_EQ(y, 0.0);
    // 2e-7 beyond is outside.
    EXPECT_EQ(LineCrossLine(0, 0, 1, 0, 1 + 2e-7, -1, 1 + 2e-7, 1, &x, &y), 0);

    // The second segment's start point wins when the first segment is crossed in its middle.
    EXPECT_EQ(LineCrossLine(0, 0, 2, 0, 1.0 + 1e-9, 3e-9, 1, 5, &x, &y), 1);
    EXPECT_EQ(x, 1.0 + 1e-9);
    EXPECT_EQ(y, 3e-9);
}

TEST(LineCrossLine, DegenerateAndNonFiniteInputWriteNothing) {
    double x = 7, y = 7;
    EXPECT_EQ(LineCrossLine(1, 1, 1, 1, 0, 0, 2, 2, &x, &y), -2);
    EXPECT_EQ(LineCrossLine(0, 0, 2, 2, 1, 1, 1 + 5e-8, 1 + 4e-8, &x, &y), -2);
    EXPECT_EQ(LineCrossLine(0, 0, kNaN, 2, 0, 2, 2, 0, &x, &y), -2);
    EXPECT_EQ(LineCrossLine(0, 0, 2, 2, 0, kInf, 2, 0, &x, &y), -2);
    // Finite but so large that the crossing overflows.
    EXPECT_EQ(LineCrossLine(-1e308, -1e308, 1e308, 1e308, -1e308, 1e308, 1e308, -1e308, &x, &y), -2);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 7);
    EXPECT_EQ(BeelineCrossBeeline(0, 0, kNaN, 1, 0, 1, 1, 0, &x, &y), -1);
    EXPECT_EQ(BeelineCrossLine(0, 0, 1, 1, 0, 1, 1, kInf, &x, &y), -2);
    EXPECT_EQ(x, 7);
}

TEST(LineCrossLine, FarFromTheOriginKeepsPrecision) {
    // Two short segments crossing near (99999999, -99999999).
    const double o = 99999999.0;
    double x = 0, y = 0;
    ASSERT_EQ(LineCrossLine(o - 1, -o - 1, o + 1, -o + 1, o - 1, -o + 1, o + 1, -o - 1, &x, &y), 1);
    EXPECT_NEAR(x, o, 1e-7);
    EXPECT_NEAR(y, -o, 1e-7);
}

TEST(LineCrossLine, AgreesWithOrientationTestOnRandomSegments) {
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<double> coord(-100.0, 100.0);
    int crossings = 0;
    for (int i = 0; i < 20000; ++i) {
        const double x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
        const double x3 = coord(rng), y3 = coord(rng), x4 = coord(rng), y4 = coord(rng);
        const double o1 = Orient(x1, y1, x2, y2, x3, y3);
        const double o2 = Orient(x1, y1, x2, y2, x4, y4);
        const double o3 = Orient(x3, y3, x4, y4, x1, y1);
        const double o4 = Orient(x3, y3, x4, y4, x2, y2);
        // Skip configurations within a whisker of touching; their answer is a tolerance question.
        if (std::min({std::fabs(o1), std::fabs(o2), std::fabs(o3), std::fabs(o4)}) < 1e-3) {
            continue;
        }
        const bool expected = (o1 > 0) != (o2 > 0) && (o3 > 0) != (o4 > 0);
        double x = kNaN, y = kNaN;
        const int rc = LineCrossLine(x1, y1, x2, y2, x3, y3, x4, y4, &x, &y);
        ASSERT_EQ(rc, expected ? 1 : 0) << "case " << i;
        crossings += rc;
        // Either way the written point lies on both infinite lines; a crossing lies on both segments.
        EXPECT_LT(DistToLine(x1, y1, x2, y2, x, y), 1e-9);
        EXPECT_LT(DistToLine(x3, y3, x4, y4, x, y), 1e-9);
        if (rc == 1) {
            EXPECT_LT(DistToSegment(x1, y1, x2, y2, x, y), 1e-9);
            EXPECT_LT(DistToSegment(x3, y3, x4, y4, x, y), 1e-9);
        }
        // The infinite-line versions report the same crossing.
        double bx = kNaN, by = kNaN;
        ASSERT_EQ(BeelineCrossBeeline(x1, y1, x2, y2, x3, y3, x4, y4, &bx, &by), 0);
        EXPECT_NEAR(bx, x, 1e-9);
        EXPECT_NEAR(by, y, 1e-9);
        const bool onSecond = (o1 > 0) != (o2 > 0); // P3 and P4 on opposite sides of line P1P2
        EXPECT_EQ(BeelineCrossLine(x1, y1, x2, y2, x3, y3, x4, y4, &bx, &by), onSecond ? 1 : 0);
    }
    EXPECT_GT(crossings, 1000);
}

TEST(BeelineCross, ParallelAndSegmentMisses) {
    double x = 7, y = 7;
    EXPECT_EQ(BeelineCrossBeeline(0, 0, 1, 1, 0, 1, 1, 2, &x, &y), -1);
    EXPECT_EQ(BeelineCrossLine(0, 0, 1, 1, 0, 1, 1, 2, &x, &y), -2);
    EXPECT_EQ(x, 7);
    // The line y = x meets the segment's line at (3, 3), beyond the segment: 0, point written.
    EXPECT_EQ(BeelineCrossLine(0, 0, 1, 1, 2, 4, 2.5, 3.5, &x, &y), 0);
    EXPECT_DOUBLE_EQ(x, 3.0);
    EXPECT_DOUBLE_EQ(y, 3.0);
    EXPECT_EQ(BeelineCrossLine(0, 0, 1, 1, 10, 0, 0, 10, &x, &y), 1);
    EXPECT_DOUBLE_EQ(x, 5.0);
}

TEST(BeelineCross, NearlyHorizontalLinesGiveAFinitePoint) {
    // Both lines rise less than 1e-7, yet they are far from parallel over their length.
    double x = kNaN, y = kNaN;
    ASSERT_EQ(BeelineCrossBeeline(0, 0, 1000, 1e-8, 0, 1e-6, 1000, 1e-6 - 5e-8, &x, &y), 0);
    ASSERT_TRUE(std::isfinite(x));
    ASSERT_TRUE(std::isfinite(y));
    EXPECT_NEAR(x, 1e6 / 60, 1e-6);
    EXPECT_NEAR(y, 1e-8 * (1e6 / 60) / 1000, 1e-12);
}

TEST(ArcCrossArc, KnownCircles) {
    double xs[2] = {kNaN, kNaN}, ys[2] = {kNaN, kNaN};
    EXPECT_EQ(CircleCrossCircle(0, 0, 1, 0, 0, 1, xs, ys), 0); // identical circles
    EXPECT_EQ(CircleCrossCircle(0, 0, 1, 0, 0, 2, xs, ys), 0);
    EXPECT_EQ(CircleCrossCircle(0, 0, 1, 5, 0, 1, xs, ys), 0);
    EXPECT_EQ(CircleCrossCircle(0, 0, 1, 0.2, 0, 3, xs, ys), 0); // one inside the other

    ASSERT_EQ(CircleCrossCircle(0, 0, 1, 1, 0, 1, xs, ys), 2);
    // Right of the line from the first centre to the second comes first.
    EXPECT_NEAR(xs[0], 0.5, 1e-12);
    EXPECT_NEAR(ys[0], -std::sqrt(0.75), 1e-12);
    EXPECT_NEAR(xs[1], 0.5, 1e-12);
    EXPECT_NEAR(ys[1], std::sqrt(0.75), 1e-12);

    // Touching externally and internally: one point.
    ASSERT_EQ(CircleCrossCircle(0, 0, 1, 2, 0, 1, xs, ys), 1);
    EXPECT_NEAR(xs[0], 1.0, 1e-12);
    EXPECT_NEAR(ys[0], 0.0, 1e-12);
    ASSERT_EQ(CircleCrossCircle(0, 0, 2, 1, 0, 1, xs, ys), 1);
    EXPECT_NEAR(xs[0], 2.0, 1e-12);
}

TEST(ArcCrossArc, ArcSpansFilterThePoints) {
    double xs[2], ys[2];
    // Upper half of the first circle: only the upper crossing remains, at index 0.
    ASSERT_EQ(ArcCrossArc(0, 0, 1, 0, kPi, 1, 0, 1, 0, kTwoPi, xs, ys), 1);
    EXPECT_NEAR(ys[0], std::sqrt(0.75), 1e-12);
    // Second arc restricted to its lower half (angles pi..2pi about (1, 0)).
    ASSERT_EQ(CircleCrossArc(0, 0, 1, 1, 0, 1, kPi, kTwoPi, xs, ys), 1);
    EXPECT_NEAR(ys[0], -std::sqrt(0.75), 1e-12);
    EXPECT_EQ(ArcCrossArc(0, 0, 1, 0, kPi, 1, 0, 1, kPi, kTwoPi, xs, ys), 0);
}

TEST(ArcCrossArc, DegenerateRadiiAndNonFiniteGiveNothing) {
    double xs[2] = {7, 7}, ys[2] = {7, 7};
    EXPECT_EQ(CircleCrossCircle(0, 0, 0, 1, 0, 1, xs, ys), 0); // a point on the second circle
    EXPECT_EQ(CircleCrossCircle(0, 0, 1, 1, 0, 0, xs, ys), 0);
    EXPECT_EQ(CircleCrossCircle(0, 0, -1, 1, 0, 1, xs, ys), 0);
    EXPECT_EQ(CircleCrossCircle(0, 0, 1, kNaN, 0, 1, xs, ys), 0);
    EXPECT_EQ(ArcCrossArc(0, 0, 1, kNaN, 1, 1, 0, 1, 0, 1, xs, ys), 0);
    EXPECT_EQ(CircleCrossCircle(0, 0, kInf, 1, 0, 1, xs, ys), 0);
    EXPECT_EQ(xs[0], 7);
    EXPECT_EQ(ys[1], 7);
}

TEST(ArcCrossArc, RandomCirclesMeetWhereTheyShould) {
    std::mt19937 rng(4242);
    std::uniform_real_distribution<double> coord(-50.0, 50.0);
    std::uniform_real_distribution<double> radius(0.5, 60.0);
    std::uniform_real_distribution<double> angle(-kTwoPi, kTwoPi);
    int found = 0;
    for (int i = 0; i < 20000; ++i) {
        const double cx1 = coord(rng), cy1 = coord(rng), r1 = radius(rng);
        const double cx2 = coord(rng), cy2 = coord(rng), r2 = radius(rng);
        const double d = std::hypot(cx2 - cx1, cy2 - cy1);
        double xs[2], ys[2];
        const int n = CircleCrossCircle(cx1, cy1, r1, cx2, cy2, r2, xs, ys);
        const double margin = std::min(std::fabs(d - (r1 + r2)), std::fabs(d - std::fabs(r1 - r2)));
        if (margin > 1e-6) {
            const bool meet = d < r1 + r2 && d > std::fabs(r1 - r2);
            ASSERT_EQ(n, meet ? 2 : 0) << "case " << i;
        }
        for (int k = 0; k < n; ++k) {
            EXPECT_NEAR(std::hypot(xs[k] - cx1, ys[k] - cy1), r1, 1e-9);
            EXPECT_NEAR(std::hypot(xs[k] - cx2, ys[k] - cy2), r2, 1e-6);
        }
        if (n == 2) {
            // The first point lies right of the centre line, the second left of it.
            EXPECT_LT(Orient(cx1, cy1, cx2, cy2, xs[0], ys[0]), 0);
            EXPECT_GT(Orient(cx1, cy1, cx2, cy2, xs[1], ys[1]), 0);
        }

        // Arcs keep exactly the circle points that lie on both spans.
        const double s1 = angle(rng), e1 = angle(rng), s2 = angle(rng), e2 = angle(rng);
        double ax[2], ay[2];
        const int m = ArcCrossArc(cx1, cy1, r1, s1, e1, cx2, cy2, r2, s2, e2, ax, ay);
        int expected = 0;
        bool ambiguous = false;
        auto sweepOf = [](double s, double e) {
            double w = std::fmod(e - s, kTwoPi);
            return w <= 0 ? w + kTwoPi : w;
        };
        for (int k = 0; k < n; ++k) {
            const double a1 = AngleAbout(cx1, cy1, xs[k], ys[k]);
            const double a2 = AngleAbout(cx2, cy2, xs[k], ys[k]);
            const bool in = OnArc(s1, sweepOf(s1, e1), a1, 0) && OnArc(s2, sweepOf(s2, e2), a2, 0);
            const bool inLoose = OnArc(s1, sweepOf(s1, e1), a1, 1e-4) && OnArc(s2, sweepOf(s2, e2), a2, 1e-4);
            const bool inTight =
                OnArc(s1, sweepOf(s1, e1), a1, -1e-4) && OnArc(s2, sweepOf(s2, e2), a2, -1e-4);
            ambiguous = ambiguous || in != inLoose || in != inTight;
            expected += in ? 1 : 0;
        }
        if (!ambiguous) {
            EXPECT_EQ(m, expected) << "case " << i;
        }
        found += m;
    }
    EXPECT_GT(found, 1000);
}

TEST(LineCrossCircle, OrderAndSegmentRange) {
    double xs[2], ys[2];
    ASSERT_EQ(LineCrossCircle(0, 0, 1, -2, 0, 2, 0, xs, ys), 2);
    EXPECT_DOUBLE_EQ(xs[0], 1.0); // farther from P1 first
    EXPECT_DOUBLE_EQ(xs[1], -1.0);
    EXPECT_DOUBLE_EQ(ys[0], 0.0);

    ASSERT_EQ(LineCrossCircle(0, 0, 1, 0, 0, 2, 0, xs, ys), 1);
    EXPECT_DOUBLE_EQ(xs[0], 1.0);

    // The infinite line through two outside points still meets the circle twice.
    EXPECT_EQ(LineCrossCircle(0, 0, 1, 5, 0, 6, 0, xs, ys), 0);
    ASSERT_EQ(BeelineCrossCircle(0, 0, 1, 5, 0, 6, 0, xs, ys), 2);
    EXPECT_DOUBLE_EQ(xs[0], 1.0);
    EXPECT_DOUBLE_EQ(xs[1], -1.0);

    // A tangent segment touches once.
    ASSERT_EQ(LineCrossCircle(0, 0, 1, -2, 1, 2, 1, xs, ys), 1);
    EXPECT_NEAR(xs[0], 0.0, 1e-12);
    EXPECT_NEAR(ys[0], 1.0, 1e-12);
    ASSERT_EQ(BeelineCrossCircle(0, 0, 1, -2, 1, 2, 1, xs, ys), 1);

    // Ends of the segment on the circle count.
    ASSERT_EQ(LineCrossCircle(0, 0, 1, 1, 0, 0, 1, xs, ys), 2);
}

TEST(LineCrossCircle, ArcSpanAndDegenerateInput) {
    double xs[2] = {7, 7}, ys[2] = {7, 7};
    // Upper half arc: the horizontal diameter's ends lie on it (0 and pi), a lower chord does not.
    EXPECT_EQ(LineCrossArc(0, 0, 1, 0, kPi, -2, 0, 2, 0, xs, ys), 2);
    EXPECT_EQ(LineCrossArc(0, 0, 1, 0, kPi, -2, -0.5, 2, -0.5, xs, ys), 0);
    ASSERT_EQ(BeelineCrossArc(0, 0, 1, kPi / 2, 3 * kPi / 2, 5, 0, 6, 0, xs, ys), 1);
    EXPECT_DOUBLE_EQ(xs[0], -1.0);

    xs[0] = 7;
    EXPECT_EQ(LineCrossCircle(0, 0, 1, 1, 0, 1 + 1e-4, 0, xs, ys), 0); // squared length below 1e-7
    EXPECT_EQ(LineCrossCircle(0, 0, 1, 0.5, 0.5, 0.5, 0.5, xs, ys), 0);
    EXPECT_EQ(BeelineCrossCircle(0, 0, 1, 0.5, 0.5, 0.5, 0.5, xs, ys), 0);
    EXPECT_EQ(LineCrossCircle(0, 0, 0, -1, 0, 1, 0, xs, ys), 0);  // zero radius through the centre
    EXPECT_EQ(LineCrossCircle(0, 0, -1, -2, 0, 2, 0, xs, ys), 0); // negative radius
    EXPECT_EQ(LineCrossCircle(0, 0, 1, -2, kNaN, 2, 0, xs, ys), 0);
    EXPECT_EQ(BeelineCrossArc(0, 0, 1, 0, kInf, -2, 0, 2, 0, xs, ys), 0);
    EXPECT_EQ(xs[0], 7);
}

TEST(LineCrossCircle, RandomSegmentsMatchTheChordConstruction) {
    std::mt19937 rng(777);
    std::uniform_real_distribution<double> coord(-100.0, 100.0);
    std::uniform_real_distribution<double> radius(1.0, 80.0);
    int found = 0;
    for (int i = 0; i < 20000; ++i) {
        const double cx = coord(rng), cy = coord(rng), r = radius(rng);
        const double x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
        // Independent construction: the foot F of the centre on the line and half the chord.
        const double dx = x2 - x1, dy = y2 - y1, len = std::hypot(dx, dy);
        const double tf = ((cx - x1) * dx + (cy - y1) * dy) / (len * len);
        const double h = std::hypot(x1 + tf * dx - cx, y1 + tf * dy - cy);
        if (std::fabs(h - r) < 1e-2 || len < 1.0) {
            continue;
        }
        double ts[2];
        int lineCount = 0;
        if (h < r) {
            const double half = std::sqrt(r * r - h * h) / len;
            ts[0] = tf + half;
            ts[1] = tf - half;
            lineCount = 2;
        }
        double xs[2], ys[2];
        ASSERT_EQ(BeelineCrossCircle(cx, cy, r, x1, y1, x2, y2, xs, ys), lineCount);
        for (int k = 0; k < lineCount; ++k) {
            EXPECT_NEAR(xs[k], x1 + ts[k] * dx, 1e-7);
            EXPECT_NEAR(ys[k], y1 + ts[k] * dy, 1e-7);
        }
        int expected = 0;
        bool ambiguous = false;
        double want[2][2];
        for (int k = 0; k < lineCount; ++k) {
            ambiguous = ambiguous || std::fabs(ts[k]) < 1e-6 || std::fabs(ts[k] - 1) < 1e-6;
            if (ts[k] >= 0 && ts[k] <= 1) {
                want[expected][0] = x1 + ts[k] * dx;
                want[expected][1] = y1 + ts[k] * dy;
                ++expected;
            }
        }
        if (ambiguous) {
            continue;
        }
        const int n = LineCrossCircle(cx, cy, r, x1, y1, x2, y2, xs, ys);
        ASSERT_EQ(n, expected) << "case " << i;
        for (int k = 0; k < n; ++k) {
            EXPECT_NEAR(xs[k], want[k][0], 1e-7);
            EXPECT_NEAR(ys[k], want[k][1], 1e-7);
            EXPECT_NEAR(std::hypot(xs[k] - cx, ys[k] - cy), r, 1e-7);
            EXPECT_LT(DistToSegment(x1, y1, x2, y2, xs[k], ys[k]), 1e-9);
        }
        found += n;
    }
    EXPECT_GT(found, 1000);
}

TEST(CrossRect, CornersAreReportedExactly) {
    const double xs[4] = {0, 2, 2, 0};
    const double ys[4] = {0, 0, 2, 2};
    double ox[8], oy[8];
    // The diagonal through two opposite corners: each corner once, exactly.
    ASSERT_EQ(LineCrossRect(-1, -1, 3, 3, xs, ys, ox, oy), 2);
    EXPECT_EQ(ox[0], 0.0);
    EXPECT_EQ(oy[0], 0.0);
    EXPECT_EQ(ox[1], 2.0);
    EXPECT_EQ(oy[1], 2.0);
    ASSERT_EQ(BeelineCrossRect(5, 5, 6, 6, xs, ys, ox, oy), 2);
    EXPECT_EQ(ox[0], 0.0);
    EXPECT_EQ(ox[1], 2.0);

    // A segment ending inside crosses once; one outside crosses not at all.
    ASSERT_EQ(LineCrossRect(1, 1, 1, 5, xs, ys, ox, oy), 1);
    EXPECT_DOUBLE_EQ(ox[0], 1.0);
    EXPECT_DOUBLE_EQ(oy[0], 2.0);
    EXPECT_EQ(LineCrossRect(3, 0, 3, 5, xs, ys, ox, oy), 0);
    EXPECT_EQ(BeelineCrossRect(3, 0, 3, 5, xs, ys, ox, oy), 0);

    // A circle through the corner (2, 2) reports it once per edge.
    const int n = CircleCrossRect(3, 3, std::sqrt(2.0), xs, ys, ox, oy);
    ASSERT_EQ(n, 2);
    for (int k = 0; k < n; ++k) {
        EXPECT_EQ(ox[k], 2.0);
        EXPECT_EQ(oy[k], 2.0);
    }
}

TEST(CrossRect, RectanglesAndArcs) {
    const double ax[4] = {0, 2, 2, 0};
    const double ay[4] = {0, 0, 2, 2};
    const double bx[4] = {1, 3, 3, 1};
    const double by[4] = {1, 1, 3, 3};
    double ox[8], oy[8];
    ASSERT_EQ(RectCrossRect(ax, ay, bx, by, ox, oy), 2);
    EXPECT_DOUBLE_EQ(ox[0], 2.0); // edge 1 of A meets the bottom of B at (2, 1)
    EXPECT_DOUBLE_EQ(oy[0], 1.0);
    EXPECT_DOUBLE_EQ(ox[1], 1.0); // edge 2 of A meets the left side of B at (1, 2)
    EXPECT_DOUBLE_EQ(oy[1], 2.0);

    // A rotated square (a diamond) against the unit circle: 8 crossings, 2 per edge.
    const double r = 1.2;
    const double dx[4] = {r, 0, -r, 0};
    const double dy[4] = {0, r, 0, -r};
    ASSERT_EQ(CircleCrossRect(0, 0, 1, dx, dy, ox, oy), 8);
    for (int k = 0; k < 8; ++k) {
        EXPECT_NEAR(std::hypot(ox[k], oy[k]), 1.0, 1e-12);
        EXPECT_NEAR(std::fabs(ox[k]) + std::fabs(oy[k]), r, 1e-12);
    }
    // Only the first quadrant of the circle: the two points on edge 0.
    ASSERT_EQ(ArcCrossRect(0, 0, 1, 0, kPi / 2, dx, dy, ox, oy), 2);
    EXPECT_GT(ox[0], 0);
    EXPECT_GT(oy[1], 0);

    // A degenerate rectangle (all corners equal) or NaN corners give nothing.
    const double px[4] = {1, 1, 1, 1};
    EXPECT_EQ(LineCrossRect(0, 0, 2, 2, px, px, ox, oy), 0);
    const double nx[4] = {kNaN, 2, 2, kNaN};
    EXPECT_EQ(CircleCrossRect(0, 0, 1, nx, ay, ox, oy), 0);
}

} // namespace
