#include "platform/FileDigest.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(FileDigestTest, AFileMatchesTheBytesItHoldsAndNothingElse)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("note.tsy"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray bytes(300000, 'a'); // more than one piece is read
    file.write(bytes);
    file.close();
    EXPECT_EQ(FileDigest::OfFile(path), FileDigest::OfBytes(bytes));

    QByteArray one_byte_other = bytes;
    one_byte_other[150000] = 'b';
    EXPECT_NE(FileDigest::OfBytes(one_byte_other), FileDigest::OfBytes(bytes));
    EXPECT_NE(FileDigest::OfBytes(bytes.left(bytes.size() - 1)), FileDigest::OfBytes(bytes));
    EXPECT_FALSE(FileDigest::OfBytes(QByteArray()).isEmpty());

    // What cannot be read has no fingerprint.
    EXPECT_FALSE(FileDigest::OfFile(folder.filePath(QStringLiteral("missing.tsy"))));
    EXPECT_FALSE(FileDigest::OfFile(folder.path()));
    EXPECT_FALSE(FileDigest::OfFile(QString()));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    if (!QFile(path).open(QIODevice::ReadOnly)) // root reads anything
        EXPECT_FALSE(FileDigest::OfFile(path));
}
