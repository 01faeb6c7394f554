#include "platform/Shell.h"

#include "platform/Paths.h"

#include <QDesktopServices>
#include <QFile>

namespace {

DesktopOpener& Opener()
{
    static DesktopOpener opener;
    return opener;
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
    return !normalized.isEmpty() && QFile::moveToTrash(normalized);
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
