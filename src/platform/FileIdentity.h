#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What tells one version of a file from another without reading it: its size, the times of its
// last change of content and of state, and the file system's number for it. A file written
// anew, or replaced by another under the same name, has another identity.
struct FileIdentity {
    qint64 size { -1 };
    qint64 modified_ns { 0 };
    qint64 changed_ns { 0 };
    quint64 inode { 0 };
    quint64 device { 0 };

    bool operator==(const FileIdentity&) const = default;

    // Nothing for a path that does not name an existing file (a folder is not one).
    static std::optional<FileIdentity> Of(const QString& path);
};
