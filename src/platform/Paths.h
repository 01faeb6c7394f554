#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

// Path services. The separator is "/"; a backslash, as written in layouts and in note files
// of the Windows version, is read as a separator too. Folder paths end in "/".

enum class Trash { No, Yes };
enum class Recursive { No, Yes };
enum class EntryKinds { All, Files, Folders };

struct PathParts {
    QString folder;    // with its trailing "/", empty when the path has no separator
    QString name;      // without the extension
    QString extension; // with its dot, as written; empty when the name has no dot
};

// Turns every backslash into "/".
QString NormalizeSeparators(const QString& path);
// The path a file name written in a note or layout names, a relative one taken in the folder:
// the name as written when a file or folder of that name exists (a backslash is a plain
// character of Linux names), otherwise with each backslash read as a separator (names written
// by the Windows version). Not cleaned.
QString ResolveWrittenPath(const QString& written, const QString& folder);
// Splits at the last separator and at the last dot of the name.
PathParts SplitPath(const QString& path);
// The folder of a path, ending in "/".
QString FolderOf(const QString& path);
// Name and extension.
QString NameOf(const QString& path);
// The path without the separators it ends in; "/" stays.
QString WithoutTrailingSeparator(const QString& path);
// The extension with its dot, lower case.
QString ExtensionOf(const QString& path);
// The folder part after one trailing separator has been dropped, so the parent of a folder
// path. For the empty path, the program's folder.
QString ParentFolderOf(const QString& path);
// The canonical form of an existing path, or the path unchanged.
QString LongPath(const QString& path);

// The absolute path with the links of its last part followed, also to a file that does not
// exist yet: where writing to the path puts the bytes. Links in the folders stay as they are.
QString FollowLinks(const QString& path);

// Whether the two paths name one file. Existing files are compared by device and inode (a
// hard link, a folder reached through a link); otherwise the paths with their links resolved
// are compared.
bool NamesSameFile(const QString& a, const QString& b);

// The folder of the executable, ending in "/".
QString ProgramFolder();
// The working folder against which relative paths resolve, ending in "/".
QString CurrentFolder();
bool SetCurrentFolder(const QString& folder);
// A path is relative unless it starts with a separator.
bool IsRelativePath(const QString& path);

// Creates the folder and every missing parent. True when the path is a folder afterwards;
// false when it names an existing file.
bool CreateFolderPath(const QString& path);
// Deletes everything inside the folder (into the trash when asked), keeping the folder.
// False only when the folder cannot be listed. What could not be deleted is added to left,
// when given: files, and folders that hold no file but stayed.
bool DeleteFolderContents(const QString& folder, Trash trash, Recursive recursive, QStringList* left = nullptr);

// The extensions of the image files the program reads, lower case with their dots: the one
// list behind the open dialog's filter, folder listings and scatter.
const QStringList& ImageFileExtensions();
// Whether the extension, in any case, is one of ImageFileExtensions.
bool IsImageFileName(const QString& path);

// The order in which a file manager shows names: by name, digits compared as numbers ("2"
// before "10"), letter case ignored but for names that differ only in it. Answers the
// positions of the names in that order.
std::vector<size_t> FileManagerOrder(const std::vector<QString>& names);

// The clipboard folder, ending in "/".
QString PastedImageFolder();
// A free file name for a pasted image in the clipboard folder (the "clipboard" folder of the
// application's data folder), "YYYYMMDD_n.png" with the first n that names no file. The
// folder is created.
QString PastedImagePath(const QDate& today);

// The full paths of a folder's entries, in the file system's order and in their real case.
// With Recursive::Yes each sub-folder is listed at once after its own entry (depth first);
// links to folders are not followed. Kinds chooses what is listed; recursion descends into
// every sub-folder either way. An unreadable folder lists nothing.
QStringList ListFolderEntries(const QString& folder, Recursive recursive, EntryKinds kinds = EntryKinds::All);
