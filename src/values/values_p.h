// Private helpers of the value types.
#pragma once

#include <cmath>
#include <cstdint>

class mgPoint;
class mgMatrix;

namespace draft2d::detail {

// The process-wide unit vector and identity matrix. They are defined in library.cpp with the
// library's other process-wide objects; both have constexpr constructors, so they are constant-
// initialised and valid even for code that runs before dynamic initialisation reaches them.
extern const mgMatrix g_unitMatrix;
extern const mgPoint g_xUnitVector;

// A double to a 32-bit integer, truncated toward zero. Values beyond the 32-bit range saturate and
// NaN gives 0, so no input reaches an undefined conversion.
inline std::int32_t TruncToInt32(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

// Device coordinate of a double: plus 0.5, then truncated toward zero.
inline std::int32_t RoundToInt32(double v) {
    return TruncToInt32(v + 0.5);
}

} // namespace draft2d::detail
