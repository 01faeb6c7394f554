#include "widgets/Knob.h"

#include "platform/Message.h"
#include "platform/SystemColors.h"
#include "text/KeyValueStore.h"
#include "widgets/Assign.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.1415927f;

// Adds the amount to red, green and blue, limited to 0..255, and makes the colour opaque.
QColor Shade(quint32 argb, int amount)
{
    const auto channel = [amount](int value) { return std::clamp(value + amount, 0, 255); };
    return QColor(channel(qRed(argb)), channel(qGreen(argb)), channel(qBlue(argb)));
}

QLinearGradient Diagonal(const QRectF& rect, const QColor& from, const QColor& to)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

// The Ctrl and Shift states of the previous drag move, shared by every knob.
ValueWidget::ModifierMemory s_modifiers;

}

Knob::Knob(Canvas& canvas, Hosting hosting)
    : ValueWidget(canvas, hosting)
    , m_face_color(SystemColorArgb(SystemColor::ButtonFace))
    , m_shadow_color(SystemColorArgb(SystemColor::ButtonShadow))
{
}

bool Knob::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    const auto read = [&store, &changed](const char* key, quint32& field) {
        if (store.Contains(QLatin1String(key)))
            changed |= Assign(field, store.GetColor(QLatin1String(key)));
    };
    read("FaceColor", m_face_color);
    read("ShadowColor", m_shadow_color);
    changed |= ValueWidget::ReadSection(store);
    return changed;
}

QRectF Knob::DotRect() const
{
    const QRectF bounds = GetBounds();
    const float width = float(bounds.width());
    const float n = std::clamp((Fraction() - 0.5f) * 2, -1.0f, 1.0f);
    const float angle = n * 135 / 180 * kPi;
    const float u = angle - 1.5707964f;
    // Sizes follow the width only; a knob is meant to be square.
    const float dot_radius = std::sqrt(width / 2.5f);
    const float distance = width * 0.5f - kRingWidth - 2 * dot_radius;
    const QPointF centre = bounds.center();
    return QRectF(centre.x() + std::cos(u) * distance - dot_radius, centre.y() + std::sin(u) * distance - dot_radius,
        2 * dot_radius, 2 * dot_radius);
}

bool Knob::Draw(QPainter& painter, const QRectF&)
{
    const QRectF bounds = GetBounds();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF body = bounds.adjusted(1, 1, -1, -1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Diagonal(bounds, Shade(m_face_color, -64), Shade(m_face_color, 644)));
    painter.drawEllipse(body);

    const float half_ring = kRingWidth / 2;
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QBrush(Diagonal(bounds, Shade(m_shadow_color, -64), Shade(m_shadow_color, 64))), kRingWidth));
    painter.drawEllipse(body.adjusted(half_ring, half_ring, -half_ring, -half_ring));

    const QRectF dot = DotRect();
    painter.setBrush(Diagonal(dot, QColor::fromRgba(m_face_color), QColor(Qt::white)));
    painter.setPen(QPen(QColor::fromRgba(m_shadow_color), 1));
    painter.drawEllipse(dot);

    painter.restore();
    return true;
}

// Turning the wheel away from the user lowers the value; Ctrl makes the step a tenth, Ctrl
// and Shift a hundredth.
bool Knob::HandleWheel(const Message& message, QPointF page_point)
{
    if (!GetBounds().contains(page_point))
        return false;
    const float factor = message.ctrl ? (message.shift ? 0.01f : 0.1f) : 1.0f;
    const float step = float(WheelStep(message)) * factor;
    if (SetValue(ClampedValue() - (Upper() - Lower()) / 16 * step)) {
        Repaint();
        Notify(ItemEvent::kChanged);
    }
    return true;
}

bool Knob::HandleButtonDown(QPointF page_point)
{
    const QRectF bounds = GetBounds();
    const double radius = std::min(bounds.width(), bounds.height()) / 2;
    const QPointF offset = page_point - bounds.center();
    if (offset.x() * offset.x() + offset.y() * offset.y() > radius * radius)
        return false;
    m_anchor_value = ClampedValue();
    BeginDrag(page_point);
    return true;
}

// Only vertical movement counts: up raises, and 100 pixels sweep the whole range (1000 with
// Ctrl, 10000 with Ctrl and Shift). A change of Ctrl or Shift re-anchors the drag so the
// value does not jump.
void Knob::HandleDragMove(const Message& message, QPointF page_point)
{
    if (s_modifiers.Update(message)) {
        m_anchor_point = page_point;
        m_anchor_value = ClampedValue();
    }
    const float divisor = message.ctrl ? (message.shift ? 10000.0f : 1000.0f) : 100.0f;
    SetValue(m_anchor_value + float(m_anchor_point.y() - page_point.y()) * (Upper() - Lower()) / divisor);
    Repaint();
    Notify(ItemEvent::kChanged);
}

ItemDescription Knob::Describe() const
{
    return { ItemDescription::Role::Dial, Name(), QString::number(ClampedValue()) };
}
