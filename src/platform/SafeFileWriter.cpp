#include "platform/SafeFileWriter.h"

#include "platform/LeftoverFiles.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How many random names are tried before the folder is given up on.
constexpr int kNameAttempts = 16;

// A write past the process's file size limit ends the program unless the signal is ignored;
// ignored, it fails like a full disk, and the user keeps the note to save elsewhere.
void IgnoreFileSizeSignal()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGXFSZ, SIG_IGN);
    });
}

bool SyncToDisk(int fd)
{
    while (::fsync(fd) != 0) {
        if (errno == EINTR)
            continue;
        // A file that cannot be synchronised at all (EINVAL) is as safe as it gets.
        return errno == EINVAL;
    }
    return true;
}

QString SystemErrorText(int error_number)
{
    return QString::fromLocal8Bit(std::strerror(error_number));
}

}

// A file that remembers its first failed write and refuses every write after it, so a
// writer that does not look at every result still cannot make a whole file out of a part.
class SafeFileWriter::CheckedFile final : public QFile {
public:
    bool Failed() const { return m_failed; }
    const QString& Reason() const { return m_reason; }

protected:
    qint64 writeData(const char* data, qint64 length) override
    {
        if (m_failed)
            return -1;
        const qint64 written = QFile::writeData(data, length);
        if (written != length && !m_failed) {
            m_failed = true;
            m_reason = errorString();
        }
        return written;
    }

private:
    bool m_failed { false };
    QString m_reason;
};

SafeFileWriter::SafeFileWriter(const QString& target, StaleTemporaries stale)
    : m_target(target)
    , m_stale(stale)
    , m_file(std::make_unique<CheckedFile>())
{
}

SafeFileWriter::~SafeFileWriter()
{
    CloseAndRemove();
}

bool SafeFileWriter::Open()
{
    IgnoreFileSizeSignal();
    if (m_target.isEmpty()) {
        SetError(ENOENT);
        return false;
    }
    m_final_path = FollowLinks(m_target);
    const QByteArray final_name = QFile::encodeName(m_final_path);
    struct stat existing {};
    const bool exists = ::stat(final_name.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        SetError(EISDIR);
        return false;
    }
    // A file the user may not change is not replaced behind their back.
    if (exists && ::access(final_name.constData(), W_OK) != 0) {
        SetError(errno);
        return false;
    }
    if (m_stale == StaleTemporaries::Remove)
        LeftoverFiles::RemoveStaleTemporariesOf(m_final_path);
    for (int attempt = 0; attempt < kNameAttempts && m_fd < 0; ++attempt) {
        m_temporary_path = LeftoverFiles::TemporaryPathFor(m_final_path, QString::number(QRandomGenerator::global()->generate(), 16));
        m_fd = ::open(QFile::encodeName(m_temporary_path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        SetError(errno);
        m_temporary_path.clear();
        return false;
    }
    if (exists)
        ::fchmod(m_fd, existing.st_mode & 07777);
    if (!m_file->open(m_fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)) {
        SetError(EBADF);
        CloseAndRemove();
        return false;
    }
    return true;
}

QIODevice& SafeFileWriter::Device()
{
    return *m_file;
}

QString SafeFileWriter::ErrorText() const
{
    if (m_error.isEmpty() && m_file->Failed())
        return m_file->Reason();
    return m_error;
}

void SafeFileWriter::Fail(int error_number)
{
    if (ErrorText().isEmpty())
        SetError(error_number);
}

bool SafeFileWriter::Commit()
{
    if (!FinishWriting() || !Flush() || !Replace())
        return false;
    SyncFolder(FolderOf(m_final_path));
    return true;
}

bool SafeFileWriter::FinishWriting()
{
    if (m_fd < 0 || !ErrorText().isEmpty()) {
        if (ErrorText().isEmpty())
            SetError(EBADF);
        CloseAndRemove();
        return false;
    }
    m_file->close();
    return true;
}

void SafeFileWriter::StartFlush()
{
    // Only a hint: Flush waits for the contents whatever this managed.
    ::sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
}

bool SafeFileWriter::Flush()
{
    if (!SyncToDisk(m_fd)) {
        SetError(errno);
        CloseAndRemove();
        return false;
    }
    return true;
}

bool SafeFileWriter::Replace()
{
    // Some file systems tell of a failed write only when the file is closed. Linux closes
    // the descriptor also when close is interrupted.
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0 && errno != EINTR) {
        SetError(errno);
        CloseAndRemove();
        return false;
    }
    if (::rename(QFile::encodeName(m_temporary_path).constData(), QFile::encodeName(m_final_path).constData()) != 0) {
        SetError(errno);
        CloseAndRemove();
        return false;
    }
    m_temporary_path.clear();
    return true;
}

void SafeFileWriter::SyncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    SyncToDisk(fd);
    ::close(fd);
}

void SafeFileWriter::Abandon()
{
    CloseAndRemove();
}

void SafeFileWriter::SetError(int error_number)
{
    m_error = SystemErrorText(error_number);
}

void SafeFileWriter::CloseAndRemove()
{
    if (m_file->isOpen())
        m_file->close();
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_temporary_path.isEmpty())
        ::unlink(QFile::encodeName(std::exchange(m_temporary_path, QString())).constData());
}

bool SafeFileWriter::WriteFile(const QString& target, const QByteArray& bytes, QString* reason)
{
    SafeFileWriter writer(target);
    const bool written = writer.Open() && writer.Device().write(bytes) == bytes.size() && writer.Commit();
    if (!written && reason)
        *reason = writer.ErrorText();
    return written;
}
