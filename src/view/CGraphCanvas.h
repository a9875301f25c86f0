// CGraphCanvas: scoped selection of pens, brushes and fonts on one device context.
//
// Attached to a view and/or a device context (null: the view's draw DC), a canvas remembers the
// pen, brush and font selected at attachment (after the default pen and brush when it selects
// them), the view's line type and scale, and the DC's saved state. On Detach or destruction it
// selects the remembered objects back, gives the view its line type and scale back, and restores
// the saved DC state, so the DC ends in the state it had at attachment.
//
// Ownership: a pen, brush or font that a canvas operation replaces in the DC is deleted, unless it
// is the remembered object of its kind. So objects handed to SetPen(HPEN), SetBrush and SetFont
// become the canvas's to delete, and the objects that were selected at attachment never are; one
// that cannot be selected (a detached canvas) is deleted at once. (GDI ignores the deletion of a
// stock object.)
//
// Pens are made with ExtCreatePen from a solid logical brush. The requested style is kept when it
// is PS_DASH or PS_DOT; every other style gives 0x12200, a geometric solid pen with flat ends and
// mitred joins (PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_MITER). With a view, widths go through
// CGraphSystem::CalcLineWidth and colours through CalcDrawColor; a width of 0 becomes 1. Dashed and
// dotted pens are cosmetic and therefore always one pixel wide (GDI refuses other widths for them).
//
// Copying: a copy (or an assigned canvas, whose own attachment is released first) takes the
// original's attachment as it is: the same view and DC, saved DC level, remembered objects and saved
// line type. It opens no scope of its own and makes no GDI call. Copy and original are two handles on
// one scope, and the first of them released ends it: it selects the remembered objects back
// (deleting what either handle selected), gives the view its line type back and restores the DC's
// saved state. Releasing the other later selects the remembered objects and the saved line type
// again (deleting what it selected since) and asks for a DC level that is gone, which GDI refuses;
// so nothing may save the DC or select objects of its own into it between the two releases. The
// objects the original selected last become the copy's to delete: use one handle at a time.
#pragma once

#include <string>

#include "draft2d_export.h"
#include "platform/win32.h"

class CGraphSystem;
class CLineType;

class DRAFT2D_EXPORT CGraphCanvas {
public:
    // With a view or a DC given, Attach(system, hdc, setDefaults).
    CGraphCanvas(CGraphSystem* system = nullptr, HDC hdc = nullptr, int setDefaults = 1);
    CGraphCanvas(const CGraphCanvas& other);
    CGraphCanvas& operator=(const CGraphCanvas& other);
    virtual ~CGraphCanvas();

    // Detaches first when attached. hdc null: the view's GetDrawDC(). With neither a DC nor a view
    // that has one the canvas stays detached (IsAttached() false). setDefaults nonzero selects the
    // stock WHITE_PEN on a DC whose background colour is black, else BLACK_PEN, and NULL_BRUSH.
    void Attach(CGraphSystem* system, HDC hdc, int setDefaults);
    void AttachNotChangeDC(CGraphSystem* system, HDC hdc);
    void Detach();
    bool IsAttached() const { return hdc != nullptr; }
    HDC GetHDC() const { return hdc; }

    // Currently selected objects; null when detached.
    HPEN GetCurPen();
    HBRUSH GetCurBrush();
    HFONT GetCurFont();

    // The current pen's style (type, end cap and join bits included), width and colour; 0 when
    // detached or unreadable.
    int GetPenStyle();
    int GetPenWidth();
    unsigned long GetPenColor();

    // 1 when the pen is selected or nothing had to change; 0 when it cannot be made or the canvas
    // is detached (the selection is unchanged then).
    int SetPenStyle(int style);
    int SetPenWidth(int width);
    int SetPenColor(unsigned long colour);
    int SetPen(int width, unsigned long colour, int style);
    void SetPen(HPEN pen); // null does nothing

    int GetBrushStyle();
    unsigned long GetBrushColor();
    // A brush of the current style and hatch in the colour (used unchanged); 1 also when the colour
    // is already current, 0 when the brush cannot be made.
    int SetBrushColor(unsigned long colour);
    void SetNullBrush();
    int SetSolidBrush(unsigned long colour);
    void SetBrush(HBRUSH brush); // null does nothing
    void SetFont(HFONT font);    // null does nothing

private:
    struct PenInfo {
        int style;
        int width;
        COLORREF colour;
    };
    bool ReadPen(PenInfo& info);
    int MakePen(int style, int width, COLORREF colour);
    // Selects obj (of kind objType), deleting the object it replaces unless that is `remembered`. The
    // canvas deletes obj itself when it cannot be selected.
    void SelectReplacing(HGDIOBJ obj, HGDIOBJ remembered, int objType);
    void Restore(HGDIOBJ remembered, int objType);
    HGDIOBJ& Owned(int objType);
    void TakeOwned(const CGraphCanvas& other);

    CGraphSystem* system;
    HDC hdc;
    int savedDC;
    HPEN origPen;
    HBRUSH origBrush;
    HFONT origFont;
    // The view's line type name at attachment. Held as a copy: the line type may be replaced in its
    // registry while the canvas lives.
    bool hasLineType;
    std::string savedLineType;
    double savedLineScale;
    // The line type object itself, given back directly while its registry still holds it.
    CLineType* savedLineTypeObject;
    // The pen, brush and font this canvas selected last and owns (null: none). A nested canvas
    // with defaults restores a DC state that no longer holds them; they are deleted at Detach even
    // then. A copy takes them over from its original (one owner each), which is why they are
    // mutable.
    mutable HGDIOBJ ownedPen = nullptr;
    mutable HGDIOBJ ownedBrush = nullptr;
    mutable HGDIOBJ ownedFont = nullptr;
};
