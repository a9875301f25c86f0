// mgPoly: an ordered list of vertices (polyline or polygon outline) with index-based editing;
// AddCoords / ReadCoords: a plain list of points as a nested record.
//
// The vertices live in two parallel coordinate arrays carved out of one zero-filled block of
// 2·capacity doubles: xs at its start, ys = xs + capacity. Whenever an operation needs more room the
// block is replaced by one for (needed count + 32) vertices; only setCapacity sets an exact size.
// Entries between count and capacity are zero after growth but not cleared by every operation.
//
// Indices are checked: an index outside the storage (0 … capacity − 1), a negative count, or a null
// coordinate array with a positive count leaves the polyline unchanged (the getters give 0), and
// operations report the count or capacity they would otherwise return.
#pragma once

#include "draft2d_export.h"
#include "values/AcArray.h"
#include "values/mgMatrix.h"
#include "values/mgPoint.h"
#include "values/mgRect.h"

class CIoBuffer;

class DRAFT2D_EXPORT mgPoly {
public:
    mgPoly();
    mgPoly(int n, double const* x, double const* y);
    mgPoly(int n, mgPoint const* p);
    mgPoly(mgPoly const& o);
    virtual ~mgPoly();
    mgPoly& operator=(mgPoly const& o);

    // Forgets the block without freeing it (the caller has taken it over).
    void reset();
    // Frees the block; capacity and count become 0.
    void clear();

    int capacity() const { return m_capacity; }
    int count() const { return m_count; }
    double* xs() const { return m_xs; }
    double* ys() const { return m_ys; }

    // Exact capacity n (a fresh zeroed block, vertices kept up to n); returns the new count.
    int setCapacity(int n);
    // count = n, growing to n + 32 when n >= capacity; returns the capacity.
    int setCount(int n);

    // Vertex i; indices outside the storage give 0.
    double getCoordX(int i) const;
    double getCoordY(int i) const;
    mgPoint getCoord(int i) const;
    // Stores vertex i (i within the storage; it is not grown); count becomes i + 1 when i >= count.
    // Returns the count.
    int setCoord(int i, double x, double y);
    int setCoord(int i, mgPoint& p);
    // Overwrites vertices i … i + n − 1, growing when i + n >= capacity; count becomes
    // max(count, i + n). Returns the count.
    int setCoords(int i, int n, double const* x, double const* y);
    int setCoords(int i, int n, mgPoint const* p);
    // Appends n vertices.
    int setCoords(int n, double* x, double* y);
    int setCoords(int n, mgPoint* p);
    // Inserts n vertices before index i; at or beyond the end the count becomes i + n, the vertices
    // between keeping what the storage holds (zero after growth). Returns the count.
    int insertCoords(int i, int n, double const* x, double const* y);
    int insertCoords(int i, int n, mgPoint const* p);
    int insertCoord(int i, double x, double y);
    int insertCoord(int i, mgPoint const& p);
    // Removes n vertices from index i (0 <= i < count). n = −1, or a range running past the end,
    // removes up to the last vertex. The vertices after a removed middle range move down to close
    // the gap; the n entries vacated at the end of the list are zeroed. Returns the new count.
    int deleteCoords(int i, int n);

    // Same count and every vertex within tol in x and y (tol < 0 means 1e-7); empty lists are equal.
    bool issame(mgPoly const& o, double tol) const;
    bool operator==(mgPoly const& o) const { return issame(o, -1.0); }
    bool operator!=(mgPoly const& o) const { return !issame(o, -1.0); }

    // unionRect of every vertex into the all-zero rectangle (so one vertex gives a 4e-7 square).
    mgRect CalcExtent() const;
    mgPoly& operator*=(mgMatrix const& m);
    mgPoly operator*(mgMatrix const& m) const;

    // Record: the count (4 bytes), then x and y of each vertex (8 bytes each, interleaved).
    // Read: a zero or negative count gives false with the polyline unchanged. The vertices are
    // gathered before the polyline is touched and storage grows only with the data actually read,
    // so a count larger than the record cannot cause a huge allocation. Data ending at a value
    // boundary throws CIoBufException(−2) (as does a missing record); a value cut short sets the
    // buffer's error and gives false. On either failure the polyline is left unchanged.
    bool Read(CIoBuffer& buf);
    bool Save(CIoBuffer& buf) const;

private:
    // Replaces the block by a zeroed one for n vertices, keeping the first `keep` vertices.
    void reallocate(int n, int keep);
    // Makes room for `needed` vertices (growth rule: needed + 32 when needed >= capacity).
    // False when needed cannot be represented.
    bool ensure(int needed);
    bool inStorage(int i) const { return i >= 0 && i < m_capacity; }

    int m_capacity;
    int m_count;
    double* m_xs;
    double* m_ys;
};

// Appends a coordinate list to buf as a nested buffer: its length 16·n, then x and y of each point.
// n <= 0 (or a null pts) writes an empty list. Returns the result of the append.
DRAFT2D_EXPORT bool AddCoords(CIoBuffer& buf, int n, mgPoint const* pts);
// Reads a coordinate list written by AddCoords into arr: the array's storage becomes exactly n
// points (n = nested length / 16; a trailing remainder is ignored) and its length n. False only when
// the nested buffer cannot be read (buf's error −3); arr is then unchanged.
DRAFT2D_EXPORT bool ReadCoords(CIoBuffer& buf, AcArray<mgPoint, AcArrayMemCopyReallocator<mgPoint>>& arr);
