#include "widgets/Brush.h"

#include "widgets/Assign.h"
#include "platform/SystemColors.h"
#include "text/KeyValueStore.h"
#include "text/ValueForms.h"

#include <QPainter>

namespace {

// A named system colour or a hexadecimal ARGB value.
quint32 ColorFromText(const QString& text)
{
    return NamedColor(text).value_or(ScanColor(text));
}

}

Brush::Brush(Canvas& canvas)
    : PlacedItem(canvas)
    , m_color(SystemColorArgb(SystemColor::ButtonFace))
{
}

bool Brush::SetColor(quint32 argb)
{
    return Assign(m_color, argb);
}

bool Brush::SetProperty(const QString& key, const QString& value)
{
    if (key == QLatin1String("Color"))
        return SetColor(ColorFromText(value));
    return PlacedItem::SetProperty(key, value);
}

bool Brush::Draw(QPainter& painter, const QRectF& clip)
{
    const QRectF area = GetBounds().intersected(clip);
    if (area.isEmpty())
        return true;
    painter.fillRect(area, QColor::fromRgba(m_color));
    return true;
}

bool Brush::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    if (store.Contains(QStringLiteral("Color")))
        changed |= SetColor(ColorFromText(store.GetText(QStringLiteral("Color"))));
    changed |= PlacedItem::ReadSection(store);
    return changed;
}

bool Brush::IsOpaque() const
{
    return qAlpha(m_color) == 0xff;
}
