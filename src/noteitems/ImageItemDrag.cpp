#include "noteitems/ImageItemDrag.h"

#include "items/Canvas.h"
#include "noteitems/FreeDrag.h"
#include "noteitems/ImageItem.h"
#include "noteitems/SnapLines.h"
#include "platform/Message.h"
#include "text/ValueForms.h"

#include <functional>
#include <optional>

namespace {

QString Fixed(QChar form, float value)
{
    return form + FormatFixed(value);
}

// An edge that crops: it moves to `wanted`, and the trim on its side changes by as much, so
// the image stays where it is. `outward` is +1 when moving the edge towards larger
// coordinates shows more of the image (right and bottom edges), -1 otherwise. The edge stops
// where the trim would turn negative, at the image's edge; a snap line is taken only when it
// keeps the edge on the image.
struct EdgeMove {
    float edge;
    float trim;
};

EdgeMove MoveEdge(float wanted, float old_edge, float old_trim, float outward,
    const std::function<std::optional<float>(float)>& snap)
{
    EdgeMove move { wanted, old_trim - outward * (wanted - old_edge) };
    if (move.trim < 0) {
        move.edge += outward * move.trim;
        move.trim = 0;
    }
    if (const std::optional<float> line = snap(move.edge)) {
        const float trim = move.trim - outward * (*line - move.edge);
        if (trim >= 0)
            move = { *line, trim };
    }
    return move;
}

}

ImageItemDrag::ImageItemDrag(ImageItem& item)
    : m_item(item)
{
}

int ImageItemDrag::HitZone(const ImageItem& item, QPointF point, bool shift, bool middle_button)
{
    if (!item.GetBounds().contains(point))
        return kNone;
    if (shift || middle_button)
        return kCutOut;
    // The edge zones and their numbers are those of every freely dragged page item.
    return FreeDrag::HitZone(item, point, item.GetCanvas().EffectiveScale());
}

Qt::CursorShape ImageItemDrag::CursorFor(int zone)
{
    return FreeDrag::ZoneCursor(zone);
}

bool ImageItemDrag::Press(QPointF point, const Message& message)
{
    Canvas& canvas = m_item.GetCanvas();
    m_mode = HitZone(m_item, point, message.shift, message.middle_button);
    if (m_mode == kNone) {
        const bool was_active = canvas.ActiveItem() == &m_item;
        m_item.SendItemEvent(ItemEvent::kDropFocus);
        if (was_active)
            m_item.Repaint(m_item.GetBounds());
        return false;
    }
    const int index = canvas.IndexOf(&m_item);
    canvas.BringToFront(&m_item);
    if (canvas.IndexOf(&m_item) != index)
        m_item.Repaint(m_item.GetBounds());
    m_item.SendItemEvent(ItemEvent::kTakeFocus);
    m_item.SendItemEvent(ItemEvent::kStartCapture);
    m_pressed = true;

    const QRectF bounds = m_item.GetBounds();
    m_anchor = {};
    if (m_mode == kMove || (m_mode & kLeft))
        m_anchor.setX(point.x() - bounds.left());
    else if (m_mode & kRight)
        m_anchor.setX(point.x() - bounds.right());
    if (m_mode == kMove || (m_mode & kTop))
        m_anchor.setY(point.y() - bounds.top());
    else if (m_mode & kBottom)
        m_anchor.setY(point.y() - bounds.bottom());
    if (m_mode == kCutOut)
        m_item.SetDragRectangle({ float(point.x() - bounds.left()), float(point.y() - bounds.top()), 0, 0 });
    if (m_mode >= kLeft + kTop)
        m_item.GetPicture().SetCacheEnabled(false);
    // Only corners change the picture's size on screen.
    if (m_mode & (kLeft | kRight) && m_mode & (kTop | kBottom))
        m_item.PrepareForScaling();
    m_item.Repaint(bounds);
    return true;
}

bool ImageItemDrag::Move(QPointF point, const Message& message)
{
    const int zone = m_mode != kNone ? m_mode : HitZone(m_item, point, message.shift, message.middle_button);
    m_item.GetCanvas().SetCursorShape(CursorFor(zone));
    if (m_mode == kNone)
        return zone != kNone;
    const QRectF before = m_item.GetBounds();
    if (!Step(point))
        return false;
    m_item.SetFitMode(false);
    m_item.Repaint(before.united(m_item.GetBounds()));
    return true;
}

bool ImageItemDrag::Step(QPointF point)
{
    const QRectF bounds = m_item.GetBounds();
    const float scale = m_item.GetCanvas().EffectiveScale();
    const float aspect = bounds.height() != 0 ? float(bounds.width() / bounds.height()) : 0;
    if (!(scale > 0) || !(aspect > 0))
        return false;
    switch (m_mode) {
    case kMove:
        return StepMove(float(point.x() - m_anchor.x()), float(point.y() - m_anchor.y()), bounds, scale);
    case kCutOut:
        return StepCutOut(point);
    case kLeft:
    case kTop:
    case kRight:
    case kBottom:
        return StepEdge(point, bounds, scale);
    default:
        return StepCorner(point, bounds, scale);
    }
}

bool ImageItemDrag::StepMove(float left, float top, const QRectF& bounds, float scale)
{
    const SnapLines lines = SnapLines::Gather(m_item.GetCanvas(), m_item);
    const float width = float(bounds.width());
    const float height = float(bounds.height());
    if (const auto line = lines.FirstX(left, kSnapDistance / scale))
        left = *line;
    else if (const auto line = lines.FirstX(left + width, kSnapDistance / scale))
        left = *line - width;
    // Vertical snapping of a move is in page units, whatever the zoom.
    if (const auto line = lines.FirstY(top, kSnapDistance))
        top = *line;
    else if (const auto line = lines.FirstY(top + height, kSnapDistance))
        top = *line - height;
    m_item.SetAnchor(Item::kLeft, Fixed(u'L', left));
    m_item.SetAnchor(Item::kTop, Fixed(u'T', top));
    return true;
}

bool ImageItemDrag::StepCutOut(QPointF point)
{
    ImageItem::DragRectangle rectangle = m_item.GetDragRectangle();
    rectangle.dx = float(point.x() - m_item.Left() - rectangle.x0);
    rectangle.dy = float(point.y() - m_item.Top() - rectangle.y0);
    m_item.SetDragRectangle(rectangle);
    return true;
}

bool ImageItemDrag::StepEdge(QPointF point, const QRectF& bounds, float scale)
{
    const SnapLines lines = SnapLines::Gather(m_item.GetCanvas(), m_item);
    const float distance = kSnapDistance / scale;
    const bool horizontal = m_mode == kLeft || m_mode == kRight;
    // The near edges (left, top) move the item's position; the far ones only its size.
    const bool near = m_mode == kLeft || m_mode == kTop;
    ImageItem::Trims trims = m_item.GetTrims();
    float& trim = m_mode == kLeft ? trims.left : m_mode == kRight ? trims.right : m_mode == kTop ? trims.top : trims.bottom;
    const QPointF wanted = point - m_anchor;
    const QPointF edge = near ? bounds.topLeft() : bounds.bottomRight();
    const QPointF opposite = near ? bounds.bottomRight() : bounds.topLeft();
    const auto snap = [&](float at) { return horizontal ? lines.FirstX(at, distance) : lines.FirstY(at, distance); };
    const EdgeMove move = horizontal ? MoveEdge(float(wanted.x()), float(edge.x()), trim, near ? -1 : 1, snap)
                                     : MoveEdge(float(wanted.y()), float(edge.y()), trim, near ? -1 : 1, snap);
    const float fixed = float(horizontal ? opposite.x() : opposite.y());
    const float size = near ? fixed - move.edge : move.edge - fixed;
    if (size <= 0)
        return false;
    if (near)
        m_item.SetAnchor(horizontal ? Item::kLeft : Item::kTop, Fixed(horizontal ? u'L' : u'T', move.edge));
    m_item.SetAnchor(horizontal ? Item::kRight : Item::kBottom, Fixed(horizontal ? u'W' : u'H', size));
    trim = move.trim;
    m_item.SetTrims(trims);
    return true;
}

bool ImageItemDrag::StepCorner(QPointF point, const QRectF& bounds, float scale)
{
    const bool left_moves = m_mode & kLeft;
    const bool top_moves = m_mode & kTop;
    const float x = float(bounds.left());
    const float y = float(bounds.top());
    const float width = float(bounds.width());
    const float height = float(bounds.height());
    const float aspect = width / height;
    // The corner opposite the pointer stays where it is.
    const float fixed_x = left_moves ? x + width : x;
    const float fixed_y = top_moves ? y + height : y;
    const float moved_x = float(point.x() - m_anchor.x());
    const float moved_y = float(point.y() - m_anchor.y());
    const float candidate_width = left_moves ? fixed_x - moved_x : moved_x - x;
    const float candidate_height = top_moves ? fixed_y - moved_y : moved_y - y;
    float new_height = (candidate_width + candidate_height) / (aspect + 1);
    float new_width = aspect * new_height;

    const SnapLines lines = SnapLines::Gather(m_item.GetCanvas(), m_item);
    const float distance = kSnapDistance / scale;
    if (const auto line = lines.FirstX(left_moves ? fixed_x - new_width : fixed_x + new_width, distance)) {
        new_width = left_moves ? fixed_x - *line : *line - fixed_x;
        new_height = new_width / aspect;
    }
    if (const auto line = lines.FirstY(top_moves ? fixed_y - new_height : fixed_y + new_height, distance)) {
        new_height = top_moves ? fixed_y - *line : *line - fixed_y;
        new_width = aspect * new_height;
    }
    if (!(new_width > 0) || !(new_height > 0))
        return false;
    if (left_moves)
        m_item.SetAnchor(Item::kLeft, Fixed(u'L', fixed_x - new_width));
    m_item.SetAnchor(Item::kRight, Fixed(u'W', new_width));
    if (top_moves)
        m_item.SetAnchor(Item::kTop, Fixed(u'T', fixed_y - new_height));
    m_item.SetAnchor(Item::kBottom, Fixed(u'H', new_height));
    const float ratio = new_width / width;
    if (ratio == 1 || !(ratio > 0))
        return false;
    const ImageItem::Trims trims = m_item.GetTrims();
    m_item.SetTrims({ trims.left * ratio, trims.top * ratio, trims.right * ratio, trims.bottom * ratio });
    return true;
}

bool ImageItemDrag::Release()
{
    if (!m_pressed)
        return false;
    m_pressed = false;
    m_item.GetPicture().SetCacheEnabled(true);
    // A cancelled cut-out or one without area changes nothing: no undo step.
    bool changed = m_mode != kNone;
    if (m_mode == kCutOut)
        changed = ApplyCutOut();
    m_mode = kNone;
    if (changed)
        m_item.SendItemEvent(ItemEvent::kChangeFinished);
    m_item.SendItemEvent(ItemEvent::kReleaseCapture);
    return true;
}

bool ImageItemDrag::ApplyCutOut()
{
    const ImageItem::DragRectangle cut = m_item.GetDragRectangle();
    const QRectF before = m_item.GetBounds();
    if (cut.dx == 0 || cut.dy == 0) {
        ClearCutOut();
        return false;
    }
    const float width = float(before.width());
    const float height = float(before.height());
    const float cut_left = std::max(0.0f, std::min(cut.x0, cut.x0 + cut.dx));
    const float cut_right = std::max(0.0f, width - std::max(cut.x0, cut.x0 + cut.dx));
    const float cut_top = std::max(0.0f, std::min(cut.y0, cut.y0 + cut.dy));
    const float cut_bottom = std::max(0.0f, height - std::max(cut.y0, cut.y0 + cut.dy));
    m_item.SetAnchor(Item::kLeft, Fixed(u'L', float(before.left()) + cut_left));
    m_item.SetAnchor(Item::kRight, Fixed(u'W', width - cut_left - cut_right));
    m_item.SetAnchor(Item::kTop, Fixed(u'T', float(before.top()) + cut_top));
    m_item.SetAnchor(Item::kBottom, Fixed(u'H', height - cut_top - cut_bottom));
    const ImageItem::Trims trims = m_item.GetTrims();
    m_item.SetTrims({ trims.left + cut_left, trims.top + cut_top, trims.right + cut_right, trims.bottom + cut_bottom });
    m_item.SetDragRectangle({});
    m_item.Repaint(before.united(m_item.GetBounds()));
    return true;
}

void ImageItemDrag::ClearCutOut()
{
    if (m_item.SetDragRectangle({}))
        m_item.Repaint(m_item.GetBounds());
}

bool ImageItemDrag::KeyUp()
{
    if (m_mode != kCutOut)
        return false;
    m_mode = kNone;
    ClearCutOut();
    return false;
}

void ImageItemDrag::Abandon()
{
    if (m_mode == kCutOut)
        ClearCutOut();
    m_mode = kNone;
}
