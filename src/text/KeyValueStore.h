#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Whether a text reader passes the value through Unescape.
enum class Escape { Verbatim, Unescape };

// The keys and values of one section. Keys are compared exactly and occur once; a later value
// replaces an earlier one. Nothing may rely on the iteration order.
class KeyValueStore {
public:
    bool Contains(const QString& key) const;
    void Set(const QString& key, const QString& value);
    bool Remove(const QString& key);
    int Count() const;
    QStringList Keys() const;

    // Every reader returns its fallback when the key is absent.
    QString GetText(const QString& key, const QString& fallback = {}, Escape escape = Escape::Verbatim) const;
    int GetInt(const QString& key, int fallback = 0) const;
    float GetFloat(const QString& key, float fallback = 0) const;
    double GetDouble(const QString& key, double fallback = 0) const;
    // Hexadecimal form only.
    quint32 GetColor(const QString& key, quint32 fallback = 0) const;
    // Hexadecimal form or one of the named system colours.
    quint32 GetColorOrNamed(const QString& key, quint32 fallback = 0) const;

    // Plain lists: the value cut at every ",". An index outside the fields gives the fallback.
    QString GetListText(const QString& key, int index, const QString& fallback = {}, Escape escape = Escape::Verbatim) const;
    int GetListInt(const QString& key, int index, int fallback = 0) const;
    float GetListFloat(const QString& key, int index, float fallback = 0) const;
    double GetListDouble(const QString& key, int index, double fallback = 0) const;
    int GetListCount(const QString& key) const;
    // An empty word is never contained.
    bool ListContains(const QString& key, const QString& word) const;

    // Quoted lists, read through ListTokenizer from row 0 of the value.
    QString GetQuotedText(const QString& key, int index, const QString& fallback = {}) const;
    float GetQuotedFloat(const QString& key, float fallback = 0) const;
    bool GetQuotedBool(const QString& key, int index, bool fallback) const;

    // Replaces field index of the plain list under key (an absent key is an empty list) and
    // stores the joined result. An index at or beyond the number of fields changes nothing.
    // Empty fields vanish from the joined text. Returns whether the stored value changed.
    bool SetListField(const QString& key, int index, const QString& text);

    // The pairs by position, 0 to Count() - 1, in the store's iteration order.
    const QString& KeyAt(int index) const { return m_entries[size_t(index)].key; }
    const QString& ValueAt(int index) const { return m_entries[size_t(index)].value; }

    // Same keys with the same values, whatever the order.
    bool operator==(const KeyValueStore& other) const;

private:
    struct Entry {
        QString key;
        QString value;
    };

    int IndexOf(const QString& key) const;
    const QString* Find(const QString& key) const;
    void RebuildIndex();

    // The pairs in the order they were first set; removing one moves the last into its place.
    std::vector<Entry> m_entries;
    // Open-addressing slots holding entry positions (-1 free), kept only for large stores;
    // small ones are searched linearly.
    std::vector<int> m_slots;
};
