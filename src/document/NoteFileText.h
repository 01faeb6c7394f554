#pragma once

#include <QString>
#include <QStringList>

// A note file is its page texts joined in page order. Every non-empty page except the last
// one is followed by a line holding "-" and an empty line; empty pages are left out, separator
// included.
QString JoinNotePages(const QStringList& pages);

// Cuts a note file's text into page texts at each "\r\n-\r\n". A page keeps the text up to the
// separator, so it loses its own final line end, and the next page begins with the separator's
// final line end. A separator at the very start of the text or of a page ends the cutting and
// stays in the last page. The last page may be empty; an empty text gives one empty page.
QStringList CutNotePages(const QString& text);
