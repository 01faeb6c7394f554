#pragma once

#include <QString>

// Reads and decodes a whole text file (see DecodeTextBytes). Answers false, with the text
// cleared, when the file cannot be read.
bool ReadTextFile(const QString& path, QString& text);

// Writes the text as UTF-8 without a byte-order mark through SafeFileWriter, so a failed
// write leaves an existing file as it was. Answers whether the target now holds the text;
// on failure reason, when given, tells why.
bool WriteTextFileSafely(const QString& path, const QString& text, QString* reason = nullptr);
// The same for bytes written as they are.
bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* reason = nullptr);
