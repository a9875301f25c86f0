#include "values/mgRect.h"

#include <algorithm>
#include <cmath>

#include "io/CIoBuffer.h"
#include "values/values_p.h"

namespace {

constexpr double kTol = 1e-7;

enum { L = 0, B = 1, R = 2, T = 3 };

} // namespace

// ---------------------------------------------------------------------------------------------
// mgRect

mgRect::mgRect(double a, double b, double c, double d) : m_v{a, b, c, d} {
    normalise();
}

mgRect::mgRect(double* const p) : m_v{p[0], p[1], p[2], p[3]} {
    normalise();
}

mgRect::mgRect(mgPoint const& p, mgPoint const& q) : m_v{p.x(), p.y(), q.x(), q.y()} {
    normalise();
}

mgRect::mgRect(tagRECT const* r) : m_v{0.0, 0.0, 0.0, 0.0} {
    if (r) {
        m_v[L] = r->left;
        m_v[B] = r->bottom;
        m_v[R] = r->right;
        m_v[T] = r->top;
        normalise();
    }
}

mgRect::mgRect(mgPoint const& p1, mgPoint const& p2, mgPoint const& p3, mgPoint const& p4)
    : m_v{std::min({p1.x(), p2.x(), p3.x(), p4.x()}), std::min({p1.y(), p2.y(), p3.y(), p4.y()}),
          std::max({p1.x(), p2.x(), p3.x(), p4.x()}), std::max({p1.y(), p2.y(), p3.y(), p4.y()})} {}

mgRect::mgRect(mgRect const* r) : m_v{0.0, 0.0, 0.0, 0.0} {
    if (r)
        *this = *r;
}

void mgRect::normalise() {
    if (m_v[L] > m_v[R])
        std::swap(m_v[L], m_v[R]);
    if (m_v[B] > m_v[T])
        std::swap(m_v[B], m_v[T]);
}

void mgRect::set(double a, double b, double c, double d) {
    *this = mgRect(a, b, c, d);
}

void mgRect::set(mgPoint const& p, mgPoint const& q) {
    *this = mgRect(p, q);
}

void mgRect::set(double* const p) {
    *this = mgRect(p);
}

void mgRect::get(double* const p) const {
    for (int i = 0; i < 4; ++i)
        p[i] = m_v[i];
}

void mgRect::empty() {
    *this = mgRect();
}

double mgRect::width() const {
    return std::fabs(m_v[R] - m_v[L]);
}

double mgRect::height() const {
    return std::fabs(m_v[T] - m_v[B]);
}

mgPoint mgRect::center() const {
    return mgPoint((m_v[L] + m_v[R]) * 0.5, (m_v[T] + m_v[B]) * 0.5);
}

mgRect::operator tagRECT() const {
    tagRECT r;
    r.left = draft2d::detail::TruncToInt32(m_v[L]);
    r.top = draft2d::detail::TruncToInt32(m_v[T]);
    r.right = draft2d::detail::TruncToInt32(m_v[R]);
    r.bottom = draft2d::detail::TruncToInt32(m_v[B]);
    return r;
}

void mgRect::swopTopBottom() {
    std::swap(m_v[B], m_v[T]);
}

bool mgRect::isEmpty() const {
    return std::fabs(m_v[L] - m_v[R]) < kTol && std::fabs(m_v[T] - m_v[B]) < kTol;
}

bool mgRect::isNull() const {
    return std::fabs(m_v[L]) < kTol && std::fabs(m_v[B]) < kTol && std::fabs(m_v[R]) < kTol &&
           std::fabs(m_v[T]) < kTol;
}

bool mgRect::isInRect(double x, double y) const {
    return m_v[L] <= x + kTol && x - kTol <= m_v[R] && y - kTol <= m_v[T] && m_v[B] <= y + kTol;
}

bool mgRect::isInRect(mgPoint const& p) const {
    return isInRect(p.x(), p.y());
}

bool mgRect::isInRect(mgRect const& r) const {
    if (isEmpty() || r.isEmpty())
        return false;
    return m_v[L] <= r.m_v[L] + kTol && r.m_v[R] - kTol <= m_v[R] && m_v[B] <= r.m_v[B] + kTol &&
           r.m_v[T] - kTol <= m_v[T];
}

bool mgRect::operator==(mgRect const& r) const {
    return isSame(r, kTol);
}

bool mgRect::isSame(mgRect const& r, double tol) const {
    if (tol < 0.0)
        tol = kTol;
    for (int i = 0; i < 4; ++i) {
        if (!(std::fabs(m_v[i] - r.m_v[i]) < tol))
            return false;
    }
    return true;
}

// The operands are copied first: the receiver may be one of them.
bool mgRect::intersect(mgRect const& a0, mgRect const& b0) {
    const mgRect a(a0), b(b0);
    if (a.isEmpty() || b.isEmpty()) {
        empty();
        return false;
    }
    m_v[L] = std::max(a.m_v[L], b.m_v[L]);
    m_v[R] = std::min(a.m_v[R], b.m_v[R]);
    m_v[B] = std::max(a.m_v[B], b.m_v[B]);
    m_v[T] = std::min(a.m_v[T], b.m_v[T]);
    if (m_v[L] > m_v[R] || m_v[B] > m_v[T])
        empty();
    return !isEmpty();
}

bool mgRect::intersect(mgRect const& r) {
    return intersect(*this, r);
}

bool mgRect::unionRect(mgRect const& a0, mgRect const& b0) {
    const mgRect a(a0), b(b0);
    if (a.isEmpty()) {
        *this = b;
    } else if (b.isEmpty()) {
        *this = a;
    } else {
        m_v[L] = std::min(a.m_v[L], b.m_v[L]);
        m_v[B] = std::min(a.m_v[B], b.m_v[B]);
        m_v[R] = std::max(a.m_v[R], b.m_v[R]);
        m_v[T] = std::max(a.m_v[T], b.m_v[T]);
    }
    return !isEmpty();
}

bool mgRect::unionRect(mgRect const& r) {
    return unionRect(*this, r);
}

// a \ b is a rectangle only when b spans a in one direction and cuts off one end of it in the
// other; otherwise (no overlap, a hole, a corner or a strip through the middle) the bounding box of
// what remains is a itself. Coverage is judged with the usual 1e-7 slack.
bool mgRect::subtract(mgRect const& a0, mgRect const& b0) {
    const mgRect a(a0), b(b0);
    *this = a;
    if (a.isEmpty() || b.isEmpty())
        return !isEmpty();

    const bool coversLeft = b.m_v[L] <= a.m_v[L] + kTol;
    const bool coversRight = b.m_v[R] >= a.m_v[R] - kTol;
    const bool coversBottom = b.m_v[B] <= a.m_v[B] + kTol;
    const bool coversTop = b.m_v[T] >= a.m_v[T] - kTol;
    const bool spansX = coversLeft && coversRight;
    const bool spansY = coversBottom && coversTop;
    // Overlap with a positive area; touching or disjoint rectangles remove nothing.
    const bool overlaps = b.m_v[L] < a.m_v[R] - kTol && b.m_v[R] > a.m_v[L] + kTol &&
                          b.m_v[B] < a.m_v[T] - kTol && b.m_v[T] > a.m_v[B] + kTol;
    if (!overlaps)
        return !isEmpty();

    if (spansX && spansY) {
        empty();
        return false;
    }
    if (spansY) {
        if (coversLeft)
            m_v[L] = b.m_v[R];
        else if (coversRight)
            m_v[R] = b.m_v[L];
    } else if (spansX) {
        if (coversBottom)
            m_v[B] = b.m_v[T];
        else if (coversTop)
            m_v[T] = b.m_v[B];
    }
    return !isEmpty();
}

void mgRect::unionRect(double x, double y) {
    if (isEmpty()) {
        m_v[L] = m_v[R] = x;
        m_v[B] = m_v[T] = y;
        inflate(2e-7);
        return;
    }
    m_v[L] = std::min(m_v[L], x);
    m_v[R] = std::max(m_v[R], x);
    m_v[B] = std::min(m_v[B], y);
    m_v[T] = std::max(m_v[T], y);
}

void mgRect::unionRect(mgPoint const& p) {
    unionRect(p.x(), p.y());
}

mgRect mgRect::operator&(mgRect const& r) const {
    mgRect res;
    res.intersect(*this, r);
    return res;
}

mgRect mgRect::operator|(mgRect const& r) const {
    mgRect res;
    res.unionRect(*this, r);
    return res;
}

void mgRect::inflate(double d) {
    inflate(d, d, d, d);
}

void mgRect::inflate(double dx, double dy) {
    inflate(dx, dy, dx, dy);
}

void mgRect::inflate(mgPoint const& p) {
    inflate(p.x(), p.y());
}

void mgRect::inflate(mgRect const& r) {
    inflate(r.m_v[L], r.m_v[T], r.m_v[R], r.m_v[B]);
}

void mgRect::inflate(double l, double t, double r, double b) {
    m_v[L] -= l;
    m_v[T] += t;
    m_v[R] += r;
    m_v[B] -= b;
}

void mgRect::deflate(double d) {
    inflate(-d);
}

void mgRect::deflate(double dx, double dy) {
    inflate(-dx, -dy);
}

void mgRect::deflate(mgPoint const& p) {
    inflate(-p.x(), -p.y());
}

void mgRect::deflate(mgRect const& r) {
    inflate(-r.m_v[L], -r.m_v[T], -r.m_v[R], -r.m_v[B]);
}

void mgRect::deflate(double l, double t, double r, double b) {
    inflate(-l, -t, -r, -b);
}

void mgRect::scaleby(double sx, double sy) {
    if (std::fabs(sy) < kTol)
        sy = sx;
    m_v[L] *= sx;
    m_v[R] *= sx;
    m_v[B] *= sy;
    m_v[T] *= sy;
}

mgRect& mgRect::operator+=(mgPoint const& p) {
    m_v[L] += p.x();
    m_v[R] += p.x();
    m_v[B] += p.y();
    m_v[T] += p.y();
    return *this;
}

mgRect& mgRect::operator-=(mgPoint const& p) {
    m_v[L] -= p.x();
    m_v[R] -= p.x();
    m_v[B] -= p.y();
    m_v[T] -= p.y();
    return *this;
}

mgRect& mgRect::operator+=(mgRect const& r) {
    for (int i = 0; i < 4; ++i)
        m_v[i] += r.m_v[i];
    return *this;
}

mgRect& mgRect::operator-=(mgRect const& r) {
    for (int i = 0; i < 4; ++i)
        m_v[i] -= r.m_v[i];
    return *this;
}

mgRect& mgRect::operator*=(double s) {
    for (double& v : m_v)
        v *= s;
    return *this;
}

mgRect mgRect::operator+(mgPoint const& p) const {
    mgRect r(*this);
    r += p;
    r.normalise();
    return r;
}

mgRect mgRect::operator-(mgPoint const& p) const {
    mgRect r(*this);
    r -= p;
    r.normalise();
    return r;
}

mgRect mgRect::operator+(mgRect const& o) const {
    mgRect r(*this);
    r += o;
    r.normalise();
    return r;
}

mgRect mgRect::operator-(mgRect const& o) const {
    mgRect r(*this);
    r -= o;
    r.normalise();
    return r;
}

mgRect mgRect::operator*(double s) const {
    mgRect r(*this);
    r *= s;
    r.normalise();
    return r;
}

// Any linear part with an off-diagonal entry (rotation, shear) moves the corners independently, so
// the extent needs all four of them. With a diagonal linear part two opposite corners suffice.
mgRect& mgRect::operator*=(mgMatrix const& m) {
    if (m.m01() != 0.0 || m.m10() != 0.0) {
        *this = mgRect(left_top() * m, left_bottom() * m, right_top() * m, right_bottom() * m);
    } else {
        *this = mgRect(left_top() * m, right_bottom() * m);
    }
    return *this;
}

mgRect mgRect::operator*(mgMatrix const& m) const {
    mgRect r(*this);
    r *= m;
    return r;
}

// ---------------------------------------------------------------------------------------------
// mgRectEx

mgRectEx::mgRectEx(mgRect const& r, double a)
    : m_pt{r.left_bottom(), r.left_top(), r.right_top(), r.right_bottom()} {
    rotate(a);
}

mgRectEx::mgRectEx(mgPoint const& lb, mgPoint const& lt, mgPoint const& rt, mgPoint const& rb)
    : m_pt{lb, lt, rt, rb} {}

mgRectEx::mgRectEx(mgPoint const& p, mgPoint const& q, double a) : mgRectEx(mgRect(p, q), a) {}

double mgRectEx::width() const {
    return m_pt[2].x() - m_pt[1].x();
}

double mgRectEx::height() const {
    return m_pt[2].y() - m_pt[3].y();
}

double mgRectEx::angle() const {
    return mg_angleBetween(m_pt[0], m_pt[3]);
}

mgRect mgRectEx::CalcExtent() const {
    return mgRect(m_pt[0], m_pt[1], m_pt[2], m_pt[3]);
}

mgRectEx& mgRectEx::rotate(double a) {
    return *this *= mg_RotateMatrix(a);
}

mgRectEx& mgRectEx::operator+=(mgPoint const& p) {
    for (mgPoint& c : m_pt)
        c += p;
    return *this;
}

mgRectEx& mgRectEx::operator-=(mgPoint const& p) {
    for (mgPoint& c : m_pt)
        c -= p;
    return *this;
}

mgRectEx mgRectEx::operator+(mgPoint const& p) const {
    mgRectEx r(*this);
    r += p;
    return r;
}

mgRectEx mgRectEx::operator-(mgPoint const& p) const {
    mgRectEx r(*this);
    r -= p;
    return r;
}

mgRectEx& mgRectEx::operator*=(mgMatrix const& m) {
    for (mgPoint& c : m_pt)
        c *= m;
    return *this;
}

mgRectEx mgRectEx::operator*(mgMatrix const& m) const {
    mgRectEx r(*this);
    r *= m;
    return r;
}

bool mgRectEx::operator==(mgRectEx const& r) const {
    return isSame(r, kTol);
}

bool mgRectEx::isSame(mgRectEx const& r, double tol) const {
    for (int i = 0; i < 4; ++i) {
        if (!m_pt[i].isSame(r.m_pt[i], tol))
            return false;
    }
    return true;
}

// Record order is left-bottom, left-top, right-bottom, right-top (slots 0, 1, 3, 2).
namespace {
constexpr int kRecordSlots[4] = {0, 1, 3, 2};
}

bool mgRectEx::Read(CIoBuffer& buf) {
    for (int slot : kRecordSlots)
        m_pt[slot].Read(buf);
    return !buf.HasError();
}

bool mgRectEx::Save(CIoBuffer& buf) const {
    for (int slot : kRecordSlots)
        m_pt[slot].Save(buf);
    return !buf.HasError();
}
