#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <memory>

class QLockFile;

// The recovery files of the editors that run or ran, in a folder of the user's data folder.
// Every running editor claims a file of its own, named after its process and start time, and
// holds a lock file beside it for as long as it runs; so several editors never write into the
// same file. A file whose lock is gone, or whose lock names a process that no longer runs,
// was left by an editor that crashed, was killed or ended with the session: at the next start
// such orphans are offered back. While a store lists an orphan it holds the orphan's lock, so
// two editors starting together do not both offer it.
class RecoveryStore {
public:
    // The folder in the user's data folder.
    static QString DefaultFolder();

    explicit RecoveryStore(QString folder = DefaultFolder());
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    // Makes the folder and takes a file of this editor's own; false when neither works (the
    // editor then runs without recovery).
    bool Claim();
    // This editor's recovery file; empty before a successful claim.
    const QString& FilePath() const { return m_file_path; }

    // The recovery files whose owner no longer runs, the most recently written first; each
    // stays locked by this store until it is discarded or the store ends.
    QStringList TakeOrphans();
    // Deletes an orphan that was taken, with its lock.
    void Discard(const QString& orphan);
    // Gives up the locks of the orphans taken and not discarded: they are left for later.
    void ReleaseOrphans();

private:
    static QString LockPathOf(const QString& file_path);
    // Removes the locks of editors that ended without a recovery file (they had nothing to
    // keep).
    void RemoveLeftLocks();

    QString m_folder;
    QString m_file_path;
    std::unique_ptr<QLockFile> m_lock;
    std::map<QString, std::unique_ptr<QLockFile>> m_orphan_locks;
};
