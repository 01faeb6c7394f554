#pragma once

#include "document/NoteDocument.h"
#include "document/NoteHost.h"
#include "document/PagesHost.h"
#include "document/UndoHistory.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

class Canvas;

// Whether going to a page first records what changed on the page shown.
enum class SaveBack {
    Yes,
    No,
};

// What brought a change about. Wheel turns come in bursts: the changes of one burst on a page
// make one undo step.
enum class ChangeCause {
    Other,
    Wheel,
};

// The moves between the pages of a note and its undo history. The note document holds one
// section text per page; only the current page exists as live items on the page canvas, on
// top of the frame layout.
//
// Changes are found from the content: the page text of the page canvas is compared with the
// page's stored text, and any difference is one undo step holding the text before and after.
// The note is modified exactly when its pages differ from what was last opened or saved.
class Pages : private NoteHost {
public:
    // How long after a wheel change another one still joins its step.
    static constexpr std::chrono::milliseconds kWheelBurst { 1000 };

    Pages(Canvas& page_canvas, PagesHost& host);

    NoteDocument& Document() { return m_document; }
    const QStringList& List() const { return m_document.Pages(); }
    int Count() const { return m_document.PageCount(); }
    int Current() const { return m_document.CurrentPage(); }
    bool IsValid(int index) const { return m_document.IsValidPage(index); }
    const QString& NotePath() const { return m_document.NotePath(); }
    const UndoHistory& History() const { return m_history; }
    // Whether the page canvas holds note items of its own above the page frame.
    bool PageHasContent() const;
    // Whether a save would write other pages than were last opened or saved. A change that
    // is undone again no longer counts, and neither does an empty page, which a save leaves
    // out.
    bool IsModified() const { return m_modified; }

    // Records what changed on the page shown since it was last recorded or shown, as one undo
    // step; nothing when nothing changed. Returns whether a step was made or grew.
    bool RecordChanges(ChangeCause cause = ChangeCause::Other,
                       std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());
    // The user gave the page canvas another page size, which had the size before: records
    // it, with what it did to the page shown, as one undo step. The note is modified while its
    // page size differs from the one last opened or saved.
    bool RecordPageSizeChange(QSize before);

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
    // Starts a new note of one empty page once the user allows dropping the note shown (see
    // MayDiscardNote). False when the user declined.
    bool ClearNote() { return m_document.ClearNote(); }
    // Takes back the newest change and shows its page; false when there is none or its page
    // is gone.
    bool Undo();
    // Brings back the change undone last and shows its page.
    bool Redo();

    // Saves the note into a file, which becomes the note's file; an empty path saves to the
    // note's own file or asks for one. On success the note counts as unmodified.
    bool SaveNote(const QString& path);
    // Asks for a file and saves the note into it.
    bool SaveNoteAs();
    // Replaces the note by a snapshot, without asking, and shows its current page. The note
    // counts as modified and the undo history starts anew.
    bool Restore(const NoteSnapshot& snapshot);

private:
    enum class Direction { Back, Forward };

    // Shows a page without recording the page shown before.
    bool ShowPageNow(int index);
    // A page is written back in the program's own form as it is loaded (absolute paths, its
    // number formats): that is not a change, so the stored text and, when the page was as
    // saved, the saved text take the form the page canvas gives.
    void AdoptShownPage();
    bool MergeIntoBurst(int page, const QString& after, std::chrono::steady_clock::time_point now);
    bool Apply(HistoryStep& step, Direction direction);
    void ApplyTrash(HistoryStep& step, Direction direction);
    void TakeSavedState();
    // The page canvas's page size; invalid while it has none.
    QSize PageSize() const;
    // Compares the pages with the saved ones and tells the host that the note changed.
    void NoteContentChanged();

    // NoteHost
    void ResetPageCanvas(Canvas& page_canvas) override;
    bool MayDiscardNote(const QStringList& pages) override;
    void NoteCleared() override;
    void PagesChanged() override;
    void NoteOpened() override;

    Canvas& m_canvas;
    PagesHost& m_host;
    NoteDocument m_document;
    UndoHistory m_history;
    // The pages as last opened or saved; none when that is unknown (a restored note).
    std::optional<QStringList> m_saved;
    // The page size as last opened or saved; invalid when the page canvas had none then.
    QSize m_saved_size;
    bool m_modified { false };
};
