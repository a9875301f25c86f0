// Cubic and tension splines in chord length, and a dense linear solver.
//
// Cubic spline. With Q_k = P_{k+1} - P_k and L_k = |Q_k|, continuity of the second derivative at an
// inner point k of the Hermite pieces (see spline.h) is, after multiplying by L_{k-1} L_k / 2,
//   L_k T_{k-1} + 2 (L_{k-1} + L_k) T_k + L_{k-1} T_{k+1} = 3 (Q_k L_{k-1}/L_k + Q_{k-1} L_k/L_{k-1}).
// Open ends add one row each:
//   natural      2 T_0 + T_1 = 3 Q_0 / L_0                (x''(0) = 0, written T_0 + T_1/2 = ...)
//   parabolic    T_0 + T_1 = 2 Q_0 / L_0                  (x''' = 0 on the first segment)
//   tangent      T_0 = (sx0, sy0)
// and their mirror images at the end. The result is tridiagonal and solved by elimination.
//
// A closed curve (P_{n-1} at P_0) has n - 1 unknowns T_0 ... T_{n-2} with T_{n-1} = T_0, and the
// inner-point row holds at every point, the segment before point 0 being segment n - 2. That is a
// cyclic tridiagonal system: tridiagonal plus the two corner entries that tie T_0 and T_{n-2}.
// The rows are strictly diagonally dominant (the diagonal is twice the sum of the others), so
// elimination without pivoting is stable. It is solved in O(n) by eliminating the rows in order
// while carrying one extra column (the coefficients of the last unknown) and one moving entry of
// the last row; the result is the solution of the full n x n system of the closed curve.
//
// Tension spline (see spline_p.h). Continuity of the first derivative at an inner point k gives
//   e_{k-1} z_{k-1} + (q_{k-1} + q_k) z_k + e_k z_{k+1} = u_k - u_{k-1}
// with u_k = Q_k / L_k the unit chord directions, s_k = sigma' L_k and
//   q_k = (s_k coth s_k - 1) / L_k,   e_k = (1 - s_k / sinh s_k) / L_k.
// A prescribed end tangent D gives q_0 z_0 + e_0 z_1 = u_0 - D at the start and
// e_{n-2} z_{n-2} + q_{n-2} z_{n-1} = D - u_{n-2} at the end. q and e are evaluated without
// overflow for any s (coth as 1 / tanh, s / sinh s from exp(-s)), and by their series for small s,
// where the closed forms cancel. The rows are scaled by the mean chord length, which leaves the
// solution alone and makes the pivots independent of the size of the drawing.
#include "algorithms/spline.h"

#include <cmath>
#include <cstddef>
#include <memory>
#include <new>

#include "algorithms/spline_p.h"

namespace {

constexpr double kPivotMin = 1e-7;

bool UsablePivot(double p) {
    return std::fabs(p) >= kPivotMin; // false for NaN
}

std::unique_ptr<double[]> NewDoubles(std::size_t n) {
    return std::unique_ptr<double[]>(new (std::nothrow) double[n == 0 ? 1 : n]);
}

bool AllFinite(int n, const double* xs, const double* ys) {
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i]))
            return false;
    }
    return true;
}

// One row of a tridiagonal system with two right-hand sides.
struct Row {
    double sub = 0.0, diag = 0.0, super = 0.0, rx = 0.0, ry = 0.0;
};

// The inner-point row of the cubic spline at point k, between segments p (before) and k (after).
Row CubicInnerRow(const double* xs, const double* ys, const double* len, int p, int k) {
    const double lp = len[p], lk = len[k];
    const double qpx = xs[p + 1] - xs[p], qpy = ys[p + 1] - ys[p];
    const double qkx = xs[k + 1] - xs[k], qky = ys[k + 1] - ys[k];
    Row r;
    r.sub = lk;
    r.diag = 2.0 * (lp + lk);
    r.super = lp;
    r.rx = 3.0 * (qkx * lp / lk + qpx * lk / lp);
    r.ry = 3.0 * (qky * lp / lk + qpy * lk / lp);
    return r;
}

// Solves a tridiagonal system of n rows (row(k) gives row k; the first row's sub and the last row's
// super are ignored) into outX, outY. work holds n doubles.
template <typename RowFn>
bool SolveTridiagonal(int n, RowFn row, double* work, double* outX, double* outY) {
    // Forward: row k becomes x_k + work[k] x_{k+1} = out_k.
    Row r = row(0);
    if (!UsablePivot(r.diag))
        return false;
    work[0] = r.super / r.diag;
    outX[0] = r.rx / r.diag;
    outY[0] = r.ry / r.diag;
    for (int k = 1; k < n; ++k) {
        r = row(k);
        const double pivot = r.diag - r.sub * work[k - 1];
        if (!UsablePivot(pivot))
            return false;
        work[k] = k + 1 < n ? r.super / pivot : 0.0;
        outX[k] = (r.rx - r.sub * outX[k - 1]) / pivot;
        outY[k] = (r.ry - r.sub * outY[k - 1]) / pivot;
    }
    for (int k = n - 2; k >= 0; --k) {
        outX[k] -= work[k] * outX[k + 1];
        outY[k] -= work[k] * outY[k + 1];
    }
    return true;
}

// Solves the cyclic tridiagonal system of m >= 2 rows: row k couples x_{k-1}, x_k and x_{k+1},
// indices taken modulo m. work holds 3m doubles.
//
// Rows 0 ... m-2 are brought to the form d_k x_k + u_k x_{k+1} + v_k x_{m-1} = r_k (v is the column
// of the last unknown, filled in by the corner entry of row 0); the last row is reduced along them
// to D x_{m-1} = S, its moving entry g standing in column j at step j.
template <typename RowFn>
bool SolveCyclic(int m, RowFn row, double* work, double* outX, double* outY) {
    double* d = work;
    double* u = work + m;
    double* v = work + 2 * m;
    const int last = m - 1;
    Row r = row(0);
    d[0] = r.diag;
    u[0] = r.super;
    v[0] = r.sub; // x_{-1} is x_{m-1}
    outX[0] = r.rx;
    outY[0] = r.ry;
    if (last == 1) { // two unknowns: both neighbours of row 0 are x_1
        v[0] += u[0];
        u[0] = 0.0;
    }
    for (int k = 1; k < last; ++k) {
        if (!UsablePivot(d[k - 1]))
            return false;
        r = row(k);
        const double w = r.sub / d[k - 1];
        d[k] = r.diag - w * u[k - 1];
        v[k] = -w * v[k - 1];
        outX[k] = r.rx - w * outX[k - 1];
        outY[k] = r.ry - w * outY[k - 1];
        u[k] = r.super;
        if (k + 1 == last) {
            v[k] += u[k];
            u[k] = 0.0;
        }
    }
    if (!UsablePivot(d[last - 1]))
        return false;

    const Row lastRow = row(last);
    double g = lastRow.super + (last - 1 == 0 ? lastRow.sub : 0.0); // column 0
    double D = lastRow.diag, sx = lastRow.rx, sy = lastRow.ry;
    for (int j = 0; j < last; ++j) {
        const double f = g / d[j];
        D -= f * v[j];
        sx -= f * outX[j];
        sy -= f * outY[j];
        g = (j + 1 == last - 1 ? lastRow.sub : 0.0) - f * u[j];
    }
    if (!UsablePivot(D))
        return false;
    outX[last] = sx / D;
    outY[last] = sy / D;
    for (int k = last - 1; k >= 0; --k) {
        outX[k] = (outX[k] - u[k] * outX[k + 1] - v[k] * outX[last]) / d[k];
        outY[k] = (outY[k] - u[k] * outY[k + 1] - v[k] * outY[last]) / d[k];
    }
    return true;
}

bool SolveOpenCubic(int n, const double* xs, const double* ys, const double* len, int flags, double sx0,
                    double sy0, double sx1, double sy1, double* work, double* dx, double* dy) {
    const int last = n - 1;
    auto row = [&](int k) {
        Row r;
        if (k == 0) {
            const double ux = (xs[1] - xs[0]) / len[0], uy = (ys[1] - ys[0]) / len[0];
            if (flags & SPLINE_START_TANGENT) {
                r.diag = 1.0;
                r.rx = sx0;
                r.ry = sy0;
            } else if (flags & SPLINE_START_PARABOLIC) {
                r.diag = r.super = 1.0;
                r.rx = 2.0 * ux;
                r.ry = 2.0 * uy;
            } else {
                r.diag = 1.0;
                r.super = 0.5;
                r.rx = 1.5 * ux;
                r.ry = 1.5 * uy;
            }
        } else if (k == last) {
            const double l = len[last - 1];
            const double ux = (xs[last] - xs[last - 1]) / l, uy = (ys[last] - ys[last - 1]) / l;
            if (flags & SPLINE_END_TANGENT) {
                r.diag = 1.0;
                r.rx = sx1;
                r.ry = sy1;
            } else if (flags & SPLINE_END_PARABOLIC) {
                r.sub = r.diag = 1.0;
                r.rx = 2.0 * ux;
                r.ry = 2.0 * uy;
            } else {
                r.sub = 0.5;
                r.diag = 1.0;
                r.rx = 1.5 * ux;
                r.ry = 1.5 * uy;
            }
        } else {
            r = CubicInnerRow(xs, ys, len, k - 1, k);
        }
        return r;
    };
    return SolveTridiagonal(n, row, work, dx, dy);
}

bool SolveClosedCubic(int n, const double* xs, const double* ys, const double* len, double* work, double* dx,
                      double* dy) {
    const int m = n - 1;
    auto row = [&](int k) { return CubicInnerRow(xs, ys, len, k == 0 ? m - 1 : k - 1, k); };
    if (!SolveCyclic(m, row, work, dx, dy))
        return false;
    dx[m] = dx[0];
    dy[m] = dy[0];
    return true;
}

// s coth s - 1 and 1 - s / sinh s for s > 0.
double TensionDiag(double s) {
    if (s < 1e-2) {
        const double s2 = s * s;
        return s2 * (1.0 / 3.0 - s2 * (1.0 / 45.0 - s2 * (2.0 / 945.0)));
    }
    return s / std::tanh(s) - 1.0;
}

double TensionOffDiag(double s) {
    if (s < 1e-2) {
        const double s2 = s * s;
        return s2 * (1.0 / 6.0 - s2 * (7.0 / 360.0 - s2 * (31.0 / 15120.0)));
    }
    // s / sinh s = 2 s e^-s / (1 - e^-2s)
    return 1.0 - 2.0 * s * std::exp(-s) / -std::expm1(-2.0 * s);
}

} // namespace

namespace draft2d::detail {

int RemoveNearPoints(int n, double* xs, double* ys, double tolerance) {
    if (n <= 1)
        return n;
    int kept = 0;
    for (int i = 1; i < n; ++i) {
        if (std::hypot(xs[i] - xs[kept], ys[i] - ys[kept]) < tolerance)
            continue;
        ++kept;
        xs[kept] = xs[i];
        ys[kept] = ys[i];
    }
    return kept + 1;
}

bool SolveTensionSpline(int* count, double* xs, double* ys, double sigma, double tolerance, double* lengths,
                        double* zx, double* zy, double* sigmaScaled) {
    tolerance = SplineTolerance(tolerance);
    *count = RemoveNearPoints(*count, xs, ys, tolerance);
    const int n = *count;
    if (n < 2 || !AllFinite(n, xs, ys))
        return false;
    const int last = n - 1;
    double total = 0.0;
    for (int k = 0; k < last; ++k) {
        lengths[k] = std::hypot(xs[k + 1] - xs[k], ys[k + 1] - ys[k]);
        total += lengths[k];
    }
    const bool closed = std::hypot(xs[0] - xs[last], ys[0] - ys[last]) < tolerance;
    const double sp = sigma * last / total;
    const double mean = total / last;
    *sigmaScaled = sp;

    auto unitX = [&](int k) { return (xs[k + 1] - xs[k]) / lengths[k]; };
    auto unitY = [&](int k) { return (ys[k + 1] - ys[k]) / lengths[k]; };
    // The prescribed end tangent: the last chord's direction, or the first chord's when closed.
    const int endChord = closed ? 0 : last - 1;
    auto row = [&](int k) {
        Row r;
        if (k > 0) {
            const double l = lengths[k - 1], s = sp * l;
            r.sub = mean * TensionOffDiag(s) / l;
            r.diag += mean * TensionDiag(s) / l;
        }
        if (k < last) {
            const double l = lengths[k], s = sp * l;
            r.super = mean * TensionOffDiag(s) / l;
            r.diag += mean * TensionDiag(s) / l;
        }
        if (k > 0 && k < last) {
            r.rx = mean * (unitX(k) - unitX(k - 1));
            r.ry = mean * (unitY(k) - unitY(k - 1));
        } else if (k == last) {
            r.rx = mean * (unitX(endChord) - unitX(last - 1));
            r.ry = mean * (unitY(endChord) - unitY(last - 1));
        }
        return r;
    };
    std::unique_ptr<double[]> work = NewDoubles(static_cast<std::size_t>(n));
    if (!work || !SolveTridiagonal(n, row, work.get(), zx, zy))
        return false;
    return AllFinite(n, zx, zy);
}

void TensionWeights(double d, double s, double t, double* w0, double* w1) {
    const double sd = s * d;
    const double denominator = std::expm1(-2.0 * sd);
    *w0 = std::exp(-s * t) * (std::expm1(-2.0 * s * (d - t)) / denominator);
    *w1 = std::exp(s * (t - d)) * (std::expm1(-2.0 * s * t) / denominator);
}

} // namespace draft2d::detail

bool CalcCubicSpline(int* n, double* xs, double* ys, double tolerance, double* dx, double* dy,
                     double* lengths, int flags, double sx0, double sy0, double sx1, double sy1) {
    if (!n || !xs || !ys || !dx || !dy || !lengths)
        return false;
    tolerance = draft2d::detail::SplineTolerance(tolerance);
    *n = draft2d::detail::RemoveNearPoints(*n, xs, ys, tolerance);
    const int count = *n;
    if (count <= 1 || !AllFinite(count, xs, ys))
        return false;
    const int last = count - 1;
    const bool closed =
        (flags & SPLINE_CLOSED) != 0 || std::hypot(xs[0] - xs[last], ys[0] - ys[last]) < tolerance;
    if (closed && count < 3)
        return false;
    for (int k = 0; k < last; ++k)
        lengths[k] = std::hypot(xs[k + 1] - xs[k], ys[k + 1] - ys[k]);

    std::unique_ptr<double[]> work = NewDoubles(3 * static_cast<std::size_t>(count));
    if (!work)
        return false;
    const bool ok =
        closed ? SolveClosedCubic(count, xs, ys, lengths, work.get(), dx, dy)
               : SolveOpenCubic(count, xs, ys, lengths, flags, sx0, sy0, sx1, sy1, work.get(), dx, dy);
    return ok && AllFinite(count, dx, dy);
}

bool GaussJordan(int n, double* a, double* bx, double* by) {
    if (n <= 0 || !a || !bx || !by)
        return false;
    const std::size_t N = static_cast<std::size_t>(n);
    auto at = [&](std::size_t i, std::size_t j) -> double& { return a[i * N + j]; };
    for (std::size_t i = 0; i < N; ++i) {
        std::size_t best = i;
        for (std::size_t r = i + 1; r < N; ++r) {
            if (std::fabs(at(r, i)) > std::fabs(at(best, i)))
                best = r;
        }
        if (best != i) {
            for (std::size_t j = i; j < N; ++j) {
                const double t = at(i, j);
                at(i, j) = at(best, j);
                at(best, j) = t;
            }
            const double tx = bx[i], ty = by[i];
            bx[i] = bx[best];
            by[i] = by[best];
            bx[best] = tx;
            by[best] = ty;
        }
        const double pivot = at(i, i);
        if (!UsablePivot(pivot))
            return false;
        for (std::size_t j = i; j < N; ++j)
            at(i, j) /= pivot;
        bx[i] /= pivot;
        by[i] /= pivot;
        for (std::size_t r = i + 1; r < N; ++r) {
            const double f = at(r, i);
            if (f == 0.0)
                continue;
            for (std::size_t j = i; j < N; ++j)
                at(r, j) -= f * at(i, j);
            bx[r] -= f * bx[i];
            by[r] -= f * by[i];
        }
    }
    for (std::size_t j = N - 1; j-- > 0;) {
        double sx = 0.0, sy = 0.0;
        for (std::size_t k = j + 1; k < N; ++k) {
            sx += at(j, k) * bx[k];
            sy += at(j, k) * by[k];
        }
        bx[j] -= sx;
        by[j] -= sy;
    }
    return true;
}
