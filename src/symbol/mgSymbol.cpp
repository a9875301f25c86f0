// Symbol items, symbols and the symbol library: ownership, copies and lookup.
#include "symbol/mgSymbol.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "linetype/linetype_p.h"
#include "symbol/symbol_p.h"

using draft2d::detail::DuplicateText;

namespace draft2d::detail {

bool SymbolNamesEqual(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a);
        unsigned char y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
        if (x == 0)
            return true;
    }
}

int ClampFillStyle(int style) {
    if (style < 0 || style == 1)
        return 0;
    return style > 7 ? 7 : style;
}

} // namespace draft2d::detail

// ---- mgSymbolItem ------------------------------------------------------------------------------

mgSymbolItem::mgSymbolItem()
    : kind(0), x(0), y(0), x2(0), y2(0), radius(0), startAngle(0), endAngle(0), width(0), height(0), angle(0),
      extra(0), count(0), xs(nullptr), ys(nullptr), fillIndex(0), fillStyle(0), fillFlag(0), text(nullptr) {}

mgSymbolItem::mgSymbolItem(const mgSymbolItem& other) : mgSymbolItem() {
    *this = other;
}

mgSymbolItem& mgSymbolItem::operator=(const mgSymbolItem& other) {
    if (this == &other)
        return *this;
    clear();
    kind = other.kind;
    x = other.x;
    y = other.y;
    x2 = other.x2;
    y2 = other.y2;
    radius = other.radius;
    startAngle = other.startAngle;
    endAngle = other.endAngle;
    width = other.width;
    height = other.height;
    angle = other.angle;
    extra = other.extra;
    fillIndex = other.fillIndex;
    fillStyle = other.fillStyle;
    fillFlag = other.fillFlag;
    text = DuplicateText(other.text);
    if (other.xs != nullptr && other.count > 0 && allocPoints(other.count)) {
        std::memcpy(xs, other.xs, static_cast<size_t>(count) * sizeof(double));
        std::memcpy(ys, other.ys, static_cast<size_t>(count) * sizeof(double));
    }
    return *this;
}

mgSymbolItem::~mgSymbolItem() {
    clear();
}

void mgSymbolItem::clear() {
    std::free(text);
    std::free(xs);
    kind = 0;
    x = y = x2 = y2 = radius = startAngle = endAngle = width = height = angle = extra = 0.0f;
    count = 0;
    xs = ys = nullptr;
    fillIndex = fillStyle = fillFlag = 0;
    text = nullptr;
}

bool mgSymbolItem::allocPoints(int n) {
    std::free(xs);
    xs = ys = nullptr;
    count = 0;
    // 2 * n doubles must fit the address space (n is at most 2^31 - 1, so on 64-bit it always
    // does; the test keeps 32-bit builds from wrapping).
    if (n < 0 || static_cast<uint64_t>(n) > SIZE_MAX / (2 * sizeof(double)))
        return false;
    if (n == 0)
        return true;
    xs = static_cast<double*>(std::malloc(static_cast<size_t>(n) * 2 * sizeof(double)));
    if (xs == nullptr)
        return false;
    ys = xs + n;
    count = n;
    return true;
}

// ---- mgSymbol ----------------------------------------------------------------------------------

mgSymbol::mgSymbol(const char* nm) : name(nm) {}

mgSymbol::mgSymbol(const mgSymbol& other) : name(other.name), comment(other.comment) {
    for (const mgSymbolItem* item : other.items)
        items.push_back(new mgSymbolItem(*item));
}

mgSymbol& mgSymbol::operator=(const mgSymbol& other) {
    if (this == &other)
        return *this;
    Clear();
    name = other.name;
    comment = other.comment;
    for (const mgSymbolItem* item : other.items)
        items.push_back(new mgSymbolItem(*item));
    return *this;
}

mgSymbol::~mgSymbol() {
    Clear();
}

void mgSymbol::Clear() {
    for (mgSymbolItem* item : items)
        delete item;
    items.clear();
}

bool mgSymbol::HasHatch(int index, int* style, int* flag) const {
    if (style != nullptr)
        *style = -1;
    for (const mgSymbolItem* item : items) {
        if (item->kind == 'f' && item->fillIndex == index) {
            if (style != nullptr)
                *style = item->fillStyle;
            if (flag != nullptr)
                *flag = item->fillFlag;
            return true;
        }
    }
    return false;
}

// ---- mgSymbols ---------------------------------------------------------------------------------

mgSymbols::mgSymbols() = default;

mgSymbols::mgSymbols(const mgSymbols& other) {
    *this = other;
}

mgSymbols& mgSymbols::operator=(const mgSymbols& other) {
    if (this == &other)
        return *this;
    Clear();
    for (const mgSymbol* s : other.items)
        items.push_back(new mgSymbol(*s));
    return *this;
}

mgSymbols::~mgSymbols() {
    Clear();
}

int mgSymbols::FindIndex(const char* nm) const {
    if (nm == nullptr || nm[0] == 0)
        return -1;
    for (size_t k = 0; k < items.size(); ++k) {
        const char* own = items[k]->name.c_str();
        if (own != nullptr && draft2d::detail::SymbolNamesEqual(own, nm))
            return static_cast<int>(k);
    }
    return -1;
}

mgSymbol* mgSymbols::Find(const char* nm) const {
    const int k = FindIndex(nm);
    return k >= 0 ? items[static_cast<size_t>(k)] : nullptr;
}

int mgSymbols::AddItem(mgSymbol* s) {
    if (s == nullptr || s->name.length() == 0)
        return 0;
    const int k = FindIndex(s->name);
    if (k >= 0) {
        if (items[static_cast<size_t>(k)] == s)
            return 0;
        DeleteItem(items[static_cast<size_t>(k)]);
    }
    try {
        items.push_back(s);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

void mgSymbols::DeleteItem(mgSymbol* s) {
    if (s == nullptr)
        return;
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (*it == s) {
            items.erase(it);
            delete s;
            return;
        }
    }
}

void mgSymbols::Clear() {
    for (mgSymbol* s : items)
        delete s;
    items.clear();
}
