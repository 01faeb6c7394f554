#include "widgets/GradationBrush.h"

#include "widgets/Assign.h"
#include "text/KeyValueStore.h"
#include "text/ValueForms.h"

#include <QLinearGradient>
#include <QPainter>

namespace {

struct AnchorNumber {
    QChar letter;
    float number { 0 };
    bool percent { false };
};

AnchorNumber SplitAnchorNumber(QStringView anchor)
{
    AnchorNumber parts;
    parts.letter = anchor.front();
    QStringView number = anchor.mid(1);
    if (number.endsWith(u'%')) {
        number.chop(1);
        parts.percent = true;
    }
    parts.number = ToFloat(number);
    return parts;
}

// far_letter is "R" across and "B" down; begin and size describe the bounds along the axis.
float Evaluate(QStringView anchor, QChar far_letter, float begin, float size)
{
    if (anchor.size() < 2)
        return 0;
    const AnchorNumber parts = SplitAnchorNumber(anchor);
    const float n = parts.number;
    if (parts.letter == u'C')
        return parts.percent ? begin + size * (n + 50) / 100 : begin + size * 0.5f + n;
    if (parts.letter == far_letter)
        return parts.percent ? begin + size * (100 - n) / 100 : begin + size - n;
    return parts.percent ? begin + size * n / 100 : begin + n;
}

}

GradationBrush::GradationBrush(Canvas& canvas)
    : PlacedItem(canvas)
{
}

float GradationBrush::EvaluateX(QStringView anchor, const QRectF& bounds)
{
    return Evaluate(anchor, u'R', bounds.left(), bounds.width());
}

float GradationBrush::EvaluateY(QStringView anchor, const QRectF& bounds)
{
    return Evaluate(anchor, u'B', bounds.top(), bounds.height());
}

QPointF GradationBrush::BeginPoint() const
{
    const QRectF bounds = GetBounds();
    return { EvaluateX(m_begin_x, bounds), EvaluateY(m_begin_y, bounds) };
}

QPointF GradationBrush::EndPoint() const
{
    const QRectF bounds = GetBounds();
    return { EvaluateX(m_end_x, bounds), EvaluateY(m_end_y, bounds) };
}

bool GradationBrush::Draw(QPainter& painter, const QRectF& clip)
{
    const QRectF area = GetBounds().intersected(clip);
    const QPointF begin = BeginPoint();
    const QPointF end = EndPoint();
    // A gradient needs a direction; two equal points give no brush and nothing is painted.
    if (area.isEmpty() || begin == end)
        return true;
    QLinearGradient gradient(begin, end);
    gradient.setColorAt(0, QColor::fromRgba(m_begin_color));
    gradient.setColorAt(1, QColor::fromRgba(m_end_color));
    gradient.setSpread(QGradient::ReflectSpread);
    painter.fillRect(area, gradient);
    return true;
}

bool GradationBrush::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    if (store.Contains(QStringLiteral("BeginPos"))) {
        changed |= Assign(m_begin_x, store.GetListText(QStringLiteral("BeginPos"), 0, QStringLiteral("L0")));
        changed |= Assign(m_begin_y, store.GetListText(QStringLiteral("BeginPos"), 1, QStringLiteral("T0")));
    }
    if (store.Contains(QStringLiteral("EndPos"))) {
        changed |= Assign(m_end_x, store.GetListText(QStringLiteral("EndPos"), 0, QStringLiteral("R0")));
        changed |= Assign(m_end_y, store.GetListText(QStringLiteral("EndPos"), 1, QStringLiteral("B0")));
    }
    changed |= Assign(m_begin_color, store.GetColor(QStringLiteral("BeginColor"), m_begin_color));
    changed |= Assign(m_end_color, store.GetColor(QStringLiteral("EndColor"), m_end_color));
    changed |= PlacedItem::ReadSection(store);
    return changed;
}

bool GradationBrush::IsOpaque() const
{
    // Two equal points give no gradient, and nothing is painted.
    return qAlpha(m_begin_color) == 0xff && qAlpha(m_end_color) == 0xff && BeginPoint() != EndPoint();
}
