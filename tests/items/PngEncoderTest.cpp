#include "items/ImageFileWriter.h"
#include "items/PngEncoder.h"

#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Pixels that neither compress to nothing nor repeat across bands: noise over gradients,
// with alpha (when the format has it) running through every value including 0 and 255.
QImage NoiseImage(QSize size, QImage::Format format)
{
    QImage image(size, QImage::Format_ARGB32);
    std::uint32_t state = 12345u + std::uint32_t(size.width() * 31 + size.height());
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            const int noise = int(state >> 27);
            image.setPixel(x, y, qRgba((x * 7 + noise) & 255, (y * 5 - noise) & 255, (x + y + (noise << 3)) & 255, (x * 13 + y * 3) & 255));
        }
    }
    return image.convertToFormat(format);
}

QImage Decode(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    return reader.read();
}

QByteArray Encode(const QImage& image, int band_count)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(PngEncoder::Write(image, buffer, band_count));
    return buffer.data();
}

// What Qt's own writer and reader make of the image: the pixels the file must give back.
QImage ThroughQt(const QImage& image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "png"));
    return Decode(buffer.data());
}

void ExpectSamePixels(const QImage& actual, const QImage& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage b = expected.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << a.pixel(x, y) << " != " << b.pixel(x, y);
                return;
            }
        }
    }
}

struct RoundTrip {
    QSize size;
    QImage::Format format;
    int band_count;
};

class PngEncoderRoundTripTest : public ::testing::TestWithParam<RoundTrip> { };

}

TEST_P(PngEncoderRoundTripTest, DecodesToThePixelsQtsWriterKeeps)
{
    const RoundTrip& row = GetParam();
    const QImage image = NoiseImage(row.size, row.format);
    const QImage back = Decode(Encode(image, row.band_count));
    ExpectSamePixels(back, ThroughQt(image));
    // Straight alpha and opaque colour come back exactly as they went in.
    if (row.format != QImage::Format_ARGB32_Premultiplied)
        ExpectSamePixels(back, image);
    EXPECT_EQ(back.hasAlphaChannel(), image.hasAlphaChannel());
}

INSTANTIATE_TEST_SUITE_P(Images, PngEncoderRoundTripTest,
    ::testing::Values(RoundTrip { { 1, 1 }, QImage::Format_RGB32, 0 }, RoundTrip { { 1, 1 }, QImage::Format_ARGB32, 4 },
        RoundTrip { { 1, 9 }, QImage::Format_ARGB32, 9 }, RoundTrip { { 17, 1 }, QImage::Format_RGB888, 3 },
        RoundTrip { { 301, 157 }, QImage::Format_RGB32, 1 }, RoundTrip { { 301, 157 }, QImage::Format_RGB32, 7 },
        RoundTrip { { 301, 157 }, QImage::Format_ARGB32, 2 }, RoundTrip { { 299, 233 }, QImage::Format_ARGB32_Premultiplied, 3 },
        RoundTrip { { 640, 480 }, QImage::Format_RGB32, 0 }, RoundTrip { { 123, 45 }, QImage::Format_Grayscale8, 2 },
        RoundTrip { { 123, 45 }, QImage::Format_RGBA8888, 2 }, RoundTrip { { 64, 33 }, QImage::Format_RGB16, 2 }));

TEST(PngEncoderTest, OpaquePixelsAreWrittenWithoutAlpha)
{
    QImage page(200, 100, QImage::Format_ARGB32_Premultiplied);
    page.fill(QColor(10, 200, 30));
    page.setPixelColor(5, 5, QColor(255, 0, 0));
    const QByteArray bytes = Encode(page, 2);
    // The colour type in the header: 2 is RGB, 6 RGB with alpha.
    ASSERT_GT(bytes.size(), 26);
    EXPECT_EQ(bytes[25], 2);
    const QImage back = Decode(bytes);
    EXPECT_FALSE(back.hasAlphaChannel());
    ExpectSamePixels(back, page);

    page.setPixelColor(199, 99, QColor(0, 0, 0, 254));
    EXPECT_EQ(Encode(page, 2)[25], 6);
}

TEST(PngEncoderTest, KeepsTheResolution)
{
    QImage image = NoiseImage({ 40, 30 }, QImage::Format_RGB32);
    image.setDotsPerMeterX(11811);
    image.setDotsPerMeterY(5906);
    const QImage back = Decode(Encode(image, 0));
    EXPECT_EQ(back.dotsPerMeterX(), 11811);
    EXPECT_EQ(back.dotsPerMeterY(), 5906);
}

TEST(PngEncoderTest, LeavesDeepImagesToQt)
{
    EXPECT_FALSE(PngEncoder::Supports(QImage(4, 4, QImage::Format_RGBA64)));
    EXPECT_FALSE(PngEncoder::Supports(QImage(4, 4, QImage::Format_Grayscale16)));
    EXPECT_FALSE(PngEncoder::Supports(QImage()));
    EXPECT_TRUE(PngEncoder::Supports(QImage(4, 4, QImage::Format_Indexed8)));

    // A 16-bit image still reaches its file whole, through Qt's writer.
    QTemporaryDir dir;
    QImage deep(3, 2, QImage::Format_RGBA64);
    deep.fill(QColor::fromRgba64(1000, 20000, 65535, 30000));
    const QString path = dir.filePath("deep.png");
    ASSERT_EQ(ImageFileWriter::Write(deep, path), ImageFileWriter::Result::Written);
    EXPECT_EQ(QImage(path).pixelColor(1, 1).rgba64(), deep.pixelColor(1, 1).rgba64());
}

namespace {

// A device that takes a limited number of bytes and then refuses.
class FullDevice : public QIODevice {
public:
    explicit FullDevice(qint64 room)
        : m_room(room)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 length) override
    {
        if (length > m_room)
            return -1;
        m_room -= length;
        return length;
    }

private:
    qint64 m_room;
};

}

TEST(PngEncoderTest, ReportsADeviceThatStopsTakingBytes)
{
    const QImage image = NoiseImage({ 300, 200 }, QImage::Format_RGB32);
    for (qint64 room : { 0, 8, 40, 5000 }) {
        FullDevice device(room);
        EXPECT_FALSE(PngEncoder::Write(image, device, 2)) << room;
    }
}

TEST(PngEncoderTest, AFailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("page.png");
    const QImage small = NoiseImage({ 4, 4 }, QImage::Format_RGB32);
    ASSERT_EQ(ImageFileWriter::Write(small, path), ImageFileWriter::Result::Written);
    const QByteArray old_bytes = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_FALSE(old_bytes.isEmpty());

    ImageFileWriter::Result result;
    {
        const TestSupport::FileSizeLimit limit(4096);
        result = ImageFileWriter::Write(NoiseImage({ 400, 300 }, QImage::Format_RGB32), path);
    }
    EXPECT_EQ(result, ImageFileWriter::Result::WriteFailed);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old_bytes);
    // Nothing of the failed write stays behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "page.png" });
}
