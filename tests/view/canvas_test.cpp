// CGraphCanvas: default objects, exact restoration, the pen style mapping and the ownership rule, asserted
// through the selected objects, the live-object counts and (where available) the trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/devices.h"
#include "linetype/CLineType.h"
#include "view/CGraphCanvas.h"
#include "view/CGraphSystem.h"

using draft2d::Device;
using draft2d::GdiObjectCounts;
using draft2d::GetGdiObjectCounts;

namespace {

const int kGeometricSolid = 0x12200;

int CountPrefix(const Device& dev, const std::string& prefix) {
    const std::vector<std::string> lines = dev.GetTrace();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.compare(0, prefix.size(), prefix) == 0;
    }));
}

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        dev = Device::CreateImage(32, 32);
        ASSERT_TRUE(dev);
        dc = dev->GetDC();
        before = GetGdiObjectCounts();
        depth = dev->GetSaveDepth();
    }
    void TearDown() override {
        const GdiObjectCounts now = GetGdiObjectCounts();
        EXPECT_EQ(now.pens, before.pens);
        EXPECT_EQ(now.brushes, before.brushes);
        EXPECT_EQ(now.fonts, before.fonts);
        EXPECT_EQ(dev->GetSaveDepth(), depth);
    }
    std::unique_ptr<Device> dev;
    HDC dc = nullptr;
    GdiObjectCounts before;
    int depth = 0;
};

TEST_F(CanvasTest, DefaultsFollowTheBackground) {
    SetBkColor(dc, 0x000000);
    {
        CGraphCanvas canvas(nullptr, dc, 1);
        EXPECT_TRUE(canvas.IsAttached());
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(WHITE_PEN));
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(NULL_BRUSH));
        EXPECT_EQ(dev->GetSaveDepth(), depth + 1);
        canvas.SetPenColor(0x0000FF);
        canvas.SetSolidBrush(0x00FF00);
    }
    // Back to the state saved right after the default selections.
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(WHITE_PEN));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(NULL_BRUSH));

    SetBkColor(dc, 0xFFFFFF);
    {
        CGraphCanvas canvas(nullptr, dc, 1);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(NULL_BRUSH));
        EXPECT_EQ(canvas.GetPenColor(), 0u);
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
}

TEST_F(CanvasTest, AttachNotChangeDcRestoresExactly) {
    HPEN pen = CreatePen(PS_SOLID, 2, 0x112233);
    HBRUSH brush = CreateSolidBrush(0x445566);
    LOGFONTA lf = {};
    lf.lfHeight = 12;
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldFont = SelectObject(dc, font);
    const GdiObjectCounts held = GetGdiObjectCounts();
    {
        CGraphCanvas canvas;
        canvas.AttachNotChangeDC(nullptr, dc);
        EXPECT_EQ(canvas.GetCurPen(), pen); // nothing selected by the attachment
        EXPECT_EQ(canvas.GetCurBrush(), brush);
        EXPECT_EQ(canvas.GetPenWidth(), 2);
        EXPECT_EQ(canvas.GetPenColor(), 0x112233u);
        EXPECT_EQ(canvas.GetBrushColor(), 0x445566u);
        EXPECT_EQ(canvas.GetBrushStyle(), BS_SOLID);
        EXPECT_EQ(canvas.SetPen(3, 0x0000FF, PS_SOLID), 1);
        EXPECT_EQ(canvas.SetPenColor(0x00FF00), 1);
        EXPECT_EQ(canvas.SetBrushColor(0x00FFFF), 1);
        canvas.SetNullBrush();
        canvas.SetFont(CreateFontIndirectA(&lf));
        canvas.SetFont(CreateFontIndirectA(&lf));
        canvas.Detach();
        EXPECT_FALSE(canvas.IsAttached());
        EXPECT_EQ(canvas.GetCurPen(), nullptr);
        canvas.Detach(); // detached: nothing
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    const GdiObjectCounts after = GetGdiObjectCounts();
    EXPECT_EQ(after.pens,
              held.pens); // the host's objects still live, the canvas's are gone
    EXPECT_EQ(after.brushes, held.brushes);
    EXPECT_EQ(after.fonts, held.fonts);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldFont);
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteObject(font);
}

TEST_F(CanvasTest, PenStylesMapToDashDotOrGeometricSolid) {
    CGraphCanvas canvas(nullptr, dc, 1);
    EXPECT_EQ(canvas.SetPenWidth(-3), 1);
    EXPECT_EQ(canvas.GetPenStyle(), kGeometricSolid);
    EXPECT_EQ(canvas.GetPenWidth(), 3);
    EXPECT_EQ(canvas.SetPenStyle(PS_DOT), 1); // cosmetic: one pixel, whatever the current width
    EXPECT_EQ(canvas.GetPenStyle(), PS_DOT);
    EXPECT_EQ(canvas.GetPenWidth(), 1);
    EXPECT_EQ(canvas.SetPenWidth(-3), 1);
    EXPECT_EQ(canvas.GetPenStyle(), PS_DOT);
    EXPECT_EQ(canvas.GetPenWidth(), 1);
    EXPECT_EQ(canvas.SetPenWidth(0), 1);
    EXPECT_EQ(canvas.GetPenWidth(), 1);
    EXPECT_EQ(canvas.SetPenStyle(PS_DASH), 1);
    EXPECT_EQ(canvas.GetPenStyle(), PS_DASH);
    EXPECT_EQ(canvas.SetPenStyle(3), 1); // PS_DASHDOT is not kept
    EXPECT_EQ(canvas.GetPenStyle(), kGeometricSolid);
    EXPECT_EQ(canvas.SetPenStyle(PS_DASH), 1);
    EXPECT_EQ(canvas.SetPenStyle(PS_SOLID), 1);
    EXPECT_EQ(canvas.GetPenStyle(), kGeometricSolid);
    EXPECT_EQ(canvas.SetPen(-4, 0x0000FF, PS_NULL), 1);
    EXPECT_EQ(canvas.GetPenStyle(), kGeometricSolid);
    EXPECT_EQ(canvas.GetPenWidth(), 4);
    EXPECT_EQ(canvas.GetPenColor(), 0x0000FFu);
}

TEST_F(CanvasTest, DashedPensOnAFreshCanvas) {
    CGraphCanvas canvas(nullptr, dc, 1); // the stock pen has width 0
    EXPECT_EQ(canvas.SetPenStyle(PS_DASH), 1);
    EXPECT_EQ(canvas.GetPenStyle(), PS_DASH);
    EXPECT_EQ(canvas.GetPenWidth(), 1);
    EXPECT_EQ(canvas.SetPen(-5, 0x0000FF, PS_DOT), 1);
    EXPECT_EQ(canvas.GetPenStyle(), PS_DOT);
    EXPECT_EQ(canvas.GetPenColor(), 0x0000FFu);
}

TEST_F(CanvasTest, NullPenBecomesSolidWhenWidthOrColourIsSet) {
    CGraphCanvas canvas(nullptr, dc, 1);
    canvas.SetPen(static_cast<HPEN>(GetStockObject(NULL_PEN)));
    EXPECT_EQ(canvas.GetPenStyle(), PS_NULL);
    EXPECT_EQ(canvas.SetPenColor(0),
              1); // same colour, but a null pen is replaced
    EXPECT_EQ(canvas.GetPenStyle(), kGeometricSolid);
    canvas.SetPen(static_cast<HPEN>(GetStockObject(NULL_PEN)));
    EXPECT_EQ(canvas.SetPenWidth(1), 1);
    EXPECT_EQ(canvas.GetPenStyle(), kGeometricSolid);
    EXPECT_EQ(canvas.GetPenWidth(), 1);
}

TEST_F(CanvasTest, EqualPenRequestsCreateOnePen) {
    const bool trace = draft2d::IsCallTraceAvailable();
    if (trace)
        dev->EnableTrace(true);
    CGraphCanvas canvas(nullptr, dc, 1);
    EXPECT_EQ(canvas.SetPenColor(0x0000FF), 1);
    HPEN first = canvas.GetCurPen();
    EXPECT_EQ(canvas.SetPenColor(0x0000FF), 1);
    EXPECT_EQ(canvas.GetCurPen(), first);
    EXPECT_EQ(canvas.SetPenWidth(-5), 1);
    EXPECT_EQ(canvas.SetPenWidth(-5), 1);
    EXPECT_EQ(canvas.SetPen(-5, 0x0000FF, kGeometricSolid), 1); // all three equal
    EXPECT_EQ(GetGdiObjectCounts().pens, before.pens + 1);
    if (trace) {
        EXPECT_EQ(CountPrefix(*dev, "ExtCreatePen"), 2);
        EXPECT_EQ(CountPrefix(*dev, "DeleteObject(pen#1)"), 1);
        EXPECT_EQ(CountPrefix(*dev, "DeleteObject(BLACK_PEN"), 0);
        const std::vector<std::string> lines = dev->GetTrace();
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(std::find(lines.begin(), lines.end(),
                            "ExtCreatePen(PS_GEOMETRIC|PS_SOLID|PS_ENDCAP_FLAT|PS_"
                            "JOIN_MITER,0,{BS_SOLID,0x0000ff,0})"
                            " -> pen#1"),
                  lines.end());
    }
}

TEST_F(CanvasTest, HandedObjectsAreDeletedOnReplacementAndDetach) {
    HPEN hostPen = CreatePen(PS_SOLID, 1, 0x010203);
    HGDIOBJ stockPen = SelectObject(dc, hostPen);
    {
        CGraphCanvas canvas;
        canvas.AttachNotChangeDC(nullptr, dc);
        canvas.SetPen(CreatePen(PS_SOLID, 1, 0x111111));
        EXPECT_EQ(GetGdiObjectCounts().pens, before.pens + 2);
        canvas.SetPen(CreatePen(PS_SOLID, 1, 0x222222)); // the first handed pen is deleted
        EXPECT_EQ(GetGdiObjectCounts().pens, before.pens + 2);
        EXPECT_EQ(canvas.GetPenColor(), 0x222222u);
        canvas.SetPen(canvas.GetCurPen()); // the selected pen again: nothing is deleted
        EXPECT_EQ(canvas.GetPenColor(), 0x222222u);
        canvas.SetPen(static_cast<HPEN>(nullptr));
        canvas.SetBrush(CreateSolidBrush(0x333333));
        canvas.SetBrush(static_cast<HBRUSH>(nullptr));
        EXPECT_EQ(canvas.GetBrushColor(), 0x333333u);
        EXPECT_EQ(GetGdiObjectCounts().brushes, before.brushes + 1);
    }
    // The last handed pen and brush went with the canvas; the host's pen is back and alive.
    EXPECT_EQ(GetGdiObjectCounts().pens, before.pens + 1);
    EXPECT_EQ(GetGdiObjectCounts().brushes, before.brushes);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), hostPen);
    SelectObject(dc, stockPen);
    DeleteObject(hostPen);
}

TEST_F(CanvasTest, BrushColourKeepsStyleAndHatch) {
    CGraphCanvas canvas(nullptr, dc, 0);
    canvas.SetBrush(CreateHatchBrush(HS_CROSS, 0x0000FF));
    EXPECT_EQ(canvas.SetBrushColor(0x0000FF), 1); // already that colour
    EXPECT_EQ(canvas.SetBrushColor(0x00FF00), 1);
    LOGBRUSH lb = {};
    GetObjectA(canvas.GetCurBrush(), sizeof(lb), &lb);
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_HATCHED));
    EXPECT_EQ(lb.lbHatch, static_cast<ULONG_PTR>(HS_CROSS));
    EXPECT_EQ(lb.lbColor, 0x00FF00u);
    EXPECT_EQ(canvas.SetSolidBrush(0xFF0000), 1);
    EXPECT_EQ(canvas.GetBrushStyle(), BS_SOLID);
    EXPECT_EQ(GetGdiObjectCounts().brushes, before.brushes + 1);
}

TEST_F(CanvasTest, ViewWidthsColoursAndLineTypeAreRestored) {
    CGraphSystem view;
    view.SetWndSize(32, 32);
    view.Attach(dc, nullptr, 0);
    view.SetBkColor(0xFFFFFF, 0xFFFFFFFF);
    view.SetLineType("\xd0\xe9\xcf\xdf", 2.5); // 虚线
    {
        CGraphCanvas canvas(&view, nullptr, 1); // the view's draw DC
        EXPECT_EQ(canvas.GetHDC(), dc);
        EXPECT_EQ(canvas.SetPen(100, 0xFFFFFF, PS_SOLID),
                  1); // 1 mm, white on white
        EXPECT_EQ(canvas.GetPenWidth(), view.CalcLineWidth(100));
        EXPECT_EQ(canvas.GetPenColor(), 0u);
        EXPECT_EQ(canvas.SetPenWidth(-50), 1);
        EXPECT_EQ(canvas.GetPenWidth(), 30); // the display's cap
        view.SetLineType(nullptr, 1.0);
        view.SetLineType("\xb5\xe3\xcf\xdf", 7.0); // 点线
    }
    ASSERT_NE(view.GetLineType(), nullptr);
    EXPECT_STREQ(view.GetLineType(), "\xd0\xe9\xcf\xdf");
    EXPECT_DOUBLE_EQ(view.GetLineScale(), 2.5);

    view.SetLineType(nullptr, 1.0);
    {
        CGraphCanvas canvas(&view, dc, 0);
        view.SetLineType("\xd0\xe9\xcf\xdf", 3.0);
    }
    EXPECT_EQ(view.GetLineType(), nullptr); // none at attachment: none again
}

TEST_F(CanvasTest, NoDeviceMeansDetached) {
    CGraphSystem view; // not attached: no draw DC
    CGraphCanvas canvas(&view, nullptr, 1);
    EXPECT_FALSE(canvas.IsAttached());
    EXPECT_EQ(canvas.SetPenColor(0x0000FF), 0);
    EXPECT_EQ(canvas.SetSolidBrush(0x0000FF), 0);
    EXPECT_EQ(canvas.GetCurPen(), nullptr);
    EXPECT_EQ(canvas.GetPenWidth(), 0);
    CGraphCanvas none;
    EXPECT_FALSE(none.IsAttached());
}

// A copy takes the original's attachment as it is and opens no scope of its own: no GDI call, no
// second saved level. The first of the two released ends the scope for both: the DC, its objects and
// the view's line type are back as they were at attachment, and releasing the other changes nothing.
TEST_F(CanvasTest, CopiesShareTheOriginalsScope) {
    CGraphSystem view;
    view.SetWndSize(32, 32);
    view.Attach(dc, nullptr, 0);
    view.SetLineType("2", 2.0);
    HPEN host = CreatePen(PS_SOLID, 1, 0x123456);
    HGDIOBJ old = SelectObject(dc, host);
    const bool trace = draft2d::IsCallTraceAvailable();
    {
        CGraphCanvas outer(&view, nullptr, 0); // the host's pen and brush are remembered and saved
        outer.SetPenColor(0x0000FF);
        dev->EnableTrace(trace);
        {
            CGraphCanvas copy(outer);
            if (trace) {
                EXPECT_TRUE(dev->GetTrace().empty());
            }
            EXPECT_EQ(dev->GetSaveDepth(), depth + 1);
            EXPECT_EQ(copy.GetHDC(), dc);
            EXPECT_EQ(copy.GetCurPen(), outer.GetCurPen());
            copy.SetPenWidth(-2); // replaces (and deletes) the red pen the original selected
            view.SetLineType("3", 1.0);
            CGraphCanvas assigned(nullptr, dc, 0); // its own scope ends on assignment
            EXPECT_EQ(dev->GetSaveDepth(), depth + 2);
            assigned = copy;
            EXPECT_EQ(dev->GetSaveDepth(), depth + 1);
            EXPECT_EQ(assigned.GetCurPen(), copy.GetCurPen());
        }
        // The assigned canvas, then the copy, ended the scope.
        EXPECT_EQ(dev->GetSaveDepth(), depth);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), host);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
        EXPECT_STREQ(view.GetLineType(), CLineTypes::StdLineTypeName(2));
        EXPECT_EQ(view.GetLineScale(), 2.0);
        EXPECT_EQ(GetGdiObjectCounts().pens, before.pens + 1); // the host's pen only
        dev->ClearTrace();
    }
    // Releasing the original afterwards restores nothing that is not already so.
    EXPECT_EQ(dev->GetSaveDepth(), depth);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), host);
    EXPECT_STREQ(view.GetLineType(), CLineTypes::StdLineTypeName(2));
    EXPECT_EQ(GetGdiObjectCounts().pens, before.pens + 1);
    if (trace) {
        for (const std::string& l : dev->GetTrace()) {
            EXPECT_EQ(l.rfind("SelectObject", 0), std::string::npos) << l;
            EXPECT_EQ(l.rfind("DeleteObject", 0), std::string::npos) << l;
        }
    }
    SelectObject(dc, old);
    DeleteObject(host);
    view.Detach();
}

} // namespace

namespace {

// A canvas with defaults, call by call: the stock pen and null brush are selected before the DC is
// saved; equal pen requests make one pen; everything the canvas selected is deleted before the DC is
// restored. (The replaced null brush is a stock object, whose deletion GDI ignores.)
TEST_F(CanvasTest, CallSequenceWithDefaults) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "needs the call trace";
    dev->EnableTrace(true);
    {
        CGraphCanvas canvas(nullptr, dc, 1);
        canvas.SetPenColor(0x0000FF);
        canvas.SetPenColor(0x0000FF);
        canvas.SetSolidBrush(0x00FF00);
    }
    const std::string ext = std::to_string(sizeof(EXTLOGPEN));
    const std::vector<std::string> expected = {
        "GetBkColor()",
        "GetStockObject(BLACK_PEN)",
        "SelectObject(BLACK_PEN)",
        "GetStockObject(NULL_BRUSH)",
        "SelectObject(NULL_BRUSH)",
        "GetCurrentObject(OBJ_FONT)",
        "SaveDC()",
        "GetCurrentObject(OBJ_PEN)",
        "GetObjectA(BLACK_PEN," + ext + ")",
        "ExtCreatePen(PS_GEOMETRIC|PS_SOLID|PS_ENDCAP_FLAT|PS_JOIN_MITER,0,{BS_SOLID,0x0000ff,0}) -> pen#1",
        "SelectObject(pen#1)",
        "GetCurrentObject(OBJ_PEN)",
        "GetObjectA(pen#1," + ext + ")",
        "CreateSolidBrush(0x00ff00) -> brush#1",
        "SelectObject(brush#1)",
        "DeleteObject(NULL_BRUSH)",
        "GetCurrentObject(OBJ_PEN)",
        "SelectObject(BLACK_PEN)",
        "DeleteObject(pen#1)",
        "GetCurrentObject(OBJ_BRUSH)",
        "SelectObject(WHITE_BRUSH)",
        "DeleteObject(brush#1)",
        "GetCurrentObject(OBJ_FONT)",
        "RestoreDC(1)",
    };
    EXPECT_EQ(dev->GetTrace(), expected);
}

} // namespace
