// What the text tests share: a view attached to an image device, the ink of a drawing, and the
// check that ink lies in a (turned) box. Sizes are compared with each other, never with fixed glyph
// metrics, so that the tests hold for any platform font engine and under the system's GDI.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/devices.h"
#include "text/CFontFormat.h"
#include "view/CGraphSystem.h"

namespace texttest {

// GBK texts.
inline const char kFangSong[] = "\xb7\xc2\xcb\xce_GB2312";       // 仿宋_GB2312
inline const char kSongTi[] = "\xcb\xce\xcc\xe5";                // 宋体
inline const char kHeiTi[] = "\xba\xda\xcc\xe5";                 // 黑体
inline const char kZhongWen[] = "\xd6\xd0\xce\xc4";              // 中文
inline const char kMixed[] = "\xd6\xd0\xce\xc4"                  // 中文
                             "ABC"                               //
                             "\xca\xb5\xcf\xdf";                 // 实线
inline const char kTitle[] = "\xbc\xbc\xca\xf5\xd2\xaa\xc7\xf3"; // 技术要求

constexpr double kPi = 3.14159265358979323846;

inline std::string OutputPath(const std::string& name) {
    return std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/" + name;
}

// An image device with a view attached: paper (0, 0) at the window's bottom-left corner, user units
// millimetres, the device's own density.
struct TextView {
    explicit TextView(int width = 400, int height = 300, int dpi = 96) {
        dev = draft2d::Device::CreateImage(width, height, dpi);
        view.SetWndSize(width, height);
        view.Attach(dev->GetDC(), nullptr, 0);
        view.Zoom(1.0, 0.0, 0.0);
    }
    ~TextView() { view.Detach(); }
    HDC dc() const { return dev->GetDC(); }

    std::unique_ptr<draft2d::Device> dev;
    CGraphSystem view;
};

struct Ink {
    std::vector<POINT> pixels;
    int left = 0, top = 0, right = -1, bottom = -1; // inclusive bounds
    bool empty() const { return pixels.empty(); }
};

inline Ink FindInk(const draft2d::Device& dev, COLORREF background = 0xFFFFFF) {
    Ink ink;
    ink.left = dev.GetWidth();
    ink.top = dev.GetHeight();
    for (int y = 0; y < dev.GetHeight(); ++y)
        for (int x = 0; x < dev.GetWidth(); ++x)
            if ((dev.GetPixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) {
                ink.pixels.push_back({x, y});
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

// A box given in the line's own frame (x along the line, y up from it, pixels) about a screen
// anchor, turned by angle: where the ink lies in that frame.
struct FrameExtent {
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    int outside = 0; // ink pixels beyond the box by more than the tolerance
};

inline FrameExtent InkInFrame(const Ink& ink, double ax, double ay, double angle, const mgRect& box,
                              double tolerance) {
    FrameExtent e;
    const double c = std::cos(angle), s = std::sin(angle);
    for (const POINT& p : ink.pixels) {
        // The pixel's centre, y up.
        const double dx = p.x + 0.5 - ax, dy = -(p.y + 0.5 - ay);
        const double u = dx * c + dy * s, v = -dx * s + dy * c;
        e.minX = std::min(e.minX, u);
        e.maxX = std::max(e.maxX, u);
        e.minY = std::min(e.minY, v);
        e.maxY = std::max(e.maxY, v);
        if (u < box.left() - tolerance || u > box.right() + tolerance || v < box.bottom() - tolerance ||
            v > box.top() + tolerance)
            ++e.outside;
    }
    return e;
}

// Live GDI objects and the SaveDC depth of a device do not change over a scope.
class ResourceGuard {
public:
    explicit ResourceGuard(const draft2d::Device& dev)
        : dev_(dev), before_(draft2d::GetGdiObjectCounts()), depth_(dev.GetSaveDepth()) {}
    ~ResourceGuard() {
        const draft2d::GdiObjectCounts now = draft2d::GetGdiObjectCounts();
        EXPECT_EQ(now.fonts, before_.fonts);
        EXPECT_EQ(now.total(), before_.total());
        EXPECT_EQ(dev_.GetSaveDepth(), depth_);
    }

private:
    const draft2d::Device& dev_;
    draft2d::GdiObjectCounts before_;
    int depth_;
};

// Trace lines that begin with prefix.
inline std::vector<std::string> TraceLines(const draft2d::Device& dev, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& l : dev.GetTrace())
        if (l.compare(0, prefix.size(), prefix) == 0)
            out.push_back(l);
    return out;
}

} // namespace texttest
