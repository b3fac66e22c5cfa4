#pragma once

#include <cstdint>
#include <type_traits>

#include "engine/eventringbuffer.h"

class SynthEngine;

// An engine event: a MIDI message turned into a call on the engine that
// posted it, executed by the event tick at its frame.
//
// Event objects come from the posting engine's fixed pool (see
// SynthEventPool), never from the heap, and hold no resources: they are
// trivially destructible, and the engine takes them back with
// SynthEngine::releaseEvent.
class SynthEvent {
public:
    explicit SynthEvent(SynthEngine* engine) : m_pEngine(engine) {}

    // Applies the event to m_pEngine. Audio thread, from the event tick only.
    virtual void execute() = 0;

    SynthEngine* m_pEngine; // not owned

protected:
    // Events are destroyed only by their pool, which knows their exact type.
    ~SynthEvent() = default;
    SynthEvent(const SynthEvent&) = default;
    SynthEvent& operator=(const SynthEvent&) = default;
};

class EngineNoteOnEvent final : public SynthEvent {
public:
    EngineNoteOnEvent(SynthEngine* engine, int32_t note, int32_t velocity)
        : SynthEvent(engine), m_note(note), m_velocity(velocity) {}

    // Calls m_pEngine->noteOn(m_note, m_velocity). Audio thread.
    void execute() override;

    int32_t m_note;     // 0..127
    int32_t m_velocity; // 1..127
};

class EngineNoteOffEvent final : public SynthEvent {
public:
    EngineNoteOffEvent(SynthEngine* engine, int32_t note) : SynthEvent(engine), m_note(note) {}

    // Calls m_pEngine->noteOff(m_note). Audio thread.
    void execute() override;

    int32_t m_note; // 0..127
};

class EnginePitchBendEvent final : public SynthEvent {
public:
    EnginePitchBendEvent(SynthEngine* engine, float amount)
        : SynthEvent(engine), m_amount(amount) {}

    // Calls m_pEngine->pitchBend(m_amount). Audio thread.
    void execute() override;

    float m_amount; // -1.0 .. 8191/8192
};

// One slot of the event queue. Trivially copyable: the ring copies it as bytes.
struct PendingEvent {
    int32_t deltaFrames; // frames still to wait
    SynthEvent* event;   // owned by the queue while queued
};
static_assert(std::is_trivially_copyable_v<PendingEvent>, "the ring copies its slots as bytes");

// The per-frame tick handed to the sampler core with the queue as argument.
using EventTickFunction = void (*)(EventRingBuffer* queue);

// One pass of the tick: every event queued when the pass begins is counted
// down by one frame; those that fall due (count 1 or less before the pass)
// execute in posting order and go back to their engine's pool, the others are
// written back at the tail in their order. Audio thread; never overlapping a
// post into the same queue. No allocation, no waiting.
void advanceEventQueue(EventRingBuffer& queue);

// The tick function: advanceEventQueue(*queue). Does nothing for null.
// Audio thread, once per output frame.
void eventQueueTick(EventRingBuffer* queue);
