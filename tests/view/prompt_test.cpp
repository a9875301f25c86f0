// Prompt texts of the view: the exact GDI calls, a size that ignores the zoom, the colour rules, user
// points, and the DC's state.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/devices.h"
#include "text/CFontFormat.h"
#include "view/CGraphSystem.h"

using draft2d::Device;

namespace {

struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    long count = 0;
};

InkBox FindInk(const Device& dev, COLORREF background = 0xFFFFFF) {
    InkBox b;
    for (int y = 0; y < dev.GetHeight(); ++y)
        for (int x = 0; x < dev.GetWidth(); ++x)
            if ((dev.GetPixel(x, y) & 0xFFFFFF) != background) {
                ++b.count;
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

struct PromptView {
    explicit PromptView(int w = 200, int h = 100) : dev(Device::CreateImage(w, h)) {
        view.SetWndSize(w, h);
        view.Attach(dev->GetDC(), nullptr, 0);
        view.Zoom(1.0, 0.0, 0.0);
    }
    std::unique_ptr<Device> dev;
    CGraphSystem view;
};

} // namespace

TEST(ViewPrompt, GoldenCallSequence) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "the system's GDI keeps no trace";
    PromptView p;
    p.dev->EnableTrace(true);
    p.view.DrawPromptText(10, 20, "AB\"", 0x0000FF, TA_LEFT | TA_TOP);
    // 10 points at 96 dpi: 3.527778 mm x 3.7795 = 13.33 pixels; the face's own width.
    const std::vector<std::string> expected = {
        "SaveDC()",
        "SetGraphicsMode(GM_ADVANCED)",
        "CreateFontIndirectA(\"\\xcb\\xce\\xcc\\xe5\",13,0,0,400,0,134) -> font#1",
        "SelectObject(font#1)",
        "SetTextColor(0x0000ff)",
        "SetTextAlign(TA_LEFT|TA_TOP)",
        "SetBkMode(TRANSPARENT)",
        "TextOutA(10,20,\"AB\\x22\",3)",
        "SelectObject(SYSTEM_FONT)",
        "DeleteObject(font#1)",
        "RestoreDC(1)",
    };
    EXPECT_EQ(p.dev->GetTrace(), expected);

    // An empty text still saves and restores, and writes nothing.
    for (const char* empty : {"", static_cast<const char*>(nullptr)}) {
        p.dev->ClearTrace();
        p.view.DrawPromptText(10, 20, empty, 0, TA_LEFT);
        const std::vector<std::string> lines = p.dev->GetTrace();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), "SaveDC()");
        EXPECT_EQ(lines.back(), "RestoreDC(1)");
        for (const std::string& l : lines)
            EXPECT_EQ(l.find("TextOutA"), std::string::npos) << l;
    }

    // The host's changes to the format reach the font, except the zoom.
    CFontFormat* f = p.view.GetPromptTextFormat();
    ASSERT_NE(f, nullptr);
    f->SetHeight(5.0);
    f->SetBold(1);
    f->SetAngle(3.14159265358979323846 / 2);
    p.view.Zoom(4.0, 0.0, 0.0);
    p.dev->ClearTrace();
    p.view.DrawPromptText(10, 20, "x", 0, TA_LEFT);
    EXPECT_EQ(p.dev->GetTrace().at(2),
              "CreateFontIndirectA(\"\\xcb\\xce\\xcc\\xe5\",19,0,900,700,0,134) -> font#4");
}

// The same text is as large at every zoom, in the colour the view's rules give, and the DC comes back
// as it was.
TEST(ViewPrompt, SizeColourAndState) {
    InkBox sizes[2];
    for (int i = 0; i < 2; ++i) {
        PromptView p;
        p.view.Zoom(i == 0 ? 1.0 : 5.0, 0.0, 0.0);
        HDC dc = p.dev->GetDC();
        SetTextAlign(dc, TA_RIGHT | TA_BASELINE);
        SetBkMode(dc, OPAQUE);
        SetTextColor(dc, 0x123456);
        const int depth = p.dev->GetSaveDepth();
        const auto before = draft2d::GetGdiObjectCounts();
        p.view.DrawPromptText(20, 20, "Prompt \xcc\xe1\xca\xbe", 0x00FF00, TA_LEFT | TA_TOP); // 提示
        sizes[i] = FindInk(*p.dev);
        EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_RIGHT | TA_BASELINE));
        EXPECT_EQ(GetBkMode(dc), OPAQUE);
        EXPECT_EQ(GetTextColor(dc), 0x123456u);
        EXPECT_EQ(p.dev->GetSaveDepth(), depth);
        EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before.total());
        // Every ink pixel is the colour asked for.
        long green = 0;
        for (int y = sizes[i].top; y <= sizes[i].bottom; ++y)
            for (int x = sizes[i].left; x <= sizes[i].right; ++x)
                green += (p.dev->GetPixel(x, y) & 0xFFFFFF) == 0x00FF00 ? 1 : 0;
        EXPECT_EQ(green, sizes[i].count);
    }
    ASSERT_GT(sizes[0].count, 0);
    EXPECT_EQ(sizes[0].right - sizes[0].left, sizes[1].right - sizes[1].left);
    EXPECT_EQ(sizes[0].bottom - sizes[0].top, sizes[1].bottom - sizes[1].top);
    EXPECT_GE(sizes[0].top, 20);
    EXPECT_GE(sizes[0].left, 20);
    EXPECT_LT(sizes[0].bottom, 20 + 14);

    // A colour equal to the background becomes its contrast.
    PromptView p;
    p.view.SetBkColor(0xFFFFFF, 0xFFFFFFFF);
    p.view.DrawPromptText(20, 20, "WWW", 0xFFFFFF, TA_LEFT | TA_TOP);
    const InkBox ink = FindInk(*p.dev);
    ASSERT_GT(ink.count, 0);
    long black = 0;
    for (int y = ink.top; y <= ink.bottom; ++y)
        for (int x = ink.left; x <= ink.right; ++x)
            if ((p.dev->GetPixel(x, y) & 0xFFFFFF) == 0)
                ++black;
    EXPECT_EQ(black, ink.count);
}

// A user point is written at its rounded screen point; points that are not finite write nothing,
// and neither does a view without a device or a prompt format that is not finite.
TEST(ViewPrompt, UserPointsAndWhatWritesNothing) {
    PromptView a, b;
    double sx, sy;
    a.view.UserToScreen(30.2, 12.7, &sx, &sy);
    a.view.DrawPromptTextUser(mgPoint(30.2, 12.7), "User", 0, TA_LEFT | TA_BOTTOM);
    b.view.DrawPromptText(static_cast<int>(sx + 0.5), static_cast<int>(sy + 0.5), "User", 0,
                          TA_LEFT | TA_BOTTOM);
    const InkBox ia = FindInk(*a.dev), ib = FindInk(*b.dev);
    ASSERT_GT(ia.count, 0);
    EXPECT_EQ(ia.count, ib.count);
    EXPECT_EQ(ia.left, ib.left);
    EXPECT_EQ(ia.bottom, ib.bottom);

    PromptView c;
    c.view.DrawPromptTextUser(std::nan(""), 10, "x", 0, TA_LEFT);
    c.view.DrawPromptTextUser(10, std::numeric_limits<double>::infinity(), "x", 0, TA_LEFT);
    c.view.GetPromptTextFormat()->SetAngle(std::nan(""));
    c.view.DrawPromptText(10, 10, "x", 0, TA_LEFT | TA_TOP);
    EXPECT_EQ(FindInk(*c.dev).count, 0);
    EXPECT_EQ(c.dev->GetSaveDepth(), 0);

    CGraphSystem detached;
    detached.DrawPromptText(10, 10, "x", 0, TA_LEFT);
    detached.DrawPromptTextUser(1, 1, "x", 0, TA_LEFT);
    // The format belongs to the view; a copy of the view has its own.
    CGraphSystem copy(a.view);
    ASSERT_NE(copy.GetPromptTextFormat(), nullptr);
    EXPECT_NE(copy.GetPromptTextFormat(), a.view.GetPromptTextFormat());
    EXPECT_EQ(copy.GetPromptTextFormat()->Height(), -10.0);
}
