#pragma once

#include <QString>
#include <QUrl>

// Shows a folder in the desktop's file manager. Answers whether the desktop took the request.
bool OpenFolder(const QString& folder);
// Opens a web page in the default browser.
bool OpenWebPage(const QString& address);

// The addresses handed to the desktop; empty when there is nothing to open.
QUrl FolderUrl(const QString& folder);
QUrl WebPageUrl(const QString& address);
