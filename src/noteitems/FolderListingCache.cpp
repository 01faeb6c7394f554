#include "noteitems/FolderListingCache.h"

#include "noteitems/FolderScan.h"
#include "platform/WorkerShutdown.h"

#include <algorithm>
#include <iterator>
#include <new>

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
    m_worker->StopAndWait();
}

FolderListingCache& FolderListingCache::Instance()
{
    // Never destroyed: its worker ends with the other workers of the process.
    static FolderListingCache* cache = [] {
        auto* made = new FolderListingCache;
        WorkerShutdown::Register([made] { made->m_worker->StopAndWait(); });
        return made;
    }();
    return *cache;
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
    bool kept = false;
    bool resume = false;
    {
        std::lock_guard lock(m_mutex);
        kept = LookUp(key) && rescan == Rescan::No;
        if (kept) {
            // Stopped listings wait for the worker; one whose resumption could not be started
            // is resumed now.
            resume = !m_current->complete && !m_stopped.empty() && !Running();
        } else {
            if (m_current)
                Drop(m_listings.value(key));
            m_listings.insert(key, listing);
            m_current_key = key;
            m_current = listing.get();
        }
    }
    if (kept)
        return !resume || StartWorker(nullptr);
    ++m_scans_started;
    if (StartWorker(listing))
        return true;
    std::lock_guard lock(m_mutex);
    Drop(listing);
    return false;
}

bool FolderListingCache::StartWorker(ListingPointer listing)
{
    // The running scan is asked to stop but not waited for here: at idle priority it may hardly
    // get the processor. The new worker waits for it before it scans, so that two scans never
    // run at once and the stopped listing is queued before the new worker looks for it.
    std::shared_ptr<WorkerThread> previous = std::move(m_worker);
    previous->RequestStop();
    m_worker = std::make_shared<WorkerThread>();
    return m_worker->Start([this, listing, previous](WorkerThread& worker) mutable {
        previous->StopAndWait();
        previous.reset();
        ScanInTurn(listing, worker);
    });
}

void FolderListingCache::ScanInTurn(ListingPointer listing, WorkerThread& worker)
{
    if (!listing) {
        std::lock_guard lock(m_mutex);
        listing = TakeStopped();
    }
    while (listing) {
        const bool complete = Scan(listing, worker);
        std::lock_guard lock(m_mutex);
        if (!complete) {
            // Kept for later unless a rescan has replaced it meanwhile.
            if (m_listings.value(listing->folder) == listing)
                m_stopped.push_back(listing);
            return;
        }
        listing->complete = true;
        listing = TakeStopped();
    }
}

FolderListingCache::ListingPointer FolderListingCache::TakeStopped()
{
    while (!m_stopped.empty()) {
        ListingPointer listing = m_stopped.front();
        m_stopped.erase(m_stopped.begin());
        if (m_listings.value(listing->folder) == listing && !listing->complete)
            return listing;
    }
    return nullptr;
}

bool FolderListingCache::Scan(const ListingPointer& listing, WorkerThread& worker)
{
    // A resumed scan lists the folder from the start again: the entries the listing holds
    // already come first and are passed over, so readers still see one growing listing.
    size_t listed = 0;
    const auto append = [this, &listing, &listed](std::vector<QString>& paths) { Extend(*listing, listed, paths); };
    const auto stop_requested = [&worker] { return worker.StopRequested(); };
    const auto progress = [this](double fraction) { m_progress = fraction; };
    return m_scan(listing->folder, append, stop_requested, progress);
}

void FolderListingCache::Extend(Listing& listing, size_t& listed, std::vector<QString>& paths)
{
    std::lock_guard lock(m_mutex);
    const size_t known = listing.paths.size();
    const size_t skipped = listed < known ? std::min(known - listed, paths.size()) : 0;
    listed += paths.size();
    try {
        listing.paths.insert(listing.paths.end(), std::make_move_iterator(paths.begin() + qsizetype(skipped)),
                             std::make_move_iterator(paths.end()));
    } catch (const std::bad_alloc&) {
        // The listing stays as it was; these entries are lost.
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
    const QString key = FolderScan::WithTrailingSeparator(folder);
    ListingPointer listing;
    bool complete = false;
    {
        std::lock_guard lock(m_mutex);
        if (!LookUp(key))
            return -1;
        listing = m_listings.value(key);
        // Read before the entries, so entries a scan adds as it ends are still offered below.
        complete = listing->complete;
    }
    QString path;
    int index = 0;
    for (; Get(folder, index, path); ++index) {
        if (try_load(path))
            return index;
    }
    if (complete)
        return -1;
    // The rest is not waited for from the background scan, which runs at idle priority and may
    // hardly get the processor: the folder tree is listed again here, at the caller's own
    // priority and in the same order, passing over what was offered above. What this lists
    // joins the listing, as the background scan would add it, so the index answered is in it.
    size_t listed = 0;
    int accepted = -1;
    const auto offer = [&](std::vector<QString>& paths) {
        for (size_t at = 0; at < paths.size() && accepted < 0; ++at) {
            const size_t position = listed + at;
            if (position >= size_t(index) && try_load(paths[at])) {
                accepted = int(position);
                paths.resize(at + 1);
            }
        }
        Extend(*listing, listed, paths);
    };
    m_scan(listing->folder, offer, [&accepted] { return accepted >= 0; }, [](double) {});
    return accepted;
}

bool FolderListingCache::Running() const
{
    return m_worker->Running();
}

double FolderListingCache::ProgressPercent() const
{
    return Running() ? std::max(0.0, m_progress.load()) * 100 : 0;
}
