#pragma once

#include "items/Item.h"

// The concrete base of every item: ties it to the canvas that hosts it and resolves anchors
// against that canvas (layout size, visible area, scroll).
class PlacedItem : public Item {
public:
    explicit PlacedItem(Canvas& canvas);
    ~PlacedItem() override;

    bool ReadSection(const KeyValueStore& store) override;
    QString ConvertRelativeAnchor(int edge, const QString& field) const override;
    QRectF GetInsetBounds(float dl, float dt, float dr, float db) const override;
    QRectF GetBounds() const override;
    bool GetProperty(const QString& key, QString& value) const override;
    float ResolveX(QStringView anchor) const override;
    float ResolveY(QStringView anchor) const override;
    bool HitTest(QPointF page_point) const override;
    Canvas* HostCanvas() const override;

    Canvas& GetCanvas() const { return m_canvas; }

private:
    Canvas& m_canvas;
};
