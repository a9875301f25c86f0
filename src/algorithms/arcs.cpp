// Arc and tangent construction.
//
// Three-point circle: with a = P1 - P0, b = P2 - P0 and D = 2 (a x b), the centre is
// P0 + ((b.y |a|^2 - a.y |b|^2) / D, (a.x |b|^2 - b.x |a|^2) / D), computed relative to P0 so that
// points far from the origin keep their precision. a x b > 0 means P0 -> P1 -> P2 turns
// counter-clockwise.
//
// Fillet of radius r between two rays from their crossing X at directions la and lb, c apart: the
// centre lies on the bisector at distance r / sin(c/2) from X, and touches each line at the foot of
// the perpendicular from the centre. Directions inside the fillet constructions are exact atan2
// values: the vertical snapping of GetLineAngle (|dx| < 1e-5) would move the centre off the
// tangent distance for steep lines.

#include "algorithms/arcs.h"

#include "algorithms/angles.h"
#include "algorithms/clip.h"
#include "algorithms/intersect.h"

#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

constexpr double kTol = 1e-7;
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kThreeHalfPi = 4.71238898038469;
constexpr double kMinFilletAngle = 0.2617993877991494; // 15 degrees
constexpr double kMaxFilletAngle = 2.8797932657906435; // 165 degrees

// Parallel tolerance of the tangent-arc construction, a squared chord between unit directions (see
// IsParallel): about (1e-5 rad)^2. Only a chord running along the tangent, whose circle would have
// an unbounded radius, is refused.
constexpr double kTangentParallelTol = 1e-10;

bool AllFinite(std::initializer_list<double> values) {
    for (double v : values) {
        if (!std::isfinite(v)) {
            return false;
        }
    }
    return true;
}

bool Degenerate(double x1, double y1, double x2, double y2) {
    return std::fabs(x2 - x1) + std::fabs(y2 - y1) <= kTol;
}

double Direction(double x1, double y1, double x2, double y2) {
    return std::atan2(y2 - y1, x2 - x1);
}

// Wraps an angle difference into (-pi, pi].
double WrapDiff(double m) {
    if (m > kPi) {
        m -= kTwoPi;
    } else if (m <= -kPi) {
        m += kTwoPi;
    }
    return m;
}

// Signed sweep from `start` to `end` in the direction of `dir` (-1 counter-clockwise).
double SweepFor(int dir, double start, double end) {
    return dir == -1 ? AngleBetween(start, end) : -AngleBetween(end, start);
}

// Foot of the perpendicular from (px, py) on the line through P1 and P2 (not degenerate).
void Foot(double x1, double y1, double x2, double y2, double px, double py, double* fx, double* fy) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double t = ((px - x1) * dx + (py - y1) * dy) / (dx * dx + dy * dy);
    *fx = x1 + t * dx;
    *fy = y1 + t * dy;
}

struct Lines {
    double* x1;
    double* y1;
    double* x2;
    double* y2;
    double* x3;
    double* y3;
    double* x4;
    double* y4;

    bool Valid() const {
        return AllFinite({*x1, *y1, *x2, *y2, *x3, *y3, *x4, *y4}) && !Degenerate(*x1, *y1, *x2, *y2) &&
               !Degenerate(*x3, *y3, *x4, *y4);
    }
    bool Parallel() const {
        double x = 0.0;
        double y = 0.0;
        return BeelineCrossBeeline(*x1, *y1, *x2, *y2, *x3, *y3, *x4, *y4, &x, &y) != 0;
    }
};

} // namespace

void GetArcBoundBox(double cx, double cy, double r, double start, double end, double* xmin, double* ymax,
                    double* xmax, double* ymin) {
    if (!AllFinite({cx, cy, r, start, end})) {
        return;
    }
    if (r < 0.0) {
        r = -r;
        start += kPi;
        end += kPi;
    }
    double sx = 0.0;
    double sy = 0.0;
    double ex = 0.0;
    double ey = 0.0;
    CalcDistPoint(cx, cy, start, r, &sx, &sy);
    CalcDistPoint(cx, cy, end, r, &ex, &ey);
    double left = std::fmin(sx, ex);
    double top = std::fmax(sy, ey);
    double right = std::fmax(sx, ex);
    double bottom = std::fmin(sy, ey);
    if (IsMidAngle(start, end, kPi)) {
        left = cx - r;
    }
    if (IsMidAngle(start, end, kHalfPi)) {
        top = cy + r;
    }
    if (IsMidAngle(start, end, 0.0)) {
        right = cx + r;
    }
    if (IsMidAngle(start, end, kThreeHalfPi)) {
        bottom = cy - r;
    }
    *xmin = left;
    *ymax = top;
    *xmax = right;
    *ymin = bottom;
}

bool CalcCenterForArc(const double* xs, const double* ys, double* cx, double* cy, double* r, int* dir) {
    *r = -1.0;
    const double x0 = xs[0];
    const double y0 = ys[0];
    const double x1 = xs[1];
    const double y1 = ys[1];
    const double x2 = xs[2];
    const double y2 = ys[2];
    if (!AllFinite({x0, y0, x1, y1, x2, y2})) {
        return false;
    }
    auto same = [](double ax, double ay, double bx, double by) {
        return std::fabs(ax - bx) <= kTol && std::fabs(ay - by) <= kTol;
    };
    if (same(x0, y0, x1, y1) || same(x0, y0, x2, y2) || same(x2, y2, x1, y1)) {
        return false;
    }
    if (!(std::fabs((x1 - x0) * (y2 - y1) - (x2 - x1) * (y1 - y0)) > kTol)) {
        return false;
    }

    // The perpendicular bisectors of P0P1 and P1P2 as A x + B y = K; nearly parallel bisectors (in
    // these coordinates) fail as well.
    struct Bisector {
        double A, B;
    };
    auto bisector = [](double xa, double ya, double xb, double yb) {
        if (std::fabs(xa - xb) < kTol) {
            return Bisector{0.0, 1.0};
        }
        if (std::fabs(ya - yb) < kTol) {
            return Bisector{1.0, 0.0};
        }
        return Bisector{(xb - xa) / (yb - ya), 1.0};
    };
    const Bisector b1 = bisector(x0, y0, x1, y1);
    const Bisector b2 = bisector(x1, y1, x2, y2);
    if (!(std::fabs(b2.B * b1.A - b2.A * b1.B) >= kTol)) {
        return false;
    }

    const double ax = x1 - x0;
    const double ay = y1 - y0;
    const double bx = x2 - x0;
    const double by = y2 - y0;
    const double cross = ax * by - ay * bx;
    const double a2 = ax * ax + ay * ay;
    const double bb2 = bx * bx + by * by;
    const double ux = (by * a2 - ay * bb2) / (2.0 * cross);
    const double uy = (ax * bb2 - bx * a2) / (2.0 * cross);
    const double radius = std::sqrt(ux * ux + uy * uy);
    if (!AllFinite({ux, uy, radius})) {
        return false;
    }
    *cx = x0 + ux;
    *cy = y0 + uy;
    *r = radius;
    if (dir != nullptr) {
        *dir = cross > 0.0 ? -1 : 1;
    }
    return true;
}

bool CalcCenterForArc2(const double* xs, const double* ys, double* cx, double* cy, double* r, double* start,
                       double* sweep) {
    *start = 0.0;
    *sweep = 0.0;
    int dir = -1;
    if (!CalcCenterForArc(xs, ys, cx, cy, r, &dir)) {
        return false;
    }
    const double as = GetLineAngle(*cx, *cy, xs[0], ys[0]);
    const double ae = GetLineAngle(*cx, *cy, xs[2], ys[2]);
    *start = as;
    *sweep = SweepFor(dir, as, ae);
    return true;
}

bool CalcTangentArc(double x0, double y0, double x1, double y1, double tx, double ty, double* cx, double* cy,
                    double* r, int* dir) {
    *cx = 0.0;
    *cy = 0.0;
    *r = 0.0;
    if (dir != nullptr) {
        *dir = -1;
    }
    if (!AllFinite({x0, y0, x1, y1, tx, ty})) {
        return false;
    }
    // Both lines are written relative to P0: the bisector (x1 - x0) x + (y1 - y0) y = |P1 - P0|^2 / 2
    // and the normal of the tangent through P0, tx x + ty y = 0.
    const double a1 = x1 - x0;
    const double b1 = y1 - y0;
    const double c1 = -(a1 * a1 + b1 * b1) / 2.0;
    double ux = 0.0;
    double uy = 0.0;
    if (CrossLine(a1, b1, c1, tx, ty, 0.0, &ux, &uy, kTangentParallelTol) != 0) {
        return false;
    }
    const double radius = std::sqrt(ux * ux + uy * uy);
    if (!AllFinite({ux, uy, radius})) {
        return false;
    }
    *cx = x0 + ux;
    *cy = y0 + uy;
    *r = radius;
    if (dir != nullptr) {
        *dir = CalcAngleBetween(-ux, -uy, tx, ty) > 0.0 ? -1 : 1;
    }
    return true;
}

bool CalcTangentArc2(double x0, double y0, double x1, double y1, double tx, double ty, double* cx, double* cy,
                     double* r, double* start, double* sweep) {
    *start = 0.0;
    *sweep = 0.0;
    int dir = -1;
    if (!CalcTangentArc(x0, y0, x1, y1, tx, ty, cx, cy, r, &dir)) {
        return false;
    }
    const double as = GetLineAngle(*cx, *cy, x0, y0);
    const double ae = GetLineAngle(*cx, *cy, x1, y1);
    *start = as;
    *sweep = SweepFor(dir, as, ae);
    return true;
}

double AngleBetweenTwoLine(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                           double y4) {
    if (!AllFinite({x1, y1, x2, y2, x3, y3, x4, y4})) {
        return 0.0;
    }
    const double a = SetAngle0_2PI(GetLineAngle(x1, y1, x2, y2));
    const double b = SetAngle0_2PI(GetLineAngle(x3, y3, x4, y4));
    double m = a - b;
    if (m > kPi) {
        m -= kTwoPi;
    } else if (m < -kPi) {
        m += kTwoPi;
    }
    return std::fabs(m);
}

int CircleTanForParallel(double* x1, double* y1, double* x2, double* y2, double* x3, double* y3, double* x4,
                         double* y4, double* r, double* cx, double* cy, int side) {
    const Lines lines{x1, y1, x2, y2, x3, y3, x4, y4};
    if (!lines.Valid()) {
        return -1;
    }
    // Q is the end of line 1 that the half circle leaves from, O its other end.
    const double qx = side != 0 ? *x2 : *x1;
    const double qy = side != 0 ? *y2 : *y1;
    const double ox = side != 0 ? *x1 : *x2;
    const double oy = side != 0 ? *y1 : *y2;
    double fx = 0.0;
    double fy = 0.0;
    const double d = Dist_Pt2Line(*x3, *y3, *x4, *y4, qx, qy, &fx, &fy);
    if (!(d > kTol) || !AllFinite({d, fx, fy})) {
        return -1; // collinear lines have no half circle between them
    }

    // The end V of line 2 that moves to F: the one beyond which F lies, else by the directions.
    bool moveP4;
    const int code = svw_check_left_right(*x3, *y3, *x4, *y4, fx, fy);
    if (code == 72) {
        moveP4 = true;
    } else if (code == 68) {
        moveP4 = false;
    } else {
        const double diff = WrapDiff(Direction(*x1, *y1, *x2, *y2) - Direction(*x3, *y3, *x4, *y4));
        const bool sameDirection = std::fabs(diff) < 1e-5;
        moveP4 = sameDirection ? side != 0 : side == 0;
    }
    double* vx = moveP4 ? x4 : x3;
    double* vy = moveP4 ? y4 : y3;

    // When the part of line 2 beyond F is at least as long as line 1, the half circle must turn away
    // from the rest of line 1: Q must lie at least as far from V as line 1's other end.
    const double len1 = std::hypot(*x2 - *x1, *y2 - *y1);
    if (std::hypot(*vx - fx, *vy - fy) >= len1 &&
        std::hypot(qx - *vx, qy - *vy) < std::hypot(ox - *vx, oy - *vy)) {
        return -1;
    }
    *vx = fx;
    *vy = fy;
    *r = d / 2.0;
    *cx = (fx + qx) / 2.0;
    *cy = (fy + qy) / 2.0;
    return 0;
}

int CircleTanForTwoLine(double* x1, double* y1, double* x2, double* y2, double* x3, double* y3, double* x4,
                        double* y4, double* r, double* cx, double* cy, int side) {
    const Lines lines{x1, y1, x2, y2, x3, y3, x4, y4};
    if (!lines.Valid()) {
        return -1;
    }
    double X = 0.0;
    double Y = 0.0;
    if (BeelineCrossBeeline(*x1, *y1, *x2, *y2, *x3, *y3, *x4, *y4, &X, &Y) != 0) {
        return CircleTanForParallel(x1, y1, x2, y2, x3, y3, x4, y4, r, cx, cy, side);
    }
    *cx = X;
    *cy = Y;
    const double radius = *r;
    if (!std::isfinite(radius) || !(radius > 0.0)) {
        return -1;
    }
    ChangeLineVertex(x1, y1, x2, y2, x3, y3, x4, y4, &X, &Y);
    const double la = Direction(*x1, *y1, *x2, *y2);
    const double lb = Direction(*x3, *y3, *x4, *y4);
    const double c = std::fabs(WrapDiff(la - lb));
    if (c < kMinFilletAngle || c > kMaxFilletAngle) {
        return -1;
    }
    double b = (la + lb) / 2.0;
    if (std::fabs(b - la) > kHalfPi) {
        b += kPi;
    }
    double px = 0.0;
    double py = 0.0;
    CalcDistPoint(X, Y, b, radius / std::sin(c / 2.0), &px, &py);
    if (!AllFinite({px, py})) {
        return -1;
    }
    *cx = px;
    *cy = py;
    return 0;
}

int ArcTanForTwoLine(double* x1, double* y1, double* x2, double* y2, double* x3, double* y3, double* x4,
                     double* y4, double* r, double* cx, double* cy, double* start, double* end, int side) {
    if (CircleTanForTwoLine(x1, y1, x2, y2, x3, y3, x4, y4, r, cx, cy, side) != 0) {
        return -1;
    }
    const double R = *r;
    const double ccx = *cx;
    const double ccy = *cy;
    // The circle must touch each line: its distance from the line equals the radius (within 1e-7,
    // relative for radii above 1), and the touching point is the foot of the perpendicular.
    const double tol = kTol * std::fmax(1.0, R);
    double t1x = 0.0;
    double t1y = 0.0;
    double t2x = 0.0;
    double t2y = 0.0;
    Foot(*x1, *y1, *x2, *y2, ccx, ccy, &t1x, &t1y);
    Foot(*x3, *y3, *x4, *y4, ccx, ccy, &t2x, &t2y);
    if (!AllFinite({t1x, t1y, t2x, t2y}) || !(std::fabs(std::hypot(t1x - ccx, t1y - ccy) - R) <= tol) ||
        !(std::fabs(std::hypot(t2x - ccx, t2y - ccy) - R) <= tol)) {
        return -1;
    }

    const double e1 = Direction(ccx, ccy, t1x, t1y);
    double e2 = Direction(ccx, ccy, t2x, t2y);
    if (e2 < e1) {
        e2 += kTwoPi;
    }
    double a = e1;
    double b = e2;
    if (e2 - e1 - kPi > 1e-5) {
        a = e2;
        b = e1;
    }

    const Lines lines{x1, y1, x2, y2, x3, y3, x4, y4};
    if (lines.Parallel()) {
        // The half circle: which way round it runs depends on the side of line 1 it leaves from.
        const double la = GetLineAngle(*x1, *y1, *x2, *y2);
        const bool right = la > -kHalfPi && la <= kHalfPi;
        const bool test = e1 > 1e-5 ? right : !right;
        if ((test && side == 1) || (!test && side == 0)) {
            std::swap(a, b);
        }
        if (side != 0) {
            *x2 = t1x;
            *y2 = t1y;
        } else {
            *x1 = t1x;
            *y1 = t1y;
        }
        if (std::hypot(*x3 - t2x, *y3 - t2y) - std::hypot(*x4 - t2x, *y4 - t2y) >= kTol) {
            *x4 = t2x;
            *y4 = t2y;
        } else {
            *x3 = t2x;
            *y3 = t2y;
        }
    } else {
        *x1 = t1x;
        *y1 = t1y;
        *x3 = t2x;
        *y3 = t2y;
    }
    *start = a;
    *end = b;
    return 0;
}
