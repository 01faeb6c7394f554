#include "noteitems/MandelbrotRender.h"

#include "platform/WorkerThread.h"

#include <algorithm>
#include <cstring>

#include <QtGlobal>

MandelbrotRender::MandelbrotRender(const MandelbrotView& view, std::uint8_t* counts)
    : m_escape(view)
    , m_counts(counts)
    , m_rows(std::size_t(m_escape.Height()), RowState::Free)
{
}

bool MandelbrotRender::TakeRow(int& row, bool retake)
{
    std::lock_guard guard(m_lock);
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
    if (m_rows[row] == RowState::Done)
        return;
    std::memcpy(m_counts + std::size_t(row) * m_escape.Width(), values, std::size_t(m_escape.Width()));
    m_rows[row] = RowState::Done;
    ++m_done_rows;
}

bool MandelbrotRender::AllDone()
{
    std::lock_guard guard(m_lock);
    return m_done_rows == m_escape.Height();
}

void MandelbrotRender::Work(bool retake)
{
    std::vector<std::uint8_t> values(std::size_t(m_escape.Width()));
    int row = 0;
    while (TakeRow(row, retake)) {
        m_escape.ComputeRow(row, values.data());
        FinishRow(row, values.data());
    }
}

std::vector<std::unique_ptr<WorkerThread>>& MandelbrotRender::LingeringWorkers()
{
    // Workers may still finish a row that was computed again without them; they are ended at
    // the next render. The list is never destroyed, so that the end of the program does not
    // wait for a worker that gets no processor time.
    static auto* workers = new std::vector<std::unique_ptr<WorkerThread>>;
    return *workers;
}

void MandelbrotRender::ReapWorkers()
{
    auto& workers = LingeringWorkers();
    workers.erase(std::remove_if(workers.begin(), workers.end(), [](const auto& worker) { return !worker->Running(); }),
        workers.end());
}

void MandelbrotRender::Compute(const MandelbrotView& view, std::uint8_t* counts)
{
    ReapWorkers();
    const auto render = std::make_shared<MandelbrotRender>(view, counts);
    if (render->m_escape.Height() == 0)
        return;
    for (int index = 0; index < kWorkers; ++index) {
        auto worker = std::make_unique<WorkerThread>();
        // The worker keeps the render alive until it has finished its last row.
        if (worker->Start([render](WorkerThread&) { render->Work(false); }))
            LingeringWorkers().push_back(std::move(worker));
    }
    // Free rows, then the rows the workers hold: when this returns every row is done.
    render->Work(true);
    Q_ASSERT(render->AllDone());
}
