#pragma once

#include <QString>
#include <QStringList>

// The whole note as text: every page's section text, the page shown and the path of the note
// file it came from. Copying one is cheap (the texts are shared until either side changes),
// so the user-interface thread can hand one to a worker.
struct NoteSnapshot {
    QStringList pages { QString() };
    int current_page { 0 };
    QString note_path;

    friend bool operator==(const NoteSnapshot&, const NoteSnapshot&) = default;
};
