// CFontFormat2: the life of the cached font (kept, dropped by setters, rebuilt after a zoom, never
// shared by copies), measuring and output with it, and the state of the DC.
#include "text_fixture.h"

#include "text/CFontFormat2.h"

using namespace texttest;

namespace {

size_t FontsCreated(const draft2d::Device& dev) {
    return TraceLines(dev, "CreateFontIndirectA(").size();
}

} // namespace

TEST(CFontFormat2, WithoutAViewNothingHappens) {
    CFontFormat2 f;
    EXPECT_EQ(f.GetGraphSystem(), nullptr);
    std::deque<double> widths = {7.0};
    EXPECT_EQ(f.GetTextExtentPoints2({"abc"}, widths), 1.0);
    EXPECT_EQ(widths, std::deque<double>{7.0});
    const mgPoint s = f.GetTextExtentPoint2("abc", -1, nullptr);
    EXPECT_EQ(s.x(), 0.0);
    EXPECT_EQ(s.y(), 0.0);
    TextView t;
    const draft2d::GdiObjectCounts before = draft2d::GetGdiObjectCounts();
    f.TextOut2(t.dc(), 10, 10, "abc", -1, CGraphSystem::COORD_SCREEN);
    EXPECT_TRUE(FindInk(*t.dev).empty());
    EXPECT_EQ(draft2d::GetGdiObjectCounts().fonts, before.fonts);
}

// The font is made once and kept; what changes the font drops it, a zoom or a new density makes the
// next call build another, and a change of angle below 1e-5 keeps everything.
TEST(CFontFormat2, TheCachedFontLivesAsLongAsItFits) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "the system's GDI keeps no trace";
    TextView t;
    const draft2d::GdiObjectCounts before = draft2d::GetGdiObjectCounts();
    {
        CFontFormat2 f(&t.view, 5.0);
        t.dev->EnableTrace(true);
        for (int i = 0; i < 3; ++i)
            f.TextOut2(nullptr, 20, 40 + 30 * i, kMixed, -1, CGraphSystem::COORD_SCREEN);
        f.GetTextExtentPoint2(kMixed, -1, nullptr);
        EXPECT_EQ(FontsCreated(*t.dev), 1u);
        EXPECT_EQ(draft2d::GetGdiObjectCounts().fonts, before.fonts + 1);

        // One font of the Chinese face at the view's size, one GDI text call per line.
        const std::vector<std::string> created = TraceLines(*t.dev, "CreateFontIndirectA(");
        EXPECT_EQ(created[0],
                  "CreateFontIndirectA(\"\\xb7\\xc2\\xcb\\xce_GB2312\",19,7,0,400,0,134) -> font#1");
        EXPECT_EQ(TraceLines(*t.dev, "TextOutA(").size(), 3u);

        f.SetAngle(f.Angle() + 1e-6);
        f.SetHorAlign(2); // alignment is not part of the font
        f.TextOut2(nullptr, 300, 150, kMixed, -1, CGraphSystem::COORD_SCREEN);
        EXPECT_EQ(FontsCreated(*t.dev), 1u);

        f.SetBold(1);
        EXPECT_EQ(draft2d::GetGdiObjectCounts().fonts, before.fonts);
        f.TextOut2(nullptr, 300, 150, kMixed, -1, CGraphSystem::COORD_SCREEN);
        EXPECT_EQ(FontsCreated(*t.dev), 2u);

        // A zoom: the next call builds the font of the new size and deletes the old one.
        t.view.Zoom(2.0, 0.0, 0.0);
        f.TextOut2(nullptr, 300, 150, kMixed, -1, CGraphSystem::COORD_SCREEN);
        EXPECT_EQ(FontsCreated(*t.dev), 3u);
        EXPECT_EQ(TraceLines(*t.dev, "CreateFontIndirectA(").back().substr(0, 49),
                  "CreateFontIndirectA(\"\\xb7\\xc2\\xcb\\xce_GB2312\",38,");
        EXPECT_EQ(draft2d::GetGdiObjectCounts().fonts, before.fonts + 1);
        t.view.SetMmPixels(5.0, 5.0);
        f.GetTextExtentPoint2("A", -1, nullptr);
        EXPECT_EQ(FontsCreated(*t.dev), 4u);

        f.SetGraphSystem(&t.view);
        EXPECT_EQ(draft2d::GetGdiObjectCounts().fonts, before.fonts);
    }
    EXPECT_EQ(draft2d::GetGdiObjectCounts().fonts, before.fonts);
}

// Copies make their own fonts; the source may go first.
TEST(CFontFormat2, CopiesShareNoFont) {
    TextView t;
    const draft2d::GdiObjectCounts before = draft2d::GetGdiObjectCounts();
    auto source = std::make_unique<CFontFormat2>(&t.view, 5.0);
    source->SetAngle(0.5);
    EXPECT_GT(source->GetTextExtentPoint2(kMixed, -1, nullptr).x(), 0.0);
    EXPECT_EQ(draft2d::GetGdiObjectCounts().fonts, before.fonts + 1);
    CFontFormat2 copy(*source);
    EXPECT_EQ(draft2d::GetGdiObjectCounts().fonts, before.fonts + 1);
    CFontFormat2 assigned;
    assigned = *source;
    EXPECT_EQ(assigned.GetGraphSystem(), &t.view);
    EXPECT_EQ(assigned.Angle(), 0.5);
    const mgPoint expected = source->GetTextExtentPoint2(kMixed, -1, nullptr);
    source.reset();
    EXPECT_EQ(draft2d::GetGdiObjectCounts().fonts, before.fonts);
    const mgPoint a = copy.GetTextExtentPoint2(kMixed, -1, nullptr);
    const mgPoint b = assigned.GetTextExtentPoint2(kMixed, -1, nullptr);
    EXPECT_EQ(a.x(), expected.x());
    EXPECT_EQ(b.x(), expected.x());
    EXPECT_EQ(draft2d::GetGdiObjectCounts().fonts, before.fonts + 2);
    CFontFormat2& alias = assigned;
    assigned = alias; // self-assignment keeps the font
    EXPECT_EQ(draft2d::GetGdiObjectCounts().fonts, before.fonts + 2);
    copy = assigned;
    EXPECT_EQ(draft2d::GetGdiObjectCounts().fonts, before.fonts + 1);
}

// Measuring and output agree: the ink of a line lies in the box of its measured size for every
// alignment, turned or not; text lower than 4 pixels is not written; the DC comes back unchanged.
TEST(CFontFormat2, InkLiesInTheMeasuredBox) {
    for (double degrees : {0.0, 30.0}) {
        for (unsigned align : {0u, 5u, 10u}) {
            TextView t(400, 400);
            HDC dc = t.dc();
            SetTextAlign(dc, TA_RIGHT | TA_BASELINE);
            SetBkMode(dc, OPAQUE);
            {
                ResourceGuard guard(*t.dev);
                CFontFormat2 f(&t.view, 5.0);
                f.SetAlign(align);
                f.SetAngle(degrees * kPi / 180.0);
                f.TextOut2(nullptr, 200, 200, kMixed, -1, CGraphSystem::COORD_SCREEN);
                const mgPoint size = f.GetTextExtentPoint2(kMixed, -1, nullptr);
                const double k = t.view.UserToScreen();
                const mgRect box = f.GetTextExtent(mgPoint(size.x() * k, size.y() * k));
                const Ink ink = FindInk(*t.dev);
                ASSERT_FALSE(ink.empty());
                const FrameExtent e = InkInFrame(ink, 200, 200, f.Angle(), box, 1.5);
                EXPECT_EQ(e.outside, 0) << degrees << " " << align;
                EXPECT_GT(e.maxX - e.minX, 0.85 * box.width()) << degrees << " " << align;
            }
            EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_RIGHT | TA_BASELINE));
            EXPECT_EQ(GetBkMode(dc), OPAQUE);
        }
    }
    // An angle set through the base class (as Read sets it) turns the placement with the font.
    {
        TextView t(400, 400);
        CFontFormat2 f(&t.view, 5.0);
        f.SetAlign(2);
        f.CFontFormat::SetAngle(kPi / 2);
        f.TextOut2(nullptr, 200, 200, kMixed, -1, CGraphSystem::COORD_SCREEN);
        const Ink ink = FindInk(*t.dev);
        ASSERT_FALSE(ink.empty());
        EXPECT_GE(ink.top, 199); // right-aligned upwards: the line ends at the anchor
        EXPECT_LT(ink.right, 201);
        EXPECT_GT(ink.bottom - ink.top, 3 * (ink.right - ink.left));
    }
    TextView t;
    CFontFormat2 small(&t.view, 0.5);
    small.TextOut2(nullptr, 50, 50, kMixed, -1, CGraphSystem::COORD_SCREEN);
    EXPECT_TRUE(FindInk(*t.dev).empty());
}

// The replacements of the base operations use the bound view, whatever view they are given.
TEST(CFontFormat2, BaseOperationsUseTheBoundView) {
    TextView t(400, 200), other(400, 200);
    other.view.Zoom(3.0, 0.0, 0.0);
    CFontFormat2 f(&t.view, 5.0);
    const mgPoint own = f.GetTextExtentPoint2(kMixed, -1, nullptr);
    EXPECT_EQ(f.GetTextExtentPointA(&other.view, kMixed, -1, nullptr).x(), own.x());
    std::deque<double> widths;
    EXPECT_EQ(f.GetTextExtentPoints(&other.view, {kMixed, "AB"}, widths), own.y());
    ASSERT_EQ(widths.size(), 2u);
    EXPECT_EQ(widths[0], own.x());

    f.TextOutA(&other.view, nullptr, 20, 100, mgPoint(1000, 1000), kMixed, -1, CGraphSystem::COORD_SCREEN);
    const Ink ink = FindInk(*t.dev);
    ASSERT_FALSE(ink.empty());
    EXPECT_TRUE(FindInk(*other.dev).empty());
    // The box was ignored: the ink is as wide as the measure, less the bearings at its ends.
    EXPECT_LE(ink.right - ink.left + 1, own.x() * t.view.UserToScreen() + 1);
    EXPECT_GT(ink.right - ink.left + 1, own.x() * t.view.UserToScreen() * 0.9);

    // Several lines hang from the anchor with the top alignment.
    TextView u(400, 200);
    CFontFormat2 g(&u.view, 5.0);
    g.SetVerAlign(8);
    const double h = g.GetTextExtentPoints2({kMixed, kTitle}, widths);
    mgPoint anchor;
    u.view.ScreenToUser(30, 30, anchor);
    g.TextOutA(nullptr, nullptr, anchor, widths, h, {kMixed, kTitle, "dropped"}, CGraphSystem::COORD_USER);
    const Ink block = FindInk(*u.dev);
    ASSERT_FALSE(block.empty());
    EXPECT_GE(block.top, 29);
    EXPECT_LE(block.bottom, 30 + 2 * h * u.view.UserToScreen() + 1);
    EXPECT_GT(block.bottom, 30 + 1.5 * h * u.view.UserToScreen());
}
