#include "widgets/EditableTextWithMenu.h"

#include "items/Canvas.h"
#include "platform/Fonts.h"
#include "platform/Message.h"
#include "platform/UserPrompt.h"
#include "text/KeyValueStore.h"
#include "text/ListTokenizer.h"
#include "text/ValueForms.h"
#include "widgets/Assign.h"
#include "widgets/Placement.h"

namespace {

constexpr int kButtonPoints = 10;
constexpr float kButtonWidth = 15;

}

EditableTextWithMenu::EditableTextWithMenu(Canvas& canvas, Hosting hosting)
    : WindowedItem(canvas, hosting)
    , m_field(canvas, Hosting::Part)
    , m_button(canvas, Hosting::Part)
{
    m_field.SetOwner(this, [this](const ItemEvent& event) { OnFieldEvent(event); });
    m_button.SetOwner(this, [this](const ItemEvent& event) { OnButtonEvent(event); });
    m_button.Caption().SetText(MapSymbolGlyph(QLatin1Char('6')));
    m_button.Caption().SetFontSize(kButtonPoints);
}

bool EditableTextWithMenu::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    const QString list_key = QStringLiteral("List");
    if (store.Contains(list_key)) {
        QStringList choices;
        for (int i = 0; i < store.GetListCount(list_key); ++i)
            choices.append(store.GetListText(list_key, i, {}, Escape::Unescape));
        changed |= SetChoices(choices);
    }
    // The option is read after the text, so a fixed list may start with a text of its own.
    if (store.Contains(QStringLiteral("Text")))
        changed |= SetText(store.GetText(QStringLiteral("Text")));
    if (store.Contains(QStringLiteral("Font")))
        changed |= m_field.ReadSection(store);
    if (store.Contains(QStringLiteral("Option"))) {
        changed |= Assign(m_editable, !store.ListContains(QStringLiteral("Option"), QStringLiteral("NoEditable")));
        changed |= m_field.ReadSection(store);
    }
    // "Invisible" and "Disable" are the control's: a field hidden by its section could never
    // edit again once the control is shown.
    m_field.SetVisible(true);
    m_field.SetEnabled(true);
    changed |= PlacedItem::ReadSection(store);
    return changed;
}

bool EditableTextWithMenu::SetChoices(const QStringList& choices)
{
    return Assign(m_choices, choices);
}

bool EditableTextWithMenu::SetText(const QString& text)
{
    if (!m_editable && !m_choices.contains(text))
        return false;
    return m_field.SetText(text);
}

bool EditableTextWithMenu::SetProperty(const QString& key, const QString& value)
{
    if (key == QLatin1String("Text"))
        return SetText(value);
    if (key == QLatin1String("Index")) {
        const int index = ToInt(value);
        if (index < 0 || index >= m_choices.size())
            return false;
        return SetText(m_choices[index]);
    }
    if (key == QLatin1String("List"))
        return SetChoices(ListTokenizer(value).Row(0));
    return Item::SetProperty(key, value);
}

QString EditableTextWithMenu::NextText() const
{
    if (m_choices.isEmpty())
        return CurrentText();
    const qsizetype index = m_choices.indexOf(CurrentText());
    if (index < 0)
        return m_choices.first();
    return m_choices[std::min(index + 1, m_choices.size() - 1)];
}

QString EditableTextWithMenu::PrevText() const
{
    if (m_choices.isEmpty())
        return CurrentText();
    const qsizetype index = m_choices.lastIndexOf(CurrentText());
    if (index < 0)
        return m_choices.last();
    return m_choices[std::max<qsizetype>(index - 1, 0)];
}

bool EditableTextWithMenu::GetProperty(const QString& key, QString& value) const
{
    if (key == QLatin1String("Text")) {
        value = CurrentText();
        return true;
    }
    if (key == QLatin1String("NextText")) {
        value = NextText();
        return true;
    }
    if (key == QLatin1String("PrevText")) {
        value = PrevText();
        return true;
    }
    if (key == QLatin1String("Editing"))
        return m_field.GetProperty(key, value);
    if (key == QLatin1String("Index")) {
        value = QString::number(m_choices.indexOf(CurrentText()));
        return true;
    }
    if (key.contains(QLatin1String("Text"))) {
        // "Text" followed by a number: that choice, or nothing outside the list.
        const int index = key.startsWith(QLatin1String("Text")) ? ToInt(QStringView(key).mid(4)) : -1;
        value = index >= 0 && index < m_choices.size() ? m_choices[index] : QString();
        return true;
    }
    return false;
}

void EditableTextWithMenu::PlaceParts()
{
    const QRectF bounds = GetBounds();
    PlaceItem(m_field, QRectF(bounds.left() + 1, bounds.top() + 1, bounds.width() - 17, bounds.height() - 2));
    PlaceItem(m_button, QRectF(bounds.right() - 16, bounds.top() + 1, kButtonWidth, bounds.height() - 2));
}

void EditableTextWithMenu::Synchronise()
{
    PlaceParts();
    m_field.Synchronise();
}

bool EditableTextWithMenu::Draw(QPainter& painter, const QRectF& clip)
{
    if (!IsVisible())
        return false;
    PlaceParts();
    m_field.Draw(painter, clip);
    // A disabled control shows no button.
    if (IsEnabled()) {
        m_button.SetBevelOption(true);
        m_button.Draw(painter, clip);
    }
    Edge frame(GetCanvas());
    PlaceItem(frame, GetBounds());
    frame.SetStyle(IsEnabled() ? Edge::Style::Sunken : Edge::Style::Dark);
    frame.Draw(painter, clip);
    return true;
}

bool EditableTextWithMenu::HandleMessage(const Message& message, QPointF page_point)
{
    PlaceParts();
    if (m_editable && m_field.HandleMessage(message, page_point))
        return true;
    if (m_button.HandleMessage(message, page_point))
        return true;
    return message.kind == MessageKind::KeyDown && HandleKey(message);
}

// An editable control edits in its field; a fixed list only shows the focus.
void EditableTextWithMenu::TakeFocus()
{
    if (m_editable)
        m_field.TakeFocus();
}

// With the keyboard focus: F4, or Space outside the field, opens the list; Up and Down take
// the previous or next choice.
bool EditableTextWithMenu::HandleKey(const Message& message)
{
    if (GetCanvas().ActiveItem() != this)
        return false;
    switch (message.key) {
    case Key::F4:
        ShowChoices();
        return true;
    case Key::Space:
        if (m_field.IsEditing())
            return false;
        ShowChoices();
        return true;
    case Key::Up:
    case Key::Down: {
        const QString choice = message.key == Key::Up ? PrevText() : NextText();
        if (choice != CurrentText())
            TakeChoice(choice);
        return true;
    }
    default:
        return false;
    }
}

// A commit of the field is a change of the control; its taking or dropping the focus makes
// the control the active item.
void EditableTextWithMenu::OnFieldEvent(const ItemEvent& event)
{
    switch (event.code) {
    case ItemEvent::kChanged:
        Repaint();
        Notify(ItemEvent::kChanged);
        Notify(ItemEvent::kChangeFinished);
        break;
    case ItemEvent::kTakeFocus:
    case ItemEvent::kDropFocus:
        Notify(ItemEvent::kTakeFocus);
        break;
    default:
        break;
    }
}

// Only clicks count: the drop-down button never captures the mouse.
void EditableTextWithMenu::OnButtonEvent(const ItemEvent& event)
{
    if (event.code == ItemEvent::kChanged)
        ShowChoices();
}

void EditableTextWithMenu::ShowChoices()
{
    PopupMenu menu;
    const QString current = CurrentText();
    for (qsizetype i = 0; i < m_choices.size(); ++i) {
        PopupMenuEntry entry;
        // The menu refuses empty entries; an empty choice shows as a tab.
        entry.text = m_choices[i].isEmpty() ? QStringLiteral("\t") : m_choices[i];
        entry.id = int(i) + 1;
        entry.checked = m_choices[i] == current;
        menu.entries.push_back(std::move(entry));
    }
    Canvas& canvas = GetCanvas();
    const QPointF corner = canvas.ToDevice(QPointF(Left(), Bottom()));
    QPoint position(int(corner.x()), int(corner.y()));
    if (canvas.Host())
        position = canvas.Host()->MapToScreen(position);
    const std::optional<int> chosen = Prompt().ShowPopupMenu(menu, position);
    if (!chosen || *chosen < 1 || *chosen > m_choices.size())
        return;
    TakeChoice(m_choices[*chosen - 1]);
}

void EditableTextWithMenu::TakeChoice(const QString& choice)
{
    SetText(choice);
    Repaint();
    Notify(ItemEvent::kTextEntry);
    Notify(ItemEvent::kChanged);
    Notify(ItemEvent::kChangeFinished);
}

ItemDescription EditableTextWithMenu::Describe() const
{
    // A field with a list of choices; what it shows is its value.
    ItemDescription description = m_field.Describe();
    description.name = Name();
    return description;
}
