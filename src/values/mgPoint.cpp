#include "values/mgPoint.h"

#include <cmath>

#include "algorithms/angles.h"
#include "io/CIoBuffer.h"
#include "platform/win32.h"
#include "values/mgMatrix.h"
#include "values/values_p.h"

namespace {

constexpr double kTol = 1e-7;
constexpr double kHalfPi = 1.5707963267948966;

// Unit vectors of two non-null vectors; false when either is null (it has no direction).
bool UnitPair(mgPoint const& a, mgPoint const& b, mgPoint* ua, mgPoint* ub) {
    if (a.isNull() || b.isNull())
        return false;
    *ua = a.getNormal();
    *ub = b.getNormal();
    // A vector too long to normalise (an infinite component) has no usable direction either.
    return std::isfinite(ua->x()) && std::isfinite(ua->y()) && std::isfinite(ub->x()) &&
           std::isfinite(ub->y());
}

double Cross(mgPoint const& a, mgPoint const& b) {
    return a.x() * b.y() - a.y() * b.x();
}
double Dot(mgPoint const& a, mgPoint const& b) {
    return a.x() * b.x() + a.y() * b.y();
}

} // namespace

void mgPoint::get(tagPOINT* pt) const {
    pt->x = draft2d::detail::RoundToInt32(m_x);
    pt->y = draft2d::detail::RoundToInt32(m_y);
}

bool mgPoint::operator==(mgPoint const& p) const {
    return isSame(p, kTol);
}

bool mgPoint::isSame(mgPoint const& p, double tol) const {
    if (tol < 0.0)
        tol = kTol;
    return std::fabs(m_x - p.m_x) <= tol && std::fabs(m_y - p.m_y) <= tol;
}

mgPoint& mgPoint::operator*=(mgMatrix const& m) {
    m.multiply(m_x, m_y, &m_x, &m_y);
    return *this;
}

double mgPoint::len() const {
    return std::sqrt(m_x * m_x + m_y * m_y);
}

double mgPoint::angle() const {
    if (std::fabs(m_x) >= kTol)
        return std::atan2(m_y, m_x);
    return m_y > 0.0 ? kHalfPi : -kHalfPi;
}

void mgPoint::setVector(double angle, double length) {
    m_x = std::cos(angle) * length;
    m_y = length * std::sin(angle);
}

bool mgPoint::normalize() {
    const double l = len();
    if (!(std::fabs(l) >= kTol))
        return false;
    m_x /= l;
    m_y /= l;
    return true;
}

mgPoint mgPoint::getNormal() const {
    const double l = len();
    if (!(std::fabs(l) > kTol))
        return *this;
    return mgPoint(m_x / l, m_y / l);
}

bool mgPoint::isNull() const {
    return std::fabs(m_x) + std::fabs(m_y) < kTol;
}

bool mgPoint::isParallelTo(mgPoint const& v) const {
    return isParallelTo(v, kTol);
}

bool mgPoint::isParallelTo(mgPoint const& v, double tol) const {
    if (tol < 0.0)
        tol = kTol;
    mgPoint u, w;
    return UnitPair(*this, v, &u, &w) && std::fabs(Cross(u, w)) <= tol;
}

bool mgPoint::isPerpendicularTo(mgPoint const& v) const {
    return isPerpendicularTo(v, kTol);
}

bool mgPoint::isPerpendicularTo(mgPoint const& v, double tol) const {
    if (tol < 0.0)
        tol = kTol;
    mgPoint u, w;
    return UnitPair(*this, v, &u, &w) && std::fabs(Dot(u, w)) <= tol;
}

bool mgPoint::isSameDirection(mgPoint const& v) const {
    return isSameDirection(v, kTol);
}

bool mgPoint::isSameDirection(mgPoint const& v, double tol) const {
    if (tol < 0.0)
        tol = kTol;
    mgPoint u, w;
    return UnitPair(*this, v, &u, &w) && std::fabs(Cross(u, w)) <= tol && Dot(u, w) > 0.0;
}

bool mgPoint::isOppositeDirection(mgPoint const& v) const {
    return isOppositeDirection(v, kTol);
}

bool mgPoint::isOppositeDirection(mgPoint const& v, double tol) const {
    if (tol < 0.0)
        tol = kTol;
    mgPoint u, w;
    return UnitPair(*this, v, &u, &w) && std::fabs(Cross(u, w)) <= tol && Dot(u, w) < 0.0;
}

mgPoint const& mgPoint::xUnitVector() {
    return draft2d::detail::g_xUnitVector;
}

mgPoint operator*(mgPoint const& p, double s) {
    return mgPoint(p.x() * s, p.y() * s);
}

mgPoint operator*(double s, mgPoint const& p) {
    return mgPoint(p.x() * s, p.y() * s);
}

mgPoint operator*(mgPoint const& p, mgMatrix const& m) {
    mgPoint r(p);
    r *= m;
    return r;
}

double mg_distance(mgPoint const& p, mgPoint const& q) {
    const double dx = p.x() - q.x();
    const double dy = p.y() - q.y();
    return std::sqrt(dx * dx + dy * dy);
}

double mg_angleBetween(mgPoint const& p, mgPoint const& q) {
    return GetLineAngle(p.x(), p.y(), q.x(), q.y());
}

bool mgPoint::Read(CIoBuffer& buf) {
    buf.ReadStrict(m_x);
    buf.ReadStrict(m_y);
    return !buf.HasError();
}

bool mgPoint::Save(CIoBuffer& buf) const {
    buf.AddDouble(m_x);
    buf.AddDouble(m_y);
    return !buf.HasError();
}
