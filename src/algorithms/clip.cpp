// Segment and arc clipping.
//
// Both segment clippers are Cohen-Sutherland loops: while an end point lies outside, it is moved
// along the segment onto the boundary it violates, x = x1 + (x2 - x1)(y - y1)/(y2 - y1) for a
// horizontal boundary y and y = y1 + (y2 - y1)(x - x1)/(x2 - x1) for a vertical boundary x, always
// with the current (partly clipped) end points. A denominator is never zero: a point is only moved
// across a boundary that the other end does not also violate, so the two coordinates differ there.
// In exact arithmetic each end moves at most twice; the loops stop after a few more passes than
// that in case rounding keeps a point bouncing in a corner, and report the segment as outside.
//
// Arc clipping cuts the arc at its crossings with the rectangle's edges, walks the pieces from the
// start point through the crossings (in increasing angle) to the end point, and keeps the pieces
// whose middle lies strictly inside.

#include "algorithms/clip.h"

#include "algorithms/angles.h"
#include "algorithms/intersect.h"

#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kMaxClipPasses = 12;

bool Finite4(double a, double b, double c, double d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// Outcodes of CS_clip: 1 left, 2 right, 4 below, 8 above.
inline int CsCode(double x, double y, double xmin, double xmax, double ymin, double ymax) {
    int c = 0;
    if (x < xmin) {
        c = 1;
    } else if (x > xmax) {
        c = 2;
    }
    if (y < ymin) {
        c |= 4;
    } else if (y > ymax) {
        c |= 8;
    }
    return c;
}

// Outcodes of ClipLineInArea.
constexpr int kLeft = 0x0001;
constexpr int kRight = 0x0010;
constexpr int kAbove = 0x0100;
constexpr int kBelow = 0x1000;

inline int AreaCode(double x, double y, double xmin, double ymin, double xmax, double ymax) {
    int c = 0;
    if (x < xmin) {
        c = kLeft;
    } else if (x > xmax) {
        c = kRight;
    }
    if (y < ymin) {
        c |= kBelow;
    } else if (y > ymax) {
        c |= kAbove;
    }
    return c;
}

// The coordinate a at which the line through (a1, b1) and (a2, b2) reaches b. The product is formed
// first, as usual; when it overflows (coordinates near the double range) the ratio is formed first.
inline double Along(double a1, double b1, double a2, double b2, double b) {
    const double v = a1 + (a2 - a1) * (b - b1) / (b2 - b1);
    if (std::isfinite(v)) {
        return v;
    }
    return a1 + (b - b1) / (b2 - b1) * (a2 - a1);
}

// A point of the arc walk: its angle (at least the arc's start angle) and its coordinates.
struct WalkPoint {
    double angle;
    double x;
    double y;
};

} // namespace

bool CS_clip(double x1, double y1, double x2, double y2, double xmin, double xmax, double ymin, double ymax,
             double* ox1, double* oy1, double* ox2, double* oy2) {
    if (!Finite4(x1, y1, x2, y2) || !Finite4(xmin, xmax, ymin, ymax)) {
        return false;
    }
    int c1 = CsCode(x1, y1, xmin, xmax, ymin, ymax);
    int c2 = CsCode(x2, y2, xmin, xmax, ymin, ymax);
    for (int pass = 0; pass < kMaxClipPasses; ++pass) {
        if ((c1 | c2) == 0) {
            *ox1 = x1;
            *oy1 = y1;
            *ox2 = x2;
            *oy2 = y2;
            return true;
        }
        if ((c1 & c2) != 0) {
            return false;
        }
        const bool first = c1 != 0;
        const int c = first ? c1 : c2;
        double x;
        double y;
        if (c & (1 | 2)) {
            x = (c & 1) ? xmin : xmax;
            y = Along(y1, x1, y2, x2, x);
        } else {
            y = (c & 4) ? ymin : ymax;
            x = Along(x1, y1, x2, y2, y);
        }
        if (!std::isfinite(x) || !std::isfinite(y)) {
            return false;
        }
        if (first) {
            x1 = x;
            y1 = y;
            c1 = CsCode(x1, y1, xmin, xmax, ymin, ymax);
        } else {
            x2 = x;
            y2 = y;
            c2 = CsCode(x2, y2, xmin, xmax, ymin, ymax);
        }
    }
    return false;
}

int ClipLineInArea(double* px1, double* py1, double* px2, double* py2, double xmin, double ymin, double xmax,
                   double ymax) {
    double x1 = *px1;
    double y1 = *py1;
    double x2 = *px2;
    double y2 = *py2;
    if (!Finite4(x1, y1, x2, y2) || !Finite4(xmin, ymin, xmax, ymax)) {
        return -1;
    }
    int c1 = AreaCode(x1, y1, xmin, ymin, xmax, ymax);
    int c2 = AreaCode(x2, y2, xmin, ymin, xmax, ymax);
    int result = -1;
    for (int pass = 0; pass < kMaxClipPasses; ++pass) {
        if ((c1 | c2) == 0) {
            result = 0;
            break;
        }
        if ((c1 & c2) != 0) {
            break;
        }
        const bool first = c1 != 0;
        const int c = first ? c1 : c2;
        double x;
        double y;
        if (c & (kBelow | kAbove)) {
            y = (c & kBelow) ? ymin : ymax;
            x = Along(x1, y1, x2, y2, y);
        } else {
            x = (c & kLeft) ? xmin : xmax;
            y = Along(y1, x1, y2, x2, x);
        }
        if (!std::isfinite(x) || !std::isfinite(y)) {
            break;
        }
        if (first) {
            x1 = x;
            y1 = y;
            c1 = AreaCode(x1, y1, xmin, ymin, xmax, ymax);
        } else {
            x2 = x;
            y2 = y;
            c2 = AreaCode(x2, y2, xmin, ymin, xmax, ymax);
        }
    }
    // Moved end points are handed back even when the segment is rejected; they are always finite.
    *px1 = x1;
    *py1 = y1;
    *px2 = x2;
    *py2 = y2;
    return result;
}

int ClipArcInArea(double cx, double cy, double r, double start, double end, double xa, double ya, double xb,
                  double yb, double* outx, double* outy) {
    if (!Finite4(cx, cy, r, start) || !Finite4(end, xa, ya, xb) || !std::isfinite(yb) || !(r > 0.0)) {
        return -1;
    }
    const double xlo = std::fmin(xa, xb);
    const double xhi = std::fmax(xa, xb);
    const double ylo = std::fmin(ya, yb);
    const double yhi = std::fmax(ya, yb);
    if (cx + r < xlo || cx - r > xhi || cy + r < ylo || cy - r > yhi) {
        return -1;
    }
    auto strictlyInside = [&](double x, double y) { return xlo < x && x < xhi && ylo < y && y < yhi; };

    // The counter-clockwise sweep, in (0, 2pi]; a sweep of (almost) a whole turn is the full circle.
    double sweep = end - start;
    if (!(sweep > 0.0)) {
        sweep += kTwoPi * (std::floor(-sweep / kTwoPi) + 1.0);
    }
    const bool full = !(sweep < kTwoPi - 1e-7);
    if (full) {
        sweep = kTwoPi;
    }

    WalkPoint walk[10];
    CalcDistPoint(cx, cy, start, r, &walk[0].x, &walk[0].y);
    walk[0].angle = start;
    WalkPoint last;
    CalcDistPoint(cx, cy, end, r, &last.x, &last.y);
    last.angle = start + sweep;

    const double xs[4] = {xa, xb, xb, xa};
    const double ys[4] = {ya, ya, yb, yb};
    double crossX[8];
    double crossY[8];
    const int k = ArcCrossRect(cx, cy, r, start, full ? start : start + sweep, xs, ys, crossX, crossY);
    if (k <= 0) {
        if (!strictlyInside(walk[0].x, walk[0].y)) {
            return -1;
        }
        outx[0] = walk[0].x;
        outx[1] = last.x;
        outy[0] = walk[0].y;
        outy[1] = last.y;
        return 1;
    }

    // Each crossing's angle is measured from the start, counter-clockwise, into [0, sweep]. The
    // membership test of the crossings allows 1e-5 of slack at both ends of the arc: a crossing just
    // before the start counts as the start, one just past the end as the end.
    for (int i = 0; i < k; ++i) {
        const double a = SetAngle0_2PI(GetLineAngle(cx, cy, crossX[i], crossY[i]));
        double rel = a - start;
        rel -= kTwoPi * std::floor(rel / kTwoPi);
        if (rel >= kTwoPi - 1e-5) {
            rel = 0.0;
        }
        if (rel > sweep) {
            rel = sweep;
        }
        // Insertion by angle; equal angles keep the order of the crossing list.
        WalkPoint p{start + rel, crossX[i], crossY[i]};
        int j = i + 1;
        while (j > 1 && walk[j - 1].angle > p.angle) {
            walk[j] = walk[j - 1];
            --j;
        }
        walk[j] = p;
    }
    walk[k + 1] = last;

    int pieces = 0;
    for (int i = 0; i <= k; ++i) {
        const WalkPoint& a = walk[i];
        const WalkPoint& b = walk[i + 1];
        if (!(b.angle > a.angle)) {
            continue; // a zero-length piece, such as between two copies of a corner crossing
        }
        double mx = 0.0;
        double my = 0.0;
        CalcDistPoint(cx, cy, (a.angle + b.angle) / 2.0, r, &mx, &my);
        if (!strictlyInside(mx, my)) {
            continue;
        }
        outx[2 * pieces] = a.x;
        outx[2 * pieces + 1] = b.x;
        outy[2 * pieces] = a.y;
        outy[2 * pieces + 1] = b.y;
        ++pieces;
    }
    return pieces;
}

void ChangeLineVertex(double* x1, double* y1, double* x2, double* y2, double* x3, double* y3, double* x4,
                      double* y4, double* px, double* py) {
    const double x = *px;
    const double y = *py;
    const int a = svw_check_left_right(*x1, *y1, *x2, *y2, x, y);
    if (a & (0x01 | 0x04)) {
        *x1 = x;
        *y1 = y;
    } else if (a & (0x02 | 0x08)) {
        *x2 = *x1;
        *y2 = *y1;
        *x1 = x;
        *y1 = y;
    }
    const int b = svw_check_left_right(*x3, *y3, *x4, *y4, x, y);
    if (b & (0x01 | 0x04)) {
        *x3 = x;
        *y3 = y;
    } else {
        *x4 = *x3;
        *y4 = *y3;
        *x3 = x;
        *y3 = y;
    }
}
