#pragma once

#include "document/NoteSnapshot.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

// Keeps one recovery file up to date from the user-interface thread without making it wait.
// Each request replaces the one before it that was not carried out yet, so a burst of changes
// costs one write: the first change after a quiet second is written at once, later ones at
// most once per interval, always the newest. The worker sleeps on a condition until there is
// something to do; it never polls. It runs at normal priority, unlike the program's idle
// workers: on a busy machine an idle thread may wait for minutes, and this copy is what
// protects the user's work.
class RecoveryWriter {
public:
    static constexpr std::chrono::milliseconds kInterval { 1000 };

    explicit RecoveryWriter(QString path, std::chrono::milliseconds interval = kInterval);
    // Carries out the last request, a write without waiting for the interval, then stops.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    const QString& Path() const { return m_path; }

    // The note to keep. Costs the caller a copy of the page list, whose texts are shared.
    void Submit(NoteSnapshot snapshot);
    // There is nothing to keep: the file goes, and a write not yet done is dropped.
    void Remove();
    // Carries out the last request now, on the calling thread, and returns once it is on disk
    // (or failed). For the end of the session, when there is no second to wait. False when
    // the file does not hold the last note submitted.
    bool Flush();

    // Why the last write failed, as the system words it; none while the last write (or the
    // last removal) succeeded, or before any.
    std::optional<QString> Failure() const;

    // How many writes were done, successful or not; for tests.
    int WriteCount() const;

private:
    struct Request {
        std::optional<NoteSnapshot> snapshot; // none: remove the file
    };

    void Run();
    // Writes or removes the file and records how that went; the caller holds the file lock.
    bool CarryOut(const Request& request);

    const QString m_path;
    const std::chrono::milliseconds m_interval;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Request> m_pending;                     // guarded by m_mutex
    std::chrono::steady_clock::time_point m_next_write {}; // guarded by m_mutex
    bool m_stopping { false };                            // guarded by m_mutex
    int m_writes { 0 };                                   // guarded by m_mutex

    // Held while the file is written or removed; taken while m_mutex is held, so requests
    // reach the file in the order in which they were taken.
    std::mutex m_file_mutex;
    // Taken alone, never while waiting for another lock.
    mutable std::mutex m_failure_mutex;
    std::optional<QString> m_failure; // guarded by m_failure_mutex
    std::thread m_worker;
};
