#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

// A background worker: runs one piece of work on its own thread, at idle priority unless the
// user waits for its result. A failure of
// the work is reported to the user as a warning, queued to the user-interface thread, and the
// worker ends in order. The owner sees whether the worker still runs and may then start
// another one on the same object.
class WorkerThread {
public:
    using Work = std::function<void(WorkerThread&)>;

    enum class Priority {
        Idle,   // work the user does not wait for: it runs when nothing else wants the processor
        Normal, // work the user waits for: it must not starve behind other programs' load
    };

    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the work on a new thread unless a work is still running (then false). When no
    // thread can be made, Failed() is set and the answer is false.
    bool Start(Work work);
    // Applies to the works started after it.
    void SetPriority(Priority priority) { m_priority = priority; }
    bool Running() const;
    bool Failed() const { return m_failed; }

    // The work polls this to end early.
    bool StopRequested() const { return m_stop_requested; }
    // Asks the work to stop; it ends at its next look.
    void RequestStop() { m_stop_requested = true; }
    // Asks the work to stop and waits until it has ended.
    void StopAndWait();

private:
    static void Run(WorkerThread* worker);

    Work m_work;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    bool m_running { false }; // guarded by m_mutex
    std::atomic<bool> m_stop_requested { false };
    std::atomic<bool> m_failed { false };
    std::atomic<Priority> m_priority { Priority::Idle };
};
