// CGraphSystem: the view of one drawing in one window.
//
// Three coordinate spaces:
//   user    the host's drawing unit, y up
//   paper   millimetres on the sheet, y up; user = paper through the user coordinate system (UCS):
//           paper = user * userToMm + (userX, userY)
//   screen  device pixels of the client area, origin top-left, y down:
//           sx = viewScale * (px - viewX) * mmPixelsX
//           sy = height - viewScale * (py - viewY) * mmPixelsY
// The window shows paper point (viewX, viewY) at its bottom-left corner, screen (0, height); the
// y flip is made against height, not height - 1. A double becomes a pixel by adding 0.5 and
// truncating toward zero ("rounded" below).
//
// The view owns its private state, its prompt text format, its cache and saved bitmaps and its
// collected paths. It never owns the host's device contexts, the line types or the registry.
//
// Copying (the view owns GDI handles, so a field-by-field copy would release them twice):
//   - the copy constructor makes an independent view with the same parameters (transforms, UCS
//     stack, colours, clip rectangle, line type selection, paper and grid, redraw callback) and a
//     copy of the prompt format. The copy is detached and has no cache, no saved bitmap and no
//     paths.
//   - operator= copies the same parameters into the target, except the target's redraw callback,
//     line type and prompt format. The target keeps its own device attachment (hdc, attribute DC,
//     isPrint, cache), saved bitmap and paths; a cache or saved bitmap that no longer fits the
//     copied window size is released as SetWndSize would release it.
//   Nothing is ever shared between two views, so nothing is released twice.
#pragma once

#include "draft2d_export.h"
#include "platform/win32.h"
#include "values/mgMatrix.h"
#include "values/mgPoint.h"
#include "values/mgRect.h"

class CLineType;
class CLineTypes;
class CFontFormat;
class mgFitCurve;

class DRAFT2D_EXPORT CGraphSystem {
public:
    enum coord_type { COORD_USER = 0, COORD_PAPER = 1, COORD_SCREEN = 2 };
    enum arc_type { ARC_ARC = 0, ARC_PIE = 1, ARC_CHORD = 2 };

    // Bounds of userToMm (paper mm per user unit) and of viewScale. MAX_VIEW_SCALE is lowered to
    // 15 by the construction of any view on a system outside the NT family.
    static const double MAX_USER_SCRMM;
    static const double MIN_USER_SCRMM;
    static double MAX_VIEW_SCALE;
    static const double MIN_VIEW_SCALE;

    // types: the registry that line type names are looked up in; null means CLineTypes::c_object.
    CGraphSystem(const CLineTypes* types = nullptr);
    CGraphSystem(const CGraphSystem& other);
    void operator=(const CGraphSystem& other);
    virtual ~CGraphSystem();

    // ---- State (transforms) ----
    double GetUserToMm() const;
    double GetUserX() const;
    double GetUserY() const;
    double GetViewScale() const;
    double GetViewX() const;
    double GetViewY() const;
    mgPoint GetViewOrigin() const;
    double GetMmPixelsX() const;
    double GetMmPixelsY() const;
    double GetMmPixels() const; // mean of x and y densities
    int GetWidth() const;
    int GetHeight() const;
    void GetWndSize(SIZE& size) const;
    // factor is userToMm (paper mm per user unit), origin the paper point of the user origin.
    void GetUCS(double& factor, mgPoint& origin) const;

    // scale is the drawing scale's denominator, (x, y) the paper mm of the user origin, unit an
    // index of the unit table (GetUnitMm). A scale that is not >= 1e-7 (NaN included) resets the
    // UCS to scale 1, origin (0, 0), millimetres. userToMm is clamped to the static bounds.
    void SetUCS(double scale, double x, double y, int unit);
    void PushUCS(); // at most 5 saved systems; a full stack ignores the call
    void PopUCS();  // an empty stack ignores the call
    // The user-to-paper matrix of a rotated UCS; changes no view.
    static mgMatrix CalcUCS(double scale, double x, double y, double angle, int unit);
    // Millimetres per unit: 1 cm, 2 m, 3 km, 4 inch, 5 foot, anything else mm.
    static double GetUnitMm(int unit);

    // Pixel density from a device context (LOGPIXELSX/Y times the adjust factors); ignores a null
    // dc and devices reporting fewer than 3 dots per inch. Sets the dc's mapping mode to MM_TEXT.
    void SetMmPixels(HDC dc);
    void SetMmPixels(double pixelsPerMmX, double pixelsPerMmY);
    // Correction factors for the density; take effect at the next SetMmPixels.
    void SetAdjustScale(double x, double y);

    // Window size in pixels; a dimension of 1 or less is ignored. Releases a saved bitmap whose
    // width is smaller than the window's or whose height differs, and a cache smaller than the
    // window in either direction (drawing then goes to the window DC until the next Attach).
    void SetWndSize(int cx, int cy);

    void SetZoomWndColor(unsigned long colour);

    // ---- Zoom ----
    // Sets the view: magnification scale (clamped to [MIN_VIEW_SCALE, MAX_VIEW_SCALE]; NaN gives
    // the minimum) and the paper point (x, y) shown at the window's bottom-left corner. Ends the
    // follow-the-paper mode unless an interactive command is active. Does not redraw.
    void Zoom(double scale, double x, double y);
    // Fits a user rectangle into a pixel rectangle of the window (the whole window without target),
    // widened about its centre to the target's aspect ratio. 0 (view unchanged) for a degenerate
    // rectangle or, without force, a scale beyond the limits; force clamps the scale instead.
    int ZoomTo(mgRect userRect, RECT target, int force);
    int ZoomTo(mgRect userRect, int force);
    // Zooms about a screen point (the window centre): the user point under it stays in place.
    // The scale is clamped to the limits. Always 1.
    int ZoomTo(POINT screenPt, double scale);
    int ZoomTo(double scale);
    // f > 0 multiplies the scale by 1 + f, f < 0 divides it by 1 - f.
    int ZoomByFactor(POINT screenPt, double f);
    int ZoomByFactor(double f);
    // Moves the picture by (dx, dy) pixels, right and down. Always 1.
    int ZoomPan(double dx, double dy);
    // Fits the sheet with a margin in pixels (negative: 10) and follows the paper from then on:
    // SetWndSize refits it whenever the window size changes, until the next explicit zoom.
    void ZoomPaper(int regen, int margin);
    // Fits a user rectangle with a margin in pixels (negative: 10) and redraws.
    void ZoomExtent(mgRect userRect, int margin);
    // Key steps: zoom by f * 0.25 about the window centre, pan by f * 0.23 of the window; each
    // redraws (RegenAll) and does nothing while an interactive command drags.
    void ZoomIn(double f);
    void ZoomOut(double f);
    void PanLeft(double f);
    void PanRight(double f);
    void PanUp(double f);
    void PanDown(double f);

    // ---- Interactive view commands ----
    // Codes of zoomMode. ZOOM_PAPER is set only by ZoomPaper.
    enum {
        ZOOM_NONE = 0,
        ZOOM_PAPER = 1,
        ZOOM_PAN = 2,
        ZOOM_DYNAMIC = 3,
        ZOOM_IN = 4,
        ZOOM_OUT = 5,
        ZOOM_WINDOW = 6
    };
    // Cancels the current command, then selects cmd when it is 2 to 6.
    void SetCmd(int cmd);
    int GetZoomMode() const;
    int IsZoomCmd() const; // a command of 2 to 6 is selected
    // Events of the window, in client pixels. OnMouseMove and OnLButtonUp return 1 when the view
    // changed (and was redrawn through RegenAll); feedback-only events call Redraw and return 0.
    void OnLButtonDown(int x, int y);
    int OnMouseMove(int x, int y);
    int OnLButtonUp(int x, int y);
    // Arrows pan, plus and minus zoom, Page Up/Down change the step, Escape cancels. 1 when the key
    // was handled.
    int OnKeyDown(unsigned short key);
    // Ends the command; a drag in progress is undone. 1 when the view changed back.
    int OnCancel();
    // Draws the command's feedback (cross or rubber band) on the draw DC; the host calls it after
    // drawing.
    void OnDraw();

    // ---- Paper ----
    // Paper size in mm; both sides must be at least 2.
    void SetPaper(double w, double h);
    mgRect GetPaperRect() const;           // the sheet in user coordinates, normalised
    void GetPaperRectPixel(RECT& r) const; // the sheet in pixels, limited to +-10000

    // ---- Grid (user units) ----
    // Area the grid covers: 0 the paper, 1 the visible window, 2 the grid rectangle; other values
    // are ignored.
    void SetGridType(int type);
    int GetGridType() const;
    // Spacing (taken only when dx > 1e-7; dy <= 0 hides the grid), base point, and the rectangle of
    // grid type 2 (taken when not empty).
    void SetGrid(double dx, double dy, double ox, double oy, mgRect rect);
    // Draws the grid lines or dots that fall on the window, when their spacing is at least 5 pixels:
    // style 0 dots (outside the paper in outsideColour; above 0xFFFFFF: the drawing colour when
    // the clear colour is the background, else the clear colour's contrast), 1 or 2 solid lines.
    void DrawGrid(unsigned long colour, unsigned long outsideColour, int style);
    // Snaps the user point (x, y) to the nearest node of the visible grid: mode 0 both coordinates,
    // 1 only x, 2 only y. 1 when snapped (sx and sy written; an unsnapped coordinate is copied);
    // 0 when the grid is not visible, for another mode or null outputs (nothing written).
    int SnapGrid(double x, double y, double* sx, double* sy, int mode) const;

    // ---- Line type selection ----
    // name null: direct drawing with the selected pen (scale unchanged). Otherwise the named line
    // type, or the solid line when the name is unknown; scale is taken only when > 1e-7.
    void SetLineType(const char* name, double scale);
    // Name of the current line type (empty for the solid line), null when none. The text is the
    // line type's own and stays valid as long as the line type lives, whatever the view draws or
    // selects meanwhile. A line type its registry has dropped gives the solid line's name.
    const char* GetLineType() const;
    double GetLineScale() const;

    // ---- Conversions ----
    void UserToPaper(double x, double y, double* px, double* py) const;
    void UserToPaper(const mgPoint& pt, mgPoint& out) const;
    void UserToPaper(double x, double y, mgPoint& out) const;
    void UserToPaper(const mgRect& r, mgRect& out) const; // normalised

    void PaperToUser(double px, double py, double* x, double* y) const;
    void PaperToUser(const mgPoint& pt, mgPoint& out) const;
    void PaperToUser(double px, double py, mgPoint& out) const;
    void PaperToUser(const mgRect& r, mgRect& out) const; // normalised

    void PaperToScreen(double px, double py, double* sx, double* sy) const;
    void PaperToScreen(const mgPoint& pt, mgPoint& out) const;
    void PaperToScreen(double px, double py, mgPoint& out) const;
    void PaperToScreen(const mgRect& r, mgRect& out) const;  // normalised: bottom holds the smaller y
    void PaperToScreen(const mgPoint& pt, POINT* out) const; // rounded

    void ScreenToPaper(double sx, double sy, double* px, double* py) const;
    void ScreenToPaper(const mgPoint& pt, mgPoint& out) const;
    void ScreenToPaper(double sx, double sy, mgPoint& out) const;
    void ScreenToPaper(const mgRect& r, mgRect& out) const; // normalised

    // The rectangle forms of UserToScreen and ScreenToUser convert (left, bottom) and (right, top)
    // and store them as they come, without normalising: a normalised user rectangle becomes a
    // screen rectangle whose bottom is the larger y. The RECT forms map RECT.left/bottom and
    // RECT.right/top the same way.
    void UserToScreen(double x, double y, double* sx, double* sy) const;
    void UserToScreen(double x, double y, long* sx, long* sy) const; // rounded, 32-bit values
    void UserToScreen(mgPoint& pt) const;                            // in place
    void UserToScreen(const mgPoint& pt, mgPoint& out) const;
    void UserToScreen(const mgPoint& pt, POINT* out) const; // rounded
    void UserToScreen(double x, double y, mgPoint& out) const;
    void UserToScreen(const mgRect& r, mgRect& out) const;
    void UserToScreen(const mgRect& r, RECT* out) const; // rounded

    void ScreenToUser(double sx, double sy, double* x, double* y) const;
    void ScreenToUser(mgPoint& pt) const; // in place
    void ScreenToUser(const mgPoint& pt, mgPoint& out) const;
    void ScreenToUser(POINT* const pt, mgPoint& out) const;
    void ScreenToUser(double sx, double sy, mgPoint& out) const;
    void ScreenToUser(const mgRect& r, mgRect& out) const;
    void ScreenToUser(const RECT* r, mgRect& out) const;

    // Client coordinates are screen coordinates.
    void ClientToUser(double sx, double sy, double* x, double* y) const;
    void ClientToUser(mgPoint& pt) const;
    void ClientToUser(double sx, double sy, mgPoint& out) const;
    void ClientToUser(const mgPoint& pt, mgPoint& out) const;
    void ClientToUser(POINT* const pt, mgPoint& out) const;
    void ClientToUser(const mgRect& r, mgRect& out) const;
    void ClientToUser(const RECT* r, mgRect& out) const;

    double PaperToScreen() const; // pixels per paper mm
    double UserToScreen() const;  // pixels per user unit
    double ScreenToUser() const;  // user units per pixel

    // ---- Device attachment ----
    // Attaches dc (the drawing target) with attrib (whose capabilities are used; null: dc). Any
    // previous attachment is released first; a null dc leaves the view detached. A printer (any
    // device that is not a raster display) gets white background and clear colours and never a
    // cache; on a display a nonzero useCache asks for an off-screen bitmap of the window's size,
    // and drawing goes to dc when it cannot be made.
    void Attach(HDC dc, HDC attrib = nullptr, int useCache = 0);
    // Releases the cache and the collected paths and forgets the device. The saved bitmap stays.
    void Detach();
    HDC GetDrawDC() const; // the cache DC when there is one, else the attached DC (or null)
    HDC GetCacheHDC();
    int IsPrint() const;
    void ShowCacheBitmap(); // copies the cache to the attached DC

    // ---- Colours and pens ----
    // clear above 0xFFFFFF means "the same as bk". The device context is not touched.
    void SetBkColor(unsigned long bk, unsigned long clear);
    unsigned long GetBkColor() const;
    void SetColorMode(int mode); // 0 colour, 1 grey, 2 inverted; other values are ignored
    int GetColorMode() const;
    // The colour drawing uses for c: values above 0xFFFFFF and colours equal to the background give
    // the background's contrast colour; grey and inverted modes are applied first.
    unsigned long CalcDrawColor(unsigned long colour) const;
    void SetTextColor(unsigned long colour);
    // Pen width in pixels: w <= 0 is -w pixels; w > 0 is hundredths of a paper mm scaled with the
    // view (or 1 pixel when widths are disabled). Capped at 30 pixels except on printers.
    int CalcLineWidth(int width) const;
    void EnableLineWidth(int on);

    // ---- Clip rectangle (screen pixels; bottom holds the larger y; empty: no clipping) ----
    void SetClipRect(const mgRect& r);
    void SetClipRect(RECT r);
    mgRect GetClipRect();
    mgRect GetClipRectUser();

    // Fills the window area of the drawing target with the clear colour (not on printers).
    void Cls();

    // ---- Saved bitmap ----
    // A picture of the view kept for the interactive commands; not selected anywhere, owned by the
    // view, and independent of attachment.
    void GetBmpSize(HBITMAP bmp, SIZE& size) const; // 0 x 0 for a null or unreadable bitmap
    int IsBmpSaved() const;
    HBITMAP GetSavedBmp(); // still owned by the view
    // Ownership: after SetSavedBmp(b) with b not null, the view owns b and deletes it (when it is
    // replaced, cleared, no longer fits the window, or with the view) - also when no saved bitmap
    // existed before the call. The previous saved bitmap, if any and different from b, is deleted.
    // SetSavedBmp(null) deletes the saved bitmap, as ClearBmpSaved does. b must not be selected
    // into a device context, and the host must not delete it afterwards.
    void SetSavedBmp(HBITMAP bmp);
    void ClearBmpSaved();
    int MakeBmpSaved(HDC dc); // 1 when a saved bitmap of the window's size exists afterwards
    void SaveBmp(HDC src);
    void RestoreBmp(int x, int y);
    void ClearBmpRect(mgRect userRect);

    // ---- Redraw callback ----
    void SetRegenFunc(void (*fn)(void*, CGraphSystem*), void* data);
    void RegenAll(); // discards the saved bitmap, then calls the callback
    void Redraw();   // calls the callback, keeps the saved bitmap

    // ---- Drawing (view/primitives.cpp) ----
    // Every call takes its coordinates in the space ct names (user, paper, or anything else:
    // screen pixels as they are) and radii in the units of that space; angles are radians,
    // counter-clockwise in the y-up spaces. With a current line type and paths being collected
    // (autoDrawPath, or BeginPaths) the shape becomes screen points of the path store, drawn
    // through the line type; otherwise it goes to the draw DC at once with the selected pen and
    // brush. Shapes with coordinates that are not finite, radii below 1e-7 or no area draw nothing.
    void DrawLine(double x1, double y1, double x2, double y2, coord_type ct);
    void DrawLine(const mgPoint& p1, const mgPoint& p2, coord_type ct);
    // A segment in screen pixels on dc (null: the draw DC), clipped to the clip rectangle and drawn
    // with MoveToEx/LineTo at once, never through a line type. Coordinates that are not finite draw
    // nothing.
    void DrawLinePx(HDC dc, double x1, double y1, double x2, double y2);
    void DrawCircle(double cx, double cy, double r, coord_type ct);
    void DrawCircle(const mgPoint& c, double r, coord_type ct);
    // An arc of sweep radians from start (negative sweeps run clockwise); a sweep within 1e-7 of 0
    // or beyond a full turn draws the whole circle.
    void DrawArc(double cx, double cy, double r, double start, double sweep, arc_type at, coord_type ct);
    void DrawArc(const mgPoint& c, double r, double start, double sweep, arc_type at, coord_type ct);
    // The elliptic arc GDI's Arc draws: inside the box p1-p2, from the ray through p3
    // counter-clockwise on screen to the ray through p4.
    void DrawArc(const mgPoint& p1, const mgPoint& p2, const mgPoint& p3, const mgPoint& p4, coord_type ct);
    // The axis-aligned ellipse inside the box of two corners (the mgRect form: left, top, right,
    // bottom).
    void DrawEllipse(double x1, double y1, double x2, double y2, coord_type ct);
    void DrawEllipse(const mgRect& r, coord_type ct);
    // An ellipse of half-axes rx, ry about (cx, cy), turned by angleDeg degrees; turned ellipses
    // are drawn at once as Bezier curves, never through a line type.
    void DrawEllipse(double cx, double cy, double rx, double ry, double angleDeg, coord_type ct);
    // The rectangle turned by angle about the origin of its space, then moved by (x, y).
    void DrawRect(const mgRect& r, double angle, double x, double y, coord_type ct);
    void DrawRect(const mgPoint& p1, const mgPoint& p2, const mgPoint& p3, const mgPoint& p4, coord_type ct);
    // n points; closed nonzero draws the closing edge (and a polygon in direct mode).
    void DrawPolyline(int n, const double* xs, const double* ys, int closed, coord_type ct);
    void DrawPolyline(int n, const mgPoint* pts, int closed, coord_type ct);

    // The same shapes with their points mapped through m into paper millimetres.
    void DrawMatrixLine(const mgMatrix& m, const mgPoint& p1, const mgPoint& p2);
    void DrawMatrixCircle(const mgMatrix& m, const mgPoint& c, double r);
    void DrawMatrixArc(const mgMatrix& m, const mgPoint& c, double r, double start, double sweep,
                       arc_type at);
    // The arc from p1 through p2 to p3; nothing when the three points admit no circle.
    void DrawMatrixArc(const mgMatrix& m, const mgPoint& p1, const mgPoint& p2, const mgPoint& p3,
                       arc_type at);
    void DrawMatrixRect(const mgMatrix& m, const mgRect& r, double angle, double x, double y);
    void DrawMatrixPolyline(const mgMatrix& m, int n, const double* xs, const double* ys, int closed);
    void DrawMatrixPolyline(const mgMatrix& m, int n, const mgPoint* pts, int closed);

    // ---- Paths ----
    // true (the default): each drawing call collects its own paths and draws them at its end.
    // Returns the previous setting.
    bool SetAutoDrawPath(bool on);

    // ---- Paper sheet (view/paper.cpp) ----
    // The sheet on a display: one-pixel frame in the background's contrast colour, a 3-pixel
    // shadow when the background is white, filled with the background colour; on a printer only
    // its outline through the current line type. r null: the sheet's own pixel rectangle.
    void DrawPaper(const RECT* r);
    // nx x ny printable areas of the sheet's size less the margins (paper mm times the view scale,
    // used as pixels), extending right and up from the sheet, with their frame and divisions.
    void DrawPaper2(int nx, int ny, double ml, double mt, double mr, double mb);

    // ---- Prompt texts (view/prompt.cpp): sizes independent of the zoom ----
    void DrawPromptText(int x, int y, const char* text, unsigned long colour, unsigned int align);
    void DrawPromptTextUser(double x, double y, const char* text, unsigned long colour, unsigned int align);
    void DrawPromptTextUser(const mgPoint& pt, const char* text, unsigned long colour, unsigned int align);
    CFontFormat* GetPromptTextFormat() const; // owned by the view; null when it could not be made

    // ---- Symbols (view/symbols.cpp) ----
    // Clears the process-wide symbol library and loads the symbol files of dir into it.
    static bool LoadSymbols(const char* dir);
    // The named symbol with its origin at (x, y), turned by angle radians; scale is symbol units
    // per user unit of millimetres (2 draws half the size of 1). An unknown name marks the place
    // with a dot.
    void DrawSymbol(double x, double y, const char* name, double angle, coord_type ct, double scale);

    // ---- Fitted curves (view/fitcurve.cpp) ----
    // Both fits convert the points to screen pixels and append the sampled curve to curve (never
    // clearing it); step and tolerance are pixels. false, with nothing appended, on bad arguments,
    // too few distinct points or a singular system.
    bool FitClampedSpline(mgFitCurve& curve, int n, const double* xs, const double* ys, int closed,
                          double step, double tolerance, coord_type ct);
    bool FitCubicSpline(mgFitCurve& curve, int n, const double* xs, const double* ys, double step,
                        double tolerance, coord_type ct, int flags, double sx0, double sy0, double sx1,
                        double sy1);
    void DrawFitCurve(const mgFitCurve& curve); // the samples as an open polyline in screen pixels

protected:
    CLineType* FindLineType(const char* name);

    // The grid lines on the window: spacing (dx, dy), the first line (x0, y0) nearest the covered
    // area's left and bottom edges, and their counts. 1 when more than two lines run each way.
    int GetGridValues(double& dx, double& dy, double& x0, double& y0, long& nx, long& ny) const;

    // Path store: polylines of screen points collected by the drawing calls. A point that asks for
    // a new path continues the current one when it lies within 2.1 pixels of its last point.
    void BeginPaths();
    void ClearPaths();
    void AddToNewPathAfterNow();
    void AddToPath(double x, double y, int newPath);
    // Draws every collected path through its line type (the solid line when it has none), then
    // fills the closed ones under a solid or hatched brush. The store is kept.
    void DrawPath();

public:
    struct State; // private state block (view/CGraphSystem_p.h)

protected:
    unsigned long zoomWndColor;
    State* state;
    const CLineTypes* lineTypes;

private:
    void ReleaseCache();
    void DropBitmapsNotFitting();

    // The frame of every drawing call: BeginShape starts the call's own paths (autoDrawPath) and
    // tells whether the shape goes to the path store (true) or straight to GDI; EndShape draws and
    // clears the call's paths.
    bool BeginShape();
    void EndShape();
    // lt when it is still the solid line or registered in lineTypes, else null: a registry may
    // have replaced or destroyed a line type since the view or a path took its pointer.
    CLineType* LiveLineType(CLineType* lt) const;

    // For a canvas giving the view back the line type it had (see CGraphCanvas): the current line
    // type object, and its restoration, by the object while it is still live (no lookup by name),
    // else by name as SetLineType does.
    friend class CGraphCanvas;
    CLineType* CurrentLineType() const;
    void RestoreLineType(CLineType* lt, const char* name, double scale);
};
