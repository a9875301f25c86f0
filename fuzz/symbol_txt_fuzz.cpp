// The text symbol reader on arbitrary bytes.
//
// ReadFileTxt takes a FILE*, so each input is written to one temporary file first. The symbol that
// comes out is checked (at most 1000 items, point blocks and texts readable), copied deeply and
// destroyed; leaks and overreads are the sanitizers' to find.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "symbol/mgSymbol.h"

namespace {

struct Symbol : mgSymbol {
    Symbol() : mgSymbol("fuzz") {}
};

const std::string& TempPath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        std::string p = std::string(dir && *dir ? dir : "/tmp") + "/draft2d-fuzz-symboltxt-XXXXXX";
        const int fd = mkstemp(&p[0]);
        if (fd < 0) {
            std::abort();
        }
        close(fd);
        return p;
    }();
    return path;
}

size_t Walk(const mgSymbolItem& item) {
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) {
        return 0;
    }
    const std::string& path = TempPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, f) != size) {
        std::abort();
    }
    std::fclose(f);

    f = std::fopen(path.c_str(), "rt");
    if (f == nullptr) {
        std::abort();
    }
    Symbol s;
    const int result = s.ReadFileTxt(f);
    std::fclose(f);
    if (result < -2 || result > 0 || s.GetItems().size() > 1000) {
        __builtin_trap();
    }
    size_t sum = 0;
    for (const mgSymbolItem* item : s.GetItems()) {
        sum += Walk(*item);
        if (item->kind == 'f' && (item->fillStyle < 0 || item->fillStyle == 1 || item->fillStyle > 7)) {
            __builtin_trap();
        }
    }
    const MgString comment = s.GetComment();
    sum += comment.length();
    Symbol copy;
    copy = s;
    for (const mgSymbolItem* item : copy.GetItems()) {
        sum += Walk(*item);
    }
    int style = 0;
    sum += copy.HasHatch(static_cast<int>(size % 8), &style, nullptr);
    s.Clear();
    return sum == SIZE_MAX ? 1 : 0;
}
