#include "widgets/ValueWidget.h"

#include "items/Canvas.h"
#include "platform/Message.h"
#include "text/KeyValueStore.h"
#include "text/ValueForms.h"
#include "widgets/Assign.h"

#include <algorithm>

ValueWidget::ValueWidget(Canvas& canvas, Hosting hosting)
    : InteractiveItem(canvas, hosting)
{
}

bool ValueWidget::SetValue(float value)
{
    if (value == m_value)
        return false;
    m_value = value;
    return true;
}

float ValueWidget::Lower() const
{
    return std::min(m_min, m_max);
}

float ValueWidget::Upper() const
{
    return std::max(m_min, m_max);
}

float ValueWidget::ClampedValue() const
{
    return std::max(std::min(m_value, m_max), m_min);
}

float ValueWidget::Fraction() const
{
    const float range = Upper() - Lower();
    if (range == 0)
        return 0;
    return (ClampedValue() - Lower()) / range;
}

bool ValueWidget::SetProperty(const QString& key, const QString& value)
{
    if (key == QLatin1String("Value"))
        return SetValue(ToFloat(value));
    return Item::SetProperty(key, value);
}

bool ValueWidget::GetProperty(const QString& key, QString& value) const
{
    if (key != QLatin1String("Value"))
        return false;
    value = FormatGeneral(ClampedValue());
    return true;
}

bool ValueWidget::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    const auto read = [&store, &changed](const char* key, float& field) {
        if (store.Contains(QLatin1String(key)))
            changed |= Assign(field, store.GetFloat(QLatin1String(key)));
    };
    read("Max", m_max);
    read("Min", m_min);
    read("Value", m_value);
    changed |= PlacedItem::ReadSection(store);
    return changed;
}

bool ValueWidget::ModifierMemory::Update(const Message& message)
{
    if (message.ctrl == ctrl && message.shift == shift)
        return false;
    ctrl = message.ctrl;
    shift = message.shift;
    return true;
}

int ValueWidget::WheelStep(const Message& message)
{
    const int notches = message.wheel_delta / 120;
    return notches * std::abs(notches);
}

bool ValueWidget::HandleMessage(const Message& message, QPointF page_point)
{
    switch (message.kind) {
    case MessageKind::MouseWheel:
        return HandleWheel(message, page_point);
    case MessageKind::KeyDown:
        return HandleKey(message);
    case MessageKind::LButtonDown:
        return HandleButtonDown(page_point);
    case MessageKind::MouseMove:
        if (!m_dragging)
            return false;
        HandleDragMove(message, page_point);
        return true;
    case MessageKind::LButtonUp:
        if (!m_dragging)
            return false;
        m_dragging = false;
        Notify(ItemEvent::kReleaseCapture);
        Notify(ItemEvent::kChangeFinished);
        return true;
    default:
        return false;
    }
}

// Right and Up raise the value by a sixteenth of the range, as a wheel notch moves it; Left and
// Down lower it.
bool ValueWidget::HandleKey(const Message& message)
{
    if (GetCanvas().ActiveItem() != this)
        return false;
    int direction = 0;
    if (message.key == Key::Right || message.key == Key::Up)
        direction = 1;
    else if (message.key == Key::Left || message.key == Key::Down)
        direction = -1;
    else
        return false;
    const float before = ClampedValue();
    SetValue(std::clamp(before + float(direction) * (Upper() - Lower()) / 16, Lower(), Upper()));
    if (ClampedValue() != before) {
        Repaint();
        Notify(ItemEvent::kChanged);
    }
    return true;
}

void ValueWidget::BeginDrag(QPointF page_point)
{
    m_dragging = true;
    m_anchor_point = page_point;
    Notify(ItemEvent::kTakeFocus);
    Notify(ItemEvent::kStartCapture);
}
