#include "app/NoteRecovery.h"
#include "app/RecoveryStore.h"
#include "app/RecoveryWriter.h"
#include "document/RecoveryFile.h"
#include "platform/ScriptedUserPrompt.h"

#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

NoteSnapshot NoteOf(const QString& text, int pages = 1)
{
    NoteSnapshot snapshot;
    snapshot.pages.clear();
    for (int page = 0; page < pages; ++page)
        snapshot.pages << text;
    return snapshot;
}

// The number of a process that has ended.
qint64 EndedProcess()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

// Leaves a recovery file as an editor that ended leaves it: with no lock, or with the lock of
// a process that is gone.
QString LeaveCopy(const QString& folder, const QString& name, const NoteSnapshot& snapshot, bool with_stale_lock,
    QDateTime written)
{
    const QString path = QDir(folder).filePath(name + QStringLiteral(".tsr"));
    EXPECT_TRUE(RecoveryFile::Write(path, snapshot));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(written, QFileDevice::FileModificationTime);
    if (with_stale_lock) {
        QFile lock(QDir(folder).filePath(name + QStringLiteral(".lock")));
        EXPECT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(EndedProcess()) + "\ntessary\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    return path;
}

bool WaitForCopy(const QString& path, const NoteSnapshot& expected)
{
    return QTest::qWaitFor([&] { return RecoveryFile::Read(path) == expected; }, 5000);
}

}

TEST(RecoveryStoreTest, TwoRunningEditorsKeepTheirCopiesApart)
{
    QTemporaryDir folder;
    RecoveryStore first(folder.path());
    RecoveryStore second(folder.path());
    ASSERT_TRUE(first.Claim());
    ASSERT_TRUE(second.Claim());
    ASSERT_NE(first.FilePath(), second.FilePath());
    {
        RecoveryWriter first_writer(first.FilePath());
        RecoveryWriter second_writer(second.FilePath());
        first_writer.Submit(NoteOf(QStringLiteral("first")));
        second_writer.Submit(NoteOf(QStringLiteral("second")));
    }
    EXPECT_EQ(RecoveryFile::Read(first.FilePath()), NoteOf(QStringLiteral("first")));
    EXPECT_EQ(RecoveryFile::Read(second.FilePath()), NoteOf(QStringLiteral("second")));
    // Neither takes the other's copy for one left behind while both run.
    EXPECT_TRUE(first.TakeOrphans().isEmpty());
    EXPECT_TRUE(second.TakeOrphans().isEmpty());
    RecoveryStore starting(folder.path());
    ASSERT_TRUE(starting.Claim());
    EXPECT_TRUE(starting.TakeOrphans().isEmpty());
}

TEST(RecoveryStoreTest, CopiesOfEndedEditorsAreOfferedNewestFirstToOneEditorOnly)
{
    QTemporaryDir folder;
    const QDateTime now = QDateTime::currentDateTime();
    const QString older = LeaveCopy(folder.path(), QStringLiteral("1-1"), NoteOf(QStringLiteral("old")), true, now.addSecs(-60));
    const QString newer = LeaveCopy(folder.path(), QStringLiteral("2-2"), NoteOf(QStringLiteral("new")), false, now.addSecs(-5));
    // An editor that ended without anything to keep leaves only its lock.
    QFile left_lock(folder.filePath(QStringLiteral("3-3.lock")));
    ASSERT_TRUE(left_lock.open(QIODevice::WriteOnly));
    left_lock.write(QByteArray::number(EndedProcess()) + "\ntessary\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    left_lock.close();

    auto store = std::make_unique<RecoveryStore>(folder.path());
    ASSERT_TRUE(store->Claim());
    EXPECT_EQ(store->TakeOrphans(), (QStringList { newer, older }));
    EXPECT_FALSE(QFileInfo::exists(left_lock.fileName()));
    // Another editor starting at the same time is not offered what this one offers.
    RecoveryStore other(folder.path());
    EXPECT_TRUE(other.TakeOrphans().isEmpty());

    store->Discard(newer);
    EXPECT_FALSE(QFileInfo::exists(newer));
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("2-2.lock"))));
    // A copy not dealt with stays for the next start.
    store.reset();
    EXPECT_EQ(other.TakeOrphans(), QStringList { older });
}

TEST(RecoveryWriterTest, ABurstOfChangesIsWrittenOnceAtOnceThenOnceMoreWithTheNewest)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("copy.tsr"));
    RecoveryWriter writer(path, 300ms);
    for (int change = 1; change <= 50; ++change)
        writer.Submit(NoteOf(QString::number(change)));
    ASSERT_TRUE(WaitForCopy(path, NoteOf(QStringLiteral("50"))));
    EXPECT_LE(writer.WriteCount(), 2);
    // The first change after a quiet interval goes out at once.
    QTest::qWait(400);
    const int writes = writer.WriteCount();
    writer.Submit(NoteOf(QStringLiteral("later")));
    ASSERT_TRUE(WaitForCopy(path, NoteOf(QStringLiteral("later"))));
    EXPECT_EQ(writer.WriteCount(), writes + 1);
}

TEST(RecoveryWriterTest, RemovingDropsTheFileAndTheWriteNotDoneYet)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("copy.tsr"));
    RecoveryWriter writer(path, 10s);
    writer.Submit(NoteOf(QStringLiteral("1")));
    ASSERT_TRUE(WaitForCopy(path, NoteOf(QStringLiteral("1"))));
    writer.Submit(NoteOf(QStringLiteral("2"))); // waits for the interval
    writer.Remove();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !QFileInfo::exists(path); }, 5000));
    writer.Flush();
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(RecoveryWriterTest, FlushAndTheEndWriteTheNewestWithoutWaiting)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("copy.tsr"));
    {
        RecoveryWriter writer(path, 10s);
        writer.Submit(NoteOf(QStringLiteral("1")));
        ASSERT_TRUE(WaitForCopy(path, NoteOf(QStringLiteral("1"))));
        writer.Submit(NoteOf(QStringLiteral("2")));
        writer.Flush();
        EXPECT_EQ(RecoveryFile::Read(path), NoteOf(QStringLiteral("2")));
        writer.Submit(NoteOf(QStringLiteral("3")));
    }
    EXPECT_EQ(RecoveryFile::Read(path), NoteOf(QStringLiteral("3")));
}

TEST(NoteRecoveryTest, LeftCopiesAreOfferedUntilOneIsTakenOrTheQuestionPutOff)
{
    ScriptedUserPrompt& prompt = ScriptedUserPrompt::Install();
    QTemporaryDir folder;
    const QDateTime now = QDateTime::currentDateTime();
    const QString oldest = LeaveCopy(folder.path(), QStringLiteral("1-1"), NoteOf(QStringLiteral("oldest")), false, now.addSecs(-90));
    const QString middle = LeaveCopy(folder.path(), QStringLiteral("2-2"), NoteOf(QStringLiteral("middle")), false, now.addSecs(-60));
    const QString broken = folder.filePath(QStringLiteral("3-3.tsr"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("TessaryRecovery 1\npath 7\n");
    file.close();
    const QString newest = LeaveCopy(folder.path(), QStringLiteral("4-4"), NoteOf(QStringLiteral("newest")), true, now.addSecs(-10));

    {
        // Put off: nothing is deleted, and another editor may offer the copies at once.
        NoteRecovery putting_off(folder.path());
        ASSERT_TRUE(putting_off.Start());
        prompt.QueueAnswer(Answer::Cancel);
        EXPECT_EQ(putting_off.OfferLeftCopies(), std::nullopt);
        EXPECT_EQ(prompt.Requests().size(), 1u);
        EXPECT_TRUE(QFileInfo::exists(newest));
        RecoveryStore other(folder.path());
        EXPECT_EQ(other.TakeOrphans().size(), 4);
    }

    prompt.ClearRequests();
    NoteRecovery recovery(folder.path());
    ASSERT_TRUE(recovery.Start());
    prompt.QueueAnswer(Answer::No);
    prompt.QueueAnswer(Answer::Yes);
    EXPECT_EQ(recovery.OfferLeftCopies(), NoteOf(QStringLiteral("middle")));
    ASSERT_EQ(prompt.Requests().size(), 2u);
    EXPECT_EQ(prompt.Requests()[0].kind, ScriptedUserPrompt::Kind::YesNoCancel);
    EXPECT_TRUE(prompt.Requests()[0].text.startsWith(QStringLiteral(u"前回保存されなかったノートがあります。復元しますか?")));
    EXPECT_EQ(prompt.Requests()[0].caption, QStringLiteral("Tessary"));
    // The declined and the taken copy are gone; the taken one lives on as this editor's copy.
    EXPECT_FALSE(QFileInfo::exists(newest));
    EXPECT_FALSE(QFileInfo::exists(middle));
    EXPECT_EQ(RecoveryFile::Read(recovery.FilePath()), NoteOf(QStringLiteral("middle")));
    EXPECT_TRUE(QFileInfo::exists(oldest));
    EXPECT_TRUE(QFileInfo::exists(broken));

    recovery.Forget();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !QFileInfo::exists(recovery.FilePath()); }, 5000));
    SetPrompt(nullptr);
}

// A recovery copy that cannot be written (a full disk) is never taken for kept: the user is
// told once until a copy is written again, the session's last copy answers false, and a copy
// left by another editor stays when it could not be moved into this editor's file.
TEST(NoteRecoveryTest, ACopyThatCannotBeWrittenIsToldOnceAndNeverTakenForKept)
{
    ScriptedUserPrompt& prompt = ScriptedUserPrompt::Install();
    QTemporaryDir folder;
    const NoteSnapshot large = NoteOf(QString(2000, u'x'));
    const NoteSnapshot small = NoteOf(QStringLiteral("s"));
    const QString left = LeaveCopy(folder.path(), QStringLiteral("1-1"), large, false, QDateTime::currentDateTime());
    NoteRecovery recovery(folder.path());
    ASSERT_TRUE(recovery.Start());
    const auto told = [&] {
        int count = 0;
        for (const auto& request : prompt.Requests())
            count += request.kind == ScriptedUserPrompt::Kind::Message
                && request.text.startsWith(QStringLiteral(u"復元用のコピーを書き込めません。"));
        return count;
    };
    {
        const TestSupport::FileSizeLimit limit(256);
        prompt.QueueAnswer(Answer::Yes);
        EXPECT_EQ(recovery.OfferLeftCopies(), large);
        EXPECT_TRUE(QFileInfo::exists(left));
        EXPECT_FALSE(recovery.KeepNow(large));
        recovery.Keep(large);
        recovery.Keep(large);
        EXPECT_EQ(told(), 1);
    }
    EXPECT_TRUE(recovery.KeepNow(small));
    recovery.Keep(small);
    {
        const TestSupport::FileSizeLimit limit(256);
        EXPECT_FALSE(recovery.KeepNow(large));
        EXPECT_EQ(RecoveryFile::Read(recovery.FilePath()), small);
        recovery.Keep(large);
    }
    EXPECT_EQ(told(), 2);
    SetPrompt(nullptr);
}
