#include "platform/TextFile.h"

#include "platform/FileDescriptor.h"
#include "platform/SafeFileWriter.h"
#include "platform/TextCodec.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace {

constexpr qint64 kReadChunk = 64 * 1024;

FileReadFailure FailureOfErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return FileReadFailure::Missing;
    case EACCES:
    case EPERM:
        return FileReadFailure::NotPermitted;
    default:
        return FileReadFailure::ReadError;
    }
}

// Reads to the end, at most max_bytes plus one byte so that a longer file shows.
FileReadFailure ReadAll(int fd, qint64 max_bytes, qint64 expected, QByteArray& bytes)
{
    bytes.reserve(qsizetype(std::min(expected, max_bytes)) + 1);
    for (;;) {
        const qint64 room = std::min(kReadChunk, max_bytes + 1 - bytes.size());
        if (room <= 0)
            return FileReadFailure::TooLarge;
        const qsizetype old_size = bytes.size();
        // Grows by doubling where the size on disk told too little (files of /proc say 0).
        if (old_size + room > bytes.capacity())
            bytes.reserve(qsizetype(std::min(max_bytes + 1, std::max(qint64(bytes.capacity()) * 2, old_size + room))));
        bytes.resize(old_size + qsizetype(room));
        const ssize_t got = ::read(fd, bytes.data() + old_size, size_t(room));
        if (got < 0) {
            bytes.resize(old_size);
            if (errno == EINTR)
                continue;
            return FileReadFailure::ReadError;
        }
        bytes.resize(old_size + qsizetype(got));
        if (got == 0)
            return FileReadFailure::None;
    }
}

}

FileReadFailure ReadRegularFile(const QString& path, qint64 max_bytes, QByteArray& bytes)
{
    bytes.clear();
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (path.isEmpty() || ::stat(name.constData(), &info) != 0)
        return path.isEmpty() ? FileReadFailure::Missing : FailureOfErrno(errno);
    if (!S_ISREG(info.st_mode))
        return FileReadFailure::NotRegular;
    if (info.st_size > max_bytes)
        return FileReadFailure::TooLarge;
    const FileDescriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0)
        return FailureOfErrno(errno);
    // The path may name something else by now.
    if (::fstat(file.Get(), &info) != 0)
        return FileReadFailure::ReadError;
    if (!S_ISREG(info.st_mode))
        return FileReadFailure::NotRegular;
    FileReadFailure failure = FileReadFailure::None;
    try {
        failure = ReadAll(file.Get(), max_bytes, info.st_size, bytes);
    } catch (const std::bad_alloc&) {
        failure = FileReadFailure::ReadError;
    }
    if (failure != FileReadFailure::None)
        bytes = QByteArray();
    return failure;
}

bool ReadTextFile(const QString& path, QString& text)
{
    text.clear();
    QByteArray bytes;
    if (ReadRegularFile(path, kMaxTextFileBytes, bytes) != FileReadFailure::None)
        return false;
    // A file too large for memory is unreadable like any other.
    try {
        text = DecodeTextBytes(bytes);
    } catch (const std::bad_alloc&) {
        text.clear();
        return false;
    }
    return true;
}

bool WriteTextFileSafely(const QString& path, const QString& text, QString* reason)
{
    return WriteFileSafely(path, EncodeTextUtf8(text), reason);
}

bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* reason)
{
    return SafeFileWriter::WriteFile(path, bytes, reason);
}
