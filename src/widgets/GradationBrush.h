#pragma once

#include "items/PlacedItem.h"

#include <QPointF>

// A linear gradient over the item's rectangle from a begin point in the begin colour to an end
// point in the end colour, mirrored back and forth beyond the two points. The points are
// anchors measured within the item's own bounds.
class GradationBrush : public PlacedItem {
public:
    explicit GradationBrush(Canvas& canvas);

    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool IsOpaque() const override;

    // An anchor ("L10", "C-20%", "B0") evaluated against the given bounds.
    static float EvaluateX(QStringView anchor, const QRectF& bounds);
    static float EvaluateY(QStringView anchor, const QRectF& bounds);

    QPointF BeginPoint() const;
    QPointF EndPoint() const;

private:
    QString m_begin_x { QStringLiteral("L0") };
    QString m_begin_y { QStringLiteral("T0") };
    QString m_end_x { QStringLiteral("R0") };
    QString m_end_y { QStringLiteral("B0") };
    quint32 m_begin_color { 0 };
    quint32 m_end_color { 0 };
};
