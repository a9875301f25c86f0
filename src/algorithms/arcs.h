// Arc and tangent construction: the bounding box of an arc, the circle through three points, the arc
// leaving a point along a tangent, and fillets (circles and arcs tangent to two lines, which also
// trim the lines to the tangent points).
//
// Angles are radians, counter-clockwise positive in a y-up plane. An arc direction code is -1 for
// counter-clockwise and 1 for clockwise; a signed sweep is positive counter-clockwise and pairs
// with a start angle in (-pi, pi] as given by GetLineAngle.
//
// Every function here is exported under its plain name as well (angles.h says how, and which
// names are left out).
#pragma once

#include "draft2d_export.h"

// Bounding box of the arc running counter-clockwise from start to end (equal angles, or 0 and 2pi,
// are the full circle). Note the order of the outputs: xmin, ymax, xmax, ymin. The box is that of
// the two end points, widened to every quadrant point (angle 0, pi/2, pi, 3pi/2) that lies on the
// arc within 1e-5 rad. A negative radius is the arc of radius |r| through the same points; input
// that is not finite leaves the outputs unchanged.
DRAFT2D_EXPORT void GetArcBoundBox(double cx, double cy, double r, double start, double end, double* xmin,
                                   double* ymax, double* xmax, double* ymin);

// Circle through (xs[i], ys[i]), i = 0..2. Fails (false, *r = -1) when two points coincide within
// 1e-7 in both coordinates or the points are collinear (twice the triangle area at most 1e-7).
// *dir, when dir is not null, is -1 when P0 -> P1 -> P2 runs counter-clockwise, else 1.
DRAFT2D_EXPORT bool CalcCenterForArc(const double* xs, const double* ys, double* cx, double* cy, double* r,
                                     int* dir);
// The same circle as the arc from P0 through P1 to P2: *start is the direction of P0 from the
// centre (by GetLineAngle) and *sweep the signed sweep to P2. On failure start and sweep are 0.
DRAFT2D_EXPORT bool CalcCenterForArc2(const double* xs, const double* ys, double* cx, double* cy, double* r,
                                      double* start, double* sweep);

// The arc that starts at P0 with tangent direction (tx, ty) and ends at P1. Its centre is the
// crossing of the perpendicular bisector of P0P1 with the normal of the tangent at P0. Fails
// (false, outputs 0 and *dir -1) when P0 and P1 coincide, the tangent is null, or the chord runs
// along the tangent within about 1e-5 rad (the radius would be unbounded); any other sweep
// strictly between 0 and 2pi can be built.
DRAFT2D_EXPORT bool CalcTangentArc(double x0, double y0, double x1, double y1, double tx, double ty,
                                   double* cx, double* cy, double* r, int* dir);
DRAFT2D_EXPORT bool CalcTangentArc2(double x0, double y0, double x1, double y1, double tx, double ty,
                                    double* cx, double* cy, double* r, double* start, double* sweep);

// Angle between the directions P1->P2 and P3->P4, in [0, pi] (0 for input that is not finite).
DRAFT2D_EXPORT double AngleBetweenTwoLine(double x1, double y1, double x2, double y2, double x3, double y3,
                                          double x4, double y4);

// The fillet functions take the two lines P1P2 and P3P4 as pointers, because they trim or reorder the
// end points in place, and return 0, or -1 on failure. A failure may come after the lines were
// reordered or the crossing was written into *cx, *cy. Lines shorter than 1e-7 (|dx| + |dy|) or
// coordinates that are not finite fail before anything is written.
//
// Half circle joining the end of line 1 chosen by side (P2 when side is non-zero, else P1) to the
// parallel line 2: *r becomes half the distance of the lines and the centre lies midway between that
// end and its foot F on line 2; the end of line 2 on the side of F away from the rest of line 2 is
// moved to F. Fails for collinear lines and when the fillet would run away from line 1.
DRAFT2D_EXPORT int CircleTanForParallel(double* x1, double* y1, double* x2, double* y2, double* x3,
                                        double* y3, double* x4, double* y4, double* r, double* cx, double* cy,
                                        int side);
// Circle of radius *r tangent to two crossing lines, in the angle between the rays from their
// crossing toward P2 and toward P4 after ChangeLineVertex has made the crossing their first vertex.
// Fails when the lines meet at less than 15 or more than 165 degrees, or *r is not positive.
// Parallel lines are handed to CircleTanForParallel, which sets *r.
DRAFT2D_EXPORT int CircleTanForTwoLine(double* x1, double* y1, double* x2, double* y2, double* x3, double* y3,
                                       double* x4, double* y4, double* r, double* cx, double* cy, int side);
// Fillet arc of CircleTanForTwoLine with its end angles (counter-clockwise from *start to *end, the
// shorter way for crossing lines), trimming line 1 to start at the tangent point T1 and line 2 at T2.
// For parallel lines side picks the end of line 1 and the direction of the half circle.
DRAFT2D_EXPORT int ArcTanForTwoLine(double* x1, double* y1, double* x2, double* y2, double* x3, double* y3,
                                    double* x4, double* y4, double* r, double* cx, double* cy, double* start,
                                    double* end, int side);
