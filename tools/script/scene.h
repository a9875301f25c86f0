// Drawing a read script on a view: the part that draft2d-render and draft2d-view share.
//
// The host attaches the view to a device, sizes it (SetWndSize) and sets it up for the drawing
// (SetUpView), frames it (FitView), then draws (DrawDrawing): the sheet, the grid and the entities
// in script order, each with its own pen, fill and line type through a CGraphCanvas, so that the
// device context is left as it was found.
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

// Frames the view: the paper, the extent of the entities (the paper when there are none) or a user
// rectangle, with a margin in pixels.
void FitView(CGraphSystem& view, const Drawing& drawing, ViewFit fit, const mgRect& window, int margin);

struct DrawReport {
    size_t drawn = 0; // entities drawn
};

// Clears the view's area, draws the sheet, the grid and every entity. progress, when given, is
// called with (entities drawn, entity count) every 1024 entities and at the end.
void DrawDrawing(CGraphSystem& view, const Drawing& drawing, DrawReport* report = nullptr,
                 const std::function<void(size_t, size_t)>& progress = nullptr);

} // namespace draft2d::script
