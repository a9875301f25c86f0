// Pixel rules of our GDI on image devices: the pixels GDI lights for lines, boxes, hatches and blits.
#include "platform/devices.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

using draft2d::Device;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

using PixelSet = std::set<std::pair<int, int>>;

long long floorDiv(long long a, long long b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The pixels of a one-pixel line from (x0, y0) towards (x1, y1), without the end point: one per step
// along the major axis, at the minor coordinate nearest to the exact line; where the line passes
// exactly between two pixels, the one with the smaller coordinate (up or left), so that a line
// lights the same pixels whichever way it is drawn.
PixelSet gdiLine(int x0, int y0, int x1, int y1) {
    PixelSet out;
    const long long dx = x1 - x0, dy = y1 - y0;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const long long n = xMajor ? std::llabs(dx) : std::llabs(dy);
    for (long long i = 0; i < n; ++i) {
        // The minor offset is i * minor / major exactly; round halves down: ceil(v - 1/2).
        const long long major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
        const long long q = std::llabs(major), p = i * minor; // v = p / q
        const long long off = -floorDiv(q - 2 * p, 2 * q);
        const long long m = (xMajor ? x0 : y0) + (major > 0 ? i : -i);
        const long long s = (xMajor ? y0 : x0) + off;
        out.insert(xMajor ? std::make_pair(static_cast<int>(m), static_cast<int>(s))
                          : std::make_pair(static_cast<int>(s), static_cast<int>(m)));
    }
    return out;
}

PixelSet pixelsOf(const Device& dev, COLORREF color) {
    PixelSet out;
    for (int y = 0; y < dev.GetHeight(); ++y)
        for (int x = 0; x < dev.GetWidth(); ++x)
            if (dev.GetPixel(x, y) == color)
                out.insert({x, y});
    return out;
}

PixelSet nonWhite(const Device& dev) {
    PixelSet out;
    for (int y = 0; y < dev.GetHeight(); ++y)
        for (int x = 0; x < dev.GetWidth(); ++x)
            if (dev.GetPixel(x, y) != kWhite)
                out.insert({x, y});
    return out;
}

class Pixels : public ::testing::Test {
protected:
    void SetUp() override {
        dev = Device::CreateImage(120, 100);
        ASSERT_TRUE(dev);
        dc = dev->GetDC();
    }
    // Selects an object for the test and deletes it at the end.
    void use(HGDIOBJ obj) {
        ASSERT_NE(obj, nullptr);
        owned.push_back(obj);
        SelectObject(dc, obj);
    }
    void TearDown() override {
        SelectObject(dc, GetStockObject(BLACK_PEN));
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        for (HGDIOBJ o : owned)
            EXPECT_TRUE(DeleteObject(o));
    }
    HPEN solidPen(DWORD width, COLORREF c,
                  DWORD style = PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER) {
        LOGBRUSH lb{BS_SOLID, c, 0};
        return ExtCreatePen(style, width, &lb, 0, nullptr);
    }

    std::unique_ptr<Device> dev;
    HDC dc = nullptr;
    std::vector<HGDIOBJ> owned;
};

TEST_F(Pixels, OnePixelLinesLightBresenhamPixelsWithoutTheLast) {
    use(CreatePen(PS_SOLID, 1, kRed));
    // Every octant, steep and flat, plus segments reaching far outside the image (clipped).
    const int segs[][4] = {{10, 10, 50, 23},   {50, 30, 10, 43},     {60, 5, 67, 60},  {67, 95, 60, 40},
                           {5, 90, 90, 90},    {100, 10, 100, 80},   {20, 50, 33, 50}, {-500, -80, 110, 70},
                           {119, -300, 0, 99}, {3000, 20, -2000, 21}};
    PixelSet expect;
    for (const auto& s : segs) {
        MoveToEx(dc, s[0], s[1], nullptr);
        ASSERT_TRUE(LineTo(dc, s[2], s[3]));
        for (const auto& p : gdiLine(s[0], s[1], s[2], s[3]))
            if (p.first >= 0 && p.first < 120 && p.second >= 0 && p.second < 100)
                expect.insert(p);
    }
    EXPECT_EQ(pixelsOf(*dev, kRed), expect);
    POINT cp{};
    GetCurrentPositionEx(dc, &cp);
    EXPECT_EQ(cp.x, -2000);
    EXPECT_EQ(cp.y, 21);
}

TEST_F(Pixels, PolylineDrawsEveryVertexOnceAndNotTheLastPoint) {
    use(solidPen(1, kRed));
    const POINT pts[] = {{10, 10}, {40, 10}, {40, 30}, {10, 30}};
    ASSERT_TRUE(Polyline(dc, pts, 4));
    PixelSet expect;
    for (int i = 0; i < 3; ++i)
        for (const auto& p : gdiLine(pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y))
            expect.insert(p);
    EXPECT_EQ(pixelsOf(*dev, kRed), expect);
    EXPECT_EQ(dev->GetPixel(10, 30), kWhite);
}

TEST_F(Pixels, ALineLightsTheSamePixelsWhicheverWayItIsDrawn) {
    use(CreatePen(PS_SOLID, 1, kRed));
    srand(11);
    for (int t = 0; t < 300; ++t) {
        const int x0 = rand() % 120, y0 = rand() % 100, x1 = rand() % 120, y1 = rand() % 100;
        dev->Clear(kWhite);
        MoveToEx(dc, x0, y0, nullptr);
        LineTo(dc, x1, y1);
        SetPixel(dc, x1, y1, kRed);
        const PixelSet forward = pixelsOf(*dev, kRed);
        dev->Clear(kWhite);
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x0, y0);
        SetPixel(dc, x0, y0, kRed);
        ASSERT_EQ(pixelsOf(*dev, kRed), forward) << x0 << "," << y0 << " - " << x1 << "," << y1;
    }
    // A tie: (0,0)-(4,1) passes between two pixels at x = 2 and takes the upper one.
    dev->Clear(kWhite);
    MoveToEx(dc, 10, 10, nullptr);
    LineTo(dc, 14, 11);
    EXPECT_EQ(dev->GetPixel(12, 10), kRed);
    EXPECT_EQ(dev->GetPixel(12, 11), kWhite);
}

TEST_F(Pixels, DotsAreCountedInPixelsAndGapsTakeTheBackgroundWhenOpaque) {
    LOGBRUSH lb{BS_SOLID, kRed, 0};
    use(ExtCreatePen(PS_COSMETIC | PS_DOT, 1, &lb, 0, nullptr));
    SetBkMode(dc, TRANSPARENT);
    // A diagonal: 12 pixels, three on and three off, whatever the length of the steps.
    MoveToEx(dc, 10, 10, nullptr);
    LineTo(dc, 22, 22);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(dev->GetPixel(10 + i, 10 + i), (i % 6) < 3 ? kRed : kWhite) << i;
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, kBlue);
    MoveToEx(dc, 10, 50, nullptr);
    LineTo(dc, 30, 50);
    // In opaque mode the gaps of a pen made by ExtCreatePen stay as they were; those of a pen made
    // by CreatePen take the background colour.
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(dev->GetPixel(10 + i, 50), (i % 6) < 3 ? kRed : kWhite) << i;
    EXPECT_EQ(dev->GetPixel(30, 50), kWhite);
    use(CreatePen(PS_DOT, 1, kRed));
    MoveToEx(dc, 10, 60, nullptr);
    LineTo(dc, 30, 60);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(dev->GetPixel(10 + i, 60), (i % 6) < 3 ? kRed : kBlue) << i;
    EXPECT_EQ(dev->GetPixel(30, 60), kWhite);
}

TEST_F(Pixels, BoxesStayInsideTheirHalfOpenRectangles) {
    use(CreatePen(PS_SOLID, 1, kRed));
    use(CreateSolidBrush(kBlue));
    ASSERT_TRUE(Rectangle(dc, 10, 10, 20, 30));
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 120; ++x) {
            if (x >= 10 && x < 20 && y >= 10 && y < 30) {
                const bool border = x == 10 || x == 19 || y == 10 || y == 29;
                ASSERT_EQ(dev->GetPixel(x, y), border ? kRed : kBlue) << x << "," << y;
            } else {
                ASSERT_EQ(dev->GetPixel(x, y), kWhite) << x << "," << y;
            }
        }
    // Without a pen the filled area is one pixel smaller to the right and bottom.
    dev->Clear(kWhite);
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 10, 10, 20, 30);
    PixelSet expect;
    for (int y = 10; y < 29; ++y)
        for (int x = 10; x < 19; ++x)
            expect.insert({x, y});
    EXPECT_EQ(nonWhite(*dev), expect);

    // In the advanced graphics mode the right and bottom edges belong to the box.
    dev->Clear(kWhite);
    SetGraphicsMode(dc, GM_ADVANCED);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, 10, 10, 20, 30);
    SetGraphicsMode(dc, GM_COMPATIBLE);
    EXPECT_EQ(dev->GetPixel(20, 30), 0u);
    EXPECT_EQ(dev->GetPixel(21, 30), kWhite);
    EXPECT_EQ(dev->GetPixel(15, 20), kBlue);

    // Ellipse, Pie and Chord touch the four sides of their box and never leave it.
    const auto shapes = {0, 1, 2};
    for (int shape : shapes) {
        dev->Clear(kWhite);
        use(CreatePen(PS_SOLID, 1, kRed));
        if (shape == 0)
            Ellipse(dc, 30, 20, 71, 61);
        else if (shape == 1)
            Pie(dc, 30, 20, 71, 61, 80, 40, 50,
                10); // from 3 o'clock to 12 o'clock, the quarter on the top right
        else
            Chord(dc, 30, 20, 71, 61, 20, 40, 80, 40); // lower half
        const PixelSet drawn = nonWhite(*dev);
        ASSERT_FALSE(drawn.empty());
        int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
        for (const auto& p : drawn) {
            minX = std::min(minX, p.first);
            maxX = std::max(maxX, p.first);
            minY = std::min(minY, p.second);
            maxY = std::max(maxY, p.second);
        }
        EXPECT_GE(minX, 30) << shape;
        EXPECT_LE(maxX, 70) << shape;
        EXPECT_GE(minY, 20) << shape;
        EXPECT_LE(maxY, 60) << shape;
        if (shape == 0) {
            EXPECT_EQ(minX, 30);
            EXPECT_EQ(maxX, 70);
            EXPECT_EQ(minY, 20);
            EXPECT_EQ(maxY, 60);
            EXPECT_EQ(dev->GetPixel(50, 40), kBlue); // filled inside
        } else if (shape == 1) {
            EXPECT_EQ(dev->GetPixel(58, 32), kBlue); // inside the top right quarter
            EXPECT_EQ(dev->GetPixel(42, 48), kWhite);
            EXPECT_EQ(minX, 50);
            EXPECT_EQ(maxY, 40);
        } else {
            EXPECT_EQ(dev->GetPixel(50, 52), kBlue); // inside the lower half
            EXPECT_EQ(dev->GetPixel(50, 30), kWhite);
        }
    }
}

TEST_F(Pixels, EachHatchIsItsEightByEightPatternAlignedToTheDeviceOrigin) {
    // Whether (x, y) belongs to the pattern, from the appearance of each style.
    const auto inPattern = [](int style, int x, int y) {
        const int u = x % 8, v = y % 8;
        switch (style) {
        case HS_HORIZONTAL:
            return v == 3;
        case HS_VERTICAL:
            return u == 4;
        case HS_FDIAGONAL:
            return u == v;
        case HS_BDIAGONAL:
            return u + v == 7;
        case HS_CROSS:
            return u == 4 || v == 3;
        default:
            return u == v || u + v == 7;
        }
    };
    for (int style = HS_HORIZONTAL; style <= HS_DIAGCROSS; ++style) {
        for (int opaque = 0; opaque < 2; ++opaque) {
            dev->Clear(kGreen);
            HBRUSH hb = CreateHatchBrush(style, kRed);
            ASSERT_NE(hb, nullptr);
            SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
            SetBkColor(dc, kBlue);
            const RECT rc{13, 5, 37, 29};
            ASSERT_TRUE(FillRect(dc, &rc, hb));
            // The same through a shape: the pattern does not move with the shape.
            SelectObject(dc, GetStockObject(NULL_PEN));
            SelectObject(dc, hb);
            Rectangle(dc, 50, 50, 75, 75);
            SelectObject(dc, GetStockObject(WHITE_BRUSH));
            SelectObject(dc, GetStockObject(BLACK_PEN));
            EXPECT_TRUE(DeleteObject(hb));
            const COLORREF gap = opaque ? kBlue : kGreen;
            for (int y = 0; y < 100; ++y)
                for (int x = 0; x < 120; ++x) {
                    const bool inRect =
                        (x >= 13 && x < 37 && y >= 5 && y < 29) || (x >= 50 && x < 74 && y >= 50 && y < 74);
                    const COLORREF want = !inRect ? kGreen : inPattern(style, x, y) ? kRed : gap;
                    ASSERT_EQ(dev->GetPixel(x, y), want) << "style " << style << " at " << x << "," << y;
                }
        }
    }
}

TEST_F(Pixels, BitBltCopiesExactlyAndClipsAtTheEdges) {
    HDC mem = CreateCompatibleDC(dc);
    ASSERT_NE(mem, nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 40, 30);
    ASSERT_NE(bmp, nullptr);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    ASSERT_NE(oldBmp, nullptr);
    srand(7);
    std::vector<COLORREF> src(40 * 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            src[y * 40 + x] = static_cast<COLORREF>(rand()) & 0xFFFFFF;
            ASSERT_EQ(SetPixel(mem, x, y, src[y * 40 + x]), src[y * 40 + x]);
        }
    ASSERT_TRUE(BitBlt(dc, 5, 7, 40, 30, mem, 0, 0, SRCCOPY));
    // Partly outside the device: the visible part is copied, nothing else is touched.
    ASSERT_TRUE(BitBlt(dc, 100, 80, 40, 30, mem, 3, 2, SRCCOPY));
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 120; ++x) {
            COLORREF want = kWhite;
            if (x >= 5 && x < 45 && y >= 7 && y < 37)
                want = src[(y - 7) * 40 + (x - 5)];
            else if (x >= 100 && y >= 80 && x - 100 + 3 < 40 && y - 80 + 2 < 30)
                want = src[(y - 80 + 2) * 40 + (x - 100 + 3)];
            ASSERT_EQ(dev->GetPixel(x, y), want) << x << "," << y;
        }
    EXPECT_EQ(draft2d::GetBitmapPixel(bmp, 39, 29), src[29 * 40 + 39]);
    EXPECT_EQ(draft2d::GetBitmapPixel(bmp, 40, 0), CLR_INVALID);

    // Overlapping copy within one bitmap behaves as if copied through a buffer.
    ASSERT_TRUE(BitBlt(mem, 1, 0, 39, 30, mem, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(mem, 1, 0), src[0]);
    EXPECT_EQ(GetPixel(mem, 39, 5), src[5 * 40 + 38]);

    EXPECT_EQ(SelectObject(mem, oldBmp), bmp);
    EXPECT_TRUE(DeleteDC(mem));
    EXPECT_TRUE(DeleteObject(bmp));
}

TEST_F(Pixels, WideGeometricPensHaveFlatEndsAndMitredCorners) {
    use(solidPen(5, kRed));
    MoveToEx(dc, 10, 20, nullptr);
    LineTo(dc, 30, 20);
    PixelSet expect;
    for (int y = 18; y <= 22; ++y)
        for (int x = 10; x <= 30; ++x)
            expect.insert({x, y});
    const PixelSet got = pixelsOf(*dev, kRed);
    // Flat ends: nothing before the start or past the end (the end pixel column belongs to the
    // stroke's half-pixel cover); five rows.
    for (const auto& p : got) {
        EXPECT_GE(p.first, 10);
        EXPECT_LE(p.first, 30);
        EXPECT_GE(p.second, 18);
        EXPECT_LE(p.second, 22);
    }
    EXPECT_GE(got.size(), 5u * 20u);

    dev->Clear(kWhite);
    const POINT corner[] = {{60, 60}, {60, 30}, {90, 30}};
    Polyline(dc, corner, 3);
    // A mitred corner fills the outer square corner of the turn; a round or bevel join would not.
    EXPECT_EQ(dev->GetPixel(58, 28), kRed);
    EXPECT_EQ(dev->GetPixel(62, 32), kRed);
    EXPECT_EQ(dev->GetPixel(56, 26), kWhite);
}

// GDI takes coordinates up to 2^27: a wide stroke from far away lights, in the view, exactly the
// pixels of the same stroke from nearby, solid or dashed (the pattern keeps its phase).
TEST_F(Pixels, WideStrokesFromFarAwayMatchTheSameStrokesFromNearby) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "Wine's rasteriser moves strokes of such lengths by a pixel here and there";
    const DWORD dash[2] = {8, 8};
    LOGBRUSH lb{BS_SOLID, kRed, 0};
    use(ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_MITER, 3, &lb, 2, dash));
    auto draw = [&](int reach, bool dashed) {
        dev->Clear(kWhite);
        if (!dashed)
            SelectObject(dc, owned[1]);
        MoveToEx(dc, -reach, 50, nullptr); // reach is a multiple of the 16-pixel dash period
        LineTo(dc, reach, 50);
        const POINT corner[] = {{-reach, 20}, {60, 20}, {60, reach}};
        Polyline(dc, corner, 3);
        SelectObject(dc, owned[0]);
        return pixelsOf(*dev, kRed);
    };
    use(solidPen(3, kRed));
    SelectObject(dc, owned[0]);
    for (bool dashed : {false, true}) {
        const PixelSet nearby = draw(1024, dashed);
        EXPECT_GT(nearby.size(), 200u);
        for (int reach : {1 << 20, 1 << 24, 1 << 27})
            EXPECT_EQ(draw(reach, dashed), nearby) << reach << (dashed ? " dashed" : " solid");
    }
}

TEST_F(Pixels, PolygonFillModesAndPathsFillWhatTheyShould) {
    SelectObject(dc, GetStockObject(NULL_PEN));
    use(CreateSolidBrush(kBlue));
    // A five-pointed star drawn in one stroke: its centre is inside twice.
    POINT star[5];
    for (int i = 0; i < 5; ++i) {
        const double a = -kPi / 2 + i * 4 * kPi / 5;
        star[i] = POINT{static_cast<LONG>(50 + 40 * std::cos(a)), static_cast<LONG>(50 + 40 * std::sin(a))};
    }
    EXPECT_EQ(GetPolyFillMode(dc), ALTERNATE);
    Polygon(dc, star, 5);
    EXPECT_EQ(dev->GetPixel(50, 50), kWhite);
    EXPECT_EQ(dev->GetPixel(50, 18), kBlue); // a point of the star
    SetPolyFillMode(dc, WINDING);
    Polygon(dc, star, 5);
    EXPECT_EQ(dev->GetPixel(50, 50), kBlue);

    // A path bracket draws nothing until it is filled or stroked.
    dev->Clear(kWhite);
    ASSERT_TRUE(BeginPath(dc));
    MoveToEx(dc, 10, 10, nullptr);
    LineTo(dc, 30, 10);
    LineTo(dc, 30, 30);
    LineTo(dc, 10, 30);
    ASSERT_TRUE(EndPath(dc));
    EXPECT_TRUE(nonWhite(*dev).empty());
    ASSERT_TRUE(FillPath(dc));
    PixelSet square;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 30; ++x)
            square.insert({x, y});
    EXPECT_EQ(nonWhite(*dev), square);
    EXPECT_FALSE(StrokePath(dc)); // the path is used up
    EXPECT_FALSE(FillPath(dc));
}

TEST_F(Pixels, AngleArcDrawsOnItsCircleAndMovesTheCurrentPosition) {
    use(CreatePen(PS_SOLID, 1, kRed));
    MoveToEx(dc, 80, 50, nullptr);
    ASSERT_TRUE(AngleArc(dc, 50, 50, 30, 0.0f, 90.0f));
    POINT cp{};
    GetCurrentPositionEx(dc, &cp);
    EXPECT_EQ(cp.x, 50);
    EXPECT_EQ(cp.y, 20);
    const PixelSet drawn = pixelsOf(*dev, kRed);
    ASSERT_GT(drawn.size(), 30u);
    for (const auto& p : drawn) {
        EXPECT_NEAR(std::hypot(p.first - 50, p.second - 50), 30.0, 1.5);
        EXPECT_GE(p.first, 49); // the upper right quarter only
        EXPECT_LE(p.second, 51);
    }
}

TEST_F(Pixels, ArcsRunCounterClockwiseUnlessTheDirectionIsClockwise) {
    use(CreatePen(PS_SOLID, 1, kRed));
    // Quadrants of the circle around (50, 50), as seen on screen.
    const auto quadrants = [&] {
        int q[4] = {0, 0, 0, 0}; // top right, top left, bottom left, bottom right
        for (const auto& p : pixelsOf(*dev, kRed)) {
            const int dx = p.first - 50, dy = p.second - 50;
            if (std::abs(dx) < 3 || std::abs(dy) < 3)
                continue; // near the axes both neighbours may light a pixel
            q[dx > 0 ? (dy < 0 ? 0 : 3) : (dy < 0 ? 1 : 2)]++;
        }
        return std::vector<bool>{q[0] > 0, q[1] > 0, q[2] > 0, q[3] > 0};
    };
    EXPECT_EQ(GetArcDirection(dc), AD_COUNTERCLOCKWISE);
    ASSERT_TRUE(Arc(dc, 20, 20, 81, 81, 90, 50, 50, 0)); // from 3 o'clock to 12 o'clock
    EXPECT_EQ(quadrants(), (std::vector<bool>{true, false, false, false}));
    dev->Clear(kWhite);
    EXPECT_EQ(SetArcDirection(dc, AD_CLOCKWISE), AD_COUNTERCLOCKWISE);
    ASSERT_TRUE(Arc(dc, 20, 20, 81, 81, 90, 50, 50, 0));
    EXPECT_EQ(quadrants(), (std::vector<bool>{false, true, true, true}));
    // AngleArc follows the sign of its sweep whatever the direction.
    dev->Clear(kWhite);
    MoveToEx(dc, 80, 50, nullptr);
    ASSERT_TRUE(AngleArc(dc, 50, 50, 30, 0.0f, -90.0f));
    EXPECT_EQ(quadrants(), (std::vector<bool>{false, false, false, true}));
    SetArcDirection(dc, AD_COUNTERCLOCKWISE);
}

TEST_F(Pixels, SaveDCRestoresObjectsAndState) {
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    HBRUSH brush = CreateSolidBrush(kBlue);
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, 0x123456);
    SetTextColor(dc, 0x654321);
    SetTextAlign(dc, TA_BOTTOM | TA_CENTER);
    SetTextCharacterExtra(dc, 3);
    MoveToEx(dc, 7, 9, nullptr);
    const int level = SaveDC(dc);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(dev->GetSaveDepth(), 1);

    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, 0);
    SetTextColor(dc, 0);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    SetTextCharacterExtra(dc, 0);
    SetMapMode(dc, MM_LOMETRIC);
    EXPECT_EQ(SaveDC(dc), 2);
    EXPECT_EQ(draft2d::GetSaveDCDepth(dc), 2);

    ASSERT_TRUE(RestoreDC(dc, level)); // drops level 2 as well
    EXPECT_EQ(dev->GetSaveDepth(), 0);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(GetBkColor(dc), 0x123456u);
    EXPECT_EQ(GetTextColor(dc), 0x654321u);
    EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_BOTTOM | TA_CENTER));
    EXPECT_EQ(GetTextCharacterExtra(dc), 3);
    EXPECT_EQ(GetMapMode(dc), MM_TEXT);
    POINT cp{};
    GetCurrentPositionEx(dc, &cp);
    EXPECT_EQ(cp.x, 7);
    EXPECT_FALSE(RestoreDC(dc, -1)); // nothing left to restore
    EXPECT_FALSE(RestoreDC(dc, 0));

    // The restored pen is selected again, so it cannot be deleted until replaced; restoring a state
    // whose pen was deleted meanwhile falls back to the default pen. (Windows delays the deletion of
    // a selected object instead; the trace marks our own GDI.)
    if (draft2d::IsCallTraceAvailable()) {
        EXPECT_FALSE(DeleteObject(pen));
        SaveDC(dc);
        SelectObject(dc, GetStockObject(BLACK_PEN));
        EXPECT_TRUE(DeleteObject(pen));
        ASSERT_TRUE(RestoreDC(dc, -1));
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    } else {
        SelectObject(dc, GetStockObject(BLACK_PEN));
        EXPECT_TRUE(DeleteObject(pen));
    }
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteObject(brush));
}

TEST(MapModes, MetricUnitsScaleByTheResolutionAndTurnYUp) {
    // At 254 dots per inch a tenth of a millimetre is one pixel.
    auto dev = Device::CreateImage(60, 40, 254);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    EXPECT_EQ(SetMapMode(dc, MM_LOMETRIC), MM_TEXT);
    EXPECT_EQ(SetMapMode(dc, 42), 0);
    HBRUSH red = CreateSolidBrush(kRed);
    if (!draft2d::IsCallTraceAvailable()) {
        // The system's image device is a memory DC, which measures like the display it is
        // compatible with: the metric modes scale by the display's size in pixels and millimetres,
        // not by the density the device was made with. A square of 6 mm (60 tenths) whose top left
        // corner is 2 mm right of and 2 mm below the origin lands where those metrics put it.
        const double xPerTenth = GetDeviceCaps(dc, HORZRES) / (10.0 * GetDeviceCaps(dc, HORZSIZE));
        const double yPerTenth = GetDeviceCaps(dc, VERTRES) / (10.0 * GetDeviceCaps(dc, VERTSIZE));
        const RECT square{20, -20, 80, -80};
        ASSERT_TRUE(FillRect(dc, &square, red));
        EXPECT_TRUE(DeleteObject(red));
        const int l = static_cast<int>(std::lround(20 * xPerTenth)),
                  r = static_cast<int>(std::lround(80 * xPerTenth));
        const int t = static_cast<int>(std::lround(20 * yPerTenth)),
                  b = static_cast<int>(std::lround(80 * yPerTenth));
        ASSERT_GT(r - l, 4);
        ASSERT_LT(b + 2, dev->GetHeight());
        EXPECT_EQ(dev->GetPixel(l + 1, t + 1), kRed);
        EXPECT_EQ(dev->GetPixel(r - 2, b - 2), kRed);
        EXPECT_EQ(dev->GetPixel(l - 2, t + 1), kWhite);
        EXPECT_EQ(dev->GetPixel(r + 1, b - 2), kWhite);
        EXPECT_EQ(dev->GetPixel(l + 1, t - 2), kWhite); // above: y grows upward
        EXPECT_EQ(dev->GetPixel(l + 1, b + 1), kWhite);
        EXPECT_EQ(GetPixel(dc, 50, -50), kRed);
        SetMapMode(dc, MM_HIMETRIC); // a hundredth of a millimetre
        EXPECT_EQ(GetPixel(dc, 500, -500), kRed);
        EXPECT_EQ(GetPixel(dc, 900, -500), kWhite);
        return;
    }
    // Our image device measures by its own density: at 254 dots per inch a tenth of a millimetre
    // is exactly one pixel.
    const RECT rc{10, -5, 20, -15}; // y grows upward: top -5 is above bottom -15
    ASSERT_TRUE(FillRect(dc, &rc, red));
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_EQ(dev->GetPixel(10, 5), kRed);
    EXPECT_EQ(dev->GetPixel(19, 14), kRed);
    EXPECT_EQ(dev->GetPixel(20, 14), kWhite);
    EXPECT_EQ(dev->GetPixel(19, 15), kWhite);
    EXPECT_EQ(GetPixel(dc, 19, -14), kRed);
    SetMapMode(dc, MM_HIMETRIC); // a hundredth of a millimetre: ten logical units per pixel
    EXPECT_EQ(GetPixel(dc, 100, -50), kRed);
    EXPECT_EQ(GetPixel(dc, 100, -40), kWhite);
}

TEST(Devices, CapabilitiesDescribeEachKindOfDevice) {
    auto img = Device::CreateImage(800, 600, 96);
    ASSERT_TRUE(img);
    HDC dc = img->GetDC();
    auto mono = Device::CreateMonochrome(64, 32, 200);
    ASSERT_TRUE(mono);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASDISPLAY);
    if (draft2d::IsCallTraceAvailable()) {
        // Our image devices describe themselves: their size, density and colours.
        EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 800);
        EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 600);
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
        EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 212); // 800 / 96 inch
        EXPECT_NE(GetDeviceCaps(dc, NUMCOLORS), 2);
        EXPECT_EQ(GetDeviceCaps(mono->GetDC(), NUMCOLORS), 2);
        EXPECT_EQ(GetDeviceCaps(mono->GetDC(), LOGPIXELSY), 200);
    } else {
        // The system's image devices are memory DCs, which report the capabilities of the display
        // they are compatible with, whatever bitmap is selected into them.
        HDC screen = GetDC(nullptr);
        ASSERT_NE(screen, nullptr);
        for (int index : {HORZRES, VERTRES, HORZSIZE, LOGPIXELSX, NUMCOLORS}) {
            EXPECT_EQ(GetDeviceCaps(dc, index), GetDeviceCaps(screen, index)) << index;
            EXPECT_EQ(GetDeviceCaps(mono->GetDC(), index), GetDeviceCaps(screen, index)) << index;
        }
        EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    }
    HBRUSH dark = CreateSolidBrush(RGB(200, 40, 40)); // luminance below one half
    const RECT rc{0, 0, 10, 10};
    FillRect(mono->GetDC(), &rc, dark);
    DeleteObject(dark);
    EXPECT_EQ(mono->GetPixel(5, 5), 0u);
    EXPECT_EQ(mono->GetPixel(20, 5), kWhite);

    const std::string pdf = std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/caps_printer.pdf";
    EXPECT_FALSE(Device::CreateImage(0, 10));
    EXPECT_FALSE(Device::CreateImage(10, 10, 0));
    EXPECT_FALSE(Device::CreatePrinter(pdf, -1, 10));
    auto prn = Device::CreatePrinter(pdf, 210, 297, 300);
    if (!prn && !draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "no PDF printer on this system";
    ASSERT_TRUE(prn);
    EXPECT_EQ(GetDeviceCaps(prn->GetDC(), TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(GetDeviceCaps(prn->GetDC(), HORZSIZE), 210);
    EXPECT_EQ(GetDeviceCaps(prn->GetDC(), VERTSIZE), 297);
    EXPECT_EQ(GetDeviceCaps(prn->GetDC(), HORZRES), 2480);
    EXPECT_EQ(GetDeviceCaps(prn->GetDC(), LOGPIXELSX), 300);
    EXPECT_EQ(prn->GetPixels(), nullptr);
    EXPECT_EQ(prn->GetPixel(0, 0), CLR_INVALID);
    EXPECT_TRUE(prn->Finish());
    EXPECT_FALSE(prn->Finish());
}

} // namespace

namespace {

// Fills and their outlines: a figure drawn with a one-pixel pen of one colour and a brush of another
// must show its fill exactly inside its outline, on every edge direction: no fill pixel outside the
// outline (overhang) and no unfilled pixel between fill and outline (gap). "Inside" is what the
// outline encloses: the pixels that cannot be reached from the border of the image by horizontal and
// vertical steps without crossing it (a one-pixel line is diagonally connected, which blocks them).
struct FillCheck {
    int overhang = 0, gaps = 0, outline = 0;
};

FillCheck checkFillInsideOutline(const Device& dev, COLORREF pen, COLORREF fill) {
    const int w = dev.GetWidth(), h = dev.GetHeight();
    std::vector<char> outside(static_cast<size_t>(w) * h, 0);
    std::vector<std::pair<int, int>> stack;
    auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h || outside[static_cast<size_t>(y) * w + x] ||
            dev.GetPixel(x, y) == pen)
            return;
        outside[static_cast<size_t>(y) * w + x] = 1;
        stack.push_back({x, y});
    };
    for (int x = 0; x < w; ++x) {
        visit(x, 0);
        visit(x, h - 1);
    }
    for (int y = 0; y < h; ++y) {
        visit(0, y);
        visit(w - 1, y);
    }
    while (!stack.empty()) {
        const auto p = stack.back();
        stack.pop_back();
        visit(p.first + 1, p.second);
        visit(p.first - 1, p.second);
        visit(p.first, p.second + 1);
        visit(p.first, p.second - 1);
    }
    FillCheck r;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF c = dev.GetPixel(x, y);
            if (c == pen)
                ++r.outline;
            else if (outside[static_cast<size_t>(y) * w + x])
                r.overhang += c == fill;
            else
                r.gaps += c != fill;
        }
    return r;
}

// Regression: fills were placed half a pixel up and left of GDI's, leaving fill pixels outside the
// outline on the left and upper edges of a star and white gaps inside it on the right and lower ones.
TEST(FillsAndOutlines, MeetWithNoGapAndNoOverhangOnEveryEdgeDirection) {
    auto dev = Device::CreateImage(240, 240);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    HBRUSH brush = CreateSolidBrush(kBlue);
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
    SetPolyFillMode(dc, WINDING);
    const auto check = [&](const char* what, int i) {
        const FillCheck r = checkFillInsideOutline(*dev, kRed, kBlue);
        EXPECT_GT(r.outline, 0) << what << " " << i;
        EXPECT_EQ(r.overhang, 0) << what << " " << i;
        EXPECT_EQ(r.gaps, 0) << what << " " << i;
        if (r.overhang || r.gaps)
            dev->WritePng(std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/fill_" + what + std::to_string(i) +
                          ".png");
        dev->Clear(kWhite);
    };
    // Stars of every size and turn: their edges take every direction.
    for (int i = 0; i < 40; ++i) {
        POINT p[5];
        const double r = 12 + 1.7 * i, turn = i * 0.37;
        for (int k = 0; k < 5; ++k) {
            const double a = turn + k * 4 * kPi / 5;
            p[k] = POINT{static_cast<LONG>(std::lround(80 + r * std::cos(a))),
                         static_cast<LONG>(std::lround(80 + r * std::sin(a)))};
        }
        ASSERT_TRUE(Polygon(dc, p, 5));
        check("star", i);
    }
    // Curved figures and paths: ellipses, pies and chords of many shapes, a closed Bézier path. (Asked
    // of our layer only: Wine rounds the centre of a pie to a whole pixel, which can leave a fill pixel
    // beside a radius.)
    srand(5);
    const int curves = draft2d::IsCallTraceAvailable() ? 60 : 0;
    for (int i = 0; i < curves; ++i) {
        const int l = 5 + rand() % 40, t = 5 + rand() % 40, r = l + 8 + rand() % 100,
                  b = t + 8 + rand() % 100;
        const int x3 = rand() % 160, y3 = rand() % 160, x4 = rand() % 160, y4 = rand() % 160;
        switch (i % 4) {
        case 0:
            Ellipse(dc, l, t, r, b);
            break;
        case 1:
            Pie(dc, l, t, r, b, x3, y3, x4, y4);
            break;
        case 2:
            Chord(dc, l, t, r, b, x3, y3, x4, y4);
            break;
        default: {
            const POINT c[] = {{l, t},           {r + 40, t}, {l - 20, b}, {r, b},
                               {r - 30, b + 30}, {l, t + 50}, {l, t}};
            BeginPath(dc);
            PolyBezier(dc, c, 7);
            CloseFigure(dc);
            EndPath(dc);
            StrokeAndFillPath(dc);
            break;
        }
        }
        check("curve", i);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

// A one-pixel pen on a curve is the thin line GDI draws: one pixel per step of the major axis, each
// the nearest to the curve, with no doubled pixels where the line turns (the wide band of a stroker
// lit 10-15 % more). A full circle of radius r has about 8 r / sqrt(2) pixels. Dotted pens count
// their dots along the same pixels: every dot is three pixels of the solid circle.
TEST(OnePixelCurves, FollowTheThinLineRuleSolidAndDotted) {
    auto dev = Device::CreateImage(260, 260);
    ASSERT_TRUE(dev);
    HDC dc = dev->GetDC();
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    LOGBRUSH lb{BS_SOLID, 0, 0};
    HPEN dotted = ExtCreatePen(PS_COSMETIC | PS_DOT, 1, &lb, 0, nullptr);
    for (int r = 3; r < 125; r += 2) {
        dev->Clear(kWhite);
        ASSERT_TRUE(Ellipse(dc, 5, 5, 5 + 2 * r + 1, 5 + 2 * r + 1));
        const PixelSet solid = nonWhite(*dev);
        EXPECT_NEAR(static_cast<double>(solid.size()), 8 * r / std::sqrt(2.0), 4.0) << r;
        for (const auto& p : solid)
            ASSERT_LT(std::fabs(std::hypot(p.first - 5 - r, p.second - 5 - r) - r), 0.75) << r;
        if (r < 9)
            continue;
        dev->Clear(kWhite);
        HGDIOBJ old = SelectObject(dc, dotted);
        ASSERT_TRUE(Ellipse(dc, 5, 5, 5 + 2 * r + 1, 5 + 2 * r + 1));
        SelectObject(dc, old);
        const PixelSet dots = nonWhite(*dev);
        for (const auto& p : dots)
            ASSERT_TRUE(solid.count(p)) << r;
        // Runs of diagonally or directly neighbouring dot pixels: three each, but where the pattern
        // restarts at the end of the circle.
        PixelSet seen;
        int odd = 0;
        for (const auto& p : dots) {
            if (seen.count(p))
                continue;
            std::vector<std::pair<int, int>> todo{p};
            seen.insert(p);
            int size = 0;
            while (!todo.empty()) {
                const auto q = todo.back();
                todo.pop_back();
                ++size;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const std::pair<int, int> n{q.first + dx, q.second + dy};
                        if (dots.count(n) && seen.insert(n).second)
                            todo.push_back(n);
                    }
            }
            odd += size != 3;
        }
        EXPECT_LE(odd, 1) << r;
        EXPECT_NEAR(static_cast<double>(dots.size()), solid.size() / 2.0, 3.0) << r;
    }
    DeleteObject(dotted);
    // An arc and AngleArc keep to their circle too. (Asked of our layer only: Wine draws AngleArc as
    // an arc of the box around the circle, which puts it half a pixel up and left.)
    if (!draft2d::IsCallTraceAvailable())
        return;
    dev->Clear(kWhite);
    Arc(dc, 20, 20, 221, 221, 221, 120, 20, 120); // upper half of radius 100 around (120, 120)
    MoveToEx(dc, 120, 120, nullptr);
    AngleArc(dc, 120, 120, 60, 180.0f, 180.0f); // from the centre to the left, the lower half
    const PixelSet drawn = nonWhite(*dev);
    int onBig = 0, onSmall = 0, lead = 0;
    for (const auto& p : drawn) {
        const double d = std::hypot(p.first - 120, p.second - 120);
        if (std::fabs(d - 100) < 0.75 && p.second <= 120)
            ++onBig;
        else if (std::fabs(d - 60) < 0.75 && p.second >= 120)
            ++onSmall;
        else if (p.second == 120 && p.first > 60 && p.first <= 120)
            ++lead;
        else
            ADD_FAILURE() << "stray pixel " << p.first << "," << p.second;
    }
    EXPECT_NEAR(onBig, 4 * 100 / std::sqrt(2.0), 4);
    EXPECT_NEAR(onSmall, 4 * 60 / std::sqrt(2.0), 4);
    EXPECT_EQ(lead, 60);
}

} // namespace
