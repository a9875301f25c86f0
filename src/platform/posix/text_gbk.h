// GBK (code page 936) decoding for the text functions of the platform layer, and code page 1252 for
// fonts that ask for the ANSI character set.
//
// Text reaches the GDI text functions as GBK bytes with an explicit byte count. Each character is one
// byte (ASCII, and 0x80 which code page 936 maps to the euro sign) or two bytes (a lead byte
// 0x81-0xFE followed by a trail byte 0x40-0xFE other than 0x7F). Anything else, including a lead byte
// at the end of the text and pairs that GBK leaves unassigned, decodes to a replacement character, so
// bad input never stops measuring or drawing and never reads past the count.
#pragma once

#include <cstdint>

namespace draft2d::detail {

// The character drawn for bytes that are not valid GBK.
constexpr char32_t kGbkReplacement = U'?';

struct GbkChar {
    char32_t code; // Unicode code point, kGbkReplacement for invalid input
    int bytes;     // 1 or 2: bytes of the input this character takes
    bool valid;    // false when the bytes were not a valid GBK character
};

// Decodes the character at s[0] of a text with `avail` (>= 1) bytes left.
GbkChar DecodeGbkChar(const unsigned char* s, int avail);

// Decodes one byte of Windows code page 1252, the code page of fonts with ANSI_CHARSET. The five
// bytes that code page leaves unassigned stand for the C1 control characters of the same value.
GbkChar DecodeAnsiChar(unsigned char b);

// Appends the UTF-8 form of a code point to out; returns the number of bytes written (1-4).
int EncodeUtf8(char32_t code, char* out);

} // namespace draft2d::detail
