#include "platform/Paths.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <numeric>
#include <sys/stat.h>
#include <filesystem>
#include <system_error>

namespace {

constexpr QLatin1Char kSeparator('/');

QString WithTrailingSeparator(QString folder)
{
    if (!folder.endsWith(kSeparator))
        folder += kSeparator;
    return folder;
}

QString FromFileSystem(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path ToFileSystem(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Removes one entry for good: a file or link directly, a folder with everything inside it.
void DeleteEntry(const QFileInfo& entry)
{
    if (entry.isDir() && !entry.isSymLink()) {
        QDir(entry.filePath()).removeRecursively();
        return;
    }
    QFile::remove(entry.filePath());
}

// Adds what is still there of an entry that was deleted: the entry, or the files left inside
// a folder (the folder itself when nothing inside is left).
void ListLeftOver(const QString& path, QStringList& left)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return;
    QStringList files;
    if (S_ISDIR(info.st_mode))
        files = ListFolderEntries(path, Recursive::Yes, EntryKinds::Files);
    if (files.isEmpty())
        left << path;
    else
        left << files;
}

void ListInto(const QString& folder, Recursive recursive, EntryKinds kinds, QStringList& entries)
{
    std::error_code error;
    std::filesystem::directory_iterator it(ToFileSystem(folder), error);
    if (error)
        return;
    const QString prefix = WithTrailingSeparator(folder);
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error)
            return;
        std::error_code status_error;
        const bool is_folder = it->is_directory(status_error) && !it->is_symlink(status_error);
        const QString path = prefix + FromFileSystem(it->path().filename());
        const bool wanted = kinds == EntryKinds::All || (kinds == EntryKinds::Folders) == is_folder;
        if (wanted)
            entries.append(path);
        if (is_folder && recursive == Recursive::Yes)
            ListInto(path, recursive, kinds, entries);
    }
}

}

QString NormalizeSeparators(const QString& path)
{
    QString normalized = path;
    normalized.replace(QLatin1Char('\\'), kSeparator);
    return normalized;
}

QString ResolveWrittenPath(const QString& written, const QString& folder)
{
    const auto in_folder = [&folder](const QString& path) {
        return IsRelativePath(path) ? WithTrailingSeparator(folder) + path : path;
    };
    if (written.contains(QLatin1Char('\\'))) {
        const QString as_written = in_folder(written);
        if (QFileInfo::exists(as_written))
            return as_written;
    }
    return in_folder(NormalizeSeparators(written));
}

PathParts SplitPath(const QString& path)
{
    const QString normalized = NormalizeSeparators(path);
    const qsizetype slash = normalized.lastIndexOf(kSeparator);
    PathParts parts;
    parts.folder = normalized.left(slash + 1);
    const QString file_name = normalized.mid(slash + 1);
    const qsizetype dot = file_name.lastIndexOf(QLatin1Char('.'));
    parts.name = dot < 0 ? file_name : file_name.left(dot);
    parts.extension = dot < 0 ? QString() : file_name.mid(dot);
    return parts;
}

QString FolderOf(const QString& path)
{
    return SplitPath(path).folder;
}

QString NameOf(const QString& path)
{
    const PathParts parts = SplitPath(path);
    return parts.name + parts.extension;
}

QString ExtensionOf(const QString& path)
{
    return SplitPath(path).extension.toLower();
}

QString ParentFolderOf(const QString& path)
{
    if (path.isEmpty())
        return ProgramFolder();
    QString normalized = NormalizeSeparators(path);
    if (normalized.endsWith(kSeparator))
        normalized.chop(1);
    return FolderOf(normalized);
}

QString LongPath(const QString& path)
{
    const QString normalized = NormalizeSeparators(path);
    const QFileInfo info(normalized);
    if (normalized.isEmpty() || !info.exists())
        return path;
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty())
        return path;
    return normalized.endsWith(kSeparator) ? WithTrailingSeparator(canonical) : canonical;
}

QString FollowLinks(const QString& path)
{
    // Beyond this many links in a row the path is taken for a loop.
    constexpr int kMaxLinkHops = 40;
    QString current = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        current = QDir::cleanPath(info.symLinkTarget());
    }
    return current;
}

QString ProgramFolder()
{
    if (QCoreApplication::instance())
        return WithTrailingSeparator(QCoreApplication::applicationDirPath());
    return WithTrailingSeparator(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath());
}

QString CurrentFolder()
{
    return WithTrailingSeparator(QDir::currentPath());
}

bool SetCurrentFolder(const QString& folder)
{
    return QDir::setCurrent(NormalizeSeparators(folder));
}

bool IsRelativePath(const QString& path)
{
    return !NormalizeSeparators(path).startsWith(kSeparator);
}

bool CreateFolderPath(const QString& path)
{
    const QString normalized = NormalizeSeparators(path);
    if (normalized.isEmpty())
        return false;
    if (QFileInfo(normalized).isDir())
        return true;
    const qsizetype slash = normalized.lastIndexOf(kSeparator);
    if (slash < 0)
        return false;
    // The parent of a folder right under the root is the root itself.
    const QString parent = slash == 0 ? QString(kSeparator) : normalized.left(slash);
    if (!CreateFolderPath(parent))
        return false;
    QDir().mkdir(normalized);
    return QFileInfo(normalized).isDir();
}

bool DeleteFolderContents(const QString& folder, Trash trash, Recursive recursive, QStringList* left)
{
    const QString normalized = NormalizeSeparators(folder);
    const QDir dir(normalized);
    if (normalized.isEmpty() || !dir.exists() || !dir.isReadable())
        return false;
    const QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo& entry : entries) {
        // A link to a folder is removed as a link; what it points to is never touched.
        const bool is_folder = entry.isDir() && !entry.isSymLink();
        if (is_folder && recursive == Recursive::Yes)
            DeleteFolderContents(entry.filePath(), trash, recursive);
        if (trash == Trash::Yes)
            QFile::moveToTrash(entry.filePath());
        else if (is_folder || !QFile::remove(entry.filePath()))
            DeleteEntry(entry);
        if (left)
            ListLeftOver(entry.filePath(), *left);
    }
    return true;
}

const QStringList& ImageFileExtensions()
{
    static const QStringList kImageExtensions = {
        QStringLiteral(".jpg"), QStringLiteral(".jpeg"), QStringLiteral(".jpe"), QStringLiteral(".jfif"),
        QStringLiteral(".png"), QStringLiteral(".gif"), QStringLiteral(".bmp"), QStringLiteral(".dib"),
        QStringLiteral(".tif"), QStringLiteral(".tiff"), QStringLiteral(".webp"), QStringLiteral(".heic"),
        QStringLiteral(".heif"), QStringLiteral(".hif"), QStringLiteral(".avif"), QStringLiteral(".jxl"),
        QStringLiteral(".tga"), QStringLiteral(".pbm"), QStringLiteral(".pgm"), QStringLiteral(".ppm"),
        QStringLiteral(".ico"),
    };
    return kImageExtensions;
}

bool IsImageFileName(const QString& path)
{
    return ImageFileExtensions().contains(ExtensionOf(path));
}

std::vector<size_t> FileManagerOrder(const std::vector<QString>& names)
{
    // A collator per thread: folder scans sort on their worker while the user-interface
    // thread lists folders of its own.
    thread_local const QCollator collator = [] {
        // The C locale compares plain character codes; file managers compare numbers in it too.
        const QLocale system;
        QCollator made(system.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : system);
        made.setNumericMode(true);
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const QString& name : names)
        keys.push_back(collator.sortKey(name));
    std::vector<size_t> order(names.size());
    std::iota(order.begin(), order.end(), size_t(0));
    // Names that differ only in case come in one fixed order, whatever the file system's.
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int compared = keys[a].compare(keys[b]);
        return compared != 0 ? compared < 0 : names[a] < names[b];
    });
    return order;
}

QString PastedImageFolder()
{
    return WithTrailingSeparator(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) + QStringLiteral("clipboard/");
}

QString PastedImagePath(const QDate& today)
{
    // Not the temporary folder: notes refer to these files, and the temporary folder is emptied
    // at every start of the system.
    const QString folder = PastedImageFolder();
    CreateFolderPath(folder);
    const QString prefix = folder + today.toString(QStringLiteral("yyyyMMdd_"));
    QString candidate;
    for (int n = 1; n < INT_MAX; ++n) {
        candidate = prefix + QString::number(n) + QStringLiteral(".png");
        // Only a file takes a name; a folder of that name does not.
        const QFileInfo info(candidate);
        if (!info.exists() || info.isDir())
            break;
    }
    return candidate;
}

QStringList ListFolderEntries(const QString& folder, Recursive recursive, EntryKinds kinds)
{
    QStringList entries;
    const QString normalized = NormalizeSeparators(folder);
    if (!normalized.isEmpty())
        ListInto(normalized, recursive, kinds, entries);
    return entries;
}

namespace {

// The path with its links followed and its folder in canonical form, for a file that need not
// exist.
QString RealPath(const QString& path)
{
    const QString followed = FollowLinks(path);
    const QFileInfo info(followed);
    const QString folder = info.absoluteDir().canonicalPath();
    return folder.isEmpty() ? followed : QDir(folder).filePath(info.fileName());
}

}

bool NamesSameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    struct stat first {};
    struct stat second {};
    if (::stat(QFile::encodeName(a).constData(), &first) == 0 && ::stat(QFile::encodeName(b).constData(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return RealPath(a) == RealPath(b);
}

QString WithoutTrailingSeparator(const QString& path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(kSeparator))
        trimmed.chop(1);
    return trimmed;
}
