#pragma once

#include "widgets/ButtonBase.h"
#include "widgets/Text.h"

// A 14-pixel box with a check mark when pushed, and a caption to its right. A click toggles
// it.
class CheckBox : public ButtonBase {
public:
    ItemDescription Describe() const override;
    explicit CheckBox(Canvas& canvas, Hosting hosting = Hosting::Canvas);

    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;

    Text& Caption() { return m_caption; }

private:
    Text m_caption;
    quint32 m_text_color { 0xff000000 };
};
