#include "document/NoteFileText.h"

#include <gtest/gtest.h>

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
        // A page ends at the separator line, losing its own last line end; the next page begins
        // with the separator's final line end.
        PagesRow { "two_pages", { kFirst, kThird }, kFirst + "-\r\n\r\n" + kThird,
                   { kFirst.chopped(2), "\r\n\r\n" + kThird } },
        // An empty page disappears together with its separator.
        PagesRow { "empty_middle_page", { kFirst, {}, kThird }, kFirst + "-\r\n\r\n" + kThird,
                   { kFirst.chopped(2), "\r\n\r\n" + kThird } },
        // The separator depends on the index only, so an empty last page leaves a trailing one,
        // which reopens as a page of line ends.
        PagesRow { "empty_last_page", { kFirst, {} }, kFirst + "-\r\n\r\n", { kFirst.chopped(2), "\r\n\r\n" } },
        PagesRow { "one_empty_page", { QString() }, QString(), { QString() } },
        PagesRow { "empty_first_page", { {}, kThird }, kThird, { kThird } },
        // A separator line at the very start is no cut; it stays in the only page.
        PagesRow { "leading_separator", { "\r\n-\r\n" + kThird }, "\r\n-\r\n" + kThird, { "\r\n-\r\n" + kThird } }),
    [](const ::testing::TestParamInfo<PagesRow>& info) { return std::string(info.param.label); });

TEST(NotePages, ASeparatorRightAtAPageStartEndsTheCutting)
{
    // After the first cut the next page starts at "\r\n" + "-\r\n...", a separator exactly at
    // the page's start, so the rest stays one page.
    const QString file = "A\r\n-\r\n-\r\nB\r\n-\r\nC";
    EXPECT_EQ(CutNotePages(file), (QStringList { "A", "\r\n-\r\nB\r\n-\r\nC" }));
}

}
