// The text format: faces, height, width factors, angle, style, alignment and gaps.
//
// Two faces are kept: fontName for Chinese (double-byte) characters and fontNameEng for
// single-byte characters, both GBK text as GDI takes them. Heights are paper millimetres; a
// negative height is a size in points (1 pt = 0.3527778 mm). The angle is in radians,
// counter-clockwise in user coordinates.
//
// Record (CIoBuffer encoding): fontName, fontNameEng (strings), height (double), widthPer,
// widthPerEng (float), angle (double), flags (1 byte), align (4 bytes), charGap, rowGap (float).
// textDirect is not part of the record.
//
// Fonts, measuring and output (text/metrics.cpp, text/output.cpp). A format becomes two GDI fonts
// for a view: the Chinese face (character set 134) for GBK double-byte characters and the Western
// face (character set 1) for single bytes, each lfHeight = height x view scale x pixels per mm
// (a positive lfHeight: the cell height). A line is measured character by character in the font of
// its kind, from the first character's ink start (its A width is left out) to the last character's
// ink end (its C width is left out unless C >= B, which keeps a trailing blank), plus charGap x the
// cell height between neighbours. Output places every character itself with exactly those advances,
// so the ink of a line lies in the box that GetTextExtent gives for its measured size.
//
// Upright characters (textDirect 1 on a turned line) keep their own frame: along the line each takes
// the extent of its upright cell in the line's direction, across it the largest such extent, and each
// is drawn with an unturned font centred in its share of the box.
//
// A format whose height, widths, angle or gaps are not finite measures (0, 0) and draws nothing.
// Text is GBK; every operation reads at most the given count of bytes and stops a line at the first
// '\n', '\r' or NUL.
#pragma once

#include "draft2d_export.h"
#include "io/MgString.h"
#include "platform/win32.h"
#include "values/mgPoint.h"
#include "values/mgRect.h"

#include <cstdint>
#include <deque>
#include <string>

class CIoBuffer;
class CGraphSystem;

class DRAFT2D_EXPORT CFontFormat {
public:
    // Style bits of flags.
    enum : unsigned char { FLAG_BOLD = 1, FLAG_ITALIC = 2, FLAG_UNDERLINE = 4, FLAG_STRIKEOUT = 8 };

    // height 0 (or within 1e-7 of it) keeps the default of 5 mm.
    CFontFormat(double height = 5.0);
    CFontFormat(const CFontFormat& other);
    CFontFormat& operator=(const CFontFormat& other);
    ~CFontFormat();

    const char* FontName() const { return fontName; }
    const char* FontNameEng() const { return fontNameEng; }
    double Height() const { return height; }
    float WidthPer() const { return widthPer; }
    float WidthPerEng() const { return widthPerEng; }
    double Angle() const { return angle; }
    // Each returns its flag bit itself (1, 2, 4 or 8) when set, else 0.
    int Bold() const { return flags & FLAG_BOLD; }
    int Italic() const { return flags & FLAG_ITALIC; }
    int UnderLine() const { return flags & FLAG_UNDERLINE; }
    int StrikeOut() const { return flags & FLAG_STRIKEOUT; }
    int TextDirect() const { return textDirect; }
    // Horizontal: 0 left, 1 centre, 2 right. Vertical: 0 bottom, 4 middle, 8 top.
    unsigned HorAlign() const { return align & 3u; }
    unsigned VerAlign() const { return align & 12u; }
    unsigned Align() const { return align; }
    float CharGap() const { return charGap; }
    float RowGap() const { return rowGap; }

    // Null or empty names are ignored.
    void SetFontName(const char* name);
    void SetFontNameEng(const char* name);
    // Ignored when |h| <= 1e-7.
    void SetHeight(double h);
    // Values below 1e-7 (and NaN) become 0, the face's own width.
    void SetWidthPer(float w);
    void SetWidthPerEng(float w);
    void SetAngle(double a) { angle = a; }
    void SetBold(int on) { SetFlag(FLAG_BOLD, on); }
    void SetItalic(int on) { SetFlag(FLAG_ITALIC, on); }
    void SetUnderLine(int on) { SetFlag(FLAG_UNDERLINE, on); }
    void SetStrikeOut(int on) { SetFlag(FLAG_STRIKEOUT, on); }
    // 1 keeps the characters upright along a turned line; any other value stores 0.
    void SetTextDirect(int d) { textDirect = d == 1 ? 1 : 0; }
    void SetHorAlign(unsigned a) { align = (align & 12u) | (a & 3u); }
    void SetVerAlign(unsigned a) { align = (align & 3u) | (a & 12u); }
    void SetAlign(unsigned a) { align = a & 15u; }
    // Fraction of the text height, limited to -0.4 .. 5 (NaN becomes -0.4).
    void SetCharGap(float g);
    void SetRowGap(float g) { rowGap = g; }

    // The record. Read stores the values as read (no setter rules) and throws CIoBufException(-2)
    // when the data ends before a field, keeping the fields read so far. Both return true when the
    // buffer reports no error.
    bool Read(CIoBuffer& buf);
    bool Save(CIoBuffer& buf) const;

    // ---- Fonts and measuring (text/metrics.cpp) ----

    // Fills lf for a view: lfHeight = trunc(mmPixelsY x scale x h + 0.5) in 1 .. 16384 pixels, where h
    // is height in mm (a height below -1e-7 is points: x -0.3527778) and scale the view scale when
    // useViewScale is nonzero, else 1; lfWidth = trunc(widthPer x lfHeight x 0.5 + 0.5) when widthPer
    // >= 1e-7 (limited like lfHeight), else 0; lfEscapement = tenths of a degree of angle brought
    // into [0, 2pi) (0 within 1e-7 of 0 or 2pi), lfOrientation the same unless textDirect; weight 700
    // when bold, else 400; character set 134, TrueType precision; the first 31 bytes of face.
    // A null view counts as a fresh one (scale 1, 96 dpi). A height, width or angle that is not
    // finite gives the smallest font (1 pixel, width 0, no escapement): callers draw nothing then.
    static void InitFont(const CGraphSystem* gs, LOGFONTA& lf, const char* face, double height,
                         int useViewScale, float widthPer, double angle, int bold, int italic, int underline,
                         int strikeOut, int textDirect);
    // One run of the font selected in hdc, up to the first '\n' or '\r' among its len bytes (len < 0:
    // the whole text): abc = {A, B, C} where B is the extent less the A width of a single-byte first
    // character and the C width of a single-byte last character, and *cy (when given) the cell
    // height. 0 without a DC, text or abc, for len <= 0 or when the extent cannot be measured.
    static int GetTextAbcExtent(HDC hdc, const char* text, int len, ABC* abc, long* cy);
    // Width and height of the first line of text in user units, measured on hdc (null: the screen)
    // with the fonts of this format for gs. (0, 0) without a view, text or drawable format.
    mgPoint GetTextExtentPointA(const CGraphSystem* gs, const char* text, int len, HDC hdc) const;
    // Clears widths and appends the width of every line (user units, measured on the screen);
    // returns the height of the last line that has one, else 0.
    double GetTextExtentPoints(const CGraphSystem* gs, const std::deque<std::string>& lines,
                               std::deque<double>& widths) const;
    // The box of a text of size (w, h) relative to its anchor by the alignment, y up: horizontal 0
    // (or 3) 0..w, 1 -w/2..w/2, 2 -w..0; vertical 0 (or 12) 0..h, 4 -h/2..h/2, 8 -h..0.
    mgRect GetTextExtent(const mgPoint& size) const;

    // ---- Output (text/output.cpp) ----

    // Draws the first line of text (len < 0: all of it) with its aligned box anchored at (x, y) in
    // the space coordType names (0 user, 1 paper, other screen pixels), turned by the angle, on hdc
    // (null: the view's draw DC). box = (width, height) in the same units; a width below 1e-7 uses
    // the measured size, a larger one spreads or squeezes the characters to fill it. Characters
    // whose box misses the view's clip rectangle (or window) are not sent to GDI; text lower than 4
    // pixels is not drawn. The DC's state is saved and restored; the fonts are deleted.
    void TextOutA(CGraphSystem* gs, HDC hdc, double x, double y, mgPoint box, const char* text, int len,
                  int coordType) const;
    // Several lines: line i is drawn in the box (widths[i], lineHeight) anchored at pos +
    // GetMTextPoint(i, widths, lineHeight); lines without a width (or widths without a line) are
    // skipped.
    void TextOutA(CGraphSystem* gs, HDC hdc, const mgPoint& pos, const std::deque<double>& widths,
                  double lineHeight, const std::deque<std::string>& lines, int coordType) const;
    // Offset of line i's anchor from the block's anchor, along the angle's normal: with N = number
    // of widths and p = lineHeight x (1 + rowGap), bottom alignment p(N - i - 1), middle
    // p(N/2 - i - 1/2), top -p i (line 0 is the top line). (0, 0) for i >= N.
    mgPoint GetMTextPoint(unsigned i, const std::deque<double>& widths, double lineHeight) const;
    // The axis-aligned box of one line of the given size placed at pos (turned by the angle), and
    // the union of the boxes of a block of lines.
    mgRect GetTextBoundBox(const mgPoint& size, const mgPoint& pos) const;
    mgRect GetTextBoundBox(const std::deque<double>& widths, double lineHeight, const mgPoint& pos) const;

protected:
    void SetFlag(unsigned char bit, int on) {
        flags = static_cast<unsigned char>(on ? (flags | bit) : (flags & ~bit));
    }

    MgString fontName;
    MgString fontNameEng;
    double height;
    float widthPer;
    float widthPerEng;
    double angle;
    unsigned char flags;
    std::uint32_t align;
    float charGap;
    float rowGap;
    int textDirect;
};
