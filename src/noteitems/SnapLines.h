#pragma once

#include <optional>
#include <vector>

class Canvas;
class Item;

// The lines a dragged edge of a page item snaps to, in page units: the canvas's grid
// divisions, the edges of the part of the page on screen, and the edges of every other item
// of the canvas, shown or not (the frame's items among them, so the page's own edges are
// always there). There are none while the canvas's snapping is off. The first line in that
// order within the distance wins.
class SnapLines {
public:
    static SnapLines Gather(const Canvas& canvas, const Item& dragged);

    std::optional<float> FirstX(float edge, float distance) const { return First(m_x, edge, distance); }
    std::optional<float> FirstY(float edge, float distance) const { return First(m_y, edge, distance); }

    const std::vector<float>& X() const { return m_x; }
    const std::vector<float>& Y() const { return m_y; }

private:
    static std::optional<float> First(const std::vector<float>& lines, float edge, float distance);

    std::vector<float> m_x;
    std::vector<float> m_y;
};
