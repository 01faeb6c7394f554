#pragma once

#include <QPointF>

class ImageItem;
class ImageItemDrag;
struct Message;

// What an image item does with the messages its canvas routes to it: the mouse buttons go to
// its drag (see ImageItemDrag), a double click switches fit mode, the right button opens its
// menu (not while Ctrl is held), and while it is the active item the arrow keys and the wheel
// step through its folder, Delete takes it off the page, R and L turn it.
class ImageItemInput {
public:
    ImageItemInput(ImageItem& item, ImageItemDrag& drag);

    // Whether the message was the item's; routing ends with it.
    bool Handle(const Message& message, QPointF page_point);

private:
    bool KeyDown(const Message& message);
    bool DoubleClick(QPointF point);
    bool RightPress(QPointF point);
    bool RightRelease(const Message& message, QPointF point);
    bool Wheel(const Message& message);
    bool IsActive() const;

    ImageItem& m_item;
    ImageItemDrag& m_drag;
};
