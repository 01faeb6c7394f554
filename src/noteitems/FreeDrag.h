#pragma once

#include <QPointF>
#include <Qt>

class Item;

// Moving and resizing a page item with the mouse, the edges and corners following the pointer
// freely (no aspect ratio), with snapping. The hit zones of a pointer on the item:
//
//   zone  where                    drag                               cursor
//   0     not on the item          nothing                            arrow
//   1     inside, off the edges    move                               arrow
//   8     left edge                left edge: "L" and "W"             size west-east
//   32    right edge               right edge: "W"                    size west-east
//   16    top edge                 top edge: "T" and "H"              size north-south
//   64    bottom edge              bottom edge: "H"                   size north-south
//   24    top-left corner          both of its edges                  size north-west-south-east
//   96    bottom-right corner      both of its edges                  size north-west-south-east
//   48    top-right corner         both of its edges                  size north-east-south-west
//   72    bottom-left corner       both of its edges                  size north-east-south-west
//
// The edges are 5 device pixels deep at any zoom. A move snaps its left or right edge within
// 7 device pixels and its top or bottom within 7 page units; a dragged edge snaps within 7
// device pixels (the lines are the page's snap lines).
class FreeDrag {
public:
    static constexpr int kNone = 0;
    static constexpr int kMove = 1;
    static constexpr int kLeft = 8;
    static constexpr int kTop = 16;
    static constexpr int kRight = 32;
    static constexpr int kBottom = 64;
    // How close, in device pixels, an edge comes to a snap line before it takes it.
    static constexpr float kSnapDistance = 7;
    static constexpr float kEdgeDepth = 5;

    // The hit zone of a page point on an item of a canvas with the given scale.
    static int HitZone(const Item& item, QPointF page_point, float scale);
    static Qt::CursorShape ZoneCursor(int zone);


    int Mode() const { return m_mode; }
    bool IsDragging() const { return m_mode != kNone; }
    // Starts a drag in the zone under the point; returns the zone (0 when off the item).
    int Press(const Item& item, QPointF page_point);
    void Release() { m_mode = kNone; }
    // One pointer move of a drag: sets the item's anchors. False without a drag, and for a
    // step that would leave the item without width or height, which changes nothing.
    bool Step(Item& item, QPointF page_point) const;

private:
    bool Move(Item& item, QPointF page_point, float scale) const;
    bool Resize(Item& item, QPointF page_point, float scale) const;

    int m_mode { kNone };
    // The pointer's offset from the grabbed edges at the press.
    float m_anchor_x { 0 };
    float m_anchor_y { 0 };
};
