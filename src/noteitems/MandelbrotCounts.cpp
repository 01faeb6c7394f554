#include "noteitems/MandelbrotCounts.h"

#include <QMetaObject>
#include <QObject>

#include <algorithm>
#include <cmath>

namespace {

// Along one axis: the pixel of the old view under the centre of each pixel of the new one,
// floor((i + 1/2) * ratio + offset), or -1 where the old view has none.
std::vector<int> SourcePixels(int count, long double ratio, long double offset, int source_count)
{
    std::vector<int> sources(std::size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const long double source = std::floor((i + 0.5L) * ratio + offset);
        // NaN fails this test as well.
        sources[std::size_t(i)] = source >= 0 && source < source_count ? int(source) : -1;
    }
    return sources;
}

long double Step(const MandelbrotView& view)
{
    return view.zoom_rate / std::min(view.width, view.height);
}

MandelbrotRender::Progress Joined(MandelbrotRender::Progress first, const MandelbrotRender::Progress& second)
{
    if (second.HasRows()) {
        first.first = first.HasRows() ? std::min(first.first, second.first) : second.first;
        first.last = std::max(first.last, second.last);
    }
    first.rows += second.rows;
    first.complete = second.complete;
    first.stalled = second.stalled;
    return first;
}

}

MandelbrotCounts::MandelbrotCounts() = default;

MandelbrotCounts::~MandelbrotCounts()
{
    CancelRender();
}

std::uint8_t MandelbrotCounts::At(int x, int y) const
{
    if (m_counts.empty() || x < 0 || y < 0 || x >= m_view.width || y >= m_view.height)
        return kUnknown;
    return m_counts[std::size_t(y) * std::size_t(m_view.width) + std::size_t(x)];
}

void MandelbrotCounts::Carry(
    const MandelbrotView& from, const std::uint8_t* from_counts, const MandelbrotView& to, std::uint8_t* to_counts)
{
    const std::size_t to_width = std::size_t(std::max(to.width, 0));
    const std::size_t to_size = to_width * std::size_t(std::max(to.height, 0));
    if (from.width <= 0 || from.height <= 0 || to_size == 0) {
        std::fill_n(to_counts, to_size, kUnknown);
        return;
    }
    // A pixel's point is its corner: pixel * step + step * pixels * shift. The offset between
    // the two corners in old pixels is taken from the shifts before it is scaled, so that a
    // zoom by a power of two about the centre is carried over exactly at any depth.
    const long double ratio = Step(to) / Step(from);
    const long double offset_x = from.width * (ratio * (static_cast<long double>(to.width) / from.width) * to.shift_x - from.shift_x);
    const long double offset_y = from.height * (ratio * (static_cast<long double>(to.height) / from.height) * to.shift_y - from.shift_y);
    const std::vector<int> columns = SourcePixels(to.width, ratio, offset_x, from.width);
    const std::vector<int> rows = SourcePixels(to.height, ratio, offset_y, from.height);
    for (int y = 0; y < to.height; ++y) {
        std::uint8_t* line = to_counts + std::size_t(y) * to_width;
        if (rows[std::size_t(y)] < 0) {
            std::fill_n(line, to_width, kUnknown);
            continue;
        }
        const std::uint8_t* source = from_counts + std::size_t(rows[std::size_t(y)]) * std::size_t(from.width);
        for (std::size_t x = 0; x < to_width; ++x)
            line[x] = columns[x] < 0 ? kUnknown : source[columns[x]];
    }
}

void MandelbrotCounts::Begin(const MandelbrotView& view, Notice notice, int workers)
{
    std::vector<std::uint8_t> counts(std::size_t(view.width) * std::size_t(view.height), kUnknown);
    if (!m_counts.empty())
        Carry(m_view, m_counts.data(), view, counts.data());
    if (!m_notice_target)
        m_notice_target = std::make_unique<QObject>();
    CancelRender();
    QObject* target = m_notice_target.get();
    m_render = MandelbrotRender::Start(
        view, [target, notice = std::move(notice)] { QMetaObject::invokeMethod(target, notice, Qt::QueuedConnection); },
        workers);
    m_view = view;
    m_counts.swap(counts);
    m_rendered_rows = 0;
    if (m_render->Stalled())
        Finish();
}

void MandelbrotCounts::Compute(const MandelbrotView& view)
{
    std::vector<std::uint8_t> counts(std::size_t(view.width) * std::size_t(view.height), kUnknown);
    MandelbrotRender::Compute(view, counts.data());
    CancelRender();
    m_view = view;
    m_counts.swap(counts);
    m_rendered_rows = view.height;
    ++m_completed;
}

MandelbrotRender::Progress MandelbrotCounts::TakeFinishedRows()
{
    if (!m_render)
        return {};
    const MandelbrotRender::Progress progress = m_render->TakeFinishedRows(m_counts.data());
    m_rendered_rows += progress.rows;
    if (progress.stalled)
        return Joined(progress, Finish());
    if (progress.complete)
        Ended(progress);
    return progress;
}

MandelbrotRender::Progress MandelbrotCounts::Finish()
{
    if (!m_render)
        return {};
    m_render->Finish();
    const MandelbrotRender::Progress progress = m_render->TakeFinishedRows(m_counts.data());
    m_rendered_rows += progress.rows;
    Ended(progress);
    return progress;
}

void MandelbrotCounts::Ended(const MandelbrotRender::Progress& progress)
{
    Q_ASSERT(progress.complete);
    m_render->Cancel();
    m_render.reset();
    ++m_completed;
}

void MandelbrotCounts::CancelRender()
{
    if (!m_render)
        return;
    m_render->Cancel();
    m_render.reset();
}

void MandelbrotCounts::Clear()
{
    CancelRender();
    m_counts.clear();
    m_counts.shrink_to_fit();
    m_view = {};
    m_rendered_rows = 0;
}
