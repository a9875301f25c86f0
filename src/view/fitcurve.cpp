// CGraphSystem: curves fitted through points and sampled into an mgFitCurve, in screen pixels.
//
// Both fits share one frame:
//   1. the points are converted to screen pixels (user or paper coordinates through the view; any
//      other space is taken as pixels already);
//   2. closing: a curve asked to close whose ends lie farther apart than the tolerance gets a copy
//      of its first point appended; otherwise ends closer than the tolerance are made to meet
//      exactly, and the curve is fitted as closed;
//   3. the solver merges points closer than the tolerance to their predecessor and fits;
//   4. each segment i (chord length L) is sampled from its start point at steps of h, where h is
//      the requested step raised to L/32, or lowered to L/4 when it lies between L/4 and L; a segment
//      not longer than the step gives only its start point. The last point ends the curve.
// The number of samples is known before sampling, so the curve grows once; a failed growth stops
// the fit with false. Nothing is appended when the fit fails.
#include "view/CGraphSystem_p.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <memory>
#include <new>

#include "algorithms/spline.h"
#include "algorithms/spline_p.h"
#include "values/mgFitCurve.h"

namespace {

constexpr int kMaxSamplesPerSegment = 32;

// Points of one fit and the solver's results: xs, ys, lengths, and the two per-point arrays (cubic
// derivatives or tension coefficients), n + 1 entries each to leave room for a closing point.
struct FitWork {
    std::unique_ptr<double[]> block;
    double* xs = nullptr;
    double* ys = nullptr;
    double* lengths = nullptr;
    double* ax = nullptr;
    double* ay = nullptr;
    int n = 0;
};

// Steps 1 and 2 of the frame. false on bad arguments or when the work block cannot be had.
bool PrepareFit(const CGraphSystem& view, int n, const double* xs, const double* ys, bool close, double step,
                double tolerance, CGraphSystem::coord_type ct, FitWork& w) {
    if (n <= 1 || !xs || !ys || !(step >= 1e-7))
        return false;
    const std::size_t room = static_cast<std::size_t>(n) + 1;
    w.block.reset(new (std::nothrow) double[5 * room]);
    if (!w.block)
        return false;
    w.xs = w.block.get();
    w.ys = w.xs + room;
    w.lengths = w.ys + room;
    w.ax = w.lengths + room;
    w.ay = w.ax + room;
    for (int i = 0; i < n; ++i) {
        if (ct == CGraphSystem::COORD_USER)
            view.UserToScreen(xs[i], ys[i], &w.xs[i], &w.ys[i]);
        else if (ct == CGraphSystem::COORD_PAPER)
            view.PaperToScreen(xs[i], ys[i], &w.xs[i], &w.ys[i]);
        else {
            w.xs[i] = xs[i];
            w.ys[i] = ys[i];
        }
    }
    const double d = std::hypot(w.xs[0] - w.xs[n - 1], w.ys[0] - w.ys[n - 1]);
    if (close && d > tolerance) {
        w.xs[n] = w.xs[0];
        w.ys[n] = w.ys[0];
        ++n;
    } else if (d < tolerance) {
        w.xs[n - 1] = w.xs[0];
        w.ys[n - 1] = w.ys[0];
    }
    w.n = n;
    return true;
}

// The sampling step of a segment of length L (see the frame) and the number of samples it gives,
// its start point included.
struct SegmentSampling {
    double h;
    int samples;
};

SegmentSampling SampleSegment(double L, double step) {
    double h = step;
    if (h < L / kMaxSamplesPerSegment)
        h = L / kMaxSamplesPerSegment;
    else if (L / 4 < h && h < L)
        h = L / 4;
    int samples = 1;
    while (samples < kMaxSamplesPerSegment && samples * h < L)
        ++samples;
    return {h, samples};
}

// Step 4 of the frame: appends the samples of every segment, eval(i, t) giving the point at t on
// segment i.
template <typename Eval>
bool AppendSamples(mgFitCurve& curve, const FitWork& w, double step, Eval eval) {
    long long total = 1;
    for (int i = 0; i + 1 < w.n; ++i)
        total += SampleSegment(w.lengths[i], step).samples;
    if (total > INT_MAX - curve.count() || !curve.reserve(curve.count() + static_cast<int>(total)))
        return false;
    for (int i = 0; i + 1 < w.n; ++i) {
        const SegmentSampling s = SampleSegment(w.lengths[i], step);
        if (!curve.add(w.xs[i], w.ys[i]))
            return false;
        for (int k = 1; k < s.samples; ++k) {
            double x, y;
            eval(i, k * s.h, x, y);
            if (!curve.add(x, y))
                return false;
        }
    }
    return curve.add(w.xs[w.n - 1], w.ys[w.n - 1]);
}

} // namespace

bool CGraphSystem::FitClampedSpline(mgFitCurve& curve, int n, const double* xs, const double* ys, int closed,
                                    double step, double tolerance, coord_type ct) {
    tolerance = draft2d::detail::SplineTolerance(tolerance);
    FitWork w;
    if (!PrepareFit(*this, n, xs, ys, closed != 0, step, tolerance, ct, w))
        return false;
    double sp = 0.0;
    if (!draft2d::detail::SolveTensionSpline(&w.n, w.xs, w.ys, curve.sigma(), tolerance, w.lengths, w.ax,
                                             w.ay, &sp))
        return false;
    return AppendSamples(curve, w, step, [&](int i, double t, double& x, double& y) {
        const double d = w.lengths[i];
        double w0, w1;
        draft2d::detail::TensionWeights(d, sp, t, &w0, &w1);
        x = draft2d::detail::TensionAt(w.xs[i], w.xs[i + 1], w.ax[i], w.ax[i + 1], d, t, w0, w1);
        y = draft2d::detail::TensionAt(w.ys[i], w.ys[i + 1], w.ay[i], w.ay[i + 1], d, t, w0, w1);
    });
}

bool CGraphSystem::FitCubicSpline(mgFitCurve& curve, int n, const double* xs, const double* ys, double step,
                                  double tolerance, coord_type ct, int flags, double sx0, double sy0,
                                  double sx1, double sy1) {
    tolerance = draft2d::detail::SplineTolerance(tolerance);
    FitWork w;
    if (!PrepareFit(*this, n, xs, ys, (flags & SPLINE_CLOSED) != 0, step, tolerance, ct, w))
        return false;
    if (!CalcCubicSpline(&w.n, w.xs, w.ys, tolerance, w.ax, w.ay, w.lengths, flags, sx0, sy0, sx1, sy1))
        return false;
    return AppendSamples(curve, w, step, [&](int i, double t, double& x, double& y) {
        const double d = w.lengths[i];
        x = draft2d::detail::HermiteAt(w.xs[i], w.xs[i + 1], w.ax[i], w.ax[i + 1], d, t);
        y = draft2d::detail::HermiteAt(w.ys[i], w.ys[i + 1], w.ay[i], w.ay[i + 1], d, t);
    });
}

void CGraphSystem::DrawFitCurve(const mgFitCurve& curve) {
    DrawPolyline(curve.count(), curve.xs(), curve.ys(), 0, COORD_SCREEN);
}
