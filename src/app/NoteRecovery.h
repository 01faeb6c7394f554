#pragma once

#include "app/RecoveryStore.h"
#include "app/RecoveryWriter.h"
#include "document/NoteSnapshot.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>

// The editor's recovery copy of its note: kept up to date after every change while the note
// has changes not saved, removed once it has none, and offered back at the next start when
// the editor ended without either (a crash, a kill, the end of the session).
class NoteRecovery {
public:
    // A folder of the user's data folder unless told otherwise.
    explicit NoteRecovery(const QString& folder = RecoveryStore::DefaultFolder());
    ~NoteRecovery();

    // Claims this editor's recovery file. False when that cannot be done; the editor then
    // keeps no copy, and the other operations do nothing.
    bool Start();
    // The recovery file of this editor; empty before Start.
    QString FilePath() const;

    // Asks about each copy left by an editor that has ended, the newest first, until one is
    // taken: Yes makes the copy this editor's own and returns it, No deletes it, and Cancel
    // (or closing the question) leaves it and the copies after it for the next start, as
    // does taking one. A copy that cannot be read is left alone. The question names the
    // copy's note and when it was kept, and what the command line named (opened unless a
    // copy is taken).
    std::optional<NoteSnapshot> OfferLeftCopies(const QString& named_on_command_line = {});
    // The question about one copy.
    static QString RestoreQuestion(const NoteSnapshot& copy, const QDateTime& kept, const QString& named_on_command_line);

    // The note changed and differs from its file. When the copy could not be written, the
    // user is told once, until it can be again.
    void Keep(NoteSnapshot snapshot);
    // The note matches its file, or the user chose to drop its changes.
    void Forget();
    // Writes the copy now and waits for it: the session ends. False when the copy could not
    // be written (or no copy is kept).
    bool KeepNow(NoteSnapshot snapshot);

private:
    void TellOfFailure();

    RecoveryStore m_store;
    std::unique_ptr<RecoveryWriter> m_writer;
    bool m_failure_told { false };
};
