#include "noteitems/SelectionFrame.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kHatchFore = QColor::fromRgba(0x80FFFFFF);
const QColor kHatchBack = QColor::fromRgba(0x80000000);

}

void SelectionFrame::DrawHatch(QPainter& painter, const QPainterPath& area)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillPath(area, kHatchBack);
    painter.fillPath(area, QBrush(kHatchFore, Qt::Dense4Pattern));
    painter.restore();
}

void SelectionFrame::Draw(QPainter& painter, const QRectF& bounds, float scale)
{
    if (!(scale > 0))
        return;
    const float inset = kDevicePixels / scale;
    QPainterPath frame;
    frame.setFillRule(Qt::OddEvenFill);
    frame.addRect(bounds);
    const QRectF inner = bounds.adjusted(inset, inset, -inset, -inset);
    if (inner.width() > 0 && inner.height() > 0)
        frame.addRect(inner);
    DrawHatch(painter, frame);
}
