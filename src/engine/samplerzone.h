#pragma once

#include <cstdint>
#include <string>

#include "engine/sample.h"

// One key zone of the loaded sample pack: key and velocity ranges, root key,
// envelope settings and the decoded sample. Made by the pack loader on the
// program-changing thread, read by the voices on the audio thread; never
// changed once installed. Voices hold plain pointers to the zone and to
// m_adsrParams, so they must be stopped before a zone is destroyed.
class SamplerZone {
public:
    // No sample, settings 1, 1, 1, 300, keys and velocities 0..127, root key 65.
    SamplerZone();
    // Settings 5, 1, 1, 300 (the loader overwrites them), the five integers as
    // given (not clamped), then loads the sample from `path` at once (or,
    // with `mayOpen` false, reports it as a file that cannot be opened). A
    // file that cannot be read still gives a Sample, one without data. Blocks
    // on I/O: never on the audio thread.
    SamplerZone(int32_t startKey, int32_t endKey, int32_t startVel, int32_t endVel, int32_t rootKey,
                std::string path, bool mayOpen = true);
    // Deletes the sample and the settings.
    ~SamplerZone();
    SamplerZone(const SamplerZone&) = delete;
    SamplerZone& operator=(const SamplerZone&) = delete;

    // Takes ownership of `sample`, deleting the one held before. Before the
    // zone is installed only.
    void setSample(Sample* sample);
    // Stores the root key as given. Before the zone is installed only.
    void setRootKey(int32_t rootKey) { m_rootKey = rootKey; }

    Sample* m_pSample = nullptr; // owned; may be null
    double* m_adsrParams;        // owned, 4: attack, decay, sustain level, release
    int32_t m_startKey;
    int32_t m_endKey;
    int32_t m_startVel; // stored, never read
    int32_t m_endVel;   // stored, never read
    int32_t m_rootKey;
};
