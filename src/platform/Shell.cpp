#include "platform/Shell.h"

#include "platform/Paths.h"

#include <QDesktopServices>

bool OpenFolder(const QString& folder)
{
    const QUrl url = FolderUrl(folder);
    return !url.isEmpty() && QDesktopServices::openUrl(url);
}

bool OpenWebPage(const QString& address)
{
    const QUrl url = WebPageUrl(address);
    return !url.isEmpty() && QDesktopServices::openUrl(url);
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
