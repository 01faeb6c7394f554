#include "text/ParsedText.h"

#include <QHash>

#include <cstring>

namespace {

bool SameBytes(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && (a.isEmpty() || std::memcmp(a.data(), b.data(), size_t(a.size())) == 0);
}

bool IsAscii(QByteArrayView bytes)
{
    for (char byte : bytes) {
        if (uchar(byte) >= 0x80)
            return false;
    }
    return true;
}

}

ParsedText::ParsedText(const QByteArray& text)
    : m_text(text)
{
    // Bytes the text does not own (QByteArray::fromRawData) may go away with their owner,
    // while the pieces outlive it in copied stores.
    if (!m_text.data_ptr().isMutable())
        m_text = QByteArray(text.constData(), text.size());
}

QByteArrayView ParsedText::Piece(quint32 offset, quint32 size) const
{
    if (size == 0)
        return {};
    if (offset < quint32(m_text.size()))
        return QByteArrayView(m_text.constData() + offset, size);
    return QByteArrayView(m_keys.constData() + (offset - quint32(m_text.size())), size);
}

QByteArrayView ParsedText::Key(int pair) const
{
    const Pair& at = At(pair);
    return Piece(at.key, at.key_size);
}

QByteArrayView ParsedText::Value(int pair) const
{
    const Pair& at = At(pair);
    return Piece(at.value, at.value_size);
}

void ParsedText::Add(QByteArrayView key, QByteArrayView value)
{
    const quintptr text = quintptr(m_text.constData());
    const quintptr at = quintptr(key.data());
    quint32 key_offset = 0;
    if (at >= text && at + quintptr(key.size()) <= text + quintptr(m_text.size())) {
        key_offset = quint32(at - text);
    } else {
        key_offset = quint32(m_text.size() + m_keys.size());
        m_keys.append(key.data(), key.size());
    }
    if ((m_count & (kBlockSize - 1)) == 0)
        m_blocks.push_back(std::make_unique_for_overwrite<Pair[]>(kBlockSize));
    At(m_count) = { key_offset, quint32(key.size()), 0, 0 };
    ++m_count;
    SetValue(m_count - 1, value);
}

void ParsedText::SetValue(int pair, QByteArrayView value)
{
    Pair& at = At(pair);
    at.value = quint32(value.data() - m_text.constData());
    at.value_size = quint32(value.size());
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

int ParsedText::Find(int first, int count, const PairSlots& index, QByteArrayView key) const
{
    if (index.IsEmpty()) {
        for (int i = 0; i < count; ++i) {
            if (SameBytes(Key(first + i), key))
                return i;
        }
        return -1;
    }
    return index.Find(HashOf(key), [&](int position) { return SameBytes(Key(first + position), key); });
}

QString ParsedText::Decode(QByteArrayView piece)
{
    // QString::fromUtf8 drops a leading byte-order mark; inside a text it is an ordinary
    // character.
    if (piece.isEmpty())
        return {};
    QString decoded = QString::fromUtf8(piece);
    if (piece.startsWith(QByteArrayView(kByteOrderMark, 3)))
        decoded.prepend(QChar(0xfeff));
    return decoded;
}

QByteArray ParsedText::Canonical(QByteArrayView key)
{
    if (IsAscii(key))
        return {};
    QByteArray canonical = Decode(key).toUtf8();
    return SameBytes(canonical, key) ? QByteArray() : canonical;
}

size_t ParsedText::HashOf(QByteArrayView key)
{
    return qHashBits(key.data(), size_t(key.size()), QHashSeed::globalSeed());
}
