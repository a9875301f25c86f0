// mgArc: a circular arc, or a full circle, of the y-up plane.
//
// Five doubles in this order: centre x, y; radius (never negative: every setter takes |r|); the
// start angle (direction from the centre to the start point, normalised into [0, 2pi) when set;
// after a matrix transform it may lie in (-pi, pi]); and the signed sweep (positive runs
// counter-clockwise from the start, negative clockwise), clamped to [-2pi, 2pi]. Angles are radians.
// The default arc is the full circle of radius 0 at the origin (start 0, sweep 2pi); an arc whose
// |sweep| exceeds 2pi - 1e-7 is a circle.
#pragma once

#include "draft2d_export.h"
#include "values/mgPoint.h"
#include "values/mgRect.h"

class CIoBuffer;
class mgMatrix;

class DRAFT2D_EXPORT mgArc {
public:
    constexpr mgArc() : m_x(0.0), m_y(0.0), m_radius(0.0), m_start(0.0), m_sweep(6.283185307179586) {}
    // radius = |r|, start normalised, sweep clamped.
    mgArc(double x, double y, double r, double start, double sweep);
    // The same from p[0..4] = x, y, r, start, sweep.
    explicit mgArc(double* const p);
    constexpr mgArc(mgArc const& a) = default;
    mgArc& operator=(mgArc const& a) = default;

    void set(double x, double y, double r, double start, double sweep);
    void set(double* const p);
    // p[0..4] = x, y, radius, startAngle, sweepAngle.
    void get(double* const p) const;

    double x() const { return m_x; }
    double y() const { return m_y; }
    double radius() const { return m_radius; }
    double startAngle() const { return m_start; }
    double sweepAngle() const { return m_sweep; }
    mgPoint centre() const { return mgPoint(m_x, m_y); }

    void set_centre(double x, double y) {
        m_x = x;
        m_y = y;
    }
    void set_centre(mgPoint const& c) { set_centre(c.x(), c.y()); }
    void set_radius(double r);
    void set_startAngle(double a);
    // Stores the sweep clamped to [-2pi, 2pi]; nothing else is normalised.
    void set_weepAngle(double a);

    bool isCircle() const;
    // The angular span as a1 <= a2: (start, start + sweep) for a positive sweep, else
    // (start + sweep, start).
    void angleRange(double& a1, double& a2) const;
    // Points at the start angle, at start + sweep and at start + sweep / 2.
    mgPoint startPoint() const;
    mgPoint endPoint() const;
    mgPoint midPoint() const;
    // Direction of travel along the arc (from start toward end) at its start and end points, in
    // [0, 2pi): the radius direction turned by +pi/2 for a counter-clockwise arc, -pi/2 otherwise.
    double startTanAngle() const;
    double endTanAngle() const;

    // Bounding rectangle of the arc's points. An arc whose sweep is below 1e-7 is the rectangle of
    // its end points.
    mgRect geomExtent() const;

    // Transforms the arc: the centre and the start, mid and end points go through m and the radius
    // is scaled by m.scalex(). A circle keeps its angles; an arc takes its start angle (in
    // (-pi, pi]) and direction from the transformed points, so a reflection reverses the sweep.
    mgArc& operator*=(mgMatrix const& m);
    mgArc operator*(mgMatrix const& m) const;

    // Record: x, y, radius, startAngle, sweepAngle as 8-byte doubles (40 bytes). Read stores the
    // fields as they come, without normalising; it throws CIoBufException(-2) when the data has
    // ended before a field, and a field cut short sets the buffer's error. Both return true when the
    // buffer has no error afterwards.
    bool Read(CIoBuffer& buf);
    bool Save(CIoBuffer& buf) const;

private:
    double m_x;
    double m_y;
    double m_radius;
    double m_start;
    double m_sweep;
};

// Arc through three points, from p1 through p2 to p3. Collinear or coinciding points give the
// default arc.
DRAFT2D_EXPORT mgArc MakeArc3P(mgPoint p1, mgPoint p2, mgPoint p3);
// Arc about centre c from the direction of s to the direction of e; the radius is |s - c| and the
// sign of the raw angle difference (each angle in (-pi, pi]) decides the direction.
DRAFT2D_EXPORT mgArc MakeArcCSE(mgPoint c, mgPoint s, mgPoint e);
// Arc from s to e that leaves s in direction a; the default arc when none exists (e on the tangent
// line, or e equal to s).
DRAFT2D_EXPORT mgArc MakeArcTan(mgPoint s, mgPoint e, double a);
// Arc running counter-clockwise from s to e with radius |r|: a positive r gives the minor arc (sweep
// at most pi), a negative r the major arc (sweep at least pi). The default arc when s and e
// coincide (within 1e-7), |r| is shorter than half the chord, or the input is not finite.
DRAFT2D_EXPORT mgArc MakeArcSER(mgPoint s, mgPoint e, double r);
