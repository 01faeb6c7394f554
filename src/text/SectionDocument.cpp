#include "text/SectionDocument.h"

#include "text/ParsedText.h"
#include "text/ValueForms.h"

#include <cstring>

int SectionDocument::Count() const
{
    return int(m_sections.size());
}

QString SectionDocument::Name(int index) const
{
    if (index < 0 || size_t(index) >= m_sections.size())
        return {};
    return m_sections[size_t(index)].name;
}

const KeyValueStore& SectionDocument::Store(int index) const
{
    static const KeyValueStore kEmpty;
    if (index < 0 || size_t(index) >= m_sections.size())
        return kEmpty;
    return m_sections[size_t(index)].store;
}

void SectionDocument::Clear()
{
    m_sections.clear();
}

Section& SectionDocument::Append(const QString& name)
{
    return m_sections.emplace_back(Section { name, {} });
}

bool SectionDocument::operator==(const SectionDocument& other) const
{
    if (m_sections.size() != other.m_sections.size())
        return false;
    for (size_t i = 0; i < m_sections.size(); ++i) {
        if (m_sections[i].name != other.m_sections[i].name || !(m_sections[i].store == other.m_sections[i].store))
            return false;
    }
    return true;
}

namespace {

// The line rules, shared by the UTF-16 and the UTF-8 parser. Unit is QChar or char; the
// markers the rules look for are all ASCII, so both forms split identically. Headers and pairs
// go to sink.
template <typename Unit, typename Sink>
class LineParser {
public:
    explicit LineParser(Sink& sink)
        : m_sink(sink)
    {
    }

    void Parse(const Unit* text, qsizetype size)
    {
        const Unit* end = text + size;
        const Unit* line = text;
        for (;;) {
            const Unit* line_end = FindCrLf(line, end);
            ParseLine(line, line_end);
            if (line_end == end)
                return;
            line = line_end + 2;
        }
    }

private:
    static bool Is(Unit unit, char ascii) { return unit == Unit(ascii); }

    static const Unit* Find(const Unit* from, const Unit* end, char ascii)
    {
        if constexpr (std::is_same_v<Unit, char>) {
            const void* at = std::memchr(from, ascii, size_t(end - from));
            return at ? static_cast<const char*>(at) : end;
        } else {
            const qsizetype at = QStringView(from, end - from).indexOf(QLatin1Char(ascii));
            return at < 0 ? end : from + at;
        }
    }

    // The first CR LF at or after from, or end when there is none. A lone CR or LF is part of
    // the line.
    static const Unit* FindCrLf(const Unit* from, const Unit* end)
    {
        while (from < end) {
            const Unit* at = Find(from, end, '\r');
            if (at == end || (at + 1 < end && Is(at[1], '\n')))
                return at;
            from = at + 1;
        }
        return end;
    }

    void ParseLine(const Unit* begin, const Unit* end)
    {
        const qsizetype length = end - begin;
        if (length == 0 || Is(begin[0], ';'))
            return;
        if (length >= 2 && Is(begin[0], '/') && Is(begin[1], '/'))
            return;
        if (length >= 3 && Is(begin[0], '[') && Is(end[-1], ']')) {
            m_sink.Header(begin + 1, length - 2);
            m_in_section = true;
            return;
        }
        const Unit* equals = Find(begin, end, '=');
        if (equals == end || !m_in_section)
            return;
        m_sink.Pair(begin, equals - begin, equals + 1, end - equals - 1);
    }

    Sink& m_sink;
    bool m_in_section { false };
};

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
    QString Get(const Unit* text, qsizetype size)
    {
        if (size > kLongestCached)
            return Convert(text, size);
        for (const Entry& entry : m_entries) {
            if (qsizetype(entry.units.size()) != size)
                continue;
            if (size == 0 || std::memcmp(entry.units.data(), text, size_t(size) * sizeof(Unit)) == 0)
                return entry.text;
        }
        QString converted = Convert(text, size);
        if (m_entries.size() < kCacheSize)
            m_entries.push_back({ std::vector<Unit>(text, text + size), converted });
        return converted;
    }

private:
    static constexpr size_t kCacheSize = 64;
    static constexpr qsizetype kLongestCached = 48;

    struct Entry {
        std::vector<Unit> units;
        QString text;
    };

    std::vector<Entry> m_entries;
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

    void Pair(const Unit* key, qsizetype key_size, const Unit* value, qsizetype value_size)
    {
        QString key_text = m_names.Get(key, key_size);
        QString value_text = value_size == 0 ? QString() : Convert(value, value_size);
        if (m_document.UnescapeOnLoad()) {
            key_text = Unescape(key_text);
            value_text = Unescape(value_text);
        }
        m_current->store.Set(key_text, value_text);
    }

private:
    SectionDocument& m_document;
    NameCache<Unit> m_names;
    Section* m_current { nullptr };
};

// Cuts keys and values out of the UTF-8 text without converting them: each section's store
// reads its pairs, one run of the parsed text's pairs, when they are asked for.
class PieceSink {
public:
    PieceSink(SectionDocument& document, ParsedText& text)
        : m_document(document)
        , m_text(text)
    {
    }

    void Header(const char* name, qsizetype size)
    {
        Finish();
        m_current = &m_document.Append(m_names.Get(name, size));
        m_first = m_text.Count();
        m_count = 0;
    }

    void Pair(const char* key, qsizetype key_size, const char* value, qsizetype value_size)
    {
        const QByteArrayView line_key(key, key_size);
        const QByteArrayView line_value(value, value_size);
        const QByteArray canonical = ParsedText::Canonical(line_key);
        const QByteArrayView key_bytes = canonical.isEmpty() ? line_key : QByteArrayView(canonical);
        const int existing = m_text.Find(m_first, m_count, m_slots, key_bytes);
        if (existing >= 0) {
            m_text.Replace(m_first + existing, line_key, canonical, line_value);
            return;
        }
        m_text.Add(line_key, canonical, line_value);
        ++m_count;
        if (size_t(m_count) > PairSlots::kLinearLimit) {
            m_slots.Add(ParsedText::HashOf(key_bytes), size_t(m_count),
                [&](int position) { return ParsedText::HashOf(m_text.Key(m_first + position)); });
        }
    }

    // Hands the pairs of the last section to its store.
    void Finish()
    {
        if (!m_current)
            return;
        const int index = m_slots.IsEmpty() ? -1 : m_text.AddIndex(std::move(m_slots));
        m_current->store.ReadFrom(&m_text, m_first, m_count, index);
        m_slots.Clear();
    }

private:
    SectionDocument& m_document;
    ParsedText& m_text;
    NameCache<char> m_names;
    Section* m_current { nullptr };
    int m_first { 0 };
    int m_count { 0 };
    PairSlots m_slots;
};

// Parses UTF-8 bytes that hold no byte-order mark of their own.
void ParseBytes(const QByteArray& utf8, qsizetype skip, SectionDocument& document)
{
    if (document.UnescapeOnLoad() || utf8.size() > ParsedText::kMaxSize) {
        StringSink<char> sink(document);
        LineParser<char, StringSink<char>>(sink).Parse(utf8.constData() + skip, utf8.size() - skip);
        return;
    }
    // The stores keep the text alive; it dies with the last of them.
    const QExplicitlySharedDataPointer<ParsedText> text(new ParsedText(utf8));
    PieceSink sink(document, *text);
    LineParser<char, PieceSink>(sink).Parse(text->Text().constData() + skip, text->Text().size() - skip);
    sink.Finish();
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
        ParseBytes(text.toUtf8(), 0, document);
        return true;
    }
    StringSink<QChar> sink(document);
    LineParser<QChar, StringSink<QChar>>(sink).Parse(text.data(), text.size());
    return true;
}

bool ParseSectionText(const QByteArray& utf8, SectionDocument& document)
{
    document.Clear();
    if (utf8.isEmpty())
        return false;
    // A byte-order mark at the start is not part of the first line, as in the text decoder.
    ParseBytes(utf8, utf8.startsWith(ParsedText::kByteOrderMark) ? 3 : 0, document);
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
