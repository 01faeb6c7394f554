#include "platform/TextCodec.h"

#include <QStringDecoder>

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <vector>

namespace {

constexpr char16_t kReplacement = 0xFFFD;
// UTF-16 in the host's byte order, the layout of QChar.
constexpr const char* kHostUtf16 = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "UTF-16LE" : "UTF-16BE";

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

bool HasUtf8ByteOrderMark(const QByteArray& bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF");
}

// Converts with glibc's table of code page 932. An invalid or cut-off sequence gives one
// replacement character for its first byte and the conversion goes on after it.
QString DecodeCodePage932(const QByteArray& bytes)
{
    iconv_t converter = iconv_open(kHostUtf16, "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return QString::fromLatin1(bytes);

    QString result;
    result.reserve(bytes.size());
    std::vector<char> output(4096);
    char* in = const_cast<char*>(bytes.constData());
    size_t in_left = static_cast<size_t>(bytes.size());
    while (in_left > 0) {
        char* out = output.data();
        size_t out_left = output.size();
        size_t converted = iconv(converter, &in, &in_left, &out, &out_left);
        int error = errno;
        result.append(reinterpret_cast<const QChar*>(output.data()), static_cast<qsizetype>((output.size() - out_left) / 2));
        if (converted != static_cast<size_t>(-1))
            break;
        if (error == E2BIG)
            continue;
        // EILSEQ or EINVAL: skip the offending byte.
        result.append(QChar(kReplacement));
        ++in;
        --in_left;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(converter);
    return result;
}

}

bool IsValidUtf8(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0; // overlong
            if (lead == 0xED)
                high = 0x9F; // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90; // overlong
            if (lead == 0xF4)
                high = 0x8F; // past U+10FFFF
        } else {
            return false;
        }
        if (size - i < length)
            return false;
        if (data[i + 1] < low || data[i + 1] > high)
            return false;
        for (int k = 2; k < length; ++k) {
            if (!IsContinuation(data[i + k]))
                return false;
        }
        i += length;
    }
    return true;
}

bool HasUtf16ByteOrderMark(const QByteArray& bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

QString DecodeTextBytes(const QByteArray& bytes)
{
    if (HasUtf16ByteOrderMark(bytes)) {
        // Qt's decoder takes the byte order from the mark and drops it; a lone byte left at the
        // end becomes a replacement character.
        QStringDecoder decoder(QStringDecoder::Utf16, QStringDecoder::Flag::Stateless);
        return decoder.decode(bytes);
    }
    if (IsValidUtf8(bytes)) {
        const qsizetype skip = HasUtf8ByteOrderMark(bytes) ? 3 : 0;
        return QString::fromUtf8(bytes.constData() + skip, bytes.size() - skip);
    }
    return DecodeCodePage932(bytes);
}

QByteArray EncodeTextUtf8(const QString& text)
{
    return text.toUtf8();
}
