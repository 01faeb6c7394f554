#include "text/KeyValueStore.h"

#include "text/ListTokenizer.h"
#include "text/ParsedText.h"
#include "text/ValueForms.h"

#include <QHash>
#include <QVarLengthArray>

#include <cstring>

namespace {

using KeyBytes = QVarLengthArray<char, 128>;

size_t HashOf(QStringView key)
{
    return qHash(key, QHashSeed::globalSeed());
}

// The UTF-8 form of a key looked up among parsed keys, which are held in the same form. False
// when the key holds a lone surrogate: no parsed key decodes to one.
bool EncodeKey(QStringView key, KeyBytes& utf8)
{
    utf8.resize(key.size());
    for (qsizetype i = 0; i < key.size(); ++i) {
        const char16_t unit = key[i].unicode();
        if (unit >= 0x80) {
            if (!key.isValidUtf16())
                return false;
            const QByteArray encoded = key.toUtf8();
            utf8.resize(encoded.size());
            std::memcpy(utf8.data(), encoded.constData(), size_t(encoded.size()));
            return true;
        }
        utf8[i] = char(unit);
    }
    return true;
}

}

KeyValueStore::KeyValueStore(const KeyValueStore& other)
    : m_parsed(other.m_parsed)
    , m_first(other.m_first)
    , m_extent(other.m_extent)
    , m_parsed_count(other.m_parsed_count)
    , m_by_lines(other.m_by_lines)
    , m_own(other.m_own)
{
    Hold();
}

KeyValueStore::KeyValueStore(KeyValueStore&& other) noexcept
    : KeyValueStore()
{
    if (other.m_holds_text || !other.m_parsed) {
        Swap(other);
        return;
    }
    // A borrowing store stays as it is; the new one holds the text itself.
    KeyValueStore copy(other);
    Swap(copy);
}

KeyValueStore& KeyValueStore::operator=(KeyValueStore other) noexcept
{
    Swap(other);
    return *this;
}

void KeyValueStore::Swap(KeyValueStore& other) noexcept
{
    std::swap(m_parsed, other.m_parsed);
    std::swap(m_holds_text, other.m_holds_text);
    std::swap(m_first, other.m_first);
    std::swap(m_extent, other.m_extent);
    std::swap(m_parsed_count, other.m_parsed_count);
    std::swap(m_by_lines, other.m_by_lines);
    m_own.swap(other.m_own);
}

void KeyValueStore::Hold()
{
    m_holds_text = m_parsed != nullptr;
    if (m_parsed)
        m_parsed->ref.ref();
}

void KeyValueStore::Release()
{
    if (m_holds_text && !m_parsed->ref.deref())
        delete m_parsed;
    m_parsed = nullptr;
    m_holds_text = false;
}

void KeyValueStore::ReadLines(const ParsedText* text, int offset, int size, int count)
{
    Borrow(text, offset, size, count);
    m_by_lines = true;
}

void KeyValueStore::ReadPairs(const ParsedText* text, int first, int count, int index)
{
    Borrow(text, first, index, count);
    m_by_lines = false;
}

void KeyValueStore::Borrow(const ParsedText* text, int first, int extent, int count)
{
    Release();
    m_own.reset();
    m_parsed = text;
    m_first = first;
    m_extent = extent;
    m_parsed_count = count;
}

const std::vector<KeyValueStore::Entry>& KeyValueStore::Entries() const
{
    static const std::vector<Entry> kNone;
    return m_own ? m_own->entries : kNone;
}

KeyValueStore::OwnPairs& KeyValueStore::Own()
{
    if (!m_own)
        m_own = new OwnPairs;
    return *m_own;
}

void KeyValueStore::Detach()
{
    if (!m_parsed)
        return;
    std::vector<Entry> entries;
    entries.reserve(size_t(m_parsed_count));
    for (int i = 0; i < m_parsed_count; ++i)
        entries.push_back({ KeyAt(i), ValueAt(i) });
    Release();
    m_parsed_count = 0;
    Own().entries = std::move(entries);
    RebuildIndex();
}

template <typename Match>
std::optional<KeyValueStore::Piece> KeyValueStore::FindLine(Match match) const
{
    std::optional<Piece> found;
    int position = 0;
    m_parsed->VisitLines(quint32(m_first), quint32(m_extent), [&](QByteArrayView key, QByteArrayView value) {
        if (match(position, key)) {
            found = Piece { position, key, value };
            return false;
        }
        ++position;
        return true;
    });
    return found;
}

KeyValueStore::Piece KeyValueStore::ParsedAt(int position) const
{
    if (m_by_lines)
        return *FindLine([&](int at, QByteArrayView) { return at == position; });
    return { position, m_parsed->Key(m_first + position), m_parsed->Value(m_first + position) };
}

std::optional<KeyValueStore::Piece> KeyValueStore::FindParsed(QStringView key) const
{
    KeyBytes utf8;
    if (!EncodeKey(key, utf8))
        return std::nullopt;
    const QByteArrayView bytes(utf8.constData(), utf8.size());
    if (m_by_lines)
        return FindLine([&](int, QByteArrayView line_key) { return ParsedText::Same(line_key, bytes); });
    const int position = m_parsed->Find(m_first, m_parsed_count, m_parsed->Index(m_extent), bytes);
    if (position < 0)
        return std::nullopt;
    return ParsedAt(position);
}

int KeyValueStore::IndexOf(QStringView key) const
{
    if (m_parsed) {
        const std::optional<Piece> piece = FindParsed(key);
        return piece ? piece->position : -1;
    }
    if (!m_own)
        return -1;
    const std::vector<Entry>& entries = m_own->entries;
    if (m_own->index.IsEmpty()) {
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].key == key)
                return int(i);
        }
        return -1;
    }
    return m_own->index.Find(HashOf(key), [&](int position) { return entries[size_t(position)].key == key; });
}

std::optional<QString> KeyValueStore::Find(QStringView key) const
{
    if (m_parsed) {
        const std::optional<Piece> piece = FindParsed(key);
        if (!piece)
            return std::nullopt;
        return ParsedText::Decode(piece->value);
    }
    const int index = IndexOf(key);
    if (index < 0)
        return std::nullopt;
    return ValueAt(index);
}

void KeyValueStore::RebuildIndex()
{
    OwnPairs& own = Own();
    own.index.Rebuild(own.entries.size(), [&](int position) { return HashOf(own.entries[size_t(position)].key); });
}

bool KeyValueStore::Contains(const QString& key) const
{
    return IndexOf(key) >= 0;
}

void KeyValueStore::Set(const QString& key, const QString& value)
{
    Detach();
    const int index = IndexOf(key);
    OwnPairs& own = Own();
    if (index >= 0) {
        own.entries[size_t(index)].value = value;
        return;
    }
    if (own.entries.empty())
        own.entries.reserve(4);
    own.entries.push_back({ key, value });
    if (own.entries.size() > PairSlots::kLinearLimit) {
        own.index.Add(HashOf(key), own.entries.size(),
            [&](int position) { return HashOf(own.entries[size_t(position)].key); });
    }
}

bool KeyValueStore::Remove(const QString& key)
{
    if (IndexOf(key) < 0)
        return false;
    Detach();
    const int index = IndexOf(key);
    OwnPairs& own = Own();
    if (size_t(index) + 1 != own.entries.size())
        own.entries[size_t(index)] = std::move(own.entries.back());
    own.entries.pop_back();
    if (!own.index.IsEmpty())
        RebuildIndex();
    return true;
}

int KeyValueStore::Count() const
{
    return m_parsed ? m_parsed_count : int(Entries().size());
}

QString KeyValueStore::KeyAt(int index) const
{
    return m_parsed ? ParsedText::Decode(ParsedAt(index).key) : Entries()[size_t(index)].key;
}

QString KeyValueStore::ValueAt(int index) const
{
    return m_parsed ? ParsedText::Decode(ParsedAt(index).value) : Entries()[size_t(index)].value;
}

QStringList KeyValueStore::Keys() const
{
    QStringList keys;
    keys.reserve(Count());
    for (int i = 0; i < Count(); ++i)
        keys.append(KeyAt(i));
    return keys;
}

bool KeyValueStore::operator==(const KeyValueStore& other) const
{
    if (Count() != other.Count())
        return false;
    for (int i = 0; i < Count(); ++i) {
        const std::optional<QString> value = other.Find(KeyAt(i));
        if (!value || *value != ValueAt(i))
            return false;
    }
    return true;
}

QString KeyValueStore::GetText(const QString& key, const QString& fallback, Escape escape) const
{
    const std::optional<QString> value = Find(key);
    if (!value)
        return fallback;
    return escape == Escape::Unescape ? Unescape(*value) : *value;
}

// A value for readers that only look at it. ASCII values, nearly all of them, are widened on
// the stack rather than converted into a string of their own.
struct KeyValueStore::ValueText {
    QVarLengthArray<char16_t, 256> units;
    QString converted;
    QStringView view;
};

bool KeyValueStore::Look(QStringView key, ValueText& text) const
{
    if (!m_parsed) {
        const int index = IndexOf(key);
        if (index >= 0)
            text.view = Entries()[size_t(index)].value;
        return index >= 0;
    }
    const std::optional<Piece> piece = FindParsed(key);
    if (!piece)
        return false;
    if (ParsedText::IsAscii(piece->value)) {
        text.units.resize(piece->value.size());
        for (qsizetype i = 0; i < piece->value.size(); ++i)
            text.units[i] = char16_t(piece->value[i]);
        text.view = QStringView(text.units.constData(), text.units.size());
    } else {
        text.converted = ParsedText::Decode(piece->value);
        text.view = text.converted;
    }
    return true;
}

namespace {

// Field index of a plain list without building the whole list.
std::optional<QStringView> PlainField(QStringView value, int index)
{
    if (value.isEmpty() || index < 0)
        return std::nullopt;
    qsizetype start = 0;
    for (int field = 0; field < index; ++field) {
        const qsizetype comma = value.indexOf(u',', start);
        if (comma < 0)
            return std::nullopt;
        start = comma + 1;
    }
    const qsizetype comma = value.indexOf(u',', start);
    return value.mid(start, comma < 0 ? value.size() - start : comma - start);
}

}

template <typename T>
T KeyValueStore::Converted(const QString& key, T fallback, T (*convert)(QStringView)) const
{
    ValueText value;
    return Look(key, value) ? convert(value.view) : fallback;
}

template <typename T>
T KeyValueStore::ConvertedField(const QString& key, int index, T fallback, T (*convert)(QStringView)) const
{
    ValueText value;
    const std::optional<QStringView> field = Look(key, value) ? PlainField(value.view, index) : std::nullopt;
    return field ? convert(*field) : fallback;
}

int KeyValueStore::GetInt(const QString& key, int fallback) const
{
    return Converted(key, fallback, ToInt);
}

float KeyValueStore::GetFloat(const QString& key, float fallback) const
{
    return Converted(key, fallback, ToFloat);
}

double KeyValueStore::GetDouble(const QString& key, double fallback) const
{
    return Converted(key, fallback, ToDouble);
}

quint32 KeyValueStore::GetColor(const QString& key, quint32 fallback) const
{
    return Converted(key, fallback, ScanColor);
}

quint32 KeyValueStore::GetColorOrNamed(const QString& key, quint32 fallback) const
{
    ValueText value;
    if (!Look(key, value))
        return fallback;
    return NamedColor(value.view).value_or(ScanColor(value.view));
}

QString KeyValueStore::GetListText(const QString& key, int index, const QString& fallback, Escape escape) const
{
    ValueText value;
    const std::optional<QStringView> field = Look(key, value) ? PlainField(value.view, index) : std::nullopt;
    if (!field)
        return fallback;
    return escape == Escape::Unescape ? Unescape(field->toString()) : field->toString();
}

int KeyValueStore::GetListInt(const QString& key, int index, int fallback) const
{
    return ConvertedField(key, index, fallback, ToInt);
}

float KeyValueStore::GetListFloat(const QString& key, int index, float fallback) const
{
    return ConvertedField(key, index, fallback, ToFloat);
}

double KeyValueStore::GetListDouble(const QString& key, int index, double fallback) const
{
    return ConvertedField(key, index, fallback, ToDouble);
}

int KeyValueStore::GetListCount(const QString& key) const
{
    ValueText value;
    if (!Look(key, value) || value.view.isEmpty())
        return 0;
    return int(value.view.count(u',') + 1);
}

bool KeyValueStore::ListContains(const QString& key, const QString& word) const
{
    ValueText value;
    if (word.isEmpty() || !Look(key, value))
        return false;
    for (QStringView field : value.view.tokenize(u',')) {
        if (field == word)
            return true;
    }
    return false;
}

QString KeyValueStore::GetQuotedText(const QString& key, int index, const QString& fallback) const
{
    const std::optional<QString> value = Find(key);
    return value ? ListTokenizer(*value).Text(index, fallback) : fallback;
}

float KeyValueStore::GetQuotedFloat(const QString& key, float fallback) const
{
    const std::optional<QString> value = Find(key);
    return value ? ListTokenizer(*value).Float(fallback) : fallback;
}

bool KeyValueStore::GetQuotedBool(const QString& key, int index, bool fallback) const
{
    const std::optional<QString> value = Find(key);
    return value ? ListTokenizer(*value).Bool(index) : fallback;
}

bool KeyValueStore::SetListField(const QString& key, int index, const QString& text)
{
    const std::optional<QString> value = Find(key);
    QStringList fields = SplitPlainList(value ? QStringView(*value) : QStringView());
    if (index < 0 || index >= fields.size())
        return false;
    fields[index] = text;
    // A comma goes only after text already built, so empty leading fields vanish; an empty new
    // field is left out altogether.
    QString joined;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i == index && text.isEmpty())
            continue;
        if (!joined.isEmpty())
            joined += u',';
        joined += fields[i];
    }
    if (value && *value == joined)
        return false;
    Set(key, joined);
    return true;
}
