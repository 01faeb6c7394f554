#pragma once

#include "noteitems/MandelbrotEscape.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class WorkerThread;

// One computation of the escape counts of a view by the render workers, into counts of its
// own. Rows are handed out from the top under the lock; a finished row is copied into the
// counts under the lock, once.
//
// Nobody waits for the workers. Each finished row sends the notice, unless one is still
// unanswered; whoever shows the picture answers it by taking the rows finished so far. A
// cancelled render hands out no more rows and sends no more notices, and its workers end
// after the row they hold; they keep the render alive until then. Whoever needs the whole
// picture at once (an export) calls Finish, which computes on the calling thread every row
// that is not done, also those that workers still hold: the calling thread never waits for a
// worker that may hardly get the processor.
class MandelbrotRender {
public:
    static constexpr int kWorkers = 2;
    // Sent on a worker, under the render's lock: it may post elsewhere, never call the render.
    using Notice = std::function<void()>;

    // What a call to TakeFinishedRows handed over.
    struct Progress {
        int first { 0 }; // the rows copied, first to last; none when first > last
        int last { -1 };
        int rows { 0 }; // how many
        bool complete { false }; // every row is done and taken
        bool stalled { false };  // rows are left but no worker runs (a worker failed)
        bool HasRows() const { return first <= last; }
    };

    // Starts so many workers on a view. When none can be started the render is stalled at once.
    static std::shared_ptr<MandelbrotRender> Start(const MandelbrotView& view, Notice notice, int workers = kWorkers);
    // Fills counts (width * height bytes, row after row) and returns when every row is done.
    static void Compute(const MandelbrotView& view, std::uint8_t* counts);

    explicit MandelbrotRender(const MandelbrotView& view);

    const MandelbrotView& View() const { return m_view; }
    void Cancel();
    bool IsCancelled() const { return m_cancelled; }
    // Returns when every row is done, computing on the calling thread whatever is left.
    void Finish();
    // Copies the rows finished since the last call into counts (the view's size, row after
    // row) and answers the notice.
    Progress TakeFinishedRows(std::uint8_t* counts);
    bool AllDone();
    int DoneRows();
    // Rows are left but no worker runs: every worker failed or none could start.
    bool Stalled();

    // Asks the workers of every render to stop after their row and waits until they have
    // ended; the end of the program does this.
    static void StopAllWorkers();

    // Tests ration the rows that workers take, to look at renders part way: so many more rows
    // for all renders together, or -1 for no limit.
    static void RationRows(int rows);

    // The steps of the threads of a render. A worker runs Work(false, itself) and ends early when
    // asked to stop; Finish runs Work(true).
    // Takes the next free row, or with `retake` a row a worker holds that nobody has taken
    // again; false when there is none or the render is cancelled.
    bool TakeRow(int& row, bool retake);
    // Copies a computed row into the counts unless it is done already.
    void FinishRow(int row, const std::uint8_t* values);
    void Work(bool retake, const WorkerThread* worker = nullptr);

private:
    enum class RowState : std::uint8_t { Free, Taken, Retaken, Done };

    void StartWorkers(const std::shared_ptr<MandelbrotRender>& self, int workers);
    void WorkerEnded();
    // Sends the notice unless one is unanswered; under the lock.
    void Notify();
    bool WaitForRation();
    // Ends the workers of earlier renders that have finished.
    static void ReapWorkers();

    const MandelbrotView m_view;
    const MandelbrotEscape m_escape;
    std::atomic<bool> m_cancelled { false };
    std::mutex m_lock;
    std::vector<std::uint8_t> m_counts; // guarded by m_lock
    std::vector<RowState> m_rows;       // guarded by m_lock
    std::vector<int> m_fresh_rows;      // finished and not taken yet; guarded by m_lock
    Notice m_notice;                    // guarded by m_lock
    bool m_notice_pending { false };    // guarded by m_lock
    int m_next_row { 0 };               // guarded by m_lock
    int m_done_rows { 0 };              // guarded by m_lock
    int m_retake_from { 0 };            // guarded by m_lock
    int m_live_workers { 0 };           // guarded by m_lock
};
