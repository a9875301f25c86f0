// The call trace: the exact lines tests of the drawing code assert on.
#include "platform/devices.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using draft2d::Device;

namespace {

TEST(CallTrace, RecordsEachCallWithItsArgumentsInOrder) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "no call trace with the system's GDI";
    auto dev = Device::CreateImage(100, 80);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    MoveToEx(dc, 1, 1, nullptr); // before tracing: not recorded
    dev->EnableTrace(true);
    LOGBRUSH lb{BS_SOLID, 0x0000FF, 0};
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER, 3, &lb, 0, nullptr);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HBRUSH hatch = CreateHatchBrush(HS_CROSS, 0x00FF00);
    SelectObject(dc, hatch);
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, 0xFFFFFF);
    MoveToEx(dc, 10, 20, nullptr);
    LineTo(dc, 30, 40);
    const POINT pts[] = {{0, 0}, {10, 0}, {10, 10}};
    Polyline(dc, pts, 3);
    Rectangle(dc, 5, 6, 50, 60);
    AngleArc(dc, 40, 40, 20, 0.0f, 90.5f);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 100, 80);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    const RECT rc{0, 0, 100, 80};
    FillRect(mem, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    BitBlt(dc, 0, 0, 100, 80, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SetTextAlign(dc, TA_BASELINE | TA_CENTER);
    GetDeviceCaps(dc, LOGPIXELSX);
    SaveDC(dc);
    RestoreDC(dc, -1);
    dev->EnableTrace(false);
    LineTo(dc, 0, 0); // after tracing: not recorded

    const std::vector<std::string> expected = {
        "ExtCreatePen(PS_GEOMETRIC|PS_SOLID|PS_ENDCAP_FLAT|PS_JOIN_MITER,3,{BS_SOLID,0x0000ff,0}) -> pen#1",
        "SelectObject(pen#1)",
        "CreateHatchBrush(HS_CROSS,0x00ff00) -> brush#1",
        "SelectObject(brush#1)",
        "SetBkMode(TRANSPARENT)",
        "SetBkColor(0xffffff)",
        "MoveToEx(10,20)",
        "LineTo(30,40)",
        "Polyline((0,0),(10,0),(10,10))",
        "Rectangle(5,6,50,60)",
        "AngleArc(40,40,20,0,90.5)",
        "CreateCompatibleDC(dc#0) -> dc#1",
        "CreateCompatibleBitmap(100,80) -> bmp#1",
        "dc#1: SelectObject(bmp#1)",
        "GetStockObject(WHITE_BRUSH)",
        "dc#1: FillRect((0,0,100,80),WHITE_BRUSH)",
        "BitBlt(0,0,100,80,dc#1,0,0,SRCCOPY)",
        "dc#1: SelectObject(DEFAULT_BITMAP)",
        "DeleteObject(bmp#1)",
        "dc#1: DeleteDC()",
        "SelectObject(BLACK_PEN)",
        "DeleteObject(pen#1)",
        "SetTextAlign(TA_CENTER|TA_BASELINE)",
        "GetDeviceCaps(LOGPIXELSX)",
        "SaveDC()",
        "RestoreDC(-1)",
    };
    EXPECT_EQ(dev->GetTrace(), expected);
    std::string text;
    for (const auto& l : expected)
        text += l + "\n";
    EXPECT_EQ(dev->GetTraceText(), text);
    dev->ClearTrace();
    EXPECT_TRUE(dev->GetTrace().empty());
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(hatch);
}

TEST(CallTrace, BadHandlesAndFailedCreationsAreShownAsSuch) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "no call trace with the system's GDI";
    auto dev = Device::CreateImage(10, 10);
    ASSERT_TRUE(dev);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    DeleteObject(pen);
    dev->EnableTrace(true);
    SelectObject(dev->GetDC(), pen);
    SelectObject(dev->GetDC(), nullptr);
    CreateHatchBrush(17, 0);
    dev->EnableTrace(false);
    const std::vector<std::string> expected = {"SelectObject(BAD)", "SelectObject(NULL)",
                                               "CreateHatchBrush(17,0x000000) -> NULL"};
    EXPECT_EQ(dev->GetTrace(), expected);
}

} // namespace
