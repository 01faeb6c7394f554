#include "document/RecoveryFile.h"

#include "platform/TextFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr char kMagic[] = "TessaryRecovery 1";
constexpr char kFileDigest[] = "file ";

void AppendBlock(QByteArray& out, const char* name, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    out += name;
    out += ' ';
    out += QByteArray::number(bytes.size());
    out += '\n';
    out += bytes;
    out += '\n';
}

void AppendNumber(QByteArray& out, const char* name, qsizetype value)
{
    out += name;
    out += ' ';
    out += QByteArray::number(value);
    out += '\n';
}

// Reads the file front to back; every step fails once anything does not fit.
class Reader {
public:
    explicit Reader(const QByteArray& bytes)
        : m_bytes(bytes)
    {
    }

    bool Line(QByteArrayView expected)
    {
        const auto line = NextLine();
        return line && *line == expected;
    }

    std::optional<QByteArrayView> AnyLine() { return NextLine(); }

    // "name N" with N a decimal number from 0 up to limit (at most the int range, so the
    // digits cannot overflow before they pass it).
    std::optional<qsizetype> Number(QByteArrayView name, qsizetype limit)
    {
        const auto line = NextLine();
        if (!line || !line->startsWith(name) || line->size() <= name.size() + 1 || (*line)[name.size()] != ' ')
            return std::nullopt;
        const QByteArrayView digits = line->sliced(name.size() + 1);
        qsizetype value = 0;
        for (const char digit : digits) {
            if (digit < '0' || digit > '9')
                return std::nullopt;
            value = value * 10 + (digit - '0');
            if (value > limit)
                return std::nullopt;
        }
        return value;
    }

    // "name N", then N bytes of UTF-8 and a line end.
    std::optional<QString> Block(QByteArrayView name)
    {
        const auto size = Number(name, Remaining());
        if (!size || Remaining() < *size + 1 || m_bytes[m_position + *size] != '\n')
            return std::nullopt;
        const QString text = QString::fromUtf8(m_bytes.constData() + m_position, *size);
        m_position += *size + 1;
        return text;
    }

    qsizetype Remaining() const { return m_bytes.size() - m_position; }

private:
    std::optional<QByteArrayView> NextLine()
    {
        const qsizetype end = m_bytes.indexOf('\n', m_position);
        if (end < 0)
            return std::nullopt;
        const QByteArrayView line(m_bytes.constData() + m_position, end - m_position);
        m_position = end + 1;
        return line;
    }

    const QByteArray& m_bytes;
    qsizetype m_position { 0 };
};

}

QByteArray RecoveryFile::Encode(const NoteSnapshot& snapshot)
{
    QByteArray out;
    out += kMagic;
    out += '\n';
    AppendBlock(out, "path", snapshot.note_path);
    AppendNumber(out, "current", snapshot.current_page);
    AppendNumber(out, "pages", snapshot.pages.size());
    for (const QString& page : snapshot.pages)
        AppendBlock(out, "page", page);
    if (!snapshot.file_digest.isEmpty()) {
        out += kFileDigest;
        out += snapshot.file_digest.toHex();
        out += '\n';
    }
    out += "end\n";
    return out;
}

std::optional<NoteSnapshot> RecoveryFile::Decode(const QByteArray& bytes)
{
    Reader reader(bytes);
    NoteSnapshot snapshot;
    if (!reader.Line(kMagic))
        return std::nullopt;
    const auto path = reader.Block("path");
    const auto current = reader.Number("current", std::numeric_limits<int>::max());
    // Every page takes at least the bytes of "page 0\n\n", so a count beyond what is left
    // cannot be true and allocates nothing.
    const auto count = reader.Number("pages", reader.Remaining() / 8);
    if (!path || !current || !count || *count < 1)
        return std::nullopt;
    snapshot.note_path = *path;
    snapshot.current_page = int(*current);
    snapshot.pages.clear();
    snapshot.pages.reserve(*count);
    for (qsizetype index = 0; index < *count; ++index) {
        auto page = reader.Block("page");
        if (!page)
            return std::nullopt;
        snapshot.pages.append(std::move(*page));
    }
    // The lines before "end" that this version knows, and any others, which it skips.
    for (;;) {
        const auto line = reader.AnyLine();
        if (!line)
            return std::nullopt;
        if (*line == "end")
            break;
        if (line->startsWith(kFileDigest))
            snapshot.file_digest = QByteArray::fromHex(line->sliced(qsizetype(std::strlen(kFileDigest))).toByteArray());
    }
    if (reader.Remaining() != 0 || snapshot.current_page >= snapshot.pages.size())
        return std::nullopt;
    return snapshot;
}

bool RecoveryFile::Write(const QString& path, const NoteSnapshot& snapshot, QString* reason)
{
    try {
        return WriteFileSafely(path, Encode(snapshot), reason);
    } catch (const std::bad_alloc&) {
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(ENOMEM));
        return false;
    }
}

std::optional<NoteSnapshot> RecoveryFile::Read(const QString& path)
{
    // A copy holds a note in UTF-8 with every page kept: at most a few times a note's size. Past
    // that, or when it is no regular file, it is no copy this program wrote.
    constexpr qint64 kMaxCopyBytes = 4 * kMaxTextFileBytes;
    QByteArray bytes;
    if (ReadRegularFile(path, kMaxCopyBytes, bytes) != FileReadFailure::None)
        return std::nullopt;
    try {
        return Decode(bytes);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}
