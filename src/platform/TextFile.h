#pragma once

#include <QByteArray>
#include <QString>

// Why a file could not be read whole.
enum class FileReadFailure { None, Missing, NotRegular, NotPermitted, TooLarge, ReadError };

// The largest text file the program reads: a note of far more pages than anyone keeps, and a
// bound on the memory a stray file can take.
constexpr qint64 kMaxTextFileBytes = qint64(256) * 1024 * 1024;

// Reads a whole regular file of at most max_bytes. What the path names (links followed) is
// looked at before it is opened, so a folder, FIFO or device is refused without blocking or
// streaming forever; the file is opened without blocking and read with the cap, so one that is
// swapped or grows meanwhile stays bounded too. On failure bytes is empty.
FileReadFailure ReadRegularFile(const QString& path, qint64 max_bytes, QByteArray& bytes);

// Reads and decodes a whole text file (see DecodeTextBytes) through ReadRegularFile with the
// text file limit. Answers false, with the text cleared, when the file cannot be read.
bool ReadTextFile(const QString& path, QString& text);

// Writes the text as UTF-8 without a byte-order mark through SafeFileWriter, so a failed
// write leaves an existing file as it was. Answers whether the target now holds the text;
// on failure reason, when given, tells why.
bool WriteTextFileSafely(const QString& path, const QString& text, QString* reason = nullptr);
// The same for bytes written as they are.
bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* reason = nullptr);
