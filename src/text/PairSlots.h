#pragma once

#include <cstddef>
#include <vector>

// Finds the pairs of a large store by key hash: an open-addressing table of pair positions
// (-1 free). At most a quarter of the slots are used, so probe runs stay short. Stores up to
// kLinearLimit pairs keep the table empty and are searched linearly; a section of a layout or
// a note file rarely has more than a dozen keys.
class PairSlots {
public:
    static constexpr size_t kLinearLimit = 16;

    bool IsEmpty() const { return m_slots.empty(); }
    void Clear() { m_slots.clear(); }

    // The position on the probe run of hash for which same(position) holds, or -1.
    template <typename Same>
    int Find(size_t hash, Same same) const
    {
        if (m_slots.empty())
            return -1;
        const size_t mask = m_slots.size() - 1;
        for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            const int position = m_slots[slot];
            if (position < 0 || same(position))
                return position;
        }
    }

    // Adds the last of count positions (0 to count - 1) under hash. Rebuilds the table, taking
    // each position's hash from hash_of, when it would be more than a quarter full.
    template <typename HashOf>
    void Add(size_t hash, size_t count, HashOf hash_of)
    {
        if (count * 4 > m_slots.size())
            Rebuild(count, hash_of);
        else
            Place(hash, int(count - 1));
    }

    // Positions 0 to count - 1, or an empty table when count is small enough to search linearly.
    template <typename HashOf>
    void Rebuild(size_t count, HashOf hash_of)
    {
        m_slots.clear();
        if (count <= kLinearLimit)
            return;
        size_t size = 64;
        while (size < count * 4)
            size *= 2;
        m_slots.assign(size, -1);
        for (size_t i = 0; i < count; ++i)
            Place(hash_of(int(i)), int(i));
    }

private:
    void Place(size_t hash, int position);

    std::vector<int> m_slots;
};
