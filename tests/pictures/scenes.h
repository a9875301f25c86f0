// Scenes of plain GDI calls, drawn on our platform layer and by the system's GDI (the Windows build
// under Wine), and how closely the two pictures must agree.
//
// Each scene draws on a white image device of its size with the device's default state, and leaves
// the device context as it found it (every object it makes deleted, every SaveDC restored).
#pragma once

#include "platform/win32.h"

#include <ostream>
#include <vector>

namespace pictures {

// How two renderings of a scene are compared.
struct Tolerance {
    enum Kind {
        // Every pixel the same.
        Exact,
        // A pixel may differ where the other picture has a pixel of its colour within `distance`
        // (Chebyshev) of it: the same figures, a pixel apart where the algorithms round differently.
        // At most `maxPixels` pixels may differ in all, and at most `maxBeyond` of them without such
        // a counterpart.
        Near,
        // Text: the scene is a grid of cells of cellWidth x cellHeight, each holding one TextOutA
        // with an opaque background. Per cell, the box of the background and ink and the box of the
        // ink (text colour) must agree within `slack` pixels on every side; glyph shapes are not
        // compared.
        Boxes,
    };
    Kind kind = Exact;
    int distance = 0;
    int maxPixels = 0;
    int maxBeyond = 0;
    int cellWidth = 0, cellHeight = 0;
    int slack = 0;
};

struct Scene {
    const char* name;
    int width, height;
    void (*draw)(HDC dc);
    Tolerance tolerance;
    const char* reason; // why the tolerance is what it is (empty for exact scenes)
};

const std::vector<Scene>& Scenes();

// Test parameters print as their names.
inline void PrintTo(const Scene& s, std::ostream* os) {
    *os << s.name;
}

// Colours of the text scenes: ink and opaque background.
constexpr COLORREF kTextInk = RGB(0, 0, 0);
constexpr COLORREF kTextBack = RGB(255, 255, 160);

} // namespace pictures
