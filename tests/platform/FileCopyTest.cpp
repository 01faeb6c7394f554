#include "platform/FileCopy.h"

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace {

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString SystemText(int error_number)
{
    return QString::fromLocal8Bit(std::strerror(error_number));
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}

TEST(FileCopyTest, ReplacesALongerTargetAndRefusesToCopyAFileOntoItself)
{
    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("source.jpg"));
    const QString target = folder.filePath(QStringLiteral("target.jpg"));
    Write(source, "short");
    Write(target, "a much longer older file");
    EXPECT_TRUE(CopyFileReplacing(source, target));
    EXPECT_EQ(Read(target), "short");
    // Through a link, the target is the source itself: copying would empty it.
    const QString link = folder.filePath(QStringLiteral("link.jpg"));
    ASSERT_TRUE(QFile::link(source, link));
    QString reason;
    EXPECT_FALSE(CopyFileReplacing(source, link, &reason));
    EXPECT_EQ(reason, SystemText(EINVAL));
    EXPECT_FALSE(CopyFileReplacing(source, source));
    EXPECT_EQ(Read(source), "short");
}

// The reason is the one the user can act on.
TEST(FileCopyTest, MissingSourceOrFolderTargetWritesNothing)
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("target.jpg"));
    QString reason;
    EXPECT_FALSE(CopyFileReplacing(folder.filePath(QStringLiteral("missing.jpg")), target, &reason));
    EXPECT_EQ(reason, SystemText(ENOENT));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_FALSE(CopyFileReplacing(folder.path(), target, &reason));
    EXPECT_EQ(reason, SystemText(EISDIR));
    EXPECT_FALSE(QFile::exists(target));
    Write(target, "kept");
    EXPECT_FALSE(CopyFileReplacing(target, folder.filePath(QStringLiteral("no/such/folder/x.jpg"))));
    EXPECT_EQ(Read(target), "kept");
    // A pipe named like an image has no writer: opening it to read must not wait for one.
    const QString pipe = folder.filePath(QStringLiteral("pipe.jpg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_FALSE(CopyFileReplacing(pipe, target, &reason));
    EXPECT_EQ(reason, SystemText(EINVAL));
    EXPECT_EQ(Read(target), "kept");
}

TEST(FileCopyTest, ACopyThatDoesNotFitKeepsTheOldTargetAndLeavesNothing)
{
    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("large.png"));
    const QString target = folder.filePath(QStringLiteral("copy.png"));
    Write(source, QByteArray(256 * 1024, 'l'));
    Write(target, "the old copy");
    QString reason;
    {
        const TestSupport::FileSizeLimit limit(64 * 1024);
        EXPECT_FALSE(CopyFileReplacing(source, target, &reason));
    }
    EXPECT_EQ(reason, SystemText(EFBIG));
    EXPECT_EQ(Read(target), "the old copy");
    EXPECT_EQ(TestSupport::EntriesIn(folder.path()), QStringList({ "copy.png", "large.png" }));
}
