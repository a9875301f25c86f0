// mgRect: axis-aligned rectangle; mgRectEx: a rectangle that may be rotated, held as four corners.
//
// The plane is y-up: "top" is the larger y, "bottom" the smaller. mgRect stores left, bottom,
// right, top in that order (the array constructor, set/get of arrays and operator[] use it).
// A rectangle is normalised when left <= right and bottom <= top. Constructors and set overloads
// that take coordinates normalise; field setters, copies, inflate/deflate, scaleby, the in-place
// arithmetic operators and swopTopBottom do not.
//
// Tolerance 1e-7 throughout. "Empty" means both extents are below 1e-7: a rectangle flat in one
// direction only is not empty. Set operations return !isEmpty() of the result.
#pragma once

#include "draft2d_export.h"
#include "platform/win32.h"
#include "values/mgMatrix.h"
#include "values/mgPoint.h"

class CIoBuffer;

class DRAFT2D_EXPORT mgRect {
public:
    constexpr mgRect() : m_v{0.0, 0.0, 0.0, 0.0} {}
    // Any two opposite corners: (a, b) and (c, d), normalised.
    mgRect(double a, double b, double c, double d);
    // p[0..3] = left, bottom, right, top, normalised.
    explicit mgRect(double* const p);
    mgRect(mgPoint const& p, mgPoint const& q);
    // Integer device rectangle, normalised. A null pointer gives the all-zero rectangle.
    explicit mgRect(tagRECT const* r);
    // Bounding box of four points.
    mgRect(mgPoint const& p1, mgPoint const& p2, mgPoint const& p3, mgPoint const& p4);
    constexpr mgRect(mgRect const& r) = default;
    // Copy of *r (not normalised); a null pointer gives the all-zero rectangle.
    explicit mgRect(mgRect const* r);
    mgRect& operator=(mgRect const& r) = default;

    void set(mgRect const& r) { *this = r; }
    void set(double a, double b, double c, double d);
    void set(mgPoint const& p, mgPoint const& q);
    void set(double* const p);
    // p[0..3] = left, bottom, right, top.
    void get(double* const p) const;

    double left() const { return m_v[0]; }
    double bottom() const { return m_v[1]; }
    double right() const { return m_v[2]; }
    double top() const { return m_v[3]; }
    void set_left(double v) { m_v[0] = v; }
    void set_bottom(double v) { m_v[1] = v; }
    void set_right(double v) { m_v[2] = v; }
    void set_top(double v) { m_v[3] = v; }

    // 0 left, 1 bottom, 2 right, anything else top.
    double operator[](int i) const { return m_v[index(i)]; }
    double& operator[](int i) { return m_v[index(i)]; }

    // Makes the rectangle all-zero (a verb; the test is isEmpty() or isNull()).
    void empty();
    // |right - left| and |top - bottom|.
    double width() const;
    double height() const;
    mgPoint size() const { return mgPoint(width(), height()); }
    mgPoint left_top() const { return mgPoint(m_v[0], m_v[3]); }
    mgPoint left_bottom() const { return mgPoint(m_v[0], m_v[1]); }
    mgPoint right_top() const { return mgPoint(m_v[2], m_v[3]); }
    mgPoint right_bottom() const { return mgPoint(m_v[2], m_v[1]); }
    mgPoint center() const;
    // Each field truncated toward zero to 32 bits (saturating, NaN 0); RECT.top receives top (the
    // larger y), RECT.bottom receives bottom.
    operator tagRECT() const;
    // Exchanges bottom and top.
    void swopTopBottom();

    // |left - right| < 1e-7 and |top - bottom| < 1e-7.
    bool isEmpty() const;
    // All four fields of magnitude < 1e-7.
    bool isNull() const;
    // Border inclusive, with 1e-7 of slack.
    bool isInRect(double x, double y) const;
    bool isInRect(mgPoint const& p) const;
    // r inside *this with 1e-7 of slack on each side; false when either rectangle is empty.
    bool isInRect(mgRect const& r) const;
    // Every field differs by less than 1e-7 (strictly).
    bool operator==(mgRect const& r) const;
    bool operator!=(mgRect const& r) const { return !(*this == r); }
    // Every field differs by less than tol (strictly); tol < 0 means 1e-7, tol = 0 never holds.
    bool isSame(mgRect const& r, double tol) const;

    // Overlap of a and b; all-zero when either is empty or they do not overlap. Touching
    // rectangles give a flat (but not empty) overlap.
    bool intersect(mgRect const& a, mgRect const& b);
    bool intersect(mgRect const& r);
    // Smallest rectangle holding both; an empty operand is ignored.
    bool unionRect(mgRect const& a, mgRect const& b);
    bool unionRect(mgRect const& r);
    // The smallest rectangle holding the part of a not covered by b. When b removes a whole side
    // of a (b spans a's full height or width) this is exactly the rest of a; when b cuts a hole,
    // a corner or a middle strip, the rest of a is not a rectangle and its bounding box is a
    // itself; when b covers a, the result is all-zero (false). An empty a or b gives a.
    bool subtract(mgRect const& a, mgRect const& b);
    // Widens the rectangle to take in the point. An empty rectangle becomes a 4e-7 square
    // centred on the point (so that it is no longer empty).
    void unionRect(double x, double y);
    void unionRect(mgPoint const& p);
    void operator&=(mgRect const& r) { intersect(*this, r); }
    void operator|=(mgRect const& r) { unionRect(*this, r); }
    mgRect operator&(mgRect const& r) const;
    mgRect operator|(mgRect const& r) const;

    // left -= d, bottom -= d, right += d, top += d.
    void inflate(double d);
    void inflate(double dx, double dy);
    void inflate(mgPoint const& p);
    // left -= r.left, top += r.top, right += r.right, bottom -= r.bottom.
    void inflate(mgRect const& r);
    // Argument order left, top, right, bottom.
    void inflate(double l, double t, double r, double b);
    void deflate(double d);
    void deflate(double dx, double dy);
    void deflate(mgPoint const& p);
    void deflate(mgRect const& r);
    void deflate(double l, double t, double r, double b);
    // left, right times sx; bottom, top times sy (an |sy| < 1e-7 means sy = sx).
    void scaleby(double sx, double sy);

    // Shift by p.
    mgRect& operator+=(mgPoint const& p);
    mgRect& operator-=(mgPoint const& p);
    // Field-wise sum / difference.
    mgRect& operator+=(mgRect const& r);
    mgRect& operator-=(mgRect const& r);
    mgRect& operator*=(double s);
    // The same operations on a normalised copy.
    mgRect operator+(mgPoint const& p) const;
    mgRect operator-(mgPoint const& p) const;
    mgRect operator+(mgRect const& r) const;
    mgRect operator-(mgRect const& r) const;
    mgRect operator*(double s) const;
    // Extent of the transformed rectangle (normalised). Any matrix with a rotating or shearing
    // linear part (m01 or m10 non-zero) transforms all four corners and takes their bounding box;
    // an axis-aligned one needs only two opposite corners.
    mgRect& operator*=(mgMatrix const& m);
    mgRect operator*(mgMatrix const& m) const;

private:
    static int index(int i) { return (i >= 0 && i <= 2) ? i : 3; }
    void normalise();

    double m_v[4]; // left, bottom, right, top
};

// A rectangle that may be rotated: four independent corners (nothing keeps them a rectangle).
// Slots: 0 left-bottom, 1 left-top, 2 right-top, 3 right-bottom.
class DRAFT2D_EXPORT mgRectEx {
public:
    constexpr mgRectEx() : m_pt{} {}
    // The corners of r, rotated by a about the origin.
    mgRectEx(mgRect const& r, double a);
    mgRectEx(mgPoint const& lb, mgPoint const& lt, mgPoint const& rt, mgPoint const& rb);
    // The axis-aligned box of p and q, rotated by a about the origin.
    mgRectEx(mgPoint const& p, mgPoint const& q, double a);
    constexpr mgRectEx(mgRectEx const& r) = default;
    mgRectEx& operator=(mgRectEx const& r) = default;

    mgPoint const& GetLBPt() const { return m_pt[0]; }
    mgPoint const& GetLTPt() const { return m_pt[1]; }
    mgPoint const& GetRTPt() const { return m_pt[2]; }
    mgPoint const& GetRBPt() const { return m_pt[3]; }
    void SetLBPt(mgPoint const& p) { m_pt[0] = p; }
    void SetLTPt(mgPoint const& p) { m_pt[1] = p; }
    void SetRTPt(mgPoint const& p) { m_pt[2] = p; }
    void SetRBPt(mgPoint const& p) { m_pt[3] = p; }

    // right-top.x - left-top.x and right-top.y - right-bottom.y (signed).
    double width() const;
    double height() const;
    mgPoint size() const { return mgPoint(width(), height()); }
    // Direction of the bottom edge, left-bottom to right-bottom (mg_angleBetween rule).
    double angle() const;
    // Bounding box of the four corners.
    mgRect CalcExtent() const;
    // Rotates every corner by a about the origin.
    mgRectEx& rotate(double a);

    mgRectEx& operator+=(mgPoint const& p);
    mgRectEx& operator-=(mgPoint const& p);
    mgRectEx operator+(mgPoint const& p) const;
    mgRectEx operator-(mgPoint const& p) const;
    mgRectEx& operator*=(mgMatrix const& m);
    mgRectEx operator*(mgMatrix const& m) const;

    // All four corners equal by mgPoint::operator== / mgPoint::isSame.
    bool operator==(mgRectEx const& r) const;
    bool operator!=(mgRectEx const& r) const { return !(*this == r); }
    bool isSame(mgRectEx const& r, double tol) const;

    // Record: four point records in the order left-bottom, left-top, right-bottom, right-top
    // (slots 0, 1, 3, 2), 64 bytes. Both return true when the buffer has no error afterwards.
    bool Read(CIoBuffer& buf);
    bool Save(CIoBuffer& buf) const;

private:
    mgPoint m_pt[4];
};
