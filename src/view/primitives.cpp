// CGraphSystem: drawing primitives.
//
// Inputs are in the space a call names (coord_type): user units or paper millimetres, both y up,
// or anything else: screen pixels, y down, used as they are. Points are converted to screen pixels
// (UserToScreen, PaperToScreen) and radii scaled by the same space's factor (UserToScreen(),
// PaperToScreen()). Angles are radians, counter-clockwise in the y-up spaces; on screen a point at
// angle a from centre c lies at (c.x + r cos a, c.y - r sin a).
//
// Each call then either
//   - appends the shape's screen points to the path store (path mode: paths are being collected
//     and a line type is current), so that the line type draws it later, or
//   - draws it at once on the draw DC with the pen and brush selected there (direct mode).
// With autoDrawPath (the default) each call collects and draws its own paths. With autoDrawPath
// off, shapes go to the path store only between BeginPaths and DrawPath; otherwise they draw
// directly even with a line type current (symbol drawing relies on that).
//
// What reaches GDI: coordinates rounded (add 0.5, truncate toward zero) unless a shape says
// truncated, always inside the guard box of the pixel rule (pixel_p.h). Segments are clipped in double
// precision to the clip rectangle, or to the guard box when there is none; closed polygons are
// clipped to the guard box, open polylines cut at it, so far-away vertices never bend what is seen.
//
// Degenerate shapes: coordinates that are not finite draw nothing; arcs of radius below 1e-7
// nothing; arcs sweeping less than 1e-7 or more than 2 pi - 1e-7 (an infinite sweep too) the full
// circle, whatever their start; circles smaller than a pixel a dot about two pixels across; rectangles
// without width or height nothing; polylines of fewer than two points nothing.
//
// Circles and arcs in path mode are polygons with the step acos((r - 0.5) / r) (the angle at which
// the chord leaves the circle by half a pixel) bounded to [pi/64, pi/4]: 8 to 128 segments a turn.
// Every loop runs over an integer index with its count fixed before it starts, so no input (huge
// angles, NaN) can keep it going.
#include "view/CGraphSystem_p.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "algorithms/angles.h"
#include "algorithms/arcs.h"
#include "algorithms/clip.h"
#include "algorithms/helpers.h"
#include "linetype/CLineType.h"
#include "view/CGraphCanvas.h"

using draft2d::detail::DevicePixel;
using draft2d::detail::DevicePixelInGuard;
using draft2d::detail::DevicePixelTrunc;
using draft2d::detail::InsideGuard;
using draft2d::detail::kGuardPixels;

namespace {

const double kPi = 3.141592653589793;
const double kTwoPi = 6.283185307179586;
const double kMinStep = 0.04908738521234052;     // pi/64
const double kMaxStep = 0.7853981633974483;      // pi/4
const double kEllipseStep = 0.19634954084936207; // pi/16: the step of the ellipse polygon
const double kBezier = 0.2761423749154;          // control offset as a fraction of the full width
const double kTiny = 1e-7;
const double kFullTurn = 6.283185207179586; // 2 pi - 1e-7: a sweep beyond is a whole circle

bool Finite(double a, double b) {
    return std::isfinite(a) && std::isfinite(b);
}

bool Finite(const mgPoint& p) {
    return Finite(p.x(), p.y());
}

// The angular step of a circle or arc of radius r pixels (mean half-axis for ellipses).
double ArcStep(double r) {
    if (r < 2.0)
        return kMaxStep;
    return std::clamp(std::acos((r - 0.5) / r), kMinStep, kMaxStep);
}

// The number of points a + k step, k = 0, 1, ..., with to - (a + k step) >= step / 2: the points
// before the end point of an arc from a to to. At least 0; the caller's sweep is bounded, so the
// count is small.
int StepCount(double from, double to, double step) {
    const double n = std::floor((to - from - step * 0.5) / step) + 1.0;
    return n > 0.0 ? static_cast<int>(std::min(n, 1e6)) : 0;
}

// Brings a huge angle back within one turn, so that adding steps to it still moves it. Angles
// within a turn are left untouched, bit for bit.
double ReduceAngle(double a) {
    return std::fabs(a) > kTwoPi ? std::fmod(a, kTwoPi) : a;
}

POINT Px(double x, double y) {
    return POINT{DevicePixel(x), DevicePixel(y)};
}

POINT PxTrunc(double x, double y) {
    return POINT{DevicePixelTrunc(x), DevicePixelTrunc(y)};
}

// Sutherland-Hodgman clipping of a closed polygon to the guard box. The result may have edges
// along the box; it covers exactly the part of the polygon inside the box.
std::vector<mgPoint> ClipPolygonToGuard(std::vector<mgPoint> poly) {
    const double g = kGuardPixels;
    // Each pass keeps the half plane side * coord <= g for one axis and side.
    for (int axis = 0; axis < 2; ++axis) {
        for (double side : {1.0, -1.0}) {
            std::vector<mgPoint> out;
            const size_t n = poly.size();
            for (size_t i = 0; i < n; ++i) {
                const mgPoint& a = poly[i];
                const mgPoint& b = poly[(i + 1) % n];
                const double va = side * (axis == 0 ? a.x() : a.y());
                const double vb = side * (axis == 0 ? b.x() : b.y());
                const bool ina = va <= g, inb = vb <= g;
                if (ina)
                    out.push_back(a);
                if (ina != inb) {
                    // Ratio first: the coordinates may be near the double range.
                    const double t = (g - va) / (vb - va);
                    out.emplace_back(a.x() + (b.x() - a.x()) * t, a.y() + (b.y() - a.y()) * t);
                }
            }
            poly.swap(out);
            if (poly.empty())
                return poly;
        }
    }
    return poly;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Frame and conversions

namespace draft2d::detail {

// Screen pixels of a point given in the space ct.
inline mgPoint ToScreen(const CGraphSystem& gs, double x, double y, int ct) {
    mgPoint out(x, y);
    if (ct == CGraphSystem::COORD_USER)
        gs.UserToScreen(x, y, out);
    else if (ct == CGraphSystem::COORD_PAPER)
        gs.PaperToScreen(x, y, out);
    return out;
}

// Pixels per unit of the space ct.
inline double ScreenFactor(const CGraphSystem& gs, int ct) {
    if (ct == CGraphSystem::COORD_USER)
        return gs.UserToScreen();
    if (ct == CGraphSystem::COORD_PAPER)
        return gs.PaperToScreen();
    return 1.0;
}

} // namespace draft2d::detail

using draft2d::detail::ScreenFactor;
using draft2d::detail::ToScreen;

bool CGraphSystem::BeginShape() {
    if (state->autoDrawPath)
        BeginPaths();
    return state->pathsActive != 0 && state->lineType != nullptr;
}

void CGraphSystem::EndShape() {
    if (!state->autoDrawPath)
        return;
    DrawPath();
    ClearPaths();
}

// ---------------------------------------------------------------------------------------------
// Lines

void CGraphSystem::DrawLinePx(HDC dc, double x1, double y1, double x2, double y2) {
    if (dc == nullptr)
        dc = GetDrawDC();
    if (dc == nullptr)
        return;
    // Once per segment of every path: without a clip rectangle, a segment inside the guard box (so
    // finite) needs no clipping.
    if (!state->clipSet && InsideGuard(x1, y1) && InsideGuard(x2, y2)) {
        ::MoveToEx(dc, DevicePixelInGuard(x1), DevicePixelInGuard(y1), nullptr);
        ::LineTo(dc, DevicePixelInGuard(x2), DevicePixelInGuard(y2));
        return;
    }
    if (!Finite(x1, y1) || !Finite(x2, y2))
        return;
    const mgRect& clip = state->clipRect;
    const int result =
        state->clipSet
            ? ClipLineInArea(&x1, &y1, &x2, &y2, clip.left(), clip.top(), clip.right(), clip.bottom())
            : ClipLineInArea(&x1, &y1, &x2, &y2, -kGuardPixels, -kGuardPixels, kGuardPixels, kGuardPixels);
    if (result != 0)
        return;
    ::MoveToEx(dc, DevicePixel(x1), DevicePixel(y1), nullptr);
    ::LineTo(dc, DevicePixel(x2), DevicePixel(y2));
}

void CGraphSystem::DrawLine(double x1, double y1, double x2, double y2, coord_type ct) {
    const mgPoint a = ToScreen(*this, x1, y1, ct), b = ToScreen(*this, x2, y2, ct);
    if (!Finite(a) || !Finite(b))
        return;
    if (BeginShape()) {
        AddToPath(a.x(), a.y(), 1);
        AddToPath(b.x(), b.y(), 0);
    } else {
        DrawLinePx(nullptr, a.x(), a.y(), b.x(), b.y());
    }
    EndShape();
}

void CGraphSystem::DrawLine(const mgPoint& p1, const mgPoint& p2, coord_type ct) {
    DrawLine(p1.x(), p1.y(), p2.x(), p2.y(), ct);
}

// ---------------------------------------------------------------------------------------------
// Circles and arcs

void CGraphSystem::DrawCircle(double cx, double cy, double r, coord_type ct) {
    const mgPoint c = ToScreen(*this, cx, cy, ct);
    r *= ScreenFactor(*this, ct);
    if (!Finite(c) || !std::isfinite(r))
        return;
    if (r < 1.0) {
        // Smaller than a pixel: a dot about two pixels across, never through a line type.
        HDC dc = GetDrawDC();
        if (dc != nullptr)
            ::Ellipse(dc, DevicePixelTrunc(c.x() + 0.5 - 1.0), DevicePixelTrunc(c.y() + 0.5 - 1.0),
                      DevicePixelTrunc(c.x() + 1.5), DevicePixelTrunc(c.y() + 1.5));
        return;
    }
    if (BeginShape()) {
        // From the left end of the horizontal diameter round, counter-clockwise on screen, back to
        // it: a closed polygon, which DrawPath fills under a solid or hatched brush.
        const double step = ArcStep(r);
        const int n = StepCount(-kPi, kPi, step);
        AddToNewPathAfterNow();
        for (int k = 0; k < n; ++k) {
            const double a = -kPi + k * step;
            AddToPath(c.x() + r * std::cos(a), c.y() - r * std::sin(a), 0);
        }
        AddToPath(c.x() + r * std::cos(kPi), c.y() - r * std::sin(kPi), 0);
        AddToNewPathAfterNow();
    } else if (HDC dc = GetDrawDC()) {
        ::Ellipse(dc, DevicePixelTrunc(c.x() + 0.5 - r), DevicePixelTrunc(c.y() + 0.5 - r),
                  DevicePixelTrunc(c.x() + r + 0.5), DevicePixelTrunc(c.y() + r + 0.5));
    }
    EndShape();
}

void CGraphSystem::DrawCircle(const mgPoint& c, double r, coord_type ct) {
    DrawCircle(c.x(), c.y(), r, ct);
}

void CGraphSystem::DrawArc(double cx, double cy, double r, double start, double sweep, arc_type at,
                           coord_type ct) {
    // A sweep of nothing or of a whole turn or more (an infinite one too) is the full circle, where
    // ever it starts; DrawCircle refuses a centre or radius that is not finite. Only then does the
    // start matter: an arc from a start that is not finite has no ends.
    if (!(r >= kTiny) || std::isnan(sweep))
        return;
    if (std::fabs(sweep) < kTiny || std::fabs(sweep) > kFullTurn) {
        DrawCircle(cx, cy, r, ct);
        return;
    }
    if (!std::isfinite(start))
        return;
    start = ReduceAngle(start);
    const mgPoint c = ToScreen(*this, cx, cy, ct);
    r *= ScreenFactor(*this, ct);
    if (!Finite(c) || !std::isfinite(r))
        return;
    mgPoint s, e;
    CalcDistPoint(c.x(), c.y(), -start, r, &s[0], &s[1]);
    CalcDistPoint(c.x(), c.y(), -(start + sweep), r, &e[0], &e[1]);
    // An arc whose ends fall within a pixel is too small to see; a nearly full turn is not.
    if (std::fabs(sweep) < kPi && mg_distance(s, e) <= 1.0)
        return;
    if (BeginShape()) {
        // Sectors and chords are drawn as their arc: a line type follows the curve only.
        const double from = sweep > 0 ? start : start + sweep;
        const double to = sweep > 0 ? start + sweep : start;
        const double step = ArcStep(r);
        const int n = StepCount(from, to, step);
        for (int k = 0; k < n; ++k) {
            const double a = from + k * step;
            AddToPath(c.x() + r * std::cos(a), c.y() - r * std::sin(a), k == 0 ? 1 : 0);
        }
        AddToPath(c.x() + r * std::cos(to), c.y() - r * std::sin(to), n == 0 ? 1 : 0);
    } else if (HDC dc = GetDrawDC()) {
        if (sweep < 0) {
            std::swap(s, e);
            start += sweep;
            sweep = -sweep;
        }
        const int left = DevicePixelTrunc(c.x() + 0.5 - r), top = DevicePixelTrunc(c.y() + 0.5 - r);
        const int right = DevicePixelTrunc(c.x() + r + 0.5), bottom = DevicePixelTrunc(c.y() + r + 0.5);
        const POINT ps = Px(s.x(), s.y()), pe = Px(e.x(), e.y());
        if (at == ARC_PIE) {
            ::Pie(dc, left, top, right, bottom, ps.x, ps.y, pe.x, pe.y);
        } else if (at == ARC_CHORD) {
            ::Chord(dc, left, top, right, bottom, ps.x, ps.y, pe.x, pe.y);
        } else if (IsNT()) {
            const POINT pc = Px(c.x(), c.y());
            ::MoveToEx(dc, ps.x, ps.y, nullptr);
            ::AngleArc(dc, pc.x, pc.y, static_cast<DWORD>(DevicePixel(r)), static_cast<float>(Rad2Deg(start)),
                       static_cast<float>(Rad2Deg(sweep)));
        } else {
            ::Arc(dc, left, top, right, bottom, ps.x, ps.y, pe.x, pe.y);
        }
    }
    EndShape();
}

void CGraphSystem::DrawArc(const mgPoint& c, double r, double start, double sweep, arc_type at,
                           coord_type ct) {
    DrawArc(c.x(), c.y(), r, start, sweep, at, ct);
}

void CGraphSystem::DrawArc(const mgPoint& p1, const mgPoint& p2, const mgPoint& p3, const mgPoint& p4,
                           coord_type ct) {
    const mgPoint a = ToScreen(*this, p1.x(), p1.y(), ct), b = ToScreen(*this, p2.x(), p2.y(), ct);
    const mgPoint s = ToScreen(*this, p3.x(), p3.y(), ct), e = ToScreen(*this, p4.x(), p4.y(), ct);
    if (!Finite(a) || !Finite(b) || !Finite(s) || !Finite(e))
        return;
    if (BeginShape()) {
        // The ellipse inscribed in the box, (cx + u cos t, cy - v sin t): the rays through s and e
        // meet it at the parametric angles atan2(-dy / v, dx / u). GDI's Arc runs counter-clockwise
        // on screen from the start ray to the end ray; equal rays make a whole ellipse.
        const double cx = (a.x() + b.x()) / 2, cy = (a.y() + b.y()) / 2;
        const double u = std::fabs(b.x() - a.x()) / 2, v = std::fabs(b.y() - a.y()) / 2;
        if (u >= kTiny && v >= kTiny) {
            const double from = std::atan2(-(s.y() - cy) / v, (s.x() - cx) / u);
            double to = std::atan2(-(e.y() - cy) / v, (e.x() - cx) / u);
            if (to <= from)
                to += kTwoPi;
            const double step = (u >= 2 && v >= 2) ? ArcStep((u + v) / 2) : kMaxStep;
            const int n = StepCount(from, to, step);
            for (int k = 0; k < n; ++k) {
                const double t = from + k * step;
                AddToPath(cx + u * std::cos(t), cy - v * std::sin(t), k == 0 ? 1 : 0);
            }
            AddToPath(cx + u * std::cos(to), cy - v * std::sin(to), n == 0 ? 1 : 0);
        }
    } else if (HDC dc = GetDrawDC()) {
        const POINT pa = PxTrunc(a.x(), a.y()), pb = PxTrunc(b.x(), b.y());
        const POINT ps = PxTrunc(s.x(), s.y()), pe = PxTrunc(e.x(), e.y());
        ::Arc(dc, pa.x, pa.y, pb.x, pb.y, ps.x, ps.y, pe.x, pe.y);
    }
    EndShape();
}

// ---------------------------------------------------------------------------------------------
// Ellipses

void CGraphSystem::DrawEllipse(double x1, double y1, double x2, double y2, coord_type ct) {
    const mgPoint a = ToScreen(*this, x1, y1, ct), b = ToScreen(*this, x2, y2, ct);
    if (!Finite(a) || !Finite(b))
        return;
    if (BeginShape()) {
        // 32 points, quadrant by quadrant, eight to a quadrant: the axis point, six points at
        // multiples of pi/16 (the angle accumulated step by step), then the other axis point, which
        // lies two steps after the sixth. Hosts compare paths and pixels with this polygon, so its
        // double step at the ends of the vertical axis is part of the shape. The axis points repeat
        // and the last point is the first.
        const double cx = (a.x() + b.x()) / 2, cy = (a.y() + b.y()) / 2;
        const double rx = std::fabs(b.x() - a.x()) / 2, ry = std::fabs(b.y() - a.y()) / 2;
        double qx[8], qy[8];
        qx[0] = rx;
        qy[0] = 0;
        double t = 0;
        for (int i = 1; i < 7; ++i) {
            t += kEllipseStep;
            qx[i] = rx * std::cos(t);
            qy[i] = ry * std::sin(t);
        }
        qx[7] = 0;
        qy[7] = ry;
        for (int i = 0; i < 32; ++i) {
            const int quadrant = i / 8, j = (quadrant % 2 == 0) ? i % 8 : 7 - i % 8;
            const double sx = (quadrant == 1 || quadrant == 2) ? -1 : 1;
            const double sy = quadrant >= 2 ? -1 : 1;
            AddToPath(cx + sx * qx[j], cy + sy * qy[j], i == 0 ? 1 : 0);
        }
    } else if (HDC dc = GetDrawDC()) {
        const POINT pa = PxTrunc(a.x(), a.y()), pb = PxTrunc(b.x(), b.y());
        ::Ellipse(dc, pa.x, pa.y, pb.x, pb.y);
    }
    EndShape();
}

void CGraphSystem::DrawEllipse(const mgRect& r, coord_type ct) {
    DrawEllipse(r.left(), r.top(), r.right(), r.bottom(), ct);
}

void CGraphSystem::DrawEllipse(double cx, double cy, double rx, double ry, double angleDeg, coord_type ct) {
    if (!std::isfinite(angleDeg))
        return;
    if (std::fabs(angleDeg) < kTiny) {
        DrawEllipse(cx - rx, cy + ry, cx + rx, cy - ry, ct);
        return;
    }
    const mgPoint c = ToScreen(*this, cx, cy, ct);
    const double f = ScreenFactor(*this, ct);
    rx = std::fabs(rx * f);
    ry = std::fabs(ry * f);
    if (!Finite(c) || !Finite(rx, ry))
        return;
    HDC dc = GetDrawDC();
    if (dc == nullptr)
        return;
    // The four-arc Bezier ellipse of the box, in whole pixels, turned about the exact centre.
    const double L = DevicePixelTrunc(c.x() - rx), R = DevicePixelTrunc(c.x() + rx);
    const double T = DevicePixelTrunc(c.y() - ry), B = DevicePixelTrunc(c.y() + ry);
    const double xc = DevicePixelTrunc((L + R) / 2), yc = DevicePixelTrunc((T + B) / 2);
    const double kx = DevicePixelTrunc((R - L) * kBezier), ky = DevicePixelTrunc((B - T) * kBezier);
    const double box[13][2] = {{L, yc},      {L, yc + ky}, {xc - kx, B}, {xc, B},      {xc + kx, B},
                               {R, yc + ky}, {R, yc},      {R, yc - ky}, {xc + kx, T}, {xc, T},
                               {xc - kx, T}, {L, yc - ky}, {L, yc}};
    const double theta = angleDeg * 0.017453292519943295;
    const double cs = std::cos(theta), sn = std::sin(theta);
    POINT pts[13];
    for (int i = 0; i < 13; ++i) {
        const double dx = box[i][0] - c.x(), dy = box[i][1] - c.y();
        pts[i] = PxTrunc(c.x() + dx * cs + dy * sn, c.y() + dy * cs - dx * sn);
    }
    // The canvas saves the DC before the path is begun. A DC's saved state includes its path, so
    // the canvas's RestoreDC gives the host back whatever path the DC held before (none, usually),
    // not the closed ellipse that FillPath or StrokePath has used up.
    CGraphCanvas canvas(this, nullptr, 0);
    ::BeginPath(dc);
    ::PolyBezier(dc, pts, 13);
    ::EndPath(dc);
    const int style = canvas.GetBrushStyle();
    if (style == BS_SOLID || style == BS_HATCHED)
        ::FillPath(dc);
    else
        ::StrokePath(dc);
}

// ---------------------------------------------------------------------------------------------
// Rectangles and polylines

namespace {

// Corners of r: left-bottom, right-bottom, right-top, left-top.
void RectCorners(const mgRect& r, mgPoint out[4]) {
    out[0].set(r.left(), r.bottom());
    out[1].set(r.right(), r.bottom());
    out[2].set(r.right(), r.top());
    out[3].set(r.left(), r.top());
}

} // namespace

void CGraphSystem::DrawRect(const mgRect& r, double angle, double x, double y, coord_type ct) {
    if (!(r.width() > kTiny) || !(r.height() > kTiny))
        return;
    mgPoint p[4];
    RectCorners(r, p);
    const bool turn = std::fabs(angle) > kTiny;
    const mgMatrix m = turn ? mg_RotateMatrix(angle) : mgMatrix();
    for (mgPoint& q : p) {
        if (turn)
            q *= m;
        q.set(q.x() + x, q.y() + y);
    }
    DrawRect(p[0], p[1], p[2], p[3], ct);
}

void CGraphSystem::DrawRect(const mgPoint& p1, const mgPoint& p2, const mgPoint& p3, const mgPoint& p4,
                            coord_type ct) {
    const mgPoint given[4] = {p1, p2, p3, p4};
    mgPoint p[4];
    for (int i = 0; i < 4; ++i) {
        p[i] = ToScreen(*this, given[i].x(), given[i].y(), ct);
        if (!Finite(p[i]))
            return;
    }
    if (BeginShape()) {
        AddToNewPathAfterNow();
        for (int i = 0; i <= 4; ++i)
            AddToPath(p[i % 4].x(), p[i % 4].y(), 0);
        AddToNewPathAfterNow();
    } else {
        for (int i = 0; i < 4; ++i)
            DrawLinePx(nullptr, p[i].x(), p[i].y(), p[(i + 1) % 4].x(), p[(i + 1) % 4].y());
    }
    EndShape();
}

namespace draft2d::detail {

void DrawPolyPoints(HDC dc, const std::vector<mgPoint>& pts, bool closed) {
    bool inside = true;
    for (const mgPoint& p : pts)
        inside = inside && InsideGuard(p.x(), p.y());
    auto emit = [dc, closed](const std::vector<mgPoint>& run) {
        std::vector<POINT> out(run.size());
        for (size_t i = 0; i < run.size(); ++i)
            out[i] = Px(run[i].x(), run[i].y());
        if (closed)
            ::Polygon(dc, out.data(), static_cast<int>(out.size()));
        else
            ::Polyline(dc, out.data(), static_cast<int>(out.size()));
    };
    if (inside) {
        emit(pts);
        return;
    }
    if (closed) {
        const std::vector<mgPoint> clipped = ClipPolygonToGuard(pts);
        if (clipped.size() >= 3)
            emit(clipped);
        return;
    }
    const double g = kGuardPixels;
    std::vector<mgPoint> run;
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
        double x1 = pts[i].x(), y1 = pts[i].y(), x2 = pts[i + 1].x(), y2 = pts[i + 1].y();
        if (ClipLineInArea(&x1, &y1, &x2, &y2, -g, -g, g, g) != 0) {
            if (run.size() >= 2)
                emit(run);
            run.clear();
            continue;
        }
        const mgPoint a(x1, y1), b(x2, y2);
        if (!run.empty() && !(run.back() == a)) {
            if (run.size() >= 2)
                emit(run);
            run.clear();
        }
        if (run.empty())
            run.push_back(a);
        run.push_back(b);
    }
    if (run.size() >= 2)
        emit(run);
}

} // namespace draft2d::detail

using draft2d::detail::DrawPolyPoints;

namespace {

// The n points at(0) ... at(n - 1) as coordinate arrays; false when memory for them cannot be had.
template <typename PointAt>
bool PointArrays(int n, PointAt at, std::vector<double>& xs, std::vector<double>& ys) {
    try {
        xs.resize(static_cast<size_t>(n));
        ys.resize(static_cast<size_t>(n));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int i = 0; i < n; ++i) {
        const mgPoint p = at(i);
        xs[i] = p.x();
        ys[i] = p.y();
    }
    return true;
}

} // namespace

void CGraphSystem::DrawPolyline(int n, const double* xs, const double* ys, int closed, coord_type ct) {
    if (n <= 1 || xs == nullptr || ys == nullptr)
        return;
    std::vector<mgPoint> pts;
    try {
        pts.resize(static_cast<size_t>(n));
    } catch (const std::bad_alloc&) {
        return;
    }
    for (int i = 0; i < n; ++i) {
        pts[i] = ToScreen(*this, xs[i], ys[i], ct);
        if (!Finite(pts[i]))
            return;
    }
    if (BeginShape()) {
        // An open polyline may continue the current path; a closed one is a path of its own.
        if (closed)
            AddToNewPathAfterNow();
        for (int i = 0; i < n; ++i)
            AddToPath(pts[i].x(), pts[i].y(), (i == 0 && !closed) ? 1 : 0);
        if (closed) {
            AddToPath(pts[0].x(), pts[0].y(), 0);
            AddToNewPathAfterNow();
        }
    } else if (HDC dc = GetDrawDC()) {
        try {
            DrawPolyPoints(dc, pts, closed != 0);
        } catch (const std::bad_alloc&) {
            // Nothing is drawn when the point array cannot be had.
        }
    }
    EndShape();
}

void CGraphSystem::DrawPolyline(int n, const mgPoint* pts, int closed, coord_type ct) {
    std::vector<double> xs, ys;
    if (n > 1 && pts != nullptr &&
        PointArrays(
            n, [pts](int i) { return pts[i]; }, xs, ys))
        DrawPolyline(n, xs.data(), ys.data(), closed, ct);
}

// ---------------------------------------------------------------------------------------------
// Matrix forms: symbol coordinates mapped into paper millimetres

void CGraphSystem::DrawMatrixLine(const mgMatrix& m, const mgPoint& p1, const mgPoint& p2) {
    DrawLine(p1 * m, p2 * m, COORD_PAPER);
}

void CGraphSystem::DrawMatrixCircle(const mgMatrix& m, const mgPoint& c, double r) {
    DrawCircle(c * m, m.scalex() * r, COORD_PAPER);
}

void CGraphSystem::DrawMatrixArc(const mgMatrix& m, const mgPoint& c, double r, double start, double sweep,
                                 arc_type at) {
    DrawArc(c * m, m.scalex() * r, m.multiplyAngle(start), sweep, at, COORD_PAPER);
}

void CGraphSystem::DrawMatrixArc(const mgMatrix& m, const mgPoint& p1, const mgPoint& p2, const mgPoint& p3,
                                 arc_type at) {
    const mgPoint q[3] = {p1 * m, p2 * m, p3 * m};
    const double xs[3] = {q[0].x(), q[1].x(), q[2].x()};
    const double ys[3] = {q[0].y(), q[1].y(), q[2].y()};
    double cx, cy, r, start, sweep;
    if (CalcCenterForArc2(xs, ys, &cx, &cy, &r, &start, &sweep))
        DrawArc(cx, cy, r, start, sweep, at, COORD_PAPER);
}

void CGraphSystem::DrawMatrixRect(const mgMatrix& m, const mgRect& r, double angle, double x, double y) {
    // P0 left-bottom, P1 left-top, P2 right-top, P3 right-bottom; a turn is about P0.
    const mgPoint shift(x, y);
    mgPoint p0 = mgPoint(r.left(), r.bottom()) + shift;
    mgPoint p1 = mgPoint(r.left(), r.top()) + shift;
    mgPoint p2 = mgPoint(r.right(), r.top()) + shift;
    mgPoint p3 = mgPoint(r.right(), r.bottom()) + shift;
    if (std::fabs(angle) > 0.01) {
        const double w = r.width(), h = r.height();
        const double g = GetLineAngle(p0.x(), p0.y(), p2.x(), p2.y());
        const double d = std::sqrt(w * w + h * h);
        p1 = p0 + mgPoint(h * std::cos(angle + kPi / 2), h * std::sin(angle + kPi / 2));
        p2 = p0 + mgPoint(d * std::cos(angle + g), d * std::sin(angle + g));
        p3 = p0 + mgPoint(w * std::cos(angle), w * std::sin(angle));
    }
    DrawRect(p0 * m, p1 * m, p2 * m, p3 * m, COORD_PAPER);
}

void CGraphSystem::DrawMatrixPolyline(const mgMatrix& m, int n, const double* xs, const double* ys,
                                      int closed) {
    std::vector<double> mx, my;
    if (n > 1 && xs != nullptr && ys != nullptr &&
        PointArrays(
            n, [&](int i) { return mgPoint(xs[i], ys[i]) * m; }, mx, my))
        DrawPolyline(n, mx.data(), my.data(), closed, COORD_PAPER);
}

void CGraphSystem::DrawMatrixPolyline(const mgMatrix& m, int n, const mgPoint* pts, int closed) {
    std::vector<double> mx, my;
    if (n > 1 && pts != nullptr &&
        PointArrays(
            n, [&](int i) { return pts[i] * m; }, mx, my))
        DrawPolyline(n, mx.data(), my.data(), closed, COORD_PAPER);
}
