#include "widgets/Slider.h"

#include "platform/Message.h"
#include "platform/SystemColors.h"
#include "text/KeyValueStore.h"
#include "widgets/Assign.h"
#include "widgets/Edge.h"
#include "widgets/Placement.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

constexpr float kCornerRadius = 2;

// The Ctrl and Shift states of the previous drag move, shared by every slider.
ValueWidget::ModifierMemory s_modifiers;

void DrawRoundedEdge(Canvas& canvas, QPainter& painter, const QRectF& rect, Edge::Style style, const QRectF& clip, quint32 face)
{
    Edge edge(canvas);
    PlaceItem(edge, rect);
    edge.SetRadii(kCornerRadius, kCornerRadius, kCornerRadius, kCornerRadius);
    edge.SetStyle(style);
    edge.SetPenWidth(1);
    if (qAlpha(face) > 0) {
        QPainterPath shape;
        edge.AddShapePath(shape);
        painter.fillPath(shape, QColor::fromRgba(face));
    }
    edge.Draw(painter, clip);
}

}

Slider::Slider(Canvas& canvas, Hosting hosting)
    : ValueWidget(canvas, hosting)
    , m_color(SystemColorArgb(SystemColor::ButtonFace))
{
}

bool Slider::ReadSection(const KeyValueStore& store)
{
    const quint32 color = store.Contains(QStringLiteral("Color")) ? store.GetColor(QStringLiteral("Color"))
                                                                  : SystemColorArgb(SystemColor::ButtonFace);
    bool changed = Assign(m_color, color);
    changed |= ValueWidget::ReadSection(store);
    return changed;
}

bool Slider::GetProperty(const QString& key, QString& value) const
{
    if (ValueWidget::GetProperty(key, value))
        return true;
    return Item::GetProperty(key, value);
}

bool Slider::IsVertical() const
{
    return Height() > Width();
}

float Slider::ThumbSide() const
{
    return std::min(Width(), Height());
}

QSizeF Slider::ThumbSize() const
{
    const float side = ThumbSide();
    return QSizeF(side, side);
}

QRectF Slider::ThumbRect() const
{
    const QRectF bounds = GetBounds();
    const float side = ThumbSide();
    const float fraction = Fraction();
    if (IsVertical()) {
        const double y = bounds.top() + (bounds.height() - side) * (1 - fraction) + side / 2;
        return QRectF(bounds.center().x() - side / 2, y - side / 2, side, side);
    }
    const double x = bounds.left() + (bounds.width() - side) * fraction + side / 2;
    return QRectF(x - side / 2, bounds.center().y() - side / 2, side, side);
}

float Slider::FractionAt(float position) const
{
    const QRectF bounds = GetBounds();
    const float side = ThumbSide();
    const float length = float(IsVertical() ? bounds.height() : bounds.width());
    if (length <= side)
        return 0;
    float fraction = 0;
    if (IsVertical())
        fraction = 1 - (position - float(bounds.top()) - side / 2) / (length - side);
    else
        fraction = (position - float(bounds.left()) - side / 2) / (length - side);
    return std::clamp(fraction, 0.0f, 1.0f);
}

float Slider::AlongAxis(QPointF point) const
{
    return float(IsVertical() ? point.y() : point.x());
}

bool Slider::Draw(QPainter& painter, const QRectF& clip)
{
    if (!IsVisible())
        return false;
    const QRectF bounds = GetBounds();
    const float side = ThumbSide();
    const QPointF centre = bounds.center();
    const QRectF track = IsVertical()
        ? QRectF(centre.x() - 2, bounds.top() + side / 2, 4, bounds.height() - side)
        : QRectF(bounds.left() + side / 2, centre.y() - 2, bounds.width() - side, 4);
    DrawRoundedEdge(GetCanvas(), painter, track, Edge::Style::Sunken, clip, 0);
    // A disabled slider shows its track alone.
    if (IsEnabled())
        DrawRoundedEdge(GetCanvas(), painter, ThumbRect(), Edge::Style::Raised, clip, m_color);
    return true;
}

bool Slider::HandleMessage(const Message& message, QPointF page_point)
{
    if (!IsEnabled())
        return false;
    return ValueWidget::HandleMessage(message, page_point);
}

// Turning the wheel away from the user raises a vertical slider and lowers a horizontal one.
bool Slider::HandleWheel(const Message& message, QPointF page_point)
{
    if (!GetBounds().contains(page_point))
        return false;
    int step = WheelStep(message);
    if (IsVertical())
        step = -step;
    const float before = ClampedValue();
    SetValue(before - (Upper() - Lower()) / 16 * float(step));
    if (ClampedValue() != before) {
        Repaint();
        Notify(ItemEvent::kChanged);
    }
    return true;
}

void Slider::AnchorAt(QPointF page_point)
{
    m_anchor_point = page_point;
    m_anchor_offset = page_point - ThumbRect().topLeft();
}

// A press on the thumb starts a drag; a press elsewhere on the track moves the value there
// at once without dragging.
bool Slider::HandleButtonDown(QPointF page_point)
{
    if (ThumbRect().contains(page_point)) {
        AnchorAt(page_point);
        BeginDrag(page_point);
        return true;
    }
    if (!GetBounds().contains(page_point))
        return false;
    SetValue(Lower() + (Upper() - Lower()) * FractionAt(AlongAxis(page_point)));
    Repaint();
    Notify(ItemEvent::kChanged);
    return true;
}

// With Ctrl the thumb follows the pointer at a tenth of its speed (a hundredth with Shift
// too). A change of Ctrl or Shift re-anchors the drag so the value does not jump.
void Slider::HandleDragMove(const Message& message, QPointF page_point)
{
    if (s_modifiers.Update(message))
        AnchorAt(page_point);
    const float side = ThumbSide();
    const float anchor = AlongAxis(m_anchor_point);
    const float offset = AlongAxis(m_anchor_offset);
    const float pointer = AlongAxis(page_point);
    float position = pointer - offset + side / 2;
    if (message.ctrl) {
        const float divisor = message.shift ? 100.0f : 10.0f;
        position = anchor - offset + (pointer - anchor) / divisor + side / 2;
    }
    SetValue(Lower() + (Upper() - Lower()) * FractionAt(position));
    Repaint();
    Notify(ItemEvent::kChanged);
}

ItemDescription Slider::Describe() const
{
    return { ItemDescription::Role::Slider, Name(), QString::number(ClampedValue()) };
}
