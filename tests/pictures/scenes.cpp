// The scenes of the picture diff. Each is plain GDI, as any Windows program would draw it; the
// tolerance beside each scene says how far the two GDIs may legitimately differ, and why.
#include "pictures/scenes.h"

#include <cmath>
#include <cstring>
#include <string>

namespace pictures {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(220, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 140, 0);
constexpr COLORREF kGrey = RGB(200, 200, 200);
constexpr COLORREF kYellow = RGB(255, 255, 0);

// Selects an object for the scope of a block and deletes it at the end (stock objects are only
// deselected).
class Use {
public:
    Use(HDC dc, HGDIOBJ obj) : dc_(dc), obj_(obj), old_(SelectObject(dc, obj)) {}
    ~Use() {
        SelectObject(dc_, old_);
        DeleteObject(obj_);
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

private:
    HDC dc_;
    HGDIOBJ obj_, old_;
};

HPEN cosmetic(DWORD style, COLORREF c) {
    LOGBRUSH lb{BS_SOLID, c, 0};
    return ExtCreatePen(PS_COSMETIC | style, 1, &lb, 0, nullptr);
}

HPEN geometric(DWORD width, DWORD style, COLORREF c) {
    LOGBRUSH lb{BS_SOLID, c, 0};
    return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | style, width, &lb, 0, nullptr);
}

void line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

// A small deterministic generator, the same on every platform.
struct Lcg {
    unsigned state;
    int next(int n) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % static_cast<unsigned>(n));
    }
};

// A five-pointed star drawn in one stroke, its centre inside twice.
void star(POINT* p, int cx, int cy, int r) {
    for (int i = 0; i < 5; ++i) {
        const double a = -kPi / 2 + i * 4 * kPi / 5;
        p[i] = POINT{static_cast<LONG>(std::lround(cx + r * std::cos(a))),
                     static_cast<LONG>(std::lround(cy + r * std::sin(a)))};
    }
}

// ---- Straight lines, boxes, fills, hatches, pixels: exact ----------------------------------------

// One-pixel lines in every direction, both ways round, ties between two pixels, and clipping.
void drawLines(HDC dc) {
    for (int i = 0; i < 72; ++i) {
        const double a = i * 2 * kPi / 72;
        const int x = static_cast<int>(std::lround(64 + 58 * std::cos(a)));
        const int y = static_cast<int>(std::lround(64 - 58 * std::sin(a)));
        if (i % 2)
            line(dc, 64, 64, x, y);
        else
            line(dc, x, y, 64, 64);
    }
    // Slopes of exact halves: each passes between two pixels at every other step.
    for (int i = 0; i < 4; ++i) {
        line(dc, 140, 10 + 12 * i, 180, 10 + 12 * i + 2 * (i + 1) + 1);
        line(dc, 240, 10 + 12 * i, 200, 10 + 12 * i + 2 * (i + 1) + 1);
    }
    Lcg r{7};
    Use pen(dc, CreatePen(PS_SOLID, 1, kBlue));
    for (int i = 0; i < 40; ++i)
        line(dc, 130 + r.next(120), 64 + r.next(120), 130 + r.next(120), 64 + r.next(120));
    // Reaching far outside the device.
    line(dc, -400, 150, 300, 190);
    line(dc, 20, 300, 60, -100);
    const POINT zig[] = {{10, 140}, {30, 180}, {50, 140}, {70, 185}, {90, 140}, {110, 190}};
    Polyline(dc, zig, 6);
}

// Cosmetic dash styles: counted in pixels along the major axis, running on across the vertices of a
// polyline, gaps left alone or in the background colour.
void drawDashes(HDC dc) {
    const int styles[] = {PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
    SetBkColor(dc, kYellow);
    for (int i = 0; i < 4; ++i) {
        for (int opaque = 0; opaque < 2; ++opaque) {
            SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
            Use pen(dc, CreatePen(styles[i], 1, kBlack));
            const int y = 8 + i * 10 + opaque * 44;
            line(dc, 8, y, 120, y);
            line(dc, 130 + i * 12 + opaque * 60, 8, 170 + i * 12 + opaque * 60, 90);
        }
    }
    SetBkMode(dc, OPAQUE);
    {
        Use pen(dc, cosmetic(PS_DOT, kRed)); // gaps of ExtCreatePen pens stay as they were
        line(dc, 8, 100, 120, 130);
        const POINT poly[] = {{10, 140}, {60, 140}, {60, 185}, {110, 150}, {120, 185}};
        Polyline(dc, poly, 5);
    }
    {
        Use pen(dc, cosmetic(PS_ALTERNATE, kBlue));
        line(dc, 130, 110, 250, 110);
        line(dc, 130, 120, 250, 180);
    }
    SetBkMode(dc, TRANSPARENT);
    {
        Use pen(dc, CreatePen(PS_DASHDOT, 1, kGreen));
        const POINT poly[] = {{140, 130}, {250, 130}, {250, 188}, {140, 188}, {140, 140}};
        Polyline(dc, poly, 5);
    }
}

// Rectangles with and without pen or brush, degenerate and inverted boxes, FillRect.
void drawRectangles(HDC dc) {
    Use brush(dc, CreateSolidBrush(kBlue));
    Rectangle(dc, 10, 10, 60, 50);
    Rectangle(dc, 100, 50, 70, 10); // corners given the other way round
    {
        Use pen(dc, CreatePen(PS_SOLID, 1, kRed));
        Rectangle(dc, 110, 10, 150, 50);
        for (int s = 1; s <= 5; ++s)
            Rectangle(dc, 160 + s * 14, 10, 160 + s * 15, 10 + s);
    }
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 10, 60, 60, 100);
    for (int s = 1; s <= 5; ++s)
        Rectangle(dc, 70 + s * 14, 60, 70 + s * 15, 60 + s);
    SelectObject(dc, oldPen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 160, 60, 240, 100);
    Rectangle(dc, 170, 70, 171, 71);
    SelectObject(dc, oldBrush);
    HBRUSH green = CreateSolidBrush(kGreen);
    const RECT a{10, 110, 60, 150}, b{70, 150, 120, 110}, c{130, 110, 130, 150};
    FillRect(dc, &a, green);
    FillRect(dc, &b, green); // inverted: nothing
    FillRect(dc, &c, green); // empty
    DeleteObject(green);
}

// Polygons with a one-pixel outline of another colour: the fill must meet the outline on every edge
// direction with no gap and no overhang. Both fill modes.
void drawPolygons(HDC dc) {
    Use brush(dc, CreateSolidBrush(kBlue));
    POINT s[5];
    star(s, 50, 50, 44);
    Polygon(dc, s, 5);
    SetPolyFillMode(dc, WINDING);
    star(s, 145, 50, 44);
    Polygon(dc, s, 5);
    SetPolyFillMode(dc, ALTERNATE);
    // Triangles and a hexagon whose edges take every slope class.
    const POINT tri1[] = {{200, 10}, {250, 30}, {210, 90}};
    const POINT tri2[] = {{10, 110}, {70, 100}, {40, 185}};
    const POINT hex[] = {{110, 105}, {150, 110}, {165, 145}, {140, 185}, {95, 180}, {80, 140}};
    const POINT thin[] = {{180, 110}, {250, 118}, {182, 114}};
    Polygon(dc, tri1, 3);
    Polygon(dc, tri2, 3);
    Polygon(dc, hex, 6);
    Polygon(dc, thin, 3);
    // A shape turning back on itself and one given clockwise.
    const POINT bow[] = {{180, 130}, {250, 185}, {250, 130}, {180, 185}};
    Polygon(dc, bow, 4);
}

// The same polygons without a pen: the fill rule alone (integer points inside, left and top edges
// included, right and bottom excluded).
void drawPolygonFills(HDC dc) {
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    drawPolygons(dc);
    SelectObject(dc, oldPen);
}

// Every hatch: FillRect transparent over a grey band and opaque on yellow, and through shapes, whose
// pattern stays aligned to the device origin.
void drawHatches(HDC dc) {
    HBRUSH grey = CreateSolidBrush(kGrey);
    const RECT band{0, 0, 256, 60};
    FillRect(dc, &band, grey);
    DeleteObject(grey);
    SetBkColor(dc, kYellow);
    for (int h = HS_HORIZONTAL; h <= HS_DIAGCROSS; ++h) {
        HBRUSH hb = CreateHatchBrush(h, kGreen);
        const int x = 6 + h * 41;
        const RECT r1{x, 5, x + 37, 55};
        SetBkMode(dc, TRANSPARENT);
        FillRect(dc, &r1, hb);
        SetBkMode(dc, OPAQUE);
        const RECT r2{x + 3, 65, x + 36, 95};
        FillRect(dc, &r2, hb);
        HGDIOBJ ob = SelectObject(dc, hb);
        Rectangle(dc, x, 100, x + 37, 140);
        SelectObject(dc, ob);
        // Wine keeps the background mode a hatch brush was selected with: the mode is set first.
        SetBkMode(dc, h % 2 ? OPAQUE : TRANSPARENT);
        ob = SelectObject(dc, hb);
        const POINT tri[] = {{x, 188}, {x + 18, 145}, {x + 37, 188}};
        Polygon(dc, tri, 3);
        SelectObject(dc, ob);
        DeleteObject(hb);
    }
    SetBkMode(dc, OPAQUE);
}

// SetPixel: every pixel where it is asked for, whatever colour.
void drawPixels(HDC dc) {
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if ((x * 7 + y * 3) % 5 == 0)
                SetPixel(dc, 20 + x * 3, 20 + y * 2, RGB(x * 4, y * 4, (x + y) * 2));
    SetPixel(dc, -1, 5, kRed);
    SetPixel(dc, 255, 191, kRed);
}

// ---- Curves: near -------------------------------------------------------------------------------

// Ellipses of many sizes, with pen and brush, without a pen, without a brush.
void drawEllipses(HDC dc) {
    Use brush(dc, CreateSolidBrush(kBlue));
    int x = 6;
    for (int s : {2, 3, 4, 5, 7, 10, 15, 22, 31}) {
        Ellipse(dc, x, 6, x + s, 6 + s);
        Ellipse(dc, x, 44, x + s + s / 2, 44 + s);
        x += s + s / 2 + 4;
    }
    Ellipse(dc, 10, 80, 110, 140);
    Ellipse(dc, 120, 80, 161, 121);
    {
        HGDIOBJ old = SelectObject(dc, GetStockObject(NULL_PEN));
        Ellipse(dc, 170, 80, 250, 120);
        SelectObject(dc, old);
    }
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Use pen(dc, CreatePen(PS_SOLID, 1, kRed));
    Ellipse(dc, 10, 145, 90, 188);
    Ellipse(dc, 100, 130, 160, 188);
    Ellipse(dc, 170, 130, 250, 188);
    SelectObject(dc, oldBrush);
}

// Arcs in both directions, AngleArc with its lead-in line.
void drawArcs(HDC dc) {
    Arc(dc, 10, 10, 90, 90, 90, 50, 50, 10); // a quarter, counter-clockwise
    Arc(dc, 100, 10, 180, 90, 180, 50, 140, 90);
    Arc(dc, 190, 10, 250, 70, 190, 40, 250, 40); // upper half
    SetArcDirection(dc, AD_CLOCKWISE);
    Arc(dc, 190, 30, 250, 90, 190, 60, 250, 60); // lower half
    SetArcDirection(dc, AD_COUNTERCLOCKWISE);
    MoveToEx(dc, 10, 180, nullptr);
    AngleArc(dc, 50, 140, 30, 30.0f, 240.0f);
    LineTo(dc, 90, 190);
    Use pen(dc, CreatePen(PS_SOLID, 1, kRed));
    Arc(dc, 110, 110, 170, 170, 110, 110, 170, 110);
    Arc(dc, 200, 100, 240, 190, 240, 190, 200, 100);
}

// Dotted one-pixel pens along curves: the dots are counted in pixels along the flattened curve.
void drawDottedCurves(HDC dc) {
    Use pen(dc, cosmetic(PS_DOT, kBlack));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, 10, 10, 90, 90);
    Ellipse(dc, 100, 10, 250, 90);
    SelectObject(dc, oldBrush);
    Arc(dc, 10, 100, 90, 180, 90, 140, 10, 140);
    MoveToEx(dc, 100, 140, nullptr);
    AngleArc(dc, 140, 140, 30, 180.0f, -300.0f);
    const POINT d[] = {{180, 110}, {220, 180}, {240, 60}, {250, 188}};
    PolyBezier(dc, d, 4);
}

// Pies and chords with a pen, without a pen, and without a brush.
void drawPiesAndChords(HDC dc) {
    Use brush(dc, CreateSolidBrush(kBlue));
    Pie(dc, 10, 10, 90, 90, 90, 50, 50, 10);
    Pie(dc, 100, 10, 180, 90, 100, 10, 180, 90);
    Chord(dc, 190, 10, 250, 90, 190, 40, 250, 80);
    {
        HGDIOBJ old = SelectObject(dc, GetStockObject(NULL_PEN));
        Pie(dc, 10, 100, 90, 180, 10, 180, 90, 180);
        Chord(dc, 100, 100, 180, 180, 100, 130, 180, 130);
        SelectObject(dc, old);
    }
    {
        Use pen(dc, CreatePen(PS_SOLID, 1, kRed));
        HGDIOBJ old = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Pie(dc, 190, 100, 250, 180, 250, 100, 190, 100);
        Chord(dc, 195, 130, 245, 185, 195, 150, 245, 150);
        SelectObject(dc, old);
    }
}

// Béziers: PolyBezier, and paths of curves stroked and filled.
void drawBeziers(HDC dc) {
    const POINT s[] = {{10, 80}, {40, 0}, {80, 160}, {120, 40}, {140, -20}, {160, 100}, {200, 60}};
    PolyBezier(dc, s, 7);
    Use brush(dc, CreateSolidBrush(kBlue));
    // A closed figure of three curves, stroked and filled.
    BeginPath(dc);
    const POINT c[] = {{20, 110},  {60, 90},  {100, 190}, {120, 120}, {130, 150},
                       {120, 190}, {70, 185}, {40, 182},  {10, 150},  {20, 110}};
    PolyBezier(dc, c, 10);
    CloseFigure(dc);
    EndPath(dc);
    StrokeAndFillPath(dc);
    BeginPath(dc);
    const POINT loop[] = {{150, 120}, {250, 80}, {250, 200}, {150, 160}};
    PolyBezier(dc, loop, 4);
    CloseFigure(dc);
    EndPath(dc);
    FillPath(dc);
    Use pen(dc, CreatePen(PS_SOLID, 1, kRed));
    const POINT d[] = {{140, 20}, {180, 80}, {220, -20}, {250, 60}};
    PolyBezier(dc, d, 4);
}

// ---- Wide pens: near ----------------------------------------------------------------------------

// Geometric pens of several widths with flat, square and round ends, mitre, bevel and round joins;
// a wide pen of CreatePen (round ends and joins).
void drawWidePens(HDC dc) {
    const DWORD caps[] = {PS_ENDCAP_FLAT, PS_ENDCAP_SQUARE, PS_ENDCAP_ROUND};
    const DWORD joins[] = {PS_JOIN_MITER, PS_JOIN_BEVEL, PS_JOIN_ROUND};
    for (int i = 0; i < 3; ++i) {
        Use pen(dc, geometric(3 + 3 * i, caps[i] | joins[i], i == 1 ? kRed : kBlack));
        const int x = 10 + i * 82;
        line(dc, x + 5, 15, x + 70, 15);
        line(dc, x + 5, 30, x + 70, 50);
        line(dc, x + 10, 60, x + 20, 110);
        const POINT z[] = {{x + 30, 110}, {x + 30, 70}, {x + 70, 70}, {x + 40, 100}, {x + 72, 112}};
        Polyline(dc, z, 5);
    }
    Use pen(dc, CreatePen(PS_SOLID, 5, kGreen));
    const POINT z[] = {{20, 130}, {120, 180}, {150, 130}, {240, 150}};
    Polyline(dc, z, 4);
    Use brush(dc, CreateSolidBrush(kBlue));
    Rectangle(dc, 170, 160, 240, 188);
}

// ---- Text: boxes --------------------------------------------------------------------------------

const char kMixed[] = "\xd6\xd0\xce\xc4"
                      "ABC"               // 中文ABC
                      "\xca\xb5\xcf\xdf"; // 实线
const char kShort[] = "Ag\xd6\xd0"
                      "1"; // Ag中1
// Faces by the names both GDIs find (Wine knows neither 宋体 nor Arial and substitutes its own
// defaults): a Chinese Song face and the Arial-metric sans face.
const char kChinese[] = "AR PL UMing CN";
const char kWestern[] = "Arial";

constexpr int kCellW = 160, kCellH = 64;

HFONT font(const char* face, BYTE charset, int height, int escapement = 0) {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = height;
    lf.lfEscapement = escapement;
    lf.lfOrientation = escapement;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = charset;
    lf.lfOutPrecision = 4;          // OUT_TT_PRECIS
    lf.lfQuality = DEFAULT_QUALITY; // smoothed by both, as the library asks for its text
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

void textColours(HDC dc) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, kTextBack);
    SetTextColor(dc, kTextInk);
}

// Texts in cells of kCellW x kCellH, opaque, with heights negative (the em) and positive (the cell)
// and three alignments, the reference point placed in the cell for its alignment.
void drawTextOf(HDC dc, const char* face, BYTE charset, const char* longText, const char* shortText) {
    textColours(dc);
    const int heights[] = {-12, -16, -24, 16, 24, 32};
    const UINT aligns[] = {TA_LEFT | TA_TOP, TA_CENTER | TA_BASELINE, TA_RIGHT | TA_BOTTOM};
    for (int i = 0; i < 6; ++i) {
        Use f(dc, font(face, charset, heights[i]));
        const UINT align = aligns[i % 3];
        SetTextAlign(dc, align);
        const int x0 = (i % 2) * kCellW, y0 = (i / 2) * kCellH;
        const int x = (align & TA_CENTER) == TA_CENTER ? x0 + kCellW / 2
                      : (align & TA_RIGHT)             ? x0 + kCellW - 6
                                                       : x0 + 6;
        const int y = (align & TA_BASELINE) == TA_BASELINE ? y0 + kCellH * 2 / 3
                      : (align & TA_BOTTOM)                ? y0 + kCellH - 6
                                                           : y0 + 6;
        const char* text = i < 3 ? longText : shortText;
        TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
    }
    SetTextAlign(dc, TA_LEFT | TA_TOP);
}

void drawTextChinese(HDC dc) {
    drawTextOf(dc, kChinese, GB2312_CHARSET, kMixed, kShort);
}

void drawTextWestern(HDC dc) {
    drawTextOf(dc, kWestern, ANSI_CHARSET, "Drawing 1:50", "Ag 19");
}

// Turned text: escapement about the reference point at the centre of each cell. Transparent: Wine
// paints the opaque background of turned text as an upright box (or not at all at right angles),
// where GDI turns it with the text.
void drawTextAngles(HDC dc) {
    textColours(dc);
    SetBkMode(dc, TRANSPARENT);
    const int angles[] = {0, 300, 900, 1800, 2700, 3150};
    for (int i = 0; i < 6; ++i) {
        const bool chinese = i % 2 == 0;
        Use f(dc,
              font(chinese ? kChinese : kWestern, chinese ? GB2312_CHARSET : ANSI_CHARSET, -16, angles[i]));
        SetTextAlign(dc, TA_LEFT | TA_BASELINE);
        const int cx = (i % 3) * 128 + 64, cy = (i / 3) * 128 + 64;
        const char* text = chinese ? "\xd6\xd0"
                                     "Ab"
                                   : "Tx 7";
        TextOutA(dc, cx, cy, text, static_cast<int>(std::strlen(text)));
    }
    SetTextAlign(dc, TA_LEFT | TA_TOP);
}

Tolerance exactMatch() {
    return Tolerance{};
}

Tolerance nearMatch(int distance, int maxPixels, int maxBeyond = 0) {
    Tolerance t;
    t.kind = Tolerance::Near;
    t.distance = distance;
    t.maxPixels = maxPixels;
    t.maxBeyond = maxBeyond;
    return t;
}

Tolerance boxMatch(int cellWidth, int cellHeight, int slack) {
    Tolerance t;
    t.kind = Tolerance::Boxes;
    t.cellWidth = cellWidth;
    t.cellHeight = cellHeight;
    t.slack = slack;
    return t;
}

} // namespace

const std::vector<Scene>& Scenes() {
    // Tolerances were set from the differences measured against Wine 8 with about half as much again
    // as a margin (the text scenes: exactly what was measured, both smoothing text in grey); every
    // scene with a tolerance says why the two GDIs legitimately differ there.
    static const std::vector<Scene> scenes = {
        {"lines", 256, 192, drawLines, exactMatch(), ""},
        {"dashes", 256, 192, drawDashes, exactMatch(), ""},
        {"rectangles", 256, 160, drawRectangles, exactMatch(), ""},
        {"polygons", 256, 192, drawPolygons, exactMatch(), ""},
        {"polygon_fills", 256, 192, drawPolygonFills, exactMatch(), ""},
        {"hatches", 256, 192, drawHatches, exactMatch(), ""},
        {"pixels", 256, 192, drawPixels, exactMatch(), ""},
        {"ellipses", 256, 192, drawEllipses, nearMatch(1, 450),
         "Wine traces ellipses pixel by pixel (and fills a pen-less ellipse to its whole box), we flatten "
         "them into segments: outlines may take the neighbouring pixel where a curve passes "
         "between two"},
        {"arcs", 256, 192, drawArcs, nearMatch(1, 350),
         "curves flattened into segments against Wine's own tracing; Wine draws AngleArc as an arc of the "
         "box around the circle, half a pixel smaller"},
        {"pies_chords", 256, 192, drawPiesAndChords, nearMatch(1, 800),
         "as arcs; Wine also rounds the centre of a pie and the ends of its radii to whole pixels, so "
         "radii and chords may lie a pixel apart"},
        {"beziers", 256, 192, drawBeziers, nearMatch(1, 600),
         "both flatten Béziers into segments, at different tolerances"},
        {"dotted_curves", 256, 192, drawDottedCurves, nearMatch(3, 400),
         "dots are counted along each GDI's own pixels of the curve: where the pixels differ the dots "
         "drift by up to a dot"},
        {"wide_pens", 256, 192, drawWidePens, nearMatch(1, 1100, 10),
         "wide pens are outlines filled by different scan converters: diagonal edges and round ends differ "
         "by a pixel, and a round join that touches another stroke exactly may close the slit between them"},
        {"text_chinese", 2 * kCellW, 3 * kCellH, drawTextChinese, boxMatch(kCellW, kCellH, 4),
         "the same face, but where it has a bitmap strike for the size (12 to 16 pixels) we draw the "
         "strike, as Windows does, and Wine 8 the smoothed outline, whose ink ends up to 4 pixels "
         "elsewhere (Ag of the 16-pixel cell); Wine also derives positive heights from a rounded em (its "
         "32-pixel cell's line comes out 4 pixels longer) and centres by its own rounding"},
        {"text_western", 2 * kCellW, 3 * kCellH, drawTextWestern, boxMatch(kCellW, kCellH, 2),
         "Wine's cells from a rounded em, and hinted advances that round differently along a line: up "
         "to 2 pixels"},
        {"text_angles", 384, 256, drawTextAngles, boxMatch(128, 128, 2),
         "turned glyphs are placed by each GDI's own rounding of the turned pen positions: up to 2 pixels"},
    };
    return scenes;
}

} // namespace pictures
