#pragma once

#include "noteitems/MandelbrotEscape.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class WorkerThread;

// One computation of the escape counts of a view, shared by the two render workers and the
// user-interface thread that asked for it. Rows are handed out under the lock; a finished row
// is copied into the counts under the lock, once. The asking thread, which is blocked until
// every row is done, takes rows as well, and when none is left it computes again the rows the
// workers still hold: the workers run at idle priority and may hardly run at all while other
// programs keep the processor busy, and the editor must not wait for them. It never waits for
// a worker and never polls.
class MandelbrotRender {
public:
    static constexpr int kWorkers = 2;

    // Fills counts (width * height bytes, row after row) and returns when every row is done.
    static void Compute(const MandelbrotView& view, std::uint8_t* counts);

    MandelbrotRender(const MandelbrotView& view, std::uint8_t* counts);

    // The steps of the threads of a render. A worker runs Work(false), the asking thread
    // Work(true).
    // Takes the next free row, or with `retake` a row a worker holds that nobody has taken
    // again; false when there is none.
    bool TakeRow(int& row, bool retake);
    // Copies a computed row into the counts unless it is done already.
    void FinishRow(int row, const std::uint8_t* values);
    void Work(bool retake);
    bool AllDone();

private:
    enum class RowState : std::uint8_t { Free, Taken, Retaken, Done };

    // Ends the workers of earlier renders that have finished.
    static void ReapWorkers();
    static std::vector<std::unique_ptr<WorkerThread>>& LingeringWorkers();

    const MandelbrotEscape m_escape;
    std::uint8_t* m_counts; // written only under the lock, and only until every row is done
    std::mutex m_lock;
    std::vector<RowState> m_rows; // guarded by m_lock
    int m_next_row { 0 };         // guarded by m_lock
    int m_done_rows { 0 };        // guarded by m_lock
    int m_retake_from { 0 };      // guarded by m_lock
};
