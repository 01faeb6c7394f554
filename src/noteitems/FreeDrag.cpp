#include "noteitems/FreeDrag.h"

#include "items/Canvas.h"
#include "items/Item.h"
#include "noteitems/SnapLines.h"
#include "text/ValueForms.h"

namespace {

float CanvasScale(const Item& item)
{
    const Canvas* canvas = item.HostCanvas();
    return canvas ? canvas->EffectiveScale() : 0;
}

const Canvas& HostOf(const Item& item)
{
    return *item.HostCanvas();
}

}

int FreeDrag::HitZone(const Item& item, QPointF page_point, float scale)
{
    const QRectF bounds = item.GetBounds();
    if (!bounds.contains(page_point))
        return kNone;
    const double depth = scale > 0 ? kEdgeDepth / scale : 0;
    int zone = 0;
    if (page_point.x() <= bounds.left() + depth)
        zone += kLeft;
    else if (page_point.x() >= bounds.right() - depth)
        zone += kRight;
    if (page_point.y() <= bounds.top() + depth)
        zone += kTop;
    else if (page_point.y() >= bounds.bottom() - depth)
        zone += kBottom;
    return zone == 0 ? kMove : zone;
}

Qt::CursorShape FreeDrag::ZoneCursor(int zone)
{
    switch (zone) {
    case kLeft:
    case kRight:
        return Qt::SizeHorCursor;
    case kTop:
    case kBottom:
        return Qt::SizeVerCursor;
    case kLeft + kTop:
    case kRight + kBottom:
        return Qt::SizeFDiagCursor;
    case kRight + kTop:
    case kLeft + kBottom:
        return Qt::SizeBDiagCursor;
    default:
        return Qt::ArrowCursor;
    }
}

int FreeDrag::Press(const Item& item, QPointF page_point)
{
    m_mode = HitZone(item, page_point, CanvasScale(item));
    if (m_mode == kNone)
        return kNone;
    const QRectF bounds = item.GetBounds();
    m_anchor_x = float(page_point.x() - ((m_mode & kRight) ? bounds.right() : bounds.left()));
    m_anchor_y = float(page_point.y() - ((m_mode & kBottom) ? bounds.bottom() : bounds.top()));
    return m_mode;
}

bool FreeDrag::Step(Item& item, QPointF page_point) const
{
    const float scale = CanvasScale(item);
    if (m_mode == kNone || !(scale > 0))
        return false;
    return m_mode == kMove ? Move(item, page_point, scale) : Resize(item, page_point, scale);
}

// The vertical edges snap within 7 device pixels, the horizontal ones within 7 page units.
bool FreeDrag::Move(Item& item, QPointF page_point, float scale) const
{
    const QRectF bounds = item.GetBounds();
    const float width = float(bounds.width());
    const float height = float(bounds.height());
    float left = float(page_point.x()) - m_anchor_x;
    float top = float(page_point.y()) - m_anchor_y;
    const SnapLines lines = SnapLines::Gather(HostOf(item), item);
    if (const auto line = lines.FirstX(left, kSnapDistance / scale))
        left = *line;
    else if (const auto line = lines.FirstX(left + width, kSnapDistance / scale))
        left = *line - width;
    if (const auto line = lines.FirstY(top, kSnapDistance))
        top = *line;
    else if (const auto line = lines.FirstY(top + height, kSnapDistance))
        top = *line - height;
    bool changed = item.SetAnchor(Item::kLeft, u'L' + FormatFixed(left));
    changed |= item.SetAnchor(Item::kTop, u'T' + FormatFixed(top));
    return changed;
}

bool FreeDrag::Resize(Item& item, QPointF page_point, float scale) const
{
    const QRectF bounds = item.GetBounds();
    float left = float(bounds.left());
    float top = float(bounds.top());
    float right = float(bounds.right());
    float bottom = float(bounds.bottom());
    const float distance = kSnapDistance / scale;
    const float x = float(page_point.x()) - m_anchor_x;
    const float y = float(page_point.y()) - m_anchor_y;
    const SnapLines lines = SnapLines::Gather(HostOf(item), item);
    if (m_mode & (kLeft | kRight))
        ((m_mode & kLeft) ? left : right) = lines.FirstX(x, distance).value_or(x);
    if (m_mode & (kTop | kBottom))
        ((m_mode & kTop) ? top : bottom) = lines.FirstY(y, distance).value_or(y);
    const float width = right - left;
    const float height = bottom - top;
    if (!(width > 0) || !(height > 0))
        return false;
    bool changed = false;
    if (m_mode & kLeft)
        changed |= item.SetAnchor(Item::kLeft, u'L' + FormatFixed(left));
    if (m_mode & (kLeft | kRight))
        changed |= item.SetAnchor(Item::kRight, u'W' + FormatFixed(width));
    if (m_mode & kTop)
        changed |= item.SetAnchor(Item::kTop, u'T' + FormatFixed(top));
    if (m_mode & (kTop | kBottom))
        changed |= item.SetAnchor(Item::kBottom, u'H' + FormatFixed(height));
    return changed;
}
