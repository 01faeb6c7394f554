#include "platform/TextFile.h"

#include "platform/TextCodec.h"

#include <QFile>
#include <QSaveFile>

#include <new>

bool ReadTextFile(const QString& path, QString& text)
{
    text.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A file too large for memory is unreadable like any other.
    try {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return false;
        text = DecodeTextBytes(bytes);
    } catch (const std::bad_alloc&) {
        text.clear();
        return false;
    }
    return true;
}

bool WriteTextFileSafely(const QString& path, const QString& text)
{
    return WriteFileSafely(path, EncodeTextUtf8(text));
}

bool WriteFileSafely(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    // Writing into the target directly is never the fallback: a failure must leave it as it was.
    file.setDirectWriteFallback(false);
    // Unbuffered, so a short write (disk full, file size limit) shows in write()'s count; a
    // buffered one would be cut short silently when commit() flushes it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    // commit() flushes the new file to disk before it takes the target's place.
    return file.commit();
}
