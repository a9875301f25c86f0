// CGraphSystem: zoom and pan. Every change of the view ends in Zoom, the one setter of viewScale,
// viewX and viewY that enforces the scale limits.
//
// Zooming about a screen point s keeps the user point u under it: with p the paper point of u,
//   viewX = p.x - s.x / (scale * mmPixelsX),  viewY = p.y - (height - s.y) / (scale * mmPixelsY).
#include "view/CGraphSystem_p.h"

namespace {

const double kZoomStep = 0.25; // ZoomIn / ZoomOut factor per unit of f
const double kPanStep = 0.23;  // PanLeft ... fraction of the window per unit of f
const int kDefaultMargin = 10; // pixels, ZoomPaper and ZoomExtent

} // namespace

void CGraphSystem::Zoom(double scale, double x, double y) {
    if (!(scale >= MIN_VIEW_SCALE))
        scale = MIN_VIEW_SCALE;
    else if (scale > MAX_VIEW_SCALE)
        scale = MAX_VIEW_SCALE;
    state->viewScale = scale;
    state->viewX = x;
    state->viewY = y;
    // zoomMode 1 (follow the paper) ends with any explicit zoom; 2 and above are interactive
    // commands, which zoom through here themselves.
    if (state->zoomMode <= 1)
        state->zoomMode = 0;
}

int CGraphSystem::ZoomTo(mgRect userRect, RECT target, int force) {
    const State& s = *state;
    // The target in millimetres at magnification 1.
    mgRect S(&target);
    S.scaleby(1.0 / s.mmPixelsX, 1.0 / s.mmPixelsY);
    mgRect R(userRect.left(), userRect.bottom(), userRect.right(), userRect.top());
    const double sw = S.width(), sh = S.height(), rw = R.width(), rh = R.height();
    if (!(sw >= 1e-7) || !(sh >= 1e-7) || !(rw >= 1e-7) || !(rh >= 1e-7))
        return 0;
    // Widen R about its centre to the aspect ratio of the target.
    if (sw / sh >= rw / rh)
        R.inflate((sw * rh / sh - rw) / 2.0, 0.0);
    else
        R.inflate(0.0, (sh * rw / sw - rh) / 2.0);
    double scale = sw / R.width() / s.userToMm;
    if (scale < MIN_VIEW_SCALE) {
        if (force == 0)
            return 0;
        scale = MIN_VIEW_SCALE;
    } else if (scale > MAX_VIEW_SCALE) {
        if (force == 0)
            return 0;
        scale = MAX_VIEW_SCALE;
    }
    const mgPoint rc = R.center();
    const mgPoint sc = S.center();
    const double pcx = rc.x() * s.userToMm + s.userX;
    const double pcy = rc.y() * s.userToMm + s.userY;
    Zoom(scale, pcx - sc.x() / scale, pcy - (s.height / s.mmPixelsY - sc.y()) / scale);
    return 1;
}

int CGraphSystem::ZoomTo(mgRect userRect, int force) {
    RECT r = {0, 0, state->width, state->height};
    return ZoomTo(userRect, r, force);
}

int CGraphSystem::ZoomTo(POINT screenPt, double scale) {
    mgPoint u;
    ScreenToUser(&screenPt, u);
    // Requests beyond a limit, or within 1e-7 of it, are applied at the limit.
    if (!(scale >= MIN_VIEW_SCALE))
        scale = MIN_VIEW_SCALE;
    else if (scale > MAX_VIEW_SCALE)
        scale = MAX_VIEW_SCALE;
    const State& s = *state;
    // (The point's y is any int: the flip is taken in double.)
    Zoom(scale, (u.x() * s.userToMm + s.userX) - screenPt.x / (scale * s.mmPixelsX),
         (u.y() * s.userToMm + s.userY) - (s.height - double(screenPt.y)) / (scale * s.mmPixelsY));
    return 1;
}

int CGraphSystem::ZoomTo(double scale) {
    POINT centre = {state->width / 2, state->height / 2};
    return ZoomTo(centre, scale);
}

int CGraphSystem::ZoomByFactor(POINT screenPt, double f) {
    double s = state->viewScale;
    if (f > 0)
        s *= std::fabs(f) + 1.0;
    else if (f < 0)
        s /= std::fabs(f) + 1.0;
    return ZoomTo(screenPt, s);
}

int CGraphSystem::ZoomByFactor(double f) {
    POINT centre = {state->width / 2, state->height / 2};
    return ZoomByFactor(centre, f);
}

int CGraphSystem::ZoomPan(double dx, double dy) {
    const State& s = *state;
    Zoom(s.viewScale, s.viewX - dx / s.mmPixelsX / s.viewScale, s.viewY + dy / s.mmPixelsY / s.viewScale);
    return 1;
}

void CGraphSystem::ZoomPaper(int regen, int margin) {
    OnCancel();
    if (margin < 0)
        margin = kDefaultMargin;
    RECT r = {margin, margin, state->width - margin, state->height - margin};
    ZoomTo(GetPaperRect(), r, 1);
    state->zoomMode = ZOOM_PAPER;
    if (regen != 0)
        RegenAll();
}

void CGraphSystem::ZoomExtent(mgRect userRect, int margin) {
    OnCancel();
    if (margin < 0)
        margin = kDefaultMargin;
    RECT r = {margin, margin, state->width - margin, state->height - margin};
    ZoomTo(userRect, r, 1);
    RegenAll();
}

// ---------------------------------------------------------------------------------------------
// Key steps

namespace {

bool Dragging(const CGraphSystem::State& s) {
    return s.zoomMode > 1 && s.mouseDown != 0;
}

} // namespace

void CGraphSystem::ZoomIn(double f) {
    if (Dragging(*state))
        return;
    if (ZoomByFactor(f * kZoomStep) != 0)
        RegenAll();
}

void CGraphSystem::ZoomOut(double f) {
    if (Dragging(*state))
        return;
    if (ZoomByFactor(f * -kZoomStep) != 0)
        RegenAll();
}

void CGraphSystem::PanLeft(double f) {
    if (Dragging(*state))
        return;
    if (ZoomPan(state->width * f * -kPanStep, 0) != 0)
        RegenAll();
}

void CGraphSystem::PanRight(double f) {
    if (Dragging(*state))
        return;
    if (ZoomPan(state->width * f * kPanStep, 0) != 0)
        RegenAll();
}

void CGraphSystem::PanUp(double f) {
    if (Dragging(*state))
        return;
    if (ZoomPan(0, state->height * f * -kPanStep) != 0)
        RegenAll();
}

void CGraphSystem::PanDown(double f) {
    if (Dragging(*state))
        return;
    if (ZoomPan(0, state->height * f * kPanStep) != 0)
        RegenAll();
}
