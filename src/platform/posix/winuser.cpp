// USER functions off Windows: rectangle helpers, system colours and the screen device context.
#include "platform/posix/gdi_p.h"

#include <algorithm>

using namespace draft2d::detail;

extern "C" {

BOOL WINAPI SetRect(LPRECT rc, int left, int top, int right, int bottom) {
    if (!rc)
        return FALSE;
    *rc = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT rc) {
    return SetRect(rc, 0, 0, 0, 0);
}

BOOL WINAPI CopyRect(LPRECT dst, const RECT* src) {
    if (!dst || !src)
        return FALSE;
    *dst = *src;
    return TRUE;
}

namespace {

// Rectangle arithmetic wraps around at the 32-bit limits as it does on Windows, without the
// undefined behaviour of signed overflow.
LONG wrapAdd(LONG a, int b) {
    return static_cast<LONG>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

LONG wrapSub(LONG a, int b) {
    return static_cast<LONG>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

} // namespace

BOOL WINAPI InflateRect(LPRECT rc, int dx, int dy) {
    if (!rc)
        return FALSE;
    rc->left = wrapSub(rc->left, dx);
    rc->top = wrapSub(rc->top, dy);
    rc->right = wrapAdd(rc->right, dx);
    rc->bottom = wrapAdd(rc->bottom, dy);
    return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT rc, int dx, int dy) {
    if (!rc)
        return FALSE;
    rc->left = wrapAdd(rc->left, dx);
    rc->right = wrapAdd(rc->right, dx);
    rc->top = wrapAdd(rc->top, dy);
    rc->bottom = wrapAdd(rc->bottom, dy);
    return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* rc) {
    return !rc || rc->right <= rc->left || rc->bottom <= rc->top;
}

// The right and bottom edges are outside the rectangle.
BOOL WINAPI PtInRect(const RECT* rc, POINT pt) {
    return rc && pt.x >= rc->left && pt.x < rc->right && pt.y >= rc->top && pt.y < rc->bottom;
}

BOOL WINAPI IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b)
        return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        SetRectEmpty(dst);
        return FALSE;
    }
    *dst = r;
    return TRUE;
}

DWORD WINAPI GetSysColor(int index) {
    static const COLORREF colors[] = {
        0xC8C8C8, // COLOR_SCROLLBAR
        0x000000, // COLOR_BACKGROUND
        0xD1B499, // COLOR_ACTIVECAPTION
        0xDBCDBF, // COLOR_INACTIVECAPTION
        0xF0F0F0, // COLOR_MENU
        0xFFFFFF, // COLOR_WINDOW
        0x646464, // COLOR_WINDOWFRAME
        0x000000, // COLOR_MENUTEXT
        0x000000, // COLOR_WINDOWTEXT
        0x000000, // COLOR_CAPTIONTEXT
        0xB4B4B4, // COLOR_ACTIVEBORDER
        0xFCF7F4, // COLOR_INACTIVEBORDER
        0xABABAB, // COLOR_APPWORKSPACE
        0xFF9933, // COLOR_HIGHLIGHT
        0xFFFFFF, // COLOR_HIGHLIGHTTEXT
        0xF0F0F0, // COLOR_BTNFACE
        0xA0A0A0, // COLOR_BTNSHADOW
        0x6D6D6D, // COLOR_GRAYTEXT
        0x000000, // COLOR_BTNTEXT
        0x000000, // COLOR_INACTIVECAPTIONTEXT
        0xFFFFFF, // COLOR_BTNHIGHLIGHT
        0x696969, // COLOR_3DDKSHADOW
        0xE3E3E3, // COLOR_3DLIGHT
        0x000000, // COLOR_INFOTEXT
        0xE1FFFF, // COLOR_INFOBK
        0x000000, // 25 (unused)
        0xCC6600, // COLOR_HOTLIGHT
        0xEAD1B9, // COLOR_GRADIENTACTIVECAPTION
        0xF2E4D7, // COLOR_GRADIENTINACTIVECAPTION
        0xFF9933, // COLOR_MENUHILIGHT
        0xF0F0F0, // COLOR_MENUBAR
    };
    if (index < 0 || index >= static_cast<int>(sizeof colors / sizeof colors[0]))
        return 0;
    return colors[index];
}

HDC WINAPI GetDC(HWND hwnd) {
    if (hwnd)
        return nullptr;
    DeviceCaps caps;
    caps.technology = DT_RASDISPLAY;
    caps.width = 1920;
    caps.height = 1080;
    caps.dpiX = caps.dpiY = 96;
    caps.widthMm = 1920 * 25.4 / 96;
    caps.heightMm = 1080 * 25.4 / 96;
    auto surface = std::make_unique<Surface>();
    surface->surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    surface->isImage = true;
    surface->width = surface->height = 1;
    Dc* dc = createDeviceDc(DcKind::Screen, caps, surface.get(), 1.0, true);
    dc->ownSurface = std::move(surface);
    if (anyTracing())
        traceEach([&](TraceSink* s) { return "GetDC(NULL) -> " + traceHandle(s, dc); });
    return reinterpret_cast<HDC>(static_cast<GdiObject*>(dc));
}

int WINAPI ReleaseDC(HWND, HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (anyTracing())
        traceEach([&](TraceSink* s) { return "ReleaseDC(" + traceHandle(s, hdc) + ")"; });
    if (!dc || dc->dcKind != DcKind::Screen)
        return 0;
    deleteDeviceDc(dc);
    return 1;
}

} // extern "C"
