// Entity rows: line, polyline, polygon, spline, circle, arc, ellipse, rect, text, symbol and dim.
//
// Each reads its positional numbers (coordinates within +-kMaxCoordinate, sizes positive, angles
// in degrees within +-36000 turned into radians), then its attributes: those of every entity (pen,
// fill, line type, space), those of texts for text and dim rows, and its own. An entity without
// attributes takes the style of the set rows before it as it is.
#include <cmath>
#include <optional>

#include "script/reader_p.h"

namespace draft2d::script::detail {

namespace {

constexpr double kPi = 3.14159265358979323846;

} // namespace

Entity Reader::NewEntity(Kind kind) const {
    Entity e;
    e.kind = kind;
    e.row = row_;
    e.space = currentSpace_;
    e.style = currentStyle_;
    return e;
}

// Attributes of an entity: style ones for all, text ones for texts and dimensions, and those of the
// kind (handled by extra, which returns false for keys it does not know).
template <typename Extra>
void Reader::EntityAttributes(Entity& e, bool text, Extra extra) {
    const std::vector<Attribute>& attributes = r_.Attributes();
    if (attributes.empty()) {
        if (text) {
            e.format = TextStyleFormat(currentTextStyle_);
        }
        return;
    }
    Style style = current_;
    int textStyle = currentTextStyle_;
    std::optional<CFontFormat> format;
    for (const Attribute& a : attributes) {
        if (StyleAttribute(a, style, e.space)) {
            continue;
        }
        if (text && a.key == "textstyle") {
            textStyle = FindTextStyle(a.value);
            if (textStyle < 0) {
                throw RowError{a.column, "text style " + Quote(a.value) + " is not defined"};
            }
            // The style's settings come first; attributes after it apply on top of them.
            format.reset();
            continue;
        }
        if (text) {
            if (!format) {
                format = drawing_.textStyles[static_cast<size_t>(textStyle)].format;
            }
            if (TextAttribute(a, *format)) {
                continue;
            }
        }
        if (!extra(a)) {
            throw UnknownAttribute(a);
        }
    }
    e.style = style == current_ ? currentStyle_ : InternStyle(style);
    if (text) {
        e.format = format ? InternFormat(*format) : TextStyleFormat(textStyle);
    }
}

void Reader::EntityAttributes(Entity& e) {
    EntityAttributes(e, false, [](const Attribute&) { return false; });
}

void Reader::Points(int first, int minPoints) {
    const int n = r_.Count() - first;
    if (n % 2 != 0) {
        throw RowError{r_.Column(r_.Count() - 1), std::string(r_.Kind()) +
                                                      ": expected pairs of x and y, found " +
                                                      std::to_string(n) + " numbers"};
    }
    if (n / 2 < minPoints) {
        throw RowError{r_.Column(r_.Count()), std::string(r_.Kind()) + ": expected at least " +
                                                  std::to_string(minPoints) + " points, found " +
                                                  std::to_string(n / 2)};
    }
    if (n / 2 > kMaxPoints) {
        throw RowError{r_.Column(first), std::string(r_.Kind()) + ": at most " + std::to_string(kMaxPoints) +
                                             " points in one row, found " + std::to_string(n / 2)};
    }
    for (int i = first; i < r_.Count(); ++i) {
        const int k = i - first;
        nums_.push_back(r_.Coordinate(i, {k % 2 == 0 ? "x" : "y", k / 2 + 1}));
    }
}

double Reader::Degrees(int i, Role role) const {
    return r_.Number(i, role, -36000.0, 36000.0) * kPi / 180.0;
}

void Reader::Add(Entity& e, std::string* text) {
    if (drawing_.texts.size() >= INT32_MAX) {
        throw RowError{r_.KindColumn(), "the drawing holds too many texts"};
    }
    e.count = static_cast<uint32_t>(nums_.size());
    double* v = drawing_.numbers.Append(nums_.size());
    std::copy(nums_.begin(), nums_.end(), v);
    e.v = v;
    if (text != nullptr) {
        e.text = static_cast<int32_t>(drawing_.texts.size());
        drawing_.texts.push_back(std::move(*text));
    }
    drawing_.entities.push_back(e);
    sawEntity_ = true;
}

void Reader::Line() {
    r_.ExpectCount(4, 4, "x1, y1, x2, y2");
    Entity e = NewEntity(Kind::Line);
    Points(0, 2);
    EntityAttributes(e);
    Add(e);
}

void Reader::Poly(Kind kind) {
    const int minPoints = kind == Kind::Polygon ? 3 : 2;
    r_.ExpectCount(2 * minPoints, INT32_MAX, "pairs of x and y");
    Entity e = NewEntity(kind);
    Points(0, minPoints);
    if (kind == Kind::Spline) {
        EntityAttributes(e, false, [&](const Attribute& a) {
            if (a.key != "closed") {
                return false;
            }
            if (!ParseBool(a.value, e.closed)) {
                throw RowError{a.column, "expected yes or no for closed, found " + Quote(a.value)};
            }
            return true;
        });
    } else {
        EntityAttributes(e);
    }
    Add(e);
}

void Reader::Circle() {
    r_.ExpectCount(3, 3, "cx, cy, radius");
    Entity e = NewEntity(Kind::Circle);
    nums_ = {r_.Coordinate(0, {"cx"}), r_.Coordinate(1, {"cy"}),
             r_.Number(2, {"radius"}, 1e-6, kMaxCoordinate)};
    EntityAttributes(e);
    Add(e);
}

void Reader::Arc() {
    r_.ExpectCount(5, 5, "cx, cy, radius, start and sweep in degrees");
    Entity e = NewEntity(Kind::Arc);
    nums_ = {r_.Coordinate(0, {"cx"}), r_.Coordinate(1, {"cy"}),
             r_.Number(2, {"radius"}, 1e-6, kMaxCoordinate), Degrees(3, {"start angle"}),
             Degrees(4, {"sweep"})};
    EntityAttributes(e, false, [&](const Attribute& a) {
        if (a.key != "type") {
            return false;
        }
        if (IsWord(a.value, "arc")) {
            e.arcType = 0;
        } else if (IsWord(a.value, "pie")) {
            e.arcType = 1;
        } else if (IsWord(a.value, "chord")) {
            e.arcType = 2;
        } else {
            throw RowError{a.column, "expected arc, pie or chord for type, found " + Quote(a.value)};
        }
        return true;
    });
    Add(e);
}

void Reader::Ellipse() {
    r_.ExpectCount(4, 5, "cx, cy, rx, ry, then the angle in degrees");
    Entity e = NewEntity(Kind::Ellipse);
    nums_ = {r_.Coordinate(0, {"cx"}), r_.Coordinate(1, {"cy"}), r_.Number(2, {"rx"}, 1e-6, kMaxCoordinate),
             r_.Number(3, {"ry"}, 1e-6, kMaxCoordinate), r_.Count() > 4 ? Degrees(4, {"angle"}) : 0.0};
    EntityAttributes(e);
    Add(e);
}

void Reader::Rect() {
    r_.ExpectCount(4, 5, "x, y, width, height, then the angle in degrees");
    Entity e = NewEntity(Kind::Rect);
    nums_ = {r_.Coordinate(0, {"x"}), r_.Coordinate(1, {"y"}), r_.Number(2, {"width"}, 1e-6, kMaxCoordinate),
             r_.Number(3, {"height"}, 1e-6, kMaxCoordinate), r_.Count() > 4 ? Degrees(4, {"angle"}) : 0.0};
    EntityAttributes(e);
    Add(e);
}

void Reader::Text() {
    r_.ExpectCount(3, 3, "x, y, text");
    Entity e = NewEntity(Kind::Text);
    nums_ = {r_.Coordinate(0, {"x"}), r_.Coordinate(1, {"y"})};
    std::string text = r_.Text(2);
    if (text.empty()) {
        throw RowError{r_.Column(2), "text: expected a text"};
    }
    EntityAttributes(e, true, [](const Attribute&) { return false; });
    Add(e, &text);
}

void Reader::Symbol() {
    r_.ExpectCount(3, 5, "name, x, y, then the angle in degrees and the scale");
    Entity e = NewEntity(Kind::Symbol);
    std::string name = r_.Text(0);
    if (symbolNames_.count(Lower(name)) == 0) {
        throw RowError{r_.Column(0), "unknown symbol " + Quote(r_.Field(0)) +
                                         (drawing_.symbolDirs.empty() ? " (no symbols row before it)" : "")};
    }
    nums_ = {r_.Coordinate(1, {"x"}), r_.Coordinate(2, {"y"}), r_.Count() > 3 ? Degrees(3, {"angle"}) : 0.0,
             r_.Count() > 4 ? r_.Number(4, {"scale"}, 1e-6, 1e6) : 1.0};
    EntityAttributes(e);
    Add(e, &name);
}

void Reader::Dimension() {
    r_.ExpectCount(5, 6, "x1, y1, x2, y2, offset, then the text");
    Entity e = NewEntity(Kind::Dimension);
    nums_ = {r_.Coordinate(0, {"x1"}), r_.Coordinate(1, {"y1"}), r_.Coordinate(2, {"x2"}),
             r_.Coordinate(3, {"y2"})};
    if (std::hypot(nums_[2] - nums_[0], nums_[3] - nums_[1]) < 1e-9) {
        throw RowError{r_.Column(0), "dim: the two points coincide"};
    }
    nums_.push_back(r_.Coordinate(4, {"offset"}));
    std::string text;
    if (r_.Count() > 5) {
        text = r_.Text(5);
    }
    EntityAttributes(e, true, [&](const Attribute& a) {
        if (a.key != "decimals") {
            return false;
        }
        double d = 0.0;
        if (!ParseNumber(a.value, d) || d < 0 || d > 6 || d != std::floor(d)) {
            throw RowError{a.column, "expected 0 to 6 for decimals, found " + Quote(a.value)};
        }
        e.decimals = static_cast<uint8_t>(d);
        return true;
    });
    Add(e, text.empty() ? nullptr : &text);
}

} // namespace draft2d::script::detail
