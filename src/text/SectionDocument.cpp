#include "text/SectionDocument.h"

#include "text/ParsedText.h"
#include "text/SectionLines.h"
#include "text/ValueForms.h"

#include <algorithm>
#include <array>
#include <cstring>

int SectionDocument::Count() const
{
    return m_chunks.empty() ? 0 : int((m_chunks.size() - 1) * kChunkSize + m_chunks.back().size());
}

const Section* SectionDocument::At(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return &m_chunks[size_t(index) / kChunkSize][size_t(index) % kChunkSize];
}

QString SectionDocument::Name(int index) const
{
    const Section* section = At(index);
    return section ? section->name : QString();
}

const KeyValueStore& SectionDocument::Store(int index) const
{
    static const KeyValueStore kEmpty;
    const Section* section = At(index);
    return section ? section->store : kEmpty;
}

void SectionDocument::Clear()
{
    m_chunks.clear();
    m_text.reset();
}

Section& SectionDocument::Append(const QString& name)
{
    if (m_chunks.empty() || m_chunks.back().size() == kChunkSize) {
        m_chunks.emplace_back();
        // The first chunk grows as needed, so that a small document stays small.
        if (m_chunks.size() > 1)
            m_chunks.back().reserve(kChunkSize);
    }
    Section& section = m_chunks.back().emplace_back();
    section.name = name;
    return section;
}

bool SectionDocument::operator==(const SectionDocument& other) const
{
    if (Count() != other.Count())
        return false;
    for (int i = 0; i < Count(); ++i) {
        const Section& mine = *At(i);
        const Section& theirs = *other.At(i);
        if (mine.name != theirs.name || !(mine.store == theirs.store))
            return false;
    }
    return true;
}

namespace {

QString Convert(const QChar* text, qsizetype size)
{
    return QString(text, size);
}

QString Convert(const char* text, qsizetype size)
{
    return ParsedText::Decode(QByteArrayView(text, size));
}

// Converts section names, and keys stored as strings, through a small cache: a note file
// repeats the same few of them in every section, and a shared string costs no allocation.
template <typename Unit>
class NameCache {
public:
    // The reference stays valid until the next call.
    const QString& Get(const Unit* text, qsizetype size)
    {
        if (size <= kLongestCached) {
            for (const Entry& entry : m_entries) {
                if (entry.Is(text, size))
                    return entry.text;
            }
        }
        m_uncached = Convert(text, size);
        if (size > kLongestCached || m_entries.size() == kCacheSize)
            return m_uncached;
        m_entries.push_back({ std::vector<Unit>(text, text + size), m_uncached });
        return m_entries.back().text;
    }

private:
    static constexpr size_t kCacheSize = 64;
    static constexpr qsizetype kLongestCached = 48;

    struct Entry {
        std::vector<Unit> units;
        QString text;

        // A plain loop: names are short, and a library comparison costs more in calls.
        bool Is(const Unit* other, qsizetype size) const
        {
            if (qsizetype(units.size()) != size)
                return false;
            for (qsizetype i = 0; i < size; ++i) {
                if (units[size_t(i)] != other[i])
                    return false;
            }
            return true;
        }
    };

    std::vector<Entry> m_entries;
    QString m_uncached;
};

// Stores keys and values as strings of their own: the UTF-16 parser's sink, and the UTF-8
// parser's when keys and values are unescaped on load.
template <typename Unit>
class StringSink {
public:
    explicit StringSink(SectionDocument& document)
        : m_document(document)
    {
    }

    void Header(const Unit* name, qsizetype size) { m_current = &m_document.Append(m_names.Get(name, size)); }

    bool Pair(const Unit* key, qsizetype key_size, const Unit* value, qsizetype value_size)
    {
        QString key_text = m_names.Get(key, key_size);
        QString value_text = value_size == 0 ? QString() : Convert(value, value_size);
        if (m_document.UnescapeOnLoad()) {
            key_text = Unescape(key_text);
            value_text = Unescape(value_text);
        }
        m_current->store.Set(key_text, value_text);
        return true;
    }

private:
    SectionDocument& m_document;
    NameCache<Unit> m_names;
    Section* m_current { nullptr };
};

// Cuts keys and values out of the UTF-8 text without converting them. A section whose keys
// are few, distinct and canonical, as nearly all are, keeps nothing but where its lines are:
// its store finds a key by reading the lines again. Any other section has its pairs listed in
// the parsed text.
class PieceSink {
public:
    explicit PieceSink(SectionDocument& document, ParsedText& text)
        : m_document(document)
        , m_text(text)
    {
    }

    void Header(const char* name, qsizetype size)
    {
        // The header line starts with "[" before the name and ends with "]" and CR LF.
        Finish(name - 1);
        m_current = &m_document.Append(m_names.Get(name, size));
        m_lines = std::min(name + size + 3, End());
        m_by_lines = true;
        m_count = 0;
    }

    bool Pair(const char* key, qsizetype key_size, const char* value, qsizetype value_size)
    {
        const QByteArrayView line_key(key, key_size);
        const QByteArrayView line_value(value, value_size);
        if (m_by_lines) {
            if (size_t(m_count) < PairSlots::kLinearLimit && ParsedText::IsAscii(line_key) && FindLine(line_key) < 0) {
                m_pieces[size_t(m_count++)] = { line_key, line_value };
                return true;
            }
            ListPairs();
        }
        const QByteArray canonical = ParsedText::Canonical(line_key);
        const QByteArrayView key_bytes = canonical.isEmpty() ? line_key : QByteArrayView(canonical);
        const int existing = m_text.Find(m_first, m_count, m_index, key_bytes);
        if (existing >= 0) {
            m_text.Replace(m_first + existing, line_key, canonical, line_value);
            return true;
        }
        m_text.Add(line_key, canonical, line_value);
        ++m_count;
        if (size_t(m_count) > PairSlots::kLinearLimit) {
            m_index.Add(ParsedText::HashOf(key_bytes), size_t(m_count),
                [&](int position) { return ParsedText::HashOf(m_text.Key(m_first + position)); });
        }
        return true;
    }

    // Hands the pairs of the current section, which ends at end, to its store.
    void Finish(const char* end)
    {
        if (!m_current)
            return;
        if (m_by_lines) {
            const char* text = m_text.Text().constData();
            m_current->store.ReadLines(&m_text, int(m_lines - text), int(end - m_lines), m_count);
            return;
        }
        const int index = m_index.IsEmpty() ? -1 : m_text.AddIndex(std::move(m_index));
        m_current->store.ReadPairs(&m_text, m_first, m_count, index);
        m_index.Clear();
    }

    const char* End() const { return m_text.Text().constData() + m_text.Text().size(); }

private:
    struct Piece {
        QByteArrayView key;
        QByteArrayView value;
    };

    int FindLine(QByteArrayView key) const
    {
        for (int i = 0; i < m_count; ++i) {
            if (ParsedText::Same(m_pieces[size_t(i)].key, key))
                return i;
        }
        return -1;
    }

    // Moves the section's pairs so far into the parsed text's list.
    void ListPairs()
    {
        m_by_lines = false;
        m_first = m_text.Count();
        for (int i = 0; i < m_count; ++i)
            m_text.Add(m_pieces[size_t(i)].key, {}, m_pieces[size_t(i)].value);
    }

    SectionDocument& m_document;
    ParsedText& m_text;
    NameCache<char> m_names;
    Section* m_current { nullptr };
    int m_count { 0 };
    // While the section is kept as lines: where they start, and the pairs found so far.
    bool m_by_lines { true };
    const char* m_lines { nullptr };
    std::array<Piece, PairSlots::kLinearLimit> m_pieces;
    // Once it is listed: its first pair, and the index of a large one.
    int m_first { 0 };
    PairSlots m_index;
};

constexpr auto kFromStart = SectionLinesStart::BeforeHeaders;

// Parses UTF-8 bytes after skip, which leaves out a byte-order mark. Returns the text the
// document's stores borrow from, if any.
QExplicitlySharedDataPointer<const ParsedText> ParseBytes(const QByteArray& utf8, qsizetype skip, SectionDocument& document)
{
    if (document.UnescapeOnLoad() || utf8.size() > ParsedText::kMaxSize) {
        StringSink<char> sink(document);
        SectionLines<char, StringSink<char>>(sink, kFromStart).Parse(utf8.constData() + skip, utf8.size() - skip);
        return {};
    }
    const QExplicitlySharedDataPointer<ParsedText> text(new ParsedText(utf8));
    PieceSink sink(document, *text);
    SectionLines<char, PieceSink>(sink, kFromStart).Parse(text->Text().constData() + skip, text->Text().size() - skip);
    sink.Finish(sink.End());
    return QExplicitlySharedDataPointer<const ParsedText>(text.data());
}

}

bool ParseSectionText(QStringView text, SectionDocument& document)
{
    document.Clear();
    if (text.isEmpty())
        return false;
    // A text without lone surrogates converts to UTF-8 and back unchanged, so it is parsed as
    // bytes, which keeps its keys and values in the compact form.
    if (!document.UnescapeOnLoad() && text.size() <= ParsedText::kMaxSize / 3 && text.isValidUtf16()) {
        document.m_text = ParseBytes(text.toUtf8(), 0, document);
        return true;
    }
    StringSink<QChar> sink(document);
    SectionLines<QChar, StringSink<QChar>>(sink, kFromStart).Parse(text.data(), text.size());
    return true;
}

bool ParseSectionText(const QByteArray& utf8, SectionDocument& document)
{
    document.Clear();
    if (utf8.isEmpty())
        return false;
    // A byte-order mark at the start is not part of the first line, as in the text decoder.
    document.m_text = ParseBytes(utf8, utf8.startsWith(ParsedText::kByteOrderMark) ? 3 : 0, document);
    return true;
}

QString WriteSectionText(const SectionDocument& document)
{
    QString text;
    for (int i = 0; i < document.Count(); ++i) {
        if (i > 0)
            text += u"\r\n";
        text += u'[';
        text += document.Name(i);
        text += u"]\r\n";
        const KeyValueStore& store = document.Store(i);
        for (int pair = 0; pair < store.Count(); ++pair) {
            text += store.KeyAt(pair);
            text += u'=';
            text += store.ValueAt(pair);
            text += u"\r\n";
        }
    }
    return text;
}
