#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// Shows a folder in the desktop's file manager. Answers whether the desktop took the request.
bool OpenFolder(const QString& folder);
// Opens a web page in the default browser.
bool OpenWebPage(const QString& address);
// Moves a file to the desktop's trash, from where the user can bring it back; it is never
// deleted outright. False when the file could not be moved.
bool MoveToTrash(const QString& path);

// What hands an address to the desktop; tests put one that records instead of opening.
// Null brings back the desktop's.
using DesktopOpener = std::function<bool(const QUrl& url)>;
void SetDesktopOpener(DesktopOpener opener);

// The addresses handed to the desktop; empty when there is nothing to open.
QUrl FolderUrl(const QString& folder);
QUrl WebPageUrl(const QString& address);
