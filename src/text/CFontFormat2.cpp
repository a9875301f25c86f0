// CFontFormat2: the cached font, measuring and one-call-per-line output.
//
// Output places the aligned box like CFontFormat::TextOutA: with the box (l, b, r, t) of the measured
// size in pixels (y up) and the angle a, the whole line is written bottom-left aligned at
//     anchor + (l cos a - b sin a, -(b cos a + l sin a))
// truncated to whole pixels.
#include "text/CFontFormat2.h"

#include "pixel_p.h"
#include "text/text_p.h"
#include "view/CGraphSystem.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace draft2d::detail;

namespace {

const double kMinTextPixels = 4.0;
const double kAngleTolerance = 1e-5;

} // namespace

CFontFormat2::CFontFormat2(const CGraphSystem* gs, double height)
    : CFontFormat(height), font(nullptr), graphSystem(gs), sinAngle(0.0), cosAngle(1.0), fontDesc(),
      cachedAngle(0.0) {}

CFontFormat2::CFontFormat2(const CFontFormat2& other)
    : CFontFormat(other), font(nullptr), graphSystem(other.graphSystem), sinAngle(other.sinAngle),
      cosAngle(other.cosAngle), fontDesc(), cachedAngle(other.cachedAngle) {}

CFontFormat2& CFontFormat2::operator=(const CFontFormat2& other) {
    if (this != &other) {
        CFontFormat::operator=(other);
        graphSystem = other.graphSystem;
        sinAngle = other.sinAngle;
        cosAngle = other.cosAngle;
        cachedAngle = other.cachedAngle;
        DeleteFonts();
    }
    return *this;
}

CFontFormat2::~CFontFormat2() {
    DeleteFonts();
}

void CFontFormat2::SetGraphSystem(const CGraphSystem* gs) {
    graphSystem = gs;
    DeleteFonts();
}

void CFontFormat2::DeleteFonts() {
    if (font != nullptr) {
        ::DeleteObject(font);
        font = nullptr;
    }
}

void CFontFormat2::CreateFonts() {
    if (graphSystem == nullptr)
        return;
    if (!IsDrawable(*this)) {
        DeleteFonts();
        return;
    }
    LOGFONTA lf;
    InitFont(graphSystem, lf, fontName, height, 1, widthPer, angle, Bold(), Italic(), UnderLine(),
             StrikeOut(), textDirect);
    if (font != nullptr && std::memcmp(&lf, &fontDesc, sizeof lf) == 0)
        return;
    DeleteFonts();
    font = ::CreateFontIndirectA(&lf);
    fontDesc = lf;
}

void* CFontFormat2::SetFont(HDC hdc, const char*, int) {
    CreateFonts();
    if (font == nullptr || hdc == nullptr)
        return nullptr;
    return ::SelectObject(hdc, font);
}

void CFontFormat2::UpdateAngleCache() {
    if (std::fabs(angle - cachedAngle) <= kAngleTolerance)
        return;
    cosAngle = std::cos(angle);
    sinAngle = std::sin(angle);
    cachedAngle = angle;
}

mgPoint CFontFormat2::GetTextExtentPoint2(const char* text, int len, HDC hdc) {
    if (graphSystem == nullptr || text == nullptr)
        return mgPoint(0.0, 0.0);
    if (len < 0)
        len = ::lstrlenA(text);
    if (len <= 0)
        return mgPoint(0.0, 0.0);
    HDC dc = hdc != nullptr ? hdc : graphSystem->GetDrawDC();
    const bool screen = dc == nullptr;
    if (screen)
        dc = ::GetDC(nullptr);
    SIZE size = {0, 0};
    if (HGDIOBJ old = static_cast<HGDIOBJ>(SetFont(dc, text, len))) {
        if (!::GetTextExtentPoint32A(dc, text, len, &size))
            size.cx = size.cy = 0;
        ::SelectObject(dc, old);
    }
    if (screen && dc != nullptr)
        ::ReleaseDC(nullptr, dc);
    const double k = graphSystem->ScreenToUser();
    return mgPoint(size.cx * k, size.cy * k);
}

double CFontFormat2::GetTextExtentPoints2(const std::deque<std::string>& lines, std::deque<double>& widths) {
    if (graphSystem == nullptr)
        return 1.0;
    widths.clear();
    double lineHeight = 0.0;
    for (const std::string& line : lines) {
        const mgPoint size = GetTextExtentPoint2(line.c_str(), -1, nullptr);
        widths.push_back(size.x());
        if (size.y() > 1e-7)
            lineHeight = size.y();
    }
    return lineHeight;
}

void CFontFormat2::TextOut2(HDC hdc, double x, double y, const char* text, int len, int coordType) {
    if (graphSystem == nullptr || text == nullptr || !std::isfinite(x) || !std::isfinite(y))
        return;
    HDC dc = hdc != nullptr ? hdc : graphSystem->GetDrawDC();
    if (len < 0)
        len = ::lstrlenA(text);
    if (dc == nullptr || len <= 0)
        return;
    double f;
    const mgPoint anchor = ScreenAnchor(*graphSystem, x, y, coordType, &f);
    UpdateAngleCache();

    const int saved = ::SaveDC(dc);
    ::SetGraphicsMode(dc, GM_ADVANCED);
    if (HGDIOBJ old = static_cast<HGDIOBJ>(SetFont(dc, text, len))) {
        SIZE size = {0, 0};
        if (::GetTextExtentPoint32A(dc, text, len, &size) && size.cy >= kMinTextPixels) {
            const mgRect r = GetTextExtent(mgPoint(size.cx, size.cy));
            const double ax = anchor.x() + r.left() * cosAngle - r.bottom() * sinAngle;
            const double ay = anchor.y() - r.bottom() * cosAngle - r.left() * sinAngle;
            ::SetTextAlign(dc, TA_LEFT | TA_BOTTOM);
            ::SetBkMode(dc, TRANSPARENT);
            ::TextOutA(dc, TruncPixel(ax), TruncPixel(ay), text, len);
        }
        ::SelectObject(dc, old);
    }
    ::RestoreDC(dc, saved);
}

void CFontFormat2::TextOut2(HDC hdc, const mgPoint& pos, const std::deque<double>& widths, double lineHeight,
                            const std::deque<std::string>& lines, int coordType) {
    if (graphSystem == nullptr)
        return;
    const size_t n = std::min(widths.size(), lines.size());
    for (size_t i = 0; i < n; ++i) {
        const mgPoint p = pos + GetMTextPoint(static_cast<unsigned>(i), widths, lineHeight);
        TextOut2(hdc, p.x(), p.y(), lines[i].c_str(), -1, coordType);
    }
}

mgPoint CFontFormat2::GetTextExtentPointA(const CGraphSystem*, const char* text, int len, HDC hdc) {
    return GetTextExtentPoint2(text, len, hdc);
}

double CFontFormat2::GetTextExtentPoints(const CGraphSystem*, const std::deque<std::string>& lines,
                                         std::deque<double>& widths) {
    return GetTextExtentPoints2(lines, widths);
}

void CFontFormat2::TextOutA(CGraphSystem*, HDC hdc, double x, double y, mgPoint, const char* text, int len,
                            int coordType) {
    TextOut2(hdc, x, y, text, len, coordType);
}

void CFontFormat2::TextOutA(CGraphSystem*, HDC hdc, const mgPoint& pos, const std::deque<double>& widths,
                            double lineHeight, const std::deque<std::string>& lines, int coordType) {
    TextOut2(hdc, pos, widths, lineHeight, lines, coordType);
}

void CFontFormat2::SetFontName(const char* name) {
    CFontFormat::SetFontName(name);
    DeleteFonts();
}

void CFontFormat2::SetHeight(double h) {
    CFontFormat::SetHeight(h);
    DeleteFonts();
}

void CFontFormat2::SetWidthPer(float w) {
    CFontFormat::SetWidthPer(w);
    DeleteFonts();
}

void CFontFormat2::SetBold(int on) {
    CFontFormat::SetBold(on);
    DeleteFonts();
}

void CFontFormat2::SetItalic(int on) {
    CFontFormat::SetItalic(on);
    DeleteFonts();
}

void CFontFormat2::SetUnderLine(int on) {
    CFontFormat::SetUnderLine(on);
    DeleteFonts();
}

void CFontFormat2::SetStrikeOut(int on) {
    CFontFormat::SetStrikeOut(on);
    DeleteFonts();
}

void CFontFormat2::SetTextDirect(int d) {
    CFontFormat::SetTextDirect(d);
    DeleteFonts();
}

void CFontFormat2::SetAngle(double a) {
    const double before = angle;
    CFontFormat::SetAngle(a);
    if (std::fabs(a - before) <= kAngleTolerance)
        return;
    cosAngle = std::cos(angle);
    sinAngle = std::sin(angle);
    cachedAngle = angle;
    DeleteFonts();
}
