#pragma once

#include <QString>

class NoteRecovery;
class Pages;

// What the editor window does about changes of its note that are not saved yet: it marks
// them in the window title, keeps the recovery copy in step with them, asks before the window
// closes over them, and keeps them in the recovery copy when the session ends.
class UnsavedChanges {
public:
    explicit UnsavedChanges(Pages& pages);

    // Null keeps no recovery copy.
    void SetRecovery(NoteRecovery* recovery) { m_recovery = recovery; }

    // The note changed, or was saved, opened, started anew or restored.
    void NoteChanged();
    // Asks "変更を保存しますか?" when the note has unsaved changes. Yes saves (into the note's
    // file, or through the save dialog) and allows closing only when that succeeded; No drops
    // the changes (and the recovery copy); Cancel keeps the window. True when the window may
    // close.
    bool MayClose();
    // The same question before the note is replaced by a new or another note; true when it
    // may be.
    bool MayDiscard();
    // The window closes for good after MayClose: nothing is left to recover.
    void Closed();
    // The session ends (logout, shutdown, a termination signal): the note is kept in the
    // recovery copy at once when it has unsaved changes. False when it has some and there is
    // no recovery copy to keep them in, or the copy could not be written: then the user has
    // to be asked after all.
    bool EndSession();

    // "*name - Tessary by Veldran", with the note file's name or "無題" (untitled), and the
    // star only while there are unsaved changes.
    static QString WindowTitle(const QString& note_path, bool modified);

private:
    Pages& m_pages;
    NoteRecovery* m_recovery { nullptr };
};
