#include "noteitems/MandelbrotRender.h"

#include "platform/WorkerShutdown.h"
#include "platform/WorkerThread.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <iterator>

#include <QtGlobal>

namespace {

// The rows tests allow the workers; -1: no limit. Workers only take the lock while tests
// ration them.
struct Ration {
    std::mutex lock;
    std::condition_variable changed;
    int rows { -1 };                    // guarded by lock
    std::atomic<bool> limited { false }; // rows >= 0
};

Ration& Rations()
{
    // Never destroyed: workers read it until they have ended.
    static auto* ration = new Ration;
    return *ration;
}

// The workers of every render, kept until they have ended; those of earlier renders may still
// finish a row nobody wants any more. At the end of the program each is asked to stop after
// its row and joined, like every other worker of the process.
struct Lingering {
    std::mutex lock;
    std::vector<std::unique_ptr<WorkerThread>> workers; // guarded by lock
};

Lingering& LingeringWorkers()
{
    static Lingering* lingering = [] {
        auto* made = new Lingering;
        WorkerShutdown::Register(&MandelbrotRender::StopAllWorkers);
        return made;
    }();
    return *lingering;
}

}

MandelbrotRender::MandelbrotRender(const MandelbrotView& view)
    : m_view(view)
    , m_escape(view)
    , m_counts(std::size_t(m_escape.Width()) * std::size_t(m_escape.Height()))
    , m_rows(std::size_t(m_escape.Height()), RowState::Free)
{
}

void MandelbrotRender::StopAllWorkers()
{
    std::vector<std::unique_ptr<WorkerThread>> workers;
    {
        Lingering& lingering = LingeringWorkers();
        std::lock_guard guard(lingering.lock);
        workers.swap(lingering.workers);
    }
    for (const auto& worker : workers)
        worker->RequestStop();
    // Workers that tests held back go on to their stop.
    MandelbrotRender::RationRows(-1);
    // Each ends after the row it holds; destroying it joins it.
    workers.clear();
}

std::shared_ptr<MandelbrotRender> MandelbrotRender::Start(const MandelbrotView& view, Notice notice, int workers)
{
    ReapWorkers();
    auto render = std::make_shared<MandelbrotRender>(view);
    render->m_notice = std::move(notice);
    render->StartWorkers(render, workers);
    return render;
}

void MandelbrotRender::Compute(const MandelbrotView& view, std::uint8_t* counts)
{
    const auto render = Start(view, {});
    render->Finish();
    render->TakeFinishedRows(counts);
    render->Cancel();
}

void MandelbrotRender::StartWorkers(const std::shared_ptr<MandelbrotRender>& self, int workers)
{
    if (m_escape.Height() == 0)
        return;
    for (int index = 0; index < workers; ++index) {
        auto worker = std::make_unique<WorkerThread>();
        // The user waits for the picture: it must not starve behind other programs' load.
        worker->SetPriority(WorkerThread::Priority::Normal);
        {
            std::lock_guard guard(m_lock);
            ++m_live_workers;
        }
        // The guard tells the render that the worker has ended, also when its work fails. The
        // worker lets go of the render as it ends, so that its counts do not linger with it.
        const bool started = worker->Start([render = self](WorkerThread& thread) mutable {
            {
                struct Ended {
                    MandelbrotRender& render;
                    ~Ended() { render.WorkerEnded(); }
                } ended { *render };
                render->Work(false, &thread);
            }
            render.reset();
        });
        if (started) {
            std::lock_guard guard(LingeringWorkers().lock);
            LingeringWorkers().workers.push_back(std::move(worker));
        } else {
            std::lock_guard guard(m_lock);
            --m_live_workers;
        }
    }
}

void MandelbrotRender::ReapWorkers()
{
    Lingering& lingering = LingeringWorkers();
    std::vector<std::unique_ptr<WorkerThread>> ended;
    {
        std::lock_guard guard(lingering.lock);
        const auto running_end = std::partition(lingering.workers.begin(), lingering.workers.end(),
            [](const auto& worker) { return worker->Running(); });
        std::move(running_end, lingering.workers.end(), std::back_inserter(ended));
        lingering.workers.erase(running_end, lingering.workers.end());
    }
    // Joined outside the lock; each has returned from its work already.
    ended.clear();
}

void MandelbrotRender::WorkerEnded()
{
    std::lock_guard guard(m_lock);
    --m_live_workers;
    if (m_live_workers == 0 && m_done_rows < m_escape.Height())
        Notify();
}

void MandelbrotRender::Notify()
{
    if (m_cancelled || m_notice_pending || !m_notice)
        return;
    m_notice_pending = true;
    m_notice();
}

void MandelbrotRender::Cancel()
{
    {
        std::lock_guard guard(m_lock);
        m_cancelled = true;
        m_notice = nullptr;
    }
    // Workers waiting for their ration end now.
    Ration& ration = Rations();
    { std::lock_guard guard(ration.lock); }
    ration.changed.notify_all();
}

void MandelbrotRender::RationRows(int rows)
{
    Ration& ration = Rations();
    {
        std::lock_guard guard(ration.lock);
        ration.rows = rows;
        ration.limited = rows >= 0;
    }
    ration.changed.notify_all();
}

bool MandelbrotRender::WaitForRation()
{
    Ration& ration = Rations();
    if (!ration.limited)
        return !m_cancelled;
    std::unique_lock guard(ration.lock);
    ration.changed.wait(guard, [&] { return ration.rows != 0 || m_cancelled; });
    if (m_cancelled)
        return false;
    if (ration.rows > 0)
        --ration.rows;
    return true;
}

bool MandelbrotRender::TakeRow(int& row, bool retake)
{
    if (!retake && !WaitForRation())
        return false;
    std::lock_guard guard(m_lock);
    if (m_cancelled)
        return false;
    if (m_next_row < m_escape.Height()) {
        row = m_next_row++;
        m_rows[row] = RowState::Taken;
        return true;
    }
    if (!retake)
        return false;
    for (; m_retake_from < m_escape.Height(); ++m_retake_from) {
        if (m_rows[m_retake_from] == RowState::Taken) {
            row = m_retake_from++;
            m_rows[row] = RowState::Retaken;
            return true;
        }
    }
    return false;
}

void MandelbrotRender::FinishRow(int row, const std::uint8_t* values)
{
    std::lock_guard guard(m_lock);
    if (m_cancelled || m_rows[row] == RowState::Done)
        return;
    std::memcpy(m_counts.data() + std::size_t(row) * m_escape.Width(), values, std::size_t(m_escape.Width()));
    m_rows[row] = RowState::Done;
    ++m_done_rows;
    m_fresh_rows.push_back(row);
    Notify();
}

void MandelbrotRender::Work(bool retake, const WorkerThread* worker)
{
    std::vector<std::uint8_t> values(std::size_t(m_escape.Width()));
    int row = 0;
    while (!(worker && worker->StopRequested()) && TakeRow(row, retake)) {
        m_escape.ComputeRow(row, values.data());
        FinishRow(row, values.data());
    }
}

void MandelbrotRender::Finish()
{
    // Whoever finishes takes the rows itself: no notice is needed any more.
    {
        std::lock_guard guard(m_lock);
        m_notice = nullptr;
    }
    Work(true);
    Q_ASSERT(m_cancelled || AllDone());
}

MandelbrotRender::Progress MandelbrotRender::TakeFinishedRows(std::uint8_t* counts)
{
    std::lock_guard guard(m_lock);
    Progress progress;
    const std::size_t width = std::size_t(m_escape.Width());
    for (const int row : m_fresh_rows) {
        std::memcpy(counts + std::size_t(row) * width, m_counts.data() + std::size_t(row) * width, width);
        progress.first = progress.HasRows() ? std::min(progress.first, row) : row;
        progress.last = std::max(progress.last, row);
    }
    progress.rows = int(m_fresh_rows.size());
    m_fresh_rows.clear();
    m_notice_pending = false;
    progress.complete = m_done_rows == m_escape.Height();
    progress.stalled = !progress.complete && m_live_workers == 0;
    return progress;
}

bool MandelbrotRender::AllDone()
{
    std::lock_guard guard(m_lock);
    return m_done_rows == m_escape.Height();
}

int MandelbrotRender::DoneRows()
{
    std::lock_guard guard(m_lock);
    return m_done_rows;
}

bool MandelbrotRender::Stalled()
{
    std::lock_guard guard(m_lock);
    return m_done_rows < m_escape.Height() && m_live_workers == 0;
}
