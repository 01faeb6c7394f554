#include "widgets/ValueWidget.h"

#include "platform/Message.h"
#include "text/KeyValueStore.h"
#include "text/ValueForms.h"

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
        if (!store.Contains(QLatin1String(key)))
            return;
        const float value = store.GetFloat(QLatin1String(key));
        changed |= value != field;
        field = value;
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
