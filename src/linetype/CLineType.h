// Line types: the pattern a polyline is stroked with, and the registry that names them.
//
// A line type is one period of pattern, measured in paper millimetres at line scale 1, that repeats
// along the line. Its items are dashes (optionally doubled into parallel strokes), circles, cross
// ticks, symbols, filling symbols and short texts. Positions are measured from the start of the
// period along the line; offsets are perpendicular to it, along the line's direction turned by
// +90 degrees.
//
// Line types come from a dash definition string ("4-1-0.5-1": dash, gap, dash, gap, ...), from a
// line type file (CLineTypes::LoadFromFile) or item by item (AddItemDataOfLineType).
//
// Names are GBK text, compared case-insensitively for ASCII letters and byte for byte otherwise.
#pragma once

#include "draft2d_export.h"

#include <deque>
#include <string>

#include "platform/win32.h"
#include "values/mgPoint.h"

class CStringSplit;
class CGraphSystem;

class DRAFT2D_EXPORT CLineType {
public:
    // One pattern item. The kind selects which members are used; the others stay zero:
    //   'M' dash:            start, end, offset (single stroke) or offsetCount/offsets (one stroke
    //                        per entry, offset then unused)
    //   'C' circle:          pos, offset, radius
    //   'E' 'H' 'h' tick:    pos, from, to (from and to measured sideways from the line)
    //   'B' symbol:          blockName, pos, offset
    //   'b' filling symbol:  blockName, spacing, inset, fillFlags (1 jitter x, 2 jitter y,
    //                        4 random rotation)
    //   'Z' text:            pos, offset, angle (radians), height, textFlags, text
    // Any other kind draws nothing. Lengths are paper millimetres. The record owns blockName, text
    // and offsets (malloc'ed); a copy duplicates them, and a copy whose offset array cannot be
    // allocated has offsetCount 0.
    struct DRAFT2D_EXPORT item_data {
        item_data();
        item_data(const item_data& other);
        item_data& operator=(const item_data& other);
        ~item_data();

        // Frees the owned blocks, zeroes every member and makes the kind 'M' again.
        void Release();

        char kind;
        float start;
        float end;
        float pos;
        float offset;
        float radius;
        float from;
        float to;
        float spacing;
        float inset;
        float angle;
        float height;
        int offsetCount;
        float* offsets;
        unsigned char fillFlags;
        unsigned char textFlags;
        char* blockName;
        char* text;
    };

    CLineType();
    CLineType(const CLineType& other);
    CLineType& operator=(const CLineType& other);
    virtual ~CLineType();

    // Frees every item; name and comment become empty and the period 0.
    void Clear();

    std::string GetName() const { return name; }
    const std::string& GetComment() const { return comment; }
    float GetPeriod() const { return period; }
    unsigned GetCount() const { return static_cast<unsigned>(items.size()); }
    // Item i in definition order, or null out of range.
    const item_data* GetItem(unsigned i) const { return i < items.size() ? items[i] : nullptr; }

    // Builds the line type from a dash definition: pieces separated by '-', alternately dash and
    // gap lengths from 0.001 to 1000 mm (blank pieces skipped). The name is name, or def itself
    // when name is null or empty. Parsing stops quietly at the first invalid piece, keeping what
    // was read. 1 when the result has items and a period in (0.001, 1000] mm, else 0.
    int SetLineTypeDef(const char* def, const char* name);

    // Appends one item of the given kind from the fields of one line of a line type file
    // (numbers read with GetItemDouble, so a missing field is 0). 0, or -1 when memory runs out.
    int AddItemDataOfLineType(char kind, CStringSplit& split);

    // Strokes the polyline pts (screen pixels, in order) on hdc (null: the view's draw DC) with this
    // line type; scale is the pattern scale (view scale times line scale): one pattern millimetre
    // is gs->GetMmPixels() * scale pixels. Line types without a period draw every segment plainly,
    // without closing the polyline. For the call the view draws directly (no line type) and its
    // text colour becomes the pen's colour; the view's line type and scale, and the DC's objects
    // and state, are those of before the call when it returns.
    void DrawLine(CGraphSystem* gs, HDC hdc, std::deque<mgPoint>* pts, double scale);

    // Moves the stroke (x1,y1)-(x2,y2) sideways by offset pixels (along its direction turned by
    // +90 degrees on screen), mitring its ends against the strokes before (prevAngle) and after
    // (nextAngle) it. An angle above 1e5 means "not given": the stroke's own direction.
    static void CalcOffLine(double& x1, double& y1, double& x2, double& y2, double offset, double angle,
                            double prevAngle, double nextAngle);

protected:
    // ---- The pattern walk (linetype/pattern.cpp) ----
    // DrawPattern walks pts (screen pixels) period by period and lets every item draw its share of
    // each piece; DrawLine calls it for line types with a period. The item painters are given the
    // piece a-e of the path and phase, the pixels of the period already walked at a; one pattern
    // millimetre is gs->GetMmPixels() * scale pixels. curAngle is the direction of the piece,
    // prevAngle that of the stroke arriving at a and endAngle that of the stroke leaving e (for
    // mitred offsets). DrawFillBlock scatters a filling symbol over the closed outline pts.
    void DrawPattern(CGraphSystem* gs, HDC hdc, const std::deque<mgPoint>& pts, double scale) const;
    static void DrawHorLine(CGraphSystem* gs, HDC hdc, const item_data& item, double scale, const mgPoint& a,
                            const mgPoint& e, double phase, double curAngle, double prevAngle,
                            double endAngle);
    static void DrawVerLine(CGraphSystem* gs, HDC hdc, const item_data& item, char kind, double scale,
                            const mgPoint& a, const mgPoint& e, double phase);
    static void DrawCircle(CGraphSystem* gs, HDC hdc, const item_data& item, double scale, const mgPoint& a,
                           const mgPoint& e, double phase);
    static void DrawBlock(CGraphSystem* gs, HDC hdc, const item_data& item, double scale, const mgPoint& a,
                          const mgPoint& e, double phase);
    static void DrawLetter(CGraphSystem* gs, HDC hdc, const item_data& item, double scale, const mgPoint& a,
                           const mgPoint& e, double phase);
    static void DrawFillBlock(CGraphSystem* gs, HDC hdc, const std::deque<mgPoint>& pts,
                              const item_data& item, double scale);

protected:
    std::string name;
    std::string comment;
    float period;
    std::deque<item_data*> items;

    friend class CLineTypes;
    friend class CGraphSystem; // GetLineType hands out the name itself
};

// An ordered registry of line types. It owns its line types; c_solidLine belongs to no registry.
class DRAFT2D_EXPORT CLineTypes {
public:
    CLineTypes(const CLineTypes& other);
    CLineTypes& operator=(const CLineTypes& other);
    virtual ~CLineTypes();

    static CLineTypes* GetObjectA() { return &c_object; }

    unsigned GetCount() const { return static_cast<unsigned>(items.size()); }
    // The line type at index, or null out of range.
    CLineType* GetItem(unsigned index) const { return index < items.size() ? items[index] : nullptr; }

    // Takes ownership of lt and appends it, replacing (destroying) a line type of the same name,
    // so a replaced name moves to the end. 1 when added; 0 for null, an empty name, or lt already
    // registered under that name (the caller then still owns lt).
    int AddItem(CLineType* lt);
    // A new line type from a dash definition, added; 1 when both steps succeed.
    int AddItemDef(const char* def, const char* name);
    // Removes lt when it is registered and destroys it; null and &c_solidLine are ignored.
    void DeleteItem(CLineType* lt);
    void Clear();

    // Resolves a name: null, "0", "实线" (solid), "Continuous" (any case) give &c_solidLine;
    // "ACAD_ISO" followed by 02..15 and the numbers "1".."15" name the standard line types; then
    // the first line type with that name. Null when none.
    CLineType* Find(const char* name) const;
    // Index of the first line type with that name (no aliases), -1 when none.
    int FindIndex(const char* name) const;

    // Adds the fourteen standard line types (indices 2 to 15).
    void LoadStdLineTypes();
    // Reads a line type file into the registry. -1 when the file cannot be opened, else the
    // registry's count afterwards.
    int LoadFromFile(const char* path);

    // Name of standard line type index 1..15 ("实线" .. "双划三点线", GBK), null otherwise.
    static const char* StdLineTypeName(int index);

    static CLineTypes c_object;
    static CLineType c_solidLine;

protected:
    explicit CLineTypes(int loadStd);

    std::deque<CLineType*> items;
};
