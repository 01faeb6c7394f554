#pragma once

#include "widgets/ButtonBase.h"
#include "widgets/Image.h"

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
    Image& ShownImage();
    const Picture& ShownPicture() const;

    // Pictures without positions of their own, placed on the button when drawn.
    std::array<Image, 4> m_images;
};
