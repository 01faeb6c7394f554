#include "items/ImageFileReaderColour.h"

#include "items/ImageDecoder.h"
#include "items/ImageFileReaderReduction.h"

#include <QColorTransform>
#include <QFile>
#include <QRgb>

#include <lcms2.h>

#include <array>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

constexpr char kIccSignature[] = "ICC_PROFILE"; // followed by a zero byte
constexpr int kIccHeader = 14;                 // signature, zero, sequence number, count
constexpr unsigned char kMarkerStart = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kStartOfScan = 0xDA;
constexpr unsigned char kEndOfImage = 0xD9;
constexpr unsigned char kApp2 = 0xE2;

// The colours whose conversion decides whether a profile is sRGB in all but name: the corners
// of the colour cube and a few colours between.
constexpr std::array<QRgb, 14> kProbeColours = {
    0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF,
    0xFFFF00FF, 0xFF808080, 0xFF404040, 0xFFC0C0C0, 0xFFC08040, 0xFF4080C0, 0xFF20A060,
};

bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 1 && std::abs(qGreen(a) - qGreen(b)) <= 1 && std::abs(qBlue(a) - qBlue(b)) <= 1;
}

bool IsStandalone(unsigned char marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

// Collects the chunks of an ICC profile by sequence number; a profile with a chunk missing,
// doubled or out of range is not used.
class IccChunks {
public:
    void Add(const QByteArray& payload)
    {
        if (payload.size() < kIccHeader || !payload.startsWith(QByteArray(kIccSignature, sizeof kIccSignature)))
            return;
        const int sequence = static_cast<unsigned char>(payload[12]);
        const int count = static_cast<unsigned char>(payload[13]);
        if (m_count == 0)
            m_count = count;
        if (count != m_count || sequence < 1 || sequence > count || m_chunks.count(sequence) != 0) {
            m_broken = true;
            return;
        }
        m_chunks[sequence] = payload.mid(kIccHeader);
    }

    QByteArray Joined() const
    {
        if (m_broken || m_count == 0 || int(m_chunks.size()) != m_count)
            return {};
        QByteArray profile;
        for (const auto& [sequence, chunk] : m_chunks)
            profile += chunk;
        return profile;
    }

private:
    std::map<int, QByteArray> m_chunks;
    int m_count { 0 };
    bool m_broken { false };
};

// Walks the segments before the compressed data: reads the marker at `position`, answers
// the segment's payload when it is APP2 and moves on. False at the start of the scan, at the
// end of the data or at anything that is not a segment.
template <typename ReadFunction>
QByteArray ReadJpegIcc(ReadFunction read)
{
    const QByteArray start = read(0, 2);
    if (start.size() != 2 || static_cast<unsigned char>(start[0]) != kMarkerStart
        || static_cast<unsigned char>(start[1]) != kStartOfImage)
        return {};
    IccChunks chunks;
    qint64 position = 2;
    for (;;) {
        const QByteArray marker = read(position, 2);
        if (marker.size() != 2 || static_cast<unsigned char>(marker[0]) != kMarkerStart)
            break;
        const unsigned char kind = static_cast<unsigned char>(marker[1]);
        if (kind == kMarkerStart) { // fill byte
            ++position;
            continue;
        }
        if (kind == kStartOfScan || kind == kEndOfImage)
            break;
        if (IsStandalone(kind)) {
            position += 2;
            continue;
        }
        const QByteArray length_bytes = read(position + 2, 2);
        if (length_bytes.size() != 2)
            break;
        const int length = (static_cast<unsigned char>(length_bytes[0]) << 8) | static_cast<unsigned char>(length_bytes[1]);
        if (length < 2)
            break;
        if (kind == kApp2)
            chunks.Add(read(position + 4, length - 2));
        position += 2 + length;
    }
    return chunks.Joined();
}

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;
using Transform = std::unique_ptr<void, TransformDeleter>;

}

QImage ImageFileReaderColour::ForDrawing(QImage decoded, QSize size, const QColorSpace& space)
{
    if (decoded.isNull())
        return decoded;
    if (ImageFileReaderReduction::Applies(decoded, size))
        decoded = ImageFileReaderReduction::Reduce(decoded, size);
    else if (size.isValid() && !size.isEmpty() && size != decoded.size())
        decoded = decoded.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    decoded = ImageDecoder::PrepareForDrawing(std::move(decoded));
    ToSrgb(decoded, space);
    return decoded;
}

bool ImageFileReaderColour::IsSrgb(const QColorSpace& space)
{
    static const QColorSpace srgb(QColorSpace::SRgb);
    if (!space.isValid() || space == srgb)
        return true;
    const QColorTransform transform = space.transformationToColorSpace(srgb);
    for (const QRgb colour : kProbeColours) {
        if (!Near(transform.map(colour), colour))
            return false;
    }
    return true;
}

void ImageFileReaderColour::ToSrgb(QImage& image, const QColorSpace& space)
{
    if (image.isNull() || IsSrgb(space))
        return;
    image.setColorSpace(space);
    image.convertToColorSpace(QColorSpace::SRgb);
}

void ImageFileReaderColour::ToSrgb(QImage& image, const QByteArray& icc_profile)
{
    if (image.isNull() || icc_profile.isEmpty())
        return;
    const QColorSpace space = QColorSpace::fromIccProfile(icc_profile);
    if (space.isValid())
        ToSrgb(image, space);
    else
        ToSrgbWithLcms(image, icc_profile);
}

bool ImageFileReaderColour::ToSrgbWithLcms(QImage& image, const QByteArray& icc_profile)
{
    const Profile source(cmsOpenProfileFromMem(icc_profile.constData(), cmsUInt32Number(icc_profile.size())));
    if (!source || cmsGetColorSpace(source.get()) != cmsSigRgbData)
        return false;
    const Profile srgb(cmsCreate_sRGBProfile());
    if (!srgb)
        return false;
    const bool premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;
    if (!premultiplied && image.format() != QImage::Format_RGB32)
        return false;
    // The drawing formats hold one 32-bit value per pixel, blue in the lowest byte.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    const cmsUInt32Number format = premultiplied ? TYPE_BGRA_8_PREMUL : TYPE_BGRA_8;
#else
    const cmsUInt32Number format = premultiplied ? TYPE_ARGB_8_PREMUL : TYPE_ARGB_8;
#endif
    // Colorimetric, as Qt converts the profiles it reads, so that both roads agree.
    const Transform transform(
        cmsCreateTransform(source.get(), format, srgb.get(), format, INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_COPY_ALPHA));
    if (!transform)
        return false;
    uchar* bits = image.bits();
    if (!bits)
        return false;
    const auto stride = cmsUInt32Number(image.bytesPerLine());
    cmsDoTransformLineStride(transform.get(), bits, bits, cmsUInt32Number(image.width()), cmsUInt32Number(image.height()),
                             stride, stride, 0, 0);
    image.setColorSpace(QColorSpace::SRgb);
    return true;
}

QByteArray ImageFileReaderColour::JpegIccProfile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadJpegIcc([&file](qint64 position, qint64 count) {
        return file.seek(position) ? file.read(count) : QByteArray();
    });
}

QByteArray ImageFileReaderColour::JpegIccProfile(const QByteArray& jpeg)
{
    return ReadJpegIcc([&jpeg](qint64 position, qint64 count) {
        return position >= 0 && position <= jpeg.size() ? jpeg.mid(position, count) : QByteArray();
    });
}
