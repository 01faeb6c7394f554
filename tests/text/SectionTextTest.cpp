#include "text/SectionDocument.h"

#include <gtest/gtest.h>

namespace {

// Parses through both entry points and checks they agree, so every case covers the UTF-16
// and the UTF-8 parser.
SectionDocument Parse(const QString& text)
{
    SectionDocument from_text;
    SectionDocument from_bytes;
    const bool text_result = ParseSectionText(QStringView(text), from_text);
    const bool bytes_result = ParseSectionText(text.toUtf8(), from_bytes);
    EXPECT_EQ(text_result, bytes_result);
    EXPECT_TRUE(from_text == from_bytes);
    return from_text;
}

// The document as "[name]k=v;k=v|[name]..." with keys sorted, for compact expectations.
QString Outline(const SectionDocument& document)
{
    QStringList sections;
    for (int i = 0; i < document.Count(); ++i) {
        const KeyValueStore& store = document.Store(i);
        QStringList keys = store.Keys();
        keys.sort();
        QStringList pairs;
        for (const QString& key : keys)
            pairs.append(key + u'=' + store.GetText(key));
        sections.append(u'[' + document.Name(i) + u']' + pairs.join(u';'));
    }
    return sections.join(u'|');
}

struct ParseRow {
    const char* what;
    const char* text;
    const char* outline;
};

TEST(SectionText, ParsesLinesByTheirRules)
{
    const ParseRow rows[] = {
        { "sample", "[Button]\r\nPos=C-20%,B30,C0,B10\r\nText=OK\r\nName=OK", "[Button]Name=OK;Pos=C-20%,B30,C0,B10;Text=OK" },
        { "lone LF joins lines", "[A]\nK=V\n", "" },
        { "lone LF inside one header", "[A\nB]", "[A\nB]" },
        { "lone LF stays in value", "[A]\r\nK=a\nb\r\nL=c\rd", "[A]K=a\nb;L=c\rd" },
        { "further = in value", "[A]\r\nText=a=b", "[A]Text=a=b" },
        { "later value wins", "[A]\r\nName=x\r\nName=y", "[A]Name=y" },
        { "comments", "[A]\r\n;K=1\r\n//L=2\r\nM=http://x\r\n/ N=3", "[A]/ N=3;M=http://x" },
        { "key before first header", "K=1\r\n[A]\r\nL=2", "[A]L=2" },
        { "broken header keeps previous section", "[A]\r\nK=1\r\n[B] \r\nL=2", "[A]K=1;L=2" },
        { "empty brackets not a header", "[A]\r\n[]\r\nK=1", "[A]K=1" },
        { "blanks belong to the name", "[ A ]\r\n[[x]]", "[ A ]|[[x]]" },
        { "no trimming", "[A]\r\n K = v ", "[A] K = v " },
        { "line without =", "[A]\r\nplain\r\nK=", "[A]K=" },
        { "line starting with =", "[A]\r\n=v\r\n=w", "[A]=w" },
        { "repeated names", "[T]\r\nK=1\r\n\r\n\r\n[T]\r\nK=2\r\n", "[T]K=1|[T]K=2" },
        { "header=value is a key", "[A]\r\n[B]=1", "[A][B]=1" },
        { "only blank lines", "\r\n\r\n", "" },
        { "non-ASCII", "[日本]\r\n名前=写真\r\nK=é", "[日本]K=é;名前=写真" },
        { "byte-order mark inside", "[A]\r\n\uFEFFK=\uFEFF", "[A]\uFEFFK=\uFEFF" },
    };
    for (const ParseRow& row : rows) {
        SCOPED_TRACE(row.what);
        const SectionDocument document = Parse(QString::fromUtf8(row.text));
        EXPECT_EQ(Outline(document), QString::fromUtf8(row.outline));
    }
}

TEST(SectionText, EmptyTextIsNothingLoaded)
{
    SectionDocument document;
    document.Append(QStringLiteral("Old"));
    EXPECT_FALSE(ParseSectionText(QStringView(), document));
    EXPECT_EQ(document.Count(), 0);
    document.Append(QStringLiteral("Old"));
    EXPECT_FALSE(ParseSectionText(QByteArray(), document));
    EXPECT_EQ(document.Count(), 0);
    EXPECT_TRUE(ParseSectionText(QStringView(u"junk"), document));
    EXPECT_EQ(document.Count(), 0);
}

TEST(SectionText, OutOfRangeSectionsAreEmpty)
{
    const SectionDocument document = Parse(QStringLiteral("[A]\r\nK=1"));
    for (int index : { -1, 1, 1000 }) {
        EXPECT_TRUE(document.Name(index).isEmpty());
        EXPECT_EQ(document.Store(index).Count(), 0);
    }
}

TEST(SectionText, UnescapeOnLoadAppliesToKeysAndValues)
{
    SectionDocument document;
    EXPECT_FALSE(document.UnescapeOnLoad());
    document.SetUnescapeOnLoad(true);
    ParseSectionText(QStringView(u"[A]\r\nK\\t=\"a\\nb\""), document);
    EXPECT_EQ(document.Store(0).GetText(QStringLiteral("K\t")), QStringLiteral("a\nb"));
    ParseSectionText(QByteArray("[A]\r\nK\\t=\"a\\nb\""), document);
    EXPECT_EQ(document.Store(0).GetText(QStringLiteral("K\t")), QStringLiteral("a\nb"));
}

TEST(SectionText, WriterPutsOneEmptyLineBetweenSections)
{
    SectionDocument document;
    EXPECT_EQ(WriteSectionText(document), QString());
    document.Append(QStringLiteral("A")).store.Set(QStringLiteral("K"), QStringLiteral("1"));
    document.Append(QStringLiteral("B"));
    document.Append(QStringLiteral("C")).store.Set(QStringLiteral("Path"), QStringLiteral("C:\\a\\\"b\""));
    EXPECT_EQ(WriteSectionText(document),
        QStringLiteral("[A]\r\nK=1\r\n\r\n[B]\r\n\r\n[C]\r\nPath=C:\\a\\\"b\"\r\n"));
}

TEST(SectionText, WrittenTextParsesBackToTheSameDocument)
{
    const SectionDocument document = Parse(QStringLiteral(
        "[TSImage]\r\nFileName=C:\\photos\\a.jpg,0,0,0,0\r\nPos=L1,T2,W3,H4\r\nName=\r\n=\r\n\r\n[TSImage]\r\nOption=Repeat"));
    EXPECT_EQ(document.Count(), 2);
    EXPECT_TRUE(Parse(WriteSectionText(document)) == document);
}

TEST(SectionText, UtfEightParserSkipsOneLeadingByteOrderMark)
{
    SectionDocument document;
    ParseSectionText(QByteArray("\xEF\xBB\xBF[A]\r\nK=1"), document);
    EXPECT_EQ(document.Name(0), QStringLiteral("A"));
    ParseSectionText(QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF[A]\r\n[B]"), document);
    EXPECT_EQ(document.Count(), 1);
    EXPECT_EQ(document.Name(0), QStringLiteral("B"));
}

}
