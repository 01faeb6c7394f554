#pragma once

#include "items/PlacedItem.h"

// The page grid: thin lines dividing the page into equal parts, the spacing given as a
// fraction of the page's width and height. Lines stay one screen pixel wide at any zoom.
class BackGrid : public PlacedItem {
public:
    explicit BackGrid(Canvas& canvas);

    bool SetProperty(const QString& key, const QString& value) override;
    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool GetProperty(const QString& key, QString& value) const override;

    quint32 Color() const { return m_color; }
    bool RateMode() const { return m_rate_mode; }
    float Interval() const { return m_interval; }
    bool SetColor(quint32 argb);
    bool SetRateMode(bool rate_mode);
    bool SetInterval(float interval);

private:
    quint32 m_color { 0 };
    bool m_rate_mode { true };
    float m_interval { 1.0f };
};
