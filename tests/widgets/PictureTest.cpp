#include "items/Picture.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kGreen = 0xff00ff00;
constexpr QRgb kBlue = 0xff0000ff;
constexpr QRgb kWhite = 0xffffffff;

class PictureTest : public ::testing::Test {
protected:
    // An image of horizontal bands, each band_height high, in the given colours.
    QString WriteBands(const QString& name, int width, int band_height, std::initializer_list<QRgb> colours)
    {
        QImage image(width, band_height * static_cast<int>(colours.size()), QImage::Format_RGB32);
        int band = 0;
        for (QRgb colour : colours) {
            for (int y = band * band_height; y < (band + 1) * band_height; ++y)
                for (int x = 0; x < width; ++x)
                    image.setPixel(x, y, colour);
            ++band;
        }
        return Write(name, image);
    }

    // An image whose left half is one colour and right half another.
    QString WriteHalves(const QString& name, QSize size, QRgb left, QRgb right, QImage::Format format = QImage::Format_RGB32)
    {
        QImage image(size, format);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, x < size.width() / 2 ? left : right);
        return Write(name, image);
    }

    QString Write(const QString& name, const QImage& image)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(image.save(path));
        return path;
    }

    static QImage Target(QSize size = { 200, 200 })
    {
        QImage target(size, QImage::Format_ARGB32_Premultiplied);
        target.fill(kWhite);
        return target;
    }

    QTemporaryDir m_dir;
};

TEST_F(PictureTest, BrokenOrMissingFilesLeaveAnEmptyPictureThatDrawsNothing)
{
    QFile broken(m_dir.filePath("broken.png"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("\x89PNG\r\n\x1a\n not really a picture");
    broken.close();

    for (const QString& path : { m_dir.filePath("missing.png"), broken.fileName(), QString() }) {
        Picture picture;
        EXPECT_FALSE(picture.Load(path)) << path.toStdString();
        EXPECT_FALSE(picture.IsLoaded());
        EXPECT_TRUE(picture.FileName().isEmpty());
        EXPECT_FALSE(picture.IsOpaque());
        QImage target = Target();
        QPainter painter(&target);
        EXPECT_FALSE(picture.Draw(painter, QRectF(0, 0, 100, 100), QRectF(0, 0, 200, 200)));
    }
}

TEST_F(PictureTest, FailedLoadReleasesThePreviousImage)
{
    Picture picture;
    ASSERT_TRUE(picture.Load(WriteBands("one.png", 10, 10, { kRed })));
    EXPECT_FALSE(picture.Load(m_dir.filePath("missing.png")));
    EXPECT_FALSE(picture.IsLoaded());
    EXPECT_TRUE(picture.FileName().isEmpty());
}

TEST_F(PictureTest, CutOutTakesOneBandAndRefusesPartsOutsideTheImage)
{
    const QString path = WriteBands("bands.png", 95, 40, { kRed, kGreen, kBlue });
    Picture picture;
    ASSERT_TRUE(picture.Load(path, QRect(0, 40, 95, 40)));
    EXPECT_EQ(picture.NaturalSize(), QSize(95, 40));
    EXPECT_EQ(picture.Image().pixel(0, 0), kGreen);
    EXPECT_EQ(picture.Image().pixel(94, 39), kGreen);

    // A width beyond the image is clamped to it; the clamped part still has to fit.
    ASSERT_TRUE(picture.Load(path, QRect(0, 80, 500, 40)));
    EXPECT_EQ(picture.NaturalSize(), QSize(95, 40));
    EXPECT_EQ(picture.Image().pixel(50, 20), kBlue);
    EXPECT_FALSE(picture.Load(path, QRect(10, 0, 95, 40)));
    EXPECT_FALSE(picture.Load(path, QRect(0, 0, 95, 0)));
    EXPECT_FALSE(picture.Load(path, QRect(-1, 0, 20, 20)));
    EXPECT_FALSE(picture.IsLoaded());

    ASSERT_TRUE(picture.Load(path));
    EXPECT_EQ(picture.NaturalSize(), QSize(95, 120));
    EXPECT_EQ(picture.FileName(), path);
}

TEST_F(PictureTest, OpaqueOnlyWithoutAlphaAndUnturned)
{
    Picture solid;
    ASSERT_TRUE(solid.Load(WriteHalves("solid.png", { 20, 20 }, kRed, kBlue)));
    EXPECT_TRUE(solid.IsOpaque());
    solid.SetRotationAngle(0.5f);
    EXPECT_FALSE(solid.IsOpaque());

    Picture translucent;
    ASSERT_TRUE(translucent.Load(WriteHalves("alpha.png", { 20, 20 }, 0x80ff0000, kBlue, QImage::Format_ARGB32)));
    EXPECT_FALSE(translucent.IsOpaque());
}

TEST_F(PictureTest, StretchedDrawMapsTheAreaIntoSourcePixels)
{
    Picture picture;
    ASSERT_TRUE(picture.Load(WriteHalves("halves.png", { 10, 10 }, kRed, kBlue)));
    QImage target = Target();
    QPainter painter(&target);
    // Only the right half of the picture rectangle is asked for.
    ASSERT_TRUE(picture.Draw(painter, QRectF(0, 0, 100, 100), QRectF(50, 0, 50, 100)));
    painter.end();
    EXPECT_EQ(target.pixel(25, 50), kWhite);
    EXPECT_EQ(target.pixel(75, 50), kBlue);
    EXPECT_EQ(target.pixel(150, 50), kWhite);
}

TEST_F(PictureTest, TilesAtNaturalSizeCutByTheClip)
{
    Picture picture;
    ASSERT_TRUE(picture.Load(WriteHalves("tile.png", { 30, 20 }, kRed, kBlue)));
    picture.SetRepeat(true);
    QImage target = Target();
    QPainter painter(&target);
    const QRectF rect(10, 10, 65, 20);
    painter.setClipRect(rect);
    ASSERT_TRUE(picture.Draw(painter, rect, rect));
    painter.end();

    const struct {
        int x;
        QRgb colour;
    } probes[] = {
        { 10, kRed }, { 24, kRed }, { 25, kBlue }, { 39, kBlue }, { 40, kRed }, { 69, kBlue }, { 70, kRed }, { 74, kRed }, { 75, kWhite },
    };
    for (const auto& probe : probes)
        EXPECT_EQ(target.pixel(probe.x, 15), probe.colour) << "x " << probe.x;
    EXPECT_EQ(target.pixel(20, 31), kWhite);
}

TEST_F(PictureTest, TilingSkipsTilesOutsideTheArea)
{
    Picture picture;
    ASSERT_TRUE(picture.Load(WriteHalves("tile.png", { 1, 1 }, kRed, kRed)));
    picture.SetRepeat(true);
    QImage target = Target({ 20, 20 });
    QPainter painter(&target);
    // A huge tiled rectangle: only the tiles over the area are visited.
    EXPECT_TRUE(picture.Draw(painter, QRectF(0, 0, 1e9, 1e9), QRectF(5, 5, 2, 2)));
    painter.end();
    EXPECT_EQ(target.pixel(5, 5), kRed);
    EXPECT_EQ(target.pixel(6, 6), kRed);
    EXPECT_EQ(target.pixel(4, 5), kWhite);
    EXPECT_EQ(target.pixel(7, 7), kWhite);
}

TEST_F(PictureTest, TurnsAboutTheCentreByTheAngleDifference)
{
    Picture picture;
    ASSERT_TRUE(picture.Load(WriteHalves("halves.png", { 100, 100 }, kRed, kBlue)));
    picture.SetUprightAngle(0.25f);
    picture.SetRotationAngle(0.25f + 3.1415927f);
    QImage target = Target();
    QPainter painter(&target);
    // A partial area must not cut a turned picture short.
    ASSERT_TRUE(picture.Draw(painter, QRectF(50, 50, 100, 100), QRectF(50, 50, 50, 100)));
    painter.end();
    EXPECT_EQ(target.pixel(60, 100), kBlue);
    EXPECT_EQ(target.pixel(140, 100), kRed);
    EXPECT_FALSE(picture.HasCache());
}

TEST_F(PictureTest, QuarterTurnSwapsTheNaturalSize)
{
    Picture picture;
    ASSERT_TRUE(picture.Load(WriteBands("bands.png", 30, 10, { kRed, kBlue })));
    ASSERT_TRUE(picture.TurnQuarter(Turn::Right));
    EXPECT_EQ(picture.NaturalSize(), QSize(20, 30));
    // The top band ends up on the right.
    EXPECT_EQ(picture.Image().pixel(19, 0), kRed);
    EXPECT_EQ(picture.Image().pixel(0, 0), kBlue);
    ASSERT_TRUE(picture.TurnQuarter(Turn::Left));
    EXPECT_EQ(picture.Image().pixel(0, 0), kRed);
}

TEST_F(PictureTest, ReducedPictureUsesTheDeviceSizeCacheUntilTheSizeChanges)
{
    Picture picture;
    ASSERT_TRUE(picture.Load(WriteHalves("large.png", { 600, 400 }, kRed, kBlue)));
    QImage target = Target({ 400, 300 });
    QPainter painter(&target);

    ASSERT_TRUE(picture.Draw(painter, QRectF(10, 10, 120, 80), QRectF(0, 0, 400, 300)));
    ASSERT_TRUE(picture.HasCache());
    EXPECT_EQ(target.pixel(20, 50), kRed);
    EXPECT_EQ(target.pixel(120, 50), kBlue);
    EXPECT_EQ(target.pixel(9, 50), kWhite);
    EXPECT_EQ(target.pixel(131, 50), kWhite);

    // A move keeps the cache.
    const qint64 key = picture.Cache().cacheKey();
    ASSERT_TRUE(picture.Draw(painter, QRectF(200, 150, 120, 80), QRectF(0, 0, 400, 300)));
    EXPECT_EQ(picture.Cache().cacheKey(), key);
    EXPECT_EQ(target.pixel(210, 190), kRed);

    // Zoom 2 doubles the device size and rebuilds it; the page transform survives the draw.
    painter.scale(2, 2);
    ASSERT_TRUE(picture.Draw(painter, QRectF(10, 10, 120, 80), QRectF(0, 0, 200, 150)));
    EXPECT_NE(picture.Cache().cacheKey(), key);
    EXPECT_EQ(picture.Cache().size(), QSize(240, 160));
    EXPECT_EQ(painter.transform(), QTransform::fromScale(2, 2));
    painter.end();
    EXPECT_EQ(target.pixel(30, 100), kRed);
    EXPECT_EQ(target.pixel(250, 100), kBlue);
}

TEST_F(PictureTest, CacheIsMadeInDevicePixelsOfAHighResolutionBuffer)
{
    Picture picture;
    ASSERT_TRUE(picture.Load(WriteHalves("large.png", { 600, 400 }, kRed, kBlue)));
    QImage target = Target({ 400, 300 });
    target.setDevicePixelRatio(2);
    QPainter painter(&target);
    ASSERT_TRUE(picture.Draw(painter, QRectF(10, 10, 120, 80), QRectF(0, 0, 200, 150)));
    painter.end();
    EXPECT_EQ(picture.Cache().size(), QSize(240, 160));
    EXPECT_EQ(target.pixel(19, 100), kWhite);
    EXPECT_EQ(target.pixel(20, 100), kRed);
    EXPECT_EQ(target.pixel(259, 100), kBlue);
    EXPECT_EQ(target.pixel(260, 100), kWhite);
}

TEST_F(PictureTest, EnlargedOrUncachedPictureIsDrawnDirectly)
{
    Picture picture;
    ASSERT_TRUE(picture.Load(WriteHalves("small.png", { 20, 20 }, kRed, kBlue)));
    QImage target = Target();
    QPainter painter(&target);
    ASSERT_TRUE(picture.Draw(painter, QRectF(0, 0, 100, 100), QRectF(0, 0, 200, 200)));
    EXPECT_FALSE(picture.HasCache());

    Picture large;
    ASSERT_TRUE(large.Load(WriteHalves("large.png", { 600, 400 }, kRed, kBlue)));
    large.SetCacheEnabled(false);
    ASSERT_TRUE(large.Draw(painter, QRectF(0, 100, 60, 40), QRectF(0, 0, 200, 200)));
    EXPECT_FALSE(large.HasCache());
    painter.end();
    EXPECT_EQ(target.pixel(10, 50), kRed);
    EXPECT_EQ(target.pixel(90, 50), kBlue);
    EXPECT_EQ(target.pixel(50, 120), kBlue);
}

TEST_F(PictureTest, ReducedDecodingKeepsTheNaturalSizeAndGrowsWhenShownLarger)
{
    const QString path = WriteHalves("photo.png", { 600, 400 }, kRed, kBlue);
    Picture picture;
    ASSERT_TRUE(picture.Load(path, {}, QSize(150, 150)));
    EXPECT_EQ(picture.NaturalSize(), QSize(600, 400));
    EXPECT_EQ(picture.Image().size(), QSize(150, 100));
    EXPECT_TRUE(picture.IsReduced());

    QImage target = Target({ 400, 300 });
    QPainter painter(&target);
    // Shown smaller than decoded: the decoded pixels are scaled down.
    ASSERT_TRUE(picture.Draw(painter, QRectF(0, 0, 120, 80), QRectF(0, 0, 400, 300)));
    EXPECT_EQ(picture.Image().size(), QSize(120, 80));
    EXPECT_EQ(target.pixel(10, 40), kRed);
    EXPECT_EQ(target.pixel(110, 40), kBlue);

    // Shown larger: decoded again just large enough, still below the natural size.
    ASSERT_TRUE(picture.Draw(painter, QRectF(0, 0, 300, 150), QRectF(0, 0, 400, 300)));
    EXPECT_EQ(picture.Image().size(), QSize(300, 200));
    EXPECT_TRUE(picture.IsReduced());
    painter.end();
    EXPECT_EQ(target.pixel(140, 100), kRed);
    EXPECT_EQ(target.pixel(160, 100), kBlue);

    // A turn turns the decoded pixels; the whole image is decoded only when asked for.
    ASSERT_TRUE(picture.TurnQuarter(Turn::Right));
    EXPECT_EQ(picture.Image().size(), QSize(200, 300));
    EXPECT_EQ(picture.NaturalSize(), QSize(400, 600));
    EXPECT_TRUE(picture.IsReduced());
    EXPECT_TRUE(picture.EnsureFullImage());
    EXPECT_EQ(picture.Image().size(), QSize(400, 600));
    EXPECT_FALSE(picture.IsReduced());
}

TEST_F(PictureTest, SmallFilesAndCutOutsIgnoreTheDecodeLimit)
{
    const QString path = WriteBands("bands.png", 95, 40, { kRed, kGreen, kBlue });
    Picture picture;
    ASSERT_TRUE(picture.Load(path, {}, QSize(200, 200)));
    EXPECT_FALSE(picture.IsReduced());
    ASSERT_TRUE(picture.Load(path, QRect(0, 40, 95, 40), QSize(10, 10)));
    EXPECT_EQ(picture.Image().size(), QSize(95, 40));
    EXPECT_FALSE(picture.IsReduced());

    // A file replaced by a different picture is not mixed in: the reduced image stays.
    const QString photo = WriteHalves("photo.png", { 600, 400 }, kRed, kBlue);
    ASSERT_TRUE(picture.Load(photo, {}, QSize(60, 60)));
    WriteHalves("photo.png", { 30, 30 }, kGreen, kGreen);
    EXPECT_FALSE(picture.EnsureFullImage());
    EXPECT_EQ(picture.Image().size(), QSize(60, 40));
}

}
