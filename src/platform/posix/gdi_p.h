// Internal structures of our GDI: objects behind the handles, device contexts, surfaces and the
// call trace. Shared by the gdi_*.cpp sources, the devices and the font engine (text*/font*).
//
// Handles are pointers to GdiObject-derived structures. Every live object is in a registry, so a
// handle is checked (live, right kind) before it is used: null, deleted or foreign handles give the
// Win32 failure results instead of touching memory, and calls on a DC that is not one set the
// thread's last error to ERROR_INVALID_HANDLE, as Windows does.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win32.h"

namespace draft2d {
namespace detail {

enum class ObjKind : uint8_t { Pen, Brush, Font, Bitmap, Dc };

struct GdiObject {
    explicit GdiObject(ObjKind k);
    virtual ~GdiObject();
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    ObjKind kind;
    int stockIndex = -1;  // GetStockObject index for stock objects (never freed), else -1
    uint64_t serial = 0;  // unique in the process, never reused (trace numbering, restore checks)
    int selectCount = 0;  // device contexts in which the object is currently selected
    bool counted = false; // included in the live object counts
    bool isStock() const { return stockIndex >= 0; }
};

struct Pen : GdiObject {
    Pen() : GdiObject(ObjKind::Pen) {}
    DWORD style = PS_SOLID; // full PS_ flags (type, style, end cap, join)
    DWORD width = 1;        // logical units; 0 means one pixel for cosmetic pens
    LOGBRUSH brush{BS_SOLID, 0, 0};
    bool extended = false; // made by ExtCreatePen: GetObjectA reports an EXTLOGPEN, else a LOGPEN
    std::vector<DWORD> userStyle;
    // Worked out once the pen is made (finishPen): a solid pen that draws one pixel wide in MM_TEXT
    // (the plainest and commonest pen, drawn by LineTo's short path), and its pixel word.
    bool thinSolid = false;
    uint32_t thinPixel = 0;
    int lineStyle() const { return static_cast<int>(style & PS_STYLE_MASK); }
    bool geometric() const { return (style & PS_TYPE_MASK) == PS_GEOMETRIC; }
};

// Sets the derived fields of a pen whose style, width and brush are final.
void finishPen(Pen& pen);

struct Brush : GdiObject {
    Brush() : GdiObject(ObjKind::Brush) {}
    LOGBRUSH lb{BS_SOLID, 0, 0};
};

struct Font : GdiObject {
    Font() : GdiObject(ObjKind::Font) {}
    LOGFONTA lf{};
    // The font engine's font for the LOGFONTA under MM_TEXT (matched faces, metrics), resolved on
    // first use and released with the handle.
    std::shared_ptr<void> engineFont;
};

// A drawing target shared between Cairo and our direct pixel loops. Before direct writes Cairo's
// pending work is flushed; before Cairo draws again it is told the pixels changed.
struct Surface {
    cairo_surface_t* surface = nullptr;
    bool isImage = false; // image surface: pixels reachable; otherwise a vector (PDF) surface
    int width = 0;        // device pixels
    int height = 0;
    bool cairoPending = false; // Cairo drew since the last flush
    bool directDirty = false;  // pixels written directly since Cairo last knew

    Surface() = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface();

    // Direct access to image pixels (0x00RRGGBB words); null for vector surfaces.
    uint32_t* beginDirect() {
        if (cairoPending)
            flushCairo();
        return pixels_ && pixelsOf_ == surface ? pixels_ : findPixels();
    }
    int strideWords() const { return pixelsOf_ == surface && pixels_ ? stride_ : findStride(); }
    // The pixels when they can be written at once (no Cairo drawing waits), else null: then
    // beginDirect. With pixels ready, readyStride() is strideWords().
    uint32_t* readyPixels() const { return !cairoPending && pixelsOf_ == surface ? pixels_ : nullptr; }
    int readyStride() const { return stride_; }
    void endDirect() {
        if (!directDirty)
            directDirty = true;
    }
    void beforeCairo();
    void afterCairo() { cairoPending = true; }

private:
    void flushCairo();
    uint32_t* findPixels();
    int findStride() const;
    // The image's pixels and row stride in words, looked up once (an image surface keeps its pixels
    // where they are).
    uint32_t* pixels_ = nullptr;
    int stride_ = 0;
    const cairo_surface_t* pixelsOf_ = nullptr;
};

struct Dc;

struct Bitmap : GdiObject {
    Bitmap() : GdiObject(ObjKind::Bitmap) {}
    Surface surf;
    Dc* selectedIn = nullptr; // a bitmap is selected in at most one DC (stock: any number)
};

// One line per call, see devices.h for the format.
struct TraceSink {
    std::vector<std::string> lines;
    uint64_t deviceDcSerial = 0;           // the device's own DC, shown as dc#0
    std::unordered_map<uint64_t, int> ids; // object serial -> number shown
    int nextId[5] = {1, 1, 1, 1, 1};       // per ObjKind
    TraceSink();
    ~TraceSink();
    TraceSink(const TraceSink&) = delete;
    TraceSink& operator=(const TraceSink&) = delete;
    bool on() const { return on_; }
    void setOn(bool on); // keeps the count of sinks that are on (anyTracing)

private:
    bool on_ = false;
};

// State that SaveDC saves and RestoreDC restores.
struct DcState {
    Pen* pen = nullptr;
    Brush* brush = nullptr;
    Font* font = nullptr;
    Bitmap* bitmap = nullptr; // memory DCs only
    POINT pos{0, 0};          // current position, logical units
    int mapMode = MM_TEXT;
    int bkMode = OPAQUE;
    COLORREF bkColor = 0xFFFFFF;
    COLORREF textColor = 0x000000;
    UINT textAlign = TA_LEFT | TA_TOP;
    int charExtra = 0;
    int breakExtra = 0; // SetTextJustification
    int breakCount = 0;
    int graphicsMode = GM_COMPATIBLE;
    int polyFillMode = ALTERNATE;
    int arcDirection = AD_COUNTERCLOCKWISE;
};

// A point of a GDI path in device pixels: (x, y) names pixel (x, y); strokes run through pixel
// centres, fills take the points as pixel corners (see gdi_draw.cpp).
struct PathPoint {
    double x, y;
    enum Type : uint8_t { Move, Line, Bezier } type;
    bool closes; // closes its figure after this point
};
using PathPoints = std::vector<PathPoint>;

// What SaveDC keeps: the state record as it was, the serials of its objects (an object deleted since
// is not selected again), and the path. The path is shared with the DC until either changes it
// (copy on write, see editPath), so a save costs the same with or without a path.
struct SavedDcState {
    SavedDcState(const DcState& state, std::shared_ptr<PathPoints> points, bool open, bool ready)
        : st(state), penSerial(state.pen->serial), brushSerial(state.brush->serial),
          fontSerial(state.font->serial), bitmapSerial(state.bitmap ? state.bitmap->serial : 0),
          path(std::move(points)), pathOpen(open), pathReady(ready) {}
    DcState st;
    uint64_t penSerial, brushSerial, fontSerial, bitmapSerial;
    std::shared_ptr<PathPoints> path;
    bool pathOpen;
    bool pathReady;
};

enum class DcKind : uint8_t { Device, Memory, Screen };

struct DeviceCaps {
    int technology = DT_RASDISPLAY;
    int width = 0; // HORZRES, device pixels
    int height = 0;
    int dpiX = 96;
    int dpiY = 96;
    int numColors = -1;
    int bitsPixel = 32;
    double widthMm = 0; // HORZSIZE
    double heightMm = 0;
};

// What a stroke on a vector target depends on besides its path: strokes that agree on all of it can
// share one Cairo stroke.
struct StrokeKey {
    double width = 0;
    int cap = 0;
    int join = 0;
    std::vector<double> dashes;
    LOGBRUSH brush{0, 0, 0};
    bool opaqueGaps = false;
    COLORREF bkColor = 0;
    int bkMode = 0;
    bool operator==(const StrokeKey& o) const {
        return width == o.width && cap == o.cap && join == o.join && dashes == o.dashes &&
               brush.lbStyle == o.brush.lbStyle && brush.lbColor == o.brush.lbColor &&
               brush.lbHatch == o.brush.lbHatch && opaqueGaps == o.opaqueGaps && bkColor == o.bkColor &&
               bkMode == o.bkMode;
    }
};

// Strokes on a vector target gathered into the DC's current Cairo path while their key stays the
// same: a PDF or SVG surface analyses every operation it receives at a cost that grows with their
// number, and a drawing makes its lines one segment at a time. The path is stroked (flushStrokes) as
// soon as anything else draws, at page ends and when the DC lets its Cairo context go, so the order
// of what overlaps is kept; each figure still starts its own dash pattern.
struct StrokeBatch {
    bool open = false;
    int figures = 0;
    StrokeKey key;
};

struct Dc : GdiObject {
    Dc() : GdiObject(ObjKind::Dc) {}
    ~Dc() override;

    // What every line drawn reads comes first, near the current position and pen of st.
    DcKind dcKind = DcKind::Device;
    bool pathOpen = false;            // between BeginPath and EndPath
    bool pathReady = false;           // EndPath done, path waiting for StrokePath/FillPath
    Surface* target = nullptr;        // the device's surface, or the bitmap selected in a memory DC
    std::shared_ptr<TraceSink> trace; // shared by a device's DC and the memory DCs made from it
    DcState st;
    std::shared_ptr<PathPoints> pathPts; // device coordinates; null or shared with saved states
    std::vector<SavedDcState> saved;
    DeviceCaps caps;

    std::unique_ptr<Surface> ownSurface; // screen DCs draw on a surface of their own
    cairo_t* cr = nullptr;               // made on first use for the current target
    double pdfScale = 1.0;               // Cairo user units per device pixel on vector targets (72 / dpi)

    StrokeBatch batch; // strokes waiting on vector targets (see StrokeBatch)

    // Per-DC data of the font engine, freed with the DC by textFree.
    void* textData = nullptr;
    void (*textFree)(void*) = nullptr;
};

// The points of the DC's path (empty when there is none), and the same for changing: made the DC's
// own first when a saved state shares them.
const PathPoints& pathPoints(const Dc& dc);
PathPoints& editPath(Dc& dc);

// ---- Handles ------------------------------------------------------------------------------------

// The live object behind a handle, or null (null handle, deleted, never ours, other kind).
GdiObject* lookupObject(const void* handle);

// What every call asks first, together: the last DC found (LineTo and MoveToEx run millions of times
// on one DC) and the number of traces that are on.
struct HotState {
    const void* lastDcHandle = nullptr;
    Dc* lastDc = nullptr;
    int tracesOn = 0;
};
extern HotState g_hot;

// The DC behind a handle, or null, for calls that fail on a bad DC: they set the last error to
// ERROR_INVALID_HANDLE then.
Dc* lookupDcSlow(HDC hdc);
inline Dc* lookupDc(HDC hdc) {
    return (hdc && hdc == g_hot.lastDcHandle) ? g_hot.lastDc : lookupDcSlow(hdc);
}
// The same without touching the last error (calls that Windows fails silently).
Dc* findDc(HDC hdc);
Pen* lookupPen(const void* h);
Brush* lookupBrush(const void* h);
Font* lookupFont(const void* h);
Bitmap* lookupBitmap(const void* h);
// The LOGFONTA of a font handle, or null.
const LOGFONTA* fontLogFont(HFONT h);

// Registers a new object (gives it a serial; counted ones enter the live counts) and removes one.
void registerObject(GdiObject* obj, bool counted);
void destroyObject(GdiObject* obj); // unregisters and deletes

// Creates a device context for a device or the screen (not counted as a live object unless
// countIt). The surface stays owned by the caller and must outlive the DC.
Dc* createDeviceDc(DcKind kind, const DeviceCaps& caps, Surface* surface, double pdfScale, bool countIt);
void deleteDeviceDc(Dc* dc);

// Selects the device's defaults (stock pen, brush, font) into a fresh DC.
void initDcDefaults(Dc& dc);

// ---- Coordinates --------------------------------------------------------------------------------

// Logical to device coordinates under the DC's mapping mode (MM_TEXT: the identity; the metric and
// English modes scale by the device resolution and turn y upward, origin unchanged).
void toDevice(const Dc& dc, double& x, double& y);
double deviceScaleX(const Dc& dc); // device pixels per logical unit (signed for y)
double deviceScaleY(const Dc& dc);
void toLogical(const Dc& dc, double& x, double& y);

// ---- Cairo --------------------------------------------------------------------------------------

// The DC's Cairo context in device-pixel units, with antialiasing off, ready to draw on the current
// target (null when the DC has no target), in a state of its own. Call cairoDone after drawing.
cairo_t* cairoFor(Dc& dc);
void cairoDone(Dc& dc);
// The same context in its base state (strokes gathered before drawn first), for drawing that
// changes nothing of that state but its source and font. Text leaves its font and colour there
// between calls: a saved state dropped after each call would make Cairo look its scaled font up
// again every time. Call cairoBaseDone after drawing.
cairo_t* cairoBase(Dc& dc);
void cairoBaseDone(Dc& dc);
// Strokes the gathered strokes of a vector target, if any (see StrokeBatch).
void flushStrokes(Dc& dc);
// The colour GDI draws for a COLORREF: a palette index (bit 24 set, PALETTEINDEX) is the entry of the
// default palette named by the low word, entry 0 (black) when there is no such entry; otherwise the
// low 24 bits are the colour (an RGB value, PALETTERGB or anything else in the high byte).
COLORREF paletteColor(unsigned index);
inline COLORREF drawnColor(COLORREF c) {
    return (c & 0x01000000u) ? paletteColor(c & 0xFFFFu) : (c & 0xFFFFFFu);
}

// Sets the source of cr to a COLORREF; useSourceColor keeps a source of that colour already set.
void setSourceColor(cairo_t* cr, COLORREF c);
void useSourceColor(cairo_t* cr, COLORREF c);

// ---- Trace --------------------------------------------------------------------------------------

inline bool anyTracing() {
    return g_hot.tracesOn != 0;
}
inline bool tracing(const Dc* dc) {
    return anyTracing() && dc && dc->trace && dc->trace->on();
}
// Appends "Name(args)" to the DC's trace, with the "dc#N: " prefix for DCs other than dc#0.
void traceDc(const Dc& dc, const std::string& call);
// The same with the line made by makeLine(), out of the caller's way: the calls run millions of times
// with the trace off, and should not carry its string work.
template <typename F>
[[gnu::noinline, gnu::cold]] void traceCall(const Dc& dc, F makeLine) {
    traceDc(dc, makeLine());
}
// Appends a line to every trace that is on (calls without a DC).
void traceAll(const std::string& call);
// Formats of the trace (devices.h). Handles are numbered in the given sink (or in every active sink
// when sink is null, which is why the handle formatter takes the sink).
std::string traceHandle(TraceSink* sink, const void* handle);
std::string traceColor(COLORREF c);
std::string traceString(const char* s, int n);
std::string tracePenStyle(DWORD style);
std::string traceLogBrush(const LOGBRUSH& lb);
std::string traceTextAlign(UINT align);

// For calls without a DC: makes a line per active sink (handles are numbered per sink).
template <typename F>
void traceEach(F&& makeLine);
std::vector<TraceSink*>& activeSinks();

template <typename F>
[[gnu::noinline, gnu::cold]] void traceEach(F&& makeLine) {
    for (TraceSink* s : activeSinks())
        if (s->on())
            s->lines.push_back(makeLine(s));
}

// ---- Stock objects ------------------------------------------------------------------------------

Pen* stockPen(int index);     // WHITE_PEN, BLACK_PEN, NULL_PEN
Brush* stockBrush(int index); // WHITE_BRUSH ... NULL_BRUSH
Font* stockFont(int index);   // SYSTEM_FONT etc.
Bitmap* defaultBitmap();      // the 1 x 1 bitmap of a fresh memory DC

} // namespace detail
} // namespace draft2d
