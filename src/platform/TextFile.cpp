#include "platform/TextFile.h"

#include "platform/SafeFileWriter.h"
#include "platform/TextCodec.h"

#include <QFile>

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

bool WriteTextFileSafely(const QString& path, const QString& text, QString* reason)
{
    return WriteFileSafely(path, EncodeTextUtf8(text), reason);
}

bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* reason)
{
    return SafeFileWriter::WriteFile(path, bytes, reason);
}
