#include "widgets/ButtonBase.h"

#include "items/Canvas.h"
#include "platform/Message.h"
#include "text/KeyValueStore.h"
#include "widgets/Assign.h"

namespace {

QString BoolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

}

ButtonBase::ButtonBase(Canvas& canvas, Hosting hosting)
    : InteractiveItem(canvas, hosting)
{
}

ButtonBase::State ButtonBase::CurrentState() const
{
    if (!IsEnabled())
        return State::Disabled;
    if (m_pushed || (m_hover && m_pressed))
        return State::Pushed;
    // Pressed without hover (dragged off while held) shows normal.
    if (m_hover)
        return State::Hover;
    return State::Normal;
}

bool ButtonBase::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    if (store.Contains(QStringLiteral("Option"))) {
        changed |= Assign(m_pushed, store.ListContains(QStringLiteral("Option"), QStringLiteral("Pushed")));
        changed |= Assign(m_check_button, store.ListContains(QStringLiteral("Option"), QStringLiteral("CheckButton")));
    }
    if (store.Contains(QStringLiteral("ToolTip")))
        changed |= Assign(m_tooltip, store.GetText(QStringLiteral("ToolTip")));
    changed |= PlacedItem::ReadSection(store);
    return changed;
}

bool ButtonBase::SetProperty(const QString& key, const QString& value)
{
    const bool flag = value == QLatin1String("true");
    if (key == QLatin1String("Pushed"))
        return Assign(m_pushed, flag);
    if (key == QLatin1String("Hover"))
        return Assign(m_hover, flag);
    if (key == QLatin1String("Clicked"))
        return Assign(m_pressed, flag);
    bool changed = false;
    if (key == QLatin1String("Enable") && !flag && IsEnabled()) {
        // A button disabled while the pointer is on it lets the mouse go.
        changed |= Assign(m_pressed, false);
        changed |= Assign(m_hover, false);
        Notify(ItemEvent::kReleaseCapture);
    }
    changed |= PlacedItem::SetProperty(key, value);
    return changed;
}

bool ButtonBase::GetProperty(const QString& key, QString& value) const
{
    if (key == QLatin1String("Pushed")) {
        value = BoolText(m_pushed);
        return true;
    }
    if (key == QLatin1String("Clicked")) {
        value = BoolText(m_pressed);
        return true;
    }
    return PlacedItem::GetProperty(key, value);
}

bool ButtonBase::HandleMessage(const Message& message, QPointF page_point)
{
    switch (message.kind) {
    case MessageKind::MouseMove:
        return HandleMouseMove(page_point);
    case MessageKind::LButtonDown:
    case MessageKind::LButtonDblClk:
        return HandleButtonDown(page_point);
    case MessageKind::LButtonUp:
        return HandleButtonUp(page_point);
    case MessageKind::KeyDown:
        return HandleKey(message);
    case MessageKind::MouseLeave:
        // Every button of the canvas hears it.
        SetHover(false);
        return false;
    default:
        return false;
    }
}

bool ButtonBase::HandleMouseMove(QPointF page_point)
{
    return SetHover(HitTest(page_point));
}

// Entering captures the mouse, so the move that leaves the button still reaches it.
bool ButtonBase::SetHover(bool hit)
{
    if (hit == m_hover)
        return false;
    m_hover = hit;
    if (hit) {
        Notify(ItemEvent::kStartCapture);
        Notify(ItemEvent::kPointerEntered);
    } else {
        Notify(ItemEvent::kReleaseCapture);
        Notify(ItemEvent::kPointerLeft);
    }
    Repaint();
    GetCanvas().ShowToolTip(m_hover ? m_tooltip : QString(), this);
    return true;
}

bool ButtonBase::HandleButtonDown(QPointF page_point)
{
    if (!HitTest(page_point))
        return false;
    m_saved_pushed = m_pushed;
    if (!m_pressed) {
        m_pressed = true;
        Repaint();
    }
    Notify(ItemEvent::kTakeFocus);
    Notify(ItemEvent::kStartCapture);
    return true;
}

// Space presses the button that has the keyboard focus, as a click does.
bool ButtonBase::HandleKey(const Message& message)
{
    if (message.key != Key::Space || GetCanvas().ActiveItem() != this)
        return false;
    if (message.auto_repeat)
        return true;
    if (m_check_button)
        m_pushed = !m_pushed;
    Repaint();
    Notify(ItemEvent::kChanged);
    return true;
}

bool ButtonBase::HandleButtonUp(QPointF page_point)
{
    if (!m_pressed)
        return false;
    if (HitTest(page_point)) {
        if (m_check_button)
            m_pushed = !m_saved_pushed;
        Notify(ItemEvent::kChanged);
    }
    if (m_pressed) {
        m_pressed = false;
        Repaint();
    }
    Notify(ItemEvent::kReleaseCapture);
    return true;
}

ItemDescription ButtonBase::Describe() const
{
    // A button without a tooltip says its name; the window may name it better.
    ItemDescription description { ItemDescription::Role::Button, m_tooltip.isEmpty() ? Name() : m_tooltip };
    description.checkable = m_check_button;
    description.checked = m_check_button && m_pushed;
    return description;
}
