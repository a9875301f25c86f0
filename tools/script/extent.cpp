// The extent of a drawing: the box of what its entities draw, in user units.
//
// Every entity is measured by its geometry in its own space (user units, or paper millimetres for
// paper-space rows) and its box brought into user units through the UCS:
//   lines, polylines, polygons  their points
//   splines                     the fitted curve, as the view fits it
//   circles, ellipses           centre and (turned) half-axes: an ellipse turned by a has the half
//                               extents sqrt((rx cos a)^2 + (ry sin a)^2) and sqrt((rx sin a)^2 +
//                               (ry cos a)^2)
//   arcs                        the arc's points (mgArc::geomExtent), and the centre of a sector
//   rectangles                  the four corners turned about the first
//   texts                       the library's box of the text (CFontFormat::GetTextBoundBox) at the
//                               size its fonts measure
//   symbols                     their items through the symbol's matrix into paper millimetres
//   dimensions                  points, extension lines, arrows and the box of the text
// Line widths are not counted. Texts are measured on a view of their own at a density where the
// font is large (about 40 pixels a millimetre), so that rounding the font to pixels does not change
// the measure.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>

#include "io/CStringSplit.h"
#include "script/scene.h"
#include "script/scene_p.h"
#include "symbol/mgSymbol.h"
#include "values/mgArc.h"
#include "values/mgFitCurve.h"

namespace draft2d::script {

namespace detail {

namespace {

mgPoint At(const mgPoint& p, const mgPoint& d, double k) {
    return mgPoint(p.x() + d.x() * k, p.y() + d.y() * k);
}

} // namespace

DimensionLayout::DimensionLayout(const Drawing& drawing, const Entity& e, double mm)
    : format(drawing.FormatOf(e)), text(drawing.TextOf(e)) {
    const mgPoint p1(e.v[0], e.v[1]), p2(e.v[2], e.v[3]);
    const double offset = e.v[4];
    const double length = std::hypot(p2.x() - p1.x(), p2.y() - p1.y());
    const mgPoint u((p2.x() - p1.x()) / length, (p2.y() - p1.y()) / length);
    const mgPoint n(-u.y(), u.x());
    const double side = offset < 0 ? -1.0 : 1.0;
    a = At(p1, n, offset);
    b = At(p2, n, offset);
    extensions = std::fabs(offset) > 1.0 * mm;
    ext[0][0] = At(p1, n, side * 1.0 * mm);
    ext[0][1] = At(a, n, side * 2.0 * mm);
    ext[1][0] = At(p2, n, side * 1.0 * mm);
    ext[1][1] = At(b, n, side * 2.0 * mm);
    const double len = std::min(3.0 * mm, length / 3.0), half = len / 6.0;
    const mgPoint heads0[2][3] = {
        {a, At(At(a, u, len), n, half), At(At(a, u, len), n, -half)},
        {b, At(At(b, u, -len), n, half), At(At(b, u, -len), n, -half)},
    };
    std::copy(&heads0[0][0], &heads0[0][0] + 6, &heads[0][0]);
    double angle = std::atan2(u.y(), u.x());
    if (angle > kPi / 2 + 1e-9) {
        angle -= kPi;
    } else if (angle <= -kPi / 2 + 1e-9) {
        angle += kPi;
    }
    const mgPoint up(-std::sin(angle), std::cos(angle));
    textAt = At(mgPoint((a.x() + b.x()) / 2, (a.y() + b.y()) / 2), up, 1.0 * mm);
    if (text.empty()) {
        char buf[64];
        snprintf(buf, sizeof buf, "%.*f", static_cast<int>(e.decimals), length);
        text = buf;
    }
    format.SetAngle(angle);
    format.SetAlign(1); // centre, bottom
}

} // namespace detail

namespace {

using detail::Coords;

class Box {
public:
    void Add(double x, double y) {
        if (!std::isfinite(x) || !std::isfinite(y)) {
            return;
        }
        if (!any_) {
            x0_ = x1_ = x, y0_ = y1_ = y;
            any_ = true;
            return;
        }
        x0_ = std::min(x0_, x), x1_ = std::max(x1_, x);
        y0_ = std::min(y0_, y), y1_ = std::max(y1_, y);
    }
    void Add(const mgPoint& p) { Add(p.x(), p.y()); }
    void Add(const mgRect& r) {
        Add(r.left(), r.bottom());
        Add(r.right(), r.top());
    }
    bool any() const { return any_; }
    mgRect rect() const { return any_ ? mgRect(x0_, y0_, x1_, y1_) : mgRect(); }

private:
    bool any_ = false;
    double x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0;
};

class Measurer {
public:
    explicit Measurer(const Drawing& drawing) : drawing_(drawing), probe_(drawing.lineTypes.get()) {
        probe_.SetUCS(drawing.scale, drawing.originX, drawing.originY, drawing.unit);
        probe_.SetPaper(drawing.paperWidth, drawing.paperHeight);
        probe_.SetWndSize(1000, 1000);
        mmPerUnit_ = probe_.GetUserToMm();
    }

    // Adds the box of e, in user units, to the drawing's.
    void Add(const Entity& e) {
        Box box; // in the entity's own space
        const double* v = e.v;
        switch (e.kind) {
        case Kind::Line:
        case Kind::Polyline:
        case Kind::Polygon:
            for (uint32_t i = 0; i + 1 < e.count; i += 2) {
                box.Add(v[i], v[i + 1]);
            }
            break;
        case Kind::Spline:
            Spline(e);
            return;
        case Kind::Circle:
            box.Add(v[0] - v[2], v[1] - v[2]);
            box.Add(v[0] + v[2], v[1] + v[2]);
            break;
        case Kind::Arc:
            box.Add(mgArc(v[0], v[1], v[2], v[3], v[4]).geomExtent());
            if (e.arcType == CGraphSystem::ARC_PIE) {
                box.Add(v[0], v[1]);
            }
            break;
        case Kind::Ellipse: {
            const double c = std::cos(v[4]), s = std::sin(v[4]);
            const double ex = std::hypot(v[2] * c, v[3] * s), ey = std::hypot(v[2] * s, v[3] * c);
            box.Add(v[0] - ex, v[1] - ey);
            box.Add(v[0] + ex, v[1] + ey);
            break;
        }
        case Kind::Rect: {
            const double c = std::cos(v[4]), s = std::sin(v[4]);
            for (const auto& corner : {std::make_pair(0.0, 0.0), std::make_pair(v[2], 0.0),
                                       std::make_pair(v[2], v[3]), std::make_pair(0.0, v[3])}) {
                box.Add(v[0] + corner.first * c - corner.second * s,
                        v[1] + corner.first * s + corner.second * c);
            }
            break;
        }
        case Kind::Text:
            box.Add(TextBox(e, drawing_.FormatOf(e), drawing_.TextOf(e), mgPoint(v[0], v[1])));
            break;
        case Kind::Symbol:
            Symbol(e);
            return;
        case Kind::Dimension: {
            const detail::DimensionLayout d(drawing_, e, e.space == Space::Paper ? 1.0 : 1.0 / mmPerUnit_);
            box.Add(d.a);
            box.Add(d.b);
            box.Add(e.v[0], e.v[1]);
            box.Add(e.v[2], e.v[3]);
            for (const auto& line : d.ext) {
                if (d.extensions) {
                    box.Add(line[0]);
                    box.Add(line[1]);
                }
            }
            for (const auto& head : d.heads) {
                for (const mgPoint& p : head) {
                    box.Add(p);
                }
            }
            box.Add(TextBox(e, d.format, d.text, d.textAt));
            break;
        }
        }
        if (box.any()) {
            AddOwn(e, box.rect());
        }
    }

    mgRect rect() const { return all_.rect(); }

private:
    // A box in the space of e (an axis-aligned box stays one through the UCS).
    void AddOwn(const Entity& e, const mgRect& r) {
        if (e.space == Space::User) {
            all_.Add(r);
            return;
        }
        mgRect user;
        probe_.PaperToUser(r, user);
        all_.Add(user);
    }

    // The box of a text of one or more lines anchored at pos, in the space of e.
    mgRect TextBox(const Entity& e, const CFontFormat& format, const std::string& text, const mgPoint& pos) {
        // About 40 pixels a millimetre, fewer for tall texts so that the font stays within the
        // library's 16384 pixels.
        const double height = std::fabs(format.Height() < 0 ? format.Height() * 0.3527778 : format.Height());
        const double density = std::min(40.0, 8000.0 / std::max(height, 1e-3));
        probe_.SetMmPixels(density, density);
        probe_.Zoom(1.0, 0.0, 0.0);
        // Sizes come in user units; a paper-space text is placed in millimetres.
        const double k = e.space == Space::Paper ? mmPerUnit_ : 1.0;
        if (text.find('\n') == std::string::npos) {
            const mgPoint size = format.GetTextExtentPointA(&probe_, text.c_str(), -1, nullptr);
            return format.GetTextBoundBox(mgPoint(size.x() * k, size.y() * k), pos);
        }
        std::deque<std::string> lines;
        CStringSplit::StrToStrings(lines, text.c_str());
        std::deque<double> widths;
        const double lineHeight = format.GetTextExtentPoints(&probe_, lines, widths) * k;
        for (double& w : widths) {
            w *= k;
        }
        return format.GetTextBoundBox(widths, lineHeight, pos);
    }

    // The fitted curve through the points, as DrawEntity fits it, on the probe framed around them.
    void Spline(const Entity& e) {
        std::vector<double> xs, ys;
        Box points;
        for (uint32_t i = 0; i + 1 < e.count; i += 2) {
            xs.push_back(e.v[i]);
            ys.push_back(e.v[i + 1]);
            points.Add(e.v[i], e.v[i + 1]);
        }
        AddOwn(e, points.rect());
        mgRect user = points.rect();
        if (e.space == Space::Paper) {
            probe_.PaperToUser(points.rect(), user);
        }
        const double grow = std::max(user.width(), user.height()) * 0.5 + 1e-6;
        probe_.ZoomTo(
            mgRect(user.left() - grow, user.bottom() - grow, user.right() + grow, user.top() + grow),
            RECT{0, 0, 1000, 1000}, 1);
        mgFitCurve curve;
        if (probe_.FitCubicSpline(curve, static_cast<int>(xs.size()), xs.data(), ys.data(), 1.0, 0.1,
                                  Coords(e), e.closed ? 0x40 : 0, 0, 0, 0, 0)) {
            for (int i = 0; i < curve.count(); ++i) {
                double x = 0, y = 0;
                probe_.ScreenToUser(curve.x(i), curve.y(i), &x, &y);
                all_.Add(x, y);
            }
        }
    }

    // The items of the symbol through its matrix (symbol units to paper millimetres); a symbol the
    // library does not have is the dot the view draws for it.
    void Symbol(const Entity& e) {
        mgPoint at(e.v[0], e.v[1]);
        if (e.space == Space::User) {
            probe_.UserToPaper(mgPoint(e.v[0], e.v[1]), at);
        }
        const mgSymbol* symbol = mgSymbols::c_object.Find(drawing_.TextOf(e).c_str());
        Box paper;
        paper.Add(at);
        if (symbol != nullptr) {
            const mgMatrix m = CGraphSystem::CalcUCS(e.v[3], at.x(), at.y(), e.v[2], 0);
            auto add = [&](double x, double y) { paper.Add(mgPoint(x, y) * m); };
            for (const mgSymbolItem* item : symbol->GetItems()) {
                switch (item->kind) {
                case 'l':
                case 'r':
                    add(item->x, item->y);
                    add(item->x2, item->y2);
                    if (item->kind == 'r') {
                        add(item->x, item->y2);
                        add(item->x2, item->y);
                    }
                    break;
                case 'c':
                case 'a':
                    for (int i = 0; i < 8; ++i) {
                        const double t = i * detail::kPi / 4;
                        add(item->x + item->radius * std::cos(t) / std::cos(detail::kPi / 8),
                            item->y + item->radius * std::sin(t) / std::cos(detail::kPi / 8));
                    }
                    break;
                case 'd':
                    add(item->x, item->y);
                    break;
                case 'h':
                    add(item->x - item->height, item->y - item->height);
                    add(item->x + item->height, item->y + item->height);
                    break;
                case 'z':
                    for (int i = 0; i < item->count; ++i) {
                        add(item->xs[i], item->ys[i]);
                    }
                    break;
                default:
                    break;
                }
            }
        }
        mgRect user;
        probe_.PaperToUser(paper.rect(), user);
        all_.Add(user);
    }

    const Drawing& drawing_;
    CGraphSystem probe_;
    double mmPerUnit_ = 1.0;
    Box all_;
};

} // namespace

mgRect Extent(const Drawing& drawing) {
    Measurer m(drawing);
    for (const Entity& e : drawing.entities) {
        m.Add(e);
    }
    return m.rect();
}

} // namespace draft2d::script
