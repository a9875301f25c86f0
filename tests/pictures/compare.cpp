#include "pictures/compare.h"

#include "platform/devices.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace pictures {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// Whether img has colour c within distance d (Chebyshev) of (x, y).
bool hasNear(const Image& img, int x, int y, uint32_t c, int d) {
    for (int v = std::max(0, y - d); v <= std::min(img.height - 1, y + d); ++v)
        for (int u = std::max(0, x - d); u <= std::min(img.width - 1, x + d); ++u)
            if (img.at(u, v) == c)
                return true;
    return false;
}

struct Box {
    int l = 1 << 30, t = 1 << 30, r = -1, b = -1; // inclusive
    bool empty() const { return r < 0; }
    void add(int x, int y) {
        l = std::min(l, x);
        t = std::min(t, y);
        r = std::max(r, x);
        b = std::max(b, y);
    }
    std::string text() const {
        if (empty())
            return "(none)";
        char buf[64];
        std::snprintf(buf, sizeof buf, "(%d,%d)-(%d,%d)", l, t, r, b);
        return buf;
    }
};

bool within(const Box& a, const Box& b, int slack) {
    if (a.empty() || b.empty())
        return a.empty() == b.empty();
    return std::abs(a.l - b.l) <= slack && std::abs(a.t - b.t) <= slack && std::abs(a.r - b.r) <= slack &&
           std::abs(a.b - b.b) <= slack;
}

// The box of the opaque background with the ink, and the box of the ink, in one cell. Text is
// smoothed: a pixel is ink when the black ink covers more than half of it (every channel below
// half), on the pale background as on white.
void cellBoxes(const Image& img, int x0, int y0, int w, int h, Box& all, Box& ink) {
    static_assert(kTextInk == RGB(0, 0, 0), "ink is black");
    for (int y = y0; y < std::min(img.height, y0 + h); ++y)
        for (int x = x0; x < std::min(img.width, x0 + w); ++x) {
            const uint32_t c = img.at(x, y);
            if (c != kWhite)
                all.add(x, y);
            if (((c >> 16) & 0xFF) < 128 && ((c >> 8) & 0xFF) < 128 && (c & 0xFF) < 128)
                ink.add(x, y);
        }
}

} // namespace

Image Capture(const draft2d::Device& dev) {
    Image img;
    img.width = dev.GetWidth();
    img.height = dev.GetHeight();
    img.px.resize(static_cast<size_t>(img.width) * img.height);
    const uint32_t* p = dev.GetPixels();
    const int stride = dev.GetStride() / 4;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            img.px[static_cast<size_t>(y) * img.width + x] =
                p[static_cast<size_t>(y) * stride + x] & 0xFFFFFF;
    return img;
}

bool WritePpm(const Image& img, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%d %d\n255\n", img.width, img.height);
    std::vector<unsigned char> row(static_cast<size_t>(img.width) * 3);
    bool ok = true;
    for (int y = 0; y < img.height && ok; ++y) {
        for (int x = 0; x < img.width; ++x) {
            const uint32_t c = img.at(x, y);
            row[x * 3] = static_cast<unsigned char>(c >> 16);
            row[x * 3 + 1] = static_cast<unsigned char>(c >> 8);
            row[x * 3 + 2] = static_cast<unsigned char>(c);
        }
        ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    return std::fclose(f) == 0 && ok;
}

bool ReadPpm(const std::string& path, Image& img) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    int w = 0, h = 0, maxv = 0;
    bool ok = std::fscanf(f, "P6 %d %d %d", &w, &h, &maxv) == 3 && maxv == 255 && w > 0 && h > 0 &&
              w <= 16384 && h <= 16384 && std::fgetc(f) != EOF;
    if (ok) {
        img.width = w;
        img.height = h;
        img.px.assign(static_cast<size_t>(w) * h, 0);
        std::vector<unsigned char> row(static_cast<size_t>(w) * 3);
        for (int y = 0; y < h && ok; ++y) {
            ok = std::fread(row.data(), 1, row.size(), f) == row.size();
            for (int x = 0; ok && x < w; ++x)
                img.px[static_cast<size_t>(y) * w + x] = (static_cast<uint32_t>(row[x * 3]) << 16) |
                                                         (static_cast<uint32_t>(row[x * 3 + 1]) << 8) |
                                                         row[x * 3 + 2];
        }
    }
    std::fclose(f);
    return ok;
}

bool WritePng(const Image& img, const std::string& path) {
    auto dev = draft2d::Device::CreateImage(img.width, img.height);
    if (!dev)
        return false;
    HDC dc = dev->GetDC();
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const uint32_t c = img.at(x, y);
            if (c != kWhite)
                SetPixel(dc, x, y, RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
        }
    return dev->WritePng(path);
}

Comparison Compare(const Image& ours, const Image& system, const Tolerance& tol) {
    Comparison c;
    if (ours.width != system.width || ours.height != system.height) {
        c.detail = "sizes differ";
        return c;
    }
    c.mark.assign(ours.px.size(), 0);
    for (int y = 0; y < ours.height; ++y)
        for (int x = 0; x < ours.width; ++x) {
            const uint32_t a = ours.at(x, y), b = system.at(x, y);
            if (a == b)
                continue;
            ++c.differing;
            bool ok = tol.kind == Tolerance::Boxes;
            if (tol.kind == Tolerance::Near)
                ok = hasNear(system, x, y, a, tol.distance) && hasNear(ours, x, y, b, tol.distance);
            c.mark[static_cast<size_t>(y) * ours.width + x] = ok ? 1 : 2;
            if (!ok)
                ++c.beyond;
        }
    switch (tol.kind) {
    case Tolerance::Exact:
        c.pass = c.differing == 0;
        break;
    case Tolerance::Near:
        c.pass = c.beyond <= tol.maxBeyond && c.differing <= tol.maxPixels;
        if (!c.pass)
            c.detail = std::to_string(c.beyond) + " pixels without a counterpart within " +
                       std::to_string(tol.distance) + ", " + std::to_string(c.differing) +
                       " differing (at most " + std::to_string(tol.maxPixels) + ")";
        break;
    case Tolerance::Boxes: {
        const int cols = (ours.width + tol.cellWidth - 1) / tol.cellWidth;
        const int rows = (ours.height + tol.cellHeight - 1) / tol.cellHeight;
        for (int r = 0; r < rows; ++r)
            for (int k = 0; k < cols; ++k) {
                Box allA, inkA, allB, inkB;
                cellBoxes(ours, k * tol.cellWidth, r * tol.cellHeight, tol.cellWidth, tol.cellHeight, allA,
                          inkA);
                cellBoxes(system, k * tol.cellWidth, r * tol.cellHeight, tol.cellWidth, tol.cellHeight, allB,
                          inkB);
                if (within(allA, allB, tol.slack) && within(inkA, inkB, tol.slack))
                    continue;
                c.failedCells.push_back(r * cols + k);
                c.detail += "cell " + std::to_string(r * cols + k) + ": box " + allA.text() + " vs " +
                            allB.text() + ", ink " + inkA.text() + " vs " + inkB.text() + "\n";
            }
        c.pass = c.failedCells.empty();
        break;
    }
    }
    return c;
}

Image SideBySide(const Image& ours, const Image& system, const Comparison& c, const Tolerance& tol,
                 int zoom) {
    const int gap = 4;
    const int w = ours.width, h = ours.height;
    Image out;
    out.width = (3 * w + 2 * gap) * zoom;
    out.height = h * zoom;
    out.px.assign(static_cast<size_t>(out.width) * out.height, 0x808080);
    auto put = [&](int panel, int x, int y, uint32_t color) {
        for (int v = 0; v < zoom; ++v)
            for (int u = 0; u < zoom; ++u)
                out.px[static_cast<size_t>(y * zoom + v) * out.width + (panel * (w + gap) + x) * zoom + u] =
                    color;
    };
    const bool sameSize = ours.width == system.width && ours.height == system.height;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t a = ours.at(x, y);
            put(0, x, y, a);
            if (sameSize)
                put(1, x, y, system.at(x, y));
            // Faded ours, differences on top.
            uint32_t m = 0xFFFFFF - ((0xFFFFFF - a) >> 2 & 0x3F3F3F);
            const uint8_t mk = c.mark.empty() ? 0 : c.mark[static_cast<size_t>(y) * w + x];
            if (mk == 1) {
                m = 0xFF9900;
            } else if (mk == 2) {
                const uint32_t b = system.at(x, y);
                m = b == kWhite ? 0xFF0000 : a == kWhite ? 0x0000FF : 0xFF00FF;
            }
            put(2, x, y, m);
        }
    if (tol.kind == Tolerance::Boxes) {
        const int cols = (w + tol.cellWidth - 1) / tol.cellWidth;
        for (int cell : c.failedCells) {
            const int x0 = (cell % cols) * tol.cellWidth, y0 = (cell / cols) * tol.cellHeight;
            const int x1 = std::min(w, x0 + tol.cellWidth) - 1, y1 = std::min(h, y0 + tol.cellHeight) - 1;
            for (int x = x0; x <= x1; ++x) {
                put(2, x, y0, 0xFF0000);
                put(2, x, y1, 0xFF0000);
            }
            for (int y = y0; y <= y1; ++y) {
                put(2, x0, y, 0xFF0000);
                put(2, x1, y, 0xFF0000);
            }
        }
    }
    return out;
}

} // namespace pictures
