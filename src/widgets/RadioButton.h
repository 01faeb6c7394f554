#pragma once

#include "items/PlacedItem.h"
#include "widgets/Text.h"

// One button of a `RadioButtons` group: a circle, filled when selected, and a caption. It
// reads its place, caption and starting state from the group's key of its own name.
class RadioButton : public PlacedItem {
public:
    ItemDescription Describe() const override;
    explicit RadioButton(Canvas& canvas);

    bool Draw(QPainter& painter, const QRectF& clip) override;
    // The key named like the button: left, top, right and bottom anchors, the caption and
    // "true" when it starts selected.
    bool ReadSection(const KeyValueStore& store) override;

    bool IsSelected() const { return m_selected; }
    bool SetSelected(bool selected);
    const Text& Caption() const { return m_caption; }

private:
    bool m_selected { false };
    Text m_caption;
};
