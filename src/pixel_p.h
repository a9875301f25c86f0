// The library's pixel rule: how a double becomes a device coordinate. The view, the line types, the
// symbols and the text output all hand coordinates to GDI, and all of them use these conversions, so
// that one shape drawn by any of them lands on the same pixels.
//
//   - A coordinate is rounded by adding 0.5 and truncating toward zero (RoundPixel), or truncated
//     toward zero where a shape says so (TruncPixel).
//   - Conversions of the interface (a POINT or RECT handed back to the host) saturate at the 32-bit
//     range; NaN gives 0, so no input reaches an undefined conversion.
//   - Coordinates handed to GDI by drawing stay inside a guard box of +-2^26 pixels (DevicePixel,
//     DevicePixelTrunc, GuardPixel): far outside any device, yet small enough that GDI's own
//     arithmetic on them (Windows keeps 27-bit device coordinates in places) cannot overflow.
//     Segments and polygons are clipped to the box in double precision by their callers, so they
//     keep their direction; single coordinates saturate to it. Callers skip shapes whose
//     coordinates are not finite.
#pragma once

#include <cstdint>

namespace draft2d::detail {

// Truncation toward zero, saturating at the 32-bit range; NaN gives 0.
inline int32_t TruncPixel(double v) {
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

// Add 0.5 and truncate toward zero, with the same saturation.
inline int32_t RoundPixel(double v) {
    return TruncPixel(v + 0.5);
}

// Half the side of the guard box, in device pixels.
constexpr double kGuardPixels = 67108864.0;

// Truncation toward zero into the guard box; NaN gives 0.
inline int32_t GuardPixel(double v) {
    if (!(v == v))
        return 0;
    if (v >= kGuardPixels)
        return static_cast<int32_t>(kGuardPixels);
    if (v <= -kGuardPixels)
        return -static_cast<int32_t>(kGuardPixels);
    return static_cast<int32_t>(v);
}

// A drawing coordinate rounded (add 0.5, truncate toward zero) into the guard box.
inline int32_t DevicePixel(double v) {
    return GuardPixel(v + 0.5);
}

// DevicePixel of a coordinate known to lie strictly inside the guard box (InsideGuard): rounding it
// cannot pass the box's edge, so it needs neither the NaN nor the saturation test.
inline int32_t DevicePixelInGuard(double v) {
    return static_cast<int32_t>(v + 0.5);
}

// A drawing coordinate truncated toward zero into the guard box.
inline int32_t DevicePixelTrunc(double v) {
    return GuardPixel(v);
}

// Whether a point lies strictly inside the guard box.
inline bool InsideGuard(double x, double y) {
    return (x < 0 ? -x : x) < kGuardPixels && (y < 0 ? -y : y) < kGuardPixels;
}

} // namespace draft2d::detail
