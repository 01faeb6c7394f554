#include "platform/TextCodec.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct DecodeRow {
    const char* label;
    QByteArray bytes;
    QString expected;
};

class DecodeTextBytesTest : public ::testing::TestWithParam<DecodeRow> {};

TEST_P(DecodeTextBytesTest, DecodesUtf8OrCodePage932)
{
    const DecodeRow& row = GetParam();
    EXPECT_EQ(DecodeTextBytes(row.bytes), row.expected) << row.label;
}

INSTANTIATE_TEST_SUITE_P(Rows, DecodeTextBytesTest,
    ::testing::Values(
        DecodeRow { "cp932 kanji", QByteArray("\x94\x77\x8C\x69\x90\x46"), QStringLiteral(u"背景色") },
        DecodeRow { "cp932 backslash path", QByteArray("C:\x5C\x8E\xCA\x90\x5E\x5C" "a.jpg"), QStringLiteral(u"C:\\写真\\a.jpg") },
        DecodeRow { "0x5C as a trail byte is not a backslash", QByteArray("\x95\x5C\x5C"), QStringLiteral(u"表\\") },
        DecodeRow { "tilde and half-width katakana", QByteArray("~\xB1\xB2\xB3"), QStringLiteral(u"~ｱｲｳ") },
        DecodeRow { "NEC special character", QByteArray("\x87\x40\x83\x6D\x81\x5B\x83\x67"), QStringLiteral(u"①ノート") },
        DecodeRow { "CR LF kept", QByteArray("[\x94\x77\x8C\x69]\r\nA=1\r\n"), QStringLiteral(u"[背景]\r\nA=1\r\n") },
        DecodeRow { "utf-8", QByteArray("\xE8\x83\x8C\xE6\x99\xAF"), QStringLiteral(u"背景") },
        DecodeRow { "utf-8 byte-order mark skipped", QByteArray("\xEF\xBB\xBF" "abc"), QStringLiteral(u"abc") },
        DecodeRow { "only a byte-order mark", QByteArray("\xEF\xBB\xBF"), QString() },
        DecodeRow { "empty", QByteArray(), QString() },
        DecodeRow { "utf-16 little-endian", QByteArray("\xFF\xFE" "a\0\xCC\x80", 6), QStringLiteral(u"a\u80CC") },
        DecodeRow { "utf-16 big-endian", QByteArray("\xFE\xFF" "\0a\x80\xCC", 6), QStringLiteral(u"a\u80CC") },
        DecodeRow { "utf-16 cut off in a character", QByteArray("\xFF\xFE" "a\0b", 5), QStringLiteral(u"a\uFFFD") },
        DecodeRow { "cut-off lead byte at the end", QByteArray("a\x94"), QStringLiteral(u"a\uFFFD") },
        DecodeRow { "lead byte with a bad trail byte", QByteArray("a\x81\x20" "b"), QStringLiteral(u"a\uFFFD b") },
        DecodeRow { "undefined single bytes", QByteArray("\x80" "a\xA0\xFD\xFF"), QStringLiteral(u"\uFFFDa\uFFFD\uFFFD\uFFFD") }),
    [](const auto& info) { return std::to_string(info.index); });

TEST(TextCodecTest, LongCodePage932TextSurvivesTheChunkedConversion)
{
    QByteArray bytes;
    QString expected;
    for (int i = 0; i < 5000; ++i) {
        bytes += "\x94\x77\x8C\x69\x90\x46\xB1";
        expected += QStringLiteral(u"背景色ｱ");
    }
    bytes += "\xFF";
    expected += QChar(0xFFFD);
    EXPECT_EQ(DecodeTextBytes(bytes), expected);
}

TEST(TextCodecTest, RecognisesValidUtf8Only)
{
    struct Row {
        QByteArray bytes;
        bool valid;
    };
    const Row rows[] = {
        { QByteArray(), true },
        { QByteArray("plain ascii\r\n"), true },
        { QByteArray("\xE8\x83\x8C"), true },
        { QByteArray("\xF0\x9F\x98\x80"), true },     // U+1F600
        { QByteArray("\xF4\x8F\xBF\xBF"), true },     // U+10FFFF
        { QByteArray("\xC0\x80"), false },            // overlong NUL
        { QByteArray("\xE0\x80\xAF"), false },        // overlong slash
        { QByteArray("\xED\xA0\x80"), false },        // surrogate
        { QByteArray("\xF4\x90\x80\x80"), false },    // past U+10FFFF
        { QByteArray("\xE8\x83"), false },            // cut off
        { QByteArray("\x83\x8C"), false },            // continuation without a lead
        { QByteArray("\x94\x77\x8C\x69"), false },    // code page 932
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsValidUtf8(row.bytes), row.valid) << row.bytes.toHex().constData();
}

TEST(TextCodecTest, EncodesUtf8WithoutByteOrderMark)
{
    const QString text = QStringLiteral(u"背景\r\n");
    const QByteArray bytes = EncodeTextUtf8(text);
    EXPECT_EQ(bytes, QByteArray("\xE8\x83\x8C\xE6\x99\xAF\r\n"));
    EXPECT_EQ(DecodeTextBytes(bytes), text);
}

class TextFileTest : public ::testing::Test {
protected:
    QString PathOf(const QString& name) const { return m_dir.filePath(name); }

    static QByteArray ContentOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void WriteBytes(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir m_dir;
};

TEST_F(TextFileTest, WritesUtf8AndReadsItBack)
{
    const QString path = PathOf(QStringLiteral("note.tsy"));
    const QString text = QStringLiteral(u"[TSImage]\r\nFileName=写真\\a.jpg\r\n");
    ASSERT_TRUE(WriteTextFileSafely(path, text));
    EXPECT_EQ(ContentOf(path), EncodeTextUtf8(text));

    QString read;
    ASSERT_TRUE(ReadTextFile(path, read));
    EXPECT_EQ(read, text);
}

TEST_F(TextFileTest, ReadsCodePage932Files)
{
    const QString path = PathOf(QStringLiteral("old.tsy"));
    WriteBytes(path, QByteArray("FileName=C:\x5C\x8E\xCA\x90\x5E\x5C" "a.jpg\r\n"));
    QString read;
    ASSERT_TRUE(ReadTextFile(path, read));
    EXPECT_EQ(read, QStringLiteral(u"FileName=C:\\写真\\a.jpg\r\n"));
}

TEST_F(TextFileTest, ReplacesAnExistingFileCompletely)
{
    const QString path = PathOf(QStringLiteral("note.tsy"));
    WriteBytes(path, QByteArray(1000, 'x'));
    ASSERT_TRUE(WriteTextFileSafely(path, QStringLiteral("short")));
    EXPECT_EQ(ContentOf(path), QByteArray("short"));
    // Nothing is left beside the target.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList { QStringLiteral("note.tsy") });
}

TEST_F(TextFileTest, FailuresLeaveTheTargetAsItWas)
{
    // A path whose folder does not exist.
    EXPECT_FALSE(WriteTextFileSafely(PathOf(QStringLiteral("missing/note.tsy")), QStringLiteral("text")));
    EXPECT_FALSE(QFile::exists(PathOf(QStringLiteral("missing"))));

    // A path that is a folder keeps its contents.
    const QString folder = PathOf(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkdir(folder));
    WriteBytes(folder + QStringLiteral("/inside.txt"), "kept");
    EXPECT_FALSE(WriteTextFileSafely(folder, QStringLiteral("text")));
    EXPECT_EQ(ContentOf(folder + QStringLiteral("/inside.txt")), QByteArray("kept"));

    EXPECT_FALSE(WriteTextFileSafely(QString(), QStringLiteral("text")));
}

TEST_F(TextFileTest, UnreadableFilesAnswerFalseAndEmptyText)
{
    QString read = QStringLiteral("stale");
    EXPECT_FALSE(ReadTextFile(PathOf(QStringLiteral("absent.tsy")), read));
    EXPECT_TRUE(read.isEmpty());
    read = QStringLiteral("stale");
    EXPECT_FALSE(ReadTextFile(m_dir.path(), read));
    EXPECT_TRUE(read.isEmpty());
}

}
