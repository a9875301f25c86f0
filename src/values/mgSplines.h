// mgSplines: the knots of a cubic spline with its end conditions, and a cache of the fitted
// parameters computed on demand by CalcCubicSpline (algorithms/spline.h).
//
// Storage: one zero-filled block of 5·capacity doubles holding, in order, the knot coordinates xs and
// ys, then the fitted parameters hp (chord lengths of the segments), xp and yp (derivatives dx/dt
// and dy/dt at the knots, t the chord length), each capacity long. Default-constructed splines hold
// no block.
//
// End-condition bits of flags: 1 start tangent prescribed (startTangent, an angle in radians),
// 2 parabolic start, 4 end tangent prescribed (endTangent), 8 parabolic end, 64 closed. A curve is
// closed (whatever flags says) when it has more than three knots and its first and last knots lie
// within knotTolerance of each other.
//
// Every change of the knots or flags invalidates the cache; hp(i), xp(i), yp(i) and validateParams()
// refit first. A fit may merge knots that lie closer than knotTolerance to their predecessor, which
// lowers count() and moves later knots down.
//
// Transforms: operator* and *= move every knot by the matrix and turn the two tangent angles by its
// linear part (the direction of (cos a, sin a) after the matrix); the tolerance is kept and the
// fitted parameters are invalidated. A mirror keeps the tangents pointing along the curve.
#pragma once

#include "draft2d_export.h"
#include "values/mgMatrix.h"
#include "values/mgPoint.h"

class CIoBuffer;

class DRAFT2D_EXPORT mgSplines {
public:
    mgSplines();
    mgSplines(int n, mgPoint const* p);
    mgSplines(int n, double const* x, double const* y);
    mgSplines(mgSplines const& o);
    virtual ~mgSplines();
    mgSplines& operator=(mgSplines const& o);

    // Frees the block; everything but knotTolerance becomes 0.
    void clear();

    int capacity() const { return m_capacity; }
    int count() const { return m_count; }
    double* xs() const { return m_xs; }
    double* ys() const { return m_ys; }
    double* hp() const { return m_hp; }
    double* xp() const { return m_xp; }
    double* yp() const { return m_yp; }
    int flags() const { return m_flags; }
    double startTangent() const { return m_startTangent; }
    double endTangent() const { return m_endTangent; }
    double knotTolerance() const { return m_knotTolerance; }

    // Exactly n knots of storage: n equal to the capacity changes nothing, n <= 0 clears. A smaller
    // n cuts the knots (and invalidates the fit). false when the block cannot be had (nothing
    // changes).
    bool setCapacity(int n);
    // n knots in use, growing the storage to exactly n when needed; knots beyond the old count are
    // whatever the storage holds (zero when new). false for n < 0 or when the storage cannot grow.
    bool setCount(int n);
    // Stores knot i (0 <= i < capacity; other indices are refused with false); the count becomes
    // i + 1 when i >= count.
    bool setCoord(int i, double x, double y);
    bool setCoord(int i, mgPoint const& p);
    // Exactly n knots (capacity n); false for n < 0, null coordinates with n > 0, or when the
    // storage cannot be had.
    bool setCoords(int n, mgPoint const* p);
    bool setCoords(int n, double const* x, double const* y);

    // More than three knots and |first - last| <= knotTolerance.
    bool closed() const;
    // 64 when closed(), else flags.
    int splinesFlag() const;
    // Closes the curve: the last knot becomes a copy of the first and flags becomes 64. false with
    // three knots or fewer.
    bool setClose();
    // f = 1 prescribes the start tangent angle; flags = f + the end bits (the closed bit is cleared).
    void setStartFlag(int f, double angle);
    // f = 1 prescribes the end tangent angle (bits 4), f = 2 a parabolic end (bits 8), any other f is
    // taken as the end bits; flags = those bits + the start bits.
    void setEndFlag(int f, double angle);

    // Fits when the cache is stale; true when the parameters are valid afterwards.
    bool validateParams();
    // Parameter i (0 <= i < count) after validateParams(); 0.0 when the fit fails or i is outside.
    double hp(int i);
    double xp(int i);
    double yp(int i);

    // Same count and flags, and the tangents, the tolerance and every knot coordinate within tol
    // (tol <= 0 means 1e-7).
    bool isSame(mgSplines const& o, double tol) const;
    bool operator==(mgSplines const& o) const { return isSame(o, 1e-7); }
    bool operator!=(mgSplines const& o) const { return !isSame(o, 1e-7); }

    mgSplines operator*(mgMatrix const& m) const;
    mgSplines& operator*=(mgMatrix const& m);

    // Record: count (4 bytes), x and y of each knot (8 + 8 bytes, interleaved), flags (4 bytes),
    // startTangent, endTangent and knotTolerance (8 bytes each).
    // Read: a count of zero or below gives false with the spline unchanged. The knots are gathered
    // before the spline is touched and storage grows only with the data actually there, so a count
    // larger than the record cannot cause a huge allocation. Data ending at a value boundary throws
    // CIoBufException(-2); a value cut short sets the buffer's error and gives false; on either
    // failure the spline is unchanged. A stored tolerance below 1e-7 (or NaN) reads as 1e-7. The
    // fitted parameters are recomputed on demand.
    bool Read(CIoBuffer& buf);
    bool Save(CIoBuffer& buf) const;

protected:
    // Fits the knots into hp, xp and yp (CalcCubicSpline); false when the fit fails.
    bool calcParams();
    void invalidateParams() { m_paramsValid = false; }

private:
    bool inStorage(int i) const { return i >= 0 && i < m_capacity; }
    void setBlock(double* block, int capacity);

    int m_capacity;
    int m_count;
    double* m_xs;
    double* m_ys;
    int m_flags;
    double m_startTangent;
    double m_endTangent;
    double m_knotTolerance;
    double* m_hp;
    double* m_xp;
    double* m_yp;
    bool m_paramsValid;
};
