#pragma once

#include "noteitems/MandelbrotEscape.h"
#include "noteitems/MandelbrotRender.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QObject;

// The escape counts a picture shows: those of one view, complete or while its render runs.
//
// A new view first carries the counts of the one before over (each pixel takes the count of
// the old pixel under its centre), so that a zoom shows the old picture scaled and moved
// until the render's rows replace it; pixels the old view does not cover are unknown (0, a
// count no point has). Only the render of the view shown ever lands in the counts.
class MandelbrotCounts {
public:
    static constexpr std::uint8_t kUnknown = 0;
    // Runs on the thread that began the render, when rows may be taken.
    using Notice = std::function<void()>;

    MandelbrotCounts();
    ~MandelbrotCounts();
    MandelbrotCounts(const MandelbrotCounts&) = delete;
    MandelbrotCounts& operator=(const MandelbrotCounts&) = delete;

    const MandelbrotView& View() const { return m_view; }
    bool Shows(const MandelbrotView& view) const { return !m_counts.empty() && m_view == view; }
    bool IsEmpty() const { return m_counts.empty(); }
    bool IsRendering() const { return m_render != nullptr; }
    // Renders completed since the counts were made.
    int CompletedRenders() const { return m_completed; }
    // Rows of the view's render that have landed in the counts.
    int RenderedRows() const { return m_rendered_rows; }
    const std::uint8_t* Data() const { return m_counts.data(); }
    // The count of a pixel; kUnknown outside the view.
    std::uint8_t At(int x, int y) const;
    // The running render, for tests that look at it part way.
    const std::shared_ptr<MandelbrotRender>& Render() const { return m_render; }

    // Shows a view and starts its render by so many workers; the notice is queued to this
    // thread whenever rows are finished. A render no worker runs is finished here at once. May
    // throw std::bad_alloc.
    void Begin(const MandelbrotView& view, Notice notice, int workers = MandelbrotRender::kWorkers);
    // Shows a view with every count computed before it returns.
    void Compute(const MandelbrotView& view);
    // Takes the rows finished since the last call. A render whose workers all failed is
    // finished on this thread.
    MandelbrotRender::Progress TakeFinishedRows();
    // Completes the running render on this thread; the rows it took.
    MandelbrotRender::Progress Finish();
    // Forgets the counts and cancels the render.
    void Clear();

    // The counts of one view shown in another: each pixel of `to` takes the count of the pixel
    // of `from` under its centre, kUnknown where there is none.
    static void Carry(const MandelbrotView& from, const std::uint8_t* from_counts, const MandelbrotView& to,
        std::uint8_t* to_counts);

private:
    void CancelRender();
    void Ended(const MandelbrotRender::Progress& progress);

    MandelbrotView m_view;
    std::vector<std::uint8_t> m_counts;
    std::shared_ptr<MandelbrotRender> m_render;
    // Receives the render's notices on this thread. Notices still queued when it goes are
    // dropped with it.
    std::unique_ptr<QObject> m_notice_target;
    int m_completed { 0 };
    int m_rendered_rows { 0 };
};
