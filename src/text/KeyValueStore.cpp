#include "text/KeyValueStore.h"

#include "text/ListTokenizer.h"
#include "text/ValueForms.h"

#include <QHash>

namespace {

// Stores up to this many keys are searched linearly; a section of a layout or a note file
// rarely has more than a dozen.
constexpr size_t kLinearLimit = 16;

size_t HashOf(const QString& key)
{
    return qHash(key, QHashSeed::globalSeed());
}

// The converted text, or the fallback when there is none.
template <typename T, typename Text>
T Converted(const Text& text, T fallback, T (*convert)(QStringView))
{
    return text ? convert(*text) : fallback;
}

}

int KeyValueStore::IndexOf(const QString& key) const
{
    if (m_slots.empty()) {
        for (size_t i = 0; i < m_entries.size(); ++i) {
            if (m_entries[i].key == key)
                return int(i);
        }
        return -1;
    }
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = HashOf(key) & mask;; slot = (slot + 1) & mask) {
        const int index = m_slots[slot];
        if (index < 0)
            return -1;
        if (m_entries[size_t(index)].key == key)
            return index;
    }
}

const QString* KeyValueStore::Find(const QString& key) const
{
    const int index = IndexOf(key);
    return index < 0 ? nullptr : &m_entries[size_t(index)].value;
}

void KeyValueStore::RebuildIndex()
{
    m_slots.clear();
    if (m_entries.size() <= kLinearLimit)
        return;
    // At most a quarter of the slots are used, so probe runs stay short.
    size_t size = 64;
    while (size < m_entries.size() * 4)
        size *= 2;
    m_slots.assign(size, -1);
    const size_t mask = size - 1;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        size_t slot = HashOf(m_entries[i].key) & mask;
        while (m_slots[slot] >= 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = int(i);
    }
}

bool KeyValueStore::Contains(const QString& key) const
{
    return IndexOf(key) >= 0;
}

void KeyValueStore::Set(const QString& key, const QString& value)
{
    const int index = IndexOf(key);
    if (index >= 0) {
        m_entries[size_t(index)].value = value;
        return;
    }
    if (m_entries.empty())
        m_entries.reserve(4);
    m_entries.push_back({ key, value });
    if (m_entries.size() <= kLinearLimit)
        return;
    if (m_slots.empty() || m_entries.size() * 4 > m_slots.size()) {
        RebuildIndex();
        return;
    }
    const size_t mask = m_slots.size() - 1;
    size_t slot = HashOf(key) & mask;
    while (m_slots[slot] >= 0)
        slot = (slot + 1) & mask;
    m_slots[slot] = int(m_entries.size() - 1);
}

bool KeyValueStore::Remove(const QString& key)
{
    const int index = IndexOf(key);
    if (index < 0)
        return false;
    if (size_t(index) + 1 != m_entries.size())
        m_entries[size_t(index)] = std::move(m_entries.back());
    m_entries.pop_back();
    if (!m_slots.empty())
        RebuildIndex();
    return true;
}

int KeyValueStore::Count() const
{
    return int(m_entries.size());
}

QStringList KeyValueStore::Keys() const
{
    QStringList keys;
    keys.reserve(qsizetype(m_entries.size()));
    for (const Entry& entry : m_entries)
        keys.append(entry.key);
    return keys;
}

bool KeyValueStore::operator==(const KeyValueStore& other) const
{
    if (m_entries.size() != other.m_entries.size())
        return false;
    for (const Entry& entry : m_entries) {
        const QString* value = other.Find(entry.key);
        if (!value || *value != entry.value)
            return false;
    }
    return true;
}

QString KeyValueStore::GetText(const QString& key, const QString& fallback, Escape escape) const
{
    const QString* value = Find(key);
    if (!value)
        return fallback;
    return escape == Escape::Unescape ? Unescape(*value) : *value;
}

int KeyValueStore::GetInt(const QString& key, int fallback) const
{
    return Converted(Find(key), fallback, ToInt);
}

float KeyValueStore::GetFloat(const QString& key, float fallback) const
{
    return Converted(Find(key), fallback, ToFloat);
}

double KeyValueStore::GetDouble(const QString& key, double fallback) const
{
    return Converted(Find(key), fallback, ToDouble);
}

quint32 KeyValueStore::GetColor(const QString& key, quint32 fallback) const
{
    return Converted(Find(key), fallback, ScanColor);
}

quint32 KeyValueStore::GetColorOrNamed(const QString& key, quint32 fallback) const
{
    const QString* value = Find(key);
    if (!value)
        return fallback;
    return NamedColor(*value).value_or(ScanColor(*value));
}

namespace {

// Field index of a plain list without building the whole list.
std::optional<QStringView> PlainField(const QString* value, int index)
{
    if (!value || value->isEmpty() || index < 0)
        return std::nullopt;
    qsizetype start = 0;
    for (int field = 0; field < index; ++field) {
        const qsizetype comma = value->indexOf(u',', start);
        if (comma < 0)
            return std::nullopt;
        start = comma + 1;
    }
    const qsizetype comma = value->indexOf(u',', start);
    return QStringView(*value).mid(start, comma < 0 ? value->size() - start : comma - start);
}

}

QString KeyValueStore::GetListText(const QString& key, int index, const QString& fallback, Escape escape) const
{
    const std::optional<QStringView> field = PlainField(Find(key), index);
    if (!field)
        return fallback;
    return escape == Escape::Unescape ? Unescape(field->toString()) : field->toString();
}

int KeyValueStore::GetListInt(const QString& key, int index, int fallback) const
{
    return Converted(PlainField(Find(key), index), fallback, ToInt);
}

float KeyValueStore::GetListFloat(const QString& key, int index, float fallback) const
{
    return Converted(PlainField(Find(key), index), fallback, ToFloat);
}

double KeyValueStore::GetListDouble(const QString& key, int index, double fallback) const
{
    return Converted(PlainField(Find(key), index), fallback, ToDouble);
}

int KeyValueStore::GetListCount(const QString& key) const
{
    const QString* value = Find(key);
    if (!value || value->isEmpty())
        return 0;
    return int(value->count(u',') + 1);
}

bool KeyValueStore::ListContains(const QString& key, const QString& word) const
{
    const QString* value = Find(key);
    if (!value || word.isEmpty())
        return false;
    for (QStringView field : QStringView(*value).tokenize(u',')) {
        if (field == word)
            return true;
    }
    return false;
}

QString KeyValueStore::GetQuotedText(const QString& key, int index, const QString& fallback) const
{
    const QString* value = Find(key);
    return value ? ListTokenizer(*value).Text(index, fallback) : fallback;
}

float KeyValueStore::GetQuotedFloat(const QString& key, float fallback) const
{
    const QString* value = Find(key);
    return value ? ListTokenizer(*value).Float(fallback) : fallback;
}

bool KeyValueStore::GetQuotedBool(const QString& key, int index, bool fallback) const
{
    const QString* value = Find(key);
    return value ? ListTokenizer(*value).Bool(index) : fallback;
}

bool KeyValueStore::SetListField(const QString& key, int index, const QString& text)
{
    const QString* value = Find(key);
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
