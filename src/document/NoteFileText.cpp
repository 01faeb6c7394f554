#include "document/NoteFileText.h"

namespace {

constexpr QStringView kPageSeparator = u"-\r\n\r\n";
constexpr QStringView kSeparatorLine = u"\r\n-\r\n";
// The part of a separator line that ends the page before it: its first line end and the dash.
constexpr qsizetype kSeparatorHead = 3;

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
    QStringList pages;
    qsizetype start = 0;
    for (;;) {
        const qsizetype separator = text.indexOf(kSeparatorLine, start);
        if (separator <= start)
            break;
        pages.append(text.mid(start, separator - start));
        start = separator + kSeparatorHead;
    }
    pages.append(text.mid(start));
    return pages;
}
