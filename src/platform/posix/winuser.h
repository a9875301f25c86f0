// USER subset off Windows: rectangle helpers, system colours, the screen device context and FillRect.
#pragma once

#include "platform/posix/wintypes.h"

#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_DESKTOP COLOR_BACKGROUND
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_BTNSHADOW 16
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_BTNHILIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DHIGHLIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DHILIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_HOTLIGHT 26
#define COLOR_GRADIENTACTIVECAPTION 27
#define COLOR_GRADIENTINACTIVECAPTION 28
#define COLOR_MENUHILIGHT 29
#define COLOR_MENUBAR 30

extern "C" {

// Fills the half-open rectangle [left, right) x [top, bottom) with the brush; the pen is not used.
// Returns nonzero on success, 0 for a bad device context, brush or rectangle pointer.
WINAPI_EXPORT int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
WINAPI_EXPORT BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom);
WINAPI_EXPORT BOOL WINAPI SetRectEmpty(LPRECT lprc);
WINAPI_EXPORT BOOL WINAPI CopyRect(LPRECT lprcDst, const RECT* lprcSrc);
WINAPI_EXPORT BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy);
WINAPI_EXPORT BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy);
WINAPI_EXPORT BOOL WINAPI IsRectEmpty(const RECT* lprc);
WINAPI_EXPORT BOOL WINAPI PtInRect(const RECT* lprc, POINT pt);
WINAPI_EXPORT BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
// The colours of the Windows 10 default scheme; an unknown index gives 0.
WINAPI_EXPORT DWORD WINAPI GetSysColor(int nIndex);
// GetDC(NULL) gives a device context of the screen (a 1920 x 1080 display at 96 dots per inch) for
// measuring; there are no windows here, so any other HWND gives NULL. Release it with ReleaseDC.
WINAPI_EXPORT HDC WINAPI GetDC(HWND hWnd);
WINAPI_EXPORT int WINAPI ReleaseDC(HWND hWnd, HDC hDC);

} // extern "C"
