// What drawing an entity (scene.cpp) and measuring it (extent.cpp) share: the coordinate space of
// a row and the layout of a dimension.
#pragma once

#include <string>

#include "script/script.h"
#include "view/CGraphSystem.h"

namespace draft2d::script::detail {

constexpr double kPi = 3.14159265358979323846;

inline CGraphSystem::coord_type Coords(const Entity& e) {
    return e.space == Space::Paper ? CGraphSystem::COORD_PAPER : CGraphSystem::COORD_USER;
}

// A linear dimension in the coordinates of its row: extension lines from the measured points, the
// dimension line offset to the left of p1 -> p2 with a filled arrow at each end pointing outward to
// the extension lines, and the text centred 1 mm above the dimension line, turned with it so that
// it reads from the left or from below. Sizes of arrows and gaps are paper millimetres: mm is one
// millimetre in the row's coordinates (1 in paper space, 1 / GetUserToMm() in user space).
struct DimensionLayout {
    DimensionLayout(const Drawing& drawing, const Entity& e, double mm);

    mgPoint a, b;            // the dimension line
    bool extensions = false; // extension lines are drawn when the offset is more than 1 mm
    mgPoint ext[2][2];       // from 1 mm off the object to 2 mm past the dimension line
    mgPoint heads[2][3];     // arrows 3 mm long (at most a third of the line) and a sixth as wide
    mgPoint textAt;          // anchor of the text, aligned centre-bottom
    CFontFormat format;      // the row's text format turned with the line, aligned centre-bottom
    std::string text;        // the row's text, or the measured length
};

} // namespace draft2d::script::detail
