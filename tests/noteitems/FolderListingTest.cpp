#include "noteitems/FolderListingCache.h"
#include "noteitems/FolderScan.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace {

void Touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

// A scan runs at idle priority, so on a busy machine it may take a while; the limit only
// guards against a hang.
bool WaitUntil(const std::function<bool()>& done)
{
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!done() && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return done();
}

void WaitForScan(const FolderListingCache& cache)
{
    ASSERT_TRUE(WaitUntil([&cache] { return !cache.Running(); }));
}

QStringList Listing(FolderListingCache& cache, const QString& folder)
{
    QStringList paths;
    QString path;
    for (int i = 0; cache.Get(folder, i, path); ++i)
        paths.append(path);
    return paths;
}

QSet<QString> AsSet(const QStringList& list)
{
    return QSet<QString>(list.begin(), list.end());
}

// root: b.JPG, a.png, c.txt, x.jpeg, .h.png, link.png -> a.png, loop -> root, pipe.png (a fifo),
// .git/z.png, s/d.gif, s/t/e.bmp, u/f.tif
class ImageTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path() + u'/';
        for (const char* name : { "b.JPG", "a.png", "c.txt", "x.jpeg", ".h.png", ".git/z.png", "s/d.gif", "s/t/e.bmp", "u/f.tif" })
            Touch(m_root + QString::fromUtf8(name));
        ASSERT_TRUE(QFile::link(m_root + "a.png", m_root + "link.png"));
        ASSERT_TRUE(QFile::link(m_dir.path(), m_root + "loop"));
        ASSERT_EQ(mkfifo(QFile::encodeName(m_root + "pipe.png").constData(), 0600), 0);
    }

    QTemporaryDir m_dir;
    QString m_root;
};

TEST_F(ImageTree, ScanListsOwnImagesThenSubFoldersDepthFirstInRealCase)
{
    FolderListingCache cache;
    ASSERT_TRUE(cache.Open(m_root, FolderListingCache::Rescan::No));
    WaitForScan(cache);
    const QStringList paths = Listing(cache, m_root);

    // The folder's own images come first, by name; hidden files, the fifo and the linked
    // folder are left out. Each sub-folder comes before its own sub-folders, by name.
    EXPECT_EQ(paths, QStringList({ m_root + "a.png", m_root + "b.JPG", m_root + "link.png", m_root + "x.jpeg",
                                   m_root + "s/d.gif", m_root + "s/t/e.bmp", m_root + "u/f.tif" }));
    // The folder may be named without its trailing separator.
    EXPECT_EQ(cache.Count(m_dir.path()), 7);
    EXPECT_EQ(cache.Progress(), -1);
    EXPECT_EQ(cache.ProgressPercent(), 0);
}

TEST(FolderListingTest, FoldersAreVisitedByNameWithNumbersAsNumbers)
{
    QTemporaryDir dir;
    const QString root = dir.path() + u'/';
    // Created in an order unlike the names', so the file system's order is unlikely to match.
    for (const char* name : { "img10.jpg", "10/a.png", "IMG2.HEIC", "2/b.avif", "img1.JPEG", "Photo.tiff", "1b/c.jxl", "notes.txt" })
        Touch(root + QString::fromUtf8(name));
    FolderListingCache cache;
    ASSERT_TRUE(cache.Open(root, FolderListingCache::Rescan::No));
    WaitForScan(cache);
    EXPECT_EQ(Listing(cache, root), QStringList({ root + "img1.JPEG", root + "IMG2.HEIC", root + "img10.jpg", root + "Photo.tiff",
                                                  root + "1b/c.jxl", root + "2/b.avif", root + "10/a.png" }));
    QStringList own;
    ASSERT_TRUE(FolderScan::ListImages(root, own));
    EXPECT_EQ(own, QStringList({ root + "img1.JPEG", root + "IMG2.HEIC", root + "img10.jpg", root + "Photo.tiff" }));
}

TEST_F(ImageTree, PlainListingHoldsOnlyTheFolderOwnImages)
{
    QStringList paths { "stale" };
    ASSERT_TRUE(FolderScan::ListImages(m_dir.path(), paths));
    EXPECT_EQ(AsSet(paths), (QSet<QString> { m_root + "b.JPG", m_root + "a.png", m_root + "link.png", m_root + ".h.png",
                                              m_root + "x.jpeg" }));

    EXPECT_FALSE(FolderScan::ListImages(m_root + "missing", paths));
    EXPECT_TRUE(paths.isEmpty());
}

TEST_F(ImageTree, FindIndexPrefersTheExactNameThenIgnoresCase)
{
    Touch(m_root + "s/D.GIF");
    FolderListingCache cache;
    ASSERT_TRUE(cache.Open(m_root + "s", FolderListingCache::Rescan::No));
    WaitForScan(cache);
    const QString folder = m_root + "s/";
    const QStringList paths = Listing(cache, folder);
    ASSERT_EQ(paths.size(), 3);

    EXPECT_EQ(cache.FindIndex(folder, m_root + "s/D.GIF"), paths.indexOf(m_root + "s/D.GIF"));
    EXPECT_EQ(cache.FindIndex(folder, m_root + "s/d.gif"), paths.indexOf(m_root + "s/d.gif"));
    EXPECT_EQ(cache.FindIndex(folder, m_root + "S/T/E.BMP"), paths.indexOf(m_root + "s/t/e.bmp"));
    EXPECT_EQ(cache.FindIndex(folder, m_root + "s/none.gif"), -1);
    EXPECT_EQ(cache.FindIndex(m_root + "elsewhere", m_root + "s/d.gif"), -1);
}

TEST_F(ImageTree, OpenScansOnceUnlessARescanIsAsked)
{
    FolderListingCache cache;
    ASSERT_TRUE(cache.Open(m_root + "u", FolderListingCache::Rescan::No));
    ASSERT_TRUE(cache.Open(m_root + "u/", FolderListingCache::Rescan::No));
    EXPECT_EQ(cache.ScansStarted(), 1);
    WaitForScan(cache);
    Touch(m_root + "u/g.png");

    ASSERT_TRUE(cache.Open(m_root + "u", FolderListingCache::Rescan::No));
    EXPECT_EQ(cache.ScansStarted(), 1);
    EXPECT_EQ(cache.Count(m_root + "u"), 1);

    ASSERT_TRUE(cache.Open(m_root + "u", FolderListingCache::Rescan::Yes));
    WaitForScan(cache);
    EXPECT_EQ(cache.ScansStarted(), 2);
    EXPECT_EQ(cache.Count(m_root + "u"), 2);
}

TEST(FolderScan, ProgressRisesPerSubFolderAndEndsAtMinusOne)
{
    QTemporaryDir dir;
    for (const char* name : { "a/1.png", "b/2.png", "c/3.png", "d/4.png" })
        Touch(dir.filePath(QString::fromUtf8(name)));
    std::vector<double> progress;
    int appended = 0;
    FolderScan scan(
        dir.path(), [&appended](std::vector<QString>& paths) { appended += int(paths.size()); }, {},
        [&progress](double fraction) { progress.push_back(fraction); });

    EXPECT_TRUE(scan.Run());
    EXPECT_EQ(appended, 4);
    EXPECT_EQ(progress, (std::vector<double> { 0, 0, 0.25, 0.5, 0.75, -1 }));
}

TEST(FolderScan, HonoursTheStopRequest)
{
    QTemporaryDir dir;
    for (int i = 0; i < 50; ++i)
        Touch(dir.filePath(QStringLiteral("f%1/p.png").arg(i)));
    int looks = 0;
    int appended = 0;
    std::vector<double> progress;
    FolderScan scan(
        dir.path(), [&appended](std::vector<QString>& paths) { appended += int(paths.size()); },
        [&looks] { return ++looks > 10; }, [&progress](double fraction) { progress.push_back(fraction); });

    EXPECT_FALSE(scan.Run());
    EXPECT_EQ(appended, 0);
    EXPECT_EQ(progress.back(), -1);
    EXPECT_LT(looks, 20);
}

// A scan that lists one entry, waits until it is told to stop while its folder is held, and
// otherwise goes on to list a second entry; so the tests below control exactly when a scan is
// under way.
class HeldScan {
public:
    FolderListingCache::ScanFunction Function()
    {
        return [this](const QString& folder, const FolderScan::AppendFunction& append,
                      const FolderScan::StopFunction& stop_requested, const FolderScan::ProgressFunction& progress) {
            progress(0.5);
            std::vector<QString> paths { folder + "first.png" };
            append(paths);
            {
                std::unique_lock lock(m_mutex);
                ++m_runs[folder];
                if (m_hold.value(folder, false)) {
                    while (!stop_requested())
                        m_wake.wait_for(lock, std::chrono::milliseconds(1));
                    return false;
                }
            }
            paths = { folder + "second.png" };
            append(paths);
            return true;
        };
    }
    void Hold(const QString& folder, bool hold = true)
    {
        std::lock_guard lock(m_mutex);
        m_hold[folder] = hold;
    }
    int Runs(const QString& folder)
    {
        std::lock_guard lock(m_mutex);
        return m_runs.value(folder);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    QHash<QString, bool> m_hold;
    QHash<QString, int> m_runs;
};

TEST(FolderListingCache, AScanStoppedByAnotherFolderIsResumedAfterIt)
{
    HeldScan held;
    held.Hold("/a/");
    FolderListingCache cache(held.Function());
    ASSERT_TRUE(cache.Open("/a", FolderListingCache::Rescan::No));
    ASSERT_TRUE(WaitUntil([&cache] { return cache.Count("/a") == 1; }));
    EXPECT_TRUE(cache.Running());
    EXPECT_EQ(cache.ProgressPercent(), 50);

    // Without the stop request this open would wait for the held scan for ever. The stopped
    // listing stays readable meanwhile.
    held.Hold("/a/", false);
    ASSERT_TRUE(cache.Open("/b", FolderListingCache::Rescan::No));
    EXPECT_GE(cache.Count("/a"), 1);
    WaitForScan(cache);
    EXPECT_EQ(Listing(cache, "/b"), (QStringList { "/b/first.png", "/b/second.png" }));
    // Resumed to the end, without listing its first entry twice.
    EXPECT_EQ(Listing(cache, "/a"), (QStringList { "/a/first.png", "/a/second.png" }));
    EXPECT_EQ(held.Runs("/a/"), 2);

    // A complete listing is kept: no further scan.
    ASSERT_TRUE(cache.Open("/a", FolderListingCache::Rescan::No));
    EXPECT_EQ(cache.ScansStarted(), 2);
    EXPECT_FALSE(cache.Running());
}

TEST(FolderListingCache, ScansStoppedOneAfterAnotherAllEndComplete)
{
    HeldScan held;
    held.Hold("/a/");
    held.Hold("/b/");
    FolderListingCache cache(held.Function());
    ASSERT_TRUE(cache.Open("/a", FolderListingCache::Rescan::No));
    ASSERT_TRUE(WaitUntil([&held] { return held.Runs("/a/") == 1; }));
    ASSERT_TRUE(cache.Open("/b", FolderListingCache::Rescan::No));
    ASSERT_TRUE(WaitUntil([&held] { return held.Runs("/b/") == 1; }));
    held.Hold("/a/", false);
    held.Hold("/b/", false);
    ASSERT_TRUE(cache.Open("/c", FolderListingCache::Rescan::No));
    WaitForScan(cache);
    for (const QString folder : { "/a/", "/b/", "/c/" })
        EXPECT_EQ(Listing(cache, folder), (QStringList { folder + "first.png", folder + "second.png" })) << folder.toStdString();
}

TEST(FolderListingCache, RescanOfARunningScanKeepsTheNewListing)
{
    HeldScan held;
    held.Hold("/a/");
    FolderListingCache cache(held.Function());
    ASSERT_TRUE(cache.Open("/a/", FolderListingCache::Rescan::No));
    ASSERT_TRUE(cache.Open("/a/", FolderListingCache::Rescan::Yes));
    // The second scan is held too; the destructor's stop request ends it.
    EXPECT_TRUE(WaitUntil([&cache] { return cache.Count("/a/") == 1; }));
    EXPECT_EQ(cache.ScansStarted(), 2);
}

}

namespace {

TEST_F(ImageTree, FolderModeTakesTheFirstPathThatLoads)
{
    FolderListingCache cache;
    ASSERT_TRUE(cache.Open(m_root, FolderListingCache::Rescan::No));
    QStringList tried;
    const int index = cache.FirstAccepted(m_root, [&tried](const QString& path) {
        tried.append(path);
        return path.endsWith("e.bmp");
    });
    ASSERT_GE(index, 0);
    QString path;
    ASSERT_TRUE(cache.Get(m_root, index, path));
    EXPECT_EQ(path, m_root + "s/t/e.bmp");
    // Every path is offered once, in listing order.
    EXPECT_EQ(tried, Listing(cache, m_root).mid(0, index + 1));

    WaitForScan(cache);
    EXPECT_EQ(cache.FirstAccepted(m_root, [](const QString&) { return false; }), -1);
    EXPECT_EQ(cache.FirstAccepted(m_root + "never-opened", [](const QString&) { return true; }), -1);
}

}

namespace {

// An image item in folder mode whose folder holds no picture of its own must not wait for the
// background scan: at idle priority on a busy machine that scan may hardly run. Here the
// background scan lists its first entry and then never goes on until it is stopped; the
// answer still comes, from the entries listed on the asking thread.
TEST(FolderListingCache, FolderModeNeverWaitsForTheBackgroundScan)
{
    const std::thread::id asking = std::this_thread::get_id();
    std::atomic<bool> background_held { false };
    FolderListingCache cache([&](const QString& folder, const FolderScan::AppendFunction& append,
                                 const FolderScan::StopFunction& stop_requested, const FolderScan::ProgressFunction&) {
        for (const char* name : { "a.png", "b.png", "c.png" }) {
            std::vector<QString> paths { folder + name };
            append(paths);
            if (stop_requested())
                return false;
            if (std::this_thread::get_id() != asking) {
                background_held = true;
                while (!stop_requested())
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                return false;
            }
        }
        return true;
    });
    ASSERT_TRUE(cache.Open("/f", FolderListingCache::Rescan::No));
    ASSERT_TRUE(WaitUntil([&] { return background_held.load(); }));
    ASSERT_TRUE(cache.Running());

    QStringList tried;
    const int index = cache.FirstAccepted("/f", [&tried](const QString& path) {
        tried.append(path);
        return path.endsWith("c.png");
    });
    EXPECT_EQ(index, 2);
    // Each path once, in listing order: what the listing held, then the rest.
    EXPECT_EQ(tried, (QStringList { "/f/a.png", "/f/b.png", "/f/c.png" }));
    EXPECT_TRUE(cache.Running());

    tried.clear();
    EXPECT_EQ(cache.FirstAccepted("/f", [&tried](const QString& path) {
        tried.append(path);
        return false;
    }), -1);
    EXPECT_EQ(tried.size(), 3);
}

}

namespace {

// Opening another folder asks the running scan to stop but does not wait for it: a scan at
// idle priority may not look at the request for long. The new folder is scanned once the old
// scan has stopped, and the old one is resumed after it, never two at once.
TEST(FolderListingCache, OpeningAnotherFolderNeverWaitsForTheRunningScan)
{
    std::mutex mutex;
    std::condition_variable changed;
    bool released = false;
    int running = 0;
    int most_running = 0;
    FolderListingCache cache([&](const QString& folder, const FolderScan::AppendFunction& append,
                                 const FolderScan::StopFunction& stop_requested, const FolderScan::ProgressFunction&) {
        {
            std::unique_lock lock(mutex);
            most_running = std::max(most_running, ++running);
            // The scan of /a/ sees no stop request until it gets the processor again.
            if (folder == "/a/")
                changed.wait(lock, [&] { return released; });
        }
        std::vector<QString> paths { folder + "1.png" };
        append(paths);
        const bool stopped = stop_requested();
        if (!stopped) {
            paths = { folder + "2.png" };
            append(paths);
        }
        std::lock_guard lock(mutex);
        --running;
        return !stopped;
    });
    ASSERT_TRUE(cache.Open("/a", FolderListingCache::Rescan::No));
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard lock(mutex);
        return running == 1;
    }));
    // Returns although the scan of /a/ cannot stop yet.
    ASSERT_TRUE(cache.Open("/b", FolderListingCache::Rescan::No));
    EXPECT_EQ(cache.Count("/b"), 0);
    {
        std::lock_guard lock(mutex);
        released = true;
    }
    changed.notify_all();
    WaitForScan(cache);
    EXPECT_EQ(Listing(cache, "/b"), (QStringList { "/b/1.png", "/b/2.png" }));
    EXPECT_EQ(Listing(cache, "/a"), (QStringList { "/a/1.png", "/a/2.png" }));
    EXPECT_EQ(most_running, 1);
}

}
