#pragma once

#include "widgets/InteractiveItem.h"

struct Message;

// The number between two bounds that `Slider` and `Knob` show and let the user drag. The
// value is stored as given; every use limits it to the bounds.
class ValueWidget : public InteractiveItem {
public:
    explicit ValueWidget(Canvas& canvas, Hosting hosting = Hosting::Canvas);

    bool SetProperty(const QString& key, const QString& value) override;
    bool ReadSection(const KeyValueStore& store) override;
    // "Value" only.
    bool GetProperty(const QString& key, QString& value) const override;
    // Hands the wheel, the press, the moves of a drag and its end to the kind's handlers.
    bool HandleMessage(const Message& message, QPointF page_point) override;
    bool AcceptsFocus() const override { return true; }

    float Min() const { return m_min; }
    float Max() const { return m_max; }
    float Value() const { return m_value; }
    bool SetValue(float value);

    float Lower() const;
    float Upper() const;
    // Capped at max, then raised to min: with min above max the result is min.
    float ClampedValue() const;
    // Where the clamped value lies between lower and upper, 0 when they are equal.
    float Fraction() const;
    bool IsDragging() const { return m_dragging; }

    // The Ctrl and Shift states seen at the previous move of a drag. Each kind keeps one
    // memory for all its widgets, and it outlives drags.
    struct ModifierMemory {
        bool ctrl { false };
        bool shift { false };
        // Remembers the message's states; true when either differs from before.
        bool Update(const Message& message);
    };

protected:
    virtual bool HandleWheel(const Message& message, QPointF page_point) = 0;
    virtual bool HandleButtonDown(QPointF page_point) = 0;
    virtual void HandleDragMove(const Message& message, QPointF page_point) = 0;
    // Starts a drag at the point: takes the focus and the mouse.
    void BeginDrag(QPointF page_point);
    // The arrow keys of the widget that has the keyboard focus.
    bool HandleKey(const Message& message);

    // Wheel notches as a step: one notch 1, two notches 4, with the sign of the turn.
    static int WheelStep(const Message& message);

    QPointF m_anchor_point;
    bool m_dragging { false };

private:
    float m_min { 0 };
    float m_max { 100 };
    float m_value { 0 };
};
