// mgPoint: a point or vector of the plane.
//
// Coordinates are doubles in whatever unit the caller uses (user units, paper millimetres, pixels);
// angles are radians, counter-clockwise positive in a y-up plane. The two fields are stored as x
// then y, and `operator double*` hands out the address of x so that callers may index [x, y].
//
// Coincidence tests are absolute: two points are equal when both coordinates differ by at most
// 1e-7 (inclusive). `isSame` takes its own tolerance; a negative tolerance means 1e-7, zero means
// exact equality.
#pragma once

#include "draft2d_export.h"

struct tagPOINT;
class CIoBuffer;
class mgMatrix;

class DRAFT2D_EXPORT mgPoint {
public:
    constexpr mgPoint() : m_x(0.0), m_y(0.0) {}
    constexpr mgPoint(double x, double y) : m_x(x), m_y(y) {}
    constexpr mgPoint(mgPoint const& p) = default;
    // Copies p[0] (x) and p[1] (y).
    explicit mgPoint(double* const p) : m_x(p[0]), m_y(p[1]) {}

    mgPoint& operator=(mgPoint const& p) = default;

    double x() const { return m_x; }
    double y() const { return m_y; }
    double get_x() const { return m_x; }
    double get_y() const { return m_y; }
    void set_x(double x) { m_x = x; }
    void set_y(double y) { m_y = y; }
    void set(double x, double y) {
        m_x = x;
        m_y = y;
    }
    void set(double* const p) {
        m_x = p[0];
        m_y = p[1];
    }
    void get(double* const p) const {
        p[0] = m_x;
        p[1] = m_y;
    }
    void get(double* px, double* py) const {
        *px = m_x;
        *py = m_y;
    }
    // Device coordinates: each value plus 0.5, truncated toward zero to 32 bits. Values outside the
    // 32-bit range saturate and a NaN gives 0, so the conversion itself is always defined.
    void get(tagPOINT* pt) const;

    // 0 selects x, any other index selects y.
    double operator[](int i) const { return i != 0 ? m_y : m_x; }
    double& operator[](int i) { return i != 0 ? m_y : m_x; }

    operator double*() { return &m_x; }
    operator double const*() const { return &m_x; }

    // |dx| <= 1e-7 and |dy| <= 1e-7.
    bool operator==(mgPoint const& p) const;
    bool operator!=(mgPoint const& p) const { return !(*this == p); }
    // |dx| <= tol and |dy| <= tol; tol < 0 means 1e-7.
    bool isSame(mgPoint const& p, double tol) const;

    mgPoint operator+(mgPoint const& p) const { return mgPoint(m_x + p.m_x, m_y + p.m_y); }
    mgPoint operator-(mgPoint const& p) const { return mgPoint(m_x - p.m_x, m_y - p.m_y); }
    mgPoint& operator+=(mgPoint const& p) {
        m_x += p.m_x;
        m_y += p.m_y;
        return *this;
    }
    mgPoint& operator-=(mgPoint const& p) {
        m_x -= p.m_x;
        m_y -= p.m_y;
        return *this;
    }
    mgPoint operator-() const { return mgPoint(-m_x, -m_y); }
    mgPoint& operator*=(double s) {
        m_x *= s;
        m_y *= s;
        return *this;
    }
    // Transform as a row vector [x y 1] (translation included).
    mgPoint& operator*=(mgMatrix const& m);

    double len() const;
    // Direction of the vector in (-pi, pi]. When |x| < 1e-7 the vector counts as vertical:
    // pi/2 when y > 0, otherwise -pi/2 (so the zero vector has angle -pi/2).
    double angle() const;
    // x = cos(angle)*length, y = sin(angle)*length.
    void setVector(double angle, double length);
    // Scales to unit length; a vector shorter than 1e-7 is left unchanged and gives false.
    bool normalize();
    // Unit vector in the same direction (not a perpendicular); a vector of length <= 1e-7 is
    // returned unchanged.
    mgPoint getNormal() const;
    // |x| + |y| < 1e-7.
    bool isNull() const;

    // Direction predicates. The directions of the two vectors are compared through their unit
    // vectors u and v: parallel when |u x v| <= tol, perpendicular when |u . v| <= tol, same or
    // opposite direction when parallel and u . v is positive or negative. tol is thus the sine
    // (or cosine) of the largest angle accepted; omitted or negative it is 1e-7. A null vector
    // (isNull()) has no direction, so every predicate involving one is false.
    bool isParallelTo(mgPoint const& v) const;
    bool isParallelTo(mgPoint const& v, double tol) const;
    bool isPerpendicularTo(mgPoint const& v) const;
    bool isPerpendicularTo(mgPoint const& v, double tol) const;
    bool isSameDirection(mgPoint const& v) const;
    bool isSameDirection(mgPoint const& v, double tol) const;
    bool isOppositeDirection(mgPoint const& v) const;
    bool isOppositeDirection(mgPoint const& v, double tol) const;
    bool operator||(mgPoint const& v) const { return isParallelTo(v); }

    // The shared unit vector (1, 0), built with the library's other process-wide objects.
    static mgPoint const& xUnitVector();

    // Record: x then y, 8 bytes each. Read throws CIoBufException(-2) when the data has ended
    // before a coordinate; a coordinate cut short sets the buffer's error and keeps its old value.
    // Both return true when the buffer has no error afterwards.
    bool Read(CIoBuffer& buf);
    bool Save(CIoBuffer& buf) const;

private:
    double m_x;
    double m_y;
};

DRAFT2D_EXPORT mgPoint operator*(mgPoint const& p, double s);
DRAFT2D_EXPORT mgPoint operator*(double s, mgPoint const& p);
DRAFT2D_EXPORT mgPoint operator*(mgPoint const& p, mgMatrix const& m);

// Euclidean distance between p and q.
DRAFT2D_EXPORT double mg_distance(mgPoint const& p, mgPoint const& q);
// Direction from p to q: atan2(dy, dx) when |dx| >= 1e-5, else pi/2 when q is above p and -pi/2
// otherwise.
DRAFT2D_EXPORT double mg_angleBetween(mgPoint const& p, mgPoint const& q);
