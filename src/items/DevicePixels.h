#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>

class QColor;
class QPainter;

// The one rule by which drawing meets whole device pixels (back-buffer pixels, after the
// device pixel ratio): a pixel belongs to a shape when its centre lies inside it, which is
// what a fill without smoothing covers. The canvas counts an opaque item's pixels by this rule,
// so whatever an item copies at whole pixels places its edges by it too.
namespace DevicePixels {

// Edges farther out than this lie outside any picture; the distance between two of them
// still fits in an int.
constexpr int kFar = 1 << 29;

// The pixel edge nearest to a device coordinate; halves go right and down. Values beyond
// kFar either way (and undefined ones) end at -kFar or kFar.
int Edge(double device);

// The pixels whose centres lie inside a device rectangle.
QRect Covered(const QRectF& device);

// Fills an axis-parallel line given in the painter's coordinates (flat ends) crisply: whole
// device pixels of full colour, at least one across. width is the line's width in the
// painter's coordinates; 0 means one device pixel. Coordinates name the centres of logical
// pixels, so a line one logical pixel wide at whole coordinates covers one logical pixel
// column at every device pixel ratio. Lines that are not axis-parallel are not drawn.
void FillLine(QPainter& painter, QPointF from, QPointF to, qreal width, const QColor& colour);

// The painter's shift that makes coordinates name logical pixel centres, for shapes that are
// not axis-parallel lines (arcs), in the painter's coordinates.
QPointF CentreShift(const QPainter& painter);

}
