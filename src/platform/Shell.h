#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <vector>

// Shows a folder in the desktop's file manager. Answers whether the desktop took the request.
bool OpenFolder(const QString& folder);
// Opens a web page in the default browser.
bool OpenWebPage(const QString& address);
// A file the program moved to the trash: where it was and where the trash keeps it.
struct TrashedFile {
    QString original;
    QString in_trash;
};

// Moves a file to the desktop's trash, from where the user can bring it back; it is never
// deleted outright. False when the file could not be moved. The move is noted until the
// undo history takes it (TakeTrashedFiles), so that undoing the change brings the file back.
bool MoveToTrash(const QString& path);
// The files moved to the trash since the last call, oldest first.
std::vector<TrashedFile> TakeTrashedFiles();
// Moves a file back from the trash to where it was, and drops the trash's record of it.
// False when it is no longer in the trash or its old place is taken or gone.
bool BringBackFromTrash(const TrashedFile& file);

// What hands an address to the desktop; tests put one that records instead of opening.
// Null brings back the desktop's.
using DesktopOpener = std::function<bool(const QUrl& url)>;
void SetDesktopOpener(DesktopOpener opener);

// The addresses handed to the desktop; empty when there is nothing to open.
QUrl FolderUrl(const QString& folder);
QUrl WebPageUrl(const QString& address);
