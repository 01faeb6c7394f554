#include "widgets/Edit.h"

#include "items/Canvas.h"
#include "platform/Fonts.h"
#include "platform/Message.h"
#include "text/KeyValueStore.h"
#include "text/ListTokenizer.h"
#include "text/ValueForms.h"

#include <cmath>

namespace {

constexpr int kDefaultTenths = 100;
// The longest face name a font can be made with.
constexpr int kMaxFaceLength = 31;

int TenthsOf(float points)
{
    return int(std::lround(points * 10));
}

}

Edit::Edit(Canvas& canvas, Hosting hosting)
    : WindowedItem(canvas, hosting)
{
    SetFont(IconFontFace(), kDefaultTenths);
}

Edit::~Edit() = default;

bool Edit::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    if (store.Contains(QStringLiteral("Text")))
        changed |= SetText(store.GetText(QStringLiteral("Text")));
    if (store.Contains(QStringLiteral("Font"))) {
        const float size = store.GetListFloat(QStringLiteral("Font"), 0, 10);
        const QString face = store.GetListText(QStringLiteral("Font"), 1, IconFontFace());
        changed |= SetFont(face, TenthsOf(size));
    }
    if (store.Contains(QStringLiteral("Align"))) {
        const QString letter = store.GetListText(QStringLiteral("Align"), 0);
        m_alignment = letter == QLatin1String("R") ? 2 : letter == QLatin1String("C") ? 1 : 0;
        m_style.alignment = m_alignment;
    }
    if (store.Contains(QStringLiteral("Option"))) {
        const auto has = [&store](const char* word) { return store.ListContains(QStringLiteral("Option"), QLatin1String(word)); };
        m_style.multi_line |= has("MultiLine");
        m_style.client_edge |= has("Edge");
        m_style.vertical_scroll_bar |= has("VScroll");
        m_scroll_last |= has("ScrollLast");
        m_style.read_only |= has("ReadOnly");
        m_style.password |= has("Password");
    }
    changed |= PlacedItem::ReadSection(store);
    return changed;
}

bool Edit::SetProperty(const QString& key, const QString& value)
{
    if (key == QLatin1String("Text"))
        return SetText(value);
    if (key == QLatin1String("Font")) {
        const ListTokenizer list(value);
        const float size = ToFloat(list.Text(0, QStringLiteral("10")));
        return SetFont(list.Text(1, IconFontFace()), TenthsOf(size));
    }
    if (key == QLatin1String("SelectPosition")) {
        const QStringList fields = SplitPlainList(value);
        if (m_window)
            m_window->Select(ToInt(fields.value(0)), ToInt(fields.value(1)));
        return true;
    }
    return Item::SetProperty(key, value);
}

bool Edit::GetProperty(const QString& key, QString& value) const
{
    if (key == QLatin1String("Text")) {
        value = Text();
        return true;
    }
    if (key == QLatin1String("SelectPosition")) {
        const auto [start, end] = m_window ? m_window->Selection() : std::make_pair(0, 0);
        value = QStringLiteral("%1,%2").arg(start).arg(end);
        return true;
    }
    return false;
}

bool Edit::Draw(QPainter&, const QRectF&)
{
    return true;
}

QString Edit::Text() const
{
    return m_window ? m_window->Text() : m_text;
}

bool Edit::SetText(const QString& text)
{
    if (!m_window) {
        if (m_text == text)
            return false;
        m_text = text;
        return true;
    }
    if (m_window->Text() == text)
        return false;
    m_window->SetText(text);
    // The window may have gone while it reported the change.
    if (m_window && m_scroll_last)
        m_window->ScrollToLastLine();
    return true;
}

bool Edit::SetFont(const QString& face, int tenths_of_point)
{
    QFont font(face.left(kMaxFaceLength));
    font.setPointSizeF(qMax(1, tenths_of_point) / 10.0);
    m_font = font;
    if (m_window)
        m_window->SetFont(m_font);
    return true;
}

bool Edit::SetPassword(bool password)
{
    if (m_style.password == password)
        return false;
    m_style.password = password;
    return true;
}

bool Edit::SetClientEdge(bool client_edge)
{
    if (m_style.client_edge == client_edge)
        return false;
    m_style.client_edge = client_edge;
    return true;
}

bool Edit::IsFromWindow(const Message& message) const
{
    return m_window && message.source == static_cast<const void*>(m_window.get());
}

bool Edit::HandleMessage(const Message& message, QPointF)
{
    switch (message.kind) {
    case MessageKind::Destroy:
        if (m_window)
            m_text = m_window->Text();
        return false;
    case MessageKind::KeyDown:
        if (message.key != Key::A || !message.ctrl)
            return false;
        if (m_window)
            m_window->Select(0, -1);
        return true;
    case MessageKind::EditChanged:
        if (!IsFromWindow(message))
            return false;
        Notify(ItemEvent::kChanged);
        return true;
    case MessageKind::SetFocus:
        // A click into the window gives the item the keyboard focus as Tab would.
        if (!IsFromWindow(message))
            return false;
        Notify(ItemEvent::kTakeFocus);
        return true;
    default:
        return false;
    }
}

void Edit::Synchronise()
{
    if (!IsVisibleInGroup()) {
        DestroyWindow();
        return;
    }
    if (!m_window && !CreateWindow())
        return;
    m_window->SetFont(m_font);
    const QRect rect = WindowRect();
    if (m_window->Geometry() != rect)
        m_window->SetGeometry(rect);
}

bool Edit::CreateWindow()
{
    m_window = NativeEdit::Create(GetCanvas(), m_style, *this);
    if (!m_window)
        return false;
    m_window->Focus();
    // Setting the text reports a change, which may reach an owner that hides the item.
    m_window->SetText(m_text);
    return m_window != nullptr;
}

// The window takes the keys with its whole text selected, so typing replaces it.
void Edit::TakeFocus()
{
    if (!m_window)
        return;
    m_window->Focus();
    if (m_window)
        m_window->Select(0, -1);
}

void Edit::DestroyWindow()
{
    if (!m_window)
        return;
    m_text = m_window->Text();
    m_window.reset();
}

QRect Edit::WindowRect() const
{
    const QRectF device = GetCanvas().ToDevice(GetBounds());
    return QRect(int(device.left()), int(device.top()), int(device.width()), int(device.height()));
}

void Edit::ClickAt(QPointF page_point)
{
    if (!m_window)
        return;
    const QPointF device = GetCanvas().ToDevice(page_point);
    m_window->Select(-1, -1);
    m_window->ClickAt(QPoint(int(device.x()), int(device.y())));
}

bool Edit::RouteNativeMessage(const Message& message)
{
    return GetCanvas().RouteMessage(message);
}

void Edit::NativeEditDestroyed(const QString& text)
{
    m_text = text;
    m_window.reset();
}

ItemDescription Edit::Describe() const
{
    ItemDescription description { ItemDescription::Role::EditableText, Name(), IsPassword() ? QString() : Text() };
    description.password = IsPassword();
    return description;
}
