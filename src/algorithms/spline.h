// Spline fitting: the cubic spline solver shared by mgSplines and the view's curve fitting, and a
// small dense linear solver.
//
// The curves are parametric in chord length: segment k runs from point k to point k + 1 and its
// parameter t runs from 0 to L_k = |P_{k+1} - P_k|. A cubic spline is described by its derivatives
// T_k = (dx_k, dy_k) = dP/dt at the points; on segment k (d = L_k) it is the cubic Hermite piece
//   x(t) = x_k + t*(dx_k + t*((3(x_{k+1} - x_k)/d - (2 dx_k + dx_{k+1}))/d
//                             + t*(dx_k + dx_{k+1} + 2(x_k - x_{k+1})/d)/d^2))
// and likewise for y. Derivatives of a unit-speed curve have length about 1.
//
// Every function here is exported under its plain name as well (angles.h says how, and which
// names are left out).
#pragma once

#include "draft2d_export.h"

// End conditions of CalcCubicSpline, tested in this order. Without a start bit the start is
// natural (no curvature), without an end bit the end is natural. SPLINE_CLOSED overrides the rest.
enum {
    SPLINE_START_TANGENT = 0x01,   // T_0 = (sx0, sy0)
    SPLINE_START_PARABOLIC = 0x02, // the first segment is a parabola
    SPLINE_END_TANGENT = 0x04,     // T_{n-1} = (sx1, sy1)
    SPLINE_END_PARABOLIC = 0x08,   // the last segment is a parabola
    SPLINE_CLOSED = 0x40           // periodic: the curve closes with continuous curvature
};

// Fits a cubic spline with continuous curvature through the n points (xs, ys).
//
// First the points are thinned in place: walking from the first point, a point closer than
// tolerance to the point kept before it is removed (later points move down, *n decreases). A
// tolerance below 1e-7, negative or NaN means 1e-7. Then the curve is closed when the first and
// last points lie closer than tolerance (or flags has SPLINE_CLOSED); a closed curve's last point
// stays where it is, and its derivatives at the two ends are equal.
//
// Writes lengths[k] = L_k for k = 0 ... n-2 and the derivatives dx[k], dy[k] for k = 0 ... n-1
// (n as thinned). false when any pointer is null, fewer than two distinct points remain (three for
// a closed curve), a point is not finite, or the system is singular (the parabolic conditions at
// both ends of a single segment); the contents of dx and dy are then unspecified.
//
// Open curves solve a tridiagonal system, closed ones a cyclic tridiagonal system; both cost O(n)
// and allocate one work array of 3n doubles.
DRAFT2D_EXPORT bool CalcCubicSpline(int* n, double* xs, double* ys, double tolerance, double* dx, double* dy,
                                    double* lengths, int flags, double sx0, double sy0, double sx1,
                                    double sy1);

// Solves the n x n system a * X = B for two right-hand sides by elimination with partial pivoting.
// a holds the matrix row by row and is destroyed; bx and by hold the right-hand sides and receive
// the solutions. false when n <= 0, a pointer is null, or a pivot's magnitude falls below 1e-7 (bx
// and by are then partly transformed). O(n^3).
DRAFT2D_EXPORT bool GaussJordan(int n, double* a, double* bx, double* by);
