// GDI drawing off Windows: lines, shapes, paths, pixels and FillRect.
//
// Geometry is built in device pixel coordinates where (x, y) names pixel (x, y) and is handed to one
// of two renderers:
// - strokes: pixel centres lie at (x + 0.5, y + 0.5). One-pixel pens on image targets over straight
//   segments go through our own Bresenham loop (first pixel drawn, last not, dash patterns counted in
//   pixels), which is what GDI lights and far faster than Cairo; anything else is stroked by Cairo,
//   aliased, with the pen's width, caps, joins and dashes.
// - fills: the outline is taken as pixel corners, so a pixel is filled when its centre is inside,
//   which excludes the right and bottom edges as GDI does (a null-pen Rectangle(0,0,10,10) fills
//   pixels 0..8, one with a pen fills 0..9 and draws its border over it).
// Boxes of Rectangle, Ellipse, Pie and Chord therefore stay within [left, right) x [top, bottom).
#include "platform/posix/gdi_p.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

using namespace draft2d::detail;

namespace {

constexpr double kPi = 3.14159265358979323846;

// ---- Hatch brushes --------------------------------------------------------------------------------

// 8 x 8 hatch patterns, one byte per row, bit 7 is the leftmost pixel; aligned to the device origin.
const uint8_t kHatchRows[6][8] = {
    {0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00}, // HS_HORIZONTAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08}, // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}, // HS_BDIAGONAL
    {0x08, 0x08, 0x08, 0xff, 0x08, 0x08, 0x08, 0x08}, // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, // HS_DIAGCROSS
};

uint32_t pixelOf(COLORREF c) {
    return 0xFF000000u | (static_cast<uint32_t>(GetRValue(c)) << 16) |
           (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

// Patterns are cached per style, colour and background (transparent or an opaque colour); the cache
// is emptied when it grows past a few hundred entries.
cairo_pattern_t* hatchPattern(int style, COLORREF color, bool opaque, COLORREF bk) {
    static std::map<uint64_t, cairo_pattern_t*>* cache = new std::map<uint64_t, cairo_pattern_t*>;
    const uint64_t key = (static_cast<uint64_t>(style) << 56) | (static_cast<uint64_t>(opaque) << 48) |
                         (static_cast<uint64_t>(color & 0xFFFFFF) << 24) | (opaque ? (bk & 0xFFFFFF) : 0);
    auto it = cache->find(key);
    if (it != cache->end())
        return it->second;
    if (cache->size() > 512) {
        for (auto& kv : *cache)
            cairo_pattern_destroy(kv.second);
        cache->clear();
    }
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
    cairo_surface_flush(s);
    auto* data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s));
    const int stride = cairo_image_surface_get_stride(s) / 4;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            data[y * stride + x] =
                (kHatchRows[style][y] & (0x80 >> x)) ? pixelOf(color) : (opaque ? pixelOf(bk) : 0u);
    cairo_surface_mark_dirty(s);
    cairo_pattern_t* p = cairo_pattern_create_for_surface(s);
    cairo_surface_destroy(s);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(p, CAIRO_FILTER_NEAREST);
    cache->emplace(key, p);
    return p;
}

// Sets a brush as the Cairo source; false for a hollow brush.
bool setBrushSource(cairo_t* cr, const Dc& dc, const LOGBRUSH& lb) {
    if (lb.lbStyle == BS_SOLID) {
        setSourceColor(cr, lb.lbColor);
        return true;
    }
    if (lb.lbStyle == BS_HATCHED && lb.lbHatch <= HS_DIAGCROSS) {
        cairo_set_source(cr, hatchPattern(static_cast<int>(lb.lbHatch), lb.lbColor, dc.st.bkMode == OPAQUE,
                                          dc.st.bkColor));
        return true;
    }
    return false;
}

// ---- Pens -----------------------------------------------------------------------------------------

// Dash patterns in pixels for cosmetic pens, in multiples of the width for geometric ones.
const DWORD kCosmeticDash[4][6] = {{18, 6}, {3, 3}, {9, 6, 3, 6}, {9, 3, 3, 3, 3, 3}};
const DWORD kGeometricDash[4][6] = {{3, 1}, {1, 1}, {3, 1, 1, 1}, {3, 1, 1, 1, 1, 1}};
const int kDashCount[4] = {2, 2, 4, 6};

struct PenInfo {
    bool visible = false;
    bool onePixel = false; // drawn by the pixel loop on image targets (straight segments)
    double width = 1;      // device pixels
    LOGBRUSH brush{BS_SOLID, 0, 0};
    cairo_line_cap_t cap = CAIRO_LINE_CAP_ROUND;
    cairo_line_join_t join = CAIRO_LINE_JOIN_ROUND;
    std::vector<double> dashes; // device pixels, empty for solid
    // Gaps between dashes take the background colour: in opaque mode, and only for pens made by
    // CreatePen. GDI leaves the gaps of a pen made by ExtCreatePen alone in either mode.
    bool opaqueGaps = false;
    bool insideFrame = false;
};

PenInfo penInfo(const Dc& dc) {
    PenInfo pi;
    const Pen* p = dc.st.pen;
    const int style = p->lineStyle();
    pi.brush = p->brush;
    pi.visible = style != PS_NULL && p->brush.lbStyle != BS_NULL;
    if (!pi.visible)
        return pi;
    pi.opaqueGaps = dc.st.bkMode == OPAQUE && !p->extended;
    const double scale = std::fabs(deviceScaleX(dc));
    bool cosmetic;
    if (p->extended) {
        cosmetic = !p->geometric();
        pi.width = cosmetic ? 1.0 : std::max(1.0, std::round(p->width * scale));
    } else {
        // Pens of CreatePen: up to one pixel they are cosmetic, wider ones are geometric with round
        // ends and joins and always solid.
        pi.width = std::max(1.0, std::round(p->width * scale));
        cosmetic = pi.width <= 1;
    }
    if (p->extended && !cosmetic) {
        switch (p->style & PS_ENDCAP_MASK) {
        case PS_ENDCAP_SQUARE:
            pi.cap = CAIRO_LINE_CAP_SQUARE;
            break;
        case PS_ENDCAP_FLAT:
            pi.cap = CAIRO_LINE_CAP_BUTT;
            break;
        default:
            pi.cap = CAIRO_LINE_CAP_ROUND;
            break;
        }
        switch (p->style & PS_JOIN_MASK) {
        case PS_JOIN_BEVEL:
            pi.join = CAIRO_LINE_JOIN_BEVEL;
            break;
        case PS_JOIN_MITER:
            pi.join = CAIRO_LINE_JOIN_MITER;
            break;
        default:
            pi.join = CAIRO_LINE_JOIN_ROUND;
            break;
        }
    }
    const bool styled = p->extended || pi.width <= 1;
    if (styled && style >= PS_DASH && style <= PS_DASHDOTDOT) {
        for (int i = 0; i < kDashCount[style - 1]; ++i)
            pi.dashes.push_back(cosmetic ? kCosmeticDash[style - 1][i]
                                         : kGeometricDash[style - 1][i] * pi.width);
    } else if (style == PS_ALTERNATE) {
        pi.dashes = {1, 1};
    } else if (style == PS_USERSTYLE) {
        for (DWORD d : p->userStyle)
            pi.dashes.push_back(cosmetic ? d : d * scale);
        double total = 0;
        for (double d : pi.dashes)
            total += d;
        if (total <= 0)
            pi.dashes.clear();
    }
    pi.insideFrame = style == PS_INSIDEFRAME && !cosmetic;
    pi.onePixel = pi.width <= 1 && pi.brush.lbStyle == BS_SOLID && dc.target && dc.target->isImage;
    return pi;
}

// ---- One-pixel lines ------------------------------------------------------------------------------

__extension__ typedef __int128 Wide;

// Where a segment passes exactly between two pixels, GDI picks the one that makes the line the same
// whichever way it is drawn: the tie steps to the minor direction in octants 3, 5, 6 and 8 (counted
// counter-clockwise from +x with y down) and stays in the others.
long long tieBias(long long dx, long long dy) {
    int octant;
    if (dy > 0)
        octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    else
        octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    return (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
}

// Writes one-pixel segments straight into an image surface: GDI's pixels (Bresenham, first pixel
// drawn, last not) and a dash pattern that runs on from segment to segment within one call.
class PixelLine {
public:
    PixelLine(Dc& dc, const PenInfo& pi) : surf_(*dc.target) {
        px_ = surf_.beginDirect();
        stride_ = surf_.strideWords();
        w_ = surf_.width;
        h_ = surf_.height;
        color_ = pixelOf(pi.brush.lbColor);
        bk_ = pixelOf(dc.st.bkColor);
        opaqueGaps_ = pi.opaqueGaps;
        for (double d : pi.dashes)
            dash_.push_back(std::max<long long>(1, std::llround(d)));
        for (long long d : dash_)
            period_ += d;
    }
    ~PixelLine() { surf_.endDirect(); }
    PixelLine(const PixelLine&) = delete;
    PixelLine& operator=(const PixelLine&) = delete;

    void line(long long x0, long long y0, long long x1, long long y1) {
        const long long adx = std::llabs(x1 - x0), ady = std::llabs(y1 - y0);
        const long long sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
        const bool xMajor = adx >= ady;
        const long long bias = tieBias(x1 - x0, y1 - y0);
        const long long n = xMajor ? adx : ady; // pixels drawn: the end point is left out
        if (n == 0 || !px_)
            return;
        if (period_ == 0 && x0 >= 0 && y0 >= 0 && x1 >= 0 && y1 >= 0 && x0 < w_ && x1 < w_ && y0 < h_ &&
            y1 < h_) {
            solidInside(x0, y0, adx, ady, sx, sy, bias);
            return;
        }
        const long long major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
        const long long m0 = xMajor ? x0 : y0, s0 = xMajor ? y0 : x0;
        const long long ms = xMajor ? sx : sy, ss = xMajor ? sy : sx;
        const long long mlim = xMajor ? w_ : h_, slim = xMajor ? h_ : w_;
        // Steps whose major coordinate is inside the surface.
        long long ilo, ihi;
        if (ms > 0) {
            ilo = std::max<long long>(0, -m0);
            ihi = std::min<long long>(n, mlim - m0);
        } else {
            ilo = std::max<long long>(0, m0 - (mlim - 1));
            ihi = std::min<long long>(n, m0 + 1);
        }
        if (ilo >= ihi) {
            pos_ += n;
            return;
        }
        // Minor offset at step i: i * minor / major rounded (ties as above); the decision variable
        // of the loop below is resumed at step ilo in closed form. Products of two 33-bit
        // coordinates need 128 bits; the results fit in 64.
        const Wide wk =
            (2 * static_cast<Wide>(ilo) * minor + major - 1 + bias) / (2 * static_cast<Wide>(major));
        const long long k = static_cast<long long>(wk);
        long long d = static_cast<long long>(2 * static_cast<Wide>(minor) * (ilo + 1) - major -
                                             2 * static_cast<Wide>(major) * wk);
        long long m = m0 + ilo * ms, s = s0 + k * ss;
        long long dashPos = (pos_ + ilo) % (period_ ? period_ : 1);
        for (long long i = ilo; i < ihi; ++i) {
            if (s >= 0 && s < slim) {
                const bool on = period_ == 0 || dashOn(dashPos);
                if (on || opaqueGaps_) {
                    const long long x = xMajor ? m : s, y = xMajor ? s : m;
                    px_[y * stride_ + x] = on ? color_ : bk_;
                }
            }
            if (period_ && ++dashPos == period_)
                dashPos = 0;
            if (d + bias > 0) {
                s += ss;
                d -= 2 * major;
            }
            d += 2 * minor;
            m += ms;
        }
        pos_ += n;
    }

private:
    // The common case: a solid segment wholly inside the surface, stepping a pixel pointer.
    void solidInside(long long x0, long long y0, long long adx, long long ady, long long sx, long long sy,
                     long long bias) {
        uint32_t* p = px_ + y0 * stride_ + x0;
        const long long stepY = sy * stride_;
        const uint32_t c = color_;
        if (adx >= ady) {
            long long d = 2 * ady - adx;
            for (long long i = 0; i < adx; ++i) {
                *p = c;
                if (d + bias > 0) {
                    p += stepY;
                    d -= 2 * adx;
                }
                d += 2 * ady;
                p += sx;
            }
        } else {
            long long d = 2 * adx - ady;
            for (long long i = 0; i < ady; ++i) {
                *p = c;
                if (d + bias > 0) {
                    p += sx;
                    d -= 2 * ady;
                }
                d += 2 * adx;
                p += stepY;
            }
        }
    }

    bool dashOn(long long p) const {
        for (size_t i = 0; i < dash_.size(); ++i) {
            if (p < dash_[i])
                return i % 2 == 0;
            p -= dash_[i];
        }
        return true;
    }

    Surface& surf_;
    uint32_t* px_ = nullptr;
    long long stride_ = 0, w_ = 0, h_ = 0;
    uint32_t color_ = 0, bk_ = 0;
    bool opaqueGaps_ = false;
    std::vector<long long> dash_;
    long long period_ = 0;
    long long pos_ = 0;
};

// ---- Figures --------------------------------------------------------------------------------------

using Figure = std::vector<PathPoint>;

bool hasCurves(const Figure& f) {
    for (const PathPoint& p : f)
        if (p.type == PathPoint::Bezier)
            return true;
    return false;
}

void addToCairo(cairo_t* cr, const Figure& f, double off) {
    size_t i = 0;
    while (i < f.size()) {
        const PathPoint& p = f[i];
        if (p.type == PathPoint::Move || i == 0) {
            cairo_move_to(cr, p.x + off, p.y + off);
            ++i;
        } else if (p.type == PathPoint::Line) {
            cairo_line_to(cr, p.x + off, p.y + off);
            ++i;
        } else {
            if (i + 2 >= f.size()) {
                // A Bézier needs three points; a truncated one ends as a line.
                cairo_line_to(cr, f.back().x + off, f.back().y + off);
                break;
            }
            cairo_curve_to(cr, f[i].x + off, f[i].y + off, f[i + 1].x + off, f[i + 1].y + off,
                           f[i + 2].x + off, f[i + 2].y + off);
            i += 3;
            if (f[i - 1].closes)
                cairo_close_path(cr);
            continue;
        }
        if (p.closes)
            cairo_close_path(cr);
    }
}

// Strokes figures with the selected pen (one-pixel loop or Cairo).
void strokeFigure(Dc& dc, const Figure& f) {
    const PenInfo pi = penInfo(dc);
    if (!pi.visible || f.size() < 1 || !dc.target)
        return;
    if (pi.onePixel && !hasCurves(f)) {
        PixelLine pl(dc, pi);
        size_t start = 0;
        for (size_t i = 0; i < f.size(); ++i) {
            if (i == 0 || f[i].type == PathPoint::Move)
                start = i;
            else
                pl.line(std::llround(f[i - 1].x), std::llround(f[i - 1].y), std::llround(f[i].x),
                        std::llround(f[i].y));
            if (f[i].closes)
                pl.line(std::llround(f[i].x), std::llround(f[i].y), std::llround(f[start].x),
                        std::llround(f[start].y));
        }
        return;
    }
    cairo_t* cr = cairoFor(dc);
    if (!cr)
        return;
    addToCairo(cr, f, 0.5);
    cairo_set_line_width(cr, pi.width);
    cairo_set_line_cap(cr, pi.cap);
    cairo_set_line_join(cr, pi.join);
    cairo_set_miter_limit(cr, 10.0);
    if (!pi.dashes.empty())
        cairo_set_dash(cr, pi.dashes.data(), static_cast<int>(pi.dashes.size()), 0);
    if (setBrushSource(cr, dc, pi.brush)) {
        if (!pi.dashes.empty() && pi.opaqueGaps) {
            cairo_save(cr);
            cairo_set_dash(cr, nullptr, 0, 0);
            setSourceColor(cr, dc.st.bkColor);
            cairo_stroke_preserve(cr);
            cairo_restore(cr);
        }
        cairo_stroke(cr);
    }
    cairoDone(dc);
}

// Fills figures (each closed) with the selected brush under the polygon fill mode.
void fillFigure(Dc& dc, const Figure& f) {
    const LOGBRUSH& lb = dc.st.brush->lb;
    if (lb.lbStyle == BS_NULL || f.size() < 3 || !dc.target)
        return;
    cairo_t* cr = cairoFor(dc);
    if (!cr)
        return;
    Figure closed = f;
    for (size_t i = 0; i < closed.size(); ++i)
        if (i + 1 == closed.size() || closed[i + 1].type == PathPoint::Move)
            closed[i].closes = true;
    addToCairo(cr, closed, 0.0);
    cairo_set_fill_rule(cr,
                        dc.st.polyFillMode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    if (setBrushSource(cr, dc, lb))
        cairo_fill(cr);
    cairoDone(dc);
}

// ---- Geometry builders ----------------------------------------------------------------------------

void devicePoint(const Dc& dc, int x, int y, double& dx, double& dy) {
    dx = x;
    dy = y;
    toDevice(dc, dx, dy);
    dx = std::round(dx);
    dy = std::round(dy);
}

struct Box {
    double l, t, r, b;
};

// A logical box in device pixels, normalised so that l <= r and t <= b.
Box deviceBox(const Dc& dc, int l, int t, int r, int b) {
    Box bx;
    devicePoint(dc, l, t, bx.l, bx.t);
    devicePoint(dc, r, b, bx.r, bx.b);
    if (bx.l > bx.r)
        std::swap(bx.l, bx.r);
    if (bx.t > bx.b)
        std::swap(bx.t, bx.b);
    return bx;
}

// The box of Rectangle, Ellipse, Arc, Pie and Chord: in the advanced graphics mode the right and
// bottom edges are part of the shape, so the half-open box grows by a pixel.
Box shapeBox(const Dc& dc, const Box& bx) {
    if (dc.st.graphicsMode != GM_ADVANCED)
        return bx;
    return Box{bx.l, bx.t, bx.r + 1, bx.b + 1};
}

void push(Figure& f, double x, double y, PathPoint::Type t, bool closes = false) {
    f.push_back(PathPoint{x, y, t, closes});
}

// Elliptic arc of the ellipse inscribed in a box, from parameter a0 to a1 (radians, counter-clockwise
// as seen on screen, y down), as cubic Béziers of at most a quarter turn. The arc's start point is
// added when withStart.
void appendArc(Figure& f, double cx, double cy, double rx, double ry, double a0, double a1, bool withStart,
               PathPoint::Type startType) {
    auto pt = [&](double a, double& x, double& y) {
        x = cx + rx * std::cos(a);
        y = cy - ry * std::sin(a);
    };
    double x, y;
    pt(a0, x, y);
    if (withStart)
        push(f, x, y, startType);
    const double sweep = a1 - a0;
    const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (kPi / 2) - 1e-9)));
    const double step = sweep / n;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < n; ++i) {
        const double s = a0 + i * step, e = s + step;
        const double x0 = cx + rx * std::cos(s), y0 = cy - ry * std::sin(s);
        const double x3 = cx + rx * std::cos(e), y3 = cy - ry * std::sin(e);
        push(f, x0 - k * rx * std::sin(s), y0 - k * ry * std::cos(s), PathPoint::Bezier);
        push(f, x3 + k * rx * std::sin(e), y3 + k * ry * std::cos(e), PathPoint::Bezier);
        push(f, x3, y3, PathPoint::Bezier);
    }
}

// The parameter of the point where the ray from the centre through (px, py) meets the ellipse.
double rayParam(double cx, double cy, double rx, double ry, double px, double py) {
    const double theta = std::atan2(-(py - cy), px - cx);
    if (rx <= 0 || ry <= 0)
        return theta;
    return std::atan2(rx * std::sin(theta), ry * std::cos(theta));
}

enum class ArcKind { Arc, Pie, Chord };

// Arc, Pie or Chord within box (pixel coordinates of the outline, inclusive), from the ray through
// p3 to the ray through p4 in the DC's arc direction.
Figure arcFigure(const Dc& dc, const Box& bx, double x3, double y3, double x4, double y4, ArcKind kind) {
    const double cx = (bx.l + bx.r) / 2, cy = (bx.t + bx.b) / 2;
    const double rx = (bx.r - bx.l) / 2, ry = (bx.b - bx.t) / 2;
    double a0 = rayParam(cx, cy, rx, ry, x3, y3);
    double a1 = rayParam(cx, cy, rx, ry, x4, y4);
    if (dc.st.arcDirection == AD_COUNTERCLOCKWISE) {
        while (a1 <= a0)
            a1 += 2 * kPi;
    } else {
        while (a1 >= a0)
            a1 -= 2 * kPi;
    }
    Figure f;
    if (kind == ArcKind::Pie) {
        push(f, cx, cy, PathPoint::Move);
        appendArc(f, cx, cy, rx, ry, a0, a1, true, PathPoint::Line);
    } else {
        appendArc(f, cx, cy, rx, ry, a0, a1, true, PathPoint::Move);
    }
    if (kind != ArcKind::Arc)
        f.back().closes = true;
    return f;
}

Figure ellipseFigure(const Box& bx) {
    Figure f;
    const double cx = (bx.l + bx.r) / 2, cy = (bx.t + bx.b) / 2;
    appendArc(f, cx, cy, (bx.r - bx.l) / 2, (bx.b - bx.t) / 2, 0, 2 * kPi, true, PathPoint::Move);
    f.back().closes = true;
    return f;
}

Figure rectFigure(const Box& bx, int arcDirection) {
    Figure f;
    push(f, bx.r, bx.t, PathPoint::Move);
    push(f, bx.l, bx.t, PathPoint::Line);
    push(f, bx.l, bx.b, PathPoint::Line);
    push(f, bx.r, bx.b, PathPoint::Line, true);
    if (arcDirection == AD_CLOCKWISE) {
        std::reverse(f.begin(), f.end());
        f.front().type = PathPoint::Move;
        f.front().closes = false;
        f.back().type = PathPoint::Line;
        f.back().closes = true;
    }
    return f;
}

// Appends a figure to the open path of the DC.
void addToPath(Dc& dc, const Figure& f) {
    dc.path.insert(dc.path.end(), f.begin(), f.end());
}

Box shrink(Box b, double d) {
    return Box{b.l + d, b.t + d, b.r - d, b.b - d};
}

// Draws a closed shape of a box: fill box [l, r] x [t, b] as pixel corners (one less on the right and
// bottom without a pen), outline through the pixels l .. r - 1 and t .. b - 1.
template <typename MakeFigure>
void drawBoxShape(Dc& dc, const Box& bx, MakeFigure make) {
    const PenInfo pi = penInfo(dc);
    const Box inner{bx.l, bx.t, bx.r - 1, bx.b - 1};
    if (dc.pathOpen) {
        addToPath(dc, make(inner));
        return;
    }
    fillFigure(dc, make(pi.visible ? bx : inner));
    if (pi.visible) {
        Box outline = inner;
        if (pi.insideFrame && pi.width > 1)
            outline = shrink(outline, (pi.width - 1) / 2);
        strokeFigure(dc, make(outline));
    }
}

std::string num(long long v) {
    return std::to_string(v);
}

std::string pointsText(const POINT* pts, long long n) {
    std::string s;
    for (long long i = 0; pts && i < n; ++i)
        s += (i ? ",(" : "(") + num(pts[i].x) + "," + num(pts[i].y) + ")";
    return s;
}

std::string fmtDouble(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

std::string four(int a, int b, int c, int d) {
    return num(a) + "," + num(b) + "," + num(c) + "," + num(d);
}

Figure polyFigure(const Dc& dc, const POINT* pts, int n, bool close) {
    Figure f;
    f.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        double x, y;
        devicePoint(dc, pts[i].x, pts[i].y, x, y);
        push(f, x, y, i == 0 ? PathPoint::Move : PathPoint::Line);
    }
    if (close && !f.empty())
        f.back().closes = true;
    return f;
}

bool pathFigureOpen(const Dc& dc) {
    return !dc.path.empty() && !dc.path.back().closes;
}

} // namespace

extern "C" {

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "MoveToEx(" + num(x) + "," + num(y) + ")");
    if (old)
        *old = dc->st.pos;
    dc->st.pos = POINT{x, y};
    if (dc->pathOpen) {
        double dx, dy;
        devicePoint(*dc, x, y, dx, dy);
        if (!dc->path.empty() && dc->path.back().type == PathPoint::Move && !dc->path.back().closes)
            dc->path.pop_back(); // two moves in a row: the later one wins
        push(dc->path, dx, dy, PathPoint::Move);
    }
    return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "LineTo(" + num(x) + "," + num(y) + ")");
    const POINT from = dc->st.pos;
    dc->st.pos = POINT{x, y};
    if (dc->st.mapMode == MM_TEXT && !dc->pathOpen) {
        // The hot path: straight device coordinates.
        const PenInfo pi = penInfo(*dc);
        if (pi.visible && pi.onePixel) {
            PixelLine pl(*dc, pi);
            pl.line(from.x, from.y, x, y);
            return TRUE;
        }
    }
    Figure f;
    double x0, y0, x1, y1;
    devicePoint(*dc, from.x, from.y, x0, y0);
    devicePoint(*dc, x, y, x1, y1);
    if (dc->pathOpen) {
        if (!pathFigureOpen(*dc))
            push(dc->path, x0, y0, PathPoint::Move);
        push(dc->path, x1, y1, PathPoint::Line);
        return TRUE;
    }
    push(f, x0, y0, PathPoint::Move);
    push(f, x1, y1, PathPoint::Line);
    strokeFigure(*dc, f);
    return TRUE;
}

BOOL WINAPI Polyline(HDC hdc, const POINT* pts, int n) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "Polyline(" + pointsText(pts, n) + ")");
    if (!pts || n < 2)
        return FALSE;
    const Figure f = polyFigure(*dc, pts, n, false);
    if (dc->pathOpen)
        addToPath(*dc, f);
    else
        strokeFigure(*dc, f);
    return TRUE;
}

BOOL WINAPI Polygon(HDC hdc, const POINT* pts, int n) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "Polygon(" + pointsText(pts, n) + ")");
    if (!pts || n < 2)
        return FALSE;
    const Figure f = polyFigure(*dc, pts, n, true);
    if (dc->pathOpen) {
        addToPath(*dc, f);
        return TRUE;
    }
    fillFigure(*dc, f);
    strokeFigure(*dc, f);
    return TRUE;
}

// Cubic Béziers: a start point and three points per curve (n = 1 + 3k).
BOOL WINAPI PolyBezier(HDC hdc, const POINT* pts, DWORD n) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "PolyBezier(" + pointsText(pts, n) + ")");
    if (!pts || n < 1 || (n - 1) % 3 != 0)
        return FALSE;
    Figure f;
    for (DWORD i = 0; i < n; ++i) {
        double x, y;
        devicePoint(*dc, pts[i].x, pts[i].y, x, y);
        push(f, x, y, i == 0 ? PathPoint::Move : PathPoint::Bezier);
    }
    if (dc->pathOpen)
        addToPath(*dc, f);
    else if (n > 1)
        strokeFigure(*dc, f);
    return TRUE;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "Rectangle(" + four(left, top, right, bottom) + ")");
    const Box bx = deviceBox(*dc, left, top, right, bottom);
    if (bx.l == bx.r || bx.t == bx.b)
        return TRUE;
    const int dir = dc->st.arcDirection;
    drawBoxShape(*dc, shapeBox(*dc, bx), [dir](const Box& b) { return rectFigure(b, dir); });
    return TRUE;
}

BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "Ellipse(" + four(left, top, right, bottom) + ")");
    const Box bx = deviceBox(*dc, left, top, right, bottom);
    if (bx.l == bx.r || bx.t == bx.b)
        return TRUE;
    drawBoxShape(*dc, shapeBox(*dc, bx), [](const Box& b) { return ellipseFigure(b); });
    return TRUE;
}

} // extern "C"

namespace {

BOOL arcCall(const char* name, HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4,
             ArcKind kind) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, std::string(name) + "(" + four(x1, y1, x2, y2) + "," + four(x3, y3, x4, y4) + ")");
    const Box bx = deviceBox(*dc, x1, y1, x2, y2);
    if (bx.l == bx.r || bx.t == bx.b)
        return TRUE;
    const Box box = shapeBox(*dc, bx);
    double px3, py3, px4, py4;
    devicePoint(*dc, x3, y3, px3, py3);
    devicePoint(*dc, x4, y4, px4, py4);
    if (kind == ArcKind::Arc) {
        const Box inner{box.l, box.t, box.r - 1, box.b - 1};
        const Figure f = arcFigure(*dc, inner, px3, py3, px4, py4, kind);
        if (dc->pathOpen)
            addToPath(*dc, f);
        else
            strokeFigure(*dc, f);
        return TRUE;
    }
    drawBoxShape(*dc, box, [&](const Box& b) { return arcFigure(*dc, b, px3, py3, px4, py4, kind); });
    return TRUE;
}

} // namespace

extern "C" {

BOOL WINAPI Arc(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    return arcCall("Arc", hdc, x1, y1, x2, y2, x3, y3, x4, y4, ArcKind::Arc);
}

BOOL WINAPI Pie(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    return arcCall("Pie", hdc, x1, y1, x2, y2, x3, y3, x4, y4, ArcKind::Pie);
}

BOOL WINAPI Chord(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    return arcCall("Chord", hdc, x1, y1, x2, y2, x3, y3, x4, y4, ArcKind::Chord);
}

// A line from the current position to the start of the arc, then the arc of the circle of centre
// (x, y) and radius r from startAngle through sweepAngle degrees (counter-clockwise as seen on screen
// when positive, whatever the arc direction); the current position moves to the arc's end.
BOOL WINAPI AngleArc(HDC hdc, int x, int y, DWORD r, float startAngle, float sweepAngle) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "AngleArc(" + num(x) + "," + num(y) + "," + num(r) + "," + fmtDouble(startAngle) + "," +
                         fmtDouble(sweepAngle) + ")");
    if (r > 0x7FFFFFFFu || !std::isfinite(startAngle) || !std::isfinite(sweepAngle))
        return FALSE;
    // Turns beyond the first repeat the same circle: draw at most one turn and the remainder, so that
    // a huge sweep costs no more than a full circle; the end point keeps the exact angle.
    double drawn = sweepAngle;
    if (std::fabs(drawn) > 360.0)
        drawn = std::copysign(360.0 + std::fmod(std::fabs(drawn), 360.0), drawn);
    const double a0 = startAngle * kPi / 180.0;
    const double a1 = (static_cast<double>(startAngle) + sweepAngle) * kPi / 180.0;
    const double a1Drawn = (static_cast<double>(startAngle) + drawn) * kPi / 180.0;
    // The arc in logical units, then every point to device units (the circle may become an ellipse).
    const double ex = x + r * std::cos(a1), ey = y - r * std::sin(a1);
    double cx = x, cy = y;
    toDevice(*dc, cx, cy);
    const double rx = r * std::fabs(deviceScaleX(*dc)), ry = r * std::fabs(deviceScaleY(*dc));
    const bool flipY = deviceScaleY(*dc) < 0;
    const double d0 = flipY ? -a0 : a0, d1 = flipY ? -a1Drawn : a1Drawn;
    double px, py;
    devicePoint(*dc, dc->st.pos.x, dc->st.pos.y, px, py);
    Figure f;
    if (!dc->pathOpen || !pathFigureOpen(*dc))
        push(f, px, py, PathPoint::Move);
    appendArc(f, cx, cy, rx, ry, d0, d1, true, PathPoint::Line);
    dc->st.pos = POINT{static_cast<LONG>(std::lround(ex)), static_cast<LONG>(std::lround(ey))};
    if (dc->pathOpen)
        addToPath(*dc, f);
    else
        strokeFigure(*dc, f);
    return TRUE;
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return CLR_INVALID;
    if (tracing(dc))
        traceDc(*dc, "SetPixel(" + num(x) + "," + num(y) + "," + traceColor(color) + ")");
    if (!dc->target)
        return CLR_INVALID;
    double dx, dy;
    devicePoint(*dc, x, y, dx, dy);
    const long long px = static_cast<long long>(dx), py = static_cast<long long>(dy);
    Surface& s = *dc->target;
    if (px < 0 || py < 0 || px >= s.width || py >= s.height)
        return CLR_INVALID;
    color &= 0xFFFFFF;
    if (s.isImage) {
        uint32_t* p = s.beginDirect();
        p[py * s.strideWords() + px] = pixelOf(color);
        s.endDirect();
    } else if (cairo_t* cr = cairoFor(*dc)) {
        cairo_rectangle(cr, static_cast<double>(px), static_cast<double>(py), 1, 1);
        setSourceColor(cr, color);
        cairo_fill(cr);
        cairoDone(*dc);
    }
    return color;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return CLR_INVALID;
    if (tracing(dc))
        traceDc(*dc, "GetPixel(" + num(x) + "," + num(y) + ")");
    if (!dc->target || !dc->target->isImage)
        return CLR_INVALID;
    double dx, dy;
    devicePoint(*dc, x, y, dx, dy);
    const long long px = static_cast<long long>(dx), py = static_cast<long long>(dy);
    Surface& s = *dc->target;
    if (px < 0 || py < 0 || px >= s.width || py >= s.height)
        return CLR_INVALID;
    const uint32_t v = s.beginDirect()[py * s.strideWords() + px];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

// ---- Paths ----------------------------------------------------------------------------------------

BOOL WINAPI BeginPath(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "BeginPath()");
    dc->path.clear();
    dc->pathOpen = true;
    dc->pathReady = false;
    return TRUE;
}

BOOL WINAPI EndPath(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "EndPath()");
    if (!dc->pathOpen)
        return FALSE;
    dc->pathOpen = false;
    dc->pathReady = true;
    return TRUE;
}

BOOL WINAPI AbortPath(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "AbortPath()");
    dc->path.clear();
    dc->pathOpen = false;
    dc->pathReady = false;
    return TRUE;
}

BOOL WINAPI CloseFigure(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, "CloseFigure()");
    if (!dc->pathOpen || dc->path.empty())
        return FALSE;
    dc->path.back().closes = true;
    return TRUE;
}

} // extern "C"

namespace {

BOOL finishPath(const char* name, HDC hdc, bool fill, bool stroke) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceDc(*dc, std::string(name) + "()");
    if (!dc->pathReady)
        return FALSE;
    const Figure f = std::move(dc->path);
    dc->path.clear();
    dc->pathReady = false;
    if (fill)
        fillFigure(*dc, f);
    if (stroke)
        strokeFigure(*dc, f);
    return TRUE;
}

} // namespace

extern "C" {

BOOL WINAPI StrokePath(HDC hdc) {
    return finishPath("StrokePath", hdc, false, true);
}
BOOL WINAPI FillPath(HDC hdc) {
    return finishPath("FillPath", hdc, true, false);
}
BOOL WINAPI StrokeAndFillPath(HDC hdc) {
    return finishPath("StrokeAndFillPath", hdc, true, true);
}

// ---- USER: FillRect -------------------------------------------------------------------------------

int WINAPI FillRect(HDC hdc, const RECT* rc, HBRUSH hbr) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return 0;
    if (tracing(dc))
        traceDc(*dc,
                "FillRect(" +
                    (rc ? "(" + four(rc->left, rc->top, rc->right, rc->bottom) + ")" : std::string("NULL")) +
                    "," + traceHandle(dc->trace.get(), hbr) + ")");
    // As on Windows, a brush handle may also be a system colour index plus one.
    LOGBRUSH lb{};
    const auto value = reinterpret_cast<uintptr_t>(hbr);
    if (Brush* b = lookupBrush(hbr))
        lb = b->lb;
    else if (value >= 1 && value <= COLOR_MENUBAR + 1)
        lb = LOGBRUSH{BS_SOLID, GetSysColor(static_cast<int>(value - 1)), 0};
    else
        return 0;
    if (!rc || !dc->target)
        return 0;
    const Box bx = deviceBox(*dc, rc->left, rc->top, rc->right, rc->bottom);
    if (bx.l >= bx.r || bx.t >= bx.b || lb.lbStyle == BS_NULL)
        return 1;
    Surface& s = *dc->target;
    if (lb.lbStyle == BS_SOLID && s.isImage) {
        const long long l = std::max(0.0, bx.l), r = std::min<double>(s.width, bx.r);
        const long long t = std::max(0.0, bx.t), b = std::min<double>(s.height, bx.b);
        if (l >= r || t >= b)
            return 1;
        uint32_t* p = s.beginDirect();
        const int stride = s.strideWords();
        const uint32_t v = pixelOf(lb.lbColor);
        for (long long y = t; y < b; ++y)
            std::fill(p + y * stride + l, p + y * stride + r, v);
        s.endDirect();
        return 1;
    }
    cairo_t* cr = cairoFor(*dc);
    if (!cr)
        return 0;
    cairo_rectangle(cr, bx.l, bx.t, bx.r - bx.l, bx.b - bx.t);
    if (setBrushSource(cr, *dc, lb))
        cairo_fill(cr);
    cairoDone(*dc);
    return 1;
}

} // extern "C"
