#include "items/ImageDecoder.h"
#include "items/ImageFileReader.h"
#include "items/ImageFileReaderJpeg.h"
#include "PhotoFiles.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include <sys/stat.h>

using namespace PhotoFiles;

// Files whose header reads while their pixels do not come, and files that are no files at all:
// each is named with its reason, and none of them makes a reader wait.
namespace {

// A picture with detail everywhere, so that its coded data is long and every cut lands in it.
QImage Noisy(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(int(random() % 256), (x * 3) % 256, (y * 5) % 256));
    return image;
}

QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(QImageWriter(&buffer, format).write(image)) << format;
    return bytes;
}

QByteArray Half(const QByteArray& bytes)
{
    return bytes.left(bytes.size() / 2);
}

// The coded data of a JPEG file overwritten in its middle by markers out of order; the file
// keeps its length and its end marker.
QByteArray BrokenBody(QByteArray jpeg)
{
    const qsizetype middle = jpeg.size() / 2;
    for (qsizetype at = middle; at < middle + 64; at += 2) {
        jpeg[at] = char(0xFF);
        jpeg[at + 1] = char(0xD3);
    }
    return jpeg;
}

class BrokenImageFilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QString Pipe(const char* name) const
    {
        const QString path = Path(name);
        EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        return path;
    }

    QTemporaryDir m_dir;
};

}

TEST_F(BrokenImageFilesTest, EachFileIsNamedWithItsReason)
{
    const QImage picture = Noisy({ 320, 200 });
    const QByteArray jpeg = Encoded(picture, "jpeg");
    const QByteArray png = Encoded(picture, "png");
    const QByteArray webp = Encoded(picture, "webp");
    ASSERT_FALSE(webp.isEmpty());
    const struct {
        const char* name;
        std::function<QString()> make;
        ImageReadFailure failure;
    } rows[] = {
        { "whole JPEG", [&] { return Write(Path("whole.jpg"), jpeg); }, ImageReadFailure::None },
        { "whole PNG", [&] { return Write(Path("whole.png"), png); }, ImageReadFailure::None },
        { "whole WebP", [&] { return Write(Path("whole.webp"), webp); }, ImageReadFailure::None },
        // Bytes after the end marker, as some cameras write them, do not harm the picture.
        { "JPEG with a tail", [&] { return Write(Path("tail.jpg"), jpeg + QByteArray(300, 'x')); }, ImageReadFailure::None },
        { "cut JPEG", [&] { return Write(Path("cut.jpg"), Half(jpeg)); }, ImageReadFailure::Damaged },
        { "JPEG with a broken body", [&] { return Write(Path("broken.jpg"), BrokenBody(jpeg)); }, ImageReadFailure::Damaged },
        { "cut PNG", [&] { return Write(Path("cut.png"), Half(png)); }, ImageReadFailure::Damaged },
        { "cut WebP", [&] { return Write(Path("cut.webp"), Half(webp)); }, ImageReadFailure::Damaged },
        { "zero-length JPEG", [&] { return Write(Path("empty.jpg"), {}); }, ImageReadFailure::Damaged },
        { "missing", [&] { return Path("missing.png"); }, ImageReadFailure::Missing },
        { "pipe", [&] { return Pipe("pipe.jpg"); }, ImageReadFailure::NotAFile },
        { "link to a pipe", [&] {
             const QString link = Path("link.png");
             EXPECT_TRUE(QFile::link(Pipe("target.png"), link));
             return link;
         }, ImageReadFailure::NotAFile },
        { "device", [] { return QStringLiteral("/dev/zero"); }, ImageReadFailure::NotAFile },
    };
    for (const auto& row : rows) {
        const QString path = row.make();
        EXPECT_EQ(ImageFileReader::Check(path), row.failure) << row.name;
        EXPECT_EQ(ImageFileReader::CheckRemembered(path), row.failure) << row.name;
        EXPECT_EQ(ImageFileReader::CheckRemembered(path), row.failure) << row.name << ", asked again";
        if (row.failure == ImageReadFailure::NotAFile || row.failure == ImageReadFailure::Missing) {
            // Nothing opens it: neither the header, nor the pixels, nor the decoder.
            EXPECT_FALSE(ImageFileReader::ReadHeader(path).IsReadable()) << row.name;
            EXPECT_TRUE(ImageFileReader::ReadPixels(path, { 16, 16 }).isNull()) << row.name;
            EXPECT_EQ(ImageDecoder::Open(path), nullptr) << row.name;
        }
    }
    EXPECT_EQ(ImageFileReader::ReasonText(ImageReadFailure::NotAFile), QStringLiteral("通常のファイルではありません"));
}

TEST_F(BrokenImageFilesTest, ARememberedVerdictHoldsOnlyForTheVersionChecked)
{
    const QByteArray jpeg = Encoded(Noisy({ 160, 120 }), "jpeg");
    const QString path = Write(Path("photo.jpg"), jpeg);
    EXPECT_EQ(ImageFileReader::CheckRemembered(path), ImageReadFailure::None);
    // Replaced by a copy cut short under the same name: checked anew.
    const QString cut = Write(Path("cut.jpg"), Half(jpeg));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(cut, path));
    EXPECT_EQ(ImageFileReader::CheckRemembered(path), ImageReadFailure::Damaged);
    // Mended in place.
    Write(path, jpeg);
    EXPECT_EQ(ImageFileReader::CheckRemembered(path), ImageReadFailure::None);
}

TEST_F(BrokenImageFilesTest, JpegCheckStopsAtEveryCut)
{
    // Every cut shows, from the first bytes to the last coded ones.
    const QByteArray jpeg = Encoded(Noisy({ 64, 48 }), "jpeg");
    const qsizetype scan = jpeg.indexOf("\xff\xda");
    ASSERT_GT(scan, 0);
    EXPECT_TRUE(ImageFileReaderJpeg::DecodesWhole(jpeg));
    for (qsizetype length : { qsizetype(0), qsizetype(3), scan, scan + 20, jpeg.size() / 2, jpeg.size() - 40 })
        EXPECT_FALSE(ImageFileReaderJpeg::DecodesWhole(jpeg.left(length))) << "cut at " << length << " of " << jpeg.size();
    EXPECT_FALSE(ImageFileReaderJpeg::DecodesWhole(Encoded(Noisy({ 8, 8 }), "png")));
}
