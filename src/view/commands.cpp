// CGraphSystem: interactive view commands driven by the window's mouse and key events.
//
// One drag at a time in the process: the drag record (where the button went down and the view at
// that moment) and the key step level are shared by all views. Every drag step starts again from
// the view of the button-down moment, so the result does not depend on the number of moves.
#include "view/CGraphSystem_p.h"

#include <cmath>

#include "view/CGraphCanvas.h"

namespace {

const double kClickDistance = 5.0;   // pixels: a click versus a drag
const double kWindowDistance = 50.0; // pixels: a rubber band counts beyond this
const int kCrossHalf = 8;            // pixels: half the size of the feedback cross
const double kClickZoom = 0.3;       // ZoomByFactor of a click: 1.3
const double kDynamicZoom = 4.0;     // dragging the whole height up multiplies the scale by 5

struct DragRecord {
    int downX = 0;
    int downY = 0;
    double downScale = 0.0;
    double downViewX = 0.0;
    double downViewY = 0.0;
    int moved = 0;
    int keyLevel = 1; // -3 .. 3, Page Up / Page Down
};

DragRecord g_drag;

// Client coordinates are any ints the host passes: differences are taken in double, where they
// cannot overflow.
double DistanceFromDown(int x, int y) {
    return std::hypot(double(x) - g_drag.downX, double(y) - g_drag.downY);
}

// The pan of a drag from the button-down point to (x, y), in pixels.
double PanX(int x) {
    return double(x) - g_drag.downX;
}
double PanY(int y) {
    return double(y) - g_drag.downY;
}

// Step factor of the pan and zoom keys: 1/4, 1/16, 1/64 below level 0, else level + 1.
double KeyStep() {
    const int level = g_drag.keyLevel;
    return level < 0 ? std::ldexp(1.0, 2 * level) : level + 1.0;
}

} // namespace

void CGraphSystem::SetCmd(int cmd) {
    OnCancel();
    if (cmd >= ZOOM_PAN && cmd <= ZOOM_WINDOW)
        state->zoomMode = cmd;
}

int CGraphSystem::GetZoomMode() const {
    return state->zoomMode;
}

int CGraphSystem::IsZoomCmd() const {
    return state->zoomMode > ZOOM_PAPER ? 1 : 0;
}

int CGraphSystem::OnCancel() {
    bool changed = false;
    if (state->zoomMode >= ZOOM_PAN) {
        state->zoomMode = ZOOM_NONE;
        if (state->mouseDown != 0 && g_drag.moved != 0) {
            Zoom(g_drag.downScale, g_drag.downViewX, g_drag.downViewY);
            changed = true;
        }
    }
    state->mouseDown = 0;
    if (changed)
        RegenAll();
    return changed ? 1 : 0;
}

void CGraphSystem::OnLButtonDown(int x, int y) {
    state->mouseDown = 1;
    g_drag.moved = 0;
    g_drag.downX = state->mouseX = x;
    g_drag.downY = state->mouseY = y;
    g_drag.downScale = state->viewScale;
    g_drag.downViewX = state->viewX;
    g_drag.downViewY = state->viewY;
}

int CGraphSystem::OnMouseMove(int x, int y) {
    if (state->mouseDown == 0)
        return 0;
    state->mouseX = x;
    state->mouseY = y;
    const int mode = state->zoomMode;
    if (mode != ZOOM_PAN && mode != ZOOM_DYNAMIC) {
        Redraw(); // the host repaints and calls OnDraw with the new rubber band
        return 0;
    }
    if (g_drag.moved == 0 && DistanceFromDown(x, y) > kClickDistance)
        g_drag.moved = 1;
    if (g_drag.moved == 0) {
        Redraw();
        return 0;
    }
    Zoom(g_drag.downScale, g_drag.downViewX, g_drag.downViewY);
    if (mode == ZOOM_PAN) {
        ZoomPan(PanX(x), PanY(y));
    } else {
        POINT down = {g_drag.downX, g_drag.downY};
        ZoomByFactor(down, -PanY(y) * kDynamicZoom / state->height);
    }
    RegenAll();
    return 1;
}

int CGraphSystem::OnLButtonUp(int x, int y) {
    if (state->mouseDown == 0)
        return 0;
    state->mouseDown = 0;
    state->mouseX = x;
    state->mouseY = y;
    const double d = DistanceFromDown(x, y);
    POINT down = {g_drag.downX, g_drag.downY};
    switch (state->zoomMode) {
    case ZOOM_PAN:
    case ZOOM_DYNAMIC:
        if (g_drag.moved == 0)
            break;
        Zoom(g_drag.downScale, g_drag.downViewX, g_drag.downViewY);
        if (state->zoomMode == ZOOM_PAN)
            ZoomPan(PanX(x), PanY(y));
        else
            ZoomByFactor(down, -PanY(y) * kDynamicZoom / state->height);
        RegenAll();
        return 1;
    case ZOOM_IN:
        if (d < kClickDistance) {
            ZoomByFactor(down, kClickZoom);
            RegenAll();
            return 1;
        }
        [[fallthrough]]; // a drag zooms to the rectangle
    case ZOOM_WINDOW:
        if (d > kWindowDistance) {
            mgRect screen(g_drag.downX, g_drag.downY, x, y);
            mgRect user;
            ScreenToUser(screen, user);
            if (ZoomTo(user, 0) != 0) {
                RegenAll();
                return 1;
            }
        }
        break;
    case ZOOM_OUT:
        if (d < kClickDistance) {
            ZoomByFactor(down, -kClickZoom);
            RegenAll();
            return 1;
        }
        if (d > kWindowDistance) {
            // The present view shrinks into the dragged rectangle.
            mgRect user;
            ScreenToUser(mgRect(0, 0, state->width, state->height), user);
            RECT target = {g_drag.downX, g_drag.downY, x, y};
            if (ZoomTo(user, target, 0) != 0) {
                RegenAll();
                return 1;
            }
        }
        break;
    default:
        break;
    }
    Redraw();
    return 0;
}

int CGraphSystem::OnKeyDown(unsigned short key) {
    const double f = KeyStep();
    switch (key) {
    case 27: // Escape
        if (!IsZoomCmd())
            return 0;
        if (state->mouseDown != 0) {
            state->mouseDown = 0;
            if (g_drag.moved != 0) {
                Zoom(g_drag.downScale, g_drag.downViewX, g_drag.downViewY);
                RegenAll();
            }
        } else {
            OnCancel();
        }
        return 1;
    case 33: // Page Up
        if (g_drag.keyLevel < 3)
            ++g_drag.keyLevel;
        return 1;
    case 34: // Page Down
        if (g_drag.keyLevel > -3)
            --g_drag.keyLevel;
        return 1;
    case 37:
        PanLeft(f);
        return 1;
    case 38:
        PanUp(f);
        return 1;
    case 39:
        PanRight(f);
        return 1;
    case 40:
        PanDown(f);
        return 1;
    case 107: // numeric-pad plus
    case 187: // plus
        ZoomIn(f);
        return 1;
    case 109: // numeric-pad minus
    case 189: // minus
        ZoomOut(f);
        return 1;
    default:
        return 0;
    }
}

void CGraphSystem::OnDraw() {
    HDC dc = GetDrawDC();
    if (state->zoomMode < ZOOM_PAN || state->mouseDown == 0 || dc == nullptr)
        return;
    // The feedback of a drag far off the window stays in the guard box, whatever the client
    // coordinates were.
    using draft2d::detail::GuardPixel;
    const int dx = GuardPixel(g_drag.downX), dy = GuardPixel(g_drag.downY);
    CGraphCanvas canvas(this, dc, 1);
    switch (state->zoomMode) {
    case ZOOM_PAN:
    case ZOOM_DYNAMIC:
        canvas.SetPen(0, 0xFFFFFFFF, PS_SOLID);
        ::MoveToEx(dc, dx - kCrossHalf, dy, nullptr);
        ::LineTo(dc, dx + kCrossHalf, dy);
        ::MoveToEx(dc, dx, dy - kCrossHalf, nullptr);
        ::LineTo(dc, dx, dy + kCrossHalf);
        break;
    case ZOOM_IN:
    case ZOOM_WINDOW:
    case ZOOM_OUT:
        if (DistanceFromDown(state->mouseX, state->mouseY) > kWindowDistance) {
            // Hollow: the canvas selected the null brush.
            canvas.SetPen(0, state->zoomMode == ZOOM_OUT ? 0xFFFFFFFFul : zoomWndColor, PS_DOT);
            ::Rectangle(dc, dx, dy, GuardPixel(state->mouseX), GuardPixel(state->mouseY));
        }
        break;
    default:
        break;
    }
}
