#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The value forms shared by every reader and saver of section text: numbers, colours,
// named colours, plain comma lists and the escape form.

// Decimal conversions in the C locale: leading blanks are skipped, an optional sign and the
// digits (and for floats the fraction and exponent) up to the first character that cannot
// continue the number are taken. Text without a number gives 0.
int ToInt(QStringView text);
float ToFloat(QStringView text);
double ToDouble(QStringView text);
// The same form in extended precision, with every digit the text holds.
long double ToLongDouble(QStringView text);

// A 32-bit ARGB value scanned as hexadecimal: leading blanks, an optional "0x" or "0X",
// then hexadecimal digits of either case up to the first other character. No digit gives 0.
quint32 ScanColor(QStringView text);

// "0x" followed by lower-case hexadecimal without leading zeros.
QString FormatColor(quint32 argb);

// The opaque system colour a named colour word stands for, or nothing when the word is not
// one of "DefaultFaceColor", "DefaultShadowColor", "DefaultLightColor", "DefaultGrayColor".
std::optional<quint32> NamedColor(QStringView word);

// Cuts a value at every "," without quoting, escaping or trimming. An empty value has no
// fields; otherwise there is one field more than there are commas.
QStringList SplitPlainList(QStringView value);

// Resolves backslash escapes and drops unescaped double quotes.
QString Unescape(const QString& text);

// The character a backslash followed by letter stands for: n, r, t, a backslash or a double
// quote. Nothing for any other letter.
std::optional<QChar> EscapedCharacter(QChar letter);

// "%f" and "%g" of the C library, independent of the user's locale.
QString FormatFixed(double value);
QString FormatGeneral(double value);
// "%f" without the zeros that end its fraction, nor a point that ends up last: "942" for 942,
// "12.5" for 12.5; never an exponent. What a number field shows.
QString FormatShort(double value);
// "%.32Lg" of the C library: enough digits that ToLongDouble reads back the same value, and
// for a value that is a double, the digits "%.32g" gives it.
QString FormatExtended(long double value);
