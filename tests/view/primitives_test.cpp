// Drawing primitives of CGraphSystem on an image device.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/devices.h"
#include "view/CGraphSystem.h"

using draft2d::Device;

namespace {

const COLORREF kBlack = 0x000000;
const COLORREF kWhite = 0xFFFFFF;

TEST(ViewPrimitives, PixelLinesAreRoundedAndClipped) {
    auto dev = Device::CreateImage(40, 20);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    const bool trace = draft2d::IsCallTraceAvailable();
    CGraphSystem v;
    v.DrawLinePx(nullptr, 0, 0, 10, 10); // detached, no DC: nothing
    v.SetWndSize(40, 20);
    v.Attach(dc, nullptr, 0);
    if (trace)
        dev->EnableTrace(true);
    v.DrawLinePx(nullptr, 2.4, 5.5, 20.6, 5.5);
    EXPECT_EQ(dev->GetPixel(1, 6), kWhite);
    EXPECT_EQ(dev->GetPixel(2, 6), kBlack);
    EXPECT_EQ(dev->GetPixel(20, 6), kBlack);
    EXPECT_EQ(dev->GetPixel(21, 6), kWhite); // GDI leaves the last pixel
    if (trace) {
        const std::vector<std::string> lines = dev->GetTrace();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], "MoveToEx(2,6)");
        EXPECT_EQ(lines[1], "LineTo(21,6)");
        dev->ClearTrace();
    }

    v.SetClipRect(mgRect(10, 0, 15, 19));
    v.DrawLinePx(dc, 0, 12, 39, 12);
    EXPECT_EQ(dev->GetPixel(9, 12), kWhite);
    EXPECT_EQ(dev->GetPixel(10, 12), kBlack);
    EXPECT_EQ(dev->GetPixel(14, 12), kBlack);
    EXPECT_EQ(dev->GetPixel(16, 12), kWhite);
    if (trace) {
        const std::vector<std::string> lines = dev->GetTrace();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], "MoveToEx(10,12)");
        EXPECT_EQ(lines[1], "LineTo(15,12)");
        dev->ClearTrace();
    }
    v.DrawLinePx(dc, 20, 1, 39, 1);          // wholly outside
    v.DrawLinePx(dc, std::nan(""), 1, 5, 1); // not finite
    v.DrawLinePx(dc, 12, 1, INFINITY, 1);
    if (trace) {
        EXPECT_TRUE(dev->GetTrace().empty());
    }
    EXPECT_EQ(dev->GetPixel(25, 1), kWhite);
    EXPECT_EQ(dev->GetPixel(12, 1), kWhite);
}

} // namespace
