// Windows' own rules for pens, brushes, colours, paths and the last error, asked in the same words of
// our layer and of the system's GDI (under Wine in the Windows build). Where Wine itself does
// otherwise than Windows, the check says so and is skipped under Wine only. Every test ends with the
// live object counts it started with.
#include "platform/devices.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using draft2d::Device;
using draft2d::GetGdiObjectCounts;

namespace {

class GdiRules : public ::testing::Test {
protected:
    void SetUp() override {
        dev = Device::CreateImage(40, 30);
        ASSERT_TRUE(dev);
        dc = dev->GetDC();
        before = GetGdiObjectCounts();
    }
    void TearDown() override {
        const draft2d::GdiObjectCounts after = GetGdiObjectCounts();
        EXPECT_EQ(after.pens, before.pens);
        EXPECT_EQ(after.brushes, before.brushes);
        EXPECT_EQ(after.total(), before.total());
    }

    // Draws a line with the pen and deselects it again.
    void DrawWith(HGDIOBJ pen, int x0, int y0, int x1, int y1) {
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, x0, y0, nullptr);
        LineTo(dc, x1, y1);
        SelectObject(dc, old);
    }

    // Rows of column x that are not white, top to bottom.
    std::vector<int> InkRows(int x) const {
        std::vector<int> rows;
        for (int y = 0; y < dev->GetHeight(); ++y)
            if (dev->GetPixel(x, y) != 0xFFFFFFu)
                rows.push_back(y);
        return rows;
    }

    bool AllWhite() const {
        for (int y = 0; y < dev->GetHeight(); ++y)
            for (int x = 0; x < dev->GetWidth(); ++x)
                if (dev->GetPixel(x, y) != 0xFFFFFFu)
                    return false;
        return true;
    }

    std::unique_ptr<Device> dev;
    HDC dc = nullptr;
    draft2d::GdiObjectCounts before;
};

// A buffer a GetObjectA call may fill, with every byte it leaves alone still 0xAB.
struct Record {
    alignas(8) unsigned char bytes[80];
    Record() { std::memset(bytes, 0xAB, sizeof bytes); }
    bool untouchedFrom(size_t n) const {
        for (size_t i = n; i < sizeof bytes; ++i)
            if (bytes[i] != 0xAB)
                return false;
        return true;
    }
    LOGPEN logPen() const {
        LOGPEN lp;
        std::memcpy(&lp, bytes, sizeof lp);
        return lp;
    }
    EXTLOGPEN extPen() const {
        EXTLOGPEN elp;
        std::memcpy(&elp, bytes, sizeof elp);
        return elp;
    }
    DWORD styleEntry(size_t i) const {
        DWORD v;
        std::memcpy(&v, bytes + offsetof(EXTLOGPEN, elpStyleEntry) + i * sizeof(DWORD), sizeof v);
        return v;
    }
};

const LOGBRUSH kSolidRed{BS_SOLID, 0x0000FF, 0};

TEST_F(GdiRules, PensThatDrawNothingAreTheStockNullPen) {
    HGDIOBJ nullPen = GetStockObject(NULL_PEN);
    const LOGBRUSH hollow{BS_NULL, 0x0000FF, 0};
    const HPEN made[] = {
        CreatePen(PS_NULL, 1, 0),
        CreatePen(PS_NULL, 7, 0x0000FF),
        CreatePen(PS_NULL, -3, 0x12345678),
        ExtCreatePen(PS_COSMETIC | PS_NULL, 1, &kSolidRed, 0, nullptr),
        ExtCreatePen(PS_GEOMETRIC | PS_NULL | PS_ENDCAP_FLAT, 9, &kSolidRed, 0, nullptr),
        // A geometric pen with a hollow brush reads back with colour 0 (see below) and draws nothing.
        ExtCreatePen(PS_GEOMETRIC | PS_SOLID, 5, &hollow, 0, nullptr),
    };
    EXPECT_EQ(GetGdiObjectCounts().pens, before.pens); // nothing a host would have to delete
    for (HPEN pen : made) {
        ASSERT_NE(pen, nullptr);
        Record r;
        const int n = GetObjectA(pen, sizeof r.bytes, r.bytes);
        if (n == static_cast<int>(sizeof(LOGPEN))) {
            const LOGPEN lp = r.logPen();
            EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_NULL));
            EXPECT_EQ(lp.lopnColor, 0u);
        } else {
            ASSERT_GE(n, static_cast<int>(offsetof(EXTLOGPEN, elpStyleEntry)));
            EXPECT_EQ(r.extPen().elpColor, 0u);
        }
        DrawWith(pen, 2, 15, 38, 15);
        EXPECT_TRUE(DeleteObject(pen)); // deleting what is the stock pen is harmless
    }
    EXPECT_TRUE(AllWhite());
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(made[i], nullPen) << "pen " << i;

    // The stock null pen reads back as a LOGPEN of width 1 and colour 0, also after all the deletes.
    Record r;
    ASSERT_EQ(GetObjectA(nullPen, sizeof(LOGPEN), r.bytes), static_cast<int>(sizeof(LOGPEN)));
    EXPECT_EQ(r.logPen().lopnStyle, static_cast<UINT>(PS_NULL));
    EXPECT_EQ(r.logPen().lopnWidth.x, 1);
    EXPECT_EQ(r.logPen().lopnColor, 0u);

    // A hollow brush is the stock NULL_BRUSH.
    const LOGBRUSH hollowHatch{BS_NULL, 0x00FF00, HS_CROSS};
    HBRUSH brush = CreateBrushIndirect(&hollowHatch);
    EXPECT_EQ(brush, GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetGdiObjectCounts().brushes, before.brushes);
    EXPECT_TRUE(DeleteObject(brush));
}

// The record GetObjectA gives for every buffer size from 0 up: nothing below the record's size (and
// nothing written), the record from its size on (and nothing written beyond it).
TEST_F(GdiRules, PenRecordsForEveryBufferSize) {
    const LOGBRUSH crossOnSolid{BS_SOLID, 0x123456, HS_CROSS};
    const LOGBRUSH hatched{BS_HATCHED, 0x654321, HS_DIAGCROSS};
    const DWORD dashes[] = {6, 2, 1};
    const size_t extHead = offsetof(EXTLOGPEN, elpStyleEntry);
    struct Case {
        const char* what;
        HPEN pen;
        size_t size; // the record's size
        UINT objectType;
    };
    const Case cases[] = {
        {"CreatePen", CreatePen(PS_DASH, 1, 0x12345678), sizeof(LOGPEN), OBJ_PEN},
        {"CreatePen, wide", CreatePen(PS_SOLID, 4, 0x00FF00), sizeof(LOGPEN), OBJ_PEN},
        {"stock black pen", static_cast<HPEN>(GetStockObject(BLACK_PEN)), sizeof(LOGPEN), OBJ_PEN},
        {"cosmetic ExtCreatePen", ExtCreatePen(PS_COSMETIC | PS_SOLID, 1, &crossOnSolid, 0, nullptr), extHead,
         OBJ_EXTPEN},
        {"geometric ExtCreatePen",
         ExtCreatePen(PS_GEOMETRIC | PS_DOT | PS_JOIN_BEVEL, 5, &hatched, 0, nullptr), extHead, OBJ_EXTPEN},
        {"user style", ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 2, &kSolidRed, 3, dashes),
         extHead + 3 * sizeof(DWORD), OBJ_EXTPEN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(c.pen, nullptr);
        EXPECT_EQ(GetObjectType(c.pen), c.objectType);
        EXPECT_EQ(GetObjectA(c.pen, 0, nullptr), static_cast<int>(c.size));
        for (size_t offered = 0; offered <= 72; ++offered) {
            Record r;
            const int n = GetObjectA(c.pen, static_cast<int>(offered), r.bytes);
            if (offered < c.size) {
                EXPECT_EQ(n, 0) << offered;
                EXPECT_TRUE(r.untouchedFrom(0)) << offered;
            } else {
                EXPECT_EQ(n, static_cast<int>(c.size)) << offered;
                EXPECT_TRUE(r.untouchedFrom(c.size)) << offered;
            }
        }
    }
    // What the records hold: the colour whole, the hatch of the brush as given, the style entries.
    Record r;
    ASSERT_GT(GetObjectA(cases[0].pen, sizeof r.bytes, r.bytes), 0);
    EXPECT_EQ(r.logPen().lopnStyle, static_cast<UINT>(PS_DASH));
    EXPECT_EQ(r.logPen().lopnWidth.x, 1);
    EXPECT_EQ(r.logPen().lopnColor, 0x12345678u);
    ASSERT_GT(GetObjectA(cases[3].pen, sizeof r.bytes, r.bytes), 0);
    EXPECT_EQ(r.extPen().elpPenStyle, static_cast<DWORD>(PS_COSMETIC | PS_SOLID));
    EXPECT_EQ(r.extPen().elpWidth, 1u);
    EXPECT_EQ(r.extPen().elpBrushStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(r.extPen().elpColor, 0x123456u);
    EXPECT_EQ(r.extPen().elpHatch, static_cast<ULONG_PTR>(HS_CROSS));
    EXPECT_EQ(r.extPen().elpNumEntries, 0u);
    ASSERT_GT(GetObjectA(cases[4].pen, sizeof r.bytes, r.bytes), 0);
    EXPECT_EQ(r.extPen().elpBrushStyle, static_cast<UINT>(BS_HATCHED));
    EXPECT_EQ(r.extPen().elpHatch, static_cast<ULONG_PTR>(HS_DIAGCROSS));
    ASSERT_GT(GetObjectA(cases[5].pen, sizeof r.bytes, r.bytes), 0);
    ASSERT_EQ(r.extPen().elpNumEntries, 3u);
    EXPECT_EQ(r.styleEntry(0), 6u);
    EXPECT_EQ(r.styleEntry(2), 1u);
    for (const Case& c : cases)
        EXPECT_TRUE(DeleteObject(c.pen));

    // The null pen, offered exactly the size of an EXTLOGPEN, fills one (width 0); any other size
    // from a LOGPEN's on gives the LOGPEN.
    HGDIOBJ nullPen = GetStockObject(NULL_PEN);
    Record ext;
    ASSERT_EQ(GetObjectA(nullPen, sizeof(EXTLOGPEN), ext.bytes), static_cast<int>(sizeof(EXTLOGPEN)));
    EXPECT_EQ(ext.extPen().elpPenStyle, static_cast<DWORD>(PS_NULL));
    EXPECT_EQ(ext.extPen().elpWidth, 0u);
    EXPECT_EQ(ext.extPen().elpBrushStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(ext.extPen().elpColor, 0u);
    EXPECT_EQ(ext.extPen().elpNumEntries, 0u);
    EXPECT_EQ(GetObjectA(nullPen, sizeof(EXTLOGPEN) + 1, ext.bytes), static_cast<int>(sizeof(LOGPEN)));
    EXPECT_EQ(GetObjectA(nullPen, sizeof(EXTLOGPEN) - 1, ext.bytes), static_cast<int>(sizeof(LOGPEN)));
}

TEST_F(GdiRules, NegativeGeometricWidthIsItsMagnitude) {
    const DWORD style = PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT;
    HPEN negative = ExtCreatePen(style, static_cast<DWORD>(-3), &kSolidRed, 0, nullptr);
    HPEN positive = ExtCreatePen(style, 3, &kSolidRed, 0, nullptr);
    ASSERT_NE(negative, nullptr);
    ASSERT_NE(positive, nullptr);
    Record r;
    ASSERT_GT(GetObjectA(negative, sizeof r.bytes, r.bytes), 0);
    EXPECT_EQ(r.extPen().elpWidth, 3u);
    DrawWith(negative, 4, 8, 36, 8);
    DrawWith(positive, 4, 20, 36, 20);
    // The same three rows across the line, below each other.
    const std::vector<int> rows = InkRows(20);
    ASSERT_EQ(rows.size(), 6u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(rows[i] + 12, rows[i + 3]);
    EXPECT_EQ(dev->GetPixel(20, rows[0]), 0x0000FFu);
    EXPECT_TRUE(DeleteObject(negative));
    EXPECT_TRUE(DeleteObject(positive));
}

TEST_F(GdiRules, PensWindowsRefusesAreRefused) {
    const DWORD bad[] = {4, 0xFFFFFFFF};
    struct Case {
        const char* what;
        DWORD style, width, count;
        const DWORD* entries;
        bool wineMakesIt; // Wine makes a solid pen of a cosmetic user style instead of checking it
    };
    const Case cases[] = {
        {"cosmetic PS_INSIDEFRAME", PS_COSMETIC | PS_INSIDEFRAME, 1, 0, nullptr, false},
        {"cosmetic user style entry 0xFFFFFFFF", PS_COSMETIC | PS_USERSTYLE, 1, 2, bad, true},
        {"geometric user style entry 0xFFFFFFFF", PS_GEOMETRIC | PS_USERSTYLE, 3, 2, bad, false},
        {"cosmetic pen 3 wide", PS_COSMETIC | PS_DOT, 3, 0, nullptr, false},
    };
    for (const Case& c : cases) {
        if (c.wineMakesIt && draft2d::IsWineGdi())
            continue;
        SCOPED_TRACE(c.what);
        SetLastError(0);
        HPEN pen = ExtCreatePen(c.style, c.width, &kSolidRed, c.count, c.entries);
        EXPECT_EQ(pen, nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        if (pen)
            DeleteObject(pen);
    }
}

// Colours are kept as given; drawing takes the colour GDI draws for them: the low 24 bits, or an
// entry of the default palette for PALETTEINDEX (entry 0, black, when there is no such entry).
TEST_F(GdiRules, ColoursKeepTheirWhole32Bits) {
    EXPECT_EQ(SetBkColor(dc, 0x12345678), 0xFFFFFFu);
    EXPECT_EQ(GetBkColor(dc), 0x12345678u);
    EXPECT_EQ(SetBkColor(dc, 0xFFFFFF), 0x12345678u);
    EXPECT_EQ(SetTextColor(dc, 0xFF00FF00), 0u);
    EXPECT_EQ(GetTextColor(dc), 0xFF00FF00u);
    EXPECT_EQ(SetTextColor(dc, 0), 0xFF00FF00u);

    // The gaps of a dotted pen in opaque mode take the background colour.
    struct Case {
        COLORREF given, drawn;
    };
    const Case cases[] = {
        {0x120000FF, 0x0000FF},       // high byte without the palette bit: ignored
        {PALETTEINDEX(13), 0x0000FF}, // the default palette's red
        {PALETTEINDEX(9), 0xF0CAA6},  // its sky blue
        {PALETTEINDEX(99), 0x000000}, // no such entry: entry 0
        {PALETTERGB(0x12, 0x34, 0x56), RGB(0x12, 0x34, 0x56)},
    };
    HPEN dotted = CreatePen(PS_DOT, 1, 0x00FF00);
    HGDIOBJ old = SelectObject(dc, dotted);
    SetBkMode(dc, OPAQUE);
    int y = 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        SetBkColor(dc, c.given);
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, 30, y);
        int gaps = 0;
        for (int x = 0; x < 30; ++x) {
            const COLORREF v = dev->GetPixel(x, y);
            if (v != 0x00FF00u) {
                EXPECT_EQ(v, c.drawn) << x;
                ++gaps;
            }
        }
        EXPECT_GT(gaps, 5);
        y += 2;
    }
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteObject(dotted));
    SetBkColor(dc, 0xFFFFFF);

    // Pens and SetPixel alike; SetPixel answers the colour it set.
    HPEN palettePen = CreatePen(PS_SOLID, 1, PALETTEINDEX(16));
    DrawWith(palettePen, 0, 20, 30, 20);
    EXPECT_EQ(dev->GetPixel(10, 20), 0xFF0000u);
    EXPECT_TRUE(DeleteObject(palettePen));
    EXPECT_EQ(SetPixel(dc, 35, 25, PALETTEINDEX(9)), 0xF0CAA6u);
    EXPECT_EQ(SetPixel(dc, 36, 25, 0x12345678), 0x345678u);
    EXPECT_EQ(dev->GetPixel(36, 25), 0x345678u);
}

// The path is part of the state SaveDC keeps: open or ended, RestoreDC brings it back as it was.
TEST_F(GdiRules, SaveDCKeepsThePath) {
    ASSERT_TRUE(BeginPath(dc));
    MoveToEx(dc, 5, 10, nullptr);
    LineTo(dc, 30, 10);
    const int level = SaveDC(dc);
    ASSERT_GT(level, 0);
    EXPECT_TRUE(EndPath(dc));
    EXPECT_TRUE(RestoreDC(dc, -1));
    EXPECT_TRUE(EndPath(dc)); // open again
    EXPECT_TRUE(AllWhite());

    // An ended path saved, drawn, and brought back: it can be drawn again.
    SaveDC(dc);
    EXPECT_TRUE(StrokePath(dc));
    EXPECT_EQ(InkRows(20), std::vector<int>{10});
    SetLastError(0);
    EXPECT_FALSE(StrokePath(dc)); // used up
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CAN_NOT_COMPLETE));
    EXPECT_TRUE(RestoreDC(dc, -1));
    dev->Clear(0xFFFFFF);
    EXPECT_TRUE(StrokePath(dc));
    EXPECT_EQ(InkRows(20), std::vector<int>{10});

    // A path begun after the save is gone after the restore; one changed after the save is as it
    // was before.
    SaveDC(dc);
    BeginPath(dc);
    LineTo(dc, 20, 20);
    RestoreDC(dc, -1);
    SetLastError(0);
    EXPECT_FALSE(EndPath(dc));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CAN_NOT_COMPLETE));
    BeginPath(dc);
    MoveToEx(dc, 2, 25, nullptr);
    LineTo(dc, 12, 25);
    SaveDC(dc);
    LineTo(dc, 12, 5);
    RestoreDC(dc, -1);
    EndPath(dc);
    dev->Clear(0xFFFFFF);
    EXPECT_TRUE(StrokePath(dc));
    EXPECT_EQ(InkRows(12), std::vector<int>{}); // the vertical piece went with the restore
    EXPECT_EQ(InkRows(6), std::vector<int>{25});
}

TEST_F(GdiRules, CloseFigureOnAnOpenEmptyPathSucceeds) {
    ASSERT_TRUE(BeginPath(dc));
    EXPECT_TRUE(CloseFigure(dc));
    EXPECT_TRUE(AbortPath(dc));
    SetLastError(0);
    EXPECT_FALSE(CloseFigure(dc)); // no path
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CAN_NOT_COMPLETE));
}

// A buffer in the first 64 KiB is never one (a count and a pointer swapped look like this): nothing
// is written there and the answer is 0.
TEST_F(GdiRules, GetObjectIntoTheFirst64KiBWritesNothing) {
    LOGFONTA lf{};
    lf.lfHeight = -12;
    HFONT font = CreateFontIndirectA(&lf);
    HPEN pen = CreatePen(PS_SOLID, 2, 0);
    const LOGBRUSH hatch{BS_HATCHED, 0, HS_CROSS};
    HPEN ext = ExtCreatePen(PS_GEOMETRIC | PS_SOLID, 2, &hatch, 0, nullptr);
    HBRUSH brush = CreateSolidBrush(0xFF);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 4, 4);
    for (HGDIOBJ h : {static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(ext), static_cast<HGDIOBJ>(brush),
                      static_cast<HGDIOBJ>(font), static_cast<HGDIOBJ>(bitmap), GetStockObject(NULL_PEN)}) {
        // Wine converts a font's record to the ANSI one straight into the buffer, unchecked: a fault.
        if (h == font && draft2d::IsWineGdi())
            continue;
        for (uintptr_t address : {uintptr_t{16}, uintptr_t{0x100}, uintptr_t{0xFFF0}}) {
            EXPECT_EQ(GetObjectA(h, 64, reinterpret_cast<void*>(address)), 0) << address;
        }
    }
    for (HGDIOBJ h : {static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(ext), static_cast<HGDIOBJ>(brush),
                      static_cast<HGDIOBJ>(font), static_cast<HGDIOBJ>(bitmap)})
        EXPECT_TRUE(DeleteObject(h));
}

// Calls failed for a bad handle or parameter set the thread's last error; calls that succeed leave it.
TEST_F(GdiRules, FailedCallsSetTheLastError) {
    HDC gone = CreateCompatibleDC(dc);
    ASSERT_TRUE(DeleteDC(gone));
    HPEN deleted = CreatePen(PS_SOLID, 1, 0);
    ASSERT_TRUE(DeleteObject(deleted));
    const POINT pts[] = {{1, 1}, {5, 5}};
    struct Case {
        const char* what;
        std::function<bool()> fails;
        DWORD error;
    };
    const Case cases[] = {
        {"SetBkColor(deleted DC)", [&] { return SetBkColor(gone, 0) == CLR_INVALID; }, ERROR_INVALID_HANDLE},
        {"GetBkColor(NULL)", [&] { return GetBkColor(nullptr) == CLR_INVALID; }, ERROR_INVALID_HANDLE},
        {"SaveDC(deleted DC)", [&] { return SaveDC(gone) == 0; }, ERROR_INVALID_HANDLE},
        {"LineTo(NULL)", [&] { return !LineTo(nullptr, 1, 1); }, ERROR_INVALID_HANDLE},
        {"Polyline(deleted DC)", [&] { return !Polyline(gone, pts, 2); }, ERROR_INVALID_HANDLE},
        {"SelectObject(NULL, pen)", [&] { return !SelectObject(nullptr, GetStockObject(BLACK_PEN)); },
         ERROR_INVALID_HANDLE},
        {"GetDeviceCaps(NULL)", [&] { return GetDeviceCaps(nullptr, LOGPIXELSX) == 0; },
         ERROR_INVALID_HANDLE},
        {"DeleteDC(NULL)", [&] { return !DeleteDC(nullptr); }, ERROR_INVALID_HANDLE},
        {"GetObjectType(deleted pen)", [&] { return GetObjectType(deleted) == 0; }, ERROR_INVALID_HANDLE},
        {"SetBkMode(dc, 7)", [&] { return SetBkMode(dc, 7) == 0; }, ERROR_INVALID_PARAMETER},
        {"SetPolyFillMode(dc, 9)", [&] { return SetPolyFillMode(dc, 9) == 0; }, ERROR_INVALID_PARAMETER},
        {"SetArcDirection(dc, 9)", [&] { return SetArcDirection(dc, 9) == 0; }, ERROR_INVALID_PARAMETER},
        {"ExtCreatePen(cosmetic, 2 wide)",
         [&] { return !ExtCreatePen(PS_COSMETIC | PS_SOLID, 2, &kSolidRed, 0, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"EndPath without a path", [&] { return !EndPath(dc); }, ERROR_CAN_NOT_COMPLETE},
        {"FillPath without a path", [&] { return !FillPath(dc); }, ERROR_CAN_NOT_COMPLETE},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        const bool failed = c.fails();
        const DWORD error = GetLastError();
        EXPECT_TRUE(failed) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
    }

    // Calls that succeed leave the last error as it was; so do the failures Windows reports without one.
    SetLastError(1234);
    EXPECT_EQ(GetBkColor(dc), 0xFFFFFFu);
    EXPECT_TRUE(MoveToEx(dc, 1, 1, nullptr));
    EXPECT_TRUE(LineTo(dc, 3, 3));
    EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
    EXPECT_EQ(GetCurrentObject(nullptr, OBJ_PEN), nullptr);
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_EQ(GetLastError(), 1234u);
}

} // namespace
