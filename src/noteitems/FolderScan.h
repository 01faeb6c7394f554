#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Lists the image files of a folder tree in the order an image item steps through them: the
// folder's own images first, then the images of every sub-folder, depth first, each folder
// before its own sub-folders, all in the order a file manager shows them (by name, numbers
// compared as numbers). Paths keep their real case.
//
// Hidden entries (names starting with ".") are left out of the tree, as the desktop's folder
// view leaves them out, and linked folders are not followed, so a link cycle cannot trap the
// scan.
class FolderScan {
public:
    // Receives the images of one folder; it may move the paths out.
    using AppendFunction = std::function<void(std::vector<QString>& paths)>;
    using StopFunction = std::function<bool()>;
    using ProgressFunction = std::function<void(double fraction)>;

    FolderScan(QString folder, AppendFunction append, StopFunction stop_requested, ProgressFunction progress);

    // Runs the whole scan. Progress goes 0 at the start, then i / n after the i-th of n
    // sub-folders (i from 0), then -1 at the end. Answers false when the scan was stopped
    // before it had listed everything.
    bool Run();

    // The synchronous listing of one folder: the full paths of its image files in name order,
    // hidden ones included, folders left out. False when the folder cannot be
    // read, with the list empty.
    static bool ListImages(const QString& folder, QStringList& paths);

    // Adds a trailing "/" when the folder lacks one.
    static QString WithTrailingSeparator(const QString& folder);

private:
    struct FolderImages {
        QString folder;
        std::vector<QString> paths;
    };
    enum class Hidden { Skip, Keep };
    struct FolderEntries {
        std::vector<QString> images;
        std::vector<QByteArray> sub_folders; // names
    };

    static void SortByName(FolderEntries& entries);
    static bool ReadFolder(const QByteArray& folder, const QString& folder_text, Hidden hidden,
                           const StopFunction& stop_requested, FolderEntries& entries);
    bool Stopped() const;
    bool ListSubFolders(const QByteArray& root, const QString& root_text, std::vector<FolderImages>& folders);

    QString m_folder;
    AppendFunction m_append;
    StopFunction m_stop_requested;
    ProgressFunction m_progress;
};
