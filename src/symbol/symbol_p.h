// Helpers shared by the symbol sources.
#pragma once

namespace draft2d::detail {

// A symbol holds at most this many items, and Load reads at most this many files.
constexpr unsigned kMaxSymbolItems = 1000;
constexpr unsigned kMaxSymbolFiles = 1000;

// Name equality of the library: ASCII letters without regard to case, every other byte (GBK text)
// exactly, whatever the system's code page.
bool SymbolNamesEqual(const char* a, const char* b);

// Fill styles of 'f' items: below 0 or 1 become 0 (solid), above 7 become 7.
int ClampFillStyle(int style);

} // namespace draft2d::detail
