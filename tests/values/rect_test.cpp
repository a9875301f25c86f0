#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "io/CIoBuffer.h"
#include "values/mgRect.h"

namespace {

constexpr double kPi = 3.141592653589793;

void ExpectRect(mgRect const& r, double l, double b, double rt, double t) {
    EXPECT_DOUBLE_EQ(r.left(), l);
    EXPECT_DOUBLE_EQ(r.bottom(), b);
    EXPECT_DOUBLE_EQ(r.right(), rt);
    EXPECT_DOUBLE_EQ(r.top(), t);
}

TEST(RectConstruct, NormalisesCoordinates) {
    mgRect r(5, 7, 1, 2);
    ExpectRect(r, 1, 2, 5, 7);
    double p[4];
    r.get(p);
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[1], 2);
    EXPECT_EQ(p[2], 5);
    EXPECT_EQ(p[3], 7);
    EXPECT_EQ(r[3], 7);
    EXPECT_EQ(r[9], 7);
    EXPECT_EQ(r[-1], 7);
    EXPECT_EQ(r[1], 2);

    double arr[4] = {3, 4, -1, -2};
    ExpectRect(mgRect(arr), -1, -2, 3, 4);
    ExpectRect(mgRect(mgPoint(2, -1), mgPoint(0, 3)), 0, -1, 2, 3);
    ExpectRect(mgRect(mgPoint(1, 9), mgPoint(-4, 2), mgPoint(3, 3), mgPoint(0, -5)), -4, -5, 3, 9);
    RECT dev = {10, 20, 30, 5}; // left, top, right, bottom
    ExpectRect(mgRect(&dev), 10, 5, 30, 20);
    ExpectRect(mgRect(static_cast<RECT const*>(nullptr)), 0, 0, 0, 0);

    // Field setters and copies do not normalise.
    mgRect raw;
    raw.set_left(5);
    raw.set_right(1);
    mgRect copy(&raw);
    EXPECT_EQ(copy.left(), 5);
    copy.set(2, 2, 1, 1);
    ExpectRect(copy, 1, 1, 2, 2);
}

TEST(RectConvert, DeviceRectangleTruncates) {
    RECT d = mgRect(-1.5, -2.5, 3.9, 4.9);
    EXPECT_EQ(d.left, -1);
    EXPECT_EQ(d.top, 4);
    EXPECT_EQ(d.right, 3);
    EXPECT_EQ(d.bottom, -2);
    RECT huge = mgRect(-1e12, 0, 1e12, 1);
    EXPECT_EQ(huge.left, INT32_MIN);
    EXPECT_EQ(huge.right, INT32_MAX);
}

TEST(RectPredicates, EmptyNullAndContainment) {
    EXPECT_FALSE(mgRect(0, 0, 0, 5).isEmpty());
    EXPECT_TRUE(mgRect(0, 0, 5e-8, 5e-8).isEmpty());
    EXPECT_TRUE(mgRect(3, 3, 3, 3).isEmpty());
    EXPECT_FALSE(mgRect(3, 3, 3, 3).isNull());
    EXPECT_TRUE(mgRect(5e-8, 0, -5e-8, 0).isNull());

    mgRect r(0, 0, 10, 10);
    EXPECT_TRUE(r.isInRect(10 + 5e-8, 0));
    EXPECT_FALSE(r.isInRect(10 + 2e-7, 0));
    EXPECT_TRUE(r.isInRect(mgPoint(0, -5e-8)));
    EXPECT_FALSE(r.isInRect(mgPoint(5, 10.001)));
    EXPECT_TRUE(r.isInRect(mgRect(0, 0, 10, 10)));
    EXPECT_TRUE(r.isInRect(mgRect(-5e-8, 2, 3, 10 + 5e-8)));
    EXPECT_FALSE(r.isInRect(mgRect(-1, 2, 3, 4)));
    EXPECT_FALSE(r.isInRect(mgRect(2, 2, 2, 2))); // empty never lies inside
    EXPECT_FALSE(mgRect().isInRect(mgRect()));
}

TEST(RectCompare, StrictToleranceSenses) {
    mgRect a(0, 0, 1, 1);
    EXPECT_TRUE(a == mgRect(5e-8, 0, 1, 1));
    EXPECT_FALSE(a == mgRect(2e-7, 0, 1, 1));
    EXPECT_TRUE(a != mgRect(2e-7, 0, 1, 1));
    EXPECT_FALSE(a.isSame(a, 0.0)); // strict: zero tolerance never holds
    EXPECT_TRUE(a.isSame(mgRect(5e-8, 0, 1, 1), -1.0));
    EXPECT_TRUE(a.isSame(mgRect(0.4, 0, 1, 1), 0.5));
    EXPECT_FALSE(a.isSame(mgRect(0.5, 0, 1, 1), 0.5));
}

TEST(RectSetOps, IntersectAndUnion) {
    mgRect r;
    EXPECT_FALSE(r.intersect(mgRect(0, 0, 10, 10), mgRect(20, 20, 30, 30)));
    EXPECT_TRUE(r.isNull());
    r.set(1, 1, 2, 2);
    EXPECT_FALSE(r.intersect(mgRect(0, 0, 10, 10), mgRect()));
    EXPECT_TRUE(r.isNull());

    EXPECT_TRUE(r.intersect(mgRect(0, 0, 10, 10), mgRect(10, 0, 20, 10)));
    ExpectRect(r, 10, 0, 10, 10); // flat in one direction only: not empty

    EXPECT_TRUE(r.intersect(mgRect(0, 0, 10, 10), mgRect(5, -5, 15, 5)));
    ExpectRect(r, 5, 0, 10, 5);
    mgRect self(0, 0, 4, 4);
    EXPECT_TRUE(self.intersect(mgRect(2, 2, 6, 6))); // receiver is also an operand
    ExpectRect(self, 2, 2, 4, 4);

    mgRect u;
    EXPECT_TRUE(u.unionRect(mgRect(), mgRect(1, 1, 2, 2)));
    ExpectRect(u, 1, 1, 2, 2);
    EXPECT_TRUE(u.unionRect(mgRect(-1, 5, 0, 6)));
    ExpectRect(u, -1, 1, 2, 6);
    EXPECT_FALSE(u.unionRect(mgRect(), mgRect()));

    ExpectRect(mgRect(0, 0, 4, 4) & mgRect(2, 2, 6, 6), 2, 2, 4, 4);
    ExpectRect(mgRect(0, 0, 4, 4) | mgRect(2, 2, 6, 6), 0, 0, 6, 6);
    mgRect m(0, 0, 4, 4);
    m &= mgRect(1, 1, 9, 9);
    ExpectRect(m, 1, 1, 4, 4);
    m |= mgRect(-1, 0, 0, 1);
    ExpectRect(m, -1, 0, 4, 4);
}

TEST(RectSetOps, UnionWithPoints) {
    mgRect r;
    r.unionRect(3, 4);
    ExpectRect(r, 3 - 2e-7, 4 - 2e-7, 3 + 2e-7, 4 + 2e-7);
    EXPECT_FALSE(r.isEmpty());
    r.unionRect(mgPoint(-1, 10));
    ExpectRect(r, -1, 4 - 2e-7, 3 + 2e-7, 10);
    r.unionRect(0, 5); // inside: unchanged
    ExpectRect(r, -1, 4 - 2e-7, 3 + 2e-7, 10);
}

// The result of a subtraction must hold every point of a that b does not cover, stay inside a,
// and be exact when the difference is itself a rectangle.
TEST(RectSubtract, ResultCoversTheDifference) {
    const mgRect a(0, 0, 10, 10);
    mgRect r;
    // b cuts off the left side.
    EXPECT_TRUE(r.subtract(a, mgRect(-5, -1, 4, 11)));
    ExpectRect(r, 4, 0, 10, 10);
    // ... the right, top and bottom sides.
    EXPECT_TRUE(r.subtract(a, mgRect(7, -1, 12, 10)));
    ExpectRect(r, 0, 0, 7, 10);
    EXPECT_TRUE(r.subtract(a, mgRect(0, 6, 10, 10)));
    ExpectRect(r, 0, 0, 10, 6);
    EXPECT_TRUE(r.subtract(a, mgRect(-3, -3, 13, 2)));
    ExpectRect(r, 0, 2, 10, 10);
    // A hole, a corner or a strip through the middle leave a non-rectangular rest: a itself.
    EXPECT_TRUE(r.subtract(a, mgRect(2, 2, 3, 3)));
    ExpectRect(r, 0, 0, 10, 10);
    EXPECT_TRUE(r.subtract(a, mgRect(5, 5, 20, 20)));
    ExpectRect(r, 0, 0, 10, 10);
    EXPECT_TRUE(r.subtract(a, mgRect(4, -1, 6, 11)));
    ExpectRect(r, 0, 0, 10, 10);
    // Disjoint or touching rectangles remove nothing; covering ones remove everything.
    EXPECT_TRUE(r.subtract(a, mgRect(10, 0, 20, 10)));
    ExpectRect(r, 0, 0, 10, 10);
    EXPECT_FALSE(r.subtract(a, mgRect(-1, -1, 11, 11)));
    EXPECT_TRUE(r.isNull());
    // Empty operands give a.
    EXPECT_TRUE(r.subtract(a, mgRect()));
    ExpectRect(r, 0, 0, 10, 10);
    EXPECT_FALSE(r.subtract(mgRect(), a));

    // Property check with random rectangles: sample points of a \ b must lie in the result.
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-5, 15);
    for (int i = 0; i < 300; ++i) {
        mgRect b(u(rng), u(rng), u(rng), u(rng));
        mgRect res;
        res.subtract(a, b);
        EXPECT_TRUE(res.isEmpty() || a.isInRect(res));
        for (double x = 0.25; x < 10; x += 0.5) {
            for (double y = 0.25; y < 10; y += 0.5) {
                if (!b.isInRect(x, y)) {
                    EXPECT_TRUE(res.isInRect(x, y)) << i << " " << x << "," << y;
                }
            }
        }
    }
}

TEST(RectResize, InflateDeflateScale) {
    mgRect r(0, 0, 10, 10);
    r.inflate(1, 2, 3, 4);
    ExpectRect(r, -1, -4, 13, 12);
    r.deflate(1, 2, 3, 4);
    ExpectRect(r, 0, 0, 10, 10);
    r.inflate(2);
    ExpectRect(r, -2, -2, 12, 12);
    r.deflate(mgPoint(2, 1));
    ExpectRect(r, 0, -1, 10, 11);
    r.inflate(mgRect(1, 2, 3, 4)); // left 1, bottom 2, right 3, top 4
    ExpectRect(r, -1, -3, 13, 15);
    r.deflate(mgRect(1, 2, 3, 4));
    r.deflate(0, 1);
    ExpectRect(r, 0, 0, 10, 10);
    r.deflate(6); // no normalising
    ExpectRect(r, 6, 6, 4, 4);

    mgRect s(1, 2, 3, 4);
    s.scaleby(2, 0);
    ExpectRect(s, 2, 4, 6, 8);
    s.scaleby(0.5, 0.25);
    ExpectRect(s, 1, 1, 3, 2);
    s.swopTopBottom();
    EXPECT_EQ(s.bottom(), 2);
    EXPECT_EQ(s.top(), 1);
}

TEST(RectResize, ArithmeticCopiesAreNormalised) {
    mgRect r(0, 0, 2, 3);
    ExpectRect(r + mgPoint(1, 1), 1, 1, 3, 4);
    ExpectRect(r - mgPoint(1, 1), -1, -1, 1, 2);
    ExpectRect(r * -1.0, -2, -3, 0, 0);
    ExpectRect(r - mgRect(0, 0, 5, 5), -3, -2, 0, 0); // difference (0,0,-3,-2) normalised
    ExpectRect(r + mgRect(1, 1, 1, 1), 1, 1, 3, 4);
    mgRect inPlace = r;
    inPlace *= -1.0; // in place: not normalised
    ExpectRect(inPlace, 0, 0, -2, -3);
    inPlace += mgRect(1, 1, 1, 1);
    inPlace -= mgPoint(1, 1);
    ExpectRect(inPlace, 0, 0, -2, -3);
    EXPECT_DOUBLE_EQ(r.width(), 2);
    EXPECT_DOUBLE_EQ(inPlace.width(), 2);
    EXPECT_EQ(r.center(), mgPoint(1, 1.5));
    EXPECT_EQ(r.size(), mgPoint(2, 3));
    EXPECT_EQ(r.right_top(), mgPoint(2, 3));
    EXPECT_EQ(r.left_bottom(), mgPoint(0, 0));
    r.empty();
    EXPECT_TRUE(r.isNull());
}

TEST(RectTransform, ExtentOfTransformedCorners) {
    mgRect r(1, 1, 3, 2);
    ExpectRect(r * mg_ScaleMatrix(2, 3), 2, 3, 6, 6);
    ExpectRect(r * mg_XReflectionMatrix(), 1, -2, 3, -1); // normalised
    mgRect q = r * mg_RotateMatrix(kPi / 2);
    EXPECT_TRUE(q.isSame(mgRect(-2, 1, -1, 3), 1e-12));
    // 45 degrees: the extent of the rotated corners, not of two of them.
    mgRect d = mgRect(0, 0, 1, 1) * mg_RotateMatrix(kPi / 4);
    EXPECT_NEAR(d.width(), std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(d.height(), std::sqrt(2.0), 1e-12);
}

// Regression: a shear with m01 = 0 has no rotation angle but still moves the corners
// independently; its extent needs all four of them.
TEST(RectTransform, ShearWithoutRotationUsesAllCorners) {
    mgMatrix shear(1, 0, 1, 1, 0, 0); // x' = x + y
    mgRect r = mgRect(0, 0, 1, 1) * shear;
    ExpectRect(r, 0, 0, 2, 1);
    mgRect s(0, 0, 1, 1);
    s *= shear;
    ExpectRect(s, 0, 0, 2, 1);
}

TEST(RectEx, ConstructionAndGeometry) {
    mgRectEx e(mgRect(0, 0, 2, 1), kPi / 2);
    EXPECT_EQ(e.GetLBPt(), mgPoint(0, 0));
    EXPECT_EQ(e.GetLTPt(), mgPoint(-1, 0));
    EXPECT_EQ(e.GetRTPt(), mgPoint(-1, 2));
    EXPECT_EQ(e.GetRBPt(), mgPoint(0, 2));
    EXPECT_TRUE(e.CalcExtent().isSame(mgRect(-1, 0, 0, 2), 1e-12));
    EXPECT_NEAR(e.angle(), kPi / 2, 1e-12);

    mgRectEx f(mgPoint(2, 1), mgPoint(0, 0), 0.0);
    EXPECT_EQ(f.GetLBPt(), mgPoint(0, 0));
    EXPECT_EQ(f.GetLTPt(), mgPoint(0, 1));
    EXPECT_EQ(f.GetRTPt(), mgPoint(2, 1));
    EXPECT_EQ(f.GetRBPt(), mgPoint(2, 0));
    EXPECT_DOUBLE_EQ(f.width(), 2);
    EXPECT_DOUBLE_EQ(f.height(), 1);
    EXPECT_EQ(f.size(), mgPoint(2, 1));
    EXPECT_DOUBLE_EQ(f.angle(), 0);

    mgRectEx g = f;
    g.rotate(0);
    EXPECT_TRUE(g.isSame(f, 0.0));
    g.rotate(kPi);
    EXPECT_EQ(g.GetRTPt(), mgPoint(-2, -1));
    EXPECT_EQ(g.GetRBPt(), mgPoint(-2, 0));
    EXPECT_NEAR(std::fabs(g.angle()), kPi, 1e-12);
    g.rotate(-kPi);
    EXPECT_TRUE(g == f);

    mgRectEx h = f + mgPoint(1, 1);
    EXPECT_EQ(h.GetLBPt(), mgPoint(1, 1));
    EXPECT_TRUE(h - mgPoint(1, 1) == f);
    h -= mgPoint(1, 1);
    EXPECT_TRUE(h == f);
    h *= mg_TranslateMatrix(0, 5);
    EXPECT_EQ(h.GetRTPt(), mgPoint(2, 6));
    EXPECT_TRUE(h * mg_TranslateMatrix(0, -5) == f);
    EXPECT_TRUE(h != f);
    EXPECT_TRUE(f.isSame(mgRectEx(mgPoint(0, 0), mgPoint(0, 1), mgPoint(2, 1), mgPoint(2, 0.3)), 0.75));
    EXPECT_FALSE(f.isSame(mgRectEx(mgPoint(0, 0), mgPoint(0, 1), mgPoint(2, 1), mgPoint(2, 0.3)), -1.0));
}

TEST(RectEx, RecordStoresSlotsZeroOneThreeTwo) {
    mgRectEx e(mgPoint(1, 2), mgPoint(3, 4), mgPoint(5, 6), mgPoint(7, 8));
    CIoBuffer buf;
    ASSERT_TRUE(e.Save(buf));
    ASSERT_EQ(buf.GetSize(), 64u);
    const double want[8] = {1, 2, 3, 4, 7, 8, 5, 6}; // lb, lt, rb, rt
    EXPECT_EQ(std::memcmp(buf.GetBuffer(), want, 64), 0);

    mgRectEx back;
    EXPECT_TRUE(back.Read(buf));
    EXPECT_TRUE(back.isSame(e, 0.0));
    EXPECT_EQ(back.GetRBPt(), mgPoint(7, 8));

    // Rotated corners survive the round trip bit for bit.
    mgRectEx r(mgRect(-3.25, 1, 7, 9.5), 0.7);
    CIoBuffer b2;
    r.Save(b2);
    mgRectEx r2;
    EXPECT_TRUE(r2.Read(b2));
    EXPECT_TRUE(r2.isSame(r, 0.0));
}

TEST(RectEx, ShortRecordsThrowOrFail) {
    mgRectEx e(mgPoint(1, 2), mgPoint(3, 4), mgPoint(5, 6), mgPoint(7, 8));
    CIoBuffer full;
    e.Save(full);

    // Data ending at a corner boundary: the next corner is missing.
    CIoBuffer cut;
    cut.AddDouble(1);
    cut.AddDouble(2);
    cut.AddDouble(3);
    cut.AddDouble(4);
    mgRectEx r;
    EXPECT_THROW(r.Read(cut), CIoBufException);
    EXPECT_EQ(r.GetLTPt(), mgPoint(3, 4));

    // Data ending inside a value: the error is set and the read reports failure.
    CIoBuffer partial;
    for (int i = 0; i < 5; ++i)
        partial.AddDouble(i);
    partial.AddInt32(0);
    mgRectEx s;
    EXPECT_FALSE(s.Read(partial));
    EXPECT_EQ(partial.GetError(), -2);
}

} // namespace
