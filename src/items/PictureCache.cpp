#include "items/PictureCache.h"

#include "platform/SystemMemory.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace {

constexpr qint64 kMaxDefaultLimit = qint64(1) << 30;
// Broken files are few; this only keeps a note of many of them from growing without end.
constexpr size_t kMaxFailures = 4096;

bool Covers(QSize have, QSize need)
{
    return have.width() >= need.width() && have.height() >= need.height();
}

qint64 Area(QSize size)
{
    return qint64(size.width()) * size.height();
}

}

PictureCache& PictureCache::Instance()
{
    // Never destroyed: decodes may still finish while the program ends.
    static PictureCache* cache = new PictureCache;
    return *cache;
}

PictureCache::PictureCache()
    : m_limit(DefaultLimit())
{
}

qint64 PictureCache::DefaultLimit()
{
    const qint64 quarter = PhysicalMemoryBytes() / 4;
    return quarter > 0 ? std::min(quarter, kMaxDefaultLimit) : kMaxDefaultLimit / 4;
}

qint64 PictureCache::Limit() const
{
    std::lock_guard lock(m_mutex);
    return m_limit;
}

void PictureCache::SetLimit(qint64 bytes)
{
    std::vector<QImage> released;
    std::lock_guard lock(m_mutex);
    m_limit = std::max<qint64>(0, bytes);
    Evict(released);
}

qint64 PictureCache::Bytes() const
{
    std::lock_guard lock(m_mutex);
    return m_bytes;
}

int PictureCache::Count() const
{
    std::lock_guard lock(m_mutex);
    return int(m_entries.size());
}

qint64 PictureCache::BytesOf(const QImage& image)
{
    return image.sizeInBytes();
}

void PictureCache::Touch(Position position)
{
    m_entries.splice(m_entries.begin(), m_entries, position);
}

QImage PictureCache::Find(const DecodeKey& key, QSize size, Fit fit)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_by_key.find(key);
    if (found == m_by_key.end())
        return {};
    std::optional<Position> best;
    for (Position position : found->second) {
        const QSize have = position->image.size();
        const bool fits = fit == Fit::Exact ? have == size : Covers(have, size);
        if (fits && (!best || Area(have) < Area((*best)->image.size())))
            best = position;
    }
    if (!best)
        return {};
    Touch(*best);
    return (*best)->image;
}

QImage PictureCache::Nearest(const DecodeKey& key, QSize size)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_by_key.find(key);
    if (found == m_by_key.end() || found->second.empty())
        return {};
    // Larger pixels show a picture better than smaller ones, and among them the smallest
    // costs least to draw; smaller ones are the larger the better.
    const auto better = [size](const Position& a, const Position& b) {
        const QSize first = a->image.size();
        const QSize second = b->image.size();
        const bool first_covers = Covers(first, size);
        if (first_covers != Covers(second, size))
            return first_covers;
        return first_covers ? Area(first) < Area(second) : Area(first) > Area(second);
    };
    const Position best = *std::min_element(found->second.begin(), found->second.end(), better);
    Touch(best);
    return best->image;
}

QImage PictureCache::Largest(const DecodeKey& key) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_by_key.find(key);
    if (found == m_by_key.end() || found->second.empty())
        return {};
    const auto larger = [](const Position& a, const Position& b) { return Area(a->image.size()) < Area(b->image.size()); };
    return (*std::max_element(found->second.begin(), found->second.end(), larger))->image;
}

void PictureCache::Insert(const DecodeKey& key, const QImage& image)
{
    if (image.isNull())
        return;
    std::vector<QImage> released;
    std::lock_guard lock(m_mutex);
    const qint64 bytes = BytesOf(image);
    if (bytes > m_limit)
        return;
    ForgetEarlierVersions(key, released);
    m_failed.erase(key);

    std::vector<Position>& positions = m_by_key[key];
    for (Position position : positions) {
        if (position->image.size() == image.size()) {
            released.push_back(std::exchange(position->image, image));
            m_bytes += bytes - position->bytes;
            position->bytes = bytes;
            Touch(position);
            Evict(released);
            return;
        }
    }
    m_entries.push_front(Entry { key, image, bytes });
    positions.push_back(m_entries.begin());
    m_bytes += bytes;
    Evict(released);
}

void PictureCache::Remove(Position position, std::vector<QImage>& released)
{
    const auto found = m_by_key.find(position->key);
    if (found != m_by_key.end()) {
        std::erase(found->second, position);
        if (found->second.empty()) {
            const auto kept = m_keys_of_path.find(position->key.path);
            if (kept != m_keys_of_path.end()) {
                std::erase(kept->second, position->key);
                if (kept->second.empty())
                    m_keys_of_path.erase(kept);
            }
            m_by_key.erase(found);
        }
    }
    m_bytes -= position->bytes;
    released.push_back(std::move(position->image));
    m_entries.erase(position);
}

void PictureCache::ForgetEarlierVersions(const DecodeKey& key, std::vector<QImage>& released)
{
    // The same file read with other options stays: only another state of the file goes.
    const std::vector<DecodeKey> kept = m_keys_of_path[key.path];
    for (const DecodeKey& other : kept) {
        if (!(other.file == key.file))
            ForgetLocked(other, released);
    }
    std::vector<DecodeKey>& keys = m_keys_of_path[key.path];
    if (std::find(keys.begin(), keys.end(), key) == keys.end())
        keys.push_back(key);
}

void PictureCache::Evict(std::vector<QImage>& released)
{
    while (m_bytes > m_limit && !m_entries.empty())
        Remove(std::prev(m_entries.end()), released);
}

void PictureCache::MarkFailed(const DecodeKey& key)
{
    std::lock_guard lock(m_mutex);
    if (m_failed.size() >= kMaxFailures)
        m_failed.clear();
    m_failed.insert(key);
}

bool PictureCache::HasFailed(const DecodeKey& key) const
{
    std::lock_guard lock(m_mutex);
    return m_failed.contains(key);
}

void PictureCache::ForgetLocked(const DecodeKey& key, std::vector<QImage>& released)
{
    m_failed.erase(key);
    const auto found = m_by_key.find(key);
    if (found == m_by_key.end())
        return;
    const std::vector<Position> positions = found->second;
    for (Position position : positions)
        Remove(position, released);
}

void PictureCache::Forget(const DecodeKey& key)
{
    std::vector<QImage> released;
    std::lock_guard lock(m_mutex);
    ForgetLocked(key, released);
}

void PictureCache::Clear()
{
    std::list<Entry> released;
    std::lock_guard lock(m_mutex);
    released.swap(m_entries);
    m_by_key.clear();
    m_keys_of_path.clear();
    m_failed.clear();
    m_bytes = 0;
}
