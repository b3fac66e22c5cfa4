#pragma once

#include <cstdint>
#include <string>

// One WAV file decoded whole into interleaved stereo floats (left, right),
// 16-byte aligned. Loaded by the constructor on the program-changing thread;
// read by the voices on the audio thread once its zone is installed.
class Sample {
public:
    // Loads `path` with readWaveFile and prints "Loaded sample <path> with
    // length <n>" or "Failed to load <path>" on standard output. A file that
    // cannot be used leaves the sample without data (count 0); so does
    // `mayOpen` false, which reports the file as one that cannot be opened
    // without touching it. Blocks on I/O: never on the audio thread.
    explicit Sample(const std::string& path, bool mayOpen = true);
    // Frees the data.
    ~Sample();
    Sample(const Sample&) = delete;
    Sample& operator=(const Sample&) = delete;

    // Floats in m_pData, two per stereo frame; 0 without data.
    int32_t numSamples() const { return m_numSamples; }

    std::string m_path;
    float* m_pData = nullptr; // owned; null when loading failed
    int32_t m_numSamples = 0;
};
