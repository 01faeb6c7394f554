#pragma once

#include "noteitems/FolderScan.h"
#include "platform/WorkerThread.h"

#include <QHash>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// The image listings of folder trees, one per folder, shared by every image item of the
// process. A listing is filled by one background scan at idle priority (see FolderScan) while
// the user-interface thread already reads it: readers always see a prefix of the final
// listing, and entries are only ever appended.
//
// Folders are known by their real path with a trailing "/": two folders whose names differ
// only in case are two folders here.
class FolderListingCache {
public:
    enum class Rescan { No, Yes };

    // Lists one folder tree; answers false when it was stopped before the end. The cache
    // uses FolderScan unless it is given another.
    using ScanFunction = std::function<bool(const QString& folder, const FolderScan::AppendFunction& append,
                                            const FolderScan::StopFunction& stop_requested,
                                            const FolderScan::ProgressFunction& progress)>;

    explicit FolderListingCache(ScanFunction scan = {});
    // Stops a running scan.
    ~FolderListingCache();
    FolderListingCache(const FolderListingCache&) = delete;
    FolderListingCache& operator=(const FolderListingCache&) = delete;

    // The cache of the process, made at first use.
    static FolderListingCache& Instance();

    // Makes sure the folder has a listing: a kept one is used unless a rescan is asked for;
    // otherwise a new listing is started and scanned at once, the running scan (of any
    // folder) being stopped first. A stopped scan is not lost: its listing stays, readable,
    // and the worker resumes it when the newer scans are done, so every folder opened ends
    // with a complete listing. False when no scan could be started.
    bool Open(const QString& folder, Rescan rescan);

    // The number of paths listed so far; 0 for a folder without a listing.
    int Count(const QString& folder);
    // Copies path `index` out; false outside the listing.
    bool Get(const QString& folder, int index, QString& path);
    // The index of a file in the folder's listing, or -1. An entry that matches exactly wins;
    // otherwise the first that matches regardless of case.
    int FindIndex(const QString& folder, const QString& file_path);

    // Folder mode of an image item: offers the folder's paths in listing order until `try_load`
    // accepts one, and answers its index. What the listing holds is offered first; while it is
    // not complete, the rest is listed on the calling thread, never waited for. -1 when
    // nothing was accepted or the folder was never opened.
    int FirstAccepted(const QString& folder, const std::function<bool(const QString& path)>& try_load);

    bool Running() const;
    // The fraction of the running scan done, from 0; -1 once a scan has ended.
    double Progress() const { return m_progress; }
    // What the progress bar shows: the fraction in percent while a scan runs, else 0.
    double ProgressPercent() const;
    // How many scans were started.
    int ScansStarted() const { return m_scans_started; }

private:
    struct Listing {
        QString folder;
        std::vector<QString> paths; // guarded by m_mutex
        bool complete { false };    // guarded by m_mutex
    };
    using ListingPointer = std::shared_ptr<Listing>;

    // Appends the paths a scan lists after `listed` others, passing over those the listing
    // holds already; takes m_mutex.
    void Extend(Listing& listing, size_t& listed, std::vector<QString>& paths);
    // Both need m_mutex held.
    Listing* LookUp(const QString& key);
    void Drop(const ListingPointer& listing);

    // The worker: scans the listing, then resumes the stopped ones in the order they stopped.
    void ScanInTurn(ListingPointer listing, WorkerThread& worker);
    // Scans one listing; a listing that holds entries already is resumed. False when stopped.
    bool Scan(const ListingPointer& listing, WorkerThread& worker);
    // The oldest stopped listing still kept; null when there is none. Needs m_mutex held.
    ListingPointer TakeStopped();
    bool StartWorker(ListingPointer listing);

    ScanFunction m_scan;
    mutable std::mutex m_mutex;
    QHash<QString, ListingPointer> m_listings;
    // Listings whose scan was stopped by the scan of another folder, oldest first.
    std::vector<ListingPointer> m_stopped;
    // The listing last looked up, so polling the same folder does not search the map.
    QString m_current_key;
    Listing* m_current { nullptr };
    // Replaced by each scan started; only the user-interface thread touches the pointer.
    std::shared_ptr<WorkerThread> m_worker { std::make_shared<WorkerThread>() };
    std::atomic<double> m_progress { 0 };
    int m_scans_started { 0 };
};
