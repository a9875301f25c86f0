// CGraphSystem: zoom and pan. Every change of the view ends in Zoom, the one
// setter of viewScale, viewX and viewY that enforces the scale limits.
#include "view/CGraphSystem_p.h"

void CGraphSystem::Zoom(double scale, double x, double y) {
    if (!(scale >= MIN_VIEW_SCALE))
        scale = MIN_VIEW_SCALE;
    else if (scale > MAX_VIEW_SCALE)
        scale = MAX_VIEW_SCALE;
    state->viewScale = scale;
    state->viewX = x;
    state->viewY = y;
    // zoomMode 1 (follow the paper) ends with any explicit zoom; 2 and above are
    // interactive commands, which zoom through here themselves.
    if (state->zoomMode <= 1)
        state->zoomMode = 0;
}
