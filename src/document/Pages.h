#pragma once

#include "document/PagesHost.h"
#include "document/UndoHistory.h"

#include <QString>
#include <QStringList>

class Canvas;

// Whether going to a page writes the page canvas back into the page list first.
enum class SaveBack {
    Yes,
    No,
};

// The pages of a note and the moves between them. The note is held as one section text per
// page; only the current page exists as live items on the page canvas, on top of the frame
// layout. Undo works on whole page texts kept in the undo history.
class Pages {
public:
    // The frame layout items at the bottom of every page canvas.
    static constexpr int kFrameItemCount = 6;

    Pages(Canvas& page_canvas, PagesHost& host);

    const QStringList& List() const { return m_pages; }
    int Count() const { return static_cast<int>(m_pages.size()); }
    int Current() const { return m_current; }
    bool IsValid(int index) const { return index >= 0 && index < Count(); }
    const QString& NotePath() const { return m_note_path; }
    void SetNotePath(const QString& path) { m_note_path = path; }
    const UndoHistory& History() const { return m_history; }
    // Whether the page canvas holds note items of its own beside the frame layout.
    bool PageHasContent() const;

    // The section text of the note items on the page canvas.
    QString PageTextOfCanvas() const;
    // Adds one item per section of the text on top of the page canvas. False for a text that
    // does not parse.
    bool LoadPageText(const QString& text);
    // Replaces the current page's entry by the page canvas's text.
    void SaveCanvasBack();
    // Replaces the whole note (the pages of an opened file); page 0 becomes current without
    // being loaded.
    void ReplaceAll(const QStringList& pages);
    // The working folder for a page's relative paths: the note's folder, or the program's
    // folder for a note that was never opened.
    QString NoteFolder() const;

    // Saves the page canvas back and records it as the newest undo step.
    void RecordStep();
    // Starts the history again with the current page's text as its only step.
    void RestartHistory();

    bool GoTo(int target, SaveBack save_back = SaveBack::Yes);
    bool Previous() { return GoTo(m_current - 1); }
    bool Next() { return GoTo(m_current + 1); }
    bool First() { return GoTo(0); }
    bool Last() { return GoTo(Count() - 1); }
    // Inserts an empty page before the current one and shows it.
    bool Insert();
    // Removes the current page; false on a note of one page.
    bool Delete();
    // Asks first; empties the current page.
    void ClearPage();
    // Starts a new note of one empty page, asking first when the first page has content.
    // False when the user declined.
    bool ClearNote();
    bool Undo();
    bool Redo();

private:
    bool ShowStep();

    Canvas& m_canvas;
    PagesHost& m_host;
    QStringList m_pages { QString() };
    int m_current { 0 };
    QString m_note_path;
    UndoHistory m_history;
};
