#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <cstring>
#include <vector>

#include "io/CIoBuffer.h"
#include "values/mgPoly.h"

namespace {

using PointArray = AcArray<mgPoint, AcArrayMemCopyReallocator<mgPoint>>;

std::vector<mgPoint> Vertices(mgPoly const& p) {
    std::vector<mgPoint> v;
    for (int i = 0; i < p.count(); ++i)
        v.push_back(p.getCoord(i));
    return v;
}

mgPoly Square() {
    const mgPoint pts[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    return mgPoly(4, pts);
}

// Every entry between count and capacity must be zero after an operation that grew the block.
void ExpectZeroTail(mgPoly const& p) {
    for (int i = p.count(); i < p.capacity(); ++i) {
        EXPECT_EQ(p.xs()[i], 0.0) << i;
        EXPECT_EQ(p.ys()[i], 0.0) << i;
    }
}

TEST(PolyGrowth, StepsOfThirtyTwo) {
    mgPoly p;
    EXPECT_EQ(p.capacity(), 0);
    EXPECT_EQ(p.xs(), nullptr);
    double x[3] = {1, 2, 3}, y[3] = {4, 5, 6};
    EXPECT_EQ(p.setCoords(3, x, y), 3);
    EXPECT_EQ(p.capacity(), 35);
    EXPECT_EQ(p.ys(), p.xs() + 35); // one block, ys after xs
    ExpectZeroTail(p);
    double x2[2] = {7, 8}, y2[2] = {9, 10};
    EXPECT_EQ(p.setCoords(2, x2, y2), 5);
    EXPECT_EQ(p.capacity(), 35);
    EXPECT_EQ(p.getCoord(4), mgPoint(8, 10));
    EXPECT_EQ(p.getCoord(2), mgPoint(3, 6));

    // Reaching the capacity exactly grows again.
    std::vector<double> many(30, 1.0);
    EXPECT_EQ(p.setCoords(5, 30, many.data(), many.data()), 35);
    EXPECT_EQ(p.capacity(), 67);
    EXPECT_EQ(p.getCoord(4), mgPoint(8, 10)); // kept across the new block
    ExpectZeroTail(p);

    mgPoly q;
    EXPECT_EQ(q.setCount(10), 42);
    EXPECT_EQ(q.count(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(q.getCoord(i), mgPoint(0, 0));
    EXPECT_EQ(q.setCount(5), 42); // shrinking keeps the block
    EXPECT_EQ(q.setCapacity(3), 3);
    EXPECT_EQ(q.capacity(), 3);
    EXPECT_EQ(q.setCapacity(0), 0);
    EXPECT_EQ(q.xs(), nullptr);
}

TEST(PolyEdit, InsertSetAndDeleteSequence) {
    const mgPoint start[3] = {{0, 0}, {1, 1}, {2, 2}};
    mgPoly p(3, start);
    EXPECT_EQ(p.insertCoord(1, mgPoint(9, 9)), 4);
    EXPECT_EQ(Vertices(p), (std::vector<mgPoint>{{0, 0}, {9, 9}, {1, 1}, {2, 2}}));

    const mgPoint two[2] = {{5, 5}, {6, 6}};
    EXPECT_EQ(p.insertCoords(0, 2, two), 6);
    EXPECT_EQ(Vertices(p), (std::vector<mgPoint>{{5, 5}, {6, 6}, {0, 0}, {9, 9}, {1, 1}, {2, 2}}));
    EXPECT_EQ(p.insertCoord(6, 7, 7), 7); // at the end
    EXPECT_EQ(p.getCoord(6), mgPoint(7, 7));
    EXPECT_EQ(p.insertCoord(9, 8, 8), 10); // beyond the end: the gap holds zeros
    EXPECT_EQ(p.getCoord(7), mgPoint(0, 0));
    EXPECT_EQ(p.getCoord(9), mgPoint(8, 8));

    // Deleting from the middle closes the gap and zeroes the vacated tail.
    EXPECT_EQ(p.deleteCoords(1, 3), 7);
    EXPECT_EQ(Vertices(p), (std::vector<mgPoint>{{5, 5}, {1, 1}, {2, 2}, {7, 7}, {0, 0}, {0, 0}, {8, 8}}));
    ExpectZeroTail(p);
    // A range running past the end and -1 both mean "to the last vertex".
    EXPECT_EQ(p.deleteCoords(5, 100), 5);
    EXPECT_EQ(p.deleteCoords(1, -1), 1);
    EXPECT_EQ(Vertices(p), (std::vector<mgPoint>{{5, 5}}));
    ExpectZeroTail(p);

    mgPoint q(3, 4);
    EXPECT_EQ(p.setCoord(2, q), 3); // past the count but inside the storage
    EXPECT_EQ(p.getCoord(1), mgPoint(0, 0));
    EXPECT_EQ(p.getCoordY(2), 4);
    EXPECT_EQ(p.setCoord(0, -1, -1), 3);
    EXPECT_EQ(p.getCoordX(0), -1);
}

TEST(PolyEdit, InsertGrowsWhenTheCountReachesCapacity) {
    mgPoly p;
    p.setCapacity(4);
    const mgPoint pts[3] = {{1, 1}, {2, 2}, {3, 3}};
    p.setCoords(0, 3, pts);
    EXPECT_EQ(p.capacity(), 4);
    EXPECT_EQ(p.insertCoord(0, 0, 0), 4);
    EXPECT_EQ(p.capacity(), 36);
    EXPECT_EQ(Vertices(p), (std::vector<mgPoint>{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    ExpectZeroTail(p);
}

TEST(PolyEdit, OwnCoordinatesAsSourceSurviveGrowth) {
    mgPoly p = Square();
    p.setCapacity(4);
    // Appending the polyline's own arrays needs a new block; the source must stay readable.
    EXPECT_EQ(p.setCoords(4, p.xs(), p.ys()), 8);
    EXPECT_EQ(p.getCoord(6), mgPoint(1, 1));
    EXPECT_EQ(p.insertCoords(0, 8, p.xs(), p.ys()), 16);
    EXPECT_EQ(p.getCoord(10), mgPoint(1, 1));
}

TEST(PolyEdit, BadIndicesAndCountsChangeNothing) {
    mgPoly p = Square();
    const int cap = p.capacity();
    const std::vector<mgPoint> before = Vertices(p);
    double x = 1, y = 1;
    EXPECT_EQ(p.setCoord(-1, 5, 5), 4);
    EXPECT_EQ(p.setCoord(cap, 5, 5), 4);
    EXPECT_EQ(p.setCoords(-2, 1, &x, &y), 4);
    EXPECT_EQ(p.setCoords(0, -1, &x, &y), 4);
    EXPECT_EQ(p.setCoords(0, 1, nullptr, &y), 4);
    EXPECT_EQ(p.setCoords(INT_MAX, 5, &x, &y), 4);
    EXPECT_EQ(p.insertCoords(-1, 1, &x, &y), 4);
    EXPECT_EQ(p.insertCoords(1, -3, &x, &y), 4);
    EXPECT_EQ(p.insertCoords(INT_MAX - 1, 2, &x, &y), 4);
    EXPECT_EQ(p.deleteCoords(-1, 1), 4);
    EXPECT_EQ(p.deleteCoords(4, 1), 4);
    EXPECT_EQ(p.deleteCoords(0, -2), 4);
    EXPECT_EQ(p.setCount(-5), cap);
    EXPECT_EQ(p.setCapacity(-1), 4);
    EXPECT_EQ(p.capacity(), cap);
    EXPECT_EQ(Vertices(p), before);
    EXPECT_EQ(p.getCoordX(-1), 0.0);
    EXPECT_EQ(p.getCoordY(cap), 0.0);
    EXPECT_EQ(p.getCoord(1 << 30), mgPoint(0, 0));
}

TEST(PolyCompare, CountsAndTolerance) {
    mgPoly a = Square(), b = Square();
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(mgPoly() == mgPoly());
    const mgPoint two[2] = {{0, 0}, {1, 0}}, three[3] = {{0, 0}, {1, 0}, {1, 1}};
    EXPECT_TRUE(mgPoly(2, two) != mgPoly(3, three));
    b.setCoord(0, 1e-7, -1e-7);
    EXPECT_TRUE(a == b); // within 1e-7 inclusive
    b.setCoord(0, 1.1e-7, 0);
    EXPECT_FALSE(a == b);
    b.setCoord(0, 0, 0);
    b.setCoord(2, 1 + 3e-7, 1);
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a.issame(b, 1e-6));
    EXPECT_FALSE(a.issame(b, 0.0));
    EXPECT_TRUE(a.issame(a, 0.0));
}

TEST(PolyCopy, AssignmentCopiesTheVerticesInUse) {
    mgPoly a = Square();
    mgPoly b;
    b = a;
    EXPECT_TRUE(b == a);
    EXPECT_NE(b.xs(), a.xs());
    EXPECT_EQ(b.capacity(), 36);
    mgPoly c(a);
    a.setCoord(0, 9, 9); // deep copies
    EXPECT_EQ(c.getCoord(0), mgPoint(0, 0));
    mgPoly& alias = b;
    b = alias; // self-assignment
    EXPECT_EQ(b.count(), 4);
    mgPoly big;
    big.setCount(100);
    big = a; // enough room: the block is kept
    EXPECT_EQ(big.capacity(), 132);
    EXPECT_EQ(big.count(), 4);
    big.clear();
    EXPECT_EQ(big.capacity(), 0);
    EXPECT_EQ(big.count(), 0);
}

TEST(PolyGeometry, ExtentAndTransform) {
    const mgPoint one[1] = {{5, 5}};
    mgRect e = mgPoly(1, one).CalcExtent();
    EXPECT_DOUBLE_EQ(e.left(), 5 - 2e-7);
    EXPECT_DOUBLE_EQ(e.top(), 5 + 2e-7);
    EXPECT_TRUE(mgPoly().CalcExtent().isNull());
    const mgPoint pts[3] = {{1, 2}, {-3, 4}, {0, -1}};
    // The first vertex starts a 4e-7 square; later vertices only widen it.
    EXPECT_TRUE(mgPoly(3, pts).CalcExtent().isSame(mgRect(-3, -1, 1 + 2e-7, 4), 1e-12));

    mgPoly p = Square();
    mgPoly moved = p * mg_TranslateMatrix(10, 0);
    EXPECT_TRUE(p == Square()); // operator* leaves the receiver alone
    EXPECT_EQ(moved.getCoord(2), mgPoint(11, 1));
    p *= mg_ScaleMatrix(2, 3);
    EXPECT_EQ(p.getCoord(2), mgPoint(2, 3));
}

TEST(PolyRecord, LayoutAndRoundTrip) {
    const mgPoint pts[2] = {{1.5, -2}, {3, 4.25}};
    mgPoly p(2, pts);
    CIoBuffer buf;
    ASSERT_TRUE(p.Save(buf));
    ASSERT_EQ(buf.GetSize(), 4u + 32u);
    const unsigned char count[4] = {2, 0, 0, 0};
    EXPECT_EQ(std::memcmp(buf.GetBuffer(), count, 4), 0);
    const double xy[4] = {1.5, -2, 3, 4.25}; // interleaved
    EXPECT_EQ(std::memcmp(buf.GetBuffer() + 4, xy, 32), 0);

    mgPoly back = Square();
    EXPECT_TRUE(back.Read(buf));
    EXPECT_TRUE(back.issame(p, 0.0));

    CIoBuffer empty;
    mgPoly e;
    ASSERT_TRUE(e.Save(empty));
    ASSERT_EQ(empty.GetSize(), 4u);
    EXPECT_EQ(std::memcmp(empty.GetBuffer(), "\0\0\0\0", 4), 0);
    mgPoly keep = Square();
    EXPECT_FALSE(keep.Read(empty));
    EXPECT_TRUE(keep == Square());

    CIoBuffer none;
    EXPECT_THROW(keep.Read(none), CIoBufException);
}

TEST(PolyRecord, BadCountsFailCleanly) {
    // Negative count.
    CIoBuffer neg;
    neg.AddInt32(-3);
    neg.AddDouble(1);
    neg.AddDouble(2);
    mgPoly p = Square();
    EXPECT_FALSE(p.Read(neg));
    EXPECT_TRUE(p == Square());

    // An absurd count with two vertices of data: the record ends at a value boundary, which
    // throws, without allocating room for the claimed count and without touching the polyline.
    CIoBuffer absurd;
    absurd.AddInt32(0x7FFFFFFF);
    for (int i = 0; i < 4; ++i)
        absurd.AddDouble(i);
    try {
        p.Read(absurd);
        FAIL() << "expected CIoBufException";
    } catch (CIoBufException const& e) {
        EXPECT_EQ(e.GetError(), -2);
    }
    EXPECT_TRUE(p == Square());
    EXPECT_EQ(p.capacity(), 36);

    // Data ending inside a value: error -2, false, polyline unchanged.
    CIoBuffer cut;
    cut.AddInt32(1000000);
    cut.AddDouble(1);
    cut.AddInt16(7);
    EXPECT_FALSE(p.Read(cut));
    EXPECT_EQ(cut.GetError(), -2);
    EXPECT_TRUE(p == Square());

    // A short count field sets the error; nothing is read.
    CIoBuffer shortCount;
    shortCount.AddInt16(1);
    EXPECT_FALSE(p.Read(shortCount));
    EXPECT_TRUE(p == Square());
}

TEST(CoordList, AddCoordsLayout) {
    const mgPoint pts[2] = {{1, 2}, {3, 4}};
    CIoBuffer buf;
    ASSERT_TRUE(AddCoords(buf, 2, pts));
    ASSERT_EQ(buf.GetSize(), 36u);
    const unsigned char len[4] = {32, 0, 0, 0};
    EXPECT_EQ(std::memcmp(buf.GetBuffer(), len, 4), 0);
    const double xy[4] = {1, 2, 3, 4};
    EXPECT_EQ(std::memcmp(buf.GetBuffer() + 4, xy, 32), 0);

    CIoBuffer none;
    ASSERT_TRUE(AddCoords(none, 0, nullptr));
    ASSERT_TRUE(AddCoords(none, -4, pts)); // a negative count writes an empty list
    ASSERT_EQ(none.GetSize(), 8u);
    EXPECT_EQ(std::memcmp(none.GetBuffer(), "\0\0\0\0\0\0\0\0", 8), 0);
}

TEST(CoordList, ReadCoordsRoundTrip) {
    std::vector<mgPoint> pts;
    for (int i = 0; i < 50; ++i)
        pts.emplace_back(i * 0.5, -i * 1.25);
    CIoBuffer buf;
    ASSERT_TRUE(AddCoords(buf, 50, pts.data()));
    ASSERT_TRUE(AddCoords(buf, 2, pts.data()));

    PointArray arr;
    arr.append(mgPoint(-1, -1));
    ASSERT_TRUE(ReadCoords(buf, arr));
    ASSERT_EQ(arr.length(), 50);
    EXPECT_EQ(arr.physicalLength(), 50);
    for (int i = 0; i < 50; ++i)
        EXPECT_TRUE(arr[i].isSame(pts[i], 0.0)) << i;

    ASSERT_TRUE(ReadCoords(buf, arr)); // a shorter list replaces the storage
    EXPECT_EQ(arr.length(), 2);
    EXPECT_EQ(arr.physicalLength(), 2);
    EXPECT_EQ(arr[1], pts[1]);

    ASSERT_TRUE(ReadCoords(buf, arr)); // at the end: an empty list
    EXPECT_EQ(arr.length(), 0);
    EXPECT_EQ(arr.physicalLength(), 0);
    EXPECT_EQ(arr.asArrayPtr(), nullptr);
}

TEST(CoordList, TrailingBytesIgnoredAndBadLengthsRejected) {
    CIoBuffer inner;
    for (double v : {1.0, 2.0, 3.0, 4.0, 5.0})
        inner.AddDouble(v);
    CIoBuffer buf;
    buf.AddBinary(inner); // length 40: two points and 8 spare bytes
    PointArray arr;
    ASSERT_TRUE(ReadCoords(buf, arr));
    ASSERT_EQ(arr.length(), 2);
    EXPECT_EQ(arr[1], mgPoint(3, 4));

    // A length beyond the data: error -3, false, the array untouched.
    CIoBuffer bad;
    bad.AddInt32(-16);
    bad.AddDouble(1);
    EXPECT_FALSE(ReadCoords(bad, arr));
    EXPECT_EQ(bad.GetError(), -3);
    EXPECT_EQ(arr.length(), 2);
    EXPECT_EQ(arr[0], mgPoint(1, 2));
}

TEST(CoordList, AcArrayKeepsTheExpectedMemberLayout) {
    struct Layout {
        mgPoint* p;
        int physical;
        int logical;
    };
    PointArray arr(3);
    arr.append(mgPoint(1, 2));
    Layout l;
    static_assert(sizeof(mgPoint) == 16, "mgPoint is two doubles");
    std::memcpy(&l, &arr, sizeof l);
    EXPECT_EQ(l.p, arr.asArrayPtr());
    EXPECT_EQ(l.physical, 3);
    EXPECT_EQ(l.logical, 1);
    for (int i = 0; i < 20; ++i)
        arr.append(arr[0]); // appending an element of the array itself, across growth
    EXPECT_EQ(arr.length(), 21);
    EXPECT_EQ(arr[20], mgPoint(1, 2));
    PointArray copy(arr);
    EXPECT_EQ(copy.length(), 21);
    EXPECT_EQ(copy[5], mgPoint(1, 2));
}

// Arbitrary bytes must never make a reader overrun the data or allocate for a count it cannot
// read: each reader either succeeds, reports failure or throws CIoBufException.
TEST(RecordReaders, SurviveArbitraryBytes) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> byte(0, 255), len(0, 80);
    for (int round = 0; round < 2000; ++round) {
        CIoBuffer buf;
        const int n = len(rng);
        for (int i = 0; i < n; ++i)
            buf.AddUInt8(static_cast<unsigned char>(byte(rng)));
        // Large counts are the interesting case: force one now and then.
        if (round % 4 == 0 && n >= 4)
            buf.GetBuffer()[3] = static_cast<unsigned char>(0x40 | byte(rng));
        for (int reader = 0; reader < 4; ++reader) {
            buf.Reset();
            try {
                if (reader == 0) {
                    mgPoly p;
                    if (p.Read(buf)) {
                        EXPECT_LE(static_cast<unsigned long>(p.count()) * 16 + 4, buf.GetSize());
                    }
                } else if (reader == 1) {
                    PointArray arr;
                    if (ReadCoords(buf, arr)) {
                        EXPECT_TRUE(arr.length() == 0 ||
                                    static_cast<unsigned long>(arr.length()) * 16 + 4 <= buf.GetSize());
                    }
                } else if (reader == 2) {
                    mgRectEx r;
                    r.Read(buf);
                } else {
                    mgPoint pt;
                    pt.Read(buf);
                }
            } catch (CIoBufException const& e) {
                EXPECT_EQ(e.GetError(), -2);
            }
        }
    }
}

} // namespace
