#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// The page size a note was made for, in page pixels, and its resolution (0 when not known).
// A note file keeps them in a section of their own at its start, which versions that do not
// know it keep verbatim on their first page, as they keep every section they do not know.
struct NotePageSize {
    // The sides and resolutions the window offers; a note's values outside them are not read.
    static constexpr int kMaxSide = 4800;
    static constexpr int kMinDpi = 72;
    static constexpr int kMaxDpi = 4800;

    QSize size;
    int dpi { 0 };

    friend bool operator==(const NotePageSize&, const NotePageSize&) = default;
};

// A note file is its page texts joined in page order, after the page size when one is given.
// The non-empty pages are separated by a line holding "-" and an empty line; empty pages are
// left out, separator included, so the file ends with its last non-empty page.
QString JoinNotePages(const QStringList& pages, const std::optional<NotePageSize>& page_size = std::nullopt);

// Cuts a note file's text into page texts at each line holding "-" alone, the reverse of
// joining: a note saved by this program opens into the pages it was saved from. A page keeps its
// text up to and including the line end before the dash; the dash line and the one empty line
// after it are the separator. Two dash lines in a row hold an empty page between them, which
// the next save leaves out. The last page may be empty; an empty text gives one empty page.
// The page size section is taken out of the first page and, when asked for, given back.
QStringList CutNotePages(const QString& text, std::optional<NotePageSize>* page_size = nullptr);
