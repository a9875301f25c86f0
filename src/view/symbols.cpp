// CGraphSystem: the symbol library and symbol placement.
//
// A symbol is placed with its origin at a point given in user, paper or screen coordinates, turned
// by an angle (radians, counter-clockwise on the sheet) and scaled as a unit system would be: one
// symbol unit is 1 / scale paper millimetres (CalcUCS with the millimetre unit), so scale 2 draws
// half the size of scale 1.
#include "view/CGraphSystem_p.h"

#include "symbol/mgSymbol.h"

bool CGraphSystem::LoadSymbols(const char* dir) {
    mgSymbols::c_object.Clear();
    return mgSymbols::c_object.Load(dir);
}

void CGraphSystem::DrawSymbol(double x, double y, const char* name, double angle, coord_type ct,
                              double scale) {
    double px = x, py = y;
    if (ct == COORD_USER)
        UserToPaper(x, y, &px, &py);
    else if (ct == COORD_SCREEN)
        ScreenToPaper(x, y, &px, &py);
    if (!std::isfinite(px) || !std::isfinite(py))
        return;
    mgSymbol* symbol = mgSymbols::c_object.Find(name);
    if (symbol == nullptr) {
        // A dot in the current pen marks where the missing symbol belongs.
        double sx = 0, sy = 0;
        PaperToScreen(px, py, &sx, &sy);
        DrawCircle(sx, sy, 0.0, COORD_SCREEN);
        return;
    }
    // CalcUCS would answer a scale that is not a positive number with the identity system, which
    // puts the symbol at the paper origin; such a scale draws the symbol at its own size instead,
    // at the given place and angle.
    if (!(scale >= 1e-7))
        scale = 1.0;
    symbol->Draw(this, CalcUCS(scale, px, py, angle, 0));
}
