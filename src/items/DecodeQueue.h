#pragma once

#include "items/DecodeKey.h"
#include "items/DecodeTicket.h"

#include <QImage>
#include <QSize>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QCoreApplication;

// How urgently a decode is wanted.
enum class DecodePriority {
    Preview, // a quick small decode shown while a large one runs: before everything else
    Shown,   // pictures of the page on screen: the user waits for them
    Ahead,   // pictures the user has not reached yet: only what the machine leaves over
};

struct DecodeRequest {
    DecodeKey key;
    // The size the file's header gave; a file whose pixels have another size has changed.
    QSize natural;
    // The size of the pixels wanted, at most the natural size.
    QSize size;
};

// The decoding of picture files on worker threads. Pictures on screen decode on threads of
// normal priority, one per core, so that other programs' load cannot starve them; pictures
// decoded ahead use as many threads at idle priority. Decoded pixels go into the picture
// cache, failures are noted there, and every ticket still held hears of the end on the
// user-interface thread (a queued call, never a poll).
//
// A request joins a decode of the same pixels already queued or running. A decode whose
// tickets have all been let go before it starts is dropped, so turning pages cancels what the
// pages left behind still wanted. A wanted decode waiting in the idle queue moves to the
// normal one when the page it is for comes on screen.
//
// All members may be called from any thread.
class DecodeQueue {
public:
    static DecodeQueue& Instance();

    // Starts decoding in the background unless a decode of the same pixels is queued or
    // running; the ticket hears when it ends. Without a ticket the decode runs in any case.
    void Start(const DecodeRequest& request, DecodePriority priority, const std::shared_ptr<DecodeTicket>& ticket);
    // The pixels now: waits for a decode of them running on a normal thread, takes one still
    // queued onto this thread, or decodes here (scaling larger pixels kept in the cache down
    // when there are some). The result is
    // kept in the picture cache. Null when the file does not decode.
    QImage Run(const DecodeRequest& request);

    // Wanted decodes queued or running at the priority (Shown counts previews too).
    int Pending(DecodePriority priority) const;

    // Decodes waiting for a thread, wanted or not. For tests.
    int Queued() const;
    // While held, the worker threads start nothing new (Run still decodes). For tests.
    void Hold(bool held);
    // Waits until nothing is queued or running (while held: running). For tests and
    // benchmarks.
    void WaitUntilIdle();
    // Whether nothing is queued or running and the user-interface thread has heard of every
    // decode that ended.
    bool Settled() const;
    // Drops everything queued and waits for the running decodes; nothing starts afterwards.
    // Called as the program ends, while the image readers still work.
    void Stop();

private:
    struct Job;
    using JobPointer = std::shared_ptr<Job>;

    DecodeQueue() = default;

    std::deque<JobPointer>& QueueOf(DecodePriority priority);
    JobPointer FindQueued(const DecodeRequest& request, DecodePriority* priority);
    JobPointer FindRunning(const DecodeRequest& request) const;
    void Enqueue(const JobPointer& job);
    void Promote(const JobPointer& job, DecodePriority from, DecodePriority to);
    void StartThreads();
    void Work(bool idle);
    QImage Execute(const JobPointer& job);
    void Complete(const JobPointer& job, QImage image, std::unique_lock<std::mutex>& lock);
    static QImage Decode(const DecodeRequest& request);
    void Deliver(QCoreApplication* application, std::vector<std::weak_ptr<DecodeTicket>> tickets);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<JobPointer> m_shown;
    std::deque<JobPointer> m_ahead;
    std::vector<JobPointer> m_running;
    std::vector<std::thread> m_threads;
    bool m_threads_started { false };
    bool m_held { false };
    bool m_stopped { false };
    // Ended decodes whose news the user-interface thread has not taken yet.
    std::atomic<int> m_unheard { 0 };
};
