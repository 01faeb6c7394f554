#include "items/FocusFrame.h"

#include <QPainter>
#include <QPen>
#include <QRectF>

void FocusFrame::Draw(QPainter& painter, const QRectF& bounds)
{
    // One unit wide, through the middle of the pixels it covers at scale 1.
    const double edge = kInset + 0.5;
    const QRectF frame = bounds.adjusted(edge, edge, -edge, -edge);
    if (frame.width() <= 0 || frame.height() <= 0)
        return;
    QPen pen(QColor(0, 0, 0));
    pen.setWidthF(1.0);
    pen.setStyle(Qt::DotLine);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    painter.restore();
}
