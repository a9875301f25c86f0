// A small PNG writer for the Windows build, which has no image library: 8-bit RGB, no filtering,
// the image data in zlib "stored" (uncompressed) blocks. Files are larger than compressed ones but
// any PNG reader accepts them, and the writer cannot go wrong in subtle ways.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace draft2d {
namespace detail {

// Encodes width x height pixels given as 32-bit words 0x??RRGGBB, rows top-down, `strideWords`
// words apart. Empty on a non-positive size or a size whose data would not fit the format.
std::vector<uint8_t> EncodePngRgb(const uint32_t* pixels, int width, int height, int strideWords);

// Writes bytes to a file (replacing it); false when the file cannot be written completely.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace detail
} // namespace draft2d
