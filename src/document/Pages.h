#pragma once

#include "document/NoteDocument.h"
#include "document/NoteHost.h"
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

// The moves between the pages of a note and its undo history. The note document holds one
// section text per page; only the current page exists as live items on the page canvas, on
// top of the frame layout. Undo works on whole page texts kept in the undo history.
class Pages : private NoteHost {
public:
    // The frame layout items at the bottom of every page canvas.
    static constexpr int kFrameItemCount = 6;

    Pages(Canvas& page_canvas, PagesHost& host);

    NoteDocument& Document() { return m_document; }
    const QStringList& List() const { return m_document.Pages(); }
    int Count() const { return m_document.PageCount(); }
    int Current() const { return m_document.CurrentPage(); }
    bool IsValid(int index) const { return m_document.IsValidPage(index); }
    const QString& NotePath() const { return m_document.NotePath(); }
    const UndoHistory& History() const { return m_history; }
    // Whether the page canvas holds note items of its own beside the frame layout.
    bool PageHasContent() const;
    // Whether the note may differ from what was last opened or saved: set by every recorded
    // change, page insertion and deletion, undo and redo; cleared by saving, opening and
    // starting a new note. A change that is undone again still counts.
    bool IsModified() const { return m_modified; }

    // Saves the page canvas back and records it as the newest undo step.
    void RecordStep();

    bool GoTo(int target, SaveBack save_back = SaveBack::Yes);
    bool Previous() { return GoTo(Current() - 1); }
    bool Next() { return GoTo(Current() + 1); }
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
    bool ClearNote() { return m_document.ClearNote(); }
    bool Undo();
    bool Redo();

    // Saves the note; an empty path asks for one. On success the note counts as unmodified
    // (also when it went to a file other than the note path, which stays as it was).
    bool SaveNote(const QString& path);
    // Replaces the note by a snapshot, without asking, and shows its current page. The note
    // counts as modified and the undo history starts anew with that page.
    bool Restore(const NoteSnapshot& snapshot);

private:
    bool ShowStep();
    // Saves the page canvas back and records it; whether a step was added.
    bool RecordQuietly();
    void SetModified(bool modified);

    // NoteHost
    void ResetPageCanvas(Canvas& page_canvas) override;
    void NoteCleared() override;
    void PagesChanged() override;
    void NoteOpened() override;

    Canvas& m_canvas;
    PagesHost& m_host;
    NoteDocument m_document;
    UndoHistory m_history;
    bool m_modified { false };
};
