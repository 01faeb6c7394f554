#pragma once

#include "text/PairSlots.h"
#include "text/SectionLines.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSharedData>
#include <QString>

#include <cstring>
#include <memory>
#include <vector>

// The UTF-8 bytes of one parsed section text and the key and value pieces cut out of them,
// shared by the stores of the document's sections and by their copies. Pieces are converted to
// strings only when read, so parsing allocates nothing per key or value. Keys are held in
// canonical UTF-8 (what their string encodes back to), so two keys are equal exactly when their
// bytes are. Filled by one thread while parsing and never changed afterwards.
class ParsedText : public QSharedData {
public:
    // Longer texts are not cut into pieces. A line whose key is re-encoded is copied, growing
    // at most threefold (an invalid byte becomes three), so all offsets fit in 32 bits.
    static constexpr qsizetype kMaxSize = (qsizetype(1) << 30) - 1;
    static constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

    // Shares text when it owns its bytes and copies it otherwise.
    explicit ParsedText(const QByteArray& text);

    const QByteArray& Text() const { return m_text; }
    int Count() const { return m_count; }
    QByteArrayView Key(int pair) const { return Piece(At(pair).key, At(pair).key_size); }
    QByteArrayView Value(int pair) const
    {
        const Pair& at = At(pair);
        return Piece(at.key + at.key_size + 1, at.value_size);
    }

    // Appends the pair of a line of Text(), or gives pair a later line's key and value. The
    // key is the line's own when canonical is empty; otherwise canonical is its canonical form
    // and key, "=" and value are copied.
    void Add(QByteArrayView key, const QByteArray& canonical, QByteArrayView value)
    {
        if ((m_count & (kBlockSize - 1)) == 0)
            m_blocks.push_back(std::make_unique_for_overwrite<Pair[]>(kBlockSize));
        Replace(m_count++, key, canonical, value);
    }
    void Replace(int pair, QByteArrayView key, const QByteArray& canonical, QByteArrayView value)
    {
        if (!canonical.isEmpty())
            At(pair) = Copied(canonical, value);
        else
            At(pair) = { quint32(key.data() - m_text.constData()), quint32(key.size()), quint32(value.size()) };
    }

    // Calls visit(key, value) for the pairs of the lines in bytes offset to offset + size - 1
    // of the text, as long as it returns true.
    template <typename Visit>
    void VisitLines(quint32 offset, quint32 size, Visit visit) const
    {
        struct Sink {
            Visit& visit;
            void Header(const char*, qsizetype) { }
            bool Pair(const char* key, qsizetype key_size, const char* value, qsizetype value_size)
            {
                return visit(QByteArrayView(key, key_size), QByteArrayView(value, value_size));
            }
        } sink { visit };
        SectionLines<char, Sink>(sink, SectionLinesStart::InSection).Parse(m_text.constData() + offset, size);
    }

    // Keeps the index of a large section's pairs and returns its number.
    int AddIndex(PairSlots index);
    // Index number, or an empty index for -1.
    const PairSlots& Index(int number) const;

    // The position among pairs first to first + count - 1 whose key is key, or -1. index finds
    // those positions when the section is large.
    int Find(int first, int count, const PairSlots& index, QByteArrayView key) const
    {
        if (!index.IsEmpty())
            return FindIndexed(first, index, key);
        for (int i = 0; i < count; ++i) {
            if (Same(Key(first + i), key))
                return i;
        }
        return -1;
    }

    // A piece converted as a string: malformed sequences become U+FFFD, and a byte-order mark at
    // its start stays a character.
    static QString Decode(QByteArrayView piece);
    // The bytes that decode to the same string as key and that the string encodes back to.
    // Empty when key already is canonical, as every ASCII key is.
    static QByteArray Canonical(QByteArrayView key) { return IsAscii(key) ? QByteArray() : CanonicalOfNonAscii(key); }
    static bool IsAscii(QByteArrayView bytes)
    {
        const char* at = bytes.data();
        const char* const end = at + bytes.size();
        for (; end - at >= 8; at += 8) {
            quint64 word;
            std::memcpy(&word, at, 8);
            if (word & 0x8080808080808080u)
                return false;
        }
        for (; at < end; ++at) {
            if (uchar(*at) >= 0x80)
                return false;
        }
        return true;
    }
    static size_t HashOf(QByteArrayView key);
    static bool Same(QByteArrayView a, QByteArrayView b)
    {
        return a.size() == b.size() && (a.isEmpty() || std::memcmp(a.data(), b.data(), size_t(a.size())) == 0);
    }

private:
    // A key and its value, which follows the key and "=". The offset lies in the text when
    // below its size and in m_copies otherwise.
    struct Pair {
        quint32 key;
        quint32 key_size;
        quint32 value_size;
    };

    // The pairs are kept in blocks that are never moved: the pairs of a large text need no
    // copying as they grow, and blocks this small are recycled by the allocator.
    static constexpr int kBlockShift = 11;
    static constexpr int kBlockSize = 1 << kBlockShift;

    const Pair& At(int pair) const { return m_blocks[size_t(pair >> kBlockShift)][pair & (kBlockSize - 1)]; }
    Pair& At(int pair) { return m_blocks[size_t(pair >> kBlockShift)][pair & (kBlockSize - 1)]; }
    QByteArrayView Piece(quint32 offset, quint32 size) const
    {
        if (size == 0)
            return {};
        const quint32 text_size = quint32(m_text.size());
        return offset < text_size ? QByteArrayView(m_text.constData() + offset, size)
                                  : QByteArrayView(m_copies.constData() + (offset - text_size), size);
    }
    Pair Copied(const QByteArray& key, QByteArrayView value);
    int FindIndexed(int first, const PairSlots& index, QByteArrayView key) const;
    static QByteArray CanonicalOfNonAscii(QByteArrayView key);

    QByteArray m_text;
    // Lines whose keys are not canonical in the text, rewritten.
    QByteArray m_copies;
    std::vector<std::unique_ptr<Pair[]>> m_blocks;
    int m_count { 0 };
    std::vector<PairSlots> m_indexes;
};
