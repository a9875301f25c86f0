// mgFitCurve: the sampled points of a fitted curve (CGraphSystem::FitClampedSpline, FitCubicSpline)
// and the tension factor sigma of FitClampedSpline.
//
// The points live in two heap arrays xs and ys of `capacity` doubles each, grown in steps of 512
// points. The fits append and never clear. An allocation failure empties the curve (count and
// capacity 0, no arrays) and is reported as false; a curve is never left with a null array and a
// capacity. Coordinates are whatever the filler used (the fits: screen pixels).
#pragma once

#include "draft2d_export.h"

class DRAFT2D_EXPORT mgFitCurve {
public:
    mgFitCurve();
    // Copies hold exactly count points (capacity = count); if the arrays cannot be had the copy is
    // empty. sigma is copied in any case.
    mgFitCurve(mgFitCurve const& o);
    mgFitCurve& operator=(mgFitCurve const& o);
    virtual ~mgFitCurve();

    // Frees both arrays; count and capacity become 0, sigma is kept.
    void clear();
    // Room for at least n points: the capacity becomes n rounded up to a multiple of 512, the points
    // kept. false (after clear()) when the arrays cannot grow.
    bool reserve(int n);
    // Appends a point, growing to the next multiple of 512 when full; false (after clear()) when the
    // arrays cannot grow.
    bool add(double x, double y);

    // Point i; 0.0 for i < 0 or i >= count.
    double x(int i) const;
    double y(int i) const;
    // More than two points and |first - last| < tol (tol <= 0 or NaN means 1e-7).
    bool closed(double tol) const;

    // sigma limited to [0.1, 10]; anything not >= 0.1, NaN included, gives 0.1.
    void setSigma(double s);
    double sigma() const { return m_sigma; }
    int count() const { return m_count; }
    int capacity() const { return m_capacity; }
    double* xs() const { return m_xs; }
    double* ys() const { return m_ys; }

private:
    int m_count;
    int m_capacity;
    double* m_xs;
    double* m_ys;
    double m_sigma;
};
