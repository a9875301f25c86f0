// Faults the drawing-interface fuzzer (fuzz/view_api_fuzz.cpp) found in patterned lines, each pinned
// by the smallest host program that showed it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "io/CStringSplit.h"
#include "linetype/CLineType.h"
#include "platform/devices.h"
#include "view/CGraphSystem.h"

using draft2d::Device;

namespace {

struct Registry : CLineTypes {
    Registry() : CLineTypes(0) {}
};

// Dashes of 3 pixels with a circle in every gap, a period of 6 pixels at 1 pixel per millimetre.
CLineType* DashesAndRings() {
    auto* lt = new CLineType;
    lt->SetLineTypeDef("3-3", "Rings");
    CStringSplit fields;
    fields.SplitString("4.5,0,1", -1, true);
    lt->AddItemDataOfLineType('C', fields);
    return lt;
}

struct Drawing {
    std::vector<uint32_t> pixels; // of the 64 x 48 window at (left, 0) of the device
    int ellipses = 0;
};

// The path, moved right by shift pixels, on a device of the given width at 1 pixel per millimetre.
Drawing Draw(int deviceWidth, double shift) {
    Registry types;
    types.AddItem(DashesAndRings());
    auto dev = Device::CreateImage(deviceWidth, 48);
    dev->Clear(0xFFFFFF);
    CGraphSystem view(&types);
    view.SetWndSize(deviceWidth, 48);
    view.Attach(dev->GetDC(), nullptr, 0);
    view.SetMmPixels(1.0, 1.0);
    dev->EnableTrace(draft2d::IsCallTraceAvailable());
    view.SetLineType("Rings", 1.0);
    // Far to the left of the window and back: 6000 + 20 + 3060 pixels, 1513.3 periods, the last
    // segment crossing the window.
    std::vector<mgPoint> pts = {{-9000, 10}, {-3000, 10}, {-3000, 30}, {60, 30}};
    for (mgPoint& p : pts)
        p.set(p.x() + shift, p.y());
    view.DrawPolyline(int(pts.size()), pts.data(), 0, CGraphSystem::COORD_SCREEN);
    Drawing d;
    for (const std::string& line : dev->GetTrace())
        d.ellipses += line.rfind("Ellipse(", 0) == 0;
    const int left = static_cast<int>(shift);
    for (int y = 0; y < 48; ++y)
        for (int x = left; x < left + 64; ++x)
            d.pixels.push_back(dev->GetPixel(x, y));
    view.Detach();
    return d;
}

// A patterned path that runs far off the device draws the items of the pieces the device shows
// only: walking the rest (to keep the pattern's phase) no longer draws thousands of circles and
// symbols nobody sees, which made a long off-screen path take seconds. What the device shows is
// what it showed before, the phase included.
TEST(ApiFuzzRegressions, PatternOfAPathFarOffTheDeviceDrawsOnlyTheShownPieces) {
    const Drawing shown = Draw(64, 0.0);
    const Drawing whole = Draw(12200, 12100.0); // the same path on a device that shows all of it
    EXPECT_EQ(shown.pixels, whole.pixels);
    if (draft2d::IsCallTraceAvailable()) {
        EXPECT_GE(whole.ellipses, 1513);
        EXPECT_GT(shown.ellipses, 5);
        EXPECT_LE(shown.ellipses, 14); // 64 pixels of the last segment, and a ring's reach
    }
}

} // namespace
