// Pictures of the scenes as plain pixels, their files, and their comparison under a tolerance.
#pragma once

#include "pictures/scenes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace draft2d {
class Device;
}

namespace pictures {

// Pixels as 0xRRGGBB words, rows top-down.
struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

Image Capture(const draft2d::Device& dev);
// Binary PPM (P6) files; Read fails on anything else or a size beyond 16384 x 16384.
bool WritePpm(const Image& img, const std::string& path);
bool ReadPpm(const std::string& path, Image& img);
// PNG through an image device of this platform.
bool WritePng(const Image& img, const std::string& path);

struct Comparison {
    long differing = 0;           // pixels that differ
    long beyond = 0;              // of those, pixels outside the tolerance (Near)
    std::vector<int> failedCells; // cells whose boxes disagree (Boxes), row by row
    bool pass = false;
    std::string detail;        // what failed, for the test's message
    std::vector<uint8_t> mark; // per pixel: 0 same, 1 differs within the tolerance, 2 beyond it
};

// Compares two renderings of the same size (a size mismatch fails).
Comparison Compare(const Image& ours, const Image& system, const Tolerance& tol);

// Ours, the system's and the differences side by side, magnified: differences within the tolerance
// in orange, beyond it in red where only ours has ink, blue where only the system's has, magenta where
// both have different colours; the failing cells of text scenes framed.
Image SideBySide(const Image& ours, const Image& system, const Comparison& c, const Tolerance& tol, int zoom);

} // namespace pictures
