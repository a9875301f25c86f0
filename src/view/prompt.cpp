// CGraphSystem: prompt texts, short notes written at a screen point (or the screen point of a user
// point) with the view's own prompt format. Their size is the format's paper size at the device's
// density and does not follow the zoom: the default 10 points are 10 x 0.3527778 mm x mmPixelsY
// pixels. The text is written by one GDI TextOutA with the caller's GDI alignment flags; the DC's
// state is saved and restored around it.
#include "view/CGraphSystem_p.h"

#include "text/text_p.h"

using draft2d::detail::RoundPixel;

void CGraphSystem::DrawPromptText(int x, int y, const char* text, unsigned long colour, unsigned int align) {
    HDC dc = GetDrawDC();
    const CFontFormat* f = state->promptFormat.get();
    if (dc == nullptr || f == nullptr)
        return;
    const int saved = ::SaveDC(dc);
    ::SetGraphicsMode(dc, GM_ADVANCED);
    LOGFONTA lf;
    CFontFormat::InitFont(this, lf, f->FontName(), f->Height(), 0, f->WidthPer(), f->Angle(), f->Bold(),
                          f->Italic(), f->UnderLine(), f->StrikeOut(), f->TextDirect());
    // A format that is not finite (the host may change it, or read it from a record) writes nothing.
    HFONT font = draft2d::detail::IsDrawable(*f) ? ::CreateFontIndirectA(&lf) : nullptr;
    if (font != nullptr) {
        HGDIOBJ old = ::SelectObject(dc, font);
        SetTextColor(colour);
        ::SetTextAlign(dc, align);
        ::SetBkMode(dc, TRANSPARENT);
        const int length = text != nullptr ? ::lstrlenA(text) : 0;
        if (length > 0)
            ::TextOutA(dc, x, y, text, length);
        ::SelectObject(dc, old);
        ::DeleteObject(font);
    }
    ::RestoreDC(dc, saved);
}

void CGraphSystem::DrawPromptTextUser(double x, double y, const char* text, unsigned long colour,
                                      unsigned int align) {
    double sx, sy;
    UserToScreen(x, y, &sx, &sy);
    if (!std::isfinite(sx) || !std::isfinite(sy))
        return;
    DrawPromptText(RoundPixel(sx), RoundPixel(sy), text, colour, align);
}

void CGraphSystem::DrawPromptTextUser(const mgPoint& pt, const char* text, unsigned long colour,
                                      unsigned int align) {
    DrawPromptTextUser(pt.x(), pt.y(), text, colour, align);
}

CFontFormat* CGraphSystem::GetPromptTextFormat() const {
    return state->promptFormat.get();
}
