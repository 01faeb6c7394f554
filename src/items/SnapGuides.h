#pragma once

#include <vector>

// What the items of a page snap to besides the page's edges and each other: whether snapping
// is on, and the window's snap lines (the grid divisions) in page coordinates.
struct SnapGuides {
    bool enabled { false };
    std::vector<float> x;
    std::vector<float> y;
};
