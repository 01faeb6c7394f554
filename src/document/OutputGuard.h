#pragma once

#include <QString>
#include <QStringList>

// Keeps the exports and publish from writing over what they read: the note file itself and
// the image files its pages refer to. Paths are compared as the file system sees them: links
// are followed, and two names of one file (a hard link, a folder reached through a link) are
// one file.
class Canvas;
class NoteDocument;

class OutputGuard {
public:
    enum class Clash { None, Note, Image };

    struct Verdict {
        Clash clash { Clash::None };
        QString path; // the note or image that the output would replace
        bool IsRefused() const { return clash != Clash::None; }
    };

    // Checks an output path against the note file (may be empty for a note never saved) and
    // the images of its pages, whose relative paths resolve against page_folder.
    static Verdict Check(const QString& output, const QString& note_path, const QStringList& pages,
        const QString& page_folder);
    // The same for the note of an editor, whose page canvas may hold images that the stored
    // text of its page does not have yet.
    static Verdict CheckShownNote(const QString& output, const NoteDocument& note, const Canvas& page_canvas);
    // The same for a note that is read from its file, as the command line gives it. A note
    // that cannot be read is checked by its path alone; reading it fails later with its own
    // message.
    static Verdict CheckNoteFile(const QString& output, const QString& note_path);

    // One line for the command line, and the message the window shows.
    static QString CommandLineText(const Verdict& verdict, const QString& output);
    static QString WindowText(const Verdict& verdict, const QString& output);

    // The image files the pages refer to, absolute, in page and section order.
    static QStringList ImageFiles(const QStringList& pages, const QString& page_folder);
    // A path as written in a note (either separator), made absolute against the folder.
    static QString Resolve(const QString& written, const QString& folder);
    // Whether the two paths name one file. Existing files are compared by device and inode;
    // otherwise the paths with their links resolved are compared.
    static bool IsSameFile(const QString& a, const QString& b);
};
