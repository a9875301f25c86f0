// A sheet of text samples drawn through CFontFormat on a display image and on a PDF printer: both
// default faces at 2.5 to 10 mm, every alignment with its anchor marked and its measured box drawn,
// turned and upright lines, styles, gaps, a stretched box and a block of lines. The pictures are
// written to the test output folder to be looked at; the test checks that the PDF keeps its text.
#include "text_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "text/CFontFormat2.h"

using namespace texttest;

namespace {

// GBK texts of the sheet.
const char kSheetTitle[] = "\xce\xc4\xd7\xd6\xd1\xf9\xc0\xfd Text sample sheet"; // 文字样例
const char kSizeLine[] =
    "\xb7\xc2\xcb\xce Times \xbc\xbc\xca\xf5\xd2\xaa\xc7\xf3 ABC 0123";      // 仿宋 Times 技术要求
const char kAlignText[] = "\xb6\xd4\xc6\xeb Align";                          // 对齐
const char kTurnText[] = "\xd0\xfd\xd7\xaa Turn";                            // 旋转
const char kUpright[] = "\xd6\xb1\xc1\xa2\xce\xc4\xd7\xd6 Up";               // 直立文字
const char kUnderline[] = "\xcf\xc2\xbb\xae\xcf\xdf Underline";              // 下划线
const char kStrikeOut[] = "\xc9\xbe\xb3\xfd\xcf\xdf Strike-out";             // 删除线
const char kBold[] = "\xb4\xd6\xcc\xe5 Bold";                                // 粗体
const char kItalic[] = "\xd0\xb1\xcc\xe5 Italic";                            // 斜体
const char kGap[] = "\xd7\xd6\xbe\xe0 gap 0.5";                              // 字距
const char kStretch[] = "\xbc\xbc\xca\xf5\xd2\xaa\xc7\xf3";                  // 技术要求
const char kBlock1[] = "\xb6\xe0\xd0\xd0\xce\xc4\xd7\xd6 Several lines";     // 多行文字
const char kBlock2[] = "\xb5\xda\xb6\xfe\xd0\xd0 second line";               // 第二行
const char kBlock3[] = "\xce\xb4\xd7\xa2\xd4\xb2\xbd\xc7 R3";                // 未注圆角
const char kCached[] = "CFontFormat2 \xcd\xbc\xd6\xbd \xb1\xc8\xc0\xfd 1:1"; // 图纸 比例

// Marks and boxes in screen pixels on the view's draw DC, each drawn with the marker's own pen.
class Marker {
public:
    Marker(CGraphSystem& view, COLORREF colour) : view_(view), dc_(view.GetDrawDC()) {
        const int width = std::max(1, static_cast<int>(view.GetMmPixels() * 0.15));
        pen_ = CreatePen(PS_SOLID, width, colour);
    }
    ~Marker() { DeleteObject(pen_); }
    // A cross at a paper point.
    void Cross(double x, double y) {
        double sx, sy;
        view_.PaperToScreen(x, y, &sx, &sy);
        const double arm = view_.GetMmPixels() * 1.2;
        HGDIOBJ old = SelectObject(dc_, pen_);
        view_.DrawLinePx(dc_, sx - arm, sy, sx + arm, sy);
        view_.DrawLinePx(dc_, sx, sy - arm, sx, sy + arm);
        SelectObject(dc_, old);
    }
    // The measured box of text in f about the paper anchor, turned with the line.
    void Box(const CFontFormat& f, double x, double y, const char* text, mgPoint box = mgPoint()) {
        mgPoint size = f.GetTextExtentPointA(&view_, text, -1, dc_); // user units, here paper mm
        if (box.x() >= 1e-7)
            size = box;
        const mgRect r = f.GetTextExtent(size);
        const double c = std::cos(f.Angle()), s = std::sin(f.Angle());
        const double xs[4] = {r.left(), r.right(), r.right(), r.left()};
        const double ys[4] = {r.bottom(), r.bottom(), r.top(), r.top()};
        double px[4], py[4];
        for (int i = 0; i < 4; ++i)
            view_.PaperToScreen(x + xs[i] * c - ys[i] * s, y + xs[i] * s + ys[i] * c, &px[i], &py[i]);
        HGDIOBJ old = SelectObject(dc_, pen_);
        for (int i = 0; i < 4; ++i)
            view_.DrawLinePx(dc_, px[i], py[i], px[(i + 1) % 4], py[(i + 1) % 4]);
        SelectObject(dc_, old);
    }

private:
    CGraphSystem& view_;
    HDC dc_;
    HPEN pen_;
};

const int kPaper = CGraphSystem::COORD_PAPER;

// Draws the sheet in paper millimetres (297 x 210, y up) on the view's draw DC.
void DrawSampleSheet(CGraphSystem& view) {
    view.SetTextColor(0x000000);
    Marker box(view, RGB(230, 150, 150));
    Marker anchor(view, RGB(0, 90, 220));

    CFontFormat title(7.0);
    title.SetBold(1);
    title.TextOutA(&view, nullptr, 10, 196, mgPoint(), kSheetTitle, -1, kPaper);

    // Sizes 2.5 to 10 mm in both default faces.
    double y = 185;
    for (double h : {2.5, 3.5, 5.0, 7.0, 10.0}) {
        CFontFormat f(h);
        char line[96];
        std::snprintf(line, sizeof line, "%s  %.1f mm", kSizeLine, h);
        f.TextOutA(&view, nullptr, 10, y, mgPoint(), line, -1, kPaper);
        box.Box(f, 10, y, line);
        y -= h * 1.6 + 2;
    }

    // Every alignment about its anchor.
    for (unsigned v = 0; v < 3; ++v) {
        for (unsigned h = 0; h < 3; ++h) {
            CFontFormat f(4.0);
            f.SetAlign(h | (v * 4));
            const double ax = 30 + 50 * h, ay = 100 - 14 * v;
            f.TextOutA(&view, nullptr, ax, ay, mgPoint(), kAlignText, -1, kPaper);
            box.Box(f, ax, ay, kAlignText);
            anchor.Cross(ax, ay);
        }
    }

    // A fan of turned lines, each anchored on a circle and running outwards.
    for (int deg = 0; deg < 360; deg += 45) {
        CFontFormat f(3.5);
        const double a = deg * kPi / 180.0;
        f.SetAngle(a);
        f.SetVerAlign(4);
        const double ax = 225 + 6 * std::cos(a), ay = 150 + 6 * std::sin(a);
        f.TextOutA(&view, nullptr, ax, ay, mgPoint(), kTurnText, -1, kPaper);
        box.Box(f, ax, ay, kTurnText);
        anchor.Cross(ax, ay);
    }

    // Upright characters on turned lines, centred on their anchors.
    const double uprightAngles[] = {30, 90, 150};
    for (int i = 0; i < 3; ++i) {
        CFontFormat f(4.0);
        f.SetAngle(uprightAngles[i] * kPi / 180.0);
        f.SetTextDirect(1);
        f.SetAlign(1 | 4);
        const double ax = 185 + 32 * i, ay = 88;
        f.TextOutA(&view, nullptr, ax, ay, mgPoint(), kUpright, -1, kPaper);
        box.Box(f, ax, ay, kUpright);
        anchor.Cross(ax, ay);
    }

    // Styles, gaps and a stretched box.
    y = 52;
    struct Styled {
        const char* text;
        int bit;
    };
    const Styled styles[] = {{kUnderline, 4}, {kStrikeOut, 8}, {kBold, 1}, {kItalic, 2}};
    double x = 10;
    for (const Styled& s : styles) {
        CFontFormat f(5.0);
        f.SetUnderLine(s.bit == 4);
        f.SetStrikeOut(s.bit == 8);
        f.SetBold(s.bit == 1);
        f.SetItalic(s.bit == 2);
        f.TextOutA(&view, nullptr, x, y, mgPoint(), s.text, -1, kPaper);
        x += f.GetTextExtentPointA(&view, s.text, -1, view.GetDrawDC()).x() + 8;
    }
    CFontFormat gap(5.0);
    gap.SetCharGap(0.5f);
    gap.SetUnderLine(1);
    gap.TextOutA(&view, nullptr, 10, 40, mgPoint(), kGap, -1, kPaper);
    box.Box(gap, 10, 40, kGap);
    CFontFormat stretch(5.0);
    stretch.TextOutA(&view, nullptr, 90, 40, mgPoint(70, 5), kStretch, -1, kPaper);
    box.Box(stretch, 90, 40, kStretch, mgPoint(70, 5));

    // A block of lines hanging from its anchor, centred.
    CFontFormat block(4.0);
    block.SetAlign(1 | 8);
    block.SetRowGap(0.5f);
    const std::deque<std::string> lines = {kBlock1, kBlock2, kBlock3};
    std::deque<double> widths;
    const double lineHeight = block.GetTextExtentPoints(&view, lines, widths);
    block.TextOutA(&view, nullptr, mgPoint(75, 28), widths, lineHeight, lines, kPaper);
    anchor.Cross(75, 28);
    for (size_t i = 0; i < lines.size(); ++i) {
        const mgPoint p = mgPoint(75, 28) + block.GetMTextPoint(static_cast<unsigned>(i), widths, lineHeight);
        box.Box(block, p.x(), p.y(), lines[i].c_str(), mgPoint(widths[i], lineHeight));
    }

    // The cached-font format, turned.
    CFontFormat2 cached(&view, 4.0);
    cached.SetAngle(10 * kPi / 180.0);
    cached.TextOut2(nullptr, 160, 20, kCached, -1, kPaper);
    anchor.Cross(160, 20);
}

bool HavePdfToText() {
    return std::system("pdftotext -v > /dev/null 2>&1") == 0;
}

} // namespace

TEST(TextSheet, PngAndPdf) {
    const draft2d::GdiObjectCounts before = draft2d::GetGdiObjectCounts();
    {
        TextView t(1123, 794); // A4 landscape at 96 dpi
        DrawSampleSheet(t.view);
        EXPECT_FALSE(FindInk(*t.dev).empty());
        EXPECT_TRUE(t.dev->WritePng(OutputPath("text_sheet.png")));
        EXPECT_EQ(t.dev->GetSaveDepth(), 0);
    }
    // At 200 dpi, for a closer look at the glyphs.
    {
        TextView t(2339, 1654, 200);
        DrawSampleSheet(t.view);
        EXPECT_TRUE(t.dev->WritePng(OutputPath("text_sheet_200dpi.png")));
    }

    const std::string pdf = OutputPath("text_sheet.pdf");
    std::remove(pdf.c_str());
    auto printer = draft2d::Device::CreatePrinter(pdf, 297, 210, 300);
    if (!printer)
        GTEST_SKIP() << "no printer on this system";
    {
        CGraphSystem view;
        view.SetWndSize(printer->GetWidth(), printer->GetHeight());
        view.Attach(printer->GetDC(), nullptr, 0);
        view.Zoom(1.0, 0.0, 0.0);
        EXPECT_TRUE(view.IsPrint());
        DrawSampleSheet(view);
        view.Detach();
    }
    const bool finished = printer->Finish();
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before.total());
    if (!draft2d::IsCallTraceAvailable())
        return; // the system's printer need not write the file
    ASSERT_TRUE(finished);
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";

    // The characters are written one by one; the PDF still reads as text, Chinese included.
    const std::string txt = OutputPath("text_sheet.txt");
    const std::string cmd = "pdftotext -enc UTF-8 '" + pdf + "' '" + txt + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::ifstream in(txt, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* expected : {"\xe6\x96\x87\xe5\xad\x97\xe6\xa0\xb7\xe4\xbe\x8b", // 文字样例
                                 "Text sample sheet",
                                 "\xe6\x8a\x80\xe6\x9c\xaf\xe8\xa6\x81\xe6\xb1\x82", // 技术要求
                                 "\xe5\xa4\x9a\xe8\xa1\x8c\xe6\x96\x87\xe5\xad\x97", // 多行文字
                                 "Several lines", "Underline"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
}
