#pragma once

#include <QByteArray>
#include <QString>

// Text on disk is UTF-8. Files written by the Windows version of the program are in code
// page 932 (Shift_JIS with the Windows extensions); they are recognised by not being valid UTF-8.

// Whether the bytes form valid UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(const QByteArray& bytes);

// Whether the bytes start with the byte-order mark of UTF-16, in either byte order.
bool HasUtf16ByteOrderMark(const QByteArray& bytes);

// Decodes file content: UTF-16 when it starts with its byte-order mark (as Windows editors save
// "Unicode" text), else UTF-8 (a leading byte-order mark skipped) when the bytes are valid
// UTF-8, otherwise code page 932. Undecodable bytes become U+FFFD; this never fails.
QString DecodeTextBytes(const QByteArray& bytes);

// UTF-8 without a byte-order mark.
QByteArray EncodeTextUtf8(const QString& text);
