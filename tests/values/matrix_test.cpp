#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "values/mgMatrix.h"

namespace {

constexpr double kPi = 3.141592653589793;

// Random affine matrices with a determinant well away from zero.
class RandomMatrices {
public:
    mgMatrix next() {
        for (;;) {
            mgMatrix m(u(rng), u(rng), u(rng), u(rng), 100 * u(rng), 100 * u(rng));
            if (std::fabs(m.value()) > 0.05)
                return m;
        }
    }
    mgPoint point() { return mgPoint(50 * u(rng), 50 * u(rng)); }

private:
    std::mt19937 rng{20240611u};
    std::uniform_real_distribution<double> u{-2.0, 2.0};
};

void ExpectThirdColumn(mgMatrix const& m) {
    EXPECT_EQ(m(0, 2), 0.0);
    EXPECT_EQ(m(1, 2), 0.0);
    EXPECT_EQ(m(2, 2), 1.0);
}

TEST(MatrixLayout, NineDoublesRowByRow) {
    mgMatrix m(1, 2, 3, 4, 5, 6);
    double const* v = m;
    const double want[9] = {1, 2, 0, 3, 4, 0, 5, 6, 1};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(v[i], want[i]) << i;
    EXPECT_EQ(m.item(2, 0), 5);
    EXPECT_EQ(m(1, 0), 3);
    m(2, 1) = 9;
    EXPECT_EQ(m.dy(), 9);
    m.set_item(0, 2, 7);
    EXPECT_EQ(m(0, 2), 7); // not reset by set_item

    double p[6] = {6, 5, 4, 3, 2, 1};
    mgMatrix a(p);
    double out[6];
    a.get(out);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(out[i], p[i]);
    a.set_item(2, 2, 3);
    a.set(p);
    ExpectThirdColumn(a);
    ExpectThirdColumn(mgMatrix());
    EXPECT_TRUE(mgMatrix::unitMatrix().isSame(mgMatrix(1, 0, 0, 1, 0, 0), 0.0));
}

TEST(MatrixProduct, AppliesLeftOperandFirst) {
    RandomMatrices r;
    for (int i = 0; i < 200; ++i) {
        mgMatrix a = r.next(), b = r.next();
        mgPoint p = r.point();
        mgPoint viaSteps = (p * a) * b;
        mgPoint viaProduct = p * (a * b);
        EXPECT_TRUE(viaSteps.isSame(viaProduct, 1e-9 * (1 + viaSteps.len())));
        ExpectThirdColumn(a * b);
    }
    // Translate then rotate differs from rotate then translate.
    mgMatrix t = mg_TranslateMatrix(1, 0), q = mg_RotateMatrix(kPi / 2);
    EXPECT_EQ(mgPoint(0, 0) * (t * q), mgPoint(0, 1));
    EXPECT_EQ(mgPoint(0, 0) * (q * t), mgPoint(1, 0));
}

TEST(MatrixProduct, InPlaceWithItselfIsSafe) {
    RandomMatrices r;
    mgMatrix a = r.next();
    mgMatrix square = a * a;
    a *= a;
    EXPECT_TRUE(a.isSame(square, 0.0));
}

TEST(MatrixInvert, InverseTimesMatrixIsIdentity) {
    RandomMatrices r;
    for (int i = 0; i < 200; ++i) {
        mgMatrix a = r.next();
        mgMatrix inv = a.invert();
        EXPECT_TRUE((a * inv).isSame(mgMatrix(), 1e-9));
        EXPECT_TRUE((inv * a).isSame(mgMatrix(), 1e-9));
        mgPoint p = r.point();
        EXPECT_TRUE((p * a * inv).isSame(p, 1e-9));
    }
}

TEST(MatrixInvert, NearSingularGivesIdentityAndReceiverUnchanged) {
    mgMatrix s(1e-4, 0, 0, 1e-4, 3, 4); // determinant 1e-8
    mgMatrix copy = s;
    EXPECT_TRUE(s.invert().isSame(mgMatrix(), 0.0));
    EXPECT_TRUE(s.isSame(copy, 0.0));
    EXPECT_FALSE(s.normalize());
    EXPECT_TRUE(mgMatrix(2, 0, 0, 3, 0, 0).normalize());
}

TEST(MatrixRotate, PreservesLengthsAndAngles) {
    RandomMatrices r;
    for (double a = -7; a < 7; a += 0.41) {
        mgMatrix m = mg_RotateMatrix(a);
        mgPoint p = r.point(), q = r.point();
        EXPECT_NEAR(mg_distance(p * m, q * m), mg_distance(p, q), 1e-9);
        EXPECT_NEAR(m.value(), 1.0, 1e-12);
        EXPECT_NEAR(m.scalex(), 1.0, 1e-12);
        EXPECT_NEAR(m.scaley(), 1.0, 1e-12);
        // The angle of the x axis after rotation, wrapped to (-pi, pi].
        EXPECT_NEAR(std::remainder(m.angle() - a, 2 * kPi), 0.0, 1e-12);
    }
    EXPECT_EQ(mgPoint(1, 0) * mg_RotateMatrix(kPi / 2), mgPoint(0, 1)); // counter-clockwise
}

TEST(MatrixRotate, AboutACentreKeepsTheCentreFixed) {
    mgPoint c(3, -2);
    for (double a = 0.1; a < 6.3; a += 0.7) {
        mgMatrix m = mg_RotateMatrix(a, c);
        EXPECT_EQ(c * m, c);
        mgPoint p(5, 1);
        EXPECT_NEAR(mg_distance(p * m, c), mg_distance(p, c), 1e-12);
        // Same as shifting c to the origin, rotating and shifting back.
        mgMatrix composed = mg_TranslateMatrix(-c) * mg_RotateMatrix(a) * mg_TranslateMatrix(c);
        EXPECT_TRUE(m.isSame(composed, 1e-12));
    }
}

TEST(MatrixBuilders, ScaleUcsAndReflections) {
    EXPECT_EQ(mg_ScaleMatrix(2, -1), mg_ScaleMatrix(2, 2));
    EXPECT_EQ(mgPoint(1, 1) * mg_ScaleMatrix(2, 0), mgPoint(2, 0));
    EXPECT_EQ(mgPoint(1, 2) * mg_XReflectionMatrix(), mgPoint(1, -2));
    EXPECT_EQ(mgPoint(1, 2) * mg_YReflectionMatrix(), mgPoint(-1, 2));

    mgMatrix ucs = mg_UcsMatrix(10, 20, kPi / 2, 2);
    EXPECT_EQ(mgPoint(1, 0) * ucs, mgPoint(10, 22));
    EXPECT_EQ(mgPoint(0, 0) * ucs, mgPoint(10, 20));

    // Mirror in the line through (1, 1) at 45 degrees: points on the line stay, others swap sides.
    mgMatrix refl = mg_ReflectionMatrix(1, 1, kPi / 4);
    EXPECT_EQ(mgPoint(5, 5) * refl, mgPoint(5, 5));
    EXPECT_EQ(mgPoint(3, 0) * refl, mgPoint(0, 3));
    EXPECT_TRUE((refl * refl).isSame(mgMatrix(), 1e-12)); // an involution
    EXPECT_NEAR(refl.value(), -1.0, 1e-12);
}

TEST(MatrixArithmetic, PlusEqualsTouchesTheThirdColumn) {
    mgMatrix i2 = mgMatrix();
    i2 += mgMatrix();
    EXPECT_EQ(i2(2, 2), 2.0);
    EXPECT_FALSE(i2 == mg_ScaleMatrix(2, 2));
    EXPECT_TRUE(i2.normalize());
    EXPECT_TRUE(i2 == mg_ScaleMatrix(2, 2));
    EXPECT_TRUE(mgMatrix() + mgMatrix() == mg_ScaleMatrix(2, 2));

    mgMatrix z = mgMatrix();
    z -= mgMatrix();
    EXPECT_EQ(z(2, 2), 0.0);
    ExpectThirdColumn(mgMatrix() - mgMatrix());

    mgMatrix m(1, 2, 3, 4, 5, 6);
    EXPECT_TRUE((m * 2.0).isSame(mgMatrix(2, 4, 6, 8, 10, 12), 0.0));
    EXPECT_TRUE((2.0 * m).isSame(m * 2.0, 0.0));
    m(2, 2) = 5;
    m *= 0.5;
    EXPECT_TRUE(m.isSame(mgMatrix(0.5, 1, 1.5, 2, 2.5, 3), 0.0));
}

TEST(MatrixCompare, ToleranceSenses) {
    mgMatrix a;
    mgMatrix b(1 + 0.9e-7, 0, 0, 1, 0, -1e-7); // dy differs by exactly 1e-7
    EXPECT_TRUE(a == b);                       // inclusive
    EXPECT_FALSE(a != b);
    EXPECT_FALSE(a == mgMatrix(1, 0, 0, 1, 2e-7, 0));
    EXPECT_TRUE(a.isSame(b, -5.0));
    EXPECT_FALSE(a.isSame(b, 0.0));
    EXPECT_TRUE(a.isSame(mgMatrix(1.5, 0, 0, 1, 0, 0), 0.5));
}

TEST(MatrixMultiply, IntegerOutputsRoundHalfUp) {
    mgMatrix m(1, 0, 0, 1, 0.5, -1.2);
    long x = 0, y = 0;
    m.multiply(1.0, 0.0, &x, &y);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 0); // -1.2 + 0.5 = -0.7 truncates toward zero
    double dx, dy;
    mgMatrix(2, 0, 0, 3, 1, 1).multiply(1, 1, &dx, &dy);
    EXPECT_EQ(dx, 3);
    EXPECT_EQ(dy, 4);
    m.multiply(1e20, 0.0, &x, &y);
    EXPECT_EQ(x, 2147483647L);
}

TEST(MatrixAngle, MultiplyAngleIgnoresTranslation) {
    mgMatrix m = mg_RotateMatrix(0.3) * mg_TranslateMatrix(100, -50);
    EXPECT_NEAR(m.multiplyAngle(0.2), 0.5, 1e-12);
    EXPECT_NEAR(mg_XReflectionMatrix().multiplyAngle(0.4), -0.4, 1e-12);
    // A direction collapsed onto the y axis takes the vertical rule of mgPoint::angle.
    EXPECT_DOUBLE_EQ(mg_ScaleMatrix(0, 1).multiplyAngle(0.5), kPi / 2);
    EXPECT_DOUBLE_EQ(mg_ScaleMatrix(0, 1).multiplyAngle(0.0), -kPi / 2);
}

} // namespace
