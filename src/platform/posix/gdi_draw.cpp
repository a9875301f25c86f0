// GDI drawing off Windows: lines, shapes, paths, pixels and FillRect.
//
// Geometry is built in device pixel coordinates where (x, y) names pixel (x, y), and drawn by one of
// two renderers:
// - on image targets, one-pixel pens and fills go straight into the pixels (raster_p.h): curves are
//   flattened into whole-pixel polygons, a one-pixel pen lights GDI's pixels along each segment (first
//   drawn, last not, dash patterns counted in pixels), and a fill lights the pixels whose integer
//   points lie inside the outline, left and top edges included, right and bottom edges not. A shape
//   is filled and outlined along the same polygon, so fill and outline meet with no gap and no
//   overhang. This is GDI's pixel model, and far faster than Cairo.
// - wide pens, and everything on vector targets (PDF, SVG), go through Cairo, aliased, with pixel
//   centres at (x + 0.5, y + 0.5): strokes with the pen's width, caps, joins and dashes, fills of the
//   same outline, hatches as lines of the pattern's spacing and phase.
// Boxes of Rectangle, Ellipse, Pie and Chord have their outline through the pixels l .. r − 1 and
// t .. b − 1, which keeps them within [left, right) x [top, bottom): a null-pen Rectangle(0,0,10,10)
// fills pixels 0..8, one with a pen fills 0..9 with its border over the outer ring.
#include "platform/posix/gdi_p.h"
#include "platform/posix/raster_p.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace draft2d::detail {

const PathPoints& pathPoints(const Dc& dc) {
    static const PathPoints none;
    return dc.pathPts ? *dc.pathPts : none;
}

PathPoints& editPath(Dc& dc) {
    if (!dc.pathPts)
        dc.pathPts = std::make_shared<PathPoints>();
    else if (dc.pathPts.use_count() > 1)
        dc.pathPts = std::make_shared<PathPoints>(*dc.pathPts); // a saved state keeps the old points
    return *dc.pathPts;
}

} // namespace draft2d::detail

using namespace draft2d::detail;

namespace {

// Ends the DC's path, open or ended: its points are emptied for reuse unless a saved state holds them.
void dropPath(Dc& dc) {
    if (dc.pathPts && dc.pathPts.use_count() == 1)
        dc.pathPts->clear();
    else
        dc.pathPts.reset();
    dc.pathOpen = false;
    dc.pathReady = false;
}

constexpr double kPi = 3.14159265358979323846;

struct DPointXY {
    double x, y;
};

// ---- Hatch brushes --------------------------------------------------------------------------------

// Hatch brushes of pens (stroked by Cairo) are 8 x 8 image patterns aligned to the device origin.
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

// The brush as our fills write it on image targets; false for brushes that paint nothing.
bool spanBrush(const Dc& dc, const LOGBRUSH& lb, SpanBrush& out) {
    if (lb.lbStyle == BS_SOLID) {
        out.color = pixelOf(lb.lbColor);
        return true;
    }
    if (lb.lbStyle == BS_HATCHED && lb.lbHatch <= HS_DIAGCROSS) {
        out.color = pixelOf(lb.lbColor);
        out.hatch = static_cast<int>(lb.lbHatch);
        out.opaque = dc.st.bkMode == OPAQUE;
        out.background = pixelOf(dc.st.bkColor);
        return true;
    }
    return false;
}

// Hatches on vector targets: the lines of the 8 x 8 pattern drawn across the area through the centres of
// the pixels the pattern lights, so that the page shows the same spacing and phase at any resolution
// without tile seams. Pattern pixels are those of kHatchRows: horizontal y ≡ 3, vertical x ≡ 4, forward
// diagonal x − y ≡ 0, backward diagonal x + y ≡ 7 (mod 8). Straight lines are a pixel wide, diagonals
// 1/√2, which covers one pixel per row as the pattern does.
void strokeHatchLines(cairo_t* cr, int style, double x1, double y1, double x2, double y2) {
    auto from = [](double v, double phase) { return 8 * std::floor((v - phase) / 8) + phase; };
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_dash(cr, nullptr, 0, 0);
    if (style == HS_HORIZONTAL || style == HS_CROSS)
        for (double y = from(y1 - 1, 3.5); y <= y2 + 1; y += 8) {
            cairo_move_to(cr, x1 - 1, y);
            cairo_line_to(cr, x2 + 1, y);
        }
    if (style == HS_VERTICAL || style == HS_CROSS)
        for (double x = from(x1 - 1, 4.5); x <= x2 + 1; x += 8) {
            cairo_move_to(cr, x, y1 - 1);
            cairo_line_to(cr, x, y2 + 1);
        }
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    // Diagonals through the pixel centres: x − y = 8k and x + y = 8k (continuous coordinates).
    if (style == HS_FDIAGONAL || style == HS_DIAGCROSS)
        for (double k = from(x1 - y2 - 2, 0); k <= x2 - y1 + 2; k += 8) {
            cairo_move_to(cr, y1 - 1 + k, y1 - 1);
            cairo_line_to(cr, y2 + 1 + k, y2 + 1);
        }
    if (style == HS_BDIAGONAL || style == HS_DIAGCROSS)
        for (double k = from(x1 + y1 - 2, 0); k <= x2 + y2 + 2; k += 8) {
            cairo_move_to(cr, k - (y1 - 1), y1 - 1);
            cairo_line_to(cr, k - (y2 + 1), y2 + 1);
        }
    cairo_set_line_width(cr, std::sqrt(0.5));
    cairo_stroke(cr);
}

// Fills the current path of cr (device pixel units) with a brush; false for brushes that paint
// nothing. Solid brushes fill; hatches clip to the path and draw their lines (vector targets).
bool fillCairoPath(cairo_t* cr, const Dc& dc, const LOGBRUSH& lb) {
    if (lb.lbStyle == BS_SOLID) {
        setSourceColor(cr, lb.lbColor);
        cairo_fill(cr);
        return true;
    }
    if (lb.lbStyle != BS_HATCHED || lb.lbHatch > HS_DIAGCROSS)
        return false;
    cairo_save(cr);
    cairo_clip(cr);
    if (dc.st.bkMode == OPAQUE) {
        setSourceColor(cr, dc.st.bkColor);
        cairo_paint(cr);
    }
    double x1, y1, x2, y2;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    if (x1 < x2 && y1 < y2) {
        setSourceColor(cr, lb.lbColor);
        strokeHatchLines(cr, static_cast<int>(lb.lbHatch), x1, y1, x2, y2);
    }
    cairo_restore(cr);
    return true;
}

// ---- Pens -----------------------------------------------------------------------------------------

// Dash patterns in pixels for cosmetic pens, in multiples of the width for geometric ones.
const DWORD kCosmeticDash[4][6] = {{18, 6}, {3, 3}, {9, 6, 3, 6}, {9, 3, 3, 3, 3, 3}};
const DWORD kGeometricDash[4][6] = {{3, 1}, {1, 1}, {3, 1, 1, 1}, {3, 1, 1, 1, 1, 1}};
const int kDashCount[4] = {2, 2, 4, 6};

struct PenInfo {
    bool visible = false;
    bool onePixel = false; // drawn by the pixel loop on image targets
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

// The pen of the pixel loop.
LinePen linePen(const Dc& dc, const PenInfo& pi) {
    LinePen lp;
    lp.color = pixelOf(pi.brush.lbColor);
    lp.background = pixelOf(dc.st.bkColor);
    lp.opaqueGaps = pi.opaqueGaps;
    for (double d : pi.dashes)
        lp.dashes.push_back(std::llround(d));
    return lp;
}

// ---- Figures --------------------------------------------------------------------------------------

using Figure = std::vector<PathPoint>;

std::vector<FixFigure> fixFigures(const Dc& dc, const Figure& f) {
    return toFixFigures(f, dc.target->width, dc.target->height);
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

// ---- Far coordinates on Cairo --------------------------------------------------------------------
//
// GDI takes device coordinates up to 2^27; Cairo keeps its own in 24.8 fixed point and goes wrong
// beyond about 2^23. Figures reaching past kCairoReach are first brought near: curves flattened (the
// parts far outside the view as straight lines), then strokes cut and fills clipped, in double
// precision, to the view grown by a margin that holds everything a pen of the figure's width can
// paint into the view. What is drawn inside the view does not change; nearer figures go to Cairo
// as they are.

constexpr double kCairoReach = 2097152.0; // 2^21

bool reachesFar(const Figure& f) {
    for (const PathPoint& p : f)
        if (!(std::fabs(p.x) < kCairoReach && std::fabs(p.y) < kCairoReach))
            return true;
    return false;
}

struct NearBox {
    double l, t, r, b;
};

// The figures of f flattened to polylines in device pixels (a closed figure repeats its first point).
std::vector<std::vector<DPointXY>> flattenNear(const Figure& f, const NearBox& box) {
    // The flattener's view starts at 0: shift by the box's corner and back.
    Figure shifted = f;
    for (PathPoint& p : shifted) {
        p.x -= box.l;
        p.y -= box.t;
    }
    const long long w = static_cast<long long>(std::ceil(box.r - box.l));
    const long long h = static_cast<long long>(std::ceil(box.b - box.t));
    std::vector<std::vector<DPointXY>> out;
    for (const FixFigure& fig : toFixFigures(shifted, w, h)) {
        std::vector<DPointXY> line;
        for (const FixPoint& q : fig.pts)
            line.push_back({q.x / double(kFixOne) + box.l, q.y / double(kFixOne) + box.t});
        if (fig.closed && !line.empty())
            line.push_back(line.front());
        out.push_back(std::move(line));
    }
    return out;
}

NearBox viewBox(const Dc& dc, double margin) {
    return NearBox{-margin, -margin, dc.target->width + margin, dc.target->height + margin};
}

// Liang-Barsky: the part of a-b inside the box as parameters t0 <= t1; false when none.
bool clipSegment(const DPointXY& a, const DPointXY& b, const NearBox& box, double& t0, double& t1) {
    t0 = 0;
    t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - box.l, box.r - a.x, a.y - box.t, box.b - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    return true;
}

// A stroke brought near: the runs of a figure inside the box, each with the length of the figure
// before it (where its dash pattern stands).
struct NearRun {
    Figure run;
    double along;
};

std::vector<NearRun> strokeRunsNear(const Figure& f, const NearBox& box) {
    std::vector<NearRun> runs;
    for (const std::vector<DPointXY>& line : flattenNear(f, box)) {
        double along = 0;
        NearRun cur{{}, 0};
        for (size_t i = 0; i + 1 < line.size(); ++i) {
            const DPointXY a = line[i], b = line[i + 1];
            const double len = std::hypot(b.x - a.x, b.y - a.y);
            double t0, t1;
            if (clipSegment(a, b, box, t0, t1)) {
                const PathPoint s{a.x + (b.x - a.x) * t0, a.y + (b.y - a.y) * t0, PathPoint::Move, false};
                const PathPoint e{a.x + (b.x - a.x) * t1, a.y + (b.y - a.y) * t1, PathPoint::Line, false};
                if (cur.run.empty() || t0 > 0) {
                    if (cur.run.size() > 1)
                        runs.push_back(std::move(cur));
                    cur = NearRun{{s}, along + len * t0};
                }
                cur.run.push_back(e);
                if (t1 < 1) {
                    runs.push_back(std::move(cur));
                    cur = NearRun{{}, 0};
                }
            }
            along += len;
        }
        if (cur.run.size() > 1)
            runs.push_back(std::move(cur));
    }
    return runs;
}

// A fill brought near: every figure closed and clipped to the box (Sutherland-Hodgman; against a
// box this keeps the fill inside it under either fill rule).
Figure fillNear(const Figure& f, const NearBox& box) {
    Figure out;
    for (std::vector<DPointXY> poly : flattenNear(f, box)) {
        if (!poly.empty())
            poly.pop_back(); // the repeated first point
        for (int edge = 0; edge < 4 && !poly.empty(); ++edge) {
            auto inside = [&](const DPointXY& p) {
                return edge == 0   ? p.x >= box.l
                       : edge == 1 ? p.x <= box.r
                       : edge == 2 ? p.y >= box.t
                                   : p.y <= box.b;
            };
            auto cross = [&](const DPointXY& a, const DPointXY& b) {
                const double t = edge == 0   ? (box.l - a.x) / (b.x - a.x)
                                 : edge == 1 ? (box.r - a.x) / (b.x - a.x)
                                 : edge == 2 ? (box.t - a.y) / (b.y - a.y)
                                             : (box.b - a.y) / (b.y - a.y);
                return DPointXY{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
            };
            std::vector<DPointXY> next;
            for (size_t i = 0; i < poly.size(); ++i) {
                const DPointXY& a = poly[i];
                const DPointXY& b = poly[(i + 1) % poly.size()];
                if (inside(a))
                    next.push_back(a);
                if (inside(a) != inside(b))
                    next.push_back(cross(a, b));
            }
            poly.swap(next);
        }
        for (size_t i = 0; i < poly.size(); ++i)
            out.push_back(PathPoint{poly[i].x, poly[i].y, i == 0 ? PathPoint::Move : PathPoint::Line,
                                    i + 1 == poly.size()});
    }
    return out;
}

// The pen's width, ends, joins and dashes (the pattern dashOffset pixels in) on cr.
void setStrokeStyle(cairo_t* cr, const PenInfo& pi, double dashOffset) {
    cairo_set_line_width(cr, pi.width);
    cairo_set_line_cap(cr, pi.cap);
    cairo_set_line_join(cr, pi.join);
    cairo_set_miter_limit(cr, 10.0);
    if (!pi.dashes.empty())
        cairo_set_dash(cr, pi.dashes.data(), static_cast<int>(pi.dashes.size()), dashOffset);
}

// Strokes figures with the selected pen (one-pixel loop or Cairo).
void strokeFigure(Dc& dc, const Figure& f) {
    const PenInfo pi = penInfo(dc);
    if (!pi.visible || f.size() < 1 || !dc.target)
        return;
    if (pi.onePixel) {
        PixelLine pl(*dc.target, linePen(dc, pi));
        pl.figures(fixFigures(dc, f));
        return;
    }
    const bool isFar = reachesFar(f);
    if (!dc.target->isImage && !isFar) {
        // Vector targets: gathered with the strokes before it while the pen is the same.
        StrokeKey key;
        key.width = pi.width;
        key.cap = pi.cap;
        key.join = pi.join;
        key.dashes = pi.dashes;
        key.brush = pi.brush;
        key.opaqueGaps = pi.opaqueGaps;
        key.bkColor = dc.st.bkColor;
        key.bkMode = dc.st.bkMode;
        constexpr int kMaxFigures = 4096;
        if (dc.batch.open && dc.batch.key == key && dc.batch.figures < kMaxFigures) {
            addToCairo(dc.cr, f, 0.5);
            ++dc.batch.figures;
            return;
        }
        cairo_t* cr = cairoFor(dc);
        if (!cr)
            return;
        setStrokeStyle(cr, pi, 0);
        if (!setBrushSource(cr, dc, pi.brush)) {
            cairoDone(dc);
            return;
        }
        addToCairo(cr, f, 0.5);
        dc.batch.open = true;
        dc.batch.figures = 1;
        dc.batch.key = std::move(key);
        return;
    }
    cairo_t* cr = cairoFor(dc);
    if (!cr)
        return;
    auto stroke = [&](const Figure& path, double dashOffset) {
        addToCairo(cr, path, 0.5);
        setStrokeStyle(cr, pi, dashOffset);
        if (!pi.dashes.empty() && pi.opaqueGaps) {
            cairo_save(cr);
            cairo_set_dash(cr, nullptr, 0, 0);
            setSourceColor(cr, dc.st.bkColor);
            cairo_stroke_preserve(cr);
            cairo_restore(cr);
        }
        cairo_stroke(cr);
    };
    if (setBrushSource(cr, dc, pi.brush)) {
        if (!isFar) {
            stroke(f, 0);
        } else {
            // A mitre reaches at most half the limit times the width beyond its vertex.
            for (const NearRun& r : strokeRunsNear(f, viewBox(dc, 6 * pi.width + 16)))
                stroke(r.run, r.along);
        }
    }
    cairoDone(dc);
}

// Fills figures (each closed) with the selected brush under the polygon fill mode.
void fillFigure(Dc& dc, const Figure& f) {
    const LOGBRUSH& lb = dc.st.brush->lb;
    if (lb.lbStyle == BS_NULL || f.size() < 3 || !dc.target)
        return;
    const bool winding = dc.st.polyFillMode == WINDING;
    if (dc.target->isImage) {
        SpanBrush sb;
        if (spanBrush(dc, lb, sb))
            fillFixFigures(*dc.target, fixFigures(dc, f), winding, sb);
        return;
    }
    cairo_t* cr = cairoFor(dc);
    if (!cr)
        return;
    Figure closed = reachesFar(f) ? fillNear(f, viewBox(dc, 16)) : f;
    for (size_t i = 0; i < closed.size(); ++i)
        if (i + 1 == closed.size() || closed[i + 1].type == PathPoint::Move)
            closed[i].closes = true;
    addToCairo(cr, closed, 0.5);
    cairo_set_fill_rule(cr, winding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    fillCairoPath(cr, dc, lb);
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
    PathPoints& path = editPath(dc);
    path.insert(path.end(), f.begin(), f.end());
}

Box shrink(Box b, double d) {
    return Box{b.l + d, b.t + d, b.r - d, b.b - d};
}

// Draws a closed shape of a box: its outline through the pixels l .. r − 1 and t .. b − 1, filled
// inside that outline and stroked along it.
template <typename MakeFigure>
void drawBoxShape(Dc& dc, const Box& bx, MakeFigure make) {
    const PenInfo pi = penInfo(dc);
    const Box inner{bx.l, bx.t, bx.r - 1, bx.b - 1};
    if (dc.pathOpen) {
        addToPath(dc, make(inner));
        return;
    }
    fillFigure(dc, make(inner));
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
    const PathPoints& path = pathPoints(dc);
    return !path.empty() && !path.back().closes;
}

} // namespace

extern "C" {} // extern "C"

namespace {

// MoveToEx and LineTo whatever the DC, its state and the trace.
[[gnu::noinline]] BOOL moveTo(HDC hdc, int x, int y, LPPOINT old) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceCall(*dc, [&] { return "MoveToEx(" + num(x) + "," + num(y) + ")"; });
    if (old)
        *old = dc->st.pos;
    dc->st.pos = POINT{x, y};
    if (dc->pathOpen) {
        double dx, dy;
        devicePoint(*dc, x, y, dx, dy);
        PathPoints& path = editPath(*dc);
        if (!path.empty() && path.back().type == PathPoint::Move && !path.back().closes)
            path.pop_back(); // two moves in a row: the later one wins
        push(path, dx, dy, PathPoint::Move);
    }
    return TRUE;
}

[[gnu::noinline]] BOOL lineTo(HDC hdc, int x, int y) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceCall(*dc, [&] { return "LineTo(" + num(x) + "," + num(y) + ")"; });
    const POINT from = dc->st.pos;
    dc->st.pos = POINT{x, y};
    if (dc->st.mapMode == MM_TEXT && !dc->pathOpen) {
        // Straight device coordinates: one-pixel pens go to the pixel loop, clipped to the image.
        const Pen* p = dc->st.pen;
        if (p->thinSolid && dc->target && dc->target->isImage) {
            LinePen lp;
            lp.color = p->thinPixel;
            PixelLine pl(*dc->target, lp);
            pl.line(from.x, from.y, x, y);
            return TRUE;
        }
        const PenInfo pi = penInfo(*dc);
        if (pi.visible && pi.onePixel) {
            PixelLine pl(*dc->target, linePen(*dc, pi));
            pl.line(from.x, from.y, x, y);
            return TRUE;
        }
    }
    Figure f;
    double x0, y0, x1, y1;
    devicePoint(*dc, from.x, from.y, x0, y0);
    devicePoint(*dc, x, y, x1, y1);
    if (dc->pathOpen) {
        const bool continues = pathFigureOpen(*dc);
        PathPoints& path = editPath(*dc);
        if (!continues)
            push(path, x0, y0, PathPoint::Move);
        push(path, x1, y1, PathPoint::Line);
        return TRUE;
    }
    push(f, x0, y0, PathPoint::Move);
    push(f, x1, y1, PathPoint::Line);
    strokeFigure(*dc, f);
    return TRUE;
}

} // namespace

extern "C" {

// MoveToEx and LineTo are most of what a drawing calls, millions of times on one DC. Their short
// road (the DC of the last call, no trace, no path; for LineTo a solid one-pixel pen in MM_TEXT and a
// segment inside an image) calls nothing and saves nothing: a drawing's lines are written to pixels
// that are mostly not in any cache, and every store besides them waits in line behind those.
BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
    if (hdc && hdc == g_hot.lastDcHandle && !g_hot.tracesOn && !old) {
        Dc* dc = g_hot.lastDc;
        if (!dc->pathOpen) {
            dc->st.pos = POINT{x, y};
            return TRUE;
        }
    }
    return moveTo(hdc, x, y, old);
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    if (hdc && hdc == g_hot.lastDcHandle && !g_hot.tracesOn) {
        Dc* dc = g_hot.lastDc;
        const Pen* p = dc->st.pen;
        Surface* s = dc->target;
        uint32_t* px = s ? s->readyPixels() : nullptr;
        const POINT from = dc->st.pos;
        if (p->thinSolid && dc->st.mapMode == MM_TEXT && !dc->pathOpen && px &&
            solidLineFits(s->width, s->height, from.x, from.y, x, y)) {
            // Everything but the pixels first: the loop then needs no register kept across it.
            const uint32_t color = p->thinPixel;
            const long long stride = s->readyStride();
            s->endDirect();
            dc->st.pos = POINT{x, y};
            solidLinePixels(px, stride, from.x, from.y, x, y, color);
            return TRUE;
        }
    }
    return lineTo(hdc, x, y);
}

BOOL WINAPI Polyline(HDC hdc, const POINT* pts, int n) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceCall(*dc, [&] { return "Polyline(" + pointsText(pts, n) + ")"; });
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
        traceCall(*dc, [&] { return "Polygon(" + pointsText(pts, n) + ")"; });
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
        traceCall(*dc, [&] { return "PolyBezier(" + pointsText(pts, n) + ")"; });
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
        traceCall(*dc, [&] { return "Rectangle(" + four(left, top, right, bottom) + ")"; });
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
        traceCall(*dc, [&] { return "Ellipse(" + four(left, top, right, bottom) + ")"; });
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
        traceCall(*dc, [&] {
            return std::string(name) + "(" + four(x1, y1, x2, y2) + "," + four(x3, y3, x4, y4) + ")";
        });
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
        traceCall(*dc, [&] {
            return "AngleArc(" + num(x) + "," + num(y) + "," + num(r) + "," + fmtDouble(startAngle) + "," +
                   fmtDouble(sweepAngle) + ")";
        });
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
        traceCall(*dc, [&] { return "SetPixel(" + num(x) + "," + num(y) + "," + traceColor(color) + ")"; });
    if (!dc->target)
        return CLR_INVALID;
    double dx, dy;
    devicePoint(*dc, x, y, dx, dy);
    const long long px = static_cast<long long>(dx), py = static_cast<long long>(dy);
    Surface& s = *dc->target;
    if (px < 0 || py < 0 || px >= s.width || py >= s.height)
        return CLR_INVALID;
    color = drawnColor(color); // the colour set is the one answered
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
        traceCall(*dc, [&] { return "GetPixel(" + num(x) + "," + num(y) + ")"; });
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

// A path is part of the DC's state: SaveDC keeps it (open or ended) and RestoreDC brings it back.
// Calls that need a path and find none fail with ERROR_CAN_NOT_COMPLETE, as on Windows.
BOOL WINAPI BeginPath(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceCall(*dc, [&] { return "BeginPath()"; });
    dropPath(*dc);
    dc->pathOpen = true;
    return TRUE;
}

BOOL WINAPI EndPath(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceCall(*dc, [&] { return "EndPath()"; });
    if (!dc->pathOpen) {
        SetLastError(ERROR_CAN_NOT_COMPLETE);
        return FALSE;
    }
    dc->pathOpen = false;
    dc->pathReady = true;
    return TRUE;
}

BOOL WINAPI AbortPath(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceCall(*dc, [&] { return "AbortPath()"; });
    dropPath(*dc);
    return TRUE;
}

// Closes the figure being drawn; in an open path without one (nothing drawn yet, or the last figure
// closed already) there is nothing to close, which is no failure.
BOOL WINAPI CloseFigure(HDC hdc) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceCall(*dc, [&] { return "CloseFigure()"; });
    if (!dc->pathOpen) {
        SetLastError(ERROR_CAN_NOT_COMPLETE);
        return FALSE;
    }
    if (!pathPoints(*dc).empty())
        editPath(*dc).back().closes = true;
    return TRUE;
}

} // extern "C"

namespace {

BOOL finishPath(const char* name, HDC hdc, bool fill, bool stroke) {
    Dc* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    if (tracing(dc))
        traceCall(*dc, [&] { return std::string(name) + "()"; });
    if (!dc->pathReady) {
        SetLastError(ERROR_CAN_NOT_COMPLETE);
        return FALSE;
    }
    // The points are the DC's or shared with a saved state; either way they are read only here.
    const std::shared_ptr<PathPoints> points = std::move(dc->pathPts);
    dc->pathReady = false;
    static const Figure none;
    const Figure& f = points ? *points : none;
    if (fill)
        fillFigure(*dc, f);
    if (stroke)
        strokeFigure(*dc, f);
    if (points && points.use_count() == 1 && !dc->pathPts) {
        points->clear(); // kept for the next path
        dc->pathPts = points;
    }
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
    // The rectangle is filled as PatBlt fills its origin and extent: a negative extent covers the
    // pixels from the far corner (exclusive) back to the origin (inclusive).
    Box bx;
    devicePoint(*dc, rc->left, rc->top, bx.l, bx.t);
    devicePoint(*dc, rc->right, rc->bottom, bx.r, bx.b);
    if (bx.r < bx.l)
        bx = Box{bx.r + 1, bx.t, bx.l + 1, bx.b};
    if (bx.b < bx.t)
        bx = Box{bx.l, bx.b + 1, bx.r, bx.t + 1};
    if (bx.l >= bx.r || bx.t >= bx.b || lb.lbStyle == BS_NULL)
        return 1;
    Surface& s = *dc->target;
    if (s.isImage) {
        SpanBrush sb;
        if (spanBrush(*dc, lb, sb))
            fillPixelRect(s, static_cast<long long>(bx.l), static_cast<long long>(bx.t),
                          static_cast<long long>(bx.r), static_cast<long long>(bx.b), sb);
        return 1;
    }
    cairo_t* cr = cairoFor(*dc);
    if (!cr)
        return 0;
    cairo_rectangle(cr, bx.l, bx.t, bx.r - bx.l, bx.b - bx.t);
    fillCairoPath(cr, *dc, lb);
    cairoDone(*dc);
    return 1;
}

} // extern "C"
