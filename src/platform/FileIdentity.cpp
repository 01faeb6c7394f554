#include "platform/FileIdentity.h"

#include <QFile>

#include <sys/stat.h>

std::optional<FileIdentity> FileIdentity::Of(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || S_ISDIR(status.st_mode))
        return std::nullopt;
    FileIdentity identity;
    identity.size = qint64(status.st_size);
    identity.modified_ns = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    identity.changed_ns = qint64(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec;
    identity.inode = quint64(status.st_ino);
    identity.device = quint64(status.st_dev);
    return identity;
}
