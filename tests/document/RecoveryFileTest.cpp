#include "document/RecoveryFile.h"
#include "platform/FileDigest.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

NoteSnapshot ThreePageNote()
{
    NoteSnapshot snapshot;
    // An empty middle page, a page ending without its line end and text beyond ASCII: all
    // the things a note file would change.
    snapshot.pages = QStringList { QStringLiteral("[TSImage]\r\nFileName=a.jpg\r\n\r\n"), QString(),
        QStringLiteral(u"[Text]\r\nText=写真\nend\r\n-\r\n") };
    snapshot.current_page = 2;
    snapshot.note_path = QStringLiteral(u"/home/user/ノート/trip\n2026.tsy");
    // Binary, with line ends among its bytes.
    snapshot.file_digest = FileDigest::OfBytes("[TSImage]\r\n");
    return snapshot;
}

}

TEST(RecoveryFileTest, KeepsEveryPageTheCurrentPageAndThePathExactly)
{
    const NoteSnapshot snapshot = ThreePageNote();
    EXPECT_EQ(RecoveryFile::Decode(RecoveryFile::Encode(snapshot)), snapshot);

    NoteSnapshot empty;
    EXPECT_EQ(RecoveryFile::Decode(RecoveryFile::Encode(empty)), empty);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("copy.tsr"));
    ASSERT_TRUE(RecoveryFile::Write(path, snapshot));
    EXPECT_EQ(RecoveryFile::Read(path), snapshot);
    EXPECT_FALSE(RecoveryFile::Write(folder.filePath(QStringLiteral("missing/copy.tsr")), snapshot));
    EXPECT_FALSE(RecoveryFile::Read(folder.filePath(QStringLiteral("missing.tsr"))));
}

TEST(RecoveryFileTest, AFileCutShortAnywhereReadsAsNothing)
{
    const QByteArray whole = RecoveryFile::Encode(ThreePageNote());
    for (qsizetype length = 0; length < whole.size(); ++length)
        EXPECT_FALSE(RecoveryFile::Decode(whole.left(length))) << "cut at " << length;
}

TEST(RecoveryFileTest, MalformedFilesReadAsNothing)
{
    const char* const rows[] = {
        "TessaryRecovery 2\npath 0\n\ncurrent 0\npages 1\npage 0\n\nend\n",     // another version
        "TessaryRecovery 1\npath 0\n\ncurrent 1\npages 1\npage 0\n\nend\n",     // no such page
        "TessaryRecovery 1\npath 0\n\ncurrent 0\npages 0\nend\n",               // no page at all
        "TessaryRecovery 1\npath 0\n\ncurrent 0\npages 2\npage 0\n\nend\n",     // a page missing
        "TessaryRecovery 1\npath 0\n\ncurrent 0\npages 99999999\npage 0\n\nend\n",
        "TessaryRecovery 1\npath 0\n\ncurrent -1\npages 1\npage 0\n\nend\n",
        "TessaryRecovery 1\npath 0\n\ncurrent 0\npages 1\npage 5\nab\n\nend\n", // shorter than told
        "TessaryRecovery 1\npath 0\n\ncurrent 0\npages 1\npage 1\nab\nend\n",   // longer than told
        "TessaryRecovery 1\npath 0\n\ncurrent 0\npages 1\npage 0\n\nend\nmore", // something after
        "TessaryRecovery 1\npath 0\n\ncurrent 99999999999999999999\npages 1\npage 0\n\nend\n",
        "TessaryRecovery 1\npath 0\n\ncurrent 0x1\npages 1\npage 0\n\nend\n",
        "TessaryRecovery 1\npath\n\ncurrent 0\npages 1\npage 0\n\nend\n",
        "",
    };
    for (const char* row : rows)
        EXPECT_FALSE(RecoveryFile::Decode(QByteArray(row))) << row;
    EXPECT_TRUE(RecoveryFile::Decode("TessaryRecovery 1\npath 0\n\ncurrent 0\npages 1\npage 0\n\nend\n"));
}

TEST(RecoveryFileTest, TheNoteFilesFingerprintIsOptionalAndUnknownLinesBeforeTheEndAreSkipped)
{
    const QByteArray digest = FileDigest::OfBytes("note");
    const QByteArray head = "TessaryRecovery 1\npath 5\na.tsy\ncurrent 0\npages 1\npage 0\n\n";
    struct Row {
        const char* name;
        QByteArray tail;
        QByteArray expected_digest;
    };
    const Row rows[] = {
        { "a copy of an earlier version", "end\n", {} },
        { "with the fingerprint", "file " + digest.toHex() + "\nend\n", digest },
        { "with lines of a later version", "shown 3\nfile " + digest.toHex() + "\nzoom 2 1\nend\n", digest },
    };
    for (const Row& row : rows) {
        const auto copy = RecoveryFile::Decode(head + row.tail);
        ASSERT_TRUE(copy) << row.name;
        EXPECT_EQ(copy->note_path, QStringLiteral("a.tsy")) << row.name;
        EXPECT_EQ(copy->pages, QStringList { QString() }) << row.name;
        EXPECT_EQ(copy->file_digest, row.expected_digest) << row.name;
    }
    // A note without a known file is written as before.
    NoteSnapshot unknown;
    EXPECT_FALSE(RecoveryFile::Encode(unknown).contains("file "));
}
