#include "document/NoteFileText.h"

namespace {

constexpr QStringView kPageSeparator = u"-\r\n\r\n";
constexpr QStringView kSeparatorLine = u"\r\n-\r\n";
constexpr QStringView kLineEnd = u"\r\n";
constexpr QStringView kDashLine = u"-\r\n";
// A page keeps the line end before the dash: it ends its last line.
constexpr qsizetype kPageLineEnd = 2;

}

QString JoinNotePages(const QStringList& pages)
{
    QString text;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (pages[i].isEmpty())
            continue;
        text += pages[i];
        if (i != pages.size() - 1)
            text += kPageSeparator;
    }
    return text;
}

QStringList CutNotePages(const QString& text)
{
    const QStringView all(text);
    QStringList pages;
    qsizetype start = 0;
    for (;;) {
        // Where the next line holding "-" alone starts; a page may be empty.
        qsizetype dash = -1;
        if (all.mid(start).startsWith(kDashLine)) {
            dash = start;
        } else {
            const qsizetype separator = text.indexOf(kSeparatorLine, start);
            if (separator < 0)
                break;
            dash = separator + kPageLineEnd;
        }
        pages.append(text.mid(start, dash - start));
        start = dash + kDashLine.size();
        // The empty line that joining writes after the dash belongs to the separator.
        if (all.mid(start).startsWith(kLineEnd))
            start += kLineEnd.size();
    }
    pages.append(text.mid(start));
    return pages;
}
