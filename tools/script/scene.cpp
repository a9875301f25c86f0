// Drawing a read script on a view.
//
// The sheet first: on a screen (and in PNG pictures) as the view draws it on a display, the window
// cleared to the background and the sheet framed; on a page (PDF, SVG), where the device is the
// sheet, the page filled with the background and the printable frame drawn as a screen shows it.
// The grid over it. Then the entities in script order. One canvas is held for all of them: each
// entity sets its pen (width in whole device pixels, colour through the view's rules), its brush
// and the view's line type, and the canvas gives the device context and the view back their objects
// and line type at the end. Coordinates go to the view as they are, in user units or, for
// paper-space rows, paper millimetres; the view converts them.
#include "script/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <filesystem>

#include "io/CStringSplit.h"
#include "symbol/mgSymbol.h"
#include "values/mgFitCurve.h"
#include "script/scene_p.h"
#include "view/CGraphCanvas.h"

namespace draft2d::script {

namespace {

using detail::Coords;
using detail::kPi;

// Selects entities' pens, brushes and line types on the canvas and the view, leaving alone what
// the entity before already set: a pen, brush, text colour or line type is changed only where the
// style differs. Forget() after anything else has changed them. Widths go to the view in whole
// pixels (PenPixels), so the view's own rule (truncation) does not apply to them.
class StyleApplier {
public:
    StyleApplier(CGraphSystem& view, CGraphCanvas& canvas) : view_(view), canvas_(canvas) {}

    void Apply(const Style& style) {
        if (!valid_ || style.width != width_ || style.colour != colour_) {
            canvas_.SetPen(PenPixels(view_, style.width), style.colour, PS_SOLID);
        }
        if (!valid_ || style.fill != fill_ || style.hatch != hatch_ || style.fillColour != fillColour_) {
            switch (style.fill) {
            case Fill::None:
                canvas_.SetNullBrush();
                break;
            case Fill::Solid:
                canvas_.SetSolidBrush(view_.CalcDrawColor(style.fillColour));
                break;
            case Fill::Hatch:
                canvas_.SetBrush(::CreateHatchBrush(style.hatch, view_.CalcDrawColor(style.fillColour)));
                break;
            }
        }
        if (!valid_ || style.colour != colour_) {
            view_.SetTextColor(style.colour);
        }
        if (!valid_ || style.lineType != lineType_ || style.lineScale != lineScale_) {
            view_.SetLineType(style.lineType.empty() ? nullptr : style.lineType.c_str(), style.lineScale);
        }
        valid_ = true;
        width_ = style.width;
        colour_ = style.colour;
        fill_ = style.fill;
        hatch_ = style.hatch;
        fillColour_ = style.fillColour;
        lineType_ = style.lineType;
        lineScale_ = style.lineScale;
    }
    void Forget() { valid_ = false; }

private:
    CGraphSystem& view_;
    CGraphCanvas& canvas_;
    bool valid_ = false;
    int width_ = 0;
    uint32_t colour_ = 0;
    Fill fill_ = Fill::None;
    int hatch_ = 0;
    uint32_t fillColour_ = 0;
    std::string lineType_;
    double lineScale_ = 1.0;
};

// The numbers of a point list as the two arrays the view takes.
void SplitPoints(const Entity& e, std::vector<double>& xs, std::vector<double>& ys) {
    const double* v = e.v;
    xs.clear();
    ys.clear();
    for (size_t i = 0; i + 1 < e.count; i += 2) {
        xs.push_back(v[i]);
        ys.push_back(v[i + 1]);
    }
}

void DrawDimension(CGraphSystem& view, CGraphCanvas& canvas, StyleApplier& styles, const Drawing& drawing,
                   const Entity& e) {
    const detail::DimensionLayout d(drawing, e, e.space == Space::Paper ? 1.0 : 1.0 / view.GetUserToMm());
    const CGraphSystem::coord_type ct = Coords(e);
    if (d.extensions) {
        view.DrawLine(d.ext[0][0], d.ext[0][1], ct);
        view.DrawLine(d.ext[1][0], d.ext[1][1], ct);
    }
    view.DrawLine(d.a, d.b, ct);
    // The arrows are filled with the pen's colour and drawn without a line type.
    view.SetLineType(nullptr, 1.0);
    const Style& style = drawing.StyleOf(e);
    canvas.SetSolidBrush(view.CalcDrawColor(style.colour));
    for (const auto& head : d.heads) {
        view.DrawPolyline(3, head, 1, ct);
    }
    styles.Forget();
    styles.Apply(style);
    d.format.TextOutA(&view, nullptr, d.textAt.x(), d.textAt.y(), mgPoint(0, 0), d.text.c_str(), -1, ct);
}

// One line of text, or a block when the text holds line feeds.
void DrawText(CGraphSystem& view, const Drawing& drawing, const Entity& e) {
    const CGraphSystem::coord_type ct = Coords(e);
    const std::string& text = drawing.TextOf(e);
    const CFontFormat& format = drawing.FormatOf(e);
    if (text.find('\n') == std::string::npos) {
        format.TextOutA(&view, nullptr, e.v[0], e.v[1], mgPoint(0, 0), text.c_str(), -1, ct);
        return;
    }
    std::deque<std::string> lines;
    CStringSplit::StrToStrings(lines, text.c_str());
    std::deque<double> widths;
    double height = format.GetTextExtentPoints(&view, lines, widths);
    // The measures are user units; a block in paper space is placed in millimetres.
    if (e.space == Space::Paper) {
        const double k = view.GetUserToMm();
        for (double& w : widths) {
            w *= k;
        }
        height *= k;
    }
    format.TextOutA(&view, nullptr, mgPoint(e.v[0], e.v[1]), widths, height, lines, ct);
}

// Draws one entity with its own pen, brush and line type.
void DrawEntity(CGraphSystem& view, CGraphCanvas& canvas, StyleApplier& styles, const Drawing& drawing,
                const Entity& e, std::vector<double>& xs, std::vector<double>& ys) {
    styles.Apply(drawing.StyleOf(e));
    const double* v = e.v;
    const CGraphSystem::coord_type ct = Coords(e);
    switch (e.kind) {
    case Kind::Line:
        view.DrawLine(v[0], v[1], v[2], v[3], ct);
        break;
    case Kind::Polyline:
    case Kind::Polygon:
        SplitPoints(e, xs, ys);
        view.DrawPolyline(static_cast<int>(xs.size()), xs.data(), ys.data(), e.kind == Kind::Polygon ? 1 : 0,
                          ct);
        break;
    case Kind::Circle:
        view.DrawCircle(v[0], v[1], v[2], ct);
        break;
    case Kind::Arc:
        // Sectors and chords have straight edges only when drawn at once with the pen; a line
        // type's path would follow the curve alone.
        if (e.arcType != CGraphSystem::ARC_ARC) {
            view.SetLineType(nullptr, 1.0);
            styles.Forget();
        }
        view.DrawArc(v[0], v[1], v[2], v[3], v[4], static_cast<CGraphSystem::arc_type>(e.arcType), ct);
        break;
    case Kind::Ellipse:
        if (v[4] == 0.0) {
            view.DrawEllipse(v[0] - v[2], v[1] + v[3], v[0] + v[2], v[1] - v[3], ct);
        } else {
            view.DrawEllipse(v[0], v[1], v[2], v[3], v[4] * 180.0 / kPi, ct);
        }
        break;
    case Kind::Rect:
        view.DrawRect(mgRect(0.0, 0.0, v[2], v[3]), v[4], v[0], v[1], ct);
        break;
    case Kind::Dimension:
        DrawDimension(view, canvas, styles, drawing, e);
        break;
    case Kind::Text:
        DrawText(view, drawing, e);
        break;
    case Kind::Symbol:
        view.DrawSymbol(v[0], v[1], drawing.TextOf(e).c_str(), v[2], ct, v[3]);
        break;
    case Kind::Spline: {
        // A natural cubic through the points (periodic when closed), fitted in screen pixels: a
        // sample at most every 4 pixels, points nearer than half a pixel merged.
        SplitPoints(e, xs, ys);
        mgFitCurve curve;
        if (view.FitCubicSpline(curve, static_cast<int>(xs.size()), xs.data(), ys.data(), 4.0, 0.5, ct,
                                e.closed ? 0x40 : 0, 0, 0, 0, 0)) {
            view.DrawFitCurve(curve);
        }
        break;
    }
    }
}

} // namespace

std::string SampleSheetPath() {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_regular_file(DRAFT2D_SAMPLE_SHEET, ec)) {
        return DRAFT2D_SAMPLE_SHEET;
    }
    // Installed: bin/<tool> beside share/draft2d/sample.d2d, wherever the prefix is.
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return (exe.parent_path().parent_path() / "share" / "draft2d" / "sample.d2d").string();
}

void SetUpView(CGraphSystem& view, const Drawing& drawing) {
    view.SetUCS(drawing.scale, drawing.originX, drawing.originY, drawing.unit);
    view.SetPaper(drawing.paperWidth, drawing.paperHeight);
    view.SetBkColor(drawing.background, drawing.background);
    if (drawing.hasGrid) {
        view.SetGridType(drawing.gridType);
        view.SetGrid(drawing.gridX, drawing.gridY, drawing.gridOriginX, drawing.gridOriginY, mgRect());
    }
    // The symbol library is the process's: it holds the drawing's folders, in order (a later
    // symbol of the same name replaces an earlier one), and nothing else.
    mgSymbols::c_object.Clear();
    for (const SymbolDir& dir : drawing.symbolDirs) {
        mgSymbols::c_bTxtFile = dir.text;
        mgSymbols::c_object.Load(dir.path.c_str());
    }
}

int PenPixels(const CGraphSystem& view, int width) {
    if (width <= 0) {
        return width;
    }
    const double px = view.GetViewScale() * view.GetMmPixels() * width * 0.01;
    return -static_cast<int>(std::min(px + 0.5, 100000.0));
}

void FitView(CGraphSystem& view, const Drawing& drawing, ViewFit fit, const mgRect& window, int margin) {
    mgRect target = view.GetPaperRect();
    if (fit == ViewFit::Extent) {
        const mgRect extent = Extent(drawing);
        if (extent.width() > 1e-9 || extent.height() > 1e-9) {
            target = extent;
        }
    } else if (fit == ViewFit::Window) {
        target = window;
    }
    // A flat extent (one horizontal line) still needs an area to fit.
    if (target.width() < 1e-9 || target.height() < 1e-9) {
        const double grow = std::max(target.width(), target.height()) * 0.5 + 1.0;
        target =
            mgRect(target.left() - grow, target.bottom() - grow, target.right() + grow, target.top() + grow);
    }
    RECT r{margin, margin, view.GetWidth() - margin, view.GetHeight() - margin};
    view.ZoomTo(target, r, 1);
}

void DrawSheet(CGraphSystem& view, const Drawing& drawing, SheetKind kind) {
    HDC dc = view.GetDrawDC();
    if (dc == nullptr) {
        return;
    }
    if (kind == SheetKind::Screen) {
        view.Cls();
        if (drawing.hasMargins) {
            // The view takes the margins as paper millimetres times its density.
            const double k = view.GetMmPixels();
            view.DrawPaper2(1, 1, drawing.margins[0] * k, drawing.margins[1] * k, drawing.margins[2] * k,
                            drawing.margins[3] * k);
        } else {
            view.DrawPaper(nullptr);
        }
    } else {
        // The page is the sheet: filled with the background, and the printable frame in the
        // background's contrast colour with the thinnest pen, as a screen shows it.
        const RECT page{0, 0, view.GetWidth(), view.GetHeight()};
        HBRUSH fill = ::CreateSolidBrush(drawing.background);
        ::FillRect(dc, &page, fill);
        ::DeleteObject(fill);
        if (drawing.hasMargins) {
            const double w = drawing.paperWidth, h = drawing.paperHeight;
            const double* m = drawing.margins;
            POINT topLeft, bottomRight;
            view.PaperToScreen(mgPoint(m[0], h - m[1]), &topLeft);
            view.PaperToScreen(mgPoint(w - m[2], m[3]), &bottomRight);
            CGraphCanvas canvas(&view, dc, 1);
            canvas.SetPen(0, kContrast, PS_SOLID);
            ::Rectangle(dc, topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
        }
    }
    if (drawing.hasGrid) {
        view.DrawGrid(drawing.gridColour, 0xFFFFFFFFu, drawing.gridStyle);
    }
}

void DrawEntities(CGraphSystem& view, const Drawing& drawing, DrawReport* report,
                  const std::function<void(size_t, size_t)>& progress) {
    DrawReport local;
    DrawReport& rep = report != nullptr ? *report : local;
    if (view.GetDrawDC() == nullptr) {
        return;
    }
    CGraphCanvas canvas(&view, nullptr, 1);
    StyleApplier styles(view, canvas);
    std::vector<double> xs, ys;
    const size_t n = drawing.entities.size();
    for (size_t i = 0; i < n; ++i) {
        DrawEntity(view, canvas, styles, drawing, drawing.entities[i], xs, ys);
        ++rep.drawn;
        if (progress && (i + 1) % 1024 == 0) {
            progress(i + 1, n);
        }
    }
    if (progress) {
        progress(n, n);
    }
}

void DrawDrawing(CGraphSystem& view, const Drawing& drawing, DrawReport* report,
                 const std::function<void(size_t, size_t)>& progress) {
    DrawSheet(view, drawing, SheetKind::Screen);
    DrawEntities(view, drawing, report, progress);
}

} // namespace draft2d::script
