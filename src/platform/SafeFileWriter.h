#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

// The one way the program writes a file. The contents go into a new hidden file in the
// target's folder (so the final rename never crosses file systems); every write is checked,
// and the new file is flushed to disk and closed with checks before it is renamed over the
// target. On any failure the target stays as it was and the new file is removed, so a full
// disk, a file size limit or a folder that takes no new files never costs the user the old
// file. A target that is a symbolic link is written through: the link stays and the file it
// names is replaced. An existing target's permissions carry over to its replacement.
// The new file's hidden name carries this process's id, so that a write killed midway leaves
// a file the next write to the same target recognises as stale and removes, while the new
// file of a write still under way in another process is left alone.
// SafeFileWriterBatch commits many writers with one wait for the disk.
class SafeFileWriter {
public:
    // Whether Open looks for the new files of killed writes to the same target and removes
    // them. Only a writer into a folder it has just made has nothing to look for.
    enum class StaleTemporaries { Remove, Leave };

    explicit SafeFileWriter(const QString& target, StaleTemporaries stale = StaleTemporaries::Remove);
    // Removes the new file unless it was committed.
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the new file. False when it cannot be made (ErrorText says why).
    bool Open();
    // Where the contents go between Open and Commit: a seekable device open for writing,
    // unbuffered, so that a write that fails shows in its result and is remembered.
    QIODevice& Device();
    // The new file's descriptor, for callers that move bytes with the kernel; they report a
    // failure of their own with Fail.
    int Handle() const { return m_fd; }
    // Records a failure (an errno value) noticed by the caller; Commit then refuses.
    void Fail(int error_number);
    // Makes the new file the target. False, with the target unchanged and the new file gone,
    // when any write, the flush to disk, the close or the rename failed.
    bool Commit();
    // Drops the new file; the target stays as it was.
    void Abandon();

    // The file that is replaced: the target with its links followed.
    const QString& FinalPath() const { return m_final_path; }
    // Why the writing failed, as the system words it; empty while nothing failed.
    QString ErrorText() const;

    // Writes the bytes as the whole new contents of the target. On failure reason (when
    // given) tells why.
    static bool WriteFile(const QString& target, const QByteArray& bytes, QString* reason = nullptr);

private:
    friend class SafeFileWriterBatch;
    class CheckedFile;

    // The steps of Commit, in order; each removes the new file when it fails.
    // Ends the writing: false when the writer was never opened or a write failed.
    bool FinishWriting();
    // Sets the new contents on their way to disk without waiting for them.
    void StartFlush();
    // Waits until the new contents are on disk.
    bool Flush();
    // Closes the new file and renames it over the target.
    bool Replace();
    // Makes renames into the folder last. Its failure does not undo a new file in place.
    static void SyncFolder(const QString& folder);

    void SetError(int error_number);
    void CloseAndRemove();

    QString m_target;
    StaleTemporaries m_stale;
    QString m_final_path;
    QString m_temporary_path;
    QString m_error;
    int m_fd { -1 };
    std::unique_ptr<CheckedFile> m_file;
};
