#include "document/NoteFileReader.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kPicturePage = QStringLiteral("[TSImage]\r\nFileName=a.png,0,0,0,0\r\nPos=L0,T0,W10,H10\r\n\r\n");
// A text over two lines, as a text item keeps it.
const QString kTextPage = QStringLiteral("[Text]\r\nText=first\r\nsecond\r\nPos=L1,T2,W3,H4\r\n\r\n");
const QString kNote = kPicturePage + QStringLiteral("-\r\n\r\n") + kTextPage;

QByteArray WithLineEnds(const QString& text, const char* line_end)
{
    QString changed = text;
    changed.replace(QStringLiteral("\r\n"), QString::fromLatin1(line_end));
    return changed.toUtf8();
}

TEST(NoteFileReaderTest, EveryKindOfLineEndGivesThePagesOfCrLf)
{
    const QStringList expected = NoteFileReader::FromBytes(kNote.toUtf8()).pages;
    ASSERT_EQ(expected, (QStringList { kPicturePage, kTextPage }));

    QByteArray mixed = kNote.toUtf8();
    mixed.replace("a.png,0,0,0,0\r\n", "a.png,0,0,0,0\n");
    mixed.replace("first\r\n", "first\r");
    const struct {
        const char* label;
        QByteArray bytes;
    } rows[] = {
        { "LF", WithLineEnds(kNote, "\n") },
        { "CR", WithLineEnds(kNote, "\r") },
        { "mixed", mixed },
        // The Windows version's notes, and files that were converted twice by mistake, keep
        // their CR LF; a CR LF is never read as two line ends.
        { "CR LF", kNote.toUtf8() },
    };
    for (const auto& row : rows) {
        const NoteFileReader::Result read = NoteFileReader::FromBytes(row.bytes);
        EXPECT_TRUE(read.IsRead()) << row.label << ": " << read.refusal.toStdString();
        EXPECT_EQ(read.pages, expected) << row.label;
    }
}

TEST(NoteFileReaderTest, LoneLineEndsBecomeCrLfAndNothingElseChanges)
{
    const struct {
        QString text;
        QString expected;
    } rows[] = {
        { "", "" },
        { "a\nb", "a\r\nb" },
        { "a\rb", "a\r\nb" },
        { "a\r\nb", "a\r\nb" },
        { "\n\r", "\r\n\r\n" },
        { "\r\r\n\n", "\r\n\r\n\r\n" },
        { "end\r", "end\r\n" },
        { "\n", "\r\n" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(NoteFileReader::WithCrLf(row.text), row.expected) << row.text.toStdString();
}

TEST(NoteFileReaderTest, KnownEncodingsAndBlankFilesAreNotes)
{
    QByteArray utf16le("\xFF\xFE", 2);
    QByteArray utf16be("\xFE\xFF", 2);
    for (const QChar c : kNote) {
        utf16le += char(c.unicode() & 0xFF);
        utf16le += char(c.unicode() >> 8);
        utf16be += char(c.unicode() >> 8);
        utf16be += char(c.unicode() & 0xFF);
    }
    const struct {
        const char* label;
        QByteArray bytes;
        QStringList pages;
    } rows[] = {
        { "UTF-8", kNote.toUtf8(), { kPicturePage, kTextPage } },
        { "UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + kNote.toUtf8(), { kPicturePage, kTextPage } },
        { "UTF-16 little-endian", utf16le, { kPicturePage, kTextPage } },
        { "UTF-16 big-endian", utf16be, { kPicturePage, kTextPage } },
        { "code page 932", "[Text]\r\nText=\x94\x77\x8C\x69\r\n", { QStringLiteral(u"[Text]\r\nText=背景\r\n") } },
        { "empty", "", { "" } },
        { "blank lines", "\n\n", { "\r\n\r\n" } },
    };
    for (const auto& row : rows) {
        const NoteFileReader::Result read = NoteFileReader::FromBytes(row.bytes);
        EXPECT_TRUE(read.IsRead()) << row.label << ": " << read.refusal.toStdString();
        EXPECT_EQ(read.pages, row.pages) << row.label;
    }
}

TEST(NoteFileReaderTest, ContentThatIsNoNoteIsRefusedWithItsReason)
{
    const QString binary = QStringLiteral("ノートファイルではありません。文字ではないデータを含んでいます。");
    const QString no_section = QStringLiteral("ノートファイルではありません。ノートの項目が一つもありません。");
    const struct {
        const char* label;
        QByteArray bytes;
        QString refusal;
    } rows[] = {
        { "PNG", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x01", 20), binary },
        { "a section after a NUL", QByteArray("\0", 1) + kNote.toUtf8(), binary },
        { "plain text", "Dear diary,\nno pictures today.\n", no_section },
        { "a key without a section", "FileName=a.png\r\n", no_section },
    };
    for (const auto& row : rows) {
        const NoteFileReader::Result read = NoteFileReader::FromBytes(row.bytes);
        EXPECT_EQ(read.refusal, row.refusal) << row.label;
        EXPECT_TRUE(read.pages.isEmpty()) << row.label;
        EXPECT_FALSE(read.missing) << row.label;
    }
}

class NoteFileReaderFileTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return m_dir.path() + u'/' + name; }
    QString Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return Path(name);
    }
    QTemporaryDir m_dir;
};

TEST_F(NoteFileReaderFileTest, FilesThatAreNoNoteAreRefusedBeforeTheyAreRead)
{
    const QString not_regular = QStringLiteral("ノートファイルではありません。フォルダーや特殊なファイルは開けません。");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.tsy")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo.tsy")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), Path("zero.tsy")));
    ASSERT_TRUE(QFile::link(Path("fifo.tsy"), Path("link-to-fifo.tsy")));
    // Sparse: larger than any note without taking the disk.
    QFile large(Write("large.tsy", {}));
    ASSERT_TRUE(large.resize(kMaxTextFileBytes + 1));
    ASSERT_TRUE(QFile::link(Path("nowhere"), Path("dangling.tsy")));

    const struct {
        const char* name;
        QString refusal;
        bool missing;
    } rows[] = {
        { "folder.tsy", not_regular, false },
        { "fifo.tsy", not_regular, false },
        { "zero.tsy", not_regular, false },
        { "link-to-fifo.tsy", not_regular, false },
        { "large.tsy", QStringLiteral("ノートファイルとしては大きすぎます (256 MB まで)。"), false },
        { "missing.tsy", QStringLiteral("ファイルが見つかりません。"), true },
        { "dangling.tsy", QStringLiteral("ファイルが見つかりません。"), true },
    };
    for (const auto& row : rows) {
        const NoteFileReader::Result read = NoteFileReader::Read(Path(row.name));
        EXPECT_EQ(read.refusal, row.refusal) << row.name;
        EXPECT_EQ(read.missing, row.missing) << row.name;
        EXPECT_EQ(read.CommandLineText(QStringLiteral("x.tsy")), QStringLiteral("x.tsy: ") + row.refusal) << row.name;
    }
}

TEST_F(NoteFileReaderFileTest, AnUnreadableFileIsRefused)
{
    const QString path = Write("locked.tsy", kNote.toUtf8());
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    EXPECT_EQ(NoteFileReader::Read(path).refusal, QStringLiteral("ファイルを読む権限がありません。"));
}

TEST_F(NoteFileReaderFileTest, ReadsNotesWithTheirLineEndsMadeCrLf)
{
    const NoteFileReader::Result read = NoteFileReader::Read(Write("lf.tsy", WithLineEnds(kNote, "\n")));
    EXPECT_TRUE(read.IsRead()) << read.refusal.toStdString();
    EXPECT_EQ(read.pages, (QStringList { kPicturePage, kTextPage }));
}

TEST_F(NoteFileReaderFileTest, TheCapHoldsWhileReadingAndOnTheSizeOnDisk)
{
    const QString path = Write("ten.txt", "0123456789");
    QByteArray bytes;
    EXPECT_EQ(ReadRegularFile(path, 10, bytes), FileReadFailure::None);
    EXPECT_EQ(bytes, "0123456789");
    EXPECT_EQ(ReadRegularFile(path, 9, bytes), FileReadFailure::TooLarge);
    EXPECT_TRUE(bytes.isEmpty());
    // A file of the kernel tells the size 0 and then gives more: the cap stops it as it reads.
    EXPECT_EQ(ReadRegularFile(QStringLiteral("/proc/self/status"), 16, bytes), FileReadFailure::TooLarge);
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_EQ(ReadRegularFile(QStringLiteral("/proc/self/status"), 1 << 20, bytes), FileReadFailure::None);
    EXPECT_TRUE(bytes.startsWith("Name:")) << bytes.left(20).toStdString();
    EXPECT_EQ(ReadRegularFile(QString(), 10, bytes), FileReadFailure::Missing);
}

TEST_F(NoteFileReaderFileTest, ANoteReachedThroughALinkHasTheFolderOfItsFile)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("published/images")));
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("desk")));
    Write("published/note.tsy", kNote.toUtf8());
    // A relative link, as "ln -s" makes it, and a link to that link.
    ASSERT_EQ(::symlink("../published/note.tsy", QFile::encodeName(Path("desk/note.tsy")).constData()), 0);
    ASSERT_TRUE(QFile::link(Path("desk/note.tsy"), Path("again.tsy")));

    const QString folder = QDir(m_dir.path()).canonicalPath() + QStringLiteral("/published/");
    EXPECT_EQ(QDir(NoteFileReader::PageFolderOf(Path("desk/note.tsy"))).canonicalPath() + u'/', folder);
    EXPECT_EQ(QDir(NoteFileReader::PageFolderOf(Path("again.tsy"))).canonicalPath() + u'/', folder);
    EXPECT_EQ(NoteFileReader::PageFolderOf(Path("published/note.tsy")), Path("published/"));
    // A note not saved yet, or gone, has the folder of its path.
    EXPECT_EQ(NoteFileReader::PageFolderOf(Path("desk/new.tsy")), Path("desk/"));
}

}
