// Styles: the set row, the attributes of pens, fills, line types and text formats that entity rows
// and set rows take, and the drawing's tables of distinct styles and text formats.
#include <cmath>
#include <cstring>
#include <functional>

#include "script/reader_p.h"

namespace draft2d::script::detail {

namespace {

constexpr double kPi = 3.14159265358979323846;

const char* const kHatchNames[] = {"horizontal", "vertical", "fdiagonal", "bdiagonal", "cross", "diagcross"};

void Mix(size_t& h, size_t v) {
    h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
}

template <typename T>
size_t HashOf(const T& v) {
    return std::hash<T>()(v);
}

// Millimetres (a number) or pixels ("2px") as the library's width.
int ParseWidth(const Attribute& a) {
    std::string_view v = a.value;
    const bool px = v.size() > 2 && IsWord(v.substr(v.size() - 2), "px");
    if (px) {
        v.remove_suffix(2);
    }
    double w = 0.0;
    if (!ParseNumber(v, w) || w < 0 || w > (px ? 100.0 : 20.0)) {
        throw RowError{a.column, "expected a width of 0 to 20 (mm) or 0px to 100px, found " + Quote(a.value)};
    }
    if (px) {
        return -static_cast<int>(w + 0.5);
    }
    return static_cast<int>(w * 100.0 + 0.5);
}

// An index of the standard line types as the library reads one: an optional sign and digits.
int StandardIndex(std::string_view s) {
    size_t i = s.size() > 0 && (s[0] == '+' || s[0] == '-') ? 1 : 0;
    if (i == s.size() || s.size() - i > 10) {
        return 0;
    }
    long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') {
            return 0;
        }
        v = v * 10 + (s[i] - '0');
    }
    return s[0] == '-' || v < 1 || v > 15 ? 0 : static_cast<int>(v);
}

} // namespace

size_t StyleHash::operator()(const Style& s) const {
    size_t h = HashOf(s.lineType);
    Mix(h, s.colour);
    Mix(h, static_cast<size_t>(s.width));
    Mix(h, HashOf(s.lineScale));
    Mix(h, static_cast<size_t>(s.fill));
    Mix(h, static_cast<size_t>(s.hatch));
    Mix(h, s.fillColour);
    return h;
}

FormatKey::FormatKey(const CFontFormat& f)
    : fontName(f.FontName() != nullptr ? f.FontName() : ""),
      fontNameEng(f.FontNameEng() != nullptr ? f.FontNameEng() : ""), height(f.Height()), angle(f.Angle()),
      widthPer(f.WidthPer()), widthPerEng(f.WidthPerEng()), charGap(f.CharGap()), rowGap(f.RowGap()),
      flags(f.Bold() | f.Italic() | f.UnderLine() | f.StrikeOut()), align(static_cast<int>(f.Align())),
      textDirect(f.TextDirect()) {}

bool FormatKey::operator==(const FormatKey& o) const {
    return fontName == o.fontName && fontNameEng == o.fontNameEng && height == o.height && angle == o.angle &&
           widthPer == o.widthPer && widthPerEng == o.widthPerEng && charGap == o.charGap &&
           rowGap == o.rowGap && flags == o.flags && align == o.align && textDirect == o.textDirect;
}

size_t FormatKeyHash::operator()(const FormatKey& k) const {
    size_t h = HashOf(k.fontName);
    Mix(h, HashOf(k.fontNameEng));
    Mix(h, HashOf(k.height));
    Mix(h, HashOf(k.angle));
    Mix(h, HashOf(k.widthPer));
    Mix(h, static_cast<size_t>(k.flags | k.align << 4));
    return h;
}

uint32_t Reader::InternStyle(const Style& s) {
    const auto it = styleIndex_.find(s);
    if (it != styleIndex_.end()) {
        return it->second;
    }
    const auto index = static_cast<uint32_t>(drawing_.styles.size());
    drawing_.styles.push_back(s);
    styleIndex_.emplace(s, index);
    return index;
}

int32_t Reader::InternFormat(const CFontFormat& f) {
    FormatKey key(f);
    const auto it = formatIndex_.find(key);
    if (it != formatIndex_.end()) {
        return it->second;
    }
    const auto index = static_cast<int32_t>(drawing_.formats.size());
    drawing_.formats.push_back(f);
    formatIndex_.emplace(std::move(key), index);
    return index;
}

int32_t Reader::TextStyleFormat(int textStyle) {
    int32_t& f = textStyleFormats_[static_cast<size_t>(textStyle)];
    if (f < 0) {
        f = InternFormat(drawing_.textStyles[static_cast<size_t>(textStyle)].format);
    }
    return f;
}

int Reader::FindTextStyle(std::string_view name) const {
    const std::string lower = Lower(name);
    for (size_t i = 0; i < drawing_.textStyles.size(); ++i) {
        if (Lower(drawing_.textStyles[i].name) == lower) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

RowError Reader::UnknownAttribute(const Attribute& a) const {
    return RowError{a.column, std::string(r_.Kind()) + " has no attribute " + Quote(a.key)};
}

std::string Reader::LineTypeName(const Attribute& a) {
    for (const auto& known : lineTypeCache_) {
        if (known.first == a.value) {
            return known.second;
        }
    }
    const std::string name = r_.Encode(a.value, a.column);
    std::string resolved = name;
    if (IsWord(name, "none")) {
        resolved.clear();
    } else if (drawing_.lineTypes->Find(name.c_str()) == nullptr) {
        // The library maps the indices 1 to 15 to the standard names, but the solid line (1) is in
        // no registry: its name is found by itself.
        const int index = StandardIndex(name);
        const char* standard = index > 0 ? CLineTypes::StdLineTypeName(index) : nullptr;
        if (standard == nullptr || drawing_.lineTypes->Find(standard) == nullptr) {
            throw RowError{a.column, "unknown line type " + Quote(a.value)};
        }
        resolved = standard;
    }
    if (lineTypeCache_.size() >= 64) {
        lineTypeCache_.clear();
    }
    lineTypeCache_.emplace_back(std::string(a.value), resolved);
    return resolved;
}

bool Reader::StyleAttribute(const Attribute& a, Style& style, Space& space) {
    const std::string_view k = a.key;
    if (k == "colour" || k == "color") {
        if (!ParseColour(a.value, style.colour)) {
            throw RowError{a.column, "unknown colour " + Quote(a.value) +
                                         " (expected #rrggbb, a colour name or contrast)"};
        }
    } else if (k == "fillcolour" || k == "fillcolor") {
        if (!ParseColour(a.value, style.fillColour)) {
            throw RowError{a.column, "unknown colour " + Quote(a.value) +
                                         " (expected #rrggbb, a colour name or contrast)"};
        }
    } else if (k == "width") {
        style.width = ParseWidth(a);
    } else if (k == "ltype" || k == "linetype") {
        style.lineType = LineTypeName(a);
    } else if (k == "lscale") {
        double v = 0.0;
        if (!ParseNumber(a.value, v) || v < 1e-6 || v > 1e6) {
            throw RowError{a.column,
                           "expected a line type scale from 0.000001 to 1000000, found " + Quote(a.value)};
        }
        style.lineScale = v;
    } else if (k == "fill") {
        if (IsWord(a.value, "none")) {
            style.fill = Fill::None;
        } else if (IsWord(a.value, "solid")) {
            style.fill = Fill::Solid;
        } else {
            int hatch = -1;
            for (int i = 0; i < 6; ++i) {
                if (IsWord(a.value, kHatchNames[i])) {
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
    } else if (k == "space") {
        if (IsWord(a.value, "user")) {
            space = Space::User;
        } else if (IsWord(a.value, "paper")) {
            space = Space::Paper;
        } else {
            throw RowError{a.column, "expected user or paper for space, found " + Quote(a.value)};
        }
    } else {
        return false;
    }
    return true;
}

bool Reader::TextAttribute(const Attribute& a, CFontFormat& f) const {
    const std::string_view k = a.key;
    auto number = [&](double lo, double hi) {
        double v = 0.0;
        if (!ParseNumber(a.value, v) || v < lo || v > hi) {
            throw RowError{a.column, "expected a number from " + Range(lo, hi) + " for " + a.key +
                                         ", found " + Quote(a.value)};
        }
        return v;
    };
    auto flag = [&]() {
        bool v = false;
        if (!ParseBool(a.value, v)) {
            throw RowError{a.column, "expected yes or no for " + a.key + ", found " + Quote(a.value)};
        }
        return v ? 1 : 0;
    };
    if (k == "height") {
        f.SetHeight(number(0.1, 1000.0));
    } else if (k == "font") {
        f.SetFontName(r_.Encode(a.value, a.column).c_str());
    } else if (k == "fonteng") {
        f.SetFontNameEng(r_.Encode(a.value, a.column).c_str());
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
        static const char hs[] = "lcr";
        static const char vs[] = "bmt";
        const std::string v = Lower(a.value);
        const char* h = v.size() == 2 && v[0] != 0 ? strchr(hs, v[0]) : nullptr;
        const char* w = v.size() == 2 && v[1] != 0 ? strchr(vs, v[1]) : nullptr;
        if (h == nullptr || w == nullptr) {
            throw RowError{a.column, "expected an alignment of two letters, l/c/r then b/m/t (such as lb or "
                                     "cm), found " +
                                         Quote(a.value)};
        }
        f.SetAlign(static_cast<unsigned>(h - hs) | static_cast<unsigned>(w - vs) * 4u);
    } else {
        return false;
    }
    return true;
}

void Reader::Set() {
    r_.ExpectCount(0, 0, "attributes only");
    Style style = current_;
    Space space = currentSpace_;
    int textStyle = currentTextStyle_;
    for (const Attribute& a : r_.Attributes()) {
        if (a.key == "textstyle") {
            textStyle = FindTextStyle(a.value);
            if (textStyle < 0) {
                throw RowError{a.column, "text style " + Quote(a.value) + " is not defined"};
            }
        } else if (!StyleAttribute(a, style, space)) {
            throw UnknownAttribute(a);
        }
    }
    current_ = style;
    currentStyle_ = InternStyle(style);
    currentSpace_ = space;
    currentTextStyle_ = textStyle;
}

} // namespace draft2d::script::detail
