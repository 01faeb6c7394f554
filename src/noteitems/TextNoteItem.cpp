#include "noteitems/TextNoteItem.h"

#include "items/Canvas.h"
#include "noteitems/SelectionFrame.h"
#include "noteitems/TextPropertiesDialog.h"
#include "platform/Message.h"
#include "platform/UserPrompt.h"
#include "text/KeyValueStore.h"
#include "text/ValueForms.h"

#include <QPainter>

#include <cmath>

namespace {

const QString kAutoSizeOption = QStringLiteral("AutoSize");
// Room around a text that sizes itself, in page units, beyond what its font measures: drawn
// at other zooms and pixel ratios a text can come out a little wider.
constexpr qreal kAutoSizeMargin = 4;
constexpr qreal kAutoSizeWidthShare = 1.03;

enum MenuEntry : int {
    kProperties = 0,
    kDelete = 1,
};

QString AnchorText(QChar letter, double value)
{
    return letter + QString::asprintf("%g", value);
}

}

TextNoteItem::TextNoteItem(Canvas& canvas)
    : InteractiveItem(canvas)
    , m_text(canvas)
{
    // The user sizes a page's text; what does not fit is cut off by its box.
    m_text.SetFit(TextFit::Clip);
}

bool TextNoteItem::ReadSection(const KeyValueStore& store)
{
    // The section carries the widget's position and then the item's; both read the later.
    if (!m_text.ReadSection(store))
        return false;
    m_auto_size = store.ListContains(QStringLiteral("Option"), kAutoSizeOption);
    return InteractiveItem::ReadSection(store);
}

bool TextNoteItem::GetProperty(const QString& key, QString& value) const
{
    return m_text.GetProperty(key, value);
}

bool TextNoteItem::Save(QString& section, QString& options, SaveMode mode) const
{
    if (mode != SaveMode::Persistent)
        return false;
    PlaceWidget(GetBounds());
    if (!m_text.Save(section, options, mode))
        return false;
    if (!InteractiveItem::Save(section, options, SaveMode::Plain))
        return false;
    if (m_auto_size)
        options += (options.isEmpty() ? QString() : QStringLiteral(",")) + kAutoSizeOption;
    return true;
}

bool TextNoteItem::Draw(QPainter& painter, const QRectF& clip)
{
    const QRectF bounds = GetBounds();
    PlaceWidget(bounds);
    bool drawn = m_text.Draw(painter, clip);
    if (IsActive() && GetCanvas().EffectiveScale() > 0) {
        SelectionFrame::Draw(painter, bounds, GetCanvas().EffectiveScale());
        drawn = true;
    }
    return drawn;
}

void TextNoteItem::PlaceWidget(const QRectF& bounds) const
{
    m_text.SetAnchor(kLeft, AnchorText(u'L', bounds.left()));
    m_text.SetAnchor(kTop, AnchorText(u'T', bounds.top()));
    m_text.SetAnchor(kRight, AnchorText(u'L', bounds.right()));
    m_text.SetAnchor(kBottom, AnchorText(u'T', bounds.bottom()));
    for (int edge = kLeft; edge <= kBottom; ++edge)
        m_text.SetAnchor(kSecondary + edge, {});
}

bool TextNoteItem::IsActive() const
{
    return GetCanvas().ActiveItem() == this;
}

bool TextNoteItem::HandleMessage(const Message& message, QPointF page_point)
{
    switch (message.kind) {
    case MessageKind::LButtonDblClk:
        if (!HitTest(page_point))
            return false;
        OpenProperties();
        return true;
    case MessageKind::KeyDown:
        // The item has no keys of its own, and no other item gets them while it is active.
        return IsActive();
    case MessageKind::MouseMove:
        return DragStep(page_point);
    case MessageKind::LButtonDown:
        return Press(page_point);
    case MessageKind::LButtonUp:
        return Release(page_point);
    case MessageKind::RButtonDown:
        return RightPress(page_point);
    case MessageKind::RButtonUp:
        return HitTest(page_point) && ShowContextMenu(message);
    case MessageKind::MouseWheel:
        if (!IsActive())
            return false;
        StepFontSize(message.wheel_delta);
        return true;
    default:
        return false;
    }
}

bool TextNoteItem::Press(QPointF page_point)
{
    if (m_drag.Press(*this, page_point) == FreeDrag::kNone) {
        Notify(ItemEvent::kDropFocus);
        Repaint();
        return false;
    }
    Canvas& canvas = GetCanvas();
    const int before = canvas.IndexOf(this);
    canvas.BringToFront(this);
    if (canvas.IndexOf(this) != before)
        Repaint();
    Notify(ItemEvent::kTakeFocus);
    Notify(ItemEvent::kStartCapture);
    Repaint();
    return true;
}

// Moves and releases away from the item belong to the items below it (their cursors, their
// drags) unless this item drags.
bool TextNoteItem::DragStep(QPointF page_point)
{
    const int zone = m_drag.IsDragging() ? m_drag.Mode() : FreeDrag::HitZone(*this, page_point, GetCanvas().EffectiveScale());
    if (zone == FreeDrag::kNone)
        return false;
    GetCanvas().SetCursorShape(FreeDrag::ZoneCursor(zone));
    if (!m_drag.IsDragging())
        return true;
    const QRectF before = GetBounds();
    if (!m_drag.Step(*this, page_point))
        return false;
    if (m_drag.Mode() != FreeDrag::kMove)
        m_auto_size = false;
    RepaintArea(before.united(GetBounds()));
    return true;
}

bool TextNoteItem::Release(QPointF page_point)
{
    if (!m_drag.IsDragging())
        return HitTest(page_point);
    m_drag.Release();
    Notify(ItemEvent::kReleaseCapture);
    Notify(ItemEvent::kChangeFinished);
    return true;
}

bool TextNoteItem::RightPress(QPointF page_point)
{
    if (!HitTest(page_point)) {
        Notify(ItemEvent::kDropFocus);
        Repaint();
        return false;
    }
    GetCanvas().BringToFront(this);
    Notify(ItemEvent::kTakeFocus);
    Repaint();
    return true;
}

bool TextNoteItem::ShowContextMenu(const Message& message)
{
    PopupMenu menu;
    menu.entries = { { QStringLiteral("プロパティ(&P)"), kProperties }, { QStringLiteral("削除(&D)"), kDelete } };
    const std::optional<int> chosen = Prompt().ShowPopupMenu(menu, ScreenPoint(message.position));
    if (chosen == kProperties)
        OpenProperties();
    else if (chosen == kDelete)
        RemoveFromPage();
    return true;
}

void TextNoteItem::RemoveFromPage()
{
    GetCanvas().RemoveAsChange(this);
}

QPoint TextNoteItem::ScreenPoint(QPoint client_point) const
{
    const CanvasHost* host = GetCanvas().Host();
    return host ? host->MapToScreen(client_point) : client_point;
}

int TextNoteItem::CurrentFontSize() const
{
    if (m_text.FontSize() > 0)
        return m_text.FontSize();
    return Text::PointSize(0, m_text.RelativeSize(), Height());
}

bool TextNoteItem::StepFontSize(int wheel_delta)
{
    const int notches = wheel_delta / 120;
    const int step = 2 * notches * notches;
    const int size = CurrentFontSize() + (notches < 0 ? step : -step);
    const bool changed = size > 0 && size != CurrentFontSize() && m_text.SetFontSize(size);
    const QRectF before = GetBounds();
    if (changed && GrowToText())
        RepaintArea(before.united(GetBounds()));
    else
        Repaint();
    return changed;
}

bool TextNoteItem::GrowToText()
{
    if (!m_auto_size || m_text.FontSize() < 1)
        return false;
    const QRectF bounds = GetBounds();
    PlaceWidget(bounds);
    const QSizeF natural = m_text.NaturalSize();
    const qreal width = std::ceil(natural.width() * kAutoSizeWidthShare + kAutoSizeMargin);
    const qreal height = std::ceil(natural.height() + kAutoSizeMargin);
    bool changed = false;
    // Only a width or height of its own grows; an edge anchored elsewhere stays.
    if (width > bounds.width() && GetAnchors()[kRight].startsWith(u'W'))
        changed |= SetAnchor(kRight, u'W' + FormatFixed(width));
    if (height > bounds.height() && GetAnchors()[kBottom].startsWith(u'H'))
        changed |= SetAnchor(kBottom, u'H' + FormatFixed(height));
    return changed;
}

bool TextNoteItem::OpenProperties()
{
    return TextPropertiesDialog(*this).Run();
}

void TextNoteItem::RepaintArea(const QRectF& area)
{
    Canvas& canvas = GetCanvas();
    canvas.RenderItems(area, OpaqueShortcut::On);
    canvas.Present(PresentScope::Dirty, UpdateTiming::Now);
}

ItemDescription TextNoteItem::Describe() const
{
    return { ItemDescription::Role::StaticText, m_text.GetText() };
}
