// CGraphSystem: the paper sheet, from paper (0, 0) to paperSize in millimetres.
#include "view/CGraphSystem_p.h"

using draft2d::detail::RoundPixel;

namespace {

const double kMinPaperSide = 2.0; // mm
const LONG kPixelLimit = 10000;   // screen coordinates of the sheet are limited to +-10000

} // namespace

void CGraphSystem::SetPaper(double w, double h) {
    if (w >= kMinPaperSide && h >= kMinPaperSide)
        state->paperSize.set(w, h);
}

mgRect CGraphSystem::GetPaperRect() const {
    mgRect paper(0.0, 0.0, state->paperSize.x(), state->paperSize.y());
    mgRect user;
    PaperToUser(paper, user);
    return user;
}

void CGraphSystem::GetPaperRectPixel(RECT& r) const {
    const mgPoint& size = state->paperSize;
    if (size.x() < kMinPaperSide || size.y() < kMinPaperSide) {
        ::SetRect(&r, 0, 0, 0, 0);
        return;
    }
    double l, t, rr, b;
    PaperToScreen(0.0, size.y(), &l, &t);
    PaperToScreen(size.x(), 0.0, &rr, &b);
    ::SetRect(&r, RoundPixel(l), RoundPixel(t), RoundPixel(rr), RoundPixel(b));
    if (r.left < -kPixelLimit)
        r.left = -kPixelLimit;
    if (r.top < -kPixelLimit)
        r.top = -kPixelLimit;
    if (r.right > kPixelLimit)
        r.right = kPixelLimit;
    if (r.bottom > kPixelLimit)
        r.bottom = kPixelLimit;
}
