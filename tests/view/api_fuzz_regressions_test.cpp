// Faults the drawing-interface fuzzer (fuzz/view_api_fuzz.cpp) found in the view, each pinned by the
// smallest host program that showed it.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/devices.h"
#include "linetype/CLineType.h"
#include "view/CGraphCanvas.h"
#include "view/CGraphSys3D.h"
#include "view/CGraphSystem.h"

using draft2d::Device;

namespace {

void CountCalls(void* data, CGraphSystem*) {
    ++*static_cast<int*>(data);
}

// Client coordinates are ints the host passes as they come: a drag between the ends of the int range
// is 2^32 - 1 pixels long, not 1 (which a difference taken in int made of it, besides being undefined).
TEST(ApiFuzzRegressions, DragsAcrossTheIntRangeMeasureTheirTrueLength) {
    CGraphSystem v;
    int calls = 0;
    v.SetWndSize(800, 600);
    v.SetRegenFunc(CountCalls, &calls);
    const double pixelsPerMm = v.GetMmPixelsX();

    v.SetCmd(CGraphSystem::ZOOM_PAN);
    v.OnLButtonDown(INT_MAX, 0);
    EXPECT_EQ(v.OnMouseMove(INT_MIN, 0), 1); // far beyond the click distance: a pan
    EXPECT_EQ(calls, 1);
    EXPECT_DOUBLE_EQ(v.GetViewX(), 4294967295.0 / pixelsPerMm);
    EXPECT_EQ(v.OnLButtonUp(INT_MIN, 0), 1);
    EXPECT_DOUBLE_EQ(v.GetViewX(), 4294967295.0 / pixelsPerMm);

    // Dynamic zoom: dragging up from the bottom of the range to its top zooms in to the limit.
    v.Zoom(1.0, 0.0, 0.0);
    v.SetCmd(CGraphSystem::ZOOM_DYNAMIC);
    v.OnLButtonDown(10, INT_MAX);
    EXPECT_EQ(v.OnMouseMove(10, INT_MIN), 1);
    EXPECT_EQ(v.GetViewScale(), CGraphSystem::MAX_VIEW_SCALE);

    // A click in ZOOM_IN is a click only when the button comes up near where it went down.
    v.Zoom(1.0, 0.0, 0.0);
    v.SetCmd(CGraphSystem::ZOOM_IN);
    v.OnLButtonDown(INT_MIN, 300);
    EXPECT_EQ(v.OnLButtonUp(INT_MAX, 300), 0); // a rubber band the fit refuses, not a click
    EXPECT_EQ(v.GetViewScale(), 1.0);
}

// The feedback of a drag that went down far outside the window stays far outside: the cross of
// the pan command around a point at the end of the int range neither wraps across the window nor
// leaves the device coordinates that GDI can take.
TEST(ApiFuzzRegressions, FeedbackOfADragAtTheEndOfTheIntRangeStaysOffTheWindow) {
    auto dev = Device::CreateImage(64, 48);
    ASSERT_TRUE(dev);
    CGraphSystem v;
    v.SetWndSize(64, 48);
    v.Attach(dev->GetDC(), nullptr, 0);
    v.SetBkColor(0xFFFFFF, 0xFFFFFF);
    dev->Clear(0xFFFFFF);
    const bool traced = draft2d::IsCallTraceAvailable();
    dev->EnableTrace(traced);

    v.SetCmd(CGraphSystem::ZOOM_PAN);
    v.OnLButtonDown(INT_MAX, 20);
    v.OnDraw();
    v.SetCmd(CGraphSystem::ZOOM_WINDOW);
    v.OnLButtonDown(INT_MIN, 30);
    v.OnMouseMove(30, 30);
    v.OnDraw();

    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(dev->GetPixel(x, 20), 0xFFFFFFu) << x;
    if (traced) {
        const std::vector<std::string> lines = dev->GetTrace();
        auto has = [&](const std::string& call) {
            for (const std::string& line : lines) {
                if (line == call)
                    return true;
            }
            return false;
        };
        EXPECT_TRUE(has("MoveToEx(67108856,20)"));
        EXPECT_TRUE(has("LineTo(67108872,20)"));
        EXPECT_TRUE(has("Rectangle(-67108864,30,30,30)"));
    }
    v.Detach();
}

// Zooming about a screen point keeps the user point under it in place, also for a point at the end
// of the int range (the flip against the window height overflowed int there).
TEST(ApiFuzzRegressions, ZoomAboutAPointAtTheEndOfTheIntRangeKeepsItInPlace) {
    CGraphSystem v;
    v.SetWndSize(800, 600);
    for (POINT p : {POINT{100, INT_MIN}, POINT{INT_MAX, INT_MAX}, POINT{INT_MIN, 300}}) {
        mgPoint before, after;
        v.ScreenToUser(&p, before);
        ASSERT_EQ(v.ZoomTo(p, 2.0 * v.GetViewScale()), 1);
        v.ScreenToUser(&p, after);
        EXPECT_NEAR(after.x(), before.x(), 1e-9 * std::fabs(before.x()));
        EXPECT_NEAR(after.y(), before.y(), 1e-9 * std::fabs(before.y()));
    }
}

// A view keeps a pointer to the line type it selected. When the registry drops that line type and
// a new one of another name happens to be made at the same address, the view once took the new one
// for its own: it drew, and named, a line type the host never selected. A dropped line type reads
// and draws as the solid line, whatever lives at its address later.
TEST(ApiFuzzRegressions, ALineTypeMadeWhereADroppedOneWasIsNotTheViewsLineType) {
    struct Registry : CLineTypes {
        Registry() : CLineTypes(0) {}
    } types;
    types.AddItemDef("4-1", "Dashed");
    auto dev = Device::CreateImage(64, 16);
    ASSERT_TRUE(dev);
    dev->Clear(0xFFFFFF);
    CGraphSystem v(&types);
    v.SetWndSize(64, 16);
    v.Attach(dev->GetDC(), nullptr, 0);
    v.SetMmPixels(1.0, 1.0);
    v.SetLineType("Dashed", 1.0);
    ASSERT_STREQ(v.GetLineType(), "Dashed");
    CLineType* dropped = types.Find("Dashed");
    types.DeleteItem(dropped);
    EXPECT_STREQ(v.GetLineType(), ""); // dropped: the solid line
    // Make line types until the allocator hands out the dropped one's address again.
    std::vector<std::unique_ptr<CLineType>> made;
    CLineType* same = nullptr;
    for (int i = 0; i < 64 && same == nullptr; ++i) {
        std::unique_ptr<CLineType> lt(new CLineType);
        lt->SetLineTypeDef("8-2", ("Other" + std::to_string(i)).c_str());
        if (lt.get() == dropped)
            same = lt.release();
        else
            made.push_back(std::move(lt));
    }
    made.clear();
    if (same == nullptr) {
        v.Detach();
        GTEST_SKIP() << "the allocator did not give the address again";
    }
    ASSERT_EQ(types.AddItem(same), 1);
    EXPECT_STREQ(v.GetLineType(), "");
    v.DrawLine(2.0, 8.0, 60.0, 8.0, CGraphSystem::COORD_SCREEN);
    int gaps = 0;
    for (int x = 2; x < 60; ++x)
        gaps += dev->GetPixel(x, 8) == 0xFFFFFFu;
    EXPECT_EQ(gaps, 0); // solid, not dashes of 8 with gaps of 2
    v.Detach();
}

// The rotate drag of the 3-D view turns one degree per pixel moved, also between the ends of the
// int range (2^32 - 1 degrees, not the -1 degree of a difference taken in int).
TEST(ApiFuzzRegressions, RotateDragAcrossTheIntRangeTurnsByItsTrueLength) {
    CGraphSys3D v;
    v.SetWndSize(800, 600);
    v.SetCmd(CGraphSys3D::ZOOM_ROTATE);
    const double h0 = v.angleH, v0 = v.angleV;
    const double degree = 0.017453292519943295;
    v.OnLButtonDown(INT_MAX, INT_MIN);
    EXPECT_EQ(v.OnMouseMove(INT_MIN, INT_MAX), 1);
    EXPECT_DOUBLE_EQ(v.angleH, std::fmod(h0 + 4294967295.0 * degree, 6.283185307179586));
    EXPECT_DOUBLE_EQ(v.angleV, std::fmod(v0 - 4294967295.0 * degree, 6.283185307179586));
}

// A sheet rectangle the host gives DrawPaper may end at the end of the int range: its frame and
// shadow are drawn around it without wrapping to the other end (undefined behaviour besides).
TEST(ApiFuzzRegressions, PaperFrameOfARectangleToTheEndOfTheIntRangeStaysAroundIt) {
    auto dev = Device::CreateImage(64, 48);
    ASSERT_TRUE(dev);
    CGraphSystem v;
    v.SetWndSize(64, 48);
    v.Attach(dev->GetDC(), nullptr, 0);
    dev->Clear(0x00FF00);
    const bool traced = draft2d::IsCallTraceAvailable();
    dev->EnableTrace(traced);
    const RECT sheet = {10, 12, INT_MAX, INT_MAX};
    v.DrawPaper(&sheet);
    // The frame one pixel outside the sheet in the contrast colour (black), white inside.
    EXPECT_EQ(dev->GetPixel(9, 30), 0x000000u);
    EXPECT_EQ(dev->GetPixel(30, 11), 0x000000u);
    EXPECT_EQ(dev->GetPixel(30, 30), 0xFFFFFFu);
    EXPECT_EQ(dev->GetPixel(5, 30), 0x00FF00u);
    EXPECT_EQ(dev->GetPixel(30, 5), 0x00FF00u);
    if (traced) {
        const std::vector<std::string> lines = dev->GetTrace();
        const std::string frame = "Rectangle(9,11,67108865,67108865)";
        EXPECT_NE(std::find(lines.begin(), lines.end(), frame), lines.end()) << dev->GetTraceText();
    }
    v.Detach();
}

// A pen, brush or font handed to a canvas is the canvas's to delete; a canvas that has no DC (on a
// view that is not attached) cannot select it and deletes it at once instead of leaking it.
TEST(ApiFuzzRegressions, ObjectsHandedToADetachedCanvasAreNotLeaked) {
    CGraphSystem view; // not attached
    const draft2d::GdiObjectCounts before = draft2d::GetGdiObjectCounts();
    {
        CGraphCanvas canvas(&view, nullptr, 1);
        ASSERT_FALSE(canvas.IsAttached());
        LOGBRUSH lb = {BS_SOLID, 0x0000FF, 0};
        canvas.SetPen(::ExtCreatePen(PS_GEOMETRIC | PS_SOLID, 3, &lb, 0, nullptr));
        canvas.SetBrush(::CreateHatchBrush(HS_CROSS, 0x00FF00));
        LOGFONTA lf = {};
        lf.lfHeight = 12;
        canvas.SetFont(::CreateFontIndirectA(&lf));
        canvas.SetPen(static_cast<HPEN>(::GetStockObject(NULL_PEN))); // stock: nothing to delete
    }
    const draft2d::GdiObjectCounts after = draft2d::GetGdiObjectCounts();
    EXPECT_EQ(after.pens, before.pens);
    EXPECT_EQ(after.brushes, before.brushes);
    EXPECT_EQ(after.fonts, before.fonts);
}

// A host's canvas owns the pen and brush it selected. A library call inside its scope that makes a
// canvas with defaults (the grid, the paper, the command feedback) restores a DC state that holds
// the stock pen and brush instead; the host's canvas must still delete its own when it ends, not
// leak them.
TEST(ApiFuzzRegressions, ObjectsOfACanvasOutlastingANestedCanvasWithDefaultsAreDeleted) {
    auto dev = Device::CreateImage(64, 48);
    ASSERT_TRUE(dev);
    CGraphSystem v;
    v.SetWndSize(64, 48);
    v.Attach(dev->GetDC(), nullptr, 0);
    const draft2d::GdiObjectCounts before = draft2d::GetGdiObjectCounts();
    for (int setDefaults = 0; setDefaults < 2; ++setDefaults) {
        CGraphCanvas canvas(&v, nullptr, setDefaults);
        canvas.SetPen(0, 0x0000FF, PS_SOLID);
        canvas.SetSolidBrush(0x00FF00);
        v.DrawGrid(0x000000, 0x000000, 0); // with a canvas of its own
        v.DrawPaper(nullptr);
        canvas.SetPen(-2, 0xFF0000, PS_SOLID); // and one more pen after them
    }
    const draft2d::GdiObjectCounts after = draft2d::GetGdiObjectCounts();
    EXPECT_EQ(after.pens, before.pens);
    EXPECT_EQ(after.brushes, before.brushes);
    EXPECT_EQ(dev->GetSaveDepth(), 0);
    v.Detach();
}

// A grid whose area misses the window has nothing to show. The first grid line was once measured
// from the empty rectangle's corner: with a grid origin far away, rounding put it anywhere, and a
// grid of some area far off was drawn over the window (or its line count overflowed int).
TEST(ApiFuzzRegressions, GridOfAnAreaThatMissesTheWindowShowsNothing) {
    struct GridView : CGraphSystem {
        using CGraphSystem::GetGridValues;
    } v;
    v.SetWndSize(200, 200);
    v.SetMmPixels(1.0, 1.0);
    v.SetGridType(2);
    int shown = 0;
    for (int e = 15; e <= 21; ++e) {
        for (int i = 0; i < 900; ++i) {
            const double origin = (1.0 + i * 0.01) * std::pow(10.0, e); // 6.39e21 once misled it
            v.SetGrid(10.0, 10.0, origin, origin, mgRect(5000, 5000, 6000, 6000));
            double dx, dy, x0, y0;
            long nx, ny;
            shown += v.GetGridValues(dx, dy, x0, y0, nx, ny);
        }
    }
    EXPECT_EQ(shown, 0);
}

// The grid and the layout divisions visit only what the device shows: a window the host sizes far
// beyond its device (any size is taken) once made DrawGrid and DrawPaper2 loop over every grid point
// and division of the whole window (at 2^26 pixels a side, ~10^14 dots). The device shows the same
// pixels as with a window of its own size, mapped alike.
TEST(ApiFuzzRegressions, GridAndLayoutOfAWindowFarLargerThanTheDeviceDrawOnlyWhatTheDeviceShows) {
    const bool traced = draft2d::IsCallTraceAvailable();
    // 0, 1: grid dots and lines; 2: a layout of 1000 x 1000 sheets of 10 x 10 mm.
    auto draw = [&](int window, int what, std::vector<uint32_t>& pixels, int& calls) {
        auto dev = Device::CreateImage(64, 48);
        ASSERT_TRUE(dev);
        dev->Clear(0xFFFFFF);
        CGraphSystem v;
        v.SetWndSize(window, window);
        v.Attach(dev->GetDC(), nullptr, 0);
        v.SetMmPixels(1.0, 1.0);
        v.Zoom(1.0, 0.0, 48.0 - window); // the device shows user (0, 0) .. (64, 48) either way
        v.SetGrid(5.0, 5.0, 0.0, 0.0, mgRect());
        v.SetPaper(10.0, 10.0);
        dev->EnableTrace(traced);
        if (what < 2)
            v.DrawGrid(0x0000FF, 0x0000FF, what);
        else
            v.DrawPaper2(1000, 1000, 0.0, 0.0, 0.0, 0.0);
        calls = 0;
        for (const std::string& line : dev->GetTrace())
            calls += line.rfind("SetPixel(", 0) == 0 || line.rfind("LineTo(", 0) == 0;
        pixels.assign(dev->GetPixels(), dev->GetPixels() + 64 * 48);
        v.Detach();
    };
    for (int what = 0; what < 3; ++what) {
        std::vector<uint32_t> small, large;
        int smallCalls = 0, largeCalls = 0;
        draw(64, what, small, smallCalls);
        draw(4096, what, large, largeCalls);
        EXPECT_EQ(small, large) << "call " << what;
        if (traced) {
            EXPECT_GT(smallCalls, 0);
            EXPECT_LE(largeCalls, smallCalls + (what == 0 ? 40 : 4)) << "call " << what;
        }
    }
}

} // namespace
