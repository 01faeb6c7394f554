#include "widgets/RadioButtons.h"

#include "items/Canvas.h"
#include "platform/Message.h"
#include "text/KeyValueStore.h"
#include "text/ListTokenizer.h"
#include "text/ValueForms.h"

#include <algorithm>

namespace {

const QString kButtonKey = QStringLiteral("RadioButton");

// A key's text before its trailing number, and the number (-1 without one).
std::pair<QString, qlonglong> SplitTrailingNumber(const QString& key)
{
    qsizetype digits = key.size();
    while (digits > 0 && key.at(digits - 1).isDigit())
        --digits;
    if (digits == key.size())
        return { key, -1 };
    return { key.left(digits), key.mid(digits).left(18).toLongLong() };
}

// The section's store does not keep the order of its lines. Layouts number their buttons in
// the order they write them, so "RadioButton2" comes before "RadioButton10".
QStringList ButtonKeysInOrder(const KeyValueStore& store)
{
    QStringList keys;
    for (const QString& key : store.Keys())
        if (key.contains(kButtonKey))
            keys.append(key);
    std::sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) {
        const auto split_a = SplitTrailingNumber(a);
        const auto split_b = SplitTrailingNumber(b);
        if (split_a != split_b)
            return split_a < split_b;
        return a < b;
    });
    return keys;
}

}

RadioButtons::RadioButtons(Canvas& canvas, Hosting hosting)
    : InteractiveItem(canvas, hosting)
{
}

bool RadioButtons::ReadSection(const KeyValueStore& store)
{
    const bool had_buttons = !m_buttons.empty();
    m_buttons.clear();
    const QString size_key = QStringLiteral("RadioButtonSize");
    if (store.Contains(size_key)) {
        const int count = store.GetInt(size_key);
        for (int i = 1; i <= count; ++i)
            AddButton(kButtonKey + QString::number(i), store);
    } else {
        for (const QString& key : ButtonKeysInOrder(store))
            AddButton(key, store);
    }
    const bool changed = PlacedItem::ReadSection(store);
    return changed || had_buttons || !m_buttons.empty();
}

void RadioButtons::AddButton(const QString& name, const KeyValueStore& store)
{
    auto button = std::make_unique<RadioButton>(GetCanvas());
    button->SetName(name);
    button->ReadSection(store);
    m_buttons.push_back(std::move(button));
}

int RadioButtons::SelectedIndex() const
{
    for (int i = 0; i < Count(); ++i)
        if (m_buttons[size_t(i)]->IsSelected())
            return i;
    return -1;
}

bool RadioButtons::Select(int index)
{
    bool changed = false;
    for (int i = 0; i < Count(); ++i)
        changed |= m_buttons[size_t(i)]->SetSelected(i == index);
    return changed;
}

bool RadioButtons::SetProperty(const QString& key, const QString& value)
{
    if (key == QLatin1String("SelectedIndex"))
        return Select(ToInt(value));
    if (key == QLatin1String("Enable")) {
        // One flag per button; the group's own flag is not touched.
        const ListTokenizer list(value);
        const int fields = int(list.Row(0).size());
        bool changed = false;
        for (int i = 0; i < std::min(Count(), fields); ++i)
            changed |= m_buttons[size_t(i)]->SetEnabled(list.Bool(i));
        return changed;
    }
    return false;
}

bool RadioButtons::GetProperty(const QString& key, QString& value) const
{
    if (key != QLatin1String("SelectedIndex"))
        return false;
    value = QString::number(SelectedIndex());
    return true;
}

bool RadioButtons::Draw(QPainter& painter, const QRectF& clip)
{
    for (const auto& button : m_buttons)
        button->Draw(painter, clip);
    return true;
}

// A click selects the first enabled button under the pointer whose selection changes the
// group; a button already selected changes nothing, so later ones are still asked.
bool RadioButtons::HandleMessage(const Message& message, QPointF page_point)
{
    switch (message.kind) {
    case MessageKind::LButtonDown:
        return HandleClick(page_point);
    case MessageKind::KeyDown:
        return HandleKey(message);
    default:
        return false;
    }
}

bool RadioButtons::HandleClick(QPointF page_point)
{
    for (int i = 0; i < Count(); ++i) {
        const RadioButton& button = *m_buttons[size_t(i)];
        if (!button.GetBounds().contains(page_point) || !button.IsEnabled())
            continue;
        if (!Select(i))
            continue;
        Notify(ItemEvent::kChanged);
        Repaint();
        return true;
    }
    return false;
}

// With the keyboard focus, the arrow keys select the previous or next enabled button.
bool RadioButtons::HandleKey(const Message& message)
{
    if (GetCanvas().ActiveItem() != this)
        return false;
    int step = 0;
    if (message.key == Key::Down || message.key == Key::Right)
        step = 1;
    else if (message.key == Key::Up || message.key == Key::Left)
        step = -1;
    else
        return false;
    const int from = SelectedIndex();
    for (int index = (from < 0 && step < 0 ? Count() : from) + step; index >= 0 && index < Count(); index += step) {
        if (!m_buttons[size_t(index)]->IsEnabled())
            continue;
        Select(index);
        Notify(ItemEvent::kChanged);
        Repaint();
        break;
    }
    return true;
}
