#include "widgets/Text.h"

#include "items/Canvas.h"
#include "platform/Fonts.h"
#include "text/KeyValueStore.h"
#include "text/ValueForms.h"
#include "widgets/Assign.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <cmath>

namespace {

constexpr float kPointsPerInch = 72;
// A box no text reaches the end of, for measuring a text on its own.
constexpr qreal kUnbounded = 1e6;
// How far past its box (in page units) a text may reach and still fit: what the measuring
// rounds.
constexpr qreal kFitTolerance = 0.5;

// Line breaks as written in layouts and notes (CR LF, or a lone CR or LF) become the one line
// separator the text engine breaks at.
QString WithLineSeparators(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    text.replace(u'\n', QChar::LineSeparator);
    return text;
}

double AlignmentFactor(Alignment alignment)
{
    switch (alignment) {
    case Alignment::Near:
        return 0;
    case Alignment::Centre:
        return 0.5;
    case Alignment::Far:
        return 1;
    }
    return 0;
}

double LineSpacingRatio(const QString& family, bool bold)
{
    // Measured at a large size, where hinting does not distort the proportions.
    constexpr int kProbePixels = 1000;
    QFont probe(family);
    probe.setBold(bold);
    probe.setPixelSize(kProbePixels);
    const QFontMetricsF metrics(probe);
    return metrics.lineSpacing() / kProbePixels;
}

int ResolutionOf(const QPaintDevice* device)
{
    const int dpi = device ? device->logicalDpiY() : 0;
    return dpi > 0 ? dpi : 96;
}

// Texts are measured as a back buffer draws them: on an image of 96 dots per inch.
const QImage& MeasuringDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        return image;
    }();
    return device;
}

// The text with each line cut short to the width, ending in "…" where it was cut.
QString Elided(const QString& text, const QFont& font, qreal width, const QPaintDevice* device)
{
    const QFontMetricsF metrics(font, device);
    QStringList lines = text.split(QChar::LineSeparator);
    for (QString& line : lines)
        line = metrics.elidedText(line, Qt::ElideRight, width);
    return lines.join(QChar::LineSeparator);
}

// The note file form of a text: backslashes doubled, double quotes escaped (reading drops a
// bare one), then each CR LF written as the escapes that reading undoes.
QString EscapedForSave(QString text)
{
    text.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    text.replace(QLatin1String("\""), QLatin1String("\\\""));
    text.replace(QLatin1String("\r\n"), QLatin1String("\\r\\n"));
    return text;
}

}

Text::Text(Canvas& canvas)
    : PlacedItem(canvas)
    , m_font_name(IconFontFace())
{
}

int Text::PointSize(int font_size, float relative_size, float height)
{
    if (font_size >= 1)
        return font_size;
    const double points = std::trunc(static_cast<double>(height) * relative_size);
    return std::isfinite(points) ? static_cast<int>(std::clamp(points, -1e6, 1e6)) : 0;
}

int Text::ReducedPointSize(int points, double line_spacing_ratio)
{
    return line_spacing_ratio >= 1.25 ? points * 9 / 10 : points;
}

bool Text::SetText(const QString& text)
{
    return Assign(m_text, text);
}

bool Text::SetFontName(const QString& name)
{
    return Assign(m_font_name, name);
}

bool Text::SetFontSize(int points)
{
    if (points < 1)
        return false;
    return Assign(m_font_size, points);
}

bool Text::SetColor(quint32 argb)
{
    return Assign(m_color, argb);
}

bool Text::SetAlignment(Alignment horizontal, Alignment vertical)
{
    const bool changed = Assign(m_horizontal, horizontal);
    return Assign(m_vertical, vertical) || changed;
}

bool Text::SetRelativeFontSize(float fraction)
{
    const bool changed = Assign(m_font_size, 0);
    return Assign(m_relative_size, fraction) || changed;
}

bool Text::SetNoWrap(bool no_wrap)
{
    return Assign(m_no_wrap, no_wrap);
}

bool Text::SetBold(bool bold)
{
    return Assign(m_bold, bold);
}

bool Text::SetOutline(int size, quint32 argb)
{
    if (size < 0)
        return false;
    const bool changed = Assign(m_outline_size, size);
    return Assign(m_outline_color, argb) || changed;
}

bool Text::SetProperty(const QString& key, const QString& value)
{
    const bool is_true = value == QLatin1String("true");
    if (key == QLatin1String("Text"))
        return SetText(value);
    if (key == QLatin1String("FontName"))
        return SetFontName(value);
    if (key == QLatin1String("FontSize"))
        return SetFontSize(ToInt(value));
    if (key == QLatin1String("HAlign"))
        return SetAlignment(AlignmentFromWord(value), m_vertical);
    if (key == QLatin1String("VAlign"))
        return SetAlignment(m_horizontal, AlignmentFromWord(value));
    if (key == QLatin1String("Color"))
        return SetColor(ScanColor(value));
    if (key == QLatin1String("NoWrap"))
        return SetNoWrap(is_true);
    if (key == QLatin1String("OutlineSize"))
        return SetOutline(ToInt(value), m_outline_color);
    // The colour comes as a signed decimal number: white is "-1".
    if (key == QLatin1String("OutlineColor"))
        return SetOutline(m_outline_size, static_cast<quint32>(ToInt(value)));
    return PlacedItem::SetProperty(key, value);
}

bool Text::GetProperty(const QString& key, QString& value) const
{
    if (key == QLatin1String("Text")) {
        value = m_text;
        return true;
    }
    if (key == QLatin1String("NoWrap")) {
        value = m_no_wrap ? QStringLiteral("true") : QStringLiteral("false");
        return true;
    }
    return PlacedItem::GetProperty(key, value);
}

bool Text::ReadSection(const KeyValueStore& store)
{
    const QString option_key = QStringLiteral("Option");
    bool changed = false;
    if (store.Contains(QStringLiteral("Text")))
        changed |= SetText(store.GetText(QStringLiteral("Text"), {}, Escape::Unescape));
    changed |= SetColor(store.GetColor(QStringLiteral("Color"), m_color));
    changed |= ReadFont(store);
    if (store.Contains(QStringLiteral("Align"))) {
        changed |= SetAlignment(AlignmentFromWord(store.GetListText(QStringLiteral("Align"), 0, QStringLiteral("L"))),
            AlignmentFromWord(store.GetListText(QStringLiteral("Align"), 1, QStringLiteral("T"))));
    }
    if (store.Contains(option_key)) {
        changed |= SetNoWrap(store.ListContains(option_key, QStringLiteral("NoWrap")));
        changed |= SetBold(store.ListContains(option_key, QStringLiteral("Bold")));
    }
    // The outline keys take the values of the properties of the same names.
    for (const QString& key : { QStringLiteral("OutlineSize"), QStringLiteral("OutlineColor") }) {
        if (store.Contains(key))
            changed |= SetProperty(key, store.GetText(key));
    }
    changed |= PlacedItem::ReadSection(store);
    return changed;
}

bool Text::ReadFont(const KeyValueStore& store)
{
    const QString key = QStringLiteral("Font");
    if (!store.Contains(key))
        return false;
    bool changed = false;
    const QString size = store.GetListText(key, 0);
    if (size.contains(u'%')) {
        // "50%" is half the item's height.
        changed |= Assign(m_font_size, 0);
        changed |= Assign(m_relative_size, static_cast<float>(ToInt(size)) / 100);
    } else {
        const int points = store.GetListInt(key, 0, 10);
        if (points > 0)
            changed |= Assign(m_font_size, points);
    }
    changed |= SetFontName(store.GetListText(key, 1, IconFontFace()));
    return changed;
}

// Everything the reader takes back is written: a relative size in its "%" form, and the
// alignment, bold and outline that a section can set.
bool Text::Save(QString& section, QString& options, SaveMode mode) const
{
    if (mode != SaveMode::Persistent)
        return false;
    const auto add_option = [&options](QLatin1String word) {
        if (!options.isEmpty())
            options += u',';
        options += word;
    };
    section += QLatin1String("[Text]\r\n");
    if (!m_text.isEmpty())
        section += QLatin1String("Text=") + EscapedForSave(m_text) + QLatin1String("\r\n");
    // Also with an empty name, which a section gave: leaving the line out would bring back the
    // default face and size at the next reading.
    section += QLatin1String("Font=") + FontSizeText() + u',' + m_font_name + QLatin1String("\r\n");
    section += QLatin1String("Color=") + FormatColor(m_color) + QLatin1String("\r\n");
    if (m_horizontal != Alignment::Near || m_vertical != Alignment::Near)
        section += QLatin1String("Align=") + AlignmentLetter(m_horizontal, u'L', u'R') + u','
            + AlignmentLetter(m_vertical, u'T', u'B') + QLatin1String("\r\n");
    if (m_outline_size > 0) {
        section += QLatin1String("OutlineSize=") + QString::number(m_outline_size) + QLatin1String("\r\n");
        section += QLatin1String("OutlineColor=") + QString::number(static_cast<qint32>(m_outline_color))
            + QLatin1String("\r\n");
    }
    if (m_no_wrap)
        add_option(QLatin1String("NoWrap"));
    if (m_bold)
        add_option(QLatin1String("Bold"));
    return PlacedItem::Save(section, options, SaveMode::Plain);
}

QString Text::FontSizeText() const
{
    if (m_font_size >= 1)
        return QString::number(m_font_size);
    return QString::number(std::lround(static_cast<double>(m_relative_size) * 100)) + u'%';
}

QChar Text::AlignmentLetter(Alignment alignment, QChar near, QChar far)
{
    switch (alignment) {
    case Alignment::Near:
        return near;
    case Alignment::Centre:
        return u'C';
    case Alignment::Far:
        return far;
    }
    return near;
}

bool Text::Draw(QPainter& painter, const QRectF& clip)
{
    const std::optional<QFont> font = DrawingFont(ResolutionOf(painter.device()));
    if (!font)
        return false;
    painter.save();
    const bool drawn = m_outline_size > 0 ? DrawOutlined(painter, *font) : DrawPlain(painter, *font);
    painter.restore();
    return drawn;
}

std::optional<QFont> Text::DrawingFont(int device_dpi) const
{
    int points = PointSize(m_font_size, m_relative_size, Height());
    const bool family_found = !m_font_name.isEmpty() && QFontDatabase::hasFamily(m_font_name);
    // Outlines are drawn at the full size.
    if (family_found && m_outline_size <= 0)
        points = ReducedPointSize(points, LineSpacingRatio(m_font_name, m_bold));
    // No font can be made at a size of nothing.
    if (points <= 0)
        return std::nullopt;
    return MakeFont(family_found, points, GetCanvas().ScreenDpi(), device_dpi);
}

// The em height is the size in points at the screen's resolution, in page units; a missing
// family falls back to the desktop's general sans-serif font.
QFont Text::MakeFont(bool family_found, int points, float dots_per_inch, int device_dpi) const
{
    QFont font = family_found ? QFont(m_font_name) : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setBold(m_bold);
    const double em = static_cast<double>(dots_per_inch) * points / kPointsPerInch;
    font.setPointSizeF(em * kPointsPerInch / device_dpi);
    return font;
}

bool Text::Fits(const QFont& font, const QString& text, int flags, const QPaintDevice* device) const
{
    const QRectF bounds = GetBounds();
    const QFontMetricsF metrics(font, device);
    const QRectF needed = metrics.boundingRect(bounds, flags, text);
    // The lines the text has of its own are its business; those that wrapping adds must fit.
    const QRectF own = metrics.boundingRect(QRectF(0, 0, kUnbounded, kUnbounded), flags & ~Qt::TextWordWrap, text);
    return needed.width() <= bounds.width() + kFitTolerance
        && needed.height() <= std::max(bounds.height(), own.height()) + kFitTolerance;
}

QFont Text::Shrunk(QFont font, const QString& text, int flags, const QPaintDevice* device) const
{
    const qreal size = font.pointSizeF();
    for (int percent = 95; percent > kSmallestShrink * 100; percent -= 5) {
        font.setPointSizeF(size * percent / 100);
        if (Fits(font, text, flags, device))
            return font;
    }
    font.setPointSizeF(size * kSmallestShrink);
    return font;
}

bool Text::FitsAtItsSize(const QPaintDevice* device) const
{
    if (!device)
        device = &MeasuringDevice();
    const std::optional<QFont> font = DrawingFont(ResolutionOf(device));
    return m_text.isEmpty() || !font || Fits(*font, WithLineSeparators(m_text), TextFlags(), device);
}

QSizeF Text::NaturalSize() const
{
    const QImage& device = MeasuringDevice();
    const std::optional<QFont> font = DrawingFont(ResolutionOf(&device));
    if (!font || m_text.isEmpty())
        return {};
    const QFontMetricsF metrics(*font, &device);
    const QRectF needed = metrics.boundingRect(QRectF(0, 0, kUnbounded, kUnbounded), Qt::AlignLeft | Qt::AlignTop,
        WithLineSeparators(m_text));
    // The outline's stroke reaches half its width past the glyphs on every side.
    return needed.size() + QSizeF(m_outline_size, m_outline_size);
}

int Text::TextFlags() const
{
    static constexpr Qt::AlignmentFlag kHorizontal[] = { Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight };
    static constexpr Qt::AlignmentFlag kVertical[] = { Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom };
    int flags = kHorizontal[static_cast<int>(m_horizontal)] | kVertical[static_cast<int>(m_vertical)];
    if (!m_no_wrap)
        flags |= Qt::TextWordWrap;
    return flags;
}

bool Text::DrawPlain(QPainter& painter, QFont font)
{
    QString text = WithLineSeparators(m_text);
    int flags = TextFlags();
    const QPaintDevice* device = painter.device();
    if (m_fit == TextFit::Shrink && !text.isEmpty() && !Fits(font, text, flags, device)) {
        font = Shrunk(font, text, flags, device);
        if (!Fits(font, text, flags, device)) {
            text = Elided(text, font, GetBounds().width(), device);
            flags &= ~Qt::TextWordWrap;
        }
    }
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(m_color));
    painter.drawText(GetBounds(), flags, text);
    return true;
}

// The glyph outlines are laid out line by line in the item's rectangle, stroked in the outline
// colour with round joins and then filled in the text colour, which covers the inner half of
// the stroke.
bool Text::DrawOutlined(QPainter& painter, const QFont& font)
{
    const QRectF bounds = GetBounds();
    const QString text = WithLineSeparators(m_text);
    QTextLayout layout(text, font, painter.device());
    QTextOption option;
    option.setWrapMode(m_no_wrap ? QTextOption::NoWrap : QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max<qreal>(bounds.width(), 0));
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();

    QPainterPath path;
    const qreal top = bounds.top() + (bounds.height() - height) * AlignmentFactor(m_vertical);
    for (int index = 0; index < layout.lineCount(); ++index) {
        const QTextLine line = layout.lineAt(index);
        QString line_text = text.mid(line.textStart(), line.textLength());
        while (!line_text.isEmpty() && (line_text.back() == QChar::LineSeparator || line_text.back().isSpace()))
            line_text.chop(1);
        const qreal left = bounds.left() + (bounds.width() - line.naturalTextWidth()) * AlignmentFactor(m_horizontal);
        path.addText(QPointF(left, top + line.y() + line.ascent()), font, line_text);
    }

    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor::fromRgba(m_outline_color), m_outline_size);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.strokePath(path, pen);
    painter.fillPath(path, QColor::fromRgba(m_color));
    return true;
}

ItemDescription Text::Describe() const
{
    return { ItemDescription::Role::StaticText, m_text };
}
