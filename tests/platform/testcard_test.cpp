// A test card of every primitive and every hatch, on an image device (PNG) and on a printer (PDF);
// the PDF is rasterised with pdftoppm, when installed, and must show the same shapes.
#include "platform/devices.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using draft2d::Device;

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(220, 0, 0);

HPEN geometricPen(DWORD width, COLORREF c, DWORD extra = PS_ENDCAP_FLAT | PS_JOIN_MITER) {
    LOGBRUSH lb{BS_SOLID, c, 0};
    return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | extra, width, &lb, 0, nullptr);
}

void withPen(HDC dc, HPEN pen, void (*draw)(HDC)) {
    HGDIOBJ old = SelectObject(dc, pen);
    draw(dc);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// Draws the card on an 800 x 600 pixel area.
void drawCard(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    // Row 1: one-pixel lines in every cosmetic style, a fan of directions.
    const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
    for (int i = 0; i < 5; ++i) {
        LOGBRUSH lb{BS_SOLID, 0, 0};
        HPEN pen = ExtCreatePen(PS_COSMETIC | styles[i], 1, &lb, 0, nullptr);
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, 20, 20 + i * 12, nullptr);
        LineTo(dc, 220, 20 + i * 12);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    for (int a = 0; a < 16; ++a) {
        MoveToEx(dc, 320, 60, nullptr);
        LineTo(dc, 320 + static_cast<int>(50 * std::cos(a * 3.14159265 / 8)),
               60 - static_cast<int>(50 * std::sin(a * 3.14159265 / 8)));
    }
    // Wide pens: flat ends and mitred corners, round ends, a thick polyline.
    withPen(dc, geometricPen(8, kRed), [](HDC d) {
        const POINT z[] = {{420, 20}, {500, 20}, {440, 100}, {520, 100}};
        Polyline(d, z, 4);
    });
    withPen(dc, geometricPen(6, kBlue, PS_ENDCAP_ROUND | PS_JOIN_ROUND), [](HDC d) {
        MoveToEx(d, 560, 30, nullptr);
        LineTo(d, 760, 90);
    });

    // Row 2: filled shapes with a pen and a solid brush.
    HBRUSH solid = CreateSolidBrush(kBlue);
    HGDIOBJ oldBrush = SelectObject(dc, solid);
    Rectangle(dc, 20, 140, 120, 220);
    Ellipse(dc, 140, 140, 260, 220);
    Pie(dc, 280, 140, 380, 240, 400, 190, 330, 120);
    Chord(dc, 400, 140, 500, 240, 380, 200, 520, 200);
    POINT star[5];
    for (int i = 0; i < 5; ++i) {
        const double a = -3.14159265 / 2 + i * 4 * 3.14159265 / 5;
        star[i] = POINT{static_cast<LONG>(580 + 50 * std::cos(a)), static_cast<LONG>(190 + 50 * std::sin(a))};
    }
    Polygon(dc, star, 5);
    SetPolyFillMode(dc, WINDING);
    for (POINT& p : star)
        p.x += 120;
    Polygon(dc, star, 5);
    SetPolyFillMode(dc, ALTERNATE);

    // Row 3: arcs, Béziers and a path.
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Arc(dc, 20, 260, 140, 340, 140, 300, 20, 300);
    MoveToEx(dc, 230, 300, nullptr);
    AngleArc(dc, 200, 300, 30, 0.0f, 270.0f);
    const POINT bez[] = {{260, 340}, {290, 250}, {350, 380}, {380, 270}};
    PolyBezier(dc, bez, 4);
    BeginPath(dc);
    MoveToEx(dc, 420, 260, nullptr);
    LineTo(dc, 520, 260);
    LineTo(dc, 470, 340);
    CloseFigure(dc);
    EndPath(dc);
    SelectObject(dc, solid);
    StrokeAndFillPath(dc);
    SelectObject(dc, oldBrush);
    DeleteObject(solid);
    for (int x = 560; x < 760; x += 4)
        SetPixel(dc, x, 300, kRed);

    // Row 4: every hatch, transparent over a grey band and opaque with a yellow background.
    HBRUSH grey = CreateSolidBrush(RGB(200, 200, 200));
    const RECT band{0, 380, 800, 440};
    FillRect(dc, &band, grey);
    DeleteObject(grey);
    for (int h = HS_HORIZONTAL; h <= HS_DIAGCROSS; ++h) {
        HBRUSH hb = CreateHatchBrush(h, RGB(0, 120, 0));
        const RECT r1{20 + h * 128, 390, 120 + h * 128, 440};
        SetBkMode(dc, TRANSPARENT);
        FillRect(dc, &r1, hb);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, RGB(255, 255, 0));
        HGDIOBJ ob = SelectObject(dc, hb);
        Rectangle(dc, 20 + h * 128, 460, 120 + h * 128, 520);
        SelectObject(dc, ob);
        DeleteObject(hb);
    }
    SetBkMode(dc, TRANSPARENT);

    // A bitmap drawn off screen and copied in.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 60, 40);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    HBRUSH red = CreateSolidBrush(kRed);
    const RECT all{0, 0, 60, 40};
    FillRect(mem, &all, red);
    DeleteObject(red);
    Ellipse(mem, 10, 5, 50, 35);
    BitBlt(dc, 720, 540, 60, 40, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
}

struct Ppm {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    COLORREF at(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return RGB(rgb[i], rgb[i + 1], rgb[i + 2]);
    }
};

bool readPpm(const std::string& path, Ppm& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    int maxv = 0;
    const bool ok = std::fscanf(f, "P6 %d %d %d", &out.width, &out.height, &maxv) == 3 && maxv == 255 &&
                    out.width > 0 && out.height > 0 && out.width < 10000 && out.height < 10000;
    if (ok) {
        std::fgetc(f);
        out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
        const size_t n = std::fread(out.rgb.data(), 1, out.rgb.size(), f);
        std::fclose(f);
        return n == out.rgb.size();
    }
    std::fclose(f);
    return false;
}

bool hasTool(const char* versionCommand) {
    return std::system((std::string(versionCommand) + " > /dev/null 2>&1").c_str()) == 0;
}

// The first page of a PDF at 96 dpi, without smoothing, as pixels (base.ppm beside the PDF).
bool rasterisePdf(const std::string& pdf, const std::string& base, Ppm& out) {
    const std::string cmd = "pdftoppm -r 96 -singlefile -aa no -aaVector no '" + pdf + "' '" + base + "'";
    return std::system(cmd.c_str()) == 0 && readPpm(base + ".ppm", out);
}

TEST(TestCard, RendersEveryPrimitiveAsPngAndPdfWithoutLeaks) {
    const std::string dir = DRAFT2D_TEST_OUTPUT_DIR;
    const int before = draft2d::GetGdiObjectCounts().total();
    auto img = Device::CreateImage(800, 600);
    ASSERT_TRUE(img);
    drawCard(img->GetDC());
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);
    EXPECT_EQ(img->GetSaveDepth(), 0);
    ASSERT_TRUE(img->WritePng(dir + "/platform_testcard.png"));
    // Spot checks: solid fill inside the rectangle, the pen on its border, hatches over the band.
    EXPECT_EQ(img->GetPixel(70, 180), kBlue);
    EXPECT_EQ(img->GetPixel(20, 180), 0u);
    EXPECT_EQ(img->GetPixel(24 + 4, 395), RGB(0, 120, 0));     // HS_HORIZONTAL row y % 8 == 3
    EXPECT_EQ(img->GetPixel(24 + 4, 396), RGB(200, 200, 200)); // transparent gap
    EXPECT_EQ(img->GetPixel(749, 542), kRed);                  // the copied bitmap

    const std::string pdf = dir + "/platform_testcard.pdf";
    std::remove(pdf.c_str());
    {
        // 96 dpi on a page of 800 x 600 pixels, so that the card lands on the same pixels.
        auto prn = Device::CreatePrinter(pdf, 800 * 25.4 / 96, 600 * 25.4 / 96, 96);
        if (!prn && !draft2d::IsCallTraceAvailable())
            GTEST_SKIP() << "no PDF printer on this system";
        ASSERT_TRUE(prn);
        EXPECT_EQ(GetDeviceCaps(prn->GetDC(), HORZRES), 800);
        drawCard(prn->GetDC());
        EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);
        ASSERT_TRUE(prn->Finish());
    }
    if (!hasTool("pdftoppm -v"))
        GTEST_SKIP() << "pdftoppm not installed";
    const std::string base = dir + "/platform_testcard_pdf";
    ASSERT_EQ(std::system(("pdftoppm -r 96 -singlefile -png '" + pdf + "' '" + base + "'").c_str()), 0);
    Ppm ppm;
    ASSERT_TRUE(rasterisePdf(pdf, base, ppm));
    ASSERT_EQ(ppm.width, 800);
    ASSERT_EQ(ppm.height, 600);
    EXPECT_EQ(ppm.at(70, 180), kBlue);
    EXPECT_EQ(ppm.at(200, 180), kBlue); // ellipse
    EXPECT_EQ(ppm.at(749, 542), kRed);
    EXPECT_EQ(ppm.at(5, 5), RGB(255, 255, 255));
    // Shapes that are filled on the image are filled on the page (the PDF rasteriser may differ by a
    // pixel at edges, so only interior points are compared).
    int same = 0, compared = 0;
    for (int y = 150; y < 210; y += 3)
        for (int x = 30; x < 110; x += 3) {
            ++compared;
            same += ppm.at(x, y) == img->GetPixel(x, y);
        }
    EXPECT_EQ(same, compared);
}

} // namespace

namespace {

// Strokes of one pen are gathered into one stroke on a page; whatever draws between them, a fill or
// text (which goes out on the page's drawing state where the strokes wait), must still lie over the
// earlier strokes and under the later ones.
TEST(TestCard, GatheredStrokesOnAPageKeepTheirOrderWithWhatDrawsBetween) {
    if (!hasTool("pdftoppm -v"))
        GTEST_SKIP() << "pdftoppm not installed";
    const std::string dir = DRAFT2D_TEST_OUTPUT_DIR;
    const std::string pdf = dir + "/platform_stroke_order.pdf";
    auto prn = Device::CreatePrinter(pdf, 200 * 25.4 / 96, 50 * 25.4 / 96, 96);
    if (!prn && !draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "no PDF printer on this system";
    ASSERT_TRUE(prn);
    HDC dc = prn->GetDC();
    LOGBRUSH lb{BS_SOLID, kRed, 0};
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, 5, &lb, 0, nullptr);
    HGDIOBJ old = SelectObject(dc, pen);
    HBRUSH blue = CreateSolidBrush(kBlue);
    LOGFONTA lf{};
    lf.lfHeight = -40;
    lf.lfWeight = FW_BOLD;
    std::strcpy(lf.lfFaceName, "Arial");
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kBlue);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    MoveToEx(dc, 0, 25, nullptr);
    LineTo(dc, 200, 25); // under the fill and the text
    const RECT box{40, 10, 60, 40};
    FillRect(dc, &box, blue);
    MoveToEx(dc, 40, 25, nullptr);
    LineTo(dc, 50, 25); // over the fill
    TextOutA(dc, 110, 5, "HH", 2);
    MoveToEx(dc, 100, 25, nullptr);
    LineTo(dc, 125, 25); // over the first stem of the text
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, old);
    DeleteObject(pen);
    DeleteObject(blue);
    ASSERT_TRUE(prn->Finish());
    const std::string base = dir + "/platform_stroke_order";
    Ppm ppm;
    ASSERT_TRUE(rasterisePdf(pdf, base, ppm));
    EXPECT_EQ(ppm.at(20, 25), kRed);
    EXPECT_EQ(ppm.at(45, 25), kRed);
    EXPECT_EQ(ppm.at(55, 25), kBlue);
    EXPECT_EQ(ppm.at(80, 25), kRed);
    for (int x = 100; x < 125; ++x)
        EXPECT_EQ(ppm.at(x, 25), kRed) << x;
    int textOverLine = 0;
    for (int x = 126; x < 200; ++x)
        textOverLine += ppm.at(x, 25) == kBlue ? 1 : 0;
    EXPECT_GT(textOverLine, 10);
    EXPECT_EQ(ppm.at(198, 25), kRed);
}

// The PDF references a copied bitmap until the page is written; drawing into the bitmap afterwards
// must not change what was copied before.
TEST(TestCard, BitmapChangedAfterACopyToThePdfKeepsTheEarlierCopy) {
    if (!hasTool("pdftoppm -v"))
        GTEST_SKIP() << "pdftoppm not installed";
    const std::string dir = DRAFT2D_TEST_OUTPUT_DIR;
    const std::string pdf = dir + "/platform_blit_snapshot.pdf";
    auto prn = Device::CreatePrinter(pdf, 100 * 25.4 / 96, 50 * 25.4 / 96, 96);
    if (!prn && !draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "no PDF printer on this system";
    ASSERT_TRUE(prn);
    HDC dc = prn->GetDC();
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 20, 20);
    HGDIOBJ old = SelectObject(mem, bmp);
    const RECT all{0, 0, 20, 20};
    HBRUSH red = CreateSolidBrush(kRed);
    HBRUSH blue = CreateSolidBrush(kBlue);
    FillRect(mem, &all, red);
    ASSERT_TRUE(BitBlt(dc, 10, 10, 20, 20, mem, 0, 0, SRCCOPY));
    FillRect(mem, &all, blue);
    ASSERT_TRUE(BitBlt(dc, 60, 10, 20, 20, mem, 0, 0, SRCCOPY));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    DeleteObject(red);
    DeleteObject(blue);
    ASSERT_TRUE(prn->Finish());
    const std::string base = dir + "/platform_blit_snapshot";
    Ppm ppm;
    ASSERT_TRUE(rasterisePdf(pdf, base, ppm));
    EXPECT_EQ(ppm.at(20, 20), kRed);
    EXPECT_EQ(ppm.at(70, 20), kBlue);
}

} // namespace

namespace {

TEST(TestCard, EachNewPageStartsAnotherPageOfThePdf) {
    if (!hasTool("pdftoppm -v"))
        GTEST_SKIP() << "pdftoppm not installed";
    const std::string dir = DRAFT2D_TEST_OUTPUT_DIR;
    const std::string pdf = dir + "/platform_pages.pdf";
    auto prn = Device::CreatePrinter(pdf, 50 * 25.4 / 96, 50 * 25.4 / 96, 96);
    if (!prn && !draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "no PDF printer on this system";
    ASSERT_TRUE(prn);
    HBRUSH red = CreateSolidBrush(kRed);
    HBRUSH blue = CreateSolidBrush(kBlue);
    const RECT r{10, 10, 40, 40};
    FillRect(prn->GetDC(), &r, red);
    ASSERT_TRUE(prn->NewPage());
    FillRect(prn->GetDC(), &r, blue);
    ASSERT_TRUE(prn->Finish());
    EXPECT_FALSE(prn->NewPage());
    DeleteObject(red);
    DeleteObject(blue);
    const std::string base = dir + "/platform_pages";
    ASSERT_EQ(std::system(("pdftoppm -r 96 '" + pdf + "' '" + base + "'").c_str()), 0);
    Ppm first, second;
    ASSERT_TRUE(readPpm(base + "-1.ppm", first));
    ASSERT_TRUE(readPpm(base + "-2.ppm", second));
    EXPECT_EQ(first.at(25, 25), kRed);
    EXPECT_EQ(second.at(25, 25), kBlue);
    Ppm none;
    EXPECT_FALSE(readPpm(base + "-3.ppm", none));
}

} // namespace

namespace {

std::string readFile(const std::string& path) {
    std::string out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

// The SVG device is a printer-like vector device writing SVG: its file is well-formed XML measured in
// millimetres and, rasterised at the device's density, shows the card as the image device drew it.
TEST(SvgDevice, WritesTheCardAsAValidSvgPageInMillimetres) {
    const std::string dir = DRAFT2D_TEST_OUTPUT_DIR;
    const std::string svgPath = dir + "/platform_testcard.svg";
    std::remove(svgPath.c_str());
    if (!draft2d::IsCallTraceAvailable()) {
        EXPECT_FALSE(Device::CreateSvg(svgPath, 100, 100)); // no Cairo where GDI is the system's
        return;
    }
    EXPECT_FALSE(Device::CreateSvg(svgPath, 0, 100));
    EXPECT_FALSE(Device::CreateSvg(svgPath, 100, 100, 0));
    EXPECT_FALSE(Device::CreateSvg(dir + "/no such folder/x.svg", 100, 100));

    const int before = draft2d::GetGdiObjectCounts().total();
    auto svg = Device::CreateSvg(svgPath, 800 * 25.4 / 96, 600 * 25.4 / 96, 96);
    ASSERT_TRUE(svg);
    HDC dc = svg->GetDC();
    EXPECT_EQ(svg->GetKind(), Device::Svg);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 800);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 600);
    EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 212);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(svg->GetPixels(), nullptr);
    EXPECT_EQ(svg->GetPixel(1, 1), CLR_INVALID);
    EXPECT_FALSE(svg->WritePng(dir + "/platform_svg_nothing.png"));
    EXPECT_FALSE(svg->NewPage());
    drawCard(dc);
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before);
    EXPECT_EQ(svg->GetSaveDepth(), 0);
    ASSERT_TRUE(svg->Finish());
    EXPECT_FALSE(svg->Finish());

    const std::string text = readFile(svgPath);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("width=\"211.666"), std::string::npos) << text.substr(0, 400);
    EXPECT_NE(text.find("mm\""), std::string::npos);
    EXPECT_NE(text.find("viewBox=\"0 0 211.666"), std::string::npos);
    EXPECT_NE(text.find("</svg>"), std::string::npos);
    if (hasTool("xmllint --version")) {
        EXPECT_EQ(std::system(("xmllint --noout '" + svgPath + "'").c_str()), 0);
    }

    if (!hasTool("rsvg-convert --version") || !hasTool("pdftoppm -v"))
        GTEST_SKIP() << "rsvg-convert or pdftoppm not installed";
    auto img = Device::CreateImage(800, 600);
    ASSERT_TRUE(img);
    drawCard(img->GetDC());
    // rsvg-convert reads the SVG and writes it as a PDF of the same size, which pdftoppm rasterises.
    const std::string base = dir + "/platform_testcard_svg";
    const std::string raster = "pdftoppm -scale-to-x 800 -scale-to-y 600 -singlefile ";
    ASSERT_EQ(std::system(("rsvg-convert -f pdf -o '" + base + ".pdf' '" + svgPath + "'").c_str()), 0);
    ASSERT_EQ(std::system((raster + "-aa no -aaVector no '" + base + ".pdf' '" + base + "'").c_str()), 0);
    ASSERT_EQ(std::system((raster + "-png '" + base + ".pdf' '" + base + "'").c_str()), 0);
    Ppm ppm;
    ASSERT_TRUE(readPpm(base + ".ppm", ppm));
    ASSERT_EQ(ppm.width, 800);
    ASSERT_EQ(ppm.height, 600);
    EXPECT_EQ(ppm.at(5, 5), RGB(255, 255, 255));
    EXPECT_EQ(ppm.at(749, 542), kRed); // the copied bitmap
    // Interior points of the filled shapes of row 2 agree with the image (edges may move a pixel).
    int same = 0, compared = 0;
    for (int y = 150; y < 210; y += 3)
        for (int x = 30; x < 110; x += 3) {
            ++compared;
            same += ppm.at(x, y) == img->GetPixel(x, y);
        }
    EXPECT_EQ(same, compared);
    EXPECT_EQ(ppm.at(200, 180), kBlue); // ellipse
}

} // namespace

namespace {

// Hatches on a page are lines, not 8 x 8 image tiles (which break at their seams when the page is
// viewed at another resolution): the PDF holds no image at all, and rasterised at the printer's own
// density the page shows the pattern pixels of the image device, at the same phase.
TEST(PdfHatches, AreVectorLinesOfThePatternsSpacingAndPhase) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "our PDF printer only";
    if (!hasTool("pdftoppm -v") || !hasTool("pdfimages -v"))
        GTEST_SKIP() << "pdftoppm or pdfimages not installed";
    const std::string dir = DRAFT2D_TEST_OUTPUT_DIR;
    const std::string pdf = dir + "/platform_hatches.pdf";
    const auto draw = [](HDC dc) {
        SetBkColor(dc, RGB(255, 255, 0));
        for (int h = HS_HORIZONTAL; h <= HS_DIAGCROSS; ++h) {
            HBRUSH hb = CreateHatchBrush(h, RGB(0, 120, 0));
            const RECT r{5 + h * 40, 5, 41 + h * 40, 45};
            SetBkMode(dc, h % 2 ? OPAQUE : TRANSPARENT);
            FillRect(dc, &r, hb);
            HGDIOBJ old = SelectObject(dc, hb);
            HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
            const POINT tri[] = {{5 + h * 40, 95}, {23 + h * 40, 52}, {41 + h * 40, 95}};
            Polygon(dc, tri, 3);
            SelectObject(dc, oldPen);
            SelectObject(dc, old);
            DeleteObject(hb);
        }
    };
    {
        auto prn = Device::CreatePrinter(pdf, 250 * 25.4 / 96, 100 * 25.4 / 96, 96);
        ASSERT_TRUE(prn);
        draw(prn->GetDC());
        ASSERT_TRUE(prn->Finish());
    }
    auto img = Device::CreateImage(250, 100);
    ASSERT_TRUE(img);
    draw(img->GetDC());
    ASSERT_TRUE(img->WritePng(dir + "/platform_hatches.png"));
    // `pdfimages -list` prints two header lines and one line per image.
    const std::string list = dir + "/platform_hatches_images.txt";
    ASSERT_EQ(std::system(("pdfimages -list '" + pdf + "' > '" + list + "'").c_str()), 0);
    int lines = 0;
    for (char ch : readFile(list))
        lines += ch == '\n';
    EXPECT_EQ(lines, 2) << readFile(list);
    const std::string base = dir + "/platform_hatches_pdf";
    ASSERT_EQ(std::system(("pdftoppm -r 288 -singlefile -png '" + pdf + "' '" + base + "_288'").c_str()), 0);
    Ppm ppm;
    ASSERT_TRUE(rasterisePdf(pdf, base, ppm));
    ASSERT_EQ(ppm.width, 250);
    // Inside the rectangles, away from their edges: every pattern pixel of the image is drawn on the
    // page, and the page draws the pattern nowhere else than next to one (a rasteriser may widen thin
    // diagonals by a pixel), so spacing and phase are the image's.
    const COLORREF green = RGB(0, 120, 0);
    int missing = 0, stray = 0;
    for (int h = 0; h < 6; ++h)
        for (int y = 8; y < 42; ++y)
            for (int x = 8 + h * 40; x < 38 + h * 40; ++x) {
                missing += img->GetPixel(x, y) == green && ppm.at(x, y) != green;
                if (ppm.at(x, y) == green && img->GetPixel(x, y) != green &&
                    img->GetPixel(x - 1, y) != green && img->GetPixel(x + 1, y) != green)
                    ++stray;
            }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(stray, 0);
    // Opaque hatches fill their gaps with the background.
    EXPECT_EQ(ppm.at(50, 20), RGB(255, 255, 0));
}

} // namespace
