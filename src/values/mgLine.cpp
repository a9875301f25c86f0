#include "values/mgLine.h"

#include "algorithms/angles.h"
#include "io/CIoBuffer.h"
#include "values/mgMatrix.h"

#include <cmath>

mgLine::mgLine(double* const p) : m_v{p[0], p[1], p[2], p[3]} {}

mgLine::mgLine(mgPoint const& s, mgPoint const& e) : m_v{s.x(), s.y(), e.x(), e.y()} {}

void mgLine::get(double* const p) const {
    for (int i = 0; i < 4; ++i) {
        p[i] = m_v[i];
    }
}

void mgLine::set(double* const p) {
    for (int i = 0; i < 4; ++i) {
        m_v[i] = p[i];
    }
}

void mgLine::set(mgPoint const& s, mgPoint const& e) {
    set(s.x(), s.y(), e.x(), e.y());
}

void mgLine::set(double x1, double y1, double x2, double y2) {
    m_v[0] = x1;
    m_v[1] = y1;
    m_v[2] = x2;
    m_v[3] = y2;
}

void mgLine::set_startPt(mgPoint const& p) {
    m_v[0] = p.x();
    m_v[1] = p.y();
}

void mgLine::set_endPt(mgPoint const& p) {
    m_v[2] = p.x();
    m_v[3] = p.y();
}

mgRect mgLine::geomExtent() const {
    return mgRect(m_v[0], m_v[1], m_v[2], m_v[3]);
}

double mgLine::length() const {
    const double dx = m_v[2] - m_v[0];
    const double dy = m_v[3] - m_v[1];
    return std::sqrt(dx * dx + dy * dy);
}

double mgLine::angle() const {
    return GetLineAngle(m_v[0], m_v[1], m_v[2], m_v[3]);
}

bool mgLine::isSame(mgLine const& l, double tol) const {
    if (tol < 0.0) {
        tol = 1e-7;
    }
    for (int i = 0; i < 4; ++i) {
        if (!(std::fabs(m_v[i] - l.m_v[i]) <= tol)) {
            return false;
        }
    }
    return true;
}

mgLine& mgLine::operator*=(mgMatrix const& m) {
    m.multiply(m_v[0], m_v[1], &m_v[0], &m_v[1]);
    m.multiply(m_v[2], m_v[3], &m_v[2], &m_v[3]);
    return *this;
}

mgLine mgLine::operator*(mgMatrix const& m) const {
    mgLine l(*this);
    l *= m;
    return l;
}

bool mgLine::Read(CIoBuffer& buf) {
    for (double& v : m_v) {
        buf.ReadStrict(v);
    }
    return !buf.HasError();
}

bool mgLine::Save(CIoBuffer& buf) const {
    for (double v : m_v) {
        buf.AddDouble(v);
    }
    return !buf.HasError();
}
