#include "widgets/Edge.h"

#include "items/DevicePixels.h"
#include "platform/SystemColors.h"
#include "text/KeyValueStore.h"
#include "widgets/Assign.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// Angles here grow clockwise on screen from the right-pointing axis; the painter's grow
// counter-clockwise.
void DrawArc(QPainter& painter, const QRectF& square, float start_degrees, float sweep_degrees)
{
    painter.drawArc(square, qRound(-start_degrees * 16), qRound(-sweep_degrees * 16));
}

void ArcTo(QPainterPath& path, const QRectF& square, float start_degrees, float sweep_degrees)
{
    path.arcTo(square, -start_degrees, -sweep_degrees);
}

void SetPen(QPainter& painter, quint32 argb, float width)
{
    QPen pen(QColor::fromRgba(argb), width);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
}

}

Edge::Edge(Canvas& canvas)
    : PlacedItem(canvas)
{
    SetStyle(Style::Raised);
}

bool Edge::SetColors(quint32 top, quint32 left, quint32 bottom, quint32 right)
{
    bool changed = Assign(m_top_color, top);
    changed |= Assign(m_left_color, left);
    changed |= Assign(m_bottom_color, bottom);
    changed |= Assign(m_right_color, right);
    return changed;
}

bool Edge::SetAllColors(quint32 argb)
{
    return SetColors(argb, argb, argb, argb);
}

bool Edge::SetStyle(Style style)
{
    const quint32 highlight = SystemColorArgb(SystemColor::ButtonHighlight);
    const quint32 shadow = SystemColorArgb(SystemColor::ButtonShadow);
    switch (style) {
    case Style::None:
        return SetAllColors(0);
    case Style::Light:
        return SetAllColors(highlight);
    case Style::Dark:
        return SetAllColors(shadow);
    case Style::Raised:
        return SetColors(highlight, highlight, shadow, shadow);
    case Style::Sunken:
        return SetColors(shadow, shadow, highlight, highlight);
    }
    return false;
}

bool Edge::SetRadii(float top_left, float top_right, float bottom_left, float bottom_right)
{
    bool changed = Assign(m_radius_top_left, top_left);
    changed |= Assign(m_radius_top_right, top_right);
    changed |= Assign(m_radius_bottom_left, bottom_left);
    changed |= Assign(m_radius_bottom_right, bottom_right);
    return changed;
}

bool Edge::SetPenWidth(float width)
{
    if (width < 0)
        return false;
    return Assign(m_width, width);
}

bool Edge::ReadSection(const KeyValueStore& store)
{
    const QString option_key = QStringLiteral("Option");
    const QString round_key = QStringLiteral("Round");
    bool changed = Assign(m_top_color, store.GetColor(QStringLiteral("TColor"), m_top_color));
    changed |= Assign(m_left_color, store.GetColor(QStringLiteral("LColor"), m_left_color));
    changed |= Assign(m_right_color, store.GetColor(QStringLiteral("RColor"), m_right_color));
    changed |= Assign(m_bottom_color, store.GetColor(QStringLiteral("BColor"), m_bottom_color));
    if (store.Contains(QStringLiteral("AllColor")))
        changed |= SetAllColors(store.GetColor(QStringLiteral("AllColor")));
    if (store.Contains(QStringLiteral("Width")))
        changed |= SetPenWidth(store.GetFloat(QStringLiteral("Width")));
    if (store.Contains(round_key)) {
        changed |= SetRadii(store.GetListFloat(round_key, 0), store.GetListFloat(round_key, 1), store.GetListFloat(round_key, 2),
            store.GetListFloat(round_key, 3));
    }
    // The style words come after the colour keys and win over them.
    if (store.ListContains(option_key, QStringLiteral("Raised")))
        changed |= SetStyle(Style::Raised);
    else if (store.ListContains(option_key, QStringLiteral("Sunken")))
        changed |= SetStyle(Style::Sunken);
    changed |= PlacedItem::ReadSection(store);
    return changed;
}

bool Edge::Draw(QPainter& painter, const QRectF& clip)
{
    const float left = Left();
    const float top = Top();
    const float right = left + Width();
    const float bottom = top + Height();
    const float tl = m_radius_top_left;
    const float tr = m_radius_top_right;
    const float bl = m_radius_bottom_left;
    const float br = m_radius_bottom_right;
    const float w = m_width;
    // Only the left and top lines move inward by half a wide pen.
    const float e = w <= 1 ? 0 : w / 2;
    const QRectF top_right_square(right - 2 * tr - 1, top + e, 2 * tr, 2 * tr);
    const QRectF bottom_right_square(right - 2 * br - 1, bottom - 2 * br - 1, 2 * br, 2 * br);
    const QRectF bottom_left_square(left + e, bottom - 1 - 2 * bl, 2 * bl, 2 * bl);
    const QRectF top_left_square(left + e, top + e, 2 * tl, 2 * tl);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    // Coordinates name pixel centres: the straight sides are whole device pixels of full
    // colour at every zoom and pixel ratio, the arcs are smooth and meet them.
    const QPointF centre_shift = DevicePixels::CentreShift(painter);
    const auto side = [&](quint32 argb, QPointF from, QPointF to) {
        DevicePixels::FillLine(painter, from, to, w, QColor::fromRgba(argb));
    };
    const auto arc = [&](quint32 argb, const QRectF& square, float start_degrees, float sweep_degrees) {
        SetPen(painter, argb, w);
        DrawArc(painter, square.translated(centre_shift), start_degrees, sweep_degrees);
    };

    side(m_right_color, QPointF(right - 1, bottom - br - 1), QPointF(right - 1, top + tr));
    if (tr > 0)
        arc(m_right_color, top_right_square, 315, 45);
    if (br > 0)
        arc(m_right_color, bottom_right_square, 0, 45);

    side(m_bottom_color, QPointF(right - br, bottom - 1), QPointF(left + bl, bottom - 1));
    if (bl > 0)
        arc(m_bottom_color, bottom_left_square, 90, 45);
    if (br > 0)
        arc(m_bottom_color, bottom_right_square, 45, 45);

    side(m_left_color, QPointF(left + e, bottom - 1 - bl), QPointF(left + e, top + tl));
    if (tl > 0)
        arc(m_left_color, top_left_square, 180, 45);
    if (bl > 0)
        arc(m_left_color, bottom_left_square, 135, 45);

    side(m_top_color, QPointF(right - 1 - tr, top + e), QPointF(left + tl, top + e));
    if (tl > 0)
        arc(m_top_color, top_left_square, 225, 45);
    if (tr > 0)
        arc(m_top_color, top_right_square, 270, 45);

    painter.restore();
    return true;
}

void Edge::AddShapePath(QPainterPath& path) const
{
    const QRectF bounds = GetBounds();
    const float tl = m_radius_top_left;
    const float tr = m_radius_top_right;
    const float bl = m_radius_bottom_left;
    const float br = m_radius_bottom_right;
    if (tl <= 0 && tr <= 0 && bl <= 0 && br <= 0) {
        path.addRect(bounds);
        return;
    }
    const qreal left = bounds.left();
    const qreal top = bounds.top();
    const qreal right = bounds.right();
    const qreal bottom = bounds.bottom();

    QPainterPath shape;
    if (tl > 0) {
        shape.arcMoveTo(QRectF(left, top, 2 * tl, 2 * tl), 180);
        ArcTo(shape, QRectF(left, top, 2 * tl, 2 * tl), 180, 90);
    } else {
        shape.moveTo(left, top);
    }
    if (tr > 0)
        ArcTo(shape, QRectF(right - 2 * tr - 1, top, 2 * tr, 2 * tr), 271, 89);
    else
        shape.lineTo(right, top);
    if (br > 0)
        ArcTo(shape, QRectF(right - 2 * br - 1, bottom - 2 * br - 1, 2 * br, 2 * br), 1, 88);
    else
        shape.lineTo(right, bottom);
    if (bl > 0)
        ArcTo(shape, QRectF(left, bottom - 2 * bl - 1, 2 * bl, 2 * bl), 90, 90);
    else
        shape.lineTo(left, bottom);
    shape.closeSubpath();
    path.addPath(shape);
}
