// The drawing interface as a host drives it: the input is a program of calls on one CGraphSystem,
// one CGraphSys3D and copies of them, attached to an image device, a printer and an SVG device in
// turn, with whatever numbers the host's drawing holds.
//
// Call families (one opcode each; the seed corpus fuzz/corpus/view_api/ has a program for each):
//   window       SetWndSize, SetMmPixels (density and DC), SetAdjustScale
//   ucs          SetUCS, PushUCS, PopUCS, CalcUCS
//   zoom         Zoom, ZoomTo (rectangle, rectangle into a target, scale, about a point),
//                ZoomByFactor (both forms), ZoomPan, ZoomPaper, ZoomExtent, ZoomIn, ZoomOut,
//                PanLeft, PanRight, PanUp, PanDown
//   commands     SetCmd (CGraphSys3D's too: ZOOM_ROTATE), OnLButtonDown, OnMouseMove, OnLButtonUp,
//                OnKeyDown, OnCancel, OnDraw, RegenAll, Redraw, SetRegenFunc
//   clip         SetClipRect (mgRect and RECT), GetClipRect, GetClipRectUser
//   colours      SetColorMode, SetBkColor, SetTextColor, SetZoomWndColor, EnableLineWidth,
//                CalcLineWidth, CalcDrawColor
//   line types   SetLineType with standard names, aliases, the sample files' names, user-defined
//                dash strings (AddItemDef into the view's registry, replaced and deleted while the
//                view holds them) and names that do not exist
//   pens         a CGraphCanvas with a fuzzed pen width, colour and style and a solid, hatched or
//                null brush around the next drawing call
//   drawing      DrawLine, DrawLinePx, DrawCircle, DrawArc (both forms), DrawEllipse (box, mgRect,
//                turned), DrawRect (both forms), DrawPolyline (both forms), in user, paper and
//                screen coordinates
//   matrix       DrawMatrixLine, DrawMatrixCircle, DrawMatrixArc (both forms), DrawMatrixRect,
//                DrawMatrixPolyline (both forms) with CalcUCS, raw and unit matrices
//   paths        SetAutoDrawPath(false) with BeginPaths, AddToPath, AddToNewPathAfterNow, DrawPath,
//                ClearPaths
//   paper, grid  SetPaper, GetPaperRect, GetPaperRectPixel, DrawPaper, DrawPaper2, SetGridType,
//                SetGrid, GetGridValues, DrawGrid, SnapGrid
//   prompt       DrawPromptText, DrawPromptTextUser (both forms), the prompt format's settings
//   symbols      DrawSymbol with the sample symbols (text files and, as "bin-<name>", binary files)
//                and unknown names
//   text         CFontFormat and CFontFormat2 settings and records (fuzzed heights, widths, angles,
//                gaps, alignment, styles, faces), TextOutA (one line with a box, several lines),
//                GetTextExtentPointA, GetTextExtentPoints, GetTextBoundBox, TextOut2 (both forms),
//                GetTextExtentPoint2(s), SetGraphSystem, copies; fuzzed GBK bytes
//   curves       FitClampedSpline, FitCubicSpline, DrawFitCurve
//   devices      Attach (image, printer, SVG, a null DC; another device's DC for attributes; with
//                and without a cache), Detach, Cls, ShowCacheBitmap, MakeBmpSaved, SaveBmp,
//                RestoreBmp, ClearBmpRect, ClearBmpSaved, SetSavedBmp
//   views        the copy constructor, operator= (both ways, and a 3-D view assigned as its base),
//                destroying copies, choosing the view that later calls go to
//   3-D          eye distance, angles, z scale and centre with UpdateSinCos, DrawLine3D,
//                DrawCircle3D, DrawRect3D, change_3D_to_2D
//   conversions  the transforms between user, paper and screen, scalars, points, RECTs
//
// Numbers come from a dictionary of the values that break things (0, +-1e-8, +-1e-300, +-1e300,
// +-2^26, +-2^31, NaN, +-inf and a few boundaries), from 1/16 steps of -1024 .. 2432, or from eight
// raw bytes.
//
// Invariants, checked after every call (a violation traps, so libFuzzer keeps the input):
//   - the live GDI objects are exactly those the views and the cached-font format hold (a cache DC
//     and bitmap, a saved bitmap, a cached font), and no GDI object is left after the program;
//   - the SaveDC depth is 0 on every device and every cache DC;
//   - each view's line type and scale are what the program last set (SetLineType, Attach,
//     Detach, copies; a line type its registry has dropped reads as the solid line);
//   - the number of calls of the redraw callback and the results of the command handlers are
//     what the commands run demand (a model of the interactive commands below: which calls
//     regenerate or redraw, the process-wide drag record included).
// A program has at most kMaxOps calls; window, cache and bitmap sizes stay within what an image of
// the device's size needs, so that every program ends well under the timeout.
//
// Seeds: DRAFT2D_VIEW_API_SEEDS=<dir> fuzz_view_api writes the seed programs into <dir> and exits.
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "io/CIoBuffer.h"
#include "io/CStringSplit.h"
#include "linetype/CLineType.h"
#include "platform/devices.h"
#include "symbol/mgSymbol.h"
#include "text/CFontFormat.h"
#include "text/CFontFormat2.h"
#include "values/mgFitCurve.h"
#include "view/CGraphCanvas.h"
#include "view/CGraphSys3D.h"
#include "view/CGraphSystem.h"

#ifndef DRAFT2D_DATA_DIR
#error "DRAFT2D_DATA_DIR must name the repository's data directory"
#endif

namespace {

// ------------------------------------------------------------------------------------------------
// Reading the program

const double kPi = 3.14159265358979323846;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

const double kNumbers[] = {
    0.0,     1e-8,       -1e-8,       1e-300,       -1e-300,       1e300,
    -1e300,  67108864.0, -67108864.0, 2147483648.0, -2147483648.0, kNaN,
    kInf,    -kInf,      1.0,         -1.0,         1e-7,          6.283185207179586,
    kPi / 2, 0.5,        1e30,        5.0,          100.0,         4.9406564584124654e-324};
const int kNumberCount = sizeof(kNumbers) / sizeof(kNumbers[0]);
const int kNumberBias = 16384; // 1/16 steps from (0 - bias) / 16
const int kNumberRaw = 0xF0;   // selector of eight raw bytes

const int kInts[] = {0,  1, -1, 2,    2147483647, -2147483647 - 1, 67108864, -67108864, 65535, 32767, -32768,
                     30, 5, 50, 1000, 3};
const int kIntCount = 16;
const int kIntBias = 4096;

const int kSizes[] = {0, 1, 2, -5, 2147483647, -2147483647 - 1, 67108864, 4096};
const int kSizeCount = 8;

const int kCoords[] = {-2147483647 - 1, 2147483647, -67108864, 67108864, -1, -100000, 100000, 65535};
const int kCoordFirst = 0xF8; // coordinates 0 .. 247, then the dictionary

const unsigned long kColours[] = {0xFFFFFFFFul, 0xFFFFFFul, 0ul, 0x1000000ul};

const char* const kTexts[] = {
    "AB",
    "AB\nCD",
    "\xd6\xd0\xce\xc4",         // 中文
    "\xb1\xea\xb8\xdf 12.5m",   // 标高 12.5m
    "\xd6",                     // a lead byte alone
    "x\xd6\xd0y\r\xce\xc4",     // mixed, then a carriage return
    "Wj\xa1\xa1|",              // a full-width space between narrow letters
    "\xff\xfe\x80\x81\x7f\x01", // bytes that are not GBK
};
const int kTextCount = sizeof(kTexts) / sizeof(kTexts[0]);

class Input {
public:
    Input(const uint8_t* data, size_t size) : p_(data), n_(size) {}

    bool Done() const { return i_ >= n_; }
    uint8_t Byte() { return i_ < n_ ? p_[i_++] : 0; }
    bool Bit() { return (Byte() & 1) != 0; }

    double Num() {
        const int s = Byte();
        if (s < kNumberCount)
            return kNumbers[s];
        if (s < kNumberRaw) {
            const int k = ((s - kNumberCount) << 8 | Byte()) - kNumberBias;
            return k / 16.0;
        }
        double v = 0.0;
        uint8_t raw[8];
        for (uint8_t& b : raw)
            b = Byte();
        std::memcpy(&v, raw, sizeof v);
        return v;
    }
    float Float() { return static_cast<float>(Num()); }

    int Int() {
        const int s = Byte();
        if (s < kIntCount)
            return kInts[s];
        return ((s - kIntCount) << 8 | Byte()) - kIntBias;
    }

    // Window and bitmap sizes: 8 .. 502 in steps of 2, or the dictionary.
    int Size() {
        const int s = Byte();
        return s < kSizeCount ? kSizes[s] : 8 + (s - kSizeCount) * 2;
    }

    // Mouse positions: 0 .. 247 pixels, or the dictionary.
    int Coord() {
        const int s = Byte();
        return s < kCoordFirst ? s : kCoords[s - kCoordFirst];
    }

    unsigned long Colour() {
        const int s = Byte();
        if (s < 4)
            return kColours[s];
        const unsigned long r = Byte(), g = Byte(), b = Byte();
        return r | g << 8 | b << 16;
    }

    // A canned text (selector >= 0xF0) or up to 64 bytes of the input.
    std::string Text() {
        const int s = Byte();
        if (s >= 0xF0)
            return kTexts[(s - 0xF0) % kTextCount];
        std::string t;
        for (int k = s % 65; k > 0 && !Done(); --k)
            t += static_cast<char>(Byte());
        return t;
    }

private:
    const uint8_t* p_;
    size_t n_;
    size_t i_ = 0;
};

// ------------------------------------------------------------------------------------------------
// Writing programs (the seed corpus)

class Program {
public:
    Program& Op(int op) { return Byte(static_cast<uint8_t>(op)); }
    Program& Byte(uint8_t b) {
        bytes_.push_back(b);
        return *this;
    }
    Program& Num(double v) {
        for (int s = 0; s < kNumberCount; ++s) {
            if (std::memcmp(&kNumbers[s], &v, sizeof v) == 0 || (std::isnan(v) && std::isnan(kNumbers[s])))
                return Byte(static_cast<uint8_t>(s));
        }
        const double k = v * 16.0 + kNumberBias;
        if (k >= 0 && k < (kNumberRaw - kNumberCount) * 256.0 && k == std::floor(k)) {
            const int ki = static_cast<int>(k);
            return Byte(static_cast<uint8_t>(kNumberCount + (ki >> 8))).Byte(static_cast<uint8_t>(ki & 255));
        }
        uint8_t raw[8];
        std::memcpy(raw, &v, sizeof raw);
        Byte(kNumberRaw);
        for (uint8_t b : raw)
            Byte(b);
        return *this;
    }
    Program& Int(int v) {
        for (int s = 0; s < kIntCount; ++s) {
            if (kInts[s] == v)
                return Byte(static_cast<uint8_t>(s));
        }
        const int k = v + kIntBias;
        if (k < 0 || k >= (256 - kIntCount) * 256)
            std::abort();
        return Byte(static_cast<uint8_t>(kIntCount + (k >> 8))).Byte(static_cast<uint8_t>(k & 255));
    }
    Program& Size(int v) {
        for (int s = 0; s < kSizeCount; ++s) {
            if (kSizes[s] == v)
                return Byte(static_cast<uint8_t>(s));
        }
        return Byte(static_cast<uint8_t>(kSizeCount + (v - 8) / 2));
    }
    Program& Coord(int v) {
        if (v >= 0 && v < kCoordFirst)
            return Byte(static_cast<uint8_t>(v));
        for (int s = 0; s < 8; ++s) {
            if (kCoords[s] == v)
                return Byte(static_cast<uint8_t>(kCoordFirst + s));
        }
        std::abort();
    }
    Program& Colour(unsigned long c) {
        for (int s = 0; s < 4; ++s) {
            if (kColours[s] == c)
                return Byte(static_cast<uint8_t>(s));
        }
        return Byte(4).Byte(c & 255).Byte((c >> 8) & 255).Byte((c >> 16) & 255);
    }
    Program& Canned(int k) { return Byte(static_cast<uint8_t>(0xF0 + k)); }
    Program& Text(const std::string& t) {
        Byte(static_cast<uint8_t>(t.size()));
        for (char c : t)
            Byte(static_cast<uint8_t>(c));
        return *this;
    }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// ------------------------------------------------------------------------------------------------
// The objects a program works on

// A registry of line types: with the standard ones, or empty (to be assigned).
struct Registry : CLineTypes {
    explicit Registry(bool standard) : CLineTypes(standard ? 1 : 0) {}
};

// Views with the protected path store and grid values reachable, as a host's own view class has.
struct View2 : CGraphSystem {
    explicit View2(const CLineTypes* types) : CGraphSystem(types) {}
    View2(const View2& other) = default;
    using CGraphSystem::AddToNewPathAfterNow;
    using CGraphSystem::AddToPath;
    using CGraphSystem::BeginPaths;
    using CGraphSystem::ClearPaths;
    using CGraphSystem::DrawPath;
    using CGraphSystem::GetGridValues;
};

struct View3 : CGraphSys3D {
    explicit View3(const CLineTypes* types) : CGraphSys3D(types) {}
    View3(const View3& other) = default;
    View3& operator=(const View3& other) = default;
    using CGraphSystem::AddToNewPathAfterNow;
    using CGraphSystem::AddToPath;
    using CGraphSystem::BeginPaths;
    using CGraphSystem::ClearPaths;
    using CGraphSystem::DrawPath;
    using CGraphSystem::GetGridValues;
};

struct Format2 : CFontFormat2 {
    Format2() : CFontFormat2(nullptr, 5.0) {}
    Format2(const Format2& other) = default;
    Format2& operator=(const Format2& other) = default;
    bool HasFont() const { return font != nullptr; }
};

struct SymbolFile : mgSymbol {
    explicit SymbolFile(const char* name) : mgSymbol(name) {}
    explicit SymbolFile(const mgSymbol& other) : mgSymbol(other) {}
};

// What the harness expects of one view: the interactive command and button, the line type and
// scale, whether a DC is attached and whether the redraw callback is set.
struct Model {
    int command = 0; // zoomMode when it is an interactive command (>= 2), else 0
    bool mouseDown = false;
    bool attached = false;
    bool regen = false;
    const CLineTypes* registry = nullptr;
    const CLineType* lineType = nullptr;
    std::string lineTypeName; // its name when it was set
    // Seen dropped from the registry since it was set: it reads as the solid line, unless a line
    // type of its name took its place again, which the view may take (unless a drawing call made
    // it settle for the solid line in the meantime).
    bool dropped = false;
    double lineScale = 1.0;

    void SetLineType(const CLineType* lt) {
        lineType = lt;
        lineTypeName = lt != nullptr ? lt->GetName() : std::string();
        dropped = false;
    }
};

// The process-wide drag record as the harness expects it.
struct DragModel {
    bool moved = false;
    int downX = 0;
    int downY = 0;
    int keyLevel = 1;
};

// A view slot: 0 the main view, 1 the 3-D view, 2 and 3 copies of a plain view, 4 a copy of the
// 3-D view.
const int kSlots = 5;
const int kMaxOps = 48;
const long long kMaxCachePixels = 1 << 20;

struct Harness {
    std::unique_ptr<draft2d::Device> image;
    std::unique_ptr<draft2d::Device> printer;
    std::unique_ptr<draft2d::Device> svg;
    Registry baseRegistry{true}; // the standard line types and the sample files
    std::vector<std::string> lineTypeNames;
    std::vector<std::string> symbolNames;
    // The sample symbols as loaded, to put back those a program replaced.
    std::vector<std::unique_ptr<SymbolFile>> pristineSymbols;
};

Harness* g_harness = nullptr;
long g_callbacks = 0;

void OnRegen(void*, CGraphSystem* gs) {
    ++g_callbacks;
    // A host redraws its drawing through the view's own calls.
    gs->DrawLine(0.0, 0.0, 40.0, 25.0, CGraphSystem::COORD_USER);
    gs->DrawCircle(20.0, 10.0, 6.0, CGraphSystem::COORD_USER);
}

[[noreturn]] void Fail(const char* what, int op) {
    std::fprintf(stderr, "view_api invariant broken after op %d: %s\n", op, what);
    std::abort();
}

enum Op {
    OP_WINDOW,
    OP_UCS,
    OP_ZOOM,
    OP_ZOOM_TO,
    OP_ZOOM_STEP,
    OP_ZOOM_PAPER,
    OP_SET_CMD,
    OP_BUTTON_DOWN,
    OP_MOUSE_MOVE,
    OP_BUTTON_UP,
    OP_KEY,
    OP_CANCEL_DRAW,
    OP_REGEN,
    OP_CLIP,
    OP_COLOURS,
    OP_LINE_TYPE,
    OP_REGISTRY,
    OP_PEN,
    OP_LINE,
    OP_CIRCLE,
    OP_ARC,
    OP_ELLIPSE,
    OP_RECT,
    OP_POLYLINE,
    OP_MATRIX,
    OP_PATHS,
    OP_PAPER,
    OP_GRID,
    OP_PROMPT,
    OP_FORMAT,
    OP_TEXT,
    OP_TEXT2,
    OP_SYMBOL,
    OP_CURVE,
    OP_ATTACH,
    OP_DETACH,
    OP_BITMAPS,
    OP_VIEWS,
    OP_SCENE3D,
    OP_DRAW3D,
    OP_CONVERT,
    OP_SYMBOL_EDIT,
    OP_CANVAS,
    OP_COUNT
};

const char* const kOpNames[] = {
    "window",     "ucs",         "zoom",   "zoom_to",     "zoom_step", "zoom_paper", "set_cmd", "button_down",
    "mouse_move", "button_up",   "key",    "cancel_draw", "regen",     "clip",       "colours", "line_type",
    "registry",   "pen",         "line",   "circle",      "arc",       "ellipse",    "rect",    "polyline",
    "matrix",     "paths",       "paper",  "grid",        "prompt",    "format",     "text",    "text2",
    "symbol",     "curve",       "attach", "detach",      "bitmaps",   "views",      "scene3d", "draw3d",
    "convert",    "symbol_edit", "canvas"};
static_assert(sizeof(kOpNames) / sizeof(kOpNames[0]) == OP_COUNT, "a name for every op");

// DRAFT2D_VIEW_API_TRACE set: every call is listed on stderr with the time it took (to read a
// failing or slow input).
bool g_trace = false;

// Whether a move in a drag of the 3-D view redraws twice (a redraw or regeneration of its own,
// then the base's handling) or once (its regeneration when rotating, else the base's handling
// alone): learnt at start, then modelled exactly.
bool g_3dMoveRedrawsTwice = true;

void CountCall(void* data, CGraphSystem*) {
    ++*static_cast<int*>(data);
}

bool Learn3dMoveRedraws() {
    int calls = 0;
    CGraphSys3D probe;
    probe.SetWndSize(100, 100);
    probe.SetRegenFunc(CountCall, &calls);
    probe.SetCmd(CGraphSystem::ZOOM_PAN);
    probe.OnLButtonDown(10, 10);
    probe.OnMouseMove(11, 10);
    probe.OnCancel();
    return calls == 2;
}

class Run {
public:
    Run(Harness& h, Input& in) : h_(h), in_(in) {
        registry_ = h.baseRegistry;
        views_[0].reset(new View2(&registry_));
        views_[1].reset(new View3(nullptr));
        models_[0].registry = &registry_;
        models_[1].registry = &CLineTypes::c_object;
        for (int k = 0; k < 2; ++k) {
            views_[k]->SetWndSize(160, 120);
            views_[k]->SetRegenFunc(OnRegen, nullptr);
            models_[k].regen = true;
        }
        format2_.reset(new Format2);
    }

    ~Run() = default;

    void Execute() {
        for (op_ = 0; op_ < kMaxOps && !in_.Done(); ++op_) {
            const int op = in_.Byte() % OP_COUNT;
            const auto start = std::chrono::steady_clock::now();
            Step(op, true);
            Check();
            if (g_trace) {
                const std::chrono::duration<double, std::milli> took =
                    std::chrono::steady_clock::now() - start;
                std::fprintf(stderr, "op %d: %s on view %d, %.1f ms\n", op_, kOpNames[op], cur_,
                             took.count());
            }
        }
    }

    void Finish() {
        format2_.reset();
        format_.reset();
        for (auto& v : views_)
            v.reset();
        // The process-wide symbol library as the next program expects it.
        if (symbolsChanged_) {
            for (const std::unique_ptr<SymbolFile>& original : h_.pristineSymbols) {
                const std::string name = original->GetName().c_str();
                while (mgSymbol* s = mgSymbols::c_object.Find(name.c_str()))
                    mgSymbols::c_object.DeleteItem(s);
                mgSymbols::c_object.AddItem(new SymbolFile(*original));
            }
            while (mgSymbol* s = mgSymbols::c_object.Find("fuzz"))
                mgSymbols::c_object.DeleteItem(s);
        }
    }

private:
    // ---- views ----

    CGraphSystem* View(int slot) { return views_[slot].get(); }
    View3* View3At(int slot) {
        return slot == 1 || slot == 4 ? static_cast<View3*>(views_[slot].get()) : nullptr;
    }
    CGraphSystem& Cur() { return *views_[cur_]; }
    Model& Mod() { return models_[cur_]; }
    View2* Cur2() { return View3At(cur_) == nullptr ? static_cast<View2*>(views_[cur_].get()) : nullptr; }

    // The path store and grid of the current view, whichever class it is.
    template <typename F>
    void WithPaths(F f) {
        if (View3* v3 = View3At(cur_))
            f(*v3);
        else
            f(*static_cast<View2*>(views_[cur_].get()));
    }

    HDC DeviceDC(int k) const {
        switch (k % 4) {
        case 0:
            return h_.image->GetDC();
        case 1:
            return printer_ ? printer_->GetDC() : nullptr;
        case 2:
            return svg_ ? svg_->GetDC() : nullptr;
        default:
            return nullptr;
        }
    }

    bool SmallWindow() {
        const long long w = Cur().GetWidth(), hgt = Cur().GetHeight();
        return w * hgt <= kMaxCachePixels;
    }

    CGraphSystem::coord_type Ct() { return static_cast<CGraphSystem::coord_type>(in_.Byte() % 4); }
    CGraphSystem::arc_type At() { return static_cast<CGraphSystem::arc_type>(in_.Byte() % 4); }
    mgPoint Pt() {
        const double x = in_.Num();
        return mgPoint(x, in_.Num());
    }
    mgRect Rect() {
        const double a = in_.Num(), b = in_.Num(), c = in_.Num();
        return mgRect(a, b, c, in_.Num());
    }
    RECT Rc() {
        RECT r;
        r.left = in_.Int();
        r.top = in_.Int();
        r.right = in_.Int();
        r.bottom = in_.Int();
        return r;
    }
    mgMatrix Matrix() {
        switch (in_.Byte() % 3) {
        case 0: {
            const double s = in_.Num(), x = in_.Num(), y = in_.Num(), a = in_.Num();
            return CGraphSystem::CalcUCS(s, x, y, a, in_.Byte() % 8);
        }
        case 1: {
            const double a = in_.Num(), b = in_.Num(), c = in_.Num(), d = in_.Num(), e = in_.Num();
            return mgMatrix(a, b, c, d, e, in_.Num());
        }
        default:
            return mgMatrix::unitMatrix();
        }
    }
    // Up to 16 points.
    int Points(std::vector<double>& xs, std::vector<double>& ys) {
        const int n = in_.Byte() % 17;
        xs.resize(n);
        ys.resize(n);
        for (int i = 0; i < n; ++i) {
            xs[i] = in_.Num();
            ys[i] = in_.Num();
        }
        return n;
    }

    const char* LineTypeName(std::string& holder) {
        const int s = in_.Byte();
        const std::vector<std::string>& names = h_.lineTypeNames;
        static const char* const aliases[] = {
            "0",  "Continuous",       "CONTINUOUS", "ACAD_ISO02W100", "ACAD_ISO15", "ACAD_ISO16", "1", "15",
            "16", "\xca\xb5\xcf\xdf", "",           "User0",          "User1",      "User2"};
        if (s < 16)
            return CLineTypes::StdLineTypeName(s);
        if (s < 16 + 14)
            return aliases[s - 16];
        if (s < 16 + 14 + static_cast<int>(names.size()))
            return names[s - 30].c_str();
        if (s == 255)
            return nullptr;
        holder = in_.Text();
        return holder.c_str();
    }

    // ---- the model of the interactive commands ----

    // The callbacks a RegenAll or Redraw of a view makes.
    int Cb(int slot) const { return models_[slot].regen ? 1 : 0; }

    // OnCancel of the base view: whether it undoes a drag (and so regenerates).
    bool CancelUndoes(int slot) {
        Model& m = models_[slot];
        bool undone = false;
        if (m.command >= 2) {
            undone = m.mouseDown && drag_.moved;
            m.command = 0;
        }
        m.mouseDown = false;
        return undone;
    }
    int CancelModel(int slot) { return CancelUndoes(slot) ? Cb(slot) : 0; }

    bool Dragging(int slot) const { return models_[slot].command >= 2 && models_[slot].mouseDown; }

    void Expect(long before, int calls, const char* what) {
        if (g_callbacks - before != calls)
            Fail(what, op_);
    }

    // ---- one call ----

    void Step(int op, bool outer) {
        CGraphSystem& v = Cur();
        Model& m = Mod();
        const long cb = g_callbacks;
        switch (op) {
        case OP_WINDOW:
            switch (in_.Byte() % 4) {
            case 0: {
                const int cx = in_.Size(), cy = in_.Size();
                const int oldW = v.GetWidth(), oldH = v.GetHeight();
                const bool paper = v.GetZoomMode() == CGraphSystem::ZOOM_PAPER;
                v.SetWndSize(cx, cy);
                // Following the paper, a new size refits it, which cancels (without a callback).
                if (paper && (v.GetWidth() != oldW || v.GetHeight() != oldH))
                    m.mouseDown = false;
                break;
            }
            case 1: {
                const double a = in_.Num();
                v.SetMmPixels(a, in_.Num());
                break;
            }
            case 2: {
                const double a = in_.Num();
                v.SetAdjustScale(a, in_.Num());
                break;
            }
            default:
                v.SetMmPixels(DeviceDC(in_.Byte()));
                break;
            }
            break;
        case OP_UCS:
            switch (in_.Byte() % 4) {
            case 0: {
                const double s = in_.Num(), x = in_.Num(), y = in_.Num();
                v.SetUCS(s, x, y, in_.Int());
                break;
            }
            case 1:
                v.PushUCS();
                break;
            case 2:
                v.PopUCS();
                break;
            default: {
                double f = 0;
                mgPoint o;
                SIZE size;
                v.GetUCS(f, o);
                v.GetWndSize(size);
                v.GetUserX();
                v.GetUserY();
                v.GetViewOrigin();
                v.GetMmPixels();
                break;
            }
            }
            break;
        case OP_ZOOM: {
            const double s = in_.Num(), x = in_.Num();
            v.Zoom(s, x, in_.Num());
            break;
        }
        case OP_ZOOM_TO:
            switch (in_.Byte() % 7) {
            case 0: {
                const mgRect r = Rect();
                v.ZoomTo(r, in_.Int());
                break;
            }
            case 1: {
                const mgRect r = Rect();
                const RECT t = Rc();
                v.ZoomTo(r, t, in_.Int());
                break;
            }
            case 2:
                v.ZoomTo(in_.Num());
                break;
            case 3: {
                POINT p = {in_.Coord(), in_.Coord()};
                v.ZoomTo(p, in_.Num());
                break;
            }
            case 4:
                v.ZoomByFactor(in_.Num());
                break;
            case 5: {
                POINT p = {in_.Coord(), in_.Coord()};
                v.ZoomByFactor(p, in_.Num());
                break;
            }
            default: {
                const double dx = in_.Num();
                if (v.ZoomPan(dx, in_.Num()) != 1)
                    Fail("ZoomPan returned 0", op_);
                break;
            }
            }
            break;
        case OP_ZOOM_STEP: {
            const int which = in_.Byte() % 6;
            const double f = in_.Num();
            const int calls = Dragging(cur_) ? 0 : Cb(cur_);
            switch (which) {
            case 0:
                v.ZoomIn(f);
                break;
            case 1:
                v.ZoomOut(f);
                break;
            case 2:
                v.PanLeft(f);
                break;
            case 3:
                v.PanRight(f);
                break;
            case 4:
                v.PanUp(f);
                break;
            default:
                v.PanDown(f);
                break;
            }
            Expect(cb, calls, "step zoom callbacks");
            break;
        }
        case OP_ZOOM_PAPER: {
            const bool extent = in_.Bit();
            if (extent) {
                const mgRect r = Rect();
                const int margin = in_.Int();
                const int calls = CancelModel(cur_) + Cb(cur_);
                v.ZoomExtent(r, margin);
                Expect(cb, calls, "ZoomExtent callbacks");
            } else {
                const int regen = in_.Int();
                const int margin = in_.Int();
                const int calls = CancelModel(cur_) + (regen != 0 ? Cb(cur_) : 0);
                v.ZoomPaper(regen, margin);
                Expect(cb, calls, "ZoomPaper callbacks");
                if (v.GetZoomMode() != CGraphSystem::ZOOM_PAPER)
                    Fail("ZoomPaper does not follow the paper", op_);
            }
            break;
        }
        case OP_SET_CMD: {
            const int cmd = in_.Int();
            const int calls = CancelModel(cur_);
            if (View3* v3 = View3At(cur_)) {
                v3->SetCmd(cmd);
                if (cmd >= 2 && cmd <= 7)
                    m.command = cmd;
            } else {
                v.SetCmd(cmd);
                if (cmd >= 2 && cmd <= 6)
                    m.command = cmd;
            }
            Expect(cb, calls, "SetCmd callbacks");
            break;
        }
        case OP_BUTTON_DOWN: {
            const int x = in_.Coord(), y = in_.Coord();
            if (View3* v3 = View3At(cur_))
                v3->OnLButtonDown(x, y);
            else
                v.OnLButtonDown(x, y);
            m.mouseDown = true;
            drag_.moved = false;
            drag_.downX = x;
            drag_.downY = y;
            Expect(cb, 0, "OnLButtonDown callbacks");
            break;
        }
        case OP_MOUSE_MOVE: {
            const int x = in_.Coord(), y = in_.Coord();
            View3* v3 = View3At(cur_);
            int calls = 0;
            int result = 0;
            if (m.mouseDown) {
                const bool pans =
                    m.command == CGraphSystem::ZOOM_PAN || m.command == CGraphSystem::ZOOM_DYNAMIC;
                if (pans && !drag_.moved && Distance(x, y) > 5.0)
                    drag_.moved = true;
                calls = Cb(cur_);
                result = pans && drag_.moved ? 1 : 0;
                if (v3 != nullptr && g_3dMoveRedrawsTwice) {
                    // The 3-D view regenerates (rotating) or redraws, then runs the base's handler.
                    calls += Cb(cur_);
                    result = m.command == CGraphSys3D::ZOOM_ROTATE ? 1 : 0;
                } else if (v3 != nullptr && m.command == CGraphSys3D::ZOOM_ROTATE) {
                    result = 1; // it regenerates instead of the base's redraw
                }
            }
            const int r = v3 != nullptr ? v3->OnMouseMove(x, y) : v.OnMouseMove(x, y);
            Expect(cb, calls, "OnMouseMove callbacks");
            if (r != result)
                Fail("OnMouseMove result", op_);
            break;
        }
        case OP_BUTTON_UP: {
            const int x = in_.Coord(), y = in_.Coord();
            View3* v3 = View3At(cur_);
            int calls = 0;
            int must = 0; // 1: result 1, -1: result 0, 0: either (a rubber band ZoomTo may refuse)
            if (m.mouseDown) {
                calls = Cb(cur_);
                const double d = Distance(x, y);
                switch (m.command) {
                case CGraphSystem::ZOOM_PAN:
                case CGraphSystem::ZOOM_DYNAMIC:
                    must = drag_.moved ? 1 : -1;
                    break;
                case CGraphSystem::ZOOM_IN:
                case CGraphSystem::ZOOM_OUT:
                    must = d < 5.0 ? 1 : d > 50.0 ? 0 : -1;
                    break;
                case CGraphSystem::ZOOM_WINDOW:
                    must = d > 50.0 ? 0 : -1;
                    break;
                default:
                    must = -1;
                    break;
                }
                m.mouseDown = false;
            } else {
                must = -1;
            }
            const int r = v3 != nullptr ? v3->OnLButtonUp(x, y) : v.OnLButtonUp(x, y);
            Expect(cb, calls, "OnLButtonUp callbacks");
            if ((must == 1 && r != 1) || (must == -1 && r != 0) || (r != 0 && r != 1))
                Fail("OnLButtonUp result", op_);
            break;
        }
        case OP_KEY: {
            static const unsigned short keys[] = {27,  33,  34,  37,  38, 39, 40,
                                                  107, 187, 109, 189, 0,  13, 65535};
            const int s = in_.Byte();
            const unsigned short key = s < 14 * 16 ? keys[s % 14] : static_cast<unsigned short>(s);
            int calls = 0;
            int result = 0;
            switch (key) {
            case 27:
                if (m.command >= 2) {
                    result = 1;
                    if (m.mouseDown) {
                        m.mouseDown = false;
                        if (drag_.moved)
                            calls = Cb(cur_);
                    } else {
                        calls = CancelModel(cur_);
                    }
                }
                break;
            case 33:
                drag_.keyLevel = drag_.keyLevel < 3 ? drag_.keyLevel + 1 : 3;
                result = 1;
                break;
            case 34:
                drag_.keyLevel = drag_.keyLevel > -3 ? drag_.keyLevel - 1 : -3;
                result = 1;
                break;
            case 37:
            case 38:
            case 39:
            case 40:
            case 107:
            case 187:
            case 109:
            case 189:
                calls = Dragging(cur_) ? 0 : Cb(cur_);
                result = 1;
                break;
            default:
                break;
            }
            if (v.OnKeyDown(key) != result)
                Fail("OnKeyDown result", op_);
            Expect(cb, calls, "OnKeyDown callbacks");
            break;
        }
        case OP_CANCEL_DRAW:
            if (in_.Bit()) {
                const bool undone = CancelUndoes(cur_);
                if (v.OnCancel() != (undone ? 1 : 0))
                    Fail("OnCancel result", op_);
                Expect(cb, undone ? Cb(cur_) : 0, "OnCancel callbacks");
            } else {
                v.OnDraw();
                Expect(cb, 0, "OnDraw callbacks");
            }
            break;
        case OP_REGEN: {
            const int which = in_.Byte() % 3;
            if (which == 2) {
                const bool on = in_.Bit();
                v.SetRegenFunc(on ? OnRegen : nullptr, nullptr);
                m.regen = on;
                break;
            }
            View3* v3 = View3At(cur_);
            if (which == 0)
                v3 != nullptr ? v3->RegenAll() : v.RegenAll();
            else
                v3 != nullptr ? v3->Redraw() : v.Redraw();
            Expect(cb, Cb(cur_), "RegenAll/Redraw callbacks");
            if (which == 0 && v.IsBmpSaved() != 0)
                Fail("RegenAll kept the saved bitmap", op_);
            break;
        }
        case OP_CLIP:
            switch (in_.Byte() % 3) {
            case 0:
                v.SetClipRect(Rect());
                break;
            case 1:
                v.SetClipRect(Rc());
                break;
            default:
                v.GetClipRect();
                v.GetClipRectUser();
                break;
            }
            break;
        case OP_COLOURS:
            switch (in_.Byte() % 7) {
            case 0:
                v.SetColorMode(in_.Int());
                break;
            case 1: {
                const unsigned long bk = in_.Colour();
                v.SetBkColor(bk, in_.Colour());
                break;
            }
            case 2:
                v.SetTextColor(in_.Colour());
                break;
            case 3:
                v.SetZoomWndColor(in_.Colour());
                break;
            case 4:
                v.EnableLineWidth(in_.Int());
                break;
            case 5:
                v.CalcLineWidth(in_.Int());
                break;
            default:
                if (v.CalcDrawColor(in_.Colour()) > 0xFFFFFFul)
                    Fail("CalcDrawColor gave no colour", op_);
                break;
            }
            break;
        case OP_LINE_TYPE: {
            std::string holder;
            const char* name = LineTypeName(holder);
            const double scale = in_.Num();
            v.SetLineType(name, scale);
            if (name == nullptr) {
                m.SetLineType(nullptr);
            } else {
                const CLineType* lt = m.registry->Find(name);
                m.SetLineType(lt != nullptr ? lt : m.registry->Find(nullptr));
                if (scale > 1e-7)
                    m.lineScale = scale;
            }
            break;
        }
        case OP_REGISTRY: {
            const int which = in_.Byte() % 4;
            const std::string user = "User" + std::to_string(in_.Byte() % 3);
            if (which == 0) {
                // A dash definition of the input under a user name (replacing a line type of that
                // name that a view may hold).
                const std::string def = in_.Text();
                registry_.AddItemDef(def.c_str(), user.c_str());
            } else if (which == 1) {
                registry_.DeleteItem(registry_.Find(user.c_str()));
            } else if (which == 2) {
                // A standard name replaced by a user definition.
                const std::string def = in_.Text();
                registry_.AddItemDef(def.c_str(), CLineTypes::StdLineTypeName(2 + in_.Byte() % 14));
            } else {
                // A line type of items with fields from the input, as a line type file gives them:
                // dashes with offsets, circles, ticks, symbols (of the library or not), filling
                // symbols and letters.
                auto* lt = new CLineType;
                const std::string def = in_.Text();
                lt->SetLineTypeDef(def.c_str(), user.c_str());
                const int items = in_.Byte() % 6;
                CStringSplit fields;
                for (int i = 0; i < items; ++i) {
                    static const char kinds[] = "MCEHhBbZ?";
                    const char kind = kinds[in_.Byte() % 9];
                    std::string text = in_.Text();
                    if ((kind == 'B' || kind == 'b') && in_.Bit())
                        text = "\"" + h_.symbolNames[in_.Byte() % h_.symbolNames.size()] + "\"," + text;
                    if (fields.SplitString(text.c_str(), -1, true))
                        lt->AddItemDataOfLineType(kind, fields);
                }
                if (registry_.AddItem(lt) == 0)
                    delete lt;
            }
            break;
        }
        case OP_PEN: {
            CGraphCanvas canvas(&v, nullptr, in_.Byte() % 2);
            const int width = in_.Int();
            const unsigned long colour = in_.Colour();
            canvas.SetPen(width, colour, in_.Byte() % 8);
            switch (in_.Byte() % 4) {
            case 0:
                canvas.SetSolidBrush(in_.Colour());
                break;
            case 1: {
                const int hatch = in_.Byte() % 6;
                canvas.SetBrush(::CreateHatchBrush(hatch, in_.Colour()));
                break;
            }
            case 2:
                canvas.SetBrushColor(in_.Colour());
                break;
            default:
                canvas.SetNullBrush();
                break;
            }
            // The next call, if it draws, runs with this pen and brush.
            const int next = in_.Byte() % OP_COUNT;
            if (outer && next >= OP_LINE && next <= OP_CURVE)
                Step(next, false);
            break;
        }
        case OP_LINE:
            switch (in_.Byte() % 3) {
            case 0: {
                const double a = in_.Num(), b = in_.Num(), c = in_.Num(), d = in_.Num();
                v.DrawLine(a, b, c, d, Ct());
                break;
            }
            case 1: {
                const mgPoint p = Pt(), q = Pt();
                v.DrawLine(p, q, Ct());
                break;
            }
            default: {
                const HDC dc = in_.Bit() ? v.GetDrawDC() : nullptr;
                const double a = in_.Num(), b = in_.Num(), c = in_.Num(), d = in_.Num();
                v.DrawLinePx(dc, a, b, c, d);
                break;
            }
            }
            break;
        case OP_CIRCLE: {
            const mgPoint c = Pt();
            const double r = in_.Num();
            if (in_.Bit())
                v.DrawCircle(c, r, Ct());
            else
                v.DrawCircle(c.x(), c.y(), r, Ct());
            break;
        }
        case OP_ARC:
            if (in_.Byte() % 2 == 0) {
                const mgPoint c = Pt();
                const double r = in_.Num(), start = in_.Num(), sweep = in_.Num();
                const CGraphSystem::arc_type at = At();
                v.DrawArc(c, r, start, sweep, at, Ct());
            } else {
                const mgPoint p1 = Pt(), p2 = Pt(), p3 = Pt(), p4 = Pt();
                v.DrawArc(p1, p2, p3, p4, Ct());
            }
            break;
        case OP_ELLIPSE:
            switch (in_.Byte() % 3) {
            case 0: {
                const double a = in_.Num(), b = in_.Num(), c = in_.Num(), d = in_.Num();
                v.DrawEllipse(a, b, c, d, Ct());
                break;
            }
            case 1:
                v.DrawEllipse(Rect(), Ct());
                break;
            default: {
                const double cx = in_.Num(), cy = in_.Num(), rx = in_.Num(), ry = in_.Num(), a = in_.Num();
                v.DrawEllipse(cx, cy, rx, ry, a, Ct());
                break;
            }
            }
            break;
        case OP_RECT:
            if (in_.Byte() % 2 == 0) {
                const mgRect r = Rect();
                const double a = in_.Num(), x = in_.Num(), y = in_.Num();
                v.DrawRect(r, a, x, y, Ct());
            } else {
                const mgPoint p1 = Pt(), p2 = Pt(), p3 = Pt(), p4 = Pt();
                v.DrawRect(p1, p2, p3, p4, Ct());
            }
            break;
        case OP_POLYLINE: {
            const int form = in_.Byte() % 3;
            std::vector<double> xs, ys;
            const int n = Points(xs, ys);
            const int closed = in_.Byte() % 2;
            const CGraphSystem::coord_type ct = Ct();
            if (form == 0) {
                v.DrawPolyline(n, xs.data(), ys.data(), closed, ct);
            } else if (form == 1) {
                std::vector<mgPoint> pts;
                for (int i = 0; i < n; ++i)
                    pts.emplace_back(xs[i], ys[i]);
                v.DrawPolyline(n, pts.data(), closed, ct);
            } else {
                // Null arrays and counts that do not fit them.
                v.DrawPolyline(n == 0 ? -3 : n, nullptr, nullptr, closed, ct);
            }
            break;
        }
        case OP_MATRIX: {
            const int which = in_.Byte() % 7;
            const mgMatrix mx = Matrix();
            switch (which) {
            case 0: {
                const mgPoint p = Pt(), q = Pt();
                v.DrawMatrixLine(mx, p, q);
                break;
            }
            case 1: {
                const mgPoint c = Pt();
                v.DrawMatrixCircle(mx, c, in_.Num());
                break;
            }
            case 2: {
                const mgPoint c = Pt();
                const double r = in_.Num(), s = in_.Num(), w = in_.Num();
                v.DrawMatrixArc(mx, c, r, s, w, At());
                break;
            }
            case 3: {
                const mgPoint p1 = Pt(), p2 = Pt(), p3 = Pt();
                v.DrawMatrixArc(mx, p1, p2, p3, At());
                break;
            }
            case 4: {
                const mgRect r = Rect();
                const double a = in_.Num(), x = in_.Num();
                v.DrawMatrixRect(mx, r, a, x, in_.Num());
                break;
            }
            case 5: {
                std::vector<double> xs, ys;
                const int n = Points(xs, ys);
                v.DrawMatrixPolyline(mx, n, xs.data(), ys.data(), in_.Byte() % 2);
                break;
            }
            default: {
                std::vector<double> xs, ys;
                const int n = Points(xs, ys);
                std::vector<mgPoint> pts;
                for (int i = 0; i < n; ++i)
                    pts.emplace_back(xs[i], ys[i]);
                v.DrawMatrixPolyline(mx, n, pts.data(), in_.Byte() % 2);
                break;
            }
            }
            break;
        }
        case OP_PATHS: {
            const int which = in_.Byte() % 6;
            WithPaths([&](auto& pv) {
                switch (which) {
                case 0:
                    pv.SetAutoDrawPath(in_.Bit());
                    break;
                case 1:
                    pv.BeginPaths();
                    break;
                case 2:
                    pv.DrawPath();
                    break;
                case 3:
                    pv.ClearPaths();
                    break;
                case 4:
                    pv.AddToNewPathAfterNow();
                    break;
                default: {
                    // Several points at once, as a shape would add them.
                    const int n = 1 + in_.Byte() % 8;
                    for (int i = 0; i < n; ++i) {
                        const double x = in_.Num(), y = in_.Num();
                        pv.AddToPath(x, y, in_.Byte() % 2);
                    }
                    break;
                }
                }
            });
            break;
        }
        case OP_PAPER:
            switch (in_.Byte() % 5) {
            case 0: {
                const double w = in_.Num();
                v.SetPaper(w, in_.Num());
                break;
            }
            case 1: {
                v.GetPaperRect();
                RECT r;
                v.GetPaperRectPixel(r);
                break;
            }
            case 2:
                v.DrawPaper(nullptr);
                break;
            case 3: {
                const RECT r = Rc();
                v.DrawPaper(&r);
                break;
            }
            default: {
                const int nx = in_.Int(), ny = in_.Int();
                const double ml = in_.Num(), mt = in_.Num(), mr = in_.Num(), mb = in_.Num();
                v.DrawPaper2(nx, ny, ml, mt, mr, mb);
                break;
            }
            }
            break;
        case OP_GRID:
            switch (in_.Byte() % 5) {
            case 0:
                v.SetGridType(in_.Int());
                break;
            case 1: {
                const double dx = in_.Num(), dy = in_.Num(), ox = in_.Num(), oy = in_.Num();
                v.SetGrid(dx, dy, ox, oy, Rect());
                break;
            }
            case 2: {
                const unsigned long c = in_.Colour(), o = in_.Colour();
                v.DrawGrid(c, o, in_.Byte() % 4);
                break;
            }
            case 3: {
                const double x = in_.Num(), y = in_.Num();
                double sx = 0, sy = 0;
                v.SnapGrid(x, y, &sx, &sy, in_.Byte() % 4);
                break;
            }
            default:
                WithPaths([&](auto& pv) {
                    double dx, dy, x0, y0;
                    long nx, ny;
                    pv.GetGridValues(dx, dy, x0, y0, nx, ny);
                });
                break;
            }
            break;
        case OP_PROMPT: {
            const int which = in_.Byte() % 4;
            if (which == 3) {
                if (CFontFormat* f = v.GetPromptTextFormat())
                    SetFormat(*f);
                break;
            }
            const std::string text = in_.Text();
            const unsigned long colour = in_.Colour();
            const unsigned align = in_.Byte();
            const char* t = in_.Bit() ? nullptr : text.c_str();
            if (which == 0) {
                const int x = in_.Coord();
                v.DrawPromptText(x, in_.Coord(), t, colour, align);
            } else if (which == 1) {
                const double x = in_.Num();
                v.DrawPromptTextUser(x, in_.Num(), t, colour, align);
            } else {
                v.DrawPromptTextUser(Pt(), t, colour, align);
            }
            break;
        }
        case OP_FORMAT:
            if (in_.Bit())
                SetFormat(*format_);
            else
                SetFormat2(*format2_);
            break;
        case OP_TEXT: {
            const int which = in_.Byte() % 5;
            const std::string text = in_.Text();
            // The text in a block of exactly its length (with a terminator only when the length is
            // not given), so that a read past it is caught.
            const int len = in_.Bit() ? static_cast<int>(text.size()) : -1;
            std::unique_ptr<char[]> block(new char[text.size() + (len < 0 ? 1 : 0)]);
            std::memcpy(block.get(), text.data(), text.size());
            if (len < 0)
                block[text.size()] = '\0';
            const HDC dc = in_.Bit() ? v.GetDrawDC() : nullptr;
            switch (which) {
            case 0: {
                const double x = in_.Num(), y = in_.Num();
                const mgPoint box = in_.Bit() ? Pt() : mgPoint();
                format_->TextOutA(&v, dc, x, y, box, block.get(), len, in_.Byte() % 4);
                break;
            }
            case 1:
                format_->GetTextExtentPointA(&v, block.get(), len, dc);
                break;
            case 2: {
                const std::deque<std::string> lines = {text, kTexts[1], kTexts[2]};
                std::deque<double> widths;
                const double hgt = format_->GetTextExtentPoints(&v, lines, widths);
                if (in_.Bit())
                    widths.push_back(in_.Num()); // a width without a line
                format_->TextOutA(&v, dc, Pt(), widths, in_.Bit() ? in_.Num() : hgt, lines, in_.Byte() % 4);
                break;
            }
            case 3: {
                const mgPoint size = Pt();
                format_->GetTextBoundBox(size, Pt());
                format_->GetTextExtent(size);
                break;
            }
            default: {
                std::deque<double> widths;
                const int n = in_.Byte() % 4;
                for (int i = 0; i < n; ++i)
                    widths.push_back(in_.Num());
                const double hgt = in_.Num();
                format_->GetTextBoundBox(widths, hgt, Pt());
                format_->GetMTextPoint(in_.Byte() % 5, widths, hgt);
                break;
            }
            }
            break;
        }
        case OP_TEXT2: {
            const int which = in_.Byte() % 7;
            Format2& f = *format2_;
            switch (which) {
            case 0:
                f.SetGraphSystem(in_.Bit() ? &v : nullptr);
                break;
            case 1: {
                const std::string text = in_.Text();
                const double x = in_.Num(), y = in_.Num();
                const int len = in_.Bit() ? static_cast<int>(text.size()) : -1;
                const HDC dc = in_.Bit() ? v.GetDrawDC() : nullptr;
                f.TextOut2(dc, x, y, text.c_str(), len, in_.Byte() % 4);
                break;
            }
            case 2: {
                const std::string text = in_.Text();
                f.GetTextExtentPoint2(text.c_str(), in_.Bit() ? static_cast<int>(text.size()) : -1,
                                      in_.Bit() ? v.GetDrawDC() : nullptr);
                break;
            }
            case 3: {
                const std::deque<std::string> lines = {in_.Text(), kTexts[3]};
                std::deque<double> widths;
                const double hgt = f.GetTextExtentPoints2(lines, widths);
                const mgPoint pos = Pt();
                f.TextOut2(nullptr, pos, widths, in_.Bit() ? in_.Num() : hgt, lines, in_.Byte() % 4);
                break;
            }
            case 4: {
                // The base class's forms, which the cached-font format forwards.
                const std::string text = in_.Text();
                const double x = in_.Num(), y = in_.Num();
                f.TextOutA(&v, nullptr, x, y, Pt(), text.c_str(), -1, in_.Byte() % 4);
                f.GetTextExtentPointA(&v, text.c_str(), -1, nullptr);
                break;
            }
            case 5: {
                // Copies: the copy makes its own font; the original keeps or drops its own.
                Format2 copy(f);
                copy.TextOut2(nullptr, 20.0, 20.0, "AB", 2, CGraphSystem::COORD_SCREEN);
                if (in_.Bit())
                    f = copy;
                break;
            }
            default:
                f.DeleteFonts();
                break;
            }
            break;
        }
        case OP_SYMBOL: {
            const int s = in_.Byte();
            std::string holder;
            const char* name;
            if (s < 2 * static_cast<int>(h_.symbolNames.size())) {
                holder = (s % 2 ? "bin-" : "") + h_.symbolNames[s / 2];
                name = holder.c_str();
            } else if (s == 255) {
                name = nullptr;
            } else {
                holder = in_.Text();
                name = holder.c_str();
            }
            const double x = in_.Num(), y = in_.Num(), a = in_.Num();
            const CGraphSystem::coord_type ct = Ct();
            v.DrawSymbol(x, y, name, a, ct, in_.Num());
            break;
        }
        case OP_CURVE: {
            std::vector<double> xs, ys;
            const int n = Points(xs, ys);
            const double step = in_.Num(), tol = in_.Num();
            const CGraphSystem::coord_type ct = Ct();
            if (in_.Bit()) {
                v.FitClampedSpline(curve_, n, xs.data(), ys.data(), in_.Byte() % 2, step, tol, ct);
            } else {
                const int flags = in_.Byte();
                const double a = in_.Num(), b = in_.Num(), c = in_.Num(), d = in_.Num();
                v.FitCubicSpline(curve_, n, xs.data(), ys.data(), step, tol, ct, flags, a, b, c, d);
            }
            if (in_.Bit())
                v.DrawFitCurve(curve_);
            if (curve_.count() > 100000)
                curve_.clear();
            break;
        }
        case OP_ATTACH: {
            const HDC dc = DeviceDC(in_.Byte());
            const HDC attrib = in_.Bit() ? DeviceDC(in_.Byte()) : nullptr;
            int useCache = in_.Byte() % 2;
            if (!SmallWindow())
                useCache = 0;
            if (View3* v3 = View3At(cur_))
                v3->Attach(dc, attrib, useCache);
            else
                v.Attach(dc, attrib, useCache);
            if (dc != nullptr) {
                m.SetLineType(&CLineTypes::c_solidLine);
                m.lineScale = 1.0;
                m.attached = true;
            } else if (m.attached) {
                m.SetLineType(nullptr);
                m.attached = false;
            }
            break;
        }
        case OP_DETACH:
            v.Detach();
            if (m.attached)
                m.SetLineType(nullptr);
            m.attached = false;
            break;
        case OP_BITMAPS:
            switch (in_.Byte() % 8) {
            case 0:
                v.Cls();
                break;
            case 1:
                v.ShowCacheBitmap();
                break;
            case 2:
                if (SmallWindow())
                    v.MakeBmpSaved(v.GetDrawDC() != nullptr ? v.GetDrawDC() : h_.image->GetDC());
                break;
            case 3:
                if (SmallWindow())
                    v.SaveBmp(in_.Bit() ? v.GetDrawDC() : h_.image->GetDC());
                break;
            case 4: {
                const int x = in_.Int();
                v.RestoreBmp(x, in_.Int());
                break;
            }
            case 5:
                v.ClearBmpRect(Rect());
                break;
            case 6:
                v.ClearBmpSaved();
                break;
            default: {
                const int w = in_.Size(), hgt = in_.Size();
                HBITMAP b = nullptr;
                // (A zero size would give the stock 1 x 1 bitmap, which is no bitmap to hand over.)
                if (w > 0 && hgt > 0 && static_cast<long long>(w) * hgt <= kMaxCachePixels)
                    b = ::CreateCompatibleBitmap(h_.image->GetDC(), w, hgt);
                v.SetSavedBmp(b);
                break;
            }
            }
            break;
        case OP_VIEWS:
            Views();
            break;
        case OP_SCENE3D: {
            View3* v3 = static_cast<View3*>(views_[1].get());
            const double val = in_.Num();
            switch (in_.Byte() % 7) {
            case 0:
                v3->eyeDist = val;
                break;
            case 1:
                v3->angleH = val;
                break;
            case 2:
                v3->angleV = val;
                break;
            case 3:
                v3->zScale = val;
                break;
            case 4:
                v3->centreX = val;
                break;
            case 5:
                v3->centreY = val;
                break;
            default:
                v3->centreZ = val;
                break;
            }
            v3->UpdateSinCos();
            break;
        }
        case OP_DRAW3D: {
            View3* v3 = static_cast<View3*>(views_[1].get());
            double p[12];
            const int which = in_.Byte() % 4;
            for (double& c : p)
                c = in_.Num();
            switch (which) {
            case 0:
                v3->DrawLine3D(p[0], p[1], p[2], p[3], p[4], p[5]);
                break;
            case 1:
                v3->DrawCircle3D(p[0], p[1], p[2], p[3]);
                break;
            case 2:
                v3->DrawRect3D(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10], p[11]);
                break;
            default: {
                double u = 0, w = 0;
                v3->change_3D_to_2D(p[0], p[1], p[2], &u, &w);
                break;
            }
            }
            break;
        }
        case OP_SYMBOL_EDIT: {
            // A symbol of the library (which line types draw too) replaced by one read from the
            // input's text, or a new one; the library is put back after the program.
            const size_t k = in_.Byte();
            const std::string name = k < h_.symbolNames.size() ? h_.symbolNames[k] : "fuzz";
            std::string text = in_.Text();
            while (in_.Bit() && text.size() < 1024)
                text += "\n" + in_.Text();
            FILE* f = fmemopen(&text[0], text.size(), "r");
            if (f == nullptr)
                break;
            auto* s = new SymbolFile(name.c_str());
            const int result = s->ReadFileTxt(f);
            std::fclose(f);
            if (result != 0) {
                delete s;
                break;
            }
            symbolsChanged_ = true;
            while (mgSymbol* old = mgSymbols::c_object.Find(name.c_str()))
                mgSymbols::c_object.DeleteItem(old);
            if (mgSymbols::c_object.AddItem(s) == 0)
                delete s;
            break;
        }
        case OP_CANVAS: {
            // A canvas's other operations: nested scopes (copies, a canvas that keeps the DC's
            // selection), the pen's parts one by one, and what it reads back.
            CGraphCanvas canvas(&v, nullptr, 1);
            switch (in_.Byte() % 4) {
            case 0: {
                CGraphCanvas copy(canvas);
                copy.SetPenColor(in_.Colour());
                CGraphCanvas assigned;
                assigned = copy;
                assigned.SetPenWidth(in_.Int());
                break;
            }
            case 1: {
                CGraphCanvas keep;
                keep.AttachNotChangeDC(&v, nullptr);
                keep.SetPenStyle(in_.Byte() % 8);
                keep.GetCurFont();
                break;
            }
            case 2:
                canvas.SetPenStyle(in_.Byte() % 8);
                canvas.SetPenWidth(in_.Int());
                canvas.SetPenColor(in_.Colour());
                canvas.GetPenStyle();
                canvas.GetPenWidth();
                canvas.GetPenColor();
                break;
            default: {
                const int hatch = in_.Byte();
                canvas.SetBrush(::CreateHatchBrush(hatch % 6, in_.Colour()));
                canvas.SetBrushColor(in_.Colour());
                canvas.GetBrushStyle();
                canvas.GetBrushColor();
                canvas.SetFont(nullptr);
                break;
            }
            }
            const int next = in_.Byte() % OP_COUNT;
            if (outer && next >= OP_LINE && next <= OP_CURVE)
                Step(next, false);
            break;
        }
        case OP_CONVERT: {
            const double x = in_.Num(), y = in_.Num();
            double a = 0, b = 0;
            long la = 0, lb = 0;
            mgPoint q;
            POINT pt;
            RECT rc;
            mgRect r;
            const mgRect src(x, y, in_.Num(), in_.Num());
            v.UserToScreen(x, y, &a, &b);
            v.UserToScreen(x, y, &la, &lb);
            v.UserToScreen(mgPoint(x, y), &pt);
            v.UserToScreen(src, &rc);
            v.UserToScreen(src, r);
            v.ScreenToUser(&rc, r);
            v.ScreenToUser(&pt, q);
            v.ClientToUser(x, y, q);
            v.PaperToScreen(mgPoint(x, y), &pt);
            v.PaperToUser(src, r);
            v.ScreenToPaper(src, r);
            v.UserToScreen();
            v.ScreenToUser();
            v.PaperToScreen();
            break;
        }
        default:
            break;
        }
    }

    double Distance(int x, int y) const {
        return std::hypot(double(x) - double(drag_.downX), double(y) - double(drag_.downY));
    }

    // Sets a text format from the input: setters with fuzzed values, or a record.
    void SetFormat(CFontFormat& f) {
        switch (in_.Byte() % 10) {
        case 0:
            f.SetHeight(in_.Num());
            break;
        case 1:
            f.SetWidthPer(in_.Float());
            f.SetWidthPerEng(in_.Float());
            break;
        case 2:
            f.SetAngle(in_.Num());
            break;
        case 3: {
            const uint8_t s = in_.Byte();
            f.SetBold(s & 1);
            f.SetItalic(s & 2);
            f.SetUnderLine(s & 4);
            f.SetStrikeOut(s & 8);
            f.SetTextDirect((s >> 4) & 3);
            break;
        }
        case 4:
            f.SetAlign(in_.Byte());
            f.SetHorAlign(in_.Byte());
            f.SetVerAlign(in_.Byte());
            break;
        case 5:
            f.SetCharGap(in_.Float());
            f.SetRowGap(in_.Float());
            break;
        case 6: {
            const std::string face = in_.Text();
            if (in_.Bit())
                f.SetFontName(face.c_str());
            else
                f.SetFontNameEng(face.c_str());
            break;
        }
        case 7: {
            // A record of the input's bytes; a short one keeps what it read.
            const std::string bytes = in_.Text();
            CIoBuffer buf;
            for (char c : bytes)
                buf.AddUInt8(static_cast<uint8_t>(c));
            try {
                f.Read(buf);
            } catch (const CIoBufException&) {
            }
            break;
        }
        case 8: {
            CFontFormat copy(f);
            f = copy;
            break;
        }
        default:
            f = CFontFormat(in_.Num());
            break;
        }
    }

    // The cached-font format's own setters (which drop the font), or the base's.
    void SetFormat2(Format2& f) {
        switch (in_.Byte() % 6) {
        case 0:
            f.SetHeight(in_.Num());
            break;
        case 1:
            f.SetAngle(in_.Num());
            break;
        case 2:
            f.SetWidthPer(in_.Float());
            break;
        case 3: {
            const uint8_t s = in_.Byte();
            f.SetBold(s & 1);
            f.SetItalic(s & 2);
            f.SetTextDirect((s >> 4) & 3);
            break;
        }
        case 4: {
            const std::string face = in_.Text();
            f.SetFontName(face.c_str());
            break;
        }
        default:
            SetFormat(f);
            break;
        }
    }

    void Views() {
        const int which = in_.Byte() % 6;
        const int slot = 2 + in_.Byte() % 3; // a copy slot
        switch (which) {
        case 0: {
            // Choose the view that later calls go to (an empty slot: the main view).
            const int k = in_.Byte() % kSlots;
            cur_ = views_[k] ? k : 0;
            break;
        }
        case 1: {
            // A copy of the current view (a 3-D copy of the 3-D view).
            if (cur_ == slot)
                break;
            Release(slot);
            if (slot == 4) {
                views_[4].reset(new View3(*static_cast<View3*>(views_[1].get())));
                models_[4] = models_[1];
            } else if (View3* v3 = View3At(cur_)) {
                views_[slot].reset(new View2(&registry_));
                *views_[slot] = *static_cast<CGraphSystem*>(v3);
                models_[slot] = Model();
                models_[slot].registry = models_[cur_].registry;
                CopyAssigned(slot, cur_);
                views_[slot]->SetRegenFunc(OnRegen, nullptr);
                models_[slot].regen = true;
            } else {
                views_[slot].reset(new View2(*static_cast<View2*>(views_[cur_].get())));
                models_[slot] = models_[cur_];
            }
            // A copy is detached; it keeps the line type selection.
            models_[slot].attached = false;
            break;
        }
        case 2: {
            // operator=: the current view takes the parameters of a copy.
            if (!views_[slot] || slot == cur_)
                break;
            if (slot == 4 && cur_ == 1) {
                *static_cast<View3*>(views_[1].get()) = *static_cast<View3*>(views_[4].get());
            } else {
                Cur() = *views_[slot];
            }
            CopyAssigned(cur_, slot);
            break;
        }
        case 3: {
            // The other way round.
            if (!views_[slot] || slot == cur_)
                break;
            *views_[slot] = Cur();
            CopyAssigned(slot, cur_);
            break;
        }
        case 4:
            // Destroying a copy (while attached, collecting paths, in a drag ...).
            if (views_[slot]) {
                if (cur_ == slot)
                    cur_ = 0;
                Release(slot);
            }
            break;
        default: {
            // Self-assignment changes nothing.
            CGraphSystem& self = Cur();
            self = *views_[cur_];
            break;
        }
        }
    }

    // Destroys the view of a slot; the cached-font format lets go of it first.
    void Release(int slot) {
        if (format2_ && format2_->GetGraphSystem() == views_[slot].get())
            format2_->SetGraphSystem(nullptr);
        views_[slot].reset();
    }

    // What operator= takes from the source: everything but the callback, the line type and the
    // attachment; the scale and the command state come along.
    void CopyAssigned(int target, int source) {
        Model& t = models_[target];
        const Model& s = models_[source];
        t.command = s.command;
        t.mouseDown = s.mouseDown;
        t.lineScale = s.lineScale;
        t.registry = s.registry;
    }

    // ---- invariants ----

    void Check() {
        draft2d::GdiObjectCounts held;
        for (int k = 0; k < kSlots; ++k) {
            CGraphSystem* v = views_[k].get();
            if (v == nullptr)
                continue;
            if (HDC cache = v->GetCacheHDC()) {
                ++held.dcs;
                ++held.bitmaps;
                if (draft2d::GetSaveDCDepth(cache) != 0)
                    Fail("SaveDC depth of a cache DC", op_);
            }
            if (v->IsBmpSaved())
                ++held.bitmaps;
            CheckLineType(k);
            // The factors every conversion divides by stay within their bounds.
            if (!(v->GetUserToMm() >= CGraphSystem::MIN_USER_SCRMM &&
                  v->GetUserToMm() <= CGraphSystem::MAX_USER_SCRMM))
                Fail("userToMm out of its bounds", op_);
            if (!(v->GetViewScale() >= CGraphSystem::MIN_VIEW_SCALE &&
                  v->GetViewScale() <= CGraphSystem::MAX_VIEW_SCALE))
                Fail("view scale out of its bounds", op_);
            if (!(v->GetMmPixelsX() > 1e-7 && v->GetMmPixelsY() > 1e-7) || v->GetWidth() < 1 ||
                v->GetHeight() < 1)
                Fail("pixel density or window size out of its bounds", op_);
            const int mode = v->GetZoomMode();
            if ((mode >= 2 ? mode : 0) != models_[k].command)
                Fail("interactive command", op_);
        }
        if (format2_ && format2_->HasFont())
            ++held.fonts;
        const draft2d::GdiObjectCounts live = draft2d::GetGdiObjectCounts();
        if (live.pens != base_.pens || live.brushes != base_.brushes ||
            live.fonts != base_.fonts + held.fonts || live.bitmaps != base_.bitmaps + held.bitmaps ||
            live.dcs != base_.dcs + held.dcs) {
            std::fprintf(
                stderr, "live pens %d brushes %d fonts %d bitmaps %d dcs %d; expected %d %d %d %d %d\n",
                live.pens, live.brushes, live.fonts, live.bitmaps, live.dcs, base_.pens, base_.brushes,
                base_.fonts + held.fonts, base_.bitmaps + held.bitmaps, base_.dcs + held.dcs);
            Fail("live GDI objects", op_);
        }
        if (h_.image->GetSaveDepth() != 0 || (printer_ && printer_->GetSaveDepth() != 0) ||
            (svg_ && svg_->GetSaveDepth() != 0))
            Fail("SaveDC depth of a device", op_);
    }

    void CheckLineType(int k) {
        Model& m = models_[k];
        const char* name = views_[k]->GetLineType();
        if (m.lineType == nullptr) {
            if (name != nullptr)
                Fail("line type set although none was", op_);
        } else {
            // Live: still in the view's registry with the name it was set by (a dropped line type's
            // address may hold another one by now, which is only compared, never read, unless it is
            // in the registry).
            bool live = m.lineType == &CLineTypes::c_solidLine;
            for (unsigned i = 0; !live && i < m.registry->GetCount(); ++i)
                live = m.registry->GetItem(i) == m.lineType && m.lineType->GetName() == m.lineTypeName;
            const std::string expected = live ? m.lineTypeName : std::string();
            if (name == nullptr || (expected != name && !(m.dropped && *name == '\0')))
                Fail("line type is not the one set", op_);
            m.dropped = m.dropped || !live;
        }
        const double scale = views_[k]->GetLineScale();
        if (std::memcmp(&scale, &m.lineScale, sizeof scale) != 0)
            Fail("line scale is not the one set", op_);
    }

public:
    // Devices of this program and the GDI objects alive before it.
    std::unique_ptr<draft2d::Device> printer_;
    std::unique_ptr<draft2d::Device> svg_;
    draft2d::GdiObjectCounts base_;

private:
    Harness& h_;
    Input& in_;
    Registry registry_{false};
    std::unique_ptr<CGraphSystem> views_[kSlots];
    Model models_[kSlots];
    DragModel drag_;
    bool symbolsChanged_ = false;
    std::unique_ptr<CFontFormat> format_{new CFontFormat(5.0)};
    std::unique_ptr<Format2> format2_;
    mgFitCurve curve_;
    int cur_ = 0;
    int op_ = 0;
};

// Puts the process-wide drag record and key step level into their first state, whatever the
// previous program left: a click on a scratch view, and the step level walked to its bottom and
// back up to 1.
void ResetDragRecord() {
    CGraphSystem scratch;
    scratch.OnLButtonDown(0, 0);
    scratch.OnLButtonUp(0, 0);
    for (int i = 0; i < 6; ++i)
        scratch.OnKeyDown(34);
    for (int i = 0; i < 4; ++i)
        scratch.OnKeyDown(33);
}

void LoadSamples(Harness& h) {
    const std::string data = DRAFT2D_DATA_DIR;
    h.baseRegistry.LoadFromFile((data + "/linetypes.lin").c_str());
    h.baseRegistry.LoadFromFile((data + "/symbol-linetypes.lin").c_str());
    for (unsigned i = 0; i < h.baseRegistry.GetCount(); ++i) {
        const std::string name = h.baseRegistry.GetItem(i)->GetName();
        bool standard = false;
        for (int k = 1; k <= 15; ++k)
            standard = standard || name == CLineTypes::StdLineTypeName(k);
        if (!standard)
            h.lineTypeNames.push_back(name);
    }
    // The text symbols under their names, the binary ones as "bin-<name>".
    mgSymbols::c_bTxtFile = true;
    if (!CGraphSystem::LoadSymbols((data + "/symbols").c_str()))
        std::abort();
    for (unsigned i = 0; i < mgSymbols::c_object.GetCount(); ++i) {
        const std::string name = mgSymbols::c_object.GetItem(i)->GetName().c_str();
        h.symbolNames.push_back(name);
    }
    for (unsigned i = 0; i < mgSymbols::c_object.GetCount(); ++i)
        h.pristineSymbols.emplace_back(new SymbolFile(*mgSymbols::c_object.GetItem(i)));
    for (const std::string& name : h.symbolNames) {
        const std::string path = data + "/symbols-bin/" + name + ".20s";
        const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
        if (fd < 0)
            continue;
        auto* s = new SymbolFile(("bin-" + name).c_str());
        if (s->ReadFileBin(fd) != 0 || mgSymbols::c_object.AddItem(s) == 0)
            delete s;
        _close(fd);
    }
    if (h.symbolNames.empty())
        std::abort();
}

void WriteSeeds(const char* dir);

} // namespace

// libFuzzer reads its flags after this call: -entropic=0 goes in front of the command line's own
// (which can turn entropic scheduling on again). A program touches tens of thousands of features,
// and entropic's bookkeeping of their frequencies took two thirds of the time of every run.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static std::vector<char*> args;
    static char entropicOff[] = "-entropic=0";
    args.assign(*argv, *argv + *argc);
    args.insert(args.begin() + 1, entropicOff);
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size()) - 1;
    *argv = args.data();

    g_trace = std::getenv("DRAFT2D_VIEW_API_TRACE") != nullptr;
    if (const char* dir = std::getenv("DRAFT2D_VIEW_API_SEEDS")) {
        WriteSeeds(dir);
        std::exit(0);
    }
    g_3dMoveRedrawsTwice = Learn3dMoveRedraws();
    g_harness = new Harness;
    g_harness->image = draft2d::Device::CreateImage(256, 192);
    if (!g_harness->image)
        std::abort();
    LoadSamples(*g_harness);
    // The fonts are found and loaded once here, not in the first program that writes text.
    CGraphSystem warm;
    warm.Attach(g_harness->image->GetDC(), nullptr, 0);
    CFontFormat(5.0).TextOutA(&warm, nullptr, 1.0, 1.0, mgPoint(), "A\xd6\xd0", -1, 0);
    warm.Detach();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    Harness& h = *g_harness;
    ResetDragRecord();
    Input in(data, size);
    {
        // The printer and SVG device of this program: pages nobody keeps.
        const uint8_t devices = in.Byte();
        Run run(h, in);
        if (devices & 1)
            run.printer_ = draft2d::Device::CreatePrinter("/dev/null", 60.0, 45.0, 150);
        if (devices & 2)
            run.svg_ = draft2d::Device::CreateSvg("/dev/null", 60.0, 45.0, 96);
        run.base_ = draft2d::GetGdiObjectCounts();
        run.Execute();
        run.Finish();
        if (run.printer_ && run.printer_->GetSaveDepth() != 0)
            Fail("SaveDC depth of the printer", -1);
    }
    if (draft2d::GetGdiObjectCounts().total() != 0 || h.image->GetSaveDepth() != 0)
        Fail("GDI objects left after the program", -1);
    return 0;
}

namespace {

// One small program per call family, so that the fuzzer starts from every family.
void WriteSeeds(const char* dir) {
    std::vector<std::pair<std::string, Program>> seeds;
    auto add = [&](const std::string& name) -> Program& {
        seeds.emplace_back(name, Program());
        return seeds.back().second.Byte(3); // a printer and an SVG device
    };
    auto attachImage = [](Program& p, int cache) -> Program& {
        return p.Op(OP_ATTACH).Byte(0).Byte(0).Byte(static_cast<uint8_t>(cache));
    };

    {
        Program& p = add("window");
        p.Op(OP_WINDOW).Byte(0).Size(200).Size(150);
        p.Op(OP_WINDOW).Byte(1).Num(4.0).Num(1e-8);
        p.Op(OP_WINDOW).Byte(2).Num(1.5).Num(0.5);
        p.Op(OP_WINDOW).Byte(3).Byte(1);
        p.Op(OP_WINDOW).Byte(0).Size(2147483647).Size(1);
    }
    {
        Program& p = add("ucs");
        p.Op(OP_UCS).Byte(0).Num(500.0).Num(100.0).Num(50.0).Int(2);
        for (int i = 0; i < 6; ++i)
            p.Op(OP_UCS).Byte(1);
        p.Op(OP_UCS).Byte(0).Num(kNaN).Num(1e300).Num(-kInf).Int(5);
        for (int i = 0; i < 7; ++i)
            p.Op(OP_UCS).Byte(2);
        p.Op(OP_UCS).Byte(3);
    }
    {
        Program& p = add("zoom");
        attachImage(p, 0);
        p.Op(OP_ZOOM).Num(kNaN).Num(0.0).Num(0.0);
        p.Op(OP_ZOOM_TO).Byte(0).Num(0.0).Num(0.0).Num(100.0).Num(50.0).Int(1);
        p.Op(OP_ZOOM_TO)
            .Byte(1)
            .Num(0.0)
            .Num(0.0)
            .Num(1e-300)
            .Num(1e300)
            .Int(10)
            .Int(10)
            .Int(100)
            .Int(80)
            .Int(0);
        p.Op(OP_ZOOM_TO).Byte(2).Num(1e300);
        p.Op(OP_ZOOM_TO).Byte(3).Coord(40).Coord(30).Num(2.0);
        p.Op(OP_ZOOM_TO).Byte(4).Num(-1.0);
        p.Op(OP_ZOOM_TO).Byte(5).Coord(-2147483647 - 1).Coord(2147483647).Num(1.0);
        p.Op(OP_ZOOM_TO).Byte(6).Num(67108864.0).Num(-kInf);
        p.Op(OP_LINE).Byte(0).Num(0.0).Num(0.0).Num(30.0).Num(20.0).Byte(0);
    }
    {
        Program& p = add("zoomsteps");
        for (int k = 0; k < 6; ++k)
            p.Op(OP_ZOOM_STEP).Byte(static_cast<uint8_t>(k)).Num(k == 0 ? 1e300 : 1.0);
        p.Op(OP_ZOOM_PAPER).Byte(0).Int(1).Int(-1);
        p.Op(OP_WINDOW).Byte(0).Size(300).Size(200);
        p.Op(OP_ZOOM_PAPER).Byte(1).Num(0.0).Num(0.0).Num(kInf).Num(10.0).Int(5);
    }
    {
        Program& p = add("commands");
        attachImage(p, 1);
        for (int cmd = 2; cmd <= 6; ++cmd) {
            p.Op(OP_SET_CMD).Int(cmd);
            p.Op(OP_BUTTON_DOWN).Coord(20).Coord(20);
            p.Op(OP_MOUSE_MOVE).Coord(24).Coord(22);
            p.Op(OP_MOUSE_MOVE).Coord(90).Coord(100);
            p.Op(OP_CANCEL_DRAW).Byte(0);
            p.Op(OP_BUTTON_UP).Coord(cmd == 5 ? 21 : 100).Coord(cmd == 5 ? 21 : 110);
        }
        p.Op(OP_SET_CMD).Int(2);
        p.Op(OP_BUTTON_DOWN).Coord(10).Coord(10);
        p.Op(OP_MOUSE_MOVE).Coord(60).Coord(10);
        p.Op(OP_KEY).Byte(0); // Escape during the drag
        p.Op(OP_KEY).Byte(3);
        p.Op(OP_KEY).Byte(0);
        p.Op(OP_CANCEL_DRAW).Byte(1);
    }
    {
        Program& p = add("keys");
        for (int k = 0; k < 14; ++k)
            p.Op(OP_KEY).Byte(static_cast<uint8_t>(k));
        p.Op(OP_SET_CMD).Int(3);
        p.Op(OP_BUTTON_DOWN).Coord(50).Coord(50);
        p.Op(OP_KEY).Byte(3); // a pan key during a drag does nothing
        p.Op(OP_MOUSE_MOVE).Coord(50).Coord(10);
        p.Op(OP_WINDOW).Byte(0).Size(100).Size(100);
        p.Op(OP_BUTTON_UP).Coord(50).Coord(-2147483647 - 1);
    }
    {
        Program& p = add("regen");
        p.Op(OP_REGEN).Byte(0);
        p.Op(OP_REGEN).Byte(1);
        p.Op(OP_REGEN).Byte(2).Byte(0);
        p.Op(OP_REGEN).Byte(0);
        p.Op(OP_BITMAPS).Byte(2);
        p.Op(OP_REGEN).Byte(2).Byte(1);
        p.Op(OP_REGEN).Byte(0);
    }
    {
        Program& p = add("clip");
        attachImage(p, 0);
        p.Op(OP_CLIP).Byte(0).Num(10.0).Num(10.0).Num(100.0).Num(80.0);
        p.Op(OP_LINE).Byte(0).Num(-1e300).Num(5.0).Num(1e300).Num(60.0).Byte(2);
        p.Op(OP_CLIP).Byte(1).Int(50).Int(50).Int(50).Int(90);
        p.Op(OP_LINE).Byte(2).Byte(1).Num(0.0).Num(0.0).Num(200.0).Num(200.0);
        p.Op(OP_CLIP).Byte(2);
    }
    {
        Program& p = add("colours");
        attachImage(p, 0);
        for (int k = 0; k < 7; ++k) {
            p.Op(OP_COLOURS).Byte(static_cast<uint8_t>(k));
            if (k == 0 || k == 4 || k == 5)
                p.Int(k == 5 ? -2147483647 - 1 : 1);
            else if (k == 1)
                p.Colour(0).Colour(0x1000000);
            else
                p.Colour(0x123456);
        }
        p.Op(OP_CIRCLE).Num(30.0).Num(30.0).Num(10.0).Byte(0).Byte(2);
    }
    {
        Program& p = add("linetypes");
        attachImage(p, 0);
        p.Op(OP_LINE_TYPE).Byte(4).Num(1e-300);
        p.Op(OP_LINE).Byte(0).Num(0.0).Num(0.0).Num(40.0).Num(30.0).Byte(0);
        p.Op(OP_LINE_TYPE).Byte(16 + 3).Num(2.0); // ACAD_ISO02W100
        p.Op(OP_CIRCLE).Num(30.0).Num(20.0).Num(15.0).Byte(0).Byte(0);
        p.Op(OP_LINE_TYPE).Byte(30 + 5).Num(1.0); // a sample line type
        p.Op(OP_RECT).Byte(0).Num(5.0).Num(5.0).Num(50.0).Num(30.0).Num(0.3).Num(0.0).Num(0.0).Byte(0);
        p.Op(OP_LINE_TYPE).Byte(200).Text("no such line type").Num(1e300);
        p.Op(OP_LINE_TYPE).Byte(255).Num(kNaN);
    }
    {
        // Every line type of the sample files along a closed outline, with a clip rectangle, and
        // one at a scale that makes its period far below a pixel.
        Program& p = add("samples");
        attachImage(p, 0);
        p.Op(OP_CLIP).Byte(0).Num(20.0).Num(20.0).Num(200.0).Num(150.0);
        for (int i = 0; i < 19; ++i) {
            p.Op(OP_LINE_TYPE).Byte(static_cast<uint8_t>(30 + i)).Num(i == 18 ? 1e-8 : 1.0 + (i % 3));
            p.Op(OP_POLYLINE).Byte(0).Byte(4);
            p.Num(5.0 + i).Num(5.0).Num(60.0).Num(10.0 + i).Num(40.0).Num(45.0).Num(5.0 + i).Num(5.0);
            p.Byte(static_cast<uint8_t>(i % 2)).Byte(0);
        }
    }
    {
        Program& p = add("registry");
        attachImage(p, 0);
        p.Op(OP_REGISTRY).Byte(0).Byte(0).Text("4-1-0.5-1");
        p.Op(OP_LINE_TYPE).Byte(16 + 11).Num(1.0); // User0
        p.Op(OP_LINE).Byte(0).Num(0.0).Num(0.0).Num(60.0).Num(0.0).Byte(0);
        p.Op(OP_REGISTRY).Byte(0).Byte(0).Text("0.001");
        p.Op(OP_LINE).Byte(0).Num(0.0).Num(5.0).Num(60.0).Num(5.0).Byte(0);
        p.Op(OP_REGISTRY).Byte(1).Byte(0);
        p.Op(OP_LINE).Byte(0).Num(0.0).Num(10.0).Num(60.0).Num(10.0).Byte(0);
        p.Op(OP_REGISTRY).Byte(2).Byte(1).Text("1000-1000").Byte(0);
        // A line type of every kind of item, one symbol of the library among them.
        p.Op(OP_REGISTRY).Byte(3).Byte(2).Text("4-2").Byte(5);
        p.Byte(0).Text("0,3,0.5,-0.5,1e300");
        p.Byte(1).Text("2,0.4,0.3");
        p.Byte(5).Text("1,0").Byte(1).Byte(3);
        p.Byte(6).Text("valve,3,0.5,7").Byte(0);
        p.Byte(7).Text("5,1,30,2,0,\"\xb0\xa1"
                       "A\"");
        p.Op(OP_LINE_TYPE).Byte(16 + 13).Num(2.0); // User2
        p.Op(OP_CIRCLE).Num(30.0).Num(30.0).Num(20.0).Byte(0).Byte(0);
    }
    {
        Program& p = add("symboledit");
        attachImage(p, 0);
        p.Op(OP_SYMBOL_EDIT).Byte(7).Text("c,0,0,1e300,0.2").Byte(1).Text("z,0.1,3,0,0,1,1,2,0").Byte(1);
        p.Text("f,0,3,1").Byte(1).Text("h,0,0,2,45,0,\xd6\xd0").Byte(0);
        p.Op(OP_SYMBOL).Byte(14).Num(30.0).Num(30.0).Num(0.0).Byte(0).Num(1.0);
        p.Op(OP_LINE_TYPE).Byte(30 + 11).Num(1.0); // a line type that draws trees
        p.Op(OP_LINE).Byte(0).Num(0.0).Num(10.0).Num(60.0).Num(40.0).Byte(0);
        p.Op(OP_SYMBOL_EDIT).Byte(200).Text("a,0,0,0,360,5,0.1").Byte(0);
        p.Op(OP_SYMBOL).Byte(200).Text("fuzz").Num(30.0).Num(30.0).Num(1.0).Byte(1).Num(0.5);
    }
    {
        Program& p = add("canvas");
        attachImage(p, 0);
        for (int k = 0; k < 4; ++k) {
            p.Op(OP_CANVAS).Byte(static_cast<uint8_t>(k));
            if (k == 0)
                p.Colour(0xFF).Int(-4);
            else if (k == 1)
                p.Byte(2);
            else if (k == 2)
                p.Byte(1).Int(40).Colour(0xFFFFFFFF);
            else
                p.Byte(4).Colour(0x00FF00).Colour(0xFF0000);
            p.Byte(OP_RECT).Byte(0).Num(5.0).Num(5.0).Num(50.0).Num(30.0).Num(0.0).Num(0.0).Num(0.0).Byte(0);
        }
    }
    {
        Program& p = add("pens");
        attachImage(p, 0);
        p.Op(OP_PEN)
            .Byte(1)
            .Int(-2147483647 - 1)
            .Colour(0xFFFFFFFF)
            .Byte(0)
            .Byte(1)
            .Byte(4)
            .Colour(0xFF)
            .Byte(OP_POLYLINE);
        p.Byte(0)
            .Byte(4)
            .Num(0.0)
            .Num(0.0)
            .Num(40.0)
            .Num(0.0)
            .Num(40.0)
            .Num(30.0)
            .Num(0.0)
            .Num(0.0)
            .Byte(1)
            .Byte(0);
        p.Op(OP_PEN)
            .Byte(0)
            .Int(2147483647)
            .Colour(0x00FF00)
            .Byte(2)
            .Byte(0)
            .Colour(0x0000FF)
            .Byte(OP_CIRCLE);
        p.Num(30.0).Num(30.0).Num(12.0).Byte(0).Byte(0);
    }
    {
        Program& p = add("drawing");
        attachImage(p, 0);
        for (int ct = 0; ct < 4; ++ct) {
            p.Op(OP_LINE).Byte(1).Num(1.0).Num(2.0).Num(50.0).Num(40.0).Byte(static_cast<uint8_t>(ct));
            p.Op(OP_CIRCLE)
                .Num(20.0)
                .Num(20.0)
                .Num(ct == 3 ? 0.5 : 10.0)
                .Byte(1)
                .Byte(static_cast<uint8_t>(ct));
            p.Op(OP_ARC)
                .Byte(0)
                .Num(30.0)
                .Num(30.0)
                .Num(20.0)
                .Num(0.5)
                .Num(-2.0)
                .Byte(static_cast<uint8_t>(ct))
                .Byte(static_cast<uint8_t>(ct));
            p.Op(OP_ELLIPSE).Byte(static_cast<uint8_t>(ct % 3)).Num(10.0).Num(10.0).Num(60.0).Num(30.0);
            if (ct % 3 == 2)
                p.Num(20.0);
            p.Byte(static_cast<uint8_t>(ct));
        }
        p.Op(OP_ARC).Byte(1).Num(0.0).Num(0.0).Num(60.0).Num(40.0).Num(60.0).Num(0.0).Num(0.0).Num(40.0).Byte(
            0);
        p.Op(OP_RECT)
            .Byte(1)
            .Num(0.0)
            .Num(0.0)
            .Num(30.0)
            .Num(0.0)
            .Num(30.0)
            .Num(20.0)
            .Num(0.0)
            .Num(20.0)
            .Byte(1);
        p.Op(OP_POLYLINE).Byte(2).Byte(0).Byte(0).Byte(0);
        p.Op(OP_LINE_TYPE).Byte(255).Num(1.0);
        p.Op(OP_CIRCLE).Num(kNaN).Num(20.0).Num(1e300).Byte(0).Byte(0);
        p.Op(OP_ARC).Byte(0).Num(30.0).Num(30.0).Num(20.0).Num(0.5).Num(1.0).Byte(0).Byte(0);
    }
    {
        Program& p = add("matrix");
        attachImage(p, 0);
        for (int k = 0; k < 7; ++k) {
            p.Op(OP_MATRIX).Byte(static_cast<uint8_t>(k)).Byte(static_cast<uint8_t>(k % 3));
            if (k % 3 == 0)
                p.Num(2.0).Num(10.0).Num(10.0).Num(0.5).Byte(1);
            else if (k % 3 == 1)
                p.Num(1.0).Num(0.0).Num(0.0).Num(1.0).Num(5.0).Num(1e300);
            for (int i = 0; i < 6; ++i)
                p.Num(5.0 + 7.0 * i);
            if (k >= 5)
                p.Byte(1);
            p.Byte(0).Byte(0).Byte(0);
        }
    }
    {
        Program& p = add("paths");
        attachImage(p, 0);
        p.Op(OP_PATHS).Byte(0).Byte(0); // SetAutoDrawPath(false)
        p.Op(OP_PATHS).Byte(1);
        p.Op(OP_LINE).Byte(0).Num(0.0).Num(0.0).Num(20.0).Num(0.0).Byte(2);
        p.Op(OP_LINE).Byte(0).Num(21.0).Num(0.0).Num(20.0).Num(20.0).Byte(2);
        p.Op(OP_PATHS)
            .Byte(5)
            .Byte(3)
            .Num(0.0)
            .Num(0.0)
            .Byte(1)
            .Num(kNaN)
            .Num(5.0)
            .Byte(0)
            .Num(1e300)
            .Num(0.0)
            .Byte(1);
        p.Op(OP_PATHS).Byte(4);
        p.Op(OP_PATHS).Byte(2);
        p.Op(OP_PATHS).Byte(3);
        p.Op(OP_PATHS).Byte(1);
        p.Op(OP_LINE).Byte(0).Num(0.0).Num(0.0).Num(20.0).Num(0.0).Byte(2);
        p.Op(OP_DETACH);
    }
    {
        Program& p = add("paper");
        attachImage(p, 0);
        p.Op(OP_PAPER).Byte(0).Num(1e300).Num(2.0);
        p.Op(OP_PAPER).Byte(1);
        p.Op(OP_PAPER).Byte(2);
        p.Op(OP_PAPER).Byte(3).Int(10).Int(10).Int(-2147483647 - 1).Int(2147483647);
        p.Op(OP_PAPER).Byte(4).Int(3).Int(2).Num(5.0).Num(5.0).Num(5.0).Num(kNaN);
        p.Op(OP_ATTACH).Byte(1).Byte(0).Byte(0);
        p.Op(OP_PAPER).Byte(4).Int(2147483647).Int(2).Num(0.0).Num(0.0).Num(0.0).Num(0.0);
    }
    {
        Program& p = add("grid");
        attachImage(p, 0);
        p.Op(OP_GRID).Byte(1).Num(5.0).Num(5.0).Num(1.0).Num(1.0).Num(0.0).Num(0.0).Num(50.0).Num(50.0);
        for (int style = 0; style < 3; ++style)
            p.Op(OP_GRID).Byte(2).Colour(0xFF).Colour(0xFFFFFFFF).Byte(static_cast<uint8_t>(style));
        p.Op(OP_GRID).Byte(0).Int(2);
        p.Op(OP_GRID).Byte(3).Num(12.0).Num(13.0).Byte(0);
        p.Op(OP_GRID).Byte(4);
        p.Op(OP_GRID).Byte(1).Num(1e-300).Num(1e300).Num(kNaN).Num(0.0).Num(0.0).Num(0.0).Num(0.0).Num(0.0);
        p.Op(OP_GRID).Byte(2).Colour(0).Colour(0x1000000).Byte(0);
    }
    {
        Program& p = add("prompt");
        attachImage(p, 0);
        p.Op(OP_PROMPT).Byte(0).Canned(2).Colour(0xFF).Byte(0).Byte(0).Coord(10).Coord(40);
        p.Op(OP_PROMPT).Byte(3).Byte(0).Num(1e30);
        p.Op(OP_PROMPT).Byte(1).Canned(1).Colour(0xFFFFFFFF).Byte(24).Byte(0).Num(10.0).Num(10.0);
        p.Op(OP_PROMPT).Byte(2).Text("").Colour(0).Byte(0).Byte(1).Num(kNaN).Num(0.0);
    }
    {
        Program& p = add("text");
        attachImage(p, 0);
        p.Op(OP_TEXT).Byte(0).Canned(3).Byte(0).Byte(0).Num(10.0).Num(10.0).Byte(1).Num(40.0).Num(6.0).Byte(
            0);
        p.Op(OP_FORMAT).Byte(1).Byte(2).Num(0.7);
        p.Op(OP_FORMAT).Byte(1).Byte(3).Byte(0x1F);
        p.Op(OP_TEXT).Byte(0).Canned(5).Byte(1).Byte(1).Num(5.0).Num(30.0).Byte(0).Byte(0);
        p.Op(OP_TEXT).Byte(1).Canned(2).Byte(1).Byte(0);
        p.Op(OP_TEXT).Byte(2).Canned(6).Byte(0).Byte(0).Byte(1).Num(5.0).Num(5.0).Num(20.0).Byte(0).Byte(2);
        p.Op(OP_TEXT).Byte(3).Canned(0).Byte(0).Byte(0).Num(10.0).Num(4.0).Num(0.0).Num(0.0);
        p.Op(OP_TEXT)
            .Byte(4)
            .Canned(0)
            .Byte(0)
            .Byte(0)
            .Byte(2)
            .Num(10.0)
            .Num(kNaN)
            .Num(3.0)
            .Num(0.0)
            .Num(0.0)
            .Byte(1);
        p.Op(OP_FORMAT).Byte(1).Byte(0).Num(1e30);
        p.Op(OP_TEXT).Byte(0).Canned(1).Byte(0).Byte(0).Num(10.0).Num(10.0).Byte(0).Byte(0);
        p.Op(OP_FORMAT).Byte(1).Byte(7).Text(std::string("\x04\x00\x00\x00\xcb\xce\xcc\xe5", 8));
        p.Op(OP_FORMAT).Byte(1).Byte(4).Byte(5).Byte(2).Byte(8);
        p.Op(OP_FORMAT).Byte(1).Byte(5).Num(5.0).Num(-1.0);
        p.Op(OP_FORMAT).Byte(1).Byte(6).Text("Arial").Byte(0);
        p.Op(OP_FORMAT).Byte(1).Byte(8);
        p.Op(OP_FORMAT).Byte(1).Byte(9).Num(-10.0);
        p.Op(OP_TEXT).Byte(0).Text("\xb0\xa1 gap").Byte(0).Byte(0).Num(10.0).Num(10.0).Byte(0).Byte(1);
    }
    {
        Program& p = add("text2");
        attachImage(p, 0);
        p.Op(OP_TEXT2).Byte(0).Byte(1);
        p.Op(OP_TEXT2).Byte(1).Canned(2).Num(10.0).Num(30.0).Byte(0).Byte(0).Byte(0);
        p.Op(OP_FORMAT).Byte(0).Byte(1).Num(0.5);
        p.Op(OP_TEXT2).Byte(2).Canned(3).Byte(1).Byte(1);
        p.Op(OP_TEXT2).Byte(3).Canned(4).Num(5.0).Num(40.0).Byte(0).Byte(0);
        p.Op(OP_TEXT2).Byte(4).Canned(7).Num(5.0).Num(5.0).Num(0.0).Num(0.0).Byte(1);
        p.Op(OP_TEXT2).Byte(5).Byte(1);
        p.Op(OP_FORMAT).Byte(0).Byte(0).Num(1e30);
        p.Op(OP_TEXT2).Byte(1).Canned(0).Num(10.0).Num(30.0).Byte(0).Byte(0).Byte(2);
        p.Op(OP_TEXT2).Byte(6);
        p.Op(OP_DETACH);
        p.Op(OP_TEXT2).Byte(1).Canned(0).Num(10.0).Num(30.0).Byte(0).Byte(0).Byte(2);
    }
    {
        Program& p = add("symbols");
        attachImage(p, 0);
        for (int s = 0; s < 6; ++s)
            p.Op(OP_SYMBOL)
                .Byte(static_cast<uint8_t>(s * 3))
                .Num(20.0 + 10 * s)
                .Num(20.0)
                .Num(0.3 * s)
                .Byte(0)
                .Num(s == 5 ? 1e-300 : 1.0);
        p.Op(OP_SYMBOL).Byte(200).Text("nothing").Num(10.0).Num(10.0).Num(0.0).Byte(2).Num(1.0);
        p.Op(OP_LINE_TYPE).Byte(30 + 11).Num(1.0); // a line type with symbols
        p.Op(OP_LINE).Byte(0).Num(0.0).Num(10.0).Num(60.0).Num(40.0).Byte(0);
    }
    {
        Program& p = add("curves");
        attachImage(p, 0);
        p.Op(OP_CURVE).Byte(5);
        for (int i = 0; i < 5; ++i)
            p.Num(10.0 * i).Num(i % 2 ? 20.0 : 5.0);
        p.Num(2.0).Num(0.5).Byte(0).Byte(1).Byte(0).Byte(1);
        p.Op(OP_CURVE).Byte(4);
        for (int i = 0; i < 4; ++i)
            p.Num(15.0 * i).Num(i * i);
        p.Num(1e-300).Num(kNaN).Byte(2).Byte(0).Byte(3).Num(1.0).Num(0.0).Num(0.0).Num(1.0).Byte(1);
    }
    {
        Program& p = add("devices");
        attachImage(p, 1);
        p.Op(OP_LINE).Byte(0).Num(0.0).Num(0.0).Num(30.0).Num(30.0).Byte(0);
        p.Op(OP_BITMAPS).Byte(1);
        p.Op(OP_WINDOW).Byte(0).Size(400).Size(300); // grows past the cache
        p.Op(OP_ATTACH).Byte(1).Byte(1).Byte(0).Byte(1);
        p.Op(OP_CIRCLE).Num(30.0).Num(30.0).Num(10.0).Byte(0).Byte(0);
        p.Op(OP_ATTACH).Byte(2).Byte(0).Byte(0);
        p.Op(OP_RECT).Byte(0).Num(5.0).Num(5.0).Num(50.0).Num(30.0).Num(0.0).Num(0.0).Num(0.0).Byte(0);
        p.Op(OP_ATTACH).Byte(0).Byte(1).Byte(1).Byte(1);
        p.Op(OP_ATTACH).Byte(3).Byte(0).Byte(0);
        p.Op(OP_DETACH);
    }
    {
        Program& p = add("bitmaps");
        attachImage(p, 1);
        for (int k = 0; k < 8; ++k) {
            p.Op(OP_BITMAPS).Byte(static_cast<uint8_t>(k));
            if (k == 3)
                p.Byte(1);
            else if (k == 4)
                p.Int(5).Int(-5);
            else if (k == 5)
                p.Num(0.0).Num(0.0).Num(20.0).Num(20.0);
            else if (k == 7)
                p.Size(160).Size(120);
        }
        p.Op(OP_BITMAPS).Byte(2);
        p.Op(OP_WINDOW).Byte(0).Size(100).Size(100);
    }
    {
        Program& p = add("views");
        attachImage(p, 1);
        p.Op(OP_LINE_TYPE).Byte(5).Num(3.0);
        p.Op(OP_SET_CMD).Int(2);
        p.Op(OP_BUTTON_DOWN).Coord(10).Coord(10);
        p.Op(OP_VIEWS).Byte(1).Byte(0); // a copy in slot 2
        p.Op(OP_VIEWS).Byte(0).Byte(0).Byte(2);
        p.Op(OP_MOUSE_MOVE).Coord(40).Coord(40);
        p.Op(OP_BUTTON_UP).Coord(40).Coord(40);
        p.Op(OP_VIEWS).Byte(0).Byte(0).Byte(0);
        p.Op(OP_VIEWS).Byte(2).Byte(0); // main = copy
        p.Op(OP_VIEWS).Byte(3).Byte(0); // copy = main
        p.Op(OP_VIEWS).Byte(5).Byte(0);
        p.Op(OP_VIEWS).Byte(0).Byte(0).Byte(1);
        p.Op(OP_VIEWS).Byte(1).Byte(2); // a 3-D copy
        p.Op(OP_VIEWS).Byte(1).Byte(1); // a plain copy of the 3-D view
        p.Op(OP_VIEWS).Byte(2).Byte(2);
        p.Op(OP_VIEWS).Byte(4).Byte(0);
    }
    {
        Program& p = add("view3d");
        p.Op(OP_VIEWS).Byte(0).Byte(0).Byte(1);
        attachImage(p, 0);
        for (int k = 0; k < 7; ++k)
            p.Op(OP_SCENE3D).Num(k == 0 ? 0.0 : 1.0).Byte(static_cast<uint8_t>(k));
        for (int k = 0; k < 4; ++k) {
            p.Op(OP_DRAW3D).Byte(static_cast<uint8_t>(k));
            for (int i = 0; i < 12; ++i)
                p.Num(60.0 + 5.0 * (i % 3));
        }
        p.Op(OP_SET_CMD).Int(7);
        p.Op(OP_BUTTON_DOWN).Coord(50).Coord(50);
        p.Op(OP_MOUSE_MOVE).Coord(20).Coord(70);
        p.Op(OP_BUTTON_UP).Coord(20).Coord(70);
        p.Op(OP_REGEN).Byte(0);
        p.Op(OP_REGEN).Byte(1);
    }
    {
        Program& p = add("convert");
        for (int k = 0; k < 4; ++k)
            p.Op(OP_CONVERT).Num(k == 0 ? kNaN : 1e300).Num(-2147483648.0).Num(2147483648.0).Num(0.5);
    }

    for (const auto& seed : seeds) {
        std::ofstream out(std::string(dir) + "/" + seed.first, std::ios::binary);
        const std::vector<uint8_t>& b = seed.second.Bytes();
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        if (!out)
            std::abort();
    }
}

} // namespace
