#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "engine/synthevent.h"

// Fixed storage for engine events, made once at construction, so that turning
// a MIDI message into an event object never touches the heap on the audio
// thread. Each slot holds one event of any kind.
//
// Threads: create and release run where events are posted and ticked (the
// host's audio thread, one after the other); the pool takes no lock.
class SynthEventPool {
public:
    // Makes `capacity` slots (heap, once). Any thread; throws std::bad_alloc.
    explicit SynthEventPool(int32_t capacity);
    ~SynthEventPool();
    SynthEventPool(const SynthEventPool&) = delete;
    SynthEventPool& operator=(const SynthEventPool&) = delete;

    // Constructs an event in a free slot; null when every slot is in use.
    // Audio thread; no allocation.
    template <class Event, class... Args> Event* create(Args&&... args) {
        static_assert(std::is_base_of_v<SynthEvent, Event>, "pool holds engine events only");
        static_assert(sizeof(Event) <= sizeof(Slot) && alignof(Event) <= alignof(Slot),
                      "event kind does not fit a pool slot");
        static_assert(std::is_trivially_destructible_v<Event>,
                      "pooled events are reused without running a destructor");
        void* slot = acquireSlot();
        return slot != nullptr ? new (slot) Event(std::forward<Args>(args)...) : nullptr;
    }

    // Returns an event made by create to the pool. An event that is not this
    // pool's, or that is already free, is ignored (and asserts in debug builds).
    // Audio thread; no allocation.
    void release(SynthEvent* event);

    // Whether `event` lies in one of this pool's slots. Any thread.
    bool owns(const SynthEvent* event) const;

    // Events made and not yet released. Any thread that does not race the pool.
    int32_t liveCount() const { return m_capacity - m_freeCount; }

private:
    struct alignas(std::max({alignof(EngineNoteOnEvent), alignof(EngineNoteOffEvent),
                             alignof(EnginePitchBendEvent)})) Slot {
        unsigned char bytes[std::max(
            {sizeof(EngineNoteOnEvent), sizeof(EngineNoteOffEvent), sizeof(EnginePitchBendEvent)})];
    };

    void* acquireSlot();
    int32_t slotIndex(const SynthEvent* event) const; // -1 when not ours

    int32_t m_capacity;
    int32_t m_freeCount;
    std::unique_ptr<Slot[]> m_slots;
    std::unique_ptr<int32_t[]> m_freeSlots; // stack of free slot numbers
    std::unique_ptr<bool[]> m_inUse;
};
