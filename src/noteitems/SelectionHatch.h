#pragma once

#include <QRectF>

class QPainter;
class QPainterPath;

// The hatch that page items draw for their selection frame and for a rectangle being dragged:
// half-transparent white over half-transparent black, in a fifty-percent pattern.
void DrawHatch(QPainter& painter, const QPainterPath& area);

// The selection frame of an active page item: a hatched band inside its bounds, five device
// pixels wide at any scale.
void DrawSelectionFrame(QPainter& painter, const QRectF& bounds, float scale);
