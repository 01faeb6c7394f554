#pragma once

#include <QString>

// What a write or a publish killed midway leaves behind: hidden files and folders whose names
// carry the id of the process that made them. One whose process no longer runs is stale and
// may go; one whose process runs belongs to a write still under way and is never touched.
namespace LeftoverFiles {

// The id this process puts into the names of its own temporary files and folders.
qint64 OwnProcessId();
// Whether the process of the id has ended. A process that runs under another user counts as
// running; an id of 0 or less is never taken for ended.
bool ProcessHasEnded(qint64 process_id);

// The hidden temporary name beside a file that a writer of this process uses:
// ".NAME.PID-TAG.tmp" in the file's folder, NAME cut to a length every file system takes.
QString TemporaryPathFor(const QString& final_path, const QString& tag);
// Removes the stale temporaries of that file: those of writers that have ended. Answers how
// many went.
int RemoveStaleTemporariesOf(const QString& final_path);
// Removes the stale temporaries of every file in the folder (not its sub-folders).
int RemoveStaleTemporariesIn(const QString& folder);

// The hidden folder beside a folder that a publish of this process fills before it takes
// the folder's place: ".NAME.publishing.PID".
QString StagingFolderFor(const QString& folder);
// Where the folder is moved aside while a staging folder takes its place, on file systems
// that cannot exchange two folders in one step: ".NAME.published.PID".
QString FormerFolderFor(const QString& folder);
// Removes, with everything inside, the staging and former folders beside that folder whose
// publish has ended. Answers how many went.
int RemoveStaleStagingFoldersOf(const QString& folder);

}
