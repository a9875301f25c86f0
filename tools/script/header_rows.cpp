// Header rows: what the drawing is set up with. units, paper, background, grid and view may come
// once each (a second one is an error that names the first); encoding, linetypes, linetype, symbols
// and textstyle as often as needed.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "script/reader_p.h"

namespace draft2d::script::detail {

namespace fs = std::filesystem;

namespace {

int ParseUnit(std::string_view text) {
    static const char* const names[][2] = {{"mm", "millimetre"}, {"cm", "centimetre"}, {"m", "metre"},
                                           {"km", "kilometre"},  {"in", "inch"},       {"ft", "foot"}};
    for (int i = 0; i < 6; ++i) {
        if (IsWord(text, names[i][0]) || IsWord(text, names[i][1])) {
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

// A length of a dash definition: digits with an optional fraction (at most 16 digits on each side of
// the point), no sign, no exponent.
bool IsLength(std::string_view s) {
    size_t i = 0, whole = 0, fraction = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        ++i, ++whole;
    }
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            ++fraction;
        }
    }
    return i == s.size() && whole + fraction > 0 && whole <= 16 && fraction <= 16;
}

} // namespace

// A row that may come once: firstRow is where it came, 0 before it has.
void Reader::Once(const char* kind, int firstRow) {
    if (firstRow != 0) {
        throw RowError{r_.KindColumn(), std::string(kind) + ": a drawing has one " + kind +
                                            " row; the first is row " + std::to_string(firstRow)};
    }
}

std::string Reader::Path(std::string_view p) const {
    const fs::path path{std::string(p)};
    if (path.is_absolute()) {
        return path.string();
    }
    return (fs::path(options_.baseDir) / path).lexically_normal().string();
}

void Reader::Encoding() {
    r_.ExpectCount(1, 1, "utf-8 or gbk");
    r_.NoAttributes();
    const std::string_view v = r_.Field(0);
    if (IsWord(v, "utf-8") || IsWord(v, "utf8")) {
        gbk_ = false;
    } else if (IsWord(v, "gbk") || IsWord(v, "cp936")) {
        gbk_ = true;
    } else {
        throw RowError{r_.Column(0), "expected utf-8 or gbk, found " + Quote(v)};
    }
}

void Reader::Units() {
    r_.ExpectCount(2, 4, "unit, scale, paper x and y of the origin");
    r_.NoAttributes();
    const int unit = ParseUnit(r_.Field(0));
    if (unit < 0) {
        throw RowError{r_.Column(0),
                       "unknown unit " + Quote(r_.Field(0)) + " (expected mm, cm, m, km, in or ft)"};
    }
    const double scale = r_.Number(1, {"scale"}, 1e-6, 1e9);
    // Entities are drawn in the units of the drawing; units may not change under earlier rows.
    if (sawEntity_) {
        throw RowError{r_.KindColumn(), "units must come before the first entity"};
    }
    Once("units", unitsRow_);
    drawing_.unit = unit;
    drawing_.scale = scale;
    drawing_.originX = r_.Count() > 2 ? r_.Number(2, {"origin x"}, -1e6, 1e6) : 0.0;
    drawing_.originY = r_.Count() > 3 ? r_.Number(3, {"origin y"}, -1e6, 1e6) : 0.0;
    unitsRow_ = row_;
}

void Reader::Paper() {
    r_.ExpectCount(1, 6, "width and height in mm or a size A0 to A4, then four margins");
    r_.NoAttributes();
    Once("paper", paperRow_);
    int next = 0;
    double w = 0.0, h = 0.0;
    double number = 0.0;
    if (!ParseNumber(r_.Field(0), number)) {
        const NamedSize* size = nullptr;
        for (const NamedSize& s : kPaperSizes) {
            if (IsWord(r_.Field(0), s.name)) {
                size = &s;
            }
        }
        if (size == nullptr) {
            throw RowError{r_.Column(0),
                           "expected a paper width in mm or a size A0 to A4, found " + Quote(r_.Field(0))};
        }
        w = size->w;
        h = size->h;
        next = 1;
    } else {
        r_.ExpectCount(2, 6, "width, height, then four margins");
        w = r_.Number(0, {"paper width"}, 2.0, 100000.0);
        h = r_.Number(1, {"paper height"}, 2.0, 100000.0);
        next = 2;
    }
    const int rest = r_.Count() - next;
    if (rest != 0 && rest != 4) {
        throw RowError{r_.Column(std::min(r_.Count(), next + 4)),
                       "paper: expected four margins (left, top, right, bottom in mm) or none, found " +
                           std::to_string(rest)};
    }
    double m[4] = {0, 0, 0, 0};
    static const char* const names[] = {"left margin", "top margin", "right margin", "bottom margin"};
    for (int i = 0; i < rest; ++i) {
        m[i] = r_.Number(next + i, {names[i]}, 0.0, 10000.0);
    }
    if (rest == 4 && (m[0] + m[2] >= w || m[1] + m[3] >= h)) {
        throw RowError{r_.Column(next), "paper: the margins leave no room on a sheet of " + Range(w, h)};
    }
    drawing_.paperWidth = w;
    drawing_.paperHeight = h;
    drawing_.hasMargins = rest == 4;
    std::copy(m, m + 4, drawing_.margins);
    paperRow_ = row_;
}

void Reader::Background() {
    r_.ExpectCount(1, 1, "colour");
    r_.NoAttributes();
    Once("background", backgroundRow_);
    uint32_t c = 0;
    if (!ParseColour(r_.Field(0), c) || c == kContrast) {
        throw RowError{r_.Column(0),
                       "expected a colour (#rrggbb or a colour name), found " + Quote(r_.Field(0))};
    }
    drawing_.background = c;
    backgroundRow_ = row_;
}

void Reader::Grid() {
    r_.ExpectCount(1, 2, "spacing along x and y in user units");
    Once("grid", gridRow_);
    const double dx = r_.Number(0, {"dx"}, 1e-6, 1e9);
    const double dy = r_.Count() > 1 ? r_.Number(1, {"dy"}, 1e-6, 1e9) : dx;
    int style = 0, type = 0;
    double ox = 0.0, oy = 0.0;
    uint32_t colour = 0xC0C0C0;
    for (const Attribute& a : r_.Attributes()) {
        if (a.key == "style") {
            if (!IsWord(a.value, "dots") && !IsWord(a.value, "lines")) {
                throw RowError{a.column, "expected dots or lines for style, found " + Quote(a.value)};
            }
            style = IsWord(a.value, "lines") ? 1 : 0;
        } else if (a.key == "over") {
            if (!IsWord(a.value, "paper") && !IsWord(a.value, "window")) {
                throw RowError{a.column, "expected paper or window for over, found " + Quote(a.value)};
            }
            type = IsWord(a.value, "window") ? 1 : 0;
        } else if (a.key == "colour" || a.key == "color") {
            if (!ParseColour(a.value, colour)) {
                throw RowError{a.column, "unknown colour " + Quote(a.value) +
                                             " (expected #rrggbb, a colour name or contrast)"};
            }
        } else if (a.key == "origin") {
            const size_t sep = a.value.find(' ');
            if (sep == std::string_view::npos || !ParseNumber(a.value.substr(0, sep), ox) ||
                !ParseNumber(a.value.substr(sep + 1), oy) || std::fabs(ox) > kMaxCoordinate ||
                std::fabs(oy) > kMaxCoordinate) {
                throw RowError{a.column, "expected two numbers separated by a space for origin, found " +
                                             Quote(a.value)};
            }
        } else {
            throw UnknownAttribute(a);
        }
    }
    drawing_.hasGrid = true;
    drawing_.gridX = dx;
    drawing_.gridY = dy;
    drawing_.gridOriginX = ox;
    drawing_.gridOriginY = oy;
    drawing_.gridStyle = style;
    drawing_.gridType = type;
    drawing_.gridColour = colour;
    gridRow_ = row_;
}

void Reader::LineTypes() {
    r_.ExpectCount(1, 1, "path of a line type file");
    r_.NoAttributes();
    if (!options_.allowFiles) {
        throw RowError{r_.Column(0), "files are not read here"};
    }
    const std::string path = Path(r_.Field(0));
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        throw RowError{r_.Column(0), "cannot read line type file " + Quote(path)};
    }
    // The library reads the file to its end; keep that bounded.
    if (fs::file_size(path, ec) > kMaxLineTypeFileBytes) {
        throw RowError{r_.Column(0), "line type file " + Quote(path) + " is larger than 16 MiB"};
    }
    lineTypeCache_.clear();
    if (drawing_.lineTypes->LoadFromFile(path.c_str()) < 0) {
        throw RowError{r_.Column(0), "cannot read line type file " + Quote(path)};
    }
}

// linetype,NAME,DASHES where DASHES = length { "-" length }: dash, gap, dash, gap ... in paper mm.
// A dash of 0 is a dot, which the library draws as a dash of kDot mm (the dots of its own dotted
// line); other dashes and every gap are 0.001 to 1000 mm, and the whole pattern at most 1000 mm.
void Reader::LineType() {
    constexpr double kDot = 0.3;
    r_.ExpectCount(2, 2, "name and dash definition such as 12-3-2-3");
    r_.NoAttributes();
    const std::string name = r_.Text(0);
    if (name.empty()) {
        throw RowError{r_.Column(0), "linetype: expected a name"};
    }
    const std::string_view def = r_.Field(1);
    std::string libraryDef; // the same with dots as kDot dashes, as the library reads definitions
    double period = 0.0;
    size_t start = 0;
    for (int piece = 1;; ++piece) {
        const size_t end = std::min(def.find('-', start), def.size());
        const std::string_view text = def.substr(start, end - start);
        const bool dash = piece % 2 == 1;
        const std::string role =
            std::string(dash ? "dash " : "gap ") + std::to_string((piece + 1) / 2) + " of " + Quote(def);
        double v = 0.0;
        if (!IsLength(text) || !ParseNumber(text, v)) {
            throw RowError{r_.Column(1), "linetype: expected a length in mm for " + role + ", found " +
                                             Quote(text) +
                                             " (lengths are joined by single '-', such as 12-3-2-3)"};
        }
        if (dash && v == 0.0) {
            v = kDot;
            libraryDef += "0.3";
        } else if (v < 0.001 || v > 1000.0) {
            throw RowError{r_.Column(1), "linetype: " + role + " is " + std::string(text) + " mm; " +
                                             (dash ? "dashes are 0 (a dot) or 0.001 to 1000 mm"
                                                   : "gaps are 0.001 to 1000 mm")};
        } else {
            libraryDef += text;
        }
        period += v;
        if (end == def.size()) {
            break;
        }
        libraryDef += '-';
        start = end + 1;
    }
    if (period > 1000.0) {
        std::ostringstream length;
        length << period;
        throw RowError{r_.Column(1), "linetype: the pattern " + Quote(def) + " is " + length.str() +
                                         " mm long; at most 1000 mm"};
    }
    if (drawing_.lineTypes->AddItemDef(libraryDef.c_str(), name.c_str()) != 1) {
        throw RowError{r_.Column(1), "linetype: the library does not take " + Quote(def)};
    }
    lineTypeCache_.clear();
}

void Reader::Symbols() {
    r_.ExpectCount(1, 2, "folder of symbol files, then text or binary");
    r_.NoAttributes();
    bool text = false;
    if (r_.Count() > 1) {
        const std::string_view v = r_.Field(1);
        if (!IsWord(v, "text") && !IsWord(v, "binary")) {
            throw RowError{r_.Column(1), "expected text or binary, found " + Quote(v)};
        }
        text = IsWord(v, "text");
    }
    if (!drawing_.symbolDirs.empty() && drawing_.symbolDirs.front().text != text) {
        throw RowError{r_.Column(1), "symbols: every symbol folder of a drawing must have the same format"};
    }
    if (!options_.allowFiles) {
        throw RowError{r_.Column(0), "files are not read here"};
    }
    const std::string path = Path(r_.Field(0));
    std::error_code ec;
    if (!fs::is_directory(path, ec)) {
        throw RowError{r_.Column(0), "cannot read symbol folder " + Quote(path)};
    }
    // The names the library will load: files ending in .20 (text) or .20s (binary), at most 1000.
    const std::string ext = text ? ".20" : ".20s";
    std::vector<std::string> names;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end && names.size() < 1000;
         it.increment(ec)) {
        const fs::path& p = it->path();
        if (Lower(p.extension().string()) == ext && it->is_regular_file(ec)) {
            names.push_back(p.stem().string());
        }
    }
    if (names.empty()) {
        throw RowError{r_.Column(0), "symbol folder " + Quote(path) + " holds no " + ext + " files"};
    }
    for (std::string& n : names) {
        symbolNames_.insert(Lower(n));
        drawing_.symbolNames.push_back(std::move(n));
    }
    drawing_.symbolDirs.push_back({path, text});
}

void Reader::TextStyleRow() {
    r_.ExpectCount(1, 1, "name, then attributes");
    const std::string_view name = r_.Field(0);
    if (name.empty()) {
        throw RowError{r_.Column(0), "textstyle: expected a name"};
    }
    CFontFormat f = drawing_.textStyles[0].format;
    for (const Attribute& a : r_.Attributes()) {
        if (!TextAttribute(a, f)) {
            throw UnknownAttribute(a);
        }
    }
    const int existing = FindTextStyle(name);
    if (existing >= 0) {
        drawing_.textStyles[static_cast<size_t>(existing)].format = f;
        textStyleFormats_[static_cast<size_t>(existing)] = -1;
    } else {
        drawing_.textStyles.push_back({std::string(name), f});
        textStyleFormats_.push_back(-1);
    }
}

void Reader::View() {
    r_.ExpectCount(1, 4, "paper, extent, or a user rectangle x1, y1, x2, y2");
    r_.NoAttributes();
    Once("view", viewRow_);
    const std::string_view v = r_.Field(0);
    if (r_.Count() == 1 && IsWord(v, "paper")) {
        drawing_.fit = ViewFit::Paper;
    } else if (r_.Count() == 1 && IsWord(v, "extent")) {
        drawing_.fit = ViewFit::Extent;
    } else if (r_.Count() == 1) {
        throw RowError{r_.Column(0), "expected paper, extent or four numbers, found " + Quote(v)};
    } else {
        r_.ExpectCount(4, 4, "x1, y1, x2, y2");
        const double x1 = r_.Coordinate(0, {"x1"}), y1 = r_.Coordinate(1, {"y1"});
        const double x2 = r_.Coordinate(2, {"x2"}), y2 = r_.Coordinate(3, {"y2"});
        if (std::fabs(x2 - x1) < 1e-6 || std::fabs(y2 - y1) < 1e-6) {
            throw RowError{r_.Column(0), "view: the rectangle has no area"};
        }
        drawing_.fit = ViewFit::Window;
        drawing_.window = mgRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
    }
    viewRow_ = row_;
}

} // namespace draft2d::script::detail
