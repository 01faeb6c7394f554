#pragma once

#include "items/PlacedItem.h"
#include "text/PositionAnchors.h"

#include <QSizeF>

#include <optional>

class QFont;
class QPaintDevice;

// What a text that does not fit its box at its font does.
enum class TextFit {
    // Drawn smaller, down to three quarters of its size, and beyond that cut short with "…"
    // at the end of each line: captions and fields show whole where they can.
    Shrink,
    // Drawn at its size and cut off by the box: the page's texts, which the user sizes.
    Clip,
};

// A block of text in the item's rectangle: aligned both ways, wrapped at word boundaries
// unless told not to, optionally bold and outlined. Buttons, check boxes and the page's text
// notes draw their texts with it. A text that wraps beyond its box, or a line wider than a box
// it may not wrap in, does not fit; what it does then is its fit.
class Text : public PlacedItem {
public:
    ItemDescription Describe() const override;
    explicit Text(Canvas& canvas);

    bool SetProperty(const QString& key, const QString& value) override;
    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool GetProperty(const QString& key, QString& value) const override;
    bool Save(QString& section, QString& options, SaveMode mode) const override;

    // The size in points a draw uses: the font size, or the item's height times the relative
    // size while the font size is below 1; truncated.
    static int PointSize(int font_size, float relative_size, float height);
    // Fonts whose line spacing is 1.25 em or more are drawn at nine tenths of the size, so
    // that tall-lined faces fit the layouts.
    static int ReducedPointSize(int points, double line_spacing_ratio);
    // The letter that reads back as the alignment: near, "C" or far.
    static QChar AlignmentLetter(Alignment alignment, QChar near, QChar far);
    // The smallest share of its size a text that does not fit is drawn at.
    static constexpr double kSmallestShrink = 0.75;

    void SetFit(TextFit fit) { m_fit = fit; }
    TextFit Fit() const { return m_fit; }
    // Whether the text fits its box at its own size, measured for a device (the screen's
    // resolution when none is given).
    bool FitsAtItsSize(const QPaintDevice* device = nullptr) const;
    // The size the text takes at its font with no wrapping but at its line breaks: the widest
    // line and the height of all lines, outline included, in page units.
    QSizeF NaturalSize() const;

    const QString& GetText() const { return m_text; }
    const QString& FontName() const { return m_font_name; }
    quint32 Color() const { return m_color; }
    int FontSize() const { return m_font_size; }
    float RelativeSize() const { return m_relative_size; }
    Alignment HorizontalAlignment() const { return m_horizontal; }
    Alignment VerticalAlignment() const { return m_vertical; }
    bool NoWrap() const { return m_no_wrap; }
    bool Bold() const { return m_bold; }
    int OutlineSize() const { return m_outline_size; }
    quint32 OutlineColor() const { return m_outline_color; }

    bool SetText(const QString& text);
    bool SetFontName(const QString& name);
    bool SetFontSize(int points);
    // A size that follows the item's height: the fraction of it, with the font size 0.
    bool SetRelativeFontSize(float fraction);
    bool SetColor(quint32 argb);
    bool SetAlignment(Alignment horizontal, Alignment vertical);
    bool SetNoWrap(bool no_wrap);
    bool SetBold(bool bold);
    bool SetOutline(int size, quint32 argb);

private:
    bool ReadFont(const KeyValueStore& store);
    // The size field of the "Font" key: points, or the relative size as a percentage.
    QString FontSizeText() const;
    // The font a draw uses on a device of the resolution; none when the size is nothing.
    std::optional<QFont> DrawingFont(int device_dpi) const;
    QFont MakeFont(bool family_found, int points, float dots_per_inch, int device_dpi) const;
    int TextFlags() const;
    bool Fits(const QFont& font, const QString& text, int flags, const QPaintDevice* device) const;
    QFont Shrunk(QFont font, const QString& text, int flags, const QPaintDevice* device) const;
    bool DrawOutlined(QPainter& painter, const QFont& font);
    bool DrawPlain(QPainter& painter, QFont font);

    QString m_text;
    QString m_font_name;
    quint32 m_color { 0xff000000 };
    int m_font_size { 10 };
    float m_relative_size { 0 };
    Alignment m_horizontal { Alignment::Near };
    Alignment m_vertical { Alignment::Near };
    bool m_no_wrap { false };
    bool m_bold { false };
    int m_outline_size { 0 };
    quint32 m_outline_color { 0xffffffff };
    TextFit m_fit { TextFit::Shrink };
};
