#pragma once

#include "noteitems/FreeDrag.h"

#include <QPointF>
#include <QRectF>
#include <Qt>

class ImageItem;
class SnapLines;
struct Message;

// What the mouse does to an image item: move it, crop it by its edges, scale it by its
// corners keeping its proportions, or cut a rectangle out of it. The press decides the mode
// from the zone under the pointer; the moves act on it; the release ends it.
//
//   mode  zone (5 screen pixels deep)      drag                                cursor
//   0     not on the item                  none                                arrow
//   1     inside, away from the edges      move, edges snapping                arrow
//   2     anywhere, Shift or middle button cut-out rectangle, hatched          arrow
//   8/32  left / right edge                crop or uncrop, stopping at the     SizeHor
//                                          image's edge, the edge snapping
//   16/64 top / bottom edge                the same vertically                 SizeVer
//   24/96 top-left / bottom-right corner   scale about the opposite corner     SizeFDiag
//   48/72 top-right / bottom-left corner   keeping the proportions; the trims  SizeBDiag
//                                          scale with the item
//
// Snapping: x edges within 7 screen pixels, y edges of a move within 7 page units, other y
// edges within 7 screen pixels. A step that would leave no width or height is ignored.
// Corners and the right and bottom edges draw without the device-size cache, since their
// steps change the picture's size on screen. The press reports 6 (take focus) and 4 (capture
// the mouse); the release reports 2 (the change, an undo step) and 5 (release the mouse). A
// key released during a cut-out cancels it; its release then reports only 5.
class ImageItemDrag {
public:
    enum Zone : int {
        // The free drag's zones, whose hit test this one shares, and the cut-out.
        kNone = FreeDrag::kNone,
        kMove = FreeDrag::kMove,
        kCutOut = 2,
        kLeft = FreeDrag::kLeft,
        kTop = FreeDrag::kTop,
        kRight = FreeDrag::kRight,
        kBottom = FreeDrag::kBottom,
    };
    static constexpr float kSnapDistance = 7;

    explicit ImageItemDrag(ImageItem& item);

    int Mode() const { return m_mode; }
    QPointF Anchor() const { return m_anchor; }
    bool IsPressed() const { return m_pressed; }

    // The zone of a page point; shift or the middle button make any point of the item a
    // cut-out.
    static int HitZone(const ImageItem& item, QPointF point, bool shift, bool middle_button);
    static Qt::CursorShape CursorFor(int zone);

    // Left or middle button down. True when a drag starts.
    bool Press(QPointF point, const Message& message);
    // True when the pointer is on the item or a drag step was taken.
    bool Move(QPointF point, const Message& message);
    // Left or middle button up. True when it ended a press of this item.
    bool Release();
    // A key came up: a cut-out under way is cancelled. Always false, so the key goes on.
    bool KeyUp();
    // The context menu opens: a cut-out under way is dropped.
    void Abandon();

private:
    bool Step(QPointF point);
    bool StepMove(float left, float top, const QRectF& bounds, float scale);
    bool StepCutOut(QPointF point);
    bool StepEdge(QPointF point, const QRectF& bounds, float scale);
    bool StepCorner(QPointF point, const QRectF& bounds, float scale);
    bool ApplyCutOut();
    void ClearCutOut();

    ImageItem& m_item;
    int m_mode { kNone };
    bool m_pressed { false };
    QPointF m_anchor;
};
