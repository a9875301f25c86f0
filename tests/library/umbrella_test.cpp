// The umbrella header must compile on its own and bring in the whole interface: a host includes
// nothing else. The process-wide objects must exist once the library is loaded.
#include "draft2d.h"

#include <gtest/gtest.h>

TEST(Library, ProcessWideObjectsExistAfterLoad) {
    const mgMatrix& unit = mgMatrix::unitMatrix();
    const mgPoint p(3.5, -2.0);
    const mgPoint q = p * unit;
    EXPECT_DOUBLE_EQ(q.x(), 3.5);
    EXPECT_DOUBLE_EQ(q.y(), -2.0);
    EXPECT_DOUBLE_EQ(mgPoint::xUnitVector().x(), 1.0);
    EXPECT_DOUBLE_EQ(mgPoint::xUnitVector().y(), 0.0);
    EXPECT_EQ(CLineTypes::GetObjectA()->Find("continuous"), &CLineTypes::c_solidLine);
    // Standard line type 2 is the dashed line "\xd0\xe9\xcf\xdf" (虚线).
    ASSERT_NE(CLineTypes::GetObjectA()->Find("ACAD_ISO02W100"), nullptr);
}
