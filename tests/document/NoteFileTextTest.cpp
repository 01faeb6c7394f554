#include "document/NoteFileText.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const QString kFirst = QStringLiteral("[Text]\r\nPos=L0,T0,W10,H10\r\n\r\n");
const QString kThird = QStringLiteral("[TSImage]\r\nFileName=a.png\r\n\r\n");

struct PagesRow {
    const char* label;
    QStringList pages;
    QString file;
    QStringList reopened;
};

class NotePages : public ::testing::TestWithParam<PagesRow> { };

TEST_P(NotePages, JoinAndCutAgain)
{
    const PagesRow& row = GetParam();
    EXPECT_EQ(JoinNotePages(row.pages), row.file);
    EXPECT_EQ(CutNotePages(row.file), row.reopened);
}

INSTANTIATE_TEST_SUITE_P(
    Separators, NotePages,
    ::testing::Values(
        // Cutting gives back exactly the pages that were joined.
        PagesRow { "two_pages", { kFirst, kThird }, kFirst + "-\r\n\r\n" + kThird, { kFirst, kThird } },
        // An empty page disappears together with its separator.
        PagesRow { "empty_middle_page", { kFirst, {}, kThird }, kFirst + "-\r\n\r\n" + kThird, { kFirst, kThird } },
        // The file ends with its last non-empty page: no separator follows it, so reopening
        // shows no empty page after it.
        PagesRow { "empty_last_page", { kFirst, {} }, kFirst, { kFirst } },
        PagesRow { "empty_last_pages", { kFirst, kThird, {}, {} }, kFirst + "-\r\n\r\n" + kThird, { kFirst, kThird } },
        PagesRow { "one_empty_page", { QString() }, QString(), { QString() } },
        PagesRow { "empty_first_page", { {}, kThird }, kThird, { kThird } },
        // A page that is only a line end stays a page.
        PagesRow { "leading_separator", { "\r\n", kThird }, "\r\n-\r\n\r\n" + kThird, { "\r\n", kThird } }),
    [](const ::testing::TestParamInfo<PagesRow>& info) { return std::string(info.param.label); });

// The pages a save keeps: empty pages are left out; a note of none opens as one empty page.
QStringList Kept(QStringList pages)
{
    pages.removeAll(QString());
    return pages.isEmpty() ? QStringList { QString() } : pages;
}

// Files written by hand or by older versions: whatever the first cut gives, saving it and
// opening it again gives the same pages, but for empty ones, so every later save writes the
// same text.
TEST(NotePages, CuttingAndJoiningSettleAfterOneCycle)
{
    const QString files[] = {
        "A\r\n-\r\n-\r\nB\r\n-\r\nC",
        "\r\n-\r\n" + kThird,
        kFirst + "-\r\n" + kThird,
        kFirst + "-\r\n\r\n\r\n\r\n" + kThird + "-\r\n\r\n",
        kFirst.chopped(2) + "-\r\n\r\n" + kThird,
        "-\r\n\r\n" + kFirst,
        "[A]\r\nk=v\r\n-\r\n",
        kFirst + "-\r\n\r\n-\r\n\r\n" + kThird,
    };
    for (const QString& file : files) {
        const QStringList first = CutNotePages(file);
        const QString saved = JoinNotePages(first);
        EXPECT_EQ(CutNotePages(saved), Kept(first)) << file.toStdString();
        EXPECT_EQ(JoinNotePages(CutNotePages(saved)), saved) << file.toStdString();
    }
}

TEST(NotePages, EveryLineHoldingOnlyADashSeparatesPages)
{
    EXPECT_EQ(CutNotePages("A\r\n-\r\n-\r\nB\r\n-\r\nC"), (QStringList { "A\r\n", "", "B\r\n", "C" }));
    // A page left empty between two separators, as a hand-written note may have it.
    EXPECT_EQ(CutNotePages(kFirst + "-\r\n\r\n-\r\n\r\n" + kThird), (QStringList { kFirst, "", kThird }));
}

// Texts made of the pieces that matter to cutting, in every order: the pages cut from any of
// them save into a text that opens into the same pages and saves into the same text again.
TEST(NotePages, PagesOfAnyTextSettleAfterOneSave)
{
    const QString pieces[] = { "\r\n", "-", "\r", "\n", "A", "-\r\n" };
    std::mt19937 random(7);
    for (int round = 0; round < 5000; ++round) {
        QString text;
        const int count = int(random() % 12);
        for (int index = 0; index < count; ++index)
            text += pieces[random() % std::size(pieces)];
        const QStringList pages = CutNotePages(text);
        ASSERT_FALSE(pages.isEmpty());
        const QString saved = JoinNotePages(pages);
        ASSERT_EQ(CutNotePages(saved), Kept(pages)) << text.toStdString();
        ASSERT_EQ(JoinNotePages(CutNotePages(saved)), saved) << text.toStdString();
    }
}

const QString kSize1920 = QStringLiteral("[NotePage]\r\nWidth=1920\r\nHeight=1080\r\nDpi=96\r\n\r\n");

TEST(NotePageSizes, WrittenFirstAndTakenOutOfTheFirstPage)
{
    const NotePageSize size { QSize(1920, 1080), 96 };
    const QString file = JoinNotePages({ kFirst, kThird }, size);
    EXPECT_EQ(file, kSize1920 + kFirst + "-\r\n\r\n" + kThird);
    std::optional<NotePageSize> read;
    EXPECT_EQ(CutNotePages(file, &read), (QStringList { kFirst, kThird }));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, size);
    // Without a resolution the key is left out; a note of empty pages keeps its size.
    EXPECT_EQ(JoinNotePages({ QString(), QString() }, NotePageSize { QSize(640, 480) }),
        QStringLiteral("[NotePage]\r\nWidth=640\r\nHeight=480\r\n\r\n"));
    EXPECT_EQ(CutNotePages(JoinNotePages({ QString() }, size), &read), QStringList { QString() });
    EXPECT_EQ(read, size);
}

struct SizeRow {
    const char* label;
    QString file;
    std::optional<NotePageSize> size;
    QStringList pages;
};

class NotePageSizeRead : public ::testing::TestWithParam<SizeRow> { };

TEST_P(NotePageSizeRead, GivesTheSizeAndThePagesWithoutIt)
{
    const SizeRow& row = GetParam();
    std::optional<NotePageSize> read { NotePageSize { QSize(1, 1) } };
    EXPECT_EQ(CutNotePages(row.file, &read), row.pages);
    EXPECT_EQ(read, row.size);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, NotePageSizeRead,
    ::testing::Values(
        SizeRow { "absent", kFirst + "-\r\n\r\n" + kThird, std::nullopt, { kFirst, kThird } },
        // An older version keeps the section it does not know in its place on the first page,
        // after the items it puts below it, with the empty lines of its own save.
        SizeRow { "kept_by_older_version", kFirst + kSize1920 + "\r\n" + kThird, NotePageSize { QSize(1920, 1080), 96 },
            { kFirst + kThird } },
        // Only the first page holds the note's size; a section elsewhere is a page's own.
        SizeRow { "on_second_page", kFirst + "-\r\n\r\n" + kSize1920, std::nullopt, { kFirst, kSize1920 } },
        SizeRow { "no_resolution", "[NotePage]\r\nWidth=1366\r\nHeight=768\r\nDpi=20\r\n\r\n" + kFirst,
            NotePageSize { QSize(1366, 768), 0 }, { kFirst } },
        // A size the window cannot show is no size, and its section goes all the same.
        SizeRow { "too_wide", "[NotePage]\r\nWidth=4801\r\nHeight=768\r\n\r\n" + kFirst, std::nullopt, { kFirst } },
        SizeRow { "no_height", "[NotePage]\r\nWidth=800\r\n\r\n" + kFirst, std::nullopt, { kFirst } },
        // The first section gives the size; a second one goes too, so that saving and reading
        // again gives the same pages.
        SizeRow { "twice", kSize1920 + kFirst + "[NotePage]\r\nWidth=640\r\nHeight=480\r\n\r\n", NotePageSize { QSize(1920, 1080), 96 },
            { kFirst } },
        SizeRow { "largest", "[NotePage]\r\nWidth=4800\r\nHeight=1\r\n\r\n", NotePageSize { QSize(4800, 1), 0 }, { QString() } }),
    [](const ::testing::TestParamInfo<SizeRow>& info) { return std::string(info.param.label); });

}
