// Helpers shared by the line type sources.
#pragma once

namespace draft2d::detail {

// v as a float, saturated at +-FLT_MAX; NaN becomes 0. Lengths read from files may be anything.
float SaturatedFloat(double v);
// A malloc'ed copy of s (null for null, or when memory runs out).
char* DuplicateText(const char* s);

// Loading stops at this many line types in a registry, and a file's line type may hold at most
// this many items.
constexpr unsigned kMaxLineTypes = 1000;
constexpr unsigned kMaxItemsPerLineType = 1000;

} // namespace draft2d::detail
