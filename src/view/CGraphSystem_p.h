// The private state block of CGraphSystem, shared by the view's sources.
#pragma once

#include <cmath>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "pixel_p.h"
#include "text/CFontFormat.h"
#include "view/CGraphSystem.h"

namespace draft2d::detail {

// One collected path: screen points in drawing order, drawn with the line type and scale that were
// current when it was opened.
struct ViewPath {
    std::deque<mgPoint> points;
    CLineType* lineType = nullptr;
    double lineScale = 1.0;
};

struct UcsEntry {
    double userToMm = 1.0;
    double userX = 0.0;
    double userY = 0.0;
};

// Draws screen points with GDI's Polyline or Polygon (closed) on dc. Points far outside every device
// are handled in double precision first: a polygon is clipped to the guard box, an open polyline cut
// into the runs that lie inside it, so what is seen keeps its exact geometry. May throw bad_alloc.
void DrawPolyPoints(HDC dc, const std::vector<mgPoint>& pts, bool closed);

} // namespace draft2d::detail

struct CGraphSystem::State {
    typedef void (*RegenFunc)(void*, CGraphSystem*);

    // Transforms
    double userToMm = 1.0;
    double userX = 0.0;
    double userY = 0.0;
    double viewScale = 1.0;
    double viewX = 0.0;
    double viewY = 0.0;
    int width = 1;
    int height = 1;
    double mmPixelsX = 96.0 / 25.4;
    double mmPixelsY = 96.0 / 25.4;
    double adjustScaleX = 1.0;
    double adjustScaleY = 1.0;
    draft2d::detail::UcsEntry ucsStack[5];
    int ucsDepth = 0;

    // Interactive commands
    int zoomMode = 0;
    int mouseX = 0;
    int mouseY = 0;
    int mouseDown = 0;
    RegenFunc regenFunc = nullptr;
    void* regenData = nullptr;

    // Device and colours
    int isPrint = 0;
    COLORREF bkColor = 0xFFFFFF;
    COLORREF clearColor = 0xFFFFFF;
    int colorMode = 0;
    mgRect clipRect;
    bool clipSet = false; // clipRect is not empty: kept with it by SetClip
    int lineWidthEnabled = 1;
    CLineType* lineType = nullptr;
    double lineScale = 1.0;
    std::string lineTypeSelected; // the name lineType had when it was selected
    std::unique_ptr<CFontFormat> promptFormat;
    HDC hdc = nullptr;
    HDC attribDC = nullptr;
    HDC cacheDC = nullptr;
    HBITMAP cacheBmp = nullptr;
    HGDIOBJ cacheOldBmp = nullptr;
    HBITMAP savedBmp = nullptr;

    // Paper and grid
    mgPoint paperSize{297.0, 210.0};
    int gridType = 1;
    double gridX = 10.0;
    double gridY = 10.0;
    mgPoint gridOrigin;
    mgRect gridRect{0.0, 0.0, 100.0, 100.0};

    // Paths
    bool autoDrawPath = true;
    int pathsActive = 0;
    std::vector<std::unique_ptr<draft2d::detail::ViewPath>> paths;
    draft2d::detail::ViewPath* curPath = nullptr;
    // Cleared path records kept for the next paths: a drawing call that collects its own path would
    // otherwise allocate and free a record and its point blocks every time. At most kSparePaths.
    std::vector<std::unique_ptr<draft2d::detail::ViewPath>> sparePaths;
    static constexpr size_t kSparePaths = 16;

    // Copies the parameters of other (everything but the device attachment, the bitmaps, the paths,
    // the prompt format, and, when forAssignment, the redraw callback and line type).
    void CopyParameters(const State& other, bool forAssignment);

    void SetClip(const mgRect& r) {
        clipRect = r;
        clipSet = !r.isEmpty();
    }
};
