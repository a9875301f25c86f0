// What the two symbol file harnesses share: the temporary file each input is written to, and the
// checks of the symbol that comes out of a reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "symbol/mgSymbol.h"

namespace symfuzz {

struct Symbol : mgSymbol {
    Symbol() : mgSymbol("fuzz") {}
};

// Writes the input to this process's temporary file (made once, named after tag) and returns its
// path.
inline const std::string& WriteTemp(const uint8_t* data, size_t size, const char* tag) {
    static const std::string path = [tag] {
        const char* dir = std::getenv("TMPDIR");
        std::string p = std::string(dir && *dir ? dir : "/tmp") + "/draft2d-fuzz-" + tag + "-XXXXXX";
        const int fd = mkstemp(&p[0]);
        if (fd < 0) {
            std::abort();
        }
        close(fd);
        return p;
    }();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, f) != size) {
        std::abort();
    }
    std::fclose(f);
    return path;
}

// Touches every byte an item owns, so that a block shorter than its count is an overread.
inline size_t Walk(const mgSymbolItem& item) {
    size_t sum = 0;
    if (item.count < 0 || (item.count > 0 && (item.xs == nullptr || item.ys != item.xs + item.count))) {
        __builtin_trap();
    }
    for (int k = 0; k < item.count; ++k) {
        sum += item.xs[k] == item.ys[k];
    }
    if (item.text != nullptr) {
        sum += std::strlen(item.text);
    }
    return sum;
}

// The checks every symbol read must pass, then a deep copy walked again and a fill lookup; the
// sum keeps the walks from being optimised away.
inline size_t CheckSymbol(Symbol& s, size_t size) {
    if (s.GetItems().size() > 1000) {
        __builtin_trap();
    }
    size_t sum = s.GetComment().length();
    for (const mgSymbolItem* item : s.GetItems()) {
        sum += Walk(*item);
        if (item->kind == 'f' && (item->fillStyle < 0 || item->fillStyle == 1 || item->fillStyle > 7)) {
            __builtin_trap();
        }
    }
    Symbol copy;
    copy = s;
    for (const mgSymbolItem* item : copy.GetItems()) {
        sum += Walk(*item);
    }
    int style = 0;
    int flag = 0;
    sum += copy.HasHatch(static_cast<int>(size % 8), &style, &flag);
    s.Clear();
    return sum;
}

} // namespace symfuzz
