#include "values/mgSplines.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "algorithms/spline.h"
#include "algorithms/spline_p.h"
#include "io/CIoBuffer.h"
#include "values/mgPoly.h"

namespace {

constexpr double kDefaultTolerance = 1e-7;
constexpr int kClosedFlag = 64;
constexpr int kStartBits = 3;
constexpr int kEndBits = 12;
constexpr std::size_t kArrays = 5; // xs, ys, hp, xp, yp

// A zero-filled block for n knots, or null when it cannot be had.
double* NewBlock(int n) {
    const std::size_t knots = static_cast<std::size_t>(n);
    if (knots > SIZE_MAX / (kArrays * sizeof(double)))
        return nullptr;
    double* block = new (std::nothrow) double[kArrays * knots];
    if (block)
        std::fill(block, block + kArrays * knots, 0.0);
    return block;
}

} // namespace

mgSplines::mgSplines()
    : m_capacity(0), m_count(0), m_xs(nullptr), m_ys(nullptr), m_flags(0), m_startTangent(0.0),
      m_endTangent(0.0), m_knotTolerance(kDefaultTolerance), m_hp(nullptr), m_xp(nullptr), m_yp(nullptr),
      m_paramsValid(false) {}

mgSplines::mgSplines(int n, mgPoint const* p) : mgSplines() {
    setCoords(n, p);
}

mgSplines::mgSplines(int n, double const* x, double const* y) : mgSplines() {
    setCoords(n, x, y);
}

mgSplines::mgSplines(mgSplines const& o) : mgSplines() {
    *this = o;
}

mgSplines::~mgSplines() {
    clear();
}

mgSplines& mgSplines::operator=(mgSplines const& o) {
    if (this == &o || !setCapacity(o.m_capacity))
        return *this;
    m_count = o.m_count;
    m_flags = o.m_flags;
    m_startTangent = o.m_startTangent;
    m_endTangent = o.m_endTangent;
    m_knotTolerance = o.m_knotTolerance;
    m_paramsValid = o.m_paramsValid;
    if (m_capacity > 0)
        std::memcpy(m_xs, o.m_xs, kArrays * sizeof(double) * static_cast<std::size_t>(m_capacity));
    return *this;
}

void mgSplines::setBlock(double* block, int capacity) {
    delete[] m_xs;
    m_capacity = block ? capacity : 0;
    m_xs = block;
    m_ys = block ? block + capacity : nullptr;
    m_hp = block ? block + 2 * static_cast<std::size_t>(capacity) : nullptr;
    m_xp = block ? block + 3 * static_cast<std::size_t>(capacity) : nullptr;
    m_yp = block ? block + 4 * static_cast<std::size_t>(capacity) : nullptr;
}

void mgSplines::clear() {
    setBlock(nullptr, 0);
    m_count = 0;
    m_flags = 0;
    m_startTangent = 0.0;
    m_endTangent = 0.0;
    m_paramsValid = false;
}

bool mgSplines::setCapacity(int n) {
    if (n == m_capacity)
        return true;
    if (n <= 0) {
        clear();
        return true;
    }
    double* block = NewBlock(n);
    if (!block)
        return false;
    const std::size_t keep = static_cast<std::size_t>(std::min(m_count, n));
    const std::size_t from = static_cast<std::size_t>(m_capacity), to = static_cast<std::size_t>(n);
    for (std::size_t a = 0; a < kArrays && keep > 0; ++a)
        std::memcpy(block + a * to, m_xs + a * from, keep * sizeof(double));
    setBlock(block, n);
    if (n < m_count) {
        m_count = n;
        m_paramsValid = false;
    }
    return true;
}

bool mgSplines::setCount(int n) {
    if (n == m_count)
        return true;
    if (n < 0 || (n > m_capacity && !setCapacity(n)))
        return false;
    m_count = n;
    m_paramsValid = false;
    return true;
}

bool mgSplines::setCoord(int i, double x, double y) {
    if (!inStorage(i))
        return false;
    m_xs[i] = x;
    m_ys[i] = y;
    if (i >= m_count)
        m_count = i + 1;
    m_paramsValid = false;
    return true;
}

bool mgSplines::setCoord(int i, mgPoint const& p) {
    return setCoord(i, p.x(), p.y());
}

bool mgSplines::setCoords(int n, mgPoint const* p) {
    if (n < 0 || (n > 0 && !p) || !setCapacity(n))
        return false;
    for (int i = 0; i < n; ++i)
        setCoord(i, p[i]);
    return true;
}

bool mgSplines::setCoords(int n, double const* x, double const* y) {
    if (n < 0 || (n > 0 && (!x || !y)))
        return false;
    // Coordinates taken from this spline's own block must survive its replacement.
    std::vector<double> copy;
    if (n > 0 && m_xs) {
        copy.assign(x, x + n);
        copy.insert(copy.end(), y, y + n);
        x = copy.data();
        y = copy.data() + n;
    }
    if (!setCapacity(n))
        return false;
    for (int i = 0; i < n; ++i)
        setCoord(i, x[i], y[i]);
    return true;
}

bool mgSplines::closed() const {
    if (m_count <= 3)
        return false;
    const int last = m_count - 1;
    return std::hypot(m_xs[0] - m_xs[last], m_ys[0] - m_ys[last]) <= m_knotTolerance;
}

int mgSplines::splinesFlag() const {
    return closed() ? kClosedFlag : m_flags;
}

bool mgSplines::setClose() {
    if (m_count <= 3)
        return false;
    if (!closed())
        m_paramsValid = false;
    m_xs[m_count - 1] = m_xs[0];
    m_ys[m_count - 1] = m_ys[0];
    m_flags = kClosedFlag;
    return true;
}

void mgSplines::setStartFlag(int f, double angle) {
    if (f == 1)
        m_startTangent = angle;
    m_flags = f + (m_flags & kEndBits);
    m_paramsValid = false;
}

void mgSplines::setEndFlag(int f, double angle) {
    int bits = f;
    if (f == 1) {
        m_endTangent = angle;
        bits = 4;
    } else if (f == 2) {
        bits = 8;
    }
    m_flags = bits + (m_flags & kStartBits);
    m_paramsValid = false;
}

bool mgSplines::calcParams() {
    const int f = splinesFlag();
    double sx0 = 0.0, sy0 = 0.0, sx1 = 0.0, sy1 = 0.0;
    if (f & kStartBits) {
        sx0 = std::cos(m_startTangent);
        sy0 = std::sin(m_startTangent);
    }
    if (f & kEndBits) {
        sx1 = std::cos(m_endTangent);
        sy1 = std::sin(m_endTangent);
    }
    int n = m_count;
    const bool ok = CalcCubicSpline(&n, m_xs, m_ys, m_knotTolerance, m_xp, m_yp, m_hp, f, sx0, sy0, sx1, sy1);
    m_count = n;
    m_paramsValid = ok;
    return ok;
}

bool mgSplines::validateParams() {
    if (!m_paramsValid)
        calcParams();
    return m_paramsValid;
}

double mgSplines::hp(int i) {
    return validateParams() && i >= 0 && i < m_count ? m_hp[i] : 0.0;
}

double mgSplines::xp(int i) {
    return validateParams() && i >= 0 && i < m_count ? m_xp[i] : 0.0;
}

double mgSplines::yp(int i) {
    return validateParams() && i >= 0 && i < m_count ? m_yp[i] : 0.0;
}

bool mgSplines::isSame(mgSplines const& o, double tol) const {
    if (this == &o)
        return true;
    if (m_count != o.m_count || m_flags != o.m_flags)
        return false;
    const double t = tol > 0.0 ? tol : 1e-7;
    if (std::fabs(m_startTangent - o.m_startTangent) > t || std::fabs(m_endTangent - o.m_endTangent) > t ||
        std::fabs(m_knotTolerance - o.m_knotTolerance) > t)
        return false;
    for (int i = 0; i < m_count; ++i) {
        if (std::fabs(m_xs[i] - o.m_xs[i]) > t || std::fabs(m_ys[i] - o.m_ys[i]) > t)
            return false;
    }
    return true;
}

mgSplines& mgSplines::operator*=(mgMatrix const& m) {
    for (int i = 0; i < m_count; ++i)
        m.multiply(m_xs[i], m_ys[i], &m_xs[i], &m_ys[i]);
    m_startTangent = m.multiplyAngle(m_startTangent);
    m_endTangent = m.multiplyAngle(m_endTangent);
    m_paramsValid = false;
    return *this;
}

mgSplines mgSplines::operator*(mgMatrix const& m) const {
    mgSplines r(*this);
    r *= m;
    return r;
}

bool mgSplines::Read(CIoBuffer& buf) {
    // The count and the knots have the layout of a polyline record, whose reader gathers them
    // before anything is kept and grows only with the data that is really there.
    mgPoly knots;
    if (!knots.Read(buf))
        return false;
    int flags = 0;
    double start = 0.0, end = 0.0, tolerance = 0.0;
    buf.ReadStrict(flags);
    buf.ReadStrict(start);
    buf.ReadStrict(end);
    buf.ReadStrict(tolerance);
    const int n = knots.count();
    if (buf.HasError() || !setCount(n))
        return false;
    std::memcpy(m_xs, knots.xs(), sizeof(double) * static_cast<std::size_t>(n));
    std::memcpy(m_ys, knots.ys(), sizeof(double) * static_cast<std::size_t>(n));
    m_flags = flags;
    m_startTangent = start;
    m_endTangent = end;
    m_knotTolerance = draft2d::detail::SplineTolerance(tolerance);
    m_paramsValid = false;
    return true;
}

bool mgSplines::Save(CIoBuffer& buf) const {
    buf.AddInt32(m_count);
    for (int i = 0; i < m_count; ++i) {
        buf.AddDouble(m_xs[i]);
        buf.AddDouble(m_ys[i]);
    }
    buf.AddInt32(m_flags);
    buf.AddDouble(m_startTangent);
    buf.AddDouble(m_endTangent);
    buf.AddDouble(m_knotTolerance);
    return !buf.HasError();
}
