#pragma once

#include "items/Picture.h"
#include "widgets/ButtonBase.h"

#include <array>

// A button drawn from up to four state pictures, normally cut from one strip file. Its
// transparent pixels do not react to the pointer.
class ImageButton : public ButtonBase {
public:
    explicit ImageButton(Canvas& canvas, Hosting hosting = Hosting::Canvas);

    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool HitTest(QPointF page_point) const override;

    // Indexed by the button state: normal, pushed, hover, disabled.
    const Picture& StatePicture(State state) const;

private:
    // The picture of the current state when it has an image, else the normal one.
    Picture& ShownPicture();
    const Picture& ShownPicture() const;

    std::array<Picture, 4> m_pictures;
};
