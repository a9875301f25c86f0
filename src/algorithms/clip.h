// Clipping of segments and circular arcs to axis-aligned rectangles, and the end point reordering
// that prepares two meeting lines for the fillet constructions.
//
// Rectangles are inclusive: a point on an edge is inside. Coordinates that are not finite are
// treated as lying wholly outside, so no clipped result is ever NaN or infinite.
//
// Every function here is exported under its plain name as well (angles.h says how, and which
// names are left out).
#pragma once

#include "draft2d_export.h"

// Cohen-Sutherland clipping of P1P2 to [xmin, xmax] x [ymin, ymax] (note the bound order). Returns
// true when some part lies inside; only then are the clipped end points written (P1's end first).
DRAFT2D_EXPORT bool CS_clip(double x1, double y1, double x2, double y2, double xmin, double xmax, double ymin,
                            double ymax, double* ox1, double* oy1, double* ox2, double* oy2);

// Clips the segment in place to [xmin, xmax] x [ymin, ymax] (bounds in the order xmin, ymin, xmax,
// ymax). Returns 0 when some part lies inside (the four values then hold the clipped segment), -1
// when it lies wholly outside; in that case the end points may already have been moved toward the
// rectangle (the y boundaries are served before the x boundaries).
DRAFT2D_EXPORT int ClipLineInArea(double* x1, double* y1, double* x2, double* y2, double xmin, double ymin,
                                  double xmax, double ymax);

// Splits the arc (centre cx, cy, radius r, counter-clockwise from start to end) at the boundary of the
// rectangle with opposite corners (xa, ya) and (xb, yb), in any order, and delivers the pieces that
// lie inside: piece j runs from (outx[2j], outy[2j]) to (outx[2j+1], outy[2j+1]), in the arc's
// direction. The caller provides room for 9 pieces (18 values in each array).
// Returns the number of pieces (>= 1), 0 when the arc meets the rectangle but no piece lies inside,
// -1 when nothing lies inside (also for a radius that is not positive, or non-finite input).
// An end angle at or below start is taken a whole number of turns later, so the arc sweeps
// (0, 2pi] counter-clockwise; equal angles are the full circle, as for the intersection functions.
DRAFT2D_EXPORT int ClipArcInArea(double cx, double cy, double r, double start, double end, double xa,
                                 double ya, double xb, double yb, double* outx, double* outy);

// Makes P the first vertex of the lines P1P2 and P3P4 that meet at P, keeping each far end as the
// second vertex. Line 1 is left unchanged when P lies strictly inside it, off it, or when it is
// degenerate; line 2 always starts at P afterwards (its old first vertex becomes the second unless P
// was at P3 or before it).
DRAFT2D_EXPORT void ChangeLineVertex(double* x1, double* y1, double* x2, double* y2, double* x3, double* y3,
                                     double* x4, double* y4, double* px, double* py);
