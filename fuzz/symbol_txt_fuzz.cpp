// The text symbol reader on arbitrary bytes.
//
// ReadFileTxt takes a FILE*, so each input is written to one temporary file first. The symbol that
// comes out is checked (at most 1000 items, point blocks and texts readable), copied deeply and
// destroyed; leaks and overreads are the sanitizers' to find.
#include "symbol_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) {
        return 0;
    }
    const std::string& path = symfuzz::WriteTemp(data, size, "symboltxt");
    FILE* f = std::fopen(path.c_str(), "rt");
    if (f == nullptr) {
        std::abort();
    }
    symfuzz::Symbol s;
    const int result = s.ReadFileTxt(f);
    std::fclose(f);
    if (result < -2 || result > 0) {
        __builtin_trap();
    }
    return symfuzz::CheckSymbol(s, size) == SIZE_MAX ? 1 : 0;
}
