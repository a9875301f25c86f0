// GDI objects off Windows: the handle registry, stock objects, the call trace and the object calls
// (create, select, query, delete).
#include "platform/posix/gdi_p.h"
#include "platform/posix/raster_p.h"
#include "platform/devices.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace draft2d {
namespace detail {

HotState g_hot;

namespace {

// The live handles: a set of pointers with open addressing (linear probing in a power-of-two table,
// Fibonacci hashing, removed entries marked until the table is rebuilt), asked on every call that
// takes a handle.
class HandleSet {
public:
    bool contains(const void* p) const {
        const auto key = reinterpret_cast<uintptr_t>(p);
        if (key <= kRemoved)
            return false;
        for (size_t i = slot(key);; i = (i + 1) & mask_) {
            if (table_[i] == key)
                return true;
            if (table_[i] == kEmpty)
                return false;
        }
    }

    void insert(const void* p) {
        const auto key = reinterpret_cast<uintptr_t>(p);
        if ((used_ + 1) * 4 > table_.size() * 3)
            rebuild(live_ * 2 + 2 > table_.size() / 2 ? table_.size() * 2 : table_.size());
        size_t i = slot(key);
        while (table_[i] != kEmpty && table_[i] != kRemoved)
            i = (i + 1) & mask_;
        if (table_[i] == kEmpty)
            ++used_;
        table_[i] = key;
        ++live_;
    }

    bool erase(const void* p) {
        const auto key = reinterpret_cast<uintptr_t>(p);
        if (key <= kRemoved)
            return false;
        for (size_t i = slot(key);; i = (i + 1) & mask_) {
            if (table_[i] == key) {
                table_[i] = kRemoved;
                --live_;
                return true;
            }
            if (table_[i] == kEmpty)
                return false;
        }
    }

private:
    static constexpr uintptr_t kEmpty = 0, kRemoved = 1; // never object addresses

    size_t slot(uintptr_t key) const {
        return static_cast<size_t>((static_cast<uint64_t>(key) * 0x9E3779B97F4A7C15ull) >> shift_);
    }

    void rebuild(size_t size) {
        std::vector<uintptr_t> old(size, kEmpty);
        old.swap(table_);
        mask_ = size - 1;
        shift_ = 64;
        for (size_t s = size; s > 1; s >>= 1)
            --shift_;
        used_ = live_ = 0;
        for (uintptr_t key : old)
            if (key > kRemoved)
                insert(reinterpret_cast<const void*>(key));
    }

    std::vector<uintptr_t> table_ = std::vector<uintptr_t>(256, kEmpty);
    size_t mask_ = 255;
    int shift_ = 56;
    size_t used_ = 0; // live and removed entries
    size_t live_ = 0;
};

struct Registry {
    HandleSet live;
    uint64_t nextSerial = 1;
    GdiObjectCounts counts;
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

namespace {

// Font objects deleted lately, kept with the engine font their LOGFONTA realised. A drawing call
// makes its fonts and deletes them again every time, so a new font is most often one of these: it
// gets the kept object back, and with it the realised font, without an allocation or a lookup.
// Only objects are kept, never handles: a kept object is no live object and its handle is invalid
// until CreateFontIndirectA hands it out again (as Windows too hands out the handles of deleted
// objects again).
struct FontPool {
    static constexpr int kSize = 8;
    Font* kept[kSize] = {};
    int count = 0;
};

FontPool& fontPool() {
    static FontPool* pool = new FontPool; // never destroyed, like the registry
    return *pool;
}

bool sameLogFont(const LOGFONTA& a, const LOGFONTA& b) {
    return std::memcmp(&a, &b, offsetof(LOGFONTA, lfFaceName)) == 0 &&
           std::strncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

// A font object for lf (its face name ended within LF_FACESIZE): a kept one of the same LOGFONTA with
// its realised font, else any kept one emptied, else a new one.
Font* fontFor(const LOGFONTA& lf) {
    FontPool& pool = fontPool();
    Font* f = nullptr;
    for (int i = pool.count - 1; i >= 0 && !f; --i)
        if (sameLogFont(pool.kept[i]->lf, lf)) {
            f = pool.kept[i];
            pool.kept[i] = pool.kept[--pool.count];
        }
    if (!f && pool.count > 0) {
        f = pool.kept[--pool.count];
        f->engineFont.reset();
    }
    if (!f)
        f = new Font;
    f->lf = lf;
    return f;
}

// Keeps a deleted font object for fontFor, or frees it when enough are kept.
void releaseFont(Font* f) {
    FontPool& pool = fontPool();
    if (pool.count == FontPool::kSize) {
        delete f;
        return;
    }
    f->selectCount = 0;
    f->serial = 0;
    pool.kept[pool.count++] = f;
}

} // namespace

void destroyObject(GdiObject* obj) {
    if (!obj || obj->isStock())
        return;
    Registry& r = registry();
    if (!r.live.erase(handleOf(obj)))
        return;
    if (obj->counted)
        --*countFor(obj->kind);
    if (g_hot.lastDcHandle == handleOf(obj)) {
        g_hot.lastDcHandle = nullptr;
        g_hot.lastDc = nullptr;
    }
    if (obj->kind == ObjKind::Font)
        releaseFont(static_cast<Font*>(obj));
    else
        delete obj;
}

GdiObject* lookupObject(const void* handle) {
    if (!handle)
        return nullptr;
    if (!registry().live.contains(handle))
        return nullptr;
    return static_cast<GdiObject*>(const_cast<void*>(handle));
}

Dc* findDc(HDC hdc) {
    if (hdc && hdc == g_hot.lastDcHandle)
        return g_hot.lastDc;
    GdiObject* o = lookupObject(hdc);
    if (!o || o->kind != ObjKind::Dc)
        return nullptr;
    g_hot.lastDcHandle = hdc;
    g_hot.lastDc = static_cast<Dc*>(o);
    return g_hot.lastDc;
}

Dc* lookupDcSlow(HDC hdc) {
    Dc* dc = findDc(hdc);
    if (!dc)
        SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

void finishPen(Pen& p) {
    p.thinSolid = p.lineStyle() == PS_SOLID && p.brush.lbStyle == BS_SOLID &&
                  (p.extended ? !p.geometric() : p.width <= 1);
    p.thinPixel = pixelOf(p.brush.lbColor);
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
        // The white and black pens are cosmetic (width 0); the null pen reads back as width 1.
        const COLORREF penColors[3] = {0xFFFFFF, 0x000000, 0x000000};
        for (int i = 0; i < 3; ++i) {
            pens[i].style = i == 2 ? PS_NULL : PS_SOLID;
            pens[i].width = i == 2 ? 1 : 0;
            pens[i].brush = LOGBRUSH{BS_SOLID, penColors[i], 0};
            pens[i].stockIndex = WHITE_PEN + i;
            finishPen(pens[i]);
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
    setOn(false);
    auto& v = activeSinks();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void TraceSink::setOn(bool on) {
    if (on != on_)
        g_hot.tracesOn += on ? 1 : -1;
    on_ = on;
}

void traceDc(const Dc& dc, const std::string& call) {
    TraceSink* s = dc.trace.get();
    if (!s || !s->on())
        return;
    if (dc.serial == s->deviceDcSerial)
        s->lines.push_back(call);
    else
        s->lines.push_back(traceHandle(s, &dc) + ": " + call);
}

void traceAll(const std::string& call) {
    for (TraceSink* s : activeSinks())
        if (s->on())
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

// Windows' rules for pens: a pen that draws nothing (style PS_NULL, or a geometric pen with a hollow
// brush) is the stock NULL_PEN, so it needs no DeleteObject; other pens keep what they were given
// (the whole colour, the brush's hatch whatever its style) except a negative width, which counts by
// its magnitude.
HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
    HPEN result = nullptr;
    if (style == PS_NULL) {
        result = asHandle<HPEN>(stockPen(NULL_PEN));
    } else {
        // As on Windows, an unknown style gives a solid pen.
        auto* p = created(new Pen);
        p->style = static_cast<DWORD>(style >= PS_SOLID && style <= PS_INSIDEFRAME ? style : PS_SOLID);
        p->width = width < 0 ? 0u - static_cast<DWORD>(width) : static_cast<DWORD>(width);
        p->brush = LOGBRUSH{BS_SOLID, color, 0};
        finishPen(*p);
        result = asHandle<HPEN>(p);
    }
    if (anyTracing())
        traceCreate("CreatePen(" + tracePenStyle(static_cast<DWORD>(style)) + "," + std::to_string(width) +
                        "," + traceColor(color) + ")",
                    static_cast<GdiObject*>(static_cast<void*>(result)));
    return result;
}

namespace {

// The checks of Windows: a cosmetic pen is one pixel wide with a solid brush and no PS_INSIDEFRAME;
// only a user style carries style entries (1 to 16, none of them negative as a signed number, and a
// geometric one not all zero); PS_ALTERNATE is cosmetic only.
bool validExtPen(DWORD style, DWORD width, const LOGBRUSH* lb, DWORD count, const DWORD* entries) {
    const DWORD lineStyle = style & PS_STYLE_MASK;
    const bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
    if (lb == nullptr || lineStyle > PS_ALTERNATE || (style & PS_TYPE_MASK) > PS_GEOMETRIC ||
        (style & PS_ENDCAP_MASK) > PS_ENDCAP_FLAT || (style & PS_JOIN_MASK) > PS_JOIN_MITER ||
        (style & ~(PS_TYPE_MASK | PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK)) != 0)
        return false;
    if (lineStyle == PS_USERSTYLE) {
        if (count < 1 || count > 16 || entries == nullptr)
            return false;
        DWORD any = 0;
        for (DWORD i = 0; i < count; ++i) {
            if (entries[i] & 0x80000000u)
                return false;
            any |= entries[i];
        }
        if (geometric && any == 0)
            return false;
    } else if (count != 0 || entries != nullptr) {
        return false;
    }
    if (lineStyle == PS_NULL)
        return true;
    if (!geometric)
        return width == 1 && lb->lbStyle == BS_SOLID && lineStyle != PS_INSIDEFRAME;
    return lineStyle != PS_ALTERNATE && validBrush(*lb);
}

} // namespace

HPEN WINAPI ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* lb, DWORD count, const DWORD* entries) {
    HPEN result = nullptr;
    const bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
    if (!validExtPen(style, width, lb, count, entries)) {
        SetLastError(ERROR_INVALID_PARAMETER);
    } else if ((style & PS_STYLE_MASK) == PS_NULL || (geometric && lb->lbStyle == BS_NULL)) {
        result = asHandle<HPEN>(stockPen(NULL_PEN));
    } else {
        auto* p = created(new Pen);
        p->style = style;
        p->width = geometric && (width & 0x80000000u) ? 0u - width : width;
        p->brush = *lb;
        p->extended = true;
        if ((style & PS_STYLE_MASK) == PS_USERSTYLE)
            p->userStyle.assign(entries, entries + count);
        finishPen(*p);
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

// A hollow brush is the stock NULL_BRUSH, as on Windows.
HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* lb) {
    HBRUSH b = nullptr;
    if (lb && lb->lbStyle == BS_NULL)
        b = asHandle<HBRUSH>(stockBrush(NULL_BRUSH));
    else if (lb && validBrush(*lb))
        b = makeBrush(*lb);
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
        LOGFONTA copy = *lf;
        copy.lfFaceName[LF_FACESIZE - 1] = '\0';
        result = asHandle<HFONT>(created(fontFor(copy)));
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
    Dc* dc = findDc(hdc); // Windows answers a bad DC with null and no error
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
        traceCall(*dc, [&] {
            return std::string("GetCurrentObject(") +
                   (type <= 7 ? names[type] : std::to_string(type).c_str()) + ")";
        });
    }
    return o;
}

// The record of an object, as Windows gives it for each buffer size: pens made by CreatePen (and
// the stock pens) a LOGPEN when the buffer holds one; pens made by ExtCreatePen an EXTLOGPEN with
// their style entries when the buffer holds all of it, else nothing; a null pen offered exactly an
// EXTLOGPEN's size fills an EXTLOGPEN (width 0). Brushes and fonts fill as much of their record as
// the buffer holds. A buffer in the first 64 KiB of the address space is never a buffer (a count and
// a pointer swapped look like that): nothing is written.
int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
    GdiObject* o = lookupObject(h);
    if (anyTracing())
        traceEach(
            [&](TraceSink* s) { return "GetObjectA(" + traceHandle(s, h) + "," + std::to_string(c) + ")"; });
    if (!o || c < 0)
        return 0;
    if (pv && reinterpret_cast<uintptr_t>(pv) < 0x10000) {
        SetLastError(ERROR_NOACCESS);
        return 0;
    }
    const auto size = static_cast<size_t>(c);
    switch (o->kind) {
    case ObjKind::Pen: {
        auto* p = static_cast<Pen*>(o);
        if (!p->extended) {
            if (!pv)
                return sizeof(LOGPEN);
            if (size < sizeof(LOGPEN))
                return 0;
            if (p->lineStyle() == PS_NULL && size == sizeof(EXTLOGPEN)) {
                EXTLOGPEN elp{};
                elp.elpPenStyle = p->style;
                elp.elpBrushStyle = BS_SOLID;
                elp.elpColor = p->brush.lbColor;
                std::memcpy(pv, &elp, sizeof elp);
                return sizeof(EXTLOGPEN);
            }
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
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
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
