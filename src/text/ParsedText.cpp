#include "text/ParsedText.h"

#include <QHash>

ParsedText::ParsedText(const QByteArray& text)
    : m_text(text)
{
    // Bytes the text does not own (QByteArray::fromRawData) may go away with their owner,
    // while the pieces outlive it in copied stores.
    if (!m_text.data_ptr().isMutable())
        m_text = QByteArray(text.constData(), text.size());
}

ParsedText::Pair ParsedText::Copied(const QByteArray& key, QByteArrayView value)
{
    const Pair pair { quint32(m_text.size() + m_copies.size()), quint32(key.size()), quint32(value.size()) };
    m_copies += key;
    m_copies += '=';
    m_copies += value;
    return pair;
}

int ParsedText::AddIndex(PairSlots index)
{
    m_indexes.push_back(std::move(index));
    return int(m_indexes.size() - 1);
}

const PairSlots& ParsedText::Index(int number) const
{
    static const PairSlots kNone;
    return number < 0 ? kNone : m_indexes[size_t(number)];
}

int ParsedText::FindIndexed(int first, const PairSlots& index, QByteArrayView key) const
{
    return index.Find(HashOf(key), [&](int position) { return Same(Key(first + position), key); });
}

QString ParsedText::Decode(QByteArrayView piece)
{
    if (piece.isEmpty())
        return {};
    // QString::fromUtf8 drops a leading byte-order mark; inside a text it is an ordinary
    // character.
    QString decoded = QString::fromUtf8(piece);
    if (piece.startsWith(QByteArrayView(kByteOrderMark, 3)))
        decoded.prepend(QChar(0xfeff));
    return decoded;
}

QByteArray ParsedText::CanonicalOfNonAscii(QByteArrayView key)
{
    QByteArray canonical = Decode(key).toUtf8();
    return Same(canonical, key) ? QByteArray() : canonical;
}

size_t ParsedText::HashOf(QByteArrayView key)
{
    return qHashBits(key.data(), size_t(key.size()), QHashSeed::globalSeed());
}
