#pragma once

#include <QString>

// Reads and decodes a whole text file (see DecodeTextBytes). Answers false, with the text
// cleared, when the file cannot be read.
bool ReadTextFile(const QString& path, QString& text);

// Writes the text as UTF-8 without a byte-order mark into a new file beside the target and
// replaces the target with it only once everything has been written and flushed, so a failed
// write leaves an existing file as it was. Answers whether the target now holds the text.
bool WriteTextFileSafely(const QString& path, const QString& text);
// The same for bytes written as they are.
bool WriteFileSafely(const QString& path, const QByteArray& bytes);
