#pragma once
// The instrument's one concrete engine: finds the sounds folder, offers the
// factory programs, loads a program's sample pack when it is selected and
// renders MIDI through the ten-voice sampler core into two output channels.

#include "engine/synthengine.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class Sampler;

// The registry key and value that name the installation folder.
extern const char* const SAMPLER_REGISTRY_KEY;       // "SOFTWARE\Kestrovalian\Amber Threshold"
extern const char* const SAMPLER_REGISTRY_VALUE;     // "InstallDir"
extern const char* const SAMPLER_DEFAULT_SOUNDS_DIR; // used when the registry names none
// Interleaved stereo frames that process renders per sampler call; longer
// host blocks are rendered as consecutive pieces of this size.
constexpr int32_t SAMPLER_ENGINE_MAX_PIECE_FRAMES = 16384;

// Reads a string value below HKEY_LOCAL_MACHINE (64-bit view, a 1024-byte
// buffer); the returned text has its trailing NULs removed. Returns the empty
// string for every failure: no key, no value, a value over 1024 bytes, an
// empty value. Any thread; may block on the registry.
std::string readRegistryString(const std::string& keyPath, const std::string& valueName);

// The sounds folder that engines use: settled by every SamplerEngine
// constructor (all compute the same text), kept whole however long. Any
// thread; takes a small lock of its own, so not for the audio thread.
std::string samplerSoundsDir();

class SamplerEngine final : public SynthEngine {
public:
    // Finds the sounds folder ("InstallDir" + "/sounds", or the default),
    // builds the 177 programs, makes program 0 current and creates the
    // sampler core. Loads no pack: the plug-in selects program 0 for that.
    // Any thread, before the engine is shared; throws std::bad_alloc.
    SamplerEngine();
    ~SamplerEngine();
    SamplerEngine(const SamplerEngine&) = delete;
    SamplerEngine& operator=(const SamplerEngine&) = delete;

    // Replaces numFrames floats of outputs[0] (left) and outputs[1] (right)
    // with the block rendered from the queued events; inputs are not read.
    // Runs the event tick once per frame. Any block size (0 renders nothing);
    // blocks above SAMPLER_ENGINE_MAX_PIECE_FRAMES are rendered in pieces.
    // Audio thread: no allocation, waits only on the sampler's one mutex.
    void process(float** inputs, float** outputs, int32_t numFrames) override;

    // Makes program `index` current (an index outside the list keeps the
    // current one), stops every voice and loads the current program's pack
    // from the sounds folder with all of its WAV files before returning. A pack
    // that cannot be opened, or a program name that would leave the sounds
    // folder (a "/" or "\" in it, or "." or ".."), loads nothing: the previous
    // pack stays. Any thread but the audio thread; blocks on file reads and
    // on a program change that another thread is making: changes run one at
    // a time, so the pack installed is always the current program's.
    void setProgram(int32_t index) override;

    // Start / release a note on the sampler core. Audio thread, from the
    // event tick inside process only. noteOn prints "note on: <note>".
    void noteOn(int32_t note, int32_t velocity) override;
    void noteOff(int32_t note) override;
    // The sampler does not bend: does nothing.
    void pitchBend(float amount) override;

    // m_sampleRate = rate: the same single store as setSampleRate, kept for
    // callers that reach the engine as a SamplerEngine; nothing in the
    // instrument calls it. The voices play at 44100 Hz whatever the rate says.
    // Dispatcher thread.
    void storeSampleRate(float rate);

    // The sampler core, for inspection. Any thread that does not race process.
    Sampler& sampler() { return *m_pSampler; }

private:
    std::unique_ptr<Sampler> m_pSampler;
    std::unique_ptr<float[]> m_pInterleaveBuffer; // 65536 floats, zeroed at construction
    std::mutex m_programChangeMutex;              // held by setProgram; never on the audio thread
};
