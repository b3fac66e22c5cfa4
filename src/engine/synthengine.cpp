#include "engine/synthengine.h"

#include <cassert>

// Header and slots in one allocation, the slots directly behind the header.
struct SynthEngine::EventQueueBlock {
    EventRingBuffer header;
    PendingEvent slots[SYNTH_EVENT_QUEUE_SIZE];
};

namespace {

constexpr uint8_t MIDI_NOTE_OFF = 0x80;
constexpr uint8_t MIDI_NOTE_ON = 0x90;
constexpr uint8_t MIDI_CONTROL_CHANGE = 0xB0;
constexpr uint8_t MIDI_PITCH_BEND = 0xE0;
constexpr uint8_t MIDI_CC_ALL_NOTES_OFF = 123;
constexpr uint8_t MIDI_CC_POLY_MODE_ON = 126;

} // namespace

SynthEngine::SynthEngine(int32_t numVoices, int32_t numInputs, int32_t numOutputs,
                         const char* effectName, const char* vendorName, const char* productName,
                         int32_t vendorVersion)
    : m_numInputs(numInputs), m_numOutputs(numOutputs), m_effectName(effectName),
      m_vendorName(vendorName), m_productName(productName), m_vendorVersion(vendorVersion),
      m_sampleRate(44100.0f), m_reserved{0, 0, 0}, m_tempo(120.0f), m_pCurrentProgram(nullptr),
      m_voiceMap(static_cast<std::size_t>(numVoices > 0 ? numVoices : 0), -1),
      m_pEventQueue(nullptr), m_numVoices(numVoices),
      // One slot more than the queue holds: a post creates its event before
      // the queue can refuse it.
      m_eventPool(SYNTH_EVENT_QUEUE_SIZE + 1), m_eventQueueBlock(new EventQueueBlock) {
    m_pEventQueue = &m_eventQueueBlock->header;
    const int32_t result = m_pEventQueue->init(static_cast<int32_t>(sizeof(PendingEvent)),
                                               SYNTH_EVENT_QUEUE_SIZE, m_eventQueueBlock->slots);
    assert(result == 0);
    (void)result;
}

SynthEngine::~SynthEngine() {
    PendingEvent entry;
    while (m_pEventQueue->read(&entry, 1) == 1) {
        releaseEvent(entry.event);
    }
    m_pEventQueue = nullptr;
    m_eventQueueBlock.reset();
    m_voiceMap.clear();
    m_pCurrentProgram.store(nullptr, std::memory_order_relaxed);
    m_programs.clear();
}

void SynthEngine::setProgram(int32_t index) {
    if (index >= 0 && static_cast<std::size_t>(index) < m_programs.size()) {
        m_pCurrentProgram.store(&m_programs[static_cast<std::size_t>(index)],
                                std::memory_order_relaxed);
    }
}

std::string SynthEngine::programName(int32_t index) const {
    const bool listed = index >= 0 && static_cast<std::size_t>(index) < m_programs.size();
    std::lock_guard<std::mutex> lock(m_programNamesMutex);
    return listed ? m_programs[static_cast<std::size_t>(index)].m_name : std::string();
}

std::string SynthEngine::currentProgramName() const {
    std::lock_guard<std::mutex> lock(m_programNamesMutex);
    const SynthProgram* program = getCurrentProgram();
    return program != nullptr ? program->m_name : std::string();
}

void SynthEngine::renameCurrentProgram(const std::string& name) {
    std::lock_guard<std::mutex> lock(m_programNamesMutex);
    if (SynthProgram* program = getCurrentProgram()) {
        program->setName(name);
    }
}

void SynthEngine::handleMidi(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames) {
    // All 16 channels play the same engine; data bytes carry 7 bits.
    status &= 0xF0;
    data1 &= 0x7F;
    data2 &= 0x7F;
    switch (status) {
    case MIDI_NOTE_ON:
        if (data2 > 0) {
            postNoteOn(data1, data2, deltaFrames);
        } else {
            postNoteOff(data1, deltaFrames);
        }
        break;
    case MIDI_NOTE_OFF:
        postNoteOff(data1, deltaFrames);
        break;
    case MIDI_CONTROL_CHANGE:
        if (data1 == MIDI_CC_ALL_NOTES_OFF || data1 == MIDI_CC_POLY_MODE_ON) {
            postAllNotesOff();
        }
        break;
    case MIDI_PITCH_BEND: {
        const int32_t value = (int32_t{data2} << 7) | data1;
        const float amount = (static_cast<float>(value) - 8192.0f) * 0.0001220703125f;
        postPitchBend(amount, deltaFrames);
        break;
    }
    default:
        break;
    }
}

template <class Event, class... Args> void SynthEngine::post(int32_t deltaFrames, Args... args) {
    Event* event = m_eventPool.template create<Event>(this, args...);
    // The pool holds one event more than the queue, so it runs dry only if
    // events leaked; the event is then lost like one the queue refuses.
    assert(event != nullptr);
    if (event == nullptr) {
        return;
    }
    const PendingEvent entry{deltaFrames, event};
    if (m_pEventQueue->write(&entry, 1) == 0) {
        releaseEvent(event);
    }
}

void SynthEngine::postNoteOn(int32_t note, int32_t velocity, int32_t deltaFrames) {
    post<EngineNoteOnEvent>(deltaFrames, note, velocity);
}

void SynthEngine::postNoteOff(int32_t note, int32_t deltaFrames) {
    post<EngineNoteOffEvent>(deltaFrames, note);
}

void SynthEngine::postPitchBend(float amount, int32_t deltaFrames) {
    post<EnginePitchBendEvent>(deltaFrames, amount);
}

void SynthEngine::postAllNotesOff() {
    for (int32_t note = 0; note < 128; ++note) {
        postNoteOff(note, 0);
    }
}
