// CalcCubicSpline and GaussJordan.
//
// The spline is checked through what defines it rather than through its equations: on the Hermite
// pieces of the result, the second derivative is continuous at every inner point (and, for closed
// curves, at the closing point), and each end condition holds. For the piece of length d from x0 to
// x1 with end derivatives t0, t1:
//   x''(0) = (6 (x1 - x0)/d - 4 t0 - 2 t1) / d,   x''(d) = (-6 (x1 - x0)/d + 2 t0 + 4 t1) / d.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "algorithms/spline.h"

namespace {

constexpr double kPi = 3.141592653589793;

struct Fit {
    std::vector<double> x, y, dx, dy, len;
    int n = 0;
    bool ok = false;
};

Fit Solve(std::vector<double> x, std::vector<double> y, int flags = 0, double tol = 1e-7, double sx0 = 0,
          double sy0 = 0, double sx1 = 0, double sy1 = 0) {
    Fit f;
    f.n = static_cast<int>(x.size());
    f.dx.assign(x.size() + 1, -999.0);
    f.dy.assign(x.size() + 1, -999.0);
    f.len.assign(x.size() + 1, -999.0);
    f.ok = CalcCubicSpline(&f.n, x.data(), y.data(), tol, f.dx.data(), f.dy.data(), f.len.data(), flags, sx0,
                           sy0, sx1, sy1);
    x.resize(f.n);
    y.resize(f.n);
    f.x = x;
    f.y = y;
    return f;
}

double SecondAtStart(const std::vector<double>& p, const std::vector<double>& t,
                     const std::vector<double>& len, int k) {
    const double d = len[k];
    return (6 * (p[k + 1] - p[k]) / d - 4 * t[k] - 2 * t[k + 1]) / d;
}

double SecondAtEnd(const std::vector<double>& p, const std::vector<double>& t, const std::vector<double>& len,
                   int k) {
    const double d = len[k];
    return (-6 * (p[k + 1] - p[k]) / d + 2 * t[k] + 4 * t[k + 1]) / d;
}

// Second derivatives meet at every inner point; for a closed curve also at the closing point.
void ExpectCurvatureContinuous(const Fit& f, bool closed, double tol) {
    const int segs = f.n - 1;
    for (int k = 1; k < segs; ++k) {
        EXPECT_NEAR(SecondAtEnd(f.x, f.dx, f.len, k - 1), SecondAtStart(f.x, f.dx, f.len, k), tol) << k;
        EXPECT_NEAR(SecondAtEnd(f.y, f.dy, f.len, k - 1), SecondAtStart(f.y, f.dy, f.len, k), tol) << k;
    }
    if (closed) {
        EXPECT_DOUBLE_EQ(f.dx[0], f.dx[segs]);
        EXPECT_DOUBLE_EQ(f.dy[0], f.dy[segs]);
        EXPECT_NEAR(SecondAtEnd(f.x, f.dx, f.len, segs - 1), SecondAtStart(f.x, f.dx, f.len, 0), tol);
        EXPECT_NEAR(SecondAtEnd(f.y, f.dy, f.len, segs - 1), SecondAtStart(f.y, f.dy, f.len, 0), tol);
    }
}

// Random walks with steps of 0.5 to 20 units in random directions.
void RandomPoints(std::mt19937& rng, int n, std::vector<double>& x, std::vector<double>& y) {
    std::uniform_real_distribution<double> step(0.5, 20.0), angle(-kPi, kPi);
    x.assign(1, 0.0);
    y.assign(1, 0.0);
    for (int i = 1; i < n; ++i) {
        const double s = step(rng), a = angle(rng);
        x.push_back(x.back() + s * std::cos(a));
        y.push_back(y.back() + s * std::sin(a));
    }
}

TEST(CubicSpline, OpenCurvesHaveContinuousCurvatureAndTheirEndConditions) {
    std::mt19937 rng(1501);
    for (int round = 0; round < 200; ++round) {
        std::vector<double> x, y;
        RandomPoints(rng, 2 + round % 30, x, y);
        const int last = static_cast<int>(x.size()) - 1;

        const Fit natural = Solve(x, y);
        ASSERT_TRUE(natural.ok);
        ASSERT_EQ(natural.n, last + 1);
        ExpectCurvatureContinuous(natural, false, 1e-9);
        EXPECT_NEAR(SecondAtStart(natural.x, natural.dx, natural.len, 0), 0.0, 1e-9);
        EXPECT_NEAR(SecondAtEnd(natural.y, natural.dy, natural.len, last - 1), 0.0, 1e-9);
        for (int k = 0; k < last; ++k)
            EXPECT_DOUBLE_EQ(natural.len[k], std::hypot(x[k + 1] - x[k], y[k + 1] - y[k]));

        // Prescribed tangents at both ends.
        const Fit tangents = Solve(x, y, SPLINE_START_TANGENT | SPLINE_END_TANGENT, 0, 0.6, -0.8, -1, 0);
        ASSERT_TRUE(tangents.ok);
        ExpectCurvatureContinuous(tangents, false, 1e-9);
        EXPECT_EQ(tangents.dx[0], 0.6);
        EXPECT_EQ(tangents.dy[0], -0.8);
        EXPECT_EQ(tangents.dx[last], -1.0);
        EXPECT_EQ(tangents.dy[last], 0.0);

        // Parabolic ends: constant second derivative on the first and last segments. A single
        // segment cannot be a parabola at both ends: the system is singular.
        const Fit parabolic = Solve(x, y, SPLINE_START_PARABOLIC | SPLINE_END_PARABOLIC);
        if (last == 1) {
            EXPECT_FALSE(parabolic.ok);
            continue;
        }
        ASSERT_TRUE(parabolic.ok);
        ExpectCurvatureContinuous(parabolic, false, 1e-9);
        EXPECT_NEAR(SecondAtStart(parabolic.x, parabolic.dx, parabolic.len, 0),
                    SecondAtEnd(parabolic.x, parabolic.dx, parabolic.len, 0), 1e-9);
        EXPECT_NEAR(SecondAtStart(parabolic.y, parabolic.dy, parabolic.len, last - 1),
                    SecondAtEnd(parabolic.y, parabolic.dy, parabolic.len, last - 1), 1e-9);

        // The tangent bit is tested before the parabolic one; mixed ends.
        const Fit mixed =
            Solve(x, y, SPLINE_START_TANGENT | SPLINE_START_PARABOLIC | SPLINE_END_PARABOLIC, 0, 0.0, 1.0);
        ASSERT_TRUE(mixed.ok);
        EXPECT_EQ(mixed.dx[0], 0.0);
        EXPECT_EQ(mixed.dy[0], 1.0);
        EXPECT_NEAR(SecondAtStart(mixed.x, mixed.dx, mixed.len, last - 1),
                    SecondAtEnd(mixed.x, mixed.dx, mixed.len, last - 1), 1e-9);
    }
}

TEST(CubicSpline, ClosedCurvesArePeriodic) {
    std::mt19937 rng(1502);
    for (int round = 0; round < 200; ++round) {
        std::vector<double> x, y;
        RandomPoints(rng, 3 + round % 40, x, y);
        // Closed by position (exactly, or within the tolerance), or by the flag.
        if (round % 3 == 0) {
            x.push_back(x[0]);
            y.push_back(y[0]);
        } else if (round % 3 == 1) {
            x.push_back(x[0] + 3e-8);
            y.push_back(y[0] - 3e-8);
        }
        const int flags = round % 3 == 2 ? SPLINE_CLOSED | SPLINE_START_TANGENT : SPLINE_END_PARABOLIC;
        const Fit f = Solve(x, y, flags, 1e-7, 5, 5);
        ASSERT_TRUE(f.ok) << round;
        ExpectCurvatureContinuous(f, true, 1e-9);
    }
    // Two segments back and forth: the smallest closed curve.
    const Fit two = Solve({0, 10, 0}, {0, 0, 0});
    ASSERT_TRUE(two.ok);
    ExpectCurvatureContinuous(two, true, 1e-12);
    // A closed curve needs three points.
    EXPECT_FALSE(Solve({0, 10}, {0, 0}, SPLINE_CLOSED).ok);
}

TEST(CubicSpline, ReproducesLinesAndApproximatesCircles) {
    // Points on a line, unevenly spaced: the spline is the line itself at unit speed.
    const Fit line = Solve({0, 3, 4, 10, 10.5}, {0, 4, 16.0 / 3, 40.0 / 3, 14});
    ASSERT_TRUE(line.ok);
    for (int k = 0; k < line.n; ++k) {
        EXPECT_NEAR(line.dx[k], 0.6, 1e-12);
        EXPECT_NEAR(line.dy[k], 0.8, 1e-12);
    }
    // 24 points of a circle, closed: the derivatives point along the circle's tangents, and their
    // length is that of arc per chord, phi / (2 sin(phi / 2)) for the angle phi between points.
    std::vector<double> x, y;
    for (int i = 0; i <= 24; ++i) {
        x.push_back(100 * std::cos(2 * kPi * i / 24));
        y.push_back(100 * std::sin(2 * kPi * i / 24));
    }
    const Fit circle = Solve(x, y);
    ASSERT_TRUE(circle.ok);
    const double phi = 2 * kPi / 24, speed = phi / (2 * std::sin(phi / 2));
    for (int k = 0; k < circle.n; ++k) {
        const double a = k * phi, len = std::hypot(circle.dx[k], circle.dy[k]);
        EXPECT_NEAR(circle.dx[k] / len, -std::sin(a), 1e-12) << k;
        EXPECT_NEAR(circle.dy[k] / len, std::cos(a), 1e-12) << k;
        EXPECT_NEAR(len, speed, 1e-4) << k;
    }
}

TEST(CubicSpline, NearPointsAreMergedInPlaceWithAtLeastTheSmallestTolerance) {
    // Duplicates and points within the tolerance of their predecessor go; the survivors move down.
    std::vector<double> x = {0, 0, 5, 5.05, 5.08, 10, 10, 20};
    std::vector<double> y = {0, 0, 5, 5.00, 5.00, 0, 0, 3};
    int n = 8;
    std::vector<double> dx(8), dy(8), len(8);
    ASSERT_TRUE(
        CalcCubicSpline(&n, x.data(), y.data(), 0.1, dx.data(), dy.data(), len.data(), 0, 0, 0, 0, 0));
    ASSERT_EQ(n, 4);
    EXPECT_EQ(std::vector<double>(x.begin(), x.begin() + 4), (std::vector<double>{0, 5, 10, 20}));
    EXPECT_EQ(std::vector<double>(y.begin(), y.begin() + 4), (std::vector<double>{0, 5, 0, 3}));
    const Fit clean = Solve({0, 5, 10, 20}, {0, 5, 0, 3}, 0, 0.1);
    for (int k = 0; k < 4; ++k) {
        EXPECT_DOUBLE_EQ(dx[k], clean.dx[k]);
        EXPECT_DOUBLE_EQ(dy[k], clean.dy[k]);
    }

    // A tolerance of zero, below 1e-7, negative or NaN is 1e-7: exact duplicates never reach a
    // division, and points 1e-8 apart are one point.
    for (double tol : {0.0, 1e-12, -1.0, std::nan("")}) {
        const Fit f = Solve({0, 0, 1, 1 + 1e-8, 2}, {0, 0, 1, 1, 0}, 0, tol);
        ASSERT_TRUE(f.ok) << tol;
        EXPECT_EQ(f.n, 3);
        for (int k = 0; k < f.n; ++k)
            EXPECT_TRUE(std::isfinite(f.dx[k]) && std::isfinite(f.dy[k]));
    }
}

TEST(CubicSpline, RefusesWhatItCannotFit) {
    std::vector<double> x = {1, 2, 3}, y = {1, 2, 4}, d(3);
    int n = 3;
    EXPECT_FALSE(
        CalcCubicSpline(nullptr, x.data(), y.data(), 0, d.data(), d.data(), d.data(), 0, 0, 0, 0, 0));
    EXPECT_FALSE(CalcCubicSpline(&n, x.data(), nullptr, 0, d.data(), d.data(), d.data(), 0, 0, 0, 0, 0));
    EXPECT_FALSE(CalcCubicSpline(&n, x.data(), y.data(), 0, d.data(), d.data(), nullptr, 0, 0, 0, 0, 0));
    n = 1;
    EXPECT_FALSE(CalcCubicSpline(&n, x.data(), y.data(), 0, d.data(), d.data(), d.data(), 0, 0, 0, 0, 0));
    n = -5;
    EXPECT_FALSE(CalcCubicSpline(&n, x.data(), y.data(), 0, d.data(), d.data(), d.data(), 0, 0, 0, 0, 0));
    // All points within the tolerance of the first: one point is left.
    const Fit same = Solve({4, 4, 4 + 1e-9}, {7, 7, 7});
    EXPECT_FALSE(same.ok);
    EXPECT_EQ(same.n, 1);
    // Points that are not finite.
    EXPECT_FALSE(Solve({0, 1, std::nan("")}, {0, 1, 2}).ok);
    EXPECT_FALSE(Solve({0, 1, 2}, {0, INFINITY, 2}).ok);
    EXPECT_FALSE(Solve({0, 1e308, -1e308}, {0, 0, 1}).ok); // lengths overflow
}

TEST(CubicSpline, TenThousandClosedKnots) {
    std::mt19937 rng(1503);
    std::vector<double> x, y;
    RandomPoints(rng, 10000, x, y);
    x.push_back(x[0]);
    y.push_back(y[0]);
    const Fit f = Solve(x, y);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.n, 10001);
    ExpectCurvatureContinuous(f, true, 1e-8);
}

TEST(GaussJordan, SolvesRandomSystemsWithPivoting) {
    std::mt19937 rng(1504);
    std::uniform_real_distribution<double> u(-10, 10);
    for (int round = 0; round < 300; ++round) {
        const int n = 1 + round % 12;
        std::vector<double> a(n * n), bx(n), by(n);
        for (double& v : a)
            v = u(rng);
        if (n > 1)
            a[0] = 0.0; // the first pivot must come from another row
        for (int i = 0; i < n; ++i) {
            bx[i] = u(rng);
            by[i] = u(rng);
        }
        std::vector<double> m = a, sx = bx, sy = by;
        if (!GaussJordan(n, m.data(), sx.data(), sy.data()))
            continue; // a nearly singular draw
        for (int i = 0; i < n; ++i) {
            double rx = 0, ry = 0;
            for (int j = 0; j < n; ++j) {
                rx += a[i * n + j] * sx[j];
                ry += a[i * n + j] * sy[j];
            }
            EXPECT_NEAR(rx, bx[i], 1e-8) << round;
            EXPECT_NEAR(ry, by[i], 1e-8) << round;
        }
    }
}

TEST(GaussJordan, RefusesSingularSystemsAndBadArguments) {
    double a[4] = {1, 2, 2, 4}, bx[2] = {1, 2}, by[2] = {0, 0};
    EXPECT_FALSE(GaussJordan(2, a, bx, by));
    double swap[4] = {0, 1, 1, 0}, sx[2] = {3, 4}, sy[2] = {5, 6};
    ASSERT_TRUE(GaussJordan(2, swap, sx, sy));
    EXPECT_EQ(sx[0], 4.0);
    EXPECT_EQ(sx[1], 3.0);
    EXPECT_EQ(sy[0], 6.0);
    EXPECT_FALSE(GaussJordan(0, swap, sx, sy));
    EXPECT_FALSE(GaussJordan(2, nullptr, sx, sy));
    EXPECT_FALSE(GaussJordan(2, swap, sx, nullptr));
}

} // namespace
