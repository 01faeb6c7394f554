#pragma once

#include "noteitems/MandelbrotCounts.h"
#include "noteitems/MandelbrotEscape.h"

#include <cstdint>
#include <vector>

// What the Mandelbrot tests compare with: the counts of a view by the plain extended-precision
// loop, and the counts a picture shows.
namespace MandelbrotPlain {

inline std::vector<std::uint8_t> Counts(const MandelbrotView& view)
{
    const MandelbrotEscape escape(view);
    std::vector<std::uint8_t> counts(std::size_t(view.width) * std::size_t(view.height));
    for (int y = 0; y < view.height; ++y)
        escape.ComputeRow(y, counts.data() + std::size_t(y) * std::size_t(view.width), MandelbrotEscape::Path::Exact);
    return counts;
}

inline std::vector<std::uint8_t> Shown(const MandelbrotCounts& counts)
{
    const MandelbrotView& view = counts.View();
    return std::vector<std::uint8_t>(counts.Data(), counts.Data() + std::size_t(view.width) * std::size_t(view.height));
}

}
