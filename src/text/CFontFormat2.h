// CFontFormat2: a text format bound to one view that keeps its GDI font between calls.
//
// For repeated output of the same format it trades CFontFormat's per-character output (a Chinese and
// a Western font, gaps, box stretching, clipping per character) for one font and one GDI call per
// line: the Chinese face with the GB2312 character set, which covers ASCII too. Measuring and output
// use that one font, so they agree with each other, not with CFontFormat's measures.
//
// The cached font is made from the bound view's scale and density when it is first needed and kept
// while the description InitFont makes for the view is unchanged: a font-changing setter, a zoom or
// a new density of the view makes the next call build a new font (and delete the old one). sinAngle
// and cosAngle are cached the same way: they follow SetAngle, and an angle changed behind their back
// (the base class's SetAngle, Read) is noticed at the next output.
//
// Without a bound view nothing is drawn and measurements are (0, 0) (GetTextExtentPoints2: 1.0).
// Copies share nothing: a copy makes its own font at its first use.
#pragma once

#include "text/CFontFormat.h"

class DRAFT2D_EXPORT CFontFormat2 : public CFontFormat {
public:
    CFontFormat2(const CGraphSystem* gs = nullptr, double height = 5.0);
    CFontFormat2(const CFontFormat2& other);
    CFontFormat2& operator=(const CFontFormat2& other);
    virtual ~CFontFormat2();

    void SetGraphSystem(const CGraphSystem* gs); // drops the cached font
    const CGraphSystem* GetGraphSystem() const { return graphSystem; }
    void DeleteFonts();

    // The first len bytes of text (len < 0: all of it) measured at once in the cached font, in user
    // units; hdc null: the view's draw DC, else the screen.
    mgPoint GetTextExtentPoint2(const char* text, int len, HDC hdc);
    // Clears widths and appends every line's width (user units); the height of the last line that has
    // one. 1.0 without a view (widths left alone).
    double GetTextExtentPoints2(const std::deque<std::string>& lines, std::deque<double>& widths);
    // One GDI TextOutA of the len bytes with the aligned box anchored at (x, y) in the space coordType
    // names; hdc null: the view's draw DC. Text lower than 4 pixels is not drawn. The DC's state is
    // saved and restored.
    void TextOut2(HDC hdc, double x, double y, const char* text, int len, int coordType);
    // Line i at pos + GetMTextPoint(i, widths, lineHeight), for the lines that have a width.
    void TextOut2(HDC hdc, const mgPoint& pos, const std::deque<double>& widths, double lineHeight,
                  const std::deque<std::string>& lines, int coordType);

    // The base class's measuring and output, with the bound view instead of the one given (which is
    // ignored, as is the box of the single-line form).
    mgPoint GetTextExtentPointA(const CGraphSystem* gs, const char* text, int len, HDC hdc);
    double GetTextExtentPoints(const CGraphSystem* gs, const std::deque<std::string>& lines,
                               std::deque<double>& widths);
    void TextOutA(CGraphSystem* gs, HDC hdc, double x, double y, mgPoint box, const char* text, int len,
                  int coordType);
    void TextOutA(CGraphSystem* gs, HDC hdc, const mgPoint& pos, const std::deque<double>& widths,
                  double lineHeight, const std::deque<std::string>& lines, int coordType);

    // Setters that change the font drop it; SetAngle does so (and recomputes the cached sine and
    // cosine) only for a change of more than 1e-5.
    void SetFontName(const char* name);
    void SetHeight(double h);
    void SetWidthPer(float w);
    void SetBold(int on);
    void SetItalic(int on);
    void SetUnderLine(int on);
    void SetStrikeOut(int on);
    void SetTextDirect(int d);
    void SetAngle(double a);

protected:
    // Makes the cached font for the bound view when there is none or the view's scale or density
    // changed since it was made.
    void CreateFonts();
    // Creates the font if needed and selects it into hdc; returns the object selected before (null
    // when there is no font). The text arguments are not used.
    void* SetFont(HDC hdc, const char* text, int len);

    HFONT font;
    const CGraphSystem* graphSystem;
    double sinAngle;
    double cosAngle;

private:
    void UpdateAngleCache();

    LOGFONTA fontDesc;  // what font was made from
    double cachedAngle; // the angle sinAngle and cosAngle belong to
};
