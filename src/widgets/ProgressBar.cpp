#include "widgets/ProgressBar.h"

#include "platform/SystemColors.h"
#include "text/KeyValueStore.h"
#include "text/ValueForms.h"
#include "widgets/Assign.h"
#include "widgets/Edge.h"
#include "widgets/GradationBrush.h"
#include "widgets/Placement.h"

#include <QPainter>

#include <algorithm>

ProgressBar::ProgressBar(Canvas& canvas)
    : PlacedItem(canvas)
    , m_begin_color(SystemColorArgb(SystemColor::Highlight))
    , m_end_color(SystemColorArgb(SystemColor::Highlight))
    , m_back_color(SystemColorArgb(SystemColor::ButtonShadow))
{
}

bool ProgressBar::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    const auto read_color = [&store, &changed](const char* key, quint32& field) {
        if (store.Contains(QLatin1String(key)))
            changed |= Assign(field, store.GetColor(QLatin1String(key)));
    };
    const auto read_number = [&store, &changed](const char* key, double& field) {
        if (store.Contains(QLatin1String(key)))
            changed |= Assign(field, double(store.GetFloat(QLatin1String(key))));
    };
    read_color("BeginColor", m_begin_color);
    read_color("EndColor", m_end_color);
    read_color("BackColor", m_back_color);
    read_number("Max", m_max);
    read_number("Min", m_min);
    read_number("Value", m_value);
    if (store.Contains(QStringLiteral("PlaySize"))) {
        const double play_size = store.GetFloat(QStringLiteral("PlaySize"));
        if (play_size >= 0)
            changed |= Assign(m_play_size, play_size);
    }
    changed |= PlacedItem::ReadSection(store);
    return changed;
}

bool ProgressBar::SetValue(double value)
{
    return Assign(m_value, value);
}

bool ProgressBar::SetProperty(const QString& key, const QString& value)
{
    if (key == QLatin1String("Value"))
        return SetValue(double(ToFloat(value)));
    return Item::SetProperty(key, value);
}

bool ProgressBar::GetProperty(const QString& key, QString& value) const
{
    if (key != QLatin1String("Value"))
        return false;
    value = FormatGeneral(ClampedValue());
    return true;
}

double ProgressBar::ClampedValue() const
{
    return std::max(std::min(m_value, m_max), m_min);
}

double ProgressBar::Fraction() const
{
    const double lower = std::min(m_min, m_max);
    const double upper = std::max(m_min, m_max);
    if (upper == lower)
        return 0;
    return (ClampedValue() - lower) / (upper - lower);
}

bool ProgressBar::IsVertical() const
{
    return Height() > Width();
}

double ProgressBar::FillBoundary() const
{
    const QRectF bounds = GetBounds();
    const double margin = m_play_size;
    if (IsVertical())
        return bounds.top() + margin + (1 - Fraction()) * (bounds.height() - 2 * margin);
    return bounds.left() + margin + Fraction() * (bounds.width() - 2 * margin);
}

bool ProgressBar::Draw(QPainter& painter, const QRectF& clip)
{
    const QRectF bounds = GetBounds();
    const double boundary = FillBoundary();
    if (IsVertical()) {
        painter.fillRect(QRectF(bounds.left(), bounds.top(), bounds.width(), boundary - bounds.top()), QColor::fromRgba(m_back_color));
        DrawFill(painter, QRectF(bounds.left(), boundary, bounds.width(), bounds.bottom() - boundary), clip, QStringLiteral("L0,B0"));
    } else {
        painter.fillRect(QRectF(boundary, bounds.top(), bounds.right() - boundary, bounds.height()), QColor::fromRgba(m_back_color));
        DrawFill(painter, QRectF(bounds.left(), bounds.top(), boundary - bounds.left(), bounds.height()), clip, QStringLiteral("R0,T0"));
    }
    Edge frame(GetCanvas());
    PlaceItem(frame, bounds);
    frame.SetStyle(Edge::Style::Sunken);
    frame.Draw(painter, clip);
    return true;
}

// The gradient spans the whole bar, from its top left corner to the end position; only the
// filled part shows it.
void ProgressBar::DrawFill(QPainter& painter, const QRectF& part, const QRectF& clip, const QString& end_position)
{
    const QRectF area = part.intersected(clip);
    if (area.isEmpty())
        return;
    KeyValueStore gradient_keys;
    gradient_keys.Set(QStringLiteral("EndPos"), end_position);
    gradient_keys.Set(QStringLiteral("BeginColor"), FormatColor(m_begin_color));
    gradient_keys.Set(QStringLiteral("EndColor"), FormatColor(m_end_color));
    GradationBrush gradient(GetCanvas());
    gradient.ReadSection(gradient_keys);
    PlaceItem(gradient, GetBounds());
    gradient.Draw(painter, area);
}

ItemDescription ProgressBar::Describe() const
{
    return { ItemDescription::Role::ProgressBar, Name(), QString::number(ClampedValue()) };
}
