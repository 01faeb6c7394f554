#include "items/ImageDecoder.h"
#include "items/ImageFileReader.h"
#include "items/ImageFileReaderColour.h"
#include "items/ImageFileReaderReduction.h"
#include "PhotoFiles.h"
#include "TestSupport.h"

#include <QColorSpace>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>

using namespace PhotoFiles;

namespace {

const ImageReadOptions kUpright { ExifOrientation::Apply };
const ImageReadOptions kAsStored { ExifOrientation::Ignore };

struct Corners {
    QColor top_left, top_right, bottom_left, bottom_right;
};

// The colours near the four corners of an image.
Corners CornersOf(const QImage& image)
{
    const int right = image.width() - 3;
    const int bottom = image.height() - 3;
    return { image.pixelColor(2, 2), image.pixelColor(right, 2), image.pixelColor(2, bottom), image.pixelColor(right, bottom) };
}

void ExpectCorners(const QImage& image, const Corners& expected, int tolerance)
{
    const Corners corners = CornersOf(image);
    EXPECT_TRUE(Near(corners.top_left, expected.top_left, tolerance)) << "top left";
    EXPECT_TRUE(Near(corners.top_right, expected.top_right, tolerance)) << "top right";
    EXPECT_TRUE(Near(corners.bottom_left, expected.bottom_left, tolerance)) << "bottom left";
    EXPECT_TRUE(Near(corners.bottom_right, expected.bottom_right, tolerance)) << "bottom right";
}

const QColor kR = Qt::red;
const QColor kG = Qt::green;
const QColor kB = Qt::blue;
const QColor kW = Qt::white;

// The photograph is stored 60 x 40 with red, green, blue and white quarters (top left, top
// right, bottom left, bottom right); each row is how a viewer shows it for one orientation.
struct OrientationRow {
    int orientation;
    QSize shown;
    Corners corners;
};

class OrientationTest : public ::testing::TestWithParam<OrientationRow> { };

}

TEST_P(OrientationTest, PhotographsAreShownUprightOnlyWhenAsked)
{
    const OrientationRow& row = GetParam();
    QTemporaryDir dir;
    const QString path = Write(dir.filePath("photo.jpg"), WithOrientation(JpegBytes(Quarters({ 60, 40 })), row.orientation));

    const ImageFileHeader upright = ImageFileReader::ReadHeader(path, kUpright);
    ASSERT_TRUE(upright.IsReadable());
    EXPECT_EQ(upright.natural_size, row.shown);
    const QImage full = ImageFileReader::ReadPixels(path, {}, kUpright, row.shown);
    ASSERT_EQ(full.size(), row.shown);
    ExpectCorners(full, row.corners, 24);
    // A reduced decode is reduced in the upright frame.
    const QSize half = row.shown / 2;
    const QImage reduced = ImageFileReader::ReadPixels(path, half, kUpright, row.shown);
    ASSERT_EQ(reduced.size(), half);
    ExpectCorners(reduced, row.corners, 40);

    // As stored, whatever the orientation says.
    EXPECT_EQ(ImageFileReader::ReadHeader(path, kAsStored).natural_size, QSize(60, 40));
    const QImage stored = ImageFileReader::ReadPixels(path, {}, kAsStored);
    ASSERT_EQ(stored.size(), QSize(60, 40));
    ExpectCorners(stored, { kR, kG, kB, kW }, 24);
    EXPECT_TRUE(ImageFileReader::ReadPixels(path, {}, kAsStored, row.shown == QSize(60, 40) ? QSize(40, 60) : row.shown).isNull());
}

INSTANTIATE_TEST_SUITE_P(Exif, OrientationTest,
    ::testing::Values(OrientationRow { 1, { 60, 40 }, { kR, kG, kB, kW } },
                      OrientationRow { 2, { 60, 40 }, { kG, kR, kW, kB } },
                      OrientationRow { 3, { 60, 40 }, { kW, kB, kG, kR } },
                      OrientationRow { 4, { 60, 40 }, { kB, kW, kR, kG } },
                      OrientationRow { 5, { 40, 60 }, { kR, kB, kG, kW } },
                      OrientationRow { 6, { 40, 60 }, { kB, kR, kW, kG } },
                      OrientationRow { 7, { 40, 60 }, { kW, kG, kB, kR } },
                      OrientationRow { 8, { 40, 60 }, { kG, kW, kR, kB } }));

TEST(ImageFileReaderTest, DecoderKeepsItsOptionsForEveryDecode)
{
    QTemporaryDir dir;
    const QString path = Write(dir.filePath("portrait.jpg"), WithOrientation(JpegBytes(Quarters({ 600, 400 })), 6));
    const auto upright = ImageDecoder::Open(path, kUpright);
    ASSERT_TRUE(upright);
    EXPECT_EQ(upright->NaturalSize(), QSize(400, 600));
    // Reduced in the background, then in full: both upright.
    upright->Prefetch({ 100, 150 });
    ExpectCorners(upright->Image({ 100, 150 }), { kB, kR, kW, kG }, 40);
    ExpectCorners(upright->FullImage(), { kB, kR, kW, kG }, 24);

    const auto stored = ImageDecoder::Open(path);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->NaturalSize(), QSize(600, 400));
    ExpectCorners(stored->Image({ 150, 100 }), { kR, kG, kB, kW }, 40);
}

TEST(ImageFileReaderTest, PhonesAndBrowsersFormatsAreRead)
{
    QTemporaryDir dir;
    const QImage picture = Quarters({ 64, 48 });
    const QString files[] = {
        Heic(picture, dir.filePath("phone.heic")),
        Avif(picture, dir.filePath("browser.avif")),
        Jxl(picture, dir.filePath("new.jxl")),
        // The content decides, not the name.
        Heic(picture, dir.filePath("misnamed.jpg")),
    };
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_FALSE(path.isEmpty());
        const ImageFileHeader header = ImageFileReader::ReadHeader(path);
        ASSERT_TRUE(header.IsReadable());
        EXPECT_EQ(header.natural_size, QSize(64, 48));
        EXPECT_FALSE(header.has_alpha);
        const QImage full = ImageFileReader::ReadPixels(path, {}, {}, { 64, 48 });
        ASSERT_EQ(full.size(), QSize(64, 48));
        EXPECT_EQ(full.format(), QImage::Format_RGB32);
        ExpectCorners(full, { kR, kG, kB, kW }, 40);
        const QImage reduced = ImageFileReader::ReadPixels(path, { 32, 24 });
        ASSERT_EQ(reduced.size(), QSize(32, 24));
        ExpectCorners(reduced, { kR, kG, kB, kW }, 60);
        EXPECT_EQ(ImageFileReader::Check(path), ImageReadFailure::None);
        // A file replaced by a picture of another size since its header was read.
        EXPECT_TRUE(ImageFileReader::ReadPixels(path, {}, {}, { 48, 64 }).isNull());
    }
}

TEST(ImageFileReaderTest, TransparentHeifAndJxlKeepTheirAlpha)
{
    QTemporaryDir dir;
    QImage picture(40, 40, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            picture.setPixelColor(x, y, QColor(255, 0, 0));
    for (const QString& path : { Heic(picture, dir.filePath("a.heic")), Jxl(picture, dir.filePath("a.jxl")) }) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_FALSE(path.isEmpty());
        EXPECT_TRUE(ImageFileReader::ReadHeader(path).has_alpha);
        const QImage image = ImageFileReader::ReadPixels(path, {});
        ASSERT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
        EXPECT_GT(qAlpha(image.pixel(20, 5)), 240);
        EXPECT_LT(qAlpha(image.pixel(20, 35)), 15);
    }
}

TEST(ImageFileReaderTest, AdobeRgbRedBecomesSrgbRed)
{
    // An sRGB red written by a camera set to Adobe RGB holds about (219, 0, 0); shown without
    // its profile it looks dull.
    EXPECT_TRUE(Near(InAdobeRgb(Qt::red), QColor(219, 0, 0), 3));
    for (const ProfileKind kind : { ProfileKind::Matrix, ProfileKind::Table }) {
        SCOPED_TRACE(kind == ProfileKind::Matrix ? "matrix profile" : "table profile");
        // The table profile takes the road through lcms2, as Qt does not read it.
        EXPECT_EQ(QColorSpace::fromIccProfile(AdobeRgbProfile(kind)).isValid(), kind == ProfileKind::Matrix);
        QTemporaryDir dir;
        const QString path = Write(dir.filePath("adobe.jpg"), AdobeRgbJpeg(Qt::red, kind));
        for (const QSize size : { QSize(), QSize(16, 12) }) {
            const QImage image = ImageFileReader::ReadPixels(path, size);
            ASSERT_FALSE(image.isNull());
            EXPECT_TRUE(Near(image.pixelColor(image.width() / 2, image.height() / 2), Qt::red, 4));
        }
    }
}

TEST(ImageFileReaderTest, OtherColoursConvertAndSrgbStaysUntouched)
{
    QTemporaryDir dir;
    const QColor teal(40, 150, 140);
    for (const ProfileKind kind : { ProfileKind::Matrix, ProfileKind::Table }) {
        const QString adobe = Write(dir.filePath("teal.jpg"), AdobeRgbJpeg(teal, kind));
        // Whole levels in the wider space and the JPEG's own rounding move a weak channel by
        // a few levels either way.
        EXPECT_TRUE(Near(ImageFileReader::ReadPixels(adobe, {}).pixelColor(30, 20), teal, 8));
    }

    // A photograph that carries an sRGB profile (most cameras' JPEGs) is left as decoded.
    QImage grey(32, 32, QImage::Format_RGB32);
    grey.fill(QColor(90, 91, 92));
    const QByteArray plain_jpeg = JpegBytes(grey, 100);
    const QString plain = Write(dir.filePath("plain.jpg"), plain_jpeg);
    const QString tagged = Write(dir.filePath("tagged.jpg"), WithProfile(plain_jpeg, QColorSpace(QColorSpace::SRgb).iccProfile()));
    EXPECT_TRUE(SamePixels(ImageFileReader::ReadPixels(tagged, {}), ImageFileReader::ReadPixels(plain, {})));
    EXPECT_TRUE(ImageFileReaderColour::IsSrgb(QColorSpace::fromIccProfile(QColorSpace(QColorSpace::SRgb).iccProfile())));
    EXPECT_FALSE(ImageFileReaderColour::IsSrgb(QColorSpace(QColorSpace::AdobeRgb)));
}

TEST(ImageFileReaderTest, BrokenProfilesAreIgnored)
{
    QTemporaryDir dir;
    QImage grey(32, 32, QImage::Format_RGB32);
    grey.fill(QColor(90, 91, 92));
    const QByteArray jpeg = JpegBytes(grey, 100);
    const QByteArray profile = AdobeRgbProfile(ProfileKind::Table);
    // A chunk missing, chunks numbered wrongly, and a profile of garbage.
    QByteArray missing = WithProfile(jpeg, profile + QByteArray(70000, 'x'));
    const qsizetype second = missing.indexOf("ICC_PROFILE", missing.indexOf("ICC_PROFILE") + 1);
    missing[second + 12] = char(7);
    QByteArray zero = WithProfile(jpeg, profile);
    zero[zero.indexOf("ICC_PROFILE") + 12] = char(0);
    const QByteArray garbage = WithProfile(jpeg, QByteArray(500, '\x5a'));
    for (const QByteArray& bytes : { missing, zero, garbage }) {
        const QString path = Write(dir.filePath("broken.jpg"), bytes);
        EXPECT_TRUE(Near(ImageFileReader::ReadPixels(path, {}).pixelColor(16, 16), QColor(90, 91, 92), 2));
    }
    EXPECT_TRUE(ImageFileReaderColour::JpegIccProfile(QByteArray("\xff\xd8\xff\xe2\x00", 5)).isEmpty());
    EXPECT_TRUE(ImageFileReaderColour::JpegIccProfile(QByteArray()).isEmpty());
}

TEST(ImageFileReaderTest, ReasonsNameWhatIsWrong)
{
    QTemporaryDir dir;
    const QString good = Write(dir.filePath("good.jpg"), JpegBytes(Quarters({ 20, 20 })));
    EXPECT_EQ(ImageFileReader::Check(good), ImageReadFailure::None);
    EXPECT_EQ(ImageFileReader::Probe(good), QString());

    EXPECT_EQ(ImageFileReader::Check(dir.filePath("missing.jpg")), ImageReadFailure::Missing);
    EXPECT_EQ(ImageFileReader::Check(Write(dir.filePath("notes.txt"), "just some words\n")), ImageReadFailure::Unsupported);
    EXPECT_EQ(ImageFileReader::Check(Write(dir.filePath("photo.jpg"), QByteArray(3000, 'x'))), ImageReadFailure::Damaged);
    EXPECT_EQ(ImageFileReader::Check(Write(dir.filePath("empty.png"), {})), ImageReadFailure::Damaged);
    const QString locked = Write(dir.filePath("locked.jpg"), JpegBytes(Quarters({ 20, 20 })));
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    if (!QFileInfo(locked).isReadable()) { // root reads everything
        EXPECT_EQ(ImageFileReader::Check(locked), ImageReadFailure::NotPermitted);
    }

    QDir(dir.path()).mkdir("empty folder");
    EXPECT_EQ(ImageFileReader::Check(dir.filePath("empty folder")), ImageReadFailure::NoImageInFolder);
    EXPECT_EQ(ImageFileReader::Check(dir.path()), ImageReadFailure::None);

    // A header claiming a picture too large to hold.
    QByteArray huge = JpegBytes(Quarters({ 20, 20 }));
    const qsizetype frame = huge.indexOf("\xff\xc0");
    ASSERT_GT(frame, 0);
    huge[frame + 5] = char(0xC0);
    huge[frame + 6] = char(0x00);
    huge[frame + 7] = char(0xC0);
    huge[frame + 8] = char(0x00);
    EXPECT_EQ(ImageFileReader::Check(Write(dir.filePath("huge.jpg"), huge)), ImageReadFailure::TooLarge);

    EXPECT_EQ(ImageFileReader::FailureMessage("photo.heic", ImageReadFailure::Unsupported),
              QStringLiteral("photo.heic を開けませんでした: 対応していない形式です"));
    EXPECT_EQ(ImageFileReader::Probe(dir.filePath("missing.jpg")), QStringLiteral("ファイルが見つかりません"));
}

TEST(ImageFileReaderTest, HeifPixelsHaveTheSizeTheFileAnnounces)
{
    // Found by fuzzing: a file that announces 24 x 16 but codes a picture of 24 x 24.
    const QString path = TestSupport::DataPath(QStringLiteral("coded-larger-than-announced.heic"));
    const ImageFileHeader header = ImageFileReader::ReadHeader(path);
    ASSERT_TRUE(header.IsReadable());
    EXPECT_EQ(header.natural_size, QSize(24, 16));
    EXPECT_EQ(ImageFileReader::ReadPixels(path, {}, {}, header.natural_size).size(), QSize(24, 16));
    EXPECT_EQ(ImageFileReader::ReadPixels(path, { 12, 8 }).size(), QSize(12, 8));
    const auto decoder = ImageDecoder::Open(path);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->FullImage().size(), QSize(24, 16));

    // One that announces 16 x 16 and codes 28009 x 26161 is damaged, and is not decoded at that
    // size on the way to finding out.
    const QString bomb = TestSupport::DataPath(QStringLiteral("coded-far-larger-than-announced.heic"));
    EXPECT_EQ(ImageFileReader::ReadHeader(bomb).natural_size, QSize(16, 16));
    EXPECT_TRUE(ImageFileReader::ReadPixels(bomb, {}).isNull());
    EXPECT_EQ(ImageFileReader::Check(bomb), ImageReadFailure::Damaged);
}

TEST(ImageFileReaderTest, DamagedHeifAndJxlFilesNeverCrash)
{
    QTemporaryDir dir;
    const QImage picture = Quarters({ 64, 48 });
    const QString sources[] = { Heic(picture, dir.filePath("a.heic")), Avif(picture, dir.filePath("a.avif")),
                                Jxl(picture, dir.filePath("a.jxl")) };
    std::mt19937 random(17);
    for (const QString& source : sources) {
        ASSERT_FALSE(source.isEmpty());
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray whole = file.readAll();
        std::vector<QByteArray> damaged;
        // Cut short at several places, and with bytes overwritten in the middle.
        for (const double fraction : { 0.02, 0.2, 0.5, 0.8, 0.97 })
            damaged.push_back(whole.left(qsizetype(whole.size() * fraction)));
        for (int round = 0; round < 20; ++round) {
            QByteArray changed = whole;
            for (int flip = 0; flip < 8; ++flip)
                changed[qsizetype(random() % changed.size())] = char(random());
            damaged.push_back(changed);
        }
        for (const QByteArray& bytes : damaged) {
            const QString path = Write(dir.filePath("damaged" + QFileInfo(source).suffix()), bytes);
            const ImageFileHeader header = ImageFileReader::ReadHeader(path);
            const QImage pixels = ImageFileReader::ReadPixels(path, { 32, 24 });
            const ImageReadFailure failure = ImageFileReader::Check(path);
            if (!header.IsReadable()) {
                EXPECT_NE(failure, ImageReadFailure::None);
            }
            if (failure == ImageReadFailure::None) {
                EXPECT_FALSE(pixels.isNull());
            }
        }
        EXPECT_EQ(ImageFileReader::Check(Write(dir.filePath("short." + QFileInfo(source).suffix()), whole.left(200))),
                  ImageReadFailure::Damaged);
    }
}

TEST(ImageFileReaderReductionTest, EachPixelShownIsTheMeanOfThePixelsItCovers)
{
    // Five columns into two: the first covers two source columns, the second three.
    QImage source(5, 2, QImage::Format_RGB888);
    const int reds[2][5] = { { 10, 20, 30, 40, 50 }, { 30, 40, 60, 70, 80 } };
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            source.setPixelColor(x, y, QColor(reds[y][x], 255 - reds[y][x], x * 50));
    const QImage reduced = ImageFileReaderReduction::Reduce(source, { 2, 1 });
    ASSERT_EQ(reduced.format(), QImage::Format_RGB32);
    ASSERT_EQ(reduced.size(), QSize(2, 1));
    EXPECT_EQ(reduced.pixel(0, 0), qRgb(25, 230, 25));  // (10+20+30+40)/4, blue (0+50+0+50)/4
    EXPECT_EQ(reduced.pixel(1, 0), qRgb(55, 200, 150)); // (30+40+50+60+70+80)/6

    // Not for what it cannot take: transparency, enlarging, the same size.
    QImage alpha(4, 4, QImage::Format_RGBA8888);
    EXPECT_FALSE(ImageFileReaderReduction::Applies(alpha, { 2, 2 }));
    EXPECT_FALSE(ImageFileReaderReduction::Applies(source, { 6, 1 }));
    EXPECT_FALSE(ImageFileReaderReduction::Applies(source, { 5, 2 }));
    EXPECT_FALSE(ImageFileReaderReduction::Applies(source, { 0, 1 }));
    EXPECT_TRUE(ImageFileReaderReduction::Reduce(alpha, { 2, 2 }).isNull());
}

TEST(ImageFileReaderReductionTest, ReductionLooksLikeSmoothScaling)
{
    // A photograph-like picture: gradients with noise, in both packed layouts the libraries give.
    QImage photo(997, 661, QImage::Format_RGB32);
    std::mt19937 random(5);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb((x / 4 + int(random() % 24)) & 255, (y / 3 + int(random() % 24)) & 255, (x + y) / 7 & 255));
    for (const QImage::Format format : { QImage::Format_RGB888, QImage::Format_RGBX8888 }) {
        const QImage source = photo.convertToFormat(format);
        for (const QSize size : { QSize(300, 199), QSize(1, 1), QSize(997, 10), QSize(123, 661) }) {
            SCOPED_TRACE(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()).toStdString());
            const QImage reduced = ImageFileReaderReduction::Reduce(source, size);
            const QImage smooth = photo.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            ASSERT_EQ(reduced.size(), size);
            double total = 0;
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x)
                    total += std::abs(qRed(reduced.pixel(x, y)) - qRed(smooth.pixel(x, y)))
                        + std::abs(qGreen(reduced.pixel(x, y)) - qGreen(smooth.pixel(x, y)));
            EXPECT_LT(total / (2.0 * size.width() * size.height()), 3.0);
        }
    }
}
