#include "noteitems/MandelbrotItem.h"

#include "items/Canvas.h"
#include "noteitems/SelectionFrame.h"
#include "platform/Message.h"
#include "platform/UserPrompt.h"
#include "text/ValueForms.h"

#include <QPainter>

#include <cmath>

namespace {

const QString kFillRight = QStringLiteral("W100%");
const QString kFillBottom = QStringLiteral("H100%");
const QString kKnobPrefix = QStringLiteral("Knob");
const QString kValueKey = QStringLiteral("Value");
const QString kMinName = QStringLiteral("Min");
const QString kMaxName = QStringLiteral("Max");
const QString kOkName = QStringLiteral("OK");
const QString kChannelLetters = QStringLiteral("ARGB");
// The knob tables by the last letter of their names: rate, shift, infinity colour.
const QString kTableLetters = QStringLiteral("RSI");

// The knobs show the rate as its logarithm to base two.
constexpr double kLn2 = 0.6931472;

QString Anchor(QChar kind, double value)
{
    return kind + FormatFixed(value);
}

}

MandelbrotItem::MandelbrotItem(Canvas& canvas)
    : PlacedItem(canvas)
    , m_picture(canvas, *this)
{
    canvas.AddInputItem(this);
}

MandelbrotItem::~MandelbrotItem() = default;

bool MandelbrotItem::ReadSection(const KeyValueStore& store)
{
    if (!m_picture.ReadSection(store))
        return false;
    PlacedItem::ReadSection(store);
    return true;
}

bool MandelbrotItem::GetProperty(const QString& key, QString& value) const
{
    return m_picture.GetProperty(key, value);
}

bool MandelbrotItem::Save(QString& section, QString& options, SaveMode mode) const
{
    // Placed as a draw places it, so that the saved text does not depend on whether the page
    // was drawn since it was loaded.
    PlacePicture();
    if (!m_picture.Save(section, options, mode))
        return false;
    return PlacedItem::Save(section, options, SaveMode::Plain);
}

void MandelbrotItem::PlacePicture() const
{
    m_picture.SetAnchor(kLeft, QString::asprintf("L%g", Left()));
    m_picture.SetAnchor(kTop, QString::asprintf("T%g", Top()));
    m_picture.SetAnchor(kRight, QString::asprintf("L%g", Right()));
    m_picture.SetAnchor(kBottom, QString::asprintf("T%g", Bottom()));
    for (int edge = kLeft; edge <= kBottom; ++edge)
        m_picture.SetAnchor(kSecondary + edge, {});
}

bool MandelbrotItem::Draw(QPainter& painter, const QRectF& clip)
{
    PlacePicture();
    bool drawn = m_picture.Draw(painter, clip);
    if (GetCanvas().ActiveItem() == this) {
        SelectionFrame::Draw(painter, GetBounds(), GetCanvas().EffectiveScale());
        drawn = true;
    }
    return drawn;
}

bool MandelbrotItem::HandleMessage(const Message& message, QPointF page_point)
{
    const bool was_selecting = m_picture.IsSelecting();
    if (m_picture.HandleMessage(message, page_point))
        return true;
    const bool on_item = GetBounds().contains(page_point);
    switch (message.kind) {
    case MessageKind::LButtonDblClk:
        if (!on_item)
            return false;
        TogglePageFilling();
        return true;
    case MessageKind::MouseMove:
        return DragStep(page_point);
    case MessageKind::LButtonDown:
        return Press(page_point);
    case MessageKind::LButtonUp:
        if (!m_drag.IsDragging() && !was_selecting)
            return false;
        return Release();
    case MessageKind::RButtonDown:
        return RightPress(page_point);
    case MessageKind::RButtonUp:
        if (!on_item)
            return false;
        ShowContextMenu(message);
        return true;
    default:
        return false;
    }
}

bool MandelbrotItem::Press(QPointF page_point)
{
    Canvas& canvas = GetCanvas();
    if (m_drag.Press(*this, page_point) == FreeDrag::kNone) {
        SendItemEvent(ItemEvent::kDropFocus);
        canvas.Refresh(*this);
        return false;
    }
    const int index = canvas.IndexOf(this);
    canvas.BringToFront(this);
    if (canvas.IndexOf(this) != index)
        canvas.Refresh(*this);
    SendItemEvent(ItemEvent::kTakeFocus);
    SendItemEvent(ItemEvent::kStartCapture);
    canvas.Refresh(*this);
    return true;
}

// Without a drag only the cursor follows the zone under the pointer, and the pointer is
// claimed only over the item. A drag keeps the pointer, also for a step that is ignored.
bool MandelbrotItem::DragStep(QPointF page_point)
{
    Canvas& canvas = GetCanvas();
    if (!m_drag.IsDragging()) {
        const int zone = FreeDrag::HitZone(*this, page_point, canvas.EffectiveScale());
        if (zone != FreeDrag::kNone)
            canvas.SetCursorShape(FreeDrag::ZoneCursor(zone));
        return zone != FreeDrag::kNone;
    }
    canvas.SetCursorShape(FreeDrag::ZoneCursor(m_drag.Mode()));
    const QRectF before = GetBounds();
    if (m_drag.Step(*this, page_point))
        RepaintUnion(before);
    return true;
}

bool MandelbrotItem::Release()
{
    m_drag.Release();
    SendItemEvent(ItemEvent::kReleaseCapture);
    SendItemEvent(ItemEvent::kChangeFinished);
    return true;
}

bool MandelbrotItem::RightPress(QPointF page_point)
{
    Canvas& canvas = GetCanvas();
    if (!GetBounds().contains(page_point)) {
        SendItemEvent(ItemEvent::kDropFocus);
        canvas.Refresh(*this);
        return false;
    }
    canvas.BringToFront(this);
    SendItemEvent(ItemEvent::kTakeFocus);
    canvas.Refresh(*this);
    return true;
}

QPoint MandelbrotItem::ScreenPoint(const Message& message) const
{
    const CanvasHost* host = GetCanvas().Host();
    return host ? host->MapToScreen(message.position) : message.position;
}

bool MandelbrotItem::ShowContextMenu(const Message& message)
{
    PopupMenu menu;
    menu.entries.push_back({ QStringLiteral("プロパティ(&P)"), kProperties });
    menu.entries.push_back({ QStringLiteral("リセット(&R)"), kReset });
    menu.entries.push_back({ {}, 0, true });
    menu.entries.push_back({ QStringLiteral("削除(&D)"), kDelete });
    const QPoint screen_point = ScreenPoint(message);
    const std::optional<int> command = Prompt().ShowPopupMenu(menu, screen_point);
    if (!command)
        return true;
    switch (*command) {
    case kProperties:
        OpenProperties(screen_point);
        break;
    case kReset:
        if (m_picture.ResetView()) {
            GetCanvas().Refresh(*this);
            SendItemEvent(ItemEvent::kChangeFinished);
        }
        break;
    case kDelete:
        RemoveFromPage();
        break;
    default:
        break;
    }
    return true;
}

void MandelbrotItem::RemoveFromPage()
{
    GetCanvas().RemoveAsChange(this);
}

bool MandelbrotItem::IsFillingPage() const
{
    return GetAnchors()[kRight] == kFillRight && GetAnchors()[kBottom] == kFillBottom;
}

void MandelbrotItem::TogglePageFilling()
{
    const QRectF before = GetBounds();
    if (IsFillingPage()) {
        const bool saved = std::any_of(m_saved_anchors.begin(), m_saved_anchors.end(), [](const QString& a) { return !a.isEmpty(); });
        if (saved) {
            for (int edge = 0; edge < 4; ++edge)
                SetAnchor(edge, m_saved_anchors[edge]);
        } else {
            // An item made filling the page has no place to go back to: empty anchors would
            // leave it without size, out of reach. It takes the middle of the page instead.
            const Canvas& canvas = GetCanvas();
            const double width = canvas.ReferenceWidth();
            const double height = canvas.ReferenceHeight();
            SetAnchor(kLeft, Anchor(u'L', width / 4));
            SetAnchor(kTop, Anchor(u'T', height / 4));
            SetAnchor(kRight, Anchor(u'W', width / 2));
            SetAnchor(kBottom, Anchor(u'H', height / 2));
        }
    } else {
        for (int edge = 0; edge < 4; ++edge)
            m_saved_anchors[edge] = GetAnchors()[edge];
        SetAnchor(kLeft, QStringLiteral("L0"));
        SetAnchor(kTop, QStringLiteral("T0"));
        SetAnchor(kRight, kFillRight);
        SetAnchor(kBottom, kFillBottom);
    }
    RepaintUnion(before);
}

void MandelbrotItem::RepaintUnion(const QRectF& before)
{
    Canvas& canvas = GetCanvas();
    canvas.RenderItems(before.united(GetBounds()), OpaqueShortcut::On);
    canvas.Present(PresentScope::Dirty, UpdateTiming::Now);
}

bool MandelbrotItem::OpenProperties(QPoint screen_point)
{
    LayoutDialogRequest request;
    request.layout = LayoutResource::MandelbrotProperties;
    request.kind = CanvasKind::PropertyDialog;
    request.caption = kDialogCaption.toString();
    request.size = QSize(kDialogSide, kDialogSide);
    request.position = QPoint(screen_point.x(), screen_point.y() - kDialogSide / 2);
    request.owner = this;
    // The item is held while its dialog shows: nothing can destroy it under the dialog.
    Canvas::DispatchGuard hold(GetCanvas());
    const MandelbrotPicture::Parameters backup = m_picture.GetParameters();
    const bool accepted = Dialogs().Run(request);
    if (accepted)
        SendItemEvent(ItemEvent::kChanged);
    else
        m_picture.SetParameters(backup);
    GetCanvas().Refresh(*this);
    return accepted;
}

void MandelbrotItem::DialogOpened(Canvas& canvas)
{
    const MandelbrotPicture::Parameters& p = m_picture.GetParameters();
    canvas.SetItemProperty(kMinName, kValueKey, QString::number(p.min));
    canvas.SetItemProperty(kMaxName, kValueKey, QString::number(p.max));
    for (int channel = 0; channel < 4; ++channel) {
        const QString knob = kKnobPrefix + kChannelLetters[channel];
        canvas.SetItemProperty(knob + u'R', kValueKey, FormatGeneral(std::log(double(p.color_rate[channel])) / kLn2));
        canvas.SetItemProperty(knob + u'S', kValueKey, QString::number(p.color_shift[channel]));
        canvas.SetItemProperty(knob + u'I', kValueKey, QString::number(p.infinity_color[channel]));
    }
}

bool MandelbrotItem::DialogEvent(Canvas& canvas, const ItemEvent& event)
{
    return DialogNotification(canvas, event.text, event.code);
}

bool MandelbrotItem::DialogNotification(Canvas& dialog, const QString& name, int code)
{
    if (name == kOkName)
        return code == ItemEvent::kChanged;
    if (code != ItemEvent::kChanged && code != ItemEvent::kChangeFinished)
        return false;
    bool changed = false;
    if (name.size() == 6 && name.startsWith(kKnobPrefix)) {
        const int channel = kChannelLetters.indexOf(name[4]);
        const int table = kTableLetters.indexOf(name[5]);
        if (channel < 0 || table < 0)
            return false;
        float value = 0;
        if (!dialog.GetItemPropertyFloat(name, kValueKey, value))
            return false;
        const double stored = table == 0 ? std::pow(2.0, double(value)) : double(value);
        changed = m_picture.SetColor(table, channel, int(stored));
    } else if (name == kMinName || name == kMaxName) {
        int value = 0;
        if (!dialog.GetItemPropertyInt(name, kValueKey, value))
            return false;
        changed = name == kMinName ? m_picture.SetMin(value) : m_picture.SetMax(value);
    } else {
        return false;
    }
    if (changed)
        GetCanvas().Refresh(*this);
    return true;
}

ItemDescription MandelbrotItem::Describe() const
{
    return { ItemDescription::Role::Picture, QStringLiteral("マンデルブロ集合") };
}
