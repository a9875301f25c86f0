// GBK decoding through a table built from iconv ("CP936") one lead byte at a time, on first use.
// A row costs 191 iconv conversions once; afterwards a character decodes with two array reads.
#include "platform/posix/text_gbk.h"

#include <iconv.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <mutex>

namespace draft2d::detail {
namespace {

constexpr int kLeadFirst = 0x81;
constexpr int kLeadLast = 0xFE;
constexpr int kTrailFirst = 0x40;
constexpr int kTrailLast = 0xFE;
constexpr int kRows = kLeadLast - kLeadFirst + 1;
constexpr int kCols = kTrailLast - kTrailFirst + 1;

// Every GBK character lies in the Basic Multilingual Plane, so 16 bits hold it; 0 marks an unassigned
// pair (U+0000 is never the value of a two-byte character). A row is published by its flag (release
// after filling, acquire before reading), so that decoding a built row costs one atomic load.
struct GbkTable {
    std::mutex building;
    std::array<std::atomic<bool>, kRows> built{};
    std::array<std::array<uint16_t, kCols>, kRows> code{};
};

GbkTable& Table() {
    static GbkTable table;
    return table;
}

// Converts one multi-byte sequence with iconv; returns 0 when iconv rejects it or gives more than one
// character.
char32_t ConvertOne(iconv_t cd, const unsigned char* bytes, size_t n) {
    char in[2] = {static_cast<char>(bytes[0]), n > 1 ? static_cast<char>(bytes[1]) : '\0'};
    char32_t out[2] = {0, 0};
    char* inp = in;
    size_t inLeft = n;
    char* outp = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof(out);
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // reset the shift state
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
        return 0;
    if (outLeft != sizeof(out) - sizeof(char32_t))
        return 0;
    return out[0];
}

iconv_t OpenGbkToUtf32() {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    return iconv_open("UTF-32LE", "CP936");
#else
    return iconv_open("UTF-32BE", "CP936");
#endif
}

// Kept out of line: decoding a built row should not pay for this path's frame.
__attribute__((noinline)) void BuildRow(GbkTable& table, int row) {
    std::lock_guard<std::mutex> lock(table.building);
    if (table.built[row].load(std::memory_order_acquire))
        return;
    iconv_t cd = OpenGbkToUtf32();
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        table.built[row].store(true, std::memory_order_release);
        return; // no converter: every pair of this row stays a replacement
    }
    for (int col = 0; col < kCols; ++col) {
        const int trail = kTrailFirst + col;
        if (trail == 0x7F)
            continue;
        const unsigned char pair[2] = {static_cast<unsigned char>(kLeadFirst + row),
                                       static_cast<unsigned char>(trail)};
        const char32_t c = ConvertOne(cd, pair, 2);
        table.code[row][col] = c <= 0xFFFF ? static_cast<uint16_t>(c) : 0;
    }
    iconv_close(cd);
    table.built[row].store(true, std::memory_order_release);
}

__attribute__((noinline)) char32_t EuroSign() {
    static const char32_t euro = [] {
        iconv_t cd = OpenGbkToUtf32();
        if (cd == reinterpret_cast<iconv_t>(-1))
            return char32_t{0};
        const unsigned char b = 0x80;
        const char32_t c = ConvertOne(cd, &b, 1);
        iconv_close(cd);
        return c;
    }();
    return euro;
}

// Code page 1252 above 0x7F, built once with iconv; bytes iconv rejects keep their own value.
const std::array<char16_t, 128>& AnsiTable() {
    static const std::array<char16_t, 128> table = [] {
        std::array<char16_t, 128> t{};
        iconv_t cd = iconv_open(
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
            "UTF-32LE",
#else
            "UTF-32BE",
#endif
            "CP1252");
        for (int i = 0; i < 128; ++i) {
            const unsigned char b = static_cast<unsigned char>(0x80 + i);
            const char32_t c = cd == reinterpret_cast<iconv_t>(-1) ? 0 : ConvertOne(cd, &b, 1);
            t[i] = c != 0 && c <= 0xFFFF ? static_cast<char16_t>(c) : static_cast<char16_t>(b);
        }
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
        return t;
    }();
    return table;
}

} // namespace

GbkChar DecodeAnsiChar(unsigned char b) {
    if (b < 0x80)
        return {b, 1, true};
    return {AnsiTable()[b - 0x80], 1, true};
}

GbkChar DecodeGbkChar(const unsigned char* s, int avail) {
    const int b0 = s[0];
    if (b0 < 0x80)
        return {static_cast<char32_t>(b0), 1, true};
    if (b0 == 0x80) {
        const char32_t euro = EuroSign();
        return euro ? GbkChar{euro, 1, true} : GbkChar{kGbkReplacement, 1, false};
    }
    if (b0 == 0xFF)
        return {kGbkReplacement, 1, false};
    // A lead byte: a valid trail byte makes a two-byte character even when the pair is unassigned,
    // so that the next character starts where a Windows program expects it.
    if (avail < 2)
        return {kGbkReplacement, 1, false};
    const int b1 = s[1];
    if (b1 < kTrailFirst || b1 > kTrailLast || b1 == 0x7F)
        return {kGbkReplacement, 1, false};
    GbkTable& table = Table();
    const int row = b0 - kLeadFirst;
    if (!table.built[row].load(std::memory_order_acquire))
        BuildRow(table, row);
    const uint16_t c = table.code[row][b1 - kTrailFirst];
    if (c == 0)
        return {kGbkReplacement, 2, false};
    return {c, 2, true};
}

int EncodeUtf8(char32_t c, char* out) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c >= 0xD800 && c <= 0xDFFF)
        c = 0xFFFD;
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    if (c > 0x10FFFF)
        c = 0xFFFD;
    if (c < 0x10000)
        return EncodeUtf8(c, out);
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

} // namespace draft2d::detail
