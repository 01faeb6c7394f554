#pragma once

#include "widgets/ValueWidget.h"

// A straight track with a square thumb; horizontal unless it is taller than wide, with the
// maximum at the right or at the top.
class Slider : public ValueWidget {
public:
    ItemDescription Describe() const override;
    explicit Slider(Canvas& canvas, Hosting hosting = Hosting::Canvas);

    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool GetProperty(const QString& key, QString& value) const override;
    bool HandleMessage(const Message& message, QPointF page_point) override;
    // The thumb is a square whose side is the smaller of width and height.
    QSizeF ThumbSize() const;

    bool IsVertical() const;
    QRectF ThumbRect() const;
    // Where a pointer position along the slider's axis lies on the track, 0 to 1.
    float FractionAt(float position) const;

protected:
    bool HandleWheel(const Message& message, QPointF page_point) override;
    bool HandleButtonDown(QPointF page_point) override;
    void HandleDragMove(const Message& message, QPointF page_point) override;

private:
    float ThumbSide() const;
    void AnchorAt(QPointF page_point);
    float AlongAxis(QPointF point) const;

    quint32 m_color;
    QPointF m_anchor_offset;
};
