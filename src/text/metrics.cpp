// CFontFormat: fonts for a view, and measuring text with the rules that output follows.
//
// Sizes: a height h in paper millimetres is h x pixels per mm x view scale device pixels, the GDI
// cell height (positive lfHeight). Measured sizes are returned in user units: pixels x
// CGraphSystem::ScreenToUser().
#include "text/text_p.h"

#include "algorithms/angles.h"
#include "view/CGraphSystem.h"

#include <cmath>
#include <cstring>

namespace {

const double kMmPerPoint = 0.3527778;
const double kScreenMmPixels = 96.0 / 25.4; // a fresh view's density
// Font sizes are kept to what a device can show and GDI can realise: a taller character would
// cover any window many times over, and its glyphs would need gigabytes of pixels.
const double kMaxFontPixels = 16384.0;
const double kTinyAngle = 1e-7;

// trunc(v) limited to lo .. kMaxFontPixels; NaN gives lo.
LONG FontPixels(double v, LONG lo) {
    if (!(v >= lo))
        return lo;
    if (v > kMaxFontPixels)
        return static_cast<LONG>(kMaxFontPixels);
    return static_cast<LONG>(v);
}

bool IsAsciiByte(unsigned char c) {
    return c < 0x80;
}

} // namespace

namespace draft2d::detail {

int LineLength(const char* text, int len) {
    if (text == nullptr)
        return 0;
    int n = 0;
    while ((len < 0 || n < len) && text[n] != '\0' && text[n] != '\n' && text[n] != '\r')
        ++n;
    return n;
}

bool IsDrawable(const CFontFormat& f) {
    return std::isfinite(f.Height()) && std::isfinite(f.WidthPer()) && std::isfinite(f.WidthPerEng()) &&
           std::isfinite(f.Angle()) && std::isfinite(f.CharGap()) && std::isfinite(f.RowGap());
}

FontPair::FontPair(const CFontFormat& f, const CGraphSystem* gs, HDC dc, bool unturned) : dc_(dc) {
    const double angle = unturned ? 0.0 : f.Angle();
    LOGFONTA lf;
    CFontFormat::InitFont(gs, lf, f.FontName(), f.Height(), 1, f.WidthPer(), angle, f.Bold(), f.Italic(),
                          f.UnderLine(), f.StrikeOut(), f.TextDirect());
    chinese_ = ::CreateFontIndirectA(&lf);
    CFontFormat::InitFont(gs, lf, f.FontNameEng(), f.Height(), 1, f.WidthPerEng(), angle, f.Bold(),
                          f.Italic(), f.UnderLine(), f.StrikeOut(), f.TextDirect());
    lf.lfCharSet = DEFAULT_CHARSET;
    western_ = ::CreateFontIndirectA(&lf);
}

FontPair::~FontPair() {
    if (selected_ >= 0)
        ::SelectObject(dc_, old_);
    if (western_ != nullptr)
        ::DeleteObject(western_);
    if (chinese_ != nullptr)
        ::DeleteObject(chinese_);
}

void FontPair::Use(bool chinese) {
    const int want = chinese ? 1 : 0;
    if (want == selected_)
        return;
    HGDIOBJ prev = ::SelectObject(dc_, chinese ? chinese_ : western_);
    if (selected_ < 0)
        old_ = prev;
    selected_ = want;
}

double LineLayout::UsedStart(size_t k) const {
    return k == 0 ? chars[k].a : 0.0;
}

double LineLayout::UsedWidth(size_t k) const {
    const CharSlot& ch = chars[k];
    double w = static_cast<double>(ch.a) + ch.b + ch.c;
    if (k == 0)
        w -= ch.a;
    // The last character ends at its ink: its right bearing C is left out when 0 <= C < B. A bearing
    // as wide as the ink or wider is a blank (a trailing space) that the box keeps; a negative one
    // (ink overhanging the advance, as in 'W' or 'y') is never taken off, so the box ends at the
    // advance.
    if (k + 1 == chars.size() && ch.c >= 0 && ch.c < ch.b)
        w -= ch.c;
    return w;
}

double LineLayout::SlotLength(size_t k) const {
    return upright ? cosA * UsedWidth(k) + sinA * chars[k].cy : UsedWidth(k);
}

void LayoutLine(const CFontFormat& f, FontPair& fonts, HDC dc, const char* text, int n, LineLayout& out) {
    out.Clear();
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    for (int k = 0; k < n;) {
        const int bytes = GbkCharBytes(s, k, n);
        const bool chinese = bytes == 2;
        fonts.Use(chinese);
        ABC abc;
        long cy = 0;
        if (CFontFormat::GetTextAbcExtent(dc, text + k, bytes, &abc, &cy) == 0)
            break;
        out.chars.push_back(
            {k, bytes, chinese, abc.abcA, static_cast<int>(abc.abcB), abc.abcC, static_cast<int>(cy)});
        k += bytes;
    }

    // An upright character's cell, w x h, turned against a line at angle a spans w|cos a| + h|sin a|
    // along the line and w|sin a| + h|cos a| across it.
    out.upright = IsUprightLine(f);
    out.cosA = out.upright ? std::fabs(std::cos(f.Angle())) : 1.0;
    out.sinA = out.upright ? std::fabs(std::sin(f.Angle())) : 0.0;
    double length = 0.0, height = 0.0;
    for (size_t k = 0; k < out.chars.size(); ++k) {
        length += out.SlotLength(k);
        const double across = out.upright ? out.sinA * out.UsedWidth(k) + out.cosA * out.chars[k].cy
                                          : static_cast<double>(out.chars[k].cy);
        height = std::fmax(height, across);
    }
    out.height = height;
    out.gap = f.CharGap() * height;
    out.width = length;
    if (out.chars.size() > 1)
        out.width += static_cast<double>(out.chars.size() - 1) * out.gap;
}

LineLayout& ThreadLayout() {
    thread_local LineLayout layout;
    return layout;
}

bool IsUprightLine(const CFontFormat& f) {
    if (f.TextDirect() != 1 || std::fabs(f.Angle()) < kTinyAngle)
        return false;
    return SetAngle0_2PI(f.Angle()) >= kTinyAngle;
}

} // namespace draft2d::detail

using namespace draft2d::detail;

void CFontFormat::InitFont(const CGraphSystem* gs, LOGFONTA& lf, const char* face, double height,
                           int useViewScale, float widthPer, double angle, int bold, int italic,
                           int underline, int strikeOut, int textDirect) {
    std::memset(&lf, 0, sizeof lf);
    const double h = height < -1e-7 ? height * -kMmPerPoint : height;
    const double v = gs != nullptr && useViewScale != 0 ? gs->GetViewScale() : 1.0;
    const double p = gs != nullptr ? gs->GetMmPixelsY() : kScreenMmPixels;
    const bool finite = std::isfinite(h * v * p) && std::isfinite(widthPer) && std::isfinite(angle);

    lf.lfHeight = finite ? FontPixels(p * v * h + 0.5, 1) : 1;
    lf.lfWidth = finite && widthPer >= 1e-7f ? FontPixels(widthPer * lf.lfHeight * 0.5 + 0.5, 0) : 0;
    LONG escapement = 0;
    if (finite && std::fabs(angle) >= kTinyAngle) {
        // Tenths of a degree of the angle in [0, 2pi): a negative angle gets the escapement of the
        // same direction, rounded the same way as a positive one.
        escapement = static_cast<LONG>(Rad2Deg(SetAngle0_2PI(angle)) * 10.0 + 0.5);
        if (escapement >= 3600)
            escapement -= 3600;
    }
    lf.lfEscapement = escapement;
    lf.lfOrientation = textDirect == 0 ? escapement : 0;
    lf.lfWeight = bold != 0 ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = italic != 0 ? 1 : 0;
    lf.lfUnderline = underline != 0 ? 1 : 0;
    lf.lfStrikeOut = strikeOut != 0 ? 1 : 0;
    lf.lfCharSet = GB2312_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    if (face != nullptr)
        ::lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
}

int CFontFormat::GetTextAbcExtent(HDC hdc, const char* text, int len, ABC* abc, long* cy) {
    if (hdc == nullptr || text == nullptr || abc == nullptr)
        return 0;
    if (len < 0)
        len = ::lstrlenA(text);
    if (len <= 0)
        return 0;
    int n = 0;
    while (n < len && text[n] != '\n' && text[n] != '\r')
        ++n;
    SIZE size;
    if (!::GetTextExtentPoint32A(hdc, text, n, &size))
        return 0;
    int a = 0, b = size.cx, c = 0;
    if (n > 0) {
        const auto* s = reinterpret_cast<const unsigned char*>(text);
        // The last character is a single byte only when the GBK walk ends on it: a trail byte
        // 0x40..0x7E is no ASCII character.
        int last = 0;
        for (int k = 0; k < n; k += GbkCharBytes(s, k, n))
            last = k;
        const bool firstAscii = IsAsciiByte(s[0]);
        const bool lastAscii = last == n - 1 && IsAsciiByte(s[n - 1]);
        // A failed query leaves its record zeroed and unused.
        ABC first = {0, 0, 0};
        const bool firstOk = firstAscii && ::GetCharABCWidthsA(hdc, s[0], s[0], &first);
        if (firstOk) {
            a = first.abcA;
            b -= a;
        }
        if (lastAscii) {
            ABC end = {0, 0, 0};
            const bool endOk = n == 1 ? firstOk : ::GetCharABCWidthsA(hdc, s[n - 1], s[n - 1], &end) != 0;
            if (endOk) {
                c = n == 1 ? first.abcC : end.abcC;
                b -= c;
            }
        }
    }
    abc->abcA = a;
    abc->abcB = static_cast<UINT>(b);
    abc->abcC = c;
    if (cy != nullptr)
        *cy = size.cy;
    return 1;
}

mgPoint CFontFormat::GetTextExtentPointA(const CGraphSystem* gs, const char* text, int len, HDC hdc) const {
    const int n = LineLength(text, len);
    if (gs == nullptr || n <= 0 || !IsDrawable(*this))
        return mgPoint(0.0, 0.0);
    HDC dc = hdc != nullptr ? hdc : ::GetDC(nullptr);
    if (dc == nullptr)
        return mgPoint(0.0, 0.0);
    LineLayout& layout = ThreadLayout();
    layout.Clear();
    const int oldMode = ::SetGraphicsMode(dc, GM_ADVANCED);
    {
        FontPair fonts(*this, gs, dc, IsUprightLine(*this));
        if (fonts.ok())
            LayoutLine(*this, fonts, dc, text, n, layout);
    }
    if (oldMode != 0 && oldMode != GM_ADVANCED)
        ::SetGraphicsMode(dc, oldMode);
    if (hdc == nullptr)
        ::ReleaseDC(nullptr, dc);
    const double k = gs->ScreenToUser();
    return mgPoint(layout.width * k, layout.height * k);
}

double CFontFormat::GetTextExtentPoints(const CGraphSystem* gs, const std::deque<std::string>& lines,
                                        std::deque<double>& widths) const {
    widths.clear();
    double height = 0.0;
    for (const std::string& line : lines) {
        const mgPoint size = GetTextExtentPointA(gs, line.c_str(), static_cast<int>(line.size()), nullptr);
        widths.push_back(size.x());
        if (size.y() > 1e-7)
            height = size.y();
    }
    return height;
}

mgRect CFontFormat::GetTextExtent(const mgPoint& size) const {
    const double w = size.x(), h = size.y();
    double left = 0.0, bottom = 0.0;
    switch (HorAlign()) {
    case 1:
        left = -w * 0.5;
        break;
    case 2:
        left = -w;
        break;
    default:
        break;
    }
    switch (VerAlign()) {
    case 4:
        bottom = -h * 0.5;
        break;
    case 8:
        bottom = -h;
        break;
    default:
        break;
    }
    mgRect r;
    r.set_left(left);
    r.set_bottom(bottom);
    r.set_right(left + w);
    r.set_top(bottom + h);
    return r;
}
