#include "values/mgArc.h"

#include "algorithms/angles.h"
#include "algorithms/arcs.h"
#include "io/CIoBuffer.h"
#include "values/mgMatrix.h"

#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;

mgPoint PointAt(double x, double y, double angle, double r) {
    double px = 0.0;
    double py = 0.0;
    CalcDistPoint(x, y, angle, r, &px, &py);
    return mgPoint(px, py);
}

} // namespace

mgArc::mgArc(double x, double y, double r, double start, double sweep) : mgArc() {
    set(x, y, r, start, sweep);
}

mgArc::mgArc(double* const p) : mgArc() {
    set(p);
}

void mgArc::set(double x, double y, double r, double start, double sweep) {
    m_x = x;
    m_y = y;
    set_radius(r);
    set_startAngle(start);
    set_weepAngle(sweep);
}

void mgArc::set(double* const p) {
    set(p[0], p[1], p[2], p[3], p[4]);
}

void mgArc::get(double* const p) const {
    p[0] = m_x;
    p[1] = m_y;
    p[2] = m_radius;
    p[3] = m_start;
    p[4] = m_sweep;
}

void mgArc::set_radius(double r) {
    m_radius = std::fabs(r);
}

void mgArc::set_startAngle(double a) {
    m_start = SetAngle0_2PI(a);
}

void mgArc::set_weepAngle(double a) {
    if (a >= kTwoPi) {
        a = kTwoPi;
    } else if (a <= -kTwoPi) {
        a = -kTwoPi;
    }
    m_sweep = a;
}

bool mgArc::isCircle() const {
    return std::fabs(m_sweep) > 6.283185207179586;
}

void mgArc::angleRange(double& a1, double& a2) const {
    if (m_sweep > 0.0) {
        a1 = m_start;
        a2 = m_start + m_sweep;
    } else {
        a1 = m_start + m_sweep;
        a2 = m_start;
    }
}

mgPoint mgArc::startPoint() const {
    return PointAt(m_x, m_y, m_start, m_radius);
}

mgPoint mgArc::endPoint() const {
    return PointAt(m_x, m_y, m_start + m_sweep, m_radius);
}

mgPoint mgArc::midPoint() const {
    return PointAt(m_x, m_y, m_start + m_sweep * 0.5, m_radius);
}

double mgArc::startTanAngle() const {
    return SetAngle0_2PI(m_start + (m_sweep < 0.0 ? -kHalfPi : kHalfPi));
}

double mgArc::endTanAngle() const {
    return SetAngle0_2PI(m_start + m_sweep + (m_sweep < 0.0 ? -kHalfPi : kHalfPi));
}

mgRect mgArc::geomExtent() const {
    if (isCircle()) {
        return mgRect(m_x - m_radius, m_y - m_radius, m_x + m_radius, m_y + m_radius);
    }
    if (std::fabs(m_sweep) < 1e-7) {
        // Equal end angles would read as the full circle to the arc-span test.
        const mgPoint s = startPoint();
        const mgPoint e = endPoint();
        return mgRect(s.x(), s.y(), e.x(), e.y());
    }
    double a1 = 0.0;
    double a2 = 0.0;
    angleRange(a1, a2);
    double left = 0.0;
    double bottom = 0.0;
    double right = 0.0;
    double top = 0.0;
    GetArcBoundBox(m_x, m_y, m_radius, a1, a2, &left, &top, &right, &bottom);
    return mgRect(left, bottom, right, top);
}

mgArc& mgArc::operator*=(mgMatrix const& m) {
    mgPoint sp = startPoint();
    mgPoint mp = midPoint();
    mgPoint ep = endPoint();
    sp *= m;
    mp *= m;
    ep *= m;
    m.multiply(m_x, m_y, &m_x, &m_y);
    m_radius *= m.scalex();
    if (isCircle()) {
        return *this;
    }
    const double s = GetLineAngle(m_x, m_y, sp.x(), sp.y());
    const double mi = GetLineAngle(m_x, m_y, mp.x(), mp.y());
    const double e = GetLineAngle(m_x, m_y, ep.x(), ep.y());
    const bool ccw = s < e ? (s < mi && mi < e) : (mi > s || mi < e);
    m_start = s;
    m_sweep = ccw ? AngleBetween(s, e) : -AngleBetween(e, s);
    return *this;
}

mgArc mgArc::operator*(mgMatrix const& m) const {
    mgArc a(*this);
    a *= m;
    return a;
}

bool mgArc::Read(CIoBuffer& buf) {
    buf.ReadStrict(m_x);
    buf.ReadStrict(m_y);
    buf.ReadStrict(m_radius);
    buf.ReadStrict(m_start);
    buf.ReadStrict(m_sweep);
    return !buf.HasError();
}

bool mgArc::Save(CIoBuffer& buf) const {
    buf.AddDouble(m_x);
    buf.AddDouble(m_y);
    buf.AddDouble(m_radius);
    buf.AddDouble(m_start);
    buf.AddDouble(m_sweep);
    return !buf.HasError();
}

mgArc MakeArc3P(mgPoint p1, mgPoint p2, mgPoint p3) {
    const double xs[3] = {p1.x(), p2.x(), p3.x()};
    const double ys[3] = {p1.y(), p2.y(), p3.y()};
    double cx = 0.0;
    double cy = 0.0;
    double r = 0.0;
    double start = 0.0;
    double sweep = 0.0;
    if (!CalcCenterForArc2(xs, ys, &cx, &cy, &r, &start, &sweep)) {
        return mgArc();
    }
    return mgArc(cx, cy, r, start, sweep);
}

mgArc MakeArcCSE(mgPoint c, mgPoint s, mgPoint e) {
    const double a1 = GetLineAngle(c.x(), c.y(), s.x(), s.y());
    const double a2 = GetLineAngle(c.x(), c.y(), e.x(), e.y());
    return mgArc(c.x(), c.y(), mg_distance(c, s), a1, a2 - a1);
}

mgArc MakeArcTan(mgPoint s, mgPoint e, double a) {
    double cx = 0.0;
    double cy = 0.0;
    double r = 0.0;
    double start = 0.0;
    double sweep = 0.0;
    if (!CalcTangentArc2(s.x(), s.y(), e.x(), e.y(), std::cos(a), std::sin(a), &cx, &cy, &r, &start,
                         &sweep)) {
        return mgArc();
    }
    return mgArc(cx, cy, r, start, sweep);
}

mgArc MakeArcSER(mgPoint s, mgPoint e, double r) {
    // The centre lies on the perpendicular bisector of the chord, h from its middle: to the left of
    // s -> e for the counter-clockwise minor arc, to the right for the major arc.
    const double dx = e.x() - s.x();
    const double dy = e.y() - s.y();
    const double chord = std::sqrt(dx * dx + dy * dy);
    double radius = std::fabs(r);
    if (!std::isfinite(chord) || !std::isfinite(radius) || chord <= 1e-7) {
        return mgArc();
    }
    const double half = chord / 2.0;
    if (radius < half - 1e-7 * std::fmax(1.0, radius)) {
        return mgArc();
    }
    radius = std::fmax(radius, half);
    const double h = std::sqrt(std::fmax(0.0, radius * radius - half * half)) * (r < 0.0 ? -1.0 : 1.0);
    const double cx = s.x() + dx / 2.0 - h * dy / chord;
    const double cy = s.y() + dy / 2.0 + h * dx / chord;
    const double a1 = std::atan2(s.y() - cy, s.x() - cx);
    const double a2 = std::atan2(e.y() - cy, e.x() - cx);
    double sweep = a2 - a1;
    if (sweep <= 0.0) {
        sweep += kTwoPi;
    }
    return mgArc(cx, cy, radius, a1, sweep);
}
