#include "widgets/RadioButton.h"

#include "platform/SystemColors.h"
#include "text/KeyValueStore.h"
#include "widgets/Assign.h"
#include "widgets/Placement.h"

#include <QPainter>

RadioButton::RadioButton(Canvas& canvas)
    : PlacedItem(canvas)
    , m_caption(canvas)
{
}

bool RadioButton::SetSelected(bool selected)
{
    return Assign(m_selected, selected);
}

bool RadioButton::ReadSection(const KeyValueStore& store)
{
    const QString& key = Name();
    bool changed = false;
    for (int edge = kLeft; edge <= kBottom; ++edge)
        changed |= SetAnchor(edge, store.GetListText(key, edge));
    changed |= m_caption.SetText(store.GetListText(key, 4, {}, Escape::Unescape));
    changed |= SetSelected(store.GetListText(key, 5) == QLatin1String("true"));
    return changed;
}

bool RadioButton::Draw(QPainter& painter, const QRectF& clip)
{
    const QRectF bounds = GetBounds();
    const QColor ink = IsEnabled() ? QColor(Qt::black) : QColor::fromRgba(SystemColorArgb(SystemColor::ButtonShadow));

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle(bounds.left() + 1, bounds.top() + 1, 12, 12);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(circle);
    painter.setPen(QPen(ink, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(circle);
    if (m_selected) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(circle.adjusted(3, 3, -3, -3));
    }
    painter.restore();

    PlaceItem(m_caption, QRectF(bounds.left() + 18, bounds.top(), bounds.width() - 18, bounds.height()));
    m_caption.SetColor(ink.rgba());
    m_caption.Draw(painter, clip);
    return true;
}

ItemDescription RadioButton::Describe() const
{
    ItemDescription description { ItemDescription::Role::RadioButton, m_caption.GetText() };
    description.checkable = true;
    description.checked = m_selected;
    return description;
}
