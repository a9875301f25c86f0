// Splits arbitrary rows and checks that every item without a backslash survives being written
// back into a quoted row and split again.
//
// Input: byte 0 chooses quoting (bit 0) and the split character (bit 1: ';' instead of ','), the
// rest is the row, not zero-terminated.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "io/CStringSplit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) {
        return 0;
    }
    const bool quotes = (data[0] & 1) != 0;
    const char splitChar = (data[0] & 2) != 0 ? ';' : ',';
    const char* row = reinterpret_cast<const char*>(data + 1);
    const int len = static_cast<int>(size - 1);

    CStringSplit split;
    split.SetSplitChar(splitChar);
    if (!split.SplitString(row, len, quotes)) {
        return 0;
    }
    for (int i = 0; i < split.GetCount(); ++i) {
        split.GetItemInteger(i);
        split.GetItemDouble(i);
        split.CheckItemType("BCNILFDHS", i);
    }
    std::string joined;
    split.GetRowStr(joined);

    CStringSplit copy(split);
    CStringSplit built;
    for (int i = 0; i < copy.GetCount(); ++i) {
        if (!built.AddString(copy.GetItem(i), i % 2 == 0, true)) {
            __builtin_trap();
        }
    }
    std::string line;
    built.GetRowStr(line);
    CStringSplit back;
    if (!back.SplitString(line.c_str(), -1, true) || back.GetCount() != copy.GetCount()) {
        __builtin_trap();
    }
    for (int i = 0; i < copy.GetCount(); ++i) {
        const char* item = copy.GetItem(i);
        // A backslash that forms an escape with its follower is taken as that escape when the
        // item is written again; such items are not expected to survive unchanged.
        if (std::strchr(item, '\\') == nullptr && std::strcmp(item, back.GetItem(i)) != 0) {
            __builtin_trap();
        }
    }
    return 0;
}
