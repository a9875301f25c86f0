#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "io/CIoBuffer.h"
#include "values/mgLine.h"
#include "values/mgMatrix.h"

namespace {

constexpr double kPi = 3.141592653589793;

TEST(Line, FieldsAndForms) {
    double p[4] = {1, 2, 3, 4};
    mgLine a(p);
    EXPECT_EQ(a.x1(), 1);
    EXPECT_EQ(a.y2(), 4);
    mgLine b(mgPoint(1, 2), mgPoint(3, 4));
    EXPECT_TRUE(a == b);
    double q[4];
    b.get(q);
    EXPECT_EQ(std::memcmp(p, q, sizeof p), 0);
    b.set_endPt(mgPoint(5, 6));
    EXPECT_EQ(b.endPt().x(), 5);
    EXPECT_EQ(b.startPt().y(), 2);
    EXPECT_TRUE(a != b);
    mgLine c;
    EXPECT_EQ(c.x1(), 0);
    EXPECT_EQ(c.y2(), 0);
}

TEST(Line, LengthExtentAngle) {
    EXPECT_DOUBLE_EQ(mgLine(0, 0, 3, 4).length(), 5.0);
    const mgRect r = mgLine(3, 4, 0, 0).geomExtent();
    EXPECT_EQ(r.left(), 0);
    EXPECT_EQ(r.bottom(), 0);
    EXPECT_EQ(r.right(), 3);
    EXPECT_EQ(r.top(), 4);
    EXPECT_DOUBLE_EQ(mgLine(0, 0, -1, 0).angle(), kPi);
    EXPECT_DOUBLE_EQ(mgLine(0, 0, 5e-6, -3).angle(), -kPi / 2); // steeper than 1e-5 in x
}

TEST(Line, IsSameToleranceSenses) {
    const mgLine a(0, 0, 1, 1);
    EXPECT_TRUE(a.isSame(mgLine(1e-7, 0, 1, 1), -1)); // negative means 1e-7, inclusive
    EXPECT_FALSE(a.isSame(mgLine(1.1e-7, 0, 1, 1), -1));
    EXPECT_TRUE(a.isSame(mgLine(0.5, 0, 1, 1), 0.5));
    EXPECT_FALSE(a.isSame(mgLine(1e-300, 0, 1, 1), 0));
    EXPECT_TRUE(a == mgLine(0, 0, 1, 1 + 5e-8));
}

TEST(Line, TransformMovesBothEnds) {
    mgLine l(1, 0, 2, 0);
    const mgLine r = l * mg_RotateMatrix(kPi / 2);
    EXPECT_NEAR(r.x1(), 0, 1e-15);
    EXPECT_NEAR(r.y1(), 1, 1e-15);
    EXPECT_NEAR(r.y2(), 2, 1e-15);
    EXPECT_EQ(l.x1(), 1); // the copy form leaves the original alone
    l *= mg_TranslateMatrix(10, 20);
    EXPECT_EQ(l, mgLine(11, 20, 12, 20));
}

TEST(LineRecord, RoundTripAndLayout) {
    const mgLine l(1.5, -2.25, 1e300, -0.0);
    CIoBuffer buf;
    ASSERT_TRUE(l.Save(buf));
    ASSERT_EQ(buf.GetSize(), 32u);
    double fields[4];
    std::memcpy(fields, buf.GetBuffer(), 32);
    EXPECT_EQ(fields[0], 1.5);
    EXPECT_EQ(fields[1], -2.25);
    EXPECT_EQ(fields[2], 1e300);
    EXPECT_TRUE(std::signbit(fields[3]));
    mgLine back;
    ASSERT_TRUE(back.Read(buf));
    EXPECT_EQ(std::memcmp(&back, &l, sizeof l), 0);
}

TEST(LineRecord, ShortDataThrowsOrFlagsTheBuffer) {
    CIoBuffer full;
    mgLine(1, 2, 3, 4).Save(full);
    // 24 bytes: x1, y1, x2 read, then the end of the data when y2 is due.
    CIoBuffer cut;
    cut.AddDouble(1);
    cut.AddDouble(2);
    cut.AddDouble(3);
    mgLine l(9, 9, 9, 9);
    try {
        l.Read(cut);
        FAIL() << "no exception";
    } catch (CIoBufException const& e) {
        EXPECT_EQ(e.GetError(), -2);
    }
    EXPECT_EQ(l.x2(), 3);
    EXPECT_EQ(l.y2(), 9);
    // 28 bytes: y2 is cut short; the buffer reports the error and y2 keeps its value.
    CIoBuffer partial;
    partial.AddDouble(1);
    partial.AddDouble(2);
    partial.AddDouble(3);
    partial.AddInt32(0);
    mgLine m(9, 9, 9, 9);
    EXPECT_FALSE(m.Read(partial));
    EXPECT_EQ(partial.GetError(), -2);
    EXPECT_EQ(m.y2(), 9);
}

} // namespace
