// Drawing scripts: the text format that draft2d-render and draft2d-view read (docs/script-format.md).
//
// A script is a list of rows of the library's escaped, comma-separated text (the rules of
// CStringSplit with double-quote grouping). The first item of a row names its kind; header rows set
// up the drawing (units, paper, grid, line types, symbols, text styles), state rows change what the
// rows after them use (pen, fill, coordinate space), and entity rows add shapes. Reading turns a
// script into a Drawing: the settings and the entities in script order, each entity with its style
// resolved.
//
// Errors: a row that cannot be used is reported with the file, its row and column (1-based, in
// bytes of the row) and what was expected, and reading goes on with the next row. Nothing of a
// failed row enters the drawing.
//
// Coordinates of entities are user units (the unit of the `units` row) unless the row is in paper
// space (`space=paper`, or a `set,space=paper` row before it), where they are paper millimetres.
// Angles are degrees in the script and radians in the drawing, counter-clockwise. Texts and names
// reach the library as GBK bytes; the script itself is UTF-8 unless an `encoding,gbk` row says
// otherwise.
//
// Storage: a drawing holds a million entities in well under 100 bytes each. An entity is a small
// fixed record; its numbers live in the drawing's number blocks, its style, text format and text in
// tables of the drawing that the entity refers to by index, so that rows that share a style share
// one copy of it.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "linetype/CLineType.h"
#include "text/CFontFormat.h"
#include "values/mgRect.h"

namespace draft2d::script {

struct Diagnostic {
    std::string file;
    int row = 0;    // 1-based line number; 0 for the file as a whole
    int column = 0; // 1-based byte column of the field; 0 for the row or file as a whole
    std::string message;

    // "file:row:column: message" (row and column left out where they are 0).
    std::string Format() const;
};

// Colours are 0x00BBGGRR as the library takes them; kContrast asks for the background's contrast.
constexpr uint32_t kContrast = 0xFFFFFFFFu;

enum class Space : uint8_t { User = 0, Paper = 1 };

enum class Fill : uint8_t { None, Solid, Hatch };

struct Style {
    uint32_t colour = kContrast;
    // The library's pen width: > 0 hundredths of a paper mm, <= 0 pixels (0 is one pixel).
    int width = 0;
    // Line type name in GBK as the drawing's registry finds it ("0" is the solid line); empty draws
    // without a line type (directly with the pen).
    std::string lineType = "0";
    double lineScale = 1.0;
    Fill fill = Fill::None;
    int hatch = 0; // HS_HORIZONTAL .. HS_DIAGCROSS when fill is Hatch
    uint32_t fillColour = kContrast;

    bool operator==(const Style& o) const {
        return colour == o.colour && width == o.width && lineType == o.lineType && lineScale == o.lineScale &&
               fill == o.fill && hatch == o.hatch && fillColour == o.fillColour;
    }
};

enum class Kind : uint8_t {
    Line,
    Polyline,
    Polygon,
    Circle,
    Arc,
    Ellipse,
    Rect,
    Text,
    Symbol,
    Spline,
    Dimension
};

struct Entity {
    Kind kind = Kind::Line;
    Space space = Space::User;
    uint8_t arcType = 0;  // Arc: CGraphSystem::arc_type
    bool closed = false;  // Spline
    uint8_t decimals = 0; // Dimension: decimals of the measured length
    int row = 0;          // script row, for messages while drawing
    uint32_t style = 0;   // index into Drawing::styles
    uint32_t count = 0;   // numbers at v
    // Numbers of the row by kind (angles already in radians), in the drawing's number blocks:
    //   Line       x1 y1 x2 y2
    //   Polyline, Polygon, Spline   x1 y1 x2 y2 ...
    //   Circle     cx cy r
    //   Arc        cx cy r start sweep
    //   Ellipse    cx cy rx ry angle
    //   Rect       x y w h angle (corner (x, y), turned about it)
    //   Text       x y
    //   Symbol     x y angle scale
    //   Dimension  x1 y1 x2 y2 offset (the dimension line runs offset to the left of p1 -> p2)
    const double* v = nullptr;
    int32_t text = -1;   // Text, Dimension (none: the measured length), Symbol (its name): index into
                         // Drawing::texts, GBK
    int32_t format = -1; // Text, Dimension: index into Drawing::formats, the text style with the row's
                         // own settings applied

    std::vector<double> Numbers() const { return std::vector<double>(v, v + count); }
};

// How the render tool frames the drawing when no option says otherwise.
enum class ViewFit { Paper, Extent, Window };

struct SymbolDir {
    std::string path;
    bool text = false; // .20 text files; else .20s binary files
};

struct TextStyle {
    std::string name; // as written in the script (UTF-8)
    CFontFormat format;
};

// Blocks of doubles that never move once written, so that entities may point into them.
class NumberStore {
public:
    // Room for n numbers in one piece, valid as long as the store.
    double* Append(size_t n);
    size_t size() const { return size_; }

private:
    static constexpr size_t kBlock = 1u << 16;
    std::vector<std::unique_ptr<double[]>> blocks_;
    std::vector<std::unique_ptr<double[]>> large_; // rows of more than kBlock numbers
    size_t used_ = kBlock;                         // numbers used of the last block of kBlock
    size_t size_ = 0;
};

struct Drawing {
    Drawing();
    ~Drawing();
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    // User coordinate system: CGraphSystem::SetUCS(scale, originX, originY, unit).
    int unit = 0;
    double scale = 1.0;
    double originX = 0.0;
    double originY = 0.0;

    double paperWidth = 297.0; // mm
    double paperHeight = 210.0;
    bool hasMargins = false;
    double margins[4] = {0, 0, 0, 0}; // left, top, right, bottom in mm

    uint32_t background = 0xFFFFFF;

    bool hasGrid = false;
    double gridX = 10.0, gridY = 10.0, gridOriginX = 0.0, gridOriginY = 0.0;
    int gridStyle = 0; // 0 dots, 1 lines
    int gridType = 0;  // 0 paper, 1 window
    uint32_t gridColour = 0xC0C0C0;

    ViewFit fit = ViewFit::Paper;
    mgRect window; // user rectangle of ViewFit::Window

    // The drawing's own line type registry: the standard line types, then the files and
    // definitions of the script. Entities refer to it by name.
    std::unique_ptr<CLineTypes> lineTypes;
    std::vector<SymbolDir> symbolDirs;
    std::vector<std::string> symbolNames; // GBK, as found in the symbol directories
    std::vector<TextStyle> textStyles;    // [0] is the default style "standard"

    std::deque<Entity> entities;
    std::vector<Style> styles; // each distinct style once
    std::vector<CFontFormat> formats;
    std::deque<std::string> texts;
    NumberStore numbers;

    const Style& StyleOf(const Entity& e) const { return styles[e.style]; }
    const CFontFormat& FormatOf(const Entity& e) const { return formats[static_cast<size_t>(e.format)]; }
    // The entity's text or name; empty when it has none.
    const std::string& TextOf(const Entity& e) const;

    // Paper millimetres per user unit of the UCS.
    double UserToMm() const;
};

struct ReaderOptions {
    // Line type files and symbol directories are read from disk. Off, such rows are reported as
    // errors (the fuzz harness turns it off).
    bool allowFiles = true;
    // Relative paths of line type files and symbol directories are taken from here.
    std::string baseDir = ".";
};

// Limits of outside data: longer rows, larger numbers and more points than these are errors.
constexpr size_t kMaxRowBytes = 4u << 20;
constexpr int kMaxPoints = 100000;
constexpr double kMaxCoordinate = 1e9;
constexpr uintmax_t kMaxLineTypeFileBytes = 16u << 20;

// Reads script text into drawing (which must be freshly constructed). Diagnostics are appended to
// diags. Returns the number of rows that failed.
int ReadScript(const std::string& text, const std::string& fileName, const ReaderOptions& options,
               Drawing& drawing, std::vector<Diagnostic>& diags);
// Reads a script file a piece at a time; relative paths in it are taken from the file's folder. A
// file that cannot be read is one failure with row 0.
int ReadScriptFile(const std::string& path, Drawing& drawing, std::vector<Diagnostic>& diags);

// Parses one number as the script writes numbers: decimal, optional sign, fraction and exponent;
// no hexadecimal, infinities or NaN. false when text is not such a number or is out of range.
bool ParseNumber(const std::string& text, double& value);
// #rrggbb, a colour name or "contrast"; false when unknown.
bool ParseColour(const std::string& text, uint32_t& colour);

} // namespace draft2d::script
