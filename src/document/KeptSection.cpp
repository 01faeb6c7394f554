#include "document/KeptSection.h"

#include "document/NoteSchema.h"
#include "items/Canvas.h"
#include "platform/Paths.h"
#include "text/ValueForms.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>

namespace {

constexpr QStringView kLineEnd = u"\r\n";

// The frame of an unread image: a pale field, its edge and both diagonals, and the file's name.
constexpr QRgb kPlaceholderField = 0xFFE8E8E8;
constexpr QRgb kPlaceholderLines = 0xFF707070;
constexpr QRgb kPlaceholderText = 0xFF202020;
// In screen pixels, at any zoom.
constexpr qreal kLineWidth = 2;
constexpr qreal kTextPixels = 13;
constexpr qreal kTextMargin = 4;

}

KeptSection::KeptSection(Canvas& canvas, QStringView source)
    : PlacedItem(canvas)
    , m_source(source.toString())
{
    // The page text writes one empty line after every section; the source's own last empty
    // line stands for it. A source without one (the last section of a page cut by an older
    // version) gets its last line ended.
    if (m_source.endsWith(u"\r\n\r\n"))
        m_source.chop(kLineEnd.size());
    else if (!m_source.endsWith(kLineEnd))
        m_source += kLineEnd;
}

void KeptSection::ShowAsUnreadImage(const KeyValueStore& store)
{
    m_unread_image = true;
    m_image_path = NoteSchema::ImageFileOf(store);
    PlacedItem::ReadSection(store);
    // An image item takes its size from the image, which is not there.
    if (GetAnchors()[kRight].isEmpty())
        SetAnchor(kRight, QStringLiteral("W") + FormatFixed(kPlaceholderWidth));
    if (GetAnchors()[kBottom].isEmpty())
        SetAnchor(kBottom, QStringLiteral("H") + FormatFixed(kPlaceholderHeight));
}

bool KeptSection::Draw(QPainter& painter, const QRectF& clip)
{
    // Pictures written to files (exports) leave the gap as the page; the missing picture is
    // named beside them instead.
    if (!m_unread_image || GetCanvas().GetPictureDecoding() == PictureDecoding::Wait || !GetBounds().intersects(clip))
        return false;
    DrawPlaceholder(painter);
    return true;
}

void KeptSection::DrawPlaceholder(QPainter& painter) const
{
    const QRectF bounds = GetBounds();
    if (bounds.width() <= 0 || bounds.height() <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(bounds, QColor::fromRgba(kPlaceholderField));
    // Lines and text keep their size on screen whatever the zoom.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal scale = std::max<qreal>(painter.deviceTransform().m11() / ratio, 1e-3);
    QPen pen(QColor::fromRgba(kPlaceholderLines));
    pen.setWidthF(kLineWidth / scale);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    const qreal inset = pen.widthF() / 2;
    const QRectF frame = bounds.adjusted(inset, inset, -inset, -inset);
    painter.drawRect(frame);
    painter.drawLine(frame.topLeft(), frame.bottomRight());
    painter.drawLine(frame.topRight(), frame.bottomLeft());

    const QString name = NameOf(NormalizeSeparators(m_image_path));
    QFont font = painter.font();
    font.setPixelSize(std::max(1, qRound(kTextPixels / scale)));
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const qreal margin = kTextMargin / scale;
    const QString shown = metrics.elidedText(name, Qt::ElideMiddle, std::max<qreal>(0, bounds.width() - 4 * margin));
    if (!shown.isEmpty()) {
        QRectF label(0, 0, metrics.horizontalAdvance(shown) + 2 * margin, metrics.height() + margin);
        label.moveCenter(bounds.center());
        label = label.intersected(bounds);
        painter.fillRect(label, QColor::fromRgba(kPlaceholderField));
        painter.setPen(QColor::fromRgba(kPlaceholderText));
        painter.drawText(label, Qt::AlignCenter | Qt::TextSingleLine, shown);
    }
    painter.restore();
}

bool KeptSection::Save(QString& section, QString&, SaveMode mode) const
{
    if (mode != SaveMode::Persistent)
        return false;
    section += m_source;
    return true;
}

void KeptSection::RemoveFromPage()
{
    GetCanvas().RemoveAsChange(this);
}
