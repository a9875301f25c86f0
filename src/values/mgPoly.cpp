#include "values/mgPoly.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

#include "io/CIoBuffer.h"

namespace {

constexpr int kGrowStep = 32;

// True when p points into the block [begin, begin + n).
bool PointsInto(double const* p, double const* begin, int n) {
    if (!p || !begin || n <= 0)
        return false;
    std::less_equal<double const*> le;
    std::less<double const*> lt;
    return le(begin, p) && lt(p, begin + n);
}

} // namespace

mgPoly::mgPoly() : m_capacity(0), m_count(0), m_xs(nullptr), m_ys(nullptr) {}

mgPoly::mgPoly(int n, double const* x, double const* y) : mgPoly() {
    setCoords(0, n, x, y);
}

mgPoly::mgPoly(int n, mgPoint const* p) : mgPoly() {
    setCoords(0, n, p);
}

mgPoly::mgPoly(mgPoly const& o) : mgPoly() {
    *this = o;
}

mgPoly::~mgPoly() {
    ::operator delete(m_xs);
}

mgPoly& mgPoly::operator=(mgPoly const& o) {
    if (this == &o)
        return *this;
    if (o.m_count >= m_capacity)
        reallocate(o.m_count + kGrowStep, 0);
    m_count = o.m_count;
    if (m_count > 0) {
        std::memcpy(m_xs, o.m_xs, sizeof(double) * m_count);
        std::memcpy(m_ys, o.m_ys, sizeof(double) * m_count);
    }
    return *this;
}

void mgPoly::reset() {
    m_capacity = 0;
    m_count = 0;
    m_xs = nullptr;
    m_ys = nullptr;
}

void mgPoly::clear() {
    ::operator delete(m_xs);
    reset();
}

void mgPoly::reallocate(int n, int keep) {
    double* block = nullptr;
    if (n > 0) {
        const std::size_t doubles = 2 * static_cast<std::size_t>(n);
        block = static_cast<double*>(::operator new(doubles * sizeof(double)));
        std::fill(block, block + doubles, 0.0);
        if (keep > 0) {
            std::memcpy(block, m_xs, sizeof(double) * keep);
            std::memcpy(block + n, m_ys, sizeof(double) * keep);
        }
    }
    ::operator delete(m_xs);
    m_xs = block;
    m_ys = block ? block + n : nullptr;
    m_capacity = n;
}

bool mgPoly::ensure(int needed) {
    if (needed < 0 || needed > INT_MAX - kGrowStep)
        return false;
    if (needed >= m_capacity)
        reallocate(needed + kGrowStep, m_count);
    return true;
}

int mgPoly::setCapacity(int n) {
    if (n < 0)
        return m_count;
    const int keep = std::min(m_count, n);
    reallocate(n, keep);
    m_count = keep;
    return m_count;
}

int mgPoly::setCount(int n) {
    if (n < 0 || !ensure(n))
        return m_capacity;
    m_count = n;
    return m_capacity;
}

double mgPoly::getCoordX(int i) const {
    return inStorage(i) ? m_xs[i] : 0.0;
}

double mgPoly::getCoordY(int i) const {
    return inStorage(i) ? m_ys[i] : 0.0;
}

mgPoint mgPoly::getCoord(int i) const {
    return inStorage(i) ? mgPoint(m_xs[i], m_ys[i]) : mgPoint();
}

int mgPoly::setCoord(int i, double x, double y) {
    if (!inStorage(i))
        return m_count;
    m_xs[i] = x;
    m_ys[i] = y;
    if (i >= m_count)
        m_count = i + 1;
    return m_count;
}

int mgPoly::setCoord(int i, mgPoint& p) {
    return setCoord(i, p.x(), p.y());
}

int mgPoly::setCoords(int i, int n, double const* x, double const* y) {
    if (i < 0 || n < 0 || (n > 0 && (!x || !y)) || i > INT_MAX - n)
        return m_count;
    // Coordinates taken from this polyline's own block must survive its replacement.
    std::vector<double> sx, sy;
    if (PointsInto(x, m_xs, 2 * m_capacity) || PointsInto(y, m_xs, 2 * m_capacity)) {
        sx.assign(x, x + n);
        sy.assign(y, y + n);
        x = sx.data();
        y = sy.data();
    }
    if (!ensure(i + n))
        return m_count;
    if (n > 0) {
        std::memmove(m_xs + i, x, sizeof(double) * n);
        std::memmove(m_ys + i, y, sizeof(double) * n);
    }
    m_count = std::max(m_count, i + n);
    return m_count;
}

int mgPoly::setCoords(int i, int n, mgPoint const* p) {
    if (i < 0 || n < 0 || (n > 0 && !p) || i > INT_MAX - n)
        return m_count;
    if (!ensure(i + n))
        return m_count;
    for (int k = 0; k < n; ++k) {
        m_xs[i + k] = p[k].x();
        m_ys[i + k] = p[k].y();
    }
    m_count = std::max(m_count, i + n);
    return m_count;
}

int mgPoly::setCoords(int n, double* x, double* y) {
    return setCoords(m_count, n, x, y);
}

int mgPoly::setCoords(int n, mgPoint* p) {
    return setCoords(m_count, n, p);
}

int mgPoly::insertCoords(int i, int n, double const* x, double const* y) {
    if (i < 0 || n < 0 || (n > 0 && (!x || !y)))
        return m_count;
    const int base = i < m_count ? m_count : i;
    if (base > INT_MAX - n)
        return m_count;
    std::vector<double> sx, sy;
    if (PointsInto(x, m_xs, 2 * m_capacity) || PointsInto(y, m_xs, 2 * m_capacity)) {
        sx.assign(x, x + n);
        sy.assign(y, y + n);
        x = sx.data();
        y = sy.data();
    }
    const int newCount = base + n;
    if (!ensure(newCount))
        return m_count;
    if (i < m_count && n > 0) {
        const std::size_t tail = sizeof(double) * (m_count - i);
        std::memmove(m_xs + i + n, m_xs + i, tail);
        std::memmove(m_ys + i + n, m_ys + i, tail);
    }
    if (n > 0) {
        std::memcpy(m_xs + i, x, sizeof(double) * n);
        std::memcpy(m_ys + i, y, sizeof(double) * n);
    }
    m_count = newCount;
    return m_count;
}

int mgPoly::insertCoords(int i, int n, mgPoint const* p) {
    if (i < 0 || n < 0 || (n > 0 && !p))
        return m_count;
    std::vector<double> x(static_cast<std::size_t>(n)), y(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        x[k] = p[k].x();
        y[k] = p[k].y();
    }
    return insertCoords(i, n, x.data(), y.data());
}

int mgPoly::insertCoord(int i, double x, double y) {
    return insertCoords(i, 1, &x, &y);
}

int mgPoly::insertCoord(int i, mgPoint const& p) {
    return insertCoords(i, 1, &p);
}

int mgPoly::deleteCoords(int i, int n) {
    if (i < 0 || i >= m_count)
        return m_count;
    if (n == -1 || n > m_count - i)
        n = m_count - i;
    if (n <= 0)
        return m_count;
    const int after = m_count - i - n;
    if (after > 0) {
        std::memmove(m_xs + i, m_xs + i + n, sizeof(double) * after);
        std::memmove(m_ys + i, m_ys + i + n, sizeof(double) * after);
    }
    std::fill(m_xs + m_count - n, m_xs + m_count, 0.0);
    std::fill(m_ys + m_count - n, m_ys + m_count, 0.0);
    m_count -= n;
    return m_count;
}

bool mgPoly::issame(mgPoly const& o, double tol) const {
    if (this == &o)
        return true;
    if (m_count != o.m_count)
        return false;
    if (m_count <= 0)
        return true;
    if (tol < 0.0)
        tol = 1e-7;
    for (int i = 0; i < m_count; ++i) {
        if (std::fabs(m_xs[i] - o.m_xs[i]) > tol || std::fabs(m_ys[i] - o.m_ys[i]) > tol)
            return false;
    }
    return true;
}

mgRect mgPoly::CalcExtent() const {
    mgRect r;
    for (int i = 0; i < m_count; ++i)
        r.unionRect(m_xs[i], m_ys[i]);
    return r;
}

mgPoly& mgPoly::operator*=(mgMatrix const& m) {
    for (int i = 0; i < m_count; ++i)
        m.multiply(m_xs[i], m_ys[i], &m_xs[i], &m_ys[i]);
    return *this;
}

mgPoly mgPoly::operator*(mgMatrix const& m) const {
    mgPoly r(*this);
    r *= m;
    return r;
}

bool mgPoly::Read(CIoBuffer& buf) {
    int n = 0;
    buf.ReadStrict(n);
    if (n <= 0 || buf.HasError())
        return false;

    // Gather first: the storage grows with the data that is really there, whatever n claims, and
    // the polyline stays untouched if the record turns out to be short.
    std::vector<double> xy;
    xy.reserve(2 * static_cast<std::size_t>(std::min(n, 4096)));
    for (int i = 0; i < n; ++i) {
        double x = 0.0, y = 0.0;
        buf.ReadStrict(x);
        buf.ReadStrict(y);
        if (buf.HasError())
            return false;
        xy.push_back(x);
        xy.push_back(y);
    }
    setCount(n);
    if (m_count != n)
        return false;
    for (int i = 0; i < n; ++i) {
        m_xs[i] = xy[2 * static_cast<std::size_t>(i)];
        m_ys[i] = xy[2 * static_cast<std::size_t>(i) + 1];
    }
    return !buf.HasError();
}

bool mgPoly::Save(CIoBuffer& buf) const {
    buf.AddInt32(m_count);
    for (int i = 0; i < m_count; ++i) {
        buf.AddDouble(m_xs[i]);
        buf.AddDouble(m_ys[i]);
    }
    return !buf.HasError();
}

bool AddCoords(CIoBuffer& buf, int n, mgPoint const* pts) {
    if (n < 0 || (n > 0 && !pts))
        n = 0;
    // The nested length is a 32-bit byte count.
    if (static_cast<std::uint64_t>(n) * 16 > 0xFFFFFFF0u)
        return false;
    CIoBuffer temp(8);
    temp.Reserve(static_cast<unsigned long>(n) * 16);
    for (int i = 0; i < n && !temp.HasError(); ++i) {
        temp.AddDouble(pts[i].x());
        temp.AddDouble(pts[i].y());
    }
    if (temp.HasError())
        return false;
    return buf.AddBinary(temp);
}

bool ReadCoords(CIoBuffer& buf, AcArray<mgPoint, AcArrayMemCopyReallocator<mgPoint>>& arr) {
    CIoBuffer temp(8);
    if (!buf.ReadBinary(temp, true))
        return false;
    const int n = static_cast<int>(temp.GetSize() / 16);
    if (arr.physicalLength() != n)
        arr.setPhysicalLength(n);
    arr.setLogicalLength(n);
    mgPoint* pts = arr.asArrayPtr();
    for (int i = 0; i < n; ++i) {
        const double x = temp.ReadDouble(0.0);
        const double y = temp.ReadDouble(0.0);
        pts[i].set(x, y);
    }
    return true;
}
