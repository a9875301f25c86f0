// Direct pixel renderers: flattening to whole-pixel figures, one-pixel lines and polygon fills (see
// raster_p.h for the pixel model).
#include "platform/posix/raster_p.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace draft2d::detail {

const uint8_t kHatchRows[6][8] = {
    {0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00}, // HS_HORIZONTAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08}, // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}, // HS_BDIAGONAL
    {0x08, 0x08, 0x08, 0xff, 0x08, 0x08, 0x08, 0x08}, // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, // HS_DIAGCROSS
};

namespace {

__extension__ typedef __int128 Wide;

// Coordinates stay within ±2^40 pixels, so that the products of the renderers fit in 128 bits (and
// their results in 64); nothing that far out is visible anyway.
constexpr double kCoordLimit = 1099511627776.0;

long long toFix(double v) {
    if (!(v == v))
        return 0;
    return static_cast<long long>(
        std::floor(std::min(std::max(v, -kCoordLimit), kCoordLimit) * kFixOne + 0.5));
}

// floor(n / d) and ceil(n / d) for d > 0, in 64 or 128 bits.
template <typename I>
I floorDiv(I n, I d) {
    I q = n / d;
    if (n % d != 0 && n < 0)
        --q;
    return q;
}

template <typename I>
I ceilDiv(I n, I d) {
    I q = n / d;
    if (n % d != 0 && n > 0)
        ++q;
    return q;
}

struct DPoint {
    double x, y;
};

// ---- Flattening -----------------------------------------------------------------------------------

class Flattener {
public:
    Flattener(long long w, long long h) : w_(static_cast<double>(w)), h_(static_cast<double>(h)) {}

    std::vector<FixFigure> run(const std::vector<PathPoint>& path) {
        const size_t n = path.size();
        DPoint last{0, 0};
        for (size_t i = 0; i < n;) {
            const PathPoint& p = path[i];
            bool closes = p.closes;
            if (p.type == PathPoint::Move || i == 0) {
                finish(false);
                last = {p.x, p.y};
                add(last);
                ++i;
            } else {
                if (cur_.pts.empty())
                    add(last); // a figure after a closed one starts where that one ended
                if (p.type == PathPoint::Line) {
                    last = {p.x, p.y};
                    add(last);
                    ++i;
                } else if (i + 2 >= n) {
                    // A Bézier needs three points; a truncated one ends as a line.
                    last = {path.back().x, path.back().y};
                    add(last);
                    closes = path.back().closes;
                    i = n;
                } else {
                    const DPoint c1{path[i].x, path[i].y}, c2{path[i + 1].x, path[i + 1].y},
                        e{path[i + 2].x, path[i + 2].y};
                    bezier(last, c1, c2, e, 0);
                    last = e;
                    closes = path[i + 2].closes;
                    i += 3;
                }
            }
            if (closes)
                finish(true);
        }
        finish(false);
        return std::move(figs_);
    }

private:
    void add(const DPoint& p) {
        const FixPoint q{toFix(p.x), toFix(p.y)};
        if (cur_.pts.empty() || !(cur_.pts.back() == q))
            cur_.pts.push_back(q);
    }

    void finish(bool closed) {
        if (closed && cur_.pts.size() > 1 && cur_.pts.back() == cur_.pts.front())
            cur_.pts.pop_back();
        if (cur_.pts.size() > 1) {
            cur_.closed = closed;
            figs_.push_back(std::move(cur_));
        }
        cur_ = FixFigure{};
    }

    // The curve lies in the convex hull of its control points: a hull outside the view (with a margin
    // for the rounding) keeps the curve outside, and so does its chord.
    bool outside(const DPoint& a, const DPoint& b, const DPoint& c, const DPoint& d) const {
        constexpr double m = 2;
        return std::max({a.x, b.x, c.x, d.x}) < -m || std::min({a.x, b.x, c.x, d.x}) > w_ + m ||
               std::max({a.y, b.y, c.y, d.y}) < -m || std::min({a.y, b.y, c.y, d.y}) > h_ + m;
    }

    // The chord of a cubic is within 3/4 · max(|p0 − 2p1 + p2|, |p1 − 2p2 + p3|) of the curve; halving
    // the curve quarters that bound.
    void bezier(const DPoint& p0, const DPoint& p1, const DPoint& p2, const DPoint& p3, int depth) {
        const double ax = p0.x - 2 * p1.x + p2.x, ay = p0.y - 2 * p1.y + p2.y;
        const double bx = p1.x - 2 * p2.x + p3.x, by = p1.y - 2 * p2.y + p3.y;
        const double l = std::sqrt(std::max(ax * ax + ay * ay, bx * bx + by * by));
        if (depth >= 32 || !(0.75 * l > kFlatness) || outside(p0, p1, p2, p3)) {
            add(p3);
            return;
        }
        const DPoint q0{(p0.x + p1.x) / 2, (p0.y + p1.y) / 2}, q1{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2},
            q2{(p2.x + p3.x) / 2, (p2.y + p3.y) / 2};
        const DPoint r0{(q0.x + q1.x) / 2, (q0.y + q1.y) / 2}, r1{(q1.x + q2.x) / 2, (q1.y + q2.y) / 2};
        const DPoint s{(r0.x + r1.x) / 2, (r0.y + r1.y) / 2};
        bezier(p0, q0, r0, s, depth + 1);
        bezier(s, r1, q2, p3, depth + 1);
    }

    double w_, h_;
    FixFigure cur_;
    std::vector<FixFigure> figs_;
};

} // namespace

std::vector<FixFigure> toFixFigures(const std::vector<PathPoint>& path, long long viewWidth,
                                    long long viewHeight) {
    return Flattener(viewWidth, viewHeight).run(path);
}

// ---- One-pixel lines ------------------------------------------------------------------------------

PixelLine::PixelLine(Surface& surface, const LinePen& pen) : surf_(surface) {
    px_ = surf_.beginDirect();
    stride_ = surf_.strideWords();
    w_ = surf_.width;
    h_ = surf_.height;
    color_ = pen.color;
    bk_ = pen.background;
    opaqueGaps_ = pen.opaqueGaps;
    for (long long d : pen.dashes)
        dash_.push_back(std::max<long long>(1, d));
    for (long long d : dash_)
        period_ += d;
}

PixelLine::~PixelLine() {
    surf_.endDirect();
}

void PixelLine::figures(const std::vector<FixFigure>& figs) {
    for (const FixFigure& f : figs) {
        for (size_t i = 1; i < f.pts.size(); ++i)
            fixLine(f.pts[i - 1], f.pts[i]);
        if (f.closed)
            fixLine(f.pts.back(), f.pts.front());
    }
}

void PixelLine::line(long long x0, long long y0, long long x1, long long y1) {
    const long long adx = std::llabs(x1 - x0), ady = std::llabs(y1 - y0);
    if ((adx == 0 && ady == 0) || !px_)
        return;
    if (period_ == 0 && solidLineFits(w_, h_, x0, y0, x1, y1)) {
        solidLinePixels(px_, stride_, x0, y0, x1, y1, color_);
        return;
    }
    fixLine(FixPoint{x0 * kFixOne, y0 * kFixOne}, FixPoint{x1 * kFixOne, y1 * kFixOne});
}

// A segment seen along its major axis in its direction of travel: major coordinates t (fixed point,
// t0 < t1, the negated coordinate where the segment runs towards smaller ones), the minor coordinate s
// with s(t) = s0 + ss · as · (t − t0) / am. Travel columns ct are pixel columns along t (the pixel's
// major coordinate is ms · ct).
//
// GDI's rule for lines with fractional ends (grid intersect quantisation): a pixel is lit when the line
// leaves its diamond |x − px| + |y − py| < 1/2. Between its ends a line lights one pixel per column,
// the one whose diamond it crosses, i.e. the row nearest to s(ct); at the ends the exit decides: the
// first column is lit when the line leaves its diamond after the start, the last when it leaves it at
// or before the end. With whole-pixel ends this is "first pixel drawn, last not"; where two segments
// of a flattened curve meet, the pixel around their shared vertex is lit by exactly one of them, and
// consecutive pixels always touch.
//
// The arithmetic is exact, in 64 bits where the coordinates allow (within a million pixels of the
// origin, products stay below 2^62) and in 128 bits elsewhere.
struct Travel {
    long long t0, t1, s0, am, as, ss;
    bool tieUp; // at a tie the row on the side of +ss
};

namespace {

template <typename I>
struct TravelMath {
    const Travel& tr;

    I denom() const { return static_cast<I>(tr.am) * kFixOne; }

    // The line's minor position at travel column ct, times denom().
    I numAt(long long ct) const {
        return static_cast<I>(tr.s0) * tr.am +
               tr.ss * static_cast<I>(tr.as) * (static_cast<I>(ct) * kFixOne - tr.t0);
    }

    // Row nearest to the line at travel column ct, and the line's offset from it, eN / denom().
    long long rowAt(long long ct, I& eN) const {
        const I d = denom(), num = numAt(ct);
        const I r2 = 2 * num + d;
        I k = floorDiv<I>(r2, 2 * d);
        if (r2 == k * 2 * d && !tr.tieUp)
            --k;
        eN = num - k * d;
        return static_cast<long long>(k);
    }

    // Whether the line leaves the diamond of travel column ct after the major position g (fixed point).
    // Inside the diamond, at offset e from its centre and slope m = ss · as / am, the line leaves it
    // after u = min((1/2 − e) / (1 + m), (1/2 + e) / (1 − m)) columns; exit = ct + u.
    bool exitsAfter(long long ct, long long g) const {
        I eN;
        rowAt(ct, eN);
        const I d = denom(), h = static_cast<I>(g) - static_cast<I>(ct) * kFixOne;
        // 16 · u > h for both candidates (a zero slope term means that edge is never reached).
        const I pa = static_cast<I>(tr.am) + tr.ss * tr.as, pb = static_cast<I>(tr.am) - tr.ss * tr.as;
        const bool a = pa <= 0 || kFixOne * (d / 2 - eN) * tr.am > h * d * pa;
        const bool b = pb <= 0 || kFixOne * (d / 2 + eN) * tr.am > h * d * pb;
        return a && b;
    }
};

constexpr long long kSmallFix = 1LL << 24; // a million pixels in fixed point

} // namespace

void PixelLine::fixLine(const FixPoint& a, const FixPoint& b) {
    const long long dx = b.x - a.x, dy = b.y - a.y;
    if ((dx == 0 && dy == 0) || !px_)
        return;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const long long m0 = xMajor ? a.x : a.y, m1 = xMajor ? b.x : b.y, ds = xMajor ? dy : dx;
    const long long ms = m1 > m0 ? 1 : -1, ss = ds >= 0 ? 1 : -1;
    // At a tie the pixel on the side of ss is taken in octants 3, 5, 6 and 8, the other elsewhere.
    const Travel tr{ms * m0,
                    ms * m1,
                    xMajor ? a.y : a.x,
                    std::llabs(m1 - m0),
                    std::llabs(ds),
                    ss,
                    (ss > 0) == (lineTieBias(dx, dy) != 0)};
    const bool small = std::llabs(a.x) < kSmallFix && std::llabs(a.y) < kSmallFix &&
                       std::llabs(b.x) < kSmallFix && std::llabs(b.y) < kSmallFix;
    if (small)
        travel<long long>(tr, xMajor, ms);
    else
        travel<Wide>(tr, xMajor, ms);
}

template <typename I>
void PixelLine::travel(const Travel& tr, bool xMajor, long long ms) {
    const TravelMath<I> math{tr};
    const long long ss = tr.ss;
    // First column: the first whose pixel centre is beyond t0 − 1/2, unless the line has already left
    // that diamond at its start; last column: the last at or before t1, unless the line is still inside
    // its diamond at the end. Columns further in are lit whatever their exits.
    long long first = floorDiv<long long>(tr.t0 - kFixOne / 2, kFixOne) + 1;
    if (first * kFixOne <= tr.t0 && !math.exitsAfter(first, tr.t0))
        ++first;
    long long last = floorDiv<long long>(tr.t1, kFixOne);
    if (last * kFixOne > tr.t1 - kFixOne / 2 && math.exitsAfter(last, tr.t1))
        --last;
    // Where a figure turns, the line may leave a diamond, pass its vertex and come back into the same
    // diamond: the pixel lit last by the previous segment is not lit (or counted) again.
    if (first <= last && hasLast_) {
        I eN;
        const long long c = ms * first, row = math.rowAt(first, eN);
        if ((xMajor ? c : row) == lastX_ && (xMajor ? row : c) == lastY_)
            ++first;
    }
    const long long n = last - first + 1;
    if (n <= 0)
        return;
    {
        I eN;
        const long long c = ms * last, row = math.rowAt(last, eN);
        lastX_ = xMajor ? c : row;
        lastY_ = xMajor ? row : c;
        hasLast_ = true;
    }
    const long long c0 = ms * first;
    const long long mlim = xMajor ? w_ : h_, slim = xMajor ? h_ : w_;
    // Columns inside the surface.
    long long jlo, jhi;
    if (ms > 0) {
        jlo = std::max<long long>(0, -c0);
        jhi = std::min<long long>(n, mlim - c0);
    } else {
        jlo = std::max<long long>(0, c0 - (mlim - 1));
        jhi = std::min<long long>(n, c0 + 1);
    }
    if (jlo >= jhi) {
        pos_ += n;
        return;
    }
    // From there on rows by increments: with num the line's minor position times denom(), the loop
    // keeps k = floor((2·num + D) / 2D) and rem = 2·num + D − 2D·k in [0, 2D); each column adds
    // ±2·as·16 to rem. rem = 0 is a tie, decided by tieUp.
    const I d2 = 2 * math.denom();
    const I r = 2 * math.numAt(first + jlo) + d2 / 2;
    const I wk = floorDiv<I>(r, d2);
    long long k = static_cast<long long>(wk);
    long long rem = static_cast<long long>(r - wk * d2);
    const long long twoD = static_cast<long long>(d2), inc = 2 * tr.as * kFixOne;
    const bool tieUp = tr.tieUp;
    long long c = c0 + jlo * ms;
    long long dashPos = (pos_ + jlo) % (period_ ? period_ : 1);
    for (long long j = jlo; j < jhi; ++j) {
        const long long sp = (rem == 0 && !tieUp) ? k - 1 : k;
        if (sp >= 0 && sp < slim) {
            const bool on = period_ == 0 || dashOn(dashPos);
            if (on || opaqueGaps_) {
                const long long x = xMajor ? c : sp, y = xMajor ? sp : c;
                px_[y * stride_ + x] = on ? color_ : bk_;
            }
        }
        if (period_ && ++dashPos == period_)
            dashPos = 0;
        if (ss > 0) {
            rem += inc;
            if (rem >= twoD) {
                rem -= twoD;
                ++k;
            }
        } else {
            rem -= inc;
            if (rem < 0) {
                rem += twoD;
                --k;
            }
        }
        c += ms;
    }
    pos_ += n;
}

bool PixelLine::dashOn(long long p) const {
    for (size_t i = 0; i < dash_.size(); ++i) {
        if (p < dash_[i])
            return i % 2 == 0;
        p -= dash_[i];
    }
    return true;
}

// ---- Fills ----------------------------------------------------------------------------------------

namespace {

void paintSpan(uint32_t* row, long long y, long long x0, long long x1, const SpanBrush& b) {
    if (b.hatch < 0) {
        std::fill(row + x0, row + x1, b.color);
        return;
    }
    const unsigned bits = kHatchRows[b.hatch][y & 7];
    for (long long x = x0; x < x1; ++x) {
        if (bits & (0x80u >> (x & 7)))
            row[x] = b.color;
        else if (b.opaque)
            row[x] = b.background;
    }
}

// An edge of a fill, top to bottom in fixed point: it crosses the scanlines y with y0 <= y·16 < y1 (so
// that a point on a top edge is inside and one on a bottom edge is not).
struct Edge {
    long long x0, y0, x1, y1;
    int dir; // +1 where the outline runs downwards, -1 upwards (winding numbers)
};

} // namespace

void fillFixFigures(Surface& surface, const std::vector<FixFigure>& figs, bool winding,
                    const SpanBrush& brush) {
    std::vector<Edge> edges;
    for (const FixFigure& f : figs) {
        const size_t n = f.pts.size();
        for (size_t i = 0; i < n; ++i) {
            const FixPoint& a = f.pts[i];
            const FixPoint& b = f.pts[(i + 1) % n];
            if (a.y < b.y)
                edges.push_back({a.x, a.y, b.x, b.y, 1});
            else if (a.y > b.y)
                edges.push_back({b.x, b.y, a.x, a.y, -1});
        }
    }
    uint32_t* px = surface.beginDirect();
    if (edges.empty() || !px)
        return;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
    long long lowest = edges.front().y1;
    for (const Edge& e : edges)
        lowest = std::max(lowest, e.y1);
    const long long top =
        std::max<long long>(static_cast<long long>(ceilDiv<long long>(edges.front().y0, kFixOne)), 0);
    const long long bottom =
        std::min<long long>(static_cast<long long>(ceilDiv<long long>(lowest, kFixOne)), surface.height);
    const long long stride = surface.strideWords(), w = surface.width;

    std::vector<const Edge*> active;
    std::vector<std::pair<long long, int>> cross; // pixel column where inside begins or ends, direction
    size_t next = 0;
    for (long long y = top; y < bottom; ++y) {
        const long long fy = y * kFixOne;
        while (next < edges.size() && edges[next].y0 <= fy)
            active.push_back(&edges[next++]);
        active.erase(
            std::remove_if(active.begin(), active.end(), [fy](const Edge* e) { return e->y1 <= fy; }),
            active.end());
        cross.clear();
        for (const Edge* e : active) {
            // x of the edge on scanline y is x0 + (y·16 − y0)(x1 − x0)/(y1 − y0) (fixed point); the
            // first pixel at or to the right of it is its ceiling in pixels.
            const Wide dy = e->y1 - e->y0;
            const Wide num = static_cast<Wide>(e->x0) * dy + static_cast<Wide>(fy - e->y0) * (e->x1 - e->x0);
            const long long c = static_cast<long long>(
                std::min<Wide>(std::max<Wide>(ceilDiv<Wide>(num, dy * kFixOne), 0), w));
            cross.emplace_back(c, e->dir);
        }
        std::sort(cross.begin(), cross.end());
        uint32_t* row = px + y * stride;
        int wind = 0;
        long long start = 0;
        for (size_t i = 0; i < cross.size(); ++i) {
            const bool wasInside = winding ? wind != 0 : (wind & 1) != 0;
            wind += cross[i].second;
            const bool inside = winding ? wind != 0 : (wind & 1) != 0;
            if (!wasInside && inside)
                start = cross[i].first;
            else if (wasInside && !inside && cross[i].first > start)
                paintSpan(row, y, start, cross[i].first, brush);
        }
    }
    surface.endDirect();
}

void fillPixelRect(Surface& surface, long long l, long long t, long long r, long long b,
                   const SpanBrush& brush) {
    l = std::max<long long>(l, 0);
    t = std::max<long long>(t, 0);
    r = std::min<long long>(r, surface.width);
    b = std::min<long long>(b, surface.height);
    uint32_t* px = surface.beginDirect();
    if (l >= r || t >= b || !px)
        return;
    const long long stride = surface.strideWords();
    for (long long y = t; y < b; ++y)
        paintSpan(px + y * stride, y, l, r, brush);
    surface.endDirect();
}

} // namespace draft2d::detail
