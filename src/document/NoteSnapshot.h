#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The whole note as text: every page's section text, the page shown and the path of the note
// file it came from, with what that file held. Copying one is cheap (the texts are shared
// until either side changes), so the user-interface thread can hand one to a worker.
struct NoteSnapshot {
    QStringList pages { QString() };
    int current_page { 0 };
    QString note_path;
    // The fingerprint (FileDigest) of the note file as the note last read or wrote it; empty
    // when that is not known. Saving asks before it writes over a file that no longer matches.
    QByteArray file_digest;

    friend bool operator==(const NoteSnapshot&, const NoteSnapshot&) = default;
};
