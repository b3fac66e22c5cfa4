#include "engine/syntheventpool.h"

#include <cassert>
#include <cstdint>

SynthEventPool::SynthEventPool(int32_t capacity)
    : m_capacity(capacity > 0 ? capacity : 0), m_freeCount(m_capacity),
      m_slots(new Slot[static_cast<std::size_t>(m_capacity)]),
      m_freeSlots(new int32_t[static_cast<std::size_t>(m_capacity)]),
      m_inUse(new bool[static_cast<std::size_t>(m_capacity)]()) {
    // Lowest slot numbers on top, so a fresh pool hands out slots in order.
    for (int32_t i = 0; i < m_capacity; ++i) {
        m_freeSlots[i] = m_capacity - 1 - i;
    }
}

SynthEventPool::~SynthEventPool() = default;

void* SynthEventPool::acquireSlot() {
    if (m_freeCount == 0) {
        return nullptr;
    }
    const int32_t index = m_freeSlots[--m_freeCount];
    m_inUse[index] = true;
    return m_slots[index].bytes;
}

int32_t SynthEventPool::slotIndex(const SynthEvent* event) const {
    if (event == nullptr || m_capacity == 0) {
        return -1;
    }
    // The event's own start is the slot's start, whatever the kind. Compared
    // as addresses: the event may come from anywhere.
    const auto start = reinterpret_cast<std::uintptr_t>(dynamic_cast<const void*>(event));
    const auto first = reinterpret_cast<std::uintptr_t>(m_slots.get());
    const std::uintptr_t size = static_cast<std::uintptr_t>(m_capacity) * sizeof(Slot);
    if (start < first || start - first >= size) {
        return -1;
    }
    const std::uintptr_t offset = start - first;
    if (offset % sizeof(Slot) != 0) {
        return -1;
    }
    return static_cast<int32_t>(offset / sizeof(Slot));
}

bool SynthEventPool::owns(const SynthEvent* event) const {
    return slotIndex(event) >= 0;
}

void SynthEventPool::release(SynthEvent* event) {
    const int32_t index = slotIndex(event);
    assert(index >= 0 && "event is not from this pool");
    if (index < 0) {
        return;
    }
    assert(m_inUse[index] && "event released twice");
    if (!m_inUse[index]) {
        return;
    }
    // Trivially destructible (checked in create): the slot is simply reused.
    m_inUse[index] = false;
    m_freeSlots[m_freeCount++] = index;
}
