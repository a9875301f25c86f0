// CGraphSys3D: perspective projection onto the user plane, 3-D drawing calls and the rotate drag.
// The projection is written out in CGraphSys3D.h; drawing goes through the base's 2-D calls in user
// coordinates.
#include "view/CGraphSys3D.h"

#include <cmath>

#include "algorithms/angles.h"
#include "view/CGraphSystem_p.h"

namespace {

const double kDegree = 0.017453292519943295;
const double kTwoPi = 6.283185307179586;
const double kMinDepth = 1e-7; // user units: nearer the eye's depth a point has no image

} // namespace

CGraphSys3D::CGraphSys3D(const CLineTypes* types)
    : CGraphSystem(types), eyeDist(800.0), angleH(Deg2Rad(10.0)), angleV(Deg2Rad(25.0)), zScale(1.0),
      extraParam(10.0), centreX(60.0), centreY(60.0), centreZ(60.0), cosH(0.0), sinH(0.0), cosV(0.0),
      sinV(0.0), cosVcosH(0.0), cosVsinH(0.0), sinVcosH(0.0), sinVsinH(0.0) {
    UpdateSinCos();
}

// The base's copy constructor makes an independent view: nothing is shared and released twice.
CGraphSys3D::CGraphSys3D(const CGraphSys3D& other) : CGraphSystem(other) {
    CopyScene(other);
}

CGraphSys3D& CGraphSys3D::operator=(const CGraphSys3D& other) {
    if (this != &other) {
        CGraphSystem::operator=(other);
        CopyScene(other);
    }
    return *this;
}

CGraphSys3D::~CGraphSys3D() = default;

void CGraphSys3D::CopyScene(const CGraphSys3D& o) {
    eyeDist = o.eyeDist;
    angleH = o.angleH;
    angleV = o.angleV;
    zScale = o.zScale;
    extraParam = o.extraParam;
    centreX = o.centreX;
    centreY = o.centreY;
    centreZ = o.centreZ;
    cosH = o.cosH;
    sinH = o.sinH;
    cosV = o.cosV;
    sinV = o.sinV;
    cosVcosH = o.cosVcosH;
    cosVsinH = o.cosVsinH;
    sinVcosH = o.sinVcosH;
    sinVsinH = o.sinVsinH;
}

void CGraphSys3D::UpdateSinCos() {
    cosH = std::cos(angleH);
    sinH = std::sin(angleH);
    cosV = std::cos(angleV);
    sinV = std::sin(angleV);
    cosVcosH = cosV * cosH;
    cosVsinH = cosV * sinH;
    sinVcosH = sinV * cosH;
    sinVsinH = sinV * sinH;
}

int CGraphSys3D::change_3D_to_2D(double x, double y, double z, double* u, double* v) {
    const double dx = x - centreX, dy = y - centreY, dz = (z - centreZ) * zScale;
    const double depth = eyeDist - (dx * sinVcosH + dy * sinVsinH + dz * cosV);
    if (std::fabs(depth) < kMinDepth)
        return 0;
    if (u)
        *u = eyeDist * (dy * cosH - dx * sinH) / depth;
    if (v)
        *v = eyeDist * (dz * sinV - (dx * cosVcosH + dy * cosVsinH)) / depth;
    return 1;
}

void CGraphSys3D::DrawLine3D(double x1, double y1, double z1, double x2, double y2, double z2) {
    double ua, va, ub, vb;
    if (change_3D_to_2D(x1, y1, z1, &ua, &va) && change_3D_to_2D(x2, y2, z2, &ub, &vb))
        DrawLine(ua, va, ub, vb, COORD_USER);
}

void CGraphSys3D::DrawCircle3D(double x, double y, double z, double r) {
    double u, v;
    if (change_3D_to_2D(x, y, z, &u, &v))
        DrawCircle(u, v, r, COORD_USER);
}

void CGraphSys3D::DrawRect3D(double x1, double y1, double z1, double x2, double y2, double z2, double x3,
                             double y3, double z3, double x4, double y4, double z4) {
    double us[4], vs[4];
    if (change_3D_to_2D(x1, y1, z1, &us[0], &vs[0]) && change_3D_to_2D(x2, y2, z2, &us[1], &vs[1]) &&
        change_3D_to_2D(x3, y3, z3, &us[2], &vs[2]) && change_3D_to_2D(x4, y4, z4, &us[3], &vs[3]))
        DrawPolyline(4, us, vs, 1, COORD_USER);
}

void CGraphSys3D::SetCmd(int cmd) {
    CGraphSystem::OnCancel();
    if (cmd >= ZOOM_PAN && cmd <= ZOOM_ROTATE)
        state->zoomMode = cmd;
}

// A move with the button down redraws first in every command, and then the base's handling follows
// (it records the position and runs its own commands, redrawing once more), its result ignored. So
// a host's redraw callback runs twice per move: in the rotate command after the angles have turned,
// in the others before the base has panned or zoomed.
int CGraphSys3D::OnMouseMove(int x, int y) {
    if (state->mouseDown == 0)
        return 0;
    int result = 0;
    if (state->zoomMode == ZOOM_ROTATE) {
        // Turn by one degree per pixel moved since the last event: left and up increase the angles.
        // (Client coordinates are any ints: the differences are taken in double.)
        angleH = std::fmod(angleH + (double(state->mouseX) - x) * kDegree, kTwoPi);
        angleV = std::fmod(angleV + (double(state->mouseY) - y) * kDegree, kTwoPi);
        UpdateSinCos();
        CGraphSystem::RegenAll();
        result = 1;
    } else {
        UpdateSinCos();
        CGraphSystem::Redraw();
    }
    CGraphSystem::OnMouseMove(x, y);
    return result;
}

void CGraphSys3D::OnLButtonDown(int x, int y) {
    CGraphSystem::OnLButtonDown(x, y);
}

int CGraphSys3D::OnLButtonUp(int x, int y) {
    return CGraphSystem::OnLButtonUp(x, y);
}

void CGraphSys3D::RegenAll() {
    UpdateSinCos();
    CGraphSystem::RegenAll();
}

void CGraphSys3D::Redraw() {
    UpdateSinCos();
    CGraphSystem::Redraw();
}
