#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "io/CIoBuffer.h"
#include "platform/win32.h"
#include "values/mgMatrix.h"
#include "values/mgPoint.h"

namespace {

constexpr double kPi = 3.141592653589793;

std::vector<unsigned char> Bytes(CIoBuffer const& b) {
    return std::vector<unsigned char>(b.GetBuffer(), b.GetBuffer() + b.GetSize());
}

std::vector<unsigned char> DoubleBytes(double v) {
    std::vector<unsigned char> out(8);
    std::memcpy(out.data(), &v, 8);
    return out;
}

TEST(PointAngle, VerticalAndZeroVectors) {
    EXPECT_DOUBLE_EQ(mgPoint(0, 0).angle(), -kPi / 2);
    EXPECT_DOUBLE_EQ(mgPoint(0, 5).angle(), kPi / 2);
    EXPECT_DOUBLE_EQ(mgPoint(1e-8, -3).angle(), -kPi / 2);
    EXPECT_DOUBLE_EQ(mgPoint(-1, 0).angle(), kPi);
    EXPECT_DOUBLE_EQ(mgPoint(1, 1).angle(), kPi / 4);
}

TEST(PointAngle, SetVectorRoundTripsThroughAngleAndLength) {
    for (double a = -3.0; a <= 3.0; a += 0.37) {
        mgPoint v;
        v.setVector(a, 2.5);
        EXPECT_NEAR(v.len(), 2.5, 1e-12);
        EXPECT_NEAR(v.angle(), a, 1e-12);
    }
}

TEST(PointNormalize, ShortVectorsAreLeftAlone) {
    mgPoint p(1e-8, 0);
    EXPECT_FALSE(p.normalize());
    EXPECT_EQ(p.x(), 1e-8);
    EXPECT_EQ(p.getNormal().x(), 1e-8);

    mgPoint q(3, -4);
    EXPECT_TRUE(q.normalize());
    EXPECT_DOUBLE_EQ(q.x(), 0.6);
    EXPECT_DOUBLE_EQ(q.y(), -0.8);
    // getNormal keeps the direction: it is not a perpendicular.
    mgPoint n = mgPoint(0, -7).getNormal();
    EXPECT_DOUBLE_EQ(n.x(), 0.0);
    EXPECT_DOUBLE_EQ(n.y(), -1.0);
}

TEST(PointCompare, ToleranceSenses) {
    mgPoint o(0, 0);
    EXPECT_TRUE(o == mgPoint(1e-7, -1e-7)); // inclusive
    EXPECT_FALSE(o == mgPoint(1.1e-7, 0));
    EXPECT_TRUE(o != mgPoint(1.1e-7, 0));
    EXPECT_FALSE(o != mgPoint(0, 1e-7));

    EXPECT_TRUE(o.isSame(o, 0.0));
    EXPECT_FALSE(o.isSame(mgPoint(1e-300, 0), 0.0)); // zero tolerance means exact
    EXPECT_TRUE(o.isSame(mgPoint(1e-7, 0), -1.0));   // negative means 1e-7
    EXPECT_FALSE(o.isSame(mgPoint(2e-7, 0), -1.0));
    EXPECT_TRUE(o.isSame(mgPoint(0.5, -0.5), 0.5));
    EXPECT_TRUE(mgPoint(1e-8, 1e-8).isNull());
    EXPECT_FALSE(mgPoint(6e-8, 6e-8).isNull()); // |x| + |y| counts
}

TEST(PointAccess, IndexAndArrayViews) {
    mgPoint p(1.5, -2.5);
    EXPECT_EQ(p[0], 1.5);
    EXPECT_EQ(p[1], -2.5);
    EXPECT_EQ(p[7], -2.5);
    p[0] = 4;
    double* raw = p;
    EXPECT_EQ(raw[0], 4);
    EXPECT_EQ(raw[1], -2.5);
    double arr[2] = {9, 8};
    mgPoint q(arr);
    double out[2];
    q.get(out);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[1], 8);
}

TEST(PointDevice, RoundsHalfUpAndTruncatesTowardZero) {
    POINT pt;
    mgPoint(-1.7, 2.5).get(&pt);
    EXPECT_EQ(pt.x, -1);
    EXPECT_EQ(pt.y, 3);
    mgPoint(-0.6, 0.49).get(&pt);
    EXPECT_EQ(pt.x, 0);
    EXPECT_EQ(pt.y, 0);
    // Out-of-range and NaN coordinates saturate instead of reaching an undefined conversion.
    mgPoint(1e300, -1e300).get(&pt);
    EXPECT_EQ(pt.x, INT32_MAX);
    EXPECT_EQ(pt.y, INT32_MIN);
    mgPoint(std::nan(""), 0).get(&pt);
    EXPECT_EQ(pt.x, 0);
}

TEST(PointArithmetic, OperatorsAgree) {
    mgPoint a(1, 2), b(3, -5);
    EXPECT_EQ(a + b, mgPoint(4, -3));
    EXPECT_EQ(a - b, mgPoint(-2, 7));
    EXPECT_EQ(-a, mgPoint(-1, -2));
    EXPECT_EQ(a * 3.0, mgPoint(3, 6));
    EXPECT_EQ(3.0 * a, mgPoint(3, 6));
    mgPoint c = a;
    c += b;
    c -= b;
    c *= 2.0;
    EXPECT_EQ(c, mgPoint(2, 4));
    EXPECT_DOUBLE_EQ(mg_distance(mgPoint(1, 1), mgPoint(4, 5)), 5.0);
    EXPECT_DOUBLE_EQ(mg_angleBetween(mgPoint(1, 1), mgPoint(1, -4)), -kPi / 2);
    EXPECT_DOUBLE_EQ(mg_angleBetween(mgPoint(1, 1), mgPoint(1.000001, 4)), kPi / 2);
    EXPECT_DOUBLE_EQ(mg_angleBetween(mgPoint(1, 1), mgPoint(0, 1)), kPi);
}

TEST(PointTransform, PointTimesMatrixIncludesTranslation) {
    mgMatrix m(0, 1, -1, 0, 10, 20); // quarter turn, then shift
    mgPoint p(2, 3);
    EXPECT_EQ(p * m, mgPoint(-3 + 10, 2 + 20));
    p *= m;
    EXPECT_EQ(p, mgPoint(7, 22));
}

TEST(PointDirections, ParallelPerpendicularSameOpposite) {
    mgPoint v(2, 1);
    EXPECT_TRUE(v.isParallelTo(mgPoint(4, 2)));
    EXPECT_TRUE(v.isParallelTo(mgPoint(-6, -3)));
    EXPECT_TRUE(v || mgPoint(-6, -3));
    EXPECT_FALSE(v.isParallelTo(mgPoint(2, 1.01)));
    EXPECT_TRUE(v.isParallelTo(mgPoint(2, 1.01), 0.01)); // sine of ~0.0045 rad accepted

    EXPECT_TRUE(v.isSameDirection(mgPoint(20, 10)));
    EXPECT_FALSE(v.isSameDirection(mgPoint(-20, -10)));
    EXPECT_TRUE(v.isOppositeDirection(mgPoint(-20, -10)));
    EXPECT_FALSE(v.isOppositeDirection(mgPoint(20, 10)));

    EXPECT_TRUE(v.isPerpendicularTo(mgPoint(-1, 2)));
    EXPECT_TRUE(v.isPerpendicularTo(mgPoint(3, -6)));
    EXPECT_FALSE(v.isPerpendicularTo(mgPoint(1, 2)));
    EXPECT_FALSE(v.isParallelTo(mgPoint(-1, 2)));

    // The tolerance is about direction, not length: tiny and huge vectors behave alike.
    EXPECT_TRUE(mgPoint(1e-3, 0).isSameDirection(mgPoint(1e6, 1e-5)));
    // A null vector has no direction.
    EXPECT_FALSE(mgPoint(0, 0).isParallelTo(v));
    EXPECT_FALSE(v.isPerpendicularTo(mgPoint(0, 0)));
    EXPECT_FALSE(mgPoint(0, 0).isSameDirection(mgPoint(0, 0)));
}

TEST(PointShared, UnitVectorIsOneZero) {
    EXPECT_EQ(mgPoint::xUnitVector().x(), 1.0);
    EXPECT_EQ(mgPoint::xUnitVector().y(), 0.0);
    EXPECT_EQ(&mgPoint::xUnitVector(), &mgPoint::xUnitVector());
}

TEST(PointRecord, LayoutIsXThenYAsDoubles) {
    CIoBuffer buf;
    ASSERT_TRUE(mgPoint(1.25, -3.5).Save(buf));
    std::vector<unsigned char> want = DoubleBytes(1.25);
    std::vector<unsigned char> y = DoubleBytes(-3.5);
    want.insert(want.end(), y.begin(), y.end());
    EXPECT_EQ(Bytes(buf), want);

    mgPoint back;
    EXPECT_TRUE(back.Read(buf));
    EXPECT_TRUE(back.isSame(mgPoint(1.25, -3.5), 0.0));
}

TEST(PointRecord, MissingCoordinateThrowsShortOneSetsError) {
    CIoBuffer eight;
    eight.AddDouble(7.0);
    mgPoint p(1, 2);
    try {
        p.Read(eight);
        FAIL() << "expected CIoBufException";
    } catch (CIoBufException const& e) {
        EXPECT_EQ(e.GetError(), -2);
    }
    EXPECT_EQ(p.x(), 7.0); // the fields read so far are kept
    EXPECT_EQ(p.y(), 2.0);

    CIoBuffer twelve;
    twelve.AddDouble(7.0);
    twelve.AddInt32(5);
    mgPoint q(1, 2);
    EXPECT_FALSE(q.Read(twelve));
    EXPECT_EQ(twelve.GetError(), -2);
    EXPECT_EQ(q.x(), 7.0);
    EXPECT_EQ(q.y(), 2.0); // cut short: keeps its old value
}

} // namespace
