// Text checks, colour indices and process helpers shared by the library and its host.
//
// Every function here is exported under its plain name as well (angles.h says how, and which
// names are left out).
#pragma once

#include "draft2d_export.h"
#include "platform/win32.h"

// Trims space, tab, line feed and carriage return at both ends, in place. Returns s (null for null).
DRAFT2D_EXPORT char* TrimStr(char* s);

// Validators of numeric text. A null or all-blank text yields empty_result. Leading blanks are
// skipped; the number must be followed by the end of the text or a blank.
// "0x"/"0X" and 1 to 8 hexadecimal digits.
DRAFT2D_EXPORT bool IsHexStr(const char* s, bool empty_result);
// Decimal number with at most 16 digits per digit run and an optional exponent of 1 to 3 digits.
DRAFT2D_EXPORT bool IsFloatStr(const char* s, bool empty_result);
// A hexadecimal text, or an optionally signed decimal of 1 to 10 digits; inclusive bounds.
DRAFT2D_EXPORT bool IsValidIntStr(const char* s, bool check_min, int min, bool check_max, int max,
                                  bool empty_result);
// IsFloatStr and inclusive bounds.
DRAFT2D_EXPORT bool IsValidFloatStr(const char* s, bool check_min, double min, bool check_max, double max,
                                    bool empty_result);

// Class of the byte at pos: 0 single-byte character, 1 lead byte, 2 trail byte of a double-byte
// character. charset 134 (GB2312_CHARSET) applies the GBK byte ranges.
DRAFT2D_EXPORT int is_hz_or_char(BYTE charset, const unsigned char* s, unsigned pos);

// 1 when the running system belongs to the NT family, else 0 (asked once, then cached).
DRAFT2D_EXPORT int IsNT();

// realloc that frees the old block when it fails, so a failed growth never leaks.
DRAFT2D_EXPORT void* Realloc(void* block, int size);

// Shows the fatal-error box (GBK prefix, a line break, then the formatted message) and ends the
// process with exit code 3.
[[noreturn]] DRAFT2D_EXPORT void kx_abort(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// CAD colour index (ACI) 1..255 <-> COLORREF 0x00BBGGRR.
// Nearest palette index to rgb, scanning first..255 (ties to the lower index); 7 for black, -1 for
// a first index outside 1..255.
DRAFT2D_EXPORT int RGBtoACI(COLORREF rgb, int first);
// Palette colour of index 1..255; white (0xFFFFFF) for any other index.
DRAFT2D_EXPORT COLORREF ACIToRGB(int index);
