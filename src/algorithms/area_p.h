// Internal helper of PtInArea for callers that test many points against one outline (the grid of a
// filling line type).
#pragma once

#include <vector>

namespace draft2d::detail {

// PtInArea's answer for many points against one outline, computed exactly as PtInArea computes it,
// but with its costly passes (on a vertex, on an edge: square roots and an arctangent per edge)
// only for points that lie near an edge; every other point takes the crossing count alone, which
// is all those passes would have left.
class AreaTest {
public:
    AreaTest(int n, const double* xs, const double* ys); // the arrays must outlive the test
    int At(double x, double y) const;                    // PtInArea(x, y, n, xs, ys, nullptr)

private:
    struct Box {
        double x0, y0, x1, y1;
    };
    int n_;
    const double* xs_;
    const double* ys_;
    std::vector<Box> near_; // per edge: where a point can be on it, or on one of its ends
};

// The crossing pass of PtInArea alone: 0 inside, 1 outside (points on the outline are not told).
int CrossingParity(double x, double y, int n, const double* xs, const double* ys);

} // namespace draft2d::detail
