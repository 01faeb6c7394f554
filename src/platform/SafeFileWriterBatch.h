#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class SafeFileWriter;

// Commits many SafeFileWriters with the promise of each, without waiting for the disk once
// per file: a writer's contents set off for the disk as soon as it is added, and Commit waits
// for all of them together, renames each new file over its target and syncs each folder
// once. Every writer keeps its own outcome: one that fails leaves its target as it was and
// its new file removed, and the others go on.
class SafeFileWriterBatch {
public:
    SafeFileWriterBatch() = default;
    // Removes the new files of the writers not committed; their targets stay as they were.
    ~SafeFileWriterBatch();
    SafeFileWriterBatch(const SafeFileWriterBatch&) = delete;
    SafeFileWriterBatch& operator=(const SafeFileWriterBatch&) = delete;

    // Takes a writer that holds its whole contents (opened and written, not committed; or one
    // that failed already) and answers its number in the batch, counted from 0. Each waiting
    // writer keeps its file open; past kMostWaiting of them, those are committed first.
    int Add(std::unique_ptr<SafeFileWriter> writer);
    // Commits every writer added so far. True when each of them replaced its target.
    bool Commit();
    // After Commit: why the writer of that number did not replace its target; empty when it
    // did.
    QString ErrorText(int number) const;

    static constexpr int kMostWaiting = 64;

private:
    struct Waiting {
        std::unique_ptr<SafeFileWriter> writer;
        int number;
    };

    void CommitWaiting();

    std::vector<Waiting> m_waiting;
    std::vector<QString> m_errors;
    // The folders that new files were renamed into since the last Commit.
    QStringList m_folders;
};
