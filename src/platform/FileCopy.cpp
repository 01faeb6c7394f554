#include "platform/FileCopy.h"

#include <QFile>

#include <cerrno>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    // Closing reports the last write errors of some file systems.
    bool Close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

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

bool CopyFileReplacing(const QString& source, const QString& target)
{
    const QByteArray from_path = QFile::encodeName(source);
    const QByteArray to_path = QFile::encodeName(target);
    if (from_path.isEmpty() || to_path.isEmpty())
        return false;
    FileDescriptor from(::open(from_path.constData(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!from.IsOpen() || ::fstat(from.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    // The same file on both sides would be emptied by the truncation below.
    struct stat target_info {};
    if (::stat(to_path.constData(), &target_info) == 0 && target_info.st_dev == info.st_dev && target_info.st_ino == info.st_ino)
        return false;
    FileDescriptor to(::open(to_path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!to.IsOpen())
        return false;
    const bool copied = CopyBytes(from.Get(), to.Get(), info.st_size) && to.Close();
    if (!copied)
        ::unlink(to_path.constData());
    return copied;
}
