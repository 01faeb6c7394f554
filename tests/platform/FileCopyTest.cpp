#include "platform/FileCopy.h"

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
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
    EXPECT_FALSE(CopyFileReplacing(source, link));
    EXPECT_FALSE(CopyFileReplacing(source, source));
    EXPECT_EQ(Read(source), "short");
}

TEST(FileCopyTest, MissingSourceOrFolderTargetWritesNothing)
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("target.jpg"));
    EXPECT_FALSE(CopyFileReplacing(folder.filePath(QStringLiteral("missing.jpg")), target));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_FALSE(CopyFileReplacing(folder.path(), target));
    EXPECT_FALSE(QFile::exists(target));
    Write(target, "kept");
    EXPECT_FALSE(CopyFileReplacing(target, folder.filePath(QStringLiteral("no/such/folder/x.jpg"))));
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
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(Read(target), "the old copy");
    EXPECT_EQ(TestSupport::EntriesIn(folder.path()), QStringList({ "copy.png", "large.png" }));
}
