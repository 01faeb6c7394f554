#include "items/DecodeQueue.h"
#include "items/DecodeWait.h"
#include "items/ImageDecoder.h"
#include "items/PictureCache.h"
#include "PhotoFiles.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

namespace {

QImage Filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

DecodeKey Key(const QString& path, qint64 version = 1)
{
    return DecodeKey { path, FileIdentity { 1000, version, version, 7, 1 } };
}

// Writes the picture as a new file in place of any old one, as an editor saving it does.
QString WritePicture(const QTemporaryDir& dir, const QString& name, QSize size, QColor colour)
{
    const QString path = dir.filePath(name);
    const QString written = path + QStringLiteral(".new.png");
    EXPECT_TRUE(Filled(size, colour).save(written, "PNG"));
    QFile::remove(path);
    EXPECT_TRUE(QFile::rename(written, path));
    return path;
}

QColor Centre(const QImage& image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

// Every test starts from an empty cache with its usual bound and workers that run.
class PictureCacheTest : public ::testing::Test {
protected:
    PictureCacheTest() { Cache().Clear(); }
    ~PictureCacheTest() override
    {
        DecodeQueue::Instance().Hold(false);
        WaitForDecodes();
        Cache().Clear();
        Cache().SetLimit(PictureCache::DefaultLimit());
    }
    static PictureCache& Cache() { return PictureCache::Instance(); }

    QTemporaryDir m_dir;
};

}

TEST_F(PictureCacheTest, TheBoundIsAQuarterOfTheMemoryAtMostAGibibyte)
{
    EXPECT_GT(PictureCache::DefaultLimit(), 0);
    EXPECT_LE(PictureCache::DefaultLimit(), qint64(1) << 30);
    EXPECT_EQ(Cache().Limit(), PictureCache::DefaultLimit());
}

TEST_F(PictureCacheTest, KeepsWithinItsBoundDroppingTheLeastRecentlyShownFirst)
{
    const QSize size(100, 100);
    const qint64 bytes = Filled(size, Qt::red).sizeInBytes();
    Cache().SetLimit(3 * bytes);
    for (const char* name : { "a", "b", "c" })
        Cache().Insert(Key(name), Filled(size, Qt::red));
    // Showing "a" again makes "b" the least recently shown.
    ASSERT_FALSE(Cache().Find(Key("a"), size, PictureCache::Fit::Exact).isNull());
    Cache().Insert(Key("d"), Filled(size, Qt::red));
    EXPECT_TRUE(Cache().Find(Key("b"), size, PictureCache::Fit::Exact).isNull());
    for (const char* name : { "a", "c", "d" })
        EXPECT_FALSE(Cache().Find(Key(name), size, PictureCache::Fit::Exact).isNull()) << name;
    EXPECT_EQ(Cache().Count(), 3);
    EXPECT_EQ(Cache().Bytes(), 3 * bytes);

    // A smaller bound keeps the most recently shown; pixels larger than the whole bound are
    // not kept and push nothing out.
    Cache().SetLimit(bytes);
    EXPECT_EQ(Cache().Count(), 1);
    EXPECT_FALSE(Cache().Find(Key("d"), size, PictureCache::Fit::Exact).isNull());
    Cache().Insert(Key("huge"), Filled(QSize(200, 200), Qt::red));
    EXPECT_TRUE(Cache().Largest(Key("huge")).isNull());
    EXPECT_FALSE(Cache().Largest(Key("d")).isNull());
    EXPECT_LE(Cache().Bytes(), Cache().Limit());

    // Pixels standing in for others of another size count as shown too.
    Cache().SetLimit(2 * bytes);
    Cache().Insert(Key("e"), Filled(size, Qt::red));
    ASSERT_FALSE(Cache().Nearest(Key("d"), size / 2).isNull());
    Cache().Insert(Key("f"), Filled(size, Qt::red));
    EXPECT_TRUE(Cache().Largest(Key("e")).isNull());
    EXPECT_FALSE(Cache().Largest(Key("d")).isNull());
}

TEST_F(PictureCacheTest, ALargerDecodeServesSmallerRequests)
{
    const DecodeKey key = Key("photo");
    Cache().Insert(key, Filled({ 600, 400 }, Qt::red));
    Cache().Insert(key, Filled({ 150, 100 }, Qt::green));
    EXPECT_EQ(Cache().Find(key, { 100, 50 }, PictureCache::Fit::Covering).size(), QSize(150, 100));
    EXPECT_EQ(Cache().Find(key, { 300, 200 }, PictureCache::Fit::Covering).size(), QSize(600, 400));
    EXPECT_TRUE(Cache().Find(key, { 300, 200 }, PictureCache::Fit::Exact).isNull());
    // While exact pixels decode, larger ones stand in before smaller ones.
    EXPECT_EQ(Cache().Nearest(key, { 300, 200 }).size(), QSize(600, 400));
    EXPECT_EQ(Cache().Nearest(key, { 900, 600 }).size(), QSize(600, 400));
    EXPECT_EQ(Cache().Largest(key).size(), QSize(600, 400));

    // Through a decoder: once the whole file is decoded, a smaller size is scaled from those
    // pixels, not read again from the file (which meanwhile holds another picture).
    const QString path = WritePicture(m_dir, "red.png", { 600, 400 }, Qt::red);
    const auto decoder = ImageDecoder::Open(path);
    ASSERT_TRUE(decoder);
    ASSERT_EQ(Centre(decoder->FullImage()), QColor(Qt::red));
    WritePicture(m_dir, "red.png", { 600, 400 }, Qt::blue);
    const QImage smaller = decoder->Image({ 150, 100 });
    EXPECT_EQ(smaller.size(), QSize(150, 100));
    EXPECT_EQ(Centre(smaller), QColor(Qt::red));
}

TEST_F(PictureCacheTest, AFileChangedOnDiskIsDecodedAgain)
{
    const QString path = WritePicture(m_dir, "photo.png", { 300, 200 }, Qt::red);
    const auto before = ImageDecoder::Open(path);
    ASSERT_TRUE(before);
    EXPECT_EQ(Centre(before->Image({ 60, 40 })), QColor(Qt::red));

    WritePicture(m_dir, "photo.png", { 300, 200 }, Qt::blue);
    const auto after = ImageDecoder::Open(path);
    ASSERT_TRUE(after);
    EXPECT_FALSE(after->Key() == before->Key());
    EXPECT_EQ(Centre(after->Image({ 60, 40 })), QColor(Qt::blue));
    // The pixels of the old file are gone with it.
    EXPECT_TRUE(Cache().Largest(before->Key()).isNull());
}

TEST_F(PictureCacheTest, AFileReadUprightAndAsStoredKeepsBothReadingsApart)
{
    // A square photograph lying on its side: both readings have the same size, not the same
    // pixels, and both stay kept side by side.
    using namespace PhotoFiles;
    const QString path = Write(m_dir.filePath("square.jpg"), WithOrientation(JpegBytes(Quarters({ 200, 200 })), 6));
    const auto upright = ImageDecoder::Open(path, { ExifOrientation::Apply });
    const auto stored = ImageDecoder::Open(path);
    ASSERT_TRUE(upright && stored);
    EXPECT_TRUE(Near(upright->Image({ 100, 100 }).pixelColor(2, 2), Qt::blue, 40));
    EXPECT_TRUE(Near(stored->Image({ 100, 100 }).pixelColor(2, 2), Qt::red, 40));
    EXPECT_EQ(Cache().Count(), 2);
    EXPECT_FALSE(Cache().Find(upright->Key(), { 100, 100 }, PictureCache::Fit::Exact).isNull());
}

TEST_F(PictureCacheTest, FailuresAreRememberedUntilForgotten)
{
    const DecodeKey key = Key("broken");
    Cache().MarkFailed(key);
    EXPECT_TRUE(Cache().HasFailed(key));
    EXPECT_FALSE(Cache().HasFailed(Key("broken", 2)));
    Cache().Forget(key);
    EXPECT_FALSE(Cache().HasFailed(key));
    // Pixels that arrive after all clear the failure.
    Cache().MarkFailed(key);
    Cache().Insert(key, Filled({ 4, 4 }, Qt::red));
    EXPECT_FALSE(Cache().HasFailed(key));
}

// Many threads at once on the cache and the decode queue, as the window, the decoders and the
// prefetch use them: nothing is lost or counted twice, and the bound holds throughout. Run
// under the sanitizers too.
TEST_F(PictureCacheTest, ManyThreadsAtOnceKeepItWhole)
{
    const QSize size(32, 32);
    const qint64 bytes = Filled(size, Qt::red).sizeInBytes();
    Cache().SetLimit(10 * bytes);
    QStringList files;
    for (int index = 0; index < 6; ++index)
        files << WritePicture(m_dir, QStringLiteral("f%1.png").arg(index), { 64, 48 }, QColor(index * 40, 100, 200));
    std::vector<std::shared_ptr<ImageDecoder>> decoders;
    for (const QString& file : files)
        decoders.push_back(ImageDecoder::Open(file));

    std::atomic<bool> over_bound { false };
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 8; ++thread) {
        threads.emplace_back([&, thread] {
            std::mt19937 random(unsigned(thread) * 7919u + 1u);
            for (int step = 0; step < 1500; ++step) {
                const DecodeKey key = Key(QStringLiteral("k%1").arg(random() % 16));
                switch (random() % 8) {
                case 0:
                case 1:
                    Cache().Insert(key, Filled(size, Qt::red));
                    break;
                case 2:
                    Cache().Find(key, size, PictureCache::Fit::Covering);
                    break;
                case 3:
                    Cache().Nearest(key, { 8, 8 });
                    break;
                case 4:
                    Cache().Forget(key);
                    break;
                case 5:
                    Cache().MarkFailed(key);
                    break;
                case 6: {
                    // A ticket let go at once cancels its decode, or not, depending on timing.
                    auto ticket = std::make_shared<DecodeTicket>();
                    decoders[random() % decoders.size()]->Prefetch(QSize(int(8 + random() % 40), int(6 + random() % 30)),
                        random() % 2 ? DecodePriority::Shown : DecodePriority::Ahead, ticket);
                    break;
                }
                default:
                    decoders[random() % decoders.size()]->Image(QSize(int(8 + random() % 40), int(6 + random() % 30)));
                    break;
                }
                if (Cache().Bytes() > Cache().Limit())
                    over_bound = true;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    WaitForDecodes();
    EXPECT_FALSE(over_bound);
    // Every picture kept is counted once.
    EXPECT_LE(Cache().Bytes(), Cache().Limit());
    EXPECT_EQ(Cache().Bytes() == 0, Cache().Count() == 0);
    for (const auto& decoder : decoders)
        EXPECT_FALSE(decoder->Image({ 16, 12 }).isNull());
}

TEST_F(PictureCacheTest, ADecodeNobodyWantsAnyMoreIsDropped)
{
    const auto decoder = ImageDecoder::Open(WritePicture(m_dir, "a.png", { 200, 100 }, Qt::red));
    ASSERT_TRUE(decoder);
    DecodeQueue& queue = DecodeQueue::Instance();
    queue.Hold(true);
    auto ticket = std::make_shared<DecodeTicket>();
    decoder->Prefetch({ 50, 25 }, DecodePriority::Shown, ticket);
    EXPECT_EQ(queue.Pending(DecodePriority::Shown), 1);
    ticket.reset();
    EXPECT_EQ(queue.Pending(DecodePriority::Shown), 0);
    queue.Hold(false);
    WaitForDecodes();
    EXPECT_TRUE(Cache().Largest(decoder->Key()).isNull());
}

TEST_F(PictureCacheTest, RequestsForTheSamePixelsShareOneDecodeAndAllHearOfItOnTheUserInterfaceThread)
{
    const auto decoder = ImageDecoder::Open(WritePicture(m_dir, "a.png", { 200, 100 }, Qt::red));
    ASSERT_TRUE(decoder);
    DecodeQueue& queue = DecodeQueue::Instance();
    queue.Hold(true);
    std::vector<QThread*> heard_on;
    const auto listen = [&heard_on] { heard_on.push_back(QThread::currentThread()); };
    auto first = std::make_shared<DecodeTicket>(listen);
    auto second = std::make_shared<DecodeTicket>(listen);
    decoder->Prefetch({ 50, 25 }, DecodePriority::Ahead, first);
    EXPECT_EQ(queue.Pending(DecodePriority::Ahead), 1);
    // The page it is for comes on screen: the same decode moves to the normal threads.
    decoder->Prefetch({ 50, 25 }, DecodePriority::Shown, second);
    EXPECT_EQ(queue.Pending(DecodePriority::Ahead), 0);
    EXPECT_EQ(queue.Pending(DecodePriority::Shown), 1);
    // A picture drawn again asks again with the same ticket; it still hears once.
    decoder->Prefetch({ 50, 25 }, DecodePriority::Shown, second);
    queue.Hold(false);
    WaitForDecodes();
    ASSERT_EQ(heard_on.size(), 2u);
    for (QThread* thread : heard_on)
        EXPECT_EQ(thread, QCoreApplication::instance()->thread());
    EXPECT_EQ(Cache().Find(decoder->Key(), { 50, 25 }, PictureCache::Fit::Exact).size(), QSize(50, 25));
}

TEST_F(PictureCacheTest, WaitingForPixelsDecodesOnTheCallersThreadWhileTheWorkersAreHeld)
{
    const auto decoder = ImageDecoder::Open(WritePicture(m_dir, "a.png", { 200, 100 }, Qt::red));
    ASSERT_TRUE(decoder);
    DecodeQueue::Instance().Hold(true);
    int heard = 0;
    auto ticket = std::make_shared<DecodeTicket>([&heard] { ++heard; });
    decoder->Prefetch({ 50, 25 }, DecodePriority::Shown, ticket);
    const QImage pixels = decoder->Image({ 50, 25 });
    EXPECT_EQ(pixels.size(), QSize(50, 25));
    EXPECT_EQ(Centre(pixels), QColor(Qt::red));
    // The queued decode was the one taken: its ticket hears of it.
    EXPECT_EQ(DecodeQueue::Instance().Pending(DecodePriority::Shown), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(heard, 1);
}

TEST_F(PictureCacheTest, ABrokenFileEndsAsAFailureThatIsHeard)
{
    QImage stripes(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    const QString path = m_dir.filePath("cut.png");
    ASSERT_TRUE(stripes.save(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.resize(file.size() / 2);
    file.close();

    const auto decoder = ImageDecoder::Open(path);
    ASSERT_TRUE(decoder);
    int heard = 0;
    auto ticket = std::make_shared<DecodeTicket>([&heard] { ++heard; });
    const ImageDecoder::AtHand waiting = decoder->ImageAtHand({ 40, 30 }, ticket);
    EXPECT_FALSE(waiting.final);
    EXPECT_TRUE(waiting.image.isNull());
    WaitForDecodes();
    EXPECT_EQ(heard, 1);
    EXPECT_TRUE(decoder->Failed());
    // Now all there will ever be: nothing, and no decode starts again.
    const ImageDecoder::AtHand failed = decoder->ImageAtHand({ 40, 30 }, ticket);
    EXPECT_TRUE(failed.final);
    EXPECT_TRUE(failed.image.isNull());
    EXPECT_EQ(DecodeQueue::Instance().Pending(DecodePriority::Shown), 0);
}
