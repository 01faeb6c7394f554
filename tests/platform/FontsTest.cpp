#include "platform/Fonts.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

TEST(FontsTest, MapsTheSymbolGlyphsToUnicode)
{
    EXPECT_EQ(MapSymbolGlyph(QLatin1Char('a')), QString(QChar(0x2713)));
    EXPECT_EQ(MapSymbolGlyph(QLatin1Char('6')), QString(QChar(0x25BC)));
    EXPECT_EQ(MapSymbolGlyph(QLatin1Char('b')), QStringLiteral("b"));
}

TEST(FontsTest, PointSizesBecomePixelHeights)
{
    struct Row {
        int tenths;
        int dpi;
        int pixels;
    };
    const Row rows[] = {
        { 90, 96, 12 }, { 100, 96, 13 }, { 105, 96, 14 }, { 90, 72, 9 }, { 120, 144, 24 }, { 0, 96, 0 }, { 15, 96, 2 },
    };
    for (const Row& row : rows)
        EXPECT_EQ(PointFontPixelHeight(row.tenths, row.dpi), row.pixels) << row.tenths << "@" << row.dpi;
}

TEST(FontsTest, KnowsTheDesktopFontAndTheInstalledFamilies)
{
    EXPECT_FALSE(IconFontFace().isEmpty());
    const QString families = InstalledFontFamilies();
    ASSERT_FALSE(families.isEmpty());
    EXPECT_FALSE(families.split(QLatin1Char(',')).contains(QString()));
}

}
