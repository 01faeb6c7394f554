#include "platform/Shell.h"

#include "platform/Paths.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

DesktopOpener& Opener()
{
    static DesktopOpener opener;
    return opener;
}

std::vector<TrashedFile>& NotedTrashedFiles()
{
    static std::vector<TrashedFile> files;
    return files;
}

bool OpenUrl(const QUrl& url)
{
    if (url.isEmpty())
        return false;
    return Opener() ? Opener()(url) : QDesktopServices::openUrl(url);
}

}

void SetDesktopOpener(DesktopOpener opener)
{
    Opener() = std::move(opener);
}

bool OpenFolder(const QString& folder)
{
    return OpenUrl(FolderUrl(folder));
}

bool OpenWebPage(const QString& address)
{
    return OpenUrl(WebPageUrl(address));
}

bool MoveToTrash(const QString& path)
{
    const QString normalized = NormalizeSeparators(path);
    QString in_trash;
    if (normalized.isEmpty() || !QFile::moveToTrash(normalized, &in_trash))
        return false;
    NotedTrashedFiles().push_back({ QFileInfo(normalized).absoluteFilePath(), in_trash });
    return true;
}

std::vector<TrashedFile> TakeTrashedFiles()
{
    return std::exchange(NotedTrashedFiles(), {});
}

bool BringBackFromTrash(const TrashedFile& file)
{
    const QFileInfo trashed(file.in_trash);
    if (file.in_trash.isEmpty() || !trashed.exists() || QFileInfo::exists(file.original)
        || !QFileInfo(FolderOf(file.original)).isDir())
        return false;
    if (!QFile::rename(file.in_trash, file.original))
        return false;
    // The trash keeps what it knows of a file beside its "files" folder, in "info".
    QDir trash_folder = trashed.dir();
    if (trash_folder.dirName() == QLatin1String("files") && trash_folder.cdUp())
        QFile::remove(trash_folder.filePath(QStringLiteral("info/") + trashed.fileName() + QStringLiteral(".trashinfo")));
    return true;
}

QUrl FolderUrl(const QString& folder)
{
    const QString normalized = NormalizeSeparators(folder);
    if (normalized.isEmpty())
        return QUrl();
    return QUrl::fromLocalFile(normalized);
}

QUrl WebPageUrl(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return QUrl();
    return url;
}
