// CGraphSys3D: a view that draws simple three-dimensional figures by projecting them in perspective
// onto the user plane of the base view, and that turns the viewing direction while the left button
// is dragged (command ZOOM_ROTATE).
//
// The eye looks at the centre (centreX, centreY, centreZ) from eyeDist user units away, from the
// direction e = (sin V cos H, sin V sin H, cos V) with H = angleH (about the z axis) and V = angleV
// (from the z axis). A point p, with d = p - centre and its z scaled by zScale, projects to
//   D = eyeDist - d.e                  (its distance from the eye along the viewing direction)
//   u = eyeDist (d.h) / D,  h = (-sin H, cos H, 0)                 (screen right)
//   v = eyeDist (d.w) / D,  w = (-cos V cos H, -cos V sin H, sin V) (screen up)
// in user units of the base view: the plane through the centre facing the eye appears at its own
// size, the centre at the user origin. (h, w, e) is a right-handed orthonormal frame.
// Points at the eye's depth (|D| < 1e-7) have no image: they are not projected, and shapes that
// contain one are not drawn. Points behind the eye (D < 0) project mirrored through the centre;
// callers keep their scene in front of the eye.
//
// The operations named like the base's hide them (the base's are not virtual): a call through a
// CGraphSystem pointer or reference reaches the base's version. Copies are independent views (the
// base's copy rules) with the same 3-D parameters.
#pragma once

#include "draft2d_export.h"
#include "view/CGraphSystem.h"

class DRAFT2D_EXPORT CGraphSys3D : public CGraphSystem {
public:
    // Command code of the rotate drag, beside those of CGraphSystem.
    enum { ZOOM_ROTATE = 7 };

    CGraphSys3D(const CLineTypes* types = nullptr);
    CGraphSys3D(const CGraphSys3D& other);
    CGraphSys3D& operator=(const CGraphSys3D& other);
    ~CGraphSys3D() override;

    // Refreshes the cached sines and cosines from angleH and angleV; call it after setting them.
    void UpdateSinCos();

    // Projects (x, y, z) to the user point (u, v): 1, or 0 for a point at the eye's depth (u and v
    // are then left alone).
    int change_3D_to_2D(double x, double y, double z, double* u, double* v);

    // The projected segment, through DrawLine in user coordinates.
    void DrawLine3D(double x1, double y1, double z1, double x2, double y2, double z2);
    // A circle of radius r user units about the projected centre, facing the viewer (the radius is
    // not foreshortened).
    void DrawCircle3D(double x, double y, double z, double r);
    // The closed outline through the four projected corners, in the order given.
    void DrawRect3D(double x1, double y1, double z1, double x2, double y2, double z2, double x3, double y3,
                    double z3, double x4, double y4, double z4);

    // Cancels the current command, then selects cmd when it is 2 to 7.
    void SetCmd(int cmd);
    // While the button is down in ZOOM_ROTATE, each pixel of horizontal motion turns angleH by one
    // degree (moving left increases it) and each pixel of vertical motion turns angleV by one degree
    // (moving up increases it); both angles stay within (-2 pi, 2 pi). The view is then redrawn
    // (RegenAll) and the result is 1. In the other commands the move redraws (Redraw) and the
    // result is 0. In every command the base's OnMouseMove follows, its result ignored: it records
    // the position and runs the base's commands (in the rotate command it redraws once more).
    int OnMouseMove(int x, int y);
    void OnLButtonDown(int x, int y);
    int OnLButtonUp(int x, int y);

    // UpdateSinCos(), then the base's operation.
    void RegenAll();
    void Redraw();

    // Scene parameters (user units and radians); after changing an angle call UpdateSinCos().
    double eyeDist;
    double angleH;
    double angleV;
    double zScale;
    double extraParam; // kept and copied; nothing reads it
    double centreX;
    double centreY;
    double centreZ;
    // The cache UpdateSinCos() fills.
    double cosH;
    double sinH;
    double cosV;
    double sinV;
    double cosVcosH;
    double cosVsinH;
    double sinVcosH;
    double sinVsinH;

private:
    void CopyScene(const CGraphSys3D& other);
};
