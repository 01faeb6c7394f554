#include "platform/FileCopy.h"

#include "platform/FileDescriptor.h"
#include "platform/SafeFileWriter.h"

#include <QFile>

#include <cerrno>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The bytes through a buffer, for file systems that cannot copy between themselves.
bool CopyThroughBuffer(int from, int to)
{
    static constexpr size_t kBufferSize = 1 << 20;
    std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    for (;;) {
        const ssize_t got = ::read(from, buffer.get(), kBufferSize);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = ::write(to, buffer.get() + written, size_t(got - written));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            written += put;
        }
    }
}

bool CopyBytes(int from, int to, off_t size)
{
    off_t copied = 0;
    while (copied < size) {
        const ssize_t moved = ::copy_file_range(from, nullptr, to, nullptr, size_t(size - copied), 0);
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved < 0 && copied == 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL))
            return CopyThroughBuffer(from, to);
        if (moved < 0)
            return false;
        if (moved == 0)
            break; // the file shrank meanwhile
        copied += moved;
    }
    // Whatever grew past the size seen at the start.
    return CopyThroughBuffer(from, to);
}

}

std::unique_ptr<SafeFileWriter> WriteFileCopy(const QString& source, const QString& target, SafeFileWriter::StaleTemporaries stale)
{
    auto copy = std::make_unique<SafeFileWriter>(target, stale);
    const QByteArray from_path = QFile::encodeName(source);
    if (from_path.isEmpty() || target.isEmpty()) {
        copy->Fail(ENOENT);
        return copy;
    }
    // Not waiting for a writer when the source is a pipe: it is refused below, as a device is.
    FileDescriptor from(::open(from_path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!from.IsOpen() || ::fstat(from.Get(), &info) != 0) {
        copy->Fail(errno);
        return copy;
    }
    if (!S_ISREG(info.st_mode)) {
        copy->Fail(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
        return copy;
    }
    // Copying a file onto itself would gain nothing.
    struct stat target_info {};
    if (::stat(QFile::encodeName(target).constData(), &target_info) == 0 && target_info.st_dev == info.st_dev
        && target_info.st_ino == info.st_ino) {
        copy->Fail(EINVAL);
        return copy;
    }
    if (!copy->Open())
        return copy;
    errno = 0;
    if (!CopyBytes(from.Get(), copy->Handle(), info.st_size))
        copy->Fail(errno != 0 ? errno : EIO);
    return copy;
}

bool CopyFileReplacing(const QString& source, const QString& target, QString* reason)
{
    const std::unique_ptr<SafeFileWriter> copy = WriteFileCopy(source, target);
    const bool copied = copy->Commit();
    if (!copied && reason)
        *reason = copy->ErrorText();
    return copied;
}
