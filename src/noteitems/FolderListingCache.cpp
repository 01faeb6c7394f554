#include "noteitems/FolderListingCache.h"

#include "noteitems/FolderScan.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <new>
#include <thread>

FolderListingCache::FolderListingCache(ScanFunction scan)
    : m_scan(std::move(scan))
{
    if (!m_scan) {
        m_scan = [](const QString& folder, const FolderScan::AppendFunction& append,
                    const FolderScan::StopFunction& stop_requested, const FolderScan::ProgressFunction& progress) {
            return FolderScan(folder, append, stop_requested, progress).Run();
        };
    }
}

FolderListingCache::~FolderListingCache()
{
    m_worker.StopAndWait();
}

FolderListingCache& FolderListingCache::Instance()
{
    static FolderListingCache cache;
    return cache;
}

FolderListingCache::Listing* FolderListingCache::LookUp(const QString& key)
{
    if (m_current && m_current_key == key)
        return m_current;
    const auto found = m_listings.constFind(key);
    m_current_key = key;
    m_current = found == m_listings.cend() ? nullptr : found->get();
    return m_current;
}

void FolderListingCache::Drop(const ListingPointer& listing)
{
    // Only this very listing: a rescan may already have put a new one under the same folder.
    const auto found = m_listings.find(listing->folder);
    if (found != m_listings.end() && *found == listing)
        m_listings.erase(found);
    if (m_current == listing.get()) {
        m_current = nullptr;
        m_current_key.clear();
    }
}

bool FolderListingCache::Open(const QString& folder, Rescan rescan)
{
    const QString key = FolderScan::WithTrailingSeparator(folder);
    auto listing = std::make_shared<Listing>();
    listing->folder = key;
    {
        std::lock_guard lock(m_mutex);
        if (LookUp(key)) {
            if (rescan == Rescan::No)
                return true;
            Drop(m_listings.value(key));
        }
        m_listings.insert(key, listing);
        m_current_key = key;
        m_current = listing.get();
    }
    // The running scan is stopped outside the lock, since it takes the lock to hand over what
    // it has listed. It stops at its next entry, so this wait is short even for a huge tree.
    m_worker.StopAndWait();
    ++m_scans_started;
    if (m_worker.Start([this, listing](WorkerThread& worker) { Scan(listing, worker); }))
        return true;
    std::lock_guard lock(m_mutex);
    Drop(listing);
    return false;
}

void FolderListingCache::Scan(const ListingPointer& listing, WorkerThread& worker)
{
    const auto append = [this, &listing](std::vector<QString>& paths) {
        std::lock_guard lock(m_mutex);
        try {
            listing->paths.insert(listing->paths.end(), std::make_move_iterator(paths.begin()),
                                  std::make_move_iterator(paths.end()));
        } catch (const std::bad_alloc&) {
            // The listing stays as it was; these entries are lost.
        }
    };
    const auto stop_requested = [&worker] { return worker.StopRequested(); };
    const auto progress = [this](double fraction) { m_progress = fraction; };
    if (!m_scan(listing->folder, append, stop_requested, progress)) {
        std::lock_guard lock(m_mutex);
        Drop(listing);
    }
}

int FolderListingCache::Count(const QString& folder)
{
    const QString key = FolderScan::WithTrailingSeparator(folder);
    std::lock_guard lock(m_mutex);
    const Listing* listing = LookUp(key);
    return listing ? int(listing->paths.size()) : 0;
}

bool FolderListingCache::Get(const QString& folder, int index, QString& path)
{
    const QString key = FolderScan::WithTrailingSeparator(folder);
    std::lock_guard lock(m_mutex);
    const Listing* listing = LookUp(key);
    if (!listing || index < 0 || size_t(index) >= listing->paths.size())
        return false;
    path = listing->paths[size_t(index)];
    return true;
}

int FolderListingCache::FindIndex(const QString& folder, const QString& file_path)
{
    const QString key = FolderScan::WithTrailingSeparator(folder);
    std::lock_guard lock(m_mutex);
    const Listing* listing = LookUp(key);
    if (!listing)
        return -1;
    const auto& paths = listing->paths;
    auto found = std::find(paths.begin(), paths.end(), file_path);
    if (found == paths.end()) {
        found = std::find_if(paths.begin(), paths.end(), [&file_path](const QString& path) {
            return path.compare(file_path, Qt::CaseInsensitive) == 0;
        });
    }
    return found == paths.end() ? -1 : int(found - paths.begin());
}

int FolderListingCache::FirstAccepted(const QString& folder, const std::function<bool(const QString& path)>& try_load)
{
    QString path;
    for (int index = 0;;) {
        // The running state is read before the count, so entries a scan adds as it ends are
        // still seen in the next round.
        const bool running = Running();
        for (; Get(folder, index, path); ++index) {
            if (try_load(path))
                return index;
        }
        if (!running)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool FolderListingCache::Running() const
{
    return m_worker.Running();
}

double FolderListingCache::ProgressPercent() const
{
    return Running() ? std::max(0.0, m_progress.load()) * 100 : 0;
}
