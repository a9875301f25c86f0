// The script reader: rows from a text or a file, each handed to the function of its kind.
//
// A file is read a piece at a time, so that reading a script needs the drawing's memory and one
// row, never the whole file at once. Rows end at LF; a CR before it is dropped, and a UTF-8 byte
// order mark before the first row is not part of it. Blank rows and rows whose first non-blank
// character is ';' or '#' are comments.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "script/reader_p.h"
#include "view/CGraphSystem.h"

namespace draft2d::script {

namespace detail {

namespace {

// A comment or blank row: nothing but blanks, or ';' or '#' as its first non-blank character.
bool IsComment(std::string_view line) {
    for (char c : line) {
        if (c != ' ' && c != '\t') {
            return c == ';' || c == '#';
        }
    }
    return true;
}

} // namespace

Reader::Reader(const std::string& file, const ReaderOptions& options, Drawing& drawing,
               std::vector<Diagnostic>& diags)
    : file_(file), options_(options), drawing_(drawing), diags_(diags), r_(scanner_, encoder_) {
    currentStyle_ = InternStyle(current_);
    textStyleFormats_.assign(drawing_.textStyles.size(), -1);
}

bool Reader::Line(std::string_view line, int row) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (IsComment(line)) {
        return true;
    }
    try {
        if (line.size() > kMaxRowBytes) {
            throw RowError{1, "the row is longer than " + std::to_string(kMaxRowBytes) + " bytes"};
        }
        const size_t zero = line.find('\0');
        if (zero != std::string_view::npos) {
            throw RowError{static_cast<int>(zero) + 1, "the row holds a zero byte"};
        }
        Row(line, row);
        return true;
    } catch (const RowError& e) {
        diags_.push_back({file_, row, e.column, e.message});
        return false;
    }
}

bool Reader::LongLine(std::string_view start, int row) {
    if (IsComment(start)) {
        return true;
    }
    diags_.push_back({file_, row, 1, "the row is longer than " + std::to_string(kMaxRowBytes) + " bytes"});
    return false;
}

void Reader::Row(std::string_view line, int row) {
    row_ = row;
    nums_.clear();
    scanner_.Scan(line);
    r_.Reset(line, gbk_);
    const std::string_view kind = r_.Kind();
    // Entity rows first: they are most of a script.
    if (IsWord(kind, "line")) {
        Line();
    } else if (IsWord(kind, "circle")) {
        Circle();
    } else if (IsWord(kind, "arc")) {
        Arc();
    } else if (IsWord(kind, "rect")) {
        Rect();
    } else if (IsWord(kind, "polyline")) {
        Poly(Kind::Polyline);
    } else if (IsWord(kind, "polygon")) {
        Poly(Kind::Polygon);
    } else if (IsWord(kind, "text")) {
        Text();
    } else if (IsWord(kind, "ellipse")) {
        Ellipse();
    } else if (IsWord(kind, "spline")) {
        Poly(Kind::Spline);
    } else if (IsWord(kind, "symbol")) {
        Symbol();
    } else if (IsWord(kind, "dim")) {
        Dimension();
    } else if (IsWord(kind, "set")) {
        Set();
    } else if (IsWord(kind, "encoding")) {
        Encoding();
    } else if (IsWord(kind, "units")) {
        Units();
    } else if (IsWord(kind, "paper")) {
        Paper();
    } else if (IsWord(kind, "background")) {
        Background();
    } else if (IsWord(kind, "grid")) {
        Grid();
    } else if (IsWord(kind, "linetypes")) {
        LineTypes();
    } else if (IsWord(kind, "linetype")) {
        LineType();
    } else if (IsWord(kind, "symbols")) {
        Symbols();
    } else if (IsWord(kind, "textstyle")) {
        TextStyleRow();
    } else if (IsWord(kind, "view")) {
        View();
    } else {
        throw RowError{r_.KindColumn(), "unknown row kind " + Quote(kind)};
    }
}

} // namespace detail

// ---- Reading ----

int ReadScript(const std::string& text, const std::string& fileName, const ReaderOptions& options,
               Drawing& drawing, std::vector<Diagnostic>& diags) {
    detail::Reader reader(fileName, options, drawing, diags);
    int failed = 0;
    size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    int row = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        failed += !reader.Line(std::string_view(text).substr(pos, end - pos), ++row);
        pos = end + 1;
    }
    return failed;
}

int ReadScriptFile(const std::string& path, Drawing& drawing, std::vector<Diagnostic>& diags) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        diags.push_back({path, 0, 0, fs::exists(path, ec) ? "not a file" : "no such file"});
        return 1;
    }
    FILE* f = fopen(path.c_str(), "rb");
    if (f == nullptr) {
        diags.push_back({path, 0, 0, "cannot be read"});
        return 1;
    }
    ReaderOptions options;
    options.baseDir = fs::path(path).parent_path().string();
    if (options.baseDir.empty()) {
        options.baseDir = ".";
    }
    detail::Reader reader(path, options, drawing, diags);
    // pending holds the rows read but not yet handled: at most one piece and one row. A row longer
    // than any row may be is reported from its start and skipped to its end.
    constexpr size_t kPiece = 1u << 20;
    std::string pending;
    size_t start = 0; // first byte of pending not yet handled
    bool first = true, skipping = false, readError = false;
    int row = 0, failed = 0;
    std::vector<char> piece(kPiece);
    for (;;) {
        const size_t got = fread(piece.data(), 1, piece.size(), f);
        if (got == 0) {
            readError = ferror(f) != 0;
            break;
        }
        pending.erase(0, start);
        start = 0;
        pending.append(piece.data(), got);
        if (first && pending.size() >= 3) {
            if (pending.compare(0, 3, "\xEF\xBB\xBF") == 0) {
                start = 3;
            }
            first = false;
        }
        for (;;) {
            const size_t end = pending.find('\n', start);
            if (end == std::string::npos) {
                break;
            }
            if (skipping) {
                skipping = false;
            } else {
                failed += !reader.Line(std::string_view(pending).substr(start, end - start), ++row);
            }
            start = end + 1;
        }
        // A row of more than kMaxRowBytes (and its CR) without its end yet.
        if (!skipping && pending.size() - start > kMaxRowBytes + 1) {
            failed += !reader.LongLine(std::string_view(pending).substr(start, 64), ++row);
            skipping = true;
        }
        if (skipping) {
            start = pending.size();
        }
    }
    fclose(f);
    if (first && pending.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        start = 3;
    }
    if (!skipping && start < pending.size()) {
        failed += !reader.Line(std::string_view(pending).substr(start), ++row);
    }
    if (readError) {
        diags.push_back({path, 0, 0, "cannot be read"});
        return failed + 1;
    }
    return failed;
}

// ---- Drawing ----

double* NumberStore::Append(size_t n) {
    if (n == 0) {
        return nullptr;
    }
    size_ += n;
    if (n > kBlock) {
        large_.emplace_back(new double[n]); // written by the caller
        return large_.back().get();
    }
    if (used_ + n > kBlock) {
        blocks_.emplace_back(new double[kBlock]);
        used_ = 0;
    }
    double* p = blocks_.back().get() + used_;
    used_ += n;
    return p;
}

Drawing::Drawing() : lineTypes(new CLineTypes(*CLineTypes::GetObjectA())) {
    TextStyle standard;
    standard.name = "standard";
    standard.format = CFontFormat(3.5);
    textStyles.push_back(standard);
}

Drawing::~Drawing() = default;

const std::string& Drawing::TextOf(const Entity& e) const {
    static const std::string none;
    return e.text >= 0 ? texts[static_cast<size_t>(e.text)] : none;
}

double Drawing::UserToMm() const {
    const double f = CGraphSystem::GetUnitMm(unit) / scale;
    return std::min(std::max(f, CGraphSystem::MIN_USER_SCRMM), CGraphSystem::MAX_USER_SCRMM);
}

} // namespace draft2d::script
