#include "values/mgMatrix.h"

#include <cmath>

#include "values/values_p.h"

namespace {
constexpr double kTol = 1e-7;
} // namespace

mgMatrix::mgMatrix(double* const p) : mgMatrix(p[0], p[1], p[2], p[3], p[4], p[5]) {}

void mgMatrix::set(double* const p) {
    set(p[0], p[1], p[2], p[3], p[4], p[5]);
}

void mgMatrix::set(double m00, double m01, double m10, double m11, double dx, double dy) {
    *this = mgMatrix(m00, m01, m10, m11, dx, dy);
}

void mgMatrix::get(double* const p) const {
    p[0] = m00();
    p[1] = m01();
    p[2] = m10();
    p[3] = m11();
    p[4] = dx();
    p[5] = dy();
}

mgMatrix const& mgMatrix::unitMatrix() {
    return draft2d::detail::g_unitMatrix;
}

double mgMatrix::value() const {
    return m00() * m11() - m10() * m01();
}

double mgMatrix::angle() const {
    return std::atan2(m01(), m00());
}

double mgMatrix::scalex() const {
    return std::hypot(m00(), m10());
}

double mgMatrix::scaley() const {
    return std::hypot(m01(), m11());
}

bool mgMatrix::normalize() {
    m_v[2] = 0.0;
    m_v[5] = 0.0;
    m_v[8] = 1.0;
    return std::fabs(m11() * m00() - m10() * m01()) >= kTol;
}

// For M = [L; t] (L the linear part, t the translation row) the inverse is [L^-1; -t·L^-1].
mgMatrix mgMatrix::invert() const {
    const double d = m00() * m11() - m01() * m10();
    if (!(std::fabs(d) >= kTol))
        return mgMatrix();
    const double b = 1.0 / d;
    return mgMatrix(m11() * b, -m01() * b, -m10() * b, m00() * b, b * (dy() * m10() - dx() * m11()),
                    b * (m01() * dx() - dy() * m00()));
}

bool mgMatrix::isSame(mgMatrix const& m, double tol) const {
    if (tol < 0.0)
        tol = kTol;
    for (int i = 0; i < 9; ++i) {
        if (!(std::fabs(m_v[i] - m.m_v[i]) <= tol))
            return false;
    }
    return true;
}

mgMatrix& mgMatrix::operator+=(mgMatrix const& m) {
    for (int i = 0; i < 9; ++i)
        m_v[i] += m.m_v[i];
    return *this;
}

mgMatrix& mgMatrix::operator-=(mgMatrix const& m) {
    for (int i = 0; i < 9; ++i)
        m_v[i] -= m.m_v[i];
    return *this;
}

mgMatrix& mgMatrix::operator*=(double s) {
    *this = *this * s;
    return *this;
}

mgMatrix& mgMatrix::operator*=(mgMatrix const& m) {
    *this = *this * m;
    return *this;
}

void mgMatrix::multiply(double x, double y, double* ox, double* oy) const {
    const double rx = y * m10() + x * m00() + dx();
    const double ry = x * m01() + y * m11() + dy();
    *ox = rx;
    *oy = ry;
}

void mgMatrix::multiply(double x, double y, long* ox, long* oy) const {
    double rx, ry;
    multiply(x, y, &rx, &ry);
    *ox = draft2d::detail::RoundToInt32(rx);
    *oy = draft2d::detail::RoundToInt32(ry);
}

double mgMatrix::multiplyAngle(double a) const {
    const double c = std::cos(a);
    const double s = std::sin(a);
    return mgPoint(c * m00() + s * m10(), c * m01() + s * m11()).angle();
}

mgMatrix operator+(mgMatrix const& a, mgMatrix const& b) {
    return mgMatrix(a.m00() + b.m00(), a.m01() + b.m01(), a.m10() + b.m10(), a.m11() + b.m11(),
                    a.dx() + b.dx(), a.dy() + b.dy());
}

mgMatrix operator-(mgMatrix const& a, mgMatrix const& b) {
    return mgMatrix(a.m00() - b.m00(), a.m01() - b.m01(), a.m10() - b.m10(), a.m11() - b.m11(),
                    a.dx() - b.dx(), a.dy() - b.dy());
}

mgMatrix operator*(mgMatrix const& m, double s) {
    return mgMatrix(m.m00() * s, m.m01() * s, m.m10() * s, m.m11() * s, m.dx() * s, m.dy() * s);
}

mgMatrix operator*(double s, mgMatrix const& m) {
    return m * s;
}

// Row-vector convention: [x y 1]·A·B, so A acts first. Both operands are read in full before the
// result is built, which makes a *= a safe.
mgMatrix operator*(mgMatrix const& a, mgMatrix const& b) {
    return mgMatrix(a.m00() * b.m00() + a.m01() * b.m10(), a.m00() * b.m01() + a.m01() * b.m11(),
                    a.m10() * b.m00() + a.m11() * b.m10(), a.m10() * b.m01() + a.m11() * b.m11(),
                    a.dx() * b.m00() + a.dy() * b.m10() + b.dx(),
                    a.dx() * b.m01() + a.dy() * b.m11() + b.dy());
}

mgMatrix mg_TranslateMatrix(mgPoint const& p) {
    return mgMatrix(1.0, 0.0, 0.0, 1.0, p.x(), p.y());
}

mgMatrix mg_TranslateMatrix(double tx, double ty) {
    return mgMatrix(1.0, 0.0, 0.0, 1.0, tx, ty);
}

mgMatrix mg_ScaleMatrix(double sx, double sy) {
    if (sy < 0.0)
        sy = sx;
    return mgMatrix(sx, 0.0, 0.0, sy, 0.0, 0.0);
}

mgMatrix mg_RotateMatrix(double a) {
    const double c = std::cos(a);
    const double s = std::sin(a);
    return mgMatrix(c, s, -s, c, 0.0, 0.0);
}

// Rotation about c: p' = (p - c)·R + c, whose translation row is c - c·R.
mgMatrix mg_RotateMatrix(double a, mgPoint const& c) {
    const double cs = std::cos(a);
    const double sn = std::sin(a);
    return mgMatrix(cs, sn, -sn, cs, sn * c.y() + c.x() - c.x() * cs, c.y() - c.x() * sn - c.y() * cs);
}

mgMatrix mg_UcsMatrix(double ox, double oy, double a, double s) {
    const double c = std::cos(a);
    const double sn = std::sin(a);
    return mgMatrix(s * c, s * sn, -s * sn, s * c, ox, oy);
}

mgMatrix mg_XReflectionMatrix() {
    return mgMatrix(1.0, 0.0, 0.0, -1.0, 0.0, 0.0);
}

mgMatrix mg_YReflectionMatrix() {
    return mgMatrix(-1.0, 0.0, 0.0, 1.0, 0.0, 0.0);
}

// Mirror in the line through P at angle a: the linear part reflects in the direction (cos a, sin a)
// (c = cos 2a, s = sin 2a) and the translation keeps P fixed.
mgMatrix mg_ReflectionMatrix(double px, double py, double a) {
    const double ca = std::cos(a);
    const double sa = std::sin(a);
    const double c = ca * ca - sa * sa;
    const double s = 2.0 * ca * sa;
    return mgMatrix(c, s, s, -c, px - c * px - s * py, py - s * px + c * py);
}
