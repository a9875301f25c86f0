// The script reader's parts: the row scanner, typed reads of a row's fields, and the Reader whose
// member functions handle one row kind each. They are spread over files by row family:
//   row.cpp          splitting a row into fields, numbers, colours, GBK texts
//   header_rows.cpp  encoding, units, paper, background, grid, line types, symbols, text styles, view
//   style_rows.cpp   the set row and the attributes of pens, fills and text formats
//   entity_rows.cpp  line, polyline, polygon, spline, circle, arc, ellipse, rect, text, symbol, dim
//   reader.cpp       rows from text or a file, the row kinds, and the drawing's tables
//
// Every complaint about a row is a RowError thrown with the column it points at; the first one ends
// the row (nothing of it enters the drawing) and reading goes on with the next row.
#pragma once

#include <iconv.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "script/script.h"

namespace draft2d::script::detail {

struct RowError {
    int column;
    std::string message;
};

// 'text' for messages: control bytes as \xHH, cut to about 60 bytes at a character boundary.
std::string Quote(std::string_view s);
std::string Lower(std::string_view s);
// s equals lower (all lower case) without regard to the case of ASCII letters.
bool IsWord(std::string_view s, std::string_view lower);
bool ParseNumber(std::string_view text, double& value);
bool ParseColour(std::string_view text, uint32_t& colour);
bool ParseBool(std::string_view text, bool& value);
// "lo to hi" as numbers print in messages.
std::string Range(double lo, double hi);

// One item of a row: its text as CStringSplit gives it (escapes resolved, quotes dropped, blanks
// trimmed), the column of its first character, and whether it was written in double quotes.
struct Field {
    std::string_view text;
    int column = 1;
    bool quoted = false;
};

// Splits rows into fields by CStringSplit's rules with quotes on, and reports what those rules
// would take silently: an unclosed double quote, an escape the rules do not know, a double quote
// inside an unquoted item, text after a closing double quote, and a lone backslash at the end.
// For valid rows the fields are exactly CStringSplit's items. Field texts point into the row or
// into the scanner's own buffer; they live until the next Scan.
class RowScanner {
public:
    void Scan(std::string_view row);
    const std::vector<Field>& fields() const { return fields_; }
    // The row column of a byte of some field's text.
    int ColumnOf(const char* p) const;

private:
    std::string_view row_;
    std::vector<Field> fields_;
    std::string scratch_;             // texts of items that are not a plain piece of the row
    std::vector<uint32_t> scratchAt_; // row offset of every byte of scratch_
};

// UTF-8 to GBK through iconv; the texts and names of a script reach the library as GBK.
class GbkEncoder {
public:
    GbkEncoder();
    ~GbkEncoder();
    GbkEncoder(const GbkEncoder&) = delete;
    GbkEncoder& operator=(const GbkEncoder&) = delete;

    // true with out the GBK text; false with bad the offset of the first byte of text that is not
    // UTF-8 or is a character GBK does not have.
    bool Encode(std::string_view text, std::string& out, size_t& bad);

private:
    iconv_t cd_;
};

// Attributes of a row: key (lower case), value and the column of the item.
struct Attribute {
    std::string key;
    std::string_view value;
    int column;
};

// What a number stands for in messages: name, or name followed by index ("x2").
struct Role {
    const char* name;
    int index = 0;
    std::string Text() const { return index > 0 ? name + std::to_string(index) : std::string(name); }
};

// The fields of one row, split into the kind, positional fields and attributes, with typed reads.
// The first `min` fields after the kind are positional whatever they hold (so that a text such as
// E=mc2 is not taken for an attribute); after them a field of the form key=value, with a key of
// letters and not written in quotes, starts the attributes, and only attributes may follow it.
class RowReader {
public:
    RowReader(RowScanner& scanner, GbkEncoder& encoder) : scanner_(scanner), encoder_(encoder) {}

    // Takes the scanner's fields of row.
    void Reset(std::string_view row, bool gbk);

    std::string_view Kind() const { return fields_[0].text; }
    int KindColumn() const { return fields_[0].column; }
    // Positional fields after the kind.
    int Count() const { return static_cast<int>(positional_) - 1; }
    std::string_view Field(int i) const { return fields_[static_cast<size_t>(i) + 1].text; }
    bool Quoted(int i) const { return fields_[static_cast<size_t>(i) + 1].quoted; }
    // Column of positional field i; past the row's end for a missing one.
    int Column(int i) const;

    // Between min and max positional fields; what tells the reader of the message what they are.
    void ExpectCount(int min, int max, const char* what);
    double Number(int i, Role role, double lo, double hi) const;
    double Coordinate(int i, Role role) const { return Number(i, role, -kMaxCoordinate, kMaxCoordinate); }

    // A text in GBK: a positional field, or any text of the row (an attribute's value).
    std::string Text(int i) const { return Encode(Field(i), Column(i)); }
    std::string Encode(std::string_view text, int column) const;

    // The attributes, each key at most once (color and colour, fillcolor and fillcolour, linetype
    // and ltype count as one key).
    const std::vector<Attribute>& Attributes();
    void NoAttributes() const;

private:
    static bool IsAttribute(const detail::Field& f);

    RowScanner& scanner_;
    GbkEncoder& encoder_;
    std::vector<detail::Field> fields_;
    size_t positional_ = 0;
    bool gbk_ = false;
    int rowEnd_ = 1;
    std::vector<Attribute> attributes_;
};

struct StyleHash {
    size_t operator()(const Style& s) const;
};

struct FormatKey {
    std::string fontName, fontNameEng;
    double height, angle;
    float widthPer, widthPerEng, charGap, rowGap;
    int flags, align, textDirect;
    explicit FormatKey(const CFontFormat& f);
    bool operator==(const FormatKey& o) const;
};
struct FormatKeyHash {
    size_t operator()(const FormatKey& k) const;
};

// Reads rows into a drawing; one member function per row kind.
class Reader {
public:
    Reader(const std::string& file, const ReaderOptions& options, Drawing& drawing,
           std::vector<Diagnostic>& diags);

    // One line of the script (without its line end), numbered row. false when the row failed.
    bool Line(std::string_view line, int row);
    // The row at row is longer than kMaxRowBytes (its start is given): reported unless a comment.
    bool LongLine(std::string_view start, int row);

private:
    void Row(std::string_view line, int row);

    // ---- header rows (header_rows.cpp) ----
    void Once(const char* kind, int firstRow);
    void Encoding();
    void Units();
    void Paper();
    void Background();
    void Grid();
    void LineTypes();
    void LineType();
    void Symbols();
    void TextStyleRow();
    void View();
    std::string Path(std::string_view p) const;

    // ---- styles (style_rows.cpp) ----
    void Set();
    // Attributes every entity and the `set` row take. false when key is not one of them.
    bool StyleAttribute(const Attribute& a, Style& style, Space& space);
    // Attributes of text formats (textstyle rows, text and dim entities). false when not one.
    bool TextAttribute(const Attribute& a, CFontFormat& f) const;
    // The line type a script name stands for as the drawing's registry finds it; throws when none.
    std::string LineTypeName(const Attribute& a);
    RowError UnknownAttribute(const Attribute& a) const;
    int FindTextStyle(std::string_view name) const;
    uint32_t InternStyle(const Style& s);
    int32_t InternFormat(const CFontFormat& f);
    int32_t TextStyleFormat(int textStyle);

    // ---- entities (entity_rows.cpp) ----
    template <typename Extra>
    void EntityAttributes(Entity& e, bool text, Extra extra);
    void EntityAttributes(Entity& e);
    Entity NewEntity(Kind kind) const;
    // Numbers of positional fields first.. as x1, y1, x2, y2, ... into nums_.
    void Points(int first, int minPoints);
    double Degrees(int i, Role role) const;
    // Puts nums_ into the drawing's number store for e, and e into the drawing.
    void Add(Entity& e, std::string* text = nullptr);
    void Line();
    void Poly(Kind kind);
    void Circle();
    void Arc();
    void Ellipse();
    void Rect();
    void Text();
    void Symbol();
    void Dimension();

    const std::string& file_;
    const ReaderOptions& options_;
    Drawing& drawing_;
    std::vector<Diagnostic>& diags_;
    GbkEncoder encoder_;
    RowScanner scanner_;
    RowReader r_;
    int row_ = 0;
    bool gbk_ = false;

    Style current_; // what `set` rows have set
    uint32_t currentStyle_ = 0;
    Space currentSpace_ = Space::User;
    int currentTextStyle_ = 0;
    bool sawEntity_ = false;
    int unitsRow_ = 0, paperRow_ = 0, backgroundRow_ = 0, gridRow_ = 0, viewRow_ = 0;

    std::vector<double> nums_; // numbers of the row being read
    std::unordered_map<Style, uint32_t, StyleHash> styleIndex_;
    std::unordered_map<FormatKey, int32_t, FormatKeyHash> formatIndex_;
    std::vector<int32_t> textStyleFormats_;       // interned format of each text style, -1 until used
    std::unordered_set<std::string> symbolNames_; // lower case
    // Line type names as written and the registry names they resolve to, until the next line type row.
    std::vector<std::pair<std::string, std::string>> lineTypeCache_;
};

} // namespace draft2d::script::detail
