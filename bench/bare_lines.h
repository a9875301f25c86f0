// The least work that lights the pixels GDI's one-pixel LineTo lights: Bresenham into a plain
// buffer, one pixel per step of the major axis, the first drawn and the last not. The benchmarks
// compare our platform layer and the view with it, and check in the same run that both light the
// same pixels. It is written apart from the platform layer's raster code on purpose, so that the
// check compares two implementations of the rule.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace draft2d::bench {

// Where a segment passes exactly between two pixels, GDI takes the pixel that keeps the line the same
// whichever way it is drawn: towards the minor direction in octants 3, 5, 6 and 8 (counted
// counter-clockwise from +x, y down). As a bias added to the decision variable once per segment.
inline int TieBias(int dx, int dy) {
    int octant;
    if (dy > 0)
        octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    else
        octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    return (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
}

// One segment into a width x height buffer of pixel words; pixels outside the buffer are skipped
// (a segment may leave it).
inline void BareLine(uint32_t* px, int width, int height, int x0, int y0, int x1, int y1, uint32_t color) {
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const int sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
    const int bias = (dx | dy) ? TieBias(x1 - x0, y1 - y0) : 0;
    const auto put = [&](int x, int y) {
        if (static_cast<unsigned>(x) < static_cast<unsigned>(width) &&
            static_cast<unsigned>(y) < static_cast<unsigned>(height))
            px[static_cast<size_t>(y) * width + x] = color;
    };
    int x = x0, y = y0;
    if (dx >= dy) {
        int err = 2 * dy - dx + bias;
        for (int i = 0; i < dx; ++i, x += sx) {
            put(x, y);
            if (err > 0) {
                y += sy;
                err -= 2 * dx;
            }
            err += 2 * dy;
        }
    } else {
        int err = 2 * dx - dy + bias;
        for (int i = 0; i < dy; ++i, y += sy) {
            put(x, y);
            if (err > 0) {
                x += sx;
                err -= 2 * dy;
            }
            err += 2 * dx;
        }
    }
}

} // namespace draft2d::bench
