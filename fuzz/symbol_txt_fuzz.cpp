// The text symbol reader on arbitrary bytes.
//
// ReadFileTxt takes a FILE*: each input is read from memory through fmemopen (no file system). The
// symbol that comes out is checked (at most 1000 items, point blocks and texts readable), copied
// deeply and destroyed; leaks and overreads are the sanitizers' to find.
#include "symbol_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) {
        return 0;
    }
    // Read only; fmemopen takes a non-const buffer for its writing modes.
    FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "r");
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
