#include "algorithms/angles.h"

#include "algorithms/area_p.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double k2Pi = 6.283185307179586;
constexpr double kPi2 = 1.5707963267948966;
constexpr double k3Pi2 = 4.71238898038469;
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;
constexpr double kSnap = 1e-5;  // snap tolerance of the angle normalisers
constexpr double kCoinc = 1e-7; // coincidence tolerance
constexpr double kMinute = 0.016666666666666666;
constexpr double kSecond = 0.0002777777777777778;

// Brings a finite value within a few periods of [low, low + period) with fmod, so that the
// whole-period loops of the normalisers run at most a couple of times. Values already near the range
// are passed unchanged, which keeps their results bit for bit those of the plain loops.
// Infinities give NaN, and NaN stays NaN (every comparison with it is false, so no loop runs).
double Reduce(double v, double period) {
    if (std::isinf(v))
        return std::numeric_limits<double>::quiet_NaN();
    if (std::fabs(v) > 64 * period)
        return std::fmod(v, period);
    return v;
}

// |P - Q|
double Dist(double x1, double y1, double x2, double y2) {
    return std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
}

// c = (x2 - x1)(y3 - y1) - (x3 - x1)(y2 - y1): twice the signed area of P1 P2 P3.
double Cross(double x1, double y1, double x2, double y2, double x3, double y3) {
    return (x2 - x1) * (y3 - y1) - (x3 - x1) * (y2 - y1);
}

bool InClosedRange(double v, double a, double b) {
    return a <= b ? (a <= v && v <= b) : (b <= v && v <= a);
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// Rounding and degree formats

double round(double x, int digits) {
    if (digits < -5)
        digits = -5;
    else if (digits > 7)
        digits = 7;
    const double p = std::pow(10.0, digits);
    const double scaled = x * p;
    // A finite x so large that scaling overflows has no digits left to round.
    if (std::isinf(scaled) && std::isfinite(x))
        return x;
    return std::floor(scaled + 0.5) / p;
}

const char* RoundStr(double x, int digits) {
    static char text[40];
    const int n = std::snprintf(text, sizeof text, "%lf", round(x, digits));
    if (n < 0 || n >= static_cast<int>(sizeof text)) {
        // Six fixed decimals do not fit (|x| of about 1e32 and beyond): the shortest exact form in
        // exponent notation, at most 24 characters, is returned as it is.
        std::snprintf(text, sizeof text, "%.17g", round(x, digits));
        return text;
    }
    char* dot = std::strchr(text, '.');
    if (dot == nullptr)
        return text;
    if (digits <= 0) {
        *dot = '\0';
    } else if (digits <= 6) {
        char* last = dot + digits;
        last[1] = '\0';
        while (last > dot && *last == '0')
            *last-- = '\0';
        if (last == dot)
            *dot = '\0';
    }
    return text;
}

// D.MMSSs: whole degrees, two digits of minutes, then seconds with their fraction.
double Dms2Deg(double v) {
    const double s = v < 0 ? -1.0 : 1.0;
    const double a = std::fabs(v);
    const double d = std::trunc(a);
    const double f = a - d;
    if (std::fabs(f) < 1e-13)
        return s * d;
    const double e = (f + 1e-13 - 7e-14) * 100;
    const double m = std::trunc(e);
    return s * (d + m * kMinute + (e - m) * 100 * kSecond);
}

double Deg2Dms(double v) {
    const double s = v < 0 ? -1.0 : 1.0;
    const double a = std::fabs(v);
    double d = std::trunc(a);
    const double f = a - d;
    double m = std::trunc(f * 60);
    const double r = f - m * kMinute;
    if (m == 60) {
        d += 1;
        m = 0;
    }
    double sec = r * 3600;
    if (sec > 59.5) {
        sec = 0;
        m += 1;
        if (m == 60) {
            d += 1;
            m = 0;
        }
    }
    return s * (d + m * 0.01 + sec * 0.0001);
}

double DegSin(double deg) {
    return std::sin(deg * kDegToRad);
}
double DegCos(double deg) {
    return std::cos(deg * kDegToRad);
}
double Deg2Rad(double deg) {
    return deg * kDegToRad;
}
double Rad2Deg(double rad) {
    return rad * kRadToDeg;
}

// ---------------------------------------------------------------------------------------------------
// Normalisers: whole-period steps into the range, then a snap of the last 1e-5 below the top.

double SetAngle0_360(double v) {
    v = Reduce(v, 360.0);
    while (v < 0)
        v += 360.0;
    while (v >= 360.0)
        v -= 360.0;
    if (360.0 - v < kSnap)
        v = 0;
    return v;
}

double SetAngle0_2PI(double v) {
    v = Reduce(v, k2Pi);
    while (v < 0)
        v += k2Pi;
    while (v > k2Pi)
        v -= k2Pi;
    if (k2Pi - v < kSnap)
        v = 0;
    return v;
}

double SetAnglePI(double v) {
    v = Reduce(v, k2Pi);
    while (v < -kPi)
        v += k2Pi;
    while (v > kPi)
        v -= k2Pi;
    if (kPi - v < kSnap)
        v = -kPi;
    return v;
}

double SetAnglePI2(double v) {
    v = Reduce(v, kPi);
    while (v < -kPi2)
        v += kPi;
    while (v > kPi2)
        v -= kPi;
    if (kPi2 - v < kSnap)
        v = -kPi2;
    return v;
}

double SetAngle0_PI(double v) {
    v = Reduce(v, kPi);
    while (v < 0)
        v += kPi;
    while (v > kPi)
        v -= kPi;
    if (kPi - v < kSnap)
        v = 0;
    return v;
}

// ---------------------------------------------------------------------------------------------------
// Sweeps

double AngleBisector(double a1, double a2) {
    const double a = SetAngle0_2PI(a1);
    const double b = SetAngle0_2PI(a2);
    if (std::fabs(a - b) < kCoinc || a <= b)
        return (a + b) / 2;
    return SetAngle0_2PI((a + b + k2Pi) / 2);
}

int IsMidAngle(double start, double end, double angle) {
    auto reduce = [](double v) {
        v = std::fmod(v, k2Pi);
        return v < 0 ? v + k2Pi : v;
    };
    start = reduce(start);
    end = reduce(end);
    angle = reduce(angle);
    if (start < end)
        return (start - angle <= kSnap && angle - end <= kSnap) ? 1 : 0;
    // The arc passes through angle 0, or it is the full circle.
    return (angle - end <= kSnap || start - angle <= kSnap) ? 1 : 0;
}

double AngleBetween(double a1, double a2) {
    const double a = SetAngle0_2PI(a1);
    const double b = SetAngle0_2PI(a2);
    if (std::fabs(a - b) < kCoinc)
        return 0;
    return a <= b ? b - a : b + k2Pi - a;
}

// ---------------------------------------------------------------------------------------------------
// Directions and predicates

void CalcDistPoint(double x, double y, double angle, double dist, double* outx, double* outy) {
    if (outx != nullptr)
        *outx = x + dist * std::cos(angle);
    if (outy != nullptr)
        *outy = y + dist * std::sin(angle);
}

int LineInArea(double x1, double y1, double x2, double y2, double xmin, double ymin, double xmax,
               double ymax) {
    if (x1 < xmin && x2 < xmin)
        return 0;
    if (x1 > xmax && x2 > xmax)
        return 0;
    if (y1 < ymin && y2 < ymin)
        return 0;
    if (y1 > ymax && y2 > ymax)
        return 0;
    return 1;
}

double GetLineAngle(double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1;
    if (std::fabs(dx) >= 1e-5)
        return std::atan2(y2 - y1, dx);
    return y2 > y1 ? kPi2 : -kPi2;
}

double CalcAngleBetween(double dx1, double dy1, double dx2, double dy2) {
    const double dot = dx1 * dx2 + dy1 * dy2;
    const double cross = dx1 * dy2 - dx2 * dy1;
    if (std::fabs(dot) >= kCoinc)
        return std::atan2(cross, dot);
    return cross > 0 ? kPi2 : -kPi2;
}

int IsParallel(double dx1, double dy1, double dx2, double dy2, double tol) {
    const double len1 = std::sqrt(dx1 * dx1 + dy1 * dy1);
    const double len2 = std::sqrt(dx2 * dx2 + dy2 * dy2);
    if (len1 < kCoinc || len2 < kCoinc)
        return 1;
    const double ux1 = dx1 / len1, uy1 = dy1 / len1;
    const double ux2 = dx2 / len2, uy2 = dy2 / len2;
    const double same = (ux1 - ux2) * (ux1 - ux2) + (uy1 - uy2) * (uy1 - uy2);
    if (same < tol)
        return 1;
    const double opposite = (ux1 + ux2) * (ux1 + ux2) + (uy1 + uy2) * (uy1 + uy2);
    return opposite < tol ? 1 : 0;
}

int IsPerpendicular(double dx1, double dy1, double dx2, double dy2, double tol) {
    const double dot = dx1 * dx2 + dy1 * dy2;
    const double len1 = std::sqrt(dx1 * dx1 + dy1 * dy1);
    const double len2 = std::sqrt(dx2 * dx2 + dy2 * dy2);
    return std::fabs(dot) <= len1 * len2 * tol ? 1 : 0;
}

int IsColinear(double x1, double y1, double x2, double y2, double x3, double y3, double tol) {
    return std::fabs(Cross(x1, y1, x2, y2, x3, y3)) < tol ? 1 : 0;
}

int IsLeft(double x1, double y1, double x2, double y2, double x3, double y3, double tol) {
    return Cross(x1, y1, x2, y2, x3, y3) > tol ? 1 : 0;
}

int IsLeftOn(double x1, double y1, double x2, double y2, double x3, double y3, double tol) {
    return Cross(x1, y1, x2, y2, x3, y3) >= tol ? 1 : 0;
}

int IsBetween(double x1, double y1, double x2, double y2, double x3, double y3, double tol) {
    if (!IsColinear(x1, y1, x2, y2, x3, y3, tol))
        return 0;
    if (tol < std::fabs(x1 - x2))
        return InClosedRange(x3, x1, x2) ? 1 : 0;
    return InClosedRange(y3, y1, y2) ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------------
// Rulers

int usu_ruler_xy2(double x1, double y1, double x2, double y2, double along, double across, double* outx,
                  double* outy, double tol) {
    double x, y;
    int result;
    const double len = Dist(x1, y1, x2, y2);
    // A zero tolerance must not let a zero-length ruler through to the division below.
    if ((std::fabs(x1 - x2) >= tol || std::fabs(y1 - y2) >= tol) && len > 0) {
        const double ux = (x2 - x1) / len, uy = (y2 - y1) / len;
        x = x1 + along * ux - across * uy;
        y = y1 + along * uy + across * ux;
        result = 0;
    } else {
        x = x1 + along;
        y = y1 + across;
        result = -1;
    }
    if (outx != nullptr)
        *outx = x;
    if (outy != nullptr)
        *outy = y;
    return result;
}

// Azimuths are measured from +y toward +x (clockwise in the y-up plane).
int usu_ruler_xy(double x1, double y1, double x2, double y2, double along, double right, double* outx,
                 double* outy) {
    const double dx = x2 - x1, dy = y2 - y1;
    double ruler;
    if (std::fabs(dy) >= 1e-10) {
        ruler = std::atan(dx / dy);
        if (dy < 0)
            ruler += kPi;
    } else {
        ruler = dx > 0 ? kPi2 : k3Pi2;
    }
    double offset;
    if (std::fabs(along) >= 1e-10) {
        offset = std::atan(right / along);
        if (along < 0)
            offset += kPi;
    } else {
        offset = right > 0 ? kPi2 : k3Pi2;
    }
    const double rho = std::sqrt(along * along + right * right);
    const double theta = ruler + offset;
    if (outx != nullptr)
        *outx = x1 + rho * std::sin(theta);
    if (outy != nullptr)
        *outy = y1 + rho * std::cos(theta);
    return 0;
}

// ---------------------------------------------------------------------------------------------------
// Distances

double Dist_Pt2Line(double x1, double y1, double x2, double y2, double px, double py, double* footx,
                    double* footy) {
    double fx, fy;
    const bool thinX = std::fabs(x1 - x2) < 1e-4;
    const bool thinY = std::fabs(y1 - y2) < 1e-4;
    double result;
    if (thinX && thinY) {
        fx = x1;
        fy = y1;
        result = Dist(px, py, x1, y1);
    } else if (thinX) {
        fx = x1;
        fy = py;
        result = std::fabs(x1 - px);
    } else if (!thinY) {
        const double g = (y2 - y1) / (x2 - x1);
        fx = (x1 * g + (py - y1) + px / g) / (g + 1 / g);
        fy = y1 + g * (fx - x1);
        result = Dist(px, py, fx, fy);
    } else {
        fx = px;
        fy = y1;
        result = std::fabs(y1 - py);
    }
    if (footx != nullptr)
        *footx = fx;
    if (footy != nullptr)
        *footy = fy;
    return result;
}

int svw_check_left_right(double x1, double y1, double x2, double y2, double px, double py) {
    if (std::fabs(x1 - x2) < kCoinc && std::fabs(y1 - y2) < kCoinc)
        return 0x80;
    if (std::fabs(px - x1) < kCoinc && std::fabs(py - y1) < kCoinc)
        return 0x41;
    if (std::fabs(px - x2) < kCoinc && std::fabs(py - y2) < kCoinc)
        return 0x42;
    const double u = Dist(x1, y1, x2, y2);
    const double v = Dist(x1, y1, px, py);
    const double w = Dist(px, py, x2, y2);
    if (std::fabs(u - v - w) < kCoinc)
        return 0x40;
    if (std::fabs(w - v - u) < kCoinc)
        return 0x44;
    if (std::fabs(v - w - u) < kCoinc)
        return 0x48;
    const double phi = std::atan2(x2 - x1, y2 - y1);
    return std::cos(phi) * (px - x1) - std::sin(phi) * (py - y1) >= 0 ? 0x10 : 0x20;
}

double GetDist(double x1, double y1, double x2, double y2, double px, double py) {
    double fx, fy;
    const double d = Dist_Pt2Line(x1, y1, x2, y2, px, py, &fx, &fy);
    switch (svw_check_left_right(x1, y1, x2, y2, fx, fy)) {
    case 0x48:
        return Dist(px, py, x2, y2);
    case 0x44:
        return Dist(px, py, x1, y1);
    default:
        return d;
    }
}

double CalcLineNearPoint(double x1, double y1, double x2, double y2, double px, double py, double* nx,
                         double* ny) {
    double fx, fy;
    Dist_Pt2Line(x1, y1, x2, y2, px, py, &fx, &fy);
    switch (svw_check_left_right(x1, y1, x2, y2, fx, fy)) {
    case 0x48:
        fx = x2;
        fy = y2;
        break;
    case 0x44:
        fx = x1;
        fy = y1;
        break;
    default:
        break;
    }
    if (nx != nullptr)
        *nx = fx;
    if (ny != nullptr)
        *ny = fy;
    return Dist(px, py, fx, fy);
}

double CalcLineMidPoint(double x1, double y1, double x2, double y2, double px, double py, double* mx,
                        double* my) {
    const double x = (x1 + x2) / 2, y = (y1 + y2) / 2;
    if (mx != nullptr)
        *mx = x;
    if (my != nullptr)
        *my = y;
    return Dist(px, py, x, y);
}

double CalcCircleNearPoint(double cx, double cy, double r, double px, double py, double* nx, double* ny) {
    const double d = Dist(cx, cy, px, py);
    if (nx != nullptr && ny != nullptr) {
        if (d > 0) {
            *nx = cx - r / d * (cx - px);
            *ny = cy - r / d * (cy - py);
        } else {
            // P is the centre: every point of the circle is equally near; take the one at angle 0.
            *nx = cx + r;
            *ny = cy;
        }
    }
    return std::fabs(d - r);
}

double CalcRectNearPoint(const double* xs, const double* ys, double px, double py, double* nx, double* ny) {
    double best = std::numeric_limits<double>::max();
    double bx = 0, by = 0;
    if (xs != nullptr && ys != nullptr) {
        for (int i = 0; i < 4; ++i) {
            const int j = (i + 1) % 4;
            if (GetDist(xs[i], ys[i], xs[j], ys[j], px, py) < best)
                best = CalcLineNearPoint(xs[i], ys[i], xs[j], ys[j], px, py, &bx, &by);
        }
    }
    if (nx != nullptr)
        *nx = bx;
    if (ny != nullptr)
        *ny = by;
    return best;
}

// ---------------------------------------------------------------------------------------------------
// Point in polygon

int PtInArea(double x, double y, int n, const double* xs, const double* ys, int* index) {
    if (n <= 0 || xs == nullptr || ys == nullptr)
        return 1;
    for (int i = 0; i < n; ++i) {
        if (std::fabs(x - xs[i]) < kCoinc && std::fabs(y - ys[i]) < kCoinc) {
            if (index != nullptr)
                *index = i;
            return 4;
        }
    }
    for (int j = 0; j < n; ++j) {
        const int k = j + 1 < n ? j + 1 : 0;
        if (svw_check_left_right(xs[j], ys[j], xs[k], ys[k], x, y) == 0x40) {
            if (index != nullptr)
                *index = j;
            return 2;
        }
    }
    return draft2d::detail::CrossingParity(x, y, n, xs, ys);
}

namespace draft2d::detail {

int CrossingParity(double x, double y, int n, const double* xs, const double* ys) {
    // Crossings of a vertical ray from the point toward -y. The half-open x range counts a vertex
    // shared by two edges once, and vertical edges never.
    int result = 1;
    for (int k = 0; k < n; ++k) {
        const int k1 = k + 1 < n ? k + 1 : 0;
        const double xk = xs[k], yk = ys[k], xk1 = xs[k1], yk1 = ys[k1];
        if ((xk <= x && x < xk1) || (xk1 <= x && x < xk)) {
            if (y > yk - (yk - yk1) * (xk - x) / (xk - xk1))
                result = 1 - result;
        }
    }
    return result;
}

// A point is on an edge for svw_check_left_right when |AP| + |PB| - |AB| < kCoinc: inside the
// ellipse with foci A and B whose axes are |AB| + kCoinc and 2 sqrt(|AB| kCoinc / 2 + kCoinc^2 / 4).
// The edge's box widened by sqrt(|AB| kCoinc) + kCoinc holds that ellipse, and the squares of side
// 2 kCoinc about the edge's ends where PtInArea finds a vertex, with room for rounding.
AreaTest::AreaTest(int n, const double* xs, const double* ys) : n_(n), xs_(xs), ys_(ys) {
    if (n <= 0 || xs == nullptr || ys == nullptr)
        return;
    near_.reserve(static_cast<size_t>(n));
    for (int j = 0; j < n; ++j) {
        const int k = j + 1 < n ? j + 1 : 0;
        const double m = std::sqrt(Dist(xs[j], ys[j], xs[k], ys[k]) * kCoinc) * 1.5 + 2 * kCoinc;
        near_.push_back({std::fmin(xs[j], xs[k]) - m, std::fmin(ys[j], ys[k]) - m,
                         std::fmax(xs[j], xs[k]) + m, std::fmax(ys[j], ys[k]) + m});
    }
}

int AreaTest::At(double x, double y) const {
    if (n_ <= 0 || xs_ == nullptr || ys_ == nullptr)
        return PtInArea(x, y, n_, xs_, ys_, nullptr);
    for (const Box& b : near_) {
        // Not (outside): NaN boxes or points also take PtInArea's own way.
        if (!(x < b.x0 || x > b.x1 || y < b.y0 || y > b.y1))
            return PtInArea(x, y, n_, xs_, ys_, nullptr);
    }
    return CrossingParity(x, y, n_, xs_, ys_);
}

} // namespace draft2d::detail

// ---------------------------------------------------------------------------------------------------
// Infinite line crossings

int Cross2Line(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
               double* out) {
    const double t = (y2 - y1) * (x3 - x4) - (x2 - x1) * (y3 - y4);
    if (!(std::fabs(t) > 0))
        return -1;
    if (out != nullptr) {
        const double m = ((x3 - x1) * (y4 - y3) - (y3 - y1) * (x4 - x3)) / t;
        out[0] = x1 * (1 - m) + x2 * m;
        out[1] = y1 * (1 - m) + y2 * m;
    }
    return 0;
}

int CrossLine(double a1, double b1, double c1, double a2, double b2, double c2, double* outx, double* outy,
              double tol) {
    const double r = a1 * b2 - b1 * a2;
    if (std::fabs(r) < kCoinc)
        return -1;
    if (IsParallel(b1, -a1, b2, -a2, tol))
        return -1;
    if (outx != nullptr && outy != nullptr) {
        *outx = (b1 * c2 - b2 * c1) / r;
        *outy = (a2 * c1 - a1 * c2) / r;
    }
    return 0;
}
