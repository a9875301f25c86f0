// What the symbol file harnesses share: the memory file the binary reader reads each input from, and
// the checks of the symbol that comes out of a reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "symbol/mgSymbol.h"

namespace symfuzz {

struct Symbol : mgSymbol {
    Symbol() : mgSymbol("fuzz") {}
};

// The input as a descriptor read from its start: one memory file of this process (memfd_create, made
// once), refilled for every input, so that no input touches the file system. The descriptor stays
// open; readers must not close it.
inline int MemoryFile(const uint8_t* data, size_t size) {
    static const int fd = [] {
        const int f = memfd_create("draft2d-fuzz", MFD_CLOEXEC);
        if (f < 0) {
            std::abort();
        }
        return f;
    }();
    if (ftruncate(fd, static_cast<off_t>(size)) != 0 ||
        (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) ||
        lseek(fd, 0, SEEK_SET) != 0) {
        std::abort();
    }
    return fd;
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
