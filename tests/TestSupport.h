#pragma once

#include <QDir>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Helpers shared by the test executables.
namespace TestSupport {

inline QString DataPath(const QString& name)
{
    return QStringLiteral(TESSARY_TEST_DATA "/") + name;
}

// Forgets what the program keeps between runs (in the test run's own configuration folder), so
// that a window starts as the first one on the machine.
inline void ForgetKeptSettings()
{
    QSettings kept(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tessary"), QStringLiteral("Tessary"));
    kept.clear();
    kept.sync();
}

// Lowers the largest file size the process may write while it lives, so that writing a file
// fails part way as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_saved_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_saved_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved {};
    void (*m_saved_handler)(int) { nullptr };
};

// Every entry of a folder, hidden ones included, sorted by name: what a failed write must
// not leave behind.
inline QStringList EntriesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Writes the bytes as the whole file; a test that cannot stops there.
inline void Put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A folder whose entries can be neither added nor removed while it lives: for an ordinary
// user a folder without write permission; for root, whom permissions do not stop, a small
// file system mounted read-only on it. fill makes the entries first. IsReady is false where
// neither works (root without the right to mount); the test then skips that part.
class ReadOnlyFolder {
public:
    ReadOnlyFolder(const QString& path, const std::function<void(const QString&)>& fill)
        : m_path(QFile::encodeName(path))
    {
        QDir().mkpath(path);
        if (::geteuid() != 0) {
            fill(path);
            m_ready = ::chmod(m_path.constData(), 0555) == 0;
            return;
        }
        if (::mount("tessary-test", m_path.constData(), "tmpfs", 0, "size=1m") != 0)
            return;
        m_mounted = true;
        fill(path);
        m_ready = ::mount(nullptr, m_path.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    ~ReadOnlyFolder()
    {
        if (m_mounted)
            ::umount2(m_path.constData(), MNT_DETACH);
        else
            ::chmod(m_path.constData(), 0755);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool IsReady() const { return m_ready; }

private:
    QByteArray m_path;
    bool m_mounted { false };
    bool m_ready { false };
};

}
