// GDI objects: live counts, ownership rules, bad handles and the records GetObjectA reports.
#include "platform/devices.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

using draft2d::Device;
using draft2d::GetGdiObjectCounts;

namespace {

TEST(GdiObjects, EveryObjectCreatedAndDeletedReturnsTheCountsToZero) {
    auto dev = Device::CreateImage(50, 50);
    ASSERT_TRUE(dev);
    const auto before = GetGdiObjectCounts();
    LOGBRUSH lb{BS_HATCHED, 0xFF, HS_CROSS};
    LOGFONTA lf{};
    lf.lfHeight = -12;
    std::strcpy(lf.lfFaceName, "Arial");
    HPEN p1 = CreatePen(PS_DASH, 1, 0);
    HPEN p2 = ExtCreatePen(PS_GEOMETRIC | PS_SOLID, 4, &lb, 0, nullptr);
    HBRUSH b1 = CreateSolidBrush(0x00FF00);
    HBRUSH b2 = CreateHatchBrush(HS_BDIAGONAL, 0);
    HBRUSH b3 = CreateBrushIndirect(&lb);
    HFONT f1 = CreateFontIndirectA(&lf);
    HDC mem = CreateCompatibleDC(dev->GetDC());
    HBITMAP bmp = CreateCompatibleBitmap(dev->GetDC(), 10, 10);
    HDC screen = GetDC(nullptr);
    auto during = GetGdiObjectCounts();
    EXPECT_EQ(during.pens - before.pens, 2);
    EXPECT_EQ(during.brushes - before.brushes, 3);
    EXPECT_EQ(during.fonts - before.fonts, 1);
    EXPECT_EQ(during.bitmaps - before.bitmaps, 1);
    // Our layer makes a new DC for every GetDC of the screen. The system's USER hands out a DC from
    // its cache, which already exists (and is part of the baseline), so only the memory DC is new.
    EXPECT_EQ(during.dcs - before.dcs, draft2d::IsCallTraceAvailable() ? 2 : 1);

    // Stock objects are not counted and never freed.
    HGDIOBJ stock = GetStockObject(BLACK_PEN);
    EXPECT_TRUE(DeleteObject(stock));
    LOGPEN lp{};
    EXPECT_EQ(GetObjectA(stock, sizeof lp, &lp), static_cast<int>(sizeof lp));
    EXPECT_EQ(GetGdiObjectCounts().total(), during.total());

    HGDIOBJ old = SelectObject(mem, bmp);
    SelectObject(mem, p2);
    SelectObject(mem, b2);
    SelectObject(mem, f1);
    // Selected objects cannot be deleted, wherever they are selected. (Windows reports success and
    // delays the deletion instead; the trace marks our own GDI.)
    if (draft2d::IsCallTraceAvailable()) {
        EXPECT_FALSE(DeleteObject(bmp));
        EXPECT_FALSE(DeleteObject(p2));
        EXPECT_FALSE(DeleteObject(b2));
        EXPECT_FALSE(DeleteObject(f1));
    }
    // A bitmap lives in one DC at a time.
    HDC mem2 = CreateCompatibleDC(dev->GetDC());
    EXPECT_EQ(SelectObject(mem2, bmp), nullptr);
    EXPECT_TRUE(DeleteDC(mem2));
    SelectObject(mem, old);
    // Deleting the DC releases its selections.
    EXPECT_TRUE(DeleteDC(mem));
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(p1), static_cast<HGDIOBJ>(p2), static_cast<HGDIOBJ>(b1),
                      static_cast<HGDIOBJ>(b2), static_cast<HGDIOBJ>(b3), static_cast<HGDIOBJ>(f1),
                      static_cast<HGDIOBJ>(bmp)})
        EXPECT_TRUE(DeleteObject(o));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    const auto after = GetGdiObjectCounts();
    EXPECT_EQ(after.total(), before.total());
    EXPECT_EQ(after.pens, before.pens);
    EXPECT_EQ(after.dcs, before.dcs);
}

TEST(GdiObjects, BadHandlesGiveTheWin32FailureResults) {
    auto dev = Device::CreateImage(20, 20);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    ASSERT_TRUE(DeleteObject(pen)); // pen is now a dangling handle
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_EQ(SelectObject(dc, pen), nullptr);
    EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
    EXPECT_EQ(SelectObject(nullptr, GetStockObject(BLACK_PEN)), nullptr);
    EXPECT_EQ(GetObjectA(pen, 100, nullptr), 0);
    EXPECT_EQ(GetObjectType(pen), 0u);

    HDC gone = CreateCompatibleDC(dc);
    ASSERT_TRUE(DeleteDC(gone));
    EXPECT_FALSE(DeleteDC(gone));
    EXPECT_FALSE(LineTo(gone, 1, 1));
    EXPECT_FALSE(MoveToEx(nullptr, 1, 1, nullptr));
    EXPECT_FALSE(Rectangle(gone, 0, 0, 5, 5));
    EXPECT_FALSE(Ellipse(nullptr, 0, 0, 5, 5));
    EXPECT_EQ(GetBkColor(gone), CLR_INVALID);
    EXPECT_EQ(SetTextColor(nullptr, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(gone, 0, 0, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, 20, 0), CLR_INVALID);
    EXPECT_EQ(SetBkMode(gone, OPAQUE), 0);
    EXPECT_EQ(SetBkMode(dc, 7), 0);
    EXPECT_EQ(SaveDC(gone), 0);
    EXPECT_FALSE(RestoreDC(gone, -1));
    EXPECT_EQ(GetDeviceCaps(gone, LOGPIXELSX), 0);
    EXPECT_EQ(GetCurrentObject(gone, OBJ_PEN), nullptr);
    EXPECT_EQ(CreateCompatibleDC(gone), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(gone, 5, 5), nullptr);
    EXPECT_FALSE(BitBlt(dc, 0, 0, 5, 5, gone, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(gone, 0, 0, 5, 5, dc, 0, 0, SRCCOPY));
    const POINT two[] = {{0, 0}, {5, 5}};
    EXPECT_FALSE(PolyBezier(dc, two, 2));
    EXPECT_FALSE(StrokePath(dc));
    EXPECT_FALSE(EndPath(dc));

    // Objects of the wrong kind.
    EXPECT_EQ(SelectObject(dc, dc), nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 4, 4);
    EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(bmp)));
    BITMAP bm{};
    EXPECT_EQ(GetObjectA(dc, sizeof bm, &bm), 0);
    EXPECT_EQ(GetCurrentObject(dc, 99), nullptr);
    EXPECT_EQ(draft2d::GetBitmapPixel(reinterpret_cast<HBITMAP>(dc), 0, 0), CLR_INVALID);
    EXPECT_TRUE(DeleteObject(bmp));
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(dc)), nullptr);

    // The device still draws after all of that.
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    MoveToEx(dc, 0, 5, nullptr);
    EXPECT_TRUE(LineTo(dc, 10, 5));
    EXPECT_EQ(dev->GetPixel(3, 5), 0u);
}

TEST(GdiObjects, CreationChecksFollowWindows) {
    LOGBRUSH solid{BS_SOLID, 0x0000FF, 0};
    LOGBRUSH hatched{BS_HATCHED, 0x0000FF, HS_DIAGCROSS};
    // Cosmetic pens are one pixel wide with a solid brush.
    EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_DOT, 3, &solid, 0, nullptr), nullptr);
    EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 1, &hatched, 0, nullptr), nullptr);
    EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_ALTERNATE, 1, &solid, 0, nullptr), nullptr);
    const DWORD dashes[] = {4, 2};
    EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_SOLID, 2, &solid, 2, dashes), nullptr);
    EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 2, &solid, 0, nullptr), nullptr);
    EXPECT_EQ(CreateHatchBrush(99, 0), nullptr);
    LOGBRUSH badHatch{BS_HATCHED, 0, 99};
    EXPECT_EQ(CreateBrushIndirect(&badHatch), nullptr);
    EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
    // CreatePen takes an unknown style for a solid one.
    HPEN odd = CreatePen(9, 1, 0);
    LOGPEN oddPen{};
    ASSERT_EQ(GetObjectA(odd, sizeof oddPen, &oddPen), static_cast<int>(sizeof oddPen));
    EXPECT_EQ(oddPen.lopnStyle, static_cast<UINT>(PS_SOLID));
    EXPECT_TRUE(DeleteObject(odd));
    EXPECT_EQ(GetStockObject(99), nullptr);

    // What GetObjectA reports: the extended record for ExtCreatePen, LOGPEN for the others.
    HPEN ext =
        ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_MITER, 3, &hatched, 2, dashes);
    ASSERT_NE(ext, nullptr);
    EXPECT_EQ(GetObjectType(ext), static_cast<DWORD>(OBJ_EXTPEN));
    const int need = GetObjectA(ext, 0, nullptr);
    EXPECT_EQ(need, static_cast<int>(offsetof(EXTLOGPEN, elpStyleEntry) + 2 * sizeof(DWORD)));
    alignas(EXTLOGPEN) unsigned char buf[64] = {};
    EXPECT_EQ(GetObjectA(ext, need - 1, buf), 0);
    ASSERT_EQ(GetObjectA(ext, sizeof buf, buf), need);
    EXTLOGPEN elp;
    std::memcpy(&elp, buf, sizeof elp);
    EXPECT_EQ(elp.elpPenStyle,
              static_cast<DWORD>(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_MITER));
    EXPECT_EQ(elp.elpWidth, 3u);
    EXPECT_EQ(elp.elpBrushStyle, static_cast<UINT>(BS_HATCHED));
    EXPECT_EQ(elp.elpColor, 0x0000FFu);
    EXPECT_EQ(elp.elpHatch, static_cast<ULONG_PTR>(HS_DIAGCROSS));
    EXPECT_EQ(elp.elpNumEntries, 2u);
    DWORD second = 0;
    std::memcpy(&second, buf + offsetof(EXTLOGPEN, elpStyleEntry) + sizeof(DWORD), sizeof second);
    EXPECT_EQ(second, 2u);
    EXPECT_TRUE(DeleteObject(ext));

    HPEN old = CreatePen(PS_DOT, 1, 0x112233);
    LOGPEN lp{};
    EXPECT_EQ(GetObjectA(old, sizeof lp, &lp), static_cast<int>(sizeof lp));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DOT));
    EXPECT_EQ(lp.lopnWidth.x, 1);
    EXPECT_EQ(lp.lopnColor, 0x112233u);
    EXPECT_EQ(GetObjectType(old), static_cast<DWORD>(OBJ_PEN));
    EXPECT_TRUE(DeleteObject(old));

    HBRUSH hb = CreateHatchBrush(HS_FDIAGONAL, 0x445566);
    LOGBRUSH got{};
    EXPECT_EQ(GetObjectA(hb, sizeof got, &got), static_cast<int>(sizeof got));
    EXPECT_EQ(got.lbStyle, static_cast<UINT>(BS_HATCHED));
    EXPECT_EQ(got.lbHatch, static_cast<ULONG_PTR>(HS_FDIAGONAL));
    EXPECT_EQ(got.lbColor, 0x445566u);
    EXPECT_TRUE(DeleteObject(hb));

    auto dev = Device::CreateImage(10, 10);
    HBITMAP bmp = CreateCompatibleBitmap(dev->GetDC(), 33, 17);
    BITMAP bm{};
    EXPECT_EQ(GetObjectA(bmp, 24, &bm), 0); // too small for the 64-bit record
    ASSERT_EQ(GetObjectA(bmp, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 33);
    EXPECT_EQ(bm.bmHeight, 17);
    EXPECT_TRUE(DeleteObject(bmp));
    // A zero size gives the shared 1 x 1 bitmap, which is never freed.
    HBITMAP empty = CreateCompatibleBitmap(dev->GetDC(), 0, 5);
    ASSERT_NE(empty, nullptr);
    ASSERT_EQ(GetObjectA(empty, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 1);
}

TEST(UserRects, HelpersFollowWindowsConventions) {
    RECT r;
    ASSERT_TRUE(SetRect(&r, 10, 20, 30, 40));
    ASSERT_TRUE(InflateRect(&r, 2, -3));
    EXPECT_EQ(r.left, 8);
    EXPECT_EQ(r.top, 23);
    EXPECT_EQ(r.right, 32);
    EXPECT_EQ(r.bottom, 37);
    RECT c;
    ASSERT_TRUE(CopyRect(&c, &r));
    EXPECT_EQ(std::memcmp(&c, &r, sizeof r), 0);
    EXPECT_TRUE(PtInRect(&r, POINT{8, 23}));
    EXPECT_FALSE(PtInRect(&r, POINT{32, 30})); // right edge excluded
    EXPECT_FALSE(PtInRect(&r, POINT{20, 37})); // bottom edge excluded
    EXPECT_FALSE(PtInRect(nullptr, POINT{0, 0}));
    EXPECT_FALSE(SetRect(nullptr, 0, 0, 1, 1));
    EXPECT_FALSE(InflateRect(nullptr, 1, 1));
    EXPECT_FALSE(CopyRect(&c, nullptr));
    // At the 32-bit limits the edges wrap around, as on Windows, rather than overflowing.
    ASSERT_TRUE(SetRect(&r, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
    ASSERT_TRUE(InflateRect(&r, 1, INT32_MIN));
    EXPECT_EQ(r.left, INT32_MAX);
    EXPECT_EQ(r.right, INT32_MIN);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.bottom, -1);
    if (draft2d::IsCallTraceAvailable()) {
        // Our layer answers the default colours of Windows; the system's are the user's settings
        // (Wine's defaults differ), which only have to be colours.
        EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), 0xA0A0A0u);
        EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0xFFFFFFu);
    } else {
        EXPECT_LE(GetSysColor(COLOR_BTNSHADOW), 0xFFFFFFu);
        EXPECT_LE(GetSysColor(COLOR_WINDOW), 0xFFFFFFu);
    }
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(1000), 0u);

    // The screen DC measures like a 96 dpi display.
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(screen, TECHNOLOGY), DT_RASDISPLAY);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 0);
}

} // namespace

namespace {

TEST(GdiMisuse, ExtremeCoordinatesAndSweepsDrawWithoutFaults) {
    auto dev = Device::CreateImage(64, 48);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    LOGBRUSH lb{BS_SOLID, 0xFF, 0};
    HPEN wide = ExtCreatePen(PS_GEOMETRIC | PS_DASH | PS_ENDCAP_FLAT | PS_JOIN_MITER, 7, &lb, 0, nullptr);
    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, 0xFF0000);
    const int big = 2000000000;
    // Our layer clips every figure to the device before it walks a pixel, so all of this takes
    // milliseconds. The system's GDI walks a wide dashed pen, and the edges of a filled polygon,
    // along their whole length (minutes under Wine for these sizes), and refuses a pie whose
    // points it cannot hold; there the one-pixel pen draws the figures it clips cheaply.
    const bool ours = draft2d::IsCallTraceAvailable();
    std::vector<HGDIOBJ> pens{GetStockObject(BLACK_PEN)};
    if (ours)
        pens.push_back(wide);
    for (HGDIOBJ pen : pens) {
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, hatch);
        EXPECT_TRUE(Ellipse(dc, -big, -big, big, big));
        EXPECT_TRUE(Rectangle(dc, -big, 10, big, 20));
        if (ours) {
            EXPECT_TRUE(Pie(dc, -big, -big, big, big, big, 0, 0, -big));
        }
        MoveToEx(dc, -big, -big, nullptr);
        EXPECT_TRUE(LineTo(dc, big, big));
        MoveToEx(dc, big, -big, nullptr);
        EXPECT_TRUE(LineTo(dc, -big, big));
        const POINT pts[] = {{-big, 0}, {big, 5}, {0, big}, {-big, -big}};
        if (ours) {
            EXPECT_TRUE(Polygon(dc, pts, 4));
        }
        EXPECT_TRUE(PolyBezier(dc, pts, 4));
        MoveToEx(dc, 32, 24, nullptr);
        // A sweep of many turns costs one turn; the current position still follows the full angle.
        EXPECT_TRUE(AngleArc(dc, 32, 24, 10, 0.0f, 1e30f));
        EXPECT_TRUE(AngleArc(dc, 32, 24, 0x7FFFFFFF, -1e30f, -1e30f));
        EXPECT_FALSE(AngleArc(dc, 32, 24, 0x80000000u, 0.0f, 90.0f));
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
    }
    const RECT huge{-big, -big, big, big};
    EXPECT_TRUE(FillRect(dc, &huge, hatch));
    EXPECT_TRUE(BitBlt(dc, -big, -big, big, big, dc, big, big, SRCCOPY));
    EXPECT_TRUE(BitBlt(dc, 10, 10, big, big, dc, -big, 0, SRCCOPY));
    // Our layer reports a pixel off the device as a failure. The system's GDI sets nothing there
    // but may answer either the failure or the colour it was given (Wine does the latter).
    const COLORREF offDevice = SetPixel(dc, -big, big, 0);
    if (ours) {
        EXPECT_EQ(offDevice, CLR_INVALID);
    } else {
        EXPECT_TRUE(offDevice == CLR_INVALID || offDevice == 0u) << offDevice;
    }
    EXPECT_TRUE(DeleteObject(wide));
    EXPECT_TRUE(DeleteObject(hatch));
}

} // namespace
