#pragma once

#include "items/PlacedItem.h"

// A bar filled with a gradient up to its value: from the left when horizontal, from the
// bottom when taller than wide. It takes no input; its owner sets "Value".
class ProgressBar : public PlacedItem {
public:
    ItemDescription Describe() const override;
    explicit ProgressBar(Canvas& canvas);

    bool SetProperty(const QString& key, const QString& value) override;
    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool GetProperty(const QString& key, QString& value) const override;

    double Value() const { return m_value; }
    bool SetValue(double value);
    // Capped at max, then raised to min.
    double ClampedValue() const;
    double Fraction() const;
    bool IsVertical() const;
    // The boundary between the filled part and the rest, along the bar's axis.
    double FillBoundary() const;

private:
    void DrawFill(QPainter& painter, const QRectF& part, const QRectF& clip, const QString& end_position);

    double m_min { 0 };
    double m_max { 100 };
    double m_value { 0 };
    // The margin along the bar between its ends and the range the fill travels.
    double m_play_size { 1 };
    quint32 m_begin_color;
    quint32 m_end_color;
    quint32 m_back_color;
};
