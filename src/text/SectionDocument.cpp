#include "text/SectionDocument.h"

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
    m_sections.push_back({ name, {} });
    return m_sections.back();
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
// markers the rules look for are all ASCII, so both forms split identically.
template <typename Unit, typename Strings>
class LineParser {
public:
    LineParser(SectionDocument& document, Strings& decoder)
        : m_document(document)
        , m_decoder(decoder)
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
            m_current = &m_document.Append(m_decoder.Name(begin + 1, length - 2));
            return;
        }
        const Unit* equals = Find(begin, end, '=');
        if (equals == end || !m_current)
            return;
        QString key = m_decoder.Key(begin, equals - begin);
        QString value = m_decoder.Value(equals + 1, end - equals - 1);
        if (m_document.UnescapeOnLoad()) {
            key = Unescape(key);
            value = Unescape(value);
        }
        m_current->store.Set(key, value);
    }

    SectionDocument& m_document;
    Strings& m_decoder;
    Section* m_current { nullptr };
};

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

QString Convert(const QChar* text, qsizetype size)
{
    return QString(text, size);
}

// UTF-8 to UTF-16 keeping a byte-order mark at the start of the piece, which QString::fromUtf8
// would drop: inside a text it is an ordinary character.
QString Convert(const char* text, qsizetype size)
{
    QString converted = QString::fromUtf8(text, size);
    if (size >= 3 && std::memcmp(text, kByteOrderMark, 3) == 0)
        converted.prepend(QChar(0xfeff));
    return converted;
}

// Converts keys and section names through a small cache: a note file repeats the same few of
// them in every section, and a shared string costs no allocation.
template <typename Unit>
class Decoder {
public:
    QString Name(const Unit* text, qsizetype size) { return Cached(text, size); }
    QString Key(const Unit* text, qsizetype size) { return Cached(text, size); }
    QString Value(const Unit* text, qsizetype size) { return size == 0 ? QString() : Convert(text, size); }

private:
    static constexpr size_t kCacheSize = 64;
    static constexpr qsizetype kLongestCached = 48;

    struct Entry {
        std::vector<Unit> units;
        QString text;
    };

    QString Cached(const Unit* text, qsizetype size)
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

    std::vector<Entry> m_entries;
};

}

bool ParseSectionText(QStringView text, SectionDocument& document)
{
    document.Clear();
    if (text.isEmpty())
        return false;
    Decoder<QChar> decoder;
    LineParser<QChar, Decoder<QChar>>(document, decoder).Parse(text.data(), text.size());
    return true;
}

bool ParseSectionText(const QByteArray& utf8, SectionDocument& document)
{
    document.Clear();
    if (utf8.isEmpty())
        return false;
    // A byte-order mark at the start is not part of the first line, as in the text decoder.
    const qsizetype skip = utf8.startsWith(kByteOrderMark) ? 3 : 0;
    Decoder<char> decoder;
    LineParser<char, Decoder<char>>(document, decoder).Parse(utf8.constData() + skip, utf8.size() - skip);
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
