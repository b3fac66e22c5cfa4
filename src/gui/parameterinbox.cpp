#include "gui/parameterinbox.h"

namespace VSTGUI {

static_assert(std::atomic<float>::is_always_lock_free, "posting must never lock");
static_assert(std::atomic<bool>::is_always_lock_free, "posting must never lock");

ParameterInbox::ParameterInbox() = default;

bool ParameterInbox::post(int32 index, float value) {
    if (index < 0 || index >= kCapacity)
        return false;
    Slot& slot = m_slots[static_cast<std::size_t>(index)];
    slot.value.store(value, std::memory_order_relaxed);
    slot.pending.store(true, std::memory_order_release);
    m_anyPending.store(true, std::memory_order_release);
    return true;
}

void ParameterInbox::discard(int32 index) {
    if (index >= 0 && index < kCapacity)
        m_slots[static_cast<std::size_t>(index)].pending.store(false, std::memory_order_relaxed);
}

} // namespace VSTGUI
