// Symbols: small named drawings (map and schematic signs) and the library that holds them.
//
// A symbol is a list of items in its own units: lines, rectangles, circles, dots, arcs, texts and
// polylines, plus fill descriptors that give another item of the list a solid or hatched fill.
// Angles are held in radians (the files store degrees), widths are line widths in millimetres.
//
// Symbols come from a directory holding one file per symbol, all in the text format (*.20) or all
// in the binary format (*.20s); mgSymbols::c_bTxtFile chooses which. The file's name without its
// extension is the symbol's name. Names are GBK text, compared case-insensitively for ASCII
// letters and byte for byte otherwise.
//
// Ownership: a library owns its symbols, a symbol its items, an item its text and point block.
// Copies of items, symbols and libraries are deep, so nothing is ever shared or freed twice.
#pragma once

#include "draft2d_export.h"

#include <cstdio>
#include <deque>

#include "io/MgString.h"
#include "values/mgMatrix.h"

class CGraphSystem;

class DRAFT2D_EXPORT mgSymbolItem {
public:
    // The kind selects the members in use; the others stay zero.
    //   'l' line, 'r' rectangle:  x, y, x2, y2 (the two corners), width
    //   'c' circle:               x, y (centre), radius, width
    //   'd' dot:                  x, y
    //   'a' arc:                  x, y (centre), startAngle, endAngle, radius, width
    //   'h' text:                 x, y (anchor), height, angle, extra (0), text
    //   'T' text of binary files: x, y, height, angle, extra, text (kept, not drawn)
    //   'z' polyline / polygon:   width, count, xs and ys (count doubles each, one owned block)
    //   'q' the same layout as 'z' (kept, not drawn)
    //   'f' fill descriptor:      fillIndex (position of the filled item in the list), fillStyle
    //                             (0 solid, 2..7 hatch styles 0..5), fillFlag
    //   0   comment or end record, draws nothing
    mgSymbolItem();
    mgSymbolItem(const mgSymbolItem& other);
    // Deep copy. A text or point block that cannot be duplicated leaves the copy without it (a
    // polyline then has count 0).
    mgSymbolItem& operator=(const mgSymbolItem& other);
    ~mgSymbolItem();

    // Frees the owned text and point block, zeroes every member and sets the kind to 0.
    void clear();

    // Gives the item a point block of n pairs (uninitialised values, count = n); false, with no
    // block, when n is negative or memory runs out. Any earlier block is freed first.
    bool allocPoints(int n);

    char kind;
    float x;
    float y;
    float x2;
    float y2;
    float radius;
    float startAngle;
    float endAngle;
    float width;
    float height;
    float angle;
    float extra;
    int count;
    double* xs; // owned block of 2 * count doubles
    double* ys; // xs + count, inside the same block
    int fillIndex;
    int fillStyle;
    int fillFlag;
    char* text; // owned, malloc'ed
};

class DRAFT2D_EXPORT mgSymbol {
public:
    mgSymbol(const mgSymbol& other);
    mgSymbol& operator=(const mgSymbol& other);
    virtual ~mgSymbol();

    MgString GetName() const { return name; }
    MgString GetComment() const { return comment; }
    std::deque<mgSymbolItem*>& GetItems() { return items; }
    const std::deque<mgSymbolItem*>& GetItems() const { return items; }

    // Destroys every item; the name and comment stay.
    void Clear();

    // Replace the items with those of an open symbol file. 0 on success; the text reader gives -1
    // when memory runs out and -2 for a text item without text, the binary reader -1 for a failed
    // or short read, a count or length that the file cannot hold, or memory. The items read before
    // an error stay in the list. The binary reader reads only what the records need: a successful
    // read leaves the descriptor just after the symbol's end record (a zero kind byte or a comment
    // record), where the next symbol of a file holding several may be read.
    int ReadFileTxt(FILE* f);
    int ReadFileBin(int fd);

    // Draws the items through m, which maps symbol units to paper millimetres, with the pen
    // selected in the view's draw DC: widths and fills are applied per item, texts in the pen's
    // colour. The view's auto-draw setting, line type and line scale are left as they were.
    void Draw(CGraphSystem* gs, const mgMatrix& m);
    // The fill descriptor ('f') of the item at index: true and its style and flag (each output
    // may be null). style is set to -1 first when given.
    bool HasHatch(int index, int* style, int* flag) const;

protected:
    explicit mgSymbol(const char* name);

    std::deque<mgSymbolItem*> items;
    MgString name;
    MgString comment;

    friend class mgSymbols;
};

class DRAFT2D_EXPORT mgSymbols {
public:
    mgSymbols(const mgSymbols& other);
    mgSymbols& operator=(const mgSymbols& other);
    virtual ~mgSymbols();

    static mgSymbols* GetObjectA() { return &c_object; }

    unsigned GetCount() const { return static_cast<unsigned>(items.size()); }
    // The symbol at index, or null out of range.
    mgSymbol* GetItem(unsigned index) const { return index < items.size() ? items[index] : nullptr; }

    // The first symbol of that name, or null (also for a null or empty name).
    mgSymbol* Find(const char* name) const;
    // Its index, or -1.
    int FindIndex(const char* name) const;
    // Takes ownership of s and appends it, destroying a symbol of the same name. 1 when added; 0
    // for null, an empty name, or s already registered (the caller then still owns s).
    int AddItem(mgSymbol* s);
    // Removes s when it is registered and destroys it; null is ignored.
    void DeleteItem(mgSymbol* s);
    void Clear();

    // Adds every symbol file of dir (*.20 when c_bTxtFile, else *.20s; at most 1000 files) without
    // clearing the library first. Files that cannot be opened or read are skipped. false only when
    // no file matches.
    bool Load(const char* dir);

    static mgSymbols c_object;
    static bool c_bTxtFile;

protected:
    mgSymbols();

    std::deque<mgSymbol*> items;
};
