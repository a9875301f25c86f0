// CGraphSystem: coordinate spaces, the user coordinate system, units and device resolution.
//
//   paper  = user * userToMm + (userX, userY)
//   screen = (viewScale * (px - viewX) * mmPixelsX,  height - viewScale * (py - viewY) * mmPixelsY)
// and the inverses. userToMm, viewScale and the densities are kept away from zero by their setters, so the
// divisions below are safe.
#include "view/CGraphSystem_p.h"

using draft2d::detail::RoundPixel;

namespace {

const double kMmPerInch = 1.0 / 25.4; // 0.03937007874015748
const double kTiny = 1e-7;

} // namespace

// ---------------------------------------------------------------------------------------------
// Getters

double CGraphSystem::GetUserToMm() const {
    return state->userToMm;
}
double CGraphSystem::GetUserX() const {
    return state->userX;
}
double CGraphSystem::GetUserY() const {
    return state->userY;
}
double CGraphSystem::GetViewScale() const {
    return state->viewScale;
}
double CGraphSystem::GetViewX() const {
    return state->viewX;
}
double CGraphSystem::GetViewY() const {
    return state->viewY;
}
mgPoint CGraphSystem::GetViewOrigin() const {
    return mgPoint(state->viewX, state->viewY);
}
double CGraphSystem::GetMmPixelsX() const {
    return state->mmPixelsX;
}
double CGraphSystem::GetMmPixelsY() const {
    return state->mmPixelsY;
}
double CGraphSystem::GetMmPixels() const {
    return (state->mmPixelsX + state->mmPixelsY) * 0.5;
}
int CGraphSystem::GetWidth() const {
    return state->width;
}
int CGraphSystem::GetHeight() const {
    return state->height;
}

void CGraphSystem::GetWndSize(SIZE& size) const {
    size.cx = state->width;
    size.cy = state->height;
}

void CGraphSystem::GetUCS(double& factor, mgPoint& origin) const {
    factor = state->userToMm;
    origin.set(state->userX, state->userY);
}

void CGraphSystem::SetZoomWndColor(unsigned long colour) {
    zoomWndColor = colour & 0xFFFFFFFFul;
}

// ---------------------------------------------------------------------------------------------
// Units and user coordinate system

double CGraphSystem::GetUnitMm(int unit) {
    switch (unit) {
    case 1:
        return 10.0;
    case 2:
        return 1000.0;
    case 3:
        return 1000000.0;
    case 4:
        return 25.4;
    case 5:
        return 12.0 * 25.4; // 304.79999999999995 in double arithmetic
    default:
        return 1.0;
    }
}

namespace {

// The paper millimetres per user unit of a drawing scale 1 : scale in the given unit, clamped. A scale that
// is not >= 1e-7 (NaN too) asks for the identity system: the caller resets.
bool UcsFactor(double scale, int unit, double* factor) {
    if (!(scale >= kTiny))
        return false;
    double f = CGraphSystem::GetUnitMm(unit) / scale;
    if (f < CGraphSystem::MIN_USER_SCRMM)
        f = CGraphSystem::MIN_USER_SCRMM;
    else if (f > CGraphSystem::MAX_USER_SCRMM)
        f = CGraphSystem::MAX_USER_SCRMM;
    *factor = f;
    return true;
}

} // namespace

void CGraphSystem::SetUCS(double scale, double x, double y, int unit) {
    double f = 1.0;
    if (!UcsFactor(scale, unit, &f)) {
        x = 0.0;
        y = 0.0;
        UcsFactor(1.0, 0, &f);
    }
    state->userToMm = f;
    state->userX = x;
    state->userY = y;
}

void CGraphSystem::PushUCS() {
    if (state->ucsDepth > 4)
        return;
    draft2d::detail::UcsEntry& e = state->ucsStack[state->ucsDepth++];
    e.userToMm = state->userToMm;
    e.userX = state->userX;
    e.userY = state->userY;
}

void CGraphSystem::PopUCS() {
    if (state->ucsDepth <= 0)
        return;
    const draft2d::detail::UcsEntry& e = state->ucsStack[--state->ucsDepth];
    state->userToMm = e.userToMm;
    state->userX = e.userX;
    state->userY = e.userY;
}

mgMatrix CGraphSystem::CalcUCS(double scale, double x, double y, double angle, int unit) {
    double f = 1.0;
    if (!UcsFactor(scale, unit, &f)) {
        x = 0.0;
        y = 0.0;
        angle = 0.0;
        UcsFactor(1.0, 0, &f);
    }
    return mg_UcsMatrix(x, y, angle, f);
}

// ---------------------------------------------------------------------------------------------
// Device resolution

void CGraphSystem::SetMmPixels(HDC dc) {
    if (dc == nullptr)
        return;
    ::SetMapMode(dc, MM_TEXT);
    int dpiX = ::GetDeviceCaps(dc, LOGPIXELSX);
    int dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
    if (dpiX < 3 || dpiY < 3)
        return;
    state->mmPixelsX = dpiX * state->adjustScaleX * kMmPerInch;
    state->mmPixelsY = dpiY * state->adjustScaleY * kMmPerInch;
}

void CGraphSystem::SetMmPixels(double pixelsPerMmX, double pixelsPerMmY) {
    if (pixelsPerMmX > kTiny && pixelsPerMmY > kTiny) {
        state->mmPixelsX = pixelsPerMmX * state->adjustScaleX;
        state->mmPixelsY = pixelsPerMmY * state->adjustScaleY;
    }
}

void CGraphSystem::SetAdjustScale(double x, double y) {
    if (x > kTiny && y > kTiny) {
        state->adjustScaleX = x;
        state->adjustScaleY = y;
    }
}

// ---------------------------------------------------------------------------------------------
// User <-> paper

void CGraphSystem::UserToPaper(double x, double y, double* px, double* py) const {
    *px = x * state->userToMm + state->userX;
    *py = y * state->userToMm + state->userY;
}

void CGraphSystem::UserToPaper(const mgPoint& pt, mgPoint& out) const {
    UserToPaper(pt.x(), pt.y(), out);
}

void CGraphSystem::UserToPaper(double x, double y, mgPoint& out) const {
    double px, py;
    UserToPaper(x, y, &px, &py);
    out.set(px, py);
}

void CGraphSystem::UserToPaper(const mgRect& r, mgRect& out) const {
    double l, b, rr, t;
    UserToPaper(r.left(), r.bottom(), &l, &b);
    UserToPaper(r.right(), r.top(), &rr, &t);
    out.set(l, b, rr, t);
}

void CGraphSystem::PaperToUser(double px, double py, double* x, double* y) const {
    *x = (px - state->userX) / state->userToMm;
    *y = (py - state->userY) / state->userToMm;
}

void CGraphSystem::PaperToUser(const mgPoint& pt, mgPoint& out) const {
    PaperToUser(pt.x(), pt.y(), out);
}

void CGraphSystem::PaperToUser(double px, double py, mgPoint& out) const {
    double x, y;
    PaperToUser(px, py, &x, &y);
    out.set(x, y);
}

void CGraphSystem::PaperToUser(const mgRect& r, mgRect& out) const {
    double l, b, rr, t;
    PaperToUser(r.left(), r.bottom(), &l, &b);
    PaperToUser(r.right(), r.top(), &rr, &t);
    out.set(l, b, rr, t);
}

// ---------------------------------------------------------------------------------------------
// Paper <-> screen

void CGraphSystem::PaperToScreen(double px, double py, double* sx, double* sy) const {
    *sx = state->viewScale * (px - state->viewX) * state->mmPixelsX;
    *sy = state->height - state->viewScale * (py - state->viewY) * state->mmPixelsY;
}

void CGraphSystem::PaperToScreen(const mgPoint& pt, mgPoint& out) const {
    PaperToScreen(pt.x(), pt.y(), out);
}

void CGraphSystem::PaperToScreen(double px, double py, mgPoint& out) const {
    double sx, sy;
    PaperToScreen(px, py, &sx, &sy);
    out.set(sx, sy);
}

void CGraphSystem::PaperToScreen(const mgRect& r, mgRect& out) const {
    double l, b, rr, t;
    PaperToScreen(r.left(), r.bottom(), &l, &b);
    PaperToScreen(r.right(), r.top(), &rr, &t);
    out.set(l, b, rr, t);
}

void CGraphSystem::PaperToScreen(const mgPoint& pt, POINT* out) const {
    double sx, sy;
    PaperToScreen(pt.x(), pt.y(), &sx, &sy);
    out->x = RoundPixel(sx);
    out->y = RoundPixel(sy);
}

void CGraphSystem::ScreenToPaper(double sx, double sy, double* px, double* py) const {
    *px = state->viewX + sx / (state->viewScale * state->mmPixelsX);
    *py = state->viewY + (state->height - sy) / (state->viewScale * state->mmPixelsY);
}

void CGraphSystem::ScreenToPaper(const mgPoint& pt, mgPoint& out) const {
    ScreenToPaper(pt.x(), pt.y(), out);
}

void CGraphSystem::ScreenToPaper(double sx, double sy, mgPoint& out) const {
    double px, py;
    ScreenToPaper(sx, sy, &px, &py);
    out.set(px, py);
}

void CGraphSystem::ScreenToPaper(const mgRect& r, mgRect& out) const {
    double l, b, rr, t;
    ScreenToPaper(r.left(), r.bottom(), &l, &b);
    ScreenToPaper(r.right(), r.top(), &rr, &t);
    out.set(l, b, rr, t);
}

// ---------------------------------------------------------------------------------------------
// User <-> screen

void CGraphSystem::UserToScreen(double x, double y, double* sx, double* sy) const {
    double px, py;
    UserToPaper(x, y, &px, &py);
    PaperToScreen(px, py, sx, sy);
}

void CGraphSystem::UserToScreen(double x, double y, long* sx, long* sy) const {
    double dx, dy;
    UserToScreen(x, y, &dx, &dy);
    *sx = RoundPixel(dx);
    *sy = RoundPixel(dy);
}

void CGraphSystem::UserToScreen(mgPoint& pt) const {
    UserToScreen(pt.x(), pt.y(), pt);
}

void CGraphSystem::UserToScreen(const mgPoint& pt, mgPoint& out) const {
    UserToScreen(pt.x(), pt.y(), out);
}

void CGraphSystem::UserToScreen(const mgPoint& pt, POINT* out) const {
    double sx, sy;
    UserToScreen(pt.x(), pt.y(), &sx, &sy);
    out->x = RoundPixel(sx);
    out->y = RoundPixel(sy);
}

void CGraphSystem::UserToScreen(double x, double y, mgPoint& out) const {
    double sx, sy;
    UserToScreen(x, y, &sx, &sy);
    out.set(sx, sy);
}

void CGraphSystem::UserToScreen(const mgRect& r, mgRect& out) const {
    double l, b, rr, t;
    UserToScreen(r.left(), r.bottom(), &l, &b);
    UserToScreen(r.right(), r.top(), &rr, &t);
    // Stored as converted: (left, bottom) and (right, top) keep their roles, not normalised.
    out.set_left(l);
    out.set_bottom(b);
    out.set_right(rr);
    out.set_top(t);
}

void CGraphSystem::UserToScreen(const mgRect& r, RECT* out) const {
    double l, b, rr, t;
    UserToScreen(r.left(), r.bottom(), &l, &b);
    UserToScreen(r.right(), r.top(), &rr, &t);
    out->left = RoundPixel(l);
    out->bottom = RoundPixel(b);
    out->right = RoundPixel(rr);
    out->top = RoundPixel(t);
}

void CGraphSystem::ScreenToUser(double sx, double sy, double* x, double* y) const {
    double px, py;
    ScreenToPaper(sx, sy, &px, &py);
    PaperToUser(px, py, x, y);
}

void CGraphSystem::ScreenToUser(mgPoint& pt) const {
    ScreenToUser(pt.x(), pt.y(), pt);
}

void CGraphSystem::ScreenToUser(const mgPoint& pt, mgPoint& out) const {
    ScreenToUser(pt.x(), pt.y(), out);
}

void CGraphSystem::ScreenToUser(POINT* const pt, mgPoint& out) const {
    ScreenToUser(pt->x, pt->y, out);
}

void CGraphSystem::ScreenToUser(double sx, double sy, mgPoint& out) const {
    double x, y;
    ScreenToUser(sx, sy, &x, &y);
    out.set(x, y);
}

void CGraphSystem::ScreenToUser(const mgRect& r, mgRect& out) const {
    double l, b, rr, t;
    ScreenToUser(r.left(), r.bottom(), &l, &b);
    ScreenToUser(r.right(), r.top(), &rr, &t);
    out.set_left(l);
    out.set_bottom(b);
    out.set_right(rr);
    out.set_top(t);
}

void CGraphSystem::ScreenToUser(const RECT* r, mgRect& out) const {
    double l, b, rr, t;
    ScreenToUser(r->left, r->bottom, &l, &b);
    ScreenToUser(r->right, r->top, &rr, &t);
    out.set_left(l);
    out.set_bottom(b);
    out.set_right(rr);
    out.set_top(t);
}

void CGraphSystem::ClientToUser(double sx, double sy, double* x, double* y) const {
    ScreenToUser(sx, sy, x, y);
}
void CGraphSystem::ClientToUser(mgPoint& pt) const {
    ScreenToUser(pt);
}
void CGraphSystem::ClientToUser(double sx, double sy, mgPoint& out) const {
    ScreenToUser(sx, sy, out);
}
void CGraphSystem::ClientToUser(const mgPoint& pt, mgPoint& out) const {
    ScreenToUser(pt, out);
}
void CGraphSystem::ClientToUser(POINT* const pt, mgPoint& out) const {
    ScreenToUser(pt, out);
}
void CGraphSystem::ClientToUser(const mgRect& r, mgRect& out) const {
    ScreenToUser(r, out);
}
void CGraphSystem::ClientToUser(const RECT* r, mgRect& out) const {
    ScreenToUser(r, out);
}

// ---------------------------------------------------------------------------------------------
// Scalar factors

double CGraphSystem::PaperToScreen() const {
    return state->viewScale * GetMmPixels();
}

double CGraphSystem::UserToScreen() const {
    return state->viewScale * GetMmPixels() * state->userToMm;
}

double CGraphSystem::ScreenToUser() const {
    return 1.0 / UserToScreen();
}
