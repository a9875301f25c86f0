#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "algorithms/clip.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

double DistToSegment(double x1, double y1, double x2, double y2, double px, double py) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double l2 = dx * dx + dy * dy;
    double t = l2 > 0 ? ((px - x1) * dx + (py - y1) * dy) / l2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (x1 + t * dx), py - (y1 + t * dy));
}

// Reference clipper: the parameter interval of P1 + t (P2 - P1) inside the closed rectangle.
bool LiangBarsky(double x1, double y1, double x2, double y2, double xmin, double ymin, double xmax,
                 double ymax, double* t0, double* t1) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - xmin, xmax - x1, y1 - ymin, ymax - y1};
    double lo = 0.0;
    double hi = 1.0;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0.0) {
            lo = std::max(lo, r);
        } else {
            hi = std::min(hi, r);
        }
    }
    *t0 = lo;
    *t1 = hi;
    return lo <= hi;
}

TEST(CsClip, KnownSegments) {
    double a = 7, b = 7, c = 7, d = 7;
    ASSERT_TRUE(CS_clip(-1, 0.5, 2, 0.5, 0, 1, 0, 1, &a, &b, &c, &d));
    EXPECT_DOUBLE_EQ(a, 0.0);
    EXPECT_DOUBLE_EQ(b, 0.5);
    EXPECT_DOUBLE_EQ(c, 1.0);
    EXPECT_DOUBLE_EQ(d, 0.5);

    a = b = c = d = 7;
    EXPECT_FALSE(CS_clip(-1, -1, 2, -1, 0, 1, 0, 1, &a, &b, &c, &d));
    EXPECT_EQ(a, 7);
    EXPECT_EQ(d, 7);

    // On the edge y = 0 is inside, unchanged.
    ASSERT_TRUE(CS_clip(0.2, 0, 0.7, 0, 0, 1, 0, 1, &a, &b, &c, &d));
    EXPECT_EQ(a, 0.2);
    EXPECT_EQ(b, 0.0);
    EXPECT_EQ(c, 0.7);
    EXPECT_EQ(d, 0.0);

    // Reversed direction keeps the end order.
    ASSERT_TRUE(CS_clip(2, 0.5, -1, 0.5, 0, 1, 0, 1, &a, &b, &c, &d));
    EXPECT_DOUBLE_EQ(a, 1.0);
    EXPECT_DOUBLE_EQ(c, 0.0);
}

TEST(ClipLineInArea, KnownSegments) {
    double x1 = 0.5, y1 = -1, x2 = 0.5, y2 = 2;
    ASSERT_EQ(ClipLineInArea(&x1, &y1, &x2, &y2, 0, 0, 1, 1), 0);
    EXPECT_DOUBLE_EQ(x1, 0.5);
    EXPECT_DOUBLE_EQ(y1, 0.0);
    EXPECT_DOUBLE_EQ(x2, 0.5);
    EXPECT_DOUBLE_EQ(y2, 1.0);

    // Misses the corner region: rejected after the first point has moved onto x = 0.
    x1 = -1, y1 = 0.5, x2 = 0.5, y2 = 2;
    EXPECT_EQ(ClipLineInArea(&x1, &y1, &x2, &y2, 0, 0, 1, 1), -1);
    EXPECT_DOUBLE_EQ(x1, 0.0);
    EXPECT_DOUBLE_EQ(y1, 1.5);
    EXPECT_EQ(x2, 0.5);
    EXPECT_EQ(y2, 2.0);

    // Through a corner exactly.
    x1 = -1, y1 = -1, x2 = 2, y2 = 2;
    ASSERT_EQ(ClipLineInArea(&x1, &y1, &x2, &y2, 0, 0, 1, 1), 0);
    EXPECT_DOUBLE_EQ(x1, 0.0);
    EXPECT_DOUBLE_EQ(y1, 0.0);
    EXPECT_DOUBLE_EQ(x2, 1.0);
    EXPECT_DOUBLE_EQ(y2, 1.0);

    // A point segment inside stays; one outside is rejected.
    x1 = x2 = 0.3, y1 = y2 = 0.3;
    EXPECT_EQ(ClipLineInArea(&x1, &y1, &x2, &y2, 0, 0, 1, 1), 0);
    x1 = x2 = 3, y1 = y2 = 0.3;
    EXPECT_EQ(ClipLineInArea(&x1, &y1, &x2, &y2, 0, 0, 1, 1), -1);
}

TEST(ClipLineInArea, NonFiniteInputIsOutsideAndUntouched) {
    double x1 = kNaN, y1 = 0.5, x2 = 0.5, y2 = 0.5;
    EXPECT_EQ(ClipLineInArea(&x1, &y1, &x2, &y2, 0, 0, 1, 1), -1);
    EXPECT_TRUE(std::isnan(x1));
    EXPECT_EQ(x2, 0.5);
    x1 = 0.5;
    y2 = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ClipLineInArea(&x1, &y1, &x2, &y2, 0, 0, 1, 1), -1);
    double a = 7, b = 7, c = 7, d = 7;
    EXPECT_FALSE(CS_clip(0.5, 0.5, kNaN, 0.5, 0, 1, 0, 1, &a, &b, &c, &d));
    EXPECT_FALSE(CS_clip(0.5, 0.5, 0.6, 0.5, 0, kNaN, 0, 1, &a, &b, &c, &d));
    EXPECT_EQ(a, 7);
    // Huge but finite coordinates clip to finite values.
    x1 = -1e300, y1 = -1e300, x2 = 1e300, y2 = 1e300;
    ASSERT_EQ(ClipLineInArea(&x1, &y1, &x2, &y2, 0, 0, 1, 1), 0);
    EXPECT_NEAR(x1, 0.0, 1e-9);
    EXPECT_NEAR(y2, 1.0, 1e-9);
    // An inverted rectangle holds nothing.
    x1 = 0.5, y1 = 0.5, x2 = 0.6, y2 = 0.6;
    EXPECT_EQ(ClipLineInArea(&x1, &y1, &x2, &y2, 1, 1, 0, 0), -1);
    EXPECT_FALSE(CS_clip(0.5, 0.5, 0.6, 0.6, 1, 0, 1, 0, &a, &b, &c, &d));
}

TEST(ClipLineInArea, RandomSegmentsMatchTheParametricClip) {
    std::mt19937 rng(99);
    std::uniform_real_distribution<double> coord(-30.0, 30.0);
    const double xmin = -10, ymin = -5, xmax = 12, ymax = 8;
    int accepted = 0;
    for (int i = 0; i < 50000; ++i) {
        const double x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
        double t0 = 0, t1 = 0;
        const bool expect = LiangBarsky(x1, y1, x2, y2, xmin, ymin, xmax, ymax, &t0, &t1);
        // Segments that only graze a corner are a question of rounding; skip them.
        if (expect && (t1 - t0) * std::hypot(x2 - x1, y2 - y1) < 1e-6) {
            continue;
        }
        double a = x1, b = y1, c = x2, d = y2;
        const int rc = ClipLineInArea(&a, &b, &c, &d, xmin, ymin, xmax, ymax);
        double e = 0, f = 0, g = 0, h = 0;
        const bool cs = CS_clip(x1, y1, x2, y2, xmin, xmax, ymin, ymax, &e, &f, &g, &h);
        ASSERT_EQ(rc == 0, expect) << "case " << i;
        ASSERT_EQ(cs, expect) << "case " << i;
        if (!expect) {
            // A rejected segment has no point inside the rectangle.
            for (int k = 0; k <= 200; ++k) {
                const double px = x1 + (x2 - x1) * k / 200.0;
                const double py = y1 + (y2 - y1) * k / 200.0;
                ASSERT_FALSE(px > xmin && px < xmax && py > ymin && py < ymax) << "case " << i;
            }
            continue;
        }
        ++accepted;
        // The clipped ends are the parametric ones, inside the rectangle and on the segment.
        const double ex1 = x1 + t0 * (x2 - x1), ey1 = y1 + t0 * (y2 - y1);
        const double ex2 = x1 + t1 * (x2 - x1), ey2 = y1 + t1 * (y2 - y1);
        for (double v : {a, c, e, g}) {
            EXPECT_GE(v, xmin - 1e-9);
            EXPECT_LE(v, xmax + 1e-9);
        }
        for (double v : {b, d, f, h}) {
            EXPECT_GE(v, ymin - 1e-9);
            EXPECT_LE(v, ymax + 1e-9);
        }
        EXPECT_LT(DistToSegment(x1, y1, x2, y2, a, b), 1e-9);
        EXPECT_LT(DistToSegment(x1, y1, x2, y2, c, d), 1e-9);
        EXPECT_NEAR(a, ex1, 1e-9);
        EXPECT_NEAR(b, ey1, 1e-9);
        EXPECT_NEAR(c, ex2, 1e-9);
        EXPECT_NEAR(d, ey2, 1e-9);
        EXPECT_NEAR(e, ex1, 1e-9);
        EXPECT_NEAR(f, ey1, 1e-9);
        EXPECT_NEAR(g, ex2, 1e-9);
        EXPECT_NEAR(h, ey2, 1e-9);
    }
    EXPECT_GT(accepted, 5000);
}

TEST(ClipArcInArea, KnownArcs) {
    double ox[18], oy[18];
    // A circle inside the rectangle: one piece from the start round to the start.
    ASSERT_EQ(ClipArcInArea(0, 0, 1, 0, kTwoPi, -5, -5, 5, 5, ox, oy), 1);
    EXPECT_DOUBLE_EQ(ox[0], 1.0);
    EXPECT_NEAR(oy[0], 0.0, 1e-15);
    EXPECT_DOUBLE_EQ(ox[1], 1.0);
    EXPECT_NEAR(oy[1], 0.0, 1e-15);

    EXPECT_EQ(ClipArcInArea(0, 0, 1, 0, kTwoPi, 10, 10, 20, 20, ox, oy), -1);

    // The right half: split at the start point, which lies inside.
    ASSERT_EQ(ClipArcInArea(0, 0, 1, 0, kTwoPi, 0, -2, 2, 2, ox, oy), 2);
    EXPECT_NEAR(ox[0], 1.0, 1e-12);
    EXPECT_NEAR(oy[0], 0.0, 1e-12);
    EXPECT_NEAR(ox[1], 0.0, 1e-12);
    EXPECT_NEAR(oy[1], 1.0, 1e-12);
    EXPECT_NEAR(ox[2], 0.0, 1e-12);
    EXPECT_NEAR(oy[2], -1.0, 1e-12);
    EXPECT_NEAR(ox[3], 1.0, 1e-12);
    EXPECT_NEAR(oy[3], 0.0, 1e-12);
    // Corners may come in any order.
    EXPECT_EQ(ClipArcInArea(0, 0, 1, 0, kTwoPi, 2, 2, 0, -2, ox, oy), 2);

    // Touching from outside: crossings, but no piece inside.
    EXPECT_EQ(ClipArcInArea(0, 0, 1, 0, kTwoPi, 1, -1, 2, 1, ox, oy), 0);

    // Upper half arc against the left half plane: the quarter from (0, 1) to (-1, 0).
    ASSERT_EQ(ClipArcInArea(0, 0, 1, 0, kPi, -3, -3, 0, 3, ox, oy), 1);
    EXPECT_NEAR(ox[0], 0.0, 1e-12);
    EXPECT_NEAR(oy[0], 1.0, 1e-12);
    EXPECT_NEAR(ox[1], -1.0, 1e-12);
    EXPECT_NEAR(oy[1], 0.0, 1e-12);
}

TEST(ClipArcInArea, NegativeStartAngleKeepsCrossingsInOrder) {
    // Fourth quadrant arc (start -pi/2, end 0) against y >= -0.5: the piece from the crossing at
    // -pi/6 to the end. Crossing angles must be measured from the start, not from angle 0.
    double ox[18], oy[18];
    ASSERT_EQ(ClipArcInArea(0, 0, 1, -kPi / 2, 0, 0, -0.5, 2, 2, ox, oy), 1);
    EXPECT_NEAR(ox[0], std::cos(kPi / 6), 1e-12);
    EXPECT_NEAR(oy[0], -0.5, 1e-12);
    EXPECT_NEAR(ox[1], 1.0, 1e-12);
    EXPECT_NEAR(oy[1], 0.0, 1e-12);
}

TEST(ClipArcInArea, ArcStartingOnTheBoundary) {
    // The start point lies on the edge x = 0 and the arc runs into the rectangle.
    double ox[18], oy[18];
    const double start = std::nextafter(kPi / 2, 4.0); // a hair past the angle of (0, 1)
    ASSERT_EQ(ClipArcInArea(0, 0, 1, start, kPi, -2, -2, 0, 2, ox, oy), 1);
    EXPECT_NEAR(ox[0], 0.0, 1e-12);
    EXPECT_NEAR(oy[0], 1.0, 1e-12);
    EXPECT_NEAR(ox[1], -1.0, 1e-12);
    EXPECT_NEAR(oy[1], 0.0, 1e-12);
}

TEST(ClipArcInArea, DegenerateInput) {
    double ox[18] = {7}, oy[18] = {7};
    EXPECT_EQ(ClipArcInArea(0, 0, 0, 0, kTwoPi, -1, -1, 1, 1, ox, oy), -1);
    EXPECT_EQ(ClipArcInArea(0, 0, -1, 0, kTwoPi, -5, -5, 5, 5, ox, oy), -1);
    EXPECT_EQ(ClipArcInArea(0, 0, 1, kNaN, kTwoPi, -5, -5, 5, 5, ox, oy), -1);
    EXPECT_EQ(ClipArcInArea(0, 0, 1, 0, 1, -5, kNaN, 5, 5, ox, oy), -1);
    EXPECT_EQ(ox[0], 7);
    // A flat rectangle holds no piece.
    EXPECT_LE(ClipArcInArea(0, 0, 1, 0, kTwoPi, -5, 0, 5, 0, ox, oy), 0);
    // A huge start angle does not stall the walk.
    EXPECT_GE(ClipArcInArea(0, 0, 1, 1e18, 1e18 + 1, -0.5, -2, 2, 2, ox, oy), 0);
}

TEST(ClipArcInArea, RandomArcsArePiecesOfTheArcInsideTheRectangle) {
    std::mt19937 rng(31337);
    std::uniform_real_distribution<double> coord(-20.0, 20.0);
    std::uniform_real_distribution<double> radius(0.5, 25.0);
    std::uniform_real_distribution<double> angle(-kPi, kPi);
    std::uniform_real_distribution<double> sweepDist(0.05, kTwoPi);
    const double xa = -8, ya = -6, xb = 10, yb = 7;
    int pieces = 0;
    for (int i = 0; i < 5000; ++i) {
        const double cx = coord(rng), cy = coord(rng), r = radius(rng);
        const double start = angle(rng);
        const double sweep = i % 5 == 0 ? kTwoPi : sweepDist(rng);
        double ox[18], oy[18];
        const int n = ClipArcInArea(cx, cy, r, start, start + sweep, xa, ya, xb, yb, ox, oy);
        ASSERT_GE(n, -1);
        ASSERT_LE(n, 9);
        // Angular spans of the delivered pieces, measured from the arc's start.
        std::vector<std::pair<double, double>> spans;
        for (int k = 0; k < n; ++k) {
            for (int e = 0; e < 2; ++e) {
                const double x = ox[2 * k + e], y = oy[2 * k + e];
                EXPECT_NEAR(std::hypot(x - cx, y - cy), r, 1e-9 * (1 + r));
                EXPECT_GE(x, xa - 1e-9);
                EXPECT_LE(x, xb + 1e-9);
                EXPECT_GE(y, ya - 1e-9);
                EXPECT_LE(y, yb + 1e-9);
            }
            auto rel = [&](double x, double y) {
                double a = std::fmod(std::atan2(y - cy, x - cx) - start, kTwoPi);
                return a < -1e-9 ? a + kTwoPi : a;
            };
            double a0 = rel(ox[2 * k], oy[2 * k]);
            double a1 = rel(ox[2 * k + 1], oy[2 * k + 1]);
            if (a1 <= a0 + 1e-12) {
                a1 += kTwoPi; // a piece ending at the start of a full circle
            }
            EXPECT_LE(a1, sweep + 1e-6);
            spans.emplace_back(a0, a1);
        }
        // Every sampled arc point clearly inside the rectangle is covered by a piece, and no
        // sampled point clearly outside is.
        for (int s = 0; s <= 400; ++s) {
            const double t = sweep * s / 400.0;
            const double x = cx + r * std::cos(start + t), y = cy + r * std::sin(start + t);
            const double m = 1e-6 * (1 + r);
            const bool inside = x > xa + m && x < xb - m && y > ya + m && y < yb - m;
            const bool outside = x < xa - m || x > xb + m || y < ya - m || y > yb + m;
            bool covered = false;
            for (auto const& sp : spans) {
                covered = covered || (t >= sp.first - 1e-6 && t <= sp.second + 1e-6) ||
                          (t + kTwoPi >= sp.first - 1e-6 && t + kTwoPi <= sp.second + 1e-6);
            }
            if (inside) {
                ASSERT_TRUE(covered) << "case " << i << " sample " << s;
            }
            if (outside) {
                ASSERT_FALSE(covered) << "case " << i << " sample " << s;
            }
        }
        pieces += std::max(n, 0);
    }
    EXPECT_GT(pieces, 1000);
}

TEST(ChangeLineVertex, CrossingBecomesTheFirstVertex) {
    // P beyond P2 on line 1: P1P2 becomes P->P1. P strictly inside line 2: P3P4 becomes P->P3.
    double x1 = 0, y1 = 0, x2 = 1, y2 = 0, x3 = 2, y3 = -1, x4 = 2, y4 = 1, px = 2, py = 0;
    ChangeLineVertex(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &px, &py);
    EXPECT_EQ(x1, 2);
    EXPECT_EQ(y1, 0);
    EXPECT_EQ(x2, 0);
    EXPECT_EQ(y2, 0);
    EXPECT_EQ(x3, 2);
    EXPECT_EQ(y3, 0);
    EXPECT_EQ(x4, 2);
    EXPECT_EQ(y4, -1);

    // P before P1 (and before P3): only the first vertices move.
    x1 = 1, y1 = 0, x2 = 3, y2 = 0, x3 = 0, y3 = 1, x4 = 0, y4 = 3, px = 0, py = 0;
    ChangeLineVertex(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &px, &py);
    EXPECT_EQ(x1, 0);
    EXPECT_EQ(x2, 3);
    EXPECT_EQ(y3, 0);
    EXPECT_EQ(y4, 3);

    // P strictly inside line 1 leaves it alone.
    x1 = -1, y1 = 0, x2 = 1, y2 = 0, x3 = 0, y3 = 0, x4 = 0, y4 = 1, px = 0, py = 0;
    ChangeLineVertex(&x1, &y1, &x2, &y2, &x3, &y3, &x4, &y4, &px, &py);
    EXPECT_EQ(x1, -1);
    EXPECT_EQ(x2, 1);
    EXPECT_EQ(y3, 0);
    EXPECT_EQ(y4, 1);
}

} // namespace
