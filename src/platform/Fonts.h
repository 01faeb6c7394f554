#pragma once

#include <QChar>
#include <QString>

// The desktop's general font family, the default face of widgets and note items.
QString IconFontFace();
// The installed font families joined with ",".
QString InstalledFontFamilies();
// The text standing for a glyph of the "Webdings" symbol font, which does not exist here:
// "a" is a check mark, "6" a down-pointing triangle; other characters stay as they are.
QString MapSymbolGlyph(QChar glyph);
// The pixel height of a font of the given size in tenths of a point at the given dots per inch.
int PointFontPixelHeight(int tenths_of_point, int dots_per_inch);
