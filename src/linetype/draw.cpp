// CLineType::DrawLine: the entry through which the view draws every collected path.
//
// The points are screen pixels. For the call the line type holds a canvas on the DC (so the DC's
// objects and saved state, and the view's line type and scale, are given back however the call
// ends), gives the view's text the pen's colour (letters of a pattern take the line's colour) and
// clears the view's line type, so that whatever it draws through the view goes straight to GDI.
#include "linetype/CLineType.h"

#include <iterator>

#include "view/CGraphCanvas.h"
#include "view/CGraphSystem.h"

void CLineType::DrawLine(CGraphSystem* gs, HDC hdc, std::deque<mgPoint>* pts, double scale) {
    if (gs == nullptr || pts == nullptr || pts->size() < 2)
        return;
    // Without any DC nothing can be drawn, and a canvas without one could not give the view its
    // line type back: leave the view alone.
    if (hdc == nullptr && gs->GetDrawDC() == nullptr)
        return;
    CGraphCanvas canvas(gs, hdc, 0);
    gs->SetTextColor(canvas.GetPenColor());
    gs->SetLineType(nullptr, 1.0);
    const std::deque<mgPoint>& p = *pts;
    if (!(period >= 1e-7)) {
        // No pattern (the solid line, a NaN period): every segment as it is; the polyline is not
        // closed here, a caller wanting the closing edge passes the first point again.
        for (auto a = p.begin(), b = std::next(a); b != p.end(); a = b++)
            gs->DrawLinePx(hdc, a->x(), a->y(), b->x(), b->y());
        return;
    }
    DrawPattern(gs, hdc, p, scale);
}
