#include "items/PlacedItem.h"

#include "items/Canvas.h"

PlacedItem::PlacedItem(Canvas& canvas)
    : m_canvas(canvas)
{
}

PlacedItem::~PlacedItem()
{
    m_canvas.ForgetItem(this);
}

bool PlacedItem::ReadSection(const KeyValueStore& store)
{
    return Item::ReadSection(store);
}

QString PlacedItem::ConvertRelativeAnchor(int, const QString& field) const
{
    return field;
}

QRectF PlacedItem::GetInsetBounds(float dl, float dt, float dr, float db) const
{
    return QRectF(Left() + dl, Top() + dt, Width() + dr - dl, Height() + db - dt);
}

QRectF PlacedItem::GetBounds() const
{
    const float left = Left();
    const float top = Top();
    return QRectF(left, top, Right() - left, Bottom() - top);
}

bool PlacedItem::GetProperty(const QString& key, QString& value) const
{
    if (key == QLatin1String("Width")) {
        value = QString::number(Width(), 'g', 6);
        return true;
    }
    return Item::GetProperty(key, value);
}

float PlacedItem::ResolveX(QStringView) const
{
    return 0;
}

float PlacedItem::ResolveY(QStringView) const
{
    return 0;
}

bool PlacedItem::HitTest(QPointF page_point) const
{
    return GetBounds().contains(page_point);
}

Canvas* PlacedItem::HostCanvas() const
{
    return &m_canvas;
}
