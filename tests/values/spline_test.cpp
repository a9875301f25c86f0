// mgSplines (knots, end conditions, fitted parameters, transforms, records) and mgFitCurve.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "algorithms/spline.h"
#include "io/CIoBuffer.h"
#include "values/mgFitCurve.h"
#include "values/mgMatrix.h"
#include "values/mgSplines.h"

namespace {

constexpr double kPi = 3.141592653589793;

mgSplines Wave() {
    const mgPoint pts[5] = {{0, 0}, {10, 5}, {20, -3}, {35, 4}, {40, 20}};
    return mgSplines(5, pts);
}

TEST(Splines, ClosingAndEndFlags) {
    const mgPoint four[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 5e-8}};
    mgSplines s(4, four);
    EXPECT_TRUE(s.closed());
    EXPECT_EQ(s.splinesFlag(), 64);
    EXPECT_EQ(s.flags(), 0);
    mgSplines three(3, four);
    EXPECT_FALSE(three.closed());
    EXPECT_FALSE(three.setClose());

    mgSplines w = Wave();
    w.setEndFlag(2, 0);
    w.setStartFlag(1, 0.5);
    EXPECT_EQ(w.flags(), 9);
    EXPECT_EQ(w.startTangent(), 0.5);
    w.setEndFlag(1, -0.25);
    EXPECT_EQ(w.flags(), 5);
    EXPECT_EQ(w.endTangent(), -0.25);
    EXPECT_EQ(w.splinesFlag(), 5);
    ASSERT_TRUE(w.setClose());
    EXPECT_EQ(w.flags(), 64);
    EXPECT_EQ(w.xs()[4], 0.0);
    EXPECT_EQ(w.ys()[4], 0.0);
    EXPECT_TRUE(w.closed());
    w.setStartFlag(2, 0);
    EXPECT_EQ(w.flags(), 2); // the closed bit goes, the (empty) end bits stay
    EXPECT_EQ(w.splinesFlag(), 64);
}

TEST(Splines, StorageIsExactAndCopiesAreIndependent) {
    mgSplines s;
    EXPECT_EQ(s.xs(), nullptr);
    EXPECT_EQ(s.knotTolerance(), 1e-7);
    ASSERT_TRUE(s.setCount(10));
    EXPECT_EQ(s.capacity(), 10);
    EXPECT_EQ(s.count(), 10);
    EXPECT_FALSE(s.setCount(-1));
    EXPECT_EQ(s.count(), 10);
    EXPECT_FALSE(s.setCoord(10, 1, 1)); // beyond the storage
    EXPECT_FALSE(s.setCoord(-1, 1, 1));
    ASSERT_TRUE(s.setCoord(3, 7, 8));
    ASSERT_TRUE(s.setCapacity(4)); // cuts the knots
    EXPECT_EQ(s.count(), 4);
    EXPECT_EQ(s.xs()[3], 7.0);
    EXPECT_EQ(s.ys()[3], 8.0);

    mgSplines w = Wave();
    w.setStartFlag(1, 1.0);
    ASSERT_TRUE(w.validateParams());
    mgSplines copy(w);
    EXPECT_TRUE(copy.isSame(w, 0.0));
    EXPECT_NE(copy.xs(), w.xs());
    EXPECT_EQ(copy.xp(2), w.xp(2));
    copy.setCoord(2, 100, 100);
    EXPECT_EQ(w.xs()[2], 20.0);
    s = w;
    EXPECT_TRUE(s == w);
    s = s;
    EXPECT_TRUE(s == w);
    s.clear();
    EXPECT_EQ(s.count(), 0);
    EXPECT_EQ(s.xs(), nullptr);
    EXPECT_EQ(s.flags(), 0);

    // Coordinates taken from the spline's own storage.
    mgSplines self = Wave();
    ASSERT_TRUE(self.setCoords(3, self.xs() + 1, self.ys() + 1));
    EXPECT_EQ(self.count(), 3);
    EXPECT_EQ(self.xs()[0], 10.0);
    EXPECT_EQ(self.ys()[2], 4.0);
    EXPECT_FALSE(self.setCoords(2, nullptr, self.ys()));
}

TEST(Splines, ParametersFollowTheKnotsAndFlags) {
    mgSplines w = Wave();
    w.setStartFlag(1, kPi / 2);
    w.setEndFlag(1, 0);
    ASSERT_TRUE(w.validateParams());
    EXPECT_NEAR(w.xp(0), 0.0, 1e-15);
    EXPECT_NEAR(w.yp(0), 1.0, 1e-15);
    EXPECT_NEAR(w.xp(4), 1.0, 1e-15);
    EXPECT_DOUBLE_EQ(w.hp(0), std::hypot(10, 5));

    // The same fit as CalcCubicSpline's with the tangents as unit vectors (the runtime's cosine may
    // differ from the compiler's in the last bits).
    std::vector<double> x(w.xs(), w.xs() + 5), y(w.ys(), w.ys() + 5), dx(5), dy(5), len(5);
    int n = 5;
    ASSERT_TRUE(CalcCubicSpline(&n, x.data(), y.data(), 1e-7, dx.data(), dy.data(), len.data(), 5,
                                std::cos(kPi / 2), std::sin(kPi / 2), 1, 0));
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(w.xp(i), dx[i], 1e-12);
        EXPECT_NEAR(w.yp(i), dy[i], 1e-12);
    }

    // A moved knot refits; a closed spline is periodic whatever its flags.
    const double before = w.xp(2);
    w.setCoord(2, 20, 10);
    EXPECT_NE(w.xp(2), before);
    ASSERT_TRUE(w.setClose());
    EXPECT_DOUBLE_EQ(w.xp(0), w.xp(4));
    EXPECT_DOUBLE_EQ(w.yp(0), w.yp(4));

    // Knots merged by the fit lower the count; a fit that fails gives zeros.
    const mgPoint dup[4] = {{0, 0}, {0, 0}, {5, 5}, {9, 0}};
    mgSplines d(4, dup);
    ASSERT_TRUE(d.validateParams());
    EXPECT_EQ(d.count(), 3);
    EXPECT_EQ(d.xs()[1], 5.0);
    const mgPoint one[3] = {{2, 2}, {2, 2}, {2, 2}};
    mgSplines bad(3, one);
    EXPECT_FALSE(bad.validateParams());
    EXPECT_EQ(bad.xp(0), 0.0);
    EXPECT_EQ(bad.hp(0), 0.0);
    EXPECT_EQ(Wave().xp(5), 0.0); // beyond the knots
    EXPECT_EQ(Wave().xp(-1), 0.0);
}

TEST(Splines, SameWithinATolerance) {
    mgSplines a = Wave(), b = Wave();
    b.setCoord(1, 10 + 5e-8, 5);
    EXPECT_TRUE(a.isSame(b, 0.0)); // 0 means 1e-7
    EXPECT_TRUE(a == b);
    b.setCoord(1, 10 + 2e-7, 5);
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a.isSame(b, 1e-6));
    b = Wave();
    b.setStartFlag(1, 0);
    EXPECT_TRUE(a != b); // flags differ
    a.setStartFlag(1, 1e-3);
    EXPECT_FALSE(a.isSame(b, 1e-4));
}

// A transform moves the knots and turns the tangents; the fit of the moved spline is the moved fit:
// a similarity keeps unit-speed derivatives unit-speed, so they turn (and mirror) with the matrix.
TEST(Splines, TransformsCommuteWithTheFit) {
    const mgMatrix transforms[] = {mg_RotateMatrix(0.7, mgPoint(3, -2)), mg_TranslateMatrix(-50, 12),
                                   mg_ScaleMatrix(2.5, -1), mg_ReflectionMatrix(1, 2, 0.3),
                                   mg_RotateMatrix(2.0) * mg_ScaleMatrix(0.5, -1)};
    for (const mgMatrix& m : transforms) {
        mgSplines s = Wave();
        s.setStartFlag(1, 0.4);
        s.setEndFlag(1, -2.0);
        ASSERT_TRUE(s.validateParams());
        const mgSplines before = s;
        const mgSplines moved = s * m;
        EXPECT_TRUE(s.isSame(before, 1e-15)); // operator* leaves the receiver alone
        mgSplines t = moved;
        ASSERT_TRUE(t.validateParams());
        const double scale = std::sqrt(std::fabs(m.value()));
        for (int i = 0; i < 5; ++i) {
            double x, y;
            m.multiply(s.xs()[i], s.ys()[i], &x, &y);
            EXPECT_NEAR(t.xs()[i], x, 1e-12);
            EXPECT_NEAR(t.ys()[i], y, 1e-12);
            EXPECT_NEAR(t.hp(i), s.hp(i) * scale, 1e-9);
            // The derivative turns with the linear part and keeps unit speed.
            const double dx = s.xp(i) * m.m00() + s.yp(i) * m.m10();
            const double dy = s.xp(i) * m.m01() + s.yp(i) * m.m11();
            EXPECT_NEAR(t.xp(i), dx / scale, 1e-9) << i;
            EXPECT_NEAR(t.yp(i), dy / scale, 1e-9) << i;
        }
        mgSplines inPlace = s;
        inPlace *= m;
        EXPECT_TRUE(inPlace.isSame(moved, 1e-12));
    }
}

void ExpectBytes(const CIoBuffer& buf, std::size_t at, const void* want, std::size_t n) {
    ASSERT_LE(at + n, buf.GetSize());
    EXPECT_EQ(std::memcmp(buf.GetBuffer() + at, want, n), 0) << "at " << at;
}

TEST(SplinesRecord, LayoutAndRoundTrip) {
    mgSplines s = Wave();
    s.setStartFlag(1, 0.5);
    s.setEndFlag(2, 0);
    CIoBuffer buf;
    ASSERT_TRUE(s.Save(buf));
    ASSERT_EQ(buf.GetSize(), 4u + 16u * 5 + 4u + 24u);
    const int count = 5, flags = 9;
    ExpectBytes(buf, 0, &count, 4);
    const double knots[10] = {0, 0, 10, 5, 20, -3, 35, 4, 40, 20};
    ExpectBytes(buf, 4, knots, 80);
    ExpectBytes(buf, 84, &flags, 4);
    const double tail[3] = {0.5, 0.0, 1e-7};
    ExpectBytes(buf, 88, tail, 24);

    mgSplines back;
    ASSERT_TRUE(back.Read(buf));
    EXPECT_TRUE(back.isSame(s, 0.0));
    EXPECT_EQ(back.knotTolerance(), 1e-7);
    EXPECT_EQ(back.capacity(), 5);
    ASSERT_TRUE(back.validateParams());
    EXPECT_EQ(back.xp(3), s.xp(3));

    // An empty spline: count 0 and the 28-byte tail; reading it gives false and changes nothing.
    CIoBuffer empty;
    ASSERT_TRUE(mgSplines().Save(empty));
    ASSERT_EQ(empty.GetSize(), 32u);
    mgSplines keep = Wave();
    EXPECT_FALSE(keep.Read(empty));
    EXPECT_TRUE(keep == Wave());
    CIoBuffer none;
    EXPECT_THROW(keep.Read(none), CIoBufException);

    // A stored tolerance that would let duplicate knots through reads as 1e-7.
    for (double tol : {0.0, -3.0, 1e-20, std::nan("")}) {
        CIoBuffer t;
        t.AddInt32(4);
        for (double v : {0.0, 0.0, 0.0, 0.0, 5.0, 5.0, 9.0, 1.0})
            t.AddDouble(v);
        t.AddInt32(0);
        t.AddDouble(0);
        t.AddDouble(0);
        t.AddDouble(tol);
        mgSplines r;
        ASSERT_TRUE(r.Read(t));
        EXPECT_EQ(r.knotTolerance(), 1e-7);
        ASSERT_TRUE(r.validateParams());
        EXPECT_EQ(r.count(), 3);
        EXPECT_TRUE(std::isfinite(r.xp(0)));
    }
}

TEST(SplinesRecord, BadCountsAndShortDataLeaveTheSplineAlone) {
    mgSplines s = Wave();
    CIoBuffer neg;
    neg.AddInt32(-2);
    for (int i = 0; i < 10; ++i)
        neg.AddDouble(i);
    EXPECT_FALSE(s.Read(neg));
    EXPECT_TRUE(s == Wave());

    // A count far beyond the data: the record ends at a value boundary and throws, with no
    // allocation for the claimed count.
    for (int count : {0x7FFFFFFF, 0x40000000, 134217728}) {
        CIoBuffer absurd;
        absurd.AddInt32(count);
        for (int i = 0; i < 6; ++i)
            absurd.AddDouble(i);
        try {
            s.Read(absurd);
            FAIL() << "expected CIoBufException";
        } catch (CIoBufException const& e) {
            EXPECT_EQ(e.GetError(), -2);
        }
        EXPECT_TRUE(s == Wave());
        EXPECT_EQ(s.capacity(), 5);
    }

    // Every cut of a good record: each ends in a throw or a false, never in a changed spline.
    mgSplines src = Wave();
    src.setEndFlag(1, 0.25);
    CIoBuffer full;
    src.Save(full);
    for (unsigned long cut = 0; cut < full.GetSize(); ++cut) {
        CIoBuffer part;
        for (unsigned long i = 0; i < cut; ++i)
            part.AddUInt8(full.GetBuffer()[i]);
        mgSplines t = Wave();
        try {
            EXPECT_FALSE(t.Read(part)) << cut;
        } catch (CIoBufException const& e) {
            EXPECT_EQ(e.GetError(), -2);
        }
        EXPECT_TRUE(t == Wave()) << cut;
    }
}

// Arbitrary bytes never make the reader overrun the data or allocate for a count it cannot read;
// whatever reads completely saves to the same bytes.
TEST(SplinesRecord, SurvivesArbitraryBytes) {
    std::mt19937 rng(1505);
    std::uniform_int_distribution<int> byte(0, 255), len(0, 160);
    for (int round = 0; round < 4000; ++round) {
        CIoBuffer buf;
        const int n = len(rng);
        if (round % 2 == 0 && n >= 4) {
            // A plausible small count followed by noise.
            buf.AddInt32(1 + byte(rng) % 10);
        }
        while (static_cast<int>(buf.GetSize()) < n)
            buf.AddUInt8(static_cast<unsigned char>(byte(rng)));
        if (round % 5 == 1 && n >= 4)
            buf.GetBuffer()[3] = static_cast<unsigned char>(0x40 | byte(rng)); // huge or negative
        mgSplines s;
        try {
            if (s.Read(buf)) {
                EXPECT_LE(static_cast<unsigned long>(s.count()) * 16 + 32, buf.GetSize());
                CIoBuffer out;
                ASSERT_TRUE(s.Save(out));
                ASSERT_EQ(out.GetSize(), static_cast<unsigned long>(s.count()) * 16 + 32);
                EXPECT_EQ(std::memcmp(out.GetBuffer(), buf.GetBuffer(), out.GetSize() - 8), 0);
                s.validateParams(); // any knots at all: a fit or a clean failure
            }
        } catch (CIoBufException const& e) {
            EXPECT_EQ(e.GetError(), -2);
        }
    }
}

TEST(FitCurve, GrowsInSteps) {
    mgFitCurve c;
    EXPECT_EQ(c.sigma(), 0.5);
    EXPECT_EQ(c.capacity(), 0);
    ASSERT_TRUE(c.add(1, 2));
    EXPECT_EQ(c.capacity(), 512);
    for (int i = 1; i < 512; ++i)
        ASSERT_TRUE(c.add(i, -i));
    EXPECT_EQ(c.capacity(), 512);
    ASSERT_TRUE(c.add(7, 7)); // the 513th
    EXPECT_EQ(c.capacity(), 1024);
    EXPECT_EQ(c.count(), 513);
    EXPECT_EQ(c.x(0), 1.0);
    EXPECT_EQ(c.y(511), -511.0);
    EXPECT_EQ(c.x(-1), 0.0);
    EXPECT_EQ(c.x(513), 0.0);
    EXPECT_TRUE(c.reserve(1000));
    EXPECT_EQ(c.capacity(), 1024);
    ASSERT_TRUE(c.reserve(1025));
    EXPECT_EQ(c.capacity(), 1536);
    EXPECT_EQ(c.x(512), 7.0);

    // A request the arrays can never hold empties the curve and keeps sigma.
    c.setSigma(3);
    EXPECT_FALSE(c.reserve(0x7FFFFFFF));
    EXPECT_EQ(c.count(), 0);
    EXPECT_EQ(c.capacity(), 0);
    EXPECT_EQ(c.xs(), nullptr);
    EXPECT_EQ(c.ys(), nullptr);
    EXPECT_EQ(c.sigma(), 3.0);
    EXPECT_TRUE(c.add(1, 1));
}

TEST(FitCurve, CopiesHoldExactlyTheirPoints) {
    mgFitCurve a;
    a.setSigma(2);
    for (int i = 0; i < 5; ++i)
        a.add(i, i * i);
    mgFitCurve b(a);
    EXPECT_EQ(b.count(), 5);
    EXPECT_EQ(b.capacity(), 5);
    EXPECT_EQ(b.sigma(), 2.0);
    EXPECT_NE(b.xs(), a.xs());
    EXPECT_EQ(b.y(4), 16.0);
    ASSERT_TRUE(b.add(9, 9)); // grows from an exact capacity
    EXPECT_EQ(b.capacity(), 512);
    EXPECT_EQ(b.y(3), 9.0);

    mgFitCurve empty;
    empty.setSigma(4);
    b = empty;
    EXPECT_EQ(b.count(), 0);
    EXPECT_EQ(b.capacity(), 0);
    EXPECT_EQ(b.xs(), nullptr);
    EXPECT_EQ(b.sigma(), 4.0);
    a = a;
    EXPECT_EQ(a.count(), 5);
    const mgFitCurve c(empty);
    EXPECT_EQ(c.xs(), nullptr);
}

TEST(FitCurve, SigmaAndClosing) {
    mgFitCurve c;
    c.setSigma(0.01);
    EXPECT_EQ(c.sigma(), 0.1);
    c.setSigma(50);
    EXPECT_EQ(c.sigma(), 10.0);
    c.setSigma(std::nan(""));
    EXPECT_EQ(c.sigma(), 0.1);
    c.setSigma(-INFINITY);
    EXPECT_EQ(c.sigma(), 0.1);
    c.setSigma(1.5);
    EXPECT_EQ(c.sigma(), 1.5);

    c.add(0, 0);
    c.add(5, 0);
    EXPECT_FALSE(c.closed(100)); // two points never close
    c.add(0, 5e-8);
    EXPECT_TRUE(c.closed(0));
    EXPECT_TRUE(c.closed(std::nan("")));
    c.add(0, 1e-6);
    EXPECT_FALSE(c.closed(-1));
    EXPECT_TRUE(c.closed(1e-5));
}

} // namespace
