#pragma once

#include "document/NoteFileText.h"
#include "document/NoteSnapshot.h"

#include <QString>
#include <QStringList>

class Canvas;
class NoteHost;
struct ChoiceQuestion;
struct FileDialogRequest;

// The note in memory: one section text per page, of which only the current page lives as
// items on the page canvas, and the path of the note file it was opened from. Saving joins the
// page texts into one note file; opening cuts a note file into page texts and loads the first
// one onto the page canvas.
//
// Relative image paths in a page resolve against the page folder: the folder of the note file
// (the program's folder for a note never opened); for a note opened through a link, the folder
// of the file the link names. The process's working folder plays no part.
class NoteDocument {
public:
    // Both must outlive the document. Without a host the page canvas is simply emptied where
    // a window would rebuild its page frame.
    explicit NoteDocument(Canvas& page_canvas, NoteHost* host = nullptr);

    int PageCount() const { return int(m_pages.size()); }
    const QStringList& Pages() const { return m_pages; }
    bool IsValidPage(int index) const { return index >= 0 && index < PageCount(); }
    // The text of a page; empty outside the list.
    QString PageText(int index) const;
    bool SetPageText(int index, const QString& text);
    bool InsertPage(int index);
    bool RemovePage(int index);

    int CurrentPage() const { return m_current_page; }
    bool SetCurrentPage(int index);

    // The path of the note file as last opened or saved, absolute; empty for a note never
    // opened or saved.
    const QString& NotePath() const { return m_note_path; }
    // The page size a save records: the page canvas's.
    std::optional<NotePageSize> PageSize() const;
    // The folder a page's relative image paths resolve against.
    QString PageFolder() const;

    // The save and open dialogs' request for note files.
    static FileDialogRequest NoteFileDialog();
    // The same in the note's folder, else in the folder of the last note file chosen, else in
    // the page folder (the program's, which the dialogs pass over for the user's pictures).
    FileDialogRequest NoteFileDialogHere() const;

    // The section text of the items on a canvas that save themselves into a note.
    static QString PageTextOf(const Canvas& canvas);
    // Adds one item per section of the text, in order, through the canvas's factory. A section
    // the canvas makes no item for, or an image whose file does not load, is kept verbatim in
    // its place (an invisible item), so that the page text gives it back unchanged. Relative
    // file names resolve against the folder, which the canvas keeps as its base folder. An
    // empty text loads nothing and succeeds.
    static bool LoadPageText(Canvas& canvas, const QString& text, const QString& folder);

    // Replaces the current page's text by the page text of the page canvas.
    void StoreCurrentPage();
    // Makes the page current and, when its text is not empty, loads it onto the page canvas
    // from the page folder. The caller has reset the page canvas.
    bool ShowPage(int index);

    // Starts a new note of one empty page once the host allows dropping the note shown;
    // otherwise keeps everything and gives false.
    bool ClearNote();
    // Writes all pages, the current one as the page canvas shows it, into a note file, which
    // then is the note's file. An empty path writes to the note's own file, and asks the user
    // for one when the note has none. The old file is replaced only by a complete new one; a
    // failed write leaves it as it was and tells the user.
    //
    // When the note's own file no longer holds what this note last read from it or wrote into
    // it (another window or program saved it since), the user chooses first: overwrite it,
    // save under another name, or write nothing. A file that has gone is written again.
    bool SaveNote(const QString& path);
    // Asks the user for a file and saves the note into it.
    bool SaveNoteAs();
    // Whether the file is the note's own file and holds something else than the note last
    // read from it or wrote into it. False when that is not known.
    bool WrittenElsewhere(const QString& path) const;
    // The question before writing over such a file.
    static ChoiceQuestion WrittenElsewhereQuestion(const QString& path);
    // Opens a note file (extension "tsy" in any case) after the erase question, and shows its
    // first page, locked. An empty path asks the user for one. Any failure before the question
    // leaves the note as it was; a file that exists but is no note is told to the user with
    // the reason, and no note of that path is opened.
    bool OpenNote(const QString& path);
    // Takes over the pages, current page and note path of a snapshot without asking, and
    // shows its current page (the first one when it names none). The caller has reset the
    // page canvas. False when the snapshot holds no page or its current page fails to load.
    bool Restore(const NoteSnapshot& snapshot);
    // The note as it is now; the current page as it was last written back from the canvas.
    NoteSnapshot Snapshot() const { return { m_pages, m_current_page, m_note_path, m_file_digest }; }

private:
    // Writes into the note's own file only after the question above, when it is needed.
    bool WriteAfterCheck(const QString& target);
    bool WriteNote(const QString& target);

    QStringList m_pages { QString() };
    int m_current_page { 0 };
    QString m_note_path;
    // The fingerprint of the note file as last read or written; empty when not known.
    QByteArray m_file_digest;
    // The folder of the last note file the user chose; where the dialogs open for a new note.
    QString m_last_folder;
    Canvas& m_page_canvas;
    NoteHost& m_host;
};
