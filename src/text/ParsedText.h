#pragma once

#include "text/PairSlots.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSharedData>
#include <QString>

#include <memory>
#include <vector>

// The UTF-8 bytes of one parsed section text and the key and value pieces cut out of them,
// shared by the stores of the document's sections and by their copies. Pieces are converted to
// strings only when read, so parsing allocates nothing per key or value. Keys are held in
// canonical UTF-8 (what their string encodes back to), so two keys are equal exactly when their
// bytes are. Filled by one thread while parsing and never changed afterwards.
class ParsedText : public QSharedData {
public:
    // Longer texts are not cut into pieces: with every key re-encoded (an invalid byte grows
    // to three) all offsets still fit in 32 bits.
    static constexpr qsizetype kMaxSize = qsizetype(1) << 30;
    static constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

    // Shares text when it owns its bytes and copies it otherwise.
    explicit ParsedText(const QByteArray& text);

    const QByteArray& Text() const { return m_text; }
    int Count() const { return m_count; }
    QByteArrayView Key(int pair) const;
    QByteArrayView Value(int pair) const;

    // Appends a pair. The value lies inside Text(); the key is canonical and lies either inside
    // Text() or elsewhere, in which case it is copied.
    void Add(QByteArrayView key, QByteArrayView value);
    void SetValue(int pair, QByteArrayView value);

    // Keeps the index of a large section's pairs and returns its number.
    int AddIndex(PairSlots index);
    // Index number, or an empty index for -1.
    const PairSlots& Index(int number) const;

    // The position among pairs first to first + count - 1 whose key is key, or -1. index
    // those positions when the store is large.
    int Find(int first, int count, const PairSlots& index, QByteArrayView key) const;

    // A piece converted as a string: malformed sequences become U+FFFD, and a byte-order mark at
    // its start stays a character.
    static QString Decode(QByteArrayView piece);
    // The bytes that decode to the same string as key and that the string encodes back to.
    // Empty when key already is canonical.
    static QByteArray Canonical(QByteArrayView key);
    static size_t HashOf(QByteArrayView key);

private:
    struct Pair {
        quint32 key;
        quint32 key_size;
        quint32 value;
        quint32 value_size;
    };

    // The pairs are kept in blocks that are never moved: the pieces of a large text need no
    // copying as they grow, and blocks this small are recycled by the allocator.
    static constexpr int kBlockShift = 11;
    static constexpr int kBlockSize = 1 << kBlockShift;

    const Pair& At(int pair) const { return m_blocks[size_t(pair >> kBlockShift)][pair & (kBlockSize - 1)]; }
    Pair& At(int pair) { return m_blocks[size_t(pair >> kBlockShift)][pair & (kBlockSize - 1)]; }
    // Offsets below the size of the text lie in it; the others in m_keys after it.
    QByteArrayView Piece(quint32 offset, quint32 size) const;

    QByteArray m_text;
    QByteArray m_keys;
    std::vector<std::unique_ptr<Pair[]>> m_blocks;
    int m_count { 0 };
    std::vector<PairSlots> m_indexes;
};
