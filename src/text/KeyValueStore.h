#pragma once

#include "text/PairSlots.h"
#include "text/ParsedText.h"

#include <QSharedData>
#include <QSharedDataPointer>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

// Whether a text reader passes the value through Unescape.
enum class Escape { Verbatim, Unescape };

// The keys and values of one section. Keys are compared exactly and occur once; a later value
// replaces an earlier one. Nothing may rely on the iteration order.
//
// A store filled by the parser reads its pairs from the shared bytes of the parsed text and
// converts them when they are read; the first change copies them into pairs of its own. Copies
// of a store may be read on different threads.
class KeyValueStore {
public:
    KeyValueStore() = default;
    KeyValueStore(const KeyValueStore& other);
    KeyValueStore(KeyValueStore&& other) noexcept;
    KeyValueStore& operator=(KeyValueStore other) noexcept;
    ~KeyValueStore()
    {
        if (m_holds_text)
            Release();
    }

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
    QString KeyAt(int index) const;
    QString ValueAt(int index) const;

    // Makes the store read its pairs from a parsed text instead of holding pairs of its own,
    // either from count lines of distinct keys in bytes offset to offset + size - 1 of the
    // text, or from the text's pairs first to first + count - 1, found through the text's index
    // number index when there are many (-1: none). The store borrows text: whoever owns text
    // keeps it alive as long as the store, while copies of the store hold it themselves. Used by
    // the parser.
    void ReadLines(const ParsedText* text, int offset, int size, int count);
    void ReadPairs(const ParsedText* text, int first, int count, int index);

    // Same keys with the same values, whatever the order.
    bool operator==(const KeyValueStore& other) const;

private:
    struct Entry {
        QString key;
        QString value;
    };
    // The pairs in the order they were first set; removing one moves the last into its place.
    // Shared by copies until one of them changes.
    struct OwnPairs : QSharedData {
        std::vector<Entry> entries;
        PairSlots index;
    };

    struct Piece {
        int position;
        QByteArrayView key;
        QByteArrayView value;
    };

    struct ValueText;

    int IndexOf(QStringView key) const;
    std::optional<QString> Find(QStringView key) const;
    // Gives the value under key to text for reading; false when the key is absent.
    bool Look(QStringView key, ValueText& text) const;
    template <typename T>
    T Converted(const QString& key, T fallback, T (*convert)(QStringView)) const;
    template <typename T>
    T ConvertedField(const QString& key, int index, T fallback, T (*convert)(QStringView)) const;
    std::optional<Piece> FindParsed(QStringView key) const;
    template <typename Match>
    std::optional<Piece> FindLine(Match match) const;
    // The parsed pair at position.
    Piece ParsedAt(int position) const;
    const std::vector<Entry>& Entries() const;
    OwnPairs& Own();
    void RebuildIndex();
    // Copies the pairs read from a parsed text into pairs of the store's own.
    void Detach();
    // Takes a reference to the parsed text, or drops the store's hold on it.
    void Hold();
    void Release();
    void Borrow(const ParsedText* text, int first, int extent, int count);
    void Swap(KeyValueStore& other) noexcept;

    // The parsed text the pairs are read from, or null when the store holds pairs of its own.
    // The stores of a parsed document borrow it from the document, sparing the parser and the
    // document's destruction a reference count per section.
    const ParsedText* m_parsed { nullptr };
    bool m_holds_text { false };
    // Lines: the byte offset and size of the lines; pairs: the first pair and the index number.
    int m_first { 0 };
    int m_extent { 0 };
    int m_parsed_count { 0 };
    bool m_by_lines { false };
    QSharedDataPointer<OwnPairs> m_own;
};
