// The text format record reader on arbitrary bytes: it reads, throws CIoBufException at the end
// of the data, or reports an error; a format read completely saves to a record that reads back
// the same.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "io/CIoBuffer.h"
#include "text/CFontFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16)) {
        return 0;
    }
    CIoBuffer in;
    for (size_t i = 0; i < size; ++i) {
        in.AddUInt8(data[i]);
    }
    CFontFormat f;
    bool ok = false;
    try {
        ok = f.Read(in);
    } catch (const CIoBufException& e) {
        if (e.GetError() != -2 || e.what() == nullptr) {
            __builtin_trap();
        }
        return 0;
    }
    if (!ok) {
        return 0;
    }
    CIoBuffer out;
    if (!f.Save(out)) {
        __builtin_trap();
    }
    CFontFormat g;
    if (!g.Read(out)) {
        __builtin_trap();
    }
    CIoBuffer again;
    g.Save(again);
    if (again.GetSize() != out.GetSize() ||
        std::memcmp(again.GetBuffer(), out.GetBuffer(), out.GetSize()) != 0) {
        __builtin_trap();
    }
    return 0;
}
