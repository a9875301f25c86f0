// The spline record reader on arbitrary bytes: it reads, throws CIoBufException(-2) at the end of
// the data, or reports an error, and never allocates for a count the data does not hold. A spline
// read completely saves to a record that reads back the same, and fits or fails cleanly.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "io/CIoBuffer.h"
#include "values/mgSplines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16)) {
        return 0;
    }
    CIoBuffer in;
    for (size_t i = 0; i < size; ++i) {
        in.AddUInt8(data[i]);
    }
    mgSplines s;
    bool ok = false;
    try {
        ok = s.Read(in);
    } catch (const CIoBufException& e) {
        if (e.GetError() != -2 || s.count() != 0) {
            __builtin_trap();
        }
        return 0;
    }
    if (!ok) {
        if (s.count() != 0) {
            __builtin_trap();
        }
        return 0;
    }
    if (static_cast<size_t>(s.count()) * 16 + 32 > size) {
        __builtin_trap();
    }
    CIoBuffer out;
    if (!s.Save(out)) {
        __builtin_trap();
    }
    mgSplines t;
    if (!t.Read(out) || !t.isSame(s, 0.0)) {
        __builtin_trap();
    }
    s.validateParams();
    for (int i = 0; i < s.count(); ++i) {
        if (s.xp(i) != s.xp(i) || s.yp(i) != s.yp(i)) {
            __builtin_trap(); // valid parameters are finite (or 0.0 when the fit failed)
        }
    }
    return 0;
}
