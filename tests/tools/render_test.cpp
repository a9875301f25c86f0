// draft2d-render as a program: its exit status, its messages, and the pictures it writes.
#include <gtest/gtest.h>

#include <cairo.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
