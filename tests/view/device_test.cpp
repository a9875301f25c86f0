// Device attachment, colours, pen widths, clipping, clearing, the cache and the saved bitmap of CGraphSystem,
// on the platform layer's image, monochrome and printer devices.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/devices.h"
#include "view/CGraphSystem.h"

using draft2d::Device;
using draft2d::GdiObjectCounts;
using draft2d::GetGdiObjectCounts;

namespace {

const COLORREF kRed = 0x0000FF;
const COLORREF kGreen = 0x00FF00;
const COLORREF kBlue = 0xFF0000;
const COLORREF kWhite = 0xFFFFFF;

void ExpectSameCounts(const GdiObjectCounts& a, const GdiObjectCounts& b) {
    EXPECT_EQ(a.pens, b.pens);
    EXPECT_EQ(a.brushes, b.brushes);
    EXPECT_EQ(a.fonts, b.fonts);
    EXPECT_EQ(a.bitmaps, b.bitmaps);
    EXPECT_EQ(a.dcs, b.dcs);
}

void Fill(HDC dc, int l, int t, int r, int b, COLORREF c) {
    HBRUSH brush = CreateSolidBrush(c);
    RECT rc = {l, t, r, b};
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

int CountLines(const Device& dev, const std::string& prefix) {
    const std::vector<std::string> lines = dev.GetTrace();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.compare(0, prefix.size(), prefix) == 0 || l.find(": " + prefix) != std::string::npos;
    }));
}

std::string PdfPath(const char* name) {
    return std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/" + name;
}

TEST(ViewDevice, DisplayWithoutCache) {
    auto dev = Device::CreateImage(200, 100, 120);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    const GdiObjectCounts before = GetGdiObjectCounts();
    const int depth = dev->GetSaveDepth();
    {
        CGraphSystem v;
        v.SetWndSize(200, 100);
        v.Attach(dc, nullptr, 0);
        EXPECT_EQ(v.GetDrawDC(), dc);
        EXPECT_EQ(v.GetCacheHDC(), nullptr);
        EXPECT_EQ(v.IsPrint(), 0);
        // Our devices report the dpi they were made with; a system's memory DC reports its own.
        const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
        if (draft2d::IsCallTraceAvailable()) {
            EXPECT_EQ(dpi, 120);
        }
        EXPECT_DOUBLE_EQ(v.GetMmPixelsX(), dpi / 25.4);
        EXPECT_DOUBLE_EQ(v.GetMmPixelsY(), GetDeviceCaps(dc, LOGPIXELSY) / 25.4);
        ASSERT_NE(v.GetLineType(), nullptr); // the solid line
        EXPECT_STREQ(v.GetLineType(), "");
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
        EXPECT_EQ(GetBkColor(dc), kWhite);
        v.Detach();
        EXPECT_EQ(v.GetDrawDC(), nullptr);
        EXPECT_EQ(v.GetLineType(), nullptr);
        v.Detach(); // detached: nothing
    }
    ExpectSameCounts(GetGdiObjectCounts(), before);
    EXPECT_EQ(dev->GetSaveDepth(), depth);
}

// The whole life of a cached attachment, call by call: every temporary DC, brush and selection is
// undone within the call that made it.
TEST(ViewDevice, CallSequenceOfACachedAttachment) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "needs the call trace";
    auto dev = Device::CreateImage(64, 48);
    ASSERT_TRUE(dev);
    dev->EnableTrace(true);
    CGraphSystem v;
    v.SetWndSize(64, 48);
    v.Attach(dev->GetDC(), nullptr, 1);
    v.Cls();
    v.ShowCacheBitmap();
    v.SaveBmp(dev->GetDC());
    v.RestoreBmp(1, 2);
    v.ClearBmpRect(mgRect(0, 0, 5, 5)); // 96 dpi: screen x 0 .. 18.9, y 48 .. 29.1
    v.Detach();
    const std::vector<std::string> expected = {
        "SetMapMode(MM_TEXT)",
        "GetDeviceCaps(LOGPIXELSX)",
        "GetDeviceCaps(LOGPIXELSY)",
        "GetDeviceCaps(TECHNOLOGY)",
        "GetDeviceCaps(NUMCOLORS)",
        "CreateCompatibleDC(dc#0) -> dc#1",
        "CreateCompatibleBitmap(64,48) -> bmp#1",
        "dc#1: SelectObject(bmp#1)",
        "dc#1: SetBkColor(0xffffff)",
        "dc#1: SetBkMode(TRANSPARENT)",
        "dc#1: SetTextJustification(0,0)",
        "dc#1: SetTextCharacterExtra(0)",
        // Cls
        "CreateSolidBrush(0xffffff) -> brush#1",
        "dc#1: FillRect((0,0,64,48),brush#1)",
        "DeleteObject(brush#1)",
        // ShowCacheBitmap
        "BitBlt(0,0,64,48,dc#1,0,0,SRCCOPY)",
        // SaveBmp: make the saved bitmap, then copy into it
        "CreateCompatibleDC(dc#0) -> dc#2",
        "CreateCompatibleBitmap(64,48) -> bmp#2",
        "dc#2: DeleteDC()",
        "CreateCompatibleDC(dc#0) -> dc#3",
        "dc#3: SelectObject(bmp#2)",
        "dc#3: BitBlt(0,0,64,48,dc#0,0,0,SRCCOPY)",
        "dc#3: SelectObject(DEFAULT_BITMAP)",
        "dc#3: DeleteDC()",
        // RestoreBmp onto the cache
        "dc#1: CreateCompatibleDC(dc#1) -> dc#4",
        "dc#4: SelectObject(bmp#2)",
        "dc#1: BitBlt(1,2,64,48,dc#4,0,0,SRCCOPY)",
        "dc#4: SelectObject(DEFAULT_BITMAP)",
        "dc#4: DeleteDC()",
        // ClearBmpRect: corners truncated, not rounded
        "dc#1: CreateCompatibleDC(dc#1) -> dc#5",
        "dc#5: SelectObject(bmp#2)",
        "CreateSolidBrush(0xffffff) -> brush#2",
        "dc#5: FillRect((0,29,18,48),brush#2)",
        "DeleteObject(brush#2)",
        "dc#5: SelectObject(DEFAULT_BITMAP)",
        "dc#5: DeleteDC()",
        // Detach; the saved bitmap stays
        "dc#1: SelectObject(DEFAULT_BITMAP)",
        "DeleteObject(bmp#1)",
        "dc#1: DeleteDC()",
    };
    EXPECT_EQ(dev->GetTrace(), expected);
}

TEST(ViewDevice, CacheTakesTheDrawingAndIsShownOnTheWindow) {
    auto dev = Device::CreateImage(80, 60);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    const GdiObjectCounts before = GetGdiObjectCounts();
    const int depth = dev->GetSaveDepth();
    {
        CGraphSystem v;
        v.SetWndSize(80, 60);
        v.SetBkColor(kWhite, kGreen);
        v.Attach(dc, nullptr, 1);
        HDC cache = v.GetCacheHDC();
        ASSERT_NE(cache, nullptr);
        EXPECT_NE(cache, dc);
        EXPECT_EQ(v.GetDrawDC(), cache);
        v.Cls(); // into the cache, not the window
        Fill(cache, 10, 10, 20, 20, kRed);
        EXPECT_EQ(dev->GetPixel(5, 5), kWhite);
        v.ShowCacheBitmap();
        EXPECT_EQ(dev->GetPixel(5, 5), kGreen);
        EXPECT_EQ(dev->GetPixel(79, 59), kGreen);
        EXPECT_EQ(dev->GetPixel(10, 10), kRed);
        EXPECT_EQ(dev->GetPixel(19, 19), kRed);
        EXPECT_EQ(dev->GetPixel(20, 20), kGreen);
        // A second Attach releases the first cache before making its own.
        v.Attach(dc, nullptr, 1);
        EXPECT_NE(v.GetCacheHDC(), nullptr);
        v.Attach(nullptr, nullptr, 1); // detaches and stays detached
        EXPECT_EQ(v.GetDrawDC(), nullptr);
        ExpectSameCounts(GetGdiObjectCounts(), before);
        v.ShowCacheBitmap(); // detached: nothing
    }
    ExpectSameCounts(GetGdiObjectCounts(), before);
    EXPECT_EQ(dev->GetSaveDepth(), depth);
}

TEST(ViewDevice, ClsFillsTheWindowWithTheClearColour) {
    auto dev = Device::CreateImage(40, 30);
    ASSERT_TRUE(dev);
    CGraphSystem v;
    v.SetWndSize(30, 20);
    v.SetBkColor(0x000000, kBlue);
    v.Cls(); // detached: nothing
    v.Attach(dev->GetDC(), nullptr, 0);
    v.Cls();
    EXPECT_EQ(dev->GetPixel(0, 0), kBlue);
    EXPECT_EQ(dev->GetPixel(29, 19), kBlue);
    EXPECT_EQ(dev->GetPixel(30, 19), kWhite); // only the window's area
    EXPECT_EQ(dev->GetPixel(29, 20), kWhite);
}

TEST(ViewDevice, PrinterHasNoCacheAndWhiteColours) {
    auto dev = Device::CreatePrinter(PdfPath("view_printer.pdf"), 210, 297, 300);
    if (!dev && !draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "no printer device with the system's GDI";
    ASSERT_TRUE(dev);
    const bool trace = draft2d::IsCallTraceAvailable();
    if (trace)
        dev->EnableTrace(true);
    const GdiObjectCounts before = GetGdiObjectCounts();
    CGraphSystem v;
    v.SetWndSize(500, 400);
    v.SetBkColor(0x000000, 0x123456);
    v.Attach(dev->GetDC(), nullptr, 1);
    EXPECT_EQ(v.IsPrint(), 1);
    EXPECT_EQ(v.GetCacheHDC(), nullptr);
    EXPECT_EQ(v.GetDrawDC(), dev->GetDC());
    EXPECT_EQ(v.GetBkColor(), kWhite);
    EXPECT_EQ(v.CalcDrawColor(kWhite), 0u); // white on white: the contrast colour
    // A system's printer driver may round the resolution asked for: the DC tells.
    const int dpi = GetDeviceCaps(dev->GetDC(), LOGPIXELSX);
    if (draft2d::IsCallTraceAvailable()) {
        EXPECT_EQ(dpi, 300);
    }
    EXPECT_DOUBLE_EQ(v.GetMmPixelsX(), dpi / 25.4);
    EXPECT_EQ(v.CalcLineWidth(-50), 50); // no cap on printers
    EXPECT_EQ(v.CalcLineWidth(100), static_cast<int>(v.GetMmPixels()));
    v.Cls(); // nothing on a printer
    ExpectSameCounts(GetGdiObjectCounts(), before);
    if (trace) {
        EXPECT_EQ(CountLines(*dev, "FillRect"), 0);
        EXPECT_EQ(CountLines(*dev, "CreateCompatibleDC"), 0);
    }
    v.Detach();
    EXPECT_TRUE(dev->Finish());
}

TEST(ViewDevice, MonochromeDeviceTurnsOnGreyMode) {
    auto dev = Device::CreateMonochrome(32, 32);
    ASSERT_TRUE(dev);
    if (GetDeviceCaps(dev->GetDC(), NUMCOLORS) != 2 && !draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "the system's memory DC does not report a monochrome device";
    CGraphSystem v;
    v.Attach(dev->GetDC(), nullptr, 0);
    EXPECT_EQ(v.GetColorMode(), 1);
    EXPECT_EQ(v.CalcDrawColor(kRed), 0x4C4C4Cu);
    v.Detach();

    CGraphSystem inverted;
    inverted.SetColorMode(2);
    inverted.Attach(dev->GetDC(), nullptr, 0);
    EXPECT_EQ(inverted.GetColorMode(), 2); // an explicit mode is kept
}

TEST(ViewDevice, AttributeDcDecidesPrinterAndDensity) {
    auto screen = Device::CreateImage(50, 50);
    auto printer = Device::CreatePrinter(PdfPath("view_attrib.pdf"), 100, 100, 600);
    if (!printer && !draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "no printer device with the system's GDI";
    ASSERT_TRUE(screen && printer);
    CGraphSystem v;
    v.Attach(screen->GetDC(), printer->GetDC(), 1);
    EXPECT_EQ(v.IsPrint(), 1);
    EXPECT_EQ(v.GetCacheHDC(), nullptr);
    EXPECT_EQ(v.GetDrawDC(), screen->GetDC());
    EXPECT_DOUBLE_EQ(v.GetMmPixelsY(), GetDeviceCaps(printer->GetDC(), LOGPIXELSY) / 25.4);
}

TEST(ViewDevice, SavedBitmapRoundTrip) {
    auto dev = Device::CreateImage(64, 48);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    const GdiObjectCounts before = GetGdiObjectCounts();
    const int depth = dev->GetSaveDepth();
    {
        CGraphSystem v;
        v.SetWndSize(64, 48);
        v.Attach(dc, nullptr, 0);
        v.SetMmPixels(1.0, 1.0); // user = paper = (sx, 48 - sy)
        v.SetBkColor(kWhite, kBlue);

        v.RestoreBmp(0, 0); // no saved bitmap: nothing
        v.ClearBmpRect(mgRect(0, 0, 64, 48));
        EXPECT_EQ(v.IsBmpSaved(), 0);
        EXPECT_EQ(dev->GetPixel(5, 5), kWhite);

        Fill(dc, 0, 0, 32, 48, kRed);
        v.SaveBmp(dc);
        ASSERT_EQ(v.IsBmpSaved(), 1);
        HBITMAP saved = v.GetSavedBmp();
        SIZE size;
        v.GetBmpSize(saved, size);
        EXPECT_EQ(size.cx, 64);
        EXPECT_EQ(size.cy, 48);

        dev->Clear(kWhite);
        v.RestoreBmp(0, 0);
        EXPECT_EQ(dev->GetPixel(0, 0), kRed);
        EXPECT_EQ(dev->GetPixel(31, 47), kRed);
        EXPECT_EQ(dev->GetPixel(32, 47), kWhite);

        dev->Clear(kWhite);
        v.RestoreBmp(10, 5);
        EXPECT_EQ(dev->GetPixel(5, 6), kWhite);
        EXPECT_EQ(dev->GetPixel(10, 5), kRed);
        EXPECT_EQ(dev->GetPixel(41, 47), kRed);
        EXPECT_EQ(dev->GetPixel(42, 47), kWhite);
        EXPECT_EQ(dev->GetPixel(12, 4), kWhite);

        // User rectangle (0, 38)-(10, 48) is screen (0, 0)-(10, 10) of the saved picture.
        v.ClearBmpRect(mgRect(0, 38, 10, 48));
        dev->Clear(kWhite);
        v.RestoreBmp(0, 0);
        EXPECT_EQ(dev->GetPixel(0, 0), kBlue);
        EXPECT_EQ(dev->GetPixel(9, 9), kBlue);
        EXPECT_EQ(dev->GetPixel(10, 9), kRed);
        EXPECT_EQ(dev->GetPixel(9, 10), kRed);
        EXPECT_EQ(dev->GetPixel(40, 9), kWhite);

        // The saved picture survives detaching; the view deletes it at the end.
        v.Detach();
        EXPECT_EQ(v.IsBmpSaved(), 1);
    }
    ExpectSameCounts(GetGdiObjectCounts(), before);
    EXPECT_EQ(dev->GetSaveDepth(), depth);
}

TEST(ViewDevice, WindowSizeDropsBitmapsThatNoLongerFit) {
    auto dev = Device::CreateImage(100, 100);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    const GdiObjectCounts before = GetGdiObjectCounts();
    CGraphSystem v;
    v.SetWndSize(64, 48);
    v.Attach(dc, nullptr, 1);
    v.SaveBmp(dc);
    ASSERT_NE(v.GetCacheHDC(), nullptr);
    ASSERT_EQ(v.IsBmpSaved(), 1);

    v.SetWndSize(60, 48); // smaller: both still fit
    EXPECT_NE(v.GetCacheHDC(), nullptr);
    EXPECT_EQ(v.IsBmpSaved(), 1);
    v.SetWndSize(60, 40); // the saved picture must have the window's height
    EXPECT_EQ(v.IsBmpSaved(), 0);
    EXPECT_NE(v.GetCacheHDC(), nullptr);
    v.SetWndSize(65, 40); // wider than the cache
    EXPECT_EQ(v.GetCacheHDC(), nullptr);
    EXPECT_EQ(v.GetDrawDC(), dc);
    ExpectSameCounts(GetGdiObjectCounts(),
                     before); // released while still attached

    v.SetWndSize(70, 50);
    EXPECT_EQ(v.MakeBmpSaved(dc), 1);
    SIZE size;
    v.GetBmpSize(v.GetSavedBmp(), size);
    EXPECT_EQ(size.cx, 70);
    EXPECT_EQ(size.cy, 50);
    v.SetWndSize(60, 50); // narrower window: the wider picture stays...
    EXPECT_EQ(v.IsBmpSaved(), 1);
    EXPECT_EQ(v.MakeBmpSaved(dc),
              1); // ...until it is made again at the exact size
    v.GetBmpSize(v.GetSavedBmp(), size);
    EXPECT_EQ(size.cx, 60);
    v.ClearBmpSaved();
    EXPECT_EQ(v.IsBmpSaved(), 0);
    v.Detach();
    ExpectSameCounts(GetGdiObjectCounts(), before);
}

void CountCalls(void* data, CGraphSystem*) {
    ++*static_cast<int*>(data);
}

TEST(ViewDevice, SetSavedBmpTakesOwnership) {
    auto dev = Device::CreateImage(16, 16);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    const GdiObjectCounts before = GetGdiObjectCounts();
    {
        CGraphSystem v;
        HBITMAP b1 = CreateCompatibleBitmap(dc, 8, 8);
        ASSERT_NE(b1, nullptr);
        v.SetSavedBmp(b1); // no saved bitmap yet: the view takes it anyway
        EXPECT_EQ(v.GetSavedBmp(), b1);
        v.SetSavedBmp(b1); // the same bitmap again: kept, not deleted
        EXPECT_EQ(GetGdiObjectCounts().bitmaps, before.bitmaps + 1);
        HBITMAP b2 = CreateCompatibleBitmap(dc, 4, 4);
        v.SetSavedBmp(b2); // replaces and deletes b1
        EXPECT_EQ(v.GetSavedBmp(), b2);
        EXPECT_EQ(GetGdiObjectCounts().bitmaps, before.bitmaps + 1);
        SIZE size;
        v.GetBmpSize(b2, size);
        EXPECT_EQ(size.cx, 4);
        v.GetBmpSize(nullptr, size);
        EXPECT_EQ(size.cx, 0);
        EXPECT_EQ(size.cy, 0);

        // RegenAll discards the saved picture before calling back; Redraw keeps it.
        int calls = 0;
        v.SetRegenFunc(CountCalls, &calls);
        v.Redraw();
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(v.GetSavedBmp(), b2);
        v.RegenAll();
        EXPECT_EQ(calls, 2);
        EXPECT_EQ(v.IsBmpSaved(), 0);
        ExpectSameCounts(GetGdiObjectCounts(), before);
        v.SetRegenFunc(nullptr, nullptr);
        v.RegenAll();
        EXPECT_EQ(calls, 2);

        v.SetSavedBmp(CreateCompatibleBitmap(dc, 2, 2)); // deleted with the view
        v.SetSavedBmp(nullptr);                          // same as ClearBmpSaved
        EXPECT_EQ(v.IsBmpSaved(), 0);
        v.SetSavedBmp(CreateCompatibleBitmap(dc, 2, 2));
    }
    ExpectSameCounts(GetGdiObjectCounts(), before);
}

TEST(ViewColours, BackgroundClearAndDrawColours) {
    CGraphSystem v;
    EXPECT_EQ(v.GetBkColor(), kWhite);
    v.SetBkColor(0x123456, 0xFF000000);
    EXPECT_EQ(v.GetBkColor(), 0x123456u);
    v.SetBkColor(0xAB123456, 0x00FF00); // bits above the colour are dropped
    EXPECT_EQ(v.GetBkColor(), 0x123456u);

    v.SetBkColor(kWhite, kWhite);
    EXPECT_EQ(v.CalcDrawColor(kWhite), 0u);
    EXPECT_EQ(v.CalcDrawColor(0xFF000000), 0u);
    EXPECT_EQ(v.CalcDrawColor(kRed), kRed);
    v.SetColorMode(1);
    EXPECT_EQ(v.CalcDrawColor(kRed), 0x4C4C4Cu); // 255 * 0.3 = 76.5 -> 76
    EXPECT_EQ(v.CalcDrawColor(kWhite), 0u);      // grey 255 equals the background
    EXPECT_EQ(v.CalcDrawColor(0x808080), 0x808080u);
    v.SetColorMode(2);
    EXPECT_EQ(v.CalcDrawColor(kRed), 0xFFFF00u);
    EXPECT_EQ(v.CalcDrawColor(0x000000),
              0u); // inverts to the background: contrast
    v.SetColorMode(3);
    EXPECT_EQ(v.GetColorMode(), 2);
    v.SetColorMode(-1);
    EXPECT_EQ(v.GetColorMode(), 2);

    v.SetColorMode(0);
    v.SetBkColor(0x000000, 0xFFFFFFFF);
    EXPECT_EQ(v.CalcDrawColor(0x000000), kWhite);
    EXPECT_EQ(v.CalcDrawColor(0x01000000), kWhite);
}

TEST(ViewColours, TextColourGoesThroughTheColourRules) {
    auto dev = Device::CreateImage(8, 8);
    ASSERT_TRUE(dev);
    CGraphSystem v;
    v.SetTextColor(kRed); // detached: nothing to set
    v.Attach(dev->GetDC(), nullptr, 0);
    v.SetTextColor(kWhite);
    EXPECT_EQ(GetTextColor(dev->GetDC()), 0u);
    v.SetColorMode(2);
    v.SetTextColor(kRed);
    EXPECT_EQ(GetTextColor(dev->GetDC()), 0xFFFF00u);
}

TEST(ViewColours, LineWidths) {
    CGraphSystem v;
    EXPECT_EQ(v.CalcLineWidth(-5), 5);
    EXPECT_EQ(v.CalcLineWidth(0), 0);
    EXPECT_EQ(v.CalcLineWidth(-50), 30); // capped on displays
    EXPECT_EQ(v.CalcLineWidth(25), 0);   // 0.25 mm at 3.78 px/mm = 0.94, truncated
    EXPECT_EQ(v.CalcLineWidth(100), 3);
    EXPECT_EQ(v.CalcLineWidth(INT32_MIN), 30);
    v.Zoom(4.0, 0, 0);
    EXPECT_EQ(v.CalcLineWidth(100), 15);
    EXPECT_EQ(v.CalcLineWidth(1000), 30);
    v.EnableLineWidth(0);
    EXPECT_EQ(v.CalcLineWidth(100), 1);
    EXPECT_EQ(v.CalcLineWidth(-7), 7);
}

TEST(ViewClip, ClipRectangleKeepsTheLargerYInBottom) {
    CGraphSystem v;
    EXPECT_TRUE(v.GetClipRect().isEmpty());
    v.SetClipRect(mgRect(10, 50, 30, 20));
    mgRect c = v.GetClipRect();
    EXPECT_EQ(c.left(), 10);
    EXPECT_EQ(c.right(), 30);
    EXPECT_EQ(c.bottom(), 50);
    EXPECT_EQ(c.top(), 20);
    const RECT r = {30, 50, 10, 20};
    v.SetClipRect(r);
    c = v.GetClipRect();
    EXPECT_EQ(c.left(), 10);
    EXPECT_EQ(c.right(), 30);
    EXPECT_EQ(c.bottom(), 50);
    EXPECT_EQ(c.top(), 20);

    v.SetMmPixels(1.0, 1.0);
    v.SetWndSize(100, 100);
    const mgRect u = v.GetClipRectUser(); // screen (10, 50)-(30, 20) as converted corners
    EXPECT_EQ(u.left(), 10);
    EXPECT_EQ(u.bottom(), 50);
    EXPECT_EQ(u.right(), 30);
    EXPECT_EQ(u.top(), 80);
}

TEST(ViewCopy, CopiesNeverShareDevicesOrBitmaps) {
    auto dev1 = Device::CreateImage(64, 48);
    auto dev2 = Device::CreateImage(64, 48);
    ASSERT_TRUE(dev1 && dev2);
    const GdiObjectCounts before = GetGdiObjectCounts();
    {
        CGraphSystem a;
        a.SetWndSize(64, 48);
        a.Attach(dev1->GetDC(), nullptr, 1);
        a.SaveBmp(dev1->GetDC());
        a.SetClipRect(mgRect(1, 2, 3, 4));
        {
            CGraphSystem copy(a);
            EXPECT_EQ(copy.GetDrawDC(), nullptr);
            EXPECT_EQ(copy.IsBmpSaved(), 0);
            EXPECT_EQ(copy.GetClipRect(), a.GetClipRect());
            EXPECT_EQ(copy.GetWidth(), 64);
        }
        EXPECT_EQ(a.IsBmpSaved(), 1);

        CGraphSystem b;
        b.SetWndSize(32, 24);
        b.Attach(dev2->GetDC(), nullptr, 1);
        HDC bCache = b.GetCacheHDC();
        ASSERT_NE(bCache, nullptr);
        b = a; // b's 32 x 24 cache cannot hold the copied 64 x 48 window
        EXPECT_EQ(b.GetWidth(), 64);
        EXPECT_EQ(b.GetCacheHDC(), nullptr);
        EXPECT_EQ(b.GetDrawDC(), dev2->GetDC()); // still b's own device
        EXPECT_EQ(b.IsBmpSaved(), 0);
        EXPECT_EQ(a.GetDrawDC(), a.GetCacheHDC());

        CGraphSystem c;
        c.SetWndSize(100, 100);
        c.Attach(dev2->GetDC(), nullptr, 1);
        HDC cCache = c.GetCacheHDC();
        c = a; // a smaller window still fits c's cache
        EXPECT_EQ(c.GetCacheHDC(), cCache);
    }
    ExpectSameCounts(GetGdiObjectCounts(), before);
}

} // namespace
