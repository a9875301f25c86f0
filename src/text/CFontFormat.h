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
#pragma once

#include "draft2d_export.h"
#include "io/MgString.h"

#include <cstdint>

class CIoBuffer;

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

    // Turning the format into GDI fonts, measuring and text output are added beside the record.

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
