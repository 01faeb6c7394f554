#include "widgets/EditableText.h"

#include "items/Canvas.h"
#include "platform/Message.h"
#include "text/KeyValueStore.h"
#include "widgets/Assign.h"
#include "widgets/Placement.h"

#include <QPainter>

EditableText::EditableText(Canvas& canvas, Hosting hosting)
    : WindowedItem(canvas, hosting)
    , m_display(canvas)
    , m_editor(canvas, Hosting::Part)
    , m_frame(canvas)
{
    m_display.SetNoWrap(true);
    m_editor.SetVisible(false);
    // The editor's own events are not the field's business.
    m_editor.SetOwner(this, {});
}

bool EditableText::IsNumberText(const QString& text)
{
    bool point_seen = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('-') && i == 0)
            continue;
        if (c == QLatin1Char('.') && !point_seen) {
            point_seen = true;
            continue;
        }
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

bool EditableText::ReadSection(const KeyValueStore& store)
{
    const QString option_key = QStringLiteral("Option");
    // The display does not wrap unless the section asks for it ("NoWrap" only ever turns
    // wrapping off, "MultiLine" on), so Return commits a field such as "Option=Edge,Number".
    const bool no_wrap = m_display.NoWrap();
    bool changed = m_display.ReadSection(store);
    if (!store.ListContains(option_key, QStringLiteral("NoWrap")))
        m_display.SetNoWrap(no_wrap);
    changed |= m_editor.ReadSection(store);
    if (store.Contains(option_key)) {
        const auto has = [&store, &option_key](const char* word) { return store.ListContains(option_key, QLatin1String(word)); };
        int options = 0;
        if (has("BackColorWhite"))
            options |= kWhiteBackground;
        if (has("Edge")) {
            options |= kFrame;
            changed |= m_editor.SetClientEdge(false);
        }
        if (has("Number"))
            options |= kNumbersOnly;
        changed |= Assign(m_options, options);
        if (has("SingleLine"))
            changed |= m_display.SetNoWrap(true);
        if (has("MultiLine"))
            changed |= m_display.SetNoWrap(false);
        if (has("Password"))
            changed |= Assign(m_password, true);
    }
    if (store.Contains(QStringLiteral("Round")))
        changed |= m_frame.ReadSection(store);
    m_editor.SetVisible(false);
    changed |= PlacedItem::ReadSection(store);
    return changed;
}

bool EditableText::SetText(const QString& text)
{
    const bool display_changed = m_display.SetText(text);
    const bool editor_changed = m_editor.SetText(text);
    return display_changed || editor_changed;
}

bool EditableText::SetProperty(const QString& key, const QString& value)
{
    if (key == QLatin1String("Text"))
        return SetText(value);
    if (key == QLatin1String("Return"))
        return Assign(m_returned, value == QLatin1String("true"));
    if (key == QLatin1String("Enable")) {
        if (value != QLatin1String("true"))
            EndEditing();
        return Item::SetProperty(key, value);
    }
    if (key == QLatin1String("EditVisible")) {
        const bool changed = value == QLatin1String("true") ? BeginEditing() : EndEditing();
        return Item::SetProperty(key, value) || changed;
    }
    return Item::SetProperty(key, value);
}

bool EditableText::GetProperty(const QString& key, QString& value) const
{
    const auto as_text = [](bool flag) { return flag ? QStringLiteral("true") : QStringLiteral("false"); };
    if (key == QLatin1String("Text")) {
        value = CurrentText();
        return true;
    }
    if (key == QLatin1String("Editing")) {
        value = as_text(IsEditing());
        return true;
    }
    if (key == QLatin1String("Return")) {
        value = as_text(m_returned);
        return true;
    }
    return PlacedItem::GetProperty(key, value);
}

// The native window appears at the next present, over the field, with the keyboard focus.
bool EditableText::BeginEditing()
{
    if (IsEditing())
        return false;
    m_editor.SetVisible(true);
    m_editor.SetText(m_display.GetText());
    Notify(ItemEvent::kTakeFocus);
    Repaint();
    return true;
}

// Commits the editor's text to the display: a number field throws away a text that is not a
// number. The owner reads "Return" while it handles events 1 and 2.
bool EditableText::EndEditing()
{
    // An owner that ends editing again while handling the commit's events changes nothing.
    if (!IsEditing() || m_ending)
        return false;
    m_ending = true;
    bool changed = false;
    const QString typed = m_editor.Text();
    if ((m_options & kNumbersOnly) && !IsNumberText(typed))
        changed = m_editor.SetText(m_display.GetText());
    else
        changed = m_display.SetText(typed);
    if (changed || m_returned) {
        Notify(ItemEvent::kChanged);
        Notify(ItemEvent::kChangeFinished);
    }
    Notify(ItemEvent::kDropFocus);
    m_editor.SetVisible(false);
    m_editor.Synchronise();
    Repaint();
    m_returned = false;
    m_ending = false;
    return true;
}

// Editing begins with the whole text selected once the edit window is there.
void EditableText::TakeFocus()
{
    BeginEditing();
    Synchronise();
    m_editor.TakeFocus();
}

// Thrown away, the typed text gives way to the shown one and the commit changes nothing.
void EditableText::LoseFocus(FocusEnd end)
{
    if (end == FocusEnd::Cancel && IsEditing())
        m_editor.SetText(m_display.GetText());
    EndEditing();
}

bool EditableText::HandleMessage(const Message& message, QPointF page_point)
{
    switch (message.kind) {
    case MessageKind::KillFocus:
        if (m_editor.IsFromWindow(message) && !m_returned)
            EndEditing();
        return false;
    case MessageKind::KeyDown:
        // In a multi-line field Return types a new line.
        if (!m_editor.IsFromWindow(message) || message.key != Key::Return || !m_display.NoWrap())
            return false;
        m_returned = true;
        EndEditing();
        return true;
    case MessageKind::LButtonDown:
        if (GetBounds().contains(page_point) && GetCanvas().VisibleArea().contains(page_point)) {
            BeginEditing();
            PlaceParts();
            m_editor.ClickAt(page_point);
        } else if (IsEditing()) {
            EndEditing();
        }
        // Not consumed: the items below see the click too.
        return false;
    default:
        return false;
    }
}

void EditableText::PlaceParts()
{
    const QRectF bounds = GetBounds();
    const QRectF inner = (m_options & kFrame) ? bounds.adjusted(1, 1, -1, -1) : bounds;
    PlaceItem(m_display, inner);
    PlaceItem(m_editor, inner);
    PlaceItem(m_frame, bounds);
}

void EditableText::Synchronise()
{
    PlaceParts();
    m_editor.Synchronise();
}

bool EditableText::Draw(QPainter& painter, const QRectF& clip)
{
    PlaceParts();
    if (m_options & kWhiteBackground)
        painter.fillRect(GetBounds(), Qt::white);
    if (m_options & kFrame) {
        m_frame.SetStyle(Edge::Style::Sunken);
        m_frame.Draw(painter, clip);
    }
    // While editing the native window shows the text.
    if (IsEditing())
        return true;
    if (!m_password)
        return m_display.Draw(painter, clip);
    const QString text = m_display.GetText();
    m_display.SetText(QString(text.size(), QLatin1Char('*')));
    const bool drawn = m_display.Draw(painter, clip);
    m_display.SetText(text);
    return drawn;
}

ItemDescription EditableText::Describe() const
{
    return { ItemDescription::Role::EditableText, Name(), IsEditing() ? CurrentText() : m_display.GetText() };
}
