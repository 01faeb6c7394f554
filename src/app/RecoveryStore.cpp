#include "app/RecoveryStore.h"

#include "document/RecoveryFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <atomic>

namespace {

std::unique_ptr<QLockFile> TryLock(const QString& lock_path)
{
    auto lock = std::make_unique<QLockFile>(lock_path);
    // A lock is stale only when its process has gone, never by its age: an editor may run for
    // days without touching it.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

}

QString RecoveryStore::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

RecoveryStore::RecoveryStore(QString folder)
    : m_folder(std::move(folder))
{
}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::LockPathOf(const QString& file_path)
{
    QString lock_path = file_path;
    lock_path.chop(qsizetype(sizeof RecoveryFile::kExtension) - 1);
    return lock_path + QStringLiteral(".lock");
}

bool RecoveryStore::Claim()
{
    if (m_lock)
        return true;
    if (m_folder.isEmpty() || !QDir().mkpath(m_folder))
        return false;
    // The start time keeps an editor whose process number was used before off the file of
    // the editor that had it; the count keeps apart stores of one process.
    static std::atomic<int> stores_made { 0 };
    const QString name = QStringLiteral("%1-%2-%3")
                             .arg(QCoreApplication::applicationPid())
                             .arg(QDateTime::currentMSecsSinceEpoch())
                             .arg(stores_made++);
    const QString file_path = QDir(m_folder).filePath(name + QLatin1String(RecoveryFile::kExtension));
    auto lock = TryLock(LockPathOf(file_path));
    if (!lock)
        return false;
    m_lock = std::move(lock);
    m_file_path = file_path;
    return true;
}

QStringList RecoveryStore::TakeOrphans()
{
    RemoveLeftLocks();
    const QFileInfoList files = QDir(m_folder).entryInfoList(
        { QStringLiteral("*") + QLatin1String(RecoveryFile::kExtension) }, QDir::Files, QDir::Time);
    QStringList orphans;
    for (const QFileInfo& file : files) {
        const QString path = file.absoluteFilePath();
        if (path == QFileInfo(m_file_path).absoluteFilePath())
            continue;
        if (m_orphan_locks.count(path) == 0) {
            auto lock = TryLock(LockPathOf(path));
            if (!lock)
                continue; // its editor still runs, or another one is offering it right now
            m_orphan_locks[path] = std::move(lock);
        }
        orphans << path;
    }
    return orphans;
}

void RecoveryStore::RemoveLeftLocks()
{
    const QFileInfoList locks = QDir(m_folder).entryInfoList({ QStringLiteral("*.lock") }, QDir::Files);
    for (const QFileInfo& lock_file : locks) {
        QString file_path = lock_file.absoluteFilePath();
        file_path.chop(qsizetype(sizeof ".lock") - 1);
        file_path += QLatin1String(RecoveryFile::kExtension);
        if (QFileInfo::exists(file_path))
            continue;
        // Taking and dropping the lock of an editor that ended removes it.
        TryLock(lock_file.absoluteFilePath());
    }
}

void RecoveryStore::Discard(const QString& orphan)
{
    const auto found = m_orphan_locks.find(orphan);
    if (found == m_orphan_locks.end())
        return;
    QFile::remove(orphan);
    m_orphan_locks.erase(found);
}

void RecoveryStore::ReleaseOrphans()
{
    m_orphan_locks.clear();
}
