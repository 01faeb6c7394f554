#include "text/ValueForms.h"

#include "platform/SystemColors.h"

#include <QVarLengthArray>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace {

bool IsBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || (u >= '\t' && u <= '\r');
}

bool IsDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

qsizetype SkipBlanks(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return i;
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

}

int ToInt(QStringView text)
{
    qsizetype i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Accumulated as a magnitude and clamped, so an overlong number saturates instead of
    // overflowing.
    constexpr qint64 kLimit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        magnitude = std::min(kLimit, magnitude * 10 + (text[i].unicode() - '0'));
    if (negative)
        return int(-magnitude);
    return int(std::min(magnitude, kLimit - 1));
}

namespace {

// Copies the longest prefix of the form [sign] digits [. digits] [e [sign] digits] with at
// least one mantissa digit, without its sign, to bytes. False when there is no such prefix.
bool NumberPrefix(QStringView text, QVarLengthArray<char, 64>& bytes, bool& negative)
{
    qsizetype i = SkipBlanks(text);
    negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const qsizetype start = i;
    qsizetype mantissa_digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++mantissa_digits;
    }
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++mantissa_digits;
        }
    }
    if (mantissa_digits == 0)
        return false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j]))
                ++j;
            i = j;
        }
    }
    bytes.resize(i - start + 1);
    for (qsizetype k = start; k < i; ++k)
        bytes[k - start] = char(text[k].unicode());
    bytes[i - start] = 0;
    return true;
}

locale_t CLocale()
{
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c_locale;
}

}

double ToDouble(QStringView text)
{
    QVarLengthArray<char, 64> bytes;
    bool negative = false;
    if (!NumberPrefix(text, bytes, negative))
        return 0;
    // The C library's conversion in the "C" locale gives the usual rounding, infinity on
    // overflow and zero on underflow, whatever locale the application runs in.
    const double value = strtod_l(bytes.data(), nullptr, CLocale());
    return negative ? -value : value;
}

long double ToLongDouble(QStringView text)
{
    QVarLengthArray<char, 64> bytes;
    bool negative = false;
    if (!NumberPrefix(text, bytes, negative))
        return 0;
    const long double value = strtold_l(bytes.data(), nullptr, CLocale());
    return negative ? -value : value;
}

float ToFloat(QStringView text)
{
    return float(ToDouble(text));
}

quint32 ScanColor(QStringView text)
{
    qsizetype i = SkipBlanks(text);
    if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X'))
        i += 2;
    // More than eight digits keep the low 32 bits.
    quint32 value = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0)
            break;
        value = (value << 4) | quint32(digit);
    }
    return value;
}

QString FormatColor(quint32 argb)
{
    return QStringLiteral("0x") + QString::number(argb, 16);
}

std::optional<quint32> NamedColor(QStringView word)
{
    if (word == u"DefaultFaceColor")
        return SystemColorArgb(SystemColor::ButtonFace);
    if (word == u"DefaultShadowColor" || word == u"DefaultGrayColor")
        return SystemColorArgb(SystemColor::ButtonShadow);
    if (word == u"DefaultLightColor")
        return SystemColorArgb(SystemColor::Light3D);
    return std::nullopt;
}

QStringList SplitPlainList(QStringView value)
{
    QStringList fields;
    if (value.isEmpty())
        return fields;
    qsizetype start = 0;
    for (;;) {
        const qsizetype comma = value.indexOf(u',', start);
        if (comma < 0) {
            fields.append(value.mid(start).toString());
            return fields;
        }
        fields.append(value.mid(start, comma - start).toString());
        start = comma + 1;
    }
}

std::optional<QChar> EscapedCharacter(QChar letter)
{
    switch (letter.unicode()) {
    case '"':
    case '\\':
        return letter;
    case 'n':
        return QChar(u'\n');
    case 'r':
        return QChar(u'\r');
    case 't':
        return QChar(u'\t');
    default:
        return std::nullopt;
    }
}

QString Unescape(const QString& text)
{
    if (!text.contains(u'"') && !text.contains(u'\\'))
        return text;
    QString result;
    result.reserve(text.size());
    bool escape_pending = false;
    for (QChar c : text) {
        if (escape_pending) {
            escape_pending = false;
            if (const std::optional<QChar> escaped = EscapedCharacter(c)) {
                result += *escaped;
            } else {
                result += u'\\';
                result += c;
            }
        } else if (c == u'\\') {
            escape_pending = true;
        } else if (c != u'"') {
            result += c;
        }
    }
    return result;
}

QString FormatFixed(double value)
{
    return QString::asprintf("%f", value);
}

QString FormatGeneral(double value)
{
    return QString::asprintf("%g", value);
}

QString FormatShort(double value)
{
    QString text = FormatFixed(value);
    if (!text.contains(u'.'))
        return text;
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString FormatExtended(long double value)
{
    // Qt's formatting goes through double; the C library's keeps every bit. The locale is the
    // thread's own while it lasts.
    const locale_t previous = uselocale(CLocale());
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.32Lg", value);
    uselocale(previous);
    return QString::fromLatin1(buffer);
}
