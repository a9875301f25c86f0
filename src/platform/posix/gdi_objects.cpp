// GDI objects off Windows: the handle registry, stock objects, the call trace and the object calls
// (create, select, query, delete).
#include "platform/posix/gdi_p.h"
#include "platform/devices.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_set>

namespace draft2d {
namespace detail {

namespace {

struct Registry {
    std::unordered_set<const void*> live;
    uint64_t nextSerial = 1;
    GdiObjectCounts counts;
    // One-entry cache of the last DC looked up: LineTo and MoveToEx run millions of times.
    const void* lastDcHandle = nullptr;
    Dc* lastDc = nullptr;
};

Registry& registry() {
    static Registry* r = new Registry; // never destroyed: stock objects live until exit
    return *r;
}

int* countFor(ObjKind k) {
    GdiObjectCounts& c = registry().counts;
    switch (k) {
    case ObjKind::Pen:
        return &c.pens;
    case ObjKind::Brush:
        return &c.brushes;
    case ObjKind::Font:
        return &c.fonts;
    case ObjKind::Bitmap:
        return &c.bitmaps;
    case ObjKind::Dc:
        return &c.dcs;
    }
    return &c.dcs;
}

const void* handleOf(const GdiObject* o) {
    return static_cast<const void*>(o);
}

constexpr int kDefaultBitmapIndex = 1000;

} // namespace

GdiObject::GdiObject(ObjKind k) : kind(k) {}
GdiObject::~GdiObject() = default;

void registerObject(GdiObject* obj, bool counted) {
    Registry& r = registry();
    obj->serial = r.nextSerial++;
    obj->counted = counted;
    r.live.insert(handleOf(obj));
    if (counted)
        ++*countFor(obj->kind);
}

void destroyObject(GdiObject* obj) {
    if (!obj || obj->isStock())
        return;
    Registry& r = registry();
    if (r.live.erase(handleOf(obj)) == 0)
        return;
    if (obj->counted)
        --*countFor(obj->kind);
    if (r.lastDcHandle == handleOf(obj)) {
        r.lastDcHandle = nullptr;
        r.lastDc = nullptr;
    }
    delete obj;
}

GdiObject* lookupObject(const void* handle) {
    if (!handle)
        return nullptr;
    Registry& r = registry();
    if (r.live.count(handle) == 0)
        return nullptr;
    return static_cast<GdiObject*>(const_cast<void*>(handle));
}

Dc* lookupDc(HDC hdc) {
    Registry& r = registry();
    if (hdc && hdc == r.lastDcHandle)
        return r.lastDc;
    GdiObject* o = lookupObject(hdc);
    if (!o || o->kind != ObjKind::Dc)
        return nullptr;
    r.lastDcHandle = hdc;
    r.lastDc = static_cast<Dc*>(o);
    return r.lastDc;
}

template <typename T, ObjKind K>
T* lookupKind(const void* h) {
    GdiObject* o = lookupObject(h);
    return (o && o->kind == K) ? static_cast<T*>(o) : nullptr;
}

Pen* lookupPen(const void* h) {
    return lookupKind<Pen, ObjKind::Pen>(h);
}
Brush* lookupBrush(const void* h) {
    return lookupKind<Brush, ObjKind::Brush>(h);
}
Font* lookupFont(const void* h) {
    return lookupKind<Font, ObjKind::Font>(h);
}
Bitmap* lookupBitmap(const void* h) {
    return lookupKind<Bitmap, ObjKind::Bitmap>(h);
}

const LOGFONTA* fontLogFont(HFONT h) {
    Font* f = lookupFont(h);
    return f ? &f->lf : nullptr;
}

// ---- Stock objects --------------------------------------------------------------------------------

namespace {

LOGFONTA makeLogFont(LONG height, LONG weight, BYTE charset, BYTE pitch, const char* face) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = charset;
    lf.lfPitchAndFamily = pitch;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", face);
    return lf;
}

struct StockSet {
    Brush brushes[6];
    Pen pens[3];
    Font fonts[8]; // indexes 10..17, 15 (DEFAULT_PALETTE) unused
    Bitmap bitmap;
    StockSet() {
        const COLORREF brushColors[5] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
        for (int i = 0; i < 6; ++i) {
            brushes[i].lb = i < 5 ? LOGBRUSH{BS_SOLID, brushColors[i], 0} : LOGBRUSH{BS_NULL, 0, 0};
            brushes[i].stockIndex = i;
            registerObject(&brushes[i], false);
        }
        const COLORREF penColors[3] = {0xFFFFFF, 0x000000, 0x000000};
        for (int i = 0; i < 3; ++i) {
            pens[i].style = i == 2 ? PS_NULL : PS_SOLID;
            pens[i].width = 0;
            pens[i].brush = LOGBRUSH{BS_SOLID, penColors[i], 0};
            pens[i].stockIndex = WHITE_PEN + i;
            registerObject(&pens[i], false);
        }
        fonts[0].lf = makeLogFont(12, FW_NORMAL, OEM_CHARSET, FIXED_PITCH | FF_MODERN, "Terminal");
        fonts[1].lf = makeLogFont(12, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, "Courier");
        fonts[2].lf = makeLogFont(12, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
        fonts[3].lf = makeLogFont(16, FW_BOLD, GB2312_CHARSET, VARIABLE_PITCH | FF_SWISS, "System");
        fonts[4].lf = makeLogFont(16, FW_BOLD, GB2312_CHARSET, VARIABLE_PITCH | FF_SWISS, "System");
        fonts[6].lf = makeLogFont(16, FW_NORMAL, GB2312_CHARSET, FIXED_PITCH | FF_MODERN, "Fixedsys");
        fonts[7].lf = makeLogFont(-12, FW_NORMAL, GB2312_CHARSET, VARIABLE_PITCH | FF_SWISS, "MS Shell Dlg");
        for (int i = 0; i < 8; ++i) {
            if (i == 5)
                continue;
            fonts[i].stockIndex = OEM_FIXED_FONT + i;
            registerObject(&fonts[i], false);
        }
        bitmap.stockIndex = kDefaultBitmapIndex;
        bitmap.surf.surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        bitmap.surf.isImage = true;
        bitmap.surf.width = 1;
        bitmap.surf.height = 1;
        registerObject(&bitmap, false);
    }
};

StockSet& stock() {
    static StockSet* s = new StockSet; // never destroyed
    return *s;
}

} // namespace

Pen* stockPen(int index) {
    return (index >= WHITE_PEN && index <= NULL_PEN) ? &stock().pens[index - WHITE_PEN] : nullptr;
}
Brush* stockBrush(int index) {
    return (index >= WHITE_BRUSH && index <= NULL_BRUSH) ? &stock().brushes[index] : nullptr;
}
Font* stockFont(int index) {
    if (index < OEM_FIXED_FONT || index > DEFAULT_GUI_FONT || index == DEFAULT_PALETTE)
        return nullptr;
    return &stock().fonts[index - OEM_FIXED_FONT];
}
Bitmap* defaultBitmap() {
    return &stock().bitmap;
}

// ---- Trace ----------------------------------------------------------------------------------------

std::vector<TraceSink*>& activeSinks() {
    static std::vector<TraceSink*>* v = new std::vector<TraceSink*>;
    return *v;
}

TraceSink::TraceSink() {
    activeSinks().push_back(this);
}
TraceSink::~TraceSink() {
    auto& v = activeSinks();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

bool anyTracing() {
    for (TraceSink* s : activeSinks())
        if (s->on)
            return true;
    return false;
}

void traceDc(const Dc& dc, const std::string& call) {
    TraceSink* s = dc.trace.get();
    if (!s || !s->on)
        return;
    if (dc.serial == s->deviceDcSerial)
        s->lines.push_back(call);
    else
        s->lines.push_back(traceHandle(s, &dc) + ": " + call);
}

void traceAll(const std::string& call) {
    for (TraceSink* s : activeSinks())
        if (s->on)
            s->lines.push_back(call);
}

namespace {

const char* stockName(int index) {
    static const char* const names[] = {
        "WHITE_BRUSH",     "LTGRAY_BRUSH",      "GRAY_BRUSH",      "DKGRAY_BRUSH", "BLACK_BRUSH",
        "NULL_BRUSH",      "WHITE_PEN",         "BLACK_PEN",       "NULL_PEN",     "9",
        "OEM_FIXED_FONT",  "ANSI_FIXED_FONT",   "ANSI_VAR_FONT",   "SYSTEM_FONT",  "DEVICE_DEFAULT_FONT",
        "DEFAULT_PALETTE", "SYSTEM_FIXED_FONT", "DEFAULT_GUI_FONT"};
    if (index == kDefaultBitmapIndex)
        return "DEFAULT_BITMAP";
    if (index >= 0 && index < static_cast<int>(sizeof names / sizeof names[0]))
        return names[index];
    return "STOCK";
}

} // namespace

std::string traceHandle(TraceSink* sink, const void* handle) {
    if (!handle)
        return "NULL";
    GdiObject* o = lookupObject(handle);
    if (!o)
        return "BAD";
    if (o->isStock())
        return stockName(o->stockIndex);
    if (sink && o->kind == ObjKind::Dc && o->serial == sink->deviceDcSerial)
        return "dc#0";
    static const char* const prefixes[] = {"pen#", "brush#", "font#", "bmp#", "dc#"};
    const int k = static_cast<int>(o->kind);
    int id = 0;
    if (sink) {
        auto it = sink->ids.find(o->serial);
        if (it == sink->ids.end())
            it = sink->ids.emplace(o->serial, sink->nextId[k]++).first;
        id = it->second;
    }
    return prefixes[k] + std::to_string(id);
}

std::string traceColor(COLORREF c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, c > 0xFFFFFF ? "0x%08x" : "0x%06x", static_cast<unsigned>(c));
    return buf;
}

std::string traceString(const char* s, int n) {
    std::string out = "\"";
    for (int i = 0; s && i < n; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string tracePenStyle(DWORD style) {
    static const char* const styles[] = {"PS_SOLID",       "PS_DASH",       "PS_DOT",
                                         "PS_DASHDOT",     "PS_DASHDOTDOT", "PS_NULL",
                                         "PS_INSIDEFRAME", "PS_USERSTYLE",  "PS_ALTERNATE"};
    std::string s;
    if ((style & PS_TYPE_MASK) == PS_GEOMETRIC)
        s = "PS_GEOMETRIC|";
    const DWORD st = style & PS_STYLE_MASK;
    s += st <= 8 ? styles[st] : std::to_string(st);
    switch (style & PS_ENDCAP_MASK) {
    case PS_ENDCAP_SQUARE:
        s += "|PS_ENDCAP_SQUARE";
        break;
    case PS_ENDCAP_FLAT:
        s += "|PS_ENDCAP_FLAT";
        break;
    default:
        break;
    }
    switch (style & PS_JOIN_MASK) {
    case PS_JOIN_BEVEL:
        s += "|PS_JOIN_BEVEL";
        break;
    case PS_JOIN_MITER:
        s += "|PS_JOIN_MITER";
        break;
    default:
        break;
    }
    const DWORD rest = style & ~(PS_TYPE_MASK | PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK);
    if (rest)
        s += "|" + std::to_string(rest);
    return s;
}

std::string traceLogBrush(const LOGBRUSH& lb) {
    static const char* const styles[] = {
        "BS_SOLID",      "BS_NULL",         "BS_HATCHED",    "BS_PATTERN",       "BS_INDEXED",
        "BS_DIBPATTERN", "BS_DIBPATTERNPT", "BS_PATTERN8X8", "BS_DIBPATTERN8X8", "BS_MONOPATTERN"};
    static const char* const hatches[] = {"HS_HORIZONTAL", "HS_VERTICAL", "HS_FDIAGONAL",
                                          "HS_BDIAGONAL",  "HS_CROSS",    "HS_DIAGCROSS"};
    std::string s = "{";
    s += lb.lbStyle <= 9 ? styles[lb.lbStyle] : std::to_string(lb.lbStyle);
    s += "," + traceColor(lb.lbColor) + ",";
    if (lb.lbStyle == BS_HATCHED && lb.lbHatch <= 5)
        s += hatches[lb.lbHatch];
    else
        s += std::to_string(static_cast<unsigned long long>(lb.lbHatch));
    return s + "}";
}

std::string traceTextAlign(UINT align) {
    std::string s;
    switch (align & TA_CENTER) {
    case TA_RIGHT:
        s = "TA_RIGHT";
        break;
    case TA_CENTER:
        s = "TA_CENTER";
        break;
    default:
        s = "TA_LEFT";
        break;
    }
    switch (align & TA_BASELINE) {
    case TA_BOTTOM:
        s += "|TA_BOTTOM";
        break;
    case TA_BASELINE:
        s += "|TA_BASELINE";
        break;
    default:
        s += "|TA_TOP";
        break;
    }
    if (align & TA_UPDATECP)
        s += "|TA_UPDATECP";
    if (align & TA_RTLREADING)
        s += "|TA_RTLREADING";
    const UINT rest = align & ~static_cast<UINT>(TA_MASK);
    if (rest)
        s += "|" + std::to_string(rest);
    return s;
}

} // namespace detail

GdiObjectCounts GetGdiObjectCounts() {
    return detail::registry().counts;
}

int GetSaveDCDepth(HDC hdc) {
    detail::Dc* dc = detail::lookupDc(hdc);
    return dc ? static_cast<int>(dc->saved.size()) : -1;
}

} // namespace draft2d

using namespace draft2d::detail;

namespace {

std::string logFontText(const LOGFONTA& lf) {
    char face[LF_FACESIZE + 1];
    std::memcpy(face, lf.lfFaceName, LF_FACESIZE);
    face[LF_FACESIZE] = '\0';
    return traceString(face, static_cast<int>(std::strlen(face))) + "," + std::to_string(lf.lfHeight) + "," +
           std::to_string(lf.lfWidth) + "," + std::to_string(lf.lfEscapement) + "," +
           std::to_string(lf.lfWeight) + "," + std::to_string(lf.lfItalic) + "," +
           std::to_string(lf.lfCharSet);
}

template <typename T>
T* created(T* obj) {
    registerObject(obj, true);
    return obj;
}

template <typename H>
H asHandle(GdiObject* o) {
    return reinterpret_cast<H>(static_cast<void*>(o));
}

// Records a creation call "Name(args) -> handle" in every active trace.
void traceCreate(const std::string& call, GdiObject* made) {
    traceEach([&](TraceSink* s) { return call + " -> " + traceHandle(s, made); });
}

HBRUSH makeBrush(const LOGBRUSH& lb) {
    auto* b = created(new Brush);
    b->lb = lb;
    if (lb.lbStyle != BS_HATCHED)
        b->lb.lbHatch = 0;
    if (lb.lbStyle == BS_NULL)
        b->lb.lbColor = 0;
    return asHandle<HBRUSH>(b);
}

bool validBrush(const LOGBRUSH& lb) {
    switch (lb.lbStyle) {
    case BS_SOLID:
    case BS_NULL:
        return true;
    case BS_HATCHED:
        return lb.lbHatch <= HS_DIAGCROSS;
    default:
        return false; // pattern and DIB brushes are not part of this subset
    }
}

} // namespace

extern "C" {

HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
    HPEN result = nullptr;
    {
        // As on Windows, an unknown style gives a solid pen.
        auto* p = created(new Pen);
        p->style = static_cast<DWORD>(style >= PS_SOLID && style <= PS_INSIDEFRAME ? style : PS_SOLID);
        p->width = static_cast<DWORD>(width < 0 ? -width : width);
        p->brush = LOGBRUSH{BS_SOLID, color & 0xFFFFFF, 0};
        result = asHandle<HPEN>(p);
    }
    if (anyTracing())
        traceCreate("CreatePen(" + tracePenStyle(static_cast<DWORD>(style)) + "," + std::to_string(width) +
                        "," + traceColor(color) + ")",
                    static_cast<GdiObject*>(static_cast<void*>(result)));
    return result;
}

// The checks are those of Windows: a cosmetic pen is one pixel wide with a solid brush; only a
// user style carries style entries (1 to 16); PS_ALTERNATE is cosmetic only.
HPEN WINAPI ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* lb, DWORD count, const DWORD* entries) {
    HPEN result = nullptr;
    const DWORD lineStyle = style & PS_STYLE_MASK;
    const bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
    bool ok = lb != nullptr && lineStyle <= PS_ALTERNATE && (style & PS_TYPE_MASK) <= PS_GEOMETRIC &&
              (style & PS_ENDCAP_MASK) <= PS_ENDCAP_FLAT && (style & PS_JOIN_MASK) <= PS_JOIN_MITER &&
              (style & ~(PS_TYPE_MASK | PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK)) == 0;
    if (ok && lineStyle == PS_USERSTYLE) {
        ok = count >= 1 && count <= 16 && entries != nullptr;
        if (ok && geometric) { // a geometric style needs some length
            DWORD total = 0;
            for (DWORD i = 0; i < count; ++i)
                total |= entries[i];
            ok = total != 0;
        }
    } else if (ok) {
        ok = count == 0 && entries == nullptr;
    }
    if (ok && !geometric && lineStyle != PS_NULL)
        ok = width == 1 && lb->lbStyle == BS_SOLID;
    if (ok && geometric)
        ok = lineStyle != PS_ALTERNATE && validBrush(*lb);
    if (ok && (lineStyle == PS_NULL || (geometric && lb->lbStyle == BS_NULL))) {
        // Windows answers a pen that draws nothing with a plain null pen.
        auto* p = created(new Pen);
        p->style = PS_NULL;
        p->width = 0;
        p->brush = LOGBRUSH{BS_SOLID, lb->lbColor & 0xFFFFFF, 0};
        result = asHandle<HPEN>(p);
    } else if (ok) {
        auto* p = created(new Pen);
        p->style = style;
        p->width = width;
        p->brush = *lb;
        if (p->brush.lbStyle != BS_HATCHED)
            p->brush.lbHatch = 0;
        p->extended = true;
        if (lineStyle == PS_USERSTYLE)
            p->userStyle.assign(entries, entries + count);
        result = asHandle<HPEN>(p);
    }
    if (anyTracing()) {
        std::string call = "ExtCreatePen(" + tracePenStyle(style) + "," + std::to_string(width) + "," +
                           (lb ? traceLogBrush(*lb) : std::string("NULL"));
        if (count || entries) {
            call += "," + std::to_string(count);
            for (DWORD i = 0; entries && i < count && i < 16; ++i)
                call += (i ? " " : ",[") + std::to_string(entries[i]) + (i + 1 == count ? "]" : "");
        }
        traceCreate(call + ")", static_cast<GdiObject*>(static_cast<void*>(result)));
    }
    return result;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    HBRUSH b = makeBrush(LOGBRUSH{BS_SOLID, color, 0});
    if (anyTracing())
        traceCreate("CreateSolidBrush(" + traceColor(color) + ")",
                    static_cast<GdiObject*>(static_cast<void*>(b)));
    return b;
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* lb) {
    HBRUSH b = (lb && validBrush(*lb)) ? makeBrush(*lb) : nullptr;
    if (anyTracing())
        traceCreate("CreateBrushIndirect(" + (lb ? traceLogBrush(*lb) : std::string("NULL")) + ")",
                    static_cast<GdiObject*>(static_cast<void*>(b)));
    return b;
}

HBRUSH WINAPI CreateHatchBrush(int hatch, COLORREF color) {
    HBRUSH b = (hatch >= HS_HORIZONTAL && hatch <= HS_DIAGCROSS)
                   ? makeBrush(LOGBRUSH{BS_HATCHED, color, static_cast<ULONG_PTR>(hatch)})
                   : nullptr;
    if (anyTracing()) {
        LOGBRUSH lb{BS_HATCHED, color, static_cast<ULONG_PTR>(hatch)};
        std::string h = traceLogBrush(lb);
        h = h.substr(h.rfind(',') + 1);
        h.pop_back();
        traceCreate("CreateHatchBrush(" + h + "," + traceColor(color) + ")",
                    static_cast<GdiObject*>(static_cast<void*>(b)));
    }
    return b;
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lf) {
    HFONT result = nullptr;
    if (lf) {
        auto* f = created(new Font);
        f->lf = *lf;
        f->lf.lfFaceName[LF_FACESIZE - 1] = '\0';
        result = asHandle<HFONT>(f);
    }
    if (anyTracing())
        traceCreate("CreateFontIndirectA(" + (lf ? logFontText(*lf) : std::string("NULL")) + ")",
                    static_cast<GdiObject*>(static_cast<void*>(result)));
    return result;
}

HGDIOBJ WINAPI GetStockObject(int i) {
    GdiObject* o = stockBrush(i);
    if (!o)
        o = stockPen(i);
    if (!o)
        o = stockFont(i);
    if (anyTracing())
        traceAll("GetStockObject(" + (o ? traceHandle(nullptr, o) : std::to_string(i)) + ")");
    return o;
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
    Dc* dc = lookupDc(hdc);
    GdiObject* o = nullptr;
    if (dc) {
        switch (type) {
        case OBJ_PEN:
        case OBJ_EXTPEN:
            o = dc->st.pen;
            break;
        case OBJ_BRUSH:
            o = dc->st.brush;
            break;
        case OBJ_FONT:
            o = dc->st.font;
            break;
        case OBJ_BITMAP:
            o = dc->st.bitmap ? static_cast<GdiObject*>(dc->st.bitmap) : defaultBitmap();
            break;
        default:
            break;
        }
    }
    if (tracing(dc)) {
        static const char* const names[] = {"0", "OBJ_PEN", "OBJ_BRUSH", "3",
                                            "4", "OBJ_PAL", "OBJ_FONT",  "OBJ_BITMAP"};
        traceDc(*dc, std::string("GetCurrentObject(") +
                         (type <= 7 ? names[type] : std::to_string(type).c_str()) + ")");
    }
    return o;
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
    GdiObject* o = lookupObject(h);
    if (anyTracing())
        traceEach(
            [&](TraceSink* s) { return "GetObjectA(" + traceHandle(s, h) + "," + std::to_string(c) + ")"; });
    if (!o || c < 0)
        return 0;
    const auto size = static_cast<size_t>(c);
    switch (o->kind) {
    case ObjKind::Pen: {
        auto* p = static_cast<Pen*>(o);
        if (!p->extended) {
            if (!pv)
                return sizeof(LOGPEN);
            if (size < sizeof(LOGPEN))
                return 0;
            LOGPEN lp{p->style, POINT{static_cast<LONG>(p->width), 0}, p->brush.lbColor};
            std::memcpy(pv, &lp, sizeof lp);
            return sizeof(LOGPEN);
        }
        const size_t need = offsetof(EXTLOGPEN, elpStyleEntry) + p->userStyle.size() * sizeof(DWORD);
        if (!pv)
            return static_cast<int>(need);
        if (size < need)
            return 0;
        EXTLOGPEN head{};
        head.elpPenStyle = p->style;
        head.elpWidth = p->width;
        head.elpBrushStyle = p->brush.lbStyle;
        head.elpColor = p->brush.lbColor;
        head.elpHatch = p->brush.lbHatch;
        head.elpNumEntries = static_cast<DWORD>(p->userStyle.size());
        std::memcpy(pv, &head, offsetof(EXTLOGPEN, elpStyleEntry));
        if (!p->userStyle.empty())
            std::memcpy(static_cast<char*>(pv) + offsetof(EXTLOGPEN, elpStyleEntry), p->userStyle.data(),
                        p->userStyle.size() * sizeof(DWORD));
        return static_cast<int>(need);
    }
    case ObjKind::Brush: {
        if (!pv)
            return sizeof(LOGBRUSH);
        const size_t n = std::min(size, sizeof(LOGBRUSH));
        std::memcpy(pv, &static_cast<Brush*>(o)->lb, n);
        return static_cast<int>(n);
    }
    case ObjKind::Font: {
        if (!pv)
            return sizeof(LOGFONTA);
        const size_t n = std::min(size, sizeof(LOGFONTA));
        std::memcpy(pv, &static_cast<Font*>(o)->lf, n);
        return static_cast<int>(n);
    }
    case ObjKind::Bitmap: {
        if (!pv)
            return sizeof(BITMAP);
        if (size < sizeof(BITMAP))
            return 0;
        auto* b = static_cast<Bitmap*>(o);
        BITMAP bm{};
        bm.bmType = 0;
        bm.bmWidth = b->surf.width;
        bm.bmHeight = b->surf.height;
        bm.bmWidthBytes = b->surf.width * 4;
        bm.bmPlanes = 1;
        bm.bmBitsPixel = 32;
        bm.bmBits = nullptr;
        std::memcpy(pv, &bm, sizeof bm);
        return sizeof(BITMAP);
    }
    case ObjKind::Dc:
        return 0;
    }
    return 0;
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
    GdiObject* o = lookupObject(h);
    if (!o)
        return 0;
    switch (o->kind) {
    case ObjKind::Pen:
        return static_cast<Pen*>(o)->extended ? OBJ_EXTPEN : OBJ_PEN;
    case ObjKind::Brush:
        return OBJ_BRUSH;
    case ObjKind::Font:
        return OBJ_FONT;
    case ObjKind::Bitmap:
        return OBJ_BITMAP;
    case ObjKind::Dc:
        return static_cast<Dc*>(o)->dcKind == DcKind::Memory ? OBJ_MEMDC : OBJ_DC;
    }
    return 0;
}

BOOL WINAPI DeleteObject(HGDIOBJ h) {
    GdiObject* o = lookupObject(h);
    if (anyTracing())
        traceEach([&](TraceSink* s) { return "DeleteObject(" + traceHandle(s, h) + ")"; });
    if (!o || o->kind == ObjKind::Dc)
        return FALSE;
    if (o->isStock())
        return TRUE; // stock objects are never freed
    if (o->selectCount > 0)
        return FALSE; // still selected into a device context
    destroyObject(o);
    return TRUE;
}

} // extern "C"
