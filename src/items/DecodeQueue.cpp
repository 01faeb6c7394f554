#include "items/DecodeQueue.h"

#include "items/ImageDecoder.h"
#include "items/PictureCache.h"
#include "platform/ThreadPriority.h"
#include "platform/WorkerShutdown.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <algorithm>
#include <system_error>

struct DecodeQueue::Job {
    DecodeRequest request;
    DecodePriority priority { DecodePriority::Shown };
    std::vector<std::weak_ptr<DecodeTicket>> tickets;
    // Asked for without a ticket, or by a caller waiting for it: never dropped.
    bool unconditional { false };
    bool running { false };
    // Running on an idle-priority thread, which other programs' load may hold up.
    bool on_idle_thread { false };
    bool done { false };
    QImage result;

    bool Wanted() const
    {
        return unconditional || std::any_of(tickets.begin(), tickets.end(), [](const auto& ticket) { return !ticket.expired(); });
    }

    void Add(const std::shared_ptr<DecodeTicket>& ticket)
    {
        if (!ticket) {
            unconditional = true;
            return;
        }
        const bool known = std::any_of(tickets.begin(), tickets.end(),
            [&ticket](const auto& held) { return !held.owner_before(ticket) && !ticket.owner_before(held); });
        if (!known)
            tickets.push_back(ticket);
    }
};

namespace {

bool Matches(const DecodeRequest& job, const DecodeRequest& request)
{
    return job.key == request.key && job.size == request.size;
}

}

// Tells the tickets still held on the user-interface thread. The call is made also without
// tickets: it wakes the user-interface thread, whose idle pass then sees the decode ended.
// The caller has counted the call as unheard.
void DecodeQueue::Deliver(QCoreApplication* application, std::vector<std::weak_ptr<DecodeTicket>> tickets)
{
    QMetaObject::invokeMethod(
        application,
        [this, tickets = std::move(tickets)] {
            for (const auto& held : tickets)
                if (const std::shared_ptr<DecodeTicket> ticket = held.lock())
                    ticket->Arrived();
            --m_unheard;
        },
        Qt::QueuedConnection);
}

DecodeQueue& DecodeQueue::Instance()
{
    // Never destroyed; its threads end with the application (Stop).
    static DecodeQueue* queue = new DecodeQueue;
    return *queue;
}

std::deque<DecodeQueue::JobPointer>& DecodeQueue::QueueOf(DecodePriority priority)
{
    return priority == DecodePriority::Ahead ? m_ahead : m_shown;
}

DecodeQueue::JobPointer DecodeQueue::FindQueued(const DecodeRequest& request, DecodePriority* priority)
{
    for (DecodePriority queue : { DecodePriority::Shown, DecodePriority::Ahead }) {
        for (const JobPointer& job : QueueOf(queue)) {
            if (Matches(job->request, request)) {
                if (priority)
                    *priority = queue;
                return job;
            }
        }
    }
    return nullptr;
}

DecodeQueue::JobPointer DecodeQueue::FindRunning(const DecodeRequest& request) const
{
    // One on a normal thread first: it is the one sure to finish soon.
    JobPointer found;
    for (const JobPointer& job : m_running)
        if (Matches(job->request, request) && (!found || found->on_idle_thread))
            found = job;
    return found;
}

void DecodeQueue::Enqueue(const JobPointer& job)
{
    if (job->priority == DecodePriority::Preview)
        m_shown.push_front(job);
    else
        QueueOf(job->priority).push_back(job);
    StartThreads();
    m_wake.notify_all();
}

void DecodeQueue::Promote(const JobPointer& job, DecodePriority from, DecodePriority to)
{
    std::deque<JobPointer>& queue = QueueOf(from);
    queue.erase(std::find(queue.begin(), queue.end(), job));
    job->priority = to;
    Enqueue(job);
}

void DecodeQueue::Start(const DecodeRequest& request, DecodePriority priority, const std::shared_ptr<DecodeTicket>& ticket)
{
    if (request.key.path.isEmpty() || request.size.isEmpty())
        return;
    std::lock_guard lock(m_mutex);
    if (m_stopped)
        return;
    const bool urgent = priority != DecodePriority::Ahead;
    DecodePriority queued_at = DecodePriority::Shown;
    if (const JobPointer queued = FindQueued(request, &queued_at)) {
        queued->Add(ticket);
        if (urgent && (queued_at == DecodePriority::Ahead || priority == DecodePriority::Preview))
            Promote(queued, queued_at, priority);
        return;
    }
    if (const JobPointer running = FindRunning(request)) {
        running->Add(ticket);
        // An idle thread may be held up by other programs for long: the same pixels are
        // decoded again on a normal one, and the first to finish serves both.
        if (!(urgent && running->on_idle_thread))
            return;
    }
    auto job = std::make_shared<Job>();
    job->request = request;
    job->priority = priority;
    job->Add(ticket);
    Enqueue(job);
}

QImage DecodeQueue::Run(const DecodeRequest& request)
{
    if (request.key.path.isEmpty() || request.size.isEmpty())
        return {};
    std::unique_lock lock(m_mutex);
    if (const JobPointer running = FindRunning(request); running && !running->on_idle_thread) {
        running->unconditional = true;
        m_done.wait(lock, [&running] { return running->done; });
        if (!running->result.isNull())
            return running->result;
    }
    DecodePriority queued_at = DecodePriority::Shown;
    JobPointer job = FindQueued(request, &queued_at);
    if (job) {
        std::deque<JobPointer>& queue = QueueOf(queued_at);
        queue.erase(std::find(queue.begin(), queue.end(), job));
    } else {
        job = std::make_shared<Job>();
        job->request = request;
    }
    job->unconditional = true;
    job->running = true;
    job->on_idle_thread = false;
    m_running.push_back(job);
    lock.unlock();
    QImage image = Execute(job);
    lock.lock();
    Complete(job, image, lock);
    return image;
}

int DecodeQueue::Pending(DecodePriority priority) const
{
    std::lock_guard lock(m_mutex);
    const bool ahead = priority == DecodePriority::Ahead;
    const auto counted = [ahead](const JobPointer& job) { return (job->priority == DecodePriority::Ahead) == ahead; };
    int pending = 0;
    for (const JobPointer& job : ahead ? m_ahead : m_shown)
        pending += job->Wanted() ? 1 : 0;
    for (const JobPointer& job : m_running)
        pending += counted(job) ? 1 : 0;
    return pending;
}

int DecodeQueue::Queued() const
{
    std::lock_guard lock(m_mutex);
    return int(m_shown.size() + m_ahead.size());
}

void DecodeQueue::Hold(bool held)
{
    std::lock_guard lock(m_mutex);
    m_held = held;
    m_wake.notify_all();
}

bool DecodeQueue::Settled() const
{
    std::lock_guard lock(m_mutex);
    return m_running.empty() && m_shown.empty() && m_ahead.empty() && m_unheard == 0;
}

void DecodeQueue::WaitUntilIdle()
{
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return m_running.empty() && (m_held || (m_shown.empty() && m_ahead.empty())); });
}

void DecodeQueue::Stop()
{
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_shown.clear();
        m_ahead.clear();
        threads.swap(m_threads);
        m_wake.notify_all();
    }
    for (std::thread& thread : threads)
        if (thread.joinable())
            thread.join();
}

void DecodeQueue::StartThreads()
{
    if (m_threads_started || m_stopped)
        return;
    m_threads_started = true;
    WorkerShutdown::Register([this] { Stop(); });
    const int per_kind = std::max(1, QThread::idealThreadCount());
    for (bool idle : { false, true }) {
        for (int index = 0; index < per_kind; ++index) {
            try {
                m_threads.emplace_back([this, idle] { Work(idle); });
            } catch (const std::system_error&) {
                // Fewer threads decode more slowly; Run still decodes on the caller's thread.
            }
        }
    }
}

void DecodeQueue::Work(bool idle)
{
    if (idle)
        LowerCurrentThreadToIdle();
    std::deque<JobPointer>& queue = idle ? m_ahead : m_shown;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stopped || (!m_held && !queue.empty()); });
        if (m_stopped)
            return;
        const JobPointer job = queue.front();
        queue.pop_front();
        if (!job->Wanted()) {
            job->done = true;
            m_done.notify_all();
            continue;
        }
        job->running = true;
        job->on_idle_thread = idle;
        m_running.push_back(job);
        lock.unlock();
        QImage image = Execute(job);
        lock.lock();
        Complete(job, std::move(image), lock);
    }
}

QImage DecodeQueue::Execute(const JobPointer& job)
{
    try {
        return Decode(job->request);
    } catch (...) {
        // Out of memory while decoding: the picture shows nothing, as a broken file does.
        return {};
    }
}

QImage DecodeQueue::Decode(const DecodeRequest& request)
{
    PictureCache& cache = PictureCache::Instance();
    // Larger pixels at hand are scaled down, which costs less than reading the file again;
    // pixels of the very size (a twin decode finished first) are taken as they are.
    const QImage larger = cache.Find(request.key, request.size, PictureCache::Fit::Covering);
    if (!larger.isNull()) {
        if (larger.size() == request.size)
            return larger;
        return ImageDecoder::PrepareForDrawing(larger.scaled(request.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    if (cache.HasFailed(request.key))
        return {};
    const QSize scaled = request.size == request.natural ? QSize() : request.size;
    return ImageDecoder::Decode(request.key.path, scaled, request.natural, request.key.options);
}

void DecodeQueue::Complete(const JobPointer& job, QImage image, std::unique_lock<std::mutex>& lock)
{
    lock.unlock();
    try {
        if (image.isNull())
            PictureCache::Instance().MarkFailed(job->request.key);
        else
            PictureCache::Instance().Insert(job->request.key, image);
    } catch (...) {
        // The pixels are still handed to whoever waits for them.
    }
    lock.lock();
    QCoreApplication* application = QCoreApplication::instance();
    // Counted before the decode shows as ended, so that it is never settled in between.
    if (application)
        ++m_unheard;
    job->done = true;
    job->running = false;
    // The result stays with the job only for the callers waiting now.
    job->result = std::move(image);
    std::erase(m_running, job);
    std::vector<std::weak_ptr<DecodeTicket>> tickets = job->tickets;
    m_done.notify_all();
    lock.unlock();
    if (application)
        Deliver(application, std::move(tickets));
    lock.lock();
}
