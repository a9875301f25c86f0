// CFontFormat: text output, line offsets and boxes.
//
// Output works in screen pixels (y down). With f the pixels per unit of the caller's space and a the
// angle (counter-clockwise in the y-up spaces), the line runs along u = (cos a, -sin a) and a glyph
// rises along v = (-sin a, -cos a). The aligned box (GetTextExtent of the box size, scaled to pixels)
// has its rotated bottom-left corner at
//     P0 = anchor + (l cos a - b sin a, -(l sin a + b cos a))
// where (l, b) is the box's left-bottom corner relative to the anchor, y up. Every character is then
// written by its own GDI TextOutA, bottom-left aligned, at the pen position P0 + d u, where d starts
// at minus the first character's A width and grows by each character's advance plus the gap. So the
// advances are the library's own: measuring and output agree to the pixel on every GDI.
#include "text/text_p.h"

#include "pixel_p.h"
#include "values/mgMatrix.h"
#include "view/CGraphSystem.h"

#include <algorithm>
#include <climits>
#include <cmath>

using namespace draft2d::detail;

namespace {

const double kMinTextPixels = 4.0; // lower text cannot be read and is not drawn

// The screen rectangle characters must touch to be drawn: the view's clip rectangle, or its window
// when it has none, as ranges of x and y.
struct ClipBox {
    double x0, y0, x1, y1;
    bool Touches(double minX, double minY, double maxX, double maxY) const {
        return maxX >= x0 && minX <= x1 && maxY >= y0 && minY <= y1;
    }
};

ClipBox ClipOf(CGraphSystem* gs) {
    mgRect r = gs->GetClipRect();
    if (r.isEmpty())
        r = mgRect(0.0, 0.0, gs->GetWidth(), gs->GetHeight());
    return {std::fmin(r.left(), r.right()), std::fmin(r.bottom(), r.top()), std::fmax(r.left(), r.right()),
            std::fmax(r.bottom(), r.top())};
}

// Writes the characters of a laid-out line whose box has its rotated bottom-left corner at (x0, y0),
// the line running along (c, -s), characters gap pixels apart. Characters whose glyph box (the ink
// from A to A + B along the line, the line's full height across it) misses the clip box are not sent.
//
// Where GDI would place a run of characters exactly as the layout does (the same kind, turned with
// the line, and a whole-pixel gap that the character extra reproduces) the run goes out in one call;
// otherwise every character goes out by itself at its own pen position. The character extra also
// carries the underline and strike-out across the gaps; the last character's ends with its advance.
void WriteLine(HDC dc, FontPair& fonts, const char* text, const LineLayout& L, double x0, double y0, double c,
               double s, double gap, const ClipBox& clip) {
    const size_t count = L.chars.size();
    const int extra = L.upright || count < 2 ? 0 : RoundPixel(gap);
    const bool runs = !L.upright && gap == extra;
    if (extra != 0)
        ::SetTextCharacterExtra(dc, extra);

    size_t run = count; // first character of the open run; count: none open
    int runX = 0, runY = 0, runBytes = 0;
    auto flush = [&]() {
        if (run == count)
            return;
        fonts.Use(L.chars[run].chinese);
        ::TextOutA(dc, runX, runY, text + L.chars[run].offset, runBytes);
        run = count;
    };

    double d = -L.chars[0].a; // pen position along the line
    double slot = 0.0;        // start of an upright character's share
    for (size_t k = 0; k < count; ++k) {
        const CharSlot& ch = L.chars[k];
        const double advance = static_cast<double>(ch.a) + ch.b + ch.c;
        // The glyph's box: from its ink start A to its ink end A + B along the line, and the line's
        // full height across it. With u the unit vector along the line and v the line's height
        // upward, it is the bounding box of u A, u (A + B), v and u (A + B) + v about the glyph
        // origin. The gap and the advance beyond the ink are no part of it.
        const double inkLo = static_cast<double>(ch.a), inkHi = ch.a + static_cast<double>(ch.b);
        double gx, gy, minX, minY, maxX, maxY;
        if (L.upright) {
            // Unturned, centred on the middle of its share of the box.
            const double length = L.SlotLength(k);
            const double along = slot + length * 0.5, across = L.height * 0.5;
            gx = x0 + along * c - across * s - L.UsedWidth(k) * 0.5 - L.UsedStart(k);
            gy = y0 - along * s - across * c + ch.cy * 0.5;
            minX = gx + std::min(0.0, inkLo);
            maxX = gx + std::max(0.0, inkHi);
            minY = gy - ch.cy;
            maxY = gy;
            slot += length + gap;
        } else {
            gx = x0 + d * c;
            gy = y0 - d * s;
            const double vx = -L.height * s, vy = -L.height * c;
            const double px[4] = {inkLo * c, inkHi * c, vx, inkHi * c + vx};
            const double py[4] = {-inkLo * s, -inkHi * s, vy, -inkHi * s + vy};
            minX = gx + std::min({px[0], px[1], px[2], px[3]});
            maxX = gx + std::max({px[0], px[1], px[2], px[3]});
            minY = gy + std::min({py[0], py[1], py[2], py[3]});
            maxY = gy + std::max({py[0], py[1], py[2], py[3]});
        }
        d += advance + gap;
        if (!clip.Touches(minX, minY, maxX, maxY)) {
            flush();
            continue;
        }
        const bool lastWithExtra = extra != 0 && k + 1 == count;
        if (runs && run != count && ch.chinese == L.chars[run].chinese && !lastWithExtra) {
            runBytes += ch.bytes;
            continue;
        }
        flush();
        if (lastWithExtra)
            ::SetTextCharacterExtra(dc, 0);
        run = k;
        runX = RoundPixel(gx);
        runY = RoundPixel(gy);
        runBytes = ch.bytes;
    }
    flush();
}
} // namespace

namespace draft2d::detail {

int LengthOf(const std::string& s) {
    return s.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(s.size());
}

mgPoint ScreenAnchor(const CGraphSystem& gs, double x, double y, int coordType, double* pixelsPerUnit) {
    mgPoint anchor(x, y);
    *pixelsPerUnit = 1.0;
    if (coordType == CGraphSystem::COORD_USER) {
        *pixelsPerUnit = gs.UserToScreen();
        gs.UserToScreen(x, y, anchor);
    } else if (coordType == CGraphSystem::COORD_PAPER) {
        *pixelsPerUnit = gs.PaperToScreen();
        gs.PaperToScreen(x, y, anchor);
    }
    return anchor;
}

} // namespace draft2d::detail

void CFontFormat::TextOutA(CGraphSystem* gs, HDC hdc, double x, double y, mgPoint box, const char* text,
                           int len, int coordType) const {
    const int n = LineLength(text, len);
    if (gs == nullptr || n <= 0 || !IsDrawable(*this) || !std::isfinite(x) || !std::isfinite(y) ||
        !std::isfinite(box.x()) || !std::isfinite(box.y()))
        return;
    HDC dc = hdc != nullptr ? hdc : gs->GetDrawDC();
    if (dc == nullptr)
        return;

    double f; // pixels per unit of the caller's space
    const mgPoint anchor = ScreenAnchor(*gs, x, y, coordType, &f);
    const ClipBox clip = ClipOf(gs);
    const double c = std::cos(angle), s = std::sin(angle);

    const int saved = ::SaveDC(dc);
    ::SetGraphicsMode(dc, GM_ADVANCED);
    {
        const bool upright = IsUprightLine(*this);
        FontPair fonts(*this, gs, dc, upright);
        LineLayout& L = ThreadLayout();
        L.Clear();
        if (fonts.ok())
            LayoutLine(*this, fonts, dc, text, n, L);
        const size_t count = L.chars.size();

        // The box in pixels: the measured size, or the caller's, whose extra width is spread over
        // the gaps.
        double gap = L.gap;
        mgPoint boxPx(L.width, L.height);
        if (box.x() >= 1e-7) {
            boxPx = mgPoint(box.x() * f, box.y() * f);
            if (L.width > 1e-7 && count > 1)
                gap += (boxPx.x() - L.width) / static_cast<double>(count - 1);
        }
        if (count > 0 && L.height >= kMinTextPixels && std::isfinite(gap)) {
            const mgRect r = GetTextExtent(boxPx);
            const double x0 = anchor.x() + r.left() * c - r.bottom() * s;
            const double y0 = anchor.y() - r.bottom() * c - r.left() * s;
            ::SetTextAlign(dc, TA_LEFT | TA_BOTTOM);
            ::SetBkMode(dc, TRANSPARENT);
            WriteLine(dc, fonts, text, L, x0, y0, c, s, gap, clip);
        }
    }
    ::RestoreDC(dc, saved);
}

void CFontFormat::TextOutA(CGraphSystem* gs, HDC hdc, const mgPoint& pos, const std::deque<double>& widths,
                           double lineHeight, const std::deque<std::string>& lines, int coordType) const {
    const size_t n = std::min(widths.size(), lines.size());
    for (size_t i = 0; i < n; ++i) {
        const mgPoint p = pos + GetMTextPoint(static_cast<unsigned>(i), widths, lineHeight);
        TextOutA(gs, hdc, p.x(), p.y(), mgPoint(widths[i], lineHeight), lines[i].c_str(), LengthOf(lines[i]),
                 coordType);
    }
}

mgPoint CFontFormat::GetMTextPoint(unsigned i, const std::deque<double>& widths, double lineHeight) const {
    const size_t count = widths.size();
    if (i >= count)
        return mgPoint(0.0, 0.0);
    const double lines = static_cast<double>(count);
    const double p = lineHeight * (1.0 + rowGap);
    double t;
    switch (VerAlign()) {
    case 4:
        t = p * (lines * 0.5 - i - 0.5);
        break;
    case 8:
        t = -p * i;
        break;
    default: // bottom; 12 is taken as bottom, as GetTextExtent takes it
        t = p * (lines - i - 1.0);
        break;
    }
    return mgPoint(-std::sin(angle) * t, std::cos(angle) * t);
}

mgRect CFontFormat::GetTextBoundBox(const mgPoint& size, const mgPoint& pos) const {
    mgRect r = GetTextExtent(size);
    if (std::fabs(angle) > 1e-7)
        r *= mg_RotateMatrix(angle);
    return r + pos;
}

mgRect CFontFormat::GetTextBoundBox(const std::deque<double>& widths, double lineHeight,
                                    const mgPoint& pos) const {
    mgRect box;
    for (size_t i = 0; i < widths.size(); ++i) {
        const mgPoint p = pos + GetMTextPoint(static_cast<unsigned>(i), widths, lineHeight);
        box.unionRect(box, GetTextBoundBox(mgPoint(widths[i], lineHeight), p));
    }
    return box;
}
