#include "text/PairSlots.h"

void PairSlots::Place(size_t hash, int position)
{
    const size_t mask = m_slots.size() - 1;
    size_t slot = hash & mask;
    while (m_slots[slot] >= 0)
        slot = (slot + 1) & mask;
    m_slots[slot] = position;
}
