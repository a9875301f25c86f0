// CGraphSys3D: perspective projection, 3-D drawing calls, the rotate drag and copies.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "platform/devices.h"
#include "view/CGraphSys3D.h"

using draft2d::Device;

namespace {

constexpr double kPi = 3.141592653589793;

struct Projection {
    int ok;
    double u, v;
};

Projection Project(CGraphSys3D& v, double x, double y, double z) {
    Projection p{0, -12345, -12345};
    p.ok = v.change_3D_to_2D(x, y, z, &p.u, &p.v);
    return p;
}

void SetAngles(CGraphSys3D& v, double hDeg, double vDeg) {
    v.angleH = hDeg * kPi / 180;
    v.angleV = vDeg * kPi / 180;
    v.UpdateSinCos();
}

TEST(View3D, DefaultsLookAtTheCentre) {
    CGraphSys3D v;
    EXPECT_EQ(v.eyeDist, 800.0);
    EXPECT_DOUBLE_EQ(v.angleH, 10 * kPi / 180);
    EXPECT_DOUBLE_EQ(v.angleV, 25 * kPi / 180);
    EXPECT_EQ(v.zScale, 1.0);
    EXPECT_EQ(v.extraParam, 10.0);
    EXPECT_DOUBLE_EQ(v.sinVcosH, std::sin(v.angleV) * std::cos(v.angleH));
    const Projection c = Project(v, 60, 60, 60);
    EXPECT_EQ(c.ok, 1);
    EXPECT_EQ(c.u, 0.0);
    EXPECT_EQ(c.v, 0.0);
    // The plane through the centre facing the eye (D = 800) appears at its own size: a step along
    // the screen's right axis (-sin H, cos H, 0) is a step in u, along its up axis in v.
    const double h = v.angleH, a = v.angleV;
    const Projection right = Project(v, 60 - 50 * std::sin(h), 60 + 50 * std::cos(h), 60);
    EXPECT_NEAR(right.u, 50, 1e-12);
    EXPECT_NEAR(right.v, 0, 1e-12);
    const Projection up = Project(v, 60 - 30 * std::cos(a) * std::cos(h), 60 - 30 * std::cos(a) * std::sin(h),
                                  60 + 30 * std::sin(a));
    EXPECT_NEAR(up.u, 0, 1e-12);
    EXPECT_NEAR(up.v, 30, 1e-12);
}

TEST(View3D, HandWorkedProjections) {
    CGraphSys3D v;
    // Eye on the +x side at the centre's height: x is depth, y right, z up.
    SetAngles(v, 0, 90);
    Projection p = Project(v, 160, 110, 90); // d = (100, 50, 30): D = 800 - 100
    EXPECT_NEAR(p.u, 800.0 * 50 / 700, 1e-12);
    EXPECT_NEAR(p.v, 800.0 * 30 / 700, 1e-12);
    p = Project(v, -40, 60, 60); // 100 farther than the centre: shrinks
    EXPECT_NEAR(p.u, 0, 1e-12);
    p = Project(v, -40, 70, 60);
    EXPECT_NEAR(p.u, 800.0 * 10 / 900, 1e-12);

    // From above (V = 0): z is depth, y right, -x up.
    SetAngles(v, 0, 0);
    p = Project(v, 70, 80, 160); // d = (10, 20, 100): D = 700
    EXPECT_NEAR(p.u, 800.0 * 20 / 700, 1e-12);
    EXPECT_NEAR(p.v, -800.0 * 10 / 700, 1e-12);
    v.zScale = 2; // z counts double: D = 800 - 200
    p = Project(v, 70, 80, 160);
    EXPECT_NEAR(p.u, 800.0 * 20 / 600, 1e-12);
    v.zScale = 1;

    // A different centre and distance.
    v.centreX = v.centreY = v.centreZ = 0;
    v.eyeDist = 100;
    SetAngles(v, 90, 90);       // eye on +y: -x right, z up
    p = Project(v, 10, 50, 20); // D = 50
    EXPECT_NEAR(p.u, -20, 1e-12);
    EXPECT_NEAR(p.v, 40, 1e-12);
}

// Every point on a ray from the eye projects to the same place: what the eye sees is a picture of
// directions. Points at the eye's depth have none.
TEST(View3D, RaysFromTheEyeProjectToOnePoint) {
    CGraphSys3D v;
    std::mt19937 rng(1508);
    std::uniform_real_distribution<double> u(-200, 200), ang(-kPi, kPi);
    for (int round = 0; round < 200; ++round) {
        SetAngles(v, ang(rng) * 180 / kPi, ang(rng) * 180 / kPi);
        v.eyeDist = 500 + round;
        const double ex = v.centreX + v.eyeDist * v.sinVcosH, ey = v.centreY + v.eyeDist * v.sinVsinH,
                     ez = v.centreZ + v.eyeDist * v.cosV;
        const double px = v.centreX + u(rng), py = v.centreY + u(rng), pz = v.centreZ + u(rng);
        const Projection a = Project(v, px, py, pz);
        ASSERT_EQ(a.ok, 1);
        for (double k : {0.25, 0.5, 2.0, 3.0}) {
            const Projection b = Project(v, ex + k * (px - ex), ey + k * (py - ey), ez + k * (pz - ez));
            EXPECT_NEAR(b.u, a.u, 1e-8 * (1 + std::fabs(a.u)));
            EXPECT_NEAR(b.v, a.v, 1e-8 * (1 + std::fabs(a.v)));
        }
        // The eye itself and a point beside it at its depth.
        EXPECT_EQ(Project(v, ex, ey, ez).ok, 0);
        const Projection side = Project(v, ex - 70 * v.sinH, ey + 70 * v.cosH, ez);
        EXPECT_EQ(side.ok, 0);
        EXPECT_EQ(side.u, -12345.0); // left alone
    }
}

// The 3-D calls draw what the 2-D calls draw for the projected points; a shape with a point at the
// eye's depth draws nothing.
TEST(View3D, DrawsThroughTheTwoDimensionalCalls) {
    auto a = Device::CreateImage(300, 200), b = Device::CreateImage(300, 200);
    ASSERT_TRUE(a && b);
    const int before = draft2d::GetGdiObjectCounts().total();
    CGraphSys3D v3;
    CGraphSystem v2;
    for (CGraphSystem* v : {static_cast<CGraphSystem*>(&v3), &v2}) {
        v->SetWndSize(300, 200);
        v->ZoomTo(mgRect(-150, -100, 150, 100), 1);
    }
    v3.Attach(a->GetDC());
    v2.Attach(b->GetDC());
    auto uv = [&](double x, double y, double z) {
        mgPoint p;
        double u, w;
        EXPECT_EQ(v3.change_3D_to_2D(x, y, z, &u, &w), 1);
        p.set(u, w);
        return p;
    };
    v3.DrawLine3D(0, 0, 0, 120, 0, 0);
    v2.DrawLine(uv(0, 0, 0), uv(120, 0, 0), CGraphSystem::COORD_USER);
    v3.DrawCircle3D(60, 60, 120, 5);
    v2.DrawCircle(uv(60, 60, 120), 5, CGraphSystem::COORD_USER);
    v3.DrawRect3D(0, 0, 120, 120, 0, 120, 120, 120, 120, 0, 120, 120);
    const mgPoint r[4] = {uv(0, 0, 120), uv(120, 0, 120), uv(120, 120, 120), uv(0, 120, 120)};
    v2.DrawPolyline(4, r, 1, CGraphSystem::COORD_USER);
    ASSERT_EQ(std::memcmp(a->GetPixels(), b->GetPixels(), static_cast<std::size_t>(a->GetStride()) * 200), 0);
    int dark = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            dark += a->GetPixel(x, y) == 0;
    EXPECT_GT(dark, 200); // about 120 + 2 * 60 + 30 + 4 * 60 pixels of lines

    // Shapes touching the eye's depth: nothing at all.
    const double ex = v3.centreX + v3.eyeDist * v3.sinVcosH, ey = v3.centreY + v3.eyeDist * v3.sinVsinH,
                 ez = v3.centreZ + v3.eyeDist * v3.cosV;
    const bool trace = draft2d::IsCallTraceAvailable();
    a->EnableTrace(trace);
    v3.DrawLine3D(0, 0, 0, ex, ey, ez);
    v3.DrawCircle3D(ex, ey, ez, 10);
    v3.DrawRect3D(0, 0, 0, 10, 0, 0, ex, ey, ez, 0, 10, 0);
    if (trace) {
        EXPECT_TRUE(a->GetTrace().empty());
    }
    EXPECT_EQ(std::memcmp(a->GetPixels(), b->GetPixels(), static_cast<std::size_t>(a->GetStride()) * 200), 0);
    v3.Detach();
    v2.Detach();
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);
}

void CountCalls(void* data, CGraphSystem*) {
    ++*static_cast<int*>(data);
}

TEST(View3D, RotateDragTurnsOneDegreePerPixel) {
    CGraphSys3D v;
    int calls = 0;
    v.SetWndSize(800, 600);
    v.SetRegenFunc(CountCalls, &calls);
    SetAngles(v, 0, 90);

    // The command exists only in the 3-D view; through the base it is refused.
    CGraphSystem& base = v;
    base.SetCmd(7);
    EXPECT_EQ(v.GetZoomMode(), 0);
    v.SetCmd(8);
    EXPECT_EQ(v.GetZoomMode(), 0);
    v.SetCmd(CGraphSys3D::ZOOM_ROTATE);
    EXPECT_EQ(v.GetZoomMode(), 7);
    EXPECT_EQ(v.IsZoomCmd(), 1);

    EXPECT_EQ(v.OnMouseMove(300, 300), 0); // no button: nothing
    EXPECT_EQ(calls, 0);
    v.OnLButtonDown(400, 300);
    // 90 pixels left: a quarter turn about z. The host redraws twice: once for the turn, once more
    // in the base's handling of the move that follows.
    EXPECT_EQ(v.OnMouseMove(310, 300), 1);
    EXPECT_EQ(calls, 2);
    EXPECT_NEAR(v.angleH, kPi / 2, 1e-12);
    EXPECT_NEAR(v.angleV, kPi / 2, 1e-12);
    // The eye now looks from +y: x points left.
    Projection p = Project(v, 160, 60, 60);
    EXPECT_NEAR(p.u, -100, 1e-9);
    EXPECT_NEAR(p.v, 0, 1e-9);

    // 30 pixels up turns the viewing direction 30 degrees further from the z axis: 90 to 120.
    EXPECT_EQ(v.OnMouseMove(310, 270), 1);
    EXPECT_NEAR(v.angleV, 120 * kPi / 180, 1e-12);
    EXPECT_NEAR(v.cosV, -0.5, 1e-12);
    // Moves are counted from the previous event, not from the button-down point.
    EXPECT_EQ(v.OnMouseMove(320, 280), 1);
    EXPECT_NEAR(v.angleH, 80 * kPi / 180, 1e-12);
    EXPECT_NEAR(v.angleV, 110 * kPi / 180, 1e-12);
    EXPECT_EQ(calls, 6);

    // Long drags stay within one turn either way.
    for (int i = 0; i < 20; ++i) {
        v.OnMouseMove(-80, 280);
        v.OnMouseMove(320, 280);
        v.OnMouseMove(320, -300);
        v.OnMouseMove(320, 280);
    }
    EXPECT_LT(std::fabs(v.angleH), 2 * kPi);
    EXPECT_LT(std::fabs(v.angleV), 2 * kPi);
    EXPECT_NEAR(std::remainder(v.angleH - 80 * kPi / 180, 2 * kPi), 0, 1e-9);
    EXPECT_NEAR(std::remainder(v.angleV - 110 * kPi / 180, 2 * kPi), 0, 1e-9);

    calls = 0;
    EXPECT_EQ(v.OnLButtonUp(320, 280), 0); // the button coming up only redraws
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(v.OnMouseMove(0, 0), 0);
    EXPECT_EQ(v.GetZoomMode(), 7);
}

// In the base's commands a move redraws first and then runs the base's handling, whose result is
// not passed on: a pan drag answers 0 to every move, and the host redraws twice per move (the
// second time the base's own redraw or regeneration) and once more when the button comes up.
TEST(View3D, OtherCommandsRedrawThenRunTheBase) {
    CGraphSys3D v;
    int calls = 0;
    v.SetWndSize(800, 600);
    v.SetRegenFunc(CountCalls, &calls);
    v.Zoom(1, 0, 0);
    const double angleH = v.angleH;
    v.SetCmd(CGraphSystem::ZOOM_PAN);
    v.OnLButtonDown(100, 100);
    EXPECT_EQ(v.OnMouseMove(102, 101), 0); // within the click distance: two redraws
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(v.OnMouseMove(140, 90), 0); // panned by (40, -10) pixels: a redraw, a regeneration
    EXPECT_EQ(calls, 4);
    mgPoint s;
    v.UserToScreen(0, 0, s);
    EXPECT_NEAR(s.x(), 40, 1e-9);
    EXPECT_NEAR(s.y(), 590, 1e-9);
    EXPECT_EQ(v.OnLButtonUp(140, 90), 1);
    EXPECT_EQ(v.angleH, angleH);
    EXPECT_EQ(calls, 5);
}

TEST(View3D, CopiesAreIndependent) {
    CGraphSys3D a;
    a.SetWndSize(640, 480);
    a.Zoom(3, 10, 20);
    SetAngles(a, 33, 44);
    a.eyeDist = 1234;
    a.centreZ = -5;
    a.extraParam = 7;
    auto dev = Device::CreateImage(64, 48);
    ASSERT_TRUE(dev);
    a.Attach(dev->GetDC(), nullptr, 1);
    {
        CGraphSys3D b(a);
        EXPECT_EQ(b.GetViewScale(), 3.0);
        EXPECT_EQ(b.GetWidth(), 640);
        EXPECT_EQ(b.eyeDist, 1234.0);
        EXPECT_EQ(b.centreZ, -5.0);
        EXPECT_EQ(b.extraParam, 7.0);
        EXPECT_EQ(b.sinVsinH, a.sinVsinH);
        EXPECT_EQ(b.GetDrawDC(), nullptr); // a copy is detached
        b.Zoom(5, 0, 0);
        b.eyeDist = 1;
        EXPECT_EQ(a.GetViewScale(), 3.0);
        EXPECT_EQ(a.eyeDist, 1234.0);

        CGraphSys3D c;
        c = a;
        EXPECT_EQ(c.GetViewScale(), 3.0);
        EXPECT_EQ(c.angleV, a.angleV);
        EXPECT_EQ(c.cosVcosH, a.cosVcosH);
        c = c;
        EXPECT_EQ(c.eyeDist, 1234.0);
    } // b and c go first; a still works
    EXPECT_NE(a.GetDrawDC(), nullptr);
    a.DrawLine3D(0, 0, 0, 100, 100, 100);
    a.Detach();
}

// A wire cube of side 120 about the centre, turned by a scripted drag: 60 pixels left (60 degrees
// about z) and 40 up. Written as PNGs before and after; every projected corner lies on the drawing.
void DrawCube(void* data, CGraphSystem* view) {
    auto* v = static_cast<CGraphSys3D*>(view);
    v->Cls();
    const double c[8][3] = {{0, 0, 0},   {120, 0, 0},   {120, 120, 0},   {0, 120, 0},
                            {0, 0, 120}, {120, 0, 120}, {120, 120, 120}, {0, 120, 120}};
    const int edges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                              {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    for (const auto& e : edges)
        v->DrawLine3D(c[e[0]][0], c[e[0]][1], c[e[0]][2], c[e[1]][0], c[e[1]][1], c[e[1]][2]);
    v->DrawCircle3D(120, 120, 120, 6); // marks one corner
    ++*static_cast<int*>(data);
}

TEST(View3D, WireCubeTurnedByADrag) {
    auto dev = Device::CreateImage(400, 300);
    ASSERT_TRUE(dev);
    CGraphSys3D v;
    int frames = 0;
    v.SetWndSize(400, 300);
    v.SetRegenFunc(DrawCube, &frames);
    v.ZoomTo(mgRect(-160, -120, 160, 120), 1);
    SelectObject(dev->GetDC(), GetStockObject(NULL_BRUSH)); // the marking circle stays hollow
    v.Attach(dev->GetDC());
    v.RegenAll();
    const std::string out = DRAFT2D_TEST_OUTPUT_DIR;
    ASSERT_TRUE(dev->WritePng(out + "/view3d_cube_before.png"));

    v.SetCmd(CGraphSys3D::ZOOM_ROTATE);
    v.OnLButtonDown(300, 200);
    for (int i = 1; i <= 6; ++i)
        v.OnMouseMove(300 - 10 * i, 200 - (i <= 4 ? 10 * i : 40));
    v.OnLButtonUp(240, 160);
    EXPECT_EQ(frames, 1 + 2 * 6 + 1); // two redraws a move: the turn's, then the base's
    EXPECT_NEAR(v.angleH, 70 * kPi / 180, 1e-12);
    EXPECT_NEAR(v.angleV, 65 * kPi / 180, 1e-12);
    ASSERT_TRUE(dev->WritePng(out + "/view3d_cube_after.png"));

    // Each corner's projection is drawn on: a dark pixel within a pixel of it.
    for (double x : {0.0, 120.0})
        for (double y : {0.0, 120.0})
            for (double z : {0.0, 120.0}) {
                double u, w;
                ASSERT_EQ(v.change_3D_to_2D(x, y, z, &u, &w), 1);
                mgPoint s;
                v.UserToScreen(u, w, s);
                bool dark = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        dark = dark ||
                               dev->GetPixel(static_cast<int>(s.x()) + dx, static_cast<int>(s.y()) + dy) == 0;
                EXPECT_TRUE(dark) << x << " " << y << " " << z;
            }
    v.Detach();
}

} // namespace
