#include "LayoutFixture.h"

#include "platform/Fonts.h"
#include "widgets/Text.h"

namespace {

const QString kWhiteBackground = QStringLiteral("[Brush]\nPos=L0,T0,R0,B0\nColor=0xffffffff\n");

bool IsDark(QRgb pixel)
{
    return qRed(pixel) < 96 && qGreen(pixel) < 96 && qBlue(pixel) < 96;
}

bool IsReddish(QRgb pixel)
{
    return qRed(pixel) > 160 && qGreen(pixel) < 120 && qBlue(pixel) < 120;
}

class TextTest : public LayoutFixture {
protected:
    // Renders one Text widget over white and returns the whole picture.
    QImage RenderText(const QString& keys)
    {
        Load(kWhiteBackground + QStringLiteral("[Text]\n") + keys);
        return Render();
    }

    Text* Widget() { return ItemAs<Text>(GetCanvas().ItemCount() - 1); }
};

TEST_F(TextTest, AlignmentPlacesTheInk)
{
    const struct {
        const char* align;
        int horizontal; // 0 near, 1 centre, 2 far
        int vertical;
    } rows[] = {
        { "L,T", 0, 0 },
        { "C,C", 1, 1 },
        { "R", 2, 0 },
        { "R,B", 2, 2 },
        { "X,C", 0, 1 },
    };
    for (const auto& row : rows) {
        GetCanvas().Clear();
        const QRect box(20, 20, 160, 60);
        const QImage image = RenderText(QStringLiteral("Pos=L20,T20,W160,H60\nFont=12,IPAGothic\nText=MM\nAlign=%1\n").arg(QLatin1String(row.align)));
        const QRect ink = InkBounds(image, box, kWhite);
        ASSERT_FALSE(ink.isEmpty()) << row.align;
        const int left_gap = ink.left() - box.left();
        const int right_gap = box.right() - ink.right();
        const int top_gap = ink.top() - box.top();
        const int bottom_gap = box.bottom() - ink.bottom();
        switch (row.horizontal) {
        case 0:
            EXPECT_LT(left_gap, 4) << row.align;
            break;
        case 1:
            EXPECT_NEAR(left_gap, right_gap, 3) << row.align;
            break;
        case 2:
            EXPECT_LT(right_gap, 4) << row.align;
            break;
        }
        switch (row.vertical) {
        case 0:
            EXPECT_LT(top_gap, 8) << row.align;
            break;
        case 1:
            EXPECT_NEAR(top_gap, bottom_gap, 6) << row.align;
            break;
        case 2:
            EXPECT_LT(bottom_gap, 8) << row.align;
            break;
        }
    }
}

TEST_F(TextTest, BoldDrawsHeavierStrokes)
{
    const QRect box(0, 0, 200, 40);
    const QImage regular = RenderText(QStringLiteral("Pos=L0,T0,W200,H40\nFont=14,IPAGothic\nText=HHHH\n"));
    GetCanvas().Clear();
    const QImage bold = RenderText(QStringLiteral("Pos=L0,T0,W200,H40\nFont=14,IPAGothic\nText=HHHH\nOption=Bold\n"));
    const int regular_ink = CountPixels(regular, box, IsDark);
    const int bold_ink = CountPixels(bold, box, IsDark);
    EXPECT_GT(regular_ink, 0);
    EXPECT_GT(bold_ink, regular_ink * 11 / 10);
}

TEST_F(TextTest, OutlineSurroundsTheGlyphsInItsColour)
{
    const QRect box(10, 10, 180, 60);
    RenderText(QStringLiteral("Pos=L10,T10,W180,H60\nFont=24,IPAGothic\nText=HI\nAlign=C,C\n"));
    EXPECT_EQ(CountPixels(Render(), box, IsReddish), 0);

    ASSERT_TRUE(Widget()->SetProperty(QStringLiteral("OutlineSize"), QStringLiteral("4")));
    ASSERT_TRUE(Widget()->SetProperty(QStringLiteral("OutlineColor"), QString::number(static_cast<qint32>(0xffff0000))));
    const QImage image = Render();
    const QRect glyphs = InkBounds(image, box, kWhite);
    const int red = CountPixels(image, box, IsReddish);
    const int dark = CountPixels(image, box, IsDark);
    EXPECT_GT(red, 50);
    EXPECT_GT(dark, 50);

    // Outline pixels lie on all four sides of the dark glyph bodies.
    QRect dark_bounds;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (IsDark(image.pixel(x, y)))
                dark_bounds |= QRect(x, y, 1, 1);
    EXPECT_LT(glyphs.left(), dark_bounds.left());
    EXPECT_GT(glyphs.right(), dark_bounds.right());
    EXPECT_LT(glyphs.top(), dark_bounds.top());
    EXPECT_GT(glyphs.bottom(), dark_bounds.bottom());
    EXPECT_TRUE(IsReddish(image.pixel(glyphs.left(), glyphs.center().y())) || IsReddish(image.pixel(glyphs.left() + 1, glyphs.center().y())));
}

TEST_F(TextTest, SizeRules)
{
    const struct {
        int font_size;
        float relative;
        float height;
        int points;
    } sizes[] = {
        { 10, 0, 20, 10 },
        { 10, 0.5f, 20, 10 },
        { 0, 0.5f, 20, 10 },
        { 0, 0.5f, 25, 12 },
        { 0, 0, 20, 0 },
        { 0, 0.5f, -4, -2 },
    };
    for (const auto& row : sizes)
        EXPECT_EQ(Text::PointSize(row.font_size, row.relative, row.height), row.points) << row.font_size << " " << row.relative;

    const struct {
        int points;
        double ratio;
        int reduced;
    } reductions[] = {
        { 10, 1.25, 9 },
        { 8, 1.3, 7 },
        { 9, 2.0, 8 },
        { 10, 1.2499, 10 },
        { 10, 1.0, 10 },
    };
    for (const auto& row : reductions)
        EXPECT_EQ(Text::ReducedPointSize(row.points, row.ratio), row.reduced) << row.points << " " << row.ratio;
}

TEST_F(TextTest, FontValuesAndRelativeSizeDrawing)
{
    Load(QStringLiteral("[Text]\nFont=8\n[Text]\nFont=50%,IPAGothic\n[Text]\nFont=0,IPAGothic\n"));
    const Text* fixed = ItemAs<Text>(0);
    EXPECT_EQ(fixed->FontSize(), 8);
    EXPECT_EQ(fixed->FontName(), IconFontFace());
    const Text* relative = ItemAs<Text>(1);
    EXPECT_EQ(relative->FontSize(), 0);
    EXPECT_FLOAT_EQ(relative->RelativeSize(), 0.5f);
    // A size of 0 without "%" is not taken.
    EXPECT_EQ(ItemAs<Text>(2)->FontSize(), 10);

    // Half of a 20-high item is 10 points, the same as a fixed 10.
    GetCanvas().Clear();
    const QImage image = RenderText(QStringLiteral("Pos=L0,T0,W100,H20\nFont=50%,IPAGothic\nText=H\n[Text]\nPos=L100,T0,W100,H20\nFont=10,IPAGothic\nText=H\n"));
    const QRect half = InkBounds(image, QRect(0, 0, 100, 20), kWhite);
    const QRect fixed_ink = InkBounds(image, QRect(100, 0, 100, 20), kWhite);
    ASSERT_FALSE(half.isEmpty());
    EXPECT_EQ(half.height(), fixed_ink.height());
    EXPECT_EQ(half.width(), fixed_ink.width());
}

TEST_F(TextTest, EscapedLineBreaksAndWrappingMakeSeveralLines)
{
    const QImage image = RenderText(QStringLiteral("Pos=L0,T0,W200,H100\nFont=12,IPAGothic\nText=\u30b0\u30ea\u30c3\u30c9\\n\u5206\u5272\u6570\n"));
    EXPECT_EQ(Widget()->GetText(), QStringLiteral("\u30b0\u30ea\u30c3\u30c9\n\u5206\u5272\u6570"));
    // Two bands of ink with blank rows between them.
    std::vector<bool> inked_rows;
    for (int y = 0; y < 100; ++y)
        inked_rows.push_back(CountPixels(image, QRect(0, y, 200, 1), IsDark) > 0);
    int bands = 0;
    for (int y = 0; y < 100; ++y)
        bands += inked_rows[y] && (y == 0 || !inked_rows[y - 1]) ? 1 : 0;
    EXPECT_EQ(bands, 2);

    const QString long_text = QStringLiteral("Text=one two three four five six\n");
    GetCanvas().Clear();
    const QImage wrapped = RenderText(QStringLiteral("Pos=L0,T0,W60,H100\nFont=12,IPAGothic\n") + long_text);
    GetCanvas().Clear();
    const QImage single = RenderText(QStringLiteral("Pos=L0,T0,W60,H100\nFont=12,IPAGothic\nOption=NoWrap\n") + long_text);
    const QRect box(0, 0, 60, 100);
    EXPECT_GT(InkBounds(wrapped, box, kWhite).height(), 2 * InkBounds(single, box, kWhite).height());
}

TEST_F(TextTest, PropertiesRefuseBadValues)
{
    Text text(GetCanvas());
    const struct {
        const char* key;
        const char* value;
        bool changed;
    } steps[] = {
        { "FontSize", "0", false },
        { "FontSize", "12", true },
        { "FontSize", "12", false },
        { "OutlineSize", "-1", false },
        { "OutlineSize", "2", true },
        { "OutlineColor", "-1", false },
        { "OutlineColor", "-16777216", true },
        { "HAlign", "R", true },
        { "VAlign", "C", true },
        { "Color", "ff112233", true },
        { "NoWrap", "true", true },
        { "NoWrap", "True", true },
        { "FontName", "IPAGothic", true },
        { "Unknown", "x", false },
    };
    for (const auto& step : steps)
        EXPECT_EQ(text.SetProperty(QString::fromLatin1(step.key), QString::fromLatin1(step.value)), step.changed) << step.key << "=" << step.value;
    EXPECT_EQ(text.FontSize(), 12);
    EXPECT_EQ(text.OutlineSize(), 2);
    EXPECT_EQ(text.OutlineColor(), 0xff000000u);
    EXPECT_EQ(text.HorizontalAlignment(), Alignment::Far);
    EXPECT_EQ(text.VerticalAlignment(), Alignment::Centre);
    EXPECT_EQ(text.Color(), 0xff112233u);
    QString value;
    ASSERT_TRUE(text.GetProperty(QStringLiteral("NoWrap"), value));
    EXPECT_EQ(value, QStringLiteral("false"));
}

TEST_F(TextTest, SavedSectionReadsBackTheSame)
{
    Text original(GetCanvas());
    original.SetText(QStringLiteral("a\\b\r\nsecond \"line\""));
    original.SetFontSize(12);
    original.SetFontName(QStringLiteral("IPAGothic"));
    original.SetColor(0xff102030);
    original.SetNoWrap(true);
    original.SetAnchor(Item::kLeft, QStringLiteral("L5"));

    QString section;
    QString options;
    EXPECT_FALSE(original.Save(section, options, SaveMode::Plain));
    ASSERT_TRUE(original.Save(section, options, SaveMode::Persistent));
    EXPECT_EQ(section,
        QStringLiteral("[Text]\r\nText=a\\\\b\\r\\nsecond \\\"line\\\"\r\nFont=12,IPAGothic\r\nColor=0x102030\r\nPos=L5,,,\r\n")
            .replace(QLatin1String("0x102030"), QLatin1String("0xff102030")));
    EXPECT_EQ(options, QStringLiteral("NoWrap"));

    SectionDocument document;
    ParseSectionText(section + QStringLiteral("Option=") + options + QStringLiteral("\r\n"), document);
    Text copy(GetCanvas());
    copy.ReadSection(document.Store(0));
    // Double quotes survive: they are written escaped.
    EXPECT_EQ(copy.GetText(), original.GetText());
    EXPECT_EQ(copy.FontSize(), 12);
    EXPECT_EQ(copy.FontName(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(copy.Color(), 0xff102030u);
    EXPECT_TRUE(copy.NoWrap());
}

}
