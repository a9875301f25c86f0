// The binary symbol reader on arbitrary bytes.
//
// ReadFileBin reads a descriptor with _read, so each input is put into one memory file (no file
// system; see symfuzz::MemoryFile). The symbol that comes out is checked (at most 1000 items, point
// blocks and texts readable, widths clamped), copied deeply and destroyed; leaks and overreads are
// the sanitizers' to find.
#include "platform/win32.h"
#include "symbol_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) {
        return 0;
    }
    const int fd = symfuzz::MemoryFile(data, size);
    symfuzz::Symbol s;
    const int result = s.ReadFileBin(fd);
    if (result != 0 && result != -1) {
        __builtin_trap();
    }
    for (const mgSymbolItem* item : s.GetItems()) {
        if (!(item->width >= 0.0f && item->width <= 200.0f)) {
            __builtin_trap();
        }
    }
    return symfuzz::CheckSymbol(s, size) == SIZE_MAX ? 1 : 0;
}
