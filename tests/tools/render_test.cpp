// draft2d-render as a program: its exit status, its messages, and the pictures it writes.
#include <gtest/gtest.h>

#include <cairo.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/wait.h>

#include "platform/devices.h"
#include "script/scene.h"
#include "script/script.h"
#include "tools_test.h"

using namespace draft2d::script;
namespace fs = std::filesystem;

namespace {

fs::path Out(const std::string& name) {
    const fs::path dir = fs::path(DRAFT2D_TEST_OUTPUT_DIR) / "render";
    fs::create_directories(dir);
    return dir / name;
}

fs::path WriteScript(const std::string& name, const std::string& text) {
    const fs::path p = Out(name);
    std::ofstream(p, std::ios::binary) << text;
    return p;
}

// A picture or page read back as pixels: PNG files directly, PDF through pdftoppm and SVG through
// rsvg-convert at the given resolution. Not ok when the converter is missing or fails.
struct Raster {
    std::unique_ptr<Png> png;
    bool ok() const { return png && png->ok(); }
};

Raster ReadBack(const fs::path& file, int dpi) {
    Raster r;
    const std::string ext = file.extension().string();
    fs::path png = file;
    if (ext == ".pdf") {
        png = file.string() + ".png";
        const fs::path stem = file.string() + "";
        if (RunTool("/usr/bin/pdftoppm",
                    {"-r", std::to_string(dpi), "-png", "-singlefile", file.string(), stem.string()})
                .status != 0) {
            return r;
        }
    } else if (ext == ".svg") {
        png = file.string() + ".png";
        if (RunTool("/usr/bin/rsvg-convert",
                    {"-d", std::to_string(dpi), "-p", std::to_string(dpi), file.string(), "-o", png.string()})
                .status != 0) {
            return r;
        }
    }
    r.png = std::make_unique<Png>(png.string());
    return r;
}

// Pixels that differ from the background by more than anti-aliasing's faint edges.
bool Ink(uint32_t rgb, uint32_t background) {
    int d = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        d += std::abs(static_cast<int>((rgb >> shift) & 0xFF) -
                      static_cast<int>((background >> shift) & 0xFF));
    }
    return d > 96;
}

// Ink pixels of a that have no ink pixel of b within one pixel, inside x0..x1, y0..y1 (exclusive).
int InkWithoutPartner(const Png& a, const Png& b, uint32_t background, int x0, int y0, int x1, int y1) {
    int lonely = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (!Ink(a.Pixel(x, y), background)) {
                continue;
            }
            bool partner = false;
            for (int dy = -1; dy <= 1 && !partner; ++dy) {
                for (int dx = -1; dx <= 1 && !partner; ++dx) {
                    partner = Ink(b.Pixel(x + dx, y + dy), background);
                }
            }
            lonely += !partner;
        }
    }
    return lonely;
}

// The box of the pixels that are ink.
struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

const char kScene[] = "units,mm,1\n"
                      "paper,100,60\n"
                      "set,colour=black,width=0.5\n"
                      "rect,10,10,30,20,fill=solid,fillcolour=#ff0000\n"
                      "circle,70,30,12,fill=solid,fillcolour=#0000ff\n"
                      "line,10,50,90,50,colour=#00a000,width=1\n";

} // namespace

TEST(RenderTool, GoodScriptExitsZeroAndDrawsThePicture) {
    const fs::path script = WriteScript("good.d2d", kScene);
    const fs::path png = Out("good.png");
    fs::remove(png);
    const ToolRun run =
        RunTool(DRAFT2D_RENDER_EXE, {script.string(), "-o", png.string(), "--dpi", "96", "-q"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    Png image(png.string());
    ASSERT_TRUE(image.ok());
    // The sheet at 96 dpi plus the 10-pixel margin on each side.
    EXPECT_EQ(image.width(), static_cast<int>(100 / 25.4 * 96 + 0.5) + 20);
    EXPECT_EQ(image.height(), static_cast<int>(60 / 25.4 * 96 + 0.5) + 20);
    // Paper y is up: the rectangle's middle (25, 20) lies low on the sheet, the circle's centre high.
    auto px = [&](double xmm, double ymm) {
        const double k = 96 / 25.4;
        return image.Pixel(static_cast<int>(10 + xmm * k), static_cast<int>(image.height() - 10 - ymm * k));
    };
    EXPECT_EQ(px(25, 20), 0xFF0000u);
    EXPECT_EQ(px(70, 30), 0x0000FFu);
    EXPECT_EQ(px(50, 35), 0xFFFFFFu);
}

TEST(RenderTool, BadRowsAreReportedAndTheRestIsDrawn) {
    const fs::path script = WriteScript("bad.d2d", std::string(kScene) + "circle,1,2\nlien,0,0\n");
    const fs::path png = Out("bad.png");
    fs::remove(png);
    const ToolRun run = RunTool(DRAFT2D_RENDER_EXE, {script.string(), "-o", png.string(), "-q"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(script.string() + ":7:11: circle: expected 3 fields (cx, cy, radius), found 2\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(script.string() + ":8:1: unknown row kind 'lien'\n"), std::string::npos)
        << run.err;
    Png image(png.string());
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image.Pixel(image.width() / 2, image.height() / 2), 0xFFFFFFu);
}

TEST(RenderTool, FailuresOfTheToolItselfExitTwo) {
    const fs::path script = WriteScript("fine.d2d", kScene);
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"/no/such/script.d2d", "-o", Out("x.png").string()}, "/no/such/script.d2d: no such file"},
        {{script.string(), "-o", "/no/such/folder/x.png"}, "/no/such/folder/x.png: cannot be written"},
        {{script.string(), "-o", Out("x.bmp").string()}, "cannot tell the format of"},
        {{script.string(), "--size", "10x10"}, "--size wants WxH"},
        {{script.string(), "--dpi", "abc"}, "--dpi wants a whole number"},
        {{script.string(), "--fit", "1,1,1,5"}, "--fit wants paper, extent or X1,Y1,X2,Y2"},
        {{script.string(), "--view", "0,0,0"}, "--view wants SCALE,X,Y"},
        {{script.string(), "--bogus"}, "unknown option --bogus"},
        {{script.string(), script.string()}, "one script at a time"},
        {{script.string(), "-o"}, "-o needs a value"},
    };
    for (const auto& c : cases) {
        const ToolRun run = RunTool(DRAFT2D_RENDER_EXE, c.args);
        EXPECT_EQ(run.status, 2) << c.message << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

// PDF and SVG pages are the paper at full scale, written in one run with the PNG.
TEST(RenderTool, PdfAndSvgPagesAreThePaperAtFullScale) {
    const fs::path script = WriteScript("page.d2d", kScene);
    const fs::path pdf = Out("page.pdf"), svg = Out("page.svg"), png = Out("page.png");
    for (const fs::path& p : {pdf, svg, png}) {
        fs::remove(p);
    }
    const ToolRun run = RunTool(DRAFT2D_RENDER_EXE, {script.string(), "-o", pdf.string(), "-o", svg.string(),
                                                     "-o", png.string(), "-q"});
    ASSERT_EQ(run.status, 0) << run.err;
    auto slurp = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    const std::string p = slurp(pdf);
    ASSERT_EQ(p.compare(0, 5, "%PDF-"), 0);
    EXPECT_NE(p.find("/MediaBox [ 0 0 283.464567 170.07874 ]"), std::string::npos); // 100 x 60 mm in points
    const std::string s = slurp(svg);
    EXPECT_NE(s.find("width=\"100mm\" height=\"60mm\" viewBox=\"0 0 100 60\""), std::string::npos);
    EXPECT_NE(s.find("</svg>"), std::string::npos);
    EXPECT_TRUE(Png(png.string()).ok());
}

// The tool draws exactly what a host of the view draws with the same view: --view reproduces a
// view given by its scale and origin pixel for pixel.
TEST(RenderTool, AnExactViewMatchesTheSameViewDrawnInProcess) {
    const fs::path script = WriteScript("exact.d2d", kScene);
    const fs::path png = Out("exact.png");
    const ToolRun run = RunTool(DRAFT2D_RENDER_EXE, {script.string(), "-o", png.string(), "--size", "300x200",
                                                     "--view", "1.5,20,5", "-q"});
    ASSERT_EQ(run.status, 0) << run.err;
    Drawing drawing;
    std::vector<Diagnostic> diags;
    ASSERT_EQ(ReadScriptFile(script.string(), drawing, diags), 0);
    auto device = draft2d::Device::CreateImage(300, 200, 96);
    CGraphSystem view(drawing.lineTypes.get());
    view.SetWndSize(300, 200);
    view.Attach(device->GetDC());
    SetUpView(view, drawing);
    view.Zoom(1.5, 20, 5);
    DrawDrawing(view, drawing);
    view.Detach();
    Png image(png.string());
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image.DiffCount(*device), 0);
}

// PDF and SVG pages show the sheet the PNG shows: the background over the whole page, the printable
// frame of the margins, and no line along the page's edges; read back at the same resolution their
// ink lies where the picture's does, to a pixel.
TEST(RenderTool, PagesShowTheBackgroundAndThePrintableFrameAsThePictureDoes) {
    const fs::path script = WriteScript("sheet.d2d", "paper,100,60,10,10,10,10\n"
                                                     "background,navy\n"
                                                     "rect,20,20,30,15,fill=solid,fillcolour=red\n"
                                                     "line,60,20,90,45,width=1,colour=yellow\n"
                                                     "circle,75,30,8,fill=cross,fillcolour=white\n");
    const fs::path png = Out("sheet.png"), pdf = Out("sheet.pdf"), svg = Out("sheet.svg");
    const ToolRun run = RunTool(DRAFT2D_RENDER_EXE, {script.string(), "-q", "--margin", "0", "-o",
                                                     png.string(), "-o", pdf.string(), "-o", svg.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const uint32_t navy = 0x000080;
    Raster picture = ReadBack(png, 96), page = ReadBack(pdf, 96), drawing = ReadBack(svg, 96);
    ASSERT_TRUE(picture.ok());
    ASSERT_TRUE(page.ok()) << "pdftoppm (scripts/install-deps.sh installs it)";
    ASSERT_TRUE(drawing.ok()) << "rsvg-convert (scripts/install-deps.sh installs it)";
    const int w = picture.png->width(), h = picture.png->height();
    EXPECT_EQ(w, 378); // 100 mm at 96 dpi
    EXPECT_EQ(h, 227);
    for (const Raster* r : {&page, &drawing}) {
        const Png& p = *r->png;
        ASSERT_EQ(p.width(), w);
        ASSERT_EQ(p.height(), h);
        // The background everywhere, the corners of the page too: no hairline along its edges.
        for (const auto& at :
             {std::make_pair(0, 0), std::make_pair(w - 1, 0), std::make_pair(0, h - 1),
              std::make_pair(w - 1, h - 1), std::make_pair(w / 2, 5), std::make_pair(5, h / 2)}) {
            EXPECT_FALSE(Ink(p.Pixel(at.first, at.second), navy)) << at.first << "," << at.second;
        }
        int edge = 0;
        for (int x = 0; x < w; ++x) {
            edge += Ink(p.Pixel(x, 0), navy) + Ink(p.Pixel(x, h - 1), navy);
        }
        for (int y = 0; y < h; ++y) {
            edge += Ink(p.Pixel(0, y), navy) + Ink(p.Pixel(w - 1, y), navy);
        }
        EXPECT_EQ(edge, 0);
        // The printable frame: 10 mm (37.8 pixels) inside each edge, along the middle row and column.
        EXPECT_TRUE(Ink(p.Pixel(38, h / 2), navy) || Ink(p.Pixel(37, h / 2), navy));
        EXPECT_TRUE(Ink(p.Pixel(w - 38, h / 2), navy) || Ink(p.Pixel(w - 39, h / 2), navy));
        EXPECT_TRUE(Ink(p.Pixel(w / 2, 38), navy) || Ink(p.Pixel(w / 2, 37), navy));
        // The same ink as the picture's, away from the picture's outermost pixels (where a screen
        // frames the sheet).
        EXPECT_LT(InkWithoutPartner(p, *picture.png, navy, 2, 2, w - 2, h - 2), 40);
        EXPECT_LT(InkWithoutPartner(*picture.png, p, navy, 2, 2, w - 2, h - 2), 40);
    }
    // SVG is opaque: the background is painted, not left transparent.
    cairo_surface_t* s = cairo_image_surface_create_from_png((svg.string() + ".png").c_str());
    ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
    cairo_surface_flush(s);
    uint32_t corner = 0;
    std::memcpy(&corner, cairo_image_surface_get_data(s), 4);
    cairo_surface_destroy(s);
    EXPECT_EQ(corner >> 24, 0xFFu);
}

// Pen widths in a picture are a printer's: millimetres rounded to whole pixels, and no 30-pixel
// cap of displays.
TEST(RenderTool, PictureWidthsAreRoundedToPixelsWithoutTheDisplaysCap) {
    const fs::path script = WriteScript("widths.d2d", "paper,60,40\n"
                                                      "line,5,10,55,10,width=0.5,colour=black\n"
                                                      "line,5,25,55,25,width=5,colour=black\n");
    const fs::path png = Out("widths.png");
    const ToolRun run = RunTool(DRAFT2D_RENDER_EXE,
                                {script.string(), "-q", "--dpi", "300", "--margin", "0", "-o", png.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    Png image(png.string());
    ASSERT_TRUE(image.ok());
    auto thickness = [&](double ymm) {
        const int x = image.width() / 2, y = static_cast<int>(image.height() - ymm * 300 / 25.4);
        int n = 0;
        for (int dy = -60; dy <= 60; ++dy) {
            n += image.Pixel(x, y + dy) == 0x000000u;
        }
        return n;
    };
    EXPECT_EQ(thickness(10), 6);  // 0.5 mm = 5.9 pixels at 300 dpi
    EXPECT_EQ(thickness(25), 59); // 5 mm = 59.06 pixels
}

// One limit of 16384 pixels a side, whether the resolution or --size asks for more, named in the
// message; --size with a page says what it does there.
TEST(RenderTool, PicturesAndPagesHaveOneSizeLimit) {
    const fs::path script = WriteScript("a0.d2d", "paper,A0\nline,0,0,100,100\n");
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--dpi", "600", "-o", Out("a0.pdf").string()},
         "the page at 600 dpi would be 28087 x 19866 pixels; pictures and pages are at most 16384 pixels a "
         "side"},
        {{"--dpi", "600", "-o", Out("a0.png").string()},
         "the picture at 600 dpi would be 28107 x 19886 pixels; pictures and pages are at most 16384 pixels "
         "a "
         "side (lower --dpi or give --size)"},
        {{"--size", "16385x100", "-o", Out("a0.png").string()},
         "--size wants WxH, each a whole number of pixels from 16 to 16384"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{script.string(), "-q"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ToolRun run = RunTool(DRAFT2D_RENDER_EXE, args);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    // A0 at 300 dpi is within it; --size then sets the picture and not the page.
    const fs::path svg = Out("a0.svg"), png = Out("a0-small.png");
    const ToolRun run = RunTool(DRAFT2D_RENDER_EXE, {script.string(), "-q", "--dpi", "300", "--size",
                                                     "400x300", "-o", svg.string(), "-o", png.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("--size sets PNG pictures; " + svg.string() + " is a page of the paper's size"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Png(png.string()).width(), 400);
}

// --fit extent frames what the entities draw: their ink fills the picture up to the margin along one
// side and stays inside it along the other. The sample sheet (without its grid, whose dots cover the
// sheet) on its page, where no frame of the sheet mixes with the drawing's ink, and a script of texts
// of every alignment, size and angle on a sheet far larger than they, as a picture.
TEST(RenderTool, FitExtentFramesTheDrawingWithinTheMargin) {
    std::ifstream in(std::string(DRAFT2D_SOURCE_DIR) + "/data/sample.d2d");
    std::string sample, line;
    while (std::getline(in, line)) {
        if (line.compare(0, 5, "grid,") == 0) {
            continue;
        }
        for (const char* files : {"symbols,", "linetypes,"}) {
            if (line.compare(0, strlen(files), files) == 0) {
                line = files + std::string(DRAFT2D_SOURCE_DIR) + "/data/" + line.substr(strlen(files));
            }
        }
        sample += line + "\n";
    }
    // Texts spread wider than high, so that the zoom is set by the two upright capitals at the ends,
    // whose ink reaches the ends of their boxes; the others (turned, in two lines, wide, in paper
    // space, Chinese) lie between.
    const std::string texts = "units,m,50,2000,2000\n"
                              "paper,4000,4000\n"
                              "text,-6,0,HELLO,height=20,fonteng=Arial\n"
                              "text,6,-1,WORLD,height=20,fonteng=Arial,align=rb\n"
                              "text,-1,0,\"\xe4\xb8\xad\xe6\x96\x87 and Latin\",height=12\n"
                              "text,0,1,Centre,height=16,align=cm\n"
                              "text,-3,-1,Turned,height=12,angle=35\n"
                              "text,2,1,\"Two\\nlines\",height=10,align=lm\n"
                              "text,-2,-2,Wide,height=10,widthfactoreng=2\n"
                              "text,2060,2040,\"paper space\",height=8,space=paper,align=rb\n";
    const int margin = 20;
    const struct {
        const char* name;
        const std::string& script;
        const char* output;
    } cases[] = {{"fit-sample", sample, ".pdf"}, {"fit-texts", texts, ".png"}};
    for (const auto& c : cases) {
        const fs::path script = WriteScript(std::string(c.name) + ".d2d", c.script);
        const fs::path out = Out(std::string(c.name) + c.output);
        std::vector<std::string> args{script.string(),        "-q", "--fit",     "extent", "--margin",
                                      std::to_string(margin), "-o", out.string()};
        if (std::string(c.output) == ".png") {
            args.insert(args.end(), {"--size", "800x600"});
        }
        const ToolRun run = RunTool(DRAFT2D_RENDER_EXE, args);
        ASSERT_EQ(run.status, 0) << run.err;
        const Raster image = ReadBack(out, 96);
        ASSERT_TRUE(image.ok()) << c.name;
        const int W = image.png->width(), H = image.png->height();
        InkBox ink;
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                if (Ink(image.png->Pixel(x, y), 0xFFFFFF)) {
                    ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
                    ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
                }
            }
        }
        // Inside the margin, with two pixels for half a pen...
        EXPECT_GE(ink.left, margin - 2) << c.name;
        EXPECT_GE(ink.top, margin - 2) << c.name;
        EXPECT_LE(ink.right, W - margin + 1) << c.name;
        EXPECT_LE(ink.bottom, H - margin + 1) << c.name;
        // ... and up to it on the side that limits the zoom (letters keep a pixel or two of their
        // box's ends free).
        const bool across = ink.left <= margin + 4 && ink.right >= W - margin - 5;
        const bool down = ink.top <= margin + 4 && ink.bottom >= H - margin - 5;
        EXPECT_TRUE(across || down) << c.name << ": ink " << ink.left << "," << ink.top << " to " << ink.right
                                    << "," << ink.bottom << " of " << W << " x " << H;
    }
}
