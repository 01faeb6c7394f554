#pragma once

#include <QRectF>

#include <vector>

class QPainter;
class QPainterPath;

// The marks page items draw over themselves: the hatch of half-transparent white over
// half-transparent black in a fifty-percent pattern, and the selection frame of the active
// item, a band of that hatch inside its bounds.
class SelectionFrame {
public:
    // The frame is this many device pixels wide at any zoom.
    static constexpr float kDevicePixels = 5;

    static void DrawHatch(QPainter& painter, const QPainterPath& area);
    // The same over rectangles, which costs a fraction of a path: for marks drawn at every
    // step of a drag.
    static void DrawHatch(QPainter& painter, const std::vector<QRectF>& area);
    // `scale` is the canvas's effective scale; nothing is drawn at a scale of 0 or less.
    static void Draw(QPainter& painter, const QRectF& bounds, float scale);
};
