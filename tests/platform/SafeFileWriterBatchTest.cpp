#include "platform/SafeFileWriterBatch.h"

#include "platform/FileCopy.h"
#include "platform/SafeFileWriter.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

using TestSupport::EntriesIn;
using TestSupport::Put;
using TestSupport::ReadAll;

namespace {

// A writer for the target holding the bytes, not committed.
std::unique_ptr<SafeFileWriter> Written(const QString& target, const QByteArray& bytes)
{
    auto writer = std::make_unique<SafeFileWriter>(target);
    if (writer->Open())
        writer->Device().write(bytes);
    return writer;
}

// Lowers the number of files the process may hold open to those open now and a few more.
class OpenFileLimit {
public:
    explicit OpenFileLimit(int more)
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = rlim_t(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size() + more);
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    ~OpenFileLimit() { setrlimit(RLIMIT_NOFILE, &m_saved); }
    OpenFileLimit(const OpenFileLimit&) = delete;
    OpenFileLimit& operator=(const OpenFileLimit&) = delete;

private:
    rlimit m_saved {};
};

}

// Each writer of a batch keeps its own outcome: the ones that fail, at whatever step, leave
// their old targets byte for byte; the others replace theirs; no new file stays behind.
TEST(SafeFileWriterBatchTest, AFailedWriterKeepsItsOldTargetAndTheOthersGoOn)
{
    QTemporaryDir dir;
    for (const char* name : { "a.jpg", "big.jpg", "taken.jpg", "d.jpg" })
        Put(dir.filePath(name), QByteArray("old ") + name);
    const QString big_source = dir.filePath("big.source");
    Put(big_source, QByteArray(256 * 1024, 'b'));

    SafeFileWriterBatch batch;
    EXPECT_EQ(batch.Add(Written(dir.filePath("a.jpg"), "first a")), 0);
    {
        // The disk fills up during the second copy.
        const TestSupport::FileSizeLimit limit(64 * 1024);
        EXPECT_EQ(batch.Add(WriteFileCopy(big_source, dir.filePath("big.jpg"))), 1);
    }
    EXPECT_EQ(batch.Add(Written(dir.filePath("taken.jpg"), "new taken")), 2);
    EXPECT_EQ(batch.Add(WriteFileCopy(dir.filePath("missing.jpg"), dir.filePath("missing copy.jpg"))), 3);
    EXPECT_EQ(batch.Add(Written(dir.filePath("d.jpg"), "new d")), 4);
    // Written twice in one batch, the later contents win as they would one file at a time.
    EXPECT_EQ(batch.Add(Written(dir.filePath("a.jpg"), "second a")), 5);
    // A writer handed over without ever being opened wrote nothing.
    EXPECT_EQ(batch.Add(std::make_unique<SafeFileWriter>(dir.filePath("never.jpg"))), 6);
    // The target turns into a folder before the batch gets to it.
    ASSERT_TRUE(QFile::remove(dir.filePath("taken.jpg")));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("taken.jpg/inside")));

    EXPECT_FALSE(batch.Commit());
    for (const int failed : { 1, 2, 3, 6 })
        EXPECT_FALSE(batch.ErrorText(failed).isEmpty()) << failed;
    for (const int replaced : { 0, 4, 5 })
        EXPECT_TRUE(batch.ErrorText(replaced).isEmpty()) << replaced << ": " << batch.ErrorText(replaced).toStdString();
    EXPECT_FALSE(batch.ErrorText(7).isEmpty());
    EXPECT_EQ(ReadAll(dir.filePath("a.jpg")), "second a");
    EXPECT_EQ(ReadAll(dir.filePath("big.jpg")), "old big.jpg");
    EXPECT_EQ(ReadAll(dir.filePath("d.jpg")), "new d");
    EXPECT_EQ(EntriesIn(dir.path()), QStringList({ "a.jpg", "big.jpg", "big.source", "d.jpg", "taken.jpg" }));
    EXPECT_EQ(EntriesIn(dir.filePath("taken.jpg")), QStringList { "inside" });
}

TEST(SafeFileWriterBatchTest, ABatchNeverCommittedChangesNothing)
{
    QTemporaryDir dir;
    Put(dir.filePath("kept.png"), "old");
    {
        SafeFileWriterBatch batch;
        batch.Add(Written(dir.filePath("kept.png"), "new"));
        batch.Add(Written(dir.filePath("fresh.png"), "new"));
    }
    EXPECT_EQ(ReadAll(dir.filePath("kept.png")), "old");
    EXPECT_EQ(EntriesIn(dir.path()), QStringList { "kept.png" });
}

TEST(SafeFileWriterBatchTest, AFolderThatTakesNoNewFileFailsOnlyItsWriters)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("locked");
    const TestSupport::ReadOnlyFolder locked(folder, [](const QString& path) { Put(path + "/old.png", "old"); });
    if (!locked.IsReady())
        GTEST_SKIP() << "cannot make a folder that takes no new files here";
    SafeFileWriterBatch batch;
    const int refused = batch.Add(Written(folder + "/old.png", "new"));
    const int written = batch.Add(Written(dir.filePath("elsewhere.png"), "new"));
    EXPECT_FALSE(batch.Commit());
    EXPECT_FALSE(batch.ErrorText(refused).isEmpty());
    EXPECT_TRUE(batch.ErrorText(written).isEmpty());
    EXPECT_EQ(ReadAll(folder + "/old.png"), "old");
    EXPECT_EQ(EntriesIn(folder), QStringList { "old.png" });
    EXPECT_EQ(ReadAll(dir.filePath("elsewhere.png")), "new");
}

// A note may hold more images than the process may open files: the batch never keeps them
// all open, and its numbers still match the writers past the first few it committed early.
TEST(SafeFileWriterBatchTest, MoreWritersThanTheProcessCanOpenFiles)
{
    constexpr int kWriters = 300;
    QTemporaryDir dir;
    SafeFileWriterBatch batch;
    {
        const OpenFileLimit limit(SafeFileWriterBatch::kMostWaiting + 16);
        for (int index = 0; index < kWriters; ++index) {
            std::unique_ptr<SafeFileWriter> writer = Written(dir.filePath(QString::number(index)), QByteArray::number(index));
            ASSERT_TRUE(writer->ErrorText().isEmpty()) << index << ": " << writer->ErrorText().toStdString();
            if (index % 7 == 3)
                writer->Fail(EIO);
            ASSERT_EQ(batch.Add(std::move(writer)), index);
        }
        EXPECT_FALSE(batch.Commit());
    }
    int present = 0;
    for (int index = 0; index < kWriters; ++index) {
        const bool failed = index % 7 == 3;
        EXPECT_EQ(batch.ErrorText(index).isEmpty(), !failed) << index;
        if (!failed) {
            EXPECT_EQ(ReadAll(dir.filePath(QString::number(index))), QByteArray::number(index));
            ++present;
        }
    }
    EXPECT_EQ(EntriesIn(dir.path()).size(), present);
}
