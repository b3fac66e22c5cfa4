#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/eventringbuffer.h"
#include "engine/synthevent.h"
#include "engine/syntheventpool.h"
#include "engine/synthprogram.h"

// Slots of the engine's event queue: at most this many events wait at once.
constexpr int32_t SYNTH_EVENT_QUEUE_SIZE = 256;

// The host-independent face of the synthesizer: counts and names for the
// host, sample rate and tempo, the programs with the current one, and the
// sample-accurate event queue that MIDI is posted into.
//
// Threads:
// - handleMidi and the post operations run on the host's audio thread
//   (processEvents) and must never overlap process(), which drains the queue.
// - process() and the engine operations that events call (noteOn, noteOff,
//   pitchBend) run on the audio thread: no allocation, no waiting.
// - setProgram runs on whatever thread the host or the editor uses and moves
//   m_pCurrentProgram without a lock. The reference is atomic with relaxed
//   ordering: the programs it points to are built before any other thread
//   sees the engine and never move, so a reader needs nothing from the
//   writer but the address itself. A reader may still see the program
//   before or after a change that runs at that moment, as the design accepts.
// - Program names are texts that the host may rename on one thread while the
//   editor or a program change reads them on another: once the engine is
//   shared they are read and written only through programName,
//   currentProgramName and renameCurrentProgram, which hold a lock of their
//   own (never the sampler's, and never taken on the audio thread) and hand
//   out copies.
//
// The destructor is not virtual: an engine is destroyed only as its concrete
// type, so concrete engines should be `final` (and nothing can delete one
// through this base, whose destructor is protected).
class SynthEngine {
public:
    // Stores the counts, the name pointers (not copied, not owned) and the
    // version; sample rate 44100, tempo 120, no programs, `numVoices` voice-map
    // entries of -1, and an empty queue of SYNTH_EVENT_QUEUE_SIZE slots with its
    // event pool. Any thread; throws std::bad_alloc.
    SynthEngine(int32_t numVoices, int32_t numInputs, int32_t numOutputs, const char* effectName,
                const char* vendorName, const char* productName, int32_t vendorVersion);
    SynthEngine(const SynthEngine&) = delete;
    SynthEngine& operator=(const SynthEngine&) = delete;

    // Renders one block: writes sampleFrames samples into each output channel
    // and runs the event tick once per output frame. Audio thread.
    virtual void process(float** inputs, float** outputs, int32_t sampleFrames) = 0;
    // Makes program `index` current when 0 <= index < program count; any other
    // index changes nothing. Overrides call this first. Host or editor thread.
    virtual void setProgram(int32_t index);
    // Starts `note` (0..127). Called only by executing events. Audio thread.
    virtual void noteOn(int32_t note, int32_t velocity) = 0;
    // Releases `note`. Called only by executing events. Audio thread.
    virtual void noteOff(int32_t note) = 0;
    // Bends by `amount` (-1 .. 8191/8192). Called only by executing events.
    virtual void pitchBend(float amount) = 0;

    // m_tempo = bpm. Audio thread, before a block.
    void setTempo(float bpm) { m_tempo = bpm; }
    // m_sampleRate = rate. Dispatcher thread.
    void setSampleRate(float rate) { m_sampleRate = rate; }

    // Translates one MIDI message into at most one queued event (128 for all
    // notes off). The channel bits of `status` and the top bits of the data
    // bytes are ignored. Unknown messages do nothing. Audio thread.
    void handleMidi(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames);

    // Queue an event with its offset. A full queue drops it (no message); the
    // queued events are untouched. Audio thread; no allocation.
    void postNoteOn(int32_t note, int32_t velocity, int32_t deltaFrames);
    void postNoteOff(int32_t note, int32_t deltaFrames);
    void postPitchBend(float amount, int32_t deltaFrames);
    // Queues note-offs for notes 0 to 127 in this order, each at offset 0.
    void postAllNotesOff();

    // Takes back an event that this engine posted, once it has executed or was
    // refused. Audio thread; no allocation.
    void releaseEvent(SynthEvent* event) { m_eventPool.release(event); }
    // The current program, null before one is set. Any thread.
    SynthProgram* getCurrentProgram() const {
        return m_pCurrentProgram.load(std::memory_order_relaxed);
    }

    // A copy of the name of program `index`; "" for an index outside the
    // list. Any thread but the audio thread: takes the names' lock.
    std::string programName(int32_t index) const;
    // A copy of the current program's name; "" while none is current. Any
    // thread but the audio thread: takes the names' lock.
    std::string currentProgramName() const;
    // Renames the current program (nothing while none is current). Host or
    // editor thread: takes the names' lock; may allocate.
    void renameCurrentProgram(const std::string& name);

    // Events posted and not yet released (queued ones, normally). Any thread
    // that does not race the audio thread.
    int32_t liveEventCount() const { return m_eventPool.liveCount(); }

    int32_t m_numInputs;
    int32_t m_numOutputs;
    const char* m_effectName;  // not owned
    const char* m_vendorName;  // not owned
    const char* m_productName; // not owned
    int32_t m_vendorVersion;
    float m_sampleRate;
    int32_t m_reserved[3]; // zero; nothing reads them
    float m_tempo;
    // Filled by the concrete engine's constructor and never resized after a
    // program is current: m_pCurrentProgram points into it.
    std::vector<SynthProgram> m_programs;
    std::atomic<SynthProgram*> m_pCurrentProgram; // not owned; null until a program is current
    std::vector<int32_t> m_voiceMap;              // -1 each; nothing reads it
    EventRingBuffer* m_pEventQueue;               // header of the queue block, slots behind it
    int32_t m_numVoices;

protected:
    // Releases the queued events without executing them, then the queue, the
    // voice map and the programs. Not virtual: see the class comment.
    ~SynthEngine();

private:
    // Creates the event in the pool and queues it; a refused event goes back
    // to the pool at once.
    template <class Event, class... Args> void post(int32_t deltaFrames, Args... args);

    struct EventQueueBlock;
    mutable std::mutex m_programNamesMutex; // guards every m_programs[i].m_name
    SynthEventPool m_eventPool;
    std::unique_ptr<EventQueueBlock> m_eventQueueBlock;
};
