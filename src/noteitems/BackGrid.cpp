#include "noteitems/BackGrid.h"

#include "items/Canvas.h"
#include "items/DevicePixels.h"
#include "platform/SystemColors.h"
#include "text/KeyValueStore.h"
#include "text/ValueForms.h"
#include "widgets/Assign.h"

#include <QPainter>

namespace {

// Finer grids than this are solid colour on any screen; the limit keeps a stray interval from
// asking for millions of lines.
constexpr float kFinestInterval = 1.0f / 4096;

// Whether a colour text holds a hexadecimal number at all.
bool IsHexadecimal(QStringView text)
{
    text = text.trimmed();
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    if (text.isEmpty())
        return false;
    const char16_t first = text.front().toLower().unicode();
    return (first >= u'0' && first <= u'9') || (first >= u'a' && first <= u'f');
}

}

BackGrid::BackGrid(Canvas& canvas)
    : PlacedItem(canvas)
    , m_color(SystemColorArgb(SystemColor::ButtonFace))
{
}

bool BackGrid::SetColor(quint32 argb)
{
    return Assign(m_color, argb);
}

bool BackGrid::SetRateMode(bool rate_mode)
{
    return Assign(m_rate_mode, rate_mode);
}

bool BackGrid::SetInterval(float interval)
{
    return Assign(m_interval, interval);
}

bool BackGrid::SetProperty(const QString& key, const QString& value)
{
    if (key == QLatin1String("Color"))
        return SetColor(ScanColor(value));
    if (key == QLatin1String("Interval"))
        return SetInterval(ToFloat(value));
    return PlacedItem::SetProperty(key, value);
}

bool BackGrid::GetProperty(const QString& key, QString& value) const
{
    if (key == QLatin1String("Interval")) {
        value = FormatGeneral(m_interval);
        return true;
    }
    return PlacedItem::GetProperty(key, value);
}

bool BackGrid::ReadSection(const KeyValueStore& store)
{
    const QString color_key = QStringLiteral("Color");
    const QString option_key = QStringLiteral("Option");
    bool changed = false;
    if (store.Contains(QStringLiteral("Interval")))
        changed |= SetInterval(store.GetFloat(QStringLiteral("Interval")));
    if (store.Contains(color_key)) {
        const QString text = store.GetText(color_key);
        changed |= SetColor(IsHexadecimal(text) ? ScanColor(text) : SystemColorArgb(SystemColor::ButtonFace));
    }
    if (store.ListContains(option_key, QStringLiteral("Rate")))
        changed |= SetRateMode(true);
    if (store.ListContains(option_key, QStringLiteral("Pixcel")))
        changed |= SetRateMode(false);
    changed |= PlacedItem::ReadSection(store);
    return changed;
}

// Pixel mode has no defined spacing and draws nothing.
bool BackGrid::Draw(QPainter& painter, const QRectF& clip)
{
    const float scale = GetCanvas().EffectiveScale();
    if (scale <= 0 || !m_rate_mode || !(m_interval >= kFinestInterval))
        return false;
    const float page_width = GetCanvas().ReferenceWidth();
    const float page_height = GetCanvas().ReferenceHeight();
    const QRectF bounds = GetBounds();

    // Lines one screen pixel wide (one device pixel, whatever the zoom and the pixel ratio),
    // on whole device pixels so that they stay crisp.
    const QColor colour = QColor::fromRgba(m_color);
    for (int step = 1; static_cast<float>(step) * m_interval < 1; ++step) {
        const float t = static_cast<float>(step) * m_interval;
        const qreal x = bounds.x() + t * page_width;
        const qreal y = bounds.y() + t * page_height;
        DevicePixels::FillLine(painter, QPointF(x, bounds.top()), QPointF(x, bounds.bottom()), 0, colour);
        DevicePixels::FillLine(painter, QPointF(bounds.left(), y), QPointF(bounds.right(), y), 0, colour);
    }
    return true;
}
