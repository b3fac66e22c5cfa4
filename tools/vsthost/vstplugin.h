// A loaded VST 2.4 plug-in as the minimal host sees it: the library opened
// with dlopen, the instance created through VSTPluginMain (or "main"), the
// host callback answering the requests a plug-in makes, and a few helpers
// around the dispatcher. One process hosts one plug-in instance at a time
// through this class (the callback's answers are process-wide).
#pragma once

#include "platform/vstrecords.h"

#include <cstdint>
#include <string>

// What the host callback has seen and answers. Read and written on the
// thread that drives the plug-in.
struct HostState {
    double sampleRate = 44100.0;
    VstInt32 blockSize = 512;
    double tempo = 120.0;
    VstTimeInfo timeInfo{};
    VstIntPtr versionAnswer = kVstVersion;

    // Counts of requests, 64-bit: a long render at a small block size asks
    // for the time more than 2^31 times.
    std::int64_t automateCount = 0;
    int lastAutomateIndex = -1;
    float lastAutomateValue = 0.0f;
    std::int64_t beginEditCount = 0;
    std::int64_t endEditCount = 0;
    std::int64_t updateDisplayCount = 0;
    std::int64_t idleCount = 0;
    std::int64_t wantMidiCount = 0;
    std::int64_t timeRequestCount = 0;
    // The flags the last time request asked for.
    VstIntPtr lastTimeFilter = 0;
};

// The one host state the callback answers from.
HostState& hostState();

// The host callback handed to every plug-in this process loads.
VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt);

// Sets the time information for the block that starts at frame samplePos.
void setHostTime(double samplePos);

class VstPlugin {
public:
    // Opens the library, creates an instance and opens it (effOpen). On failure isLoaded() is
    // false and error() says why. Not for the audio thread.
    explicit VstPlugin(const std::string& path);
    // Closes the instance if close() has not, then the library.
    ~VstPlugin();
    VstPlugin(const VstPlugin&) = delete;
    VstPlugin& operator=(const VstPlugin&) = delete;

    bool isLoaded() const { return m_effect != nullptr; }
    const std::string& error() const { return m_error; }
    AEffect* effect() const { return m_effect; }
    // Which exported name the entry was found under.
    const std::string& entryName() const { return m_entryName; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const;
    // A text the plug-in writes through the dispatcher; buffers are generous
    // because plug-ins do not all keep to the limits.
    std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0) const;

    // The usual start-up a host performs before processing: sample rate,
    // block size, switched on, processing started.
    void start(double sampleRate, VstInt32 blockSize);
    // Processing stopped and switched off.
    void stop();
    // Stops and closes the instance (effClose) and returns the plug-in's
    // answer; 0 when there is no instance (any more). The library stays open
    // until destruction.
    VstIntPtr close();

private:
    void* m_library = nullptr;
    AEffect* m_effect = nullptr;
    std::string m_error;
    std::string m_entryName;
    bool m_running = false;
};
