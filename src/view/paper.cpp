// CGraphSystem: the paper sheet, from paper (0, 0) to paperSize in millimetres, and the grid.
#include "view/CGraphSystem_p.h"

#include <algorithm>
#include <cmath>

#include "view/CGraphCanvas.h"

using draft2d::detail::GuardPixel;
using draft2d::detail::TruncPixel;

namespace {

const double kMinPaperSide = 2.0; // mm
const LONG kPixelLimit = 10000;   // screen coordinates of the sheet are limited to +-10000

} // namespace

void CGraphSystem::SetPaper(double w, double h) {
    if (w >= kMinPaperSide && h >= kMinPaperSide)
        state->paperSize.set(w, h);
}

mgRect CGraphSystem::GetPaperRect() const {
    mgRect paper(0.0, 0.0, state->paperSize.x(), state->paperSize.y());
    mgRect user;
    PaperToUser(paper, user);
    return user;
}

namespace {

// The sheet in screen pixels, each corner rounded (add 0.5, truncate toward zero) but kept in
// double: zoomed in, a sheet spans far more pixels than an int or the clamp of GetPaperRectPixel
// holds, and the layouts measure their cells from it.
struct SheetPixels {
    double left, top, right, bottom;
};

double RoundToWhole(double v) {
    return std::trunc(v + 0.5);
}

SheetPixels SheetOnScreen(const CGraphSystem& view, const mgPoint& size) {
    SheetPixels p;
    view.PaperToScreen(0.0, size.y(), &p.left, &p.top);
    view.PaperToScreen(size.x(), 0.0, &p.right, &p.bottom);
    p.left = RoundToWhole(p.left);
    p.top = RoundToWhole(p.top);
    p.right = RoundToWhole(p.right);
    p.bottom = RoundToWhole(p.bottom);
    return p;
}

} // namespace

void CGraphSystem::GetPaperRectPixel(RECT& r) const {
    const mgPoint& size = state->paperSize;
    if (size.x() < kMinPaperSide || size.y() < kMinPaperSide) {
        ::SetRect(&r, 0, 0, 0, 0);
        return;
    }
    const SheetPixels p = SheetOnScreen(*this, size);
    ::SetRect(&r, TruncPixel(p.left), TruncPixel(p.top), TruncPixel(p.right), TruncPixel(p.bottom));
    if (r.left < -kPixelLimit)
        r.left = -kPixelLimit;
    if (r.top < -kPixelLimit)
        r.top = -kPixelLimit;
    if (r.right > kPixelLimit)
        r.right = kPixelLimit;
    if (r.bottom > kPixelLimit)
        r.bottom = kPixelLimit;
}

// ---------------------------------------------------------------------------------------------
// Drawing the sheet
//
// On a display the sheet is its pixel rectangle R filled with the background colour, framed one
// pixel outside R in the background's contrast colour and, on a white background, given a 3-pixel
// shadow along its right and lower edges. On a printer only the outline is drawn, through the
// current line type.

namespace {

// Frame, shadow and fill of the sheet R on a display, with the pens of canvas.
// A host's rectangle may reach the ends of the int range: it is brought into the guard box first, so
// that the frame and shadow around it neither overflow nor wrap across the window.
void DrawSheetOnDisplay(CGraphSystem& view, CGraphCanvas& canvas, HDC dc, RECT r) {
    ::SetRect(&r, GuardPixel(r.left), GuardPixel(r.top), GuardPixel(r.right), GuardPixel(r.bottom));
    ::InflateRect(&r, 1, 1);
    canvas.SetPen(0, 0xFFFFFFFF, PS_SOLID);
    ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
    if (view.GetBkColor() == 0xFFFFFF) {
        canvas.SetPen(-3, ::GetSysColor(COLOR_BTNSHADOW), PS_SOLID);
        ::MoveToEx(dc, r.right + 1, r.top + 3, nullptr);
        ::LineTo(dc, r.right + 1, r.bottom + 1);
        ::MoveToEx(dc, r.left + 3, r.bottom + 1, nullptr);
        ::LineTo(dc, r.right + 1, r.bottom + 1);
    }
    ::InflateRect(&r, -1, -1);
    HBRUSH fill = ::CreateSolidBrush(static_cast<COLORREF>(view.GetBkColor()));
    if (fill != nullptr) {
        ::FillRect(dc, &r, fill);
        ::DeleteObject(fill);
    }
}

// The k range [first, last] of lines at origin + k * step, k = 1 .. count - 1, that fall within
// [lo, hi]; empty (first > last) when there are none or the step is not positive.
void VisibleDivisions(double origin, double step, long long count, double lo, double hi, long long& first,
                      long long& last) {
    first = 1;
    last = 0;
    if (!(step > 0) || count < 2)
        return;
    const double a = std::max(std::ceil((lo - origin) / step), 1.0);
    const double b = std::min(std::floor((hi - origin) / step), static_cast<double>(count - 1));
    if (!(a <= b))
        return;
    first = static_cast<long long>(a);
    last = static_cast<long long>(b);
}

// The outline of a sheet or layout on a printer: the rectangle through the view's current line type.
// The caller's canvas has selected the null brush, so the closed outline is not filled with
// whatever brush the host left in the DC.
void DrawOutlineOnPrinter(CGraphSystem& view, const SheetPixels& p) {
    view.DrawRect(mgRect(p.left, p.top, p.right, p.bottom), 0, 0, 0, CGraphSystem::COORD_SCREEN);
}

// What dc can show at all, in screen pixels: its clip box (a page, a bitmap, the visible part of a
// window), grown by a pixel each way; false when the DC cannot tell. The loops over layout divisions
// and grid points go over this box only, so that a window far larger than any device (the host may
// give any size) cannot make them run for ages.
bool ShownBox(HDC dc, double& left, double& top, double& right, double& bottom) {
    RECT box;
    if (::GetClipBox(dc, &box) == 0)
        return false;
    left = box.left - 1.0;
    top = box.top - 1.0;
    right = box.right + 1.0;
    bottom = box.bottom + 1.0;
    return true;
}

} // namespace

// On a printer the outline's size comes from the sheet in double: a printer's page holds far more
// pixels than the clamp of GetPaperRectPixel (an A1 sheet at 600 dpi is about 19,900 pixels wide).
// On a display the clamped rectangle is drawn: what the clamp cuts off lies outside any window.
void CGraphSystem::DrawPaper(const RECT* r) {
    const mgPoint& size = state->paperSize;
    HDC dc = GetDrawDC();
    if (size.x() < kMinPaperSide || size.y() < kMinPaperSide || dc == nullptr)
        return;
    CGraphCanvas canvas(this, dc, 1);
    if (state->isPrint) {
        SheetPixels p = SheetOnScreen(*this, size);
        if (r != nullptr)
            p = {double(r->left), double(r->top), double(r->right), double(r->bottom)};
        DrawOutlineOnPrinter(*this, p);
        return;
    }
    RECT sheet;
    if (r != nullptr)
        sheet = *r;
    else
        GetPaperRectPixel(sheet);
    DrawSheetOnDisplay(*this, canvas, dc, sheet);
}

// The layout is measured in double from the unclamped sheet: cell width W = trunc(sheet width - ml
// - mr), height H = trunc(sheet height - mt - mb), the layout's right edge nx - 1 cells beyond the
// sheet's and its top ny - 1 cells above. Coordinates reach GDI through the guard box. Division
// lines are drawn with plain MoveToEx/LineTo, which the clip rectangle does not clip, so only those
// outside the window are skipped.
void CGraphSystem::DrawPaper2(int nx, int ny, double ml, double mt, double mr, double mb) {
    const mgPoint& size = state->paperSize;
    if (size.x() < kMinPaperSide || size.y() < kMinPaperSide || nx < 1 || ny < 1)
        return;
    const double scale = state->viewScale;
    ml *= scale;
    mt *= scale;
    mr *= scale;
    mb *= scale;
    if (!std::isfinite(ml) || !std::isfinite(mt) || !std::isfinite(mr) || !std::isfinite(mb))
        return;
    SheetPixels p = SheetOnScreen(*this, size);
    const double w = std::trunc(p.right - p.left - ml - mr);
    const double h = std::trunc(p.bottom - p.top - mt - mb);
    p.right += (nx - 1.0) * w;
    p.top -= (ny - 1.0) * h;
    if (!std::isfinite(p.left) || !std::isfinite(p.top) || !std::isfinite(p.right) ||
        !std::isfinite(p.bottom))
        return;
    HDC dc = GetDrawDC();
    if (dc == nullptr)
        return;
    CGraphCanvas canvas(this, dc, 1);
    if (state->isPrint) {
        DrawOutlineOnPrinter(*this, p);
        return;
    }
    const RECT layout = {GuardPixel(p.left), GuardPixel(p.top), GuardPixel(p.right), GuardPixel(p.bottom)};
    DrawSheetOnDisplay(*this, canvas, dc, layout);

    const double left = std::trunc(p.left + ml), top = std::trunc(p.top + mt);
    const double right = std::trunc(p.right - mr), bottom = std::trunc(p.bottom - mb);
    canvas.SetPen(0, 0xFFFFFFFF, PS_SOLID);
    ::Rectangle(dc, GuardPixel(left), GuardPixel(top), GuardPixel(right), GuardPixel(bottom));

    // Division lines, only those on the window (a pixel of margin either side) and on what the DC
    // shows. The clip rectangle plays no part: MoveToEx and LineTo are not clipped by it.
    double xlo = -1.0, xhi = state->width + 1.0, ylo = -1.0, yhi = state->height + 1.0;
    double sl, st, sr, sb;
    if (ShownBox(dc, sl, st, sr, sb)) {
        xlo = std::max(xlo, sl);
        xhi = std::min(xhi, sr);
        ylo = std::max(ylo, st);
        yhi = std::min(yhi, sb);
    }
    long long first, last;
    VisibleDivisions(top, h, ny, ylo, yhi, first, last);
    for (long long k = first; k <= last; ++k) {
        const int y = GuardPixel(top + static_cast<double>(k) * h);
        ::MoveToEx(dc, GuardPixel(left), y, nullptr);
        ::LineTo(dc, GuardPixel(right), y);
    }
    VisibleDivisions(left, w, nx, xlo, xhi, first, last);
    for (long long k = first; k <= last; ++k) {
        const int x = GuardPixel(left + static_cast<double>(k) * w);
        ::MoveToEx(dc, x, GuardPixel(top), nullptr);
        ::LineTo(dc, x, GuardPixel(bottom));
    }
}

// ---------------------------------------------------------------------------------------------
// Grid

namespace {

const double kMinGridPixels = 5.0; // a grid finer than this on screen is not shown

// The integer nearest to q, halves away from zero, as a double (no integer conversion).
double NearestInteger(double q) {
    return std::copysign(std::trunc(std::fabs(q) + 0.5), q);
}

// The indices [first, last] of the points a + i * step, i = 0 .. n - 1 (screen pixels), that fall
// within [lo, hi]; first > last when none does. A step that does not move puts every point on the
// first one's pixel.
void IndexRange(double a, double step, long n, double lo, double hi, long& first, long& last) {
    first = 0;
    last = -1;
    if (!(step != 0) || !std::isfinite(step)) {
        if (a >= lo && a <= hi && n > 0)
            last = 0;
        return;
    }
    double f = (lo - a) / step, l = (hi - a) / step;
    if (step < 0)
        std::swap(f, l);
    f = std::max(std::ceil(f), 0.0);
    l = std::min(std::floor(l), static_cast<double>(n) - 1.0);
    if (f <= l) {
        first = static_cast<long>(f);
        last = static_cast<long>(l);
    }
}

} // namespace

void CGraphSystem::SetGridType(int type) {
    if (type >= 0 && type <= 2)
        state->gridType = type;
}

int CGraphSystem::GetGridType() const {
    return state->gridType;
}

void CGraphSystem::SetGrid(double dx, double dy, double ox, double oy, mgRect rect) {
    if (dx > 1e-7) {
        state->gridX = dx;
        state->gridY = dy;
        state->gridOrigin.set(ox, oy);
    }
    if (!rect.isEmpty())
        state->gridRect = rect;
}

int CGraphSystem::GetGridValues(double& dx, double& dy, double& x0, double& y0, long& nx, long& ny) const {
    using draft2d::detail::TruncPixel;
    const State& s = *state;
    dx = s.gridX;
    dy = s.gridY;
    RECT window = {0, 0, s.width, s.height};
    ::InflateRect(&window, 2, 2);
    mgRect visible;
    ScreenToUser(&window, visible);
    const double unitsPerPixel = ScreenToUser();
    if (!(unitsPerPixel * kMinGridPixels <= dx) || !(unitsPerPixel * kMinGridPixels <= dy))
        return 0;
    mgRect area;
    switch (s.gridType) {
    case 0:
        area = GetPaperRect();
        break;
    case 1:
        area = visible;
        break;
    case 2:
        area = s.gridRect;
        break;
    default:
        return 0;
    }
    // An area that misses the window has no grid lines to show (the formulas below would measure
    // from the empty rectangle's corner, wherever the grid's origin is).
    if (!area.intersect(area, visible))
        return 0;
    x0 = s.gridOrigin.x() + dx * NearestInteger((area.left() - s.gridOrigin.x()) / dx);
    nx = TruncPixel(std::trunc((area.right() - x0) / dx + 0.5) + 1.0);
    y0 = s.gridOrigin.y() + dy * NearestInteger((area.bottom() - s.gridOrigin.y()) / dy);
    ny = TruncPixel(std::trunc((area.top() - y0) / dy + 0.5) + 1.0);
    return nx > 2 && ny > 2 ? 1 : 0;
}

void CGraphSystem::DrawGrid(unsigned long colour, unsigned long outsideColour, int style) {
    HDC dc = GetDrawDC();
    double dx, dy, x0, y0;
    long nx, ny;
    if (dc == nullptr || GetGridValues(dx, dy, x0, y0, nx, ny) == 0)
        return;
    CGraphCanvas canvas(this, dc, 1);
    const COLORREF c = static_cast<COLORREF>(CalcDrawColor(colour));
    COLORREF outside;
    if ((outsideColour & 0xFFFFFFFFul) > 0xFFFFFF)
        outside = state->clearColor == state->bkColor ? c : (~state->clearColor & 0xFFFFFF);
    else
        outside = static_cast<COLORREF>(outsideColour);
    // Only the grid points and lines that fall on what the DC shows are visited (all of them when
    // it cannot tell).
    double sl = -HUGE_VAL, st = -HUGE_VAL, sr = HUGE_VAL, sb = HUGE_VAL;
    ShownBox(dc, sl, st, sr, sb);
    double sx0, sy0;
    UserToScreen(x0, y0, &sx0, &sy0);
    long i0, i1, j0, j1;
    if (style == 0) {
        RECT paper;
        GetPaperRectPixel(paper);
        double sx1, sy1;
        UserToScreen(x0 + dx, y0 + dy, &sx1, &sy1);
        IndexRange(sx0, sx1 - sx0, nx, sl, sr, i0, i1);
        IndexRange(sy0, sy1 - sy0, ny, st, sb, j0, j1);
        double x = i0 == 0 ? x0 : x0 + i0 * dx;
        for (long i = i0; i <= i1; ++i, x += dx) {
            double y = j0 == 0 ? y0 : y0 + j0 * dy;
            for (long j = j0; j <= j1; ++j, y += dy) {
                POINT pt;
                UserToScreen(mgPoint(x, y), &pt);
                ::SetPixel(dc, pt.x, pt.y, c == outside || ::PtInRect(&paper, pt) ? c : outside);
            }
        }
    } else if (style == 1 || style == 2) {
        // The canvas applies the view's colour rule itself: given c it would invert an inverted
        // colour back.
        canvas.SetPen(0, colour, PS_SOLID);
        const double k = UserToScreen();
        const int left = TruncPixel(sx0), bottom = TruncPixel(sy0);
        const double height = TruncPixel(k * ny * dy + 0.5), width = TruncPixel(k * nx * dx + 0.5);
        IndexRange(sx0 + 0.5, k * dx, nx, sl, sr, i0, i1);
        for (long i = i0; i <= i1; ++i) {
            const int x = TruncPixel(k * i * dx + sx0 + 0.5);
            ::MoveToEx(dc, x, GuardPixel(bottom), nullptr);
            ::LineTo(dc, x, GuardPixel(bottom - height));
        }
        IndexRange(sy0 + 0.5, -k * dy, ny, st, sb, j0, j1);
        for (long j = j0; j <= j1; ++j) {
            const int y = TruncPixel(sy0 + 0.5 - k * j * dy);
            ::MoveToEx(dc, GuardPixel(left), y, nullptr);
            ::LineTo(dc, GuardPixel(left + width), y);
        }
    }
}

int CGraphSystem::SnapGrid(double x, double y, double* sx, double* sy, int mode) const {
    double dx, dy, x0, y0;
    long nx, ny;
    if (sx == nullptr || sy == nullptr || mode < 0 || mode > 2 || GetGridValues(dx, dy, x0, y0, nx, ny) == 0)
        return 0;
    const mgPoint o = state->gridOrigin;
    *sx = mode == 2 ? x : o.x() + dx * NearestInteger((x - o.x()) / dx);
    *sy = mode == 1 ? y : o.y() + dy * NearestInteger((y - o.y()) / dy);
    return 1;
}
