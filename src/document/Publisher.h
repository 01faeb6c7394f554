#pragma once

#include "document/NoteFileText.h"

#include "text/SectionDocument.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// How the copies of the images are named.
enum class CopyNaming {
    // The source's name and extension in lower case; "_2", "_3", ... before the extension
    // (name as written) while that name is taken.
    SourceName = 0,
    // "001", "002", ... in page order and section order, with the source's extension in lower
    // case; existing files are replaced.
    Serial = 1,
};

struct PublishSettings {
    QString note_path;         // the note file to write
    QString image_folder_name; // the folder beside it that takes the copies
    CopyNaming naming { CopyNaming::SourceName };
};

// Writes a self-contained copy of a note: every image its image sections name is copied into
// an image folder beside the new note file, and the copy's `FileName` values name the copies
// relative to the note. The pages handed in are not changed.
//
// The steps are the caller's to run in order, so that it can ask its user in between:
// EndangeredFiles (refuse when not empty), ImageFolderExists (ask before replacing it),
// PrepareImageFolder, Publish.
class Publisher {
public:
    using ProgressHandler = std::function<void(int copied, int total)>;

    // Relative source paths resolve against source_folder, the folder of the note the pages
    // come from. The open note's file, when given, is guarded like the source images.
    Publisher(const QStringList& pages, const QString& source_folder, const PublishSettings& settings,
              const QString& open_note_path = {});

    // Whether a name can be the image folder: one folder beside the note, not empty, not "."
    // or "..", without a separator.
    static bool IsImageFolderName(const QString& name);

    // The image folder, ending in "/".
    const QString& ImageFolderPath() const { return m_image_folder; }
    bool ImageFolderExists() const;
    // The source images (and the open note) that emptying the image folder would delete: those
    // inside it, or the folder itself. Publishing must not go on while there are any.
    QStringList EndangeredFiles() const;
    // Makes a new hidden staging folder beside the image folder, which takes the copies, and
    // removes the staging folders that killed publishes left there. The image folder itself
    // is not touched yet. False when the image folder's path is no folder and cannot be
    // one, or when the staging folder cannot be made.
    bool PrepareImageFolder();
    // What removing the former image folder left: the files that could not be deleted (at
    // their places in the hidden folder it was moved to), or that folder itself when it could
    // not be listed.
    const QStringList& LeftInFolder() const { return m_left_in_folder; }
    // Copies the images into the staging folder, puts it in the image folder's place, writes
    // the note file and then deletes the former image folder (files and sub-folders, for
    // good). When the note cannot be written the former image folder goes back into place.
    // False when anything could not be written (Problems() lists each copy and file that
    // failed) or the former folder could not be deleted whole (LeftInFolder).
    bool Publish(const ProgressHandler& progress = {});

    // What could not be written: a copy (with its source) or the note file (no source).
    struct Problem {
        QString source;
        QString target;
        QString reason; // as the system words it
    };

    // The number of copies publishing makes.
    int CopyCount() const { return int(m_images.size()); }
    // The source of each copy, resolved, in copy order.
    QStringList Sources() const;
    const std::vector<Problem>& Problems() const { return m_problems; }
    // The note file's path, absolute.
    const QString& NotePath() const { return m_note_path; }
    // The page size the published note keeps; none writes none.
    void SetPageSize(const std::optional<NotePageSize>& page_size) { m_page_size = page_size; }

private:
    struct ImageSection {
        int page;
        int section;
        QString source;           // resolved, absolute
        QStringList other_fields; // the fields of `FileName` after the path (the trims)
    };

    void CollectImages();
    // Copies the images into the staging folder; answers the published pages.
    QStringList CopyImages(const ProgressHandler& progress);
    // The copy's name for a source under the naming rule; serial is the copy's number from 1.
    QString CopyName(const QString& source, int serial);
    bool SwapFolders();
    void RemoveFormerFolder();
    QString Resolved(const QString& written) const;

    QStringList m_pages;
    // The parsed pages; an empty document where a page gave none, which stays as written.
    std::vector<SectionDocument> m_documents;
    QString m_source_folder;
    PublishSettings m_settings;
    QString m_note_path;
    std::optional<NotePageSize> m_page_size;
    QString m_open_note_path;
    QString m_image_folder;
    // The folder that the staging folder takes the place of: the image folder, or the folder
    // it links to. Without a trailing separator.
    QString m_swap_folder;
    // Ends in "/"; empty while none is made. After the swap it holds the former images.
    QString m_staging_folder;
    std::vector<ImageSection> m_images;
    std::vector<Problem> m_problems;
    QStringList m_left_in_folder;
    // The lower-cased names in the image folder. Names are compared without case, so the
    // published folder holds no two names that a case-blind file system would take for one.
    QSet<QString> m_taken_names;
};
