// The script reader: rows split by CStringSplit, each turned into settings or an entity.
//
// Every row is handled by one function of its kind that reads its fields through a RowReader. The
// RowReader knows the column of every field, so that any complaint about a field points at it;
// the first complaint ends the row (nothing of it enters the drawing) and reading goes on.
#include "script/script.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <sstream>

#include "io/CStringSplit.h"
#include "view/CGraphSystem.h"

namespace draft2d::script {

namespace {

namespace fs = std::filesystem;

constexpr double kPi = 3.14159265358979323846;

// Thrown by the row readers; caught once per row.
struct RowError {
    int column;
    std::string message;
};

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (unsigned char c : s) {
        if (c < 32 || c == 127) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    if (out.size() > 61) {
        out.resize(58);
        out += "...";
    }
    return out + "'";
}

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

// Start columns of the items CStringSplit::SplitString makes of a row (quotes on). It follows the
// splitter's rules: blanks and control characters are skipped at the start of an item, a backslash
// takes the next byte with it, a double quote opens quoting only at the start of an item.
std::vector<int> ItemColumns(const std::string& row) {
    std::vector<int> columns;
    const size_t n = row.size();
    size_t start = 0;
    bool atStart = true;
    bool inQuote = false;
    bool recorded = false;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(row[i]);
        if (atStart && ((c >= 1 && c <= 32 && c != 9 && c != 10 && c != 13) || c == 0)) {
            continue;
        }
        if (!recorded) {
            start = i;
            recorded = true;
        }
        if (c == ',' && !inQuote) {
            columns.push_back(static_cast<int>(recorded ? start : i) + 1);
            atStart = true;
            recorded = false;
            continue;
        }
        if (c == '"') {
            inQuote = atStart && !inQuote;
            continue;
        }
        if (c == '\\') {
            ++i;
            atStart = false;
            continue;
        }
        if (c < 32 && c != 9) {
            continue;
        }
        atStart = false;
    }
    columns.push_back(static_cast<int>(recorded ? start : n) + 1);
    return columns;
}

// UTF-8 to GBK through iconv; the texts and names of a script reach the library as GBK.
class GbkEncoder {
public:
    GbkEncoder() : cd_(iconv_open("GBK", "UTF-8")) {}
    ~GbkEncoder() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(cd_);
        }
    }
    GbkEncoder(const GbkEncoder&) = delete;
    GbkEncoder& operator=(const GbkEncoder&) = delete;

    // false when text is not UTF-8 or holds a character GBK does not have.
    bool Encode(const std::string& text, std::string& out) {
        out.clear();
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            return false;
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::vector<char> in(text.begin(), text.end());
        char* src = in.data();
        size_t srcLeft = in.size();
        std::vector<char> buf(text.size() * 2 + 8);
        char* dst = buf.data();
        size_t dstLeft = buf.size();
        while (srcLeft > 0) {
            if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) {
                return false;
            }
        }
        out.assign(buf.data(), buf.size() - dstLeft);
        return true;
    }

private:
    iconv_t cd_;
};

// The fields of one row with their columns, and typed reads of them.
class RowReader {
public:
    RowReader(const CStringSplit& split, const std::string& row, bool gbk, GbkEncoder& encoder)
        : gbk_(gbk), encoder_(encoder), rowEnd_(static_cast<int>(row.size()) + 1) {
        const std::vector<int> columns = ItemColumns(row);
        const int n = split.GetCount();
        for (int i = 0; i < n; ++i) {
            const char* item = split.GetItem(i);
            fields_.push_back(item != nullptr ? item : "");
            // The two scans agree on the items; should they not, the row's start is still a place.
            columns_.push_back(static_cast<size_t>(i) < columns.size() ? columns[i] : 1);
        }
        // Trailing empty items ("line,0,0,1,1,") carry nothing.
        while (fields_.size() > 1 && fields_.back().empty()) {
            fields_.pop_back();
            columns_.pop_back();
        }
        // Attributes (key=value) follow the positional fields.
        positional_ = fields_.size();
        for (size_t i = 1; i < fields_.size(); ++i) {
            if (IsAttribute(fields_[i])) {
                positional_ = i;
                break;
            }
        }
        for (size_t i = positional_; i < fields_.size(); ++i) {
            if (!IsAttribute(fields_[i])) {
                throw RowError{columns_[i],
                               "expected key=value after the first attribute, found " + Quote(fields_[i])};
            }
        }
    }

    const std::string& Kind() const { return fields_[0]; }
    int KindColumn() const { return columns_[0]; }
    // Positional fields after the kind.
    int Count() const { return static_cast<int>(positional_) - 1; }
    const std::string& Field(int i) const { return fields_[static_cast<size_t>(i) + 1]; }
    int Column(int i) const {
        const size_t k = static_cast<size_t>(i) + 1;
        return k < columns_.size() ? columns_[k] : rowEnd_;
    }

    // Between min and max positional fields; what tells the reader of the message what they are.
    // The first min fields after the kind are positional whatever they hold, so that a text such
    // as E=mc2 is not taken for an attribute.
    void ExpectCount(int min, int max, const char* what) const {
        positional_ = std::max(positional_, std::min(fields_.size(), static_cast<size_t>(min) + 1));
        const int n = Count();
        if (n >= min && n <= max) {
            return;
        }
        std::string expected =
            min == max ? std::to_string(min) : std::to_string(min) + " to " + std::to_string(max);
        if (max == INT32_MAX) {
            expected = "at least " + std::to_string(min);
        }
        const int column = n > max ? Column(max) : Column(n);
        throw RowError{column, Kind() + ": expected " + expected + " fields (" + what + "), found " +
                                   std::to_string(n)};
    }

    double Number(int i, const char* what, double lo, double hi) const {
        double v = 0.0;
        if (!ParseNumber(Field(i), v)) {
            throw RowError{Column(i),
                           std::string("expected a number for ") + what + ", found " + Quote(Field(i))};
        }
        if (v < lo || v > hi) {
            throw RowError{Column(i),
                           std::string(what) + " " + Field(i) + " is out of range (" + Range(lo, hi) + ")"};
        }
        return v;
    }
    double Coordinate(int i, const char* what) const {
        return Number(i, what, -kMaxCoordinate, kMaxCoordinate);
    }

    // A text field in GBK.
    std::string Text(int i) const { return Encode(Field(i), Column(i)); }
    std::string Encode(const std::string& text, int column) const {
        if (gbk_) {
            return text;
        }
        std::string out;
        if (!encoder_.Encode(text, out)) {
            throw RowError{column, "text " + Quote(text) + " is not UTF-8 that GBK can hold"};
        }
        return out;
    }

    // Attributes: key (lower case), value and column.
    struct Attribute {
        std::string key;
        std::string value;
        int column;
    };
    std::vector<Attribute> Attributes() const {
        std::vector<Attribute> out;
        for (size_t i = positional_; i < fields_.size(); ++i) {
            const size_t eq = fields_[i].find('=');
            std::string key = Lower(fields_[i].substr(0, eq));
            while (!key.empty() && key.back() == ' ') {
                key.pop_back();
            }
            std::string value = fields_[i].substr(eq + 1);
            const size_t first = value.find_first_not_of(' ');
            value = first == std::string::npos ? std::string() : value.substr(first);
            out.push_back({key, value, columns_[i]});
        }
        return out;
    }
    void NoAttributes() const {
        if (positional_ < fields_.size()) {
            throw RowError{columns_[positional_],
                           Kind() + " takes no attributes, found " + Quote(fields_[positional_])};
        }
    }

    static std::string Range(double lo, double hi) {
        std::ostringstream s;
        s << lo << " to " << hi;
        return s.str();
    }

private:
    // key=value with a key of letters: a text that merely holds '=' stays positional if quoted
    // fields with other characters before the '=' are used.
    static bool IsAttribute(const std::string& f) {
        const size_t eq = f.find('=');
        if (eq == std::string::npos || eq == 0) {
            return false;
        }
        for (size_t i = 0; i < eq; ++i) {
            const char c = f[i];
            if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c == ' ' && i > 0))) {
                return false;
            }
        }
        return true;
    }

    std::vector<std::string> fields_;
    std::vector<int> columns_;
    mutable size_t positional_ = 0;
    bool gbk_;
    GbkEncoder& encoder_;
    int rowEnd_;
};

// Values of attributes and header fields.

bool ParseBool(const std::string& text, bool& v) {
    const std::string s = Lower(text);
    if (s == "yes" || s == "true" || s == "on" || s == "1") {
        v = true;
        return true;
    }
    if (s == "no" || s == "false" || s == "off" || s == "0") {
        v = false;
        return true;
    }
    return false;
}

int ParseUnit(const std::string& text) {
    static const char* const names[][2] = {{"mm", "millimetre"}, {"cm", "centimetre"}, {"m", "metre"},
                                           {"km", "kilometre"},  {"in", "inch"},       {"ft", "foot"}};
    const std::string s = Lower(text);
    for (int i = 0; i < 6; ++i) {
        if (s == names[i][0] || s == names[i][1]) {
            return i;
        }
    }
    return -1;
}

struct NamedSize {
    const char* name;
    double w, h;
};
const NamedSize kPaperSizes[] = {
    {"a0", 1189, 841}, {"a1", 841, 594}, {"a2", 594, 420}, {"a3", 420, 297}, {"a4", 297, 210}};

const char* const kHatchNames[] = {"horizontal", "vertical", "fdiagonal", "bdiagonal", "cross", "diagcross"};

struct Reader {
    Reader(const std::string& f, const ReaderOptions& o, Drawing& d, std::vector<Diagnostic>& g)
        : file(f), options(o), drawing(d), diags(g) {}

    const std::string& file;
    const ReaderOptions& options;
    Drawing& drawing;
    std::vector<Diagnostic>& diags;
    GbkEncoder encoder;
    CStringSplit split; // reused from row to row
    bool gbk = false;
    Style current; // what `set` rows have set
    Space currentSpace = Space::User;
    int currentTextStyle = 0;
    bool sawEntity = false;

    std::string Path(const std::string& p) const {
        const fs::path path(p);
        if (path.is_absolute()) {
            return p;
        }
        return (fs::path(options.baseDir) / path).lexically_normal().string();
    }

    int FindTextStyle(const std::string& name) const {
        for (size_t i = 0; i < drawing.textStyles.size(); ++i) {
            if (Lower(drawing.textStyles[i].name) == Lower(name)) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    static RowError UnknownColour(const RowReader::Attribute& a) {
        return RowError{a.column, "unknown colour " + Quote(a.value) +
                                      " (expected #rrggbb, a colour name or contrast)"};
    }

    bool HasSymbol(const std::string& gbkName) const {
        for (const std::string& s : drawing.symbolNames) {
            if (Lower(s) == Lower(gbkName)) {
                return true;
            }
        }
        return false;
    }

    // Attributes every entity and the `set` row take. false when key is not one of them.
    bool StyleAttribute(const RowReader& r, const RowReader::Attribute& a, Style& style, Space& space) {
        if (a.key == "colour" || a.key == "color") {
            if (!ParseColour(a.value, style.colour)) {
                throw RowError{a.column, "unknown colour " + Quote(a.value) +
                                             " (expected #rrggbb, a colour name or contrast)"};
            }
        } else if (a.key == "fillcolour" || a.key == "fillcolor") {
            if (!ParseColour(a.value, style.fillColour)) {
                throw RowError{a.column, "unknown colour " + Quote(a.value) +
                                             " (expected #rrggbb, a colour name or contrast)"};
            }
        } else if (a.key == "width") {
            style.width = ParseWidth(a);
        } else if (a.key == "ltype" || a.key == "linetype") {
            const std::string name = r.Encode(a.value, a.column);
            if (Lower(name) == "none") {
                style.lineType.clear();
            } else if (drawing.lineTypes->Find(name.c_str()) == nullptr) {
                throw RowError{a.column, "unknown line type " + Quote(a.value)};
            } else {
                style.lineType = name;
            }
        } else if (a.key == "lscale") {
            double v = 0.0;
            if (!ParseNumber(a.value, v) || v < 1e-6 || v > 1e6) {
                throw RowError{a.column, "expected a line type scale from 0.000001 to 1000000, found " +
                                             Quote(a.value)};
            }
            style.lineScale = v;
        } else if (a.key == "fill") {
            const std::string v = Lower(a.value);
            if (v == "none") {
                style.fill = Fill::None;
            } else if (v == "solid") {
                style.fill = Fill::Solid;
            } else {
                int hatch = -1;
                for (int i = 0; i < 6; ++i) {
                    if (v == kHatchNames[i]) {
                        hatch = i;
                    }
                }
                if (hatch < 0) {
                    throw RowError{a.column, "unknown fill " + Quote(a.value) +
                                                 " (expected none, solid, horizontal, vertical, fdiagonal, "
                                                 "bdiagonal, cross or diagcross)"};
                }
                style.fill = Fill::Hatch;
                style.hatch = hatch;
            }
        } else if (a.key == "space") {
            const std::string v = Lower(a.value);
            if (v == "user") {
                space = Space::User;
            } else if (v == "paper") {
                space = Space::Paper;
            } else {
                throw RowError{a.column, "expected user or paper for space, found " + Quote(a.value)};
            }
        } else {
            return false;
        }
        return true;
    }

    // Millimetres (a number) or pixels ("2px") as the library's width.
    static int ParseWidth(const RowReader::Attribute& a) {
        std::string v = a.value;
        const bool px = v.size() > 2 && Lower(v.substr(v.size() - 2)) == "px";
        if (px) {
            v.resize(v.size() - 2);
        }
        double w = 0.0;
        if (!ParseNumber(v, w) || w < 0 || w > (px ? 100.0 : 20.0)) {
            throw RowError{a.column,
                           "expected a width of 0 to 20 (mm) or 0px to 100px, found " + Quote(a.value)};
        }
        if (px) {
            return -static_cast<int>(w + 0.5);
        }
        const int hundredths = static_cast<int>(w * 100.0 + 0.5);
        return hundredths;
    }

    // Attributes of text formats (textstyle rows, text and dim entities). false when not one.
    static bool TextAttribute(const RowReader& r, const RowReader::Attribute& a, CFontFormat& f) {
        const std::string& k = a.key;
        auto number = [&](double lo, double hi) {
            double v = 0.0;
            if (!ParseNumber(a.value, v) || v < lo || v > hi) {
                throw RowError{a.column, "expected a number from " + RowReader::Range(lo, hi) + " for " + k +
                                             ", found " + Quote(a.value)};
            }
            return v;
        };
        auto flag = [&]() {
            bool v = false;
            if (!ParseBool(a.value, v)) {
                throw RowError{a.column, "expected yes or no for " + k + ", found " + Quote(a.value)};
            }
            return v ? 1 : 0;
        };
        if (k == "height") {
            const double h = number(0.1, 1000.0);
            f.SetHeight(h);
        } else if (k == "font") {
            f.SetFontName(r.Encode(a.value, a.column).c_str());
        } else if (k == "fonteng") {
            f.SetFontNameEng(r.Encode(a.value, a.column).c_str());
        } else if (k == "widthfactor") {
            f.SetWidthPer(static_cast<float>(number(0.0, 10.0)));
        } else if (k == "widthfactoreng") {
            f.SetWidthPerEng(static_cast<float>(number(0.0, 10.0)));
        } else if (k == "angle") {
            f.SetAngle(number(-360.0, 360.0) * kPi / 180.0);
        } else if (k == "bold") {
            f.SetBold(flag());
        } else if (k == "italic") {
            f.SetItalic(flag());
        } else if (k == "underline") {
            f.SetUnderLine(flag());
        } else if (k == "strikeout") {
            f.SetStrikeOut(flag());
        } else if (k == "chargap") {
            f.SetCharGap(static_cast<float>(number(-0.4, 5.0)));
        } else if (k == "rowgap") {
            f.SetRowGap(static_cast<float>(number(-0.9, 10.0)));
        } else if (k == "align") {
            const std::string v = Lower(a.value);
            static const char hs[] = "lcr";
            static const char vs[] = "bmt";
            const char* h = v.size() == 2 ? strchr(hs, v[0]) : nullptr;
            const char* w = v.size() == 2 ? strchr(vs, v[1]) : nullptr;
            if (h == nullptr || w == nullptr || v[0] == 0 || v[1] == 0) {
                throw RowError{a.column,
                               "expected an alignment of two letters, l/c/r then b/m/t (such as lb or "
                               "cm), found " +
                                   Quote(a.value)};
            }
            f.SetAlign(static_cast<unsigned>(h - hs) | static_cast<unsigned>(w - vs) * 4u);
        } else {
            return false;
        }
        return true;
    }

    static RowError UnknownAttribute(const RowReader& r, const RowReader::Attribute& a) {
        return RowError{a.column, r.Kind() + " has no attribute " + Quote(a.key)};
    }

    // ---- header rows ----

    void Encoding(const RowReader& r) {
        r.ExpectCount(1, 1, "utf-8 or gbk");
        r.NoAttributes();
        const std::string v = Lower(r.Field(0));
        if (v == "utf-8" || v == "utf8") {
            gbk = false;
        } else if (v == "gbk" || v == "cp936") {
            gbk = true;
        } else {
            throw RowError{r.Column(0), "expected utf-8 or gbk, found " + Quote(r.Field(0))};
        }
    }

    void Units(const RowReader& r) {
        r.ExpectCount(2, 4, "unit, scale, paper x and y of the origin");
        r.NoAttributes();
        const int unit = ParseUnit(r.Field(0));
        if (unit < 0) {
            throw RowError{r.Column(0),
                           "unknown unit " + Quote(r.Field(0)) + " (expected mm, cm, m, km, in or ft)"};
        }
        const double scale = r.Number(1, "scale", 1e-6, 1e9);
        // Entities are drawn in the units of the drawing; units may not change under earlier rows.
        if (sawEntity) {
            throw RowError{r.KindColumn(), "units must come before the first entity"};
        }
        drawing.unit = unit;
        drawing.scale = scale;
        drawing.originX = r.Count() > 2 ? r.Number(2, "origin x", -1e6, 1e6) : 0.0;
        drawing.originY = r.Count() > 3 ? r.Number(3, "origin y", -1e6, 1e6) : 0.0;
    }

    void Paper(const RowReader& r) {
        r.ExpectCount(1, 6, "width and height in mm or a size A0 to A4, then four margins");
        r.NoAttributes();
        int next = 0;
        double w = 0.0, h = 0.0;
        double dummy = 0.0;
        if (!ParseNumber(r.Field(0), dummy)) {
            const std::string name = Lower(r.Field(0));
            bool found = false;
            for (const NamedSize& s : kPaperSizes) {
                if (name == s.name) {
                    w = s.w;
                    h = s.h;
                    found = true;
                }
            }
            if (!found) {
                throw RowError{r.Column(0),
                               "expected a paper width in mm or a size A0 to A4, found " + Quote(r.Field(0))};
            }
            next = 1;
        } else {
            r.ExpectCount(2, 6, "width, height, then four margins");
            w = r.Number(0, "paper width", 2.0, 100000.0);
            h = r.Number(1, "paper height", 2.0, 100000.0);
            next = 2;
        }
        const int rest = r.Count() - next;
        if (rest != 0 && rest != 4) {
            throw RowError{r.Column(std::min(r.Count(), next + 4)),
                           "paper: expected four margins (left, top, right, bottom in mm) or none, found " +
                               std::to_string(rest)};
        }
        double m[4] = {0, 0, 0, 0};
        static const char* const names[] = {"left margin", "top margin", "right margin", "bottom margin"};
        for (int i = 0; i < rest; ++i) {
            m[i] = r.Number(next + i, names[i], 0.0, 10000.0);
        }
        if (rest == 4 && (m[0] + m[2] >= w || m[1] + m[3] >= h)) {
            throw RowError{r.Column(next),
                           "paper: the margins leave no room on a sheet of " + RowReader::Range(w, h)};
        }
        drawing.paperWidth = w;
        drawing.paperHeight = h;
        drawing.hasMargins = rest == 4;
        std::copy(m, m + 4, drawing.margins);
    }

    void Background(const RowReader& r) {
        r.ExpectCount(1, 1, "colour");
        r.NoAttributes();
        uint32_t c = 0;
        if (!ParseColour(r.Field(0), c) || c == kContrast) {
            throw RowError{r.Column(0),
                           "expected a colour (#rrggbb or a colour name), found " + Quote(r.Field(0))};
        }
        drawing.background = c;
    }

    void Grid(const RowReader& r) {
        r.ExpectCount(1, 2, "spacing along x and y in user units");
        const double dx = r.Number(0, "grid spacing", 1e-6, 1e9);
        const double dy = r.Count() > 1 ? r.Number(1, "grid spacing", 1e-6, 1e9) : dx;
        int style = 0, type = 0;
        double ox = 0.0, oy = 0.0;
        uint32_t colour = 0xC0C0C0;
        for (const RowReader::Attribute& a : r.Attributes()) {
            const std::string v = Lower(a.value);
            if (a.key == "style") {
                if (v != "dots" && v != "lines") {
                    throw RowError{a.column, "expected dots or lines for style, found " + Quote(a.value)};
                }
                style = v == "lines" ? 1 : 0;
            } else if (a.key == "over") {
                if (v != "paper" && v != "window") {
                    throw RowError{a.column, "expected paper or window for over, found " + Quote(a.value)};
                }
                type = v == "window" ? 1 : 0;
            } else if (a.key == "colour" || a.key == "color") {
                if (!ParseColour(a.value, colour)) {
                    throw RowError{a.column, "unknown colour " + Quote(a.value) +
                                                 " (expected #rrggbb, a colour name or contrast)"};
                }
            } else if (a.key == "origin") {
                const size_t sep = a.value.find(' ');
                if (sep == std::string::npos || !ParseNumber(a.value.substr(0, sep), ox) ||
                    !ParseNumber(a.value.substr(sep + 1), oy) || std::fabs(ox) > kMaxCoordinate ||
                    std::fabs(oy) > kMaxCoordinate) {
                    throw RowError{a.column, "expected two numbers separated by a space for origin, found " +
                                                 Quote(a.value)};
                }
            } else {
                throw UnknownAttribute(r, a);
            }
        }
        drawing.hasGrid = true;
        drawing.gridX = dx;
        drawing.gridY = dy;
        drawing.gridOriginX = ox;
        drawing.gridOriginY = oy;
        drawing.gridStyle = style;
        drawing.gridType = type;
        drawing.gridColour = colour;
    }

    void LineTypes(const RowReader& r) {
        r.ExpectCount(1, 1, "path of a line type file");
        r.NoAttributes();
        if (!options.allowFiles) {
            throw RowError{r.Column(0), "files are not read here"};
        }
        const std::string path = Path(r.Field(0));
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) {
            throw RowError{r.Column(0), "cannot read line type file " + Quote(path)};
        }
        // The library reads the file to its end; keep that bounded.
        if (fs::file_size(path, ec) > kMaxLineTypeFileBytes) {
            throw RowError{r.Column(0), "line type file " + Quote(path) + " is larger than 16 MiB"};
        }
        if (drawing.lineTypes->LoadFromFile(path.c_str()) < 0) {
            throw RowError{r.Column(0), "cannot read line type file " + Quote(path)};
        }
    }

    void LineType(const RowReader& r) {
        r.ExpectCount(2, 2, "name and dash definition such as 12-3-2-3");
        r.NoAttributes();
        const std::string name = r.Text(0);
        if (name.empty()) {
            throw RowError{r.Column(0), "linetype: expected a name"};
        }
        if (drawing.lineTypes->AddItemDef(r.Field(1).c_str(), name.c_str()) != 1) {
            throw RowError{r.Column(1),
                           "expected a dash definition (dash and gap lengths in mm joined by '-', "
                           "such as 12-3-2-3), found " +
                               Quote(r.Field(1))};
        }
    }

    void Symbols(const RowReader& r) {
        r.ExpectCount(1, 2, "folder of symbol files, then text or binary");
        r.NoAttributes();
        bool text = false;
        if (r.Count() > 1) {
            const std::string v = Lower(r.Field(1));
            if (v != "text" && v != "binary") {
                throw RowError{r.Column(1), "expected text or binary, found " + Quote(r.Field(1))};
            }
            text = v == "text";
        }
        if (!drawing.symbolDirs.empty() && drawing.symbolDirs.front().text != text) {
            throw RowError{r.Column(1),
                           "symbols: every symbol folder of a drawing must have the same format"};
        }
        if (!options.allowFiles) {
            throw RowError{r.Column(0), "files are not read here"};
        }
        const std::string path = Path(r.Field(0));
        std::error_code ec;
        if (!fs::is_directory(path, ec)) {
            throw RowError{r.Column(0), "cannot read symbol folder " + Quote(path)};
        }
        // The names the library will load: files ending in .20 (text) or .20s (binary), at most 1000.
        const std::string ext = text ? ".20" : ".20s";
        int found = 0;
        for (fs::directory_iterator it(path, ec), end; !ec && it != end && found < 1000; it.increment(ec)) {
            const fs::path& p = it->path();
            if (Lower(p.extension().string()) == ext && it->is_regular_file(ec)) {
                drawing.symbolNames.push_back(p.stem().string());
                ++found;
            }
        }
        if (found == 0) {
            throw RowError{r.Column(0), "symbol folder " + Quote(path) + " holds no " + ext + " files"};
        }
        drawing.symbolDirs.push_back({path, text});
    }

    void TextStyleRow(const RowReader& r) {
        r.ExpectCount(1, 1, "name, then attributes");
        const std::string& name = r.Field(0);
        if (name.empty()) {
            throw RowError{r.Column(0), "textstyle: expected a name"};
        }
        CFontFormat f = drawing.textStyles[0].format;
        for (const RowReader::Attribute& a : r.Attributes()) {
            if (!TextAttribute(r, a, f)) {
                throw UnknownAttribute(r, a);
            }
        }
        const int existing = FindTextStyle(name);
        if (existing >= 0) {
            drawing.textStyles[static_cast<size_t>(existing)].format = f;
        } else {
            drawing.textStyles.push_back({name, f});
        }
    }

    void View(const RowReader& r) {
        r.ExpectCount(1, 4, "paper, extent, or a user rectangle x1, y1, x2, y2");
        r.NoAttributes();
        const std::string v = Lower(r.Field(0));
        if (r.Count() == 1 && v == "paper") {
            drawing.fit = ViewFit::Paper;
        } else if (r.Count() == 1 && v == "extent") {
            drawing.fit = ViewFit::Extent;
        } else if (r.Count() == 1) {
            throw RowError{r.Column(0), "expected paper, extent or four numbers, found " + Quote(r.Field(0))};
        } else {
            r.ExpectCount(4, 4, "x1, y1, x2, y2");
            const double x1 = r.Coordinate(0, "x1"), y1 = r.Coordinate(1, "y1");
            const double x2 = r.Coordinate(2, "x2"), y2 = r.Coordinate(3, "y2");
            if (std::fabs(x2 - x1) < 1e-6 || std::fabs(y2 - y1) < 1e-6) {
                throw RowError{r.Column(0), "view: the rectangle has no area"};
            }
            drawing.fit = ViewFit::Window;
            drawing.window = mgRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
        }
    }

    void Set(const RowReader& r) {
        r.ExpectCount(0, 0, "attributes only");
        Style style = current;
        Space space = currentSpace;
        int textStyle = currentTextStyle;
        for (const RowReader::Attribute& a : r.Attributes()) {
            if (a.key == "textstyle") {
                textStyle = FindTextStyle(a.value);
                if (textStyle < 0) {
                    throw RowError{a.column, "text style " + Quote(a.value) + " is not defined"};
                }
            } else if (!StyleAttribute(r, a, style, space)) {
                throw UnknownAttribute(r, a);
            }
        }
        current = style;
        currentSpace = space;
        currentTextStyle = textStyle;
    }

    // ---- entities ----

    Entity NewEntity(Kind kind, int row) const {
        Entity e;
        e.kind = kind;
        e.row = row;
        e.space = currentSpace;
        e.style = current;
        e.textStyle = currentTextStyle;
        e.format = drawing.textStyles[static_cast<size_t>(currentTextStyle)].format;
        return e;
    }

    // Attributes of an entity: style ones for all, text ones for texts and dimensions, and those
    // of the kind (handled by extra, which returns false for keys it does not know).
    template <typename Extra>
    void EntityAttributes(const RowReader& r, Entity& e, bool text, Extra extra) {
        for (const RowReader::Attribute& a : r.Attributes()) {
            if (StyleAttribute(r, a, e.style, e.space)) {
                continue;
            }
            if (text && a.key == "textstyle") {
                const int s = FindTextStyle(a.value);
                if (s < 0) {
                    throw RowError{a.column, "text style " + Quote(a.value) + " is not defined"};
                }
                e.textStyle = s;
                // The style's settings come first; attributes after it apply on top of them.
                e.format = drawing.textStyles[static_cast<size_t>(s)].format;
                continue;
            }
            if (text && TextAttribute(r, a, e.format)) {
                continue;
            }
            if (!extra(a)) {
                throw UnknownAttribute(r, a);
            }
        }
    }
    void EntityAttributes(const RowReader& r, Entity& e) {
        EntityAttributes(r, e, false, [](const RowReader::Attribute&) { return false; });
    }

    void Points(const RowReader& r, Entity& e, int first, int minPoints) {
        const int n = r.Count() - first;
        if (n % 2 != 0) {
            throw RowError{r.Column(r.Count() - 1),
                           r.Kind() + ": expected pairs of x and y, found " + std::to_string(n) + " numbers"};
        }
        if (n / 2 < minPoints) {
            throw RowError{r.Column(r.Count()), r.Kind() + ": expected at least " +
                                                    std::to_string(minPoints) + " points, found " +
                                                    std::to_string(n / 2)};
        }
        if (n / 2 > kMaxPoints) {
            throw RowError{r.Column(first), r.Kind() + ": at most " + std::to_string(kMaxPoints) +
                                                " points in one row, found " + std::to_string(n / 2)};
        }
        e.v.reserve(static_cast<size_t>(n));
        for (int i = first; i < r.Count(); ++i) {
            e.v.push_back(r.Coordinate(i, (i - first) % 2 == 0 ? "x" : "y"));
        }
    }

    static double Degrees(const RowReader& r, int i, const char* what) {
        return r.Number(i, what, -36000.0, 36000.0) * kPi / 180.0;
    }

    Entity Line(const RowReader& r, int row) {
        r.ExpectCount(4, 4, "x1, y1, x2, y2");
        Entity e = NewEntity(Kind::Line, row);
        Points(r, e, 0, 2);
        EntityAttributes(r, e);
        return e;
    }

    Entity Poly(const RowReader& r, int row, Kind kind) {
        const int minPoints = kind == Kind::Polygon ? 3 : 2;
        r.ExpectCount(2 * minPoints, INT32_MAX, "pairs of x and y");
        Entity e = NewEntity(kind, row);
        Points(r, e, 0, minPoints);
        if (kind == Kind::Spline) {
            EntityAttributes(r, e, false, [&](const RowReader::Attribute& a) {
                if (a.key != "closed") {
                    return false;
                }
                if (!ParseBool(a.value, e.closed)) {
                    throw RowError{a.column, "expected yes or no for closed, found " + Quote(a.value)};
                }
                return true;
            });
        } else {
            EntityAttributes(r, e);
        }
        return e;
    }

    Entity Circle(const RowReader& r, int row) {
        r.ExpectCount(3, 3, "cx, cy, radius");
        Entity e = NewEntity(Kind::Circle, row);
        e.v = {r.Coordinate(0, "cx"), r.Coordinate(1, "cy"), r.Number(2, "radius", 1e-6, kMaxCoordinate)};
        EntityAttributes(r, e);
        return e;
    }

    Entity Arc(const RowReader& r, int row) {
        r.ExpectCount(5, 5, "cx, cy, radius, start and sweep in degrees");
        Entity e = NewEntity(Kind::Arc, row);
        e.v = {r.Coordinate(0, "cx"), r.Coordinate(1, "cy"), r.Number(2, "radius", 1e-6, kMaxCoordinate),
               Degrees(r, 3, "start angle"), Degrees(r, 4, "sweep")};
        EntityAttributes(r, e, false, [&](const RowReader::Attribute& a) {
            if (a.key != "type") {
                return false;
            }
            const std::string v = Lower(a.value);
            if (v == "arc") {
                e.arcType = 0;
            } else if (v == "pie") {
                e.arcType = 1;
            } else if (v == "chord") {
                e.arcType = 2;
            } else {
                throw RowError{a.column, "expected arc, pie or chord for type, found " + Quote(a.value)};
            }
            return true;
        });
        return e;
    }

    Entity Ellipse(const RowReader& r, int row) {
        r.ExpectCount(4, 5, "cx, cy, rx, ry, then the angle in degrees");
        Entity e = NewEntity(Kind::Ellipse, row);
        e.v = {r.Coordinate(0, "cx"), r.Coordinate(1, "cy"), r.Number(2, "rx", 1e-6, kMaxCoordinate),
               r.Number(3, "ry", 1e-6, kMaxCoordinate), r.Count() > 4 ? Degrees(r, 4, "angle") : 0.0};
        EntityAttributes(r, e);
        return e;
    }

    Entity Rect(const RowReader& r, int row) {
        r.ExpectCount(4, 5, "x, y, width, height, then the angle in degrees");
        Entity e = NewEntity(Kind::Rect, row);
        e.v = {r.Coordinate(0, "x"), r.Coordinate(1, "y"), r.Number(2, "width", 1e-6, kMaxCoordinate),
               r.Number(3, "height", 1e-6, kMaxCoordinate), r.Count() > 4 ? Degrees(r, 4, "angle") : 0.0};
        EntityAttributes(r, e);
        return e;
    }

    Entity Text(const RowReader& r, int row) {
        r.ExpectCount(3, 3, "x, y, text");
        Entity e = NewEntity(Kind::Text, row);
        e.v = {r.Coordinate(0, "x"), r.Coordinate(1, "y")};
        e.text = r.Text(2);
        if (e.text.empty()) {
            throw RowError{r.Column(2), "text: expected a text"};
        }
        EntityAttributes(r, e, true, [](const RowReader::Attribute&) { return false; });
        return e;
    }

    Entity Symbol(const RowReader& r, int row) {
        r.ExpectCount(3, 5, "name, x, y, then the angle in degrees and the scale");
        Entity e = NewEntity(Kind::Symbol, row);
        e.name = r.Text(0);
        if (!HasSymbol(e.name)) {
            throw RowError{r.Column(0),
                           "unknown symbol " + Quote(r.Field(0)) +
                               (drawing.symbolDirs.empty() ? " (no symbols row before it)" : "")};
        }
        e.v = {r.Coordinate(1, "x"), r.Coordinate(2, "y"), r.Count() > 3 ? Degrees(r, 3, "angle") : 0.0,
               r.Count() > 4 ? r.Number(4, "scale", 1e-6, 1e6) : 1.0};
        EntityAttributes(r, e);
        return e;
    }

    Entity Dimension(const RowReader& r, int row) {
        r.ExpectCount(5, 6, "x1, y1, x2, y2, offset, then the text");
        Entity e = NewEntity(Kind::Dimension, row);
        e.v = {r.Coordinate(0, "x1"), r.Coordinate(1, "y1"), r.Coordinate(2, "x2"), r.Coordinate(3, "y2")};
        if (std::hypot(e.v[2] - e.v[0], e.v[3] - e.v[1]) < 1e-9) {
            throw RowError{r.Column(0), "dim: the two points coincide"};
        }
        e.v.push_back(r.Coordinate(4, "offset"));
        if (r.Count() > 5) {
            e.text = r.Text(5);
        }
        EntityAttributes(r, e, true, [&](const RowReader::Attribute& a) {
            if (a.key != "decimals") {
                return false;
            }
            double d = 0.0;
            if (!ParseNumber(a.value, d) || d < 0 || d > 6 || d != std::floor(d)) {
                throw RowError{a.column, "expected 0 to 6 for decimals, found " + Quote(a.value)};
            }
            e.decimals = static_cast<int>(d);
            return true;
        });
        return e;
    }

    // Reads one row; throws RowError.
    void Row(const std::string& line, int row) {
        if (!split.SplitString(line.c_str(), static_cast<int>(line.size()), true)) {
            throw RowError{static_cast<int>(line.size()), "the row ends in a lone backslash"};
        }
        RowReader r(split, line, gbk, encoder);
        const std::string kind = Lower(r.Kind());
        Entity e;
        if (kind == "encoding") {
            return Encoding(r);
        } else if (kind == "units") {
            return Units(r);
        } else if (kind == "paper") {
            return Paper(r);
        } else if (kind == "background") {
            return Background(r);
        } else if (kind == "grid") {
            return Grid(r);
        } else if (kind == "linetypes") {
            return LineTypes(r);
        } else if (kind == "linetype") {
            return LineType(r);
        } else if (kind == "symbols") {
            return Symbols(r);
        } else if (kind == "textstyle") {
            return TextStyleRow(r);
        } else if (kind == "view") {
            return View(r);
        } else if (kind == "set") {
            return Set(r);
        } else if (kind == "line") {
            e = Line(r, row);
        } else if (kind == "polyline") {
            e = Poly(r, row, Kind::Polyline);
        } else if (kind == "polygon") {
            e = Poly(r, row, Kind::Polygon);
        } else if (kind == "spline") {
            e = Poly(r, row, Kind::Spline);
        } else if (kind == "circle") {
            e = Circle(r, row);
        } else if (kind == "arc") {
            e = Arc(r, row);
        } else if (kind == "ellipse") {
            e = Ellipse(r, row);
        } else if (kind == "rect") {
            e = Rect(r, row);
        } else if (kind == "text") {
            e = Text(r, row);
        } else if (kind == "symbol") {
            e = Symbol(r, row);
        } else if (kind == "dim") {
            e = Dimension(r, row);
        } else {
            throw RowError{r.KindColumn(), "unknown row kind " + Quote(r.Kind())};
        }
        sawEntity = true;
        drawing.entities.push_back(std::move(e));
    }
};

} // namespace

std::string Diagnostic::Format() const {
    std::string s = file;
    if (row > 0) {
        s += ":" + std::to_string(row);
        if (column > 0) {
            s += ":" + std::to_string(column);
        }
    }
    return s + ": " + message;
}

bool ParseNumber(const std::string& text, double& value) {
    // [sign] digits [. digits] [e [sign] digits], with at least one digit before the exponent.
    size_t i = 0;
    const size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    size_t digits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        ++i, ++digits;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            ++i, ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        size_t expDigits = 0;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            ++i, ++expDigits;
        }
        if (expDigits == 0) {
            return false;
        }
    }
    if (i != n) {
        return false;
    }
    // strtod reads the locale's decimal point; the script's is always '.', so read it in pieces
    // only when the locale differs. Tools run in the C locale, where they are the same.
    errno = 0;
    const double v = strtod(text.c_str(), nullptr);
    if (!std::isfinite(v) || errno == ERANGE) {
        return false;
    }
    value = v;
    return true;
}

bool ParseColour(const std::string& text, uint32_t& colour) {
    const std::string s = Lower(text);
    if (s.size() == 7 && s[0] == '#') {
        uint32_t rgb = 0;
        for (size_t i = 1; i < 7; ++i) {
            const char c = s[i];
            uint32_t d = 0;
            if (c >= '0' && c <= '9') {
                d = static_cast<uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                d = static_cast<uint32_t>(c - 'a' + 10);
            } else {
                return false;
            }
            rgb = rgb << 4 | d;
        }
        // #rrggbb to 0x00BBGGRR.
        colour = (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
        return true;
    }
    static const struct {
        const char* name;
        uint32_t colour; // 0x00BBGGRR
    } names[] = {{"black", 0x000000},   {"white", 0xFFFFFF},  {"red", 0x0000FF},    {"green", 0x008000},
                 {"lime", 0x00FF00},    {"blue", 0xFF0000},   {"yellow", 0x00FFFF}, {"cyan", 0xFFFF00},
                 {"magenta", 0xFF00FF}, {"grey", 0x808080},   {"gray", 0x808080},   {"silver", 0xC0C0C0},
                 {"maroon", 0x000080},  {"navy", 0x800000},   {"olive", 0x008080},  {"teal", 0x808000},
                 {"purple", 0x800080},  {"orange", 0x00A5FF}, {"brown", 0x2A2AA5},  {"contrast", kContrast}};
    for (const auto& n : names) {
        if (s == n.name) {
            colour = n.colour;
            return true;
        }
    }
    return false;
}

int ReadScript(const std::string& text, const std::string& fileName, const ReaderOptions& options,
               Drawing& drawing, std::vector<Diagnostic>& diags) {
    Reader reader(fileName, options, drawing, diags);
    int failed = 0;
    size_t pos = 0;
    int row = 0;
    // A UTF-8 byte order mark is not part of the first row.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        pos = 3;
    }
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        ++row;
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == ';' || line[first] == '#') {
            continue;
        }
        try {
            if (line.size() > kMaxRowBytes) {
                throw RowError{1, "the row is longer than " + std::to_string(kMaxRowBytes) + " bytes"};
            }
            if (line.find('\0') != std::string::npos) {
                throw RowError{static_cast<int>(line.find('\0')) + 1, "the row holds a zero byte"};
            }
            reader.Row(line, row);
        } catch (const RowError& e) {
            diags.push_back({fileName, row, e.column, e.message});
            ++failed;
        }
    }
    return failed;
}

int ReadScriptFile(const std::string& path, Drawing& drawing, std::vector<Diagnostic>& diags) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        diags.push_back({path, 0, 0, fs::exists(path, ec) ? "not a file" : "no such file"});
        return 1;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) {
        diags.push_back({path, 0, 0, "cannot be read"});
        return 1;
    }
    ReaderOptions options;
    options.baseDir = fs::path(path).parent_path().string();
    if (options.baseDir.empty()) {
        options.baseDir = ".";
    }
    return ReadScript(text.str(), path, options, drawing, diags);
}

// ---- Drawing ----

Drawing::Drawing() : lineTypes(new CLineTypes(*CLineTypes::GetObjectA())) {
    TextStyle standard;
    standard.name = "standard";
    standard.format = CFontFormat(3.5);
    textStyles.push_back(standard);
}

Drawing::~Drawing() = default;

double Drawing::UserToMm() const {
    const double f = CGraphSystem::GetUnitMm(unit) / scale;
    return std::min(std::max(f, CGraphSystem::MIN_USER_SCRMM), CGraphSystem::MAX_USER_SCRMM);
}

mgRect Drawing::Extent() const {
    const double k = UserToMm();
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    auto add = [&](const Entity& e, double x, double y, double r) {
        if (e.space == Space::Paper) {
            x = (x - originX) / k;
            y = (y - originY) / k;
            r /= k;
        }
        if (!any) {
            x0 = x - r, y0 = y - r, x1 = x + r, y1 = y + r;
            any = true;
        } else {
            x0 = std::min(x0, x - r), y0 = std::min(y0, y - r);
            x1 = std::max(x1, x + r), y1 = std::max(y1, y + r);
        }
    };
    for (const Entity& e : entities) {
        const std::vector<double>& v = e.v;
        switch (e.kind) {
        case Kind::Line:
        case Kind::Polyline:
        case Kind::Polygon:
        case Kind::Spline:
            for (size_t i = 0; i + 1 < v.size(); i += 2) {
                add(e, v[i], v[i + 1], 0.0);
            }
            break;
        case Kind::Circle:
        case Kind::Arc:
            add(e, v[0], v[1], v[2]);
            break;
        case Kind::Ellipse:
            add(e, v[0], v[1], std::max(v[2], v[3]));
            break;
        case Kind::Rect:
            add(e, v[0], v[1], std::hypot(v[2], v[3]));
            break;
        case Kind::Text: {
            // An estimate: the text is at most its byte count times the height long, in paper mm.
            const double size = e.format.Height() * static_cast<double>(e.text.size());
            add(e, v[0], v[1], e.space == Space::Paper ? size : size / k);
            break;
        }
        case Kind::Symbol:
            add(e, v[0], v[1], e.space == Space::Paper ? 10.0 : 10.0 / k);
            break;
        case Kind::Dimension: {
            const double r =
                std::fabs(v[4]) + (e.space == Space::Paper ? e.format.Height() : e.format.Height() / k);
            add(e, v[0], v[1], r);
            add(e, v[2], v[3], r);
            break;
        }
        }
    }
    return any ? mgRect(x0, y0, x1, y1) : mgRect();
}

} // namespace draft2d::script
