#include "items/ImageDecoder.h"
#include "items/ImageFileWriter.h"

#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString WritePhoto(const QTemporaryDir& dir, const QString& name, QSize size, QColor colour = QColor(200, 40, 20))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path));
    return path;
}

}

TEST(ImageDecoderTest, OpeningReadsOnlyTheHeader)
{
    QTemporaryDir dir;
    const QString path = WritePhoto(dir, "a.jpg", { 600, 400 });
    const auto decoder = ImageDecoder::Open(path);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->NaturalSize(), QSize(600, 400));
    EXPECT_TRUE(decoder->KeptImage().isNull());
    EXPECT_FALSE(decoder->HasAlpha());
}

TEST(ImageDecoderTest, ReducedDecodeKeepsTheNaturalSize)
{
    QTemporaryDir dir;
    const auto decoder = ImageDecoder::Open(WritePhoto(dir, "a.jpg", { 600, 400 }));
    ASSERT_TRUE(decoder);

    const QImage reduced = decoder->Image({ 150, 100 });
    EXPECT_EQ(reduced.size(), QSize(150, 100));
    EXPECT_EQ(decoder->NaturalSize(), QSize(600, 400));
    EXPECT_NEAR(QColor(reduced.pixel(75, 50)).red(), 200, 6);

    // Every request gets pixels of its own size: smaller ones are scaled from what is kept,
    // larger ones decode again, at most in full.
    EXPECT_EQ(decoder->Image({ 90, 60 }).size(), QSize(90, 60));
    EXPECT_EQ(decoder->Image({ 300, 500 }).size(), QSize(600, 400));
    EXPECT_EQ(decoder->FullImage().size(), QSize(600, 400));
    EXPECT_EQ(decoder->Image({ 150, 100 }).size(), QSize(150, 100));

    decoder->DropPixels();
    EXPECT_TRUE(decoder->KeptImage().isNull());
    EXPECT_EQ(decoder->NaturalSize(), QSize(600, 400));
}

TEST(ImageDecoderTest, PrefetchDecodesInTheBackground)
{
    QTemporaryDir dir;
    const auto decoder = ImageDecoder::Open(WritePhoto(dir, "a.png", { 300, 200 }));
    ASSERT_TRUE(decoder);
    decoder->Prefetch({ 30, 20 });
    decoder->Prefetch({ 30, 20 });
    EXPECT_EQ(decoder->Image({ 30, 20 }).size(), QSize(30, 20));
}

TEST(ImageDecoderTest, BrokenFilesNeverCrash)
{
    QTemporaryDir dir;
    EXPECT_FALSE(ImageDecoder::Open({}));
    EXPECT_FALSE(ImageDecoder::Open(dir.filePath("missing.jpg")));
    EXPECT_FALSE(ImageDecoder::Open(dir.path()));

    QFile garbage(dir.filePath("garbage.jpg"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(5000, 'x'));
    garbage.close();
    EXPECT_FALSE(ImageDecoder::Open(garbage.fileName()));

    // A file cut short after its header: the header opens, decoding gives what it can.
    const QString photo = WritePhoto(dir, "cut.jpg", { 400, 300 });
    QFile cut(photo);
    ASSERT_TRUE(cut.open(QIODevice::ReadWrite));
    cut.resize(700);
    cut.close();
    if (const auto decoder = ImageDecoder::Open(photo)) {
        EXPECT_EQ(decoder->NaturalSize(), QSize(400, 300));
        decoder->Image({ 40, 30 });
        decoder->FullImage();
    }

    // The file vanishes between opening and decoding.
    const auto decoder = ImageDecoder::Open(WritePhoto(dir, "gone.png", { 40, 30 }));
    ASSERT_TRUE(decoder);
    QFile::remove(decoder->Path());
    EXPECT_TRUE(decoder->FullImage().isNull());
}

TEST(ImageDecoderTest, PixelsThatDoNotDecodeAreAFailureUntilDropped)
{
    QTemporaryDir dir;
    QImage stripes(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    const QString path = dir.filePath("cut.png");
    ASSERT_TRUE(stripes.save(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray whole = file.readAll();
    file.resize(whole.size() / 2);
    file.close();

    const auto decoder = ImageDecoder::Open(path);
    ASSERT_TRUE(decoder);
    EXPECT_FALSE(decoder->Failed());
    EXPECT_FALSE(decoder->HasAlpha());
    decoder->Prefetch({ 40, 30 });
    EXPECT_TRUE(decoder->Image({ 40, 30 }).isNull());
    EXPECT_TRUE(decoder->Failed());

    // Repaints do not read the broken file again; dropping the pixels does.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(whole);
    file.close();
    EXPECT_TRUE(decoder->Image({ 40, 30 }).isNull());
    decoder->DropPixels();
    EXPECT_FALSE(decoder->Failed());
    EXPECT_EQ(decoder->Image({ 40, 30 }).size(), QSize(40, 30));
    EXPECT_FALSE(decoder->Failed());

    // A larger decode that fails keeps the smaller pixels: still not a failure.
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.resize(whole.size() / 2);
    file.close();
    EXPECT_EQ(decoder->FullImage().size(), QSize(40, 30));
    EXPECT_FALSE(decoder->Failed());
}

TEST(ImageDecoderTest, LargePhotographsAreWithinTheAllocationLimit)
{
    QTemporaryDir dir;
    const auto decoder = ImageDecoder::Open(WritePhoto(dir, "big.jpg", { 6000, 4000 }));
    ASSERT_TRUE(decoder);
    EXPECT_GE(QImageReader::allocationLimit(), ImageDecoder::kAllocationLimitMb);
    EXPECT_EQ(decoder->Image({ 600, 400 }).size(), QSize(600, 400));
}

TEST(ImageDecoderTest, PixelsWithoutAFileAreKept)
{
    QImage image(20, 10, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const auto decoder = ImageDecoder::FromImage(image);
    ASSERT_TRUE(decoder);
    EXPECT_TRUE(decoder->HasAlpha());
    decoder->DropPixels();
    EXPECT_EQ(decoder->Image({ 5, 5 }).size(), QSize(20, 10));
    EXPECT_FALSE(ImageDecoder::FromImage({}));
}

class ImageFileWriterTest : public ::testing::TestWithParam<const char*> { };

TEST_P(ImageFileWriterTest, WritesTheFormatOfTheExtension)
{
    QTemporaryDir dir;
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(10, 120, 240));
    image.setPixelColor(0, 0, QColor(250, 250, 0));
    const QString path = dir.filePath(QString("page.") + GetParam());
    ASSERT_EQ(ImageFileWriter::Write(image, path), ImageFileWriter::Result::Written);

    QImageReader reader(path);
    const QString expected = QString(GetParam()).toLower();
    EXPECT_EQ(QString(reader.format()), expected == "tif" ? QString("tiff") : expected == "jpg" ? QString("jpeg") : expected);
    const QImage back = reader.read();
    ASSERT_EQ(back.size(), QSize(64, 48));
    const QColor centre = back.pixelColor(32, 24);
    EXPECT_NEAR(centre.red(), 10, 8);
    EXPECT_NEAR(centre.green(), 120, 8);
    EXPECT_NEAR(centre.blue(), 240, 8);
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageFileWriterTest, ::testing::Values("jpg", "gif", "png", "bmp", "tif", "PNG", "Gif", "jpeg", "JPG", "tiff", "TIFF"));

TEST(ImageFileWriterTest, RefusesWhatItCannotWrite)
{
    QTemporaryDir dir;
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (const char* name : { "a.webp", "a.pdf", "a.jpg.txt", "noextension" })
        EXPECT_EQ(ImageFileWriter::Write(image, dir.filePath(name)), ImageFileWriter::Result::UnknownExtension) << name;
    EXPECT_EQ(ImageFileWriter::Write(image, dir.filePath("no/such/folder/a.png")), ImageFileWriter::Result::WriteFailed);
    EXPECT_EQ(ImageFileWriter::Write(image, dir.filePath("no/such/folder/a.gif")), ImageFileWriter::Result::WriteFailed);
    EXPECT_EQ(ImageFileWriter::Write({}, dir.filePath("a.png")), ImageFileWriter::Result::WriteFailed);
    EXPECT_FALSE(QFile::exists(dir.filePath("a.png")));
}

TEST(ImageFileWriterTest, JpegQualityChangesTheFile)
{
    QTemporaryDir dir;
    QImage image(128, 128, QImage::Format_RGB32);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            image.setPixel(x, y, qRgb((x * 37) & 255, (y * 91) & 255, (x * y) & 255));
    ASSERT_EQ(ImageFileWriter::Write(image, dir.filePath("low.jpg"), 10), ImageFileWriter::Result::Written);
    ASSERT_EQ(ImageFileWriter::Write(image, dir.filePath("high.jpg"), 95), ImageFileWriter::Result::Written);
    EXPECT_LT(QFileInfo(dir.filePath("low.jpg")).size(), QFileInfo(dir.filePath("high.jpg")).size());
}
