#pragma once

#include "gui/vstguibase.h"

#include <array>
#include <atomic>

namespace VSTGUI {

// Parameter values that arrive on any thread (hosts call setParameter from
// their automation or audio thread) for an editor whose views belong to the
// GUI thread. post() stores the latest value of an index in atomics without
// locking or allocating; the GUI thread collects them at its next idle.
class ParameterInbox {
public:
    static constexpr int32 kCapacity = 64;

    ParameterInbox();

    // Any thread, wait-free: keeps value as the latest of index. Indices
    // outside 0 to kCapacity - 1 are dropped (the answer is false).
    bool post(int32 index, float value);

    // GUI thread: calls apply(index, value) once for each index posted since
    // the last drain, with its latest value, in index order. Returns how many.
    template <typename Function> int32 drain(Function&& apply) {
        if (!m_anyPending.exchange(false, std::memory_order_acquire))
            return 0;
        int32 count = 0;
        for (int32 i = 0; i < kCapacity; ++i) {
            if (m_slots[i].pending.exchange(false, std::memory_order_acquire)) {
                apply(i, m_slots[i].value.load(std::memory_order_relaxed));
                ++count;
            }
        }
        return count;
    }

    // Any thread, wait-free: forgets the value of index still waiting, if any
    // (the caller has a newer one).
    void discard(int32 index);

    // True while some posted value waits for the GUI thread.
    bool hasPending() const { return m_anyPending.load(std::memory_order_acquire); }

private:
    struct Slot {
        std::atomic<float> value{0.f};
        std::atomic<bool> pending{false};
    };
    std::array<Slot, kCapacity> m_slots;
    std::atomic<bool> m_anyPending{false};
};

} // namespace VSTGUI
