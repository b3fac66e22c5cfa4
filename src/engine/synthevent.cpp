#include "engine/synthevent.h"

#include "engine/synthengine.h"

void EngineNoteOnEvent::execute() {
    m_pEngine->noteOn(m_note, m_velocity);
}

void EngineNoteOffEvent::execute() {
    m_pEngine->noteOff(m_note);
}

void EnginePitchBendEvent::execute() {
    m_pEngine->pitchBend(m_amount);
}

void advanceEventQueue(EventRingBuffer& queue) {
    // Taken once: entries put back during this pass wait for the next one.
    const int32_t pending = queue.readAvailable();
    for (int32_t i = 0; i < pending; ++i) {
        PendingEvent entry;
        if (queue.read(&entry, 1) != 1) {
            break;
        }
        // Due when the count runs out: written as a test before the decrement
        // so that no host offset, however negative, can overflow it.
        if (entry.deltaFrames <= 1) {
            SynthEvent* event = entry.event;
            event->execute();
            event->m_pEngine->releaseEvent(event);
        } else {
            --entry.deltaFrames;
            queue.write(&entry, 1);
        }
    }
}

void eventQueueTick(EventRingBuffer* queue) {
    if (queue != nullptr) {
        advanceEventQueue(*queue);
    }
}
