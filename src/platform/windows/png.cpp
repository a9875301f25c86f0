// PNG layout (ISO/IEC 15948): the 8-byte signature, then chunks of
//   length (4 bytes, big-endian, data only) | type (4 ASCII) | data | CRC-32 of type and data.
// IHDR gives the size, bit depth 8 and colour type 2 (RGB). IDAT holds a zlib stream of the rows,
// each row preceded by its filter byte (0: none). The zlib stream is the 2-byte header 78 01, stored
// deflate blocks of at most 65535 bytes (1 byte final flag and type 00, LEN and ~LEN little-endian,
// the bytes) and the Adler-32 of the uncompressed data, big-endian. IEND closes the file.
#include "platform/windows/png_p.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

namespace draft2d {
namespace detail {
namespace {

const std::array<uint32_t, 256>& crcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

uint32_t crc32(const uint8_t* data, size_t size) {
    const auto& t = crcTable();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        c = t[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void putBe32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void putChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    putBe32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBe32(out, crc32(out.data() + start, out.size() - start));
}

} // namespace

std::vector<uint8_t> EncodePngRgb(const uint32_t* pixels, int width, int height, int strideWords) {
    if (!pixels || width <= 0 || height <= 0 || strideWords < width)
        return {};
    const size_t rowBytes = 1 + static_cast<size_t>(width) * 3;
    // A chunk's length is a 31-bit number; stay well inside it (and inside memory) for the one IDAT.
    const size_t maxRaw = (std::numeric_limits<int32_t>::max() / 2);
    if (rowBytes > maxRaw / static_cast<size_t>(height))
        return {};

    std::vector<uint8_t> raw;
    raw.reserve(rowBytes * height);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * strideWords;
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            raw.push_back(static_cast<uint8_t>(row[x] >> 16));
            raw.push_back(static_cast<uint8_t>(row[x] >> 8));
            raw.push_back(static_cast<uint8_t>(row[x]));
        }
    }

    std::vector<uint8_t> z;
    z.reserve(raw.size() + raw.size() / 65535 * 5 + 16);
    z.push_back(0x78);
    z.push_back(0x01);
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
                 raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < raw.size());
    // Adler-32, reduced often enough that the sums cannot overflow 32 bits.
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < raw.size();) {
        const size_t end = std::min(raw.size(), i + 5552);
        for (; i < end; ++i) {
            a += raw[i];
            b += a;
        }
        a %= 65521;
        b %= 65521;
    }
    putBe32(z, (b << 16) | a);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    putBe32(ihdr, static_cast<uint32_t>(width));
    putBe32(ihdr, static_cast<uint32_t>(height));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0}); // depth 8, RGB, deflate, adaptive filters, no interlace
    putChunk(out, "IHDR", ihdr);
    putChunk(out, "IDAT", z);
    putChunk(out, "IEND", {});
    return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

} // namespace detail
} // namespace draft2d
