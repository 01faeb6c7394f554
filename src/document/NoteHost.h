#pragma once

#include <QStringList>

class Canvas;

// What the window that shows a note does when the note document changes the note as a whole.
// The defaults suit a bare page canvas without a window.
class NoteHost {
public:
    virtual ~NoteHost() = default;

    // Empties the page canvas down to the page frame and repaints it.
    virtual void ResetPageCanvas(Canvas& page_canvas);
    // Whether the note of these pages may be replaced by another one. Asks "ノートを消去しますか?"
    // when the first page has content; false when the user answers No.
    virtual bool MayDiscardNote(const QStringList& pages);
    // The note was started anew: one empty, unlocked page, an undo history of one step.
    virtual void NoteCleared() { }
    // The page count or the current page changed.
    virtual void PagesChanged() { }
    // A note file was opened and its first page loaded: lock it, repaint the page, and start
    // the undo history with that page.
    virtual void NoteOpened() { }
};
