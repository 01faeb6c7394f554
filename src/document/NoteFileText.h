#pragma once

#include <QString>
#include <QStringList>

// A note file is its page texts joined in page order. Every non-empty page except the last
// one is followed by a line holding "-" and an empty line; empty pages are left out, separator
// included.
QString JoinNotePages(const QStringList& pages);

// Cuts a note file's text into page texts at each line holding "-" alone, the reverse of
// joining: a note saved by this program opens into the pages it was saved from. A page keeps its
// text up to and including the line end before the dash; the dash line and the one empty line
// after it are the separator. Two dash lines in a row hold an empty page between them, which
// the next save leaves out. The last page may be empty; an empty text gives one empty page.
QStringList CutNotePages(const QString& text);
