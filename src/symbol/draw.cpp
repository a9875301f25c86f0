// mgSymbol::Draw: a symbol's items through a matrix onto the view.
//
// m maps symbol units to paper millimetres; every item goes out through the view's matrix drawing
// calls, which draw in paper coordinates. Path collection is off for the call and the view's line
// type cleared, so each shape goes straight to GDI with the pen and brush the canvas selects: the
// pen selected when the call began, its width set per item (item width in mm, as hundredths of a
// mm), and per item either no brush or the fill its 'f' descriptor asks for, in the pen's colour.
// Rectangles, circles and polygons are drawn with their fill in one call; an arc gets its outline
// first and then, without a pen, its filled chord or sector. Texts are written in the pen's colour
// at their mapped anchor, their height and angle mapped too. 'f', 'q', 'T' and comment items draw
// nothing.
#include "symbol/mgSymbol.h"

#include <cmath>

#include "algorithms/angles.h"
#include "text/CFontFormat.h"
#include "values/mgRect.h"
#include "view/CGraphCanvas.h"
#include "view/CGraphSystem.h"

namespace {

// Pen width in hundredths of a millimetre for a width in millimetres, truncated. Widths of text
// files are not range-checked, so the product is kept inside int; NaN gives 0.
int PenWidth(float width) {
    const double w = static_cast<double>(width) * 100.0;
    if (!(w > -1e9 && w < 1e9))
        return 0;
    return static_cast<int>(w);
}

// A polyline whose last point lies within 0.1 of its first (and that has more than two points) is
// a closed polygon; the repeated point is dropped.
bool IsClosedPolyline(const mgSymbolItem& item) {
    if (item.count <= 2 || item.xs == nullptr)
        return false;
    const int last = item.count - 1;
    return std::hypot(item.xs[last] - item.xs[0], item.ys[last] - item.ys[0]) < 0.1;
}

} // namespace

void mgSymbol::Draw(CGraphSystem* gs, const mgMatrix& m) {
    // Without a DC nothing can be drawn, and a canvas without one could not give the view its line
    // type back: leave the view alone.
    if (gs == nullptr || gs->GetDrawDC() == nullptr)
        return;
    const bool autoDraw = gs->SetAutoDrawPath(false);
    {
        CGraphCanvas canvas(gs, nullptr, 0);
        const unsigned long colour = canvas.GetPenColor();
        const int penStyle = canvas.GetPenStyle();
        gs->SetTextColor(colour);
        gs->SetLineType(nullptr, 1.0);

        // The fill of item i, when a descriptor asks for one: solid, or hatch styles 0..5 for the
        // descriptor's styles 2..7.
        auto fill = [&](int i) {
            int style = -1;
            if (!HasHatch(i, &style, nullptr))
                return;
            if (style < 2)
                canvas.SetSolidBrush(colour);
            else
                canvas.SetBrush(CreateHatchBrush(style - 2, colour));
        };

        for (size_t k = 0; k < items.size(); ++k) {
            const mgSymbolItem& it = *items[k];
            const int i = static_cast<int>(k);
            canvas.SetNullBrush();
            switch (it.kind) {
            case 'l':
                canvas.SetPenWidth(PenWidth(it.width));
                gs->DrawMatrixLine(m, mgPoint(it.x, it.y), mgPoint(it.x2, it.y2));
                break;
            case 'r': {
                canvas.SetPenWidth(PenWidth(it.width));
                const mgRect r(it.x, it.y, it.x2, it.y2);
                if (HasHatch(i, nullptr, nullptr)) {
                    // The view draws a rectangle as four clipped lines, which no brush fills; a
                    // filled one goes out as a polygon of its corners, outline and fill together.
                    fill(i);
                    const double xs[4] = {r.left(), r.right(), r.right(), r.left()};
                    const double ys[4] = {r.bottom(), r.bottom(), r.top(), r.top()};
                    gs->DrawMatrixPolyline(m, 4, xs, ys, 1);
                } else {
                    gs->DrawMatrixRect(m, r, 0, 0, 0);
                }
                break;
            }
            case 'c':
                canvas.SetPenWidth(PenWidth(it.width));
                fill(i);
                gs->DrawMatrixCircle(m, mgPoint(it.x, it.y), it.radius);
                break;
            case 'd':
                canvas.SetPenWidth(0);
                gs->DrawMatrixCircle(m, mgPoint(it.x, it.y), 0.0);
                break;
            case 'a': {
                canvas.SetPenWidth(PenWidth(it.width));
                const double sweep = AngleBetween(it.startAngle, it.endAngle);
                const mgPoint c(it.x, it.y);
                gs->DrawMatrixArc(m, c, it.radius, it.startAngle, sweep, CGraphSystem::ARC_ARC);
                int flag = 0;
                if (HasHatch(i, nullptr, &flag)) {
                    // The fill alone, with no outline: the stock null pen (the canvas would make a
                    // solid pen of style 5).
                    canvas.SetPen(static_cast<HPEN>(GetStockObject(NULL_PEN)));
                    fill(i);
                    gs->DrawMatrixArc(m, c, it.radius, it.startAngle, sweep,
                                      flag == 0 ? CGraphSystem::ARC_CHORD : CGraphSystem::ARC_PIE);
                    canvas.SetPen(0, colour, penStyle);
                }
                break;
            }
            case 'z': {
                const bool closed = IsClosedPolyline(it);
                canvas.SetPenWidth(PenWidth(it.width));
                fill(i);
                gs->DrawMatrixPolyline(m, closed ? it.count - 1 : it.count, it.xs, it.ys, closed ? 1 : 0);
                break;
            }
            case 'h': {
                if (it.text == nullptr)
                    break;
                const mgPoint at = mgPoint(it.x, it.y) * m;
                CFontFormat format(5.0);
                format.SetHeight(m.scaley() * it.height);
                format.SetAngle(m.angle() + it.angle);
                format.TextOutA(gs, nullptr, at.x(), at.y(), mgPoint(0, 0), it.text, -1,
                                CGraphSystem::COORD_PAPER);
                break;
            }
            default:
                break;
            }
        }
    }
    gs->SetAutoDrawPath(autoDraw);
}
