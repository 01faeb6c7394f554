#pragma once

#include "items/PlacedItem.h"
#include "items/Picture.h"

// A picture from a file placed in a layout: stretched over the item's rectangle, tiled from its
// top left corner, or turned about its centre. Without a right or bottom anchor the item takes
// the picture's own size.
class Image : public PlacedItem {
public:
    explicit Image(Canvas& canvas);

    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool IsOpaque() const override;

    // Loads a file (or the part x, y, width, height of it) and gives the item the picture's
    // size where its right and bottom anchors are empty.
    bool Load(const QString& path, const QRect& cut_out = {});

    Picture& GetPicture() { return m_picture; }
    const Picture& GetPicture() const { return m_picture; }

private:
    Picture m_picture;
};
