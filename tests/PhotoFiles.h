#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <lcms2.h>

#include <cstring>

#include <gtest/gtest.h>

// Photographs as cameras and phones write them, made by the tests themselves: JPEG files with
// an EXIF orientation or an embedded colour profile, and HEIC, AVIF and JPEG XL files made by
// the Debian tools.
namespace PhotoFiles {

// A picture whose four quarters have four colours, so that any turn or mirroring shows.
inline QImage Quarters(QSize size, QColor top_left = Qt::red, QColor top_right = Qt::green,
                       QColor bottom_left = Qt::blue, QColor bottom_right = Qt::white)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int half_width = size.width() / 2;
    const int half_height = size.height() / 2;
    painter.fillRect(0, 0, half_width, half_height, top_left);
    painter.fillRect(half_width, 0, size.width() - half_width, half_height, top_right);
    painter.fillRect(0, half_height, half_width, size.height() - half_height, bottom_left);
    painter.fillRect(half_width, half_height, size.width() - half_width, size.height() - half_height, bottom_right);
    return image;
}

inline QByteArray JpegBytes(const QImage& image, int quality = 95)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image));
    return bytes;
}

// One marker segment put right after the start-of-image marker.
inline QByteArray WithSegment(QByteArray jpeg, unsigned char marker, const QByteArray& payload)
{
    const int length = int(payload.size()) + 2;
    QByteArray segment;
    segment += char(0xFF);
    segment += char(marker);
    segment += char(length >> 8);
    segment += char(length & 0xFF);
    segment += payload;
    jpeg.insert(2, segment);
    return jpeg;
}

// The EXIF segment of a photograph that records only its orientation (1 to 8).
inline QByteArray WithOrientation(const QByteArray& jpeg, int orientation)
{
    QByteArray exif("Exif\0\0", 6);
    // Little-endian TIFF header, one directory at offset 8 with one entry: tag 0x0112, type
    // SHORT, count 1, the value, then no next directory.
    const char tiff[] = { 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0,
                          char(orientation), 0, 0, 0, 0, 0, 0, 0 };
    exif += QByteArray(tiff, sizeof tiff);
    return WithSegment(jpeg, 0xE1, exif);
}

// An ICC profile split into the APP2 segments a JPEG carries it in.
inline QByteArray WithProfile(QByteArray jpeg, const QByteArray& profile)
{
    constexpr int kChunk = 60000;
    const int count = int((profile.size() + kChunk - 1) / kChunk);
    // Inserted last chunk first, so they end up in order.
    for (int index = count - 1; index >= 0; --index) {
        QByteArray payload("ICC_PROFILE\0", 12);
        payload += char(index + 1);
        payload += char(count);
        payload += profile.mid(index * kChunk, kChunk);
        jpeg = WithSegment(jpeg, 0xE2, payload);
    }
    return jpeg;
}

inline QString Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
    return path;
}

// Runs one of the Debian encoders (heif-enc, cjxl) on a PNG of the image; the path of what it
// wrote, or empty when it failed.
inline QString Encode(const QImage& image, const QString& program, const QStringList& arguments_before,
                      const QString& output)
{
    const QString source = output + QStringLiteral(".source.png");
    EXPECT_TRUE(image.save(source));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QStringList arguments = arguments_before;
    if (program == QLatin1String("heif-enc"))
        arguments << source << QStringLiteral("-o") << output;
    else
        arguments << source << output;
    process.start(program, arguments);
    const bool ran = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    EXPECT_TRUE(ran) << program.toStdString() << ": " << process.readAll().toStdString();
    QFile::remove(source);
    return ran && QFile::exists(output) ? output : QString();
}

inline QString Heic(const QImage& image, const QString& output)
{
    return Encode(image, QStringLiteral("heif-enc"), { QStringLiteral("-q"), QStringLiteral("90") }, output);
}

inline QString Avif(const QImage& image, const QString& output)
{
    return Encode(image, QStringLiteral("heif-enc"), { QStringLiteral("-A"), QStringLiteral("-q"), QStringLiteral("90") }, output);
}

inline QString Jxl(const QImage& image, const QString& output)
{
    return Encode(image, QStringLiteral("cjxl"), { QStringLiteral("-q"), QStringLiteral("95") }, output);
}

enum class ProfileKind {
    // Primaries and curves, as cameras write Adobe RGB: Qt reads these.
    Matrix,
    // The same colour space as a table (an A2B0 look-up table with a Lab connection space),
    // which Qt does not read.
    Table,
};

struct LcmsProfile {
    cmsHPROFILE handle;
    explicit LcmsProfile(cmsHPROFILE made)
        : handle(made)
    {
    }
    ~LcmsProfile()
    {
        if (handle)
            cmsCloseProfile(handle);
    }
    LcmsProfile(const LcmsProfile&) = delete;
    LcmsProfile& operator=(const LcmsProfile&) = delete;
};

// Adobe RGB (1998): its primaries, D65 white and a gamma of 563/256.
inline cmsHPROFILE AdobeRgbMatrix()
{
    const cmsCIExyY white { 0.3127, 0.3290, 1.0 };
    const cmsCIExyYTRIPLE primaries { { 0.64, 0.33, 1.0 }, { 0.21, 0.71, 1.0 }, { 0.15, 0.06, 1.0 } };
    cmsToneCurve* curve = cmsBuildGamma(nullptr, 563.0 / 256.0);
    cmsToneCurve* curves[3] = { curve, curve, curve };
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    return profile;
}

inline int SampleAdobeToLab(const cmsUInt16Number in[], cmsUInt16Number out[], void* transform)
{
    cmsDoTransform(transform, in, out, 1);
    return 1;
}

inline cmsHPROFILE AdobeRgbTable()
{
    const LcmsProfile matrix(AdobeRgbMatrix());
    const LcmsProfile lab(cmsCreateLab4Profile(nullptr));
    cmsHTRANSFORM to_lab = cmsCreateTransform(matrix.handle, TYPE_RGB_16, lab.handle, TYPE_Lab_16, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsStage* table = cmsStageAllocCLut16bit(nullptr, 33, 3, 3, nullptr);
    cmsStageSampleCLut16bit(table, SampleAdobeToLab, to_lab, 0);
    cmsDeleteTransform(to_lab);
    // A table profile's pipeline is curves, the table, curves; plain curves here.
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 3, 3);
    cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsPipelineInsertStage(pipeline, cmsAT_END, table);
    cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));

    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 4.3);
    cmsSetDeviceClass(profile, cmsSigInputClass);
    cmsSetColorSpace(profile, cmsSigRgbData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsWriteTag(profile, cmsSigAToB0Tag, pipeline);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsMLU* description = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(description, "en", "US", "Adobe RGB as a table");
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, description);
    cmsMLUfree(description);
    cmsPipelineFree(pipeline);
    return profile;
}

inline QByteArray ProfileBytes(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    if (!cmsSaveProfileToMem(profile, nullptr, &size) || size == 0)
        return {};
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    return bytes;
}

inline QByteArray AdobeRgbProfile(ProfileKind kind)
{
    const LcmsProfile profile(kind == ProfileKind::Matrix ? AdobeRgbMatrix() : AdobeRgbTable());
    return ProfileBytes(profile.handle);
}

// The values an sRGB colour has in Adobe RGB: what a camera set to Adobe RGB writes for it.
inline QColor InAdobeRgb(QColor srgb_colour)
{
    const LcmsProfile srgb(cmsCreate_sRGBProfile());
    const LcmsProfile adobe(AdobeRgbMatrix());
    cmsHTRANSFORM transform = cmsCreateTransform(srgb.handle, TYPE_RGB_8, adobe.handle, TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC, 0);
    const unsigned char in[3] = { uchar(srgb_colour.red()), uchar(srgb_colour.green()), uchar(srgb_colour.blue()) };
    unsigned char out[3] = {};
    cmsDoTransform(transform, in, out, 1);
    cmsDeleteTransform(transform);
    return QColor(out[0], out[1], out[2]);
}

// A JPEG of one colour given in Adobe RGB values, carrying the profile.
inline QByteArray AdobeRgbJpeg(QColor srgb_colour, ProfileKind kind, QSize size = QSize(64, 48))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(InAdobeRgb(srgb_colour));
    return WithProfile(JpegBytes(image, 100), AdobeRgbProfile(kind));
}

// Whether two images hold the same pixels, whatever colour space they are tagged with.
inline bool SamePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    for (int y = 0; y < a.height(); ++y) {
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.bytesPerLine())) != 0)
            return false;
    }
    return true;
}

inline testing::AssertionResult Near(QColor actual, QColor expected, int tolerance)
{
    if (std::abs(actual.red() - expected.red()) <= tolerance && std::abs(actual.green() - expected.green()) <= tolerance
        && std::abs(actual.blue() - expected.blue()) <= tolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "got " << actual.name().toStdString() << " (" << actual.red() << ","
                                       << actual.green() << "," << actual.blue() << "), expected "
                                       << expected.name().toStdString() << " within " << tolerance;
}

}
