#include "platform/SafeFileWriter.h"

#include "platform/LeftoverFiles.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TestSupport::EntriesIn;
using TestSupport::Put;
using TestSupport::ReadAll;

namespace {

mode_t ModeOf(const QString& path)
{
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

}

TEST(SafeFileWriterTest, ReplacesTheFileALinkNamesAndKeepsItsPermissions)
{
    QTemporaryDir dir;
    const QString note = dir.filePath("note.tsy");
    Put(note, "an older and longer text");
    ASSERT_EQ(::chmod(QFile::encodeName(note).constData(), 0640), 0);
    ASSERT_TRUE(SafeFileWriter::WriteFile(note, "new"));
    EXPECT_EQ(ReadAll(note), "new");
    EXPECT_EQ(ModeOf(note), 0640u);

    // Written through a link, the link stays and the file it names changes.
    const QString link = dir.filePath("link.tsy");
    ASSERT_TRUE(QFile::link(QStringLiteral("note.tsy"), link));
    SafeFileWriter writer(link);
    ASSERT_TRUE(writer.Open());
    EXPECT_EQ(writer.FinalPath(), note);
    // Writers that go back, as the TIFF encoder does, find a seekable file.
    ASSERT_EQ(writer.Device().write("xxxx, through the link"), 22);
    ASSERT_TRUE(writer.Device().seek(0));
    ASSERT_EQ(writer.Device().write("Sent"), 4);
    ASSERT_TRUE(writer.Commit());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadAll(note), "Sent, through the link");

    EXPECT_TRUE(SafeFileWriter::WriteFile(dir.filePath("fresh.tsy"), QByteArray()));
    EXPECT_EQ(EntriesIn(dir.path()), QStringList({ "fresh.tsy", "link.tsy", "note.tsy" }));
}

TEST(SafeFileWriterTest, AnyFailureKeepsTheOldFileAndLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("page.png");
    const QByteArray old_bytes = "the old picture";
    Put(target, old_bytes);
    const QByteArray big(64 * 1024, 'x');

    {
        SCOPED_TRACE("a full disk");
        const TestSupport::FileSizeLimit limit(4096);
        QString reason;
        EXPECT_FALSE(SafeFileWriter::WriteFile(target, big, &reason));
        EXPECT_FALSE(reason.isEmpty());
    }
    {
        SCOPED_TRACE("a writer that does not look at what its writes answer");
        const TestSupport::FileSizeLimit limit(4096);
        SafeFileWriter writer(target);
        ASSERT_TRUE(writer.Open());
        writer.Device().write(big);
        writer.Device().write("and more after the failure");
        EXPECT_FALSE(writer.Commit());
        EXPECT_FALSE(writer.ErrorText().isEmpty());
    }
    {
        SCOPED_TRACE("a failure the caller noticed");
        SafeFileWriter writer(target);
        ASSERT_TRUE(writer.Open());
        writer.Device().write("half");
        writer.Fail(EIO);
        EXPECT_FALSE(writer.Commit());
    }
    {
        SCOPED_TRACE("never committed");
        SafeFileWriter writer(target);
        ASSERT_TRUE(writer.Open());
        writer.Device().write("abandoned");
    }
    {
        SCOPED_TRACE("a target that became a folder before the rename");
        const QString taken = dir.filePath("taken.png");
        SafeFileWriter writer(taken);
        ASSERT_TRUE(writer.Open());
        writer.Device().write("new");
        ASSERT_TRUE(QDir().mkpath(taken + "/inside"));
        EXPECT_FALSE(writer.Commit());
        EXPECT_FALSE(writer.ErrorText().isEmpty());
        ASSERT_TRUE(QDir(taken).removeRecursively());
    }
    EXPECT_FALSE(SafeFileWriter::WriteFile(dir.filePath("no/such/folder/page.png"), "x"));
    EXPECT_FALSE(SafeFileWriter::WriteFile(dir.path(), "x"));
    EXPECT_FALSE(SafeFileWriter::WriteFile(QString(), "x"));

    EXPECT_EQ(ReadAll(target), old_bytes);
    EXPECT_EQ(EntriesIn(dir.path()), QStringList { "page.png" });
}

TEST(SafeFileWriterTest, AFolderThatTakesNoNewFileKeepsTheOldOne)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("locked");
    const TestSupport::ReadOnlyFolder locked(folder, [](const QString& path) { Put(path + "/note.tsy", "old"); });
    if (!locked.IsReady())
        GTEST_SKIP() << "cannot make a folder that takes no new files here";
    QString reason;
    EXPECT_FALSE(SafeFileWriter::WriteFile(folder + "/note.tsy", "new", &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(ReadAll(folder + "/note.tsy"), "old");
    EXPECT_EQ(EntriesIn(folder), QStringList { "note.tsy" });
}

namespace {

// The id of a process that has ended: a child that exits at once, waited for.
qint64 EndedProcessId()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return qint64(child);
}

}

// A writer killed midway leaves its hidden file; the next write to the same target removes it.
TEST(SafeFileWriterTest, TheNextWriteRemovesWhatAKilledWriteLeft)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("page.png");
    Put(target, "the old picture");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SafeFileWriter writer(target);
        if (writer.Open())
            writer.Device().write(QByteArray(100000, 'p'));
        ::raise(SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    const QStringList left = EntriesIn(dir.path());
    ASSERT_EQ(left.size(), 2) << left.join(u' ').toStdString();
    EXPECT_TRUE(left[0].startsWith(QStringLiteral(".page.png.%1-").arg(child))) << left[0].toStdString();
    EXPECT_EQ(ReadAll(target), "the old picture");

    ASSERT_TRUE(SafeFileWriter::WriteFile(target, "new"));
    EXPECT_EQ(EntriesIn(dir.path()), QStringList { "page.png" });
    EXPECT_EQ(ReadAll(target), "new");
}

// Only the hidden files of writers that have ended go, and only those of the target written
// (or, at the start of the program, of any file in its own folders).
TEST(SafeFileWriterTest, StaleTemporariesAreTheOnlyFilesRemoved)
{
    const QString dead = QString::number(EndedProcessId());
    const QString self = QString::number(LeftoverFiles::OwnProcessId());
    struct Row {
        QString name;
        bool folder;
        bool gone_on_write; // by a write to page.png
        bool gone_in_sweep; // by sweeping the whole folder
    };
    const Row rows[] = {
        { ".page.png." + dead + "-1a2b.tmp", false, true, true },
        { ".page.png." + self + "-1a2b.tmp", false, false, false }, // a write of this process under way
        { ".page.png.1-1a2b.tmp", false, false, false },            // a process that runs
        { ".page.png.1a2b.tmp", false, false, false },              // no process named
        { ".page.png." + dead + "-xyz.tmp", false, false, false },
        { "page.png." + dead + "-1a2b.tmp", false, false, false },  // not hidden
        { ".page.png." + dead + "-1a2c.tmp", true, false, false },  // a folder
        { ".other.png." + dead + "-1a2b.tmp", false, false, true },
        { ".page.png.1." + dead + "-1a2b.tmp", false, false, true }, // of "page.png.1"
    };
    QTemporaryDir dir;
    for (const Row& row : rows) {
        if (row.folder)
            ASSERT_TRUE(QDir(dir.path()).mkdir(row.name));
        else
            Put(dir.filePath(row.name), "left");
    }
    ASSERT_TRUE(SafeFileWriter::WriteFile(dir.filePath("page.png"), "new"));
    for (const Row& row : rows)
        EXPECT_EQ(QFileInfo::exists(dir.filePath(row.name)), !row.gone_on_write) << row.name.toStdString();
    LeftoverFiles::RemoveStaleTemporariesIn(dir.path());
    for (const Row& row : rows)
        EXPECT_EQ(QFileInfo::exists(dir.filePath(row.name)), !row.gone_on_write && !row.gone_in_sweep) << row.name.toStdString();
    EXPECT_EQ(ReadAll(dir.filePath("page.png")), "new");
}
