#pragma once

#include <QDir>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

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

}
