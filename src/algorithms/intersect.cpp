// Intersections of straight and round shapes.
//
// Line/line: with d1 = P2 - P1, d2 = P4 - P3, e = P3 - P1 and G = d1 x d2 (the 2-D cross product),
// the crossing is P1 + h*d1 = P3 + k*d2 with h = (e x d2)/G and k = (e x d1)/G. The crossing is
// formed from these parameters rather than from products of absolute coordinates, so that segments
// far from the origin keep their precision; h and k are then the positions on the two segments.
//
// Line/circle: with w = P1 - C, a point P1 + t*d lies on the circle of radius r when
// L*t^2 + B*t + (|w|^2 - r^2) = 0, L = |d|^2, B = 2 w.d, discriminant D = B^2 - 4L(|w|^2 - r^2).
// The root with +sqrt(D) (larger t) is tried first.
//
// Circle/circle: with d the distance of the centres and theta the direction from the first to the
// second, c = (d^2 + r2^2 - r1^2)/(-2 d r2) is the cosine of the angle alpha at the second centre
// between the reversed centre line and the crossing; the crossings are at angles theta - alpha and
// theta + alpha - 2pi about the second centre.

#include "algorithms/intersect.h"

#include "algorithms/angles.h"

#include <cmath>
#include <initializer_list>

namespace {

constexpr double kTol = 1e-7;
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;

bool AllFinite(std::initializer_list<double> values) {
    for (double v : values) {
        if (!std::isfinite(v)) {
            return false;
        }
    }
    return true;
}

bool Finite2(double x, double y) {
    return std::isfinite(x) && std::isfinite(y);
}

// Both coordinates within 1e-7 of the corner: the corner's exact coordinates replace the point.
bool SnapToCorner(double* px, double* py, double cx, double cy) {
    if (std::fabs(*px - cx) <= kTol && std::fabs(*py - cy) <= kTol) {
        *px = cx;
        *py = cy;
        return true;
    }
    return false;
}

// Direction of (ux, uy) from the centre, where ux, uy are offsets already divided by the radius.
double DirectionOnCircle(double ux, double uy) {
    if (std::fabs(ux) < kTol && std::fabs(uy) < kTol) {
        return kHalfPi;
    }
    return std::atan2(uy, ux);
}

enum class LineKind { Segment, Infinite };

// Shared body of LineCrossArc and BeelineCrossArc; the two differ in the parameter range of the
// line and in the tolerances on the discriminant.
int LineArc(double cx, double cy, double r, double s, double e, double x1, double y1, double x2, double y2,
            double* outx, double* outy, LineKind kind) {
    if (!AllFinite({cx, cy, r, s, e, x1, y1, x2, y2}) || !(r > 0.0)) {
        return 0;
    }
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double L = dx * dx + dy * dy;
    if (!(L >= kTol) || !std::isfinite(L)) {
        return 0;
    }
    const double wx = x1 - cx;
    const double wy = y1 - cy;
    const double B = 2.0 * (wy * dy + wx * dx);
    double D = B * B - 4.0 * L * (wx * wx + wy * wy - r * r);
    const bool segment = kind == LineKind::Segment;
    if (std::fabs(D) < (segment ? 1e-8 : 1e-7)) {
        D = 0.0;
    }
    if (!(D >= 0.0) || !std::isfinite(D)) {
        return 0;
    }
    const double root = std::sqrt(D);

    int count = 0;
    auto tryRoot = [&](double t) {
        if (segment && !((t > 0.0 || std::fabs(t) < kTol) && (t < 1.0 || std::fabs(1.0 - t) < kTol))) {
            return;
        }
        const double angle = DirectionOnCircle((wx + dx * t) / r, (wy + dy * t) / r);
        if (!IsMidAngle(s, e, angle)) {
            return;
        }
        const double px = x1 + dx * t;
        const double py = y1 + dy * t;
        if (!Finite2(px, py)) {
            return;
        }
        outx[count] = px;
        outy[count] = py;
        ++count;
    };

    tryRoot((root - B) / (2.0 * L));
    // A touching line has one point; the second root is only tried for a clear crossing.
    if (segment ? std::fabs(D) <= kTol : !(std::fabs(D) > 1e-6)) {
        return count;
    }
    tryRoot((-B - root) / (2.0 * L));
    return count;
}

// Line/line crossing through the parameters h (on P1P2) and k (on P3P4). Returns false when the
// lines are parallel within 1e-7 or the crossing is not representable.
bool CrossParams(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                 double* h, double* k, double* px, double* py) {
    const double d1x = x2 - x1;
    const double d1y = y2 - y1;
    const double d2x = x4 - x3;
    const double d2y = y4 - y3;
    const double G = d1x * d2y - d1y * d2x;
    if (!(std::fabs(G) > kTol) || !std::isfinite(G)) {
        return false;
    }
    const double ex = x3 - x1;
    const double ey = y3 - y1;
    *h = (ex * d2y - ey * d2x) / G;
    *k = (ex * d1y - ey * d1x) / G;
    *px = x1 + *h * d1x;
    *py = y1 + *h * d1y;
    return Finite2(*px, *py) && std::isfinite(*k);
}

// Snaps each of n points to the start corner (xa, ya), else the end corner (xb, yb) of an edge.
void SnapToEdgeEnds(int n, double* xs, double* ys, double xa, double ya, double xb, double yb) {
    for (int i = 0; i < n; ++i) {
        if (!SnapToCorner(&xs[i], &ys[i], xa, ya)) {
            SnapToCorner(&xs[i], &ys[i], xb, yb);
        }
    }
}

enum class CrossKind { Segment, Infinite };

int StraightCrossRect(double x1, double y1, double x2, double y2, const double* xs, const double* ys,
                      double* outx, double* outy, CrossKind kind) {
    int count = 0;
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        double px = 0.0;
        double py = 0.0;
        const int rc = kind == CrossKind::Segment
                           ? LineCrossLine(x1, y1, x2, y2, xs[i], ys[i], xs[j], ys[j], &px, &py)
                           : BeelineCrossLine(x1, y1, x2, y2, xs[i], ys[i], xs[j], ys[j], &px, &py);
        if (rc != 1) {
            continue;
        }
        if (!SnapToCorner(&px, &py, xs[i], ys[i])) {
            SnapToCorner(&px, &py, xs[j], ys[j]);
        }
        if (count == 0) {
            outx[0] = px;
            outy[0] = py;
            count = 1;
        } else if (count == 1 && std::hypot(px - outx[0], py - outy[0]) > kTol) {
            outx[1] = px;
            outy[1] = py;
            count = 2;
        }
    }
    return count;
}

} // namespace

int LineCrossLine(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                  double* outx, double* outy) {
    if (!AllFinite({x1, y1, x2, y2, x3, y3, x4, y4})) {
        return -2;
    }
    if (std::fabs(x2 - x1) + std::fabs(y2 - y1) <= kTol || std::fabs(x4 - x3) + std::fabs(y4 - y3) <= kTol) {
        return -2;
    }
    double h = 0.0;
    double k = 0.0;
    double px = 0.0;
    double py = 0.0;
    if (!CrossParams(x1, y1, x2, y2, x3, y3, x4, y4, &h, &k, &px, &py)) {
        return -2;
    }
    *outx = px;
    *outy = py;
    if (h <= -kTol || h >= 1.0000001 || k <= -kTol || k >= 1.0000001) {
        return 0;
    }
    // A crossing within 1e-7 of an end point takes that end point's exact coordinates.
    if (std::fabs(h) < kTol) {
        *outx = x1;
        *outy = y1;
    } else if (std::fabs(h - 1.0) < kTol) {
        *outx = x2;
        *outy = y2;
    } else if (std::fabs(k) < kTol) {
        *outx = x3;
        *outy = y3;
    } else if (std::fabs(k - 1.0) < kTol) {
        *outx = x4;
        *outy = y4;
    }
    return 1;
}

int BeelineCrossBeeline(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                        double y4, double* outx, double* outy) {
    if (!AllFinite({x1, y1, x2, y2, x3, y3, x4, y4})) {
        return -1;
    }
    double h = 0.0;
    double k = 0.0;
    double px = 0.0;
    double py = 0.0;
    if (!CrossParams(x1, y1, x2, y2, x3, y3, x4, y4, &h, &k, &px, &py)) {
        return -1;
    }
    *outx = px;
    *outy = py;
    return 0;
}

int BeelineCrossLine(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                     double* outx, double* outy) {
    if (!AllFinite({x1, y1, x2, y2, x3, y3, x4, y4})) {
        return -2;
    }
    double h = 0.0;
    double k = 0.0;
    double px = 0.0;
    double py = 0.0;
    if (!CrossParams(x1, y1, x2, y2, x3, y3, x4, y4, &h, &k, &px, &py)) {
        return -2;
    }
    *outx = px;
    *outy = py;
    const bool inX = (px - x3) * (px - x4) <= kTol;
    const bool inY = (py - y3) * (py - y4) <= kTol;
    return inX && inY ? 1 : 0;
}

int ArcCrossArc(double cx1, double cy1, double r1, double s1, double e1, double cx2, double cy2, double r2,
                double s2, double e2, double* outx, double* outy) {
    if (!AllFinite({cx1, cy1, r1, s1, e1, cx2, cy2, r2, s2, e2}) || !(r1 > 0.0) || !(r2 > 0.0)) {
        return 0;
    }
    const double dx = cx2 - cx1;
    const double dy = cy2 - cy1;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (!(d > kTol) || !std::isfinite(d)) {
        return 0; // concentric arcs, even identical ones, have no crossing points
    }
    const double c = (d * d + r2 * r2 - r1 * r1) / (-2.0 * d * r2);
    if (!(std::fabs(c) <= 1.0)) {
        return 0;
    }
    const double theta = std::atan2(dy / d, dx / d);
    const double alpha = std::acos(c);

    int count = 0;
    auto tryAngle = [&](double phi) {
        const double qx = cx2 + r2 * std::cos(phi);
        const double qy = cy2 + r2 * std::sin(phi);
        const double psi = DirectionOnCircle((qx - cx1) / r1, (qy - cy1) / r1);
        if (!IsMidAngle(s1, e1, psi) || !IsMidAngle(s2, e2, phi)) {
            return;
        }
        const double px = cx1 + r1 * std::cos(psi);
        const double py = cy1 + r1 * std::sin(psi);
        if (!Finite2(px, py)) {
            return;
        }
        outx[count] = px;
        outy[count] = py;
        ++count;
    };

    tryAngle(theta - alpha);
    if (std::fabs(alpha) < 1e-5 || std::fabs(alpha - kPi) < 1e-5) {
        return count; // the circles touch
    }
    tryAngle(theta + alpha - kTwoPi);
    return count;
}

int CircleCrossCircle(double cx1, double cy1, double r1, double cx2, double cy2, double r2, double* outx,
                      double* outy) {
    return ArcCrossArc(cx1, cy1, r1, 0.0, kTwoPi, cx2, cy2, r2, 0.0, kTwoPi, outx, outy);
}

int CircleCrossArc(double cx1, double cy1, double r1, double cx2, double cy2, double r2, double s2, double e2,
                   double* outx, double* outy) {
    return ArcCrossArc(cx1, cy1, r1, 0.0, kTwoPi, cx2, cy2, r2, s2, e2, outx, outy);
}

int LineCrossArc(double cx, double cy, double r, double s, double e, double x1, double y1, double x2,
                 double y2, double* outx, double* outy) {
    return LineArc(cx, cy, r, s, e, x1, y1, x2, y2, outx, outy, LineKind::Segment);
}

int LineCrossCircle(double cx, double cy, double r, double x1, double y1, double x2, double y2, double* outx,
                    double* outy) {
    return LineArc(cx, cy, r, 0.0, kTwoPi, x1, y1, x2, y2, outx, outy, LineKind::Segment);
}

int BeelineCrossArc(double cx, double cy, double r, double s, double e, double x1, double y1, double x2,
                    double y2, double* outx, double* outy) {
    return LineArc(cx, cy, r, s, e, x1, y1, x2, y2, outx, outy, LineKind::Infinite);
}

int BeelineCrossCircle(double cx, double cy, double r, double x1, double y1, double x2, double y2,
                       double* outx, double* outy) {
    return LineArc(cx, cy, r, 0.0, kTwoPi, x1, y1, x2, y2, outx, outy, LineKind::Infinite);
}

int LineCrossRect(double x1, double y1, double x2, double y2, const double* xs, const double* ys,
                  double* outx, double* outy) {
    return StraightCrossRect(x1, y1, x2, y2, xs, ys, outx, outy, CrossKind::Segment);
}

int BeelineCrossRect(double x1, double y1, double x2, double y2, const double* xs, const double* ys,
                     double* outx, double* outy) {
    return StraightCrossRect(x1, y1, x2, y2, xs, ys, outx, outy, CrossKind::Infinite);
}

int RectCrossRect(const double* axs, const double* ays, const double* bxs, const double* bys, double* outx,
                  double* outy) {
    int count = 0;
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        const int n = LineCrossRect(axs[i], ays[i], axs[j], ays[j], bxs, bys, outx + count, outy + count);
        SnapToEdgeEnds(n, outx + count, outy + count, axs[i], ays[i], axs[j], ays[j]);
        count += n;
    }
    return count;
}

int ArcCrossRect(double cx, double cy, double r, double s, double e, const double* xs, const double* ys,
                 double* outx, double* outy) {
    int count = 0;
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        const int n = LineCrossArc(cx, cy, r, s, e, xs[i], ys[i], xs[j], ys[j], outx + count, outy + count);
        SnapToEdgeEnds(n, outx + count, outy + count, xs[i], ys[i], xs[j], ys[j]);
        count += n;
    }
    return count;
}

int CircleCrossRect(double cx, double cy, double r, const double* xs, const double* ys, double* outx,
                    double* outy) {
    return ArcCrossRect(cx, cy, r, 0.0, kTwoPi, xs, ys, outx, outy);
}
