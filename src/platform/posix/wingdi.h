// GDI subset off Windows: the records, constants and functions that the library draws with.
//
// Names, values, field orders and signatures are those of the Windows SDK; widths follow LLP64
// (LONG and DWORD are 32 bits). Text functions (TextOutA, GetTextExtentPoint32A, GetCharABCWidthsA,
// GetTextMetricsA) are implemented beside the font engine; everything else is in gdi_*.cpp.
#pragma once

#include "platform/posix/wintypes.h"

// ---- Records --------------------------------------------------------------------------------------

typedef struct tagLOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
} LOGPEN, *PLOGPEN, *LPLOGPEN;

typedef struct tagEXTLOGPEN {
    DWORD elpPenStyle;
    DWORD elpWidth;
    UINT elpBrushStyle;
    COLORREF elpColor;
    ULONG_PTR elpHatch;
    DWORD elpNumEntries;
    DWORD elpStyleEntry[1];
} EXTLOGPEN, *PEXTLOGPEN, *LPEXTLOGPEN;

typedef struct tagLOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
} LOGBRUSH, *PLOGBRUSH, *LPLOGBRUSH;

#define LF_FACESIZE 32

typedef struct tagLOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA, *PLOGFONTA, *LPLOGFONTA;
typedef LOGFONTA LOGFONT;

typedef struct _ABC {
    int abcA;
    UINT abcB;
    int abcC;
} ABC, *PABC, *LPABC;

typedef struct tagBITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

typedef struct tagTEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
} TEXTMETRICA, *PTEXTMETRICA, *LPTEXTMETRICA;
typedef TEXTMETRICA TEXTMETRIC;

// ---- Colours and failure values -----------------------------------------------------------------

#define CLR_INVALID 0xFFFFFFFF
// A colour naming an entry of the DC's palette (here always the default palette), and an RGB value
// to be matched in it (on a true-colour device the RGB value itself).
#define PALETTEINDEX(i) ((COLORREF)(0x01000000 | (DWORD)(WORD)(i)))
#define PALETTERGB(r, g, b) (0x02000000 | RGB(r, g, b))
#define GDI_ERROR 0xFFFFFFFFL
#define HGDI_ERROR ((HANDLE)-1)

// Region kinds that GetClipBox reports (0 is its failure).
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3

// ---- Pens ---------------------------------------------------------------------------------------

#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_USERSTYLE 7
#define PS_ALTERNATE 8
#define PS_STYLE_MASK 0x0000000F

#define PS_ENDCAP_ROUND 0x00000000
#define PS_ENDCAP_SQUARE 0x00000100
#define PS_ENDCAP_FLAT 0x00000200
#define PS_ENDCAP_MASK 0x00000F00

#define PS_JOIN_ROUND 0x00000000
#define PS_JOIN_BEVEL 0x00001000
#define PS_JOIN_MITER 0x00002000
#define PS_JOIN_MASK 0x0000F000

#define PS_COSMETIC 0x00000000
#define PS_GEOMETRIC 0x00010000
#define PS_TYPE_MASK 0x000F0000

// ---- Brushes ------------------------------------------------------------------------------------

#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define BS_PATTERN 3
#define BS_INDEXED 4
#define BS_DIBPATTERN 5
#define BS_DIBPATTERNPT 6
#define BS_PATTERN8X8 7
#define BS_DIBPATTERN8X8 8
#define BS_MONOPATTERN 9

#define HS_HORIZONTAL 0 // -----
#define HS_VERTICAL 1   // |||||
#define HS_FDIAGONAL 2  // \\\\\ (top left to bottom right)
#define HS_BDIAGONAL 3  // ///// (bottom left to top right)
#define HS_CROSS 4      // +++++
#define HS_DIAGCROSS 5  // xxxxx

// ---- Stock objects ------------------------------------------------------------------------------

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define DC_BRUSH 18
#define DC_PEN 19

// ---- Object types (GetCurrentObject, GetObjectType) ---------------------------------------------

#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_METADC 4
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_METAFILE 9
#define OBJ_MEMDC 10
#define OBJ_EXTPEN 11
#define OBJ_ENHMETADC 12
#define OBJ_ENHMETAFILE 13
#define OBJ_COLORSPACE 14

// ---- Device context state -----------------------------------------------------------------------

#define TRANSPARENT 1
#define OPAQUE 2

#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8

#define GM_COMPATIBLE 1
#define GM_ADVANCED 2

#define ALTERNATE 1
#define WINDING 2

#define AD_COUNTERCLOCKWISE 1
#define AD_CLOCKWISE 2

#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define TA_RTLREADING 256
#define TA_MASK (TA_BASELINE + TA_CENTER + TA_UPDATECP + TA_RTLREADING)

// Binary raster operations (mix modes of pens); drawing here always uses R2_COPYPEN.
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16

// Ternary raster operations of BitBlt.
#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define SRCERASE 0x00440328
#define NOTSRCCOPY 0x00330008
#define NOTSRCERASE 0x001100A6
#define MERGECOPY 0x00C000CA
#define MERGEPAINT 0x00BB0226
#define PATCOPY 0x00F00021
#define PATPAINT 0x00FB0A09
#define PATINVERT 0x005A0049
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

// ---- GetDeviceCaps ------------------------------------------------------------------------------

#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMMARKERS 20
#define NUMFONTS 22
#define NUMCOLORS 24
#define PDEVICESIZE 26
#define CURVECAPS 28
#define LINECAPS 30
#define POLYGONALCAPS 32
#define TEXTCAPS 34
#define CLIPCAPS 36
#define RASTERCAPS 38
#define ASPECTX 40
#define ASPECTY 42
#define ASPECTXY 44
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#define SCALINGFACTORX 114
#define SCALINGFACTORY 115

#define DT_PLOTTER 0
#define DT_RASDISPLAY 1
#define DT_RASPRINTER 2
#define DT_RASCAMERA 3
#define DT_CHARSTREAM 4
#define DT_METAFILE 5
#define DT_DISPFILE 6

#define RC_BITBLT 1
#define RC_BITMAP64 8
#define RC_STRETCHBLT 2048

// ---- Fonts --------------------------------------------------------------------------------------

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_HEAVY 900

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define SHIFTJIS_CHARSET 128
#define HANGUL_CHARSET 129
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define OEM_CHARSET 255

#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define OUT_CHARACTER_PRECIS 2
#define OUT_STROKE_PRECIS 3
#define OUT_TT_PRECIS 4
#define OUT_DEVICE_PRECIS 5
#define OUT_RASTER_PRECIS 6
#define OUT_TT_ONLY_PRECIS 7
#define OUT_OUTLINE_PRECIS 8

#define CLIP_DEFAULT_PRECIS 0
#define CLIP_CHARACTER_PRECIS 1
#define CLIP_STROKE_PRECIS 2
#define CLIP_LH_ANGLES 0x10

#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5
#define CLEARTYPE_NATURAL_QUALITY 6

#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50

#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04
#define TMPF_DEVICE 0x08

extern "C" {

// ---- Device context state -----------------------------------------------------------------------
WINAPI_EXPORT int WINAPI SaveDC(HDC hdc);
WINAPI_EXPORT BOOL WINAPI RestoreDC(HDC hdc, int nSavedDC);
WINAPI_EXPORT int WINAPI SetMapMode(HDC hdc, int iMode);
WINAPI_EXPORT int WINAPI GetMapMode(HDC hdc);
WINAPI_EXPORT int WINAPI SetGraphicsMode(HDC hdc, int iMode);
WINAPI_EXPORT int WINAPI GetGraphicsMode(HDC hdc);
WINAPI_EXPORT int WINAPI SetBkMode(HDC hdc, int mode);
WINAPI_EXPORT int WINAPI GetBkMode(HDC hdc);
WINAPI_EXPORT COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color);
WINAPI_EXPORT COLORREF WINAPI GetBkColor(HDC hdc);
WINAPI_EXPORT COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
WINAPI_EXPORT COLORREF WINAPI GetTextColor(HDC hdc);
WINAPI_EXPORT UINT WINAPI SetTextAlign(HDC hdc, UINT align);
WINAPI_EXPORT UINT WINAPI GetTextAlign(HDC hdc);
WINAPI_EXPORT int WINAPI SetTextCharacterExtra(HDC hdc, int extra);
WINAPI_EXPORT int WINAPI GetTextCharacterExtra(HDC hdc);
WINAPI_EXPORT BOOL WINAPI SetTextJustification(HDC hdc, int extra, int count);
WINAPI_EXPORT int WINAPI SetPolyFillMode(HDC hdc, int mode);
WINAPI_EXPORT int WINAPI GetPolyFillMode(HDC hdc);
WINAPI_EXPORT int WINAPI SetArcDirection(HDC hdc, int dir);
WINAPI_EXPORT int WINAPI GetArcDirection(HDC hdc);
WINAPI_EXPORT int WINAPI GetDeviceCaps(HDC hdc, int index);
WINAPI_EXPORT BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT lppt);
// The bounding box of what drawing on the DC can reach, in its coordinates: the device's page, the
// bitmap selected in a memory DC. SIMPLEREGION, NULLREGION when it is empty, 0 for a bad DC.
WINAPI_EXPORT int WINAPI GetClipBox(HDC hdc, LPRECT lprect);

// ---- Objects ------------------------------------------------------------------------------------
WINAPI_EXPORT HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color);
WINAPI_EXPORT HPEN WINAPI ExtCreatePen(DWORD iPenStyle, DWORD cWidth, const LOGBRUSH* plbrush, DWORD cStyle,
                                       const DWORD* pstyle);
WINAPI_EXPORT HBRUSH WINAPI CreateSolidBrush(COLORREF color);
WINAPI_EXPORT HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* plbrush);
WINAPI_EXPORT HBRUSH WINAPI CreateHatchBrush(int iHatch, COLORREF color);
WINAPI_EXPORT HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lplf);
WINAPI_EXPORT HGDIOBJ WINAPI GetStockObject(int i);
WINAPI_EXPORT HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type);
WINAPI_EXPORT int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv);
WINAPI_EXPORT DWORD WINAPI GetObjectType(HGDIOBJ h);
WINAPI_EXPORT HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h);
WINAPI_EXPORT BOOL WINAPI DeleteObject(HGDIOBJ ho);

// ---- Bitmaps and memory device contexts ---------------------------------------------------------
WINAPI_EXPORT HDC WINAPI CreateCompatibleDC(HDC hdc);
WINAPI_EXPORT HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy);
WINAPI_EXPORT BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1,
                                 DWORD rop);
WINAPI_EXPORT BOOL WINAPI DeleteDC(HDC hdc);

// ---- Drawing ------------------------------------------------------------------------------------
WINAPI_EXPORT BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt);
WINAPI_EXPORT BOOL WINAPI LineTo(HDC hdc, int x, int y);
WINAPI_EXPORT BOOL WINAPI Polyline(HDC hdc, const POINT* apt, int cpt);
WINAPI_EXPORT BOOL WINAPI Polygon(HDC hdc, const POINT* apt, int cpt);
WINAPI_EXPORT BOOL WINAPI PolyBezier(HDC hdc, const POINT* apt, DWORD cpt);
WINAPI_EXPORT BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom);
WINAPI_EXPORT BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom);
WINAPI_EXPORT BOOL WINAPI Arc(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
WINAPI_EXPORT BOOL WINAPI AngleArc(HDC hdc, int x, int y, DWORD r, float StartAngle, float SweepAngle);
WINAPI_EXPORT BOOL WINAPI Pie(HDC hdc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2,
                              int yr2);
WINAPI_EXPORT BOOL WINAPI Chord(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
WINAPI_EXPORT COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color);
WINAPI_EXPORT COLORREF WINAPI GetPixel(HDC hdc, int x, int y);

// ---- Paths --------------------------------------------------------------------------------------
WINAPI_EXPORT BOOL WINAPI BeginPath(HDC hdc);
WINAPI_EXPORT BOOL WINAPI EndPath(HDC hdc);
WINAPI_EXPORT BOOL WINAPI AbortPath(HDC hdc);
WINAPI_EXPORT BOOL WINAPI CloseFigure(HDC hdc);
WINAPI_EXPORT BOOL WINAPI StrokePath(HDC hdc);
WINAPI_EXPORT BOOL WINAPI FillPath(HDC hdc);
WINAPI_EXPORT BOOL WINAPI StrokeAndFillPath(HDC hdc);

// ---- Text (implemented with the font engine) -----------------------------------------------------
WINAPI_EXPORT BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);
WINAPI_EXPORT BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl);
WINAPI_EXPORT BOOL WINAPI GetCharABCWidthsA(HDC hdc, UINT wFirst, UINT wLast, LPABC lpABC);
WINAPI_EXPORT BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm);

} // extern "C"

#define GetObject GetObjectA
#define CreateFontIndirect CreateFontIndirectA
#define TextOut TextOutA
#define GetTextExtentPoint32 GetTextExtentPoint32A
#define GetCharABCWidths GetCharABCWidthsA
#define GetTextMetrics GetTextMetricsA
