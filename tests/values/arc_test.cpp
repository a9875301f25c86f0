#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "io/CIoBuffer.h"
#include "values/mgArc.h"
#include "values/mgMatrix.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

void ExpectPointNear(mgPoint const& p, double x, double y, double tol = 1e-12) {
    EXPECT_NEAR(p.x(), x, tol);
    EXPECT_NEAR(p.y(), y, tol);
}

// Is p on the arc's circle and within its angular span?
bool OnArc(mgArc const& a, mgPoint const& p, double tol) {
    if (std::fabs(mg_distance(a.centre(), p) - a.radius()) > tol) {
        return false;
    }
    double a1, a2;
    a.angleRange(a1, a2);
    double rel = std::fmod(std::atan2(p.y() - a.y(), p.x() - a.x()) - a1, kTwoPi);
    if (rel < 0) {
        rel += kTwoPi;
    }
    return rel <= a2 - a1 + 1e-9 || rel >= kTwoPi - 1e-9;
}

TEST(Arc, DefaultAndNormalisingConstruction) {
    const mgArc d;
    EXPECT_EQ(d.radius(), 0);
    EXPECT_EQ(d.startAngle(), 0);
    EXPECT_EQ(d.sweepAngle(), kTwoPi);
    EXPECT_TRUE(d.isCircle());

    const mgArc a(0, 0, -5, -kPi / 2, 10);
    EXPECT_EQ(a.radius(), 5);
    EXPECT_DOUBLE_EQ(a.startAngle(), 3 * kPi / 2);
    EXPECT_EQ(a.sweepAngle(), kTwoPi);
    EXPECT_TRUE(a.isCircle());

    double p[5] = {1, 2, -3, 7, -1};
    const mgArc b(p);
    double q[5];
    b.get(q);
    EXPECT_EQ(q[2], 3);
    EXPECT_DOUBLE_EQ(q[3], 7 - kTwoPi);
    EXPECT_EQ(q[4], -1);
}

TEST(Arc, SweepClampAndCircleThreshold) {
    mgArc a;
    a.set_weepAngle(-7);
    EXPECT_EQ(a.sweepAngle(), -kTwoPi);
    EXPECT_TRUE(a.isCircle());
    a.set_weepAngle(kTwoPi - 2e-7);
    EXPECT_EQ(a.sweepAngle(), kTwoPi - 2e-7);
    EXPECT_FALSE(a.isCircle());
    a.set_weepAngle(-kPi / 2);
    EXPECT_EQ(a.sweepAngle(), -kPi / 2);

    const mgArc b(0, 0, 1, 1, -0.5);
    double a1, a2;
    b.angleRange(a1, a2);
    EXPECT_DOUBLE_EQ(a1, 0.5);
    EXPECT_DOUBLE_EQ(a2, 1.0);
}

TEST(Arc, PointsAndTangents) {
    const mgArc a(1, 1, 2, 0, kPi / 2);
    ExpectPointNear(a.startPoint(), 3, 1);
    ExpectPointNear(a.endPoint(), 1, 3);
    ExpectPointNear(a.midPoint(), 1 + std::sqrt(2.0), 1 + std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(a.startTanAngle(), kPi / 2); // leaving (3, 1) upward
    EXPECT_DOUBLE_EQ(a.endTanAngle(), kPi);       // arriving at (1, 3) heading left

    const mgArc cw(0, 0, 1, kPi / 2, -kPi / 2);
    EXPECT_NEAR(cw.startTanAngle(), 0.0, 1e-12); // leaving (0, 1) to the right
    EXPECT_DOUBLE_EQ(cw.endTanAngle(), 3 * kPi / 2);
}

TEST(Arc, ExtentOfArcsAndCircles) {
    const mgRect q = mgArc(0, 0, 1, 0, kPi / 2).geomExtent();
    EXPECT_NEAR(q.left(), 0, 1e-15);
    EXPECT_NEAR(q.bottom(), 0, 1e-15);
    EXPECT_DOUBLE_EQ(q.right(), 1);
    EXPECT_DOUBLE_EQ(q.top(), 1);

    // Clockwise from pi/2 down through 0 to -pi/2: the right half.
    const mgRect h = mgArc(0, 0, 1, kPi / 2, -kPi).geomExtent();
    EXPECT_NEAR(h.left(), 0, 1e-15);
    EXPECT_DOUBLE_EQ(h.bottom(), -1);
    EXPECT_DOUBLE_EQ(h.right(), 1);
    EXPECT_DOUBLE_EQ(h.top(), 1);

    const mgRect c = mgArc(5, 5, 2, 1, kTwoPi).geomExtent();
    EXPECT_EQ(c.left(), 3);
    EXPECT_EQ(c.top(), 7);

    // A zero sweep is a point, not the whole circle.
    const mgRect z = mgArc(0, 0, 1, kPi / 4, 0).geomExtent();
    EXPECT_NEAR(z.width(), 0, 1e-15);
    EXPECT_NEAR(z.left(), std::sqrt(0.5), 1e-15);
}

TEST(ArcTransform, ReflectionReversesTheSweepAndKeepsThePoints) {
    const mgArc a(0, 0, 1, 0, kPi / 2);
    const mgArc m = a * mg_XReflectionMatrix();
    EXPECT_NEAR(m.startAngle(), 0, 1e-12);
    EXPECT_NEAR(m.sweepAngle(), -kPi / 2, 1e-12);
    ExpectPointNear(m.endPoint(), 0, -1);
    ExpectPointNear(m.midPoint(), std::sqrt(0.5), -std::sqrt(0.5));

    const mgArc s = a * mg_ScaleMatrix(2, 2);
    EXPECT_DOUBLE_EQ(s.radius(), 2);
    EXPECT_NEAR(s.startAngle(), 0, 1e-12);
    EXPECT_NEAR(s.sweepAngle(), kPi / 2, 1e-12);

    mgArc c(3, 0, 1, 0.25, kTwoPi);
    c *= mg_RotateMatrix(kPi / 2);
    EXPECT_EQ(c.startAngle(), 0.25);
    EXPECT_EQ(c.sweepAngle(), kTwoPi);
    ExpectPointNear(c.centre(), 0, 3);
}

TEST(ArcTransform, RandomRigidMotionsMapArcPointsToArcPoints) {
    std::mt19937 rng(60);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int i = 0; i < 2000; ++i) {
        const mgArc a(10 * u(rng), 10 * u(rng), 0.5 + 5 * std::fabs(u(rng)), 4 * u(rng), 6 * u(rng));
        mgMatrix m = mg_RotateMatrix(4 * u(rng)) * mg_TranslateMatrix(5 * u(rng), 5 * u(rng));
        if (i % 2) {
            m = mg_ReflectionMatrix(u(rng), u(rng), 4 * u(rng)) * m;
        }
        const mgArc b = a * m;
        const double tol = 1e-4 * (1 + a.radius()); // direction snapping of GetLineAngle
        ExpectPointNear(b.startPoint(), (a.startPoint() * m).x(), (a.startPoint() * m).y(), tol);
        ExpectPointNear(b.endPoint(), (a.endPoint() * m).x(), (a.endPoint() * m).y(), tol);
        EXPECT_NEAR(std::fabs(b.sweepAngle()), std::fabs(a.sweepAngle()), 1e-4);
        EXPECT_TRUE(OnArc(b, a.midPoint() * m, 1e-9 * (1 + a.radius()))) << "case " << i;
        // A reflection reverses the direction, a rotation keeps it.
        if (std::fabs(a.sweepAngle()) > 1e-3) {
            EXPECT_EQ(b.sweepAngle() > 0, (a.sweepAngle() > 0) == (m.value() > 0)) << "case " << i;
        }
    }
}

TEST(ArcRecord, RoundTripKeepsFieldsUnnormalised) {
    CIoBuffer in;
    for (double v : {1.0, 2.0, -3.0, 9.0, -8.0}) {
        in.AddDouble(v);
    }
    mgArc a;
    ASSERT_TRUE(a.Read(in));
    EXPECT_EQ(a.radius(), -3.0); // read as stored
    EXPECT_EQ(a.startAngle(), 9.0);
    EXPECT_EQ(a.sweepAngle(), -8.0);
    CIoBuffer out;
    ASSERT_TRUE(a.Save(out));
    ASSERT_EQ(out.GetSize(), 40u);
    EXPECT_EQ(std::memcmp(in.GetBuffer(), out.GetBuffer(), 40), 0);

    CIoBuffer cut;
    cut.AddDouble(1);
    mgArc b(7, 7, 7, 0, 1);
    EXPECT_THROW(b.Read(cut), CIoBufException);
    EXPECT_EQ(b.x(), 1);
    EXPECT_EQ(b.y(), 7);
}

TEST(ArcFactory, CentreStartEnd) {
    const mgArc a = MakeArcCSE(mgPoint(0, 0), mgPoint(1, 0), mgPoint(0, 1));
    EXPECT_DOUBLE_EQ(a.sweepAngle(), kPi / 2);
    const mgArc b = MakeArcCSE(mgPoint(0, 0), mgPoint(0, 1), mgPoint(1, 0));
    EXPECT_DOUBLE_EQ(b.sweepAngle(), -kPi / 2);
    const mgArc c = MakeArcCSE(mgPoint(0, 0), mgPoint(-1, 0.01), mgPoint(-1, -0.01));
    EXPECT_NEAR(c.sweepAngle(), -kTwoPi + 2 * std::atan(0.01), 1e-12);
    EXPECT_NEAR(c.radius(), std::hypot(1, 0.01), 1e-15);
}

TEST(ArcFactory, ThreePointsAndTangent) {
    const mgArc a = MakeArc3P(mgPoint(1, 0), mgPoint(0, 1), mgPoint(-1, 0));
    EXPECT_NEAR(a.radius(), 1, 1e-15);
    EXPECT_DOUBLE_EQ(a.startAngle(), 0);
    EXPECT_DOUBLE_EQ(a.sweepAngle(), kPi);
    // Clockwise through three points: the start is normalised into [0, 2pi).
    const mgArc cw = MakeArc3P(mgPoint(0, -1), mgPoint(-1, 0), mgPoint(0, 1));
    EXPECT_DOUBLE_EQ(cw.startAngle(), 3 * kPi / 2);
    EXPECT_DOUBLE_EQ(cw.sweepAngle(), -kPi);
    // Collinear points give the default arc, not a unit arc at a stale centre.
    const mgArc bad = MakeArc3P(mgPoint(0, 0), mgPoint(1, 1), mgPoint(2, 2));
    EXPECT_EQ(bad.radius(), 0);
    EXPECT_EQ(bad.sweepAngle(), kTwoPi);

    const mgArc t = MakeArcTan(mgPoint(1, 0), mgPoint(0, 1), kPi / 2);
    EXPECT_NEAR(t.radius(), 1, 1e-12);
    EXPECT_NEAR(t.sweepAngle(), kPi / 2, 1e-12);
    ExpectPointNear(t.endPoint(), 0, 1);
    const mgArc none = MakeArcTan(mgPoint(0, 0), mgPoint(5, 0), 0);
    EXPECT_EQ(none.radius(), 0);
    EXPECT_TRUE(none.isCircle());
}

TEST(ArcFactory, StartEndRadius) {
    const mgArc minor = MakeArcSER(mgPoint(1, 0), mgPoint(0, 1), 1);
    ExpectPointNear(minor.centre(), 0, 0);
    EXPECT_NEAR(minor.sweepAngle(), kPi / 2, 1e-12);
    ExpectPointNear(minor.startPoint(), 1, 0);
    ExpectPointNear(minor.endPoint(), 0, 1);

    const mgArc major = MakeArcSER(mgPoint(1, 0), mgPoint(0, 1), -1);
    ExpectPointNear(major.centre(), 1, 1);
    EXPECT_NEAR(major.sweepAngle(), 3 * kPi / 2, 1e-12);
    ExpectPointNear(major.startPoint(), 1, 0);
    ExpectPointNear(major.endPoint(), 0, 1);

    const mgArc half = MakeArcSER(mgPoint(-2, 0), mgPoint(2, 0), 2);
    EXPECT_NEAR(half.sweepAngle(), kPi, 1e-12);
    ExpectPointNear(half.midPoint(), 0, -2); // counter-clockwise from (-2, 0) passes below

    EXPECT_EQ(MakeArcSER(mgPoint(0, 0), mgPoint(3, 0), 1).radius(), 0);   // radius too short
    EXPECT_EQ(MakeArcSER(mgPoint(1, 1), mgPoint(1, 1), 1).radius(), 0);   // no chord
    EXPECT_EQ(MakeArcSER(mgPoint(0, 0), mgPoint(1, 0), NAN).radius(), 0); // not finite
}

} // namespace
