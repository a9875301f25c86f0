// CGraphSystem: device attachment, the off-screen cache, colours, pen widths, clipping, clearing, the saved
// bitmap and the redraw callback.
//
// Two bitmaps: the cache (cacheBmp, selected into cacheDC for as long as the device is attached; every
// drawing call draws into it) and the saved picture (savedBmp, selected nowhere; a temporary memory DC is
// made around it for each copy in or out). Every temporary DC, brush and selection is undone before the call
// returns.
#include "view/CGraphSystem_p.h"

#include "linetype/CLineType.h"

using draft2d::detail::TruncPixel;

namespace {

// A memory DC compatible with `like` with `bmp` selected; released on scope exit.
class TempBitmapDC {
public:
    TempBitmapDC(HDC like, HBITMAP bmp) : dc_(::CreateCompatibleDC(like)), old_(nullptr) {
        if (dc_ != nullptr)
            old_ = ::SelectObject(dc_, bmp);
    }
    ~TempBitmapDC() {
        if (dc_ == nullptr)
            return;
        if (old_ != nullptr)
            ::SelectObject(dc_, old_);
        ::DeleteDC(dc_);
    }
    TempBitmapDC(const TempBitmapDC&) = delete;
    TempBitmapDC& operator=(const TempBitmapDC&) = delete;

    // False when the DC could not be made or the bitmap not selected.
    bool ok() const { return dc_ != nullptr && old_ != nullptr; }
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Fills r of dc with a solid brush of colour; nothing when the brush cannot be made.
void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = ::CreateSolidBrush(colour);
    if (brush == nullptr)
        return;
    ::FillRect(dc, &r, brush);
    ::DeleteObject(brush);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Attachment

void CGraphSystem::Attach(HDC dc, HDC attrib, int useCache) {
    if (state->hdc != nullptr)
        Detach();
    if (dc == nullptr)
        return;
    State& s = *state;
    s.hdc = dc;
    s.attribDC = attrib != nullptr ? attrib : dc;
    SetMmPixels(s.attribDC);
    s.isPrint = ::GetDeviceCaps(s.attribDC, TECHNOLOGY) == DT_RASDISPLAY ? 0 : 1;
    if (::GetDeviceCaps(s.attribDC, NUMCOLORS) == 2 && s.colorMode == 0)
        s.colorMode = 1;
    if (s.isPrint) {
        SetBkColor(0xFFFFFF, 0xFFFFFFFF);
    } else if (useCache != 0) {
        s.cacheDC = ::CreateCompatibleDC(s.hdc);
        if (s.cacheDC != nullptr) {
            s.cacheBmp = ::CreateCompatibleBitmap(s.hdc, s.width, s.height);
            if (s.cacheBmp != nullptr)
                s.cacheOldBmp = ::SelectObject(s.cacheDC, s.cacheBmp);
            if (s.cacheBmp == nullptr || s.cacheOldBmp == nullptr) {
                // The cache could not be set up: drawing goes to the window DC.
                if (s.cacheBmp != nullptr)
                    ::DeleteObject(s.cacheBmp);
                ::DeleteDC(s.cacheDC);
                s.cacheDC = nullptr;
                s.cacheBmp = nullptr;
                s.cacheOldBmp = nullptr;
            }
        }
    }
    HDC draw = GetDrawDC();
    ::SetBkColor(draw, s.bkColor);
    ::SetBkMode(draw, TRANSPARENT);
    ::SetTextJustification(draw, 0, 0);
    ::SetTextCharacterExtra(draw, 0);
    s.lineType = lineTypes->Find(nullptr);
    s.lineTypeSelected = s.lineType != nullptr ? s.lineType->GetName() : std::string();
    s.lineScale = 1.0;
}

void CGraphSystem::ReleaseCache() {
    State& s = *state;
    if (s.cacheDC == nullptr)
        return;
    ::SelectObject(s.cacheDC, s.cacheOldBmp);
    ::DeleteObject(s.cacheBmp);
    ::DeleteDC(s.cacheDC);
    s.cacheDC = nullptr;
    s.cacheBmp = nullptr;
    s.cacheOldBmp = nullptr;
}

void CGraphSystem::Detach() {
    if (state->hdc == nullptr)
        return;
    ReleaseCache();
    state->hdc = nullptr;
    state->attribDC = nullptr;
    state->lineType = nullptr;
    ClearPaths();
}

HDC CGraphSystem::GetDrawDC() const {
    return state->cacheDC != nullptr ? state->cacheDC : state->hdc;
}

HDC CGraphSystem::GetCacheHDC() {
    return state->cacheDC;
}

int CGraphSystem::IsPrint() const {
    return state->isPrint;
}

void CGraphSystem::ShowCacheBitmap() {
    if (state->cacheDC == nullptr || state->hdc == nullptr)
        return;
    ::BitBlt(state->hdc, 0, 0, state->width, state->height, state->cacheDC, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// Window size

void CGraphSystem::DropBitmapsNotFitting() {
    SIZE size;
    GetBmpSize(state->savedBmp, size);
    if (size.cx < state->width || size.cy != state->height)
        ClearBmpSaved();
    if (state->cacheBmp != nullptr) {
        GetBmpSize(state->cacheBmp, size);
        if (size.cx < state->width || size.cy < state->height)
            ReleaseCache();
    }
}

void CGraphSystem::SetWndSize(int cx, int cy) {
    const int oldWidth = state->width, oldHeight = state->height;
    if (cx >= 2)
        state->width = cx;
    if (cy >= 2)
        state->height = cy;
    DropBitmapsNotFitting();
    // A view that follows the paper fits it again to the new window.
    if (state->zoomMode == ZOOM_PAPER && (state->width != oldWidth || state->height != oldHeight)) {
        ClearBmpSaved();
        ZoomPaper(0, -1);
    }
}

// ---------------------------------------------------------------------------------------------
// Colours and pen widths

void CGraphSystem::SetBkColor(unsigned long bk, unsigned long clear) {
    state->bkColor = static_cast<COLORREF>(bk & 0xFFFFFF);
    if ((clear & 0xFFFFFFFFul) < 0x1000000ul)
        state->clearColor = static_cast<COLORREF>(clear & 0xFFFFFF);
    else
        state->clearColor = state->bkColor;
}

unsigned long CGraphSystem::GetBkColor() const {
    return state->bkColor;
}

void CGraphSystem::SetColorMode(int mode) {
    if (mode >= 0 && mode <= 2)
        state->colorMode = mode;
}

int CGraphSystem::GetColorMode() const {
    return state->colorMode;
}

unsigned long CGraphSystem::CalcDrawColor(unsigned long colour) const {
    const COLORREF contrast = ~state->bkColor & 0xFFFFFF;
    // Interface colours are 32-bit values; bits above them do not exist on Windows.
    const COLORREF c = static_cast<COLORREF>(colour & 0xFFFFFFFFul);
    if (c > 0xFFFFFF)
        return contrast;
    COLORREF result = c;
    if (state->colorMode == 1) {
        const unsigned r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
        const double v = b * 0.11 + g * 0.59 + r * 0.3;
        const COLORREF grey = static_cast<COLORREF>(static_cast<int>(v)) & 0xFF;
        result = grey * 0x010101;
    } else if (state->colorMode == 2) {
        result = ~c & 0xFFFFFF;
    }
    return result == state->bkColor ? contrast : result;
}

void CGraphSystem::SetTextColor(unsigned long colour) {
    HDC dc = GetDrawDC();
    if (dc != nullptr)
        ::SetTextColor(dc, static_cast<COLORREF>(CalcDrawColor(colour)));
}

int CGraphSystem::CalcLineWidth(int width) const {
    int w;
    if (width <= 0)
        w = width == INT32_MIN ? INT32_MAX : -width;
    else if (state->lineWidthEnabled)
        w = TruncPixel(state->viewScale * GetMmPixels() * width * 0.01);
    else
        w = 1;
    if (!state->isPrint && w > 30)
        w = 30;
    return w;
}

void CGraphSystem::EnableLineWidth(int on) {
    state->lineWidthEnabled = on;
}

// ---------------------------------------------------------------------------------------------
// Clip rectangle

void CGraphSystem::SetClipRect(const mgRect& r) {
    mgRect n(r.left(), r.bottom(), r.right(), r.top()); // normalised
    n.swopTopBottom();
    state->SetClip(n);
}

void CGraphSystem::SetClipRect(RECT r) {
    mgRect n(&r);
    n.swopTopBottom();
    state->SetClip(n);
}

mgRect CGraphSystem::GetClipRect() {
    return state->clipRect;
}

mgRect CGraphSystem::GetClipRectUser() {
    mgRect out;
    ScreenToUser(state->clipRect, out);
    return out;
}

void CGraphSystem::Cls() {
    HDC dc = GetDrawDC();
    if (state->isPrint == 1 || dc == nullptr)
        return;
    RECT r = {0, 0, state->width, state->height};
    FillSolid(dc, r, state->clearColor);
}

// ---------------------------------------------------------------------------------------------
// Saved bitmap

void CGraphSystem::GetBmpSize(HBITMAP bmp, SIZE& size) const {
    size.cx = 0;
    size.cy = 0;
    if (bmp == nullptr)
        return;
    BITMAP info = {};
    if (::GetObjectA(bmp, sizeof(info), &info) == 0)
        return;
    size.cx = info.bmWidth;
    size.cy = info.bmHeight;
}

int CGraphSystem::IsBmpSaved() const {
    return state->savedBmp != nullptr ? 1 : 0;
}

HBITMAP CGraphSystem::GetSavedBmp() {
    return state->savedBmp;
}

void CGraphSystem::SetSavedBmp(HBITMAP bmp) {
    if (bmp == state->savedBmp)
        return;
    if (state->savedBmp != nullptr)
        ::DeleteObject(state->savedBmp);
    state->savedBmp = bmp;
}

void CGraphSystem::ClearBmpSaved() {
    if (state->savedBmp == nullptr)
        return;
    ::DeleteObject(state->savedBmp);
    state->savedBmp = nullptr;
}

int CGraphSystem::MakeBmpSaved(HDC dc) {
    State& s = *state;
    if (s.savedBmp != nullptr) {
        SIZE size;
        GetBmpSize(s.savedBmp, size);
        if (size.cx != s.width || size.cy != s.height)
            ClearBmpSaved();
    }
    if (s.savedBmp == nullptr && dc != nullptr) {
        HDC temp = ::CreateCompatibleDC(dc);
        if (temp != nullptr) {
            s.savedBmp = ::CreateCompatibleBitmap(dc, s.width, s.height);
            ::DeleteDC(temp);
        }
    }
    return s.savedBmp != nullptr ? 1 : 0;
}

void CGraphSystem::SaveBmp(HDC src) {
    if (src == nullptr || MakeBmpSaved(src) == 0)
        return;
    TempBitmapDC temp(src, state->savedBmp);
    if (!temp.ok())
        return;
    ::BitBlt(temp.dc(), 0, 0, state->width, state->height, src, 0, 0, SRCCOPY);
}

void CGraphSystem::RestoreBmp(int x, int y) {
    HDC draw = GetDrawDC();
    if (draw == nullptr || state->savedBmp == nullptr)
        return;
    TempBitmapDC temp(draw, state->savedBmp);
    if (!temp.ok())
        return;
    ::BitBlt(draw, x, y, state->width, state->height, temp.dc(), 0, 0, SRCCOPY);
}

void CGraphSystem::ClearBmpRect(mgRect userRect) {
    mgRect sr;
    UserToScreen(userRect, sr);
    HDC draw = GetDrawDC();
    if (draw == nullptr || state->savedBmp == nullptr)
        return;
    TempBitmapDC temp(draw, state->savedBmp);
    if (!temp.ok())
        return;
    RECT r = {TruncPixel(sr.left()), TruncPixel(sr.top()), TruncPixel(sr.right()), TruncPixel(sr.bottom())};
    FillSolid(temp.dc(), r, state->clearColor);
}

// ---------------------------------------------------------------------------------------------
// Redraw callback

void CGraphSystem::SetRegenFunc(void (*fn)(void*, CGraphSystem*), void* data) {
    state->regenFunc = fn;
    state->regenData = data;
}

void CGraphSystem::RegenAll() {
    ClearBmpSaved();
    if (state->regenFunc != nullptr)
        state->regenFunc(state->regenData, this);
}

void CGraphSystem::Redraw() {
    if (state->regenFunc != nullptr)
        state->regenFunc(state->regenData, this);
}
