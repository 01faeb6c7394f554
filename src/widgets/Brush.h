#pragma once

#include "items/PlacedItem.h"

// A flat fill of one colour over the item's rectangle. Pages use it as their background under
// the section name "BackBrush".
class Brush : public PlacedItem {
public:
    explicit Brush(Canvas& canvas);

    bool SetProperty(const QString& key, const QString& value) override;
    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool IsOpaque() const override;

    quint32 Color() const { return m_color; }
    bool SetColor(quint32 argb);

private:
    quint32 m_color { 0 };
};
