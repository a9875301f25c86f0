// mgLine: a line segment of the y-up plane, from (x1, y1) to (x2, y2).
//
// The four doubles are stored in the order x1, y1, x2, y2; the array forms of the constructor, get
// and set use that order. Equality is absolute: every field within 1e-7.
#pragma once

#include "draft2d_export.h"
#include "values/mgPoint.h"
#include "values/mgRect.h"

class CIoBuffer;
class mgMatrix;

class DRAFT2D_EXPORT mgLine {
public:
    constexpr mgLine() : m_v{0.0, 0.0, 0.0, 0.0} {}
    // Copies p[0..3] = x1, y1, x2, y2.
    explicit mgLine(double* const p);
    mgLine(mgPoint const& s, mgPoint const& e);
    constexpr mgLine(double x1, double y1, double x2, double y2) : m_v{x1, y1, x2, y2} {}
    constexpr mgLine(mgLine const& l) = default;
    mgLine& operator=(mgLine const& l) = default;

    // p[0..3] = x1, y1, x2, y2.
    void get(double* const p) const;
    void set(double* const p);
    void set(mgPoint const& s, mgPoint const& e);
    void set(double x1, double y1, double x2, double y2);

    double x1() const { return m_v[0]; }
    double y1() const { return m_v[1]; }
    double x2() const { return m_v[2]; }
    double y2() const { return m_v[3]; }
    void set_x1(double v) { m_v[0] = v; }
    void set_y1(double v) { m_v[1] = v; }
    void set_x2(double v) { m_v[2] = v; }
    void set_y2(double v) { m_v[3] = v; }

    mgPoint startPt() const { return mgPoint(m_v[0], m_v[1]); }
    mgPoint endPt() const { return mgPoint(m_v[2], m_v[3]); }
    void set_startPt(mgPoint const& p);
    void set_endPt(mgPoint const& p);

    // The normalised rectangle spanned by the two end points.
    mgRect geomExtent() const;
    double length() const;
    // Direction from the start to the end point in (-pi, pi]; a segment with |dx| < 1e-5 counts as
    // vertical (pi/2 when it points up, else -pi/2).
    double angle() const;

    bool operator==(mgLine const& l) const { return isSame(l, 1e-7); }
    bool operator!=(mgLine const& l) const { return !isSame(l, 1e-7); }
    // Every field within tol (inclusive); a negative tol means 1e-7.
    bool isSame(mgLine const& l, double tol) const;

    // Both end points transformed by m.
    mgLine& operator*=(mgMatrix const& m);
    mgLine operator*(mgMatrix const& m) const;

    // Record: x1, y1, x2, y2 as 8-byte doubles (32 bytes). Read throws CIoBufException(-2) when the
    // data has ended before a field; a field cut short sets the buffer's error and keeps its value.
    // Both return true when the buffer has no error afterwards.
    bool Read(CIoBuffer& buf);
    bool Save(CIoBuffer& buf) const;

private:
    double m_v[4];
};
