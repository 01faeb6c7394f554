#pragma once

// Whether an operation repaints what it changed.
enum class Repaint {
    No,
    Yes,
};

// What the page operations need from the window that shows the page: the frame layout and
// colours of a fresh page, the page counter, the lock and the widgets a new note resets.
class PagesHost {
public:
    virtual ~PagesHost() = default;

    // Empties the page canvas down to the frame layout with the current background and frame
    // colours. False when the frame layout could not be built.
    virtual bool ResetPageCanvas(Repaint repaint) = 0;
    // Lays the page canvas out again and repaints it.
    virtual void RepaintPageCanvas() = 0;
    virtual void ShowPageCounter() = 0;
    virtual bool IsLocked() const = 0;
    // A new note was started: show the grid divisions and release the lock.
    virtual void NoteCleared() = 0;
    // A note file was opened and its first page loaded: lock it and repaint the page.
    virtual void NoteOpened() = 0;
    // Another page of the note was loaded onto the page canvas: turned to, undone or redone.
    virtual void PageShown() { }
    // A change was recorded or undone, or the note was saved, opened, started anew or
    // restored: IsModified() of the pages tells whether it now differs from its file.
    virtual void NoteChanged() { }
    // The page canvas took another page size from the note (an undo or redo): show it.
    virtual void PageSizeShown() { }
    // The note has changes not saved and is about to be replaced by another one: whether
    // that may happen. The window offers to save them; this asks "ノートを消去しますか?".
    virtual bool MayDiscardChanges();
};
