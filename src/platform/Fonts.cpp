#include "platform/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

#include <cmath>

QString IconFontFace()
{
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QString InstalledFontFamilies()
{
    QStringList families = QFontDatabase::families();
    families.removeAll(QString());
    return families.join(QLatin1Char(','));
}

QString MapSymbolGlyph(QChar glyph)
{
    if (glyph == QLatin1Char('a'))
        return QString(QChar(0x2713)); // check mark
    if (glyph == QLatin1Char('6'))
        return QString(QChar(0x25BC)); // black down-pointing triangle
    return QString(glyph);
}

int PointFontPixelHeight(int tenths_of_point, int dots_per_inch)
{
    // A point is 1/72 inch; halves round away from zero.
    return static_cast<int>(std::lround(static_cast<double>(tenths_of_point) * dots_per_inch / 720.0));
}
