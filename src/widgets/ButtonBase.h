#pragma once

#include "widgets/InteractiveItem.h"

// The mouse behaviour shared by `Button`, `ImageButton` and `CheckBox`: the pushed, hover and
// pressed flags, the check-button option and the tooltip.
class ButtonBase : public InteractiveItem {
public:
    ItemDescription Describe() const override;
    // What a button shows, derived from its flags at every draw.
    enum class State { Normal = 0, Pushed = 1, Hover = 2, Disabled = 3 };

    explicit ButtonBase(Canvas& canvas, Hosting hosting = Hosting::Canvas);

    bool SetProperty(const QString& key, const QString& value) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool GetProperty(const QString& key, QString& value) const override;
    bool HandleMessage(const Message& message, QPointF page_point) override;
    bool AcceptsFocus() const override { return true; }

    State CurrentState() const;
    bool IsPushed() const { return m_pushed; }
    bool IsHover() const { return m_hover; }
    bool IsPressed() const { return m_pressed; }
    bool IsCheckButton() const { return m_check_button; }
    const QString& ToolTip() const { return m_tooltip; }

protected:
    void SetCheckButton(bool check_button) { m_check_button = check_button; }

private:
    bool HandleMouseMove(QPointF page_point);
    // Hover changes capture or release the mouse and show or hide the tooltip.
    bool SetHover(bool hover);
    bool HandleButtonDown(QPointF page_point);
    bool HandleButtonUp(QPointF page_point);
    bool HandleKey(const Message& message);

    QString m_tooltip;
    bool m_pushed { false };
    bool m_hover { false };
    bool m_pressed { false };
    bool m_saved_pushed { false };
    bool m_check_button { false };
};
