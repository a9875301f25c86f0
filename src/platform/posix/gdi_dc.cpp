// Device contexts off Windows: state, SaveDC/RestoreDC, selection, device capabilities, memory DCs,
// compatible bitmaps and BitBlt.
#include "platform/posix/gdi_p.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace draft2d {
namespace detail {

// ---- Surfaces -------------------------------------------------------------------------------------

Surface::~Surface() {
    if (surface)
        cairo_surface_destroy(surface);
}

void Surface::flushCairo() {
    cairo_surface_flush(surface);
    cairoPending = false;
}

uint32_t* Surface::findPixels() {
    pixelsOf_ = surface;
    pixels_ =
        (isImage && surface) ? reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface)) : nullptr;
    stride_ = findStride();
    return pixels_;
}

int Surface::findStride() const {
    return (isImage && surface) ? cairo_image_surface_get_stride(surface) / 4 : 0;
}

void Surface::beforeCairo() {
    if (directDirty && surface) {
        cairo_surface_mark_dirty(surface);
        directDirty = false;
    }
}

// ---- Device contexts ------------------------------------------------------------------------------

namespace {

void select(GdiObject*& slot, GdiObject* obj) {
    if (slot)
        --slot->selectCount;
    slot = obj;
    if (obj)
        ++obj->selectCount;
}

template <typename T>
void selectTyped(T*& slot, T* obj) {
    GdiObject* s = slot;
    select(s, obj);
    slot = static_cast<T*>(s);
}

void dropCairo(Dc& dc) {
    flushStrokes(dc);
    if (dc.cr) {
        cairo_destroy(dc.cr);
        dc.cr = nullptr;
    }
}

void retarget(Dc& dc, Bitmap* bmp) {
    dropCairo(dc);
    dc.target = bmp ? &bmp->surf : nullptr;
}

void selectBitmap(Dc& dc, Bitmap* bmp) {
    if (dc.st.bitmap && !dc.st.bitmap->isStock())
        dc.st.bitmap->selectedIn = nullptr;
    selectTyped(dc.st.bitmap, bmp);
    if (bmp && !bmp->isStock())
        bmp->selectedIn = &dc;
    retarget(dc, bmp);
}

} // namespace

Dc::~Dc() {
    if (cr)
        cairo_destroy(cr);
    if (textData && textFree)
        textFree(textData);
}

void initDcDefaults(Dc& dc) {
    selectTyped(dc.st.pen, stockPen(BLACK_PEN));
    selectTyped(dc.st.brush, stockBrush(WHITE_BRUSH));
    selectTyped(dc.st.font, stockFont(SYSTEM_FONT));
}

Dc* createDeviceDc(DcKind kind, const DeviceCaps& caps, Surface* surface, double pdfScale, bool countIt) {
    auto* dc = new Dc;
    dc->dcKind = kind;
    dc->caps = caps;
    dc->target = surface;
    dc->pdfScale = pdfScale;
    registerObject(dc, countIt);
    initDcDefaults(*dc);
    return dc;
}

namespace {

void releaseSelections(Dc& dc) {
    selectTyped(dc.st.pen, static_cast<Pen*>(nullptr));
    selectTyped(dc.st.brush, static_cast<Brush*>(nullptr));
    selectTyped(dc.st.font, static_cast<Font*>(nullptr));
    if (dc.st.bitmap)
        selectBitmap(dc, nullptr);
    dropCairo(dc);
}

} // namespace

void deleteDeviceDc(Dc* dc) {
    if (!dc)
        return;
    releaseSelections(*dc);
    destroyObject(dc);
}

// ---- Coordinates ----------------------------------------------------------------------------------

double deviceScaleX(const Dc& dc) {
    switch (dc.st.mapMode) {
    case MM_LOMETRIC:
        return dc.caps.dpiX / 254.0;
    case MM_HIMETRIC:
        return dc.caps.dpiX / 2540.0;
    case MM_LOENGLISH:
        return dc.caps.dpiX / 100.0;
    case MM_HIENGLISH:
        return dc.caps.dpiX / 1000.0;
    case MM_TWIPS:
        return dc.caps.dpiX / 1440.0;
    default:
        return 1.0;
    }
}

double deviceScaleY(const Dc& dc) {
    switch (dc.st.mapMode) {
    case MM_LOMETRIC:
        return -dc.caps.dpiY / 254.0;
    case MM_HIMETRIC:
        return -dc.caps.dpiY / 2540.0;
    case MM_LOENGLISH:
        return -dc.caps.dpiY / 100.0;
    case MM_HIENGLISH:
        return -dc.caps.dpiY / 1000.0;
    case MM_TWIPS:
        return -dc.caps.dpiY / 1440.0;
    default:
        return 1.0;
    }
}

void toDevice(const Dc& dc, double& x, double& y) {
    if (dc.st.mapMode == MM_TEXT)
        return;
    x *= deviceScaleX(dc);
    y *= deviceScaleY(dc);
}

void toLogical(const Dc& dc, double& x, double& y) {
    if (dc.st.mapMode == MM_TEXT)
        return;
    x /= deviceScaleX(dc);
    y /= deviceScaleY(dc);
}

// ---- Cairo ----------------------------------------------------------------------------------------

cairo_t* cairoBase(Dc& dc) {
    flushStrokes(dc);
    if (!dc.target || !dc.target->surface)
        return nullptr;
    dc.target->beforeCairo();
    if (dc.cr && cairo_status(dc.cr) != CAIRO_STATUS_SUCCESS) {
        // A context in an error state draws nothing more; a new one lets the DC go on drawing.
        cairo_destroy(dc.cr);
        dc.cr = nullptr;
    }
    if (!dc.cr) {
        dc.cr = cairo_create(dc.target->surface);
        if (dc.pdfScale != 1.0)
            cairo_scale(dc.cr, dc.pdfScale, dc.pdfScale);
        cairo_set_antialias(dc.cr, CAIRO_ANTIALIAS_NONE);
    }
    return dc.cr;
}

void cairoBaseDone(Dc& dc) {
    if (dc.cr)
        dc.target->afterCairo();
}

cairo_t* cairoFor(Dc& dc) {
    cairo_t* cr = cairoBase(dc);
    if (!cr)
        return nullptr;
    cairo_save(cr);
    cairo_new_path(cr);
    return cr;
}

void cairoDone(Dc& dc) {
    if (!dc.cr)
        return;
    cairo_restore(dc.cr);
    dc.target->afterCairo();
}

void flushStrokes(Dc& dc) {
    if (!dc.batch.open)
        return;
    dc.batch.open = false;
    dc.batch.figures = 0;
    cairo_t* cr = dc.cr;
    const StrokeKey& k = dc.batch.key;
    if (!k.dashes.empty() && k.opaqueGaps) {
        cairo_save(cr);
        cairo_set_dash(cr, nullptr, 0, 0);
        setSourceColor(cr, k.bkColor);
        cairo_stroke_preserve(cr);
        cairo_restore(cr);
    }
    cairo_stroke(cr);
    cairoDone(dc);
}

COLORREF paletteColor(unsigned index) {
    // The twenty static colours of the default palette, as COLORREFs.
    static const COLORREF entries[20] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000,
                                         0xC0C0C0, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF,
                                         0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    return index < 20 ? entries[index] : entries[0];
}

void setSourceColor(cairo_t* cr, COLORREF c) {
    c = drawnColor(c);
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

void useSourceColor(cairo_t* cr, COLORREF c) {
    c = drawnColor(c);
    const double r = GetRValue(c) / 255.0, g = GetGValue(c) / 255.0, b = GetBValue(c) / 255.0;
    // Only a sound context is asked for its source: one in an error state answers with a new
    // pattern of its own that nobody frees.
    double r0, g0, b0, a0;
    if (cairo_status(cr) == CAIRO_STATUS_SUCCESS &&
        cairo_pattern_get_rgba(cairo_get_source(cr), &r0, &g0, &b0, &a0) == CAIRO_STATUS_SUCCESS && r0 == r &&
        g0 == g && b0 == b && a0 == 1.0)
        return;
    cairo_set_source_rgb(cr, r, g, b);
}

} // namespace detail
} // namespace draft2d

using namespace draft2d::detail;

namespace {

std::string num(long long v) {
    return std::to_string(v);
}

const char* mapModeName(int m) {
    static const char* const names[] = {"MM_TEXT",      "MM_LOMETRIC", "MM_HIMETRIC",  "MM_LOENGLISH",
                                        "MM_HIENGLISH", "MM_TWIPS",    "MM_ISOTROPIC", "MM_ANISOTROPIC"};
    return (m >= 1 && m <= 8) ? names[m - 1] : nullptr;
}

std::string named(const char* name, int v) {
    return name ? std::string(name) : num(v);
}

const char* bkModeName(int m) {
    return m == TRANSPARENT ? "TRANSPARENT" : m == OPAQUE ? "OPAQUE" : nullptr;
}
const char* gmName(int m) {
    return m == GM_COMPATIBLE ? "GM_COMPATIBLE" : m == GM_ADVANCED ? "GM_ADVANCED" : nullptr;
}
const char* fillName(int m) {
    return m == ALTERNATE ? "ALTERNATE" : m == WINDING ? "WINDING" : nullptr;
}

const char* capsName(int index) {
    switch (index) {
    case DRIVERVERSION:
        return "DRIVERVERSION";
    case TECHNOLOGY:
        return "TECHNOLOGY";
    case HORZSIZE:
        return "HORZSIZE";
    case VERTSIZE:
        return "VERTSIZE";
    case HORZRES:
        return "HORZRES";
    case VERTRES:
        return "VERTRES";
    case BITSPIXEL:
        return "BITSPIXEL";
    case PLANES:
        return "PLANES";
    case NUMCOLORS:
        return "NUMCOLORS";
    case RASTERCAPS:
        return "RASTERCAPS";
    case ASPECTX:
        return "ASPECTX";
    case ASPECTY:
        return "ASPECTY";
    case ASPECTXY:
        return "ASPECTXY";
    case LOGPIXELSX:
        return "LOGPIXELSX";
    case LOGPIXELSY:
        return "LOGPIXELSY";
    case SIZEPALETTE:
        return "SIZEPALETTE";
    case PHYSICALWIDTH:
        return "PHYSICALWIDTH";
    case PHYSICALHEIGHT:
        return "PHYSICALHEIGHT";
    case PHYSICALOFFSETX:
        return "PHYSICALOFFSETX";
    case PHYSICALOFFSETY:
        return "PHYSICALOFFSETY";
    default:
        return nullptr;
    }
}

const char* ropName(DWORD rop) {
    switch (rop) {
    case SRCCOPY:
        return "SRCCOPY";
    case SRCPAINT:
        return "SRCPAINT";
    case SRCAND:
        return "SRCAND";
    case SRCINVERT:
        return "SRCINVERT";
    case SRCERASE:
        return "SRCERASE";
    case NOTSRCCOPY:
        return "NOTSRCCOPY";
    case NOTSRCERASE:
        return "NOTSRCERASE";
    case MERGECOPY:
        return "MERGECOPY";
    case MERGEPAINT:
        return "MERGEPAINT";
    case PATCOPY:
        return "PATCOPY";
    case PATPAINT:
        return "PATPAINT";
    case PATINVERT:
        return "PATINVERT";
    case DSTINVERT:
        return "DSTINVERT";
    case BLACKNESS:
        return "BLACKNESS";
    case WHITENESS:
        return "WHITENESS";
    default:
        return nullptr;
    }
}

// The object a saved state names, if it is still the same live object, else the default. The object
// selected now is alive (a selected object cannot be deleted), which spares the registry in the
// usual case of a state restored with the objects it saved.
template <typename T>
T* stillLive(T* saved, uint64_t serial, T* current, T* (*fallback)(int), int fallbackIndex) {
    if (saved == current && current && current->serial == serial)
        return saved;
    T* def = fallback(fallbackIndex);
    GdiObject* o = lookupObject(saved);
    if (o && o->serial == serial && o->kind == def->kind)
        return saved;
    return def;
}

template <typename T>
void reselect(T*& slot, T* obj) {
    if (slot == obj)
        return;
    if (slot)
        --slot->selectCount;
    ++obj->selectCount;
    slot = obj;
}

int roundInt(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

extern "C" {

// A saved state is the DC's state record (a few dozen bytes, copied as they are), the serials of its
// objects and the path, which stays shared with the DC until one of them changes it.
int WINAPI SaveDC(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return 0;
    if (tracing(dc))
        traceCall(*dc, [&] { return "SaveDC()"; });
    const bool withPath = dc->pathOpen || dc->pathReady;
    dc->saved.emplace_back(dc->st, withPath ? dc->pathPts : nullptr, dc->pathOpen, dc->pathReady);
    return static_cast<int>(dc->saved.size());
}

// nSavedDC > 0 restores that level (as returned by SaveDC) and drops it and every later one;
// nSavedDC < 0 counts back from the latest (-1 is the latest). Objects deleted since they were saved
// are replaced by the DC's defaults.
BOOL WINAPI RestoreDC(HDC hdc, int n) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceCall(*dc, [&] { return "RestoreDC(" + num(n) + ")"; });
    const int depth = static_cast<int>(dc->saved.size());
    const int level = n > 0 ? n : depth + n + 1;
    if (n == 0 || level < 1 || level > depth)
        return FALSE;
    SavedDcState& s = dc->saved[static_cast<size_t>(level - 1)];
    DcState& cur = dc->st;
    Pen* pen = stillLive(s.st.pen, s.penSerial, cur.pen, stockPen, BLACK_PEN);
    Brush* brush = stillLive(s.st.brush, s.brushSerial, cur.brush, stockBrush, WHITE_BRUSH);
    Font* font = stillLive(s.st.font, s.fontSerial, cur.font, stockFont, SYSTEM_FONT);
    Bitmap* bitmap = cur.bitmap;
    if (dc->dcKind == DcKind::Memory) {
        auto bitmapDefault = [](int) { return defaultBitmap(); };
        bitmap = s.st.bitmap ? stillLive<Bitmap>(s.st.bitmap, s.bitmapSerial, cur.bitmap, bitmapDefault, 0)
                             : defaultBitmap();
        if (!bitmap->isStock() && bitmap->selectedIn && bitmap->selectedIn != dc)
            bitmap = defaultBitmap();
    }
    // Everything but the objects as saved, then the objects with their selection counts.
    Pen* const curPen = cur.pen;
    Brush* const curBrush = cur.brush;
    Font* const curFont = cur.font;
    Bitmap* const curBitmap = cur.bitmap;
    cur = s.st;
    cur.pen = curPen;
    cur.brush = curBrush;
    cur.font = curFont;
    cur.bitmap = curBitmap;
    reselect(cur.pen, pen);
    reselect(cur.brush, brush);
    reselect(cur.font, font);
    if (dc->dcKind == DcKind::Memory && curBitmap != bitmap) {
        if (curBitmap && !curBitmap->isStock())
            curBitmap->selectedIn = nullptr;
        reselect(cur.bitmap, bitmap);
        if (!bitmap->isStock())
            bitmap->selectedIn = dc;
        dc->target = &bitmap->surf;
        if (dc->cr) {
            flushStrokes(*dc);
            cairo_destroy(dc->cr);
            dc->cr = nullptr;
        }
    }
    dc->pathPts = std::move(s.path);
    dc->pathOpen = s.pathOpen;
    dc->pathReady = s.pathReady;
    dc->saved.erase(dc->saved.begin() + (level - 1), dc->saved.end());
    return TRUE;
}

int WINAPI SetMapMode(HDC hdc, int mode) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "SetMapMode(" + named(mapModeName(mode), mode) + ")"; });
    if (!dc || mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return 0;
    const int old = dc->st.mapMode;
    dc->st.mapMode = mode;
    return old;
}

int WINAPI GetMapMode(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "GetMapMode()"; });
    return dc ? dc->st.mapMode : 0;
}

int WINAPI SetGraphicsMode(HDC hdc, int mode) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "SetGraphicsMode(" + named(gmName(mode), mode) + ")"; });
    if (!dc || (mode != GM_COMPATIBLE && mode != GM_ADVANCED))
        return 0;
    const int old = dc->st.graphicsMode;
    dc->st.graphicsMode = mode;
    return old;
}

int WINAPI GetGraphicsMode(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "GetGraphicsMode()"; });
    return dc ? dc->st.graphicsMode : 0;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "SetBkMode(" + named(bkModeName(mode), mode) + ")"; });
    if (!dc)
        return 0;
    if (mode != TRANSPARENT && mode != OPAQUE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int old = dc->st.bkMode;
    dc->st.bkMode = mode;
    return old;
}

int WINAPI GetBkMode(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "GetBkMode()"; });
    return dc ? dc->st.bkMode : 0;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "SetBkColor(" + traceColor(color) + ")"; });
    if (!dc)
        return CLR_INVALID;
    const COLORREF old = dc->st.bkColor;
    dc->st.bkColor = color; // kept whole; drawing takes the colour GDI draws for it (drawnColor)
    return old;
}

COLORREF WINAPI GetBkColor(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "GetBkColor()"; });
    return dc ? dc->st.bkColor : CLR_INVALID;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "SetTextColor(" + traceColor(color) + ")"; });
    if (!dc)
        return CLR_INVALID;
    const COLORREF old = dc->st.textColor;
    dc->st.textColor = color;
    return old;
}

COLORREF WINAPI GetTextColor(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "GetTextColor()"; });
    return dc ? dc->st.textColor : CLR_INVALID;
}

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "SetTextAlign(" + traceTextAlign(align) + ")"; });
    if (!dc)
        return GDI_ERROR;
    const UINT old = dc->st.textAlign;
    dc->st.textAlign = align;
    return old;
}

UINT WINAPI GetTextAlign(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "GetTextAlign()"; });
    return dc ? dc->st.textAlign : GDI_ERROR;
}

int WINAPI SetTextCharacterExtra(HDC hdc, int extra) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "SetTextCharacterExtra(" + num(extra) + ")"; });
    if (!dc)
        return static_cast<int>(0x80000000);
    const int old = dc->st.charExtra;
    dc->st.charExtra = extra;
    return old;
}

int WINAPI GetTextCharacterExtra(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "GetTextCharacterExtra()"; });
    return dc ? dc->st.charExtra : static_cast<int>(0x80000000);
}

BOOL WINAPI SetTextJustification(HDC hdc, int extra, int count) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "SetTextJustification(" + num(extra) + "," + num(count) + ")"; });
    if (!dc)
        return FALSE;
    dc->st.breakExtra = count > 0 ? extra : 0;
    dc->st.breakCount = count > 0 ? count : 0;
    return TRUE;
}

int WINAPI SetPolyFillMode(HDC hdc, int mode) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "SetPolyFillMode(" + named(fillName(mode), mode) + ")"; });
    if (!dc)
        return 0;
    if (mode != ALTERNATE && mode != WINDING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int old = dc->st.polyFillMode;
    dc->st.polyFillMode = mode;
    return old;
}

int WINAPI GetPolyFillMode(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "GetPolyFillMode()"; });
    return dc ? dc->st.polyFillMode : 0;
}

int WINAPI SetArcDirection(HDC hdc, int dir) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] {
            return std::string("SetArcDirection(") +
                   (dir == AD_CLOCKWISE          ? "AD_CLOCKWISE"
                    : dir == AD_COUNTERCLOCKWISE ? "AD_COUNTERCLOCKWISE"
                                                 : num(dir).c_str()) +
                   ")";
        });
    if (!dc)
        return 0;
    if (dir != AD_CLOCKWISE && dir != AD_COUNTERCLOCKWISE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int old = dc->st.arcDirection;
    dc->st.arcDirection = dir;
    return old;
}

int WINAPI GetArcDirection(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "GetArcDirection()"; });
    return dc ? dc->st.arcDirection : 0;
}

BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT pt) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "GetCurrentPositionEx()"; });
    if (!dc || !pt)
        return FALSE;
    *pt = dc->st.pos;
    return TRUE;
}

// This layer has no clip regions: the box is the whole surface the DC draws on.
int WINAPI GetClipBox(HDC hdc, LPRECT rc) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceDc(*dc, "GetClipBox()");
    if (!dc || !rc || !dc->target)
        return 0;
    rc->left = 0;
    rc->top = 0;
    rc->right = dc->target->width;
    rc->bottom = dc->target->height;
    return rc->right > 0 && rc->bottom > 0 ? SIMPLEREGION : NULLREGION;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "GetDeviceCaps(" + named(capsName(index), index) + ")"; });
    if (!dc)
        return 0;
    const DeviceCaps& c = dc->caps;
    switch (index) {
    case DRIVERVERSION:
        return 0x4000;
    case TECHNOLOGY:
        return c.technology;
    case HORZSIZE:
        return roundInt(c.widthMm);
    case VERTSIZE:
        return roundInt(c.heightMm);
    case HORZRES:
    case PHYSICALWIDTH:
        return c.width;
    case VERTRES:
    case PHYSICALHEIGHT:
        return c.height;
    case BITSPIXEL:
        return c.bitsPixel;
    case PLANES:
        return 1;
    case NUMBRUSHES:
    case NUMPENS:
        return -1;
    case NUMFONTS:
        return 0;
    case NUMCOLORS:
        return c.numColors;
    case RASTERCAPS:
        return RC_BITBLT | RC_BITMAP64 | RC_STRETCHBLT;
    case ASPECTX:
    case ASPECTY:
        return 36;
    case ASPECTXY:
        return 51;
    case LOGPIXELSX:
        return c.dpiX;
    case LOGPIXELSY:
        return c.dpiY;
    case SIZEPALETTE:
    case NUMRESERVED:
        return 0;
    case COLORRES:
        return 24;
    case PHYSICALOFFSETX:
    case PHYSICALOFFSETY:
        return 0;
    case SCALINGFACTORX:
    case SCALINGFACTORY:
        return 0;
    default:
        return 0;
    }
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "SelectObject(" + traceHandle(dc->trace.get(), h) + ")"; });
    GdiObject* o = lookupObject(h);
    if (!dc || !o)
        return nullptr;
    switch (o->kind) {
    case ObjKind::Pen: {
        Pen* old = dc->st.pen;
        if (old != o) {
            --old->selectCount;
            ++o->selectCount;
            dc->st.pen = static_cast<Pen*>(o);
        }
        return old;
    }
    case ObjKind::Brush: {
        Brush* old = dc->st.brush;
        if (old != o) {
            --old->selectCount;
            ++o->selectCount;
            dc->st.brush = static_cast<Brush*>(o);
        }
        return old;
    }
    case ObjKind::Font: {
        Font* old = dc->st.font;
        if (old != o) {
            --old->selectCount;
            ++o->selectCount;
            dc->st.font = static_cast<Font*>(o);
        }
        return old;
    }
    case ObjKind::Bitmap: {
        auto* bmp = static_cast<Bitmap*>(o);
        if (dc->dcKind != DcKind::Memory)
            return nullptr; // bitmaps go into memory device contexts only
        Bitmap* old = dc->st.bitmap;
        if (old == bmp)
            return old;
        if (!bmp->isStock() && bmp->selectedIn)
            return nullptr; // already selected in another device context
        if (old) {
            --old->selectCount;
            if (!old->isStock())
                old->selectedIn = nullptr;
        }
        ++bmp->selectCount;
        if (!bmp->isStock())
            bmp->selectedIn = dc;
        dc->st.bitmap = bmp;
        dc->target = &bmp->surf;
        if (dc->cr) {
            cairo_destroy(dc->cr);
            dc->cr = nullptr;
        }
        return old;
    }
    case ObjKind::Dc:
        return nullptr;
    }
    return nullptr;
}

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    Dc* ref = hdc ? findDc(hdc) : nullptr; // Windows fails a bad reference DC without an error
    Dc* made = nullptr;
    if (!hdc || ref) {
        made = new Dc;
        made->dcKind = DcKind::Memory;
        if (ref) {
            made->caps = ref->caps;
            made->trace = ref->trace;
        } else {
            made->caps.width = 1920;
            made->caps.height = 1080;
            made->caps.widthMm = 1920 * 25.4 / 96;
            made->caps.heightMm = 1080 * 25.4 / 96;
        }
        registerObject(made, true);
        initDcDefaults(*made);
        Bitmap* def = defaultBitmap();
        ++def->selectCount;
        made->st.bitmap = def;
        made->target = &def->surf;
    }
    if (ref && tracing(ref))
        traceDc(*ref, "CreateCompatibleDC(" + traceHandle(ref->trace.get(), hdc) + ") -> " +
                          traceHandle(ref->trace.get(), made));
    else if (!hdc && anyTracing())
        traceEach([&](TraceSink* s) { return "CreateCompatibleDC(NULL) -> " + traceHandle(s, made); });
    return reinterpret_cast<HDC>(static_cast<GdiObject*>(made));
}

// A bitmap of the device's colour format, initially black. A zero size gives the 1 x 1 default
// bitmap, as on Windows; negative or huge sizes fail.
HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    Dc* dc = lookupDc(hdc);
    GdiObject* made = nullptr;
    if (dc && cx >= 0 && cy >= 0) {
        if (cx == 0 || cy == 0) {
            made = defaultBitmap();
        } else if (static_cast<long long>(cx) * cy <= (1LL << 28) && cx <= 32767 && cy <= 32767) {
            cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, cx, cy);
            if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
                auto* b = new Bitmap;
                b->surf.surface = s;
                b->surf.isImage = true;
                b->surf.width = cx;
                b->surf.height = cy;
                registerObject(b, true);
                made = b;
            } else {
                cairo_surface_destroy(s);
            }
        }
    }
    if (tracing(dc))
        traceCall(*dc, [&] {
            return "CreateCompatibleBitmap(" + num(cx) + "," + num(cy) + ") -> " +
                   traceHandle(dc->trace.get(), made);
        });
    return reinterpret_cast<HBITMAP>(made);
}

BOOL WINAPI DeleteDC(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (tracing(dc))
        traceCall(*dc, [&] { return "DeleteDC()"; });
    if (!dc || dc->dcKind != DcKind::Memory)
        return FALSE; // device DCs belong to their devices, screen DCs are released
    Pen* p = dc->st.pen;
    Brush* b = dc->st.brush;
    Font* f = dc->st.font;
    Bitmap* bm = dc->st.bitmap;
    --p->selectCount;
    --b->selectCount;
    --f->selectCount;
    if (bm) {
        --bm->selectCount;
        if (!bm->isStock())
            bm->selectedIn = nullptr;
    }
    dc->st.pen = nullptr;
    dc->st.brush = nullptr;
    dc->st.font = nullptr;
    dc->st.bitmap = nullptr;
    destroyObject(dc);
    return TRUE;
}

} // extern "C"

namespace {

uint32_t ropPixel(DWORD rop, uint32_t s, uint32_t d) {
    switch (rop) {
    case SRCCOPY:
        return s;
    case NOTSRCCOPY:
        return ~s;
    case SRCAND:
        return s & d;
    case SRCPAINT:
        return s | d;
    case SRCINVERT:
        return s ^ d;
    case SRCERASE:
        return s & ~d;
    case NOTSRCERASE:
        return ~(s | d);
    case MERGEPAINT:
        return ~s | d;
    case DSTINVERT:
        return ~d;
    case BLACKNESS:
        return 0;
    case WHITENESS:
        return 0xFFFFFF;
    default:
        return d;
    }
}

bool needsSource(DWORD rop) {
    return rop != DSTINVERT && rop != BLACKNESS && rop != WHITENESS;
}

bool supportedRop(DWORD rop) {
    switch (rop) {
    case SRCCOPY:
    case NOTSRCCOPY:
    case SRCAND:
    case SRCPAINT:
    case SRCINVERT:
    case SRCERASE:
    case NOTSRCERASE:
    case MERGEPAINT:
    case DSTINVERT:
    case BLACKNESS:
    case WHITENESS:
        return true;
    default:
        return false;
    }
}

} // namespace

extern "C" {

// Copies pixels between image targets exactly (clipped to both); onto a PDF only SRCCOPY, BLACKNESS
// and WHITENESS are possible. Pattern raster operations are not part of this subset and fail.
BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    Dc* dst = lookupDc(hdc);
    Dc* src = hdcSrc ? lookupDc(hdcSrc) : nullptr;
    if (tracing(dst))
        traceDc(*dst, "BitBlt(" + num(x) + "," + num(y) + "," + num(cx) + "," + num(cy) + "," +
                          traceHandle(dst->trace.get(), hdcSrc) + "," + num(x1) + "," + num(y1) + "," +
                          named(ropName(rop), static_cast<int>(rop)) + ")");
    if (!dst || !dst->target || !supportedRop(rop))
        return FALSE;
    const bool withSrc = needsSource(rop);
    if (withSrc && (!src || !src->target || !src->target->isImage))
        return FALSE;
    if (cx <= 0 || cy <= 0)
        return TRUE;
    double dx = x, dy = y, sx = x1, sy = y1;
    toDevice(*dst, dx, dy);
    if (withSrc)
        toDevice(*src, sx, sy);
    long long X = std::llround(dx), Y = std::llround(dy), SX = std::llround(sx), SY = std::llround(sy);
    long long W = cx, H = cy;
    Surface& ds = *dst->target;
    // Clip against the destination, then the source.
    auto clip = [&](long long& a, long long& b, long long& len, long long limit) {
        if (a < 0) {
            b -= a;
            len += a;
            a = 0;
        }
        if (a + len > limit)
            len = limit - a;
    };
    clip(X, SX, W, ds.width);
    clip(Y, SY, H, ds.height);
    if (withSrc) {
        clip(SX, X, W, src->target->width);
        clip(SY, Y, H, src->target->height);
    }
    if (W <= 0 || H <= 0)
        return TRUE;

    if (!ds.isImage) {
        if (rop != SRCCOPY && rop != BLACKNESS && rop != WHITENESS)
            return FALSE;
        cairo_t* cr = cairoFor(*dst);
        if (!cr)
            return FALSE;
        cairo_rectangle(cr, static_cast<double>(X), static_cast<double>(Y), static_cast<double>(W),
                        static_cast<double>(H));
        if (rop == SRCCOPY) {
            src->target->beforeCairo();
            cairo_surface_flush(src->target->surface);
            cairo_set_source_surface(cr, src->target->surface, static_cast<double>(X - SX),
                                     static_cast<double>(Y - SY));
            if (cairo_status(cr) == CAIRO_STATUS_SUCCESS) // else its source would be a new pattern
                cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
            // The PDF keeps a reference to the pixels until the page is written: the next direct
            // write must flush first, which makes Cairo snapshot the pixels as they are now.
            src->target->cairoPending = true;
        } else {
            setSourceColor(cr, rop == BLACKNESS ? 0 : 0xFFFFFF);
        }
        cairo_fill(cr);
        cairoDone(*dst);
        return TRUE;
    }

    uint32_t* dp = ds.beginDirect();
    const int dstride = ds.strideWords();
    const uint32_t* sp = nullptr;
    int sstride = 0;
    std::vector<uint32_t> copy;
    if (withSrc) {
        Surface& ss = *src->target;
        const uint32_t* sdata = ss.beginDirect();
        sstride = ss.strideWords();
        if (&ss == &ds) {
            // Overlapping copy within one surface: read from a snapshot of the source rows.
            copy.resize(static_cast<size_t>(W * H));
            for (long long r = 0; r < H; ++r)
                std::memcpy(&copy[static_cast<size_t>(r * W)], sdata + (SY + r) * sstride + SX,
                            static_cast<size_t>(W) * 4);
            sp = copy.data();
            sstride = static_cast<int>(W);
            SX = 0;
            SY = 0;
        } else {
            sp = sdata;
        }
    }
    for (long long r = 0; r < H; ++r) {
        uint32_t* drow = dp + (Y + r) * dstride + X;
        if (rop == SRCCOPY) {
            std::memcpy(drow, sp + (SY + r) * sstride + SX, static_cast<size_t>(W) * 4);
            continue;
        }
        for (long long c = 0; c < W; ++c) {
            const uint32_t s = withSrc ? sp[(SY + r) * sstride + SX + c] : 0;
            drow[c] = 0xFF000000u | (ropPixel(rop, s, drow[c]) & 0xFFFFFFu);
        }
    }
    ds.endDirect();
    return TRUE;
}

} // extern "C"
