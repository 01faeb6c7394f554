#include "text/SectionDocument.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

// A comment line holding a lone surrogate. It changes no document, but a text holding it cannot
// go through UTF-8, so the text is parsed into strings rather than cut into pieces.
QString WithStringParser(const QString& text)
{
    return text + QStringLiteral("\r\n;") + QChar(0xd800);
}

// Parses through both entry points and through the string parser and checks they agree, so
// every case covers the byte parser, the UTF-16 entry to it and the string parser.
SectionDocument Parse(const QString& text)
{
    SectionDocument from_text;
    SectionDocument from_bytes;
    SectionDocument from_strings;
    const bool text_result = ParseSectionText(QStringView(text), from_text);
    const bool bytes_result = ParseSectionText(text.toUtf8(), from_bytes);
    ParseSectionText(QStringView(WithStringParser(text)), from_strings);
    EXPECT_EQ(text_result, bytes_result);
    EXPECT_TRUE(from_text == from_bytes);
    EXPECT_TRUE(from_text == from_strings);
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
        { "skipped lines between pairs", "[A]\r\nK=1\r\n;L=2\r\n[B] \r\n\r\nplain\r\nM=3\r\n[C]", "[A]K=1;M=3|[C]" },
        { "header as last line", "[A]\r\nK=1\r\n[B]", "[A]K=1|[B]" },
        { "header then CR LF at the end", "[A]\r\n", "[A]" },
        { "duplicate after other keys", "[A]\r\nK=1\r\nL=2\r\nK=3\r\nM=4\r\nL=5", "[A]K=3;L=5;M=4" },
        { "duplicate in a later section only", "[A]\r\nK=1\r\n[B]\r\nK=2\r\nK=3\r\n[C]\r\nK=4", "[A]K=1|[B]K=3|[C]K=4" },
        { "CR LF split over blocks", "[A]\r\nKey=0123456789abc\r\nL=0123456789abcd\r\nM=0123456789ab=", "[A]Key=0123456789abc;L=0123456789abcd;M=0123456789ab=" },
        { "lone CR in a long line", "[A]\r\nK=0123456789ab\rcdef0123\r=x\r\n", "[A]K=0123456789ab\rcdef0123\r=x" },
        { "= only in a later block", "[A]\r\n0123456789abcdefghij=v", "[A]0123456789abcdefghij=v" },
    };
    for (const ParseRow& row : rows) {
        SCOPED_TRACE(row.what);
        const SectionDocument document = Parse(QString::fromUtf8(row.text));
        EXPECT_EQ(Outline(document), QString::fromUtf8(row.outline));
    }
}

// Keys and values are read from the bytes only when asked for; what they read must be what
// converting each piece at once gives, malformed sequences included.
TEST(SectionText, MalformedUtfEightReadsAsConverted)
{
    SectionDocument document;
    ParseSectionText(QByteArray("[A]\r\n\xFF=\xC0\x80\r\nK=a\xE2\x82\r\n\xC3\xA9=\xEF\xBB\xBFx\r\n\xFE=2"), document);
    const KeyValueStore& store = document.Store(0);
    // Both malformed keys read as one U+FFFD, so the later line wins.
    EXPECT_EQ(store.Count(), 3);
    EXPECT_EQ(store.GetText(QStringLiteral("\uFFFD")), QStringLiteral("2"));
    EXPECT_EQ(store.GetText(QStringLiteral("K")), QString::fromUtf8("a\xE2\x82"));
    EXPECT_EQ(store.GetText(QStringLiteral("\u00E9")), QStringLiteral("\uFEFFx"));
    // A lone surrogate encodes as "?" and must not find a key of that text.
    ParseSectionText(QByteArray("[A]\r\n?=q"), document);
    EXPECT_FALSE(document.Store(0).Contains(QString(QChar(0xd800))));
    EXPECT_EQ(document.Store(0).GetText(QStringLiteral("?")), QStringLiteral("q"));
}

TEST(SectionText, LargeSectionsWithRepeatedKeys)
{
    QByteArray text = "[Big]\r\n";
    constexpr int kKeys = 200;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < kKeys; ++i)
            text += "K" + QByteArray::number(i) + "=" + QByteArray::number(round * 1000 + i) + "\r\n";
    }
    text += "\xFF=x\r\n\xFE=y\r\n[Small]\r\nA=1";
    const SectionDocument document = Parse(QString::fromUtf8(text));
    const KeyValueStore& store = document.Store(0);
    ASSERT_EQ(store.Count(), kKeys + 1);
    for (int i = 0; i < kKeys; ++i)
        EXPECT_EQ(store.GetInt(QStringLiteral("K%1").arg(i)), 1000 + i) << i;
    EXPECT_EQ(store.GetText(QStringLiteral("\uFFFD")), QStringLiteral("y"));
    EXPECT_FALSE(store.Contains(QStringLiteral("K200")));
    for (int i = 0; i < store.Count(); ++i)
        EXPECT_EQ(store.GetText(store.KeyAt(i)), store.ValueAt(i));
    EXPECT_EQ(document.Store(1).GetInt(QStringLiteral("A")), 1);
}

// Stores read their pairs from the document's text; copies must keep that text alive, change
// apart from the original and be readable on several threads at once.
TEST(SectionText, CopiedStoresStandOnTheirOwn)
{
    const QByteArray original("[A]\r\nK=1\r\nL=2\r\n[B]\r\nK=x\r\nK=y");
    auto bytes = std::make_unique<QByteArray>(original);
    auto document = std::make_unique<SectionDocument>();
    // Bytes the array does not own: the parser must not keep pointing into them.
    ParseSectionText(QByteArray::fromRawData(bytes->constData(), bytes->size()), *document);
    const KeyValueStore first = document->Store(0);
    KeyValueStore second = document->Store(1);
    document.reset();
    bytes->fill('#');
    bytes.reset();

    EXPECT_EQ(first.GetText(QStringLiteral("L")), QStringLiteral("2"));
    EXPECT_EQ(second.GetText(QStringLiteral("K")), QStringLiteral("y"));
    KeyValueStore changed = first;
    changed.Set(QStringLiteral("K"), QStringLiteral("9"));
    EXPECT_TRUE(changed.Remove(QStringLiteral("L")));
    EXPECT_EQ(changed.Count(), 1);
    EXPECT_EQ(first.GetInt(QStringLiteral("K")), 1);
    EXPECT_EQ(first.Count(), 2);
    EXPECT_FALSE(second.Remove(QStringLiteral("Missing")));
    EXPECT_EQ(second.GetText(QStringLiteral("K")), QStringLiteral("y"));

    std::vector<std::thread> readers;
    std::vector<int> sums(4, 0);
    for (size_t reader = 0; reader < sums.size(); ++reader) {
        readers.emplace_back([copy = first, &sum = sums[reader]] {
            for (int i = 0; i < 1000; ++i)
                sum += copy.GetInt(QStringLiteral("K")) + copy.GetInt(QStringLiteral("L"));
        });
    }
    for (std::thread& reader : readers)
        reader.join();
    for (int sum : sums)
        EXPECT_EQ(sum, 3000);
}

TEST(SectionText, DocumentsCopyMoveAndGrowAfterParsing)
{
    SectionDocument copy;
    {
        SectionDocument parsed;
        ParseSectionText(QByteArray("[A]\r\nK=1\r\n[B]\r\nK=2"), parsed);
        copy = parsed;
        SectionDocument moved = std::move(parsed);
        EXPECT_EQ(moved.Store(1).GetInt(QStringLiteral("K")), 2);
        // Appending moves the first sections as their chunk grows.
        for (int i = 0; i < 600; ++i)
            moved.Append(QStringLiteral("New")).store.Set(QStringLiteral("I"), QString::number(i));
        EXPECT_EQ(moved.Count(), 602);
        EXPECT_EQ(moved.Store(0).GetInt(QStringLiteral("K")), 1);
        EXPECT_EQ(moved.Store(601).GetInt(QStringLiteral("I")), 599);
        EXPECT_EQ(moved.Name(300), QStringLiteral("New"));
    }
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Store(0).GetInt(QStringLiteral("K")), 1);
    EXPECT_EQ(copy.Store(1).GetInt(QStringLiteral("K")), 2);
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
