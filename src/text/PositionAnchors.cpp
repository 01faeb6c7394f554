#include "text/PositionAnchors.h"

#include "text/ValueForms.h"

#include <cmath>

namespace {

// Percent results are whole pixels, truncated toward zero; adding zero turns -0 into 0.
float Truncate(float value)
{
    return std::trunc(value) + 0.0f;
}

struct ParsedAnchor {
    char16_t letter;
    float number;
    bool percent;
};

std::optional<ParsedAnchor> Parse(QStringView anchor)
{
    if (anchor.size() < 2)
        return std::nullopt;
    QStringView number = anchor.mid(1);
    const bool percent = number.endsWith(u'%');
    if (percent)
        number.chop(1);
    return ParsedAnchor { anchor[0].unicode(), ToFloat(number), percent };
}

// The letters of one axis: near edge, far edge, own size, visible near and far edges.
struct AxisLetters {
    char16_t near_edge;
    char16_t far_edge;
    char16_t size;
    char16_t visible_near;
    char16_t visible_far;
};

struct AxisReference {
    float extent;
    float visible_near;
    float visible_far;
    float item_near;
};

float Resolve(QStringView text, const AxisLetters& letters, const AxisReference& axis)
{
    const std::optional<ParsedAnchor> anchor = Parse(text);
    if (!anchor)
        return 0;
    const float v = anchor->number;
    const float w = axis.extent;
    const char16_t letter = anchor->letter;
    if (letter == letters.near_edge)
        return anchor->percent ? Truncate(w * v / 100) : v;
    if (letter == u'C')
        return anchor->percent ? Truncate(w * (v + 50) / 100) : w * 0.5f + v;
    if (letter == letters.far_edge)
        return anchor->percent ? Truncate((100 - v) * w / 100) : w - v;
    if (letter == letters.size)
        return anchor->percent ? Truncate(axis.item_near + w * v / 100) : axis.item_near + v;
    if (letter == letters.visible_near)
        return anchor->percent ? Truncate(axis.visible_near * v / 100) : axis.visible_near + v;
    if (letter == letters.visible_far)
        return anchor->percent ? Truncate(axis.visible_far * (100 - v) / 100) : axis.visible_far - v;
    return v;
}

constexpr AxisLetters kHorizontal { u'L', u'R', u'W', u'l', u'r' };
constexpr AxisLetters kVertical { u'T', u'B', u'H', u't', u'b' };

bool IsHorizontal(int edge)
{
    return edge % 2 == 0;
}

int EdgeIndex(int edge)
{
    return ((edge % 4) + 4) % 4;
}

bool Replace(QString& anchor, const QString& text)
{
    if (anchor == text)
        return false;
    anchor = text;
    return true;
}

}

float ResolveAnchorX(QStringView anchor, const AnchorReference& reference, float item_left)
{
    return Resolve(anchor, kHorizontal,
        { reference.layout_width, reference.visible_left, reference.visible_right, item_left });
}

float ResolveAnchorY(QStringView anchor, const AnchorReference& reference, float item_top)
{
    return Resolve(anchor, kVertical,
        { reference.layout_height, reference.visible_top, reference.visible_bottom, item_top });
}

QString ConvertRelativeAnchor(int edge, const QString& field, const RelativeReference* reference)
{
    if (!reference || field.isEmpty())
        return field;
    edge = EdgeIndex(edge);
    if (field == u"0")
        return reference->anchors[size_t(edge)];
    const float number = ToFloat(QStringView(field).mid(1));
    const QRectF& bounds = reference->bounds;
    const QChar letter = field[0];
    if (IsHorizontal(edge)) {
        if (letter == u'L')
            return u'L' + FormatFixed(float(bounds.right()) + number);
        if (letter == u'R')
            return u'L' + FormatFixed(float(bounds.left()) - number);
    } else {
        if (letter == u'T')
            return u'T' + FormatFixed(float(bounds.bottom()) + number);
        // Measured down from the reference's top, as layouts written for it expect.
        if (letter == u'B')
            return u'T' + FormatFixed(float(bounds.top()) + number);
    }
    return field;
}

bool SetBoundsAsAnchors(Anchors& anchors, const QRectF& bounds)
{
    bool changed = Replace(anchors[0], u'L' + FormatGeneral(bounds.x()));
    changed |= Replace(anchors[1], u'T' + FormatGeneral(bounds.y()));
    changed |= Replace(anchors[2], u'L' + FormatGeneral(bounds.x() + bounds.width()));
    changed |= Replace(anchors[3], u'T' + FormatGeneral(bounds.y() + bounds.height()));
    return changed;
}

bool ApplyNaturalSize(Anchors& anchors, const QSizeF& image_size)
{
    bool changed = false;
    if (anchors[2].isEmpty()) {
        anchors[2] = u'W' + FormatFixed(image_size.width());
        changed = true;
    }
    if (anchors[3].isEmpty()) {
        anchors[3] = u'H' + FormatFixed(image_size.height());
        changed = true;
    }
    return changed;
}

Alignment AlignmentFromWord(QStringView word)
{
    if (word == u"R" || word == u"B")
        return Alignment::Far;
    if (word == u"C")
        return Alignment::Centre;
    return Alignment::Near;
}

AnchorParts SplitAnchor(int edge, QStringView anchor)
{
    edge = EdgeIndex(edge);
    const QChar default_letter = IsHorizontal(edge) ? u'L' : u'T';
    if (anchor.isEmpty())
        return { default_letter, QStringLiteral("0") };
    static const QString kLetters[4] = { QStringLiteral("LCR"), QStringLiteral("TCB"), QStringLiteral("LCRW"),
        QStringLiteral("TCBH") };
    const QChar first = anchor[0];
    return { kLetters[edge].contains(first) ? first : default_letter, anchor.mid(1).toString() };
}
