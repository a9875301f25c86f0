// Internal helpers of spline fitting, shared by CalcCubicSpline and the view's curve fitting.
#pragma once

namespace draft2d::detail {

// The tolerance the fitting uses for a requested one: anything not at least 1e-7 (negative, zero,
// NaN) becomes 1e-7, so duplicate points are always merged before a length is divided by.
inline double SplineTolerance(double tolerance) {
    return tolerance >= 1e-7 ? tolerance : 1e-7;
}

// Thins the points in place: a point closer than tolerance to the point kept before it is dropped
// and the rest move down. Returns the new count (n itself when n <= 1). O(n).
int RemoveNearPoints(int n, double* xs, double* ys, double tolerance);

// The cubic Hermite piece of a segment of length d from x0 (derivative t0) to x1 (derivative t1),
// at parameter t in [0, d].
inline double HermiteAt(double x0, double x1, double t0, double t1, double d, double t) {
    const double c2 = (3.0 * (x1 - x0) / d - (2.0 * t0 + t1)) / d;
    const double c3 = (t0 + t1 + 2.0 * (x0 - x1) / d) / (d * d);
    return x0 + t * (t0 + t * (c2 + t * c3));
}

// Spline under tension sigma through the n points (xs, ys). The points are first thinned in place
// as by RemoveNearPoints (*n updated), and the tolerance is taken as SplineTolerance gives it.
// The curve is closed when the first and last points lie closer than tolerance. Its end tangents
// are the directions of the first and last chords; a closed curve takes the first chord's direction
// at both ends, so it closes smoothly.
//
// On segment k (d = L_k, written to lengths[k]) with s = sigmaScaled:
//   x(t) = (sinh(s(d - t)) zx_k + sinh(s t) zx_{k+1}) / sinh(s d)
//          + (d - t)(x_k - zx_k)/d + t (x_{k+1} - zx_{k+1})/d
// where z = x'' / s^2 solves a tridiagonal system. Writes zx, zy (n each) and sigmaScaled
// (sigma (n - 1) / total length). false when fewer than two distinct points remain, a point is not
// finite, the work array cannot be had or the system is singular.
bool SolveTensionSpline(int* n, double* xs, double* ys, double sigma, double tolerance, double* lengths,
                        double* zx, double* zy, double* sigmaScaled);

// The hyperbolic weights of the tension curve of a segment (length d, scaled tension s) at t:
// w0 = sinh(s(d - t)) / sinh(s d) and w1 = sinh(s t) / sinh(s d), computed from exponentials of
// differences so that they stay finite for any s d. One pair serves both coordinates.
void TensionWeights(double d, double s, double t, double* w0, double* w1);

// The tension curve of one segment at t, given the weights of t.
inline double TensionAt(double x0, double x1, double z0, double z1, double d, double t, double w0,
                        double w1) {
    return w0 * z0 + w1 * z1 + (d - t) * (x0 - z0) / d + t * (x1 - z1) / d;
}

} // namespace draft2d::detail
