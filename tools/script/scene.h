// Drawing a read script on a view: the part that draft2d-render and draft2d-view share.
//
// The host attaches the view to a device, sizes it (SetWndSize) and sets it up for the drawing
// (SetUpView), frames it (FitView), then draws: the sheet and the grid (DrawSheet), and the
// entities in script order (DrawEntities), each with its own pen, fill and line type through a
// CGraphCanvas, so that the device context is left as it was found. DrawDrawing does both as a
// window shows them.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "script/script.h"
#include "view/CGraphSystem.h"

namespace draft2d::script {

// The sample sheet the tools draw without a script: beside the sources when they are there, else
// where it is installed.
std::string SampleSheetPath();

// UCS, paper size, background and grid settings of the drawing; line types come with the view's
// construction (CGraphSystem(drawing.lineTypes.get())). Loads the drawing's symbol folders into
// the process-wide symbol library.
void SetUpView(CGraphSystem& view, const Drawing& drawing);

// The box of what the entities draw, in user units: shapes by their geometry, texts by the
// library's measure of them with their text format (CFontFormat::GetTextBoundBox), symbols by their
// items (the drawing's symbol folders must be loaded: SetUpView). Empty when there are no entities.
mgRect Extent(const Drawing& drawing);

// Frames the view: the paper, the extent of the entities (the paper when there are none) or a user
// rectangle, with a margin in pixels.
void FitView(CGraphSystem& view, const Drawing& drawing, ViewFit fit, const mgRect& window, int margin);

// A pen width of the script (> 0 hundredths of a paper millimetre, <= 0 pixels) as the view takes
// it in pixels (<= 0): millimetres become the nearest whole number of device pixels at the view's
// zoom and density (0 draws one pixel), at most 100000.
int PenPixels(const CGraphSystem& view, int width);

enum class SheetKind {
    Screen, // the device shows the sheet among its surroundings (a window, a PNG picture)
    Page,   // the device is the sheet (a PDF or SVG page)
};

// Draws the sheet and the grid. Screen: the view clears its area to the background and draws the
// sheet as on a display (its frame, its shadow on white, the printable frame); the view must be
// attached as a display. Page: the whole device is filled with the background and the printable
// frame drawn with a one-pixel pen in the background's contrast colour.
void DrawSheet(CGraphSystem& view, const Drawing& drawing, SheetKind kind);

struct DrawReport {
    size_t drawn = 0; // entities drawn
};

// Draws every entity. progress, when given, is called with (entities drawn, entity count) every
// 1024 entities and at the end.
void DrawEntities(CGraphSystem& view, const Drawing& drawing, DrawReport* report = nullptr,
                  const std::function<void(size_t, size_t)>& progress = nullptr);

// The sheet as on a screen, then the entities: what a window shows.
void DrawDrawing(CGraphSystem& view, const Drawing& drawing, DrawReport* report = nullptr,
                 const std::function<void(size_t, size_t)>& progress = nullptr);

} // namespace draft2d::script
