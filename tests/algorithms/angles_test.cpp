#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "algorithms/angles.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double k2Pi = 6.283185307179586;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

} // namespace

TEST(Round, HalvesGoUpAndDigitsAreClamped) {
    EXPECT_DOUBLE_EQ(round(2.25, 1), 2.3);
    EXPECT_DOUBLE_EQ(round(-2.25, 1), -2.2);
    EXPECT_DOUBLE_EQ(round(0.123456789, 9), 0.1234568); // clamped to 7 decimals
    EXPECT_DOUBLE_EQ(round(1234567, -6), 1200000);      // clamped to -5
    EXPECT_DOUBLE_EQ(round(1250, -2), 1300);
    // Scaling must not overflow to infinity: such values are already far coarser than the digits.
    EXPECT_EQ(round(1.7976931348623157e308, 2), 1.7976931348623157e308);
    EXPECT_EQ(round(-1e306, 7), -1e306);
    // The one-argument C library round still means what it always meant.
    EXPECT_EQ(std::round(-2.5), -3.0);
    EXPECT_EQ(::round(2.5), 3.0);
}

TEST(RoundStr, TrimsDecimalsAsAsked) {
    EXPECT_STREQ(RoundStr(1.2, 3), "1.2");
    EXPECT_STREQ(RoundStr(2.0, 2), "2");
    EXPECT_STREQ(RoundStr(100, 0), "100");
    EXPECT_STREQ(RoundStr(3.14159, -1), "0");
    EXPECT_STREQ(RoundStr(0.5, 7), "0.500000");
    EXPECT_STREQ(RoundStr(12.3456789, 6), "12.345679");
    EXPECT_STREQ(RoundStr(-0.25, 1), "-0.2");
    EXPECT_STREQ(RoundStr(1.05, 2), "1.05");
    EXPECT_STREQ(RoundStr(10.0, 1), "10"); // the walk stops at the decimal point, not in "10"
}

TEST(RoundStr, LargeValuesStayInTheBuffer) {
    // "%lf" of 1e40 has 48 characters: more than the 40-byte buffer holds.
    for (double v : {1e31, 1e32, -1e35, 1e40, 1.7976931348623157e308, -1.7976931348623157e308}) {
        const char* s = RoundStr(v, 2);
        ASSERT_LT(std::strlen(s), 40u);
        EXPECT_DOUBLE_EQ(std::strtod(s, nullptr), v) << s;
    }
    EXPECT_STREQ(RoundStr(12345678901234567890.0, 0), "12345678901234567168");
}

TEST(Dms, PackingAndUnpacking) {
    EXPECT_NEAR(Dms2Deg(30.1530), 30.258333333333, 1e-9);
    EXPECT_EQ(Dms2Deg(-30.0), -30.0);
    EXPECT_NEAR(Dms2Deg(-30.1530), -30.258333333333, 1e-9);
    EXPECT_NEAR(Dms2Deg(0.75), 1.25, 1e-12); // minutes are not limited to 59
    EXPECT_NEAR(Deg2Dms(30.258333333), 30.153, 1e-6);
    EXPECT_NEAR(Deg2Dms(-12.5), -12.30, 1e-9);
    // 10 deg 59 min 59.8 s: the seconds roll into the minutes and the minutes into the degrees.
    EXPECT_NEAR(Deg2Dms(10 + 59 / 60.0 + 59.8 / 3600), 11.0, 1e-9);
    // 59.4 seconds are kept with their fraction.
    EXPECT_NEAR(Deg2Dms(10 + 20 / 60.0 + 59.4 / 3600), 10.205940, 1e-6);
    for (double dms : {0.0, 1.0101, 45.3015, 123.4559, 359.5959})
        EXPECT_NEAR(Deg2Dms(Dms2Deg(dms)), dms, 1e-6) << dms;
}

TEST(DegreeHelpers, Conversions) {
    EXPECT_NEAR(DegSin(30), 0.5, 1e-15);
    EXPECT_NEAR(DegCos(60), 0.5, 1e-15);
    EXPECT_DOUBLE_EQ(Deg2Rad(180), kPi);
    EXPECT_DOUBLE_EQ(Rad2Deg(kPi / 2), 90);
    EXPECT_DOUBLE_EQ(Rad2Deg(Deg2Rad(37.5)), 37.5);
}

TEST(AngleNormalisers, EndsOfTheirRanges) {
    EXPECT_EQ(SetAngle0_2PI(k2Pi - 1e-6), 0);
    EXPECT_GT(SetAngle0_2PI(k2Pi - 2e-5), 6.28);
    EXPECT_DOUBLE_EQ(SetAngle0_2PI(-0.5), k2Pi - 0.5);
    EXPECT_EQ(SetAngle0_2PI(k2Pi), 0);
    EXPECT_EQ(SetAngle0_2PI(0), 0);
    EXPECT_NEAR(SetAngle0_2PI(5 * k2Pi + 1), 1, 1e-12);

    EXPECT_EQ(SetAngle0_360(360), 0);
    EXPECT_EQ(SetAngle0_360(-720), 0);
    EXPECT_EQ(SetAngle0_360(359.999995), 0);
    EXPECT_DOUBLE_EQ(SetAngle0_360(-90), 270);
    EXPECT_DOUBLE_EQ(SetAngle0_360(725), 5);

    EXPECT_EQ(SetAnglePI(kPi), -kPi);
    EXPECT_EQ(SetAnglePI(-kPi), -kPi);
    EXPECT_DOUBLE_EQ(SetAnglePI(1.5 * kPi), -0.5 * kPi);

    EXPECT_EQ(SetAnglePI2(kPi / 2), -kPi / 2);
    EXPECT_DOUBLE_EQ(SetAnglePI2(0.75 * kPi), -0.25 * kPi);
    EXPECT_DOUBLE_EQ(SetAnglePI2(-0.75 * kPi), 0.25 * kPi);

    EXPECT_EQ(SetAngle0_PI(kPi), 0);
    EXPECT_DOUBLE_EQ(SetAngle0_PI(-0.25 * kPi), 0.75 * kPi);
}

TEST(AngleNormalisers, AlwaysReturnForAnyInput) {
    double (*const normalisers[])(double) = {SetAngle0_360, SetAngle0_2PI, SetAnglePI, SetAnglePI2,
                                             SetAngle0_PI};
    for (auto f : normalisers) {
        EXPECT_TRUE(std::isnan(f(kNaN)));
        EXPECT_TRUE(std::isnan(f(kInf)));
        EXPECT_TRUE(std::isnan(f(-kInf)));
        for (double huge : {1e300, -1e300, 1e17, -9.007199254740993e15}) {
            const double r = f(huge);
            EXPECT_TRUE(std::isfinite(r)) << huge;
        }
    }
    // Huge values land in the range.
    const double a = SetAngle0_2PI(1e300);
    EXPECT_GE(a, 0);
    EXPECT_LT(a, k2Pi);
    const double d = SetAngle0_360(-1e300);
    EXPECT_GE(d, 0);
    EXPECT_LT(d, 360);
    const double p = SetAnglePI(1e20);
    EXPECT_GE(p, -kPi);
    EXPECT_LT(p, kPi);
    // A value many periods out agrees with the short way round.
    EXPECT_NEAR(SetAngle0_2PI(1000 * k2Pi + 1), 1, 1e-9);
    EXPECT_NEAR(SetAngle0_360(3600 * 100 + 10), 10, 1e-9);
    EXPECT_TRUE(std::isnan(AngleBetween(kNaN, 1)));
    EXPECT_TRUE(std::isnan(AngleBisector(1, kInf)));
}

TEST(Sweeps, BetweenAndBisector) {
    EXPECT_EQ(AngleBetween(1.3, 1.3), 0);
    EXPECT_EQ(AngleBetween(1.3, 1.3 + 5e-8), 0);
    EXPECT_NEAR(AngleBetween(3 * kPi / 2, kPi / 2), kPi, 1e-12);
    EXPECT_NEAR(AngleBetween(kPi / 2, 3 * kPi / 2), kPi, 1e-12);
    EXPECT_NEAR(AngleBetween(0.5, 0.25), k2Pi - 0.25, 1e-12);
    EXPECT_NEAR(AngleBisector(3 * kPi / 2, kPi / 2), 0, 1e-12);
    EXPECT_NEAR(AngleBisector(kPi / 2, 3 * kPi / 2), kPi, 1e-12);
    EXPECT_NEAR(AngleBisector(-0.5, 0.5), 0, 1e-12);
    EXPECT_NEAR(AngleBisector(1, 1), 1, 1e-12);
}

TEST(Sweeps, IsMidAngle) {
    for (double a : {0.0, 1.0, 3.0, 6.2, -1.0}) {
        EXPECT_TRUE(IsMidAngle(0, k2Pi, a));
        EXPECT_TRUE(IsMidAngle(1, 1, a));
    }
    EXPECT_TRUE(IsMidAngle(5, 1, 0.5));
    EXPECT_TRUE(IsMidAngle(5, 1, 5.5));
    EXPECT_FALSE(IsMidAngle(5, 1, 3));
    EXPECT_TRUE(IsMidAngle(1, 2, 2.000009));
    EXPECT_FALSE(IsMidAngle(1, 2, 2.00002));
    EXPECT_TRUE(IsMidAngle(1, 2, 0.999991));
    EXPECT_FALSE(IsMidAngle(1, 2, 0.99998));
    EXPECT_FALSE(IsMidAngle(0, 1, -1e-6)); // the slack does not wrap across the seam
    EXPECT_FALSE(IsMidAngle(1, 2, kNaN));
}

TEST(Directions, LineAngleAndVectorAngle) {
    EXPECT_EQ(GetLineAngle(0, 0, 0, -3), -kPi / 2);
    EXPECT_EQ(GetLineAngle(0, 0, 0, 3), kPi / 2);
    EXPECT_EQ(GetLineAngle(2, 2, 2, 2), -kPi / 2);
    EXPECT_EQ(GetLineAngle(0, 0, -1, 0), kPi);
    // |dx| of exactly 1e-5 already goes through atan2.
    EXPECT_NE(GetLineAngle(0, 0, 1e-5, -1), -kPi / 2);
    EXPECT_EQ(GetLineAngle(0, 0, 0.9e-5, -1), -kPi / 2);

    EXPECT_NEAR(CalcAngleBetween(1, 0, 0, 1), kPi / 2, 1e-15);
    EXPECT_NEAR(CalcAngleBetween(0, 1, 1, 0), -kPi / 2, 1e-15);
    EXPECT_NEAR(CalcAngleBetween(1, 0, -1, 1e-12), kPi, 1e-9);
    EXPECT_EQ(CalcAngleBetween(1, 0, 1e-8, 2), kPi / 2); // |dot| below 1e-7
    EXPECT_EQ(CalcAngleBetween(0, 0, 0, 0), -kPi / 2);

    double x = 0, y = 0;
    CalcDistPoint(1, 2, kPi / 2, 3, &x, &y);
    EXPECT_NEAR(x, 1, 1e-15);
    EXPECT_NEAR(y, 5, 1e-15);
}

TEST(Predicates, ToleranceSenses) {
    // c = 0.5 for P1 (0,0), P2 (1,0), P3 (0,0.5): tol equal to c separates strict from non-strict.
    EXPECT_FALSE(IsColinear(0, 0, 1, 0, 0, 0.5, 0.5));
    EXPECT_TRUE(IsColinear(0, 0, 1, 0, 0, 0.5, 0.5000001));
    EXPECT_FALSE(IsLeft(0, 0, 1, 0, 0, 0.5, 0.5));
    EXPECT_TRUE(IsLeftOn(0, 0, 1, 0, 0, 0.5, 0.5));
    EXPECT_TRUE(IsLeft(0, 0, 1, 0, 0, 0.5, 0.4));
    EXPECT_FALSE(IsLeftOn(0, 0, 1, 0, 0, -0.5, 0));
    EXPECT_FALSE(IsLeft(0, 0, 1, 0, 0, 0, 0));
    EXPECT_TRUE(IsLeftOn(0, 0, 1, 0, 0, 0, 0));

    // IsPerpendicular: |dot| <= len1 len2 tol, inclusive. (1,0)·(3,4) = 3 = 5 · 0.6.
    EXPECT_TRUE(IsPerpendicular(1, 0, 3, 4, 0.6));
    EXPECT_FALSE(IsPerpendicular(1, 0, 3, 4, 0.59));
    EXPECT_TRUE(IsPerpendicular(0, 0, 3, 4, 0));

    // IsParallel compares a squared chord of unit vectors, strictly.
    EXPECT_FALSE(IsParallel(1, 0, 0, 5, 2));
    EXPECT_TRUE(IsParallel(1, 0, 0, 5, 2.0000001));
    EXPECT_TRUE(IsParallel(2, 0, -7, 0, 1e-12));
    EXPECT_FALSE(IsParallel(2, 0, -7, 0, 0));
    EXPECT_TRUE(IsParallel(1, 1, 3, 3, 1e-12));
    EXPECT_TRUE(IsParallel(0, 0, 1, 2, 0));
    EXPECT_FALSE(IsParallel(1, 0, 1, 0.01, 1e-6));
}

TEST(Predicates, IsBetween) {
    EXPECT_TRUE(IsBetween(0, 0, 4, 0, 2, 0, 1e-7));
    EXPECT_FALSE(IsBetween(0, 0, 4, 0, 5, 0, 1e-7));
    EXPECT_TRUE(IsBetween(0, 0, 4, 0, 4, 0, 1e-7));
    EXPECT_FALSE(IsBetween(0, 0, 4, 0, 4, 0, 0)); // IsColinear needs |c| < tol
    EXPECT_FALSE(IsBetween(0, 0, 4, 0, 2, 1, 1e-7));
    // A (nearly) vertical segment is checked by y.
    EXPECT_TRUE(IsBetween(0, 0, 0, 4, 0, 3, 1e-7));
    EXPECT_FALSE(IsBetween(0, 4, 0, 0, 0, -1, 1e-7));
}

TEST(Predicates, LineInArea) {
    EXPECT_EQ(LineInArea(-2, 0, -1, 5, 0, 0, 10, 10), 0);
    EXPECT_EQ(LineInArea(11, 0, 12, 5, 0, 0, 10, 10), 0);
    EXPECT_EQ(LineInArea(1, -1, 5, -2, 0, 0, 10, 10), 0);
    EXPECT_EQ(LineInArea(1, 11, 5, 12, 0, 0, 10, 10), 0);
    EXPECT_EQ(LineInArea(0, 0, -1, -1, 0, 0, 10, 10), 1); // on the corner counts as inside
    EXPECT_EQ(LineInArea(-5, 5, 15, 5, 0, 0, 10, 10), 1);
    EXPECT_EQ(LineInArea(-1, 5, 5, 12, 0, 0, 10, 10), 1); // a quick test: misses the box yet passes
}

TEST(Rulers, BothAxesConventions) {
    double x = 0, y = 0;
    EXPECT_EQ(usu_ruler_xy(0, 0, 0, 1, 1, 1, &x, &y), 0);
    EXPECT_NEAR(x, 1, 1e-12);
    EXPECT_NEAR(y, 1, 1e-12);
    EXPECT_EQ(usu_ruler_xy2(0, 0, 0, 1, 1, 1, &x, &y, 1e-7), 0);
    EXPECT_NEAR(x, -1, 1e-12);
    EXPECT_NEAR(y, 1, 1e-12);
    EXPECT_EQ(usu_ruler_xy2(3, 4, 3, 4, 1, 2, &x, &y, 1e-7), -1);
    EXPECT_EQ(x, 4);
    EXPECT_EQ(y, 6);
    EXPECT_EQ(usu_ruler_xy2(3, 4, 3, 4, 1, 2, &x, &y, 0), -1); // even with a zero tolerance
    EXPECT_EQ(x, 4);
    // A degenerate ruler points along -x for the azimuth form.
    usu_ruler_xy(3, 4, 3, 4, 2, 0, &x, &y);
    EXPECT_NEAR(x, 1, 1e-12);
    EXPECT_NEAR(y, 4, 1e-12);
    // The two agree up to the sense of the second axis on any ruler.
    const double rulers[][4] = {{1, 2, 4, 6}, {0, 0, -3, 1}, {5, 5, 5, -2}, {-1, -1, -4, -5}};
    for (const auto& r : rulers) {
        double ax, ay, bx, by;
        usu_ruler_xy(r[0], r[1], r[2], r[3], 2.5, -1.5, &ax, &ay);
        usu_ruler_xy2(r[0], r[1], r[2], r[3], 2.5, 1.5, &bx, &by, 1e-7);
        EXPECT_NEAR(ax, bx, 1e-9);
        EXPECT_NEAR(ay, by, 1e-9);
        usu_ruler_xy(r[0], r[1], r[2], r[3], -1, 0, &ax, &ay);
        usu_ruler_xy2(r[0], r[1], r[2], r[3], -1, 0, &bx, &by, 1e-7);
        EXPECT_NEAR(ax, bx, 1e-9);
        EXPECT_NEAR(ay, by, 1e-9);
    }
}

TEST(Classify, EverySvwCode) {
    EXPECT_EQ(svw_check_left_right(1, 1, 1, 1 + 5e-8, 1, 1), 0x80);
    EXPECT_EQ(svw_check_left_right(0, 0, 1, 0, 1e-8, -1e-8), 0x41);
    EXPECT_EQ(svw_check_left_right(0, 0, 1, 0, 1 + 5e-8, 0), 0x42);
    EXPECT_EQ(svw_check_left_right(0, 0, 1, 0, 0.5, 0), 0x40);
    EXPECT_EQ(svw_check_left_right(0, 0, 1, 0, 3e-7, 0), 0x40);
    // "On the line" compares the lengths u = v + w, not the distance to the line: 1e-4 off the
    // middle changes the sum by 2e-8 and still counts, 1e-3 off changes it by 2e-6 and does not.
    EXPECT_EQ(svw_check_left_right(0, 0, 1, 0, 0.5, 1e-4), 0x40);
    EXPECT_EQ(svw_check_left_right(0, 0, 1, 0, 0.5, 1e-3), 0x20);
    EXPECT_EQ(svw_check_left_right(0, 0, 1, 0, -2, 0), 0x44);
    EXPECT_EQ(svw_check_left_right(0, 0, 1, 0, 3, 0), 0x48);
    EXPECT_EQ(svw_check_left_right(0, 0, 1, 0, 0.5, 1), 0x20);
    EXPECT_EQ(svw_check_left_right(0, 0, 1, 0, 0.5, -1), 0x10);
    EXPECT_EQ(svw_check_left_right(0, 0, 0, 1, -1, 0.5), 0x20);
    EXPECT_EQ(svw_check_left_right(0, 0, 0, 1, 1, 0.5), 0x10);
    EXPECT_EQ(svw_check_left_right(0, 0, 1, 1, 5, -2), 0x10);
}

TEST(Distances, PointToLineAndSegment) {
    double fx = 9, fy = 9;
    EXPECT_DOUBLE_EQ(Dist_Pt2Line(0, 0, 4, 4, 0, 4, &fx, &fy), std::sqrt(8.0));
    EXPECT_NEAR(fx, 2, 1e-12);
    EXPECT_NEAR(fy, 2, 1e-12);
    EXPECT_EQ(Dist_Pt2Line(1, 0, 1, 5, 4, 9, &fx, &fy), 3); // vertical line
    EXPECT_EQ(fx, 1);
    EXPECT_EQ(fy, 9);
    EXPECT_EQ(Dist_Pt2Line(0, 2, 5, 2, 7, -1, &fx, nullptr), 3); // horizontal; null pointer allowed
    EXPECT_EQ(fx, 7);
    EXPECT_EQ(Dist_Pt2Line(1, 1, 1, 1, 4, 5, nullptr, &fy), 5); // degenerate line: distance to P1
    EXPECT_EQ(fy, 1);

    EXPECT_DOUBLE_EQ(GetDist(0, 0, 4, 0, 2, 3), 3);
    EXPECT_DOUBLE_EQ(GetDist(0, 0, 4, 0, 7, 4), 5);  // beyond the end: to P2
    EXPECT_DOUBLE_EQ(GetDist(0, 0, 4, 0, -3, 4), 5); // before the start: to P1
    EXPECT_DOUBLE_EQ(GetDist(0, 0, 4, 0, 4, 4), 4);

    double nx = 0, ny = 0;
    EXPECT_DOUBLE_EQ(CalcLineNearPoint(0, 0, 4, 0, 7, 4, &nx, &ny), 5);
    EXPECT_EQ(nx, 4);
    EXPECT_EQ(ny, 0);
    EXPECT_DOUBLE_EQ(CalcLineNearPoint(0, 0, 4, 0, -3, -4, &nx, nullptr), 5);
    EXPECT_EQ(nx, 0);
    EXPECT_DOUBLE_EQ(CalcLineNearPoint(0, 0, 4, 0, 1, -2, &nx, &ny), 2);
    EXPECT_EQ(nx, 1);

    double mx = 0, my = 0;
    EXPECT_DOUBLE_EQ(CalcLineMidPoint(0, 0, 6, 8, 3, 0, &mx, &my), 4);
    EXPECT_EQ(mx, 3);
    EXPECT_EQ(my, 4);
}

TEST(Distances, CircleAndRectangle) {
    double nx = 0, ny = 0;
    EXPECT_DOUBLE_EQ(CalcCircleNearPoint(1, 1, 2, 4, 5, &nx, &ny), 3);
    EXPECT_NEAR(nx, 1 + 1.2, 1e-12);
    EXPECT_NEAR(ny, 1 + 1.6, 1e-12);
    EXPECT_DOUBLE_EQ(CalcCircleNearPoint(0, 0, 5, 3, 0, &nx, &ny), 2); // inside the circle
    EXPECT_NEAR(nx, 5, 1e-12);
    // At the centre every point is as near; the answer is finite and on the circle.
    EXPECT_EQ(CalcCircleNearPoint(2, 3, 4, 2, 3, &nx, &ny), 4);
    EXPECT_TRUE(std::isfinite(nx) && std::isfinite(ny));
    EXPECT_NEAR(std::hypot(nx - 2, ny - 3), 4, 1e-12);

    const double xs[] = {0, 4, 4, 0}, ys[] = {0, 0, 2, 2};
    EXPECT_DOUBLE_EQ(CalcRectNearPoint(xs, ys, 3, 1.5, &nx, &ny), 0.5);
    EXPECT_EQ(nx, 3);
    EXPECT_EQ(ny, 2);
    // (1, 1) is 1 from edge 0->1 (y = 0) and from edge 3->0 (x = 0), and from 1->2 it is 3:
    // the earlier edge wins the tie.
    EXPECT_DOUBLE_EQ(CalcRectNearPoint(xs, ys, 1, 1, &nx, &ny), 1);
    EXPECT_EQ(nx, 1);
    EXPECT_EQ(ny, 0);
    EXPECT_DOUBLE_EQ(CalcRectNearPoint(xs, ys, 6, 5, nullptr, nullptr), std::sqrt(13.0)); // corner (4, 2)
}

TEST(PointInPolygon, EveryOutcome) {
    const double xs[] = {0, 1, 1, 0}, ys[] = {0, 0, 1, 1};
    int index = -1;
    EXPECT_EQ(PtInArea(0.5, 0.5, 4, xs, ys, &index), 0);
    EXPECT_EQ(PtInArea(2, 0.5, 4, xs, ys, &index), 1);
    EXPECT_EQ(PtInArea(0.5, 0, 4, xs, ys, &index), 2);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(PtInArea(0, 0.25, 4, xs, ys, &index), 2);
    EXPECT_EQ(index, 3); // the closing edge
    EXPECT_EQ(PtInArea(1, 1, 4, xs, ys, &index), 4);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(PtInArea(1 + 5e-8, 1, 4, xs, ys, nullptr), 4);
    EXPECT_EQ(PtInArea(0.5, 0.5, 0, xs, ys, &index), 1);
    EXPECT_EQ(PtInArea(0.5, 0.5, 4, nullptr, ys, &index), 1);
}

TEST(PointInPolygon, RayThroughVerticesAndConcaveShapes) {
    // A diamond: the downward ray from (0, 0.5) meets the vertex (0, -1) shared by two edges.
    const double dx[] = {0, 1, 0, -1}, dy[] = {-1, 0, 1, 0};
    EXPECT_EQ(PtInArea(0, 0.5, 4, dx, dy, nullptr), 0);
    EXPECT_EQ(PtInArea(0, 2, 4, dx, dy, nullptr), 1);
    EXPECT_EQ(PtInArea(0, -2, 4, dx, dy, nullptr), 1);
    EXPECT_EQ(PtInArea(0.9, 0.9, 4, dx, dy, nullptr), 1);

    // A U shape: the notch between the arms is outside, the arms and the base inside.
    const double ux[] = {0, 3, 3, 2, 2, 1, 1, 0}, uy[] = {0, 0, 3, 3, 1, 1, 3, 3};
    EXPECT_EQ(PtInArea(1.5, 2, 8, ux, uy, nullptr), 1);
    EXPECT_EQ(PtInArea(0.5, 2, 8, ux, uy, nullptr), 0);
    EXPECT_EQ(PtInArea(2.5, 2.5, 8, ux, uy, nullptr), 0);
    EXPECT_EQ(PtInArea(1.5, 0.5, 8, ux, uy, nullptr), 0);
    EXPECT_EQ(PtInArea(1, 2, 8, ux, uy, nullptr), 2);
    EXPECT_EQ(PtInArea(1.5, 3.5, 8, ux, uy, nullptr),
              1); // above the notch: the ray crosses the base and the notch floor
}

TEST(LineCrossings, Cross2LineAndCrossLine) {
    double out[2] = {7, 7};
    EXPECT_EQ(Cross2Line(0, 0, 1, 0, 0, 1, 1, 1, out), -1);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 7);
    EXPECT_EQ(Cross2Line(0, 0, 1, 1, 5, 0, 4, 1, out), 0); // segments far apart, lines cross
    EXPECT_NEAR(out[0], 2.5, 1e-12);
    EXPECT_NEAR(out[1], 2.5, 1e-12);
    EXPECT_EQ(Cross2Line(0, 0, 1, 1, 5, 0, 4, 1, nullptr), 0);
    EXPECT_EQ(Cross2Line(0, 0, 1, 1e-300, 0, 1, 1, 1, out), 0); // nearly parallel still crosses

    double x = 0, y = 0;
    // x - y = 0 and x + y - 4 = 0 cross at (2, 2).
    EXPECT_EQ(CrossLine(1, -1, 0, 1, 1, -4, &x, &y, 1e-10), 0);
    EXPECT_NEAR(x, 2, 1e-12);
    EXPECT_NEAR(y, 2, 1e-12);
    EXPECT_EQ(CrossLine(1, 2, 3, 2, 4, 7, &x, &y, 1e-10), -1);
    // Not parallel by the determinant, but within the chord tolerance.
    EXPECT_EQ(CrossLine(1, 0, 0, 1, 0.001, 1, &x, &y, 1e-5), -1);
    EXPECT_EQ(CrossLine(1, 0, 0, 1, 0.001, 1, &x, &y, 1e-7), 0);
}
