#include "values/mgFitCurve.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "algorithms/helpers.h"

namespace {

constexpr int kGrowStep = 512;
// Realloc takes the byte size as an int.
constexpr int kMaxPoints = INT_MAX / static_cast<int>(sizeof(double)) / kGrowStep * kGrowStep;

double* NewArray(int n) {
    return static_cast<double*>(std::malloc(sizeof(double) * static_cast<std::size_t>(n)));
}

} // namespace

mgFitCurve::mgFitCurve() : m_count(0), m_capacity(0), m_xs(nullptr), m_ys(nullptr), m_sigma(0.5) {}

mgFitCurve::mgFitCurve(mgFitCurve const& o) : mgFitCurve() {
    *this = o;
}

mgFitCurve& mgFitCurve::operator=(mgFitCurve const& o) {
    if (this == &o)
        return *this;
    clear();
    m_sigma = o.m_sigma;
    if (o.m_count <= 0)
        return *this;
    m_xs = NewArray(o.m_count);
    m_ys = NewArray(o.m_count);
    if (!m_xs || !m_ys) {
        clear();
        return *this;
    }
    const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(o.m_count);
    std::memcpy(m_xs, o.m_xs, bytes);
    std::memcpy(m_ys, o.m_ys, bytes);
    m_count = m_capacity = o.m_count;
    return *this;
}

mgFitCurve::~mgFitCurve() {
    clear();
}

void mgFitCurve::clear() {
    std::free(m_xs);
    std::free(m_ys);
    m_xs = m_ys = nullptr;
    m_count = m_capacity = 0;
}

bool mgFitCurve::reserve(int n) {
    if (m_capacity >= n)
        return true;
    if (n > kMaxPoints) {
        clear();
        return false;
    }
    const int capacity = (n + kGrowStep - 1) / kGrowStep * kGrowStep;
    const int bytes = capacity * static_cast<int>(sizeof(double));
    // Realloc frees the old block when it fails: forget it at once so clear() does not free it again.
    m_xs = static_cast<double*>(Realloc(m_xs, bytes));
    m_ys = m_xs ? static_cast<double*>(Realloc(m_ys, bytes)) : m_ys;
    if (!m_xs || !m_ys) {
        clear();
        return false;
    }
    m_capacity = capacity;
    return true;
}

bool mgFitCurve::add(double x, double y) {
    if (m_count >= m_capacity && !reserve((m_count + kGrowStep) / kGrowStep * kGrowStep))
        return false;
    m_xs[m_count] = x;
    m_ys[m_count] = y;
    ++m_count;
    return true;
}

double mgFitCurve::x(int i) const {
    return i >= 0 && i < m_count ? m_xs[i] : 0.0;
}

double mgFitCurve::y(int i) const {
    return i >= 0 && i < m_count ? m_ys[i] : 0.0;
}

bool mgFitCurve::closed(double tol) const {
    if (m_count <= 2)
        return false;
    if (!(tol > 0.0))
        tol = 1e-7;
    return std::hypot(m_xs[0] - m_xs[m_count - 1], m_ys[0] - m_ys[m_count - 1]) < tol;
}

void mgFitCurve::setSigma(double s) {
    if (!(s >= 0.1))
        s = 0.1;
    else if (s > 10.0)
        s = 10.0;
    m_sigma = s;
}
