#pragma once

#include "widgets/ValueWidget.h"

// A round dial whose indicator dot sweeps 270 degrees, from the lower left at the minimum
// through straight up to the lower right at the maximum. Dragged up and down, or turned with
// the wheel.
class Knob : public ValueWidget {
public:
    ItemDescription Describe() const override;
    static constexpr float kRingWidth = 4;

    explicit Knob(Canvas& canvas, Hosting hosting = Hosting::Canvas);

    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;

    // The indicator dot's rectangle for the current value.
    QRectF DotRect() const;

protected:
    bool HandleWheel(const Message& message, QPointF page_point) override;
    bool HandleButtonDown(QPointF page_point) override;
    void HandleDragMove(const Message& message, QPointF page_point) override;

private:

    quint32 m_face_color;
    quint32 m_shadow_color;
    float m_anchor_value { 0 };
};
