#include "platform/LeftoverFiles.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <climits>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file's name is cut to this many characters in the hidden name, which has to stay
// within the file system's name length.
constexpr int kNameCharacters = 60;

// What follows the file's name and its dot in a temporary's name: the writer's process id and
// a random tag.
const QString kTemporaryTail = QStringLiteral("(\\d+)-[0-9a-f]+\\.tmp");
const QString kPublishMark = QStringLiteral(".publish");
const QString kStagingEnd = QStringLiteral("ing.");
const QString kFormerEnd = QStringLiteral("ed.");

enum class EntryKind { File, Folder };

// A stale file is removed as what it is; a link among them is removed, never followed.
bool IsKind(const QString& path, EntryKind kind)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    return kind == EntryKind::Folder ? S_ISDIR(status.st_mode) : !S_ISDIR(status.st_mode);
}

// Removes the entries of the folder whose whole name matches the pattern, whose first
// captured number names a process that has ended, and which are of the kind.
int RemoveEnded(const QString& folder, const QString& name_start, const QRegularExpression& rest, EntryKind kind)
{
    int removed = 0;
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (!name.startsWith(name_start))
            continue;
        const QRegularExpressionMatch match = rest.match(QStringView(name).mid(name_start.size()));
        if (!match.hasMatch() || !LeftoverFiles::ProcessHasEnded(match.captured(1).toLongLong()))
            continue;
        const QString path = dir.filePath(name);
        if (!IsKind(path, kind))
            continue;
        const bool gone = kind == EntryKind::Folder ? QDir(path).removeRecursively()
                                                    : ::unlink(QFile::encodeName(path).constData()) == 0;
        removed += gone ? 1 : 0;
    }
    return removed;
}

}

namespace LeftoverFiles {

qint64 OwnProcessId()
{
    return qint64(::getpid());
}

bool ProcessHasEnded(qint64 process_id)
{
    if (process_id <= 0 || process_id > qint64(INT_MAX))
        return false;
    return ::kill(pid_t(process_id), 0) != 0 && errno == ESRCH;
}

QString TemporaryPathFor(const QString& final_path, const QString& tag)
{
    return FolderOf(final_path) + u'.' + NameOf(final_path).left(kNameCharacters) + u'.' + QString::number(OwnProcessId())
        + u'-' + tag + QStringLiteral(".tmp");
}

int RemoveStaleTemporariesOf(const QString& final_path)
{
    static const QRegularExpression rest(QRegularExpression::anchoredPattern(kTemporaryTail));
    return RemoveEnded(FolderOf(final_path), u'.' + NameOf(final_path).left(kNameCharacters) + u'.', rest, EntryKind::File);
}

int RemoveStaleTemporariesIn(const QString& folder)
{
    static const QRegularExpression rest(QRegularExpression::anchoredPattern(QStringLiteral(".+\\.") + kTemporaryTail));
    return RemoveEnded(folder, QStringLiteral("."), rest, EntryKind::File);
}

QString StagingFolderFor(const QString& folder)
{
    const QString path = WithoutTrailingSeparator(NormalizeSeparators(folder));
    return FolderOf(path) + u'.' + NameOf(path) + kPublishMark + kStagingEnd + QString::number(OwnProcessId());
}

QString FormerFolderFor(const QString& folder)
{
    const QString path = WithoutTrailingSeparator(NormalizeSeparators(folder));
    return FolderOf(path) + u'.' + NameOf(path) + kPublishMark + kFormerEnd + QString::number(OwnProcessId());
}

int RemoveStaleStagingFoldersOf(const QString& folder)
{
    static const QRegularExpression rest(QRegularExpression::anchoredPattern(QStringLiteral("(?:ing|ed)\\.(\\d+)")));
    const QString path = WithoutTrailingSeparator(NormalizeSeparators(folder));
    return RemoveEnded(FolderOf(path), u'.' + NameOf(path) + kPublishMark, rest, EntryKind::Folder);
}

}
