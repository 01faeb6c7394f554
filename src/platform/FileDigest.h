#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A fingerprint of a file's content, to tell whether someone else wrote the file since the
// program last read or wrote it. It looks at the bytes, not at times, sizes or file numbers: a
// file written anew with the very same content counts as unchanged, and a change within the
// same clock tick still shows.
class FileDigest {
public:
    // The fingerprint of bytes as they were written or read.
    static QByteArray OfBytes(const QByteArray& bytes);
    // The fingerprint of what the file holds now; nothing when it cannot be read (missing,
    // a folder, no permission).
    static std::optional<QByteArray> OfFile(const QString& path);
};
