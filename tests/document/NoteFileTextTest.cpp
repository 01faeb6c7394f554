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
        // The separator depends on the index only, so an empty last page leaves a trailing one,
        // which reopens as an empty page.
        PagesRow { "empty_last_page", { kFirst, {} }, kFirst + "-\r\n\r\n", { kFirst, {} } },
        PagesRow { "one_empty_page", { QString() }, QString(), { QString() } },
        PagesRow { "empty_first_page", { {}, kThird }, kThird, { kThird } },
        // A page that is only a line end stays a page.
        PagesRow { "leading_separator", { "\r\n", kThird }, "\r\n-\r\n\r\n" + kThird, { "\r\n", kThird } }),
    [](const ::testing::TestParamInfo<PagesRow>& info) { return std::string(info.param.label); });

// The pages a save keeps: empty pages are left out, except an empty last page.
QStringList Kept(QStringList pages)
{
    for (qsizetype index = pages.size() - 2; index >= 0; --index)
        if (pages[index].isEmpty())
            pages.removeAt(index);
    return pages;
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

}
