#pragma once

#include "document/NoteSnapshot.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The file in which the editor keeps a note that has changes not saved yet, so that a crash,
// a kill or the end of the session does not lose them. Unlike a note file it keeps every page
// as it is (empty pages, final line ends), the page shown and the note's path:
//
//   TessaryRecovery 1
//   path N         followed by N bytes of UTF-8 and a line end
//   current I      the page shown, from 0
//   pages C
//   page N         C times, each followed by N bytes of UTF-8 and a line end
//   file HEX       the fingerprint of the note file when the copy was made (when known)
//   end
//
// Every line ends in LF. Between the pages and "end" a reader skips the lines it does not
// know, so later versions may add some there. A file that is cut short or malformed in any
// other way reads as nothing.
class RecoveryFile {
public:
    static constexpr char kExtension[] = ".tsr";

    static QByteArray Encode(const NoteSnapshot& snapshot);
    static std::optional<NoteSnapshot> Decode(const QByteArray& bytes);

    // Replaces the file only once the new one is complete and on disk. On failure reason
    // (when given) tells why.
    static bool Write(const QString& path, const NoteSnapshot& snapshot, QString* reason = nullptr);
    static std::optional<NoteSnapshot> Read(const QString& path);
};
