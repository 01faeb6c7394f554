#include "noteitems/SnapLines.h"

#include "items/Canvas.h"

#include <cmath>

SnapLines SnapLines::Gather(const Canvas& canvas, const Item& dragged)
{
    SnapLines lines;
    const SnapGrid& grid = canvas.GetSnapGrid();
    if (!grid.on)
        return lines;
    lines.m_x = grid.x;
    lines.m_y = grid.y;
    const QRectF visible = canvas.VisibleArea();
    lines.m_x.insert(lines.m_x.end(), { float(visible.left()), float(visible.right()) });
    lines.m_y.insert(lines.m_y.end(), { float(visible.top()), float(visible.bottom()) });
    for (const auto& item : canvas.Items()) {
        if (item.get() == &dragged)
            continue;
        const QRectF bounds = item->GetBounds();
        lines.m_x.insert(lines.m_x.end(), { float(bounds.left()), float(bounds.right()) });
        lines.m_y.insert(lines.m_y.end(), { float(bounds.top()), float(bounds.bottom()) });
    }
    return lines;
}

std::optional<float> SnapLines::First(const std::vector<float>& lines, float edge, float distance)
{
    for (const float line : lines) {
        if (std::abs(edge - line) <= distance)
            return line;
    }
    return std::nullopt;
}
