#pragma once

#include "items/DecodeKey.h"

#include <QImage>
#include <QSize>

#include <list>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The decoded pictures of the whole program, kept across pages within a bound on their memory.
// A file may be held at several decoded sizes; a larger one serves requests for smaller ones.
// When the pictures outgrow the bound, those shown least recently go first. Decodes that
// failed are remembered too, so that a broken file is not read again at every repaint.
//
// All members may be called from any thread.
class PictureCache {
public:
    // Which decoded sizes serve a request.
    enum class Fit {
        Exact,    // only pixels of the very size asked for
        Covering, // the smallest pixels at least as large on both axes
    };

    static PictureCache& Instance();
    // A quarter of the machine's memory, at most 1 GiB.
    static qint64 DefaultLimit();

    qint64 Limit() const;
    // Drops the least recently shown pictures until the rest fit.
    void SetLimit(qint64 bytes);
    qint64 Bytes() const;
    int Count() const;

    // The pixels of the key that fit the request, or null; found pixels count as shown now.
    QImage Find(const DecodeKey& key, QSize size, Fit fit);
    // The best pixels of the key for a picture waiting for pixels of the size: the smallest
    // larger ones, else the largest smaller ones. Found pixels count as shown now.
    QImage Nearest(const DecodeKey& key, QSize size);
    // The largest pixels of the key, without counting them as shown.
    QImage Largest(const DecodeKey& key) const;

    // Keeps the pixels as the most recently shown ones. Pixels larger than the whole bound are
    // not kept. Pixels of an earlier version of the same file are dropped.
    void Insert(const DecodeKey& key, const QImage& image);

    void MarkFailed(const DecodeKey& key);
    bool HasFailed(const DecodeKey& key) const;

    // Drops the key's pixels and its failure.
    void Forget(const DecodeKey& key);
    void Clear();

private:
    PictureCache();

    struct Entry {
        DecodeKey key;
        QImage image;
        qint64 bytes { 0 };
    };
    using Position = std::list<Entry>::iterator;

    static qint64 BytesOf(const QImage& image);
    void Touch(Position position);
    void Remove(Position position, std::vector<QImage>& released);
    void ForgetLocked(const DecodeKey& key, std::vector<QImage>& released);
    void ForgetEarlierVersions(const DecodeKey& key, std::vector<QImage>& released);
    void Evict(std::vector<QImage>& released);

    mutable std::mutex m_mutex;
    // The most recently shown first.
    std::list<Entry> m_entries;
    std::unordered_map<DecodeKey, std::vector<Position>, DecodeKeyHash> m_by_key;
    // The keys whose pixels are kept for each path, so that a changed file's old pixels go.
    std::unordered_map<QString, std::vector<DecodeKey>> m_keys_of_path;
    std::unordered_set<DecodeKey, DecodeKeyHash> m_failed;
    qint64 m_bytes { 0 };
    qint64 m_limit { 0 };
};
