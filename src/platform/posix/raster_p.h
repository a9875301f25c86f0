// Direct pixel renderers of our GDI on image surfaces: one-pixel lines, polygon fills and the figures
// they work on, in device pixels (x right, y down; pixel (x, y) is named by its integer point).
//
// Vertices are fixed-point numbers of 1/16 pixel, as GDI keeps them (28.4): straight calls give whole
// pixels, curves flattened into segments keep their fraction, so that a circle stays symmetric and
// round instead of following its vertices rounded to pixels. Both renderers follow GDI's pixel model:
// - a one-pixel line lights one pixel per column of its major axis, from the column nearest its start
//   up to (not including) the column nearest its end, each at the row nearest to the exact line (the
//   same with rows and columns swapped for steep lines). Consecutive segments of a figure therefore
//   meet without doubling their shared vertex. Where the line passes exactly between two pixels, the
//   tie goes the way that makes a line the same whichever way it is drawn.
// - a fill lights the pixels whose integer points lie inside the outline, a point on a left or top
//   edge counting as inside and one on a right or bottom edge as outside.
// A filled figure and a one-pixel outline of the same polygon therefore meet exactly: the outline's
// pixel is the one nearest to the edge, the fill takes the integer points on the inner side of it, so
// the fill never reaches beyond the outline and leaves no gap before it, whatever the edge direction.
#pragma once

#include "platform/posix/gdi_p.h"

#include <cstdint>
#include <vector>

namespace draft2d::detail {

// 0xFFRRGGBB pixel word of the colour GDI draws for a COLORREF (drawnColor).
inline uint32_t pixelOf(COLORREF c) {
    c = drawnColor(c);
    return 0xFF000000u | (static_cast<uint32_t>(GetRValue(c)) << 16) |
           (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

// 8 x 8 hatch patterns, one byte per row, bit 7 the leftmost pixel; aligned to the device origin.
extern const uint8_t kHatchRows[6][8];

// ---- Figures ------------------------------------------------------------------------------------

constexpr long long kFixOne = 16; // fixed-point units per pixel

struct FixPoint {
    long long x, y; // 1/16 pixel
    bool operator==(const FixPoint& o) const { return x == o.x && y == o.y; }
};

// One figure of a path: its vertices, without repeats; a closed figure runs back to its first point.
struct FixFigure {
    std::vector<FixPoint> pts;
    bool closed = false;
};

// Turns the figures of a path (device pixels, curves as cubic Béziers) into fixed-point figures:
// curves are flattened to within kFlatness of the exact curve. Parts of curves whose control polygon
// lies wholly outside the view (plus a margin) become straight lines: they stay outside, and huge
// curves cost no more than visible ones.
std::vector<FixFigure> toFixFigures(const std::vector<PathPoint>& path, long long viewWidth,
                                    long long viewHeight);

constexpr double kFlatness = 0.25; // device pixels

// ---- One-pixel lines ------------------------------------------------------------------------------

struct LinePen {
    uint32_t color = 0;            // pixel word
    uint32_t background = 0;       // pixel word of the gaps when opaqueGaps
    bool opaqueGaps = false;       // dash gaps take the background colour
    std::vector<long long> dashes; // on, off, on, ... in pixels; empty for solid
};

// Where a segment passes exactly between two pixels, GDI picks the one that makes the line the same
// whichever way it is drawn: the tie steps to the minor direction in octants 3, 5, 6 and 8 (counted
// counter-clockwise from +x with y down) and stays in the others. 1 for a step, else 0.
inline long long lineTieBias(long long dx, long long dy) {
    int octant;
    if (dy > 0)
        octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    else
        octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    return (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
}

// The common case of LineTo: a solid one-pixel segment from pixel (x0, y0) towards pixel (x1, y1),
// without the end point, when both ends lie on a w x h image (solidLineFits; otherwise the segment
// needs a PixelLine). Bresenham with GDI's ties: the decision variable of the major step carries
// the tie bias from the start, so a tie steps the minor axis exactly where lineTieBias says. It
// calls nothing, so that LineTo's short road saves nothing.
inline bool solidLineFits(long long w, long long h, long long x0, long long y0, long long x1, long long y1) {
    return (x0 | y0 | x1 | y1) >= 0 && x0 < w && x1 < w && y0 < h && y1 < h;
}

// n pixels from p: a step of `major` each, and one of `minor` besides where d, kept by twoN and twoM,
// says so.
[[gnu::always_inline]] inline void bresenhamRun(uint32_t* p, long long n, long long d, long long twoN,
                                                long long twoM, long long major, long long minor,
                                                uint32_t color) {
    for (; n > 0; --n) {
        *p = color;
        if (d > 0) {
            p += minor;
            d -= twoN;
        }
        d += twoM;
        p += major;
    }
}

[[gnu::always_inline]] inline void solidLinePixels(uint32_t* px, long long stride, long long x0, long long y0,
                                                   long long x1, long long y1, uint32_t color) {
    const long long dx = x1 - x0, dy = y1 - y0;
    const long long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const long long stepY = dy >= 0 ? stride : -stride;
    uint32_t* p = px + y0 * stride + x0;
    const long long d = lineTieBias(dx, dy);
    // One loop per horizontal direction, so that the step of one pixel is a constant in each: the
    // loops then run in the registers a call may use, and LineTo saves none.
    if (adx >= ady) {
        if (dx >= 0)
            bresenhamRun(p, adx, d + 2 * ady - adx, 2 * adx, 2 * ady, 1, stepY, color);
        else
            bresenhamRun(p, adx, d + 2 * ady - adx, 2 * adx, 2 * ady, -1, stepY, color);
    } else {
        if (dx >= 0)
            bresenhamRun(p, ady, d + 2 * adx - ady, 2 * ady, 2 * adx, stepY, 1, color);
        else
            bresenhamRun(p, ady, d + 2 * adx - ady, 2 * ady, 2 * adx, stepY, -1, color);
    }
}

struct Travel; // a segment along its major axis (raster.cpp)

// Writes one-pixel segments straight into an image surface: GDI's pixels and a dash pattern that runs
// on from segment to segment for as long as the object lives (one GDI call).
class PixelLine {
public:
    PixelLine(Surface& surface, const LinePen& pen);
    ~PixelLine();
    PixelLine(const PixelLine&) = delete;
    PixelLine& operator=(const PixelLine&) = delete;

    // From pixel (x0, y0) towards pixel (x1, y1), without the end point.
    void line(long long x0, long long y0, long long x1, long long y1);
    // The same between fixed-point positions.
    void fixLine(const FixPoint& a, const FixPoint& b);
    // Every segment of the figures, each closed one back to its start.
    void figures(const std::vector<FixFigure>& figs);

private:
    bool dashOn(long long p) const;
    template <typename I>
    void travel(const Travel& tr, bool xMajor, long long ms);

    Surface& surf_;
    uint32_t* px_ = nullptr;
    long long stride_ = 0, w_ = 0, h_ = 0;
    uint32_t color_ = 0, bk_ = 0;
    bool opaqueGaps_ = false;
    std::vector<long long> dash_;
    long long period_ = 0;
    long long pos_ = 0;
    // The pixel lit last by fixLine, within or outside the surface.
    bool hasLast_ = false;
    long long lastX_ = 0, lastY_ = 0;
};

// ---- Fills ----------------------------------------------------------------------------------------

// What a fill writes: a solid colour, or a hatch (pattern pixels in `color`, the others in
// `background` when opaque, untouched when not).
struct SpanBrush {
    uint32_t color = 0;
    int hatch = -1; // HS_ style, or -1 for solid
    bool opaque = false;
    uint32_t background = 0;
};

// Fills the figures (each taken as closed) on an image surface under ALTERNATE or WINDING.
void fillFixFigures(Surface& surface, const std::vector<FixFigure>& figs, bool winding,
                    const SpanBrush& brush);

// Fills the pixels [l, r) x [t, b) (clipped to the surface).
void fillPixelRect(Surface& surface, long long l, long long t, long long r, long long b,
                   const SpanBrush& brush);

} // namespace draft2d::detail
