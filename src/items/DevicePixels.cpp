#include "items/DevicePixels.h"

#include <QColor>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace DevicePixels {

int Edge(double device)
{
    const double edge = std::floor(device + 0.5);
    if (!(edge > -kFar))
        return -kFar;
    if (!(edge < kFar))
        return kFar;
    return static_cast<int>(edge);
}

QRect Covered(const QRectF& device)
{
    const QRectF normal = device.normalized();
    return QRect(QPoint(Edge(normal.left()), Edge(normal.top())), QPoint(Edge(normal.right()) - 1, Edge(normal.bottom()) - 1));
}

namespace {

qreal PixelRatio(const QPainter& painter)
{
    return painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
}

// The pixel span [begin, end) of a band centred at centre, width wide, at least one pixel.
std::pair<int, int> CrispSpan(double centre, double width)
{
    const int begin = Edge(centre - width / 2);
    const int end = Edge(centre + width / 2);
    if (end > begin)
        return { begin, end };
    const int nearest = Edge(centre - 0.5);
    return { nearest, nearest + 1 };
}

}

QPointF CentreShift(const QPainter& painter)
{
    const QTransform device = painter.deviceTransform();
    if (device.m11() == 0 || device.m22() == 0)
        return {};
    const qreal half_pixel = PixelRatio(painter) / 2;
    return QPointF(half_pixel / device.m11(), half_pixel / device.m22());
}

void FillLine(QPainter& painter, QPointF from, QPointF to, qreal width, const QColor& colour)
{
    const bool vertical = from.x() == to.x();
    const bool horizontal = from.y() == to.y();
    const QTransform device = painter.deviceTransform();
    if ((!vertical && !horizontal) || device.type() > QTransform::TxScale) {
        // Not on the pixel grid at all: an ordinary smooth line.
        painter.save();
        painter.translate(CentreShift(painter));
        QPen pen(colour, width);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(from, to);
        painter.restore();
        return;
    }
    const qreal ratio = PixelRatio(painter);
    const QPointF a = device.map(from);
    const QPointF b = device.map(to);
    const double half_pixel = ratio / 2;
    QRect pixels;
    if (vertical) {
        const double across = width > 0 ? width * std::abs(device.m11()) : 1;
        const auto [left, right] = CrispSpan(a.x() + half_pixel, across);
        const int top = Edge(std::min(a.y(), b.y()));
        const int bottom = Edge(std::max(a.y(), b.y()));
        pixels = QRect(left, top, right - left, bottom - top);
    } else {
        const double across = width > 0 ? width * std::abs(device.m22()) : 1;
        const auto [top, bottom] = CrispSpan(a.y() + half_pixel, across);
        const int left = Edge(std::min(a.x(), b.x()));
        const int right = Edge(std::max(a.x(), b.x()));
        pixels = QRect(left, top, right - left, bottom - top);
    }
    if (pixels.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Whole device pixels: the world transform undoes the device pixel ratio.
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    painter.fillRect(pixels, colour);
    painter.restore();
}

}
