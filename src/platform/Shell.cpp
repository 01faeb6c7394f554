#include "platform/Shell.h"

#include "platform/Paths.h"

#include <QDesktopServices>
#include <QUrl>

bool OpenFolder(const QString& folder)
{
    const QString normalized = NormalizeSeparators(folder);
    if (normalized.isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(normalized));
}

bool OpenWebPage(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    return QDesktopServices::openUrl(url);
}
