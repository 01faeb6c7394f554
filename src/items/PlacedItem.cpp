#include "items/PlacedItem.h"

#include "items/Canvas.h"
#include "text/KeyValueStore.h"
#include "text/PositionAnchors.h"
#include "text/ValueForms.h"

#include <algorithm>

PlacedItem::PlacedItem(Canvas& canvas)
    : m_canvas(canvas)
{
}

PlacedItem::~PlacedItem()
{
    m_canvas.ForgetItem(this);
}

// RelPos is applied first, so a Pos in the same section wins over it.
bool PlacedItem::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    const QString relative_key = QStringLiteral("RelPos");
    if (store.Contains(relative_key)) {
        const int count = std::min(store.GetListCount(relative_key), static_cast<int>(GetAnchors().size()));
        for (int index = 0; index < count; ++index)
            changed |= SetAnchor(index, ConvertRelativeAnchor(index % kSecondary, store.GetListText(relative_key, index)));
    }
    changed |= Item::ReadSection(store);
    return changed;
}

// The reference is the canvas's last item: while a layout is read, the item of the previous
// section.
QString PlacedItem::ConvertRelativeAnchor(int edge, const QString& field) const
{
    const Item* previous = m_canvas.LastItem();
    if (!previous || previous == this)
        return ::ConvertRelativeAnchor(edge, field, nullptr);
    RelativeReference reference;
    reference.bounds = previous->GetBounds();
    for (int index = 0; index < static_cast<int>(reference.anchors.size()); ++index)
        reference.anchors[index] = previous->GetAnchors()[index];
    return ::ConvertRelativeAnchor(edge, field, &reference);
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
        value = FormatGeneral(Width());
        return true;
    }
    return Item::GetProperty(key, value);
}

float PlacedItem::ResolveX(QStringView anchor) const
{
    const float item_left = anchor.startsWith(u'W') ? Left() : 0.0f;
    return ResolveAnchorX(anchor, m_canvas.GetAnchorReference(), item_left);
}

float PlacedItem::ResolveY(QStringView anchor) const
{
    const float item_top = anchor.startsWith(u'H') ? Top() : 0.0f;
    return ResolveAnchorY(anchor, m_canvas.GetAnchorReference(), item_top);
}

bool PlacedItem::HitTest(QPointF page_point) const
{
    return GetBounds().contains(page_point);
}

Canvas* PlacedItem::HostCanvas() const
{
    return &m_canvas;
}
