// A row of a script as fields: CStringSplit's splitting rules checked as they are applied, the
// typed reads of fields (numbers, colours, flags, GBK texts) and the messages about them.
//
// Splitting (quotes on): items are separated by commas outside double quotes. At the start of an
// item, blanks and control characters other than TAB, LF and CR are skipped; a double quote there
// opens a quoted item, in which commas are text, and the next double quote closes it. A backslash
// takes the next character with it: \" \' \, \\ stand for themselves, \n \r \t for LF, CR and TAB.
// Other control characters than TAB are dropped, and an item loses its trailing bytes up to 0x20
// (also inside quotes). CStringSplit drops an unknown escape, a double quote inside an unquoted item
// and an unclosed quote's meaning without a word; the scanner reports them instead.
#include "script/reader_p.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace draft2d::script {

namespace detail {

namespace {

// The length of the UTF-8 sequence at p (at most n bytes) and its code point; 0 when it is not one.
size_t DecodeUtf8(const unsigned char* p, size_t n, uint32_t& cp) {
    if (n == 0) {
        return 0;
    }
    const unsigned char c = p[0];
    size_t len = 0;
    uint32_t min = 0;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        len = 2, cp = c & 0x1Fu, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3, cp = c & 0x0Fu, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4, cp = c & 0x07u, min = 0x10000;
    } else {
        return 0;
    }
    if (n < len) {
        return 0;
    }
    for (size_t i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            return 0;
        }
        cp = cp << 6 | (p[i] & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return len;
}

bool IsSkippedAtStart(unsigned char c) {
    return (c >= 1 && c <= 8) || c == 11 || c == 12 || (c >= 14 && c <= 32);
}

} // namespace

std::string Quote(std::string_view s) {
    std::string out = "'";
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    size_t i = 0;
    while (i < s.size()) {
        if (out.size() > 58) {
            out += "...";
            break;
        }
        uint32_t cp = 0;
        const size_t len = p[i] >= 0x80 ? DecodeUtf8(p + i, s.size() - i, cp) : 1;
        if (p[i] < 32 || p[i] == 127 || len == 0) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\x%02x", p[i]);
            out += buf;
            ++i;
        } else {
            out.append(s.data() + i, len);
            i += len;
        }
    }
    return out + "'";
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool IsWord(std::string_view s, std::string_view lower) {
    if (s.size() != lower.size()) {
        return false;
    }
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != lower[i]) {
            return false;
        }
    }
    return true;
}

std::string Range(double lo, double hi) {
    std::ostringstream s;
    s << lo << " to " << hi;
    return s.str();
}

bool ParseNumber(std::string_view text, double& value) {
    // [sign] digits [. digits] [e [sign] digits], with at least one digit before the exponent.
    // Up to 19 significant digits are gathered as an integer m with a decimal exponent e; while
    // m < 2^53 and |e| <= 22 both m and 10^|e| are exact doubles, so one multiplication or division
    // rounds exactly as strtod does. Other numbers go to strtod.
    static const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const char* s = text.data();
    const size_t n = text.size();
    size_t i = 0;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    uint64_t m = 0;
    int significant = 0;
    bool exact = true; // every digit went into m
    int exponent = 0;
    size_t digits = 0;
    for (; i < n && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
        if (significant < 19) {
            m = m * 10 + static_cast<uint64_t>(s[i] - '0');
            significant += m != 0;
        } else {
            exact = false;
        }
    }
    if (i < n && s[i] == '.') {
        for (++i; i < n && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
            if (significant < 19) {
                m = m * 10 + static_cast<uint64_t>(s[i] - '0');
                significant += m != 0;
                --exponent;
            } else {
                exact = false;
            }
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (s[i] == '+' || s[i] == '-')) {
            expNegative = s[i] == '-';
            ++i;
        }
        int e = 0;
        size_t expDigits = 0;
        for (; i < n && s[i] >= '0' && s[i] <= '9'; ++i, ++expDigits) {
            if (e < 100000) {
                e = e * 10 + (s[i] - '0');
            }
        }
        if (expDigits == 0) {
            return false;
        }
        exponent += expNegative ? -e : e;
    }
    if (i != n) {
        return false;
    }
    if (exact && m <= (uint64_t{1} << 53) && exponent >= -22 && exponent <= 22) {
        double v = static_cast<double>(m);
        v = exponent < 0 ? v / kPow10[-exponent] : v * kPow10[exponent];
        value = negative ? -v : v;
        return true;
    }
    // strtod reads the locale's decimal point; the script's is always '.'. Tools run in the C
    // locale, where they are the same.
    const std::string copy(text);
    errno = 0;
    const double v = strtod(copy.c_str(), nullptr);
    if (!std::isfinite(v) || errno == ERANGE) {
        return false;
    }
    value = v;
    return true;
}

bool ParseColour(std::string_view text, uint32_t& colour) {
    if (text.size() == 7 && text[0] == '#') {
        uint32_t rgb = 0;
        for (size_t i = 1; i < 7; ++i) {
            const char c = text[i];
            uint32_t d = 0;
            if (c >= '0' && c <= '9') {
                d = static_cast<uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                d = static_cast<uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                d = static_cast<uint32_t>(c - 'A' + 10);
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
        if (IsWord(text, n.name)) {
            colour = n.colour;
            return true;
        }
    }
    return false;
}

bool ParseBool(std::string_view text, bool& v) {
    if (IsWord(text, "yes") || IsWord(text, "true") || IsWord(text, "on") || text == "1") {
        v = true;
        return true;
    }
    if (IsWord(text, "no") || IsWord(text, "false") || IsWord(text, "off") || text == "0") {
        v = false;
        return true;
    }
    return false;
}

// ---- RowScanner ----

void RowScanner::Scan(std::string_view row) {
    // Bytes that end a run of plain text: the separator, quotes, backslashes and the control
    // characters that are dropped (all below 32 but TAB).
    static const auto kSpecial = [] {
        std::array<bool, 256> t{};
        for (int c = 0; c < 32; ++c) {
            t[static_cast<size_t>(c)] = c != 9;
        }
        t[','] = t['"'] = t['\\'] = true;
        return t;
    }();
    row_ = row;
    fields_.clear();
    scratch_.clear();
    scratchAt_.clear();
    // Texts never grow by unescaping, so the buffer never moves under the fields pointing into it.
    if (scratch_.capacity() < row.size()) {
        scratch_.reserve(row.size());
    }
    const char* s = row.data();
    const size_t n = row.size();
    size_t pos = 0;
    for (;;) {
        enum { Plain, Open, Closed } quote = Plain;
        size_t quoteAt = 0;
        size_t first = std::string::npos; // the item's first character that is not skipped
        // The item's text so far: row[begin, end) while it is a plain piece of the row, else in
        // scratch_ from scratchStart.
        bool direct = true;
        size_t begin = 0, end = 0, length = 0;
        const size_t scratchStart = scratch_.size();
        // Appends row[from, to) as it is, or the one byte c standing for row[from, to).
        auto append = [&](size_t from, size_t to, int c) {
            if (direct) {
                if (length == 0 && c < 0) {
                    begin = from, end = to, length = to - from;
                    return;
                }
                if (from == end && c < 0) {
                    end = to, length += to - from;
                    return;
                }
                for (size_t k = begin; k < end; ++k) {
                    scratch_.push_back(s[k]);
                    scratchAt_.push_back(static_cast<uint32_t>(k));
                }
                direct = false;
            }
            if (c >= 0) {
                scratch_.push_back(static_cast<char>(c));
                scratchAt_.push_back(static_cast<uint32_t>(from));
                ++length;
                return;
            }
            for (size_t k = from; k < to; ++k) {
                scratch_.push_back(s[k]);
                scratchAt_.push_back(static_cast<uint32_t>(k));
            }
            length += to - from;
        };
        bool more = false; // a comma ended the item
        while (pos < n) {
            const auto c = static_cast<unsigned char>(s[pos]);
            if (length == 0 && IsSkippedAtStart(c)) {
                ++pos;
                continue;
            }
            if (first == std::string::npos) {
                first = pos;
            }
            if (!kSpecial[c]) {
                if (quote == Closed && c > 32) {
                    throw RowError{static_cast<int>(pos) + 1, "text after the closing double quote"};
                }
                size_t to = pos + 1;
                while (to < n && !kSpecial[static_cast<unsigned char>(s[to])]) {
                    ++to;
                }
                if (quote == Closed) {
                    for (size_t k = pos; k < to; ++k) {
                        if (static_cast<unsigned char>(s[k]) > 32) {
                            throw RowError{static_cast<int>(k) + 1, "text after the closing double quote"};
                        }
                    }
                }
                if (direct && (length == 0 || pos == end)) {
                    begin = length == 0 ? pos : begin;
                    end = to;
                    length += to - pos;
                } else {
                    append(pos, to, -1);
                }
                pos = to;
                continue;
            }
            if (c == ',' && quote != Open) {
                ++pos;
                more = true;
                break;
            }
            if (c == ',') {
                append(pos, pos + 1, -1);
                ++pos;
                continue;
            }
            if (c == '"') {
                if (quote == Plain && length == 0) {
                    quote = Open;
                    quoteAt = pos;
                } else if (quote == Open) {
                    quote = Closed;
                } else if (quote == Closed) {
                    throw RowError{static_cast<int>(pos) + 1, "text after the closing double quote"};
                } else {
                    throw RowError{static_cast<int>(pos) + 1,
                                   "a double quote inside an item (write \\\" for a double quote, or quote "
                                   "the whole item)"};
                }
                ++pos;
                continue;
            }
            if (c == '\\') {
                if (quote == Closed) {
                    throw RowError{static_cast<int>(pos) + 1, "text after the closing double quote"};
                }
                if (pos + 1 >= n) {
                    throw RowError{static_cast<int>(n), "the row ends in a lone backslash"};
                }
                int out = 0;
                switch (s[pos + 1]) {
                case '"':
                case '\'':
                case ',':
                case '\\':
                    out = static_cast<unsigned char>(s[pos + 1]);
                    break;
                case 'n':
                    out = '\n';
                    break;
                case 'r':
                    out = '\r';
                    break;
                case 't':
                    out = '\t';
                    break;
                default:
                    throw RowError{static_cast<int>(pos) + 1, "unknown escape " + Quote(row.substr(pos, 2)) +
                                                                  " (known: \\\\ \\\" \\' \\, \\n \\r \\t)"};
                }
                append(pos, pos + 2, out);
                pos += 2;
                continue;
            }
            // A control character other than TAB: dropped.
            ++pos;
        }
        if (quote == Open) {
            throw RowError{static_cast<int>(quoteAt) + 1,
                           "unclosed double quote (the row ends inside the quoted item that starts here)"};
        }
        std::string_view text = direct ? std::string_view(s + begin, length)
                                       : std::string_view(scratch_.data() + scratchStart, length);
        while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) {
            text.remove_suffix(1);
        }
        // An item without a character of its own is placed at what ended it.
        const size_t at = first != std::string::npos ? first : (more ? pos - 1 : n);
        fields_.push_back({text, static_cast<int>(at) + 1, quote != Plain});
        if (!more) {
            break;
        }
    }
}

int RowScanner::ColumnOf(const char* p) const {
    if (p >= row_.data() && p <= row_.data() + row_.size()) {
        return static_cast<int>(p - row_.data()) + 1;
    }
    if (p >= scratch_.data() && p < scratch_.data() + scratch_.size()) {
        return static_cast<int>(scratchAt_[static_cast<size_t>(p - scratch_.data())]) + 1;
    }
    return 1;
}

// ---- GbkEncoder ----

GbkEncoder::GbkEncoder() : cd_(iconv_open("GBK", "UTF-8")) {}

GbkEncoder::~GbkEncoder() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) {
        iconv_close(cd_);
    }
}

bool GbkEncoder::Encode(std::string_view text, std::string& out, size_t& bad) {
    out.clear();
    bad = 0;
    // ASCII is the same in both.
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) {
        ++i;
    }
    if (i == text.size()) {
        out.assign(text);
        return true;
    }
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string in(text);
    char* src = in.data();
    size_t srcLeft = in.size();
    out.resize(text.size() * 2 + 8);
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) {
            bad = static_cast<size_t>(src - in.data());
            out.clear();
            return false;
        }
    }
    out.resize(out.size() - dstLeft);
    return true;
}

// ---- RowReader ----

void RowReader::Reset(std::string_view row, bool gbk) {
    gbk_ = gbk;
    rowEnd_ = static_cast<int>(row.size()) + 1;
    attributes_.clear();
    const std::vector<detail::Field>& all = scanner_.fields();
    fields_.assign(all.begin(), all.end());
    // Trailing empty items ("line,0,0,1,1,") carry nothing; an empty quoted item is a text.
    while (fields_.size() > 1 && fields_.back().text.empty() && !fields_.back().quoted) {
        fields_.pop_back();
    }
    positional_ = fields_.size();
    for (size_t i = 1; i < fields_.size(); ++i) {
        if (IsAttribute(fields_[i])) {
            positional_ = i;
            break;
        }
    }
    for (size_t i = positional_; i < fields_.size(); ++i) {
        if (!IsAttribute(fields_[i])) {
            throw RowError{fields_[i].column,
                           "expected key=value after the first attribute, found " + Quote(fields_[i].text)};
        }
    }
}

int RowReader::Column(int i) const {
    const size_t k = static_cast<size_t>(i) + 1;
    return k < fields_.size() ? fields_[k].column : rowEnd_;
}

void RowReader::ExpectCount(int min, int max, const char* what) {
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
    throw RowError{column, std::string(Kind()) + ": expected " + expected + " fields (" + what + "), found " +
                               std::to_string(n)};
}

double RowReader::Number(int i, Role role, double lo, double hi) const {
    double v = 0.0;
    if (!ParseNumber(Field(i), v)) {
        throw RowError{Column(i), "expected a number for " + role.Text() + ", found " + Quote(Field(i))};
    }
    if (v < lo || v > hi) {
        throw RowError{Column(i), role.Text() + " " + std::string(Field(i)) + " is out of range (" +
                                      Range(lo, hi) + ")"};
    }
    return v;
}

std::string RowReader::Encode(std::string_view text, int column) const {
    if (gbk_) {
        return std::string(text);
    }
    std::string out;
    size_t bad = 0;
    if (encoder_.Encode(text, out, bad)) {
        return out;
    }
    bad = std::min(bad, text.size() - 1); // the encoder fails only on a text with a byte above 0x7F
    const int at = text.empty() ? column : scanner_.ColumnOf(text.data() + bad);
    uint32_t cp = 0;
    const size_t len =
        DecodeUtf8(reinterpret_cast<const unsigned char*>(text.data()) + bad, text.size() - bad, cp);
    if (len == 0) {
        char byte[8];
        snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(text[bad]));
        throw RowError{at, "text " + Quote(text) + " is not UTF-8 (byte " + byte +
                               "): save the script as UTF-8, or put encoding,gbk before GBK rows"};
    }
    char code[16];
    snprintf(code, sizeof code, "U+%04X", cp);
    throw RowError{at, "text " + Quote(text) + " holds " + code + " '" + std::string(text.substr(bad, len)) +
                           "', which GBK does not have"};
}

bool RowReader::IsAttribute(const detail::Field& f) {
    // key=value with a key of letters (blanks allowed after the first), never a quoted item.
    if (f.quoted || f.text.empty() ||
        !((f.text[0] >= 'a' && f.text[0] <= 'z') || (f.text[0] >= 'A' && f.text[0] <= 'Z'))) {
        return false;
    }
    const size_t eq = f.text.find('=');
    if (eq == std::string_view::npos || eq == 0) {
        return false;
    }
    for (size_t i = 0; i < eq; ++i) {
        const char c = f.text[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c == ' ' && i > 0))) {
            return false;
        }
    }
    return true;
}

const std::vector<Attribute>& RowReader::Attributes() {
    if (!attributes_.empty() || positional_ >= fields_.size()) {
        return attributes_;
    }
    for (size_t i = positional_; i < fields_.size(); ++i) {
        const std::string_view f = fields_[i].text;
        const size_t eq = f.find('=');
        std::string key = Lower(f.substr(0, eq));
        while (!key.empty() && key.back() == ' ') {
            key.pop_back();
        }
        std::string_view value = f.substr(eq + 1);
        while (!value.empty() && value.front() == ' ') {
            value.remove_prefix(1);
        }
        // Aliases name one attribute.
        auto canonical = [](const std::string& k) -> std::string_view {
            if (k == "color") {
                return "colour";
            }
            if (k == "fillcolor") {
                return "fillcolour";
            }
            if (k == "linetype") {
                return "ltype";
            }
            return k;
        };
        for (const Attribute& earlier : attributes_) {
            if (canonical(earlier.key) == canonical(key)) {
                attributes_.clear();
                throw RowError{fields_[i].column, key + " is given twice (first at column " +
                                                      std::to_string(earlier.column) + ")"};
            }
        }
        attributes_.push_back({std::move(key), value, fields_[i].column});
    }
    return attributes_;
}

void RowReader::NoAttributes() const {
    if (positional_ < fields_.size()) {
        throw RowError{fields_[positional_].column, std::string(Kind()) + " takes no attributes, found " +
                                                        Quote(fields_[positional_].text)};
    }
}

} // namespace detail

bool ParseNumber(const std::string& text, double& value) {
    return detail::ParseNumber(std::string_view(text), value);
}

bool ParseColour(const std::string& text, uint32_t& colour) {
    return detail::ParseColour(std::string_view(text), colour);
}

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

} // namespace draft2d::script
