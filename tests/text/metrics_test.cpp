// Fonts of a format for a view (InitFont, values worked out by hand) and measuring: the run measure,
// one line, several lines and the aligned box.
#include "text_fixture.h"

#include <cstring>
#include <limits>

#include "io/CIoBuffer.h"

using namespace texttest;

namespace {

LOGFONTA Init(const CGraphSystem* gs, double height, float widthPer = 0.0f, double angle = 0.0,
              int textDirect = 0, int useViewScale = 1, const char* face = kFangSong) {
    LOGFONTA lf;
    std::memset(&lf, 0x5A, sizeof lf); // everything InitFont leaves alone must come out zero
    CFontFormat::InitFont(gs, lf, face, height, useViewScale, widthPer, angle, 0, 0, 0, 0, textDirect);
    return lf;
}

double Deg(double d) {
    return d * kPi / 180.0;
}

} // namespace

// 96 dpi is 3.7795275590551185 pixels per mm: 5 mm give 18.90 + 0.5 -> 19, the width 0.7 x 19 x 0.5
// = 6.65 + 0.5 -> 7.
TEST(InitFont, HeightsAndWidthsWorkedOutByHand) {
    CGraphSystem v;
    v.SetMmPixels(96.0 / 25.4, 96.0 / 25.4);
    LOGFONTA lf = Init(&v, 5.0, 0.7f);
    EXPECT_EQ(lf.lfHeight, 19);
    EXPECT_EQ(lf.lfWidth, 7);
    EXPECT_EQ(lf.lfEscapement, 0);
    EXPECT_EQ(lf.lfOrientation, 0);
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_EQ(lf.lfItalic | lf.lfUnderline | lf.lfStrikeOut, 0);
    EXPECT_EQ(lf.lfCharSet, 134);
    EXPECT_EQ(lf.lfOutPrecision, 4);
    EXPECT_EQ(lf.lfClipPrecision | lf.lfQuality | lf.lfPitchAndFamily, 0);
    EXPECT_STREQ(lf.lfFaceName, kFangSong);
    EXPECT_EQ(lf.lfFaceName[31], 0);

    // widthPer 0 is the face's own width.
    EXPECT_EQ(Init(&v, 5.0, 0.0f).lfWidth, 0);
    // Points: -10 is 3.527778 mm, 13.33 + 0.5 -> 13 pixels; at 300 dpi 41.67 + 0.5 -> 42.
    EXPECT_EQ(Init(&v, -10.0).lfHeight, 13);
    CGraphSystem printer;
    printer.SetMmPixels(300.0 / 25.4, 300.0 / 25.4);
    EXPECT_EQ(Init(&printer, -10.0).lfHeight, 42);
    EXPECT_EQ(Init(&printer, 2.5, 1.0f).lfHeight, 30); // 29.53 + 0.5
    EXPECT_EQ(Init(&printer, 2.5, 1.0f).lfWidth, 15);

    // The view scale counts unless the caller asks for the paper size (prompt texts).
    v.Zoom(2.0, 0.0, 0.0);
    EXPECT_EQ(Init(&v, 5.0).lfHeight, 38); // 37.80 + 0.5
    EXPECT_EQ(Init(&v, 5.0, 0.0f, 0.0, 0, 0).lfHeight, 19);
    // A height that rounds to nothing still gives a font of one pixel.
    EXPECT_EQ(Init(&v, 0.01).lfHeight, 1);
    // Without a view: a fresh view's 96 dpi and scale 1.
    EXPECT_EQ(Init(nullptr, 5.0).lfHeight, 19);
}

TEST(InitFont, AnglesStylesAndFaces) {
    CGraphSystem v;
    EXPECT_EQ(Init(&v, 5.0, 0.0f, Deg(30)).lfEscapement, 300);
    EXPECT_EQ(Init(&v, 5.0, 0.0f, Deg(30)).lfOrientation, 300);
    EXPECT_EQ(Init(&v, 5.0, 0.0f, Deg(30), 1).lfEscapement, 300);
    EXPECT_EQ(Init(&v, 5.0, 0.0f, Deg(30), 1).lfOrientation, 0); // upright characters
    EXPECT_EQ(Init(&v, 5.0, 0.0f, Deg(90)).lfEscapement, 900);
    // Angles are brought into [0, 2pi) first: the same direction gives the same escapement.
    EXPECT_EQ(Init(&v, 5.0, 0.0f, Deg(-30)).lfEscapement, 3300);
    EXPECT_EQ(Init(&v, 5.0, 0.0f, Deg(390)).lfEscapement, 300);
    EXPECT_EQ(Init(&v, 5.0, 0.0f, Deg(-0.04)).lfEscapement, 0); // 359.96 degrees rounds to a full turn
    EXPECT_EQ(Init(&v, 5.0, 0.0f, 5e-8).lfEscapement, 0);
    EXPECT_EQ(Init(&v, 5.0, 0.0f, 2 * kPi - 1e-9).lfEscapement, 0);

    LOGFONTA lf;
    CFontFormat::InitFont(&v, lf, nullptr, 5.0, 1, 0.0f, 0.0, 1, 2, 4, 8, 0);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_EQ(lf.lfUnderline, 1);
    EXPECT_EQ(lf.lfStrikeOut, 1);
    EXPECT_EQ(lf.lfFaceName[0], 0);
    const std::string longName(40, 'x');
    CFontFormat::InitFont(&v, lf, longName.c_str(), 5.0, 1, 0.0f, 0.0, 0, 0, 0, 0, 0);
    EXPECT_EQ(std::string(lf.lfFaceName), std::string(31, 'x'));
}

// Values that no font can have: the smallest font, never an undefined conversion.
TEST(InitFont, ValuesThatAreNotFiniteOrHuge) {
    CGraphSystem v;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double h : {nan, inf, -inf}) {
        const LOGFONTA lf = Init(&v, h, 0.7f, Deg(30));
        EXPECT_EQ(lf.lfHeight, 1);
        EXPECT_EQ(lf.lfWidth, 0);
        EXPECT_EQ(lf.lfEscapement, 0);
    }
    EXPECT_EQ(Init(&v, 5.0, 0.7f, nan).lfHeight, 1);
    EXPECT_EQ(Init(&v, 5.0, std::numeric_limits<float>::infinity()).lfHeight, 1);
    EXPECT_EQ(Init(&v, 5.0, std::numeric_limits<float>::quiet_NaN()).lfWidth, 0);
    // Finite but huge: the largest font GDI is asked for.
    EXPECT_EQ(Init(&v, 1e30, 0.7f).lfHeight, 16384);
    EXPECT_EQ(Init(&v, 1e30, 0.7f).lfWidth, 5734);
    EXPECT_EQ(Init(&v, -1e30).lfHeight, 16384);
    EXPECT_EQ(Init(&v, 5.0, 1e30f).lfWidth, 16384);
    EXPECT_EQ(Init(&v, 5.0, 0.0f, 1e300).lfHeight, 19);
}

// GetTextAbcExtent: the run's extent split into A, B and C, where only single-byte ends give their
// bearings away.
TEST(TextMetrics, AbcExtentOfARun) {
    TextView t;
    CFontFormat f;
    LOGFONTA lf;
    CFontFormat::InitFont(&t.view, lf, "Times New Roman", 8.0, 1, 0.0f, 0.0, 0, 0, 0, 0, 0);
    lf.lfCharSet = DEFAULT_CHARSET;
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(t.dc(), font);

    auto extent = [&](const char* s, int n) {
        SIZE sz{};
        EXPECT_TRUE(GetTextExtentPoint32A(t.dc(), s, n, &sz));
        return sz;
    };
    ABC abc{};
    long cy = 0;
    ASSERT_EQ(CFontFormat::GetTextAbcExtent(t.dc(), "fAx", -1, &abc, &cy), 1);
    ABC f0{}, x0{};
    ASSERT_TRUE(GetCharABCWidthsA(t.dc(), 'f', 'f', &f0));
    ASSERT_TRUE(GetCharABCWidthsA(t.dc(), 'x', 'x', &x0));
    EXPECT_EQ(abc.abcA, f0.abcA);
    EXPECT_EQ(abc.abcC, x0.abcC);
    EXPECT_EQ(abc.abcA + static_cast<long>(abc.abcB) + abc.abcC, extent("fAx", 3).cx);
    EXPECT_EQ(cy, extent("fAx", 3).cy);

    // The run ends at a line feed; a carriage return ends it too.
    ABC cut{};
    ASSERT_EQ(CFontFormat::GetTextAbcExtent(t.dc(), "fA\nxyz", -1, &cut, nullptr), 1);
    EXPECT_EQ(cut.abcA + static_cast<long>(cut.abcB) + cut.abcC, extent("fA", 2).cx);
    ASSERT_EQ(CFontFormat::GetTextAbcExtent(t.dc(), "fA\rxyz", 6, &cut, nullptr), 1);
    EXPECT_EQ(cut.abcA + static_cast<long>(cut.abcB) + cut.abcC, extent("fA", 2).cx);

    // Double-byte characters keep their bearings in B, also one whose trail byte is in the ASCII
    // range (0x81 0x40).
    for (const char* s : {kZhongWen, "\x81\x40"}) {
        ABC z{};
        ASSERT_EQ(CFontFormat::GetTextAbcExtent(t.dc(), s, -1, &z, nullptr), 1);
        EXPECT_EQ(z.abcA, 0) << s;
        EXPECT_EQ(z.abcC, 0) << s;
        EXPECT_EQ(static_cast<long>(z.abcB), extent(s, static_cast<int>(std::strlen(s))).cx) << s;
    }

    // One character: both bearings of the same letter.
    ABC one{};
    ASSERT_EQ(CFontFormat::GetTextAbcExtent(t.dc(), "x", 1, &one, nullptr), 1);
    EXPECT_EQ(one.abcA, x0.abcA);
    EXPECT_EQ(one.abcC, x0.abcC);
    EXPECT_EQ(static_cast<long>(one.abcB), static_cast<long>(x0.abcB));

    // Nothing to measure.
    EXPECT_EQ(CFontFormat::GetTextAbcExtent(nullptr, "x", 1, &abc, nullptr), 0);
    EXPECT_EQ(CFontFormat::GetTextAbcExtent(t.dc(), nullptr, 1, &abc, nullptr), 0);
    EXPECT_EQ(CFontFormat::GetTextAbcExtent(t.dc(), "x", 1, nullptr, nullptr), 0);
    EXPECT_EQ(CFontFormat::GetTextAbcExtent(t.dc(), "x", 0, &abc, nullptr), 0);
    EXPECT_EQ(CFontFormat::GetTextAbcExtent(t.dc(), "", -1, &abc, nullptr), 0);

    SelectObject(t.dc(), old);
    DeleteObject(font);
}

// One line: height is the cell height of the fonts in user units, the width adds up per character,
// the gap adds charGap x height per gap, and nothing after a line end counts.
TEST(TextMetrics, OneLineAddsUpByItsRules) {
    TextView t;
    ResourceGuard guard(*t.dev);
    CFontFormat f(5.0);
    const CGraphSystem* gs = &t.view;
    const mgPoint whole = f.GetTextExtentPointA(gs, kMixed, -1, t.dc());
    ASSERT_GT(whole.x(), 0.0);
    // 5 mm at view scale 1 is 5 user units; the cell is within a pixel of it.
    const double pixel = gs->ScreenToUser();
    EXPECT_NEAR(whole.y(), 5.0, 2 * pixel);

    // Screen DC and the device measure alike.
    const mgPoint screen = f.GetTextExtentPointA(gs, kMixed, -1, nullptr);
    EXPECT_NEAR(screen.x(), whole.x(), 1e-9);

    // Text after a line feed or a carriage return is not measured; a count stops it too.
    const std::string withBreak = std::string(kMixed) + "\nmore text";
    EXPECT_EQ(f.GetTextExtentPointA(gs, withBreak.c_str(), -1, t.dc()).x(), whole.x());
    const std::string withReturn = std::string(kMixed) + "\rmore";
    EXPECT_EQ(f.GetTextExtentPointA(gs, withReturn.c_str(), -1, t.dc()).x(), whole.x());
    const mgPoint head = f.GetTextExtentPointA(gs, kMixed, 4, t.dc()); // 中文
    EXPECT_EQ(head.x(), f.GetTextExtentPointA(gs, kZhongWen, -1, t.dc()).x());
    EXPECT_LT(head.x(), whole.x());
    EXPECT_EQ(f.GetTextExtentPointA(gs, "\nabc", -1, t.dc()).x(), 0.0);
    EXPECT_EQ(f.GetTextExtentPointA(gs, kMixed, 0, t.dc()).x(), 0.0);
    EXPECT_EQ(f.GetTextExtentPointA(nullptr, kMixed, -1, t.dc()).x(), 0.0);

    // Gaps: 7 characters, 6 gaps of charGap x height.
    for (float g : {0.5f, -0.2f, 2.0f}) {
        CFontFormat spaced(f);
        spaced.SetCharGap(g);
        const mgPoint s = spaced.GetTextExtentPointA(gs, kMixed, -1, t.dc());
        EXPECT_NEAR(s.x() - whole.x(), 6 * g * whole.y(), 1e-6) << g;
        EXPECT_EQ(s.y(), whole.y());
    }
    // A single character has no gap.
    CFontFormat spaced(f);
    spaced.SetCharGap(3.0f);
    EXPECT_EQ(spaced.GetTextExtentPointA(gs, "A", -1, t.dc()).x(),
              f.GetTextExtentPointA(gs, "A", -1, t.dc()).x());

    // Measures follow the zoom in pixels and stay put in user units.
    t.view.Zoom(3.0, 0.0, 0.0);
    const mgPoint zoomed = f.GetTextExtentPointA(gs, kMixed, -1, t.dc());
    EXPECT_NEAR(zoomed.x(), whole.x(), whole.x() * 0.1);
    EXPECT_NEAR(zoomed.y(), 5.0, 2 * gs->ScreenToUser());

    // Points: -10 points is 3.527778 mm at any density.
    CFontFormat points(-10.0);
    for (int dpi : {96, 300}) {
        TextView p(64, 64, dpi);
        EXPECT_NEAR(points.GetTextExtentPointA(&p.view, "A", -1, p.dc()).y(), 3.527778,
                    1.5 * p.view.ScreenToUser())
            << dpi;
    }
}

// The width of a line is its advances less the first character's A and the last character's C, the
// C only when 0 <= C < B: a negative C (ink overhanging the advance, as in an italic 'f' or a 'W' at
// some sizes) is never taken off, nor a bearing as wide as the ink. Checked for every letter at
// several sizes against the bearings the Western font reports, one letter alone and after another.
TEST(TextMetrics, LastBearingComesOffOnlyWhenItIsAGap) {
    TextView t;
    const CGraphSystem* gs = &t.view;
    const double k = gs->UserToScreen();
    int negative = 0, gaps = 0;
    for (int italic : {0, 1}) {
        for (double height : {3.0, 5.0, 8.0, 13.0}) {
            CFontFormat f(height);
            f.SetItalic(italic);
            LOGFONTA lf;
            CFontFormat::InitFont(gs, lf, f.FontNameEng(), height, 1, f.WidthPerEng(), 0.0, 0, italic, 0, 0,
                                  0);
            lf.lfCharSet = DEFAULT_CHARSET;
            HFONT font = CreateFontIndirectA(&lf);
            HGDIOBJ old = SelectObject(t.dc(), font);
            for (int ch = 0x21; ch < 0x7F; ++ch) {
                const char one[2] = {static_cast<char>(ch), 0};
                const char two[3] = {'n', static_cast<char>(ch), 0};
                ABC abc{}, n{};
                SIZE cx{}, ncx{};
                ASSERT_TRUE(GetCharABCWidthsA(t.dc(), ch, ch, &abc));
                ASSERT_TRUE(GetCharABCWidthsA(t.dc(), 'n', 'n', &n));
                ASSERT_TRUE(GetTextExtentPoint32A(t.dc(), one, 1, &cx));
                ASSERT_TRUE(GetTextExtentPoint32A(t.dc(), "n", 1, &ncx));
                // The run measure keeps the advance; B is what lies between the bearings.
                const long b = cx.cx - abc.abcA - abc.abcC;
                const bool off = abc.abcC >= 0 && abc.abcC < b;
                negative += abc.abcC < 0;
                gaps += off;
                const double alone = cx.cx - abc.abcA - (off ? abc.abcC : 0);
                const double after = ncx.cx + cx.cx - n.abcA - (off ? abc.abcC : 0);
                SelectObject(t.dc(), old); // measuring selects its own fonts
                EXPECT_NEAR(f.GetTextExtentPointA(gs, one, -1, t.dc()).x() * k, alone, 1e-6)
                    << one << " height " << height << " italic " << italic << " C " << abc.abcC;
                EXPECT_NEAR(f.GetTextExtentPointA(gs, two, -1, t.dc()).x() * k, after, 1e-6)
                    << two << " height " << height << " italic " << italic;
                SelectObject(t.dc(), font);
            }
            SelectObject(t.dc(), old);
            DeleteObject(font);
        }
    }
    EXPECT_GT(negative, 0); // the rule was tried on overhanging letters
    EXPECT_GT(gaps, 0);
}

// A wider font measures wider; bold and the Western width factor reach the Western font.
TEST(TextMetrics, FormatSettingsReachTheFonts) {
    TextView t;
    const CGraphSystem* gs = &t.view;
    CFontFormat f(5.0);
    const double chinese = f.GetTextExtentPointA(gs, kZhongWen, -1, t.dc()).x();
    CFontFormat wide(f);
    wide.SetWidthPer(1.4f);
    EXPECT_NEAR(wide.GetTextExtentPointA(gs, kZhongWen, -1, t.dc()).x(), 2 * chinese, 0.15 * chinese);
    const double western = f.GetTextExtentPointA(gs, "HHHH", -1, t.dc()).x();
    EXPECT_EQ(wide.GetTextExtentPointA(gs, "HHHH", -1, t.dc()).x(), western);
    CFontFormat wideEng(f);
    wideEng.SetWidthPerEng(2.0f);
    EXPECT_GT(wideEng.GetTextExtentPointA(gs, "HHHH", -1, t.dc()).x(), 1.3 * western);
    EXPECT_EQ(wideEng.GetTextExtentPointA(gs, kZhongWen, -1, t.dc()).x(), chinese);
}

// Outside data cannot make measuring read past its count or turn a bad value into a size.
TEST(TextMetrics, LengthBoundedAndBadFormats) {
    TextView t;
    ResourceGuard guard(*t.dev);
    const CGraphSystem* gs = &t.view;
    CFontFormat f(5.0);
    // Exactly three bytes, the last a lead byte of a double-byte character, without a terminator:
    // the sanitizer build catches any read past them.
    std::unique_ptr<char[]> bytes(new char[3]);
    std::memcpy(bytes.get(), "AB\xd6", 3);
    const mgPoint three = f.GetTextExtentPointA(gs, bytes.get(), 3, t.dc());
    EXPECT_GT(three.x(), f.GetTextExtentPointA(gs, "AB", -1, t.dc()).x());
    ABC abc{};
    EXPECT_EQ(CFontFormat::GetTextAbcExtent(t.dc(), bytes.get(), 3, &abc, nullptr), 1);
    std::deque<double> widths;
    EXPECT_EQ(f.GetTextExtentPoints(gs, {std::string("A\0B", 3)}, widths),
              f.GetTextExtentPointA(gs, "A", -1, nullptr).y());
    EXPECT_EQ(widths.front(), f.GetTextExtentPointA(gs, "A", -1, nullptr).x());

    // A record may carry anything: a format that is not finite measures nothing, a huge one is
    // measured in the largest font.
    auto fromRecord = [](double height, double angle, float gap) {
        CFontFormat out;
        CIoBuffer patched;
        patched.AddString(kFangSong);
        patched.AddString("Times New Roman");
        patched.AddDouble(height);
        patched.AddFloat(0.7f);
        patched.AddFloat(0.0f);
        patched.AddDouble(angle);
        patched.AddUInt8(0);
        patched.AddUInt32(0);
        patched.AddFloat(gap);
        patched.AddFloat(0.0f);
        EXPECT_TRUE(out.Read(patched));
        return out;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const CFontFormat& bad :
         {fromRecord(nan, 0, 0), fromRecord(5, nan, 0),
          fromRecord(5, 0, std::numeric_limits<float>::quiet_NaN()), fromRecord(HUGE_VAL, 0, 0)}) {
        const mgPoint s = bad.GetTextExtentPointA(gs, kMixed, -1, t.dc());
        EXPECT_EQ(s.x(), 0.0);
        EXPECT_EQ(s.y(), 0.0);
    }
    const mgPoint huge = fromRecord(1e30, 0, 0).GetTextExtentPointA(gs, "A", -1, t.dc());
    EXPECT_NEAR(huge.y(), 16384 * gs->ScreenToUser(), 0.02 * huge.y());
}

TEST(TextMetrics, SeveralLinesAndTheAlignedBox) {
    TextView t;
    const CGraphSystem* gs = &t.view;
    CFontFormat f(5.0);
    std::deque<double> widths = {99.0};
    const double h = f.GetTextExtentPoints(gs, {kMixed, "", "AB\nCD", kZhongWen}, widths);
    ASSERT_EQ(widths.size(), 4u);
    EXPECT_EQ(widths[0], f.GetTextExtentPointA(gs, kMixed, -1, nullptr).x());
    EXPECT_EQ(widths[1], 0.0);
    EXPECT_EQ(widths[2], f.GetTextExtentPointA(gs, "AB", -1, nullptr).x());
    EXPECT_EQ(h, f.GetTextExtentPointA(gs, kZhongWen, -1, nullptr).y());
    EXPECT_EQ(f.GetTextExtentPoints(gs, {"", "\n"}, widths), 0.0);
    EXPECT_EQ(widths.size(), 2u);

    // (10, 4): every alignment's box around the anchor.
    struct Case {
        unsigned align;
        double l, b, r, t;
    };
    const Case cases[] = {{0, 0, 0, 10, 4},  {1, -5, 0, 5, 4},   {2, -10, 0, 0, 4}, {3, 0, 0, 10, 4},
                          {4, 0, -2, 10, 2}, {5, -5, -2, 5, 2},  {8, 0, -4, 10, 0}, {10, -10, -4, 0, 0},
                          {12, 0, 0, 10, 4}, {14, -10, 0, 0, 4}, {9, -5, -4, 5, 0}};
    for (const Case& k : cases) {
        f.SetAlign(k.align);
        const mgRect r = f.GetTextExtent(mgPoint(10, 4));
        EXPECT_EQ(r.left(), k.l) << k.align;
        EXPECT_EQ(r.bottom(), k.b) << k.align;
        EXPECT_EQ(r.right(), k.r) << k.align;
        EXPECT_EQ(r.top(), k.t) << k.align;
    }
}
