// The picture diff: every scene rendered here (our layer on Linux, the system's GDI under Wine) and
// written as PPM and PNG to <test output>/pictures/<ours|system>/; then, where the environment names
// the folder of the system's pictures (DRAFT2D_PICTURES_SYSTEM, set by scripts/picture-diff.sh after
// the Windows suite), our rendering compared with the system's scene by scene.
#include "pictures/compare.h"
#include "pictures/scenes.h"
#include "platform/devices.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using draft2d::Device;

namespace pictures {
namespace {

std::string outputDir(const char* sub) {
    const std::string dir = std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/pictures/" + sub;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

const char* side() {
    return draft2d::IsCallTraceAvailable() ? "ours" : "system";
}

Image render(const Scene& s) {
    auto dev = Device::CreateImage(s.width, s.height);
    EXPECT_TRUE(dev);
    if (!dev)
        return {};
    const int before = draft2d::GetGdiObjectCounts().total();
    s.draw(dev->GetDC());
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before) << s.name << " leaks GDI objects";
    EXPECT_EQ(dev->GetSaveDepth(), 0) << s.name;
    return Capture(*dev);
}

class Pictures : public ::testing::TestWithParam<Scene> {};

std::string sceneName(const ::testing::TestParamInfo<Scene>& info) {
    return info.param.name;
}

// Each scene draws without leaks and is written out for the comparison.
TEST_P(Pictures, Render) {
    const Scene& s = GetParam();
    const Image img = render(s);
    ASSERT_EQ(img.width, s.width);
    const std::string base = outputDir(side()) + "/" + s.name;
    EXPECT_TRUE(WritePpm(img, base + ".ppm"));
    EXPECT_TRUE(WritePng(img, base + ".png"));
}

// Ours against the system's, within the scene's tolerance. A side-by-side picture with the
// differences marked goes to <test output>/pictures/diff/ for every scene that differs at all.
TEST_P(Pictures, Diff) {
    const char* systemDir = std::getenv("DRAFT2D_PICTURES_SYSTEM");
    if (!systemDir || !*systemDir || !draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "compares our layer with the system's pictures named by DRAFT2D_PICTURES_SYSTEM";
    const Scene& s = GetParam();
    Image system;
    ASSERT_TRUE(ReadPpm(std::string(systemDir) + "/" + s.name + ".ppm", system))
        << "no picture of the system for " << s.name << " in " << systemDir;
    const Image ours = render(s);
    const Comparison c = Compare(ours, system, s.tolerance);
    const char* kinds[] = {"exact", "near", "boxes"};
    std::printf("picture %-14s %-6s %6ld pixels differ%s\n", s.name, kinds[s.tolerance.kind], c.differing,
                c.pass ? "" : "  FAILED");
    if (c.differing > 0 || !c.pass) {
        EXPECT_TRUE(
            WritePng(SideBySide(ours, system, c, s.tolerance, 2), outputDir("diff") + "/" + s.name + ".png"));
    }
    EXPECT_TRUE(c.pass) << s.name << " (" << kinds[s.tolerance.kind] << "): " << c.differing
                        << " pixels differ\n"
                        << c.detail << (s.reason[0] ? "tolerance: " : "") << s.reason;
}

INSTANTIATE_TEST_SUITE_P(Scenes, Pictures, ::testing::ValuesIn(Scenes()), sceneName);

// The comparison itself: a pixel moved by one is caught exactly and tolerated as near; a missing
// figure is never near; text boxes compare per cell.
TEST(PictureCompare, ToleranceKindsCatchWhatTheyShould) {
    Image a;
    a.width = 20;
    a.height = 10;
    a.px.assign(200, 0xFFFFFF);
    Image b = a;
    a.px[5 * 20 + 5] = 0;
    b.px[5 * 20 + 6] = 0;
    Tolerance exact;
    EXPECT_FALSE(Compare(a, b, exact).pass);
    EXPECT_EQ(Compare(a, b, exact).differing, 2);
    Tolerance close;
    close.kind = Tolerance::Near;
    close.distance = 1;
    close.maxPixels = 2;
    EXPECT_TRUE(Compare(a, b, close).pass);
    close.maxPixels = 1;
    EXPECT_FALSE(Compare(a, b, close).pass);
    close.maxPixels = 10;
    b.px[5 * 20 + 6] = 0xFFFFFF;
    b.px[5 * 20 + 8] = 0;
    EXPECT_FALSE(Compare(a, b, close).pass); // two pixels away
    Tolerance boxes;
    boxes.kind = Tolerance::Boxes;
    boxes.cellWidth = 10;
    boxes.cellHeight = 10;
    boxes.slack = 2;
    EXPECT_FALSE(Compare(a, b, boxes).pass); // ink three pixels apart
    boxes.slack = 3;
    EXPECT_TRUE(Compare(a, b, boxes).pass);
    b.px[5 * 20 + 8] = 0xFFFFFF;
    b.px[5 * 20 + 15] = 0;
    const Comparison c = Compare(a, b, boxes);
    EXPECT_FALSE(c.pass); // ink gone from the first cell, new in the second
    EXPECT_EQ(c.failedCells.size(), 2u);
    Image small = a;
    small.width = 10;
    small.px.resize(100);
    EXPECT_FALSE(Compare(a, small, exact).pass);
}

} // namespace
} // namespace pictures
