#pragma once

#include "document/NoteFileText.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Reads note files as the window and the commands all take them, also files the program did
// not write: line ends of any kind (LF from git or a script, CR from old Macs) read as CR LF,
// and anything that is not a note (a folder, a FIFO, a device, a picture renamed to ".tsy", a
// file too large to be one) is refused with the reason before a note is touched.
class NoteFileReader {
public:
    // What reading gave: the page texts, or why the file is no note.
    struct Result {
        QStringList pages;
        // The page size the note was made for, when it says.
        std::optional<NotePageSize> page_size;
        // The fingerprint of the bytes read (see FileDigest).
        QByteArray digest;
        // Empty when the file was read; otherwise a short sentence for the user.
        QString refusal;
        // Set when nothing exists at the path, which some callers pass over in silence.
        bool missing { false };

        bool IsRead() const { return refusal.isEmpty(); }
        // The one line a command prints for a refused file: its path as given and the reason.
        QString CommandLineText(const QString& path) const { return path + QStringLiteral(": ") + refusal; }
    };

    static Result Read(const QString& path);
    // The same for the content of a file.
    static Result FromBytes(const QByteArray& bytes);

    // The text with every line end that is a lone LF or a lone CR made CR LF.
    static QString WithCrLf(const QString& text);

    // The folder that a note's relative image names resolve against: that of the file a link
    // names, when the note path is a link. Ends in "/".
    static QString PageFolderOf(const QString& note_path);
};
