#include "noteitems/FolderScan.h"

#include "platform/Paths.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>

namespace {

enum class EntryKind { Other, File, Folder, LinkedFolder };

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

EntryKind KindOf(DIR* dir, const dirent& entry)
{
    if (entry.d_type == DT_REG)
        return EntryKind::File;
    if (entry.d_type == DT_DIR)
        return EntryKind::Folder;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return EntryKind::Other;
    struct stat status {};
    if (fstatat(dirfd(dir), entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryKind::Other;
    const bool link = S_ISLNK(status.st_mode);
    if (link && fstatat(dirfd(dir), entry.d_name, &status, 0) != 0)
        return EntryKind::Other;
    if (S_ISDIR(status.st_mode))
        return link ? EntryKind::LinkedFolder : EntryKind::Folder;
    // Only regular files: a pipe or device named like a picture must never be opened.
    return S_ISREG(status.st_mode) ? EntryKind::File : EntryKind::Other;
}

bool IsDot(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

bool IsFolder(const QByteArray& path)
{
    struct stat status {};
    return stat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

}

FolderScan::FolderScan(QString folder, AppendFunction append, StopFunction stop_requested, ProgressFunction progress)
    : m_folder(WithTrailingSeparator(folder))
    , m_append(std::move(append))
    , m_stop_requested(std::move(stop_requested))
    , m_progress(std::move(progress))
{
}

QString FolderScan::WithTrailingSeparator(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

bool FolderScan::Stopped() const
{
    return m_stop_requested && m_stop_requested();
}

void FolderScan::SortByName(FolderEntries& entries)
{
    // The images are full paths of one folder, so they sort as their names do.
    const std::vector<size_t> image_order = FileManagerOrder(entries.images);
    std::vector<QString> images;
    images.reserve(entries.images.size());
    for (const size_t index : image_order)
        images.push_back(std::move(entries.images[index]));
    entries.images = std::move(images);

    std::vector<QString> folder_names;
    folder_names.reserve(entries.sub_folders.size());
    for (const QByteArray& name : entries.sub_folders)
        folder_names.push_back(QFile::decodeName(name));
    std::vector<QByteArray> sub_folders;
    sub_folders.reserve(entries.sub_folders.size());
    for (const size_t index : FileManagerOrder(folder_names))
        sub_folders.push_back(std::move(entries.sub_folders[index]));
    entries.sub_folders = std::move(sub_folders);
}

bool FolderScan::ReadFolder(const QByteArray& folder, const QString& folder_text, Hidden hidden,
                            const StopFunction& stop_requested, FolderEntries& entries)
{
    const std::unique_ptr<DIR, DirCloser> dir(opendir(folder.constData()));
    if (!dir)
        return false;
    while (const dirent* entry = readdir(dir.get())) {
        if (stop_requested && stop_requested())
            return false;
        if (IsDot(entry->d_name) || (hidden == Hidden::Skip && entry->d_name[0] == '.'))
            continue;
        switch (KindOf(dir.get(), *entry)) {
        case EntryKind::File: {
            const QString name = QFile::decodeName(entry->d_name);
            if (IsImageFileName(name))
                entries.images.push_back(folder_text + name);
            break;
        }
        case EntryKind::Folder:
            entries.sub_folders.emplace_back(entry->d_name);
            break;
        case EntryKind::LinkedFolder:
        case EntryKind::Other:
            break;
        }
    }
    SortByName(entries);
    return true;
}

bool FolderScan::ListImages(const QString& folder, QStringList& paths)
{
    paths.clear();
    const QString folder_text = WithTrailingSeparator(folder);
    FolderEntries entries;
    if (!ReadFolder(QFile::encodeName(folder_text), folder_text, Hidden::Keep, {}, entries))
        return false;
    paths.reserve(qsizetype(entries.images.size()));
    for (QString& path : entries.images)
        paths.append(std::move(path));
    return true;
}

bool FolderScan::ListSubFolders(const QByteArray& root, const QString& root_text, std::vector<FolderImages>& folders)
{
    // An explicit stack rather than recursion, so a very deep tree cannot exhaust the stack.
    // Each folder is read once: its images are kept for the second pass, its sub-folders are
    // pushed in reverse so they are visited in the order they were listed.
    struct Pending {
        QByteArray path;
        QString text;
    };
    std::vector<Pending> stack;
    const auto push_children = [&stack](const QByteArray& parent, const QString& parent_text,
                                        const std::vector<QByteArray>& names) {
        for (auto name = names.rbegin(); name != names.rend(); ++name)
            stack.push_back({ parent + *name + '/', parent_text + QFile::decodeName(*name) + u'/' });
    };

    FolderEntries root_entries;
    const bool root_read = ReadFolder(root, root_text, Hidden::Skip, m_stop_requested, root_entries);
    if (Stopped())
        return false;
    if (!root_read)
        return true;
    if (!root_entries.images.empty())
        m_append(root_entries.images);
    push_children(root, root_text, root_entries.sub_folders);

    while (!stack.empty()) {
        Pending folder = std::move(stack.back());
        stack.pop_back();
        FolderEntries entries;
        ReadFolder(folder.path, folder.text, Hidden::Skip, m_stop_requested, entries);
        if (Stopped())
            return false;
        push_children(folder.path, folder.text, entries.sub_folders);
        folders.push_back({ std::move(folder.text), std::move(entries.images) });
    }
    return true;
}

bool FolderScan::Run()
{
    if (m_progress)
        m_progress(0);
    std::vector<FolderImages> folders;
    bool complete = ListSubFolders(QFile::encodeName(m_folder), m_folder, folders);
    const size_t count = folders.size();
    for (size_t i = 0; complete && i < count; ++i) {
        if (Stopped()) {
            complete = false;
            break;
        }
        // A folder removed while the tree was being read is left out.
        if (!folders[i].paths.empty() && IsFolder(QFile::encodeName(folders[i].folder)))
            m_append(folders[i].paths);
        if (m_progress)
            m_progress(double(i) / double(count));
    }
    if (m_progress)
        m_progress(-1);
    return complete;
}
