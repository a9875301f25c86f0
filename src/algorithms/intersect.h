// Intersections of segments, infinite lines, arcs, circles and quadrilaterals.
//
// Shapes are passed as plain doubles:
//  - segment ("Line"): x1, y1, x2, y2; the same four values name the infinite line ("Beeline")
//    through both points;
//  - arc: cx, cy, r, start, end; the arc runs counter-clockwise from start to end (radians) and an
//    angle belongs to it as decided by IsMidAngle, so equal angles, or 0 and 2pi, are the full circle;
//  - circle: cx, cy, r, the arc from 0 to 2pi;
//  - rectangle: xs[4], ys[4], the corners in order (it may be rotated); edge i runs from corner i to
//    corner i + 1 and edge 3 back to corner 0; edges are visited in the order 0, 1, 2, 3.
// Functions that combine a straight object with a round one take the round one first.
//
// Results go to caller arrays outx[k], outy[k]. The caller provides room for 1 point (line/line),
// 2 points (a segment or line against an arc, circle or rectangle; arc/arc), or 8 points
// (RectCrossRect, ArcCrossRect, CircleCrossRect). The tolerance is 1e-7 unless noted otherwise.
//
// Bad input never yields a non-finite point: a coordinate, radius or angle that is not finite, or a
// radius that is not positive, gives the failure result (-2 / -1 for the line/line functions, a
// count of 0 otherwise) and nothing is written.
//
// Every function here is exported under its plain name as well (angles.h says how, and which
// names are left out).
#pragma once

#include "draft2d_export.h"

// Segments P1P2 and P3P4.
//  1: the segments meet; the crossing is written, snapped to an end point when it lies within 1e-7
//     (in segment parameter) of one;
//  0: the infinite lines cross outside a segment; their crossing is still written;
// -2: parallel (|cross| <= 1e-7), collinear, or a segment shorter than 1e-7 (|dx| + |dy|); nothing
//     written. Overlapping collinear segments are not reported.
DRAFT2D_EXPORT int LineCrossLine(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                                 double y4, double* outx, double* outy);
// Infinite lines P1P2 and P3P4: 0 with the crossing written, -1 when parallel.
DRAFT2D_EXPORT int BeelineCrossBeeline(double x1, double y1, double x2, double y2, double x3, double y3,
                                       double x4, double y4, double* outx, double* outy);
// Infinite line P1P2 against segment P3P4: 1 when the crossing lies within the segment's coordinate
// ranges (1e-7 slack on the products), 0 when it lies off the segment (still written), -2 parallel.
DRAFT2D_EXPORT int BeelineCrossLine(double x1, double y1, double x2, double y2, double x3, double y3,
                                    double x4, double y4, double* outx, double* outy);

// Arc against arc: 0..2 points, all lying on the first circle. Concentric arcs give 0. For two full
// circles the first point lies to the right of the line from the first centre to the second.
DRAFT2D_EXPORT int ArcCrossArc(double cx1, double cy1, double r1, double s1, double e1, double cx2,
                               double cy2, double r2, double s2, double e2, double* outx, double* outy);
DRAFT2D_EXPORT int CircleCrossCircle(double cx1, double cy1, double r1, double cx2, double cy2, double r2,
                                     double* outx, double* outy);
DRAFT2D_EXPORT int CircleCrossArc(double cx1, double cy1, double r1, double cx2, double cy2, double r2,
                                  double s2, double e2, double* outx, double* outy);

// Arc or circle against a segment: 0..2 points, the one farther from P1 along P1->P2 first. A
// segment whose squared length is below 1e-7 gives 0; a tangent segment gives at most one point.
DRAFT2D_EXPORT int LineCrossArc(double cx, double cy, double r, double s, double e, double x1, double y1,
                                double x2, double y2, double* outx, double* outy);
DRAFT2D_EXPORT int LineCrossCircle(double cx, double cy, double r, double x1, double y1, double x2, double y2,
                                   double* outx, double* outy);
// Arc or circle against the infinite line through P1 and P2, same order.
DRAFT2D_EXPORT int BeelineCrossArc(double cx, double cy, double r, double s, double e, double x1, double y1,
                                   double x2, double y2, double* outx, double* outy);
DRAFT2D_EXPORT int BeelineCrossCircle(double cx, double cy, double r, double x1, double y1, double x2,
                                      double y2, double* outx, double* outy);

// Segment or infinite line against a rectangle: 0..2 distinct points (more than 1e-7 apart), in edge
// order. A crossing at a corner is found by both edges and recorded once, with the corner's exact
// coordinates.
DRAFT2D_EXPORT int LineCrossRect(double x1, double y1, double x2, double y2, const double* xs,
                                 const double* ys, double* outx, double* outy);
DRAFT2D_EXPORT int BeelineCrossRect(double x1, double y1, double x2, double y2, const double* xs,
                                    const double* ys, double* outx, double* outy);
// Rectangle A against rectangle B: 0..8 points, grouped by the edges of A. Points of different edges
// are not compared, so a crossing at a corner of A may appear twice.
DRAFT2D_EXPORT int RectCrossRect(const double* axs, const double* ays, const double* bxs, const double* bys,
                                 double* outx, double* outy);
// Arc or circle against a rectangle: 0..8 points, grouped by edge, without duplicate removal (a
// circle through a corner reports that corner twice).
DRAFT2D_EXPORT int ArcCrossRect(double cx, double cy, double r, double s, double e, const double* xs,
                                const double* ys, double* outx, double* outy);
DRAFT2D_EXPORT int CircleCrossRect(double cx, double cy, double r, const double* xs, const double* ys,
                                   double* outx, double* outy);
