// Text output of CFontFormat: the ink against the measured box, gaps and stretching, anchors in
// every space, clipping, the DC's state, font switches, and blocks of lines.
#include "text_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

using namespace texttest;

namespace {

const int kScreen = CGraphSystem::COORD_SCREEN;

// The measured box of text in pixels, placed by the format's alignment about the anchor.
mgRect MeasuredBoxPx(const CFontFormat& f, TextView& t, const char* text) {
    const mgPoint size = f.GetTextExtentPointA(&t.view, text, -1, t.dc());
    const double k = t.view.UserToScreen();
    return f.GetTextExtent(mgPoint(size.x() * k, size.y() * k));
}

} // namespace

// The property everything else rests on: for every alignment, turned or not, upright or not, the
// ink lies in the box that measuring gives, and fills most of it.
TEST(TextOutput, InkLiesInsideTheMeasuredBox) {
    struct Turn {
        double degrees;
        int upright;
    };
    const Turn turns[] = {{0, 0}, {30, 0}, {90, 0}, {30, 1}, {90, 1}, {200, 1}};
    for (const Turn& turn : turns) {
        for (unsigned h = 0; h < 3; ++h) {
            for (unsigned v = 0; v < 12; v += 4) {
                TextView t(400, 400);
                ResourceGuard guard(*t.dev);
                CFontFormat f(5.0);
                f.SetAlign(h | v);
                f.SetAngle(turn.degrees * kPi / 180.0);
                f.SetTextDirect(turn.upright);
                f.TextOutA(&t.view, nullptr, 200, 200, mgPoint(), kMixed, -1, kScreen);
                const mgRect box = MeasuredBoxPx(f, t, kMixed);
                const Ink ink = FindInk(*t.dev);
                const std::string what = std::to_string(turn.degrees) + (turn.upright ? " upright" : "") +
                                         " align " + std::to_string(h | v);
                ASSERT_FALSE(ink.empty()) << what;
                const FrameExtent e = InkInFrame(ink, 200, 200, f.Angle(), box, 1.5);
                EXPECT_EQ(e.outside, 0) << what;
                EXPECT_GT(e.maxX - e.minX, 0.85 * box.width()) << what;
                EXPECT_GT(e.maxY - e.minY, 0.5 * box.height()) << what;
                if (e.outside != 0)
                    t.dev->WritePng(OutputPath("ink_outside_" + std::to_string(h | v) + ".png"));
            }
        }
    }
}

// Each gap adds charGap x height; a box wider than the text spreads the difference over the gaps,
// and a single character is never stretched.
TEST(TextOutput, GapsAndBoxStretching) {
    auto inkWidth = [](const CFontFormat& f, const char* text, mgPoint box) {
        TextView t(600, 100);
        f.TextOutA(&t.view, nullptr, 20, 80, box, text, -1, kScreen);
        const Ink ink = FindInk(*t.dev);
        return ink.empty() ? -1 : ink.right - ink.left + 1;
    };
    TextView t;
    CFontFormat f(5.0);
    const double cellPx = f.GetTextExtentPointA(&t.view, "ABC", -1, t.dc()).y() * t.view.UserToScreen();
    const int plain = inkWidth(f, "ABC", mgPoint());
    ASSERT_GT(plain, 0);
    for (float g : {0.5f, 1.0f, -0.2f}) {
        CFontFormat spaced(f);
        spaced.SetCharGap(g);
        EXPECT_NEAR(inkWidth(spaced, "ABC", mgPoint()) - plain, 2 * g * cellPx, 2.0) << g;
    }
    // The box is in the caller's units; screen pixels here.
    EXPECT_NEAR(inkWidth(f, "ABC", mgPoint(plain + 60, 20)), plain + 60, 2.0);
    EXPECT_NEAR(inkWidth(f, "ABC", mgPoint(plain - 10, 20)), plain - 10, 2.0);
    EXPECT_EQ(inkWidth(f, "A", mgPoint(200, 20)), inkWidth(f, "A", mgPoint()));
}

// Right alignment ends the ink at the anchor and top alignment hangs the text from it, in user,
// paper and screen coordinates alike, under a drawing scale and a zoom.
TEST(TextOutput, AnchorsInEverySpace) {
    for (int ct = 0; ct < 3; ++ct) {
        TextView t(500, 200);
        t.view.SetUCS(2.0, 10.0, 5.0, 0);
        t.view.Zoom(1.5, 0.0, 0.0);
        CFontFormat f(4.0);
        f.SetAlign(2 | 8);
        double ax = 400, ay = 60; // screen pixels
        double x = ax, y = ay;
        if (ct == CGraphSystem::COORD_USER)
            t.view.ScreenToUser(ax, ay, &x, &y);
        else if (ct == CGraphSystem::COORD_PAPER)
            t.view.ScreenToPaper(ax, ay, &x, &y);
        f.TextOutA(&t.view, nullptr, x, y, mgPoint(), kMixed, -1, ct);
        const Ink ink = FindInk(*t.dev);
        ASSERT_FALSE(ink.empty()) << ct;
        EXPECT_NEAR(ink.right + 1, ax, 1.0) << ct;
        const double cell = f.GetTextExtentPointA(&t.view, kMixed, -1, t.dc()).y() * t.view.UserToScreen();
        EXPECT_GE(ink.top, ay - 1) << ct;
        EXPECT_LT(ink.top, ay + 0.4 * cell) << ct;
        EXPECT_LE(ink.bottom, ay + cell) << ct;
        // 4 mm at zoom 1.5 is 22.7 pixels whatever the drawing scale.
        EXPECT_NEAR(cell, 4.0 * 1.5 * 96 / 25.4, 1.5) << ct;
    }
    // Text of 3 mm given in screen pixels is 11 pixels high and is drawn.
    TextView t;
    CFontFormat f(3.0);
    f.TextOutA(&t.view, nullptr, 20, 50, mgPoint(), "abc", -1, kScreen);
    EXPECT_FALSE(FindInk(*t.dev).empty());
}

// A character is sent when its glyph box meets the clip rectangle: its ink from A to A + B along the
// line, the line's full height across it. The gap after it is no part of that box, so with a gap of
// five heights the letters far to the left of the clip rectangle stay unsent (their boxes used to
// reach over the gap into it); the ones inside are written whole.
TEST(TextOutput, CharactersOutsideTheClipRectangleAreNotSent) {
    for (double degrees : {0.0, 180.0}) {
        TextView t(600, 200);
        ResourceGuard guard(*t.dev);
        CFontFormat f(5.0);
        f.SetCharGap(5.0f);                // 95 pixels between letters
        f.SetAngle(degrees * kPi / 180.0); // the line runs rightward from x = 10, or leftward from 590
        t.view.SetClipRect(mgRect(150, 0, 450, 200));
        f.TextOutA(&t.view, nullptr, degrees == 0 ? 10 : 590, 100, mgPoint(), "WAVEWAVE", -1, kScreen);
        const Ink ink = FindInk(*t.dev);
        ASSERT_FALSE(ink.empty()) << degrees;
        // The letters inside: about every 108 pixels, so two or three of them.
        EXPECT_GE(ink.left, 140) << degrees;
        EXPECT_LE(ink.right, 460) << degrees;
        int columns = 0;
        for (int x = 0; x < 600; ++x) {
            bool any = false;
            for (int y = 0; y < 200 && !any; ++y)
                any = t.dev->GetPixel(x, y) != 0xFFFFFFu;
            columns += any;
        }
        EXPECT_GE(columns, 2 * 12) << degrees;
    }
}

// Text lower than 4 pixels, text without characters and formats that are not finite draw nothing;
// the line ends at its first line feed.
TEST(TextOutput, WhatDrawsNothing) {
    TextView t;
    ResourceGuard guard(*t.dev);
    CFontFormat small(0.5); // 1.9 pixels
    small.TextOutA(&t.view, nullptr, 50, 50, mgPoint(), kMixed, -1, kScreen);
    CFontFormat f(5.0);
    f.TextOutA(&t.view, nullptr, 50, 50, mgPoint(), "\nABC", -1, kScreen);
    f.TextOutA(&t.view, nullptr, 50, 50, mgPoint(), kMixed, 0, kScreen);
    f.TextOutA(&t.view, nullptr, 50, 50, mgPoint(), nullptr, 3, kScreen);
    f.TextOutA(nullptr, t.dc(), 50, 50, mgPoint(), kMixed, -1, kScreen);
    f.TextOutA(&t.view, nullptr, std::nan(""), 50, mgPoint(), kMixed, -1, kScreen);
    CFontFormat turned(f);
    turned.SetAngle(std::numeric_limits<double>::infinity());
    turned.TextOutA(&t.view, nullptr, 50, 50, mgPoint(), kMixed, -1, kScreen);
    EXPECT_TRUE(FindInk(*t.dev).empty());

    f.TextOutA(&t.view, nullptr, 50, 50, mgPoint(), "AB\nCDEFGHIJ", -1, kScreen);
    const Ink two = FindInk(*t.dev);
    TextView u;
    f.TextOutA(&u.view, nullptr, 50, 50, mgPoint(), "AB", -1, kScreen);
    const Ink ab = FindInk(*u.dev);
    EXPECT_EQ(two.pixels.size(), ab.pixels.size());
    EXPECT_EQ(two.right, ab.right);

    // Exactly the bytes given, the last a lead byte: read as one single-byte character.
    std::unique_ptr<char[]> bytes(new char[3]);
    std::memcpy(bytes.get(), "AB\xd6", 3);
    f.TextOutA(&u.view, nullptr, 50, 150, mgPoint(), bytes.get(), 3, kScreen);
}

// The host's DC comes back as it was: alignment, background mode, character extra, graphics mode,
// font and save depth; every font made is deleted.
TEST(TextOutput, RestoresTheHostsDcState) {
    TextView t;
    HDC dc = t.dc();
    LOGFONTA lf = {};
    lf.lfHeight = 12;
    HFONT host = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, host);
    SetTextAlign(dc, TA_RIGHT | TA_TOP);
    SetBkMode(dc, OPAQUE);
    SetTextCharacterExtra(dc, 3);
    SetGraphicsMode(dc, GM_COMPATIBLE);
    {
        ResourceGuard guard(*t.dev);
        CFontFormat f(5.0);
        f.SetCharGap(0.5f);
        f.SetUnderLine(1);
        f.SetAngle(0.3);
        f.TextOutA(&t.view, dc, 100, 100, mgPoint(), kMixed, -1, kScreen);
        f.SetTextDirect(1);
        f.TextOutA(&t.view, dc, 100, 200, mgPoint(), kMixed, -1, kScreen);
        EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_RIGHT | TA_TOP));
        EXPECT_EQ(GetBkMode(dc), OPAQUE);
        EXPECT_EQ(GetTextCharacterExtra(dc), 3);
        EXPECT_EQ(GetGraphicsMode(dc), GM_COMPATIBLE);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), host);
        // Measuring leaves the DC as it was too.
        f.GetTextExtentPointA(&t.view, kMixed, -1, dc);
        EXPECT_EQ(GetGraphicsMode(dc), GM_COMPATIBLE);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), host);
    }
    EXPECT_FALSE(FindInk(*t.dev).empty());
    SelectObject(dc, old);
    DeleteObject(host);
}

namespace {

// The calls of a trace without the measuring ones, TextOutA reduced to its text: the positions
// depend on the glyphs, the calls, fonts and texts do not.
std::vector<std::string> CallsAndTexts(const draft2d::Device& dev) {
    std::vector<std::string> calls;
    for (const std::string& l : dev.GetTrace()) {
        const std::string name = l.substr(0, l.find('('));
        if (name == "TextOutA")
            calls.push_back("TextOutA " + l.substr(l.find('"')));
        else if (name != "GetTextExtentPoint32A" && name != "GetCharABCWidthsA")
            calls.push_back(l);
    }
    return calls;
}

} // namespace

// Characters go to GDI in the font of their kind, the fonts changing only where the kind of
// character changes: in runs where GDI's own advances are the layout's, else one by one. Characters
// off the clip rectangle are not sent.
TEST(TextOutput, FontSwitchesRunsAndClippingInTheTrace) {
    if (!draft2d::IsCallTraceAvailable())
        GTEST_SKIP() << "the system's GDI keeps no trace";
    TextView t(400, 100);
    CFontFormat f(5.0);
    t.dev->EnableTrace(true);
    const char text[] = "AB\xd6\xd0\xce\xc4"
                        "C"; // AB中文C
    f.TextOutA(&t.view, nullptr, 10, 50, mgPoint(), text, -1, kScreen);
    const std::vector<std::string> expected = {
        "SaveDC()",
        "SetGraphicsMode(GM_ADVANCED)",
        "CreateFontIndirectA(\"\\xb7\\xc2\\xcb\\xce_GB2312\",19,7,0,400,0,134) -> font#1",
        "CreateFontIndirectA(\"Times New Roman\",19,0,0,400,0,1) -> font#2",
        // Measuring: Western, Chinese, Western.
        "SelectObject(font#2)",
        "SelectObject(font#1)",
        "SelectObject(font#2)",
        "SetTextAlign(TA_LEFT|TA_BOTTOM)",
        "SetBkMode(TRANSPARENT)",
        // Output: the Western font is still selected.
        "TextOutA \"AB\",2)",
        "SelectObject(font#1)",
        "TextOutA \"\\xd6\\xd0\\xce\\xc4\",4)",
        "SelectObject(font#2)",
        "TextOutA \"C\",1)",
        "SelectObject(SYSTEM_FONT)",
        "DeleteObject(font#2)",
        "DeleteObject(font#1)",
        "RestoreDC(1)",
    };
    EXPECT_EQ(CallsAndTexts(*t.dev), expected);
    // Measuring asks for each character's extent, and for the bearings of single-byte ones.
    EXPECT_EQ(TraceLines(*t.dev, "GetTextExtentPoint32A(").size(), 5u);
    EXPECT_EQ(TraceLines(*t.dev, "GetCharABCWidthsA(").size(), 3u);

    // A gap of a fraction of a pixel: every character by itself, the character extra carrying the
    // underline over the gaps up to the last character.
    t.dev->ClearTrace();
    CFontFormat spaced(f);
    spaced.SetCharGap(0.3f); // 0.3 x 19 = 5.7 pixels
    spaced.TextOutA(&t.view, nullptr, 10, 50, mgPoint(), text, -1, kScreen);
    std::vector<std::string> calls = CallsAndTexts(*t.dev);
    const std::vector<std::string> output(calls.begin() + 9, calls.end() - 4);
    const std::vector<std::string> expectedOutput = {
        "SetTextCharacterExtra(6)", "TextOutA \"A\",1)",          "TextOutA \"B\",1)",
        "SelectObject(font#3)",     "TextOutA \"\\xd6\\xd0\",2)", "TextOutA \"\\xce\\xc4\",2)",
        "SetTextCharacterExtra(0)", "SelectObject(font#4)",       "TextOutA \"C\",1)",
    };
    EXPECT_EQ(output, expectedOutput);

    // Clip rectangle over the left part: the characters beyond it are measured, never sent.
    t.dev->ClearTrace();
    t.view.SetClipRect(mgRect(0, 0, 60, 100));
    f.TextOutA(&t.view, nullptr, 10, 50, mgPoint(), "ABCDEFGHIJKLMNOP", -1, kScreen);
    const std::vector<std::string> sent = TraceLines(*t.dev, "TextOutA(");
    ASSERT_EQ(sent.size(), 1u);
    const int bytes = std::atoi(sent[0].substr(sent[0].rfind(',') + 1).c_str());
    EXPECT_GT(bytes, 2);
    EXPECT_LT(bytes, 10);
    EXPECT_NE(sent[0].find("\"ABC"), std::string::npos);
    t.dev->ClearTrace();
    f.TextOutA(&t.view, nullptr, 100, 50, mgPoint(), "ABCDEFGHIJKLMNOP", -1, kScreen);
    EXPECT_TRUE(TraceLines(*t.dev, "TextOutA(").empty());
    EXPECT_FALSE(TraceLines(*t.dev, "GetTextExtentPoint32A(").empty());
}

TEST(TextOutput, LineOffsetsAndBoundBoxes) {
    CFontFormat f;
    const std::deque<double> widths = {10, 20, 30};
    auto offsets = [&](unsigned align) {
        f.SetVerAlign(align);
        std::vector<double> t;
        for (unsigned i = 0; i < 4; ++i) {
            const mgPoint p = f.GetMTextPoint(i, widths, 4.0);
            t.push_back(p.y());
            EXPECT_NEAR(p.x(), 0.0, 1e-12);
        }
        return t;
    };
    // p = 4 x (1 + 0.5) = 6; index 3 lies past the widths.
    f.SetRowGap(0.5f);
    EXPECT_EQ(offsets(0), (std::vector<double>{12, 6, 0, 0}));
    EXPECT_EQ(offsets(4), (std::vector<double>{6, 0, -6, 0}));
    EXPECT_EQ(offsets(8), (std::vector<double>{0, -6, -12, 0}));
    EXPECT_EQ(offsets(12), offsets(0));
    // Along the normal of the line: at 90 degrees the lines stack to the left.
    f.SetVerAlign(0);
    f.SetAngle(kPi / 2);
    const mgPoint first = f.GetMTextPoint(0, widths, 4.0);
    EXPECT_NEAR(first.x(), -12.0, 1e-12);
    EXPECT_NEAR(first.y(), 0.0, 1e-12);

    // One line of (10, 4) at (1, 2) turned by 90 degrees: x -4..0 and y 0..10, moved.
    const mgRect one = f.GetTextBoundBox(mgPoint(10, 4), mgPoint(1, 2));
    EXPECT_NEAR(one.left(), -3.0, 1e-12);
    EXPECT_NEAR(one.bottom(), 2.0, 1e-12);
    EXPECT_NEAR(one.right(), 1.0, 1e-12);
    EXPECT_NEAR(one.top(), 12.0, 1e-12);
    // The block: three lines 6 apart to the left of the first.
    const mgRect block = f.GetTextBoundBox(widths, 4.0, mgPoint(0, 0));
    EXPECT_NEAR(block.left(), -16.0, 1e-12);
    EXPECT_NEAR(block.right(), 0.0, 1e-12);
    EXPECT_NEAR(block.bottom(), 0.0, 1e-12);
    EXPECT_NEAR(block.top(), 30.0, 1e-12);
    EXPECT_TRUE(f.GetTextBoundBox(std::deque<double>(), 4.0, mgPoint(5, 5)).isEmpty());
}

// A block of lines hangs from its anchor when aligned to the top, each line in its own band, and
// only lines that have both a width and a text are drawn.
TEST(TextOutput, BlocksOfLines) {
    TextView t(400, 300);
    ResourceGuard guard(*t.dev);
    CFontFormat f(5.0);
    f.SetVerAlign(8);
    f.SetRowGap(1.0f);
    const std::deque<std::string> lines = {kMixed, "Second line", kTitle};
    std::deque<double> widths;
    const double h = f.GetTextExtentPoints(&t.view, lines, widths);
    const double k = t.view.UserToScreen();
    mgPoint anchor;
    t.view.ScreenToUser(40, 40, anchor);
    f.TextOutA(&t.view, nullptr, anchor, widths, h, lines, CGraphSystem::COORD_USER);
    const Ink ink = FindInk(*t.dev);
    ASSERT_FALSE(ink.empty());
    const double p = 2 * h * k; // pixels from one line's top to the next
    EXPECT_GE(ink.top, 39);
    EXPECT_LE(ink.bottom, 40 + 2 * p + h * k + 1);
    // Three bands of ink with empty rows between them.
    for (int i = 0; i < 3; ++i) {
        const double top = 40 + i * p;
        int rows = 0;
        for (const POINT& q : ink.pixels)
            if (q.y >= top - 1 && q.y <= top + h * k + 1)
                ++rows;
        EXPECT_GT(rows, 20) << i;
        const int gapRow = static_cast<int>(top + h * k + 0.25 * p);
        for (int x = 0; x < 400; ++x)
            EXPECT_EQ(t.dev->GetPixel(x, gapRow) & 0xFFFFFF, 0xFFFFFFu) << i;
    }

    // More widths than lines, or more lines than widths: the shorter list decides.
    TextView u(400, 300);
    if (draft2d::IsCallTraceAvailable())
        u.dev->EnableTrace(true);
    f.TextOutA(&u.view, nullptr, anchor, std::deque<double>{10, 10, 10, 10}, h, {"A", "B"},
               CGraphSystem::COORD_USER);
    f.TextOutA(&u.view, nullptr, anchor, std::deque<double>{10}, h, {"C", "D", "E"},
               CGraphSystem::COORD_USER);
    if (draft2d::IsCallTraceAvailable()) {
        std::vector<std::string> texts;
        for (const std::string& l : TraceLines(*u.dev, "TextOutA("))
            texts.push_back(l.substr(l.find('"')));
        EXPECT_EQ(texts, (std::vector<std::string>{"\"A\",1)", "\"B\",1)", "\"C\",1)"}));
    }
}
