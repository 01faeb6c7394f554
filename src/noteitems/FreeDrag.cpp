#include "noteitems/FreeDrag.h"

#include "items/Canvas.h"
#include "items/Item.h"
#include "text/ValueForms.h"

#include <cmath>

namespace {

float CanvasScale(const Item& item)
{
    const Canvas* canvas = item.HostCanvas();
    return canvas ? canvas->EffectiveScale() : 0;
}

enum class Axis { X, Y };

std::vector<float> SnapLines(const Item& item, Axis axis)
{
    const Canvas* canvas = item.HostCanvas();
    if (!canvas || !canvas->GetSnapGuides().enabled)
        return {};
    const SnapGuides& guides = canvas->GetSnapGuides();
    std::vector<float> lines = axis == Axis::X ? guides.x : guides.y;
    const QRectF visible = canvas->VisibleArea();
    lines.push_back(float(axis == Axis::X ? visible.left() : visible.top()));
    lines.push_back(float(axis == Axis::X ? visible.right() : visible.bottom()));
    for (const auto& other : canvas->Items()) {
        if (other.get() == &item)
            continue;
        lines.push_back(axis == Axis::X ? other->Left() : other->Top());
        lines.push_back(axis == Axis::X ? other->Right() : other->Bottom());
    }
    return lines;
}

float Snapped(float value, const std::vector<float>& lines, float distance)
{
    return FreeDrag::SnapTo(value, lines, distance).value_or(value);
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

std::vector<float> FreeDrag::SnapLinesX(const Item& item)
{
    return SnapLines(item, Axis::X);
}

std::vector<float> FreeDrag::SnapLinesY(const Item& item)
{
    return SnapLines(item, Axis::Y);
}

std::optional<float> FreeDrag::SnapTo(float value, const std::vector<float>& lines, float distance)
{
    for (float line : lines) {
        if (std::abs(line - value) <= distance)
            return line;
    }
    return std::nullopt;
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
    const std::vector<float> lines_x = SnapLinesX(item);
    if (const auto line = SnapTo(left, lines_x, kSnapDistance / scale))
        left = *line;
    else if (const auto line = SnapTo(left + width, lines_x, kSnapDistance / scale))
        left = *line - width;
    const std::vector<float> lines_y = SnapLinesY(item);
    if (const auto line = SnapTo(top, lines_y, kSnapDistance))
        top = *line;
    else if (const auto line = SnapTo(top + height, lines_y, kSnapDistance))
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
    if (m_mode & (kLeft | kRight)) {
        const float snapped = Snapped(x, SnapLinesX(item), distance);
        ((m_mode & kLeft) ? left : right) = snapped;
    }
    if (m_mode & (kTop | kBottom)) {
        const float snapped = Snapped(y, SnapLinesY(item), distance);
        ((m_mode & kTop) ? top : bottom) = snapped;
    }
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
