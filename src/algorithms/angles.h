// Angles, distances and point/segment predicates: the bottom layer of the geometry functions.
//
// Conventions of the whole family:
//  - plane axes are mathematical (x right, y up); counter-clockwise, left and right refer to that frame;
//  - angles are radians unless the name says degrees (Deg..., ...0_360) or packed D.MMSS (Dms...);
//  - a predicate returns 1 for true and 0 for false; a status is 0 for success and -1 for failure;
//  - each tolerance is compared with a stated sense (strict or not); callers depend on the boundaries.
//
// Names. The functions of this header and of the other algorithms headers (intersect.h, clip.h,
// arcs.h, spline.h, helpers.h) are free functions of the global namespace with C++ linkage, and a
// host that includes the headers links against their C++ names. Hosts and bindings that look
// functions up by name (GetProcAddress, dlsym) find each of them under its plain name as well: the
// library exports that name as a second entry for the same code (the tables are plain_names.def for
// the DLL and plain_names.ld for the shared object, beside the library's sources). Exceptions,
// reachable by their C++ names only:
//  - round(double, int): its plain name is the C runtime's round(double). The two live side by
//    side as C++ overloads; a plain round of ours would take the C runtime's place in the host.
// A plain name names one function. None of these names is overloaded in the library; should one
// gain an overload, its plain name stays with the signature declared first, the one hosts already
// look up, and the new overload has its C++ name only.
#pragma once

#include "draft2d_export.h"

// floor(x * 10^digits + 0.5) / 10^digits, digits clamped to [-5, 7]; halves go toward +infinity.
DRAFT2D_EXPORT double round(double x, int digits);
// x rounded as by round(x, digits), printed with six decimals and shortened: digits <= 0 drops the
// decimal point, 1..6 keeps that many decimals without trailing zeros, 7 or more keeps all six.
// The text lives in one static buffer that the next call overwrites.
DRAFT2D_EXPORT const char* RoundStr(double x, int digits);

// Packed degrees D.MMSSs <-> decimal degrees. Minutes and seconds are not range-checked on input.
DRAFT2D_EXPORT double Dms2Deg(double dms);
DRAFT2D_EXPORT double Deg2Dms(double deg);

DRAFT2D_EXPORT double DegSin(double deg);
DRAFT2D_EXPORT double DegCos(double deg);
DRAFT2D_EXPORT double Deg2Rad(double deg);
DRAFT2D_EXPORT double Rad2Deg(double rad);

// Normalisers. Each result lies in its range; a value within 1e-5 below the top snaps to the bottom.
// A value that is not finite gives NaN.
DRAFT2D_EXPORT double SetAngle0_360(double deg); // [0, 360)
DRAFT2D_EXPORT double SetAngle0_2PI(double a);   // [0, 2pi)
DRAFT2D_EXPORT double SetAnglePI(double a);      // [-pi, pi)
DRAFT2D_EXPORT double SetAnglePI2(double a);     // [-pi/2, pi/2)
DRAFT2D_EXPORT double SetAngle0_PI(double a);    // [0, pi)

// Direction halfway along the counter-clockwise sweep from a1 to a2.
DRAFT2D_EXPORT double AngleBisector(double a1, double a2);
// 1 when angle lies on the counter-clockwise arc from start to end (1e-5 slack at both ends);
// equal start and end mean the full circle.
DRAFT2D_EXPORT int IsMidAngle(double start, double end, double angle);
// Counter-clockwise sweep from a1 to a2 in [0, 2pi); 0 when the two differ by less than 1e-7.
DRAFT2D_EXPORT double AngleBetween(double a1, double a2);

// out = (x, y) + dist * (cos angle, sin angle).
DRAFT2D_EXPORT void CalcDistPoint(double x, double y, double angle, double dist, double* outx, double* outy);
// Quick rejection: 0 when both end points lie strictly beyond the same edge of the rectangle.
DRAFT2D_EXPORT int LineInArea(double x1, double y1, double x2, double y2, double xmin, double ymin,
                              double xmax, double ymax);
// Direction of P1->P2 in (-pi, pi]; a segment with |dx| < 1e-5 is vertical (+-pi/2).
DRAFT2D_EXPORT double GetLineAngle(double x1, double y1, double x2, double y2);
// Signed angle from vector 1 to vector 2 in (-pi, pi].
DRAFT2D_EXPORT double CalcAngleBetween(double dx1, double dy1, double dx2, double dy2);
// tol is a squared chord length between the unit vectors; a null vector is parallel to anything.
DRAFT2D_EXPORT int IsParallel(double dx1, double dy1, double dx2, double dy2, double tol);
// tol is the largest |cosine| accepted; a null vector is perpendicular to anything.
DRAFT2D_EXPORT int IsPerpendicular(double dx1, double dy1, double dx2, double dy2, double tol);

// The three tests below use c = (x2 - x1)(y3 - y1) - (x3 - x1)(y2 - y1), twice the signed area.
DRAFT2D_EXPORT int IsColinear(double x1, double y1, double x2, double y2, double x3, double y3,
                              double tol); // |c| < tol
DRAFT2D_EXPORT int IsLeft(double x1, double y1, double x2, double y2, double x3, double y3,
                          double tol); // c > tol
DRAFT2D_EXPORT int IsLeftOn(double x1, double y1, double x2, double y2, double x3, double y3,
                            double tol); // c >= tol
// Collinear (as IsColinear) and inside the closed range of the segment.
DRAFT2D_EXPORT int IsBetween(double x1, double y1, double x2, double y2, double x3, double y3, double tol);

// Ruler coordinates to plane: out = P1 + along * u + across * left normal of u. Returns 0, or -1 for a
// ruler shorter than tol in both coordinates (then out = P1 + (along, across)).
DRAFT2D_EXPORT int usu_ruler_xy2(double x1, double y1, double x2, double y2, double along, double across,
                                 double* outx, double* outy, double tol);
// Same with the second axis to the right of the ruler; always 0.
DRAFT2D_EXPORT int usu_ruler_xy(double x1, double y1, double x2, double y2, double along, double right,
                                double* outx, double* outy);

// Distance from P to the segment P1P2.
DRAFT2D_EXPORT double GetDist(double x1, double y1, double x2, double y2, double px, double py);
// Distance from P to the infinite line P1P2 and the foot of the perpendicular (pointers may be null).
DRAFT2D_EXPORT double Dist_Pt2Line(double x1, double y1, double x2, double y2, double px, double py,
                                   double* footx, double* footy);
// Classification of P against segment P1P2: 0x80 degenerate, 0x41 at start, 0x42 at end, 0x40 inside,
// 0x44 on the line before the start, 0x48 beyond the end, 0x10 right, 0x20 left.
DRAFT2D_EXPORT int svw_check_left_right(double x1, double y1, double x2, double y2, double px, double py);
// Point against closed polygon: 0 inside, 1 outside, 2 on an edge, 4 on a vertex (index may be null;
// it receives the edge or vertex number).
DRAFT2D_EXPORT int PtInArea(double x, double y, int n, const double* xs, const double* ys, int* index);
// Crossing of the infinite lines P1P2 and P3P4 into out[0], out[1]; -1 when parallel.
DRAFT2D_EXPORT int Cross2Line(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                              double y4, double* out);
// Crossing of a1 x + b1 y + c1 = 0 and a2 x + b2 y + c2 = 0; -1 when parallel.
DRAFT2D_EXPORT int CrossLine(double a1, double b1, double c1, double a2, double b2, double c2, double* outx,
                             double* outy, double tol);

// Mid point of the segment; result is its distance to P.
DRAFT2D_EXPORT double CalcLineMidPoint(double x1, double y1, double x2, double y2, double px, double py,
                                       double* mx, double* my);
// Nearest point of the segment to P; result is the distance.
DRAFT2D_EXPORT double CalcLineNearPoint(double x1, double y1, double x2, double y2, double px, double py,
                                        double* nx, double* ny);
// Nearest point of the circle to P; result is |d - r|.
DRAFT2D_EXPORT double CalcCircleNearPoint(double cx, double cy, double r, double px, double py, double* nx,
                                          double* ny);
// Nearest point of the four edges of the quadrilateral xs[0..3], ys[0..3]; on a tie the earlier edge wins.
DRAFT2D_EXPORT double CalcRectNearPoint(const double* xs, const double* ys, double px, double py, double* nx,
                                        double* ny);
