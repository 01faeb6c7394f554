#include "noteitems/SelectionFrame.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

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

void SelectionFrame::DrawHatch(QPainter& painter, const std::vector<QRectF>& area)
{
    // Tall rectangles are filled in bands of a few dozen device rows: the raster engine hands
    // a fill of many rows to its thread pool, whose start costs more than a thin frame's
    // pixels.
    constexpr double kBandRows = 48;
    const double band = kBandRows / std::max(1e-3, std::abs(painter.deviceTransform().m22()));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QBrush pattern(kHatchFore, Qt::Dense4Pattern);
    for (const QRectF& rect : area) {
        for (double top = rect.top(); top < rect.bottom(); top += band) {
            const QRectF part(rect.left(), top, rect.width(), std::min(band, rect.bottom() - top));
            painter.fillRect(part, kHatchBack);
            painter.fillRect(part, pattern);
        }
    }
    painter.restore();
}

void SelectionFrame::Draw(QPainter& painter, const QRectF& bounds, float scale)
{
    if (!(scale > 0))
        return;
    const float inset = kDevicePixels / scale;
    const QRectF inner = bounds.adjusted(inset, inset, -inset, -inset);
    if (!(inner.width() > 0 && inner.height() > 0)) {
        DrawHatch(painter, std::vector<QRectF> { bounds });
        return;
    }
    // The bounds without the inner rectangle: full-width strips above and below, and the two
    // sides between them.
    DrawHatch(painter, std::vector<QRectF> {
                           QRectF(bounds.left(), bounds.top(), bounds.width(), inset),
                           QRectF(bounds.left(), inner.bottom(), bounds.width(), bounds.bottom() - inner.bottom()),
                           QRectF(bounds.left(), inner.top(), inset, inner.height()),
                           QRectF(inner.right(), inner.top(), bounds.right() - inner.right(), inner.height()),
                       });
}
