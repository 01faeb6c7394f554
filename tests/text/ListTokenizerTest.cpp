#include "text/KeyValueStore.h"
#include "text/ListTokenizer.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    const char16_t* text;
    std::vector<QStringList> rows;
};

void ExpectRows(const Row& row, ListTokenizer::EmptyFields empty_fields)
{
    const QString text = QString::fromUtf16(row.text);
    SCOPED_TRACE(text.toStdString());
    const ListTokenizer tokenizer(text, empty_fields);
    ASSERT_EQ(tokenizer.RowCount(), int(row.rows.size()));
    for (int i = 0; i < tokenizer.RowCount(); ++i)
        EXPECT_EQ(tokenizer.Row(i), row.rows[size_t(i)]) << "row " << i;
}

TEST(ListTokenizer, CutsRowsAndFields)
{
    const Row rows[] = {
        { u"", {} },
        { u"a,b,c", { { "a", "b", "c" } } },
        { u"a,b,", { { "a", "b" } } },
        { u"a,,b", { { "a", "", "b" } } },
        { u",", { { "" } } },
        { u"\"a,b\",c", { { "a,b", "c" } } },
        { u"\"a\\nb\"", { { "a\nb" } } },
        { u"a\\nb", { { "a\\nb" } } },
        { u"\"\\r\\t\\\\\\\"\\q\"", { { "\r\t\\\"" } } },
        { u"x\"y\"z", { { "xyz" } } },
        { u"\"open,still", { { "open,still" } } },
        { u"a,b\r,rest", { { "a", "b" } } },
        { u"a,\r", { { "a", "" } } },
        { u"a\nb,c\n", { { "a" }, { "b", "c" } } },
        { u"\n\nz", { {}, {}, { "z" } } },
        { u"\"a\nb\"", { { "a" }, { "b" } } },
    };
    for (const Row& row : rows)
        ExpectRows(row, ListTokenizer::EmptyFields::Keep);
}

TEST(ListTokenizer, SkipModeDropsEmptyFieldsAndRows)
{
    const Row rows[] = {
        { u",a,,b,", { { "a", "b" } } },
        { u"\n\nz", { { "z" } } },
        { u",,\r", {} },
    };
    for (const Row& row : rows)
        ExpectRows(row, ListTokenizer::EmptyFields::Skip);
}

TEST(ListTokenizer, CommentsAreCutWhenBothMarkersArePresent)
{
    const Row rows[] = {
        { u"a,//note\nb", { { "a", "b" } } },
        { u"a/*x*/,b/*y\n*/c", { { "a", "bc" } } },
        { u"//one\n//two\nz", { { "z" } } },
        { u"a,\"//\nb\"", { { "a", "b" } } },
        { u"/*//*/x", { { "x" } } },
        // A start marker without its end marker stays as text, so nothing is lost.
        { u"http://host,x", { { "http://host", "x" } } },
        { u"a/*b,c", { { "a/*b", "c" } } },
        { u"a*/b/*", { { "a*/b/*" } } },
        { u"//", { { "//" } } },
    };
    for (const Row& row : rows)
        ExpectRows(row, ListTokenizer::EmptyFields::Keep);
}

TEST(ListTokenizer, ReadersUseRowZero)
{
    const ListTokenizer tokenizer(QStringLiteral("12.5,true,True,,x\nfalse"));
    EXPECT_EQ(tokenizer.Text(1, QStringLiteral("d")), QStringLiteral("true"));
    EXPECT_EQ(tokenizer.Text(5, QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(tokenizer.Text(-1, QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_FLOAT_EQ(tokenizer.Float(3), 12.5f);
    EXPECT_TRUE(tokenizer.Bool(1));
    EXPECT_FALSE(tokenizer.Bool(2));
    EXPECT_FALSE(tokenizer.Bool(3));
    EXPECT_FALSE(tokenizer.Bool(0));
    EXPECT_TRUE(tokenizer.Bool(5));

    const ListTokenizer empty((QString()));
    EXPECT_EQ(empty.Text(0, QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_FLOAT_EQ(empty.Float(3), 3);
    EXPECT_TRUE(empty.Bool(0));
    EXPECT_TRUE(empty.Row(7).isEmpty());
}

TEST(ListTokenizer, StoreReadsQuotedLists)
{
    KeyValueStore store;
    store.Set(QStringLiteral("Font"), QStringLiteral("9.5,\"MS Gothic, bold\""));
    store.Set(QStringLiteral("Enable"), QStringLiteral("true,false"));
    EXPECT_FLOAT_EQ(store.GetQuotedFloat(QStringLiteral("Font"), 10), 9.5f);
    EXPECT_EQ(store.GetQuotedText(QStringLiteral("Font"), 1), QStringLiteral("MS Gothic, bold"));
    EXPECT_EQ(store.GetQuotedText(QStringLiteral("Font"), 2, QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_FLOAT_EQ(store.GetQuotedFloat(QStringLiteral("Size"), 10), 10);
    EXPECT_FALSE(store.GetQuotedBool(QStringLiteral("Enable"), 1, true));
    EXPECT_TRUE(store.GetQuotedBool(QStringLiteral("Enable"), 2, false));
    EXPECT_FALSE(store.GetQuotedBool(QStringLiteral("Missing"), 0, false));
}

}
