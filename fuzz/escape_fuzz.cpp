// The escape codecs on arbitrary text: lengths predicted by StrLenAfter* are sufficient (and exact
// for unescaping), undersized buffers fail cleanly, escaping then unescaping gives the text back
// without its dropped control characters, and escaped string lists round trip.
//
// Input: byte 0 is a capacity for the undersized writes, the rest is the text (not terminated).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "io/CStringSplit.h"

namespace {

bool IsEscapeFollower(char c) {
    return std::strchr("nrt\"'\\", c) != nullptr && c != 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) {
        return 0;
    }
    const int smallCap = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const int len = static_cast<int>(text.size());
    const size_t visible = std::strlen(text.c_str());

    // Escaping: the predicted length always fits, exactly sized heap buffers catch overruns.
    const int escBound = CStringSplit::StrLenAfterWithEsc(text.data(), len);
    std::vector<char> esc(static_cast<size_t>(escBound) + 1);
    const int escLen = CStringSplit::ToEscStr(esc.data(), escBound + 1, text.data(), len);
    if (escLen < 0 || escLen > escBound) {
        __builtin_trap();
    }
    if (smallCap > 0) {
        std::vector<char> small(static_cast<size_t>(smallCap));
        const int r = CStringSplit::ToEscStr(small.data(), smallCap, text.data(), len);
        if (r != (escLen < smallCap ? escLen : -1)) {
            __builtin_trap();
        }
    }

    // Unescaping the escaped form gives the text without the dropped control characters, unless
    // the text held a backslash that already formed an escape.
    const int rawLen = CStringSplit::StrLenAfterNoEsc(esc.data(), escLen);
    bool hasEscape = false;
    std::string kept;
    for (size_t i = 0; i < visible; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\\' && i + 1 < visible && IsEscapeFollower(text[i + 1])) {
            hasEscape = true;
        }
        if (c >= 32 || c == '\t' || c == '\n' || c == '\r') {
            kept += static_cast<char>(c);
        }
    }
    if (rawLen < 0) {
        __builtin_trap();
    }
    std::vector<char> raw(static_cast<size_t>(rawLen) + 1);
    const int back = CStringSplit::ToStrNoEsc(raw.data(), rawLen + 1, esc.data(), escLen);
    if (back != rawLen || (!hasEscape && kept != std::string(raw.data(), static_cast<size_t>(back)))) {
        __builtin_trap();
    }

    // Unescaping arbitrary text: the length predicts the result exactly, or both fail.
    const int n = CStringSplit::StrLenAfterNoEsc(text.data(), len);
    std::vector<char> un(static_cast<size_t>(n < 0 ? 0 : n) + 1);
    const int u = CStringSplit::ToStrNoEsc(un.data(), static_cast<int>(un.size()), text.data(), len);
    if (u != n) {
        __builtin_trap();
    }
    if (smallCap > 0) {
        std::vector<char> small(static_cast<size_t>(smallCap));
        CStringSplit::ToStrNoEsc(small.data(), smallCap, text.data(), len);
    }
    std::string ansi;
    CStringSplit::EscStrToAnsiString(ansi, text.data(), len);

    // String lists: whatever list the text decodes to encodes within the predicted size.
    std::deque<std::string> list;
    if (CStringSplit::EscStrToStringList(list, text.data(), len)) {
        const int need = CStringSplit::CharCountOfStringList(list);
        std::vector<char> buf(static_cast<size_t>(need) + 1);
        const int w = CStringSplit::StringListToEscStr(list, buf.data(), need + 1);
        if (w < 0 || w > need) {
            __builtin_trap();
        }
        std::deque<std::string> again;
        CStringSplit::EscStrToStringList(again, buf.data(), w);
    }
    std::deque<std::string> lines;
    CStringSplit::StrToStrings(lines, text.c_str());
    std::string joined;
    CStringSplit::StringsToStr(joined, lines);
    std::deque<std::string> tokens;
    split(text, std::string(1, static_cast<char>(data[0])), tokens);
    return 0;
}
