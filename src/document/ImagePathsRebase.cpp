#include "document/ImagePathsRebase.h"

#include "document/NoteSchema.h"
#include "platform/Paths.h"

#include <QDir>
#include <QStringList>

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const QString kFileNameKey = NoteSchema::kFileNameKey.toString() + u'=';
const QString kFolderPathKey = NoteSchema::kFolderPathKey.toString() + u'=';

// The value with its leading path made absolute; the value unchanged when the path is
// absolute or not written plainly at its start.
QString WithAbsolutePath(const QString& value, const QString& path, const QString& folder)
{
    if (path.isEmpty() || !value.startsWith(path))
        return value;
    const QString resolved = ResolveWrittenPath(path, folder);
    if (resolved == path || resolved == NormalizeSeparators(path))
        return value;
    QString absolute = QDir::cleanPath(resolved);
    if (resolved.endsWith(u'/') && !absolute.endsWith(u'/'))
        absolute += u'/';
    return absolute + value.mid(path.size());
}

QString RebasedLine(const QString& line, const QString& folder)
{
    if (line.startsWith(kFileNameKey)) {
        const QString value = line.mid(kFileNameKey.size());
        return kFileNameKey + WithAbsolutePath(value, NoteSchema::ParseFileName(value).path, folder);
    }
    if (line.startsWith(kFolderPathKey)) {
        const QString value = line.mid(kFolderPathKey.size());
        return kFolderPathKey + WithAbsolutePath(value, value, folder);
    }
    return line;
}

}

QString MakeImagePathsAbsolute(const QString& page_text, const QString& folder)
{
    if (page_text.isEmpty())
        return page_text;
    const QString header = u'[' + NoteSchema::kImageSection.toString() + u']';
    QStringList lines = page_text.split(kLineEnd);
    bool in_image = false;
    for (QString& line : lines) {
        if (line.startsWith(u'[')) {
            in_image = line.trimmed() == header;
            continue;
        }
        if (in_image)
            line = RebasedLine(line, folder);
    }
    return lines.join(kLineEnd);
}
