// CGraphSystem: drawing primitives.
//
// Coordinates handed to GDI are rounded (add 0.5, truncate toward zero). Lines are clipped against
// the clip rectangle (least x, least y, greatest x, greatest y in screen pixels) unless it is empty.
#include "view/CGraphSystem_p.h"

#include <cmath>

#include "algorithms/clip.h"

using draft2d::detail::RoundPixel;

namespace {

bool Finite(double a, double b, double c, double d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

} // namespace

void CGraphSystem::DrawLinePx(HDC dc, double x1, double y1, double x2, double y2) {
    if (dc == nullptr)
        dc = GetDrawDC();
    if (dc == nullptr || !Finite(x1, y1, x2, y2))
        return;
    const mgRect& clip = state->clipRect;
    if (!clip.isEmpty() &&
        ClipLineInArea(&x1, &y1, &x2, &y2, clip.left(), clip.top(), clip.right(), clip.bottom()) != 0)
        return;
    ::MoveToEx(dc, RoundPixel(x1), RoundPixel(y1), nullptr);
    ::LineTo(dc, RoundPixel(x2), RoundPixel(y2));
}
