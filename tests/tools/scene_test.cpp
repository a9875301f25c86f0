// Drawing a read script on a view: where each kind of entity lands, what a dimension is made of,
// and that the device context and the GDI objects are left as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/devices.h"
#include "script/scene.h"
#include "script/script.h"

using namespace draft2d::script;

namespace {

// A 100 x 100 mm sheet on a 400 x 400 image, user units millimetres, view scale exactly 1 at
// 101.6 dpi: 4 pixels per millimetre, paper (x, y) at pixel (4x, 400 - 4y).
struct Sheet {
    Drawing drawing;
    std::vector<Diagnostic> diags;
    std::unique_ptr<draft2d::Device> device = draft2d::Device::CreateImage(400, 400, 96);
    std::unique_ptr<CGraphSystem> view;
    DrawReport report;

    explicit Sheet(const std::string& rows, bool trace = false) {
        ReaderOptions options;
        options.baseDir = DRAFT2D_SOURCE_DIR;
        EXPECT_EQ(ReadScript("paper,100,100\n" + rows, "t.d2d", options, drawing, diags), 0);
        view = std::make_unique<CGraphSystem>(drawing.lineTypes.get());
        view->SetWndSize(400, 400);
        view->Attach(device->GetDC());
        SetUpView(*view, drawing);
        view->SetMmPixels(4.0, 4.0);
        view->Zoom(1.0, 0.0, 0.0);
        device->EnableTrace(trace);
        DrawDrawing(*view, drawing, &report);
        device->EnableTrace(false);
    }
    ~Sheet() { view->Detach(); }

    COLORREF At(double x, double y) const {
        return device->GetPixel(static_cast<int>(x * 4), static_cast<int>(400 - y * 4));
    }
    std::vector<std::string> Calls(const std::string& name) const {
        std::vector<std::string> out;
        for (const std::string& line : device->GetTrace()) {
            if (line.compare(0, name.size() + 1, name + "(") == 0) {
                out.push_back(line);
            }
        }
        return out;
    }
};

} // namespace

// Every drawn kind puts ink where its row says and nowhere far from it; the DC's saved states and
// the live GDI objects are what they were before the drawing.
TEST(Scene, EachKindLandsWhereItsRowSaysAndLeavesNothingBehind) {
    const struct {
        const char* row;
        double x, y; // a point on the shape, paper mm
    } cases[] = {
        {"line,10,10,90,10", 50, 10},
        {"polyline,10,10,50,50,90,10", 30, 30},
        {"polygon,20,20,80,20,50,80,fill=solid,fillcolour=red", 50, 40},
        {"circle,50,50,20,fill=solid,fillcolour=red", 50, 50},
        {"arc,50,50,20,0,90", 50 + 20 * 0.7071, 50 + 20 * 0.7071},
        {"arc,50,50,20,0,90,type=pie,fill=solid,fillcolour=red", 55, 55},
        {"ellipse,50,50,30,10,fill=solid,fillcolour=red", 70, 50},
        {"ellipse,50,50,30,10,90,fill=solid,fillcolour=red", 50, 70},
        {"rect,20,20,40,10,fill=solid,fillcolour=red", 30, 25},
        {"rect,20,20,40,10,90,fill=solid,fillcolour=red", 15, 30},
        {"text,20,50,HHHH,height=10,colour=red", 21, 53},
        {"dim,20,20,80,20,10", 50, 30},
    };
    const draft2d::GdiObjectCounts before = draft2d::GetGdiObjectCounts();
    for (const auto& c : cases) {
        Sheet s(std::string("set,colour=black,width=0.5\n") + c.row + "\n");
        ASSERT_EQ(s.drawing.entities.size(), 1u) << c.row;
        EXPECT_EQ(s.report.drawn, 1u) << c.row;
        EXPECT_NE(s.At(c.x, c.y), 0xFFFFFFu) << c.row;
        // A corner far from every shape stays white.
        EXPECT_EQ(s.At(2, 98), 0xFFFFFFu) << c.row;
        EXPECT_EQ(s.device->GetSaveDepth(), 0) << c.row;
    }
    EXPECT_EQ(draft2d::GetGdiObjectCounts().total(), before.total());
}

TEST(Scene, UserUnitsAndPaperSpaceMeetOnTheSheet) {
    // Metres at 1:1000: one metre is 1 mm on the sheet, the user origin at paper (20, 30).
    Sheet s("units,m,1000,20,30\n"
            "circle,10,10,3,fill=solid,fillcolour=red,colour=red\n"
            "circle,70,20,3,fill=solid,fillcolour=blue,colour=blue,space=paper\n");
    EXPECT_EQ(s.At(30, 40), 0x0000FFu); // user (10, 10) is paper (30, 40)
    EXPECT_EQ(s.At(70, 20), 0xFF0000u);
}

// A dimension is three lines (two extension lines and the dimension line), two arrows filled
// without a pen line of their own, and the measured length as text.
TEST(Scene, ADimensionIsLinesArrowsAndItsMeasure) {
    if (!draft2d::IsCallTraceAvailable()) {
        GTEST_SKIP();
    }
    Sheet s("set,width=0px\ndim,20,20,80,20,10,decimals=1\n", true);
    const std::vector<std::string> polygons = s.Calls("Polygon");
    ASSERT_EQ(polygons.size(), 2u);
    // The tips are the ends of the dimension line, paper (20, 30) and (80, 30): pixels (80, 280) and
    // (320, 280).
    EXPECT_NE(polygons[0].find("(80,280)"), std::string::npos) << polygons[0];
    EXPECT_NE(polygons[1].find("(320,280)"), std::string::npos) << polygons[1];
    // The characters of the TextOutA calls, in order, whether they go out one by one or in runs.
    std::string text;
    for (const std::string& t : s.Calls("TextOutA")) {
        const size_t open = t.find('"'), close = t.rfind('"');
        ASSERT_LT(open, close) << t;
        text += t.substr(open + 1, close - open - 1);
    }
    EXPECT_EQ(text, "60.0");
    // Extension lines from 1 mm off the points to 2 mm past the dimension line, and the line
    // itself: the LineTo calls after the sheet was filled (its last FillRect).
    const std::vector<std::string> trace = s.device->GetTrace();
    const auto fill = std::find_if(trace.rbegin(), trace.rend(),
                                   [](const std::string& l) { return l.compare(0, 9, "FillRect(") == 0; });
    ASSERT_NE(fill, trace.rend());
    const auto sheet = fill.base();
    const auto lines = std::count_if(sheet, trace.end(),
                                     [](const std::string& l) { return l.compare(0, 7, "LineTo(") == 0; });
    EXPECT_EQ(lines, 3);
    EXPECT_NE(std::find(sheet, trace.end(), "MoveToEx(80,316)"), trace.end()); // (20, 21): 1 mm off
    EXPECT_NE(std::find(sheet, trace.end(), "LineTo(80,272)"), trace.end());   // (20, 32): 2 mm past
}

// A spline runs through its points, and a closed one comes back to its first point.
TEST(Scene, SplinesPassThroughTheirPoints) {
    Sheet open("spline,10,50,30,80,50,50,70,20,90,50,colour=red,width=2px\n");
    for (const auto& p :
         {std::make_pair(30.0, 80.0), std::make_pair(50.0, 50.0), std::make_pair(70.0, 20.0)}) {
        EXPECT_EQ(open.At(p.first, p.second), 0x0000FFu) << p.first << "," << p.second;
    }
    // Between the knots the curve swings beyond the straight chords.
    EXPECT_EQ(open.At(40, 70), 0xFFFFFFu);
    Sheet closed("spline,30,30,70,30,70,70,30,70,closed=yes,colour=red,width=2px\n");
    EXPECT_EQ(closed.At(30, 50 + 0.5), 0xFFFFFFu); // the closing stretch bulges out to the left
    int left = 0;
    for (int x = 0; x < 30 * 4; ++x) {
        left += closed.device->GetPixel(x, 200) == 0x0000FF;
    }
    EXPECT_GT(left, 0);
}

// The extent is the box of what the entities draw: it holds every pixel of ink and, for shapes and
// upright texts, lies within a pixel or two of it. The sheet is 4 pixels a millimetre, so the
// tolerance of 0.75 mm is three pixels.
TEST(Scene, TheExtentIsWhatTheEntitiesDraw) {
    const struct {
        const char* rows;
        bool tight;  // the box hugs the ink on every side
        bool tightX; // ... left and right (texts: their cell is taller than their ink)
    } cases[] = {
        {"rect,30,30,40,20,30", true, true},
        {"ellipse,50,50,30,10,30", true, true},
        {"arc,50,50,30,20,100", true, true},
        {"arc,50,50,30,200,100,type=pie", true, true},
        {"polyline,10,10,90,40,20,80", true, true},
        {"spline,10,50,30,80,50,50,70,20,90,50", true, true},
        {"dim,20,20,80,20,10", false, true},
        {"text,20,50,HHHHHH,height=10,fonteng=Arial", false, true},
        {"text,50,50,Hello,height=8,angle=30,align=cm", false, false},
        {"text,10,60,\"Line one\\nand two\",height=5,align=lt", false, true},
        {"symbols,data/symbols,text\nsymbol,tree,50,50,20,0.5", false, false},
        {"units,m,1000,20,30\ntext,30,40,HHHH,height=5,space=paper\ncircle,0,0,5", false, false},
    };
    for (const auto& c : cases) {
        Sheet s(std::string("set,colour=black\n") + c.rows + "\n");
        ASSERT_TRUE(s.diags.empty()) << c.rows;
        // The ink in paper millimetres.
        int x0 = 400, y0 = 400, x1 = -1, y1 = -1;
        for (int y = 0; y < 400; ++y) {
            for (int x = 0; x < 400; ++x) {
                if (s.device->GetPixel(x, y) != 0xFFFFFF) {
                    x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
                }
            }
        }
        ASSERT_GE(x1, 0) << c.rows;
        const double inkLeft = x0 / 4.0, inkRight = (x1 + 1) / 4.0, inkBottom = (400 - y1 - 1) / 4.0,
                     inkTop = (400 - y0) / 4.0;
        mgRect e = Extent(s.drawing);
        mgRect paper;
        s.view->UserToPaper(e, paper);
        const double slack = 0.75;
        EXPECT_LE(paper.left(), inkLeft + slack) << c.rows;
        EXPECT_GE(paper.right(), inkRight - slack) << c.rows;
        EXPECT_LE(paper.bottom(), inkBottom + slack) << c.rows;
        EXPECT_GE(paper.top(), inkTop - slack) << c.rows;
        if (c.tightX) {
            EXPECT_GE(paper.left(), inkLeft - slack) << c.rows;
            EXPECT_LE(paper.right(), inkRight + slack) << c.rows;
        }
        if (c.tight) {
            EXPECT_GE(paper.bottom(), inkBottom - slack) << c.rows;
            EXPECT_LE(paper.top(), inkTop + slack) << c.rows;
        }
    }
    Sheet none("");
    EXPECT_TRUE(Extent(none.drawing).isEmpty());
}
