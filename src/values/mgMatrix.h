// mgMatrix: 2-D affine transform applied to row vectors.
//
// Nine doubles, a 3x3 matrix stored row by row:
//     | m00  m01  0 |
//     | m10  m11  0 |
//     | dx   dy   1 |
// A point transforms as [x y 1]·M:  x' = x·m00 + y·m10 + dx,  y' = x·m01 + y·m11 + dy,
// so the product A·B applies A first, then B. `operator double*` returns the address of m00 and
// item(i, j) addresses element i·3 + j of the nine (row i, column j; no range check).
//
// The third column is (0, 0, 1) after every constructor, set, normalize and multiplication; only
// += and -= work on all nine entries (identity += identity leaves m22 = 2 until normalize()).
#pragma once

#include "draft2d_export.h"
#include "values/mgPoint.h"

class DRAFT2D_EXPORT mgMatrix {
public:
    // Identity.
    constexpr mgMatrix() : m_v{1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0} {}
    // p[0..5] = m00, m01, m10, m11, dx, dy.
    explicit mgMatrix(double* const p);
    constexpr mgMatrix(double m00, double m01, double m10, double m11, double dx, double dy)
        : m_v{m00, m01, 0.0, m10, m11, 0.0, dx, dy, 1.0} {}
    constexpr mgMatrix(mgMatrix const& m) = default;
    mgMatrix& operator=(mgMatrix const& m) = default;

    void set(double* const p);
    void set(double m00, double m01, double m10, double m11, double dx, double dy);
    // p[0..5] = m00, m01, m10, m11, dx, dy.
    void get(double* const p) const;

    double m00() const { return m_v[0]; }
    double m01() const { return m_v[1]; }
    double m10() const { return m_v[3]; }
    double m11() const { return m_v[4]; }
    double dx() const { return m_v[6]; }
    double dy() const { return m_v[7]; }

    double item(unsigned i, unsigned j) const { return m_v[i * 3 + j]; }
    double operator()(unsigned i, unsigned j) const { return m_v[i * 3 + j]; }
    double& operator()(unsigned i, unsigned j) { return m_v[i * 3 + j]; }
    // Stores one entry as is; the third column is not reset.
    void set_item(unsigned i, unsigned j, double v) { m_v[i * 3 + j] = v; }

    operator double*() { return m_v; }
    operator double const*() const { return m_v; }

    // The shared identity matrix, built with the library's other process-wide objects.
    static mgMatrix const& unitMatrix();

    // Determinant of the linear part: m00·m11 - m10·m01.
    double value() const;
    // atan2(m01, m00): the rotation of the x axis.
    double angle() const;
    // Lengths hypot(m00, m10) and hypot(m01, m11).
    double scalex() const;
    double scaley() const;
    // Resets the third column to (0, 0, 1); false when |determinant| < 1e-7 (near singular).
    bool normalize();
    // Inverse transform; a near-singular matrix (|determinant| < 1e-7) gives the identity.
    mgMatrix invert() const;

    // Every one of the nine entries within 1e-7 (inclusive).
    bool operator==(mgMatrix const& m) const { return isSame(m, 1e-7); }
    bool operator!=(mgMatrix const& m) const { return !isSame(m, 1e-7); }
    // Every one of the nine entries within tol (inclusive); tol < 0 means 1e-7.
    bool isSame(mgMatrix const& m, double tol) const;

    // All nine entries, third column included; normalize() restores it.
    mgMatrix& operator+=(mgMatrix const& m);
    mgMatrix& operator-=(mgMatrix const& m);
    // Scales the six affine entries (translation included).
    mgMatrix& operator*=(double s);
    // *this = *this·m: m is applied after *this. Safe with m aliasing *this.
    mgMatrix& operator*=(mgMatrix const& m);

    // x' = x·m00 + y·m10 + dx, y' = x·m01 + y·m11 + dy. The inputs are taken by value, so the
    // outputs may point at the variables they came from.
    void multiply(double x, double y, double* ox, double* oy) const;
    // As above, each value plus 0.5 truncated toward zero (saturating at the 32-bit range, NaN 0).
    void multiply(double x, double y, long* ox, long* oy) const;
    // Direction angle of the direction `a` after the linear part (no translation), with the rule
    // of mgPoint::angle().
    double multiplyAngle(double a) const;

private:
    double m_v[9];
};

DRAFT2D_EXPORT mgMatrix operator+(mgMatrix const& a, mgMatrix const& b);
DRAFT2D_EXPORT mgMatrix operator-(mgMatrix const& a, mgMatrix const& b);
DRAFT2D_EXPORT mgMatrix operator*(mgMatrix const& m, double s);
DRAFT2D_EXPORT mgMatrix operator*(double s, mgMatrix const& m);
// Product a·b: a applied first, then b.
DRAFT2D_EXPORT mgMatrix operator*(mgMatrix const& a, mgMatrix const& b);

// Translation by p, or by (tx, ty).
DRAFT2D_EXPORT mgMatrix mg_TranslateMatrix(mgPoint const& p);
DRAFT2D_EXPORT mgMatrix mg_TranslateMatrix(double tx, double ty);
// Scaling about the origin; a negative sy means a uniform scale by sx.
DRAFT2D_EXPORT mgMatrix mg_ScaleMatrix(double sx, double sy);
// Counter-clockwise rotation by a about the origin, or about c.
DRAFT2D_EXPORT mgMatrix mg_RotateMatrix(double a);
DRAFT2D_EXPORT mgMatrix mg_RotateMatrix(double a, mgPoint const& c);
// Maps coordinates of a user system with origin (ox, oy), rotation a and scale s to its parent.
DRAFT2D_EXPORT mgMatrix mg_UcsMatrix(double ox, double oy, double a, double s);
// Mirror in the x axis / in the y axis.
DRAFT2D_EXPORT mgMatrix mg_XReflectionMatrix();
DRAFT2D_EXPORT mgMatrix mg_YReflectionMatrix();
// Mirror in the line through (px, py) at angle a.
DRAFT2D_EXPORT mgMatrix mg_ReflectionMatrix(double px, double py, double a);
