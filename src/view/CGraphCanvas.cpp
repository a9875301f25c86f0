// CGraphCanvas: scoped pens, brushes and fonts on a device context.
#include "view/CGraphCanvas.h"

#include <cstddef>
#include <cstdint>

#include "view/CGraphSystem.h"

namespace {

// Pen styles kept as requested; anything else becomes the geometric solid pen with flat ends and mitred
// joins.
const DWORD kGeometricSolid = PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_MITER | PS_SOLID; // 0x12200

DWORD MapPenStyle(int style) {
    if (style == PS_DASH || style == PS_DOT)
        return static_cast<DWORD>(style);
    return kGeometricSolid;
}

int AbsWidth(int w) {
    if (w == INT32_MIN)
        return INT32_MAX;
    return w < 0 ? -w : w;
}

bool IsNullStyle(int style) {
    return (style & PS_STYLE_MASK) == PS_NULL;
}

} // namespace

CGraphCanvas::CGraphCanvas(CGraphSystem* system_, HDC hdc_, int setDefaults)
    : system(nullptr), hdc(nullptr), savedDC(0), origPen(nullptr), origBrush(nullptr), origFont(nullptr),
      hasLineType(false), savedLineScale(1.0), savedLineTypeObject(nullptr) {
    if (system_ != nullptr || hdc_ != nullptr)
        Attach(system_, hdc_, setDefaults);
}

CGraphCanvas::CGraphCanvas(const CGraphCanvas& other)
    : system(other.system), hdc(other.hdc), savedDC(other.savedDC), origPen(other.origPen),
      origBrush(other.origBrush), origFont(other.origFont), hasLineType(other.hasLineType),
      savedLineType(other.savedLineType), savedLineScale(other.savedLineScale),
      savedLineTypeObject(other.savedLineTypeObject) {
    TakeOwned(other);
}

CGraphCanvas& CGraphCanvas::operator=(const CGraphCanvas& other) {
    if (&other == this)
        return *this;
    // The target's own scope ends first, so nothing it selected or saved is left behind.
    Detach();
    system = other.system;
    hdc = other.hdc;
    savedDC = other.savedDC;
    origPen = other.origPen;
    origBrush = other.origBrush;
    origFont = other.origFont;
    hasLineType = other.hasLineType;
    savedLineType = other.savedLineType;
    savedLineScale = other.savedLineScale;
    savedLineTypeObject = other.savedLineTypeObject;
    TakeOwned(other);
    return *this;
}

// The objects the original selected last pass to the copy, so that exactly one of the two deletes
// each of them, whichever replaces or releases it.
void CGraphCanvas::TakeOwned(const CGraphCanvas& other) {
    ownedPen = other.ownedPen;
    ownedBrush = other.ownedBrush;
    ownedFont = other.ownedFont;
    other.ownedPen = other.ownedBrush = other.ownedFont = nullptr;
}

CGraphCanvas::~CGraphCanvas() {
    Detach();
}

// ---------------------------------------------------------------------------------------------
// Attachment

void CGraphCanvas::Attach(CGraphSystem* system_, HDC hdc_, int setDefaults) {
    if (hdc != nullptr)
        Detach();
    if (hdc_ == nullptr && system_ != nullptr)
        hdc_ = system_->GetDrawDC();
    if (hdc_ == nullptr)
        return; // nothing to work on: stay detached
    system = system_;
    hdc = hdc_;
    if (system != nullptr) {
        const char* name = system->GetLineType();
        hasLineType = name != nullptr;
        savedLineType = hasLineType ? name : "";
        savedLineScale = system->GetLineScale();
        savedLineTypeObject = system->CurrentLineType();
    }
    if (setDefaults != 0) {
        const int pen = ::GetBkColor(hdc) == 0 ? WHITE_PEN : BLACK_PEN;
        origPen = static_cast<HPEN>(::SelectObject(hdc, ::GetStockObject(pen)));
        origBrush = static_cast<HBRUSH>(::SelectObject(hdc, ::GetStockObject(NULL_BRUSH)));
    } else {
        origPen = static_cast<HPEN>(::GetCurrentObject(hdc, OBJ_PEN));
        origBrush = static_cast<HBRUSH>(::GetCurrentObject(hdc, OBJ_BRUSH));
    }
    origFont = static_cast<HFONT>(::GetCurrentObject(hdc, OBJ_FONT));
    savedDC = ::SaveDC(hdc);
}

void CGraphCanvas::AttachNotChangeDC(CGraphSystem* system_, HDC hdc_) {
    Attach(system_, hdc_, 0);
}

HGDIOBJ& CGraphCanvas::Owned(int objType) {
    return objType == OBJ_PEN ? ownedPen : objType == OBJ_BRUSH ? ownedBrush : ownedFont;
}

void CGraphCanvas::Restore(HGDIOBJ remembered, int objType) {
    HGDIOBJ& owned = Owned(objType);
    HGDIOBJ cur = nullptr;
    if (remembered != nullptr) {
        cur = ::GetCurrentObject(hdc, static_cast<UINT>(objType));
        if (cur != remembered) {
            HGDIOBJ replaced = ::SelectObject(hdc, remembered);
            if (replaced != nullptr && replaced != remembered)
                ::DeleteObject(replaced);
        }
    }
    // The canvas's own object that something else (a nested canvas restoring its saved state) took
    // out of the DC: no selection replaces it any more, so it is deleted here.
    if (owned != nullptr && owned != cur && owned != remembered)
        ::DeleteObject(owned);
    owned = nullptr;
}

void CGraphCanvas::Detach() {
    if (hdc == nullptr)
        return;
    if (system != nullptr) {
        system->RestoreLineType(savedLineTypeObject, hasLineType ? savedLineType.c_str() : nullptr,
                                savedLineScale);
        system = nullptr;
    }
    hasLineType = false;
    savedLineTypeObject = nullptr;
    savedLineType.clear();
    savedLineScale = 1.0;
    Restore(origPen, OBJ_PEN);
    Restore(origBrush, OBJ_BRUSH);
    Restore(origFont, OBJ_FONT);
    if (savedDC != 0)
        ::RestoreDC(hdc, savedDC);
    hdc = nullptr;
    savedDC = 0;
    origPen = nullptr;
    origBrush = nullptr;
    origFont = nullptr;
}

void CGraphCanvas::SelectReplacing(HGDIOBJ obj, HGDIOBJ remembered, int objType) {
    // A detached canvas cannot select it, so the object handed over is deleted as well.
    HGDIOBJ replaced = hdc != nullptr ? ::SelectObject(hdc, obj) : nullptr;
    if (replaced == nullptr) {
        ::DeleteObject(obj);
        return;
    }
    if (replaced != remembered && replaced != obj)
        ::DeleteObject(replaced);
    // An earlier object of the canvas that something else took out of the DC (see Restore) goes too.
    HGDIOBJ& owned = Owned(objType);
    if (owned != nullptr && owned != replaced && owned != obj && owned != remembered)
        ::DeleteObject(owned);
    owned = obj != remembered ? obj : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Pens

HPEN CGraphCanvas::GetCurPen() {
    return hdc != nullptr ? static_cast<HPEN>(::GetCurrentObject(hdc, OBJ_PEN)) : nullptr;
}

HBRUSH CGraphCanvas::GetCurBrush() {
    return hdc != nullptr ? static_cast<HBRUSH>(::GetCurrentObject(hdc, OBJ_BRUSH)) : nullptr;
}

HFONT CGraphCanvas::GetCurFont() {
    return hdc != nullptr ? static_cast<HFONT>(::GetCurrentObject(hdc, OBJ_FONT)) : nullptr;
}

bool CGraphCanvas::ReadPen(PenInfo& info) {
    info.style = 0;
    info.width = 0;
    info.colour = 0;
    HPEN pen = GetCurPen();
    if (pen == nullptr)
        return false;
    // Pens made by ExtCreatePen describe themselves as EXTLOGPEN, the others (stock pens, CreatePen) as
    // LOGPEN.
    union {
        EXTLOGPEN ext;
        LOGPEN log;
    } buf;
    const int n = ::GetObjectA(pen, sizeof(buf.ext), &buf);
    if (n == static_cast<int>(sizeof(LOGPEN))) {
        info.style = static_cast<int>(buf.log.lopnStyle);
        info.width = buf.log.lopnWidth.x;
        info.colour = buf.log.lopnColor;
        return true;
    }
    if (n >= static_cast<int>(offsetof(EXTLOGPEN, elpHatch))) {
        info.style = static_cast<int>(buf.ext.elpPenStyle);
        info.width = static_cast<int>(buf.ext.elpWidth);
        info.colour = buf.ext.elpColor;
        return true;
    }
    return false;
}

int CGraphCanvas::GetPenStyle() {
    PenInfo p;
    ReadPen(p);
    return p.style;
}

int CGraphCanvas::GetPenWidth() {
    PenInfo p;
    ReadPen(p);
    return p.width;
}

unsigned long CGraphCanvas::GetPenColor() {
    PenInfo p;
    ReadPen(p);
    return p.colour;
}

int CGraphCanvas::MakePen(int style, int width, COLORREF colour) {
    LOGBRUSH brush;
    brush.lbStyle = BS_SOLID;
    brush.lbColor = colour;
    brush.lbHatch = 0;
    const DWORD mapped = MapPenStyle(style);
    // Dashed and dotted pens are cosmetic, and GDI makes cosmetic pens one pixel wide only: any other
    // width would make the pen fail.
    if (mapped != kGeometricSolid)
        width = 1;
    HPEN pen = ::ExtCreatePen(mapped, static_cast<DWORD>(width), &brush, 0, nullptr);
    if (pen == nullptr)
        return 0;
    SelectReplacing(pen, origPen, OBJ_PEN);
    return 1;
}

int CGraphCanvas::SetPenStyle(int style) {
    if (hdc == nullptr)
        return 0;
    PenInfo cur;
    ReadPen(cur);
    if (style == cur.style)
        return 1;
    return MakePen(style, cur.width, cur.colour);
}

int CGraphCanvas::SetPenWidth(int width) {
    if (hdc == nullptr)
        return 0;
    width = system != nullptr ? system->CalcLineWidth(width) : AbsWidth(width);
    if (width == 0)
        width = 1;
    PenInfo cur;
    ReadPen(cur);
    if (IsNullStyle(cur.style))
        cur.style = PS_SOLID;
    else if (width == cur.width)
        return 1;
    return MakePen(cur.style, width, cur.colour);
}

int CGraphCanvas::SetPenColor(unsigned long colour) {
    if (hdc == nullptr)
        return 0;
    COLORREF c = static_cast<COLORREF>(system != nullptr ? system->CalcDrawColor(colour) : colour);
    PenInfo cur;
    ReadPen(cur);
    if (IsNullStyle(cur.style))
        cur.style = PS_SOLID;
    else if (c == cur.colour)
        return 1;
    return MakePen(cur.style, cur.width, c);
}

int CGraphCanvas::SetPen(int width, unsigned long colour, int style) {
    if (hdc == nullptr)
        return 0;
    COLORREF c = static_cast<COLORREF>(colour);
    if (system != nullptr) {
        width = system->CalcLineWidth(width);
        c = static_cast<COLORREF>(system->CalcDrawColor(colour));
    } else {
        width = AbsWidth(width);
    }
    if (width == 0)
        width = 1;
    PenInfo cur;
    ReadPen(cur);
    if (c == cur.colour && style == cur.style && width == cur.width)
        return 1;
    return MakePen(style, width, c);
}

void CGraphCanvas::SetPen(HPEN pen) {
    if (pen != nullptr)
        SelectReplacing(pen, origPen, OBJ_PEN);
}

// ---------------------------------------------------------------------------------------------
// Brushes and fonts

int CGraphCanvas::GetBrushStyle() {
    HBRUSH brush = GetCurBrush();
    LOGBRUSH lb = {};
    if (brush == nullptr || ::GetObjectA(brush, sizeof(lb), &lb) == 0)
        return 0;
    return static_cast<int>(lb.lbStyle);
}

unsigned long CGraphCanvas::GetBrushColor() {
    HBRUSH brush = GetCurBrush();
    LOGBRUSH lb = {};
    if (brush == nullptr || ::GetObjectA(brush, sizeof(lb), &lb) == 0)
        return 0;
    return lb.lbColor;
}

int CGraphCanvas::SetBrushColor(unsigned long colour) {
    if (hdc == nullptr)
        return 0;
    LOGBRUSH lb = {};
    HBRUSH cur = GetCurBrush();
    if (cur != nullptr)
        ::GetObjectA(cur, sizeof(lb), &lb);
    const COLORREF c = static_cast<COLORREF>(colour);
    if (lb.lbColor == c)
        return 1;
    lb.lbColor = c;
    HBRUSH brush = ::CreateBrushIndirect(&lb);
    if (brush == nullptr)
        return 0;
    SelectReplacing(brush, origBrush, OBJ_BRUSH);
    return 1;
}

void CGraphCanvas::SetNullBrush() {
    if (hdc == nullptr)
        return;
    SelectReplacing(::GetStockObject(NULL_BRUSH), origBrush, OBJ_BRUSH);
}

int CGraphCanvas::SetSolidBrush(unsigned long colour) {
    if (hdc == nullptr)
        return 0;
    HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(colour));
    if (brush == nullptr)
        return 0;
    SelectReplacing(brush, origBrush, OBJ_BRUSH);
    return 1;
}

void CGraphCanvas::SetBrush(HBRUSH brush) {
    if (brush != nullptr)
        SelectReplacing(brush, origBrush, OBJ_BRUSH);
}

void CGraphCanvas::SetFont(HFONT font) {
    if (font != nullptr)
        SelectReplacing(font, origFont, OBJ_FONT);
}
