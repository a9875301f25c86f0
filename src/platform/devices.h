// Devices to draw on, on every platform: images, a monochrome image, a printer writing a PDF, with
// PNG output, pixel access and, for tests, a call trace and counts of live GDI objects.
//
// A Device owns a device context (GetDC()) that the library draws on with plain GDI calls, exactly
// as it would on a window or printer DC of the host. Coordinates on a device are device pixels
// (MM_TEXT, origin top-left, y down).
//
//   image       TECHNOLOGY DT_RASDISPLAY, NUMCOLORS -1 (true colour), LOGPIXELSX/Y = dpi,
//               HORZRES x VERTRES = width x height, HORZSIZE/VERTSIZE in millimetres from the dpi.
//               Starts white.
//   monochrome  the same with NUMCOLORS 2 and BITSPIXEL 1: drawing is reduced to black and white
//               (luminance below one half is black) before pixels are read or written to PNG.
//   printer     TECHNOLOGY DT_RASPRINTER, its own dpi; the page is widthMm x heightMm (HORZSIZE,
//               VERTSIZE) and HORZRES x VERTRES device pixels of 1/dpi inch. Everything drawn goes
//               to a PDF file, one page per NewPage(), completed by Finish() or the destructor.
//               It has no pixels.
//   svg         a vector device with the printer's capabilities (DT_RASPRINTER, HORZSIZE/VERTSIZE,
//               HORZRES x VERTRES at its dpi) writing one page to an SVG file whose size is given in
//               millimetres (width="…mm", user units of a millimetre in its viewBox). Completed by
//               Finish() or the destructor; NewPage() fails. It has no pixels. Made through Cairo's
//               SVG surface: where GDI is the system's (Windows) there is none and CreateSvg returns
//               null.
//
// Call trace (see IsCallTraceAvailable): when enabled, every GDI call on the device's DC, or on a
// memory DC made from it with CreateCompatibleDC, appends one line of text, in call order:
//
//   Name(arg,arg,...)                     e.g.  MoveToEx(10,20)   LineTo(30,40)
//   dc#N: Name(arg,...)                   a call on memory DC dc#N rather than the device's own DC
//   Name(arg,...) -> handle               calls that create an object show what they made
//
// Arguments appear in the order of the Win32 signature, without the HDC the call works on and
// without output pointers (MoveToEx shows only x and y; BitBlt shows its source DC). Formats:
//   integers     decimal;  floats (AngleArc angles) with %g
//   colours      0xBBGGRR as six hex digits (COLORREF); values above 0xFFFFFF with all eight
//   handles      pen#N, brush#N, font#N, bmp#N, dc#N: numbered per device trace from 1 in order of
//                first appearance (the device's own DC is dc#0); stock objects by their names
//                (BLACK_PEN, NULL_BRUSH, SYSTEM_FONT, ...); a memory DC's initial bitmap is
//                DEFAULT_BITMAP; a null handle NULL; a handle of no live object BAD
//   constants    by name where GDI names them: SRCCOPY, TRANSPARENT, OPAQUE, MM_TEXT, GM_ADVANCED,
//                ALTERNATE, OBJ_PEN, TECHNOLOGY, LOGPIXELSX, BS_SOLID, HS_CROSS; pen styles as
//                flags joined by '|' (PS_GEOMETRIC|PS_SOLID|PS_ENDCAP_FLAT|PS_JOIN_MITER); text
//                alignment as TA_ flags (TA_LEFT|TA_BASELINE); unnamed values in decimal
//   points       (x,y), arrays as a list: Polyline((0,0),(10,0),(10,10))
//   rectangles   FillRect((l,t,r,b),brush#1)
//   records      LOGBRUSH as {BS_HATCHED,0x0000ff,HS_CROSS}; a LOGFONTA as its face name in
//                quotes, then height, width, escapement, weight, italic and charset
//   text         in double quotes; bytes outside printable ASCII, '"' and '\' as \xHH
// Calls that take no DC (creating, querying and deleting objects, GetDC(NULL) and ReleaseDC of the
// screen) go to every device whose trace is on; calls on the screen DC itself are not recorded.
// Examples of whole lines:
//   ExtCreatePen(PS_GEOMETRIC|PS_SOLID|PS_ENDCAP_FLAT|PS_JOIN_MITER,3,{BS_SOLID,0x0000ff,0}) -> pen#1
//   SelectObject(pen#1)
//   CreateCompatibleDC(dc#0) -> dc#1
//   BitBlt(0,0,800,600,dc#1,0,0,SRCCOPY)
//   DeleteObject(pen#1)
//
// Live object counts: pens, brushes, fonts, bitmaps and device contexts created through GDI (and
// screen DCs from GetDC) that are not yet deleted or released. Stock objects and a device's own DC
// are not counted. A test that creates and deletes everything it draws with sees the count return.
//
// Pixels of image devices and bitmaps are 32-bit words 0x??RRGGBB (bytes B, G, R, x in memory), rows
// top-down, GetStride() bytes apart: the layout of a 32-bit top-down DIB and of a Cairo RGB24
// image. GetPixel returns the usual COLORREF 0x00BBGGRR.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "draft2d_export.h"
#include "platform/win32.h"

namespace draft2d {

struct GdiObjectCounts {
    int pens = 0;
    int brushes = 0;
    int fonts = 0;
    int bitmaps = 0;
    int dcs = 0;
    int total() const { return pens + brushes + fonts + bitmaps + dcs; }
};

// Live GDI objects of the process (see above).
DRAFT2D_EXPORT GdiObjectCounts GetGdiObjectCounts();

// Whether devices record call traces. False where GDI is the system's (Windows, Wine): tests that
// assert on traces skip themselves then.
DRAFT2D_EXPORT bool IsCallTraceAvailable();

// Whether the system's GDI is Wine's: tests of Windows' own rules skip the few checks where Wine
// does otherwise than Windows. False on Windows and with our own GDI.
DRAFT2D_EXPORT bool IsWineGdi();

// Number of states saved with SaveDC on any device context and not yet restored; -1 for a bad DC.
DRAFT2D_EXPORT int GetSaveDCDepth(HDC hdc);

// A pixel of a bitmap made by CreateCompatibleBitmap; CLR_INVALID outside it or for a bad handle.
DRAFT2D_EXPORT COLORREF GetBitmapPixel(HBITMAP bitmap, int x, int y);

// Writes a bitmap as a PNG file. False on a bad handle or a write error.
DRAFT2D_EXPORT bool WriteBitmapPng(HBITMAP bitmap, const std::string& path);

class DRAFT2D_EXPORT Device {
public:
    enum Kind { Image, Monochrome, Printer, Svg };

    // Each returns null when the size or resolution is not positive or the device cannot be made.
    static std::unique_ptr<Device> CreateImage(int width, int height, int dpi = 96);
    static std::unique_ptr<Device> CreateMonochrome(int width, int height, int dpi = 96);
    static std::unique_ptr<Device> CreatePrinter(const std::string& pdfPath, double widthMm, double heightMm,
                                                 int dpi = 600);
    static std::unique_ptr<Device> CreateSvg(const std::string& svgPath, double widthMm, double heightMm,
                                             int dpi = 96);

    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    HDC GetDC() const;
    Kind GetKind() const;
    int GetWidth() const;  // device pixels
    int GetHeight() const; // device pixels
    int GetDpi() const;

    // Image devices: fills every pixel (not traced); printers and SVG: does nothing.
    void Clear(COLORREF color);
    // COLORREF of a pixel; CLR_INVALID outside the image and on printers and SVG.
    COLORREF GetPixel(int x, int y) const;
    // First row of pixels (layout above), or null for printers and SVG; valid until the device is
    // destroyed.
    const uint32_t* GetPixels() const;
    int GetStride() const; // bytes from one row to the next; 0 for printers and SVG
    // PNG of an image device; false for printers, SVG or on a write error.
    bool WritePng(const std::string& path) const;

    // Printers: ends the current page and starts another of the same size (SVG: false, one page only);
    // Finish() ends the last page and closes the PDF or SVG file (false when it could not be written).
    // Image devices: false.
    bool NewPage();
    bool Finish();

    // Call trace (see above). Enabling does not clear earlier lines.
    void EnableTrace(bool on);
    bool IsTraceEnabled() const;
    std::vector<std::string> GetTrace() const;
    std::string GetTraceText() const; // the lines, each ended by '\n'
    void ClearTrace();

    // SaveDC depth of the device's own DC.
    int GetSaveDepth() const;

    struct Impl;

private:
    explicit Device(Impl* impl);
    Impl* impl_;
};

} // namespace draft2d
