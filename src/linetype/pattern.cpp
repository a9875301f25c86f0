// The pattern walk: a line type with a period along a polyline in screen pixels.
//
// Lengths of the pattern are paper millimetres; on the path one millimetre is
//     k = gs->GetMmPixels() * scale   pixels,
// so a period is L = k * period pixels. The walk cuts every segment into pieces that end where a
// period ends, and each item draws its share of the piece A-E, knowing the phase: how many pixels
// of the period lie before A.
//
//   dash 'M'          the part of [start, end] that falls in [phase, phase + |AE|], on the line or
//                     moved sideways by its offset(s); offset strokes of successive pieces meet on
//                     the bisector of the corner between them (CalcOffLine)
//   'C' 'E' 'H' 'h' 'B' 'Z'   point decorations (circles, ticks, symbols, letters) at pos: drawn in the one
//   piece whose phase range
//                     holds pos, at pos - phase from A, so each comes once per period at its place
//                     along the line even when a vertex splits the period
//   'b'               remembered, then drawn over the whole outline at the end (DrawFillBlock)
//
// Sideways is the piece's direction turned by +90 degrees on screen (y down): to the right of the
// direction of travel as seen on the sheet.
//
// Bounds: segments shorter than 2 pixels, and every segment when a period is shorter than 2
// pixels, are drawn plainly; a segment is cut into at most 9999 pieces (what is left of a longer
// one is not drawn); the items of a piece are drawn only when the piece, grown by everything they
// and the pen can reach, meets the DC's clip box (the others are walked for the phase alone);
// offsets beyond 990 pixels are not drawn; the filling symbols visit only the grid points near the
// visible area, at most a million of them.
#include "linetype/CLineType.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

#include "algorithms/angles.h"
#include "algorithms/area_p.h"
#include "pixel_p.h"
#include "symbol/mgSymbol.h"
#include "text/CFontFormat.h"
#include "view/CGraphSystem.h"

using draft2d::detail::DevicePixelTrunc;

namespace {

const double kPi = 3.141592653589793;
const double kTiny = 1e-7;
const double kMaxOffset = 990.0;       // pixels
const int kMaxPiecesPerSegment = 9999; // pieces of one segment
// Grid points of one filling (256 x 256): a denser grid on what the window shows puts a symbol
// every few pixels, a smear that would cost a second a redraw, and is not drawn.
const int64_t kMaxFillPoints = 65536;
// Grid points times outline vertices of one filling: every grid point is tested against the whole
// outline, so a dense grid inside a finely divided outline (a large circle) would cost seconds.
const double kMaxFillWork = 2e7;
const double kNotGiven = 1e5; // CalcOffLine: an angle above it is not given

bool Finite(const mgPoint& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// Unit vector of the piece a-e; along angle when the piece has no length.
mgPoint UnitOf(const mgPoint& a, const mgPoint& e, double angle) {
    const double dx = e.x() - a.x(), dy = e.y() - a.y();
    const double r = std::sqrt(dx * dx + dy * dy);
    if (r < 1e-12)
        return mgPoint(std::cos(angle), std::sin(angle));
    return mgPoint(dx / r, dy / r);
}

// Where a point decoration at pos pixels into the period goes in the piece a-e that starts phase
// pixels into it: false when pos lies in another piece; else the anchor at pos - phase along the
// piece, moved by offset pixels sideways, and the piece's unit direction.
bool DecorationAnchor(const mgPoint& a, const mgPoint& e, double phase, double pos, double offset,
                      mgPoint& anchor, mgPoint& u) {
    const double r = mg_distance(a, e);
    // The half-open range (phase - 1e-7, phase + r - 1e-7]: a position on the boundary of two
    // pieces belongs to exactly one of them.
    if (!(pos > phase - kTiny && pos + kTiny <= r + phase))
        return false;
    u = UnitOf(a, e, 0.0);
    const double along = pos - phase;
    anchor.set(a.x() + along * u.x() - offset * u.y(), a.y() + along * u.y() + offset * u.x());
    return Finite(anchor);
}

// How far a symbol reaches from its origin, in symbol units (texts counted roughly by their
// height and length). Used to widen the visible area by what a symbol placed outside it can show.
double SymbolReach(const mgSymbol* s) {
    if (s == nullptr)
        return 1.0;
    double reach = 0.0;
    auto at = [&reach](double x, double y, double extra) {
        const double d = std::hypot(x, y) + std::fabs(extra);
        if (std::isfinite(d))
            reach = std::max(reach, d);
    };
    for (const mgSymbolItem* it : s->GetItems()) {
        switch (it->kind) {
        case 'l':
        case 'r':
            at(it->x, it->y, it->width);
            at(it->x2, it->y2, it->width);
            break;
        case 'c':
        case 'a':
            at(it->x, it->y, double(it->radius) + it->width);
            break;
        case 'd':
            at(it->x, it->y, 0);
            break;
        case 'h':
            at(it->x, it->y, double(it->height) * (it->text != nullptr ? std::strlen(it->text) + 1 : 1));
            break;
        case 'z':
            for (int k = 0; k < it->count; ++k)
                at(it->xs[k], it->ys[k], it->width);
            break;
        default:
            break;
        }
    }
    return std::min(reach, 1e6);
}

// How far from its piece anything an item draws can reach, in pixels (k pixels per pattern
// millimetre): dash offsets (up to ten times at a sharp corner's bisector), circles, ticks, symbols
// and letters. Infinite when it cannot be told.
double ItemReach(const CLineType::item_data& item, double k, double symbolPixels) {
    switch (item.kind) {
    case 'M': {
        double m = std::fabs(item.offset);
        for (int i = 0; item.offsets != nullptr && i < item.offsetCount; ++i)
            m = std::max(m, double(std::fabs(item.offsets[i])));
        return 10.0 * std::min(k * m, kMaxOffset);
    }
    case 'C':
        return k * (std::fabs(item.offset) + std::fabs(item.radius));
    case 'E':
    case 'H':
    case 'h':
        return k * std::max(std::fabs(item.from), std::fabs(item.to));
    case 'B':
        return k * std::fabs(item.offset) +
               SymbolReach(mgSymbols::c_object.Find(item.blockName)) * symbolPixels;
    case 'Z':
        return k * (std::fabs(item.offset) +
                    std::fabs(item.height) * (item.text != nullptr ? std::strlen(item.text) + 1.0 : 1.0));
    default:
        return 0.0;
    }
}

// The width of the pen selected in dc, in pixels (0 when it cannot be read).
double PenWidth(HDC dc) {
    HGDIOBJ pen = ::GetCurrentObject(dc, OBJ_PEN);
    union {
        EXTLOGPEN ext;
        LOGPEN log;
    } buf;
    const int n = pen != nullptr ? ::GetObjectA(pen, sizeof(buf.ext), &buf) : 0;
    if (n == static_cast<int>(sizeof(LOGPEN)))
        return buf.log.lopnWidth.x;
    if (n >= static_cast<int>(offsetof(EXTLOGPEN, elpHatch)))
        return buf.ext.elpWidth;
    return 0.0;
}

// The random numbers of a filling, drawn from the grid indices of each point (SplitMix64), so a
// drawing comes out the same every time, whatever else uses the C library's rand.
class GridRandom {
public:
    GridRandom(int64_t i, int64_t j)
        : state_((static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ull) ^
                 (static_cast<uint64_t>(j) + 0x632BE59BD9B4E019ull)) {}
    uint32_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
    }

private:
    uint64_t state_;
};

} // namespace

// Offset stroke: each end moves along the bisector of its corner by offset / s, where s is the
// sine of the angle between the stroke and the bisector, so that the strokes on both sides of the
// corner, each moved by offset, meet there. Corners that nearly reverse (|s| <= 0.1) would send
// the end far away: those ends move straight sideways instead.
void CLineType::CalcOffLine(double& x1, double& y1, double& x2, double& y2, double offset, double angle,
                            double prevAngle, double nextAngle) {
    if (angle > kNotGiven) {
        angle = GetLineAngle(x1, y1, x2, y2);
        if (prevAngle > kNotGiven)
            prevAngle = angle;
        if (nextAngle > kNotGiven)
            nextAngle = angle;
    }
    if (std::fabs(offset) <= kTiny)
        return;
    const double side = angle + kPi / 2;
    const double b1 = AngleBisector(angle, prevAngle + kPi);
    const double s1 = std::cos(AngleBetween(angle, b1) - kPi / 2);
    if (std::fabs(s1) > 0.1)
        CalcDistPoint(x1, y1, b1, offset / s1, &x1, &y1);
    else
        CalcDistPoint(x1, y1, side, offset, &x1, &y1);
    const double b2 = AngleBisector(nextAngle, angle + kPi);
    const double s2 = std::cos(AngleBetween(nextAngle, b2) - kPi / 2);
    if (std::fabs(s2) > 0.1)
        CalcDistPoint(x2, y2, b2, offset / s2, &x2, &y2);
    else
        CalcDistPoint(x2, y2, side, offset, &x2, &y2);
}

void CLineType::DrawPattern(CGraphSystem* gs, HDC hdc, const std::deque<mgPoint>& p, double scale) const {
    const size_t n = p.size();
    if (gs == nullptr || n < 2)
        return;
    const double k = gs->GetMmPixels() * scale;
    const double L = k * period;
    // A period too short to show (or not a number) draws the path solid.
    const bool plain = !(L >= 2.0 && std::isfinite(L));
    const bool closed =
        n >= 3 && std::fabs(p[0].x() - p[n - 1].x()) < kTiny && std::fabs(p[0].y() - p[n - 1].y()) < kTiny;
    auto angleOf = [&p](size_t i) { return GetLineAngle(p[i].x(), p[i].y(), p[i + 1].x(), p[i + 1].y()); };

    // What the DC shows, grown by everything the items and the pen can reach beyond their piece:
    // pieces outside it are walked (the phase runs on) without drawing their items, so that a path
    // reaching far off the device costs no more than the part that can be seen.
    const item_data* firstFill = nullptr;
    double reach = 2.0 + PenWidth(hdc != nullptr ? hdc : gs->GetDrawDC());
    for (const item_data* item : items) {
        if (item->kind == 'b' && firstFill == nullptr)
            firstFill = item;
        reach = std::max(reach, 2.0 + ItemReach(*item, k, gs->PaperToScreen()));
    }
    RECT box;
    const bool culled =
        std::isfinite(reach) && ::GetClipBox(hdc != nullptr ? hdc : gs->GetDrawDC(), &box) != 0;
    const double boxLeft = box.left - reach, boxTop = box.top - reach;
    const double boxRight = box.right + reach, boxBottom = box.bottom + reach;
    auto shown = [&](const mgPoint& a, const mgPoint& e) {
        return !culled || (std::max(a.x(), e.x()) >= boxLeft && std::min(a.x(), e.x()) <= boxRight &&
                           std::max(a.y(), e.y()) >= boxTop && std::min(a.y(), e.y()) <= boxBottom);
    };

    double phase = 0.0;
    const item_data* fill = nullptr;
    for (size_t i = 0; i + 1 < n; ++i) {
        mgPoint a = p[i];
        const mgPoint& b = p[i + 1];
        if (!Finite(a) || !Finite(b))
            continue;
        double len = mg_distance(a, b);
        if (plain || len < 2.0) {
            gs->DrawLinePx(hdc, a.x(), a.y(), b.x(), b.y());
            if (!plain) {
                // Short segments (the sides of small arcs) still use up the period; the phase is
                // kept inside the period, so the next long segment goes on where it stands.
                phase = std::fmod(phase + len, L);
                if (L - phase < 1.0)
                    phase = 0.0;
            }
            continue;
        }
        if (!shown(a, b)) {
            // Nothing of this segment can be seen: only the phase runs on, piece by piece as below.
            for (int piece = 0; len > 0.5 && piece < kMaxPiecesPerSegment; ++piece) {
                fill = firstFill;
                const double r = len + phase > L ? L - phase : len;
                phase += r;
                if (L - phase < 1.0)
                    phase = 0.0;
                len -= r;
            }
            continue;
        }
        const double curAngle = angleOf(i);
        double prevAngle = i > 0 ? angleOf(i - 1) : (closed ? angleOf(n - 2) : curAngle);
        const double nextAngle = i + 2 < n ? angleOf(i + 1) : (closed ? angleOf(0) : curAngle);
        const double ux = (b.x() - a.x()) / len, uy = (b.y() - a.y()) / len;
        for (int piece = 0; len > 0.5 && piece < kMaxPiecesPerSegment; ++piece) {
            mgPoint e = b;
            double r = len, endAngle = nextAngle;
            if (len + phase > L) {
                r = L - phase;
                e.set(a.x() + r * ux, a.y() + r * uy);
                endAngle = curAngle;
            }
            fill = firstFill;
            for (size_t it = shown(a, e) ? 0 : items.size(); it < items.size(); ++it) {
                const item_data* item = items[it];
                switch (item->kind) {
                case 'M':
                    DrawHorLine(gs, hdc, *item, scale, a, e, phase, curAngle, prevAngle, endAngle);
                    break;
                case 'C':
                    DrawCircle(gs, hdc, *item, scale, a, e, phase);
                    break;
                case 'E':
                case 'H':
                case 'h':
                    DrawVerLine(gs, hdc, *item, item->kind, scale, a, e, phase);
                    break;
                case 'B':
                    DrawBlock(gs, hdc, *item, scale, a, e, phase);
                    break;
                case 'Z':
                    DrawLetter(gs, hdc, *item, scale, a, e, phase);
                    break;
                default:
                    break;
                }
            }
            phase += r;
            if (L - phase < 1.0)
                phase = 0.0;
            a = e;
            len -= r;
            prevAngle = curAngle;
        }
    }
    if (fill != nullptr)
        DrawFillBlock(gs, hdc, p, *fill, scale);
}

void CLineType::DrawHorLine(CGraphSystem* gs, HDC hdc, const item_data& item, double scale, const mgPoint& a,
                            const mgPoint& e, double phase, double curAngle, double prevAngle,
                            double endAngle) {
    const double k = gs->GetMmPixels() * scale;
    const double s = k * item.start, t = k * item.end;
    const double r = mg_distance(a, e);
    if (!(phase <= t - kTiny && s + kTiny <= r + phase))
        return;
    const mgPoint u = UnitOf(a, e, curAngle);
    mgPoint from = a, to = e;
    // An end inside the piece is no corner: it is mitred square, with the piece's own direction.
    double fromAngle = prevAngle, toAngle = endAngle;
    if (r > t - phase) {
        to.set(a.x() + (t - phase) * u.x(), a.y() + (t - phase) * u.y());
        toAngle = curAngle;
    }
    if (s - phase > 0) {
        from.set(a.x() + (s - phase) * u.x(), a.y() + (s - phase) * u.y());
        fromAngle = curAngle;
    }
    auto stroke = [&](double offset) {
        double x1 = from.x(), y1 = from.y(), x2 = to.x(), y2 = to.y();
        CalcOffLine(x1, y1, x2, y2, offset, curAngle, fromAngle, toAngle);
        gs->DrawLinePx(hdc, x1, y1, x2, y2);
    };
    if (item.offsets == nullptr || item.offsetCount <= 0) {
        const double v = k * item.offset;
        if (std::fabs(v) <= kMaxOffset)
            stroke(v);
        return;
    }
    for (int i = 0; i < item.offsetCount; ++i) {
        const double v = k * item.offsets[i];
        if (!(std::fabs(v) <= kMaxOffset))
            break;
        stroke(v);
    }
}

void CLineType::DrawVerLine(CGraphSystem* gs, HDC hdc, const item_data& item, char /*kind*/, double scale,
                            const mgPoint& a, const mgPoint& e, double phase) {
    const double k = gs->GetMmPixels() * scale;
    mgPoint anchor, u;
    if (!DecorationAnchor(a, e, phase, k * item.pos, 0.0, anchor, u))
        return;
    const double from = k * item.from, to = k * item.to;
    gs->DrawLinePx(hdc, anchor.x() - from * u.y(), anchor.y() + from * u.x(), anchor.x() - to * u.y(),
                   anchor.y() + to * u.x());
}

void CLineType::DrawCircle(CGraphSystem* gs, HDC hdc, const item_data& item, double scale, const mgPoint& a,
                           const mgPoint& e, double phase) {
    const double k = gs->GetMmPixels() * scale;
    mgPoint c, u;
    if (!DecorationAnchor(a, e, phase, k * item.pos, k * item.offset, c, u))
        return;
    const double rr = k * item.radius;
    HDC dc = hdc != nullptr ? hdc : gs->GetDrawDC();
    if (dc == nullptr || !std::isfinite(rr))
        return;
    ::Ellipse(dc, DevicePixelTrunc(c.x() + 0.5 - rr), DevicePixelTrunc(c.y() + 0.5 - rr),
              DevicePixelTrunc(c.x() + rr + 0.5), DevicePixelTrunc(c.y() + rr + 0.5));
}

void CLineType::DrawBlock(CGraphSystem* gs, HDC /*hdc*/, const item_data& item, double scale,
                          const mgPoint& a, const mgPoint& e, double phase) {
    const double k = gs->GetMmPixels() * scale;
    mgPoint anchor, u;
    if (!DecorationAnchor(a, e, phase, k * item.pos, k * item.offset, anchor, u))
        return;
    // The symbol turns with the line as the user sees it; its size does not follow the line scale.
    mgPoint ua, ue;
    gs->ScreenToUser(a, ua);
    gs->ScreenToUser(e, ue);
    const double angle = GetLineAngle(ua.x(), ua.y(), ue.x(), ue.y());
    gs->DrawSymbol(anchor.x(), anchor.y(), item.blockName, angle, CGraphSystem::COORD_SCREEN, 1.0);
}

// Letters: the text from its anchor, turned with the line as the user sees it plus the item's own
// angle, height millimetres of the pattern tall (so they grow with the line scale like the dashes),
// in the view's text colour, which DrawLine has made the pen's.
void CLineType::DrawLetter(CGraphSystem* gs, HDC hdc, const item_data& item, double scale, const mgPoint& a,
                           const mgPoint& e, double phase) {
    const double k = gs->GetMmPixels() * scale;
    mgPoint anchor, u;
    if (item.text == nullptr || !DecorationAnchor(a, e, phase, k * item.pos, k * item.offset, anchor, u))
        return;
    mgPoint ua, ue;
    gs->ScreenToUser(a, ua);
    gs->ScreenToUser(e, ue);
    const double angle = GetLineAngle(ua.x(), ua.y(), ue.x(), ue.y());
    // A format's height is paper millimetres, drawn at the view's scale; the letter is to be
    // k * height pixels tall whatever the view scale.
    const double pixelsPerFormatMm = gs->GetMmPixelsY() * gs->GetViewScale();
    CFontFormat format(5.0);
    format.SetHeight(k * item.height / pixelsPerFormatMm);
    format.SetAngle(item.angle + angle);
    format.TextOutA(gs, hdc, anchor.x(), anchor.y(), mgPoint(0, 0), item.text, -1,
                    CGraphSystem::COORD_SCREEN);
}

// Filling symbols: a grid of symbols over a closed outline. The grid starts at the outline's
// bounding box shrunk by the inset (at least a pixel) and steps by the spacing (at least a pixel)
// both ways; each grid point may be jittered by up to half a step in x and y and turned by a
// random angle (fillFlags 1, 2, 4), and gets a symbol when it lies in or on the outline. The
// random numbers come from the point's grid indices, so a point looks the same in every drawing
// and only the grid points near the visible area are visited.
void CLineType::DrawFillBlock(CGraphSystem* gs, HDC /*hdc*/, const std::deque<mgPoint>& pts,
                              const item_data& item, double scale) {
    if (gs == nullptr || pts.empty() || item.blockName == nullptr)
        return;
    const mgPoint& first = pts.front();
    const mgPoint& last = pts.back();
    if (std::fabs(first.x() - last.x()) > kTiny || std::fabs(first.y() - last.y()) > kTiny)
        return;
    std::vector<double> xs, ys;
    try {
        xs.reserve(pts.size());
        ys.reserve(pts.size());
    } catch (const std::bad_alloc&) {
        return;
    }
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (const mgPoint& q : pts) {
        if (!Finite(q))
            return;
        xs.push_back(q.x());
        ys.push_back(q.y());
        minX = std::min(minX, q.x());
        minY = std::min(minY, q.y());
        maxX = std::max(maxX, q.x());
        maxY = std::max(maxY, q.y());
    }
    const int nv = static_cast<int>(std::min<size_t>(xs.size(), INT32_MAX));
    const double k = gs->GetMmPixels() * scale;
    if (!(item.spacing >= 1e-8 || item.inset >= 1e-8)) {
        gs->DrawSymbol((minX + maxX) / 2, (minY + maxY) / 2, item.blockName, 0.0, CGraphSystem::COORD_SCREEN,
                       1.0);
        return;
    }
    const double m = std::max(1.0, k * item.inset);
    const double d = std::max(1.0, k * item.spacing);
    if (!std::isfinite(m) || !std::isfinite(d))
        return;
    minX += m;
    minY += m;
    maxX -= m;
    maxY -= m;

    // The area where symbols can be seen: the window, and the clip rectangle where it reaches
    // beyond (symbols are not clipped by it), widened by what a symbol placed outside can reach
    // and by the jitter. Screen y grows downward; a screen clip rectangle keeps its larger y in
    // bottom, so its y range is taken from both fields.
    double viewX0 = 0.0, viewY0 = 0.0, viewX1 = gs->GetWidth(), viewY1 = gs->GetHeight();
    const mgRect clip = gs->GetClipRect();
    if (!clip.isEmpty()) {
        viewX0 = std::min({viewX0, clip.left(), clip.right()});
        viewX1 = std::max({viewX1, clip.left(), clip.right()});
        viewY0 = std::min({viewY0, clip.bottom(), clip.top()});
        viewY1 = std::max({viewY1, clip.bottom(), clip.top()});
    }
    const double reach =
        SymbolReach(mgSymbols::c_object.Find(item.blockName)) * gs->PaperToScreen() + d + 2.0;
    const double left = std::max(minX, viewX0 - reach), right = std::min(maxX, viewX1 + reach);
    const double bottom = std::max(minY, viewY0 - reach), top = std::min(maxY, viewY1 + reach);
    if (!(left < right && bottom < top))
        return;
    // Grid indices of the points x = minX + i d < maxX inside [left, right], and the same for y.
    const double i0 = std::ceil((left - minX) / d), i1 = std::ceil((right - minX) / d);
    const double j0 = std::ceil((bottom - minY) / d), j1 = std::ceil((top - minY) / d);
    // Coordinates far beyond the device give indices no integer holds; a grid denser than the caps
    // would be a smear of symbols costing seconds: neither is drawn.
    const double kMaxIndex = 9e15;
    if (!(std::fabs(i0) < kMaxIndex && std::fabs(i1) < kMaxIndex && std::fabs(j0) < kMaxIndex &&
          std::fabs(j1) < kMaxIndex && (i1 - i0) * (j1 - j0) <= static_cast<double>(kMaxFillPoints) &&
          (i1 - i0) * (j1 - j0) * nv <= kMaxFillWork))
        return;
    const draft2d::detail::AreaTest inside(nv, xs.data(), ys.data());
    const bool jitterX = (item.fillFlags & 1) != 0, jitterY = (item.fillFlags & 2) != 0;
    const bool turn = (item.fillFlags & 4) != 0;
    for (int64_t i = static_cast<int64_t>(i0); i < static_cast<int64_t>(i1); ++i) {
        const double x0 = minX + static_cast<double>(i) * d;
        for (int64_t j = static_cast<int64_t>(j0); j < static_cast<int64_t>(j1); ++j) {
            double x = x0, y = minY + static_cast<double>(j) * d, angle = 0.0;
            GridRandom random(i, j);
            if (jitterX)
                x += (static_cast<int>(random.Next() % 100) - 50) * d * 0.01;
            if (jitterY)
                y += (static_cast<int>(random.Next() % 100) - 50) * d * 0.01;
            if (turn)
                angle = Deg2Rad(static_cast<double>(random.Next() % 360));
            if (inside.At(x, y) != 1)
                gs->DrawSymbol(x, y, item.blockName, angle, CGraphSystem::COORD_SCREEN, 1.0);
        }
    }
}
